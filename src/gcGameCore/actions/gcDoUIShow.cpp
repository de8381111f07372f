#include "gcGameCore/actions/gcDoUIShow.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIWidget.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoUIShow, gcAction, 157)

cBase* gcDoUIShow::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoUIShow>(desiredWidget, bShow) : nullptr;
}

void gcDoUIShow::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredWidget.Write(wb);
    wb.WriteBool(bShow);
}

bool gcDoUIShow::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    const bool show = rb.ReadBool();
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    bShow = show;
    return true;
}

void gcDoUIShow::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::Append(pBuf, bShow ? ".Show" : ".Hide");
}

void gcDoUIShow::DoAction(const gcEventParams&) const
{
    if (gcUIWidget* pWidget = desiredWidget.GetControl(true))
        pWidget->Show(bShow);
}
