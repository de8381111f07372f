// Lighting channels and light objects.

#include "gx/gxFront_local.h"

#include <cmath>

void GXSetNumChans(uint8_t count)
{
    if (count > 2) {
        gxLog("GXSetNumChans: %u channels, at most 2; clamped", count);
        count = 2;
    }
    gxMut().numChans = count;
}

void GXSetChanCtrl(GXChannelID chan, GXBool enable, GXColorSrc ambSrc, GXColorSrc matSrc, uint32_t lightMask,
                   GXDiffuseFn diffFn, GXAttnFn attnFn)
{
    if (chan > GX_COLOR1A1) {
        gxLog("GXSetChanCtrl: channel %d (%s) has no control; ignored", chan, GXChannelIDText(chan));
        return;
    }
    const gxChanCtrl ctrl = {enable != 0, ambSrc, matSrc, lightMask & 0xFF, diffFn, attnFn};
    gxState& s = gxMut();
    // COLORnAn sets the colour and the alpha channel alike.
    if (chan == GX_COLOR0A0 || chan == GX_COLOR1A1) {
        const int n = chan - GX_COLOR0A0;
        s.chanCtrl[GX_COLOR0 + n] = ctrl;
        s.chanCtrl[GX_ALPHA0 + n] = ctrl;
    } else {
        s.chanCtrl[chan] = ctrl;
    }
}

namespace {

// COLORn writes rgb, ALPHAn alpha, COLORnAn all four.
void SetChanColor(GXColor* regs, GXChannelID chan, GXColor color, const char* call)
{
    int n;
    bool rgb, alpha;
    switch (chan) {
    case GX_COLOR0: case GX_COLOR1: n = chan - GX_COLOR0; rgb = true; alpha = false; break;
    case GX_ALPHA0: case GX_ALPHA1: n = chan - GX_ALPHA0; rgb = false; alpha = true; break;
    case GX_COLOR0A0: case GX_COLOR1A1: n = chan - GX_COLOR0A0; rgb = true; alpha = true; break;
    default:
        gxLog("%s: channel %d (%s) has no colour register; ignored", call, chan, GXChannelIDText(chan));
        return;
    }
    if (rgb) {
        regs[n].r = color.r;
        regs[n].g = color.g;
        regs[n].b = color.b;
    }
    if (alpha)
        regs[n].a = color.a;
}

}  // namespace

void GXSetChanAmbColor(GXChannelID chan, GXColor color)
{
    SetChanColor(gxMut().ambColor, chan, color, "GXSetChanAmbColor");
}

void GXSetChanMatColor(GXChannelID chan, GXColor color)
{
    SetChanColor(gxMut().matColor, chan, color, "GXSetChanMatColor");
}

void GXInitLightPos(GXLightObj* light, float x, float y, float z)
{
    light->pos[0] = x;
    light->pos[1] = y;
    light->pos[2] = z;
}

void GXInitLightDir(GXLightObj* light, float nx, float ny, float nz)
{
    // The hardware's direction points from the surface towards the light.
    light->dir[0] = -nx;
    light->dir[1] = -ny;
    light->dir[2] = -nz;
}

void GXInitLightColor(GXLightObj* light, GXColor color) { light->color = color; }

void GXInitLightAttn(GXLightObj* light, float a0, float a1, float a2, float k0, float k1, float k2)
{
    GXInitLightAttnA(light, a0, a1, a2);
    GXInitLightAttnK(light, k0, k1, k2);
}

void GXInitLightAttnA(GXLightObj* light, float a0, float a1, float a2)
{
    light->a[0] = a0;
    light->a[1] = a1;
    light->a[2] = a2;
}

void GXInitLightAttnK(GXLightObj* light, float k0, float k1, float k2)
{
    light->k[0] = k0;
    light->k[1] = k1;
    light->k[2] = k2;
}

void GXInitLightSpot(GXLightObj* light, float cutoffDeg, GXSpotFn fn)
{
    if (cutoffDeg <= 0.0f || cutoffDeg > 90.0f)
        fn = GX_SP_OFF;
    const float cr = std::cos(cutoffDeg * 3.14159265358979f / 180.0f);
    const float d = (1.0f - cr) * (1.0f - cr);
    float a0 = 1.0f, a1 = 0.0f, a2 = 0.0f;
    switch (fn) {
    case GX_SP_FLAT: a0 = -1000.0f * cr; a1 = 1000.0f; break;
    case GX_SP_COS: a0 = -cr / (1.0f - cr); a1 = 1.0f / (1.0f - cr); break;
    case GX_SP_COS2: a0 = 0.0f; a1 = -cr / (1.0f - cr); a2 = 1.0f / (1.0f - cr); break;
    case GX_SP_SHARP: a0 = cr * (cr - 2.0f) / d; a1 = 2.0f / d; a2 = -1.0f / d; break;
    case GX_SP_RING1: a0 = -4.0f * cr / d; a1 = 4.0f * (1.0f + cr) / d; a2 = -4.0f / d; break;
    case GX_SP_RING2: a0 = 1.0f - 2.0f * cr * cr / d; a1 = 4.0f * cr / d; a2 = -2.0f / d; break;
    default: break;
    }
    GXInitLightAttnA(light, a0, a1, a2);
}

void GXInitLightDistAttn(GXLightObj* light, float refDistance, float refBrightness, GXDistAttnFn fn)
{
    if (refDistance < 0.0f || refBrightness <= 0.0f || refBrightness >= 1.0f)
        fn = GX_DA_OFF;
    const float b = refBrightness, r = refDistance;
    float k0 = 1.0f, k1 = 0.0f, k2 = 0.0f;
    switch (fn) {
    case GX_DA_GENTLE: k1 = (1.0f - b) / (b * r); break;
    case GX_DA_MEDIUM: k1 = 0.5f * (1.0f - b) / (b * r); k2 = 0.5f * (1.0f - b) / (b * r * r); break;
    case GX_DA_STEEP: k2 = (1.0f - b) / (b * r * r); break;
    default: break;
    }
    GXInitLightAttnK(light, k0, k1, k2);
}

void GXLoadLightObjImm(const GXLightObj* light, GXLightID id)
{
    const int n = gxLightIndex(id);
    if (n < 0 || (id & (id - 1)) != 0) {
        gxLog("GXLoadLightObjImm: light id 0x%x is not one light bit; ignored", id);
        return;
    }
    gxMut().lights[n] = *light;
}
