#include "mMath/mPlane.h"

#include "mMath/mBox.h"
#include "mMath/mSphere.h"
#include "mMathTestUtil.h"

static mPlane Plane(mVec3 n, float offset)
{
    mPlane p;
    p.normal = n;
    p.offset = offset;
    return p;
}

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
        {{1, 1, 0}, ALIGN_X},        // ties go to the earlier axis
        {{0, 0, 0}, ALIGN_NEGX},     // a zero component counts as negative
        {{0, -1, 0.5f}, ALIGN_NEGY},
        {{0, 3, -3}, ALIGN_Y},
        {{0.1f, 0, -2}, ALIGN_NEGZ},
        {{0, 0.2f, 0.3f}, ALIGN_Z},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(mPlaneTypeText(row.expected));
        EXPECT_EQ(Plane(row.n, 0).GetOrientation(), row.expected);
    }
    EXPECT_STREQ(mPlaneTypeText(static_cast<mPlaneType>(6)), "???");
    EXPECT_STREQ(mContainmentText(mContainment::PARTIAL), "PARTIAL");
    EXPECT_STREQ(mContainmentText(static_cast<mContainment>(-1)), "???");
}

TEST(mPlane, ContainsSphereAndBox)
{
    const mPlane p = Plane({0, 0, 1}, 2);  // contains z >= 2
    struct SphereRow {
        const char* name;
        float z, radius;
        mContainment expected;
    } spheres[] = {
        {"empty sphere", 10, 0, mContainment::NONE},
        {"top touching the plane is partial", 1, 1, mContainment::PARTIAL},
        {"bottom touching the plane is all", 3, 1, mContainment::ALL},
        {"below", 0.5f, 1, mContainment::NONE},
    };
    for (const SphereRow& row : spheres) {
        SCOPED_TRACE(row.name);
        mSphere s;
        s.center.Set(5, -5, row.z);
        s.radius = row.radius;
        EXPECT_EQ(p.Contains(s), row.expected);
    }
    mBox b;
    b.MakeEmpty();
    EXPECT_EQ(p.Contains(b), mContainment::NONE);
    b.minCorner.Set(0, 0, 2);
    b.maxCorner.Set(1, 1, 3);
    EXPECT_EQ(p.Contains(b), mContainment::ALL);
    b.minCorner.z = 1;
    EXPECT_EQ(p.Contains(b), mContainment::PARTIAL);
    // A negative normal takes the maximum as the lowest corner.
    EXPECT_EQ(Plane({0, 0, -1}, -1).Contains(b), mContainment::PARTIAL);
    EXPECT_EQ(Plane({0, 0, -1}, -3).Contains(b), mContainment::ALL);
    EXPECT_EQ(Plane({0, 0, -1}, 0).Contains(b), mContainment::NONE);
}
