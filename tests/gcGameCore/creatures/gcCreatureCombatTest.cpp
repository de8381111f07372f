#include <gtest/gtest.h>

#include <cmath>

#include "creatureTestFixture.h"
#include "eEngine/collisionTestSupport.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcSurface.h"

namespace {

using C = gcCreature;
using A = gcCreatureAttack;

class gcCreatureCombatTest : public CreatureTest {
protected:
    void SetUp() override
    {
        CreatureTest::SetUp();
        m_t = PlaceCreatureTemplate();
        for (int i : {0, 2, 3}) {
            m_t->pAttacks[i] = m_pool.New<A>();
            m_attacks[i] = m_t->pAttacks[i];
        }
        m_t->pAttacks[3]->nFlags = A::kThrow;
        m_c = PlacedCreature(m_t, {0, 0, 0});
    }
    void TearDown() override
    {
        for (gcCreatureAttack*& p : m_t->pAttacks)
            p = nullptr;  // in the pool
        CreatureTest::TearDown();
    }
    // Index of the attack in the table, -1 for none.
    int IndexOf(const A* p) const
    {
        for (int i = 0; i < 4; ++i)
            if (p && m_attacks[i] == p)
                return i;
        return -1;
    }

    gcTestCreatureTemplate* m_t = nullptr;
    gcTestCreature* m_c = nullptr;
    A* m_attacks[4] = {};
};

// What runs and waits after a series of attack requests: a plain request
// runs only when nothing does; chained ones wait on their branch; empty
// slots and indices outside the table start nothing.
TEST_F(gcCreatureCombatTest, AttacksRunOrWaitOnTheirBranch)
{
    struct Call {
        int index;
        bool bChain;
        int nBranch;
    };
    struct Row {
        const char* name;
        std::vector<Call> calls;
        bool bLastReturn;
        int running, queuedA, queuedB;
    } rows[] = {
        {"plain runs", {{0, false, 0}}, true, 0, -1, -1},
        {"a second plain one does not replace it", {{0, false, 0}, {2, false, 0}}, true, 0, -1, -1},
        {"chained waits on A", {{0, false, 0}, {2, true, 0}}, true, 0, 2, -1},
        {"any non-zero branch is B", {{2, true, 7}}, false, -1, -1, 2},
        {"an empty slot starts nothing", {{1, false, 0}}, false, -1, -1, -1},
        {"an empty slot empties the queue", {{2, true, 0}, {1, true, 0}}, false, -1, -1, -1},
        {"past the table is refused", {{2, true, 0}, {32, true, 0}}, false, -1, 2, -1},
        {"below the table is refused", {{0, false, 0}, {-1, true, 1}}, true, 0, -1, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestLogCapture quiet;
        m_c->m_pAttack = m_c->m_pNextAttackA = m_c->m_pNextAttackB = nullptr;
        bool bReturn = false;
        for (const Call& call : r.calls)
            bReturn = m_c->Attack(call.index, call.bChain, call.nBranch);
        EXPECT_EQ(bReturn, r.bLastReturn);
        EXPECT_EQ(IndexOf(m_c->m_pAttack), r.running);
        EXPECT_EQ(IndexOf(m_c->m_pNextAttackA), r.queuedA);
        EXPECT_EQ(IndexOf(m_c->m_pNextAttackB), r.queuedB);
    }
}

// Starting takes queue A before B and empties both, faces the current
// heading level, times the state by the animation (1 tick when it does not
// resolve) and starts the throw counter for a throw only.
TEST_F(gcCreatureCombatTest, StartingTakesTheQueueAFirst)
{
    m_c->m_model.m_localToParent = MakeFrame(0, 0, 0, 90.0f);
    m_c->m_desiredHPR[1] = 30.0f;
    m_c->Attack(2, true, 1);
    m_c->Attack(3, true, 0);
    m_c->HandleAttackStarted();
    EXPECT_EQ(IndexOf(m_c->m_pAttack), 3);
    EXPECT_EQ(m_c->m_pNextAttackA, nullptr);
    EXPECT_EQ(m_c->m_pNextAttackB, nullptr);
    EXPECT_EQ(m_c->m_pNextAnimationConfig, &m_attacks[3]->animationConfig);
    EXPECT_EQ(m_c->m_nextUpdate.m_nTicks, 1);
    EXPECT_NEAR(m_c->m_desiredHPR[0], 90.0f, 1e-3f);
    EXPECT_EQ(m_c->m_desiredHPR[1], 0.0f);
    EXPECT_EQ(m_c->m_creatureTimeSince[C::TIMESINCE_THROW].m_nTicks, 0);
    m_c->m_creatureTimeSince[C::TIMESINCE_THROW] = cTimeValue(C::kNever);
    m_c->HandleAttackEnded();
    m_c->Attack(2, true, 1);
    m_c->HandleAttackStarted();
    EXPECT_EQ(IndexOf(m_c->m_pAttack), 2);
    EXPECT_EQ(m_c->m_creatureTimeSince[C::TIMESINCE_THROW].m_nTicks, C::kNever);
}

// Ending keeps the queues of a chained attack unless their branch was
// cancelled; it clears the attack flags but not enragement.
TEST_F(gcCreatureCombatTest, EndingKeepsTheQueuesOfAChainedAttack)
{
    struct Row {
        const char* name;
        uint16_t nFlags;
        bool bKeepA, bKeepB;
    } rows[] = {
        {"not chained", 0, false, false},
        {"chained", C::kChained, true, true},
        {"chained, A cancelled", C::kChained | C::kBranchACancelled, false, true},
        {"chained, B cancelled", C::kChained | C::kBranchBCancelled, true, false},
        {"cancelled, not chained", C::kBranchBCancelled, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_c->Attack(0, false, 0);
        m_c->Attack(2, true, 0);
        m_c->Attack(3, true, 1);
        m_c->m_pLastHit = m_c;
        m_c->m_nCreatureFlags = r.nFlags | C::kEnraged;
        m_c->HandleAttackEnded();
        EXPECT_EQ(m_c->m_pAttack, nullptr);
        EXPECT_EQ(m_c->m_pNextAttackA != nullptr, r.bKeepA);
        EXPECT_EQ(m_c->m_pNextAttackB != nullptr, r.bKeepB);
        EXPECT_EQ(m_c->m_pLastHit, nullptr);
        EXPECT_EQ(m_c->m_nCreatureFlags, C::kEnraged);
        EXPECT_EQ(m_c->m_creatureTimeSince[C::TIMESINCE_ATTACK].m_nTicks, 0);
        m_c->m_pNextAttackA = m_c->m_pNextAttackB = nullptr;
    }
}

// A creature at x = 1 of zone A swings its hips (zone height 1) from x = 0
// through a wall at x = 0.5 owned by a victim standing at (0.5, -2) facing
// +y: the swing crosses the victim's front from its left to its right.
class gcCreatureSweepTest : public gcCreatureCombatTest {
protected:
    void SetUp() override
    {
        gcCreatureCombatTest::SetUp();
        ASSERT_TRUE(eZone::Initialize());
        eZone::InvalidateDynamicCollisionCache();
        ASSERT_NE(PlaceMesh(m_data, &m_pool, 5, FigureDesc()), nullptr);
        m_t->hMesh = eMeshMgr::GetHandle(5);
        m_game.m_nCollisionMask = 0x4;
        m_engine.m_nCollisionMask = 0x4;
        m_hGame = eSurfaceMgr::Add(41, &m_game, 0x141);
        m_hEngine = eSurfaceMgr::Add(42, &m_engine, 0x142);
        FillEvent(m_game.onAttacked, b.Record(4));
        m_attack = m_attacks[0];
        m_attack->nCollisionMask = 0x4;
        m_attack->damageStart = cTimeValue(40);
        m_attack->damageStop = cTimeValue(260);
        m_attack->fDamage = 12.5f;
        m_attack->nFlags = 0x3F;
        m_attack->nHelperId[0] = m_attack->nHelperId[1] = 1;  // both helpers on the hips
        FillEvent(m_t->calcDamage, b.Return(b.Add(b.Var(gcValTest::PARAM1), b.Var(gcValTest::PARAM1))));
        FillEvent(m_attack->calcDuration, b.Return(b.Num(0.5f)));
        FillEvent(m_attack->onAttackHit, b.Record(3));
        for (int i = 0; i < 4; ++i)
            m_effects[i] = PlaceEffectTemplate(60 + i);
        m_t->hAttackHitEffect = m_effects[0]->m_handle;
        m_t->hAttackBlockedEffect = m_effects[1]->m_handle;
        m_victim = PlacedCreature(m_t, {0.5f, -2.0f, 0.0f});
        ASSERT_TRUE(m_victim->Enable());
        m_c->m_model.m_localToParent = MakeFrame(1, 0, 0);
        m_c->Reset(&m_pool);
        ASSERT_TRUE(m_c->Enable());
    }
    void TearDown() override
    {
        for (gcEffectTemplate* t : m_effects)
            if (gcEffect* e = t->GetInstanceAt(0))
                e->Send(gcMsg(MSG_DEACTIVATE, nullptr));
        if (m_wall)
            m_wall->SetZone(nullptr);
        for (int i = 0; i < gcEffectTemplateMgr::kSlots; ++i)
            gcEffectTemplateMgr::s_pInstances[i] = nullptr;
        eSurfaceMgr::s_pInstances[41] = nullptr;
        eSurfaceMgr::s_pInstances[42] = nullptr;
        gcCreatureCombatTest::TearDown();
    }
    gcEffectTemplate* PlaceEffectTemplate(int slot)
    {
        gcEffectTemplate* t = m_pool.New<gcEffectTemplate>();
        gcEffectTemplateMgr::Add(slot, t, static_cast<uint16_t>(0x100 + slot));
        t->SetMaxInstances(1, &m_pool);
        t->ResetInstances();
        return t;
    }
    void PlaceWall(eSurfaceHandle hSurface)
    {
        std::vector<ColTri> tris;
        AddQuad(&tris, {0.5f, -10, -10}, {0.5f, -10, 10}, {0.5f, 10, 10}, {0.5f, 10, -10});
        m_wall = std::make_unique<eTestColModel>(tris, hSurface, 20.0f);
        m_wall->m_pOwner = m_victim;
        m_wall->Place(&m_a, {0, 0, 0});
    }
    // The attack runs at this animation time; both helpers swept from x = 0.
    void Swing(int16_t nState, int32_t nTime)
    {
        m_c->m_pAttack = m_attack;
        m_c->m_model.m_nCurAnimationState = nState;
        m_c->m_model.m_animationStates[0].timeElapsed = cTimeValue(nTime);
        const mVec3 prev[2] = {{0, 0, 1}, {0, 0, 1}};
        m_c->UpdateAttack(prev);
    }
    // The slot of the effect template whose instance the creature spawned.
    int SpawnedEffect() const
    {
        for (int i = 0; i < 4; ++i)
            if (m_effects[i]->GetInstanceAt(0)->m_pSpawnEntity == m_c)
                return i;
        return -1;
    }

    gcSurface m_game;
    eTestSurface m_engine;
    eSurfaceHandle m_hGame, m_hEngine;
    A* m_attack = nullptr;
    gcEffectTemplate* m_effects[4] = {};
    gcTestCreature* m_victim = nullptr;
    std::unique_ptr<eTestColModel> m_wall;
};

// The window holds both its ends; with no current animation there is no
// time and no sweep. Inside it the victim is hit once although both
// helpers cross the wall: twice the attack's damage (the template's
// CalcDamage), every flag mapped, half a second, from its left.
TEST_F(gcCreatureSweepTest, TheWindowHoldsBothEndsAndEachObjectIsHitOnce)
{
    PlaceWall(m_hGame);
    struct Row {
        const char* name;
        int16_t nState;
        int32_t nTime;
        bool bHit;
    } rows[] = {
        {"before the window", 0, 39, false},
        {"its start", 0, 40, true},
        {"its end", 0, 260, true},
        {"after it", 0, 261, false},
        {"no current animation", -1, 100, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        DamageLog().clear();
        m_c->m_pLastHit = nullptr;
        Swing(r.nState, r.nTime);
        ASSERT_EQ(DamageLog().size(), r.bHit ? 1u : 0u);
        if (!r.bHit)
            continue;
        const gcDamageLogEntry& d = DamageLog()[0];
        EXPECT_EQ(d.pTo, m_victim);
        EXPECT_EQ(d.pFrom, m_c);
        EXPECT_EQ(d.nFlags, 0xFu);
        EXPECT_EQ(d.fAmount, 25.0f);
        EXPECT_EQ(d.nDurationTicks, 300);
        EXPECT_EQ(d.dir, gcMsgDealDamage::DD_LR);
        EXPECT_EQ(m_c->m_pLastHit, m_victim);
    }
}

// CalcDuration's seconds become the hit's ticks as every other time from
// a script does: 0.7 s is 420 ticks, not the 419 the seconds' nearest
// double would truncate to; what is no number is none, and what no tick
// count holds the largest.
TEST_F(gcCreatureSweepTest, TheHitsDurationTakesSecondsAsTicks)
{
    PlaceWall(m_hGame);
    const struct {
        float fSeconds;
        int32_t nTicks;
    } rows[] = {{0.7f, 420}, {0.35f, 210}, {0.5f, 300}, {NAN, 0}, {1e10f, INT32_MAX}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.fSeconds);
        FillEvent(m_attack->calcDuration, b.Return(b.Num(r.fSeconds)));
        DamageLog().clear();
        m_c->m_pLastHit = nullptr;
        Swing(0, 100);
        ASSERT_EQ(DamageLog().size(), 1u);
        EXPECT_EQ(DamageLog()[0].nDurationTicks, r.nTicks);
    }
}

// A hit shows the attack's hit effect, or the template's; a blocked one
// (amount 0) the blocked effect. OnAttackHit sees the amount returned and
// the game surface's OnAttacked runs with an empty frame; an engine
// surface has no events to run.
TEST_F(gcCreatureSweepTest, HitsAndBlocksChooseTheirEffects)
{
    struct Row {
        const char* name;
        bool bBlock;
        bool bAttackEffects;
        bool bGameSurface;
        int effect;
        float fSeen;
    } rows[] = {
        {"hit, the template's effect", false, false, true, 0, 25.0f},
        {"hit, the attack's effect", false, true, true, 2, 25.0f},
        {"blocked, the template's effect", true, false, true, 1, 0.0f},
        {"blocked, the attack's effect", true, true, false, 3, 0.0f},
    };
    m_attack->nHelperId[1] = -1;  // the first helper alone sweeps
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        PlaceWall(r.bGameSurface ? m_hGame : m_hEngine);
        m_victim->m_bBlock = r.bBlock;
        m_attack->hAttackHitEffect = r.bAttackEffects ? m_effects[2]->m_handle : gcEffectTemplateHandle();
        m_attack->hAttackBlockedEffect = r.bAttackEffects ? m_effects[3]->m_handle : gcEffectTemplateHandle();
        for (gcEffectTemplate* t : m_effects)
            t->GetInstanceAt(0)->m_pSpawnEntity = nullptr;
        TestLog().clear();
        m_c->m_pLastHit = nullptr;
        Swing(0, 100);
        EXPECT_EQ(SpawnedEffect(), r.effect);
        ASSERT_FALSE(TestLog().empty());
        EXPECT_EQ(TestLog()[0].nTag, 3);
        EXPECT_EQ(TestLog()[0].fParam1, r.fSeen);
        EXPECT_EQ(TestLog()[0].pParticipant1, m_victim);
        ASSERT_EQ(TestLog().size(), r.bGameSurface ? 2u : 1u);
        if (r.bGameSurface) {
            EXPECT_EQ(TestLog()[1].nTag, 4);
            EXPECT_EQ(TestLog()[1].fParam1, 0.0f);
        }
        m_wall->SetZone(nullptr);
        m_wall.reset();
    }
}

}  // namespace

namespace {

// A pool going away takes the target and the attacks that lie in it.
TEST_F(gcCreatureCombatTest, APoolResetDropsWhatLiesInIt)
{
    cMemPool other{"other", 0x1000, false};
    m_c->Attack(0, false, 0);
    m_c->Attack(2, true, 1);
    m_c->m_pTarget = m_c;
    m_c->OnMemPoolReset(&other);
    EXPECT_NE(m_c->m_pAttack, nullptr);
    EXPECT_NE(m_c->m_pTarget, nullptr);
    m_c->m_pLastHit = m_c;
    m_c->OnMemPoolReset(&m_pool);
    EXPECT_EQ(m_c->m_pAttack, nullptr);
    EXPECT_EQ(m_c->m_pNextAttackB, nullptr);
    EXPECT_EQ(m_c->m_pTarget, nullptr);
    EXPECT_EQ(m_c->m_pLastHit, nullptr);
}

}  // namespace
