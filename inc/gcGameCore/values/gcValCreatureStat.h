#pragma once
// One of a creature's nine stats, its current value or its maximum;
// assignable. Assignments keep the current value of a stat with a maximum
// (Energy, Endurance) within 0..maximum. Read with its owner into its pool;
// main thread. Type id 203.

#include <cstdint>

#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcLValue.h"

class gcValCreatureStat : public gcLValue {
    QM_DECLARE_TYPE(gcValCreatureStat)
public:
    static constexpr uint32_t kVersion = 1;

    gcValCreatureStat() = default;
    gcValCreatureStat(const gcDesiredEntity& creature, int32_t stat, bool max)
        : desiredCreature(creature), desiredStat(stat), bMax(max) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the creature, the stat, bMax.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). bMax is cleared for a stat
    // without a maximum. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 for a stat outside the table.
    float Get(const gcEventParams& params) const override;
    // "Initiator.Energy", "Initiator.MaxEnergy"
    void GetText(char* pBuf) const override;
    // A new maximum pulls the current value into 0..maximum; a current
    // value of a stat with a maximum is pulled into it, of any other stat
    // taken as it is. Ignored for a stat outside the table.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredEntity desiredCreature = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t desiredStat = gcCreatureTemplate::STAT_ENERGY;  // a gcCreatureStat as stored
    bool bMax = false;

    // A bit per stat (1 << stat) whose maximum a value read from a file
    // since the start addresses: data that may set it in play. Never
    // cleared by the game; the saves take a stat so marked to reach as far
    // as its editing range.
    static uint32_t s_nMaxesRead;
};
