// The drive thread. It stands in for the console's disc interface: one
// transfer at a time, in the order requested, completed at interrupt time.
// A transfer reads straight into the destination inside an interrupt-disabled
// section, as the console's disc DMA writes memory whatever the CPU does:
// DVDCancel, which holds the interrupt lock, finds a transfer either not begun
// (it then never writes the caller's memory) or complete, and the drive never
// touches a cancelled block again.
// Sequential readers ask for the next transfer a few microseconds after the
// last one ends, so the drive watches for it a short while before it sleeps:
// waking a sleeping thread would cost more than the transfer.
// The drive holds the virtual clock while it has work it is free to do (a
// transfer running, its completion callback included, or a request queued
// and the drive not held by a test), and on the virtual clock a status poll
// waits for the transfer: a headless run sees each read done at the same
// virtual time and at the same poll whatever the host's speed.

#include "dvd_local.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "../test/dvd_test.h"
#include "os/os_local.h"

namespace dvd {
namespace {

struct Drive {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable settled;  // a transfer finished (tests wait on it)
    std::thread thread;
    DVDCommandBlock* head = nullptr;
    DVDCommandBlock* tail = nullptr;
    // The block taken for transfer, until its completion callback has run:
    // no other transfer starts meanwhile, and the block is not settled.
    DVDCommandBlock* busy = nullptr;
    bool clockHeld = false;
    bool busyCanceled = false;
    bool stop = false;
    bool hold = false;
    bool failTransfers = false;
    bool sleeping = false;            // waiting on wake: a request must notify
    uint32_t readCount = 0;
    std::atomic<uint32_t> queued{0};  // requests queued so far, watched without the lock
    // Test hook: host time added to every transfer (DVDTestSetTransferDelay,
    // or the environment variable kDelayEnv for a whole program), so tests
    // can show that it changes no headless frame.
    std::chrono::microseconds delay{0};

    ~Drive()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        wake.notify_all();
        if (thread.joinable())
            thread.join();
    }
};

constexpr const char* kDelayEnv = "QM_TEST_DISC_DELAY_US";

bool Pending(int32_t state)
{
    return state == DVD_STATE_WAITING || state == DVD_STATE_BUSY;
}

Drive& TheDrive()
{
    static Drive drive;
    return drive;
}

// States are read without the drive's lock (DriveState), so every change is
// an atomic store.
void SetState(DVDCommandBlock* block, int32_t state)
{
    std::atomic_ref<int32_t>(block->state).store(state, std::memory_order_release);
}

// Reads up to length bytes at offset; bytes past the file's end are zero.
bool Transfer(int fd, uint32_t offset, uint32_t length, uint8_t* out)
{
    uint32_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, out + done, length - done, static_cast<off_t>(offset) + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        done += static_cast<uint32_t>(n);
    }
    std::memset(out + done, 0, length - done);
    return true;
}

// Holds the virtual clock exactly while the drive has work it is free to
// do. Drive lock held (the scheduler's lock is taken after it, never before).
void SyncClockHold(Drive& d)
{
    const bool bWant = d.busy || (d.head && !d.hold);
    if (bWant == d.clockHeld)
        return;
    d.clockHeld = bWant;
    if (bWant)
        os::HoldVirtualClock();
    else
        os::ReleaseVirtualClock();
}

void Unlink(Drive& d, DVDCommandBlock* block)
{
    DVDCommandBlock* prev = nullptr;
    for (DVDCommandBlock* b = d.head; b; prev = b, b = b->next) {
        if (b != block)
            continue;
        (prev ? prev->next : d.head) = b->next;
        if (d.tail == b)
            d.tail = prev;
        b->next = nullptr;
        return;
    }
}

void Complete(Drive& d, std::unique_lock<std::mutex>& lock, bool ok)
{
    DVDCommandBlock* block = d.busy;
    // Everything the completion needs is read before the state says done:
    // a reader polling the state without the lock may queue its next request
    // on this block at once.
    DVDFileInfo* fileInfo = block->fileInfo;
    const DVDCallback callback = fileInfo->callback;
    const int32_t result = ok ? static_cast<int32_t>(block->length) : DVD_RESULT_FATAL_ERROR;
    block->transferredSize = ok ? static_cast<int32_t>(block->length) : 0;
    SetState(block, ok ? DVD_STATE_END : DVD_STATE_FATAL_ERROR);
    // The callback may queue the next read, which takes the drive lock.
    lock.unlock();
    if (callback)
        callback(result, fileInfo);
    lock.lock();
}

// Watches the queue without its lock for a short while; true when a request
// came in meanwhile.
bool AwaitRequest(Drive& d, std::unique_lock<std::mutex>& lock)
{
    constexpr auto kWatch = std::chrono::microseconds(200);
    const uint32_t seen = d.queued.load(std::memory_order_relaxed);
    lock.unlock();
    const auto until = std::chrono::steady_clock::now() + kWatch;
    bool bCame = false;
    for (int i = 1; !bCame; ++i) {
        bCame = d.queued.load(std::memory_order_relaxed) != seen;
        if (!bCame && (i & 63) == 0 && std::chrono::steady_clock::now() >= until)
            break;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    lock.lock();
    return bCame;
}

// Takes the head of the queue and transfers it; the lock is held on entry and
// on return.
void Serve(Drive& d, std::unique_lock<std::mutex>& lock)
{
    DVDCommandBlock* block = d.head;
    d.head = block->next;
    if (!d.head)
        d.tail = nullptr;
    block->next = nullptr;
    SetState(block, DVD_STATE_BUSY);
    d.busy = block;
    d.busyCanceled = false;
    lock.unlock();

    // The transfer and its completion are one interrupt: serialised with
    // interrupt-disabled code, DVDCancel included.
    const BOOL level = OSDisableInterrupts();
    lock.lock();
    if (d.busyCanceled) {
        d.busyCanceled = false;
    } else {
        const bool fail = d.failTransfers;
        const int fd = block->fileInfo->hostFd;
        const uint32_t offset = block->offset;
        const uint32_t length = block->length;
        uint8_t* const out = static_cast<uint8_t*>(block->addr);
        const auto delay = d.delay;
        lock.unlock();
        const bool ok = !fail && Transfer(fd, offset, length, out);
        if (delay.count() > 0)
            std::this_thread::sleep_for(delay);
        lock.lock();
        Complete(d, lock, ok);
    }
    lock.unlock();
    OSRestoreInterrupts(level);
    lock.lock();
    d.busy = nullptr;  // after the callback queued any next read
    SyncClockHold(d);
    d.settled.notify_all();
    if (d.sleeping && d.head)
        d.wake.notify_all();  // served by a reader: the drive has the rest
}

// The drive may take the head of the queue.
bool CanServe(const Drive& d)
{
    return !d.hold && d.head && !d.busy;
}

void Run(Drive& d)
{
    std::unique_lock<std::mutex> lock(d.mutex);
    for (;;) {
        if (d.stop)
            return;
        if (CanServe(d)) {
            Serve(d, lock);
            continue;
        }
        if (!d.hold && AwaitRequest(d, lock))
            continue;
        d.sleeping = true;
        d.wake.wait(lock, [&] { return d.stop || CanServe(d); });
        d.sleeping = false;
    }
}

}  // namespace

void DriveStart()
{
    Drive& d = TheDrive();
    std::lock_guard<std::mutex> lock(d.mutex);
    if (d.thread.joinable())
        return;
    const char* delayText = std::getenv(kDelayEnv);
    d.delay = std::chrono::microseconds(delayText ? std::strtol(delayText, nullptr, 10) : 0);
    d.thread = std::thread([&d] { Run(d); });
}

void DriveQueue(DVDCommandBlock* block)
{
    DriveStart();
    Drive& d = TheDrive();
    bool bSleeping;
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        block->next = nullptr;
        SetState(block, DVD_STATE_WAITING);
        block->canceled = 0;
        (d.tail ? d.tail->next : d.head) = block;
        d.tail = block;
        ++d.readCount;
        d.queued.fetch_add(1, std::memory_order_relaxed);
        bSleeping = d.sleeping;
        SyncClockHold(d);
    }
    if (bSleeping)
        d.wake.notify_all();
}

void DriveServeNow(DVDCommandBlock* block)
{
    Drive& d = TheDrive();
    std::unique_lock<std::mutex> lock(d.mutex);
    if (CanServe(d) && d.head == block && !block->fileInfo->callback)
        Serve(d, lock);
}

void DriveCancel(DVDCommandBlock* block)
{
    Drive& d = TheDrive();
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        if (!Pending(block->state))
            return;
        if (block->state == DVD_STATE_BUSY)
            d.busyCanceled = true;
        else
            Unlink(d, block);  // queued, possibly again while its old transfer runs
        block->canceled = 1;
        SetState(block, DVD_STATE_CANCELED);
        SyncClockHold(d);
    }
    d.settled.notify_all();
}

int32_t DriveState(const DVDCommandBlock* block)
{
    // Changed only under the drive's lock, with release: a reader that sees
    // DVD_STATE_END also sees the transferred bytes.
    return std::atomic_ref<int32_t>(const_cast<DVDCommandBlock*>(block)->state).load(std::memory_order_acquire);
}

int32_t DriveSettledState(const DVDCommandBlock* block)
{
    // A caller with interrupts disabled (a completion callback among them)
    // would keep the transfer from completing: it gets the state as it is.
    if (!OSIsVirtualClock() || os::InterruptsDisabled())
        return DriveState(block);
    Drive& d = TheDrive();
    std::unique_lock<std::mutex> lock(d.mutex);
    d.settled.wait(lock, [&] { return d.hold || d.stop || (!Pending(block->state) && d.busy != block); });
    return block->state;
}

bool DriveHasPending(const DVDCommandBlock* block)
{
    return Pending(DriveState(block));
}

}  // namespace dvd

void DVDTestHoldDrive(bool hold)
{
    dvd::Drive& d = dvd::TheDrive();
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        d.hold = hold;
        SyncClockHold(d);  // a held drive is a stalled disc: time goes on
    }
    d.wake.notify_all();
    d.settled.notify_all();
}

void DVDTestFailTransfers(bool fail)
{
    dvd::Drive& d = dvd::TheDrive();
    std::lock_guard<std::mutex> lock(d.mutex);
    d.failTransfers = fail;
}

void DVDTestWaitIdle()
{
    dvd::Drive& d = dvd::TheDrive();
    std::unique_lock<std::mutex> lock(d.mutex);
    // Timed: a cancel can empty the queue without a transfer settling.
    while (!d.hold && (d.head || d.busy))
        d.settled.wait_for(lock, std::chrono::milliseconds(5));
}

uint32_t DVDTestGetReadCount()
{
    dvd::Drive& d = dvd::TheDrive();
    std::lock_guard<std::mutex> lock(d.mutex);
    return d.readCount;
}

void DVDTestResetReadCount()
{
    dvd::Drive& d = dvd::TheDrive();
    std::lock_guard<std::mutex> lock(d.mutex);
    d.readCount = 0;
}

void DVDTestSetTransferDelay(uint32_t microseconds)
{
    dvd::DriveStart();  // which reads the environment's delay first
    dvd::Drive& d = dvd::TheDrive();
    std::lock_guard<std::mutex> lock(d.mutex);
    d.delay = std::chrono::microseconds(microseconds);
}
