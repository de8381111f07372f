#include "mMath/mQuat.h"

#include <cmath>

#include "mMath/mBasis.h"
#include "mMathTestUtil.h"

static float Length4(const mQuat& q) { return std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w); }

static testing::AssertionResult QuatNear(const mQuat& a, const mQuat& b, float tol)
{
    if (std::fabs(a.w - b.w) <= tol && VecNear(mVec3(a.x, a.y, a.z), mVec3(b.x, b.y, b.z), tol))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ")";
}

TEST(mQuat, AxisAngleUsesTheNegatedVectorPart)
{
    mQuat q;
    q.SetAxisAngle(mVec3(0, 0, 1), 90.0f);
    EXPECT_TRUE(QuatNear(q, mQuat(0, 0, -0.7071068f, 0.7071068f), 1e-7f));
    mBasis b;
    b.SetQuat(q);  // heading 90: right turns to +Y
    EXPECT_TRUE(BasisNear(b, mBasis{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}, 1e-6f));

    mVec3 axis;
    float angle;
    q.SetAxisAngle(mVec3(0.6f, 0, 0.8f), 50.0f);
    q.GetAxisAngle(&axis, &angle);  // the same rotation, read as -n and -A
    EXPECT_TRUE(VecNear(axis, mVec3(-0.6f, 0, -0.8f), 1e-5f));
    EXPECT_NEAR(angle, -50.0f, 1e-3f);
    for (const mQuat& d : {mQuat(0, 0, 0, 1), mQuat(0, 0, 0, -1), mQuat(0.1f, 0, 0, 1.5f)}) {
        angle = 99.0f;
        d.GetAxisAngle(&axis, &angle);
        EXPECT_EQ(axis, mVec3(0, 0, 1));
        EXPECT_EQ(angle, 0.0f);
    }
    mQuat(0.0049f, 0, 0, 0.999988f).GetAxisAngle(&axis, &angle);
    EXPECT_NEAR(axis.x, 1.0f, 0.01f);
    EXPECT_NEAR(angle, -0.5614f, 1e-3f);
}

TEST(mQuat, SlerpBranches)
{
    const mQuat a(0, 0, 0, 1);
    mQuat r, b, half;
    for (float t : {0.0f, 0.3f, 1.0f}) {
        r.Slerp(a, a, t);
        EXPECT_TRUE(QuatNear(r, a, 1e-7f)) << t;
        r.Slerp(a, mQuat(0, 0, 0, -1), t);  // -a is negated back
        EXPECT_TRUE(QuatNear(r, a, 1e-7f)) << t;
    }
    b.SetAxisAngle(mVec3(1, 0, 0), 90.0f);  // a.b = 0.7071: spherical weights
    r.Slerp(a, b, 0.5f);
    half.SetAxisAngle(mVec3(1, 0, 0), 45.0f);
    EXPECT_TRUE(QuatNear(r, half, 1e-6f));
    EXPECT_NEAR(Length4(r), 1.0f, 1e-6f);
    b.SetAxisAngle(mVec3(1, 0, 0), 4.0f);  // a.b = 0.99939: still spherical
    r.Slerp(a, b, 0.5f);
    EXPECT_NEAR(Length4(r), 1.0f, 1e-6f);
    b.SetAxisAngle(mVec3(1, 0, 0), 1.0f);  // a.b > 0.9999: linear weights, a little short
    r.Slerp(a, b, 0.5f);
    EXPECT_LT(Length4(r), 1.0f - 1e-8f);
    mQuat c, d;
    c.SetAxisAngle(mVec3(0, 0.6f, 0.8f), 40.0f);
    d.SetAxisAngle(mVec3(0.48f, 0.6f, 0.64f), -110.0f);
    r.Slerp(c, d, 0.25f);
    auto angleTo = [&r](const mQuat& q) { return std::acos(r.x * q.x + r.y * q.y + r.z * q.z + r.w * q.w); };
    EXPECT_NEAR(Length4(r), 1.0f, 1e-6f);
    EXPECT_NEAR(angleTo(d), 3.0f * angleTo(c), 1e-5f);
}

TEST(mQuat, ExpAndLog)
{
    mQuat r, q, l;
    r.Exp(mQuat(0, 0, 0, 123.0f));
    EXPECT_EQ(r, mQuat(0, 0, 0, 1));
    r.LogN(mQuat(0, 0, 0, 1));
    EXPECT_EQ(r, mQuat(0, 0, 0, 0));
    q.SetAxisAngle(mVec3(0, 0.6f, 0.8f), 70.0f);
    l.LogN(q);
    r.Exp(l);
    EXPECT_TRUE(QuatNear(r, q, 1e-6f));
    for (const float theta : {0.00009f, 0.00011f, 0.003f, 0.5f}) {
        SCOPED_TRACE(theta);
        r.Exp(mQuat(0, theta, 0, 7.0f));
        EXPECT_NEAR(double(r.y) / theta, std::sin(double(theta)) / theta, 3e-7);
        EXPECT_FLOAT_EQ(r.w, std::cos(theta));
        EXPECT_TRUE(r.x == 0.0f && r.z == 0.0f);
    }
}

TEST(mQuat, AgreesWithTheBasis)
{
    for (const mVec3 hpr : {mVec3(30, 20, -40), mVec3(-150, -70, 100), mVec3(95, 5, 170)}) {
        mQuat q, qb, qab;
        mBasis fromQuat, direct, bb, bab, expected;
        q.SetHPR(hpr.x, hpr.y, hpr.z);
        fromQuat.SetQuat(q);
        direct.SetHPR(hpr.x, hpr.y, hpr.z);
        EXPECT_TRUE(BasisNear(fromQuat, direct, 2e-6f));
        mVec3 back;
        q.GetHPR(&back);
        EXPECT_TRUE(VecNear(back, hpr, 5e-3f));
        qb.SetAxisAngle(mVec3(0.48f, -0.6f, 0.64f), hpr.z);  // Mult composes first a, then b, like the bases
        qab.Mult(q, qb);
        bb.SetQuat(qb);
        bab.SetQuat(qab);
        expected.Xform(direct, bb);
        EXPECT_TRUE(BasisNear(bab, expected, 4e-6f));
    }
}
