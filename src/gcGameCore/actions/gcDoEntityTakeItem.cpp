#include "gcGameCore/actions/gcDoEntityTakeItem.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoEntityTakeItem, gcAction, 117)

cBase* gcDoEntityTakeItem::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityTakeItem>(desiredEntity, desiredItem, desiredCount) : nullptr;
}

void gcDoEntityTakeItem::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    desiredItem.Write(wb);
    desiredCount.Write(wb);
}

bool gcDoEntityTakeItem::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityTakeItem", "version");
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcDesiredItem item;
    item.Read(rb, pPool);
    gcDesiredValue count;
    if (rb.m_nVersion >= 4)
        count.Read(rb, pPool);
    else
        count.fConst = static_cast<float>(rb.ReadInt());
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    desiredItem = item;
    desiredCount = count;
    return true;
}

void gcDoEntityTakeItem::GetText(char* pBuf) const
{
    if (desiredItem.desiredItem == gcDesiredItem::SPECIFIC) {
        desiredEntity.GetText(pBuf);
        gcScriptText::Append(pBuf, ".");
    }
    gcScriptText::Append(pBuf, "TakeItem( ");
    desiredItem.GetText(pBuf);
    gcScriptText::Append(pBuf, ", ");
    desiredCount.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoEntityTakeItem::DoAction(const gcEventParams& params) const
{
    // Not a number truncates to the lowest integer: nothing either.
    const int32_t nCount = gcValue::TruncToInt(desiredCount.GetValue());
    if (nCount <= 0)
        return;
    if (gcItem* pItem = desiredItem.GetItem(params)) {
        if (pItem->m_pParentEntity)
            pItem->m_pParentEntity->RemoveItem(pItem, nCount);
        return;
    }
    const gcItemTemplate* pTemplate = desiredItem.GetItemTemplate(params);
    gcEntity* pEntity = pTemplate ? desiredEntity.GetEntity(params, nullptr, true) : nullptr;
    gcItem* pHeld = pEntity ? pEntity->HasItem(pTemplate->m_handle, true) : nullptr;
    if (pHeld)
        pEntity->RemoveItem(pHeld, nCount);
}
