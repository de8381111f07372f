// The sample's greeting cinematic, run headless as a user runs it with a
// captured frame and the sound output. The test data starts it at the map's
// start (the sample leaves it to a trigger the player walks into): while its
// line plays, the frame shows the subtitle in its colour across the foot of
// the screen and the sound holds the line's tone; afterwards neither. The
// sample as it stands plays neither in its first seconds.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "datagen/sampleCinematic.h"
#include "datagen/sampleWriters.h"
#include "qmWav.h"
#include "tempDir.h"

namespace {

using qmtest::Amplitude;
using qmtest::ReadWavLeft;

constexpr double kFrameSeconds = 1001.0 / 30000.0;

struct Image {
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

bool ReadPng(const std::string& path, Image* pOut)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    pOut->rgba.resize(PNG_IMAGE_SIZE(image));
    pOut->width = static_cast<int>(image.width);
    pOut->height = static_cast<int>(image.height);
    return png_image_finish_read(&image, nullptr, pOut->rgba.data(), 0, nullptr) != 0;
}

// Where the pixels of the subtitle's yellow are (red and green high, blue
// low: none of the sample's bricks, grass, stone, planks or sky): their
// count and bounds. Glyph edges are blended with what is behind them.
struct Found {
    int n = 0;
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
};

Found SubtitlePixels(const Image& image)
{
    static_assert(datagen::kSubtitleColor == 0xFFFFE020u, "the test looks for yellow");
    Found f;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (x < 320 && y < 240)
                continue;  // the HUD's health bar, the same yellow; the updraft's gold motes
            const uint8_t* p = image.At(x, y);
            if (p[0] <= 180 || p[1] <= 150 || p[2] >= 110 || std::abs(p[0] - p[1]) >= 60)
                continue;
            ++f.n;
            f.x0 = std::min(f.x0, x), f.x1 = std::max(f.x1, x);
            f.y0 = std::min(f.y0, y), f.y1 = std::max(f.y1, y);
        }
    }
    return f;
}

// When the line's tone sounds: the first and last 20 ms window where the
// tone stands well above its neighbours in pitch; -1 when it never does.
struct Tone {
    double start = -1, end = -1, peak = 0;
};

Tone FindTone(const std::vector<int16_t>& left, int rate)
{
    const int win = rate / 50;
    Tone t;
    for (size_t i = 0; i + win <= left.size(); i += win) {
        const double a = Amplitude(&left[i], win, datagen::kGreetingToneHz, rate);
        const double beside = std::max(Amplitude(&left[i], win, datagen::kGreetingToneHz * 0.75, rate),
                                       Amplitude(&left[i], win, datagen::kGreetingToneHz * 1.25, rate));
        if (a < 500.0 || a < 4.0 * beside)
            continue;
        const double at = static_cast<double>(i) / rate;
        if (t.start < 0)
            t.start = at;
        t.end = at + static_cast<double>(win) / rate;
        t.peak = std::max(t.peak, a);
    }
    return t;
}

class qmGreetingTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_tmp.Valid()); }

    // Runs the sample map for nFrames frames; the log, PNG and WAV land in
    // the temporary directory. False when the program failed.
    bool Run(long nFrames, std::string* pLog) const
    {
        const std::string cmd = std::string(QM_QUILLMERE) + " --data " + m_dir + " --headless --frames " +
                                std::to_string(nFrames) + " --capture " + Png() + " --audio-wav " + Wav() +
                                " /act 1 /map 1 2>&1";
        FILE* pipe = popen(cmd.c_str(), "r");
        if (!pipe)
            return false;
        char buf[512];
        while (fgets(buf, sizeof buf, pipe))
            *pLog += buf;
        const int status = pclose(pipe);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::string Png() const { return m_dir + "/frame.png"; }
    std::string Wav() const { return m_dir + "/sound.wav"; }

    TempDir m_tmp{"qm_greeting"};
    std::string m_dir = m_tmp.Path();
};

TEST_F(qmGreetingTest, SubtitleOnTheFrameAndToneInTheSoundWhileTheLinePlays)
{
    // The sound output starts as the map starts playing, after its load;
    // the cinematic's lead-in takes 30 frames, then the line sounds for
    // three seconds.
    constexpr double kLine = datagen::kGreetingLengthTicks / 600.0;
    struct Row {
        const char* why;
        bool bGreetingAtStart;
        long nFrames;
        bool bSubtitle;  // on the last frame
        bool bTone;      // anywhere in the sound
    };
    const Row rows[] = {
        {"four seconds in: the line plays", true, 120, true, true},
        {"eight seconds in: the line is over", true, 240, false, true},
        {"the sample as it stands: nobody reaches the trigger", false, 120, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir));
        ASSERT_TRUE(datagen::WriteSampleFlowFiles(m_dir, row.bGreetingAtStart));
        std::string log;
        ASSERT_TRUE(Run(row.nFrames, &log)) << log;
        EXPECT_EQ(log.find("[Error"), std::string::npos) << log;
        EXPECT_EQ(log.find("[Warning"), std::string::npos) << log;

        Image frame;
        ASSERT_TRUE(ReadPng(Png(), &frame));
        ASSERT_EQ(frame.width, 640);
        ASSERT_EQ(frame.height, 480);
        const Found f = SubtitlePixels(frame);
        if (row.bSubtitle) {
            // A line of glyphs centred across the lower part of the frame.
            EXPECT_GT(f.n, 500);
            EXPECT_NEAR((f.x0 + f.x1) / 2, 320, 24);
            EXPECT_GT(f.x1 - f.x0, 200) << "a line of text, not a dot";
            EXPECT_GT(f.y0, 330);
            EXPECT_LT(f.y1, 440) << "inside the title-safe frame";
            EXPECT_LT(f.y1 - f.y0, 30) << "one line";
        } else {
            EXPECT_LT(f.n, 10);
        }

        int rate = 0;
        const std::vector<int16_t> left = ReadWavLeft(Wav(), &rate);
        ASSERT_EQ(rate, 32000);
        const double runSeconds = static_cast<double>(left.size()) / rate;
        EXPECT_LT(runSeconds, row.nFrames * kFrameSeconds);
        const Tone t = FindTone(left, rate);
        if (!row.bTone) {
            EXPECT_LT(t.start, 0) << "a tone at " << t.start;
            continue;
        }
        ASSERT_GE(t.start, 0);
        EXPECT_NEAR(t.start, 30 * kFrameSeconds, 0.3) << "after the lead-in";
        if (row.bSubtitle) {
            EXPECT_NEAR(t.end, runSeconds, 0.05) << "still sounding at the captured frame";
        } else {
            EXPECT_NEAR(t.end - t.start, kLine, 0.06) << "the whole line";
            EXPECT_LT(t.end, runSeconds - 1.0);
        }
        // The line is written at 9000; the mix spreads the centred voice over both channels.
        EXPECT_GT(t.peak, 4500.0);
        EXPECT_LT(t.peak, 9000.0);
    }
}

}  // namespace
