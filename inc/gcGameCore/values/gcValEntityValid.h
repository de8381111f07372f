#pragma once
// Whether a reference names an entity that is neither deactivated nor
// frozen. Read with its owner into its pool; main thread. Type id 221.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityValid : public gcValue {
    QM_DECLARE_TYPE(gcValEntityValid)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEntityValid() = default;
    explicit gcValEntityValid(const gcDesiredEntity& entity) : desiredEntity(entity) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.IsValid"

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
