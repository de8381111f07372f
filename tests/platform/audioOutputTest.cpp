#include "platform/ai.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audioTestUtil.h"
#include "tempDir.h"

namespace {

class AIOutputTest : public AudioLayerTest {};

uint32_t LE(const std::vector<uint8_t>& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint32_t>(b[at + static_cast<size_t>(i)]) << (8 * i);
    return v;
}

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_old;
        small.rlim_cur = limit;
        m_bSet = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool m_bSet = false;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// A file whose header cannot be written is refused at once; a write failing
// later stops the writing and makes the closing report it.
TEST_F(AIOutputTest, WavSinkReportsWriteFailures)
{
    const TempDir dir("qm_audio_sink");
    const std::string path = dir.File("full.wav");
    {
        FileSizeLimit none(0);
        ASSERT_TRUE(none.m_bSet);
        EXPECT_FALSE(AISetWavOutput(path.c_str()));
    }
    ASSERT_TRUE(AISetWavOutput(path.c_str()));
    BOOL bClosed;
    {
        FileSizeLimit oneFrame(44 + 640);
        ASSERT_TRUE(oneFrame.m_bSet);
        Run(3);
        bClosed = AISetWavOutput(nullptr);
    }
    EXPECT_FALSE(bClosed);
    EXPECT_TRUE(AISetWavOutput(path.c_str()));  // a new file starts clean
    EXPECT_TRUE(AISetWavOutput(nullptr));
}

TEST_F(AIOutputTest, WavSinkWritesEveryFrameWithAValidHeader)
{
    TempDir dir("qm_audio_sink");
    const std::string path = dir.File("qm_audio_sink.wav");
    std::vector<int16_t> samples(480);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(i * 37 - 9000);
    AXVPB* v = Pcm16Voice(Upload(Pcm16Bytes(samples)), 480, false);
    const AXPBMIX mix{AX_VOLUME_UNITY, AX_VOLUME_UNITY / 2, 0};
    AXSetVoiceMix(v, &mix);
    ASSERT_TRUE(AISetWavOutput(path.c_str()));
    const std::vector<int16_t> played = Run(3);
    ASSERT_TRUE(AISetWavOutput(nullptr));
    Run(1);  // not written: the file is closed

    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 44u + 3 * 640);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4) + std::string(bytes.begin() + 8, bytes.begin() + 16),
              "RIFFWAVEfmt ");
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    const uint32_t fields[][3] = {{4, 4, 36 + 1920}, {16, 4, 16}, {20, 2, 1}, {22, 2, 2}, {24, 4, 32000}, {28, 4, 128000},
                                  {32, 2, 4}, {34, 2, 16}, {40, 4, 1920}};
    for (const auto& f : fields)
        EXPECT_EQ(LE(bytes, f[0], static_cast<int>(f[1])), f[2]) << "at " << f[0];
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(static_cast<int16_t>(LE(bytes, 44 + 2 * i, 2)), played[i]) << i;
    EXPECT_EQ(played[0], -9000);
    EXPECT_EQ(played[1], -4500);
    std::remove(path.c_str());
}

TEST_F(AIOutputTest, HeadlessFramesFollowTheVirtualClock)
{
    OSSetVirtualClock(TRUE);
    const OSTime t0 = OSGetTime();
    const uint32_t f0 = AITestFrameCount();
    AITestSetManualFrames(FALSE);  // the timer thread takes over
    OSSleepTicks(20 * AX_FRAME_TICKS);
    const uint32_t frames = AITestFrameCount() - f0;
    const OSTime elapsed = OSGetTime() - t0;
    AITestSetManualFrames(TRUE);
    OSSleepTicks(2 * AX_FRAME_TICKS);
    const uint32_t afterStop = AITestFrameCount() - f0;
    OSSetVirtualClock(FALSE);
    EXPECT_EQ(elapsed, 20 * AX_FRAME_TICKS) << "the timer does not hold the clock back";
    EXPECT_GE(frames, 19u);
    EXPECT_LE(frames, 20u);
    EXPECT_LE(afterStop, 20u) << "a stopped timer runs no further frame";
}

}  // namespace
