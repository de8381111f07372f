#include "gcGameCore/entities/gcRegionTrigger.h"

#include <gtest/gtest.h>

#include "datagen/regionWriters.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "entityTestObjects.h"

namespace {

using T = gcRegionTrigger;

class gcRegionTriggerTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        m_pOldPlayer = gcPlayer::Get()->m_pEntity;
    }
    void TearDown() override
    {
        gcPlayer::Get()->m_pEntity = m_pOldPlayer;
        EntityWorldTest::TearDown();
    }
    // A new trigger (disabled, frozen) of region 1, a sphere of radius 5 at x.
    T* NewTrigger(T::gcRegionTriggerResponse respondTo, float x = 0.0f)
    {
        T* t = m_pool.New<T>();
        t->m_nRegionId = 1;
        t->m_respondTo = respondTo;
        t->m_volume.SetVolumeSphere(5.0f);
        t->m_volume.m_localToZone = MakeFrame(x, 0, 0);
        return t;
    }
    void Send(T* t, const std::vector<int>& ids)
    {
        for (int id : ids)
            t->Send(gcMsg(id, nullptr));
    }
    gcEntity* m_pOldPlayer = nullptr;
};

TEST_F(gcRegionTriggerTest, MessagesEnableAndDisableTheVolume)
{
    struct Row {
        const char* what;
        std::vector<int> msgs;
        int8_t state;
        uint16_t flags;
    };
    const Row rows[] = {
        {"new", {}, 1, T::kFrozen},
        {"activate while frozen", {MSG_ACTIVATE}, 1, T::kFrozen},
        {"unfrozen", {MSG_UNFREEZE}, 0, 0},
        {"unfrozen while deactivated", {MSG_DEACTIVATE, MSG_UNFREEZE}, 1, T::kDeactivated},
        {"then activated", {MSG_DEACTIVATE, MSG_UNFREEZE, MSG_ACTIVATE}, 0, 0},
        {"frozen when enabled", {MSG_UNFREEZE, MSG_FREEZE}, 1, T::kFrozen},
        {"deactivated when enabled", {MSG_UNFREEZE, MSG_DEACTIVATE}, 1, T::kDeactivated},
        {"frozen and deactivated", {MSG_UNFREEZE, MSG_FREEZE, MSG_DEACTIVATE, MSG_UNFREEZE}, 1, T::kDeactivated},
        {"re-enabled", {MSG_UNFREEZE, MSG_FREEZE, MSG_UNFREEZE}, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        T* t = NewTrigger(T::RTR_ALLENTITIES);
        Send(t, r.msgs);
        EXPECT_EQ(t->m_nCurState, r.state);
        EXPECT_EQ(t->m_nTriggerFlags, r.flags);
        EXPECT_EQ(t->m_volume.m_pZone, r.state == 0 ? &m_a : nullptr);
        EXPECT_EQ(t->m_volume.m_nVolNodeIndex >= 0, r.state == 0);
    }
    T* t = NewTrigger(T::RTR_ALLENTITIES);
    EXPECT_EQ(t->Send(gcMsgTick(cTimeValue(20))), 0);  // no work per tick
    t->Send(gcMsg(MSG_UNFREEZE, nullptr));
    EXPECT_EQ(t->Send(gcMsg(MSG_ACTIVATE, nullptr)), 0);  // already enabled
}

TEST_F(gcRegionTriggerTest, ARegionThatIsNotResidentLeavesItDisabledUntilItAttaches)
{
    T* t = NewTrigger(T::RTR_ALLENTITIES);
    t->m_nRegionId = 7;
    {
        gcTestLogCapture log;
        t->Send(gcMsg(MSG_UNFREEZE, nullptr));
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "region 8 is not resident"), 1);  // numbered from 1
    }
    EXPECT_EQ(t->m_nCurState, 1);
    EXPECT_EQ(t->m_volume.m_pZone, nullptr);
    EXPECT_EQ(t->m_nTriggerFlags, T::kFrozen);
    t->Send(gcMsg(MSG_ACTIVATE, nullptr));  // a script alone cannot enable it
    EXPECT_EQ(t->m_nCurState, 1);
    s_regionIds[1] = 7;  // the region attaches in slot 1 (zone B) and unfreezes it
    t->Send(gcMsg(MSG_UNFREEZE, nullptr));
    EXPECT_EQ(t->m_nCurState, 0);
    EXPECT_EQ(t->m_volume.m_pZone, &m_b);
}

TEST_F(gcRegionTriggerTest, EnablingRestrictsTheVolumeByItsResponse)
{
    gcTestEntity* pPlayer = NewEntity(nullptr);
    gcTestEntity* pOther = NewEntity(nullptr);
    gcEntityMgr::Add(9, pOther, 0x55);
    gcPlayer::Get()->m_pEntity = pPlayer;
    struct Row {
        T::gcRegionTriggerResponse respondTo;
        uint32_t hEntity;
        const cType* type;
        const cBase* instance;
    };
    const Row rows[] = {
        {T::RTR_CAMERA, 0, gcGameCamera::GetStaticType(), nullptr},
        {T::RTR_ALLENTITIES, 0, gcEntity::GetStaticType(), nullptr},
        {T::RTR_PLAYER, 0, gcEntity::GetStaticType(), pPlayer},
        {T::RTR_ENTITY, gcEntityHandle::Make(9, 0x55).m_nValue, gcEntity::GetStaticType(), pOther},
        {T::RTR_ENTITY, gcEntityHandle::Make(9, 0x56).m_nValue, gcEntity::GetStaticType(), nullptr},  // stale
        {static_cast<T::gcRegionTriggerResponse>(7), 0, nullptr, nullptr},  // left as it was
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.respondTo);
        T* t = NewTrigger(r.respondTo);
        t->m_hEntity = gcEntityHandle(r.hEntity);
        t->Send(gcMsg(MSG_UNFREEZE, nullptr));
        EXPECT_EQ(t->m_volume.m_pSpecificType, r.type);
        EXPECT_EQ(t->m_volume.m_pSpecificInstance, r.instance);
    }
    // The player's entity is captured at enabling.
    T* t = NewTrigger(T::RTR_PLAYER);
    t->Send(gcMsg(MSG_UNFREEZE, nullptr));
    gcPlayer::Get()->m_pEntity = pOther;
    EXPECT_EQ(t->m_volume.m_pSpecificInstance, pPlayer);
    Send(t, {MSG_FREEZE, MSG_UNFREEZE});
    EXPECT_EQ(t->m_volume.m_pSpecificInstance, pOther);
}

// An entity that goes leaves its triggers answering nobody: neither a new
// entity built at its address nor any other.
TEST_F(gcRegionTriggerTest, ATriggerForgetsTheEntityItAnsweredWhenItGoes)
{
    gcTestEntity* pGone = NewEntity(nullptr);
    gcTestEntity* pOther = NewEntity(nullptr);
    gcEntityMgr::Add(9, pGone, 0x55);
    T* forOne = NewTrigger(T::RTR_ENTITY);
    forOne->m_hEntity = gcEntityHandle::Make(9, 0x55);
    T* forAll = NewTrigger(T::RTR_ALLENTITIES);
    gcRegionTriggerMgr::Add(3, forOne, 0x11);
    gcRegionTriggerMgr::Add(4, forAll, 0x12);
    Send(forOne, {MSG_UNFREEZE});
    Send(forAll, {MSG_UNFREEZE});
    ASSERT_EQ(forOne->m_volume.m_pSpecificInstance, pGone);
    std::erase(m_entities, pGone);
    std::destroy_at(pGone);
    gcEntityMgr::s_pInstances[9] = nullptr;
    gcTestEntity* pSameAddress = new (pGone) gcTestEntity();
    const cBase* pInstance = forOne->m_volume.m_pSpecificInstance;
    EXPECT_NE(pInstance, pSameAddress);
    EXPECT_NE(pInstance, nullptr);  // which would answer every entity
    EXPECT_NE(pInstance, pOther);
    EXPECT_EQ(forAll->m_volume.m_pSpecificInstance, nullptr);
    std::destroy_at(pSameAddress);
    gcRegionTriggerMgr::s_pInstances[3] = gcRegionTriggerMgr::s_pInstances[4] = nullptr;
}

TEST_F(gcRegionTriggerTest, EntityQueriesApplyTheEventsInOrderWithTheTrigger)
{
    T::InstallEntityWorldFuncs();
    gcTestEntityTemplate* pTemplate = PlaceTemplate();
    gcTestEntity* e = PlacedEntity(pTemplate, {-20, 0, 0});
    ASSERT_TRUE(e->Enable());
    T* a = NewTrigger(T::RTR_ALLENTITIES, 0.0f);
    T* t2 = NewTrigger(T::RTR_ALLENTITIES, 10.0f);
    T* other = NewTrigger(T::RTR_CAMERA, 5.0f);  // the entity is not the camera
    for (T* t : {a, t2, other})
        t->Send(gcMsg(MSG_UNFREEZE, nullptr));
    FillEvent(a->onEnter, b.Record(1));
    FillEvent(a->onInside, b.Record(2));
    FillEvent(a->onExit, b.Record(3));
    FillEvent(t2->onEnter, b.Record(4));
    FillEvent(t2->onInside, b.Record(5));
    FillEvent(t2->onExit, b.Record(6));
    FillEvent(other->onEnter, b.Record(7));
    TestLog().clear();
    e->QueryTriggers({-20, 0, 0}, {2, 0, 0}, 0);  // enters a
    e->QueryTriggers({2, 0, 0}, {8, 0, 0}, 0);    // leaves a, enters b
    e->QueryTriggers({8, 0, 0}, {9, 0, 0}, 0);    // inside b
    EXPECT_EQ(TestLogTags(), (std::vector<int32_t>{1, 4, 3, 5}));
    for (const gcTestLogEntry& entry : TestLog()) {
        EXPECT_EQ(entry.pInitiator, e);
        EXPECT_EQ(entry.pParticipant1, entry.nTag <= 3 ? a : t2);
    }
    T::ApplyVolumeEvent(&m_triggerA, gcEntityWorld::TRIGGER_ENTERED, e);  // not a trigger: nothing
    EXPECT_EQ(TestLog().size(), 4u);
}

TEST_F(gcRegionTriggerTest, ReadsEveryVersionWithItsEventOrder)
{
    // Only the event stored first has an action; where it lands tells the order.
    struct Row {
        uint32_t version;
        int32_t volumeType;
        int firstLands;  // 0 OnEnter, 2 OnExit
        int32_t respondTo;
    };
    const Row rows[] = {
        {2, 2, 2, T::RTR_PLAYER}, {3, 2, 2, T::RTR_ENTITY}, {3, 1, 0, T::RTR_ENTITY},
        {4, 2, 0, T::RTR_ENTITY}, {2, 0, 0, T::RTR_PLAYER},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "v" << r.version << " type " << r.volumeType);
        datagen::RegionTriggerDesc d{"Ledge", false, 4, {r.volumeType, 2.0f, {2, 1, 0}}, T::RTR_ENTITY, 0x01020003, {}};
        d.actions = [](datagen::BlockWriter& w, int index) {
            if (index == 0)
                RecordStepMember(w, 11);
        };
        T* t = m_pool.New<T>();
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::RegionTriggerBlock(w, d, r.version); }, t));
        const gcEvent* events[3] = {&t->onEnter, &t->onInside, &t->onExit};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(events[i]->HasActions(), i == r.firstLands) << i;
        EXPECT_EQ(t->m_respondTo, r.respondTo);
        EXPECT_EQ(t->m_hEntity.m_nValue, r.respondTo == T::RTR_ENTITY ? 0x01020003u : 0u);
        EXPECT_EQ(t->m_nTriggerFlags, T::kDeactivated | T::kFrozen);
        EXPECT_EQ(t->m_nRegionId, 4);
        EXPECT_EQ(t->m_volume.m_type, r.volumeType);
        EXPECT_STREQ(t->onExit.sOwnerName, "Ledge");
    }
    // Versions out of range and a refused event leave the trigger as it was.
    for (auto [version, damaged] : {std::pair{1u, -1}, std::pair{5u, -1}, std::pair{4u, 2}}) {
        T* t = m_pool.New<T>();
        gcTestLogCapture quiet;
        datagen::RegionTriggerDesc d;
        d.regionId = 3;
        d.damagedEvent = damaged;
        EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::RegionTriggerBlock(w, d, version); }, t));
        EXPECT_EQ(t->m_nRegionId, -1);
    }
}

TEST_F(gcRegionTriggerTest, ACopyOwnsItsVolumeOutsideEveryZone)
{
    T* t = NewTrigger(T::RTR_ENTITY);
    t->m_name.Set("Gate");
    t->m_hEntity = gcEntityHandle(0x01020003);
    FillEvent(t->onInside, b.Record(1));
    t->Send(gcMsg(MSG_UNFREEZE, nullptr));
    T* c = static_cast<T*>(t->Copy(&m_pool));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->m_volume.m_pOwner, c);
    EXPECT_EQ(c->m_volume.m_pZone, nullptr);
    EXPECT_FLOAT_EQ(c->m_volume.m_fRadius, 5.0f);
    EXPECT_EQ(c->m_nCurState, 0);
    EXPECT_EQ(c->m_hEntity, t->m_hEntity);
    EXPECT_TRUE(c->onInside.HasActions());
    EXPECT_NE(c->onInside.pAction, t->onInside.pAction);
    EXPECT_EQ(c->onExit.sOwnerName, c->m_name.m_sData);
}

}  // namespace
