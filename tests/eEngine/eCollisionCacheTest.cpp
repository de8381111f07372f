#include "eEngine/eCollisionCache.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "eEngine/eZone.h"

namespace {

TEST(eCollisionCacheTest, FirstLockOfTwentyUsesTwoBlocks)
{
    auto cache = std::make_unique<eCollisionCache>();
    uint32_t key = 0, second = 0;
    EXPECT_EQ(cache->Find(0), nullptr);
    EXPECT_EQ(cache->Lock(20, &key), &cache->m_tris[0]);
    EXPECT_EQ(key, 0x100u);  // serial 1, block 0
    EXPECT_TRUE(cache->m_bIsLocked);
    EXPECT_EQ(cache->m_nNextEntry, 2);
    EXPECT_EQ(cache->m_nNextMagicNum, 2u);
    EXPECT_EQ(cache->m_entries[1].nId, 0u);
    EXPECT_EQ(cache->Lock(16, &second), &cache->m_tris[32]);
    EXPECT_EQ(second, 0x202u);
    EXPECT_EQ(cache->Find(key), &cache->m_tris[0]);
    EXPECT_EQ(cache->Find(second), &cache->m_tris[32]);
    EXPECT_EQ(cache->m_nLockedTris, 36);
    EXPECT_EQ(cache->Find(key | 0x40), nullptr);  // block 64 does not exist
}

TEST(eCollisionCacheTest, RunBoundsTakeInEveryCornerButNaNAndGoWithTheRun)
{
    auto cache = std::make_unique<eCollisionCache>();
    uint32_t key = 0, other = 0;
    eCollisionCacheTri* pRun = cache->Lock(2, &key);
    ASSERT_NE(pRun, nullptr);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    pRun[0].v1.Set(1, -2, 3);
    pRun[0].v2.Set(nan, 5, -6);
    pRun[0].v3.Set(0, 0, 0);
    pRun[1].v1.Set(-7, 8, nan);
    pRun[1].v2.Set(2, 1, 9);
    pRun[1].v3.Set(4, -3, 1);
    mVec3 lo, hi;
    EXPECT_FALSE(cache->GetRunBounds(key, &lo, &hi));  // none noted yet
    cache->NoteRunBounds(key, 2);
    ASSERT_TRUE(cache->GetRunBounds(key, &lo, &hi));
    EXPECT_EQ(lo, mVec3(-7, -3, -6));
    EXPECT_EQ(hi, mVec3(4, 8, 9));
    // A later run over the same blocks, and an invalidation, forget it.
    cache->m_nNextEntry = 0;
    ASSERT_NE(cache->Lock(1, &other), nullptr);
    EXPECT_FALSE(cache->GetRunBounds(key, &lo, &hi));
    cache->NoteRunBounds(other, 1);
    EXPECT_TRUE(cache->GetRunBounds(other, &lo, &hi));
    cache->Invalidate();
    EXPECT_FALSE(cache->GetRunBounds(other, &lo, &hi));
}

TEST(eCollisionCacheTest, RunsThatDoNotFitRestartAtBlockZero)
{
    const struct { const char* why; int next, count, start, nextAfter; } rows[] = {
        {"17 triangles need 2 blocks, 1 left", 63, 17, 0, 2}, {"16 triangles fit the last block", 63, 16, 63, 64},
        {"after the last block any count restarts", 64, 1, 0, 1}, {"a full arena from the middle", 10, 1024, 0, 64},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        auto cache = std::make_unique<eCollisionCache>();
        cache->m_nNextEntry = row.next;
        uint32_t key = 0;
        EXPECT_EQ(cache->Lock(row.count, &key), &cache->m_tris[row.start * 16]);
        EXPECT_EQ(key, 0x100u | static_cast<uint32_t>(row.start));
        EXPECT_EQ(cache->m_nNextEntry, row.nextAfter);
    }
    auto cache = std::make_unique<eCollisionCache>();
    uint32_t a = 0, b = 0, c = 0;
    cache->Lock(40, &a);   // blocks 0-2
    cache->Lock(600, &b);  // blocks 3-40
    cache->Lock(500, &c);  // 32 blocks, 23 left: restarts over both
    EXPECT_EQ(cache->Find(a), nullptr);
    EXPECT_EQ(cache->Find(b), nullptr);  // its first block was zeroed
    EXPECT_EQ(cache->Find(c), &cache->m_tris[0]);
}

TEST(eCollisionCacheTest, CountsWithoutARunLeaveTheCacheAlone)
{
    for (int next : {0, 64}) {
        auto cache = std::make_unique<eCollisionCache>();
        cache->m_nNextEntry = next;
        for (int count : {0, -3, 1025}) {
            uint32_t key = 0xFFFFFFFF;
            EXPECT_EQ(cache->Lock(count, &key), nullptr) << count;
            EXPECT_EQ(key, 0u) << count;
        }
        EXPECT_EQ(cache->m_nNextEntry, next);  // nothing written past the 64 entries
        EXPECT_EQ(cache->m_nNextMagicNum, 1u);
        EXPECT_FALSE(cache->m_bIsLocked);
    }
}

TEST(eCollisionCacheTest, SerialsWrapToOneAndSurviveInvalidation)
{
    auto cache = std::make_unique<eCollisionCache>();
    cache->m_nNextMagicNum = 0xFFFFFE;
    uint32_t a = 0, b = 0, c = 0;
    cache->Lock(1, &a);
    EXPECT_EQ(a, 0xFFFFFE00u);
    cache->Lock(1, &b);
    EXPECT_EQ(b, 0x101u);  // 0xFFFFFF is never used, nor 0
    cache->Invalidate();
    EXPECT_EQ(cache->Find(a), nullptr);
    EXPECT_EQ(cache->Find(b), nullptr);
    cache->Lock(1, &c);
    EXPECT_EQ(c, 0x202u);  // position and serial kept: a fresh key
}

TEST(eCollisionCacheTest, ZoneStaticRunsOutliveTheTickDynamicOnesDoNot)
{
    ASSERT_TRUE(eZone::Initialize());
    EXPECT_TRUE(eZone::Initialize());  // a second start-up keeps the caches
    eCollisionCache* const s = eZone::s_pStaticColCache;
    eCollisionCache* const d = eZone::s_pDynamicColCache;
    ASSERT_TRUE(s && d && s != d);
    uint32_t listKey = 0, modelKey = 0;
    eCollisionCacheTri* listRun = s->Lock(12, &listKey);
    for (int tick = 0; tick < 3; ++tick) {
        eCollisionCacheTri* modelRun = d->Lock(12, &modelKey);
        EXPECT_EQ(d->Find(modelKey), modelRun);
        eZone::InvalidateDynamicCollisionCache();
        EXPECT_EQ(d->Find(modelKey), nullptr) << tick;
        EXPECT_EQ(s->Find(listKey), listRun) << tick;
    }
    eZone::InvalidateStaticCollisionCache();  // regions were loaded
    EXPECT_EQ(s->Find(listKey), nullptr);
    eZone::Uninitialize();
    EXPECT_EQ(eZone::s_pStaticColCache, nullptr);
    eZone::InvalidateDynamicCollisionCache();  // harmless without caches
}

}  // namespace
