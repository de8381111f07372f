#pragma once
// The operating-system layer: heap and arena, threads on one virtual CPU,
// mutexes, interrupts, the time base, the reset button, the save region and
// the console's stored settings. C-style API named as on the console.
//
// Threads: OS threads are host threads, but exactly one holds the CPU at a
// time; the holder gives it up only inside calls that wait or yield, and the
// highest-priority ready thread (lowest number) takes it. Interrupt-time code
// runs on platform threads without the CPU and is serialised with the
// interrupt lock (OSDisableInterrupts / OSRestoreInterrupts).

#include <cstddef>
#include <cstdint>

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

typedef int64_t OSTime;   // time base ticks (OS_TIMER_CLOCK a second)
typedef uint32_t OSTick;  // low 32 bits of the time base

// Clocks of the console: the time base runs at bus clock / 4.
constexpr uint32_t OS_CORE_CLOCK = 486000000u;  // Hz
constexpr uint32_t OS_BUS_CLOCK = 162000000u;   // Hz, core / 3
constexpr uint32_t OS_TIMER_CLOCK = OS_BUS_CLOCK / 4;  // 40,500,000 ticks a second
extern uint32_t __OSBusClock;  // the OS global the program reads the bus clock from

inline OSTime OSSecondsToTicks(double s) { return static_cast<OSTime>(s * OS_TIMER_CLOCK); }
inline OSTime OSMillisecondsToTicks(OSTime ms) { return ms * (OS_TIMER_CLOCK / 1000); }
inline double OSTicksToSeconds(OSTime t) { return static_cast<double>(t) / OS_TIMER_CLOCK; }

// ---- start-up ----------------------------------------------------------------
// First call of the program; idempotent. Makes the calling thread the main
// thread holding the CPU at priority 16.
void OSInit();

// ---- arena and heap ----------------------------------------------------------
// The arena is a host block; the heap functions are malloc-backed, 32-byte
// aligned. OSAllocFromHeap returns null when the host has no memory.
void* OSGetArenaLo();
void* OSGetArenaHi();
void OSSetArenaLo(void* lo);
void OSSetArenaHi(void* hi);
void* OSInitAlloc(void* arenaStart, void* arenaEnd, int maxHeaps);
typedef int OSHeapHandle;
OSHeapHandle OSCreateHeap(void* start, void* end);
OSHeapHandle OSSetCurrentHeap(OSHeapHandle heap);
void* OSAllocFromHeap(OSHeapHandle heap, uint32_t size);
void OSFreeToHeap(OSHeapHandle heap, void* ptr);

// ---- data cache hooks --------------------------------------------------------
// No-ops for the CPU here; the graphics layer registers a listener to learn
// that CPU writes to a range are finished (texels, display lists, arrays).
void DCStoreRangeNoSync(void* addr, uint32_t len);
void DCStoreRange(void* addr, uint32_t len);
void DCFlushRange(void* addr, uint32_t len);
void DCFlushRangeNoSync(void* addr, uint32_t len);
void DCInvalidateRange(void* addr, uint32_t len);
typedef void (*DCStoreListener)(const void* addr, uint32_t len);
void DCSetStoreListener(DCStoreListener listener);  // one listener; null removes it
// Told of every DCInvalidateRange: what the CPU stored there before no
// longer stands (the memory is about to be filled anew).
void DCSetInvalidateListener(DCStoreListener listener);  // one listener; null removes it
// Told of every heap block OSFreeToHeap is about to give back (its first
// byte and its rounded size), on the freeing thread, while the memory is
// still readable: the graphics layer lets the GPU side finish with it first.
typedef void (*OSHeapFreeListener)(const void* addr, uint64_t len);
void OSSetHeapFreeListener(OSHeapFreeListener listener);  // one listener; null removes it

// ---- threads -----------------------------------------------------------------
constexpr int OS_PRIORITY_MIN = 0;    // highest priority
constexpr int OS_PRIORITY_MAX = 31;   // lowest priority
constexpr int OS_PRIORITY_IDLE = OS_PRIORITY_MAX;

struct OSThreadHost;  // host side of a thread, owned by the layer
struct OSThread {
    OSThreadHost* host = nullptr;
    int priority = 0;
    uint16_t state = 0;   // OS_THREAD_STATE_*
    uint16_t attr = 0;    // OS_THREAD_ATTR_DETACH when detached
    void* val = nullptr;  // the function's return value once it ends
};
constexpr uint16_t OS_THREAD_STATE_READY = 1;
constexpr uint16_t OS_THREAD_STATE_RUNNING = 2;
constexpr uint16_t OS_THREAD_STATE_WAITING = 4;
constexpr uint16_t OS_THREAD_STATE_MORIBUND = 8;
constexpr uint16_t OS_THREAD_ATTR_DETACH = 1;

typedef void* (*OSThreadFunc)(void* arg);
// Creates a suspended thread. The stack pointer and size are the console's
// (the host thread has a stack of its own). Returns FALSE on a bad priority
// or when the host cannot create the thread.
BOOL OSCreateThread(OSThread* thread, OSThreadFunc func, void* arg, void* stackTop,
                    uint32_t stackSize, int priority, uint16_t attr);
int32_t OSResumeThread(OSThread* thread);  // starts a created thread; returns the old suspend count
void OSDetachThread(OSThread* thread);
// Waits until the thread's function has returned, even for a detached thread.
// Stores its return value in *val when val is not null. FALSE for a thread
// never created.
BOOL OSJoinThread(OSThread* thread, void** val);
// Gives the CPU to a ready thread of the same or higher priority. A yield is
// not a wait on time: a loop that yields until OSGetTime passes a value never
// ends on the virtual clock unless another thread waits on time. Wait for a
// time with OSWaitUntil or OSSleepTicks.
void OSYieldThread();
OSThread* OSGetCurrentThread();
int OSGetThreadPriority(OSThread* thread);
BOOL OSSetThreadPriority(OSThread* thread, int priority);
int32_t OSCheckActiveThreads();  // count of live threads; diagnostic
void OSSleepTicks(OSTime ticks);  // gives up the CPU for at least this long

// ---- mutexes -----------------------------------------------------------------
struct OSMutexHost;
struct OSMutex {
    OSMutexHost* host = nullptr;
};
void OSInitMutex(OSMutex* mutex);
void OSLockMutex(OSMutex* mutex);    // recursive for the owning thread; a contended lock waits
void OSUnlockMutex(OSMutex* mutex);
BOOL OSTryLockMutex(OSMutex* mutex);
// Host side only: frees what OSInitMutex made. For a mutex whose memory goes
// away (a lock object's destructor); refused (reported) while it is held.
void OSFreeMutex(OSMutex* mutex);

// ---- interrupts --------------------------------------------------------------
// One lock shared with every interrupt-time callback of the layer. Disabling
// takes it (once per thread; nested disables only count), restoring to TRUE
// releases it. An OS thread must not wait (yield, sleep, join, lock a
// contended mutex) with interrupts disabled.
BOOL OSDisableInterrupts();           // returns the previous enable state
BOOL OSEnableInterrupts();
BOOL OSRestoreInterrupts(BOOL level);

// Holds the interrupt lock for one scope: disables on construction, restores
// the previous state on destruction.
class OSInterruptScope {
public:
    OSInterruptScope() : m_level(OSDisableInterrupts()) {}
    ~OSInterruptScope() { OSRestoreInterrupts(m_level); }
    OSInterruptScope(const OSInterruptScope&) = delete;
    OSInterruptScope& operator=(const OSInterruptScope&) = delete;

private:
    BOOL m_level;
};

// ---- time --------------------------------------------------------------------
// Monotonic; in a headless run the clock is virtual and advances only when
// every thread waits (see OSSetVirtualClock).
OSTime OSGetTime();
OSTick OSGetTick();
// Platform-internal waits on time (retrace, timers) use this: returns once
// OSGetTime() >= deadline. An OS thread gives up the CPU meanwhile and gets it
// back by priority. A platform thread may call it too (a timer "interrupt"):
// with the virtual clock it is then counted as busy from its wake-up until its
// next OSWaitUntil or OSBlockingWaitBegin (or its end), so virtual time does not
// run ahead of the work it triggered.
void OSWaitUntil(OSTime deadline);
// Virtual clock: switch it on before other threads exist (the headless run
// does so first thing). Time stays monotonic across a switch.
void OSSetVirtualClock(BOOL on);
BOOL OSIsVirtualClock();

// ---- waiting on host events (platform code only) ------------------------------
// An OS thread that must block on something outside the OS layer (a disc read
// in flight, the render thread finishing a frame) brackets the host-level wait
// with these two calls: Begin gives the CPU to the next ready thread, End waits
// until the CPU is this thread's again. While any OS thread is between them the
// virtual clock stands still, because that thread waits on work, not on time.
// On the virtual clock an OS thread keeps the CPU through the wait instead, so
// that the host's speed never decides which thread runs next.
// On a platform thread (not an OS thread) both calls only tell the virtual
// clock that the thread is idle. Engine code never calls these: it waits
// through OSYieldThread, OSJoinThread, OSLockMutex or OSSleepTicks.
void OSBlockingWaitBegin();
void OSBlockingWaitEnd();

// ---- reporting ---------------------------------------------------------------
void OSReport(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void OSPanic(const char* file, int line, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

// ---- reset, save region, settings -------------------------------------------
BOOL OSGetResetButtonState();
// Platform hook: the controller and window layers press and release the
// button (a key, or Start+B+X held on a controller).
void OSSetResetButtonState(BOOL down);
// Soft reset (reset 0): the program is executed again with the same arguments
// and the 128 bytes of the save region handed over; does not return.
// forceMenu set: there is no system menu to return to, so the call logs a
// line, returns, and from then on VIQuitRequested is true: the program ends
// through its normal shutdown.
void OSResetSystem(int reset, uint32_t resetCode, BOOL forceMenu);
constexpr uint32_t OS_SAVE_REGION_SIZE = 128;
void OSSetSaveRegion(void* start, void* end);
void OSGetSaveRegion(void** start, void** end);
// The 128 bytes that survived the last soft reset (zeros on a cold start).
const uint8_t* OSGetSavedRegionContents();

// Kept in the file "settings" of $XDG_DATA_HOME/quillmere/ (default
// ~/.local/share/quillmere/); defaults: interlaced, stereo.
uint32_t OSGetProgressiveMode();
void OSSetProgressiveMode(uint32_t on);
constexpr uint32_t OS_SOUND_MODE_MONO = 0;
constexpr uint32_t OS_SOUND_MODE_STEREO = 1;
uint32_t OSGetSoundMode();
void OSSetSoundMode(uint32_t mode);

#include "platform/osfont.h"  // the boot-ROM font
