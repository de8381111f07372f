// The player camera: the follow rig. Each tick:
//   StartFollowTick  the entity, the pivot above it (let go by a ceiling,
//                    rising kPivotRise a tick), and the last frame's place
//                    carried along with the pivot
//   IdealPlace       the place behind the entity the data's parameters ask
//                    for, heading, pitch and distance each eased
//   MakeCandidates   a fixed set of places round the pivot (the ideal, the
//                    last place, turns, lifts and nudges), each swept from it
//   Cheapest         one cost for each: what a player would see from there
//   MoveTowards      a share of the way there, the view turning at most
//                    kMaxTurn and the camera moving at most kMaxTravel a tick;
//                    settling, a long swing round the way with room
//                    (SwingWay), and a move under kRestWay not made
//                    (HoldsAtRest)
//   FinishFollow     shake, the targeting snap, the filters
// Budget a tick, sweeps: the pivot kShareAhead ticks on (a slide), one for
// each of at most kMaxCandidates (16) candidates, and for each of at most
// kMoveTries (3) moves a slide (up to kMaxSlidePasses passes) and, where
// neither the middle nor the top would see the camera, two more: 26 at most
// (one more shaken), 18 as a rule. Rays
// (each a cast): a candidate is weighed with rays only while its bound (the
// terms that need none) is below the cheapest cost found, then 5 sight lines
// to the entity cast both ways and a 6 x 4 grid of view rays, 34, and 5
// more both ways from where the entity will be (while it moves) and to the
// middle of the way round to a place more than a tick's turn away (not
// settling), 54 at most; each move
// checks two lines both ways before and after its slide, 8, and two of
// them are held to the limits with the view rays and sight lines, 34: 956
// at most (100 to 190 as a rule). A settling swing
// longer than kLongSwing weighs its two ways round once a goal (SwingWay): 12
// sweeps more and 5 sight lines from each, 60 rays.
// Its rules are gcGameCamera::FollowRules.
#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "eEngine/eColliderEllipse.h"
#include "eEngine/eMesh.h"
#include "gcGameCameraMath.h"

using gcCameraMath::AngleBetween;
using gcCameraMath::Forward;
using gcCameraMath::Heading;
using gcCameraMath::Pitch;
using gcCameraMath::Wrap180;
using P = gcGameCameraParams;
using R = gcGameCamera::FollowRules;

namespace {

// The nearest the camera comes to the pivot while it keeps its distance.
float MinFollowDist(const gcEntity& entity)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(entity.m_model.m_hMesh);
    return pMesh ? R::kMeshClearance + std::max(pMesh->m_fVisRadius, pMesh->m_fColRadius) : 1.0f;
}

// The entity's size, or the distance wanted when that is shorter.
float FollowFloor(const gcEntity& entity, const gcGameCameraParams& params)
{
    return std::min(MinFollowDist(entity), params.m_fOffsets[P::OFF_MINDIST]);
}

// The screen's edges as tangents of the view: left, bottom, right, top.
bool ScreenTangents(const eCamera& camera, gcCameraOccluders::ScreenBox* pScreen)
{
    float fNear = 0.0f, fFar = 0.0f;
    gcCameraOccluders::ScreenBox& s = *pScreen;
    camera.m_frustum.GetPerspective(&fNear, &fFar, &s.x0, &s.x1, &s.y1, &s.y0);
    if (fNear <= 0.0f)
        return false;
    s = {s.x0 / fNear, s.y0 / fNear, s.x1 / fNear, s.y1 / fNear};
    return true;
}

}  // namespace

bool gcGameCamera::PivotAboveBody(const gcEntity& entity, float fOffset)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(entity.m_model.m_hMesh);
    return pMesh && fOffset > pMesh->m_colliderSize.z;
}

// Stopped beneath a ceiling, the pivot is kept kPivotClearance short of it:
// every sweep starts there, and one that starts touching goes nowhere.
mVec3 gcGameCamera::ReachablePivot(const mOCS& entityWorld, float fOffset)
{
    mVec3 pivot = entityWorld.origin + entityWorld.basis.up * fOffset;
    if (!Collide(entityWorld.origin, &pivot, false))
        return pivot;
    mVec3 back = entityWorld.origin - pivot;
    const float fReach = back.Normalize();
    return pivot + back * std::min(fReach, R::kPivotClearance);
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

// The camera's place from the pivot: where it stood last frame, the pivot
// then. Placed anew (a snap, a map's start, the entity moved farther than
// kPlacedAnew) there is no last frame to keep to: the tick may cut.
bool gcGameCamera::StartFollowTick(const gcMsgTick& tick, FollowStart* pStart)
{
    FollowStart& s = *pStart;
    s.pEntity = GetFollowedEntity(&s.world);
    if (!s.pEntity)
        return false;
    s.stand = s.world.origin + s.world.basis.up * m_LookAtCtrl.fEntityOffset;
    s.pivot = ReachablePivot(s.world, m_LookAtCtrl.fEntityOffset);
    s.fEntityHeading = Heading(s.world.basis.forward);
    s.fEntityPitch = Pitch(s.world.basis.forward);
    s.bMoving = IsMoving(*s.pEntity);
    s.bTargeting = s_targetingFunc && s_targetingFunc(s.pEntity);
    const float fBehindCos = std::cos(m_params.m_fOffsets[P::OFF_ROTATETHRESHOLD] * gcCameraMath::kDegToRad);
    s.bBehind = s.bTargeting || m_camera.m_cameraToWorld.basis.forward.Dot(s.world.basis.forward) >= fBehindCos;
    s.bCut = m_rig.bCut || s.pivot.Dist(m_rig.lastPivot) > R::kPlacedAnew;
    EasePivotRise(s.world, &s.pivot, s.bCut);
    mVec3 dir = GetPos() - (s.bCut ? s.pivot : m_rig.lastPivot);
    s.last.fDist = dir.Normalize();
    s.last.fHeading = Heading(dir);
    s.last.fPitch = Pitch(dir);
    // A camera on the pivot has no view to keep, and no move limited to a
    // share of its distance would ever take it off: it is placed anew.
    s.bCut = s.bCut || s.last.fDist <= eColliderEllipse::fColZeroTol;
    UpdateStillTime(s, tick.dT);
    return true;
}

// A ceiling held the pivot down and lets it go (the entity comes out from
// under a beam's end): the pivot rises kPivotRise a tick. Risen at once,
// every sweep from it back to a camera still beneath would meet the beam's
// end, and the camera would be brought in onto the entity in one frame.
void gcGameCamera::EasePivotRise(const mOCS& entityWorld, mVec3* pPivot, bool bCut)
{
    const float fHeight = (*pPivot - entityWorld.origin).Dot(entityWorld.basis.up);
    const float fMost = m_rig.fPivotHeight + R::kPivotRise;
    if (!bCut && fHeight > fMost)
        *pPivot = entityWorld.origin + entityWorld.basis.up * fMost;
    m_rig.fPivotHeight = bCut ? fHeight : std::min(fHeight, fMost);
}

// An entity stands while its pivot's place (before walls stop it) stays
// put: a flyer pressed against a wall moves without going anywhere.
void gcGameCamera::UpdateStillTime(const FollowStart& s, cTimeValue dT)
{
    const bool bStill = !(m_nFlags & (kReorienting | kAlternate | kShaking)) &&
                        s.stand.DistSq(m_rig.stillPivot) <= R::kStillPivot * R::kStillPivot;
    m_rig.stillPivot = s.stand;
    m_rig.stillTime = bStill ? std::min(m_rig.stillTime + dT, R::kSettleAfter) : cTimeValue(0);
}

bool gcGameCamera::Settling() const
{
    return m_rig.stillTime >= R::kSettleAfter;
}

// The goal (m_curDesiredHPR) changes only while the entity stands,
// targets, or the camera is steered (swinging behind it, or an alternate
// offset): while it simply moves along, the goal is kept. Steered by an
// alternate offset it is the current view turned by it; else behind the
// entity when swinging, viewing along its facing or settling, at the
// offsets' pitch over a standing entity.
void gcGameCamera::SetFollowGoal(const FollowStart& s)
{
    const bool bSteered = (m_nFlags & (kReorienting | kAlternate)) != 0;
    if (s.bMoving && !s.bTargeting && !bSteered && !Settling())
        return;
    // A swing ends when the entity stands, or when an alternate offset takes over.
    if ((m_nFlags & kReorienting) && (!s.bMoving || (m_nFlags & kAlternate)))
        Reorient(false, m_fReorientSpeedFactor, false);
    const float* off = m_params.m_fOffsets;
    float h = s.last.fHeading, p = s.last.fPitch;
    if (m_nFlags & kAlternate) {
        h += m_alternateHPR.x;
        p = std::clamp(p + m_alternateHPR.y, R::kMinAltPitch, R::kMaxAltPitch);
    } else {
        if ((m_nFlags & kReorienting) || s.bBehind || Settling())
            h = s.fEntityHeading + off[P::OFF_HEADING];
        if (!s.bMoving || Settling())
            p = -(s.fEntityPitch + off[P::OFF_PITCH]);
    }
    m_curDesiredHPR.x = Wrap180(h);
    m_curDesiredHPR.y = std::clamp(p, -kMaxViewPitch, kMaxViewPitch);
}

// The heading gain eases towards 1 (the camera's heading kept) while the
// entity moves unsteered or the view is off its facing; else towards the
// heading speed. Behind a standing entity, or one that has settled, the
// swing goes at least kStandSwingKeep's pace and kMinStandSwingStep a tick,
// and lands on its goal.
float gcGameCamera::EaseFollowHeading(const FollowStart& s, bool bSteered)
{
    const bool bStanding = !s.bMoving || Settling();
    const bool bSwing = !bSteered && bStanding && (s.bBehind || Settling());
    const bool bFree = !bSteered && !bSwing;
    float fGoal =
        bFree ? 1.0f : std::clamp(m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_H], 0.0f, R::kMaxSteeredHeadingGain);
    if (bSwing)
        fGoal = std::min(fGoal, R::kStandSwingKeep);
    m_fFollowEntityHK = R::kHeadingGainKeep * m_fFollowEntityHK + (1.0f - R::kHeadingGainKeep) * fGoal;
    mQuat qc, qd, q;
    qc.SetHP(s.last.fHeading, s.last.fPitch);
    qd.SetHP(m_curDesiredHPR.x, m_curDesiredHPR.y);
    q.Slerp(qd, qc, std::clamp(m_fFollowEntityHK, 0.0f, 1.0f));
    const float fDot = qc.x * qd.x + qc.y * qd.y + qc.z * qd.z + qc.w * qd.w;
    if (std::fabs(fDot - 1.0f) < R::kAlreadyThere && (m_nFlags & kReorienting))
        Reorient(false, m_fReorientSpeedFactor, false);
    float fHeading, fUnusedPitch;
    q.GetHP(&fHeading, &fUnusedPitch);
    const float fLeft = Wrap180(m_curDesiredHPR.x - s.last.fHeading);
    if (!bSwing)
        return fHeading;
    if (std::fabs(fLeft) <= R::kMinStandSwingStep)
        return m_curDesiredHPR.x;
    if (std::fabs(Wrap180(fHeading - s.last.fHeading)) < R::kMinStandSwingStep)
        fHeading = Wrap180(s.last.fHeading + std::copysign(R::kMinStandSwingStep, fLeft));
    return fHeading;
}

// The ideal pitch eases from its own last value towards the goal, moving
// or not: where the world held the camera lower, the ideal stayed at the
// follow pitch, and the camera goes back to it as soon as it is clear.
float gcGameCamera::EaseFollowPitch(const FollowStart& s)
{
    m_fFollowEntityPK =
        R::kPitchGainKeep * m_fFollowEntityPK + (1.0f - R::kPitchGainKeep) * m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_P];
    const float k = std::clamp(m_fFollowEntityPK, 0.0f, R::kMaxPitchGain);
    const float fFrom = s.bCut ? s.last.fPitch : m_rig.fIdealPitch;
    m_rig.fIdealPitch = std::clamp(k * fFrom + (1.0f - k) * m_curDesiredHPR.y, R::kMinFollowPitch, R::kMaxLookDown);
    return m_rig.fIdealPitch;
}

// The distance eases from its own last value towards OFF_MINDIST; never
// nearer than the entity's size. A placement behind the entity ends when
// it stands, or draws farther than kSnapBackFactor distances away.
float gcGameCamera::IdealDistance(const FollowStart& s)
{
    const float fWanted = m_params.m_fOffsets[P::OFF_MINDIST];
    if (!s.bMoving || (!s.bTargeting && s.last.fDist > R::kSnapBackFactor * fWanted))
        m_nFlags &= ~kBehindEntity;
    const float k = m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_DIST];
    float& fIdeal = m_PosCtrl.fDesiredMinDist;
    fIdeal = k * fIdeal + (1.0f - k) * fWanted;
    return std::max(fIdeal, FollowFloor(*s.pEntity, m_params));
}

// Targeting, the camera stands straight behind the entity at the offsets.
gcGameCamera::Place gcGameCamera::IdealPlace(const FollowStart& s)
{
    SetFollowGoal(s);
    const bool bSteered = (m_nFlags & (kReorienting | kAlternate)) != 0;
    Place ideal{EaseFollowHeading(s, bSteered), EaseFollowPitch(s), IdealDistance(s)};
    // Settled, the ideal is behind the entity at once: the move there is
    // damped by kApproach and the turn limit, and over well within a second.
    if (Settling() && !bSteered)
        ideal.fHeading = m_curDesiredHPR.x;
    if (s.bTargeting) {
        ideal.fHeading = Wrap180(s.fEntityHeading + m_params.m_fOffsets[P::OFF_HEADING]);
        ideal.fPitch =
            std::clamp(-(s.fEntityPitch + m_params.m_fOffsets[P::OFF_PITCH]), R::kMinFollowPitch, R::kMaxLookDown);
    }
    return ideal;
}

// The pivot kShareAhead ticks on at its last tick's pace, swept as a ball
// the entity's width: a wall it walks into stops it there, one it walks
// along it slides by.
mVec3 gcGameCamera::AheadPivot(const FollowStart& s)
{
    if (s.bCut)
        return s.pivot;
    mVec3 ahead = s.pivot + (s.pivot - m_rig.lastPivot) * R::kShareAhead;
    const mVec3 half = s.pEntity->GetColliderSize();
    Collide(s.pivot, &ahead, true, std::max(half.x, half.y));
    return ahead;
}

gcGameCamera::Candidate gcGameCamera::Sweep(const FollowStart& s, const Place& place)
{
    Candidate c;
    c.place = place;
    c.place.fPitch = std::clamp(place.fPitch, R::kMinFollowPitch, R::kMaxLookDown);
    c.pos = s.pivot + Forward(c.place.fHeading, c.place.fPitch) * place.fDist;
    Collide(s.pivot, &c.pos, false);
    return c;
}

// How high a lowered place stands: where a ceiling holds the pivot down
// near the entity's middle, level with the middle (higher, the ceiling fills
// the view; lower, the view looks up at the entity from beneath).
float gcGameCamera::LoweredPitch(const FollowStart& s, float fDist)
{
    if (s.pivot.DistSq(s.stand) <= eColliderEllipse::fColZeroTol * eColliderEllipse::fColZeroTol)
        return R::kMaxLookDown;
    const float fAbove = std::clamp((s.pivot.z - s.world.origin.z) / std::max(fDist, R::kMeshClearance), 0.0f, 1.0f);
    return std::max(R::kMinFollowPitch, -std::asin(fAbove) * gcCameraMath::kRadToDeg);
}

int gcGameCamera::MakeCandidates(const FollowStart& s, const Place& ideal, Candidate* pOut)
{
    int n = 0;
    const auto add = [&](float fHeading, float fPitch, float fDist) {
        pOut[n++] = Sweep(s, {Wrap180(fHeading), fPitch, fDist});
    };
    add(ideal.fHeading, ideal.fPitch, ideal.fDist);
    pOut[0].bIdeal = true;
    // Under a ceiling that holds the pivot down, the turns go no higher
    // than the lowered place: at the ideal's pitch they would meet the
    // ceiling at once, and a camera a wall held would find no way out.
    const float fLowered = LoweredPitch(s, ideal.fDist);
    for (const float fTurn : R::kTurns)
        add(ideal.fHeading + fTurn, std::min(ideal.fPitch, fLowered), ideal.fDist);
    for (const float fLift : R::kLifts)
        add(ideal.fHeading, fLift < 0.0f ? std::min(ideal.fPitch + fLift, fLowered) : ideal.fPitch + fLift, ideal.fDist);
    add(ideal.fHeading, ideal.fPitch, ideal.fDist * R::kFarther);
    if (s.bCut)  // a camera on the pivot is placed anew: no last place
        return n;
    add(s.last.fHeading, s.last.fPitch, s.last.fDist);
    add(s.last.fHeading, s.last.fPitch, ideal.fDist);
    for (const float fSide : {R::kNudge, -R::kNudge})
        add(s.last.fHeading + fSide, s.last.fPitch, ideal.fDist);
    return n;
}

// The way from the ideal place round the pivot: the arc the view turns
// through at the ideal distance and the way in or out, taken as the two
// sides of a right angle (near the ideal, the straight way). Where a wall
// holds every place nearer than the ideal, the one that keeps the ideal's
// heading and pitch is then nearest; measured straight to an ideal point
// beyond the wall, a place lifted over the wall's line would come nearer
// it, and the camera would look down over the entity. (The angle from
// atan2: acos loses hundredths of a degree near 0, and the ideal itself
// would cost more than the place held.)
float gcGameCamera::WayFromIdeal(const FollowStart& s, const Place& ideal, const mVec3& pos)
{
    mVec3 dir = pos - s.pivot;
    const float fDist = dir.Normalize();
    const mVec3 idealDir = Forward(ideal.fHeading, ideal.fPitch);
    mVec3 across;
    across.Cross(dir, idealDir);
    return std::hypot(std::atan2(across.Length(), dir.Dot(idealDir)) * ideal.fDist, ideal.fDist - fDist);
}

// The terms no ray is needed for: the way from the ideal place (at rest,
// and turned far from the entity's back, more), a view under the follow
// pitch, the view's turn and the camera's travel from the last frame, each
// up to what one frame's move allows (the camera gets anywhere a step at a
// time: farther costs no more, or it would never leave a place it was held
// in).
float gcGameCamera::BoundCost(const FollowStart& s, const Place& ideal, const mVec3& pos, bool bRest) const
{
    float fCost = R::kIdealWeight * WayFromIdeal(s, ideal, pos) / std::max(ideal.fDist, R::kMeshClearance);
    fCost += LowCost(s, ideal, pos);
    if (bRest) {
        const float fTurn = std::fabs(Wrap180(Heading(pos - s.pivot) - ideal.fHeading));
        fCost += R::kRestTurnWeight *
                 std::clamp((fTurn - R::kRestTurnFrom) / (R::kRestTurn - R::kRestTurnFrom), 0.0f, 1.0f);
    }
    mVec3 look = s.pivot - pos;
    if (s.bCut || look.Normalize() <= eColliderEllipse::fColZeroTol)
        return fCost;
    const mVec3 lastLook = -Forward(s.last.fHeading, s.last.fPitch);
    const mVec3 lastPos = s.pivot - lastLook * s.last.fDist;
    return fCost + R::kTurnWeight * std::min(AngleBetween(look, lastLook) / R::kMaxTurn, 1.0f) +
           R::kTravelWeight * std::min(pos.Dist(lastPos) / R::kMaxTravel, 1.0f);
}

// A view lower than the follow pitch (under a ceiling that holds the pivot
// down, than the lowered place) flattens where a player expects it back:
// from kLowFrom degrees under it the place costs more, up to kLowWeight.
float gcGameCamera::LowCost(const FollowStart& s, const Place& ideal, const mVec3& pos)
{
    mVec3 dir = pos - s.pivot;
    if (dir.Normalize() <= eColliderEllipse::fColZeroTol)
        return 0.0f;
    const float fLow = std::min(ideal.fPitch, LoweredPitch(s, ideal.fDist)) - Pitch(dir);
    return R::kLowWeight * std::clamp((fLow - R::kLowFrom) / (R::kLow - R::kLowFrom), 0.0f, 1.0f);
}

mOCS gcGameCamera::EyeAt(const mVec3& pivot, const mVec3& pos) const
{
    mOCS eye = m_camera.m_cameraToWorld;
    eye.origin = pos;
    if (pos.Dist(pivot) > eColliderEllipse::fColZeroTol)
        eye.LookAt(pos, pivot, mVec3(0.0f, 0.0f, 1.0f));
    return eye;
}

mOCS gcGameCamera::FollowEye(const FollowStart& s, const mVec3& pos) const
{
    const mVec3 aim = AimInFrame(pos, s.pivot, s.world, s.pEntity->GetColliderSize(),
                                 PivotAboveBody(*s.pEntity, m_LookAtCtrl.fEntityOffset));
    return EyeAt(aim, pos);
}

// The terms seen from the place: the entity hidden by the world and by
// creatures, the world near the camera in the view, the entity's share of
// the screen and how much of it is on it.
float gcGameCamera::SeenCost(const FollowStart& s, const mVec3& pos, float* pCover) const
{
    const mOCS eye = FollowEye(s, pos);
    *pCover = CreatureCover(s, eye);
    const float fNear = NearShare(eye);
    const float fCost = R::kHiddenWeight * HiddenShare(s, pos) + R::kHiddenAheadWeight * HiddenAhead(s, pos) +
                        R::kCreatureWeight * *pCover + R::kNearWallWeight * fNear + ScreenCost(s, eye);
    return fNear > R::kMostNearShare ? fCost + R::kOverLimit : fCost;
}

// Sight lines from the middle of the entity's box and from kSightShare of
// the way to its top, bottom and sides across the view.
float gcGameCamera::HiddenShare(const FollowStart& s, const mVec3& pos) const
{
    return HiddenShareFrom(s, s.world.origin, pos);
}

// The entity kShareAhead ticks on hidden from the place: a post the
// entity walks behind is weighed while the camera still has time to come
// in front of it (or round it) a step at a time. Standing, none.
float gcGameCamera::HiddenAhead(const FollowStart& s, const mVec3& pos) const
{
    const mVec3 step = s.ahead - s.pivot;
    if (step.Length() <= eColliderEllipse::fColZeroTol)
        return 0.0f;
    return HiddenShareFrom(s, s.world.origin + step, pos);
}

float gcGameCamera::HiddenShareFrom(const FollowStart& s, const mVec3& middle, const mVec3& pos) const
{
    const mVec3 half = s.pEntity->GetColliderSize() * R::kSightShare;
    mVec3 across;
    across.Cross(pos - middle, s.world.basis.up);
    if (across.Normalize() <= eColliderEllipse::fColZeroTol)
        across = s.world.basis.right;
    const mVec3 up = s.world.basis.up * half.z, side = across * std::max(half.x, half.y);
    const mVec3 points[] = {middle, middle + up, middle - up, middle + side, middle - side};
    int nHidden = 0;
    for (const mVec3& point : points)
        nHidden += RayClear(point, pos) ? 0 : 1;
    return static_cast<float>(nHidden) / static_cast<float>(std::size(points));
}

// The most of the entity's box on screen a creature nearer the eye covers.
float gcGameCamera::CreatureCover(const FollowStart& s, const mOCS& eye) const
{
    float fMost = 0.0f;
    const mVec3 half = s.pEntity->GetColliderSize();
    for (gcCreature* p : gcCreature::s_pActiveCreatures) {
        mOCS body;
        if (!p || p == s.pEntity || !GetEntityWorld(p, &body))
            continue;
        const gcCameraOccluders::Sight sight = gcCameraOccluders::Look(eye, body, p->GetColliderSize(), s.world, half);
        if (sight.bInView && sight.fNearer > 0.0f)
            fMost = std::max(fMost, gcCameraOccluders::CoveredShare(sight.box, sight.followed));
    }
    return fMost;
}

// The share of rays through the middles of a kNearColumns x kNearRows
// grid of the screen's cells that meet the world within kNearWall of the
// eye: the whole screen, a wall along one edge fills the picture too.
float gcGameCamera::NearShare(const mOCS& eye) const
{
    gcCameraOccluders::ScreenBox screen;
    if (!ScreenTangents(m_camera, &screen))
        return 0.0f;
    int nHits = 0;
    for (int column = 0; column < R::kNearColumns; ++column)
        for (int row = 0; row < R::kNearRows; ++row) {
            const float fx = screen.x0 + (screen.x1 - screen.x0) * (column + 0.5f) / R::kNearColumns;
            const float fy = screen.y0 + (screen.y1 - screen.y0) * (row + 0.5f) / R::kNearRows;
            mVec3 dir = eye.basis.forward + eye.basis.right * fx + eye.basis.up * fy;
            dir.Normalize();
            nHits += RayHits(eye.origin, dir, R::kNearWall) ? 1 : 0;
        }
    return static_cast<float>(nHits) / static_cast<float>(R::kNearColumns * R::kNearRows);
}

// The entity's share of the screen costs from kShareFrom, and past
// kMostShare it breaks the limit; the share of its box off the screen costs.
// The share weighed is the larger of now and kShareAhead ticks on, seen from
// the same place: held by a wall the entity walks at, the camera turns aside
// while there is time to.
float gcGameCamera::ScreenCost(const FollowStart& s, const mOCS& eye) const
{
    gcCameraOccluders::ScreenBox screen, box, aheadBox;
    if (!ScreenTangents(m_camera, &screen))
        return 0.0f;
    const mVec3 half = s.pEntity->GetColliderSize();
    if (!gcCameraOccluders::Project(eye, s.world, half, &box))
        return R::kOffScreenWeight + R::kOverLimit;
    const float fOn = gcCameraOccluders::CoveredShare(screen, box);
    mOCS ahead = s.world;
    ahead.origin += s.ahead - s.pivot;
    const float fAhead = gcCameraOccluders::Project(EyeAt(s.ahead, eye.origin), ahead, half, &aheadBox)
                             ? gcCameraOccluders::CoveredShare(aheadBox, screen)
                             : 1.0f;
    const float fShare = std::max(gcCameraOccluders::CoveredShare(box, screen), fAhead);
    const float fCost = R::kOffScreenWeight * (1.0f - fOn) +
                        R::kShareWeight * std::clamp((fShare - R::kShareFrom) / (R::kMostShare - R::kShareFrom), 0.0f, 1.0f);
    return fShare > R::kMostShare ? fCost + R::kOverLimit : fCost;
}

// A place more than a tick's turn round the pivot from the last one is
// reached over several ticks: where the entity does not see the middle of
// that way (unswept, as the move would head for it), the camera would pass
// behind what hides it there and be pulled in front of it in one frame.
// (Settling, the swing weighs its way round itself: SwingWay.)
float gcGameCamera::WayCost(const FollowStart& s, const mVec3& pos) const
{
    mVec3 dir = pos - s.pivot;
    const float fDist = dir.Normalize();
    if (s.bCut || Settling() || fDist <= eColliderEllipse::fColZeroTol ||
        AngleBetween(dir, Forward(s.last.fHeading, s.last.fPitch)) <= R::kMaxTurn)
        return 0.0f;
    const Place way = PlaceBetween(s.last, {Heading(dir), Pitch(dir), fDist}, 0.5f);
    return R::kHiddenWayWeight * HiddenShare(s, s.pivot + Forward(way.fHeading, way.fPitch) * way.fDist);
}

// Candidates in the order of their bound; the rays weighed only while the
// bound is below the cheapest so far (every term is positive). The camera
// rests behind a settled entity where the ideal place (the first
// candidate, behind it) has room.
const gcGameCamera::Candidate& gcGameCamera::Cheapest(const FollowStart& s, const Place& ideal, Candidate* pCands,
                                                       int n)
{
    const bool bRest = Settling() && pCands[0].pos.Dist(s.pivot) >= R::kRestRoom * ideal.fDist;
    for (int i = 0; i < n; ++i)
        pCands[i].fBound = BoundCost(s, ideal, pCands[i].pos, bRest);
    std::stable_sort(pCands, pCands + n, [](const Candidate& a, const Candidate& b) { return a.fBound < b.fBound; });
    int nBest = 0;
    float fBest = std::numeric_limits<float>::max(), fLeastCover = 1.0f;
    for (int i = 0; i < n && pCands[i].fBound < fBest; ++i) {
        float fCover = 0.0f;
        pCands[i].fCost = pCands[i].fBound + SeenCost(s, pCands[i].pos, &fCover) + WayCost(s, pCands[i].pos);
        fLeastCover = std::min(fLeastCover, fCover);
        if (pCands[i].fCost < fBest)
            fBest = pCands[i].fCost, nBest = i;
    }
    m_rig.fLeastCreatureCover = fLeastCover;
    return pCands[nBest];
}

// The view's turn, the camera's travel and the change of its distance
// from the pivot (the entity's size on screen) since the last frame within
// a frame's limits, and no steeper over the pivot than kMaxLookDown (or
// than the last frame, where a slide left it steeper: else no move from
// there would keep the limits and the camera would never move again).
bool gcGameCamera::WithinLimits(const FollowStart& s, const mVec3& pos) const
{
    mVec3 look = s.pivot - pos;
    if (look.Normalize() <= eColliderEllipse::fColZeroTol)
        return false;
    const mVec3 lastLook = -Forward(s.last.fHeading, s.last.fPitch);
    const mVec3 lastPos = s.pivot - lastLook * s.last.fDist;
    const float fDist = pos.Dist(s.pivot);
    const float fSteepest = std::max(R::kMaxLookDown + R::kPitchSlack, s.last.fPitch);
    return AngleBetween(look, lastLook) <= R::kMaxTurn && pos.Dist(lastPos) <= R::kMaxTravel &&
           -Pitch(look) <= fSteepest && fDist * R::kMaxNearing >= s.last.fDist &&
           fDist <= s.last.fDist * R::kMaxNearing;
}

// The place t of the way from the last one to another, round the pivot
// (heading, pitch and distance each that share of the way), not through it;
// the distance changed by no more than kMaxNearing.
gcGameCamera::Place gcGameCamera::PlaceBetween(const Place& from, const Place& to, float t)
{
    const float fDist = std::clamp(from.fDist + t * (to.fDist - from.fDist), from.fDist / R::kMaxNearing,
                                   from.fDist * R::kMaxNearing);
    return {Wrap180(from.fHeading + t * Wrap180(to.fHeading - from.fHeading)),
            from.fPitch + t * (to.fPitch - from.fPitch), fDist};
}

// kApproach of the way (all of it to the ideal place, whose heading, pitch
// and distance the data's poles ease already), or as much as keeps the
// limits.
float gcGameCamera::LimitedShare(const FollowStart& s, const Place& to, bool bIdeal) const
{
    const auto within = [&](float t) {
        const Place p = PlaceBetween(s.last, to, t);
        return WithinLimits(s, s.pivot + Forward(p.fHeading, p.fPitch) * p.fDist);
    };
    float fLow = 0.0f, fHigh = bIdeal ? 1.0f : R::kApproach;
    if (within(fHigh))
        return fHigh;
    for (int i = 0; i < R::kLimitSteps; ++i) {
        const float fMid = 0.5f * (fLow + fHigh);
        (within(fMid) ? fLow : fHigh) = fMid;
    }
    return fLow;
}

// A place the entity's middle or the top of its box (kSightShare up) sees
// is reached from where the camera stood as a ball that slides along what
// it meets (a ball swept from the pivot would be pulled in by an edge the
// line only grazes, and a post that hides one of the two lines hides only
// part of the entity: the cost weighs that); one neither sees is brought in
// along its line from the pivot, then from the middle, to stand in front of
// what lies between. A move keeps the limits where it can (KeepsLimits).
// Where the way ahead closes in faster than the camera may near (the place
// turned to is brought in nearer than the one held, past kMaxNearing: a
// post the turn would pass behind), the view is held and the camera comes
// in towards it, kComeIn a tick, to pass in front of it on later ticks,
// within the limits and the entity seen, though the post near the lens may
// fill more of the view than a place is held to for a tick or two (the
// first would leap in front of it: a cut); else half the share is tried.
// Where neither keeps the limits (the walls close in on the place held
// itself) the first is taken: it goes furthest towards the chosen place,
// which the cost found better. (Carried along with the pivot alone instead,
// it would wait behind what hides the entity.)
mVec3 gcGameCamera::MoveTowards(const FollowStart& s, const Place& to, bool bIdeal)
{
    if (s.bCut) {
        mVec3 pos = s.pivot + Forward(to.fHeading, to.fPitch) * to.fDist;
        Collide(s.pivot, &pos, false);
        return pos;
    }
    const Place way = SwingWay(s, to);
    // Brought in onto the pivot, there would be no view: the camera holds.
    const auto result = [&](const mVec3& pos) {
        const bool bOnPivot = pos.Dist(s.pivot) <= eColliderEllipse::fColZeroTol;
        return bOnPivot || HoldsAtRest(s, pos) ? LastPlace(s) : pos;
    };
    float fMost = std::numeric_limits<float>::max();
    const auto place = [&](float t) {
        Place p = PlaceBetween(s.last, way, t);
        p.fDist = std::min(p.fDist, fMost);
        return SlideTo(s, s.pivot + Forward(p.fHeading, p.fPitch) * p.fDist);
    };
    const float t = LimitedShare(s, way, bIdeal);
    const mVec3 first = place(t);
    if (KeepsLimits(s, first))
        return result(first);
    const float fHeld = place(0.0f).Dist(s.pivot);
    const bool bClosing = first.Dist(s.pivot) * R::kMaxNearing < fHeld;
    if (bClosing)
        fMost = std::min(fHeld, s.last.fDist / R::kComeIn);
    const mVec3 pos = place(bClosing ? 0.0f : 0.5f * t);
    const bool bKept =
        bClosing ? WithinLimits(s, pos) && HiddenShare(s, pos) <= R::kMostHidden : KeepsLimits(s, pos);
    return result(bKept ? pos : first);
}

mVec3 gcGameCamera::LastPlace(const FollowStart& s) const
{
    return GetPos() + (s.pivot - m_rig.lastPivot);
}

// Settled (no cut: MoveTowards asks only then), the camera holds its last
// place where this tick's move is shorter than kRestWay: held short of a place it cannot reach or see, it
// would creep on towards it by millimetres a frame.
bool gcGameCamera::HoldsAtRest(const FollowStart& s, const mVec3& pos) const
{
    return Settling() && pos.Dist(LastPlace(s)) < R::kRestWay;
}

// Settling, the camera swings behind the entity round the shorter way,
// unless that way is walled in: a swing of more than kLongSwing weighs each
// way's room once for each goal, and keeps to the way chosen until it is
// over or the goal moves more than kSwingStep. Going the
// long way, it heads a quarter turn on each tick until the rest of the way
// is the short one. (Round the short way through a wall, the camera would
// be pulled in onto the entity and out again.)
gcGameCamera::Place gcGameCamera::SwingWay(const FollowStart& s, const Place& to)
{
    const float fWay = Wrap180(to.fHeading - s.last.fHeading);
    if (!Settling() || std::fabs(fWay) <= R::kMaxTurn) {
        m_rig.fSwingSide = 0.0f;
        return to;
    }
    const float fShortSide = fWay < 0.0f ? -1.0f : 1.0f;
    // A way chosen for another goal (the entity turned as it stood) is
    // chosen anew: kept, it could lead the long way round to the new one.
    if (std::fabs(Wrap180(to.fHeading - m_rig.fSwingGoal)) > R::kSwingStep)
        m_rig.fSwingSide = 0.0f;
    if (m_rig.fSwingSide == 0.0f) {
        if (std::fabs(fWay) <= R::kLongSwing)
            return to;
        const float fShort = SwingRoom(s, to, fShortSide, std::fabs(fWay));
        const float fLong = SwingRoom(s, to, -fShortSide, 360.0f - std::fabs(fWay));
        m_rig.fSwingSide = fLong > fShort * R::kMaxNearing ? -fShortSide : fShortSide;
        m_rig.fSwingGoal = to.fHeading;
    }
    if (m_rig.fSwingSide == fShortSide)
        return to;
    Place ahead = to;
    ahead.fHeading = Wrap180(s.last.fHeading + m_rig.fSwingSide * 90.0f);
    return ahead;
}

// The least room along a way round: the distance a sweep reaches, less the
// share of the entity hidden from there, kSwingLook in, then every
// kSwingStep short of the way's end.
float gcGameCamera::SwingRoom(const FollowStart& s, const Place& to, float fSide, float fLength)
{
    float fRoom = to.fDist;
    for (float fTurn = R::kSwingLook; fTurn < fLength; fTurn += R::kSwingStep) {
        const Candidate c = Sweep(s, {Wrap180(s.last.fHeading + fSide * fTurn), to.fPitch, to.fDist});
        fRoom = std::min(fRoom, c.pos.Dist(s.pivot) * (1.0f - HiddenShare(s, c.pos)));
    }
    return fRoom;
}

// A place within the limits, the world near the camera filling no more
// than kMostNearShare of the view, and no more than kMostHidden of the
// sight lines to the entity cut: what the cost holds a candidate to.
bool gcGameCamera::KeepsLimits(const FollowStart& s, const mVec3& pos) const
{
    return WithinLimits(s, pos) && NearShare(FollowEye(s, pos)) <= R::kMostNearShare && HiddenShare(s, pos) <= R::kMostHidden;
}

mVec3 gcGameCamera::SlideTo(const FollowStart& s, mVec3 pos)
{
    const mVec3 head = s.world.origin + s.world.basis.up * (s.pEntity->GetColliderSize().z * R::kSightShare);
    const auto seen = [&](const mVec3& at) { return RayClear(s.world.origin, at) || RayClear(head, at); };
    mVec3 slid = pos;
    if (seen(pos) && (Collide(GetPos(), &slid, true), seen(slid)))
        return slid;
    Collide(s.pivot, &pos, false);
    Collide(s.world.origin, &pos, false);
    return pos;
}

void gcGameCamera::FinishFollow(const gcMsgTick& tick, const FollowStart& s, mVec3 pos, mVec3* pPos)
{
    if (m_nFlags & kShaking) {
        OnShakeTick(tick, &pos);
        Collide(s.pivot, &pos, false);
    }
    m_rig.lastPivot = s.pivot;
    m_rig.bCut = false;
    m_rig.bCutNow = s.bCut;
    mOCS snapped;
    if (s.bTargeting && HandleFollowSnap(pos, &snapped)) {
        *pPos = snapped.origin;
        return;
    }
    gcPosCtrl& ctrl = m_PosCtrl;
    for (int i = 3; i > 0; --i)
        ctrl.filter[i] = ctrl.filter[i - 1];
    ctrl.filter[0] = pos;
    ctrl.posVel = (pos - GetPos()) * (1.0f / static_cast<float>(tick.dT.m_nTicks));
    ctrl.fPosVel = ctrl.posVel.Length();
    *pPos = pos;
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
    s.ahead = AheadPivot(s);
    const Place ideal = IdealPlace(s);
    Candidate cands[R::kMaxCandidates];
    const int n = MakeCandidates(s, ideal, cands);
    const Candidate& best = Cheapest(s, ideal, cands, n);
    mVec3 dir = best.pos - s.pivot;
    Place chosen;
    chosen.fDist = dir.Normalize();
    chosen.fHeading = chosen.fDist > eColliderEllipse::fColZeroTol ? Heading(dir) : best.place.fHeading;
    chosen.fPitch = chosen.fDist > eColliderEllipse::fColZeroTol ? Pitch(dir) : best.place.fPitch;
    FinishFollow(tick, s, MoveTowards(s, chosen, best.bIdeal), pPos);
    return true;
}
