#pragma once
// One kind of carried item: its display and equip effects with their attach
// nodes, how many an entity may hold, the pool of pre-built items handed
// out to carriers, four stat modifiers applied while an item is owned or
// equipped, a skin change of the carrier while equipped, and the category
// mask that carriers and interface lists match. Read from the map's item
// template group and from the game state; the items live in the pool the
// template was read into and nothing is allocated while they are carried.
// Main thread. Type id 98; its group 99.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cName.h"
#include "cCore/cObject.h"
#include "gcGameCore/entities/gcEffectTemplate.h"

class gcEntity;
class gcItem;
class gcItemTemplate;
using gcItemTemplateHandle = cHandle<gcItemTemplate>;

// A stat change a carrier gets while an item is owned or equipped. No base
// class: read and written inside the template's block.
struct gcItemStatModifier {
    static constexpr uint32_t kVersion = 1;

    enum gcModifierType : int32_t { MOD_NONE = 0, MOD_POSESS = 1, MOD_EQUIP = 2 };
    enum gcEntityType : int32_t { MOD_ENTITY = 0, MOD_CREATURE = 1 };

    // Version 1: type, entity type, stat, value.
    void Write(const cFile& file) const;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file);

    gcModifierType type = MOD_NONE;
    gcEntityType entityType = MOD_ENTITY;
    uint32_t nStat = 0;  // gcEntityTemplate::gcEntityStat, or a creature stat
    float fValue = 0.0f;
};

class gcItemTemplate : public cObject {
    QM_DECLARE_TYPE(gcItemTemplate)
public:
    static constexpr uint32_t kVersion = 6;
    static constexpr uint32_t kMinVersion = 1;
    static constexpr int kNumEffects = 3;    // slot 0 the display, 1 and 2 equip effects
    static constexpr int kNumModifiers = 4;
    static constexpr uint16_t kStackable = 0x1;  // m_nFlags: one item with a count, a pool of one

    gcItemTemplate() = default;
    // A new template whatever the source: the members are not copied.
    gcItemTemplate(const gcItemTemplate&) : gcItemTemplate() {}
    gcItemTemplate& operator=(const gcItemTemplate&) = delete;
    ~gcItemTemplate() override;  // destroys the instances
    cBase* Copy(cMemPool* pPool) const override;

    // Version 6: see Read for the layout.
    void Write(const cFile& file) const override;
    // Versions 1 to 6, each with the fields it holds. Unchanged (false)
    // unless read whole; on success the pool is resized in pPool to the
    // stored maximum count (negative counts build none).
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Applies (or removes) the modifiers of one type on the item's carrier;
    // equipping also changes the carrier's skin. Nothing without a carrier;
    // a stat index outside the stats changes nothing.
    void ApplyModifiers(gcItem* pItem, gcItemStatModifier::gcModifierType type, bool bApply) const;

    // The first item that has neither a carrier nor a parent item; null when
    // every one is held.
    gcItem* GetInstance();
    // Items are free again once detached: nothing to do.
    void ReleaseInstance(gcItem*) {}
    // Every item gets this template's handle, a reset in the template's pool
    // and the template's name.
    void ResetInstances();
    // The maximum count becomes n (negative: 0) and the pool holds n items,
    // or one for a stackable template; grown items stay unreset, surplus
    // ones are destroyed. pPool: the template's pool when null.
    void SetMaxInstances(int n, cMemPool* pPool = nullptr);
    int GetNumInstances() const { return m_nNumInstances; }
    gcItem* GetInstanceAt(int i) const { return (i >= 0 && i < m_nNumInstances) ? m_pInstances[i] : nullptr; }
    bool IsStackable() const { return (m_nFlags & kStackable) != 0; }

    gcItemTemplateHandle m_handle;
    uint16_t m_nFlags = 0;
    gcEffectTemplateHandle m_hEffectTemplates[kNumEffects];
    cName m_attachNodeNames[kNumEffects];
    int32_t m_nMaxCount = 0;
    gcItemStatModifier m_statModifiers[kNumModifiers];
    int32_t m_nChangeSkin = -1;  // -1: none
    int32_t m_nChangeSkinSlot = 0;
    uint32_t m_nCategoryMask = 0;
    float m_fVisRadiusModifier = 0.0f;
    float m_viewHPR[3] = {};

private:
    // Whether the carrier's template accepts this template's categories.
    bool CarrierAccepts(const gcEntity& carrier) const;
    void ChangeCarrierSkin(gcEntity& carrier, bool bApply) const;

    int m_nNumInstances = 0;
    gcItem** m_pInstances = nullptr;
    cMemPool* m_pPool = nullptr;  // the pool the template was read into
};

// The slot table of item templates: 100 slots, resolved by handle.
class gcItemTemplateMgr : public cManager<gcItemTemplate, 100> {};

// The file block that fills a range of gcItemTemplateMgr's slots.
class gcItemTemplateGroup : public cGroup {
    QM_DECLARE_GROUP(gcItemTemplateGroup, gcItemTemplateMgr)
};
