#include "gcGameCore/actions/gcDoUIListScroll.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIWidgetList.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoUIListScroll, gcAction, 240)

cBase* gcDoUIListScroll::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoUIListScroll>(desiredWidget, dir) : nullptr;
}

void gcDoUIListScroll::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredWidget.Write(wb);
    wb.WriteInt(dir);
}

bool gcDoUIListScroll::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    const int32_t direction = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    dir = direction;
    return true;
}

void gcDoUIListScroll::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".ListScroll( %s )", gcUIWidget::GetNeighborText(dir));
}

void gcDoUIListScroll::DoAction(const gcEventParams&) const
{
    // The list refuses a direction that is none of the four.
    if (gcUIWidgetList* pList = desiredWidget.GetControlAs<gcUIWidgetList>())
        pList->Scroll(static_cast<gcUIWidget::gcUINeighbor>(dir));
}
