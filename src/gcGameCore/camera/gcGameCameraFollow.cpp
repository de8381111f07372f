// The player camera: the follow-entity tick, as a pipeline of stages.
//   StartFollowTick  the entity, the pivot above it and the point of its
//                    body the camera must see, the camera from the pivot
//   AimBehind        heading and pitch goals behind the entity and their eases
//   KeptDistance     the distance held or eased before the world has its say
//   FitToWorld       where walls and ceilings let the camera stand, swept
//                    from the pivot and from the body (FollowRoom)
//   SettleDistance   the distance wanted next: pulled in at once, let out late
//   FinishFollow     shake, the final sweep, the targeting snap, the last
//                    look (KeepInView: the place weighed as a frame against
//                    the last one), the filters
// Its rules are gcGameCamera::FollowRules.
#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>
#include <cmath>
#include <iterator>


#include "eEngine/eColliderEllipse.h"
#include "eEngine/eMesh.h"
#include "mMath/mBox.h"
#include "mMath/mRay.h"
#include "gcGameCameraMath.h"

using gcCameraMath::Forward;
using gcCameraMath::Heading;
using gcCameraMath::Pitch;
using gcCameraMath::Wrap180;
using P = gcGameCameraParams;
using R = gcGameCamera::FollowRules;

namespace {

// A place at the steepest pitch, carried along with the entity or turned
// round it, comes out this much steeper (degrees) by rounding alone.
constexpr float kPitchRounding = 0.01f;

// The nearest the camera comes to the pivot while it keeps its distance.
float MinFollowDist(const gcEntity& entity)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(entity.m_model.m_hMesh);
    return pMesh ? R::kMeshClearance + std::max(pMesh->m_fVisRadius, pMesh->m_fColRadius) : 1.0f;
}

// The nearest the camera stands to the pivot where walls allow: the
// entity's size, or the distance wanted when that is shorter.
float FollowFloor(const gcEntity& entity, const gcGameCameraParams& params)
{
    return std::min(MinFollowDist(entity), params.m_fOffsets[P::OFF_MINDIST]);
}

// Halves the way between a pitch that fails and one that passes,
// kClearSteps times, keeping the passing end; returns it.
template <class Passes>
float Bisect(float fFails, float fPasses, const Passes& passes)
{
    for (int i = 0; i < R::kClearSteps; ++i) {
        const float fMid = 0.5f * (fFails + fPasses);
        if (passes(fMid))
            fPasses = fMid;
        else
            fFails = fMid;
    }
    return fPasses;
}

// The point of the body the camera must also see from where it stands: low
// in a walker's body (kLowBodySeenShare of its half height; a walker pressed
// against a step's face, the camera standing above the step, would
// otherwise be hidden from the waist down by the step's edge), and for a
// pivot above the body (a flyer's) kBodySeenShare of the half height.
float BodySeenOffset(const gcEntity& entity, float fOffset)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(entity.m_model.m_hMesh);
    if (!pMesh)
        return fOffset;
    const float fHalf = pMesh->m_colliderSize.z;
    if (fOffset <= fHalf)
        return R::kLowBodySeenShare * fHalf;
    return std::min(fOffset, R::kBodySeenShare * fHalf);
}

// Half the width of the entity's collision box: how near a wall its body
// comes.
float BodyHalfWidth(const gcEntity& entity)
{
    const mVec3 size = entity.GetColliderSize();
    return std::max(size.x, size.y);
}

}  // namespace

bool gcGameCamera::PivotAboveBody(const gcEntity& entity, float fOffset)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(entity.m_model.m_hMesh);
    return pMesh && fOffset > pMesh->m_colliderSize.z;
}

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

bool gcGameCamera::SweepFromEntity(const FollowStart& s, mVec3* pPos, bool bRepeat)
{
    const mVec3 wanted = *pPos;
    bool bHit = CollideInReach(s.pivot, pPos, bRepeat);
    const float fWhole = wanted.Dist(s.body);
    if (s.body == s.pivot || fWhole <= eColliderEllipse::fColZeroTol)
        return bHit;
    mVec3 seen = wanted;
    if (!CollideInReach(s.body, &seen, false))
        return bHit;
    // Along the pivot's way by the same share: above the body's stopped
    // way, which was clear up to there.
    const mVec3 kept = s.pivot + (wanted - s.pivot) * (seen.Dist(s.body) / fWhole);
    if (kept.Dist(s.pivot) < pPos->Dist(s.pivot))
        *pPos = kept;
    return true;
}

bool gcGameCamera::SeenFromEntity(const FollowStart& s, mVec3* pAt)
{
    mVec3 fromBody = *pAt;
    const bool bPivotHit = Collide(s.pivot, pAt, false);
    return !bPivotHit && (s.body == s.pivot || !Collide(s.body, &fromBody, false));
}

bool gcGameCamera::WallTest(const FollowStart& s, float fHeading, float fPitch, mVec3* pWall)
{
    *pWall = s.pivot + Forward(fHeading, fPitch) * m_params.m_fOffsets[P::OFF_MINDIST];
    return SweepFromEntity(s, pWall, false);
}

float gcGameCamera::PitchReaching(const FollowStart& s, float fHeading, float fFails, float fPasses, float fReach,
                                  mVec3* pWall, bool* pHit)
{
    return Bisect(fFails, fPasses, [&](float fMid) {
        mVec3 mid;
        const bool bMidHit = WallTest(s, fHeading, fMid, &mid);
        if (mid.Dist(s.pivot) < fReach)
            return false;
        *pWall = mid, *pHit = bMidHit;
        return true;
    });
}

void gcGameCamera::ClearPitch(const FollowStart& s, float fHeading, float fFloor, float* pPitch, mVec3* pWall,
                              bool* pHit)
{
    // Over the entity first; beneath a ceiling, lower down to about the
    // pivot's level.
    const float fFrom = std::clamp(*pPitch, R::kMinSqueezePitch, R::kMaxPitch);
    for (const float fLimit : {R::kMaxPitch, R::kMinSqueezePitch}) {
        mVec3 wall;
        bool bHit = WallTest(s, fHeading, fLimit, &wall);
        const float fReach = wall.Dist(s.pivot);
        if (fReach < fFloor) {
            if (fReach > pWall->Dist(s.pivot))
                *pPitch = fLimit, *pWall = wall, *pHit = bHit;
            continue;
        }
        float fClear = PitchReaching(s, fHeading, fFrom, fLimit, fFloor, &wall, &bHit);
        // Beneath a ceiling the clear end lies where the sweep still grazes
        // it: a degree lower keeps the reach from flickering between ticks.
        if (fLimit < fFrom && fClear > fLimit) {
            fClear = std::max(fClear - R::kGrazeMargin, fLimit);
            bHit = WallTest(s, fHeading, fClear, &wall);
        }
        *pPitch = fClear, *pWall = wall, *pHit = bHit;
        return;
    }
}

float gcGameCamera::RoomHeading(const FollowStart& s, float fHeading, float fPitch, float fFloor)
{
    const float fAt = std::clamp(fPitch, R::kMinSqueezePitch, R::kMaxPitch);
    const auto room = [&](float h) {
        mVec3 wall;
        for (const float fTry : {fAt, R::kMinSqueezePitch}) {
            WallTest(s, h, fTry, &wall);
            if (wall.Dist(s.pivot) >= fFloor)
                return true;
        }
        return false;
    };
    if (room(fHeading))
        return fHeading;  // a lower pitch has room here (beneath a ceiling)
    for (float fTurn = R::kRoomStep; fTurn <= 180.0f; fTurn += R::kRoomStep)
        for (const float fSide : {m_fSqueezeSide, -m_fSqueezeSide}) {
            const float h = Wrap180(fHeading + fSide * fTurn);
            if (room(h))
                return h;
        }
    return fHeading;
}

// The pivot and the body's point, each where the sweep up from the
// entity's origin stops them.
void gcGameCamera::PlacePivot(const mOCS& world, FollowStart* pStart)
{
    FollowStart& s = *pStart;
    s.pivot = ReachablePivot(world, m_LookAtCtrl.fEntityOffset);
    s.body = ReachablePivot(world, BodySeenOffset(*s.pEntity, m_LookAtCtrl.fEntityOffset));
    // The pivot brought down beneath something overhead may lie lower than
    // the body's point, which reached its own height just clear of the
    // same edge: every sweep from there would start in contact and stand
    // the camera on the entity. The body is then seen from the pivot.
    if (s.body.Dist(world.origin) > s.pivot.Dist(world.origin))
        s.body = s.pivot;
    if (PivotTouches(world, s) || PivotBesideBoard(world, s))
        s.pivot = s.body = world.origin;
}

// Stopped overhead against a ceiling's end (a flyer leaving an eave, the
// camera still beneath it, lower than the pivot), the pivot touches the
// edge: the sweeps back towards the camera, from the pivot or the body,
// stop at once and the fit would stand the camera on the pivot, the entity
// filling the screen for a frame. So too where the pivot grazes the side of
// a ceiling it rose beside (a flyer along the side of the gate's top, the
// camera above the pivot beyond it): its own sweep towards the camera
// stops within kPivotTouching of it. That tick the entity's own point is
// the pivot.
bool gcGameCamera::PivotTouches(const mOCS& world, const FollowStart& s)
{
    mVec3 back = GetPos();
    const bool bBeneath = (back - s.pivot).Dot(world.basis.up) < 0.0f;
    if (bBeneath && s.pivot.Dist(s.stand) > eColliderEllipse::fColZeroTol && SweepFromEntity(s, &back, false) &&
        back.Dist(s.pivot) < R::kMeshClearance)
        return true;
    mVec3 own = GetPos();
    return s.pivot != world.origin && CollideInReach(s.pivot, &own, false) && own.Dist(s.pivot) < R::kPivotTouching;
}

// A pivot above the body, risen to its full height beside a board's end or
// side at the board's height (a flyer rising beside the gate's top, the
// camera beneath the top's level or past its side), sees the camera past
// nothing: its sweep back stops nearer than the entity's size, and the fit
// would lift the camera at the steepest pitch over the board, where the
// body cannot see it. While the camera stands farther out than that size
// and the sweep from the entity's own point reaches as far as the camera
// may come in a tick (kOverWallKeep of its distance), that point is the
// pivot: the fit from there keeps the camera where the body sees it. So
// too where only its sweep along the level reaches that far (a flyer come
// out from beneath the gate's top, the camera behind it grazing the top's
// underside): what stops it lies overhead, and the fit from there passes
// beneath it.
bool gcGameCamera::PivotBesideBoard(const mOCS& world, const FollowStart& s)
{
    if (!PivotAboveBody(*s.pEntity, m_LookAtCtrl.fEntityOffset) || s.pivot.Dist(s.stand) > eColliderEllipse::fColZeroTol)
        return false;
    const float fFloor = FollowFloor(*s.pEntity, m_params);
    mVec3 fromPivot = GetPos();
    const bool bPivotStopped = Collide(s.pivot, &fromPivot, false) && fromPivot.Dist(s.pivot) < fFloor &&
                               fromPivot.Dist(GetPos()) > fFloor;
    const auto reaches = [&](mVec3 to) {
        const float fWhole = to.Dist(world.origin);
        return !Collide(world.origin, &to, false) || to.Dist(world.origin) >= R::kOverWallKeep * fWhole;
    };
    const mVec3 level(GetPos().x, GetPos().y, world.origin.z);
    return bPivotStopped && (reaches(GetPos()) || reaches(level));
}

bool gcGameCamera::StartFollowTick(const gcMsgTick& tick, FollowStart* pStart)
{
    mOCS world;
    FollowStart& s = *pStart;
    s.pEntity = GetFollowedEntity(&world);
    if (!s.pEntity)
        return false;
    s.world = world;
    s.stand = world.origin + world.basis.up * m_LookAtCtrl.fEntityOffset;
    PlacePivot(world, &s);
    s.fEntityHeading = Heading(world.basis.forward);
    s.fEntityPitch = Pitch(world.basis.forward);
    s.bMoving = IsMoving(*s.pEntity);
    s.bTargeting = s_targetingFunc && s_targetingFunc(s.pEntity);
    mVec3 dir = GetPos() - s.pivot;
    s.fDist = dir.Normalize();
    s.fHeading = Heading(dir);
    s.fPitch = Pitch(dir);
    const float fBehindCos = std::cos(m_params.m_fOffsets[P::OFF_ROTATETHRESHOLD] * gcCameraMath::kDegToRad);
    s.bBehind = s.bTargeting || m_camera.m_cameraToWorld.basis.forward.Dot(world.basis.forward) >= fBehindCos;
    s.step = s.stand - m_followStillPivot;
    if (s.step.LengthSq() > R::kMaxAheadStep * R::kMaxAheadStep)
        s.step = mVec3(0.0f, 0.0f, 0.0f);
    UpdateStillTime(s, tick.dT);
    return true;
}

// The goal (m_curDesiredHPR) changes only while the entity stands, targets,
// or the camera is steered (swinging behind it, or an alternate offset):
// while it simply moves along, the goal is kept. Steered by an alternate
// offset it is the current view turned by it; else behind the entity when
// swinging or viewing along its facing, and the offsets' pitch over a
// standing entity.
void gcGameCamera::SetFollowGoal(const FollowStart& s)
{
    if (s.bMoving && !s.bTargeting && !(m_nFlags & (kReorienting | kAlternate)))
        return;
    // A swing ends when the entity stands, or when an alternate offset takes over.
    if ((m_nFlags & kReorienting) && (!s.bMoving || (m_nFlags & kAlternate)))
        Reorient(false, m_fReorientSpeedFactor, false);
    const float* off = m_params.m_fOffsets;
    float h = s.fHeading, p = s.fPitch;
    if (m_nFlags & kAlternate) {
        h = s.fHeading + m_alternateHPR.x;
        p = std::clamp(s.fPitch + m_alternateHPR.y, R::kMinAltPitch, R::kMaxAltPitch);
    } else {
        if ((m_nFlags & kReorienting) || s.bBehind)
            h = s.fEntityHeading + off[P::OFF_HEADING];
        if (!s.bMoving)
            p = -(s.fEntityPitch + off[P::OFF_PITCH]);
    }
    m_curDesiredHPR.x = Wrap180(h);
    m_curDesiredHPR.y = std::clamp(p, -kMaxPitch, kMaxPitch);
}

// The heading gain eases towards 1 (the current heading kept) while the
// entity moves unsteered or the view is off its facing; else towards the
// heading speed. A swing that has arrived ends. Behind a standing entity
// the swing goes at least kStandSwingKeep's pace and kMinStandSwingStep a
// tick, and lands on its goal: the camera comes to rest there.
float gcGameCamera::EaseFollowHeading(const FollowStart& s, bool bSteered)
{
    const bool bFree = (s.bMoving || !s.bBehind) && !bSteered;
    const bool bStandSwing = !bFree && !s.bMoving && !bSteered;
    float fGoal =
        bFree ? 1.0f : std::clamp(m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_H], 0.0f, R::kMaxSteeredHeadingGain);
    if (bStandSwing)
        fGoal = std::min(fGoal, R::kStandSwingKeep);
    m_fFollowEntityHK = R::kHeadingGainKeep * m_fFollowEntityHK + (1.0f - R::kHeadingGainKeep) * fGoal;
    mQuat qc, qd, q;
    qc.SetHP(s.fHeading, s.fPitch);
    qd.SetHP(m_curDesiredHPR.x, m_curDesiredHPR.y);
    q.Slerp(qd, qc, std::clamp(m_fFollowEntityHK, 0.0f, 1.0f));
    const float fDot = qc.x * qd.x + qc.y * qd.y + qc.z * qd.z + qc.w * qd.w;
    if (std::fabs(fDot - 1.0f) < R::kAlreadyThere && (m_nFlags & kReorienting))
        Reorient(false, m_fReorientSpeedFactor, false);
    float fHeading, fUnusedPitch;
    q.GetHP(&fHeading, &fUnusedPitch);
    // The last step, onto the goal, is no longer a swing: counted as one, a
    // heading the world keeps turning a little off the goal (a squeeze)
    // would hold the rest off until it froze the camera wherever it was.
    const float fLeft = Wrap180(m_curDesiredHPR.x - s.fHeading);
    m_bFollowSwinging = bStandSwing && std::fabs(fLeft) > R::kMinStandSwingStep;
    if (!bStandSwing)
        return fHeading;
    if (std::fabs(fLeft) <= R::kMinStandSwingStep)
        return m_curDesiredHPR.x;
    if (std::fabs(Wrap180(fHeading - s.fHeading)) < R::kMinStandSwingStep)
        fHeading = Wrap180(s.fHeading + std::copysign(R::kMinStandSwingStep, fLeft));
    return fHeading;
}

// The pitch eases towards the goal, steered or standing. While the entity
// simply moves along it is kept, but only between level and the goal:
// above the goal it eases back, moving or not (kept, the pitch that walking
// towards the camera or a wall tilted it up to would never be given back);
// below level it goes no further (a climbing flyer would otherwise draw it
// beneath). A pitch the world lowered eases back to the goal, moving or
// not, once what lowered it is gone. Never steeper than kMaxPitch.
float gcGameCamera::EaseFollowPitch(const FollowStart& s, bool bSteered)
{
    if (m_bFollowPitchLowered && s.fPitch >= m_curDesiredHPR.y - R::kPitchBackMargin)
        m_bFollowPitchLowered = false;
    const bool bFree = s.bMoving && !bSteered && !m_bFollowPitchLowered;
    const float fLevel = std::min(0.0f, m_curDesiredHPR.y);
    const float fGoal = bFree ? std::clamp(s.fPitch, fLevel, m_curDesiredHPR.y) : m_curDesiredHPR.y;
    m_fFollowEntityPK =
        R::kPitchGainKeep * m_fFollowEntityPK + (1.0f - R::kPitchGainKeep) * m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_P];
    const float fPitch = m_fFollowEntityPK * s.fPitch + (1.0f - m_fFollowEntityPK) * fGoal;
    return std::clamp(bFree ? std::max(fPitch, fLevel) : fPitch, -kMaxPitch, R::kMaxPitch);
}

// Targeting, the camera stands straight behind the entity at the offsets,
// no steeper than kMaxPitch.
void gcGameCamera::AimBehind(const FollowStart& s, float* pHeading, float* pPitch)
{
    SetFollowGoal(s);
    const bool bSteered = (m_nFlags & (kReorienting | kAlternate)) != 0;
    *pHeading = EaseFollowHeading(s, bSteered);
    *pPitch = EaseFollowPitch(s, bSteered);
    if (s.bTargeting) {
        *pHeading = s.fEntityHeading + m_params.m_fOffsets[P::OFF_HEADING];
        *pPitch = std::clamp(-(s.fEntityPitch + m_params.m_fOffsets[P::OFF_PITCH]), -kMaxPitch, R::kMaxPitch);
    }
}

// The placement behind the entity holds the camera's distance while the
// entity moves, the camera no nearer than the entity's size, and the
// entity within the reach at which a targeting camera snaps back (an
// entity that draws farther away ends it: one that never stops, still
// running as a map starts, would otherwise leave the camera for good where
// it was placed). Otherwise the distance eases towards the one wanted.
float gcGameCamera::KeptDistance(const FollowStart& s)
{
    if (!s.bMoving || (!s.bTargeting && s.fDist > R::kSnapBackFactor * m_params.m_fOffsets[P::OFF_MINDIST]))
        m_nFlags &= ~kBehindEntity;
    if ((m_nFlags & kBehindEntity) && s.fDist >= MinFollowDist(*s.pEntity))
        return s.fDist;
    const float k = m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_DIST];
    return k * s.fDist + (1.0f - k) * m_PosCtrl.fDesiredMinDist;
}

bool gcGameCamera::Squeeze(const FollowStart& s, float fFloor, float* pHeading, float* pPitch, mVec3* pWall)
{
    bool bHit = true;
    const float fRoom = RoomHeading(s, *pHeading, *pPitch, fFloor);
    // Deep in (the entity large on screen) it swings faster: turning about
    // the pivot does not change the entity's size, staying in does.
    const float fMaxTurn = pWall->Dist(s.pivot) < R::kDeepSqueeze * fFloor ? R::kMaxDeepSqueezeTurn : R::kMaxSqueezeTurn;
    const float fTurn = std::clamp(Wrap180(fRoom - *pHeading), -fMaxTurn, fMaxTurn);
    if (fTurn != 0.0f) {
        m_fSqueezeSide = fTurn > 0.0f ? 1.0f : -1.0f;
        *pHeading = Wrap180(*pHeading + fTurn);
        bHit = WallTest(s, *pHeading, *pPitch, pWall);
    }
    if (!bHit || pWall->Dist(s.pivot) >= fFloor)
        return bHit;
    // The pitch that clears climbs steeply as the room shrinks below the
    // entity's size: it is followed a few degrees a tick, the camera pulled
    // in meanwhile, rather than at once.
    const float fFrom = *pPitch;
    ClearPitch(s, *pHeading, fFloor, pPitch, pWall, &bHit);
    if (*pPitch - fFrom > R::kMaxSqueezeTilt) {
        *pPitch = fFrom + R::kMaxSqueezeTilt;
        bHit = WallTest(s, *pHeading, *pPitch, pWall);
    }
    return bHit;
}

gcGameCamera::FollowFit gcGameCamera::PullIn(const FollowStart& s, float fHeading, float fPitch, const mVec3& wall,
                                             float fWallDist)
{
    // A wall met only by the level sweep rose there as the pivot dropped
    // below its top (the entity stepping or falling down past it): pulled
    // in at once, the view would cut from afar to over the entity. The
    // camera comes in over the top instead, a share of its distance a tick,
    // turned over the entity as far as it needs to see it past the wall's
    // edge. Where that share would not leave it beyond the wall, it stands
    // in front of the wall at once.
    const FollowFit atWall{FollowRoom::kAtWall, wall, fWallDist, fWallDist};
    const float fEased = s.fDist * R::kOverWallKeep;
    if (fEased <= fWallDist)
        return atWall;
    const auto seen = [&](float fAt, mVec3* pAt) {
        *pAt = s.pivot + Forward(fHeading, fAt) * fEased;
        return SeenFromEntity(s, pAt);
    };
    mVec3 at;
    const float fFrom = std::min(fPitch, R::kMaxPitch);
    if (seen(fFrom, &at))
        return {FollowRoom::kOverWall, at, fEased, fWallDist};
    if (seen(R::kMaxPitch, &at)) {
        const float fSeen = Bisect(fFrom, R::kMaxPitch, [&](float fMid) {
            mVec3 mid;
            return seen(fMid, &mid);
        });
        seen(fSeen, &at);
        return {FollowRoom::kOverWall, at, fEased, fWallDist};
    }
    // Even the steepest pitch cannot see past the edge: the camera comes in
    // along that pitch towards the edge, still a share a tick, while that
    // leaves it farther out than the level sweep's wall (an entity dropping
    // into a narrow pit is then hidden by the edge for a few ticks, where a
    // camera put in front of the edge at once would cut in). It moves there
    // along its own path, never passing into what lies beyond the edge;
    // where that path meets something it stands in front of the edge.
    const float fReach = at.Dist(s.pivot);
    if (fReach <= fWallDist)
        return atWall;
    mVec3 eased = s.pivot + Forward(fHeading, R::kMaxPitch) * fEased;
    if (fEased > fReach && !Collide(GetPos(), &eased, false))
        return {FollowRoom::kDownToEdge, eased, fEased, fWallDist};
    return {FollowRoom::kAtEdge, at, fReach, fWallDist};
}

// Stood in front of a wall or an edge at once from farther out than a
// share of its distance (a flyer in a corner the camera swings round, or
// beneath a ceiling), the entity would grow on screen by a third or more
// in one frame. While the camera's own line from the pivot is clear and
// sees the entity, it comes in along that line instead, a share a tick,
// until the wall's distance is within a share; never nearer than the
// entity's size that way (a squeeze must still turn it towards room).
gcGameCamera::FollowFit gcGameCamera::InAlongOwnLine(const FollowStart& s, const FollowFit& pulled)
{
    const float fEased = s.fDist * R::kOverWallKeep;
    const bool bAtOnce = pulled.room == FollowRoom::kAtWall || pulled.room == FollowRoom::kAtEdge;
    if (!bAtOnce || pulled.fDist >= fEased || fEased < FollowFloor(*s.pEntity, m_params))
        return pulled;
    // A pivot that moved may have tilted that line past the steepest pitch.
    mVec3 at = s.pivot + Forward(s.fHeading, std::min(s.fPitch, R::kMaxPitch)) * fEased;
    if (!SeenFromEntity(s, &at))
        return pulled;
    return {FollowRoom::kAlongOwnLine, at, fEased, pulled.fWallDist};
}

// An entity flying at a wall or into a corner with the camera between (in
// front of it, climbed to the steepest pitch as it comes) reaches the wall
// within a tick or two: the room along the camera's line then shrinks by
// half in a tick, faster than a squeeze turns it away, and the camera
// pulled in at once makes the entity grow on screen by a third or more in
// a frame. So the room along the fit's line is also found from where the
// pivot will be kAheadTicks ticks on at its pace, stopped where it meets
// something: k ticks away, the camera stands no farther out than that
// room over kOverWallKeep^k, so it comes in a share a tick before the entity
// gets there. Nearer along the fit's line is as clear as the fit found.
// Only an entity coming towards the camera's side brings that line nearer
// a wall, and fastest where the line is steep (kAheadPitch or more: it
// meets the wall at a glancing angle); and only a flyer's (a pivot above
// the body) goes on straight: a walker climbs steps and follows the
// ground, and a camera come in ahead of a wall it never reaches would be
// held close for nothing.
gcGameCamera::FollowFit gcGameCamera::AheadOfWall(const FollowStart& s, FollowFit fit)
{
    const mVec3 out = fit.pos - s.pivot;
    const float fDist = out.Length();
    const float fStep = s.step.Length();
    if (!PivotAboveBody(*s.pEntity, m_LookAtCtrl.fEntityOffset) || fStep <= eColliderEllipse::fColZeroTol ||
        fDist <= eColliderEllipse::fColZeroTol || s.step.Dot(out) <= 0.0f)
        return fit;
    const float fPitch = Pitch(out * (1.0f / fDist));
    if (fPitch < R::kAheadPitch)
        return fit;
    // Swept as wide as the entity's body, which stops there: from where a
    // narrower sweep stops, nearer the wall, the room would be too small.
    const mVec3 reach = s.step * static_cast<float>(R::kAheadTicks);
    FollowStart ahead = s;
    ahead.pivot = s.pivot + reach;
    Collide(s.pivot, &ahead.pivot, false, BodyHalfWidth(*s.pEntity));
    ahead.body = s.body + (ahead.pivot - s.pivot);
    mVec3 wall;
    if (!WallTest(ahead, Heading(out), fPitch, &wall))
        return fit;
    const float fTicks = ahead.pivot.Dist(s.pivot) / fStep;
    const float fMost =
        std::max(wall.Dist(ahead.pivot) / std::pow(R::kOverWallKeep, fTicks), s.fDist * R::kOverWallKeep);
    if (fMost >= fDist)
        return fit;
    fit.pos = s.pivot + out * (fMost / fDist);
    if (fit.room != FollowRoom::kOpen && fit.room != FollowRoom::kWallBeyond)
        fit.fDist = fMost;
    m_bFollowCameAhead = true;
    return fit;
}

// A heading eased towards a wall nearer than the entity's size needs is
// turned no further that way: where the camera's own heading has more room
// it stays there (swung behind an entity running beside a wall, it would
// otherwise pass along the wall's face, pulled in onto the entity, its
// size on screen growing several times in a few ticks). The squeeze then
// turns it towards room from there.
bool gcGameCamera::HoldHeading(const FollowStart& s, float fPitch, float* pHeading, mVec3* pWall)
{
    mVec3 held;
    const bool bHeldHit = WallTest(s, s.fHeading, fPitch, &held);
    if (bHeldHit && held.Dist(s.pivot) <= pWall->Dist(s.pivot))
        return true;
    *pHeading = s.fHeading;
    *pWall = held;
    return bHeldHit;
}

// Beneath a ceiling (an eave or a gate's top over a flyer) a pitch rising
// into it meets its edge: the wall test then stops nearer than the
// distance wanted and, the pivot unable to see over what is above it, the
// camera would be pulled in at once. Of the camera's own pitch and
// kMinSqueezePitch, where lower, the one with the most room is raised
// towards the aimed one while its room stays within kPullInKeep of that:
// the camera passes beneath the edge, out to the next wall. Where no lower
// pitch has more room (an upright wall) all is left as it was: false.
bool gcGameCamera::UnderCeiling(const FollowStart& s, float fHeading, float* pPitch, mVec3* pWall, bool* pHit)
{
    float fRoom = pWall->Dist(s.pivot), fLower = *pPitch;
    mVec3 wall;
    bool bHit = false;
    for (const float fTry : {s.fPitch, R::kMinSqueezePitch}) {
        mVec3 tried;
        if (fTry >= *pPitch)
            continue;
        const bool bTriedHit = WallTest(s, fHeading, fTry, &tried);
        if (tried.Dist(s.pivot) > fRoom)
            fRoom = tried.Dist(s.pivot), fLower = fTry, wall = tried, bHit = bTriedHit;
    }
    if (fLower == *pPitch)
        return false;
    const float fNeed = R::kPullInKeep * wall.Dist(s.pivot);
    *pPitch = PitchReaching(s, fHeading, *pPitch, fLower, fNeed, &wall, &bHit);
    *pWall = wall;
    *pHit = bHit;
    m_bFollowPitchLowered = true;
    return true;
}

// Never nearer than the entity's size where the wall leaves room for it:
// the distance a squeeze pulled in would otherwise hold the camera inside
// the entity for a second after it swung clear. A wall farther out than the
// distance wanted lets the camera out no faster than it comes in over a
// wall's top: at once, a camera coming in over an edge would spring back
// out and in again tick by tick. Held farther out than the distance wanted
// (behind an entity walking away from it) and meeting such a wall, it comes
// in to the distance wanted a share a tick (kOverWallKeep), as over a
// wall's top: at once, the entity would double in size in a frame.
gcGameCamera::FollowFit gcGameCamera::FitAlong(const FollowStart& s, float fHeading, float fPitch, float fKept)
{
    const float fFloor = FollowFloor(*s.pEntity, m_params);
    mVec3 wall;
    bool bHit = WallTest(s, fHeading, fPitch, &wall);
    if (bHit && wall.Dist(s.pivot) < fFloor)
        bHit = HoldHeading(s, fPitch, &fHeading, &wall);
    if (bHit && wall.Dist(s.pivot) < fFloor) {
        const float fAimed = fPitch;
        bHit = Squeeze(s, fFloor, &fHeading, &fPitch, &wall);
        m_bFollowPitchLowered = m_bFollowPitchLowered || fPitch < fAimed;
    } else if (bHit && wall.Dist(s.pivot) < m_PosCtrl.fDesiredMinDist / R::kPullInKeep) {
        // Within a ninth past the distance wanted, too: a camera settled at
        // a ceiling's edge would otherwise never be let out beneath it. A
        // squeeze has its own pitch beneath a ceiling.
        UnderCeiling(s, fHeading, &fPitch, &wall, &bHit);
    }
    FollowFit fit;
    fit.fWallDist = wall.Dist(s.pivot);
    const float fNearest = std::min(fFloor, fit.fWallDist);
    const mVec3 fwd = Forward(fHeading, fPitch);
    fit.pos = s.pivot + fwd * std::max(fKept, fNearest);
    if (!bHit)
        return fit;
    const float fWanted = m_PosCtrl.fDesiredMinDist;
    if (fit.fWallDist <= fWanted)
        return InAlongOwnLine(s, PullIn(s, fHeading, fPitch, wall, fit.fWallDist));
    fit.room = FollowRoom::kWallBeyond;
    const float fLetOut = std::max(fWanted, std::min(fNearest, s.fDist / R::kPullInKeep));
    fit.pos = s.pivot + fwd * std::max(fLetOut, std::min(s.fDist * R::kOverWallKeep, fit.fWallDist));
    return fit;
}

// A fit that brings the camera in by more than a share at once, or lifts
// it over an edge it cannot see past: coming down towards it or standing
// in front of it, the body hidden (from in front of a post's corner over
// the gate's top, the pivot dropped to the body the next tick and the
// camera was pulled in onto it).
bool gcGameCamera::JumpsIn(const FollowStart& s, const FollowFit& fit) const
{
    if (fit.room == FollowRoom::kDownToEdge || fit.room == FollowRoom::kAtEdge)
        return true;
    return fit.room != FollowRoom::kOpen && fit.room != FollowRoom::kOverWall &&
           fit.room != FollowRoom::kAlongOwnLine && fit.pos.Dist(s.pivot) < R::kOverWallKeep * s.fDist;
}

// A fit left clear (open, or a wall beyond) that the final sweep, along
// its own length and sliding, would still pull in by more than a share: its
// line grazes an upright edge (a post's corner) that the wall test, a
// different length, passed by a hair. Stood there, the camera would be
// swept in front of the edge at once, the entity growing on screen two or
// three times in a frame.
bool gcGameCamera::SweptIn(const FollowStart& s, const FollowFit& fit)
{
    if (fit.room != FollowRoom::kOpen && fit.room != FollowRoom::kWallBeyond)
        return false;
    mVec3 swept = fit.pos;
    const float fWhole = std::min(s.fDist, fit.pos.Dist(s.pivot));
    return SweepFromEntity(s, &swept, true) && swept.Dist(s.pivot) < R::kOverWallKeep * fWhole;
}

// The fit along another heading, taken (true) where it leaves the camera
// out: nothing in the way, or a wall beyond that does not pull it in at
// once. Not taken, the squeeze's side and lowered pitch it set are put
// back as the aimed fit left them.
bool gcGameCamera::FitsOut(const FollowStart& s, float fHeading, float fPitch, float fKept, FollowFit* pFit)
{
    const bool bLowered = m_bFollowPitchLowered;
    const float fSide = m_fSqueezeSide;
    *pFit = FitAlong(s, fHeading, fPitch, fKept);
    if ((pFit->room == FollowRoom::kOpen || (pFit->room == FollowRoom::kWallBeyond && !JumpsIn(s, *pFit))) &&
        !SweptIn(s, *pFit))
        return true;
    m_bFollowPitchLowered = bLowered;
    m_fSqueezeSide = fSide;
    return false;
}

// The fit along the aim, but for two places where a heading a few degrees
// off it leaves the camera out:
// - Behind an entity standing unsteered, a swing that would bring the
//   camera in over a low wall's end or top (the entity turned on the spot
//   beside it) is not taken while the camera's own heading leaves it out:
//   coming in as the entity turns, the two together grow the entity on
//   screen by 1.3 times in a frame, and at rest the fit would pull in and
//   let out against the wall's end tick by tick.
// - An upright edge (a post's corner, a pillar's) that the line from the
//   pivot grazes as the entity passes it would pull the camera in at once
//   or lift it over the edge's top, where a heading a few degrees round
//   misses it: the camera swings round the edge instead, kEdgeTurnStep at
//   a time and at most kMaxSqueezeTurn a tick, on the first side that
//   leaves it out. Where the edge stands nearer the pivot along the aim
//   than kDeepSqueeze of the entity's size (the aim's own wall test: the
//   fit's wall is where the squeeze turned to), it swings up to
//   kMaxDeepSqueezeTurn, as a deep squeeze does: a flyer passing a post's
//   corner half a metre off turns the line from the pivot round the corner
//   by some 30 degrees a tick, more than a squeeze and a few degrees
//   together swing, and the camera met the post and was lifted over the
//   gate's top behind it. So too where the aimed fit is clear but the
//   final sweep along it would still pull the camera in (SweptIn).
gcGameCamera::FollowFit gcGameCamera::FitToWorld(const FollowStart& s, float fHeading, float fPitch, float fKept)
{
    const FollowFit aimed = FitAlong(s, fHeading, fPitch, fKept);
    FollowFit other;
    if (aimed.room == FollowRoom::kOverWall) {
        const bool bStandSwing = !s.bMoving && !(m_nFlags & kAlternate) && fHeading != s.fHeading;
        return bStandSwing && FitsOut(s, s.fHeading, fPitch, fKept, &other) ? other : aimed;
    }
    if (!JumpsIn(s, aimed) && !SweptIn(s, aimed))
        return aimed;
    const float fSide = m_fSqueezeSide;
    mVec3 wall;
    WallTest(s, fHeading, fPitch, &wall);
    const bool bDeep = wall.Dist(s.pivot) < R::kDeepSqueeze * FollowFloor(*s.pEntity, m_params);
    const float fMostTurn = bDeep ? R::kMaxDeepSqueezeTurn : R::kMaxSqueezeTurn;
    for (float fTurn = R::kEdgeTurnStep; fTurn <= fMostTurn; fTurn += R::kEdgeTurnStep)
        for (const float fWay : {fSide, -fSide})
            if (FitsOut(s, Wrap180(fHeading + fWay * fTurn), fPitch, fKept, &other))
                return other;
    return aimed;
}

float gcGameCamera::SettleDistance(cTimeValue dT, const FollowFit& fit)
{
    gcPosCtrl& ctrl = m_PosCtrl;
    if (fit.room != FollowRoom::kOpen && fit.room != FollowRoom::kWallBeyond) {
        ctrl.timeSinceSnapped = cTimeValue(0);
        ctrl.fDesiredMinDist = fit.fDist;
        for (float& entry : ctrl.minDistFilter)
            entry = fit.fDist;
        return fit.fDist;
    }
    // A wall farther out lets the distance out as far as it, after the
    // same wait: held where it was pulled in to, the camera would stay
    // close for as long as the wall test meets anything.
    ctrl.timeSinceSnapped = std::min(R::kSettleTime, ctrl.timeSinceSnapped + dT);
    if (ctrl.timeSinceSnapped < R::kSettleTime)
        return ctrl.fDesiredMinDist;
    return fit.room == FollowRoom::kWallBeyond ? fit.fWallDist : m_params.m_fOffsets[P::OFF_MINDIST];
}

void gcGameCamera::UpdateStillTime(const FollowStart& s, cTimeValue dT)
{
    // A flyer pressed against a wall moves without going anywhere: it
    // stands; let go, it starts again (the swing behind it then begins). A
    // script that changes the parameters moves the camera again. Where the
    // entity stands is its pivot's place before walls stop it: the pivot
    // itself drops to the entity beneath an eave's edge as the camera
    // swings below it, and would start the rest again each time.
    const bool bSameParams = std::equal(std::begin(m_params.m_fMaxVels), std::end(m_params.m_fMaxVels),
                                        std::begin(m_followStillParams.m_fMaxVels)) &&
                             std::equal(std::begin(m_params.m_fMaxTimes), std::end(m_params.m_fMaxTimes),
                                        std::begin(m_followStillParams.m_fMaxTimes)) &&
                             std::equal(std::begin(m_params.m_fOffsets), std::end(m_params.m_fOffsets),
                                        std::begin(m_followStillParams.m_fOffsets));
    const bool bStill = bSameParams && s.bMoving == m_bFollowStillMoving &&
                        !(m_nFlags & (kReorienting | kAlternate | kShaking)) &&
                        s.stand.DistSq(m_followStillPivot) <= R::kStillPivot * R::kStillPivot;
    m_followStillPivot = s.stand;
    m_bFollowStillMoving = s.bMoving;
    if (!bSameParams)
        m_followStillParams.Set(m_params);
    m_followStillTime = bStill ? std::min(m_followStillTime + dT, R::kRestBy) : cTimeValue(0);
}

// A swing behind the entity is let finish first (frozen half-way, the view
// would rest beside it); one still going at kRestBy is held there.
float gcGameCamera::RestShare() const
{
    if (m_followStillTime <= R::kRestFrom || (m_bFollowSwinging && m_followStillTime < R::kRestBy))
        return 1.0f;
    return static_cast<float>((R::kRestBy - m_followStillTime).m_nTicks) /
           static_cast<float>((R::kRestBy - R::kRestFrom).m_nTicks);
}

// A camera that stands where the fit put it against a wall is not swept
// again; shaken, it is. An entity that has stood a while brings the camera
// to rest (see RestShare).
void gcGameCamera::FinishFollow(const gcMsgTick& tick, const FollowStart& s, mVec3 pos, bool bSweep,
                                float fDistTarget, mVec3* pPos)
{
    // Brought to rest, the camera stops short on the straight way from
    // where it stood to where the fit put it. Coming in over a wall's top
    // to in front of it, that way cuts the wall's edge: where it meets
    // something, the camera stands where the fit put it, which is clear.
    const float fShare = RestShare();
    mVec3 rested = GetPos() + (pos - GetPos()) * fShare;
    if (fShare < 1.0f && (bSweep || !Collide(GetPos(), &rested, false)))
        pos = rested;
    // Fully at rest it stands where it stood, clear of the walls last tick:
    // swept again, a camera touching a wall slides along it.
    const bool bRested = fShare <= 0.0f;
    if (m_nFlags & kShaking) {
        OnShakeTick(tick, &pos);
        bSweep = true;
    }
    if (bSweep && (!bRested || (m_nFlags & kShaking)))
        SweepFromEntity(s, &pos, true);
    mOCS snapped;
    if (s.bTargeting && HandleFollowSnap(pos, &snapped)) {
        *pPos = snapped.origin;
        return;
    }
    pos = KeepInView(s, pos);
    gcPosCtrl& ctrl = m_PosCtrl;
    ctrl.filterConsts.SetPole(m_params.m_fMaxTimes[P::SPD_MOVEMENT]);
    ctrl.fDesiredMinDist = ctrl.filterConsts.Step(fDistTarget, ctrl.minDistFilter);
    for (int i = 3; i > 0; --i)
        ctrl.filter[i] = ctrl.filter[i - 1];
    ctrl.filter[0] = pos;
    ctrl.posVel = (pos - GetPos()) * (1.0f / static_cast<float>(tick.dT.m_nTicks));
    ctrl.fPosVel = ctrl.posVel.Length();
    *pPos = pos;
}

// However far the fit lets it stand (a wall found farther out, a squeeze
// let go, room let out), the camera goes out from the pivot by at most a
// ninth of its distance a tick: at once, the entity would shrink on screen
// in one frame. Nearer than the entity's size (squeezed, then given room)
// it goes out to that size at once, not to stand within the entity; but
// come in ahead of a wall the entity then turned from, it goes on a share
// a tick (out at once, the entity would shrink to half or less). Nearer
// along the same line is as clear as the fit found.
mVec3 gcGameCamera::LetOutNoFaster(const FollowStart& s, const mVec3& pos)
{
    const mVec3 out = pos - s.pivot;
    const float fDist = out.Length();
    const float fSize = MinFollowDist(*s.pEntity);
    if (s.fDist >= fSize)
        m_bFollowCameAhead = false;
    const float fMost = m_bFollowCameAhead ? std::max(s.fDist, R::kMeshClearance) / R::kPullInKeep
                                           : std::max(s.fDist / R::kPullInKeep, fSize);
    return fDist > fMost ? s.pivot + out * (fMost / fDist) : pos;
}

// The stages weigh the world a wall at a time, each from its own point
// (the pivot, the body's point, the aim's wall test); what a player sees
// is the frame. So the place they chose is weighed as a frame against the
// last one. Where the entity's size on screen would change by more than
// kMaxSizeStep (a wall's edge met as the entity turns, the pivot dropped
// to the body under a ceiling's edge, the view lifted over a wall's top),
// or most of it would be hidden (a board over its middle and lower half, a
// post over its middle and one side), the camera stands instead on the
// same line out from the entity, within kLineSizeStep, else where it stood
// carried along with the entity, else that place turned round the entity
// (first the way the stages went), else lowered and turned again (beneath
// the gate's top, which every place at the last pitch meets): the first
// of them that is clear. Where none is, the stages' place stands. Not
// across a cut: the entity placed anew, or the camera moved by anything
// but this tick.
mVec3 gcGameCamera::KeepInView(const FollowStart& s, const mVec3& pos)
{
    const mVec3& middle = s.world.origin;
    if (GetPos() != m_followShownAt || middle.Dist(m_followShownOrigin) > R::kMaxAheadStep)
        return pos;
    const float fWas = GetPos().Dist(m_followShownOrigin);
    if (fWas <= eColliderEllipse::fColZeroTol || m_fFollowShownSize <= 0.0f || InView(s, pos))
        return pos;
    mVec3 out = pos - middle;
    const float fNow = out.Normalize();
    // Along one line the size goes as one over the distance.
    const float fRoot = ShownRoot(s, out);
    const float fSize = fNow > eColliderEllipse::fColZeroTol ? fRoot / fNow : m_fFollowShownSize * R::kLineSizeStep;
    const float fWanted = std::clamp(fSize, m_fFollowShownSize / R::kLineSizeStep, m_fFollowShownSize * R::kLineSizeStep);
    // Where the stages' own place lies past something from where the camera
    // stood (a wall's end it stood beyond, the entity gone round a pillar),
    // that cut is theirs: a place weighed here may lie past it too.
    mVec3 stagesWay = pos;
    const bool bWayClear = !Collide(GetPos(), &stagesWay, false);
    mVec3 place = middle + out * (fRoot / fWanted);
    if (ClearInView(s, &place, bWayClear))
        return place;
    const mVec3 was = GetPos() - m_followShownOrigin;
    const float fWay = Wrap180(Heading(out) - Heading(was)) >= 0.0f ? 1.0f : -1.0f;
    float fLook = Pitch(was * (1.0f / fWas));
    do {
        if (LookRound(s, was, fLook, fWay, bWayClear, &place))
            return place;
        fLook -= R::kLookRoundStep;
    } while (fLook >= R::kMinSqueezePitch);
    return pos;
}

bool gcGameCamera::LookRound(const FollowStart& s, const mVec3& was, float fPitch, float fWay, bool bWayClear,
                             mVec3* pPlace)
{
    const float fWas = was.Length(), fHeading = Heading(was);
    for (float fTurn = 0.0f; fTurn <= R::kMaxLookRound; fTurn += R::kLookRoundStep)
        for (const float fSide : {fWay, -fWay}) {
            *pPlace = s.world.origin + Forward(Wrap180(fHeading + fSide * fTurn), fPitch) * fWas;
            if (ClearInView(s, pPlace, bWayClear))
                return true;
            if (fTurn == 0.0f)
                break;
        }
    return false;
}

// The place swept to from the entity's middle, still in view, no steeper
// over the pivot than kMaxPitch (the view looks at the pivot), and where
// the stages' way is clear, on a way from where the camera stood that
// meets nothing: it moves there, it does not pass through a ceiling or
// round a wall's end to get there. Not swept from the pivot: the pivot
// stopped against a ceiling's underside (a flyer beneath the gate's top)
// would hold every place on itself.
bool gcGameCamera::ClearInView(const FollowStart& s, mVec3* pPlace, bool bWayClear)
{
    Collide(s.world.origin, pPlace, false);
    mVec3 fromPivot = *pPlace - s.pivot;
    if (fromPivot.Normalize() > eColliderEllipse::fColZeroTol && Pitch(fromPivot) > R::kMaxPitch + kPitchRounding)
        return false;
    mVec3 way = *pPlace;
    return InView(s, *pPlace) && (!bWayClear || !Collide(GetPos(), &way, false));
}

bool gcGameCamera::InView(const FollowStart& s, const mVec3& pos) const
{
    const float fSize = ShownSize(s, pos);
    return fSize * R::kMaxSizeStep >= m_fFollowShownSize && fSize <= m_fFollowShownSize * R::kMaxSizeStep &&
           SeesEntity(s, pos);
}

// The entity's box as a view along dir (a unit vector) sees it: the sum of
// its faces' areas, each as much as it faces the view, under a square
// root. Over the distance it is the entity's size on screen, near enough
// to what a player sees grow: a box turning broadside on, or seen from
// above rather than from the side, shows larger at the same distance. An
// entity without a box shows as a point: its size goes with the distance
// alone.
float gcGameCamera::ShownRoot(const FollowStart& s, const mVec3& dir)
{
    const mVec3 half = s.pEntity->GetColliderSize();
    mVec3 x, y, z;
    x.XformVec(mVec3(half.x, 0.0f, 0.0f), s.world);
    y.XformVec(mVec3(0.0f, half.y, 0.0f), s.world);
    z.XformVec(mVec3(0.0f, 0.0f, half.z), s.world);
    mVec3 yz, zx, xy;
    yz.Cross(y, z);
    zx.Cross(z, x);
    xy.Cross(x, y);
    const float fArea = std::fabs(yz.Dot(dir)) + std::fabs(zx.Dot(dir)) + std::fabs(xy.Dot(dir));
    return fArea > 0.0f ? std::sqrt(fArea) : 1.0f;
}

float gcGameCamera::ShownSize(const FollowStart& s, const mVec3& pos)
{
    mVec3 view = s.world.origin - pos;
    const float fDist = view.Normalize();
    return fDist > eColliderEllipse::fColZeroTol ? ShownRoot(s, view) / fDist : 0.0f;
}

// The entity is seen where more than half of the sight lines to its
// middle and to the corners of its box halved are clear: a post may hide
// one side of it, not its middle as well; a board in front its lower half,
// not its middle. Each ray runs from where the line to the camera leaves
// the entity's box: a wall the box leans into hides nothing.
bool gcGameCamera::SeesEntity(const FollowStart& s, const mVec3& pos) const
{
    const mVec3 half = s.pEntity->GetColliderSize();
    mBox box;
    box.minCorner = -half;
    box.maxCorner = half;
    mVec3 local;
    local.XformInv(pos, s.world);
    // In the entity's own frame: its middle, then the corners of its box halved.
    constexpr int kLines = 9;
    mVec3 sights[kLines];
    sights[0].Set(0.0f, 0.0f, 0.0f);
    mBox halved;
    halved.minCorner = -half * R::kSightShare;
    halved.maxCorner = half * R::kSightShare;
    halved.GetCorners(sights + 1);
    int nClear = 0;
    for (int k = 0; k < kLines; ++k) {
        const mVec3& inside = sights[k];
        mVec3 point;
        point.Xform(inside, s.world);
        // Where the line leaves the box is where it comes in from the
        // camera's side.
        mRay in{local, inside - local, 0.0f};
        in.length = in.dir.Normalize();
        mRayVolHit hit;
        bool bInside = false;
        if (in.length > eColliderEllipse::fColZeroTol && in.Intersect(box, &hit, &bInside))
            point.Xform(hit.pos, s.world);
        nClear += RayClear(point, pos) ? 1 : 0;
        if (2 * nClear > kLines)
            return true;
        if (2 * (nClear + kLines - 1 - k) <= kLines)
            return false;
    }
    return false;
}

float gcGameCamera::FollowedAlpha(const gcEntity& entity, const mVec3& pos, const mVec3& pivot) const
{
    const float fNear = pos.Dist(pivot) / FollowFloor(entity, m_params);
    const float t = std::clamp((fNear - R::kSeeThroughAt) / (R::kSeeThroughFrom - R::kSeeThroughAt), 0.0f, 1.0f);
    return R::kFollowedSeeThrough + (1.0f - R::kFollowedSeeThrough) * t;
}

float gcGameCamera::FollowedShareAlpha(float fShare)
{
    const float t = std::clamp((R::kSeeThroughShareAt - fShare) / (R::kSeeThroughShareAt - R::kSeeThroughShareFrom),
                               0.0f, 1.0f);
    return R::kFollowedSeeThrough + (1.0f - R::kFollowedSeeThrough) * t;
}

bool gcGameCamera::OnFollowEntityTick(const gcMsgTick& tick, mVec3* pPos, mVec3* pPivot)
{
    FollowStart s;
    if (!StartFollowTick(tick, &s)) {
        FollowNone(true);
        *pPos = GetPos();
        return false;
    }
    *pPivot = s.pivot;
    float fHeading = 0.0f, fPitch = 0.0f;
    AimBehind(s, &fHeading, &fPitch);
    const float fKept = KeptDistance(s);
    if (s.bTargeting) {
        const mVec3 pos = s.pivot + Forward(fHeading, fPitch) * fKept;
        FinishFollow(tick, s, pos, true, m_PosCtrl.fDesiredMinDist, pPos);
    } else {
        const FollowFit fit = AheadOfWall(s, FitToWorld(s, fHeading, fPitch, fKept));
        const float fDistTarget = SettleDistance(tick.dT, fit);
        const bool bSweep = fit.room == FollowRoom::kOpen || fit.room == FollowRoom::kWallBeyond;
        FinishFollow(tick, s, LetOutNoFaster(s, fit.pos), bSweep, fDistTarget, pPos);
    }
    m_followShownAt = *pPos;
    m_followShownOrigin = s.world.origin;
    m_fFollowShownSize = ShownSize(s, *pPos);
    return true;
}
