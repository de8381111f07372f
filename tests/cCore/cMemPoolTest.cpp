#include "cCore/cMemPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cCore/cLog.h"

namespace {

struct LogCapture {
    std::vector<std::string> errors;
    cLogFunc previous;
    LogCapture() { previous = cLogSetCallback(Record, this); }
    ~LogCapture() { cLogSetCallback(previous, nullptr); }
    static void Record(void* user, cLogType type, const char* text)
    {
        if (type == LOGTYPE_ERROR)
            static_cast<LogCapture*>(user)->errors.push_back(text);
    }
};

bool AllZero(const cMemPool& pool)
{
    for (const uint8_t* p = pool.GetStart(); p < pool.GetEnd(); ++p) {
        if (*p)
            return false;
    }
    return true;
}

}  // namespace

TEST(cMemPool, SizeIsRoundedTo32AndScaledForTheHost)
{
    struct Row {
        uint32_t size;
        size_t hostBytes;
    };
    const Row rows[] = {{100, 128 * kHostPoolScale}, {32, 32 * kHostPoolScale}, {1, 32 * kHostPoolScale},
                        {0x10000, 0x10000 * kHostPoolScale}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        cMemPool pool("Rounding", row.size, false);
        ASSERT_TRUE(pool.HasMemory());
        EXPECT_EQ(pool.GetEnd() - pool.GetStart(), static_cast<ptrdiff_t>(row.hostBytes));
        EXPECT_EQ(pool.GetSize(), row.size);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(pool.GetStart()) % 32, 0u);
        EXPECT_EQ(pool.BytesTaken(), 0u);
        EXPECT_TRUE(AllZero(pool));
    }
}

static const cMemPool* s_resetPools[4];
static int s_nResets = 0;
static void RecordReset(const cMemPool* pPool)
{
    if (s_nResets < 4)
        s_resetPools[s_nResets] = pPool;
    ++s_nResets;
}

TEST(cMemPool, ResetZeroFillsAndTellsOwnersWhoDropTheirPointers)
{
    cMemPool pool("Map", 256, false);
    cMemPool other("Game", 256, false);
    uint8_t* p = static_cast<uint8_t*>(pool.Alloc(64));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 64; ++i)
        p[i] = 0xAB;
    void* pOther = other.Alloc(16);

    static void* s_held[2];
    s_held[0] = p;
    s_held[1] = pOther;
    s_nResets = 0;
    cMemPool::ResetNotifyFunc old = cMemPool::SetResetNotify([](const cMemPool* pPool) {
        RecordReset(pPool);
        for (void*& held : s_held) {
            if (pPool->Contains(held))
                held = nullptr;
        }
    });
    pool.Reset();
    cMemPool::SetResetNotify(old);

    EXPECT_TRUE(AllZero(pool));
    EXPECT_EQ(pool.BytesTaken(), 0u);
    ASSERT_EQ(s_nResets, 1);
    EXPECT_EQ(s_resetPools[0], &pool);
    EXPECT_EQ(s_held[0], nullptr);
    EXPECT_EQ(s_held[1], pOther) << "pointers into other pools stay";
    EXPECT_EQ(pool.Alloc(8), pool.GetStart()) << "the cursor is back at the start";
}

TEST(cMemPool, AllocationPastTheEndOrWithoutMemoryFailsAndLogs)
{
    LogCapture log;
    cMemPool pool("Small", 32, false);  // 64 bytes on the host
    EXPECT_NE(pool.Alloc(48, 16), nullptr);
    EXPECT_NE(pool.Alloc(16, 16), nullptr);  // exactly full
    EXPECT_EQ(pool.BytesTaken(), pool.Capacity());
    EXPECT_EQ(pool.Alloc(1, 1), nullptr);
    cMemPool empty("Empty", 0, false);
    EXPECT_EQ(empty.Alloc(4), nullptr);
    EXPECT_EQ(empty.Alloc(4), nullptr) << "never a wild pointer, however often";
    ASSERT_EQ(log.errors.size(), 3u);
    EXPECT_NE(log.errors[0].find("\"Small\""), std::string::npos);
    EXPECT_NE(log.errors[1].find("\"Empty\""), std::string::npos);
}

TEST(cMemPool, AllocAlignsAndNewConstructs)
{
    struct alignas(16) Wide {
        int n = 5;
        double d = 2.5;
    };
    cMemPool pool("Align", 256, false);
    uint8_t* first = static_cast<uint8_t*>(pool.Alloc(3, 1));
    ASSERT_EQ(first, pool.GetStart());
    EXPECT_EQ(pool.Alloc(2, 4), first + 4);
    EXPECT_EQ(pool.Alloc(1, 3), first + 16);  // not a power of two: the widest alignment
    Wide* w = pool.New<Wide>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(w), first + 32);
    EXPECT_EQ(w->n, 5);
    EXPECT_EQ(pool.BytesTaken(), 32u + sizeof(Wide));
}

TEST(cMemPool, ResetOfAnUntouchedPoolDoesNotClearAgain)
{
    cMemPool pool("Untouched", 64, false);
    pool.GetStart()[5] = 7;  // written behind the allocator's back
    pool.Reset();
    EXPECT_EQ(pool.GetStart()[5], 7);
}

TEST(cMemPool, MemoryIsGivenOnceAndReturned)
{
    LogCapture log;
    cMemPool pool("Later", 0, false);
    ASSERT_TRUE(pool.AllocPoolMemory(64));
    std::memset(pool.Alloc(16), 0xAB, 16);
    ASSERT_TRUE(pool.AllocPoolMemory(96));
    uint8_t* start = pool.GetStart();
    EXPECT_EQ(pool.GetSize(), 96u);
    EXPECT_EQ(std::count(start, pool.GetEnd(), 0), pool.GetEnd() - start);
    EXPECT_LT(static_cast<uint8_t*>(pool.Alloc(16)) - start, 64);  // the cursor is back at the start
    pool.FreePoolMemory();
    EXPECT_FALSE(pool.HasMemory());
    EXPECT_EQ(pool.GetSize(), 0u);
    EXPECT_EQ(cMemPool::GetPoolFromPtr(start), nullptr);
    EXPECT_TRUE(log.errors.empty());
}
