// Placing the player for a route: see the header.
#include "judgePlace.h"

#include <cmath>

#include "eEngine/eColliderRay.h"
#include "eEngine/eMesh.h"
#include "eEngine/eZone.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEntityWorld.h"

namespace cameraJudge {

namespace {

constexpr float kRadians = 0.01745329252f;
constexpr float kLift = 0.05f;       // the box's foot this far above the ground
constexpr float kRoomShare = 1.1f;   // the room looked for round the box, as a share of it
constexpr float kUpFacing = 0.7f;    // ground faces up at least this much
constexpr float kTolerance = 0.001f;

// The first collision on the segment, in the world; false when none.
bool FirstHit(const mVec3& from, const mVec3& to, const eGeom* pIgnore, eCollisionRayHit* pHit)
{
    mVec3 dir = to - from;
    const float fLength = dir.Normalize();
    eColliderRay ray;
    ray.m_ray.origin = from;
    ray.m_ray.dir = dir;
    ray.m_ray.length = fLength;
    ray.m_nCollisionMask = gcGameCamera::Get()->m_nCollisionMask;
    if (pIgnore)
        ray.AddIgnore(pIgnore, true);
    ray.ClearHit();
    eZone::CollisionCullAll(ray);
    if (!eZone::CollideAllRay(&ray) || ray.m_rayHit.fDistance >= fLength)
        return false;
    *pHit = ray.m_rayHit;
    return true;
}

bool Blocked(const mVec3& a, const mVec3& b, const eGeom* pIgnore)
{
    eCollisionRayHit hit;
    return FirstHit(a, b, pIgnore, &hit) || FirstHit(b, a, pIgnore, &hit);
}

}  // namespace

bool cameraJudgePlace::StandAt(int nRegion, float x, float y, float fHeight, mVec3* pLocal)
{
    const eZone* pZone = gcEntityWorld::GetRegionZone(nRegion);
    const gcEntity* pPlayer = gcPlayer::Get()->m_pEntity;
    const eMesh* pMesh = pPlayer ? eMeshMgr::GetPtr(pPlayer->m_model.m_hMesh) : nullptr;
    if (!pZone || !pMesh)
        return false;
    const mVec3 half = pMesh->m_colliderSize;
    const mOCS& toWorld = pZone->m_localToWorld;
    mVec3 top, bottom;
    top.Xform(mVec3(x, y, kGroundZ + kLookFrom), toWorld);
    bottom.Xform(mVec3(x, y, kGroundZ - 1.0f), toWorld);
    eCollisionRayHit hit;
    const eGeom* pIgnore = &pPlayer->m_model;
    if (!FirstHit(top, bottom, pIgnore, &hit) || hit.normal.z < kUpFacing)
        return false;
    mVec3 ground;
    ground.XformInv(hit.position, toWorld);
    if (ground.z > kGroundZ + kHighestGround)
        return false;
    pLocal->Set(x, y, ground.z + half.z + kLift + fHeight);
    mVec3 middle;
    middle.Xform(*pLocal, toWorld);
    // Room for the box: nothing between its middle and the corners of a
    // box a little larger, nor above it up to where the ground was looked
    // for (a flyer lifted into a wall's top).
    if (fHeight > 0.0f && Blocked(mVec3(middle.x, middle.y, hit.position.z + half.z), middle, pIgnore))
        return false;
    for (int k = 0; k < 8; ++k) {
        // Wider and higher than the box; its foot stays above the ground.
        const mVec3 corner((k & 1) ? half.x * kRoomShare : -half.x * kRoomShare,
                           (k & 2) ? half.y * kRoomShare : -half.y * kRoomShare,
                           (k & 4) ? half.z * kRoomShare : -half.z);
        mVec3 world;
        world.Xform(*pLocal + corner, toWorld);
        if (Blocked(middle, world, pIgnore))
            return false;
    }
    return true;
}

bool cameraJudgePlace::PlacePlayer(const Place& place)
{
    gcEntity* pPlayer = gcPlayer::Get()->m_pEntity;
    if (!pPlayer || place.nRegion < 0)
        return false;
    // The point, then a square spiral round it a metre a step.
    int dx = 0, dy = 0, stepX = 1, stepY = 0, nRun = 1, nInRun = 0, nTurns = 0;
    mVec3 local;
    bool bFound = false;
    for (int i = 0; i < kTries && !bFound; ++i) {
        bFound = StandAt(place.nRegion, place.fX + static_cast<float>(dx), place.fY + static_cast<float>(dy),
                         place.fHeight, &local);
        dx += stepX, dy += stepY;
        if (++nInRun == nRun) {
            nInRun = 0;
            const int t = stepX;
            stepX = -stepY, stepY = t;
            nRun += (++nTurns % 2 == 0) ? 1 : 0;
        }
    }
    if (!bFound)
        return false;
    const float h = place.fHeading * kRadians;
    mOCS frame;
    frame.origin = local;
    frame.basis.forward.Set(std::cos(h), std::sin(h), 0.0f);
    frame.basis.up.Set(0.0f, 0.0f, 1.0f);
    frame.basis.right.Cross(frame.basis.forward, frame.basis.up);
    pPlayer->SnapTo(static_cast<int16_t>(place.nRegion), frame);
    // As the game puts a player back where it stood: the camera with it.
    gcGameCamera::Get()->SnapCurMovement();
    gcGameCamera::Get()->SnapCurLookAt();
    return std::fabs(pPlayer->m_model.m_localToParent.origin.Dist(local)) < kTolerance;
}

}  // namespace cameraJudge
