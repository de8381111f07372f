#include "mMath/mBSpline.h"

#include "mMathTestUtil.h"

TEST(mBSpline, BasisAtTheEnds)
{
    const float rows[][5] = {
        {0.0f, 0.16666667f, 0.6666667f, 0.16666667f, 0.0f},
        {1.0f, 0.0f, 0.16666667f, 0.6666667f, 0.16666667f},
        {0.5f, 0.020833334f, 0.47916669f, 0.47916669f, 0.020833334f},
    };
    float w[4];
    for (const auto& row : rows) {
        mBSpline::EvaluateBasis(row[0], w);
        for (int j = 0; j < 4; j++)
            EXPECT_FLOAT_EQ(w[j], row[j + 1]) << "t " << row[0] << ", weight " << j;
    }
    for (int i = 0; i <= 100; i++) {
        mBSpline::EvaluateBasis(i / 100.0f, w);
        EXPECT_NEAR((w[0] + w[1]) + (w[2] + w[3]), 1.0f, 3e-7f) << i;
    }
}

TEST(mBSpline, InterpolateClampsToTheList)
{
    struct Point {
        mVec3 pos;
        int pad;
    } pts[4] = {{{6, 0, 0}, 0}, {{0, 6, 0}, 0}, {{0, 0, 6}, 0}, {{12, 12, 12}, 0}};
    mVec3 out;
    mBSpline::Interpolate(0, 1.0f, &pts[0].pos, 4, sizeof(Point), &out);  // -2, -1, 0 read the first point
    EXPECT_TRUE(VecNear(out, mVec3(5, 1, 0), 1e-5f));
    mBSpline::Interpolate(4, 1.0f, &pts[0].pos, 4, sizeof(Point), &out);  // the end repeats the last
    EXPECT_TRUE(VecNear(out, mVec3(12, 12, 12), 1e-5f));
    const float w[4] = {0, 1, 0, 0};
    mBSpline::Interpolate(3, w, &pts[0].pos, 4, sizeof(Point), &out);
    EXPECT_EQ(out, mVec3(0, 0, 6));  // segment s weighs points s-2 .. s+1
    mBSpline::Interpolate(7, 0.3f, &pts[2].pos, 1, sizeof(Point), &out);
    EXPECT_TRUE(VecNear(out, mVec3(0, 0, 6), 1e-5f));  // one point: every index is 0
    mBSpline::Interpolate(0, 0.3f, &pts[0].pos, 0, sizeof(Point), &out);
    EXPECT_EQ(out, mVec3(0, 0, 0));  // no points: nothing read
}
