// An array without a declared length is bounded by the stored range around
// its base; memory that is freed or filled anew leaves those ranges, so an
// array later placed there is bounded by its own bytes only.
#include <gtest/gtest.h>

#include "gx/gxFront_local.h"
#include "gx/gxVertex.h"
#include "gxFrontTestUtil.h"
#include "platform/os.h"

namespace {

TEST(gxStoredRanges, RemovingBytesKeepsOnlyThePartsOutsideThem)
{
    alignas(32) static uint8_t s_mem[64];
    const uint32_t probes[] = {16, 24, 32, 40, 47, 56};
    struct Row { const char* name; uint32_t at, len; uint64_t bytes[6]; };
    // Announced: [16, 48) and [52, 60).
    const Row rows[] = {
        {"before, touching", 0, 16, {32, 24, 16, 8, 1, 4}},
        {"over the start", 8, 16, {0, 24, 16, 8, 1, 4}},
        {"inside", 24, 8, {8, 0, 16, 8, 1, 4}},
        {"over the end of both", 40, 24, {24, 16, 8, 0, 0, 0}},
        {"the gap between", 48, 4, {32, 24, 16, 8, 1, 4}},
        {"across both", 44, 12, {28, 20, 12, 4, 0, 4}},
        {"everything", 0, 64, {0, 0, 0, 0, 0, 0}},
        {"no bytes", 24, 0, {32, 24, 16, 8, 1, 4}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gxStoredRangesClear();
        gxStoredRangesAdd(s_mem + 16, 32);
        gxStoredRangesAdd(s_mem + 52, 8);
        gxStoredRangesRemove(s_mem + r.at, r.len);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(gxStoredRangeBytesFrom(s_mem + probes[i]), r.bytes[i]) << "at " << probes[i];
    }
    gxStoredRangesClear();
}

class GxStoredRangesTest : public GxFrontTest {
protected:
    static OSHeapHandle Heap()
    {
        static uint8_t s_range[4 * 1024];
        static const OSHeapHandle s_heap = [] {
            OSInitAlloc(OSGetArenaLo(), OSGetArenaHi(), 4);
            return OSCreateHeap(s_range, s_range + sizeof(s_range));  // heaps are never destroyed
        }();
        return s_heap;
    }
    // The plan's position step for three S16 components, indexed, no declared length.
    static gxAttrStep PositionStep(const uint8_t* array)
    {
        GXClearVtxDesc();
        GXSetVtxDesc(GX_VA_POS, GX_INDEX16);
        GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_POS, GX_POS_XYZ, GX_S16, 8);
        GXSetArray(GX_VA_POS, array, 6);
        gxVertexPlan plan;
        const char* reason = nullptr;
        EXPECT_TRUE(gxBuildVertexPlan(gxGet(), GX_VTXFMT0, &gxArrayLimit, &plan, &reason));
        return plan.steps[0];
    }
};

// Old meshes filled 64 bytes; the memory is given up and two positions (12
// bytes) are written at the same address. Only the first position has 4
// more bytes of the array after it: a wide load of the second would read
// past the array. (Freed memory is only named here, never read: the plan
// does not touch the array.)
TEST_F(GxStoredRangesTest, ReusedMemoryBoundsANewArrayByItsOwnBytes)
{
    ASSERT_GE(Heap(), 0);
    struct Row { const char* name; bool (*giveUp)(uint8_t* block); uint64_t limit; uint32_t wide; };
    const Row rows[] = {
        {"kept (pieces written one after another count as one)", [](uint8_t*) { return false; }, 64, 10},
        {"invalidated before it is filled", [](uint8_t* b) { DCInvalidateRange(b, 64); return false; }, 12, 1},
        {"freed, the host handing the bytes out again", [](uint8_t* b) { OSFreeToHeap(Heap(), b); return true; },
         12, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto* block = static_cast<uint8_t*>(OSAllocFromHeap(Heap(), 64));
        ASSERT_NE(block, nullptr);
        DCStoreRangeNoSync(block, 64);
        const bool freed = r.giveUp(block);
        DCStoreRangeNoSync(block, 12);
        const gxAttrStep step = PositionStep(block);
        EXPECT_EQ(step.limit, r.limit);
        EXPECT_EQ(step.indices, r.limit / 6);
        EXPECT_EQ(step.wideIndices, r.wide);
        if (!freed)
            OSFreeToHeap(Heap(), block);
        gxStoredRangesClear();
    }
}

}  // namespace
