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

void gcDesiredTimer::GetText(char* pBuf) const
{
    if (desiredTimer == INITIATOR) {
        gcScriptText::Append(pBuf, "Initiator");
    } else if (desiredTimer == SPECIFIC) {
        const gcTimer* p = gcTimerMgr::GetPtr(hSpecificTimer);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
    }
}

gcTimer* gcDesiredTimer::GetTimer(const gcEventParams& params, const cType* pType) const
{
    cBase* p = nullptr;
    if (desiredTimer == INITIATOR)
        p = params.pInitiator;
    else if (desiredTimer == SPECIFIC)
        p = gcTimerMgr::GetPtr(hSpecificTimer);
    // The cast below needs a timer whatever type the caller asks for.
    if (!p || !p->GetType()->IsA(gcTimer::GetStaticType()) || (pType && !p->GetType()->IsA(pType)))
        return nullptr;
    return static_cast<gcTimer*>(p);
}
