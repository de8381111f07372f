#include "eEngine/eVideoPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "platform/mtx.h"
#include "gx/gxFront_local.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"
#include "cCore/cMemPool.h"
#include "eEngine/eVideo.h"
#include "eVideoTestUtil.h"

namespace {

TEST(eVideoPlatform, OCSTo34MatrixMapsToHardwareAxes)
{
    const struct { const char* name; mOCS ocs; float m[3][4]; } rows[] = {
        {"identity", {{0, 0, 0}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}}},
        {"engine (x, y, z) is hardware (x, z, -y)", {{1, 2, 3}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
         {{1, 0, 0, 1}, {0, 0, 1, 3}, {0, -1, 0, -2}}},
        {"every entry distinct", {{10, 11, 12}, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},
         {{1, 4, 7, 10}, {3, 6, 9, 12}, {-2, -5, -8, -11}}},
    };
    for (const auto& row : rows) {
        float m[3][4];
        eVideoPlatform::OCSTo34Matrix(row.ocs, m);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(m[r][c], row.m[r][c]) << row.name << ": row " << r << " column " << c;
    }
}

TEST_F(VideoTest, StartUpUsesTheRememberedModeAndReservesItsArena)
{
    EXPECT_EQ(StartVideoOnce().pStartMode, &GXNtsc480Prog);
    const GXColor clear = StartVideoOnce().startClear;  // black, alpha 0
    EXPECT_EQ(clear.r | clear.g | clear.b | clear.a, 0);
    for (bool bProgressive : {true, false}) {
        eVideo::SetProgressiveMode(bProgressive);
        EXPECT_EQ(eVideoPlatform::s_pRenderMode, bProgressive ? &GXNtsc480Prog : &GXNtsc480IntDf);
        EXPECT_EQ(cSaveRegion::GetSaveRegionData(cSaveRegion::kProgressiveWord), bProgressive ? 1u : 0u);
        EXPECT_EQ(eVideo::AlwaysPromptProgressive(), bProgressive);  // told to the OS settings
        const gxState& s = gxGet();
        EXPECT_TRUE(std::equal(s.copy.vfilter, s.copy.vfilter + 7, eVideoPlatform::s_pRenderMode->vfilter));
        EXPECT_FALSE(s.copy.halfAspect);  // both modes copy every line
        EXPECT_EQ(s.scissor.left + s.scissor.top, 0u);
        EXPECT_EQ(s.scissor.ht, 480u);
    }

    const uint8_t* fifo = static_cast<const uint8_t*>(eVideoPlatform::s_pFifo);
    const uint8_t* copy = static_cast<const uint8_t*>(eVideoPlatform::s_pFrameBufTexture);
    const uint8_t* xfb = static_cast<const uint8_t*>(eVideoPlatform::GetBackBuffer());
    ASSERT_NE(xfb, nullptr);
    EXPECT_EQ(eVideoPlatform::GetBackBufferSize(), 614400u);
    EXPECT_EQ(copy - fifo, 0x80000);
    EXPECT_GE(xfb, copy + 614400);
    EXPECT_GE(static_cast<const uint8_t*>(OSGetArenaLo()), xfb + 614400);
}

TEST_F(VideoTest, ResetStateSendsTheDefaultTable)
{
    GXSetZMode(GX_FALSE, GX_ALWAYS, GX_FALSE);
    GXSetBlendMode(GX_BM_SUBTRACT, GX_BL_SRCALPHA, GX_BL_ONE, GX_LO_SET);
    GXSetAlphaUpdate(GX_TRUE);
    GXSetChanCtrl(GX_ALPHA0, GX_TRUE, GX_SRC_VTX, GX_SRC_VTX, 3, GX_DF_CLAMP, GX_AF_SPOT);
    GXSetAlphaCompare(GX_GEQUAL, 2, GX_AOP_OR, GX_NEVER, 9);
    GXSetCullMode(GX_CULL_NONE);
    static uint8_t s_array[16];
    GXSetArray(GX_VA_TEX2, s_array, 4);
    GXSetTevColor(GX_TEVREG1, GXColor{9, 9, 9, 9});
    GXSetTevAlphaOp(GX_TEVSTAGE3, GX_TEV_SUB, GX_TB_ADDHALF, GX_CS_SCALE_4, GX_FALSE, GX_TEVREG0);
    GXSetTevSwapModeTable(GX_TEV_SWAP1, GX_CH_ALPHA, GX_CH_ALPHA, GX_CH_ALPHA, GX_CH_ALPHA);
    eVideoPlatform::SetVertexType(GX_VTXFMT5, true);

    eVideoPlatform::ResetState();
    const gxState& s = gxGet();
    EXPECT_TRUE(s.zCompare && s.zUpdate && s.zCompBeforeTex);
    EXPECT_EQ(s.blendMode, GX_BM_NONE);
    EXPECT_EQ(s.logicOp, GX_LO_CLEAR);
    EXPECT_FALSE(s.alphaUpdate);
    EXPECT_FALSE(s.chanCtrl[2].enable);
    EXPECT_EQ(s.alphaComp0, GX_ALWAYS);
    EXPECT_EQ(s.alphaOp, GX_AOP_AND);
    EXPECT_EQ(s.cullMode, GX_CULL_FRONT);
    EXPECT_EQ(s.arrays[GXAttrArrayIndex(GX_VA_TEX2)].base, nullptr);
    EXPECT_EQ(s.tevRegs[GX_TEVREG1].g, 255);
    EXPECT_EQ(s.tevStages[3].alpha.op, GX_TEV_ADD);
    EXPECT_EQ(s.swapTables[1][3], GX_CH_GREEN);  // table 1 is red, green, blue, green
    EXPECT_EQ(s.swapTables[1][0], GX_CH_RED);
    EXPECT_EQ(s.vtxDesc[GX_VA_NRM], GX_INDEX8);  // format 0 selected
    EXPECT_EQ(s.vtxDesc[GX_VA_CLR0], GX_NONE);
    EXPECT_EQ(s.posTexMtx[2][1], -1.0f);  // identity camera: the bare axis swap
    EXPECT_EQ(s.copy.pixelFmt, GX_PF_RGBA6_Z24);
    EXPECT_TRUE(eVideoPlatform::RenderState().IsClean());
}

TEST_F(VideoTest, LightingSetupsProgramTheColourAndAlphaChannels)
{
    using Channel = std::array<uint32_t, 6>;
    const Channel off = {GX_FALSE, GX_SRC_REG, GX_SRC_REG, 0, GX_DF_NONE, GX_AF_NONE};
    const Channel vertex = {GX_FALSE, GX_SRC_REG, GX_SRC_VTX, 0, GX_DF_NONE, GX_AF_NONE};
    const Channel lit = {GX_TRUE, GX_SRC_REG, GX_SRC_REG, 5, GX_DF_CLAMP, GX_AF_SPOT};
    const struct { const char* name; void (*set)(); Channel color, alpha; } rows[] = {
        {"material", [] { eVideoPlatform::SetMaterialLighting(5); }, lit, off},
        {"vertex colour", eVideoPlatform::SetVertexColorLighting, vertex, vertex},
        {"none", eVideoPlatform::SetNoLighting, off, off},
    };
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_NUM_CHANS, 2);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.set();
        EXPECT_EQ(rs.Get(RS_NUM_CHANS), 1u);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(rs.Get(static_cast<eRenderState>(RS_COLOR_CHAN_ENABLE + i)), row.color[i]) << i;
            EXPECT_EQ(rs.Get(static_cast<eRenderState>(RS_ALPHA_CHAN_ENABLE + i)), row.alpha[i]) << i;
        }
        eVideoPlatform::ApplyState();  // and each value reaches its own place in the hardware's channel
        for (int c : {0, 1}) {
            const gxChanCtrl& h = gxGet().chanCtrl[c == 0 ? GX_COLOR0 : GX_ALPHA0];
            const Channel& want = c == 0 ? row.color : row.alpha;
            const Channel got = {h.enable, uint32_t(h.ambSrc), uint32_t(h.matSrc), h.lightMask, uint32_t(h.diffFn),
                                 uint32_t(h.attnFn)};
            EXPECT_EQ(got, want) << c;
        }
    }
}

TEST_F(VideoTest, ScreenCopyIsTheWholeFrameInRGB565)
{
    GXSetTexCopySrc(1, 2, 3, 4);
    GXSetTexCopyDst(8, 8, GX_TF_RGBA8, GX_TRUE);
    eVideo::CopyFrameBuffer();
    const gxCopyState& c = gxGet().copy;
    EXPECT_EQ(c.texSrc.left + c.texSrc.top, 0u);
    EXPECT_EQ(c.texSrc.wd, 640u);
    EXPECT_EQ(c.texSrc.ht, 480u);
    EXPECT_EQ(c.texDstWd, 640u);
    EXPECT_EQ(c.texDstHt, 480u);
    EXPECT_EQ(c.texDstFmt, GX_TF_RGB565);
    EXPECT_FALSE(c.texDstMipmap);
}

class eVideoPlatformDrawTest : public DrawingTest<VideoTest> {
protected:
    void SetUp() override
    {
        DrawingTest<VideoTest>::SetUp();
        if (IsSkipped())
            return;
        mFrustum pixels;  // x right and y down in pixels, depth -1 to 1
        pixels.SetOrtho(-1.0f, 1.0f, 0.0f, 640.0f, 0.0f, 480.0f);
        eVideo::SetProjection(pixels);
        Mtx id;
        PSMTXIdentity(id);
        GXLoadPosMtxImm(id, GX_PNMTX0);
        eRenderStateCache& rs = eVideoPlatform::RenderState();
        rs.Set(RS_CULL_MODE, GX_CULL_NONE);
        rs.Set(RS_NUM_TEX_GENS, 0);
        rs.Set(RS_NUM_TEV_STAGES, 1);
        rs.SetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR0A0);
        eVideoPlatform::SetPassColor(GX_TEVSTAGE0);
        eVideoPlatform::SetVertexColorLighting();
    }
    static void ExpectPixel(int x, int y, int r, int g, int b)
    {
        GXDrawDone();
        const GXColor c = GXTestEfbPixel(x, y);
        EXPECT_NEAR(c.r, r, 4) << x << ", " << y;
        EXPECT_NEAR(c.g, g, 4) << x << ", " << y;
        EXPECT_NEAR(c.b, b, 4) << x << ", " << y;
    }
};

TEST_F(eVideoPlatformDrawTest, QuadAndLineDrawInTheirColour)
{
    GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
    eVideoPlatform::DrawQuad(100.0f, 100.0f, 200.0f, 200.0f, 0x80336699u, -0.5f);
    eVideoPlatform::DrawLine(300.0f, 150.5f, 400.0f, 150.5f, 0xFFCC2211u);
    ExpectPixel(150, 150, 0x33, 0x66, 0x99);
    ExpectPixel(350, 150, 0xCC, 0x22, 0x11);
    ExpectPixel(250, 150, 0, 0, 0);
}

TEST_F(VideoTest, VertexFormatsHaveTheirAttributeFormats)
{
    const struct { int format; GXAttr attr; GXAttrType input; GXCompType type; uint8_t frac; } rows[] = {
        {0, GX_VA_POS, GX_INDEX16, GX_S16, 8}, {0, GX_VA_NRM, GX_INDEX8, GX_F32, 0},
        {1, GX_VA_TEX3, GX_INDEX16, GX_S16, 10}, {2, GX_VA_POS, GX_INDEX16, GX_S16, 10},
        {2, GX_VA_NRM, GX_INDEX16, GX_S16, 14}, {3, GX_VA_POS, GX_DIRECT, GX_S16, 8},
        {3, GX_VA_CLR0, GX_DIRECT, GX_RGBA8, 0}, {4, GX_VA_POS, GX_DIRECT, GX_S16, 4},
        {4, GX_VA_TEX1, GX_DIRECT, GX_S16, 10}, {5, GX_VA_POS, GX_DIRECT, GX_F32, 0},
        {5, GX_VA_TEX0, GX_NONE, GX_U8, 0}, {6, GX_VA_TEX0, GX_DIRECT, GX_S16, 0},
        {6, GX_VA_CLR0, GX_NONE, GX_U8, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "format " << row.format << " " << GXAttrText(row.attr));
        eVideoPlatform::SetVertexType(static_cast<GXVtxFmt>(row.format), false);
        EXPECT_EQ(gxGet().vtxDesc[row.attr], row.input);
        if (row.input != GX_NONE) {
            const gxVtxAttrFmt& f = gxGet().vtxFmt[row.format].attr[row.attr];
            EXPECT_EQ(f.type, row.type);
            EXPECT_EQ(f.frac, row.frac);
        }
    }
}

TEST_F(VideoTest, SkinningCacheComesFromItsOwnPool)
{
    uint32_t id = 0;
    eVideo::PreCull();
    uint8_t* first = static_cast<uint8_t*>(eVideoPlatform::AllocPhysiqueVerts(8000, &id));
    eVideo::PreCull();
    EXPECT_FALSE(eVideoPlatform::PhysiqueVertsValid(id));
    uint8_t* second = static_cast<uint8_t*>(eVideoPlatform::AllocPhysiqueVerts(8000, &id));
    ASSERT_TRUE(first != nullptr && second != nullptr);
    EXPECT_EQ(std::abs(second - first), ePhysiqueCache::kBufferBytes);
    cMemPool* pool = cMemPool::GetPoolFromPtr(first);
    ASSERT_NE(pool, nullptr);
    EXPECT_STREQ(pool->GetName(), "Physique Cache");
    EXPECT_EQ(pool->GetSize(), 192000u);
    EXPECT_EQ(cMemPool::GetPoolFromPtr(second + ePhysiqueCache::kBufferBytes - 1), pool);
}

}  // namespace
