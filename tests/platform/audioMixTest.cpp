#include "platform/mix.h"

#include <gtest/gtest.h>

#include <cmath>

#include "audioTestUtil.h"

namespace {

TEST(MIXLaws, LevelToGain)
{
    struct Row {
        int level;
        float gain;
    };
    const Row rows[] = {
        {0, 1.0f},         {-60, 0.501187f},  {-200, 0.1f}, {60, 1.995262f},
        {-959, 1.60325e-5f}, {-960, 0.0f},     {-1000, 0.0f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.level);
        EXPECT_NEAR(MIXLevelToGain(r.level), r.gain, r.gain * 1e-4f);
    }
}

TEST(MIXLaws, PanIsEqualPowerWithTheCentreAt64)
{
    struct Row {
        int pan;
        float left, right;
    };
    const Row rows[] = {
        {0, 1.0f, 0.0f},
        {1, 1.0f, 0.0f},  // 64 - 63: as far left as 127 is right
        {32, 0.926247f, 0.376915f},
        {64, 0.707107f, 0.707107f},
        {127, 0.0f, 1.0f},
        {-5, 1.0f, 0.0f},   // clamped
        {200, 0.0f, 1.0f},  // clamped
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.pan);
        float l, rt;
        MIXPanGains(r.pan, &l, &rt);
        EXPECT_NEAR(l, r.left, 1e-5f);
        EXPECT_NEAR(rt, r.right, 1e-5f);
    }
}

class MIXChannelTest : public AudioLayerTest {};

TEST_F(MIXChannelTest, SettingsBecomeVoiceVolumesByMode)
{
    struct Row {
        const char* name;
        uint32_t mode;
        int input, fader, pan, span;
        AXPBMIX expected;
    };
    const Row rows[] = {
        {"stereo centre", MIX_SOUND_MODE_STEREO, 0, 0, 64, 127, {23170, 23170, 0}},
        {"mono ignores pan", MIX_SOUND_MODE_MONO, 0, 0, 0, 127, {32768, 32768, 0}},
        {"stereo hard right at -6 dB", MIX_SOUND_MODE_STEREO, -60, 0, 127, 127, {0, 16423, 0}},
        {"input and fader add", MIX_SOUND_MODE_STEREO, -100, 40, 0, 127, {16423, 0, 0}},
        {"surround front", MIX_SOUND_MODE_SURROUND, 0, 0, 64, 127, {23170, 23170, 0}},
        {"surround rear", MIX_SOUND_MODE_SURROUND, 0, 0, 64, 0, {0, 0, 32768}},
        {"DPL2 middle", MIX_SOUND_MODE_DPL2, 0, 0, 64, 64, {16384, 16384, 23170}},
        {"silent", MIX_SOUND_MODE_STEREO, -960, 0, 64, 127, {0, 0, 0}},
        {"above +6 dB is +6 dB each", MIX_SOUND_MODE_MONO, 100, 100, 64, 127, {65535, 65535, 0}},
    };
    AXVPB* v = Acquire();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        MIXSetSoundMode(r.mode);
        MIXInitChannel(v, 0, r.input, MIX_LEVEL_SILENT, MIX_LEVEL_SILENT, r.pan, r.span, r.fader);
        MIXUpdateSettings();
        EXPECT_EQ(v->mix.vL, r.expected.vL);
        EXPECT_EQ(v->mix.vR, r.expected.vR);
        EXPECT_EQ(v->mix.vS, r.expected.vS);
        EXPECT_EQ(v->ve.currentVolume, AX_VE_UNITY);
    }
}

}  // namespace
