#include "eEngine/eSprite.h"

#include <string>

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "datagen/overlayWriters.h"
#include "eEngine/eSprite.h"
#include "eEngine/eViewport.h"
#include "eVideoTestUtil.h"
#include "overlayTestSupport.h"
#include "platform/ps.h"
#include "materialTestSupport.h"
#include "mMath/mVec4.h"
#include "zoneTestSupport.h"

namespace {

using S = eSprite;

TEST(eSpriteTest, ScreenPositionsByOrigin)
{
    const eRect rect{{10, 20}, {100, 50}};
    const eRect left{{-100, -50}, {101, 40}};
    const struct { const char* why; S::eSpriteOrigin origin; mVec2 pos, size; const eRect* rect; mVec2 out; } rows[] = {
        {"absolute ignores the rect", S::SO_ABSOLUTE, {7, -3}, {30, 11}, &rect, {7, -3}},
        {"absolute without a rect", S::SO_ABSOLUTE, {7, -3}, {30, 11}, nullptr, {7, -3}},
        {"upper left", S::SO_UPPERLEFT, {0, 0}, {30, 11}, &rect, {10, 59}},
        {"upper centre", S::SO_UPPERCENTER, {0, 0}, {30, 11}, &rect, {45, 59}},
        {"upper right", S::SO_UPPERRIGHT, {0, 0}, {30, 11}, &rect, {80, 59}},
        {"mid left", S::SO_MIDLEFT, {0, 0}, {30, 11}, &rect, {10, 39}},
        {"mid centre truncates", S::SO_MIDCENTER, {0, 0}, {30, 11}, &rect, {45, 39}},
        {"mid right", S::SO_MIDRIGHT, {0, 0}, {30, 11}, &rect, {80, 39}},
        {"lower left", S::SO_LOWERLEFT, {0, 0}, {30, 11}, &rect, {10, 20}},
        {"lower centre plus offset", S::SO_LOWERCENTER, {2, 3}, {30, 11}, &rect, {47, 23}},
        {"lower right", S::SO_LOWERRIGHT, {0, 0}, {30, 11}, &rect, {80, 20}},
        {"centre toward zero", S::SO_MIDCENTER, {0, 0}, {0, 10}, &left, {-49, -35}},
        {"safe frame upper left", S::SO_UPPERLEFT, {0, 0}, {32, 32}, nullptr, {-272, 168}},
        {"safe frame centre", S::SO_MIDCENTER, {0, 0}, {32, 32}, nullptr, {-16, -16}},
        {"safe frame lower right", S::SO_LOWERRIGHT, {-1, 1}, {32, 32}, nullptr, {239, -199}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        mVec2 out(0, 0);
        S::GetScreenPos(row.origin, row.pos, row.size, &out, row.rect);
        EXPECT_EQ(out, row.out) << out.x << ", " << out.y;
    }
    S sprite;  // 32 x 32 upper left at (0, 0) by default
    mVec2 out;
    sprite.GetScreenPos(&out, nullptr);
    EXPECT_EQ(out, mVec2(-272, 168));
}

TEST(eSpriteTest, CopiesAreUnnamedWithEveryMember)
{
    S sprite;
    sprite.m_name.Set("icon");
    sprite.m_handle = eSpriteHandle(0x55550003);
    sprite.m_origin = S::SO_LOWERRIGHT;
    sprite.m_texCoord1.Set(8, 16);
    sprite.m_texCoord2.Set(24, 64);
    sprite.m_fUniformScale = 2;
    cMemPool pool("spriteCopy", 0x1000, false);
    const S* copy = static_cast<S*>(sprite.Copy(&pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_name.m_sData[0], '\0');
    EXPECT_TRUE(copy->m_handle.IsNull());
    EXPECT_EQ(copy->m_origin, sprite.m_origin);
    EXPECT_EQ(copy->m_texCoord2, sprite.m_texCoord2);
    EXPECT_EQ(copy->m_fUniformScale, 2.0f);
    mVec4 tc;
    sprite.GetTexCoords(mVec2(32, 128), &tc);
    EXPECT_EQ(tc, mVec4(0.25f, 0.125f, 0.75f, 0.5f));
}

class eSpriteDrawTest : public DrawingTest<MaterialTest> {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        if (IsSkipped())
            return;
        const uint8_t red[4] = {255, 0, 0, 255};
        const uint8_t green[4] = {0, 255, 0, 255};
        eTexture* pTexture = MakeTexture(30, eTextureConfig::FORMAT_RGBA8, SplitImage(64, red, green));
        ASSERT_NE(pTexture, nullptr);
        m_pMaterial = datagen::MakeOverlayMaterial(&m_pool, pTexture->m_handle);
        ASSERT_NE(m_pMaterial, nullptr);
        m_materials.push_back(m_pMaterial);
        m_sprite.m_hMaterial = eMaterialMgr::Add(9, m_pMaterial, 0x99);
        m_sprite.m_origin = S::SO_ABSOLUTE;
    }
    static void BeginFrame()
    {
        eVideo::Clear(true, true, 0xFF000000u, 1.0f, nullptr);
        eVideo::Flip();
        eSprite::BeginRender(nullptr);
    }
    static bool EndFrame(PresentedFrame* pFrame)
    {
        eSprite::EndRender();
        eVideo::Flip();
        return pFrame->Read();
    }
    static void FlatQuad(float x0, float y0, float x1, float y1, float depth, uint32_t rgba)
    {
        eMaterial::ApplyNull();
        eVideoPlatform::SetVertexColorLighting();
        eRenderStateCache& rs = eVideoPlatform::RenderState();
        rs.Set(RS_Z_FUNC, GX_LEQUAL);
        eVideoPlatform::SetVertexType(GX_VTXFMT4, false);
        eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT4, 4);
        const float c[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (const auto& p : c) {
            GXPosition3s16(ps::QuantS16(p[0], 4), ps::QuantS16(depth, 4), ps::QuantS16(p[1], 4));
            GXColor1u32(rgba);
            GXTexCoord2s16(0, 0);
            GXTexCoord2s16(0, 0);
        }
        GXEnd();
    }

    eMaterial* m_pMaterial = nullptr;
    S m_sprite;
};

TEST_F(eSpriteDrawTest, TiledSpriteCropsItsLastColumn)
{
    m_sprite.m_texCoord1.Set(16, 0);
    m_sprite.m_texCoord2.Set(48, 32);
    const mVec2 pos(-50, -16);
    const mVec2 size(100, 32);
    BeginFrame();
    GXTestResetDrawStats();
    m_sprite.DrawTiled(&pos, nullptr, &size);
    const GXTestDrawStats stats = GXTestGetDrawStats();
    PresentedFrame frame;
    ASSERT_TRUE(EndFrame(&frame));
    EXPECT_TRUE(SaveOverlayPng("sprite_tiled.png"));
    EXPECT_EQ(stats.draws, 1u);
    EXPECT_EQ(stats.vertices, 16u);
    const struct { const char* why; int x; int r, g; } probes[] = {
        {"first tile, red half", -42, 255, 0},
        {"first tile, red up to its middle", -37, 255, 0},
        {"first tile, green half", -26, 0, 255},
        {"third tile, green half", 38, 0, 255},
        {"the cut tile starts red", 47, 255, 0},
        {"and stays red: its window is cut, not squeezed", 49, 255, 0},
        {"past the sprite", 52, 0, 0},
    };
    for (const auto& p : probes) {
        SCOPED_TRACE(p.why);
        EXPECT_NEAR(frame.At(320 + p.x, 245, 0), p.r, 8);
        EXPECT_NEAR(frame.At(320 + p.x, 245, 1), p.g, 8);
    }
}

TEST_F(eSpriteDrawTest, TheWindowsFirstCornerIsDrawnTopLeftAndTheScaleIsUniform)
{
    datagen::RgbaImage image;
    image.width = image.height = 64;
    image.rgba.resize(64 * 64 * 4, 255);
    for (uint32_t i = 0; i < 64 * 64; ++i) {
        const bool bTop = i < 32 * 64;
        image.rgba[4 * i] = bTop ? 0 : 255;
        image.rgba[4 * i + 1] = 0;
        image.rgba[4 * i + 2] = bTop ? 255 : 0;
    }
    eTexture* pTexture = MakeTexture(31, eTextureConfig::FORMAT_RGBA8, image);
    ASSERT_NE(pTexture, nullptr);
    eMaterial* pTopBottom = datagen::MakeOverlayMaterial(&m_pool, pTexture->m_handle);
    ASSERT_NE(pTopBottom, nullptr);
    m_materials.push_back(pTopBottom);
    const eMaterialHandle hTopBottom = eMaterialMgr::Add(10, pTopBottom, 0xAA);
    const eMaterialHandle hSplit = m_sprite.m_hMaterial;
    const struct { const char* why; eMaterialHandle h; mVec2 tc1, tc2; float scale; int px, py; int rgb[3]; } rows[] = {
        {"the first corner's row at the top", hTopBottom, {0, 0}, {64, 64}, 1, 320, 210, {0, 0, 255}},
        {"the second corner's row at the bottom", hTopBottom, {0, 0}, {64, 64}, 1, 320, 270, {255, 0, 0}},
        {"a window from the middle row down", hTopBottom, {0, 32}, {64, 64}, 1, 320, 210, {255, 0, 0}},
        {"the first corner's column at the left", hSplit, {48, 0}, {16, 64}, 1, 290, 240, {0, 255, 0}},
        {"the second corner's column at the right", hSplit, {48, 0}, {16, 64}, 1, 350, 240, {255, 0, 0}},
        {"scaled 2: 30 left of the middle is inside", hSplit, {0, 0}, {64, 64}, 2, 290, 240, {255, 0, 0}},
        {"scaled 2: 30 up is inside", hTopBottom, {0, 0}, {64, 64}, 2, 320, 210, {0, 0, 255}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        m_sprite.m_hMaterial = row.h;
        m_sprite.m_texCoord1 = row.tc1;
        m_sprite.m_texCoord2 = row.tc2;
        m_sprite.m_fUniformScale = row.scale;
        const float half = 40.0f / row.scale;
        const mVec2 pos(-half, -half), size(2 * half, 2 * half);
        BeginFrame();
        m_sprite.Draw(&pos, nullptr, &size);
        PresentedFrame frame;
        ASSERT_TRUE(EndFrame(&frame));
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(frame.At(row.px, row.py, c), row.rgb[c], 8) << c;
    }
    m_sprite.m_fUniformScale = 1;

    m_sprite.m_hMaterial = hTopBottom;
    m_sprite.m_texCoord1.Set(0, 16);
    m_sprite.m_texCoord2.Set(32, 48);
    const mVec2 pos(-16, -40), size(32, 80);
    BeginFrame();
    m_sprite.DrawTiled(&pos, nullptr, &size);
    PresentedFrame frame;
    ASSERT_TRUE(EndFrame(&frame));
    const struct { int y; bool bBlue; } probes[] = {
        {-36, false}, {-27, false}, {-12, true}, {-4, false}, {20, true}, {32, false}};
    for (const auto& probe : probes)
        EXPECT_NEAR(frame.At(320, 240 - probe.y, 2), probe.bBlue ? 255 : 0, 8) << probe.y;
}

TEST_F(eSpriteDrawTest, BatchesLimitsAndSkips)
{
    eSprite::BeginRender(nullptr);
    const mVec2 pos(0, 0);
    auto drawn = [&](const mVec2& size, bool bTiled) {
        GXTestResetDrawStats();
        if (bTiled)
            m_sprite.DrawTiled(&pos, nullptr, &size);
        else
            m_sprite.Draw(&pos, nullptr, &size);
        return GXTestGetDrawStats();
    };
    m_sprite.m_texCoord1.Set(0, 0);
    m_sprite.m_texCoord2.Set(1, 1);
    GXTestDrawStats stats = drawn(mVec2(200, 100), true);
    EXPECT_EQ(stats.draws, 2u);
    EXPECT_EQ(stats.vertices, 80000u);
    {
        LogCatcher quiet;
        m_sprite.m_texCoord2.Set(0.01f, 0.01f);
        EXPECT_EQ(drawn(mVec2(640, 480), true).draws, 0u);
        EXPECT_EQ(quiet.m_nErrors, 1);
    }
    m_sprite.m_texCoord2.Set(32, 32);
    EXPECT_EQ(drawn(mVec2(0, 10), false).draws, 0u);  // no width
    EXPECT_EQ(drawn(mVec2(10, -0.000001f), true).draws, 0u);
    EXPECT_EQ(drawn(mVec2(10, 10), false).vertices, 4u);
    m_pMaterial->m_nFlags |= S::kMatNeverDrawn;
    EXPECT_EQ(drawn(mVec2(10, 10), false).draws, 0u);
    m_pMaterial->m_nFlags &= ~S::kMatNeverDrawn;
    m_sprite.m_hMaterial = eMaterialHandle();
    EXPECT_EQ(drawn(mVec2(10, 10), true).draws, 0u);
    EXPECT_EQ(drawn(mVec2(10, 10), false).vertices, 4u);
    eSprite::EndRender();
}

TEST_F(eSpriteDrawTest, ClearViewportResetsDepthAndKeepsColour)
{
    for (bool bClear : {false, true}) {
        SCOPED_TRACE(bClear);
        BeginFrame();
        FlatQuad(-100, -100, 100, 100, -0.5f, 0xFF0000FFu);  // red, near
        if (bClear) {
            const eViewport full = {0, 0, 640, 480};
            eSprite::ClearViewport(true, true, 0, 1.0f, &full);
            eSprite::BeginRender(nullptr);
            EXPECT_EQ(eVideoPlatform::RenderState().Get(RS_COLOR_UPDATE), static_cast<uintptr_t>(GX_TRUE));
        }
        FlatQuad(-50, -50, 50, 50, 0.5f, 0x0000FFFFu);  // blue, farther
        PresentedFrame frame;
        ASSERT_TRUE(EndFrame(&frame));
        EXPECT_EQ(frame.At(320, 240, 2), bClear ? 255 : 0);
        EXPECT_EQ(frame.At(320, 240, 0), bClear ? 0 : 255);
        EXPECT_EQ(frame.At(320 + 75, 240, 0), 255);  // red outside the blue
    }
}

}  // namespace
