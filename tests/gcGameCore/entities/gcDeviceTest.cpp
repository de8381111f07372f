// Devices and device templates: defaults and copies, activation, the
// priority and idle tables, damage, suspension and resumption, death and
// fading, and movement by root motion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "datagen/deviceWriters.h"
#include "datagen/sampleDevices.h"
#include "gcGameCore/actions/gcDoDeviceAction.h"
#include "eEngine/modelTestSupport.h"
#include "entityTestObjects.h"
#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/entities/gcDeviceTemplate.h"

namespace {

using Dv = gcDevice;
using D = gcMsgDealDamage;
using P = gcMsgPlayAnimation;

enum Tag : int32_t { TAG_DAMAGE = 1, TAG_DEATH = 2, TAG_UPDATE = 3, TAG_INSTANCE_DEATH = 4, TAG_FADED = 5 };

constexpr int kSwingTicks = 160 - 80;  // a 160-tick animation less its ease-out

// A device template (health 100, the figure mesh) in slot 4: a swing of 160
// ticks for hit, dying and dead, a looping stride of 2 units along +y every
// 20 ticks for the first idle, the swing again for the second; the other
// idles without an animation. Its events record.
class gcDeviceTest : public EntityWorldTest {
protected:
    static constexpr int kSlot = 4;
    static constexpr int kMeshSlot = 5;
    static constexpr int kSwingSlot = 6;
    static constexpr int kStrideSlot = 7;

    void SetUp() override
    {
        EntityWorldTest::SetUp();
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, FigureDesc()), nullptr);
        ASSERT_NE(PlaceAnimation(m_data, &m_pool, kSwingSlot, Track("swing", false, 0.0f)), nullptr);
        ASSERT_NE(PlaceAnimation(m_data, &m_pool, kStrideSlot, Track("stride", true, 2.0f)), nullptr);
        m_t = m_pool.New<gcDeviceTemplate>();
        m_t->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        m_t->fEntityStatsMax[gcEntityTemplate::STAT_HEALTH] = 100.0f;
        for (int a : {Dv::ANIM_HIT, Dv::ANIM_DYING, Dv::ANIM_DEAD, Dv::ANIM_IDLE_2})
            m_t->animationConfigs[a].hAnimation = eAnimationMgr::GetHandle(kSwingSlot);
        m_t->animationConfigs[Dv::ANIM_IDLE_1].hAnimation = eAnimationMgr::GetHandle(kStrideSlot);
        FillEvent(m_t->onDamageTaken, b.Record(TAG_DAMAGE));
        FillEvent(m_t->onDeath, b.Record(TAG_DEATH));
        gcEntityTemplateMgr::Add(kSlot, m_t, 0x78);
        m_looping.hAnimation = eAnimationMgr::GetHandle(kStrideSlot);
        m_timed.hAnimation = eAnimationMgr::GetHandle(kSwingSlot);
        TestLog().clear();
    }

    static datagen::AnimationDesc Track(const char* name, bool bLooping, float fStride)
    {
        datagen::AnimationDesc d;
        d.name = name;
        d.frames = 9;
        d.bLooping = bLooping;
        d.nodes.resize(1);
        for (int k = 0; k < d.frames; ++k) {
            d.nodes[0].positions.push_back(mVec3(0, fStride * static_cast<float>(k), 0));
            d.nodes[0].rotations.push_back(mQuat(0, 0, 0, 1));
        }
        return d;
    }

    // A new device of the template at a point of region 1, suspended.
    gcDevice* NewDevice(const mVec3& at = {0, 0, 1})
    {
        auto* p = static_cast<gcDevice*>(m_t->CreateInstance(&m_pool));
        m_entities.push_back(p);
        p->m_nRegionId = 1;
        p->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z);
        p->Reset(&m_pool);
        FillEvent(p->onDeath, b.Record(TAG_INSTANCE_DEATH));
        FillEvent(p->onFaded, b.Record(TAG_FADED));
        return p;
    }
    // Unfrozen and activated: alive (or dying) in the world, and vulnerable.
    gcDevice* RunningDevice(const mVec3& at = {0, 0, 1})
    {
        gcDevice* p = NewDevice(at);
        p->m_nEntityFlags &= static_cast<uint16_t>(~gcEntity::kInvulnerable);
        p->Send(gcMsgUnfreeze());
        p->Send(gcMsgActivate());
        return p;
    }
    // An attacker of the team (no template needed).
    gcTestEntity* Attacker(int16_t team)
    {
        auto* p = m_pool.New<gcTestEntity>();
        m_entities.push_back(p);
        p->m_team = team;
        return p;
    }
    static int Count(int32_t tag)
    {
        int n = 0;
        for (int32_t t : TestLogTags())
            n += t == tag;
        return n;
    }
    static void Tick(gcDevice* p, int n = 1)
    {
        for (int i = 0; i < n; ++i)
            p->Send(gcMsgTick(cTimeValue(20)));
    }

    gcDeviceTemplate* m_t = nullptr;
    gcAnimationConfig m_looping, m_timed;
};

// A new template is neutral and not a target; a copy takes nothing from its
// source and has the entity template's own defaults.
TEST_F(gcDeviceTest, TemplateDefaultsAndCopies)
{
    gcDeviceTemplate fresh;
    EXPECT_EQ(fresh.team, gcEntityTemplate::TEAM_NEUTRAL);
    EXPECT_EQ(fresh.nEntityTemplateFlags & gcEntityTemplate::kTargetable, 0u);
    EXPECT_EQ(fresh.GetEntityType(), gcDevice::GetStaticType());
    m_t->team = gcEntityTemplate::TEAM_FRIENDLY;
    auto* pCopy = static_cast<gcDeviceTemplate*>(m_t->Copy(&m_pool));
    ASSERT_NE(pCopy, nullptr);
    EXPECT_EQ(pCopy->team, gcEntityTemplate::TEAM_UNFRIENDLY);
    EXPECT_NE(pCopy->nEntityTemplateFlags & gcEntityTemplate::kTargetable, 0u);
    for (const gcAnimationConfig& c : pCopy->animationConfigs)
        EXPECT_TRUE(c.hAnimation.IsNull());
    std::destroy_at(pCopy);
}

// The stored configurations fill the table from the start: fewer leave the
// rest empty, more are read up to nine and the surplus read over; a
// negative count fails the file; a block of version 0 changes nothing.
TEST_F(gcDeviceTest, TemplateReadsItsConfigurationCount)
{
    struct Row {
        const char* name;
        uint32_t nVersion;
        int32_t nCount;
        bool bRead;
        int nFilled;  // leading slots holding the stored animation; -1 the old table kept
        uint32_t nEntityVersion;
        const char* sWarning;
    } rows[] = {
        {"nine", 1, 9, true, 9, 20, nullptr},
        {"four", 1, 4, true, 4, 20, nullptr},
        {"none", 1, 0, true, 0, 20, nullptr},
        {"eleven", 1, 11, true, 9, 20, "count 11 in \"/o.dat\" is above 9; the rest is read over"},
        {"negative: never written", 1, -1, false, -1, 20, nullptr},
        {"a later version", 2, 9, true, 9, 20, nullptr},
        {"version 0", 0, 9, false, -1, 20, nullptr},
        {"the entity template part refused", 1, 9, false, -1, 0, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestLogCapture quiet;
        gcDeviceTemplate t;
        for (gcAnimationConfig& c : t.animationConfigs)
            c.hAnimation = eAnimationHandle(0x00660001);
        datagen::DeviceTemplateDesc d;
        d.entity.team = 1;
        d.entityVersion = r.nEntityVersion;
        d.configCount = r.nCount;
        d.configs.resize(static_cast<size_t>(std::max(r.nCount, 0)));
        for (int i = 0; i < r.nCount; ++i)
            d.configs[static_cast<size_t>(i)].hAnimation = 0x00700000u + static_cast<uint32_t>(i);
        EXPECT_EQ(ReadBlock([&](datagen::BlockWriter& w) { datagen::DeviceTemplateBlock(w, d, r.nVersion); }, &t),
                  r.bRead);
        EXPECT_EQ(t.team, r.bRead ? 1 : gcEntityTemplate::TEAM_NEUTRAL);
        for (int i = 0; i < Dv::MAX_ANIMATIONS; ++i) {
            const uint32_t nExpected = r.nFilled < 0 ? 0x00660001u : i < r.nFilled ? 0x00700000u + i : 0u;
            EXPECT_EQ(t.animationConfigs[i].hAnimation.m_nValue, nExpected) << i;
        }
        EXPECT_EQ(quiet.Count(LOGTYPE_WARNING, "gcDeviceTemplate: configuration count"), r.sWarning ? 1 : 0);
        if (r.sWarning) {
            EXPECT_EQ(quiet.Count(LOGTYPE_WARNING, r.sWarning), 1);
        }
    }
}

// A configuration that does not read fails the block after a sound entity
// template part: that part, team and name included, stays as it was.
TEST_F(gcDeviceTest, TemplateFailingInItsConfigurationsChangesNothing)
{
    gcTestLogCapture quiet;
    gcDeviceTemplate t;
    t.m_name.Set("before");
    t.animationConfigs[0].hAnimation = eAnimationHandle(0x00660001);
    datagen::DeviceTemplateDesc d;
    d.entity.name = "after";
    d.entity.team = 1;
    d.entity.stats = {5, 0, 1, 1};
    d.configs.resize(9);
    d.configs[0].hAnimation = 0x00700000;
    d.configs[4].damagedEvent = 2;
    EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::DeviceTemplateBlock(w, d, 1); }, &t));
    EXPECT_EQ(t.team, gcEntityTemplate::TEAM_NEUTRAL);
    EXPECT_STREQ(t.m_name.m_sData, "before");
    EXPECT_EQ(t.fEntityStatsMax[gcEntityTemplate::STAT_HEALTH], 100.0f);
    EXPECT_EQ(t.animationConfigs[0].hAnimation.m_nValue, 0x00660001u);
    EXPECT_EQ(quiet.Count(LOGTYPE_ERROR, "not accepted"), 1);
    EXPECT_EQ(quiet.Count(LOGTYPE_ERROR, ""), 1);
}

// A device starts suspended and invulnerable; activation decides by health;
// a template of another kind leaves it without one.
TEST_F(gcDeviceTest, StartsSuspendedAndActivatesByHealth)
{
    gcDevice fresh;
    EXPECT_EQ(fresh.m_nCurState, Dv::STATE_SUSPENDED);
    EXPECT_EQ(fresh.m_nNextState, Dv::STATE_SUSPENDED);
    EXPECT_EQ(fresh.m_nPrevState, -1);
    EXPECT_EQ(fresh.m_nEntityFlags, gcEntity::kNewFlags | gcEntity::kInvulnerable);
    EXPECT_EQ(fresh.m_team, gcEntityTemplate::TEAM_NEUTRAL);
    struct Row {
        const char* name;
        float fHealth;
        int nState;
    } rows[] = {
        {"alive", 100, Dv::STATE_ALIVE},
        {"a sliver of health", 0.25f, Dv::STATE_ALIVE},
        {"no health: dying at once", 0, Dv::STATE_DYING},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcDevice* p = NewDevice();
        EXPECT_TRUE(p->Reset(&m_pool));
        EXPECT_EQ(p->m_pTemplate, m_t);
        p->SetStat(gcEntityTemplate::STAT_HEALTH, r.fHealth);
        EXPECT_EQ(p->Send(gcMsgIdle(0)), 0) << "suspended devices take no commands";
        p->Send(gcMsgActivate());
        EXPECT_EQ(p->m_nCurState, Dv::STATE_SUSPENDED) << "still frozen";
        EXPECT_EQ(p->m_model.m_pZone, nullptr);
        p->Send(gcMsgUnfreeze());
        EXPECT_EQ(p->m_nCurState, r.nState);
        EXPECT_EQ(p->m_model.m_pZone, &m_a);
        EXPECT_EQ(p->IsDying(), r.nState == Dv::STATE_DYING);
        p->Send(gcMsgDeactivate());
    }
    gcTestEntityTemplate* pOther = PlaceTemplate();
    gcDevice* p = NewDevice();
    p->m_hTemplate = pOther->m_handle;
    EXPECT_FALSE(p->Reset(&m_pool));
    EXPECT_EQ(p->m_pTemplate, nullptr);
}

// Message 119 by priority: refused above the priority's state, taken up to
// it (also again in the same state); the countdown is the animation's play
// time, 0 for a looping one.
TEST_F(gcDeviceTest, PriorityAnimations)
{
    struct Row {
        const char* name;
        int nFrom;
        P::gcPriority priority;
        bool bLooping;
        bool bTaken;
        int nTo;
        int nCountdown;
    } rows[] = {
        {"low from alive", Dv::STATE_ALIVE, P::PRIORITY_LOW, false, true, Dv::STATE_PLAYINGLOW, kSwingTicks},
        {"low again", Dv::STATE_PLAYINGLOW, P::PRIORITY_LOW, false, true, Dv::STATE_PLAYINGLOW, kSwingTicks},
        {"low over idling", Dv::STATE_IDLING, P::PRIORITY_LOW, true, true, Dv::STATE_PLAYINGLOW, 0},
        {"low under medium", Dv::STATE_PLAYINGMEDIUM, P::PRIORITY_LOW, false, false, Dv::STATE_PLAYINGMEDIUM, 55},
        {"medium under high", Dv::STATE_PLAYINGHIGH, P::PRIORITY_MEDIUM, false, false, Dv::STATE_PLAYINGHIGH, 55},
        {"high over medium", Dv::STATE_PLAYINGMEDIUM, P::PRIORITY_HIGH, true, true, Dv::STATE_PLAYINGHIGH, 0},
        {"high under the hit", Dv::STATE_HIT, P::PRIORITY_HIGH, false, false, Dv::STATE_HIT, 55},
        {"very high over the hit", Dv::STATE_HIT, P::PRIORITY_VERYHIGH, false, true, Dv::STATE_PLAYINGVERYHIGH,
         kSwingTicks},
        {"very high again", Dv::STATE_PLAYINGVERYHIGH, P::PRIORITY_VERYHIGH, true, true, Dv::STATE_PLAYINGVERYHIGH,
         0},
        {"very high while dying", Dv::STATE_DYING, P::PRIORITY_VERYHIGH, false, false, Dv::STATE_DYING, 55},
        {"very high while dead", Dv::STATE_DEAD, P::PRIORITY_VERYHIGH, false, false, Dv::STATE_DEAD, 55},
        {"a priority outside the table", Dv::STATE_ALIVE, static_cast<P::gcPriority>(4), false, false,
         Dv::STATE_ALIVE, 55},
    };
    gcTestLogCapture quiet;
    gcDevice* p = RunningDevice();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        p->m_nCurState = static_cast<int8_t>(r.nFrom);
        p->m_nextUpdate = cTimeValue(55);
        const P msg(r.bLooping ? &m_looping : &m_timed, r.priority);
        EXPECT_EQ(p->Send(msg) != 0, r.bTaken);
        EXPECT_EQ(p->m_nCurState, r.nTo);
        EXPECT_EQ(p->m_nextUpdate.m_nTicks, r.nCountdown);
        if (r.bTaken) {
            EXPECT_EQ(p->m_pAnimationConfig, msg.pAnimationConfig);
        }
    }
    // Only the priority outside the table is refused with a word, naming the range.
    EXPECT_EQ(quiet.Count(LOGTYPE_WARNING, "refuses an animation of priority 4, outside 0-3"), 1);
}

// Idle requests: ignored for the animation already playing, played (again
// entering state 2) for another, refused outside states 0 to 5 and outside
// the six idles.
TEST_F(gcDeviceTest, IdleAnimations)
{
    struct Row {
        const char* name;
        int nFrom;
        const gcAnimationConfig* pPlaying;
        int32_t nIdle;
        bool bTaken;
        int nTo;
        int nCountdown;
        int nPlaying;  // the slot then playing; -1 the row's pPlaying, -2 none (the last one ended)
    } rows[] = {
        {"first idle from alive", Dv::STATE_ALIVE, nullptr, 0, true, Dv::STATE_IDLING, 0, Dv::ANIM_IDLE_1},
        {"the idle already playing", Dv::STATE_IDLING, &m_looping, 0, true, Dv::STATE_IDLING, 55, -1},
        {"the same animation in another state", Dv::STATE_PLAYINGHIGH, &m_looping, 0, true, Dv::STATE_PLAYINGHIGH,
         55, -1},
        {"another idle re-enters", Dv::STATE_IDLING, &m_looping, 1, true, Dv::STATE_IDLING, kSwingTicks,
         Dv::ANIM_IDLE_2},
        {"an idle without animation lasts a tick", Dv::STATE_PLAYINGLOW, &m_looping, 5, true, Dv::STATE_IDLING, 1,
         -2},
        {"not over the hit", Dv::STATE_HIT, &m_looping, 1, false, Dv::STATE_HIT, 55, -1},
        {"no seventh idle", Dv::STATE_ALIVE, &m_looping, 6, false, Dv::STATE_ALIVE, 55, -1},
        {"no negative idle", Dv::STATE_ALIVE, &m_looping, -1, false, Dv::STATE_ALIVE, 55, -1},
    };
    gcTestLogCapture quiet;
    gcDevice* p = RunningDevice();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        p->m_nCurState = static_cast<int8_t>(r.nFrom);
        p->m_nextUpdate = cTimeValue(55);
        p->m_pAnimationConfig = r.pPlaying;
        EXPECT_EQ(p->Send(gcMsgIdle(r.nIdle)) != 0, r.bTaken);
        EXPECT_EQ(p->m_nCurState, r.nTo);
        EXPECT_EQ(p->m_nextUpdate.m_nTicks, r.nCountdown);
        const gcAnimationConfig* pPlaying = r.nPlaying == -2 ? nullptr : r.pPlaying;
        EXPECT_EQ(p->m_pAnimationConfig, r.nPlaying < 0 ? pPlaying : &m_t->animationConfigs[r.nPlaying]);
        EXPECT_EQ(p->IsIdling(), r.nTo == Dv::STATE_IDLING);
    }
}

// Damage: the team product, invulnerability, the script's amount, health
// and the way to death by the animations the template has.
TEST_F(gcDeviceTest, TakingDamage)
{
    enum From { NONE, FRIEND, FOE, NEUTRAL };
    struct Row {
        const char* name;
        int16_t team;
        From from;
        bool bInvulnerable;
        float fAmount;
        bool bScriptHalves;
        int nMissing;  // slots whose animation is taken away: 0 none, 1 dying, 2 dying and dead
        float fHealth;
        float fTaken;
        int nState;
        int nCountdown;
        int nDamageEvents, nDeaths, nFaded;
        bool bCounterStarted;
    } rows[] = {
        {"both friendly: nothing", 1, FRIEND, false, 30, false, 0, 100, 0, Dv::STATE_ALIVE, 55, 0, 0, 0, false},
        {"both unfriendly: nothing", -1, FOE, false, 30, false, 0, 100, 0, Dv::STATE_ALIVE, 55, 0, 0, 0, false},
        {"a foe hits a friend", 1, FOE, false, 30, false, 0, 70, 30, Dv::STATE_HIT, kSwingTicks, 1, 0, 0, true},
        {"a neutral attacker hurts", 1, NEUTRAL, false, 30, false, 0, 70, 30, Dv::STATE_HIT, kSwingTicks, 1, 0, 0,
         true},
        {"a neutral device is hurt", 0, FOE, false, 30, false, 0, 70, 30, Dv::STATE_HIT, kSwingTicks, 1, 0, 0, true},
        {"script damage", 1, NONE, false, 30, false, 0, 70, 30, Dv::STATE_HIT, kSwingTicks, 1, 0, 0, true},
        {"the script halves it", 0, NONE, false, 30, true, 0, 85, 15, Dv::STATE_HIT, kSwingTicks, 1, 0, 0, true},
        {"invulnerable still plays the hit", 0, FOE, true, 30, false, 0, 100, 0, Dv::STATE_HIT, kSwingTicks, 0, 0,
         0, true},
        {"a sliver left", 0, NONE, false, 99.75f, false, 0, 0.25f, 99.75f, Dv::STATE_HIT, kSwingTicks, 1, 0, 0,
         true},
        {"healing stops at the maximum", 0, NONE, false, -50, false, 0, 100, -50, Dv::STATE_HIT, kSwingTicks, 1, 0,
         0, true},
        {"lethal: dying", 0, NONE, false, 150, false, 0, 0, 150, Dv::STATE_DYING, kSwingTicks, 1, 1, 0, true},
        {"lethal without dying: dead", 0, NONE, false, 100, false, 1, 0, 100, Dv::STATE_FADING, 0, 1, 1, 0, true},
        {"lethal with neither: gone", 0, NONE, false, 100, false, 2, 0, 100, Dv::STATE_GONE, 0, 1, 1, 1, true},
        // Not a number is no damage, from the message or from the script.
        {"NaN is none", 0, NONE, false, NAN, false, 0, 100, 0, Dv::STATE_HIT, kSwingTicks, 1, 0, 0, true},
        {"the script makes NaN", 0, NONE, false, 30, true, 0, 100, 0, Dv::STATE_HIT, kSwingTicks, 1, 0, 0, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_t->animationConfigs[Dv::ANIM_DYING].hAnimation = eAnimationMgr::GetHandle(kSwingSlot);
        m_t->animationConfigs[Dv::ANIM_DEAD].hAnimation = eAnimationMgr::GetHandle(kSwingSlot);
        if (r.nMissing >= 1)
            m_t->animationConfigs[Dv::ANIM_DYING].hAnimation = eAnimationHandle();
        if (r.nMissing >= 2)
            m_t->animationConfigs[Dv::ANIM_DEAD].hAnimation = eAnimationHandle();
        const bool bScriptNaN = r.bScriptHalves && r.fTaken == 0.0f;
        m_t->onDamageTaken.pAction->pNextAction =
            r.bScriptHalves ? b.Set(gcValTest::PARAM1, bScriptNaN ? NAN : r.fAmount / 2.0f) : nullptr;
        gcDevice* p = RunningDevice();
        p->m_team = r.team;
        p->m_nEntityFlags = static_cast<uint16_t>(r.bInvulnerable ? gcEntity::kInvulnerable : 0);
        p->m_nextUpdate = cTimeValue(55);
        gcEntity* pFrom = r.from == NONE ? nullptr : Attacker(r.from == FRIEND ? 1 : r.from == FOE ? -1 : 0);
        TestLog().clear();
        const D msg(pFrom, 0, r.fAmount, D::DD_F, cTimeValue(0));
        EXPECT_EQ(p->Send(msg), 1);
        EXPECT_EQ(msg.fAmount, r.fTaken);
        EXPECT_EQ(p->GetStat(gcEntityTemplate::STAT_HEALTH), r.fHealth);
        EXPECT_EQ(p->m_nCurState, r.nState);
        EXPECT_EQ(p->m_nextUpdate.m_nTicks, r.nCountdown);
        EXPECT_EQ(Count(TAG_DAMAGE), r.nDamageEvents);
        EXPECT_EQ(Count(TAG_DEATH), r.nDeaths);
        EXPECT_EQ(Count(TAG_INSTANCE_DEATH), r.nDeaths);
        EXPECT_EQ(Count(TAG_FADED), r.nFaded);
        EXPECT_EQ(p->m_entityTimeSince[gcEntity::TIMESINCE_TOOKDAMAGE].m_nTicks == 0, r.bCounterStarted);
        if (r.nDamageEvents > 0) {
            EXPECT_EQ(TestLog()[0].pParticipant1, pFrom);
            EXPECT_EQ(TestLog()[0].fParam1, std::isnan(r.fAmount) ? 0.0f : r.fAmount);
            EXPECT_EQ(TestLog()[0].fParam2, 0.0f);
        }
    }
}

// A maximum health below 0 holds health at 0: any hit kills.
TEST_F(gcDeviceTest, AMaximumHealthBelowZeroMakesAnyHitLethal)
{
    gcDevice* p = RunningDevice();
    p->m_fEntityStatsMax[gcEntityTemplate::STAT_HEALTH] = -5.0f;
    TestLog().clear();
    p->Send(D(nullptr, 0, 1, D::DD_F, cTimeValue(0)));
    EXPECT_EQ(p->GetStat(gcEntityTemplate::STAT_HEALTH), 0.0f);
    EXPECT_EQ(Count(TAG_DEATH), 1);
}

// Damage reaches states 0 to 7 only.
TEST_F(gcDeviceTest, DamageOnlyWhileAlive)
{
    gcDevice* p = RunningDevice();
    for (int s : {Dv::STATE_DYING, Dv::STATE_DEAD, Dv::STATE_FADING}) {
        SCOPED_TRACE(s);
        p->m_nCurState = static_cast<int8_t>(s);
        EXPECT_EQ(p->Send(D(nullptr, 0, 10, D::DD_F, cTimeValue(0))), 0);
        EXPECT_EQ(p->GetStat(gcEntityTemplate::STAT_HEALTH), 100.0f);
    }
    p->m_nCurState = Dv::STATE_PLAYINGVERYHIGH;
    EXPECT_EQ(p->Send(D(nullptr, 0, 10, D::DD_F, cTimeValue(0))), 1);
    EXPECT_EQ(p->m_nCurState, Dv::STATE_HIT);
}

// Facing requests reach states 0 to 5 only.
TEST_F(gcDeviceTest, FacingOnlyUpToHighPriority)
{
    gcDevice* p = RunningDevice();
    for (int s : {Dv::STATE_START, Dv::STATE_ALIVE, Dv::STATE_PLAYINGHIGH, Dv::STATE_HIT, Dv::STATE_DYING}) {
        SCOPED_TRACE(s);
        p->m_nCurState = static_cast<int8_t>(s);
        p->m_desiredHPR[0] = p->m_desiredHPR[1] = p->m_desiredHPR[2] = 0.0f;
        const bool bTaken = s <= Dv::STATE_PLAYINGHIGH;
        EXPECT_EQ(p->Send(gcMsgFaceDir(mVec3(30, -10, 5))) != 0, bTaken);
        EXPECT_EQ(p->m_desiredHPR[0], bTaken ? 30.0f : 0.0f);
        EXPECT_EQ(p->m_desiredHPR[1], bTaken ? -10.0f : 0.0f);
        EXPECT_EQ(p->m_desiredHPR[2], bTaken ? 5.0f : 0.0f);
    }
}

// A facing that is not finite would make the device's frame NaN for good.
TEST_F(gcDeviceTest, AFacingThatIsNotFiniteIsRefused)
{
    gcDevice* p = RunningDevice();
    for (const mVec3& hpr : {mVec3(NAN, 0, 0), mVec3(0, NAN, 0), mVec3(0, 0, NAN), mVec3(-INFINITY, 0, 0)}) {
        p->m_desiredHPR[0] = p->m_desiredHPR[1] = p->m_desiredHPR[2] = 7.0f;
        EXPECT_EQ(p->Send(gcMsgFaceDir(hpr)), 0);
        EXPECT_EQ(p->m_desiredHPR[0], 7.0f);
        EXPECT_EQ(p->m_desiredHPR[1], 7.0f);
        EXPECT_EQ(p->m_desiredHPR[2], 7.0f);
    }
}

// A copy of a running device is a new one: suspended, inactive, no
// countdown, its template resolved again.
TEST_F(gcDeviceTest, CopyStartsSuspended)
{
    gcDevice* p = RunningDevice();
    p->Send(P(&m_timed, P::PRIORITY_HIGH));
    p->m_nGameObjectFlags = gcGameObject::kSkipEnter;
    auto* pCopy = static_cast<gcDevice*>(p->Copy(&m_pool));
    ASSERT_NE(pCopy, nullptr);
    m_entities.push_back(pCopy);
    EXPECT_EQ(pCopy->m_nCurState, Dv::STATE_SUSPENDED);
    EXPECT_EQ(pCopy->m_nNextState, Dv::STATE_SUSPENDED);
    EXPECT_EQ(pCopy->m_nPrevState, -1);
    EXPECT_EQ(pCopy->m_nGameObjectFlags, 0);
    EXPECT_EQ(pCopy->m_nextUpdate.m_nTicks, 0);
    EXPECT_EQ(pCopy->m_nEntityFlags & (gcEntity::kDeactivated | gcEntity::kFrozen),
              gcEntity::kDeactivated | gcEntity::kFrozen);
    EXPECT_EQ(pCopy->m_pTemplate, m_t);
    pCopy->Send(gcMsgUnfreeze());
    pCopy->Send(gcMsgActivate());
    EXPECT_EQ(pCopy->m_nCurState, Dv::STATE_ALIVE);
}

// Freezing keeps the state and its countdown; ticks while suspended count
// it down without moving the device or running its events; unfreezing
// resumes without entering the state again.
TEST_F(gcDeviceTest, SuspendAndResume)
{
    FillEvent(m_t->onUpdate, b.Record(TAG_UPDATE));
    gcDevice* p = RunningDevice();
    p->Send(P(&m_timed, P::PRIORITY_HIGH));
    ASSERT_EQ(p->m_nCurState, Dv::STATE_PLAYINGHIGH);
    Tick(p);
    ASSERT_EQ(p->m_nextUpdate.m_nTicks, kSwingTicks - 20);
    m_timed.onStarted.pAction = b.Record(TAG_DEATH);  // an animation started again would show
    TestLog().clear();
    p->Send(gcMsgFreeze());
    EXPECT_EQ(p->m_nCurState, Dv::STATE_SUSPENDED);
    EXPECT_EQ(p->m_nPrevState, Dv::STATE_PLAYINGHIGH);
    EXPECT_EQ(p->m_model.m_pZone, nullptr);
    EXPECT_EQ(p->Send(gcMsgTick(cTimeValue(20))), 0);
    EXPECT_EQ(p->m_nextUpdate.m_nTicks, kSwingTicks - 40) << "the countdown runs on";
    EXPECT_EQ(Count(TAG_UPDATE), 0);
    EXPECT_EQ(p->Send(gcMsgFreeze()), 1) << "taken, nothing more";
    p->Send(gcMsgUnfreeze());
    EXPECT_EQ(p->m_nCurState, Dv::STATE_PLAYINGHIGH);
    EXPECT_EQ(p->m_nextUpdate.m_nTicks, kSwingTicks - 40);
    EXPECT_EQ(p->m_pAnimationConfig, &m_timed);
    EXPECT_EQ(p->m_model.m_pZone, &m_a);
    EXPECT_TRUE(TestLogTags().empty());
    Tick(p, 2);  // the countdown runs out: back through state 0
    EXPECT_EQ(p->m_nCurState, Dv::STATE_ALIVE);
}

// Suspension bits in state 11: each is set once and passed to the attached
// objects; only clearing the last one resumes, into the state left (state 0
// too) without entering it and with the countdown kept.
TEST_F(gcDeviceTest, SuspendedBits)
{
    struct Row {
        const char* name;
        uint16_t nFlags;
        int32_t nMsg;
        uint16_t nFlagsAfter;
        int nSentToChild;  // the message passed on to the attached entity
        int nState;
    } rows[] = {
        {"freeze while deactivated", gcEntity::kDeactivated, MSG_FREEZE, gcEntity::kDeactivated | gcEntity::kFrozen,
         1, Dv::STATE_SUSPENDED},
        {"deactivate again", gcEntity::kDeactivated, MSG_DEACTIVATE, gcEntity::kDeactivated, 0, Dv::STATE_SUSPENDED},
        {"activate while frozen", gcEntity::kDeactivated | gcEntity::kFrozen, MSG_ACTIVATE, gcEntity::kFrozen, 1,
         Dv::STATE_SUSPENDED},
        {"activate when active", 0, MSG_ACTIVATE, 0, 0, Dv::STATE_SUSPENDED},
        {"the last bit resumes state 0", gcEntity::kFrozen, MSG_UNFREEZE, 0, 1, Dv::STATE_START},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcDevice* p = NewDevice();
        gcTestEntity* pChild = Attacker(0);
        p->AddChild(pChild);
        p->m_nEntityFlags = r.nFlags;
        p->m_nPrevState = Dv::STATE_START;
        p->m_nextUpdate = cTimeValue(55);
        EntityLog().clear();
        EXPECT_EQ(p->Send(gcMsg(r.nMsg, nullptr)), 1);
        EXPECT_EQ(p->m_nEntityFlags, r.nFlagsAfter);
        int nSent = 0;
        for (const gcEntityLogEntry& e : EntityLog())
            nSent += e.pTo == pChild && e.nId == r.nMsg;
        EXPECT_EQ(nSent, r.nSentToChild);
        EXPECT_EQ(p->m_nCurState, r.nState);
        EXPECT_EQ(p->m_nextUpdate.m_nTicks, 55);
        pChild->Detach();
        p->Send(gcMsgDeactivate());
    }
}

// A tick of any positive length runs the update events; one of 0 only
// updates the model; a suspended device runs nothing.
TEST_F(gcDeviceTest, TicksRunTheUpdateEvents)
{
    FillEvent(m_t->onUpdate, b.Record(TAG_UPDATE));
    struct Row {
        const char* name;
        int nTicks;
        bool bSuspended;
        int nUpdates;
    } rows[] = {
        {"a frame", 20, false, 1},
        {"one tick", 1, false, 1},
        {"no time", 0, false, 0},
        {"suspended", 20, true, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcDevice* p = r.bSuspended ? NewDevice() : RunningDevice();
        TestLog().clear();
        EXPECT_EQ(p->Send(gcMsgTick(cTimeValue(r.nTicks))) != 0, !r.bSuspended);
        EXPECT_EQ(Count(TAG_UPDATE), r.nUpdates);
    }
}

// In state 11 an Update the countdown produces is not taken: the device
// resumes the timed state with the countdown spent.
TEST_F(gcDeviceTest, SuspendedCountdownRunsOut)
{
    gcDevice* p = RunningDevice();
    p->Send(P(&m_timed, P::PRIORITY_LOW));
    p->Send(gcMsgDeactivate());
    Tick(p, 5);
    EXPECT_EQ(p->m_nCurState, Dv::STATE_SUSPENDED);
    p->Send(gcMsgActivate());
    EXPECT_EQ(p->m_nCurState, Dv::STATE_PLAYINGLOW);
    EXPECT_LE(p->m_nextUpdate.m_nTicks, 0);
}

// Death: dying, then dead, then the fade unless the device is kept; the
// fade's end or a deactivation while fading make it gone, and a gone device
// takes no message.
TEST_F(gcDeviceTest, DyingDeadFadingGone)
{
    struct Row {
        const char* name;
        uint16_t nFlags;
        bool bDeactivateWhileFading;
        int nAfterDying;
    } rows[] = {
        {"fades", 0, false, Dv::STATE_FADING},
        {"kept after death", gcEntity::kKeptAfterDeath, false, Dv::STATE_DEAD},
        {"deactivated while fading", 0, true, Dv::STATE_FADING},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcDevice* p = RunningDevice();
        p->m_nEntityFlags |= r.nFlags;
        p->Send(D(nullptr, 0, 100, D::DD_F, cTimeValue(0)));
        ASSERT_EQ(p->m_nCurState, Dv::STATE_DYING);
        Tick(p, kSwingTicks / 20);
        EXPECT_EQ(p->m_nCurState, r.nAfterDying);
        if (r.nAfterDying == Dv::STATE_DEAD) {
            EXPECT_EQ(p->m_pAnimationConfig, &m_t->animationConfigs[Dv::ANIM_DEAD]);
            Tick(p, 40);
            EXPECT_EQ(p->m_nCurState, Dv::STATE_DEAD);
            continue;
        }
        EXPECT_EQ(p->m_fadeOutTime.m_nTicks, 600);
        TestLog().clear();
        if (r.bDeactivateWhileFading) {
            p->Send(gcMsgDeactivate());
            EXPECT_EQ(Count(TAG_FADED), 0);
        } else {
            Tick(p, 30);
            EXPECT_EQ(Count(TAG_FADED), 1);
        }
        EXPECT_EQ(p->m_nCurState, Dv::STATE_GONE);
        EXPECT_NE(p->m_nEntityFlags & gcEntity::kDeactivated, 0);
        EXPECT_EQ(p->m_model.m_pZone, nullptr);
        EXPECT_EQ(p->Send(gcMsgActivate()), 0);
        EXPECT_EQ(p->Send(gcMsgTick(cTimeValue(20))), 0);
        EXPECT_EQ(p->m_nCurState, Dv::STATE_GONE);
    }
}

// A looping dying animation leaves no countdown: the device stays dying,
// also through a suspension.
TEST_F(gcDeviceTest, LoopingDyingLastsForGood)
{
    m_t->animationConfigs[Dv::ANIM_DYING].hAnimation = eAnimationMgr::GetHandle(kStrideSlot);
    gcDevice* p = RunningDevice();
    p->Send(D(nullptr, 0, 100, D::DD_F, cTimeValue(0)));
    Tick(p, 20);
    EXPECT_EQ(p->m_nCurState, Dv::STATE_DYING);
    p->Send(gcMsgFreeze());
    p->Send(gcMsgUnfreeze());
    EXPECT_EQ(p->m_nCurState, Dv::STATE_DYING);
}

// Root motion moves the device along its heading; the velocity is per tick.
TEST_F(gcDeviceTest, MovesByRootMotion)
{
    gcDevice* p = RunningDevice({10, 0, 1});
    p->m_model.m_localToParent = MakeFrame(10, 0, 1, 90.0f);
    p->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    p->m_desiredHPR[0] = 90.0f;
    p->Send(gcMsgIdle(0));
    Tick(p);
    const mVec3 at = p->m_model.m_localToParent.origin;
    EXPECT_NEAR(at.x, 8.0f, 1e-4f) << "2 units along a heading of 90 degrees (-x)";
    EXPECT_NEAR(at.y, 0.0f, 1e-4f);
    EXPECT_NEAR(at.z, 1.0f, 1e-4f);
    EXPECT_NEAR(p->m_velocity.x, -0.1f, 1e-5f);
    EXPECT_NEAR(p->m_model.m_localToZone.origin.x, 8.0f, 1e-4f);
}

// Template flag 0x4 turns the device in heading, pitch and roll; without it
// only the heading turns. A turning rate of 0 turns all the way in a tick.
TEST_F(gcDeviceTest, TemplateFlag4TurnsInPitchAndRollToo)
{
    const struct {
        uint32_t flags;
        float h, p, r;
    } rows[] = {{gcEntityTemplate::kFullOrientation, 30.0f, -10.0f, 5.0f}, {0, 30.0f, 0.0f, 0.0f}};
    m_t->fEntityValues[gcEntityTemplate::VAL_TURNRATE] = 0.0f;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.flags);
        m_t->nEntityTemplateFlags = (m_t->nEntityTemplateFlags & ~gcEntityTemplate::kFullOrientation) | row.flags;
        gcDevice* p = RunningDevice();
        ASSERT_EQ(p->Send(gcMsgFaceDir(mVec3(30, -10, 5))), 1);
        Tick(p);
        mVec3 hpr;
        p->m_model.m_localToParent.basis.GetHPR(&hpr.x, &hpr.y, &hpr.z);
        EXPECT_NEAR(hpr.x, row.h, 1e-3f);
        EXPECT_NEAR(hpr.y, row.p, 1e-3f);
        EXPECT_NEAR(hpr.z, row.r, 1e-3f);
    }
}

// The sample's shed: the lever pulls itself when it first stands in the
// world, and its completed pull opens the door.
TEST_F(gcDeviceTest, SampleLeverOpensTheShedDoor)
{
    datagen::ShedDeviceSlots slots;
    slots.mesh = 10;
    slots.animation = 20;
    slots.deviceTemplate = 30;
    slots.device = 40;
    slots.regionId = 1;
    slots.handleOf = [](int slot) { return static_cast<uint32_t>(slot) | static_cast<uint32_t>(0x200 + slot) << 16; };
    // The device action as its block lies: the action base, the idle, the
    // reference's selector and handle.
    // Only the device actions matter here; the others (the lever's log line
    // and its yes to interaction) are left out.
    slots.actionMember = [](datagen::BlockWriter& w, const gcAction& a) {
        if (a.GetType() != gcDoDeviceAction::GetStaticType())
            return true;
        const auto& d = static_cast<const gcDoDeviceAction&>(a);
        w.Word(gcDoDeviceAction::GetStaticType()->m_nTypeId).Begin(gcDoDeviceAction::kVersion);
        w.Begin(gcAction::kVersion).Begin(1).End().End();
        w.Int(d.action).Int(d.desiredDevice.desiredEntity).Word(d.desiredDevice.hSpecificEntity.m_nValue);
        w.End();
        return true;
    };
    const std::vector<datagen::MeshDesc> meshes = datagen::ShedDeviceMeshes();
    const std::vector<datagen::AnimationDesc> anims = datagen::ShedDeviceAnimations();
    bool bOk = true;
    const std::vector<datagen::DeviceTemplateDesc> templates = datagen::ShedDeviceTemplates(slots, &bOk);
    const std::vector<datagen::DeviceDesc> devices = datagen::ShedDevices(slots, &bOk);
    ASSERT_TRUE(bOk);
    gcDeviceTemplate* pTemplates[2] = {};
    gcDevice* pDevices[2] = {};
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(PlaceMesh(m_data, &m_pool, slots.mesh + i, meshes[static_cast<size_t>(i)]), nullptr);
        ASSERT_NE(PlaceAnimation(m_data, &m_pool, slots.animation + i, anims[static_cast<size_t>(i)]), nullptr);
        pTemplates[i] = m_pool.New<gcDeviceTemplate>();
        ASSERT_TRUE(ReadBlock(
            [&](datagen::BlockWriter& w) {
                datagen::DeviceTemplateBlock(w, templates[static_cast<size_t>(i)], gcDeviceTemplate::kVersion);
            },
            pTemplates[i]));
        gcEntityTemplateMgr::Add(slots.deviceTemplate + i, pTemplates[i], static_cast<uint16_t>(0x200 + slots.deviceTemplate + i));
    }
    for (int i = 0; i < 2; ++i) {
        pDevices[i] = m_pool.New<gcDevice>();
        m_entities.push_back(pDevices[i]);
        ASSERT_TRUE(ReadBlock(
            [&](datagen::BlockWriter& w) {
                datagen::DeviceBlock(w, devices[static_cast<size_t>(i)], gcDevice::kVersion);
            },
            pDevices[i]));
        gcEntityMgr::Add(slots.device + i, pDevices[i], static_cast<uint16_t>(0x200 + slots.device + i));
        ASSERT_TRUE(pDevices[i]->Reset(&m_pool));
    }
    gcDevice* pDoor = pDevices[0];
    gcDevice* pLever = pDevices[1];
    pDoor->Send(gcMsgUnfreeze());
    pLever->Send(gcMsgUnfreeze());
    EXPECT_EQ(pDoor->m_nCurState, Dv::STATE_ALIVE);
    EXPECT_EQ(pLever->m_nCurState, Dv::STATE_ALIVE) << "the lever waits to be pulled";
    gcDoDeviceAction(gcDoDeviceAction::DA_IDLE_1, gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR))
        .DoAction(gcEventParams(pLever, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(pLever->m_nCurState, Dv::STATE_IDLING);
    for (int i = 0; i < 6 && pDoor->m_nCurState != Dv::STATE_IDLING; ++i) {
        Tick(pDoor);
        Tick(pLever);
    }
    EXPECT_EQ(pLever->m_nCurState, Dv::STATE_ALIVE);
    EXPECT_EQ(pDoor->m_nCurState, Dv::STATE_IDLING) << "the completed pull opens the door";
    EXPECT_EQ(pDoor->m_pAnimationConfig, &pTemplates[0]->animationConfigs[Dv::ANIM_IDLE_1]);
}

}  // namespace
