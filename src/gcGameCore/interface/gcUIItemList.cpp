#include "gcGameCore/interface/gcUIItemList.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/interface/gcUIItemControl.h"

QM_DEFINE_TYPE(gcUIItemList, gcUIWidgetList, 238)

namespace {

// Whether an item between the owner's first item (excluded) and pItem
// (excluded), walking back, carries the same template.
bool TemplateSeenBefore(const gcItem* pFirst, const gcItem* pItem)
{
    for (const gcItem* p = pItem->m_pPrevSiblingItem; p && p != pFirst && p != pItem; p = p->m_pPrevSiblingItem)
        if (p->m_hTemplate == pItem->m_hTemplate)
            return true;
    return false;
}

}  // namespace

gcUIItemList::gcUIItemList()
{
    m_nFlags |= kScrollsItself;
}

cBase* gcUIItemList::Copy(cMemPool* pPool) const
{
    return KeepWholeCopy(pPool ? pPool->New<gcUIItemList>(*this) : nullptr, *this);
}

void gcUIItemList::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcUIWidgetList::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(nItemCategoryMask);
}

bool gcUIItemList::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcUIItemList", "version");
    if (!gcUIWidgetList::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    gcDesiredEntity owner;
    owner.Read(rb, pPool);
    const uint32_t nMask = rb.ReadUInt();
    if (rb.Failed())
        return false;
    desiredEntity = owner;
    nItemCategoryMask = nMask;
    return true;
}

template <class F>
void gcUIItemList::ForEachEntry(F f) const
{
    const gcEntity* pOwner = gcUIItemControl::ResolveOwner(desiredEntity);
    gcItem* pFirst = pOwner ? pOwner->m_pItems : nullptr;
    int k = 0;
    for (gcItem* p = pFirst; p; p = p->m_pNextSiblingItem == pFirst ? nullptr : p->m_pNextSiblingItem) {
        const gcItemTemplate* pTemplate = p->GetTemplate();
        if (!pTemplate || !(pTemplate->m_nCategoryMask & nItemCategoryMask) || TemplateSeenBefore(pFirst, p))
            continue;
        if (f(k++, p))
            return;
    }
}

int gcUIItemList::GetNumItems() const
{
    int n = 0;
    ForEachEntry([&n](int, gcItem*) {
        ++n;
        return false;
    });
    return n;
}

gcItem* gcUIItemList::GetItem(int nEntry) const
{
    gcItem* pFound = nullptr;
    ForEachEntry([&](int k, gcItem* p) {
        if (k == nEntry)
            pFound = p;
        return pFound != nullptr;
    });
    return pFound;
}

void gcUIItemList::FillCell(const gcUICell& cell, int nItem)
{
    auto* pControl = static_cast<gcUIItemControl*>(FindWidget(cell, gcUIItemControl::GetStaticType()));
    if (!pControl)
        return;
    gcItem* pItem = GetItem(nItem);
    if (pItem) {
        pControl->desiredEntity = desiredEntity;
        pControl->hItemTemplate = pItem->m_hTemplate;
    } else {
        // An empty cell: nobody's item, no template.
        pControl->desiredEntity = gcDesiredEntity();
        pControl->desiredEntity.desiredEntity = gcDesiredEntity::SPECIFIC;
        pControl->hItemTemplate = gcItemTemplateHandle();
    }
    pControl->pSpecificItem = pItem;
}

bool gcUIItemList::IsValidCell(const gcUICell& cell) const
{
    return FindWidget(cell, gcUIItemControl::GetStaticType()) != nullptr;
}

void gcUIItemList::GetEventParams(gcEventParams& params) const
{
    params.pInitiator = GetItem(m_nSelectedItem);
}

bool gcUIItemList::SelectItem(gcItem* pItem, gcItemTemplateHandle hTemplate)
{
    int nFound = -1;
    ForEachEntry([&](int k, gcItem* p) {
        if (pItem ? p == pItem : p->m_hTemplate == hTemplate)
            nFound = k;
        return nFound >= 0;
    });
    return nFound >= 0 && SelectItem(nFound);
}
