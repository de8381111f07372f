

#include "platform/ps.h"
#include "eEngine/eCamera.h"
#include "eVideoTestUtil.h"
#include "modelTestSupport.h"

namespace {

struct Record { int16_t pos[3]; int16_t nrm[3]; };

Record Decode(const uint8_t* p)
{
    Record r;
    for (int k = 0; k < 3; ++k) {
        r.pos[k] = ps::LoadS16BE(p + 2 * k);
        r.nrm[k] = ps::LoadS16BE(p + 6 + 2 * k);
    }
    return r;
}

datagen::SkinVertex Vertex(const mVec3& pos, int nWeights, std::initializer_list<int> bonesAndWeights)
{
    datagen::SkinVertex v;
    v.pos = pos;
    v.normal.Set(0, 0.6f, 0.8f);
    v.nWeights = nWeights;
    int k = 0;
    for (auto it = bonesAndWeights.begin(); it != bonesAndWeights.end(); it += 2, ++k) {
        v.bones[k] = static_cast<uint8_t>(*it);
        v.weights[k] = static_cast<uint8_t>(*(it + 1));
    }
    return v;
}

datagen::MeshDesc SkinDesc(const std::vector<std::pair<int, datagen::SkinVertex>>& verts)
{
    datagen::MeshDesc d;
    d.nodes = {{"a", -1, datagen::MeshNodeDesc::Identity()}, {"b", 0, datagen::MeshNodeDesc::Identity()},
               {"c", 0, datagen::MeshNodeDesc::Identity()}};
    d.bonesStart = 0;
    d.nBones = 3;
    for (const auto& [material, v] : verts) {
        while (static_cast<int>(d.skins.size()) <= material)
            d.skins.push_back({static_cast<int>(d.skins.size()), {}});
        for (int i = 0; i < 3; ++i)
            d.skins[static_cast<size_t>(material)].corners.push_back(v);
    }
    return d;
}

const mOCS kRest[3] = {MakeFrame(0, 0, 0), MakeFrame(0, 0, 0), MakeFrame(0, 0, 0)};

class eMeshSkinTest : public testing::Test {
protected:
    void TearDown() override { ClearModelManagers(); }
    std::vector<Record> Skin(const datagen::MeshDesc& desc, const mOCS (&bones)[3])
    {
        const eMesh* m = PlaceMesh(m_data, &m_pool, 1, desc);
        EXPECT_NE(m, nullptr);
        if (!m)
            return {};
        std::vector<uint8_t> out(static_cast<size_t>(m->GetNumSkinVerts()) * 12 + 12, 0xEE);
        m->FillPhysiqueVerts(out.data(), bones);
        EXPECT_EQ(out.back(), 0xEE) << "wrote past its records";
        std::vector<Record> records;
        for (int i = 0; i < m->GetNumSkinVerts(); ++i)
            records.push_back(Decode(out.data() + 12 * i));
        return records;
    }

    eTestDataDir m_data;
    cMemPool m_pool{"skinTest", 0x40000, false};
};

TEST_F(eMeshSkinTest, WeightsApplyAsStoredAndResultsSaturate)
{
    const mOCS moved[3] = {MakeFrame(1, 2, 3), MakeFrame(0, 0, 0, 90), MakeFrame(-4, 0, 0)};
    mOCS pitched[3] = {MakeFrame(0, 0, 0), MakeFrame(0, 0, 0), MakeFrame(0, 0, 0)};
    pitched[0].basis.SetHPR(0, 90, 0);  // forward up, up backward
    const struct { const char* name; datagen::SkinVertex v; const mOCS (&bones)[3]; int16_t pos[3], nrm[3]; } rows[] = {
        {"one bone at identity: the bind vertex", Vertex({1, -2, 0.5f}, 1, {0, 7}), kRest,
         {1024, -2048, 512}, {0, 9830, 13107}},
        {"one bone moved; its weight is not read", Vertex({1, -2, 0.5f}, 1, {0, 7}), moved,
         {2048, 0, 3584}, {0, 9830, 13107}},
        {"one bone turned 90 degrees", Vertex({1, 0, 0}, 1, {1, 255}), moved, {0, 1024, 0}, {-9830, 0, 13107}},
        {"one bone pitched 90 degrees", Vertex({0, 1, 0}, 1, {0, 255}), pitched, {0, 0, 1024}, {0, -13107, 9830}},
        {"128 + 127 of the same place: all of it", Vertex({1, -2, 0.5f}, 2, {0, 128, 1, 127}), kRest,
         {1024, -2048, 512}, {0, 9830, 13107}},
        {"100 + 100: 200/255 of it", Vertex({1, -2, 0.5f}, 2, {0, 100, 2, 100}), kRest,
         {803, -1606, 401}, {0, 7710, 10280}},
        {"two places blended", Vertex({1, 0, 0}, 2, {0, 51, 2, 204}), moved, {-2048, 409, 614}, {0, 9830, 13107}},
        {"three bones", Vertex({0, 0, 0}, 3, {0, 85, 1, 85, 2, 85}), moved, {-1024, 682, 1024}, {-3276, 6553, 13107}},
        {"three weights of 100: 300/255 of it", Vertex({1, 0, 0}, 3, {0, 100, 1, 100, 2, 100}), kRest,
         {1205, 0, 0}, {0, 11565, 15420}},
        {"40 units saturate", Vertex({39, -31, -43}, 1, {0, 255}), moved, {32767, -29696, -32768}, {0, 9830, 13107}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<Record> r = Skin(SkinDesc({{0, row.v}}), row.bones);
        ASSERT_EQ(r.size(), 1u);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(r[0].pos[k], row.pos[k], 1) << k;
            EXPECT_NEAR(r[0].nrm[k], row.nrm[k], 1) << k;
        }
    }
}

TEST_F(eMeshSkinTest, RecordsFollowMaterialsThenWeightCounts)
{
    const datagen::MeshDesc desc = SkinDesc({{0, Vertex({1, 0, 0}, 2, {0, 128, 1, 127})},
                                             {0, Vertex({2, 0, 0}, 1, {0, 255})},
                                             {1, Vertex({3, 0, 0}, 3, {0, 85, 1, 85, 2, 85})},
                                             {1, Vertex({5, 0, 0}, 2, {0, 128, 1, 127})},
                                             {1, Vertex({4, 0, 0}, 1, {1, 255})}});
    const std::vector<Record> r = Skin(desc, kRest);
    ASSERT_EQ(r.size(), 5u);
    const int16_t expectedX[5] = {2048, 1024, 4096, 5120, 3072};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(r[static_cast<size_t>(i)].pos[0], expectedX[i], 1) << i;
}

TEST_F(eMeshSkinTest, AMeshWithoutSkinWritesNothing)
{
    datagen::MeshDesc desc = FigureDesc();
    desc.skins.clear();
    const eMesh* m = PlaceMesh(m_data, &m_pool, 1, desc);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetNumSkinVerts(), 0);
    uint8_t out[12] = {0xEE};
    m->FillPhysiqueVerts(out, kRest);
    EXPECT_EQ(out[0], 0xEE);
}

class eMeshDrawTest : public VideoTest {
protected:
    void SetUp() override
    {
        VideoTest::SetUp();
        if (!StartVideoOnce().bHaveGL)
            GTEST_SKIP() << "no OpenGL";
        eVideo::PreCull();
        m_pMesh = PlaceMesh(m_data, &m_pool, 1, FigureDesc());
        ASSERT_NE(m_pMesh, nullptr);
        m_frame.MakeIdentity();
    }
    void TearDown() override
    {
        VideoTest::TearDown();
        ClearModelManagers();
        for (eMaterial*& p : eMaterialMgr::s_pInstances)
            p = nullptr;
    }
    uint64_t Draws(int nMaterials, const eMaterialHandle* pMaterials)
    {
        GXTestResetDrawStats();
        m_pMesh->DrawStatic(m_camera, m_frame, nMaterials, pMaterials, nullptr, 1.0f, 1.0f);
        return GXTestGetDrawStats().draws;
    }

    eTestDataDir m_data;
    cMemPool m_pool{"meshDrawTest", 0x40000, false};
    eMesh* m_pMesh = nullptr;
    eCamera m_camera;
    mOCS m_frame;
};

TEST_F(eMeshDrawTest, DrawsEveryMaterialUpToTheMeshsOwnCountButTheNeverDrawn)
{
    eMaterialHandle materials[255];
    EXPECT_EQ(Draws(2, materials), 2u);    // the skin and the head
    EXPECT_EQ(Draws(255, materials), 2u);  // a count past the mesh's eight slots
    EXPECT_EQ(Draws(1, materials), 1u);
    eMaterial* hidden = m_pool.New<eMaterial>();
    hidden->m_nFlags = eZone::kMatNeverDrawn;
    materials[0] = eMaterialMgr::Add(20, hidden, 0x20);
    EXPECT_EQ(Draws(2, materials), 1u);  // a never-drawn material is skipped
}

TEST_F(eMeshDrawTest, AlphaWeightsTheCallersStatesOrMakesTheDefaultOne)
{
    eMaterial* glass = m_pool.New<eMaterial>();
    glass->m_blendMode = eMaterial::BLEND_TRANSPARENT;
    ASSERT_NE(glass->AddPass(eMaterial::PASS_DIFFUSE), nullptr);
    eMaterial::s_currentPass = eMaterial::PASS_DIFFUSE;
    const eMaterialHandle materials[1] = {eMaterialMgr::Add(21, glass, 0x21)};
    eMaterialState state;
    state.m_nColor = 0x80336699u;
    // Alpha 0.5 is byte 127: the default state's alpha, or 128 x 127 / 255.
    const struct { const eMaterialState* pStates; uint32_t color; } rows[] = {
        {nullptr, 0x7FFFFFFFu}, {&state, 0x3F336699u},
    };
    for (const auto& row : rows) {
        m_pMesh->DrawStatic(m_camera, m_frame, 1, materials, row.pStates, 1.0f, 0.5f);
        EXPECT_EQ(eVideoPlatform::RenderState().Get(RS_MATERIAL_COLOR), row.color);
    }
}

TEST_F(eMeshDrawTest, AFullSkinningCacheDrawsNothingAtAll)
{
    uint32_t id = 0;
    eVideoPlatform::AllocPhysiqueVerts(ePhysiqueCache::kRecordsPerBuffer - 71, &id);  // one record short
    eMaterialHandle materials[2];
    EXPECT_EQ(Draws(2, materials), 0u);  // the rigid head included
    eVideo::PreCull();
    EXPECT_EQ(Draws(2, materials), 2u);
}

TEST_F(eMeshDrawTest, AScaledMeshSpreadsItsObjectsFromNodeZero)
{
    const eMeshVisData* d = m_pMesh->m_pMeshVisData;
    mOCS nodes[4] = {MakeFrame(5, 0, 0), MakeFrame(5, 1, 0), MakeFrame(0, 0, 0), MakeFrame(0, 0, 0)};
    eMesh::DrawVisObjects(1, d, nodes, 1.0f);
    EXPECT_EQ(eVideoPlatform::s_localToZone.origin, mVec3(5, 1, 0));
    eMesh::DrawVisObjects(1, d, nodes, 2.0f);
    EXPECT_EQ(eVideoPlatform::s_localToZone.origin, mVec3(5, 2, 0));
    EXPECT_EQ(nodes[1].origin, mVec3(5, 1, 0));  // the caller's frames are left alone
}

}  // namespace
