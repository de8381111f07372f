#include "eEngine/ePhysiqueCache.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct PhysiqueCacheTest : ::testing::Test {
    std::vector<uint8_t> memory = std::vector<uint8_t>(2 * ePhysiqueCache::kBufferBytes);
    uint8_t* buffer0 = memory.data();
    uint8_t* buffer1 = memory.data() + ePhysiqueCache::kBufferBytes;
    ePhysiqueCache cache;
    void SetUp() override { cache.Init(buffer0, buffer1); }
};

TEST_F(PhysiqueCacheTest, AllocationUpToTheLastRecord)
{
    struct Row {
        const char* name;
        int first, second;
        bool secondFits;
    };
    const Row rows[] = {
        {"whole buffer, then one", 8000, 1, false},
        {"one short, then the last record", 7999, 1, true},
        {"one short, then two", 7999, 2, false},
        {"negative count", 10, -1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        cache.Init(buffer0, buffer1);
        uint32_t id = 0;
        ASSERT_EQ(cache.Alloc(row.first, &id), buffer0);
        EXPECT_EQ(id, 0x00010000u);  // magic 1, record 0
        id = 0xDEADBEEF;
        uint8_t* p = cache.Alloc(row.second, &id);
        EXPECT_EQ(p, row.secondFits ? buffer0 + row.first * 12 : nullptr);
        EXPECT_EQ(id, row.secondFits ? 0x00010000u | static_cast<uint32_t>(row.first) : 0u);
        EXPECT_EQ(cache.FillPosition(), row.first + (row.secondFits ? row.second : 0));
    }
}

TEST_F(PhysiqueCacheTest, FlipSwapsBuffersAndInvalidatesOldIds)
{
    uint32_t idOld = 0;
    cache.Alloc(100, &idOld);
    EXPECT_EQ(cache.GetVerts(idOld + 10), buffer0 + 120);
    cache.Flip();
    EXPECT_FALSE(cache.Valid(idOld));
    EXPECT_EQ(cache.GetVerts(idOld), nullptr);
    uint32_t id = 0;
    EXPECT_EQ(cache.Alloc(3, &id), buffer1);  // the other buffer, from its start
    EXPECT_EQ(id, 0x00020000u);
    cache.Flip();
    EXPECT_EQ(cache.Alloc(1, &id), buffer0);
}

TEST_F(PhysiqueCacheTest, MagicSkipsZeroWhenItWraps)
{
    for (int i = 0; i < 65535; ++i)
        cache.Flip();
    EXPECT_EQ(cache.Magic(), 1);  // 65535 + 1 wraps to 0, which is never used
    EXPECT_EQ(cache.GetVerts(0), nullptr);
    EXPECT_EQ(cache.GetVerts(0x00011F41u), nullptr);  // record 8001: outside the buffer
    ePhysiqueCache empty;
    uint32_t id = 7;
    EXPECT_EQ(empty.Alloc(1, &id), nullptr);  // no memory
    EXPECT_EQ(id, 0u);
}

}  // namespace
