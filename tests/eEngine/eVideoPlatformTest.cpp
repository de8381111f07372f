#include "eEngine/eVideoPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "gx/gxFront_local.h"
#include "mMath/mOCS.h"
#include "cCore/cMemPool.h"
#include "eEngine/eVideo.h"
#include "eVideoTestUtil.h"

namespace {

void ExpectColor(const GXColor& c, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    EXPECT_EQ(c.r, r);
    EXPECT_EQ(c.g, g);
    EXPECT_EQ(c.b, b);
    EXPECT_EQ(c.a, a);
}

TEST(eVideoPlatform, OCSTo34MatrixSwapsToYUp)
{
    struct Row {
        const char* name;
        mVec3 right, forward, up, origin;
        float m[3][4];
    };
    const Row rows[] = {
        {"identity", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0},
         {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}}},
        {"translation: engine (x, y, z) is hardware (x, z, -y)", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, 3},
         {{1, 0, 0, 1}, {0, 0, 1, 3}, {0, -1, 0, -2}}},
        {"heading 90", {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {4, 5, 6},
         {{0, -1, 0, 4}, {0, 0, 1, 6}, {-1, 0, 0, -5}}},
        {"distinct entries", {1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12},
         {{1, 4, 7, 10}, {3, 6, 9, 12}, {-2, -5, -8, -11}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mOCS ocs;
        ocs.basis.right = row.right;
        ocs.basis.forward = row.forward;
        ocs.basis.up = row.up;
        ocs.origin = row.origin;
        float m[3][4];
        eVideoPlatform::OCSTo34Matrix(ocs, m);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(m[r][c], row.m[r][c]) << "row " << r << " column " << c;
    }
}

TEST_F(VideoTest, StartUpComesUpInTheRememberedMode)
{
    const VideoStart& start = StartVideoOnce();
    EXPECT_EQ(start.pStartMode, &GXNtsc480Prog);
    EXPECT_EQ(start.nSavedWordAfterStart, 1u);
    eVideoPlatform::SetVideoMode(false);
    EXPECT_EQ(eVideoPlatform::s_pRenderMode, &GXNtsc480IntDf);
    EXPECT_EQ(cSaveRegion::GetSaveRegionData(cSaveRegion::kProgressiveWord), 0u);
}

TEST_F(VideoTest, ArenaBlocksDoNotOverlap)
{
    const uint8_t* fifo = static_cast<const uint8_t*>(eVideoPlatform::s_pFifo);
    const uint8_t* copy = static_cast<const uint8_t*>(eVideoPlatform::s_pFrameBufTexture);
    const uint8_t* xfb = static_cast<const uint8_t*>(eVideoPlatform::GetBackBuffer());
    ASSERT_NE(xfb, nullptr);
    EXPECT_EQ(eVideoPlatform::GetBackBufferSize(), 614400u);
    EXPECT_EQ(eVideoPlatform::GetBackBufferWidth(), 640u);
    EXPECT_EQ(eVideoPlatform::GetBackBufferHeight(), 480u);
    EXPECT_EQ(copy - fifo, 0x80000);
    EXPECT_GE(xfb, copy + 614400);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(xfb) % 32, 0u);
    // Whatever takes arena memory next starts after the external frame buffer.
    EXPECT_GE(static_cast<const uint8_t*>(OSGetArenaLo()), xfb + 614400);
    EXPECT_EQ(eVideoPlatform::s_pBuffer[1], nullptr);
}

TEST_F(VideoTest, ResetStateLeavesTheDefaultTableInTheGraphicsState)
{
    // Put the graphics state somewhere else behind the cache's back.
    GXSetZMode(GX_FALSE, GX_ALWAYS, GX_FALSE);
    GXSetZCompLoc(GX_FALSE);
    GXSetBlendMode(GX_BM_SUBTRACT, GX_BL_SRCALPHA, GX_BL_ONE, GX_LO_SET);
    GXSetAlphaUpdate(GX_TRUE);
    GXSetColorUpdate(GX_FALSE);
    GXSetChanAmbColor(GX_COLOR0A0, GXColor{1, 2, 3, 4});
    GXSetChanMatColor(GX_COLOR0A0, GXColor{1, 2, 3, 4});
    GXSetChanCtrl(GX_COLOR0, GX_TRUE, GX_SRC_VTX, GX_SRC_VTX, 3, GX_DF_CLAMP, GX_AF_SPOT);
    GXSetChanCtrl(GX_ALPHA0, GX_TRUE, GX_SRC_VTX, GX_SRC_VTX, 3, GX_DF_CLAMP, GX_AF_SPOT);
    GXSetAlphaCompare(GX_GEQUAL, 2, GX_AOP_OR, GX_NEVER, 9);
    GXSetCullMode(GX_CULL_NONE);
    GXSetNumTevStages(4);
    GXSetNumTexGens(3);
    GXSetNumChans(0);
    static uint8_t s_array[16];
    GXSetArray(GX_VA_TEX2, s_array, 4);
    GXSetTevColor(GX_TEVREG1, GXColor{9, 9, 9, 9});
    GXSetTevColorIn(GX_TEVSTAGE2, GX_CC_TEXC, GX_CC_RASC, GX_CC_ONE, GX_CC_CPREV);
    GXSetTevAlphaOp(GX_TEVSTAGE3, GX_TEV_SUB, GX_TB_ADDHALF, GX_CS_SCALE_4, GX_TRUE, GX_TEVREG0);
    GXSetTevSwapModeTable(GX_TEV_SWAP1, GX_CH_ALPHA, GX_CH_ALPHA, GX_CH_ALPHA, GX_CH_ALPHA);
    GXSetScissor(1, 2, 3, 4);
    eVideoPlatform::SetVertexType(GX_VTXFMT5, true);

    eVideoPlatform::ResetState();
    const gxState& s = gxGet();
    EXPECT_TRUE(s.zCompare);
    EXPECT_TRUE(s.zUpdate);
    EXPECT_EQ(s.zFunc, GX_LEQUAL);
    EXPECT_TRUE(s.zCompBeforeTex);
    EXPECT_EQ(s.blendMode, GX_BM_NONE);
    EXPECT_EQ(s.blendSrc, GX_BL_ONE);
    EXPECT_EQ(s.blendDst, GX_BL_ZERO);
    EXPECT_EQ(s.logicOp, GX_LO_CLEAR);
    EXPECT_FALSE(s.alphaUpdate);
    EXPECT_TRUE(s.colorUpdate);
    ExpectColor(s.ambColor[0], 0, 0, 0, 0);
    ExpectColor(s.matColor[0], 255, 255, 255, 255);
    for (int chan : {0, 2}) {  // COLOR0, ALPHA0
        SCOPED_TRACE(chan);
        EXPECT_FALSE(s.chanCtrl[chan].enable);
        EXPECT_EQ(s.chanCtrl[chan].ambSrc, GX_SRC_REG);
        EXPECT_EQ(s.chanCtrl[chan].matSrc, GX_SRC_REG);
        EXPECT_EQ(s.chanCtrl[chan].lightMask, 0u);
        EXPECT_EQ(s.chanCtrl[chan].diffFn, GX_DF_NONE);
        EXPECT_EQ(s.chanCtrl[chan].attnFn, GX_AF_NONE);
    }
    EXPECT_EQ(s.alphaComp0, GX_ALWAYS);
    EXPECT_EQ(s.alphaRef0, 1);
    EXPECT_EQ(s.alphaOp, GX_AOP_AND);
    EXPECT_EQ(s.alphaComp1, GX_ALWAYS);
    EXPECT_EQ(s.alphaRef1, 0);
    EXPECT_EQ(s.cullMode, GX_CULL_FRONT);
    EXPECT_EQ(s.numTevStages, 1u);
    EXPECT_EQ(s.numTexGens, 1u);
    EXPECT_EQ(s.numChans, 1u);
    for (GXAttr attr : {GX_VA_POS, GX_VA_NRM, GX_VA_TEX0, GX_VA_TEX1, GX_VA_TEX2, GX_VA_TEX3}) {
        SCOPED_TRACE(GXAttrText(attr));
        EXPECT_EQ(s.arrays[GXAttrArrayIndex(attr)].base, nullptr);
        EXPECT_EQ(s.arrays[GXAttrArrayIndex(attr)].stride, 0u);
    }
    EXPECT_EQ(s.tevRegs[GX_TEVREG1].r, 255);
    EXPECT_EQ(s.tevRegs[GX_TEVREG1].a, 255);
    for (int stage = 0; stage < 4; ++stage) {
        SCOPED_TRACE(stage);
        const gxTevStage& t = s.tevStages[stage];
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(t.color.in[i], GX_CC_ZERO);
            EXPECT_EQ(t.alpha.in[i], GX_CA_ZERO);
        }
        for (const gxTevCombiner* c : {&t.color, &t.alpha}) {
            EXPECT_EQ(c->op, GX_TEV_ADD);
            EXPECT_EQ(c->bias, GX_TB_ZERO);
            EXPECT_EQ(c->scale, GX_CS_SCALE_1);
            EXPECT_TRUE(c->clamp);
            EXPECT_EQ(c->outReg, GX_TEVPREV);
        }
    }
    const uint8_t kSwap[2][4] = {{GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_ALPHA},
                                 {GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_GREEN}};
    for (int t = 0; t < 2; ++t)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(s.swapTables[t][c], kSwap[t][c]) << "table " << t << " channel " << c;
    // Vertex format 0 is selected.
    EXPECT_EQ(s.vtxDesc[GX_VA_POS], GX_INDEX16);
    EXPECT_EQ(s.vtxDesc[GX_VA_NRM], GX_INDEX8);
    EXPECT_EQ(s.vtxDesc[GX_VA_TEX0], GX_INDEX16);
    EXPECT_EQ(s.vtxDesc[GX_VA_TEX1], GX_INDEX16);
    EXPECT_EQ(s.vtxDesc[GX_VA_TEX2], GX_NONE);
    EXPECT_EQ(s.vtxDesc[GX_VA_CLR0], GX_NONE);
    // Full screen, identity camera: position matrix 0 is the bare axis swap.
    EXPECT_EQ(s.scissor.left, 0u);
    EXPECT_EQ(s.scissor.wd, 640u);
    EXPECT_EQ(s.scissor.ht, 480u);
    EXPECT_EQ(s.viewport.wd, 640.0f);
    EXPECT_EQ(s.viewport.ht, 480.0f);
    EXPECT_EQ(s.copy.dispGamma, GX_GM_1_0);
    EXPECT_EQ(s.copy.pixelFmt, GX_PF_RGBA6_Z24);
    EXPECT_EQ(s.posTexMtx[1][2], 1.0f);
    EXPECT_EQ(s.posTexMtx[2][1], -1.0f);
    EXPECT_TRUE(eVideoPlatform::RenderState().IsClean());
}

TEST_F(VideoTest, VertexFormatsHaveTheirAttributeFormats)
{
    struct Row {
        int format;
        GXAttr attr;
        GXCompCnt cnt;
        GXCompType type;
        uint8_t frac;
    };
    const Row rows[] = {
        {0, GX_VA_POS, GX_POS_XYZ, GX_S16, 8},    {0, GX_VA_NRM, GX_NRM_XYZ, GX_F32, 0},
        {0, GX_VA_TEX1, GX_TEX_ST, GX_S16, 10},   {1, GX_VA_TEX3, GX_TEX_ST, GX_S16, 10},
        {2, GX_VA_POS, GX_POS_XYZ, GX_S16, 10},   {2, GX_VA_NRM, GX_NRM_XYZ, GX_S16, 14},
        {3, GX_VA_POS, GX_POS_XYZ, GX_S16, 8},    {3, GX_VA_CLR0, GX_CLR_RGBA, GX_RGBA8, 0},
        {4, GX_VA_POS, GX_POS_XYZ, GX_S16, 4},    {4, GX_VA_TEX0, GX_TEX_ST, GX_S16, 10},
        {5, GX_VA_POS, GX_POS_XYZ, GX_F32, 0},    {5, GX_VA_CLR0, GX_CLR_RGBA, GX_RGBA8, 0},
        {6, GX_VA_POS, GX_POS_XYZ, GX_S16, 4},    {6, GX_VA_TEX0, GX_TEX_ST, GX_S16, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "format " << row.format << " " << GXAttrText(row.attr));
        const gxVtxAttrFmt& f = gxGet().vtxFmt[row.format].attr[row.attr];
        EXPECT_EQ(f.cnt, row.cnt);
        EXPECT_EQ(f.type, row.type);
        EXPECT_EQ(f.frac, row.frac);
    }
    // Formats 3 and 4 share one descriptor; 6 has no colour.
    struct Desc {
        GXVtxFmt format;
        GXAttrType pos, nrm, clr0, tex0, tex1, tex2;
    };
    const Desc descs[] = {
        {GX_VTXFMT1, GX_INDEX16, GX_INDEX8, GX_NONE, GX_INDEX16, GX_INDEX16, GX_INDEX16},
        {GX_VTXFMT2, GX_INDEX16, GX_INDEX16, GX_NONE, GX_INDEX16, GX_INDEX16, GX_NONE},
        {GX_VTXFMT3, GX_DIRECT, GX_NONE, GX_DIRECT, GX_DIRECT, GX_DIRECT, GX_NONE},
        {GX_VTXFMT4, GX_DIRECT, GX_NONE, GX_DIRECT, GX_DIRECT, GX_DIRECT, GX_NONE},
        {GX_VTXFMT5, GX_DIRECT, GX_NONE, GX_DIRECT, GX_NONE, GX_NONE, GX_NONE},
        {GX_VTXFMT6, GX_DIRECT, GX_NONE, GX_NONE, GX_DIRECT, GX_NONE, GX_NONE},
    };
    for (const Desc& d : descs) {
        SCOPED_TRACE(d.format);
        eVideoPlatform::SetVertexType(d.format, false);
        const gxState& s = gxGet();
        EXPECT_EQ(s.vtxDesc[GX_VA_POS], d.pos);
        EXPECT_EQ(s.vtxDesc[GX_VA_NRM], d.nrm);
        EXPECT_EQ(s.vtxDesc[GX_VA_CLR0], d.clr0);
        EXPECT_EQ(s.vtxDesc[GX_VA_TEX0], d.tex0);
        EXPECT_EQ(s.vtxDesc[GX_VA_TEX1], d.tex1);
        EXPECT_EQ(s.vtxDesc[GX_VA_TEX2], d.tex2);
    }
}

TEST_F(VideoTest, LightingPresetsSetBothChannels)
{
    struct Row {
        const char* name;
        void (*apply)();
        uint32_t color[6];  // enable, ambient source, material source, lights, diffuse, attenuation
        uint32_t alpha[6];
    };
    const Row rows[] = {
        {"material lighting", [] { eVideoPlatform::SetMaterialLighting(0xB); },
         {1, 0, 0, 0xB, 2, 1}, {0, 0, 0, 0, 0, 2}},
        {"vertex colour", [] { eVideoPlatform::SetVertexColorLighting(); }, {0, 0, 1, 0, 0, 2}, {0, 0, 1, 0, 0, 2}},
        {"none", [] { eVideoPlatform::SetNoLighting(); }, {0, 0, 0, 0, 0, 2}, {0, 0, 0, 0, 0, 2}},
    };
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        rs.Set(RS_NUM_CHANS, 2);
        row.apply();
        EXPECT_EQ(rs.Get(RS_NUM_CHANS), 1u);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(rs.Get(static_cast<eRenderState>(RS_COLOR_CHAN_ENABLE + i)), row.color[i]) << i;
            EXPECT_EQ(rs.Get(static_cast<eRenderState>(RS_ALPHA_CHAN_ENABLE + i)), row.alpha[i]) << i;
        }
    }
}

TEST_F(VideoTest, PassColorSendsRasterisedColourThrough)
{
    eVideoPlatform::SetPassColor(GX_TEVSTAGE1);
    const eRenderStateCache::StageState& st = eVideoPlatform::RenderState().GetStage(1);
    EXPECT_EQ(st.colorIn[0], static_cast<uint32_t>(GX_CC_RASC));
    EXPECT_EQ(st.alphaIn[0], static_cast<uint32_t>(GX_CA_RASA));
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(st.colorIn[i], static_cast<uint32_t>(GX_CC_ZERO));
        EXPECT_EQ(st.alphaIn[i], static_cast<uint32_t>(GX_CA_ZERO));
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(st.colorOp[i], 0u);
        EXPECT_EQ(st.alphaOp[i], 0u);
    }
    // Stage 0 already passes nothing different after the reset: only stage 1 goes out.
    eVideoPlatform::ApplyState();
    EXPECT_EQ(gxGet().tevStages[1].color.in[0], GX_CC_RASC);
}

TEST_F(VideoTest, DebugQuadSendsPendingStateThenFourVertices)
{
    if (!StartVideoOnce().bHaveGL)
        GTEST_SKIP() << "no OpenGL";
    eVideoPlatform::RenderState().Set(RS_CULL_MODE, GX_CULL_NONE);
    eVideoPlatform::DrawQuad(10.0f, 20.0f, 30.0f, 40.0f, 0xFF00FF00u, 0.5f);
    GXDrawDone();
    const GXTestLastDraw draw = GXTestGetLastDraw();
    ASSERT_NE(draw.state, nullptr);
    EXPECT_EQ(draw.primitive, GX_QUADS);
    EXPECT_EQ(draw.vertexCount, 4u);
    EXPECT_EQ(draw.state->cullMode, GX_CULL_NONE);
    const uint32_t expectMask = 1u << GX_VA_POS | 1u << GX_VA_CLR0 | 1u << GX_VA_TEX0 | 1u << GX_VA_TEX1;
    EXPECT_EQ(draw.attrMask, expectMask);
    eVideoPlatform::DrawLine(0.0f, 0.0f, 5.0f, 5.0f, 0xFFFFFFFFu);
    GXDrawDone();
    EXPECT_EQ(GXTestGetLastDraw().primitive, GX_LINES);
    EXPECT_EQ(GXTestGetLastDraw().vertexCount, 2u);
}

TEST_F(VideoTest, PhysiqueCacheComesFromItsOwnPool)
{
    uint32_t id = 0;
    eVideo::PreCull();
    uint8_t* first = static_cast<uint8_t*>(eVideoPlatform::AllocPhysiqueVerts(8000, &id));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(eVideoPlatform::PhysiqueVertsValid(id));
    EXPECT_EQ(eVideoPlatform::GetPhysiqueCacheVerts(id), first);
    eVideo::PreCull();
    EXPECT_FALSE(eVideoPlatform::PhysiqueVertsValid(id));
    uint8_t* second = static_cast<uint8_t*>(eVideoPlatform::AllocPhysiqueVerts(8000, &id));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::abs(second - first), ePhysiqueCache::kBufferBytes);
    cMemPool* pool = cMemPool::GetPoolFromPtr(first);
    ASSERT_NE(pool, nullptr);
    EXPECT_STREQ(pool->GetName(), "Physique Cache");
    EXPECT_EQ(pool->GetSize(), 192000u);
    EXPECT_EQ(cMemPool::GetPoolFromPtr(second + ePhysiqueCache::kBufferBytes - 1), pool);
}

}  // namespace
