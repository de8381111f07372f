// The sample game as `make run` plays it: loaded by the map loader and run
// for a number of frames, it logs no error and no warning but the seams'
// notes, places what it holds, and draws its textured, lit world.
#include <gtest/gtest.h>

#include <memory>

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
    EXPECT_EQ(pMap->m_pRegionTriggers->m_nEnd - pMap->m_pRegionTriggers->m_nBegin, 4);  // slot 7 empty
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
