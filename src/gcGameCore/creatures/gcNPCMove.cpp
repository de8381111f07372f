// gcNPC: movement. Root motion turned toward the desired heading, kept in
// the NPC's boundary by a short slide loop and clear of the other active
// creatures. The world's triangles are not obstacles: boundaries and
// neighbours are. Positions are in the zone of the NPC's model unless
// named world positions.
#include <algorithm>
#include <cmath>
#include <limits>

#include "eEngine/eMesh.h"
#include "eEngine/eShadow.h"
#include "eEngine/eZone.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"
#include "mMath/mQuat.h"
#include "mMath/mSphere.h"

namespace {

constexpr float kRadiansPerDegree = 0.01745329f;

float Radius(const gcEntity& e)
{
    const mVec3 size = e.GetColliderSize();
    return std::max(size.x, size.y);
}

// The heading of a zone direction as seen in a frame.
float HeadingIn(const mVec3& dir, const mBasis& frame)
{
    mVec3 local;
    local.XformInv(dir, frame);
    return gcEntity::GetHeading(local);
}

}  // namespace

bool gcNPC::FindBoundary()
{
    const gcMap* pMap = gcMap::s_pMap;
    const eZone* pZone = gcEntityWorld::GetRegionZone(m_nRegionId);
    if (!IsActive() || !pMap || !pZone)
        return false;
    if (m_model.m_nGeomFlags & eGeom::kDirty)
        m_model.UpdateLocalToZone();
    mVec3 pos;
    pos.Xform(m_model.m_localToZone.origin, pZone->m_localToWorld);
    const gcBoundary* pBest = nullptr;
    float fBest = 0.0f;
    for (int32_t i = pMap->m_boundaries.FirstTableSlot(); i < pMap->m_boundaries.EndTableSlot(); ++i) {
        const gcBoundary* p = gcBoundaryMgr::s_pInstances[i];
        mOCS world;
        if (!p || !gcEntityWorld::RegionToWorld(p->m_nRegionId, p->m_localToRegion, &world) || !p->Contains(pos))
            continue;
        // Only a floor at or below the NPC holds it; the nearest one wins.
        const float fDiff = pos.z - world.origin.z;
        if (fDiff >= 0.0f && (!pBest || fDiff < fBest)) {
            pBest = p;
            fBest = fDiff;
        }
    }
    if (!pBest || fBest > 2.0f * GetColliderSize().z)
        return false;
    DetachFromPath();
    m_hBoundary = pBest->m_handle;
    return true;
}

// Slower against a target that dodges, so that a dodge gets it out of
// reach.
float gcNPC::TurnRate() const
{
    const gcCreature* pTarget = dcast<gcCreature>(m_pTarget);
    if (pTarget && (pTarget->IsDodging() || pTarget->m_creatureTimeSince[TIMESINCE_DODGE] < kDodgeTurnTime))
        return kDodgeTurnRate;
    return -1.0f;
}

void gcNPC::Move(cTimeValue step)
{
    if (step.m_nTicks > 0) {
        if (m_model.m_nGeomFlags & eGeom::kDirty)
            m_model.UpdateLocalToZone();
        mOCS frame = m_model.m_localToZone;
        const mVec3 oldPos = frame.origin;
        mVec3 delta;
        mQuat rot;
        m_model.CalcNodeDelta(step, 0, &delta, &rot);
        const float fSpeed = delta.Length();
        if (m_nCurState >= STATE_TGTWALKING && m_nCurState <= STATE_TGTWALKINGRIGHT) {
            const float a = m_fStrafeDir * kRadiansPerDegree;
            delta.Set(-std::sin(a) * fSpeed, std::cos(a) * fSpeed, 0.0f);
        }
        if (m_pTemplate && (m_pTemplate->nEntityTemplateFlags & gcEntityTemplate::kFullOrientation)) {
            mVec3 hpr;
            HandleHPRChange(fSpeed, &hpr, -1.0f);
            frame.basis.SetHPR(hpr.x, hpr.y, hpr.z);
        } else {
            frame.basis.SetH(HandleHeadingChange(fSpeed, TurnRate()));
        }
        mVec3 moved;
        moved.Xform(delta, frame.basis);
        frame.origin = oldPos + moved;
        HandleHeightOnPath(&frame);
        mVec3 newPos = frame.origin;
        const bool bHit = HandleCollision(oldPos, GetColliderSize().z, &newPos);
        frame.origin = newPos;
        m_velocity = (newPos - oldPos) * (1.0f / static_cast<float>(step.m_nTicks));
        StoreFrame(frame);
        UpdateDesiredHeading(m_nCurState <= STATE_BLOCKING ? m_pTarget : nullptr, bHit ? kHitHeadingWeight : 0.0f);
        QueryTriggers(oldPos, newPos, 0);
        UpdatePathPos();
    }
    if (!IsActive())
        return;
    UpdateModel(step);
    if (m_pShadow)
        m_pShadow->Update(step);
    UpdateRegionId();
}

// A child entity's model is placed in its parent's model frame.
void gcNPC::StoreFrame(const mOCS& frame)
{
    if (m_pParentEntity)
        m_model.m_localToParent.XformInv(frame, m_pParentEntity->m_model.m_localToZone);
    else
        m_model.m_localToParent = frame;
    m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    if (m_model.m_nGeomFlags & eGeom::kDirty)
        m_model.UpdateLocalToZone();
}

bool gcNPC::HandleCollision(const mVec3& from, float fColliderHeight, mVec3* pTo)
{
    const gcBoundary* pBoundary = gcBoundaryMgr::GetPtr(m_hBoundary);
    const eZone* pZone = m_model.m_pZone;
    if (!pBoundary || IsOnPath() || !pZone)
        return false;
    const mOCS& zoneToWorld = pZone->m_localToWorld;
    const bool bAlive = GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f;
    mVec3 start = from;
    mVec3 end = *pTo;
    mVec3 dir = end - start;
    const float fRequested = dir.Normalize();
    float fLeft = fRequested;
    float fTravelled = 0.0f;
    bool bHit = false;
    bool bTouchedTarget = false;
    for (int pass = 0; pass < kMaxSlidePasses && fLeft >= kMinMove; ++pass) {
        mVec3 slideN;
        const gcCreature* pMet = Collide(start, &end, &slideN);
        if (pMet && pMet == m_pTarget)
            bTouchedTarget = true;
        mVec3 worldStart, worldEnd;
        worldStart.Xform(start, zoneToWorld);
        worldEnd.Xform(end, zoneToWorld);
        // Both start unset: a test that writes no point (a region that is not
        // resident) or gives back the start itself (a start outside a circle)
        // leaves the NPC where it is.
        const float kUnset = std::numeric_limits<float>::quiet_NaN();
        mVec3 clip(kUnset, kUnset, kUnset);
        mVec3 slideB(kUnset, kUnset, kUnset);
        bool bInside = false;
        const gcBoundary* pCurrent = gcBoundaryMgr::GetPtr(m_hBoundary);
        const bool bStays =
            pCurrent && pCurrent->Contains(worldStart, worldEnd, &clip, &slideB, &m_hBoundary, &bInside);
        // A written point lies on the boundary's plane: a living NPC stands
        // its collider height above it, a dead one stays at the end's height.
        const float fRaise = bAlive ? fColliderHeight : 0.0f;
        for (mVec3* p : {&clip, &slideB}) {
            if (std::isnan(p->x) || std::isnan(p->y) || std::isnan(p->z) || *p == worldStart)
                *p = worldStart;
            else
                p->z = bAlive ? p->z + fRaise : worldEnd.z;
        }
        if (clip.Dist(worldStart) < kMinMove)
            end = start;
        else
            end.XformInv(clip, zoneToWorld);
        mVec3 next = end;
        if (!bStays) {
            next.XformInv(slideB, zoneToWorld);
            bHit = true;
        } else if (pMet && pMet != m_pTarget) {
            next = slideN;
            bHit = true;
        }
        fTravelled += end.Dist(start);
        start = end;
        end = next;
        mVec3 nextDir = end - start;
        fLeft = nextDir.Normalize();
        if (fLeft >= kMinMove)
            dir = nextDir;
    }
    *pTo = start;
    if (fRequested > kMinMove && fTravelled < kBlockedShare * fRequested && !bTouchedTarget &&
        m_nCurState <= STATE_RUNNING)
        RaiseHitBoundary(dir);
    return bHit;
}

void gcNPC::RaiseHitBoundary(const mVec3& dir)
{
    gcEventParams params;
    GetEventParams(&params);
    gcEventStackData frame(HeadingIn(dir, m_model.m_localToZone.basis), 0.0f);
    m_creatureTimeSince[TIMESINCE_HITBOUNDARY] = cTimeValue(0);
    RaiseEvent(gcMsgEvent::ID_ONHITBOUNDARY, m_pTemplate ? &m_pTemplate->onHitBoundary : nullptr, params, frame);
}

gcCreature* gcNPC::Collide(const mVec3& start, mVec3* pEnd, mVec3* pSlide)
{
    mSphere me;
    me.center = start;
    me.radius = Radius(*this);
    *pSlide = *pEnd;
    // The others are placed from where this NPC stood before the move, so
    // that its own slides do not shift them.
    if (m_model.m_nGeomFlags & eGeom::kDirty)
        m_model.UpdateLocalToZone();
    const mVec3 here = m_model.m_localToZone.origin;
    gcCreature* pMet = nullptr;
    mVec3 metCenter(0.0f, 0.0f, 0.0f);
    mVec3 contact(0.0f, 0.0f, 0.0f);
    float fBest = 0.0f;
    for (gcCreature* p : s_pActiveCreatures) {
        if (!p || p == this)
            continue;
        mSphere other;
        other.center = here + GetVecToEntity(*p);
        other.center.z = start.z;
        other.radius = Radius(*p);
        mVec3 at;
        float f;
        if (me.Collide(*pEnd, other, &at, &f) && (!pMet || f <= fBest)) {
            pMet = p;
            metCenter = other.center;
            contact = at;
            fBest = f;
        }
    }
    if (!pMet)
        return nullptr;
    mVec3 normal = contact - metCenter;
    normal.Normalize();
    const float fEndZ = pEnd->z;
    const mVec3 rest = *pEnd - contact;
    *pSlide = contact + (rest - normal * rest.Dot(normal));
    pSlide->z = fEndZ;
    *pEnd = contact;
    pEnd->z = fEndZ;
    gcEventParams params;
    GetEventParams(&params);
    params.pParticipant1 = pMet;
    m_creatureTimeSince[TIMESINCE_HITNEIGHBOR] = cTimeValue(0);
    // The normal in the other's frame: zone directions carried through both
    // zones' frames.
    mVec3 worldNormal = normal;
    if (m_model.m_pZone)
        worldNormal.XformVec(normal, m_model.m_pZone->m_localToWorld);
    mVec3 theirs = worldNormal;
    if (pMet->m_model.m_pZone)
        theirs.XformVecInv(worldNormal, pMet->m_model.m_pZone->m_localToWorld);
    gcEventStackData frame(HeadingIn(metCenter - contact, m_model.m_localToZone.basis),
                           HeadingIn(theirs, pMet->m_model.m_localToZone.basis));
    RaiseEvent(gcMsgEvent::ID_ONHITNEIGHBOR, m_pTemplate ? &m_pTemplate->onHitNeighbor : nullptr, params, frame);
    return pMet;
}
