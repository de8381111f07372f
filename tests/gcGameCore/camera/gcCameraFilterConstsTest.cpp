#include "gcGameCore/camera/gcCameraFilterConsts.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace {

TEST(gcCameraFilterConstsTest, CoefficientsFollowThePoleClampedTo09)
{
    const struct {
        float fRequested, a, gain, c1, c2, c3, c4;
    } rows[] = {
        {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f},          // pass-through
        {0.5f, 0.5f, 0.0625f, 2.0f, -1.5f, 0.5f, -0.0625f},
        {0.95f, 0.9f, 0.0001f, 3.6f, -4.86f, 2.916f, -0.6561f},  // clamped
        {-1.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f},
        {INFINITY, 0.9f, 0.0001f, 3.6f, -4.86f, 2.916f, -0.6561f},
        {std::nanf(""), 0.8f, 0.0016f, 3.2f, -3.84f, 2.048f, -0.4096f},  // ignored: the default stays
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.fRequested);
        gcCameraFilterConsts f;
        EXPECT_FLOAT_EQ(f.a, 0.8f);
        f.SetPole(r.fRequested);
        EXPECT_FLOAT_EQ(f.a, r.a);
        EXPECT_NEAR(f.gain, r.gain, 1e-6f);
        EXPECT_NEAR(f.c1, r.c1, 1e-5f);
        EXPECT_NEAR(f.c2, r.c2, 1e-5f);
        EXPECT_NEAR(f.c3, r.c3, 1e-5f);
        EXPECT_NEAR(f.c4, r.c4, 1e-5f);
    }
}

TEST(gcCameraFilterConstsTest, StepsBlendInputAndHistoryNewestFirst)
{
    gcCameraFilterConsts f;
    f.SetPole(0.5f);
    float h[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    // 0.0625*8 + 2*1 - 1.5*2 + 0.5*3 - 0.0625*4
    EXPECT_FLOAT_EQ(f.Step(8.0f, h), 0.75f);
    EXPECT_FLOAT_EQ(h[0], 0.75f);
    EXPECT_FLOAT_EQ(h[1], 1.0f);
    EXPECT_FLOAT_EQ(h[2], 2.0f);
    EXPECT_FLOAT_EQ(h[3], 3.0f);
    mVec3 v[4] = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}};
    const mVec3 y = f.Step(mVec3(8, 16, 0), v);
    EXPECT_FLOAT_EQ(y.x, 0.75f);
    EXPECT_FLOAT_EQ(y.y, 1.0f);
    f.SetPole(0.0f);
    EXPECT_EQ(f.Step(mVec3(5, 6, 7), v), mVec3(5, 6, 7));
}

// At pole 0.6696 the weight sum after two coefficients is about 0: the
// blends stay finite and the result of unit length.
TEST(gcCameraFilterConstsTest, QuaternionStepNeverYieldsNaN)
{
    for (float fPole : {0.6696f, 0.675f, 0.9f}) {
        SCOPED_TRACE(fPole);
        gcCameraFilterConsts f;
        f.SetPole(fPole);
        mQuat h[4];
        for (int i = 0; i < 4; ++i)
            h[i].SetHPR(10.0f * static_cast<float>(i), 5.0f, 0.0f);
        mQuat x;
        x.SetHPR(40.0f, -10.0f, 0.0f);
        for (int n = 0; n < 8; ++n) {
            const mQuat q = f.Step(x, h);
            ASSERT_TRUE(std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w));
            EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-4f);
        }
    }
    // An entry of the history that is not a number is taken as no turn.
    {
        gcCameraFilterConsts f;
        mQuat h[4] = {{0, 0, 0, 1}, {NAN, 0, 0, 1}, {0, 0, 0, 1}, {INFINITY, 0, 0, 1}};
        mQuat x;
        x.SetHPR(40.0f, -10.0f, 0.0f);
        const mQuat q = f.Step(x, h);
        ASSERT_TRUE(std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w));
        EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-4f);
    }
    // Weights whose partial sum is exactly 0 divide nothing.
    gcCameraFilterConsts f;
    f.gain = 0.25f, f.c1 = 0.75f, f.c2 = -1.0f, f.c3 = 1.0f, f.c4 = 0.0f;
    mQuat h[4] = {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}};
    const mQuat q = f.Step(mQuat(0, 0, 0, 1), h);
    EXPECT_FLOAT_EQ(q.w, 1.0f);
    // Turns about one axis blend as their angles do: at pole 0.5, headings
    // 80 in, 10 20 30 40 kept give 0.0625*80 + 2*10 - 1.5*20 + 0.5*30 - 0.0625*40.
    f.SetPole(0.5f);
    for (int i = 0; i < 4; ++i)
        h[i].SetHPR(10.0f * static_cast<float>(i + 1), 0.0f, 0.0f);
    mQuat x;
    x.SetHPR(80.0f, 0.0f, 0.0f);
    mVec3 hpr;
    f.Step(x, h).GetHPR(&hpr);
    EXPECT_NEAR(hpr.x, 7.5f, 0.01f);
}

// Turns about one axis blend as their angles do at every pole, the band
// where the partial weight sums pass through zero included: headings 80 in,
// 10 12 14 16 kept (newest first).
TEST(gcCameraFilterConstsTest, QuaternionTurnsAboutOneAxisBlendAsTheirAngles)
{
    for (float fPole : {0.0f, 0.3f, 0.5f, 0.64f, 0.6696f, 0.675f, 0.68f, 0.7f, 0.9f}) {
        SCOPED_TRACE(fPole);
        gcCameraFilterConsts f;
        f.SetPole(fPole);
        mQuat h[4];
        for (int i = 0; i < 4; ++i)
            h[i].SetHPR(10.0f + 2.0f * static_cast<float>(i), 0.0f, 0.0f);
        mQuat x;
        x.SetHPR(80.0f, 0.0f, 0.0f);
        const float fWant = f.gain * 80.0f + f.c1 * 10.0f + f.c2 * 12.0f + f.c3 * 14.0f + f.c4 * 16.0f;
        mVec3 hpr;
        f.Step(x, h).GetHPR(&hpr);
        EXPECT_NEAR(hpr.x, fWant, 0.01f);
        // The same about the pitch axis: 60 in, 10 12 14 16 kept.
        for (int i = 0; i < 4; ++i)
            h[i].SetHPR(0.0f, 10.0f + 2.0f * static_cast<float>(i), 0.0f);
        x.SetHPR(0.0f, 60.0f, 0.0f);
        f.Step(x, h).GetHPR(&hpr);
        EXPECT_NEAR(hpr.y, f.gain * 60.0f + f.c1 * 10.0f + f.c2 * 12.0f + f.c3 * 14.0f + f.c4 * 16.0f, 0.01f);
    }
}

// A view turning steadily at 10 degrees a tick comes out turning at that
// rate, the same way round, once the filter has settled, at every pole: at
// 0.81 and above the output lags more than half a turn behind its input.
TEST(gcCameraFilterConstsTest, ASteadyTurnComesOutAtItsRate)
{
    for (int nPole = 0; nPole <= 90; ++nPole) {
        const float fPole = 0.01f * static_cast<float>(nPole);
        SCOPED_TRACE(fPole);
        gcCameraFilterConsts f;
        f.SetPole(fPole);
        mQuat h[4];
        for (mQuat& q : h)
            q = mQuat(0, 0, 0, 1);
        float fPrev = 0.0f;
        float fWorst = 0.0f;
        for (int n = 1; n <= 500; ++n) {
            mQuat x;
            x.SetHPR(std::fmod(10.0f * static_cast<float>(n), 360.0f), 20.0f, 0.0f);
            mVec3 hpr;
            f.Step(x, h).GetHPR(&hpr);
            const float fTurn = std::remainder(hpr.x - fPrev, 360.0f);
            if (n > 400)
                fWorst = std::max({fWorst, std::fabs(fTurn - 10.0f), std::fabs(hpr.y - 20.0f)});
            fPrev = hpr.x;
        }
        EXPECT_LT(fWorst, 1.0f);
    }
}

// Where the input is more than half a turn ahead of the output, the filter
// goes on turning the way its history turns, as the four stages in a row
// would: at pole 0.9 with outputs 30 20 10 0 kept, the stages stand 90
// degrees apart and the first at 300, so an input at -60 is taken as 300 (not -60, the
// shorter way round from 30), and an input at 30 as a whole turn on.
TEST(gcCameraFilterConstsTest, AnInputLaggedOverHalfATurnIsTakenTheWayTheHistoryTurns)
{
    const struct {
        float fPole, fIn, fTaken;
    } rows[] = {
        {0.9f, -60.0f, 300.0f},
        {0.9f, 30.0f, 390.0f},
        {0.9f, 150.0f, 150.0f},   // nearer the first stage than 510
        {0.5f, -100.0f, -100.0f},  // first stage at 60: the shorter way
        {0.7f, 220.0f, 220.0f},    // first stage at 100: the longer way
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.fIn);
        gcCameraFilterConsts f;
        f.SetPole(r.fPole);
        mQuat h[4];
        for (int i = 0; i < 4; ++i)
            h[i].SetHPR(30.0f - 10.0f * static_cast<float>(i), 0.0f, 0.0f);
        mQuat x;
        x.SetHPR(r.fIn, 0.0f, 0.0f);
        const float fWant = f.gain * r.fTaken + f.c1 * 30.0f + f.c2 * 20.0f + f.c3 * 10.0f;
        mVec3 hpr;
        f.Step(x, h).GetHPR(&hpr);
        EXPECT_NEAR(std::remainder(hpr.x - fWant, 360.0f), 0.0f, 0.01f);
    }
}

}  // namespace
