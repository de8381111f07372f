// The drive thread. It stands in for the console's disc interface: one
// transfer at a time, in the order requested, completed at interrupt time.
// Transfers land in a buffer of the drive first and are copied to the
// destination only at completion, so a cancelled request never writes the
// caller's memory and the drive never touches a cancelled block again.
// The drive holds the virtual clock while it has work it is free to do (a
// transfer running, its completion callback included, or a request queued
// and the drive not held by a test), and on the virtual clock a status poll
// waits for the transfer: a headless run sees each read done at the same
// virtual time and at the same poll whatever the host's speed.

#include "dvd_local.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

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
    DVDCommandBlock* busy = nullptr;  // the block being transferred
    bool active = false;  // a transfer taken, until its completion has run
    bool clockHeld = false;
    bool busyCanceled = false;
    bool stop = false;
    bool hold = false;
    bool failTransfers = false;
    uint32_t readCount = 0;
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
    const bool bWant = d.active || (d.head && !d.hold);
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

void Complete(Drive& d, std::unique_lock<std::mutex>& lock, bool ok, const std::vector<uint8_t>& data)
{
    DVDCommandBlock* block = d.busy;
    d.busy = nullptr;
    if (d.busyCanceled) {
        d.busyCanceled = false;
        return;
    }
    if (ok)
        std::memcpy(block->addr, data.data(), block->length);
    block->transferredSize = ok ? static_cast<int32_t>(block->length) : 0;
    block->state = ok ? DVD_STATE_END : DVD_STATE_FATAL_ERROR;
    DVDFileInfo* fileInfo = block->fileInfo;
    const DVDCallback callback = fileInfo->callback;
    const int32_t result = ok ? static_cast<int32_t>(block->length) : DVD_RESULT_FATAL_ERROR;
    // The callback may queue the next read, which takes the drive lock.
    lock.unlock();
    if (callback)
        callback(result, fileInfo);
    lock.lock();
}

void Run(Drive& d)
{
    std::vector<uint8_t> data;
    std::unique_lock<std::mutex> lock(d.mutex);
    for (;;) {
        d.wake.wait(lock, [&] { return d.stop || (!d.hold && d.head); });
        if (d.stop)
            return;
        DVDCommandBlock* block = d.head;
        d.head = block->next;
        if (!d.head)
            d.tail = nullptr;
        block->next = nullptr;
        block->state = DVD_STATE_BUSY;
        d.busy = block;
        d.active = true;
        d.busyCanceled = false;
        const bool fail = d.failTransfers;
        const int fd = block->fileInfo->hostFd;
        const uint32_t offset = block->offset;
        const uint32_t length = block->length;
        const auto delay = d.delay;
        lock.unlock();

        data.resize(length);
        const bool ok = !fail && Transfer(fd, offset, length, data.data());
        if (delay.count() > 0)
            std::this_thread::sleep_for(delay);

        // Completion is an interrupt: serialised with interrupt-disabled code.
        const BOOL level = OSDisableInterrupts();
        lock.lock();
        Complete(d, lock, ok, data);
        lock.unlock();
        OSRestoreInterrupts(level);
        lock.lock();
        d.active = false;  // after the callback queued any next read
        SyncClockHold(d);
        d.settled.notify_all();
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
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        block->next = nullptr;
        block->state = DVD_STATE_WAITING;
        block->canceled = 0;
        (d.tail ? d.tail->next : d.head) = block;
        d.tail = block;
        ++d.readCount;
        SyncClockHold(d);
    }
    d.wake.notify_all();
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
        block->state = DVD_STATE_CANCELED;
        SyncClockHold(d);
    }
    d.settled.notify_all();
}

int32_t DriveState(const DVDCommandBlock* block)
{
    Drive& d = TheDrive();
    std::lock_guard<std::mutex> lock(d.mutex);
    return block->state;
}

int32_t DriveSettledState(const DVDCommandBlock* block)
{
    // A caller with interrupts disabled (a completion callback among them)
    // would keep the transfer from completing: it gets the state as it is.
    if (!OSIsVirtualClock() || os::InterruptsDisabled())
        return DriveState(block);
    Drive& d = TheDrive();
    std::unique_lock<std::mutex> lock(d.mutex);
    d.settled.wait(lock, [&] { return d.hold || d.stop || !Pending(block->state); });
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
