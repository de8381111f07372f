#pragma once
// A named frame placed in a region: a position with a facing, given relative
// to the region so that it moves with the region when the world is re-based
// while regions stream. Entities move or snap to it, effects spawn at it, the
// camera moves to and looks at it. Read with the map's region-point group
// into gcRegionPointMgr and lives in the map's pool; unchanged afterwards.
// Main thread. Type id 87.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cObject.h"
#include "mMath/mOCS.h"

class gcRegionPoint;
using gcRegionPointHandle = cHandle<gcRegionPoint>;

class gcRegionPoint : public cObject {
    QM_DECLARE_TYPE(gcRegionPoint)
public:
    static constexpr uint32_t kVersion = 1;

    // Identity frame, no region, no handle.
    gcRegionPoint();
    // Name, frame and region id; no handle.
    gcRegionPoint(const gcRegionPoint& other);
    gcRegionPoint& operator=(const gcRegionPoint&) = delete;
    // Effects attracted to the point let go of it.
    ~gcRegionPoint() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the cObject block, the region id (16-bit, unpadded), the
    // frame as origin, right, forward, up.
    void Write(const cFile& file) const override;
    // Every version but 0 (skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The point's frame in the world, through its region's zone. False, with
    // the identity frame, while the region is not resident or has no zone.
    bool GetLocalToWorld(mOCS* pOut) const;

    gcRegionPointHandle m_handle;
    mOCS m_localToRegion;  // origin: the position; forward: the facing
    int16_t m_nRegionId = -1;
};

// The slot table of region points: 200 slots, resolved by handle. Main
// thread, or the loader filling a group.
class gcRegionPointMgr : public cManager<gcRegionPoint, 200> {};

// The map's block that fills a range of gcRegionPointMgr's slots.
class gcRegionPointGroup : public cGroup {
    QM_DECLARE_GROUP(gcRegionPointGroup, gcRegionPointMgr)
};
