// Map and region requests, fog, lighting, sky, timers and triggers changed
// by script.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "actionTestSupport.h"
#include "datagen/flowWriters.h"
#include "eEngine/eFog.h"
#include "gcGameCore/actions/gcDoFogSet.h"
#include "gcGameCore/actions/gcDoLighting.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "gcGameCore/actions/gcDoRegionLoad.h"
#include "gcGameCore/actions/gcDoSkySet.h"
#include "gcGameCore/actions/gcDoTimerActivate.h"
#include "gcGameCore/actions/gcDoTriggerActivate.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

constexpr int32_t kSavedTag = 77;

template <class T>
std::string Text(const T& action)
{
    char buf[gcScriptText::kSize] = {};
    action.GetText(buf);
    return buf;
}

class gcMapEnvironmentTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_pGame = m_pool.New<gcGame>();
        m_pPlatform = m_pool.New<gcPlatformConfig>();
        m_pAct = m_pool.New<gcAct>();
        m_pAct->m_nActId = 4;
        m_pMap = m_pool.New<gcMap>();
        m_pMap->m_nMapId = 6;
        FillEvent(m_pPlatform->onGameSaved, b.Record(kSavedTag));
        TestLog().clear();
    }
    void TearDown() override
    {
        std::destroy_at(m_pAct);  // and the map
        std::destroy_at(m_pPlatform);
        std::destroy_at(m_pGame);
        TestLog().clear();
    }
    // The file holds one action T whose block is fields after the base block.
    template <class T>
    T* Load(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        const bool bSaved = datagen::WriteObjectBlocksFile(m_dir.HostPath("o.dat"), T::GetStaticType()->m_nTypeId,
                                                           [&](datagen::BlockWriter& w) {
                                                               datagen::ActionBlock(w, version);
                                                               fields(w);
                                                               w.End();
                                                           });
        return bSaved ? dcast<T>(cBase::Load("/o.dat", &m_pool, T::GetStaticType())) : nullptr;
    }
    struct Outcome {
        int32_t nMapFlags, nScreen, nAct, nMap;
        bool bSaved;
        bool operator==(const Outcome&) const = default;
    };
    Outcome Run(const gcAction& action)
    {
        m_pMap->m_nFlags = 0;
        m_pGame->m_nLoadingScreenToLoad = m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = -1;
        TestLog().clear();
        action.Apply(m_params);
        return {m_pMap->m_nFlags, m_pGame->m_nLoadingScreenToLoad, m_pGame->m_nActToLoad, m_pGame->m_nMapToLoad,
                TestLogTags() == std::vector<int32_t>{kSavedTag}};
    }

    cMemPool m_pool{"gcMapEnvironmentTest", 0x80000, false};
    gcTestBuilder b{m_pool};
    gcTestDataDir m_dir;
    gcGame* m_pGame = nullptr;
    gcPlatformConfig* m_pPlatform = nullptr;
    gcAct* m_pAct = nullptr;
    gcMap* m_pMap = nullptr;
    gcEventParams m_params;
};

// Exit wins over restart; restart keeps the loading screen but takes the
// running act and map; otherwise the request is the action's, and the
// game-saved event follows when asked.
TEST_F(gcMapEnvironmentTest, LoadMapExitsRestartsOrRequests)
{
    constexpr int32_t kEnd = gcMap::kFlagEndMap;
    const struct {
        const char* name;
        gcDoLoadMap action;
        Outcome want;
    } rows[] = {
        {"exit", {2, 1, 3, true, true, false}, {kEnd, -1, -1, -1, false}},
        {"exit and restart only exits", {2, 1, 3, true, true, true}, {kEnd, -1, -1, -1, false}},
        {"restart", {2, 1, 3, false, true, true}, {kEnd, 2, 4, 6, false}},
        {"request and save", {2, 1, 3, false, true, false}, {kEnd, 2, 1, 3, true}},
        {"request without save", {0, 5, 0, false, false, false}, {kEnd, 0, 5, 0, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Run(row.action), row.want);
    }
}

TEST_F(gcMapEnvironmentTest, LoadMapWithoutMapOrActDoesNotExitOrRestart)
{
    gcMap::s_pMap = nullptr;
    Outcome exit = Run(gcDoLoadMap(0, 0, 0, true, false, false));
    EXPECT_EQ(exit.nMapFlags, 0);
    gcMap::s_pMap = m_pMap;
    gcAct::s_pAct = nullptr;
    EXPECT_EQ(Run(gcDoLoadMap(1, 0, 0, false, false, true)), (Outcome{0, -1, -1, -1, false}));
    gcAct::s_pAct = m_pAct;
}

// Flags a version lacks keep their defaults: exit and restart off, save on.
TEST_F(gcMapEnvironmentTest, OlderLoadMapBlocksSaveAndRequest)
{
    for (uint32_t version : {1u, 2u, 3u}) {
        SCOPED_TRACE(version);
        gcDoLoadMap* p = Load<gcDoLoadMap>(version, [version](datagen::BlockWriter& w) {
            w.Int(3).Int(2).Int(1);
            if (version >= 2)
                w.Int(0);
            if (version >= 3)
                w.Int(1);
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(Run(*p), (Outcome{gcMap::kFlagEndMap, 3, 2, 1, true}));
    }
    gcDoLoadMap* p = Load<gcDoLoadMap>(4, [](datagen::BlockWriter& w) { w.Int(0).Int(0).Int(0).Int(0).Int(0).Int(7); });
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->bSaveGame);
    EXPECT_TRUE(p->bRestartCurrentMap) << "any non-zero word is true";
    p = Load<gcDoLoadMap>(2, [](datagen::BlockWriter& w) { w.Int(0).Int(0).Int(0).Int(1); });
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->bExitCurrentMap) << "version 2 brings the exit flag";
    gcTestLogCapture log;
    EXPECT_EQ(Load<gcDoLoadMap>(5, [](datagen::BlockWriter& w) { w.Int(0).Int(0).Int(0).Int(0).Int(0).Int(0); }), nullptr);
}

TEST_F(gcMapEnvironmentTest, LoadMapTexts)
{
    m_pGame->m_loadingScreenNames[0].Set("Dusk");
    m_pGame->m_loadingScreenNames[2].Set("Caves");
    const struct {
        gcDoLoadMap action;
        bool bGame;
        const char* want;
    } rows[] = {
        {{2, 0, 1, false, true, false}, true, "LoadMap( 1, 2, \"Caves\" )"},
        {{0, 2, 0, false, true, false}, true, "LoadMap( 3, 1, \"Dusk\" )"},
        {{3, 0, 1, false, true, false}, true, "LoadMap( 1, 2, \"LoadingScreen04\" )"},
        {{48, 0, 1, false, true, false}, true, "LoadMap( 1, 2, \"LoadingScreen49\" )"},
        {{-1, 0, 1, false, true, false}, true, "LoadMap( 1, 2, \"LoadingScreen00\" )"},
        {{2, 0, 1, false, true, false}, false, "LoadMap( 1, 2, 3 )"},
        {{INT32_MAX, INT32_MAX, INT32_MAX, false, true, false}, true,
         "LoadMap( 2147483648, 2147483648, \"LoadingScreen2147483648\" )"},
        {{INT32_MAX, INT32_MAX, INT32_MAX, false, true, false}, false, "LoadMap( 2147483648, 2147483648, 2147483648 )"},
        {{2, 0, 1, true, true, true}, true, "ExitMap( )"},
        {{2, 0, 1, false, true, true}, true, "RestartCurrentMap( )"},
    };
    for (const auto& row : rows) {
        gcGame::s_pGame = row.bGame ? m_pGame : nullptr;
        EXPECT_EQ(Text(row.action), row.want);
    }
    gcGame::s_pGame = m_pGame;
}

// The 1-based id is truncated toward zero; 0 and below leave no request.
TEST_F(gcMapEnvironmentTest, RegionLoadRequestsTheIndexWithItsEvents)
{
    const struct {
        float fId;
        int32_t nIndex;
    } rows[] = {{3.9f, 2}, {1.0f, 0}, {0.0f, -1}, {-0.5f, -1}, {-7.0f, -1}, {1e20f, 0x7FFFFFFE}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fId);
        gcDesiredValue id;
        id.fConst = row.fId;
        const gcDoRegionLoad action(id);
        m_pMap->m_nMultiRegionToLoad = 9;
        action.Apply(m_params);
        EXPECT_EQ(m_pMap->m_nMultiRegionToLoad, row.nIndex);
        EXPECT_EQ(m_pMap->m_pPreMultiRegionLoad, &action.onPreRegionLoad);
        EXPECT_EQ(m_pMap->m_pPostMultiRegionLoad, &action.onPostRegionLoad);
        m_pMap->m_pPreMultiRegionLoad = m_pMap->m_pPostMultiRegionLoad = nullptr;
    }
    EXPECT_EQ(Text(gcDoRegionLoad()), "RegionLoad( 0 )");
}

// The map holds the action's events until the load is served: the request
// goes with the action, destroyed or in a pool that is reset. Another
// action's end, or another pool's reset, leaves it.
TEST_F(gcMapEnvironmentTest, ARegionLoadRequestGoesWithItsAction)
{
    gcDesiredValue id;
    id.fConst = 3.0f;
    cMemPool scripts("gcMapEnvironmentTest scripts", 0x1000, false);
    cMemPool other("gcMapEnvironmentTest other", 0x1000, false);
    for (const bool bReset : {false, true}) {
        SCOPED_TRACE(bReset);
        gcDoRegionLoad* pAction = scripts.New<gcDoRegionLoad>(id);
        pAction->Apply(m_params);
        std::destroy_at(other.New<gcDoRegionLoad>(id));
        other.Reset();
        EXPECT_EQ(m_pMap->m_nMultiRegionToLoad, 2);
        EXPECT_EQ(m_pMap->m_pPreMultiRegionLoad, &pAction->onPreRegionLoad);
        if (bReset)
            scripts.Reset();
        else
            std::destroy_at(pAction);
        EXPECT_EQ(m_pMap->m_nMultiRegionToLoad, -1);
        EXPECT_EQ(m_pMap->m_pPreMultiRegionLoad, nullptr);
        EXPECT_EQ(m_pMap->m_pPostMultiRegionLoad, nullptr);
    }
}

TEST_F(gcMapEnvironmentTest, RegionLoadAndFogReadOnlyVersionTwo)
{
    gcDoRegionLoad* pRegion = Load<gcDoRegionLoad>(2, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredValue::VAL_NUMBER).Float(4.0f).Int(0).Int(0);
        datagen::EmptyEventBlock(w);
        w.Begin(gcEvent::kVersion).Begin(1).End();
        RecordMember(w, 5).Int(-1).End();
    });
    ASSERT_NE(pRegion, nullptr);
    EXPECT_FLOAT_EQ(pRegion->desiredRegionId.fConst, 4.0f);
    EXPECT_FALSE(pRegion->onPreRegionLoad.HasActions());
    EXPECT_EQ(TypeIds(pRegion->onPostRegionLoad.pAction), std::vector<uint32_t>{kTestStepId});
    EXPECT_STREQ(pRegion->onPostRegionLoad.sName, "OnPostRegionLoad");
    EXPECT_STREQ(pRegion->onPostRegionLoad.sOwnerName, "RegionLoad");
    // Off, near, far, the time in ticks, then the colour.
    gcDoFogSet* pFog = Load<gcDoFogSet>(2, [](datagen::BlockWriter& w) {
        w.Int(1).Float(5.0f).Float(50.0f).Int(900).Word(0x11223344);
    });
    ASSERT_NE(pFog, nullptr);
    EXPECT_TRUE(pFog->bOff);
    EXPECT_FLOAT_EQ(pFog->fNear, 5.0f);
    EXPECT_FLOAT_EQ(pFog->fFar, 50.0f);
    EXPECT_EQ(pFog->transitionTime.m_nTicks, 900);
    EXPECT_EQ(pFog->nColor, 0x11223344u);
    gcTestLogCapture log;
    EXPECT_EQ(Load<gcDoRegionLoad>(1, [](datagen::BlockWriter& w) { w.Int(2).Float(1.0f).Int(0).Int(0); }), nullptr);
    EXPECT_EQ(Load<gcDoFogSet>(1, [](datagen::BlockWriter& w) { w.Int(0).Float(1).Float(2).Int(3).Int(4); }), nullptr);
    EXPECT_EQ(Load<gcDoFogSet>(3, [](datagen::BlockWriter& w) { w.Int(0).Float(1).Float(2).Int(3).Int(4); }), nullptr);
}

// Switching off still hands over near, far, colour and time: the fog
// recedes over that time.
TEST_F(gcMapEnvironmentTest, FogPassesEveryField)
{
    const eCamera& camera = gcGameCamera::Get()->m_camera;
    eFog::ResetFog(camera);
    gcDoFogSet(true, 4.0f, 40.0f, 0xFF804020u, cTimeValue(300)).Apply(m_params);
    EXPECT_FALSE(eFog::s_bEnabled);
    EXPECT_FLOAT_EQ(eFog::s_fNear, 4.0f);
    EXPECT_FLOAT_EQ(eFog::s_fFar, 40.0f);
    EXPECT_NEAR(eFog::s_color.x, 128.0f / 255.0f, 1e-6f);
    EXPECT_NEAR(eFog::s_color.z, 32.0f / 255.0f, 1e-6f);
    EXPECT_EQ(eFog::s_transitionTime.m_nTicks, 300);
    gcDoFogSet().Apply(m_params);
    EXPECT_TRUE(eFog::s_bEnabled);
    EXPECT_FLOAT_EQ(eFog::s_fNear, 30.0f);
    EXPECT_FLOAT_EQ(eFog::s_fFar, 100.0f);
    EXPECT_EQ(eFog::s_transitionTime.m_nTicks, 0);
    eFog::ResetFog(camera);
}

// A reset after two changes brings back the colours of the map file.
TEST_F(gcMapEnvironmentTest, LightingSetsAndResets)
{
    m_pMap->m_originalLightAmbient = m_pMap->m_lightAmbient = mVec3(0.1f, 0.2f, 0.3f);
    m_pMap->m_originalLightDiffuse = m_pMap->m_lightDiffuse = mVec3(0.7f, 0.8f, 0.9f);
    gcDoLighting(mVec3(1, 0, 0), mVec3(0, 1, 0), false).Apply(m_params);
    EXPECT_EQ(m_pMap->m_lightDiffuse, mVec3(1, 0, 0));
    EXPECT_EQ(m_pMap->m_lightAmbient, mVec3(0, 1, 0));
    gcDoLighting().Apply(m_params);
    EXPECT_EQ(m_pMap->m_lightDiffuse, mVec3(0.5f, 0.5f, 0.5f));
    gcDoLighting(mVec3(1, 1, 1), mVec3(1, 1, 1), true).Apply(m_params);
    EXPECT_EQ(m_pMap->m_lightAmbient, mVec3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(m_pMap->m_lightDiffuse, mVec3(0.7f, 0.8f, 0.9f));
    // Diffuse comes first in the block.
    gcDoLighting* p = Load<gcDoLighting>(1, [](datagen::BlockWriter& w) {
        w.Float(1).Float(2).Float(3).Float(4).Float(5).Float(6).Int(0);
    });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->diffuseColor, mVec3(1, 2, 3));
    EXPECT_EQ(p->ambientColor, mVec3(4, 5, 6));
}

// Skins outside the sky's four change nothing.
TEST_F(gcMapEnvironmentTest, SkySkinsOutsideTheTableDoNothing)
{
    const struct {
        int32_t nSkin, nWant;
    } rows[] = {{2, 2}, {0, 0}, {3, 3}, {4, 1}, {-1, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.nSkin);
        m_pMap->m_sky.m_nCurSkin = 1;
        gcDoSkySet(row.nSkin).Apply(m_params);
        EXPECT_EQ(m_pMap->m_sky.m_nCurSkin, row.nWant);
    }
}

// The default timer action activates (starts) the specific timer; the
// default trigger action deactivates.
TEST_F(gcMapEnvironmentTest, TimerAndTriggerDefaults)
{
    constexpr int kTimerSlot = 13, kTriggerSlot = 14;
    gcTimer* pTimer = m_pool.New<gcTimer>();
    gcDesiredTimer timer;
    timer.hSpecificTimer = gcTimerMgr::Add(kTimerSlot, pTimer, 0x41);
    gcDoTimerActivate start;
    start.desiredTimer = timer;
    start.Apply(m_params);
    EXPECT_NE(pTimer->m_nFlags & gcTimer::kRunning, 0u);
    gcDoTimerActivate(false, timer).Apply(m_params);
    EXPECT_EQ(pTimer->m_nFlags & gcTimer::kRunning, 0u);
    gcDesiredTimer initiator;
    initiator.desiredTimer = gcDesiredTimer::INITIATOR;
    m_params.pInitiator = pTimer;
    gcDoTimerActivate(true, initiator).Apply(m_params);
    EXPECT_NE(pTimer->m_nFlags & gcTimer::kRunning, 0u);

    // An initiator that is no timer is not one.
    gcTestActor actor;
    m_params.pInitiator = &actor;
    EXPECT_EQ(initiator.GetTimer(m_params, nullptr), nullptr);
    EXPECT_EQ(initiator.GetTimer(m_params, gcGameObject::GetStaticType()), nullptr);
    // The selector, then the handle.
    gcDoTimerActivate* pRead = Load<gcDoTimerActivate>(1, [](datagen::BlockWriter& w) {
        w.Int(0).Int(gcDesiredTimer::INITIATOR).Word(0x00420007);
    });
    ASSERT_NE(pRead, nullptr);
    EXPECT_FALSE(pRead->bActivate);
    EXPECT_EQ(pRead->desiredTimer.desiredTimer, gcDesiredTimer::INITIATOR);
    EXPECT_EQ(pRead->desiredTimer.hSpecificTimer.m_nValue, 0x00420007u);

    gcRegionTrigger* pTrigger = m_pool.New<gcRegionTrigger>();
    pTrigger->m_name.Set("Gate");
    const gcRegionTriggerHandle h = gcRegionTriggerMgr::Add(kTriggerSlot, pTrigger, 0x42);
    gcDoTriggerActivate(true, h).Apply(m_params);
    EXPECT_EQ(pTrigger->m_nTriggerFlags & gcRegionTrigger::kDeactivated, 0);
    gcDoTriggerActivate off;
    off.hRegionTrigger = h;
    off.Apply(m_params);
    EXPECT_NE(pTrigger->m_nTriggerFlags & gcRegionTrigger::kDeactivated, 0);

    EXPECT_EQ(Text(off), "[Gate].Deactivate");
    EXPECT_EQ(Text(gcDoTriggerActivate(true, gcRegionTriggerHandle(h.m_nValue ^ 0x10000))), "[???].Activate");
    EXPECT_EQ(Text(start), "[].Activate");
    EXPECT_EQ(Text(gcDoTimerActivate(false, initiator)), "Initiator.Deactivate");
    gcTimerMgr::s_pInstances[kTimerSlot] = nullptr;
    gcRegionTriggerMgr::s_pInstances[kTriggerSlot] = nullptr;
    std::destroy_at(pTimer);
    std::destroy_at(pTrigger);
}

TEST_F(gcMapEnvironmentTest, WithoutAMapNothingChanges)
{
    gcMap* pMap = m_pMap;
    gcMap::s_pMap = nullptr;
    gcDesiredValue id;
    id.fConst = 2.0f;
    gcDoRegionLoad(id).Apply(m_params);
    gcDoLighting(mVec3(1, 1, 1), mVec3(1, 1, 1), false).Apply(m_params);
    gcDoSkySet(2).Apply(m_params);
    gcMap::s_pMap = pMap;
    EXPECT_EQ(pMap->m_nMultiRegionToLoad, -1);
    EXPECT_EQ(pMap->m_lightDiffuse, mVec3(0.5f, 0.5f, 0.5f));
    EXPECT_EQ(pMap->m_sky.m_nCurSkin, 0);
    const struct {
        std::string text, want;
    } rows[] = {
        {Text(gcDoFogSet()), "FogSet( )"},
        {Text(gcDoLighting()), "Lighting( )"},
        {Text(gcDoLighting(mVec3(), mVec3(), true)), "LightingReset( )"},
        {Text(gcDoSkySet(2)), "SkySet( 3 )"},
        {Text(gcDoSkySet(INT32_MAX)), "SkySet( 2147483648 )"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text, row.want);
}

}  // namespace
