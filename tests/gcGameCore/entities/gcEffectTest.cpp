#include "gcGameCore/entities/gcEffect.h"

#include <gtest/gtest.h>

#include "datagen/effectWriters.h"
#include "datagen/modelWriters.h"
#include "eEngine/eDynamicLight.h"
#include "eEngine/eDynamicLightConfig.h"
#include "eEngine/eGeomTrail.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/eParticleSystem.h"
#include "eEngine/eProjector.h"
#include "eEngine/eSound.h"
#include "eEngine/eSoundConfig.h"
#include "eEngine/eSoundData.h"
#include "eEngine/collisionTestSupport.h"
#include "eEngine/modelTestSupport.h"
#include "entityTestObjects.h"
#include "eEngine/eInput.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/flow/gcRumbleConfig.h"

namespace {

using T = gcEffectTemplate;
using E = gcEffect;

class gcEffectTest : public EntityWorldTest {
protected:
    static constexpr int kSlot = 7;

    void TearDown() override
    {
        for (gcEffect* e : m_effects)
            std::destroy_at(e);
        gcEffectTemplateMgr::Remove(kSlot);  // destroys the template and its instances
        E::s_nActiveStaticEffects = 0;
        E::s_nActiveSpawnedEffects = 0;
        EntityWorldTest::TearDown();
    }

    // The template read from the desc into kSlot, its instances reset.
    T* Load(const datagen::EffectTemplateDesc& d, uint32_t v = T::kVersion)
    {
        m_pTemplate = m_pool.New<T>();
        EXPECT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, d, v); }, m_pTemplate));
        m_pTemplate->m_handle = gcEffectTemplateMgr::Add(kSlot, m_pTemplate, 0x123);
        m_pTemplate->ResetInstances();
        return m_pTemplate;
    }

    // A placed (static) effect of the template in region 1 at a point.
    gcEffect* Placed(const mVec3& at = {0, 0, 0})
    {
        gcEffect* e = m_pool.New<gcEffect>();
        m_effects.push_back(e);
        e->m_hTemplate = m_pTemplate ? m_pTemplate->m_handle : gcEffectTemplateHandle();
        e->m_nRegionId = 1;
        e->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z);
        e->Reset(&m_pool);
        return e;
    }

    static void Tick(gcEffect* e, int ticks, int n = 1)
    {
        for (int i = 0; i < n; ++i)
            e->Send(gcMsgTick(cTimeValue(ticks)));
    }
    static void Wake(gcEffect* e)
    {
        e->Send(gcMsg(MSG_ACTIVATE, nullptr));
        e->Send(gcMsg(MSG_UNFREEZE, nullptr));
    }

    T* m_pTemplate = nullptr;
    std::vector<gcEffect*> m_effects;
};

datagen::EffectTemplateDesc FullDesc()
{
    datagen::EffectTemplateDesc d;
    d.name = "Spark";
    d.hMesh = 0x00010002;
    d.materials = {0xA0, 0xA1};
    d.surfaceCount = 1;
    d.surfaces[0] = 0xE0;
    d.hAnimation = 0x00030004;
    d.emitters[1].emplace();
    d.trail.emplace();
    d.light = datagen::EffectLightDesc{0x55, 0xFF00FF00, 6.0f, 0.5f, 0.25f};
    d.rumble = datagen::EffectRumbleDesc{120, 0.75f, 0.25f, 12.0f};
    for (int i = 0; i < 9; ++i)
        d.delays[i] = 10 * (i + 1);
    d.lifeTicks = 1200;
    d.fadeInTicks = 30;
    d.fadeOutTicks = 60;
    d.fadeInFraction = 0.25f;
    d.fadeOutFraction = 0.5f;
    d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, 10 + index); };
    d.values = {3.0f, -4.0f, 99.0f};  // the third does not fit
    d.maxInstances = 3;
    d.collisionMask = 0x21;
    d.flags = 0x2;
    d.gravity = 0.5f;
    d.wind = 0.25f;
    d.initialSpeed = 2.0f;
    return d;
}

std::vector<int32_t> Tags(const gcEvent& e)
{
    TestLog().clear();
    e.Apply(gcEventParams(), gcEventStackData());
    return TestLogTags();
}

TEST_F(gcEffectTest, EachVersionReadsTheFieldsItHolds)
{
    using V = std::vector<int32_t>;
    gcTestLogCapture quiet;  // the third value is reported
    for (uint32_t v = 11; v <= 18; ++v) {
        SCOPED_TRACE(v);
        T* t = m_pool.New<T>();
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, FullDesc(), v); }, t));
        EXPECT_STREQ(t->m_name.m_sData, "Spark");
        EXPECT_EQ(t->hMesh.m_nValue, 0x00010002u);
        EXPECT_EQ(t->hMaterials[1].m_nValue, 0xA1u);
        EXPECT_EQ(t->hSurfaces[0].m_nValue, 0xE0u);
        EXPECT_EQ(t->hAnimation.m_nValue, 0x00030004u);
        EXPECT_EQ(t->m_pParticleEmitter[0], nullptr);
        EXPECT_NE(t->m_pParticleEmitter[1], nullptr);
        EXPECT_NE(t->m_pGeomTrailConfig, nullptr);
        ASSERT_NE(t->m_pDynamicLightConfig, nullptr);
        EXPECT_EQ(t->m_pDynamicLightConfig->fRadius, 6.0f);
        ASSERT_NE(t->m_pRumbleConfig, nullptr);
        EXPECT_EQ(t->m_pRumbleConfig->lifeTime.m_nTicks, 120);
        EXPECT_EQ(t->m_pRumbleConfig->fFalloffDistance, 12.0f);
        EXPECT_EQ(t->startDelayPS[0].m_nTicks, 10);
        EXPECT_EQ(t->startDelayPS[3].m_nTicks, 40);
        EXPECT_EQ(t->startDelayGT.m_nTicks, 50);
        EXPECT_EQ(t->startDelayDL.m_nTicks, 60);
        EXPECT_EQ(t->startDelaySE.m_nTicks, 70);
        EXPECT_EQ(t->startDelayRumble.m_nTicks, 80);
        EXPECT_EQ(t->startDelayProj.m_nTicks, v >= 18 ? 90 : 0);
        EXPECT_EQ(t->lifeTime.m_nTicks, 1200);
        // Version 11 stores the fades as fractions of the life time.
        EXPECT_EQ(t->fadeInTime.m_nTicks, v >= 12 ? 30 : 300);
        EXPECT_EQ(t->fadeOutTime.m_nTicks, v >= 12 ? 60 : 600);
        EXPECT_EQ(Tags(t->onTouched), V{10});
        EXPECT_EQ(Tags(t->onCollided), v >= 13 ? V{11} : V{});
        EXPECT_EQ(Tags(t->onInitialUpdate), v >= 14 ? V{12} : V{});
        EXPECT_EQ(Tags(t->onUpdate), v >= 14 ? V{13} : V{});
        EXPECT_EQ(Tags(t->onDeath), v >= 16 ? V{14} : V{});
        EXPECT_EQ(t->fValues[T::VAL_USER2], v >= 15 ? -4.0f : 0.0f);
        EXPECT_EQ(t->GetMaxInstances(), 3);
        EXPECT_NE(t->GetInstanceAt(2), nullptr);
        EXPECT_EQ(t->nCollisionMask, 0x21u);
        EXPECT_EQ(t->nFlags, v >= 17 ? 0x2u : 0u);
        EXPECT_EQ(t->fGravityScalar, 0.5f);
        EXPECT_EQ(t->fWindScalar, 0.25f);
        EXPECT_EQ(t->fInitialSpeed, 2.0f);
        std::destroy_at(t);
    }
}

TEST_F(gcEffectTest, BadBlocksLeaveTheTemplateAsItWas)
{
    struct Row {
        const char* what;
        uint32_t version;
        int damagedEvent;
    };
    const Row rows[] = {{"too old", 10, -1}, {"too new", 19, -1}, {"damaged event", 18, 3}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        gcTestLogCapture quiet;
        T* t = m_pool.New<T>();
        datagen::EffectTemplateDesc d = FullDesc();
        d.damagedEvent = r.damagedEvent;
        EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, d, r.version); }, t));
        EXPECT_EQ(t->lifeTime.m_nTicks, 600);
        EXPECT_EQ(t->m_pGeomTrailConfig, nullptr);
        EXPECT_EQ(t->GetMaxInstances(), 0);
        std::destroy_at(t);
    }
}

// A member of the wrong class is a damaged file: the template is refused.
TEST_F(gcEffectTest, AMemberOfTheWrongClassIsDropped)
{
    gcTestLogCapture quiet;
    datagen::EffectTemplateDesc d = FullDesc();
    d.wrongMember = true;
    T* t = m_pool.New<T>();
    EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, d, T::kVersion); }, t));
    EXPECT_EQ(t->m_pGeomTrailConfig, nullptr);
    EXPECT_EQ(quiet.Count(LOGTYPE_ERROR, "a gcRumbleConfig before"), 1);
    std::destroy_at(t);
}

// The member of the wrong class is never built: the template takes no more
// of its pool than one with no trail at all.
TEST_F(gcEffectTest, AMemberOfTheWrongClassIsNeverBuilt)
{
    datagen::EffectTemplateDesc none = FullDesc(), wrong = FullDesc();
    none.trail.reset();
    wrong.wrongMember = true;
    size_t taken[2] = {};
    gcTestLogCapture log;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("t.dat"), T::GetStaticType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       datagen::EffectTemplateBlock(w, i == 0 ? none : wrong, T::kVersion);
                                                   }));
        cMemPool pool("gcEffectTemplateLoad", 0x40000, false);
        T* t = pool.New<T>();
        EXPECT_EQ(ReadObjectFile("t.dat", t, &pool), i == 0);  // a member of another class fails the file
        EXPECT_EQ(t->m_pGeomTrailConfig, nullptr);
        taken[i] = pool.BytesTaken();
        std::destroy_at(t);
    }
    EXPECT_LE(taken[1], taken[0]);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "a gcRumbleConfig before"), 1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "where a eGeomTrailConfig belongs"), 1);
}

TEST_F(gcEffectTest, EveryCutOfTheFileFails)
{
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("full.dat"), T::GetStaticType()->m_nTypeId,
                                               [](datagen::BlockWriter& b) {
                                                   datagen::EffectTemplateBlock(b, FullDesc(), T::kVersion);
                                               }));
    ExpectCutsFail(ReadHostFile(m_data.HostPath("full.dat")), T::GetStaticType());
}

TEST_F(gcEffectTest, ResizingThePoolKeepsTheFirstInstances)
{
    datagen::EffectTemplateDesc d;
    d.maxInstances = 2;
    T* t = Load(d);
    gcEffect* first = t->GetInstanceAt(0);
    t->SetMaxInstances(4);
    EXPECT_EQ(t->GetInstanceAt(0), first);
    EXPECT_EQ(t->GetInstanceAt(3)->m_nFlags & E::kPooled, 0);  // new ones stay unreset
    t->SetMaxInstances(1);
    EXPECT_EQ(t->GetMaxInstances(), 1);
    EXPECT_EQ(t->GetInstanceAt(1), nullptr);
    t->SetMaxInstances(0);
    EXPECT_EQ(t->GetInstance(), nullptr);
}

TEST_F(gcEffectTest, ASpawnedInstanceLivesFadesDiesAndReturnsToThePool)
{
    datagen::EffectTemplateDesc d;
    d.maxInstances = 2;
    d.lifeTicks = 100;
    d.fadeOutTicks = 40;
    T* t = Load(d);
    gcEffect* e = t->GetInstance();
    ASSERT_EQ(e, t->GetInstanceAt(0));
    e->SpawnAt(MakeFrame(110, 0, 0), nullptr);  // zone B: region 2
    EXPECT_EQ(e->m_nCurState, E::STATE_ENABLED);
    EXPECT_EQ(e->m_nRegionId, 2);
    EXPECT_EQ(e->m_model.m_pZone, &m_b);
    EXPECT_EQ(E::s_nActiveSpawnedEffects, 1);
    EXPECT_EQ(t->GetInstance(), t->GetInstanceAt(1));  // the running one is not handed out
    Tick(e, 20, 3);  // 60: fade-out starts at 100 - 40
    EXPECT_EQ(e->m_fadeOutTime.m_nTicks, 40);
    EXPECT_FLOAT_EQ(e->m_fOpacity, 0.5f);
    Tick(e, 20);
    EXPECT_EQ(e->m_fOpacity, 0.0f);
    EXPECT_TRUE(e->m_nFlags & E::kDied);
    EXPECT_EQ(e->m_nCurState, E::STATE_DISABLED);
    EXPECT_EQ(e->m_model.m_pZone, nullptr);
    EXPECT_EQ(E::s_nActiveSpawnedEffects, 0);
    EXPECT_EQ(t->GetInstance(), e);
    EXPECT_EQ(e->m_fOpacity, 1.0f);
}

// No writer writes a negative time (the life less it would overflow) or a
// negative instance count: either fails the file with one error.
TEST_F(gcEffectTest, ANegativeFadeOutTimeOrInstanceCountFailsTheFile)
{
    const struct {
        int32_t fadeOut, instances;
        const char* sError;  // null: read
    } rows[] = {
        {0, 0, nullptr},
        {-1, 1, "gcEffectTemplate: fade-out time not accepted"},
        {INT32_MIN, 1, "gcEffectTemplate: fade-out time not accepted"},
        {10, -1, "gcEffectTemplate: instance count not accepted"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sError ? row.sError : "read");
        datagen::EffectTemplateDesc d;
        d.maxInstances = row.instances;
        d.lifeTicks = 100;
        d.fadeOutTicks = row.fadeOut;
        T* t = m_pool.New<T>();
        gcTestLogCapture log;
        EXPECT_EQ(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, d, T::kVersion); }, t),
                  row.sError == nullptr);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), row.sError ? 1 : 0);
        if (row.sError) {
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, row.sError), 1);
        }
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, ""), 0);
        std::destroy_at(t);
    }
}

TEST_F(gcEffectTest, SpawningOutsideEveryZoneActivatesNothing)
{
    datagen::EffectTemplateDesc d;
    d.maxInstances = 1;
    gcEffect* e = Load(d)->GetInstance();
    e->SpawnAt(MakeFrame(1000, 0, 0), nullptr);
    EXPECT_EQ(e->m_nCurState, E::STATE_DISABLED);
    EXPECT_FALSE(e->IsRunning());
}

TEST_F(gcEffectTest, AZeroStepNeverKills)
{
    datagen::EffectTemplateDesc d;
    d.lifeTicks = 0;
    Load(d);
    gcEffect* e = Placed();
    Wake(e);
    e->Send(gcMsgFadeOut(cTimeValue(0)));  // instant: opacity 0
    Tick(e, 0, 3);
    EXPECT_EQ(e->m_fOpacity, 0.0f);
    EXPECT_EQ(e->m_nCurState, E::STATE_ENABLED);
    Tick(e, 0);
    Tick(e, 0);
    Tick(e, 20);
    EXPECT_EQ(e->m_nCurState, E::STATE_DISABLED);
}

TEST_F(gcEffectTest, TheThirtyThirdStaticEffectDeactivatesItself)
{
    gcTestLogCapture quiet;
    Load(datagen::EffectTemplateDesc{});
    for (int i = 0; i < E::kMaxStaticEffects; ++i)
        Wake(Placed());
    EXPECT_EQ(E::s_nActiveStaticEffects, 32);
    gcEffect* last = Placed();
    Wake(last);
    EXPECT_EQ(last->m_nCurState, E::STATE_DISABLED);
    EXPECT_TRUE(last->m_nFlags & E::kDeactivated);
    gcEffect* owned = Placed();
    owned->m_nFlags |= E::kItemOwned;
    Wake(owned);
    EXPECT_EQ(owned->m_nCurState, E::STATE_ENABLED);
    EXPECT_EQ(E::s_nActiveStaticEffects, 32);
}

TEST_F(gcEffectTest, AnEffectWithoutTemplateIsNeverEnabled)
{
    gcTestLogCapture quiet;
    gcEffect* e = Placed();
    EXPECT_FALSE(e->IsValid());
    EXPECT_TRUE(e->Reset(&m_pool));
    Wake(e);
    EXPECT_EQ(e->m_nCurState, E::STATE_DISABLED);
    EXPECT_EQ(E::s_nActiveStaticEffects, 0);
}

// Every component waits for its own delay as read from the file (the trail
// starts at its delay, the others after it) and then shows the opacity as
// the effect fades in.
TEST_F(gcEffectTest, ComponentsStartAtTheirDelays)
{
    datagen::EffectTemplateDesc d;
    d.lifeTicks = 0;
    d.fadeInTicks = 80;
    d.emitters[0].emplace();
    d.trail.emplace();
    d.light = datagen::EffectLightDesc{};
    d.rumble = datagen::EffectRumbleDesc{};
    // Particle system 0, trail, light, sound, rumble, projector.
    for (const auto& [slot, ticks] : {std::pair{0, 30}, {4, 20}, {5, 40}, {6, 50}, {7, 60}, {8, 70}})
        d.delays[slot] = ticks;
    T* t = Load(d);
    t->EnableProjector(true);
    t->EnableSound(true);
    eSoundData* data = m_pool.New<eSoundData>();
    data->m_length = 6000;
    t->m_pSoundConfig->hSound = eSoundDataMgr::Add(40, data, 0x40);
    gcEffect* e = Placed();
    ASSERT_NE(e->m_pParticleSystem[0], nullptr);
    ASSERT_NE(e->m_pGeomTrail, nullptr);
    ASSERT_NE(e->m_pDynamicLight, nullptr);
    ASSERT_NE(e->m_pProjector, nullptr);
    ASSERT_NE(e->m_pSound, nullptr);
    EXPECT_EQ(e->m_fOpacity, 0.0f);  // fading in from nothing
    EXPECT_EQ(e->m_pSound->m_fIntensity, 0.0f);
    Wake(e);
    E::s_pGetRumbleListener = [](int* pController, mVec3* pPos) {
        *pController = 1;
        pPos->Set(0, 0, 0);
        return true;
    };
    struct Row {
        int at;
        bool ps, trail, light, sound, rumble, projector;
    };
    const Row rows[] = {
        {10, 0, 0, 0, 0, 0, 0}, {20, 0, 1, 0, 0, 0, 0}, {30, 0, 1, 0, 0, 0, 0}, {40, 1, 1, 0, 0, 0, 0},
        {50, 1, 1, 1, 0, 0, 0}, {60, 1, 1, 1, 1, 0, 0}, {70, 1, 1, 1, 1, 1, 0}, {80, 1, 1, 1, 1, 1, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.at);
        eInput::s_joyState[1].fRumble = 0.0f;
        Tick(e, 10);
        const float fOpacity = static_cast<float>(r.at) / 80.0f;
        EXPECT_EQ(e->m_timeAlive.m_nTicks, r.at);
        EXPECT_EQ(e->m_fOpacity, fOpacity);
        EXPECT_EQ(e->m_pParticleSystem[0]->m_pParent == &e->m_model, r.ps);
        EXPECT_EQ(e->m_pGeomTrail->m_pParent == &e->m_model, r.trail);
        EXPECT_EQ(e->m_pDynamicLight->m_pParent == &e->m_model, r.light);
        EXPECT_EQ(e->m_pSound->m_pZone == &m_a, r.sound);
        EXPECT_EQ(eInput::s_joyState[1].fRumble, r.rumble ? 1.0f : 0.0f);
        EXPECT_EQ(e->m_pProjector->m_pParent == &e->m_model, r.projector);
        const float fOff = 0.0f;  // what a component shows before its start
        EXPECT_EQ(e->m_pParticleSystem[0]->m_fAlphaMod, r.ps ? fOpacity : fOff);
        EXPECT_EQ(e->m_pGeomTrail->m_fAlpha, r.trail ? fOpacity : fOff);
        EXPECT_EQ(e->m_pDynamicLight->m_fIntensity, r.light ? fOpacity : fOff);
        EXPECT_EQ(e->m_pSound->m_fIntensity, r.sound ? fOpacity : fOff);
        EXPECT_EQ(e->m_pProjector->m_fIntensity, r.projector ? fOpacity : fOff);
    }
    // Fading out, each follows the opacity down.
    e->FadeOut(cTimeValue(40));
    Tick(e, 10);
    EXPECT_EQ(e->m_fOpacity, 0.75f);
    EXPECT_EQ(e->m_pGeomTrail->m_fAlpha, 0.75f);
    EXPECT_EQ(e->m_pDynamicLight->m_fIntensity, 0.75f);
    EXPECT_EQ(e->m_pProjector->m_fIntensity, 0.75f);
    EXPECT_EQ(e->m_pSound->m_fIntensity, 0.75f);
    E::s_pGetRumbleListener = nullptr;
    eInput::s_joyState[1].fRumble = 0.0f;
    e->Send(gcMsg(MSG_DEACTIVATE, nullptr));
    eSoundDataMgr::s_pInstances[40] = nullptr;
}

// Every effect on an entity's ring hears what the entity passes on; a
// copy keeps the name and the placed settings and starts afresh.
TEST_F(gcEffectTest, AnEntityReachesEveryEffectOnItsRing)
{
    Load(datagen::EffectTemplateDesc{});
    gcTestEntity* pEntity = PlacedEntity(PlaceTemplate(), {0, 0, 0});
    gcEffect* kids[3] = {Placed(), Placed(), Placed()};
    for (gcEffect* k : kids) {
        k->AttachToEntity(pEntity, nullptr);
        Wake(k);
        ASSERT_EQ(k->m_nCurState, E::STATE_ENABLED);
    }
    E::SendToRing(pEntity->m_pEffects, gcMsgFadeOut(cTimeValue(40)));
    for (gcEffect* k : kids)
        EXPECT_EQ(k->m_fadeOutTime.m_nTicks, 40);

    kids[0]->m_name.Set("Glow");
    kids[0]->m_nActivationMask = 0x30;
    gcEffect* copy = static_cast<gcEffect*>(kids[0]->Copy(&m_pool));
    m_effects.push_back(copy);
    EXPECT_STREQ(copy->m_name.m_sData, "Glow");
    EXPECT_EQ(copy->m_hTemplate, kids[0]->m_hTemplate);
    EXPECT_EQ(copy->m_nActivationMask, 0x30u);
    EXPECT_EQ(copy->m_fadeOutTime.m_nTicks, 0);
    EXPECT_EQ(copy->m_pParentEntity, nullptr);
    for (gcEffect* k : kids)
        k->Detach();
}

TEST_F(gcEffectTest, FadeOutKeepsTheShorterRunningFade)
{
    struct Row {
        int running, asked, kept;
    };
    const Row rows[] = {{0, 50, 50}, {30, 50, 30}, {80, 50, 50}, {0, -50, 0}, {30, INT32_MIN, 0}};
    Load(datagen::EffectTemplateDesc{});
    for (const Row& r : rows) {
        gcEffect* e = Placed();
        e->m_fadeOutTime = cTimeValue(r.running);
        e->FadeOut(cTimeValue(r.asked));
        EXPECT_EQ(e->m_fadeOutTime.m_nTicks, r.kept);
    }
}

TEST_F(gcEffectTest, KeptInstancesStayAttachedAndStillHearTheirRegion)
{
    datagen::EffectTemplateDesc d;
    d.maxInstances = 1;
    d.flags = T::kKeepInstances;
    T* t = Load(d);
    gcEffect* e = t->GetInstance();
    e->SpawnAt(MakeFrame(0, 0, 0), nullptr);
    e->Send(gcMsg(MSG_FREEZE, nullptr));
    EXPECT_EQ(e->m_nCurState, E::STATE_DISABLED);
    EXPECT_TRUE(e->m_nFlags & E::kFrozen);
    EXPECT_FALSE(e->m_nFlags & E::kDeactivated);  // not released
    t->SendToInstances(1, gcMsg(MSG_UNFREEZE, nullptr));
    EXPECT_EQ(e->m_nCurState, E::STATE_ENABLED);
    gcTestEntity* pEntity = PlacedEntity(PlaceTemplate(), {0, 0, 0});
    e->AttachToEntity(pEntity, nullptr);
    EXPECT_EQ(pEntity->m_pEffects, e);
    t->ReleaseInstances();
    EXPECT_EQ(pEntity->m_pEffects, nullptr);
    EXPECT_EQ(e->m_pParentEntity, nullptr);
}

// A kept instance outlives the map whose entity spawned it and whose point
// attracted it; woken in the next map it holds neither.
TEST_F(gcEffectTest, AKeptInstanceLetsGoOfEntitiesAndPointsThatGoWithTheMap)
{
    datagen::EffectTemplateDesc d;
    d.maxInstances = 2;
    d.flags = T::kKeepInstances;
    T* t = Load(d);
    gcTestEntity* pSpawner = PlacedEntity(PlaceTemplate(), {0, 0, 0});
    gcRegionPoint* pPoint = m_pool.New<gcRegionPoint>();
    gcEffect* spawned = t->GetInstance();
    spawned->SpawnAt(MakeFrame(0, 0, 0), pSpawner);
    gcEffect* attracted = t->GetInstance();
    attracted->SpawnAt(MakeFrame(1, 0, 0), nullptr);
    attracted->SetAttractor(pSpawner, 2);
    ASSERT_EQ(spawned->m_pSpawnEntity, pSpawner);
    spawned->SetAttractor(pPoint);
    gcEffect* attached = Placed();
    gcEffectMgr::Add(5, attached, 0x77);
    attached->AttachToEntity(pSpawner, nullptr);
    ASSERT_EQ(attached->m_pSpawnEntity, pSpawner);
    // The map ends: its regions freeze, its entities and points go.
    t->SendToInstances(1, gcMsg(MSG_FREEZE, nullptr));
    t->ReleaseInstances();
    std::erase(m_entities, pSpawner);
    std::destroy_at(pSpawner);
    std::destroy_at(pPoint);
    for (gcEffect* e : {spawned, attracted, attached}) {
        EXPECT_EQ(e->m_pSpawnEntity, nullptr);
        EXPECT_EQ(e->m_nSpawnNodeIndex, -1);
        EXPECT_EQ(e->m_pAttractorEntity, nullptr);
        EXPECT_EQ(e->m_pAttractorRegionPoint, nullptr);
        EXPECT_EQ(e->m_pParentEntity, nullptr);
    }
    // The next map's region unfreezes them and they tick.
    t->SendToInstances(1, gcMsg(MSG_UNFREEZE, nullptr));
    EXPECT_EQ(spawned->m_nCurState, E::STATE_ENABLED);
    Tick(spawned, 20);
    Tick(attracted, 20);
    gcEffectMgr::s_pInstances[5] = nullptr;
}

// Each form of SetAttractor drops the other; the particles are pulled to
// the entity, the region point (the identity frame while its region is not
// resident), or without either to the emitter's own offset.
TEST_F(gcEffectTest, AttractorsPlaceThePointTheParticlesArePulledTo)
{
    datagen::EffectTemplateDesc d;
    d.emitters[0].emplace();
    T* t = Load(d);
    eParticleEmitter* pEmitter = const_cast<eParticleEmitter*>(t->m_pParticleEmitter[0]);
    pEmitter->m_fAttractorInfluence = 1.0f;
    pEmitter->m_attractorInitialOffset.Set(0, 0, 2);
    gcEffect* e = Placed({1, 0, 0});
    eParticleSystem* pSystem = e->m_pParticleSystem[0];
    ASSERT_NE(pSystem, nullptr);
    pSystem->m_pZone = &m_a;
    pSystem->m_localToZone = MakeFrame(1, 0, 0);
    gcTestEntity* pEntity = PlacedEntity(PlaceTemplate(), {10, 0, 0});
    ASSERT_TRUE(pEntity->Enable());
    pEntity->m_nEntityFlags &= ~(gcEntity::kDeactivated | gcEntity::kFrozen);
    pEntity->m_model.UpdateLocalToZone();
    gcRegionPoint here, away;
    here.m_nRegionId = 2;  // zone B, 100 along x
    here.m_localToRegion = MakeFrame(3, 4, 5);
    away.m_nRegionId = 7;  // not resident
    away.m_localToRegion = MakeFrame(3, 4, 5);
    e->SetAttractor(&here);
    e->SetAttractor(pEntity, -1);
    EXPECT_EQ(e->m_pAttractorRegionPoint, nullptr);
    e->UpdateParticleAttractors(0);
    EXPECT_EQ(pSystem->m_attractorPoint, mVec3(10, 0, 0));
    pEntity->m_nEntityFlags |= gcEntity::kFrozen;  // a frozen entity keeps the point
    pSystem->m_attractorPoint.Set(7, 7, 7);
    e->UpdateParticleAttractors(0);
    EXPECT_EQ(pSystem->m_attractorPoint, mVec3(7, 7, 7));
    e->SetAttractor(&here);
    EXPECT_EQ(e->m_pAttractorEntity, nullptr);
    e->UpdateParticleAttractors(0);
    EXPECT_EQ(pSystem->m_attractorPoint, mVec3(103, 4, 5));
    e->SetAttractor(&away);
    e->UpdateParticleAttractors(0);
    EXPECT_EQ(pSystem->m_attractorPoint, mVec3(0, 0, 0));
    e->SetAttractor(nullptr);
    e->UpdateParticleAttractors(0);
    EXPECT_EQ(pSystem->m_attractorPoint, mVec3(1, 0, 2));
    pEmitter->m_fAttractorInfluence = 0.0f;  // off: the point is left alone
    e->SetAttractor(&here);
    e->UpdateParticleAttractors(0);
    EXPECT_EQ(pSystem->m_attractorPoint, mVec3(1, 0, 2));
}

// A child that is released to its pool while the parent forwards a message
// leaves the ring; the walk goes on with the others.
TEST_F(gcEffectTest, ForwardingSurvivesChildrenLeavingTheRing)
{
    datagen::EffectTemplateDesc d;
    d.lifeTicks = 0;
    d.maxInstances = 3;
    T* t = Load(d);
    gcEffect* parent = Placed();
    Wake(parent);
    gcEffect* kids[3];
    for (gcEffect*& k : kids) {
        k = t->GetInstance();
        parent->AddChild(k, nullptr);
        EXPECT_EQ(k->m_nCurState, E::STATE_ENABLED);
    }
    EXPECT_EQ(E::s_nActiveSpawnedEffects, 3);
    parent->Send(gcMsg(MSG_DEACTIVATE, nullptr));
    for (gcEffect* k : kids) {
        EXPECT_EQ(k->m_nCurState, E::STATE_DISABLED);
        EXPECT_EQ(k->m_pParentEffect, nullptr);
    }
    EXPECT_EQ(parent->m_pFirstChildEffect, nullptr);
    EXPECT_EQ(E::s_nActiveSpawnedEffects, 0);
}

TEST_F(gcEffectTest, SpawnAtDetachesAKeptInstanceFromItsParent)
{
    datagen::EffectTemplateDesc d;
    d.maxInstances = 1;
    d.flags = T::kKeepInstances;
    T* t = Load(d);
    gcEffect* parent = Placed();
    gcEffect* e = t->GetInstance();
    parent->AddChild(e, nullptr);
    ASSERT_EQ(parent->m_pFirstChildEffect, e);
    e->SpawnAt(MakeFrame(0, 0, 0), nullptr);
    EXPECT_EQ(parent->m_pFirstChildEffect, nullptr);
    EXPECT_EQ(e->m_pParentEffect, nullptr);
}

TEST_F(gcEffectTest, RumbleFallsOffLinearly)
{
    Load(datagen::EffectTemplateDesc{});
    gcEffect* e = Placed();
    struct Row {
        int life, alive;
        float distance, expected;
    };
    // Start 0.8, end 0.4, falloff 10.
    const Row rows[] = {{0, 500, 0, 0.8f},   {0, 0, 5, 0.4f},   {0, 0, 10, 0.0f},
                        {0, 0, 15, 0.0f},    {100, 50, 5, 0.3f}, {100, 200, 0, 0.4f}};
    gcRumbleConfig c;
    c.fEndIntensity = 0.4f;
    c.fFalloffDistance = 10.0f;
    for (const Row& r : rows) {
        c.fStartIntensity = 0.8f;
        c.lifeTime = cTimeValue(r.life);
        e->m_timeAlive = cTimeValue(r.alive);
        EXPECT_NEAR(e->CalcRumbleIntensity(c, r.distance), r.expected, 1e-6f) << r.life << " " << r.distance;
    }
    // Without a life time the start intensity is clamped to 0..1; a falloff
    // distance of 0 is felt only on the spot.
    c.lifeTime = cTimeValue(0);
    c.fStartIntensity = -0.5f;
    EXPECT_EQ(e->CalcRumbleIntensity(c, 0.0f), 0.0f);
    c.fStartIntensity = 1.5f;
    c.fFalloffDistance = 0.0f;
    EXPECT_EQ(e->CalcRumbleIntensity(c, 0.0f), 1.0f);
    EXPECT_EQ(e->CalcRumbleIntensity(c, 0.25f), 0.0f);
}

// The player's listener: the running player entity's world position, else
// the game camera's; half the falloff distance halves the intensity.
TEST_F(gcEffectTest, RumbleIsFeltFromThePlayerEntityOrElseTheCamera)
{
    Load(datagen::EffectTemplateDesc{});
    gcEffect* e = Placed({0, 0, 0});
    Wake(e);
    ASSERT_EQ(e->m_model.m_pZone, &m_a);
    gcTestEntity* pEntity = PlacedEntity(PlaceTemplate(), {5, 0, 0});
    pEntity->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);  // placed as a read places it
    gcPlayer* pPlayer = gcPlayer::Get();
    pPlayer->m_nControllerId = 1;
    E::s_pGetRumbleListener = &gcPlayer::GetRumbleListener;
    struct Row {
        bool bEntity, bRunning;
        int16_t region;
        float cameraX, expected;
    };
    // Region 9 is not resident: the entity is taken to stand at the world origin.
    const Row rows[] = {{false, false, 1, 5.0f, 0.5f}, {true, true, 1, 40.0f, 0.5f}, {true, false, 1, 2.5f, 0.75f},
                        {false, false, 1, 12.0f, 0.0f}, {true, true, 9, 40.0f, 1.0f}};
    const gcRumbleConfig c;  // intensity 1, falloff 10
    for (const Row& r : rows) {
        pPlayer->m_pEntity = r.bEntity ? pEntity : nullptr;
        pEntity->m_nEntityFlags = r.bRunning ? 0 : gcEntity::kDeactivated;
        pEntity->m_nRegionId = r.region;
        gcGameCamera::Get()->m_camera.m_cameraToWorld.origin = mVec3(r.cameraX, 0.0f, 0.0f);
        eInput::s_joyState[1].fRumble = 0.0f;
        e->CalcRumble(&c);
        EXPECT_NEAR(eInput::s_joyState[1].fRumble, r.expected, 1e-6f) << r.bEntity << r.bRunning << r.cameraX;
    }
    E::s_pGetRumbleListener = nullptr;
    pEntity->m_nRegionId = 1;
    pPlayer->m_pEntity = nullptr;
    pPlayer->m_nControllerId = -1;
    eInput::s_joyState[1].fRumble = 0.0f;
}

TEST_F(gcEffectTest, GravityAndWindAccelerate)
{
    datagen::EffectTemplateDesc d;
    d.lifeTicks = 0;
    d.gravity = 2.0f;
    d.wind = 1.0f;
    Load(d);
    gcEffect::SetForces({0.5f, 0, 0}, {0, 0, -0.25f});
    struct Row {
        uint16_t flags;
        mVec3 velocity;
    };
    const Row rows[] = {{0, {1.0f, 0, -1.0f}}, {E::kNoGravity, {1.0f, 0, 0}}, {E::kNoWind, {0, 0, -1.0f}}};
    for (const Row& r : rows) {
        gcEffect* e = Placed();
        Wake(e);
        e->m_nFlags |= r.flags;
        Tick(e, 2);
        EXPECT_EQ(e->m_currentVelocity, r.velocity);
        EXPECT_EQ(e->m_model.m_localToParent.origin, r.velocity * 2.0f);
        e->Send(gcMsg(MSG_DEACTIVATE, nullptr));
    }
    gcEffect::SetForces({0, 0, 0}, {0, 0, 0});
}

TEST_F(gcEffectTest, AParticlesOnlyEffectNeverSweeps)
{
    datagen::EffectTemplateDesc d;
    d.collisionMask = 0xFF;
    d.emitters[0].emplace();
    Load(d);
    gcEffect* e = Placed();
    Wake(e);
    e->m_currentVelocity = mVec3(1, 0, 0);
    EXPECT_FALSE(e->Collide(cTimeValue(20), e->m_model.m_localToParent));
}

}  // namespace

namespace {

// OnInitialUpdate's return in seconds becomes the life time; the automatic
// fade starts at life time - fade-out, and every tick raises OnUpdate with
// the time alive.
TEST_F(gcEffectTest, TheInitialUpdateSetsTheLifeTime)
{
    datagen::EffectTemplateDesc d;
    d.lifeTicks = 1000;
    d.fadeOutTicks = 100;
    T* t = Load(d);
    FillEvent(t->onInitialUpdate, b.Return(b.Num(0.5f)));
    gcEffect* e = Placed();
    Wake(e);
    EXPECT_EQ(e->m_lifeTime.m_nTicks, 300);
    Tick(e, 100, 2);
    EXPECT_EQ(e->m_fadeOutTime.m_nTicks, 100);  // at 200
    EXPECT_FLOAT_EQ(e->m_fOpacity, 0.0f);
    FillEvent(t->onInitialUpdate, b.Return(b.Num(-1.0f)));
    gcEffect* f = Placed();
    Wake(f);
    EXPECT_EQ(f->m_lifeTime.m_nTicks, 1000);  // no positive return: the template's
    FillEvent(t->onInitialUpdate, b.Return(b.Num(1e7f)));
    gcEffect* g = Placed();
    Wake(g);
    EXPECT_EQ(g->m_lifeTime.m_nTicks, INT32_MAX);  // beyond the tick range: the longest
    t->onInitialUpdate.pAction = nullptr;
}

TEST_F(gcEffectTest, ActivateReachingADeadEffectChangesNothing)
{
    Load(datagen::EffectTemplateDesc{});
    gcEffect* e = Placed();
    e->m_nFlags |= E::kDied;
    EXPECT_NE(e->Send(gcMsg(MSG_ACTIVATE, nullptr)), 0);
    EXPECT_TRUE(e->m_nFlags & E::kDeactivated);
    e->m_nFlags = static_cast<uint16_t>(e->m_nFlags & ~E::kDied);
    e->Send(gcMsg(MSG_UNFREEZE, nullptr));  // still deactivated: stays disabled
    EXPECT_EQ(e->m_nCurState, E::STATE_DISABLED);
    EXPECT_EQ(E::s_nActiveStaticEffects, 0);
}

}  // namespace

namespace {

// Walls across x = 5 and x = 7 of zone A; an effect flying 3 units a step
// along +x hits the first in its second step, fires OnCollided, keeps moving
// and fades out: the third step, through the second wall, tests nothing.
TEST_F(gcEffectTest, ACollisionFiresOnCollidedOnceAndFades)
{
    ASSERT_TRUE(eZone::Initialize());
    eZone::InvalidateDynamicCollisionCache();
    eTestSurface surface;
    surface.m_nCollisionMask = 0x4;
    const eSurfaceHandle hSurface = eSurfaceMgr::Add(41, &surface, 0x141);
    datagen::MeshDesc mesh = FigureDesc();
    mesh.colliderSize = mVec3(0.5f, 0.5f, 0.5f);
    ASSERT_NE(PlaceMesh(m_data, &m_pool, 5, mesh), nullptr);
    std::vector<ColTri> tris;
    for (float x : {5.0f, 7.0f})
        AddQuad(&tris, {x, -10, -10}, {x, -10, 10}, {x, 10, 10}, {x, 10, -10});
    eTestColModel wall(tris, hSurface, 20.0f);
    wall.Place(&m_a, {0, 0, 0});
    datagen::EffectTemplateDesc d;
    d.hMesh = eMeshMgr::GetHandle(5).m_nValue;
    d.lifeTicks = 0;
    d.fadeOutTicks = 60;
    d.collisionMask = 0x4;
    d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, 10 + index); };
    Load(d);
    gcEffect* e = Placed({0, 0, 0});
    Wake(e);
    e->m_currentVelocity = mVec3(0.15f, 0, 0);
    TestLog().clear();
    Tick(e, 20);
    EXPECT_EQ(e->m_fadeOutTime.m_nTicks, 0);
    Tick(e, 20, 2);
    std::vector<int32_t> collided;
    for (const gcTestLogEntry& entry : TestLog())
        if (entry.nTag == 11)
            collided.push_back(entry.nTag);
    EXPECT_EQ(collided.size(), 1u);
    EXPECT_EQ(e->m_fadeOutTime.m_nTicks, 60);
    EXPECT_NEAR(e->m_model.m_localToParent.origin.x, 9.0f, 1e-4f);
    EXPECT_EQ(e->m_currentVelocity, mVec3(0.15f, 0, 0));
    e->Send(gcMsg(MSG_DEACTIVATE, nullptr));
    wall.SetZone(nullptr);
    eSurfaceMgr::s_pInstances[41] = nullptr;
}

}  // namespace

namespace {

// The sound exists only for data that resolves and joins the effect's zone
// once its delay has passed.
TEST_F(gcEffectTest, TheSoundStartsAfterItsDelay)
{
    datagen::EffectTemplateDesc d;
    d.lifeTicks = 0;
    T* t = Load(d);
    t->EnableSound(true);
    ASSERT_NE(t->m_pSoundConfig, nullptr);
    t->startDelaySE = cTimeValue(40);
    EXPECT_EQ(Placed()->m_pSound, nullptr);  // no data
    eSoundData* data = m_pool.New<eSoundData>();
    data->m_length = 6000;
    t->m_pSoundConfig->hSound = eSoundDataMgr::Add(40, data, 0x40);
    t->m_pSoundConfig->bLooping = true;
    gcEffect* e = Placed();
    ASSERT_NE(e->m_pSound, nullptr);
    Wake(e);
    for (int at : {20, 40, 60}) {
        SCOPED_TRACE(at);
        EXPECT_EQ(e->m_pSound->m_pZone, nullptr);
        Tick(e, 20);
    }
    EXPECT_EQ(e->m_pSound->m_pZone, &m_a);
    EXPECT_TRUE(e->m_pSound->m_nFlags & eSound::kFlagActive);
    e->Send(gcMsg(MSG_DEACTIVATE, nullptr));
    EXPECT_EQ(e->m_pSound->m_pZone, nullptr);
    eSoundDataMgr::s_pInstances[40] = nullptr;
}

}  // namespace

namespace {

TEST_F(gcEffectTest, ChildrenOutliveTheirParentUnharmed)
{
    Load(datagen::EffectTemplateDesc{});
    gcEffect* parent = m_pool.New<gcEffect>();
    gcEffect* kids[2] = {Placed(), Placed()};
    for (gcEffect* k : kids)
        parent->AddChild(k, nullptr);
    EXPECT_EQ(parent->FindEffect(m_pTemplate->m_handle), kids[0]);  // the parent has no template
    EXPECT_EQ(kids[0]->GetNextSiblingEffect(), kids[1]);
    std::destroy_at(parent);
    for (gcEffect* k : kids) {
        EXPECT_EQ(k->m_pParentEffect, nullptr);
        k->Detach();  // nothing left to reach
    }
}

}  // namespace

namespace {

TEST_F(gcEffectTest, PlacedEffectBlocksReadEachVersion)
{
    const float frame[12] = {1, 2, 3, 0, 1, 0, -1, 0, 0, 0, 0, 1};
    for (uint32_t v : {1u, 2u}) {
        for (bool active : {false, true}) {
            SCOPED_TRACE(v * 10 + active);
            datagen::EffectDesc d{"Torch", active, 0x00420007, 2, {}, 0x30};
            std::copy(std::begin(frame), std::end(frame), d.placement);
            gcEffect* e = m_pool.New<gcEffect>();
            m_effects.push_back(e);
            ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectBlock(w, d, v); }, e));
            EXPECT_STREQ(e->m_name.m_sData, "Torch");
            EXPECT_EQ((e->m_nFlags & E::kDeactivated) != 0, !active);
            EXPECT_TRUE(e->m_nFlags & E::kFrozen);
            EXPECT_EQ(e->m_hTemplate.m_nValue, 0x00420007u);
            EXPECT_EQ(e->m_nRegionId, 2);
            EXPECT_EQ(e->m_model.m_localToParent.origin, mVec3(1, 2, 3));
            EXPECT_EQ(e->m_model.m_localToParent.basis.forward, mVec3(-1, 0, 0));
            EXPECT_EQ(e->m_nActivationMask, v >= 2 ? 0x30u : 0u);
        }
    }
    gcTestLogCapture quiet;
    gcEffect* e = m_pool.New<gcEffect>();
    m_effects.push_back(e);
    EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectBlock(w, datagen::EffectDesc{}, 0); }, e));
}

TEST_F(gcEffectTest, TouchesCountUntilTheFadeOutStarts)
{
    datagen::EffectTemplateDesc d;
    d.lifeTicks = 0;
    d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, 10 + index); };
    Load(d);
    gcEffect* e = Placed();
    Wake(e);
    TestLog().clear();
    e->Send(gcMsgTouched(MakeFrame(0, 0, 0)));
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{10});
    e->FadeOut(cTimeValue(100));
    TestLog().clear();
    e->Send(gcMsgTouched(MakeFrame(0, 0, 0)));
    EXPECT_TRUE(TestLog().empty());
}

}  // namespace
