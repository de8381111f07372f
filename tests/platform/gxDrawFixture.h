#pragma once
// Shared set-up of the drawing tests: one headless OpenGL context per test
// process, the GX state reset before every test, and helpers that draw
// screen-space primitives through the GX API alone.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "../test/gx_test.h"
#include "platform/gx.h"
#include "platform/mtx.h"
#include "platform/os.h"

class GxDrawTest : public testing::Test {
public:
    static void SetUpTestSuite() { s_bVideo = GXTestStartHeadless(); }

protected:
    void SetUp() override
    {
        if (!s_bVideo)
            GTEST_SKIP() << "no OpenGL 3.3 context";
        GXInit(m_fifo.data(), static_cast<uint32_t>(m_fifo.size()));
        GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
        GXInvalidateTexAll();
        GXTestResetDrawStats();
        UseScreenSpace();
    }
    void TearDown() override
    {
        if (!s_bVideo)
            return;
        GXDrawDone();
        // A specialised program that does not build falls back to the
        // generic one unseen: every configuration drawn must build.
        EXPECT_EQ(GXTestFailedPrograms(), 0u);
    }

    // Orthographic pixels: x right, y down, 0..640 x 0..480; eye z -0.5
    // lands mid-depth. Identity position matrix; vertex colour straight to
    // the pixel (one unlit channel, one pass-colour stage).
    static void UseScreenSpace()
    {
        // The console's orthographic form: x, y to -1..1 (y = 0 at the top),
        // eye z -near..-far to -1..0, here near 0 and far 1.
        const Mtx44 proj = {{2.0f / 640.0f, 0.0f, 0.0f, -1.0f},
                            {0.0f, -2.0f / 480.0f, 0.0f, 1.0f},
                            {0.0f, 0.0f, -1.0f, -1.0f},
                            {0.0f, 0.0f, 0.0f, 1.0f}};
        GXSetProjection(proj, GX_ORTHOGRAPHIC);
        const Mtx id = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
        GXLoadPosMtxImm(id, GX_PNMTX0);
        GXLoadNrmMtxImm(id, GX_PNMTX0);
        GXSetCurrentMtx(GX_PNMTX0);
        GXSetViewport(0.0f, 0.0f, 640.0f, 480.0f, 0.0f, 1.0f);
        GXSetScissor(0, 0, 640, 480);
        GXSetCullMode(GX_CULL_NONE);
        GXSetZMode(GX_FALSE, GX_ALWAYS, GX_FALSE);
        GXSetBlendMode(GX_BM_NONE, GX_BL_ONE, GX_BL_ZERO, GX_LO_CLEAR);
        GXSetNumChans(1);
        GXSetChanCtrl(GX_COLOR0A0, GX_FALSE, GX_SRC_REG, GX_SRC_VTX, GX_LIGHT_NULL, GX_DF_NONE, GX_AF_NONE);
        GXSetNumTexGens(0);
        GXSetNumTevStages(1);
        GXSetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR0A0);
        GXSetTevOp(GX_TEVSTAGE0, GX_PASSCLR);
        GXClearVtxDesc();
        GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
        GXSetVtxDesc(GX_VA_CLR0, GX_DIRECT);
        GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
        GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_CLR0, GX_CLR_RGBA, GX_RGBA8, 0);
    }

    // A screen rectangle of one colour with format 0 (position, colour).
    static void DrawRect(float x0, float y0, float x1, float y1, GXColor c, float z = -0.5f)
    {
        const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
        GXBegin(GX_QUADS, GX_VTXFMT0, 4);
        for (int i = 0; i < 4; ++i) {
            GXPosition3f32(xs[i], ys[i], z);
            GXColor4u8(c.r, c.g, c.b, c.a);
        }
        GXEnd();
    }

    // One position-and-coordinate quad (format 1: f32 position, f32 s, t).
    static void SetUpTexturedFormat()
    {
        GXClearVtxDesc();
        GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
        GXSetVtxDesc(GX_VA_CLR0, GX_DIRECT);
        GXSetVtxDesc(GX_VA_TEX0, GX_DIRECT);
        GXSetVtxAttrFmt(GX_VTXFMT1, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
        GXSetVtxAttrFmt(GX_VTXFMT1, GX_VA_CLR0, GX_CLR_RGBA, GX_RGBA8, 0);
        GXSetVtxAttrFmt(GX_VTXFMT1, GX_VA_TEX0, GX_TEX_ST, GX_F32, 0);
        GXSetNumTexGens(1);
        GXSetTexCoordGen2(GX_TEXCOORD0, GX_TG_MTX2x4, GX_TG_TEX0, GX_IDENTITY, GX_FALSE, GX_PTIDENTITY);
    }

    // Format 1 with map 0 through coordinate 0 straight to the pixel.
    static void UseTextureMap0()
    {
        SetUpTexturedFormat();
        GXSetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
        GXSetTevOp(GX_TEVSTAGE0, GX_REPLACE);
    }

    static void DrawTexturedRect(float x0, float y0, float x1, float y1, GXColor c = GXColor{255, 255, 255, 255},
                                 float s0 = 0.0f, float t0 = 0.0f, float s1 = 1.0f, float t1 = 1.0f)
    {
        GXBegin(GX_QUADS, GX_VTXFMT1, 4);
        const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
        const float ss[4] = {s0, s1, s1, s0}, ts[4] = {t0, t0, t1, t1};
        for (int i = 0; i < 4; ++i) {
            GXPosition3f32(xs[i], ys[i], -0.5f);
            GXColor4u8(c.r, c.g, c.b, c.a);
            GXTexCoord2f32(ss[i], ts[i]);
        }
        GXEnd();
    }

    static GXColor Pixel(int x, int y)
    {
        GXDrawDone();
        return GXTestEfbPixel(x, y);
    }

    std::vector<uint8_t> m_fifo = std::vector<uint8_t>(0x10000);
    static inline bool s_bVideo = false;
};

// Drawing tests whose draws sample texture map 0.
class GxTextureDrawTest : public GxDrawTest {
protected:
    void SetUp() override
    {
        GxDrawTest::SetUp();
        if (IsSkipped())
            return;
        UseTextureMap0();
    }
};

// Texel memory as the hardware wants it: 32-byte aligned, and announced to
// the layer once written (as the engine does after loading texels).
class AlignedBytes {
public:
    explicit AlignedBytes(const std::vector<uint8_t>& bytes) : m_size(bytes.size())
    {
        m_data.reset(new (std::align_val_t(32)) uint8_t[m_size > 0 ? m_size : 1]);
        std::memcpy(m_data.get(), bytes.data(), m_size);
        DCStoreRangeNoSync(m_data.get(), static_cast<uint32_t>(m_size));
    }
    uint8_t* data() const { return m_data.get(); }
    size_t size() const { return m_size; }

private:
    struct Deleter {
        void operator()(uint8_t* p) const { ::operator delete[](p, std::align_val_t(32)); }
    };
    std::unique_ptr<uint8_t[], Deleter> m_data;
    size_t m_size;
};

// Colour channels within a tolerance, with a readable failure message.
inline testing::AssertionResult ColorNear(const GXColor& got, const GXColor& want, int tol = 1)
{
    const int d[4] = {got.r - want.r, got.g - want.g, got.b - want.b, got.a - want.a};
    for (int v : d) {
        if (std::abs(v) > tol)
            return testing::AssertionFailure()
                   << "got (" << int(got.r) << ", " << int(got.g) << ", " << int(got.b) << ", " << int(got.a)
                   << ") want (" << int(want.r) << ", " << int(want.g) << ", " << int(want.b) << ", "
                   << int(want.a) << ") within " << tol;
    }
    return testing::AssertionSuccess();
}
