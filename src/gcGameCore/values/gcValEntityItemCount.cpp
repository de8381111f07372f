#include "gcGameCore/values/gcValEntityItemCount.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityItemCount, gcValue, 119)

static constexpr uint32_t kAllCategories = 0xFFFFFFFF;

cBase* gcValEntityItemCount::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityItemCount>(*this) : nullptr;
}

void gcValEntityItemCount::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteInt(countType);
    desiredEntity.Write(wb);
    desiredItem.Write(wb);
    desiredAttached.Write(wb);
}

// Versions 1 and 2 store a template handle where version 3 stores a
// reference.
static gcDesiredItem ReadTemplateOnly(const cReadBlock& rb, cMemPool* pPool)
{
    gcDesiredItem d = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle());
    d.hSpecificItemTemplate.Read(rb, pPool);
    return d;
}

bool gcValEntityItemCount::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const uint32_t v = rb.m_nVersion;
    const int32_t type = v >= 2 ? rb.ReadInt() : ITEMCOUNT_AVAILABLE;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcDesiredItem item = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle());
    gcDesiredItem attached = item;
    if (v >= 3) {
        item.Read(rb, pPool);
        attached.Read(rb, pPool);
    } else {
        item = ReadTemplateOnly(rb, pPool);
        if (v == 2)
            attached = ReadTemplateOnly(rb, pPool);
    }
    if (rb.Failed())
        return false;
    countType = type;
    desiredEntity = entity;
    desiredItem = item;
    desiredAttached = attached;
    return true;
}

float gcValEntityItemCount::Get(const gcEventParams& params) const
{
    const gcItemTemplate* pTemplate = desiredItem.GetItemTemplate(params);
    if (!pTemplate)
        return 0.0f;
    const gcItemTemplateHandle hTemplate = pTemplate->m_handle;
    gcItem* pItem = desiredItem.GetItem(params);
    gcEntity* pOwner = pItem ? pItem->m_pParentEntity : desiredEntity.GetEntityAs<gcEntity>(params);
    int n = 0;
    switch (countType) {
    case ITEMCOUNT_TOTAL:
    case ITEMCOUNT_AVAILABLE:
        if (pOwner)
            n = pOwner->GetItemCount(hTemplate, countType == ITEMCOUNT_TOTAL, false, kAllCategories, nullptr);
        break;
    case ITEMCOUNT_ATTACHED: {
        const gcItemTemplate* pParent = desiredAttached.GetItemTemplate(params);
        if (pOwner && pParent)
            n = pOwner->GetAttachedItemCount(hTemplate, pParent->m_handle);
        break;
    }
    case ITEMCOUNT_SPECIFIC:
        if (!pItem && pOwner)
            pItem = pOwner->HasItem(hTemplate, true);
        n = pItem ? pItem->m_nCount : 0;
        break;
    default: break;
    }
    return static_cast<float>(n);
}

void gcValEntityItemCount::GetText(char* pBuf) const
{
    if (desiredItem.desiredItem == gcDesiredItem::SPECIFIC) {
        desiredEntity.GetText(pBuf);
        gcScriptText::Append(pBuf, ".");
    }
    gcScriptText::Append(pBuf, GetCountTypeText(countType));
    gcScriptText::Append(pBuf, "Items( [");
    desiredItem.GetText(pBuf);
    if (countType == ITEMCOUNT_ATTACHED) {
        gcScriptText::Append(pBuf, " to ");
        desiredAttached.GetText(pBuf);
    }
    gcScriptText::Append(pBuf, " )");
}

const char* gcValEntityItemCount::GetCountTypeText(int32_t type)
{
    static const char* const s_texts[MAX_COUNTTYPES] = {"Total", "Available", "Attached", "Specific"};
    return type >= 0 && type < MAX_COUNTTYPES ? s_texts[type] : "???";
}
