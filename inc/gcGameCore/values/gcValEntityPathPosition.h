#pragma once
// How far an entity has come along the region path it follows, as a share
// of the path's length: 0 at the start, 1 at the end, 0 off a path. Read
// with its owner into its pool; main thread. Type id 171.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityPathPosition : public gcValue {
    QM_DECLARE_TYPE(gcValEntityPathPosition)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEntityPathPosition() = default;
    explicit gcValEntityPathPosition(const gcDesiredEntity& entity) : desiredEntity(entity) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    // "Initiator.PathPosition"
    void GetText(char* pBuf) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
