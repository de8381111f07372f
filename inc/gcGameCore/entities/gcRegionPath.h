#pragma once
// A polyline path placed in a region: its points lie in a frame that is given
// relative to the region, so the path moves with the region when the world is
// re-based while regions stream. Entities follow it, the camera follows and
// looks along it. Read with the map's region-path group into
// gcRegionPathMgr and lives, with its points, in the map's pool; unchanged
// afterwards. Main thread. Type id 79.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cObject.h"
#include "eEngine/ePath.h"
#include "mMath/mOCS.h"

class gcRegionPath;
using gcRegionPathHandle = cHandle<gcRegionPath>;

class gcRegionPath : public cObject {
    QM_DECLARE_TYPE(gcRegionPath)
public:
    static constexpr uint32_t kVersion = 1;

    // An empty path, identity frame, no region, no handle.
    gcRegionPath();
    // Name, the path with its points carved from the pool holding the copy,
    // frame and region id; no handle.
    gcRegionPath(const gcRegionPath& other);
    gcRegionPath& operator=(const gcRegionPath&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the cObject block, the region id (16-bit, unpadded), the
    // frame as origin, right, forward, up, then the path's own block.
    void Write(const cFile& file) const override;
    // Every version but 0 (skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The path's frame in the world, through its region's zone. False, with
    // the identity frame, while the region is not resident or has no zone:
    // followers then leave the path alone.
    bool GetLocalToWorld(mOCS* pOut) const;

    gcRegionPathHandle m_handle;
    ePath m_path;          // points in the path's own frame
    mOCS m_localToRegion;  // the path's frame relative to its region
    int16_t m_nRegionId = -1;
};

// The slot table of region paths: 150 slots, resolved by handle. Main
// thread, or the loader filling a group.
class gcRegionPathMgr : public cManager<gcRegionPath, 150> {};

// The map's block that fills a range of gcRegionPathMgr's slots.
class gcRegionPathGroup : public cGroup {
    QM_DECLARE_GROUP(gcRegionPathGroup, gcRegionPathMgr)
};
