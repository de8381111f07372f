#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "collisionTestSupport.h"
#include "eEngine/eColliderRay.h"
#include "eEngine/eCollisionCache.h"
#include "eEngine/eZone.h"

namespace {

using CE = eColliderEllipse;

void AddFloor(std::vector<ColTri>* pTris, float h, float z, int surface = 0)
{
    AddQuad(pTris, {-h, -h, z}, {h, -h, z}, {h, h, z}, {-h, h, z}, surface);
}

void AddWall(std::vector<ColTri>* pTris, float x0, float h)
{
    AddQuad(pTris, {x0, h, -h}, {x0, -h, -h}, {x0, -h, h}, {x0, h, h});
}

bool Finite(const mVec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

class eZoneCollisionTest : public CollisionTest {};

TEST_F(eZoneCollisionTest, NothingToCollideWithFindsNothing)
{
    CE e;
    EXPECT_EQ(Move(&e, {0, 0, 0}, {0, 0, -5}, {1, 1, 1}), mVec3(0, 0, -5));  // no live zone
    eColliderRay ray;
    ray.m_ray = {{0, 0, 10}, {0, 0, -1}, 20};
    eZone::CollisionCullAll(ray);
    EXPECT_FALSE(eZone::CollideAllRay(&ray));

    eZone* pEmpty = AddZone(0, {0, 0, 0}, {});
    ASSERT_NE(pEmpty, nullptr);
    eCollisionInfo stale;
    pEmpty->m_pCollidableBin = &stale;
    EXPECT_EQ(Move(&e, {0, 0, 0}, {0, 0, -5}, {1, 1, 1}), mVec3(0, 0, -5));
    EXPECT_EQ(pEmpty->m_pCollidableBin, nullptr);
}

TEST_F(eZoneCollisionTest, MovedIntoAFloorWallCornerItRestsAgainstBoth)
{
    std::vector<ColTri> floor, wall;
    AddFloor(&floor, 20, 0);
    AddWall(&wall, 0, 20);
    ASSERT_NE(AddZone(0, {0, 0, 0}, floor), nullptr);
    ASSERT_NE(AddZone(3, {5, 0, 0}, wall), nullptr);
    CE e;
    const mVec3 end = Move(&e, {0, 0, 3}, {10, 0, -2}, {0.5f, 0.5f, 1.0f}, true);
    ASSERT_TRUE(Finite(end));
    EXPECT_NEAR(end.x, 4.5f, 2e-3f);
    EXPECT_NEAR(end.z, 1.0f, 2e-3f);
    e.Set(end, 1.0f, mVec3(0.7071068f, 0, -0.7071068f), {0.5f, 0.5f, 1.0f});
    eZone::CollisionCullAll(e);
    eZone::CollideAll(&e);
    EXPECT_NEAR(e.m_fTravel, 0.0f, 2e-3f);
    bool bFloor = false, bWall = false;
    for (int i = 0; i < e.m_nContacts[CE::CT_NORMAL]; ++i) {
        eCollisionContact c;
        e.GetWorldContact(CE::CT_NORMAL, i, &c);
        bFloor = bFloor || c.normal.ApproxEqual({0, 0, 1}, 1e-4f);
        bWall = bWall || (c.normal.ApproxEqual({-1, 0, 0}, 1e-4f) && c.pContactObject == eZone::s_pZones[3]);
    }
    EXPECT_TRUE(bFloor && bWall);
}

TEST_F(eZoneCollisionTest, SlidingAlongAWallKeepsTheTangentialMove)
{
    std::vector<ColTri> wall;
    AddWall(&wall, 5, 50);
    ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
    CE e;
    const mVec3 end = Move(&e, {0, 0, 0}, {10, 10, 0}, {1, 1, 1});
    EXPECT_TRUE(end.ApproxEqual({4, 10, 0}, 2e-3f));
    EXPECT_TRUE(e.m_bSlid);

    const mVec3 diagonal(0.7071068f, 0.7071068f, 0);
    e.Set({0, 0, 0}, 10.0f, diagonal, {1, 1, 1});
    eZone::CollisionCullAll(e);
    eZone::CollideAll(&e);
    EXPECT_NEAR(e.m_fTravel, 4.0f * 1.4142135f, 1e-4f);
    eZone::CollideSlide(&e);
    eZone::CollideAll(&e);
    EXPECT_EQ(e.m_fTravel, 0.0f);
    EXPECT_EQ(e.m_nContacts[CE::CT_NORMAL], 2);  // resting, and the saved one
    EXPECT_EQ(e.m_moveDir, e.m_prevGoodDir);

    const mVec3 verts[3] = {wall[0].a, wall[0].b, wall[0].c};
    e.Set({4, 0, 0}, 2.0f, mVec3(0.6f, 0.8f, 0), {1, 1, 1});
    e.AddContactPoint(CE::CT_NORMAL, {5, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, 0.0f, nullptr, nullptr,
                      eCollisionContact::TP_ONTRI, verts, false);
    e.m_fTravel = 0.0005f;
    eZone::CollideSlide(&e);
    EXPECT_EQ(e.m_position, mVec3(4, 0, 0));
    EXPECT_TRUE(e.m_moveDir.ApproxEqual({0, 1, 0}, 1e-6f));
    EXPECT_FLOAT_EQ(e.m_fMoveDist, 1.6f);
}

TEST_F(eZoneCollisionTest, AnEmbeddedStartPushesOutOfTheModel)
{
    std::vector<ColTri> floor, box;
    AddFloor(&floor, 20, -1.5f);
    AddBox(&box, {-1, -1, -1}, {1, 1, 1});
    eZone* pZone = AddZone(0, {0, 0, 0}, floor);
    ASSERT_NE(pZone, nullptr);
    eTestColModel* pModel = AddModel(pZone, box, {0, 0, 0});
    CE e;
    e.Set({1.5f, 0, -1.0f}, 0.0f, {0, 0, 0}, {1, 1, 1});
    eZone::CollisionCullAll(e);
    eZone::CollideEmbed(&e);
    ASSERT_TRUE(e.m_bEmbedded);
    EXPECT_TRUE(e.IsGeomEmbedded(pModel));
    EXPECT_TRUE(e.m_moveDir.ApproxEqual({1, 0, 0}, 1e-6f));
    EXPECT_FLOAT_EQ(e.m_fMoveDist, 0.5f);
    eZone::CollisionCullAll(e);
    eZone::CollideAll(&e);
    EXPECT_FLOAT_EQ(e.m_fTravel, 0.5f);  // the model it leaves does not block
    eZone::CollideSlide(&e);
    EXPECT_TRUE(e.m_nonScaledPosition.ApproxEqual({2, 0, -1}, 1e-5f));

    CE ignoring;
    ignoring.AddIgnore(pModel, true);
    ignoring.Set({1.5f, 0, 0}, 0.0f, {0, 0, 0}, {1, 1, 1});
    eZone::CollisionCullAll(ignoring);
    eZone::CollideEmbed(&ignoring);
    EXPECT_FALSE(ignoring.m_bEmbedded);

    AddModel(pZone, box, {3.8f, 0, 0});
    e.Set({1.5f, 0, -1.0f}, 0.0f, {0, 0, 0}, {1, 1, 1});
    eZone::CollisionCullAll(e);
    eZone::CollideEmbed(&e);
    eZone::CollisionCullAll(e);
    eZone::CollideAll(&e);
    EXPECT_NEAR(e.m_fTravel, 0.3f, 1e-4f);
}

TEST_F(eZoneCollisionTest, ModelsAreGatheredWithinTheirRadiusOfTheMovesSphere)
{
    std::vector<ColTri> box;
    AddBox(&box, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f});
    eZone* pZone = AddZone(0, {0, 0, 0}, {});
    ASSERT_NE(pZone, nullptr);
    const struct { float x; bool bGathered; } rows[] = {{8.99f, true}, {9.01f, false}, {-4.99f, true}, {-5.01f, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.x);
        eTestColModel* pModel = AddModel(pZone, box, {row.x, 0, 0});
        pModel->m_fColRadius = 1;
        CE e;
        e.Set({0, 0, 0}, 4.0f, {1, 0, 0}, {1, 1, 1});
        eZone::CollisionCullAll(e);
        EXPECT_EQ(pZone->m_pCollidableBin == &pModel->m_colInfo, row.bGathered);
        pModel->SetZone(nullptr);
    }
}

TEST_F(eZoneCollisionTest, RaysReportTheNearestHitInWorldSpace)
{
    std::vector<ColTri> floor, box;
    AddFloor(&floor, 50, 0, 3);
    AddFloor(&floor, 50, 5, 1);  // a ceiling of mask 0x2 only
    AddBox(&box, {-1, -1, 0}, {1, 1, 2});
    eZone* pZone = AddZone(1, {100, 0, 0}, floor);
    ASSERT_NE(pZone, nullptr);
    eTestColModel* pModel = AddModel(pZone, box, {0, 0, 0});
    const struct { const char* why; mVec3 origin; float length, distance; mVec3 position{0, 0, 0};
                   cBase* pObj = nullptr; int surface = 0; } rows[] = {
        {"through the model, then the floor", {100.5f, 0.5f, 8}, 20, 6, {100.5f, 0.5f, 2}, pModel, 0},
        {"beside the model", {110, -3, 8}, 20, 8, {110, -3, 0}, pZone, 3},
        {"too short: the ceiling's mask is not the ray's", {110, -3, 8}, 5, -1},
        {"an unbounded ray", {110, -3, 8}, -1, 8, {110, -3, 0}, pZone, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eColliderRay ray;
        ray.m_nCollisionMask = 0x1;
        ray.m_ray = {row.origin, {0, 0, -1}, row.length};
        eZone::CollisionCullAll(ray);
        ASSERT_EQ(eZone::CollideAllRay(&ray), row.distance >= 0);
        if (row.distance < 0)
            continue;
        EXPECT_FLOAT_EQ(ray.m_rayHit.fDistance, row.distance);
        EXPECT_TRUE(ray.m_rayHit.position.ApproxEqual(row.position, 1e-5f));
        EXPECT_EQ(ray.m_rayHit.normal, mVec3(0, 0, 1));
        EXPECT_EQ(ray.m_rayHit.pObj, row.pObj);
        EXPECT_EQ(ray.m_rayHit.pSurface, &m_surfaces[row.surface]);
    }
}

TEST_F(eZoneCollisionTest, AListIsFoundInItsOwnOctant)
{
    std::vector<ColTri> patch;
    AddQuad(&patch, {60, -70, 40}, {70, -70, 40}, {70, -60, 40}, {60, -60, 40});
    ASSERT_NE(AddZone(0, {0, 0, 0}, patch), nullptr);
    eColliderRay ray;
    ray.m_ray = {{65, -65, 50}, {0, 0, -1}, 20};
    eZone::CollisionCullAll(ray);
    ASSERT_TRUE(eZone::CollideAllRay(&ray));
    EXPECT_FLOAT_EQ(ray.m_rayHit.fDistance, 10.0f);
}

TEST_F(eZoneCollisionTest, SurfacesTheColliderDoesNotCollideWith)
{
    std::vector<ColTri> floor;
    AddFloor(&floor, 20, 0, 1);  // mask 0x2
    ASSERT_NE(AddZone(0, {0, 0, 0}, floor), nullptr);
    for (uint32_t mask : {0x1u, 0x2u}) {
        CE e;
        e.m_nCollisionMask = mask;
        EXPECT_FLOAT_EQ(Move(&e, {0, 0, 3}, {0, 0, -3}, {1, 1, 1}).z, mask == 0x2 ? 1.0f : -3.0f);
    }
    ASSERT_NE(AddZone(0, {0, 0, 0}, floor, 2), nullptr);
    CE e;
    EXPECT_FLOAT_EQ(Move(&e, {0, 0, 3}, {0, 0, -3}, {1, 1, 1}).z, -3.0f);
}

TEST_F(eZoneCollisionTest, ListsAreDecodedOnceOrInChunks)
{
    std::vector<ColTri> floor;
    AddFloor(&floor, 20, 0);
    eZone* pZone = AddZone(0, {0, 0, 0}, floor);
    ASSERT_NE(pZone, nullptr);
    CE e;
    Move(&e, {0, 0, 3}, {0, 0, 0}, {1, 1, 1});
    const eZoneColTriList& list = pZone->m_pColData->pTriLists[0];
    eCollisionCacheTri* pRun = eZone::s_pStaticColCache->Find(list.nColCacheKey);
    ASSERT_NE(pRun, nullptr);
    EXPECT_EQ(pRun[0].plane.normal, mVec3(0, 0, 1));
    Move(&e, {1, 0, 3}, {1, 0, 0}, {1, 1, 1});
    EXPECT_EQ(eZone::s_pStaticColCache->Find(list.nColCacheKey), pRun);  // not decoded again

    std::vector<ColTri> many;
    for (int i = 0; i < 1100; ++i)
        AddFloor(&many, 20, 0);
    pZone = AddZone(1, {0, 0, -10}, many);
    ASSERT_NE(pZone, nullptr);
    EXPECT_FLOAT_EQ(Move(&e, {0, 0, -7}, {0, 0, -12}, {1, 1, 1}).z, -9.0f);
    for (int i = 0; i < pZone->m_pColData->nTriLists; ++i) {
        EXPECT_GT(pZone->m_pColData->pTriLists[i].nTris, eCollisionCache::kMaxTris);
        EXPECT_EQ(pZone->m_pColData->pTriLists[i].nColCacheKey, 0u);
    }
}

// A list not yet decoded is decoded only when the box of its corners, taken
// to world space through the zone's turn and offset, meets the sweep's reach:
// a body dropped just inside the turned patch's corners still lands on it.
TEST_F(eZoneCollisionTest, OnlyListsWithinTheSweepsReachAreDecoded)
{
    std::vector<ColTri> patch;
    AddQuad(&patch, {-5, -5, 0}, {5, -5, 0}, {5, 5, 0}, {-5, 5, 0});
    const mVec3 origin(20, 0, 0);
    const auto world = [&](eZone* pZone, float x, float y) {
        mVec3 w;
        w.Xform(mVec3(x, y, 0), pZone->m_localToWorld);
        return w;
    };
    // The turned patch spans x 13.17 .. 26.83 in the world; (29, 0) is
    // gathered (its cell is near) but out of reach.
    const struct { const char* name; float x, y; bool bWorld; float radius; bool bDecoded; float endZ; } rows[] = {
        {"beside the patch", 29, 0, true, 1.0f, false, -3.0f},
        {"onto its middle", 0, 0, false, 1.0f, true, 1.0f},
        {"just inside the corner (5, 5)", 4.9f, 4.9f, false, 0.25f, true, 0.25f},
        {"just inside the corner (-5, 5)", -4.9f, 4.9f, false, 0.25f, true, 0.25f},
        {"just inside the corner (5, -5)", 4.9f, -4.9f, false, 0.25f, true, 0.25f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        eZone* pZone = AddZone(0, origin, patch);
        ASSERT_NE(pZone, nullptr);
        pZone->m_localToWorld.basis.SetHPR(30.0f, 0.0f, 0.0f);
        const eZoneColTriList& list = pZone->m_pColData->pTriLists[0];
        const mVec3 at = row.bWorld ? mVec3(row.x, row.y, 0) : world(pZone, row.x, row.y);
        CE e;
        const mVec3 r(row.radius, row.radius, row.radius);
        const mVec3 end = Move(&e, {at.x, at.y, 3}, {at.x, at.y, -3}, r);
        EXPECT_NEAR(end.z, row.endZ, 1e-4f);
        EXPECT_EQ(list.nColCacheKey != 0, row.bDecoded);
        // The box of the quantised corners (1/256 units) is noted either way.
        EXPECT_EQ(list.nBoxState, eZoneColTriList::kBoxSet);
        for (int a = 0; a < 2; ++a) {
            EXPECT_EQ(list.boxLo[a], -5 * 256) << a;
            EXPECT_EQ(list.boxHi[a], 5 * 256) << a;
        }
        EXPECT_EQ(list.boxLo[2], 0);
        EXPECT_EQ(list.boxHi[2], 0);
    }
}

TEST_F(eZoneCollisionTest, AListsWorldBoxFollowsTheZoneFromQueryToQuery)
{
    std::vector<ColTri> patch;
    AddQuad(&patch, {-5, -5, 0}, {5, -5, 0}, {5, 5, 0}, {-5, 5, 0});
    eZone* pZone = AddZone(0, {0, 0, 0}, patch);
    ASSERT_NE(pZone, nullptr);
    // The cache is emptied before each query, so the list's world box alone
    // decides whether it is decoded: it must follow the zone.
    const struct { const char* name; float zoneX, atX, endZ; } rows[] = {
        {"first place", 0, 0, 1.0f},
        {"moved away: the old place is empty", 30, 0, -3.0f},
        {"moved away: the new place holds it", 30, 30, 1.0f},
        {"moved back", 0, 0, 1.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        pZone->m_localToWorld.origin.Set(row.zoneX, 0, 0);
        eZone::s_pStaticColCache->Invalidate();
        CE e;
        EXPECT_NEAR(Move(&e, {row.atX, 0, 3}, {row.atX, 0, -3}, {1, 1, 1}).z, row.endZ, 1e-4f);
    }
}

TEST_F(eZoneCollisionTest, EachListsBoxHoldsOnlyItsOwnCorners)
{
    const struct { float x0, x1, z; int surface; } patches[] = {{-5, 5, 0, 0}, {30, 40, 2, 1}};
    std::vector<ColTri> tris;
    for (const auto& p : patches)
        AddQuad(&tris, {p.x0, -5, p.z}, {p.x1, -5, p.z}, {p.x1, 5, p.z}, {p.x0, 5, p.z}, p.surface);
    eZone* pZone = AddZone(0, {0, 0, 0}, tris);
    ASSERT_NE(pZone, nullptr);
    CE e;
    for (const auto& p : patches)
        Move(&e, {0.5f * (p.x0 + p.x1), 0, p.z + 3}, {0.5f * (p.x0 + p.x1), 0, p.z - 3}, {1, 1, 1});
    const eZoneColData& data = *pZone->m_pColData;
    // Each of a quad's two triangles spans the whole quad, however the
    // triangles are spread over lists.
    int set = 0;
    for (int l = 0; l < data.nTriLists; ++l) {
        const eZoneColTriList& list = data.pTriLists[l];
        const auto& p = patches[list.nSurface];
        SCOPED_TRACE(l);
        if (list.nBoxState != eZoneColTriList::kBoxSet)
            continue;
        ++set;
        EXPECT_EQ(list.boxLo[0], p.x0 * 256);
        EXPECT_EQ(list.boxHi[0], p.x1 * 256);
        EXPECT_EQ(list.boxLo[1], -5 * 256);
        EXPECT_EQ(list.boxHi[1], 5 * 256);
        EXPECT_EQ(list.boxLo[2], p.z * 256);
        EXPECT_EQ(list.boxHi[2], p.z * 256);
    }
    EXPECT_GE(set, 2);
}

TEST_F(eZoneCollisionTest, AListWithNoTriangleInsideTheDataIsDecodedToNothing)
{
    std::vector<ColTri> patch;
    AddQuad(&patch, {-5, -5, 0}, {5, -5, 0}, {5, 5, 0}, {-5, 5, 0});
    eZone* pZone = AddZone(0, {0, 0, 0}, patch);
    ASSERT_NE(pZone, nullptr);
    eZoneColData& data = *pZone->m_pColData;
    for (int i = 0; i < 3 * data.nTris; ++i)
        data.pTris[i] = static_cast<uint16_t>(data.nVerts);  // one past the vertices
    CE e;
    EXPECT_FLOAT_EQ(Move(&e, {0, 0, 3}, {0, 0, -3}, {1, 1, 1}).z, -3.0f);
    EXPECT_EQ(data.pTriLists[0].nBoxState, eZoneColTriList::kBoxEmpty);
    EXPECT_NE(data.pTriLists[0].nColCacheKey, 0u);
}

// Triangles are decoded four at a time where they can be: every corner,
// normal and offset must be the bits mVec3's own operations give, for a
// zone turned and moved in the world, a collapsed triangle and a tail.
TEST_F(eZoneCollisionTest, DecodedTrianglesAreTheBitsOfTheVectorOperations)
{
    std::vector<ColTri> tris;
    uint32_t seed = 7;
    const auto rand = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return 5.0f + static_cast<float>(static_cast<int>(seed >> 16) % 400 - 200) / 397.0f;
    };
    for (int i = 0; i < 11; ++i)
        tris.push_back({{rand(), rand(), rand()}, {rand(), rand(), rand()}, {rand(), rand(), rand()}});
    tris[5].b = tris[5].a;  // no area: the zero normal
    tris[5].c = tris[5].a;
    eZone* pZone = AddZone(0, {0, 0, 0}, tris);
    ASSERT_NE(pZone, nullptr);
    pZone->m_localToWorld.basis.SetHPR(37.0f, 21.0f, -13.0f);
    pZone->m_localToWorld.origin.Set(3.25f, -1.7f, 0.3f);
    const eZoneColData& data = *pZone->m_pColData;
    int longest = 0, collapsed = 0;
    for (int l = 0; l < data.nTriLists; ++l) {
        const eZoneColTriList& list = data.pTriLists[l];
        longest = std::max<int>(longest, list.nTris);
        std::vector<eCollisionCacheTri> out(list.nTris);
        pZone->FillCollisionTris(out.data(), &list, 0, list.nTris);
        for (int t = 0; t < list.nTris; ++t) {
            mVec3 v[3];
            for (int k = 0; k < 3; ++k) {
                const int16_t* p = &data.pVerts[3 * data.pTris[3 * (list.nFirstTri + t) + k]];
                const float scale = 1.0f / (1 << eZoneColData::kVertFracBits);
                v[k].Xform(mVec3(p[0] * scale, p[1] * scale, p[2] * scale), pZone->m_localToWorld);
            }
            mVec3 normal;
            normal.MakeNormal(v[0], v[1], v[2]);
            SCOPED_TRACE(t);
            EXPECT_EQ(out[t].v1, v[0]);
            EXPECT_EQ(out[t].v2, v[1]);
            EXPECT_EQ(out[t].v3, v[2]);
            EXPECT_EQ(out[t].plane.normal, normal);
            EXPECT_EQ(out[t].plane.offset, normal.Dot(v[0]));
            collapsed += out[t].plane.normal == mVec3(0, 0, 0);
        }
    }
    EXPECT_GE(longest, 5);  // four at a time and a tail
    EXPECT_EQ(collapsed, 1);
}

TEST_F(eZoneCollisionTest, RandomSweepsNeitherTunnelNorTurnNaN)
{
    uint32_t seed = 99;
    auto rnd = [&seed](float lo, float hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
    };
    std::vector<ColTri> tris;
    std::vector<mBox> boxes;
    for (int i = 0; i < 24; ++i) {
        const mVec3 lo(rnd(-16, 10), rnd(-16, 10), rnd(-16, 10));
        const mVec3 hi = lo + mVec3(rnd(0.5f, 8), rnd(0.5f, 8), rnd(0.5f, 8));
        AddBox(&tris, lo, hi);
        boxes.push_back({{}, lo, hi});
    }
    auto grid = [](float f) { return std::round(f * 256.0f) / 256.0f; };  // the stored 1/256 steps
    for (int i = 0; i < 300; ++i) {
        const mVec3 a(grid(rnd(-16, 16)), grid(rnd(-16, 16)), grid(rnd(-16, 16)));
        const mVec3 d(grid(rnd(-4, 4)), grid(rnd(-4, 4)), grid(rnd(-4, 4)));
        if (i % 5 == 0)
            tris.push_back({a, a + d, a + d * 2.0f});  // no area: corners on one line
        else
            tris.push_back({a, a + d, a + mVec3(rnd(-4, 4), rnd(-4, 4), rnd(-4, 4))});
    }
    ASSERT_NE(AddZone(0, {0, 0, 0}, tris), nullptr);
    int nBlocked = 0;
    for (int iter = 0; iter < 400; ++iter) {
        const mVec3 radii(rnd(0.2f, 1.5f), rnd(0.2f, 1.5f), rnd(0.2f, 1.5f));
        const mVec3 from(rnd(-16, 16), rnd(-16, 16), rnd(-16, 16));
        const mVec3 to = from + mVec3(rnd(-25, 25), rnd(-25, 25), rnd(-25, 25));
        CE e;
        const mVec3 end = Move(&e, from, to, radii, iter % 2 == 0);
        ASSERT_TRUE(Finite(end)) << iter;
        nBlocked += end.Dist(to) > 0.01f;
        for (const mBox& b : boxes) {
            auto inside = [&b](const mVec3& p, float margin) {
                for (int a = 0; a < 3; ++a)
                    if (p[a] <= b.minCorner[a] + margin || p[a] >= b.maxCorner[a] - margin)
                        return false;
                return true;
            };
            if (!inside(from, -0.01f)) {
                EXPECT_FALSE(inside(end, 0.0f)) << iter;
            }
        }
    }
    EXPECT_GT(nBlocked, 150);
}

}  // namespace
