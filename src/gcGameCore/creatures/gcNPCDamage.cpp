// gcNPC: taking damage. Teams, invulnerability, dodging and blocking
// decide whether a hit lands; resistance rolls, enragement and the
// damage-taken script shape the reaction; health and death follow.
#include <algorithm>
#include <cmath>

#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"
#include "mMath/mRand.h"

namespace {

using D = gcMsgDealDamage;
using T = gcNPCTemplate;

// Reactions that play even when the damage-taken script cancels the damage.
bool IsLastingReaction(int nAnim)
{
    return nAnim == T::ANIM_BLINDED || nAnim == T::ANIM_STUNNED || nAnim == T::ANIM_ENRAGED;
}

// Damage that is not a number, from a file or a script, is no damage: it
// would leave Health not a number, dying without a death.
float NumberOrNone(float fAmount)
{
    return std::isnan(fAmount) ? 0.0f : fAmount;
}

}  // namespace

void gcNPC::OnTakeDamage(const gcMsgDealDamage& msg)
{
    if (msg.pFrom && msg.pFrom->m_team * m_team >= 0) {
        msg.fAmount = 0.0f;
        return;
    }
    if ((m_nEntityFlags & kInvulnerable) || (m_pAttack && (m_pAttack->nFlags & gcCreatureAttack::kInvulnerable))) {
        msg.fAmount = 0.0f;
        return;
    }
    gcEventParams params;
    GetEventParams(&params);
    params.pParticipant1 = msg.pFrom;
    const bool bForced = (msg.nFlags & D::kForced) != 0;
    if (IsDodging() && !bForced) {
        msg.fAmount = 0.0f;
        return;
    }
    float fAmount = NumberOrNone(msg.fAmount);
    int nReaction = T::ANIM_HIT_BLOCK;
    cTimeValue reactionTime(0);
    if (IsBlocking() && !bForced) {
        msg.bBlocked = true;
        fAmount = 0.0f;
        if (msg.pFrom)
            msg.pFrom->Send(gcMsg(MSG_BLOCKED, this));
    } else {
        const float* fValues = m_pTemplate ? m_pTemplate->fCreatureValues : nullptr;
        const float fBlindResist = fValues ? fValues[gcCreatureTemplate::VAL_RESISTANCE_BLIND] : 0.0f;
        const float fStunResist = fValues ? fValues[gcCreatureTemplate::VAL_RESISTANCE_STUN] : 0.0f;
        nReaction = T::ANIM_HIT + static_cast<int>(msg.dir);
        if ((msg.nFlags & D::kBlinding) && mRand() > fBlindResist) {
            nReaction = T::ANIM_BLINDED;
            reactionTime = msg.duration;
        } else if ((msg.nFlags & D::kStunning) && (bForced || (!IsStunned() && mRand() > fStunResist))) {
            nReaction = T::ANIM_STUNNED;
            reactionTime = msg.duration;
            m_stunLength = msg.duration;
            m_creatureTimeSince[TIMESINCE_STUNNED] = cTimeValue(0);
        } else if ((msg.nFlags & D::kHardHit) && msg.dir != D::DD_NONE) {
            nReaction = T::ANIM_HIT_HARD;
        } else if ((msg.nFlags & D::kBlinding) && !(m_nCreatureFlags & kEnraged)) {
            m_nCreatureFlags |= kEnraged;
            nReaction = T::ANIM_ENRAGED;
            gcEventStackData frame(fAmount, 0.0f);
            RaiseEvent(gcMsgEvent::ID_ONENRAGED, m_pTemplate ? &m_pTemplate->onEnraged : nullptr, params, frame);
        }
        gcEventStackData frame(fAmount, 0.0f);
        RaiseEvent(gcMsgEvent::ID_ONDAMAGETAKEN, m_pTemplate ? &m_pTemplate->onDamageTaken : nullptr, params, frame);
        fAmount = NumberOrNone(frame.fInValues[0]);
        if (fAmount <= 0.0f && !IsLastingReaction(nReaction))
            nReaction = -1;
        ApplyHealthLoss(fAmount, params);
    }
    msg.fAmount = fAmount;
    if (nReaction < 0)
        return;
    if (GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f) {
        const cTimeValue play = PlayNPCAnimationFor(nReaction, kPainTime);
        RequestState(STATE_PAIN, reactionTime.m_nTicks > 0 ? reactionTime : play);
    } else {
        GoTo(STATE_DYING);
    }
}

// Health stays within 0 and its maximum; reaching 0 raises the death
// events, the template's (or the state machine's) and then the NPC's own.
void gcNPC::ApplyHealthLoss(float fAmount, const gcEventParams& params)
{
    const float fMax = std::max(m_fEntityStatsMax[gcEntityTemplate::STAT_HEALTH], 0.0f);
    const float fHealth = std::clamp(GetStat(gcEntityTemplate::STAT_HEALTH) - fAmount, 0.0f, fMax);
    SetStat(gcEntityTemplate::STAT_HEALTH, fHealth);
    if (fHealth <= 0.0f) {
        gcEventStackData frame;
        RaiseEvent(gcMsgEvent::ID_ONDEATH, m_pTemplate ? &m_pTemplate->onDeath : nullptr, params, frame);
        onDeath.Apply(params, gcEventStackData());
    }
    m_entityTimeSince[TIMESINCE_TOOKDAMAGE] = cTimeValue(0);
}
