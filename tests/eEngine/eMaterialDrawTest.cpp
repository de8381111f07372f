

#include "platform/ps.h"
#include "eEngine/eLight.h"
#include "eEngine/eLightmap.h"
#include "eVideoTestUtil.h"
#include "materialTestSupport.h"

namespace {

using M = eMaterial;
using S = eTextureStage;

constexpr float kZ = -0.5f;  // mid-depth in the screen projection

testing::AssertionResult Near(const GXColor& got, int r, int g, int b, int tol = 2)
{
    if (std::abs(got.r - r) <= tol && std::abs(got.g - g) <= tol && std::abs(got.b - b) <= tol)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got (" << int(got.r) << ", " << int(got.g) << ", " << int(got.b)
                                       << ") want (" << r << ", " << g << ", " << b << ") within " << tol;
}

class eMaterialDrawTest : public MaterialTest {
protected:
    void SetUp() override
    {
        MaterialTest::SetUp();
        if (!StartVideoOnce().bHaveGL)
            GTEST_SKIP() << "no OpenGL";
        OSSetVirtualClock(TRUE);
        eVideo::SetZoneToWorldIdentity();
        eVideoPlatform::ResetState();
        const Mtx44 proj = {{2.0f / 640.0f, 0.0f, 0.0f, -1.0f},
                            {0.0f, -2.0f / 480.0f, 0.0f, 1.0f},
                            {0.0f, 0.0f, -1.0f, -1.0f},
                            {0.0f, 0.0f, 0.0f, 1.0f}};
        GXSetProjection(proj, GX_ORTHOGRAPHIC);
        Mtx id;
        PSMTXIdentity(id);
        GXLoadPosMtxImm(id, GX_PNMTX0);
        GXLoadNrmMtxImm(id, GX_PNMTX0);
        eMaterial::ApplyNull();
    }
    void TearDown() override
    {
        GXTestGetDrawStats();  // the render thread is idle before the pools go
        OSSetVirtualClock(FALSE);
        MaterialTest::TearDown();
    }

    static void DrawRect(float x0, float y0, float x1, float y1, uint32_t rgba)
    {
        const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
        const float ss[4] = {0, 1, 1, 0}, ts[4] = {0, 0, 1, 1};
        eVideoPlatform::SetVertexType(GX_VTXFMT4, true);
        eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT4, 4);
        for (int i = 0; i < 4; ++i) {
            GXPosition3s16(ps::QuantS16(xs[i], 4), ps::QuantS16(ys[i], 4), ps::QuantS16(kZ, 4));
            GXColor1u32(rgba);
            GXTexCoord2s16(ps::QuantS16(ss[i], 10), ps::QuantS16(ts[i], 10));
            GXTexCoord2s16(ps::QuantS16(ss[i], 10), ps::QuantS16(ts[i], 10));
        }
        GXEnd();
    }
    static GXColor Pixel(int x, int y)
    {
        GXDrawDone();
        return GXTestEfbPixel(x, y);
    }

};

const uint8_t kLeft[4] = {200, 100, 50, 255};
const uint8_t kRight[4] = {40, 80, 160, 255};

TEST_F(eMaterialDrawTest, TwoStagesMultiplyTheTextureByTheVertexColour)
{
    MakeTexture(50, eTextureConfig::FORMAT_RGBA8, SplitImage(16, kLeft, kRight));
    M* m = NewMaterial(M::FLAG_TWO_SIDED);
    m->m_hTextures[4] = eTextureMgr::GetHandle(50);
    eMaterialPass* pass = m->AddPass(M::PASS_DIFFUSE);
    AddStage(pass, S::IN_TEXTURE, S::IN_PREVIOUS, S::OP_A, S::IN_TEXTURE, S::OP_A, 0);
    AddStage(pass, S::IN_PREVIOUS, S::IN_RASTER, S::OP_MUL, S::IN_PREVIOUS, S::OP_A, -1);
    GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
    m->Apply(nullptr, nullptr, nullptr, M::APPLY_VERTEX_COLOR);
    DrawRect(100, 100, 260, 200, 0x80FF40FFu);  // vertex colour (128, 255, 64)
    EXPECT_TRUE(Near(Pixel(120, 150), 100, 100, 12));
    EXPECT_TRUE(Near(Pixel(240, 150), 20, 80, 40));
    EXPECT_TRUE(Near(Pixel(300, 150), 0, 0, 0, 0));  // outside the quad
}

TEST_F(eMaterialDrawTest, AdditiveMaterialAddsTheTextureWeightedByAlpha)
{
    MakeTexture(50, eTextureConfig::FORMAT_RGB5A3, SolidImage(16, 96, 128, 160));  // 5-bit exact
    M* m = NewMaterial(M::FLAG_TWO_SIDED);
    m->m_blendMode = M::BLEND_ADD;
    m->m_hTextures[4] = eTextureMgr::GetHandle(50);
    AddStage(m->AddPass(M::PASS_DIFFUSE), S::IN_TEXTURE, S::IN_PREVIOUS, S::OP_A, S::IN_RASTER, S::OP_A, 0);
    GXTestClearEfb(GXColor{50, 60, 70, 255}, 0xFFFFFF);
    m->Apply(nullptr, nullptr, nullptr, M::APPLY_VERTEX_COLOR);
    DrawRect(100, 100, 200, 200, 0xFFFFFF80u);  // vertex alpha 128
    EXPECT_TRUE(Near(Pixel(150, 150), 98, 124, 150));
    EXPECT_TRUE(Near(Pixel(250, 150), 50, 60, 70, 0));
}

TEST_F(eMaterialDrawTest, DiffusePassModulatesTheLightmapPass)
{
    MakeTexture(eTextureMgr::kFirstLightmapSlot, eTextureConfig::FORMAT_RGBA8, SolidImage(16, 128, 255, 64),
                eTexture::WRAP_CLAMP);
    MakeTexture(50, eTextureConfig::FORMAT_RGBA8, SplitImage(16, kLeft, kRight));
    eLightmap lightmap;
    lightmap.m_nStartIndex = eTextureMgr::kFirstLightmapSlot;
    lightmap.m_nNumTextures = 1;
    M* m = NewMaterial(M::FLAG_TWO_SIDED);
    m->m_nFlags |= M::FLAG_UNLIT;
    m->m_hTextures[0] = eMaterial::s_hLightmapTex;
    m->m_hTextures[4] = eTextureMgr::GetHandle(50);
    AddStage(m->AddPass(M::PASS_LIGHTING), S::IN_TEXTURE, S::IN_PREVIOUS, S::OP_A, S::IN_TEXTURE, S::OP_A, 0);
    AddStage(m->AddPass(M::PASS_DIFFUSE), S::IN_TEXTURE, S::IN_PREVIOUS, S::OP_A, S::IN_TEXTURE, S::OP_A, 0);
    GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);

    M::s_currentPass = M::PASS_LIGHTING;
    m->Apply(nullptr, &lightmap, nullptr, 0);
    DrawRect(100, 100, 260, 200, 0xFFFFFFFFu);
    EXPECT_TRUE(Near(Pixel(120, 150), 128, 255, 64, 1));
    M::ApplyNull();
    M::s_currentPass = M::PASS_DIFFUSE;
    m->Apply(nullptr, &lightmap, nullptr, 0);
    DrawRect(100, 100, 260, 200, 0xFFFFFFFFu);
    EXPECT_TRUE(Near(Pixel(120, 150), 100, 100, 12));
    EXPECT_TRUE(Near(Pixel(240, 150), 20, 80, 40));
}

// A tint scales what a pass that samples the lightmap lights, per channel;
// white leaves it as baked, and a pass without the lightmap is not tinted.
TEST_F(eMaterialDrawTest, TheLightmapTintScalesTheLightmapPass)
{
    MakeTexture(eTextureMgr::kFirstLightmapSlot, eTextureConfig::FORMAT_RGBA8, SolidImage(16, 200, 160, 100),
                eTexture::WRAP_CLAMP);
    MakeTexture(50, eTextureConfig::FORMAT_RGBA8, SolidImage(16, 200, 160, 100));
    eLightmap lightmap;
    lightmap.m_nStartIndex = eTextureMgr::kFirstLightmapSlot;
    lightmap.m_nNumTextures = 1;
    const struct {
        const char* why;
        mVec3 tint;
        bool bLightmap;
        int r, g, b;
    } rows[] = {
        {"white: as baked", {1, 1, 1}, true, 200, 160, 100},
        {"above white: as baked", {2, 1.5f, 1}, true, 200, 160, 100},
        {"night", {0.5f, 0.25f, 1}, true, 100, 40, 100},
        {"a texture that is not the lightmap", {0.5f, 0.25f, 1}, false, 200, 160, 100},
    };
    M::s_currentPass = M::PASS_LIGHTING;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        M* m = NewMaterial(M::FLAG_TWO_SIDED | M::FLAG_UNLIT);
        m->m_hTextures[0] = row.bLightmap ? eMaterial::s_hLightmapTex : eTextureMgr::GetHandle(50);
        AddStage(m->AddPass(M::PASS_LIGHTING), S::IN_TEXTURE, S::IN_PREVIOUS, S::OP_A, S::IN_TEXTURE, S::OP_A, 0);
        eLightmap::SetTint(row.tint);
        GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
        m->Apply(nullptr, &lightmap, nullptr, 0);
        DrawRect(100, 100, 260, 200, 0xFFFFFFFFu);
        EXPECT_TRUE(Near(Pixel(150, 150), row.r, row.g, row.b, 1));
        M::ApplyNull();
    }
    eLightmap::SetTint(mVec3(1, 1, 1));
    EXPECT_FALSE(eLightmap::HasTint());
}

// The tint's stage goes through the render-state cache: a later pass whose
// stage of the same number reads another konst (or konst colour 0 holding
// another colour) through the cache gets it, not the tint.
TEST_F(eMaterialDrawTest, APassAfterTheTintGetsItsOwnKonstAtTheTintsStage)
{
    MakeTexture(eTextureMgr::kFirstLightmapSlot, eTextureConfig::FORMAT_RGBA8, SolidImage(16, 200, 160, 100),
                eTexture::WRAP_CLAMP);
    eLightmap lightmap;
    lightmap.m_nStartIndex = eTextureMgr::kFirstLightmapSlot;
    lightmap.m_nNumTextures = 1;
    M* tinted = NewMaterial(M::FLAG_TWO_SIDED | M::FLAG_UNLIT);
    tinted->m_hTextures[0] = eMaterial::s_hLightmapTex;
    AddStage(tinted->AddPass(M::PASS_LIGHTING), S::IN_TEXTURE, S::IN_PREVIOUS, S::OP_A, S::IN_TEXTURE, S::OP_A, 0);
    // The vertex colour (white) at stage 0; stage 1, set here through the
    // cache, scales it by the konst the row selects.
    M* konst = NewMaterial(M::FLAG_TWO_SIDED);
    AddStage(konst->AddPass(M::PASS_LIGHTING), S::IN_RASTER, S::IN_PREVIOUS, S::OP_A, S::IN_RASTER, S::OP_A, -1);
    const struct {
        const char* why;
        GXTevKColorSel sel;
        uint32_t k0;
        int r, g, b;
    } rows[] = {
        {"one half", GX_TEV_KCSEL_1_2, 0xFFFFFFFFu, 128, 128, 128},
        {"konst colour 0", GX_TEV_KCSEL_K0, 0xFF40C080u, 0x40, 0xC0, 0x80},
    };
    eLightmap::SetTint(mVec3(0.5f, 0.25f, 1));
    M::s_currentPass = M::PASS_LIGHTING;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
        for (const int x : {100, 400}) {
            konst->Apply(nullptr, nullptr, nullptr, M::APPLY_VERTEX_COLOR);
            eRenderStateCache& rs = eVideoPlatform::RenderState();
            rs.SetTevColorIn(1, GX_CC_ZERO, GX_CC_CPREV, GX_CC_KONST, GX_CC_ZERO);
            rs.SetTevColorOp(1, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
            rs.SetTevAlphaIn(1, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_APREV);
            rs.SetTevAlphaOp(1, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
            rs.SetTevOrder(1, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR_NULL);
            rs.SetTevKColorSel(1, row.sel);
            rs.Set(RS_TEV_KCOLOR0, row.k0);
            rs.Set(RS_NUM_TEV_STAGES, 2);
            DrawRect(static_cast<float>(x), 100, static_cast<float>(x + 100), 200, 0xFFFFFFFFu);
            M::ApplyNull();
            if (x == 100) {
                tinted->Apply(nullptr, &lightmap, nullptr, 0);
                DrawRect(250, 100, 350, 200, 0xFFFFFFFFu);
                tinted->Apply(nullptr, &lightmap, nullptr, 0);  // again: nothing to send
                EXPECT_TRUE(eVideoPlatform::RenderState().IsClean());
                M::ApplyNull();
            }
        }
        EXPECT_TRUE(Near(Pixel(150, 150), row.r, row.g, row.b, 1)) << "before the tint";
        EXPECT_TRUE(Near(Pixel(300, 150), 100, 40, 100, 1)) << "the tint";
        EXPECT_TRUE(Near(Pixel(450, 150), row.r, row.g, row.b, 1)) << "after the tint";
    }
    eLightmap::SetTint(mVec3(1, 1, 1));
}

TEST_F(eMaterialDrawTest, GreenCarriesTheAlphaOfFormatThree)
{
    const uint8_t opaque[4] = {255, 255, 0, 255};
    const uint8_t clear[4] = {255, 0, 0, 255};
    MakeTexture(50, eTextureConfig::FORMAT_CMPR_ALPHA, SplitImage(16, opaque, clear));
    MakeTexture(51, eTextureConfig::FORMAT_CMPR, SplitImage(16, opaque, clear));
    const struct { int slot; int r, g, b; } rows[] = {{50, 0, 0, 255}, {51, 255, 0, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.slot);
        M* m = NewMaterial(M::FLAG_TWO_SIDED);
        m->m_blendMode = M::BLEND_TRANSPARENT;
        m->m_hTextures[4] = eTextureMgr::GetHandle(row.slot);
        AddStage(m->AddPass(M::PASS_DIFFUSE), S::IN_TEXTURE, S::IN_PREVIOUS, S::OP_A, S::IN_TEXTURE, S::OP_A, 0);
        GXTestClearEfb(GXColor{0, 0, 255, 255}, 0xFFFFFF);
        m->Apply(nullptr, nullptr, nullptr, M::APPLY_VERTEX_COLOR);
        DrawRect(100, 100, 260, 200, 0xFFFFFFFFu);
        EXPECT_TRUE(Near(Pixel(120, 150), 255, 255, 0));
        EXPECT_TRUE(Near(Pixel(240, 150), row.r, row.g, row.b));
    }
}

}  // namespace
