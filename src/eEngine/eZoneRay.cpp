// Ray queries against the static strips of the live zones: the ray walks
// each zone's visibility tree in that zone's space, and the triangles of the
// strips in the cells it reaches are decoded from their display lists and
// tested in batches.
#include "eEngine/eZone.h"

#include "platform/ps.h"
#include "mMath/mOCS.h"
#include "mMath/mRay.h"
#include "mMath/mRayVolHit.h"
#include "mMath/mVec2.h"
#include "eZoneCell.h"
#include "eZoneDisplayList.h"

namespace {

constexpr int kBatchTris = 32;

// Corner indices 0, 1, 2, ...: a batch stores its triangles' corners in turn.
struct CornerOrder {
    unsigned short v[3 * kBatchTris];
    constexpr CornerOrder()
    {
        for (int i = 0; i < 3 * kBatchTris; ++i)
            v[i] = static_cast<unsigned short>(i);
    }
};
constexpr CornerOrder kCornerOrder;

// The triangles of one strip, decoded from its vertex records and tested a
// batch at a time. Each batch is tested with the ray cut at the nearest hit
// so far, so a hit it reports is always the new nearest.
class TriangleBatch {
public:
    TriangleBatch(const mRay& ray, bool bBackFaces, const eZoneVisData& data, mRayTriHit* pHit)
        : m_ray(ray), m_bBackFaces(bBackFaces), m_data(data), m_pHit(pHit)
    {
    }

    void Add(const uint8_t* a, const uint8_t* b, const uint8_t* c)
    {
        const uint8_t* corners[3] = {a, b, c};
        for (const uint8_t* q : corners) {
            const uint8_t* p = m_data.pPositions +
                               eZoneVisData::kPosStride * ps::LoadU16BE(q + eZoneDisplayList::kPosIndex);
            m_records[m_nCorners] = q;
            m_corners[m_nCorners++].Set(ps::LoadQuantS16BE(p, eZoneVisData::kPosFracBits),
                                        ps::LoadQuantS16BE(p + 2, eZoneVisData::kPosFracBits),
                                        ps::LoadQuantS16BE(p + 4, eZoneVisData::kPosFracBits));
        }
        if (m_nCorners == 3 * kBatchTris)
            Flush();
    }

    void Flush()
    {
        const unsigned int nTris = static_cast<unsigned int>(m_nCorners / 3);
        mRay cut = m_ray;
        cut.length = m_pHit->distance;
        mRayTriHit hit;
        if (nTris > 0 && cut.Intersect(m_corners, kCornerOrder.v, nTris, m_bBackFaces, &hit)) {
            for (int k = 0; k < 3; ++k)
                m_hitRecords[k] = m_records[hit.index + k];
            *m_pHit = hit;
            m_pHit->index += 3 * m_nTested;  // counted over the whole strip
            m_bHit = true;
        }
        m_nTested += static_cast<int>(nTris);
        m_nCorners = 0;
    }

    // The first coordinate set at the hit, weighed by its corners.
    mVec2 TexCoordAtHit() const
    {
        const float w[3] = {1.0f - m_pHit->u - m_pHit->v, m_pHit->u, m_pHit->v};
        mVec2 uv(0.0f, 0.0f);
        for (int k = 0; k < 3; ++k) {
            const uint8_t* t = m_data.pTexCoords[0] +
                               eZoneVisData::kTexStride * ps::LoadU16BE(m_hitRecords[k] + eZoneDisplayList::kFirstSetIndex);
            uv += mVec2(ps::LoadQuantS16BE(t, eZoneVisData::kTexFracBits),
                        ps::LoadQuantS16BE(t + 2, eZoneVisData::kTexFracBits)) *
                  w[k];
        }
        return uv;
    }

    bool Hit() const { return m_bHit; }

private:
    const mRay& m_ray;
    bool m_bBackFaces;
    const eZoneVisData& m_data;
    mRayTriHit* m_pHit;
    mVec3 m_corners[3 * kBatchTris];
    const uint8_t* m_records[3 * kBatchTris];  // the vertex record of each corner
    const uint8_t* m_hitRecords[3] = {nullptr, nullptr, nullptr};
    int m_nCorners = 0;
    int m_nTested = 0;  // triangles of the strip before this batch
    bool m_bHit = false;
};

// The triangles of one draw, wound as the graphics processor winds them.
void AddDraw(TriangleBatch* pBatch, GXPrimitive prim, uint32_t count, const uint8_t* q, uint32_t vertexBytes)
{
    auto v = [&](uint32_t i) { return q + i * vertexBytes; };
    switch (prim) {
    case GX_QUADS:
    case GX_QUADS2:
        for (uint32_t i = 0; i + 3 < count; i += 4) {
            pBatch->Add(v(i), v(i + 1), v(i + 2));
            pBatch->Add(v(i), v(i + 2), v(i + 3));
        }
        break;
    case GX_TRIANGLES:
        for (uint32_t i = 0; i + 2 < count; i += 3)
            pBatch->Add(v(i), v(i + 1), v(i + 2));
        break;
    case GX_TRIANGLESTRIP:
        // Every second triangle of a strip runs its first two corners the
        // other way round, so all keep the winding of the first.
        for (uint32_t k = 0; k + 2 < count; ++k) {
            if (k & 1)
                pBatch->Add(v(k + 1), v(k), v(k + 2));
            else
                pBatch->Add(v(k), v(k + 1), v(k + 2));
        }
        break;
    case GX_TRIANGLEFAN:
        for (uint32_t k = 1; k + 1 < count; ++k)
            pBatch->Add(v(0), v(k), v(k + 1));
        break;
    default:  // lines and points hold no triangles
        break;
    }
}

// The frame that takes points of the zone's space to the caller's: the world
// (no caller zone), or the caller zone's space.
mOCS ZoneToCaller(const eZone& zone, const eZone* pCaller)
{
    mOCS frame;
    if (&zone == pCaller)
        frame.MakeIdentity();
    else if (!pCaller)
        frame = zone.m_localToWorld;
    else
        frame.XformInv(zone.m_localToWorld, pCaller->m_localToWorld);
    return frame;
}

}  // namespace

bool eZone::IntersectStrip(const mRay& ray, const eZoneVisStrip& strip, bool bBackFaces, mRayTriHit* pHit,
                           mVec2* pTexCoord) const
{
    const int format = (strip.nFlags & eZoneVisStrip::kFourCoordSets) ? 1 : 0;
    const uint32_t vertexBytes = eZoneDisplayList::VertexBytes(format);
    TriangleBatch batch(ray, bBackFaces, *m_pVisData, pHit);
    eZoneDisplayList::ForEachDraw(m_pVisData->pDisplayLists + 32u * strip.nDisplayListOffset, strip.nDisplayListSize,
                                  format, [&](GXPrimitive prim, uint32_t count, const uint8_t* q) {
                                      AddDraw(&batch, prim, count, q, vertexBytes);
                                  });
    batch.Flush();
    if (batch.Hit() && pTexCoord)
        *pTexCoord = batch.TexCoordAtHit();
    return batch.Hit();
}

bool eZone::IntersectVisNode(const mRay& ray, int node, bool bBackFaces, mRayTriHit* pHit,
                             eMaterialHandle* pMaterial, mVec2* pTexCoord) const
{
    bool bHit = false;
    for (uint16_t i = m_pVisNodes[node].nZoneVis; i != kNoIndex; i = m_pVisData->pStrips[i].nNext) {
        const eZoneVisStrip& s = m_pVisData->pStrips[i];
        if (IntersectStrip(ray, s, bBackFaces, pHit, pTexCoord)) {
            bHit = true;
            if (pMaterial)
                *pMaterial = m_hMaterials[s.nMaterial];
        }
    }
    return bHit;
}

bool eZone::IntersectNode(const mRay& ray, int level, int node, const mVec3& centre, float edge, bool bBackFaces,
                          mRayTriHit* pHit, eMaterialHandle* pMaterial, mVec2* pTexCoord) const
{
    bool bHit = m_pVisNodes[node].nZoneVis != kNoIndex &&
                IntersectVisNode(ray, node, bBackFaces, pHit, pMaterial, pTexCoord);
    if (level + 1 >= m_visOctree.m_nLevels)
        return bHit;
    for (int k = 0; k < eOctree::kChildren; ++k) {
        const int32_t child = eOctree::Child(node, k);
        if (m_pVisNodes[child].nZoneVisCount == 0)
            continue;
        const mVec3 c = eZoneCell::ChildCentre(centre, edge, k);
        const mBox loose = eZoneCell::LooseBox(c, 0.5f * edge, m_visOctree.m_fLooseScale);
        // The box test misses from inside and from a face, so an origin
        // inside or on a face enters at once.
        mRayVolHit boxHit;
        bool bInside = false;
        if (eZoneCell::Touches(loose, ray.origin) || ray.Intersect(loose, &boxHit, &bInside))
            bHit = IntersectNode(ray, level + 1, child, c, 0.5f * edge, bBackFaces, pHit, pMaterial, pTexCoord) ||
                   bHit;
    }
    return bHit;
}

eZone* eZone::IntersectAll(const eZone* pCaller, const mRay& ray, bool bBackFaces, mRayTriHit* pHit,
                           eMaterialHandle* pMaterial, mVec2* pTexCoord)
{
    pHit->distance = ray.ReachLength();
    eZone* pFound = nullptr;
    for (eZone* z : s_pZones) {
        if (!z || !z->m_pVisNodes || !z->m_pVisData)
            continue;
        const mOCS toCaller = ZoneToCaller(*z, pCaller);
        mRay zoneRay;
        zoneRay.origin.XformInv(ray.origin, toCaller);
        zoneRay.dir.XformVecInv(ray.dir, toCaller);
        zoneRay.length = ray.length;
        // Starting at the nearest hit so far, a zone reports only nearer ones.
        mRayTriHit hit;
        hit.distance = pHit->distance;
        eMaterialHandle material;
        mVec2 texCoord(0.0f, 0.0f);
        if (!z->IntersectNode(zoneRay, 0, 0, mVec3(0.0f, 0.0f, 0.0f), z->m_visOctree.m_fSize, bBackFaces, &hit,
                              pMaterial ? &material : nullptr, pTexCoord ? &texCoord : nullptr))
            continue;
        *pHit = hit;
        pHit->pos.Xform(hit.pos, toCaller);
        pHit->normal.XformVec(hit.normal, toCaller);
        if (pMaterial)
            *pMaterial = material;
        if (pTexCoord)
            *pTexCoord = texCoord;
        pFound = z;
    }
    return pFound;
}

eZone* eZone::Intersect(const mRay& ray, bool bBackFaces, mRayTriHit* pHit)
{
    mRayTriHit scratch;
    return IntersectAll(nullptr, ray, bBackFaces, pHit ? pHit : &scratch, nullptr, nullptr);
}

bool eZone::Intersect(const mRay& ray, float fLength, bool bBackFaces, mRayTriHit* pHit, eMaterialHandle* pMaterial,
                      mVec2* pTexCoord) const
{
    mRay reach = ray;
    reach.length = fLength;
    mRayTriHit scratch;
    return IntersectAll(this, reach, bBackFaces, pHit ? pHit : &scratch, pMaterial, pTexCoord) != nullptr;
}
