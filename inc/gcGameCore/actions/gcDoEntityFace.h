#pragma once
// Turns an entity toward another entity or a region point: sends it message
// 104 with the heading and pitch of the direction and the roll it already
// wanted. Deactivated or frozen entities (turning or targeted) are left
// alone. Lives in its event's pool; main thread. Type id 121.

#include <cstdint>

#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoEntityFace : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityFace)
public:
    static constexpr uint32_t kVersion = 2;

    // Stored in data files.
    enum gcEntityFace : int32_t {
        EF_ENTITY = 0,
        EF_REGIONPOINT = 1,
        MAX_FACETYPES = 2,
    };

    gcDoEntityFace() = default;
    gcDoEntityFace(int32_t type, const gcDesiredEntity& entity, const gcDesiredEntity& target,
                   gcRegionPointHandle point)
        : faceType(type), desiredEntity(entity), desiredTarget(target), hRegionPoint(point) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the face type, the entity, the target, the
    // point.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.Face( Player )", "Initiator.Face( [Door] )", "???" for a
    // point that does not resolve or a type outside the table.
    void GetText(char* pBuf) const override;
    // Nothing when either end does not resolve or is inactive, or, for a
    // point, when its region or the entity's is not resident.
    void DoAction(const gcEventParams& params) const override;

    // Heading atan2(-x, y) and pitch asin(z) in degrees of the direction,
    // normalised first (a zero direction gives 0 and 0).
    static void GetFacing(mVec3 dir, float* pHeading, float* pPitch);

    int32_t faceType = EF_ENTITY;  // a gcEntityFace as stored
    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcDesiredEntity desiredTarget = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    gcRegionPointHandle hRegionPoint;
};
