// gcEntity: moving to region points, following region paths and turning.
#include "gcGameCore/entities/gcEntity.h"

#include <algorithm>
#include <cmath>

#include "eEngine/eMovement.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcMsg.h"
#include "mMath/mScalar.h"

namespace {

constexpr float kMinPathRate = 1e-5f;      // slower than this, an entity on a path turns in place
constexpr float kMinOffsetSq = 0.001f;     // a smaller path offset is no offset
constexpr float kLookTolerance = 1e-7f;
constexpr float kMinSpeed = 1e-5f;         // units per tick: slower counts as standing

float ClampPitch(float fPitch)
{
    return std::clamp(fPitch, -gcEntity::kPitchLimit, gcEntity::kPitchLimit);
}

}  // namespace

float gcEntity::GetHeading(const mVec3& dir)
{
    return mAtan2(-dir.x, dir.y) * kRadToDeg;
}

float gcEntity::WrapDegrees(float fDegrees)
{
    return std::remainder(fDegrees, 360.0f);
}

float gcEntity::GetTurnWeight(float fWeight) const
{
    if (fWeight >= 0.0f)
        return fWeight;
    const gcEntityTemplate* pTemplate = GetTemplate();
    return pTemplate ? pTemplate->fEntityValues[gcEntityTemplate::VAL_TURNRATE] : kDefaultTurningRate;
}

// ---- where the path lies ----

bool gcEntity::GetPathToZone(mOCS* pOut) const
{
    const eZone* pZone = gcEntityWorld::GetRegionZone(m_nRegionId);
    if (!m_pRegionPath || !pZone)
        return false;
    // A path of the entity's own region is already in its zone's frame: no
    // round trip through the world, which costs precision far from the
    // origin.
    if (m_pRegionPath->m_nRegionId == m_nRegionId) {
        *pOut = m_pRegionPath->m_localToRegion;
        return true;
    }
    mOCS pathToWorld;
    if (!m_pRegionPath->GetLocalToWorld(&pathToWorld))
        return false;
    pOut->XformInv(pathToWorld, pZone->m_localToWorld);
    return true;
}

float gcEntity::ClosestOnPath(const mOCS& pathToZone)
{
    mVec3 local;
    local.XformInv(GetZonePos(), pathToZone);
    return m_pRegionPath->m_path.FindClosestPoint2DXY(local);
}

// ---- moving to paths and points ----

void gcEntity::DetachFromPath()
{
    m_nEntityFlags &= static_cast<uint16_t>(~(kOnPath | kPathOffsetHeight));
    m_fPathT = 0.0f;
    m_fPathTDesired = 0.0f;
    m_offsetPath[0] = 0.0f;
    m_offsetPath[1] = 0.0f;
    m_pOnPathCompleted = nullptr;
}

bool gcEntity::HandlePathMessage(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_MOVETOPOINT: HandleMoveToPoint(static_cast<const gcMsgMoveToPoint&>(msg)); return true;
    case MSG_MOVETOPATH: HandleMoveToPath(static_cast<const gcMsgMoveToPath&>(msg)); return true;
    case MSG_DETACHFROMPATH: DetachFromPath(); return true;
    default: return false;
    }
}

void gcEntity::HandleMoveToPath(const gcMsgMoveToPath& msg)
{
    DetachFromPath();
    if ((!msg.bSnap && !IsActive()) || !msg.pRegionPath)
        return;
    m_pRegionPath = msg.pRegionPath;
    const ePath& path = m_pRegionPath->m_path;
    m_fPathTDesired = path.Units2PathT(msg.fDestOnPath * path.m_fLength, 0.0f, true);
    m_nEntityFlags |= msg.bOffsetHeight ? (kOnPath | kPathOffsetHeight) : kOnPath;
    mOCS pathToZone;
    m_fPathTClosest = GetPathToZone(&pathToZone) ? ClosestOnPath(pathToZone) : msg.fSrcOnPath;
    m_fPathT = msg.bClosestOnPath ? m_fPathTClosest : path.Units2PathT(msg.fSrcOnPath * path.m_fLength, 0.0f, true);
    m_pOnPathCompleted = (msg.pOnCompleted && msg.pOnCompleted->HasActions()) ? msg.pOnCompleted : nullptr;
    if (!msg.bSnap)
        return;
    mOCS onPath;
    path.GetPosOnPath(m_fPathT, &onPath.origin);
    path.GetBasisAt(m_fPathT, &onPath.basis);
    mOCS frame;
    frame.Xform(onPath, m_pRegionPath->m_localToRegion);
    if (msg.bOffsetHeight)
        frame.origin.z += GetColliderSize().z;
    SnapTo(m_pRegionPath->m_nRegionId, frame);
    frame.basis.GetHPR(&m_desiredHPR[0], &m_desiredHPR[1], &m_desiredHPR[2]);
}

void gcEntity::HandleMoveToPoint(const gcMsgMoveToPoint& msg)
{
    const gcRegionPoint* pPoint = msg.pRegionPoint;
    if (!pPoint)
        return;
    mOCS frame = pPoint->m_localToRegion;
    if (msg.bOffsetHeight)
        frame.origin.z += GetColliderSize().z;
    DetachFromPath();
    SnapTo(pPoint->m_nRegionId, frame);
    m_desiredHPR[0] = GetHeading(frame.basis.forward);
    m_desiredHPR[1] = 0.0f;
    m_desiredHPR[2] = 0.0f;
}

float gcEntity::GetCurPathT(bool bAsFraction) const
{
    if (!m_pRegionPath)
        return 0.0f;
    if (!bAsFraction)
        return m_fPathTClosest;
    const ePath& path = m_pRegionPath->m_path;
    return path.m_fLength > 0.0f ? path.PathT2Units(m_fPathTClosest) / path.m_fLength : 0.0f;
}

// ---- following ----

bool gcEntity::UpdatePathPos()
{
    if (!IsOnPath() || !m_pRegionPath)
        return false;
    mOCS pathToZone;
    if (GetPathToZone(&pathToZone))
        m_fPathTClosest = ClosestOnPath(pathToZone);
    if (std::fabs(m_fPathTClosest - m_fPathTDesired) > kPathDoneTol ||
        std::fabs(m_fPathT - m_fPathTDesired) > kPathDoneTol)
        return true;
    CompletePath();
    return false;
}

void gcEntity::CompletePath()
{
    // Taken first: whatever the handlers below do, it is applied once.
    const gcEvent* pOnCompleted = m_pOnPathCompleted;
    m_pOnPathCompleted = nullptr;
    Send(gcMsgDetachFromPath());
    DetachFromPath();  // also when the derived class does not take the message
    gcEventParams params;
    GetEventParams(&params);
    if (HasStateMachine())
        m_stateInfo.Send(gcMsgEvent(gcMsgEvent::ID_ONPATHCOMPLETED), params, gcEventStackData());
    if (pOnCompleted)
        pOnCompleted->Apply(params, gcEventStackData());
}

bool gcEntity::HandleFollowPath(mVec3* pOutHPR, float fSpeed, float fTurnRate)
{
    mOCS pathToZone;
    if (!IsOnPath() || !GetPathToZone(&pathToZone)) {
        pOutHPR->Set(m_desiredHPR[0], m_desiredHPR[1], m_desiredHPR[2]);
        return false;
    }
    const ePath& path = m_pRegionPath->m_path;
    m_fPathTClosest = ClosestOnPath(pathToZone);
    const float fClosest = m_fPathTClosest;
    const float fUnits = path.PathT2Units(fClosest);
    const float fStep = static_cast<float>(kFrameTicks.m_nTicks) * fSpeed;
    // The aim runs a frame's step ahead of the entity, never back, and
    // stops at the destination so that a part of the path completes.
    const bool bForward = m_fPathTDesired >= m_fPathT;
    if (bForward) {
        const float t = std::min(path.Units2PathT(fUnits + fStep, fClosest, true), m_fPathTDesired);
        if (fClosest <= t && t >= m_fPathT)
            m_fPathT = t;
    } else {
        const float t = std::max(path.Units2PathT(fUnits - fStep, fClosest, false), m_fPathTDesired);
        if (fClosest >= t && t <= m_fPathT)
            m_fPathT = t;
    }
    mVec3 onPath;
    path.GetPosOnPath(m_fPathT, &onPath);
    if (m_offsetPath[0] * m_offsetPath[0] + m_offsetPath[1] * m_offsetPath[1] >= kMinOffsetSq) {
        mBasis basis;
        path.GetBasisAt(m_fPathT, &basis);
        onPath += basis.right * m_offsetPath[0] + basis.up * m_offsetPath[1];
    }
    mVec3 target;
    target.Xform(onPath, pathToZone);
    if (m_nEntityFlags & kPathOffsetHeight)
        target.z += GetColliderSize().z;
    const float fRoll = bForward ? path.GetRollAt(m_fPathT) : -path.GetRollAt(m_fPathT);
    eMovement::FollowLookAt(GetTurnWeight(fTurnRate), &m_model.m_localToZone, &target, fRoll, pOutHPR, false, false,
                            kLookTolerance);
    return std::fabs(fClosest - m_fPathTDesired) > kPathDoneTol || std::fabs(m_fPathT - m_fPathTDesired) > kPathDoneTol;
}

void gcEntity::HandleHeightOnPath(mOCS* pFrame)
{
    const gcEntityTemplate* pTemplate = GetTemplate();
    mOCS pathToZone;
    if (GetStat(gcEntityTemplate::STAT_HEALTH) <= 0.0f || !IsOnPath() ||
        (pTemplate && (pTemplate->nEntityTemplateFlags & gcEntityTemplate::kFullOrientation)) ||
        !GetPathToZone(&pathToZone))
        return;
    mVec3 onPath, inZone;
    m_pRegionPath->m_path.GetPosOnPath(m_fPathTClosest, &onPath);
    inZone.Xform(onPath, pathToZone);
    pFrame->origin.z = inZone.z;
    if (m_nEntityFlags & kPathOffsetHeight)
        pFrame->origin.z += GetColliderSize().z;
}

// ---- turning ----

void gcEntity::HandleHPRChange(float fRate, mVec3* pOutHPR, float fWeight)
{
    mVec3 hpr;
    if (IsOnPath() && fRate > kMinPathRate && HandleFollowPath(&hpr, fRate, fWeight)) {
        hpr.y = ClampPitch(hpr.y);
        m_desiredHPR[0] = hpr.x;
        m_desiredHPR[1] = hpr.y;
        m_desiredHPR[2] = hpr.z;
        *pOutHPR = hpr;
        return;
    }
    mVec3 current;
    m_model.m_localToParent.basis.GetHPR(&current.x, &current.y, &current.z);
    const mVec3 desired(m_desiredHPR[0], m_desiredHPR[1], m_desiredHPR[2]);
    eMovement::FollowLookAt(1.0f - GetTurnWeight(fWeight), desired, current, pOutHPR, true, kLookTolerance);
    pOutHPR->y = ClampPitch(pOutHPR->y);
}

float gcEntity::HandleHeadingChange(float fRate, float fWeight)
{
    mVec3 hpr;
    if (IsOnPath() && fRate > kMinPathRate && HandleFollowPath(&hpr, fRate, fWeight)) {
        m_desiredHPR[0] = hpr.x;
        m_desiredHPR[1] = 0.0f;
        m_desiredHPR[2] = 0.0f;
        return hpr.x;
    }
    const float h = GetHeading(m_model.m_localToParent.basis.forward);
    return h + (1.0f - GetTurnWeight(fWeight)) * WrapDegrees(m_desiredHPR[0] - h);
}

void gcEntity::UpdateDesiredHeading(gcEntity* pOther, float fWeight)
{
    if (!pOther || !pOther->IsActive())
        return;
    const mVec3& forward = m_model.m_localToParent.basis.forward;
    const float h = GetHeading(forward);
    mVec3 toOther = forward;
    const eZone* pZone = m_model.m_pZone;
    const eZone* pOtherZone = pOther->m_model.m_pZone;
    if (pZone && pOtherZone) {
        mVec3 world, there;
        world.Xform(pOther->GetZonePos(), pOtherZone->m_localToWorld);
        there.XformInv(world, pZone->m_localToWorld);
        toOther = there - GetZonePos();
    }
    const float a = WrapDegrees(GetHeading(toOther) - h);
    float b = 0.0f;
    if (fWeight > 0.0f && m_velocity.Length() > kMinSpeed && m_velocity.Dot(forward) > 0.0f &&
        m_velocity.Dot(toOther) > 0.0f)
        b = WrapDegrees(GetHeading(m_velocity) - h);
    m_desiredHPR[0] = WrapDegrees(h + (1.0f - fWeight) * a + fWeight * b);
}
