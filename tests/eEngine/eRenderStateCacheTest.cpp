#include "eEngine/eRenderStateCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gx.h"

namespace {

// Records what the cache sends instead of calling the graphics layer.
class RecordingCache : public eRenderStateCache {
public:
    std::vector<std::string> sent;
    std::vector<int> descriptors;
    // Value of the blend items at the moment the blend group went out.
    std::vector<uintptr_t> blendAtSend;

protected:
    void Send(int group) override
    {
        sent.push_back(eStateGroupText(group));
        if (group == SG_BLEND_MODE) {
            blendAtSend.push_back(Get(RS_BLEND_TYPE));
            blendAtSend.push_back(Get(RS_BLEND_SRC));
            blendAtSend.push_back(Get(RS_BLEND_DST));
        }
    }
    void SendVertexDescriptor(int format) override { descriptors.push_back(format); }
};

// A cache whose start-up sends are done, so only new changes are recorded.
struct CleanCache : RecordingCache {
    CleanCache()
    {
        Apply();
        sent.clear();
    }
};

const std::vector<std::string> kGlobalOrder = {
    "Z_MODE",        "Z_COMP_LOC",    "BLEND_MODE",     "ALPHA_COMPARE", "CULL_MODE",  "ALPHA_UPDATE",
    "COLOR_UPDATE",  "AMBIENT_COLOR", "MATERIAL_COLOR", "COLOR_CHAN",    "ALPHA_CHAN", "ARRAY_POS",
    "ARRAY_NRM",     "ARRAY_TEX0",    "ARRAY_TEX1",     "ARRAY_TEX2",    "ARRAY_TEX3", "NUM_TEX_GENS",
    "NUM_TEV_STAGES", "NUM_CHANS",    "TEV_REG1",
};

std::vector<std::string> StageGroups(bool bOrders)
{
    std::vector<std::string> out;
    for (int s = 0; s < 4; ++s) {
        const std::string n = std::to_string(s);
        for (const char* r : {"TEV_COLOR_IN ", "TEV_ALPHA_IN ", "TEV_COLOR_OP ", "TEV_ALPHA_OP "})
            out.push_back(r + n);
        if (bOrders)
            out.push_back("TEV_ORDER " + n);
    }
    return out;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(eRenderStateCache, FirstApplySendsEveryGroupInFixedOrder)
{
    RecordingCache cache;
    EXPECT_FALSE(cache.IsClean());
    cache.Apply();
    EXPECT_EQ(cache.sent, Concat(kGlobalOrder, StageGroups(true)));
    EXPECT_TRUE(cache.IsClean());
}

TEST(eRenderStateCache, ApplySendsOnlyDirtyGroupsInFixedOrder)
{
    CleanCache cache;
    // Changed in an order unlike the send order, some groups twice.
    cache.SetTevOrder(2, GX_TEXCOORD1, GX_TEXMAP1, GX_COLOR0A0);
    cache.Set(RS_TEV_REG1_COLOR, 0x80402010u);
    cache.Set(RS_CULL_MODE, GX_CULL_NONE);
    cache.SetArray(3, &cache, 4);  // texture coordinates 1
    cache.Set(RS_NUM_TEX_GENS, 2);
    cache.Set(RS_NUM_TEV_STAGES, 3);
    cache.Set(RS_BLEND_DST, GX_BL_ONE);
    cache.Set(RS_BLEND_SRC, GX_BL_SRCALPHA);
    cache.SetTevColorIn(0, GX_CC_TEXC, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO);
    cache.Set(RS_Z_FUNC, GX_ALWAYS);
    cache.Set(RS_ALPHA_COMPARE_REF, 2);
    cache.SetTevAlphaOp(1, GX_TEV_SUB, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
    cache.Apply();
    const std::vector<std::string> expected = {
        "Z_MODE", "BLEND_MODE", "ALPHA_COMPARE", "CULL_MODE", "ARRAY_TEX1", "NUM_TEX_GENS",
        "NUM_TEV_STAGES", "TEV_REG1", "TEV_COLOR_IN 0", "TEV_ALPHA_OP 1", "TEV_ORDER 2",
    };
    EXPECT_EQ(cache.sent, expected);
    cache.sent.clear();
    cache.Apply();
    EXPECT_TRUE(cache.sent.empty());
}

// Each item, changed alone, sends exactly its own group once.
TEST(eRenderStateCache, EachItemMarksItsGroup)
{
    const char* kGroupOfItem[RS_COUNT] = {
        "Z_MODE", "Z_MODE", "Z_MODE", "Z_COMP_LOC", "BLEND_MODE", "BLEND_MODE", "BLEND_MODE",
        "ALPHA_UPDATE", "COLOR_UPDATE", "AMBIENT_COLOR", "MATERIAL_COLOR",
        "COLOR_CHAN", "COLOR_CHAN", "COLOR_CHAN", "COLOR_CHAN", "COLOR_CHAN", "COLOR_CHAN",
        "ALPHA_CHAN", "ALPHA_CHAN", "ALPHA_CHAN", "ALPHA_CHAN", "ALPHA_CHAN", "ALPHA_CHAN",
        "ALPHA_COMPARE", "ALPHA_COMPARE", "CULL_MODE", "NUM_TEV_STAGES", "NUM_TEX_GENS", "NUM_CHANS",
        "ARRAY_POS", "ARRAY_NRM", "ARRAY_TEX0", "ARRAY_TEX1", "ARRAY_TEX2", "ARRAY_TEX3",
        "ARRAY_POS", "ARRAY_NRM", "ARRAY_TEX0", "ARRAY_TEX1", "ARRAY_TEX2", "ARRAY_TEX3",
        "TEV_REG1",
    };
    for (int item = 0; item < RS_COUNT; ++item) {
        SCOPED_TRACE(eRenderStateText(item));
        CleanCache cache;
        const eRenderState rs = static_cast<eRenderState>(item);
        cache.Set(rs, cache.Get(rs) + 1);
        cache.Apply();
        ASSERT_EQ(cache.sent.size(), 1u);
        EXPECT_EQ(cache.sent[0], kGroupOfItem[item]);
    }
}

TEST(eRenderStateCache, SettingTheCachedValueChangesNothing)
{
    CleanCache cache;
    for (int item = 0; item < RS_COUNT; ++item) {
        const eRenderState rs = static_cast<eRenderState>(item);
        cache.Set(rs, cache.Get(rs));
    }
    for (int s = 0; s < 4; ++s) {
        const eRenderStateCache::StageState st = cache.GetStage(s);
        cache.SetTevColorIn(s, st.colorIn[0], st.colorIn[1], st.colorIn[2], st.colorIn[3]);
        cache.SetTevAlphaIn(s, st.alphaIn[0], st.alphaIn[1], st.alphaIn[2], st.alphaIn[3]);
        cache.SetTevColorOp(s, st.colorOp[0], st.colorOp[1], st.colorOp[2], st.colorOp[3]);
        cache.SetTevAlphaOp(s, st.alphaOp[0], st.alphaOp[1], st.alphaOp[2], st.alphaOp[3]);
        cache.SetTevOrder(s, st.order[0], st.order[1], st.order[2]);
    }
    EXPECT_TRUE(cache.IsClean());
    cache.Apply();
    EXPECT_TRUE(cache.sent.empty());
}

TEST(eRenderStateCache, BlendDestinationAloneResendsWholeBlendOnce)
{
    CleanCache cache;
    cache.Set(RS_BLEND_TYPE, GX_BM_BLEND);
    cache.Set(RS_BLEND_SRC, GX_BL_SRCALPHA);
    cache.Apply();
    cache.sent.clear();
    cache.blendAtSend.clear();
    cache.Set(RS_BLEND_DST, GX_BL_INVSRCALPHA);
    cache.Set(RS_BLEND_DST, GX_BL_ONE);  // changed twice before the draw
    cache.Apply();
    ASSERT_EQ(cache.sent, std::vector<std::string>{"BLEND_MODE"});
    EXPECT_EQ(cache.blendAtSend, (std::vector<uintptr_t>{GX_BM_BLEND, GX_BL_SRCALPHA, GX_BL_ONE}));
}

// The defaults after Reset, item by item, as the drawing code expects them.
TEST(eRenderStateCache, ResetRestoresTheDefaultTable)
{
    const uintptr_t kDefaults[RS_COUNT] = {
        1, 1, 3, 1,                // depth: compare, update, less-or-equal, before texturing
        0, 1, 0,                   // blend none, one, zero
        0, 1,                      // alpha update off, colour update on
        0x00000000, 0xFFFFFFFF,    // ambient, material colour
        0, 0, 0, 0, 0, 2,          // colour channel: off, register, register, no lights, none, none
        0, 0, 0, 0, 0, 2,          // alpha channel: the same
        7, 1,                      // alpha compare always, reference 1
        1,                         // cull front faces
        1, 1, 1,                   // one TEV stage, one texgen, one channel
        0, 0, 0, 0, 0, 0,          // array bases
        0, 0, 0, 0, 0, 0,          // array strides
        0xFFFFFFFF,                // TEV register 1
    };
    CleanCache cache;
    for (int item = 0; item < RS_COUNT; ++item)
        cache.Set(static_cast<eRenderState>(item), 0x5A);
    for (int s = 0; s < 4; ++s) {
        cache.SetTevColorIn(s, GX_CC_TEXC, GX_CC_RASC, GX_CC_C0, GX_CC_CPREV);
        cache.SetTevAlphaIn(s, GX_CA_TEXA, GX_CA_RASA, GX_CA_A0, GX_CA_APREV);
        cache.SetTevColorOp(s, GX_TEV_SUB, GX_TB_ADDHALF, GX_CS_SCALE_2, GX_TEVREG0);
        cache.SetTevAlphaOp(s, GX_TEV_SUB, GX_TB_ADDHALF, GX_CS_SCALE_4, GX_TEVREG0);
        cache.SetTevOrder(s, GX_TEXCOORD3, GX_TEXMAP3, GX_COLOR0A0);
    }
    cache.Apply();
    cache.sent.clear();

    cache.Reset();
    for (int item = 0; item < RS_COUNT; ++item) {
        SCOPED_TRACE(eRenderStateText(item));
        EXPECT_EQ(cache.Get(static_cast<eRenderState>(item)), kDefaults[item]);
    }
    for (int s = 0; s < 4; ++s) {
        SCOPED_TRACE(s);
        const eRenderStateCache::StageState& st = cache.GetStage(s);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(st.colorIn[i], 15u);  // zero
            EXPECT_EQ(st.alphaIn[i], 7u);   // zero
            EXPECT_EQ(st.colorOp[i], 0u);   // add, no bias, scale 1, previous
            EXPECT_EQ(st.alphaOp[i], 0u);
        }
        // The order is not part of the reset.
        EXPECT_EQ(st.order[0], static_cast<uint32_t>(GX_TEXCOORD3));
        EXPECT_EQ(st.order[1], static_cast<uint32_t>(GX_TEXMAP3));
    }
    // Everything is sent again except the untouched orders.
    cache.Apply();
    EXPECT_EQ(cache.sent, Concat(kGlobalOrder, StageGroups(false)));
}

TEST(eRenderStateCache, StageRecordsAreMarkedOnlyWhenChanged)
{
    CleanCache cache;
    cache.SetTevOrder(1, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    cache.Apply();
    cache.sent.clear();
    cache.SetTevOrder(1, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    EXPECT_TRUE(cache.IsClean());
    cache.SetTevOrder(1, GX_TEXCOORD0, GX_TEXMAP_NULL, GX_COLOR0A0);
    cache.SetTevColorOp(3, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_2, GX_TEVPREV);
    cache.Apply();
    EXPECT_EQ(cache.sent, (std::vector<std::string>{"TEV_ORDER 1", "TEV_COLOR_OP 3"}));
}

TEST(eRenderStateCache, OutOfRangeItemsAndStagesAreIgnored)
{
    CleanCache cache;
    cache.Set(static_cast<eRenderState>(-1), 5);
    cache.Set(RS_COUNT, 5);
    cache.SetTevColorIn(4, GX_CC_TEXC, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO);
    cache.SetTevOrder(-1, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    cache.SetArray(6, &cache, 4);
    EXPECT_TRUE(cache.IsClean());
    EXPECT_EQ(cache.Get(RS_COUNT), 0u);
}

TEST(eRenderStateCache, ArrayBaseHoldsAFullHostPointer)
{
    CleanCache cache;
    static uint8_t s_array[64];
    cache.SetArray(0, s_array + 6, 6);
    EXPECT_EQ(cache.Get(RS_ARRAY_BASE_POS), reinterpret_cast<uintptr_t>(s_array + 6));
    EXPECT_EQ(cache.Get(RS_ARRAY_STRIDE_POS), 6u);
    cache.Apply();
    EXPECT_EQ(cache.sent, std::vector<std::string>{"ARRAY_POS"});
}

TEST(eRenderStateCache, VertexDescriptorSentOnlyOnChangeOrForce)
{
    CleanCache cache;
    cache.SetVertexType(0, false);  // format 0 is the initial selection
    cache.SetVertexType(2, false);
    cache.SetVertexType(2, false);
    cache.SetVertexType(2, true);
    cache.SetVertexType(7, true);   // not one of the seven
    cache.SetVertexType(-1, false);
    cache.SetVertexType(4, false);
    EXPECT_EQ(cache.descriptors, (std::vector<int>{2, 2, 4}));
    EXPECT_EQ(cache.GetVertexType(), 4);
    EXPECT_TRUE(cache.IsClean());  // descriptors are not render-state items
}

TEST(eRenderStateCache, TextFunctions)
{
    struct Row {
        int value;
        const char* text;
    };
    const Row items[] = {{-1, "???"}, {0, "RS_Z_COMPARE"}, {41, "RS_TEV_REG1_COLOR"}, {42, "???"}};
    for (const Row& row : items)
        EXPECT_STREQ(eRenderStateText(row.value), row.text) << row.value;
    const Row groups[] = {
        {-1, "???"},
        {SG_Z_MODE, "Z_MODE"},
        {SG_TEV_REG1, "TEV_REG1"},
        {SG_STAGE_FIRST + 2 * SR_COUNT + SR_ORDER, "TEV_ORDER 2"},
        {SG_STAGE_FIRST + 3 * SR_COUNT + SR_COLOR_IN, "TEV_COLOR_IN 3"},
        {eRenderStateCache::kNumGroups, "???"},
    };
    for (const Row& row : groups)
        EXPECT_STREQ(eStateGroupText(row.value), row.text) << row.value;
}

}  // namespace
