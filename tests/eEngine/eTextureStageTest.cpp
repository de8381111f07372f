#include "eEngine/eTextureStage.h"

#include <memory>

#include <gtest/gtest.h>

#include "gx/gxFront_local.h"
#include "cCore/cCoreServices.h"
#include "cCore/cFile.h"
#include "platform/os.h"
#include "datagen/blockWriter.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTextureData.h"
#include "eEngine/eTextureMatrixGen.h"
#include "eEngine/eVideoPlatform.h"
#include "materialTestSupport.h"

namespace {

using S = eTextureStage;
constexpr uint32_t Z = GX_CC_ZERO;
constexpr uint32_t ZA = GX_CA_ZERO;
constexpr uint32_t A = GX_CC_TEXC;  // colour input 1 is the texture in these rows
constexpr uint32_t B = GX_CC_RASC;  // colour input 2 the rasterised colour
constexpr uint32_t AA = GX_CA_TEXA;
constexpr uint32_t BA = GX_CA_RASA;

class eTextureStageTest : public MaterialTest {
protected:
    void SetUp() override
    {
        MaterialTest::SetUp();
        m_pMaterial = NewMaterial();
        m_pPass = m_pMaterial->AddPass(eMaterial::PASS_DIFFUSE);
        ASSERT_NE(m_pPass, nullptr);
    }
    S* TexStage(int textureIndex)
    {
        S* s = m_pPass->AddTextureStage();
        s->m_nTextureIndex = static_cast<int16_t>(textureIndex);
        return s;
    }
    const eRenderStateCache::StageState& Cached(int stage) { return eVideoPlatform::RenderState().GetStage(stage); }

    eMaterial* m_pMaterial = nullptr;
    eMaterialPass* m_pPass = nullptr;
};

TEST_F(eTextureStageTest, EveryOperationMapsToItsCombinerSetUp)
{
    struct Row {
        uint8_t op;
        uint32_t color[4], alpha[4];
        uint32_t gxOp, scale;
    };
    const Row rows[] = {
        {0, {Z, Z, Z, Z}, {ZA, ZA, ZA, ZA}, GX_TEV_ADD, GX_CS_SCALE_1},
        {1, {A, Z, Z, Z}, {AA, ZA, ZA, ZA}, GX_TEV_ADD, GX_CS_SCALE_1},
        {2, {B, Z, Z, Z}, {BA, ZA, ZA, ZA}, GX_TEV_ADD, GX_CS_SCALE_1},
        {3, {Z, A, B, Z}, {ZA, AA, BA, ZA}, GX_TEV_ADD, GX_CS_SCALE_1},
        {4, {Z, A, B, Z}, {ZA, AA, BA, ZA}, GX_TEV_ADD, GX_CS_SCALE_2},
        {5, {Z, A, B, Z}, {ZA, AA, BA, ZA}, GX_TEV_ADD, GX_CS_SCALE_4},
        {6, {A, Z, Z, B}, {AA, ZA, ZA, BA}, GX_TEV_ADD, GX_CS_SCALE_1},
        {7, {B, Z, Z, A}, {BA, ZA, ZA, AA}, GX_TEV_SUB, GX_CS_SCALE_1},
        {8, {B, A, GX_CC_A1, Z}, {BA, AA, GX_CA_A1, ZA}, GX_TEV_ADD, GX_CS_SCALE_1},
        {9, {B, A, GX_CC_APREV, Z}, {AA, BA, GX_CA_TEXA, ZA}, GX_TEV_ADD, GX_CS_SCALE_1},
        {10, {B, A, GX_CC_TEXA, Z}, {ZA, ZA, ZA, ZA}, GX_TEV_ADD, GX_CS_SCALE_1},  // no alpha 10
        {255, {Z, Z, Z, Z}, {ZA, ZA, ZA, ZA}, GX_TEV_ADD, GX_CS_SCALE_1},       // beyond both tables
    };
    S* s = TexStage(-1);
    s->m_colorIn[0] = s->m_alphaIn[0] = S::IN_TEXTURE;
    s->m_colorIn[1] = s->m_alphaIn[1] = S::IN_RASTER;
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.op));
        s->m_colorOp = s->m_alphaOp = row.op;
        s->m_output = row.op % 2;  // both outputs
        s->Apply(2);
        const eRenderStateCache::StageState& st = Cached(2);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(st.colorIn[i], row.color[i]) << "colour input " << i;
            EXPECT_EQ(st.alphaIn[i], row.alpha[i]) << "alpha input " << i;
        }
        const uint32_t out = row.op % 2 ? GX_TEVREG0 : GX_TEVPREV;
        EXPECT_EQ(st.colorOp[0], row.gxOp);
        EXPECT_EQ(st.colorOp[1], static_cast<uint32_t>(GX_TB_ZERO));
        EXPECT_EQ(st.colorOp[2], row.scale);
        EXPECT_EQ(st.colorOp[3], out);
        if (row.op != 10) {
            EXPECT_EQ(st.alphaOp[2], row.scale);
        }
        EXPECT_EQ(st.alphaOp[3], out);
    }
}

TEST(eTextureStage, InputCodesSelectHardwareInputs)
{
    const uint32_t color[] = {GX_CC_CPREV, GX_CC_TEXC, GX_CC_RASC, GX_CC_C0, GX_CC_C1, GX_CC_ZERO, GX_CC_ZERO};
    const uint32_t alpha[] = {GX_CA_APREV, GX_CA_TEXA, GX_CA_RASA, GX_CA_A0, GX_CA_A1, GX_CA_ZERO, GX_CA_ZERO};
    const uint8_t codes[] = {0, 1, 2, 3, 4, 5, 200};  // beyond the table: zero
    S s;
    for (int i = 0; i < 7; ++i) {
        s.m_colorIn[0] = s.m_alphaIn[0] = codes[i];
        EXPECT_EQ(s.GetColorSetup().in[0], color[i]) << int(codes[i]);
        EXPECT_EQ(s.GetAlphaSetup().in[0], alpha[i]) << int(codes[i]);
    }
}

TEST_F(eTextureStageTest, UntexturedStagesNameTheNextCoordinateWithoutAdvancing)
{
    MakeTexture(50, eTextureConfig::FORMAT_RGBA8, SolidImage(16, 1, 2, 3));
    m_pMaterial->m_hTextures[4 + 0] = eTextureMgr::GetHandle(50);
    m_pMaterial->m_hTextures[4 + 3] = eTextureMgr::GetHandle(50);
    TexStage(0);
    TexStage(-1);
    TexStage(3);
    m_pPass->Apply(nullptr, nullptr);
    EXPECT_EQ(Cached(0).order[0], static_cast<uint32_t>(GX_TEXCOORD0));
    EXPECT_EQ(Cached(0).order[1], static_cast<uint32_t>(GX_TEXMAP0));
    EXPECT_EQ(Cached(1).order[0], static_cast<uint32_t>(GX_TEXCOORD1));
    EXPECT_EQ(Cached(1).order[1], static_cast<uint32_t>(GX_TEXMAP_NULL));
    EXPECT_EQ(Cached(2).order[0], static_cast<uint32_t>(GX_TEXCOORD1));
    EXPECT_EQ(Cached(2).order[1], static_cast<uint32_t>(GX_TEXMAP3));
    EXPECT_EQ(Cached(2).order[2], static_cast<uint32_t>(GX_COLOR0A0));
    const eRenderStateCache& rs = eVideoPlatform::RenderState();
    EXPECT_EQ(rs.Get(RS_NUM_TEV_STAGES), 3u);
    EXPECT_EQ(rs.Get(RS_NUM_TEX_GENS), 2u);
    EXPECT_EQ(gxGet().texGens[1].src, GX_TG_TEX0);

    for (int i = 0; i < 3; ++i)
        m_pPass->RemoveTextureStage(0);
    m_pPass->Apply(nullptr, nullptr);  // no stages: one combiner stage, no generators
    EXPECT_EQ(rs.Get(RS_NUM_TEV_STAGES), 1u);
    EXPECT_EQ(rs.Get(RS_NUM_TEX_GENS), 0u);
}

TEST_F(eTextureStageTest, CoordinateSourcesAndPostMatrices)
{
    MakeTexture(50, eTextureConfig::FORMAT_RGBA8, SolidImage(16, 1, 2, 3));
    m_pMaterial->m_hTextures[4 + 1] = eTextureMgr::GetHandle(50);
    const struct {
        uint8_t source;
        GXTexGenSrc src;
        uint32_t mtx;
    } rows[] = {{0, GX_TG_TEX0, GX_IDENTITY}, {3, GX_TG_TEX3, GX_IDENTITY}, {4, GX_TG_POS, GX_TEXMTX2},
                {5, GX_TG_NRM, GX_TEXMTX3},   {6, GX_TG_BINRM, GX_IDENTITY}, {9, GX_TG_TEX0, GX_IDENTITY}};
    S* s = TexStage(1);
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.source));
        s->m_coordSource = row.source;
        s->m_transform = S::XFORM_NONE;
        s->Apply(0);
        EXPECT_EQ(gxGet().texGens[0].type, GX_TG_MTX2x4);
        EXPECT_EQ(gxGet().texGens[0].src, row.src);
        EXPECT_EQ(gxGet().texGens[0].mtx, row.mtx);
        EXPECT_FALSE(gxGet().texGens[0].normalize);
        EXPECT_EQ(gxGet().texGens[0].postMtx, static_cast<uint32_t>(GX_PTIDENTITY));
    }
    S* second = TexStage(1);
    second->m_transform = S::XFORM_SCALE_OFFSET;
    s->Apply(0);
    second->Apply(1);
    EXPECT_EQ(gxGet().texGens[1].postMtx, static_cast<uint32_t>(GX_PTTEXMTX1));
    second->m_transform = 9;  // an unknown kind uses the identity
    s->Apply(0);
    second->Apply(1);
    EXPECT_EQ(gxGet().texGens[1].postMtx, static_cast<uint32_t>(GX_PTIDENTITY));
}

TEST_F(eTextureStageTest, TextureIndicesOutsideTheFourMapsNameNone)
{
    S* s = TexStage(0);
    const struct { int16_t index; int map; } rows[] = {{0, 0}, {3, 3}, {4, -1}, {-2, -1}};
    for (const auto& row : rows) {
        s->m_nTextureIndex = row.index;
        EXPECT_EQ(s->GetTextureIndex(), row.map) << row.index;
    }
}

TEST_F(eTextureStageTest, FlipBooksCountSixHundredTicksASecond)
{
    MakeTexture(50, eTextureConfig::FORMAT_RGBA8, SolidImage(16, 1, 2, 3));
    m_pMaterial->m_hTextures[4 + 1] = eTextureMgr::GetHandle(50);
    S* s = TexStage(1);
    s->m_transform = S::XFORM_FLIPBOOK;
    s->m_nColumns = 1000;  // one frame a tick
    s->m_nRows = 1;
    s->m_nPeriod = 1;
    OSSetVirtualClock(TRUE);  // time stands still between the read and Apply
    OSSleepTicks(OSSecondsToTicks(2.5));
    const double seconds = cGetTimeSeconds();
    s->Apply(0);
    OSSetVirtualClock(FALSE);
    const int64_t frame = static_cast<int64_t>(seconds * 600.0) % 1000;
    EXPECT_FLOAT_EQ(gxGet().postMtx[0][3], static_cast<float>(frame) / 1000.0f);
}

TEST(eTextureStage, PostMatricesOfScaleOffsetAndFlipBooks)
{
    struct Row {
        const char* name;
        int16_t cols, rows;
        int32_t period;
        int16_t first, last;
        int64_t ticks;
        float scaleU, scaleV, offU, offV;
    };
    const Row rows[] = {
        {"frame 5 of a 4 x 2 grid", 4, 2, 60, 0, 0, 300, 0.25f, 0.5f, 0.25f, 0.5f},
        {"end of frame 5", 4, 2, 60, 0, 0, 359, 0.25f, 0.5f, 0.25f, 0.5f},
        {"after 8 frames the first again", 4, 2, 60, 0, 0, 480, 0.25f, 0.5f, 0.0f, 0.0f},
        {"range 2 to 4 starts at 2", 4, 2, 60, 2, 4, 0, 0.25f, 0.5f, 0.5f, 0.0f},
        {"range 2 to 4 then 3", 4, 2, 60, 2, 4, 60, 0.25f, 0.5f, 0.75f, 0.0f},
        {"range 2 to 4 then 4", 4, 2, 60, 2, 4, 120, 0.25f, 0.5f, 0.0f, 0.5f},
        {"range 2 to 4 wraps to 2", 4, 2, 60, 2, 4, 180, 0.25f, 0.5f, 0.5f, 0.0f},
        {"period 0 shows frame 0", 4, 2, 0, 2, 4, 999, 0.25f, 0.5f, 0.0f, 0.0f},
        {"no columns: whole texture", 0, 2, 60, 0, 0, 300, 1.0f, 1.0f, 0.0f, 0.0f},
        {"no rows: whole texture", 4, 0, 60, 0, 0, 300, 1.0f, 1.0f, 0.0f, 0.0f},
        {"negative columns: whole texture", -3, 2, 60, 0, 0, 300, 1.0f, 1.0f, 0.0f, 0.0f},
        {"empty range: whole texture", 4, 2, 60, 5, 3, 300, 1.0f, 1.0f, 0.0f, 0.0f},
    };
    Mtx m;
    S s;
    EXPECT_FALSE(s.BuildPostMatrix(0, m));  // no transform: the identity post-transform
    s.m_transform = S::XFORM_SCALE_OFFSET;
    s.m_scale[0] = s.m_scale[1] = 2.0f;
    s.m_offset[0] = s.m_offset[1] = 0.5f;
    ASSERT_TRUE(s.BuildPostMatrix(0, m));
    EXPECT_EQ(m[0][0] * 0.5f + m[0][3], 0.5f);
    EXPECT_EQ(m[0][3], -0.5f);
    EXPECT_EQ(m[1][1] * 0.5f + m[1][3], 0.5f);
    EXPECT_EQ(m[2][3], 1.0f);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        s.m_transform = S::XFORM_FLIPBOOK;
        s.m_nColumns = row.cols;
        s.m_nRows = row.rows;
        s.m_nPeriod = row.period;
        s.m_nFirstFrame = row.first;
        s.m_nLastFrame = row.last;
        ASSERT_TRUE(s.BuildPostMatrix(row.ticks, m));
        EXPECT_EQ(m[0][0], row.scaleU);
        EXPECT_EQ(m[1][1], row.scaleV);
        EXPECT_EQ(m[0][3], row.offU);
        EXPECT_EQ(m[1][3], row.offV);
        EXPECT_EQ(m[2][3], 1.0f);
    }
}

TEST_F(eTextureStageTest, AlphaInGreenAndPointSamplingSetUpTheTexture)
{
    MakeTexture(50, eTextureConfig::FORMAT_CMPR_ALPHA, SolidImage(16, 10, 20, 30));
    MakeTexture(51, eTextureConfig::FORMAT_CMPR, SolidImage(16, 10, 20, 30));
    m_pMaterial->m_hTextures[4 + 0] = eTextureMgr::GetHandle(50);
    m_pMaterial->m_hTextures[4 + 1] = eTextureMgr::GetHandle(51);
    S* green = TexStage(0);
    S* plain = TexStage(1);
    green->Apply(0);
    EXPECT_EQ(gxGet().tevStages[0].texSwap, GX_TEV_SWAP1);
    EXPECT_EQ(gxGet().swapTables[1][3], GX_CH_GREEN);
    EXPECT_EQ(gxGet().swapTables[1][1], GX_CH_GREEN);
    plain->Apply(1);
    EXPECT_EQ(gxGet().tevStages[1].texSwap, GX_TEV_SWAP0);
    EXPECT_EQ(gxGet().swapTables[0][3], GX_CH_ALPHA);

    const GXTexObj& obj = eTextureConfigMgr::s_pInstances[51]->m_pTextureData->m_texObj;
    EXPECT_EQ(obj.minFilter, GX_LIN_MIP_LIN);
    EXPECT_EQ(obj.magFilter, GX_LINEAR);
    m_pMaterial->m_nFlags |= eMaterial::FLAG_POINT_SAMPLE;
    plain->Apply(1);
    EXPECT_EQ(obj.minFilter, GX_NEAR_MIP_NEAR);
    EXPECT_EQ(obj.magFilter, GX_NEAR);
}

TEST_F(eTextureStageTest, PlaceholdersLoadTheScreenCopyOrLeaveTheLightmapToThePass)
{
    m_pMaterial->m_hTextures[4 + 2] = eMaterial::s_hFrameBufferTex;
    m_pMaterial->m_hTextures[4 + 3] = eMaterial::s_hLightmapTex;
    S* screen = TexStage(2);
    S* lightmap = TexStage(3);
    screen->Apply(0);
    EXPECT_EQ(gxGet().texMaps[2].image, eVideoPlatform::s_pFrameBufTexture);
    EXPECT_EQ(gxGet().texMaps[2].format, GX_TF_RGB565);
    EXPECT_EQ(gxGet().texMaps[2].width, 640);
    EXPECT_EQ(gxGet().texMaps[2].wrapS, GX_CLAMP);
    eTexture::ApplyNull(3);
    lightmap->Apply(1);
    EXPECT_EQ(eTexture::s_pLastTex[3], nullptr);  // nothing loaded without a lightmap
    EXPECT_EQ(Cached(1).order[1], static_cast<uint32_t>(GX_TEXMAP3));
}

}  // namespace
