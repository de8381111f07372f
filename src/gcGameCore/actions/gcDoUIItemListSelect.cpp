#include "gcGameCore/actions/gcDoUIItemListSelect.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIItemList.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoUIItemListSelect, gcAction, 239)

cBase* gcDoUIItemListSelect::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoUIItemListSelect>(desiredWidget, desiredItem) : nullptr;
}

void gcDoUIItemListSelect::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredWidget.Write(wb);
    desiredItem.Write(wb);
}

bool gcDoUIItemListSelect::Read(const cFile& file, cMemPool* pPool)
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

void gcDoUIItemListSelect::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::Append(pBuf, ".ItemListSelect( ");
    desiredItem.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoUIItemListSelect::DoAction(const gcEventParams& params) const
{
    if (gcUIItemList* pList = desiredWidget.GetControlAs<gcUIItemList>())
        pList->SelectItem(desiredItem.GetItem(params), desiredItem.hSpecificItemTemplate);
}
