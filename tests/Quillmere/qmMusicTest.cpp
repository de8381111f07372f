// The sample's maps as a player hears them: each of the act's three maps,
// run headless with its sound written out, plays its own music, so that
// the change of map is heard.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "datagen/sampleWriters.h"
#include "qmWav.h"
#include "tempDir.h"

namespace {

using qmtest::Amplitude;
using qmtest::ReadWavLeft;

// The strongest of the sample's music pitches in each quarter second (one
// note of a tune) from the first second on, once the map plays.
std::vector<double> Pitches(const std::vector<int16_t>& left)
{
    std::vector<double> candidates;
    for (const double* tune : {datagen::kSampleMenuTuneHz, datagen::kSampleRoadTuneHz, datagen::kSampleFieldsTuneHz,
                               datagen::kSampleSkiesTuneHz})
        candidates.insert(candidates.end(), tune, tune + 4);
    const int win = datagen::kSampleTuneNoteSamples;
    std::vector<double> pitches;
    for (size_t at = 32000; at + win <= left.size(); at += win) {
        double best = 0, bestAmp = 0;
        for (double hz : candidates) {
            const double a = Amplitude(&left[at], win, hz, 32000);
            if (a > bestAmp) {
                best = hz;
                bestAmp = a;
            }
        }
        pitches.push_back(bestAmp > 2000.0 ? best : 0.0);
    }
    return pitches;
}

TEST(qmMusicTest, EachMapSoundsItsOwnMusic)
{
    TempDir tmp("qm_music");
    ASSERT_TRUE(tmp.Valid());
    const std::string dir = tmp.Path();
    ASSERT_TRUE(datagen::WriteSampleGame(dir));
    // The three maps side by side, five seconds each.
    std::vector<FILE*> pipes;
    for (int nMap = 1; nMap <= 3; ++nMap) {
        const std::string cmd = std::string(QM_QUILLMERE) + " --data " + dir + " --headless --frames 150 --audio-wav " +
                                dir + "/map" + std::to_string(nMap) + ".wav /act 1 /map " + std::to_string(nMap) +
                                " 2>&1";
        pipes.push_back(popen(cmd.c_str(), "r"));
    }
    const std::set<double> road(std::begin(datagen::kSampleRoadTuneHz), std::end(datagen::kSampleRoadTuneHz));
    const std::set<double> fields(std::begin(datagen::kSampleFieldsTuneHz), std::end(datagen::kSampleFieldsTuneHz));
    const std::set<double> skies(std::begin(datagen::kSampleSkiesTuneHz), std::end(datagen::kSampleSkiesTuneHz));
    const std::set<double>* const expected[3] = {&road, &fields, &skies};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("map " + std::to_string(i + 1));
        std::string log;
        char buf[512];
        while (pipes[i] && fgets(buf, sizeof buf, pipes[i]))
            log += buf;
        const int status = pipes[i] ? pclose(pipes[i]) : -1;
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
        const std::vector<double> heard = Pitches(ReadWavLeft(dir + "/map" + std::to_string(i + 1) + ".wav"));
        ASSERT_GE(heard.size(), 8u) << "two seconds of music";
        std::set<double> notes(heard.begin(), heard.end());
        EXPECT_EQ(notes, *expected[i]) << "every quarter second one of its own notes, all of them heard";
    }
}

}  // namespace
