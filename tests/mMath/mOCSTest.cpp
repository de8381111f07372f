#include "mMath/mOCS.h"

#include "mMathTestUtil.h"

TEST(mOCS, ComposeRoundTripsAndMayAlias)
{
    RandomCases rnd(1221);
    for (int i = 0; i < kPropertyCases; i++) {
        const mOCS a = rnd.Frame(), b = rnd.Frame();
        mOCS ab, back;
        ab.Xform(a, b);
        back.XformInv(ab, b);
        ASSERT_TRUE(back.ApproxEqual(a, 2e-4f)) << i;

        mOCS r = a;
        r.Xform(r, b);
        ASSERT_TRUE(r == ab) << "into a, case " << i;
        r = b;
        r.Xform(a, r);
        ASSERT_TRUE(r == ab) << "into b, case " << i;
        r = ab;
        r.XformInv(r, b);
        ASSERT_TRUE(r == back) << "inverse into a, case " << i;
        r = b;
        r.XformInv(ab, r);
        ASSERT_TRUE(r == back) << "inverse into b, case " << i;
    }
}

TEST(mOCS, LookAtDegenerateCasesStayFinite)
{
    struct Row {
        const char* name;
        mVec3 eye, target, hint;
        mBasis expected;
    } rows[] = {
        {"looking along +Y", {1, 2, 3}, {1, 7, 3}, {0, 0, 1}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
        {"target at the eye", {1, 2, 3}, {1, 2, 3}, {0, 0, 1}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {"hint along the view", {0, 0, 0}, {0, 0, 5}, {0, 0, 1}, {{0, 0, 0}, {0, 0, 1}, {0, 0, 0}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mOCS o;
        o.LookAt(row.eye, row.target, row.hint);
        EXPECT_EQ(o.origin, row.eye);
        EXPECT_TRUE(BasisNear(o.basis, row.expected, 0.0f));
    }
}

TEST(mOCS, ExactAndTolerantCompare)
{
    mOCS a;
    a.MakeIdentity();
    mOCS b = a;
    EXPECT_TRUE(a == b);
    b.origin.x = 0.25f;
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a.ApproxEqual(b, 0.25f));
    EXPECT_FALSE(a.ApproxEqual(b, 0.125f));
    b = a;
    b.basis.up.z = -1.0f;
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(a.ApproxEqual(b, 1.0f));
    EXPECT_TRUE(a.ApproxEqual(b, 2.0f));
}
