#include "gcGameCore/entities/gcBoundary.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcRegionFrame.h"

QM_DEFINE_TYPE(gcBoundary, cObject, 138)

gcBoundary::gcBoundary()
{
    m_localToRegion.MakeIdentity();
}

gcBoundary::gcBoundary(const gcBoundary& other)
    : cObject(other), m_nRegionId(other.m_nRegionId), m_bCircular(other.m_bCircular),
      m_localToRegion(other.m_localToRegion), m_fWidth(other.m_fWidth), m_fDepth(other.m_fDepth),
      m_fRadius(other.m_fRadius)
{
}

cBase* gcBoundary::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcBoundary>(*this) : nullptr;
}

void gcBoundary::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    gcRegionFrame::Write(wb, m_nRegionId, m_localToRegion);
    wb.WriteFloat(m_fWidth);
    wb.WriteFloat(m_fDepth);
    wb.WriteBool(m_bCircular);
    wb.WriteFloat(m_fRadius);
    for (const gcBoundaryHandle& h : m_hNeighbors)
        h.Write(wb);
}

static bool IsSize(float f)
{
    return std::isfinite(f) && f >= 0.0f;
}

bool gcBoundary::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcBoundary", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    int16_t nRegionId;
    mOCS frame;
    gcRegionFrame::Read(rb, &nRegionId, &frame);
    const float fWidth = rb.ReadFloat();
    const float fDepth = rb.ReadFloat();
    bool bCircular = m_bCircular;
    float fRadius = m_fRadius;
    uint32_t hNeighbors[kNumNeighbors] = {m_hNeighbors[0].m_nValue, m_hNeighbors[1].m_nValue};
    if (rb.m_nVersion >= 2) {
        bCircular = rb.ReadBool();
        fRadius = rb.ReadFloat();
        rb.ReadInts(hNeighbors, kNumNeighbors);
    }
    if (rb.Failed()) {
        m_name = oldName;
        return false;
    }
    // A size that is not a number would contain every point, a negative one
    // would clamp with its bounds crossed.
    if (!IsSize(fWidth) || !IsSize(fDepth) || !IsSize(fRadius)) {
        m_name = oldName;
        return rb.Reject("gcBoundary", "size");
    }
    m_nRegionId = nRegionId;
    m_localToRegion = frame;
    m_fWidth = fWidth;
    m_fDepth = fDepth;
    m_bCircular = bCircular;
    m_fRadius = fRadius;
    for (int i = 0; i < kNumNeighbors; ++i)
        m_hNeighbors[i] = gcBoundaryHandle(hNeighbors[i]);
    return true;
}

namespace {

// The pull inside the area for a boundary whose world coordinates reach
// fReach. A point carried to the world and back moves by up to about one
// float step at that magnitude; far from the origin (a step of 6e-5 at 1000)
// that exceeds the fixed pull, and a mover stopped just inside would test as
// outside on its next move. Four steps keep it inside.
float Inset(float fBase, float fReach)
{
    return std::max(fBase, 4.0f * FLT_EPSILON * fReach);
}

float Reach(const mOCS& world, float fExtent)
{
    const mVec3& o = world.origin;
    return std::max({std::fabs(o.x), std::fabs(o.y), std::fabs(o.z)}) + fExtent;
}

// A point of the boundary's plane carried back to the world.
mVec3 ToWorld(const mOCS& world, float x, float y)
{
    mVec3 p;
    p.Xform(mVec3(x, y, 0.0f), world);
    return p;
}

}  // namespace

bool gcBoundary::Contains(const mVec3& point) const
{
    mVec3 clip = point, slide = point;
    bool bInside = false;
    return Contains(point, point, &clip, &slide, &bInside) || bInside;
}

bool gcBoundary::Contains(const mVec3& start, const mVec3& end, mVec3* pClip, mVec3* pSlide, bool* pInside) const
{
    mOCS world;
    if (!gcEntityWorld::RegionToWorld(m_nRegionId, m_localToRegion, &world)) {
        *pInside = false;
        return false;
    }
    mVec3 a, b;
    a.XformInv(start, world);
    b.XformInv(end, world);
    a.z = 0.0f;
    b.z = 0.0f;
    if (m_bCircular)
        return CircleContains(world, start, end, a, b, pClip, pSlide, pInside);
    return RectangleContains(world, a, b, pClip, pSlide, pInside);
}

bool gcBoundary::RectangleContains(const mOCS& world, const mVec3& a, const mVec3& b, mVec3* pClip, mVec3* pSlide,
                                   bool* pInside) const
{
    const float hw = m_fWidth * 0.5f;
    const float hd = m_fDepth * 0.5f;
    *pInside = std::fabs(a.x) <= hw && std::fabs(a.y) <= hd;
    const bool bClampX = std::fabs(b.x) > hw;
    const bool bClampY = std::fabs(b.y) > hd;
    const mVec3 e(bClampX ? std::clamp(b.x, -hw, hw) : b.x, bClampY ? std::clamp(b.y, -hd, hd) : b.y, 0.0f);
    // Where the movement meets the side it crosses. A movement that never
    // moves across that side (its start is outside the same way) stops at
    // its start rather than dividing by zero.
    mVec3 s = b;
    if (bClampX)
        s.y = b.x != a.x ? a.y + (e.x - a.x) * (b.y - a.y) / (b.x - a.x) : a.y;
    if (bClampY)
        s.x = b.y != a.y ? a.x + (e.y - a.y) * (b.x - a.x) / (b.y - a.y) : a.x;
    const float inset = Inset(kClipInset, Reach(world, std::max(hw, hd)));
    const float limX = std::max(hw - inset, 0.0f);
    const float limY = std::max(hd - inset, 0.0f);
    *pSlide = ToWorld(world, std::clamp(e.x, -limX, limX), std::clamp(e.y, -limY, limY));
    *pClip = ToWorld(world, std::clamp(s.x, -limX, limX), std::clamp(s.y, -limY, limY));
    return !bClampX && !bClampY;
}

bool gcBoundary::CircleContains(const mOCS& world, const mVec3& start, const mVec3& end, const mVec3& a,
                                const mVec3& b, mVec3* pClip, mVec3* pSlide, bool* pInside) const
{
    const float r = m_fRadius;
    const float reach = Reach(world, r);
    // The clip point keeps the mover's own position on the plane's height.
    auto onPlane = [&world](const mVec3& p) { return mVec3(p.x, p.y, world.origin.z); };
    if (a.Length() >= r) {
        *pInside = false;
        *pClip = start;  // it does not move
        return false;
    }
    *pInside = true;
    const float bLen = b.Length();
    if (bLen < r - Inset(kClipInset, reach)) {
        *pClip = onPlane(end);
        return true;
    }
    // The clip point first: a caller may pass its start as the slide point.
    *pClip = onPlane(start);
    const float scale = bLen > 0.0f ? std::max(r - Inset(kSlideInset, reach), 0.0f) / bLen : 0.0f;
    *pSlide = ToWorld(world, b.x * scale, b.y * scale);
    return false;
}

bool gcBoundary::Contains(const mVec3& start, const mVec3& end, mVec3* pClip, mVec3* pSlide,
                          gcBoundaryHandle* pCurrent, bool* pInside) const
{
    *pCurrent = m_handle;
    *pInside = false;
    if (Contains(start, end, pClip, pSlide, pInside))
        return true;
    if (!*pInside)
        return false;
    for (const gcBoundaryHandle& h : m_hNeighbors) {
        const gcBoundary* pNeighbor = gcBoundaryMgr::GetPtr(h);
        if (!pNeighbor)
            continue;
        // The neighbour's points start where its movement starts, so that a
        // shape that writes none leaves no movement.
        mVec3 clip = *pSlide, slide = *pSlide;
        bool bInside = false;
        if (pNeighbor->Contains(*pSlide, end, &clip, &slide, &bInside)) {
            *pClip = clip;
            *pCurrent = h;
            return true;
        }
        if (bInside) {
            *pClip = clip;
            *pSlide = slide;
            *pCurrent = h;
            return false;
        }
    }
    return false;
}

QM_DEFINE_GROUP(gcBoundaryGroup, 140)
