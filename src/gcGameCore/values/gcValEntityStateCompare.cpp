#include "gcGameCore/values/gcValEntityStateCompare.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityStateCompare, gcValue, 248)

cBase* gcValEntityStateCompare::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityStateCompare>(*this) : nullptr;
}

void gcValEntityStateCompare::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    hStateMachine.Write(wb);
    wb.WriteInt(nState);
}

bool gcValEntityStateCompare::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcStateMachineHandle h;
    h.Read(rb, pPool);
    const int32_t s = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    hStateMachine = h;
    nState = s;
    return true;
}

float gcValEntityStateCompare::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    const gcEntityTemplate* pTemplate = pEntity ? pEntity->GetTemplate() : nullptr;
    if (!pTemplate)
        return 0.0f;
    const gcStateMachine* pTheirs = pTemplate->GetStateMachine();
    const gcStateMachine* pOurs = gcStateMachineMgr::GetPtr(hStateMachine);
    if (pTheirs && pOurs && !pOurs->IsA(pTheirs) && !pTheirs->IsA(pOurs))
        return 0.0f;
    return nState == pEntity->m_stateInfo.m_nCurState ? 1.0f : 0.0f;
}

void gcValEntityStateCompare::GetText(char* pBuf) const
{
    const gcStateMachine* pMachine = gcStateMachineMgr::GetPtr(hStateMachine);
    gcScriptText::Append(pBuf, "( ");
    desiredEntity.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".State == [%s].", pMachine ? pMachine->m_name.m_sData : "???");
    gcStateMachine::GetStateText(pMachine, pBuf, nState);
    gcScriptText::Append(pBuf, " )");
}
