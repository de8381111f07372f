#pragma once
// The script's command to the game camera's position controller: stop,
// move to a point, swing behind the followed entity, follow an entity, a
// path, or a path keeping an entity in view. Lives in its event's pool;
// main thread. Type id 90.

#include <cstdint>

#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoCameraMovement : public gcAction {
    QM_DECLARE_TYPE(gcDoCameraMovement)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kSnap = 0x1;          // place at once
    static constexpr uint32_t kStartClosest = 0x2;  // start at the path point closest to the camera
    static constexpr float kDefaultReorientFactor = 1.5f;

    // Stored in data files.
    enum gcCameraMovement : int32_t {
        CM_STOP = 0,
        CM_MOVETOPOINT = 1,
        CM_REORIENT = 2,
        CM_FOLLOWENTITY = 3,
        CM_FOLLOWPATH = 4,
        CM_FOLLOWPATHENTITY = 5,
        MAX_MOVETYPES = 6,
    };

    // Stop, snapping; the whole path from 0 to 1.
    gcDoCameraMovement();
    gcDoCameraMovement(int32_t type, const gcDesiredEntity& entity, gcRegionPathHandle path, gcRegionPointHandle point,
                       float reorientFactor, const gcDesiredValue& src, const gcDesiredValue& dest, uint32_t flags);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, type, entity, path, point, then the
    // destination before the source, the reorient factor, the flags.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false). Version 1 holds the
    // destination as a float and a snap boolean in place of the flags (the
    // source and flag 0x2 keep their values). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Camera.SnapStop", "Camera.MoveTo( [point] )", "Camera.Reorient",
    // "Camera.FollowPathAndEntity( [path], Player )".
    void GetText(char* pBuf) const override;
    // One call on the game camera; an entity that resolves to nothing is
    // passed as a null handle, which turns the controller off.
    void DoAction(const gcEventParams& params) const override;

    static const char* GetMoveTypeText(int32_t type);

    int32_t moveType = CM_STOP;  // a gcCameraMovement as stored
    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcRegionPathHandle hRegionPath;
    gcRegionPointHandle hRegionPoint;
    float fReorientFactor = kDefaultReorientFactor;
    gcDesiredValue srcOnPath;   // fraction of the path's length; 0 when new
    gcDesiredValue destOnPath;  // 1 when new
    uint32_t nFlags = kSnap;
};
