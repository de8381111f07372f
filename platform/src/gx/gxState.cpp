// Start-up defaults of the front-end state and the two video render modes.

#include "gx/gxState.h"

#include <cstring>

namespace {

void SetIdentityRows(float (*rows)[4])
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            rows[r][c] = (r == c) ? 1.0f : 0.0f;
}

void ResetVertexState(gxState& s)
{
    for (GXAttrType& t : s.vtxDesc)
        t = GX_NONE;
    for (gxVtxFmt& fmt : s.vtxFmt) {
        // The library's defaults: three-component floats, RGBA8 colours,
        // two-component float coordinates. A format still counts as not set
        // up until the program configures it.
        for (gxVtxAttrFmt& a : fmt.attr)
            a = {GX_POS_XYZ, GX_F32, 0};
        fmt.attr[GX_VA_CLR0] = {GX_CLR_RGBA, GX_RGBA8, 0};
        fmt.attr[GX_VA_CLR1] = {GX_CLR_RGBA, GX_RGBA8, 0};
        for (int t = GX_VA_TEX0; t <= GX_VA_TEX7; ++t)
            fmt.attr[t] = {GX_TEX_ST, GX_F32, 0};
        fmt.setUp = false;
    }
    for (gxArray& a : s.arrays)
        a = gxArray{};
}

void ResetMatrices(gxState& s)
{
    std::memset(s.posTexMtx, 0, sizeof(s.posTexMtx));
    std::memset(s.nrmMtx, 0, sizeof(s.nrmMtx));
    std::memset(s.postMtx, 0, sizeof(s.postMtx));
    SetIdentityRows(&s.posTexMtx[GX_PNMTX0]);
    SetIdentityRows(&s.posTexMtx[GX_IDENTITY]);
    SetIdentityRows(&s.postMtx[GX_PTIDENTITY - kGxPostMtxFirstId]);
    for (int r = 0; r < 3; ++r)
        s.nrmMtx[GX_PNMTX0 + r][r] = 1.0f;
    s.currentPnMtx = GX_PNMTX0;
    for (uint32_t& m : s.currentTexMtx)
        m = GX_IDENTITY;
    // Orthographic identity until the program sets a projection.
    const float proj[6] = {1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f};
    std::memcpy(s.projection, proj, sizeof(proj));
    s.projectionType = GX_ORTHOGRAPHIC;
}

void ResetTev(gxState& s)
{
    s.numTevStages = 1;
    for (int i = 0; i < kGxNumTevStages; ++i) {
        gxTevStage& st = s.tevStages[i];
        st = gxTevStage{};
        // Pass the rasterised colour through (stage 0) or the previous stage.
        const uint8_t c = (i == 0) ? GX_CC_RASC : GX_CC_CPREV;
        const uint8_t a = (i == 0) ? GX_CA_RASA : GX_CA_APREV;
        st.color.in[0] = GX_CC_ZERO; st.color.in[1] = GX_CC_ZERO; st.color.in[2] = GX_CC_ZERO; st.color.in[3] = c;
        st.alpha.in[0] = GX_CA_ZERO; st.alpha.in[1] = GX_CA_ZERO; st.alpha.in[2] = GX_CA_ZERO; st.alpha.in[3] = a;
        st.texCoord = (i < kGxNumTexCoords) ? static_cast<GXTexCoordID>(i) : GX_TEXCOORD_NULL;
        st.texMap = (i < kGxNumTexMaps) ? static_cast<uint32_t>(i) : static_cast<uint32_t>(GX_TEXMAP_NULL);
        st.channel = GX_COLOR0A0;
    }
    // Table 0 identity; tables 1-3 broadcast red, green, blue with alpha kept.
    const uint8_t tables[4][4] = {{0, 1, 2, 3}, {0, 0, 0, 3}, {1, 1, 1, 3}, {2, 2, 2, 3}};
    std::memcpy(s.swapTables, tables, sizeof(tables));
    for (GXColorS10& r : s.tevRegs)
        r = {0, 0, 0, 0};
    for (GXColor& k : s.kColors)
        k = {0, 0, 0, 0};
    s.numIndStages = 0;
}

}  // namespace

void gxStateReset(gxState& s)
{
    s = gxState{};
    ResetVertexState(s);
    ResetMatrices(s);
    s.viewport = gxViewport{};
    s.scissor = {0, 0, 640, 480};
    s.numTexGens = 1;
    for (int i = 0; i < kGxNumTexCoords; ++i)
        s.texGens[i] = {GX_TG_MTX2x4, static_cast<GXTexGenSrc>(GX_TG_TEX0 + i), GX_IDENTITY, false, GX_PTIDENTITY};
    s.numChans = 1;
    for (gxChanCtrl& c : s.chanCtrl)
        c = {false, GX_SRC_REG, GX_SRC_VTX, 0, GX_DF_NONE, GX_AF_NONE};
    ResetTev(s);
    s.blendMode = GX_BM_BLEND;
    s.blendSrc = GX_BL_SRCALPHA;
    s.blendDst = GX_BL_INVSRCALPHA;
    s.logicOp = GX_LO_CLEAR;
    s.cullMode = GX_CULL_BACK;
}

// Values of the two NTSC 480-line modes (assumed: the library's tables).
GXRenderModeObj GXNtsc480IntDf = {
    0, 640, 480, 480, 40, 0, 640, 480, 1, 0, 0,
    {{6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}},
    {7, 7, 12, 12, 12, 7, 7},
};

GXRenderModeObj GXNtsc480Prog = {
    2, 640, 480, 480, 40, 0, 640, 480, 0, 0, 0,
    {{6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}, {6, 6}},
    {0, 0, 21, 22, 21, 0, 0},
};
