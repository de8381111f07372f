#include "mMath/mPlane.h"

#include <cmath>

#include "mMath/mBox.h"
#include "mMath/mSphere.h"
#include "mVecOps.h"

const char* mPlaneTypeText(mPlaneType t)
{
    switch (t) {
    case ALIGN_X: return "ALIGN_X";
    case ALIGN_Y: return "ALIGN_Y";
    case ALIGN_Z: return "ALIGN_Z";
    case ALIGN_NEGX: return "ALIGN_NEGX";
    case ALIGN_NEGY: return "ALIGN_NEGY";
    case ALIGN_NEGZ: return "ALIGN_NEGZ";
    }
    return "???";
}

void mPlane::Intersection(const mPlane& a, const mPlane& b, const mPlane& c, mVec3* pOut)
{
    const mVec3 bc = mCross(b.normal, c.normal);
    const mVec3 ca = mCross(c.normal, a.normal);
    const mVec3 ab = mCross(a.normal, b.normal);
    const float det = mDot(a.normal, bc);
    if (std::fabs(det) <= 0.00001f)
        return;  // parallel or nearly so: no single common point
    const float inv = 1.0f / det;
    const mVec3 sum = (bc * a.offset + ca * b.offset) + ab * c.offset;
    *pOut = sum * inv;
}

mPlaneType mPlane::GetOrientation() const
{
    const float ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
    if (ax >= ay && ax >= az)
        return normal.x > 0.0f ? ALIGN_X : ALIGN_NEGX;
    if (ay >= az)
        return normal.y > 0.0f ? ALIGN_Y : ALIGN_NEGY;
    return normal.z > 0.0f ? ALIGN_Z : ALIGN_NEGZ;
}

mContainment mPlane::Contains(const mSphere& s) const
{
    if (s.radius <= 0.0f)
        return mContainment::NONE;
    const float d = mDot(normal, s.center);
    if (d + s.radius < offset)
        return mContainment::NONE;
    if (d - s.radius >= offset)
        return mContainment::ALL;
    return mContainment::PARTIAL;
}

mContainment mPlane::Contains(const mBox& b) const
{
    if (b.IsEmpty())
        return mContainment::NONE;
    mVec3 lowest, highest;
    for (int i = 0; i < 3; i++) {
        const bool pos = normal[i] >= 0.0f;
        lowest[i] = pos ? b.minCorner[i] : b.maxCorner[i];
        highest[i] = pos ? b.maxCorner[i] : b.minCorner[i];
    }
    if (mDot(normal, lowest) >= offset)
        return mContainment::ALL;
    if (mDot(normal, highest) >= offset)
        return mContainment::PARTIAL;
    return mContainment::NONE;
}
