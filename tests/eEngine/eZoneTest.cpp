#include "eEngine/eZone.h"

#include <gtest/gtest.h>

#include "eEngine/eLightGrid.h"
#include "worldTestSupport.h"
#include "worldZoneFixture.h"

namespace {

class eZoneTest : public WorldZoneTest {};

TEST(eZoneBasicTest, NewZoneIsEmptyAndUnregistered)
{
    eZone z;
    EXPECT_EQ(z.m_nZoneIndex, -1);
    EXPECT_TRUE(z.m_volume.IsEmpty());
    EXPECT_TRUE(z.m_visOctree.m_volume.IsEmpty());
    EXPECT_EQ(z.m_visOctree.m_nLevels, 0);
    EXPECT_EQ(z.m_pVisNodes, nullptr);
    EXPECT_EQ(z.m_pColNodes, nullptr);
    EXPECT_EQ(z.m_pLightGrid, nullptr);
    EXPECT_EQ(z.m_hSurfaces, nullptr);
    EXPECT_EQ(eZone::GetStaticType()->m_nTypeId, 7u);
    EXPECT_NE(eZone::GetStaticType()->m_pNewFunc, nullptr);
    EXPECT_FALSE(z.ContainsPos(mVec3(0, 0, 0)));  // empty box holds nothing
}

TEST(eZoneBasicTest, NoLiveZoneFindsNothing)
{
    mVec3 out(1, 1, 1);
    EXPECT_EQ(eZone::GetZoneFromWorldPos(mVec3(3, 4, 5), &out), nullptr);
    EXPECT_EQ(out, mVec3(3, 4, 5));
    EXPECT_EQ(eZone::GetZoneFromPos(nullptr, mVec3(6, 7, 8), &out), nullptr);
    EXPECT_EQ(out, mVec3(6, 7, 8));
}

TEST_F(eZoneTest, BoxHoldsItsMinimumButNotItsMaximum)
{
    const struct { mVec3 p; bool inside; } rows[] = {
        {{-50, -50, -50}, true}, {{49.999f, 0, 0}, true}, {{50, 0, 0}, false},
        {{0, 50, 0}, false}, {{0, 0, -50.001f}, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(m_a.ContainsPos(row.p), row.inside) << row.p.x << "," << row.p.y << "," << row.p.z;
}

TEST_F(eZoneTest, PositionLookupsPreferTheGivenZoneThenTheLowestSlot)
{
    mVec3 out;
    // A point B's box also holds (it overlaps A when moved onto it).
    m_b.m_localToWorld.origin.Set(20, 0, 0);
    EXPECT_EQ(eZone::GetZoneFromPos(&m_b, mVec3(0, 0, 0), &out), &m_b);
    EXPECT_EQ(out, mVec3(0, 0, 0));
    EXPECT_EQ(eZone::GetZoneFromWorldPos(mVec3(10, 0, 0), &out), &m_a);  // slot 0 first
    EXPECT_EQ(out, mVec3(10, 0, 0));
    m_b.m_localToWorld.origin.Set(100, 0, 0);

    const struct { const char* why; eZone* from; mVec3 p; eZone* found; mVec3 out; } rows[] = {
        {"inside the given zone", &m_a, {10, 0, 0}, &m_a, {10, 0, 0}},
        {"A's max face lies in B", &m_a, {50, 0, 0}, &m_b, {-50, 0, 0}},
        {"from B back into A", &m_b, {-60, 5, 0}, &m_a, {40, 5, 0}},
        {"in no zone", &m_a, {0, 60, 0}, nullptr, {0, 60, 0}},
        {"no zone given: a world position", nullptr, {120, 0, 1}, &m_b, {20, 0, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(eZone::GetZoneFromPos(row.from, row.p, &out), row.found);
        EXPECT_EQ(out, row.out);
    }
    EXPECT_EQ(eZone::GetZoneFromWorldPos(mVec3(149, 0, 0), &out), &m_b);
    EXPECT_EQ(out, mVec3(49, 0, 0));
}

TEST_F(eZoneTest, NodeOutsideTheVisibilityTreeIsLeftWhereItWas)
{
    eTestGeom g;
    g.m_nGeomFlags = eGeom::kDraw | eGeom::kCollide;
    g.m_fVisRadius = 1.0f;
    g.m_fColRadius = 1.0f;
    g.m_pZone = &m_a;
    g.m_localToZone.origin.Set(10, 10, 10);
    m_a.AddGeom(&g);
    ASSERT_EQ(g.m_nVisNodeIndex, 521);
    const int16_t colNode = g.m_nColNodeIndex;

    g.m_localToZone.origin.Set(60, 10, 10);  // outside both trees
    m_a.AddGeom(&g);
    EXPECT_EQ(g.m_nVisNodeIndex, 521);
    EXPECT_EQ(g.m_nColNodeIndex, colNode);
    EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 1);

    eTestGeom fresh;
    fresh.m_nGeomFlags = eGeom::kDraw | eGeom::kCollide;
    fresh.m_fVisRadius = 1.0f;
    fresh.m_fColRadius = 1.0f;
    fresh.m_localToZone.origin.Set(60, 0, 0);
    m_a.AddGeom(&fresh);
    EXPECT_EQ(fresh.m_nVisNodeIndex, -1);
    EXPECT_EQ(fresh.m_nColNodeIndex, -1);

    m_a.RemoveGeom(&g, eGeom::kFiledMask);
    g.m_pZone = nullptr;
}

TEST_F(eZoneTest, FilingRespectsRadiiAndOutsideFlag)
{
    const struct { const char* why; uint16_t flags; float vis, col; int16_t visNode, colNode; } rows[] = {
        {"both trees", eGeom::kDraw | eGeom::kCollide, 1, 20, 521, 8},
        {"radius below 0: never in that tree", eGeom::kDraw | eGeom::kCollide, -1, 20, -1, 8},
        {"radius 0 files at the deepest level", eGeom::kDraw, 0, 0, 521, -1},
        {"outside every zone: filed nowhere", eGeom::kDraw | eGeom::kCollide | eGeom::kOutsideZones, 1, 1, -1,
         -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eTestGeom g;
        g.m_nGeomFlags = row.flags;
        g.m_fVisRadius = row.vis;
        g.m_fColRadius = row.col;
        g.m_localToZone.origin.Set(10, 10, 10);
        g.m_pZone = &m_a;
        m_a.AddGeom(&g);
        EXPECT_EQ(g.m_nVisNodeIndex, row.visNode);
        EXPECT_EQ(g.m_nColNodeIndex, row.colNode);
        m_a.RemoveGeom(&g, eGeom::kFiledMask);
        EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 0);
        EXPECT_EQ(m_a.m_pColNodes[0].nGeomColCount, 0);
        EXPECT_EQ(m_a.m_pVisNodes[521].pGeomVis, nullptr);
        g.m_pZone = nullptr;
    }
}

TEST(eZoneBasicTest, TreesOfUnusableDepthAreRefused)
{
    cMemPool pool("zoneTrees", 0x10000, false);
    eZone z;
    eOctree t;
    t.m_fSize = 64;
    t.m_fLooseScale = 2;
    for (int32_t levels : {0, -2, eOctree::kMaxLevels + 1}) {
        t.m_nLevels = levels;
        EXPECT_FALSE(z.CreateVisOctree(t, &pool)) << levels;
        EXPECT_FALSE(z.CreateColOctree(t, &pool)) << levels;
    }
    t.m_nLevels = 6;  // 37449 records do not fit 64 KiB x 2
    EXPECT_FALSE(z.CreateVisOctree(t, &pool));
    EXPECT_EQ(z.m_pVisNodes, nullptr);
    EXPECT_EQ(z.m_visOctree.m_nLevels, 0);

    t.m_nLevels = 3;
    ASSERT_TRUE(z.CreateVisOctree(t, &pool));
    for (int i = 0; i < 73; ++i) {
        EXPECT_EQ(z.m_pVisNodes[i].nZoneVis, eZone::kNoIndex);
        EXPECT_EQ(z.m_pVisNodes[i].nGeomVisCount, 0);
        EXPECT_EQ(z.m_pVisNodes[i].pGeomVis, nullptr);
    }
}

TEST(eZoneBasicTest, CopyHoldsNoneOfTheSource)
{
    cMemPool pool("zoneCopy", 0x10000, false);
    eZone z;
    z.m_localToWorld.origin.Set(5, 5, 5);
    z.m_volume.minCorner.Set(-1, -1, -1);
    eOctree t;
    t.m_fSize = 64;
    t.m_fLooseScale = 2;
    t.m_nLevels = 2;
    ASSERT_TRUE(z.CreateVisOctree(t, &pool));
    auto* copy = static_cast<eZone*>(z.Copy(&pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_pVisNodes, nullptr);
    EXPECT_EQ(copy->m_visOctree.m_nLevels, 0);
    EXPECT_EQ(copy->m_localToWorld.origin, mVec3(0, 0, 0));
    EXPECT_TRUE(copy->m_volume.IsEmpty());
    std::destroy_at(copy);
}

TEST(eZoneBasicTest, DestructionClearsItsLiveSlot)
{
    cMemPool pool("zoneGrid", 0x10000, false);
    eZone* z = pool.New<eZone>();
    ASSERT_NE(z, nullptr);
    z->m_pLightGrid = pool.New<eLightGrid>();
    z->m_nZoneIndex = 3;
    eZone::s_pZones[3] = z;
    std::destroy_at(z);
    EXPECT_EQ(eZone::s_pZones[3], nullptr);
}

}  // namespace
