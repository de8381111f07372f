#include "eEngine/eDynamicLight.h"

#include <cmath>

#include "../test/gx_test.h"
#include "eEngine/eCamera.h"
#include "eEngine/eDynamicLightConfig.h"
#include "eEngine/eLight.h"
#include "eEngine/eVideo.h"
#include "mMath/mRand.h"
#include "zoneTestSupport.h"

namespace {

using Cfg = eDynamicLightConfig;

void ExpectColor(const mVec4& got, float r, float g, float b, float a)
{
    EXPECT_NEAR(got.x, r, 1e-6f);
    EXPECT_NEAR(got.y, g, 1e-6f);
    EXPECT_NEAR(got.z, b, 1e-6f);
    EXPECT_NEAR(got.w, a, 1e-6f);
}

TEST(eDynamicLightTest, FlickerDropsTheColourBySmoothedNoise)
{
    mRandReset();
    const float n1 = mRand();
    const float n2 = mRand();
    const struct { const char* why; uint32_t color; float flicker, damping, intensity; int updates;
                   float r, g, b, a; } rows[] = {
        {"no flicker: the colour times the intensity", 0x80FF4000, 0, 0.5f, 0.5f, 2,
         0.5f, 0.1254902f, 0, 0.2509804f},
        {"damping 1: the noise never moves", 0xFFFFFFFF, 0.5f, 1, 1, 3, 1, 1, 1, 1},
        {"damping 0: fresh noise", 0xFFFFFFFF, 0.5f, 0, 1, 1, 1 - 0.5f * n1, 1 - 0.5f * n1, 1 - 0.5f * n1,
         1 - 0.5f * n1},
        {"damping 0.5 over two updates", 0xFF000000, 1, 0.5f, 2, 2, -2 * (0.25f * n1 + 0.5f * n2),
         -2 * (0.25f * n1 + 0.5f * n2), -2 * (0.25f * n1 + 0.5f * n2), 2 * (1 - (0.25f * n1 + 0.5f * n2))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        Cfg cfg;
        cfg.color = row.color;
        cfg.fFlicker = row.flicker;
        cfg.fDamping = row.damping;
        eDynamicLight light;
        light.SetConfig(cfg);
        light.m_fIntensity = row.intensity;
        mRandReset();
        for (int i = 0; i < row.updates; ++i)
            light.Update(cTimeValue(20));
        ExpectColor(light.m_drawColor, row.r, row.g, row.b, row.a);
    }
}

TEST(eDynamicLightTest, ConfigsRadiiAndCopies)
{
    Cfg cfg;
    EXPECT_EQ(cfg.color, 0xFFFFFFFFu);
    EXPECT_EQ(cfg.fRadius, 8.0f);
    EXPECT_EQ(cfg.fDamping, 0.75f);
    cfg.hMaterial = eMaterialHandle(0x12340005);
    eDynamicLight light;
    light.m_fVisRadius = 8;
    light.SetConfig(cfg);  // the same radius: not dirty
    EXPECT_EQ(light.m_nGeomFlags & eGeom::kDirty, 0);
    EXPECT_EQ(light.m_drawInfo.hMaterial, cfg.hMaterial);
    cfg.fRadius = 3;
    light.SetConfig(cfg);
    EXPECT_EQ(light.m_fVisRadius, 3.0f);
    EXPECT_NE(light.m_nGeomFlags & eGeom::kDirty, 0);
    EXPECT_EQ(light.m_fIntensity, 1.0f);

    cMemPool pool("lightCopy", 0x1000, false);
    auto* copy = static_cast<eDynamicLight*>(light.Copy(&pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_fIntensity, 0.0f);
    EXPECT_EQ(copy->m_pLightConfig, nullptr);
    EXPECT_TRUE(copy->m_drawInfo.hMaterial.IsNull());
}

TEST(eDynamicLightFileTest, OlderConfigBlocksKeepTheDefaults)
{
    eTestDataDir data;
    cMemPool pool("lightConfig", 0x1000, false);
    const struct { uint32_t version; float flicker, damping; bool bRead; } rows[] = {
        {0, 0, 0.75f, false}, {1, 0, 0.75f, true}, {2, 0.25f, 0.75f, true}, {3, 0.25f, 0.5f, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        datagen::BlockWriter w;
        w.Header().Begin(1).Word(36).Begin(row.version).Begin(1).End();
        w.Word(0x11110003).Word(0xFF336699).Float(12);
        if (row.version >= 2)
            w.Float(0.25f);
        if (row.version >= 3)
            w.Float(0.5f);
        w.End().End().Trailer();
        ASSERT_TRUE(w.Save(data.HostPath("c.dlc")));
        LogCatcher quiet;
        auto* cfg = static_cast<Cfg*>(cBase::Load("/c.dlc", &pool, Cfg::GetStaticType()));
        ASSERT_EQ(cfg != nullptr, row.bRead);
        if (!cfg)
            continue;
        EXPECT_EQ(cfg->hMaterial.m_nValue, 0x11110003u);
        EXPECT_EQ(cfg->color, 0xFF336699u);
        EXPECT_EQ(cfg->fRadius, 12.0f);
        EXPECT_EQ(cfg->fFlicker, row.flicker);
        EXPECT_EQ(cfg->fDamping, row.damping);
    }
}

class eDynamicLightDrawTest : public ZoneVideoTest {
protected:
    void SetUp() override
    {
        ZoneVideoTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(WriteZone("room.zon", RoomDesc(5, false)));
        ASSERT_TRUE(ReadZone("room.zon", &m_room));
        m_room.m_localToWorld = MakeFrame(0, 0, 100);
        m_room.m_nZoneIndex = 0;
        eZone::s_pZones[0] = &m_room;
        m_lightMaterial = m_pool.New<eMaterial>();
        m_lightMaterial->AddPass(eMaterial::PASS_LIGHTING)->AddTextureStage();
        eMaterialMgr::Add(7, m_lightMaterial, 0x77);
        m_cfg.hMaterial = m_lightMaterial->m_handle;
        m_cfg.fRadius = 5;
        eMaterial::s_currentPass = eMaterial::PASS_LIGHTING;
    }

    void Place(eDynamicLight* pLight, float x)
    {
        pLight->SetConfig(m_cfg);
        pLight->m_localToParent.origin.Set(x, 0, -3);
        pLight->m_nGeomFlags = eGeom::kDraw | eGeom::kDirty;
        pLight->SetZone(&m_room);
        pLight->Update(cTimeValue(20));
    }

    eZone m_room;
    eMaterial* m_lightMaterial = nullptr;
    Cfg m_cfg;
};

TEST_F(eDynamicLightDrawTest, EachLightTakesTheNextOmniSlotAndAFourthStillLightsTheRoom)
{
    eDynamicLight lights[4];
    eCamera camera;
    for (int i = 0; i < 4; ++i)
        Place(&lights[i], static_cast<float>(i) - 2);
    eLight::s_nOpenOmniLight = 0;
    eLight::EnableDirectional(true);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        eVideo::s_nRenderedDynamicTris = 0;
        lights[i].Draw(camera, &lights[i].m_drawInfo);
        EXPECT_EQ(eLight::s_nOpenOmniLight, std::min(i + 1, 3));
        EXPECT_GT(eVideo::s_nRenderedDynamicTris, 0u);  // the floor inside its cube
        EXPECT_TRUE(eLight::s_bDirectional);
        EXPECT_FALSE(eVideoPlatform::s_bApplyTexMatrix);
        EXPECT_EQ(eVideoPlatform::RenderState().Get(RS_Z_FUNC), static_cast<uintptr_t>(GX_LEQUAL));
    }
    EXPECT_EQ(eLight::s_omniSphere[0].center, mVec3(-2, 0, 97));
    EXPECT_EQ(eLight::s_omniSphere[0].radius, 5.0f);
    EXPECT_EQ(eLight::s_omniColor[0], lights[0].m_drawColor);
    EXPECT_EQ(eLight::s_omniSphere[2].center, mVec3(0, 0, 97));
    for (eDynamicLight& l : lights)
        l.SetZone(nullptr);
}

TEST_F(eDynamicLightDrawTest, TheProjectionFollowsATurnedZone)
{
    m_room.m_localToWorld = MakeFrame(0, 0, 100, 90);
    eDynamicLight light;
    m_cfg.fRadius = 0.25f;  // small lights draw too
    Place(&light, 1);
    eVideo::s_nRenderedDynamicTris = 0;
    light.Draw(eCamera(), &light.m_drawInfo);
    EXPECT_EQ(eLight::s_omniSphere[eLight::s_nOpenOmniLight - 1].radius, 0.25f);
    m_cfg.fRadius = 5;
    light.SetConfig(m_cfg);
    light.Draw(eCamera(), &light.m_drawInfo);
    const struct { mVec3 offset; float s0, t0, ds1, t1; } rows[] = {
        {{0, 0, 0}, 0.5f, 0.5f, 0, 0.5f}, {{5, 0, 0}, 1, 0.5f, 0, 0.5f}, {{0, 5, 0}, 0.5f, 0, 0, 0},
        {{0, 0, 5}, 0.5f, 0.5f, 0.5f, 0.5f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.offset.x << ", " << row.offset.y << ", " << row.offset.z);
        mVec3 w;
        w.Xform(mVec3(1, 0, -3) + row.offset, m_room.m_localToWorld);
        float st[2][3];  // s, t and the third coordinate, which stays 1
        for (int set = 0; set < 2; ++set) {
            const float(*m)[4] = &gxGet().postMtx[3 * set];
            for (int k = 0; k < 3; ++k)
                st[set][k] = m[k][0] * w.x + m[k][1] * w.y + m[k][2] * w.z + m[k][3];
            EXPECT_FLOAT_EQ(st[set][2], 1.0f);
        }
        EXPECT_NEAR(st[0][0], row.s0, 1e-5f);
        EXPECT_NEAR(st[0][1], row.t0, 1e-5f);
        EXPECT_NEAR(std::fabs(st[1][0] - 0.5f), row.ds1, 1e-5f);
        EXPECT_NEAR(st[1][1], row.t1, 1e-5f);
    }
    light.SetZone(nullptr);
}

TEST_F(eDynamicLightDrawTest, ALightWithoutAPassForTheSweepDrawsNothing)
{
    eDynamicLight light;
    Place(&light, 0);
    eCamera camera;
    eMaterial::s_currentPass = eMaterial::PASS_DIFFUSE;
    eLight::s_nOpenOmniLight = 0;
    eVideo::s_nRenderedDynamicTris = 0;
    light.Draw(camera, &light.m_drawInfo);
    EXPECT_EQ(eLight::s_nOpenOmniLight, 0);
    EXPECT_EQ(eVideo::s_nRenderedDynamicTris, 0u);

    m_room.ResetVisBins();
    mFrustum f;
    f.Xform(camera.m_frustum, m_room.m_localToWorld);
    light.Cull(camera, f, mFrustum::kMaskStart);
    EXPECT_EQ(m_room.m_pPostShadowBin, &light.m_drawInfo);
    EXPECT_EQ(light.m_drawInfo.pDrawable, &light);
    light.SetZone(nullptr);
}


// A wall 10 ahead of the default camera, facing it, in 1 x 1 cells, drawn
// as already lit in grey; then an untextured pale blue light half a unit in
// front of it at x = -3. The light adds its colour near it and leaves the
// far end of the same strip as it was.
TEST_F(eDynamicLightDrawTest, AnUntexturedLightAddsItsColourNearItAndLeavesTheRest)
{
    datagen::ZoneDesc desc = RoomDesc(5, false);
    desc.name = "wall";
    desc.triangles.clear();
    desc.boxMin.Set(-16, -16, -16);
    desc.boxMax.Set(16, 16, 16);
    desc.exportOffset.Set(0, 0, 0);
    desc.treeSize = 32;
    for (int x = -8; x < 8; ++x)
        for (int z = -6; z < 6; ++z) {
            const float x0 = static_cast<float>(x), z0 = static_cast<float>(z);
            AddQuad(&desc, {x0, 10, z0}, {x0 + 1, 10, z0}, {x0 + 1, 10, z0 + 1}, {x0, 10, z0 + 1}, 0);
        }
    ASSERT_TRUE(WriteZone("wall.zon", desc));
    eZone wall;
    ASSERT_TRUE(ReadZone("wall.zon", &wall));
    wall.m_localToWorld.MakeIdentity();
    wall.m_nZoneIndex = 0;
    eZone::s_pZones[0] = &wall;

    eCamera camera;
    camera.Apply();
    GXTestClearEfb(GXColor{0, 0, 0, 255}, 0xFFFFFF);
    eMaterial::ApplyNull();
    eVideoPlatform::RenderState().Set(RS_MATERIAL_COLOR, 0xFF606060u);
    mFrustum all;
    all.SetOrtho(-100, 100, -100, 100, 100, -100);
    wall.DrawContained(camera, all, 0);
    // On screen: x = 320 + 320 wx / (10 tan 27.5), y = 240 - 240 wz / (10 tan 20.625).
    const auto at = [](float wx) {
        GXDrawDone();
        return GXTestEfbPixel(static_cast<int>(320.0f + wx * 61.47f), 240);
    };
    const GXColor nearBefore = at(-3.0f), farBefore = at(3.5f);
    ASSERT_EQ(nearBefore.r, 0x60);
    ASSERT_EQ(farBefore.b, 0x60);

    m_cfg.hMaterial = eMaterialHandle();
    m_cfg.color = 0xFFA0C8FFu;
    m_cfg.fRadius = 1.5f;
    eDynamicLight light;
    light.SetConfig(m_cfg);
    light.m_localToParent.origin.Set(-3, 9.5f, 0);
    light.m_nGeomFlags = eGeom::kDraw | eGeom::kDirty;
    light.SetZone(&wall);
    light.Update(cTimeValue(20));
    eLight::s_nOpenOmniLight = 0;
    eLight::EnableDirectional(true);
    light.Draw(camera, &light.m_drawInfo);
    const GXColor nearAfter = at(-3.0f), farAfter = at(3.5f);
    EXPECT_EQ(farAfter.r, farBefore.r);
    EXPECT_EQ(farAfter.g, farBefore.g);
    EXPECT_EQ(farAfter.b, farBefore.b);
    const int dr = nearAfter.r - nearBefore.r, dg = nearAfter.g - nearBefore.g, db = nearAfter.b - nearBefore.b;
    // A third of its radius away: 1 / (1 + 15 / 9) of the light's colour.
    const float f = 1.0f / (1.0f + eDynamicLight::kUntexturedFalloff * (0.5f / 1.5f) * (0.5f / 1.5f));
    EXPECT_NEAR(dr, 0xA0 * f, 4.0f) << "brighter near the light, in its pale blue";
    EXPECT_NEAR(dg, 0xC8 * f, 4.0f);
    EXPECT_NEAR(db, 0xFF * f, 4.0f);
    light.SetZone(nullptr);
    eZone::s_pZones[0] = &m_room;
}

}  // namespace
