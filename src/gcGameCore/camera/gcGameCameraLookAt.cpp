// The game camera's look-at controllers: where the camera points each tick.
// Nowhere in particular (the view is kept), at an entity, at a region point,
// along a region point's own direction, at a point travelling along a region
// path, or at the point of a path closest to the camera. A target that
// cannot be found or whose region is not resident turns the controller off
// with the view held.
#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>
#include <cmath>

#include "eEngine/eColliderEllipse.h"
#include "gcGameCameraMath.h"

using gcCameraMath::PathPointInWorld;
using gcCameraMath::ToLocal;
using P = gcGameCameraParams;

namespace {

const mVec3 kWorldUp(0.0f, 0.0f, 1.0f);

}  // namespace

void gcGameCamera::LookAtNone(bool bSnap)
{
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    ctrl.Mode = LOOKATCTRL_NONE;
    ctrl.hEntity = gcEntityHandle();
    ctrl.hRegionPoint = gcRegionPointHandle();
    ctrl.hPath = gcRegionPathHandle();
    ctrl.fPathT = ctrl.fPathTDesired = ctrl.fPathTClosest = 0.0f;
    if (bSnap)
        LookAtWorld(m_camera.m_cameraToWorld);
}

void gcGameCamera::LookAtWorld(const mOCS& cameraToWorld)
{
    m_camera.SetCameraToWorld(cameraToWorld);
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    mQuat q;
    m_camera.m_cameraToWorld.basis.GetQuat(&q);
    const float fOffset = m_params.m_fOffsets[P::OFF_ENTITY];
    ctrl.curLookAtWorld = GetPos() + m_camera.m_cameraToWorld.basis.forward;
    for (int i = 0; i < 4; ++i) {
        ctrl.filter[i] = q;
        ctrl.entityOffsetFilter[i] = fOffset;
        ctrl.posFilter[i] = ctrl.curLookAtWorld;
    }
    ctrl.fEntityOffset = fOffset;
    ctrl.fCurLookAtK = 0.0f;
    ctrl.filterConsts.SetPole(0.0f);
}

void gcGameCamera::LookAtWorld(const mVec3& from, const mVec3& to)
{
    mOCS view;
    view.LookAt(from, to, kWorldUp);
    LookAtWorld(view);
}

void gcGameCamera::LookAtEntity(gcEntityHandle hEntity, bool bSnap)
{
    gcEntity* pEntity = gcEntityMgr::GetPtr(hEntity);
    mOCS world;
    // A deactivated or frozen entity is not looked at.
    if (!GetEntityWorld(pEntity, &world) || !pEntity->IsActive()) {
        LookAtNone(true);
        return;
    }
    const bool bAgain = m_LookAtCtrl.Mode == LOOKATCTRL_LOOKATENTITY && m_LookAtCtrl.hEntity == hEntity;
    LookAtNone(false);
    m_LookAtCtrl.Mode = LOOKATCTRL_LOOKATENTITY;
    m_LookAtCtrl.hEntity = hEntity;
    // A snap is the cut back already; asked again, the entity stays in view.
    m_LookAtCtrl.bOnFollowed = bSnap || (bAgain && m_LookAtCtrl.bOnFollowed);
    if (!bSnap)
        return;
    // The followed entity is looked at as the follow rig aims: the first
    // frame shows it as the next ones do.
    const mVec3 point = world.origin + world.basis.up * m_params.m_fOffsets[P::OFF_ENTITY];
    const bool bFollowed = m_PosCtrl.Mode == POSCTRL_FOLLOWENTITY && m_PosCtrl.hEntity == hEntity;
    LookAtWorld(GetPos(), bFollowed ? AimInFrame(GetPos(), point, world, pEntity->GetColliderSize(),
                                                 PivotAboveBody(*pEntity, m_params.m_fOffsets[P::OFF_ENTITY]))
                                    : point);
}

void gcGameCamera::LookAtPoint(gcRegionPointHandle hPoint, bool bSnap)
{
    const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hPoint);
    mOCS world;
    if (!pPoint || !pPoint->GetLocalToWorld(&world)) {
        LookAtNone(true);
        return;
    }
    LookAtNone(false);
    m_LookAtCtrl.Mode = LOOKATCTRL_LOOKATPOINT;
    m_LookAtCtrl.hRegionPoint = hPoint;
    if (bSnap)
        LookAtWorld(GetPos(), world.origin);
}

void gcGameCamera::LookThroughPoint(gcRegionPointHandle hPoint, bool bSnap)
{
    const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hPoint);
    mOCS world;
    if (!pPoint || !pPoint->GetLocalToWorld(&world)) {
        LookAtNone(true);
        return;
    }
    LookAtNone(false);
    m_LookAtCtrl.Mode = LOOKATCTRL_LOOKTHROUGHPOINT;
    m_LookAtCtrl.hRegionPoint = hPoint;
    if (bSnap) {
        world.origin = GetPos();
        LookAtWorld(world);
    }
}

void gcGameCamera::LookAtPath(gcRegionPathHandle hPath, float fStart, float fEnd, bool bStartClosest, bool bSnap)
{
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    LookAtNone(false);
    ctrl.hPath = hPath;
    mOCS pathToWorld;
    const gcRegionPath* pPath = ctrl.GetPath(&pathToWorld);
    if (!pPath) {
        LookAtNone(true);
        return;
    }
    const ePath& path = pPath->m_path;
    ctrl.Mode = LOOKATCTRL_LOOKATPATH;
    ctrl.fPathTClosest = path.FindClosestPoint(ToLocal(ctrl.curLookAtWorld, pathToWorld));
    ctrl.fPathT = bStartClosest ? ctrl.fPathTClosest : path.Units2PathT(fStart * path.m_fLength, 0.0f, true);
    ctrl.fPathTDesired = path.Units2PathT(fEnd * path.m_fLength, 0.0f, true);
    if (bSnap)
        LookAtWorld(GetPos(), PathPointInWorld(path, ctrl.fPathT, pathToWorld));
}

void gcGameCamera::LookAtPathClosest(gcRegionPathHandle hPath, bool bSnap)
{
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    LookAtNone(false);
    ctrl.hPath = hPath;
    mOCS pathToWorld;
    const gcRegionPath* pPath = ctrl.GetPath(&pathToWorld);
    if (!pPath) {
        LookAtNone(true);
        return;
    }
    ctrl.Mode = LOOKATCTRL_LOOKATPATHCLOSEST;
    if (bSnap) {
        const float t = pPath->m_path.FindClosestPoint(ToLocal(GetPos(), pathToWorld));
        LookAtWorld(GetPos(), PathPointInWorld(pPath->m_path, t, pathToWorld));
    }
}

void gcGameCamera::SnapCurLookAt()
{
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    switch (ctrl.Mode) {
    case LOOKATCTRL_LOOKATENTITY:
        LookAtEntity(ctrl.hEntity, true);
        break;
    case LOOKATCTRL_LOOKATPOINT:
        LookAtPoint(ctrl.hRegionPoint, true);
        break;
    case LOOKATCTRL_LOOKTHROUGHPOINT:
        LookThroughPoint(ctrl.hRegionPoint, true);
        break;
    case LOOKATCTRL_LOOKATPATH: {
        const float fDesired = ctrl.fPathTDesired;  // a parameter, where the command takes a fraction
        LookAtPath(ctrl.hPath, ctrl.fPathTClosest, fDesired, true, true);
        if (ctrl.Mode == LOOKATCTRL_LOOKATPATH)
            ctrl.fPathTDesired = fDesired;
        break;
    }
    case LOOKATCTRL_LOOKATPATHCLOSEST:
        LookAtPathClosest(ctrl.hPath, true);
        break;
    default:
        break;
    }
}

void gcGameCamera::OnLookAtNone(const gcMsgTick& tick, mVec3* pOutHPR)
{
    SmoothLookAtQuat(tick.dT, nullptr, 0.0f, true, pOutHPR);
}

void gcGameCamera::RunLookAtCtrl(const gcMsgTick& tick, const mVec3* pFollowPivot, mVec3* pOutHPR)
{
    if (m_LookAtCtrl.Mode != LOOKATCTRL_LOOKATENTITY)
        m_LookAtCtrl.bOnFollowed = false;
    switch (m_LookAtCtrl.Mode) {
    case LOOKATCTRL_NONE:
        OnLookAtNone(tick, pOutHPR);
        break;
    case LOOKATCTRL_LOOKATENTITY:
        OnLookAtEntityTick(tick, pFollowPivot, pOutHPR);
        break;
    case LOOKATCTRL_LOOKATPOINT:
        OnLookAtPointTick(tick, pOutHPR);
        break;
    case LOOKATCTRL_LOOKTHROUGHPOINT:
        OnLookThroughPointTick(tick, pOutHPR);
        break;
    case LOOKATCTRL_LOOKATPATH:
        OnLookAtPathTick(tick, pOutHPR);
        break;
    case LOOKATCTRL_LOOKATPATHCLOSEST:
        OnLookAtPathClosestTick(tick, pOutHPR);
        break;
    default:
        pOutHPR->Set(0.0f, 0.0f, 0.0f);
        break;
    }
}

void gcGameCamera::DropLookAt(mVec3* pOutHPR)
{
    m_camera.m_cameraToWorld.basis.GetHPR(&pOutHPR->x, &pOutHPR->y, &pOutHPR->z);
    LookAtNone(true);
}

void gcGameCamera::OnLookAtEntityTick(const gcMsgTick& tick, const mVec3* pFollowPivot, mVec3* pOutHPR)
{
    mOCS world;
    gcEntity* pEntity = gcEntityMgr::GetPtr(m_LookAtCtrl.hEntity);
    if (!GetEntityWorld(pEntity, &world))
        return DropLookAt(pOutHPR);
    // The entity the camera follows is looked at where the camera turned
    // about this tick: the pivot, kept on its side of a ceiling. The point
    // above it, beyond the ceiling, would tilt the view up from under the
    // ceiling.
    const bool bFollowed = pFollowPivot && m_PosCtrl.hEntity == m_LookAtCtrl.hEntity;
    mVec3 target = bFollowed ? *pFollowPivot : world.origin + world.basis.up * m_LookAtCtrl.fEntityOffset;
    if (bFollowed)
        target = AimInFrame(GetPos(), target, world, pEntity->GetColliderSize(),
                            PivotAboveBody(*pEntity, m_LookAtCtrl.fEntityOffset));
    // Follow play resuming (after a cinematic, or a look at something else)
    // cuts back to the entity at once: turned back over a few ticks, the view
    // would sweep it in from the screen's edge, its size leaping in a frame.
    // So does a tick that placed the camera anew: the view eased from the
    // last place's would show the entity only on the next frame.
    const bool bResumed = bFollowed && (!m_LookAtCtrl.bOnFollowed || m_rig.bCutNow);
    m_LookAtCtrl.bOnFollowed = bFollowed;
    if (!bResumed) {
        if (bFollowed)
            target = TurnNoMoreThan(GetPos(), target, FollowRules::kMaxTurn);
        return SmoothLookAtQuat(tick.dT, &target, 0.0f, false, pOutHPR);
    }
    LookAtWorld(GetPos(), target);
    m_camera.m_cameraToWorld.basis.GetHPR(&pOutHPR->x, &pOutHPR->y, &pOutHPR->z);
}

// The point looked at from eye, turned from the current view towards target
// by no more than fMaxTurn degrees: a player close to the camera, crossing
// the view, would otherwise swing the whole scene round faster than the eye
// follows. It is caught up on the next ticks.
mVec3 gcGameCamera::TurnNoMoreThan(const mVec3& eye, const mVec3& target, float fMaxTurn) const
{
    mVec3 to = target - eye;
    const float fDist = to.Normalize();
    const mVec3& from = m_camera.m_cameraToWorld.basis.forward;
    if (fDist <= eColliderEllipse::fColZeroTol || gcCameraMath::AngleBetween(from, to) <= fMaxTurn)
        return target;
    // The unit vector fMaxTurn round from the view towards to, in their
    // plane (none where the target lies straight behind: no way is shorter).
    mVec3 across = to - from * from.Dot(to);
    if (across.Normalize() <= eColliderEllipse::fColZeroTol)
        return target;
    const float fMax = fMaxTurn * gcCameraMath::kDegToRad;
    return eye + (from * std::cos(fMax) + across * std::sin(fMax)) * fDist;
}

// A camera near a flyer (squeezed beside it), whose pivot stands above its
// body, sees its middle far below the pivot: looked at, the pivot would
// leave the flyer below the frame's edge, and it would drop out of the
// picture and back in from one frame to the next. There the view turns
// down towards the middle, to a pitch that keeps the middle within
// kMiddleInFrame of the frame's half height below the centre. A walker's
// pivot lies within its body, but a camera held near it (a wall close
// behind) looks over its feet: for any entity the view turns down so that
// the lowest corner of its box stays within kFeetInFrame of the half height,
// where the whole box fits in that much of the frame (nearer, no aim shows
// all of it, and turning down would only fill more of the screen with it).
// The point looked at is the pivot's line lowered to that pitch. It turns
// no lower than kMaxLookDown down (unless looking at the pivot does already).
mVec3 gcGameCamera::AimInFrame(const mVec3& eye, const mVec3& pivot, const mOCS& world, const mVec3& half,
                               bool bMiddle) const
{
    constexpr float kLevelNear = 0.01f;  // nearer than this along the level, the pivot is overhead
    const float fLevel = std::hypot(pivot.x - eye.x, pivot.y - eye.y);
    float fNear = 0.0f, fFar = 0.0f, fLeft = 0.0f, fRight = 0.0f, fTop = 0.0f, fBottom = 0.0f;
    m_camera.m_frustum.GetPerspective(&fNear, &fFar, &fLeft, &fRight, &fTop, &fBottom);
    if (fLevel <= kLevelNear || fNear <= 0.0f)
        return pivot;
    const auto pitchTo = [&](const mVec3& at) { return std::atan2(at.z - eye.z, std::hypot(at.x - eye.x, at.y - eye.y)); };
    const float fHalfView = std::atan(fTop / fNear);
    const float fPivotPitch = std::atan2(pivot.z - eye.z, fLevel);
    float fPitch = fPivotPitch;
    if (bMiddle)
        fPitch = std::min(fPitch, pitchTo(world.origin) + FollowRules::kMiddleInFrame * fHalfView);
    float fFeet = fPivotPitch, fHead = -0.5f * 3.14159265f;
    for (const float x : {-half.x, half.x})
        for (const float y : {-half.y, half.y}) {
            mVec3 corner;
            corner.Xform(mVec3(x, y, -half.z), world);
            fFeet = std::min(fFeet, pitchTo(corner));
            corner.Xform(mVec3(x, y, half.z), world);
            fHead = std::max(fHead, pitchTo(corner));
        }
    if (fHead - fFeet <= 2.0f * FollowRules::kFeetInFrame * fHalfView)
        fPitch = std::min(fPitch, fFeet + FollowRules::kFeetInFrame * fHalfView);
    const float fLowest = std::min(fPivotPitch, -FollowRules::kMaxLookDown * gcCameraMath::kDegToRad);
    return mVec3(pivot.x, pivot.y, eye.z + fLevel * std::tan(std::max(fPitch, fLowest)));
}

void gcGameCamera::OnLookAtPointTick(const gcMsgTick& tick, mVec3* pOutHPR)
{
    const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(m_LookAtCtrl.hRegionPoint);
    mOCS world;
    if (!pPoint || !pPoint->GetLocalToWorld(&world))
        return DropLookAt(pOutHPR);
    SmoothLookAtQuat(tick.dT, &world.origin, 0.0f, false, pOutHPR);
}

void gcGameCamera::OnLookThroughPointTick(const gcMsgTick& tick, mVec3* pOutHPR)
{
    const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(m_LookAtCtrl.hRegionPoint);
    mOCS world;
    if (!pPoint || !pPoint->GetLocalToWorld(&world))
        return DropLookAt(pOutHPR);
    mVec3 hpr;
    world.basis.GetHPR(&hpr.x, &hpr.y, &hpr.z);
    SmoothLookAtQuat(tick.dT, &hpr, false, pOutHPR);
}

void gcGameCamera::OnLookAtPathClosestTick(const gcMsgTick& tick, mVec3* pOutHPR)
{
    mOCS pathToWorld;
    const gcRegionPath* pPath = m_LookAtCtrl.GetPath(&pathToWorld);
    if (!pPath)
        return DropLookAt(pOutHPR);
    const float t = pPath->m_path.FindClosestPoint(ToLocal(GetPos(), pathToWorld));
    const mVec3 target = PathPointInWorld(pPath->m_path, t, pathToWorld);
    SmoothLookAtPos(tick.dT, &target, 0.0f, false, pOutHPR);
}

void gcGameCamera::OnLookAtPathTick(const gcMsgTick& tick, mVec3* pOutHPR)
{
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    mOCS pathToWorld;
    const gcRegionPath* pPath = ctrl.GetPath(&pathToWorld);
    if (!pPath)
        return DropLookAt(pOutHPR);
    const float fTicks = static_cast<float>(tick.dT.m_nTicks);
    if (m_PosCtrl.Mode == POSCTRL_FOLLOWPATH && m_PosCtrl.hPath == ctrl.hPath) {
        // Dolly: the look-at point leads the camera down the path, rolling
        // with it; arriving ends both moves where the camera stands.
        float fRoll = 0.0f;
        const float fSpeed = std::max(m_PosCtrl.fPosVel * fTicks, kMinPathSpeed);
        const bool bMoving = ctrl.HandleFollowPath(fSpeed, ToLocal(GetPos(), pathToWorld), &fRoll);
        const mVec3 target = PathPointInWorld(pPath->m_path, ctrl.fPathT, pathToWorld);
        SmoothLookAtQuat(tick.dT, &target, fRoll, false, pOutHPR);
        if (!bMoving) {
            FollowNone(true);
            LookAtNone(true);
        }
        return;
    }
    const float fSpeed = m_params.m_fMaxVels[P::SPD_LOOKAT] * cTimeValue::SECONDS_PER_TICK * fTicks;
    ctrl.HandleFollowPath(std::max(fSpeed, kMinPathSpeed), ToLocal(ctrl.curLookAtWorld, pathToWorld), nullptr);
    const mVec3 target = PathPointInWorld(pPath->m_path, ctrl.fPathT, pathToWorld);
    SmoothLookAtPos(tick.dT, &target, 0.0f, false, pOutHPR);
}
