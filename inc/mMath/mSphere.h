#pragma once
// Sphere; empty when its radius is not positive (the operations produce -1).
// Also the moving body of the sweep tests used by collision. Plain value:
// default construction leaves it unset; any thread.

#include "mMath/mScalar.h"
#include "mMath/mVec3.h"
#include "mMath/mVolume.h"

struct mBox;

struct mSphere : mVolume {
    mVec3 center;
    float radius;

    void MakeEmpty();  // radius -1
    bool IsEmpty() const { return !(radius > 0.0f); }

    // Sweeps this sphere from center to dest against the segment from q (0) to
    // p (1). On contact with the segment's inside (not its ends, which callers
    // test as points) gives the centre at contact, the touched point and the
    // distance moved, and returns true. A zero-length segment never hits.
    bool Collide(const mVec3& dest, const mVec3& p, const mVec3& q, mVec3* pCenter,
                 mVec3* pPoint, float* pDistance) const;
    // Sweeps this sphere from center to dest against another sphere. Only an
    // approaching move hits; already touching gives fraction 0 at the start.
    // pFraction is the share of the move, not a distance.
    bool Collide(const mVec3& dest, const mSphere& other, mVec3* pCenter, float* pFraction) const;

    // p when inside; else the point just inside the surface toward p.
    void Clamp(const mVec3& p, mVec3* pOut) const;

    void Extend(const mSphere& o);                       // grow to enclose o
    void Extend(const mBox& b);                          // grow to enclose b's sphere
    void Extend(int n, const mVec3* pPoints, int stride);

    // NONE only when the box is separated from the centre by more than the
    // radius along one axis; a box off the diagonal that misses counts PARTIAL.
    mContainment Contains(const mBox& b) const;
};

// Of a sweep's two roots, the first in [0, 1] (the smaller when both are).
inline bool mPickSweepRoot(float r0, float r1, float* pT)
{
    const bool use0 = r0 >= 0.0f && r0 <= 1.0f;
    const bool use1 = r1 >= 0.0f && r1 <= 1.0f;
    if (use0 && (!use1 || r1 > r0)) {
        *pT = r0;
        return true;
    }
    if (use1) {
        *pT = r1;
        return true;
    }
    return false;
}

// The core of Collide against a segment: a sphere of radius r moved by v
// against the segment q..q+e, given w = centre - q, lenSq = e.e (not 0) and
// we = w.e. Gives the fraction t of v at which it first touches the
// segment's inside and where along the segment (s, 0..1). Inline: the
// swept-ellipsoid test runs it for every triangle edge near the path, and
// works out the contact only for the nearest hit.
inline bool mSweepSphereToSegment(const mVec3& w, const mVec3& v, const mVec3& e, float lenSq, float we, float r,
                                  float* pT, float* pS)
{
    const float inv = 1.0f / lenSq;
    const float ve = v.Dot(e);
    // The parts of the move and the offset perpendicular to the segment.
    const mVec3 vp = v - e * (ve * inv);
    const mVec3 wp = w - e * (we * inv);
    float r0, r1, t;
    if (!mSolveQuadratic(vp.Dot(vp), 2.0f * vp.Dot(wp), wp.Dot(wp) - r * r, &r0, &r1) || !mPickSweepRoot(r0, r1, &t))
        return false;
    const float s = (we + t * ve) * inv;
    if (s < 0.0f || s > 1.0f)
        return false;
    *pT = t;
    *pS = s;
    return true;
}
