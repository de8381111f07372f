#include "mMath/mRand.h"

#include <gtest/gtest.h>

#include "mMath/mVec3.h"

// Saves and restores the second stream, which has no reset of its own.
class mRandStreams : public testing::Test {
protected:
    void SetUp() override { m_savedI = s_irandCounter; }
    void TearDown() override { s_irandCounter = m_savedI; }
    unsigned int m_savedI = 0;
};

constexpr float kScale = 2.3283060e-10f;

TEST_F(mRandStreams, MainStreamAfterResetGivesKnownDraws)
{
    struct Row {
        unsigned int u;
        float value;
    } rows[] = {{3822960923u, 0.89010227f}, {3944284608u, 0.91835016f}, {3007320792u, 0.70019633f}};
    mRandReset();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.u);
        const float r = mRand();
        EXPECT_EQ(r, static_cast<float>(row.u) * kScale);
        EXPECT_FLOAT_EQ(r, row.value);
    }
    EXPECT_EQ(s_randCounter, 3u);
}

TEST_F(mRandStreams, RandTolAfterResetIsOneMinusTwiceTheDraw)
{
    mRandReset();
    EXPECT_FLOAT_EQ(mRandTol(), -0.78020453f);
    EXPECT_EQ(mRandTol(), 1.0f - 2.0f * (static_cast<float>(3944284608u) * kScale));
}

TEST_F(mRandStreams, SecondStreamIsSeparateAndNotReset)
{
    s_irandCounter = 0;
    const float first = mIRand();
    EXPECT_EQ(first, static_cast<float>(436591427u) * kScale);
    EXPECT_FLOAT_EQ(first, 0.10165185f);
    s_randCounter = 7;
    mRandReset();
    EXPECT_EQ(s_randCounter, 0u);
    EXPECT_EQ(s_irandCounter, 1u);
    EXPECT_EQ(s_randSeed, 29179u);
    EXPECT_EQ(s_irandSeed, 16661u);
}

TEST_F(mRandStreams, ResetReproducesTheSequenceAndDrawsStayInRange)
{
    mRandReset();
    float first[64];
    for (float& f : first)
        f = mRand();
    mRandReset();
    for (float f : first)
        EXPECT_EQ(mRand(), f);
    for (int i = 0; i < 5000; i++) {
        const float r = mRand(), t = mRandTol(), ir = mIRand(), it = mIRandTol();
        ASSERT_TRUE(r >= 0.0f && r < 1.0f && ir >= 0.0f && ir < 1.0f);
        ASSERT_TRUE(t > -1.0f && t <= 1.0f && it > -1.0f && it <= 1.0f);
    }
}

TEST_F(mRandStreams, RandDirDrawsAngleThenTurn)
{
    mRandReset();
    mVec3 d;
    d.RandDir(90.0f);  // alpha = 90 * -0.78020453, beta = 360 * 0.91835016
    EXPECT_NEAR(d.x, -0.81985193f, 2e-6f);
    EXPECT_NEAR(d.y, 0.33843561f, 2e-6f);
    EXPECT_NEAR(d.z, 0.46184863f, 2e-6f);
    for (int i = 0; i < 10; i++) {
        d.RandDir(0.0f);
        EXPECT_EQ(d, mVec3(0.0f, 1.0f, 0.0f));
    }
    EXPECT_EQ(s_randCounter, 22u);  // two draws each, even at angle 0
    const unsigned int before = s_irandCounter;
    d.IRandDir(0.0f);
    EXPECT_EQ(s_randCounter, 22u);
    EXPECT_EQ(s_irandCounter, before + 2u);
}
