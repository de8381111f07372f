#include "gcGameCore/actions/gcDoEntityEquipItem.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntityEquipItem, gcAction, 128)

cBase* gcDoEntityEquipItem::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityEquipItem>(desiredEntity, desiredItem, bEquip) : nullptr;
}

void gcDoEntityEquipItem::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    desiredItem.Write(wb);
    wb.WriteBool(bEquip);
}

bool gcDoEntityEquipItem::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityEquipItem", "version");
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcDesiredItem item = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC);
    if (rb.m_nVersion >= 3)
        item.desiredItem = rb.ReadInt();
    item.hSpecificItemTemplate.Read(rb, pPool);
    const bool equip = rb.m_nVersion >= 2 ? rb.ReadBool() : false;
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    desiredItem = item;
    bEquip = equip;
    return true;
}

void gcDoEntityEquipItem::GetText(char* pBuf) const
{
    if (desiredItem.desiredItem == gcDesiredItem::SPECIFIC) {
        desiredEntity.GetText(pBuf);
        gcScriptText::Append(pBuf, ".");
    }
    gcScriptText::Append(pBuf, bEquip ? "EquipItem( " : "UnequipItem( ");
    desiredItem.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoEntityEquipItem::DoAction(const gcEventParams& params) const
{
    gcItem* pItem = desiredItem.GetItem(params);
    if (!pItem) {
        const gcItemTemplate* pTemplate = desiredItem.GetItemTemplate(params);
        gcEntity* pEntity = pTemplate ? desiredEntity.GetEntity(params, nullptr, true) : nullptr;
        pItem = pEntity ? pEntity->HasItem(pTemplate->m_handle, true) : nullptr;
    }
    if (!pItem)
        return;
    if (bEquip)
        pItem->Equip();
    else
        pItem->Unequip();
}
