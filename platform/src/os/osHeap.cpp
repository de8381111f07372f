// Arena and heap. The arena is a reserved host block that platform code
// carves from its low end; heaps are bookkeeping over arena ranges whose
// blocks come from the host allocator, 32-byte aligned, within the heap's
// capacity.
#include "platform/os.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "os/os_local.h"

namespace {

constexpr size_t kArenaBytes = 128u << 20;  // console arena with room for the host scale
constexpr int kMaxHeaps = 8;
constexpr uint32_t kBlockHeader = 32;       // keeps blocks 32-byte aligned
constexpr uint32_t kBlockMagic = 0x48454150u;

struct Heap {
    bool bLive = false;
    uint64_t nCapacity = 0;
    uint64_t nInUse = 0;
};

struct HeapState {
    std::mutex mutex;
    uint8_t* pArenaLo = nullptr;
    uint8_t* pArenaHi = nullptr;
    int nMaxHeaps = 0;
    Heap heaps[kMaxHeaps];
    OSHeapHandle current = -1;
};

HeapState& State()
{
    static HeapState* s_pState = new HeapState;
    return *s_pState;
}

struct BlockHeader {
    uint32_t nMagic;
    int32_t nHeap;
    uint64_t nSize;
};
static_assert(sizeof(BlockHeader) <= kBlockHeader);

std::atomic<DCStoreListener> s_storeListener{nullptr};
std::atomic<OSHeapFreeListener> s_freeListener{nullptr};
std::atomic<DCStoreListener> s_invalidateListener{nullptr};

void NotifyStore(void* addr, uint32_t len)
{
    if (DCStoreListener listener = s_storeListener.load())
        listener(addr, len);
}

}  // namespace

void os::InitArena()
{
    HeapState& st = State();
    std::lock_guard<std::mutex> lock(st.mutex);
    void* p = mmap(nullptr, kArenaBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        OSReport("OS: no arena could be reserved\n");
        return;
    }
    st.pArenaLo = static_cast<uint8_t*>(p);
    st.pArenaHi = st.pArenaLo + kArenaBytes;
}

void* OSGetArenaLo()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().pArenaLo;
}

void* OSGetArenaHi()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().pArenaHi;
}

void OSSetArenaLo(void* lo)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().pArenaLo = static_cast<uint8_t*>(lo);
}

void OSSetArenaHi(void* hi)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().pArenaHi = static_cast<uint8_t*>(hi);
}

void* OSInitAlloc(void* arenaStart, void* /*arenaEnd*/, int maxHeaps)
{
    HeapState& st = State();
    std::lock_guard<std::mutex> lock(st.mutex);
    // Heaps already made stay: their blocks are still out.
    const int nWanted = maxHeaps < 0 ? 0 : (maxHeaps > kMaxHeaps ? kMaxHeaps : maxHeaps);
    st.nMaxHeaps = std::max(st.nMaxHeaps, nWanted);
    // The heap table lives on the host side; the arena only loses alignment.
    return reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(arenaStart) + 31) & ~uintptr_t(31));
}

OSHeapHandle OSCreateHeap(void* start, void* end)
{
    HeapState& st = State();
    std::lock_guard<std::mutex> lock(st.mutex);
    if (end <= start)
        return -1;
    for (int i = 0; i < st.nMaxHeaps; ++i) {
        if (!st.heaps[i].bLive) {
            st.heaps[i].bLive = true;
            st.heaps[i].nCapacity = static_cast<uint64_t>(static_cast<uint8_t*>(end) - static_cast<uint8_t*>(start));
            st.heaps[i].nInUse = 0;
            return i;
        }
    }
    return -1;
}

OSHeapHandle OSSetCurrentHeap(OSHeapHandle heap)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    const OSHeapHandle old = State().current;
    State().current = heap;
    return old;
}

void* OSAllocFromHeap(OSHeapHandle heap, uint32_t size)
{
    HeapState& st = State();
    const uint64_t rounded = (static_cast<uint64_t>(size) + 31) & ~uint64_t(31);
    {
        std::lock_guard<std::mutex> lock(st.mutex);
        if (heap < 0 || heap >= kMaxHeaps || !st.heaps[heap].bLive)
            return nullptr;
        Heap& h = st.heaps[heap];
        if (rounded > h.nCapacity - h.nInUse)
            return nullptr;
        h.nInUse += rounded;
    }
    void* pBlock = std::aligned_alloc(32, static_cast<size_t>(rounded + kBlockHeader));
    if (!pBlock) {
        std::lock_guard<std::mutex> lock(st.mutex);
        st.heaps[heap].nInUse -= rounded;
        return nullptr;
    }
    const BlockHeader header{kBlockMagic, heap, rounded};
    std::memcpy(pBlock, &header, sizeof(header));
    return static_cast<uint8_t*>(pBlock) + kBlockHeader;
}

void OSFreeToHeap(OSHeapHandle /*heap*/, void* ptr)
{
    if (!ptr)
        return;
    uint8_t* pBlock = static_cast<uint8_t*>(ptr) - kBlockHeader;
    BlockHeader header;
    std::memcpy(&header, pBlock, sizeof(header));
    if (header.nMagic != kBlockMagic || header.nHeap < 0 || header.nHeap >= kMaxHeaps) {
        OSReport("OS: OSFreeToHeap of a block not from a heap (%p)\n", ptr);
        return;
    }
    if (OSHeapFreeListener listener = s_freeListener.load())
        listener(ptr, header.nSize);
    std::memset(pBlock, 0, sizeof(header));  // a second free is caught above
    {
        HeapState& st = State();
        std::lock_guard<std::mutex> lock(st.mutex);
        st.heaps[header.nHeap].nInUse -= header.nSize;
    }
    std::free(pBlock);
}

void DCStoreRangeNoSync(void* addr, uint32_t len) { NotifyStore(addr, len); }
void DCStoreRange(void* addr, uint32_t len) { NotifyStore(addr, len); }
void DCFlushRange(void* addr, uint32_t len) { NotifyStore(addr, len); }
void DCFlushRangeNoSync(void* addr, uint32_t len) { NotifyStore(addr, len); }
void DCInvalidateRange(void* addr, uint32_t len)
{
    if (DCStoreListener listener = s_invalidateListener.load())
        listener(addr, len);
}
void DCSetInvalidateListener(DCStoreListener listener) { s_invalidateListener.store(listener); }
void DCSetStoreListener(DCStoreListener listener) { s_storeListener.store(listener); }
void OSSetHeapFreeListener(OSHeapFreeListener listener) { s_freeListener.store(listener); }
