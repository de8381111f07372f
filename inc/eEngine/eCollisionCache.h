#pragma once
// A fixed arena of 1024 decoded world-space collision triangles, handed out in
// runs of whole 16-triangle blocks, so that a triangle list several movers
// touch in one frame is decoded once. The owner of a run keeps its 32-bit key
// and finds the run again with Find; the cache never searches. Two live in the
// zone's "CollisionCache" pool (static and dynamic). Main thread only; a run's
// triangles stay valid until a later Lock reuses its blocks or Invalidate.

#include <cstdint>

#include "mMath/mPlane.h"
#include "mMath/mVec3.h"

// One decoded triangle: corners in world space and the plane through them
// (unit normal, offset = normal . v1). Its constructor leaves it unset.
struct eCollisionCacheTri {
    mVec3 v1, v2, v3;
    mPlane plane;
};

struct eCollisionCacheEntry {
    uint32_t nId;  // key of the run that starts at this block, or 0
};

class eCollisionCache
{
public:
    static constexpr int kBlockTris = 16;
    static constexpr int kBlocks = 64;
    static constexpr int kMaxTris = kBlockTris * kBlocks;  // 1024: the longest run
    // Key layout: serial number in the upper 24 bits, first block in the low 8.
    static constexpr int kSerialShift = 8;
    static constexpr uint32_t kBlockMask = 0xFF;
    static constexpr uint32_t kSerialWrap = 0xFFFFFF;  // serials run 1 .. 0xFFFFFE

    eCollisionCache();

    // Reserves a run for count triangles, writes its key to *pKey and returns
    // its first triangle, which the caller fills at once and then clears
    // m_bIsLocked. A run that does not fit in the blocks left restarts the
    // arena at block 0, dropping the oldest runs. A count of 0 or less gives
    // no run; a count above kMaxTris cannot be cached (logged). Both return
    // null with *pKey 0 and leave the cache as it was.
    eCollisionCacheTri* Lock(int count, uint32_t* pKey);
    // The run of a key, or null when the key is 0 or its run was overwritten
    // or invalidated since.
    eCollisionCacheTri* Find(uint32_t key);
    // Notes the box around the corners of a key's run of count triangles,
    // once its owner has filled it, so a query can pass over a run wholly out
    // of its reach without testing each triangle. Corners that are NaN are
    // left out (such triangles never give contacts).
    void NoteRunBounds(uint32_t key, int count);
    // The box noted for a key's run; false when none was, or the run is gone.
    bool GetRunBounds(uint32_t key, mVec3* pLo, mVec3* pHi);
    // Every key misses from now on; the arena position and serial are kept, so
    // new keys differ from all earlier ones.
    void Invalidate();

    eCollisionCacheTri m_tris[kMaxTris];
    eCollisionCacheEntry m_entries[kBlocks];
    mVec3 m_runLo[kBlocks];            // noted run boxes, by first block
    mVec3 m_runHi[kBlocks];
    uint32_t m_runBoundsKey[kBlocks];  // the key each box was noted for, or 0
    int32_t m_nNextEntry;       // block where the next run starts, 0 to 64
    uint32_t m_nNextMagicNum;   // serial of the next key, 1 to 0xFFFFFE
    bool m_bIsLocked;           // between Lock and the end of the caller's filling
    int32_t m_nLockedTris;      // running total of triangles handed out
};
