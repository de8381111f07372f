#include "gcGameCore/script/gcState.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcMsg.h"

QM_DEFINE_TYPE(gcState, cObject, 246)

gcState::gcState()
    : onEnterState("OnEnterState", m_name.m_sData),
      onExitState("OnExitState", m_name.m_sData),
      onUpdate("OnUpdate", m_name.m_sData),
      onTimer("OnTimer", m_name.m_sData),
      onEvent("OnEvent", m_name.m_sData)
{
}

void gcState::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    onEnterState.Write(file);
    onExitState.Write(file);
    onTimer.Write(file);
    onUpdate.Write(file);
    onEvent.Write(file);
}

bool gcState::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcState", "version");
    // Read into locals, so a refused block leaves the state as it was.
    cObject name;
    gcEvent enter, exit, timer, update, event;
    const bool bRead = name.Read(file, pPool) && enter.Read(file, pPool) && exit.Read(file, pPool) &&
                       timer.Read(file, pPool) && update.Read(file, pPool) && event.Read(file, pPool);
    if (rb.Failed())
        return false;
    if (!bRead)
        return rb.Reject("gcState", "handler block");
    m_name = name.m_name;
    std::swap(onEnterState.pAction, enter.pAction);
    std::swap(onExitState.pAction, exit.pAction);
    std::swap(onTimer.pAction, timer.pAction);
    std::swap(onUpdate.pAction, update.pAction);
    std::swap(onEvent.pAction, event.pAction);
    return true;  // the old lists go with the locals
}

const gcEvent* gcState::GetHandler(int32_t nMsgId) const
{
    switch (nMsgId) {
    case MSG_ENTERSTATE: return &onEnterState;
    case MSG_EXITSTATE: return &onExitState;
    case MSG_TICK: return &onUpdate;
    case MSG_UPDATE: return &onTimer;
    case MSG_EVENT: return &onEvent;
    default: return nullptr;
    }
}
