#include <gtest/gtest.h>

#include "platform/mtx.h"

namespace {

void ExpectMtx44(const Mtx44 m, const float (&e)[4][4])
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(m[r][c], e[r][c]) << "[" << r << "][" << c << "]";
}

void ExpectMtx(const Mtx m, const float (&e)[3][4])
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(m[r][c], e[r][c]) << "[" << r << "][" << c << "]";
}

float ClipDepth(const Mtx44 m, float z)
{
    const float cz = m[2][2] * z + m[2][3];
    const float cw = m[3][2] * z + m[3][3];
    return cz / cw;
}

TEST(mtx, FrustumAndOrthoMatrices)
{
    using Make = void (*)(Mtx44, float, float, float, float, float, float);
    struct Row { const char* name; Make make; float t, b, l, r, n, f; float e[4][4]; };
    const Row rows[] = {
        {"frustum symmetric", C_MTXFrustum, 1, -1, -2, 2, 1, 3,
         {{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -0.5f, -1.5f}, {0, 0, -1, 0}}},
        {"frustum off-centre", C_MTXFrustum, 2, 0, 0, 4, 2, 6,
         {{1, 0, 1, 0}, {0, 2, 1, 0}, {0, 0, -0.5f, -3}, {0, 0, -1, 0}}},
        {"ortho symmetric", C_MTXOrtho, 1, -1, -2, 2, 1, 3,
         {{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -0.5f, -1.5f}, {0, 0, 0, 1}}},
        {"ortho screen-like", C_MTXOrtho, 2, 0, 0, 4, 0, 10,
         {{0.5f, 0, 0, -1}, {0, 1, 0, -1}, {0, 0, -0.1f, -1}, {0, 0, 0, 1}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Mtx44 m;
        r.make(m, r.t, r.b, r.l, r.r, r.n, r.f);
        ExpectMtx44(m, r.e);
        EXPECT_FLOAT_EQ(ClipDepth(m, -r.n), -1.0f) << "near plane";
        EXPECT_NEAR(ClipDepth(m, -r.f), 0.0f, 1e-6f) << "far plane";
    }
}

TEST(mtx, PerspectiveMatchesTheEquivalentFrustum)
{
    Mtx44 p, f;
    C_MTXPerspective(p, 90.0f, 2.0f, 1.0f, 100.0f);
    C_MTXFrustum(f, 1.0f, -1.0f, -2.0f, 2.0f, 1.0f, 100.0f);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(p[r][c], f[r][c], 1e-6f) << r << c;
}

TEST(mtx, LightFrustumMapsTheNearRectangleToTextureSpace)
{
    Mtx m;
    C_MTXLightFrustum(m, 1, -1, -1, 1, 1, 0.5f, -0.5f, 0.5f, 0.5f);
    const float e[3][4] = {{0.5f, 0, -0.5f, 0}, {0, -0.5f, -0.5f, 0}, {0, 0, -1, 0}};
    ExpectMtx(m, e);
    struct Row { const char* name; Vec p; float s, t; };
    const Row rows[] = {
        {"top right at near", {1, 1, -1}, 1.0f, 0.0f},
        {"bottom left at depth 4", {-4, -4, -4}, 0.0f, 1.0f},
        {"centre", {0, 0, -7}, 0.5f, 0.5f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Vec stq;
        PSMTXMultVec(m, &r.p, &stq);
        EXPECT_FLOAT_EQ(stq.x / stq.z, r.s);
        EXPECT_FLOAT_EQ(stq.y / stq.z, r.t);
    }
}

TEST(mtx, ConcatAppliesTheRightOperandFirstAndMayAlias)
{
    Mtx s, t, ab;
    PSMTXScale(s, 2, 3, 4);
    PSMTXTrans(t, 1, 2, 3);
    PSMTXConcat(s, t, ab);  // scale after translate
    const float e[3][4] = {{2, 0, 0, 2}, {0, 3, 0, 6}, {0, 0, 4, 12}};
    ExpectMtx(ab, e);
    PSMTXConcat(s, t, s);  // destination is an operand
    ExpectMtx(s, e);
}

TEST(mtx, Concat44UsesEveryTerm)
{
    Mtx44 a, b, ab;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = static_cast<float>(r * 4 + c + 1);
            b[r][c] = static_cast<float>(c - r);
        }
    PSMTX44Concat(a, b, ab);
    EXPECT_EQ(ab[0][2], 0.0f);
    EXPECT_EQ(ab[0][3], 10.0f);
    EXPECT_EQ(ab[3][0], 13 * 0 + 14 * -1 + 15 * -2 + 16 * -3);
}

TEST(mtx, InverseOfAnAffineMatrixAndSingularRefusal)
{
    Mtx r, m, inv, prod;
    PSMTXRotRad(r, 'z', 0.5f);
    PSMTXTransApply(r, m, 3, -2, 5);
    PSMTXScaleApply(m, m, 2, 2, 2);
    ASSERT_EQ(PSMTXInverse(m, inv), 1u);
    PSMTXConcat(inv, m, prod);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(prod[i][j], i == j ? 1.0f : 0.0f, 1e-5f);
    Mtx singular;
    PSMTXScale(singular, 1, 0, 1);
    Mtx untouched;
    PSMTXIdentity(untouched);
    EXPECT_EQ(PSMTXInverse(singular, untouched), 0u);
    EXPECT_EQ(untouched[1][1], 1.0f);
    Mtx scale, invX;
    PSMTXScale(scale, 2, 4, 8);
    scale[0][3] = 9;
    PSMTXScale(invX, 5, 5, 5);
    invX[2][3] = 5;
    ASSERT_EQ(PSMTXInvXpose(scale, invX), 1u);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(invX[i][j], i == j ? 0.5f / float(1 << i) : 0.0f) << i << "," << j;
    EXPECT_EQ(PSMTXInvXpose(singular, invX), 0u);
    EXPECT_EQ(invX[0][0], 0.5f);
}

}  // namespace
