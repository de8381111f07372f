#include "gcGameCore/script/gcStateInfo.h"

#include "cCore/cLog.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcState.h"
#include "gcGameCore/script/gcStateMachine.h"

// The machine-wide handler of a message: the tick, the timer, script events.
static const gcEvent* GetMachineHandler(const gcStateMachine& machine, int32_t nMsgId)
{
    switch (nMsgId) {
    case MSG_TICK: return &machine.onUpdate;
    case MSG_UPDATE: return &machine.onTimer;
    case MSG_EVENT: return &machine.onEvent;
    default: return nullptr;
    }
}

bool gcStateInfo::RunHandler(const gcEvent* pEvent, const gcEventParams& params, gcEventStackData& frame,
                             float* pResult)
{
    params.bHandled = true;
    const bool bWasInHandler = m_nFlags & kInHandler;
    m_nFlags |= kInHandler;
    const bool bHasActions = pEvent && pEvent->HasActions();
    *pResult = bHasActions ? pEvent->Apply(params, frame) : 0.0f;
    if (!bWasInHandler)
        m_nFlags &= static_cast<uint16_t>(~kInHandler);
    return bHasActions && params.bHandled;
}

float gcStateInfo::Send(const gcMsg& msg, const gcEventParams& params, const gcEventStackData& frame)
{
    gcEventStackData copy = frame;
    return Send(msg, params, copy);
}

float gcStateInfo::Send(const gcMsg& msg, const gcEventParams& params, gcEventStackData& frame)
{
    if (!m_pStateMachine)
        return 0.0f;
    if (msg.nMsgId == MSG_TICK && m_nextUpdate.m_nTicks > 0) {
        m_nextUpdate -= static_cast<const gcMsgTick&>(msg).dT;
        if (m_nextUpdate.m_nTicks <= 0)
            Send(gcMsgUpdate(), params, frame);
    }
    const int32_t nEventId = msg.nMsgId == MSG_EVENT ? static_cast<const gcMsgEvent&>(msg).eventId : 0;
    float fResult = 0.0f;
    bool bHandled = false;
    int nDepth = 0;
    for (const gcStateMachine* p = m_pStateMachine; p && !bHandled && nDepth <= gcStateMachine::kMaxChain;
         p = p->GetParent(), ++nDepth) {
        const gcState* pState = p->GetState(m_nCurState);
        if (!pState)
            continue;
        params.nEventId = nEventId;
        bHandled = RunHandler(pState->GetHandler(msg.nMsgId), params, frame, &fResult);
    }
    if (!bHandled && msg.nMsgId != MSG_ENTERSTATE && msg.nMsgId != MSG_EXITSTATE) {
        nDepth = 0;
        for (const gcStateMachine* p = m_pStateMachine; p && !bHandled && nDepth <= gcStateMachine::kMaxChain;
             p = p->GetParent(), ++nDepth) {
            params.nEventId = nEventId;
            bHandled = RunHandler(GetMachineHandler(*p, msg.nMsgId), params, frame, &fResult);
        }
    }
    // EnterState and ExitState are sent from inside the change loop.
    if (msg.nMsgId == MSG_ENTERSTATE || msg.nMsgId == MSG_EXITSTATE || (m_nFlags & kExiting))
        return 0.0f;
    RunChangeLoop(params, frame);
    return fResult;
}

void gcStateInfo::ChangeState(int nState, const gcEventParams& params, const gcEventStackData& frame,
                              cTimeValue timer, bool bForce)
{
    if (!m_pStateMachine)
        return;
    if (nState != m_nCurState || bForce) {
        m_nFlags |= kChangePending;
        m_nNextState = static_cast<int8_t>(nState);
        m_nextUpdate = timer;
    }
    if (!(m_nFlags & kInHandler)) {
        gcEventStackData copy = frame;
        RunChangeLoop(params, copy);
    }
}

void gcStateInfo::HandleChangeState(const gcEventParams& params, const gcEventStackData& frame)
{
    gcEventStackData copy = frame;
    if (m_pStateMachine)
        RunChangeLoop(params, copy);
}

void gcStateInfo::RunChangeLoop(const gcEventParams& params, gcEventStackData& frame)
{
    int nChanges = 0;
    while (m_nFlags & kChangePending) {
        if (++nChanges > kMaxChanges) {
            cLogError_("gcStateInfo: machine \"%s\" changed state %d times in a row, last to %d; the change to %d "
                       "is dropped",
                       m_pStateMachine ? m_pStateMachine->m_name.m_sData : "?", kMaxChanges, m_nCurState,
                       m_nNextState);
            m_nFlags &= static_cast<uint16_t>(~kChangePending);
            break;
        }
        m_nFlags &= static_cast<uint16_t>(~kChangePending);
        if (m_nCurState >= 0) {
            m_nFlags |= kExiting;
            Send(gcMsgExitState(), params, frame);
        }
        // A change requested by the exit handler names this change's destination.
        m_nFlags &= static_cast<uint16_t>(~(kExiting | kChangePending));
        m_nCurState = m_nNextState;
        Send(gcMsgEnterState(), params, frame);
    }
}
