// The game camera's position controllers: where the camera stands each tick.
// It coasts to a stop, follows an entity from behind (the player camera),
// travels along a region path, keeps to a path at the place an entity gives,
// or moves to a region point. Targets whose region is not resident turn the
// controller off and leave the camera where it is.
#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>
#include <cmath>

#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCameraMath.h"

using gcCameraMath::Forward;
using gcCameraMath::Heading;
using gcCameraMath::Pitch;
using gcCameraMath::Wrap180;
using gcCameraMath::PathPointInWorld;
using gcCameraMath::ToLocal;
using gcCameraMath::ToWorld;
using P = gcGameCameraParams;

gcGameCamera::TargetingFunc gcGameCamera::s_targetingFunc = nullptr;

gcGameCamera::TargetingFunc gcGameCamera::SetTargetingFunc(TargetingFunc func)
{
    const TargetingFunc old = s_targetingFunc;
    s_targetingFunc = func;
    return old;
}

namespace {

void PushHistory(mVec3 history[4], const mVec3& newest)
{
    for (int i = 3; i > 0; --i)
        history[i] = history[i - 1];
    history[0] = newest;
}

// The path parameter at a fraction of the path's length.
float FractionToPathT(const ePath& path, float fFraction)
{
    return path.Units2PathT(fFraction * path.m_fLength, 0.0f, true);
}

// Whether a reorientation factor keeps the heading and look-at limits
// finite: the limits without it (as they stand before a start, as an end
// leaves them) multiplied and divided by it. A huge factor that passes as a
// number would otherwise make a speed infinite, and no reciprocal undoes
// that.
bool ScalesFinitely(const P& params, float fFactor, bool bStart)
{
    for (int i : {P::SPD_FOLLOWENTITY_H, P::SPD_LOOKAT}) {
        const float vel = bStart ? params.m_fMaxVels[i] : params.m_fMaxVels[i] * (1.0f / fFactor);
        const float time = bStart ? params.m_fMaxTimes[i] : params.m_fMaxTimes[i] / (1.0f / fFactor);
        for (float v : {vel, time})
            if (!std::isfinite(v * fFactor) || !std::isfinite(v / fFactor))
                return false;
    }
    return true;
}

}  // namespace

bool gcGameCamera::GetEntityWorld(gcEntity* pEntity, mOCS* pWorld)
{
    const eZone* pZone = pEntity ? gcEntityWorld::GetRegionZone(pEntity->m_nRegionId) : nullptr;
    if (!pZone)
        return false;
    if (pEntity->m_model.m_nGeomFlags & eGeom::kDirty)
        pEntity->m_model.UpdateLocalToZone();
    pWorld->Xform(pEntity->m_model.m_localToZone, pZone->m_localToWorld);
    return true;
}

gcEntity* gcGameCamera::GetFollowedEntity(mOCS* pWorld) const
{
    gcEntity* pEntity = gcEntityMgr::GetPtr(m_PosCtrl.hEntity);
    return GetEntityWorld(pEntity, pWorld) ? pEntity : nullptr;
}

bool gcGameCamera::IsMoving(const gcEntity& entity)
{
    const mVec3 zero(0.0f, 0.0f, 0.0f);
    return entity.m_velocity != zero && !(entity.m_nEntityFlags & (gcEntity::kDeactivated | gcEntity::kFrozen));
}

const gcRegionPath* gcGameCamera::gcPathCtrl::GetPath(mOCS* pPathToWorld) const
{
    const gcRegionPath* pPath = gcRegionPathMgr::GetPtr(hPath);
    return pPath && pPath->GetLocalToWorld(pPathToWorld) ? pPath : nullptr;
}

void gcGameCamera::gcPathCtrl::UpdatePathPos(const mVec3& worldPoint)
{
    mOCS pathToWorld;
    if (const gcRegionPath* pPath = GetPath(&pathToWorld))
        fPathTClosest = pPath->m_path.FindClosestPoint(ToLocal(worldPoint, pathToWorld));
}

bool gcGameCamera::gcPathCtrl::HandleFollowPath(float fSpeed, const mVec3& ref, float* pRoll)
{
    mOCS pathToWorld;
    const gcRegionPath* pRegionPath = GetPath(&pathToWorld);
    if (!pRegionPath)
        return false;
    const ePath& path = pRegionPath->m_path;
    const float fStep = kPathStepFactor * fSpeed;
    fPathTClosest = path.FindClosestPoint(ref);
    const bool bBackwards = fPathTDesired < fPathT;
    const float fUnits = path.PathT2Units(fPathTClosest);
    float t;
    // The step never passes the destination: past it, the next step would
    // turn back, and the controller would swing round it for ever.
    if (!bBackwards) {
        t = std::min(path.Units2PathT(fUnits + fStep, fPathTClosest, true), fPathTDesired);
        if (fPathTClosest > fPathT + kPathLagTol || t < fPathT)
            t = fPathT;
    } else {
        t = std::max(path.Units2PathT(fUnits - fStep, fPathTClosest, false), fPathTDesired);
        if (fPathTClosest < fPathT - kPathLagTol || t > fPathT)
            t = fPathT;
    }
    fPathT = t;
    if (pRoll) {
        const float fRoll = path.GetRollAt(fPathT);
        *pRoll = bBackwards ? -fRoll : fRoll;
    }
    return std::fabs(fPathTClosest - fPathTDesired) > kPathArrivedTol ||
           std::fabs(fPathT - fPathTDesired) > kPathArrivedTol;
}

void gcGameCamera::FollowEntity(gcEntityHandle hEntity, bool bSnap)
{
    mOCS world;
    gcEntity* pEntity = gcEntityMgr::GetPtr(hEntity);
    FollowNone(false);
    if (!GetEntityWorld(pEntity, &world))
        return;
    m_PosCtrl.Mode = POSCTRL_FOLLOWENTITY;
    m_PosCtrl.hEntity = hEntity;
    if (bSnap) {
        Reorient(true, 0.0f, true);
    } else {
        const bool bFree = IsMoving(*pEntity) && !(m_nFlags & (kReorienting | kAlternate));
        m_fFollowEntityHK = bFree ? 1.0f : m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_H];
        m_fFollowEntityPK = bFree ? 1.0f : m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_P];
        for (mVec3& entry : m_PosCtrl.filter)
            entry = GetPos();
    }
    SetDesiredBehind(world);
    m_nFlags |= kBehindEntity;
}

void gcGameCamera::SetDesiredBehind(const mOCS& world)
{
    m_curDesiredHPR.x = Wrap180(Heading(world.basis.forward) + m_params.m_fOffsets[P::OFF_HEADING]);
    m_curDesiredHPR.y = -m_params.m_fOffsets[P::OFF_PITCH];
}

void gcGameCamera::FollowPath(gcRegionPathHandle hPath, float fStart, float fEnd, bool bStartClosest, bool bSnap)
{
    FollowNone(false);
    m_PosCtrl.hPath = hPath;
    mOCS pathToWorld;
    const gcRegionPath* pPath = m_PosCtrl.GetPath(&pathToWorld);
    if (!pPath) {
        m_PosCtrl.hPath = gcRegionPathHandle();
        return;
    }
    gcPosCtrl& ctrl = m_PosCtrl;
    ctrl.Mode = POSCTRL_FOLLOWPATH;
    ctrl.fPathTClosest = pPath->m_path.FindClosestPoint(ToLocal(GetPos(), pathToWorld));
    ctrl.fPathT = bStartClosest ? ctrl.fPathTClosest : FractionToPathT(pPath->m_path, fStart);
    ctrl.fPathTDesired = FractionToPathT(pPath->m_path, fEnd);
    if (bSnap) {
        mVec3 local;
        pPath->m_path.GetPosOnPath(ctrl.fPathT, &local);
        ReseedPosFilter(ToWorld(local, pathToWorld));
    }
}

void gcGameCamera::FollowPathMinAndEntity(gcRegionPathHandle hPath, gcEntityHandle hEntity, bool bSnap)
{
    FollowNone(false);
    m_PosCtrl.hPath = hPath;
    m_PosCtrl.hEntity = hEntity;
    mOCS pathToWorld, entityWorld;
    const gcRegionPath* pPath = m_PosCtrl.GetPath(&pathToWorld);
    if (!pPath || !GetFollowedEntity(&entityWorld)) {
        FollowNone(false);
        return;
    }
    m_PosCtrl.Mode = POSCTRL_FOLLOWPATH_ENTITY;
    m_PosCtrl.fPathT = HandleFollowEntityOnPath(pPath, pathToWorld, true, nullptr);
    if (bSnap) {
        mVec3 local;
        pPath->m_path.GetPosOnPath(m_PosCtrl.fPathT, &local);
        ReseedPosFilter(ToWorld(local, pathToWorld));
    }
}

void gcGameCamera::MoveToPoint(gcRegionPointHandle hPoint, bool bSnap)
{
    FollowNone(false);
    const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hPoint);
    mOCS world;
    if (!pPoint || !pPoint->GetLocalToWorld(&world))
        return;
    m_PosCtrl.Mode = POSCTRL_MOVETOPOINT;
    m_PosCtrl.hRegionPoint = hPoint;
    if (bSnap)
        ReseedPosFilter(world.origin);
}

void gcGameCamera::MoveToWorld(const mOCS& cameraToWorld)
{
    m_camera.SetCameraToWorld(cameraToWorld);
    ReseedPosFilter(cameraToWorld.origin);
}

void gcGameCamera::MoveToWorld(const mVec3& pos)
{
    ReseedPosFilter(pos);
}

void gcGameCamera::ScaleReorientParams(float fFactor)
{
    for (int i : {P::SPD_FOLLOWENTITY_H, P::SPD_LOOKAT}) {
        m_params.m_fMaxVels[i] *= fFactor;
        m_params.m_fMaxTimes[i] /= fFactor;
    }
}

void gcGameCamera::Reorient(bool bStart, float fFactor, bool bSnap)
{
    if (m_PosCtrl.Mode != POSCTRL_FOLLOWENTITY)
        return;
    // The factor comes from script data; it divides the poles, and its
    // reciprocal undoes the scaling: both must be finite positive numbers.
    if (!(fFactor > 0.0f) || !std::isfinite(fFactor) || !std::isfinite(1.0f / fFactor) ||
        !ScalesFinitely(m_params, fFactor, bStart))
        fFactor = 1.0f;
    if (bStart && bSnap) {
        ReorientAlternate(mVec3(0.0f, 0.0f, 0.0f));
        mOCS world;
        if (!GetFollowedEntity(&world))
            return;
        SetDesiredBehind(world);
        m_nFlags |= kBehindEntity;
        mOCS placement;
        GetPosBehindEntity(true, &placement);
        m_camera.SetCameraToWorld(placement);
        ReseedPosFilter(placement.origin);
        return;
    }
    if (bStart == ((m_nFlags & kReorienting) != 0))
        return;
    m_fReorientSpeedFactor = fFactor;
    if (bStart) {
        ScaleReorientParams(fFactor);
        m_nFlags |= kReorienting;
    } else {
        ScaleReorientParams(1.0f / fFactor);
        m_fFollowEntityHK = m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_H];
        m_nFlags &= ~kReorienting;
    }
}

void gcGameCamera::ReorientAlternate(const mVec3& hpr)
{
    m_alternateHPR = hpr;
    if (hpr == mVec3(0.0f, 0.0f, 0.0f))
        m_nFlags &= ~kAlternate;
    else
        m_nFlags |= kAlternate;
}

bool gcGameCamera::GetPosBehindEntity(bool bReorient, mOCS* pOut)
{
    mOCS world;
    if (!GetFollowedEntity(&world))
        return false;
    const mVec3 pivot = ReachablePivot(world, m_params.m_fOffsets[P::OFF_ENTITY]);
    *pOut = m_camera.m_cameraToWorld;
    // The view looks back along the direction from the camera to the pivot,
    // no steeper than the follow rig stands.
    float h = Heading(pOut->basis.forward), p = -Pitch(pOut->basis.forward);
    if (bReorient) {
        h = Wrap180(Heading(world.basis.forward) + m_params.m_fOffsets[P::OFF_HEADING]);
        p = -m_params.m_fOffsets[P::OFF_PITCH];
    }
    pOut->basis.SetDir(-Forward(h, std::clamp(p, FollowRules::kMinFollowPitch, FollowRules::kMaxLookDown)));
    pOut->origin = pivot - pOut->basis.forward * m_params.m_fOffsets[P::OFF_MINDIST];
    return CollideInReach(pivot, &pOut->origin, false);
}

bool gcGameCamera::HandleFollowSnap(const mVec3& pos, mOCS* pOut)
{
    mOCS world;
    if (m_PosCtrl.Mode != POSCTRL_FOLLOWENTITY || !GetFollowedEntity(&world))
        return false;
    const float fLimit = FollowRules::kSnapBackFactor * m_params.m_fOffsets[P::OFF_MINDIST];
    if (pos.DistSq(world.origin) <= fLimit * fLimit)
        return false;
    GetPosBehindEntity(false, pOut);
    m_camera.SetCameraToWorld(*pOut);
    ReseedPosFilter(pOut->origin);
    return true;
}

void gcGameCamera::SnapCurMovement()
{
    gcPosCtrl& ctrl = m_PosCtrl;
    switch (ctrl.Mode) {
    case POSCTRL_FOLLOWENTITY:
        FollowEntity(ctrl.hEntity, true);
        break;
    case POSCTRL_FOLLOWPATH_ENTITY:
        FollowPathMinAndEntity(ctrl.hPath, ctrl.hEntity, true);
        break;
    case POSCTRL_FOLLOWPATH: {
        // The command takes an end fraction; the destination stays the
        // parameter it was.
        const float fDesired = ctrl.fPathTDesired;
        FollowPath(ctrl.hPath, ctrl.fPathTClosest, fDesired, true, true);
        if (ctrl.Mode == POSCTRL_FOLLOWPATH)
            ctrl.fPathTDesired = fDesired;
        break;
    }
    case POSCTRL_MOVETOPOINT:
        MoveToPoint(ctrl.hRegionPoint, true);
        break;
    default:
        break;
    }
}

bool gcGameCamera::RunPosCtrl(const gcMsgTick& tick, mVec3* pPos, mVec3* pPivot)
{
    switch (m_PosCtrl.Mode) {
    case POSCTRL_NONE:
        OnFollowNone(tick, pPos);
        break;
    case POSCTRL_FOLLOWENTITY:
        return OnFollowEntityTick(tick, pPos, pPivot);
    case POSCTRL_FOLLOWPATH_ENTITY:
    case POSCTRL_FOLLOWPATH:
        OnFollowPathTick(tick, pPos);
        break;
    case POSCTRL_MOVETOPOINT:
        OnMoveToPointTick(tick, pPos);
        break;
    default:
        break;  // an unknown mode keeps the old position
    }
    return false;
}

void gcGameCamera::OnMoveToPointTick(const gcMsgTick& tick, mVec3* pPos)
{
    const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(m_PosCtrl.hRegionPoint);
    mOCS world;
    if (!pPoint || !pPoint->GetLocalToWorld(&world)) {
        FollowNone(false);
        *pPos = GetPos();
        return;
    }
    SmoothPos(tick.dT, &world.origin, false, pPos);
}

float gcGameCamera::HandleFollowEntityOnPath(const gcRegionPath* pPath, const mOCS& pathToWorld, bool bChooseSide,
                                             bool* pNotMoving)
{
    mOCS entityWorld;
    gcEntity* pEntity = gcEntityMgr::GetPtr(m_PosCtrl.hEntity);
    if (!pEntity)
        return 0.0f;
    if (pNotMoving)
        *pNotMoving = !IsMoving(*pEntity);
    if (!GetEntityWorld(pEntity, &entityWorld))
        return 0.0f;
    gcPosCtrl& ctrl = m_PosCtrl;
    const ePath& path = pPath->m_path;
    const mVec3 camera = ToLocal(GetPos(), pathToWorld);
    const mVec3 entity = ToLocal(entityWorld.origin, pathToWorld);
    ctrl.fPathTClosest = path.FindClosestPoint(camera);
    const float te = path.FindClosestPoint2DXY(entity);
    const float fUnits = path.PathT2Units(te);
    const float fMinDist = m_params.m_fOffsets[P::OFF_MINDIST];
    if (bChooseSide) {
        const float fLast = static_cast<float>(std::max(path.m_nPoints - 1, 0));
        if (ctrl.fPathTClosest != te)
            ctrl.fPathTDesired = ctrl.fPathTClosest > te ? fLast : 0.0f;
        else
            ctrl.fPathTDesired = te >= 0.5f * fLast ? 0.0f : fLast;  // the side with more path left
    }
    return ctrl.fPathTDesired > 0.0f ? path.Units2PathT(fUnits + fMinDist, te, true)
                                     : path.Units2PathT(fUnits - fMinDist, te, false);
}

void gcGameCamera::OnFollowPathTick(const gcMsgTick& tick, mVec3* pPos)
{
    gcPosCtrl& ctrl = m_PosCtrl;
    mOCS pathToWorld;
    const gcRegionPath* pPath = ctrl.GetPath(&pathToWorld);
    if (!pPath) {
        FollowNone(true);
        *pPos = GetPos();
        return;
    }
    const float fTicks = static_cast<float>(tick.dT.m_nTicks);
    const float fPole = m_params.m_fMaxTimes[P::SPD_MOVEMENT];
    const float fSpeed = m_params.m_fMaxVels[P::SPD_MOVEMENT] * cTimeValue::SECONDS_PER_TICK;
    if (ctrl.Mode == POSCTRL_FOLLOWPATH && m_LookAtCtrl.Mode == LOOKATCTRL_LOOKATPATH && m_LookAtCtrl.hPath == ctrl.hPath) {
        // Dolly: the camera runs along its own view while the look-at
        // controller leads it down the path.
        ctrl.fPosVel = fPole * ctrl.fPosVel + (1.0f - fPole) * fSpeed;
        *pPos = GetPos() + m_camera.m_cameraToWorld.basis.forward * (ctrl.fPosVel * fTicks);
        PushHistory(ctrl.filter, *pPos);
        ctrl.posVel = (*pPos - GetPos()) * (1.0f / fTicks);
        return;
    }
    if (ctrl.Mode == POSCTRL_FOLLOWPATH_ENTITY)
        ctrl.fPathT = HandleFollowEntityOnPath(pPath, pathToWorld, false, nullptr);
    else
        ctrl.HandleFollowPath(std::max(fSpeed * fTicks, kMinPathSpeed), ToLocal(GetPos(), pathToWorld), nullptr);
    mVec3 local;
    pPath->m_path.GetPosOnPath(ctrl.fPathT, &local);
    const mVec3 target = ToWorld(local, pathToWorld);
    SmoothPos(tick.dT, &target, false, pPos);
}
