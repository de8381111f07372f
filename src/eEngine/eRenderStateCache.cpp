#include "eEngine/eRenderStateCache.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "platform/gx.h"
#include "platform/gxlist.h"

namespace {

constexpr uintptr_t kItemDefaults[RS_COUNT] = {
#define QM_RS_DEFAULT(name, def) def,
    QM_RENDER_STATE_ITEMS(QM_RS_DEFAULT)
#undef QM_RS_DEFAULT
};

constexpr const char* kItemNames[RS_COUNT] = {
#define QM_RS_NAME(name, def) #name,
    QM_RENDER_STATE_ITEMS(QM_RS_NAME)
#undef QM_RS_NAME
};

constexpr const char* kGroupNames[SG_STAGE_FIRST] = {
    "Z_MODE",       "Z_COMP_LOC",     "BLEND_MODE",  "ALPHA_COMPARE", "CULL_MODE",   "ALPHA_UPDATE",
    "COLOR_UPDATE", "AMBIENT_COLOR",  "MATERIAL_COLOR", "COLOR_CHAN", "ALPHA_CHAN",  "ARRAY_POS",
    "ARRAY_NRM",    "ARRAY_TEX0",     "ARRAY_TEX1",  "ARRAY_TEX2",    "ARRAY_TEX3",  "NUM_TEX_GENS",
    "NUM_TEV_STAGES", "NUM_CHANS",    "TEV_REG1",    "TEV_KCOLOR0",
};
constexpr const char* kStageGroupNames[eRenderStateCache::kNumStages * SR_COUNT] = {
    "TEV_COLOR_IN 0", "TEV_ALPHA_IN 0", "TEV_COLOR_OP 0", "TEV_ALPHA_OP 0", "TEV_ORDER 0",
    "TEV_KCOLOR_SEL 0",
    "TEV_COLOR_IN 1", "TEV_ALPHA_IN 1", "TEV_COLOR_OP 1", "TEV_ALPHA_OP 1", "TEV_ORDER 1",
    "TEV_KCOLOR_SEL 1",
    "TEV_COLOR_IN 2", "TEV_ALPHA_IN 2", "TEV_COLOR_OP 2", "TEV_ALPHA_OP 2", "TEV_ORDER 2",
    "TEV_KCOLOR_SEL 2",
    "TEV_COLOR_IN 3", "TEV_ALPHA_IN 3", "TEV_COLOR_OP 3", "TEV_ALPHA_OP 3", "TEV_ORDER 3",
    "TEV_KCOLOR_SEL 3",
};

// The group each item is sent with.
constexpr uint8_t kItemGroup[RS_COUNT] = {
    SG_Z_MODE, SG_Z_MODE, SG_Z_MODE, SG_Z_COMP_LOC,
    SG_BLEND_MODE, SG_BLEND_MODE, SG_BLEND_MODE,
    SG_ALPHA_UPDATE, SG_COLOR_UPDATE, SG_AMBIENT_COLOR, SG_MATERIAL_COLOR,
    SG_COLOR_CHAN, SG_COLOR_CHAN, SG_COLOR_CHAN, SG_COLOR_CHAN, SG_COLOR_CHAN, SG_COLOR_CHAN,
    SG_ALPHA_CHAN, SG_ALPHA_CHAN, SG_ALPHA_CHAN, SG_ALPHA_CHAN, SG_ALPHA_CHAN, SG_ALPHA_CHAN,
    SG_ALPHA_COMPARE, SG_ALPHA_COMPARE, SG_CULL_MODE,
    SG_NUM_TEV_STAGES, SG_NUM_TEX_GENS, SG_NUM_CHANS,
    SG_ARRAY_POS, SG_ARRAY_NRM, SG_ARRAY_TEX0, SG_ARRAY_TEX1, SG_ARRAY_TEX2, SG_ARRAY_TEX3,
    SG_ARRAY_POS, SG_ARRAY_NRM, SG_ARRAY_TEX0, SG_ARRAY_TEX1, SG_ARRAY_TEX2, SG_ARRAY_TEX3,
    SG_TEV_REG1, SG_TEV_KCOLOR0,
};

constexpr uint64_t kAllGlobalGroups = (uint64_t(1) << SG_STAGE_FIRST) - 1;
// What Reset puts back in every stage: the colour and alpha inputs and
// operations and the konst selection; not the orders.
constexpr uint64_t kStageResetRecords = [] {
    uint64_t mask = 0;
    for (int s = 0; s < eRenderStateCache::kNumStages; ++s)
        for (int r = SR_COLOR_IN; r < SR_COUNT; ++r)
            if (r != SR_ORDER)
                mask |= uint64_t(1) << (SG_STAGE_FIRST + s * SR_COUNT + r);
    return mask;
}();
constexpr uint64_t kStageOrders = [] {
    uint64_t mask = 0;
    for (int s = 0; s < eRenderStateCache::kNumStages; ++s)
        mask |= uint64_t(1) << (SG_STAGE_FIRST + s * SR_COUNT + SR_ORDER);
    return mask;
}();

// The hardware attribute of each of the six arrays, in item order.
constexpr GXAttr kArrayAttr[6] = {GX_VA_POS, GX_VA_NRM, GX_VA_TEX0, GX_VA_TEX1, GX_VA_TEX2, GX_VA_TEX3};

GXColor ToGXColor(uintptr_t argb)
{
    const uint32_t c = static_cast<uint32_t>(argb);
    return GXColor{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c),
                   static_cast<uint8_t>(c >> 24)};
}

// Sets four words and reports whether any changed.
bool Store4(uint32_t* dst, uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    if (dst[0] == a && dst[1] == b && dst[2] == c && dst[3] == d)
        return false;
    dst[0] = a;
    dst[1] = b;
    dst[2] = c;
    dst[3] = d;
    return true;
}

bool ValidStage(int stage) { return stage >= 0 && stage < eRenderStateCache::kNumStages; }

}  // namespace

const char* eRenderStateText(int item)
{
    return item >= 0 && item < RS_COUNT ? kItemNames[item] : "???";
}

const char* eStateGroupText(int group)
{
    if (group >= 0 && group < SG_STAGE_FIRST)
        return kGroupNames[group];
    if (group >= SG_STAGE_FIRST && group < eRenderStateCache::kNumGroups)
        return kStageGroupNames[group - SG_STAGE_FIRST];
    return "???";
}

eRenderStateCache::eRenderStateCache()
    : m_items{}, m_stages{}, m_nDirtyGroups(0), m_nVertexType(0)
{
    Reset();
    // The orders are not part of the reset; send them once so that the
    // cache and the graphics layer agree from the first Apply on.
    m_nDirtyGroups |= kStageOrders;
}

void eRenderStateCache::Set(eRenderState item, uintptr_t value)
{
    if (item < 0 || item >= RS_COUNT || m_items[item] == value)
        return;
    m_items[item] = value;
    m_nDirtyGroups |= uint64_t(1) << kItemGroup[item];
}

uintptr_t eRenderStateCache::Get(eRenderState item) const
{
    return item >= 0 && item < RS_COUNT ? m_items[item] : 0;
}

void eRenderStateCache::SetArray(int array, const void* base, uint8_t stride)
{
    if (array < 0 || array >= 6)
        return;
    Set(static_cast<eRenderState>(RS_ARRAY_BASE_POS + array), reinterpret_cast<uintptr_t>(base));
    Set(static_cast<eRenderState>(RS_ARRAY_STRIDE_POS + array), stride);
}

void eRenderStateCache::SetTevColorIn(int stage, uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    if (ValidStage(stage) && Store4(m_stages[stage].colorIn, a, b, c, d))
        MarkStage(stage, SR_COLOR_IN);
}

void eRenderStateCache::SetTevAlphaIn(int stage, uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    if (ValidStage(stage) && Store4(m_stages[stage].alphaIn, a, b, c, d))
        MarkStage(stage, SR_ALPHA_IN);
}

void eRenderStateCache::SetTevColorOp(int stage, uint32_t op, uint32_t bias, uint32_t scale, uint32_t out)
{
    if (ValidStage(stage) && Store4(m_stages[stage].colorOp, op, bias, scale, out))
        MarkStage(stage, SR_COLOR_OP);
}

void eRenderStateCache::SetTevAlphaOp(int stage, uint32_t op, uint32_t bias, uint32_t scale, uint32_t out)
{
    if (ValidStage(stage) && Store4(m_stages[stage].alphaOp, op, bias, scale, out))
        MarkStage(stage, SR_ALPHA_OP);
}

void eRenderStateCache::SetTevOrder(int stage, uint32_t texCoord, uint32_t texMap, uint32_t channel)
{
    if (!ValidStage(stage))
        return;
    uint32_t* order = m_stages[stage].order;
    if (order[0] == texCoord && order[1] == texMap && order[2] == channel)
        return;
    order[0] = texCoord;
    order[1] = texMap;
    order[2] = channel;
    MarkStage(stage, SR_ORDER);
}

void eRenderStateCache::SetTevKColorSel(int stage, uint32_t sel)
{
    if (!ValidStage(stage) || m_stages[stage].kColorSel == sel)
        return;
    m_stages[stage].kColorSel = sel;
    MarkStage(stage, SR_KCOLOR_SEL);
}

void eRenderStateCache::Apply()
{
    uint64_t dirty = m_nDirtyGroups;
    if (dirty == 0)
        return;
    // Bit order is send order, so walking the set bits from the lowest
    // sends the groups in their fixed sequence.
    while (dirty != 0) {
        Send(std::countr_zero(dirty));
        dirty &= dirty - 1;
    }
    m_nDirtyGroups = 0;
}

void eRenderStateCache::Reset()
{
    std::memcpy(m_items, kItemDefaults, sizeof(m_items));
    for (StageState& stage : m_stages) {
        Store4(stage.colorIn, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO);
        Store4(stage.alphaIn, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO);
        Store4(stage.colorOp, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
        Store4(stage.alphaOp, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
        stage.kColorSel = GX_TEV_KCSEL_1;
    }
    m_nDirtyGroups |= kAllGlobalGroups | kStageResetRecords;
}

void eRenderStateCache::Send(int group)
{
    const uintptr_t* v = m_items;
    if (group >= SG_STAGE_FIRST) {
        const int stage = (group - SG_STAGE_FIRST) / SR_COUNT;
        const StageState& s = m_stages[stage];
        const GXTevStageID id = static_cast<GXTevStageID>(GX_TEVSTAGE0 + stage);
        switch ((group - SG_STAGE_FIRST) % SR_COUNT) {
        case SR_COLOR_IN:
            GXSetTevColorIn(id, GXTevColorArg(s.colorIn[0]), GXTevColorArg(s.colorIn[1]),
                            GXTevColorArg(s.colorIn[2]), GXTevColorArg(s.colorIn[3]));
            break;
        case SR_ALPHA_IN:
            GXSetTevAlphaIn(id, GXTevAlphaArg(s.alphaIn[0]), GXTevAlphaArg(s.alphaIn[1]),
                            GXTevAlphaArg(s.alphaIn[2]), GXTevAlphaArg(s.alphaIn[3]));
            break;
        case SR_COLOR_OP:
            GXSetTevColorOp(id, GXTevOp(s.colorOp[0]), GXTevBias(s.colorOp[1]), GXTevScale(s.colorOp[2]),
                            GX_TRUE, GXTevRegID(s.colorOp[3]));
            break;
        case SR_ALPHA_OP:
            GXSetTevAlphaOp(id, GXTevOp(s.alphaOp[0]), GXTevBias(s.alphaOp[1]), GXTevScale(s.alphaOp[2]),
                            GX_TRUE, GXTevRegID(s.alphaOp[3]));
            break;
        case SR_ORDER:
            GXSetTevOrder(id, GXTexCoordID(s.order[0]), GXTexMapID(s.order[1]), GXChannelID(s.order[2]));
            break;
        default: GXSetTevKColorSel(id, GXTevKColorSel(s.kColorSel)); break;
        }
        return;
    }
    switch (group) {
    case SG_Z_MODE:
        GXSetZMode(GXBool(v[RS_Z_COMPARE]), GXCompare(v[RS_Z_FUNC]), GXBool(v[RS_Z_UPDATE]));
        break;
    case SG_Z_COMP_LOC: GXSetZCompLoc(GXBool(v[RS_Z_COMP_BEFORE_TEX])); break;
    case SG_BLEND_MODE:
        GXSetBlendMode(GXBlendMode(v[RS_BLEND_TYPE]), GXBlendFactor(v[RS_BLEND_SRC]),
                       GXBlendFactor(v[RS_BLEND_DST]), GX_LO_CLEAR);
        break;
    case SG_ALPHA_COMPARE:
        GXSetAlphaCompare(GXCompare(v[RS_ALPHA_COMPARE_FUNC]), uint8_t(v[RS_ALPHA_COMPARE_REF]), GX_AOP_AND,
                          GX_ALWAYS, 0);
        break;
    case SG_CULL_MODE: GXSetCullMode(GXCullMode(v[RS_CULL_MODE])); break;
    case SG_ALPHA_UPDATE: GXSetAlphaUpdate(GXBool(v[RS_ALPHA_UPDATE])); break;
    case SG_COLOR_UPDATE: GXSetColorUpdate(GXBool(v[RS_COLOR_UPDATE])); break;
    case SG_AMBIENT_COLOR: GXSetChanAmbColor(GX_COLOR0A0, ToGXColor(v[RS_AMBIENT_COLOR])); break;
    case SG_MATERIAL_COLOR: GXSetChanMatColor(GX_COLOR0A0, ToGXColor(v[RS_MATERIAL_COLOR])); break;
    case SG_COLOR_CHAN:
    case SG_ALPHA_CHAN: {
        const int first = group == SG_COLOR_CHAN ? RS_COLOR_CHAN_ENABLE : RS_ALPHA_CHAN_ENABLE;
        GXSetChanCtrl(group == SG_COLOR_CHAN ? GX_COLOR0 : GX_ALPHA0, GXBool(v[first]), GXColorSrc(v[first + 1]),
                      GXColorSrc(v[first + 2]), uint32_t(v[first + 3]), GXDiffuseFn(v[first + 4]),
                      GXAttnFn(v[first + 5]));
        break;
    }
    case SG_ARRAY_POS:
    case SG_ARRAY_NRM:
    case SG_ARRAY_TEX0:
    case SG_ARRAY_TEX1:
    case SG_ARRAY_TEX2:
    case SG_ARRAY_TEX3: {
        const int array = group - SG_ARRAY_POS;
        GXSetArray(kArrayAttr[array], reinterpret_cast<const void*>(v[RS_ARRAY_BASE_POS + array]),
                   uint8_t(v[RS_ARRAY_STRIDE_POS + array]));
        break;
    }
    case SG_NUM_TEX_GENS: GXSetNumTexGens(uint8_t(v[RS_NUM_TEX_GENS])); break;
    case SG_NUM_TEV_STAGES: GXSetNumTevStages(uint8_t(v[RS_NUM_TEV_STAGES])); break;
    case SG_NUM_CHANS: GXSetNumChans(uint8_t(v[RS_NUM_CHANS])); break;
    case SG_TEV_REG1: GXSetTevColor(GX_TEVREG1, ToGXColor(v[RS_TEV_REG1_COLOR])); break;
    case SG_TEV_KCOLOR0: GXSetTevKColor(GX_KCOLOR0, ToGXColor(v[RS_TEV_KCOLOR0])); break;
    default: break;
    }
}

namespace {

// One attribute of a vertex format: how it arrives and how it is stored.
struct VertexAttr {
    GXAttr attr;
    GXAttrType input;  // direct or index into the array of items 29-40
    GXCompCnt count;
    GXCompType type;
    uint8_t frac;  // fraction bits of s16 data
};

struct VertexFormat {
    int nAttrs;
    VertexAttr attrs[6];
};

// Zone geometry uses the 252-entry float normal table (formats 0 and 1);
// models carry s16 normals with 14 fraction bits (2). Formats 3 and 4 share
// one descriptor and differ only in the position's fraction bits.
const VertexFormat kVertexFormats[eRenderStateCache::kNumVertexFormats] = {
    {4, {{GX_VA_POS, GX_INDEX16, GX_POS_XYZ, GX_S16, 8},
         {GX_VA_NRM, GX_INDEX8, GX_NRM_XYZ, GX_F32, 0},
         {GX_VA_TEX0, GX_INDEX16, GX_TEX_ST, GX_S16, 10},
         {GX_VA_TEX1, GX_INDEX16, GX_TEX_ST, GX_S16, 10}}},
    {6, {{GX_VA_POS, GX_INDEX16, GX_POS_XYZ, GX_S16, 8},
         {GX_VA_NRM, GX_INDEX8, GX_NRM_XYZ, GX_F32, 0},
         {GX_VA_TEX0, GX_INDEX16, GX_TEX_ST, GX_S16, 10},
         {GX_VA_TEX1, GX_INDEX16, GX_TEX_ST, GX_S16, 10},
         {GX_VA_TEX2, GX_INDEX16, GX_TEX_ST, GX_S16, 10},
         {GX_VA_TEX3, GX_INDEX16, GX_TEX_ST, GX_S16, 10}}},
    {4, {{GX_VA_POS, GX_INDEX16, GX_POS_XYZ, GX_S16, 10},
         {GX_VA_NRM, GX_INDEX16, GX_NRM_XYZ, GX_S16, 14},
         {GX_VA_TEX0, GX_INDEX16, GX_TEX_ST, GX_S16, 10},
         {GX_VA_TEX1, GX_INDEX16, GX_TEX_ST, GX_S16, 10}}},
    {4, {{GX_VA_POS, GX_DIRECT, GX_POS_XYZ, GX_S16, 8},
         {GX_VA_CLR0, GX_DIRECT, GX_CLR_RGBA, GX_RGBA8, 0},
         {GX_VA_TEX0, GX_DIRECT, GX_TEX_ST, GX_S16, 10},
         {GX_VA_TEX1, GX_DIRECT, GX_TEX_ST, GX_S16, 10}}},
    {4, {{GX_VA_POS, GX_DIRECT, GX_POS_XYZ, GX_S16, 4},
         {GX_VA_CLR0, GX_DIRECT, GX_CLR_RGBA, GX_RGBA8, 0},
         {GX_VA_TEX0, GX_DIRECT, GX_TEX_ST, GX_S16, 10},
         {GX_VA_TEX1, GX_DIRECT, GX_TEX_ST, GX_S16, 10}}},
    {2, {{GX_VA_POS, GX_DIRECT, GX_POS_XYZ, GX_F32, 0},
         {GX_VA_CLR0, GX_DIRECT, GX_CLR_RGBA, GX_RGBA8, 0}}},
    {2, {{GX_VA_POS, GX_DIRECT, GX_POS_XYZ, GX_S16, 4},
         {GX_VA_TEX0, GX_DIRECT, GX_TEX_ST, GX_S16, 0}}},
};

}  // namespace

void eRenderStateCache::SetVertexType(int format, bool force)
{
    if (format < 0 || format >= kNumVertexFormats)
        return;
    if (format == m_nVertexType && !force)
        return;
    m_nVertexType = format;
    SendVertexDescriptor(format);
}

void eRenderStateCache::SendVertexDescriptor(int format)
{
    const VertexFormat& vf = kVertexFormats[format];
    GXClearVtxDesc();
    for (int i = 0; i < vf.nAttrs; ++i)
        GXSetVtxDesc(vf.attrs[i].attr, vf.attrs[i].input);
}

void eRenderStateCache::SendAttributeFormats()
{
    for (int format = 0; format < kNumVertexFormats; ++format) {
        const VertexFormat& vf = kVertexFormats[format];
        for (int i = 0; i < vf.nAttrs; ++i) {
            const VertexAttr& a = vf.attrs[i];
            GXSetVtxAttrFmt(static_cast<GXVtxFmt>(GX_VTXFMT0 + format), a.attr, a.count, a.type, a.frac);
        }
    }
}

bool eRenderStateCache::CheckDisplayList(const uint8_t* pList, uint32_t nBytes, int format, const ListArrays& arrays,
                                         char* why, size_t whySize)
{
    if (format < 0 || format >= kNumVertexFormats) {
        std::snprintf(why, whySize, "vertex format %d, which no draw sets", format);
        return false;
    }
    const VertexFormat& vf = kVertexFormats[format];
    GXListFormat f;
    f.format = static_cast<GXVtxFmt>(GX_VTXFMT0 + format);
    f.numAttrs = vf.nAttrs;
    for (int i = 0; i < vf.nAttrs; ++i) {
        const VertexAttr& a = vf.attrs[i];
        GXListAttr& out = f.attrs[i];
        out = {a.attr, a.input, a.count, a.type, a.frac, 0, 0};
        for (int k = 0; k < 6; ++k)
            if (kArrayAttr[k] == a.attr) {
                out.stride = arrays.stride[k];
                out.arrayBytes = arrays.bytes[k];
            }
    }
    return GXCheckDisplayList(pList, nBytes, f, why, whySize);
}
