#pragma once
// The pool handling every load of the game flow and its editing-tool
// creator share: the old object goes, its pool is reset (or given its
// block on first use) and the new, empty object is made in it. Loader
// threads on their own pools, or editing tools on the main thread.

#include <cstdint>
#include <memory>
#include <utility>

#include "cCore/cMemPool.h"
#include "gcGameCore/flow/gcGameConfig.h"

class gcGamePools {
public:
    // Destroys the object, if any (a resident one clears its own static
    // pointer), and forgets it.
    template <class T>
    static void Delete(T*& rObject)
    {
        if (rObject)
            std::destroy_at(rObject);
        rObject = nullptr;
    }

    // Destroys pOld, if any, readies the pool (reset, or a block of size
    // bytes when it has none) and makes a T in it from args. Null when the
    // pool has no room.
    template <class T, class... Args>
    static T* Renew(T* pOld, cMemPool& pool, uint32_t size, Args&&... args)
    {
        Delete(pOld);
        gcGameConfig::PrepPool(pool, size);
        return pool.New<T>(std::forward<Args>(args)...);
    }

    // A side group: the one rGroup holds is replaced by an empty group over
    // [begin, end) made in the readied pool and owning what it will hold.
    // rGroup is null when the pool has no room.
    template <class G>
    static G* RenewGroup(G*& rGroup, cMemPool& pool, uint32_t size, int32_t begin, int32_t end)
    {
        rGroup = Renew(rGroup, pool, size);
        if (rGroup)
            gcGameConfig::SetGroupRange(*rGroup, begin, end);
        return rGroup;
    }
};
