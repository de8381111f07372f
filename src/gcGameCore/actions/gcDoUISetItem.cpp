#include "gcGameCore/actions/gcDoUISetItem.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIItemControl.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoUISetItem, gcAction, 232)

cBase* gcDoUISetItem::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoUISetItem>(desiredWidget, desiredItem) : nullptr;
}

void gcDoUISetItem::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredWidget.Write(wb);
    desiredItem.Write(wb);
}

bool gcDoUISetItem::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    gcDesiredItem item{gcDesiredItem::SPECIFIC, {}};
    if (rb.m_nVersion >= 2)
        item.Read(rb, pPool);
    else
        item.hSpecificItemTemplate.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    desiredItem = item;
    return true;
}

void gcDoUISetItem::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::Append(pBuf, ".SetItem( ");
    desiredItem.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoUISetItem::DoAction(const gcEventParams& params) const
{
    if (gcUIItemControl* pControl = desiredWidget.GetControlAs<gcUIItemControl>()) {
        pControl->pSpecificItem = desiredItem.GetItem(params);
        pControl->hItemTemplate = desiredItem.hSpecificItemTemplate;
    }
}
