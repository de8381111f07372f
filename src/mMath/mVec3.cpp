#include "mMath/mVec3.h"

#include <cmath>

#include "mMath/mBasis.h"
#include "mMath/mOCS.h"
#include "mMath/mRand.h"
#include "mMath/mScalar.h"
#include "mVecOps.h"

void mVec3::AddScaled(const mVec3& a, const mVec3& b, float s)
{
    Set(a.x + b.x * s, a.y + b.y * s, a.z + b.z * s);
}

void mVec3::Cross(const mVec3& a, const mVec3& b) { *this = mCross(a, b); }

float mVec3::LengthSq() const { return (x * x + y * y) + z * z; }
float mVec3::Length() const { return mSqrt(LengthSq()); }

float mVec3::DistSq(const mVec3& b) const
{
    const mVec3 d(x - b.x, y - b.y, z - b.z);
    return d.LengthSq();
}

float mVec3::Dist(const mVec3& b) const { return mSqrt(DistSq(b)); }

bool mVec3::ApproxEqual(const mVec3& b, float tol) const
{
    return std::fabs(x - b.x) <= tol && std::fabs(y - b.y) <= tol && std::fabs(z - b.z) <= tol;
}

float mVec3::Normalize()
{
    const float s = LengthSq();
    if (s == 0.0f)
        return 0.0f;
    const float len = mSqrt(s);
    const float inv = 1.0f / len;
    x *= inv;
    y *= inv;
    z *= inv;
    return len;
}

void mVec3::MakeNormal(const mVec3& a, const mVec3& b, const mVec3& c)
{
    const mVec3 ab = b - a;
    const mVec3 bc = c - b;
    Cross(ab, bc);
    Normalize();
}

void mVec3::Xform(const mVec3& v, const mBasis& b) { *this = mRotate(v, b); }
void mVec3::XformInv(const mVec3& v, const mBasis& b) { *this = mRotateInv(v, b); }

void mVec3::Xform(const mVec3& p, const mOCS& o)
{
    const mVec3 r = mRotate(p, o.basis);
    Set(o.origin.x + r.x, o.origin.y + r.y, o.origin.z + r.z);
}

// The difference is kept in a local, so this may even lie inside the frame.
void mVec3::XformInv(const mVec3& p, const mOCS& o) { *this = mRotateInv(p - o.origin, o.basis); }

void mVec3::XformVec(const mVec3& v, const mOCS& o) { *this = mRotate(v, o.basis); }
void mVec3::XformVecInv(const mVec3& v, const mOCS& o) { *this = mRotateInv(v, o.basis); }

// alpha off +Y by the first draw (a tolerance in (-1, 1]), then a turn of
// beta about +Y by the second; the draws happen in that order.
static mVec3 DirFromDraws(float degrees, float tol, float unit)
{
    float sa, ca, sb, cb;
    mSinCos(degrees * tol, &sa, &ca);
    mSinCos(360.0f * unit, &sb, &cb);
    return mVec3(sa * cb, ca, sa * sb);
}

void mVec3::RandDir(float degrees)
{
    const float tol = mRandTol();
    const float unit = mRand();
    *this = DirFromDraws(degrees, tol, unit);
}

void mVec3::IRandDir(float degrees)
{
    const float tol = mIRandTol();
    const float unit = mIRand();
    *this = DirFromDraws(degrees, tol, unit);
}
