#include "gcGameCore/script/gcStateMachine.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcState.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "cCore/cMemPool.h"

QM_DEFINE_TYPE(gcStateMachine, cObject, 244)

gcStateMachine::gcStateMachine()
    : onUpdate("OnUpdate", m_name.m_sData), onTimer("OnTimer", m_name.m_sData), onEvent("OnEvent", m_name.m_sData)
{
}

static void DestroyStates(gcState* (&states)[gcStateMachine::kMaxStates])
{
    for (gcState*& p : states) {
        if (p)
            std::destroy_at(p);
        p = nullptr;
    }
}

gcStateMachine::~gcStateMachine()
{
    DestroyStates(m_pStates);
}

void gcStateMachine::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    hParent.Write(wb);
    onUpdate.Write(file);
    onTimer.Write(file);
    onEvent.Write(file);
    wb.WriteInt(kMaxStates);
    for (const gcState* p : m_pStates)
        wb.WriteBase(p);
}

// One state slot's member: the state, or null for an empty slot, a member of
// another class or a state that refused its block.
static gcState* ReadStateMember(const cReadBlock& rb, cMemPool* pPool)
{
    // A member of another class, or a state that refuses its data, fails
    // the file as a damaged one.
    auto* pState = static_cast<gcState*>(rb.CreateBase(pPool, gcState::GetStaticType()));
    if (pState && !pState->Read(rb.m_file, pPool)) {
        rb.m_file.Fail("gcStateMachine: a state refused its data");
        std::destroy_at(pState);
        return nullptr;
    }
    return pState;
}

bool gcStateMachine::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcStateMachine", "version");
    cObject name;
    gcEvent update, timer, event;
    bool bRead = name.Read(file, pPool);
    gcStateMachineHandle parent;
    parent.Read(rb, pPool);
    bRead = bRead && update.Read(file, pPool) && timer.Read(file, pPool) && event.Read(file, pPool);
    if (!bRead)
        return rb.Reject("gcStateMachine", "name or handler block");
    const int32_t nCount = rb.ReadInt();
    if (nCount < 0 || nCount > kMaxStates)
        return rb.Reject("gcStateMachine", "state count");
    gcState* states[kMaxStates] = {};
    for (int32_t i = 0; i < nCount && !rb.Failed(); ++i) {
        states[i] = ReadStateMember(rb, pPool);
    }
    if (rb.Failed()) {
        DestroyStates(states);
        return false;
    }
    DestroyStates(m_pStates);
    std::copy_n(states, kMaxStates, m_pStates);
    m_name = name.m_name;
    hParent = parent;
    std::swap(onUpdate.pAction, update.pAction);
    std::swap(onTimer.pAction, timer.pAction);
    std::swap(onEvent.pAction, event.pAction);
    return true;
}

const gcState* gcStateMachine::GetState(int nState) const
{
    return nState >= 0 && nState < kMaxStates ? m_pStates[nState] : nullptr;
}

const gcStateMachine* gcStateMachine::GetParent() const
{
    return gcStateMachineMgr::GetPtr(hParent);
}

bool gcStateMachine::IsA(const gcStateMachine* pOther) const
{
    int nDepth = 0;
    for (const gcStateMachine* p = this; p && nDepth <= kMaxChain; p = p->GetParent(), ++nDepth) {
        if (p == pOther)
            return true;
    }
    return false;
}

void gcStateMachine::GetStateText(const gcStateMachine* pMachine, char* pBuf, int nState)
{
    if (!pMachine) {
        gcScriptText::Append(pBuf, "[???]");
        return;
    }
    const gcState* pOwn = pMachine->GetState(nState);
    gcScriptText::AppendF(pBuf, "[%s]", pOwn ? pOwn->m_name.m_sData : "none");
    int nDepth = 0;
    for (const gcStateMachine* p = pMachine->GetParent(); p && nDepth < kMaxChain; p = p->GetParent(), ++nDepth) {
        if (const gcState* pInherited = p->GetState(nState)) {
            gcScriptText::AppendF(pBuf, "->[%s]", pInherited->m_name.m_sData);
            return;
        }
    }
}

QM_DEFINE_GROUP(gcStateMachineGroup, 245)
