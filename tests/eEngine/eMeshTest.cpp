#include "eEngine/eMesh.h"

#include <cstring>

#include "modelTestSupport.h"
#include "zoneTestSupport.h"

namespace {

datagen::MeshDesc SmallDesc()
{
    datagen::MeshDesc d = FigureDesc();
    d.bCol = true;
    datagen::ColObjectDesc o;
    o.node = 1;
    o.corners = {mVec3(0, 0, 0), mVec3(1, 0, 0), mVec3(0, 1, 0)};
    d.colObjects.push_back(o);
    datagen::ColSkinDesc s;
    s.surface = 1;
    for (int i = 0; i < 3; ++i) {
        datagen::ColSkinVertex v;
        v.pos.Set(static_cast<float>(i), 0, 1);
        v.bones[0] = static_cast<uint8_t>(i);
        s.corners.push_back(v);
    }
    d.colSkins.push_back(s);
    return d;
}

class eMeshTest : public testing::Test {
protected:
    void TearDown() override { ClearModelManagers(); }
    bool Read(const datagen::MeshDesc& desc, eMesh* pMesh)
    {
        return datagen::WriteMeshFile(m_data.HostPath("m.msh"), desc) && ReadObjectFile("m.msh", pMesh, &m_pool);
    }
    void ExpectRefused(const datagen::MeshDesc& desc, const datagen::MeshData& data)
    {
        ASSERT_TRUE(datagen::WriteMeshFile(m_data.HostPath("bad.msh"), desc, data));
        eMesh m;
        EXPECT_FALSE(ReadObjectFile("bad.msh", &m, &m_pool));
        EXPECT_EQ(m.m_nNodes, 0);
        EXPECT_EQ(m.m_pMeshVisData, nullptr);
        EXPECT_EQ(m.m_pMeshColData, nullptr);
    }

    eTestDataDir m_data;
    cMemPool m_pool{"meshTest", 0x80000, false};
};

TEST_F(eMeshTest, VersionOneNodesHaveNoNamesAndVersionZeroIsRefused)
{
    datagen::MeshDesc desc = FigureDesc();
    desc.version = 1;
    eMesh m;
    ASSERT_TRUE(Read(desc, &m));
    cName hips;
    hips.Set("hips");
    EXPECT_EQ(m.GetSubObjectIndex(hips, 0, false), -1);
    EXPECT_EQ(m.m_pNodes[1].name.m_nLength, 0);
    desc.version = 3;  // later versions read as the newest
    eMesh later;
    ASSERT_TRUE(Read(desc, &later));
    EXPECT_EQ(later.GetSubObjectIndex(hips, 0, false), 1);
    desc.version = 0;
    LogCatcher quiet;
    eMesh refused;
    EXPECT_FALSE(Read(desc, &refused));
    EXPECT_EQ(refused.m_nNodes, 0);
}

TEST_F(eMeshTest, NodesAreFoundByNameFromAStart)
{
    eMesh m;
    ASSERT_TRUE(Read(FigureDesc(), &m));
    const struct { const char* name; int start; bool bPartial; int found; } rows[] = {
        {"hips", 0, false, 1},
        {"Leg", 0, false, -1},     // only the whole name
        {"Leg", 0, true, 2},       // a part of "leftLeg"
        {"Leg", 3, true, 3},       // from node 3 on
        {"leftLeg", 3, false, -1}, // before the start
        {"root", 4, false, -1},    // start at the node count
        {"root", -5, false, 0},    // a negative start is the first node
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        cName n;
        n.Set("%s", row.name);
        EXPECT_EQ(m.GetSubObjectIndex(n, row.start, row.bPartial), row.found);
    }
}

TEST_F(eMeshTest, MissingDataCountsNothing)
{
    datagen::MeshDesc desc = FigureDesc();
    desc.bVis = false;
    eMesh m;
    ASSERT_TRUE(Read(desc, &m));
    EXPECT_EQ(m.GetNumMaterials(), 0);
    EXPECT_EQ(m.GetNumSurfaces(), 0);
    EXPECT_EQ(m.GetNumSkinVerts(), 0);
    desc.platformVersion = 0;  // an empty platform block
    eMesh empty;
    ASSERT_TRUE(Read(desc, &empty));
    EXPECT_EQ(empty.m_pMeshVisData, nullptr);
    EXPECT_EQ(empty.m_nNodes, 4);
}

TEST_F(eMeshTest, MeshesOutsideTheLimitsAreRefused)
{
    using D = datagen::MeshDesc;
    using Data = datagen::MeshData;
    const struct { const char* why; void (*damage)(D&, Data&); } rows[] = {
        {"43 nodes", [](D& d, Data&) { d.nodes.resize(43, d.nodes[3]); }},
        {"no nodes", [](D& d, Data&) { d.nodes.clear(); }},
        {"43 bones", [](D& d, Data& data) { d.nodes.resize(43, d.nodes[3]), d.bonesStart = 0, d.nBones = 43;
                                            data.baseToLocal.resize(43); }},
        {"bones past the nodes", [](D& d, Data&) { d.bonesStart = 2; }},
        {"a parent after its node", [](D& d, Data&) { d.nodes[2].parent = 3; }},
        {"a parent that is the node", [](D& d, Data&) { d.nodes[2].parent = 2; }},
        {"9 materials", [](D&, Data& data) { data.nMaterials = 9; }},
        {"9 surfaces", [](D& d, Data& data) { d.bCol = true, data.nSurfaces = 9; }},
        {"a skin vertex on bone 3 of 3", [](D&, Data& data) { data.skinVerts[0][5].bones[0] = 3; }},
        {"a two-weight vertex on bone 200", [](D&, Data& data) { data.skinVerts[1][0].bones[1] = 200; }},
        {"an object on node 4 of 4", [](D&, Data& data) { data.objects[1][0][0] = 4; }},
    };
    LogCatcher quiet;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        D desc = FigureDesc();
        Data data;
        ASSERT_TRUE(datagen::BuildMesh(desc, &data));
        row.damage(desc, data);
        ExpectRefused(desc, data);
    }
}

// The first bytes of material 0's skin list or material 1's object list;
// format 2's vertex is four u16 indices: position, normal, two coordinates.
uint8_t* SkinList(datagen::MeshData& d)
{
    return d.displayLists.data() + 32 * d.skins[0][0][10];
}
uint8_t* ObjectList(datagen::MeshData& d)
{
    return d.displayLists.data() + 32 * d.objects[1][0][4];
}
uint16_t SkinOutput(const datagen::MeshData& d)
{
    return static_cast<uint16_t>(d.skinVerts[0].size() + d.skinVerts[1].size() + d.skinVerts[2].size());
}
void PutIndex(uint8_t* list, int vertex, int field, uint16_t index)
{
    list[3 + 8 * vertex + 2 * field] = static_cast<uint8_t>(index >> 8);
    list[4 + 8 * vertex + 2 * field] = static_cast<uint8_t>(index);
}

TEST_F(eMeshTest, DisplayListsAreCheckedAsTheyWillBeDrawn)
{
    using Data = datagen::MeshData;
    const struct { const char* why; void (*damage)(Data&); bool bLoads; } rows[] = {
        {"the last skinned vertex", [](Data& d) { PutIndex(SkinList(d), 1, 0, SkinOutput(d) - 1); }, true},
        {"a skin position past the skinned output", [](Data& d) { PutIndex(SkinList(d), 1, 0, SkinOutput(d)); }, false},
        {"the last skinned normal", [](Data& d) { PutIndex(SkinList(d), 2, 1, SkinOutput(d) - 1); }, true},
        {"a skin normal past the skinned output", [](Data& d) { PutIndex(SkinList(d), 2, 1, SkinOutput(d)); }, false},
        {"a skin coordinate past its array",
         [](Data& d) { PutIndex(SkinList(d), 0, 2, static_cast<uint16_t>(d.skinTexCoords.size() / 4)); }, false},
        {"the last object position",
         [](Data& d) { PutIndex(ObjectList(d), 0, 0, static_cast<uint16_t>(d.positions.size() / 6 - 1)); }, true},
        {"an object position past its array",
         [](Data& d) { PutIndex(ObjectList(d), 0, 0, static_cast<uint16_t>(d.positions.size() / 6)); }, false},
        {"an object normal past its array",
         [](Data& d) { PutIndex(ObjectList(d), 2, 1, static_cast<uint16_t>(d.normals.size() / 6)); }, false},
        {"an object's second coordinate past its array",
         [](Data& d) { PutIndex(ObjectList(d), 1, 3, static_cast<uint16_t>(d.texCoords.size() / 4)); }, false},
        {"a vertex count past the list", [](Data& d) { ObjectList(d)[1] = 0x40; }, false},
        {"an unknown command", [](Data& d) { SkinList(d)[0] = 0x18; }, false},
        {"a draw in vertex format 0", [](Data& d) { ObjectList(d)[0] = 0x90; }, false},
        {"a register load", [](Data& d) { ObjectList(d)[0] = 0x61; }, false},
        {"a no-op before the draw",
         [](Data& d) {
             uint8_t* l = ObjectList(d);  // the list's padding takes the byte
             std::memmove(l + 1, l, 3 + 8 * static_cast<size_t>(l[1] << 8 | l[2]));
             l[0] = 0x00;
         }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const datagen::MeshDesc desc = SmallDesc();
        Data data;
        ASSERT_TRUE(datagen::BuildMesh(desc, &data));
        row.damage(data);
        if (!row.bLoads) {
            LogCatcher quiet;
            ExpectRefused(desc, data);
            EXPECT_EQ(quiet.m_nErrors, 1);
            continue;
        }
        ASSERT_TRUE(datagen::WriteMeshFile(m_data.HostPath("edge.msh"), desc, data));
        eMesh m;
        EXPECT_TRUE(ReadObjectFile("edge.msh", &m, &m_pool));
    }
}

TEST_F(eMeshTest, RecordsNamingDataOutsideTheirArraysAreRefused)
{
    using Data = datagen::MeshData;
    const struct { const char* why; void (*damage)(Data&); } rows[] = {
        {"a display list past the block",
         [](Data& d) { d.skins[0][0][10] = static_cast<int16_t>(d.displayLists.size() / 32); }},
        {"a list longer than the block",
         [](Data& d) { d.objects[1][0][3] = static_cast<int16_t>(d.displayLists.size() + 32); }},
        {"skin vertices past the array", [](Data& d) { d.skins[0][0][3] = 10; }},
        {"a negative first vertex", [](Data& d) { d.skins[0][0][5] = -1; }},
        {"more output than skin vertices", [](Data& d) { d.skins[1].push_back(d.skins[0][0]); }},
        {"a collision triangle past the vertices", [](Data& d) { d.colTris[2] = 3; }},
        {"a collision skin triangle past its vertices", [](Data& d) { d.colSkinTris[0] = 3; }},
        {"collision triangles past the array", [](Data& d) { d.colObjects[0][0][2] = 1; }},
        {"a collision skin of 2049 vertices", [](Data& d) {
             d.colSkinVerts[0].resize(2049, d.colSkinVerts[0][0]);
             d.colSkins[1][0][2] = 2049;
         }},
        {"a collision bone past the bones", [](Data& d) { d.colSkinVerts[0][1].bones[0] = 3; }},
    };
    LogCatcher quiet;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const datagen::MeshDesc desc = SmallDesc();
        Data data;
        ASSERT_TRUE(datagen::BuildMesh(desc, &data));
        row.damage(data);
        ExpectRefused(desc, data);
    }
}

TEST_F(eMeshTest, AGroupPlacesItsMeshes)
{
    ASSERT_TRUE(datagen::WriteMeshGroupFile(m_data.HostPath("g.msh"), 10, {FigureDesc(), SmallDesc()}));
    eMeshGroup* g = m_pool.New<eMeshGroup>();
    ASSERT_TRUE(ReadObjectFile("g.msh", g, &m_pool));
    EXPECT_EQ(g->m_nBegin, 10);
    const eMesh* m = eMeshMgr::GetPtr(eMeshMgr::GetHandle(11));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetNumSurfaces(), 2);
}

}  // namespace
