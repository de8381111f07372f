#pragma once
// Named bump allocator over one block of the OS heap. Objects read from data
// files are constructed in pools and never freed one by one; a pool is emptied
// all at once by Reset. A pool is filled by one thread at a time (the main
// thread, or the loader thread for a pool the main thread does not touch).
// Pointers into a pool stay valid until its Reset, FreePoolMemory or end.
//
// Under AddressSanitizer the pool tells the sanitizer which of its bytes are
// handed out: memory not yet handed out, the gaps between objects and what a
// reset takes back are poisoned, so an access past one pooled object (into
// the next one, or into memory no object owns) is reported as it would be
// between two heap blocks. Each object but the first is then preceded by a
// poisoned red zone of kRedZone bytes, so that two objects are not adjacent.

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_POOL_POISON 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(QM_POOL_POISON)
#define QM_POOL_POISON 1
#endif

// The host allocates this many times the console size for every pool and for
// the start-up heap: objects are larger with 64-bit pointers, so a
// configuration that fitted the console fits here.
constexpr uint32_t kHostPoolScale = 2;

class cMemPool {
public:
    static constexpr uint32_t kPoolAlign = 32;        // pool memory is rounded to this
    static constexpr uint32_t kNameSize = 32;         // name field, zero-terminated
    static constexpr uint32_t kHeapSize = 0x1400000;  // console start-up heap (20 MiB)
    static constexpr uint32_t kGlobalPoolSize = 0x10000;
#if defined(QM_POOL_POISON)
    static constexpr size_t kRedZone = 16;  // poisoned bytes between objects
#else
    static constexpr size_t kRedZone = 0;
#endif

    typedef void (*ResetNotifyFunc)(const cMemPool* pPool);

    // Links the pool at the tail of the list of all pools; a size other than 0
    // allocates its memory at once.
    cMemPool(const char* name, uint32_t size, bool bWarnNearLimit);
    ~cMemPool();
    cMemPool(const cMemPool&) = delete;
    cMemPool& operator=(const cMemPool&) = delete;

    // Gives a pool its memory: size rounded up to 32, times kHostPoolScale,
    // zero-filled. False (logged) when the heap cannot supply it; the pool is
    // then without memory. A pool that has memory keeps it and returns false.
    bool AllocPoolMemory(uint32_t size);
    // Makes the whole pool free and zero again, then tells the reset
    // notification (the owners of long-lived objects outside the pool drop
    // their pointers into it).
    void Reset();
    void FreePoolMemory();

    bool Contains(const void* p) const { return p >= m_pStart && p < m_pEnd; }
    static cMemPool* GetPoolFromPtr(const void* p);
    uint32_t CalcCRC32() const;  // of the whole memory; 0 without memory

    // Bump allocation: zeroed memory aligned to nAlign, or null when the
    // pool has no memory or the block would pass the pool's end: logged, or
    // during a load the failure of the file being read (one error naming
    // the pool and the file). Under
    // AddressSanitizer a red zone goes before the block where it fits.
    void* Alloc(size_t nBytes, size_t nAlign = alignof(std::max_align_t));
    // Constructs a T in the pool; null when the pool cannot hold it.
    template <class T, class... Args>
    T* New(Args&&... args)
    {
        void* p = Alloc(sizeof(T), alignof(T));
        return p ? new (p) T(std::forward<Args>(args)...) : nullptr;
    }

    // How far the cursor got: bytes handed out since the last reset (with
    // alignment padding and red zones). Tests check a configuration fits with it.
    size_t BytesTaken() const { return static_cast<size_t>(m_pCur - m_pStart); }
    size_t Capacity() const { return static_cast<size_t>(m_pEnd - m_pStart); }
    // For the pool report of a run: the largest use since the pool was made,
    // and the use and size just before its memory was last emptied or freed
    // (a map's pools: as the map ends). Zero until then.
    size_t PeakTaken() const { return m_nPeakTaken; }
    size_t TakenAtRelease() const { return m_nTakenAtRelease; }
    size_t CapacityAtRelease() const { return m_nCapacityAtRelease; }
    bool HasMemory() const { return m_pStart != nullptr; }
    const char* GetName() const { return m_sName; }
    uint32_t GetSize() const { return m_nSize; }
    uint8_t* GetStart() const { return m_pStart; }
    uint8_t* GetEnd() const { return m_pEnd; }
    cMemPool* GetNext() const { return m_pNext; }
    cMemPool* GetPrev() const { return m_pPrev; }

    // Installs the function Reset calls with the reset pool; returns the old
    // one. The game installs its map's handler; null removes it.
    static ResetNotifyFunc SetResetNotify(ResetNotifyFunc func);

    // The OS heap: current heap, 32-byte aligned; PlatformFree ignores null.
    static void* PlatformMalloc(uint32_t size);
    static void PlatformFree(void* p);
    // Tells the platform that n bytes at p are emptied and will be filled
    // anew, so nothing it noted about their old contents stands.
    static void PlatformEmptied(void* p, size_t n);

    // Start-up: OS, save region, the one heap, the "Global" pool. Each runs
    // once; every pool allocation makes sure it has run.
    static void AllocGlobalPool();
    static void cMemPoolArenaInit();

    void LogPoolStats() {}
    void LogAllocations() const {}

    static cMemPool* s_pPoolList;   // head of the ring of all pools; null when none
    static cMemPool* s_pGlobalPool;

private:
    // An allocation refused: the file this thread reads fails with the
    // reason (cFile::GetReading), else the reason is logged naming the pool.
    void Refuse(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));
    void AllocateMemory(uint32_t size);
    void NoteRelease();
    void Link();
    void Unlink();

    char m_sName[kNameSize];
    uint8_t* m_pStart = nullptr;
    uint8_t* m_pEnd = nullptr;
    uint8_t* m_pCur = nullptr;
    uint32_t m_nSize = 0;   // size asked for, before rounding and scaling
    uint32_t m_nUsed = 0;   // kept for layout; the bump allocation does not count
    cMemPool* m_pNext = nullptr;
    cMemPool* m_pPrev = nullptr;
    void* m_pAllocations = nullptr;
    void* m_pFreeList = nullptr;
    bool m_bWarnNearLimit = false;
    bool m_bLocked = false;
    size_t m_nPeakTaken = 0;
    size_t m_nTakenAtRelease = 0;
    size_t m_nCapacityAtRelease = 0;

    static ResetNotifyFunc s_resetNotify;
};
