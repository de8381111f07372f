#include "mMath/mPlane.h"

#include "mMathTestUtil.h"

TEST(mPlane, IntersectionOfThreePlanes)
{
    mVec3 out(7, 7, 7);
    mPlane::Intersection(Plane({1, 0, 0}, 1), Plane({0, 1, 0}, 2), Plane({0, 0, 1}, 3), &out);
    EXPECT_EQ(out, mVec3(1, 2, 3));
    out.Set(7, 7, 7);
    mPlane::Intersection(Plane({1, 0, 0}, 1), Plane({1, 0, 0}, 2), Plane({0, 0, 1}, 3), &out);
    EXPECT_EQ(out, mVec3(7, 7, 7));  // parallel: left unchanged
}

TEST(mPlane, OrientationPicksTheDominantAxis)
{
    struct Row {
        mVec3 n;
        mPlaneType expected;
    } rows[] = {
        {{1, 1, 0}, ALIGN_X},     // ties go to the earlier axis
        {{0, 0, 0}, ALIGN_NEGX},  // a zero component counts as negative
        {{0, -1, 0.5f}, ALIGN_NEGY}, {{0, 3, -3}, ALIGN_Y}, {{0.1f, 0, -2}, ALIGN_NEGZ}, {{0, 0.2f, 0.3f}, ALIGN_Z},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Plane(row.n, 0).GetOrientation(), row.expected) << mPlaneTypeText(row.expected);
    EXPECT_STREQ(mPlaneTypeText(static_cast<mPlaneType>(6)), "???");
    EXPECT_STREQ(mContainmentText(mContainment::PARTIAL), "PARTIAL");
    EXPECT_STREQ(mContainmentText(static_cast<mContainment>(-1)), "???");
}

TEST(mPlane, ContainsSphereAndBox)
{
    const mPlane p = Plane({0, 0, 1}, 2);  // contains z >= 2
    struct Row {
        const char* name;
        mSphere s;
        mContainment expected;
    } rows[] = {
        {"empty sphere", Sphere({0, 0, 10}, 0), mContainment::NONE},
        {"top touching the plane is partial", Sphere({5, -5, 1}, 1), mContainment::PARTIAL},
        {"bottom touching the plane is all", Sphere({5, -5, 3}, 1), mContainment::ALL},
        {"below", Sphere({0, 0, 0.5f}, 1), mContainment::NONE},
    };
    for (const Row& row : rows)
        EXPECT_EQ(p.Contains(row.s), row.expected) << row.name;
    EXPECT_EQ(p.Contains(EmptyBox()), mContainment::NONE);
    const mBox b = Box({0, 0, 1}, {1, 1, 3});
    EXPECT_EQ(p.Contains(Box({0, 0, 2}, {1, 1, 3})), mContainment::ALL);
    EXPECT_EQ(p.Contains(b), mContainment::PARTIAL);
    EXPECT_EQ(Plane({0, 0, -1}, -1).Contains(b), mContainment::PARTIAL);
    EXPECT_EQ(Plane({0, 0, -1}, -3).Contains(b), mContainment::ALL);
    EXPECT_EQ(Plane({0, 0, -1}, 0).Contains(b), mContainment::NONE);
}
