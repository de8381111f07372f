#include "eEngine/eCollisionCache.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

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

// The box lo..hi of a run's corners; a NaN coordinate compares false and is
// left out. Six boxes are kept side by side (each corner of even and of odd
// triangles), so the comparisons do not wait on each other; signed zeros may
// come out either way, which no box test can tell.
#if defined(__SSE2__)

// One corner as four lanes; the fourth is whatever follows it in the
// triangle (never past it: a plane follows v3) and is dropped.
static inline __m128 Corner(const mVec3& p)
{
    return _mm_loadu_ps(&p.x);
}

static void RunBox(const eCollisionCacheTri* pRun, int count, mVec3* pLo, mVec3* pHi)
{
    __m128 lo[6], hi[6];
    for (int k = 0; k < 6; ++k) {
        lo[k] = _mm_set1_ps(kMaxFloat);
        hi[k] = _mm_set1_ps(-kMaxFloat);
    }
    for (int i = 0; i < count; ++i) {
        const eCollisionCacheTri& t = pRun[i];
        const int k = 3 * (i & 1);
        // min(p, acc) gives acc where p is NaN.
        lo[k] = _mm_min_ps(Corner(t.v1), lo[k]);
        hi[k] = _mm_max_ps(Corner(t.v1), hi[k]);
        lo[k + 1] = _mm_min_ps(Corner(t.v2), lo[k + 1]);
        hi[k + 1] = _mm_max_ps(Corner(t.v2), hi[k + 1]);
        lo[k + 2] = _mm_min_ps(Corner(t.v3), lo[k + 2]);
        hi[k + 2] = _mm_max_ps(Corner(t.v3), hi[k + 2]);
    }
    for (int k = 1; k < 6; ++k) {
        lo[0] = _mm_min_ps(lo[k], lo[0]);
        hi[0] = _mm_max_ps(hi[k], hi[0]);
    }
    alignas(16) float l[4], h[4];
    _mm_store_ps(l, lo[0]);
    _mm_store_ps(h, hi[0]);
    pLo->Set(l[0], l[1], l[2]);
    pHi->Set(h[0], h[1], h[2]);
}

#else

static inline void TakeIn(const mVec3& p, mVec3& lo, mVec3& hi)
{
    for (int a = 0; a < 3; ++a) {
        lo[a] = p[a] < lo[a] ? p[a] : lo[a];
        hi[a] = p[a] > hi[a] ? p[a] : hi[a];
    }
}

static void RunBox(const eCollisionCacheTri* pRun, int count, mVec3* pLo, mVec3* pHi)
{
    pLo->Set(kMaxFloat, kMaxFloat, kMaxFloat);
    pHi->Set(-kMaxFloat, -kMaxFloat, -kMaxFloat);
    for (int i = 0; i < count; ++i) {
        TakeIn(pRun[i].v1, *pLo, *pHi);
        TakeIn(pRun[i].v2, *pLo, *pHi);
        TakeIn(pRun[i].v3, *pLo, *pHi);
    }
}

#endif

void eCollisionCache::NoteRunBounds(uint32_t key, int count)
{
    const eCollisionCacheTri* pRun = Find(key);
    if (!pRun || count <= 0)
        return;
    const uint32_t block = key & kBlockMask;
    RunBox(pRun, count, &m_runLo[block], &m_runHi[block]);
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
