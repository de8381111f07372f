#include "mMath/mSphere.h"

#include <algorithm>

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
        mContainment expected;
    } rows[] = {
        {"wholly within", Box({-1, -1, -1}, {1, 1, 1}), mContainment::ALL},
        {"straddling", Box({-1, -1, -1}, {3, 1, 1}), mContainment::PARTIAL},
        {"separated on one axis", Box({2.5f, -1, -1}, {3, 1, 1}), mContainment::NONE},
        {"off the diagonal, not touching", Box({1.5f, 1.5f, 1.5f}, {2, 2, 2}), mContainment::PARTIAL},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Sphere({0, 0, 0}, 2).Contains(row.b), row.expected) << row.name;
}

TEST(mSphere, SegmentSweepEdgeCases)
{
    const mVec3 p(5, 0, 0), q(-5, 0, 0);
    mVec3 c, at;
    float d;
    ASSERT_TRUE(Sphere({0, -3, 0}, 1).Collide(mVec3(0, 3, 0), p, q, &c, &at, &d));
    EXPECT_TRUE(VecNear(c, mVec3(0, -1, 0), 1e-6f));
    EXPECT_TRUE(VecNear(at, mVec3(0, 0, 0), 1e-6f));
    EXPECT_FLOAT_EQ(d, 2.0f);
    EXPECT_FALSE(Sphere({-3, -1, 0}, 1).Collide(mVec3(3, -1, 0), p, q, &c, &at, &d));  // along the segment
    EXPECT_FALSE(Sphere({7, -3, 0}, 1).Collide(mVec3(7, 3, 0), p, q, &c, &at, &d));  // beyond its end
    EXPECT_FALSE(Sphere({0, -3, 0}, 1).Collide(mVec3(0, 3, 0), q, q, &c, &at, &d));  // zero length
    // Starting across the line: the moment of leaving counts.
    ASSERT_TRUE(Sphere({0, -0.5f, 0}, 1).Collide(mVec3(0, 3.5f, 0), p, q, &c, &at, &d));
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
    EXPECT_FALSE(Sphere({0, -1, 0}, 1).Collide(mVec3(5, -1, 0), other, &c, &f));  // sideways: w.v = 0
    EXPECT_FALSE(Sphere({0, -5, 0}, 1).Collide(mVec3(0, -4, 0), other, &c, &f));  // stops short
}

// Samples a move finely: the first sample within reach and the closest pass
// (a pass within 0.05 of reach is grazing and not judged).
struct SampledMove {
    static constexpr int kSteps = 4000;
    float tFirst = -1, minDist = 1e30f;
    template <class DistFn>
    explicit SampledMove(DistFn dist, float reach)
    {
        for (int k = 0; k <= kSteps; k++) {
            const float t = float(k) / kSteps, d = dist(t);
            minDist = std::min(minDist, d);
            if (d <= reach && tFirst < 0)
                tFirst = t;
        }
    }
};

TEST(mSphere, SweepsAgreeWithSampledMotion)
{
    RandomCases rnd(1222);
    int hits = 0, sphereHits = 0;
    for (int i = 0; i < kPropertyCases; i++) {
        const mVec3 q = rnd.Vec(-3, 3), p = q + rnd.UnitVec() * rnd.Uniform(1, 6), e = p - q;
        const mSphere s = Sphere(rnd.Vec(-8, 8), rnd.Uniform(0.5f, 2));
        const mVec3 dest = q + e * rnd.Uniform(-0.3f, 1.3f) + rnd.Vec(-3, 3);  // across the line mostly
        auto footAt = [&](float t) { return (s.center + (dest - s.center) * t - q).Dot(e) / e.Dot(e); };
        auto lineDist = [&](float t) { return (s.center + (dest - s.center) * t).Dist(q + e * footAt(t)); };
        auto segDist = [&](float t) {
            return (s.center + (dest - s.center) * t).Dist(q + e * std::clamp(footAt(t), 0.0f, 1.0f));
        };
        const SampledMove line(lineDist, s.radius), seg(segDist, s.radius);
        const float footLine = line.tFirst >= 0 ? footAt(line.tFirst) : 0.5f;
        if (lineDist(0) < s.radius + 0.05f || std::fabs(seg.minDist - s.radius) < 0.05f ||
            std::fabs(footLine) < 0.02f || std::fabs(footLine - 1) < 0.02f)
            continue;  // starting across the line, grazing, or meeting the line at an end
        // The sweep reports the first touch of the segment's inside; a first
        // touch at an end belongs to the corner tests.
        const float footSeg = seg.tFirst >= 0 ? footAt(seg.tFirst) : -1;
        mVec3 c, at;
        float d;
        const bool hit = s.Collide(dest, p, q, &c, &at, &d);
        ASSERT_EQ(hit, footSeg > 0 && footSeg < 1) << "segment case " << i;
        if (hit) {
            hits++;
            ASSERT_NEAR(d / (dest - s.center).Length(), seg.tFirst, 2.0f / SampledMove::kSteps) << i;
            ASSERT_NEAR(c.Dist(at), s.radius, 1e-3f) << i;
        }
    }
    for (int i = 0; i < kPropertyCases; i++) {
        const mSphere other = Sphere(rnd.Vec(-3, 3), rnd.Uniform(0.5f, 3));
        const mSphere s = Sphere(rnd.Vec(-10, 10), rnd.Uniform(0.5f, 2));
        const mVec3 dest = other.center + rnd.Vec(-4, 4);
        const float reach = s.radius + other.radius;
        const SampledMove move([&](float t) { return (s.center + (dest - s.center) * t).Dist(other.center); }, reach);
        if (s.center.Dist(other.center) < reach + 0.05f || std::fabs(move.minDist - reach) < 0.05f)
            continue;
        mVec3 c;
        float f;
        const bool hit = s.Collide(dest, other, &c, &f);
        ASSERT_EQ(hit, move.tFirst >= 0) << "sphere case " << i;
        if (hit) {
            sphereHits++;
            ASSERT_NEAR(f, move.tFirst, 2.0f / SampledMove::kSteps) << i;
        }
    }
    EXPECT_GT(hits, 20);
    EXPECT_GT(sphereHits, 20);
}
