#include "gcGameCore/entities/gcItem.h"

#include <algorithm>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/actions/gcDoEntityCombineItem.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/interface/gcUI.h"

QM_DEFINE_TYPE(gcItem, gcGameObject, 97)

gcItem::gcItem() : m_pPrevSiblingItem(this), m_pNextSiblingItem(this)
{
    m_nCurState = 0;
    m_nNextState = 0;
}

gcItem::~gcItem()
{
    // A combination in progress must not outlive its first item.
    if (gcDoEntityCombineItem::s_pFirstItem == this)
        gcDoEntityCombineItem::s_pFirstItem = nullptr;
    // Nor may an item control keep showing it.
    gcUI::Get()->ForgetItem(this);
    while (m_pFirstChildItem)
        m_pFirstChildItem->Detach();
    Detach();
    for (gcEffect*& p : m_pEffects) {
        if (p)
            std::destroy_at(p);
        p = nullptr;
    }
}

cBase* gcItem::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcItem>(*this) : nullptr;
}

void gcItem::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcGameObject::Write(file);
}

bool gcItem::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcItem", "version");
    return gcGameObject::Read(file, pPool) && !rb.Failed();
}

int gcItem::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [](const gcMsg&) { return false; });
}

bool gcItem::Reset(cMemPool* pPool)
{
    const gcItemTemplate* pTemplate = GetTemplate();
    for (int i = 1; i < gcItemTemplate::kNumEffects && pTemplate; ++i) {
        const gcEffectTemplate* pEffectTemplate = gcEffectTemplateMgr::GetPtr(pTemplate->m_hEffectTemplates[i]);
        if (!pEffectTemplate)
            continue;
        if (!m_pEffects[i] && pPool)
            m_pEffects[i] = pPool->New<gcEffect>();
        gcEffect* p = m_pEffects[i];
        if (!p)
            continue;
        p->m_hTemplate = pEffectTemplate->m_handle;
        p->Reset(pPool);
        // Item-owned: not one of the map's static effects.
        p->m_nFlags |= gcEffect::kItemOwned;
        p->m_name = pEffectTemplate->m_name;
    }
    m_nCount = 0;
    return true;
}

void gcItem::SetCount(int nCount)
{
    const gcItemTemplate* pTemplate = GetTemplate();
    m_nCount = pTemplate ? std::max(0, std::min(nCount, pTemplate->m_nMaxCount)) : nCount;
}

gcItem* gcItem::FindItem(gcItemTemplateHandle hTemplate)
{
    if (m_hTemplate == hTemplate)
        return this;
    for (gcItem* p = m_pFirstChildItem; p;) {
        if (gcItem* pFound = p->FindItem(hTemplate))
            return pFound;
        p = p->m_pNextSiblingItem;
        if (p == m_pFirstChildItem)
            break;
    }
    return nullptr;
}

void gcItem::OnAddedToEntity()
{
    if (const gcItemTemplate* pTemplate = GetTemplate())
        pTemplate->ApplyModifiers(this, gcItemStatModifier::MOD_POSESS, true);
}

// ---- equipping ----

void gcItem::AttachEffects()
{
    const gcItemTemplate* pTemplate = GetTemplate();
    if (!pTemplate)
        return;
    for (int i = 1; i < gcItemTemplate::kNumEffects; ++i) {
        gcEffect* p = m_pEffects[i];
        const cName& node = pTemplate->m_attachNodeNames[i];
        if (!p)
            continue;
        if (m_pParentItem) {
            // A combined item shows its effects inside its parent's.
            if (gcEffect* pParentEffect = m_pParentItem->m_pEffects[i])
                pParentEffect->AddChild(p, &node);
            continue;
        }
        const gcEntityTemplate* pCarrierTemplate = m_pParentEntity ? m_pParentEntity->GetTemplate() : nullptr;
        if (!pCarrierTemplate || !node.m_sData[0] ||
            !(pCarrierTemplate->nAttachItemMask & pTemplate->m_nCategoryMask) ||
            m_pParentEntity->m_model.GetSubObjectIndex(node, 0, false) < 0)
            continue;
        m_pParentEntity->AddEffect(p, &node);
    }
}

void gcItem::Equip()
{
    if (IsEquipped())
        return;
    AttachEffects();
    m_nFlags |= kEquipped;
    if (const gcItemTemplate* pTemplate = GetTemplate())
        pTemplate->ApplyModifiers(this, gcItemStatModifier::MOD_EQUIP, true);
    for (gcItem* p = m_pFirstChildItem; p;) {
        p->Equip();
        p = p->m_pNextSiblingItem;
        if (p == m_pFirstChildItem)
            break;
    }
}

void gcItem::Unequip()
{
    if (!IsEquipped())
        return;
    // Slot 0 is never filled and slots 1 and 2 may be empty.
    for (gcEffect* p : m_pEffects) {
        if (!p)
            continue;
        p->Detach();
        p->Send(gcMsgDeactivate());
    }
    m_nFlags &= static_cast<uint16_t>(~kEquipped);
    if (const gcItemTemplate* pTemplate = GetTemplate())
        pTemplate->ApplyModifiers(this, gcItemStatModifier::MOD_EQUIP, false);
    for (gcItem* p = m_pFirstChildItem; p;) {
        p->Unequip();
        p = p->m_pNextSiblingItem;
        if (p == m_pFirstChildItem)
            break;
    }
}

// ---- rings ----

gcItem** gcItem::GetRingFirst() const
{
    if (m_pParentItem)
        return &m_pParentItem->m_pFirstChildItem;
    return m_pParentEntity ? &m_pParentEntity->m_pItems : nullptr;
}

void gcItem::LinkLast(gcItem*& pFirst)
{
    if (!pFirst) {
        pFirst = this;
        return;
    }
    gcItem* pLast = pFirst->m_pPrevSiblingItem;
    m_pPrevSiblingItem = pLast;
    m_pNextSiblingItem = pFirst;
    pLast->m_pNextSiblingItem = this;
    pFirst->m_pPrevSiblingItem = this;
}

// Nested items are carried by whoever carries their parent: when the
// parent moves, so do they, so that their equip modifiers always land on
// the entity that holds them.
void gcItem::SetCarrier(gcEntity* pCarrier)
{
    m_pParentEntity = pCarrier;
    for (gcItem* p = m_pFirstChildItem; p;) {
        p->SetCarrier(pCarrier);
        p = p->m_pNextSiblingItem;
        if (p == m_pFirstChildItem)
            break;
    }
}

bool gcItem::HasAncestor(const gcItem* pItem) const
{
    for (const gcItem* p = this; p; p = p->m_pParentItem)
        if (p == pItem)
            return true;
    return false;
}

void gcItem::Detach()
{
    // A combination waiting on this item, or on one nested in it, ends when
    // the item leaves: a free item would take the second one in and then
    // be handed out with it.
    if (const gcItem* pPending = gcDoEntityCombineItem::s_pFirstItem; pPending && pPending->HasAncestor(this))
        gcDoEntityCombineItem::s_pFirstItem = nullptr;
    Unequip();
    // The possession modifiers were applied only while the item sat in its
    // carrier's own ring; a nested item has none to remove.
    const gcItemTemplate* pTemplate = GetTemplate();
    if (pTemplate && m_pParentEntity && !m_pParentItem)
        pTemplate->ApplyModifiers(this, gcItemStatModifier::MOD_POSESS, false);
    gcItem** ppFirst = GetRingFirst();
    if (!ppFirst)
        return;
    if (*ppFirst == this)
        *ppFirst = m_pNextSiblingItem == this ? nullptr : m_pNextSiblingItem;
    m_pPrevSiblingItem->m_pNextSiblingItem = m_pNextSiblingItem;
    m_pNextSiblingItem->m_pPrevSiblingItem = m_pPrevSiblingItem;
    m_pPrevSiblingItem = this;
    m_pNextSiblingItem = this;
    m_pParentItem = nullptr;
    SetCarrier(nullptr);
    m_nCount = 0;
    m_nFlags &= static_cast<uint16_t>(~kEquipped);
}

void gcItem::AddChild(gcItem* pChild)
{
    if (!pChild || HasAncestor(pChild))
        return;
    pChild->Detach();
    pChild->LinkLast(m_pFirstChildItem);
    pChild->m_pParentItem = this;
    pChild->SetCarrier(m_pParentEntity);
    pChild->OnAddedToItem();
    if (IsEquipped())
        pChild->Equip();
}

void gcItem::AttachToEntity(gcEntity* pCarrier)
{
    if (!pCarrier)
        return;
    Detach();
    LinkLast(pCarrier->m_pItems);
    SetCarrier(pCarrier);
}
