#pragma once
// The builders of sample scripts make many objects in one pool; a null
// anywhere means the pool ran out. PoolBuilder notes that once for the whole
// build, so a builder checks Full() at its end instead of after every New.
// Offline tools; main thread.

#include "cCore/cMemPool.h"

namespace datagen {

class PoolBuilder {
public:
    explicit PoolBuilder(cMemPool* pPool) : m_pPool(pPool) {}

    template <class T, class... Args>
    T* New(Args&&... args)
    {
        T* p = m_pPool ? m_pPool->New<T>(static_cast<Args&&>(args)...) : nullptr;
        m_bFull |= p == nullptr;
        return p;
    }
    // Takes an object some other builder made in the pool (null: it failed).
    template <class T>
    T* Took(T* p)
    {
        m_bFull |= p == nullptr;
        return p;
    }
    bool Full() const { return m_bFull; }
    cMemPool* Pool() const { return m_pPool; }

private:
    cMemPool* m_pPool;
    bool m_bFull = false;
};

}  // namespace datagen
