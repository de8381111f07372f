#include "mMath/mQuat.h"

#include <cmath>

#include "mMath/mBasis.h"
#include "mMath/mScalar.h"
#include "mMath/mVec3.h"

void mQuat::Mult(const mQuat& a, const mQuat& b)
{
    const float nx = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
    const float ny = a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x;
    const float nz = a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w;
    const float nw = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    Set(nx, ny, nz, nw);
}

void mQuat::Slerp(const mQuat& a, const mQuat& b, float t)
{
    const mQuat qa = a;
    mQuat qb = b;
    float d = ((qa.x * qb.x + qa.y * qb.y) + qa.z * qb.z) + qa.w * qb.w;
    if (d < 0.0f) {
        d = -d;  // -b is the same rotation by the shorter arc
        qb.Set(-qb.x, -qb.y, -qb.z, -qb.w);
    }
    float wa, wb;
    if (1.0f - d > 0.0001f) {
        // 0 <= d < 0.9999 here, so sin(omega) is well away from 0.
        const float omega = mAcos(d);
        const float inv = 1.0f / mSin(omega);
        wa = mSin((1.0f - t) * omega) * inv;
        wb = mSin(t * omega) * inv;
    } else {
        wa = 1.0f - t;
        wb = t;
    }
    Set(qa.x * wa + qb.x * wb, qa.y * wa + qb.y * wb, qa.z * wa + qb.z * wb,
        qa.w * wa + qb.w * wb);
}

void mQuat::SetAxisAngle(const mVec3& axis, float degrees)
{
    float s, c;
    mSinCos(degrees * 0.5f, &s, &c);
    Set(-axis.x * s, -axis.y * s, -axis.z * s, c);
}

void mQuat::GetAxisAngle(mVec3* pAxis, float* pDegrees) const
{
    const float sinSq = 1.0f - w * w;
    // The identity; or |w| >= 1, where no axis can be read (a whole turn, or a
    // quaternion not of unit length): report no rotation rather than divide by 0.
    if (std::fabs(w - 1.0f) <= 0.00001f || !(sinSq > 0.0f)) {
        pAxis->Set(0.0f, 0.0f, 1.0f);
        *pDegrees = 0.0f;
        return;
    }
    const float inv = 1.0f / mSqrt(sinSq);
    pAxis->Set(x * inv, y * inv, z * inv);
    *pDegrees = -2.0f * (kRadToDeg * mAcos(w));  // |w| < 1 here
}

// Sines and cosines of the half angles.
struct HalfAngles {
    float sh, ch, sp, cp, sr, cr;
};

static HalfAngles MakeHalfAngles(float h, float p, float r)
{
    HalfAngles a;
    mSinCos(h * 0.5f, &a.sh, &a.ch);
    mSinCos(p * 0.5f, &a.sp, &a.cp);
    mSinCos(r * 0.5f, &a.sr, &a.cr);
    return a;
}

void mQuat::SetHPR(float h, float p, float r)
{
    const HalfAngles a = MakeHalfAngles(h, p, r);
    Set(-a.sp * a.ch * a.cr + a.cp * a.sh * a.sr, -a.cp * a.ch * a.sr - a.sp * a.sh * a.cr,
        -a.cp * a.sh * a.cr - a.sp * a.ch * a.sr, a.cp * a.ch * a.cr - a.sp * a.sh * a.sr);
}

void mQuat::SetHPR(const mVec3& hpr) { SetHPR(hpr.x, hpr.y, hpr.z); }

void mQuat::SetHP(float h, float p)
{
    const HalfAngles a = MakeHalfAngles(h, p, 0.0f);
    Set(-a.sp * a.ch, -a.sp * a.sh, -a.cp * a.sh, a.cp * a.ch);
}

void mQuat::GetHPR(float* pH, float* pP, float* pR) const
{
    mBasis b;
    b.SetQuat(*this);
    b.GetHPR(pH, pP, pR);
}

void mQuat::GetHPR(mVec3* pHpr) const
{
    float h, p, r;
    GetHPR(&h, &p, &r);
    pHpr->Set(h, p, r);
}

void mQuat::GetHP(float* pH, float* pP) const
{
    float r;
    GetHPR(pH, pP, &r);
}

void mQuat::Exp(const mQuat& q)
{
    const mVec3 v(q.x, q.y, q.z);
    const float theta = v.Length();
    const float f = theta > 0.0001f ? mSin(theta) / theta : 1.0f;
    Set(f * v.x, f * v.y, f * v.z, mCos(theta));
}

void mQuat::LogN(const mQuat& q)
{
    const mVec3 v(q.x, q.y, q.z);
    const float theta = v.Length();
    const float a = mAtan2(theta, q.w);
    const float f = theta > 0.0f ? a / theta : theta;
    Set(f * v.x, f * v.y, f * v.z, 0.0f);
}
