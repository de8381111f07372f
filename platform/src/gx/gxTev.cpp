// Texture combiner (TEV) calls: state only.

#include "gx/gxFront_local.h"

namespace {

bool StageValid(GXTevStageID stage, const char* call)
{
    if (static_cast<unsigned>(stage) < kGxNumTevStages)
        return true;
    gxLog("%s: stage %d outside 0..15; ignored", call, stage);
    return false;
}

void SetInputs(gxTevCombiner& c, int a, int b, int cc, int d)
{
    c.in[0] = static_cast<uint8_t>(a);
    c.in[1] = static_cast<uint8_t>(b);
    c.in[2] = static_cast<uint8_t>(cc);
    c.in[3] = static_cast<uint8_t>(d);
}

bool OpValid(GXTevOp op, GXTevBias bias, GXTevScale scale, GXTevRegID reg)
{
    const bool opOk = op == GX_TEV_ADD || op == GX_TEV_SUB || (op >= GX_TEV_COMP_R8_GT && op <= GX_TEV_COMP_RGB8_EQ);
    return opOk && bias <= GX_TB_SUBHALF && scale <= GX_CS_DIVIDE_2 && reg <= GX_TEVREG2;
}

void SetOp(gxTevCombiner& c, GXTevOp op, GXTevBias bias, GXTevScale scale, GXBool clamp, GXTevRegID reg)
{
    c.op = op;
    c.bias = bias;
    c.scale = scale;
    c.clamp = clamp != 0;
    c.outReg = reg;
}

// A plain 8-bit colour widened to the 11-bit signed register.
GXColorS10 Widen(GXColor c) { return {c.r, c.g, c.b, c.a}; }

int16_t ClampS10(int16_t v) { return v < -1024 ? -1024 : (v > 1023 ? 1023 : v); }

}  // namespace

void GXSetNumTevStages(uint8_t count)
{
    if (count < 1 || count > kGxNumTevStages) {
        gxLog("GXSetNumTevStages: %u stages, allowed 1..16; clamped", count);
        count = count < 1 ? 1 : kGxNumTevStages;
    }
    gxMut().numTevStages = count;
}

void GXSetTevOp(GXTevStageID stage, GXTevMode mode)
{
    if (!StageValid(stage, "GXSetTevOp"))
        return;
    if (mode > GX_PASSCLR) {
        gxLog("GXSetTevOp: mode %d outside 0..4; ignored", mode);
        return;
    }
    // The rasterised colour at stage 0, the previous stage's result later.
    const int rc = (stage == GX_TEVSTAGE0) ? GX_CC_RASC : GX_CC_CPREV;
    const int ra = (stage == GX_TEVSTAGE0) ? GX_CA_RASA : GX_CA_APREV;
    gxTevStage& st = gxMut().tevStages[stage];
    switch (mode) {
    case GX_MODULATE:
        SetInputs(st.color, GX_CC_ZERO, GX_CC_TEXC, rc, GX_CC_ZERO);
        SetInputs(st.alpha, GX_CA_ZERO, GX_CA_TEXA, ra, GX_CA_ZERO);
        break;
    case GX_DECAL:
        SetInputs(st.color, rc, GX_CC_TEXC, GX_CC_TEXA, GX_CC_ZERO);
        SetInputs(st.alpha, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, ra);
        break;
    case GX_BLEND:
        SetInputs(st.color, rc, GX_CC_ONE, GX_CC_TEXC, GX_CC_ZERO);
        SetInputs(st.alpha, GX_CA_ZERO, GX_CA_TEXA, ra, GX_CA_ZERO);
        break;
    case GX_REPLACE:
        SetInputs(st.color, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO, GX_CC_TEXC);
        SetInputs(st.alpha, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_TEXA);
        break;
    case GX_PASSCLR:
        SetInputs(st.color, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO, rc);
        SetInputs(st.alpha, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, ra);
        break;
    }
    SetOp(st.color, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    SetOp(st.alpha, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
}

void GXSetTevColorIn(GXTevStageID stage, GXTevColorArg a, GXTevColorArg b, GXTevColorArg c, GXTevColorArg d)
{
    if (!StageValid(stage, "GXSetTevColorIn"))
        return;
    if ((a | b | c | d) & ~15) {
        gxLog("GXSetTevColorIn: inputs %d %d %d %d outside 0..15; ignored", a, b, c, d);
        return;
    }
    SetInputs(gxMut().tevStages[stage].color, a, b, c, d);
}

void GXSetTevAlphaIn(GXTevStageID stage, GXTevAlphaArg a, GXTevAlphaArg b, GXTevAlphaArg c, GXTevAlphaArg d)
{
    if (!StageValid(stage, "GXSetTevAlphaIn"))
        return;
    if ((a | b | c | d) & ~7) {
        gxLog("GXSetTevAlphaIn: inputs %d %d %d %d outside 0..7; ignored", a, b, c, d);
        return;
    }
    SetInputs(gxMut().tevStages[stage].alpha, a, b, c, d);
}

void GXSetTevColorOp(GXTevStageID stage, GXTevOp op, GXTevBias bias, GXTevScale scale, GXBool clamp,
                     GXTevRegID outReg)
{
    if (!StageValid(stage, "GXSetTevColorOp"))
        return;
    if (!OpValid(op, bias, scale, outReg)) {
        gxLog("GXSetTevColorOp: op %d bias %d scale %d register %d outside the hardware's; ignored", op, bias, scale,
              outReg);
        return;
    }
    SetOp(gxMut().tevStages[stage].color, op, bias, scale, clamp, outReg);
}

void GXSetTevAlphaOp(GXTevStageID stage, GXTevOp op, GXTevBias bias, GXTevScale scale, GXBool clamp,
                     GXTevRegID outReg)
{
    if (!StageValid(stage, "GXSetTevAlphaOp"))
        return;
    if (!OpValid(op, bias, scale, outReg)) {
        gxLog("GXSetTevAlphaOp: op %d bias %d scale %d register %d outside the hardware's; ignored", op, bias, scale,
              outReg);
        return;
    }
    SetOp(gxMut().tevStages[stage].alpha, op, bias, scale, clamp, outReg);
}

void GXSetTevColor(GXTevRegID id, GXColor color)
{
    if (id > GX_TEVREG2) {
        gxLog("GXSetTevColor: register %d outside 0..3; ignored", id);
        return;
    }
    gxMut().tevRegs[id] = Widen(color);
}

void GXSetTevColorS10(GXTevRegID id, GXColorS10 color)
{
    if (id > GX_TEVREG2) {
        gxLog("GXSetTevColorS10: register %d outside 0..3; ignored", id);
        return;
    }
    gxMut().tevRegs[id] = {ClampS10(color.r), ClampS10(color.g), ClampS10(color.b), ClampS10(color.a)};
}

void GXSetTevKColor(GXTevKColorID id, GXColor color)
{
    if (id > GX_KCOLOR3) {
        gxLog("GXSetTevKColor: konst %d outside 0..3; ignored", id);
        return;
    }
    gxMut().kColors[id] = color;
}

void GXSetTevKColorSel(GXTevStageID stage, GXTevKColorSel sel)
{
    if (StageValid(stage, "GXSetTevKColorSel"))
        gxMut().tevStages[stage].kcsel = static_cast<GXTevKColorSel>(sel & 31);
}

void GXSetTevKAlphaSel(GXTevStageID stage, GXTevKAlphaSel sel)
{
    if (StageValid(stage, "GXSetTevKAlphaSel"))
        gxMut().tevStages[stage].kasel = static_cast<GXTevKAlphaSel>(sel & 31);
}

void GXSetTevOrder(GXTevStageID stage, GXTexCoordID coord, uint32_t map, GXChannelID color)
{
    if (!StageValid(stage, "GXSetTevOrder"))
        return;
    gxTevStage& st = gxMut().tevStages[stage];
    st.texCoord = (static_cast<unsigned>(coord) < kGxNumTexCoords) ? coord : GX_TEXCOORD_NULL;
    const uint32_t mapId = map & ~static_cast<uint32_t>(GX_TEX_DISABLE);
    st.texMap = (mapId < kGxNumTexMaps) ? map : static_cast<uint32_t>(GX_TEXMAP_NULL);
    st.channel = color;
}

void GXSetTevSwapMode(GXTevStageID stage, GXTevSwapSel rasSel, GXTevSwapSel texSel)
{
    if (!StageValid(stage, "GXSetTevSwapMode"))
        return;
    gxTevStage& st = gxMut().tevStages[stage];
    st.rasSwap = static_cast<GXTevSwapSel>(rasSel & 3);
    st.texSwap = static_cast<GXTevSwapSel>(texSel & 3);
}

void GXSetTevSwapModeTable(GXTevSwapSel table, GXTevColorChan red, GXTevColorChan green, GXTevColorChan blue,
                           GXTevColorChan alpha)
{
    if (table > GX_TEV_SWAP3) {
        gxLog("GXSetTevSwapModeTable: table %d outside 0..3; ignored", table);
        return;
    }
    uint8_t* t = gxMut().swapTables[table];
    t[0] = red & 3;
    t[1] = green & 3;
    t[2] = blue & 3;
    t[3] = alpha & 3;
}

void GXSetNumIndStages(uint8_t count) { gxMut().numIndStages = count & 7; }

void GXSetTevDirect(GXTevStageID) {}
