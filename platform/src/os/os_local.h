#pragma once
// Internals of the OS layer shared between its files.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/os.h"

namespace os {

// One lock guards the scheduler: threads, the CPU token, mutexes, timed waits
// and the virtual clock's advance. Never destroyed, so host threads still
// waiting at program end do not touch a dead lock.
struct SchedulerLock {
    std::mutex mutex;
    std::condition_variable cv;
};
SchedulerLock& Sched();

// Time base.
OSTime HostTicks();                   // host monotonic clock in time-base ticks
OSTime HostTicksToNanoseconds(OSTime ticks);
OSTime RealTimeOffset();              // OSGetTime() = HostTicks() + offset when real
void SetVirtualNow(OSTime now);       // scheduler lock held
bool VirtualClockOn();

// Threads.
void InitThreads();                   // makes the calling thread the main thread

// Work of a platform device under way (a disc transfer to do or running):
// while any is held the virtual clock does not move, so the work completes
// at the same virtual time in every run however long the host takes. Each
// hold is released once; releasing lets a clock that waited go on.
void HoldVirtualClock();
void ReleaseVirtualClock();

// Something a polling OS thread may wait for has happened on a platform
// thread (an interrupt-time section ended): a poll that sleeps wakes.
void NoteProgress();

// Interrupts.
bool InterruptsDisabled();            // by the calling thread

// Arena.
void InitArena();

// Save region hand-over across a soft reset: hex text in an environment
// variable of the re-executed program.
constexpr const char* kSavedRegionEnv = "QM_SAVED_REGION";
std::string EncodeSavedRegion(const uint8_t* bytes, uint32_t size);
bool DecodeSavedRegion(const char* text, uint8_t out[OS_SAVE_REGION_SIZE]);
void InitSavedRegion();               // reads and clears the variable

// Other layers hand their own state to the re-executed program the same
// way: each function added here runs just before the soft reset executes
// the program again and sets the environment variables its layer reads
// (and clears) when it starts. At most kMaxResetHandovers.
constexpr int kMaxResetHandovers = 4;
void AddResetHandover(void (*handover)());
// Reads and clears an environment variable a handover set: a decimal
// count; false when absent or malformed.
bool TakeHandedOverCount(const char* name, uint64_t* pCount);

// True once OSResetSystem was asked for the system menu; VIQuitRequested
// then ends the program's loops.
bool SystemMenuRequested();

// Settings file.
std::string SettingsFilePath();

// The controller layer installs the step that brings the reset button up
// to date (its key and the held combination); OSGetResetButtonState runs it
// on every poll, so waits that read no controllers still see the button.
void SetResetButtonRefresh(void (*refresh)());

}  // namespace os
