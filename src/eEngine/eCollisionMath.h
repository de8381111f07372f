#pragma once
// Inline copies of the vector operations the collision loops run per
// triangle, in the operand order of mVec3's own (out-of-line) versions, so
// results are bit-identical to them. The sources that include this are
// compiled without fused multiply-adds, as mMath is.

#include <cmath>

#include "mMath/mOCS.h"
#include "mMath/mScalar.h"
#include "mMath/mVec3.h"

namespace eColMath {

inline float Dot(const mVec3& a, const mVec3& b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }

inline float LengthSq(const mVec3& a) { return (a.x * a.x + a.y * a.y) + a.z * a.z; }

inline float Length(const mVec3& a) { return mSqrt(LengthSq(a)); }

inline float DistSq(const mVec3& a, const mVec3& b) { return LengthSq(mVec3(a.x - b.x, a.y - b.y, a.z - b.z)); }

// As mVec3::AddScaled: a + b * s.
inline mVec3 AddScaled(const mVec3& a, const mVec3& b, float s)
{
    return mVec3(a.x + b.x * s, a.y + b.y * s, a.z + b.z * s);
}

// As mVec3::Normalize: a zero vector stays zero; the length before.
inline float Normalize(mVec3& a)
{
    const float s = LengthSq(a);
    if (s == 0.0f)
        return 0.0f;
    const float len = mSqrt(s);
    const float inv = 1.0f / len;
    a.x *= inv;
    a.y *= inv;
    a.z *= inv;
    return len;
}

// As mVec3::MakeNormal: (b - a) x (c - b), normalised.
inline mVec3 TriNormal(const mVec3& a, const mVec3& b, const mVec3& c)
{
    const mVec3 ab = b - a;
    const mVec3 bc = c - b;
    mVec3 n(ab.y * bc.z - ab.z * bc.y, ab.z * bc.x - ab.x * bc.z, ab.x * bc.y - ab.y * bc.x);
    Normalize(n);
    return n;
}

// As mVec3::Xform(point, mOCS): local point to parent.
inline mVec3 XformPoint(const mVec3& p, const mOCS& o)
{
    const mVec3& r = o.basis.right;
    const mVec3& f = o.basis.forward;
    const mVec3& u = o.basis.up;
    const mVec3 v((p.x * r.x + p.y * f.x) + p.z * u.x, (p.x * r.y + p.y * f.y) + p.z * u.y,
                  (p.x * r.z + p.y * f.z) + p.z * u.z);
    return mVec3(o.origin.x + v.x, o.origin.y + v.y, o.origin.z + v.z);
}

}  // namespace eColMath
