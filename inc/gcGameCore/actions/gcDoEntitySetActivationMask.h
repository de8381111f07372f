#pragma once
// Replaces an entity's whole activation mask. Lives in its event's pool;
// main thread. Type id 257.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoEntitySetActivationMask : public gcAction {
    QM_DECLARE_TYPE(gcDoEntitySetActivationMask)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoEntitySetActivationMask() = default;
    gcDoEntitySetActivationMask(const gcDesiredEntity& entity, uint32_t nMask)
        : desiredEntity(entity), nActivationMask(nMask) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the entity, the mask.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Player.SetActivationMask( 1, 3, 32 )": the 1-based numbers of the set
    // bits, cut at 255 characters.
    void GetText(char* pBuf) const override;
    // Nothing when the reference names no entity.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    uint32_t nActivationMask = 0;
};
