// Acts, maps and regions loaded through the game's own loads from a data
// directory the tests write: version conversions, which loads touch what,
// and where regions land in the five slots.

#include <cstdio>
#include <filesystem>
#include <memory>

#include "datagen/datagen.h"
#include "datagen/dialogWriters.h"
#include "datagen/scriptWriters.h"
#include "platform/vi.h"
#include "platform/pad.h"
#include "../test/pad_test.h"
#include "gx/gxFront_local.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "datagen/mapWriters.h"
#include "eEngine/eVideoTestUtil.h"
#include "eEngine/eShadow.h"
#include "eEngine/eZone.h"
#include "datagen/recordDamage.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "gcGameCore/actions/gcDoLog.h"
#include "gcGameCore/actions/gcDoUIShowDialog.h"
#include "gcGameCore/interface/gcUIWidgetGroup.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcMapLoader.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMapCinematics.h"
#include "gcGameCore/flow/gcRegion.h"

// Beneath the loading screen's dialog: from the first update after the map
// has loaded, presses A on port 0 at its n-th update (0: never) and lets
// go at the next, noting the frames shown by the press.
class mlTestPress : public gcAction {
    QM_DECLARE_TYPE(mlTestPress)
public:
    void DoAction(const gcEventParams&) const override
    {
        if (gcMapLoader::Get()->IsRunning() || m_nPressAt == 0)
            return;
        PADStatus pad = PADTestIdleStatus();
        if (++m_nRuns == m_nPressAt) {
            pad.button = PAD_BUTTON_A;
            m_nCopiesAtPress = gxDisplayCopyCount();
        }
        PADTestSetStatus(0, pad);
    }
    int m_nPressAt = 0;
    mutable int m_nRuns = 0;
    mutable uint64_t m_nCopiesAtPress = 0;
};
QM_DEFINE_TYPE(mlTestPress, gcAction, 61)  // free in the real table

namespace {

class gcMapTest : public gcFlowTest {
protected:
    void SetUp() override
    {
        gcFlowTest::SetUp();
        std::filesystem::create_directories(GamePath("Act01/Map01"));
        std::filesystem::create_directories(GamePath("Act01/Map02"));
        std::filesystem::create_directories(GamePath("Act02/Map01"));
        datagen::ActDesc act{"First", {"Meadow", "Tower"}, {}, {}};
        ASSERT_TRUE(datagen::WriteActFile(GamePath("Act01/Act01.act"), act));
        ASSERT_TRUE(datagen::WriteActFile(GamePath("Act02/Act02.act"), act));
    }
    void TearDown() override
    {
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        eShadow::s_fShadowClip = m_fShadowClip;
        gcFlowTest::TearDown();
    }
    void WriteMap(const char* name, uint32_t version, const datagen::MapDesc& desc)
    {
        datagen::BlockWriter w;
        datagen::MapBlock(w.Header(), version, desc).Trailer();
        ASSERT_TRUE(w.Save(GamePath(name)));
    }
    // A region of edge 16 around its origin with the given neighbours.
    void WriteRegion(int id, std::initializer_list<int> neighbors, uint32_t version = 2)
    {
        datagen::RegionDesc d;
        d.name = "R" + std::to_string(id);
        int k = 0;
        for (int n : neighbors) {
            d.neighbors[k] = n;
            d.offsets[k].Set(16.0f * static_cast<float>(n - id), 0.0f, 0.0f);
            ++k;
        }
        d.zone.boxMin.Set(-8, -8, -8);
        d.zone.boxMax.Set(8, 8, 8);
        d.zone.treeSize = 16;
        datagen::ZoneData zone;
        ASSERT_TRUE(datagen::BuildZone(d.zone, &zone));
        datagen::BlockWriter w;
        datagen::RegionBlock(w.Header(), version, d, zone).Trailer();
        char name[64];
        std::snprintf(name, sizeof name, "Act01/Map01/Region%02d.rgn", id + 1);
        ASSERT_TRUE(w.Save(GamePath(name)));
    }
    gcMap* LoadMap(int nMap = 0)
    {
        return gcGame::LoadAct(0) && gcAct::s_pAct->LoadMap(nMap) ? gcMap::s_pMap : nullptr;
    }
    static std::vector<int> ResidentIds()
    {
        std::vector<int> ids;
        for (gcRegion* p : gcRegion::s_pRegions)
            ids.push_back(p ? p->m_nRegionId : -1);
        return ids;
    }

    float m_fShadowClip = eShadow::s_fShadowClip;
    gcTestLogCapture m_quiet;  // missing side files are logged
};

// Old direction vectors become heading and pitch; fields newer than the
// file keep their defaults; before version 27 there is no wind.
TEST_F(gcMapTest, VersionsConvertOldFieldsAndKeepDefaults)
{
    const struct {
        uint32_t version;
        mVec3 light;
        float heading, pitch, windSpeed, farClip, shadowClip;
        int32_t track0;
    } kRows[] = {
        {13, {0, 1, 0}, 0.0f, 0.0f, 0.0f, 100.0f, 100.0f, -1},
        {15, {1, 0, 0}, -90.0f, 0.0f, 0.0f, 100.0f, 100.0f, 4},
        {17, {0, 0, 2}, 0.0f, 90.0f, 0.0f, 250.0f, 100.0f, 4},  // z above 1 clamps
        {22, {0, -1, -1}, -180.0f, -90.0f, 0.0f, 250.0f, 100.0f, 4},
        {26, {}, 30.0f, -60.0f, 0.0f, 250.0f, 40.0f, 4},
        {27, {}, 30.0f, -60.0f, 0.125f, 250.0f, 40.0f, 4},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.version);
        datagen::MapDesc desc;
        desc.lightVector = row.light;
        desc.lightHeading = 30.0f;
        desc.lightPitch = -60.0f;
        desc.windSpeed = 0.125f;
        desc.farClip = 250.0f;
        desc.shadowClip = 40.0f;
        desc.tracks = {4};
        desc.ambient.Set(0.1f, 0.2f, 0.3f);
        WriteMap("Act01/Map01/Map01.map", row.version, desc);
        if (gcMap::s_pMap)
            std::destroy_at(gcMap::s_pMap);
        gcMap* pMap = LoadMap();
        ASSERT_NE(pMap, nullptr);
        EXPECT_NEAR(pMap->m_fLightHeading, row.heading, 1e-3f);
        EXPECT_NEAR(pMap->m_fLightPitch, row.pitch, 1e-3f);
        EXPECT_EQ(pMap->m_fWindSpeed, row.windSpeed);
        EXPECT_EQ(pMap->m_fFarClip, row.farClip);
        EXPECT_EQ(pMap->m_fShadowClip, row.shadowClip);
        EXPECT_EQ(eShadow::s_fShadowClip, row.shadowClip);
        EXPECT_EQ(pMap->m_nMapTracks[0], row.track0);
        EXPECT_EQ(pMap->m_originalLightAmbient.z, 0.3f);
        EXPECT_EQ(pMap->m_nMapId, 0);
    }
}

// The resident map of the wanted id is kept as it is; a map that does not
// open keeps the old one; another act replaces the act and its map.
TEST_F(gcMapTest, LoadsKeepWhatIsResidentAndReplaceOnlyWhatChanges)
{
    WriteMap("Act01/Map01/Map01.map", 27, datagen::MapDesc{});
    gcMap* pFirst = LoadMap(0);
    ASSERT_NE(pFirst, nullptr);
    pFirst->m_nFlags = 0x40;
    EXPECT_EQ(LoadMap(0), pFirst);
    EXPECT_EQ(pFirst->m_nFlags, 0x40);
    EXPECT_FALSE(gcAct::s_pAct->LoadMap(1));  // Map02.map missing
    EXPECT_EQ(gcMap::s_pMap, pFirst);
    EXPECT_FALSE(gcAct::s_pAct->LoadMap(40));
    gcAct* pAct = gcAct::s_pAct;
    EXPECT_TRUE(gcGame::LoadAct(0));
    EXPECT_EQ(gcAct::s_pAct, pAct);
    EXPECT_EQ(gcMap::s_pMap, pFirst);
    EXPECT_TRUE(gcGame::LoadAct(1));
    EXPECT_EQ(gcAct::s_pAct->m_nActId, 1);
    EXPECT_EQ(gcMap::s_pMap, nullptr) << "the old act took its map with it";
    EXPECT_FALSE(gcGame::LoadAct(5));  // no file: the resident act stays
    EXPECT_EQ(gcAct::s_pAct->m_nActId, 1);
    EXPECT_FALSE(gcGame::LoadAct(12));
}

// A save may name the largest int as an act or map: the refusal counts on
// past it instead of wrapping.
TEST_F(gcMapTest, RefusalsNameTheLargestIdsOneBased)
{
    WriteMap("Act01/Map01/Map01.map", 27, datagen::MapDesc{});
    ASSERT_NE(LoadMap(0), nullptr);
    EXPECT_FALSE(gcGame::LoadAct(INT32_MAX));
    EXPECT_FALSE(gcAct::s_pAct->LoadMap(INT32_MAX));
    EXPECT_EQ(m_quiet.Count(LOGTYPE_ERROR, "gcGame: act 2147483648 refused: acts are 1 to 12"), 1);
    EXPECT_EQ(m_quiet.Count(LOGTYPE_ERROR, "gcAct: map 2147483648 refused: maps are 1 to 32"), 1);
}

// A row of regions 0-1-2-3: loading 1 makes it current in slot 0 and puts
// its neighbours in the highest free slots; moving to 2 drops 0, keeps 1
// and 2 and loads 3; placement puts the neighbours at their offsets.
TEST_F(gcMapTest, RegionsFillTheSlotsAroundTheCurrentOne)
{
    WriteMap("Act01/Map01/Map01.map", 27, datagen::MapDesc{});
    WriteRegion(0, {1});
    WriteRegion(1, {0, 2});
    WriteRegion(2, {1, 3}, 1);
    WriteRegion(3, {2});
    gcMap* pMap = LoadMap();
    ASSERT_NE(pMap, nullptr);
    EXPECT_FALSE(pMap->LoadRegions(9));  // no such file: nothing changes
    EXPECT_EQ(gcRegion::s_nCurrentRegion, -1);
    ASSERT_TRUE(pMap->LoadRegions(1));
    EXPECT_EQ(ResidentIds(), (std::vector<int>{1, -1, -1, 2, 0}));
    EXPECT_EQ(gcRegion::s_nCurrentRegion, 0);
    EXPECT_EQ(gcRegion::s_pRegions[4]->m_pZone->m_nLightmapStartIndex, 354);
    EXPECT_EQ(gcRegion::s_pRegions[4]->m_pZone->m_nLightmapTextures, 1);
    EXPECT_EQ(pMap->GetRegionToLoad(), -1);
    int list[5];
    EXPECT_EQ(pMap->BuildAvailableRegionList(list), 2);
    EXPECT_EQ(list[0], 1);
    EXPECT_EQ(list[1], 2);

    pMap->UpdateRegions(true);
    EXPECT_EQ(eZone::s_pZones[0], gcRegion::s_pRegions[0]->m_pZone);
    EXPECT_EQ(eZone::s_pZones[3]->m_nZoneIndex, 3);
    EXPECT_EQ(eZone::s_pZones[3]->m_localToWorld.origin.x, 16.0f);
    EXPECT_EQ(eZone::s_pZones[4]->m_localToWorld.origin.x, -16.0f);
    EXPECT_EQ(eZone::s_pZones[1], nullptr);

    ASSERT_TRUE(pMap->LoadRegions(2));
    EXPECT_EQ(ResidentIds(), (std::vector<int>{1, -1, -1, 2, 3}));
    EXPECT_EQ(gcRegion::s_nCurrentRegion, 3);
    EXPECT_EQ(gcRegion::s_pRegions[3]->m_nNeighbors[3], -1) << "a version-1 region has three neighbours";
    pMap->UpdateRegions(false);
    EXPECT_EQ(gcRegion::s_pRegions[3]->m_pZone->m_localToWorld.origin.x, 0.0f);
    EXPECT_EQ(gcRegion::s_pRegions[0]->m_pZone->m_localToWorld.origin.x, -16.0f);
    std::destroy_at(gcMap::s_pMap);
    EXPECT_EQ(ResidentIds(), (std::vector<int>{-1, -1, -1, -1, -1}));
    EXPECT_EQ(gcRegion::s_nCurrentRegion, -1);
}

// A jump to a region whose file is there but damaged fails and leaves the
// current region, its neighbours and their zones as they were, wherever
// the current one stands; the next jump to a sound region goes on.
TEST_F(gcMapTest, AJumpToADamagedRegionKeepsTheCurrentOne)
{
    WriteMap("Act01/Map01/Map01.map", 27, datagen::MapDesc{});
    WriteRegion(0, {1});
    WriteRegion(1, {0, 2});
    WriteRegion(2, {1, 3});
    WriteRegion(3, {2});
    WriteRegion(5, {});
    const std::string damaged = GamePath("Act01/Map01/Region06.rgn");
    std::filesystem::resize_file(damaged, std::filesystem::file_size(damaged) / 2);
    gcMap* pMap = LoadMap();
    ASSERT_NE(pMap, nullptr);
    gcTestLogCapture quiet;
    // Current in slot 0 (the first load), then in slot 3 (moved on to 2).
    for (int nCurrent : {1, 2}) {
        SCOPED_TRACE(nCurrent);
        ASSERT_TRUE(pMap->LoadRegions(nCurrent));
        pMap->UpdateRegions(true);
        const std::vector<int> ids = ResidentIds();
        const int slot = gcRegion::s_nCurrentRegion;
        const gcRegion* pCurrent = gcRegion::s_pRegions[slot];
        EXPECT_FALSE(pMap->LoadRegions(5));
        EXPECT_EQ(gcRegion::s_nCurrentRegion, slot);
        EXPECT_EQ(gcRegion::s_pRegions[slot], pCurrent);
        EXPECT_EQ(ResidentIds(), ids);
        EXPECT_EQ(eZone::s_pZones[slot], pCurrent->m_pZone);
        EXPECT_EQ(pCurrent->m_nRegionId, nCurrent);
    }
    EXPECT_EQ(quiet.Count(LOGTYPE_ERROR, "Region06.rgn"), 1);
    ASSERT_TRUE(pMap->LoadRegions(0));
    EXPECT_EQ(gcRegion::s_pRegions[gcRegion::s_nCurrentRegion]->m_nRegionId, 0);
}

// The resident loading screen is not read again; another id replaces it.
TEST_F(gcMapTest, LoadingScreensAreReadOncePerId)
{
    std::filesystem::create_directories(GamePath("LoadingScreens"));
    cMemPool pool("gcMapTest", 0x10000, false);
    ASSERT_TRUE(datagen::WriteLoadingScreenFile(GamePath("LoadingScreens/LoadingScreen04.ls"), "Dusk", &pool));
    ASSERT_TRUE(gcGame::LoadLoadingScreen(3));
    gcLoadingScreen* p = gcLoadingScreen::s_pLoadingScreen;
    EXPECT_EQ(p->m_nLoadingScreenId, 3);
    EXPECT_TRUE(p->m_bLoadingComplete);
    std::filesystem::remove(GamePath("LoadingScreens/LoadingScreen04.ls"));
    EXPECT_TRUE(gcGame::LoadLoadingScreen(3));
    EXPECT_EQ(gcLoadingScreen::s_pLoadingScreen, p);
    EXPECT_FALSE(gcGame::LoadLoadingScreen(0));
    EXPECT_EQ(gcLoadingScreen::s_pLoadingScreen, p);
    EXPECT_FALSE(gcGame::LoadLoadingScreen(48));
    std::destroy_at(p);
}

// The map loader on the sample game: the thread loads the game state, the
// loading screen, the act, the map, the first region with its neighbour
// and the player configuration while the main thread draws.
class gcMapLoaderTest : public DrawingTest<gcFlowTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcFlowTest>::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
        ASSERT_TRUE(gcGame::LoadBackground());
    }
    void TearDown() override
    {
        // The player lets go of the loaded configuration, as a map's end
        // does: later tests of the same program would meet it freed.
        gcPlayer::Get()->UpdatePlayerConfig(-1);
        gcPlayer::FreePlayerConfigMemory();
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        DrawingTest<gcFlowTest>::TearDown();
    }
};

TEST_F(gcMapLoaderTest, LoadsEverythingTheMapNeeds)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    EXPECT_FALSE(gcMapLoader::Get()->IsRunning());
    ASSERT_NE(gcMap::s_pMap, nullptr);
    EXPECT_EQ(gcAct::s_pAct->m_nActId, 0);
    EXPECT_EQ(gcLoadingScreen::s_pLoadingScreen->m_nLoadingScreenId, 0);
    EXPECT_EQ(gcRegion::s_nCurrentRegion, 0);
    EXPECT_EQ(gcRegion::s_pRegions[0]->m_nRegionId, 0);
    EXPECT_EQ(gcRegion::s_pRegions[4]->m_nRegionId, 1);
    EXPECT_NE(gcPlayerConfig::s_pPlayerConfig, nullptr);
    // The same act again keeps the act and replaces the map.
    gcAct* pAct = gcAct::s_pAct;
    ASSERT_TRUE(gcMapLoader::Get()->Load(-1, 0, 0));
    EXPECT_EQ(gcAct::s_pAct, pAct);
    EXPECT_EQ(gcLoadingScreen::s_pLoadingScreen, nullptr);
}

TEST_F(gcMapLoaderTest, AFailureNamesTheLargestIdsOneBased)
{
    gcTestLogCapture log;
    EXPECT_FALSE(gcMapLoader::Get()->Load(-1, INT32_MAX, INT32_MAX));
    EXPECT_EQ(log.Count(LOGTYPE_INFO, "gcMapLoader: act 2147483648, map 2147483648 could not be loaded"), 1);
}

// Start events run game, map, player configuration; end events the other
// way round; leaving gives back the region pools and the player's.
TEST_F(gcMapLoaderTest, RunAppliesStartAndEndEventsInOrderAndFreesTheRegions)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    cMemPool pool("gcMapLoaderTest", 0x4000, false);
    gcTestBuilder b{pool};
    gcMap* pMap = gcMap::s_pMap;
    FillEvent(gcGame::s_pGame->m_onMapStarted, b.Record(1));
    FillEvent(pMap->m_onMapStarted, b.Record(2));
    FillEvent(gcPlayerConfig::s_pPlayerConfig->onMapStarted, b.Record(3));
    FillEvent(gcPlayerConfig::s_pPlayerConfig->onMapEnded, b.Record(4));
    FillEvent(pMap->m_onMapEnded, b.Record(5));
    FillEvent(gcGame::s_pGame->m_onMapEnded, b.Record(6));
    TestLog().clear();
    gcTestLogCapture log;
    pMap->m_nFlags |= gcMap::kFlagEndMap | 0x10;
    // A build that plays no cinematics runs and leaves the map as well.
    gcMapCinematics* pCinematics = gcMapCinematics::s_pCinematics;
    gcMapCinematics::s_pCinematics = nullptr;
    pMap->Run();
    gcMapCinematics::s_pCinematics = pCinematics;
    EXPECT_EQ(TestLogTags(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(pMap->m_nFlags & 0x10, 0) << "no started event held back for a next map";
    EXPECT_EQ(log.Count(LOGTYPE_INFO, "map 1 is running: its first frame is shown"), 1);
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig, nullptr);
    for (const cMemPool& regionPool : gcGame::s_regionPools)
        EXPECT_FALSE(regionPool.HasMemory());
    EXPECT_EQ(gcRegion::s_nCurrentRegion, -1);
    for (eZone* pZone : eZone::s_pZones)
        EXPECT_EQ(pZone, nullptr);
    // The actions live in this test's pool; the game and the map outlive it.
    for (gcEvent* p : {&gcGame::s_pGame->m_onMapStarted, &gcGame::s_pGame->m_onMapEnded, &pMap->m_onMapStarted,
                       &pMap->m_onMapEnded})
        p->pAction = nullptr;
}

// An end request made while a pausing dialog is open waits for the dialog:
// the map runs on (paused) until the frame limit; without the dialog it
// ends after one frame.
TEST_F(gcMapLoaderTest, APausingDialogDelaysTheEndOfTheMap)
{
    cMemPool pool("gcMapLoaderTest", 0x20000, false);
    gcUIDialog* pDialog = datagen::NewGridDialog(&pool, datagen::GridDialogDesc{});
    ASSERT_NE(pDialog, nullptr);
    for (bool bDialog : {true, false}) {
        SCOPED_TRACE(bDialog);
        ASSERT_TRUE(gcMapLoader::Get()->Load(-1, 0, 0));
        if (bDialog)
            gcUI::OpenDialog(pDialog, nullptr, 0.0f);
        gcMap::s_pMap->m_nFlags |= gcMap::kFlagEndMap;
        VISetFrameLimit(8);
        const uint64_t before = gxDisplayCopyCount();
        gcMap::s_pMap->Run();
        VISetFrameLimit(0);
        EXPECT_EQ(gxDisplayCopyCount() - before, bDialog ? 9u : 2u);  // the loop's frames and the final one
        EXPECT_EQ(gcUI::Get()->FindDialog(pDialog), -1) << "leaving the map closes every dialog";
        std::destroy_at(gcMap::s_pMap);
    }
    std::destroy_at(pDialog);
}

// After a map the top loop keeps the act only when the next request is a
// map of the same act; no request, or another act's map, releases the act
// with its map. The request comes from the game's map-ended event; the
// frame limit ends the map and then the loop.
TEST_F(gcMapLoaderTest, TheTopLoopKeepsTheActOnlyForAMapOfTheSameAct)
{
    gcTestLogCapture quiet;  // this fixture starts no audio: the music is refused
    gcGame* pGame = gcGame::s_pGame;
    ASSERT_NE(pGame, nullptr);
    const struct {
        bool bRequest;
        int32_t nAct;
        int32_t nMap;
        bool bActKept;
    } rows[] = {
        {false, -1, -1, false},  // back to the main menu
        {true, 0, 1, true},      // the act's next map
        {true, 1, 0, false},     // another act
    };
    gcAction* pEnded = pGame->m_onMapEnded.pAction;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.nAct << ", " << row.nMap);
        gcDoLoadMap request(-1, row.nAct, row.nMap, false, false, false);
        request.pNextAction = pEnded;
        pGame->m_onMapEnded.pAction = row.bRequest ? &request : pEnded;
        pGame->m_nLoadingScreenToLoad = -1;
        pGame->m_nActToLoad = 0;
        pGame->m_nMapToLoad = 0;
        VISetFrameLimit(4);
        EXPECT_EQ(pGame->Run(), gcGame::RUN_ENDED);
        VISetFrameLimit(0);
        pGame->m_onMapEnded.pAction = pEnded;
        request.pNextAction = nullptr;
        EXPECT_EQ(gcAct::s_pAct != nullptr, row.bActKept);
        EXPECT_EQ(gcMap::s_pMap, nullptr) << "the map goes in every case";
        if (gcAct::s_pAct) {
            EXPECT_EQ(gcAct::s_pAct->m_nActId, 0);
            std::destroy_at(gcAct::s_pAct);
        }
    }
}

// The loading screen's dialog opens with the screen's id as its
// in-parameter.
TEST_F(gcMapLoaderTest, TheLoadingScreenDialogSeesItsId)
{
    cMemPool pool("gcMapLoaderTest", 0x20000, false);
    ASSERT_TRUE(datagen::WriteLoadingScreenFile(GamePath("LoadingScreens/LoadingScreen04.ls"), "Dusk", &pool,
                                                [&](gcLoadingScreen& screen) {
                                                    gcUIDialog* p = datagen::NewGridDialog(&pool, {});
                                                    gcUIDialogMgr::Add(20, p, 0x41);
                                                    screen.m_UIDialogs.m_nEnd = 21;
                                                }));
    ASSERT_TRUE(gcGame::LoadLoadingScreen(3));
    gcUIDialog* pDialog = gcLoadingScreen::ShowDialog();
    ASSERT_NE(pDialog, nullptr);
    EXPECT_EQ(pDialog->m_fInParam, 3.0f);
    EXPECT_GE(gcUI::Get()->FindDialog(pDialog), 0);
    gcUI::Get()->CloseAllDialogs(false);
}

// Once the map has loaded, a loading screen's dialog that the player cannot
// close gets five seconds (150 frames) to close itself: one without an
// action, one whose close names another dialog; then it is closed with an
// error line naming it, and the map starts. One holding a control that
// takes a press waits for the player: bounded only from their first press,
// it closes by its press as its data says, or, damaged (the press reaches
// no action that closes it), 150 frames after the press with the error. A
// quit request before then ends the wait with the dialog still open.
TEST_F(gcMapLoaderTest, ALoadingScreenIsBoundedFromTheLoadOrFromThePlayersPress)
{
    cMemPool pool("gcMapLoaderTest", 0x20000, false);
    enum { kNoAction, kPressDoesNothing, kClosesAnother, kClosesOnPress, kScreens };
    for (int id = 0; id < kScreens; ++id) {
        char name[64];
        std::snprintf(name, sizeof name, "LoadingScreens/LoadingScreen%02d.ls", id + 4);
        ASSERT_TRUE(datagen::WriteLoadingScreenFile(GamePath(name), "Dusk", &pool, [&](gcLoadingScreen& screen) {
            gcUIDialog* p = datagen::NewGridDialog(&pool, {});
            if (id == kPressDoesNothing)  // a cell the focus is not on
                datagen::AppendAction(p->m_widgetGroup.GetCellWidget(1, 2)->onConfirm, pool.New<gcDoLog>());
            if (id == kClosesAnother)  // the next slot's dialog, not its own
                datagen::AppendAction(p->onUpdate, pool.New<gcDoUIShowDialog>(gcUIDialogHandle::Make(21, 0x42), 0u));
            for (int16_t r = 0; id == kClosesOnPress && r < 2; ++r)
                for (int16_t c = 0; c < 3; ++c) {
                    auto* pClose = pool.New<gcDoUIShowDialog>(gcUIDialogHandle::Make(20, 0x41), 0u);
                    pClose->transitionTime.fConst = 0.0f;
                    datagen::AppendAction(p->m_widgetGroup.GetCellWidget(r, c)->onConfirm, pClose);
                }
            gcUIDialogMgr::Add(20, p, 0x41);
            screen.m_UIDialogs.m_nEnd = 21;
        }));
    }
    const char* kFromLoad = "of the map's load; closed";
    const char* kFromPress = "of the player's press; closed";
    const struct {
        int id;
        uint32_t nWaitFrames;  // left open at a frame limit this far
        int nPressAt;          // the update after the load that presses A; 0: none
        uint64_t nFrames;      // from the load's start, or from the press
        const char* sError;    // the error's end; null: none
    } rows[] = {
        {kNoAction, 100, 0, 151, kFromLoad},
        {kClosesAnother, 100, 0, 151, kFromLoad},
        {kNoAction, 100, 30, 151, kFromLoad},  // a press does not prolong it
        {kPressDoesNothing, 900, 30, 153, kFromPress},
        {kClosesOnPress, 900, 30, 3, nullptr},
    };
    mlTestPress press;
    gcUIDialog* pBeneath = datagen::NewGridDialog(&pool, {});
    ASSERT_NE(pBeneath, nullptr);
    FillEvent(pBeneath->onUpdateUI, &press);
    PADTestSetScripted(true);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "screen " << row.id + 4 << ", press " << row.nPressAt);
        gcTestLogCapture log;
        press.m_nPressAt = 0;  // the player waits
        PADTestSetStatus(0, PADTestIdleStatus());
        VISetFrameLimit(row.nWaitFrames);
        ASSERT_TRUE(gcMapLoader::Get()->Load(row.id + 3, 0, 0));
        EXPECT_TRUE(VIQuitRequested());
        EXPECT_NE(gcUI::Get()->GetFocusedDialog(), nullptr) << "still open after " << row.nWaitFrames << " frames";
        gcUI::Get()->CloseAllDialogs(false);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcMapLoader"), 0);

        gcUI::OpenDialog(pBeneath, nullptr, 0.0f);
        press.m_nPressAt = row.nPressAt;
        press.m_nRuns = 0;
        VISetFrameLimit(1000);  // a wait without end stops here
        const uint64_t before = gxDisplayCopyCount();
        ASSERT_TRUE(gcMapLoader::Get()->Load(row.id + 3, 0, 0));
        EXPECT_FALSE(VIQuitRequested()) << "the dialog was closed long before";
        VISetFrameLimit(0);
        if (row.nPressAt > 0) {
            EXPECT_GE(press.m_nRuns, row.nPressAt) << "pressed";
        }
        const uint64_t from = row.id == kNoAction || row.id == kClosesAnother ? before : press.m_nCopiesAtPress;
        // The press is read in the frame after it was set; the close comes
        // 150 frames after that, and the load's last frame follows.
        EXPECT_EQ(gxDisplayCopyCount() - from, row.nFrames);
        EXPECT_EQ(gcUI::Get()->FindDialog(gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(20))), -1);
        gcUI::Get()->CloseAllDialogs(false);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcMapLoader"), row.sError ? 1 : 0);
        if (row.sError) {
            char line[160];
            std::snprintf(line, sizeof line,
                          "gcMapLoader: loading screen \"/Game/LoadingScreens/LoadingScreen%02d.ls\" (dialog \"Grid\") "
                          "did not close within 5 s %s",
                          row.id + 4, row.sError);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, line), 1);
        }
    }
    PADTestSetScripted(false);
    std::destroy_at(pBeneath);
}

// A loading screen whose dialog is damaged (here: it lost a widget) is
// damaged game data: the load ends before the act, and says why; a missing
// one only leaves the load without a screen.
TEST_F(gcMapLoaderTest, ADamagedLoadingScreenEndsTheLoadAndAMissingOneDoesNot)
{
    cMemPool pool("gcMapLoaderTest", 0x20000, false);
    ASSERT_TRUE(datagen::WriteLoadingScreenFile(GamePath("LoadingScreens/LoadingScreen04.ls"), "Dusk", &pool,
                                                [&](gcLoadingScreen& screen) {
                                                    gcUIDialog* p = datagen::NewGridDialog(&pool, {});
                                                    datagen::AppendAction(
                                                        p->m_widgetGroup.GetCellWidget(1, 2)->onConfirm,
                                                        pool.New<gcDoLog>());
                                                    gcUIDialogMgr::Add(20, p, 0x41);
                                                    screen.m_UIDialogs.m_nEnd = 21;
                                                }));
    ASSERT_TRUE(datagen::BreakEventWithActions(GamePath("LoadingScreens/LoadingScreen04.ls")));
    gcTestLogCapture log;
    EXPECT_FALSE(gcMapLoader::Get()->Load(3, 0, 0));
    EXPECT_EQ(gcMapLoader::Get()->m_failure, gcMapLoader::FAILED_LOADING_SCREEN);
    EXPECT_EQ(gcMap::s_pMap, nullptr) << "the act is not loaded";
    EXPECT_EQ(gcLoadingScreen::s_pLoadingScreen, nullptr);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cFile: \"/Game/LoadingScreens/LoadingScreen04.ls\": "), 1);
    EXPECT_EQ(log.Count(LOGTYPE_INFO, "gcMapLoader: loading screen 4 could not be loaded; the game data is damaged"), 1);
    EXPECT_EQ(log.Count(LOGTYPE_INFO, "could not be loaded"), 1) << "no act or map line";
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1) << "the file's one error";

    EXPECT_TRUE(gcMapLoader::Get()->Load(9, 0, 0)) << "no such file";
    EXPECT_EQ(gcMapLoader::Get()->m_failure, gcMapLoader::FAILED_NONE);
    EXPECT_NE(gcMap::s_pMap, nullptr);

    // A load that fails before its loading screen does not keep the last
    // one's refusal.
    EXPECT_FALSE(gcMapLoader::Get()->Load(3, 0, 0));
    ASSERT_EQ(gcMapLoader::Get()->m_failure, gcMapLoader::FAILED_LOADING_SCREEN);
    std::filesystem::remove(GamePath("GameState.gs"));
    EXPECT_FALSE(gcMapLoader::Get()->Load(3, 0, 0));
    EXPECT_EQ(gcMapLoader::Get()->m_failure, gcMapLoader::FAILED_GAME_STATE);
}

// A thread that fails before the loading screen is loaded still ends the
// main thread's wait.
TEST_F(gcMapLoaderTest, AFailureBeforeTheLoadingScreenEndsTheWait)
{
    gcTestLogCapture quiet;
    std::filesystem::remove(GamePath("GameState.gs"));
    EXPECT_FALSE(gcMapLoader::Get()->Load(0, 0, 0));
    EXPECT_EQ(gcMapLoader::Get()->m_failure, gcMapLoader::FAILED_GAME_STATE);
    EXPECT_FALSE(gcMapLoader::Get()->m_bLoadingScreenLoaded);
    EXPECT_EQ(gcMap::s_pMap, nullptr);
    // Only the game state comes back: writing the game configuration would
    // reset the loaded one's texture memory.
    ASSERT_TRUE(datagen::WriteGameStateFile(GamePath("GameState.gs"), {}));
    std::filesystem::remove(GamePath("Act01/Map01/Region02.rgn"));
    EXPECT_FALSE(gcMapLoader::Get()->Load(0, 0, 0)) << "a missing neighbour fails the load";
    EXPECT_EQ(gcMapLoader::Get()->m_failure, gcMapLoader::FAILED_MAP) << "the map's failure, not the game's";
}

}  // namespace
