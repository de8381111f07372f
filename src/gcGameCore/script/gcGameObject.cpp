#include "gcGameCore/script/gcGameObject.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_ABSTRACT_TYPE(gcGameObject, cObject, 70)

void gcGameObject::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
}

bool gcGameObject::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcGameObject", "version");
    const cName oldName = m_name;
    if (!cObject::Read(file, pPool) || rb.Failed()) {
        m_name = oldName;
        return rb.Reject("gcGameObject", "name block");
    }
    return true;
}

void gcGameObject::CountDown(const gcMsg& msg)
{
    if (msg.nMsgId != MSG_TICK || m_nextUpdate.m_nTicks <= 0)
        return;
    m_nextUpdate -= static_cast<const gcMsgTick&>(msg).dT;
    // Update runs the whole protocol first, so the tick that follows is
    // dispatched in whatever state the object is in afterwards.
    if (m_nextUpdate.m_nTicks <= 0)
        Send(gcMsgUpdate());
}

int gcGameObject::FinishMessage(int32_t nMsgId)
{
    // The loop's own messages never run it.
    if (nMsgId == MSG_ENTERSTATE || nMsgId == MSG_EXITSTATE || nMsgId == MSG_POSTENTERSTATE ||
        nMsgId == MSG_POSTEXITSTATE)
        return 0;
    // A transition further up the stack picks the request up.
    if (m_nGameObjectFlags & kTransitioning)
        return 1;
    int nTransitions = 0;
    while (m_nGameObjectFlags & kChangePending) {
        if (++nTransitions > kMaxTransitions) {
            cLogError_("gcGameObject: \"%s\" (%s) changed state %d times in one message, last to %d; "
                       "the pending change to %d is dropped",
                       m_name.m_sData, GetType()->m_sTypeName, kMaxTransitions, m_nCurState, m_nNextState);
            m_nGameObjectFlags &= static_cast<uint8_t>(~kChangePending);
            break;
        }
        m_nGameObjectFlags = static_cast<uint8_t>((m_nGameObjectFlags & ~kChangePending) | kTransitioning);
        if (!(m_nGameObjectFlags & kSkipExit))
            Send(gcMsgExitState());
        // A request made during the exit names the destination of this change.
        m_nPrevState = m_nCurState;
        m_nCurState = m_nNextState;
        m_nGameObjectFlags &= static_cast<uint8_t>(~(kTransitioning | kChangePending));
        if (!(m_nGameObjectFlags & kSkipEnter))
            Send(gcMsgPostExitState());
        m_nGameObjectFlags &= static_cast<uint8_t>(~kSkipExit);
        if (!(m_nGameObjectFlags & kSkipEnter)) {
            Send(gcMsgEnterState());
            Send(gcMsgPostEnterState());
        }
        m_nGameObjectFlags &= static_cast<uint8_t>(~kSkipEnter);
    }
    return 1;
}
