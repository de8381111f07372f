#include "mMath/mRay.h"

#include "mMathTestUtil.h"

TEST(mRay, BoxSlabTest)
{
    const mBox box = Box({1, -1, -1}, {3, 1, 1});
    struct Row {
        const char* name;
        mRay ray;
        float distance;  // the hit's, or what a miss leaves
        mVec3 normal;    // (0, 0, 0): a miss
    } rows[] = {
        {"along +X into x = min", Ray({-2, 0, 0}, {1, 0, 0}, 10), 3, {-1, 0, 0}},
        {"along -X into x = max", Ray({5, 0.5f, 0}, {-1, 0, 0}, 10), 2, {1, 0, 0}},
        {"down onto the top", Ray({2, 0, 4}, {0, 0, -1}, 10), 3, {0, 0, 1}},
        {"parallel, on the face counts inside", Ray({-2, 1, 0}, {1, 0, 0}, 10), 3, {-1, 0, 0}},
        {"negative length reaches 1000000", Ray({-999998, 0, 0}, {1, 0, 0}, -1), 999999, {-1, 0, 0}},
        {"but not beyond", Ray({-1000000, 0, 0}, {1, 0, 0}, -1), 1000000, {}},
        {"from inside", Ray({2, 0, 0}, {1, 0, 0}, 10), 10, {}},
        {"starting on the entry face counts inside", Ray({1, 0, 0}, {1, 0, 0}, 10), 10, {}},
        {"parallel, outside the slab", Ray({-2, 2, 0}, {1, 0, 0}, 10), 10, {}},
        {"behind", Ray({5, 0, 0}, {1, 0, 0}, 10), 10, {}},
        {"out of reach", Ray({-2, 0, 0}, {1, 0, 0}, 3), 3, {}},
        {"zero direction", Ray({-2, 0, 0}, {0, 0, 0}, 10), 10, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mRayVolHit hit{-5, {}, {}};
        bool inside = true;
        const bool expectHit = row.normal != mVec3(0, 0, 0);
        EXPECT_EQ(row.ray.Intersect(box, &hit, &inside), expectHit);
        EXPECT_FALSE(inside);  // cleared, never set
        EXPECT_EQ(hit.distance, row.distance);
        if (expectHit) {
            EXPECT_EQ(hit.normal, row.normal);
            EXPECT_EQ(hit.pos, row.ray.origin + row.ray.dir * row.distance);
        }
    }
}

TEST(mRay, PlaneWritesTheDistanceEvenWhenRejected)
{
    const mPlane p = Plane({0, 0, 1}, 2);
    struct Row {
        const char* name;
        mRay ray;
        bool allowBehind, hit;
        float distance;
    } rows[] = {
        {"parallel: untouched", Ray({0, 0, 0}, {1, 0, 0}, 10), true, false, -5},
        {"ahead", Ray({0, 0, 0}, {0, 0, 1}, 10), false, true, 2},
        {"behind, not allowed", Ray({0, 0, 5}, {0, 0, 1}, 10), false, false, -3},
        {"behind, allowed", Ray({0, 0, 5}, {0, 0, 1}, 10), true, true, -3},
        {"beyond the length", Ray({0, 0, 0}, {0, 0, 1}, 1), false, false, 2},
        {"negative length is not unbounded here", Ray({0, 0, 0}, {0, 0, 1}, -1), true, false, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mRayVolHit hit{-5, {9, 9, 9}, {9, 9, 9}};
        EXPECT_EQ(row.ray.Intersect(p, &hit, false, row.allowBehind), row.hit);
        EXPECT_EQ(hit.distance, row.distance);
        EXPECT_EQ(hit.normal, mVec3(9, 9, 9));  // not asked for
    }
    mRayVolHit hit{};
    ASSERT_TRUE(Ray({1, 1, 0}, {0, 0, 1}, 10).Intersect(p, &hit, true, false));
    EXPECT_EQ(hit.normal, p.normal);
    EXPECT_EQ(hit.pos, mVec3(1, 1, 2));
}

TEST(mRay, SphereFromOutsideAndInside)
{
    const mSphere s = Sphere({0, 5, 0}, 1);
    struct Row {
        const char* name;
        mRay ray;
        bool hit, inside;
        float distance;
        mVec3 normal;
    } rows[] = {
        {"entering", Ray({0, 0, 0}, {0, 1, 0}, 10), true, false, 4, {0, -1, 0}},
        {"from inside: the exit", Ray({0, 5, 0}, {0, 1, 0}, 10), true, true, 1, {0, 1, 0}},
        {"length 0 inside", Ray({0, 5, 0}, {0, 1, 0}, 0), false, true, 0, {}},
        {"behind", Ray({0, 0, 0}, {0, -1, 0}, 10), false, false, 10, {}},
        {"passing by", Ray({2, 0, 0}, {0, 1, 0}, 10), false, false, 10, {}},
        {"out of reach", Ray({0, 0, 0}, {0, 1, 0}, 3.5f), false, false, 3.5f, {}},
        {"negative length", Ray({0, -999990, 0}, {0, 1, 0}, -1), true, false, 999994, {0, -1, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mRayVolHit hit{-5, {}, {}};
        bool inside = !row.inside;
        EXPECT_EQ(row.ray.Intersect(s, &hit, &inside), row.hit);
        EXPECT_EQ(inside, row.inside);
        EXPECT_EQ(hit.distance, row.distance);
        if (row.hit) {
            EXPECT_TRUE(VecNear(hit.normal, row.normal, 1e-6f));
        }
    }
}
