// A pooled effect with particles, a trail and a dynamic light, spawned into
// a zone written by the zone writer and drawn headless mid-life: its puffs
// and its ribbon show over the dark sky and the grey floor. The frame
// is written as a PNG file beside the test program.
#include "gcGameCore/entities/gcEffect.h"

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/vi.h"
#include "datagen/effectWriters.h"
#include "eEngine/eCamera.h"
#include "eEngine/eDynamicLight.h"
#include "eEngine/eGeomTrail.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eParticleSystem.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoTestUtil.h"
#include "eEngine/zoneTestSupport.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "mMath/mRand.h"

namespace {

using M = eMaterial;
using S = eTextureStage;

constexpr uint32_t kBackground = 0xFF141C28u;  // (20, 28, 40)
constexpr int kTemplateSlot = 9;

class gcEffectRenderTest : public ZoneVideoTest {
protected:
    void SetUp() override
    {
        ZoneVideoTest::SetUp();
        if (IsSkipped())
            return;
        mRandReset();
        gcEntityWorld::Funcs funcs{};
        funcs.pGetRegionId = [](int slot) { return slot == 0 ? 1 : -1; };
        m_oldFuncs = gcEntityWorld::Set(funcs);
    }
    void TearDown() override
    {
        GXTestGetDrawStats();  // the render thread idle before the effect goes
        gcEffectTemplateMgr::Remove(kTemplateSlot);  // destroys the template
        gcEffect::s_nActiveSpawnedEffects = 0;
        gcEntityWorld::Set(m_oldFuncs);
        ZoneVideoTest::TearDown();
    }
    M* Material(int materialSlot, int textureSlot, M::eBlendMode blend)
    {
        M* m = NewMaterial(M::FLAG_UNLIT | M::FLAG_TWO_SIDED);
        m->m_blendMode = blend;
        m->m_hTextures[4] = eTextureMgr::GetHandle(textureSlot);
        S* s = AddStage(m->AddPass(M::PASS_DIFFUSE), S::IN_TEXTURE, S::IN_RASTER, S::OP_MUL, S::IN_TEXTURE,
                        S::OP_MUL, 0);
        s->m_alphaIn[1] = S::IN_RASTER;
        s->m_coordSource = S::SRC_TEX0;
        eMaterialMgr::Add(materialSlot, m, static_cast<uint16_t>(0x600 + materialSlot));
        return m;
    }
    std::vector<uint8_t> Frame(const eCamera& camera)
    {
        eVideo::PreCull();
        eZone::CullAll(camera);
        camera.BeginRender();
        eVideo::Clear(true, true, kBackground, 1.0f, nullptr);
        M::ApplyNull();
        eZone::DrawAll(camera, false);
        camera.EndRender();
        eVideo::Flip();
        std::vector<uint8_t> frame;
        int w = 0, h = 0;
        EXPECT_TRUE(GXTestReadPresented(&frame, &w, &h));
        return frame;
    }

    gcEffectTemplate* m_pTemplate = nullptr;
    gcEntityWorld::Funcs m_oldFuncs{};
};

TEST_F(gcEffectRenderTest, ASpawnedEffectShowsItsParticlesAndTrail)
{
    MakeTexture(30, eTextureConfig::FORMAT_RGBA8, SolidImage(8, 70, 80, 90));
    MakeTexture(32, eTextureConfig::FORMAT_RGBA8, SolidImage(8, 255, 255, 255));
    M* floor = Material(20, 30, M::BLEND_NONE);
    M* puff = Material(21, 32, M::BLEND_TRANSPARENT);
    M* ribbon = Material(22, 32, M::BLEND_TRANSPARENT);
    datagen::ZoneDesc desc;
    desc.name = "yard";
    desc.materials = {floor->m_handle.m_nValue};
    desc.surfaces = {1};
    AddQuad(&desc, {-12, -4, -4}, {12, -4, -4}, {12, 40, -4}, {-12, 40, -4}, 0, 4.0f);
    ASSERT_TRUE(WriteZone("yard.zon", desc));
    eZone zone;
    ASSERT_TRUE(ReadZone("yard.zon", &zone));
    zone.m_nZoneIndex = 0;
    eZone::s_pZones[0] = &zone;

    // Orange puffs rising from the effect, a white ribbon behind it and a
    // light; the effect flies along +x 0.01 units a tick, 15 units ahead.
    datagen::EffectTemplateDesc d;
    d.name = "Flare";
    d.lifeTicks = 0;
    d.maxInstances = 1;
    eParticleEmitter& e = d.emitters[0].emplace();
    e.m_nMaxParticles = 40;
    e.SetLifetime(cTimeValue(600)), e.SetBirthDelay(cTimeValue(60));
    e.SetHeadingAngleTolerance(0), e.SetPitchAngleTolerance(0), e.SetInitialSpeed(0.01f);
    e.SetFadeInTime(cTimeValue(0)), e.SetFadeOutTime(cTimeValue(600));
    e.SetStartSize(1.2f), e.SetEndSize(1.2f);
    e.SetColorStart(1, 0.6f, 0.15f), e.SetColorEnd(1, 0.6f, 0.15f);
    e.SetMaterial(puff->m_handle);
    e.m_localToParent.basis.SetHPR(0, 90, 0);  // emit along +z
    eGeomTrailConfig& t = d.trail.emplace();
    t.hMaterial = ribbon->m_handle;
    t.nMaxSegments = 12, t.nSubdivisions = 4, t.fWidth = 1.5f;
    d.light = datagen::EffectLightDesc{};
    ASSERT_TRUE(datagen::WriteEffectTemplateGroupFile(m_data.HostPath("fx.grp"), kTemplateSlot, {d},
                                                      gcEffectTemplate::kVersion));
    cBase* pGroup = cBase::Load("/fx.grp", &m_zonePool, gcEffectTemplateGroup::GetStaticType());
    ASSERT_NE(pGroup, nullptr);
    m_pTemplate = gcEffectTemplateMgr::GetPtr(gcEffectTemplateMgr::GetHandle(kTemplateSlot));
    ASSERT_NE(m_pTemplate, nullptr);
    static_cast<cGroup*>(pGroup)->m_bDeleteContained = false;  // the manager's slot keeps the template
    std::destroy_at(pGroup);
    m_pTemplate->ResetInstances();

    eCamera camera;
    camera.SetCameraToWorld(MakeFrame(0, -3, 0));
    const uint32_t oldAmbient = M::s_nGlobalAmbient;
    M::s_nGlobalAmbient = 0xFF000000u;

    gcEffect* fx = m_pTemplate->GetInstance();
    ASSERT_NE(fx, nullptr);
    mOCS at = MakeFrame(-4, 12, -1);
    fx->SpawnAt(at, nullptr);
    ASSERT_EQ(fx->m_model.m_pZone, &zone);
    fx->m_currentVelocity = mVec3(0.01f, 0, 0);
    std::vector<uint8_t> frame;
    for (int i = 0; i < 30; ++i) {
        fx->Send(gcMsgTick(cTimeValue(20)));
        frame = Frame(camera);
    }
    M::s_nGlobalAmbient = oldAmbient;
    EXPECT_EQ(fx->m_pDynamicLight->m_pParent, &fx->m_model);
    EXPECT_GT(fx->m_pParticleSystem[0]->m_nCurrentParticles, 5);
    EXPECT_GT(fx->m_pGeomTrail->m_nParticles, 5);

    const std::filesystem::path dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    EXPECT_TRUE(VIWriteScreenshotPNG((dir / "effect_render.png").c_str()));
    ASSERT_EQ(frame.size(), 640u * 480u * 4u);
    int orange = 0, white = 0;
    for (size_t i = 0; i + 3 < frame.size(); i += 4) {
        const uint8_t* p = &frame[i];
        orange += p[0] > 150 && p[0] > p[2] + 100;
        white += p[0] > 150 && p[1] > 150 && p[2] > 150;
    }
    std::printf("effect frame: %d orange, %d white pixels\n", orange, white);
    EXPECT_GT(orange, 100);
    EXPECT_GT(white, 100);
    fx->Send(gcMsg(MSG_DEACTIVATE, nullptr));
}

}  // namespace
