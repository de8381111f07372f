#include "eEngine/eZone.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/vi.h"
#include "eEngine/eCamera.h"
#include "eEngine/eDynamicLight.h"
#include "eEngine/eDynamicLightConfig.h"
#include "eEngine/eLight.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eVideo.h"
#include "eVideoTestUtil.h"
#include "zoneTestSupport.h"

namespace {

using M = eMaterial;
using S = eTextureStage;

constexpr uint32_t kSky = 0xFF64788Cu;  // clear and fog colour: (100, 120, 140)

struct Rgb {
    int r, g, b;
    int Sum() const { return r + g + b; }
};

class eZoneRenderTest : public ZoneVideoTest {
protected:
    static datagen::RgbaImage Image(uint32_t size, uint8_t (*texel)(uint32_t x, uint32_t y, int channel))
    {
        datagen::RgbaImage image;
        image.width = image.height = size;
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t x = 0; x < size; ++x)
                for (int c = 0; c < 4; ++c)
                    image.rgba.push_back(texel(x, y, c));
        return image;
    }

    static void AddStage(eMaterialPass* pass, bool bTimesRaster, uint8_t coords)
    {
        S* s = pass->AddTextureStage();
        s->m_colorIn[0] = S::IN_TEXTURE;
        s->m_colorIn[1] = S::IN_RASTER;
        s->m_colorOp = bTimesRaster ? S::OP_MUL : S::OP_A;
        s->m_alphaIn[0] = S::IN_TEXTURE;
        s->m_alphaOp = S::OP_A;
        s->m_nTextureIndex = 0;
        s->m_coordSource = coords;
    }

    M* LitMaterial(int materialSlot, int textureSlot)
    {
        M* m = m_pool.New<M>();
        m->m_hTextures[0] = M::s_hLightmapTex;
        m->m_hTextures[4] = eTextureMgr::GetHandle(textureSlot);
        AddStage(m->AddPass(M::PASS_LIGHTING), false, S::SRC_TEX0);      // the lightmap's coordinates
        AddStage(m->AddPass(M::PASS_DIFFUSE), false, S::SRC_TEX0 + 1);   // the first set
        eMaterialMgr::Add(materialSlot, m, static_cast<uint16_t>(0x500 + materialSlot));
        return m;
    }

    static void AddTiled(datagen::ZoneDesc* pDesc, const mVec3& a, const mVec3& b, const mVec3& d, uint8_t material,
                         float uvScale, int nu, int nv)
    {
        mVec3 n;
        n.MakeNormal(a, b, b + (d - a));
        auto at = [&](int i, int j) {
            const float s = static_cast<float>(i) / static_cast<float>(nu);
            const float t = static_cast<float>(j) / static_cast<float>(nv);
            datagen::ZoneVertex v;
            v.pos = a + (b - a) * s + (d - a) * t;
            v.normal = n;
            v.lu = s;
            v.lv = 1.0f - t;
            v.u = v.lu * uvScale;
            v.v = v.lv * uvScale;
            return v;
        };
        for (int j = 0; j < nv; ++j) {
            for (int i = 0; i < nu; ++i) {
                datagen::ZoneTriangle t;
                t.material = material;
                t.v[0] = at(i, j), t.v[1] = at(i + 1, j), t.v[2] = at(i + 1, j + 1);
                pDesc->triangles.push_back(t);
                t.v[1] = at(i + 1, j + 1), t.v[2] = at(i, j + 1);
                pDesc->triangles.push_back(t);
            }
        }
    }

    static Rgb Probe(const std::vector<uint8_t>& frame, int x, int y)
    {
        const uint8_t* p = &frame[(static_cast<size_t>(y) * 640 + x) * 4];
        return {p[0], p[1], p[2]};
    }
};

TEST_F(eZoneRenderTest, ACorridorIsLitLightmappedBlendedAndFogged)
{
    MakeTexture(20, eTextureConfig::FORMAT_RGBA8, Image(16, [](uint32_t x, uint32_t y, int c) -> uint8_t {
                    const int shade = ((x / 4 + y / 4) & 1) ? 12 : 0;
                    const int base[4] = {215, 195, 150, 255};
                    return static_cast<uint8_t>(c == 3 ? 255 : base[c] - shade);
                }));
    MakeTexture(21, eTextureConfig::FORMAT_RGBA8, Image(16, [](uint32_t, uint32_t y, int c) -> uint8_t {
                    const int base[4] = {190, 160, 130, 255};
                    return static_cast<uint8_t>(c == 3 ? 255 : base[c] - ((y % 8) == 0 ? 40 : 0));
                }));
    MakeTexture(22, eTextureConfig::FORMAT_RGBA8, Image(16, [](uint32_t, uint32_t, int c) -> uint8_t {
                    const uint8_t v[4] = {40, 110, 235, 128};
                    return v[c];
                }));
    MakeTexture(23, eTextureConfig::FORMAT_RGBA8, Image(16, [](uint32_t x, uint32_t y, int c) -> uint8_t {
                    const float dx = (static_cast<float>(x) - 7.5f) / 7.5f, dy = (static_cast<float>(y) - 7.5f) / 7.5f;
                    const float f = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
                    return static_cast<uint8_t>(c == 3 ? 255 : 255.0f * f);
                }),
                eTexture::WRAP_CLAMP);

    M* floor = LitMaterial(10, 20);
    M* wall = LitMaterial(11, 21);
    M* window = m_pool.New<M>();
    window->m_blendMode = M::BLEND_TRANSPARENT;
    window->m_nFlags = M::FLAG_UNLIT;
    window->m_hTextures[4] = eTextureMgr::GetHandle(22);
    AddStage(window->AddPass(M::PASS_DIFFUSE), false, S::SRC_TEX0 + 1);
    eMaterialMgr::Add(12, window, 0x512);
    M* spot = m_pool.New<M>();
    spot->m_blendMode = M::BLEND_ADD;
    spot->m_hTextures[0] = eTextureMgr::GetHandle(23);
    AddStage(spot->AddPass(M::PASS_LIGHTING), true, S::SRC_TEX0);
    eMaterialMgr::Add(13, spot, 0x513);

    datagen::ZoneDesc desc;
    desc.name = "corridor";
    desc.boxMin.Set(-64, -64, -64);
    desc.boxMax.Set(64, 64, 64);
    desc.materials = {floor->m_handle.m_nValue, wall->m_handle.m_nValue, window->m_handle.m_nValue};
    desc.surfaces = {1};
    AddTiled(&desc, {-6, -4, -4}, {6, -4, -4}, {-6, 40, -4}, 0, 8, 12, 44);
    AddTiled(&desc, {-6, -4, -4}, {-6, 40, -4}, {-6, -4, 4}, 1, 4, 22, 4);
    AddTiled(&desc, {6, 40, -4}, {6, -4, -4}, {6, 40, 4}, 1, 4, 22, 4);
    AddTiled(&desc, {-6, 40, -4}, {6, 40, -4}, {-6, 40, 4}, 1, 2, 6, 4);
    AddQuad(&desc, {-5.9f, 8, -2}, {-5.9f, 16, -2}, {-5.9f, 16, 2}, {-5.9f, 8, 2}, 2);
    desc.bLightmap = true;
    datagen::TextureFileDesc lightmap;
    ASSERT_TRUE(datagen::MakeTextureDesc("lm_corridor", eTexture::WRAP_CLAMP, eTextureConfig::FORMAT_RGBA8, false,
                                         Image(8, [](uint32_t x, uint32_t y, int c) -> uint8_t {
                                             return c == 3 ? 255 : (x < 4 && y >= 4) ? 70 : 235;
                                         }),
                                         nullptr, &lightmap));
    desc.lightmaps.push_back(lightmap);
    ASSERT_TRUE(WriteZone("corridor.zon", desc));
    eZone zone;
    ASSERT_TRUE(ReadZone("corridor.zon", &zone));
    zone.m_nZoneIndex = 0;
    eZone::s_pZones[0] = &zone;

    eDynamicLightConfig lightConfig;
    lightConfig.hMaterial = spot->m_handle;
    lightConfig.color = 0xFFFFC878;  // warm
    lightConfig.fRadius = 4;
    eDynamicLight light;
    light.SetConfig(lightConfig);
    light.m_localToParent.origin.Set(-3, 8, -3);  // over the lightmap's dark quarter
    light.m_nGeomFlags = eGeom::kDraw | eGeom::kDirty;
    light.SetZone(&zone);

    eCamera camera;
    camera.SetCameraToWorld(MakeFrame(0, -3, -1));
    const mVec4 white(1, 1, 1, 1);
    eMaterial::SetGlobalFog(true, &camera, mVec3(100 / 255.0f, 120 / 255.0f, 140 / 255.0f), 20, 45);
    for (int frame = 0; frame < 3; ++frame) {
        light.Update(cTimeValue(20));
        eVideo::PreCull();
        eZone::CullAll(camera);
        camera.BeginRender();
        eVideo::Clear(true, true, kSky, 1.0f, nullptr);
        M::ApplyNull();
        eLight::EnableDirectional(true);
        eLight::SetDirectional(mVec3(0, 0, -1), white, white, white);
        M::SetGlobalAmbient(0xFF202020u);
        eLight::ApplyDirectional();
        eZone::DrawAll(camera, false);
        const bool bFog = M::s_bFogEnabled;
        const eFogParams fog = M::s_fogParams;
        M::SetGlobalFog(false, &camera, mVec3(0, 0, 0), 0, 1);
        camera.EndRender();
        eVideo::Flip();
        M::SetGlobalFog(bFog, &camera, fog.color, fog.fNear, fog.fFar);  // the map's fog stays on
    }
    EXPECT_GT(eVideo::s_nRenderedStaticTris, 0u);

    const char* env = std::getenv("QM_ZONE_PNG");
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string dir = ec ? std::string(".") : exe.parent_path().string();
    const std::string path = env && *env ? env : dir + "/zone_render.png";
    ASSERT_TRUE(VIWriteScreenshotPNG(path.c_str()));
    std::printf("zone frame written to %s\n", path.c_str());

    std::vector<uint8_t> frame;
    int w = 0, h = 0;
    ASSERT_TRUE(GXTestReadPresented(&frame, &w, &h));
    const Rgb darkCorner = Probe(frame, 218, 343);
    const Rgb litFloor = Probe(frame, 422, 343);
    EXPECT_GT(litFloor.Sum(), 400) << litFloor.r << " " << litFloor.g << " " << litFloor.b;
    EXPECT_GT(litFloor.r, litFloor.b);  // sand
    EXPECT_LT(darkCorner.Sum() * 2, litFloor.Sum()) << darkCorner.Sum() << " vs " << litFloor.Sum();
    const Rgb spotPixel = Probe(frame, 152, 409);
    EXPECT_GT(spotPixel.Sum(), darkCorner.Sum() + 150) << spotPixel.Sum() << " vs " << darkCorner.Sum();
    EXPECT_GT(spotPixel.r, spotPixel.b + 40);
    const Rgb windowPixel = Probe(frame, 90, 200);
    const Rgb wallPixel = Probe(frame, 90, 320);
    EXPECT_GT(windowPixel.b - windowPixel.r, wallPixel.b - wallPixel.r + 40);
    EXPECT_GT(windowPixel.r, 20);
    const Rgb farWall = Probe(frame, 320, 200);
    EXPECT_NEAR(farWall.r, 100, 12);
    EXPECT_NEAR(farWall.g, 120, 12);
    EXPECT_NEAR(farWall.b, 140, 12);
    EXPECT_GT(std::abs(litFloor.r - 100) + std::abs(litFloor.b - 140), 60);
    light.SetZone(nullptr);
}

}  // namespace
