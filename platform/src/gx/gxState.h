#pragma once
// The whole state of the graphics front end as plain data: what the GX calls
// set, in the units the calls take (library values, not packed registers),
// plus the matrix memory as the hardware holds it. The front end owns one
// live copy (main thread); each draw carries an immutable snapshot to the
// render thread, which may read it for as long as it holds the command.

#include <cstdint>

#include "platform/gx.h"

constexpr int kGxNumVtxFmts = 8;
constexpr int kGxNumAttrs = 26;         // GX_VA_PNMTXIDX .. GX_VA_NBT
constexpr int kGxNumArrays = 16;        // hardware arrays: POS 0 .. LIGHT 15
constexpr int kGxNumTexCoords = 8;
constexpr int kGxNumTexMaps = 8;
constexpr int kGxNumTevStages = 16;
constexpr int kGxNumLights = 8;
constexpr int kGxNumTluts = 20;

// Matrix memory in floats: rows of 4 (position/texture, post-transform) or
// 3 (normal) words, addressed as the hardware does.
constexpr int kGxPosTexRows = 64;   // XF 0x000..0x0FF
constexpr int kGxNrmRows = 32;      // XF 0x400..0x45F
constexpr int kGxPostRows = 64;     // XF 0x500..0x5FF
constexpr uint32_t kGxXfPosTexBase = 0x000;
constexpr uint32_t kGxXfNrmBase = 0x400;
constexpr uint32_t kGxXfPostBase = 0x500;
constexpr uint32_t kGxXfLightBase = 0x600;  // 8 lights x 16 words
constexpr uint32_t kGxXfLightWords = 16;
constexpr uint32_t kGxPostMtxFirstId = 64;  // GX_PTTEXMTX0: post row = id - 64

struct gxVtxAttrFmt {
    GXCompCnt cnt = GX_POS_XY;
    GXCompType type = GX_U8;
    uint8_t frac = 0;  // fraction bits 0..31 (POS, TEXn)
};

struct gxVtxFmt {
    gxVtxAttrFmt attr[kGxNumAttrs];  // indexed by GXAttr; only POS, NRM, CLRn, TEXn are used
    bool setUp = false;              // any GXSetVtxAttrFmt since GXInit
};

struct gxArray {
    const uint8_t* base = nullptr;
    uint32_t stride = 0;  // bytes
    uint32_t bytes = 0;   // declared length (GXSetArrayBounds); 0 with boundsKnown false = unknown
    bool boundsKnown = false;
};

struct gxTexGen {
    GXTexGenType type = GX_TG_MTX2x4;
    GXTexGenSrc src = GX_TG_TEX0;
    uint32_t mtx = GX_IDENTITY;       // GXTexMtx row id
    bool normalize = false;
    uint32_t postMtx = GX_PTIDENTITY;  // GXPTTexMtx id
};

// One lighting channel's control (COLOR0, COLOR1, ALPHA0, ALPHA1 = 0..3).
struct gxChanCtrl {
    bool enable = false;
    GXColorSrc ambSrc = GX_SRC_REG;
    GXColorSrc matSrc = GX_SRC_REG;
    uint32_t lightMask = 0;  // GXLightID bits
    GXDiffuseFn diffFn = GX_DF_NONE;
    GXAttnFn attnFn = GX_AF_NONE;
};

struct gxTevCombiner {
    uint8_t in[4] = {0, 0, 0, 0};  // a, b, c, d: GXTevColorArg or GXTevAlphaArg
    GXTevOp op = GX_TEV_ADD;
    GXTevBias bias = GX_TB_ZERO;
    GXTevScale scale = GX_CS_SCALE_1;
    bool clamp = true;
    GXTevRegID outReg = GX_TEVPREV;
};

struct gxTevStage {
    gxTevCombiner color;
    gxTevCombiner alpha;
    GXTexCoordID texCoord = GX_TEXCOORD_NULL;
    uint32_t texMap = GX_TEXMAP_NULL;  // GXTexMapID, may carry GX_TEX_DISABLE
    GXChannelID channel = GX_COLOR_NULL;
    GXTevKColorSel kcsel = GX_TEV_KCSEL_1;
    GXTevKAlphaSel kasel = GX_TEV_KASEL_1;
    GXTevSwapSel rasSwap = GX_TEV_SWAP0;
    GXTevSwapSel texSwap = GX_TEV_SWAP0;
};

struct gxRect {
    uint32_t left = 0, top = 0, wd = 0, ht = 0;
};

struct gxViewport {
    float left = 0.0f, top = 0.0f, wd = 640.0f, ht = 480.0f;
    float nearZ = 0.0f, farZ = 1.0f;
    int32_t jitterField = -1;  // -1: no jitter; else the field given to GXSetViewportJitter
};

struct gxFog {
    GXFogType type = GX_FOG_NONE;
    float startZ = 0.0f, endZ = 0.0f, nearZ = 0.0f, farZ = 0.0f;
    GXColor color = {0, 0, 0, 0};
};

struct gxCopyState {
    GXColor clearColor = {0, 0, 0, 0};
    uint32_t clearZ = 0xFFFFFF;
    gxRect dispSrc = {0, 0, 640, 480};
    uint16_t dispDstWd = 640, dispDstHt = 480;
    float dispYScale = 1.0f;
    GXGamma dispGamma = GX_GM_1_0;
    GXBool aa = GX_FALSE;
    uint8_t samplePattern[12][2] = {};
    GXBool vfEnable = GX_FALSE;
    uint8_t vfilter[7] = {0, 0, 21, 22, 21, 0, 0};
    GXPixelFmt pixelFmt = GX_PF_RGB8_Z24;
    GXZFmt16 zFmt = GX_ZC_LINEAR;
    GXBool fieldMode = GX_FALSE, halfAspect = GX_FALSE;
    gxRect texSrc = {0, 0, 640, 480};
    uint16_t texDstWd = 640, texDstHt = 480;
    GXTexFmt texDstFmt = GX_TF_RGBA8;
    GXBool texDstMipmap = GX_FALSE;  // 2x2 box-filtered halving
};

struct gxState {
    // Vertex descriptor (one, shared by all formats) and the eight formats.
    GXAttrType vtxDesc[kGxNumAttrs];
    gxVtxFmt vtxFmt[kGxNumVtxFmts];
    gxArray arrays[kGxNumArrays];  // by hardware array index (GXAttrArrayIndex)

    // Matrix memory.
    float posTexMtx[kGxPosTexRows][4];
    float nrmMtx[kGxNrmRows][3];
    float postMtx[kGxPostRows][4];
    uint32_t currentPnMtx = GX_PNMTX0;                // row id, used when the vertex has no index
    uint32_t currentTexMtx[kGxNumTexCoords];          // row ids (matrix index registers)

    // Transform.
    float projection[6] = {};  // p0..p5: m00, m02|m03, m11, m12|m13, m22, m23
    GXProjectionType projectionType = GX_PERSPECTIVE;
    gxViewport viewport;
    gxRect scissor = {0, 0, 640, 480};

    // Texture-coordinate generation.
    uint32_t numTexGens = 1;
    gxTexGen texGens[kGxNumTexCoords];

    // Lighting.
    uint32_t numChans = 1;
    gxChanCtrl chanCtrl[4];  // COLOR0, COLOR1, ALPHA0, ALPHA1
    GXColor ambColor[2] = {{0, 0, 0, 0}, {0, 0, 0, 0}};
    GXColor matColor[2] = {{255, 255, 255, 255}, {255, 255, 255, 255}};
    GXLightObj lights[kGxNumLights];  // by light number (bit index of GXLightID)

    // Texture combiner.
    uint32_t numTevStages = 1;
    gxTevStage tevStages[kGxNumTevStages];
    uint8_t swapTables[4][4];          // [table][output R, G, B, A] = input GXTevColorChan
    GXColorS10 tevRegs[4];             // PREV, REG0, REG1, REG2
    GXColor kColors[4];
    uint32_t numIndStages = 0;

    // Pixel pipeline.
    GXCompare alphaComp0 = GX_ALWAYS, alphaComp1 = GX_ALWAYS;
    uint8_t alphaRef0 = 0, alphaRef1 = 0;
    GXAlphaOp alphaOp = GX_AOP_AND;
    GXBlendMode blendMode = GX_BM_NONE;
    GXBlendFactor blendSrc = GX_BL_ONE, blendDst = GX_BL_ZERO;
    GXLogicOp logicOp = GX_LO_CLEAR;
    bool zCompare = true, zUpdate = true;
    GXCompare zFunc = GX_LEQUAL;
    bool zCompBeforeTex = true;
    GXCullMode cullMode = GX_CULL_BACK;
    bool colorUpdate = true, alphaUpdate = true;
    bool dstAlphaEnable = false;
    uint8_t dstAlpha = 0;
    bool dither = true;
    gxFog fog;

    // Textures: copies of the loaded objects per map.
    GXTexObj texMaps[kGxNumTexMaps];
    bool texMapLoaded[kGxNumTexMaps] = {};
    GXTlutObj tluts[kGxNumTluts];

    gxCopyState copy;

    // Command-stream scratch: the BP write mask (register 0xFE), 24 bits,
    // applied to the next BP load only.
    uint32_t bpWriteMask = 0xFFFFFF;
};

// Puts every field to the library's start-up defaults (what GXInit sets).
void gxStateReset(gxState& state);
