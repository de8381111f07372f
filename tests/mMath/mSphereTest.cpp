#include "mMath/mSphere.h"

#include <cmath>

#include "mMathTestUtil.h"

TEST(mSphere, ClampStopsJustInsideTheSurface)
{
    const mSphere s = Sphere({1, 1, 1}, 2);
    mVec3 out;
    s.Clamp(mVec3(1, 1, 101), &out);
    EXPECT_FLOAT_EQ(out.Dist(s.center), 2.0f - 0.00001f);
    s.Clamp(mVec3(2, 1, 1), &out);
    EXPECT_EQ(out, mVec3(2, 1, 1));
}

TEST(mSphere, Extend)
{
    struct Row {
        const char* name;
        mSphere a, b, expected;
    } rows[] = {
        {"two unit spheres 4 apart", Sphere({0, 0, 0}, 1), Sphere({4, 0, 0}, 1), Sphere({2, 0, 0}, 3)},
        {"inside this: unchanged", Sphere({0, 0, 0}, 5), Sphere({1, 0, 0}, 1), Sphere({0, 0, 0}, 5)},
        {"this inside the other: copied", Sphere({1, 0, 0}, 1), Sphere({0, 0, 0}, 5), Sphere({0, 0, 0}, 5)},
        {"into an empty one: copied", Sphere({9, 9, 9}, -1), Sphere({1, 2, 3}, 4), Sphere({1, 2, 3}, 4)},
        {"empty argument: unchanged", Sphere({1, 2, 3}, 4), Sphere({9, 9, 9}, 0), Sphere({1, 2, 3}, 4)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mSphere s = row.a;
        s.Extend(row.b);
        EXPECT_TRUE(VecNear(s.center, row.expected.center, 1e-6f));
        EXPECT_FLOAT_EQ(s.radius, row.expected.radius);
    }
    mSphere s = Sphere({5, 5, 5}, 0);
    s.Extend(EmptyBox());
    EXPECT_EQ(s.radius, -1.0f);  // empty stays empty
    s = Sphere({5, 5, 5}, 2);
    s.Extend(EmptyBox());
    EXPECT_EQ(s.radius, 2.0f);
    const mVec3 pts[2] = {{0, 0, 0}, {2, 4, 4}};
    s.MakeEmpty();
    s.Extend(0, pts, sizeof(mVec3));
    EXPECT_EQ(s.radius, -1.0f);
    s.Extend(2, pts, sizeof(mVec3));
    EXPECT_EQ(s.center, mVec3(1, 2, 2));
    EXPECT_EQ(s.radius, 3.0f);
}

TEST(mSphere, ContainsBox)
{
    struct Row {
        const char* name;
        mBox b;
        float radius;
        mContainment expected;
    } rows[] = {
        {"wholly within", Box({-1, -1, -1}, {1, 1, 1}), 2, mContainment::ALL},
        {"the corners just inside: sqrt 3 away", Box({-1, -1, -1}, {1, 1, 1}), 1.75f, mContainment::ALL},
        {"straddling", Box({-1, -1, -1}, {3, 1, 1}), 2, mContainment::PARTIAL},
        {"separated on one axis", Box({2.5f, -1, -1}, {3, 1, 1}), 2, mContainment::NONE},
        {"off the diagonal, not touching", Box({1.5f, 1.5f, 1.5f}, {2, 2, 2}), 2, mContainment::PARTIAL},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Sphere({0, 0, 0}, row.radius).Contains(row.b), row.expected) << row.name;
}

TEST(mSphere, SphereSweepOnlyWhenApproaching)
{
    mVec3 c;
    float f = -1;
    const mSphere other = Sphere({0, 0, 0}, 1);
    ASSERT_TRUE(Sphere({0, -5, 0}, 1).Collide(mVec3(0, 5, 0), other, &c, &f));
    EXPECT_FLOAT_EQ(f, 0.3f);  // a fraction of the move, not a distance
    EXPECT_TRUE(VecNear(c, mVec3(0, -2, 0), 1e-6f));
    ASSERT_TRUE(Sphere({0, -1, 0}, 1).Collide(mVec3(0, 5, 0), other, &c, &f));
    EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(c, mVec3(0, -1, 0));
    EXPECT_FALSE(Sphere({0, -1, 0}, 1).Collide(mVec3(0, -5, 0), other, &c, &f));  // moving apart
    EXPECT_FALSE(Sphere({0, -1, 0}, 1).Collide(mVec3(5, -1, 0), other, &c, &f));  // sideways: w.v = 0
    EXPECT_FALSE(Sphere({0, -5, 0}, 1).Collide(mVec3(0, -4, 0), other, &c, &f));  // stops short
    ASSERT_TRUE(Sphere({-4, 1, 0}, 1).Collide(mVec3(4, 1, 0), other, &c, &f));  // passing off centre: x = -sqrt(3)
    EXPECT_FLOAT_EQ(f, (4.0f - std::sqrt(3.0f)) / 8.0f);
    EXPECT_TRUE(VecNear(c, mVec3(-std::sqrt(3.0f), 1, 0), 1e-6f));
}
