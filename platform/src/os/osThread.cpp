// Threads on one virtual CPU. OS threads are host threads, but only the one
// holding the CPU token runs; it hands the token on only inside the calls that
// wait or yield, to the ready thread of highest priority (lowest number; the
// earliest ready among equals, so yields round-robin). Whoever makes a thread
// ready (a finishing thread, an unlocking thread, the virtual clock) does it
// under the scheduler lock, so no thread ever sits woken but unscheduled.
// Every waiter sleeps on a condition variable of its own, and only the thread
// given the CPU (or the platform thread whose wait ended) is woken: a shared
// one would wake every waiting thread at each step of the clock.
//
// On the host's clock threads that poll by yielding (for a disc transfer,
// for a loader thread that polls too) would keep a host core busy. A thread
// that steps aside (a yield, or lowering its own priority below a ready
// thread's) when nothing has happened since it last stepped aside, and where
// every thread that could take the CPU stepped aside the same way, first
// sleeps, keeping the CPU, until something happens or kIdleYieldTicks pass;
// then it hands on as before. So threads take turns in the same order and no
// thread of lower priority runs: polls only go more slowly while nothing
// changes. Something happens when a thread is made ready by anything but
// stepping aside, or when an interrupt-time section of a platform thread ends
// (a disc transfer or an audio frame done). On the virtual clock nothing
// sleeps here.
#include "platform/os.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <system_error>
#include <thread>
#include <vector>

#include "os/os_local.h"
#include "../../test/os_test.h"

namespace {

struct TimedWaiter {
    OSTime deadline;
    OSThread* pThread;  // null: a platform thread
    bool bWoken;
    std::condition_variable cv;  // a platform thread's wake-up
};

struct MutexWaiter {
    const void* pWho;
    OSThread* pThread;  // null: a platform thread
    uint64_t nSeq;
    bool bGranted;
    std::condition_variable cv;  // a platform thread's wake-up
};

}  // namespace

struct OSThreadHost {
    OSThreadFunc func = nullptr;
    void* arg = nullptr;
    std::thread host;
    bool bSuspended = true;
    bool bFinished = false;
    bool bCancelled = false;  // created, never resumed, then replaced
    uint64_t nReadySeq = 0;
    // The progress count when the thread last stepped aside and when that
    // returned; while it is stepping aside, whether nothing had happened
    // since the time before.
    uint64_t nAsideProgress = ~0ull;
    uint64_t nBackProgress = ~0ull;
    bool bPolling = false;
    std::vector<OSThread*> joiners;
    std::condition_variable cv;  // this thread's wake-up: the CPU is its own, or it was cancelled
};

struct OSMutexHost {
    const void* pOwner = nullptr;
    int nCount = 0;
    std::vector<MutexWaiter*> waiters;
};

namespace {

struct Scheduler {
    OSThread mainThread;
    OSThreadHost mainHost;
    OSThread* pRunning = nullptr;
    std::vector<OSThread*> ready;
    std::vector<TimedWaiter*> timed;
    std::map<OSThread*, OSThreadHost*> hosts;  // every record given to OSCreateThread
    int nHostBlocked = 0;   // OS threads between OSBlockingWaitBegin and End
    int nPlatformBusy = 0;  // platform threads woken by the virtual clock, still working
    int nClockHolds = 0;    // device work under way (HoldVirtualClock)
    uint64_t nSeq = 0;
    uint64_t nProgress = 0;     // threads made ready other than by stepping aside, platform events
    OSThread* pIdle = nullptr;  // the CPU's holder while it sleeps stepping aside
};

// How long a thread that polls sleeps at most as it steps aside: the delay a
// poll that nothing wakes (a flag set by plain work) may add.
constexpr OSTime kIdleYieldTicks = OS_TIMER_CLOCK / 1000;

std::atomic<OSTime> s_testWakeLatency{0};  // OSTestSetWakeLatency

Scheduler& S()
{
    static Scheduler* s_pScheduler = new Scheduler;
    return *s_pScheduler;
}

thread_local OSThread* t_pSelf = nullptr;
thread_local char t_platformKey;

// Busy state of a platform thread on the virtual clock; released at its end.
struct PlatformClock {
    bool bBusy = false;
    ~PlatformClock();
};
thread_local PlatformClock t_platformClock;

// An OS thread in a blocking wait on the virtual clock that kept the CPU.
thread_local bool t_bKeptCpu = false;

typedef std::unique_lock<std::mutex> Lock;

const void* Me()
{
    return t_pSelf ? static_cast<const void*>(t_pSelf) : &t_platformKey;
}

// Something happened that a polling thread may wait for. Scheduler lock held.
void Progress()
{
    ++S().nProgress;
    if (S().pIdle)
        S().pIdle->host->cv.notify_one();
}

// bProgress: false for a thread that steps aside.
void MakeReady(OSThread* t, bool bProgress = true)
{
    t->state = OS_THREAD_STATE_READY;
    t->host->nReadySeq = ++S().nSeq;
    S().ready.push_back(t);
    if (bProgress)
        Progress();
}

std::vector<OSThread*>::iterator BestReady()
{
    auto& ready = S().ready;
    return std::min_element(ready.begin(), ready.end(), [](OSThread* a, OSThread* b) {
        if (a->priority != b->priority)
            return a->priority < b->priority;
        return a->host->nReadySeq < b->host->nReadySeq;
    });
}

// Moves the virtual clock to the earliest deadline when nothing else can run.
bool AdvanceVirtualClock()
{
    Scheduler& s = S();
    if (!os::VirtualClockOn() || s.nHostBlocked > 0 || s.nPlatformBusy > 0 || s.nClockHolds > 0 || s.timed.empty())
        return false;
    OSTime next = s.timed.front()->deadline;
    for (TimedWaiter* w : s.timed)
        next = std::min(next, w->deadline);
    if (next > OSGetTime())
        os::SetVirtualNow(next);
    const OSTime now = OSGetTime();
    auto woken = std::stable_partition(s.timed.begin(), s.timed.end(),
                                       [now](TimedWaiter* w) { return w->deadline > now; });
    for (auto it = woken; it != s.timed.end(); ++it) {
        (*it)->bWoken = true;
        if ((*it)->pThread) {
            MakeReady((*it)->pThread);
        } else {
            ++s.nPlatformBusy;
            (*it)->cv.notify_one();
        }
    }
    s.timed.erase(woken, s.timed.end());
    return true;
}

// Gives a free CPU to the best ready thread. Scheduler lock held.
void Schedule()
{
    Scheduler& s = S();
    if (s.pRunning)
        return;
    for (;;) {
        if (!s.ready.empty()) {
            auto best = BestReady();
            OSThread* t = *best;
            s.ready.erase(best);
            t->state = OS_THREAD_STATE_RUNNING;
            s.pRunning = t;
            t->host->cv.notify_one();
            return;
        }
        if (!AdvanceVirtualClock())
            return;
    }
}

void WaitForCpu(Lock& lock, OSThread* self)
{
    self->host->cv.wait(lock, [self] { return S().pRunning == self; });
}

// The calling OS thread gives up the CPU (it is already queued wherever it
// waits) and returns when it holds the CPU again.
void SwitchAway(Lock& lock, OSThread* self)
{
    if (S().pRunning == self)
        S().pRunning = nullptr;
    Schedule();
    WaitForCpu(lock, self);
}

// Polls: nothing happened since the thread last stepped aside, and every
// ready thread that could take the CPU from it polls as well (or none can).
bool OnlyPolling(const OSThread* self)
{
    const Scheduler& s = S();
    if (os::VirtualClockOn() || !self->host->bPolling)
        return false;
    for (const OSThread* t : s.ready) {
        if (t->priority <= self->priority && !(t->host->bPolling && t->host->nAsideProgress == s.nProgress))
            return false;
    }
    return true;
}

// The running thread goes back to the ready threads and hands the CPU to
// the best of them, after a sleep when only polling threads are about.
void StepAside(Lock& lock, OSThread* self)
{
    Scheduler& s = S();
    OSThreadHost* h = self->host;
    h->bPolling = h->nBackProgress == s.nProgress;
    h->nAsideProgress = s.nProgress;
    if (OnlyPolling(self) && s.pRunning == self) {
        s.pIdle = self;
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::nanoseconds(os::HostTicksToNanoseconds(kIdleYieldTicks));
        const uint64_t nSeen = s.nProgress;
        h->cv.wait_until(lock, until, [&s, nSeen] { return s.nProgress != nSeen; });
        s.pIdle = nullptr;
    }
    MakeReady(self, false);
    SwitchAway(lock, self);
    h->bPolling = false;
    h->nBackProgress = s.nProgress;
}

// Hands the CPU to a ready thread of higher priority than the caller's.
void Preempt(Lock& lock)
{
    OSThread* self = t_pSelf;
    Scheduler& s = S();
    if (!self || s.pRunning != self) {
        Schedule();
        return;
    }
    if (s.ready.empty() || (*BestReady())->priority >= self->priority)
        return;
    StepAside(lock, self);
}

void ClearPlatformBusy()
{
    if (!t_platformClock.bBusy)
        return;
    t_platformClock.bBusy = false;
    --S().nPlatformBusy;
    Schedule();
}

PlatformClock::~PlatformClock()
{
    if (!bBusy)
        return;
    Lock lock(os::Sched().mutex);
    ClearPlatformBusy();
}

// Whatever host was last created on this record address.
OSThreadHost* FindAnyHost(OSThread* t)
{
    auto it = S().hosts.find(t);
    return it == S().hosts.end() ? nullptr : it->second;
}

// The record's live host: a record whose memory was cleared or reused for
// something else is not a thread.
OSThreadHost* FindHost(OSThread* t)
{
    OSThreadHost* h = FindAnyHost(t);
    return h && t->host == h ? h : nullptr;
}

void HostThreadMain(OSThread* t, OSThreadHost* h)
{
    t_pSelf = t;
    {
        Lock lock(os::Sched().mutex);
        h->cv.wait(lock, [t, h] { return S().pRunning == t || h->bCancelled; });
        if (h->bCancelled)
            return;
    }
    void* result = h->func(h->arg);
    Lock lock(os::Sched().mutex);
    t->val = result;
    t->state = OS_THREAD_STATE_MORIBUND;
    // Nobody need join a detached thread's host thread; joins wait on the
    // finished flag all the same.
    if (t->attr & OS_THREAD_ATTR_DETACH)
        h->host.detach();
    h->bFinished = true;
    Progress();
    for (OSThread* joiner : h->joiners)
        MakeReady(joiner);
    h->joiners.clear();
    if (S().pRunning == t)
        S().pRunning = nullptr;
    Schedule();
    os::Sched().cv.notify_all();  // platform threads joining it
}

// Joins the host thread of a record that is being replaced or was joined.
void ReapHost(OSThreadHost* h)
{
    if (h->host.joinable() && h->host.get_id() != std::this_thread::get_id())
        h->host.join();
}

}  // namespace

os::SchedulerLock& os::Sched()
{
    static SchedulerLock* s_pLock = new SchedulerLock;
    return *s_pLock;
}

void os::InitThreads()
{
    Lock lock(Sched().mutex);
    Scheduler& s = S();
    s.mainThread.host = &s.mainHost;
    s.mainThread.priority = 16;
    s.mainThread.state = OS_THREAD_STATE_RUNNING;
    s.mainHost.bSuspended = false;
    s.hosts[&s.mainThread] = &s.mainHost;
    s.pRunning = &s.mainThread;
    t_pSelf = &s.mainThread;
}

BOOL OSCreateThread(OSThread* thread, OSThreadFunc func, void* arg, void* /*stackTop*/, uint32_t /*stackSize*/,
                    int priority, uint16_t attr)
{
    if (!thread || !func || priority < OS_PRIORITY_MIN || priority > OS_PRIORITY_MAX)
        return FALSE;
    OSThreadHost* pOld = nullptr;
    OSThreadHost* h = new OSThreadHost;
    h->func = func;
    h->arg = arg;
    {
        Lock lock(os::Sched().mutex);
        pOld = FindAnyHost(thread);
        if (pOld && !pOld->bSuspended && !pOld->bFinished) {
            lock.unlock();
            delete h;
            OSReport("OS: OSCreateThread on the record of a live thread\n");
            return FALSE;
        }
        if (pOld && pOld->bSuspended) {
            pOld->bCancelled = true;
            pOld->cv.notify_one();
        }
        thread->host = h;
        thread->priority = priority;
        thread->state = OS_THREAD_STATE_READY;  // with a suspend count of one
        thread->attr = attr;
        thread->val = nullptr;
        try {
            h->host = std::thread(HostThreadMain, thread, h);
        } catch (const std::system_error&) {
            thread->host = nullptr;
            S().hosts.erase(thread);
            lock.unlock();
            delete h;
            if (pOld) {
                ReapHost(pOld);
                delete pOld;
            }
            OSReport("OS: the host could not create a thread\n");
            return FALSE;
        }
        S().hosts[thread] = h;
    }
    if (pOld) {
        ReapHost(pOld);
        delete pOld;
    }
    return TRUE;
}

int32_t OSResumeThread(OSThread* thread)
{
    Lock lock(os::Sched().mutex);
    OSThreadHost* h = FindHost(thread);
    if (!h || !h->bSuspended)
        return 0;
    h->bSuspended = false;
    MakeReady(thread);
    Preempt(lock);
    return 1;
}

void OSDetachThread(OSThread* thread)
{
    Lock lock(os::Sched().mutex);
    if (thread)
        thread->attr |= OS_THREAD_ATTR_DETACH;
}

BOOL OSJoinThread(OSThread* thread, void** val)
{
    Lock lock(os::Sched().mutex);
    OSThreadHost* h = FindHost(thread);
    OSThread* self = t_pSelf;
    if (!h || thread == self || h == &S().mainHost)
        return FALSE;
    if (h->bSuspended)
        return FALSE;  // would never end
    if (!h->bFinished) {
        if (self) {
            self->state = OS_THREAD_STATE_WAITING;
            h->joiners.push_back(self);
            SwitchAway(lock, self);
        } else {
            os::Sched().cv.wait(lock, [h] { return h->bFinished; });
        }
    }
    if (val)
        *val = thread->val;
    // Joined: the record is no thread any more until it is created again.
    S().hosts.erase(thread);
    thread->host = nullptr;
    lock.unlock();
    ReapHost(h);
    delete h;
    return TRUE;
}

void OSYieldThread()
{
    OSThread* self = t_pSelf;
    if (!self) {
        std::this_thread::yield();
        return;
    }
    Lock lock(os::Sched().mutex);
    StepAside(lock, self);
}

OSThread* OSGetCurrentThread()
{
    return t_pSelf;
}

int OSGetThreadPriority(OSThread* thread)
{
    Lock lock(os::Sched().mutex);
    return thread ? thread->priority : OS_PRIORITY_MAX;
}

BOOL OSSetThreadPriority(OSThread* thread, int priority)
{
    if (!thread || priority < OS_PRIORITY_MIN || priority > OS_PRIORITY_MAX)
        return FALSE;
    Lock lock(os::Sched().mutex);
    thread->priority = priority;
    Preempt(lock);
    return TRUE;
}

int32_t OSCheckActiveThreads()
{
    Lock lock(os::Sched().mutex);
    int32_t n = 0;
    for (const auto& entry : S().hosts)
        n += entry.second->bFinished || entry.second->bCancelled ? 0 : 1;
    return n;
}

void OSWaitUntil(OSTime deadline)
{
    OSThread* self = t_pSelf;
    Lock lock(os::Sched().mutex);
    if (OSGetTime() >= deadline)
        return;  // a platform thread past its deadline goes on working, still busy
    if (os::VirtualClockOn()) {
        TimedWaiter w{deadline + s_testWakeLatency.load(), self, false, {}};
        S().timed.push_back(&w);
        if (self) {
            self->state = OS_THREAD_STATE_WAITING;
            SwitchAway(lock, self);  // the clock's advance makes it ready
        } else {
            // Idle only now that its next deadline is known, or the clock
            // could run past it.
            ClearPlatformBusy();
            Schedule();
            w.cv.wait(lock, [&w] { return w.bWoken; });
            t_platformClock.bBusy = true;  // counted by the advance
        }
        return;
    }
    if (self) {
        self->state = OS_THREAD_STATE_WAITING;
        S().pRunning = nullptr;
        Schedule();
    }
    // A deadline centuries away waits in steps; the loop checks the time.
    // Nothing wakes this wait early, so any condition variable will do.
    constexpr OSTime kMaxStep = OSTime(OS_TIMER_CLOCK) * 3600;
    std::condition_variable sleeper;
    while (OSGetTime() < deadline) {
        const OSTime left = std::min(deadline - OSGetTime(), kMaxStep);
        const auto until = std::chrono::steady_clock::now() + std::chrono::nanoseconds(os::HostTicksToNanoseconds(left) + 1);
        sleeper.wait_until(lock, until);
    }
    if (self) {
        MakeReady(self);
        Schedule();
        WaitForCpu(lock, self);
    }
}

void OSSleepTicks(OSTime ticks)
{
    OSWaitUntil(OSGetTime() + ticks);
}

void OSBlockingWaitBegin()
{
    OSThread* self = t_pSelf;
    Lock lock(os::Sched().mutex);
    if (!self) {
        ClearPlatformBusy();
        return;
    }
    ++S().nHostBlocked;
    // On the virtual clock the thread keeps the CPU: the wait takes no
    // virtual time and no other thread runs meanwhile, so how long the host
    // takes (the render thread, a loaded machine) never changes which thread
    // runs next nor what it sees.
    if (os::VirtualClockOn() && S().pRunning == self) {
        t_bKeptCpu = true;
        return;
    }
    self->state = OS_THREAD_STATE_WAITING;
    if (S().pRunning == self)
        S().pRunning = nullptr;
    Schedule();
}

void OSBlockingWaitEnd()
{
    OSThread* self = t_pSelf;
    if (!self)
        return;
    Lock lock(os::Sched().mutex);
    --S().nHostBlocked;
    if (t_bKeptCpu) {
        t_bKeptCpu = false;
        return;
    }
    MakeReady(self);
    Schedule();
    WaitForCpu(lock, self);
}

void os::NoteProgress()
{
    Lock lock(os::Sched().mutex);
    Progress();
}

void os::HoldVirtualClock()
{
    Lock lock(os::Sched().mutex);
    ++S().nClockHolds;
}

void os::ReleaseVirtualClock()
{
    Lock lock(os::Sched().mutex);
    if (S().nClockHolds > 0 && --S().nClockHolds == 0)
        Schedule();
}

void OSInitMutex(OSMutex* mutex)
{
    Lock lock(os::Sched().mutex);
    mutex->host = new OSMutexHost;
}

void OSFreeMutex(OSMutex* mutex)
{
    Lock lock(os::Sched().mutex);
    OSMutexHost* m = mutex ? mutex->host : nullptr;
    if (!m)
        return;
    if (m->pOwner || !m->waiters.empty()) {
        lock.unlock();
        OSReport("OS: OSFreeMutex of a mutex in use; kept\n");
        return;
    }
    delete m;
    mutex->host = nullptr;
}

static OSMutexHost* MutexHost(OSMutex* mutex)
{
    if (!mutex->host)
        mutex->host = new OSMutexHost;  // used without OSInitMutex
    return mutex->host;
}

void OSLockMutex(OSMutex* mutex)
{
    Lock lock(os::Sched().mutex);
    OSMutexHost* m = MutexHost(mutex);
    const void* me = Me();
    if (m->pOwner == me || !m->pOwner) {
        m->pOwner = me;
        ++m->nCount;
        return;
    }
    OSThread* self = t_pSelf;
    MutexWaiter w{me, self, ++S().nSeq, false, {}};
    m->waiters.push_back(&w);
    if (self) {
        self->state = OS_THREAD_STATE_WAITING;
        SwitchAway(lock, self);  // the unlocking thread grants it and makes it ready
    } else {
        w.cv.wait(lock, [&w] { return w.bGranted; });
    }
}

void OSUnlockMutex(OSMutex* mutex)
{
    Lock lock(os::Sched().mutex);
    OSMutexHost* m = MutexHost(mutex);
    if (m->pOwner != Me()) {
        lock.unlock();
        OSReport("OS: OSUnlockMutex by a thread that does not own the mutex\n");
        return;
    }
    if (--m->nCount > 0)
        return;
    m->pOwner = nullptr;
    if (m->waiters.empty())
        return;
    // The waiter of highest priority first; platform threads (interrupt
    // level) before all OS threads; the earliest among equals.
    auto rank = [](const MutexWaiter* w) { return w->pThread ? w->pThread->priority : OS_PRIORITY_MIN - 1; };
    auto it = std::min_element(m->waiters.begin(), m->waiters.end(), [&](MutexWaiter* a, MutexWaiter* b) {
        return rank(a) != rank(b) ? rank(a) < rank(b) : a->nSeq < b->nSeq;
    });
    MutexWaiter* w = *it;
    m->waiters.erase(it);
    m->pOwner = w->pWho;
    m->nCount = 1;
    w->bGranted = true;
    if (w->pThread)
        MakeReady(w->pThread);
    else
        w->cv.notify_one();
    Preempt(lock);
}

BOOL OSTryLockMutex(OSMutex* mutex)
{
    Lock lock(os::Sched().mutex);
    OSMutexHost* m = MutexHost(mutex);
    const void* me = Me();
    if (m->pOwner && m->pOwner != me)
        return FALSE;
    m->pOwner = me;
    ++m->nCount;
    return TRUE;
}

void OSTestSetWakeLatency(OSTime ticks)
{
    s_testWakeLatency = ticks;
}

int OSTestPendingTimedWaits()
{
    Lock lock(os::Sched().mutex);
    return static_cast<int>(S().timed.size());
}
