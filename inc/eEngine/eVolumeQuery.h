#pragma once
// One object's move during a frame, run against the trigger volumes of every
// live zone by eZone::VolumeQuery: the caller fills the move (positions in
// the querying zone's space, a sphere around it, the move as a ray) and the
// flags; the zone fills the three lists. A plain value on the caller's
// stack; main thread. The lists hold pointers that stay valid while the
// volumes are not removed.

#include <cstdint>

#include "mMath/mOCS.h"
#include "mMath/mRay.h"
#include "mMath/mSphere.h"

class eVolume;

struct eVolumeQuery {
    static constexpr int kMaxListed = 32;  // a volume that would be the 33rd of a list is dropped
    // m_nFlags
    static constexpr uint32_t kEnterWhileInside = 0x1;  // a volume stayed inside is also listed as entered
    static constexpr uint32_t kExitWhileInside = 0x2;   // ... and also as exited
    static constexpr uint32_t kDone = 0x4000;           // set by the zone when the query has run

    mVec3 m_prevPos{0.0f, 0.0f, 0.0f};
    mVec3 m_curPos{0.0f, 0.0f, 0.0f};
    uint32_t m_nFlags = 0;
    mSphere m_cullVol{};  // only volumes whose bounding sphere meets it are tested
    mRay m_ray{};         // the move: origin, unit direction, length
    mOCS m_zoneToWorld{};  // scratch: querying zone's space into the zone being visited
    int32_t m_nEntered = 0;
    int32_t m_nInside = 0;
    int32_t m_nExited = 0;
    eVolume* m_pEntered[kMaxListed] = {};
    eVolume* m_pInside[kMaxListed] = {};
    eVolume* m_pExited[kMaxListed] = {};
};
