#include "mMath/mSphere.h"

#include <algorithm>

#include "mMath/mBox.h"
#include "mMathTestUtil.h"

static mSphere Sphere(mVec3 c, float r)
{
    mSphere s;
    s.center = c;
    s.radius = r;
    return s;
}

TEST(mSphere, ClampStopsJustInsideTheSurface)
{
    const mSphere s = Sphere({1, 1, 1}, 2);
    mVec3 out;
    s.Clamp(mVec3(1, 1, 101), &out);
    EXPECT_EQ(out.x, 1.0f);
    EXPECT_FLOAT_EQ(out.Dist(s.center), 2.0f - 0.00001f);
    s.Clamp(mVec3(2, 1, 1), &out);
    EXPECT_EQ(out, mVec3(2, 1, 1));
}

TEST(mSphere, ExtendBySpheres)
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
}

TEST(mSphere, ExtendByBoxesAndPoints)
{
    mBox empty;
    empty.MakeEmpty();
    mSphere s = Sphere({5, 5, 5}, 0);
    s.Extend(empty);
    EXPECT_EQ(s.radius, -1.0f);  // empty stays empty
    s = Sphere({5, 5, 5}, 2);
    s.Extend(empty);
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
        mVec3 lo, hi;
        mContainment expected;
    } rows[] = {
        {"wholly within", {-1, -1, -1}, {1, 1, 1}, mContainment::ALL},
        {"straddling", {-1, -1, -1}, {3, 1, 1}, mContainment::PARTIAL},
        {"separated on one axis", {2.5f, -1, -1}, {3, 1, 1}, mContainment::NONE},
        {"off the diagonal, not touching", {1.5f, 1.5f, 1.5f}, {2, 2, 2}, mContainment::PARTIAL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mBox b;
        b.minCorner = row.lo;
        b.maxCorner = row.hi;
        EXPECT_EQ(Sphere({0, 0, 0}, 2).Contains(b), row.expected);
    }
}

TEST(mSphere, SegmentSweepEdgeCases)
{
    const mSphere s = Sphere({0, -3, 0}, 1);
    mVec3 c, p;
    float d;
    ASSERT_TRUE(s.Collide(mVec3(0, 3, 0), mVec3(5, 0, 0), mVec3(-5, 0, 0), &c, &p, &d));
    EXPECT_TRUE(VecNear(c, mVec3(0, -1, 0), 1e-6f));
    EXPECT_TRUE(VecNear(p, mVec3(0, 0, 0), 1e-6f));
    EXPECT_FLOAT_EQ(d, 2.0f);
    // Along the segment's own direction: the perpendicular move is zero.
    EXPECT_FALSE(s.Collide(mVec3(0, -3, 6), mVec3(0, -3, 5), mVec3(0, -3, -5), &c, &p, &d));
    // The foot of the contact beyond the segment's end: left to the corner test.
    EXPECT_FALSE(Sphere({7, -3, 0}, 1).Collide(mVec3(7, 3, 0), mVec3(5, 0, 0), mVec3(-5, 0, 0), &c, &p, &d));
    // Zero-length segment.
    EXPECT_FALSE(s.Collide(mVec3(0, 3, 0), mVec3(0, 0, 0), mVec3(0, 0, 0), &c, &p, &d));
    // Starting across the line: the moment of leaving counts.
    ASSERT_TRUE(Sphere({0, -0.5f, 0}, 1).Collide(mVec3(0, 3.5f, 0), mVec3(5, 0, 0), mVec3(-5, 0, 0), &c, &p, &d));
    EXPECT_TRUE(VecNear(c, mVec3(0, 1, 0), 1e-6f));
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
    EXPECT_FALSE(Sphere({0, -5, 0}, 1).Collide(mVec3(0, -4, 0), other, &c, &f));  // stops short
}

TEST(mSphere, SweepsAgreeWithSampledMotion)
{
    RandomCases rnd(1222);
    constexpr int kSteps = 4000;
    int hits = 0, checked = 0;
    for (int i = 0; i < kPropertyCases; i++) {
        const mVec3 q = rnd.Vec(-3, 3), p1 = q + rnd.UnitVec() * rnd.Uniform(1, 6);
        const mSphere s = Sphere(rnd.Vec(-8, 8), rnd.Uniform(0.5f, 2));
        // Aimed across the segment's line, so that most moves touch it.
        const mVec3 dest = q + (p1 - q) * rnd.Uniform(-0.3f, 1.3f) + rnd.Vec(-3, 3);
        const mVec3 e = p1 - q;
        // Foot parameter on the segment's line and distances to line and segment.
        auto measure = [&](float t, float* pFoot, float* pLine, float* pSeg) {
            const mVec3 x = s.center + (dest - s.center) * t;
            *pFoot = (x - q).Dot(e) / e.Dot(e);
            *pLine = x.Dist(q + e * *pFoot);
            *pSeg = x.Dist(q + e * std::clamp(*pFoot, 0.0f, 1.0f));
        };
        float foot, line, seg;
        measure(0, &foot, &line, &seg);
        if (line < s.radius + 0.05f)
            continue;  // starts across the segment's line: not a first touch
        float tFirst = -1, footFirst = 0, footLine = 0.5f, minDist = 1e30f;
        bool lineMet = false;
        for (int k = 0; k <= kSteps; k++) {  // all the way: the closest pass tells grazing
            measure(float(k) / kSteps, &foot, &line, &seg);
            minDist = std::min(minDist, seg);
            if (line <= s.radius && !lineMet) {
                lineMet = true;
                footLine = foot;
            }
            if (seg <= s.radius && tFirst < 0) {
                tFirst = float(k) / kSteps;
                footFirst = foot;
            }
        }
        if (std::fabs(minDist - s.radius) < 0.05f || std::fabs(footLine) < 0.02f ||
            std::fabs(footLine - 1) < 0.02f)
            continue;  // grazing, or meeting the line right at an end
        mVec3 c, p;
        float d;
        const bool hit = s.Collide(dest, p1, q, &c, &p, &d);
        const bool interior = tFirst >= 0 && footFirst > 0.0f && footFirst < 1.0f;
        checked++;
        ASSERT_EQ(hit, interior) << "segment case " << i << ": first touch " << tFirst << " at " << footFirst;
        if (hit) {
            hits++;
            ASSERT_NEAR(d / (dest - s.center).Length(), tFirst, 2.0f / kSteps) << i;
            ASSERT_NEAR(c.Dist(p), s.radius, 1e-3f) << i;
        }
    }
    EXPECT_GT(checked, 100);
    EXPECT_GT(hits, 20);

    int sphereHits = 0;
    for (int i = 0; i < kPropertyCases; i++) {
        const mSphere other = Sphere(rnd.Vec(-3, 3), rnd.Uniform(0.5f, 3));
        const mSphere s = Sphere(rnd.Vec(-10, 10), rnd.Uniform(0.5f, 2));
        const mVec3 dest = other.center + rnd.Vec(-4, 4);
        const float reach = s.radius + other.radius;
        if (s.center.Dist(other.center) < reach + 0.05f)
            continue;
        float tFirst = -1, minDist = 1e30f;
        for (int k = 0; k <= kSteps; k++) {  // all the way: the closest pass tells grazing
            const float t = float(k) / kSteps;
            const float dist = (s.center + (dest - s.center) * t).Dist(other.center);
            minDist = std::min(minDist, dist);
            if (dist <= reach && tFirst < 0)
                tFirst = t;
        }
        if (std::fabs(minDist - reach) < 0.05f)
            continue;
        mVec3 c;
        float f;
        const bool hit = s.Collide(dest, other, &c, &f);
        ASSERT_EQ(hit, tFirst >= 0) << "sphere case " << i;
        if (hit) {
            sphereHits++;
            ASSERT_NEAR(f, tFirst, 2.0f / kSteps) << i;
            ASSERT_NEAR(c.Dist(other.center), reach, 1e-3f) << i;
        }
    }
    EXPECT_GT(sphereHits, 20);
}
