// The game's editing-tool creators: which pool each readies, what it makes
// there, what it deletes, where the name goes; that the loads still work
// afterwards; and the game's copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/flowWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/menuWriters.h"
#include "eEngine/eSoundData.h"
#include "creatorsTestSupport.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/actions/gcDoLog.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGamePools.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/script/gcString.h"
#include "datagen/scriptWriters.h"

namespace {

std::vector<char> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class gcGameCreatorsTest : public gcFlowTest {
protected:
    gcTestLogCapture m_log;
};

// No file exists: the game and its side groups come from the creators
// alone, each in its own pool with the load's ranges.
TEST_F(gcGameCreatorsTest, CreateMakesTheGameAndItsEmptySideGroups)
{
    gcGame::Create();
    gcGame* pFirst = gcGame::Get();
    ASSERT_NE(pFirst, nullptr);
    EXPECT_TRUE(InPool(pFirst, gcGame::s_gamePool));
    EXPECT_TRUE(gcGame::s_gameMusicPool.HasMemory());
    ExpectGroup(pFirst->m_pSoundData, gcGame::s_gameSoundPool, 20, 200);
    EXPECT_EQ(pFirst->m_pSoundData->m_nMemSize, 0);
    ExpectGroup(pFirst->m_pStrings, gcGame::s_gameStringsPool, 150, 550);
    const size_t nSoundBytes = gcGame::s_gameSoundPool.BytesTaken();

    // Again from scratch: the old game and its groups went with their pools.
    gcGame::Create();
    EXPECT_EQ(gcGame::s_gameSoundPool.BytesTaken(), nSoundBytes);
    gcGame::PreCreate();
    ASSERT_NE(gcGame::Get(), nullptr);
    EXPECT_EQ(gcGame::Get()->m_pSoundData, nullptr);
    EXPECT_EQ(gcGame::Get()->m_pStrings, nullptr);
    EXPECT_EQ(gcGame::s_gameSoundPool.BytesTaken(), 0u);
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, ""), 0);

    // The load still reads its file over what the creator left.
    cMemPool build("gcGameCreatorsTest", 0x20000, false);
    ASSERT_TRUE(datagen::WriteGameFile(GamePath("Game.gam"), datagen::GameFileDesc{}, &build));
    ASSERT_TRUE(gcGame::Load());
    EXPECT_STREQ(gcGame::Get()->m_name.m_sData, "Game");
}

// Each resident-object creator: the pool it makes the object in (reset when
// made again), whether the name goes into the game's table, its side group;
// then each load reads its file over what the creators left.
TEST_F(gcGameCreatorsTest, ObjectCreatorsFillTheirPoolsAndTheNameTable)
{
    std::filesystem::create_directories(GamePath("Act01"));
    std::filesystem::create_directories(GamePath("LoadingScreens"));
    cMemPool build("gcGameCreatorsTest", 0x20000, false);
    ASSERT_TRUE(datagen::WriteActFile(GamePath("Act01/Act01.act"), datagen::ActDesc{"Act", {"Meadow"}, {}, {}}));
    ASSERT_TRUE(datagen::WriteLoadingScreenFile(GamePath("LoadingScreens/LoadingScreen01.ls"), "Screen", &build));
    ASSERT_TRUE(datagen::WritePlayerConfigFile(GamePath("PlayerConfig01.pc"), "Config"));
    ASSERT_TRUE(datagen::WriteGameStateFile(GamePath("GameState.gs"), {{"Key", 2.5f}}));
    const cName name = Name("Made");
    gcGame::PreCreate();
    gcGame& g = *gcGame::Get();
    using Ptr = std::function<const void*()>;
    const Ptr config = [] { return gcPlayerConfig::s_pPlayerConfig; };
    const Ptr configSound = [] { return gcPlayerConfig::s_pPlayerConfig->m_pSoundData; };
    const Ptr menu = [] { return gcMainMenu::s_pMainMenu; };
    const Ptr menuSound = [] { return gcMainMenu::s_pMainMenu->m_pSoundData; };
    const struct {
        const char* what;
        std::function<void()> create;
        Ptr object;
        const cMemPool* pool;
        const cName* tableEntry;  // null: no table
        bool bStoresName;
        Ptr sideGroup;             // null: the object has none
        const cMemPool* sidePool;  // null: the creator leaves it out
        int32_t sideBegin;
        std::function<bool()> load;  // null: none of the rows' files
    } rows[] = {
        {"CreateLoadingScreen", [&] { gcGame::CreateLoadingScreen(47, name); },
         [] { return gcLoadingScreen::s_pLoadingScreen; }, &gcGame::s_loadingScreenPool, &g.m_loadingScreenNames[47],
         true, nullptr, nullptr, 0, [] { return gcGame::LoadLoadingScreen(0); }},
        {"CreatePlayerConfig", [&] { gcGame::CreatePlayerConfig(7, name); }, config, &gcGame::s_playerConfigPool,
         &g.m_playerConfigNames[7], true, configSound, &gcGame::s_playerConfigSoundPool, 500, nullptr},
        {"PreCreatePlayerConfig", [&] { gcGame::PreCreatePlayerConfig(6, name); }, config,
         &gcGame::s_playerConfigPool, &g.m_playerConfigNames[6], false, configSound, nullptr, 0,
         [] { return gcGame::LoadPlayerConfig(0); }},
        {"CreateAct", [&] { gcGame::CreateAct(11, name); }, [] { return gcAct::s_pAct; }, &gcGame::s_actPool,
         &g.m_actNames[11], true, nullptr, nullptr, 0, [] { return gcGame::LoadAct(0); }},
        {"CreateMainMenu", [] { gcGame::CreateMainMenu(); }, menu, &gcGame::s_mapPool, nullptr, false, menuSound,
         &gcGame::s_mapSoundPool, 250, nullptr},
        {"PreCreateMainMenu", [] { gcGame::PreCreateMainMenu(); }, menu, &gcGame::s_mapPool, nullptr, false,
         menuSound, nullptr, 0, nullptr},
        {"CreateGameState", [] { gcGame::CreateGameState(); }, [] { return gcGameState::s_pGameState; },
         &gcGame::s_gameStatePool, nullptr, false, nullptr, nullptr, 0, [] { return gcGame::LoadGameState(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.create();
        ASSERT_TRUE(InPool(row.object(), *row.pool));
        const size_t nBytes = row.pool->BytesTaken();
        row.create();
        EXPECT_EQ(row.pool->BytesTaken(), nBytes);
        if (row.tableEntry) {
            EXPECT_STREQ(row.tableEntry->m_sData, row.bStoresName ? "Made" : "");
        }
        if (row.sidePool) {
            ExpectGroup(static_cast<const cGroup*>(row.sideGroup()), *row.sidePool, row.sideBegin, row.sideBegin + 200);
        } else if (row.sideGroup) {
            EXPECT_EQ(row.sideGroup(), nullptr);
        }
    }
    EXPECT_EQ(gcLoadingScreen::s_pLoadingScreen->m_nLoadingScreenId, 47);
    EXPECT_STREQ(gcLoadingScreen::s_pLoadingScreen->m_name.m_sData, "Made");
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig->m_nPlayerConfigId, 6);
    EXPECT_EQ(gcAct::s_pAct, nullptr);  // the main menu took the Map pool: the act went first
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, ""), 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.load) {
            EXPECT_TRUE(row.load());
            EXPECT_TRUE(InPool(row.object(), *row.pool));
        }
    }
    EXPECT_STREQ(gcAct::s_pAct->m_mapNames[0].m_sData, "Meadow");
    EXPECT_EQ(gcGameState::s_pGameState->m_keyValues.m_nEnd, 51);
}

// What the act and the main menu share or hold goes with them; the game's
// table is left alone by a refused id.
TEST_F(gcGameCreatorsTest, CreatorsDeleteWhatSharesTheirPoolsAndRefuseIdsOutsideTheTables)
{
    gcGame::PreCreate();
    gcGame::CreateAct(0, Name("First"));
    gcAct::s_pAct->CreateMap(0, Name("Meadow"));
    gcGame::CreateMainMenu();  // into the Map pool: the act and its map go
    EXPECT_EQ(gcAct::s_pAct, nullptr);
    EXPECT_EQ(gcMap::s_pMap, nullptr);
    gcGame::CreateAct(1, Name("Second"));  // and the menu goes for an act
    EXPECT_EQ(gcMainMenu::s_pMainMenu, nullptr);
    ASSERT_NE(gcAct::s_pAct, nullptr);
    EXPECT_EQ(gcAct::s_pAct->m_nActId, 1);
    EXPECT_STREQ(gcAct::s_pAct->m_name.m_sData, "Second");

    gcAct* pAct = gcAct::s_pAct;
    gcGame::CreateAct(12, Name("Over"));
    gcGame::CreateAct(-1, Name("Under"));
    gcGame::CreateLoadingScreen(48, Name("Over"));
    gcGame::CreatePlayerConfig(8, Name("Over"));
    gcGame::PreCreatePlayerConfig(-1, Name("Under"));
    gcGame::PreCreatePlayerConfig(0, Name("Kept"));
    gcGame::CreatePlayerConfig(8, Name("Over"));
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig->m_pSoundData, nullptr);  // nothing made for the one that stayed
    EXPECT_STREQ(gcPlayerConfig::s_pPlayerConfig->m_name.m_sData, "Kept");
    gcGamePools::Delete(gcPlayerConfig::s_pPlayerConfig);
    EXPECT_EQ(gcAct::s_pAct, pAct);
    EXPECT_EQ(gcLoadingScreen::s_pLoadingScreen, nullptr);
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig, nullptr);
    // Numbered from 1, as the files and the loads number them.
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "gcGame: act 13 refused: acts are 1 to 12"), 1);
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "gcGame: act 0 refused: acts are 1 to 12"), 1);
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "gcGame: loading screen 49 refused: loading screens are 1 to 48"), 1);
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "gcGame: player configuration 0 refused: player configurations are 1 to 8"),
              1);
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, ""), 6);
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "gcGame: player configuration 9 refused: player configurations are 1 to 8"),
              2);
    EXPECT_FALSE(gcGame::LoadPlayerConfig(8));  // the load the same way
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "gcGame: player configuration 9 refused: player configurations are 1 to 8"),
              3);
}

// The copy is the source field by field, its own events, sound data and
// strings in the pool it was made in; the slot objects stay the source's.
TEST_F(gcGameCreatorsTest, CopyDuplicatesEveryFieldIntoItsPool)
{
    gcGame::Create();
    gcGame& g = *gcGame::Get();
    g.m_name.Set("%s", "Original");
    g.m_actNames[11].Set("%s", "Last");
    g.m_playerConfigNames[7].Set("%s", "Player");
    g.m_loadingScreenNames[47].Set("%s", "Screen");
    g.m_musicNames[47].Set("%s", "Track");
    g.m_nMusicSize[47] = 4711;
    g.m_nGameTracks[3] = 9;
    g.m_nGameTrackIndex[3] = 2;
    g.m_nLoadingScreenToLoad = 1;
    g.m_nActToLoad = 2;
    g.m_nMapToLoad = 3;
    g.m_textures.m_nEnd = 33;
    g.m_stateMachines.m_nBegin = 21;
    g.m_pSoundData->m_nMemSize = 64;
    g.m_pStrings->m_nEnd = 160;
    g.m_voDesiredWidget.hDialog = gcUIDialogHandle(0x12340021);
    g.m_voDesiredWidget.hControl = 0x305;
    datagen::AppendAction(g.m_onUIBack, gcGame::s_gamePool.New<gcDoLog>());

    cMemPool pool("gcGameCreatorsTest copy", 0x20000, false);
    gcGame* pCopy = static_cast<gcGame*>(g.Copy(&pool));
    ASSERT_NE(pCopy, nullptr);
    const gcGame& c = *pCopy;
    EXPECT_EQ(gcGame::Get(), &g) << "a copy is not the game";
    EXPECT_STREQ(c.m_name.m_sData, "Original");
    EXPECT_EQ(c.m_nLoadingScreenToLoad, 1);
    EXPECT_EQ(c.m_nActToLoad, 2);
    EXPECT_EQ(c.m_nMapToLoad, 3);
    EXPECT_EQ(c.m_nGameTrackIndex[3], -1);  // no music slot of its own
    EXPECT_EQ(c.m_textures.m_nEnd, 33);
    EXPECT_EQ(c.m_stateMachines.m_nBegin, 21);
    EXPECT_FALSE(c.m_textures.m_bDeleteContained);
    ASSERT_TRUE(InPool(c.m_pSoundData, pool));
    ASSERT_TRUE(InPool(c.m_pStrings, pool));
    EXPECT_EQ(c.m_pSoundData->m_nBegin, 20);
    EXPECT_EQ(c.m_pSoundData->m_nEnd, 200);
    EXPECT_EQ(c.m_pSoundData->m_nMemSize, 64);
    EXPECT_EQ(c.m_pStrings->m_nEnd, 160);
    ASSERT_TRUE(InPool(c.m_onUIBack.pAction, pool));
    EXPECT_NE(c.m_onUIBack.pAction, g.m_onUIBack.pAction);
    EXPECT_STREQ(c.m_onUIBack.sName, "OnBack");
    EXPECT_EQ(c.m_onUIBack.sOwnerName, c.m_name.m_sData);

    // Every stored field: both write the same file.
    for (const gcGame* p : {static_cast<const gcGame*>(&g), static_cast<const gcGame*>(pCopy)}) {
        cFile out;
        ASSERT_TRUE(out.Create(GamePath(p == &g ? "a.gam" : "b.gam").c_str(), 0, cFile::kPlatformConsole, true));
        p->Write(out);
        out.Close();
    }
    EXPECT_EQ(FileBytes(GamePath("a.gam")), FileBytes(GamePath("b.gam")));
    std::destroy_at(pCopy);  // before its pool
    g.m_nGameTrackIndex[3] = -1;  // no music was loaded
    std::destroy_at(&g);
}

// A copy going leaves the game, what is resident in each of its places and
// the music as they were. The main menu and the act share the Map pool, so
// each has a round of its own.
TEST_F(gcGameCreatorsTest, DeletingACopyLeavesTheGameAndWhatIsResident)
{
    gcGame::Create();
    gcGame& g = *gcGame::Get();
    // A track in a slot, as the menu's or a map's (no sound data uploaded).
    const int slot = gcMusic::FindFreeSlot();
    ASSERT_GE(slot, 0);
    cMemPool pool("gcGameCreatorsTest copy", 0x20000, false);
    cMemPool tracks("gcGameCreatorsTest track", 0x1000, false);
    eSoundData* pTrack = tracks.New<eSoundData>();
    gcMusic::s_pMusic[slot] = pTrack;
    for (bool bMenu : {true, false}) {
        SCOPED_TRACE(bMenu ? "main menu" : "act");
        if (bMenu)
            gcGame::CreateMainMenu();
        else
            gcGame::CreateAct(0, Name("Act"));
        gcGame::CreatePlayerConfig(0, Name("Config"));
        gcGame::CreateLoadingScreen(0, Name("Screen"));
        gcGame::CreateGameState();
        const std::vector<const void*> resident = {
            bMenu ? static_cast<const void*>(gcMainMenu::s_pMainMenu) : gcAct::s_pAct,
            gcPlayerConfig::s_pPlayerConfig, gcLoadingScreen::s_pLoadingScreen, gcGameState::s_pGameState,
            g.m_pSoundData, g.m_pStrings};
        for (const void* p : resident)
            ASSERT_NE(p, nullptr);

        std::destroy_at(static_cast<gcGame*>(g.Copy(&pool)));
        pool.Reset();
        EXPECT_EQ(gcGame::Get(), &g);
        const std::vector<const void*> after = {
            bMenu ? static_cast<const void*>(gcMainMenu::s_pMainMenu) : gcAct::s_pAct,
            gcPlayerConfig::s_pPlayerConfig, gcLoadingScreen::s_pLoadingScreen, gcGameState::s_pGameState,
            g.m_pSoundData, g.m_pStrings};
        EXPECT_EQ(after, resident);
        EXPECT_EQ(gcMusic::s_pMusic[slot], pTrack);
    }
    gcMusic::FreeMusic(slot);  // before its pool goes
}

// However the main menu is made, the Map Music pool its tracks go into is
// there and empty: a map before it may have freed it or left tracks in it.
TEST_F(gcGameCreatorsTest, MakingOrLoadingTheMainMenuReadiesTheMapMusicPool)
{
    datagen::BlockWriter w;
    ASSERT_TRUE(datagen::MainMenuBlock(w.Header(), 5, {}).Trailer().Save(GamePath("MainMenu.mnu")));
    gcGame::PreCreate();
    const struct {
        const char* what;
        std::function<bool()> make;
    } rows[] = {
        {"PreCreateMainMenu", [] { gcGame::PreCreateMainMenu(); return gcMainMenu::s_pMainMenu != nullptr; }},
        {"CreateMainMenu", [] { gcGame::CreateMainMenu(); return gcMainMenu::s_pMainMenu != nullptr; }},
        {"gcMainMenu::Load", [] { return gcMainMenu::Load(); }},
    };
    cMemPool& music = gcGame::s_mapMusicPool;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        // Freed, then holding what an earlier screen left: the same use after.
        music.FreePoolMemory();
        ASSERT_TRUE(row.make());
        ASSERT_TRUE(music.HasMemory());
        const size_t nBytes = music.BytesTaken();
        gcGamePools::Delete(gcMainMenu::s_pMainMenu);
        gcMusic::Uninitialize();
        ASSERT_NE(music.Alloc(64, 8), nullptr);
        ASSERT_TRUE(row.make());
        EXPECT_EQ(music.BytesTaken(), nBytes);
        gcGamePools::Delete(gcMainMenu::s_pMainMenu);
        gcMusic::Uninitialize();
    }
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, ""), 0);
}

// Copied into a pool with any amount of room left around the game's own
// size, the game's copy holds every action of its eight events, or there is
// no copy.
TEST_F(gcGameCreatorsTest, ACopyOfTheGameIsWholeOrNone)
{
    gcGame::PreCreate();
    gcGame& g = *gcGame::Get();
    gcEvent gcGame::* const events[] = {&gcGame::m_onGameStarted,      &gcGame::m_onMapStarted,
                                        &gcGame::m_onMapEnded,         &gcGame::m_onCinematicStarted,
                                        &gcGame::m_onCinematicEnded,   &gcGame::m_onUIConfirm,
                                        &gcGame::m_onUIBack,           &gcGame::m_onUIFocusChanged};
    for (gcEvent gcGame::*e : events) {
        datagen::AppendAction(g.*e, gcGame::s_gamePool.New<gcDoLog>());
        datagen::AppendAction(g.*e, gcGame::s_gamePool.New<gcDoLog>());
    }
    int nWhole = 0, nNone = 0;
    for (size_t nRoom = sizeof(gcGame) - 0x100; nRoom <= sizeof(gcGame) + 0x800; nRoom += 8) {
        cMemPool tight("tight", sizeof(gcGame) + 0x1000, false);
        ASSERT_NE(tight.Alloc(tight.Capacity() - nRoom, 1), nullptr);
        gcGame* pCopy = static_cast<gcGame*>(g.Copy(&tight));
        if (!pCopy) {
            ++nNone;
            continue;
        }
        ++nWhole;
        for (gcEvent gcGame::*e : events)
            EXPECT_TRUE((pCopy->*e).HoldsAllOf(g.*e)) << nRoom << " bytes of room";
        std::destroy_at(pCopy);
    }
    EXPECT_GT(nWhole, 0);
    EXPECT_GT(nNone, 0);
    EXPECT_EQ(gcGame::Get(), &g);
}
}  // namespace
