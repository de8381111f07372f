#include "mMath/mScalar.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(mScalar, SqrtPassesNonPositiveArgumentsThrough)
{
    EXPECT_EQ(mSqrt(0.0f), 0.0f);
    EXPECT_EQ(mSqrt(-4.0f), -4.0f);
    EXPECT_TRUE(std::signbit(mSqrt(-0.0f)));
    EXPECT_EQ(mSqrt(6.25f), 2.5f);
}

TEST(mScalar, SolveQuadraticRootsAndOrder)
{
    struct Row {
        const char* name;
        float a, b, c;
        bool ok;
        float r0, r1;
    } rows[] = {
        {"two roots, larger first for a > 0", 1.0f, -3.0f, 2.0f, true, 2.0f, 1.0f},
        {"smaller first for a < 0", -1.0f, 0.0f, 4.0f, true, -2.0f, 2.0f},
        {"linear gives its root twice", 0.0f, 2.0f, -4.0f, true, 2.0f, 2.0f},
        {"a within 0.00001 counts as linear", 0.00001f, 2.0f, -4.0f, true, 2.0f, 2.0f},
        {"no unknown", 0.0f, 0.0f, 1.0f, false, 0.0f, 0.0f},
        {"negative discriminant", 1.0f, 0.0f, 1.0f, false, 0.0f, 0.0f},
        {"double root", 1.0f, -2.0f, 1.0f, true, 1.0f, 1.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        float r0 = 99.0f, r1 = 99.0f;
        ASSERT_EQ(mSolveQuadratic(row.a, row.b, row.c, &r0, &r1), row.ok);
        if (row.ok) {
            EXPECT_FLOAT_EQ(r0, row.r0);
            EXPECT_FLOAT_EQ(r1, row.r1);
        } else {
            EXPECT_EQ(r0, 99.0f);  // untouched
        }
    }
}

TEST(mScalar, DeltaHeadingTakesTheShorterTurn)
{
    struct Row {
        float a, b, expected;
    } rows[] = {
        {170.0f, -170.0f, 20.0f}, {-170.0f, 170.0f, -20.0f}, {0.0f, 180.0f, 180.0f},
        {0.0f, -180.0f, -180.0f}, {10.0f, 350.0f, -20.0f},   {350.0f, 10.0f, 20.0f},
        {45.0f, 45.0f, 0.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.a << " -> " << row.b);
        EXPECT_EQ(mDeltaHeading(row.a, row.b), row.expected);
    }
}

TEST(mScalar, SinCosTakesDegrees)
{
    float s, c;
    mSinCos(90.0f, &s, &c);
    EXPECT_EQ(s, 1.0f);
    EXPECT_NEAR(c, 0.0f, 1e-7f);
    mSinCos(-30.0f, &s, &c);
    EXPECT_NEAR(s, -0.5f, 1e-7f);
    EXPECT_NEAR(c, 0.8660254f, 1e-7f);
}
