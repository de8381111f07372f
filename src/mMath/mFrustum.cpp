#include "mMath/mFrustum.h"

#include "mMath/mBox.h"
#include "mMath/mOCS.h"
#include "mMath/mScalar.h"
#include "mMath/mSphere.h"
#include "mVecOps.h"

void mFrustum::SetFOV(float hfov, float vfov, float nearDist, float farDist)
{
    float sa, ca, sb, cb;
    mSinCos(hfov / 2.0f, &sa, &ca);
    mSinCos(vfov / 2.0f, &sb, &cb);
    planes[kNear].normal.Set(0.0f, 1.0f, 0.0f);
    planes[kNear].offset = nearDist;
    planes[kFar].normal.Set(0.0f, -1.0f, 0.0f);
    planes[kFar].offset = -farDist;
    planes[kLeft].normal.Set(ca, sa, 0.0f);
    planes[kRight].normal.Set(-ca, sa, 0.0f);
    planes[kTop].normal.Set(0.0f, sb, -cb);
    planes[kBottom].normal.Set(0.0f, sb, cb);
    for (int i = kLeft; i <= kBottom; i++)
        planes[i].offset = 0.0f;
}

void mFrustum::SetPerspective(float nearDist, float farDist, float left, float right, float top,
                              float bottom)
{
    planes[kNear].normal.Set(0.0f, 1.0f, 0.0f);
    planes[kNear].offset = nearDist;
    planes[kFar].normal.Set(0.0f, -1.0f, 0.0f);
    planes[kFar].offset = -farDist;
    planes[kLeft].normal.Set(nearDist, -left, 0.0f);
    planes[kRight].normal.Set(-nearDist, right, 0.0f);
    planes[kTop].normal.Set(0.0f, top, -nearDist);
    planes[kBottom].normal.Set(0.0f, -bottom, nearDist);
    for (int i = kLeft; i <= kBottom; i++) {
        planes[i].normal.Normalize();
        planes[i].offset = 0.0f;
    }
}

void mFrustum::SetOrtho(float nearDist, float farDist, float left, float right, float top, float bottom)
{
    planes[kNear].normal.Set(0.0f, 1.0f, 0.0f);
    planes[kNear].offset = nearDist;
    planes[kFar].normal.Set(0.0f, -1.0f, 0.0f);
    planes[kFar].offset = -farDist;
    planes[kLeft].normal.Set(1.0f, 0.0f, 0.0f);
    planes[kLeft].offset = left;
    planes[kRight].normal.Set(-1.0f, 0.0f, 0.0f);
    planes[kRight].offset = -right;
    planes[kTop].normal.Set(0.0f, 0.0f, -1.0f);
    planes[kTop].offset = -top;
    planes[kBottom].normal.Set(0.0f, 0.0f, 1.0f);
    planes[kBottom].offset = bottom;
}

static float Clamp1(float f) { return f <= -1.0f ? -1.0f : (f >= 1.0f ? 1.0f : f); }

void mFrustum::GetFOV(float* pHfov, float* pVfov) const
{
    *pHfov = 2.0f * (kRadToDeg * mAsin(Clamp1(planes[kLeft].normal.y)));
    *pVfov = 2.0f * (kRadToDeg * mAsin(Clamp1(planes[kTop].normal.y)));
}

// near * (-n.y) / den. A side plane parallel to the view (den 0) has its window
// edge at infinity: the largest float with the edge's sign, or 0 at near 0.
static float WindowEdge(float nearDist, float ny, float den)
{
    const float num = nearDist * -ny;
    if (den != 0.0f)
        return num / den;
    if (num == 0.0f)
        return 0.0f;
    return num > 0.0f ? kMaxFloat : -kMaxFloat;
}

void mFrustum::GetPerspective(float* pNear, float* pFar, float* pLeft, float* pRight, float* pTop,
                              float* pBottom) const
{
    const float n = planes[kNear].offset;
    *pNear = n;
    *pFar = -planes[kFar].offset;
    *pLeft = WindowEdge(n, planes[kLeft].normal.y, planes[kLeft].normal.x);
    *pRight = WindowEdge(n, planes[kRight].normal.y, planes[kRight].normal.x);
    *pTop = WindowEdge(n, planes[kTop].normal.y, planes[kTop].normal.z);
    *pBottom = WindowEdge(n, planes[kBottom].normal.y, planes[kBottom].normal.z);
}

void mFrustum::GetOrtho(float* pNear, float* pFar, float* pLeft, float* pRight, float* pTop,
                        float* pBottom) const
{
    *pNear = planes[kNear].offset;
    *pFar = -planes[kFar].offset;
    *pLeft = planes[kLeft].offset;
    *pRight = -planes[kRight].offset;
    *pTop = -planes[kTop].offset;
    *pBottom = planes[kBottom].offset;
}

void mFrustum::Set(const mFrustum& f)
{
    for (int i = 0; i < kNumPlanes; i++)
        planes[i] = f.planes[i];
}

void mFrustum::Xform(const mFrustum& f, const mOCS& o)
{
    for (int i = 0; i < kNumPlanes; i++) {
        const mVec3 n = mRotate(f.planes[i].normal, o.basis);
        const float offset = f.planes[i].offset + mDot(n, o.origin);
        planes[i].normal = n;
        planes[i].offset = offset;
    }
}

void mFrustum::XformInv(const mFrustum& f, const mOCS& o)
{
    for (int i = 0; i < kNumPlanes; i++) {
        const mVec3 n = f.planes[i].normal;
        const float offset = f.planes[i].offset - mDot(n, o.origin);
        planes[i].normal = mRotateInv(n, o.basis);
        planes[i].offset = offset;
    }
}

unsigned int mFrustum::Clip(const mBox& b, unsigned int mask) const
{
    for (int i = 0; i < kNumPlanes; i++) {
        const unsigned int bit = 1u << i;
        if (mask & bit)
            continue;
        const mPlane& pl = planes[i];
        const mVec3& n = pl.normal;
        // The box's corners lowest and highest along the normal.
        const mVec3 lo(n.x >= 0.0f ? b.minCorner.x : b.maxCorner.x, n.y >= 0.0f ? b.minCorner.y : b.maxCorner.y,
                       n.z >= 0.0f ? b.minCorner.z : b.maxCorner.z);
        if (mDot(n, lo) >= pl.offset) {
            mask |= bit;
            continue;
        }
        const mVec3 hi(n.x >= 0.0f ? b.maxCorner.x : b.minCorner.x, n.y >= 0.0f ? b.maxCorner.y : b.minCorner.y,
                       n.z >= 0.0f ? b.maxCorner.z : b.minCorner.z);
        if (mDot(n, hi) < pl.offset)
            return 0;
    }
    return mask;
}

unsigned int mFrustum::Clip(const mSphere& s, unsigned int mask) const
{
    for (int i = 0; i < kNumPlanes; i++) {
        const unsigned int bit = 1u << i;
        if (mask & bit)
            continue;
        const float d = mDot(planes[i].normal, s.center);
        if (d + s.radius < planes[i].offset)
            return 0;
        if (d - s.radius >= planes[i].offset)
            mask |= bit;
    }
    return mask;
}

void mFrustum::GetCorners(mVec3* pCorners) const
{
    for (int k = 0; k < 8; k++) {
        const mPlane& depth = planes[k < 4 ? kNear : kFar];
        const mPlane& vert = planes[(k & 2) ? kTop : kBottom];
        const mPlane& side = planes[(k & 1) ? kRight : kLeft];
        mVec3 p(0.0f, 0.0f, 0.0f);  // stays so when the planes meet in no single point
        mPlane::Intersection(depth, vert, side, &p);
        pCorners[k] = p;
    }
}

float mFrustum::GetNearCornerDistance() const
{
    mVec3 p(0.0f, 0.0f, 0.0f);
    mPlane::Intersection(planes[kNear], planes[kTop], planes[kLeft], &p);
    return p.Length();
}
