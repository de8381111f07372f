#include "eEngine/eZone.h"

#include <memory>

#include "worldTestSupport.h"

namespace {

class eZoneTest : public WorldZoneTest {};

TEST_F(eZoneTest, PositionLookupsPreferTheGivenZoneThenTheLowestSlot)
{
    mVec3 out;
    const struct { const char* why; eZone* from; mVec3 p; eZone* found; mVec3 out; } rows[] = {
        {"inside the given zone", &m_a, {10, 0, 0}, &m_a, {10, 0, 0}},
        {"the minimum face is inside", &m_a, {-50, -50, -50}, &m_a, {-50, -50, -50}},
        {"A's maximum face lies in B", &m_a, {50, 0, 0}, &m_b, {-50, 0, 0}},
        {"from B back into A", &m_b, {-60, 5, 0}, &m_a, {40, 5, 0}},
        {"in no zone: the point unchanged", &m_a, {0, 50, 0}, nullptr, {0, 50, 0}},
        {"no zone given: a world position", nullptr, {120, 0, 1}, &m_b, {20, 0, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(eZone::GetZoneFromPos(row.from, row.p, &out), row.found);
        EXPECT_EQ(out, row.out);
    }
    m_b.m_localToWorld.origin.Set(20, 0, 0);  // B now overlaps A
    EXPECT_EQ(eZone::GetZoneFromPos(&m_b, mVec3(0, 0, 0), &out), &m_b);
    EXPECT_EQ(eZone::GetZoneFromWorldPos(mVec3(10, 0, 0), &out), &m_a);  // slot 0 first
    EXPECT_EQ(eZone::GetZoneFromWorldPos(mVec3(60, 0, 0), &out), &m_b);
    EXPECT_EQ(out, mVec3(40, 0, 0));
    TearDown();
    EXPECT_EQ(eZone::GetZoneFromWorldPos(mVec3(3, 4, 5), &out), nullptr);
    EXPECT_EQ(out, mVec3(3, 4, 5));
}

TEST_F(eZoneTest, FilingFollowsRadiiAndACentreOutsideTheTreeFilesNothing)
{
    const struct { const char* why; uint16_t flags; float vis, col; mVec3 at; int16_t vNode, cNode; } rows[] = {
        {"both trees", eGeom::kFiledMask, 1, 20, {10, 10, 10}, 521, 8},
        {"radius below 0: never in that tree", eGeom::kFiledMask, -1, 20, {10, 10, 10}, -1, 8},
        {"radius 0: the deepest level", eGeom::kDraw, 0, 0, {10, 10, 10}, 521, -1},
        {"outside every zone", eGeom::kFiledMask | eGeom::kOutsideZones, 1, 1, {10, 10, 10}, -1, -1},
        {"centre beyond the tree: neither tree", eGeom::kFiledMask, 1, 1, {60, 0, 0}, -1, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eTestGeom g;
        g.m_nGeomFlags = row.flags;
        g.m_fVisRadius = row.vis;
        g.m_fColRadius = row.col;
        g.m_localToZone.origin = row.at;
        m_a.AddGeom(&g);
        EXPECT_EQ(g.m_nVisNodeIndex, row.vNode);
        EXPECT_EQ(g.m_nColNodeIndex, row.cNode);
        if (row.vNode >= 0) {  // a later centre outside the tree leaves it where it was
            g.m_localToZone.origin.Set(60, 0, 0);
            m_a.AddGeom(&g);
            EXPECT_EQ(g.m_nVisNodeIndex, row.vNode);
            EXPECT_EQ(g.m_nColNodeIndex, row.cNode);
        }
        m_a.RemoveGeom(&g, eGeom::kFiledMask);
        EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount + m_a.m_pColNodes[0].nGeomColCount, 0);
        EXPECT_EQ(m_a.m_pVisNodes[521].pGeomVis, nullptr);
    }
}

TEST(eZoneBasicTest, TreesAreBuiltEmptyOrRefusedAndCopiesHoldNothing)
{
    cMemPool pool("zoneTrees", 0x10000, false);
    eZone z;
    EXPECT_EQ(eZone::GetStaticType()->m_nTypeId, 7u);
    EXPECT_EQ(z.m_nZoneIndex, -1);
    EXPECT_FALSE(z.ContainsPos(mVec3(0, 0, 0)));  // the empty box holds nothing
    eOctree t;
    t.m_fSize = 64;
    t.m_fLooseScale = 2;
    for (int32_t levels : {0, eOctree::kMaxLevels + 1, 6}) {  // 6 levels: 37449 records overflow the pool
        t.m_nLevels = levels;
        EXPECT_FALSE(z.CreateVisOctree(t, &pool)) << levels;
        EXPECT_EQ(z.m_visOctree.m_nLevels, 0);
    }
    t.m_nLevels = 3;
    ASSERT_TRUE(z.CreateColOctree(t, &pool));
    for (int i = 0; i < 73; ++i)
        ASSERT_EQ(z.m_pColNodes[i].nZoneCol, eZone::kNoIndex) << i;
    auto* copy = static_cast<eZone*>(z.Copy(&pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_pColNodes, nullptr);
    EXPECT_EQ(copy->m_colOctree.m_nLevels, 0);
    z.m_nZoneIndex = 3;
    eZone::s_pZones[3] = &z;
    std::destroy_at(copy);
    EXPECT_EQ(eZone::s_pZones[3], &z);  // a copy is not registered
}

}  // namespace
