// gcPlayerFlying: the movement step. The distance covered is the root motion
// of the gear's animation, turned to the heading, pitch and roll and pushed
// through the world's collider as a sphere: no gravity and no ground.
// Surfaces whose touch event answers non-zero turn it along them; flying
// head-on into anything else knocks it back.
#include <algorithm>
#include <cmath>

#include "cCore/cLog.h"
#include "eEngine/eColliderEllipse.h"
#include "eEngine/eZone.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"
#include "mMath/mQuat.h"
#include "mMath/mScalar.h"

namespace {

constexpr float kTol = eColliderEllipse::fColZeroTol;

}  // namespace

void gcPlayerFlying::Move(cTimeValue step)
{
    if (step.m_nTicks > 0) {
        mOCS frame = m_model.m_localToParent;
        const mVec3 p0 = frame.origin;
        if (m_nCurState <= ST_FLYING)
            HandleAccel(step);
        mVec3 d;
        mQuat q;
        m_model.CalcNodeDelta(step, 0, &d, &q);
        mVec3 hpr;
        HandleHPRChange(d.Length(), &hpr, -1.0f);
        frame.basis.SetHPR(hpr.x, hpr.y, hpr.z);
        mVec3 u;
        u.Xform(d, frame.basis);
        const float fDist = u.Normalize();
        if (m_pTemplate && m_pTemplate->nCollisionMask) {
            Unembed(&frame);
            Collide(u, fDist, false, &frame);
        } else {
            frame.origin.AddScaled(frame.origin, u, fDist);
        }
        m_velocity = (frame.origin - p0) * (1.0f / static_cast<float>(step.m_nTicks));
        gcPlayer::PlaceMoved(this, frame, p0);
    }
    // There is no safe placement to fly back to: outside every zone the
    // player stays frozen (its tick no longer runs, so this is said once).
    if (!gcPlayer::UpdateInWorld(this, step))
        cLogWarn_("gcPlayerFlying: \"%s\" left every zone and stays frozen", m_name.m_sData);
}

bool gcPlayerFlying::SetUpCollider(eColliderEllipse* pCollider, const mOCS& frame, const mVec3& dir,
                                   float fDist) const
{
    // A sphere of the mesh's largest collider radius.
    const mVec3 size = GetColliderSize();
    const float r = std::max({size.x, size.y, size.z});
    return gcPlayer::SetUpCollider(*this, frame, dir, fDist, mVec3(r, r, r),
                                   m_pTemplate ? m_pTemplate->nCollisionMask : 0, pCollider);
}

void gcPlayerFlying::Collide(const mVec3& dir, float fDist, bool, mOCS* pFrame)
{
    if (fDist == 0.0f)
        return;
    eColliderEllipse collider;
    if (!SetUpCollider(&collider, *pFrame, dir, fDist))
        return;
    for (int i = 0; i < gcPlayer::kMaxCollideRounds && collider.m_fNonScaledMoveDist > kTol; ++i) {
        eZone::CollideAll(&collider);
        const bool bGlided = HandleContacts(collider, dir, true);
        // What the first round meets may still be slid along.
        if (!bGlided && i > 0)
            HandleKnockback(collider, dir);
        eZone::CollideSlide(&collider);
    }
    gcPlayer::TakeColliderPosition(*this, collider, pFrame);
}

void gcPlayerFlying::Unembed(mOCS* pFrame)
{
    eColliderEllipse collider;
    const mVec3 none(0.0f, 0.0f, 0.0f);
    if (!SetUpCollider(&collider, *pFrame, none, 0.0f))
        return;
    for (int i = 0; i < gcPlayer::kMaxUnembedRounds; ++i) {
        eZone::CollideEmbed(&collider);
        HandleContacts(collider, none, false);
        if (!collider.m_bEmbedded)
            break;
        eZone::CollisionCullAll(collider);
        for (int k = 0; k < gcPlayer::kMaxUnembedSlides && std::fabs(collider.m_fNonScaledMoveDist) > kTol; ++k) {
            eZone::CollideAll(&collider);
            eZone::CollideSlide(&collider);
        }
        collider.ClearContacts(eColliderEllipse::CT_SAVED);
    }
    gcPlayer::TakeColliderPosition(*this, collider, pFrame);
}

bool gcPlayerFlying::HandleContacts(const eColliderEllipse& collider, const mVec3& dir, bool bGlide)
{
    bool bGlided = false;
    gcPlayer::Contact c;
    for (int n = 0; gcPlayer::GetContact(collider, n, &c); ++n) {
        const float fAnswer = gcPlayer::ApplyTouched(this, c, 0.0f);
        if (bGlide && fAnswer != 0.0f) {
            mVec3 normal;
            normal.XformInv(c.world.triNormal, m_model.m_pZone->m_localToWorld.basis);
            // Only a surface the move enters turns the player.
            if (dir.Dot(normal) < 0.0f) {
                Glide(normal);
                bGlided = true;
            }
        }
        gcPlayer::SendTouched(this, c);
    }
    return bGlided;
}

void gcPlayerFlying::Glide(const mVec3& n)
{
    mBasis desired;
    desired.SetHP(m_desiredHPR[0], m_desiredHPR[1]);
    // The part of the desired forward direction that lies in the surface.
    mVec3 across, v;
    across.Cross(desired.forward, n);
    v.Cross(n, across);
    m_desiredHPR[0] = GetHeading(v);
    m_desiredHPR[1] = kRadToDeg * mAsin(std::clamp(v.z, -1.0f, 1.0f));
}

void gcPlayerFlying::HandleKnockback(const eColliderEllipse& collider, const mVec3& dir)
{
    // The states above HitFront (the high animations, dying and dead) are
    // not interrupted by a wall.
    if (m_nCurState >= ST_HIT_FRONT)
        return;
    const int nContacts = std::min(collider.m_nContacts[eColliderEllipse::CT_NORMAL], eColliderEllipse::kMaxContacts);
    for (int i = 0; i < nContacts; ++i) {
        eCollisionContact contact;
        collider.GetWorldContact(eColliderEllipse::CT_NORMAL, i, &contact);
        mVec3 normal;
        normal.XformInv(contact.normal, m_model.m_pZone->m_localToWorld.basis);
        if (-dir.Dot(normal) > kKnockbackCos) {
            To(ST_HIT_FRONT);
            return;
        }
    }
}
