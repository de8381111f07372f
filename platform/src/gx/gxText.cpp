// Text of every graphics-library enum value, expanded from the lists in gx.h,
// and the attribute-to-array mapping.

#include "platform/gx.h"

#define QM_GX_TEXT_CASE(name, value, note) \
    case value:                         \
        return #name;

const char* GXAttrText(int value)
{
    switch (value) {
        GX_ATTR_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXAttrTypeText(int value)
{
    switch (value) {
        GX_ATTR_TYPE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXCompCntText(int value)
{
    switch (value) {
        GX_COMP_CNT_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXCompTypeText(int value)
{
    switch (value) {
        GX_COMP_TYPE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXVtxFmtText(int value)
{
    switch (value) {
        GX_VTX_FMT_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXPrimitiveText(int value)
{
    switch (value) {
        GX_PRIMITIVE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXPosNrmMtxText(int value)
{
    switch (value) {
        GX_POS_NRM_MTX_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTexMtxText(int value)
{
    switch (value) {
        GX_TEX_MTX_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXPTTexMtxText(int value)
{
    switch (value) {
        GX_PT_TEX_MTX_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTexMtxTypeText(int value)
{
    switch (value) {
        GX_TEX_MTX_TYPE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXProjectionTypeText(int value)
{
    switch (value) {
        GX_PROJECTION_TYPE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTexGenTypeText(int value)
{
    switch (value) {
        GX_TEX_GEN_TYPE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTexGenSrcText(int value)
{
    switch (value) {
        GX_TEX_GEN_SRC_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTexCoordIDText(int value)
{
    switch (value) {
        GX_TEX_COORD_ID_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTexMapIDText(int value)
{
    switch (value) {
        GX_TEX_MAP_ID_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXChannelIDText(int value)
{
    switch (value) {
        GX_CHANNEL_ID_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXColorSrcText(int value)
{
    switch (value) {
        GX_COLOR_SRC_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXDiffuseFnText(int value)
{
    switch (value) {
        GX_DIFFUSE_FN_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXAttnFnText(int value)
{
    switch (value) {
        GX_ATTN_FN_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXLightIDText(int value)
{
    switch (value) {
        GX_LIGHT_ID_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXSpotFnText(int value)
{
    switch (value) {
        GX_SPOT_FN_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXDistAttnFnText(int value)
{
    switch (value) {
        GX_DIST_ATTN_FN_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevStageIDText(int value)
{
    switch (value) {
        GX_TEV_STAGE_ID_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevColorArgText(int value)
{
    switch (value) {
        GX_TEV_COLOR_ARG_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevAlphaArgText(int value)
{
    switch (value) {
        GX_TEV_ALPHA_ARG_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevOpText(int value)
{
    switch (value) {
        GX_TEV_OP_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevBiasText(int value)
{
    switch (value) {
        GX_TEV_BIAS_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevScaleText(int value)
{
    switch (value) {
        GX_TEV_SCALE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevRegIDText(int value)
{
    switch (value) {
        GX_TEV_REG_ID_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevModeText(int value)
{
    switch (value) {
        GX_TEV_MODE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevKColorIDText(int value)
{
    switch (value) {
        GX_TEV_KCOLOR_ID_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevKColorSelText(int value)
{
    switch (value) {
        GX_TEV_KCOLOR_SEL_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevKAlphaSelText(int value)
{
    switch (value) {
        GX_TEV_KALPHA_SEL_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevSwapSelText(int value)
{
    switch (value) {
        GX_TEV_SWAP_SEL_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTevColorChanText(int value)
{
    switch (value) {
        GX_TEV_COLOR_CHAN_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXCompareText(int value)
{
    switch (value) {
        GX_COMPARE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXAlphaOpText(int value)
{
    switch (value) {
        GX_ALPHA_OP_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXBlendModeText(int value)
{
    switch (value) {
        GX_BLEND_MODE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXBlendFactorText(int value)
{
    switch (value) {
        GX_BLEND_FACTOR_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXLogicOpText(int value)
{
    switch (value) {
        GX_LOGIC_OP_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXCullModeText(int value)
{
    switch (value) {
        GX_CULL_MODE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXFogTypeText(int value)
{
    switch (value) {
        GX_FOG_TYPE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTexFmtText(int value)
{
    switch (value) {
        GX_TEX_FMT_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTlutFmtText(int value)
{
    switch (value) {
        GX_TLUT_FMT_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTlutText(int value)
{
    switch (value) {
        GX_TLUT_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTexWrapModeText(int value)
{
    switch (value) {
        GX_TEX_WRAP_MODE_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXTexFilterText(int value)
{
    switch (value) {
        GX_TEX_FILTER_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXAnisotropyText(int value)
{
    switch (value) {
        GX_ANISOTROPY_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXPixelFmtText(int value)
{
    switch (value) {
        GX_PIXEL_FMT_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXZFmt16Text(int value)
{
    switch (value) {
        GX_ZFMT16_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

const char* GXGammaText(int value)
{
    switch (value) {
        GX_GAMMA_LIST(QM_GX_TEXT_CASE)
    default:
        return "???";
    }
}

int GXAttrArrayIndex(GXAttr attr)
{
    if (attr == GX_VA_NBT)
        return GX_VA_NRM - GX_VA_POS;  // binormal and tangent live in the normal array
    if (attr >= GX_VA_POS && attr <= GX_LIGHT_ARRAY)
        return attr - GX_VA_POS;
    return -1;
}
