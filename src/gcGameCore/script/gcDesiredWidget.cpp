#include "gcGameCore/script/gcDesiredWidget.h"

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIWidget.h"
#include "gcGameCore/script/gcScriptText.h"

void gcDesiredWidget::Read(const cReadBlock& rb, cMemPool* pPool)
{
    hDialog.Read(rb, pPool);
    hControl = rb.ReadUInt();
    gcUIDialog::CheckBinding(rb.m_file, hDialog, hControl);
}

void gcDesiredWidget::Write(const cWriteBlock& wb) const
{
    hDialog.Write(wb);
    wb.WriteInt(hControl);
}

gcUIWidget* gcDesiredWidget::GetControl(bool bCheckType, const cType* pType) const
{
    const gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(hDialog);
    gcUIWidget* pControl = pDialog ? pDialog->GetControl(hControl) : nullptr;
    if (!pControl || !bCheckType)
        return pControl;
    return pControl->GetType()->IsA(pType ? pType : gcUIWidget::GetStaticType()) ? pControl : nullptr;
}

void gcDesiredWidget::GetText(char* pBuf) const
{
    const gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(hDialog);
    gcScriptText::AppendF(pBuf, "[%s]", pDialog ? pDialog->m_name.m_sData : "???");
    if (const gcUIWidget* pControl = GetControl(false))
        gcScriptText::AppendF(pBuf, ".[%s]", pControl->m_name.m_sData);
}
