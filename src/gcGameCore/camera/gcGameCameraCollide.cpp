// The game camera's services that touch the world: keeping a camera that
// follows an entity in front of the walls between the entity and it, firing
// the region triggers its move crosses, and turning stick directions into
// world directions relative to the view.
#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>

#include "eEngine/eColliderEllipse.h"
#include "eEngine/eColliderRay.h"
#include "eEngine/eVolumeQuery.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCameraMath.h"

gcGameCamera::CurrentRegionFunc gcGameCamera::s_currentRegionFunc = nullptr;

namespace {

// The level length below which a view axis counts as vertical: within about
// 0.0006 degrees of it, far above the rounding of a basis built at 90.
constexpr float kVerticalTol = 0.00001f;

}  // namespace

gcGameCamera::CurrentRegionFunc gcGameCamera::SetCurrentRegionFunc(CurrentRegionFunc func)
{
    const CurrentRegionFunc old = s_currentRegionFunc;
    s_currentRegionFunc = func;
    return old;
}

bool gcGameCamera::Collide(const mVec3& start, mVec3* pPos, bool bRepeat, float fRadius)
{
    if (m_PosCtrl.Mode != POSCTRL_FOLLOWENTITY)
        return false;
    mVec3 dir = *pPos - start;
    const float fDist = dir.Normalize();
    if (fDist <= eColliderEllipse::fColZeroTol)
        return false;
    // The near plane's corners stay out of the geometry.
    fRadius = std::max(fRadius, m_camera.m_frustum.GetNearCornerDistance());
    eColliderEllipse collider;
    for (int t = 0; t < eColliderEllipse::CT_MAXTYPES; ++t)
        collider.ClearContacts(static_cast<eColliderEllipse::eContactType>(t));
    collider.Set(start, fDist, dir, mVec3(fRadius, fRadius, fRadius));
    collider.m_nCollisionMask = m_nCollisionMask;
    if (const gcEntity* pEntity = gcEntityMgr::GetPtr(m_PosCtrl.hEntity))
        collider.AddIgnore(&pEntity->m_model, true);
    eZone::CollisionCullAll(collider);
    bool bHit = false;
    int nPasses = 0;
    do {
        eZone::CollideAll(&collider);
        bHit = bHit || collider.m_nContacts[eColliderEllipse::CT_NORMAL] > 0;
        eZone::CollideSlide(&collider);
        ++nPasses;
    } while (bRepeat && nPasses < kMaxSlidePasses && collider.m_fNonScaledMoveDist > eColliderEllipse::fColZeroTol);
    const mVec3& reached = collider.m_nonScaledPosition;
    *pPos = reached.Dist(start) < eColliderEllipse::fColZeroTol ? start : reached;
    return bHit;
}

void gcGameCamera::QueryTriggers(const mVec3& prevPos, unsigned int nFlags)
{
    const int nSlot = s_currentRegionFunc ? s_currentRegionFunc() : -1;
    const eZone* pZone = nSlot >= 0 && nSlot < eZone::kMaxZones ? eZone::s_pZones[nSlot] : nullptr;
    if (!pZone)
        return;
    gcRegionTrigger::FireVolumes(*pZone, prevPos, GetPos(), nFlags & ~eVolumeQuery::kDone, this);
}

mOCS gcGameCamera::ControlFrame() const
{
    float fHeading = m_fControlHeading;
    if (!m_bControlHeld) {
        const mBasis& view = m_camera.m_cameraToWorld.basis;
        mVec3 forward(view.forward.x, view.forward.y, 0.0f);
        // Looking straight up or down, what is left of the forward axis is
        // rounding noise of either sign; the right axis, level there, still
        // holds the camera's heading.
        if (forward.Normalize() < kVerticalTol)
            forward.Set(-view.right.y, view.right.x, 0.0f);
        fHeading = gcCameraMath::Heading(forward);
    }
    mOCS frame;
    frame.basis.SetHPR(fHeading, 0.0f, 0.0f);
    frame.origin = GetPos();
    return frame;
}

void gcGameCamera::GetDir(float x, float y, mVec3* pOut) const
{
    const mBasis basis = ControlFrame().basis;
    *pOut = basis.right * x + basis.forward * y;
    pOut->Normalize();
}

// A ray the camera casts: the camera's collision mask, the followed
// entity ignored, culled along its length.
void gcGameCamera::CameraRay(const mVec3& from, const mVec3& dir, float fLength, eColliderRay* pRay) const
{
    pRay->m_ray.origin = from;
    pRay->m_ray.dir = dir;
    pRay->m_ray.length = fLength;
    pRay->m_nCollisionMask = m_nCollisionMask;
    if (const gcEntity* pEntity = gcEntityMgr::GetPtr(m_PosCtrl.hEntity))
        pRay->AddIgnore(&pEntity->m_model, true);
    eZone::CollisionCullAll(*pRay);
}

bool gcGameCamera::RayHits(const mVec3& from, const mVec3& dir, float fLength) const
{
    eColliderRay ray;
    CameraRay(from, dir, fLength, &ray);
    ray.ClearHit();
    return eZone::CollideAllRay(&ray) && ray.m_rayHit.fDistance < fLength;
}

bool gcGameCamera::RayClear(const mVec3& from, const mVec3& to) const
{
    mVec3 dir = to - from;
    const float fLength = dir.Normalize();
    if (fLength <= eColliderEllipse::fColZeroTol)
        return true;
    // A ray meets only the faces turned towards it: a wall's far side may
    // have none, so it is cast both ways, through what one cull found
    // along the same segment.
    eColliderRay ray;
    CameraRay(from, dir, fLength, &ray);
    for (const bool bBack : {false, true}) {
        if (bBack) {
            ray.m_ray.origin = to;
            ray.m_ray.dir = -dir;
        }
        ray.ClearHit();
        if (eZone::CollideAllRay(&ray) && ray.m_rayHit.fDistance < fLength - eColliderEllipse::fColZeroTol)
            return false;
    }
    return true;
}
