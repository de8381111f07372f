#include "gcGameCore/entities/gcItem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "datagen/effectWriters.h"
#include "datagen/itemWriters.h"
#include "eEngine/modelTestSupport.h"
#include "entityTestObjects.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcItemTemplate.h"

namespace {

using IT = gcItemTemplate;
using Mod = gcItemStatModifier;
constexpr int kMeshSlot = 5;
constexpr int kEffectSlot = 9;

class gcItemTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, FigureDesc()), nullptr);
        m_pCarrierTemplate = PlaceTemplate();
        m_pCarrierTemplate->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        for (int s = 0; s < gcEntityTemplate::kMaxSkins; ++s)
            for (int i = 0; i < gcEntityTemplate::kMaxMaterials; ++i)
                m_pCarrierTemplate->hMaterials[s][i] = eMaterialHandle(0x100u * s + i);
        m_pCarrierTemplate->fEntityStatsMax[gcEntityTemplate::STAT_ARMOR] = 0.0f;
        datagen::EffectTemplateDesc glow;
        glow.name = "glow";
        gcEffectTemplate* pEffectTemplate = m_pool.New<gcEffectTemplate>();
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, glow, 18); },
                              pEffectTemplate));
        m_hGlow = gcEffectTemplateMgr::Add(kEffectSlot, pEffectTemplate, 0x99);
    }
    void TearDown() override
    {
        EntityWorldTest::TearDown();  // the carriers let go of their items first
        for (int i = 0; i < gcItemTemplateMgr::kSlots; ++i)
            gcItemTemplateMgr::Remove(i);
        gcEffectTemplateMgr::Remove(kEffectSlot);
    }

    // The template read from the desc into the slot, its items reset.
    IT* Load(const datagen::ItemTemplateDesc& d, int slot = 1, uint32_t v = IT::kVersion)
    {
        IT* p = m_pool.New<IT>();
        EXPECT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::ItemTemplateBlock(w, d, v); }, p));
        gcItemTemplateMgr::Add(slot, p, static_cast<uint16_t>(0x40 + slot));
        p->ResetInstances();
        return p;
    }
    gcTestEntity* Carrier() { return PlacedEntity(m_pCarrierTemplate, {0, 0, 0}); }
    static float Health(const gcEntity* e) { return e->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH]; }
    static float HealthMax(const gcEntity* e) { return e->m_fEntityStatsMax[gcEntityTemplate::STAT_HEALTH]; }
    static float Armor(const gcEntity* e) { return e->m_fEntityStatsCur[gcEntityTemplate::STAT_ARMOR]; }
    static uint32_t Material(const gcEntity* e, int slot) { return e->m_model.m_pDrawInfos[slot].hMaterial.m_nValue; }

    gcTestEntityTemplate* m_pCarrierTemplate = nullptr;
    gcEffectTemplateHandle m_hGlow;
};

datagen::ItemTemplateDesc Plain(const char* name, int32_t maxCount, uint16_t flags = 0)
{
    datagen::ItemTemplateDesc d;
    d.name = name;
    d.maxCount = maxCount;
    d.flags = flags;
    d.categoryMask = 0x1;
    return d;
}

TEST_F(gcItemTest, PoolSizeFollowsStackingAndMaximum)
{
    struct Row {
        const char* name;
        uint16_t flags;
        int32_t maxCount;
        int expectedPool, expectedMax;
    };
    const Row rows[] = {
        {"stackable holds one item of any count", IT::kStackable, 10, 1, 10},
        {"one item per count", 0, 10, 10, 10},
        {"a pool of one", 0, 1, 1, 1},
    };
    int slot = 1;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestLogCapture quiet;
        IT* t = Load(Plain("Gem", r.maxCount, r.flags), slot++);
        EXPECT_EQ(t->GetNumInstances(), r.expectedPool);
        EXPECT_EQ(t->m_nMaxCount, r.expectedMax);
    }
}

TEST_F(gcItemTest, SetCountClampsToTheTemplateMaximum)
{
    IT* t = Load(Plain("Arrow", 10, IT::kStackable));
    gcItem* item = t->GetInstance();
    const std::pair<int, int> rows[] = {{-5, 0}, {0, 0}, {7, 7}, {10, 10}, {11, 10}};
    for (const auto& [in, out] : rows) {
        item->SetCount(in);
        EXPECT_EQ(item->m_nCount, out) << in;
    }
    gcItem loose;  // no template: stored as given
    loose.SetCount(-5);
    EXPECT_EQ(loose.m_nCount, -5);
}

TEST_F(gcItemTest, StacksMergeAndReturnToThePoolAtZero)
{
    IT* t = Load(Plain("Arrow", 10, IT::kStackable));
    gcEntity* e = Carrier();
    gcItem* item = t->GetInstance();
    e->AddItem(item, 2);
    EXPECT_EQ(t->GetInstance(), nullptr) << "the only item is held";
    e->AddItem(item, 3);
    EXPECT_EQ(e->m_pItems, item);
    EXPECT_EQ(item->m_pNextSiblingItem, item) << "still one item";
    EXPECT_EQ(item->m_nCount, 5);
    e->RemoveItem(item, 4);
    EXPECT_EQ(item->m_nCount, 1);
    EXPECT_EQ(item->m_pParentEntity, e);
    e->RemoveItem(item, 1);
    EXPECT_EQ(e->m_pItems, nullptr);
    EXPECT_EQ(item->m_nCount, 0);
    EXPECT_EQ(t->GetInstance(), item);
}

TEST_F(gcItemTest, CountsItemsAndStacksUnderACategoryMask)
{
    datagen::ItemTemplateDesc sword = Plain("Sword", 3), gem = Plain("Gem", 9, IT::kStackable);
    sword.categoryMask = 0x2;
    gem.categoryMask = 0x4;
    IT* swords = Load(sword, 1);
    IT* gems = Load(gem, 2);
    gcEntity* e = Carrier();
    gcItem* s1 = swords->GetInstance();
    e->AddItem(s1, 1);
    e->AddItem(swords->GetInstance(), 1);
    gcItem* g = gems->GetInstance();
    e->AddItem(g, 2);
    s1->AddChild(g);  // nesting empties the stack...
    e->AddItem(g, 5);  // ...and adding more grows it where it is
    struct Row {
        const char* name;
        gcItemTemplateHandle h;
        bool bNested, bItems;
        uint32_t mask;
        gcItem* under;
        int expected;
    };
    const Row rows[] = {
        {"swords", swords->m_handle, false, true, 0xFF, nullptr, 2},
        {"any template, items", {}, true, true, 0x6, nullptr, 3},
        {"any template, stacks", {}, true, false, 0x6, nullptr, 7},
        {"without nesting the gem is not seen", gems->m_handle, false, true, 0x4, nullptr, 0},
        {"nested below a match only", {}, true, true, 0x4, nullptr, 0},
        {"under the sword", gems->m_handle, false, false, 0x4, s1, 5},
        {"mask shares no bit", swords->m_handle, true, true, 0x1, nullptr, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(e->GetItemCount(r.h, r.bNested, r.bItems, r.mask, r.under), r.expected) << r.name;
    EXPECT_EQ(e->GetAttachedItemCount(gems->m_handle, swords->m_handle), 1);
    EXPECT_EQ(e->GetAttachedItemCount(swords->m_handle, gems->m_handle), 0);
    EXPECT_EQ(e->HasItem(gems->m_handle, false), nullptr);
    EXPECT_EQ(e->HasItem(gems->m_handle, true), g);
}

TEST_F(gcItemTest, CanAddItemKeepsToTheMaximum)
{
    datagen::ItemTemplateDesc key = Plain("Key", 2);
    key.categoryMask = 0;  // a template of no category still counts
    IT* keys = Load(key, 1);
    IT* arrows = Load(Plain("Arrow", 10, IT::kStackable), 2);
    gcEntity* e = Carrier();
    EXPECT_FALSE(e->CanAddItem(gcItemTemplateHandle(0x12345), 1)) << "no template";
    EXPECT_TRUE(e->CanAddItem(keys->m_handle, 5)) << "none held";
    gcItem* k = keys->GetInstance();
    e->AddItem(k, 1);
    EXPECT_TRUE(e->CanAddItem(keys->m_handle, 1));
    EXPECT_FALSE(e->CanAddItem(keys->m_handle, 2));
    e->AddItem(arrows->GetInstance(), 8);
    EXPECT_TRUE(e->CanAddItem(arrows->m_handle, 2));
    EXPECT_FALSE(e->CanAddItem(arrows->m_handle, 3));
}

// Health has a maximum, Armor does not.
TEST_F(gcItemTest, ModifiersMoveStatsWhileOwnedOrEquipped)
{
    struct Row {
        const char* name;
        datagen::ItemStatModifierDesc mod;
        float healthOwned, healthMaxOwned, armorOwned;
        float healthEquipped, healthMaxEquipped, armorEquipped;
        float healthAfter, healthMaxAfter, armorAfter;
    };
    const Row rows[] = {
        {"health maximum +20 while equipped", {Mod::MOD_EQUIP, Mod::MOD_ENTITY, 0, 20}, 100, 100, 0, 100, 120, 0, 100,
         100, 0},
        {"armor +5 while owned", {Mod::MOD_POSESS, Mod::MOD_ENTITY, 1, 5}, 100, 100, 5, 100, 100, 5, 100, 100, 0},
        {"health maximum -150 clamps at 0", {Mod::MOD_EQUIP, Mod::MOD_ENTITY, 0, -150}, 100, 100, 0, 0, -50, 0, 0,
         100, 0},
        {"a stat out of range does nothing", {Mod::MOD_POSESS, Mod::MOD_ENTITY, 4, 5}, 100, 100, 0, 100, 100, 0, 100,
         100, 0},
        {"a huge stat index does nothing", {Mod::MOD_EQUIP, Mod::MOD_ENTITY, 0xFFFFFFFF, 5}, 100, 100, 0, 100, 100, 0,
         100, 100, 0},
        {"a creature stat on an entity does nothing", {Mod::MOD_POSESS, Mod::MOD_CREATURE, 1, 5}, 100, 100, 0, 100,
         100, 0, 100, 100, 0},
    };
    int slot = 1;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        datagen::ItemTemplateDesc d = Plain("Charm", 1);
        d.modifiers[1] = r.mod;
        gcItem* item = Load(d, slot++)->GetInstance();
        gcEntity* e = Carrier();
        e->AddItem(item, 1);
        EXPECT_EQ(Health(e), r.healthOwned);
        EXPECT_EQ(HealthMax(e), r.healthMaxOwned);
        EXPECT_EQ(Armor(e), r.armorOwned);
        item->Equip();
        EXPECT_EQ(Health(e), r.healthEquipped);
        EXPECT_EQ(HealthMax(e), r.healthMaxEquipped);
        EXPECT_EQ(Armor(e), r.armorEquipped);
        item->Equip();  // equipped already: nothing applied twice
        EXPECT_EQ(HealthMax(e), r.healthMaxEquipped);
        e->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] = HealthMax(e);  // healed up to the raised maximum
        item->Detach();
        EXPECT_FALSE(item->IsEquipped());
        item->Unequip();  // not equipped: nothing removed twice
        EXPECT_EQ(Health(e), r.healthAfter);
        EXPECT_EQ(HealthMax(e), r.healthMaxAfter);
        EXPECT_EQ(Armor(e), r.armorAfter);
    }
}

TEST_F(gcItemTest, EquippingChangesTheSkinSlotOnlyForAcceptingCarriers)
{
    struct Row {
        const char* name;
        int32_t skin;
        uint32_t category, attachMask;
        uint32_t equipped;  // slot 1's material while equipped
    };
    const Row rows[] = {
        {"skin 2, slot 1", 2, 0x1, 0xFFFFFFFF, 0x201},
        {"no skin change", -1, 0x1, 0xFFFFFFFF, 0x001},
        {"the carrier takes no such category", 2, 0x1, 0x6, 0x001},
    };
    int slot = 1;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_pCarrierTemplate->nAttachItemMask = r.attachMask;
        datagen::ItemTemplateDesc d = Plain("Cloak", 1);
        d.changeSkin = r.skin;
        d.changeSkinSlot = 1;
        d.categoryMask = r.category;
        d.modifiers[0] = {Mod::MOD_POSESS, Mod::MOD_ENTITY, 1, 5};
        d.modifiers[2] = {Mod::MOD_EQUIP, Mod::MOD_ENTITY, 0, 20};
        gcItem* item = Load(d, slot++)->GetInstance();
        gcEntity* e = Carrier();
        e->AddItem(item, 1);
        item->Equip();
        EXPECT_EQ(Material(e, 1), r.equipped);
        EXPECT_EQ(Material(e, 0), 0x000u);
        item->Detach();  // both kinds of modifier and the skin go
        EXPECT_EQ(Material(e, 1), 0x001u);
        EXPECT_EQ(Armor(e), 0.0f);
        EXPECT_EQ(HealthMax(e), 100.0f);
    }
}

TEST_F(gcItemTest, EquipEffectsAttachOnlyAtAnExistingNodeOfAnAcceptingCarrier)
{
    struct Row {
        const char* name;
        const char* node;
        uint32_t attachMask;
        bool attached;
    };
    const Row rows[] = {
        {"named node, shared mask", "hips", 0x1, true},
        {"the mesh's first node", "root", 0x1, true},
        {"empty node name", "", 0x1, false},
        {"the model has no such node", "tail", 0x1, false},
        {"no shared category", "hips", 0x2, false},
    };
    int slot = 1;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_pCarrierTemplate->nAttachItemMask = r.attachMask;
        datagen::ItemTemplateDesc d = Plain("Torch", 1);
        d.effects[0] = m_hGlow.m_nValue;  // the display: never built on the item
        d.effects[2] = m_hGlow.m_nValue;  // slot 1 stays empty
        d.nodes[2] = r.node;
        d.modifiers[0] = {Mod::MOD_EQUIP, Mod::MOD_ENTITY, 1, 2};
        gcItem* item = Load(d, slot++)->GetInstance();
        ASSERT_EQ(item->m_pEffects[0], nullptr);
        ASSERT_EQ(item->m_pEffects[1], nullptr);
        gcEffect* glow = item->m_pEffects[2];
        ASSERT_NE(glow, nullptr);
        EXPECT_NE(glow->m_nFlags & gcEffect::kItemOwned, 0);
        EXPECT_STREQ(glow->m_name.m_sData, "glow");
        gcEntity* e = Carrier();
        ASSERT_TRUE(e->Enable());  // an active carrier in a zone: its effects run
        e->m_nEntityFlags &= static_cast<uint16_t>(~(gcEntity::kDeactivated | gcEntity::kFrozen));
        e->AddItem(item, 1);
        item->Equip();
        EXPECT_TRUE(item->IsEquipped()) << "equipped with or without its effects";
        EXPECT_EQ(Armor(e), 2.0f);
        EXPECT_EQ(glow->m_pParentEntity, r.attached ? e : nullptr);
        EXPECT_EQ(glow->IsRunning(), r.attached);
        EXPECT_EQ(e->HasEffect(m_hGlow), r.attached ? glow : nullptr);
        item->Unequip();
        EXPECT_EQ(glow->m_pParentEntity, nullptr);
        EXPECT_EQ(e->m_pEffects, nullptr);
        EXPECT_NE(glow->m_nFlags & gcEffect::kDeactivated, 0);
    }
}

TEST_F(gcItemTest, ANestedItemShowsItsEffectsInsideItsParents)
{
    m_pCarrierTemplate->nAttachItemMask = 0x1;
    datagen::ItemTemplateDesc d = Plain("Lamp", 2);
    d.effects[1] = m_hGlow.m_nValue;
    d.nodes[1] = "hips";
    IT* t = Load(d);
    gcItem* parent = t->GetInstance();
    gcEntity* e = Carrier();
    e->AddItem(parent, 1);
    parent->Equip();
    gcItem* child = t->GetInstance();
    parent->AddChild(child);
    EXPECT_TRUE(child->IsEquipped()) << "combining into an equipped item equips the child";
    EXPECT_EQ(child->m_pEffects[1]->m_pParentEffect, parent->m_pEffects[1]);
    EXPECT_EQ(e->GetEffectCount(m_hGlow, false, nullptr), 1);
    EXPECT_EQ(e->GetEffectCount(m_hGlow, true, nullptr), 2);
    EXPECT_EQ(e->GetEffectCount({}, true, parent->m_pEffects[1]), 1);
}

TEST_F(gcItemTest, NestedItemsKeepTheCarrierAndRemoveOnlyAppliedPossessionModifiers)
{
    datagen::ItemTemplateDesc d = Plain("Rune", 2);
    d.modifiers[0] = {Mod::MOD_POSESS, Mod::MOD_ENTITY, 1, 5};
    IT* t = Load(d);
    gcEntity* e = Carrier();
    gcItem* parent = t->GetInstance();
    e->AddItem(parent, 1);
    gcItem* child = t->GetInstance();
    e->AddItem(child, 1);
    EXPECT_EQ(Armor(e), 10.0f);
    parent->AddChild(child);
    EXPECT_EQ(Armor(e), 5.0f) << "nesting took the child out of the carrier's ring";
    EXPECT_EQ(child->m_pParentEntity, e);
    EXPECT_EQ(e->m_pItems, parent);
    EXPECT_EQ(parent->m_pNextSiblingItem, parent);
    child->Detach();
    EXPECT_EQ(Armor(e), 5.0f) << "a nested item had no possession modifiers to remove";
    EXPECT_EQ(e->m_pItems, parent);
    EXPECT_EQ(child->m_pParentEntity, nullptr);
    parent->AddChild(parent);  // never inside itself
    EXPECT_EQ(parent->m_pParentItem, nullptr);
    parent->AddChild(child);
    child->AddChild(parent);  // nor inside its own nesting
    EXPECT_EQ(parent->m_pParentItem, nullptr);
}

TEST_F(gcItemTest, NestedItemsMoveWithTheirParentToAnotherCarrier)
{
    datagen::ItemTemplateDesc d = Plain("Gem", 2);
    d.modifiers[0] = {Mod::MOD_EQUIP, Mod::MOD_ENTITY, 1, 3};
    IT* t = Load(d);
    gcEntity* a = Carrier();
    gcEntity* b = Carrier();
    gcItem* parent = t->GetInstance();
    a->AddItem(parent, 1);
    gcItem* child = t->GetInstance();
    parent->AddChild(child);
    b->AddItem(parent, 1);
    EXPECT_EQ(child->m_pParentEntity, b);
    parent->Equip();
    EXPECT_EQ(Armor(a), 0.0f);
    EXPECT_EQ(Armor(b), 6.0f);
}

TEST_F(gcItemTest, ResettingAPoolTakesItsItemsFromTheCarrier)
{
    cMemPool other{"itemTestOther", 0x40000, false};
    IT* kept = Load(Plain("Kept", 2), 1);
    IT* gone = m_pool.New<IT>();
    gcItemTemplateMgr::Add(2, gone, 0x42);
    gone->SetMaxInstances(2, &other);
    gcEntity* e = Carrier();
    gcItem* k = kept->GetInstance();
    e->AddItem(k, 1);
    e->AddItem(gone->GetInstanceAt(0), 1);
    k->AddChild(gone->GetInstanceAt(1));
    e->OnMemPoolReset(&other);
    EXPECT_EQ(e->m_pItems, k);
    EXPECT_EQ(k->m_pNextSiblingItem, k);
    EXPECT_EQ(k->m_pFirstChildItem, nullptr);
    gcItemTemplateMgr::Remove(2);  // its items die with the pool
}

TEST_F(gcItemTest, ADestroyedCarrierLetsGoOfItsItems)
{
    datagen::ItemTemplateDesc d = Plain("Rune", 1);
    d.modifiers[0] = {Mod::MOD_POSESS, Mod::MOD_ENTITY, 1, 5};
    IT* t = Load(d);
    gcEntity* e = Carrier();
    gcItem* item = t->GetInstance();
    e->AddItem(item, 1);
    m_entities.clear();
    std::destroy_at(e);
    EXPECT_EQ(item->m_pParentEntity, nullptr);
    EXPECT_EQ(t->GetInstance(), item);
}

TEST_F(gcItemTest, OlderVersionsLeaveTheNewerFieldsAtTheirDefaults)
{
    datagen::ItemTemplateDesc d = Plain("Old", 3);
    d.modifiers[0] = {Mod::MOD_EQUIP, Mod::MOD_ENTITY, 0, 20};
    d.changeSkin = 1;
    d.viewHPR[0] = 30, d.viewHPR[1] = 40, d.viewHPR[2] = 50;
    d.visRadius = 2.0f;
    d.categoryMask = 0x8;
    IT* v1 = Load(d, 1, 1);
    EXPECT_EQ(v1->m_statModifiers[0].type, Mod::MOD_NONE);
    EXPECT_EQ(v1->m_nChangeSkin, -1);
    EXPECT_EQ(v1->m_nCategoryMask, 0u);
    IT* v4 = Load(d, 2, 4);
    EXPECT_EQ(v4->m_statModifiers[0].fValue, 20.0f);
    EXPECT_EQ(v4->m_nCategoryMask, 0x8u);
    EXPECT_EQ(v4->m_viewHPR[1], 40.0f);
    EXPECT_EQ(v4->m_viewHPR[2], 0.0f) << "no roll before version 6";
    EXPECT_EQ(v4->m_fVisRadiusModifier, 0.0f) << "no view distance before version 5";
}

}  // namespace
