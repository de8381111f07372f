#pragma once
// Whether a creature holds a target that is neither deactivated nor frozen
// (and, with bSpecific, that the target is a given entity). Read with its
// owner into its pool; main thread. Type id 124.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValCreatureHasTarget : public gcValue {
    QM_DECLARE_TYPE(gcValCreatureHasTarget)
public:
    static constexpr uint32_t kVersion = 2;

    gcValCreatureHasTarget() = default;
    gcValCreatureHasTarget(const gcDesiredEntity& creature, bool specific, const gcDesiredEntity& target)
        : desiredCreature(creature), bSpecific(specific), desiredTarget(target) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcValue block, the creature, bSpecific, the target.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false); version 1 holds only the
    // creature and never compares targets. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    // "Initiator.HasTarget", "Initiator.HasTarget( Player )"
    void GetText(char* pBuf) const override;

    gcDesiredEntity desiredCreature = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    bool bSpecific = false;
    gcDesiredEntity desiredTarget = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
