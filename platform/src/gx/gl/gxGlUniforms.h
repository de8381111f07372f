#pragma once
// The per-draw parameter block of the uber-shader, laid out exactly as the
// shader's std140 uniform block "Draw" (only vec4 and ivec4 members and
// arrays, so the C++ layout has no padding surprises). Plain data: built on
// the render thread from a draw's state snapshot and uploaded before it.

#include <cstdint>

namespace gxgl {

constexpr int kMaxTevStages = 16;
constexpr int kMaxTexGens = 8;
constexpr int kMaxTexMaps = 8;
constexpr int kMaxLights = 8;

// Vertex attribute presence bits (GlDrawUniforms::vtx[3]).
constexpr int kVtxHasPnMtx = 1 << 0;
constexpr int kVtxHasNormal = 1 << 1;
constexpr int kVtxHasClr0 = 1 << 2;
constexpr int kVtxHasClr1 = 1 << 3;
constexpr int kVtxTexMtxShift = 4;  // bits 4..11: TEXnMTXIDX present

// Hardware attenuation selection of a channel (bits 9-10 of the channel word).
constexpr int kAttnSpec = 1;
constexpr int kAttnNone = 2;
constexpr int kAttnSpot = 3;

// Texture-coordinate generator kinds as the shader sees them.
constexpr int kTexGenRegular = 0;
constexpr int kTexGenEmboss = 1;
constexpr int kTexGenColor0 = 2;  // s, t = colour channel 0's red and green
constexpr int kTexGenColor1 = 3;

// Texture-coordinate sources (hardware source rows).
constexpr int kTexSrcPos = 0;
constexpr int kTexSrcNrm = 1;
constexpr int kTexSrcColors = 2;
constexpr int kTexSrcBinrm = 3;
constexpr int kTexSrcTangent = 4;
constexpr int kTexSrcTex0 = 5;  // 5..12 = vertex TEX0..7

struct GlDrawUniforms {
    float posTex[64][4];  // XF rows 0..63: position and texture matrices
    float nrm[32][4];     // normal matrix rows (x, y, z, unused)
    float post[64][4];    // post-transform rows
    float lightColor[kMaxLights][4];  // 0..255 per component
    float lightCosAtt[kMaxLights][4];  // a0, a1, a2
    float lightDistAtt[kMaxLights][4];  // k0, k1, k2
    float lightPos[kMaxLights][4];  // view space
    float lightDir[kMaxLights][4];  // view space
    float proj[2][4];     // p0..p5 of the projection
    float chanAmb[2][4];  // channel 0/1 ambient register, 0..255
    float chanMat[2][4];  // channel 0/1 material register, 0..255
    float fog[4];         // A, B, C, unused (depth d in 0..1)
    float fogColor[4];    // 0..255
    int32_t chanCtrl[4][4];  // colour0, colour1, alpha0, alpha1: enable, matSrc, ambSrc, lightMask
    int32_t chanFn[4][4];    // diffuse function, hardware attenuation kind
    int32_t texGen[kMaxTexGens][4];  // kind, source row, matrix row, post row | normalise << 8
    int32_t texGen2[kMaxTexGens][4];  // projective (3x4), emboss source coord, unused, unused
    int32_t vtx[4];       // projection type, default position matrix row, tex gen count, presence bits
    int32_t vtx2[4];      // post-transforms on, channel count (informational), unused, unused
    int32_t tevColorIn[kMaxTevStages][4];  // a, b, c, d
    int32_t tevAlphaIn[kMaxTevStages][4];
    int32_t tevColorOp[kMaxTevStages][4];  // op, bias, scale, clamp
    int32_t tevAlphaOp[kMaxTevStages][4];
    int32_t tevOrder[kMaxTevStages][4];  // texture map (-1 none), texture coordinate, raster channel (hw), unused
    int32_t tevSel[kMaxTevStages][4];    // konst colour sel, konst alpha sel, raster swap, texture swap
    int32_t tevDest[kMaxTevStages][4];   // colour output register, alpha output register
    int32_t tevReg[4][4];    // PREV, REG0..2 initial values (signed 11-bit)
    int32_t konst[4][4];     // KCOLOR0..3 (0..255)
    int32_t swap[4][4];      // swap tables: source channel of R, G, B, A
    int32_t alphaCmp[4];     // comp0, ref0, comp1, ref1
    int32_t pix[4];          // alpha op, stage count, fog kind (0 off, 2 lin, 4..7), fog orthographic
    int32_t texMaps[4];      // bit n: texture map n has a texture bound; unused x3
    float vtxScale[3][4];    // position scale, unused x3; coordinate scales 0..3, 4..7 (1 for floats)
};

static_assert(sizeof(GlDrawUniforms) % 16 == 0, "std140 block is whole vec4s");

}  // namespace gxgl
