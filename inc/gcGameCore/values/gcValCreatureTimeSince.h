#pragma once
// The seconds since a creature last attacked, hit its boundary, dodged,
// blocked, hit a neighbour, threw, was stunned or idled (about 3.58 million
// for never). Read with its owner into its pool; main thread. Type id 139.

#include <cstdint>

#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValCreatureTimeSince : public gcValue {
    QM_DECLARE_TYPE(gcValCreatureTimeSince)
public:
    static constexpr uint32_t kVersion = 1;

    gcValCreatureTimeSince() = default;
    gcValCreatureTimeSince(const gcDesiredEntity& creature, int32_t which)
        : desiredCreature(creature), timeSince(which) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the creature, the counter.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 for a counter outside the table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.LastAttacked"

    static const char* GetTimeSinceText(int32_t which);  // "LastAttacked"...; "???" outside

    gcDesiredEntity desiredCreature = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t timeSince = gcCreature::TIMESINCE_ATTACK;  // a gcCreature::gcTimeSince as stored
};
