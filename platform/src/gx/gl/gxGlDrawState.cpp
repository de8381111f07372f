#include "gx/gl/gxGlDrawState.h"

#include <algorithm>
#include <cstring>

namespace gxgl {

// OpenGL values used below (the numbers are fixed by the GL headers).
namespace gl {
constexpr uint32_t kNever = 0x0200, kLess = 0x0201, kEqual = 0x0202, kLequal = 0x0203;
constexpr uint32_t kGreater = 0x0204, kNotEqual = 0x0205, kGequal = 0x0206, kAlways = 0x0207;
constexpr uint32_t kZero = 0, kOne = 1;
constexpr uint32_t kSrcColor = 0x0300, kOneMinusSrcColor = 0x0301;
constexpr uint32_t kSrcAlpha = 0x0302, kOneMinusSrcAlpha = 0x0303;
constexpr uint32_t kDstAlpha = 0x0304, kOneMinusDstAlpha = 0x0305;
constexpr uint32_t kDstColor = 0x0306, kOneMinusDstColor = 0x0307;
constexpr uint32_t kFuncAdd = 0x8006, kFuncReverseSubtract = 0x800B;
constexpr uint32_t kFront = 0x0404, kBack = 0x0405, kFrontAndBack = 0x0408;
}  // namespace gl

uint32_t GlCompareFunc(GXCompare compare)
{
    static const uint32_t kMap[8] = {gl::kNever, gl::kLess, gl::kEqual, gl::kLequal,
                                     gl::kGreater, gl::kNotEqual, gl::kGequal, gl::kAlways};
    return kMap[static_cast<uint32_t>(compare) & 7];
}

uint32_t GlBlendFactor(GXBlendFactor factor, bool isSource)
{
    switch (factor) {
    case GX_BL_ZERO: return gl::kZero;
    case GX_BL_ONE: return gl::kOne;
    // Factors 2 and 3 read the other side's colour: destination colour as a
    // source factor, source colour as a destination factor.
    case GX_BL_DSTCLR: return isSource ? gl::kDstColor : gl::kSrcColor;
    case GX_BL_INVDSTCLR: return isSource ? gl::kOneMinusDstColor : gl::kOneMinusSrcColor;
    case GX_BL_SRCALPHA: return gl::kSrcAlpha;
    case GX_BL_INVSRCALPHA: return gl::kOneMinusSrcAlpha;
    case GX_BL_DSTALPHA: return gl::kDstAlpha;
    case GX_BL_INVDSTALPHA: return gl::kOneMinusDstAlpha;
    }
    return gl::kOne;
}

uint32_t GlLogicOp(GXLogicOp op)
{
    // GL_CLEAR .. GL_SET in the GX order (clear, and, reverse-and, copy, ...).
    static const uint32_t kMap[16] = {0x1500, 0x1501, 0x1502, 0x1503, 0x1504, 0x1505, 0x1506, 0x1507,
                                      0x1508, 0x1509, 0x150A, 0x150B, 0x150C, 0x150D, 0x150E, 0x150F};
    return kMap[static_cast<uint32_t>(op) & 15];
}

void TevOpFields(GXTevOp op, GXTevBias bias, GXTevScale scale, int32_t out[3])
{
    const int v = static_cast<int>(op);
    if (v >= GX_TEV_COMP_R8_GT) {
        const int kind = v - GX_TEV_COMP_R8_GT;  // (scale << 1) | op
        out[0] = kind & 1;
        out[1] = 3;
        out[2] = (kind >> 1) & 3;
        return;
    }
    out[0] = v & 1;
    out[1] = std::min(static_cast<int>(bias), 2);
    out[2] = static_cast<int>(scale) & 3;
}

int32_t TevRasChannel(GXChannelID channel)
{
    switch (channel) {
    case GX_COLOR0:
    case GX_ALPHA0:
    case GX_COLOR0A0: return 0;
    case GX_COLOR1:
    case GX_ALPHA1:
    case GX_COLOR1A1: return 1;
    case GX_ALPHA_BUMP: return 5;
    case GX_ALPHA_BUMPN: return 6;
    default: return 7;
    }
}

bool FogCoefficients(const gxFog& fog, float* a, float* b, float* c)
{
    const float range = fog.endZ - fog.startZ;
    const float depth = fog.farZ - fog.nearZ;
    if (range == 0.0f || depth == 0.0f)
        return false;
    const bool ortho = (static_cast<int>(fog.type) >> 3) & 1;
    if (ortho) {
        *a = depth / range;
        *b = 0.0f;
        *c = (fog.startZ - fog.nearZ) / range;
    } else {
        *a = fog.farZ * fog.nearZ / (depth * range);
        *b = fog.farZ / depth;
        *c = fog.startZ / range;
    }
    return true;
}

static void SetColor255(float out[4], const GXColor& c)
{
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

static void SetInts(int32_t out[4], int x, int y, int z, int w)
{
    out[0] = x;
    out[1] = y;
    out[2] = z;
    out[3] = w;
}

static int HwAttenuation(GXAttnFn fn)
{
    switch (fn) {
    case GX_AF_SPEC: return kAttnSpec;
    case GX_AF_SPOT: return kAttnSpot;
    default: return kAttnNone;
    }
}

static void TranslateMatrices(const gxState& s, GlDrawUniforms* u)
{
    std::memcpy(u->posTex, s.posTexMtx, sizeof(u->posTex));
    std::memcpy(u->post, s.postMtx, sizeof(u->post));
    for (int r = 0; r < kGxNrmRows; ++r) {
        for (int c = 0; c < 3; ++c)
            u->nrm[r][c] = s.nrmMtx[r][c];
        u->nrm[r][3] = 0.0f;
    }
    u->proj[0][0] = s.projection[0];
    u->proj[0][1] = s.projection[1];
    u->proj[0][2] = s.projection[2];
    u->proj[0][3] = s.projection[3];
    u->proj[1][0] = s.projection[4];
    u->proj[1][1] = s.projection[5];
}

static void TranslateLighting(const gxState& s, GlDrawUniforms* u)
{
    for (int i = 0; i < kGxNumLights; ++i) {
        const GXLightObj& l = s.lights[i];
        SetColor255(u->lightColor[i], l.color);
        for (int k = 0; k < 3; ++k) {
            u->lightCosAtt[i][k] = l.a[k];
            u->lightDistAtt[i][k] = l.k[k];
            u->lightPos[i][k] = l.pos[k];
            u->lightDir[i][k] = l.dir[k];
        }
    }
    for (int ch = 0; ch < 2; ++ch) {
        SetColor255(u->chanAmb[ch], s.ambColor[ch]);
        SetColor255(u->chanMat[ch], s.matColor[ch]);
    }
    for (int ch = 0; ch < 4; ++ch) {
        const gxChanCtrl& c = s.chanCtrl[ch];
        SetInts(u->chanCtrl[ch], c.enable ? 1 : 0, c.matSrc == GX_SRC_VTX ? 1 : 0, c.ambSrc == GX_SRC_VTX ? 1 : 0,
                static_cast<int>(c.lightMask & 0xFF));
        SetInts(u->chanFn[ch], static_cast<int>(c.diffFn), HwAttenuation(c.attnFn), 0, 0);
    }
}

static int TexGenSourceRow(GXTexGenSrc src)
{
    switch (src) {
    case GX_TG_POS: return kTexSrcPos;
    case GX_TG_NRM: return kTexSrcNrm;
    case GX_TG_BINRM: return kTexSrcBinrm;
    case GX_TG_TANGENT: return kTexSrcTangent;
    case GX_TG_COLOR0:
    case GX_TG_COLOR1: return kTexSrcColors;
    default: break;
    }
    const int v = static_cast<int>(src);
    if (v >= GX_TG_TEX0 && v <= GX_TG_TEX7)
        return kTexSrcTex0 + (v - GX_TG_TEX0);
    return kTexSrcTex0;
}

static void TranslateTexGens(const gxState& s, GlDrawUniforms* u)
{
    for (int n = 0; n < kGxNumTexCoords; ++n) {
        const gxTexGen& g = s.texGens[n];
        int kind = kTexGenRegular;
        int projective = g.type == GX_TG_MTX3x4 ? 1 : 0;
        int embossSrc = 0;
        if (g.type >= GX_TG_BUMP0 && g.type <= GX_TG_BUMP7) {
            kind = kTexGenEmboss;
            embossSrc = std::clamp(static_cast<int>(g.src) - GX_TG_TEXCOORD0, 0, 6);
        } else if (g.type == GX_TG_SRTG) {
            kind = g.src == GX_TG_COLOR1 ? kTexGenColor1 : kTexGenColor0;
        }
        const int post = static_cast<int>(g.postMtx) - static_cast<int>(kGxPostMtxFirstId);
        SetInts(u->texGen[n], kind, TexGenSourceRow(g.src), static_cast<int>(g.mtx % kGxPosTexRows),
                (std::clamp(post, 0, kGxPostRows - 3)) | (g.normalize ? 256 : 0));
        SetInts(u->texGen2[n], projective, embossSrc, 0, 0);
    }
}

static void TranslateTev(const gxState& s, GlDrawUniforms* u)
{
    const int stages = std::clamp(static_cast<int>(s.numTevStages), 1, kMaxTevStages);
    for (int i = 0; i < kMaxTevStages; ++i) {
        const gxTevStage& t = s.tevStages[i];
        SetInts(u->tevColorIn[i], t.color.in[0] & 15, t.color.in[1] & 15, t.color.in[2] & 15, t.color.in[3] & 15);
        SetInts(u->tevAlphaIn[i], t.alpha.in[0] & 7, t.alpha.in[1] & 7, t.alpha.in[2] & 7, t.alpha.in[3] & 7);
        int32_t f[3];
        TevOpFields(t.color.op, t.color.bias, t.color.scale, f);
        SetInts(u->tevColorOp[i], f[0], f[1], f[2], t.color.clamp ? 1 : 0);
        TevOpFields(t.alpha.op, t.alpha.bias, t.alpha.scale, f);
        SetInts(u->tevAlphaOp[i], f[0], f[1], f[2], t.alpha.clamp ? 1 : 0);
        const bool textured = t.texMap != GX_TEXMAP_NULL && (t.texMap & GX_TEX_DISABLE) == 0;
        const int coord = t.texCoord == GX_TEXCOORD_NULL ? 0 : (static_cast<int>(t.texCoord) & 7);
        SetInts(u->tevOrder[i], textured ? static_cast<int>(t.texMap & 7) : -1, coord, TevRasChannel(t.channel), 0);
        SetInts(u->tevSel[i], static_cast<int>(t.kcsel) & 31, static_cast<int>(t.kasel) & 31,
                static_cast<int>(t.rasSwap) & 3, static_cast<int>(t.texSwap) & 3);
        SetInts(u->tevDest[i], static_cast<int>(t.color.outReg) & 3, static_cast<int>(t.alpha.outReg) & 3, 0, 0);
    }
    for (int r = 0; r < 4; ++r) {
        const GXColorS10& c = s.tevRegs[r];
        SetInts(u->tevReg[r], std::clamp<int>(c.r, -1024, 1023), std::clamp<int>(c.g, -1024, 1023),
                std::clamp<int>(c.b, -1024, 1023), std::clamp<int>(c.a, -1024, 1023));
        const GXColor& k = s.kColors[r];
        SetInts(u->konst[r], k.r, k.g, k.b, k.a);
        SetInts(u->swap[r], s.swapTables[r][0] & 3, s.swapTables[r][1] & 3, s.swapTables[r][2] & 3,
                s.swapTables[r][3] & 3);
    }
    SetInts(u->alphaCmp, static_cast<int>(s.alphaComp0) & 7, s.alphaRef0, static_cast<int>(s.alphaComp1) & 7,
            s.alphaRef1);
    float a = 0.0f, b = 0.0f, c = 0.0f;
    const int fogKind = static_cast<int>(s.fog.type) & 7;
    const bool fogOn = fogKind != 0 && FogCoefficients(s.fog, &a, &b, &c);
    SetInts(u->pix, static_cast<int>(s.alphaOp) & 3, stages, fogOn ? fogKind : 0,
            (static_cast<int>(s.fog.type) >> 3) & 1);
    u->fog[0] = a;
    u->fog[1] = b;
    u->fog[2] = c;
    u->fog[3] = 0.0f;
    SetColor255(u->fogColor, s.fog.color);
}

static void TranslateVertex(const gxState& s, uint32_t attrMask, GlDrawUniforms* u)
{
    int present = 0;
    if (attrMask & (1u << GX_VA_PNMTXIDX))
        present |= kVtxHasPnMtx;
    if (attrMask & ((1u << GX_VA_NRM) | (1u << GX_VA_NBT)))
        present |= kVtxHasNormal;
    if (attrMask & (1u << GX_VA_CLR0))
        present |= kVtxHasClr0;
    if (attrMask & (1u << GX_VA_CLR1))
        present |= kVtxHasClr1;
    for (int n = 0; n < 8; ++n) {
        if (attrMask & (1u << (GX_VA_TEX0MTXIDX + n)))
            present |= 1 << (kVtxTexMtxShift + n);
    }
    SetInts(u->vtx, s.projectionType == GX_ORTHOGRAPHIC ? 1 : 0, static_cast<int>(s.currentPnMtx % kGxPosTexRows),
            static_cast<int>(std::min<uint32_t>(s.numTexGens, kMaxTexGens)), present);
    // Every generator goes through its post-transform matrix: the library's
    // default is the identity, so this costs nothing when it is not used.
    SetInts(u->vtx2, 1, static_cast<int>(std::min<uint32_t>(s.numChans, 2)), 0, 0);
}

static void TranslatePipeline(const gxState& s, GlPipeline* p)
{
    const gxViewport& v = s.viewport;
    p->viewport[0] = v.left;
    p->viewport[1] = v.top;
    p->viewport[2] = v.wd;
    p->viewport[3] = v.ht;
    p->depthRange[0] = v.nearZ;
    p->depthRange[1] = v.farZ;
    const int x0 = std::clamp(static_cast<int>(s.scissor.left), 0, 640);
    const int y0 = std::clamp(static_cast<int>(s.scissor.top), 0, 480);
    const int x1 = std::clamp(static_cast<int>(s.scissor.left + s.scissor.wd), x0, 640);
    const int y1 = std::clamp(static_cast<int>(s.scissor.top + s.scissor.ht), y0, 480);
    p->scissor[0] = x0;
    p->scissor[1] = y0;
    p->scissor[2] = x1 - x0;
    p->scissor[3] = y1 - y0;

    // With compare off the hardware neither tests nor writes depth.
    p->depthTest = s.zCompare;
    p->depthFunc = GlCompareFunc(s.zFunc);
    p->depthWrite = s.zCompare && s.zUpdate;

    p->blend = false;
    p->logicOp = false;
    p->blendEquation = gl::kFuncAdd;
    p->blendSrc = gl::kOne;
    p->blendDst = gl::kZero;
    switch (s.blendMode) {
    case GX_BM_BLEND:
        p->blend = true;
        p->blendSrc = GlBlendFactor(s.blendSrc, true);
        p->blendDst = GlBlendFactor(s.blendDst, false);
        break;
    case GX_BM_SUBTRACT:  // destination minus source, factors ignored
        p->blend = true;
        p->blendEquation = gl::kFuncReverseSubtract;
        p->blendDst = gl::kOne;
        break;
    case GX_BM_LOGIC:
        p->logicOp = true;
        p->logicOpCode = GlLogicOp(s.logicOp);
        break;
    default:
        break;
    }

    // A front face is clockwise on the screen; OpenGL's window space has y
    // up, which keeps the on-screen winding, and its default front face is
    // counter-clockwise: GX front faces are OpenGL back faces.
    p->cull = s.cullMode != GX_CULL_NONE;
    p->cullFace = s.cullMode == GX_CULL_FRONT ? gl::kBack
                : s.cullMode == GX_CULL_BACK ? gl::kFront
                                             : gl::kFrontAndBack;
    p->colorMask = s.colorUpdate;
    p->alphaMask = s.alphaUpdate;
}

void TranslateDrawState(const gxState& state, uint32_t attrMask, GlDrawUniforms* u, GlPipeline* p)
{
    std::memset(u, 0, sizeof(*u));
    TranslateMatrices(state, u);
    TranslateLighting(state, u);
    TranslateTexGens(state, u);
    TranslateTev(state, u);
    TranslateVertex(state, attrMask, u);
    TranslatePipeline(state, p);
}

}  // namespace gxgl
