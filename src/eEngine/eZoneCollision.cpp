// Collision queries over the live zones: gathering the candidates near a
// query from the collision octrees, sweeping the ellipsoid against them,
// sliding, pushing out of models, and casting rays.
#include "eEngine/eZone.h"

#include <cmath>
#include <cstdint>
#include <cstddef>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "eEngine/eColliderEllipse.h"
#include "eEngine/eColliderRay.h"
#include "eEngine/eCollisionCache.h"
#include "eEngine/eCollisionMath.h"
#include "eEngine/eCollisionModel.h"
#include "eEngine/eGeom.h"
#include "eEngine/eSurface.h"
#include "mMath/mRay.h"
#include "mMath/mScalar.h"
#include "mMath/mSphere.h"

// A ring reaches a triangle list through the candidate record at its start.
static_assert(std::is_standard_layout_v<eZoneColTriList> && offsetof(eZoneColTriList, colInfo) == 0,
              "the candidate record must start the triangle list");

namespace {

using MakerFunc = void (eColliderEllipse::*)(const eCollisionCacheTri*, int, cBase*, eSurface*);

// Lists too long for the cache are decoded and tested this many triangles at
// a time, on the stack.
constexpr int kChunkTris = 64;
constexpr float kVertScale = 1.0f / (1 << eZoneColData::kVertFracBits);

// The surface a list names, or null when its index or handle does not
// resolve (a version-2 zone stores no handles).
eSurface* ListSurface(const eZone& zone, const eZoneColTriList& list)
{
    if (list.nSurface >= zone.m_nSurfaces || !zone.m_hSurfaces)
        return nullptr;
    return eSurfaceMgr::GetPtr(zone.m_hSurfaces[list.nSurface]);
}

bool IsZoneList(const eCollisionInfo* pInfo)
{
    return pInfo->pCollidable && pInfo->pCollidable->GetType() == eZone::GetStaticType();
}

// IsZoneList for a record of zone's bin: the lists the cull filed there name
// the zone itself, which answers without the type lookup.
bool IsZoneListOf(const eZone& zone, const eCollisionInfo* pInfo)
{
    return pInfo->pCollidable == &zone || IsZoneList(pInfo);
}

void AddCollisionNode(eZone& zone, const eCollider& collider, const eZoneColNode& node, const mSphere& sphere)
{
    const eZoneColData* pData = zone.m_pColData;
    if (node.nZoneCol != eZone::kNoIndex && pData) {
        // Bounded by the list count, so damaged links cannot loop forever.
        int guard = pData->nTriLists;
        for (uint32_t i = node.nZoneCol; i != eZone::kNoIndex && guard-- > 0;) {
            if (i >= static_cast<uint32_t>(pData->nTriLists))
                break;
            eZoneColTriList& list = pData->pTriLists[i];
            list.colInfo.pCollidable = &zone;
            const eSurface* pSurface = ListSurface(zone, list);
            if (pSurface && (collider.m_nCollisionMask & pSurface->m_nCollisionMask))
                zone.AddCollisionInfo(&list.colInfo);
            i = list.nNext;
        }
    }
    if (eGeom* pFirst = node.pGeomCol) {
        eGeom* g = pFirst;
        do {
            const float r = g->m_fColRadius;
            if (r > 0.0f) {
                const float reach = r + sphere.radius;
                if (g->m_localToZone.origin.DistSq(sphere.center) <= reach * reach)
                    g->CollisionCull(collider, sphere);
            }
            g = g->m_pColNext;
        } while (g && g != pFirst);
    }
}

// Distance from c to [lo, hi] on one axis, 0 inside.
inline float AxisGap(float c, float lo, float hi)
{
    if (c < lo)
        return lo - c;
    if (c > hi)
        return c - hi;
    return 0.0f;
}

// mBox::Contains(sphere) for the cell lo..hi, inline: the cull visits every
// cell near a query.
inline bool CellTouchesSphere(const mVec3& lo, const mVec3& hi, const mSphere& s)
{
    if (lo.x > hi.x && lo.y > hi.y && lo.z > hi.z)
        return false;
    const float dx = AxisGap(s.center.x, lo.x, hi.x);
    const float dy = AxisGap(s.center.y, lo.y, hi.y);
    const float dz = AxisGap(s.center.z, lo.z, hi.z);
    return (dx * dx + dy * dy) + dz * dz <= s.radius * s.radius;
}

// The loose cell of a node (centre, half its loose size) against the sphere,
// as mBox::Contains(sphere) for the cell's box.
inline bool CellTouchesSphere(const mVec3& centre, float half, const mSphere& s)
{
    const mVec3 lo(centre.x - half, centre.y - half, centre.z - half);
    const mVec3 hi(centre.x + half, centre.y + half, centre.z + half);
    return CellTouchesSphere(lo, hi, s);
}

// The child cells of a node (centre, a quarter of its size, half a child's
// loose size) against the sphere, as CellTouchesSphere tests each: one bit
// per child k (x position k & 1, y (k >> 1) & 1, z k >> 2) whose cell
// touches. at[a][j] gets the centre of position j on axis a. Each axis has two
// child positions, so the gaps are worked out once per position and summed
// per child in CellTouchesSphere's order.
unsigned ChildrenTouching(const mVec3& centre, float quarter, float childHalf, const mSphere& sphere,
                          float (&at)[3][2])
{
    bool inverted[3][2];
    unsigned touching = 0;
#if defined(__SSE2__)
    // Both positions of the three axes side by side, with no branch: where
    // the centre lies against a cell is close to random from node to node.
    const __m128 c = _mm_setr_ps(sphere.center.x, sphere.center.y, sphere.center.z, 0.0f);
    const __m128 half = _mm_set1_ps(childHalf);
    __m128 gapSq[2];
    for (int j = 0; j < 2; ++j) {
        const __m128 pos = _mm_add_ps(_mm_setr_ps(centre.x, centre.y, centre.z, 0.0f), _mm_set1_ps(j ? quarter : -quarter));
        const __m128 lo = _mm_sub_ps(pos, half), hi = _mm_add_ps(pos, half);
        // AxisGap: lo - c below the cell, c - hi above it, else 0.
        const __m128 below = _mm_cmplt_ps(c, lo), above = _mm_cmpgt_ps(c, hi);
        const __m128 gap = _mm_or_ps(_mm_and_ps(below, _mm_sub_ps(lo, c)),
                                     _mm_andnot_ps(below, _mm_and_ps(above, _mm_sub_ps(c, hi))));
        gapSq[j] = _mm_mul_ps(gap, gap);
        alignas(16) float p[4];
        _mm_store_ps(p, pos);
        const int inv = _mm_movemask_ps(_mm_cmpgt_ps(lo, hi));
        for (int a = 0; a < 3; ++a) {
            at[a][j] = p[a];
            inverted[a][j] = (inv >> a) & 1;
        }
    }
    // Lanes (x0, x1, y0, y1) and (z0, z1, -, -).
    const __m128 xy = _mm_unpacklo_ps(gapSq[0], gapSq[1]);
    const __m128 z = _mm_unpackhi_ps(gapSq[0], gapSq[1]);
    const __m128 xyLow = _mm_add_ps(_mm_shuffle_ps(xy, xy, _MM_SHUFFLE(1, 0, 1, 0)),
                                    _mm_shuffle_ps(xy, xy, _MM_SHUFFLE(3, 3, 2, 2)));
    const __m128 r = _mm_set1_ps(sphere.radius * sphere.radius);
    touching = static_cast<unsigned>(_mm_movemask_ps(_mm_cmple_ps(_mm_add_ps(xyLow, _mm_shuffle_ps(z, z, 0)), r))) |
               static_cast<unsigned>(_mm_movemask_ps(_mm_cmple_ps(_mm_add_ps(xyLow, _mm_shuffle_ps(z, z, 0x55)), r)))
                   << 4;
#else
    float gapSq[3][2];
    for (int a = 0; a < 3; ++a) {
        for (int j = 0; j < 2; ++j) {
            at[a][j] = centre[a] + (j ? quarter : -quarter);
            const float lo = at[a][j] - childHalf, hi = at[a][j] + childHalf;
            const float gap = AxisGap(sphere.center[a], lo, hi);
            inverted[a][j] = lo > hi;
            gapSq[a][j] = gap * gap;
        }
    }
    const float radiusSq = sphere.radius * sphere.radius;
    for (int k = 0; k < eOctree::kChildren; ++k)
        if ((gapSq[0][k & 1] + gapSq[1][(k >> 1) & 1]) + gapSq[2][k >> 2] <= radiusSq)
            touching |= 1u << k;
#endif
    // An inverted cell (lo above hi on every axis) touches nothing.
    if ((inverted[0][0] | inverted[0][1]) & (inverted[1][0] | inverted[1][1]) & (inverted[2][0] | inverted[2][1]))
        for (int k = 0; k < eOctree::kChildren; ++k)
            if (inverted[0][k & 1] && inverted[1][(k >> 1) & 1] && inverted[2][k >> 2])
                touching &= ~(1u << k);
    return touching;
}

// Gathers the candidates of a node whose cell touches the sphere, and of its
// children whose cells do.
void CollisionCullNode(eZone& zone, const eCollider& collider, const mSphere& sphere, int level, int node,
                       const mVec3& centre, float size)
{
    const bool bLeaf = level + 1 >= zone.m_colOctree.m_nLevels;
    if (!bLeaf) {
        // The eight children lie side by side (two cache lines); their loads
        // overlap this node's own work instead of each waiting in turn.
        const eZoneColNode* pChildren = &zone.m_pColNodes[eOctree::Child(node, 0)];
        __builtin_prefetch(pChildren);
        __builtin_prefetch(pChildren + eOctree::kChildren - 1);
    }
    const eZoneColNode& n = zone.m_pColNodes[node];
    if (n.nZoneCol != eZone::kNoIndex || n.pGeomCol)
        AddCollisionNode(zone, collider, n, sphere);
    if (bLeaf)
        return;
    // A child's cell is tested before its node is looked at: most lie out of
    // reach, and the nodes are spread over far more memory than the cache.
    const float childHalf = 0.5f * (0.5f * size) * zone.m_colOctree.m_fLooseScale;
    float at[3][2];
    for (unsigned touching = ChildrenTouching(centre, 0.25f * size, childHalf, sphere, at); touching;
         touching &= touching - 1) {
        const int k = __builtin_ctz(touching);
        const int jx = k & 1, jy = (k >> 1) & 1, jz = (k >> 2) & 1;
        const mVec3 childCentre(at[0][jx], at[1][jy], at[2][jz]);
        const int child = eOctree::Child(node, k);
        const eZoneColNode& c = zone.m_pColNodes[child];
        if (!c.nZoneColCount && !c.nGeomColCount)
            continue;
        CollisionCullNode(zone, collider, sphere, level + 1, child, childCentre, 0.5f * size);
    }
}

// The sweep's world reach, worked out once per pass over the candidates.
struct WorldReach {
    mVec3 lo, hi;
#if defined(__SSE2__)
    __m128 lanesLo, lanesHi;  // the same, one axis per lane

    explicit WorldReach(const eColliderEllipse& ellipse)
    {
        ellipse.GetWorldReach(&lo, &hi);
        lanesLo = _mm_setr_ps(lo.x, lo.y, lo.z, 0.0f);
        lanesHi = _mm_setr_ps(hi.x, hi.y, hi.z, 0.0f);
    }
    // The box lo..hi (axes in lanes 0 to 2) lies wholly outside (NaN never
    // does); without a branch per axis, as a list's side is close to random.
    bool Misses(__m128 boxLo, __m128 boxHi) const
    {
        const __m128 outside = _mm_or_ps(_mm_cmplt_ps(boxHi, lanesLo), _mm_cmpgt_ps(boxLo, lanesHi));
        return (_mm_movemask_ps(outside) & 7) != 0;
    }
    bool Misses(const mVec3& boxLo, const mVec3& boxHi) const
    {
        return Misses(_mm_setr_ps(boxLo.x, boxLo.y, boxLo.z, 0.0f), _mm_setr_ps(boxHi.x, boxHi.y, boxHi.z, 0.0f));
    }
    // The box of world-space floats lo[0..2], hi[0..2]; each array is followed
    // by at least one more float of its record.
    bool MissesArrays(const float* boxLo, const float* boxHi) const
    {
        return Misses(_mm_loadu_ps(boxLo), _mm_loadu_ps(boxHi));
    }
#else
    explicit WorldReach(const eColliderEllipse& ellipse) { ellipse.GetWorldReach(&lo, &hi); }
    // The box lo..hi lies wholly outside (NaN never does).
    bool Misses(const mVec3& boxLo, const mVec3& boxHi) const
    {
        for (int a = 0; a < 3; ++a)
            if (boxHi[a] < lo[a] || boxLo[a] > hi[a])
                return true;
        return false;
    }
    bool MissesArrays(const float* boxLo, const float* boxHi) const
    {
        return Misses(mVec3(boxLo[0], boxLo[1], boxLo[2]), mVec3(boxHi[0], boxHi[1], boxHi[2]));
    }
#endif
};

// Counts the culls, so a list's world box is worked out once per query
// (never 0, which marks none).
uint32_t s_nCullSerial = 1;

// Works out the list's box of quantised corners once (see eZoneColTriList).
void NoteListBox(const eZoneColData& data, eZoneColTriList& list)
{
    int lo[3] = {INT16_MAX, INT16_MAX, INT16_MAX}, hi[3] = {INT16_MIN, INT16_MIN, INT16_MIN};
    bool bAny = false;
    for (int t = list.nFirstTri; t < list.nFirstTri + list.nTris && t < data.nTris; ++t) {
        const uint16_t* pIndex = &data.pTris[3 * t];
        if (pIndex[0] >= data.nVerts || pIndex[1] >= data.nVerts || pIndex[2] >= data.nVerts)
            continue;  // decoded as a triangle of no area, which touches nothing
        for (int k = 0; k < 3; ++k) {
            const int16_t* p = &data.pVerts[3 * pIndex[k]];
            for (int a = 0; a < 3; ++a) {
                lo[a] = p[a] < lo[a] ? p[a] : lo[a];
                hi[a] = p[a] > hi[a] ? p[a] : hi[a];
            }
        }
        bAny = true;
    }
    for (int a = 0; a < 3; ++a) {
        list.boxLo[a] = static_cast<int16_t>(bAny ? lo[a] : 0);
        list.boxHi[a] = static_cast<int16_t>(bAny ? hi[a] : 0);
    }
    list.nBoxState = bAny ? eZoneColTriList::kBoxSet : eZoneColTriList::kBoxEmpty;
}

// The list's box taken to world space as a centre and half extents, for
// this cull, widened by far more than the rounding of the corners' own
// transform (a few units in the last place of the largest term), so a list
// that could touch is never passed over.
void NoteListWorldBox(const eZone& zone, eZoneColTriList& list)
{
    constexpr float kSlack = 1.0e-5f;
    const mOCS& o = zone.m_localToWorld;
    float centre[3], half[3];
    for (int a = 0; a < 3; ++a) {
        centre[a] = 0.5f * static_cast<float>(list.boxLo[a] + list.boxHi[a]) * kVertScale;
        half[a] = 0.5f * static_cast<float>(list.boxHi[a] - list.boxLo[a]) * kVertScale;
    }
    const mVec3 c = eColMath::XformPoint(mVec3(centre[0], centre[1], centre[2]), o);
    for (int a = 0; a < 3; ++a) {
        const float r = std::fabs(o.basis.right[a]), f = std::fabs(o.basis.forward[a]), u = std::fabs(o.basis.up[a]);
        const float extent = (half[0] * r + half[1] * f) + half[2] * u;
        const float terms = std::fabs(o.origin[a]) + ((std::fabs(centre[0]) + half[0]) * r +
                                                      (std::fabs(centre[1]) + half[1]) * f +
                                                      (std::fabs(centre[2]) + half[2]) * u);
        const float grow = extent + terms * kSlack + 1.0e-30f;
        list.worldLo[a] = c[a] - grow;
        list.worldHi[a] = c[a] + grow;
    }
    list.nWorldBoxCull = s_nCullSerial;
}

// Whether no triangle of a list that is not decoded yet can give the sweep a
// contact: its box in world space (NoteListWorldBox) lies out of the sweep's
// reach.
bool ListOutOfReach(const eZone& zone, eZoneColTriList& list, const WorldReach& reach)
{
    if (list.nBoxState == eZoneColTriList::kBoxUnknown)
        NoteListBox(*zone.m_pColData, list);
    if (list.nBoxState == eZoneColTriList::kBoxEmpty)
        return false;  // decoded, its triangles of no area are passed over anyway
    // The zone stays where it is for the rounds of one query.
    if (list.nWorldBoxCull != s_nCullSerial)
        NoteListWorldBox(zone, list);
    static_assert(offsetof(eZoneColTriList, worldHi) == offsetof(eZoneColTriList, worldLo) + 3 * sizeof(float) &&
                      offsetof(eZoneColTriList, nWorldBoxCull) == offsetof(eZoneColTriList, worldHi) + 3 * sizeof(float),
                  "each world box array is followed by a float's worth of the list");
    return reach.MissesArrays(list.worldLo, list.worldHi);
}

// Whether the noted box of a cached run lies out of the sweep's reach.
bool RunOutOfReach(eCollisionCache& cache, uint32_t key, const WorldReach& reach)
{
    mVec3 lo, hi;
    return cache.GetRunBounds(key, &lo, &hi) && reach.Misses(lo, hi);
}

// Runs maker over a zone list's triangles: from the static cache, decoded
// into it on a miss (unless the list lies out of the sweep's reach), or in
// chunks when the list cannot be cached.
void CollideZoneList(eZone& zone, eZoneColTriList& list, eColliderEllipse* pEllipse, MakerFunc maker,
                     const WorldReach& reach)
{
    const int count = list.nTris;
    if (count == 0)
        return;
    eCollisionCache* pCache = eZone::s_pStaticColCache;
    eCollisionCacheTri* pRun = pCache ? pCache->Find(list.nColCacheKey) : nullptr;
    // Most gathered lists lie beyond this round's reach; they are passed over
    // before their surface is looked up.
    if (!pRun && zone.m_pColData && ListOutOfReach(zone, list, reach))
        return;
    if (pRun && RunOutOfReach(*pCache, list.nColCacheKey, reach))
        return;
    eSurface* pSurface = ListSurface(zone, list);
    if (!pSurface)
        return;
    if (pCache) {
        if (!pRun) {
            pRun = pCache->Lock(count, &list.nColCacheKey);
            if (pRun) {
                zone.FillCollisionTris(pRun, &list, 0, count);
                pCache->m_bIsLocked = false;
                pCache->NoteRunBounds(list.nColCacheKey, count);
                if (RunOutOfReach(*pCache, list.nColCacheKey, reach))
                    return;
            }
        }
        if (pRun) {
            (pEllipse->*maker)(pRun, count, &zone, pSurface);
            return;
        }
    }
    eCollisionCacheTri chunk[kChunkTris];
    for (int first = 0; first < count; first += kChunkTris) {
        const int n = count - first < kChunkTris ? count - first : kChunkTris;
        zone.FillCollisionTris(chunk, &list, first, n);
        (pEllipse->*maker)(chunk, n, &zone, pSurface);
    }
}

// The same for one collision surface of a model, through the dynamic cache.
void CollideModelSurface(eModelColInfo& info, eColliderEllipse* pEllipse, MakerFunc maker)
{
    eSurface* pSurface = eSurfaceMgr::GetPtr(info.hSurface);
    const int count = info.pModel->GetCollisionTrisCount(info.nSurfaceID);
    if (!pSurface || count <= 0)
        return;
    if (eCollisionCache* pCache = eZone::s_pDynamicColCache) {
        eCollisionCacheTri* pRun = pCache->Find(info.nColCacheId);
        if (!pRun) {
            pRun = pCache->Lock(count, &info.nColCacheId);
            if (pRun) {
                info.pModel->FillCollisionTris(pRun, info.nSurfaceID, 0, count);
                pCache->m_bIsLocked = false;
            }
        }
        if (pRun) {
            (pEllipse->*maker)(pRun, count, info.pCollidable, pSurface);
            return;
        }
    }
    eCollisionCacheTri chunk[kChunkTris];
    for (int first = 0; first < count; first += kChunkTris) {
        const int n = count - first < kChunkTris ? count - first : kChunkTris;
        info.pModel->FillCollisionTris(chunk, info.nSurfaceID, first, n);
        (pEllipse->*maker)(chunk, n, info.pCollidable, pSurface);
    }
}

// Every candidate of every live zone, in slot and ring order: zone lists when
// bZoneLists, model surfaces always; models the body is stuck in are passed
// through when bSkipEmbedded.
void GatherContacts(eColliderEllipse* pEllipse, MakerFunc maker, bool bZoneLists, bool bSkipEmbedded)
{
    const WorldReach reach(*pEllipse);
    for (eZone* pZone : eZone::s_pZones) {
        if (!pZone || !pZone->m_pCollidableBin)
            continue;
        eCollisionInfo* pHead = pZone->m_pCollidableBin;
        eCollisionInfo* pInfo = pHead;
        do {
            eCollisionInfo* pNext = pInfo->pNext;
            if (IsZoneListOf(*pZone, pInfo)) {
                if (bZoneLists)
                    CollideZoneList(*pZone, *reinterpret_cast<eZoneColTriList*>(pInfo), pEllipse, maker, reach);
            } else if (pInfo->pCollidable) {
                eModelColInfo& info = *static_cast<eModelColInfo*>(pInfo);
                if (info.pModel && !(bSkipEmbedded && pEllipse->IsGeomEmbedded(info.pCollidable)))
                    CollideModelSurface(info, pEllipse, maker);
            }
            pInfo = pNext;
        } while (pInfo && pInfo != pHead);
    }
}

}  // namespace

void eZone::CollisionCullAll(const eColliderEllipse& ellipse)
{
    mSphere sphere;
    sphere.center.AddScaled(ellipse.m_nonScaledPosition, ellipse.m_nonScaledMoveDir,
                            0.5f * ellipse.m_fNonScaledMoveDist);
    const mVec3& r = ellipse.m_radii;
    // Room for the whole move and twice the body.
    sphere.radius = 2.0f * std::fmax(r.x, std::fmax(r.y, r.z)) + ellipse.m_fNonScaledMoveDist;
    for (eZone* pZone : s_pZones)
        if (pZone)
            pZone->CollisionCull(ellipse, sphere);
}

void eZone::CollisionCullAll(const eColliderRay& ray)
{
    // An unbounded ray (negative length) reaches as far as the triangle test.
    const float length = ray.m_ray.ReachLength();
    mSphere sphere;
    sphere.center.AddScaled(ray.m_ray.origin, ray.m_ray.dir, 0.5f * length);
    sphere.radius = 0.5f * length;
    for (eZone* pZone : s_pZones)
        if (pZone)
            pZone->CollisionCull(ray, sphere);
}

void eZone::CollisionCull(const eCollider& collider, const mSphere& worldSphere)
{
    if (++s_nCullSerial == 0)
        s_nCullSerial = 1;
    m_pCollidableBin = nullptr;
    if (!m_pColNodes || m_colOctree.m_nLevels <= 0)
        return;
    if (!m_pColNodes[0].nZoneColCount && !m_pColNodes[0].nGeomColCount)
        return;
    mSphere sphere;
    sphere.center.XformInv(worldSphere.center, m_localToWorld);
    sphere.radius = worldSphere.radius;
    const mVec3 rootCentre(0.0f, 0.0f, 0.0f);
    if (CellTouchesSphere(rootCentre, 0.5f * m_colOctree.m_fSize * m_colOctree.m_fLooseScale, sphere))
        CollisionCullNode(*this, collider, sphere, 0, 0, rootCentre, m_colOctree.m_fSize);
}

void eZone::AddCollisionInfo(eCollisionInfo* pInfo)
{
    if (!m_pCollidableBin) {
        pInfo->pNext = pInfo;
        pInfo->pPrev = pInfo;
        m_pCollidableBin = pInfo;
        return;
    }
    eCollisionInfo* pTail = m_pCollidableBin->pPrev;
    pInfo->pPrev = pTail;
    pInfo->pNext = m_pCollidableBin;
    pTail->pNext = pInfo;
    m_pCollidableBin->pPrev = pInfo;
}

void eZone::CollideAll(eColliderEllipse* pEllipse)
{
    pEllipse->m_fTravel = pEllipse->m_fMoveDist;
    pEllipse->m_bEmbedded = false;
    pEllipse->ClearContacts(eColliderEllipse::CT_TOUCH);
    pEllipse->ClearContacts(eColliderEllipse::CT_NORMAL);
    pEllipse->m_embeddedMoveDist.Set(0.0f, 0.0f, 0.0f);
    GatherContacts(pEllipse, &eColliderEllipse::MakeContactPoints, true, true);
    pEllipse->VerifyTouchContacts();
    if (pEllipse->m_fTravel == 0.0f) {
        if (pEllipse->m_nContacts[eColliderEllipse::CT_SAVED] > 0) {
            // Stuck where it stands: aim back along the direction of the last
            // set-up and let the previous pass's contacts shape the slide.
            pEllipse->SetScaled(pEllipse->m_position, pEllipse->m_fMoveDist, pEllipse->m_prevGoodDir);
            pEllipse->AddSavedContacts();
            pEllipse->ClearContacts(eColliderEllipse::CT_SAVED);
        }
    } else {
        pEllipse->ClearContacts(eColliderEllipse::CT_SAVED);
    }
    pEllipse->SaveContacts();
}

void eZone::CollideSlide(eColliderEllipse* pEllipse)
{
    eColliderEllipse& e = *pEllipse;
    if (std::fabs(e.m_fTravel) > e.m_fColZeroTol) {
        // Advance to the first contact; the rest goes the original way again.
        mVec3 start;
        start.AddScaled(e.m_position, e.m_moveDir, e.m_fTravel);
        e.SetScaled(start, e.m_fMoveDist - e.m_fTravel, e.m_prevGoodDir);
        return;
    }
    mVec3 v = e.m_moveDir * e.m_fMoveDist;
    e.FindSlideDirection(&v);
    const float len = v.Length();
    e.m_bSlid = true;
    if (len > 0.0f)
        e.SetScaled(e.m_position, len, v * (1.0f / len));
    else
        e.SetScaled(e.m_position, 0.0f, mVec3(0.0f, 0.0f, 0.0f));
}

void eZone::CollideEmbed(eColliderEllipse* pEllipse)
{
    eColliderEllipse& e = *pEllipse;
    e.m_bEmbedded = false;
    e.ClearContacts(eColliderEllipse::CT_EMBED);
    e.m_embeddedMoveDist.Set(0.0f, 0.0f, 0.0f);
    // Only models are pushed out of; zone triangles never embed.
    GatherContacts(pEllipse, &eColliderEllipse::MakeEmbedContacts, false, false);
    float depth = 0.0f;
    mVec3 dir(0.0f, 0.0f, 0.0f);
    for (int i = 0; i < e.m_nContacts[eColliderEllipse::CT_EMBED]; ++i) {
        const eCollisionContact& c = e.m_pContacts[eColliderEllipse::CT_EMBED][i];
        if (1.0f - c.fDistanceToContact > depth) {
            depth = 1.0f - c.fDistanceToContact;
            dir = c.normal;
        }
    }
    if (depth > e.m_fColZeroTol) {
        e.m_bEmbedded = true;
        e.SetScaled(e.m_position, depth, dir);
    }
}

bool eZone::CollideAllRay(eColliderRay* pRay)
{
    for (eZone* pZone : s_pZones) {
        if (!pZone || !pZone->m_pCollidableBin)
            continue;
        mRay zoneRay;
        zoneRay.origin.XformInv(pRay->m_ray.origin, pZone->m_localToWorld);
        zoneRay.dir.XformVecInv(pRay->m_ray.dir, pZone->m_localToWorld);
        zoneRay.length = pRay->m_ray.length;
        eCollisionInfo* pHead = pZone->m_pCollidableBin;
        eCollisionInfo* pInfo = pHead;
        do {
            if (IsZoneList(pInfo)) {
                const eZoneColTriList* pList = reinterpret_cast<const eZoneColTriList*>(pInfo);
                if (eSurface* pSurface = ListSurface(*pZone, *pList))
                    pZone->IntersectColTris(zoneRay, pList, pSurface, &pRay->m_rayHit);
            } else if (pInfo->pCollidable) {
                const eModelColInfo& info = *static_cast<const eModelColInfo*>(pInfo);
                if (info.pModel)
                    info.pModel->IntersectColTris(zoneRay, info.nSurfaceID, &pRay->m_rayHit);
            }
            pInfo = pInfo->pNext;
        } while (pInfo && pInfo != pHead);
    }
    return pRay->m_rayHit.fDistance != kMaxFloat;
}

// The corners of triangle t of the zone's data as pointers into its vertex
// array; false when the triangle or a vertex lies outside the arrays.
static inline bool TriCorners(const eZoneColData& data, int t, const int16_t** pCorners)
{
    if (t < 0 || t >= data.nTris)
        return false;
    for (int k = 0; k < 3; ++k) {
        const int v = data.pTris[3 * t + k];
        if (v >= data.nVerts)
            return false;
        pCorners[k] = &data.pVerts[3 * v];
    }
    return true;
}

// The three corners of triangle t of the zone's data, in zone space. False
// when the triangle or a vertex lies outside the arrays.
static bool DecodeTri(const eZoneColData& data, int t, mVec3* pCorners)
{
    const int16_t* corners[3];
    if (!TriCorners(data, t, corners))
        return false;
    for (int k = 0; k < 3; ++k) {
        const int16_t* p = corners[k];
        pCorners[k].Set(p[0] * kVertScale, p[1] * kVertScale, p[2] * kVertScale);
    }
    return true;
}

static bool OutsideBox(const mVec3* p, const mVec3& lo, const mVec3& hi)
{
    for (int a = 0; a < 3; ++a)
        if ((p[0][a] < lo[a] && p[1][a] < lo[a] && p[2][a] < lo[a]) ||
            (p[0][a] > hi[a] && p[1][a] > hi[a] && p[2][a] > hi[a]))
            return true;
    return false;
}

void eZone::IntersectColTris(const mRay& zoneRay, const eZoneColTriList* pList, eSurface* pSurface,
                             eCollisionRayHit* pHit)
{
    if (!m_pColData)
        return;
    static const unsigned short kIndices[3] = {0, 1, 2};
    // Triangles wholly to one side of the ray's box cannot be hit; most of a
    // list is skipped that way before the triangle test.
    mVec3 end, lo, hi;
    end.AddScaled(zoneRay.origin, zoneRay.dir, zoneRay.ReachLength());
    for (int a = 0; a < 3; ++a) {
        lo[a] = zoneRay.origin[a] < end[a] ? zoneRay.origin[a] : end[a];
        hi[a] = zoneRay.origin[a] < end[a] ? end[a] : zoneRay.origin[a];
    }
    for (int t = 0; t < pList->nTris; ++t) {
        mVec3 corners[3];
        if (!DecodeTri(*m_pColData, pList->nFirstTri + t, corners) || OutsideBox(corners, lo, hi))
            continue;
        mRayTriHit triHit;
        if (zoneRay.Intersect(corners, kIndices, 1, false, &triHit) && triHit.distance < pHit->fDistance) {
            pHit->fDistance = triHit.distance;
            pHit->normal = triHit.normal;
            pHit->position.Xform(triHit.pos, m_localToWorld);
            pHit->pSurface = pSurface;
            pHit->pObj = this;
        }
    }
}

// A triangle outside the data: one of no area, which every test skips.
static void FillEmptyTri(eCollisionCacheTri& tri)
{
    tri.v1.Set(0.0f, 0.0f, 0.0f);
    tri.v2 = tri.v1;
    tri.v3 = tri.v1;
    tri.plane.normal = tri.v1;
    tri.plane.offset = 0.0f;
}

#if !defined(__SSE2__)

// One triangle from its zone-space corners, as mVec3's Xform, MakeNormal and
// Dot work it out.
static void FillTri(eCollisionCacheTri& tri, const mVec3* corners, const mOCS& localToWorld)
{
    tri.v1 = eColMath::XformPoint(corners[0], localToWorld);
    tri.v2 = eColMath::XformPoint(corners[1], localToWorld);
    tri.v3 = eColMath::XformPoint(corners[2], localToWorld);
    // A triangle collapsed by quantisation gets the zero normal here.
    tri.plane.normal = eColMath::TriNormal(tri.v1, tri.v2, tri.v3);
    tri.plane.offset = eColMath::Dot(tri.plane.normal, tri.v1);
}

#endif

#if defined(__SSE2__)

namespace {

// FillTri with each vector in one register (x, y, z, 0): every lane runs
// FillTri's operations in FillTri's order, and the length, its reciprocal
// and the offset are worked out as FillTri does, so the results are the
// same bits. The corners are decoded straight from the zone's arrays (the
// caller has checked the indices).
struct SseFrame {
    __m128 origin, right, forward, up;

    explicit SseFrame(const mOCS& o)
        : origin(_mm_setr_ps(o.origin.x, o.origin.y, o.origin.z, 0.0f)),
          right(_mm_setr_ps(o.basis.right.x, o.basis.right.y, o.basis.right.z, 0.0f)),
          forward(_mm_setr_ps(o.basis.forward.x, o.basis.forward.y, o.basis.forward.z, 0.0f)),
          up(_mm_setr_ps(o.basis.up.x, o.basis.up.y, o.basis.up.z, 0.0f))
    {
    }
    // A quantised zone-space corner to world space, as XformPoint.
    __m128 Corner(const int16_t* p) const
    {
        const float x = p[0] * kVertScale, y = p[1] * kVertScale, z = p[2] * kVertScale;
        const __m128 rot = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(x), right), _mm_mul_ps(_mm_set1_ps(y), forward)),
                                      _mm_mul_ps(_mm_set1_ps(z), up));
        return _mm_add_ps(origin, rot);
    }
};

template <int A, int B, int C>
inline __m128 Swizzle(__m128 v)
{
    return _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, C, B, A));
}

// (a.x + a.y) + a.z of the lanes of a.
inline float SumXyz(__m128 a)
{
    return _mm_cvtss_f32(_mm_add_ss(_mm_add_ss(a, Swizzle<1, 1, 1>(a)), Swizzle<2, 2, 2>(a)));
}

static_assert(offsetof(eCollisionCacheTri, v2) == offsetof(eCollisionCacheTri, v1) + 3 * sizeof(float) &&
                  offsetof(eCollisionCacheTri, v3) == offsetof(eCollisionCacheTri, v2) + 3 * sizeof(float) &&
                  offsetof(eCollisionCacheTri, plane) == offsetof(eCollisionCacheTri, v3) + 3 * sizeof(float) &&
                  sizeof(mPlane) == 4 * sizeof(float),
              "FillTriSse's stores spill one float each into the member that follows");

void FillTriSse(eCollisionCacheTri& tri, const int16_t* const* corners, const SseFrame& frame)
{
    const __m128 w0 = frame.Corner(corners[0]);
    const __m128 w1 = frame.Corner(corners[1]);
    const __m128 w2 = frame.Corner(corners[2]);
    const __m128 ab = _mm_sub_ps(w1, w0);
    const __m128 bc = _mm_sub_ps(w2, w1);
    __m128 n = _mm_sub_ps(_mm_mul_ps(Swizzle<1, 2, 0>(ab), Swizzle<2, 0, 1>(bc)),
                          _mm_mul_ps(Swizzle<2, 0, 1>(ab), Swizzle<1, 2, 0>(bc)));
    // As eColMath::Normalize: a vector of squared length 0 stays as it is.
    const float sq = SumXyz(_mm_mul_ps(n, n));
    if (sq != 0.0f)
        n = _mm_mul_ps(n, _mm_set1_ps(1.0f / mSqrt(sq)));
    const float offset = SumXyz(_mm_mul_ps(n, w0));
    // Each store writes one float past its vector, into the next member;
    // the next store (the offset last) puts that member right.
    _mm_storeu_ps(&tri.v1.x, w0);
    _mm_storeu_ps(&tri.v2.x, w1);
    _mm_storeu_ps(&tri.v3.x, w2);
    _mm_storeu_ps(&tri.plane.normal.x, n);
    tri.plane.offset = offset;
}

}  // namespace

#endif

void eZone::FillCollisionTris(eCollisionCacheTri* pOut, const eZoneColTriList* pList, int nFirst, int nCount) const
{
    const int first = pList->nFirstTri + nFirst;
#if defined(__SSE2__)
    const SseFrame frame(m_localToWorld);
    for (int i = 0; i < nCount; ++i) {
        const int16_t* corners[3];
        if (m_pColData && TriCorners(*m_pColData, first + i, corners))
            FillTriSse(pOut[i], corners, frame);
        else
            FillEmptyTri(pOut[i]);
    }
#else
    for (int i = 0; i < nCount; ++i) {
        mVec3 corners[3];
        if (m_pColData && DecodeTri(*m_pColData, first + i, corners))
            FillTri(pOut[i], corners, m_localToWorld);
        else
            FillEmptyTri(pOut[i]);
    }
#endif
}
