// How an NPC takes damage: teams, invulnerability, dodge and block, the
// resistance rolls on the seeded stream, enragement, the damage-taken
// script, health and the reaction it plays.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcNPCTestFixture.h"

namespace {

using N = gcNPC;
using T = gcNPCTemplate;
using D = gcMsgDealDamage;

class gcNPCDamageTest : public NPCTest {
protected:
    void SetUp() override
    {
        NPCTest::SetUp();
        m_p = RunningNPC({0, 0, 1});
        m_a = RunningNPC({0, 3, 1}, 180.0f);
        m_a->m_team = gcEntityTemplate::TEAM_FRIENDLY;
        mRandReset();
        m_fRoll = mRand();
    }

    gcNPC* m_p = nullptr;
    gcNPC* m_a = nullptr;  // the attacker
    float m_fRoll = 0.0f;  // the stream's first number
    gcCreatureAttack m_attack;
};

enum Attacker { ENEMY, SAME_TEAM, NEUTRAL, NONE };
enum Roll { NO_ROLL, ROLL_WINS, ROLL_RESISTED, ALWAYS_RESISTED };

TEST_F(gcNPCDamageTest, ReactionsFollowTheRules)
{
    constexpr int kNone = -1;
    struct Row {
        const char* name;
        Attacker attacker;
        uint32_t nFlags;
        D::gcDamageDir dir;
        float fAmount;
        int nState;
        Roll blind, stun;
        bool bCancelScript;
        // Expected.
        float fTaken;
        bool bBlocked;
        float fHealth;
        int nStateAfter, nReaction, nNextUpdate;
        bool bRecoil;
    } rows[] = {
        {"an enemy's hit", ENEMY, 0, D::DD_F, 10, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_HIT_FRONT, 1, false},
        {"from left to right", ENEMY, 0, D::DD_LR, 10, N::STATE_WALKING, NO_ROLL, NO_ROLL, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_HIT_LR, 1, false},
        {"the same team never hurts", SAME_TEAM, 0, D::DD_F, 10, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         0, false, 100, N::STATE_STANDING, kNone, 0, false},
        {"a neutral attacker never hurts", NEUTRAL, 0, D::DD_F, 10, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         0, false, 100, N::STATE_STANDING, kNone, 0, false},
        {"script damage always may", NONE, 0, D::DD_NONE, 10, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_HIT, 1, false},
        {"dodged", ENEMY, D::kStunning, D::DD_F, 10, N::STATE_DODGING, NO_ROLL, ROLL_WINS, false,
         0, false, 100, N::STATE_DODGING, kNone, 0, false},
        {"forced passes a dodge", ENEMY, D::kForced, D::DD_F, 10, N::STATE_DODGING, NO_ROLL, NO_ROLL, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_HIT_FRONT, 1, false},
        {"blocked", ENEMY, 0, D::DD_F, 10, N::STATE_BLOCKING, NO_ROLL, NO_ROLL, false,
         0, true, 100, N::STATE_PAIN, T::ANIM_HIT_BLOCK, 1, true},
        {"forced passes a block", ENEMY, D::kForced, D::DD_F, 10, N::STATE_BLOCKING, NO_ROLL, NO_ROLL, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_HIT_FRONT, 1, false},
        {"blinded", ENEMY, D::kBlinding, D::DD_F, 10, N::STATE_STANDING, ROLL_WINS, NO_ROLL, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_BLINDED, 300, false},
        {"blinding resisted enrages", ENEMY, D::kBlinding, D::DD_F, 10, N::STATE_STANDING, ROLL_RESISTED, NO_ROLL,
         false, 10, false, 90, N::STATE_PAIN, T::ANIM_ENRAGED, 1, false},
        {"stunned for the duration", ENEMY, D::kStunning, D::DD_F, 10, N::STATE_STANDING, NO_ROLL, ROLL_WINS, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_STUNNED, 300, false},
        {"stun resisted", ENEMY, D::kStunning, D::DD_RL, 10, N::STATE_STANDING, NO_ROLL, ROLL_RESISTED, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_HIT_RL, 1, false},
        {"forced always stuns", ENEMY, D::kStunning | D::kForced, D::DD_F, 10, N::STATE_STANDING, NO_ROLL,
         ALWAYS_RESISTED, false, 10, false, 90, N::STATE_PAIN, T::ANIM_STUNNED, 300, false},
        {"hard hit", ENEMY, D::kHardHit, D::DD_TB, 10, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_HIT_HARD, 1, false},
        {"hard hit from no side", ENEMY, D::kHardHit, D::DD_NONE, 10, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         10, false, 90, N::STATE_PAIN, T::ANIM_HIT, 1, false},
        {"the script cancels the damage", ENEMY, 0, D::DD_F, 10, N::STATE_STANDING, NO_ROLL, NO_ROLL, true,
         0, false, 100, N::STATE_STANDING, kNone, 0, false},
        {"a cancelled stun still plays", ENEMY, D::kStunning, D::DD_F, 10, N::STATE_STANDING, NO_ROLL, ROLL_WINS,
         true, 0, false, 100, N::STATE_PAIN, T::ANIM_STUNNED, 300, false},
        {"a cancelled enraging still plays", ENEMY, D::kBlinding, D::DD_F, 10, N::STATE_STANDING, ROLL_RESISTED,
         NO_ROLL, true, 0, false, 100, N::STATE_PAIN, T::ANIM_ENRAGED, 1, false},
        {"invulnerable", ENEMY, D::kForced, D::DD_F, 10, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         0, false, 100, N::STATE_STANDING, kNone, 0, false},
        {"its attack protects it", ENEMY, D::kForced, D::DD_F, 10, N::STATE_ATTACKING, NO_ROLL, NO_ROLL, false,
         0, false, 100, N::STATE_ATTACKING, kNone, 0, false},
        {"a cancelled blinding still plays", ENEMY, D::kBlinding, D::DD_F, 10, N::STATE_STANDING, ROLL_WINS, NO_ROLL,
         true, 0, false, 100, N::STATE_PAIN, T::ANIM_BLINDED, 300, false},
        {"healing stops at the maximum", NONE, 0, D::DD_F, -50, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         -50, false, 100, N::STATE_STANDING, kNone, 0, false},
        {"lethal", ENEMY, 0, D::DD_F, 150, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         150, false, 0, N::STATE_DYING, kNone, 1, false},
        {"damage that is not a number is none", ENEMY, 0, D::DD_F, std::nanf(""), N::STATE_STANDING, NO_ROLL,
         NO_ROLL, false, 0, false, 100, N::STATE_STANDING, kNone, 0, false},
        {"endless damage kills once", ENEMY, 0, D::DD_F, INFINITY, N::STATE_STANDING, NO_ROLL, NO_ROLL, false,
         INFINITY, false, 0, N::STATE_DYING, kNone, 1, false},
        {"endless healing stops at the maximum", NONE, 0, D::DD_F, -INFINITY, N::STATE_STANDING, NO_ROLL, NO_ROLL,
         false, -INFINITY, false, 100, N::STATE_STANDING, kNone, 0, false},
    };
    auto resistance = [&](Roll roll) {
        return roll == ROLL_WINS ? m_fRoll - 0.01f : roll == ROLL_RESISTED ? m_fRoll + 0.01f : 1.0f;
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_p->SetStat(gcEntityTemplate::STAT_HEALTH, 90.0f + 10.0f);
        m_p->m_nCurState = static_cast<int8_t>(r.nState);
        m_p->m_nextUpdate = cTimeValue(0);
        m_p->m_nCreatureFlags = 0;
        m_p->m_stunLength = cTimeValue(0);
        m_p->m_pAnimationConfig = nullptr;
        const bool bInvulnerable = std::string(r.name) == "invulnerable";
        m_p->m_nEntityFlags = bInvulnerable ? gcEntity::kInvulnerable : 0;
        m_attack.nFlags = gcCreatureAttack::kInvulnerable;
        m_p->m_pAttack = r.nState == N::STATE_ATTACKING ? &m_attack : nullptr;
        m_a->m_nCurState = N::STATE_STANDING;
        m_a->m_team = static_cast<int16_t>(r.attacker == SAME_TEAM ? -1 : r.attacker == NEUTRAL ? 0 : 1);
        m_t->fCreatureValues[gcCreatureTemplate::VAL_RESISTANCE_BLIND] = resistance(r.blind);
        m_t->fCreatureValues[gcCreatureTemplate::VAL_RESISTANCE_STUN] = resistance(r.stun);
        m_t->onDamageTaken.pAction = r.bCancelScript ? b.Set(gcValTest::PARAM1, 0.0f) : nullptr;
        mRandReset();
        TestLog().clear();
        const D msg(r.attacker == NONE ? nullptr : m_a, r.nFlags, r.fAmount, r.dir, cTimeValue(300));
        EXPECT_EQ(m_p->Send(msg), 1);
        EXPECT_EQ(msg.fAmount, r.fTaken);
        EXPECT_EQ(msg.bBlocked, r.bBlocked);
        EXPECT_EQ(m_p->GetStat(gcEntityTemplate::STAT_HEALTH), r.fHealth);
        EXPECT_EQ(m_p->m_nCurState, r.nStateAfter);
        if (r.nStateAfter != N::STATE_DYING) {
            EXPECT_EQ(m_p->m_pAnimationConfig, r.nReaction == kNone ? nullptr : &m_t->animationConfigs[r.nReaction]);
        }
        EXPECT_EQ(m_p->m_nextUpdate.m_nTicks, r.nNextUpdate);
        EXPECT_EQ(m_a->m_nCurState, r.bRecoil ? N::STATE_RECOILING : N::STATE_STANDING);
        EXPECT_EQ(m_p->m_stunLength.m_nTicks, r.nReaction == T::ANIM_STUNNED ? 300 : 0);
        EXPECT_EQ(Count(TAG_ENRAGED), r.nReaction == T::ANIM_ENRAGED ? 1 : 0);
        EXPECT_EQ(Count(TAG_DEATH), r.fHealth == 0.0f ? 1 : 0);
        EXPECT_EQ(Count(TAG_INSTANCE_DEATH), r.fHealth == 0.0f ? 1 : 0);
    }
}

// A damage-taken script that answers what is not a number takes nothing:
// Health stays a number, no reaction plays and nobody dies.
TEST_F(gcNPCDamageTest, ADamageScriptAnsweringNotANumberTakesNothing)
{
    m_t->onDamageTaken.pAction = b.Set(gcValTest::PARAM1, std::nanf(""));
    m_p->SetStat(gcEntityTemplate::STAT_HEALTH, 100.0f);
    TestLog().clear();
    const D msg(m_a, 0, 10.0f, D::DD_F, cTimeValue(0));
    EXPECT_EQ(m_p->Send(msg), 1);
    EXPECT_EQ(msg.fAmount, 0.0f);
    EXPECT_EQ(m_p->GetStat(gcEntityTemplate::STAT_HEALTH), 100.0f);
    EXPECT_EQ(m_p->m_nCurState, N::STATE_STANDING);
    EXPECT_EQ(Count(TAG_DEATH) + Count(TAG_INSTANCE_DEATH), 0);
    m_t->onDamageTaken.pAction = nullptr;
}

// Enragement happens once a life: the next resisted blinding is a plain hit.
TEST_F(gcNPCDamageTest, EnragesOnce)
{
    m_t->fCreatureValues[gcCreatureTemplate::VAL_RESISTANCE_BLIND] = 1.0f;
    TestLog().clear();
    for (int nReaction : {T::ANIM_ENRAGED, T::ANIM_HIT_FRONT}) {
        m_p->m_nCurState = N::STATE_STANDING;
        m_p->Send(D(m_a, D::kBlinding, 5, D::DD_F, cTimeValue(0)));
        EXPECT_EQ(m_p->m_pAnimationConfig, &m_t->animationConfigs[nReaction]);
    }
    EXPECT_EQ(Count(TAG_ENRAGED), 1);
    EXPECT_EQ(m_p->GetStat(gcEntityTemplate::STAT_HEALTH), 90.0f);
}

// A stun lasts its length: the stunned animation (1 tick) is played again
// until the stun has run, then the NPC stands.
TEST_F(gcNPCDamageTest, StunLastsItsLength)
{
    m_p->Send(D(nullptr, D::kStunning | D::kForced, 5, D::DD_F, cTimeValue(60)));
    ASSERT_EQ(m_p->m_nCurState, N::STATE_PAIN);
    EXPECT_TRUE(m_p->IsStunned());
    Tick(m_p, 3);  // the countdown ran out 40 ticks into the stun
    EXPECT_EQ(m_p->m_nCurState, N::STATE_PAIN);
    EXPECT_EQ(m_p->m_nextUpdate.m_nTicks, 20) << "the 20 ticks left of the stun";
    Tick(m_p);  // 60 ticks: the stun is over
    EXPECT_EQ(m_p->m_nCurState, N::STATE_STANDING);
    EXPECT_EQ(m_p->m_stunLength.m_nTicks, 0);
}

// A reaction or a death whose animation never ends (a looping one) still
// ends: pain after half a second, dying after a second, and a countdown of
// 0 would never run out.
TEST_F(gcNPCDamageTest, PainAndDyingWithALoopingAnimationEndAfterAFixedTime)
{
    datagen::AnimationDesc still;
    still.name = "still";
    still.frames = 2;
    still.nodes = {{{mVec3(0, 0, 0), mVec3(0, 0, 0)}, {mQuat(0, 0, 0, 1), mQuat(0, 0, 0, 1)}}};
    ASSERT_NE(PlaceAnimation(m_data, &m_pool, 7, still), nullptr);
    const eAnimationHandle hLoop = eAnimationMgr::GetHandle(7);
    m_t->animationConfigs[T::ANIM_HIT_FRONT].hAnimation = hLoop;
    m_t->animationConfigs[T::ANIM_DYING].hAnimation = hLoop;
    struct Row {
        const char* name;
        float fAmount;
        int nState, nTicks, nAfter;
    } rows[] = {
        {"struck", 10, N::STATE_PAIN, 300, N::STATE_STANDING},
        {"beaten", 150, N::STATE_DYING, 600, N::STATE_FADING},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_p->Send(D(m_a, 0, r.fAmount, D::DD_F, cTimeValue(0)));
        ASSERT_EQ(m_p->m_nCurState, r.nState);
        EXPECT_EQ(m_p->m_nextUpdate.m_nTicks, r.nTicks);
        Tick(m_p, r.nTicks / 20 - 1);
        EXPECT_EQ(m_p->m_nCurState, r.nState);
        Tick(m_p);
        EXPECT_EQ(m_p->m_nCurState, r.nAfter);
    }
}

}  // namespace
