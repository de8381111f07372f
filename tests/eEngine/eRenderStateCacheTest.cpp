#include "eEngine/eRenderStateCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gx.h"

namespace {

using Names = std::vector<std::string>;

struct RecordingCache : eRenderStateCache {
    Names sent;
    std::vector<int> descriptors;
    explicit RecordingCache(bool bClean = true)
    {
        if (bClean)
            Apply();
        sent.clear();
    }
    void Send(int group) override { sent.push_back(eStateGroupText(group)); }
    void SendVertexDescriptor(int format) override { descriptors.push_back(format); }
};

const Names kGlobalOrder = {
    "Z_MODE", "Z_COMP_LOC", "BLEND_MODE", "ALPHA_COMPARE", "CULL_MODE", "ALPHA_UPDATE", "COLOR_UPDATE",
    "AMBIENT_COLOR", "MATERIAL_COLOR", "COLOR_CHAN", "ALPHA_CHAN", "ARRAY_POS", "ARRAY_NRM", "ARRAY_TEX0",
    "ARRAY_TEX1", "ARRAY_TEX2", "ARRAY_TEX3", "NUM_TEX_GENS", "NUM_TEV_STAGES", "NUM_CHANS", "TEV_REG1", "TEV_KCOLOR0",
};

Names GlobalThenStages(bool bOrders)
{
    Names out = kGlobalOrder;
    for (char s = '0'; s <= '3'; ++s) {
        for (const char* r : {"TEV_COLOR_IN ", "TEV_ALPHA_IN ", "TEV_COLOR_OP ", "TEV_ALPHA_OP "})
            out.push_back(r + std::string(1, s));
        if (bOrders)
            out.push_back("TEV_ORDER " + std::string(1, s));
        out.push_back("TEV_KCOLOR_SEL " + std::string(1, s));
    }
    return out;
}

TEST(eRenderStateCache, FirstApplySendsEveryGroupInFixedOrder)
{
    RecordingCache cache(false);
    cache.Apply();
    EXPECT_EQ(cache.sent, GlobalThenStages(true));
    EXPECT_TRUE(cache.IsClean());
}

// After drawing that went past the cache, Reset makes the next Apply send
// everything but the stage orders, the konst selections back at one.
TEST(eRenderStateCache, ResetSendsAllButTheOrdersAndPutsTheKonstSelectionsBack)
{
    RecordingCache cache;
    cache.SetTevKColorSel(2, GX_TEV_KCSEL_K0);
    cache.SetTevOrder(1, GX_TEXCOORD1, GX_TEXMAP1, GX_COLOR0A0);
    cache.Reset();
    EXPECT_EQ(cache.GetStage(2).kColorSel, uint32_t(GX_TEV_KCSEL_1));
    EXPECT_EQ(cache.GetStage(1).order[1], uint32_t(GX_TEXMAP1));
    cache.Apply();
    Names want = GlobalThenStages(false);
    want.insert(want.begin() + kGlobalOrder.size() + 5 + 4, "TEV_ORDER 1");  // set before the reset
    EXPECT_EQ(cache.sent, want);
}

TEST(eRenderStateCache, ApplySendsOnlyDirtyGroupsInFixedOrder)
{
    RecordingCache cache;
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
    cache.SetTevKColorSel(3, GX_TEV_KCSEL_K0);
    cache.SetTevKColorSel(1, GX_TEV_KCSEL_1);  // as cached
    cache.SetTevKColorSel(4, GX_TEV_KCSEL_K0);  // no stage 4: ignored
    cache.Set(RS_TEV_KCOLOR0, 0xFF804020u);
    cache.Apply();
    EXPECT_EQ(cache.sent, (Names{"Z_MODE", "BLEND_MODE", "ALPHA_COMPARE", "CULL_MODE", "ARRAY_TEX1", "NUM_TEX_GENS",
                                 "NUM_TEV_STAGES", "TEV_REG1", "TEV_KCOLOR0", "TEV_COLOR_IN 0", "TEV_ALPHA_OP 1",
                                 "TEV_ORDER 2", "TEV_KCOLOR_SEL 3"}));
    cache.sent.clear();
    cache.SetTevColorIn(0, GX_CC_TEXC, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO);  // as cached: nothing to send
    cache.SetTevKColorSel(3, GX_TEV_KCSEL_K0);
    cache.Set(RS_TEV_KCOLOR0, 0xFF804020u);
    cache.Apply();
    EXPECT_TRUE(cache.sent.empty());
}

TEST(eRenderStateCache, EachItemMarksItsGroup)
{
    const char* kGroupOfItem[RS_COUNT] = {
        "Z_MODE", "Z_MODE", "Z_MODE", "Z_COMP_LOC", "BLEND_MODE", "BLEND_MODE", "BLEND_MODE", "ALPHA_UPDATE",
        "COLOR_UPDATE", "AMBIENT_COLOR", "MATERIAL_COLOR", "COLOR_CHAN", "COLOR_CHAN", "COLOR_CHAN", "COLOR_CHAN",
        "COLOR_CHAN", "COLOR_CHAN", "ALPHA_CHAN", "ALPHA_CHAN", "ALPHA_CHAN", "ALPHA_CHAN", "ALPHA_CHAN",
        "ALPHA_CHAN", "ALPHA_COMPARE", "ALPHA_COMPARE", "CULL_MODE", "NUM_TEV_STAGES", "NUM_TEX_GENS", "NUM_CHANS",
        "ARRAY_POS", "ARRAY_NRM", "ARRAY_TEX0", "ARRAY_TEX1", "ARRAY_TEX2", "ARRAY_TEX3", "ARRAY_POS", "ARRAY_NRM",
        "ARRAY_TEX0", "ARRAY_TEX1", "ARRAY_TEX2", "ARRAY_TEX3", "TEV_REG1", "TEV_KCOLOR0",
    };
    for (int item = 0; item < RS_COUNT; ++item) {
        RecordingCache cache;
        const eRenderState rs = static_cast<eRenderState>(item);
        cache.Set(rs, cache.Get(rs));  // the cached value changes nothing
        EXPECT_TRUE(cache.IsClean()) << eRenderStateText(item);
        cache.Set(rs, cache.Get(rs) + 1);
        cache.Apply();
        EXPECT_EQ(cache.sent, Names{kGroupOfItem[item]}) << eRenderStateText(item);
    }
}

TEST(eRenderStateCache, VertexDescriptorSentOnlyOnChangeOrForce)
{
    RecordingCache cache;
    for (auto [format, force] : {std::pair{0, false}, {2, false}, {2, false}, {2, true}, {7, true}, {4, false}})
        cache.SetVertexType(format, force);
    EXPECT_EQ(cache.descriptors, (std::vector<int>{2, 2, 4}));  // 0 is the initial selection; 7 is none
    EXPECT_TRUE(cache.IsClean());
    cache.SetTevOrder(4, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);  // no stage 4: ignored
    cache.Set(RS_COUNT, 1);
    EXPECT_TRUE(cache.IsClean());
    EXPECT_EQ(cache.Get(RS_COUNT), 0u);
    EXPECT_STREQ(eRenderStateText(RS_COUNT), "???");
}

}  // namespace
