#include "eEngine/eShadow.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "datagen/overlayWriters.h"
#include "eEngine/eShadowConfig.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTextureData.h"
#include "overlayTestSupport.h"

namespace {

using Cfg = eShadowConfig;

TEST(eShadowTest, SetBuildsTheBoxRadius)
{
    Cfg cfg;
    cfg.hBlendMaterial = eMaterialHandle(0x12340005);
    cfg.fFar = 5;
    eShadow shadow;
    shadow.m_nGeomFlags = 0;
    shadow.Set(cfg, 1.0f);
    EXPECT_NEAR(shadow.m_fVisRadius, std::sqrt(27.0f), 1e-5f);
    EXPECT_NE(shadow.m_nGeomFlags & eGeom::kDirty, 0);
    EXPECT_EQ(shadow.m_drawInfo.hMaterial, cfg.hBlendMaterial);
    shadow.m_nGeomFlags = 0;
    shadow.Set(cfg, 1.0f);  // the same radius: not dirty again
    EXPECT_EQ(shadow.m_nGeomFlags & eGeom::kDirty, 0);

    cMemPool pool("shadowCopy", 0x1000, false);
    const auto* copy = static_cast<eShadow*>(shadow.Copy(&pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->m_drawInfo.hMaterial.IsNull());
    EXPECT_FALSE(copy->m_bRenderToTexture);
}

TEST(eShadowTest, FadeFallsSmoothlyToTheClipDistance)
{
    const float oldClip = eShadow::s_fShadowClip;
    eShadow::s_fShadowClip = 100;
    OverlayTestCaster caster;
    caster.m_fVisRadius = 4;
    eShadow shadow;
    caster.AddChild(&shadow, -1);
    const struct { float distance, fade; } rows[] = {
        {0, 1}, {96, 1}, {97, 0.75f}, {98, 0.5f}, {99.5f, 0.125f}, {100, 0}, {150, 0},
    };
    for (const auto& row : rows) {
        shadow.m_fDistance = row.distance;
        EXPECT_FLOAT_EQ(shadow.GetFade(), row.fade) << row.distance;
    }
    caster.m_fVisRadius = 0;
    shadow.m_fDistance = 99.9f;
    EXPECT_EQ(shadow.GetFade(), 1.0f);
    shadow.Detach();
    eShadow::s_fShadowClip = oldClip;
}

class eShadowCullTest : public WorldZoneTest {};

TEST_F(eShadowCullTest, DistanceLessTheCasterRadiusAgainstTheClip)
{
    eShadow::s_fShadowClip = 100;
    Cfg cfg;
    const struct { const char* why; float back, radius; bool bParent; float distance; bool bFiled; } rows[] = {
        {"radius 2 at 101: distance 99, drawn", 101, 2, true, 99, true},
        {"radius 2 at 103: distance 101, not drawn", 103, 2, true, 101, false},
        {"without a parent the radius is 0", 49, 0, false, 49, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eCamera camera;
        camera.SetCameraToWorld(MakeFrame(0, -row.back, 0));
        mFrustum frustum;
        frustum.Set(camera.m_worldFrustum);
        OverlayTestCaster caster;
        caster.m_fVisRadius = row.radius;
        eShadow shadow;
        shadow.Set(cfg, 1.0f);
        eGeom& node = row.bParent ? static_cast<eGeom&>(caster) : shadow;
        if (row.bParent)
            caster.AddChild(&shadow, -1);
        node.m_localToParent = MakeFrame(0, 0, 0);
        node.m_nGeomFlags |= eGeom::kDirty;
        node.SetZone(&m_a);
        node.Update(cTimeValue(0));
        shadow.Update(cTimeValue(0));
        m_a.ResetVisBins();
        shadow.Cull(camera, frustum, mFrustum::kMaskStart);
        EXPECT_FLOAT_EQ(shadow.m_fDistance, row.distance);
        EXPECT_EQ(m_a.m_pGeomOpaqueBin == &shadow.m_drawInfo, row.bFiled);
        EXPECT_EQ(shadow.m_drawInfo.pDrawable, &shadow);
        EXPECT_FLOAT_EQ(shadow.m_drawInfo.fDistance, -frustum.planes[mFrustum::kNear].offset);
        m_a.ResetVisBins();
        shadow.Detach();
        shadow.SetZone(nullptr);
        caster.SetZone(nullptr);
    }
}

class eShadowDrawTest : public OverlaySceneTest {
protected:
    static constexpr int kShadowSlot = 20;
    static constexpr int kShadowSize = 64;

    void SetUp() override
    {
        OverlaySceneTest::SetUp();
        if (IsSkipped())
            return;
        eTextureConfig* pTarget = Configure(kShadowSlot, eTextureConfig::FORMAT_RGB5A3, kShadowSize, false, true);
        ASSERT_NE(pTarget, nullptr);
        eTexture* pShadowTex = PlaceTexture(kShadowSlot, "shadow");
        std::fill_n(static_cast<uint8_t*>(pTarget->m_pTextureData->m_pTexels), pTarget->m_pTextureData->m_nBytes, 0xFF);
        DCStoreRangeNoSync(pTarget->m_pTextureData->m_pTexels, pTarget->m_pTextureData->m_nBytes);
        eMaterial* pBlend = datagen::MakeShadowMaterial(&m_pool, pShadowTex->m_handle, eTextureHandle());
        ASSERT_NE(pBlend, nullptr);
        m_materials.push_back(pBlend);
        m_cfg.hBlendMaterial = eMaterialMgr::Add(8, pBlend, 0x88);
        m_cfg.bRenderToTexture = true;
        m_cfg.fFar = 5;

        m_caster.m_localToParent = MakeFrame(0, 0, -1, 30);
        m_caster.m_nGeomFlags = eGeom::kDraw | eGeom::kDirty;
        m_caster.SetZone(&m_room);
        m_caster.AddChild(&m_shadow, -1);
        m_shadow.Set(m_cfg, 1.0f);
        m_shadow.m_localToParent.basis.SetHP(0, -90);  // aimed down: it projects along its forward axis
        m_caster.Update(cTimeValue(0));
        m_shadow.Update(cTimeValue(0));
        eShadow::s_fShadowClip = 100;
    }
    void TearDown() override
    {
        m_shadow.Detach();
        m_shadow.SetZone(nullptr);
        m_caster.SetZone(nullptr);
        eShadow::s_fShadowClip = 100;
        OverlaySceneTest::TearDown();
    }

    OverlayTestCaster m_caster;
    eShadow m_shadow;
    Cfg m_cfg;
};

TEST_F(eShadowDrawTest, NothingWithoutAParentOrAPassForTheSweep)
{
    eCamera camera;
    GXTestResetDrawStats();
    eMaterial::s_currentPass = eMaterial::PASS_LIGHTING;  // the blend material has no such pass
    m_shadow.Draw(camera, &m_shadow.m_drawInfo);
    eMaterial::s_currentPass = eMaterial::PASS_DIFFUSE;
    m_shadow.Detach();
    m_shadow.Draw(camera, &m_shadow.m_drawInfo);
    EXPECT_EQ(GXTestGetDrawStats().draws, 0u);
    EXPECT_EQ(m_caster.m_nImmediateDraws, 0);
}

}  // namespace
