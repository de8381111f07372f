#pragma once
// What a scene node with collision surfaces of its own (a model) offers to
// the zone's collision queries. From its eGeom::CollisionCull it files one
// eModelColInfo per surface that the collider may meet into its zone's
// collidable ring (eZone::AddCollisionInfo); the zone's passes then read the
// triangles of each filed surface through this interface, caching them in
// the dynamic collision cache. Main thread only.

#include <cstdint>

#include "eEngine/eCollisionInfo.h"
#include "eEngine/eSurface.h"

struct eCollisionCacheTri;
struct eCollisionRayHit;
struct mRay;

class eCollisionModel
{
public:
    // Collision triangles of surface nSurface; 0 for none.
    virtual int GetCollisionTrisCount(int nSurface) const = 0;
    // Writes nCount triangles of the surface from nFirst on: corners in world
    // space and the plane through them (normal mVec3::MakeNormal of the
    // corners, offset normal . v1). The passes ask for at most
    // eCollisionCache::kMaxTris at a time.
    virtual void FillCollisionTris(eCollisionCacheTri* pOut, int nSurface, int nFirst, int nCount) const = 0;
    // Tests the ray (in the zone's space) against the surface's triangles,
    // front faces only, and where one is nearer than pHit->fDistance writes
    // the hit: distance, world position, normal, the surface and itself.
    virtual void IntersectColTris(const mRay& zoneRay, int nSurface, eCollisionRayHit* pHit) const = 0;

protected:
    ~eCollisionModel() = default;
};

// A model's record per collision surface: it enters the ring through its
// base, with pCollidable the model itself (as a cBase, the object contacts
// name) and pModel the same object seen through the interface.
struct eModelColInfo : eCollisionInfo {
    eCollisionModel* pModel = nullptr;
    eSurfaceHandle hSurface;        // 0 when new
    int32_t nSurfaceID = 0;         // the surface's number within the model
    uint32_t nColCacheId = 0;       // its run in the dynamic collision cache; 0 = none
};
