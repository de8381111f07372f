#include "gcGameCore/actions/gcDoEntityGiveItem.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoEntityGiveItem, gcAction, 101)

cBase* gcDoEntityGiveItem::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityGiveItem>(desiredEntity, desiredItem, desiredCount) : nullptr;
}

void gcDoEntityGiveItem::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    desiredItem.Write(wb);
    desiredCount.Write(wb);
}

bool gcDoEntityGiveItem::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityGiveItem", "version");
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

void gcDoEntityGiveItem::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".GiveItem( ");
    desiredItem.GetText(pBuf);
    gcScriptText::Append(pBuf, ", ");
    desiredCount.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoEntityGiveItem::DoAction(const gcEventParams& params) const
{
    gcEntity* pEntity = desiredEntity.GetEntity(params, nullptr, true);
    gcItemTemplate* pTemplate = pEntity ? desiredItem.GetItemTemplate(params) : nullptr;
    if (!pTemplate)
        return;
    // Not a number truncates to the lowest integer: nothing either.
    const int32_t nCount = gcValue::TruncToInt(desiredCount.GetValue());
    if (nCount <= 0 || !pEntity->CanAddItem(pTemplate->m_handle, nCount))
        return;
    gcItem* pItem = desiredItem.GetItem(params);
    if (pTemplate->IsStackable()) {
        if (!pItem)
            pItem = pEntity->HasItem(pTemplate->m_handle, true);
        if (!pItem)
            pItem = pTemplate->GetInstance();
        if (pItem)
            pEntity->AddItem(pItem, nCount);
        return;
    }
    if (pItem) {
        pEntity->AddItem(pItem, 1);
        return;
    }
    // An item given is carried, so once the pool has no free item it gets
    // none back during the loop.
    for (int32_t i = 0; i < nCount; ++i) {
        gcItem* pFree = pTemplate->GetInstance();
        if (!pFree)
            break;
        pEntity->AddItem(pFree, 1);
    }
}
