#pragma once
// Sphere; empty when its radius is not positive (the operations produce -1).
// Also the moving body of the sweep tests used by collision. Plain value:
// default construction leaves it unset; any thread.

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
