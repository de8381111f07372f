#include "eEngine/eProjector.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "datagen/overlayWriters.h"
#include "eEngine/eProjectorConfig.h"
#include "gx/gxState.h"
#include "overlayTestSupport.h"

namespace {

using Cfg = eProjectorConfig;

TEST(eProjectorTest, ConfigBuildsTheVolume)
{
    Cfg cfg;
    cfg.hBlendMaterial = eMaterialHandle(0x55550005);
    cfg.bIsOrtho = true;
    cfg.fWidth = 4;
    cfg.fHeight = 2;
    cfg.fNear = 0.5f;
    cfg.fFar = 4;
    eProjector p;
    p.m_nGeomFlags = 0;
    p.SetConfig(cfg);
    float n, f, l, r, t, b;
    p.m_frustum.GetOrtho(&n, &f, &l, &r, &t, &b);  // a box 4 wide and 2 high
    const float got[6] = {n, f, l, r, t, b}, want[6] = {0.5f, 4, -2, 2, 1, -1};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-6f) << i;
    EXPECT_TRUE(eVideo::IsOrthographic(p.m_frustum));
    EXPECT_NEAR(p.m_fVisRadius, std::sqrt(4.0f + 16.0f + 1.0f), 1e-5f);  // a far corner
    EXPECT_NE(p.m_nGeomFlags & eGeom::kDirty, 0);
    EXPECT_EQ(p.m_drawInfo.hMaterial, cfg.hBlendMaterial);

    cfg.bIsOrtho = false;
    cfg.fAngle = 60;
    p.SetConfig(cfg);
    float hfov, vfov;
    p.m_frustum.GetFOV(&hfov, &vfov);
    EXPECT_TRUE(std::abs(hfov - 60.0f) < 1e-3f && std::abs(vfov - 60.0f) < 1e-3f) << hfov << ", " << vfov;
    EXPECT_FALSE(eVideo::IsOrthographic(p.m_frustum));

    cMemPool pool("projectorCopy", 0x1000, false);
    const auto* copy = static_cast<eProjector*>(p.Copy(&pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_pConfig, nullptr);
    EXPECT_TRUE(copy->m_drawInfo.hMaterial.IsNull());
}

class eProjectorDrawTest : public OverlaySceneTest {
protected:
    void SetUp() override
    {
        OverlaySceneTest::SetUp();
        if (IsSkipped())
            return;
        const uint8_t red[4] = {255, 0, 0, 255};
        const uint8_t green[4] = {0, 255, 0, 255};
        datagen::RgbaImage image = SplitImage(64, red, green);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                if (x < 2 || y < 2 || x > 61 || y > 61)
                    image.rgba[(y * 64 + x) * 4 + 3] = 0;
        eTexture* pImage = MakeTexture(20, eTextureConfig::FORMAT_RGBA8, image, 1);
        eTexture* pRamp = MakeTexture(21, eTextureConfig::FORMAT_RGBA8, datagen::RampImage(64), 1);
        ASSERT_TRUE(pImage && pRamp);
        eMaterial* pBlend = datagen::MakeProjectionMaterial(&m_pool, pImage->m_handle, pRamp->m_handle);
        ASSERT_NE(pBlend, nullptr);
        m_materials.push_back(pBlend);
        m_cfg.hBlendMaterial = eMaterialMgr::Add(8, pBlend, 0x88);
        m_cfg.localToParent = MakeFrame(0, 2, 0);
        m_cfg.bIsOrtho = true;
        m_cfg.fWidth = 4;
        m_cfg.fHeight = 2;
        m_cfg.fNear = 0.5f;
        m_cfg.fFar = 6;
        m_projector.m_nGeomFlags = eGeom::kDraw | eGeom::kDirty;
        m_projector.SetZone(&m_room);
        m_projector.SetConfig(m_cfg);
        m_projector.Update(cTimeValue(20));
    }
    void TearDown() override
    {
        m_projector.SetZone(nullptr);
        OverlaySceneTest::TearDown();
    }

    eProjector m_projector;
    Cfg m_cfg;
};

TEST_F(eProjectorDrawTest, FollowsTheConfigPlacement)
{
    EXPECT_EQ(m_projector.m_localToZone.origin, mVec3(0, 2, 0));
    EXPECT_EQ(m_projector.m_nGeomFlags & eGeom::kDirty, 0);
    m_cfg.localToParent.origin.Set(1, 1, 1);
    m_projector.Update(cTimeValue(20));
    EXPECT_EQ(m_projector.m_localToZone.origin, mVec3(1, 1, 1));
}

TEST_F(eProjectorDrawTest, IntensityAndDepthGoThroughTheCache)
{
    eCamera camera;
    camera.SetCameraToWorld(MakeFrame(0, -5, 0));
    m_projector.m_fIntensity = 0.5f;
    GXTestResetDrawStats();
    m_projector.Draw(camera, &m_projector.m_drawInfo);
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    EXPECT_EQ(rs.Get(RS_MATERIAL_COLOR) >> 24, 127u);
    ASSERT_GT(GXTestGetDrawStats().draws, 0u);
    const GXTestLastDraw last = GXTestGetLastDraw();
    ASSERT_NE(last.state, nullptr);
    EXPECT_EQ(last.state->zFunc, GX_EQUAL);
    EXPECT_FALSE(last.state->zUpdate);
    EXPECT_EQ(rs.Get(RS_Z_FUNC), static_cast<uintptr_t>(GX_LEQUAL));
    EXPECT_EQ(rs.Get(RS_Z_UPDATE), static_cast<uintptr_t>(GX_TRUE));
    EXPECT_FALSE(eVideoPlatform::s_bApplyTexMatrix);

    eMaterial::s_currentPass = eMaterial::PASS_LIGHTING;
    GXTestResetDrawStats();
    m_projector.Draw(camera, &m_projector.m_drawInfo);
    EXPECT_EQ(GXTestGetDrawStats().draws, 0u);
}

}  // namespace
