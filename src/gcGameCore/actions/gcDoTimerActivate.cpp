#include "gcGameCore/actions/gcDoTimerActivate.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoTimerActivate, gcAction, 199)

cBase* gcDoTimerActivate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoTimerActivate>(bActivate, desiredTimer) : nullptr;
}

void gcDoTimerActivate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteBool(bActivate);
    desiredTimer.Write(wb);
}

bool gcDoTimerActivate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    const bool activate = rb.ReadBool();
    gcDesiredTimer timer;
    timer.Read(rb, pPool);
    if (rb.Failed())
        return false;
    bActivate = activate;
    desiredTimer = timer;
    return true;
}

void gcDoTimerActivate::GetText(char* pBuf) const
{
    desiredTimer.GetText(pBuf);
    gcScriptText::Append(pBuf, bActivate ? ".Activate" : ".Deactivate");
}

void gcDoTimerActivate::DoAction(const gcEventParams& params) const
{
    if (gcTimer* pTimer = desiredTimer.GetTimer(params, gcTimer::GetStaticType()))
        pTimer->Send(gcMsg(bActivate ? MSG_ACTIVATE : MSG_DEACTIVATE, nullptr));
}
