#pragma once
// Helpers of the mesh and animation readers: how many bytes a block has
// left, whether a stored count of records can be in it, and arrays taken
// from the reading pool in whole words. Loader thread or main thread.

#include <cstddef>
#include <cstdint>
#include <new>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"

namespace eBlockArrays {

constexpr size_t kArrayAlign = 4;  // every array is taken in whole words

// Bytes between the reading position and the block's end marker.
inline uint32_t BytesLeft(const cReadBlock& rb)
{
    const uint32_t pos = rb.m_file.GetCurrentPos();
    return pos < rb.m_nEndOffset ? rb.m_nEndOffset - pos : 0;
}

// Whether count records of recordBytes each can still be in the block.
inline bool Fits(const cReadBlock& rb, int64_t count, int64_t recordBytes)
{
    return count >= 0 && count * recordBytes <= static_cast<int64_t>(BytesLeft(rb));
}

// count value-initialised records of T from the pool, null for none; false
// when the pool cannot give them (it logs). The size taken is rounded up to
// a multiple of roundTo (a power of two; 1 takes the exact size).
template <class T>
bool TakeArray(cMemPool* pPool, int64_t count, T** ppOut, size_t roundTo = kArrayAlign)
{
    *ppOut = nullptr;
    if (count <= 0)
        return true;
    const size_t bytes = (sizeof(T) * static_cast<size_t>(count) + roundTo - 1) & ~(roundTo - 1);
    void* p = pPool ? pPool->Alloc(bytes, alignof(T)) : nullptr;
    if (!p)
        return false;
    T* pArray = static_cast<T*>(p);
    for (int64_t i = 0; i < count; ++i)
        new (&pArray[i]) T();
    *ppOut = pArray;
    return true;
}

}  // namespace eBlockArrays
