#include "gcGameCore/actions/gcDoEntityCombineItem.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntityCombineItem, gcAction, 118)

gcItem* gcDoEntityCombineItem::s_pFirstItem = nullptr;

namespace {

// The pool reset notification this class chains in front of.
cMemPool::ResetNotifyFunc s_previousNotify = nullptr;

void NotifyReset(const cMemPool* pPool)
{
    gcDoEntityCombineItem::HandlePoolReset(pPool);
    if (s_previousNotify)
        s_previousNotify(pPool);
}

}  // namespace

cBase* gcDoEntityCombineItem::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityCombineItem>(desiredEntity, desiredItem, bCancel) : nullptr;
}

void gcDoEntityCombineItem::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    desiredItem.Write(wb);
    wb.WriteBool(bCancel);
}

bool gcDoEntityCombineItem::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityCombineItem", "version");
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcDesiredItem item;
    item.Read(rb, pPool);
    const bool cancel = rb.ReadBool();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    desiredItem = item;
    bCancel = cancel;
    return true;
}

void gcDoEntityCombineItem::GetText(char* pBuf) const
{
    if (desiredItem.desiredItem == gcDesiredItem::SPECIFIC) {
        desiredEntity.GetText(pBuf);
        gcScriptText::Append(pBuf, ".");
    }
    if (bCancel) {
        gcScriptText::Append(pBuf, "CancelCombine");
        return;
    }
    gcScriptText::Append(pBuf, "CombineItem( ");
    desiredItem.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoEntityCombineItem::DoAction(const gcEventParams& params) const
{
    if (bCancel) {
        s_pFirstItem = nullptr;
        return;
    }
    gcItem* pItem = desiredItem.GetItem(params);
    if (!pItem) {
        const gcItemTemplate* pTemplate = desiredItem.GetItemTemplate(params);
        gcEntity* pEntity = pTemplate ? desiredEntity.GetEntity(params, nullptr, true) : nullptr;
        pItem = pEntity ? pEntity->HasItem(pTemplate->m_handle, false) : nullptr;
    }
    if (!pItem)
        return;
    if (!s_pFirstItem) {
        SetPending(pItem);
        return;
    }
    gcItem* pFirst = s_pFirstItem;
    s_pFirstItem = nullptr;
    if (pItem != pFirst)
        pFirst->AddChild(pItem);
}

void gcDoEntityCombineItem::HandlePoolReset(const cMemPool* pPool)
{
    if (s_pFirstItem && pPool && pPool->Contains(s_pFirstItem))
        s_pFirstItem = nullptr;
}

void gcDoEntityCombineItem::SetPending(gcItem* pItem)
{
    // Installed again each time, in front of whatever notification the game
    // installed meanwhile, which is still called after this one.
    const cMemPool::ResetNotifyFunc previous = cMemPool::SetResetNotify(&NotifyReset);
    if (previous != &NotifyReset)
        s_previousNotify = previous;
    s_pFirstItem = pItem;
}
