#include "eEngine/eZone.h"

#include <string>
#include <vector>

#include "eEngine/eCamera.h"
#include "eEngine/eLightmap.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eVideo.h"
#include "eVideoTestUtil.h"
#include "zoneTestSupport.h"

namespace {

using M = eMaterial;

class LoggingGeom : public eGeom {
public:
    LoggingGeom(std::string* pLog, char name) : m_pLog(pLog), m_name(name)
    {
        m_fVisRadius = 1;
        m_info.pDrawable = this;
    }
    void Cull(const eCamera&, const mFrustum&, unsigned int clip) override
    {
        m_lastClip = clip;
        *m_pLog += 'c';
        *m_pLog += m_name;
        m_pZone->AddDrawInfo(&m_info, m_bState ? &m_state : nullptr);
    }
    void CollisionCull(const eCollider&, const mSphere&) override {}
    void Draw(const eCamera&, const eDrawInfo*) override
    {
        *m_pLog += m_name;
        eVideo::SetLocalToZone(MakeFrame(1, 2, 3), 1.0f);  // as a node places itself
    }

    std::string* m_pLog;
    char m_name;
    eDrawInfo m_info;
    eMaterialState m_state;
    bool m_bState = false;
    unsigned int m_lastClip = 0;
};

class eZoneDrawTest : public ZoneVideoTest {
protected:
    M* AddMaterial(int slot, uint32_t flags, M::eBlendMode blend = M::BLEND_NONE)
    {
        M* m = m_pool.New<M>();
        m->m_nFlags = flags;
        m->m_blendMode = blend;
        eMaterialMgr::Add(slot, m, static_cast<uint16_t>(0x300 + slot));
        return m;
    }

    M* ReadRoomInto(eZone* pZone)
    {
        datagen::ZoneDesc desc = RoomDesc(5, false);
        M* wall = AddMaterial(6, 0);
        desc.materials = {AddMaterial(5, 0)->m_handle.m_nValue, wall->m_handle.m_nValue};
        EXPECT_TRUE(WriteZone("room.zon", desc));
        EXPECT_TRUE(ReadZone("room.zon", pZone));
        pZone->m_nZoneIndex = 0;
        eZone::s_pZones[0] = pZone;
        return wall;
    }

    static std::vector<eDrawInfo*> Ring(eDrawInfo* head)
    {
        std::vector<eDrawInfo*> ring;
        for (eDrawInfo* p = head; p; p = p->pNext == head ? nullptr : p->pNext)
            ring.push_back(p);
        return ring;
    }

    std::string m_log;
};

TEST_F(eZoneDrawTest, RecordsAreFiledByMaterialAndState)
{
    eZone zone;
    ReadRoomInto(&zone);
    enum Bin { OPAQUE, BLENDED, ZSORTED, PREBLENDED, NONE };
    const struct {
        const char* why; uint32_t flags; M::eBlendMode blend; int alpha; bool bNoMaterial; Bin bin;
    } rows[] = {
        {"opaque", 0, M::BLEND_NONE, -1, false, OPAQUE},
        {"no material at all", 0, M::BLEND_NONE, -1, true, OPAQUE},
        {"blending", 0, M::BLEND_ADD, -1, false, BLENDED},
        {"z-sorted", 0x40000, M::BLEND_ADD, -1, false, ZSORTED},
        {"never drawn", 0x200000, M::BLEND_NONE, -1, false, NONE},
        {"never drawn beats z-sorted", 0x240000, M::BLEND_NONE, -1, false, NONE},
        {"state alpha 254 on an opaque material", 0, M::BLEND_NONE, 254, false, PREBLENDED},
        {"state alpha 255 stays opaque", 0, M::BLEND_NONE, 255, false, OPAQUE},
        {"z-sorted beats the state", 0x40000, M::BLEND_NONE, 0, false, ZSORTED},
    };
    LoggingGeom node(&m_log, 'a');
    eZoneVisStrip& strip = zone.m_pVisData->pStrips[0];
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        M* m = AddMaterial(9, row.flags, row.blend);
        for (bool bStrip : {false, true}) {
            SCOPED_TRACE(bStrip ? "strip" : "scene node");
            zone.ResetVisBins();
            eDrawInfo* rec = bStrip ? &strip.drawInfo : &node.m_info;
            rec->pDrawable = bStrip ? static_cast<cBase*>(&zone) : &node;
            rec->hMaterial = row.bNoMaterial ? eMaterialHandle() : m->m_handle;
            eMaterialState state;
            state.m_nColor = static_cast<uint32_t>(row.alpha) << 24 | 0xFFFFFF;
            zone.AddDrawInfo(rec, row.alpha >= 0 ? &state : nullptr);
            eDrawInfo* const opaque = bStrip ? zone.m_pZoneOpaqueBin[strip.nMaterial] : zone.m_pGeomOpaqueBin;
            eDrawInfo* const blended = bStrip ? zone.m_pZoneBlendedBin[strip.nMaterial] : zone.m_pGeomBlendedBin;
            EXPECT_EQ(opaque == rec, row.bin == OPAQUE);
            EXPECT_EQ(blended == rec, row.bin == BLENDED);
            EXPECT_EQ(zone.m_pZSortedBin == rec, row.bin == ZSORTED);
            EXPECT_EQ(zone.m_pPreBlendedBin == rec, row.bin == PREBLENDED);
        }
    }
    zone.ResetVisBins();
}

TEST_F(eZoneDrawTest, BinsSortFarToNearOrByHandleWithTiesToTheLaterRun)
{
    const struct { const char* why; eZone::eSortBy by; std::vector<float> dist; std::vector<uint32_t> handle;
                   std::string want; } rows[] = {
        {"an equal pair: the later first", eZone::SB_DISTANCE, {1, 1}, {0, 0}, "BA"},
        {"far to near, ties in the last merge", eZone::SB_DISTANCE, {2, 5, 5, 1}, {0, 0, 0, 0}, "CBAD"},
        {"an odd run left over", eZone::SB_DISTANCE, {1, 3, 2}, {0, 0, 0}, "BCA"},
        {"handles ascending, equal ones swapped", eZone::SB_MATERIAL, {0, 0, 0, 0}, {0x30, 0x10, 0x20, 0x10}, "DBCA"},
        {"handles compare unsigned", eZone::SB_MATERIAL, {0, 0}, {0x80000000u, 1}, "BA"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        std::vector<eDrawInfo> recs(row.dist.size());
        eDrawInfo* head = nullptr;
        for (size_t i = 0; i < recs.size(); ++i) {
            recs[i].fDistance = row.dist[i];
            recs[i].hMaterial = eMaterialHandle(row.handle[i]);
            eDrawInfo* r = &recs[i];
            if (!head) {
                head = r->pNext = r->pPrev = r;
            } else {
                r->pPrev = head->pPrev;
                r->pNext = head;
                head->pPrev->pNext = r;
                head->pPrev = r;
            }
        }
        head = eZone::SortBin(head, row.by);
        std::string got;
        const eDrawInfo* p = head;
        do {
            got += static_cast<char>('A' + (p - recs.data()));
            EXPECT_EQ(p->pNext->pPrev, p);
            p = p->pNext;
        } while (p != head);
        EXPECT_EQ(got, row.want);
    }
    EXPECT_EQ(eZone::SortBin(nullptr, eZone::SB_DISTANCE), nullptr);
}

TEST_F(eZoneDrawTest, CullAllFilesWhatTheCameraSees)
{
    eZone room;
    ReadRoomInto(&room);
    LoggingGeom ahead(&m_log, 'a'), behind(&m_log, 'b'), right(&m_log, 'r');
    ahead.m_nGeomFlags = behind.m_nGeomFlags = right.m_nGeomFlags = eGeom::kDraw;
    ahead.m_localToParent.origin.Set(0, 4, 0);
    behind.m_localToParent.origin.Set(0, -4, 0);
    right.m_localToParent.origin.Set(4, 0, 0);
    for (LoggingGeom* g : {&ahead, &behind, &right}) {
        g->m_nGeomFlags |= eGeom::kDirty;
        g->SetZone(&room);
        g->Update(cTimeValue(20));
    }
    eZone bare;
    eOctree tree = room.m_visOctree;
    ASSERT_TRUE(bare.CreateVisOctree(tree, &m_zonePool));
    eDrawInfo stale;
    stale.pNext = stale.pPrev = &stale;
    bare.m_pGeomOpaqueBin = &stale;
    bare.m_nZoneIndex = 1;
    eZone::s_pZones[1] = &bare;

    eCamera camera;  // at the origin looking along +y
    eZone::CullAll(camera);
    EXPECT_EQ(m_log, "ca");
    EXPECT_NE(ahead.m_lastClip, 0u);
    EXPECT_EQ(room.m_pGeomOpaqueBin, &ahead.m_info);
    EXPECT_EQ(bare.m_pGeomOpaqueBin, &stale);
    int nStrips = 0;
    for (int m = 0; m < room.m_nMaterials; ++m) {
        for (eDrawInfo* p : Ring(room.m_pZoneOpaqueBin[m])) {
            EXPECT_EQ(p->pDrawable, &room);
            EXPECT_EQ(p->hMaterial, room.m_hMaterials[m]);
            ++nStrips;
        }
    }
    EXPECT_GT(nStrips, 0);
    EXPECT_LE(nStrips, room.m_pVisData->nStrips);

    m_log.clear();
    mOCS back;
    back.basis.SetH(180);
    back.origin.Set(0, 0, 0);
    camera.SetCameraToWorld(back);
    eZone::CullAll(camera);
    EXPECT_EQ(m_log, "cb");
    m_log.clear();
    back.basis.SetH(-90);  // along +x
    camera.SetCameraToWorld(back);
    eZone::CullAll(camera);
    EXPECT_EQ(m_log, "cr");
    eZoneVisStrip foreign{};
    foreign.nTris = 7;
    foreign.drawInfo.pDrawable = &right;
    eVideo::s_nRenderedStaticTris = 0;
    room.Draw(camera, &foreign.drawInfo);
    EXPECT_EQ(eVideo::s_nRenderedStaticTris, 0u);
    eZone::s_pZones[1] = nullptr;
    for (LoggingGeom* g : {&ahead, &behind, &right})
        g->SetZone(nullptr);
}

TEST_F(eZoneDrawTest, TheFirstSweepDrawsOnlyNodesMarkedForBoth)
{
    eZone room;
    ReadRoomInto(&room);
    LoggingGeom both(&m_log, 'a'), second(&m_log, 'b');
    both.m_nGeomFlags = eGeom::kBothSweeps;
    eCamera camera;
    for (M::ePassID pass : {M::PASS_LIGHTING, M::PASS_DIFFUSE}) {
        SCOPED_TRACE(pass);
        room.ResetVisBins();
        room.AddDrawInfo(&both.m_info, nullptr);
        room.AddDrawInfo(&second.m_info, nullptr);
        m_log.clear();
        M::s_currentPass = pass;
        room.DrawOpaque(camera);
        EXPECT_EQ(m_log, pass == M::PASS_LIGHTING ? "a" : "ba");  // equal materials: the later first
    }
    room.ResetVisBins();
}

TEST_F(eZoneDrawTest, AStripWithoutAPassForTheSweepIsSkippedInThatSweepOnly)
{
    eZone room;
    M* wall = ReadRoomInto(&room);
    ASSERT_NE(wall->AddPass(M::PASS_DIFFUSE)->AddTextureStage(), nullptr);  // walls: second sweep only
    eCamera camera;
    camera.SetCameraToWorld(MakeFrame(0, -5.5f, 0));
    eZone::CullAll(camera);
    uint32_t nFloor = 0, nWall = 0;  // triangles of the strips filed
    for (int m = 0; m < room.m_nMaterials; ++m)
        for (eDrawInfo* p : Ring(room.m_pZoneOpaqueBin[m]))
            (m == 0 ? nFloor : nWall) += reinterpret_cast<eZoneVisStrip*>(p)->nTris;
    ASSERT_GT(nFloor, 0u);
    ASSERT_GT(nWall, 0u);
    const struct { M::ePassID pass; uint32_t want; } rows[] = {
        {M::PASS_LIGHTING, nFloor},  // the floor's material has no passes: drawn untextured in both
        {M::PASS_DIFFUSE, nFloor + nWall},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pass);
        M::s_currentPass = row.pass;
        eVideo::s_nRenderedStaticTris = 0;
        room.DrawOpaque(camera);
        EXPECT_EQ(eVideo::s_nRenderedStaticTris, row.want);
    }
}

TEST_F(eZoneDrawTest, DrawAllDrawsTheFarthestZonesZSortedRecordsFirst)
{
    M* glass = AddMaterial(9, eZone::kMatZSorted, M::BLEND_TRANSPARENT);
    eZone near, far;
    eOctree tree;
    tree.m_fSize = 16;
    tree.m_fLooseScale = 2;
    tree.m_nLevels = 2;
    LoggingGeom a(&m_log, 'a'), b(&m_log, 'b');
    const struct { eZone* z; int slot; float y; LoggingGeom* g; } zones[] = {{&near, 0, 10, &a}, {&far, 3, 50, &b}};
    for (const auto& z : zones) {
        ASSERT_TRUE(z.z->CreateVisOctree(tree, &m_zonePool));
        z.z->m_localToWorld = MakeFrame(0, z.y, 0);
        z.z->m_nZoneIndex = z.slot;
        eZone::s_pZones[z.slot] = z.z;
        z.g->m_info.hMaterial = glass->m_handle;
        z.z->AddDrawInfo(&z.g->m_info, nullptr);
        ASSERT_EQ(z.z->m_pZSortedBin, &z.g->m_info);
    }
    M::SetGlobalFog(true, nullptr, mVec3(0.25f, 0.5f, 0.75f), 10, 90);
    eCamera camera;
    eZone::DrawAll(camera, true);
    EXPECT_EQ(m_log, "ba");
    EXPECT_TRUE(M::s_bFogEnabled);
    EXPECT_EQ(M::s_fogParams.color, mVec3(0.25f, 0.5f, 0.75f));
    EXPECT_EQ(M::s_currentPass, M::PASS_DIFFUSE);
    EXPECT_EQ(eVideoPlatform::RenderState().Get(RS_Z_FUNC), static_cast<uintptr_t>(GX_LEQUAL));

    m_log.clear();
    far.m_localToWorld = MakeFrame(0, 10, 0);  // equal depths keep slot order
    near.ResetVisBins();
    far.ResetVisBins();
    near.AddDrawInfo(&a.m_info, nullptr);
    far.AddDrawInfo(&b.m_info, nullptr);
    eZone::DrawAll(camera, true);
    EXPECT_EQ(m_log, "ab");

    m_log.clear();
    LoggingGeom opaque(&m_log, 'o');  // not marked for both sweeps: drawn by the second only
    near.ResetVisBins();
    far.ResetVisBins();
    near.AddDrawInfo(&opaque.m_info, nullptr);
    M::s_currentPass = M::PASS_DIFFUSE;  // as the last frame left it
    eZone::DrawAll(camera, true);
    EXPECT_EQ(m_log, "o");
}

TEST_F(eZoneDrawTest, AStripAfterANodeInTheZSortedPassIsBackInZoneSpace)
{
    eZone room;
    ReadRoomInto(&room);
    M* glass = AddMaterial(9, eZone::kMatZSorted, M::BLEND_TRANSPARENT);
    LoggingGeom node(&m_log, 'a');
    node.m_info.hMaterial = glass->m_handle;
    node.m_info.fDistance = 20;  // farther: drawn first
    eZoneVisStrip& strip = room.m_pVisData->pStrips[0];
    strip.drawInfo.pDrawable = &room;
    strip.drawInfo.hMaterial = glass->m_handle;
    strip.drawInfo.fDistance = 10;
    room.ResetVisBins();
    room.AddDrawInfo(&node.m_info, nullptr);
    room.AddDrawInfo(&strip.drawInfo, nullptr);
    eVideo::s_nRenderedStaticTris = 0;
    room.DrawZSorted(eCamera());
    EXPECT_EQ(m_log, "a");
    EXPECT_EQ(eVideo::s_nRenderedStaticTris, strip.nTris);
    EXPECT_EQ(eVideoPlatform::s_localToZone.origin, mVec3(0, 0, 0));
    room.ResetVisBins();
}

TEST_F(eZoneDrawTest, EachStripSelectsItsLightmap)
{
    eZone room;
    ReadRoomInto(&room);
    eLightmap lightmap;
    eLightmap* const old = room.m_pVisData->pLightmap;
    room.m_pVisData->pLightmap = &lightmap;
    for (uint16_t index : {1, 0}) {
        eZoneVisStrip& strip = room.m_pVisData->pStrips[index];
        strip.nLightmap = static_cast<uint8_t>(index + 2);
        strip.drawInfo.pDrawable = &room;
        room.Draw(eCamera(), &strip.drawInfo);
        EXPECT_EQ(lightmap.m_nCurrentIndex, index + 2);
    }
    room.m_pVisData->pLightmap = old;
}

TEST_F(eZoneDrawTest, TheAmbientIsAddedFullyWeighted)
{
    const uint32_t old = M::s_nGlobalAmbient;
    M::s_nGlobalAmbient = 0x00204060u;  // its own alpha 0 does not weaken it
    GXTestClearEfb(GXColor{10, 10, 10, 255}, 0xFFFFFF);
    eVideoPlatform::RenderState().Set(RS_CULL_MODE, GX_CULL_FRONT);
    eZone::DrawAmbient(eCamera());
    GXDrawDone();
    const GXColor c = GXTestEfbPixel(320, 240);
    EXPECT_EQ(c.r, 0x2A);
    EXPECT_EQ(c.g, 0x4A);
    EXPECT_EQ(c.b, 0x6A);
    M::s_nGlobalAmbient = old;
}

TEST_F(eZoneDrawTest, DrawContainedCarriesTheVolumeIntoEachZone)
{
    eZone here, there;
    ReadRoomInto(&here);
    ASSERT_TRUE(ReadZone("room.zon", &there));
    there.m_nZoneIndex = 1;
    there.m_localToWorld = MakeFrame(100, 0, 0);
    eZone::s_pZones[1] = &there;
    uint32_t nTris = 0;
    for (int i = 0; i < there.m_pVisData->nStrips; ++i)
        nTris += there.m_pVisData->pStrips[i].nTris;
    mFrustum box, volume;
    box.SetOrtho(0, 40, -10, 10, 10, -10);
    volume.Xform(box, MakeFrame(100, -20, 0));
    eVideo::s_nRenderedDynamicTris = 0;
    here.DrawContained(eCamera(), volume, 0);
    EXPECT_EQ(eVideo::s_nRenderedDynamicTris, nTris);
    EXPECT_EQ(eVideoPlatform::s_zoneToWorld.origin, mVec3(0, 0, 0));  // the caller's zone again
    eZone::s_pZones[1] = nullptr;
}

}  // namespace
