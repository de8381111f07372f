#include "mMath/mRay.h"

#include <cmath>

#include "mMath/mBox.h"
#include "mMath/mPlane.h"
#include "mMath/mScalar.h"
#include "mMath/mSphere.h"
#include "mVecOps.h"

bool mRay::Intersect(const mBox& b, mRayVolHit* pHit, bool* pInside) const
{
    *pInside = false;
    const float reach = ReachLength();
    pHit->distance = reach;
    const mVec3 mid = (b.minCorner + b.maxCorner) * 0.5f;
    const mVec3 half = mid - b.minCorner;
    const mVec3 d = mid - origin;
    float tNear = -kMaxFloat, tFar = kMaxFloat;
    int entryAxis = 0;
    for (int i = 0; i < 3; i++) {
        if (std::fabs(dir[i]) > 0.00001f) {
            const float q = 1.0f / dir[i];
            const float t1 = q * (d[i] + half[i]);
            const float t2 = q * (d[i] - half[i]);
            const float entry = t1 > t2 ? t2 : t1;
            const float exit = t1 > t2 ? t1 : t2;
            if (entry > tNear) {
                tNear = entry;
                entryAxis = i;
            }
            if (exit < tFar)
                tFar = exit;
            if (tNear > tFar || tFar < 0.0f)
                return false;
        } else {
            // Parallel to this slab: lying on a face counts as inside it.
            const float o = origin[i] - mid[i];
            if (o - half[i] > 0.0f || o + half[i] < 0.0f)
                return false;
        }
    }
    if (tNear <= 0.0f)
        return false;  // the origin is inside, or the box lies behind it
    if (tNear >= reach)
        return false;
    pHit->distance = tNear;
    pHit->pos = origin + dir * tNear;
    pHit->normal.Set(0.0f, 0.0f, 0.0f);
    pHit->normal[entryAxis] = dir[entryAxis] > 0.0f ? -1.0f : 1.0f;
    return true;
}

bool mRay::Intersect(const mVec3* pVerts, const unsigned short* pIndices, unsigned int nTris,
                     bool backFaces, mRayTriHit* pHit) const
{
    constexpr float kEps = 0.00001f;
    pHit->distance = ReachLength();
    bool found = false;
    for (unsigned int k = 0; k < nTris; k++) {
        const mVec3& v0 = pVerts[pIndices[3 * k]];
        const mVec3& v1 = pVerts[pIndices[3 * k + 1]];
        const mVec3& v2 = pVerts[pIndices[3 * k + 2]];
        const mVec3 e1 = v2 - v0;
        const mVec3 e2 = v1 - v0;
        const mVec3 pv = mCross(dir, e1);
        const float det = mDot(e2, pv);
        // Front faces have det > 0; a back face runs every test mirrored.
        const bool front = det > kEps;
        if (!front && !(backFaces && det < -kEps))
            continue;
        const mVec3 tv = origin - v0;
        const float u = mDot(tv, pv);
        if (front ? (u < 0.0f || u > det) : (u > 0.0f || u < det))
            continue;
        const mVec3 qv = mCross(tv, e2);
        const float w = mDot(dir, qv);
        if (front ? (w < 0.0f || u + w > det) : (w > 0.0f || u + w < det))
            continue;
        const float inv = 1.0f / det;
        const float t = mDot(e1, qv) * inv;
        if (t < 0.0f || t > pHit->distance)
            continue;
        pHit->distance = t;
        pHit->pos = origin + dir * t;
        pHit->normal = mCross(e2, e1);
        pHit->u = u * inv;
        pHit->v = w * inv;
        pHit->index = static_cast<int>(3 * k);
        found = true;
    }
    if (found)
        pHit->normal.Normalize();
    return found;
}
