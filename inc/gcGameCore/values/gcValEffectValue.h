#pragma once
// One of the two user values of an effect's template (shared by every
// effect of that template). Read with its owner into its pool; main thread.
// Type id 205.

#include <cstdint>

#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/script/gcDesiredEffect.h"
#include "gcGameCore/script/gcValue.h"

class gcValEffectValue : public gcValue {
    QM_DECLARE_TYPE(gcValEffectValue)
public:
    // Only this version: version 1 blocks are refused.
    static constexpr uint32_t kVersion = 2;

    gcValEffectValue() = default;
    gcValEffectValue(const gcDesiredEffect& effect, int32_t value) : desiredEffect(effect), desiredValue(value) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcValue block, the effect, the value's index.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 when the effect or its template does not resolve or the index is
    // outside the table.
    float Get(const gcEventParams& params) const override;
    // "Initiator.User1"
    void GetText(char* pBuf) const override;

    gcDesiredEffect desiredEffect;
    int32_t desiredValue = gcEffectTemplate::VAL_USER1;  // a gcEffectValue as stored
};
