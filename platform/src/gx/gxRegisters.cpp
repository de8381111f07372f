#include "gx/gxRegisters.h"

#include <cstring>

namespace {

inline uint32_t Bits(uint32_t v, int shift, int count) { return (v >> shift) & ((1u << count) - 1); }

inline float AsFloat(uint32_t v)
{
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

// A 9-bit texture-coordinate field: count bit 0, type bits 1-3, frac 4-8.
void UnpackTex9(uint32_t field, gxVtxAttrFmt& f)
{
    f.cnt = static_cast<GXCompCnt>(field & 1);
    f.type = static_cast<GXCompType>(Bits(field, 1, 3));
    f.frac = static_cast<uint8_t>(Bits(field, 4, 5));
}

uint32_t PackTex9(const gxVtxAttrFmt& f)
{
    return (static_cast<uint32_t>(f.cnt) & 1) | ((static_cast<uint32_t>(f.type) & 7) << 1) | ((f.frac & 31u) << 4);
}

GXColor UnpackColor(uint32_t rgba)
{
    return {static_cast<uint8_t>(rgba >> 24), static_cast<uint8_t>(rgba >> 16), static_cast<uint8_t>(rgba >> 8),
            static_cast<uint8_t>(rgba)};
}

void ApplyMatrixIndexA(gxState& s, uint32_t v)
{
    s.currentPnMtx = Bits(v, 0, 6);
    for (int t = 0; t < 4; ++t)
        s.currentTexMtx[t] = Bits(v, 6 + 6 * t, 6);
}

void ApplyMatrixIndexB(gxState& s, uint32_t v)
{
    for (int t = 0; t < 4; ++t)
        s.currentTexMtx[4 + t] = Bits(v, 6 * t, 6);
}

void ApplyVcdLow(gxState& s, uint32_t v)
{
    for (int a = GX_VA_PNMTXIDX; a <= GX_VA_TEX7MTXIDX; ++a)
        s.vtxDesc[a] = Bits(v, a, 1) ? GX_DIRECT : GX_NONE;
    for (int a = GX_VA_POS; a <= GX_VA_CLR1; ++a)
        s.vtxDesc[a] = static_cast<GXAttrType>(Bits(v, 9 + 2 * (a - GX_VA_POS), 2));
}

void ApplyVcdHigh(gxState& s, uint32_t v)
{
    for (int t = 0; t < 8; ++t)
        s.vtxDesc[GX_VA_TEX0 + t] = static_cast<GXAttrType>(Bits(v, 2 * t, 2));
}

// The hardware's viewport registers from the library's arguments and back.
void ViewportToHw(const gxViewport& vp, float hw[6])
{
    hw[0] = vp.wd / 2.0f;
    hw[1] = -vp.ht / 2.0f;
    hw[2] = (vp.farZ - vp.nearZ) * kGxDepthMax;
    hw[3] = vp.left + vp.wd / 2.0f + kGxViewportOrigin;
    hw[4] = vp.top + vp.ht / 2.0f + kGxViewportOrigin;
    hw[5] = vp.farZ * kGxDepthMax;
}

void ViewportFromHw(const float hw[6], gxViewport& vp)
{
    vp.wd = hw[0] * 2.0f;
    vp.ht = -hw[1] * 2.0f;
    vp.left = hw[3] - kGxViewportOrigin - hw[0];
    vp.top = hw[4] - kGxViewportOrigin + hw[1];
    vp.farZ = hw[5] / kGxDepthMax;
    vp.nearZ = (hw[5] - hw[2]) / kGxDepthMax;
    vp.jitterField = -1;
}

gxRegResult ApplyLightWord(gxState& s, uint32_t offset, uint32_t value)
{
    GXLightObj& l = s.lights[offset / kGxXfLightWords];
    const uint32_t w = offset % kGxXfLightWords;
    const float f = AsFloat(value);
    if (w < 3)
        return gxRegResult::kApplied;  // unused words
    if (w == 3)
        l.color = UnpackColor(value);
    else if (w < 7)
        l.a[w - 4] = f;
    else if (w < 10)
        l.k[w - 7] = f;
    else if (w < 13)
        l.pos[w - 10] = f;
    else
        l.dir[w - 13] = f;
    return gxRegResult::kApplied;
}

gxRegResult ApplyXfRegister(gxState& s, uint32_t address, uint32_t value)
{
    if (address == kGxXfNumChans) {
        s.numChans = value & 3;
    } else if (address >= kGxXfAmbient0 && address < kGxXfAmbient0 + 2) {
        s.ambColor[address - kGxXfAmbient0] = UnpackColor(value);
    } else if (address >= kGxXfMaterial0 && address < kGxXfMaterial0 + 2) {
        s.matColor[address - kGxXfMaterial0] = UnpackColor(value);
    } else if (address == kGxXfMatrixIndexA) {
        ApplyMatrixIndexA(s, value);
    } else if (address == kGxXfMatrixIndexB) {
        ApplyMatrixIndexB(s, value);
    } else if (address >= kGxXfViewport && address < kGxXfViewport + 6) {
        float hw[6];
        ViewportToHw(s.viewport, hw);
        hw[address - kGxXfViewport] = AsFloat(value);
        ViewportFromHw(hw, s.viewport);
    } else if (address >= kGxXfProjection && address < kGxXfProjection + 6) {
        s.projection[address - kGxXfProjection] = AsFloat(value);
    } else if (address == kGxXfProjection + 6) {
        s.projectionType = (value & 1) ? GX_ORTHOGRAPHIC : GX_PERSPECTIVE;
    } else if (address == kGxXfNumTexGens) {
        s.numTexGens = value <= 8 ? value : 8;
    } else {
        return gxRegResult::kIgnored;
    }
    return gxRegResult::kApplied;
}

uint32_t EncodeBp(const gxState& s, uint32_t reg)
{
    switch (reg) {
    case kGxBpZMode: return (s.zCompare ? 1u : 0u) | (static_cast<uint32_t>(s.zFunc) << 1) | (s.zUpdate ? 16u : 0u);
    case kGxBpBlendMode: {
        const bool blend = s.blendMode == GX_BM_BLEND || s.blendMode == GX_BM_SUBTRACT;
        return (blend ? 1u : 0u) | (s.blendMode == GX_BM_LOGIC ? 2u : 0u) | (s.dither ? 4u : 0u) |
               (s.colorUpdate ? 8u : 0u) | (s.alphaUpdate ? 16u : 0u) | (static_cast<uint32_t>(s.blendDst) << 5) |
               (static_cast<uint32_t>(s.blendSrc) << 8) | (s.blendMode == GX_BM_SUBTRACT ? 0x800u : 0u) |
               (static_cast<uint32_t>(s.logicOp) << 12);
    }
    default:  // alpha compare
        return s.alphaRef0 | (s.alphaRef1 << 8) | (static_cast<uint32_t>(s.alphaComp0) << 16) |
               (static_cast<uint32_t>(s.alphaComp1) << 19) | (static_cast<uint32_t>(s.alphaOp) << 22);
    }
}

}  // namespace

void gxUnpackVat(uint32_t a, uint32_t b, uint32_t c, gxVtxFmt& fmt)
{
    gxVtxAttrFmt* f = fmt.attr;
    f[GX_VA_POS] = {static_cast<GXCompCnt>(Bits(a, 0, 1)), static_cast<GXCompType>(Bits(a, 1, 3)),
                    static_cast<uint8_t>(Bits(a, 4, 5))};
    // The normal's count bit says NBT; bit 31 makes it three-indexed.
    GXCompCnt nrmCnt = static_cast<GXCompCnt>(Bits(a, 9, 1));
    if (nrmCnt == GX_NRM_NBT && Bits(a, 31, 1))
        nrmCnt = GX_NRM_NBT3;
    f[GX_VA_NRM] = {nrmCnt, static_cast<GXCompType>(Bits(a, 10, 3)), 0};
    f[GX_VA_CLR0] = {static_cast<GXCompCnt>(Bits(a, 13, 1)), static_cast<GXCompType>(Bits(a, 14, 3)), 0};
    f[GX_VA_CLR1] = {static_cast<GXCompCnt>(Bits(a, 17, 1)), static_cast<GXCompType>(Bits(a, 18, 3)), 0};
    f[GX_VA_TEX0] = {static_cast<GXCompCnt>(Bits(a, 21, 1)), static_cast<GXCompType>(Bits(a, 22, 3)),
                     static_cast<uint8_t>(Bits(a, 25, 5))};
    UnpackTex9(Bits(b, 0, 9), f[GX_VA_TEX1]);
    UnpackTex9(Bits(b, 9, 9), f[GX_VA_TEX2]);
    UnpackTex9(Bits(b, 18, 9), f[GX_VA_TEX3]);
    f[GX_VA_TEX4] = {static_cast<GXCompCnt>(Bits(b, 27, 1)), static_cast<GXCompType>(Bits(b, 28, 3)),
                     static_cast<uint8_t>(Bits(c, 0, 5))};
    UnpackTex9(Bits(c, 5, 9), f[GX_VA_TEX5]);
    UnpackTex9(Bits(c, 14, 9), f[GX_VA_TEX6]);
    UnpackTex9(Bits(c, 23, 9), f[GX_VA_TEX7]);
}

void gxPackVat(const gxVtxFmt& fmt, uint32_t* a, uint32_t* b, uint32_t* c)
{
    const gxVtxAttrFmt* f = fmt.attr;
    const uint32_t nrmCnt = f[GX_VA_NRM].cnt == GX_NRM_XYZ ? 0 : 1;
    *a = PackTex9(f[GX_VA_POS]) | (nrmCnt << 9) | ((f[GX_VA_NRM].type & 7u) << 10) |
         ((f[GX_VA_CLR0].cnt & 1u) << 13) | ((f[GX_VA_CLR0].type & 7u) << 14) | ((f[GX_VA_CLR1].cnt & 1u) << 17) |
         ((f[GX_VA_CLR1].type & 7u) << 18) | (PackTex9(f[GX_VA_TEX0]) << 21) | (1u << 30) |
         (f[GX_VA_NRM].cnt == GX_NRM_NBT3 ? (1u << 31) : 0u);
    const uint32_t tex4 = PackTex9(f[GX_VA_TEX4]);
    *b = PackTex9(f[GX_VA_TEX1]) | (PackTex9(f[GX_VA_TEX2]) << 9) | (PackTex9(f[GX_VA_TEX3]) << 18) |
         ((tex4 & 15u) << 27) | (1u << 31);
    *c = (tex4 >> 4) | (PackTex9(f[GX_VA_TEX5]) << 5) | (PackTex9(f[GX_VA_TEX6]) << 14) |
         (PackTex9(f[GX_VA_TEX7]) << 23);
}

gxRegResult gxApplyCpRegister(gxState& s, uint8_t reg, uint32_t value)
{
    if (reg == kGxCpMatrixIndexA) { ApplyMatrixIndexA(s, value); return gxRegResult::kApplied; }
    if (reg == kGxCpMatrixIndexB) { ApplyMatrixIndexB(s, value); return gxRegResult::kApplied; }
    if (reg == kGxCpVcdLow) { ApplyVcdLow(s, value); return gxRegResult::kApplied; }
    if (reg == kGxCpVcdHigh) { ApplyVcdHigh(s, value); return gxRegResult::kApplied; }
    const uint8_t unit = reg & 0xF0, n = reg & 0x0F;
    if ((unit == kGxCpVatA || unit == kGxCpVatB || unit == kGxCpVatC) && n < kGxNumVtxFmts) {
        gxVtxFmt& fmt = s.vtxFmt[n];
        uint32_t w[3];
        gxPackVat(fmt, &w[0], &w[1], &w[2]);
        w[(unit - kGxCpVatA) >> 4] = value;
        gxUnpackVat(w[0], w[1], w[2], fmt);
        fmt.setUp = true;
        return gxRegResult::kApplied;
    }
    if (unit == kGxCpArrayBase)
        return gxRegResult::kUnsupported;
    if (unit == kGxCpArrayStride) {
        s.arrays[n].stride = value & 0xFF;
        return gxRegResult::kApplied;
    }
    return gxRegResult::kIgnored;
}

gxRegResult gxApplyXfWord(gxState& s, uint32_t address, uint32_t value)
{
    const float f = AsFloat(value);
    if (address < kGxXfPosTexBase + 4 * kGxPosTexRows) {
        s.posTexMtx[address / 4][address % 4] = f;
    } else if (address >= kGxXfNrmBase && address < kGxXfNrmBase + 3 * kGxNrmRows) {
        const uint32_t o = address - kGxXfNrmBase;
        s.nrmMtx[o / 3][o % 3] = f;
    } else if (address >= kGxXfPostBase && address < kGxXfPostBase + 4 * kGxPostRows) {
        const uint32_t o = address - kGxXfPostBase;
        s.postMtx[o / 4][o % 4] = f;
    } else if (address >= kGxXfLightBase && address < kGxXfLightBase + kGxXfLightWords * kGxNumLights) {
        return ApplyLightWord(s, address - kGxXfLightBase, value);
    } else {
        return ApplyXfRegister(s, address, value);
    }
    return gxRegResult::kApplied;
}

gxRegResult gxApplyBpRegister(gxState& s, uint32_t reg, uint32_t value24)
{
    if (reg == kGxBpWriteMask) {
        s.bpWriteMask = value24 & 0xFFFFFF;
        return gxRegResult::kApplied;
    }
    const uint32_t mask = s.bpWriteMask;
    s.bpWriteMask = 0xFFFFFF;  // the mask holds for one write only
    if (reg != kGxBpZMode && reg != kGxBpBlendMode && reg != kGxBpAlphaCompare)
        return gxRegResult::kIgnored;
    const uint32_t v = (EncodeBp(s, reg) & ~mask) | (value24 & mask);
    if (reg == kGxBpZMode) {
        s.zCompare = v & 1;
        s.zFunc = static_cast<GXCompare>(Bits(v, 1, 3));
        s.zUpdate = Bits(v, 4, 1);
    } else if (reg == kGxBpBlendMode) {
        s.blendMode = Bits(v, 11, 1) && (v & 1) ? GX_BM_SUBTRACT
                      : (v & 1)                 ? GX_BM_BLEND
                      : (v & 2)                 ? GX_BM_LOGIC
                                                : GX_BM_NONE;
        s.dither = Bits(v, 2, 1);
        s.colorUpdate = Bits(v, 3, 1);
        s.alphaUpdate = Bits(v, 4, 1);
        s.blendDst = static_cast<GXBlendFactor>(Bits(v, 5, 3));
        s.blendSrc = static_cast<GXBlendFactor>(Bits(v, 8, 3));
        s.logicOp = static_cast<GXLogicOp>(Bits(v, 12, 4));
    } else {
        s.alphaRef0 = static_cast<uint8_t>(Bits(v, 0, 8));
        s.alphaRef1 = static_cast<uint8_t>(Bits(v, 8, 8));
        s.alphaComp0 = static_cast<GXCompare>(Bits(v, 16, 3));
        s.alphaComp1 = static_cast<GXCompare>(Bits(v, 19, 3));
        s.alphaOp = static_cast<GXAlphaOp>(Bits(v, 22, 2));
    }
    return gxRegResult::kApplied;
}
