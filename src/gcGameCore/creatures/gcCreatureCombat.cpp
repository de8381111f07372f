// gcCreature: running attacks and sweeping their helper points.
#include "gcGameCore/creatures/gcCreature.h"

#include <algorithm>
#include <cmath>

#include "cCore/cLog.h"
#include "eEngine/eColliderEllipse.h"
#include "eEngine/eZone.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/script/gcMsg.h"

bool gcCreature::Attack(int index, bool bChain, int nBranch)
{
    if (index < 0 || index >= gcCreatureTemplate::kMaxAttacks) {
        cLogWarn_("gcCreature: \"%s\" was told to attack with attack %d, outside 0-%d", m_name.m_sData, index,
                  gcCreatureTemplate::kMaxAttacks - 1);
        return m_pAttack != nullptr;
    }
    const gcCreatureTemplate* pTemplate = GetCreatureTemplate();
    gcCreatureAttack* pAttack = pTemplate ? pTemplate->GetAttack(index) : nullptr;
    if (bChain)
        (nBranch != 0 ? m_pNextAttackB : m_pNextAttackA) = pAttack;
    else if (!m_pAttack)
        m_pAttack = pAttack;
    return m_pAttack != nullptr;
}

void gcCreature::HandleAttackStarted()
{
    if (m_pNextAttackA || m_pNextAttackB) {
        m_pAttack = m_pNextAttackA ? m_pNextAttackA : m_pNextAttackB;
        m_pNextAttackA = nullptr;
        m_pNextAttackB = nullptr;
    }
    if (!m_pAttack)
        return;
    m_nextUpdate = PlayAnimation(&m_pAttack->animationConfig);
    m_desiredHPR[0] = GetHeading(m_model.m_localToParent.basis.forward);
    m_desiredHPR[1] = 0.0f;
    m_desiredHPR[2] = 0.0f;
    if (m_pAttack->nFlags & gcCreatureAttack::kThrow)
        m_creatureTimeSince[TIMESINCE_THROW] = cTimeValue(0);
}

void gcCreature::HandleAttackEnded()
{
    m_pAttack = nullptr;
    if ((m_nCreatureFlags & kBranchACancelled) || !(m_nCreatureFlags & kChained))
        m_pNextAttackA = nullptr;
    if ((m_nCreatureFlags & kBranchBCancelled) || !(m_nCreatureFlags & kChained))
        m_pNextAttackB = nullptr;
    m_pLastHit = nullptr;
    m_nCreatureFlags &= static_cast<uint16_t>(~(kBranchACancelled | kBranchBCancelled | kChained));
    m_creatureTimeSince[TIMESINCE_ATTACK] = cTimeValue(0);
}

bool gcCreature::GetAttackHelperPos(int i, mVec3* pPos) const
{
    if (!m_pAttack || i < 0 || i >= gcCreatureAttack::kNumHelpers || m_pAttack->nHelperId[i] < 0)
        return false;
    const mOCS* pFrame = m_model.GetSubObjectToZone(m_pAttack->nHelperId[i]);
    if (!pFrame)
        return false;
    *pPos = pFrame->origin;
    return true;
}

void gcCreature::UpdateAttack(const mVec3* pPrevPos)
{
    const int state = m_model.m_nCurAnimationState;
    if (!m_pAttack || state < 0 || state >= eModel::kNumAnimationStates)
        return;
    if (!m_pAttack->InDamageWindow(m_model.m_animationStates[state].timeElapsed))
        return;
    for (int i = 0; i < gcCreatureAttack::kNumHelpers && m_pAttack; ++i) {
        mVec3 pos;
        if (GetAttackHelperPos(i, &pos))
            QueryAttackCollisions(pPrevPos[i], pos, m_pAttack->fRadius[i]);
    }
}

void gcCreature::QueryAttackCollisions(const mVec3& from, const mVec3& to, float fRadius)
{
    const eZone* pZone = gcEntityWorld::GetRegionZone(m_nRegionId);
    if (!m_pAttack || !pZone)
        return;
    mVec3 worldFrom, worldTo;
    worldFrom.Xform(from, pZone->m_localToWorld);
    worldTo.Xform(to, pZone->m_localToWorld);
    mVec3 dir = worldTo - worldFrom;
    const float fDist = dir.Normalize();
    // The collider is large: the contacts are copied out and it is dropped
    // before any script runs.
    int nContacts = 0;
    eCollisionContact contacts[eColliderEllipse::kMaxContacts];
    {
        eColliderEllipse collider;
        collider.AddIgnore(&m_model, true);
        collider.Set(worldFrom, fDist, dir, mVec3(fRadius, fRadius, fRadius));
        collider.m_nCollisionMask = m_pAttack->nCollisionMask;
        for (int t = 0; t < eColliderEllipse::CT_MAXTYPES; ++t)
            collider.ClearContacts(static_cast<eColliderEllipse::eContactType>(t));
        eZone::CollisionCullAll(collider);
        eZone::CollideAll(&collider);
        nContacts = std::min(collider.m_nContacts[eColliderEllipse::CT_NORMAL], eColliderEllipse::kMaxContacts);
        for (int i = 0; i < nContacts; ++i)
            collider.GetWorldContact(eColliderEllipse::CT_NORMAL, i, &contacts[i]);
    }
    for (int i = 0; i < nContacts && m_pAttack; ++i) {
        const eGeom* pGeom = dcast<eGeom>(contacts[i].pContactObject);
        gcGameObject* pHit = pGeom ? dcast<gcGameObject>(pGeom->m_pOwner) : nullptr;
        if (!pHit || pHit == m_pLastHit)
            continue;
        m_pLastHit = pHit;
        DealDamage(contacts[i], pHit, dir);
    }
}

float gcCreature::RaiseEvent(int32_t nEventId, const gcEvent* pTemplateEvent, const gcEventParams& params,
                             gcEventStackData& frame)
{
    if (HasStateMachine())
        m_stateInfo.Send(gcMsgEvent(static_cast<gcMsgEvent::gcEventId>(nEventId)), params, frame);
    else if (pTemplateEvent)
        pTemplateEvent->Apply(params, frame);
    return frame.fRetVal;
}

namespace {

uint32_t DamageFlags(uint32_t nAttackFlags)
{
    uint32_t n = 0;
    if (nAttackFlags & gcCreatureAttack::kHardHit)
        n |= gcMsgDealDamage::kHardHit;
    if (nAttackFlags & gcCreatureAttack::kBlinding)
        n |= gcMsgDealDamage::kBlinding;
    if (nAttackFlags & gcCreatureAttack::kStunning)
        n |= gcMsgDealDamage::kStunning;
    if (nAttackFlags & gcCreatureAttack::kForced)
        n |= gcMsgDealDamage::kForced;
    return n;
}

// The attack's effect, or the template's when the attack names none.
gcEffectTemplateHandle EffectOf(gcEffectTemplateHandle hAttack, gcEffectTemplateHandle hTemplate)
{
    return hAttack.m_nValue != 0 ? hAttack : hTemplate;
}

}  // namespace

void gcCreature::DealDamage(const eCollisionContact& contact, gcGameObject* pHit, const mVec3& dir)
{
    const gcCreatureAttack& attack = *m_pAttack;
    const gcCreatureTemplate* pTemplate = GetCreatureTemplate();
    gcEventParams params;
    GetEventParams(&params);
    params.pParticipant1 = pHit;
    gcEventStackData damageFrame(attack.fDamage, 0.0f);
    const float fDamage =
        RaiseEvent(gcMsgEvent::ID_CALCDAMAGE, pTemplate ? &pTemplate->calcDamage : nullptr, params, damageFrame);
    const float fSeconds = attack.calcDuration.Apply(params, gcEventStackData(fDamage, 0.0f));
    gcEntity* pHitEntity = dcast<gcEntity>(pHit);
    const gcMsgDealDamage msg(this, DamageFlags(attack.nFlags), fDamage,
                              DetermineHitDir(contact.position, pHitEntity, dir),
                              cTimeValue::FromSeconds(fSeconds));
    pHit->Send(msg);
    mOCS where;
    where.MakeIdentity();
    where.origin = contact.position;
    gcEffectTemplateHandle hEffect;
    if (msg.fAmount > 0.0f)
        hEffect = EffectOf(attack.hAttackHitEffect, pTemplate ? pTemplate->hAttackHitEffect : hEffect);
    else if (msg.bBlocked)
        hEffect = EffectOf(attack.hAttackBlockedEffect, pTemplate ? pTemplate->hAttackBlockedEffect : hEffect);
    if (gcEffect* pEffect = hEffect.m_nValue != 0 ? gcEffectTemplate::GetInstance(hEffect) : nullptr)
        pEffect->SpawnAt(where, this);
    params.pLocalToWorld = &where;
    attack.onAttackHit.Apply(params, gcEventStackData(msg.fAmount, 0.0f));
    // Only the game's own surfaces carry events; engine surfaces have none.
    if (const gcSurface* pSurface = dcast<gcSurface>(contact.pSurface))
        pSurface->onAttacked.Apply(params, gcEventStackData());
}
