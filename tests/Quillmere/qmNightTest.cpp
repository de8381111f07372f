// Night on the sample's first map, run headless as a user runs it: once the
// nightfall timer has run (four seconds in) and its fog has closed in, the
// ground is darker than by day wherever the player is, in the regions
// streamed in later too.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "qmCapture.h"
#include "tempDir.h"

namespace {

// The mean grey (0-1) of the frame's lower band, where the road and the
// verges lie below the player; -1 when the frame does not read.
double GroundGrey(const std::string& png)
{
    const qmtest::Capture c = qmtest::ReadCapture(png);
    if (c.nWidth != 640 || c.nHeight != 480)
        return -1.0;
    double sum = 0.0;
    long n = 0;
    for (int y = 280; y < 480; ++y) {
        for (int x = 0; x < c.nWidth; ++x) {
            const auto p = c.At(x, y);
            sum += (p[0] + p[1] + p[2]) / (3.0 * 255.0);
            ++n;
        }
    }
    return sum / static_cast<double>(n);
}

class qmNightTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.Valid());
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir));
    }
    struct Run {
        std::string name, input;
        long nFrames;
    };
    // The ground's grey on the last frame of each run of map 1 with its
    // input; the runs go side by side.
    std::vector<double> Ground(const std::vector<Run>& runs) const
    {
        std::vector<FILE*> pipes;
        for (const Run& r : runs) {
            const std::string in = m_dir + "/" + r.name + ".txt", png = m_dir + "/" + r.name + ".png";
            std::ofstream(in) << r.input;
            const std::string cmd = std::string(QM_QUILLMERE) + " --data " + m_dir + " --headless --frames " +
                                    std::to_string(r.nFrames) + " --capture " + png + " --input " + in +
                                    " /act 1 /map 1 2>&1";
            pipes.push_back(popen(cmd.c_str(), "r"));
        }
        std::vector<double> greys;
        for (size_t i = 0; i < runs.size(); ++i) {
            std::string log;
            char buf[512];
            while (pipes[i] && fgets(buf, sizeof buf, pipes[i]))
                log += buf;
            const int status = pipes[i] ? pclose(pipes[i]) : -1;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
            EXPECT_EQ(log.find("[Error"), std::string::npos) << log;
            greys.push_back(GroundGrey(m_dir + "/" + runs[i].name + ".png"));
        }
        return greys;
    }

    TempDir m_tmp{"qm_night"};
    std::string m_dir = m_tmp.Path();
};

TEST_F(qmNightTest, NightDarkensTheGroundAtTheStartInTheMiddleAndInTheEast)
{
    const std::string runEast = "0 0 -\n60 0 - 0 72\n";
    const std::vector<Run> runs = {
        {"day", "0 0 -\n", 60},  // two seconds in, at the start
        {"start", "0 0 -\n", 500},
        {"middle", runEast, 380},
        {"east", runEast, 700},
    };
    const std::vector<double> grey = Ground(runs);
    ASSERT_EQ(grey.size(), runs.size());
    ASSERT_GT(grey[0], 0.3);
    for (size_t i = 1; i < runs.size(); ++i) {
        SCOPED_TRACE(runs[i].name);
        ASSERT_GT(grey[i], 0.0);
        // The fog alone, or darker walls on a ground lit as by day, leave
        // more than four fifths of the day's grey.
        EXPECT_LT(grey[i], 0.7 * grey[0]) << "day " << grey[0];
    }
}

}  // namespace
