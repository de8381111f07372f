#pragma once
// An entity's mode number; assignable (a changed mode restarts the entity's
// time since it entered its mode, the same mode leaves it running). Read
// with its owner into its pool; main thread. Type id 176.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcLValue.h"

class gcValEntityMode : public gcLValue {
    QM_DECLARE_TYPE(gcValEntityMode)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEntityMode() = default;
    explicit gcValEntityMode(const gcDesiredEntity& entity) : desiredEntity(entity) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the entity.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.Mode"
    // Truncated toward zero; the low 16 bits are the mode.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
