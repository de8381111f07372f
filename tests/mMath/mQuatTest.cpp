#include "mMath/mQuat.h"

#include <cmath>

#include "mMath/mBasis.h"
#include "mMathTestUtil.h"

static float Length4(const mQuat& q) { return std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w); }

static testing::AssertionResult QuatNear(const mQuat& a, const mQuat& b, float tol)
{
    if (std::fabs(a.w - b.w) <= tol && VecNear(mVec3(a.x, a.y, a.z), mVec3(b.x, b.y, b.z), tol))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w
                                       << ") vs (" << b.x << ", " << b.y << ", " << b.z << ", " << b.w << ")";
}

TEST(mQuat, AxisAngleUsesTheNegatedVectorPart)
{
    mQuat q;
    q.SetAxisAngle(mVec3(0, 0, 1), 90.0f);
    EXPECT_TRUE(QuatNear(q, mQuat(0, 0, -0.7071068f, 0.7071068f), 1e-7f));
    mBasis b;
    b.SetQuat(q);  // heading 90: right turns to +Y
    mBasis expected{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    EXPECT_TRUE(BasisNear(b, expected, 1e-6f));

    mVec3 axis;
    float angle;
    q.SetAxisAngle(mVec3(0.6f, 0, 0.8f), 50.0f);
    q.GetAxisAngle(&axis, &angle);  // the same rotation, read as -n and -A
    EXPECT_TRUE(VecNear(axis, mVec3(-0.6f, 0, -0.8f), 1e-5f));
    EXPECT_NEAR(angle, -50.0f, 1e-3f);
}

TEST(mQuat, GetAxisAngleOfDegenerateRotations)
{
    struct Row {
        const char* name;
        mQuat q;
    } rows[] = {
        {"identity", {0, 0, 0, 1}},
        {"whole turn: w = -1", {0, 0, 0, -1}},
        {"not unit: w > 1", {0.1f, 0, 0, 1.5f}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mVec3 axis;
        float angle = 99.0f;
        row.q.GetAxisAngle(&axis, &angle);
        EXPECT_EQ(axis, mVec3(0, 0, 1));
        EXPECT_EQ(angle, 0.0f);
    }
}

TEST(mQuat, SlerpBranches)
{
    const mQuat a(0, 0, 0, 1);
    mQuat r;
    for (float t : {0.0f, 0.3f, 1.0f}) {
        SCOPED_TRACE(t);
        r.Slerp(a, a, t);
        EXPECT_TRUE(QuatNear(r, a, 1e-7f));
        r.Slerp(a, mQuat(0, 0, 0, -1), t);  // -a is negated back
        EXPECT_TRUE(QuatNear(r, a, 1e-7f));
    }
    mQuat b;
    b.SetAxisAngle(mVec3(1, 0, 0), 90.0f);  // a.b = 0.7071: spherical weights
    r.Slerp(a, b, 0.5f);
    EXPECT_NEAR(Length4(r), 1.0f, 1e-6f);
    mQuat half;
    half.SetAxisAngle(mVec3(1, 0, 0), 45.0f);
    EXPECT_TRUE(QuatNear(r, half, 1e-6f));
    b.SetAxisAngle(mVec3(1, 0, 0), 1.0f);  // a.b > 0.9999: linear weights, a little short
    r.Slerp(a, b, 0.5f);
    EXPECT_LT(Length4(r), 1.0f - 1e-8f);
}

TEST(mQuat, ExpAndLogAtZero)
{
    mQuat r;
    r.Exp(mQuat(0, 0, 0, 123.0f));
    EXPECT_EQ(r, mQuat(0, 0, 0, 1));
    r.LogN(mQuat(0, 0, 0, 1));
    EXPECT_EQ(r, mQuat(0, 0, 0, 0));
    mQuat q, l;
    q.SetAxisAngle(mVec3(0, 0.6f, 0.8f), 70.0f);
    l.LogN(q);
    r.Exp(l);
    EXPECT_TRUE(QuatNear(r, q, 1e-6f));
}

TEST(mQuat, AgreesWithTheBasis)
{
    RandomCases rnd(1202);
    for (int i = 0; i < kPropertyCases; i++) {
        const float h = rnd.Uniform(-180, 180), p = rnd.Uniform(-89, 89), r = rnd.Uniform(-180, 180);
        mQuat q;
        mBasis fromQuat, direct;
        q.SetHPR(h, p, r);
        fromQuat.SetQuat(q);
        direct.SetHPR(h, p, r);
        ASSERT_TRUE(BasisNear(fromQuat, direct, 2e-6f)) << "HPR case " << i;
        q.SetHP(h, p);
        fromQuat.SetQuat(q);
        direct.SetHP(h, p);
        ASSERT_TRUE(BasisNear(fromQuat, direct, 2e-6f)) << "HP case " << i;

        // Mult composes first a, then b, like the bases.
        mQuat qa, qb, qab;
        qa.SetHPR(rnd.Uniform(-180, 180), rnd.Uniform(-89, 89), 0);
        qb.SetAxisAngle(rnd.UnitVec(), rnd.Uniform(-180, 180));
        qab.Mult(qa, qb);
        mBasis ba, bb, bab, expected;
        ba.SetQuat(qa);
        bb.SetQuat(qb);
        bab.SetQuat(qab);
        expected.Xform(ba, bb);
        ASSERT_TRUE(BasisNear(bab, expected, 4e-6f)) << "Mult case " << i;
    }
}
