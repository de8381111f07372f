#pragma once
// One of an entity's four stats, its current value or its maximum;
// assignable. Assignments keep current health within 0..maximum (0 when the
// maximum is negative); the other stats take any value. Read with its owner
// into its pool; main thread. Type id 110.

#include <cstdint>

#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcLValue.h"

class gcValEntityStat : public gcLValue {
    QM_DECLARE_TYPE(gcValEntityStat)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kMinVersion = 2;

    gcValEntityStat() = default;
    gcValEntityStat(const gcDesiredEntity& entity, int32_t stat, bool max)
        : desiredEntity(entity), desiredStat(stat), bMax(max) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the gcLValue block, the entity, the stat, bMax.
    void Write(const cFile& file) const override;
    // Versions 2 (no bMax) and 3; others skipped (false). bMax is cleared
    // for a stat without a maximum. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 for a stat outside the table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.Health", "Initiator.MaxHealth"
    // A new maximum pulls current health into 0..maximum; a current value
    // of health is pulled into it, of another stat taken as it is. Ignored
    // for a stat outside the table.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t desiredStat = gcEntityTemplate::STAT_HEALTH;  // a gcEntityStat as stored
    bool bMax = false;

    // A bit per stat (1 << stat) whose maximum a value read from a file
    // since the start addresses: data that may set it in play. Never
    // cleared by the game; the saves take a stat so marked to reach as far
    // as its editing range.
    static uint32_t s_nMaxesRead;
};
