#include "eEngine/eSky.h"

#include <cstring>

#include <gtest/gtest.h>

#include "gx/gxState.h"
#include "eEngine/eCamera.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"
#include "eVideoTestUtil.h"
#include "modelTestSupport.h"
#include "zoneTestSupport.h"

namespace {

constexpr int kMeshSlot = 4;

datagen::MeshDesc SkyMeshDesc(bool bNodeOne = true)
{
    datagen::MeshDesc d;
    d.name = "sky";
    d.nodes = {{"root", -1, datagen::MeshNodeDesc::Identity()}};
    if (bNodeOne) {
        mOCS ahead = datagen::MeshNodeDesc::Identity();
        ahead.origin.Set(0, 10, 0);
        d.nodes.push_back({"dome", 0, ahead});
    }
    for (int m = 0; m < 4; ++m) {
        datagen::MeshObjectDesc o;
        o.material = m;
        AddBox(mVec3(-1, -1, -1), mVec3(1, 1, 1), &o.corners);
        d.objects.push_back(o);
    }
    return d;
}

class eSkyTest : public testing::Test {
protected:
    void SetUp() override { m_pSky = m_pool.New<eSky>(); }
    void TearDown() override
    {
        ClearModelManagers();
        for (eMaterial*& p : eMaterialMgr::s_pInstances)
            p = nullptr;
    }
    bool ReadSky(const datagen::SkyDesc& desc)
    {
        return datagen::WriteSkyFile(m_data.HostPath("s.sky"), desc) && ReadObjectFile("s.sky", m_pSky, &m_pool);
    }
    uint32_t MeshHandle(const datagen::MeshDesc& desc)
    {
        const eMesh* p = PlaceMesh(m_data, &m_pool, kMeshSlot, desc);
        return p ? p->m_handle.m_nValue : 0;
    }

    eTestDataDir m_data;
    cMemPool m_pool{"skyTest", 0x40000, false};
    eSky* m_pSky = nullptr;
};

TEST_F(eSkyTest, HandlesOfAnotherMaterialCountAreDropped)
{
    datagen::SkyDesc desc;
    desc.hMesh = MeshHandle(SkyMeshDesc());
    desc.nMaterials = 5;
    desc.skins[0] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(ReadSky(desc));
    ASSERT_EQ(m_pSky->m_nMaterials, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(m_pSky->m_hMaterials[0][i].m_nValue, 0u) << i;

    desc.hMesh = 0x12340063;  // a mesh that does not resolve
    ASSERT_TRUE(ReadSky(desc));
    EXPECT_TRUE(m_pSky->m_hMesh.IsNull());
    EXPECT_EQ(m_pSky->m_nMaterials, 0);
    EXPECT_EQ(m_pSky->m_hMaterials[0], nullptr);
}

TEST_F(eSkyTest, SetMeshMakesEmptySkinsOfItsMaterialCount)
{
    m_pSky->SetMesh(eMeshHandle(MeshHandle(SkyMeshDesc())));
    ASSERT_EQ(m_pSky->m_nMaterials, 4);
    EXPECT_EQ(m_pSky->m_hMaterials[3][3].m_nValue, 0u);
    m_pSky->SetMesh(eMeshHandle(0x5));
    EXPECT_EQ(m_pSky->m_nMaterials, 0);
    EXPECT_EQ(m_pSky->m_hMaterials[3], nullptr);
}

class eSkyDrawTest : public DrawingTest<eSkyTest> {
protected:
    uint64_t Draw(float m[3][4] = nullptr)
    {
        GXTestResetDrawStats();
        m_pSky->Draw(m_camera);
        const uint64_t n = GXTestGetDrawStats().draws;
        if (m && n)
            std::memcpy(m, GXTestGetLastDraw().state->posTexMtx, 12 * sizeof(float));
        return n;
    }

    eCamera m_camera;
};

TEST_F(eSkyDrawTest, TheSkyIsSeenFromItsOwnOriginAtItsScale)
{
    m_pSky->SetMesh(eMeshHandle(MeshHandle(SkyMeshDesc())));
    float a[3][4], b[3][4];
    ASSERT_EQ(Draw(a), 4u);
    EXPECT_FLOAT_EQ(a[2][3], -10.0f);
    m_camera.SetCameraToWorld(MakeFrame(50, 60, 70));  // moved, not turned
    ASSERT_EQ(Draw(b), 4u);
    EXPECT_EQ(std::memcmp(a, b, sizeof(a)), 0);
    EXPECT_EQ(eVideoPlatform::s_worldToCamera.origin, mVec3(-50, -60, -70));  // the camera's own again
    m_pSky->m_fScale = 2.0f;
    ASSERT_EQ(Draw(b), 4u);
    EXPECT_FLOAT_EQ(b[0][0], 2.0f * a[0][0]);
    EXPECT_FLOAT_EQ(b[2][3], -20.0f);
}

TEST_F(eSkyDrawTest, SkinsOutsideTheRangeDrawTheNearestOne)
{
    m_pSky->SetMesh(eMeshHandle(MeshHandle(SkyMeshDesc())));
    eMaterial* hidden = m_pool.New<eMaterial>();
    hidden->m_nFlags = eZone::kMatNeverDrawn;
    m_pSky->m_hMaterials[3][0] = eMaterialMgr::Add(40, hidden, 0x40);
    const struct { int32_t skin; uint64_t draws; } rows[] = {{3, 3}, {7, 3}, {-2, 4}, {1, 4}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.skin);
        m_pSky->m_nCurSkin = row.skin;
        EXPECT_EQ(Draw(), row.draws);
    }
}

TEST_F(eSkyDrawTest, DrawAllDrawsTheSkyUnlessToldNotTo)
{
    m_pSky->SetMesh(eMeshHandle(MeshHandle(SkyMeshDesc())));
    eZone::s_pSky = m_pSky;
    uint64_t draws[2];
    for (bool bNoSky : {false, true}) {
        GXTestResetDrawStats();
        eZone::DrawAll(m_camera, bNoSky);
        draws[bNoSky] = GXTestGetDrawStats().draws;
    }
    eZone::s_pSky = nullptr;
    EXPECT_EQ(draws[0] - draws[1], 4u);  // the sky's four objects
}

TEST_F(eSkyDrawTest, OddMeshesDrawSafely)
{
    m_pSky->SetMesh(eMeshHandle(MeshHandle(SkyMeshDesc(false))));  // no node 1
    float m[3][4];
    ASSERT_EQ(Draw(m), 4u);
    EXPECT_FLOAT_EQ(m[2][3], 0.0f);  // placed at the sky's origin

    datagen::MeshDesc bare = SkyMeshDesc();
    bare.bVis = false;
    m_pSky->SetMesh(eMeshHandle(MeshHandle(bare)));
    EXPECT_EQ(Draw(), 0u);
    m_pSky->SetMesh(eMeshHandle());
    EXPECT_EQ(Draw(), 0u);
}

}  // namespace
