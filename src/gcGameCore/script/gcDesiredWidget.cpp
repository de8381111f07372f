#include "gcGameCore/script/gcDesiredWidget.h"

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIWidget.h"
#include "gcGameCore/script/gcScriptText.h"

void gcDesiredWidget::Read(const cReadBlock& rb, cMemPool* pPool)
{
    hDialog.Read(rb, pPool);
    hControl = rb.ReadUInt();
}

void gcDesiredWidget::Write(const cWriteBlock& wb) const
{
    hDialog.Write(wb);
    wb.WriteInt(hControl);
}

gcUIWidget* gcDesiredWidget::GetControl(bool bStrict, const cType* pType) const
{
    const gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(hDialog);
    gcUIWidget* p = pDialog ? pDialog->GetControl(hControl) : nullptr;
    if (!bStrict || !p)
        return p;
    return p->GetType()->IsA(pType ? pType : gcUIWidget::GetStaticType()) ? p : nullptr;
}

void gcDesiredWidget::GetText(char* pBuf) const
{
    const gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(hDialog);
    gcScriptText::AppendF(pBuf, "[%s]", pDialog ? pDialog->m_name.m_sData : "???");
    if (const gcUIWidget* p = GetControl(false, nullptr))
        gcScriptText::AppendF(pBuf, ".[%s]", p->m_name.m_sData);
}
