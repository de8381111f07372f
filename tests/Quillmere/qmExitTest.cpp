// The program as a PC program: what it returns and says for bad command
// lines, missing data and signals, each run bounded in time (the bounds are
// generous: a row that hangs fails instead of stopping the suite).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "datagen/flowWriters.h"
#include "datagen/recordDamage.h"
#include "datagen/sampleWriters.h"
#include "qmChild.h"
#include "tempDir.h"

namespace {

constexpr double kBound = 60.0;

struct ExitRow {
    const char* sName;
    std::vector<std::string> args;  // after the program and --data; "{dir}/" starts a path in the data
    int nExit;
    const char* sMessage;           // in the output
    std::function<void(const std::string& dir)> prepare = nullptr;
    std::vector<qmtest::ChildStep> (*steps)(const std::string& dir) = nullptr;
    int nMessageTimes = 0;          // how often the message appears; 0: at least once
    const char* sAlso = nullptr;    // another text the output holds
    bool bStartedIgnoringInterrupt = false;  // started with SIGINT ignored, as a shell's background job
};

size_t Occurrences(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Start+B+X held from retrace 30 presses the reset button three seconds
// later; letting go at 240 resets.
void WriteResetInput(const std::string& dir)
{
    std::ofstream(dir + "/reset.txt") << "0 0 -\n30 0 START+B+X\n240 0 -\n";
}

void CutInHalf(const std::string& path)
{
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
}

// The sample player's template (a gcPlayerBipedTemplate, type id 76) in
// its configuration given a block version its reader refuses: the record is
// refused, so the player configuration is damaged and the map is not
// loaded.
void RefusePlayerTemplate(const std::string& dir)
{
    ASSERT_TRUE(datagen::RefuseRecord(dir + "/Game/PlayerConfig01.pc", 76)) << "the biped template's record";
}

class qmExitTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.Valid());
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir));
    }
    qmtest::ChildResult Run(const ExitRow& row) const
    {
        std::vector<std::string> args = {QM_QUILLMERE, "--data", m_dir};
        for (std::string arg : row.args) {
            if (arg.rfind("{dir}/", 0) == 0)
                arg = m_dir + arg.substr(5);
            args.push_back(arg);
        }
        if (row.prepare)
            row.prepare(m_dir);
        std::function<void()> inChild;
        if (row.bStartedIgnoringInterrupt)
            inChild = [] { signal(SIGINT, SIG_IGN); };
        return qmtest::RunChild(args, kBound, row.steps ? row.steps(m_dir) : std::vector<qmtest::ChildStep>{},
                                inChild);
    }

    TempDir m_tmp{"qm_exit"};
    std::string m_dir = m_tmp.Path();
};

// Once the game configuration starts, the data folder goes away (the drive
// then reports no disc); SIGTERM follows as soon as the disc-error screen
// says so.
std::vector<qmtest::ChildStep> DiscGoesAway(const std::string& dir)
{
    return {
        {"start game configuration", [dir](int) { std::filesystem::rename(dir, dir + ".gone"); }},
        {"cannot be read (FS_NO_DISK)", [](int pid) { kill(pid, SIGTERM); }},
    };
}

// SIGINT once the map is running.
std::vector<qmtest::ChildStep> InterruptTheMap(const std::string&)
{
    return {{"its first frame is shown", [](int pid) { kill(pid, SIGINT); }}};
}

// The file-size limit lowered to 1 KiB once the map is running: the frame
// written at the end no longer fits. Its signal's default action would end
// the program before its shutdown, with neither the message nor exit 1.
std::vector<qmtest::ChildStep> LimitFileSize(const std::string&)
{
    return {{"its first frame is shown", [](int pid) {
                 const rlimit limit = {1024, 1024};
                 prlimit(pid, RLIMIT_FSIZE, &limit, nullptr);
             }}};
}

// SIGTERM as soon as the program's first line is logged, before video
// (and the rest of the start-up) has begun.
std::vector<qmtest::ChildStep> TerminateTheStart(const std::string&)
{
    return {{"quillmere: data \"", [](int pid) { kill(pid, SIGTERM); }}};
}

// SIGHUP (the terminal closed) once the map is running.
std::vector<qmtest::ChildStep> HangUpOnTheMap(const std::string&)
{
    return {{"its first frame is shown", [](int pid) { kill(pid, SIGHUP); }}};
}

const ExitRow kRows[] = {
    {"missing data folder", {"--data", "/nonexistent/qm", "--headless", "--frames", "30"}, 2,
     "the data folder \"/nonexistent/qm\" does not exist or cannot be read"},
    // Cut to 32 bits this would be one frame, ending with 0 before the map.
    {"frames beyond 32 bits run on", {"--headless", "--frames", "4294967297", "/act", "1", "/map", "1"},
     128 + SIGINT, "stop video", nullptr, InterruptTheMap},
    {"frames beyond 64 bits", {"--headless", "--frames", "18446744073709551616"}, 2,
     "--frames needs a number from 1 to 18446744073709551615, not \"18446744073709551616\""},
    {"act 0", {"--headless", "--frames", "30", "/act", "0", "/map", "1"}, 2,
     "/act needs a number from 1 to 2147483647, not \"0\""},
    {"act not a number", {"--headless", "--frames", "30", "/act", "abc", "/map", "1"}, 2,
     "/act needs a number from 1 to 2147483647, not \"abc\""},
    {"act past 31 bits", {"--headless", "--frames", "30", "/act", "2147483648", "/map", "1"}, 2,
     "/act needs a number from 1 to 2147483647, not \"2147483648\""},
    // The game would drop a lone one and show the main menu instead.
    {"act without map", {"--headless", "--frames", "30", "/act", "2"}, 2,
     "/act 2 needs /map with it: /act N /map M, both or neither"},
    {"map without act", {"--headless", "--frames", "30", "/map", "3"}, 2,
     "/map 3 needs /act with it: /act N /map M, both or neither"},
    {"map without its number", {"--headless", "--frames", "30", "/act", "1", "/map"}, 2,
     "/map needs a number from 1 to 2147483647 after it"},
    // A folder read as an empty file, a device as an endless one.
    {"input a folder", {"--headless", "--frames", "30", "--input", "{dir}/Game"}, 2, "/Game is not a regular file",
     nullptr, nullptr, 1, "could not be used"},
    {"input an endless device", {"--headless", "--frames", "30", "--input", "/dev/zero"}, 2,
     "PAD: the input file /dev/zero is not a regular file", nullptr, nullptr, 1, "could not be used"},
    {"act the game lacks", {"--headless", "--frames", "300", "/act", "99", "/map", "1"}, 3,
     "gcGame: act 99 refused: acts are 1 to 12"},
    {"unwritable capture", {"--headless", "--frames", "30", "--capture", "/nonexistent/qm/frame.png"}, 1,
     "could not write the frame to \"/nonexistent/qm/frame.png\""},
    {"capture past the file-size limit",
     {"--headless", "--frames", "300", "--capture", "{dir}/frame.png", "/act", "1", "/map", "1"}, 1,
     "could not write the frame to", nullptr, LimitFileSize},
    // The restarted program goes on after the reset, within the same 300
    // frames; it used to replay the reset for ever.
    {"scripted reset", {"--headless", "--frames", "300", "--input", "{dir}/reset.txt", "/act", "1", "/map", "1"}, 0,
     "OS: soft reset: the program starts again", WriteResetInput, nullptr, 1,
     "of the run's 300 frames are left after the soft reset"},
    // Long enough that a restart replaying the input from its start would
    // reach the reset again: it still resets once.
    {"scripted reset in a long run", {"--headless", "--frames", "600", "--input", "{dir}/reset.txt", "/act", "1", "/map", "1"},
     0, "OS: soft reset: the program starts again", WriteResetInput, nullptr, 1,
     "of the run's 600 frames are left after the soft reset"},
    {"SIGTERM on the disc-error screen", {"--headless", "--frames", "100000", "/act", "1", "/map", "1"}, 128 + SIGTERM,
     "stop video", nullptr, DiscGoesAway},
    {"SIGINT while the map runs", {"--headless", "--frames", "100000", "/act", "1", "/map", "1"}, 128 + SIGINT,
     "stop video", nullptr, InterruptTheMap},
    // Its default action would end with the same code, but with no shutdown.
    {"SIGTERM before video starts", {"--headless", "--frames", "100000", "/act", "1", "/map", "1"}, 128 + SIGTERM,
     "quillmere: ended by signal 15", nullptr, TerminateTheStart, 1, "stop video"},
    // A background job of a shell: the terminal's interrupt is not for it.
    {"SIGINT started ignored", {"--headless", "--frames", "300", "/act", "1", "/map", "1"}, 0, "stop video",
     nullptr, InterruptTheMap, 0, nullptr, true},
    // Its default action ends with the same code, but before the shutdown.
    {"SIGHUP while the map runs", {"--headless", "--frames", "100000", "/act", "1", "/map", "1"}, 128 + SIGHUP,
     "stop video", nullptr, HangUpOnTheMap},
    // A map would start without its player: nothing drawn but the sky, no
    // control. Not loaded, as a missing file.
    {"refused player template", {"--headless", "--frames", "300", "/act", "1", "/map", "1"}, 3,
     "gcMapLoader: act 1, map 1 could not be loaded", RefusePlayerTemplate, nullptr, 1,
     "): gcPlayerBipedTemplate: version not accepted"},
    // Last: the rows above need the map.
    {"missing map file", {"--headless", "--frames", "300", "/act", "1", "/map", "1"}, 3,
     "gcMapLoader: act 1, map 1 could not be loaded",
     [](const std::string& dir) { std::filesystem::remove(dir + "/Game/Act01/Map01/Map01.map"); }},
    // The game cannot go on without its menu: as for the game file, after
    // the normal shutdown. The game state goes last: the menu needs it.
    {"damaged main menu", {"--headless", "--frames", "300"}, 254, "cFile: \"/Game/MainMenu.mnu\": ",
     [](const std::string& dir) { CutInHalf(dir + "/Game/MainMenu.mnu"); }, nullptr, 1, "stop video"},
    {"damaged game state", {"--headless", "--frames", "300"}, 254, "cFile: \"/Game/GameState.gs\": ",
     [](const std::string& dir) { CutInHalf(dir + "/Game/GameState.gs"); }, nullptr, 1, "stop video"},
    // Asked for with a map, the game state is loaded for the map: still
    // the game's own data.
    {"damaged game state, a map asked for", {"--headless", "--frames", "300", "/act", "1", "/map", "1"}, 254,
     "quillmere: the game state could not be loaded; the game cannot go on", nullptr, nullptr, 1,
     "cFile: \"/Game/GameState.gs\": "},
};

TEST_F(qmExitTest, ExitCodeMessageAndBoundedTime)
{
    for (const ExitRow& row : kRows) {
        SCOPED_TRACE(row.sName);
        const qmtest::ChildResult r = Run(row);
        EXPECT_FALSE(r.bTimedOut) << r.log;
        EXPECT_EQ(r.nExit, row.nExit) << r.log;
        EXPECT_NE(r.log.find(row.sMessage), std::string::npos) << r.log;
        if (row.nMessageTimes > 0) {
            EXPECT_EQ(Occurrences(r.log, row.sMessage), static_cast<size_t>(row.nMessageTimes)) << r.log;
        }
        if (row.sAlso) {
            EXPECT_NE(r.log.find(row.sAlso), std::string::npos) << r.log;
        }
        if (std::filesystem::exists(m_dir + ".gone"))
            std::filesystem::rename(m_dir + ".gone", m_dir);
    }
}

constexpr uint32_t kDialogType = 152;
constexpr uint32_t kDialogVersion = 11;

// The first dialog record of the file asks for a version the reader does
// not know, so the dialog refuses its block.
void RefuseFirstDialog(const std::string& path)
{
    ASSERT_TRUE(datagen::RefuseRecord(path, kDialogType, kDialogVersion)) << path;
}

// The confirm event of the pause dialog's "Save" button takes a version no
// reader knows, so the button refuses its block and the dialog loses it.
void BreakThePauseDialogsSave(const std::string& path)
{
    ASSERT_TRUE(datagen::BreakEventWithActions(path, {"Pause", "Save"})) << path;
}

// The main menu's dialog with its control count 0, so that no control fits
// its table; with its second control naming the first's slot; the loading
// screen's with a count past what a table holds; the pause dialog's with
// no room for its controls.
void NoRoomInTheMainMenu(const std::string& path)
{
    ASSERT_TRUE(datagen::DamageDialogControls(path, "MainMenu", datagen::ControlTableDamage::kNoRoom)) << path;
}
void OneSlotTwiceInTheMainMenu(const std::string& path)
{
    ASSERT_TRUE(datagen::DamageDialogControls(path, "MainMenu", datagen::ControlTableDamage::kSlotTwice)) << path;
}
void TooManyInTheLoadingScreen(const std::string& path)
{
    ASSERT_TRUE(datagen::DamageDialogControls(path, "Loading", datagen::ControlTableDamage::kPastLimit)) << path;
}
void NoRoomInThePauseDialog(const std::string& path)
{
    ASSERT_TRUE(datagen::DamageDialogControls(path, "Pause", datagen::ControlTableDamage::kNoRoom)) << path;
}

// A dialog refused, missing a widget or with a control table its controls
// do not fit is damaged game data, wherever the game loads it: the run ends
// with 254 and one error naming the file, the refused block or the dialog.
// The loading screen is reached by New Game (A at frame 60).
TEST_F(qmExitTest, ADamagedDialogEndsTheRunWith254)
{
    const struct {
        const char* sFile;
        void (*damage)(const std::string& path);
        bool bNewGame;
        const char* sMessage;
    } rows[] = {
        {"MainMenu.mnu", RefuseFirstDialog, false,
         "cFile: \"/Game/MainMenu.mnu\": gcUIDialogGroup: record 0 (slot 100): gcUIDialog: version not accepted"},
        {"Game.gam", BreakThePauseDialogsSave, false,
         "cFile: \"/Game/Game.gam\": gcUIDialogGroup: record 1 (slot 201): gcEvent: version not accepted"},
        {"LoadingScreens/LoadingScreen01.ls", RefuseFirstDialog, true,
         "cFile: \"/Game/LoadingScreens/LoadingScreen01.ls\": gcUIDialogGroup: record 0 (slot 20): gcUIDialog: version "
         "not accepted"},
        {"MainMenu.mnu", NoRoomInTheMainMenu, false,
         "cFile: \"/Game/MainMenu.mnu\": gcUIDialogGroup: record 0 (slot 100): gcUIDialog \"MainMenu\": control "
         "\"NewGame\" names slot 0 of a table of 0"},
        {"MainMenu.mnu", OneSlotTwiceInTheMainMenu, false,
         "cFile: \"/Game/MainMenu.mnu\": gcUIDialogGroup: record 0 (slot 100): gcUIDialog \"MainMenu\": controls "
         "\"NewGame\" and \"Continue\" both name slot 0"},
        {"LoadingScreens/LoadingScreen01.ls", TooManyInTheLoadingScreen, true,
         "cFile: \"/Game/LoadingScreens/LoadingScreen01.ls\": gcUIDialogGroup: record 0 (slot 20): gcUIDialog "
         "\"Loading\": control count 257 outside 0..256"},
        {"Game.gam", NoRoomInThePauseDialog, false,
         "cFile: \"/Game/Game.gam\": gcUIDialogGroup: record 1 (slot 201): gcUIDialog \"Pause\": control \"Save\" "
         "names slot 0 of a table of 0"},
    };
    std::ofstream(m_dir + "/newgame.txt") << "0 0 -\n60 0 A\n66 0 -\n";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sFile);
        const std::string path = m_dir + "/Game/" + row.sFile;
        const std::vector<uint8_t> whole = datagen::ReadBytes(path);
        row.damage(path);
        std::vector<std::string> args = {QM_QUILLMERE, "--data", m_dir, "--headless", "--frames", "300"};
        if (row.bNewGame)
            args.insert(args.end(), {"--input", m_dir + "/newgame.txt"});
        const qmtest::ChildResult r = qmtest::RunChild(args, kBound);
        ASSERT_TRUE(datagen::WriteBytes(path, whole));
        EXPECT_FALSE(r.bTimedOut) << r.log;
        EXPECT_EQ(r.nExit, 254) << r.log;
        EXPECT_EQ(Occurrences(r.log, row.sMessage), 1u) << r.log;
        EXPECT_EQ(Occurrences(r.log, "[Error]"), 1u) << r.log;
        EXPECT_NE(r.log.find("stop video"), std::string::npos) << "after the normal shutdown";
    }
}

// One rule for every file the game loads: a group record of another class
// or one that refuses its data (a refused group for the act, whose key
// values lie beyond the range it reads; a refused zone for a region, the
// sample's holding no other member) ends the run with the file's code after
// the normal shutdown, and the log holds one error, naming the file and the
// record. The loading screen is reached by New Game; the third region is
// streamed in while the map runs, after its first frame.
TEST_F(qmExitTest, ADamagedRecordInAnyFileEndsTheRunWithItsCode)
{
    using D = datagen::RecordDamage;
    constexpr D kZone = static_cast<D>(99);
    enum Start { kMenu, kNewGame, kMap, kPlay };
    const struct {
        const char* sFile;  // below Game
        D how;
        Start start;
        int nExit;
    } rows[] = {
        {"GameConfig.gc", D::kOtherClass, kMenu, 254},
        {"GameConfig.gc", D::kRefused, kMenu, 254},
        {"Game.gam", D::kOtherClass, kMenu, 254},
        {"Game.gam", D::kRefused, kMenu, 254},
        {"GameState.gs", D::kOtherClass, kMenu, 254},
        {"GameState.gs", D::kRefused, kMenu, 254},
        {"GameState.gs", D::kRefused, kMap, 254},  // the map's loader loads it too
        {"MainMenu.mnu", D::kOtherClass, kMenu, 254},
        {"MainMenu.mnu", D::kRefused, kMenu, 254},
        {"LoadingScreens/LoadingScreen01.ls", D::kOtherClass, kNewGame, 254},
        {"LoadingScreens/LoadingScreen01.ls", D::kRefused, kNewGame, 254},
        {"PlayerConfig01.pc", D::kOtherClass, kMap, 3},
        {"PlayerConfig01.pc", D::kRefused, kMap, 3},
        {"Act01/Act01.act", D::kGroup, kMap, 3},
        {"Act01/Map01/Map01.map", D::kOtherClass, kMap, 3},
        {"Act01/Map01/Map01.map", D::kRefused, kMap, 3},
        {"Act01/Map01/Region01.rgn", kZone, kMap, 3},
        {"Act01/Map01/Region03.rgn", kZone, kPlay, 3},
    };
    // The sample's game state holds no record: one with a key value.
    ASSERT_TRUE(datagen::WriteGameStateFile(m_dir + "/Game/GameState.gs", {{"Keys", 2.0f}}));
    // Maps whose regions neighbour only the next ones, so that the east
    // region is streamed in as the scripted run reaches the middle one.
    ASSERT_TRUE(datagen::WriteSampleMapFiles(m_dir, true, true));
    std::ofstream(m_dir + "/newgame.txt") << "0 0 -\n60 0 A\n66 0 -\n";
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.sFile << ", damage " << static_cast<int>(row.how));
        const std::string path = m_dir + "/Game/" + row.sFile;
        const std::vector<uint8_t> whole = datagen::ReadBytes(path);
        ASSERT_TRUE(row.how == kZone ? datagen::RefuseFirstBlockOfVersion(path, 5)
                                     : datagen::DamageFirstGroupRecord(path, row.how));
        std::vector<std::string> args = {QM_QUILLMERE, "--data", m_dir, "--headless", "--frames", "3000"};
        if (row.start == kNewGame)
            args.insert(args.end(), {"--input", m_dir + "/newgame.txt"});
        if (row.start == kMap)
            args.insert(args.end(), {"/act", "1", "/map", "1"});
        if (row.start == kPlay)
            args.insert(args.end(), {"--input", m_dir + "/input.txt"});
        const qmtest::ChildResult r = qmtest::RunChild(args, kBound);
        datagen::WriteBytes(path, whole);
        EXPECT_FALSE(r.bTimedOut) << r.log;
        EXPECT_EQ(r.nExit, row.nExit) << r.log;
        const std::string file = std::string("cFile: \"/Game/") + row.sFile + "\": ";
        EXPECT_EQ(Occurrences(r.log, "[Error]"), 1u) << r.log;
        EXPECT_EQ(Occurrences(r.log, file), 1u) << r.log;
        const bool bRecord = row.how == D::kOtherClass || row.how == D::kRefused;
        EXPECT_EQ(Occurrences(r.log, ": record 0 (slot "), bRecord ? 1u : 0u) << r.log;
        EXPECT_EQ(r.log.find("its first frame is shown") < r.log.find(file), row.start == kPlay) << r.log;
        EXPECT_NE(r.log.find("stop video"), std::string::npos) << "after the normal shutdown";
    }
}

}  // namespace
