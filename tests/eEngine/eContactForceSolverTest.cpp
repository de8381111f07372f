#include "eEngine/eContactForceSolver.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "eEngine/eCollisionContact.h"

namespace {

std::vector<eCollisionContact> Contacts(std::initializer_list<mVec3> normals)
{
    std::vector<eCollisionContact> out;
    for (mVec3 n : normals) {
        n.Normalize();
        eCollisionContact c{};
        c.normal = n;
        out.push_back(c);
    }
    return out;
}

mVec3 Slide(mVec3 v, const std::vector<eCollisionContact>& contacts, eContactForceSolver* pSolver = nullptr)
{
    eContactForceSolver local;
    eContactForceSolver& s = pSolver ? *pSolver : local;
    s.ComputeForces(&v, contacts.data(), static_cast<int>(contacts.size()));
    return v;
}

TEST(eContactForceSolverTest, SlidesAlongWhatTheContactsLeaveFree)
{
    const float h = 0.70710677f;
    const struct { const char* why; std::vector<eCollisionContact> contacts; mVec3 move, slide; float tol; } rows[] = {
        {"the move already leaves both", Contacts({{1, 0, 0}, {0, 1, 0}}), {1, 2, 3}, {1, 2, 3}, 0},
        {"two walls met head-on", Contacts({{1, 0, 0}, {0, 1, 0}}), {-1, -1, 0}, {0, 0, 0}, 1e-6f},
        {"a wedge either side of the move", Contacts({{h, -h, 0}, {-h, -h, 0}}), {0, 1, 0}, {0, 0, 0}, 1e-6f},
        {"floor and wall keep their common line", Contacts({{0, 0, 1}, {-1, 0, 0}}), {2, 3, -1}, {0, 3, 0}, 1e-6f},
        {"a wall leaves the rest of a slanted move", Contacts({{-1, 0, 0}, {0, 0, 1}}), {1, 1, 0}, {0, 1, 0}, 1e-6f},
        {"a contact at exactly the tolerance is not driven", Contacts({{1, 0, 0}, {0, 1, 0}}), {-0.00001f, 1, 0},
         {-0.00001f, 1, 0}, 0},
        {"one wall twice", Contacts({{-1, 0, 0}, {-1, 0, 0}, {0, 0, 1}}), {1, 1, -1}, {0, 1, 0}, 1e-6f},
        {"a floor and a slope met head-on", Contacts({{0, 0, 1}, {-h, 0, h}}), {1, 0, -1}, {0, 0, 0}, 1e-6f},
        {"a floor lets go under a steep slope", Contacts({{0, 0, 1}, {-0.6f, 0, 0.8f}}), {1, 0, -1},
         {0.16f, 0, 0.12f}, 1e-6f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eContactForceSolver s;
        const mVec3 got = Slide(row.move, row.contacts, &s);
        mVec3 fromForces = row.move;
        for (size_t i = 0; i < row.contacts.size(); ++i) {
            EXPECT_GE(s.m_fForces[i], 0.0f);
            fromForces.AddScaled(fromForces, row.contacts[i].normal, s.m_fForces[i]);
        }
        for (const mVec3& v : {got, fromForces}) {
            if (row.tol == 0) {
                EXPECT_EQ(v, row.slide);
            } else {
                EXPECT_TRUE(v.ApproxEqual(row.slide, row.tol));
            }
        }
    }
    eContactForceSolver s;
    Slide({-1, -1, 0}, Contacts({{1, 0, 0}, {0, 1, 0}}), &s);
    EXPECT_TRUE(s.m_bClamped[0] && s.m_bClamped[1]);
    EXPECT_FLOAT_EQ(s.m_fForces[0], 1.0f);
}

TEST(eContactForceSolverTest, DriveWithoutALimitChangesNothing)
{
    const std::vector<eCollisionContact> c = Contacts({{0, 0, 0}, {0, 0, 1}});
    eContactForceSolver s;
    mVec3 v(0, 0, 1);
    s.ComputeForces(&v, c.data(), 2);
    s.m_fAccel[0] = -1.0f;
    s.DriveToZero(0, 2);
    EXPECT_EQ(s.m_fForces[0], 0.0f);
    EXPECT_EQ(s.m_fAccel[0], -1.0f);
    EXPECT_FALSE(s.m_bClamped[0] || s.m_bFree[0]);

    const std::vector<eCollisionContact> twice = Contacts({{-1, 0, 0}, {-1, 0, 0}, {0, 0, 1}});
    v.Set(0, 1, 0);
    s.ComputeForces(&v, twice.data(), 3);
    s.m_bClamped[0] = s.m_bClamped[1] = true;
    s.m_fForceStep[0] = s.m_fForceStep[1] = 5.0f;
    s.FDirection(2, 3);
    EXPECT_EQ(s.m_fForceStep[0], 0.0f);
    EXPECT_EQ(s.m_fForceStep[1], 0.0f);
    EXPECT_EQ(s.m_fForceStep[2], 1.0f);
}

TEST(eContactForceSolverTest, EliminationExchangesRowsForTheLargestPivot)
{
    const struct { const char* why; float a[3][3]; float b[3]; bool bSolved; float x[3]; } rows[] = {
        {"zero pivot", {{0, 1, 0}, {1, 0, 0}, {0, 0, 2}}, {2, 3, 4}, true, {3, 2, 2}},
        {"tiny pivot", {{1e-8f, 1, 0}, {1, 1, 0}, {0, 0, 1}}, {1, 2, 5}, true, {1, 1, 5}},
        {"every row eliminated", {{2, 1, 1}, {4, 3, 3}, {8, 7, 9}}, {4, 10, 24}, true, {1, 1, 1}},
        {"zero row", {{1, 0, 0}, {0, 0, 0}, {0, 0, 1}}, {1, 1, 1}, false, {}},
        {"zero column", {{1, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {1, 1, 1}, false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        float a[eContactForceSolver::kMaxContacts][eContactForceSolver::kMaxContacts] = {};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                a[r][c] = row.a[r][c];
        float x[3] = {};
        ASSERT_EQ(eContactForceSolver::GaussianElimination(a, x, row.b, 3), row.bSolved);
        for (int i = 0; row.bSolved && i < 3; ++i)
            EXPECT_NEAR(x[i], row.x[i], 1e-6f) << i;
    }
}

TEST(eContactForceSolverTest, SlidesEnterNoContact)
{
    uint32_t seed = 77;
    auto rnd = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
    };
    for (int iter = 0; iter < 2000; ++iter) {
        std::vector<eCollisionContact> c;
        const int n = 2 + iter % 6;
        for (int i = 0; i < n; ++i) {
            const mVec3 base = i > 0 && iter % 3 == 0 ? c[0].normal : mVec3(rnd(), rnd(), rnd());
            c.push_back(Contacts({base + mVec3(rnd(), rnd(), rnd()) * (iter % 3 == 0 ? 0.001f : 1.0f)})[0]);
        }
        const mVec3 v(rnd(), rnd(), rnd());
        const mVec3 out = Slide(v, c);
        ASSERT_TRUE(std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z)) << iter;
        EXPECT_LE(out.Length(), v.Length() * 1.001f) << iter;
        for (const eCollisionContact& k : c)
            EXPECT_GE(k.normal.Dot(out), -2e-3f * v.Length()) << iter;
        for (const eCollisionContact& k : c) {
            mVec3 along;
            along.AddScaled(v, k.normal, -v.Dot(k.normal));
            bool bFree = true;
            for (const eCollisionContact& other : c)
                bFree = bFree && other.normal.Dot(along) >= 0.0f;
            if (bFree) {
                EXPECT_LE(out.DistSq(v), along.DistSq(v) + 1e-3f * v.LengthSq()) << iter;
            }
        }
    }
}

}  // namespace
