#pragma once
// A flat walkable area placed in a region: a rectangle or a circle in the
// x-y plane of a frame given relative to the region, linked to at most two
// neighbouring boundaries so that a chain of them says where a
// computer-controlled character may walk. It answers whether a movement stays
// inside, where it must stop and into which neighbour it passes; heights are
// ignored. Read with the map's boundary group into gcBoundaryMgr and lives in
// the map's pool; unchanged afterwards. Main thread. Type id 138.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cObject.h"
#include "mMath/mOCS.h"

class gcBoundary;
using gcBoundaryHandle = cHandle<gcBoundary>;

class gcBoundary : public cObject {
    QM_DECLARE_TYPE(gcBoundary)
public:
    static constexpr uint32_t kVersion = 2;  // version 1 has no shape, radius or neighbours
    static constexpr int kNumNeighbors = 2;
    // How far inside the area the clip point is pulled, and the circle's
    // slide point (twice as far), in the boundary's units. Far from the world
    // origin a float cannot hold so small a step; the pull then grows to what
    // it can (see Inset in the source).
    static constexpr float kClipInset = 1e-5f;
    static constexpr float kSlideInset = 2e-5f;

    // A rectangle of 1 x 1, identity frame, no region, no neighbours.
    gcBoundary();
    // Name, region id, shape, frame and sizes; no handle, no neighbours.
    gcBoundary(const gcBoundary& other);
    gcBoundary& operator=(const gcBoundary&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the cObject block, the region id (16-bit, unpadded), the
    // frame, width, depth, circular (32-bit), radius, the neighbour handles.
    void Write(const cFile& file) const override;
    // Every version but 0 (skipped, false); version 1 leaves the shape, the
    // radius and the neighbours at their defaults. Unchanged unless read
    // whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Whether a world point lies inside. On a rectangle's side is inside; on
    // a circle is outside.
    bool Contains(const mVec3& point) const;
    // A movement from start to end (world points) against this boundary
    // alone: true when end lies inside; *pInside says whether start does.
    // The clip point (where the mover stops, on the movement's line) and the
    // slide point (the end brought inside) are written, in world space, as
    // the shape allows; the caller starts them at start ("no movement").
    // While the region is not resident nothing is inside and nothing written.
    bool Contains(const mVec3& start, const mVec3& end, mVec3* pClip, mVec3* pSlide, bool* pInside) const;
    // The same across this boundary and its neighbours: a movement that
    // leaves this boundary into a neighbour is judged by the neighbour, and
    // *pCurrent receives the boundary in which the movement ends or stops.
    bool Contains(const mVec3& start, const mVec3& end, mVec3* pClip, mVec3* pSlide, gcBoundaryHandle* pCurrent,
                  bool* pInside) const;

    gcBoundaryHandle m_handle;
    int16_t m_nRegionId = -1;
    bool m_bCircular = false;
    mOCS m_localToRegion;  // the area lies in this frame's x-y plane, centred on its origin
    float m_fWidth = 1.0f;   // along the frame's x
    float m_fDepth = 1.0f;   // along the frame's y
    float m_fRadius = 1.0f;
    gcBoundaryHandle m_hNeighbors[kNumNeighbors];

private:
    // The shape tests on the movement a..b carried into the boundary's
    // frame (z dropped); the points are carried back with world.
    bool RectangleContains(const mOCS& world, const mVec3& a, const mVec3& b, mVec3* pClip, mVec3* pSlide,
                           bool* pInside) const;
    bool CircleContains(const mOCS& world, const mVec3& start, const mVec3& end, const mVec3& a, const mVec3& b,
                        mVec3* pClip, mVec3* pSlide, bool* pInside) const;
};

// The slot table of boundaries: 200 slots, resolved by handle. Main thread,
// or the loader filling a group.
class gcBoundaryMgr : public cManager<gcBoundary, 200> {};

// The map's block that fills a range of gcBoundaryMgr's slots.
class gcBoundaryGroup : public cGroup {
    QM_DECLARE_GROUP(gcBoundaryGroup, gcBoundaryMgr)
};
