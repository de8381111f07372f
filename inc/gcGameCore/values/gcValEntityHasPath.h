#pragma once
// Whether one of an entity's two path slots (patrol, initial) names a region
// path that exists. Read with its owner into its pool; main thread. Type
// id 243.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityHasPath : public gcValue {
    QM_DECLARE_TYPE(gcValEntityHasPath)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEntityHasPath() = default;
    gcValEntityHasPath(const gcDesiredEntity& entity, int32_t path) : desiredEntity(entity), entityPath(path) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity, the path slot.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 for a slot outside the table.
    float Get(const gcEventParams& params) const override;
    // "Initiator.HasPath( Patrol )"
    void GetText(char* pBuf) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t entityPath = gcEntity::PATH_PATROL;  // a gcEntity::gcInitialPath as stored
};
