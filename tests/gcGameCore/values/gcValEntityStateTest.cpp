#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "../entities/entityTestObjects.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/actions/gcDoEntityCombineItem.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"
#include "gcGameCore/script/gcLValue.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcStateInfo.h"
#include "gcGameCore/values/gcValEntityAnimationFrame.h"
#include "gcGameCore/values/gcValEntityEffectCount.h"
#include "gcGameCore/values/gcValEntityItemCount.h"
#include "gcGameCore/values/gcValEntityItemEquipped.h"
#include "gcGameCore/values/gcValEntityMode.h"
#include "gcGameCore/values/gcValEntityStat.h"
#include "gcGameCore/values/gcValEntityState.h"
#include "gcGameCore/values/gcValEntityStateCompare.h"
#include "gcGameCore/values/gcValEntityStateTimer.h"
#include "gcGameCore/values/gcValEntityTimeSince.h"
#include "gcGameCore/values/gcValEntityValid.h"
#include "gcGameCore/values/gcValEntityValue.h"

namespace {

using T = gcEntityTemplate;
using Count = gcValEntityItemCount;
const gcDesiredEntity kInitiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
const gcDesiredEntity kParticipant1 = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);

class gcValEntityStateTest : public EntityTest {
protected:
    void SetUp() override
    {
        EntityTest::SetUp();
        m_pTemplate = PlaceTemplate();
        m_pEntity = NewEntity(m_pTemplate);
        m_pEntity->m_hTemplate = m_pTemplate->m_handle;
        m_pEntity->m_nEntityFlags = 0;
        m_params.pInitiator = m_pEntity;
    }
    void TearDown() override
    {
        EntityTest::TearDown();
        for (int i = 0; i < gcItemTemplateMgr::kSlots; ++i)
            gcItemTemplateMgr::Remove(i);
        gcEffectTemplateMgr::Remove(1);
    }

    // The file holds one T whose block is fields after the base block.
    template <class V>
    V* Load(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        const cType* pType = V::GetStaticType();
        const bool bSaved = datagen::WriteObjectBlocksFile(m_data.HostPath("v.dat"), pType->m_nTypeId,
                                                           [&](datagen::BlockWriter& w) {
                                                               datagen::ValueBlock(w, version, pType->IsA(gcLValue::GetStaticType()));
                                                               fields(w);
                                                               w.End();
                                                           });
        return bSaved ? dcast<V>(cBase::Load("/v.dat", &m_pool, pType)) : nullptr;
    }
    static std::string Text(const gcValue& v)
    {
        char buf[gcScriptText::kSize] = {};
        v.GetTextRecursive(buf);
        return buf;
    }
    // An item template in the slot named name, counted in every category.
    gcItemTemplateHandle ItemTemplate(int slot, const char* name)
    {
        gcItemTemplate* p = m_pool.New<gcItemTemplate>();
        p->m_name.Set("%s", name);
        p->m_nCategoryMask = 0x1;
        return gcItemTemplateMgr::Add(slot, p, static_cast<uint16_t>(0x40 + slot));
    }
    // An item of the template with a count, carried by the entity or nested
    // in the parent item.
    gcItem* Item(gcItemTemplateHandle h, int32_t count, gcEntity* pCarrier, gcItem* pParent = nullptr)
    {
        gcItem* p = m_pool.New<gcItem>();
        p->m_hTemplate = h;
        if (pParent)
            pParent->AddChild(p);
        else
            p->AttachToEntity(pCarrier);
        p->m_nCount = count;
        return p;
    }

    gcTestEntityTemplate* m_pTemplate = nullptr;
    gcTestEntity* m_pEntity = nullptr;
    gcEventParams m_params;
};

// A script that runs once a frame sees a moment T of the animation in the
// first frame at or after it: T <= elapsed < T + 20 ticks. The time in
// ticks is truncated, not rounded.
TEST_F(gcValEntityStateTest, AnimationFrameIsTrueInTheFrameThatReachesTheTime)
{
    const struct {
        const char* name;
        float seconds;
        int16_t state;
        int32_t elapsed;
        float expected;
    } rows[] = {
        {"time 0 at the start", 0.0f, 0, 0, 1.0f},
        {"time 0 late in the first frame", 0.0f, 1, 19, 1.0f},
        {"time 0 in the second frame", 0.0f, 1, 20, 0.0f},
        {"just before the moment", 0.5f, 1, 299, 0.0f},
        {"at the moment", 0.5f, 3, 300, 1.0f},
        {"the moment passed within the frame", 0.5f, 1, 319, 1.0f},
        {"a frame later", 0.5f, 1, 320, 0.0f},
        {"29.94 ticks truncate to 29", 0.0499f, 1, 29, 1.0f},
        {"and end after tick 48", 0.0499f, 1, 49, 0.0f},
        {"0.7 s are 420 ticks, not 419", 0.7f, 1, 419, 0.0f},
        {"so the frame lasts to tick 439", 0.7f, 1, 439, 1.0f},
        {"no current animation", 0.0f, -1, 0, 0.0f},
        {"a state index past the model's", 0.0f, 4, 0, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pEntity->m_model.m_nCurAnimationState = row.state;
        for (eModelAnimationState& s : m_pEntity->m_model.m_animationStates)
            s.timeElapsed = cTimeValue(row.elapsed);
        gcDesiredValue t;
        t.fConst = row.seconds;
        EXPECT_EQ(gcValEntityAnimationFrame(kInitiator, t).Get(m_params), row.expected);
    }
    // The time read from the running frame.
    gcEventStackData frame(0.0f, 1.5f);
    gcEventStackData* pOld = gcEvent::s_pCurEventStackData;
    gcEvent::s_pCurEventStackData = &frame;
    gcDesiredValue param;
    param.desiredValue = gcDesiredValue::VAL_INVALUE;
    param.nParamIndex = 1;
    m_pEntity->m_model.m_nCurAnimationState = 2;
    m_pEntity->m_model.m_animationStates[2].timeElapsed = cTimeValue(905);
    EXPECT_EQ(gcValEntityAnimationFrame(kInitiator, param).Get(m_params), 1.0f);
    gcEvent::s_pCurEventStackData = pOld;
}

TEST_F(gcValEntityStateTest, OlderAnimationFrameBlocksHoldALiteralTime)
{
    const auto* pSeconds = Load<gcValEntityAnimationFrame>(1, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::PARTICIPANT1).Int(0).Float(0.25f);
    });
    const auto* pTicks = Load<gcValEntityAnimationFrame>(2, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::PARTICIPANT1).Int(0).Int(900);
    });
    ASSERT_NE(pSeconds, nullptr);
    ASSERT_NE(pTicks, nullptr);
    EXPECT_EQ(pSeconds->desiredEntity.desiredEntity, gcDesiredEntity::PARTICIPANT1);
    EXPECT_EQ(pSeconds->time.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_EQ(pSeconds->time.fConst, 0.25f);
    EXPECT_EQ(pTicks->time.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_FLOAT_EQ(pTicks->time.fConst, 1.5f);
    // The ticks come back whole: the frame of 3 ticks starts at tick 3.
    const auto* pThree = Load<gcValEntityAnimationFrame>(2, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(3);
    });
    ASSERT_NE(pThree, nullptr);
    m_pEntity->m_model.m_nCurAnimationState = 0;
    const auto elapsed = [this](int32_t n) { m_pEntity->m_model.m_animationStates[0].timeElapsed = cTimeValue(n); };
    elapsed(2);
    EXPECT_EQ(pThree->Get(m_params), 0.0f);
    elapsed(3);
    EXPECT_EQ(pThree->Get(m_params), 1.0f);
    // So does every count of a minute, stored as the ticks times the seconds
    // of one tick.
    int nWrong = 0;
    for (int32_t n = 0; n <= 36000; ++n) {
        gcDesiredValue t;
        t.fConst = static_cast<float>(n) * cTimeValue::SECONDS_PER_TICK;
        const gcValEntityAnimationFrame v(kInitiator, t);
        elapsed(n);
        const bool bAt = v.Get(m_params) == 1.0f;
        elapsed(n - 1);
        nWrong += bAt && v.Get(m_params) == 0.0f ? 0 : 1;
    }
    EXPECT_EQ(nWrong, 0);
}

// The newest block (3) holds the time as a reference.
TEST_F(gcValEntityStateTest, Version3AnimationFrameBlocksHoldAReference)
{
    const auto* p = Load<gcValEntityAnimationFrame>(3, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::SPECIFIC).Word(0x00070002).Int(gcDesiredValue::VAL_TEMP).Word(0x00330002).Int(2);
    });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->desiredEntity.desiredEntity, gcDesiredEntity::SPECIFIC);
    EXPECT_EQ(p->desiredEntity.hSpecificEntity.m_nValue, 0x00070002u);
    EXPECT_EQ(p->time.desiredValue, gcDesiredValue::VAL_TEMP);
    EXPECT_EQ(p->time.hSpecificKeyValue.m_nValue, 0x00330002u);
    EXPECT_EQ(p->time.nParamIndex, 2);
}

// Items: the ring holds a gem (2, holding a gem of 4) and a sword; the
// sword holds two gems (3 and 1) and a ring. Another entity holds a gem of
// 5. The total looks inside items of the template only, as the entity
// counts.
TEST_F(gcValEntityStateTest, ItemCountsByKindAndOwner)
{
    const gcItemTemplateHandle hGem = ItemTemplate(1, "Gem");
    const gcItemTemplateHandle hSword = ItemTemplate(2, "Sword");
    const gcItemTemplateHandle hRing = ItemTemplate(3, "Ring");
    Item(hGem, 4, nullptr, Item(hGem, 2, m_pEntity));
    gcItem* pSword = Item(hSword, 1, m_pEntity);
    Item(hGem, 3, nullptr, pSword);
    Item(hGem, 1, nullptr, pSword);
    Item(hRing, 1, nullptr, pSword);
    gcTestEntity* pOther = NewEntity(m_pTemplate);
    gcItem* pOthersGem = Item(hGem, 5, pOther);
    gcItem* pLoose = m_pool.New<gcItem>();  // carried by nobody
    pLoose->m_hTemplate = hGem;
    pLoose->m_nCount = 4;

    const gcDesiredItem gem = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, hGem);
    const gcDesiredItem sword = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, hSword);
    const gcDesiredItem stale = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle(0x00090009));
    gcDesiredItem eventItem;  // the initiator
    const struct {
        const char* name;
        int32_t type;
        gcDesiredItem item, attached;
        gcGameObject* pInitiator;
        float expected;
    } rows[] = {
        {"total counts nested items", Count::ITEMCOUNT_TOTAL, gem, sword, m_pEntity, 6.0f},
        {"available counts the ring only", Count::ITEMCOUNT_AVAILABLE, gem, sword, m_pEntity, 2.0f},
        {"attached counts each item once", Count::ITEMCOUNT_ATTACHED, gem, sword, m_pEntity, 2.0f},
        {"attached without its second template", Count::ITEMCOUNT_ATTACHED, gem, stale, m_pEntity, 0.0f},
        {"specific reads the first item's count", Count::ITEMCOUNT_SPECIFIC, gem, sword, m_pEntity, 2.0f},
        {"specific finds a nested item", Count::ITEMCOUNT_SPECIFIC, gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, hRing), sword, m_pEntity, 1.0f},
        {"the event's item, whoever is named", Count::ITEMCOUNT_SPECIFIC, eventItem, sword, pOthersGem, 5.0f},
        {"the event item's carrier owns", Count::ITEMCOUNT_AVAILABLE, eventItem, sword, pOthersGem, 5.0f},
        {"an event item carried by nobody", Count::ITEMCOUNT_AVAILABLE, eventItem, sword, pLoose, 0.0f},
        {"a loose event item still has its count", Count::ITEMCOUNT_SPECIFIC, eventItem, sword, pLoose, 4.0f},
        {"an event object that is no item", Count::ITEMCOUNT_TOTAL, eventItem, sword, m_pEntity, 0.0f},
        {"a stale template", Count::ITEMCOUNT_TOTAL, stale, sword, m_pEntity, 0.0f},
        {"a count type outside the table", 4, gem, sword, m_pEntity, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_params.pInitiator = row.pInitiator;
        m_params.pParticipant1 = m_pEntity;
        EXPECT_EQ(Count(row.type, kParticipant1, row.item, row.attached).Get(m_params), row.expected);
    }
    // Version 1 counts available items; version 2 names both by template.
    const auto* pV1 = Load<Count>(1, [&](datagen::BlockWriter& w) { w.Int(2).Int(0).Int(static_cast<int32_t>(hGem.m_nValue)); });
    const auto* pV2 = Load<Count>(2, [&](datagen::BlockWriter& w) {
        w.Int(Count::ITEMCOUNT_ATTACHED).Int(2).Int(0).Int(static_cast<int32_t>(hGem.m_nValue)).Int(static_cast<int32_t>(hSword.m_nValue));
    });
    ASSERT_NE(pV1, nullptr);
    ASSERT_NE(pV2, nullptr);
    EXPECT_EQ(pV1->countType, Count::ITEMCOUNT_AVAILABLE);
    EXPECT_EQ(pV1->desiredItem.desiredItem, gcDesiredItem::SPECIFIC);
    EXPECT_EQ(pV1->Get(m_params), 2.0f);
    EXPECT_EQ(pV2->desiredAttached.desiredItem, gcDesiredItem::SPECIFIC);
    EXPECT_EQ(pV2->Get(m_params), 2.0f);
}

TEST_F(gcValEntityStateTest, ItemEquippedTakesTheEventItemOrTheFirstOfTheTemplate)
{
    const gcItemTemplateHandle hGem = ItemTemplate(1, "Gem");
    const gcItemTemplateHandle hSword = ItemTemplate(2, "Sword");
    gcItem* pSword = Item(hSword, 1, m_pEntity);
    gcItem* pGem = Item(hGem, 1, nullptr, pSword);
    const struct {
        const char* name;
        gcDesiredItem item;
        gcGameObject* pInitiator;
        uint16_t swordFlags, gemFlags;
        float expected;
    } rows[] = {
        {"equipped", gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, hSword), m_pEntity, gcItem::kEquipped, 0, 1.0f},
        {"not equipped", gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, hSword), m_pEntity, 0, gcItem::kEquipped, 0.0f},
        {"a nested item is found", gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, hGem), m_pEntity, 0, gcItem::kEquipped, 1.0f},
        {"the event's item", gcDesiredItem(), pGem, 0, gcItem::kEquipped, 1.0f},
        {"none held", gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle(0x00090009)), m_pEntity, 0x1, 0x1, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        pSword->m_nFlags = row.swordFlags;
        pGem->m_nFlags = row.gemFlags;
        m_params.pInitiator = row.pInitiator;
        m_params.pParticipant1 = m_pEntity;
        EXPECT_EQ(gcValEntityItemEquipped(kParticipant1, row.item).Get(m_params), row.expected);
    }
    const auto* pV1 = Load<gcValEntityItemEquipped>(1, [&](datagen::BlockWriter& w) {
        w.Int(2).Int(0).Int(static_cast<int32_t>(hGem.m_nValue));
    });
    ASSERT_NE(pV1, nullptr);
    EXPECT_EQ(pV1->desiredItem.desiredItem, gcDesiredItem::SPECIFIC);
    EXPECT_EQ(pV1->desiredItem.hSpecificItemTemplate, hGem);
}

// The items and templates an item reference names for the event.
TEST_F(gcValEntityStateTest, ItemReferencesResolveAgainstTheEvent)
{
    const gcItemTemplateHandle hGem = ItemTemplate(1, "Gem");
    const gcItemTemplateHandle hSword = ItemTemplate(2, "Sword");
    gcItem* pGem = Item(hGem, 1, m_pEntity);
    gcItem* pSword = Item(hSword, 1, m_pEntity);
    m_params.pInitiator = m_pEntity;  // no item
    m_params.pParticipant1 = pSword;
    m_params.pParticipant2 = pGem;
    const struct {
        const char* name;
        gcDesiredItem::gcSelection selection;
        gcItem* pPending;  // the first item of a pending combination
        const gcItem* pItem;
        const gcItemTemplate* pTemplate;
    } rows[] = {
        {"an initiator that is no item", gcDesiredItem::INITIATOR, nullptr, nullptr, nullptr},
        {"participant 1", gcDesiredItem::PARTICIPANT1, nullptr, pSword, pSword->GetTemplate()},
        {"participant 2", gcDesiredItem::PARTICIPANT2, nullptr, pGem, pGem->GetTemplate()},
        {"the pending combine item", gcDesiredItem::COMBINE_ITEM, pSword, pSword, pSword->GetTemplate()},
        {"no combination kept", gcDesiredItem::COMBINE_ITEM, nullptr, nullptr, nullptr},
        {"a specific template names no item", gcDesiredItem::SPECIFIC, nullptr, nullptr, pGem->GetTemplate()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcDoEntityCombineItem::s_pFirstItem = row.pPending;
        gcDesiredItem d = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, hGem);
        d.desiredItem = row.selection;
        EXPECT_EQ(d.GetItem(m_params), row.pItem);
        EXPECT_EQ(d.GetItemTemplate(m_params), row.pTemplate);
    }
    gcDoEntityCombineItem::s_pFirstItem = nullptr;
}

TEST_F(gcValEntityStateTest, EffectCountIncludesNestedEffects)
{
    gcEffectTemplate* pTemplate = m_pool.New<gcEffectTemplate>();
    const gcEffectTemplateHandle hGlow = gcEffectTemplateMgr::Add(1, pTemplate, 0x21);
    gcEffect* pOuter = m_pool.New<gcEffect>();
    gcEffect* pInner = m_pool.New<gcEffect>();
    gcEffect* pOther = m_pool.New<gcEffect>();
    pOuter->m_hTemplate = hGlow;
    pInner->m_hTemplate = hGlow;
    pOther->m_hTemplate = gcEffectTemplateHandle(0x00020002);
    pOuter->AttachToEntity(m_pEntity, nullptr);
    pOther->AttachToEntity(m_pEntity, nullptr);
    pOther->AddChild(pInner, nullptr);
    EXPECT_EQ(gcValEntityEffectCount(kInitiator, hGlow).Get(m_params), 2.0f);
    EXPECT_EQ(gcValEntityEffectCount(kInitiator, pOther->m_hTemplate).Get(m_params), 0.0f);  // no such template
    pInner->Detach();
    pOuter->Detach();
    pOther->Detach();
}

TEST_F(gcValEntityStateTest, ModeIsTruncatedAndRestartsItsCounterOnlyWhenItChanges)
{
    const struct {
        const char* name;
        float set;
        int16_t expected;
        int32_t counter;  // time since entered mode, from 500
    } rows[] = {
        {"2.9 gives 2", 2.9f, 2, 0},
        {"the same mode again", 2.2f, 2, 500},
        {"toward zero below it", -1.7f, -1, 0},
        {"the low 16 bits", 65539.0f, 3, 0},
    };
    gcValEntityMode value(kInitiator);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pEntity->m_entityTimeSince[gcEntity::TIMESINCE_ENTEREDMODE] = cTimeValue(500);
        value.Set(row.set, m_params);
        EXPECT_EQ(m_pEntity->m_nMode, row.expected);
        EXPECT_EQ(m_pEntity->m_entityTimeSince[gcEntity::TIMESINCE_ENTEREDMODE].m_nTicks, row.counter);
        EXPECT_EQ(value.Get(m_params), row.expected);
    }
}

// Health keeps its current value within 0..maximum; the other stats take
// any number. NaN is no number.
TEST_F(gcValEntityStateTest, StatAssignmentsClampHealthOnly)
{
    const struct {
        const char* name;
        int32_t stat;
        bool bMax;
        float set, expMax, expCur;  // from maximum 100, current 50
    } rows[] = {
        {"health within range", T::STAT_HEALTH, false, 70.0f, 100.0f, 70.0f},
        {"health below 0 gives 0", T::STAT_HEALTH, false, -5.0f, 100.0f, 0.0f},
        {"a fraction above 0 is kept", T::STAT_HEALTH, false, 0.25f, 100.0f, 0.25f},
        {"health past its maximum", T::STAT_HEALTH, false, 150.0f, 100.0f, 100.0f},
        {"a maximum below the current lowers it", T::STAT_HEALTH, true, 30.0f, 30.0f, 30.0f},
        {"a maximum above keeps it", T::STAT_HEALTH, true, 80.0f, 80.0f, 50.0f},
        {"a maximum below 0 gives 0", T::STAT_HEALTH, true, -10.0f, -10.0f, 0.0f},
        {"armour -5 is stored", T::STAT_ARMOR, false, -5.0f, 100.0f, -5.0f},
        {"blend past the maximum is kept", T::STAT_BLEND, false, 250.0f, 100.0f, 250.0f},
        {"NaN health changes nothing", T::STAT_HEALTH, false, NAN, 100.0f, 50.0f},
        {"a NaN maximum changes nothing", T::STAT_HEALTH, true, NAN, 100.0f, 50.0f},
        {"NaN armour changes nothing", T::STAT_ARMOR, false, NAN, 100.0f, 50.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pEntity->m_fEntityStatsMax[row.stat] = 100.0f;
        m_pEntity->m_fEntityStatsCur[row.stat] = 50.0f;
        gcValEntityStat value(kInitiator, row.stat, row.bMax);
        value.Set(row.set, m_params);
        EXPECT_EQ(m_pEntity->m_fEntityStatsMax[row.stat], row.expMax);
        EXPECT_EQ(m_pEntity->m_fEntityStatsCur[row.stat], row.expCur);
        EXPECT_EQ(value.Get(m_params), row.bMax ? row.expMax : row.expCur);
    }
}

// Numbers outside an enumeration read 0.0 and change nothing.
TEST_F(gcValEntityStateTest, EnumerationsOutsideTheirTablesReadZero)
{
    for (float& f : m_pEntity->m_fEntityStatsCur)
        f = 7.0f;
    for (float& f : m_pEntity->m_fEntityStatsMax)
        f = 9.0f;
    for (cTimeValue& t : m_pEntity->m_entityTimeSince)
        t = cTimeValue(600);
    for (int32_t n : {-1, 4, 1000}) {
        SCOPED_TRACE(n);
        for (bool bMax : {false, true}) {
            gcValEntityStat value(kInitiator, n, bMax);
            value.Set(3.0f, m_params);
            EXPECT_EQ(value.Get(m_params), 0.0f);
        }
        EXPECT_EQ(gcValEntityTimeSince(kInitiator, n).Get(m_params), 0.0f);
        EXPECT_EQ(gcValEntityValue(kInitiator, n).Get(m_params), 0.0f);
    }
    for (int i = 0; i < T::MAX_STATS; ++i) {
        EXPECT_EQ(m_pEntity->m_fEntityStatsCur[i], 7.0f);
        EXPECT_EQ(m_pEntity->m_fEntityStatsMax[i], 9.0f);
    }
    EXPECT_EQ(gcValEntityState(gcValEntityState::MAX_STATES, kInitiator).Get(m_params), 0.0f);
}

TEST_F(gcValEntityStateTest, AStoredMaximumFlagIsKeptForHealthOnly)
{
    m_pEntity->m_fEntityStatsCur[T::STAT_ARMOR] = 4.0f;
    m_pEntity->m_fEntityStatsMax[T::STAT_ARMOR] = 10.0f;
    const uint32_t nMaxesRead = gcValEntityStat::s_nMaxesRead;
    gcValEntityStat::s_nMaxesRead = 0;
    const auto* pArmor = Load<gcValEntityStat>(3, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(T::STAT_ARMOR).Int(1);
    });
    // Only a maximum kept is one the data may set.
    EXPECT_EQ(gcValEntityStat::s_nMaxesRead, 0u);
    const auto* pHealth = Load<gcValEntityStat>(3, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(T::STAT_HEALTH).Int(5);
    });
    const auto* pOld = Load<gcValEntityStat>(2, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(T::STAT_HEALTH);
    });
    const auto* pRefused = Load<gcValEntityStat>(1, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(T::STAT_ARMOR);
    });
    ASSERT_NE(pArmor, nullptr);
    ASSERT_NE(pHealth, nullptr);
    ASSERT_NE(pOld, nullptr);
    EXPECT_FALSE(pArmor->bMax);
    EXPECT_EQ(pArmor->Get(m_params), 4.0f);
    EXPECT_TRUE(pHealth->bMax);
    EXPECT_FALSE(pOld->bMax);
    EXPECT_EQ(pRefused, nullptr);
    EXPECT_EQ(gcValEntityStat::s_nMaxesRead, 1u << T::STAT_HEALTH);
    gcValEntityStat::s_nMaxesRead = nMaxesRead;
}

TEST_F(gcValEntityStateTest, StatesFlagsAndValidity)
{
    const struct {
        const char* name;
        int32_t state;
        float health;
        uint16_t flags;
        float expected, valid;
    } rows[] = {
        {"alive", gcValEntityState::STATE_ALIVE, 0.5f, 0, 1.0f, 1.0f},
        {"not alive at exactly 0", gcValEntityState::STATE_ALIVE, 0.0f, 0, 0.0f, 1.0f},
        {"on a path by flag 0x8", gcValEntityState::STATE_ONPATH, 1.0f, gcEntity::kOnPath, 1.0f, 1.0f},
        {"leader by flag 0x10", gcValEntityState::STATE_LEADER, 1.0f, 0x10, 1.0f, 1.0f},
        {"not leader by the others", gcValEntityState::STATE_LEADER, 1.0f, 0xFFEF, 0.0f, 0.0f},
        {"invulnerable by flag 0x20", gcValEntityState::STATE_INVULNERABLE, 1.0f, 0x20, 1.0f, 1.0f},
        {"not invulnerable by 0x10", gcValEntityState::STATE_INVULNERABLE, 1.0f, 0x10, 0.0f, 1.0f},
        {"idling as the entity says", gcValEntityState::STATE_IDLING, 1.0f, 0, 1.0f, 1.0f},
        {"not dying as the entity says", gcValEntityState::STATE_DYING, 1.0f, 0, 0.0f, 1.0f},
        {"a frozen entity is invalid", gcValEntityState::STATE_ALIVE, 1.0f, gcEntity::kFrozen, 1.0f, 0.0f},
        {"a deactivated one too", gcValEntityState::STATE_ALIVE, 1.0f, gcEntity::kDeactivated, 1.0f, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pEntity->m_fEntityStatsCur[T::STAT_HEALTH] = row.health;
        m_pEntity->m_nEntityFlags = row.flags;
        EXPECT_EQ(gcValEntityState(row.state, kInitiator).Get(m_params), row.expected);
        EXPECT_EQ(gcValEntityValid(kInitiator).Get(m_params), row.valid);
    }
    m_params.pInitiator = nullptr;
    EXPECT_EQ(gcValEntityValid(kInitiator).Get(m_params), 0.0f);
    // The entity comes before the state in the block.
    const auto* p = Load<gcValEntityState>(1, [](datagen::BlockWriter& w) { w.Int(2).Int(0).Int(3); });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->desiredEntity.desiredEntity, gcDesiredEntity::PARTICIPANT1);
    EXPECT_EQ(p->state, gcValEntityState::STATE_LEADER);
}

// Machines: 1 the base, 2 derived from it (the template's), 3 derived from
// 2, 4 unrelated.
TEST_F(gcValEntityStateTest, StateCompareNeedsARelatedMachine)
{
    gcStateMachineHandle h[5];
    for (int i = 1; i <= 4; ++i) {
        gcStateMachine* p = m_pool.New<gcStateMachine>();
        h[i] = gcStateMachineMgr::Add(i, p, static_cast<uint16_t>(0x10 + i));
    }
    gcStateMachineMgr::GetPtr(h[2])->hParent = h[1];
    gcStateMachineMgr::GetPtr(h[3])->hParent = h[2];
    m_pTemplate->hStateMachine = h[2];
    m_pEntity->m_stateInfo.m_nCurState = 5;
    const struct {
        const char* name;
        gcStateMachineHandle hMachine;
        int32_t state;
        float expected;
    } rows[] = {
        {"the template's own machine", h[2], 5, 1.0f},
        {"another state", h[2], 6, 0.0f},
        {"an ancestor", h[1], 5, 1.0f},
        {"a descendant", h[3], 5, 1.0f},
        {"an unrelated machine", h[4], 5, 0.0f},
        {"a machine that does not resolve", gcStateMachineHandle(0x00400007), 5, 1.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(gcValEntityStateCompare(kInitiator, row.hMachine, row.state).Get(m_params), row.expected);
    }
    m_pEntity->m_hTemplate = gcEntityTemplateHandle();
    EXPECT_EQ(gcValEntityStateCompare(kInitiator, h[2], 5).Get(m_params), 0.0f);
}

TEST_F(gcValEntityStateTest, TimesAreSecondsAndTheTimerIsAssignable)
{
    m_pEntity->m_entityTimeSince[gcEntity::TIMESINCE_INTERACTED] = cTimeValue(900);
    m_pEntity->m_entityTimeSince[gcEntity::TIMESINCE_TOOKDAMAGE] = cTimeValue(gcEntity::kNever);
    EXPECT_EQ(gcValEntityTimeSince(kInitiator, gcEntity::TIMESINCE_INTERACTED).Get(m_params), 1.5f);
    EXPECT_NEAR(gcValEntityTimeSince(kInitiator, gcEntity::TIMESINCE_TOOKDAMAGE).Get(m_params), 3579139.4f, 0.5f);
    const struct {
        float set;
        int32_t ticks;
    } rows[] = {{0.0525f, 31}, {2.0f, 1200}, {-0.0019f, -1}, {0.0009f, 0}, {0.7f, 420}};
    gcValEntityStateTimer timer(kInitiator);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.set);
        timer.Set(row.set, m_params);
        EXPECT_EQ(m_pEntity->m_stateInfo.m_nextUpdate.m_nTicks, row.ticks);
        EXPECT_FLOAT_EQ(timer.Get(m_params), static_cast<float>(row.ticks) / 600.0f);
    }
    m_pTemplate->fEntityValues[T::VAL_INTERACTTOL] = 30.0f;
    m_pTemplate->fEntityValues[T::VAL_INTERACTDISTANCE] = 2.5f;
    EXPECT_EQ(gcValEntityValue(kInitiator, T::VAL_INTERACTTOL).Get(m_params), 30.0f);
    EXPECT_EQ(gcValEntityValue(kInitiator, T::VAL_INTERACTDISTANCE).Get(m_params), 2.5f);
}

// Nothing named: every value reads 0.0 and the assignable ones change
// nothing.
TEST_F(gcValEntityStateTest, AnUnresolvedEntityReadsZero)
{
    m_pEntity->m_nMode = 4;
    m_pEntity->m_fEntityStatsCur[T::STAT_HEALTH] = 5.0f;
    m_params.pInitiator = nullptr;
    m_params.pParticipant1 = m_pEntity;
    gcValEntityMode(kInitiator).Set(2.0f, m_params);
    gcValEntityStat(kInitiator, T::STAT_HEALTH, false).Set(1.0f, m_params);
    gcValEntityStateTimer(kInitiator).Set(1.0f, m_params);
    EXPECT_EQ(m_pEntity->m_nMode, 4);
    EXPECT_EQ(m_pEntity->m_fEntityStatsCur[T::STAT_HEALTH], 5.0f);
    EXPECT_EQ(m_pEntity->m_stateInfo.m_nextUpdate.m_nTicks, 0);
    EXPECT_EQ(gcValEntityMode(kInitiator).Get(m_params), 0.0f);
    EXPECT_EQ(gcValEntityStat(kInitiator, T::STAT_HEALTH, false).Get(m_params), 0.0f);
    EXPECT_EQ(gcValEntityState(gcValEntityState::STATE_IDLING, kInitiator).Get(m_params), 0.0f);
    EXPECT_EQ(gcValEntityValue(kInitiator, T::VAL_TURNRATE).Get(m_params), 0.0f);
    EXPECT_EQ(gcValEntityStateTimer(kInitiator).Get(m_params), 0.0f);
    EXPECT_EQ(gcValEntityTimeSince(kInitiator, gcEntity::TIMESINCE_TOOKDAMAGE).Get(m_params), 0.0f);
    EXPECT_EQ(gcValEntityAnimationFrame(kInitiator, gcDesiredValue()).Get(m_params), 0.0f);
    EXPECT_EQ(gcValEntityMode(kParticipant1).Get(m_params), 4.0f);
}

// A block newer than the class writes is refused whole, whatever follows.
TEST_F(gcValEntityStateTest, NewerBlocksAreRefused)
{
    const auto fields = [](datagen::BlockWriter& w) { w.Int(1).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0); };
    EXPECT_EQ(Load<gcValEntityAnimationFrame>(4, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityEffectCount>(2, fields), nullptr);
    EXPECT_EQ(Load<Count>(4, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityItemEquipped>(3, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityMode>(2, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityStat>(4, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityState>(2, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityStateCompare>(2, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityStateTimer>(2, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityTimeSince>(2, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityValid>(2, fields), nullptr);
    EXPECT_EQ(Load<gcValEntityValue>(2, fields), nullptr);
}

TEST_F(gcValEntityStateTest, TextForms)
{
    const gcItemTemplateHandle hGem = ItemTemplate(1, "Gem");
    gcEffectTemplate* pGlow = m_pool.New<gcEffectTemplate>();
    pGlow->m_name.Set("Glow");
    const gcEffectTemplateHandle hGlow = gcEffectTemplateMgr::Add(1, pGlow, 0x21);
    gcStateMachine* pMachine = m_pool.New<gcStateMachine>();
    pMachine->m_name.Set("Guard");
    const gcStateMachineHandle hMachine = gcStateMachineMgr::Add(1, pMachine, 0x31);
    gcDesiredValue temp;
    temp.desiredValue = gcDesiredValue::VAL_TEMP;
    temp.nParamIndex = 1;
    gcDesiredItem participant;
    participant.desiredItem = gcDesiredItem::PARTICIPANT1;
    const gcDesiredItem gem = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, hGem);
    const struct {
        const gcValue& value;
        const char* expected;
    } rows[] = {
        {gcValEntityAnimationFrame(kInitiator, temp), "Initiator.AnimationFrame( [Temp2]s )"},
        {gcValEntityEffectCount(kParticipant1, hGlow), "Participant1.AttachedEffectCount( [Glow] )"},
        {gcValEntityEffectCount(kParticipant1, gcEffectTemplateHandle(0x00050005)), "Participant1.AttachedEffectCount( [???] )"},
        {Count(Count::ITEMCOUNT_ATTACHED, kInitiator, gem, participant), "Initiator.AttachedItems( [[Gem] to Participant1 )"},
        {Count(Count::ITEMCOUNT_TOTAL, kInitiator, participant, gem), "TotalItems( [Participant1 )"},
        {Count(9, kInitiator, gem, gem), "Initiator.???Items( [[Gem] )"},
        {gcValEntityItemEquipped(kInitiator, gem), "Initiator.IsItemEquipped( [Gem] )"},
        {gcValEntityItemEquipped(kInitiator, participant), "IsItemEquipped( Participant1 )"},
        {gcValEntityMode(kInitiator), "Initiator.Mode"},
        {gcValEntityStat(kInitiator, T::STAT_HEALTH, true), "Initiator.MaxHealth"},
        {gcValEntityStat(kInitiator, T::STAT_ARMOR, false), "Initiator.Armor"},
        {gcValEntityState(gcValEntityState::STATE_INVULNERABLE, kInitiator), "Initiator.IsInvulnerable"},
        {gcValEntityState(gcValEntityState::STATE_ALIVE, kInitiator), "Initiator.IsAlive"},
        {gcValEntityState(6, kInitiator), "Initiator.???"},
        {gcValEntityStateCompare(kInitiator, hMachine, 3), "( Initiator.State == [Guard].[none] )"},
        {gcValEntityStateCompare(kInitiator, gcStateMachineHandle(), 3), "( Initiator.State == [???].[???] )"},
        {gcValEntityStateTimer(kParticipant1), "Participant1.StateTimer"},
        {gcValEntityTimeSince(kInitiator, gcEntity::TIMESINCE_CHANGEDSTATE), "Initiator.LastChangedState"},
        {gcValEntityTimeSince(kInitiator, gcEntity::TIMESINCE_TOOKDAMAGE), "Initiator.LastTookDamage"},
        {gcValEntityTimeSince(kInitiator, 4), "Initiator.???"},
        {gcValEntityValid(kInitiator), "Initiator.IsValid"},
        {gcValEntityValue(kInitiator, T::VAL_TURNRATE), "Initiator.TurningRate"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Text(row.value), row.expected);
}

}  // namespace
