#include "eEngine/eZone.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "cCore/cFile.h"
#include "eEngine/eLightGrid.h"
#include "eEngine/eLightmap.h"
#include "worldTestSupport.h"
#include "zoneTestSupport.h"

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

TEST_F(eZoneTest, EveryNodeOfADyingZoneForgetsIt)
{
    auto pZone = std::make_unique<eZone>();
    SetUpZone(pZone.get(), 2, 300.0f);
    eTestGeom filed, unfiled, outside;
    filed.m_nGeomFlags = outside.m_nGeomFlags = eGeom::kFiledMask;
    filed.m_fVisRadius = outside.m_fVisRadius = 1.0f;
    for (eTestGeom* g : {&filed, &unfiled, &outside})
        g->SetZone(pZone.get());
    outside.MoveTo(0, 70, 0);
    ASSERT_EQ(outside.m_pZone, pZone.get());
    ASSERT_NE(outside.m_nGeomFlags & eGeom::kOutsideZones, 0);
    pZone.reset();
    EXPECT_EQ(filed.m_pZone, nullptr);
    EXPECT_EQ(unfiled.m_pZone, nullptr);
    EXPECT_EQ(outside.m_pZone, nullptr);
}

TEST(eZoneBasicTest, TreesAreBuiltEmptyOrRefusedAndCopiesHoldNothing)
{
    cMemPool pool("zoneTrees", 0x10000, false);
    eZone z;
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

class eZoneFileTest : public ZoneTest {
protected:
    void ReadRoom(eZone* pZone)
    {
        datagen::ZoneDesc desc = RoomDesc(5, true);
        eLightGrid grid;
        ASSERT_TRUE(grid.CreateLightGrid(2, 4, 16, &m_pool));
        grid.SetSample(0, 1, 2, 3, true);
        desc.pLightGrid = &grid;
        ASSERT_TRUE(WriteZone("room.zon", desc));
        ASSERT_TRUE(ReadZone("room.zon", pZone));
    }
};

TEST_F(eZoneFileTest, ARoomReadsItsTreesAndTables)
{
    datagen::ZoneData built;
    ASSERT_TRUE(datagen::BuildZone(RoomDesc(5, true), &built));
    eZone zone;
    ReadRoom(&zone);

    EXPECT_STREQ(zone.m_name.m_sData, "room");
    EXPECT_EQ(zone.m_volume.maxCorner, mVec3(8, 8, 8));
    EXPECT_EQ(zone.m_exportOffset, mVec3(1.5f, -2.0f, 0.25f));
    ASSERT_NE(zone.m_pLightGrid, nullptr);
    EXPECT_TRUE(zone.m_pLightGrid->IsLit(0, 1, 2, 3));
    ASSERT_EQ(zone.m_nMaterials, 2);
    EXPECT_EQ(zone.m_hMaterials[1].m_nValue, 0x00220006u);
    ASSERT_EQ(zone.m_nSurfaces, 1);
    EXPECT_EQ(zone.m_hSurfaces[0].m_nValue, 0x00330007u);
    const eZoneVisData* v = zone.m_pVisData;
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->nStrips, static_cast<int32_t>(built.strips.size()));
    EXPECT_EQ(v->nPositions, 8);
    EXPECT_EQ(v->nTexCoords[0], 7);  // floor corners at 0 and 4, walls at 0 and 1, (0, 0) shared
    EXPECT_EQ(v->nTexCoords[1], 4);
    EXPECT_EQ(v->nDisplayListBytes % 32, 0);
    ASSERT_NE(v->pLightmap, nullptr);
    EXPECT_EQ(v->pLightmap->m_nStartIndex, kLightmapSlot);
    EXPECT_EQ(v->pLightmap->m_nNumTextures, 1);
    const eZoneColData* c = zone.m_pColData;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->nTris, 10);
    EXPECT_EQ(c->nVerts, 8);
    EXPECT_EQ(zone.m_pVisNodes[0].nZoneVisCount, v->nStrips);
    EXPECT_EQ(zone.m_volOctree.m_nLevels, 3);
    EXPECT_EQ(zone.m_volOctree.m_fLooseScale, 1.5f);
    EXPECT_EQ(zone.m_sndOctree.m_fSize, 16.0f);
    EXPECT_EQ(zone.m_volOctree.m_volume.minCorner, mVec3(-8, -8, -8));

}

// A member of another class where the light grid belongs (a sound
// configuration) is skipped without being built: the zone takes no more of
// its pool than one without a grid, and has none.
TEST_F(eZoneFileTest, AForeignLightGridIsNeverBuilt)
{
    datagen::ZoneDesc desc = RoomDesc(5, true);
    ASSERT_TRUE(WriteZone("none.zon", desc));
    eLightGrid grid;
    ASSERT_TRUE(grid.CreateLightGrid(2, 4, 16, &m_pool));
    desc.pLightGrid = &grid;
    ASSERT_TRUE(WriteZone("foreign.zon", desc));
    std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("foreign.zon"));
    const std::vector<uint8_t> member = {0, 0, 0, 41, 0xBB, 0xBB, 0xBB, 0xBB};  // the grid's type id, a block
    const size_t at = std::search(bytes.begin(), bytes.end(), member.begin(), member.end()) - bytes.begin();
    ASSERT_LT(at, bytes.size());
    bytes[at + 3] = 39;  // a sound configuration
    ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("foreign.zon"), bytes));
    size_t taken[2] = {};
    for (int i = 0; i < 2; ++i) {
        // Both reads start from an empty pool, so that they align alike.
        m_zonePool.Reset();
        eZone zone;
        const size_t before = m_zonePool.BytesTaken();
        // A member of another class is a damaged file: the zone is refused.
        EXPECT_EQ(ReadZone(i == 0 ? "none.zon" : "foreign.zon", &zone), i == 0);
        taken[i] = m_zonePool.BytesTaken() - before;
        EXPECT_EQ(zone.m_pLightGrid, nullptr);
    }
    EXPECT_LE(taken[1], taken[0]);
}

void MoveFirstList(datagen::ZoneData& d, const std::vector<uint8_t>& before, const std::vector<uint8_t>& after)
{
    datagen::ZoneData::Strip& s = d.strips[0];
    std::vector<uint8_t> list(before);
    const auto first = d.displayLists.begin() + 32 * s.offset;
    list.insert(list.end(), first, first + s.size);
    list.insert(list.end(), after.begin(), after.end());
    s.offset = static_cast<uint16_t>(d.displayLists.size() / 32);
    s.size = static_cast<uint16_t>(list.size());
    list.resize((list.size() + 31) / 32 * 32, 0);
    d.displayLists.insert(d.displayLists.end(), list.begin(), list.end());
}

TEST_F(eZoneFileTest, DamagedIndicesAreRefused)
{
    using Data = datagen::ZoneData;
    const datagen::ZoneDesc room = RoomDesc(5, true);
    const struct { const char* why; void (*damage)(Data&); } rows[] = {
        {"a material past the table", [](Data& d) { d.strips[0].material = 2; }},
        {"a lightmap past the textures", [](Data& d) { d.strips[0].lightmap = 1; }},
        {"a list past the list block", [](Data& d) { d.strips.back().offset = 0x4000; }},
        {"a strip chain that loops", [](Data& d) { d.strips[0].next = 0; }},
        {"a node's first strip past the strips",
         [](Data& d) { d.visNodes[1] = static_cast<uint16_t>(d.strips.size()); }},
        {"a position index past its array", [](Data& d) { d.displayLists[3] = 0x7F; }},
        {"a normal index past the table", [](Data& d) { d.displayLists[5] = 252; }},
        {"a register load cut by the list's end", [](Data& d) { MoveFirstList(d, {}, {0x61, 0x00}); }},
        // A list of geometry changes no state its drawer keeps.
        {"a BP load", [](Data& d) { MoveFirstList(d, {0x61, 0x00, 0x00, 0x00, 0x00}, {}); }},
        {"a CP load", [](Data& d) { MoveFirstList(d, {}, {0x08, 0x30, 0, 0, 0, 0}); }},
        {"an XF load", [](Data& d) { MoveFirstList(d, {0x10, 0x00, 0x00, 0x10, 0x00, 0, 0, 0, 0}, {}); }},
        {"an indexed XF load", [](Data& d) { MoveFirstList(d, {}, {0x20, 0, 0, 0, 0}); }},
        {"a draw in vertex format 1", [](Data& d) { MoveFirstList(d, {}, {0x91, 0x00, 0x00}); }},
        {"an unknown command", [](Data& d) { MoveFirstList(d, {}, {0x07, 0xFF}); }},
        {"a vertex count past the list", [](Data& d) { d.displayLists[2] = 0xF0; }},
        {"a surface past the table", [](Data& d) { d.triLists[0].surface = 1; }},
        {"triangles past the array", [](Data& d) { d.triLists.back().count = 50; }},
        {"a vertex past the array", [](Data& d) { d.colTris[4] = 8; }},
        {"a list chain that loops", [](Data& d) { d.triLists[0].next = 0; }},
        {"a collision node's list past the lists", [](Data& d) { d.colNodes[1] = 99; }},
    };
    LogCatcher quiet;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        Data data;
        ASSERT_TRUE(datagen::BuildZone(room, &data));
        row.damage(data);
        ASSERT_TRUE(WriteZone("bad.zon", room, data));
        eZone zone;
        bool bFileFailed = false;
        EXPECT_FALSE(ReadZone("bad.zon", &zone, &bFileFailed));
        EXPECT_TRUE(bFileFailed);  // so the error names the file
        EXPECT_EQ(zone.m_pVisData, nullptr);
        EXPECT_EQ(eTextureMgr::s_pInstances[kLightmapSlot], nullptr);
    }
}

TEST_F(eZoneFileTest, MoreLightmapsThanReservedSlotsAreRefused)
{
    datagen::ZoneDesc desc = RoomDesc(5, true);
    desc.lightmaps.push_back(desc.lightmaps[0]);  // a second would land in region 2's slot
    ASSERT_TRUE(WriteZone("two.zon", desc));
    eTexture neighbour;
    eTextureMgr::Add(kLightmapSlot + 1, &neighbour, 0x4321);
    LogCatcher quiet;
    eZone zone;
    bool bFileFailed = false;
    EXPECT_FALSE(ReadZone("two.zon", &zone, &bFileFailed));
    EXPECT_TRUE(bFileFailed);  // so the error names the file
    EXPECT_EQ(eTextureMgr::s_pInstances[kLightmapSlot], nullptr);
    EXPECT_EQ(eTextureMgr::s_pInstances[kLightmapSlot + 1], &neighbour);
    EXPECT_GT(quiet.m_nErrors, 0);
    eTextureMgr::s_pInstances[kLightmapSlot + 1] = nullptr;
}

TEST_F(eZoneFileTest, LightmapsTakeTheRegionSlotAndLeaveWithTheZone)
{
    auto* pZone = m_zonePool.New<eZone>();
    ReadRoom(pZone);
    eTexture* pTexture = eTextureMgr::s_pInstances[kLightmapSlot];
    ASSERT_NE(pTexture, nullptr);
    EXPECT_STREQ(pTexture->m_name.m_sData, "lm_room");
    EXPECT_EQ(pTexture->m_wrapMode, eTexture::WRAP_CLAMP);
    EXPECT_TRUE(pTexture->m_bHasData);
    EXPECT_EQ(pZone->m_pVisData->pLightmap->GetTexture(0), pTexture);
    pZone->m_nZoneIndex = 2;
    eZone::s_pZones[2] = pZone;
    std::destroy_at(pZone);
    EXPECT_EQ(eTextureMgr::s_pInstances[kLightmapSlot], nullptr);
    EXPECT_EQ(eZone::s_pZones[2], nullptr);
}

}  // namespace
