#include "mMath/mScalar.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(mScalar, SqrtPassesNonPositiveArgumentsThrough)
{
    EXPECT_EQ(mSqrt(0.0f), 0.0f);
    EXPECT_EQ(mSqrt(-4.0f), -4.0f);
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
        {"larger root first for a > 0", 1, -3, 2, true, 2, 1},
        {"smaller first for a < 0", -1, 0, 4, true, -2, 2},
        {"linear: its root twice", 0, 2, -4, true, 2, 2},
        {"a within 0.00001 counts as linear", 0.00001f, 2, -4, true, 2, 2},
        {"double root", 1, -2, 1, true, 1, 1},
        {"no unknown", 0, 0, 1, false, 99, 99},
        {"negative discriminant", 1, 0, 1, false, 99, 99},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        float r0 = 99, r1 = 99;  // untouched on failure
        EXPECT_EQ(mSolveQuadratic(row.a, row.b, row.c, &r0, &r1), row.ok);
        EXPECT_FLOAT_EQ(r0, row.r0);
        EXPECT_FLOAT_EQ(r1, row.r1);
    }
}

TEST(mScalar, DeltaHeadingTakesTheShorterTurn)
{
    const float rows[][3] = {{170, -170, 20}, {-170, 170, -20}, {0, 180, 180},   {0, -180, -180},
                             {10, 350, -20},  {350, 10, 20},    {45, 45, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(mDeltaHeading(row[0], row[1]), row[2]) << row[0] << " -> " << row[1];
}

TEST(mScalar, SinCosTakesDegrees)
{
    float s, c;
    mSinCos(90.0f, &s, &c);
    EXPECT_EQ(s, 1.0f);
    EXPECT_NEAR(c, 0.0f, 1e-7f);
}
