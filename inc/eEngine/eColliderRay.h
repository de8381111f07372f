#pragma once
// The ray query: a segment in world space, the collision mask and ignored
// nodes of eCollider, and the nearest hit found so far. eZone::CollisionCullAll
// gathers the candidates along the ray and eZone::CollideAllRay keeps the
// nearest front-facing triangle hit in m_rayHit. Lives on its caller's stack;
// main thread only.

#include "eEngine/eCollider.h"
#include "mMath/mRay.h"

class cBase;
class eSurface;

struct eCollisionRayHit {
    float fDistance;     // along the ray; the largest float while nothing was hit
    mVec3 position;      // world space
    mVec3 normal;        // the triangle's unit normal, in the space of its owner's frame
    eSurface* pSurface;  // of the triangles hit
    cBase* pObj;         // the eZone, or the model, that owns them
};

class eColliderRay : public eCollider
{
public:
    // The ray is left unset; the hit is cleared as a cast expects it.
    eColliderRay();

    // Back to "nothing hit": distance the largest float, no surface or object.
    void ClearHit();
    bool HasHit() const;

    mRay m_ray;  // origin, unit direction, length; world space
    eCollisionRayHit m_rayHit;
};
