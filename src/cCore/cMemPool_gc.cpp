// The console half of the pools: the OS heap they take memory from, and the
// start-up that creates that heap and the "Global" pool.
#include "cCore/cMemPool.h"

#include <cstdint>

#include "platform/os.h"
#include "cCore/cSaveRegion.h"

namespace {

OSHeapHandle s_heap = -1;
bool s_bArenaReady = false;

uint8_t* RoundUp32(uint8_t* p)
{
    return reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(p) + 31) & ~uintptr_t(31));
}

uint8_t* RoundDown32(uint8_t* p)
{
    return reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(p) & ~uintptr_t(31));
}

}  // namespace

void cMemPool::cMemPoolArenaInit()
{
    if (s_bArenaReady)
        return;
    s_bArenaReady = true;
    OSInit();
    cSaveRegion::HandleRestoreSaveRegion();
    uint8_t* lo = static_cast<uint8_t*>(OSInitAlloc(OSGetArenaLo(), OSGetArenaHi(), 1));
    OSSetArenaLo(lo);
    const uint32_t heapBytes = kHeapSize * kHostPoolScale;
    s_heap = OSCreateHeap(RoundUp32(lo), RoundDown32(lo + heapBytes));
    OSSetCurrentHeap(s_heap);
    // The rest of the arena above the heap is left to platform code.
    OSSetArenaLo(lo + heapBytes);
}

void cMemPool::AllocGlobalPool()
{
    if (s_pGlobalPool)
        return;
    cMemPoolArenaInit();
    static cMemPool s_global("Global", kGlobalPoolSize, true);
    s_pGlobalPool = &s_global;
}

void* cMemPool::PlatformMalloc(uint32_t size)
{
    cMemPoolArenaInit();
    return OSAllocFromHeap(s_heap, size);
}

void cMemPool::PlatformFree(void* p)
{
    if (p)
        OSFreeToHeap(s_heap, p);
}

void cMemPool::PlatformEmptied(void* p, size_t n)
{
    // The data cache's own word for memory about to be filled anew; a pool
    // is never larger than the heap, whose sizes are 32-bit.
    if (p && n)
        DCInvalidateRange(p, static_cast<uint32_t>(n));
}

// Pools exist before main, like the console's static initialiser made them.
static const bool s_bPoolsStarted = (cMemPool::AllocGlobalPool(), true);
