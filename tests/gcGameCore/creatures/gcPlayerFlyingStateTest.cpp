// The flying player's state table, its speed gears over ticks, the boost's
// length, death, suspending and resuming, and refused indices.
#include <cmath>
#include <functional>
#include <memory>

#include "creatureTestFixture.h"
#include "datagen/creatureWriters.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"

namespace {

using F = gcPlayerFlying;
using T = gcPlayerFlyingTemplate;
using P = gcMsgPlayAnimation;

class FlyingTest : public CreatureTest {
protected:
    void SetUp() override
    {
        CreatureTest::SetUp();
        m_pTemplate = m_pool.New<gcPlayerFlyingTemplate>();
        gcEntityTemplateMgr::Add(kTemplateSlot, m_pTemplate, 0x77);
        m_pFlyer = NewFlyer();
    }
    void TearDown() override
    {
        ClearModelManagers();
        CreatureTest::TearDown();
    }
    // Reset, with Health, enabled: flying at gear 0, coasting.
    gcPlayerFlying* NewFlyer()
    {
        auto* p = static_cast<gcPlayerFlying*>(m_pTemplate->CreateInstance(&m_pool));
        m_entities.push_back(p);
        p->m_nRegionId = 1;
        p->m_model.m_localToParent = MakeFrame(0, 0, 0, 0.0f);
        EXPECT_TRUE(p->Reset(&m_pool));
        p->SetStat(gcEntityTemplate::STAT_HEALTH, 10.0f);  // a template without mesh resets no stats
        p->Send(gcMsgActivate());
        p->Send(gcMsgUnfreeze());
        return p;
    }
    void Force(int state, int gear, uint32_t flags)
    {
        m_pFlyer->m_nCurState = m_pFlyer->m_nNextState = static_cast<int8_t>(state);
        m_pFlyer->m_nCurFlySpeed = gear;
        m_pFlyer->m_nFlags = flags;
        m_pFlyer->m_nextUpdate = cTimeValue(0);
        m_pFlyer->m_pAnimationConfig = nullptr;
    }
    void Tick(int n)
    {
        for (int i = 0; i < n; ++i)
            m_pFlyer->Send(gcMsgTick(cTimeValue(20)));
    }
    const gcAnimationConfig* Config(int anim) const { return &m_pTemplate->animationConfigs[anim]; }

    gcPlayerFlyingTemplate* m_pTemplate = nullptr;
    gcPlayerFlying* m_pFlyer = nullptr;
};

int SendPlain(gcPlayerFlying& f, int32_t id)
{
    return f.Send(gcMsg(id, nullptr));
}

TEST_F(FlyingTest, ANewFlyerFliesCoastingInGearZeroOnceEnabled)
{
    EXPECT_EQ(F::GetStaticType()->m_nTypeId, 142u);
    EXPECT_EQ(m_pTemplate->GetEntityType(), F::GetStaticType());
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_FLYING);
    EXPECT_EQ(m_pFlyer->m_nCurFlySpeed, 0);
    EXPECT_EQ(m_pFlyer->m_pAnimationConfig, Config(T::ANIM_COAST_1));
    auto* fresh = m_pool.New<gcPlayerFlying>();
    EXPECT_EQ(fresh->m_nCurState, F::ST_DISABLED);
    EXPECT_EQ(fresh->m_nNextState, F::ST_DISABLED);
    EXPECT_EQ(SendPlain(*fresh, MSG_STAND), 0);
    std::destroy_at(fresh);
}

constexpr int kScripted = -2;

struct CommandRow {
    const char* what;
    int state, gear;
    uint32_t flags;
    std::function<int(gcPlayerFlying&)> send;
    int taken;
    int after;
    int anim;  // the template's configuration played; -1: none, kScripted: the message's
    uint32_t flagsAfter;
};

TEST_F(FlyingTest, CommandsByState)
{
    static gcAnimationConfig s_config;
    auto plain = [](int32_t id) { return [id](gcPlayerFlying& f) { return SendPlain(f, id); }; };
    auto fly = [](int gear, bool flap) {
        return [gear, flap](gcPlayerFlying& f) { return f.Send(gcMsgPlayFlyingAnimation(gear, flap)); };
    };
    auto play = [](int prio) {
        return [prio](gcPlayerFlying& f) { return f.Send(P(&s_config, static_cast<P::gcPriority>(prio))); };
    };
    const uint32_t flap = F::kFlapping;
    const CommandRow rows[] = {
        {"stand brakes", F::ST_FLYING, 2, flap, plain(MSG_STAND), 1, F::ST_BRAKING, T::ANIM_BRAKE, 0},
        {"stand in the low animation", F::ST_ANIM_LOW, 1, 0, plain(MSG_STAND), 1, F::ST_BRAKING, T::ANIM_BRAKE, 0},
        {"no stand in the medium animation", F::ST_ANIM_MEDIUM, 1, 0, plain(MSG_STAND), 0, F::ST_ANIM_MEDIUM, -1, 0},
        {"walk while flapping coasts", F::ST_FLYING, 2, flap, plain(MSG_WALK), 1, F::ST_FLYING, T::ANIM_COAST_3, 0},
        {"walk while coasting sends nothing", F::ST_FLYING, 2, 0, plain(MSG_WALK), 1, F::ST_FLYING, -1, 0},
        {"run while coasting flaps", F::ST_FLYING, 1, 0, plain(MSG_RUN), 1, F::ST_FLYING, T::ANIM_FLAP_2, flap},
        {"run while flapping sends nothing", F::ST_FLYING, 1, flap, plain(MSG_RUN), 1, F::ST_FLYING, -1, flap},
        {"run from braking flies again", F::ST_BRAKING, 0, 0, plain(MSG_RUN), 1, F::ST_FLYING, T::ANIM_FLAP_1, flap},
        {"walk while braking sends nothing", F::ST_BRAKING, 0, 0, plain(MSG_WALK), 1, F::ST_BRAKING, -1, 0},
        {"no run in the medium animation", F::ST_ANIM_MEDIUM, 0, 0, plain(MSG_RUN), 0, F::ST_ANIM_MEDIUM, -1, 0},
        {"no walk in the medium animation", F::ST_ANIM_MEDIUM, 0, flap, plain(MSG_WALK), 0, F::ST_ANIM_MEDIUM, -1,
         flap},
        {"jump boosts", F::ST_FLYING, 1, flap, plain(MSG_JUMP), 1, F::ST_BOOSTING, T::ANIM_BOOST, 0},
        {"jump boosts out of the medium animation", F::ST_ANIM_MEDIUM, 0, 0, plain(MSG_JUMP), 1, F::ST_BOOSTING,
         T::ANIM_BOOST, 0},
        {"no jump boosting", F::ST_BOOSTING, 3, 0, plain(MSG_JUMP), 0, F::ST_BOOSTING, -1, 0},
        {"no jump knocked back", F::ST_HIT_FRONT, 0, 0, plain(MSG_JUMP), 0, F::ST_HIT_FRONT, -1, 0},
        {"gear 3 coasting", F::ST_FLYING, 0, 0, fly(3, false), 1, F::ST_FLYING, T::ANIM_COAST_4, 0},
        {"gear 2 flapping from braking", F::ST_BRAKING, 0, 0, fly(2, true), 1, F::ST_FLYING, T::ANIM_FLAP_3, 0},
        {"no gear change in the medium animation", F::ST_ANIM_MEDIUM, 0, 0, fly(1, false), 0, F::ST_ANIM_MEDIUM,
         -1, 0},
        {"gear 4 is refused", F::ST_FLYING, 1, 0, fly(4, true), 0, F::ST_FLYING, -1, 0},
        {"gear -1 is refused", F::ST_FLYING, 1, 0, fly(-1, false), 0, F::ST_FLYING, -1, 0},
        {"low animation while braking", F::ST_BRAKING, 0, 0, play(P::PRIORITY_LOW), 1, F::ST_ANIM_LOW, kScripted, 0},
        {"no low animation flying", F::ST_FLYING, 0, 0, play(P::PRIORITY_LOW), 0, F::ST_FLYING, -1, 0},
        {"medium over a boost is refused", F::ST_BOOSTING, 3, 0, play(P::PRIORITY_MEDIUM), 0, F::ST_BOOSTING, -1,
         0},
        {"medium restarts medium", F::ST_ANIM_MEDIUM, 0, 0, play(P::PRIORITY_MEDIUM), 1, F::ST_ANIM_MEDIUM, kScripted, 0},
        {"high over a knockback", F::ST_HIT_FRONT, 0, 0, play(P::PRIORITY_HIGH), 1, F::ST_ANIM_HIGH, kScripted, 0},
        {"very high over high", F::ST_ANIM_HIGH, 0, 0, play(P::PRIORITY_VERYHIGH), 1, F::ST_ANIM_VERYHIGH, kScripted, 0},
        {"high over very high is refused", F::ST_ANIM_VERYHIGH, 0, 0, play(P::PRIORITY_HIGH), 0,
         F::ST_ANIM_VERYHIGH, -1, 0},
        {"very high while dying", F::ST_DYING, 0, 0, play(P::PRIORITY_VERYHIGH), 1, F::ST_ANIM_VERYHIGH, kScripted,
         0},
        {"priority outside the table", F::ST_FLYING, 0, 0, play(P::MAX_PRIORITIES), 0, F::ST_FLYING, -1, 0},
        {"negative priority", F::ST_FLYING, 0, 0, play(-1), 0, F::ST_FLYING, -1, 0},
        {"the medium animation's update does not end it", F::ST_ANIM_MEDIUM, 0, 0, plain(MSG_UPDATE), 0,
         F::ST_ANIM_MEDIUM, -1, 0},
        {"nor the low one's", F::ST_ANIM_LOW, 0, 0, plain(MSG_UPDATE), 0, F::ST_ANIM_LOW, -1, 0},
        {"nor the high one's", F::ST_ANIM_HIGH, 0, 0, plain(MSG_UPDATE), 0, F::ST_ANIM_HIGH, -1, 0},
        {"nor flying's", F::ST_FLYING, 0, 0, plain(MSG_UPDATE), 0, F::ST_FLYING, -1, 0},
        {"face knocked back", F::ST_HIT_FRONT, 0, 0, [](gcPlayerFlying& f) { return f.Send(gcMsgFaceDir({30, 10, 5})); },
         1, F::ST_HIT_FRONT, -1, 0},
        {"no heading that is not a number", F::ST_FLYING, 0, 0,
         [](gcPlayerFlying& f) { return f.Send(gcMsgFaceDir({NAN, 1, 1})); }, 0, F::ST_FLYING, -1, 0},
        {"no infinite roll", F::ST_FLYING, 0, 0,
         [](gcPlayerFlying& f) { return f.Send(gcMsgFaceDir({1, 1, INFINITY})); }, 0, F::ST_FLYING, -1, 0},
        {"no face in the high animation", F::ST_ANIM_HIGH, 0, 0,
         [](gcPlayerFlying& f) { return f.Send(gcMsgFaceDir({1, 1, 1})); }, 0, F::ST_ANIM_HIGH, -1, 0},
        {"no attack", F::ST_FLYING, 0, 0, [](gcPlayerFlying& f) { return f.Send(gcMsgAttack(0, false, 0)); }, 0,
         F::ST_FLYING, -1, 0},
        {"no idle", F::ST_FLYING, 0, 0, [](gcPlayerFlying& f) { return f.Send(gcMsgIdle(0)); }, 0, F::ST_FLYING, -1,
         0},
        {"no revive", F::ST_FLYING, 0, 0, plain(MSG_REVIVE), 0, F::ST_FLYING, -1, 0},
        {"detach from path", F::ST_ANIM_VERYHIGH, 0, 0, plain(MSG_DETACHFROMPATH), 1, F::ST_ANIM_VERYHIGH, -1, 0},
        {"move to no path", F::ST_DEAD, 0, 0,
         [](gcPlayerFlying& f) {
             return f.Send(gcMsgMoveToPath(nullptr, 0.0f, 1.0f, false, false, false, nullptr));
         },
         1, F::ST_DEAD, -1, 0},
        {"move to no point", F::ST_DEAD, 0, 0,
         [](gcPlayerFlying& f) { return f.Send(gcMsgMoveToPoint(nullptr, false, false)); }, 1, F::ST_DEAD, -1, 0},
    };
    for (const CommandRow& r : rows) {
        SCOPED_TRACE(r.what);
        Force(r.state, r.gear, r.flags);
        EXPECT_EQ(r.send(*m_pFlyer), r.taken);
        EXPECT_EQ(m_pFlyer->m_nCurState, r.after);
        const gcAnimationConfig* pPlayed = r.anim == kScripted ? &s_config : r.anim < 0 ? nullptr : Config(r.anim);
        EXPECT_EQ(m_pFlyer->m_pAnimationConfig, pPlayed);
        EXPECT_EQ(m_pFlyer->m_nFlags, r.flagsAfter);
    }
    EXPECT_FLOAT_EQ(m_pFlyer->m_desiredHPR[0], 30.0f);
    EXPECT_FLOAT_EQ(m_pFlyer->m_desiredHPR[1], 10.0f);
    EXPECT_FLOAT_EQ(m_pFlyer->m_desiredHPR[2], 5.0f);
}

TEST_F(FlyingTest, BrakingAndKnockbackStopInGearZeroAndOnlyTheKnockbackEnds)
{
    Force(F::ST_FLYING, 3, F::kFlapping);
    m_pFlyer->m_accelTime = cTimeValue(700);
    SendPlain(*m_pFlyer, MSG_STAND);
    EXPECT_EQ(m_pFlyer->m_nCurFlySpeed, 0);
    EXPECT_EQ(m_pFlyer->m_accelTime, cTimeValue(0));
    EXPECT_EQ(m_pFlyer->m_pAnimationConfig, Config(T::ANIM_BRAKE));
    EXPECT_EQ(m_pFlyer->m_nextUpdate, cTimeValue(0));  // no countdown: braked until a command
    Tick(200);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_BRAKING);
    // The knockback times itself by its animation, then flies on coasting.
    Force(F::ST_FLYING, 2, F::kFlapping);
    m_pFlyer->RequestState(F::ST_HIT_FRONT, cTimeValue(0));
    m_pFlyer->Send(gcMsgPlain<MSG_DETACHFROMPATH>());
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_HIT_FRONT);
    EXPECT_EQ(m_pFlyer->m_nCurFlySpeed, 0);
    EXPECT_EQ(m_pFlyer->m_nFlags, 0u);
    EXPECT_EQ(m_pFlyer->m_nextUpdate, cTimeValue(1));  // its animation does not resolve
    Tick(1);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_FLYING);
    EXPECT_EQ(m_pFlyer->m_pAnimationConfig, Config(T::ANIM_COAST_1));
}

// A tick of any positive length runs the counters and the scripts.
TEST_F(FlyingTest, ATickOfOneTickCounts)
{
    m_pFlyer->m_creatureTimeSince[gcCreature::TIMESINCE_ATTACK] = cTimeValue(0);
    m_pFlyer->Send(gcMsgTick(cTimeValue(1)));
    EXPECT_EQ(m_pFlyer->m_creatureTimeSince[gcCreature::TIMESINCE_ATTACK], cTimeValue(1));
}

TEST_F(FlyingTest, DealDamageIsNotTakenAndLeavesTheAmount)
{
    gcMsgDealDamage hit(nullptr, 0x1, 7.5f, gcMsgDealDamage::DD_F, cTimeValue(0));
    EXPECT_EQ(m_pFlyer->Send(hit), 0);
    EXPECT_EQ(hit.fAmount, 7.5f);
    EXPECT_EQ(m_pFlyer->GetStat(gcEntityTemplate::STAT_HEALTH), 10.0f);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_FLYING);
}

// Shift times of their own per entry, so that a wrong entry shows.
TEST_F(FlyingTest, GearsClimbWhileFlappingAndDropWhileCoasting)
{
    m_pTemplate->timesToShift[0] = cTimeValue(300);
    m_pTemplate->timesToShift[1] = cTimeValue(500);
    m_pTemplate->timesToShift[2] = cTimeValue(700);
    struct Row {
        const char* what;
        int gear;
        bool flap;
        int accel;
        int ticks;  // of 20
        int gearAfter;
        int accelAfter;
    };
    const Row rows[] = {
        {"gear 0 climbs at entry 0", 0, true, 0, 15, 1, 0},
        {"a tick short", 0, true, 0, 14, 0, 280},
        {"gear 1 climbs at entry 1", 1, true, 0, 25, 2, 0},
        {"gear 2 climbs at entry 2", 2, true, 0, 35, 3, 0},
        {"the top gear holds entry 2 full", 3, true, 5, 1, 3, 700},
        {"the top gear lasts entry 2 coasting", 3, false, 700, 35, 2, 680},
        {"a tick short of the drop", 3, false, 700, 34, 3, 20},
        {"gear 2 drops to entry 1 less the step", 2, false, 20, 1, 1, 480},
        {"gear 1 drops to entry 0 less the step", 1, false, 15, 1, 0, 280},
        {"coasting in gear 0 empties the time", 0, false, 90, 1, 0, 0},
        {"one tick left is not yet the drop", 2, false, 21, 1, 2, 1},
        {"a gear past 3 is left alone", 7, true, 40, 1, 7, 40},
        {"a gear below 0 is left alone", -1, false, 40, 1, -1, 40},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Force(F::ST_FLYING, r.gear, r.flap ? F::kFlapping : 0);
        m_pFlyer->m_accelTime = cTimeValue(r.accel);
        Tick(r.ticks);
        EXPECT_EQ(m_pFlyer->m_nCurFlySpeed, r.gearAfter);
        EXPECT_EQ(m_pFlyer->m_accelTime, cTimeValue(r.accelAfter));
        EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_FLYING);
        if (r.gearAfter != r.gear) {
            const int anim = (r.flap ? T::ANIM_FLAP_1 : T::ANIM_COAST_1) + 2 * r.gearAfter;
            EXPECT_EQ(m_pFlyer->m_pAnimationConfig, Config(anim));
        }
    }
}

TEST_F(FlyingTest, WithTheDefaultShiftTimesGearThreeComesAfterTenAndAHalfSeconds)
{
    // The times (in ticks from the command) at which the gear changes over
    // 400 ticks of 20.
    const auto changes = [this](int32_t command) {
        SendPlain(*m_pFlyer, command);
        std::vector<int> times;
        for (int i = 1; i <= 400; ++i) {
            const int gear = m_pFlyer->m_nCurFlySpeed;
            Tick(1);
            if (m_pFlyer->m_nCurFlySpeed != gear)
                times.push_back(i * 20);
        }
        return times;
    };
    EXPECT_EQ(changes(MSG_RUN), (std::vector<int>{2100, 4200, 6300}));
    // Coasting from the top: the held time first, then the shift time less
    // the step of the drop.
    EXPECT_EQ(changes(MSG_WALK), (std::vector<int>{2100, 4180, 6260}));
}

TEST_F(FlyingTest, GearsRunOnlyInTheStatesUpToFlying)
{
    const struct {
        int state;
        bool runs;
    } rows[] = {{F::ST_BRAKING, true},    {F::ST_ANIM_LOW, true},   {F::ST_ANIM_MEDIUM, false},
                {F::ST_BOOSTING, false},  {F::ST_ANIM_HIGH, false}, {F::ST_ANIM_VERYHIGH, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.state);
        Force(r.state, 1, F::kFlapping);
        m_pFlyer->m_accelTime = cTimeValue(100);
        m_pFlyer->m_nextUpdate = cTimeValue(10000);  // no state ends meanwhile
        Tick(3);
        EXPECT_EQ(m_pFlyer->m_accelTime, cTimeValue(r.runs ? 160 : 100));
    }
}

// 128 ticks (208 less the ease-out) scaled to 2147483520, the largest float
// below 2^31, already last the longest countdown; one float below it is
// taken as it is.
TEST_F(FlyingTest, ABoostAtTheLargestTickFloatLastsTheLongestCountdown)
{
    datagen::AnimationDesc boost;
    boost.frames = 2;
    boost.frameLength = 208;
    ASSERT_NE(PlaceAnimation(m_data, &m_pool, 6, boost), nullptr);
    m_pTemplate->animationConfigs[T::ANIM_BOOST].hAnimation = eAnimationMgr::GetHandle(6);
    const struct {
        float scale;
        int countdown;
    } rows[] = {{16777215.0f, INT32_MAX}, {16777214.0f, 2147483392}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.scale);
        Force(F::ST_ANIM_LOW, 1, F::kFlapping);
        m_pFlyer->SetStat(gcEntityTemplate::STAT_MOVEMENT_SCALE, r.scale);
        EXPECT_EQ(SendPlain(*m_pFlyer, MSG_JUMP), 1);
        EXPECT_EQ(m_pFlyer->m_nextUpdate, cTimeValue(r.countdown));
    }
}

TEST_F(FlyingTest, ABoostTakesTheTopGearForItsAnimationAtTheMovementScale)
{
    // Shift times of their own below the last, so that a wrong entry shows.
    m_pTemplate->timesToShift[0] = cTimeValue(300);
    m_pTemplate->timesToShift[1] = cTimeValue(500);
    datagen::AnimationDesc boost;
    boost.frames = 2;
    boost.frameLength = 611;
    ASSERT_NE(PlaceAnimation(m_data, &m_pool, 6, boost), nullptr);
    datagen::AnimationDesc loop = boost;
    loop.bLooping = true;
    ASSERT_NE(PlaceAnimation(m_data, &m_pool, 7, loop), nullptr);
    datagen::AnimationDesc brief = boost;
    brief.frameLength = 60;  // shorter than the ease-out
    ASSERT_NE(PlaceAnimation(m_data, &m_pool, 8, brief), nullptr);
    struct Row {
        const char* what;
        int slot;  // -1: none
        float scale;
        int countdown;
    };
    const Row rows[] = {
        {"length less the ease-out", 6, 1.0f, 611 - 80},
        {"scaled and truncated", 6, 0.75f, 398},  // 0.75 x 531 = 398.25
        {"a looping one too", 7, 0.5f, 265},      // 265.5
        {"no animation: one tick", -1, 1.0f, 1},
        {"no time at all: one tick", 8, 1.0f, 1},
        {"a scale beyond the tick range: the longest", 6, 1e30f, INT32_MAX},
        {"a scale that is not a number: one tick", 6, std::nanf(""), 1},
        {"a negative scale: one tick", 6, -2.0f, 1},
        {"a scale of 0: one tick", 6, 0.0f, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        m_pTemplate->animationConfigs[T::ANIM_BOOST].hAnimation =
            r.slot < 0 ? eAnimationHandle() : eAnimationMgr::GetHandle(r.slot);
        Force(F::ST_ANIM_LOW, 1, F::kFlapping);
        m_pFlyer->SetStat(gcEntityTemplate::STAT_MOVEMENT_SCALE, r.scale);
        EXPECT_EQ(SendPlain(*m_pFlyer, MSG_JUMP), 1);
        EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_BOOSTING);
        EXPECT_EQ(m_pFlyer->m_nextUpdate, cTimeValue(r.countdown));
        EXPECT_EQ(m_pFlyer->m_nCurFlySpeed, 3);
        EXPECT_EQ(m_pFlyer->m_accelTime, cTimeValue(2100));
        EXPECT_EQ(m_pFlyer->m_nFlags, 0u);
        EXPECT_EQ(m_pFlyer->m_pAnimationConfig, Config(T::ANIM_BOOST));
    }
    // The boost ends through Unknown back to flying, coasting in the top gear.
    m_pFlyer->SetStat(gcEntityTemplate::STAT_MOVEMENT_SCALE, 1.0f);
    Tick(1);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_FLYING);
    EXPECT_EQ(m_pFlyer->m_nCurFlySpeed, 3);
    EXPECT_EQ(m_pFlyer->m_pAnimationConfig, Config(T::ANIM_COAST_4));
}

TEST_F(FlyingTest, UnknownFliesOnAtTheKeptGearWithHealthAndDiesWithout)
{
    m_pFlyer->SetStat(gcEntityTemplate::STAT_HEALTH, 0.25f);  // any Health
    Force(F::ST_BOOSTING, 2, 0);
    m_pFlyer->Send(gcMsgUpdate());
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_FLYING);
    EXPECT_EQ(m_pFlyer->m_pAnimationConfig, Config(T::ANIM_COAST_3));
    m_pFlyer->SetStat(gcEntityTemplate::STAT_HEALTH, 0.0f);
    Force(F::ST_HIT_FRONT, 2, 0);
    m_pFlyer->Send(gcMsgUpdate());
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_DYING);
    EXPECT_EQ(m_pFlyer->m_pAnimationConfig, Config(T::ANIM_DYING));
    EXPECT_EQ(m_pFlyer->m_nextUpdate, cTimeValue(1));
    Tick(1);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_DEAD);
    EXPECT_EQ(m_pFlyer->m_pAnimationConfig, Config(T::ANIM_DEAD));
    EXPECT_EQ(m_pFlyer->m_nextUpdate, cTimeValue(0));
    m_pFlyer->Send(gcMsgUpdate());
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_DISABLED);
    EXPECT_EQ(m_pFlyer->m_nPrevState, F::ST_DEATH_END);
    EXPECT_EQ(m_pFlyer->IsDying(), false);
}

TEST_F(FlyingTest, ResetKeepsTheGearAndACopyStartsDisabled)
{
    Force(F::ST_FLYING, 2, F::kFlapping);
    m_pFlyer->m_accelTime = cTimeValue(300);
    ASSERT_TRUE(m_pFlyer->Reset(&m_pool));
    EXPECT_EQ(m_pFlyer->m_nCurFlySpeed, 2);
    EXPECT_EQ(m_pFlyer->m_nFlags, 0u);
    EXPECT_EQ(m_pFlyer->m_accelTime, cTimeValue(0));
    EXPECT_EQ(m_pFlyer->m_pTemplate, m_pTemplate);
    m_pFlyer->m_nCurFlySpeed = 3;
    auto* pCopy = static_cast<gcPlayerFlying*>(m_pFlyer->Copy(&m_pool));
    ASSERT_NE(pCopy, nullptr);
    m_entities.push_back(pCopy);
    EXPECT_EQ(pCopy->m_nCurState, F::ST_DISABLED);
    EXPECT_EQ(pCopy->m_nCurFlySpeed, 3);
    EXPECT_EQ(pCopy->m_pTemplate, m_pTemplate);
    EXPECT_FALSE(pCopy->IsActive());
}

TEST_F(FlyingTest, SuspendingKeepsTheStateAndResumingSkipsTheEnter)
{
    Force(F::ST_HIT_FRONT, 0, 0);
    m_pFlyer->m_nextUpdate = cTimeValue(50);
    EXPECT_EQ(SendPlain(*m_pFlyer, MSG_FREEZE), 1);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_DISABLED);
    EXPECT_EQ(SendPlain(*m_pFlyer, MSG_FREEZE), 0);  // already frozen
    // A tick is no plain message (it carries its time step), so it is left out.
    const int32_t refused[] = {MSG_STAND, MSG_WALK,   MSG_RUN,   MSG_JUMP, MSG_UPDATE, MSG_POSTENTERSTATE,
                               MSG_REVIVE, MSG_PLAYFLYINGANIMATION};
    for (int32_t id : refused)
        EXPECT_EQ(SendPlain(*m_pFlyer, id), 0) << id;
    EXPECT_EQ(SendPlain(*m_pFlyer, MSG_DETACHFROMPATH), 1);
    EXPECT_EQ(SendPlain(*m_pFlyer, MSG_DEACTIVATE), 1);
    SendPlain(*m_pFlyer, MSG_UNFREEZE);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_DISABLED);  // still deactivated
    SendPlain(*m_pFlyer, MSG_ACTIVATE);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_HIT_FRONT);
    EXPECT_EQ(m_pFlyer->m_nextUpdate, cTimeValue(50));  // no enter
}

// A reset that no longer finds the template drops it; the states that
// play then play nothing.
TEST_F(FlyingTest, AResetWithoutItsTemplateDropsItAndPlaysNothing)
{
    Force(F::ST_FLYING, 2, 0);
    // A template of another kind: the entity is not valid.
    auto* pOther = m_pool.New<gcTestCreatureTemplate>();
    gcEntityTemplateMgr::Add(kTemplateSlot + 1, pOther, 0x78);
    m_pFlyer->m_hTemplate = gcEntityTemplateMgr::GetHandle(kTemplateSlot + 1);
    EXPECT_FALSE(m_pFlyer->Reset(&m_pool));
    gcEntityTemplateMgr::s_pInstances[kTemplateSlot + 1] = nullptr;
    EXPECT_EQ(m_pFlyer->m_pTemplate, nullptr);
    EXPECT_EQ(SendPlain(*m_pFlyer, MSG_STAND), 1);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_BRAKING);
    EXPECT_EQ(m_pFlyer->m_pAnimationConfig, nullptr);
    EXPECT_EQ(SendPlain(*m_pFlyer, MSG_JUMP), 1);
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_BOOSTING);
    EXPECT_EQ(m_pFlyer->m_accelTime, cTimeValue(0));
    EXPECT_EQ(m_pFlyer->m_nextUpdate, cTimeValue(1));
}

TEST_F(FlyingTest, TheBlockIsTheCreatureRecordInAVersionOneBlock)
{
    datagen::CreatureDesc d;
    d.entity.name = "Kite";
    d.mods = {1, 1, 3, 1, 1, 1, 1, 1, 10};
    struct Row {
        const char* what;
        uint32_t version, creatureVersion;
        bool ok;
    };
    const Row rows[] = {
        {"version 1", 1, gcCreature::kVersion, true},
        {"a later version", 2, gcCreature::kVersion, true},
        {"version 0", 0, gcCreature::kVersion, false},
        {"a creature block it cannot read", 1, 99, false},
    };
    gcTestLogCapture quiet;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        gcPlayerFlying f;
        f.m_name.Set("Before");
        const bool ok = ReadBlock(
            [&](datagen::BlockWriter& w) {
                w.Begin(r.version);
                datagen::CreatureBlock(w, d, r.creatureVersion);
                w.End();
            },
            &f);
        EXPECT_EQ(ok, r.ok);
        EXPECT_STREQ(f.m_name.m_sData, r.ok ? "Kite" : "Before");
        EXPECT_EQ(f.m_fCreatureStatsMod[2], r.ok ? 3.0f : 1.0f);
    }
}

TEST_F(FlyingTest, WithoutItsTemplateItStaysDisabled)
{
    ExpectStaysDisabledWithoutItsTemplate(m_pTemplate, F::ST_DISABLED);
}

}  // namespace
