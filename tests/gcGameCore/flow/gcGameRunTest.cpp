// The top loop, the pre-game screens, the start-up loader thread and movie
// playback.
#include "gcGameCore/flow/gcGame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "platform/pad.h"
#include "platform/vi.h"
#include "../test/audio_test.h"
#include "../test/pad_test.h"
#include "datagen/flowWriters.h"
#include "datagen/menuWriters.h"
#include "datagen/thpWriter.h"
#include "cCore/cLog.h"
#include "cCore/cThread.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eInput.h"
#include "eEngine/eMovie.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoTestUtil.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/flow/gcGameLoader.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gx/gxFront_local.h"

namespace {

constexpr int32_t kStartedTag = 7;
constexpr int32_t kPreGameTag = 8;

class gcGameRunTest : public gcFlowTest {
protected:
    void SetUp() override
    {
        gcFlowTest::SetUp();
        TestLog().clear();
        m_pGame = m_pool.New<gcGame>();
        m_pPlatform = m_pool.New<gcPlatformConfig>();
        gcTestBuilder b{m_pool};
        FillEvent(m_pGame->m_onGameStarted, b.Record(kStartedTag));
        FillEvent(m_pPlatform->onPreGameStarted, b.Record(kPreGameTag));
    }
    void TearDown() override
    {
        std::destroy_at(m_pPlatform);
        std::destroy_at(m_pGame);
        gcFlowTest::TearDown();
    }

    cMemPool m_pool{"gcGameRunTest", 0x40000, false};
    gcGame* m_pGame = nullptr;
    gcPlatformConfig* m_pPlatform = nullptr;
};

// "act" and "map" are 1-based and come as a pair; a requested map skips the
// game-started event and the main menu.
TEST_F(gcGameRunTest, CommandLineRequestsAMapAsAPair)
{
    const struct {
        const char* commandLine;
        int32_t nAct, nMap;
    } rows[] = {
        {"/act 2 /map 3", 1, 2},
        {"/ACT=12 /map 1", 11, 0},
        {"/act 2", -1, -1},   // alone: neither
        {"/map 3", -1, -1},
        {"/act 0 /map 3", -1, -1},  // act 0 is no act
        {"/act 2147483647 /map 1", 2147483646, 0},
        {"/act 2147483648 /map 1", -1, -1},  // past 31 bits: refused, not wrapped
        {"/act 4294967298 /map 1", -1, -1},  // would wrap to 2
        {"/act 2 /map -3", -1, -1},
        {"/act 2x /map 3", -1, -1},
        {"/act /map 3", -1, -1},  // no value: the next option is not one
        {"", -1, -1},
    };
    // The game state loads; no main menu and no act: the load that was asked for fails.
    ASSERT_TRUE(datagen::WriteGameStateFile(GamePath("GameState.gs"), {}));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.commandLine);
        TestLog().clear();
        m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = -1;
        cSetCommandLine(row.commandLine);
        EXPECT_EQ(m_pGame->Run(), row.nAct >= 0 ? gcGame::RUN_MAP_FAILED : gcGame::RUN_MAIN_MENU_FAILED);
        EXPECT_EQ(m_pGame->m_nActToLoad, row.nAct);
        EXPECT_EQ(m_pGame->m_nMapToLoad, row.nMap);
        const std::vector<int32_t> expected =
            row.nAct >= 0 ? std::vector<int32_t>{kPreGameTag} : std::vector<int32_t>{kPreGameTag, kStartedTag};
        EXPECT_EQ(TestLogTags(), expected);
    }
}

// The host refuses a command line on a false; the id is -1 unless valid.
TEST_F(gcGameRunTest, CommandLineIdsAreDigitsFromOneTo31Bits)
{
    const struct {
        const char* commandLine;
        bool bOk;
        int32_t nId;
    } rows[] = {
        {"/map 1", true, -1},  // absent
        {"/act 1", true, 0},
        {"/act 2147483647", true, 2147483646},
        {"/act 2147483648", false, -1},
        {"/act 21474836470", false, -1},
        {"/act 0", false, -1},
        {"/act 00", false, -1},
        {"/act -1", false, -1},
        {"/act +1", false, -1},
        {"/act", false, -1},
        {"/act 1x", false, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.commandLine);
        cSetCommandLine(row.commandLine);
        int32_t nId = 7;
        EXPECT_EQ(gcGame::ReadCommandLineId("act", &nId), row.bOk);
        EXPECT_EQ(nId, row.nId);
    }
    cSetCommandLine("");
}

// A map asked for ends the run with what failed its load: the game state
// (the game's own data, not the map's) or the map.
TEST_F(gcGameRunTest, AFailedMapLoadEndsTheRunWithWhatFailedIt)
{
    const struct {
        const char* name;
        bool bGameState;
        gcGame::eRunEnd end;
    } rows[] = {
        {"no game state", false, gcGame::RUN_GAME_STATE_FAILED},
        {"no act", true, gcGame::RUN_MAP_FAILED},
    };
    gcTestLogCapture quiet;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(GamePath("GameState.gs"));
        if (row.bGameState) {
            ASSERT_TRUE(datagen::WriteGameStateFile(GamePath("GameState.gs"), {}));
        }
        cSetCommandLine("/act 1 /map 1");
        EXPECT_EQ(m_pGame->Run(), row.end);
    }
    cSetCommandLine("");
}

// A main menu whose start events open no dialog leaves nothing to choose:
// the top loop fails as for a menu that cannot be loaded, where it used to
// end as if the player had quit.
TEST_F(gcGameRunTest, AMenuThatOpensNoDialogFailsTheRun)
{
    ASSERT_TRUE(datagen::WriteGameStateFile(GamePath("GameState.gs"), {}));
    datagen::BlockWriter w;
    ASSERT_TRUE(datagen::MainMenuBlock(w.Header(), 5, {}).Trailer().Save(GamePath("MainMenu.mnu")));
    gcTestLogCapture log;
    VISetFrameLimit(30);
    EXPECT_EQ(m_pGame->Run(), gcGame::RUN_MAIN_MENU_FAILED);
    EXPECT_FALSE(VIQuitRequested()) << "at once, not at the frame limit";
    VISetFrameLimit(0);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "\"/Game/MainMenu.mnu\": its start events opened no dialog"), 1);
    ASSERT_NE(gcMainMenu::s_pMainMenu, nullptr);
    std::destroy_at(gcMainMenu::s_pMainMenu);
}

TEST_F(gcGameRunTest, PreGameWithoutADialogRunsNoFrame)
{
    const uint32_t before = gxDisplayCopyCount();
    m_pGame->HandlePreGame();
    EXPECT_EQ(gxDisplayCopyCount(), before);
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{kPreGameTag});
}

class gcGameRunDrawTest : public DrawingTest<gcGameRunTest> {};

// While a dialog is open the pre-game screens run frame after frame; here
// the host's frame limit ends them after 5.
TEST_F(gcGameRunDrawTest, PreGameRunsFramesWhileADialogIsOpen)
{
    gcUIDialog dialog;
    gcUI* pUI = gcUI::Get();
    pUI->m_dialogStack[0] = &dialog;
    pUI->m_nFocusedDialog = 0;
    VISetFrameLimit(5);
    const uint32_t before = gxDisplayCopyCount();
    m_pGame->HandlePreGame();
    EXPECT_EQ(gxDisplayCopyCount() - before, 5u);
    VISetFrameLimit(0);
    pUI->m_dialogStack[0] = nullptr;
    pUI->m_nFocusedDialog = -1;
    EXPECT_EQ(GXTestEfbPixel(320, 240).a, 255);  // cleared to opaque black
    EXPECT_EQ(GXTestEfbPixel(320, 240).r, 0);
}

// The loader thread reads the game configuration, the platform
// configuration and the game, in that order; the first failure ends it.
class gcGameLoaderTest : public gcFlowTest {
protected:
    void WriteAll()
    {
        datagen::GameFileDesc desc;
        ASSERT_TRUE(datagen::WriteGameConfigFile(GamePath("GameConfig.gc"), 4, {}));
        ASSERT_TRUE(datagen::WritePlatformConfigFile(GamePath("PlatformConfig_gc.plc"), "PlatformConfig"));
        cMemPool pool("gcGameLoaderTest", 0x20000, false);
        ASSERT_TRUE(datagen::WriteGameFile(GamePath("Game.gam"), desc, &pool));
    }
};

TEST_F(gcGameLoaderTest, LoadsConfigurationPlatformAndGameOnTheLoaderThread)
{
    WriteAll();
    ASSERT_TRUE(gcGame::LoadBackground());
    EXPECT_FALSE(gcGameLoader::Get()->IsRunning());
    EXPECT_NE(gcGameConfig::s_pGameConfig, nullptr);
    EXPECT_NE(gcPlatformConfig::s_pPlatformConfig, nullptr);
    ASSERT_NE(gcGame::Get(), nullptr);
    EXPECT_TRUE(gcGame::s_gamePool.Contains(gcGame::Get()));
}

TEST_F(gcGameLoaderTest, FirstFailureEndsTheLoad)
{
    gcTestLogCapture quiet;
    WriteAll();
    std::filesystem::remove(GamePath("Game.gam"));
    EXPECT_FALSE(gcGame::LoadBackground());
    EXPECT_TRUE(gcGameLoader::Get()->m_bLoadFailed);
    EXPECT_NE(gcGameConfig::s_pGameConfig, nullptr);
    EXPECT_EQ(gcGame::Get(), nullptr);

    gcGameConfig::Unload();
    gcPlatformConfig::Unload();
    WriteAll();
    std::filesystem::remove(GamePath("PlatformConfig_gc.plc"));
    EXPECT_FALSE(gcGame::LoadBackground());
    EXPECT_EQ(gcPlatformConfig::s_pPlatformConfig, nullptr);
    EXPECT_EQ(gcGame::Get(), nullptr);  // never reached
}

// Once the program is asked to end, the start-up wait stops servicing the
// OS and joins the thread: the OS step runs once, however often the thread
// still hands the CPU on (here at its error line).
class gcGameLoaderQuitTest : public DrawingTest<gcGameLoaderTest> {
protected:
    static void CountStep() { ++s_nSteps; }
    static void YieldOnTheLoaderThread(void*, cLogType, const char*)
    {
        if (std::this_thread::get_id() == s_mainThread)
            return;
        for (int i = 0; i < 3; ++i)
            cThread::Yield();
    }
    static inline int s_nSteps = 0;
    static inline std::thread::id s_mainThread;
};

TEST_F(gcGameLoaderQuitTest, AQuitRequestEndsTheWaitAtOnce)
{
    WriteAll();
    std::filesystem::remove(GamePath("Game.gam"));  // the thread's error line
    VISetFrameLimit(1);
    eVideo::Flip();
    ASSERT_TRUE(VIQuitRequested());
    s_nSteps = 0;
    s_mainThread = std::this_thread::get_id();
    const cDiscStatusCheckFunc previousCheck = cSetDiscStatusCheck(CountStep);
    const cLogFunc previousLog = cLogSetCallback(YieldOnTheLoaderThread, nullptr);
    EXPECT_FALSE(gcGame::LoadBackground());
    cLogSetCallback(previousLog, nullptr);
    cSetDiscStatusCheck(previousCheck);
    VISetFrameLimit(0);
    EXPECT_FALSE(gcGameLoader::Get()->IsRunning());
    EXPECT_EQ(s_nSteps, 1);
}

class gcPlayMovieTest : public DrawingTest<gcGameRunTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcGameRunTest>::SetUp();
        if (IsSkipped())
            return;
        static const bool s_bAudio = [] {
            AITestSetManualFrames(TRUE);
            return eAudioPlatform::Initialize();
        }();
        ASSERT_TRUE(s_bAudio);
        PADTestSetScripted(true);
        for (int port = 0; port < eInput::kMaxControllers; ++port)
            PADTestSetStatus(port, PADTestIdleStatus());
        eInput::Initialize();
    }
    void TearDown() override
    {
        PADTestSetScripted(false);
        DrawingTest<gcGameRunTest>::TearDown();
    }
    static PADStatus PressA()
    {
        PADStatus status = PADTestIdleStatus();
        status.button = PAD_BUTTON_A;
        return status;
    }
};

// The skip button leaves a skippable movie at once; afterwards every port's
// idle time starts again and the press no longer counts as new.
TEST_F(gcPlayMovieTest, SkipButtonEndsTheMovieAndIsNotSeenAgain)
{
    std::filesystem::create_directories(GamePath("Movies"));
    datagen::ThpMovie movie;
    movie.width = 16;
    movie.height = 8;
    for (int k = 0; k < 20; ++k)
        movie.framesRgb.push_back(std::vector<uint8_t>(16 * 8 * 3, static_cast<uint8_t>(k * 10)));
    ASSERT_TRUE(datagen::WriteThpFile(GamePath("Movies/Intro_gc.mov"), movie));
    eInput::s_joyState[2].idleTime = cTimeValue(999);
    PADTestSetStatus(1, PressA());
    m_pGame->PlayMovie("Intro", false);  // the button means nothing here
    EXPECT_GE(eMovie::s_nCurrentFrame, 1);  // past the frame a skip would have ended
    PADTestSetStatus(1, PADTestIdleStatus());  // let go, then press again
    eInput::Update(cTimeValue(20), true);
    PADTestSetStatus(1, PressA());
    m_pGame->PlayMovie("Intro", true);
    EXPECT_EQ(eMovie::s_nCurrentFrame, 0);
    EXPECT_EQ(eInput::s_joyState[2].idleTime.m_nTicks, 0);
    EXPECT_FALSE(eInput::s_joyState[1].bButtonPressed[eInput::JOYBTN_UI_CINEMATICSKIP]);
}

TEST_F(gcPlayMovieTest, MissingMovieStillResetsInput)
{
    gcTestLogCapture quiet;
    eInput::s_joyState[0].idleTime = cTimeValue(500);
    m_pGame->PlayMovie("Nowhere", false);
    EXPECT_EQ(eInput::s_joyState[0].idleTime.m_nTicks, 0);
}

}  // namespace
