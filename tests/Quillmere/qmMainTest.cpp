// The program run headless on the sample data, as a user runs it: the order
// of start-up and shut-down, the exit codes and what the log says.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "datagen/sampleLoading.h"
#include "datagen/sampleWriters.h"
#include "qmCapture.h"
#include "tempDir.h"

namespace {

using qmtest::Capture;
using qmtest::ReadCapture;

struct RunResult {
    int nExit = -1;
    std::string log;
};

class qmMainTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.Valid());
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir));
    }
    RunResult Run(const std::string& gameArgs, long nFrames = 60, const std::string& hostArgs = "") const
    {
        const std::string cmd = std::string(QM_QUILLMERE) + " --data " + m_dir + " --headless --frames " +
                                std::to_string(nFrames) + " " + hostArgs + " " + gameArgs + " 2>&1";
        RunResult result;
        FILE* pipe = popen(cmd.c_str(), "r");
        if (!pipe)
            return result;
        char buf[512];
        while (fgets(buf, sizeof buf, pipe))
            result.log += buf;
        const int status = pclose(pipe);
        result.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }

    // Bytes of sound a headless run of the sample map writes in nFrames
    // frames (the WAV file's data chunk); -1 when the run or file failed.
    long SoundBytes(long nFrames) const
    {
        const std::string wav = m_dir + "/sound" + std::to_string(nFrames) + ".wav";
        const RunResult r = Run("/act 1 /map 1", nFrames, "--audio-wav " + wav);
        EXPECT_EQ(r.nExit, 0) << r.log;
        std::ifstream in(wav, std::ios::binary);
        uint8_t header[44] = {};
        if (!in.read(reinterpret_cast<char*>(header), sizeof header) || std::string(header + 36, header + 40) != "data")
            return -1;
        return static_cast<long>(header[40] | header[41] << 8 | header[42] << 16 | uint32_t(header[43]) << 24);
    }

    // Positions of the lines, in the log's order; npos for a missing one.
    static std::vector<size_t> Positions(const std::string& log, const std::vector<std::string>& lines)
    {
        std::vector<size_t> at;
        for (const std::string& line : lines)
            at.push_back(log.find(line));
        return at;
    }

    TempDir m_tmp{"qm_main"};
    std::string m_dir = m_tmp.Path();
};

const std::vector<std::string> kStart = {
    "start video", "start audio", "start movie", "start input", "start memory card", "start zones",
    "start game configuration",
};
const std::vector<std::string> kStop = {
    "stop game configuration", "stop zones", "stop input", "stop movie", "stop audio", "stop video",
};

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ExpectInOrder(const std::vector<size_t>& at)
{
    for (size_t i = 0; i < at.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(at[i], std::string::npos);
        if (i > 0) {
            EXPECT_LT(at[i - 1], at[i]);
        }
    }
}

// The sample's main menu loads and its start event opens its dialog, so the
// menu runs until the frame limit ends the game.
TEST_F(qmMainTest, StartsInOrderLeavesTheMainMenuAndStopsInReverse)
{
    const RunResult r = Run("");
    EXPECT_EQ(r.nExit, 0) << r.log;
    EXPECT_EQ(r.log.find("start events opened no dialog"), std::string::npos) << r.log;
    std::vector<std::string> all = kStart;
    for (const char* unload : {"unload game", "unload platform configuration", "unload game configuration"})
        all.push_back(unload);
    all.insert(all.end(), kStop.begin(), kStop.end());
    ExpectInOrder(Positions(r.log, all));
    EXPECT_EQ(r.log.find("stop memory card"), std::string::npos);
    EXPECT_EQ(r.log.find("[Error]"), std::string::npos) << r.log;
}

TEST_F(qmMainTest, MissingGameFileEndsWithMinusTwoAndNamesTheFile)
{
    std::filesystem::remove(m_dir + "/Game/Game.gam");
    const RunResult r = Run("");
    EXPECT_EQ(r.nExit, 254) << r.log;  // -2 as an exit status
    EXPECT_NE(r.log.find("\"/Game/Game.gam\""), std::string::npos) << r.log;
    ExpectInOrder(Positions(r.log, kStop));
    EXPECT_EQ(r.log.find("no main menu"), std::string::npos);
}

TEST_F(qmMainTest, CommandLineMapRequestGoesStraightToTheMapLoader)
{
    const RunResult r = Run("/act 2 /map 3");
    EXPECT_EQ(r.nExit, 3) << r.log;  // the sample has no act 2
    EXPECT_NE(r.log.find("act 2, map 3"), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("no main menu"), std::string::npos);
}

// The files the game loads only when present: a data set without them runs
// the sample map with no error or warning, each named once at Info.
TEST_F(qmMainTest, DataWithoutTheOptionalFilesRunsWithoutErrors)
{
    const char* const kOptional[] = {
        "/Game/PlatformStrings_gc_eng.str",      "/Game/GameSound.snd",
        "/Game/GameStrings_eng.str",             "/Game/PlayerConfig01Sound.snd",
        "/Game/MainMenuSound.snd",               "/Game/Act01/Map01/Map01Sound.snd",
        "/Game/Act01/Map01/Map01_eng.vo",        "/Game/Act01/Map01/Map01Strings_eng.str",
    };
    for (const char* file : kOptional)
        ASSERT_TRUE(std::filesystem::remove(m_dir + file)) << file;
    const RunResult r = Run("/act 1 /map 1", 100);
    EXPECT_EQ(r.nExit, 0) << r.log;
    EXPECT_EQ(r.log.find("[Error"), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("[Warn"), std::string::npos) << r.log;
    for (const char* file : kOptional) {
        if (std::strcmp(file, "/Game/MainMenuSound.snd") == 0)
            continue;  // a map run has no main menu
        const std::string line = std::string("[Info   ] cFile: no \"") + file + "\"; going on without it";
        const size_t at = r.log.find(line);
        EXPECT_NE(at, std::string::npos) << file << "\n" << r.log;
        EXPECT_EQ(r.log.find(line, at + 1), std::string::npos) << "more than once: " << file;
    }
}

// The game's pace: each frame is two retraces of game time (1001/30000 s),
// which the sound output's length shows. The frames a long run adds to a
// short one add that much sound (32 kHz stereo, 16-bit), to within one 5 ms
// sound frame; and the long run writes what it always has, so the time the
// loading takes is unchanged too. 3,000 frames (100 s of game time) pass
// the point where a frame hold counted from its own end would have drifted
// a full retrace several times over.
TEST_F(qmMainTest, HeadlessFramesKeepTwoRetracesOfGameTime)
{
    constexpr long kShort = 60, kLong = 3000;
    constexpr long kBytesPerSecond = 32000 * 4;
    constexpr long kSoundFrameBytes = kBytesPerSecond / 200;
    const long nShort = SoundBytes(kShort);
    const long nLong = SoundBytes(kLong);
    ASSERT_GT(nShort, 0);
    const double expected = static_cast<double>(kLong - kShort) * 1001.0 / 30000.0 * kBytesPerSecond;
    EXPECT_NEAR(static_cast<double>(nLong - nShort), expected, kSoundFrameBytes);
    // Each run's end adds the 40 ms fade of every sound and the sound
    // frame it ends in (5,760 bytes).
    EXPECT_EQ(nShort, 65280);
    EXPECT_EQ(nLong, 12622080);
}

// A headless run draws its frames only when it captures one; drawing or not
// changes nothing else it puts out: the player walks the same way and the
// sound output is the same, byte for byte.
TEST_F(qmMainTest, HeadlessRunDrawsOnlyForACaptureAndSoundsTheSameEitherWay)
{
    constexpr long kFrames = 300;
    const std::string kNothingDrawn = "VI: headless with no frame to write: nothing is drawn";
    struct Row {
        const char* name;
        bool bCapture;
    };
    const Row kRows[] = {{"without a capture", false}, {"with a capture", true}};
    std::vector<std::string> sounds;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        const std::string wav = m_dir + "/sound_" + std::to_string(row.bCapture) + ".wav";
        std::string host = "--input " + m_dir + "/input.txt --audio-wav " + wav;
        if (row.bCapture)
            host += " --capture " + m_dir + "/last.png";
        const RunResult r = Run("/act 1 /map 1", kFrames, host);
        EXPECT_EQ(r.nExit, 0) << r.log;
        EXPECT_EQ(r.log.find(kNothingDrawn) == std::string::npos, row.bCapture) << r.log;
        sounds.push_back(FileBytes(wav));
    }
    EXPECT_GT(sounds[0].size(), 44u);
    EXPECT_TRUE(sounds[0] == sounds[1]) << "the sound differs: " << sounds[0].size() << " and " << sounds[1].size()
                                        << " bytes";
    EXPECT_EQ(ReadCapture(m_dir + "/last.png").nWidth, 640);
}

// What a captured pixel must be: a dialog's box (the sample's untextured
// sprites draw opaque yellow), black, anything but a box, or the lit world
// (neither a box nor black).
enum class Px { kBox, kBlack, kNotBox, kWorld };

bool Matches(const std::array<int, 3>& c, Px want)
{
    const bool bBox = c[0] > 200 && c[1] > 200 && c[2] < 80;
    switch (want) {
    case Px::kBox: return bBox;
    case Px::kBlack: return c[0] >= 0 && c[0] < 16 && c[1] < 16 && c[2] < 16;
    case Px::kNotBox: return c[0] >= 0 && !bBox;
    case Px::kWorld: return c[0] >= 0 && !bBox && c[0] + c[1] + c[2] > 48;
    }
    return false;
}

struct Probe {
    int x, y;
    Px want;
};

// The menu's three buttons are 200 x 40 boxes centred at x 320, y 160, 240
// and 320, their labels in the middle (probed at the boxes' left ends); the
// loading bar is the box centred on the screen.
constexpr int kBarLeft = 320 - static_cast<int>(datagen::kSampleLoadingBox[0]) / 2;
constexpr int kBarRight = 320 + static_cast<int>(datagen::kSampleLoadingBox[0]) / 2 - 1;
const std::vector<Probe> kMenu = {{228, 160, Px::kBox}, {228, 240, Px::kBox},       {228, 320, Px::kBox},
                                  {320, 200, Px::kBlack}, {kBarLeft + 4, 240, Px::kBlack}};
const std::vector<Probe> kLoading = {{kBarLeft + 4, 240, Px::kBox}, {kBarRight - 4, 240, Px::kBox},
                                     {320, 240, Px::kBox},          {320, 160, Px::kBlack},
                                     {320, 320, Px::kBlack},        {kBarLeft - 4, 240, Px::kBlack}};
const std::vector<Probe> kMap = {{50, 440, Px::kWorld}, {590, 440, Px::kWorld}, {320, 160, Px::kNotBox}, {kBarLeft + 4, 240, Px::kNotBox}};
const std::vector<Probe> kNoBar = {{kBarLeft + 4, 240, Px::kNotBox}, {320, 240, Px::kNotBox}};
const std::vector<Probe> kAllBlack = {{kBarLeft + 4, 240, Px::kBlack}, {320, 240, Px::kBlack}, {320, 160, Px::kBlack}};

// The scripted run as make run plays it, and the command-line start. The
// press of A on "NewGame" is taken in the frame before kSampleNewGameFrame;
// the menu draws that frame without its dialog, and the next is the
// loader's first, which always draws the loading dialog before its update
// can close it. A capture is the run's last frame, not one its shut-down
// draws after it. A command-line start requests no loading screen: its loading
// frame is plain black, and frame 30 still shows the start-up notice.
TEST_F(qmMainTest, SampleRunShowsTheMenuThenTheLoadingDialogThenTheMap)
{
    constexpr long kRunFrames = 450;  // the Makefile's RUN_FRAMES
    constexpr long kFirstLoading = datagen::kSampleNewGameFrame + 1;
    const struct {
        const char* sName;
        std::string gameArgs;
        bool bInput;
        long nFrames;
        const std::vector<Probe>* pProbes;
    } rows[] = {
        {"menu", "", true, 50, &kMenu},
        {"menu, the frame before the press is taken", "", true, datagen::kSampleNewGameFrame - 2, &kMenu},
        {"first loading frame", "", true, kFirstLoading, &kLoading},
        {"map, the player walking", "", true, kRunFrames, &kMap},
        {"command line: the start-up notice", "/act 1 /map 1", false, 30, &kNoBar},
        {"command line: loading without a screen", "/act 1 /map 1", false, 48, &kAllBlack},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        const std::string png = m_dir + "/frame" + std::to_string(row.nFrames) + ".png";
        std::string host = "--capture " + png;
        if (row.bInput)
            host += " --input " + m_dir + "/input.txt";
        const RunResult r = Run(row.gameArgs, row.nFrames, host);
        EXPECT_EQ(r.nExit, 0) << r.log;
        EXPECT_EQ(r.log.find("[Error"), std::string::npos) << r.log;
        EXPECT_EQ(r.log.find("[Warn"), std::string::npos) << r.log;
        const Capture c = ReadCapture(png);
        ASSERT_EQ(c.nWidth, 640);
        ASSERT_EQ(c.nHeight, 480);
        for (const Probe& p : *row.pProbes) {
            const std::array<int, 3> px = c.At(p.x, p.y);
            EXPECT_TRUE(Matches(px, p.want))
                << p.x << "," << p.y << " is " << px[0] << " " << px[1] << " " << px[2] << ", want " << int(p.want);
        }
    }
}

// A headless run's frames and log do not depend on how fast the host reads
// the disc: the frame while the map loads behind the loading dialog, and the
// log, are the same with every read slowed down.
TEST_F(qmMainTest, HeadlessRunIsTheSameHoweverSlowTheDiscIs)
{
    constexpr long kFrames = datagen::kSampleNewGameFrame + 1;
    const char* const delays[] = {"0", "20000", "3000"};  // microseconds a read
    std::string firstFrame, firstLog;
    for (const char* delay : delays) {
        SCOPED_TRACE(delay);
        const std::string png = m_dir + "/slow" + delay + ".png";
        setenv("QM_TEST_DISC_DELAY_US", delay, 1);
        const RunResult r = Run("", kFrames, "--capture " + png + " --input " + m_dir + "/input.txt");
        unsetenv("QM_TEST_DISC_DELAY_US");
        EXPECT_EQ(r.nExit, 0) << r.log;
        const std::string frame = FileBytes(png);
        ASSERT_FALSE(frame.empty());
        if (firstFrame.empty()) {
            firstFrame = frame;
            firstLog = r.log;
            continue;
        }
        EXPECT_TRUE(frame == firstFrame) << "the frame differs";
        EXPECT_EQ(r.log, firstLog);
    }
}

// The player runs east from the sample map's start (after a second at
// rest) through the middle region into the east one, where the gate's
// trigger loads the act's second map; its start places the player again.
// The last frame, of the second map, is written; nothing is logged as a
// problem. The guards, who would stop the player on the road, are left out.
TEST_F(qmMainTest, RunningIntoTheEastGateLoadsTheNextMap)
{
    ASSERT_TRUE(datagen::WriteSampleMapFiles(m_dir, false));
    const std::string input = m_dir + "/east.txt";
    std::ofstream(input) << "0 0 -\n60 0 - 0 72\n";
    const std::string png = m_dir + "/gate.png";
    const RunResult r = Run("/act 1 /map 1", 1000, "--input " + input + " --capture " + png);
    EXPECT_EQ(r.nExit, 0) << r.log;
    ExpectInOrder(Positions(r.log, {"Log: Ashgrove Road: the player sets out", "Log: Ashgrove Fields: the player sets out",
                                    "stop video"}));
    EXPECT_EQ(r.log.find("[Error"), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("[Warn"), std::string::npos) << r.log;
    std::ifstream in(png, std::ios::binary);
    char signature[4] = {};
    ASSERT_TRUE(in.read(signature, sizeof signature));
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

}  // namespace
