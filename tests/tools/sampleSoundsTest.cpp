// The sound effects the data writer makes: the synthesiser's tones, noise
// and envelopes, and the sample's banks, read back through the engine's own
// group reader into audio memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../test/audio_test.h"
#include "../test/os_test.h"
#include "platform/ai.h"
#include "platform/ar.h"
#include "platform/dvd.h"
#include "platform/os.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "datagen/sampleSounds.h"
#include "datagen/soundSynth.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSoundWaveData.h"
#include "tempDir.h"

namespace {

using datagen::SynthBuffer;

constexpr int kRate = 32000;

// The amplitude of the frequency over the samples (Goertzel).
double Amplitude(const std::vector<int16_t>& s, size_t from, size_t n, double hz)
{
    const double k = 2.0 * std::cos(2.0 * M_PI * hz / kRate);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < from + n && i < s.size(); ++i) {
        const double s0 = s[i] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 2.0 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) / static_cast<double>(n);
}

// The RMS of the second difference: how much of the signal is bright.
double Brightness(const std::vector<int16_t>& s)
{
    double sum = 0;
    for (size_t i = 2; i < s.size(); ++i) {
        const double d = double(s[i]) - 2.0 * s[i - 1] + s[i - 2];
        sum += d * d;
    }
    return std::sqrt(sum / static_cast<double>(s.size()));
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t n)
{
    double sum = 0;
    for (size_t i = from; i < from + n && i < s.size(); ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / static_cast<double>(n));
}

int Peak(const std::vector<int16_t>& s)
{
    int most = 0;
    for (int16_t v : s)
        most = std::max(most, std::abs(int(v)));
    return most;
}

TEST(SoundSynthTest, TonesGlideFromTheirFirstPitchToTheirLast)
{
    SynthBuffer b(0.5);
    b.AddTone(0.0, 0.5, 300.0, 1200.0, 1.0, 0.0, 0.0);
    const std::vector<int16_t> s = b.ToPcm(10000.0);
    ASSERT_EQ(s.size(), 16000u);
    EXPECT_EQ(Peak(s), 10000) << "scaled to the peak";
    const size_t w = 1600;  // 50 ms
    EXPECT_GT(Amplitude(s, 0, w, 300.0), 5.0 * Amplitude(s, 0, w, 1200.0)) << "low at the start";
    EXPECT_GT(Amplitude(s, s.size() - w - 200, w, 1200.0), 5.0 * Amplitude(s, s.size() - w - 200, w, 300.0))
        << "high at the end";
    // Half-way in time, the geometric mean of the two pitches.
    EXPECT_GT(Amplitude(s, 8000 - w / 2, w, 600.0), 3.0 * Amplitude(s, 8000 - w / 2, w, 300.0));
}

// Every sound starts and ends at 0 (a 1 ms fade), so none clicks.
TEST(SoundSynthTest, EnvelopesShapeTheLevelAndTheEndsAreSilent)
{
    struct Row {
        const char* what;
        double attack, decay;
        bool bFallsBy90;   // the last tenth under a tenth of the first
        bool bRisesSlowly;  // the first 5 ms quieter than the next 5
    };
    const Row rows[] = {
        {"held", 0.0, 0.0, false, false},
        {"decaying", 0.0, 0.02, true, false},
        {"slow attack", 0.05, 0.0, false, true},
    };
    for (const Row& r : rows) {
        SynthBuffer b(0.2);
        b.AddTone(0.0, 0.2, 1000.0, 1000.0, 1.0, r.attack, r.decay);
        const std::vector<int16_t> s = b.ToPcm(8000.0);
        EXPECT_EQ(s.front(), 0) << r.what;
        EXPECT_EQ(s.back(), 0) << r.what;
        EXPECT_LE(std::abs(int(s[8])), 8000 * 8 / 32) << r.what << ": fading in over 1 ms (32 samples)";
        if (r.attack == 0.0) {
            EXPECT_GT(std::abs(int(s[8])), 8000 * 7 / 32) << r.what;
        }
        const double first = Rms(s, 160, 640), last = Rms(s, 5600, 640);
        EXPECT_EQ(last < 0.1 * first, r.bFallsBy90) << r.what;
        EXPECT_EQ(Rms(s, 32, 160) < 0.5 * Rms(s, 1600, 160), r.bRisesSlowly) << r.what;
    }
}

// A held tone keeps its level to 5 ms before its end, then falls to 0 at
// its end; a tone or noise that would run past the buffer stops at its end.
TEST(SoundSynthTest, HeldLevelsReleaseOver5MsAndStopAtTheBuffersEnd)
{
    SynthBuffer b(0.2);
    b.AddTone(0.0, 0.1, 1000.0, 1000.0, 1.0, 0.0, 0.0);
    b.AddNoise(0.1, 0.1, 4000.0, 0.0, 0.5, 0.0, 0.0, 3);
    b.AddNoise(0.19, 0.5, 4000.0, 0.0, 0.5, 0.0, 0.0, 4);  // past the end
    b.AddTone(0.19, 0.5, 1000.0, 1000.0, 0.5, 0.0, 0.0);
    b.AddSwish(0.19, 0.5, 300.0, 3000.0, 0.5, 5);
    EXPECT_EQ(b.Samples().size(), 6400u);
    const std::vector<int16_t> s = b.ToPcm(10000.0);
    const double middle = Rms(s, 1600, 320);
    EXPECT_GT(Rms(s, 3200 - 192, 32), 0.9 * middle) << "full until 5 ms before the end";
    EXPECT_LT(Rms(s, 3200 - 32, 32), 0.25 * middle) << "all but gone in its last millisecond";
    SynthBuffer lone(0.2);
    lone.AddTone(0.0, 0.1, 1000.0, 1000.0, 1.0, 0.0, 0.0);
    const std::vector<int16_t> t = lone.ToPcm(10000.0);
    EXPECT_LT(Rms(t, 3200, 3200), 1.0) << "nothing after its end";
}

TEST(SoundSynthTest, NoiseIsTheSeedsOwnAndItsCutoffDullsIt)
{
    auto noise = [](double cutoff, double highPass, uint32_t seed) {
        SynthBuffer b(0.1);
        b.AddNoise(0.0, 0.1, cutoff, highPass, 1.0, 0.0, 0.0, seed);
        return b.ToPcm(10000.0);
    };
    EXPECT_EQ(noise(4000.0, 0.0, 5), noise(4000.0, 0.0, 5));
    EXPECT_NE(noise(4000.0, 0.0, 5), noise(4000.0, 0.0, 6));
    EXPECT_EQ(noise(4000.0, 0.0, 0), noise(4000.0, 0.0, 1)) << "seed 0 counts as 1";
    EXPECT_GT(Brightness(noise(8000.0, 0.0, 5)), 3.0 * Brightness(noise(500.0, 0.0, 5)));
    // White noise centred on 0: no DC beneath it.
    const std::vector<int16_t> wide = noise(16000.0, 0.0, 7);
    double mean = 0;
    for (int16_t v : wide)
        mean += v;
    mean /= static_cast<double>(wide.size());
    EXPECT_LT(std::fabs(mean), 0.05 * Rms(wide, 0, wide.size()));
    // A high-pass takes the low hum out: less at 100 Hz than without it.
    const std::vector<int16_t> low = noise(500.0, 0.0, 9), band = noise(500.0, 300.0, 9);
    EXPECT_LT(Amplitude(band, 0, 3200, 60.0), 0.5 * Amplitude(low, 0, 3200, 60.0));
}

TEST(SoundSynthTest, ASwishSwellsAndFadesAndMixesAdd)
{
    SynthBuffer b(0.4);
    b.AddSwish(0.0, 0.4, 300.0, 6000.0, 1.0, 3);
    const std::vector<int16_t> s = b.ToPcm(10000.0);
    EXPECT_GT(Rms(s, 6000, 800), 3.0 * Rms(s, 0, 400)) << "swells";
    EXPECT_GT(Rms(s, 6000, 800), 3.0 * Rms(s, s.size() - 400, 400)) << "and fades";
    // Two tones a second apart from `at` on: the second starts at its time.
    SynthBuffer two(0.3);
    two.AddTone(0.0, 0.1, 500.0, 500.0, 1.0, 0.0, 0.0);
    two.AddTone(0.2, 0.1, 500.0, 500.0, 1.0, 0.0, 0.0);
    const std::vector<int16_t> t = two.ToPcm(1000.0);
    EXPECT_LT(Rms(t, 3400, 2800), 1.0) << "silent between them";
    EXPECT_GT(Rms(t, 6600, 2800), 500.0);
    EXPECT_TRUE(SynthBuffer(0.1).ToPcm(1000.0) == std::vector<int16_t>(3200, 0)) << "silence stays silent";
}

void StartAudio()
{
    static TempDir s_settings("qm_sampleSounds");
    if (!ARCheckInit()) {
        OSTestSetSettingsDir(s_settings.c_str());
        AITestSetManualFrames(TRUE);
        ASSERT_TRUE(eAudioPlatform::Initialize());
    }
}

// Each bank's sounds take its slots from the bank's first on, one after
// another; each handle names its slot with check 0x5000 + slot.
TEST(SampleSoundsTest, EachBankFillsItsSlotsInOrder)
{
    using datagen::SampleSoundBank;
    const std::pair<SampleSoundBank, int> firsts[] = {{SampleSoundBank::kGame, 20},
                                                      {SampleSoundBank::kMenu, 250},
                                                      {SampleSoundBank::kBiped, 500},
                                                      {SampleSoundBank::kFlyer, 500},
                                                      {SampleSoundBank::kMap, 250}};
    std::set<std::string> names;
    for (const auto& [bank, first] : firsts) {
        std::vector<int> slots;
        for (int i = 0; i < datagen::kSampleSoundCount; ++i) {
            const auto sound = static_cast<datagen::SampleSound>(i);
            const datagen::SampleSoundInfo& info = datagen::GetSampleSoundInfo(sound);
            if (info.bank != bank)
                continue;
            slots.push_back(info.slot);
            EXPECT_EQ(datagen::SampleSoundHandle(sound), uint32_t(info.slot) | uint32_t(0x5000 + info.slot) << 16);
            EXPECT_LT(std::string(info.name).size(), 20u);
            names.insert(info.name);
        }
        ASSERT_FALSE(slots.empty()) << "no bank is empty";
        std::sort(slots.begin(), slots.end());
        for (size_t k = 0; k < slots.size(); ++k)
            EXPECT_EQ(slots[k], first + static_cast<int>(k)) << "the bank's slots without a gap";
    }
    EXPECT_EQ(names.size(), size_t(datagen::kSampleSoundCount)) << "every name its own";
}

// Every sound is short, loud enough to hear and never clipped, and starts
// and ends at 0.
TEST(SampleSoundsTest, EverySoundIsShortAndUnclipped)
{
    for (int i = 0; i < datagen::kSampleSoundCount; ++i) {
        const std::vector<int16_t> s = datagen::MakeSampleSound(static_cast<datagen::SampleSound>(i));
        const char* name = datagen::GetSampleSoundInfo(static_cast<datagen::SampleSound>(i)).name;
        ASSERT_FALSE(s.empty()) << name;
        EXPECT_LE(s.size(), size_t(kRate) * 3 / 2) << name;
        EXPECT_GE(Peak(s), 9000) << name;
        EXPECT_LE(Peak(s), 13000) << name;
        EXPECT_EQ(s.front(), 0) << name;
        EXPECT_EQ(s.back(), 0) << name;
    }
    EXPECT_TRUE(datagen::MakeSampleSound(datagen::kSampleSoundCount).empty());
}

// The banks as the game loads them: the group's block read by the group's
// own reader into the slots, each sound's samples in audio memory, its
// length the samples' at 32 kHz in ticks rounded up.
TEST(SampleSoundsTest, TheBanksLoadIntoTheirSlots)
{
    StartAudio();
    TempDir dir("qm_sampleBanks");
    DVDSetDataDirectory(dir.c_str());  // the banks' console paths are the folder's files
    using datagen::SampleSoundBank;
    for (SampleSoundBank bank : {SampleSoundBank::kGame, SampleSoundBank::kMenu, SampleSoundBank::kBiped,
                                 SampleSoundBank::kFlyer, SampleSoundBank::kMap}) {
        const std::string name = "/bank" + std::to_string(int(bank)) + ".snd";
        ASSERT_TRUE(datagen::WriteSampleSoundBank(dir.Path() + name, bank));
        cMemPool pool("sampleSoundsTest", 0x100000, false);
        eSoundDataGroup* pGroup = pool.New<eSoundDataGroup>();
        ASSERT_NE(pGroup, nullptr);
        cFile file;
        ASSERT_TRUE(file.Open(name.c_str()));
        ASSERT_TRUE(file.ReadObject(*pGroup, &pool));
        file.Close();
        for (int i = 0; i < datagen::kSampleSoundCount; ++i) {
            const auto sound = static_cast<datagen::SampleSound>(i);
            const datagen::SampleSoundInfo& info = datagen::GetSampleSoundInfo(sound);
            if (info.bank != bank)
                continue;
            const eSoundData* p = eSoundDataMgr::GetPtr(eSoundDataHandle(datagen::SampleSoundHandle(sound)));
            ASSERT_NE(p, nullptr) << info.name;
            EXPECT_STREQ(p->m_name.m_sData, info.name);
            EXPECT_FALSE(p->m_bLooping) << info.name;
            const int64_t n = static_cast<int64_t>(datagen::MakeSampleSound(sound).size());
            EXPECT_EQ(p->m_length, (n * 600 + kRate - 1) / kRate) << info.name;
            ASSERT_NE(p->m_pWaveData, nullptr) << info.name;
            EXPECT_TRUE(p->m_pWaveData->HoldsMemory()) << info.name;
        }
        std::destroy_at(pGroup);
    }
}

}  // namespace

// A fall is one sound to the ear: after its first 40 ms, no 20 ms block is
// half as loud again as the block before it (the thump on the ground, 0.6 s
// into the old sound, was heard as a second one).
TEST(SampleSoundsTest, AFallStartsOnce)
{
    for (datagen::SampleSound sound : {datagen::kSoundGuardFelled, datagen::kSoundPlayerFelled}) {
        const std::vector<int16_t> pcm = datagen::MakeSampleSound(sound);
        std::vector<double> rms;
        for (size_t at = 0; at + 640 <= pcm.size(); at += 640) {
            double sum = 0;
            for (size_t i = at; i < at + 640; ++i)
                sum += double(pcm[i]) * pcm[i];
            rms.push_back(std::sqrt(sum / 640.0));
        }
        ASSERT_GT(rms.size(), 20u);
        for (size_t k = 2; k < rms.size(); ++k)
            EXPECT_LE(rms[k], 1.5 * rms[k - 1] + 50.0) << datagen::GetSampleSoundInfo(sound).name << " block " << k;
    }
}
