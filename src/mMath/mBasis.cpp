#include "mMath/mBasis.h"

#include <cmath>

#include "mMath/mQuat.h"
#include "mMath/mScalar.h"
#include "mVecOps.h"

void mBasis::MakeIdentity()
{
    right.Set(1.0f, 0.0f, 0.0f);
    forward.Set(0.0f, 1.0f, 0.0f);
    up.Set(0.0f, 0.0f, 1.0f);
}

void mBasis::SetH(float h)
{
    float sh, ch;
    mSinCos(h, &sh, &ch);
    right.Set(ch, sh, 0.0f);
    forward.Set(-sh, ch, 0.0f);
    up.Set(0.0f, 0.0f, 1.0f);
}

void mBasis::SetHP(float h, float p)
{
    float sh, ch, sp, cp;
    mSinCos(h, &sh, &ch);
    mSinCos(p, &sp, &cp);
    right.Set(ch, sh, 0.0f);
    forward.Set(-cp * sh, cp * ch, sp);
    up.Set(sp * sh, -sp * ch, cp);
}

void mBasis::SetHPR(float h, float p, float r)
{
    float sh, ch, sp, cp, sr, cr;
    mSinCos(h, &sh, &ch);
    mSinCos(p, &sp, &cp);
    mSinCos(r, &sr, &cr);
    right.Set(cr * ch - sr * sp * sh, cr * sh + sr * sp * ch, -sr * cp);
    forward.Set(-cp * sh, cp * ch, sp);
    up.Set(sr * ch + cr * sp * sh, sr * sh - cr * sp * ch, cr * cp);
}

void mBasis::GetHPR(float* pH, float* pP, float* pR) const
{
    *pH = kRadToDeg * mAtan2(-forward.x, forward.y);
    const float fz = forward.z <= -1.0f ? -1.0f : (forward.z >= 1.0f ? 1.0f : forward.z);
    const float p = kRadToDeg * mAsin(fz);
    *pP = p;
    if (std::fabs(std::fabs(p) - 90.0f) <= 0.00001f)
        *pR = kRadToDeg * mAtan2(up.x, right.x);  // heading and roll share the axis
    else
        *pR = kRadToDeg * mAtan2(-right.z, up.z);
}

void mBasis::SetAxisAngle(const mVec3& axis, float degrees)
{
    const float x = axis.x, y = axis.y, z = axis.z;
    float s, c;
    mSinCos(degrees, &s, &c);
    const float t = 1.0f - c;
    right.Set(x * x + c * (1.0f - x * x), s * z + t * x * y, t * x * z - s * y);
    forward.Set(t * x * y - s * z, y * y + c * (1.0f - y * y), s * x + t * y * z);
    up.Set(s * y + t * x * z, t * y * z - s * x, z * z + c * (1.0f - z * z));
}

void mBasis::GetAxisAngle(mVec3* pAxis, float* pDegrees) const
{
    mQuat q;
    GetQuat(&q);
    q.GetAxisAngle(pAxis, pDegrees);
}

void mBasis::GetQuat(mQuat* pQuat) const
{
    const float m[3][3] = {{right.x, right.y, right.z},
                           {forward.x, forward.y, forward.z},
                           {up.x, up.y, up.z}};
    const float trace = m[0][0] + m[1][1] + m[2][2];
    if (trace > 0.0f) {
        const float s = mSqrt(trace + 1.0f);
        const float f = 0.5f / s;
        pQuat->Set(f * (m[2][1] - m[1][2]), f * (m[0][2] - m[2][0]), f * (m[1][0] - m[0][1]),
                   0.5f * s);
        return;
    }
    // Build from the largest diagonal term; ties keep the lower index.
    int i = 0;
    if (m[1][1] > m[0][0])
        i = 1;
    if (m[2][2] > m[i][i])
        i = 2;
    const int j = (i + 1) % 3;
    const int k = (j + 1) % 3;
    float s = (m[i][i] - (m[j][j] + m[k][k])) + 1.0f;
    s = mSqrt(s);  // a non-positive s (not a rotation) stays as it is
    const float f = std::fabs(s) <= 0.00001f ? 0.0f : 0.5f / s;
    float q[3];
    q[i] = 0.5f * s;
    q[j] = f * (m[j][i] + m[i][j]);
    q[k] = f * (m[k][i] + m[i][k]);
    pQuat->Set(q[0], q[1], q[2], f * (m[k][j] - m[j][k]));
}

void mBasis::SetQuat(const mQuat& q)
{
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    right.Set(1.0f - 2.0f * (y * y + z * z), 2.0f * x * y - 2.0f * z * w, 2.0f * x * z + 2.0f * y * w);
    forward.Set(2.0f * x * y + 2.0f * z * w, 1.0f - 2.0f * (x * x + z * z), 2.0f * y * z - 2.0f * x * w);
    up.Set(2.0f * x * z - 2.0f * y * w, 2.0f * y * z + 2.0f * x * w, 1.0f - 2.0f * (x * x + y * y));
}

void mBasis::Inverse(const mBasis& b)
{
    const mBasis s = b;
    right.Set(s.right.x, s.forward.x, s.up.x);
    forward.Set(s.right.y, s.forward.y, s.up.y);
    up.Set(s.right.z, s.forward.z, s.up.z);
}

void mBasis::Inverse() { Inverse(*this); }

bool mBasis::ApproxEqual(const mBasis& b, float tol) const
{
    return right.ApproxEqual(b.right, tol) && forward.ApproxEqual(b.forward, tol) &&
           up.ApproxEqual(b.up, tol);
}

void mBasis::SetDir(const mVec3& dir)
{
    const mVec3 d = dir;  // dir may be one of our rows
    mVec3 refUp(0.0f, 0.0f, 1.0f);
    if (std::fabs(d.z - 1.0f) <= 0.001f)
        refUp.Set(0.0f, -1.0f, 0.0f);
    else if (std::fabs(d.z + 1.0f) <= 0.001f)
        refUp.Set(0.0f, 1.0f, 0.0f);
    forward = d;
    right.Cross(forward, refUp);
    right.Normalize();
    up.Cross(right, forward);
}

void mBasis::Xform(const mBasis& a, const mBasis& b)
{
    const mVec3 r = mRotate(a.right, b), f = mRotate(a.forward, b), u = mRotate(a.up, b);
    right = r;
    forward = f;
    up = u;
}

void mBasis::XformInv(const mBasis& a, const mBasis& b)
{
    const mVec3 r = mRotateInv(a.right, b), f = mRotateInv(a.forward, b), u = mRotateInv(a.up, b);
    right = r;
    forward = f;
    up = u;
}
