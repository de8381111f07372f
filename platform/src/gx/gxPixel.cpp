// Fog, pixel tests, blending and frame-buffer copy settings: state only.

#include "gx/gxFront_local.h"

#include <cmath>
#include <cstring>

void GXSetFog(GXFogType type, float startZ, float endZ, float nearZ, float farZ, GXColor color)
{
    if (std::strcmp(GXFogTypeText(type), "???") == 0) {
        gxLog("GXSetFog: type %d is not a fog type; fog off", type);
        type = GX_FOG_NONE;
    }
    gxMut().fog = {type, startZ, endZ, nearZ, farZ, color};
}

void GXSetBlendMode(GXBlendMode type, GXBlendFactor srcFactor, GXBlendFactor dstFactor, GXLogicOp op)
{
    if (type > GX_BM_SUBTRACT || srcFactor > GX_BL_INVDSTALPHA || dstFactor > GX_BL_INVDSTALPHA || op > GX_LO_SET) {
        gxLog("GXSetBlendMode: type %d factors %d %d logic %d outside the hardware's; ignored", type, srcFactor,
              dstFactor, op);
        return;
    }
    gxState& s = gxMut();
    s.blendMode = type;
    s.blendSrc = srcFactor;
    s.blendDst = dstFactor;
    s.logicOp = op;
}

void GXSetAlphaCompare(GXCompare comp0, uint8_t ref0, GXAlphaOp op, GXCompare comp1, uint8_t ref1)
{
    if (comp0 > GX_ALWAYS || comp1 > GX_ALWAYS || op > GX_AOP_XNOR) {
        gxLog("GXSetAlphaCompare: functions %d %d op %d outside the hardware's; ignored", comp0, comp1, op);
        return;
    }
    gxState& s = gxMut();
    s.alphaComp0 = comp0;
    s.alphaRef0 = ref0;
    s.alphaOp = op;
    s.alphaComp1 = comp1;
    s.alphaRef1 = ref1;
}

void GXSetZMode(GXBool compareEnable, GXCompare func, GXBool updateEnable)
{
    if (func > GX_ALWAYS) {
        gxLog("GXSetZMode: function %d outside 0..7; ignored", func);
        return;
    }
    gxState& s = gxMut();
    s.zCompare = compareEnable != 0;
    s.zFunc = func;
    s.zUpdate = updateEnable != 0;
}

void GXSetZCompLoc(GXBool beforeTex) { gxMut().zCompBeforeTex = beforeTex != 0; }

void GXSetCullMode(GXCullMode mode)
{
    if (mode > GX_CULL_ALL) {
        gxLog("GXSetCullMode: mode %d outside 0..3; ignored", mode);
        return;
    }
    gxMut().cullMode = mode;
}

void GXSetColorUpdate(GXBool updateEnable) { gxMut().colorUpdate = updateEnable != 0; }
void GXSetAlphaUpdate(GXBool updateEnable) { gxMut().alphaUpdate = updateEnable != 0; }

void GXSetDstAlpha(GXBool enable, uint8_t alpha)
{
    gxState& s = gxMut();
    s.dstAlphaEnable = enable != 0;
    s.dstAlpha = alpha;
}

void GXSetDither(GXBool dither) { gxMut().dither = dither != 0; }

void GXSetCopyClear(GXColor clearColor, uint32_t clearZ)
{
    gxState& s = gxMut();
    s.copy.clearColor = clearColor;
    s.copy.clearZ = clearZ & 0xFFFFFF;
}

void GXSetDispCopySrc(uint16_t left, uint16_t top, uint16_t wd, uint16_t ht)
{
    gxMut().copy.dispSrc = {left, top, wd, ht};
}

void GXSetDispCopyDst(uint16_t wd, uint16_t ht)
{
    gxState& s = gxMut();
    s.copy.dispDstWd = wd;
    s.copy.dispDstHt = ht;
}

float GXGetYScaleFactor(uint16_t efbHeight, uint16_t xfbHeight)
{
    if (efbHeight == 0)
        return 1.0f;
    return static_cast<float>(xfbHeight) / static_cast<float>(efbHeight);
}

uint32_t GXSetDispCopyYScale(float vscale)
{
    if (!(vscale > 0.0f)) {
        gxLog("GXSetDispCopyYScale: scale %g is not positive; 1.0 used", vscale);
        vscale = 1.0f;
    }
    gxState& s = gxMut();
    s.copy.dispYScale = vscale;
    const uint32_t lines = static_cast<uint32_t>(static_cast<float>(s.copy.dispSrc.ht) * vscale);
    return lines ? lines : 1;
}

void GXSetDispCopyGamma(GXGamma gamma)
{
    gxMut().copy.dispGamma = (gamma <= GX_GM_2_2) ? gamma : GX_GM_1_0;
}

void GXSetCopyFilter(GXBool aa, const uint8_t samplePattern[12][2], GXBool vf, const uint8_t vfilter[7])
{
    gxCopyState& c = gxMut().copy;
    c.aa = aa;
    if (samplePattern)
        std::memcpy(c.samplePattern, samplePattern, sizeof(c.samplePattern));
    c.vfEnable = vf;
    if (vfilter)
        std::memcpy(c.vfilter, vfilter, sizeof(c.vfilter));
}

void GXSetPixelFmt(GXPixelFmt pixFmt, GXZFmt16 zFmt)
{
    gxCopyState& c = gxMut().copy;
    c.pixelFmt = pixFmt;
    c.zFmt = zFmt;
}

void GXSetFieldMode(GXBool fieldMode, GXBool halfAspectRatio)
{
    gxCopyState& c = gxMut().copy;
    c.fieldMode = fieldMode;
    c.halfAspect = halfAspectRatio;
}

void GXSetTexCopySrc(uint16_t left, uint16_t top, uint16_t wd, uint16_t ht)
{
    gxMut().copy.texSrc = {left, top, wd, ht};
}

void GXSetTexCopyDst(uint16_t wd, uint16_t ht, GXTexFmt fmt, GXBool mipmap)
{
    gxCopyState& c = gxMut().copy;
    c.texDstWd = wd;
    c.texDstHt = ht;
    c.texDstFmt = fmt;
    c.texDstMipmap = mipmap;
}
