#pragma once
// A lock over one OS mutex. Recursive for the owning thread; a contended Lock
// gives the CPU away until the owner unlocks. Any thread may use it.

#include "platform/os.h"

class cLock {
public:
    cLock() { OSInitMutex(&m_mutex); }
    ~cLock() { OSFreeMutex(&m_mutex); }
    cLock(const cLock&) = delete;
    cLock& operator=(const cLock&) = delete;

    void Lock() { OSLockMutex(&m_mutex); }
    void Unlock() { OSUnlockMutex(&m_mutex); }
    bool TryLock() { return OSTryLockMutex(&m_mutex) != FALSE; }
    OSMutex* GetMutex() { return &m_mutex; }

private:
    OSMutex m_mutex;
};

// Holds a cLock for the scope it lives in.
class cLockScope {
public:
    explicit cLockScope(cLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~cLockScope() { m_lock.Unlock(); }
    cLockScope(const cLockScope&) = delete;
    cLockScope& operator=(const cLockScope&) = delete;

private:
    cLock& m_lock;
};
