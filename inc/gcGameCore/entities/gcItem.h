#pragma once
// One carried item: an instance of an item template, held in an entity's
// item ring or nested in another item (combined). It has a stack count, an
// equipped flag and up to two effects shown on the carrier while it is
// equipped. Items are pre-built in their template's pool, handed out by
// gcItemTemplate::GetInstance and free again once detached; they take no
// messages. Main thread. Type id 97.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/script/gcGameObject.h"

class gcEffect;
class gcEntity;
class gcItem;
using gcItemHandle = cHandle<gcItem>;

class gcItem : public gcGameObject {
    QM_DECLARE_TYPE(gcItem)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr uint16_t kEquipped = 0x1;  // m_nFlags; stored in saved profiles

    gcItem();
    // A new item whatever the source: the members are not copied.
    gcItem(const gcItem&) : gcItem() {}
    gcItem& operator=(const gcItem&) = delete;
    // Leaves its carrier (modifiers removed) and destroys its effects.
    ~gcItem() override;
    cBase* Copy(cMemPool* pPool) const override;

    // Version 1: the game-object block only.
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    // Runs the next-update countdown; no message is taken (0).
    int Send(const gcMsg& msg) override;

    // Builds the equip effects of slots 1 and 2 in the pool (once) and
    // resets them; count 0.
    bool Reset(cMemPool* pPool);
    bool IsEquipped() const { return (m_nFlags & kEquipped) != 0; }
    uint16_t GetFlags() const { return m_nFlags; }
    gcItemTemplate* GetTemplate() const { return gcItemTemplateMgr::GetPtr(m_hTemplate); }
    // Clamped to [0, the template's maximum count]; unclamped when the
    // template does not resolve.
    void SetCount(int nCount);
    // This item or the first nested one (depth first) of the template.
    gcItem* FindItem(gcItemTemplateHandle hTemplate);
    // Called by gcEntity::AddItem once the item is in the carrier's ring.
    void OnAddedToEntity();
    void OnAddedToItem() {}
    // Shows the effects on the carrier (or in the parent item's effects),
    // applies the equip modifiers, then equips the nested items. Nothing when
    // already equipped.
    void Equip();
    void Unequip();
    // Unequips, removes the possession modifiers when they were applied,
    // and leaves its ring; an item that had a parent ends with count 0. A
    // combination pending on it or on an item nested in it ends.
    void Detach();
    // Nests the child (detached first); it is equipped at once when this
    // item is. An item cannot be nested in itself or in its own nesting.
    void AddChild(gcItem* pChild);
    // Links the item, detached first, at the end of the carrier's item ring.
    void AttachToEntity(gcEntity* pCarrier);

    gcItemHandle m_handle;
    uint16_t m_nFlags = 0;
    gcItemTemplateHandle m_hTemplate;
    gcEffect* m_pEffects[gcItemTemplate::kNumEffects] = {};  // owned; slot 0 stays empty
    int32_t m_nCount = 0;
    gcEntity* m_pParentEntity = nullptr;  // the carrier; a nested item's is its parent's
    gcItem* m_pParentItem = nullptr;
    gcItem* m_pFirstChildItem = nullptr;
    gcItem* m_pPrevSiblingItem;  // the ring it belongs to; a lone item links to itself
    gcItem* m_pNextSiblingItem;

private:
    // The ring this item belongs to: the parent item's children or the
    // carrier's items; null when free.
    gcItem** GetRingFirst() const;
    void LinkLast(gcItem*& pFirst);
    // The carrier of this item and of every item nested in it.
    void SetCarrier(gcEntity* pCarrier);
    void AttachEffects();
    bool HasAncestor(const gcItem* pItem) const;
};

// The slot table of items: 50 slots. Items are never stored in groups.
class gcItemMgr : public cManager<gcItem, 50> {};
