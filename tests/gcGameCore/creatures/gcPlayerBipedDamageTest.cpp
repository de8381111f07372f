// The player's damage rules: the team product, dodging, blocking, hits in
// the air and the reactions.
#include <cmath>

#include "bipedTestFixture.h"

namespace {

using D = gcMsgDealDamage;
constexpr int kNone = 99;  // no attacker

struct Row {
    const char* what;
    int attackerTeam;
    int state;
    uint32_t groundFlags;
    int32_t dodgeSince;  // ticks since the last dodge ended
    uint32_t damageFlags;
    D::gcDamageDir dir;
    float amount;   // written back
    float health;   // afterwards, from 100
    int after;      // state
    bool blocked;
};

TEST_F(BipedTest, DamageRules)
{
    const int8_t F = gcEntityTemplate::TEAM_FRIENDLY, U = gcEntityTemplate::TEAM_UNFRIENDLY;
    const int32_t kNever = gcEntity::kNever;
    const Row rows[] = {
        {"both friendly", F, B::ST_STANDING, 0, kNever, 0, D::DD_F, 0, 100, B::ST_STANDING, false},
        {"a neutral attacker hurts", 0, B::ST_STANDING, 0, kNever, 0, D::DD_F, 10, 90, B::ST_PAIN, false},
        {"an unfriendly attacker hurts", U, B::ST_WALKING, 0, kNever, 0, D::DD_LR, 10, 90, B::ST_PAIN, false},
        {"script damage", kNone, B::ST_STANDING, 0, kNever, 0, D::DD_NONE, 10, 90, B::ST_PAIN, false},
        {"dodging", U, B::ST_DODGING, 0, kNever, D::kForced, D::DD_F, 0, 100, B::ST_DODGING, false},
        {"299 ticks after a dodge, forced", U, B::ST_STANDING, 0, 299, D::kForced, D::DD_F, 0, 100, B::ST_STANDING,
         false},
        {"300 ticks after a dodge", U, B::ST_STANDING, 0, 300, 0, D::DD_F, 10, 90, B::ST_PAIN, false},
        {"blocking", U, B::ST_BLOCKING, 0, kNever, 0, D::DD_F, 0, 100, B::ST_PAIN, true},
        {"a hard hit passes the block", U, B::ST_BLOCKING, 0, kNever, D::kHardHit, D::DD_F, 10, 90, B::ST_PAIN,
         false},
        {"no block in the air", U, B::ST_BLOCKING, B::kInAir, kNever, 0, D::DD_F, 10, 90, B::ST_PAIN, false},
        {"jumping", U, B::ST_SJUMP_UP, 0, kNever, 0, D::DD_F, 10, 90, B::ST_PAIN, false},
        {"a hit direction outside the table", U, B::ST_STANDING, 0, kNever, 0, D::MAX_DAMAGEDIR, 10, 100,
         B::ST_STANDING, false},
    };
    gcPlayerBiped* pAttacker = NewBiped({0, 4, 0});
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Force(r.state);
        m_pBiped->m_nFlags = r.groundFlags;
        m_pBiped->SetStat(gcEntityTemplate::STAT_HEALTH, 100.0f);
        m_pBiped->m_creatureTimeSince[gcCreature::TIMESINCE_DODGE] = cTimeValue(r.dodgeSince);
        pAttacker->m_team = static_cast<int16_t>(r.attackerTeam == kNone ? 0 : r.attackerTeam);
        pAttacker->Send(gcMsgForceStand());
        const D msg(r.attackerTeam == kNone ? nullptr : pAttacker, r.damageFlags, 10.0f, r.dir, cTimeValue(0));
        EXPECT_EQ(m_pBiped->Send(msg), r.dir == D::MAX_DAMAGEDIR ? 0 : 1);
        EXPECT_FLOAT_EQ(msg.fAmount, r.amount);
        EXPECT_EQ(msg.bBlocked, r.blocked);
        EXPECT_FLOAT_EQ(m_pBiped->GetStat(gcEntityTemplate::STAT_HEALTH), r.health);
        EXPECT_EQ(m_pBiped->m_nCurState, r.after);
        // The blocked attacker recoils.
        EXPECT_EQ(pAttacker->m_nCurState, r.blocked ? B::ST_RECOIL : B::ST_STANDING);
    }
}

// Damage that is not a number is none; endless damage kills, endless
// healing stops at the maximum: Health stays a number either way.
TEST_F(BipedTest, DamageThatIsNotANumberLeavesHealthANumber)
{
    const struct {
        float amount, taken, health;
        int after;
    } rows[] = {
        {std::nanf(""), 0.0f, 100.0f, B::ST_STANDING},
        {INFINITY, INFINITY, 0.0f, B::ST_DYING},
        {-INFINITY, -INFINITY, 100.0f, B::ST_STANDING},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.amount);
        Force(B::ST_STANDING);
        m_pBiped->SetStat(gcEntityTemplate::STAT_HEALTH, 100.0f);
        const D msg(nullptr, 0, r.amount, D::DD_F, cTimeValue(0));
        m_pBiped->Send(msg);
        EXPECT_EQ(msg.fAmount, r.taken);
        EXPECT_EQ(m_pBiped->GetStat(gcEntityTemplate::STAT_HEALTH), r.health);
        EXPECT_EQ(m_pBiped->m_nCurState, r.after);
    }
}

// A damage-taken script that answers what is not a number takes nothing.
TEST_F(BipedTest, ADamageScriptAnsweringNotANumberTakesNothing)
{
    m_pTemplate->onDamageTaken.pAction = b.Set(gcValTest::PARAM1, std::nanf(""));
    Force(B::ST_STANDING);
    m_pBiped->SetStat(gcEntityTemplate::STAT_HEALTH, 100.0f);
    const D msg(nullptr, 0, 10.0f, D::DD_F, cTimeValue(0));
    m_pBiped->Send(msg);
    EXPECT_EQ(msg.fAmount, 0.0f);
    EXPECT_EQ(m_pBiped->GetStat(gcEntityTemplate::STAT_HEALTH), 100.0f);
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_STANDING);
    m_pTemplate->onDamageTaken.pAction = nullptr;
}

TEST_F(BipedTest, InvulnerableOrWithAnInvulnerableAttackNothingIsTaken)
{
    m_pBiped->m_nEntityFlags |= gcEntity::kInvulnerable;
    const D msg(nullptr, 0, 10.0f, D::DD_F, cTimeValue(0));
    m_pBiped->Send(msg);
    EXPECT_EQ(msg.fAmount, 0.0f);
    EXPECT_FLOAT_EQ(m_pBiped->GetStat(gcEntityTemplate::STAT_HEALTH), 100.0f);
}

TEST_F(BipedTest, AStunningHitKeepsThePainForTheStun)
{
    m_pTemplate->fCreatureValues[gcCreatureTemplate::VAL_RESISTANCE_STUN] = 1.0f;  // resisted unless forced
    const D msg(nullptr, D::kStunning | D::kForced, 0.0f, D::DD_F, cTimeValue(900));
    m_pBiped->Send(msg);
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_PAIN);  // kept with no damage: a stun
    EXPECT_EQ(m_pBiped->m_stunLength, cTimeValue(900));
    EXPECT_EQ(m_pBiped->m_nextUpdate, cTimeValue(900));
    EXPECT_TRUE(m_pBiped->IsStunned());
    m_pBiped->m_creatureTimeSince[gcCreature::TIMESINCE_STUNNED] = cTimeValue(500);
    m_pBiped->Send(gcMsgUpdate());
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_PAIN);
    EXPECT_EQ(m_pBiped->m_nextUpdate, cTimeValue(400));  // the stun left beats the 1-tick animation
    m_pBiped->m_creatureTimeSince[gcCreature::TIMESINCE_STUNNED] = cTimeValue(900);
    m_pBiped->Send(gcMsgUpdate());
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_STANDING);
    EXPECT_EQ(m_pBiped->m_stunLength, cTimeValue(0));
}

}  // namespace
