#include "eEngine/eCollisionCache.h"

#include <memory>

#include <gtest/gtest.h>

#include "eEngine/eZone.h"

namespace {

class eCollisionCacheTest : public testing::Test {
protected:
    eCollisionCacheTri* Tri(int index) { return &m_cache->m_tris[index]; }
    std::unique_ptr<eCollisionCache> m_cache = std::make_unique<eCollisionCache>();
};

TEST_F(eCollisionCacheTest, FreshCacheIsEmpty)
{
    EXPECT_EQ(m_cache->m_nNextEntry, 0);
    EXPECT_EQ(m_cache->m_nNextMagicNum, 1u);
    EXPECT_FALSE(m_cache->m_bIsLocked);
    EXPECT_EQ(m_cache->m_nLockedTris, 0);
    for (const eCollisionCacheEntry& e : m_cache->m_entries)
        EXPECT_EQ(e.nId, 0u);
    EXPECT_EQ(m_cache->Find(0), nullptr);
}

TEST_F(eCollisionCacheTest, FirstLockOfTwentyUsesTwoBlocks)
{
    uint32_t key = 0xDEAD;
    EXPECT_EQ(m_cache->Lock(20, &key), Tri(0));
    EXPECT_EQ(key, 0x100u);  // serial 1, block 0
    EXPECT_TRUE(m_cache->m_bIsLocked);
    EXPECT_EQ(m_cache->m_nNextEntry, 2);
    EXPECT_EQ(m_cache->m_nNextMagicNum, 2u);
    EXPECT_EQ(m_cache->m_nLockedTris, 20);
    EXPECT_EQ(m_cache->m_entries[0].nId, 0x100u);
    EXPECT_EQ(m_cache->m_entries[1].nId, 0u);
    EXPECT_EQ(m_cache->Find(key), Tri(0));

    uint32_t second = 0;
    EXPECT_EQ(m_cache->Lock(16, &second), Tri(32));
    EXPECT_EQ(second, 0x202u);  // serial 2, block 2
    EXPECT_EQ(m_cache->m_nNextEntry, 3);
    EXPECT_EQ(m_cache->Find(key), Tri(0));  // earlier run still found
    EXPECT_EQ(m_cache->m_nLockedTris, 36);
}

TEST_F(eCollisionCacheTest, RunThatDoesNotFitRestartsAtBlockZero)
{
    const struct { const char* why; int next; int count; int start; int nextAfter; } rows[] = {
        {"17 triangles need 2 blocks, 1 left", 63, 17, 0, 2},
        {"16 triangles fit the last block", 63, 16, 63, 64},
        {"any positive count after the last block restarts", 64, 1, 0, 1},
        {"a full-arena run from the start", 0, 1024, 0, 64},
        {"a full-arena run from the middle restarts", 10, 1024, 0, 64},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eCollisionCache cache;
        cache.m_nNextEntry = row.next;
        uint32_t key = 0;
        EXPECT_EQ(cache.Lock(row.count, &key), &cache.m_tris[row.start * 16]);
        EXPECT_EQ(key & 0xFF, static_cast<uint32_t>(row.start));
        EXPECT_EQ(cache.m_nNextEntry, row.nextAfter);
    }
}

TEST_F(eCollisionCacheTest, ReusedBlocksInvalidateOlderRuns)
{
    uint32_t a = 0, b = 0, c = 0;
    m_cache->Lock(40, &a);   // blocks 0-2
    m_cache->Lock(600, &b);  // blocks 3-40
    m_cache->Lock(500, &c);  // 32 blocks do not fit in the 23 left: restarts, blocks 0-31
    EXPECT_EQ(c & 0xFF, 0u);
    EXPECT_EQ(m_cache->Find(a), nullptr);  // first block overwritten by c's key
    EXPECT_EQ(m_cache->Find(b), nullptr);  // first block (3) zeroed though the run is longer
    EXPECT_EQ(m_cache->Find(c), Tri(0));
    for (int block = 1; block < 32; ++block)
        EXPECT_EQ(m_cache->m_entries[block].nId, 0u) << block;
}

TEST_F(eCollisionCacheTest, CountsWithoutARunChangeNothing)
{
    for (int next : {0, 5, 64}) {
        SCOPED_TRACE(next);
        eCollisionCache cache;
        cache.m_nNextEntry = next;
        for (int count : {0, -3, 1025, 70000}) {
            uint32_t key = 0xFFFFFFFF;
            EXPECT_EQ(cache.Lock(count, &key), nullptr) << count;
            EXPECT_EQ(key, 0u) << count;
        }
        // Nothing written past the 64 entries (m_nNextEntry lies just after
        // them) and no serial spent.
        EXPECT_EQ(cache.m_nNextEntry, next);
        EXPECT_EQ(cache.m_nNextMagicNum, 1u);
        EXPECT_EQ(cache.m_nLockedTris, 0);
        EXPECT_FALSE(cache.m_bIsLocked);
    }
}

TEST_F(eCollisionCacheTest, InvalidationMissesEveryKeyAndKeepsSerials)
{
    uint32_t a = 0, b = 0;
    m_cache->Lock(10, &a);
    m_cache->Lock(10, &b);
    m_cache->Invalidate();
    EXPECT_EQ(m_cache->Find(a), nullptr);
    EXPECT_EQ(m_cache->Find(b), nullptr);
    EXPECT_EQ(m_cache->m_nNextEntry, 2);
    uint32_t c = 0;
    m_cache->Lock(10, &c);
    EXPECT_EQ(c, 0x302u);  // fresh serial 3 at block 2
    EXPECT_NE(c, a);
    EXPECT_NE(c, b);
}

TEST_F(eCollisionCacheTest, SerialWrapsToOneNeverZero)
{
    m_cache->m_nNextMagicNum = 0xFFFFFE;
    uint32_t key = 0;
    m_cache->Lock(1, &key);
    EXPECT_EQ(key, 0xFFFFFE00u);
    EXPECT_EQ(m_cache->m_nNextMagicNum, 1u);
    m_cache->Lock(1, &key);
    EXPECT_EQ(key, 0x101u);
}

TEST_F(eCollisionCacheTest, KeysNamingNoValidBlockMiss)
{
    uint32_t key = 0;
    m_cache->Lock(16, &key);
    EXPECT_EQ(m_cache->Find(key | 0x40), nullptr);  // block 64 does not exist
    EXPECT_EQ(m_cache->Find(key + 0x100), nullptr);  // other serial
    EXPECT_EQ(m_cache->Find(0xFF), nullptr);
}

// The zone owns one static and one dynamic cache: static runs survive the
// per-tick invalidation of the dynamic one.
class eZoneCollisionCacheTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(eZone::Initialize()); }
    void TearDown() override { eZone::Uninitialize(); }
};

TEST_F(eZoneCollisionCacheTest, StaticKeysPersistAcrossTicksDynamicOnesDoNot)
{
    ASSERT_NE(eZone::s_pStaticColCache, nullptr);
    ASSERT_NE(eZone::s_pDynamicColCache, nullptr);
    EXPECT_NE(eZone::s_pStaticColCache, eZone::s_pDynamicColCache);
    EXPECT_TRUE(eZone::Initialize());  // a second start-up keeps the caches

    uint32_t listKey = 0, modelKey = 0;
    eCollisionCacheTri* listRun = eZone::s_pStaticColCache->Lock(12, &listKey);
    eCollisionCacheTri* modelRun = eZone::s_pDynamicColCache->Lock(12, &modelKey);
    ASSERT_NE(listRun, nullptr);
    ASSERT_NE(modelRun, nullptr);

    for (int tick = 0; tick < 3; ++tick) {
        eZone::InvalidateDynamicCollisionCache();
        EXPECT_EQ(eZone::s_pStaticColCache->Find(listKey), listRun) << "tick " << tick;
        EXPECT_EQ(eZone::s_pDynamicColCache->Find(modelKey), nullptr) << "tick " << tick;
        modelRun = eZone::s_pDynamicColCache->Lock(12, &modelKey);  // decoded again this tick
        EXPECT_EQ(eZone::s_pDynamicColCache->Find(modelKey), modelRun);
    }
    eZone::InvalidateStaticCollisionCache();  // regions were loaded
    EXPECT_EQ(eZone::s_pStaticColCache->Find(listKey), nullptr);
    EXPECT_EQ(eZone::s_pDynamicColCache->Find(modelKey), modelRun);
}

TEST_F(eZoneCollisionCacheTest, UninitializeForgetsBothCaches)
{
    eZone::Uninitialize();
    EXPECT_EQ(eZone::s_pStaticColCache, nullptr);
    EXPECT_EQ(eZone::s_pDynamicColCache, nullptr);
    eZone::InvalidateStaticCollisionCache();  // harmless without caches
    eZone::InvalidateDynamicCollisionCache();
    EXPECT_TRUE(eZone::Initialize());
    EXPECT_EQ(eZone::s_pStaticColCache->m_nNextMagicNum, 1u);
}

}  // namespace
