// gcDevice: what each state does on entering, the messages a state handles
// its own way, and suspension and resumption.
#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/entities/gcDeviceTemplate.h"

// True when the state decided on the message (*pTaken says how); false to
// leave it to the shared handling of states 0 to 10.
bool gcDevice::HandleStateMessage(const gcMsg& msg, bool* pTaken)
{
    *pTaken = true;
    switch (m_nCurState) {
    case STATE_SUSPENDED: *pTaken = HandleSuspended(msg); return true;
    case STATE_GONE:
        // Gone for good: only the entry into the state is carried out.
        *pTaken = msg.nMsgId == MSG_ENTERSTATE;
        if (*pTaken)
            EnterState();
        return true;
    default: break;
    }
    switch (msg.nMsgId) {
    case MSG_ENTERSTATE:
        EnterState();
        return true;
    case MSG_EXITSTATE: *pTaken = false; return true;
    case MSG_UPDATE:
        if (m_nCurState != STATE_DYING && m_nCurState != STATE_DEAD)
            return false;
        GoTo(m_nCurState + 1);
        return true;
    case MSG_DEACTIVATE:
        if (m_nCurState != STATE_FADING)
            return false;
        GoTo(STATE_GONE);  // deactivation ends the fade
        return true;
    default: return false;
    }
}

// Out of the world: only activation, suspension and placement reach it.
bool gcDevice::HandleSuspended(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_ENTERSTATE: Disable(); return true;
    case MSG_ACTIVATE: Resume(kDeactivated, msg); return true;
    case MSG_UNFREEZE: Resume(kFrozen, msg); return true;
    case MSG_DEACTIVATE:
    case MSG_FREEZE: {
        const uint16_t nBit = msg.nMsgId == MSG_DEACTIVATE ? kDeactivated : kFrozen;
        if (!(m_nEntityFlags & nBit)) {
            m_nEntityFlags |= nBit;
            SendAttached(msg);
        }
        return true;
    }
    case MSG_MOVETOPOINT:
    case MSG_MOVETOPATH:
    case MSG_DETACHFROMPATH: return HandlePathMessage(msg);
    default: return false;
    }
}

// Clearing the last of the two bits enables the device again and resumes
// the state it was suspended in, countdown and all, without entering it
// anew.
void gcDevice::Resume(uint16_t nBit, const gcMsg& msg)
{
    if (!(m_nEntityFlags & nBit))
        return;
    m_nEntityFlags &= static_cast<uint16_t>(~nBit);
    if (m_nEntityFlags & (kDeactivated | kFrozen)) {
        SendAttached(msg);
        return;
    }
    if (!Enable()) {
        m_nEntityFlags |= kDeactivated;  // Enable logged why
        return;
    }
    if (m_nPrevState >= 0) {
        if (m_nPrevState != m_nCurState) {
            RequestState(m_nPrevState, m_nextUpdate);
            m_nGameObjectFlags |= kSkipEnter;
        }
    } else {
        GoTo(STATE_START);
    }
    SendAttached(msg);
}

void gcDevice::OnUnknownEnterState()
{
    GoTo(GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f ? STATE_ALIVE : STATE_DYING);
    m_model.m_localToParent.basis.GetHPR(&m_desiredHPR[0], &m_desiredHPR[1], &m_desiredHPR[2]);
}

void gcDevice::EnterState()
{
    switch (m_nCurState) {
    case STATE_START: OnUnknownEnterState(); break;
    case STATE_DYING: m_nextUpdate = PlayDeviceAnimation(ANIM_DYING); break;
    case STATE_DEAD:
        // The dead pose lasts; its play time is not used.
        if (const gcAnimationConfig* p = ResolvedConfig(ANIM_DEAD))
            PlayAnimation(p);
        if (!(m_nEntityFlags & kKeptAfterDeath))
            GoTo(STATE_FADING);
        break;
    case STATE_FADING: FadeOut(kFadeTime); break;
    case STATE_GONE:
        SendAttached(gcMsgDeactivate());
        m_nEntityFlags |= kDeactivated;
        Disable();
        break;
    default: break;
    }
}
