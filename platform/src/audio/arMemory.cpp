// Audio memory and its transfer queue. Blocks are kept in address order and a
// new block takes the first gap that holds it, so blocks released most recent
// first behave as the console's stack, and blocks released out of order leave
// a gap that later blocks reuse instead of overwriting live samples.
#include "platform/ar.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "../test/audio_test.h"
#include "audio/audio_local.h"

namespace {

struct Block {
    uint32_t address;
    uint32_t length;
    uint64_t nSeq;  // allocation order, to spot releases out of order
};

struct AudioMemory {
    uint8_t* pBytes = nullptr;
    bool bInit = false;
    uint32_t nMaxBlocks = 0;
    std::vector<Block> blocks;  // by address
    uint64_t nSeq = 0;
    ARQObserver observer = nullptr;
};

// Never destroyed: platform threads may still play from it at program end.
AudioMemory& M()
{
    static AudioMemory* s_pMemory = new AudioMemory;
    return *s_pMemory;
}

constexpr uint32_t RoundUp32(uint32_t n) { return (n + (AR_DMA_ALIGN - 1)) & ~(AR_DMA_ALIGN - 1); }

}  // namespace

uint8_t* audio::Memory()
{
    AudioMemory& m = M();
    if (!m.pBytes)
        m.pBytes = new uint8_t[AR_MEMORY_SIZE]();
    return m.pBytes;
}

uint32_t ARInit(uint32_t* /*stackIndexAddr*/, uint32_t numEntries)
{
    OSInterruptScope scope;
    AudioMemory& m = M();
    audio::Memory();
    if (!m.bInit) {
        m.bInit = true;
        m.nMaxBlocks = numEntries;
    }
    return AR_BASE_ADDRESS;
}

BOOL ARCheckInit()
{
    OSInterruptScope scope;
    return M().bInit ? TRUE : FALSE;
}

uint32_t ARAlloc(uint32_t length)
{
    OSInterruptScope scope;
    AudioMemory& m = M();
    if (!m.bInit) {
        OSReport("AR: ARAlloc before ARInit\n");
        return 0;
    }
    if (m.blocks.size() >= m.nMaxBlocks) {
        OSReport("AR: ARAlloc of %u bytes: all %u block entries are in use\n", length, m.nMaxBlocks);
        return 0;
    }
    if (length > AR_MEMORY_SIZE - AR_BASE_ADDRESS) {
        OSReport("AR: ARAlloc of %u bytes: larger than audio memory\n", length);
        return 0;
    }
    const uint32_t size = std::max(RoundUp32(length), AR_DMA_ALIGN);
    uint32_t start = AR_BASE_ADDRESS;
    auto it = m.blocks.begin();
    for (; it != m.blocks.end(); ++it) {
        if (it->address - start >= size)
            break;
        start = it->address + it->length;
    }
    if (it == m.blocks.end() && AR_MEMORY_SIZE - start < size) {
        OSReport("AR: ARAlloc of %u bytes: no room left in audio memory\n", length);
        return 0;
    }
    m.blocks.insert(it, Block{start, size, ++m.nSeq});
    return start;
}

BOOL ARFree(uint32_t address, uint32_t* pLength)
{
    OSInterruptScope scope;
    AudioMemory& m = M();
    auto it = std::find_if(m.blocks.begin(), m.blocks.end(),
                           [address](const Block& b) { return b.address == address; });
    if (it == m.blocks.end()) {
        OSReport("AR: ARFree of 0x%08X: no block starts there\n", address);
        return FALSE;
    }
#ifndef NDEBUG
    const auto newest = std::max_element(m.blocks.begin(), m.blocks.end(),
                                         [](const Block& a, const Block& b) { return a.nSeq < b.nSeq; });
    if (newest != it)
        OSReport("AR: ARFree of 0x%08X out of order (the newest block is 0x%08X)\n", address, newest->address);
#endif
    if (pLength)
        *pLength = it->length;
    m.blocks.erase(it);
    return TRUE;
}

uint32_t ARGetSize() { return AR_MEMORY_SIZE; }
uint32_t ARGetBaseAddress() { return AR_BASE_ADDRESS; }
uint32_t ARGetDMAStatus() { return 0; }

void ARQInit()
{
    audio::Memory();
}

void ARQPostRequest(ARQRequest* request, uint32_t owner, uint32_t type, uint32_t priority, uintptr_t source,
                    uintptr_t dest, uint32_t length, ARQCallback callback)
{
    if (!request)
        return;
    OSInterruptScope scope;  // the callback runs at interrupt level
    request->next = nullptr;
    request->owner = owner;
    request->type = type;
    request->priority = priority;
    request->source = source;
    request->dest = dest;
    request->length = length;
    request->callback = callback;
    const bool bToAram = type == ARQ_TYPE_MRAM_TO_ARAM;
    const uintptr_t aram = bToAram ? dest : source;
    const uintptr_t mram = bToAram ? source : dest;
    const bool bAligned = aram % AR_DMA_ALIGN == 0 && length % AR_DMA_ALIGN == 0;
    const bool bInside = aram <= AR_MEMORY_SIZE && length <= AR_MEMORY_SIZE - aram;
    if (type > ARQ_TYPE_ARAM_TO_MRAM || !bAligned || !bInside || (length > 0 && mram == 0)) {
        OSReport("AR: transfer refused: type %u, audio memory 0x%llX, %u bytes\n", type,
                 static_cast<unsigned long long>(aram), length);
    } else if (bToAram) {
        std::memcpy(audio::Memory() + aram, reinterpret_cast<const void*>(mram), length);
    } else {
        std::memcpy(reinterpret_cast<void*>(mram), audio::Memory() + aram, length);
    }
    if (M().observer)
        M().observer(request);
    if (callback)
        callback(request);
}

ARQObserver ARQTestSetObserver(ARQObserver observer)
{
    OSInterruptScope scope;
    const ARQObserver old = M().observer;
    M().observer = observer;
    return old;
}

int ARTestLiveBlocks()
{
    OSInterruptScope scope;
    return static_cast<int>(M().blocks.size());
}

void ARTestFreeAll()
{
    OSInterruptScope scope;
    M().blocks.clear();
}
