#pragma once
// The seconds since an entity last took damage, entered its mode, changed
// its script state or was interacted with; an event that never happened
// reads the counters' saturated value, about 3.58 million seconds. Read
// with its owner into its pool; main thread. Type id 225.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityTimeSince : public gcValue {
    QM_DECLARE_TYPE(gcValEntityTimeSince)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEntityTimeSince() = default;
    gcValEntityTimeSince(const gcDesiredEntity& entity, int32_t which) : desiredEntity(entity), timeSince(which) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity, the counter.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 for a counter outside the table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.LastTookDamage"

    static const char* GetTimeSinceText(int32_t which);  // "LastTookDamage"...; "???" outside

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t timeSince = gcEntity::TIMESINCE_TOOKDAMAGE;  // a gcTimeSince as stored
};
