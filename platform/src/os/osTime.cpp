// The time base: 40.5 million ticks a second from the host's monotonic clock,
// or, in headless runs, a virtual clock that the scheduler moves forward only
// when every thread waits on time. A virtual clock switched on before anything
// read the time starts at a fixed time, not at however long the host took to
// get there, so nothing derived from the time (a track picked by the tick
// count, a frame's phase) differs between runs.
#include "platform/os.h"

#include <atomic>
#include <chrono>

#include "os/os_local.h"

uint32_t __OSBusClock = OS_BUS_CLOCK;

namespace {

// ticks = ns * 40,500,000 / 1,000,000,000 = ns * 81 / 2000
constexpr OSTime kTickNum = 81;
constexpr OSTime kTickDen = 2000;

const std::chrono::steady_clock::time_point s_epoch = std::chrono::steady_clock::now();
std::atomic<bool> s_bVirtual{false};
std::atomic<OSTime> s_virtualNow{0};
std::atomic<OSTime> s_realOffset{0};
std::atomic<bool> s_bRead{false};  // the real clock was read

constexpr OSTime kVirtualStart = OS_TIMER_CLOCK;  // one second

}  // namespace

OSTime os::HostTicks()
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - s_epoch);
    return ns.count() / kTickDen * kTickNum + ns.count() % kTickDen * kTickNum / kTickDen;
}

OSTime os::HostTicksToNanoseconds(OSTime ticks)
{
    return ticks / kTickNum * kTickDen + ticks % kTickNum * kTickDen / kTickNum;
}

OSTime os::RealTimeOffset()
{
    return s_realOffset.load();
}

void os::SetVirtualNow(OSTime now)
{
    s_virtualNow.store(now);
}

bool os::VirtualClockOn()
{
    return s_bVirtual.load();
}

OSTime OSGetTime()
{
    if (s_bVirtual.load())
        return s_virtualNow.load();
    if (!s_bRead.load(std::memory_order_relaxed))
        s_bRead.store(true, std::memory_order_relaxed);
    return os::HostTicks() + s_realOffset.load();
}

OSTick OSGetTick()
{
    return static_cast<OSTick>(OSGetTime());
}

void OSSetVirtualClock(BOOL on)
{
    std::lock_guard<std::mutex> lock(os::Sched().mutex);
    const bool bOn = on != FALSE;
    if (bOn == s_bVirtual.load())
        return;
    // Either way the time base goes on from where it stands, once read.
    const bool bFresh = bOn && !s_bRead.load();
    const OSTime now = bFresh ? kVirtualStart : OSGetTime();
    if (bOn)
        s_virtualNow.store(now);
    else
        s_realOffset.store(now - os::HostTicks());
    s_bVirtual.store(bOn);
}

BOOL OSIsVirtualClock()
{
    return s_bVirtual.load() ? TRUE : FALSE;
}
