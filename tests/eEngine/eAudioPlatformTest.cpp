// The console half: start-up, and a data-generated tone loaded as sound data
// and played by the mixer into the WAV sink, measured in the written file.
#include "eEngine/eAudioPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "datagen/soundWriters.h"
#include "eAudioTestUtil.h"
#include "worldTestSupport.h"

namespace {

constexpr double kToneHz = 1000.0;
constexpr double kAmplitude = 16000.0;
constexpr int kFrames = 100;  // half a second

struct Played {
    std::vector<int16_t> left, right;
};

double Rms(const std::vector<int16_t>& s)
{
    double sum = 0;
    for (int16_t v : s)
        sum += double(v) * v;
    return std::sqrt(sum / static_cast<double>(s.size()));
}

int ZeroCrossings(const std::vector<int16_t>& s)
{
    int n = 0;
    for (size_t i = 1; i < s.size(); ++i)
        n += (s[i - 1] < 0) != (s[i] < 0);
    return n;
}

double Db(double ratio) { return 20.0 * std::log10(ratio); }

class eAudioPlatformTest : public eAudioTest {
protected:
    void SetUp() override
    {
        eAudioTest::SetUp();
        const datagen::SoundRecord tone =
            datagen::MakeSoundRecord("lm_Tone", datagen::MakeSineTone(kToneHz, kAmplitude, 32000), true);
        ASSERT_TRUE(datagen::WriteSoundDataFile(m_data.HostPath("tone.snd"), tone));
        m_pTone = dcast<eSoundData>(cBase::Load("/tone.snd", &m_pool, eSoundData::GetStaticType()));
        ASSERT_NE(m_pTone, nullptr);
        m_sounds.push_back(m_pTone);
    }

    // Plays through the WAV sink and reads the file back.
    Played PlayIntoWav()
    {
        Tick(1);  // programs and starts the voice, sets its levels
        const std::string path = m_data.HostPath("out.wav");
        EXPECT_TRUE(AISetWavOutput(path.c_str()));
        AITestRunFrames(kFrames, nullptr);
        EXPECT_TRUE(AISetWavOutput(nullptr));
        const std::vector<uint8_t> bytes = ReadHostFile(path);
        Played p;
        for (size_t i = 44; i + 3 < bytes.size(); i += 4) {
            p.left.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
            p.right.push_back(static_cast<int16_t>(bytes[i + 2] | bytes[i + 3] << 8));
        }
        EXPECT_EQ(p.left.size(), size_t(kFrames) * AX_FRAME_SAMPLES);
        return p;
    }

    eTestDataDir m_data;
    eSoundData* m_pTone = nullptr;
};

TEST_F(eAudioPlatformTest, ToneKeepsItsFrequencyAndLevelInMonoAndStereo)
{
    struct Row {
        const char* name;
        eAudio::eAudioOutputMode mode;
        double sideGain;  // the pan law's share of each side
    };
    const Row rows[] = {
        {"mono: both sides whole", eAudio::AOM_MONO, 1.0},
        {"stereo: centre, -3 dB a side", eAudio::AOM_STEREO, std::sqrt(0.5)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        eAudio::SetOutputMode(r.mode, true);
        const int h = eAudio::Play(eAudio::ACG_BGM, m_pTone, true, cTimeValue(0), 1.0f, false, 0.0f, mVec3(0, 0, 0));
        const Played p = PlayIntoWav();
        eAudio::FreeChannel(h);
        const double expectedRms = kAmplitude / std::sqrt(2.0) * r.sideGain;
        EXPECT_NEAR(ZeroCrossings(p.left), 2 * kToneHz * kFrames / 200, 2);
        EXPECT_NEAR(Db(Rms(p.left) / expectedRms), 0.0, 0.5);
        EXPECT_NEAR(Db(Rms(p.right) / expectedRms), 0.0, 0.5);
    }
}

}  // namespace
