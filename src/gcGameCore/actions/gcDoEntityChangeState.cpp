#include "gcGameCore/actions/gcDoEntityChangeState.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntityChangeState, gcAction, 247)

cBase* gcDoEntityChangeState::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityChangeState>(desiredEntity, hStateMachine, nState, bForce) : nullptr;
}

void gcDoEntityChangeState::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    hStateMachine.Write(wb);
    wb.WriteInt(nState);
    wb.WriteBool(bForce);
}

bool gcDoEntityChangeState::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < 1 || v > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityChangeState", "version");
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcStateMachineHandle machine;
    machine.Read(rb, pPool);
    const int32_t state = rb.ReadInt();
    const bool force = v >= 2 && rb.ReadBool();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    hStateMachine = machine;
    nState = state;
    bForce = force;
    return true;
}

void gcDoEntityChangeState::GetText(char* pBuf) const
{
    const gcStateMachine* pMachine = gcStateMachineMgr::GetPtr(hStateMachine);
    desiredEntity.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".%sChangeState( [%s].", bForce ? "Force" : "",
                          pMachine ? pMachine->m_name.m_sData : "???");
    gcStateMachine::GetStateText(pMachine, pBuf, nState);
    gcScriptText::Append(pBuf, " )");
}

void gcDoEntityChangeState::DoAction(const gcEventParams& params) const
{
    if (gcEntity* p = desiredEntity.GetEntity(params, nullptr, true))
        p->EntityChangeState(nState, bForce);
}
