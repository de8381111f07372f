#include "eEngine/eMovie.h"

#include <fstream>

#include "platform/dvd.h"
#include "platform/ps.h"
#include "platform/vi.h"
#include "../test/audio_test.h"
#include "../test/dvd_test.h"
#include "datagen/thpWriter.h"
#include "eEngine/eAudio.h"
#include "eEngine/eAudioPlatform.h"
#include "Utilities/THP/THP.h"
#include "eVideoTestUtil.h"

namespace {

constexpr uint32_t kWidth = 160, kHeight = 120;
constexpr const char* kMoviePath = "/Game/Movies/Test_eng.mov";

struct Rgb { uint8_t r, g, b; };
const Rgb kPalette[4] = {{230, 20, 20}, {20, 200, 40}, {30, 40, 220}, {240, 240, 240}};

Rgb QuadrantColour(int frame, int quadrant) { return kPalette[(quadrant + frame) % 4]; }

std::vector<uint8_t> Frame(int k, uint32_t w, uint32_t h)
{
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(w) * h * 3);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const Rgb c = QuadrantColour(k, (y >= h / 2) * 2 + (x >= w / 2));
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    }
    return rgb;
}

uint8_t* Aligned32(std::vector<uint8_t>* pBuffer)
{
    return reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(pBuffer->data()) + 31) & ~uintptr_t(31));
}

double Rms(const int16_t* samples, size_t count, size_t stride)
{
    double sum = 0.0;
    for (size_t i = 0; i < count; i += stride)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(count / stride));
}

datagen::ThpMovie MakeMovie(int frames, bool bAudio, uint32_t w = kWidth, uint32_t h = kHeight)
{
    datagen::ThpMovie movie;
    movie.width = w, movie.height = h;
    for (int k = 0; k < frames; ++k)
        movie.framesRgb.push_back(Frame(k, w, h));
    if (bAudio) {
        movie.audioChannels = 2;
        const size_t n = static_cast<size_t>(frames / movie.fFrameRate * 32000) + 32;
        std::vector<int16_t> tone(2 * n);
        for (size_t i = 0; i < n; ++i)
            tone[2 * i] = tone[2 * i + 1] = int16_t(std::lround(8000.0 * std::sin(M_PI * 880.0 * i / 32000)));
        movie.audioTracks.push_back(tone);
    }
    return movie;
}

class eMovieTest : public VideoTest {
protected:
    void SetUp() override
    {
        VideoTest::SetUp();
        static const bool s_bAudio = [] {
            AITestSetManualFrames(TRUE);
            return eAudioPlatform::Initialize();
        }();
        ASSERT_TRUE(s_bAudio);
        AITestSetManualFrames(TRUE);
        ASSERT_TRUE(m_tmp.Valid());
        std::filesystem::create_directories(m_dir + "/Game/Movies");
        DVDSetDataDirectory(m_dir.c_str());
        for (int f = 0; f < eAudio::kNumGroupFaders; ++f)
            eAudio::SetGroupVolume(eAudio::ACG_BGM, f, 1.0f);
    }
    void TearDown() override
    {
        eMovie::Close();
        DVDTestHoldDrive(false);
        AISetWavOutput(nullptr);
        VideoTest::TearDown();
    }
    void WriteMovie(const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(m_dir + "/Game/Movies/Test_eng.mov", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    int PlayToEnd(int maxUpdates = 200)
    {
        int n = 0;
        while (n < maxUpdates) {
            ++n;
            DVDTestWaitIdle();  // the read-ahead keeps up, as a real drive would
            const bool bMore = eMovie::Update();
            AITestRunFrames(7, nullptr);  // 35 ms of audio for a 33 ms frame
            if (!bMore)
                break;
        }
        return n;
    }
    TempDir m_tmp{"qm_movie"};
    std::string m_dir = m_tmp.Path();
};

class eMoviePlayTest : public eMovieTest {
protected:
    void SetUp() override
    {
        eMovieTest::SetUp();
        if (!HasFatalFailure() && !StartVideoOnce().bHaveGL)
            GTEST_SKIP() << "no OpenGL 3.3 context";
    }
};

TEST_F(eMoviePlayTest, ThirtyFramesPlayWithTheirPictures)
{
    WriteMovie(datagen::MakeThpFile(MakeMovie(30, true)));
    ASSERT_TRUE(eMovie::Open(kMoviePath));

    std::vector<uint8_t> shown;
    int w = 0, h = 0;
    int updates = 0;
    bool bMore = true;
    while (bMore && updates < 100) {
        ++updates;
        bMore = eMovie::Update();
        AITestRunFrames(7, nullptr);
        if (eMovie::s_nCurrentFrame == 15 && shown.empty()) {
            VIWaitForRetrace();  // show what was just copied out
            ASSERT_TRUE(GXTestReadPresented(&shown, &w, &h));
        }
    }
    EXPECT_EQ(eMovie::s_nCurrentFrame, 29);
    EXPECT_GE(updates, 30);
    EXPECT_LE(updates, 35);  // a read late by a retrace or two at most
    eMovie::Close();

    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    const int probes[4][2] = {{40, 30}, {120, 30}, {40, 90}, {120, 90}};
    for (int q = 0; q < 4; ++q) {
        SCOPED_TRACE(q);
        const uint8_t* p = &shown[(static_cast<size_t>(probes[q][1]) * w + probes[q][0]) * 4];
        const Rgb want = QuadrantColour(15, q);
        EXPECT_NEAR(p[0], want.r, 14);
        EXPECT_NEAR(p[1], want.g, 14);
        EXPECT_NEAR(p[2], want.b, 14);
    }
    const uint8_t* outside = &shown[(static_cast<size_t>(300) * w + 400) * 4];
    EXPECT_LT(outside[0] + outside[1] + outside[2], 30);  // only the movie's own size is drawn
}

TEST_F(eMoviePlayTest, MovieWithoutAudioShowsAFrameEveryTwoRetraces)
{
    WriteMovie(datagen::MakeThpFile(MakeMovie(4, false, 32, 16)));
    ASSERT_TRUE(eMovie::Open(kMoviePath));
    EXPECT_EQ(eMovie::s_nCurrentFrame, -1);  // whatever the movie before showed
    for (int k = 0; k < 4; ++k) {
        DVDTestWaitIdle();
        const uint32_t retraces = VIGetRetraceCount();
        EXPECT_EQ(eMovie::Update(), k < 3) << k;
        EXPECT_EQ(VIGetRetraceCount() - retraces, 2u) << k;
        EXPECT_EQ(eMovie::s_nCurrentFrame, k);
    }
}

TEST_F(eMoviePlayTest, AudioStillPlayingHoldsTheNextFrame)
{
    WriteMovie(datagen::MakeThpFile(MakeMovie(6, true, 32, 16)));
    ASSERT_TRUE(eMovie::Open(kMoviePath));
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(eMovie::Update()) << k;
    EXPECT_EQ(eMovie::s_nCurrentFrame, 2);
    EXPECT_EQ(eMovie::s_nStalledRetraces, 1);
    AITestRunFrames(7, nullptr);
    EXPECT_TRUE(eMovie::Update());
    EXPECT_EQ(eMovie::s_nCurrentFrame, 3);
    EXPECT_EQ(eMovie::s_nStalledRetraces, 0);
}

TEST_F(eMovieTest, FilesThatAreNotPlayableDoNotOpen)
{
    const std::vector<uint8_t> good = datagen::MakeThpFile(MakeMovie(3, true, 32, 16));
    const uint32_t table = ps::LoadU32BE(&good[0x20]);  // the audio information starts at table + 32
    const struct { const char* name; size_t offset; uint32_t value; } rows[] = {
        {"magic", 0, 0x54485000 ^ 0x01000000}, {"version 1.0", 4, 0x00010000}, {"seventeen components", table, 17},
        {"a component of an unknown kind", table + 4, 0x02FFFFFF},
        {"first frame larger than the largest", 0x18, 0x100000},
        {"largest frame larger than the file", 0x08, 0xFFFFFFF0},
        {"largest frame wrapping the buffer sums (found by fuzzing)", 0x08, 0x80000340},
        {"more frames than the file holds", 0x14, 0x7FFFFFFF},
        {"picture wider than the drawing's sizes", table + 20, 0x8000},
        {"picture taller than the drawing's sizes", table + 24, 0x10000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> bad = good;
        ps::StoreU32BE(&bad[row.offset], row.value);
        WriteMovie(bad);
        EXPECT_FALSE(eMovie::Open(kMoviePath));
        eMovie::Close();
    }
    EXPECT_FALSE(eMovie::Open("/Game/Movies/None_eng.mov"));
    eMovie::Close();
    WriteMovie(good);  // the player is free again after each failure
    EXPECT_TRUE(eMovie::Open(kMoviePath));
}

TEST_F(eMovieTest, AudioSamplesAFrameCannotHoldAreRefused)
{
    std::vector<uint8_t> bytes = datagen::MakeThpFile(MakeMovie(3, true, 32, 16));
    ASSERT_TRUE(THPSimpleInit(FALSE, nullptr));
    for (uint32_t samples : {0x40000001u, 2 * ps::LoadU32BE(&bytes[0x08]) + 1}) {
        ps::StoreU32BE(&bytes[0x0C], samples);
        WriteMovie(bytes);
        EXPECT_FALSE(THPSimpleOpen(kMoviePath)) << samples;
    }
    ps::StoreU32BE(&bytes[0x0C], 2 * ps::LoadU32BE(&bytes[0x08]));
    WriteMovie(bytes);
    EXPECT_TRUE(THPSimpleOpen(kMoviePath));
    EXPECT_TRUE(THPSimpleClose());
    THPSimpleQuit();
}

TEST_F(eMovieTest, OddButSafeMoviesOpen)
{
    const std::vector<uint8_t> good = datagen::MakeThpFile(MakeMovie(3, false, 32, 16));
    const uint32_t table = ps::LoadU32BE(&good[0x20]);
    const struct { const char* name; size_t offset; uint32_t value; } rows[] = {
        {"no frames", 0x14, 0}, {"picture width not tiled", table + 20, 40},
        {"picture height not tiled", table + 24, 12}, {"picture over 1024 wide", table + 20, 1040},
        {"a second video component", table + 4, 0x0000FFFF},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> odd = good;
        ps::StoreU32BE(&odd[row.offset], row.value);
        if (row.offset == table + 4)
            ps::StoreU32BE(&odd[table], 2);
        WriteMovie(odd);
        EXPECT_TRUE(eMovie::Open(kMoviePath));
        eMovie::Close();
    }
    std::vector<uint8_t> empty = good;
    ps::StoreU32BE(&empty[0x14], 0);
    WriteMovie(empty);
    ASSERT_TRUE(THPSimpleInit(FALSE, nullptr));
    ASSERT_TRUE(THPSimpleOpen(kMoviePath));
    std::vector<uint8_t> buffer(THPSimpleCalcNeedMemory() + 32);
    ASSERT_TRUE(THPSimpleSetBuffer(Aligned32(&buffer)));
    EXPECT_TRUE(THPSimplePreLoad(TRUE));  // a looping movie without frames reads none
    EXPECT_EQ(THPSimpleDecode(0), THP_DECODE_NOT_READ);
    EXPECT_TRUE(THPSimpleLoadStop());
    EXPECT_TRUE(THPSimpleClose());
    THPSimpleQuit();
}

TEST_F(eMovieTest, PreloadReadsAtMostTenFrames)
{
    for (int frames : {5, 200}) {
        SCOPED_TRACE(frames);
        WriteMovie(datagen::MakeThpFile(MakeMovie(frames, false, 16, 8)));
        DVDTestResetReadCount();
        ASSERT_TRUE(THPSimpleInit(FALSE, nullptr));
        ASSERT_TRUE(THPSimpleOpen(kMoviePath));
        std::vector<uint8_t> buffer(THPSimpleCalcNeedMemory() + 32);
        ASSERT_TRUE(THPSimpleSetBuffer(Aligned32(&buffer)));
        ASSERT_TRUE(THPSimplePreLoad(FALSE));
        EXPECT_EQ(DVDTestGetReadCount(), 2u + std::min(frames, 10));  // header, components, frames
        EXPECT_EQ(THPSimpleGetTotalFrame(), static_cast<uint32_t>(frames));
        EXPECT_FALSE(THPSimpleClose());
        EXPECT_TRUE(THPSimpleLoadStop());
        EXPECT_TRUE(THPSimpleClose());
        THPSimpleQuit();
    }
}

TEST_F(eMoviePlayTest, ASlowDiscDelaysTheMovieInsteadOfEndingIt)
{
    WriteMovie(datagen::MakeThpFile(MakeMovie(12, true, 32, 16)));
    ASSERT_TRUE(eMovie::Open(kMoviePath));
    DVDTestHoldDrive(true);
    for (int k = 0; k < 10; ++k) {
        ASSERT_TRUE(eMovie::Update());
        AITestRunFrames(7, nullptr);
    }
    EXPECT_EQ(eMovie::s_nCurrentFrame, 9);
    for (int k = 0; k < 5; ++k)
        EXPECT_TRUE(eMovie::Update());  // frame 10 is not read yet
    EXPECT_EQ(eMovie::s_nCurrentFrame, 9);
    EXPECT_EQ(eMovie::s_nStalledRetraces, 5);
    DVDTestHoldDrive(false);
    PlayToEnd();
    EXPECT_EQ(eMovie::s_nCurrentFrame, 11);
    EXPECT_EQ(eMovie::s_nStalledRetraces, 0);

    eMovie::Close();
    ASSERT_TRUE(eMovie::Open(kMoviePath));
    DVDTestHoldDrive(true);
    int updates = 0;
    while (eMovie::Update() && updates < 1000) {
        ++updates;
        AITestRunFrames(7, nullptr);
    }
    EXPECT_EQ(updates, 10 + eMovie::kMaxStallRetraces);  // the preloaded frames, then the wait
}

TEST_F(eMoviePlayTest, AFrameLargerThanTheLargestStopsTheMovie)
{
    std::vector<uint8_t> bytes = datagen::MakeThpFile(MakeMovie(14, false, 32, 16));
    uint32_t at = ps::LoadU32BE(&bytes[0x28]);
    uint32_t size = ps::LoadU32BE(&bytes[0x18]);
    for (int k = 0; k < 11; ++k) {
        const uint32_t next = ps::LoadU32BE(&bytes[at]);
        at += size;
        size = next;
    }
    ps::StoreU32BE(&bytes[at], 0x7FFFFFF0);
    WriteMovie(bytes);
    ASSERT_TRUE(eMovie::Open(kMoviePath));
    EXPECT_EQ(PlayToEnd(), 13);  // frames 0 to 11, then the refusal
    EXPECT_EQ(eMovie::s_nCurrentFrame, 11);
}

TEST_F(eMoviePlayTest, MovieAudioPlaysAtTheMusicVolume)
{
    WriteMovie(datagen::MakeThpFile(MakeMovie(3, true, 32, 16)));
    double rms[2] = {};
    const float faders[2] = {1.0f, 0.5f};  // volume 127, then 63
    for (int i = 0; i < 2; ++i) {
        eAudio::SetGroupVolume(eAudio::ACG_BGM, 1, faders[i]);
        ASSERT_TRUE(eMovie::Open(kMoviePath));
        EXPECT_EQ(THPSimpleGetVolume(), i == 0 ? 127 : 63);
        ASSERT_TRUE(eMovie::Update());
        std::vector<int16_t> out(6 * 320);
        AITestRunFrames(6, out.data());
        rms[i] = Rms(out.data(), out.size(), 1);
        eMovie::Close();
    }
    ASSERT_GT(rms[0], 3000.0);
    EXPECT_NEAR(rms[1] / rms[0], 8063.0 / 32768.0, 0.01);
}

TEST_F(eMovieTest, DecodeRefusesAnUnknownTrackAndABusyAudioBuffer)
{
    WriteMovie(datagen::MakeThpFile(MakeMovie(6, true, 16, 8)));
    ASSERT_TRUE(eMovie::Open(kMoviePath));
    THPAudioInfo audio;
    ASSERT_TRUE(THPSimpleGetAudioInfo(&audio));
    EXPECT_EQ(audio.sndChannels, 2u);
    EXPECT_EQ(audio.sndFrequency, 32000u);
    EXPECT_EQ(audio.sndNumTracks, 1u);
    EXPECT_EQ(THPSimpleDecode(1), THP_DECODE_BAD_TRACK);  // one track
    EXPECT_EQ(THPSimpleDecode(-1), THP_DECODE_BAD_TRACK);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(THPSimpleDecode(0), THP_DECODE_OK) << k;
    EXPECT_EQ(THPSimpleDecode(0), THP_DECODE_AUDIO_BUSY);
    AITestRunFrames(7, nullptr);  // plays the first buffer out
    EXPECT_EQ(THPSimpleDecode(0), THP_DECODE_OK);
}

TEST_F(eMovieTest, VolumeRampsOverItsTime)
{
    WriteMovie(datagen::MakeThpFile(MakeMovie(3, true, 16, 8)));
    ASSERT_TRUE(eMovie::Open(kMoviePath));
    ASSERT_EQ(THPSimpleDecode(0), THP_DECODE_OK);
    ASSERT_TRUE(THPSimpleSetVolume(0, 10));  // over 320 samples
    AITestRunFrames(1, nullptr);              // 160 of them
    EXPECT_EQ(THPSimpleGetVolume(), 63);      // 127 - 160 x 127 / 320, truncated
    AITestRunFrames(2, nullptr);
    EXPECT_EQ(THPSimpleGetVolume(), 0);
}

TEST(THPVolumeTable, SquareLawGains)
{
    for (int i = 0; i < 128; ++i)  // 32768 x (i / 127)^2, truncated: 0, 2, 8, ... 8063 at 63 ... 32768
        EXPECT_EQ(THPVolumeTable[i], 32768 * i * i / (127 * 127)) << i;
}

}  // namespace
