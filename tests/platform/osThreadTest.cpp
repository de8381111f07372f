#include "platform/os.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "../test/os_test.h"
#include "testDeadline.h"

namespace {

struct Worker {
    explicit Worker(std::string* log = nullptr, char c = '?', int rounds = 0) : pLog(log), id(c), nRounds(rounds) {}
    OSThread thread;
    std::string* pLog = nullptr;
    char id = '?';
    int nRounds = 0;
    OSMutex* pMutex = nullptr;
    std::atomic<bool>* pStop = nullptr;  // both shared with the running thread
    std::atomic<long> nProgress{0};
    OSTime recorded[8] = {};
};

void* LogOnce(void* arg)
{
    Worker* w = static_cast<Worker*>(arg);
    *w->pLog += w->id;
    return nullptr;
}

void* LogAndYield(void* arg)
{
    Worker* w = static_cast<Worker*>(arg);
    for (int i = 0; i < w->nRounds; ++i) {
        *w->pLog += w->id;
        OSYieldThread();
    }
    return nullptr;
}

void* SpinUntilStopped(void* arg)
{
    Worker* w = static_cast<Worker*>(arg);
    while (!*w->pStop) {
        ++w->nProgress;
        OSYieldThread();
    }
    return reinterpret_cast<void*>(w->nProgress.load());
}

void* LockLogUnlock(void* arg)
{
    Worker* w = static_cast<Worker*>(arg);
    OSLockMutex(w->pMutex);
    *w->pLog += w->id;
    OSUnlockMutex(w->pMutex);
    return nullptr;
}

BOOL Join(OSThread* thread, void** val)
{
    return WithinDeadline("OSJoinThread", [&] { return OSJoinThread(thread, val); });
}

void Sleep(OSTime ticks)
{
    WithinDeadline("OSSleepTicks", [ticks] { OSSleepTicks(ticks); });
}

bool Start(Worker& w, OSThreadFunc func, int priority)
{
    return OSCreateThread(&w.thread, func, &w, nullptr, 0x10000, priority, 0) && OSResumeThread(&w.thread) == 1;
}

void BusyWithoutWaiting(std::chrono::milliseconds span)
{
    const auto until = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < until) {
    }
}

struct VirtualClockScope {
    VirtualClockScope() { OSSetVirtualClock(TRUE); }
    ~VirtualClockScope() { OSSetVirtualClock(FALSE); }
};

}  // namespace

TEST(OSThread, MainThreadHoldsTheCpuAtPriority16)
{
    OSThread* self = OSGetCurrentThread();
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(OSGetThreadPriority(self), 16);
    EXPECT_EQ(self->state, OS_THREAD_STATE_RUNNING);
}

TEST(OSThread, LowPriorityThreadRunsOnlyWhileMainWaits)
{
    std::atomic<bool> bStop{false};
    Worker low;
    low.pStop = &bStop;
    ASSERT_TRUE(Start(low, SpinUntilStopped, OS_PRIORITY_MAX));

    BusyWithoutWaiting(std::chrono::milliseconds(40));
    EXPECT_EQ(low.nProgress.load(), 0) << "ran while the main thread held the CPU";

    Sleep(OSMillisecondsToTicks(20));
    const long nAfterWait = low.nProgress.load();
    EXPECT_GT(nAfterWait, 0) << "did not run while the main thread waited";

    BusyWithoutWaiting(std::chrono::milliseconds(20));
    EXPECT_EQ(low.nProgress.load(), nAfterWait);

    bStop = true;
    void* result = nullptr;
    ASSERT_TRUE(Join(&low.thread, &result));
    EXPECT_EQ(reinterpret_cast<long>(result), low.nProgress.load());
}

TEST(OSThread, ResumingAHigherPriorityThreadRunsItAtOnce)
{
    std::string log;
    Worker high(&log, 'H'), low(&log, 'L');
    ASSERT_TRUE(Start(low, LogOnce, 20));
    EXPECT_EQ(log, "");  // lower than main: waits for main to wait
    ASSERT_TRUE(Start(high, LogOnce, 10));
    EXPECT_EQ(log, "H");
    ASSERT_TRUE(Join(&low.thread, nullptr));
    ASSERT_TRUE(Join(&high.thread, nullptr));
    EXPECT_EQ(log, "HL");
}

TEST(OSThread, EqualPrioritiesTakeTurnsOnYield)
{
    std::string log;
    Worker a(&log, 'a', 3), b(&log, 'b', 3);
    ASSERT_TRUE(Start(a, LogAndYield, 20));
    ASSERT_TRUE(Start(b, LogAndYield, 20));
    ASSERT_TRUE(Join(&a.thread, nullptr));
    ASSERT_TRUE(Join(&b.thread, nullptr));
    EXPECT_EQ(log, "ababab");
}

// Polls for what an interrupt-time section of a platform thread does, the
// way cThread::Yield polls: at the lowest priority for the yield.
long PollUntil(const std::atomic<bool>& bDone)
{
    OSThread* self = OSGetCurrentThread();
    const int nPriority = OSGetThreadPriority(self);
    long nPolls = 0;
    while (!bDone) {
        ++nPolls;
        OSSetThreadPriority(self, OS_PRIORITY_MAX);
        OSYieldThread();
        OSSetThreadPriority(self, nPriority);
    }
    return nPolls;
}

struct Poller {
    OSThread thread;
    const std::atomic<bool>* pDone = nullptr;
    long nPolls = 0;
};

void* PollAsLoader(void* arg)
{
    Poller* p = static_cast<Poller*>(arg);
    p->nPolls = PollUntil(*p->pDone);
    return nullptr;
}

// On the host's clock, threads that only poll sleep between polls, about a
// millisecond at most, instead of spinning a host core: alone, and taking
// turns with a thread of lower priority that polls too (a loader waiting for
// the disc). Only a bound on the count: a busy host makes fewer polls.
TEST(OSThread, PollingYieldsSleepWhileNothingHappens)
{
    for (bool bWithLoader : {false, true}) {
        SCOPED_TRACE(bWithLoader ? "with a polling loader" : "alone");
        std::atomic<bool> bDone{false};
        Poller loader;
        loader.pDone = &bDone;
        if (bWithLoader) {
            ASSERT_TRUE(OSCreateThread(&loader.thread, PollAsLoader, &loader, nullptr, 0x10000, 20, 0));
            OSResumeThread(&loader.thread);
        }
        const auto start = std::chrono::steady_clock::now();
        std::thread platform([&bDone] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            const BOOL level = OSDisableInterrupts();
            bDone = true;
            OSRestoreInterrupts(level);
        });
        const long nPolls = PollUntil(bDone);
        const long nMs = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
        platform.join();
        if (bWithLoader) {
            ASSERT_TRUE(Join(&loader.thread, nullptr));
        }
        EXPECT_LE(nPolls + loader.nPolls, 4 * (nMs + 5)) << nMs << " ms";
    }
}

TEST(OSThread, JoinWaitsForADetachedThreadAndHandsBackItsValue)
{
    std::atomic<bool> bStop{false};
    Worker w;
    w.pStop = &bStop;
    ASSERT_TRUE(OSCreateThread(&w.thread, SpinUntilStopped, &w, nullptr, 0, 25, 0));
    EXPECT_EQ(w.thread.state, OS_THREAD_STATE_READY);  // created suspended
    OSDetachThread(&w.thread);
    EXPECT_EQ(w.thread.attr & OS_THREAD_ATTR_DETACH, OS_THREAD_ATTR_DETACH);
    const int32_t nBefore = OSCheckActiveThreads();
    OSResumeThread(&w.thread);
    OSYieldThread();  // lower priority: a yield alone does not let it run
    EXPECT_EQ(w.nProgress.load(), 0);
    Sleep(OSMillisecondsToTicks(5));
    EXPECT_FALSE(OSCreateThread(&w.thread, SpinUntilStopped, &w, nullptr, 0, 25, 0)) << "the record is live";
    bStop = true;
    void* result = nullptr;
    ASSERT_TRUE(Join(&w.thread, &result));
    EXPECT_EQ(reinterpret_cast<long>(result), w.nProgress.load());
    EXPECT_EQ(w.thread.state, OS_THREAD_STATE_MORIBUND);
    EXPECT_EQ(OSCheckActiveThreads(), nBefore - 1);
}

TEST(OSThread, RefusesBadPrioritiesAndUnknownRecords)
{
    Worker w;
    EXPECT_FALSE(OSCreateThread(&w.thread, LogOnce, &w, nullptr, 0, -1, 0));
    EXPECT_FALSE(OSCreateThread(&w.thread, LogOnce, &w, nullptr, 0, 32, 0));
    OSThread never;
    EXPECT_FALSE(OSJoinThread(&never, nullptr));
    EXPECT_FALSE(OSJoinThread(OSGetCurrentThread(), nullptr));
    EXPECT_FALSE(OSSetThreadPriority(OSGetCurrentThread(), 40));
}

TEST(OSLock, ContendedMutexGoesToTheWaiterWhichPreemptsOnUnlock)
{
    OSMutex mutex;
    OSInitMutex(&mutex);
    std::string log;
    Worker w(&log, 'W'), v(&log, 'V');
    w.pMutex = v.pMutex = &mutex;
    OSLockMutex(&mutex);
    OSLockMutex(&mutex);  // recursive for the owner
    ASSERT_TRUE(Start(v, LockLogUnlock, 12));  // waits first, at a lower priority
    ASSERT_TRUE(Start(w, LockLogUnlock, 10));
    EXPECT_EQ(log, "");  // blocked on the mutex, the CPU came back
    EXPECT_EQ(w.thread.state, OS_THREAD_STATE_WAITING);
    EXPECT_FALSE(OSTryLockMutex(&mutex) == FALSE);  // still ours
    OSUnlockMutex(&mutex);
    OSUnlockMutex(&mutex);
    EXPECT_EQ(log, "");  // one lock still held
    OSUnlockMutex(&mutex);
    EXPECT_EQ(log, "WV");  // released: the higher-priority waiter ran at once, then the other
    ASSERT_TRUE(Join(&w.thread, nullptr));
    ASSERT_TRUE(Join(&v.thread, nullptr));
    EXPECT_EQ(OSTryLockMutex(&mutex), TRUE);
    OSUnlockMutex(&mutex);
    OSFreeMutex(&mutex);
}

TEST(OSVirtualClock, SleepAdvancesExactlyToTheDeadline)
{
    VirtualClockScope scope;
    const OSTime t0 = OSGetTime();
    BusyWithoutWaiting(std::chrono::milliseconds(5));
    EXPECT_EQ(OSGetTime(), t0) << "virtual time moved while a thread ran";
    Sleep(1000);
    EXPECT_EQ(OSGetTime(), t0 + 1000);
    OSWaitUntil(t0 + 500);  // in the past: returns at once
    EXPECT_EQ(OSGetTime(), t0 + 1000);
}

void* SleepThreeTimes(void* arg)
{
    Worker* w = static_cast<Worker*>(arg);
    for (int i = 0; i < 3; ++i) {
        OSSleepTicks(300);
        w->recorded[i] = OSGetTime();
    }
    return nullptr;
}

TEST(OSVirtualClock, WakesEachWaiterAtItsOwnDeadline)
{
    VirtualClockScope scope;
    const OSTime t0 = OSGetTime();
    Worker w;
    ASSERT_TRUE(Start(w, SleepThreeTimes, 10));  // runs at once up to its first sleep
    Sleep(1000);
    EXPECT_EQ(OSGetTime(), t0 + 1000);
    EXPECT_EQ(w.recorded[0], t0 + 300);
    EXPECT_EQ(w.recorded[1], t0 + 600);
    EXPECT_EQ(w.recorded[2], t0 + 900);
    ASSERT_TRUE(Join(&w.thread, nullptr));
}

struct HostEvent {
    std::atomic<bool> bReady{false};
};

void* BlockOnHostEvent(void* arg)
{
    Worker* w = static_cast<Worker*>(arg);
    HostEvent* pEvent = reinterpret_cast<HostEvent*>(w->pMutex);
    w->recorded[0] = OSGetTime();
    OSBlockingWaitBegin();
    while (!pEvent->bReady.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    OSBlockingWaitEnd();
    w->recorded[1] = OSGetTime();
    return nullptr;
}

// A host wait of the main thread, with a lower-priority thread ready: in
// real time that thread runs meanwhile; on the virtual clock the main thread
// keeps the CPU and the time, whatever the host takes.
TEST(OSVirtualClock, HostWaitKeepsTheCpuOnlyOnTheVirtualClock)
{
    const struct {
        const char* name;
        bool bVirtual;
        bool bOtherRuns;
    } rows[] = {
        {"virtual clock", true, false},
        {"real time", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OSSetVirtualClock(row.bVirtual ? TRUE : FALSE);
        std::atomic<bool> bStop{false};
        Worker low;
        low.pStop = &bStop;
        ASSERT_TRUE(Start(low, SpinUntilStopped, 20));
        const OSTime t0 = OSGetTime();
        OSBlockingWaitBegin();
        // Where the other thread may run, the wait lasts until it has (a
        // loaded machine may not schedule it within a few milliseconds);
        // where it may not, a fixed span shows it never does.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(row.bOtherRuns ? 2000 : 20);
        while (std::chrono::steady_clock::now() < until && !(row.bOtherRuns && low.nProgress.load() > 0)) {
        }
        const long nDuringWait = low.nProgress.load();
        WithinDeadline("the end of a host wait", [] { OSBlockingWaitEnd(); });
        EXPECT_EQ(nDuringWait > 0, row.bOtherRuns);
        EXPECT_EQ(OSGetTime() == t0, row.bVirtual);
        EXPECT_EQ(OSGetCurrentThread()->state, OS_THREAD_STATE_RUNNING);
        bStop = true;
        ASSERT_TRUE(Join(&low.thread, nullptr));
        OSSetVirtualClock(FALSE);
    }
}

TEST(OSVirtualClock, PlatformTimerThreadTicksOnVirtualTime)
{
    VirtualClockScope scope;
    const OSTime t0 = OSGetTime();
    std::vector<OSTime> ticks;
    std::atomic<bool> bStarted{false};
    std::thread timer([&] {
        bStarted = true;
        for (int i = 1; i <= 4; ++i) {
            OSWaitUntil(t0 + 200 * i);
            ticks.push_back(OSGetTime() - t0);
        }
    });
    WithinDeadline("the timer's first wait", [] {
        while (OSTestPendingTimedWaits() == 0)
            std::this_thread::yield();
    });
    Sleep(1000);
    WithinDeadline("host thread join", [&] { timer.join(); });
    EXPECT_EQ(ticks, (std::vector<OSTime>{200, 400, 600, 800}));
    EXPECT_EQ(OSGetTime(), t0 + 1000);
}
