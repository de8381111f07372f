// gcPlayerBiped: taking damage by the player's rules. Unlike a non-player
// character, a neutral attacker hurts, a dodge protects for a while after it
// ends (even against forced hits), and a biped in the air cannot block.
#include <algorithm>
#include <cmath>

#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/script/gcEventStackData.h"
#include "mMath/mRand.h"

namespace {

using T = gcPlayerBipedTemplate;
using D = gcMsgDealDamage;

}  // namespace

bool gcPlayerBiped::OnTakeDamage(const gcMsgDealDamage& m)
{
    if (m.dir < D::DD_NONE || m.dir >= D::MAX_DAMAGEDIR)
        return false;  // no reaction to pick; refused
    const gcPlayerBipedTemplate* pTemplate = m_pTemplate;
    // Only a product of 1 (both friendly or both unfriendly) protects.
    const bool bSameSide = m.pFrom && m.pFrom->m_team * m_team == 1;
    const bool bInvulnerable = (m_nEntityFlags & kInvulnerable) ||
                               (m_pAttack && (m_pAttack->nFlags & gcCreatureAttack::kInvulnerable));
    const bool bDodged = IsDodging() || m_creatureTimeSince[TIMESINCE_DODGE] < cTimeValue(kDodgeImmuneTicks);
    if (bSameSide || bInvulnerable || bDodged) {
        m.fAmount = 0.0f;
        return true;
    }
    int nReaction = T::ANIM_HIT + static_cast<int>(m.dir);
    cTimeValue reactionTime;
    if (IsJumping() || (m_nFlags & kGroundFlags)) {
        nReaction = T::ANIM_HIT_INAIR;
    } else if (IsBlocking() && !(m.nFlags & (D::kHardHit | D::kForced))) {
        m.bBlocked = true;
        m.fAmount = 0.0f;
        if (m.pFrom)
            m.pFrom->Send(gcMsgPlain<MSG_BLOCKED>());
        nReaction = T::ANIM_HIT_BLOCK;
    } else {
        m_stunLength = cTimeValue(0);
        const float fBlind = pTemplate ? pTemplate->fCreatureValues[gcCreatureTemplate::VAL_RESISTANCE_BLIND] : 0.0f;
        const float fStun = pTemplate ? pTemplate->fCreatureValues[gcCreatureTemplate::VAL_RESISTANCE_STUN] : 0.0f;
        if ((m.nFlags & D::kBlinding) && mRand() > fBlind) {
            nReaction = T::ANIM_BLINDED;
            reactionTime = m.duration;
        } else if ((m.nFlags & D::kStunning) && ((m.nFlags & D::kForced) || mRand() > fStun)) {
            nReaction = T::ANIM_STUNNED;
            reactionTime = m.duration;
            m_stunLength = m.duration;
            m_creatureTimeSince[TIMESINCE_STUNNED] = cTimeValue(0);
        } else if ((m.nFlags & D::kHardHit) && m.dir != D::DD_NONE) {
            nReaction = T::ANIM_HIT_HARD;
        } else if ((m.nFlags & D::kBlinding) && !(m_nCreatureFlags & kEnraged)) {
            m_nCreatureFlags |= kEnraged;
            nReaction = T::ANIM_ENRAGED;
            gcEventParams params;
            GetEventParams(&params);
            params.pParticipant1 = m.pFrom;
            gcEventStackData frame(m.fAmount, 0.0f);
            RaiseEvent(gcMsgEvent::ID_ONENRAGED, pTemplate ? &pTemplate->onEnraged : nullptr, params, frame);
        }
    }
    bool bKept = nReaction == T::ANIM_HIT_BLOCK;
    if (!m.bBlocked) {
        m.fAmount = ApplyDamage(m.fAmount, m.pFrom);
        bKept = m.fAmount > 0.0f || nReaction == T::ANIM_BLINDED || nReaction == T::ANIM_STUNNED;
    }
    if (!bKept)
        return true;
    if (GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f) {
        const cTimeValue length = Play(nReaction);
        RequestState(ST_PAIN, reactionTime.m_nTicks > 0 ? reactionTime : length);
    } else {
        To(ST_DYING);
    }
    return true;
}

float gcPlayerBiped::ApplyDamage(float fAmount, gcEntity* pAttacker)
{
    const gcEntityTemplate* pTemplate = GetTemplate();
    gcEventParams params;
    GetEventParams(&params);
    params.pParticipant1 = pAttacker;
    gcEventStackData frame(std::isnan(fAmount) ? 0.0f : fAmount, 0.0f);
    RaiseEvent(gcMsgEvent::ID_ONDAMAGETAKEN, pTemplate ? &pTemplate->onDamageTaken : nullptr, params, frame);
    // Damage that is not a number, from a file or a script, is no damage:
    // it would leave Health not a number, dying without a death.
    const float fTaken = std::isnan(frame.fInValues[0]) ? 0.0f : frame.fInValues[0];
    float fHealth = GetStat(gcEntityTemplate::STAT_HEALTH) - fTaken;
    if (gcEntityTemplate::StatHasMax(gcEntityTemplate::STAT_HEALTH))
        fHealth = std::clamp(fHealth, 0.0f, m_fEntityStatsMax[gcEntityTemplate::STAT_HEALTH]);
    SetStat(gcEntityTemplate::STAT_HEALTH, fHealth);
    if (fHealth <= 0.0f) {
        gcEventStackData deathFrame;
        RaiseEvent(gcMsgEvent::ID_ONDEATH, pTemplate ? &pTemplate->onDeath : nullptr, params, deathFrame);
        onDeath.Apply(params, gcEventStackData());
    }
    m_entityTimeSince[TIMESINCE_TOOKDAMAGE] = cTimeValue(0);
    return fTaken;
}
