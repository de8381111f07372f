#pragma once
// A wait on a host condition variable by platform code that may run on an OS
// thread (a producer waiting for room in the render queue, a caller waiting
// for the render thread to finish). The calling OS thread gives up the CPU
// for the wait (OSBlockingWaitBegin/End), so the one-CPU model goes on and
// the virtual clock stands still while it waits on work.

#include <condition_variable>
#include <mutex>

#include "platform/os.h"

// Returns with lock held and ready() true. The host mutex is never held while
// this thread waits for the CPU: the CPU's holder may need it meanwhile.
template <class Ready>
void OSHostWait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Ready ready)
{
    // Checked again after the CPU is back: another thread may have taken
    // what this one waited for (room in a queue) in the meantime.
    while (!ready()) {
        lock.unlock();
        OSBlockingWaitBegin();
        lock.lock();
        cv.wait(lock, ready);
        lock.unlock();
        OSBlockingWaitEnd();
        lock.lock();
    }
}
