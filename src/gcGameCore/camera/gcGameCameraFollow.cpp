// The player camera: the follow-entity tick. The camera always stands on a
// sphere around a pivot above the entity, at a heading and pitch eased
// towards the place behind it and at a distance eased towards OFF_MINDIST;
// walls between the pivot and the camera pull it in at once (over a wall's
// top it can see across, a share of the way a tick), and it lets the
// distance out again only after a second without a wall.
#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>
#include <cmath>

#include "eEngine/eColliderEllipse.h"
#include "eEngine/eMesh.h"
#include "gcGameCameraMath.h"

using gcCameraMath::Forward;
using gcCameraMath::Heading;
using gcCameraMath::Pitch;
using gcCameraMath::Wrap180;
using P = gcGameCameraParams;

namespace {

constexpr float kAlreadyThere = 0.0000001f;  // |qc . qd - 1| below this: the view is where it is wanted
constexpr float kHeadingGainKeep = 0.9f;
// A reorientation slowed by a factor below 0.98 would divide the heading
// pole past 1, and a slerp past its end swings the view away: the steered
// gain stays in [0, 0.99], so that the view still turns and converges.
constexpr float kMaxSteeredHeadingGain = 0.99f;
constexpr float kPitchGainKeep = 0.875f;
constexpr float kMeshClearance = 0.25f;
// Halvings of the pitch range ClearPitch searches: 65 degrees to 0.25.
constexpr int kClearSteps = 8;
constexpr float kGrazeMargin = 1.0f;  // degrees
// The share of its distance a camera coming in over a wall's top keeps each
// tick: the entity grows on screen by at most a ninth a tick.
constexpr float kPullInKeep = 0.9f;

// The nearest the camera comes to the pivot while it keeps its distance.
float MinFollowDist(const gcEntity& entity)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(entity.m_model.m_hMesh);
    return pMesh ? kMeshClearance + std::max(pMesh->m_fVisRadius, pMesh->m_fColRadius) : 1.0f;
}

}  // namespace

mVec3 gcGameCamera::ReachablePivot(const mOCS& entityWorld, float fOffset)
{
    mVec3 pivot = entityWorld.origin + entityWorld.basis.up * fOffset;
    Collide(entityWorld.origin, &pivot, false);
    return pivot;
}

bool gcGameCamera::CollideInReach(const mVec3& start, mVec3* pPos, bool bRepeat)
{
    mVec3 level(pPos->x, pPos->y, start.z);
    const float fLevel = level.Dist(start);
    bool bHit = false;
    if (fLevel > eColliderEllipse::fColZeroTol && Collide(start, &level, false)) {
        bHit = true;
        *pPos = start + (*pPos - start) * (level.Dist(start) / fLevel);
    }
    return Collide(start, pPos, bRepeat) || bHit;
}

float gcGameCamera::PullIn(const mVec3& pivot, float fHeading, float* pPitch, float fFrom, float fWallDist,
                           mVec3* pPos)
{
    // A wall met only by the level sweep rose there as the pivot dropped
    // below its top (the entity stepping or falling down past it): pulled
    // in at once, the view would cut from afar to over the entity. The
    // camera comes in over the top instead, a share of its distance a tick,
    // turned over the entity as far as it needs to see it past the wall's
    // edge; where even the steepest pitch cannot, it is pulled in along
    // that pitch, no nearer than the level sweep's wall.
    const float fEased = std::min(fFrom * kPullInKeep, m_PosCtrl.fDesiredMinDist);
    if (fEased <= fWallDist)
        return fWallDist;
    const auto seen = [&](float fPitch, mVec3* pAt) {
        *pAt = pivot + Forward(fHeading, fPitch) * fEased;
        return !Collide(pivot, pAt, false);
    };
    mVec3 at;
    const float fFromPitch = std::min(*pPitch, kMaxFollowPitch);
    float fSeen = fFromPitch;
    if (!seen(fSeen, &at)) {
        if (!seen(kMaxFollowPitch, &at)) {
            // Steepest, it comes in towards the edge it meets there, still
            // a share of its distance a tick, when that leaves it farther
            // out than the level sweep's wall: an entity dropping into a
            // narrow pit is then hidden by the edge for a few ticks, where
            // a camera put in front of the edge at once would cut in.
            const float fReach = at.Dist(pivot);
            if (fReach <= fWallDist)
                return fWallDist;
            *pPitch = kMaxFollowPitch;
            // It moves there along its own path, so that it never passes
            // into what lies beyond the edge; where that path meets
            // something it could stay caught, and stands in front of the
            // edge instead.
            mVec3 eased = pivot + Forward(fHeading, kMaxFollowPitch) * fEased;
            if (fEased > fReach && !Collide(GetPos(), &eased, false)) {
                *pPos = eased;
                return fEased;
            }
            *pPos = at;
            return fReach;
        }
        float fHidden = fFromPitch;
        fSeen = kMaxFollowPitch;
        for (int i = 0; i < kClearSteps; ++i) {
            const float fMid = 0.5f * (fHidden + fSeen);
            mVec3 mid;
            if (seen(fMid, &mid))
                fSeen = fMid;
            else
                fHidden = fMid;
        }
        seen(fSeen, &at);
    }
    *pPitch = fSeen;
    *pPos = at;
    return fEased;
}

bool gcGameCamera::WallTest(const mVec3& pivot, float fHeading, float fPitch, mVec3* pWall)
{
    *pWall = pivot + Forward(fHeading, fPitch) * m_params.m_fOffsets[P::OFF_MINDIST];
    return CollideInReach(pivot, pWall, false);
}

bool gcGameCamera::ClearPitch(const mVec3& pivot, float fHeading, float* pPitch, float fFloor, mVec3* pWall,
                              bool* pHit)
{
    // Over the entity first; beneath a ceiling, lower down to about the
    // pivot's level.
    const float fFrom = std::clamp(*pPitch, kMinSqueezePitch, kMaxFollowPitch);
    float fBest = *pPitch, fBestReach = pWall->Dist(pivot);
    mVec3 best = *pWall;
    bool bBestHit = *pHit;
    for (const float fLimit : {kMaxFollowPitch, kMinSqueezePitch}) {
        mVec3 wall;
        bool bHit = WallTest(pivot, fHeading, fLimit, &wall);
        const float fReach = wall.Dist(pivot);
        if (fReach < fFloor) {
            if (fReach > fBestReach)
                fBest = fLimit, fBestReach = fReach, best = wall, bBestHit = bHit;
            continue;
        }
        // Clear at the limit: halve the way between the squeezed pitch and
        // the clear one, keeping the clear end.
        float fIn = fFrom, fClear = fLimit;
        for (int i = 0; i < kClearSteps; ++i) {
            const float fMid = 0.5f * (fIn + fClear);
            mVec3 mid;
            const bool bMidHit = WallTest(pivot, fHeading, fMid, &mid);
            if (mid.Dist(pivot) >= fFloor)
                fClear = fMid, wall = mid, bHit = bMidHit;
            else
                fIn = fMid;
        }
        // Beneath a ceiling the clear end lies where the sweep still grazes
        // it: a degree lower keeps the reach from flickering between ticks.
        if (fLimit < fFrom && fClear > fLimit) {
            fClear = std::max(fClear - kGrazeMargin, fLimit);
            bHit = WallTest(pivot, fHeading, fClear, &wall);
        }
        *pPitch = fClear;
        *pWall = wall;
        *pHit = bHit;
        return true;
    }
    *pPitch = fBest;
    *pWall = best;
    *pHit = bBestHit;
    return false;
}

float gcGameCamera::RoomHeading(const mVec3& pivot, float fHeading, float fPitch, float fFloor)
{
    const float fAt = std::clamp(fPitch, kMinSqueezePitch, kMaxFollowPitch);
    const auto room = [&](float h) {
        mVec3 wall;
        for (const float fTry : {fAt, kMinSqueezePitch}) {
            WallTest(pivot, h, fTry, &wall);
            if (wall.Dist(pivot) >= fFloor)
                return true;
        }
        return false;
    };
    if (room(fHeading))
        return fHeading;  // a lower pitch has room here (beneath a ceiling)
    for (float fTurn = kRoomStep; fTurn <= 180.0f; fTurn += kRoomStep)
        for (const float fSide : {m_fSqueezeSide, -m_fSqueezeSide}) {
            const float h = Wrap180(fHeading + fSide * fTurn);
            if (room(h))
                return h;
        }
    return fHeading;
}

void gcGameCamera::OnFollowEntityTick(const gcMsgTick& tick, mVec3* pPos)
{
    mOCS world;
    gcEntity* pEntity = GetFollowedEntity(&world);
    if (!pEntity) {
        FollowNone(true);
        *pPos = GetPos();
        return;
    }
    const float* off = m_params.m_fOffsets;
    const mVec3 pivot = ReachablePivot(world, m_LookAtCtrl.fEntityOffset);
    m_followPivot = pivot;
    const float He = Heading(world.basis.forward), Pe = Pitch(world.basis.forward);
    const bool bMoving = IsMoving(*pEntity);
    if (!bMoving)
        m_nFlags &= ~kBehindEntity;
    const bool bTargeting = s_targetingFunc && s_targetingFunc(pEntity);

    mVec3 dir = GetPos() - pivot;
    const float Dc = dir.Normalize();
    const float Hc = Heading(dir), Pc = Pitch(dir);
    const float fBehindCos = std::cos(off[P::OFF_ROTATETHRESHOLD] * gcCameraMath::kDegToRad);
    const bool bBehind = bTargeting || m_camera.m_cameraToWorld.basis.forward.Dot(world.basis.forward) >= fBehindCos;

    // The desired orientation: kept while the entity simply moves along.
    if (!bMoving || bTargeting || (m_nFlags & (kReorienting | kAlternate))) {
        if ((m_nFlags & kReorienting) && (!bMoving || (m_nFlags & kAlternate)))
            Reorient(false, m_fReorientSpeedFactor, false);
        float h = Hc, p = Pc;
        if (m_nFlags & kAlternate) {
            h = Hc + m_alternateHPR.x;
            p = std::clamp(Pc + m_alternateHPR.y, kMinAltPitch, kMaxAltPitch);
        } else {
            if ((m_nFlags & kReorienting) || bBehind)
                h = He + off[P::OFF_HEADING];
            if (!bMoving)
                p = -(Pe + off[P::OFF_PITCH]);
        }
        m_curDesiredHPR.x = Wrap180(h);
        m_curDesiredHPR.y = std::clamp(p, -kMaxPitch, kMaxPitch);
    }

    // Heading: a gain of 1 keeps the current heading.
    const bool bSteered = (m_nFlags & (kReorienting | kAlternate)) != 0;
    const bool bHeadingFree = (bMoving || !bBehind) && !bSteered;
    m_fFollowEntityHK = kHeadingGainKeep * m_fFollowEntityHK +
                        (1.0f - kHeadingGainKeep) *
                            (bHeadingFree ? 1.0f
                                          : std::clamp(m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_H], 0.0f,
                                                       kMaxSteeredHeadingGain));
    mQuat qc, qd, q;
    qc.SetHP(Hc, Pc);
    qd.SetHP(m_curDesiredHPR.x, m_curDesiredHPR.y);
    q.Slerp(qd, qc, std::clamp(m_fFollowEntityHK, 0.0f, 1.0f));
    const float fDot = qc.x * qd.x + qc.y * qd.y + qc.z * qd.z + qc.w * qd.w;
    if (std::fabs(fDot - 1.0f) < kAlreadyThere && (m_nFlags & kReorienting))
        Reorient(false, m_fReorientSpeedFactor, false);
    float H, unusedPitch;
    q.GetHP(&H, &unusedPitch);

    // Pitch: kept while the entity simply moves along, but only between
    // level and the desired pitch. Above it, it eases back, moving or not:
    // kept, the pitch that walking towards the camera or a wall tilted it
    // up to would never be given back. Below level it goes no further while
    // the entity moves: a climbing flyer would otherwise draw it beneath.
    const bool bPitchFree = bMoving && !bSteered;
    const float fLevel = std::min(0.0f, m_curDesiredHPR.y);
    const float fPitchGoal = bPitchFree ? std::clamp(Pc, fLevel, m_curDesiredHPR.y) : m_curDesiredHPR.y;
    m_fFollowEntityPK = kPitchGainKeep * m_fFollowEntityPK +
                        (1.0f - kPitchGainKeep) * m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_P];
    float Pf = m_fFollowEntityPK * Pc + (1.0f - m_fFollowEntityPK) * fPitchGoal;
    Pf = std::clamp(bPitchFree ? std::max(Pf, fLevel) : Pf, -kMaxPitch, kMaxFollowPitch);
    if (bTargeting) {
        H = He + off[P::OFF_HEADING];
        Pf = -(Pe + off[P::OFF_PITCH]);
    }
    mVec3 fwd = Forward(H, Pf);

    // Distance. The placement behind the entity holds the camera's distance
    // only while the entity stays within the reach at which a targeting
    // camera snaps back (targeting snaps instead, below): an entity that
    // draws farther away ends it. Otherwise one that never stops (one still
    // running as a map starts) would leave the camera for good where it was
    // placed.
    if (!bTargeting && Dc > kSnapBackFactor * off[P::OFF_MINDIST])
        m_nFlags &= ~kBehindEntity;
    gcPosCtrl& ctrl = m_PosCtrl;
    const float k = m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_DIST];
    const float D = (m_nFlags & kBehindEntity) && Dc >= MinFollowDist(*pEntity)
                        ? Dc
                        : k * Dc + (1.0f - k) * ctrl.fDesiredMinDist;
    mVec3 pos = pivot + fwd * D;
    float fDistTarget = ctrl.fDesiredMinDist;
    bool bFinalCollide = true;
    if (!bTargeting) {
        mVec3 wall;
        bool bHit = WallTest(pivot, H, Pf, &wall);
        // Pulled in nearer than the entity's own size (backed into a wall,
        // flying under the ceiling), the camera would stand inside the
        // entity: it swings round towards the nearest heading with room, a
        // few degrees a tick, and meanwhile turns over the entity (or, under
        // a ceiling, down to about its level) until it stands clear.
        const float fFloor = std::min(MinFollowDist(*pEntity), off[P::OFF_MINDIST]);
        if (bHit && wall.Dist(pivot) < fFloor) {
            const float fTurn =
                std::clamp(Wrap180(RoomHeading(pivot, H, Pf, fFloor) - H), -kMaxSqueezeTurn, kMaxSqueezeTurn);
            if (fTurn != 0.0f) {
                m_fSqueezeSide = fTurn > 0.0f ? 1.0f : -1.0f;
                H = Wrap180(H + fTurn);
                bHit = WallTest(pivot, H, Pf, &wall);
            }
            if (bHit && wall.Dist(pivot) < fFloor) {
                // The pitch that clears climbs steeply as the room shrinks
                // below the entity's size: it is followed a few degrees a
                // tick, the camera pulled in meanwhile, rather than at once.
                const float fFrom = Pf;
                ClearPitch(pivot, H, &Pf, fFloor, &wall, &bHit);
                if (std::fabs(Pf - fFrom) > kMaxSqueezeTilt) {
                    Pf = std::clamp(Pf, fFrom - kMaxSqueezeTilt, fFrom + kMaxSqueezeTilt);
                    bHit = WallTest(pivot, H, Pf, &wall);
                }
            }
        }
        // Never nearer than the entity's size where the wall leaves room for
        // it: the distance a squeeze pulled in would otherwise hold the
        // camera inside the entity for a second after it swung clear.
        const float fWallDist = wall.Dist(pivot);
        const float fNearest = std::min(fFloor, fWallDist);
        fwd = Forward(H, Pf);
        pos = pivot + fwd * std::max(D, fNearest);
        if (bHit) {
            if (fWallDist <= ctrl.fDesiredMinDist) {
                // Pulled in at once; the distance waits a second before it
                // eases out again.
                const float fIn = PullIn(pivot, H, &Pf, Dc, fWallDist, &pos);
                if (fIn == fWallDist)
                    pos = wall;
                ctrl.timeSinceSnapped = cTimeValue(0);
                ctrl.fDesiredMinDist = fIn;
                for (float& entry : ctrl.minDistFilter)
                    entry = fIn;
                fDistTarget = fIn;
                bFinalCollide = false;
            } else {
                // Let out to the entity's size no faster than it comes in
                // over a wall's top: at once, a camera coming in over an
                // edge would spring back out and in again tick by tick.
                pos = pivot + fwd * std::max(ctrl.fDesiredMinDist, std::min(fNearest, Dc / kPullInKeep));
            }
        }
        if (!bHit || fWallDist > ctrl.fDesiredMinDist) {
            // A wall farther out lets the distance out as far as it, after
            // the same second: held where it was pulled in to, the camera
            // would stay close for as long as the wall test meets anything.
            ctrl.timeSinceSnapped = std::min(kSnapSettleTime, ctrl.timeSinceSnapped + tick.dT);
            if (ctrl.timeSinceSnapped >= kSnapSettleTime)
                fDistTarget = bHit ? fWallDist : off[P::OFF_MINDIST];
        }
    }
    if (m_nFlags & kShaking) {
        OnShakeTick(tick, &pos);
        bFinalCollide = true;
    }
    if (bFinalCollide)
        CollideInReach(pivot, &pos, true);
    if (bTargeting) {
        mOCS snapped;
        if (HandleFollowSnap(pos, &snapped)) {
            *pPos = snapped.origin;
            return;
        }
    }
    ctrl.filterConsts.SetPole(m_params.m_fMaxTimes[P::SPD_MOVEMENT]);
    ctrl.fDesiredMinDist = ctrl.filterConsts.Step(fDistTarget, ctrl.minDistFilter);
    for (int i = 3; i > 0; --i)
        ctrl.filter[i] = ctrl.filter[i - 1];
    ctrl.filter[0] = pos;
    ctrl.posVel = (pos - GetPos()) * (1.0f / static_cast<float>(tick.dT.m_nTicks));
    ctrl.fPosVel = ctrl.posVel.Length();
    *pPos = pos;
}
