#pragma once
// Dot and cross products and row-vector products with a basis, shared by the
// math sources so the per-frame tests and transforms stay straight-line code.
// Private to src/mMath, whose files are compiled without fused multiply-adds:
// keep it out of the public headers. File-local copies (static) in each source.

#include "mMath/mBasis.h"

static inline float mDot(const mVec3& a, const mVec3& b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }

static inline mVec3 mCross(const mVec3& a, const mVec3& b)
{
    return mVec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// v.x*right + v.y*forward + v.z*up (local to parent).
static inline mVec3 mRotate(const mVec3& v, const mBasis& b)
{
    const mVec3& r = b.right;
    const mVec3& f = b.forward;
    const mVec3& u = b.up;
    return mVec3((v.x * r.x + v.y * f.x) + v.z * u.x, (v.x * r.y + v.y * f.y) + v.z * u.y,
                 (v.x * r.z + v.y * f.z) + v.z * u.z);
}

// (v.right, v.forward, v.up) (parent to local).
static inline mVec3 mRotateInv(const mVec3& v, const mBasis& b)
{
    return mVec3(mDot(v, b.right), mDot(v, b.forward), mDot(v, b.up));
}
