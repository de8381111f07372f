#pragma once
// A polyline path: points joined by straight segments, each with a position,
// a roll and its distance from the first point along the path. A place on the
// path is a parameter t (integer part: the segment's first point; fraction:
// the share of that segment covered) or a distance from the start. Lives in
// the pool of its owner (a region path or a group's load) with its points;
// immutable after Read, queried on the main thread. Every query is safe on a
// path of any size: a path without points answers the origin and t = 0.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "cCore/cTimeValue.h"
#include "mMath/mVec3.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class cReadBlock;
class cWriteBlock;
class ePath;
struct mBasis;
using ePathHandle = cHandle<ePath>;

struct ePathPoint {
    static constexpr int kFileBytes = 20;  // x, y, z, roll, distance: five floats

    mVec3 pos;
    float fRoll;         // degrees
    float fDistToStart;  // along the path from point 0

    // That many points in the file's layout. The int is unused.
    static void Read(const cReadBlock& rb, int, ePathPoint* pPoints, int count);
    static void Write(const cWriteBlock& wb, int, const ePathPoint* pPoints, int count);
};
static_assert(sizeof(ePathPoint) == ePathPoint::kFileBytes, "points are carved at their file size");

class ePath : public cObject
{
    QM_DECLARE_TYPE(ePath)
public:
    static constexpr uint32_t kVersion = 1;

    // No handle, no points, length 0.
    ePath();
    // Copies name, points and length into new points carved from the pool
    // holding this path; no handle. A copy outside every pool, or in a full
    // one, has no points (logged).
    ePath(const ePath& other);

    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    // Accepts every version but 0. A negative count, one the block cannot
    // hold, a full pool or a short block: false, logged, the path unchanged.
    bool Read(const cFile& file, cMemPool* pPool) override;

    void GetPosOnPath(float t, mVec3* pOut) const;
    float PathT2Units(float t) const;
    float GetRollAt(float t) const;
    // Heading and pitch of the segment at t (the last segment at the end),
    // with the interpolated roll; identity on a segment of no length.
    void GetBasisAt(float t, mBasis* pOut) const;
    // The parameter at a distance from the start, scanning from hintT: the
    // hint must lie at or before the place going forward, at or after it
    // going backward.
    float Units2PathT(float units, float hintT, bool bForward) const;
    // The parameter of the path's point closest to p, in 3D or in the XY
    // plane; the lower segment wins a tie; 0 for fewer than two points.
    float FindClosestPoint(const mVec3& p) const;
    float FindClosestPoint2DXY(const mVec3& p) const;
    // From fromT toward toT, the first parameter whose point lies minDist
    // from p beyond p's foot on the segment; fromT when p is already out of
    // reach, toT when the segments run out.
    float FindClosestPointMinDist(float fromT, float toT, float minDist, const mVec3& p) const;
    // The parameter after moving from curT toward destT for the elapsed ticks
    // at maxSpeed units per tick. The float and the two later times are
    // accepted and not used.
    float MoveAlongPath(cTimeValue elapsed, float curT, float destT, float&, float maxSpeed, cTimeValue,
                        cTimeValue, bool bOneWay) const;
    // Unit direction from point from to point to by their distance apart;
    // returns that distance (0 and a zero direction for indices outside the
    // path or no distance).
    float GetSegmentDir(int from, int to, mVec3* pOut) const;
    // Rebuilds the distances and the length from the positions.
    void CalcDistances();

    ePathHandle m_handle;
    int32_t m_nPoints;
    ePathPoint* m_pPoints;  // in the path's pool; null without points
    float m_fLength;

private:
    struct Span {
        int a;       // first point, within the path
        int b;       // second point, within the path
        float frac;  // share of the segment covered
    };
    // The point pair and fraction of t, indices kept within the path.
    Span SpanAt(float t) const;
    float ClosestPoint(const mVec3& p, bool bFlat) const;
};

// The slot table of paths: 100 slots, resolved by handle. Region paths keep
// their own table; this one serves paths a data file places through a group.
// Main thread, or the loader filling a group.
class ePathMgr : public cManager<ePath, 100> {};

// The file block that fills a range of ePathMgr's slots with paths and their
// check values. Lives in the pool of its load; one made by the factory
// destroys its paths with it.
class ePathGroup : public cGroup
{
    QM_DECLARE_GROUP(ePathGroup, ePathMgr)
};
