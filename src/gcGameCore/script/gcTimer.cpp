#include "gcGameCore/script/gcTimer.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "cCore/cMemPool.h"

QM_DEFINE_TYPE(gcTimer, gcGameObject, 195)

gcTimer::gcTimer()
    : onStarted("OnStarted", m_name.m_sData),
      onUpdated("OnUpdated", m_name.m_sData),
      onStopped("OnStopped", m_name.m_sData),
      onCompleted("OnCompleted", m_name.m_sData)
{
    m_nCurState = STATE_STOPPED;
}

void gcTimer::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcGameObject::Write(file);
    onStarted.Write(file);
    onUpdated.Write(file);
    onStopped.Write(file);
    onCompleted.Write(file);
    wb.WriteInt(m_nFlags);
    wb.WriteInt(m_length.m_nTicks);
}

bool gcTimer::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcTimer", "version");
    const cName oldName = m_name;
    gcEvent started, updated, stopped, completed;
    const bool bRead = gcGameObject::Read(file, pPool) && started.Read(file, pPool) && updated.Read(file, pPool) &&
                       stopped.Read(file, pPool) && completed.Read(file, pPool);
    const uint32_t nFlags = bRead ? rb.ReadUInt() : 0;
    const int32_t nLength = bRead ? rb.ReadInt() : 0;
    if (!bRead || rb.Failed()) {
        m_name = oldName;
        return rb.Reject("gcTimer", "object or event block");
    }
    if (nLength <= 0)
        cLogWarn_("gcTimer: \"%s\" in \"%s\" has length %d ticks; once started it never completes", m_name.m_sData,
                  file.m_filename.m_sData, nLength);
    std::swap(onStarted.pAction, started.pAction);
    std::swap(onUpdated.pAction, updated.pAction);
    std::swap(onStopped.pAction, stopped.pAction);
    std::swap(onCompleted.pAction, completed.pAction);
    m_nFlags = nFlags;
    m_length = cTimeValue(nLength);
    return true;
}

int gcTimer::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) { return Dispatch(m); });
}

bool gcTimer::Dispatch(const gcMsg& msg)
{
    if (m_nCurState == STATE_ENABLED)
        return DispatchEnabled(msg);
    if (m_nCurState == STATE_STOPPED && msg.nMsgId == MSG_ACTIVATE) {
        RequestState(STATE_ENABLED, cTimeValue(0));  // entering sets the countdown
        return true;
    }
    return false;
}

bool gcTimer::DispatchEnabled(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_ENTERSTATE:
        m_nFlags |= kRunning;
        m_nextUpdate = m_length;
        ApplyEvent(onStarted, 0.0f, 0.0f);
        return true;
    case MSG_EXITSTATE:
        m_nFlags &= ~kRunning;
        ApplyEvent(onStopped, 0.0f, 0.0f);
        return true;
    case MSG_TICK:
        ApplyEvent(onUpdated, (m_length - m_nextUpdate).GetSeconds(), m_length.GetSeconds());
        return true;
    case MSG_UPDATE:
        Complete();
        return true;
    case MSG_ACTIVATE:
        // A restart: exit and re-enter even though the state is the same.
        RequestState(STATE_ENABLED, m_length);
        return true;
    case MSG_DEACTIVATE:
        if (m_nCurState != STATE_STOPPED)
            RequestState(STATE_STOPPED, cTimeValue(0));
        return true;
    default:
        return false;
    }
}

void gcTimer::Complete()
{
    bool bRepeat = m_nFlags & kRepeat;
    float fParam2 = 0.0f;
    if (ApplyEvent(onCompleted, 0.0f, m_length.GetSeconds(), &fParam2) != 0.0f)
        bRepeat = true;
    // Times 600 in single precision, truncated, so a length that went out as
    // seconds comes back as the same number of ticks.
    m_length = cTimeValue::FromSeconds(fParam2);
    if (m_nextUpdate.m_nTicks > 0)
        return;  // a script restarted the timer meanwhile
    if (bRepeat) {
        if (m_length.m_nTicks <= 0)
            cLogWarn_("gcTimer: \"%s\" repeats with length %d ticks; it will not complete again", m_name.m_sData,
                      m_length.m_nTicks);
        RequestState(STATE_ENABLED, m_length);
    } else if (m_nCurState != STATE_STOPPED) {
        RequestState(STATE_STOPPED, cTimeValue(0));
    }
}

float gcTimer::ApplyEvent(const gcEvent& event, float fParam1, float fParam2, float* pParam2)
{
    const gcEventParams params(this, nullptr, nullptr, nullptr, nullptr);
    gcEventStackData frame(fParam1, fParam2);
    const float fRetVal = event.Apply(params, frame);
    if (pParam2)
        *pParam2 = frame.fInValues[1];
    return fRetVal;
}

QM_DEFINE_GROUP(gcTimerGroup, 196)
