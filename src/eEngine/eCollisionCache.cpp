#include "eEngine/eCollisionCache.h"

#include "cCore/cLog.h"
#include "mMath/mScalar.h"

eCollisionCache::eCollisionCache()
    : m_runBoundsKey(), m_nNextEntry(0), m_nNextMagicNum(1), m_bIsLocked(false), m_nLockedTris(0)
{
    Invalidate();
}

eCollisionCacheTri* eCollisionCache::Lock(int count, uint32_t* pKey)
{
    *pKey = 0;
    if (count <= 0)
        return nullptr;
    if (count > kMaxTris) {
        // Not even an empty arena holds it; the caller decodes such a list
        // in pieces of at most kMaxTris without a key.
        cLogError_("eCollisionCache::Lock: %d triangles in one run (at most %d)", count, kMaxTris);
        return nullptr;
    }
    m_bIsLocked = true;
    if (count > (kBlocks - m_nNextEntry) * kBlockTris)
        m_nNextEntry = 0;
    const uint32_t key = (m_nNextMagicNum << kSerialShift) | static_cast<uint32_t>(m_nNextEntry);
    *pKey = key;
    const int blocks = (count + kBlockTris - 1) / kBlockTris;
    // Runs are laid out one after another from block 0, so any older run that
    // this one overlaps has its first block among these.
    for (int b = m_nNextEntry; b < m_nNextEntry + blocks; ++b)
        m_entries[b].nId = 0;
    m_entries[m_nNextEntry].nId = key;
    const int start = m_nNextEntry;
    m_nNextEntry += blocks;
    if (++m_nNextMagicNum == kSerialWrap)
        m_nNextMagicNum = 1;
    // Statistics only; wraps instead of overflowing over a long session.
    m_nLockedTris = static_cast<int32_t>(static_cast<uint32_t>(m_nLockedTris) + static_cast<uint32_t>(count));
    return &m_tris[start * kBlockTris];
}

eCollisionCacheTri* eCollisionCache::Find(uint32_t key)
{
    if (key == 0)
        return nullptr;
    const uint32_t block = key & kBlockMask;
    if (block >= static_cast<uint32_t>(kBlocks) || m_entries[block].nId != key)
        return nullptr;
    return &m_tris[block * kBlockTris];
}

// Widens lo..hi to take in p; a NaN coordinate compares false and is left out.
static inline void TakeIn(const mVec3& p, mVec3& lo, mVec3& hi)
{
    for (int a = 0; a < 3; ++a) {
        lo[a] = p[a] < lo[a] ? p[a] : lo[a];
        hi[a] = p[a] > hi[a] ? p[a] : hi[a];
    }
}

void eCollisionCache::NoteRunBounds(uint32_t key, int count)
{
    const eCollisionCacheTri* pRun = Find(key);
    if (!pRun || count <= 0)
        return;
    mVec3 lo(kMaxFloat, kMaxFloat, kMaxFloat), hi(-kMaxFloat, -kMaxFloat, -kMaxFloat);
    for (int i = 0; i < count; ++i) {
        TakeIn(pRun[i].v1, lo, hi);
        TakeIn(pRun[i].v2, lo, hi);
        TakeIn(pRun[i].v3, lo, hi);
    }
    const uint32_t block = key & kBlockMask;
    m_runLo[block] = lo;
    m_runHi[block] = hi;
    m_runBoundsKey[block] = key;
}

bool eCollisionCache::GetRunBounds(uint32_t key, mVec3* pLo, mVec3* pHi)
{
    if (!Find(key) || m_runBoundsKey[key & kBlockMask] != key)
        return false;
    *pLo = m_runLo[key & kBlockMask];
    *pHi = m_runHi[key & kBlockMask];
    return true;
}

void eCollisionCache::Invalidate()
{
    for (eCollisionCacheEntry& e : m_entries)
        e.nId = 0;
}
