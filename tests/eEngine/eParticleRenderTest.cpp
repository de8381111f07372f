#include "eEngine/eParticleSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/vi.h"
#include "datagen/particleWriters.h"
#include "eEngine/eCamera.h"
#include "eEngine/eGeomTrail.h"
#include "eEngine/eGeomTrailConfig.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eVideo.h"
#include "mMath/mRand.h"
#include "eVideoTestUtil.h"
#include "zoneTestSupport.h"

namespace {

using M = eMaterial;
using S = eTextureStage;

constexpr uint32_t kBackground = 0xFF141C28u;  // (20, 28, 40)

struct Rgb {
    int r, g, b;
    int Sum() const { return r + g + b; }
};

class eParticleRenderTest : public ZoneVideoTest {
protected:
    void SetUp() override
    {
        ZoneVideoTest::SetUp();
        if (IsSkipped())
            return;
        mRandReset();
    }

    M* Material(int materialSlot, int textureSlot, M::eBlendMode blend, bool bModulate)
    {
        M* m = NewMaterial(M::FLAG_UNLIT | M::FLAG_TWO_SIDED);
        m->m_blendMode = blend;
        m->m_hTextures[4] = eTextureMgr::GetHandle(textureSlot);
        const uint8_t op = bModulate ? S::OP_MUL : S::OP_A;
        S* s = AddStage(m->AddPass(M::PASS_DIFFUSE), S::IN_TEXTURE, S::IN_RASTER, op, S::IN_TEXTURE, op, 0);
        s->m_alphaIn[1] = S::IN_RASTER;
        s->m_coordSource = S::SRC_TEX0;
        eMaterialMgr::Add(materialSlot, m, static_cast<uint16_t>(0x600 + materialSlot));
        return m;
    }

    static datagen::RgbaImage Spot(uint32_t size)
    {
        datagen::RgbaImage image;
        image.width = image.height = size;
        const float c = 0.5f * static_cast<float>(size - 1);
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t x = 0; x < size; ++x) {
                const float dx = (static_cast<float>(x) - c) / c, dy = (static_cast<float>(y) - c) / c;
                const float f = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
                const uint8_t texel[4] = {255, 255, 255, static_cast<uint8_t>(255.0f * f)};
                image.rgba.insert(image.rgba.end(), texel, texel + 4);
            }
        return image;
    }

    static Rgb Brightest(const std::vector<uint8_t>& frame, int x, int y, int radius = 3)
    {
        Rgb best{0, 0, 0};
        for (int j = y - 4 * radius; j <= y + 4 * radius; ++j)
            for (int i = x - radius; i <= x + radius; ++i) {
                const uint8_t* p = &frame[(static_cast<size_t>(j) * 640 + i) * 4];
                if (p[0] + p[1] + p[2] > best.Sum())
                    best = {p[0], p[1], p[2]};
            }
        return best;
    }
};

TEST_F(eParticleRenderTest, APlumeAndATrailShowAndFade)
{
    MakeTexture(30, eTextureConfig::FORMAT_RGBA8, SolidImage(8, 70, 80, 90));
    MakeTexture(31, eTextureConfig::FORMAT_RGBA8, Spot(16));
    MakeTexture(32, eTextureConfig::FORMAT_RGBA8, SolidImage(8, 255, 255, 255));
    M* floor = Material(20, 30, M::BLEND_NONE, false);
    M* puff = Material(21, 31, M::BLEND_TRANSPARENT, true);
    M* ribbon = Material(22, 32, M::BLEND_TRANSPARENT, true);

    datagen::ZoneDesc desc;
    desc.name = "plume";
    desc.materials = {floor->m_handle.m_nValue};
    desc.surfaces = {1};
    AddQuad(&desc, {-12, -4, -4}, {12, -4, -4}, {12, 40, -4}, {-12, 40, -4}, 0, 4.0f);
    ASSERT_TRUE(WriteZone("plume.zon", desc));
    eZone zone;
    ASSERT_TRUE(ReadZone("plume.zon", &zone));
    zone.m_nZoneIndex = 0;
    eZone::s_pZones[0] = &zone;

    eParticleEmitter source;
    source.m_nMaxParticles = 40;
    source.SetLifetime(cTimeValue(600)), source.SetBirthDelay(cTimeValue(60));
    source.SetHeadingAngleTolerance(0), source.SetPitchAngleTolerance(0), source.SetInitialSpeed(0.01f);
    source.SetFadeInTime(cTimeValue(0)), source.SetFadeOutTime(cTimeValue(600));
    source.SetStartSize(1.2f), source.SetEndSize(1.2f);
    source.SetColorStart(1, 0.6f, 0.15f), source.SetColorEnd(1, 0.6f, 0.15f);
    source.SetMaterial(puff->m_handle);
    source.m_localToParent.basis.SetHPR(0, 90, 0);  // emit along +z
    source.m_localToParent.origin.Set(-3, 12, -3);
    ASSERT_TRUE(datagen::WriteEmitterFile(m_data.HostPath("plume.emt"), source));
    auto* emitter = dcast<eParticleEmitter>(cBase::Load("/plume.emt", &m_zonePool, eParticleEmitter::GetStaticType()));
    ASSERT_NE(emitter, nullptr);

    eGeomTrailConfig trailSource;
    trailSource.hMaterial = ribbon->m_handle;
    trailSource.nMaxSegments = 12, trailSource.nSubdivisions = 4, trailSource.fWidth = 1.5f;
    ASSERT_TRUE(datagen::WriteTrailConfigFile(m_data.HostPath("ribbon.trl"), trailSource));
    auto* config = dcast<eGeomTrailConfig>(cBase::Load("/ribbon.trl", &m_zonePool, eGeomTrailConfig::GetStaticType()));
    ASSERT_NE(config, nullptr);

    eParticleSystem* plume = m_zonePool.New<eParticleSystem>();
    eGeomTrail* trail = m_zonePool.New<eGeomTrail>();
    ASSERT_TRUE(plume && trail);
    plume->m_pParticleEmitter = emitter;
    plume->m_nGeomFlags = eGeom::kDraw;
    plume->SetZone(&zone);
    plume->Reset(&m_zonePool);
    trail->m_nGeomFlags = eGeom::kDraw;
    trail->SetZone(&zone);
    trail->SetGeomTrailConfig(config);

    eCamera camera;
    camera.SetCameraToWorld(MakeFrame(0, -3, 0));
    const int kFrames = 45;
    const uint32_t oldAmbient = M::s_nGlobalAmbient;
    M::s_nGlobalAmbient = 0xFF000000u;  // no ambient light: the background keeps its clear colour
    for (int frame = 0; frame < kFrames; ++frame) {
        plume->Update(cTimeValue(20), 1.0f);
        trail->m_localToParent.origin.Set(-1.0f + 0.6f * static_cast<float>(frame - (kFrames - 13)), 12, 1);
        trail->m_nGeomFlags |= eGeom::kDirty;
        trail->Update(cTimeValue(20));
        eVideo::PreCull();
        eZone::CullAll(camera);
        camera.BeginRender();
        eVideo::Clear(true, true, kBackground, 1.0f, nullptr);
        M::ApplyNull();
        eZone::DrawAll(camera, false);
        camera.EndRender();
        eVideo::Flip();
    }
    M::s_nGlobalAmbient = oldAmbient;
    EXPECT_EQ(plume->m_nCurrentParticles, 10);  // one every 60 ticks, 600 ticks of life
    EXPECT_EQ(trail->m_nParticles, 13);
    EXPECT_GT(eVideo::s_nRenderedDynamicTris, 0u);

    const char* env = std::getenv("QM_PARTICLE_PNG");
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string path =
        env && *env ? env : (ec ? std::string(".") : exe.parent_path().string()) + "/particle_render.png";
    ASSERT_TRUE(VIWriteScreenshotPNG(path.c_str()));
    std::printf("particle frame written to %s\n", path.c_str());

    std::vector<uint8_t> frame;
    int w = 0, h = 0;
    ASSERT_TRUE(GXTestReadPresented(&frame, &w, &h));
    auto sx = [](float x, float depth) { return static_cast<int>(320.0f + 614.7f * x / depth); };
    auto sy = [](float z, float depth) { return static_cast<int>(240.0f - 614.7f * z / depth); };
    const Rgb floorPixel = Brightest(frame, sx(-6, 20), sy(-4, 20), 0);
    const Rgb young = Brightest(frame, sx(-3, 15), sy(-2.5f, 15));  // a tenth of a second old
    const Rgb middle = Brightest(frame, sx(-3, 15), sy(0, 15));
    const Rgb old = Brightest(frame, sx(-3, 15), sy(2.5f, 15));     // near the end of its life
    EXPECT_GT(young.r, floorPixel.r + 120) << young.r << " vs floor " << floorPixel.r;
    EXPECT_GT(young.r, young.b + 100);  // orange
    EXPECT_GT(young.Sum(), middle.Sum() + 20) << young.Sum() << " " << middle.Sum();
    EXPECT_GT(middle.Sum(), old.Sum() + 20) << middle.Sum() << " " << old.Sum();

    const Rgb head = Brightest(frame, sx(5.6f, 15), sy(1, 15));
    const Rgb tail = Brightest(frame, sx(0, 15), sy(1, 15));
    const Rgb above = Brightest(frame, sx(3, 15), sy(3, 15), 0);
    EXPECT_GT(head.Sum(), tail.Sum() + 150) << head.Sum() << " vs " << tail.Sum();
    EXPECT_GT(tail.Sum(), above.Sum()) << tail.Sum() << " vs " << above.Sum();
    EXPECT_NEAR(above.r, 20, 6);  // background above the ribbon

    plume->SetZone(nullptr);
    trail->SetZone(nullptr);
    eZone::s_pZones[0] = nullptr;
}

}  // namespace
