#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../entities/entityTestObjects.h"
#include "datagen/actionWriters.h"
#include "datagen/itemWriters.h"
#include "gcGameCore/actions/gcDoEntityCombineItem.h"
#include "gcGameCore/actions/gcDoEntityEquipItem.h"
#include "gcGameCore/actions/gcDoEntityGiveItem.h"
#include "gcGameCore/actions/gcDoEntityTakeItem.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

constexpr int kStackSlot = 1;
constexpr int kPlainSlot = 2;
const gcDesiredEntity kInitiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.fConst = f;
    return v;
}

class gcItemActionsTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        gcDoEntityCombineItem::s_pFirstItem = nullptr;
        m_pCarrierTemplate = PlaceTemplate();
        m_pStack = Load("coins", kStackSlot, 10, gcItemTemplate::kStackable);
        m_pPlain = Load("gem", kPlainSlot, 3, 0);
        m_pCarrier = PlacedEntity(m_pCarrierTemplate, {0, 0, 0});
        m_params.pInitiator = m_pCarrier;
    }
    void TearDown() override
    {
        gcDoEntityCombineItem::s_pFirstItem = nullptr;
        EntityWorldTest::TearDown();
        for (int i = 0; i < gcItemTemplateMgr::kSlots; ++i)
            gcItemTemplateMgr::Remove(i);
    }

    gcItemTemplate* Load(const char* name, int slot, int32_t maxCount, uint16_t flags)
    {
        datagen::ItemTemplateDesc d;
        d.name = name;
        d.maxCount = maxCount;
        d.flags = flags;
        d.categoryMask = 0x1;
        auto* p = m_pool.New<gcItemTemplate>();
        EXPECT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::ItemTemplateBlock(w, d, gcItemTemplate::kVersion); }, p));
        gcItemTemplateMgr::Add(slot, p, static_cast<uint16_t>(0x40 + slot));
        p->ResetInstances();
        return p;
    }
    static gcDesiredItem Specific(const gcItemTemplate* p) { return gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, p->m_handle); }
    int Held(const gcItemTemplate* p, bool bCountItems = false)
    {
        return m_pCarrier->GetItemCount(p->m_handle, true, bCountItems, 0xFFFFFFFF, nullptr);
    }
    static std::string Text(const gcAction& a)
    {
        char buf[gcScriptText::kSize] = {};
        a.GetText(buf);
        return buf;
    }

    gcTestEntityTemplate* m_pCarrierTemplate = nullptr;
    gcItemTemplate* m_pStack = nullptr;  // stackable, at most 10
    gcItemTemplate* m_pPlain = nullptr;  // three pooled items
    gcTestEntity* m_pCarrier = nullptr;
    gcEventParams m_params;
};

// Counts truncate toward zero; a stack grows; single items come from the
// pool while it has free ones; a give over the maximum gives nothing.
TEST_F(gcItemActionsTest, GiveAddsToTheStackOrTakesPooledItems)
{
    const struct {
        const char* name;
        bool bStack;
        int32_t nHeld;  // given first
        float count;
        int32_t nAfter;  // stack count, or items held
    } rows[] = {
        {"3 more on a held stack", true, 2, 3.0f, 5},
        {"2.7 gives 2", true, 2, 2.7f, 4},
        {"a new stack", true, 0, 4.0f, 4},
        {"past the maximum: none at all", true, 8, 3.0f, 8},
        {"up to the maximum", true, 8, 2.0f, 10},
        {"three pooled items", false, 0, 3.0f, 3},
        {"the pool runs out", false, 0, 5.0f, 3},
        {"2.7 items", false, 0, 2.7f, 2},
        {"refused over the maximum", false, 1, 3.0f, 1},
        {"a negative count gives nothing", false, 0, -2.0f, 0},
        {"0 starts no stack", true, 0, 0.0f, 0},
        {"a negative count starts no stack", true, 0, -2.0f, 0},
        {"not a number gives nothing", true, 2, NAN, 2},
        {"1e10 is past the maximum", true, 2, 1e10f, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcItemTemplate* pTemplate = row.bStack ? m_pStack : m_pPlain;
        while (m_pCarrier->m_pItems)
            m_pCarrier->RemoveItem(m_pCarrier->m_pItems, 100);
        if (row.nHeld > 0)
            gcDoEntityGiveItem(kInitiator, Specific(pTemplate), Number(static_cast<float>(row.nHeld))).Apply(m_params);
        gcDoEntityGiveItem(kInitiator, Specific(pTemplate), Number(row.count)).Apply(m_params);
        EXPECT_EQ(Held(pTemplate, !row.bStack), row.nAfter);
        if (row.bStack) {
            EXPECT_EQ(Held(pTemplate, true), row.nAfter > 0 ? 1 : 0);  // always one item
        }
    }
}

TEST_F(gcItemActionsTest, GiveOfADesignatedItem)
{
    gcItem* pGem = m_pPlain->GetInstanceAt(2);
    m_params.pParticipant1 = pGem;
    const gcDesiredItem first = gcDesiredItem::Selecting(gcDesiredItem::PARTICIPANT1);
    gcDoEntityGiveItem(kInitiator, first, Number(3.0f)).Apply(m_params);
    EXPECT_EQ(pGem->m_pParentEntity, m_pCarrier);
    EXPECT_EQ(Held(m_pPlain, true), 1);  // added once, whatever the count
    // A stackable item of the event with a held stack: the stack grows.
    gcDoEntityGiveItem(kInitiator, Specific(m_pStack), Number(2.0f)).Apply(m_params);
    m_params.pParticipant1 = m_pStack->GetInstanceAt(0);
    gcDoEntityGiveItem(kInitiator, first, Number(3.0f)).Apply(m_params);
    EXPECT_EQ(Held(m_pStack), 5);
    // No entity, or an object that is no item and no template: nothing.
    m_params.pParticipant1 = m_pCarrier;
    gcDoEntityGiveItem(kInitiator, first, Number(1.0f)).Apply(m_params);
    gcDoEntityGiveItem(gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT2), Specific(m_pPlain), Number(1.0f))
        .Apply(m_params);
    EXPECT_EQ(Held(m_pPlain, true), 1);
}

TEST_F(gcItemActionsTest, TakeFromTheCarrierOrTheEntity)
{
    gcDoEntityGiveItem(kInitiator, Specific(m_pStack), Number(6.0f)).Apply(m_params);
    gcDoEntityGiveItem(kInitiator, Specific(m_pPlain), Number(2.0f)).Apply(m_params);
    gcItem* pLoose = m_pPlain->GetInstance();  // the third lies in the world
    ASSERT_NE(pLoose, nullptr);
    const gcDesiredItem first = gcDesiredItem::Selecting(gcDesiredItem::PARTICIPANT1);
    const struct {
        const char* name;
        gcDesiredItem item;
        gcGameObject* pParticipant1;
        float count;
        int32_t nStack, nGems;
    } rows[] = {
        {"2.7 from the stack", Specific(m_pStack), nullptr, 2.7f, 4, 2},
        {"-20 does not raise the stack", Specific(m_pStack), nullptr, -20.0f, 4, 2},
        {"not a number takes nothing", Specific(m_pStack), nullptr, NAN, 4, 2},
        {"0 gems: none", Specific(m_pPlain), nullptr, 0.0f, 4, 2},
        {"a world item: nothing", first, pLoose, 1.0f, 4, 2},
        {"a carried item: from its carrier", first, m_pPlain->GetInstanceAt(0), 1.0f, 4, 1},
        {"one gem", Specific(m_pPlain), nullptr, 5.0f, 4, 0},
        {"no gem left", Specific(m_pPlain), nullptr, 1.0f, 4, 0},
        {"the whole stack", Specific(m_pStack), nullptr, 4.0f, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_params.pParticipant1 = row.pParticipant1;
        gcDoEntityTakeItem(kInitiator, row.item, Number(row.count)).Apply(m_params);
        EXPECT_EQ(Held(m_pStack), row.nStack);
        EXPECT_EQ(Held(m_pPlain, true), row.nGems);
    }
    EXPECT_EQ(pLoose->m_pParentEntity, nullptr);
}

// Counts past the int range stay at its end instead of wrapping round.
TEST_F(gcItemActionsTest, InventoryCountsSaturate)
{
    m_pStack->m_nMaxCount = INT32_MAX;
    gcItem* pStack = m_pStack->GetInstance();
    m_pCarrier->AddItem(pStack, 5);
    EXPECT_FALSE(m_pCarrier->CanAddItem(m_pStack->m_handle, INT32_MAX));
    EXPECT_TRUE(m_pCarrier->CanAddItem(m_pStack->m_handle, INT32_MAX - 5));
    m_pCarrier->AddItem(pStack, INT32_MAX);
    EXPECT_EQ(pStack->m_nCount, INT32_MAX);
    m_pCarrier->RemoveItem(pStack, INT32_MIN);
    EXPECT_EQ(pStack->m_nCount, INT32_MAX);
    m_pCarrier->RemoveItem(pStack, INT32_MAX - 1);
    EXPECT_EQ(pStack->m_nCount, 1);
}

TEST_F(gcItemActionsTest, EquipAndUnequip)
{
    gcDoEntityGiveItem(kInitiator, Specific(m_pPlain), Number(1.0f)).Apply(m_params);
    gcItem* pGem = m_pCarrier->HasItem(m_pPlain->m_handle, false);
    ASSERT_NE(pGem, nullptr);
    gcDoEntityEquipItem(kInitiator, Specific(m_pPlain), true).Apply(m_params);
    EXPECT_TRUE(pGem->IsEquipped());
    m_params.pParticipant2 = pGem;
    gcDoEntityEquipItem(kInitiator, gcDesiredItem::Selecting(gcDesiredItem::PARTICIPANT2), false).Apply(m_params);
    EXPECT_FALSE(pGem->IsEquipped());
    // A template the entity does not hold: nothing.
    gcDoEntityEquipItem(kInitiator, Specific(m_pStack), true).Apply(m_params);
    EXPECT_FALSE(pGem->IsEquipped());
}

TEST_F(gcItemActionsTest, CombineInTwoSteps)
{
    gcDoEntityGiveItem(kInitiator, Specific(m_pPlain), Number(2.0f)).Apply(m_params);
    gcItem* pA = m_pPlain->GetInstanceAt(0);
    gcItem* pB = m_pPlain->GetInstanceAt(1);
    const gcDesiredItem first = gcDesiredItem::Selecting(gcDesiredItem::PARTICIPANT1);
    const gcDesiredItem combined = gcDesiredItem::Selecting(gcDesiredItem::COMBINE_ITEM);
    auto combine = [&](gcItem* pItem, const gcDesiredItem& which = gcDesiredItem::Selecting(gcDesiredItem::PARTICIPANT1)) {
        m_params.pParticipant1 = pItem;
        gcDoEntityCombineItem(kInitiator, which, false).Apply(m_params);
    };
    const gcDoEntityCombineItem cancel(kInitiator, first, true);

    combine(pA);
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, pA);
    EXPECT_EQ(combined.GetItem(m_params), pA);
    combine(nullptr);  // finds nothing: still pending
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, pA);
    combine(pA);  // itself: ends without nesting
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, nullptr);
    EXPECT_EQ(pA->m_pFirstChildItem, nullptr);
    combine(pA, combined);  // nothing pending: the combine reference names nothing
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, nullptr);

    combine(pB);
    cancel.Apply(m_params);
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, nullptr);
    combine(pA);  // a new combination
    combine(pB);
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, nullptr);
    EXPECT_EQ(pA->m_pFirstChildItem, pB);
    EXPECT_EQ(Held(m_pPlain, true), 2);
}

// A pending item that leaves the inventory, alone or inside another item,
// ends the combination: no free item takes the next one in.
TEST_F(gcItemActionsTest, APendingItemThatLeavesTheInventoryIsForgotten)
{
    gcDoEntityGiveItem(kInitiator, Specific(m_pPlain), Number(3.0f)).Apply(m_params);
    gcItem* pA = m_pPlain->GetInstanceAt(0);
    gcItem* pB = m_pPlain->GetInstanceAt(1);
    gcItem* pC = m_pPlain->GetInstanceAt(2);
    auto combine = [&](gcItem* pItem) {
        m_params.pParticipant1 = pItem;
        gcDoEntityCombineItem(kInitiator, gcDesiredItem::Selecting(gcDesiredItem::PARTICIPANT1), false).Apply(m_params);
    };
    combine(pA);
    m_pCarrier->RemoveItem(pA, 1);
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, nullptr);
    combine(pB);
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, pB);
    EXPECT_EQ(pA->m_pFirstChildItem, nullptr);

    combine(pC);  // C in B
    ASSERT_EQ(pC->m_pParentItem, pB);
    combine(pC);
    ASSERT_EQ(gcDoEntityCombineItem::s_pFirstItem, pC);
    m_pCarrier->RemoveItem(pB, 1);  // C leaves with it
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, nullptr);
}

// By template, only the entity's own items count, not nested ones.
TEST_F(gcItemActionsTest, CombineByTemplateFindsOnlyTopLevelItems)
{
    gcDoEntityGiveItem(kInitiator, Specific(m_pPlain), Number(1.0f)).Apply(m_params);
    gcDoEntityGiveItem(kInitiator, Specific(m_pStack), Number(1.0f)).Apply(m_params);
    gcItem* pGem = m_pPlain->GetInstanceAt(0);
    gcItem* pCoins = m_pStack->GetInstanceAt(0);
    gcDoEntityCombineItem(kInitiator, Specific(m_pPlain), false).Apply(m_params);
    gcDoEntityCombineItem(kInitiator, Specific(m_pStack), false).Apply(m_params);
    ASSERT_EQ(pGem->m_pFirstChildItem, pCoins);
    gcDoEntityCombineItem(kInitiator, Specific(m_pStack), false).Apply(m_params);
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, nullptr);
}

// The pending item is forgotten when its pool is reset or it is destroyed,
// and a notification installed before is still told.
TEST_F(gcItemActionsTest, APendingItemDoesNotOutliveItsPool)
{
    static int s_nOther = 0;
    s_nOther = 0;
    const auto previous = cMemPool::SetResetNotify([](const cMemPool*) { ++s_nOther; });
    cMemPool pool{"itemActionsTest", 0x1000, false};
    gcItem* pItem = pool.New<gcItem>();
    m_params.pParticipant1 = pItem;
    const gcDesiredItem first = gcDesiredItem::Selecting(gcDesiredItem::PARTICIPANT1);
    gcDoEntityCombineItem(kInitiator, first, false).Apply(m_params);
    ASSERT_EQ(gcDoEntityCombineItem::s_pFirstItem, pItem);
    m_pool.Alloc(16);
    gcDoEntityCombineItem::HandlePoolReset(&m_pool);  // another pool
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, pItem);
    std::destroy_at(pItem);
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, nullptr);

    pItem = pool.New<gcItem>();
    m_params.pParticipant1 = pItem;
    gcDoEntityCombineItem(kInitiator, first, false).Apply(m_params);
    pool.Reset();
    EXPECT_EQ(gcDoEntityCombineItem::s_pFirstItem, nullptr);
    EXPECT_EQ(s_nOther, 1);
    cMemPool::SetResetNotify(previous);
}

class gcItemActionsReadTest : public gcItemActionsTest {
protected:
    template <class T>
    T* LoadAction(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        T* p = m_pool.New<T>();
        const bool bRead = ReadBlock(
            [&](datagen::BlockWriter& w) {
                datagen::ActionBlock(w, version);
                fields(w);
                w.End();
            },
            p);
        return bRead ? p : nullptr;
    }
};

TEST_F(gcItemActionsReadTest, OldEquipBlocksNameATemplateAndVersion1Unequips)
{
    const struct {
        uint32_t version;
        bool bEquip;
    } rows[] = {{1, false}, {2, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        auto* p = LoadAction<gcDoEntityEquipItem>(row.version, [&](datagen::BlockWriter& w) {
            w.Int(gcDesiredEntity::PARTICIPANT1).Int(0).Int(0x00410001);
            if (row.version == 2)
                w.Int(1);
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->desiredEntity.desiredEntity, gcDesiredEntity::PARTICIPANT1);
        EXPECT_EQ(p->desiredItem.desiredItem, gcDesiredItem::SPECIFIC);
        EXPECT_EQ(p->desiredItem.hSpecificItemTemplate.m_nValue, 0x00410001u);
        EXPECT_EQ(p->bEquip, row.bEquip);
    }
    // Version 3: the selector comes before the handle.
    auto* p3 = LoadAction<gcDoEntityEquipItem>(3, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::PLAYER).Int(0).Int(gcDesiredItem::COMBINE_ITEM).Int(0x00410001).Int(1);
    });
    ASSERT_NE(p3, nullptr);
    EXPECT_EQ(p3->desiredItem.desiredItem, gcDesiredItem::COMBINE_ITEM);
    EXPECT_EQ(p3->desiredItem.hSpecificItemTemplate.m_nValue, 0x00410001u);
}

// Versions outside each class's range and blocks cut short are refused.
TEST_F(gcItemActionsReadTest, RefusedBlocks)
{
    const auto give = [](datagen::BlockWriter& w) { w.Int(0).Int(0).Int(0).Int(0).Int(2); };
    const auto equip = [](datagen::BlockWriter& w) { w.Int(0).Int(0).Int(0).Int(0).Int(1); };
    const auto cut = [](datagen::BlockWriter& w) { w.Int(0).Int(0).Int(0); };
    const struct {
        const char* name;
        std::function<bool()> loaded;
    } rows[] = {
        {"give v2", [&] { return LoadAction<gcDoEntityGiveItem>(2, give) != nullptr; }},
        {"give v5", [&] { return LoadAction<gcDoEntityGiveItem>(5, give) != nullptr; }},
        {"give cut short", [&] { return LoadAction<gcDoEntityGiveItem>(3, cut) != nullptr; }},
        {"take v2", [&] { return LoadAction<gcDoEntityTakeItem>(2, give) != nullptr; }},
        {"take v5", [&] { return LoadAction<gcDoEntityTakeItem>(5, give) != nullptr; }},
        {"take cut short", [&] { return LoadAction<gcDoEntityTakeItem>(3, cut) != nullptr; }},
        {"equip v0", [&] { return LoadAction<gcDoEntityEquipItem>(0, equip) != nullptr; }},
        {"equip v4", [&] { return LoadAction<gcDoEntityEquipItem>(4, equip) != nullptr; }},
        {"equip cut short", [&] { return LoadAction<gcDoEntityEquipItem>(2, cut) != nullptr; }},
        {"combine v0", [&] { return LoadAction<gcDoEntityCombineItem>(0, equip) != nullptr; }},
        {"combine v2", [&] { return LoadAction<gcDoEntityCombineItem>(2, equip) != nullptr; }},
        {"combine cut short", [&] { return LoadAction<gcDoEntityCombineItem>(1, cut) != nullptr; }},
    };
    gcTestLogCapture log;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(row.loaded());
    }
}

TEST_F(gcItemActionsReadTest, Version3CountsAreIntegers)
{
    auto* pGive = LoadAction<gcDoEntityGiveItem>(3, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::PLAYER).Int(0).Int(gcDesiredItem::SPECIFIC).Int(0x00410001).Int(-4);
    });
    auto* pTake = LoadAction<gcDoEntityTakeItem>(3, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(gcDesiredItem::PARTICIPANT2).Int(0).Int(7);
    });
    ASSERT_NE(pGive, nullptr);
    ASSERT_NE(pTake, nullptr);
    EXPECT_EQ(pGive->desiredCount.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_EQ(pGive->desiredCount.fConst, -4.0f);
    EXPECT_EQ(pTake->desiredItem.desiredItem, gcDesiredItem::PARTICIPANT2);
    EXPECT_EQ(pTake->desiredCount.fConst, 7.0f);
}

// The newest give block (4) and the combine block, field by field: the
// count of version 4 is a reference, here the frame's second temporary.
TEST_F(gcItemActionsReadTest, NewestGiveAndCombineBlocksFieldByField)
{
    auto* pGive = LoadAction<gcDoEntityGiveItem>(4, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::SPECIFIC).Word(0x00070002).Int(gcDesiredItem::PARTICIPANT1).Word(0x00410001);
        w.Int(gcDesiredValue::VAL_TEMP).Word(0x00330002).Int(1);
    });
    ASSERT_NE(pGive, nullptr);
    EXPECT_EQ(pGive->desiredEntity.desiredEntity, gcDesiredEntity::SPECIFIC);
    EXPECT_EQ(pGive->desiredEntity.hSpecificEntity.m_nValue, 0x00070002u);
    EXPECT_EQ(pGive->desiredItem.desiredItem, gcDesiredItem::PARTICIPANT1);
    EXPECT_EQ(pGive->desiredItem.hSpecificItemTemplate.m_nValue, 0x00410001u);
    EXPECT_EQ(pGive->desiredCount.desiredValue, gcDesiredValue::VAL_TEMP);
    EXPECT_EQ(pGive->desiredCount.hSpecificKeyValue.m_nValue, 0x00330002u);
    EXPECT_EQ(pGive->desiredCount.nParamIndex, 1);

    auto* pCombine = LoadAction<gcDoEntityCombineItem>(1, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::PLAYER).Word(0x00070002).Int(gcDesiredItem::SPECIFIC).Word(0x00420003).Int(1);
    });
    ASSERT_NE(pCombine, nullptr);
    EXPECT_EQ(pCombine->desiredEntity.desiredEntity, gcDesiredEntity::PLAYER);
    EXPECT_EQ(pCombine->desiredEntity.hSpecificEntity.m_nValue, 0x00070002u);
    EXPECT_EQ(pCombine->desiredItem.desiredItem, gcDesiredItem::SPECIFIC);
    EXPECT_EQ(pCombine->desiredItem.hSpecificItemTemplate.m_nValue, 0x00420003u);
    EXPECT_TRUE(pCombine->bCancel);
}

TEST_F(gcItemActionsTest, Texts)
{
    const gcDesiredEntity player = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    const gcDesiredItem first = gcDesiredItem::Selecting(gcDesiredItem::PARTICIPANT1);
    const gcDesiredItem none = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC);
    const struct {
        std::string text;
        const char* expected;
    } rows[] = {
        {Text(gcDoEntityGiveItem()), "Initiator.GiveItem( [none], 1 )"},
        {Text(gcDoEntityGiveItem(player, gcDesiredItem::Selecting(0), Number(1.0f))), "Player.GiveItem( Initiator, 1 )"},
        {Text(gcDoEntityGiveItem(player, gcDesiredItem::Selecting(4), Number(1.0f))), "Player.GiveItem( , 1 )"},
        {Text(gcDoEntityGiveItem(player, gcDesiredItem::Selecting(-1), Number(1.0f))), "Player.GiveItem( , 1 )"},
        {Text(gcDoEntityGiveItem(player, first, Number(2.5f))), "Player.GiveItem( Participant1, 2.5 )"},
        {Text(gcDoEntityTakeItem()), "Player.TakeItem( [none], 1 )"},
        {Text(gcDoEntityTakeItem(player, first, Number(3.0f))), "TakeItem( Participant1, 3 )"},
        {Text(gcDoEntityEquipItem(kInitiator, Specific(m_pPlain), true)), "Initiator.EquipItem( [gem] )"},
        {Text(gcDoEntityEquipItem()), "Initiator.UnequipItem( [none] )"},
        {Text(gcDoEntityEquipItem(kInitiator, first, false)), "UnequipItem( Participant1 )"},
        {Text(gcDoEntityCombineItem(player, Specific(m_pStack), false)), "Player.CombineItem( [coins] )"},
        {Text(gcDoEntityCombineItem(player, none, true)), "Player.CancelCombine"},
        {Text(gcDoEntityCombineItem(player, gcDesiredItem::Selecting(gcDesiredItem::COMBINE_ITEM), false)),
         "CombineItem( CombineItem1 )"},
        {Text(gcDoEntityCombineItem(player, first, true)), "CancelCombine"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text, row.expected);
}

}  // namespace
