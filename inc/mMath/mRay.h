#pragma once
// A segment from origin along the unit direction dir. A negative length means
// unbounded: the box, sphere and triangle tests read it as kUnboundedLength
// (the plane test reads the length as it is). Plain value; any thread.
// Each test returns whether it hit; on a miss the hit record holds whatever the
// test wrote before it gave up (the distance is always written, see below).

#include "mMath/mVec3.h"
#include "mMath/mRayVolHit.h"
#include "mMath/mPlane.h"
#include "mMath/mRayTriHit.h"
#include "mMath/mScalar.h"
#include "mMath/mSphere.h"

struct mBox;

struct mRay {
    static constexpr float kUnboundedLength = 1000000.0f;

    mVec3 origin;
    mVec3 dir;
    float length;

    float ReachLength() const { return length >= 0.0f ? length : kUnboundedLength; }

    // Slab test. Starts the hit at distance = reach. An origin inside the box
    // or a box behind it misses; the inside flag is cleared and never set.
    bool Intersect(const mBox& b, mRayVolHit* pHit, bool* pInside) const;
    // Writes the distance whenever the ray is not parallel, even when the hit
    // is rejected for lying behind the origin (unless allowed) or beyond length.
    bool Intersect(const mPlane& p, mRayVolHit* pHit, bool wantNormal, bool allowBehind) const;
    // Starts the hit at distance = reach; sets the inside flag when the origin
    // is inside (a ray of length 0 then still misses). From inside, the hit is
    // the exit point.
    bool Intersect(const mSphere& s, mRayVolHit* pHit, bool* pInside) const;
    // Nearest hit among nTris triangles of 16-bit indices into pVerts (the
    // caller guarantees they are in range). Front faces run counter-clockwise
    // seen from the origin; back faces count only when asked. Of two hits at
    // the same distance the later triangle wins.
    bool Intersect(const mVec3* pVerts, const unsigned short* pIndices, unsigned int nTris,
                   bool backFaces, mRayTriHit* pHit) const;
};

// The plane and sphere tests are inline: the swept-ellipsoid test runs them
// for every triangle face and every corner near the path.
inline bool mRay::Intersect(const mPlane& p, mRayVolHit* pHit, bool wantNormal, bool allowBehind) const
{
    const float k = p.normal.Dot(dir);
    if (k == 0.0f)
        return false;
    const float t = (p.offset - p.normal.Dot(origin)) / k;
    pHit->distance = t;
    if (t < 0.0f && !allowBehind)
        return false;
    if (t > length)  // the plane test reads the length as it is
        return false;
    if (wantNormal)
        pHit->normal = p.normal;
    pHit->pos = origin + dir * t;
    return true;
}

inline bool mRay::Intersect(const mSphere& s, mRayVolHit* pHit, bool* pInside) const
{
    *pInside = false;
    const float reach = ReachLength();
    pHit->distance = reach;
    const mVec3 m = s.center - origin;
    const float mSq = m.Dot(m);
    const float rSq = s.radius * s.radius;
    if (mSq <= rSq)
        *pInside = true;
    if (length == 0.0f)
        return false;
    const float b = m.Dot(dir);
    if (b < 0.0f && mSq > rSq)
        return false;  // behind, and the origin is outside
    const float q = mSq - b * b;
    if (q > rSq)
        return false;
    const float s0 = mSqrt(rSq - q);
    const float t = mSq > rSq ? b - s0 : b + s0;  // entering, or leaving from inside
    if (t > reach)
        return false;
    pHit->distance = t;
    pHit->pos = origin + dir * t;
    pHit->normal = pHit->pos - s.center;
    pHit->normal.Normalize();
    return true;
}
