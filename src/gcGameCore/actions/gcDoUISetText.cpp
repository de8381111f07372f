#include "gcGameCore/actions/gcDoUISetText.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoUISetText, gcAction, 158)

cBase* gcDoUISetText::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoUISetText>(desiredWidget, hText) : nullptr;
}

void gcDoUISetText::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredWidget.Write(wb);
    hText.Write(wb);
}

bool gcDoUISetText::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    gcStringHandle text;
    text.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    hText = text;
    return true;
}

void gcDoUISetText::GetText(char* pBuf) const
{
    const gcString* pText = gcStringMgr::GetPtr(hText);
    const char* sName = hText.IsNull() ? "none" : pText ? pText->m_name.m_sData : "???";
    desiredWidget.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".SetText( [%s] )", sName);
}

void gcDoUISetText::DoAction(const gcEventParams&) const
{
    if (gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>())
        pControl->m_hText = hText;
}
