#include "mMath/mFrustum.h"

#include <cmath>

#include "mMath/mBox.h"
#include "mMath/mSphere.h"
#include "mMathTestUtil.h"

static bool SamePlanes(const mFrustum& a, const mFrustum& b, float tol)
{
    for (int i = 0; i < mFrustum::kNumPlanes; i++) {
        if (!a.planes[i].normal.ApproxEqual(b.planes[i].normal, tol) ||
            std::fabs(a.planes[i].offset - b.planes[i].offset) > tol * (1 + std::fabs(b.planes[i].offset)))
            return false;
    }
    return true;
}

static mSphere Sphere(mVec3 c, float r)
{
    mSphere s;
    s.center = c;
    s.radius = r;
    return s;
}

TEST(mFrustum, PerspectiveReadsBack)
{
    mFrustum f;
    f.SetFOV(90, 90, 1, 100);
    EXPECT_TRUE(VecNear(f.planes[mFrustum::kLeft].normal, mVec3(0.7071068f, 0.7071068f, 0), 1e-7f));
    EXPECT_TRUE(VecNear(f.planes[mFrustum::kBottom].normal, mVec3(0, 0.7071068f, 0.7071068f), 1e-7f));
    float n, fa, l, r, t, b;
    f.GetPerspective(&n, &fa, &l, &r, &t, &b);
    EXPECT_EQ(n, 1.0f);
    EXPECT_EQ(fa, 100.0f);
    EXPECT_FLOAT_EQ(l, -1.0f);
    EXPECT_FLOAT_EQ(r, 1.0f);
    EXPECT_FLOAT_EQ(t, 1.0f);
    EXPECT_FLOAT_EQ(b, -1.0f);
    float h, v;
    f.GetFOV(&h, &v);
    EXPECT_NEAR(h, 90.0f, 1e-4f);
    EXPECT_NEAR(v, 90.0f, 1e-4f);
    EXPECT_NEAR(f.GetNearCornerDistance(), std::sqrt(3.0f), 1e-6f);

    mFrustum p;
    p.SetPerspective(1, 100, -1, 1, 1, -1);
    EXPECT_TRUE(SamePlanes(p, f, 1e-7f));
    // A window at near 0 has no slope to read back: zeros, not NaN.
    p.SetPerspective(0, 100, -1, 1, 1, -1);
    p.GetPerspective(&n, &fa, &l, &r, &t, &b);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(t, 0.0f);
}

TEST(mFrustum, OrthoReadsBackAndHasCorners)
{
    mFrustum f;
    f.SetOrtho(2, 50, -3, 4, 5, -6);
    float v[6];
    f.GetOrtho(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    const float expected[6] = {2, 50, -3, 4, 5, -6};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(v[i], expected[i]) << i;
    mVec3 c[8];
    f.GetCorners(c);
    EXPECT_EQ(c[0], mVec3(-3, 2, -6));  // left, near, bottom
    EXPECT_EQ(c[3], mVec3(4, 2, 5));
    EXPECT_EQ(c[7], mVec3(4, 50, 5));   // right, far, top
    mFrustum flat = f;
    flat.planes[mFrustum::kLeft] = flat.planes[mFrustum::kNear];  // no corner on the left
    flat.GetCorners(c);
    EXPECT_EQ(c[2], mVec3(0, 0, 0));
    EXPECT_EQ(c[4], mVec3(0, 0, 0));
    EXPECT_EQ(c[5], mVec3(4, 50, -6));
}

TEST(mFrustum, ClipSphereMasks)
{
    mFrustum f;
    f.SetFOV(90, 90, 1, 100);
    struct Row {
        const char* name;
        mSphere s;
        unsigned int mask, expected;
    } rows[] = {
        {"wholly inside", Sphere({0, 10, 0}, 1), 64, 127},
        {"straddling only the near plane", Sphere({0, 1.2f, 0}, 0.5f), 64, 126},
        {"wholly behind the near plane", Sphere({0, -1, 0}, 0.5f), 64, 0},
        {"touching the near plane from behind is kept", Sphere({0, 0.75f, 0}, 0.25f), 64, 126},
        {"resting on the near plane counts inside it", Sphere({0, 1.5f, 0}, 0.5f), 64, 127},
        {"behind the near plane only", Sphere({0, 0.6f, 0}, 0.1f), 64, 0},
        {"a set bit is never tested", Sphere({0, 0.6f, 0}, 0.1f), 64 | 1, 127},
        {"bits above 5 pass through", Sphere({0, 10, 0}, 1), 0x300, 0x33F},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(f.Clip(row.s, row.mask), row.expected);
    }
}

TEST(mFrustum, ClipBoxMasks)
{
    mFrustum f;
    f.SetFOV(90, 90, 1, 100);
    struct Row {
        const char* name;
        mVec3 lo, hi;
        unsigned int expected;
    } rows[] = {
        {"wholly inside", {-1, 10, -1}, {1, 12, 1}, 127},
        {"straddling the left plane", {-12, 10, -1}, {-9, 12, 1}, 64 + 59},
        {"beyond the far plane", {-1, 101, -1}, {1, 102, 1}, 0},
        {"left of the left plane", {-30, 10, -1}, {-20, 12, 1}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mBox b;
        b.minCorner = row.lo;
        b.maxCorner = row.hi;
        EXPECT_EQ(f.Clip(b, mFrustum::kMaskStart), row.expected);
    }
}

TEST(mFrustum, TransformRoundTripsAndMovesWithTheFrame)
{
    RandomCases rnd(1231);
    for (int i = 0; i < kPropertyCases; i++) {
        mFrustum f;
        f.SetFOV(rnd.Uniform(20, 120), rnd.Uniform(20, 100), rnd.Uniform(0.1f, 2), rnd.Uniform(50, 500));
        const mOCS o = rnd.Frame();
        mFrustum world, back = f;
        world.Xform(f, o);
        back.Xform(back, o);  // in place gives the same
        ASSERT_TRUE(SamePlanes(back, world, 0.0f)) << i;
        back.XformInv(back, o);
        ASSERT_TRUE(SamePlanes(back, f, 2e-5f)) << i;

        // A sphere in the camera frame is culled alike once both are in the world.
        const mSphere local = Sphere(rnd.Vec(-60, 60), rnd.Uniform(0.5f, 5));
        mSphere moved = local;
        moved.center.Xform(local.center, o);
        const unsigned int a = f.Clip(local, 64), b = world.Clip(moved, 64);
        if (a != b) {
            // Only a sphere within rounding of a plane may differ.
            bool nearPlane = false;
            for (const mPlane& p : f.planes) {
                const float d = p.normal.Dot(local.center) - p.offset;
                nearPlane = nearPlane || std::fabs(std::fabs(d) - local.radius) < 1e-3f;
            }
            ASSERT_TRUE(nearPlane) << i;
        }
    }
}
