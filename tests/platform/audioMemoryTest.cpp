#include "platform/ar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "audioTestUtil.h"

namespace {

class ARMemoryTest : public AudioLayerTest {};

TEST_F(ARMemoryTest, BlocksAreRoundedTo32AndFollowEachOther)
{
    struct Row {
        uint32_t length;
        uint32_t taken;
    };
    const Row rows[] = {{0, 32}, {1, 32}, {32, 32}, {33, 64}, {16416, 16416}};
    uint32_t expected = ARGetBaseAddress();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.length);
        EXPECT_EQ(ARAlloc(r.length), expected);
        expected += r.taken;
    }
    EXPECT_EQ(ARTestLiveBlocks(), 5);
}

TEST_F(ARMemoryTest, ExhaustionFailsWithoutTakingAnything)
{
    const uint32_t free = ARGetSize() - ARGetBaseAddress();
    const uint32_t big = ARAlloc(free - 64);
    ASSERT_NE(big, 0u);
    EXPECT_EQ(ARAlloc(128), 0u);
    EXPECT_EQ(ARAlloc(0xFFFFFFFFu), 0u) << "a length past the memory must not wrap when rounded";
    EXPECT_EQ(ARTestLiveBlocks(), 1);
    EXPECT_EQ(ARAlloc(64), big + free - 64) << "the last 64 bytes still fit";
}

int s_nCallbacks = 0;
void CountCallback(ARQRequest*) { ++s_nCallbacks; }

TEST_F(ARMemoryTest, BadTransfersCopyNothingButStillCallBack)
{
    std::vector<uint8_t> buffer(64, 0x55);
    struct Row {
        const char* name;
        uint32_t type;
        uintptr_t aram;
        uint32_t length;
    };
    const Row rows[] = {
        {"length not a multiple of 32", ARQ_TYPE_ARAM_TO_MRAM, 0x8000, 40},
        {"address not a multiple of 32", ARQ_TYPE_ARAM_TO_MRAM, 0x8010, 32},
        {"past the end of audio memory", ARQ_TYPE_ARAM_TO_MRAM, AR_MEMORY_SIZE - 32, 64},
        {"unknown direction", 5, 0x8000, 32},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        s_nCallbacks = 0;
        ARQRequest req;
        ARQPostRequest(&req, 0, r.type, ARQ_PRIORITY_HIGH, r.aram, reinterpret_cast<uintptr_t>(buffer.data()),
                       r.length, CountCallback);
        EXPECT_EQ(s_nCallbacks, 1);
        EXPECT_EQ(buffer[0], 0x55);
        EXPECT_EQ(buffer[63], 0x55);
    }
}

}  // namespace
