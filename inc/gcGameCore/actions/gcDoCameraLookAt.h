#pragma once
// The script's command to the game camera's look-at controller: stop, look
// at a point, an entity or along a path, or through a point. Lives in its
// event's pool; main thread. Type id 91.

#include <cstdint>

#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoCameraLookAt : public gcAction {
    QM_DECLARE_TYPE(gcDoCameraLookAt)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kSnap = 0x1;          // turn at once
    static constexpr uint32_t kStartClosest = 0x2;  // start at the path point closest to the camera

    // Stored in data files.
    enum gcCameraLookAt : int32_t {
        CL_LOOKATNONE = 0,
        CL_LOOKATPOINT = 1,
        CL_LOOKATENTITY = 2,
        CL_LOOKATPATH = 3,
        CL_LOOKTHROUGHPOINT = 4,
        CL_LOOKATPATHCLOSEST = 5,
        MAX_LOOKATTYPES = 6,
    };

    // Stop, snapping; the whole path from 0 to 1.
    gcDoCameraLookAt();
    gcDoCameraLookAt(int32_t type, const gcDesiredEntity& entity, gcRegionPathHandle path, gcRegionPointHandle point,
                     const gcDesiredValue& src, const gcDesiredValue& dest, uint32_t flags);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, type, entity, path, point, then the
    // destination before the source, then the flags.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false). Version 1 holds the
    // destination as a float and a snap boolean in place of the flags (the
    // source and flag 0x2 keep their values). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Camera.SnapLookAt( [point] )", "Camera.LookThrough( [point] )",
    // "Camera.LookAt( Initiator )", "Camera.LookAt( Stop )".
    void GetText(char* pBuf) const override;
    // One call on the game camera; an entity that resolves to nothing is
    // passed as a null handle, which turns the controller off.
    void DoAction(const gcEventParams& params) const override;

    static const char* GetLookAtText(int32_t type);

    int32_t lookAtType = CL_LOOKATNONE;  // a gcCameraLookAt as stored
    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcRegionPathHandle hRegionPath;
    gcRegionPointHandle hRegionPoint;
    gcDesiredValue srcOnPath;   // fraction of the path's length; 0 when new
    gcDesiredValue destOnPath;  // 1 when new
    uint32_t nFlags = kSnap;
};
