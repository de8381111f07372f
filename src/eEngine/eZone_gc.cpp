// The zone's console platform block: static draw data (strips, display
// lists and the vertex arrays the graphics processor reads as stored), the
// lightmap textures and the collision data.
#include "eZoneRead.h"

#include <memory>

#include "platform/os.h"
#include "cCore/cLog.h"
#include "eEngine/eLightmap.h"
#include "eEngine/eTexture.h"

using eBlockArrays::Fits;
using eZoneRead::NewArray;

namespace {

constexpr int32_t kMaxIndexed = 0x10000;  // 16-bit indices reach this many records
constexpr int32_t kMaxLinked = 0xFFFF;    // 0xFFFF ends a chain, so it cannot be an index
constexpr uint32_t kListAlign = 32;
constexpr uint32_t kListPad = 35;         // the block is followed by at least 4 spare bytes

// A raw array of count records of recordBytes, 32-byte aligned, as stored.
bool ReadRawArray(const cReadBlock& rb, cMemPool* pPool, const char* sWhat, int32_t recordBytes, int32_t* pCount,
                  uint8_t** ppData)
{
    const int32_t n = rb.ReadInt();
    if (rb.Failed())
        return false;
    if (n < 0 || n > kMaxIndexed || !Fits(rb, n, recordBytes)) {
        rb.m_file.Fail("eZone: %d %s refused (at most %d, and within the block)", n, sWhat, kMaxIndexed);
        return false;
    }
    *pCount = n;
    *ppData = nullptr;
    if (n == 0)
        return true;
    const uint32_t nBytes = static_cast<uint32_t>(n * recordBytes);
    *ppData = static_cast<uint8_t*>(pPool->Alloc(nBytes, kListAlign));
    if (!*ppData)
        return false;
    rb.ReadChars(*ppData, static_cast<int>(nBytes));
    return !rb.Failed();
}

void StoreForGraphics(void* p, int32_t nBytes)
{
    if (p && nBytes > 0)
        DCStoreRangeNoSync(p, static_cast<uint32_t>(nBytes));
}

}  // namespace

bool eZone::ReadVisData(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const
{
    eZoneVisData* d = pPool->New<eZoneVisData>();
    if (!d)
        return false;
    d->nStrips = rb.ReadInt();
    if (rb.Failed())
        return false;
    if (d->nStrips < 0 || d->nStrips > kMaxLinked || !Fits(rb, d->nStrips, eZoneVisStrip::kFileBytes)) {
        rb.m_file.Fail("eZone \"%s\": %d strips refused", m_name.m_sData, d->nStrips);
        return false;
    }
    if (!NewArray(pPool, d->nStrips, &d->pStrips))
        return false;
    for (int32_t i = 0; i < d->nStrips; ++i) {
        eZoneVisStrip& s = d->pStrips[i];
        s.nNext = rb.ReadUShort();
        s.nMaterial = rb.ReadUChar();
        s.nLightmap = rb.ReadUChar();
        s.nFlags = rb.ReadUShort();
        s.nTris = rb.ReadUShort();
        s.nDisplayListOffset = rb.ReadUShort();
        s.nDisplayListSize = rb.ReadUShort();
    }

    d->nDisplayListBytes = rb.ReadInt();
    if (rb.Failed())
        return false;
    if (d->nDisplayListBytes < 0 || !Fits(rb, d->nDisplayListBytes, 1)) {
        rb.m_file.Fail("eZone \"%s\": a display-list block of %d bytes runs past its block", m_name.m_sData,
                       d->nDisplayListBytes);
        return false;
    }
    const uint32_t nListBytes = static_cast<uint32_t>(d->nDisplayListBytes);
    d->pDisplayLists = static_cast<uint8_t*>(pPool->Alloc((nListBytes + kListPad) & ~(kListAlign - 1), kListAlign));
    if (!d->pDisplayLists)
        return false;
    DCInvalidateRange(d->pDisplayLists, nListBytes);
    rb.ReadChars(d->pDisplayLists, d->nDisplayListBytes);

    if (!ReadRawArray(rb, pPool, "positions", eZoneVisData::kPosStride, &d->nPositions, &d->pPositions) ||
        !ReadRawArray(rb, pPool, "first texture coordinates", eZoneVisData::kTexStride, &d->nTexCoords[0],
                      &d->pTexCoords[0]) ||
        !ReadRawArray(rb, pPool, "second texture coordinates", eZoneVisData::kTexStride, &d->nTexCoords[1],
                      &d->pTexCoords[1]))
        return false;
    // The graphics processor reads these from memory, not through the cache.
    StoreForGraphics(d->pPositions, d->nPositions * eZoneVisData::kPosStride);
    StoreForGraphics(d->pTexCoords[0], d->nTexCoords[0] * eZoneVisData::kTexStride);
    StoreForGraphics(d->pTexCoords[1], d->nTexCoords[1] * eZoneVisData::kTexStride);
    StoreForGraphics(d->pDisplayLists, d->nDisplayListBytes);
    pState->pVisData = d;
    return true;
}

bool eZone::ReadLightmap(const cFile& file, int32_t nLightmaps, cMemPool* pPool, ReadState* pState)
{
    // The region reserves m_nLightmapTextures slots for this zone; more would
    // overwrite its neighbours' lightmaps.
    const int64_t first = m_nLightmapStartIndex;
    if (nLightmaps < 0 || nLightmaps > m_nLightmapTextures || first < 0 || first + nLightmaps > eTextureMgr::kSlots) {
        file.Fail("eZone \"%s\": %d lightmaps refused (%d slots reserved from %d)", m_name.m_sData, nLightmaps,
                  m_nLightmapTextures, m_nLightmapStartIndex);
        return false;
    }
    eLightmap* pLightmap = pPool->New<eLightmap>();
    if (!pLightmap)
        return false;
    for (int32_t i = 0; i < nLightmaps; ++i) {
        eTexture* pTexture = pPool->New<eTexture>();
        if (!pTexture) {
            RemoveLightmapSlots(m_nLightmapStartIndex, i);
            return false;
        }
        pTexture->m_wrapMode = eTexture::WRAP_CLAMP;
        eTextureMgr::Add(m_nLightmapStartIndex + i, pTexture, 0);
    }
    pState->nPlacedLightmaps = nLightmaps;
    pLightmap->m_nStartIndex = m_nLightmapStartIndex;
    pLightmap->m_nNumTextures = nLightmaps;
    if (!pLightmap->Read(file, pPool)) {
        RemoveLightmapSlots(m_nLightmapStartIndex, nLightmaps);
        pState->nPlacedLightmaps = 0;
        return false;
    }
    pState->pVisData->pLightmap = pLightmap;
    return true;
}

bool eZone::ReadColData(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const
{
    eZoneColData* d = pPool->New<eZoneColData>();
    if (!d)
        return false;
    d->nTriLists = rb.ReadInt();
    if (rb.Failed())
        return false;
    if (d->nTriLists < 0 || d->nTriLists > kMaxLinked || !Fits(rb, d->nTriLists, eZoneColTriList::kFileBytes)) {
        rb.m_file.Fail("eZone \"%s\": %d triangle lists refused", m_name.m_sData, d->nTriLists);
        return false;
    }
    if (!NewArray(pPool, d->nTriLists, &d->pTriLists))
        return false;
    for (int32_t i = 0; i < d->nTriLists; ++i) {
        eZoneColTriList& l = d->pTriLists[i];
        l.nNext = rb.ReadUShort();
        l.nSurface = rb.ReadUChar();
        l.nFirstTri = rb.ReadUShort();
        l.nTris = rb.ReadUShort();
    }
    d->nTris = rb.ReadInt();
    if (rb.Failed())
        return false;
    // First triangle and count are both 16-bit, so lists reach no further.
    if (d->nTris < 0 || d->nTris > 2 * kMaxLinked || !Fits(rb, d->nTris, 6)) {
        rb.m_file.Fail("eZone \"%s\": %d collision triangles refused", m_name.m_sData, d->nTris);
        return false;
    }
    if (!NewArray(pPool, 3 * static_cast<int64_t>(d->nTris), &d->pTris))
        return false;
    rb.ReadShorts(d->pTris, 3 * d->nTris);
    d->nVerts = rb.ReadInt();
    if (rb.Failed())
        return false;
    if (d->nVerts < 0 || d->nVerts > kMaxIndexed || !Fits(rb, d->nVerts, 6)) {
        rb.m_file.Fail("eZone \"%s\": %d collision vertices refused", m_name.m_sData, d->nVerts);
        return false;
    }
    if (!NewArray(pPool, 3 * static_cast<int64_t>(d->nVerts), &d->pVerts))
        return false;
    rb.ReadShorts(d->pVerts, 3 * d->nVerts);
    if (rb.Failed())
        return false;
    pState->pColData = d;
    return true;
}

bool eZone::PlatformRead(const cFile& file, cMemPool* pPool, ReadState* pState)
{
    cReadBlock rb(file, kPlatformVersion);
    if (rb.m_nVersion == 0) {  // refused without a word, as the console did
        rb.SkipToEnd();
        return false;
    }
    if (rb.m_nVersion > kPlatformVersion)
        return rb.Reject("eZone platform block", "version");
    auto fail = [&]() {
        RemoveLightmapSlots(m_nLightmapStartIndex, pState->nPlacedLightmaps);
        pState->nPlacedLightmaps = 0;
        rb.SkipToEnd();
        return false;
    };

    const bool bVisData = rb.ReadInt() != 0;
    if (bVisData && !ReadVisData(rb, pPool, pState))
        return fail();
    const bool bLightmap = bVisData && rb.ReadInt() != 0;
    const int32_t nLightmaps = bLightmap ? rb.ReadInt() : 0;
    if (rb.Failed() || !ValidateVisData(file, *pState, nLightmaps))
        return fail();
    if (bLightmap && !ReadLightmap(file, nLightmaps, pPool, pState))
        return fail();

    const bool bColData = rb.ReadInt() != 0;
    if (bColData && !ReadColData(rb, pPool, pState))
        return fail();
    if (rb.Failed() || !ValidateColData(file, *pState))
        return fail();
    return true;
}

void eZone::PlatformFree()
{
    if (m_pVisData && m_pVisData->pLightmap) {
        std::destroy_at(m_pVisData->pLightmap);
        m_pVisData->pLightmap = nullptr;
    }
    if (m_pColData)
        m_pColData->Free();
}
