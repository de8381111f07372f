#include "mMath/mBSpline.h"

#include "mMathTestUtil.h"

TEST(mBSpline, BasisAtTheEnds)
{
    struct Row {
        float t;
        float w[4];
    } rows[] = {
        {0.0f, {0.16666667f, 0.6666667f, 0.16666667f, 0.0f}},
        {1.0f, {0.0f, 0.16666667f, 0.6666667f, 0.16666667f}},
        {0.5f, {0.020833334f, 0.47916669f, 0.47916669f, 0.020833334f}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.t);
        float w[4];
        mBSpline::EvaluateBasis(row.t, w);
        for (int j = 0; j < 4; j++)
            EXPECT_FLOAT_EQ(w[j], row.w[j]) << j;
    }
    for (int i = 0; i <= 100; i++) {
        float w[4];
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
    // Segment 0: indices -2, -1 and 0 all read the first point.
    mBSpline::Interpolate(0, 1.0f, &pts[0].pos, 4, sizeof(Point), &out);
    EXPECT_TRUE(VecNear(out, mVec3(5, 1, 0), 1e-5f));
    // The last segment repeats the last point.
    mBSpline::Interpolate(4, 1.0f, &pts[0].pos, 4, sizeof(Point), &out);
    EXPECT_TRUE(VecNear(out, mVec3(12, 12, 12), 1e-5f));
    const float w[4] = {0, 1, 0, 0};
    mBSpline::Interpolate(3, w, &pts[0].pos, 4, sizeof(Point), &out);
    EXPECT_EQ(out, mVec3(0, 0, 6));  // segment s weighs points s-2 .. s+1
    mBSpline::Interpolate(7, 0.3f, &pts[2].pos, 1, sizeof(Point), &out);
    EXPECT_TRUE(VecNear(out, mVec3(0, 0, 6), 1e-5f));  // one point: every index is 0
    out.Set(9, 9, 9);
    mBSpline::Interpolate(0, 0.3f, &pts[0].pos, 0, sizeof(Point), &out);
    EXPECT_EQ(out, mVec3(0, 0, 0));  // no points: nothing read
}
