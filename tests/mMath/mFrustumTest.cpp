#include "mMath/mFrustum.h"

#include <cmath>

#include "mMathTestUtil.h"

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
    EXPECT_EQ(c[4], mVec3(-3, 50, -6));  // the first far corner
    EXPECT_EQ(c[7], mVec3(4, 50, 5));   // right, far, top
    f.planes[mFrustum::kLeft] = f.planes[mFrustum::kNear];  // no corner on the left
    f.GetCorners(c);
    EXPECT_EQ(c[2], mVec3(0, 0, 0));
    EXPECT_EQ(c[5], mVec3(4, 50, -6));
    EXPECT_EQ(f.GetNearCornerDistance(), 0.0f);
}

TEST(mFrustum, ClipMasks)
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
        {"outside the near plane only", Sphere({0, 0.6f, 0}, 0.1f), 64, 0},
        {"a set bit is never tested", Sphere({0, 0.6f, 0}, 0.1f), 64 | 1, 127},
        {"bits above 5 pass through", Sphere({0, 10, 0}, 1), 0x300, 0x33F},
    };
    for (const Row& row : rows)
        EXPECT_EQ(f.Clip(row.s, row.mask), row.expected) << row.name;
    EXPECT_EQ(f.Clip(Box({-1, 10, -1}, {1, 12, 1}), 64), 127u);
    EXPECT_EQ(f.Clip(Box({-12, 10, -1}, {-9, 12, 1}), 64), 64u + 59u);  // straddling the left plane
    EXPECT_EQ(f.Clip(Box({-1, 101, -1}, {1, 102, 1}), 64), 0u);
    EXPECT_EQ(f.Clip(Box({-1, 101, -1}, {1, 102, 1}), 64 | 2), 64u | 2u | 61u);

    mFrustum o;
    o.SetOrtho(2, 50, -3, 4, 5, -6);
    const struct {
        const char* name;
        mBox b;
        unsigned int expected;
    } corners[] = {
        {"lowest corner on the near plane", Box({0, 2, 0}, {1, 3, 1}), 127},
        {"highest corner on the near plane", Box({0, 1, 0}, {1, 2, 1}), 126},
        {"lowest corner on the right plane", Box({3, 10, 0}, {4, 11, 1}), 127},
        {"highest corner on the right plane", Box({4, 10, 0}, {5, 11, 1}), 127 - 8},
        {"just past the right plane", Box({4.001f, 10, 0}, {5, 11, 1}), 0},
    };
    for (const auto& row : corners)
        EXPECT_EQ(o.Clip(row.b, 64), row.expected) << row.name;
}

TEST(mFrustum, PerspectiveReadsBack)
{
    mFrustum f, p;
    f.SetFOV(90, 90, 1, 100);
    EXPECT_TRUE(VecNear(f.planes[mFrustum::kLeft].normal, mVec3(0.7071068f, 0.7071068f, 0), 1e-7f));
    EXPECT_TRUE(VecNear(f.planes[mFrustum::kBottom].normal, mVec3(0, 0.7071068f, 0.7071068f), 1e-7f));
    float v[6], h, vert;
    f.GetPerspective(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    const float expected[6] = {1, 100, -1, 1, 1, -1};  // near, far, left, right, top, bottom
    for (int i = 0; i < 6; i++)
        EXPECT_FLOAT_EQ(v[i], expected[i]) << i;
    f.GetFOV(&h, &vert);
    EXPECT_NEAR(h, 90.0f, 1e-4f);
    EXPECT_NEAR(vert, 90.0f, 1e-4f);
    EXPECT_NEAR(f.GetNearCornerDistance(), std::sqrt(3.0f), 1e-6f);
    mFrustum wide = f;  // normals past unit length read as the widest angles, not NaN
    wide.planes[mFrustum::kLeft].normal.y = 1.2f;
    wide.planes[mFrustum::kTop].normal.y = -1.2f;
    wide.GetFOV(&h, &vert);
    EXPECT_TRUE(h == 180.0f && vert == -180.0f) << h << " " << vert;
    p.SetPerspective(1, 100, -1, 1, 1, -1);
    for (int i = 0; i < mFrustum::kNumPlanes; i++)
        EXPECT_TRUE(VecNear(p.planes[i].normal, f.planes[i].normal, 1e-7f) && p.planes[i].offset == f.planes[i].offset);
    p.SetPerspective(0, 100, -1, 1, 1, -1);  // a window at near 0 reads back as 0, not NaN
    p.GetPerspective(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    EXPECT_TRUE(v[2] == 0.0f && v[3] == 0.0f && v[4] == 0.0f && v[5] == 0.0f);
}
