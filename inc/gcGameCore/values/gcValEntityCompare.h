#pragma once
// Whether two references name the same entity (1.0); two that name nothing
// are not the same (0.0). Read with its owner into its pool; main thread.
// Type id 194.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityCompare : public gcValue {
    QM_DECLARE_TYPE(gcValEntityCompare)
public:
    static constexpr uint32_t kVersion = 2;

    gcValEntityCompare() = default;
    gcValEntityCompare(const gcDesiredEntity& entity, const gcDesiredEntity& target)
        : desiredEntity(entity), desiredTarget(target) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcValue block, the two references.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    // "( Initiator == Player )"
    void GetText(char* pBuf) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcDesiredEntity desiredTarget = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
