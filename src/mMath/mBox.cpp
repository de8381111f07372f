#include "mMath/mBox.h"

#include <cstring>

#include "mMath/mOCS.h"
#include "mMath/mScalar.h"
#include "mMath/mSphere.h"
#include "mVecOps.h"

void mBox::MakeEmpty()
{
    minCorner.Set(kMaxFloat, kMaxFloat, kMaxFloat);
    maxCorner.Set(-kMaxFloat, -kMaxFloat, -kMaxFloat);
}

bool mBox::IsEmpty() const
{
    return minCorner.x > maxCorner.x && minCorner.y > maxCorner.y && minCorner.z > maxCorner.z;
}

// Distance from c to [lo, hi] on one axis, 0 inside.
static float AxisGap(float c, float lo, float hi)
{
    if (c < lo)
        return lo - c;
    if (c > hi)
        return c - hi;
    return 0.0f;
}

bool mBox::Contains(const mSphere& s) const
{
    if (IsEmpty())
        return false;
    const float dx = AxisGap(s.center.x, minCorner.x, maxCorner.x);
    const float dy = AxisGap(s.center.y, minCorner.y, maxCorner.y);
    const float dz = AxisGap(s.center.z, minCorner.z, maxCorner.z);
    return (dx * dx + dy * dy) + dz * dz <= s.radius * s.radius;
}

// Grows the box (started empty) by one point.
static void TakeIn(mBox& box, const mVec3& p)
{
    for (int i = 0; i < 3; i++) {
        if (p[i] < box.minCorner[i])
            box.minCorner[i] = p[i];
        if (p[i] > box.maxCorner[i])
            box.maxCorner[i] = p[i];
    }
}

void mBox::Xform(const mBox& b, const mOCS& o)
{
    mVec3 corners[8];
    const bool empty = b.IsEmpty();
    if (!empty)
        b.GetCorners(corners);
    MakeEmpty();  // b may be this: its corners were taken first
    if (empty)
        return;
    for (const mVec3& c : corners)
        TakeIn(*this, o.origin + mRotate(c, o.basis));
}

void mBox::XformInv(const mBox& b, const mOCS& o)
{
    mVec3 corners[8];
    const bool empty = b.IsEmpty();
    if (!empty)
        b.GetCorners(corners);
    MakeEmpty();
    if (empty)
        return;
    for (const mVec3& c : corners)
        TakeIn(*this, mRotateInv(c - o.origin, o.basis));
}

void mBox::Clamp(const mVec3& p, mVec3* pOut) const
{
    mVec3 r;
    for (int i = 0; i < 3; i++) {
        if (p[i] <= minCorner[i])
            r[i] = minCorner[i];
        else if (p[i] >= maxCorner[i])
            r[i] = maxCorner[i];
        else
            r[i] = p[i];
    }
    *pOut = r;
}

void mBox::GetCorners(mVec3* pCorners) const
{
    const mBox b = *this;  // the output may overlap this box
    for (int k = 0; k < 8; k++) {
        pCorners[k].Set((k & 4) ? b.maxCorner.x : b.minCorner.x, (k & 2) ? b.maxCorner.y : b.minCorner.y,
                        (k & 1) ? b.maxCorner.z : b.minCorner.z);
    }
}

void mBox::Extend(const mBox& b)
{
    if (b.IsEmpty())
        return;
    if (IsEmpty()) {
        *this = b;
        return;
    }
    for (int i = 0; i < 3; i++) {
        if (b.minCorner[i] < minCorner[i])
            minCorner[i] = b.minCorner[i];
        if (b.maxCorner[i] > maxCorner[i])
            maxCorner[i] = b.maxCorner[i];
    }
}

void mBox::Extend(int n, const mVec3* pPoints, int stride)
{
    // Points usually sit inside larger records; copy each out rather than
    // assume the record keeps them aligned.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pPoints);
    for (int i = 0; i < n; i++, p += stride) {
        mVec3 pt;
        std::memcpy(&pt, p, sizeof(pt));
        TakeIn(*this, pt);
    }
}

void mBox::Surround(const mSphere& s)
{
    if (s.radius <= 0.0f) {
        MakeEmpty();
        return;
    }
    const mVec3 c = s.center;
    const float r = s.radius;
    minCorner.Set(c.x - r, c.y - r, c.z - r);
    maxCorner.Set(c.x + r, c.y + r, c.z + r);
}
