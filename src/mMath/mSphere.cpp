#include "mMath/mSphere.h"

#include "mMath/mBox.h"
#include "mMath/mScalar.h"
#include "mVecOps.h"

void mSphere::MakeEmpty()
{
    center.Set(0.0f, 0.0f, 0.0f);
    radius = -1.0f;
}

bool mSphere::Collide(const mVec3& dest, const mVec3& p, const mVec3& q, mVec3* pCenter,
                      mVec3* pPoint, float* pDistance) const
{
    const mVec3 e = p - q;
    const float lenSq = mDot(e, e);
    if (lenSq == 0.0f)
        return false;  // a point, not a segment: callers test the corners themselves
    const mVec3 w = center - q;
    const mVec3 v = dest - center;
    float t, s;
    if (!mSweepSphereToSegment(w, v, e, lenSq, mDot(w, e), radius, &t, &s))
        return false;
    const mVec3 c = center + v * t;
    *pDistance = c.Dist(center);
    *pPoint = q + e * s;
    *pCenter = c;
    return true;
}

bool mSphere::Collide(const mVec3& dest, const mSphere& other, mVec3* pCenter, float* pFraction) const
{
    const mVec3 w = center - other.center;
    const mVec3 v = dest - center;
    const float rr = radius + other.radius;
    const float wv = mDot(w, v);
    if (wv >= -0.0001f)
        return false;  // not approaching
    const float wSq = mDot(w, w);
    if (wSq <= rr * rr) {
        *pCenter = center;
        *pFraction = 0.0f;
        return true;
    }
    float r0, r1, t;
    if (!mSolveQuadratic(mDot(v, v), 2.0f * wv, wSq - rr * rr, &r0, &r1))
        return false;
    if (!mPickSweepRoot(r0, r1, &t))
        return false;
    *pCenter = center + v * t;
    *pFraction = t;
    return true;
}

void mSphere::Clamp(const mVec3& p, mVec3* pOut) const
{
    mVec3 d = p - center;
    if (mDot(d, d) <= radius * radius) {
        *pOut = p;
        return;
    }
    d.Normalize();
    *pOut = center + d * (radius - 0.00001f);
}

void mSphere::Extend(const mSphere& o)
{
    if (radius <= 0.0f) {
        *this = o;
        return;
    }
    if (o.radius <= 0.0f)
        return;
    const float d = center.Dist(o.center);
    if (d + o.radius <= radius)
        return;  // o lies inside
    if (d + radius <= o.radius) {
        *this = o;  // this lies inside o
        return;
    }
    const float newRadius = 0.5f * (o.radius + (d + radius));
    if (d > 0.00001f)
        center = center + (o.center - center) * ((newRadius - radius) / d);
    radius = newRadius;
}

void mSphere::Extend(const mBox& b)
{
    if (b.IsEmpty()) {
        // The empty box stands for the empty sphere: an empty this stays empty.
        if (radius <= 0.0f)
            radius = -1.0f;
        return;
    }
    mSphere s;
    s.center = (b.minCorner + b.maxCorner) * 0.5f;
    s.radius = 0.5f * (b.maxCorner - b.minCorner).Length();
    Extend(s);
}

void mSphere::Extend(int n, const mVec3* pPoints, int stride)
{
    if (n <= 0)
        return;
    mBox b;
    b.MakeEmpty();
    b.Extend(n, pPoints, stride);
    Extend(b);
}

mContainment mSphere::Contains(const mBox& b) const
{
    const float rSq = radius * radius;
    float farSq = 0.0f;  // squared distance to the farthest corner
    for (int i = 0; i < 3; i++) {
        const float a = b.minCorner[i] - center[i];
        const float c = center[i] - b.maxCorner[i];
        if (a > 0.0f) {
            if (a * a > rSq)
                return mContainment::NONE;
            farSq += c * c;
        } else if (c > 0.0f) {
            if (c * c > rSq)
                return mContainment::NONE;
            farSq += a * a;
        } else {
            farSq += a * a > c * c ? a * a : c * c;
        }
    }
    return rSq >= farSq ? mContainment::ALL : mContainment::PARTIAL;
}
