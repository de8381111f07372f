// gcNPC: what each state does on entering and leaving, and the messages a
// state handles its own way before the common handling sees them.
#include <algorithm>

#include "cCore/cLog.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"

gcNPC::Handled gcNPC::HandleStateMessage(const gcMsg& msg)
{
    if (m_nCurState == STATE_DISABLED)
        return HandleDisabled(msg);
    if (m_nCurState == STATE_FADED) {
        if (msg.nMsgId != MSG_ENTERSTATE)
            return Handled::Refused;
        EnterState();
        return Handled::Taken;
    }
    switch (msg.nMsgId) {
    case MSG_ENTERSTATE: EnterState(); return Handled::Taken;
    case MSG_EXITSTATE: ExitState(); return Handled::Taken;
    default: break;
    }
    switch (m_nCurState) {
    case STATE_STANDING: return msg.nMsgId == MSG_FORCESTAND ? Handled::Refused : Handled::NotMine;
    case STATE_IDLING: return msg.nMsgId == MSG_STAND ? Handled::Refused : Handled::NotMine;
    case STATE_ATTACKING: return HandleAttacking(msg);
    case STATE_PAIN:
        if (msg.nMsgId != MSG_UPDATE)
            return Handled::NotMine;
        UpdatePain();
        return Handled::Taken;
    case STATE_DYING:
    case STATE_DEAD:
        if (msg.nMsgId != MSG_UPDATE)
            return Handled::NotMine;
        GoTo(m_nCurState + 1);
        return Handled::Taken;
    case STATE_FADING:
        if (msg.nMsgId != MSG_DEACTIVATE)
            return Handled::NotMine;
        GoTo(STATE_FADED);
        return Handled::Taken;
    default: return Handled::NotMine;
    }
}

// Out of the world: only activation, suspension and placement reach it.
gcNPC::Handled gcNPC::HandleDisabled(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_ENTERSTATE: Disable(); return Handled::Taken;
    case MSG_ACTIVATE: Resume(kDeactivated, msg); return Handled::Taken;
    case MSG_UNFREEZE: Resume(kFrozen, msg); return Handled::Taken;
    case MSG_DEACTIVATE:
    case MSG_FREEZE:
    case MSG_MOVETOPOINT:
    case MSG_MOVETOPATH:
    case MSG_DETACHFROMPATH: return Handled::NotMine;
    default: return Handled::Refused;
    }
}

// Clearing the last of the two bits enables the NPC again and resumes the
// state it was suspended in, countdown and all, without entering it anew.
void gcNPC::Resume(uint16_t nBit, const gcMsg& msg)
{
    if (!(m_nEntityFlags & nBit))
        return;
    m_nEntityFlags &= static_cast<uint16_t>(~nBit);
    if (m_nEntityFlags & (kDeactivated | kFrozen)) {
        SendAttached(msg);
        return;
    }
    if (!m_pTemplate) {
        cLogError_("gcNPC: \"%s\" cannot be enabled without a non-player character template", m_name.m_sData);
        m_nEntityFlags |= kDeactivated;
        return;
    }
    if (!Enable()) {
        m_nEntityFlags |= kDeactivated;  // Enable logged why
        return;
    }
    if (m_nPrevState >= 0) {
        RequestKeepingCountdown(m_nPrevState);
        m_nGameObjectFlags |= kSkipEnter;
    } else {
        GoTo(STATE_UNKNOWN);
    }
    SendAttached(msg);
}

gcNPC::Handled gcNPC::HandleAttacking(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_TICK: AttackTick(static_cast<const gcMsgTick&>(msg)); return Handled::Taken;
    case MSG_UPDATE:
        // The animation ran out: a queued attack of a branch not cancelled
        // starts through a new enter (the exit keeps the queue).
        if ((m_pNextAttackA && !(m_nCreatureFlags & kBranchACancelled)) ||
            (m_pNextAttackB && !(m_nCreatureFlags & kBranchBCancelled))) {
            m_nCreatureFlags |= kChained;
            RequestState(STATE_ATTACKING, cTimeValue(0));
        } else {
            GoTo(STATE_UNKNOWN);
        }
        return Handled::Taken;
    case MSG_BLOCK:
        if (m_pAttack && (m_pAttack->nFlags & gcCreatureAttack::kBlockable))
            GoTo(STATE_BLOCKING);
        return Handled::Taken;
    default: return Handled::NotMine;
    }
}

void gcNPC::EnterState()
{
    switch (m_nCurState) {
    case STATE_UNKNOWN: {
        const int nNext = GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f ? STATE_STANDING : STATE_DEAD;
        GoTo(nNext);
        m_desiredHPR[0] = CurrentHeading();
        m_desiredHPR[1] = 0.0f;
        m_desiredHPR[2] = 0.0f;
        break;
    }
    case STATE_STANDING: PlayNPCAnimation(m_pTarget ? gcNPCTemplate::ANIM_TGT_STAND : gcNPCTemplate::ANIM_STAND); break;
    case STATE_TGTWALKING:
        PlayNPCAnimation(gcNPCTemplate::ANIM_TGT_F);
        m_fStrafeDir = 0.0f;
        break;
    case STATE_TGTWALKINGBACK:
        PlayNPCAnimation(gcNPCTemplate::ANIM_TGT_B);
        m_fStrafeDir = 180.0f;
        break;
    case STATE_TGTWALKINGLEFT:
        PlayNPCAnimation(gcNPCTemplate::ANIM_TGT_L);
        m_fStrafeDir = 90.0f;
        break;
    case STATE_TGTWALKINGRIGHT:
        PlayNPCAnimation(gcNPCTemplate::ANIM_TGT_R);
        m_fStrafeDir = -90.0f;
        break;
    case STATE_WALKING: PlayNPCAnimation(gcNPCTemplate::ANIM_WALK); break;
    case STATE_RUNNING: PlayNPCAnimation(gcNPCTemplate::ANIM_RUN); break;
    case STATE_ATTACKING: HandleAttackStarted(); break;
    case STATE_RECOILING: m_nextUpdate = PlayNPCAnimation(gcNPCTemplate::ANIM_RECOIL); break;
    case STATE_DYING:
        SetTarget(nullptr);
        m_nextUpdate = PlayNPCAnimationFor(gcNPCTemplate::ANIM_DYING, kDyingTime);
        break;
    case STATE_DEAD:
        PlayNPCAnimation(gcNPCTemplate::ANIM_DEAD);
        if (!(m_nEntityFlags & kKeptAfterDeath))
            GoTo(STATE_FADING);
        break;
    case STATE_FADING: FadeOut(kFadeTime); break;
    case STATE_FADED:
        SendAttached(gcMsgDeactivate());
        m_nEntityFlags |= kDeactivated;
        Disable();
        break;
    default: break;
    }
}

void gcNPC::ExitState()
{
    switch (m_nCurState) {
    case STATE_ATTACKING: HandleAttackEnded(); break;
    case STATE_DODGING: m_creatureTimeSince[TIMESINCE_DODGE] = cTimeValue(0); break;
    case STATE_BLOCKING: m_creatureTimeSince[TIMESINCE_BLOCK] = cTimeValue(0); break;
    default: break;
    }
}

// A stun lasts its length however often the stunned animation has to be
// played again.
void gcNPC::UpdatePain()
{
    const cTimeValue since = m_creatureTimeSince[TIMESINCE_STUNNED];
    if (since >= m_stunLength) {
        m_stunLength = cTimeValue(0);
        GoTo(STATE_UNKNOWN);
        return;
    }
    const cTimeValue play = PlayNPCAnimation(gcNPCTemplate::ANIM_STUNNED);
    const cTimeValue left = m_stunLength - since;
    RequestState(STATE_PAIN, std::max(play, left));
}
