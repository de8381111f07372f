// The backend's translation of GX state into OpenGL terms, without a
// context: combiner fields, raster channels, blend factors, fog
// coefficients, culling, depth, scissor, texture generators, copy formats,
// mipmap levels and the PNG writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <png.h>

#include "gx/gl/gxGlDrawState.h"
#include "gx/gl/gxGlEfb.h"
#include "gx/gl/gxGlTextureCache.h"
#include "gx/gl/gxPngWriter.h"

using namespace gxgl;

namespace {

constexpr uint32_t kGlFront = 0x0404, kGlBack = 0x0405, kGlFrontAndBack = 0x0408;
constexpr uint32_t kGlSrcColor = 0x0300, kGlOneMinusSrcColor = 0x0301, kGlDstColor = 0x0306,
                   kGlOneMinusDstColor = 0x0307, kGlSrcAlpha = 0x0302, kGlReverseSubtract = 0x800B;

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

TEST(GxDrawStateTest, RasterChannelSelection)
{
    struct Row {
        GXChannelID id;
        int32_t want;
    } rows[] = {
        {GX_COLOR0, 0}, {GX_ALPHA0, 0}, {GX_COLOR0A0, 0}, {GX_COLOR1, 1}, {GX_ALPHA1, 1}, {GX_COLOR1A1, 1},
        {GX_COLOR_ZERO, 7}, {GX_ALPHA_BUMP, 5}, {GX_ALPHA_BUMPN, 6}, {GX_COLOR_NULL, 7},
    };
    for (const Row& row : rows)
        EXPECT_EQ(TevRasChannel(row.id), row.want) << GXChannelIDText(row.id);
}

TEST(GxDrawStateTest, BlendFactorsTwoAndThreeReadTheOtherSide)
{
    EXPECT_EQ(GlBlendFactor(GX_BL_DSTCLR, true), kGlDstColor);
    EXPECT_EQ(GlBlendFactor(GX_BL_DSTCLR, false), kGlSrcColor);
    EXPECT_EQ(GlBlendFactor(GX_BL_INVDSTCLR, true), kGlOneMinusDstColor);
    EXPECT_EQ(GlBlendFactor(GX_BL_INVDSTCLR, false), kGlOneMinusSrcColor);
    EXPECT_EQ(GlBlendFactor(GX_BL_SRCALPHA, false), kGlSrcAlpha);
    EXPECT_EQ(GlCompareFunc(GX_NEVER), 0x0200u);
    EXPECT_EQ(GlCompareFunc(GX_GEQUAL), 0x0206u);
    EXPECT_EQ(GlLogicOp(GX_LO_REVAND), 0x1502u);  // s & ~d
    EXPECT_EQ(GlLogicOp(GX_LO_INVOR), 0x150Du);   // ~s | d
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

    // A degenerate fog is drawn without fog rather than with infinities.
    gxState s = DefaultState();
    s.fog = fog;
    s.fog.type = GX_FOG_PERSP_LIN;
    EXPECT_EQ(Translate(s).u.pix[2], 0);
}

TEST(GxDrawStateTest, CullDepthBlendAndScissor)
{
    struct CullRow {
        GXCullMode mode;
        bool cull;
        uint32_t face;
    } culls[] = {
        {GX_CULL_NONE, false, 0},
        {GX_CULL_FRONT, true, kGlBack},  // clockwise on screen is GL's back face
        {GX_CULL_BACK, true, kGlFront},
        {GX_CULL_ALL, true, kGlFrontAndBack},
    };
    for (const CullRow& row : culls) {
        gxState s = DefaultState();
        s.cullMode = row.mode;
        const Translated t = Translate(s);
        EXPECT_EQ(t.p.cull, row.cull) << GXCullModeText(row.mode);
        if (row.cull) {
            EXPECT_EQ(t.p.cullFace, row.face) << GXCullModeText(row.mode);
        }
    }

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

TEST(GxDrawStateTest, TexGensAndTevOrders)
{
    gxState s = DefaultState();
    s.numTexGens = 4;
    s.texGens[0] = gxTexGen{GX_TG_MTX3x4, GX_TG_POS, GX_TEXMTX0, true, GX_PTTEXMTX1};
    s.texGens[1] = gxTexGen{GX_TG_MTX2x4, GX_TG_TEX3, GX_IDENTITY, false, GX_PTIDENTITY};
    s.texGens[2] = gxTexGen{GX_TG_BUMP2, GX_TG_TEXCOORD1, GX_IDENTITY, false, GX_PTIDENTITY};
    s.texGens[3] = gxTexGen{GX_TG_SRTG, GX_TG_COLOR1, GX_IDENTITY, false, GX_PTIDENTITY};
    s.numTevStages = 3;
    s.tevStages[0].texMap = GX_TEXMAP_NULL;
    s.tevStages[0].texCoord = GX_TEXCOORD_NULL;
    s.tevStages[1].texMap = GX_TEXMAP3 | GX_TEX_DISABLE;
    s.tevStages[2].texMap = GX_TEXMAP5;
    s.tevStages[2].texCoord = GX_TEXCOORD2;
    s.tevStages[2].channel = GX_COLOR1A1;
    s.chanCtrl[0].attnFn = GX_AF_SPEC;
    s.chanCtrl[1].attnFn = GX_AF_SPOT;
    s.chanCtrl[2].attnFn = GX_AF_NONE;
    const Translated t = Translate(s, (1u << GX_VA_PNMTXIDX) | (1u << GX_VA_NBT) | (1u << GX_VA_TEX2MTXIDX));

    // kind, source row, matrix row, post row | normalise << 8; projective.
    EXPECT_EQ(t.u.texGen[0][0], kTexGenRegular);
    EXPECT_EQ(t.u.texGen[0][1], kTexSrcPos);
    EXPECT_EQ(t.u.texGen[0][2], 30);
    EXPECT_EQ(t.u.texGen[0][3], 3 | 256);  // GX_PTTEXMTX1 = post row 3
    EXPECT_EQ(t.u.texGen2[0][0], 1);
    EXPECT_EQ(t.u.texGen[1][1], kTexSrcTex0 + 3);
    EXPECT_EQ(t.u.texGen[1][3], 61);  // post identity row
    EXPECT_EQ(t.u.texGen2[1][0], 0);
    EXPECT_EQ(t.u.texGen[2][0], kTexGenEmboss);
    EXPECT_EQ(t.u.texGen2[2][1], 1);
    EXPECT_EQ(t.u.texGen[3][0], kTexGenColor1);
    EXPECT_EQ(t.u.vtx[2], 4);

    EXPECT_EQ(t.u.tevOrder[0][0], -1);
    EXPECT_EQ(t.u.tevOrder[0][1], 0);   // no coordinate reads coordinate 0
    EXPECT_EQ(t.u.tevOrder[1][0], -1);  // texture switched off
    EXPECT_EQ(t.u.tevOrder[2][0], 5);
    EXPECT_EQ(t.u.tevOrder[2][1], 2);
    EXPECT_EQ(t.u.tevOrder[2][2], 1);
    EXPECT_EQ(t.u.pix[1], 3);

    EXPECT_EQ(t.u.chanFn[0][1], kAttnSpec);
    EXPECT_EQ(t.u.chanFn[1][1], kAttnSpot);
    EXPECT_EQ(t.u.chanFn[2][1], kAttnNone);
    EXPECT_EQ(t.u.vtx[3], kVtxHasPnMtx | kVtxHasNormal | (1 << (kVtxTexMtxShift + 2)));
}

TEST(GxDrawStateTest, StageCountIsKeptWithinTheHardwareRange)
{
    gxState s = DefaultState();
    s.numTevStages = 0;
    EXPECT_EQ(Translate(s).u.pix[1], 1);
    s.numTevStages = 40;
    EXPECT_EQ(Translate(s).u.pix[1], 16);
    s.tevRegs[1] = GXColorS10{-2000, 2000, 5, -5};
    const Translated t = Translate(s);
    EXPECT_EQ(t.u.tevReg[1][0], -1024);  // 11-bit signed registers
    EXPECT_EQ(t.u.tevReg[1][1], 1023);
    EXPECT_EQ(t.u.tevReg[1][3], -5);
}

TEST(GxDrawStateTest, CopyFormatsStoreAsTheirTextureFormats)
{
    struct Row {
        int fmt;
        int storage;
        int sel0, sel3;
        int bits0;
        bool rgb5a3, supported;
    } rows[] = {
        {GX_TF_I4, GX_TF_I4, kSelLuma, kSelLuma, 4, false, true},
        {GX_TF_IA8, GX_TF_IA8, kSelLuma, kSelA, 8, false, true},
        {GX_TF_RGB565, GX_TF_RGB565, kSelR, kSelOne, 5, false, true},
        {GX_TF_RGB5A3, GX_TF_RGB5A3, kSelR, kSelA, 8, true, true},
        {GX_CTF_R4, GX_TF_I4, kSelR, kSelR, 4, false, true},
        {GX_CTF_A8, GX_TF_I8, kSelA, kSelA, 8, false, true},
        {GX_CTF_GB8, GX_TF_IA8, kSelG, kSelB, 8, false, true},
        {GX_TF_Z24X8, GX_TF_RGBA8, kSelR, kSelA, 8, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(GXTexFmtText(row.fmt));
        const GlCopyFormat f = CopyFormatFor(row.fmt);
        EXPECT_EQ(CopyStorageFormat(row.fmt), row.storage);
        EXPECT_EQ(f.supported, row.supported);
        if (!row.supported)
            continue;
        EXPECT_EQ(f.sel[0], row.sel0);
        EXPECT_EQ(f.sel[3], row.sel3);
        EXPECT_EQ(f.bits[0], row.bits0);
        EXPECT_EQ(f.rgb5a3, row.rgb5a3);
    }
    const GlCopyFormat rgb565 = CopyFormatFor(GX_TF_RGB565);
    EXPECT_EQ(rgb565.bits[1], 6);
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
    const std::string path = testing::TempDir() + "gx_png_writer_test.png";
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
