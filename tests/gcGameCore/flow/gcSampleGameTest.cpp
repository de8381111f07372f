// The sample game as `make run` plays it: loaded by the map loader and run
// for a number of frames, it logs no error and no warning but the seams'
// notes, places what it holds, and draws its textured, lit world.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include <vector>

#include "platform/ar.h"
#include "platform/vi.h"
#include "../test/audio_test.h"
#include "../test/gx_test.h"
#include "../test/os_test.h"
#include "datagen/datagen.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eVideoTestUtil.h"
#include "tempDir.h"
#include "gcFlowTestSupport.h"
#include "eEngine/eFog.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMapLoader.h"
#include "datagen/sampleCinematic.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcCinematic.h"

namespace {

constexpr uint32_t kFrames = 120;  // the neighbour is attached after 60

class gcSampleGameTest : public DrawingTest<gcFlowTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcFlowTest>::SetUp();
        if (IsSkipped())
            return;
        // The music goes into audio memory, as when the program runs.
        static TempDir s_settings("qm_sample");
        if (!ARCheckInit()) {
            OSTestSetSettingsDir(s_settings.c_str());
            AITestSetManualFrames(TRUE);
            ASSERT_TRUE(eAudioPlatform::Initialize());
        }
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
        ASSERT_TRUE(gcGame::LoadBackground());
    }
    void TearDown() override
    {
        VISetFrameLimit(0);
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        DrawingTest<gcFlowTest>::TearDown();
    }
    int Problems() const
    {
        int n = m_log.Count(LOGTYPE_ERROR, "");
        // This build has no item-template or cinematic classes yet; their
        // groups are skipped with a warning.
        n += m_log.Count(LOGTYPE_WARNING, "") - m_log.Count(LOGTYPE_WARNING, "this build has no");
        return n;
    }

    gcTestLogCapture m_log;
};

TEST_F(gcSampleGameTest, LoadsAndRunsWithoutAProblemLogged)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    gcMap* pMap = gcMap::s_pMap;
    ASSERT_NE(pMap, nullptr);
    EXPECT_NE(pMap->m_nMapTrackIndex[0], -1) << "the map's music";
    EXPECT_EQ(pMap->m_effects.m_nEnd - pMap->m_effects.m_nBegin, 1);
    EXPECT_EQ(pMap->m_regionPoints.m_nEnd - pMap->m_regionPoints.m_nBegin, 3);  // the view, the player's two
    ASSERT_NE(pMap->m_pRegionTriggers, nullptr);
    EXPECT_EQ(pMap->m_pRegionTriggers->m_nEnd - pMap->m_pRegionTriggers->m_nBegin, 6) << "slots 5 to 10";
    VISetFrameLimit(kFrames);
    pMap->Run();
    EXPECT_EQ(Problems(), 0);
    for (const auto& line : m_log.m_lines)
        EXPECT_NE(line.first, LOGTYPE_ERROR) << line.second;
}

// Four seconds in, night falls: fog on and the light dimmed. The east
// gate's OnEnter asks for the act's second map, which loads as cleanly.
TEST_F(gcSampleGameTest, NightFallsAndTheEastGateLeadsToTheNextMap)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    gcMap* pMap = gcMap::s_pMap;
    ASSERT_NE(pMap, nullptr);
    const mVec3 dusk = pMap->m_lightDiffuse;
    VISetFrameLimit(130);
    pMap->Run();
    EXPECT_TRUE(eFog::s_bEnabled);
    EXPECT_FLOAT_EQ(eFog::s_fFar, 60.0f);
    EXPECT_LT(pMap->m_lightDiffuse.x, dusk.x);
    const gcRegionTrigger* pGate = gcRegionTriggerMgr::GetPtr(gcRegionTriggerMgr::GetHandle(pMap->m_pRegionTriggers->m_nBegin + 1));
    ASSERT_NE(pGate, nullptr);
    EXPECT_EQ(pGate->m_nRegionId, 2) << "the last region";
    pMap->m_nFlags = 0;
    pGate->onEnter.Apply(gcEventParams(), gcEventStackData());
    EXPECT_NE(pMap->m_nFlags & gcMap::kFlagEndMap, 0);
    EXPECT_EQ(gcGame::s_pGame->m_nActToLoad, 0);
    EXPECT_EQ(gcGame::s_pGame->m_nMapToLoad, 1);
    std::destroy_at(gcAct::s_pAct);
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 1));
    VISetFrameLimit(10);
    gcMap::s_pMap->Run();
    EXPECT_EQ(Problems(), 0);
}

// Once the map's regions are attached and woken, the greeting's trigger is
// filed in the middle region's zone (not left frozen with a warning);
// walking into it plays the greeting, whose line puts its text in the
// game's voice-over control and opens that dialog without pausing the game.
// The cinematic ends with its line and the subtitle closes.
TEST_F(gcSampleGameTest, TheMiddleRoadTriggerPlaysTheGreetingWithItsSubtitle)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    gcMap* pMap = gcMap::s_pMap;
    ASSERT_NE(pMap, nullptr);
    pMap->UpdateRegions(true);
    pMap->SendToLoadedRegions(gcMsgUnfreeze(), false);
    gcRegionTrigger* pTrigger = gcRegionTriggerMgr::GetPtr(gcRegionTriggerMgr::GetHandle(datagen::kGreetingTriggerSlot));
    ASSERT_NE(pTrigger, nullptr);
    EXPECT_EQ(pTrigger->m_nRegionId, 1) << "the middle region";
    EXPECT_EQ(pTrigger->m_nCurState, gcRegionTrigger::STATE_ENABLED);
    EXPECT_NE(pTrigger->m_volume.m_pZone, nullptr);
    const mVec3 box = pTrigger->m_volume.m_boxSize;
    EXPECT_FLOAT_EQ(pTrigger->m_volume.m_fRadius, 0.5f * std::sqrt(box.x * box.x + box.y * box.y + box.z * box.z))
        << "the bounding radius reaches the box's corners";
    EXPECT_EQ(gcCinematic::s_pCinematic, nullptr) << "nothing plays before the player gets there";

    pTrigger->onEnter.Apply(gcEventParams(), gcEventStackData());
    constexpr int kStep = cTimeValue::TICKS_PER_SECOND / 30;  // the map loop's
    const gcMsgTick tick{cTimeValue(kStep)};
    // The map's lead-in runs first.
    for (int f = 0; f <= gcMap::kLeadInFrames + 2 && !gcCinematic::s_pCinematic; ++f)
        pMap->Update(tick);
    const gcCinematic* pGreeting = gcCinematicMgr::GetPtr(gcCinematicMgr::GetHandle(datagen::kGreetingCinematicSlot));
    ASSERT_NE(pGreeting, nullptr);
    EXPECT_EQ(gcCinematic::s_pCinematic, pGreeting);
    gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(gcGame::s_pGame->m_voDesiredWidget.hDialog);
    ASSERT_NE(pDialog, nullptr);
    const auto* pControl = dcast<gcUIControl>(pDialog->GetControl(gcGame::s_pGame->m_voDesiredWidget.hControl));
    ASSERT_NE(pControl, nullptr);
    ASSERT_NE(pControl->GetText(), nullptr);
    EXPECT_STREQ(pControl->GetText(), datagen::kGreetingText);
    EXPECT_NE(gcUI::Get()->FindDialog(pDialog), -1) << "the subtitle is open";
    EXPECT_EQ(gcUI::Get()->GetPausingDialog(), nullptr);

    for (int t = 0; t < datagen::kGreetingLengthTicks / kStep + 2; ++t)
        pMap->Update(tick);
    EXPECT_EQ(gcCinematic::s_pCinematic, nullptr) << "ended with its line";
    EXPECT_EQ(gcUI::Get()->FindDialog(pDialog), -1) << "the subtitle closed";
    EXPECT_EQ(Problems(), 0);
    for (const auto& line : m_log.m_lines)
        EXPECT_EQ(line.first, LOGTYPE_INFO) << line.second;
}

// The sample's writers refuse what they cannot write whole: a texture cache
// that runs into the subtitle font's slot, files that cannot be created.
TEST(gcSampleGreetingWriters, RefuseWhatTheyCannotWriteWhole)
{
    gcTestLogCapture log;
    TempDir dir("qm_greeting_writers");
    const std::vector<datagen::TextureConfigRecord> cache(100);
    const std::string missing = dir.Path() + "/no/such/dir/";
    EXPECT_FALSE(datagen::WriteSampleSubtitleConfig(dir.Path() + "/GameConfig.gc", 346, cache)) << "346 + 100 > 440";
    EXPECT_TRUE(datagen::WriteSampleSubtitleConfig(dir.Path() + "/GameConfig.gc", 340, cache)) << "340 + 100 = 440";
    EXPECT_FALSE(datagen::WriteSampleGreetingLine(missing + "Map01_eng.vo", dir.Path() + "/Strings.str"));
    EXPECT_FALSE(datagen::WriteSampleGreetingLine(dir.Path() + "/Map01_eng.vo", missing + "Strings.str"));
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "subtitle font"), 1);
}

// From behind the player at the west end of the road, looking east: a
// brick pillar at the left, the grass verge at the right, the flagstones
// below, the player's red cloak in the middle; none of them the white of
// a texture that did not fit its slot, nor black.
TEST_F(gcSampleGameTest, DrawsTheTexturedLitWorld)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    VISetFrameLimit(2);
    gcMap::s_pMap->Run();
    VIWaitForRetrace();
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
    ASSERT_EQ(width, 640);
    const struct {
        int x, y;
        int dominant;  // 0 red, 1 green, 2 grey
    } kSpots[] = {{60, 200, 0}, {580, 300, 1}, {420, 440, 2}, {320, 300, 0}};
    for (const auto& s : kSpots) {
        SCOPED_TRACE(testing::Message() << s.x << ", " << s.y);
        const uint8_t* p = &rgba[(static_cast<size_t>(s.y) * width + s.x) * 4];
        const struct {
            int r, g, b;
        } c = {p[0], p[1], p[2]};
        EXPECT_GT(c.r + c.g + c.b, 60) << "lit";
        EXPECT_LT(c.r + c.g + c.b, 3 * 235) << "not the white of a missing texture";
        if (s.dominant == 0)
            EXPECT_GT(c.r, c.g + 30);
        else if (s.dominant == 1)
            EXPECT_GT(c.g, c.r + 30);
        else
            EXPECT_LT(std::abs(c.r - c.b), 60);
    }
    EXPECT_EQ(Problems(), 0);
}

}  // namespace
