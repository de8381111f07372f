// The program run headless on the sample data, as a user runs it: the order
// of start-up and shut-down, the exit codes and what the log says.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
    RunResult Run(const std::string& gameArgs) const
    {
        const std::string cmd = std::string(QM_QUILLMERE) + " --data " + m_dir + " --headless --frames 60 " +
                                gameArgs + " 2>&1";
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

}  // namespace
