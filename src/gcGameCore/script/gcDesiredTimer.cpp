#include "gcGameCore/script/gcDesiredTimer.h"

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcScriptText.h"

void gcDesiredTimer::Read(const cReadBlock& rb, cMemPool* pPool)
{
    desiredTimer = rb.ReadInt();
    hSpecificTimer.Read(rb, pPool);
}

void gcDesiredTimer::Write(const cWriteBlock& wb) const
{
    wb.WriteInt(desiredTimer);
    hSpecificTimer.Write(wb);
}

gcTimer* gcDesiredTimer::GetTimer(const gcEventParams& params, const cType* pType) const
{
    cBase* p = nullptr;
    if (desiredTimer == INITIATOR)
        p = params.pInitiator;
    else if (desiredTimer == SPECIFIC)
        p = gcTimerMgr::GetPtr(hSpecificTimer);
    const cType* pWanted = pType ? pType : gcTimer::GetStaticType();
    if (!p || !p->GetType()->IsA(pWanted) || !p->GetType()->IsA(gcTimer::GetStaticType()))
        return nullptr;
    return static_cast<gcTimer*>(p);
}

void gcDesiredTimer::GetText(char* pBuf) const
{
    if (desiredTimer == INITIATOR) {
        gcScriptText::Append(pBuf, "Initiator");
    } else if (desiredTimer == SPECIFIC) {
        const gcTimer* p = gcTimerMgr::GetPtr(hSpecificTimer);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
    }
}
