#include <gtest/gtest.h>

#include "creatureTestFixture.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcMap.h"

namespace {

using CT = gcCreatureTemplate;

// An unfriendly creature at x = 1 of zone A; candidates are test
// entities of a second template (mesh collider radius 1) in map slots from
// 10, active, friendly and alive unless a test changes them.
class gcCreatureTargetTest : public CreatureTest {
protected:
    static constexpr int kFirstSlot = 10;
    void SetUp() override
    {
        CreatureTest::SetUp();
        datagen::MeshDesc mesh = FigureDesc();
        mesh.colliderSize = mVec3(0.5f, 1.0f, 2.0f);
        ASSERT_NE(PlaceMesh(m_data, &m_pool, 5, mesh), nullptr);
        m_t = PlaceCreatureTemplate();
        m_t->team = gcEntityTemplate::TEAM_UNFRIENDLY;
        FillEvent(m_t->onTargetAcquired, b.Record(8));
        FillEvent(m_t->onTargetLost, b.Record(9));
        m_et = m_pool.New<gcTestEntityTemplate>();
        m_et->hMesh = eMeshMgr::GetHandle(5);
        m_et->team = gcEntityTemplate::TEAM_FRIENDLY;
        gcEntityTemplateMgr::Add(kTemplateSlot + 1, m_et, 0x78);
        m_c = PlacedCreature(m_t, {1, 0, 0});
        ASSERT_TRUE(m_c->Enable());
        m_map.m_entities.m_nBegin = m_map.m_entities.m_nEnd = kFirstSlot;
    }
    void TearDown() override
    {
        gcPlayer::Get()->m_pEntity = nullptr;
        m_map.m_entities.m_nEnd = m_map.m_entities.m_nBegin;  // the fixture's pool owns the candidates
        CreatureTest::TearDown();
    }
    // A candidate at x in the next map slot (the player's entity when
    // bPlayer: outside the map's slots).
    gcTestEntity* Candidate(float x, bool bPlayer = false)
    {
        gcTestEntity* e = PlacedEntity(m_et, {x, 0, 0});
        EXPECT_TRUE(e->Enable());
        e->m_nEntityFlags = 0;
        if (bPlayer) {
            gcPlayer::Get()->m_pEntity = e;
            return e;
        }
        gcEntityMgr::s_pInstances[m_map.m_entities.m_nEnd++] = e;
        return e;
    }
    void SetTargetDistance(float f) { m_t->fCreatureValues[CT::VAL_TARGETDISTANCE] = f; }

    gcMap m_map;
    gcTestCreatureTemplate* m_t = nullptr;
    gcTestEntityTemplate* m_et = nullptr;
    gcTestCreature* m_c = nullptr;
};

TEST_F(gcCreatureTargetTest, OnlyActiveLivingTargetableEnemiesInRangeAreValid)
{
    struct Row {
        const char* name;
        float x;
        float fTargetDistance;
        int16_t nMyTeam, nTheirTeam;
        uint16_t nFlags;
        uint32_t nTemplateFlags;
        float fHealth;
        bool bValid;
    } rows[] = {
        {"an enemy anywhere", 90.0f, -1.0f, -1, 1, 0, 1, 100, true},
        {"friendly to it", 3.0f, -1.0f, 1, 1, 0, 1, 100, false},
        {"a neutral entity", 3.0f, -1.0f, -1, 0, 0, 1, 100, false},
        {"a neutral creature", 3.0f, -1.0f, 0, 1, 0, 1, 100, false},
        {"deactivated", 3.0f, -1.0f, -1, 1, gcEntity::kDeactivated, 1, 100, false},
        {"frozen", 3.0f, -1.0f, -1, 1, gcEntity::kFrozen, 1, 100, false},
        {"not targetable", 3.0f, -1.0f, -1, 1, 0, 0x4, 100, false},
        {"dead", 3.0f, -1.0f, -1, 1, 0, 1, 0, false},
        {"target distance 0", 0.5f, 0.0f, -1, 1, 0, 1, 100, false},
        {"its radius within the distance", 7.0f, 5.0f, -1, 1, 0, 1, 100, true},
        {"its radius beyond the distance", 7.5f, 5.0f, -1, 1, 0, 1, 100, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestEntity* e = Candidate(r.x);
        SetTargetDistance(r.fTargetDistance);
        m_c->m_team = r.nMyTeam;
        e->m_team = r.nTheirTeam;
        e->m_nEntityFlags = r.nFlags;
        m_et->nEntityTemplateFlags = r.nTemplateFlags;
        e->SetStat(gcEntityTemplate::STAT_HEALTH, r.fHealth);
        EXPECT_EQ(m_c->IsValidTarget(e, false), r.bValid);
        EXPECT_EQ(m_c->IsValidTarget(e, true), r.bValid);
    }
    EXPECT_FALSE(m_c->IsValidTarget(nullptr, false));
}

// Next goes through the valid candidates in slot order, the player's
// entity last, and wraps; closest takes the nearest centre. Each change
// loses the old target, then acquires the new one.
TEST_F(gcCreatureTargetTest, NextTargetsGoInSlotOrderWithThePlayerLast)
{
    gcTestEntity* e0 = Candidate(8);
    gcTestEntity* e1 = Candidate(3);
    gcTestEntity* friendOf = Candidate(1);
    friendOf->m_team = gcEntityTemplate::TEAM_UNFRIENDLY;
    gcTestEntity* e3 = Candidate(5);
    gcTestEntity* player = Candidate(4, true);
    const std::vector<gcEntity*> order = {e0, e1, e3, player, e0};
    for (gcEntity* expected : order) {
        TestLog().clear();
        gcEntity* old = m_c->m_pTarget;
        m_c->SetNextTarget();
        EXPECT_EQ(m_c->m_pTarget, expected);
        EXPECT_EQ(TestLogTags(), old ? std::vector<int32_t>({9, 8}) : std::vector<int32_t>({8}));
    }
    m_c->SetClosestTarget();
    EXPECT_EQ(m_c->m_pTarget, e1);
    // Outside a zone the creature's forward axis stands in for the way.
    e3->Disable();
    EXPECT_EQ(m_c->GetVecToEntity(*e3), mVec3(0, 1, 0));
    // The current target no longer valid: the scan wraps to the first.
    e1->m_nEntityFlags = gcEntity::kFrozen;
    m_c->SetNextTarget();
    EXPECT_EQ(m_c->m_pTarget, e0);
}

// Equal distances keep the first; a lone valid target is kept without
// events; with none valid the target is cleared, firing only OnTargetLost.
TEST_F(gcCreatureTargetTest, ALoneTargetIsKeptAndNoneClears)
{
    gcTestEntity* a = Candidate(3);
    gcTestEntity* b2 = Candidate(-1);
    m_c->SetClosestTarget();
    EXPECT_EQ(m_c->m_pTarget, a);
    b2->SetStat(gcEntityTemplate::STAT_HEALTH, 0.0f);
    TestLog().clear();
    m_c->SetNextTarget();
    m_c->SetTarget(a);
    EXPECT_EQ(m_c->m_pTarget, a);
    EXPECT_TRUE(TestLog().empty());
    a->m_nEntityFlags = gcEntity::kDeactivated;
    m_c->SetNextTarget();
    EXPECT_EQ(m_c->m_pTarget, nullptr);
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>({9}));
    TestLog().clear();
    m_c->SetClosestTarget();
    EXPECT_TRUE(TestLog().empty());
}

}  // namespace
