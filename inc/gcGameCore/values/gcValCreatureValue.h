#pragma once
// One of the ten behaviour values of a creature's template (attack ranges,
// aggressiveness, perception...), shared by every creature of that
// template; read-only. Read with its owner into its pool; main thread. Type
// id 204.

#include <cstdint>

#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValCreatureValue : public gcValue {
    QM_DECLARE_TYPE(gcValCreatureValue)
public:
    static constexpr uint32_t kVersion = 1;

    gcValCreatureValue() = default;
    gcValCreatureValue(const gcDesiredEntity& creature, int32_t value) : desiredCreature(creature), desiredValue(value) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the creature, the value.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 when the template does not resolve and for a value outside the
    // table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.Aggressiveness"

    gcDesiredEntity desiredCreature = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t desiredValue = gcCreatureTemplate::VAL_AGGRESSIVENESS;  // a gcCreatureValue as stored
};
