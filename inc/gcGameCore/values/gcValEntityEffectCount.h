#pragma once
// How many effects of a template an entity carries, effects attached to
// those effects counted too, at any depth. Read with its owner into its
// pool; main thread. Type id 236.

#include <cstdint>

#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityEffectCount : public gcValue {
    QM_DECLARE_TYPE(gcValEntityEffectCount)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEntityEffectCount() = default;
    gcValEntityEffectCount(const gcDesiredEntity& entity, gcEffectTemplateHandle hTemplate)
        : desiredEntity(entity), hEffectTemplate(hTemplate) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity, the effect template.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 when the template does not resolve.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Player.AttachedEffectCount( [glow] )"

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    gcEffectTemplateHandle hEffectTemplate;
};
