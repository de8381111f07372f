#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <png.h>

#include "gx/gl/gxGlDrawState.h"
#include "gx/gl/gxGlProgramCache.h"
#include "gx/gl/gxGlTextureCache.h"
#include "gx/gl/gxPngWriter.h"
#include "tempDir.h"

using namespace gxgl;

namespace {

constexpr uint32_t kGlReverseSubtract = 0x800B;

struct Translated {
    GlDrawUniforms u;
    GlPipeline p;
};

Translated Translate(const gxState& s, uint32_t attrMask = 0)
{
    Translated t;
    TranslateDrawState(s, attrMask, &t.u, &t.p);
    return t;
}

gxState DefaultState()
{
    gxState s;
    gxStateReset(s);
    return s;
}

}  // namespace

TEST(GxDrawStateTest, CompareOpsBecomeBiasThreeWithTheKindSplit)
{
    struct Row {
        GXTevOp op;
        GXTevBias bias;
        GXTevScale scale;
        int32_t want[3];  // op, bias, scale fields
    } rows[] = {
        {GX_TEV_ADD, GX_TB_ADDHALF, GX_CS_SCALE_4, {0, 1, 2}},
        {GX_TEV_SUB, GX_TB_SUBHALF, GX_CS_DIVIDE_2, {1, 2, 3}},
        {GX_TEV_COMP_R8_GT, GX_TB_ZERO, GX_CS_SCALE_1, {0, 3, 0}},  // kind 0
        {GX_TEV_COMP_GR16_EQ, GX_TB_ADDHALF, GX_CS_SCALE_4, {1, 3, 1}},  // kind 3: bias and scale ignored
        {GX_TEV_COMP_BGR24_GT, GX_TB_ZERO, GX_CS_SCALE_1, {0, 3, 2}},  // kind 4
        {GX_TEV_COMP_RGB8_EQ, GX_TB_ZERO, GX_CS_SCALE_1, {1, 3, 3}},  // kind 7
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(GXTevOpText(row.op));
        int32_t out[3] = {-1, -1, -1};
        TevOpFields(row.op, row.bias, row.scale, out);
        EXPECT_EQ(out[0], row.want[0]);
        EXPECT_EQ(out[1], row.want[1]);
        EXPECT_EQ(out[2], row.want[2]);
    }
}

TEST(GxDrawStateTest, FogCoefficientsPutStartAtZeroAndEndAtOne)
{
    gxFog fog;
    fog.type = GX_FOG_PERSP_LIN;
    fog.startZ = 10.0f;
    fog.endZ = 20.0f;
    fog.nearZ = 1.0f;
    fog.farZ = 100.0f;
    float a = 0, b = 0, c = 0;
    ASSERT_TRUE(FogCoefficients(fog, &a, &b, &c));
    EXPECT_FLOAT_EQ(a, 100.0f / (99.0f * 10.0f));  // far * near / ((far - near)(end - start))
    EXPECT_FLOAT_EQ(b, 100.0f / 99.0f);            // far / (far - near)
    EXPECT_FLOAT_EQ(c, 1.0f);                      // start / (end - start)

    fog.type = GX_FOG_ORTHO_LIN;
    ASSERT_TRUE(FogCoefficients(fog, &a, &b, &c));
    EXPECT_FLOAT_EQ(a, 9.9f);  // (far - near) / (end - start)
    EXPECT_FLOAT_EQ(c, 0.9f);  // (start - near) / (end - start)

    fog.endZ = fog.startZ;
    EXPECT_FALSE(FogCoefficients(fog, &a, &b, &c));
    fog.endZ = 20.0f;
    fog.farZ = fog.nearZ;
    EXPECT_FALSE(FogCoefficients(fog, &a, &b, &c));

    gxState s = DefaultState();
    s.fog = fog;
    s.fog.type = GX_FOG_PERSP_LIN;
    EXPECT_EQ(Translate(s).u.pix[2], 0);
}

TEST(GxDrawStateTest, DepthBlendAndScissor)
{
    gxState s = DefaultState();
    s.zCompare = false;
    s.zUpdate = true;
    EXPECT_FALSE(Translate(s).p.depthTest);
    EXPECT_FALSE(Translate(s).p.depthWrite);  // no compare, no write

    s.blendMode = GX_BM_SUBTRACT;
    s.blendSrc = GX_BL_SRCALPHA;
    s.blendDst = GX_BL_ZERO;
    Translated t = Translate(s);
    EXPECT_TRUE(t.p.blend);
    EXPECT_EQ(t.p.blendEquation, kGlReverseSubtract);
    EXPECT_EQ(t.p.blendSrc, 1u);  // factors ignored: dst * 1 - src * 1
    EXPECT_EQ(t.p.blendDst, 1u);

    s.scissor = gxRect{600, 400, 100, 100};
    t = Translate(s);
    EXPECT_EQ(t.p.scissor[0], 600);
    EXPECT_EQ(t.p.scissor[1], 400);
    EXPECT_EQ(t.p.scissor[2], 40);  // clipped to the 640x480 frame buffer
    EXPECT_EQ(t.p.scissor[3], 80);
}

TEST(GxDrawStateTest, SpecialisedProgramsAreKeyedByTheUsedStagesOnly)
{
    gxState s = DefaultState();
    s.numTevStages = 1;
    Translated a = Translate(s);
    s.tevStages[3].color.in[0] = GX_CC_TEXC;  // a stage beyond the count
    s.tevRegs[2] = GXColorS10{1, 2, 3, 4};    // register values stay uniforms
    Translated b = Translate(s);
    EXPECT_EQ(FragmentKey(a.u), FragmentKey(b.u));
    EXPECT_EQ(SpecialisedFragmentSource(a.u), SpecialisedFragmentSource(b.u));

    s.tevStages[0].alpha.op = GX_TEV_SUB;
    EXPECT_NE(FragmentKey(Translate(s).u), FragmentKey(a.u));
    s = DefaultState();
    s.alphaComp0 = GX_GEQUAL;
    EXPECT_NE(FragmentKey(Translate(s).u), FragmentKey(a.u));
    s = DefaultState();
    s.numTevStages = 2;
    EXPECT_NE(FragmentKey(Translate(s).u), FragmentKey(a.u));
}

TEST(GxDrawStateTest, SpecialisedProgramsAreKeyedByTheSwapTablesTheirStagesSelect)
{
    gxState s = DefaultState();
    s.numTevStages = 1;
    s.tevStages[0].rasSwap = GX_TEV_SWAP1;
    s.tevStages[0].texSwap = GX_TEV_SWAP2;
    const std::vector<int32_t> key = FragmentKey(Translate(s).u);
    struct Row {
        int table;
        bool keyed;
    } rows[] = {{0, false}, {1, true}, {2, true}, {3, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table);
        gxState t = s;
        t.swapTables[row.table][0] = 3;  // alpha into red
        EXPECT_EQ(FragmentKey(Translate(t).u) != key, row.keyed);
    }
    gxState t = s;
    t.kColors[0] = GXColor{1, 2, 3, 4};  // konst colours stay uniforms
    EXPECT_EQ(FragmentKey(Translate(t).u), key);
    t.tevStages[0].kcsel = GX_TEV_KCSEL_K0_G;
    EXPECT_NE(FragmentKey(Translate(t).u), key);
}

TEST(GxDrawStateTest, TextureObjectLevelsFollowTheLodRange)
{
    GXTexObj obj;
    obj.width = obj.height = 64;
    obj.mipmap = GX_FALSE;
    obj.maxLod = 6.0f;
    EXPECT_EQ(TexObjLevels(obj), 1u);  // no mipmaps: one level whatever the range
    obj.mipmap = GX_TRUE;
    obj.maxLod = 3.0f;
    EXPECT_EQ(TexObjLevels(obj), 4u);
    obj.maxLod = 10.0f;
    EXPECT_EQ(TexObjLevels(obj), 7u);  // never past the full chain of 64x64
    obj.maxLod = 0.5f;
    EXPECT_EQ(TexObjLevels(obj), 1u);
}

TEST(GxDrawStateTest, PngWriterRoundTripsAndRefusesBadTargets)
{
    const uint8_t rgba[2 * 3 * 4] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                                     1, 2, 3, 0, 250, 251, 252, 9, 128, 64, 32, 255};
    TempDir dir("qm_gx_png");
    const std::string path = dir.File("gx_png_writer_test.png");
    ASSERT_TRUE(WritePngRgb(path.c_str(), rgba, 3, 2));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    for (int i = 0; i < 6; ++i) {  // alpha dropped, rows in order
        EXPECT_EQ(rgb[i * 3 + 0], rgba[i * 4 + 0]);
        EXPECT_EQ(rgb[i * 3 + 1], rgba[i * 4 + 1]);
        EXPECT_EQ(rgb[i * 3 + 2], rgba[i * 4 + 2]);
    }
    std::remove(path.c_str());
    EXPECT_FALSE(WritePngRgb("/nonexistent-dir/x.png", rgba, 3, 2));
    EXPECT_FALSE(WritePngRgb(path.c_str(), rgba, 0, 2));
}
