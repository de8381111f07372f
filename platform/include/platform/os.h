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

// ---- interrupts --------------------------------------------------------------
// One recursive lock shared with every interrupt-time callback of the layer.
BOOL OSDisableInterrupts();           // returns the previous enable state
BOOL OSEnableInterrupts();
BOOL OSRestoreInterrupts(BOOL level);

// ---- time --------------------------------------------------------------------
// Monotonic; in a headless run the clock is virtual and advances only when
// every thread waits (see OSSetVirtualClock).
OSTime OSGetTime();
OSTick OSGetTick();
// Platform-internal waits on time (retrace, timers) use this: returns once
// OSGetTime() >= deadline. Gives up the CPU meanwhile.
void OSWaitUntil(OSTime deadline);
void OSSetVirtualClock(BOOL on);  // call before other threads exist
BOOL OSIsVirtualClock();

// ---- reporting ---------------------------------------------------------------
void OSReport(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void OSPanic(const char* file, int line, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

// ---- reset, save region, settings -------------------------------------------
BOOL OSGetResetButtonState();
// Soft reset (restart with the save region kept), or with menu set, quit.
void OSResetSystem(int reset, uint32_t resetCode, BOOL forceMenu);
constexpr uint32_t OS_SAVE_REGION_SIZE = 128;
void OSSetSaveRegion(void* start, void* end);
void OSGetSaveRegion(void** start, void** end);
// The 128 bytes that survived the last soft reset (zeros on a cold start).
const uint8_t* OSGetSavedRegionContents();

uint32_t OSGetProgressiveMode();
void OSSetProgressiveMode(uint32_t on);
constexpr uint32_t OS_SOUND_MODE_MONO = 0;
constexpr uint32_t OS_SOUND_MODE_STEREO = 1;
uint32_t OSGetSoundMode();
void OSSetSoundMode(uint32_t mode);
