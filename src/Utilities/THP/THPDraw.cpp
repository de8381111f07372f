#include "Utilities/THP/THPDraw.h"

#include "platform/mtx.h"

namespace {

// The quad's vertex format; the engine's own formats are 0 to 6.
constexpr GXVtxFmt kFormat = GX_VTXFMT7;
constexpr float kQuadZ = -0.5f;  // between the orthographic near (0) and far (1) planes

// YCbCr (full range, as the movie's JPEG images hold it) to RGB:
//   R = Y + 1.402 (V - 128)
//   G = Y - 0.344 (U - 128) - 0.714 (V - 128)
//   B = Y + 1.772 (U - 128)
// Combiner inputs are 8-bit fractions, so every term is worked at half size
// and the last stage doubles the sum. Stage by stage, in 8-bit units:
//   0: C1 + Y x K0          K0 = 128: 0.5 Y; C1 holds the constant terms
//   1: + U x K1             K1 = (0, 0, 227): 0.886 U for blue
//   2: - U x K2             K2 = (0, 44, 0): 0.172 U off green
//   3: (+ C2 (1 - V) + K3 V) x 2
//                           K3 = (179, 0, 0): 0.701 V for red; C2 = (0, 91, 0)
//                           gives green 91 - 0.357 V
// C1 = half of the constants, less green's 91: (-90, 68 - 91, -113).
const GXColor kK0 = {128, 128, 128, 255};
const GXColor kK1 = {0, 0, 227, 255};
const GXColor kK2 = {0, 44, 0, 255};
const GXColor kK3 = {179, 0, 0, 255};
const GXColorS10 kC1 = {-90, -23, -113, 0};
const GXColor kC2 = {0, 91, 0, 0};

void SetStage(GXTevStageID stage, GXTexMapID map, GXTevColorArg a, GXTevColorArg b, GXTevColorArg c,
              GXTevColorArg d, GXTevOp op, GXTevScale scale, GXBool clamp, GXTevKColorSel kSel)
{
    GXSetTevOrder(stage, GX_TEXCOORD0, map, GX_COLOR_NULL);
    GXSetTevColorIn(stage, a, b, c, d);
    GXSetTevColorOp(stage, op, GX_TB_ZERO, scale, clamp, GX_TEVPREV);
    GXSetTevAlphaIn(stage, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_KONST);
    GXSetTevAlphaOp(stage, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    GXSetTevKColorSel(stage, kSel);
    GXSetTevKAlphaSel(stage, GX_TEV_KASEL_1);
    GXSetTevSwapMode(stage, GX_TEV_SWAP0, GX_TEV_SWAP0);
}

void LoadPlane(const uint8_t* image, int16_t w, int16_t h, GXTexMapID map)
{
    GXTexObj obj;
    GXInitTexObj(&obj, image, static_cast<uint16_t>(w), static_cast<uint16_t>(h), GX_TF_I8, GX_CLAMP, GX_CLAMP,
                 GX_FALSE);
    GXInitTexObjLOD(&obj, GX_LINEAR, GX_LINEAR, 0.0f, 0.0f, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
    GXLoadTexObj(&obj, map);
}

}  // namespace

void THPGXYuv2RgbSetup(const GXRenderModeObj* rmode)
{
    const float w = rmode->fbWidth;
    const float h = rmode->efbHeight;
    Mtx44 proj;
    C_MTXOrtho(proj, 0.0f, h, 0.0f, w, 0.0f, 1.0f);
    GXSetProjection(proj, GX_ORTHOGRAPHIC);
    GXSetViewport(0.0f, 0.0f, w, h, 0.0f, 1.0f);
    GXSetScissor(0, 0, rmode->fbWidth, rmode->efbHeight);
    Mtx identity;
    PSMTXIdentity(identity);
    GXLoadPosMtxImm(identity, GX_PNMTX0);
    GXSetCurrentMtx(GX_PNMTX0);
    GXSetCullMode(GX_CULL_NONE);
    GXSetZMode(GX_FALSE, GX_ALWAYS, GX_FALSE);
    GXSetBlendMode(GX_BM_NONE, GX_BL_ONE, GX_BL_ZERO, GX_LO_CLEAR);
    GXSetAlphaCompare(GX_ALWAYS, 0, GX_AOP_AND, GX_ALWAYS, 0);
    GXSetColorUpdate(GX_TRUE);
    GXSetAlphaUpdate(GX_FALSE);
    GXSetNumChans(0);
    GXSetNumTexGens(1);
    GXSetTexCoordGen2(GX_TEXCOORD0, GX_TG_MTX2x4, GX_TG_TEX0, GX_IDENTITY, GX_FALSE, GX_PTIDENTITY);
    GXSetNumIndStages(0);

    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxDesc(GX_VA_TEX0, GX_DIRECT);
    GXSetVtxAttrFmt(kFormat, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
    GXSetVtxAttrFmt(kFormat, GX_VA_TEX0, GX_TEX_ST, GX_F32, 0);

    GXSetTevSwapModeTable(GX_TEV_SWAP0, GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_ALPHA);
    GXSetTevKColor(GX_KCOLOR0, kK0);
    GXSetTevKColor(GX_KCOLOR1, kK1);
    GXSetTevKColor(GX_KCOLOR2, kK2);
    GXSetTevKColor(GX_KCOLOR3, kK3);
    GXSetTevColorS10(GX_TEVREG1, kC1);
    GXSetTevColor(GX_TEVREG2, kC2);
    GXSetNumTevStages(4);
    SetStage(GX_TEVSTAGE0, GX_TEXMAP0, GX_CC_ZERO, GX_CC_KONST, GX_CC_TEXC, GX_CC_C1, GX_TEV_ADD, GX_CS_SCALE_1,
             GX_FALSE, GX_TEV_KCSEL_K0);
    SetStage(GX_TEVSTAGE1, GX_TEXMAP1, GX_CC_ZERO, GX_CC_KONST, GX_CC_TEXC, GX_CC_CPREV, GX_TEV_ADD, GX_CS_SCALE_1,
             GX_FALSE, GX_TEV_KCSEL_K1);
    SetStage(GX_TEVSTAGE2, GX_TEXMAP1, GX_CC_ZERO, GX_CC_KONST, GX_CC_TEXC, GX_CC_CPREV, GX_TEV_SUB, GX_CS_SCALE_1,
             GX_FALSE, GX_TEV_KCSEL_K2);
    SetStage(GX_TEVSTAGE3, GX_TEXMAP2, GX_CC_C2, GX_CC_KONST, GX_CC_TEXC, GX_CC_CPREV, GX_TEV_ADD, GX_CS_SCALE_2,
             GX_TRUE, GX_TEV_KCSEL_K3);
}

void THPGXYuv2RgbDraw(const uint8_t* yImage, const uint8_t* uImage, const uint8_t* vImage, int16_t x, int16_t y,
                      int16_t textureW, int16_t textureH, int16_t polygonW, int16_t polygonH)
{
    LoadPlane(yImage, textureW, textureH, GX_TEXMAP0);
    LoadPlane(uImage, static_cast<int16_t>(textureW / 2), static_cast<int16_t>(textureH / 2), GX_TEXMAP1);
    LoadPlane(vImage, static_cast<int16_t>(textureW / 2), static_cast<int16_t>(textureH / 2), GX_TEXMAP2);
    const float x0 = x, y0 = y, x1 = static_cast<float>(x + polygonW), y1 = static_cast<float>(y + polygonH);
    GXBegin(GX_QUADS, kFormat, 4);
    GXPosition3f32(x0, y0, kQuadZ);
    GXTexCoord2f32(0.0f, 0.0f);
    GXPosition3f32(x1, y0, kQuadZ);
    GXTexCoord2f32(1.0f, 0.0f);
    GXPosition3f32(x1, y1, kQuadZ);
    GXTexCoord2f32(1.0f, 1.0f);
    GXPosition3f32(x0, y1, kQuadZ);
    GXTexCoord2f32(0.0f, 1.0f);
    GXEnd();
}

void THPGXRestore()
{
    GXSetZMode(GX_TRUE, GX_LEQUAL, GX_TRUE);
    GXSetNumChans(1);
    GXSetNumTevStages(1);
    GXSetNumTexGens(1);
    GXSetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    GXSetTevOp(GX_TEVSTAGE0, GX_PASSCLR);
    for (int stage = GX_TEVSTAGE0; stage <= GX_TEVSTAGE3; ++stage) {
        GXSetTevKColorSel(static_cast<GXTevStageID>(stage), GX_TEV_KCSEL_1);
        GXSetTevKAlphaSel(static_cast<GXTevStageID>(stage), GX_TEV_KASEL_1);
        GXSetTevSwapMode(static_cast<GXTevStageID>(stage), GX_TEV_SWAP0, GX_TEV_SWAP0);
    }
    GXSetAlphaUpdate(GX_TRUE);
}
