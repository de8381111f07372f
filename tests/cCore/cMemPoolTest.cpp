#include "cCore/cMemPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "cCore/cLog.h"
#include "platform/os.h"

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

// The whole memory is read and written behind the allocator's back, past
// the poisoning the sanitizer build gives what is not handed out.
#if defined(QM_POOL_POISON)
#define QM_NO_ASAN __attribute__((no_sanitize("address")))
#else
#define QM_NO_ASAN
#endif

QM_NO_ASAN void Poke(uint8_t* p, uint8_t value)
{
    *p = value;
}

QM_NO_ASAN uint8_t Peek(const uint8_t* p)
{
    return *p;
}

QM_NO_ASAN bool AllZero(const cMemPool& pool)
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

TEST(cMemPool, ResetOfAnUntouchedPoolDoesNotClearAgain)
{
    cMemPool pool("Untouched", 64, false);
    Poke(pool.GetStart() + 5, 7);  // written behind the allocator's back
    pool.Reset();
    EXPECT_EQ(Peek(pool.GetStart() + 5), 7);
}

// A reset costs what the pool handed out, not its size: the bytes past the
// cursor are left alone, those before it are zero again.
TEST(cMemPool, ResetClearsOnlyWhatTheCursorPassed)
{
    cMemPool pool("Partly used", 256, false);
    uint8_t* p = static_cast<uint8_t*>(pool.Alloc(40));
    ASSERT_NE(p, nullptr);
    Poke(p + 39, 9);
    const size_t taken = pool.BytesTaken();
    Poke(pool.GetStart() + taken + 100, 7);  // written behind the allocator's back
    pool.Reset();
    EXPECT_EQ(Peek(p + 39), 0);
    EXPECT_EQ(Peek(pool.GetStart() + taken + 100), 7);
}

// What the platform noted about a pool's old contents (stored ranges that
// bound graphics arrays) must not outlive a Reset that empties it.
TEST(cMemPool, ResetTellsThePlatformTheMemoryIsEmptied)
{
    static std::vector<std::pair<const void*, uint32_t>> s_emptied;
    struct Row { const char* name; size_t taken; size_t calls; };
    const Row rows[] = {{"used", 40, 1}, {"untouched since the last reset", 0, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        cMemPool pool("Emptied", 256, false);
        if (r.taken) {
            ASSERT_NE(pool.Alloc(r.taken), nullptr);
        }
        s_emptied.clear();
        DCSetInvalidateListener([](const void* p, uint32_t n) { s_emptied.emplace_back(p, n); });
        pool.Reset();
        DCSetInvalidateListener(nullptr);
        ASSERT_EQ(s_emptied.size(), r.calls);
        if (r.calls) {
            EXPECT_EQ(s_emptied[0].first, pool.GetStart());
            EXPECT_EQ(s_emptied[0].second, pool.Capacity());
        }
    }
}

TEST(cMemPool, GetPoolFromPtrAtBothEnds)
{
    cMemPool pool("Ends", 100, false);
    struct Row {
        const char* name;
        const void* p;
        bool inPool;
    };
    int onStack = 0;
    const Row rows[] = {
        {"first byte", pool.GetStart(), true},
        {"last byte", pool.GetEnd() - 1, true},
        {"end", pool.GetEnd(), false},
        {"before start", pool.GetStart() - 1, false},
        {"a stack address", &onStack, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(pool.Contains(row.p), row.inPool);
        if (row.inPool)
            EXPECT_EQ(cMemPool::GetPoolFromPtr(row.p), &pool);
        else
            EXPECT_NE(cMemPool::GetPoolFromPtr(row.p), &pool);
    }
    EXPECT_EQ(cMemPool::GetPoolFromPtr(&onStack), nullptr);
}

TEST(cMemPool, ListKeepsTheOrderOfConstruction)
{
    ASSERT_NE(cMemPool::s_pPoolList, nullptr);
    ASSERT_NE(cMemPool::s_pGlobalPool, nullptr);
    EXPECT_STREQ(cMemPool::s_pGlobalPool->GetName(), "Global");
    cMemPool* head = cMemPool::s_pPoolList;
    cMemPool* oldTail = head->GetPrev();
    {
        cMemPool a("A", 0, false);
        cMemPool b("B", 0, false);
        cMemPool c("C", 0, false);
        EXPECT_EQ(oldTail->GetNext(), &a);
        EXPECT_EQ(a.GetNext(), &b);
        EXPECT_EQ(b.GetNext(), &c);
        EXPECT_EQ(c.GetNext(), head);
        EXPECT_EQ(head->GetPrev(), &c);
        EXPECT_EQ(b.GetPrev(), &a);
        EXPECT_EQ(cMemPool::s_pPoolList, head) << "the first pool stays the head";
        {
            cMemPool doomed("D", 0, false);
        }
        EXPECT_EQ(c.GetNext(), head);
    }
    EXPECT_EQ(oldTail->GetNext(), head);
    EXPECT_EQ(head->GetPrev(), oldTail);
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
    // Under the sanitizer a poisoned red zone lies before every object but the first.
    constexpr size_t R = cMemPool::kRedZone;
    const auto up = [](size_t n, size_t a) { return (n + a - 1) / a * a; };
    uint8_t* first = static_cast<uint8_t*>(pool.Alloc(3, 1));
    ASSERT_EQ(first, pool.GetStart());
    const size_t second = up(3 + R, 4), third = up(second + 2 + R, 16), wide = up(third + 1 + R, 16);
    EXPECT_EQ(pool.Alloc(2, 4), first + second);
    EXPECT_EQ(pool.Alloc(1, 3), first + third);  // not a power of two: the widest alignment
    Wide* w = pool.New<Wide>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(w), first + wide);
    EXPECT_EQ(w->n, 5);
    EXPECT_EQ(pool.BytesTaken(), wide + sizeof(Wide));
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
    // The whole block is handed out from its start (read only what was handed
    // out: the rest is poisoned under the sanitizer).
    uint8_t* all = static_cast<uint8_t*>(pool.Alloc(96));
    ASSERT_EQ(all, start);
    EXPECT_EQ(std::count(all, all + 96, 0), 96);
    pool.FreePoolMemory();
    EXPECT_FALSE(pool.HasMemory());
    EXPECT_EQ(pool.GetSize(), 0u);
    EXPECT_EQ(cMemPool::GetPoolFromPtr(start), nullptr);
    EXPECT_TRUE(log.errors.empty());
}

// The run's figures: the largest use survives resets and frees; the use at
// release is what the pool held just before it was emptied or freed.
TEST(cMemPool, ReportFiguresFollowTheLargestUseAndTheLastRelease)
{
    constexpr size_t R = cMemPool::kRedZone;
    cMemPool pool("Figures", 256, false);  // 512 bytes on the host
    const struct {
        const char* sStep;
        std::function<void()> step;
        size_t nPeak, nAtRelease, nCapacityAtRelease;
    } rows[] = {
        {"made", [] {}, 0, 0, 0},
        {"64 taken", [&] { pool.Alloc(64, 1); }, 64, 0, 0},
        {"32 more", [&] { pool.Alloc(32, 1); }, 96 + R, 0, 0},
        {"reset", [&] { pool.Reset(); }, 96 + R, 96 + R, 512},
        {"16 after the reset", [&] { pool.Alloc(16, 1); }, 96 + R, 96 + R, 512},
        {"freed", [&] { pool.FreePoolMemory(); }, 96 + R, 16, 512},
        {"a free pool freed again", [&] { pool.FreePoolMemory(); }, 96 + R, 16, 512},
        {"larger memory, 200 taken", [&] { pool.AllocPoolMemory(512); pool.Alloc(200, 1); }, 200, 16, 512},
        {"replaced by fresh memory", [&] { pool.AllocPoolMemory(64); }, 200, 200, 1024},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sStep);
        row.step();
        EXPECT_EQ(pool.PeakTaken(), row.nPeak);
        EXPECT_EQ(pool.TakenAtRelease(), row.nAtRelease);
        EXPECT_EQ(pool.CapacityAtRelease(), row.nCapacityAtRelease);
    }
}

TEST(cMemPool, CrcCoversTheWholeMemory)
{
    cMemPool pool("Crc", 32, false);
    const uint32_t zeros = pool.CalcCRC32();
    Poke(pool.GetEnd() - 1, 1);  // the last byte counts
    EXPECT_NE(pool.CalcCRC32(), zeros);
}

#if defined(QM_POOL_POISON)
// Only the sanitizer build can see these faults; other builds compile no
// test here rather than skip one.
TEST(cMemPoolDeathTest, AccessOutsideHandedOutMemoryIsReported)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Row {
        const char* what;
        void (*access)(cMemPool& pool);
    };
    static const Row rows[] = {
        {"an overrun from one object into the next",
         [](cMemPool& pool) {
             uint8_t* a = static_cast<uint8_t*>(pool.Alloc(32));
             uint8_t* b = static_cast<uint8_t*>(pool.Alloc(32));
             std::memset(a, 1, static_cast<size_t>(b - a) + 1);
         }},
        {"one byte past an object's odd size",
         [](cMemPool& pool) {
             volatile uint8_t* a = static_cast<uint8_t*>(pool.Alloc(21, 1));
             pool.Alloc(8, 1);
             a[21] = 1;
         }},
        {"memory not handed out yet",
         [](cMemPool& pool) {
             volatile uint8_t* a = static_cast<uint8_t*>(pool.Alloc(16));
             a[200] = 1;
         }},
        {"an object the reset took back",
         [](cMemPool& pool) {
             volatile uint8_t* a = static_cast<uint8_t*>(pool.Alloc(16));
             pool.Reset();
             a[0] = 1;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        cMemPool pool("Poisoned", 256, false);
        EXPECT_DEATH(row.access(pool), "AddressSanitizer: use-after-poison");
    }
}
#endif
