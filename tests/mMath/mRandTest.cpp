#include "mMath/mRand.h"

#include <gtest/gtest.h>

#include "mMath/mVec3.h"

class mRandStreams : public testing::Test {
protected:
    void SetUp() override { m_savedI = s_irandCounter; }
    void TearDown() override { s_irandCounter = m_savedI; }
    unsigned int m_savedI = 0;
};

static float FromDraw(unsigned int u) { return static_cast<float>(u) * 2.3283060e-10f; }

TEST_F(mRandStreams, MainStreamAfterResetGivesKnownDraws)
{
    struct Row {
        unsigned int u;
        float value;
    } rows[] = {{3822960923u, 0.89010227f}, {3944284608u, 0.91835016f}, {3007320792u, 0.70019633f}};
    s_randCounter = 12345;
    mRandReset();
    for (const Row& row : rows) {
        const float r = mRand();
        EXPECT_EQ(r, FromDraw(row.u)) << row.u;
        EXPECT_FLOAT_EQ(r, row.value) << row.u;
    }
    mRandReset();
    EXPECT_FLOAT_EQ(mRandTol(), -0.78020453f);
    EXPECT_EQ(mRandTol(), 1.0f - 2.0f * FromDraw(3944284608u));
}

TEST_F(mRandStreams, RandDirDrawsAngleThenTurn)
{
    mRandReset();
    mVec3 d;
    d.RandDir(90.0f);  // alpha = 90 * -0.78020453, beta = 360 * 0.91835016
    EXPECT_TRUE(d.ApproxEqual(mVec3(-0.81985193f, 0.33843561f, 0.46184863f), 2e-6f));
    for (int i = 0; i < 10; i++) {
        d.RandDir(0.0f);
        EXPECT_EQ(d, mVec3(0.0f, 1.0f, 0.0f));
    }
    EXPECT_EQ(s_randCounter, 22u);  // two draws each, even at angle 0
    const unsigned int before = s_irandCounter;
    d.IRandDir(30.0f);
    EXPECT_GE(d.y, 0.866f);  // within 30 degrees of +Y
    EXPECT_EQ(s_randCounter, 22u);
    EXPECT_EQ(s_irandCounter, before + 2u);
}
