// The biped's state table: which commands each state takes and where they
// lead, suspending and resuming, and the per-tick work.
#include <memory>

#include "bipedTestFixture.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcPlayer.h"

namespace {

using P = gcMsgPlayAnimation;

struct Row {
    const char* what;
    int state;
    uint32_t groundFlags;
    std::function<int(gcPlayerBiped&)> send;
    int taken;
    int after;
};

int SendPlain(gcPlayerBiped& b, int32_t id)
{
    return b.Send(gcMsg(id, nullptr));
}

TEST_F(BipedTest, ANewBipedStandsOnceEnabled)
{
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_STANDING);
    EXPECT_EQ(m_pBiped->m_pTemplate, m_pTemplate);
    auto* fresh = m_pool.New<gcPlayerBiped>();
    EXPECT_EQ(fresh->m_nCurState, B::ST_DISABLED);
    EXPECT_EQ(fresh->Send(gcMsgPlain<MSG_STAND>()), 0);
    std::destroy_at(fresh);
}

TEST_F(BipedTest, CommandsByState)
{
    auto* pAttack = m_pool.New<gcCreatureAttack>();
    m_pTemplate->pAttacks[0] = pAttack;
    static gcAnimationConfig s_config;
    m_pTemplate->animationConfigs[T::ANIM_IDLE_6].hAnimation = eAnimationHandle::Make(5, 0x33);
    auto jump = [](gcPlayerBiped& b) { return SendPlain(b, MSG_JUMP); };
    auto attack = [](gcPlayerBiped& b) { return b.Send(gcMsgAttack(0, false, 0)); };
    auto play = [](int prio) {
        return [prio](gcPlayerBiped& b) {
            return b.Send(gcMsgPlayAnimation(&s_config, static_cast<P::gcPriority>(prio)));
        };
    };
    auto idle = [](int n) { return [n](gcPlayerBiped& b) { return b.Send(gcMsgIdle(n)); }; };
    const Row rows[] = {
        {"jump standing", B::ST_STANDING, 0, jump, 1, B::ST_SJUMP_UP},
        {"jump walking", B::ST_WALKING, 0, jump, 1, B::ST_RJUMP_UP},
        {"jump running", B::ST_RUNNING, 0, jump, 1, B::ST_RJUMP_UP},
        {"jump walking in the air", B::ST_WALKING, B::kInAir, jump, 0, B::ST_WALKING},
        {"jump running on a steep slope", B::ST_RUNNING, B::kOnSteep, jump, 0, B::ST_RUNNING},
        {"double jump rising", B::ST_RJUMP_UP, 0, jump, 1, B::ST_DJUMP},
        {"double jump falling", B::ST_RJUMP_DOWN, B::kInAir, jump, 1, B::ST_DJUMP},
        {"no third jump", B::ST_DJUMP, B::kInAir, jump, 0, B::ST_DJUMP},
        {"no jump in its descent", B::ST_DJUMP_DOWN, B::kInAir, jump, 0, B::ST_DJUMP_DOWN},
        {"jump from the running landing", B::ST_RLAND, 0, jump, 1, B::ST_RJUMP_UP},
        {"no jump from it in the air", B::ST_RLAND, B::kInAir, jump, 0, B::ST_RLAND},
        {"no jump in the medium animation", B::ST_ANIM_MEDIUM, 0, jump, 0, B::ST_ANIM_MEDIUM},
        {"no jump in the standing jump", B::ST_SJUMP_UP, 0, jump, 0, B::ST_SJUMP_UP},
        {"no jump in the standing landing", B::ST_SLAND, 0, jump, 0, B::ST_SLAND},
        {"no jump attacking", B::ST_ATTACKING, 0, jump, 0, B::ST_ATTACKING},
        {"attack standing", B::ST_STANDING, 0, attack, 1, B::ST_ATTACKING},
        {"attack in the running descent", B::ST_RJUMP_DOWN, 0, attack, 1, B::ST_ATTACKING},
        {"no attack in the air", B::ST_STANDING, B::kInAir, attack, 0, B::ST_STANDING},
        {"no attack on a steep slope", B::ST_STANDING, B::kOnSteep, attack, 0, B::ST_STANDING},
        {"no attack jumping up", B::ST_SJUMP_UP, 0, attack, 0, B::ST_SJUMP_UP},
        {"no attack jumping down", B::ST_SJUMP_DOWN, 0, attack, 0, B::ST_SJUMP_DOWN},
        {"no attack running up", B::ST_RJUMP_UP, 0, attack, 0, B::ST_RJUMP_UP},
        {"no attack double jumping", B::ST_DJUMP, 0, attack, 0, B::ST_DJUMP},
        {"no attack blocking", B::ST_BLOCKING, 0, attack, 0, B::ST_BLOCKING},
        {"medium restarts medium", B::ST_ANIM_MEDIUM, 0, play(P::PRIORITY_MEDIUM), 1, B::ST_ANIM_MEDIUM},
        {"medium over a walk", B::ST_TGT_B, 0, play(P::PRIORITY_MEDIUM), 1, B::ST_ANIM_MEDIUM},
        {"medium refused jumping", B::ST_SJUMP_UP, 0, play(P::PRIORITY_MEDIUM), 0, B::ST_SJUMP_UP},
        {"low refused over a walk", B::ST_TGT_F, 0, play(P::PRIORITY_LOW), 0, B::ST_TGT_F},
        {"very high over pain", B::ST_PAIN, 0, play(P::PRIORITY_VERYHIGH), 1, B::ST_ANIM_VERYHIGH},
        {"very high refused dying", B::ST_DYING, 0, play(P::PRIORITY_VERYHIGH), 0, B::ST_DYING},
        {"priority outside the table", B::ST_STANDING, 0, play(P::MAX_PRIORITIES), 0, B::ST_STANDING},
        {"negative priority", B::ST_STANDING, 0, play(-1), 0, B::ST_STANDING},
        {"idle standing", B::ST_STANDING, 0, idle(5), 1, B::ST_IDLING},
        {"idle 6 is outside", B::ST_STANDING, 0, idle(6), 0, B::ST_STANDING},
        {"idle -1 is outside", B::ST_STANDING, 0, idle(-1), 0, B::ST_STANDING},
        {"no idle in an animation", B::ST_ANIM_MEDIUM, 0, idle(0), 0, B::ST_ANIM_MEDIUM},
        {"no stand while idling", B::ST_IDLING, 0, [](gcPlayerBiped& b) { return SendPlain(b, MSG_STAND); }, 0,
         B::ST_IDLING},
        {"no force stand when standing", B::ST_STANDING, 0,
         [](gcPlayerBiped& b) { return SendPlain(b, MSG_FORCESTAND); }, 0, B::ST_STANDING},
        {"force stand ends a very high animation", B::ST_ANIM_VERYHIGH, 0,
         [](gcPlayerBiped& b) { return SendPlain(b, MSG_FORCESTAND); }, 1, B::ST_STANDING},
        {"unblock", B::ST_BLOCKING, 0, [](gcPlayerBiped& b) { return SendPlain(b, MSG_UNBLOCK); }, 1, B::ST_STANDING},
        {"unblock elsewhere", B::ST_WALKING, 0, [](gcPlayerBiped& b) { return SendPlain(b, MSG_UNBLOCK); }, 0,
         B::ST_WALKING},
        {"blocked notice", B::ST_DODGING, 0, [](gcPlayerBiped& b) { return SendPlain(b, MSG_BLOCKED); }, 1,
         B::ST_RECOIL},
        {"strafe left", B::ST_RUNNING, 0, [](gcPlayerBiped& b) { return SendPlain(b, MSG_WALKLEFT); }, 1, B::ST_TGT_L},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Force(r.state);
        m_pBiped->m_nFlags = r.groundFlags;
        m_pBiped->m_pAttack = nullptr;
        EXPECT_EQ(r.send(*m_pBiped), r.taken);
        EXPECT_EQ(m_pBiped->m_nCurState, r.after);
    }
    EXPECT_FLOAT_EQ(m_pBiped->m_fStrafeDir, 90.0f);
    m_pTemplate->pAttacks[0] = nullptr;
    std::destroy_at(pAttack);
}

TEST_F(BipedTest, TheJumpsRunThroughTheirDescentsToTheLandings)
{
    Force(B::ST_WALKING);
    m_pBiped->m_velocity.Set(0, 0.01f, 0.02f);
    SendPlain(*m_pBiped, MSG_JUMP);
    const int path[] = {B::ST_RJUMP_DOWN, B::ST_RLAND, B::ST_STANDING};
    for (int s : path) {
        m_pBiped->Send(gcMsgUpdate());
        EXPECT_EQ(m_pBiped->m_nCurState, s);
    }
    // Leaving the rising state handed its lift to the fall step.
    EXPECT_FLOAT_EQ(m_pBiped->m_gravityVelocity.z, 0.02f);
}

// Only the rising jumps hand their upward speed to the fall step as they
// are left; the descents and landings leave it alone.
TEST_F(BipedTest, OnlyTheRisingJumpsHandTheirLiftToTheFallOnExit)
{
    const struct {
        int state;
        bool lifts;
    } rows[] = {{B::ST_SJUMP_UP, true},    {B::ST_SJUMP_DOWN, false}, {B::ST_RJUMP_UP, true},
                {B::ST_RJUMP_DOWN, false}, {B::ST_DJUMP, true},       {B::ST_DJUMP_DOWN, false},
                {B::ST_SLAND, false},      {B::ST_RLAND, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.state);
        Force(r.state);
        m_pBiped->m_velocity.Set(0, 0.01f, 0.02f);
        m_pBiped->m_gravityVelocity.Set(0, 0, -0.5f);
        SendPlain(*m_pBiped, MSG_EXITSTATE);
        EXPECT_EQ(m_pBiped->m_gravityVelocity.z, r.lifts ? 0.02f : -0.5f);
    }
}

// Falling and sliding play their own animations; only a sliding biped
// takes a facing from the FaceDir message, the falling one refuses it.
TEST_F(BipedTest, FallingAndSlidingPlayTheirAnimationsAndOnlySlidingTakesAFacing)
{
    const struct {
        int state;
        int anim;
        int taken;
    } rows[] = {{B::ST_FALLING, T::ANIM_FALLING, 0}, {B::ST_SLIDING, T::ANIM_SLIDE, 1}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.state);
        Force(r.state);
        m_pBiped->m_nextUpdate = cTimeValue(40);
        SendPlain(*m_pBiped, MSG_ENTERSTATE);
        EXPECT_EQ(m_pBiped->m_pNextAnimationConfig, &m_pTemplate->animationConfigs[r.anim]);
        EXPECT_EQ(m_pBiped->m_nextUpdate.m_nTicks, 0);
        m_pBiped->m_desiredHPR[0] = m_pBiped->m_desiredHPR[1] = m_pBiped->m_desiredHPR[2] = 0.0f;
        EXPECT_EQ(m_pBiped->Send(gcMsgFaceDir(mVec3(30, 10, 5))), r.taken);
        EXPECT_EQ(m_pBiped->m_desiredHPR[0], r.taken ? 30.0f : 0.0f);
        EXPECT_EQ(m_pBiped->m_desiredHPR[1], r.taken ? 10.0f : 0.0f);
        EXPECT_EQ(m_pBiped->m_desiredHPR[2], r.taken ? 5.0f : 0.0f);
    }
}

// A facing that is not finite would make the biped's frame NaN for good:
// refused standing and sliding, the desired facing kept.
TEST_F(BipedTest, AFacingThatIsNotFiniteIsRefused)
{
    const mVec3 bad[] = {{NAN, 0, 0}, {0, NAN, 0}, {0, 0, NAN}, {INFINITY, 0, 0}, {0, -INFINITY, 0}};
    for (int state : {B::ST_STANDING, B::ST_SLIDING}) {
        for (const mVec3& hpr : bad) {
            SCOPED_TRACE(state);
            Force(state);
            m_pBiped->m_desiredHPR[0] = m_pBiped->m_desiredHPR[1] = m_pBiped->m_desiredHPR[2] = 7.0f;
            EXPECT_EQ(m_pBiped->Send(gcMsgFaceDir(hpr)), 0);
            EXPECT_EQ(m_pBiped->m_desiredHPR[0], 7.0f);
            EXPECT_EQ(m_pBiped->m_desiredHPR[1], 7.0f);
            EXPECT_EQ(m_pBiped->m_desiredHPR[2], 7.0f);
        }
    }
}

// The attack's update starts the queued attack of a branch that was not
// cancelled; with none it ends the attack.
TEST_F(BipedTest, AnAttackChainsOnlyToAQueuedAttackOfABranchNotCancelled)
{
    auto* pA = m_pool.New<gcCreatureAttack>();
    auto* pB = m_pool.New<gcCreatureAttack>();
    const struct {
        bool a, b;
        uint16_t cancelled;
        gcCreatureAttack* next;
    } rows[] = {{false, false, 0, nullptr},
                {true, false, 0, pA},
                {true, false, B::kBranchACancelled, nullptr},
                {false, true, 0, pB},
                {false, true, B::kBranchBCancelled, nullptr},
                {true, true, B::kBranchACancelled, pB},  // the cancelled A is dropped on the way
                {true, true, B::kBranchACancelled | B::kBranchBCancelled, nullptr}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.a << r.b << r.cancelled);
        Force(B::ST_ATTACKING);
        m_pBiped->m_pAttack = pA;
        m_pBiped->m_pNextAttackA = r.a ? pA : nullptr;
        m_pBiped->m_pNextAttackB = r.b ? pB : nullptr;
        m_pBiped->m_nCreatureFlags = r.cancelled;
        m_pBiped->Send(gcMsgUpdate());
        EXPECT_EQ(m_pBiped->m_nCurState == B::ST_ATTACKING, r.next != nullptr);
        EXPECT_EQ(m_pBiped->m_pAttack, r.next);
    }
    // A strafe heading is taken up to the target walks, not from walking on.
    const struct {
        int state, taken;
    } strafes[] = {{B::ST_STANDING, 1}, {B::ST_TGT_R, 1}, {B::ST_WALKING, 0}};
    for (const auto& r : strafes) {
        Force(r.state);
        m_pBiped->m_fStrafeDir = 0.0f;
        EXPECT_EQ(m_pBiped->Send(gcMsgStrafeDir(45.0f)), r.taken) << r.state;
        EXPECT_EQ(m_pBiped->m_fStrafeDir, r.taken ? 45.0f : 0.0f);
    }
    m_pBiped->m_pAttack = nullptr;
    m_pBiped->m_pNextAttackA = m_pBiped->m_pNextAttackB = nullptr;
}

TEST_F(BipedTest, TheDisabledStateTakesOnlyItsMessages)
{
    ASSERT_EQ(m_pBiped->Send(gcMsgDeactivate()), 1);
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_DISABLED);
    const int32_t refused[] = {MSG_STAND, MSG_WALK, MSG_JUMP, MSG_UPDATE, MSG_POSTENTERSTATE, MSG_FORCESTAND,
                               MSG_BLOCK, MSG_INTERACT};
    for (int32_t id : refused)
        EXPECT_EQ(SendPlain(*m_pBiped, id), 0) << id;
    EXPECT_EQ(m_pBiped->Send(gcMsgTick(cTimeValue(20))), 0);
    EXPECT_EQ(m_pBiped->Send(gcMsgDealDamage(nullptr, 0, 5, gcMsgDealDamage::DD_NONE, cTimeValue(0))), 0);
    EXPECT_EQ(SendPlain(*m_pBiped, MSG_DETACHFROMPATH), 1);
    EXPECT_EQ(SendPlain(*m_pBiped, MSG_REVIVE), 1);
    EXPECT_EQ(m_pBiped->Send(gcMsgDeactivate()), 0);  // already deactivated
    EXPECT_EQ(m_pBiped->Send(gcMsgFreeze()), 1);
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_DISABLED);
}

TEST_F(BipedTest, SuspendingKeepsTheStateAndItsCountdownAndResumingSkipsTheEnter)
{
    const uint16_t bits[][2] = {{gcEntity::kDeactivated, MSG_DEACTIVATE}, {gcEntity::kFrozen, MSG_FREEZE}};
    for (auto [bit, id] : bits) {
        SCOPED_TRACE(id);
        Force(B::ST_SJUMP_UP);
        m_pBiped->m_nextUpdate = cTimeValue(50);
        m_pBiped->m_velocity.Set(0, 0, 0.5f);
        m_pBiped->m_gravityVelocity.Set(0, 0, 0);
        SendPlain(*m_pBiped, id);
        EXPECT_EQ(m_pBiped->m_nCurState, B::ST_DISABLED);
        EXPECT_EQ(m_pBiped->m_nextUpdate, cTimeValue(50));
        EXPECT_EQ(m_pBiped->m_gravityVelocity.z, 0.0f);  // no exit
        EXPECT_EQ(m_pBiped->m_nEntityFlags & bit, bit);
        SendPlain(*m_pBiped, id == MSG_DEACTIVATE ? MSG_ACTIVATE : MSG_UNFREEZE);
        EXPECT_EQ(m_pBiped->m_nCurState, B::ST_SJUMP_UP);
        EXPECT_EQ(m_pBiped->m_nextUpdate, cTimeValue(50));  // no enter
        EXPECT_EQ(m_pBiped->m_nEntityFlags & bit, 0);
    }
    // Both bits: the first enable leaves it disabled.
    SendPlain(*m_pBiped, MSG_DEACTIVATE);
    SendPlain(*m_pBiped, MSG_FREEZE);
    SendPlain(*m_pBiped, MSG_ACTIVATE);
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_DISABLED);
    SendPlain(*m_pBiped, MSG_UNFREEZE);
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_SJUMP_UP);
}

TEST_F(BipedTest, AFailedEnableLeavesItDeactivated)
{
    SendPlain(*m_pBiped, MSG_DEACTIVATE);
    gcCreature* pOther = PlaceFoe({4, 0, 0});
    gcCreature* others[gcCreature::kMaxActive];
    for (int i = 0; i < gcCreature::kMaxActive; ++i) {
        others[i] = gcCreature::s_pActiveCreatures[i];
        if (!others[i])
            gcCreature::s_pActiveCreatures[i] = pOther;  // any other entry fills the table
    }
    gcCreature::s_nActiveCreatures = gcCreature::kMaxActive;
    SendPlain(*m_pBiped, MSG_ACTIVATE);
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_DISABLED);
    EXPECT_EQ(m_pBiped->m_nEntityFlags & gcEntity::kDeactivated, gcEntity::kDeactivated);
    for (int i = 0; i < gcCreature::kMaxActive; ++i)
        gcCreature::s_pActiveCreatures[i] = others[i];
}

TEST_F(BipedTest, WithoutItsTemplateItStaysDisabled)
{
    ExpectStaysDisabledWithoutItsTemplate(m_pTemplate, B::ST_DISABLED);
}

TEST_F(BipedTest, DyingEndsDisabledAndReviveBringsItBack)
{
    Force(B::ST_WALKING);
    m_pBiped->SetStat(gcEntityTemplate::STAT_HEALTH, 5.0f);
    m_pBiped->Send(gcMsgDealDamage(nullptr, 0, 10, gcMsgDealDamage::DD_NONE, cTimeValue(0)));
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_DYING);
    EXPECT_FLOAT_EQ(m_pBiped->GetStat(gcEntityTemplate::STAT_HEALTH), 0.0f);
    EXPECT_EQ(m_pBiped->Send(gcMsgDealDamage(nullptr, 0, 10, gcMsgDealDamage::DD_NONE, cTimeValue(0))), 0);
    m_pBiped->Send(gcMsgUpdate());
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_DEAD);
    SendPlain(*m_pBiped, MSG_REVIVE);  // active: through Unknown to Standing
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_STANDING);
    EXPECT_FLOAT_EQ(m_pBiped->GetStat(gcEntityTemplate::STAT_HEALTH), 100.0f);
    m_pBiped->SetStat(gcEntityTemplate::STAT_HEALTH, 0.0f);
    Force(B::ST_DEAD);
    m_pBiped->Send(gcMsgUpdate());
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_DISABLED);  // through the end of death
    SendPlain(*m_pBiped, MSG_REVIVE);
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_STANDING);
    SendPlain(*m_pBiped, MSG_DEACTIVATE);
    m_pBiped->SetStat(gcEntityTemplate::STAT_HEALTH, 0.0f);
    SendPlain(*m_pBiped, MSG_REVIVE);  // deactivated: health only
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_DISABLED);
    EXPECT_FLOAT_EQ(m_pBiped->GetStat(gcEntityTemplate::STAT_HEALTH), 100.0f);
}

TEST_F(BipedTest, TheTickRefreshesTargetInteractionAndMovementScale)
{
    gcTestCreature* near = PlaceFoe({0, 3, 0});
    gcTestCreature* far = PlaceFoe({0, 9, 0});
    m_pBiped->SetTarget(far);
    far->m_nEntityFlags = gcEntity::kDeactivated;  // no longer valid
    gcPlayer::Get()->m_pInteractTarget = far;
    // The stat starts each tick at 1 whatever the template holds; the scale
    // moves half way to it.
    struct ScaleRow {
        float fMax, stat, scale;
    };
    const ScaleRow rows[] = {{0.6f, 1.0f, 0.75f}, {2.0f, 1.0f, 0.75f}, {0.0f, 1.0f, 0.75f}};
    for (const ScaleRow& r : rows) {
        m_pBiped->m_fEntityStatsMax[gcEntityTemplate::STAT_MOVEMENT_SCALE] = r.fMax;
        m_pBiped->SetStat(gcEntityTemplate::STAT_MOVEMENT_SCALE, 0.25f);
        m_pBiped->m_fMovementScale = 0.5f;
        m_pBiped->Send(gcMsgTick(cTimeValue(20)));
        EXPECT_FLOAT_EQ(m_pBiped->GetStat(gcEntityTemplate::STAT_MOVEMENT_SCALE), r.stat);
        EXPECT_FLOAT_EQ(m_pBiped->m_fMovementScale, r.scale);
    }
    EXPECT_EQ(m_pBiped->m_pTarget, near);
    EXPECT_EQ(gcPlayer::Get()->m_pInteractTarget, nullptr);  // no map: nothing to interact with
}

TEST_F(BipedTest, TheFirstTickAfterAnAnimationStartsSkipsItsUpdatedEvent)
{
    static gcAnimationConfig s_config;
    gcTestBuilder b{m_pool};
    FillEvent(s_config.onUpdated, b.Record(3));
    TestLog().clear();
    ASSERT_EQ(m_pBiped->Send(gcMsgPlayAnimation(&s_config, gcMsgPlayAnimation::PRIORITY_LOW)), 1);
    m_pBiped->m_nextUpdate = cTimeValue(0);  // it plays on (the animation does not resolve)
    m_pBiped->Send(gcMsgTick(cTimeValue(20)));
    EXPECT_TRUE(TestLog().empty());
    EXPECT_EQ(m_pBiped->m_nEntityFlags & gcEntity::kAnimConfigStarted, 0);
    m_pBiped->Send(gcMsgTick(cTimeValue(20)));
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{3});
    s_config.onUpdated.pAction = nullptr;
}

TEST_F(BipedTest, TheHeadingTurnsAQuarterTowardsATargetElseAtTheTemplateRate)
{
    EXPECT_FLOAT_EQ(m_pTemplate->fEntityValues[gcEntityTemplate::VAL_TURNRATE], 0.8f);
    gcTestCreature* foe = PlaceFoe({-5, 0, 0});  // to the left: heading 90
    struct TurnRow {
        gcEntity* pTarget;
        float fDesired, fHeading;
    };
    const TurnRow rows[] = {{foe, 0.0f, 22.5f}, {nullptr, 90.0f, 18.0f}};
    for (const TurnRow& r : rows) {
        m_pBiped->m_model.m_localToParent = MakeFrame(0, 0, 0, 0);
        m_pBiped->SetTarget(r.pTarget);
        m_pBiped->m_desiredHPR[0] = r.fDesired;
        m_pBiped->Send(gcMsgTick(cTimeValue(20)));
        EXPECT_NEAR(gcEntity::GetHeading(m_pBiped->m_model.m_localToParent.basis.forward), r.fHeading, 1e-3f);
    }
}

}  // namespace
