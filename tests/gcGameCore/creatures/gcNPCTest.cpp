// NPC states and messages: enabling, the command table with its bounds and
// refusals, suspension, death and fading, chained attacks.
#include <gtest/gtest.h>

#include <cmath>

#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcNPCTestFixture.h"

namespace {

using N = gcNPC;
using T = gcNPCTemplate;
using C = gcCreature;

class gcNPCTest : public NPCTest {};

// Until it is enabled an NPC takes no command; enabled, it stands when
// alive and lies dead (fading unless kept) when not.
TEST_F(gcNPCTest, EnablingStandsOrLiesDeadByHealth)
{
    struct Row {
        const char* name;
        float fHealth;
        uint16_t nFlags;
        int nState;
    } rows[] = {
        {"alive stands", 100, 0, N::STATE_STANDING},
        {"dead fades", 0, 0, N::STATE_FADING},
        {"dead and kept stays dead", 0, gcEntity::kKeptAfterDeath, N::STATE_DEAD},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcNPC* p = NewNPC({0, 0, 1});
        p->SetStat(gcEntityTemplate::STAT_HEALTH, r.fHealth);
        p->m_nEntityFlags |= r.nFlags;
        EXPECT_EQ(p->m_nCurState, N::STATE_DISABLED);
        EXPECT_EQ(p->Send(gcMsgWalk()), 0);
        EXPECT_EQ(p->Send(gcMsgTick(cTimeValue(20))), 0);
        p->Send(gcMsgActivate());
        EXPECT_EQ(p->m_nCurState, N::STATE_DISABLED) << "still frozen";
        EXPECT_EQ(p->m_model.m_pZone, nullptr);
        p->Send(gcMsgUnfreeze());
        EXPECT_EQ(p->m_nCurState, r.nState);
        EXPECT_EQ(p->m_model.m_pZone, &m_a);
        p->Send(gcMsgDeactivate());
    }
}

// Which commands each state takes, refuses or leaves to the common table's
// bounds, and where they lead.
TEST_F(gcNPCTest, CommandsFollowTheirStatesAndBounds)
{
    using P = gcMsgPlayAnimation;
    using G = gcMsgPlain<MSG_STAND>;
    gcAnimationConfig config;
    const gcMsgWalk walk;
    const G stand;
    const gcMsgPlain<MSG_WALKFORWARD> forward;
    const gcMsgPlain<MSG_WALKLEFT> left;
    const gcMsgPlain<MSG_WALKBACK> back;
    const gcMsgForceStand force;
    const gcMsgDodgeLeft dodgeL;
    const gcMsgDodgeRight dodgeR;
    const gcMsgBlock block;
    const gcMsg blocked(MSG_BLOCKED, nullptr);
    const P low(&config, P::PRIORITY_LOW), medium(&config, P::PRIORITY_MEDIUM);
    const P veryHigh(&config, P::PRIORITY_VERYHIGH), badPriority(&config, static_cast<P::gcPriority>(4));
    const gcMsgIdle idle5(5), idle6(6);
    const P negativePriority(&config, static_cast<P::gcPriority>(-1));
    const gcMsgAttack badAttack(32, false, 0), noSuchAttack(0, false, 0);
    const gcMsgFaceDir face(mVec3(30, 0, 0)), faceNaN(mVec3(30, NAN, 0));
    const gcMsgDealDamage badDir(nullptr, 0, 5, static_cast<gcMsgDealDamage::gcDamageDir>(6), cTimeValue(0));
    const gcMsgDealDamage hit(nullptr, 0, 5, gcMsgDealDamage::DD_F, cTimeValue(0));
    struct Row {
        const char* name;
        int nFrom;
        const gcMsg* pMsg;
        bool bTaken;
        int nTo;
    } rows[] = {
        {"walk from standing", N::STATE_STANDING, &walk, true, N::STATE_WALKING},
        {"forward walk", N::STATE_STANDING, &forward, true, N::STATE_TGTWALKING},
        {"left walk", N::STATE_RUNNING, &left, true, N::STATE_TGTWALKINGLEFT},
        {"back walk", N::STATE_RUNNING, &back, true, N::STATE_TGTWALKINGBACK},
        {"stand refused while idling", N::STATE_IDLING, &stand, false, N::STATE_IDLING},
        {"force stand refused while standing", N::STATE_STANDING, &force, false, N::STATE_STANDING},
        {"force stand from very high", N::STATE_PLAYINGVERYHIGH, &force, true, N::STATE_STANDING},
        {"stand above its bound", N::STATE_PLAYINGMEDIUM, &stand, false, N::STATE_PLAYINGMEDIUM},
        {"dodge while walking", N::STATE_WALKING, &dodgeL, true, N::STATE_DODGING},
        {"dodge while running is above its bound", N::STATE_RUNNING, &dodgeR, false, N::STATE_RUNNING},
        {"block while running", N::STATE_RUNNING, &block, true, N::STATE_BLOCKING},
        {"blocked notice recoils", N::STATE_BLOCKING, &blocked, true, N::STATE_RECOILING},
        {"blocked notice in pain", N::STATE_PAIN, &blocked, false, N::STATE_PAIN},
        {"low priority in medium refused", N::STATE_PLAYINGMEDIUM, &low, false, N::STATE_PLAYINGMEDIUM},
        {"medium over running", N::STATE_RUNNING, &medium, true, N::STATE_PLAYINGMEDIUM},
        {"very high over pain", N::STATE_PAIN, &veryHigh, true, N::STATE_PLAYINGVERYHIGH},
        {"priority outside the table", N::STATE_STANDING, &badPriority, false, N::STATE_STANDING},
        {"negative priority", N::STATE_STANDING, &negativePriority, false, N::STATE_STANDING},
        {"low priority from standing", N::STATE_STANDING, &low, true, N::STATE_PLAYINGLOW},
        {"medium replaces medium", N::STATE_PLAYINGMEDIUM, &medium, true, N::STATE_PLAYINGMEDIUM},
        {"an attack the template lacks is taken", N::STATE_STANDING, &noSuchAttack, true, N::STATE_STANDING},
        {"a facing while blocking", N::STATE_BLOCKING, &face, true, N::STATE_BLOCKING},
        {"no facing above blocking", N::STATE_PLAYINGHIGH, &face, false, N::STATE_PLAYINGHIGH},
        {"no facing that is not finite", N::STATE_STANDING, &faceNaN, false, N::STATE_STANDING},
        {"idle 5 is the last", N::STATE_STANDING, &idle5, true, N::STATE_IDLING},
        {"idle 6 is outside", N::STATE_STANDING, &idle6, false, N::STATE_STANDING},
        {"attack outside the table", N::STATE_STANDING, &badAttack, false, N::STATE_STANDING},
        {"damage from no known side", N::STATE_STANDING, &badDir, false, N::STATE_STANDING},
        {"dying takes no damage", N::STATE_DYING, &hit, false, N::STATE_DYING},
    };
    gcNPC* p = RunningNPC({0, 0, 1});
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestLogCapture quiet;
        p->m_nCurState = static_cast<int8_t>(r.nFrom);
        EXPECT_EQ(p->Send(*r.pMsg) != 0, r.bTaken);
        EXPECT_EQ(p->m_nCurState, r.nTo);
        EXPECT_EQ(p->GetStat(gcEntityTemplate::STAT_HEALTH), 100.0f);
    }
    EXPECT_EQ(badDir.fAmount, 0.0f);  // the attacker is told nothing was dealt
    EXPECT_STREQ(N::GetStateText(0), "Unknown");
    EXPECT_STREQ(N::GetStateText(N::STATE_FADED), "Faded");
    EXPECT_STREQ(N::GetStateText(N::MAX_STATES), "???");
    EXPECT_STREQ(N::GetStateText(-1), "???");
}

// A new target while standing replays the stand at once; while walking
// it changes nothing but the target.
TEST_F(gcNPCTest, SetTargetWhileStandingReplaysTheStand)
{
    gcNPC* p = RunningNPC({0, 0, 1});
    // A specific target of its own team is ignored; none clears the target.
    gcNPC* pFriend = RunningNPC({3, 0, 1});
    p->m_pTarget = pFriend;
    EXPECT_EQ(p->Send(gcMsgSetTarget(gcMsgSetTarget::SPECIFIC, p)), 1);
    EXPECT_EQ(p->m_pTarget, pFriend);
    EXPECT_EQ(p->Send(gcMsgSetTarget(gcMsgSetTarget::SPECIFIC, nullptr)), 1);
    EXPECT_EQ(p->m_pTarget, nullptr);
    for (int8_t nState : {static_cast<int8_t>(N::STATE_STANDING), static_cast<int8_t>(N::STATE_WALKING)}) {
        SCOPED_TRACE(static_cast<int>(nState));
        p->m_nCurState = p->m_nNextState = nState;
        p->m_nextUpdate = cTimeValue(500);
        EXPECT_EQ(p->Send(gcMsgSetTarget(gcMsgSetTarget::SPECIFIC, nullptr)), 1);
        const bool bStanding = nState == N::STATE_STANDING;
        EXPECT_EQ(p->m_nNextState, nState);  // standing asks for standing again
        EXPECT_EQ(p->m_nextUpdate.m_nTicks, bStanding ? 0 : 500);
    }
}

// Idle with the animation already playing does nothing; the same idle
// started afresh is timed by its animation.
TEST_F(gcNPCTest, IdleAlreadyPlayingDoesNothing)
{
    m_t->animationConfigs[T::ANIM_IDLE_1 + 2].hAnimation = eAnimationMgr::GetHandle(kWalkSlot);
    gcNPC* p = RunningNPC({0, 0, 1});
    ASSERT_EQ(p->Send(gcMsgIdle(2)), 1);
    EXPECT_EQ(p->m_nCurState, N::STATE_IDLING);
    EXPECT_EQ(p->m_creatureTimeSince[C::TIMESINCE_IDLED].m_nTicks, 0);
    p->m_nCurState = N::STATE_STANDING;
    p->m_creatureTimeSince[C::TIMESINCE_IDLED] = cTimeValue(C::kNever);
    EXPECT_EQ(p->Send(gcMsgIdle(2)), 1);
    EXPECT_EQ(p->m_nCurState, N::STATE_STANDING);
    EXPECT_EQ(p->m_creatureTimeSince[C::TIMESINCE_IDLED].m_nTicks, C::kNever);
}

// Freezing keeps the state and its countdown; unfreezing resumes them
// without entering the state again.
TEST_F(gcNPCTest, FreezeAndUnfreezeResumeTheSameState)
{
    gcNPC* p = RunningNPC({0, 0, 1});
    p->Send(gcMsgWalk());
    ASSERT_EQ(p->m_nCurState, N::STATE_WALKING);
    p->m_nextUpdate = cTimeValue(50);
    for (uint16_t bit : {gcEntity::kFrozen, gcEntity::kDeactivated}) {
        SCOPED_TRACE(bit);
        if (bit == gcEntity::kFrozen)
            p->Send(gcMsgFreeze());
        else
            p->Send(gcMsgDeactivate());
        EXPECT_EQ(p->m_nCurState, N::STATE_DISABLED);
        EXPECT_EQ(p->m_nextUpdate.m_nTicks, 50);
        EXPECT_EQ(p->m_model.m_pZone, nullptr);
        EXPECT_EQ(C::s_nActiveCreatures, 0);
        p->m_pAnimationConfig = nullptr;
        if (bit == gcEntity::kFrozen)
            p->Send(gcMsgUnfreeze());
        else
            p->Send(gcMsgActivate());
        EXPECT_EQ(p->m_nCurState, N::STATE_WALKING);
        EXPECT_EQ(p->m_nextUpdate.m_nTicks, 50);
        EXPECT_EQ(p->m_pAnimationConfig, nullptr) << "entered again";
        EXPECT_EQ(p->m_model.m_pZone, &m_a);
    }
}

// With 16 creatures enabled, activating leaves the NPC out, deactivated,
// and says so; a freed place lets it in.
TEST_F(gcNPCTest, FullActiveTableKeepsItDisabled)
{
    std::vector<gcNPC*> others;
    for (int i = 0; i < C::kMaxActive; ++i)
        others.push_back(RunningNPC({static_cast<float>(i), 10, 1}));
    ASSERT_EQ(C::s_nActiveCreatures, C::kMaxActive);
    gcNPC* p = NewNPC({0, 0, 1});
    p->Send(gcMsgUnfreeze());
    {
        gcTestLogCapture log;
        p->Send(gcMsgActivate());
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "cannot be enabled"), 1);
    }
    EXPECT_EQ(p->m_nCurState, N::STATE_DISABLED);
    EXPECT_TRUE(p->m_nEntityFlags & gcEntity::kDeactivated);
    others[3]->Send(gcMsgDeactivate());
    p->m_pTemplate = nullptr;  // as after a failed reset
    {
        gcTestLogCapture log;
        p->Send(gcMsgActivate());
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "without a non-player character template"), 1);
    }
    EXPECT_TRUE(p->m_nEntityFlags & gcEntity::kDeactivated);
    p->m_pTemplate = m_t;
    p->Send(gcMsgActivate());
    EXPECT_EQ(p->m_nCurState, N::STATE_STANDING);
}

// Lethal damage: OnDeath once, dying, dead, a fade over a second, then
// faded: attached entities deactivated, out of the world.
TEST_F(gcNPCTest, DeathChainFadesOutOverOneSecond)
{
    gcNPC* p = RunningNPC({0, 0, 1});
    gcTestEntity* child = PlacedEntity(PlaceTemplate(), {0, 0, 0});
    p->AddChild(child);
    TestLog().clear();
    p->Send(gcMsgDealDamage(nullptr, 0, 150, gcMsgDealDamage::DD_F, cTimeValue(0)));
    EXPECT_EQ(p->m_nCurState, N::STATE_DYING);
    EXPECT_EQ(TestLogTags(), (std::vector<int32_t>{TAG_DEATH, TAG_INSTANCE_DEATH}));
    EXPECT_EQ(p->Send(gcMsgDealDamage(nullptr, 0, 5, gcMsgDealDamage::DD_F, cTimeValue(0))), 0);
    Tick(p);  // the dying animation (1 tick) ran out: dead, then fading
    EXPECT_EQ(p->m_nCurState, N::STATE_FADING);
    EXPECT_EQ(p->m_fadeOutTime.m_nTicks, 600);
    Tick(p, 28);
    EXPECT_EQ(p->m_nCurState, N::STATE_FADING);
    EntityLog().clear();
    Tick(p, 3);
    EXPECT_EQ(p->m_nCurState, N::STATE_FADED);
    EXPECT_TRUE(p->m_nEntityFlags & gcEntity::kDeactivated);
    EXPECT_EQ(p->m_model.m_pZone, nullptr);
    EXPECT_EQ(C::s_nActiveCreatures, 0);
    bool bChildDeactivated = false;
    for (const gcEntityLogEntry& e : EntityLog())
        bChildDeactivated |= e.pTo == child && e.nId == MSG_DEACTIVATE;
    EXPECT_TRUE(bChildDeactivated);
    EXPECT_EQ(p->Send(gcMsgActivate()), 0);
    EXPECT_EQ(Count(TAG_DEATH), 1);
}

// A deactivation while fading ends the fade at once.
TEST_F(gcNPCTest, DeactivationWhileFadingFinishes)
{
    gcNPC* p = RunningNPC({0, 0, 1});
    p->SetStat(gcEntityTemplate::STAT_HEALTH, 0);
    p->m_nCurState = N::STATE_FADING;
    EXPECT_EQ(p->Send(gcMsgDeactivate()), 1);
    EXPECT_EQ(p->m_nCurState, N::STATE_FADED);
    EXPECT_EQ(p->m_model.m_pZone, nullptr);
}

// An attack queued during an attack starts when the animation ends, unless
// its branch was cancelled.
TEST_F(gcNPCTest, ChainedAttacksStartUnlessCancelled)
{
    gcCreatureAttack* attacks[2] = {m_pool.New<gcCreatureAttack>(), m_pool.New<gcCreatureAttack>()};
    m_t->pAttacks[0] = attacks[0];
    m_t->pAttacks[1] = attacks[1];
    struct Row {
        const char* name;
        int nCancelBranch;  // -1: none
        int nChainBranch;
        bool bSecondRuns;
    } rows[] = {
        {"queued on A runs", -1, 0, true},
        {"queued on B runs", -1, 1, true},
        {"A cancelled", 0, 0, false},
        {"B cancelled leaves A", 1, 0, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcNPC* p = RunningNPC({0, 0, 1});
        ASSERT_EQ(p->Send(gcMsgAttack(0, false, 0)), 1);
        ASSERT_EQ(p->m_nCurState, N::STATE_ATTACKING);
        EXPECT_EQ(p->m_pAttack, attacks[0]);
        p->Send(gcMsgAttack(1, true, r.nChainBranch));
        if (r.nCancelBranch >= 0)
            p->Send(gcMsgCancelAttack(r.nCancelBranch));
        EXPECT_EQ(p->Send(gcMsgPlain<MSG_STAND>()), 0) << "stand is above its bound";
        Tick(p);  // the attack's animation (1 tick) ran out
        EXPECT_EQ(p->m_nCurState, r.bSecondRuns ? N::STATE_ATTACKING : N::STATE_STANDING);
        EXPECT_EQ(p->m_pAttack, r.bSecondRuns ? attacks[1] : nullptr);
        Tick(p);
        EXPECT_EQ(p->m_nCurState, N::STATE_STANDING);
        EXPECT_EQ(p->m_creatureTimeSince[C::TIMESINCE_ATTACK].m_nTicks, r.bSecondRuns ? 20 : 40);
        p->Send(gcMsgDeactivate());
    }
    m_t->pAttacks[0] = m_t->pAttacks[1] = nullptr;
}

// The target-relative walks set their strafe heading; leaving a dodge or a
// block starts its counter; a block during a blockable attack blocks.
TEST_F(gcNPCTest, EnteringAndLeavingStatesKeepTheirBooks)
{
    struct Row {
        int32_t nMsgId;
        float fStrafe;
    } walks[] = {{MSG_WALKFORWARD, 0}, {MSG_WALKLEFT, 90}, {MSG_WALKRIGHT, -90}, {MSG_WALKBACK, 180}};
    gcNPC* p = RunningNPC({0, 0, 1});
    for (const Row& r : walks) {
        SCOPED_TRACE(r.nMsgId);
        p->m_nCurState = N::STATE_STANDING;
        p->m_fStrafeDir = 45.0f;
        p->Send(gcMsg(r.nMsgId, nullptr));
        EXPECT_EQ(p->m_fStrafeDir, r.fStrafe);
    }
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        p->m_nCurState = N::STATE_STANDING;
        if (i == 0)
            p->Send(gcMsgDodgeLeft());
        else
            p->Send(gcMsgBlock());
        Tick(p);  // the animation (1 tick) ran out, then the tick counted
        EXPECT_EQ(p->m_nCurState, N::STATE_STANDING);
        EXPECT_EQ(p->m_creatureTimeSince[i == 0 ? C::TIMESINCE_DODGE : C::TIMESINCE_BLOCK].m_nTicks, 20);
    }
    gcCreatureAttack* pAttack = m_pool.New<gcCreatureAttack>();
    m_t->pAttacks[0] = pAttack;
    for (uint32_t nFlags : {0u, gcCreatureAttack::kBlockable}) {
        SCOPED_TRACE(nFlags);
        pAttack->nFlags = nFlags;
        p->m_nCurState = N::STATE_STANDING;
        p->Send(gcMsgAttack(0, false, 0));
        EXPECT_EQ(p->Send(gcMsgBlock()), 1);
        EXPECT_EQ(p->m_nCurState, nFlags ? N::STATE_BLOCKING : N::STATE_ATTACKING);
        p->Send(gcMsgForceStand());
    }
    m_t->pAttacks[0] = nullptr;
}

// A copy is not in the world whatever its source is: it waits to be
// enabled, reset from the same template.
TEST_F(gcNPCTest, CopyStartsDisabled)
{
    gcNPC* p = RunningNPC({0, 0, 1});
    auto* q = static_cast<gcNPC*>(p->Copy(&m_pool));
    m_entities.push_back(q);
    EXPECT_EQ(q->m_nCurState, N::STATE_DISABLED);
    EXPECT_EQ(q->m_pTemplate, m_t);
    q->Send(gcMsgUnfreeze());
    q->Send(gcMsgActivate());
    EXPECT_EQ(q->m_nCurState, N::STATE_STANDING);
}

}  // namespace
