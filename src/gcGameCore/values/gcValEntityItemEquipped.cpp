#include "gcGameCore/values/gcValEntityItemEquipped.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityItemEquipped, gcValue, 234)

cBase* gcValEntityItemEquipped::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityItemEquipped>(*this) : nullptr;
}

void gcValEntityItemEquipped::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    desiredItem.Write(wb);
}

bool gcValEntityItemEquipped::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcDesiredItem item = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle());
    if (rb.m_nVersion >= 2)
        item.Read(rb, pPool);
    else
        item.hSpecificItemTemplate.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    desiredItem = item;
    return true;
}

float gcValEntityItemEquipped::Get(const gcEventParams& params) const
{
    const gcItem* pItem = desiredItem.GetItem(params);
    if (!pItem) {
        const gcItemTemplate* pTemplate = desiredItem.GetItemTemplate(params);
        gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
        if (!pTemplate || !pEntity)
            return 0.0f;
        pItem = pEntity->HasItem(pTemplate->m_handle, true);
    }
    return pItem && pItem->IsEquipped() ? 1.0f : 0.0f;
}

void gcValEntityItemEquipped::GetText(char* pBuf) const
{
    if (desiredItem.desiredItem == gcDesiredItem::SPECIFIC) {
        desiredEntity.GetText(pBuf);
        gcScriptText::Append(pBuf, ".");
    }
    gcScriptText::Append(pBuf, "IsItemEquipped( ");
    desiredItem.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}
