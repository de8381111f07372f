// Streamed cinematics on the sample game's map: the request, the background
// load, the lead-in and the play; re-reading on a repeated request; failed
// loads; the release once nothing needs the pool.
#include "gcGameCore/flow/gcStreamedCinematic.h"

#include <filesystem>
#include <memory>

#include "datagen/cinematicWriters.h"
#include "datagen/datagen.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegionLoader.h"
#include "gcGameCore/flow/gcStreamedCinematicLoader.h"
#include "gcGameCore/flow/gcStreamedCinematicPlayer.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcCinematicEntry.h"

namespace {

class gcStreamedCinematicTest : public gcFlowTest {
protected:
    void SetUp() override
    {
        gcFlowTest::SetUp();
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
        ASSERT_TRUE(gcGame::LoadAct(0));
        ASSERT_TRUE(gcAct::s_pAct->LoadMap(0));
        m_pMap = gcMap::s_pMap;
        std::filesystem::create_directories(m_dir.HostPath("Game/Act01/Map01/Cinematic"));
        gcStreamedCinematicPlayer::Install();
    }
    void TearDown() override
    {
        gcStreamedCinematicLoader::Get()->WaitForFinish();
        gcCinematic::s_pCinematic = nullptr;
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        gcMapCinematics::s_pCinematics = nullptr;
        gcFlowTest::TearDown();
    }
    // Cinematic(id + 1).cin with one entry per time.
    bool WriteCinematic(int id, const std::vector<int32_t>& times)
    {
        char name[64];
        std::snprintf(name, sizeof name, "Game/Act01/Map01/Cinematic/Cinematic%02i.cin", id + 1);
        return datagen::WriteStreamedCinematicFile(m_dir.HostPath(name), &m_build, [&](gcStreamedCinematic& s) {
            for (int32_t t : times)
                datagen::AddCinematicEntry(s.m_cinematic, &m_build, "Entry", t, 0);
        });
    }
    // Requests the streamed cinematic and runs the request machine until it
    // is done, each load ending within its step; the steps in lead-in.
    int Request(int id)
    {
        m_pMap->SetCinematicToPlay(nullptr, id);
        int nLeadIn = 0;
        for (int step = 0; step < 60 && m_pMap->m_nStreamedCinematicToLoad != -1; ++step) {
            m_pMap->HandleBackgroundCinematicLoading();
            gcStreamedCinematicLoader::Get()->WaitForFinish();  // a load quicker than a frame
            nLeadIn += (m_pMap->m_nFlags & gcMap::kFlagCinematicLeadIn) != 0;
        }
        return nLeadIn;
    }
    static int Entries()
    {
        int n = 0;
        for (const gcCinematicEntry* p = gcStreamedCinematic::s_pStreamedCinematic->m_cinematic.pEntry; p;
             p = p->pNextEntry)
            ++n;
        return n;
    }

    gcMap* m_pMap = nullptr;
    cMemPool m_build{"gcStreamedCinematicTest", 0x10000, false};
    gcTestLogCapture m_quiet;
};

// Request, load, lead-in, play. A second request for the resident one reads
// its file again: the resident one is released before the load.
TEST_F(gcStreamedCinematicTest, RequestsLoadLeadInAndPlayAndAResidentOneIsReadAgain)
{
    ASSERT_TRUE(WriteCinematic(2, {0}));
    EXPECT_GT(Request(2), 20);
    const gcStreamedCinematic* p = gcStreamedCinematic::s_pStreamedCinematic;
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_nCinematicId, 2);
    EXPECT_EQ(gcCinematic::s_pCinematic, &p->m_cinematic);
    EXPECT_EQ(Entries(), 1);
    ASSERT_NE(p->m_pVoiceOvers, nullptr) << "a missing voice-over file leaves an empty group";
    EXPECT_EQ(gcVoiceOverMgr::s_pInstances[gcStreamedCinematic::kVoiceOversBegin], nullptr);
    EXPECT_EQ(m_pMap->m_nFlags & (gcMap::kFlagCinematicLeadIn | gcMap::kFlagNoCinematicEvents), 0);

    ASSERT_TRUE(WriteCinematic(2, {0, 600}));
    Request(2);
    ASSERT_NE(gcStreamedCinematic::s_pStreamedCinematic, nullptr);
    EXPECT_EQ(Entries(), 2);
    EXPECT_EQ(gcCinematic::s_pCinematic, &gcStreamedCinematic::s_pStreamedCinematic->m_cinematic);
}

// A load that fails leaves nothing resident and the request cleared.
TEST_F(gcStreamedCinematicTest, FailedLoadsClearTheRequest)
{
    ASSERT_TRUE(datagen::WriteBytes(m_dir.HostPath("Game/Act01/Map01/Cinematic/Cinematic05.cin"),
                                    {0xFB, 0xBF, 0xFB, 0xBF, 0, 0, 0, 1, 0xBB}));
    const struct {
        const char* name;
        int id;
        const char* log;
    } rows[] = {
        {"no file", 6, "cannot open"},
        {"past the map's table", 100, "cinematic 101 refused: cinematics are 1 to 100"},
        {"a damaged file", 4, "Cinematic05.cin\": "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Request(row.id);
        EXPECT_EQ(gcStreamedCinematic::s_pStreamedCinematic, nullptr);
        EXPECT_EQ(gcCinematic::s_pCinematic, nullptr);
        EXPECT_FALSE(m_pMap->IsCinematicPlaying());
        EXPECT_GE(m_quiet.Count(LOGTYPE_ERROR, row.log), 1);
    }
}

// The map's update releases the resident one only while no request waits
// and nothing plays.
TEST_F(gcStreamedCinematicTest, AFinishedOneIsReleasedWhenNothingNeedsIt)
{
    ASSERT_TRUE(m_pMap->LoadRegions(m_pMap->m_nInitialRegionId));
    m_pMap->UpdateRegions(true);
    ASSERT_TRUE(WriteCinematic(0, {0, 6000}));
    Request(0);
    const gcMsgTick tick(cTimeValue(20));
    m_pMap->Update(tick);
    EXPECT_NE(gcStreamedCinematic::s_pStreamedCinematic, nullptr) << "still playing";
    gcCinematic::s_pCinematic->Stop(false);
    m_pMap->m_nStreamedCinematicToLoad = 3;  // a request whose load has not started
    m_pMap->Update(tick);
    EXPECT_NE(gcStreamedCinematic::s_pStreamedCinematic, nullptr) << "a request is pending";
    m_pMap->m_nStreamedCinematicToLoad = -1;
    m_pMap->m_nCinematicLoadingFrame = -1;
    m_pMap->Update(tick);
    EXPECT_EQ(gcStreamedCinematic::s_pStreamedCinematic, nullptr);
    gcRegionLoader::Get()->WaitForFinish();
    gcRegionLoader::Get()->Clear();
}

}  // namespace
