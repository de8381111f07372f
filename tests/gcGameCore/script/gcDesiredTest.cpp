// Desired references: what each selector resolves to for an event, the
// casts and type tests, stale handles, and the text forms.
#include <gtest/gtest.h>

#include <string>

#include "../creatures/creatureTestTypes.h"
#include "../entities/entityTestObjects.h"
#include "gcGameCore/actions/gcDoEntityCombineItem.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcDesiredEffect.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredItem.h"
#include "gcGameCore/script/gcDesiredTimer.h"
#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

using E = gcDesiredEntity;
using V = gcDesiredValue;

template <class Ref>
std::string Text(const Ref& ref)
{
    char buf[gcScriptText::kSize] = "";
    ref.GetText(buf);
    return buf;
}

class gcDesiredTest : public EntityTest {
protected:
    void SetUp() override
    {
        EntityTest::SetUp();
        gcPlayer::Get()->m_pEntity = nullptr;
        gcPlayer::Get()->m_pInteractTarget = nullptr;
    }
    void TearDown() override
    {
        gcPlayer::Get()->m_pEntity = nullptr;
        gcPlayer::Get()->m_pInteractTarget = nullptr;
        gcEvent::s_pCurEventStackData = nullptr;
        gcDoEntityCombineItem::s_pFirstItem = nullptr;
        gcConstantMgr::Remove(kSlot);
        gcKeyValueMgr::Remove(kSlot);
        gcTimerMgr::Remove(kSlot);
        gcItemTemplateMgr::Remove(kSlot);
        gcUIDialogMgr::Remove(kSlot);
        for (gcEffect*& p : gcEffectMgr::s_pInstances)
            p = nullptr;
        EntityTest::TearDown();
    }
    template <class T>
    T* Entity(const char* name)
    {
        T* p = m_pool.New<T>();
        p->m_name.Set("%s", name);
        m_entities.push_back(p);
        return p;
    }

    static constexpr int kSlot = 9;
};

// Every selector against one event: creatures with targets, leaders and
// neighbours, the player record; frozen targets count only for the player.
TEST_F(gcDesiredTest, EntitySelectors)
{
    auto* pPlayer = Entity<gcTestCreature>("hero");
    auto* pInit = Entity<gcTestCreature>("init");
    auto* pFirst = Entity<gcTestCreature>("first");
    auto* pSecond = Entity<gcTestCreature>("second");
    auto* pLeader = Entity<gcTestEntity>("leader");
    auto* pN1 = Entity<gcTestEntity>("n1");
    auto* pN2 = Entity<gcTestEntity>("n2");
    auto* pTalk = Entity<gcTestEntity>("talk");
    auto* pFrozen = Entity<gcTestEntity>("frozen");
    auto* pActive = Entity<gcTestEntity>("active");
    for (gcEntity* p : {static_cast<gcEntity*>(pLeader), static_cast<gcEntity*>(pN1), static_cast<gcEntity*>(pN2),
                        static_cast<gcEntity*>(pActive), static_cast<gcEntity*>(pFirst)})
        p->m_nEntityFlags = 0;
    pFrozen->m_nEntityFlags = gcEntity::kFrozen;
    pLeader->m_nEntityFlags = gcEntity::kGroupLeader;
    const gcEntityHandle hLeader = gcEntityMgr::Add(1, pLeader, 0x11);
    const gcEntityHandle hN1 = gcEntityMgr::Add(2, pN1, 0x12);
    const gcEntityHandle hN2 = gcEntityMgr::Add(3, pN2, 0x13);
    pInit->m_hNeighbors[0] = hLeader;
    pInit->m_hNeighbors[1] = hN1;
    pFirst->m_hNeighbors[0] = hN1;
    pFirst->m_hNeighbors[1] = hN2;
    pPlayer->m_pTarget = pFrozen;
    pInit->m_pTarget = pFrozen;
    pFirst->m_pTarget = pActive;
    pSecond->m_pTarget = pFirst;  // active: its flags are clear
    gcPlayer::Get()->m_pEntity = pPlayer;
    gcPlayer::Get()->m_pInteractTarget = pTalk;
    const gcEventParams params(pInit, pFirst, pSecond, nullptr, nullptr);
    struct Row {
        int32_t sel;
        gcEntity* pExpected;
        const char* text;
    } rows[] = {
        {E::PLAYER, pPlayer, "Player"},
        {E::INITIATOR, pInit, "Initiator"},
        {E::PARTICIPANT1, pFirst, "Participant1"},
        {E::PARTICIPANT2, pSecond, "Participant2"},
        {E::SPECIFIC, pN2, "[n2]"},
        {E::INITIATOR_LEADER, pLeader, "Initiator.Leader"},
        {E::INITIATOR_NEIGHBOR1, pLeader, "Initiator.Neighbor1"},
        {E::INITIATOR_NEIGHBOR2, pN1, "Initiator.Neighbor2"},
        {E::PARTICIPANT1_LEADER, nullptr, "Participant1.Leader"},
        {E::PARTICIPANT1_NEIGHBOR1, pN1, "Participant1.Neighbor1"},
        {E::PARTICIPANT1_NEIGHBOR2, pN2, "Participant1.Neighbor2"},
        {E::PLAYER_INTERACT_TARGET, pTalk, "Player.InteractTarget"},
        {E::PLAYER_TARGET, pFrozen, "Player.Target"},
        {E::INITATOR_TARGET, nullptr, "Initiator.Target"},
        {E::PARTICIPANT1_TARGET, pActive, "Participant1.Target"},
        {E::PARTICIPANT2_TARGET, pFirst, "Participant2.Target"},
        {16, nullptr, ""},
        {-1, nullptr, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        E d = E::Selecting(r.sel);
        d.hSpecificEntity = hN2;
        EXPECT_EQ(d.GetEntity(params, nullptr, false), r.pExpected);
        EXPECT_EQ(Text(d), r.text);
    }
    E stale = E::Selecting(E::SPECIFIC);
    stale.hSpecificEntity = gcEntityHandle(0x00990004);
    EXPECT_EQ(stale.GetEntity(params, nullptr, false), nullptr);
    EXPECT_EQ(Text(stale), "[???]");
}

// The cast: without strictness any entity; with it the type must match;
// an initiator that is no entity gives null, also for its neighbours.
TEST_F(gcDesiredTest, EntityCastsAndTypes)
{
    auto* pCreature = Entity<gcTestCreature>("c");
    auto* pPlain = Entity<gcTestEntity>("e");
    gcTestActor actor;
    const gcEventParams creature(pCreature, pPlain, &actor, nullptr, nullptr);
    const gcEventParams notEntity(&actor, nullptr, nullptr, nullptr, nullptr);
    const cType* tC = gcCreature::GetStaticType();
    struct Row {
        const char* name;
        const gcEventParams* pParams;
        int32_t sel;
        const cType* pType;
        bool bStrict;
        gcEntity* pExpected;
    } rows[] = {
        {"creature, any", &creature, E::INITIATOR, tC, false, pCreature},
        {"creature as creature", &creature, E::INITIATOR, tC, true, pCreature},
        {"plain entity as creature", &creature, E::PARTICIPANT1, tC, true, nullptr},
        {"plain entity, not strict", &creature, E::PARTICIPANT1, tC, false, pPlain},
        {"plain entity as entity by default", &creature, E::PARTICIPANT1, nullptr, true, pPlain},
        {"no entity", &creature, E::PARTICIPANT2, nullptr, false, nullptr},
        {"neighbour of no entity", &notEntity, E::INITIATOR_NEIGHBOR1, nullptr, false, nullptr},
        {"leader of no entity", &notEntity, E::INITIATOR_LEADER, nullptr, false, nullptr},
        {"target of no entity", &notEntity, E::INITATOR_TARGET, nullptr, false, nullptr},
        {"target of a plain entity", &creature, E::PARTICIPANT1_TARGET, nullptr, false, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(E::Selecting(r.sel).GetEntity(*r.pParams, r.pType, r.bStrict), r.pExpected);
    }
}

// Values: parameters and temporaries of the running frame by index (0.0
// outside 0 and 1 or without a frame), literals, constants and key values
// with their stale forms, and every other type reading the key value.
TEST_F(gcDesiredTest, Values)
{
    gcConstant* pConst = m_pool.New<gcConstant>();
    pConst->m_name.Set("Gravity");
    pConst->m_fValue = 9.5f;
    gcKeyValue* pKey = m_pool.New<gcKeyValue>();
    pKey->m_name.Set("Coins");
    pKey->m_fValue = 7.0f;
    const gcConstantHandle hConst = gcConstantMgr::Add(kSlot, pConst, 0x21);
    const gcKeyValueHandle hKey = gcKeyValueMgr::Add(kSlot, pKey, 0x22);
    gcEventStackData frame(1.5f, 2.5f);
    frame.fTemps[0] = 3.5f;
    frame.fTemps[1] = 4.5f;
    struct Row {
        const char* name;
        int32_t type;
        int32_t index;
        bool bStale;
        float fExpected;
        const char* text;
    } rows[] = {
        {"param 1", V::VAL_INVALUE, 0, false, 1.5f, "[Param1]"},
        {"param 2", V::VAL_INVALUE, 1, false, 2.5f, "[Param2]"},
        {"temp 1", V::VAL_TEMP, 0, false, 3.5f, "[Temp1]"},
        {"temp 2", V::VAL_TEMP, 1, false, 4.5f, "[Temp2]"},
        {"param index 2", V::VAL_INVALUE, 2, false, 0.0f, "[Param3]"},
        {"temp index -1", V::VAL_TEMP, -1, false, 0.0f, "[Temp0]"},
        {"literal", V::VAL_NUMBER, 0, false, 0.25f, "0.25"},
        {"constant", V::VAL_CONSTANT, 0, false, 9.5f, "{Gravity}"},
        {"stale constant", V::VAL_CONSTANT, 0, true, 0.0f, "{???}"},
        {"key value", V::VAL_KEYVALUE, 0, false, 7.0f, "[Coins]"},
        {"stale key value", V::VAL_KEYVALUE, 0, true, 0.0f, "[???]"},
        {"unknown type reads the key value", 3, 0, false, 7.0f, "[Coins]"},
    };
    gcEvent::s_pCurEventStackData = &frame;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        V d;
        d.desiredValue = r.type;
        d.nParamIndex = r.index;
        d.fConst = 0.25f;
        d.hSpecificConstant = r.bStale ? gcConstantHandle(0x00450009) : hConst;
        d.hSpecificKeyValue = r.bStale ? gcKeyValueHandle(0x00460009) : hKey;
        EXPECT_EQ(d.GetValue(), r.fExpected);
        EXPECT_EQ(Text(d), r.text);
    }
    gcEvent::s_pCurEventStackData = nullptr;
    V param;
    param.desiredValue = V::VAL_INVALUE;
    EXPECT_EQ(param.GetValue(), 0.0f) << "no running frame";
    V fresh;
    EXPECT_EQ(fresh.desiredValue, V::VAL_NUMBER);
    EXPECT_EQ(fresh.GetValue(), 0.0f);
    const char* const texts[] = {"Param", "Temp", "Number", "KeyValue", "KeyValue", "Constant", "KeyValue"};
    const int32_t types[] = {0, 1, 2, 3, 32768, 32769, -1};
    for (int i = 0; i < 7; ++i)
        EXPECT_STREQ(V::GetValueTypeText(types[i]), texts[i]) << types[i];
}

// Items: the event's items, the pending combination's first item, and a
// template named directly (which names no item).
TEST_F(gcDesiredTest, Items)
{
    using I = gcDesiredItem;
    gcItemTemplate* pTemplate = m_pool.New<gcItemTemplate>();
    pTemplate->m_name.Set("Key");
    const gcItemTemplateHandle hTemplate = gcItemTemplateMgr::Add(kSlot, pTemplate, 0x31);
    gcItem* pItem = m_pool.New<gcItem>();
    pItem->m_hTemplate = hTemplate;
    gcItem* pPending = m_pool.New<gcItem>();
    gcDoEntityCombineItem::s_pFirstItem = pPending;
    auto* pEntity = Entity<gcTestEntity>("e");
    const gcEventParams params(pEntity, pItem, nullptr, nullptr, nullptr);
    struct Row {
        int32_t sel;
        uint32_t hTemplate;
        gcItem* pItem;
        gcItemTemplate* pTemplate;
        const char* text;
    } rows[] = {
        {I::INITIATOR, 0, nullptr, nullptr, "Initiator"},
        {I::PARTICIPANT1, 0, pItem, pTemplate, "Participant1"},
        {I::PARTICIPANT2, 0, nullptr, nullptr, "Participant2"},
        {I::COMBINE_ITEM, 0, pPending, nullptr, "CombineItem1"},
        {I::SPECIFIC, hTemplate.m_nValue, nullptr, pTemplate, "[Key]"},
        {I::SPECIFIC, 0, nullptr, nullptr, "[none]"},
        {I::SPECIFIC, 0x00880009, nullptr, nullptr, "[???]"},
        {4, hTemplate.m_nValue, nullptr, nullptr, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const I d = I::Selecting(r.sel, gcItemTemplateHandle(r.hTemplate));
        EXPECT_EQ(d.GetItem(params), r.pItem);
        EXPECT_EQ(d.GetItemTemplate(params), r.pTemplate);
        EXPECT_EQ(Text(d), r.text);
    }
    std::destroy_at(pItem);
    std::destroy_at(pPending);
}

// Timers and effects: the initiator or a specific one, then the type test.
TEST_F(gcDesiredTest, TimersAndEffects)
{
    using T = gcDesiredTimer;
    using F = gcDesiredEffect;
    gcTimer* pTimer = m_pool.New<gcTimer>();
    pTimer->m_name.Set("Clock");
    const gcTimerHandle hTimer = gcTimerMgr::Add(kSlot, pTimer, 0x41);
    gcEffect* pEffect = m_pool.New<gcEffect>();
    pEffect->m_name.Set("Spark");
    const gcEffectHandle hEffect = gcEffectMgr::Add(kSlot, pEffect, 0x42);
    const gcEventParams timerFirst(pTimer, pEffect, nullptr, nullptr, nullptr);
    const gcEventParams effectFirst(pEffect, nullptr, pTimer, nullptr, nullptr);
    struct Row {
        const char* name;
        const gcEventParams* pParams;
        int32_t sel;
        const cType* pType;
        bool bTimer;
        bool bFound;
        const char* text;
    } rows[] = {
        {"initiator timer", &timerFirst, T::INITIATOR, nullptr, true, true, "Initiator"},
        {"initiator no timer", &effectFirst, T::INITIATOR, nullptr, true, false, "Initiator"},
        {"specific timer", &effectFirst, T::SPECIFIC, nullptr, true, true, "[Clock]"},
        {"specific timer, wrong type", &effectFirst, T::SPECIFIC, gcEffect::GetStaticType(), true, false, "[Clock]"},
        {"timer selector 2", &timerFirst, 2, nullptr, true, false, ""},
        {"effect of participant 1", &timerFirst, F::PARTICIPANT1, nullptr, false, true, "Participant1"},
        {"effect initiator no effect", &timerFirst, F::INITIATOR, nullptr, false, false, "Initiator"},
        {"effect of participant 2 no effect", &effectFirst, F::PARTICIPANT2, nullptr, false, false, "Participant2"},
        {"specific effect", &timerFirst, F::SPECIFIC, gcEffect::GetStaticType(), false, true, "[Spark]"},
        {"effect wrong type", &effectFirst, F::INITIATOR, gcTimer::GetStaticType(), false, false, "Initiator"},
        {"effect selector 4", &effectFirst, 4, nullptr, false, false, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        if (r.bTimer) {
            const T d = T::Selecting(r.sel, hTimer);
            EXPECT_EQ(d.GetTimer(*r.pParams, r.pType), r.bFound ? pTimer : nullptr);
            EXPECT_EQ(Text(d), r.text);
        } else {
            F d;
            d.desiredEffect = r.sel;
            d.hSpecificEffect = hEffect;
            EXPECT_EQ(d.GetEffect(*r.pParams, r.pType), r.bFound ? pEffect : nullptr);
            EXPECT_EQ(Text(d), r.text);
        }
    }
    EXPECT_EQ(Text(T::Selecting(T::SPECIFIC, gcTimerHandle(0x00770009))), "[???]");
    EXPECT_EQ(T::Selecting(T::SPECIFIC, gcTimerHandle(0x00770009)).GetTimer(timerFirst, nullptr), nullptr);
}

// Controls: the handle's low 8 bits must index a slot below the dialog's
// count holding exactly this handle; strictness adds the type test.
TEST_F(gcDesiredTest, Controls)
{
    gcUIDialog* pDialog = m_pool.New<gcUIDialog>();
    pDialog->m_name.Set("Menu");
    gcUIControl* pControl = m_pool.New<gcUIControl>();
    pControl->m_name.Set("Ok");
    const gcUIDialogHandle hDialog = gcUIDialogMgr::Add(kSlot, pDialog, 0x51);
    gcUIDialog::s_nNextMagicNum = 0x40;
    const uint32_t h = pDialog->CreateControl(pControl);
    ASSERT_EQ(h, 0x4000u);
    struct Row {
        const char* name;
        uint32_t hDialog;
        uint32_t hControl;
        bool bStrict;
        const cType* pType;
        bool bFound;
        const char* text;
    } rows[] = {
        {"exact handle", hDialog.m_nValue, h, false, nullptr, true, "[Menu].[Ok]"},
        {"strict, any widget", hDialog.m_nValue, h, true, nullptr, true, "[Menu].[Ok]"},
        {"strict, a control", hDialog.m_nValue, h, true, gcUIControl::GetStaticType(), true, "[Menu].[Ok]"},
        {"strict, another type", hDialog.m_nValue, h, true, gcTimer::GetStaticType(), false, "[Menu].[Ok]"},
        {"not strict, another type", hDialog.m_nValue, h, false, gcTimer::GetStaticType(), true, "[Menu].[Ok]"},
        {"another magic", hDialog.m_nValue, 0x4100, false, nullptr, false, "[Menu]"},
        {"slot past the count", hDialog.m_nValue, 0x4001, false, nullptr, false, "[Menu]"},
        {"handle 0", hDialog.m_nValue, 0, false, nullptr, false, "[Menu]"},
        {"stale dialog", 0x00520009, h, false, nullptr, false, "[???]"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcDesiredWidget d;
        d.hDialog = gcUIDialogHandle(r.hDialog);
        d.hControl = r.hControl;
        EXPECT_EQ(d.GetControl(r.bStrict, r.pType), r.bFound ? pControl : nullptr);
        EXPECT_EQ(Text(d), r.text);
    }
}

}  // namespace
