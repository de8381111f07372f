#include "gcGameCore/actions/gcDoEntityDamage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "../entities/entityTestObjects.h"
#include "datagen/actionWriters.h"
#include "eEngine/eMesh.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

using Msg = gcMsgDealDamage;
constexpr int kMeshSlot = 6;
constexpr int kFirstSlot = 40;

// One DealDamage as its target saw it.
struct Hit {
    const gcEntity* pTo;
    const gcEntity* pFrom;
    uint32_t nFlags;
    float fAmount;
    int32_t dir;
    int32_t nTicks;
    bool operator==(const Hit&) const = default;
};

std::vector<Hit>& Hits()
{
    static std::vector<Hit> s_hits;
    return s_hits;
}

class gcDamageRecorder : public gcTestEntity {
public:
    int Send(const gcMsg& msg) override
    {
        if (msg.nMsgId == MSG_DEALDAMAGE) {
            const auto& m = static_cast<const Msg&>(msg);
            EXPECT_EQ(m.gcMsg::pFrom, nullptr);
            EXPECT_FALSE(m.bBlocked);
            Hits().push_back({this, m.pFrom, m.nFlags, m.fAmount, m.dir, m.duration.m_nTicks});
        }
        return gcTestEntity::Send(msg);
    }
};

class gcDoEntityDamageTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        Hits().clear();
        TestLog().clear();
        eMesh* pMesh = PlaceMesh(m_data, &m_pool, kMeshSlot, FigureDesc());
        ASSERT_NE(pMesh, nullptr);
        pMesh->m_colliderSize = mVec3(1.0f, 1.0f, 2.0f);
        m_pTemplate = PlaceTemplate();
        m_pTemplate->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        m_map.m_entities.m_nBegin = m_map.m_entities.m_nEnd = kFirstSlot;
    }
    void TearDown() override
    {
        for (int32_t slot = m_map.m_entities.m_nBegin; slot < m_map.m_entities.m_nEnd; ++slot)
            gcEntityMgr::s_pInstances[slot] = nullptr;  // the pool owns them
        m_map.m_entities.m_nEnd = m_map.m_entities.m_nBegin;
        gcPlayer::Get()->m_pEntity = nullptr;
        EntityWorldTest::TearDown();
        eMeshMgr::Remove(kMeshSlot);
    }

    // An active recorder in region 1 at the point, facing the heading.
    gcDamageRecorder* Placed(const mVec3& at, float fHeading = 0.0f)
    {
        auto* p = m_pool.New<gcDamageRecorder>();
        m_entities.push_back(p);
        p->m_hTemplate = gcEntityTemplateMgr::GetHandle(kTemplateSlot);
        p->m_nRegionId = 1;
        p->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z, fHeading);
        p->Reset(&m_pool);
        p->m_nEntityFlags = 0;
        return p;
    }
    // The same, in the next slot of the map's entity range.
    gcDamageRecorder* InMap(const mVec3& at, uint16_t flags = 0)
    {
        gcDamageRecorder* p = Placed(at);
        p->m_nEntityFlags = flags;
        gcEntityMgr::s_pInstances[m_map.m_entities.m_nEnd++] = p;
        return p;
    }
    std::vector<const gcEntity*> HitTargets() const
    {
        std::vector<const gcEntity*> out;
        for (const Hit& h : Hits())
            out.push_back(h.pTo);
        return out;
    }
    static std::string Text(const gcAction& a)
    {
        char buf[gcScriptText::kSize] = {};
        a.GetText(buf);
        return buf;
    }

    gcMap m_map;
    gcTestEntityTemplate* m_pTemplate = nullptr;
};

const gcDesiredEntity kFirst = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);
const gcDesiredEntity kSecond = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT2);

// The direction is worked out from the origin (the target faces +y) and
// replaces the desired one, even by "none" from more than 120 degrees off;
// without the event-location flag the desired one goes out unlooked-at. A
// target whose region is not resident stands at the world origin.
TEST_F(gcDoEntityDamageTest, SingleTargetDirections)
{
    gcDamageRecorder* pTarget = Placed({0, 0, 0});
    gcDamageRecorder* pAway = Placed({30, 30, 0}, 180.0f);
    pAway->m_nRegionId = 9;
    gcDamageRecorder* pAttacker = Placed({0, 5, 0});
    const mOCS front = MakeFrame(0, 5, 0), behind = MakeFrame(0, -5, 0), off130 = MakeFrame(3.83f, -3.21f, 0);
    const mOCS off110 = MakeFrame(4.70f, -1.71f, 0), left = MakeFrame(-5, 0, 0), above = MakeFrame(0, 0.5f, 5);
    const struct {
        const char* name;
        gcDamageRecorder* pTo;
        bool bEventLocationDir;
        const mOCS* pLocation;
        std::vector<int32_t> dirs;  // of the hits sent
    } rows[] = {
        {"from the location: no location, nothing", pTarget, true, nullptr, {}},
        {"in front", pTarget, true, &front, {Msg::DD_F}},
        {"behind", pTarget, true, &behind, {Msg::DD_NONE}},
        {"130 degrees off", pTarget, true, &off130, {Msg::DD_NONE}},
        {"110 degrees off, right to left", pTarget, true, &off110, {Msg::DD_RL}},
        {"from -x", pTarget, true, &left, {Msg::DD_LR}},
        {"from above", pTarget, true, &above, {Msg::DD_TB}},
        {"the desired direction needs no location", pTarget, false, nullptr, {Msg::DD_BT}},
        {"nor does it look at one", pTarget, false, &behind, {Msg::DD_BT}},
        {"not resident, in front", pAway, true, &front, {Msg::DD_F}},
        {"not resident, behind", pAway, true, &behind, {Msg::DD_NONE}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Hits().clear();
        gcEventParams params(nullptr, row.pTo, pAttacker, row.pLocation, nullptr);
        gcDoEntityDamage(kFirst, kSecond, 0x4, Msg::DD_BT, row.bEventLocationDir, false, 0.0f).Apply(params);
        std::vector<int32_t> dirs;
        for (const Hit& h : Hits()) {
            EXPECT_EQ(h.pTo, row.pTo);
            EXPECT_EQ(h.pFrom, pAttacker);
            EXPECT_EQ(h.nFlags, 0x4u);
            dirs.push_back(h.dir);
        }
        EXPECT_EQ(dirs, row.dirs);
    }
}

// calcDamage runs with the action's own parameters; calcDuration with the
// attacker, the target and the amount as Param1; its seconds become ticks,
// truncated.
TEST_F(gcDoEntityDamageTest, AmountAndDurationComeFromTheEvents)
{
    gcDamageRecorder* pTarget = Placed({0, 0, 0});
    gcDamageRecorder* pAttacker = Placed({0, 5, 0});
    gcDoEntityDamage* p = m_pool.New<gcDoEntityDamage>(kFirst, kSecond, 0x1, Msg::DD_LR, false, false, 0.0f);
    gcEventParams params(pTarget, pTarget, pAttacker, nullptr, nullptr);
    p->Apply(params);
    FillEvent(p->calcDamage, b.Record(1), b.Return(b.Num(7.5f)));
    FillEvent(p->calcDuration, b.Record(2), b.Return(b.Num(1.2345f)));
    p->Apply(params);
    const std::vector<Hit> expected = {
        {pTarget, pAttacker, 0x1, 0.0f, Msg::DD_LR, 0},
        {pTarget, pAttacker, 0x1, 7.5f, Msg::DD_LR, 740},
    };
    EXPECT_EQ(Hits(), expected);
    ASSERT_EQ(TestLog().size(), 2u);
    EXPECT_EQ(TestLog()[0].pInitiator, pTarget);
    EXPECT_EQ(TestLog()[0].fParam1, 0.0f);
    EXPECT_EQ(TestLog()[1].pInitiator, pAttacker);
    EXPECT_EQ(TestLog()[1].pParticipant1, pTarget);
    EXPECT_EQ(TestLog()[1].fParam1, 7.5f);
    EXPECT_EQ(TestLog()[1].fParam2, 0.0f);
    // A copy brings its own copies of both events.
    Hits().clear();
    const auto* pCopy = static_cast<const gcAction*>(p->Copy(&m_pool));
    ASSERT_NE(pCopy, nullptr);
    p->calcDamage.pAction = nullptr;  // the pool keeps the memory
    pCopy->Apply(params);
    EXPECT_EQ(Hits(), std::vector<Hit>{expected[1]});
}

// Map entities in slot order, then the player; never the attacker, a
// deactivated or a frozen entity, nor an empty slot; boxes the sphere
// misses take nothing.
TEST_F(gcDoEntityDamageTest, AreaDamageWalksTheMapThenThePlayer)
{
    gcDamageRecorder* pAttacker = InMap({0, 0, 0});
    gcDamageRecorder* pFar = InMap({0, 9, 0});
    gcDamageRecorder* pNear = InMap({2, 0, 0});
    InMap({0, 1, 0}, gcEntity::kDeactivated);
    InMap({0, 1, 0}, gcEntity::kFrozen);
    ++m_map.m_entities.m_nEnd;  // an empty slot
    gcDamageRecorder* pClose = InMap({0, -1, 0});
    gcDamageRecorder* pPlayer = Placed({-2, 0, 0});
    gcPlayer::Get()->m_pEntity = pPlayer;
    const mOCS origin = MakeFrame(0, 0, 0);
    const gcEventParams params(nullptr, nullptr, pAttacker, &origin, nullptr);
    gcDoEntityDamage(kFirst, kSecond, 0, Msg::DD_NONE, true, true, 1.5f).Apply(params);
    EXPECT_EQ(HitTargets(), (std::vector<const gcEntity*>{pNear, pClose, pPlayer}));
    // Radius 8 reaches the box around (0, 9, 0), which starts at y = 8.
    Hits().clear();
    gcDoEntityDamage(kFirst, kSecond, 0, Msg::DD_NONE, true, true, 8.0f).Apply(params);
    EXPECT_EQ(HitTargets(), (std::vector<const gcEntity*>{pFar, pNear, pClose, pPlayer}));
    // The attacker as the player is spared there too.
    Hits().clear();
    gcPlayer::Get()->m_pEntity = pAttacker;
    gcDoEntityDamage(kFirst, kSecond, 0, Msg::DD_NONE, true, true, 1.5f).Apply(params);
    EXPECT_EQ(HitTargets(), (std::vector<const gcEntity*>{pNear, pClose}));
}

// A radius that is not a number counts as 0.
TEST_F(gcDoEntityDamageTest, AreaOfRadiusZeroHitsOnlyBoxesHoldingTheOrigin)
{
    gcDamageRecorder* pHolding = InMap({0.5f, 0, 1.5f});
    InMap({0, 1.2f, 0});
    gcDamageRecorder* pEdge = InMap({0, 0, -2});  // the origin lies on its box's top
    // Without a mesh the box is a point: only one at the origin is hit.
    gcDamageRecorder* pPoint = InMap({0, 0, 0});
    InMap({0.01f, 0, 0});
    for (int32_t slot = m_map.m_entities.m_nEnd - 2; slot < m_map.m_entities.m_nEnd; ++slot)
        gcEntityMgr::s_pInstances[slot]->m_model.m_hMesh = eMeshHandle();
    const mOCS origin = MakeFrame(0, 0, 0);
    for (float fRadius : {0.0f, NAN}) {
        SCOPED_TRACE(fRadius);
        Hits().clear();
        gcDoEntityDamage(kFirst, kSecond, 0, Msg::DD_NONE, true, true, fRadius)
            .Apply(gcEventParams(nullptr, nullptr, nullptr, &origin, nullptr));
        EXPECT_EQ(HitTargets(), (std::vector<const gcEntity*>{pHolding, pEdge, pPoint}));
    }
}

// The range ends before its end slot: the entity in the last slot of the
// range is hit, one placed in the end slot itself is not, nor is one just
// before the range's first slot.
TEST_F(gcDoEntityDamageTest, AreaDamageStopsAtTheEndOfTheMapsRange)
{
    gcDamageRecorder* pFirst = InMap({1, 0, 0});
    gcDamageRecorder* pLast = InMap({-1, 0, 0});
    gcDamageRecorder* pPast = Placed({0, 1, 0});
    gcDamageRecorder* pBefore = Placed({0, -1, 0});
    gcEntityMgr::s_pInstances[m_map.m_entities.m_nEnd] = pPast;
    gcEntityMgr::s_pInstances[m_map.m_entities.m_nBegin - 1] = pBefore;
    const mOCS origin = MakeFrame(0, 0, 0);
    gcDoEntityDamage(kFirst, kSecond, 0, Msg::DD_NONE, true, true, 3.0f)
        .Apply(gcEventParams(nullptr, nullptr, nullptr, &origin, nullptr));
    EXPECT_EQ(HitTargets(), (std::vector<const gcEntity*>{pFirst, pLast}));
}

// Without the event location the area lies around the attacker; without an
// attacker (or a location) nothing happens.
TEST_F(gcDoEntityDamageTest, AreaOriginIsTheLocationOrTheAttacker)
{
    gcDamageRecorder* pAttacker = Placed({0, 20, 0});
    gcDamageRecorder* pByAttacker = InMap({0, 21, 0});
    gcDamageRecorder* pByLocation = InMap({0, 0, 0});
    const mOCS origin = MakeFrame(0, 0, 0);
    const struct {
        const char* name;
        bool bEventLocationDir;
        gcEntity* pAttacker;
        const mOCS* pLocation;
        std::vector<const gcEntity*> hit;
    } rows[] = {
        {"location", true, pAttacker, &origin, {pByLocation}},
        {"no location", true, pAttacker, nullptr, {}},
        {"attacker", false, pAttacker, &origin, {pByAttacker}},
        {"no attacker", false, nullptr, &origin, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Hits().clear();
        gcDoEntityDamage(kFirst, kSecond, 0, Msg::DD_NONE, row.bEventLocationDir, true, 1.5f)
            .Apply(gcEventParams(nullptr, nullptr, row.pAttacker, row.pLocation, nullptr));
        EXPECT_EQ(HitTargets(), row.hit);
    }
}

class gcDoEntityDamageReadTest : public gcDoEntityDamageTest {
protected:
    gcDoEntityDamage* Load(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        auto* p = m_pool.New<gcDoEntityDamage>();
        const bool bRead = ReadBlock(
            [&](datagen::BlockWriter& w) {
                datagen::ActionBlock(w, version);
                fields(w);
                w.End();
            },
            p);
        return bRead ? p : nullptr;
    }
    static void EmptyEvent(datagen::BlockWriter& w) { w.Begin(gcEvent::kVersion).Begin(1).End().Int(-1).End(); }
};

TEST_F(gcDoEntityDamageReadTest, OldBlocksConvertTheirFlagsAndLackTheArea)
{
    const struct {
        const char* name;
        uint32_t version;
        uint32_t stored;  // the boolean of version 1, the flags after
        uint32_t flags;
    } rows[] = {
        {"version 1, boolean set", 1, 5, 0x1},
        {"version 1, boolean clear", 1, 0, 0},
        {"version 2 keeps the word", 2, 0x6, 0x6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const gcDoEntityDamage* p = Load(row.version, [&](datagen::BlockWriter& w) {
            w.Int(gcDesiredEntity::PLAYER).Int(0).Int(gcDesiredEntity::INITIATOR).Int(0);
            EmptyEvent(w);
            if (row.version >= 2)
                EmptyEvent(w);
            w.Int(static_cast<int32_t>(row.stored)).Int(Msg::DD_TB).Int(0);
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->desiredTarget.desiredEntity, gcDesiredEntity::PLAYER);
        EXPECT_EQ(p->desiredAttacker.desiredEntity, gcDesiredEntity::INITIATOR);
        EXPECT_EQ(p->nFlags, row.flags);
        EXPECT_FALSE(p->calcDuration.HasActions());
        EXPECT_EQ(p->desiredDir, Msg::DD_TB);
        EXPECT_FALSE(p->bEventLocationDir);
        EXPECT_FALSE(p->bAreaEffect);
        EXPECT_EQ(p->fRadius, 0.0f);
    }
}

// The fields after the two events, in order, pinned by hand.
TEST_F(gcDoEntityDamageReadTest, NewestFieldOrder)
{
    const gcDoEntityDamage* p = Load(3, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::SPECIFIC).Int(0x00070002).Int(gcDesiredEntity::PARTICIPANT2).Int(0);
        EmptyEvent(w);
        EmptyEvent(w);
        w.Int(0x8).Int(Msg::DD_RL).Int(0).Int(1).Float(2.5f);
    });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->desiredTarget.hSpecificEntity.m_nValue, 0x00070002u);
    EXPECT_EQ(p->nFlags, 0x8u);
    EXPECT_EQ(p->desiredDir, Msg::DD_RL);
    EXPECT_FALSE(p->bEventLocationDir);
    EXPECT_TRUE(p->bAreaEffect);
    EXPECT_EQ(p->fRadius, 2.5f);
    EXPECT_EQ(p->calcDamage.sName, std::string("CalcDamage"));
}

// A refused or damaged block leaves the action as it was, events included.
TEST_F(gcDoEntityDamageReadTest, RefusedBlocksKeepThePreviousAction)
{
    const auto whole = [](datagen::BlockWriter& w) {
        w.Int(0).Int(0).Int(0).Int(0);
        EmptyEvent(w);
        EmptyEvent(w);
        w.Int(0x2).Int(1).Int(1).Int(1).Float(4.0f);
    };
    const struct {
        const char* name;
        uint32_t version;
        std::function<void(datagen::BlockWriter&)> fields;
    } rows[] = {
        {"version 0", 0, whole},
        {"version 4", 4, whole},
        {"cut after the events", 3, [](datagen::BlockWriter& w) { w.Int(0).Int(0).Int(0).Int(0); EmptyEvent(w); EmptyEvent(w); w.Int(0x2); }},
        {"a damaged event", 2, [](datagen::BlockWriter& w) { w.Int(0).Int(0).Int(0).Int(0).Begin(2).End(); }},
    };
    gcTestLogCapture log;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto* p = m_pool.New<gcDoEntityDamage>(kFirst, kSecond, 0x20, Msg::DD_F, true, false, 0.0f);
        FillEvent(p->calcDamage, b.Return(b.Num(3.0f)));
        const bool bRead = ReadBlock(
            [&](datagen::BlockWriter& w) {
                datagen::ActionBlock(w, row.version);
                row.fields(w);
                w.End();
            },
            p);
        EXPECT_FALSE(bRead);
        EXPECT_EQ(p->nFlags, 0x20u);
        EXPECT_EQ(p->desiredTarget.desiredEntity, gcDesiredEntity::PARTICIPANT1);
        EXPECT_TRUE(p->calcDamage.HasActions());
        EXPECT_FALSE(p->bAreaEffect);
    }
}

TEST_F(gcDoEntityDamageTest, Text)
{
    EXPECT_EQ(Text(gcDoEntityDamage()), "Participant2.DealDamage( Participant1 )");
    EXPECT_EQ(Text(gcDoEntityDamage(kFirst, gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), 0, 0, true, true,
                                    2.5f)),
              "Initiator.DealAreaDamage( 2.5m )");
}

}  // namespace
