#include <cmath>
#include <utility>

#include "eEngine/eCollisionCache.h"
#include "collisionTestSupport.h"

namespace {

using TP = eCollisionContact::eColTriPos;
using CE = eColliderEllipse;

const mVec3 kFloor[3] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};

CE Sweep(const mVec3& centre, mVec3 dir, float dist, const std::vector<eCollisionCacheTri>& tris,
         uint32_t flags = 0)
{
    CE e;
    dir.Normalize();
    e.Set(centre, dist, dir, {1, 1, 1});
    e.m_fTravel = e.m_fMoveDist;
    eTestSurface s;
    s.m_flags = flags;
    e.MakeContactPoints(tris.data(), static_cast<int>(tris.size()), nullptr, &s);
    return e;
}

std::vector<eCollisionCacheTri> Floor() { return ToCacheTris({{kFloor[0], kFloor[1], kFloor[2]}}); }

TEST(eColliderEllipseTrisTest, ClosestPointNamesTheFeature)
{
    const mVec3 p[3] = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}};
    const struct { const char* why; mVec3 foot; TP pos; mVec3 closest; } rows[] = {
        {"inside", {0.5f, 0.5f, 0}, TP::TP_ONTRI, {0.5f, 0.5f, 0}},
        {"exactly on edge 0-1", {1, 0, 0}, TP::TP_ONEDGE0_1, {1, 0, 0}},
        {"exactly on corner 0", {0, 0, 0}, TP::TP_ONPOINT0, {0, 0, 0}},
        {"beyond corner 1", {3, -1, 0}, TP::TP_ONPOINT1, {2, 0, 0}},
        {"beyond edge 1-2", {2, 2, 0}, TP::TP_ONEDGE1_2, {1, 1, 0}},
        {"beyond edge 2-0", {-1, 1, 0}, TP::TP_ONEDGE2_0, {0, 1, 0}},
        {"beyond edge 0-1, past corner 0", {-1, -0.5f, 0}, TP::TP_ONPOINT0, {0, 0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        mVec3 closest(9, 9, 9);
        bool bDegenerate = true;
        EXPECT_EQ(FindClosestPointOnTri(row.foot + mVec3(0, 0, 0.5f), row.foot, p, &closest, &bDegenerate), row.pos);
        EXPECT_FALSE(bDegenerate);
        EXPECT_TRUE(closest.ApproxEqual(row.closest, 1e-6f));
    }
    const mVec3 obtuse[3] = {{0, 0, 0}, {4, 0, 0}, {-3, 1, 0}};
    mVec3 closest(9, 9, 9);
    bool bDegenerate = false;
    EXPECT_EQ(FindClosestPointOnTri({-1, -1, 1}, {-1, -1, 0}, obtuse, &closest, &bDegenerate), TP::TP_ONEDGE2_0);
    EXPECT_TRUE(closest.ApproxEqual({-0.6f, 0.2f, 0}, 1e-6f));
    const mVec3 line[3] = {{0, 0, 0}, {1, 1, 0}, {2, 2, 0}};
    closest.Set(9, 9, 9);
    EXPECT_EQ(FindClosestPointOnTri({1, 0, 1}, {1, 0, 0}, line, &closest, &bDegenerate), TP::TP_DEGENERATE);
    EXPECT_TRUE(bDegenerate);
    EXPECT_EQ(closest, mVec3(9, 9, 9));
    EXPECT_TRUE(PointInTri(line, {5, 0, 0}, &bDegenerate));  // no area counts as inside
    EXPECT_TRUE(bDegenerate);
    EXPECT_TRUE(PointInTri(p, {1, 1, 0}, &bDegenerate));  // on the long edge
    EXPECT_FALSE(PointInTri(p, {1.01f, 1, 0}, &bDegenerate));
}

TEST(eColliderEllipseTrisTest, SweepAgainstOneTriangle)
{
    const float dCorner = 3.0f - std::sqrt(0.28f);  // the corner enters at 0.6^2 + 0.6^2 + z^2 = 1
    const struct { const char* why; mVec3 centre, dir; float dist; uint32_t flags; int nNormal, nTouch;
                   TP pos = TP::TP_NONE; float distance = 0; mVec3 position{0, 0, 0}, normal{0, 0, 0}; } rows[] = {
        {"resting, moving sideways: the floor does not face the move", {1, 1, 1}, {1, 0, 0}, 1, 0, 0, 0},
        {"resting within the tolerance", {1, 1, 0.9995f}, {0, 0, -1}, 1, 0, 1, 0, TP::TP_ONTRI, 0, {1, 1, 0},
         {0, 0, 1}},
        {"the face, measured from the sphere's lowest point", {1, 1, 3}, {0, 0, -1}, 5, 0, 1, 0, TP::TP_ONTRI, 2,
         {1, 1, 0}, {0, 0, 1}},
        {"the plane out of reach", {1, 1, 3}, {0, 0, -1}, 1.5f, 0, 0, 0},
        {"only the edge", {2, -0.6f, 3}, {0, 0, -1}, 5, 0, 1, 0, TP::TP_ONEDGE0_1, 2.2f, {2, 0, 0}, {0, -0.6f, 0.8f}},
        {"only the corner", {-0.6f, -0.6f, 3}, {0, 0, -1}, 5, 0, 1, 0, TP::TP_ONPOINT0, dCorner, {0, 0, 0},
         {-0.6f, -0.6f, 3 - dCorner}},
        {"touch-only: never blocks", {1, 1, 3}, {0, 0, -1}, 5, CE::kSurfTouchOnly, 0, 1, TP::TP_ONTRI, 2, {1, 1, 0},
         {0, 0, 1}},
        {"no swept hits: a fast sweep passes", {1, 1, 3}, {0, 0, -1}, 5, CE::kSurfNoSweep, 0, 0},
        {"no swept hits: touching still blocks", {1, 1, 1}, {0, 0, -1}, 5, CE::kSurfNoSweep, 1, 0, TP::TP_ONTRI, 0,
         {1, 1, 0}, {0, 0, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const CE e = Sweep(row.centre, row.dir, row.dist, Floor(), row.flags);
        ASSERT_EQ(e.m_nContacts[CE::CT_NORMAL], row.nNormal);
        ASSERT_EQ(e.m_nContacts[CE::CT_TOUCH], row.nTouch);
        const CE::eContactType t = row.nTouch ? CE::CT_TOUCH : CE::CT_NORMAL;
        EXPECT_FLOAT_EQ(e.m_fTravel, row.nNormal ? row.distance : row.dist);
        if (!row.nNormal && !row.nTouch)
            continue;
        const eCollisionContact& c = e.m_pContacts[t][0];
        EXPECT_EQ(c.trianglePos, row.pos);
        EXPECT_NEAR(c.fDistanceToContact, row.distance, 1e-5f);
        EXPECT_TRUE(c.position.ApproxEqual(row.position, 1e-5f));
        mVec3 n = row.normal;
        n.Normalize();
        EXPECT_TRUE(c.normal.ApproxEqual(n, 1e-5f));
        EXPECT_EQ(c.triNormal, mVec3(0, 0, 1));
    }
}

TEST(eColliderEllipseTrisTest, TrianglesOfNoAreaGiveNoContact)
{
    std::vector<eCollisionCacheTri> tris = ToCacheTris({{{0, 0, 0}, {1, 1, 0}, {2, 2, 0}}});
    eCollisionCacheTri flat = Floor()[0];
    flat.v3 = flat.v2;
    tris.push_back(flat);
    for (const mVec3& centre : {mVec3(1, 1, 0.5f), mVec3(1, 1, 3)}) {
        CE e = Sweep(centre, {0, 0, -1}, 5, tris);
        eTestSurface s;
        e.MakeEmbedContacts(tris.data(), static_cast<int>(tris.size()), nullptr, &s);
        EXPECT_EQ(e.m_nContacts[CE::CT_NORMAL] + e.m_nContacts[CE::CT_EMBED], 0);
        EXPECT_FLOAT_EQ(e.m_fTravel, 5.0f);
    }
}

float DistToTri(const mVec3& p, const mVec3* t)
{
    mVec3 n;
    n.Cross(t[1] - t[0], t[2] - t[0]);
    n.Normalize();
    const mVec3 foot = p - n * n.Dot(p - t[0]);
    bool inside = true;
    for (int k = 0; k < 3; ++k) {
        mVec3 c;
        c.Cross(t[(k + 1) % 3] - t[k], foot - t[k]);
        inside = inside && c.Dot(n) >= 0.0f;
    }
    if (inside)
        return std::fabs(n.Dot(p - t[0]));
    float best = 1e30f;
    for (int k = 0; k < 3; ++k) {
        const mVec3 a = t[k], e = t[(k + 1) % 3] - a;
        float s = (p - a).Dot(e) / e.Dot(e);
        s = s < 0 ? 0 : (s > 1 ? 1 : s);
        best = std::fmin(best, p.Dist(a + e * s));
    }
    return best;
}

TEST(eColliderEllipseTrisTest, SweepsStopWhereTheSphereFirstTouches)
{
    uint32_t seed = 2024;
    auto rnd = [&seed](float lo, float hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
    };
    int nChecked = 0;
    for (int iter = 0; iter < 8000; ++iter) {
        const mVec3 t[3] = {{rnd(-3, 3), rnd(-3, 3), rnd(-1, 1)}, {rnd(-3, 3), rnd(-3, 3), rnd(-1, 1)},
                            {rnd(-3, 3), rnd(-3, 3), rnd(-1, 1)}};
        mVec3 n;
        n.Cross(t[1] - t[0], t[2] - t[0]);
        if (n.Length() < 0.5f)
            continue;  // slivers
        const mVec3 start(rnd(-3, 3), rnd(-3, 3), rnd(-3, 3));
        mVec3 dir(rnd(-1, 1), rnd(-1, 1), rnd(-1, 1));
        dir.Normalize();
        const float dist = rnd(0.1f, 6.0f);
        const float startDist = DistToTri(start, t);
        if (startDist > 0.99f && startDist < 1.01f)
            continue;  // just touching: either answer is fair
        const CE e = Sweep(start, dir, dist, ToCacheTris({{t[0], t[1], t[2]}}));
        n.Normalize();
        const float facing = dir.Dot(n);
        if (facing >= -0.0001f || n.Dot(start - t[0]) < 0.0f) {
            EXPECT_EQ(e.m_nContacts[CE::CT_NORMAL], 0);  // not facing the move, or from behind
            continue;
        }
        auto distAt = [&](float s) { return DistToTri(start + dir * s, t); };
        if (startDist < 1.0f) {
            const float change = distAt(0.01f) - startDist;
            if (std::fabs(change) > 1e-4f) {
                ASSERT_EQ(e.m_nContacts[CE::CT_NORMAL], change < 0.0f ? 1 : 0) << iter;
                EXPECT_TRUE(change > 0.0f || e.m_pContacts[CE::CT_NORMAL][0].fDistanceToContact == 0.0f);
                ++nChecked;
            }
            continue;
        }
        float lo = 0, hi = dist;
        for (int i = 0; i < 100; ++i) {
            const float a = lo + (hi - lo) / 3, b = hi - (hi - lo) / 3;
            if (distAt(a) < distAt(b))
                hi = b;
            else
                lo = a;
        }
        const float least = distAt(lo);
        if (least > 1.001f) {
            EXPECT_EQ(e.m_nContacts[CE::CT_NORMAL], 0) << iter;
            continue;
        }
        const float tLeast = lo;
        lo = 0, hi = tLeast;
        for (int i = 0; i < 60; ++i)
            (distAt((lo + hi) / 2) > 1.0f ? lo : hi) = (lo + hi) / 2;
        if (least > 0.98f || facing > -0.001f || dist - lo < 0.01f)
            continue;  // grazing, or at the end of the move: either answer is fair
        ++nChecked;
        ASSERT_EQ(e.m_nContacts[CE::CT_NORMAL], 1) << iter;
        EXPECT_NEAR(e.m_pContacts[CE::CT_NORMAL][0].fDistanceToContact, lo, 2e-3f) << iter;
    }
    EXPECT_GT(nChecked, 300);
}

// Lifts a triangle along z, its plane with it.
void Raise(eCollisionCacheTri* pTri, float dz)
{
    for (mVec3* v : {&pTri->v1, &pTri->v2, &pTri->v3})
        v->z += dz;
    pTri->plane.offset += dz * pTri->plane.normal.z;
}

// A collider swept again over the same triangle array, the triangle changed
// in place or the radii set anew, gives what a fresh collider gives: nothing
// of the first sweep's scaled triangles carries over.
TEST(eColliderEllipseTrisTest, ACollidersRoundsFollowChangedTrianglesAndRadii)
{
    const mVec3 down(0, 0, -1), centre(1, 1, 5);
    const struct { const char* why; float raise; mVec3 radii; bool bFlip; int nContacts; float distance, z; } rows[] = {
        {"the triangle raised in place", 1.0f, {1, 1, 1}, false, 1, 2.0f, 2.0f},
        {"the triangle turned to face away", 0.0f, {1, 1, 1}, true, 0, 0.0f, 0.0f},
        {"the radii set anew", 0.0f, {1, 1, 2}, false, 1, 1.0f, 0.5f},
        {"nothing changed", 0.0f, {1, 1, 1}, false, 1, 3.0f, 1.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        std::vector<eCollisionCacheTri> tris = Floor();
        Raise(&tris[0], 1.0f);
        eTestSurface s;
        CE e;
        e.Set(centre, 5, down, {1, 1, 1});
        e.m_fTravel = e.m_fMoveDist;
        e.MakeContactPoints(tris.data(), 1, nullptr, &s);
        ASSERT_EQ(e.m_nContacts[CE::CT_NORMAL], 1);
        ASSERT_FLOAT_EQ(e.m_pContacts[CE::CT_NORMAL][0].fDistanceToContact, 3.0f);

        eCollisionCacheTri& t = tris[0];
        Raise(&t, row.raise);
        if (row.bFlip) {
            std::swap(t.v2, t.v3);
            t.plane.normal = -t.plane.normal;
            t.plane.offset = -t.plane.offset;
        }
        e.ClearContacts(CE::CT_NORMAL);
        e.Set(centre, 5, down, row.radii);
        e.m_fTravel = e.m_fMoveDist;
        e.MakeContactPoints(tris.data(), 1, nullptr, &s);
        ASSERT_EQ(e.m_nContacts[CE::CT_NORMAL], row.nContacts);
        if (row.nContacts == 0)
            continue;
        EXPECT_FLOAT_EQ(e.m_pContacts[CE::CT_NORMAL][0].fDistanceToContact, row.distance);
        EXPECT_FLOAT_EQ(e.m_pContacts[CE::CT_NORMAL][0].position.z, row.z);
    }
}

// Once a blocking contact is found, triangles the sphere can only reach later
// are passed over; ones it reaches sooner, or just as soon, still count.
TEST(eColliderEllipseTrisTest, OnlyTheNearestBlockingContactsStay)
{
    const struct { const char* why; float secondZ; int nContacts; float distance; } rows[] = {
        {"a floor below the first: passed over", -0.5f, 1, 2.0f},
        {"a floor just below, within rounding of the first", -1.0e-6f, 1, 2.0f},
        {"a floor above the first: the nearer contact", 0.5f, 1, 1.5f},
        {"the same floor again: one feature", 0.0f, 1, 2.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        std::vector<eCollisionCacheTri> tris = Floor();
        tris.push_back(tris[0]);
        Raise(&tris[1], row.secondZ);
        const CE e = Sweep({1, 1, 3}, {0, 0, -1}, 5, tris);
        ASSERT_EQ(e.m_nContacts[CE::CT_NORMAL], row.nContacts);
        EXPECT_FLOAT_EQ(e.m_pContacts[CE::CT_NORMAL][0].fDistanceToContact, row.distance);
        EXPECT_FLOAT_EQ(e.m_fTravel, row.distance);
        EXPECT_FLOAT_EQ(e.m_pContacts[CE::CT_NORMAL][0].position.z, row.distance == 2.0f ? 0.0f : row.secondZ);
    }
}

}  // namespace
