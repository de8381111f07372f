// gcPlayer: what the player classes share: the collider set-up and its end,
// the reporting of contacts, suspending and enabling, and a tick's scripts.
#include <algorithm>

#include "eEngine/eColliderEllipse.h"
#include "eEngine/eShadow.h"
#include "eEngine/eZone.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/script/gcAnimationConfig.h"
#include "gcGameCore/script/gcEventStackData.h"

bool gcPlayer::SetUpCollider(const gcEntity& player, const mOCS& frame, const mVec3& dir, float fDist,
                             const mVec3& radii, uint32_t nMask, eColliderEllipse* pCollider)
{
    const eZone* pZone = player.m_model.m_pZone;
    if (!pZone)
        return false;
    eColliderEllipse& c = *pCollider;
    for (int t = 0; t < eColliderEllipse::CT_MAXTYPES; ++t)
        c.ClearContacts(static_cast<eColliderEllipse::eContactType>(t));
    c.AddIgnore(&player.m_model, true);
    mVec3 position;
    position.Xform(frame.origin, pZone->m_localToWorld);
    mVec3 worldDir;
    worldDir.Xform(dir, pZone->m_localToWorld.basis);
    c.Set(position, fDist, worldDir, radii);
    c.m_nCollisionMask = nMask;
    eZone::CollisionCullAll(c);
    return true;
}

void gcPlayer::TakeColliderPosition(const gcEntity& player, const eColliderEllipse& collider, mOCS* pFrame)
{
    mVec3 reached;
    reached.XformInv(collider.m_nonScaledPosition, player.m_model.m_pZone->m_localToWorld);
    if (reached.Dist(pFrame->origin) > eColliderEllipse::fColZeroTol)
        pFrame->origin = reached;
}

bool gcPlayer::GetContact(const eColliderEllipse& collider, int n, Contact* pOut)
{
    static constexpr eColliderEllipse::eContactType kOrder[] = {
        eColliderEllipse::CT_NORMAL, eColliderEllipse::CT_TOUCH, eColliderEllipse::CT_EMBED};
    for (eColliderEllipse::eContactType t : kOrder) {
        const int nCount = std::min(collider.m_nContacts[t], eColliderEllipse::kMaxContacts);
        if (n >= nCount) {
            n -= nCount;
            continue;
        }
        collider.GetWorldContact(t, n, &pOut->world);
        const eGeom* pGeom = dcast<eGeom>(pOut->world.pContactObject);
        pOut->pTouched = pGeom ? dcast<gcGameObject>(pGeom->m_pOwner) : nullptr;
        // Only the game's own surfaces carry touch events.
        pOut->pSurface = dcast<gcSurface>(pOut->world.pSurface);
        pOut->where.origin = pOut->world.position;
        pOut->where.basis.SetDir(pOut->world.normal);
        return true;
    }
    return false;
}

float gcPlayer::ApplyTouched(gcEntity* pPlayer, const Contact& contact, float fParam1)
{
    if (!contact.pSurface)
        return 0.0f;
    gcEventParams params;
    pPlayer->GetEventParams(&params);
    params.pParticipant1 = contact.pTouched;
    params.pLocalToWorld = &contact.where;
    return contact.pSurface->onTouched.Apply(params, gcEventStackData(fParam1, 0.0f));
}

void gcPlayer::SendTouched(gcEntity* pPlayer, const Contact& contact)
{
    if (!contact.pTouched)
        return;
    gcMsgTouched msg(contact.where);
    msg.pFrom = pPlayer;
    contact.pTouched->Send(msg);
}

bool gcPlayer::Suspend(gcCreature* pPlayer, const gcMsg& msg, int nDisabledState)
{
    const uint16_t bit = msg.nMsgId == MSG_DEACTIVATE ? gcEntity::kDeactivated : gcEntity::kFrozen;
    if (pPlayer->m_nEntityFlags & bit)
        return false;
    pPlayer->SetTarget(nullptr);
    pPlayer->m_nEntityFlags |= bit;
    pPlayer->SendAttached(msg);
    if (pPlayer->m_nCurState != nDisabledState) {
        // Into the disabled state without leaving the current one, keeping
        // its countdown, so that enabling resumes it.
        pPlayer->RequestState(nDisabledState, pPlayer->m_nextUpdate);
        pPlayer->m_nGameObjectFlags |= gcGameObject::kSkipExit;
    }
    return true;
}

void gcPlayer::Resume(gcCreature* pPlayer, const gcMsg& msg, bool bRunnable)
{
    const uint16_t bit = msg.nMsgId == MSG_ACTIVATE ? gcEntity::kDeactivated : gcEntity::kFrozen;
    gcCreature& p = *pPlayer;
    if (!(p.m_nEntityFlags & bit))
        return;
    p.m_nEntityFlags &= static_cast<uint16_t>(~bit);
    if (!(p.m_nEntityFlags & (gcEntity::kDeactivated | gcEntity::kFrozen))) {
        // A player that cannot run (no template) stays disabled.
        if (!bRunnable || !p.Enable()) {
            p.m_nEntityFlags |= gcEntity::kDeactivated;
            return;
        }
        if (p.m_nPrevState >= 0) {
            if (p.m_nPrevState != p.m_nCurState) {
                p.RequestState(p.m_nPrevState, p.m_nextUpdate);
                p.m_nGameObjectFlags |= gcGameObject::kSkipEnter;
            }
        } else if (p.m_nCurState != 0) {
            p.RequestState(0, cTimeValue(0));
        }
    }
    p.SendAttached(msg);
}

void gcPlayer::PlaceMoved(gcEntity* pPlayer, const mOCS& frame, const mVec3& p0)
{
    eModel& model = pPlayer->m_model;
    model.m_localToParent = frame;
    model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    if (model.m_nGeomFlags & eGeom::kDirty)
        model.UpdateLocalToZone();
    pPlayer->QueryTriggers(p0, frame.origin, 0);
    pPlayer->UpdatePathPos();
}

bool gcPlayer::UpdateInWorld(gcEntity* pPlayer, cTimeValue step)
{
    if (!pPlayer->IsActive())
        return true;
    pPlayer->UpdateModel(step);
    if (pPlayer->m_pShadow)
        pPlayer->m_pShadow->Update(step);
    return pPlayer->UpdateRegionId();
}

bool gcPlayer::PlayByPriority(gcCreature* pPlayer, const gcMsg& msg, const int8_t (&states)[4])
{
    static_assert(gcMsgPlayAnimation::MAX_PRIORITIES == 4);
    const auto& m = static_cast<const gcMsgPlayAnimation&>(msg);
    // A priority outside the table names no state.
    if (m.priority < 0 || m.priority >= gcMsgPlayAnimation::MAX_PRIORITIES || pPlayer->m_nCurState > states[m.priority])
        return false;
    pPlayer->RequestState(states[m.priority], pPlayer->PlayAnimation(m.pAnimationConfig));
    return true;
}

bool gcPlayer::FaceDir(gcEntity* pPlayer, const gcMsg& msg)
{
    const auto& face = static_cast<const gcMsgFaceDir&>(msg);
    if (!face.IsFinite())
        return false;
    pPlayer->m_desiredHPR[0] = face.hpr.x;
    pPlayer->m_desiredHPR[1] = face.hpr.y;
    pPlayer->m_desiredHPR[2] = face.hpr.z;
    return true;
}

void gcPlayer::RunTickScripts(gcEntity* pPlayer, const gcMsgTick& msg)
{
    gcEntity& p = *pPlayer;
    gcEventParams params;
    p.GetEventParams(&params);
    if (p.HasStateMachine())
        p.m_stateInfo.Send(msg, params, gcEventStackData());
    else if (const gcEntityTemplate* pTemplate = p.GetTemplate())
        pTemplate->onUpdate.Apply(params, gcEventStackData());
    // The first tick after an animation started skips OnUpdated.
    if (!(p.m_nEntityFlags & gcEntity::kAnimConfigStarted) && p.m_pAnimationConfig)
        p.m_pAnimationConfig->onUpdated.Apply(params, gcEventStackData());
    else
        p.m_nEntityFlags &= static_cast<uint16_t>(~gcEntity::kAnimConfigStarted);
    p.HandleTextureBlend();
}
