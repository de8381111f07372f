#include "gcGameCore/actions/gcDoUIFocus.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoUIFocus, gcAction, 155)

cBase* gcDoUIFocus::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoUIFocus>(desiredWidget) : nullptr;
}

void gcDoUIFocus::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredWidget.Write(wb);
}

bool gcDoUIFocus::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    return true;
}

void gcDoUIFocus::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::Append(pBuf, ".SetFocus");
}

void gcDoUIFocus::DoAction(const gcEventParams&) const
{
    if (gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(desiredWidget.hDialog))
        pDialog->FocusControl(desiredWidget.hControl);
}
