#include "mMath/mBasis.h"

#include "mMath/mQuat.h"
#include "mMathTestUtil.h"

TEST(mBasis, AnglesTurnTheWayTheConventionsSay)
{
    struct Row {
        const char* name;
        float h, p, r;
        mBasis expected;
    } rows[] = {
        {"zero is the identity", 0, 0, 0, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
        {"heading 90 turns counter-clockwise", 90, 0, 0, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}},
        {"positive pitch looks up", 0, 30, 0, {{1, 0, 0}, {0, 0.8660254f, 0.5f}, {0, -0.5f, 0.8660254f}}},
        {"positive roll lowers right", 0, 0, 30, {{0.8660254f, 0, -0.5f}, {0, 1, 0}, {0.5f, 0, 0.8660254f}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mBasis b, hp;
        b.SetHPR(row.h, row.p, row.r);
        EXPECT_TRUE(BasisNear(b, row.expected, 1e-7f));
        hp.SetHP(row.h, row.p);
        EXPECT_EQ(hp.forward, b.forward);
    }
    mBasis b;
    b.MakeIdentity();
    float h, p, r;
    b.GetHPR(&h, &p, &r);
    EXPECT_TRUE(h == 0.0f && p == 0.0f && r == 0.0f);
}

TEST(mBasis, SetDirPicksTheReferenceUp)
{
    struct Row {
        const char* name;
        mVec3 dir;
        mBasis expected;
    } rows[] = {
        {"straight up", {0, 0, 1}, {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}},
        {"straight down", {0, 0, -1}, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}},
        {"level, facing -X", {-1, 0, 0}, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}},
        {"zero direction: all axes zero", {0, 0, 0}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mBasis b;
        b.SetDir(row.dir);
        EXPECT_TRUE(BasisNear(b, row.expected, 0.0f));
    }
    mBasis b;
    b.SetDir(mVec3(0, 0, 1));
    float h, p, r;
    b.GetHPR(&h, &p, &r);
    EXPECT_EQ(p, 90.0f);
    EXPECT_EQ(r, 0.0f);  // straight up: roll from atan2(up.x, right.x)
    b = mBasis{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};  // straight up, turned: all of it reads as roll
    b.GetHPR(&h, &p, &r);
    EXPECT_FLOAT_EQ(r, 90.0f);
}

TEST(mBasis, GetQuatBranches)
{
    struct Row {
        const char* name;
        mBasis b;
        mQuat q;
    } rows[] = {
        {"identity", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0, 1}},
        {"heading 180: trace -1, largest diagonal z", {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}, {0, 0, 1, 0}},
        {"pitch 180: ties keep x", {{1, 0, 0}, {0, -1, 0}, {0, 0, -1}}, {1, 0, 0, 0}},
        {"zero basis stays finite", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {0.5f, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mQuat q;
        row.b.GetQuat(&q);
        EXPECT_EQ(q, row.q);
    }
}

TEST(mBasis, ComposeMayWriteIntoEitherArgument)
{
    mBasis a, b, expected, r, t;
    a.SetHPR(30, 10, 5);
    b.SetHPR(-60, 20, 0);
    expected.Xform(a, b);
    r = a;
    r.Xform(r, b);
    EXPECT_TRUE(BasisNear(r, expected, 0.0f));
    r = b;
    r.Xform(a, r);
    EXPECT_TRUE(BasisNear(r, expected, 0.0f));
    r = b;
    r.XformInv(expected, r);
    EXPECT_TRUE(BasisNear(r, a, 1e-6f));
    t.Inverse(a);
    EXPECT_EQ(t.right, mVec3(a.right.x, a.forward.x, a.up.x));
}

TEST(mBasis, RoundTrips)
{
    RandomCases rnd(1211);
    for (int i = 0; i < kPropertyCases; i++) {
        const float h = rnd.Uniform(-179.9f, 179.9f), p = rnd.Uniform(-89.5f, 89.5f);
        const float r = rnd.Uniform(-179.9f, 179.9f);
        mBasis b, back, composed;
        b.SetHPR(h, p, r);
        float h2, p2, r2;
        b.GetHPR(&h2, &p2, &r2);
        ASSERT_TRUE(VecNear(mVec3(h2, p2, r2), mVec3(h, p, r), 5e-3f)) << "HPR, case " << i;

        mQuat q;
        b.GetQuat(&q);
        back.SetQuat(q);
        ASSERT_TRUE(BasisNear(back, b, 2e-6f)) << "quaternion, case " << i;

        const mVec3 axis = rnd.UnitVec();
        const float angle = rnd.Uniform(-180, 180);
        q.SetAxisAngle(axis, angle);
        b.SetAxisAngle(axis, angle);
        back.SetQuat(q);
        ASSERT_TRUE(BasisNear(back, b, 2e-6f)) << "axis-angle, case " << i;

        const mBasis c = rnd.Basis();
        composed.Xform(b, c);
        back.XformInv(composed, c);
        ASSERT_TRUE(BasisNear(back, b, 2e-6f)) << "compose, case " << i;
    }
}
