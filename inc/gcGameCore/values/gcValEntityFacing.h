#pragma once
// Where another entity or a region point lies as seen from an entity: the
// heading of the direction toward it in the entity's own frame, degrees, 0
// straight ahead, 90 to its left (-X side), -90 to its right, +-180 behind;
// height does not count. Read with its owner into its pool; main thread.
// Type id 131.

#include <cstdint>

#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityFacing : public gcValue {
    QM_DECLARE_TYPE(gcValEntityFacing)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kMinVersion = 2;

    // Stored in data files.
    enum gcTarget : int32_t { TARGET_ENTITY = 0, TARGET_REGIONPOINT = 1, MAX_TARGETTYPES = 2 };

    gcValEntityFacing() = default;
    gcValEntityFacing(const gcDesiredEntity& entity, const gcDesiredEntity& target)
        : desiredEntity(entity), desiredTarget(target) {}
    gcValEntityFacing(const gcDesiredEntity& entity, gcRegionPointHandle point)
        : desiredEntity(entity), targetType(TARGET_REGIONPOINT), hRegionPoint(point) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the gcValue block, the entity, the target type, the target
    // entity, the region point.
    void Write(const cFile& file) const override;
    // Versions 2 and 3 (others skipped, false). Version 2 holds one more
    // word; such a value names no entity (specific, handle 0) and reads 0.0.
    // Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 when either end is missing or inactive, a region is not resident,
    // or the target type is outside the table.
    float Get(const gcEventParams& params) const override;
    // "Initiator.Facing( Player )", "Initiator.Facing( [point] )"
    void GetText(char* pBuf) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t targetType = TARGET_ENTITY;  // a gcTarget as stored
    gcDesiredEntity desiredTarget = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    gcRegionPointHandle hRegionPoint;
};
