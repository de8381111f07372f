#include "gcGameCore/actions/gcDoTriggerActivate.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoTriggerActivate, gcAction, 136)

cBase* gcDoTriggerActivate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoTriggerActivate>(bActivate, hRegionTrigger) : nullptr;
}

void gcDoTriggerActivate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteBool(bActivate);
    hRegionTrigger.Write(wb);
}

bool gcDoTriggerActivate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    const bool activate = rb.ReadBool();
    gcRegionTriggerHandle h;
    h.Read(rb, pPool);
    if (rb.Failed())
        return false;
    bActivate = activate;
    hRegionTrigger = h;
    return true;
}

void gcDoTriggerActivate::GetText(char* pBuf) const
{
    const gcRegionTrigger* p = gcRegionTriggerMgr::GetPtr(hRegionTrigger);
    gcScriptText::AppendF(pBuf, "[%s]%s", p ? p->m_name.m_sData : "???", bActivate ? ".Activate" : ".Deactivate");
}

void gcDoTriggerActivate::DoAction(const gcEventParams&) const
{
    if (gcRegionTrigger* p = gcRegionTriggerMgr::GetPtr(hRegionTrigger))
        p->Send(gcMsg(bActivate ? MSG_ACTIVATE : MSG_DEACTIVATE, nullptr));
}
