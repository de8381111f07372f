#include "eEngine/eAudioFader.h"

#include <gtest/gtest.h>

namespace {

constexpr cTimeValue kStep(8);
constexpr cTimeValue kFadeTime(64);

int StepsUntilDone(eAudioFader& f, int limit = 100)
{
    int n = 0;
    while (f.m_fadeDir != eAudioFader::FADE_NONE && n < limit) {
        f.Step(kStep);
        ++n;
    }
    return n;
}

TEST(eAudioFader, FadesEndWhereTheyShould)
{
    struct Row { const char* name; float start; bool bTarget; float target; bool bUp; cTimeValue time; int steps;
                 float end; };
    const Row rows[] = {
        {"time 0 down ends at 0 on the next step", 1.0f, false, 0.0f, false, cTimeValue(0), 1, 0.0f},
        {"time 0 up ends at 1", 0.2f, false, 0.0f, true, cTimeValue(0), 1, 1.0f},
        {"time 0 with a target ends on it", 1.0f, true, 0.3f, false, cTimeValue(0), 1, 0.3f},
        {"a negative time ends at once too", 1.0f, false, 0.0f, false, cTimeValue(-5), 1, 0.0f},
        {"1.0 to 0.5 takes half the fade time", 1.0f, true, 0.5f, false, kFadeTime, 4, 0.5f},
        {"down to 0.3 stops exactly on it", 1.0f, true, 0.3f, false, kFadeTime, 6, 0.3f},
        {"up to 0.8 stops exactly on it", 0.25f, true, 0.8f, true, kFadeTime, 5, 0.8f},
        {"at the target: up, ends on the next step", 0.4f, true, 0.4f, true, kFadeTime, 1, 0.4f},
        {"untargeted up ends on reaching 1", 0.5f, false, 0.0f, true, cTimeValue(32), 2, 1.0f},
        {"untargeted down clamps at 0", 0.3f, false, 0.0f, false, kFadeTime, 3, 0.0f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        eAudioFader f;
        f.m_fVolScale = r.start;
        if (r.bTarget)
            f.FadeToTarget(r.time, r.target);
        else
            f.Fade(r.time, r.bUp);
        EXPECT_EQ(StepsUntilDone(f), r.steps);
        EXPECT_EQ(f.m_fVolScale, r.end);
    }
}

TEST(eAudioFader, PlainFadeKeepsAnEarlierTargetButFullFadeDropsIt)
{
    eAudioFader f;
    f.FadeToTarget(kFadeTime, 0.5f);
    StepsUntilDone(f);
    f.m_fVolScale = 1.0f;
    f.Fade(kFadeTime, false);
    StepsUntilDone(f);
    EXPECT_EQ(f.m_fVolScale, 0.5f) << "the target and its flag stay as they were";
    f.FadeFull(kFadeTime, false);
    StepsUntilDone(f);
    EXPECT_EQ(f.m_fVolScale, 0.0f);
    EXPECT_FALSE(f.m_bUseTargetValue);
}

}  // namespace
