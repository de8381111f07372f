// gcPlayerBiped: the movement step. The distance covered is the root motion
// of the animation playing, turned to the heading (or the strafe direction),
// scaled by the movement scale and pushed through the world's collider;
// gravity then moves the biped along a separate fall step that decides
// whether it stands, slides on a slope too steep to stand on, or falls.
#include <cmath>

#include "eEngine/eColliderEllipse.h"
#include "eEngine/eZone.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/script/gcAnimationConfig.h"
#include "mMath/mQuat.h"

namespace {

constexpr float kTicksPerSecond = 600.0f;
constexpr float kDegToRad = 0.01745329f;
constexpr float kTol = eColliderEllipse::fColZeroTol;

}  // namespace

mVec3 gcPlayerBiped::RootMotion(cTimeValue step, float* pLength)
{
    mVec3 d;
    mQuat q;
    m_model.CalcNodeDelta(step, 0, &d, &q);
    const float fLength = d.Length();
    *pLength = fLength;
    // The target walks and the dodge go the strafe heading at the
    // animation's speed.
    if ((m_nCurState >= ST_TGT_F && m_nCurState <= ST_TGT_R) || m_nCurState == ST_DODGING) {
        const float s = m_fStrafeDir * kDegToRad;
        d.Set(-std::sin(s) * fLength, std::cos(s) * fLength, 0.0f);
    }
    // The scale approaches the stat by halves each tick.
    m_fMovementScale = 0.5f * m_fMovementScale + 0.5f * GetStat(gcEntityTemplate::STAT_MOVEMENT_SCALE);
    if (std::fabs(m_fMovementScale - 1.0f) <= kVelocityTol) {
        m_fMovementScale = 1.0f;
    } else {
        d.x *= m_fMovementScale;
        d.y *= m_fMovementScale;
    }
    return d;
}

void gcPlayerBiped::Move(cTimeValue step)
{
    if (step.m_nTicks > 0) {
        mOCS frame = m_model.m_localToParent;
        const mVec3 p0 = frame.origin;
        float fRate = 0.0f;
        const mVec3 d = RootMotion(step, &fRate);
        gcEntity* pTarget = m_nCurState <= ST_DODGING ? m_pTarget : nullptr;
        if (pTarget)
            UpdateDesiredHeading(pTarget, 0.0f);
        frame.basis.SetH(HandleHeadingChange(fRate, pTarget ? kTargetTurnWeight : -1.0f));
        mVec3 u;
        u.Xform(d, frame.basis);
        const float fDist = u.Normalize();
        const uint32_t nConfigFlags = m_pAnimationConfig ? m_pAnimationConfig->nFlags : 0;
        if (nConfigFlags & kConfigNoCollision) {
            // Through everything: no velocity, no fall step, the touch kept.
            frame.origin.AddScaled(frame.origin, u, fDist);
        } else {
            gcSurface* pTouch = nullptr;
            Unembed(&frame, &pTouch);
            Collide(u, fDist, false, &frame, &pTouch);
            m_velocity = (frame.origin - p0) * (1.0f / static_cast<float>(step.m_nTicks));
            if (nConfigFlags & kConfigNoFall) {
                m_gravityVelocity.z = 0.0f;
                m_nFlags &= ~kGroundFlags;
            } else {
                FallStep(step, &frame, &pTouch);
            }
            m_pPrevTouchSurface = pTouch;
        }
        gcPlayer::PlaceMoved(this, frame, p0);
    }
    if (!gcPlayer::UpdateInWorld(this, step))
        LeaveWorld();
}

void gcPlayerBiped::FallStep(cTimeValue step, mOCS* pFrame, gcSurface** ppTouch)
{
    const float fTicks = static_cast<float>(step.m_nTicks);
    m_gravityVelocity.z += kGravity / (kTicksPerSecond * kTicksPerSecond) * fTicks;
    const mVec3 p1 = pFrame->origin;
    mVec3 dir = m_gravityVelocity;
    const float fSpeed = dir.Normalize();
    Collide(dir, fSpeed * fTicks, true, pFrame, ppTouch);
    m_gravityVelocity = pFrame->origin - p1;
    if (std::fabs(m_gravityVelocity.z) <= kVelocityTol) {
        // Standing: this is the place to come back to, unless it lies in no
        // zone. Ground running up to a zone's edge still holds a biped whose
        // centre has just passed it; a placement saved there would be
        // outside every zone again when the biped is snapped back to it,
        // which leaves it frozen there for good.
        mVec3 inZone;
        if (!(m_nFlags & kGroundFlags) && eZone::GetZoneFromPos(m_model.m_pZone, pFrame->origin, &inZone)) {
            m_safeLocalToParent = *pFrame;
            m_nSafeRegionId = m_nRegionId;
        }
        m_gravityVelocity.Set(0.0f, 0.0f, 0.0f);
        m_nFlags &= ~kGroundFlags;
    }
    m_gravityVelocity = m_gravityVelocity * (1.0f / fTicks);
    m_fallingTime = (m_nFlags & kGroundFlags) ? m_fallingTime + step : cTimeValue(0);
    FallStateChanges();
}

void gcPlayerBiped::FallStateChanges()
{
    const bool bLong = m_fallingTime > cTimeValue(kAirborneTicks);
    const bool bJumpDescent =
        m_nCurState == ST_SJUMP_DOWN || m_nCurState == ST_RJUMP_DOWN || m_nCurState == ST_DJUMP_DOWN;
    if ((m_nFlags & kOnSteep) && bLong && m_gravityVelocity.z < kSlideSpeed / kTicksPerSecond) {
        To(ST_SLIDING);
    } else if ((m_nFlags & kInAir) && bLong && m_gravityVelocity.z < kFallSpeed / kTicksPerSecond && !bJumpDescent) {
        To(ST_FALLING);
    } else if (m_nCurState == ST_FALLING || m_nCurState == ST_SLIDING || m_nNextState == ST_FALLING ||
               m_nNextState == ST_SLIDING) {
        To(ST_SLAND);
    }
    if (m_nFlags & kInAir)
        return;
    if (m_nCurState == ST_SJUMP_DOWN)
        To(ST_SLAND);
    else if (m_nCurState == ST_RJUMP_DOWN || m_nCurState == ST_DJUMP_DOWN)
        To(m_fMovementScale <= 0.5f ? ST_SLAND : ST_RLAND);
}

void gcPlayerBiped::LeaveWorld()
{
    // The snap back ticks the biped; when the safe placement lies outside
    // every zone as well (saved on the tick that crossed a zone's edge), that
    // tick finds it outside again: it then stays frozen where it is instead
    // of snapping back without end.
    if (m_bLeavingWorld)
        return;
    m_bLeavingWorld = true;
    // Outside every zone: back to the last place it stood, with the camera.
    m_model.SetGeomFlagsOnOff(0, eGeom::kOutsideZones);
    SnapTo(m_nSafeRegionId, m_safeLocalToParent);
    m_bLeavingWorld = false;
    gcGameCamera::Get()->SnapCurMovement();
    gcGameCamera::Get()->SnapCurLookAt();
    m_gravityVelocity.Set(0.0f, 0.0f, 0.0f);
    m_nFlags &= ~kGroundFlags;
    To(ST_STANDING);
    m_model.ResetAnimationState();
}

bool gcPlayerBiped::SetUpCollider(eColliderEllipse* pCollider, const mOCS& frame, const mVec3& dir,
                                  float fDist) const
{
    return gcPlayer::SetUpCollider(*this, frame, dir, fDist, GetColliderSize(),
                                   m_pTemplate ? m_pTemplate->nCollisionMask : 0, pCollider);
}

void gcPlayerBiped::Collide(const mVec3& dir, float fDist, bool bFall, mOCS* pFrame, gcSurface** ppTouch)
{
    if (fDist < kTol)
        return;
    eColliderEllipse collider;
    if (!SetUpCollider(&collider, *pFrame, dir, fDist))
        return;
    for (int i = 0; i < gcPlayer::kMaxCollideRounds && collider.m_fNonScaledMoveDist > kTol; ++i) {
        eZone::CollideAll(&collider);
        HandleContacts(collider, ppTouch);
        if (!bFall) {
            // A wall or a slope steeper than 60 degrees stops the walk.
            collider.ClampContactNormals(0.0f, 30.0f, 0.0f, false);
            eZone::CollideSlide(&collider);
        } else if (FallPassRound(&collider)) {
            break;
        }
    }
    gcPlayer::TakeColliderPosition(*this, collider, pFrame);
}

bool gcPlayerBiped::FallPassRound(eColliderEllipse* pCollider)
{
    eColliderEllipse& c = *pCollider;
    const int nContacts = c.m_nContacts[eColliderEllipse::CT_NORMAL];
    bool bSliding = false;
    for (int i = 0; i < nContacts && !bSliding; ++i) {
        const eSurface* pSurface = c.m_pContacts[eColliderEllipse::CT_NORMAL][i].pSurface;
        bSliding = pSurface && (pSurface->m_flags & kSurfSliding);
    }
    // Standing still, edge and corner contacts do not hold the biped.
    const bool bStill = std::fabs(m_velocity.x) <= kVelocityTol && std::fabs(m_velocity.y) <= kVelocityTol;
    bool bStands = false;
    if (bSliding)
        m_nFlags |= kOnSteep;
    else if (c.ClampContactNormals(30.0f, 90.0f, 90.0f, bStill))
        bStands = true;
    else
        m_nFlags |= nContacts > 0 ? kOnSteep : kInAir;
    if (bStands)
        m_nFlags &= ~kGroundFlags;
    eZone::CollideSlide(&c);
    return bStands;
}

void gcPlayerBiped::Unembed(mOCS* pFrame, gcSurface** ppTouch)
{
    eColliderEllipse collider;
    if (!SetUpCollider(&collider, *pFrame, mVec3(0.0f, 0.0f, 0.0f), 0.0f))
        return;
    for (int i = 0; i < gcPlayer::kMaxUnembedRounds; ++i) {
        eZone::CollideEmbed(&collider);
        HandleContacts(collider, ppTouch);
        if (!collider.m_bEmbedded)
            break;
        eZone::CollisionCullAll(collider);
        for (int k = 0; k < gcPlayer::kMaxUnembedSlides && std::fabs(collider.m_fNonScaledMoveDist) > kTol; ++k) {
            eZone::CollideAll(&collider);
            collider.ClampContactNormals(0.0f, 30.0f, 0.0f, false);
            eZone::CollideSlide(&collider);
        }
        collider.ClearContacts(eColliderEllipse::CT_SAVED);
    }
    gcPlayer::TakeColliderPosition(*this, collider, pFrame);
}

void gcPlayerBiped::HandleContacts(const eColliderEllipse& collider, gcSurface** ppTouch)
{
    gcPlayer::Contact c;
    for (int n = 0; gcPlayer::GetContact(collider, n, &c); ++n) {
        float fFirst = 0.0f;
        if (c.pSurface && (c.pSurface->m_flags & kSurfTouch)) {
            fFirst = (c.pSurface != m_pPrevTouchSurface && !*ppTouch) ? 1.0f : 0.0f;
            *ppTouch = c.pSurface;
        }
        gcPlayer::ApplyTouched(this, c, fFirst);
        gcPlayer::SendTouched(this, c);
    }
}
