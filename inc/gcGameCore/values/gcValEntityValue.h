#pragma once
// One of the four tuning values of an entity's template (interaction angle
// tolerance, turning rate, sound radius scale, interaction distance). Read
// with its owner into its pool; main thread. Type id 201.

#include <cstdint>

#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityValue : public gcValue {
    QM_DECLARE_TYPE(gcValEntityValue)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEntityValue() = default;
    gcValEntityValue(const gcDesiredEntity& entity, int32_t value) : desiredEntity(entity), desiredValue(value) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity, the value.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 without the template and for a value outside the table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.TurnRate"

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t desiredValue = gcEntityTemplate::VAL_INTERACTTOL;  // a gcEntityValue as stored
};
