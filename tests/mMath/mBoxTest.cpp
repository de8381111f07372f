#include "mMath/mBox.h"

#include <cmath>

#include "mMathTestUtil.h"

TEST(mBox, ContainsSphereIsAnOverlapTest)
{
    struct Row {
        const char* name;
        mBox box;
        mSphere s;
        bool expected;
    } rows[] = {
        {"touching a face exactly", Box({0, 0, 0}, {1, 1, 1}), Sphere({3, 0.5f, 0.5f}, 2), true},
        {"just short of a face", Box({0, 0, 0}, {1, 1, 1}), Sphere({3, 0.5f, 0.5f}, 1.99f), false},
        {"near a corner, off the diagonal", Box({0, 0, 0}, {1, 1, 1}), Sphere({2, 2, 0.5f}, 1.4f), false},
        {"a corner gap on all three axes: sqrt 3 away", Box({0, 0, 0}, {1, 1, 1}), Sphere({2, 2, 2}, 1.75f), true},
        {"and just short of it", Box({0, 0, 0}, {1, 1, 1}), Sphere({2, 2, 2}, 1.7f), false},
        {"empty box", EmptyBox(), Sphere({0, 0, 0}, 1e30f), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.box.Contains(row.s), row.expected) << row.name;
}

TEST(mBox, ExtendBoxesAndPoints)
{
    mBox b = Box({0, 0, 0}, {1, 1, 1}), e = EmptyBox();
    b.Extend(EmptyBox());
    EXPECT_EQ(b.maxCorner, mVec3(1, 1, 1));
    b.Extend(Box({-1, 0.5f, 0.5f}, {0.5f, 0.5f, 3}));
    EXPECT_EQ(b.minCorner, mVec3(-1, 0, 0));
    EXPECT_EQ(b.maxCorner, mVec3(1, 1, 3));
    e.Extend(b);
    EXPECT_EQ(e.minCorner, b.minCorner);

    struct Vertex {
        mVec3 pos;
        float extra;
    } verts[3] = {{{2, -1, 0}, 7}, {{-3, 4, 1}, 7}, {{0, 0, 9}, 7}};
    b.Extend(0, &verts[0].pos, sizeof(Vertex));
    EXPECT_EQ(b.maxCorner, mVec3(1, 1, 3));  // n = 0 changes nothing
    e.MakeEmpty();
    e.Extend(1, &verts[0].pos, sizeof(Vertex));
    EXPECT_EQ(e.minCorner, mVec3(2, -1, 0));  // one point: a box of zero size
    EXPECT_EQ(e.maxCorner, mVec3(2, -1, 0));
    e.Extend(3, &verts[0].pos, sizeof(Vertex));
    EXPECT_EQ(e.minCorner, mVec3(-3, -1, 0));
    EXPECT_EQ(e.maxCorner, mVec3(2, 4, 9));
}

TEST(mBox, SurroundClampAndCorners)
{
    mBox b;
    b.Surround(Sphere({1, 2, 3}, 0));
    EXPECT_TRUE(b.IsEmpty());
    b.Surround(Sphere({1, 2, 3}, 2));
    EXPECT_EQ(b.minCorner, mVec3(-1, 0, 1));
    EXPECT_EQ(b.maxCorner, mVec3(3, 4, 5));
    mVec3 out, c[8];
    b.Clamp(mVec3(-5, 2, 99), &out);
    EXPECT_EQ(out, mVec3(-1, 2, 5));
    b.GetCorners(c);
    EXPECT_EQ(c[0], b.minCorner);
    EXPECT_EQ(c[1], mVec3(-1, 0, 5));  // bit 0: z
    EXPECT_EQ(c[2], mVec3(-1, 4, 1));  // bit 1: y
    EXPECT_EQ(c[4], mVec3(3, 0, 1));   // bit 2: x
    EXPECT_EQ(c[7], b.maxCorner);
}

TEST(mBox, TransformBoundsTheMovedCorners)
{
    mOCS o;
    o.basis.SetH(45.0f);
    o.origin.Set(10, 0, 0);
    mBox b;
    b.Xform(EmptyBox(), o);
    EXPECT_TRUE(b.IsEmpty());
    b.Xform(Box({-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}), o);
    const float half = std::sqrt(2.0f) / 2.0f;
    EXPECT_TRUE(VecNear(b.minCorner, mVec3(10 - half, -half, -0.5f), 1e-6f));
    EXPECT_TRUE(VecNear(b.maxCorner, mVec3(10 + half, half, 0.5f), 1e-6f));
    o.basis.SetH(90.0f);
    b = Box({1, 2, 3}, {4, 6, 8});
    b.Xform(b, o);  // in place
    b.XformInv(b, o);
    EXPECT_TRUE(VecNear(b.minCorner, mVec3(1, 2, 3), 1e-5f));
    EXPECT_TRUE(VecNear(b.maxCorner, mVec3(4, 6, 8), 1e-5f));
}
