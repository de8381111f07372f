#include "cCore/cMemPool.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cCore/cCoreServices.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"

// Poisoning under AddressSanitizer: see the class comment.
#if defined(QM_POOL_POISON)
#include <sanitizer/asan_interface.h>

#include <vector>

namespace {
void Poison(const void* p, size_t n) { ASAN_POISON_MEMORY_REGION(p, n); }
void Unpoison(const void* p, size_t n) { ASAN_UNPOISON_MEMORY_REGION(p, n); }
// Reads the whole block whatever its poisoning, for the checksum.
__attribute__((no_sanitize("address"))) void CopyUnchecked(const uint8_t* p, size_t n, uint8_t* pOut)
{
    for (size_t i = 0; i < n; ++i)
        pOut[i] = p[i];
}
}  // namespace
#else
namespace {
void Poison(const void*, size_t) {}
void Unpoison(const void*, size_t) {}
}  // namespace
#endif

namespace {
uintptr_t AlignUp(uintptr_t p, size_t nAlign)
{
    return (p + nAlign - 1) & ~uintptr_t(nAlign - 1);
}
}  // namespace

cMemPool* cMemPool::s_pPoolList = nullptr;
cMemPool* cMemPool::s_pGlobalPool = nullptr;
cMemPool::ResetNotifyFunc cMemPool::s_resetNotify = nullptr;

cMemPool::cMemPool(const char* name, uint32_t size, bool bWarnNearLimit)
    : m_bWarnNearLimit(bWarnNearLimit)
{
    std::strncpy(m_sName, name ? name : "", kNameSize);
    m_sName[kNameSize - 1] = '\0';
    Link();
    if (size != 0)
        AllocateMemory(size);
}

cMemPool::~cMemPool()
{
    FreePoolMemory();
    Unlink();
}

void cMemPool::Link()
{
    if (!s_pPoolList) {
        s_pPoolList = this;
        m_pNext = m_pPrev = this;
        return;
    }
    // Inserted before the head, so the ring keeps the order of construction.
    cMemPool* pTail = s_pPoolList->m_pPrev;
    m_pPrev = pTail;
    m_pNext = s_pPoolList;
    pTail->m_pNext = this;
    s_pPoolList->m_pPrev = this;
}

void cMemPool::Unlink()
{
    if (s_pPoolList == this)
        s_pPoolList = m_pNext;
    m_pPrev->m_pNext = m_pNext;
    m_pNext->m_pPrev = m_pPrev;
    if (s_pPoolList == this)  // it was the only pool
        s_pPoolList = nullptr;
    m_pNext = m_pPrev = this;
}

void cMemPool::AllocateMemory(uint32_t size)
{
    const uint64_t rounded = (static_cast<uint64_t>(size) + kPoolAlign - 1) & ~uint64_t(kPoolAlign - 1);
    const uint64_t hostBytes = rounded * kHostPoolScale;
    uint8_t* pBlock = hostBytes <= UINT32_MAX ? static_cast<uint8_t*>(PlatformMalloc(static_cast<uint32_t>(hostBytes)))
                                              : nullptr;
    if (!pBlock) {
        // The pool stays without memory; its allocations fail and log.
        cLogError_("cMemPool \"%s\": the heap has no %llu bytes for the pool", m_sName,
                   static_cast<unsigned long long>(hostBytes));
        m_pStart = m_pEnd = m_pCur = nullptr;
        m_nSize = 0;
        return;
    }
    m_pStart = pBlock;
    m_pEnd = pBlock + hostBytes;
    m_nSize = size;
    // Heap blocks are not zeroed; constructors rely on zeroed pool memory.
    std::memset(m_pStart, 0, static_cast<size_t>(hostBytes));
    Poison(m_pStart, static_cast<size_t>(hostBytes));
    m_pCur = m_pStart;
    m_nUsed = 0;
    m_pAllocations = nullptr;
    m_pFreeList = nullptr;
    m_bLocked = false;
}

bool cMemPool::AllocPoolMemory(uint32_t size)
{
    // A pool that has memory gets a fresh, zeroed block in place of the old
    // one, which goes back to the heap (with whatever was placed in it).
    if (m_pStart)
        FreePoolMemory();
    if (size == 0)
        return true;
    AllocateMemory(size);
    return m_pStart != nullptr;
}

void cMemPool::NoteRelease()
{
    if (!m_pStart)
        return;
    m_nTakenAtRelease = BytesTaken();
    m_nCapacityAtRelease = Capacity();
}

void cMemPool::Reset()
{
    if (!m_pStart)
        return;
    NoteRelease();
    // Only what the cursor passed needs zeroing: the bytes beyond it were
    // never handed out and are still zero. A large pool reset after a small
    // use costs that use, not the pool's size.
    if (m_pCur != m_pStart) {
        Unpoison(m_pStart, Capacity());
        std::memset(m_pStart, 0, BytesTaken());
        Poison(m_pStart, Capacity());
        m_pCur = m_pStart;
        PlatformEmptied(m_pStart, Capacity());
    }
    m_nUsed = 0;
    m_pAllocations = nullptr;
    m_pFreeList = nullptr;
    m_bLocked = false;
    if (s_resetNotify)
        s_resetNotify(this);
}

void cMemPool::FreePoolMemory()
{
    NoteRelease();
    // The heap hands the block out again as plain memory.
    if (m_pStart)
        Unpoison(m_pStart, Capacity());
    PlatformFree(m_pStart);
    m_pStart = m_pEnd = m_pCur = nullptr;
    m_pAllocations = nullptr;
    m_nSize = 0;
    m_nUsed = 0;
}

cMemPool* cMemPool::GetPoolFromPtr(const void* p)
{
    cMemPool* pPool = s_pPoolList;
    if (!pPool)
        return nullptr;
    do {
        if (pPool->Contains(p))
            return pPool;
        pPool = pPool->m_pNext;
    } while (pPool != s_pPoolList);
    return nullptr;
}

uint32_t cMemPool::CalcCRC32() const
{
    if (!m_pStart)
        return 0;
#if defined(QM_POOL_POISON)
    std::vector<uint8_t> copy(Capacity());
    CopyUnchecked(m_pStart, copy.size(), copy.data());
    return cCalcCRC32(copy.data(), static_cast<uint32_t>(copy.size()));
#else
    return cCalcCRC32(m_pStart, static_cast<uint32_t>(Capacity()));
#endif
}

void cMemPool::Refuse(const char* fmt, ...) const
{
    char why[160];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(why, sizeof(why), fmt, args);
    va_end(args);
    // During a load the refusal is the file's failure: its one error names
    // the pool, and the loader fails without a second line.
    if (const cFile* pFile = cFile::GetReading())
        pFile->Fail("the pool \"%s\" cannot hold it: %s", m_sName, why);
    else
        cLogError_("cMemPool \"%s\": %s", m_sName, why);
}

void* cMemPool::Alloc(size_t nBytes, size_t nAlign)
{
    if (!m_pStart) {
        Refuse("no memory for an object of %zu bytes", nBytes);
        return nullptr;
    }
    if (nAlign == 0 || (nAlign & (nAlign - 1)) != 0)
        nAlign = alignof(std::max_align_t);
    const uintptr_t cur = reinterpret_cast<uintptr_t>(m_pCur);
    const uintptr_t end = reinterpret_cast<uintptr_t>(m_pEnd);
    // A red zone (poisoned) separates the block from the one before it,
    // unless only leaving it out lets the block fit, so that a pool can
    // still be filled to its last byte.
    const uintptr_t guard = cur != reinterpret_cast<uintptr_t>(m_pStart) ? kRedZone : 0;
    uintptr_t aligned = AlignUp(cur + guard, nAlign);
    if (aligned > end || nBytes > end - aligned)
        aligned = AlignUp(cur, nAlign);
    if (aligned > end || nBytes > end - aligned) {
        Refuse("full: %zu bytes asked, %zu of %zu left", nBytes, static_cast<size_t>(end - cur), Capacity());
        return nullptr;
    }
    m_pCur = reinterpret_cast<uint8_t*>(aligned + nBytes);
    if (BytesTaken() > m_nPeakTaken)
        m_nPeakTaken = BytesTaken();
    Unpoison(reinterpret_cast<void*>(aligned), nBytes);
    return reinterpret_cast<void*>(aligned);
}

cMemPool::ResetNotifyFunc cMemPool::SetResetNotify(ResetNotifyFunc func)
{
    ResetNotifyFunc old = s_resetNotify;
    s_resetNotify = func;
    return old;
}
