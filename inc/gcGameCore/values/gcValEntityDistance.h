#pragma once
// The horizontal distance from an entity to another entity (between their
// collision outlines: negative when they overlap) or to a region point
// (between the two origins). Read with its owner into its pool; main thread.
// Type id 132.

#include <cstdint>

#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityDistance : public gcValue {
    QM_DECLARE_TYPE(gcValEntityDistance)
public:
    static constexpr uint32_t kVersion = 1;

    // Stored in data files.
    enum gcTarget : int32_t { TARGET_ENTITY = 0, TARGET_REGIONPOINT = 1, MAX_TARGETTYPES = 2 };

    gcValEntityDistance() = default;
    gcValEntityDistance(const gcDesiredEntity& entity, const gcDesiredEntity& target)
        : desiredEntity(entity), desiredTarget(target) {}
    gcValEntityDistance(const gcDesiredEntity& entity, gcRegionPointHandle point)
        : desiredEntity(entity), targetType(TARGET_REGIONPOINT), hRegionPoint(point) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity, the target type, the target
    // entity, the region point.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 when either end is missing or inactive, a region point's region
    // is not resident, or the target type is outside the table.
    float Get(const gcEventParams& params) const override;
    // "Initiator.DistanceTo( Player )", "Initiator.DistanceTo( [point] )"
    void GetText(char* pBuf) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t targetType = TARGET_ENTITY;  // a gcTarget as stored
    gcDesiredEntity desiredTarget = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    gcRegionPointHandle hRegionPoint;
};
