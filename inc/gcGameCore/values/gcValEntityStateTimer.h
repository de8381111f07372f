#pragma once
// The seconds until an entity's script state machine next gets its update
// message; assignable (0 or less stops the countdown). Read with its owner
// into its pool; main thread. Type id 249.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcLValue.h"

class gcValEntityStateTimer : public gcLValue {
    QM_DECLARE_TYPE(gcValEntityStateTimer)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEntityStateTimer() = default;
    explicit gcValEntityStateTimer(const gcDesiredEntity& entity) : desiredEntity(entity) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the entity.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.StateTimer"
    // Seconds to ticks, truncated toward zero; nothing else changes.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
