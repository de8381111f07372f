// The program run headless on the sample data, as a user runs it: the order
// of start-up and shut-down, the exit codes and what the log says.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "tempDir.h"

namespace {

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

// The sample's main menu loads; its start event opens no dialog while the
// show-dialog action is not built, so the game ends there.
TEST_F(qmMainTest, StartsInOrderLeavesTheMainMenuAndStopsInReverse)
{
    const RunResult r = Run("");
    EXPECT_EQ(r.nExit, 0) << r.log;
    std::vector<std::string> all = kStart;
    all.push_back("the start events opened no dialog");
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
    EXPECT_EQ(r.nExit, 0) << r.log;
    EXPECT_NE(r.log.find("act 2, map 3"), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("no main menu"), std::string::npos);
}

// The game's pace: each frame is two retraces of game time (1001/30000 s),
// which the sound output's length shows. The frames a long run adds to a
// short one add that much sound (32 kHz stereo, 16-bit), to within one 5 ms
// sound frame; and the long run writes what it always has, so the time the
// loading takes is unchanged too. 600 frames pass the point where a frame
// hold counted from its own end would have drifted a full retrace.
TEST_F(qmMainTest, HeadlessFramesKeepTwoRetracesOfGameTime)
{
    constexpr long kShort = 60, kLong = 600;
    constexpr long kBytesPerSecond = 32000 * 4;
    constexpr long kSoundFrameBytes = kBytesPerSecond / 200;
    const long nShort = SoundBytes(kShort);
    const long nLong = SoundBytes(kLong);
    ASSERT_GT(nShort, 0);
    const double expected = static_cast<double>(kLong - kShort) * 1001.0 / 30000.0 * kBytesPerSecond;
    EXPECT_NEAR(static_cast<double>(nLong - nShort), expected, kSoundFrameBytes);
    EXPECT_EQ(nShort, 59520);
    EXPECT_EQ(nLong, 2366080);
}

// The player runs east from the sample map's start (after a second at
// rest) through the middle region into the east one, where the gate's
// trigger loads the act's second map; its start places the player again.
// The last frame, of the second map, is written; nothing is logged as a
// problem.
TEST_F(qmMainTest, RunningIntoTheEastGateLoadsTheNextMap)
{
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
