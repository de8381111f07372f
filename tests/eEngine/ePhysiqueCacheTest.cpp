#include "eEngine/ePhysiqueCache.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>


namespace {

struct PhysiqueFixture : ::testing::Test {
    std::vector<uint8_t> memory = std::vector<uint8_t>(2 * ePhysiqueCache::kBufferBytes);
    uint8_t* buffer0 = memory.data();
    uint8_t* buffer1 = memory.data() + ePhysiqueCache::kBufferBytes;
    ePhysiqueCache cache;

    void SetUp() override { cache.Init(buffer0, buffer1); }
};

TEST_F(PhysiqueFixture, AllocationsFollowEachOtherInTwelveByteRecords)
{
    uint32_t id0 = 0;
    uint32_t id1 = 0;
    EXPECT_EQ(cache.Alloc(10, &id0), buffer0);
    EXPECT_EQ(cache.Alloc(5, &id1), buffer0 + 120);
    EXPECT_EQ(id0, 0x00010000u);  // magic 1, record 0
    EXPECT_EQ(id1, 0x0001000Au);  // record 10
    EXPECT_EQ(cache.GetVerts(id1), buffer0 + 120);
    EXPECT_EQ(cache.FillPosition(), 15);
}

TEST_F(PhysiqueFixture, FullBufferFitsAndOneMoreFails)
{
    struct Row {
        const char* name;
        int first;
        int second;
        bool secondFits;
    };
    const Row rows[] = {
        {"whole buffer, then one", 8000, 1, false},
        {"one short, then the last record", 7999, 1, true},
        {"one short, then two", 7999, 2, false},
        {"empty allocation at the end", 8000, 0, true},
        {"negative count", 10, -1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        cache.Init(buffer0, buffer1);
        uint32_t id = 0;
        ASSERT_EQ(cache.Alloc(row.first, &id), buffer0);
        EXPECT_EQ(id, 0x00010000u);
        id = 0xDEADBEEF;
        uint8_t* p = cache.Alloc(row.second, &id);
        if (row.secondFits) {
            EXPECT_EQ(p, buffer0 + row.first * 12);
            EXPECT_EQ(id, 0x00010000u | static_cast<uint32_t>(row.first));
        } else {
            EXPECT_EQ(p, nullptr);
            EXPECT_EQ(id, 0u);
            EXPECT_EQ(cache.FillPosition(), row.first);  // nothing moved
        }
    }
}

TEST_F(PhysiqueFixture, FlipSwapsBuffersAndInvalidatesOldIds)
{
    uint32_t idOld = 0;
    cache.Alloc(100, &idOld);
    cache.Flip();
    EXPECT_FALSE(cache.Valid(idOld));
    EXPECT_EQ(cache.GetVerts(idOld), nullptr);
    uint32_t idNew = 0;
    EXPECT_EQ(cache.Alloc(3, &idNew), buffer1);  // the other buffer, from its start
    EXPECT_EQ(idNew, 0x00020000u);
    cache.Flip();
    EXPECT_EQ(cache.Alloc(1, &idNew), buffer0);
    EXPECT_EQ(idNew, 0x00030000u);
}

TEST_F(PhysiqueFixture, MagicSkipsZeroWhenItWraps)
{
    for (int i = 0; i < 65534; ++i)
        cache.Flip();
    EXPECT_EQ(cache.Magic(), 0xFFFF);
    cache.Flip();
    EXPECT_EQ(cache.Magic(), 1);
    uint32_t id = 0;
    cache.Alloc(1, &id);
    EXPECT_EQ(id >> 16, 1u);
    // Id 0 means "none" and never resolves.
    EXPECT_FALSE(cache.Valid(0));
    EXPECT_EQ(cache.GetVerts(0), nullptr);
}

TEST_F(PhysiqueFixture, IdsThatPointOutsideTheBufferDoNotResolve)
{
    EXPECT_EQ(cache.GetVerts(0x00011F41u), nullptr);  // record 8001
    EXPECT_EQ(cache.GetVerts(0x0001FFFFu), nullptr);
    EXPECT_EQ(cache.GetVerts(0x00011F40u), buffer0 + 96000);  // one past the end, as a zero-size block
}

TEST(ePhysiqueCache, WithoutMemoryEveryAllocationFails)
{
    ePhysiqueCache cache;
    uint32_t id = 7;
    EXPECT_EQ(cache.Alloc(1, &id), nullptr);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(cache.GetVerts(0x00010000u), nullptr);
}

}  // namespace
