#include "mMath/mVec3.h"

#include "mMathTestUtil.h"

TEST(mVec3, NormalizeReturnsTheOldLength)
{
    struct Row {
        const char* name;
        mVec3 in;
        float len;
        mVec3 out;
    } rows[] = {
        {"zero stays zero", {0, 0, 0}, 0, {0, 0, 0}},
        {"3-4-5", {3, 0, 4}, 5, {0.6f, 0, 0.8f}},
        {"squared length underflows: left as is", {1e-30f, 0, 0}, 0, {1e-30f, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mVec3 v = row.in;
        EXPECT_EQ(v.Normalize(), row.len);
        EXPECT_TRUE(VecNear(v, row.out, 1e-7f));
    }
}

TEST(mVec3, MakeNormalFollowsCounterClockwiseOrder)
{
    const mVec3 rows[][4] = {
        {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 1}},   // counter-clockwise seen from +Z
        {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, -1}},  // clockwise
        {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {0, 0, 0}},   // collinear
        {{5, 5, 5}, {5, 5, 5}, {5, 5, 5}, {0, 0, 0}},   // coincident
    };
    for (const auto& row : rows) {
        mVec3 n(9, 9, 9);
        n.MakeNormal(row[0], row[1], row[2]);
        EXPECT_EQ(n, row[3]);
    }
}

TEST(mVec3, DotSumsXAndYBeforeZ)
{
    EXPECT_EQ(mVec3(1e8f, 1e8f, 1.0f).Dot(mVec3(1.0f, -1.0f, 1.0f)), 1.0f);
    mVec3 c;
    c.Cross(mVec3(1, 0, 0), mVec3(0, 1, 0));
    EXPECT_EQ(c, mVec3(0, 0, 1));  // right-handed
}

TEST(mVec3, TransformsUseTheRowsAsAxes)
{
    mOCS o;
    o.basis.SetH(90.0f);
    o.origin.Set(10, 20, 30);
    mVec3 v;
    v.Xform(mVec3(1, 2, 3), o);
    EXPECT_TRUE(VecNear(v, mVec3(8, 21, 33), 1e-5f));
    v.XformVec(mVec3(1, 2, 3), o);
    EXPECT_TRUE(VecNear(v, mVec3(-2, 1, 3), 1e-6f));
    o.origin.XformInv(o.origin, o);  // the frame's own origin, in place
    EXPECT_EQ(o.origin, mVec3(0, 0, 0));
}
