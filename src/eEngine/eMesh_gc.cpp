// The mesh's console platform block: draw data (records, skin vertices, the
// raw vertex arrays and display lists the graphics processor reads as
// stored) and collision data. Every index the records hold is checked here,
// so drawing, skinning and collision never leave the arrays.
#include "eEngine/eMesh.h"

#include "platform/os.h"
#include "eEngine/eRenderStateCache.h"
#include "eBlockArrays.h"
#include "eMeshRead.h"

using eBlockArrays::Fits;
using eBlockArrays::TakeArray;

namespace {

constexpr int kListPad = 4;  // the display-list block is followed by spare bytes

// A run of count records from first inside an array of size records.
bool InRange(int first, int count, int size)
{
    return first >= 0 && count >= 0 && first + count <= size;
}

bool ListInBlock(uint16_t offset, uint16_t size, int32_t blockBytes)
{
    return eMeshVisData::kListAlign * static_cast<int64_t>(offset) + size <= blockBytes;
}

template <class T>
bool ReadRecords(const cReadBlock& rb, cMemPool* pPool, int count, T** ppOut)
{
    if (count < 0 || !Fits(rb, count, 2 * T::kFileShorts) || !TakeArray(pPool, count, ppOut))
        return false;
    for (int i = 0; i < count; ++i)
        rb.ReadShorts(reinterpret_cast<int16_t*>(&(*ppOut)[i]), T::kFileShorts);
    return !rb.Failed();
}

template <int N>
bool ReadVisSkinVerts(const cReadBlock& rb, cMemPool* pPool, int count, eMeshVisSkinVertN<N>** ppOut)
{
    using V = eMeshVisSkinVertN<N>;
    if (count < 0 || !Fits(rb, count, V::kFileBytes) || !TakeArray(pPool, count, ppOut))
        return false;
    for (int i = 0; i < count; ++i) {
        V& v = (*ppOut)[i];
        rb.ReadFloats(v.pos.v, 3);
        rb.ReadFloats(v.normal.v, 3);
        for (int k = 0; k < N; ++k)
            v.nBones[k] = rb.ReadUChar();
        for (int k = 0; k < N; ++k)
            v.nWeights[k] = rb.ReadUChar();
    }
    return !rb.Failed();
}

template <int N>
bool ReadColSkinVerts(const cReadBlock& rb, cMemPool* pPool, int count, eMeshColSkinVertN<N>** ppOut)
{
    using V = eMeshColSkinVertN<N>;
    if (count < 0 || !Fits(rb, count, V::kFileBytes) || !TakeArray(pPool, count, ppOut))
        return false;
    for (int i = 0; i < count; ++i) {
        V& v = (*ppOut)[i];
        rb.ReadFloats(v.pos.v, 3);
        for (int k = 0; k < N; ++k)
            v.nBones[k] = rb.ReadUChar();
        for (int k = 0; k < N; ++k)
            v.nWeights[k] = rb.ReadUChar();
    }
    return !rb.Failed();
}

bool ReadTris(const cReadBlock& rb, cMemPool* pPool, int count, eMeshColTri** ppOut)
{
    if (count < 0 || !Fits(rb, count, eMeshColTri::kFileBytes) || !TakeArray(pPool, count, ppOut))
        return false;
    for (int i = 0; i < count; ++i)
        rb.ReadShorts((*ppOut)[i].v, 3);
    return !rb.Failed();
}

// count raw records of stride bytes, exactly as stored.
bool ReadRaw(const cReadBlock& rb, cMemPool* pPool, int count, int stride, uint8_t** ppOut)
{
    if (count < 0 || !Fits(rb, count, stride) || !TakeArray(pPool, static_cast<int64_t>(count) * stride, ppOut))
        return false;
    rb.ReadChars(*ppOut, count * stride);
    return !rb.Failed();
}

// The graphics processor reads these from memory, not through the cache.
void StoreForGraphics(void* p, int64_t nBytes)
{
    if (p && nBytes > 0)
        DCStoreRangeNoSync(p, static_cast<uint32_t>(nBytes));
}

template <class V>
bool BonesValid(const V* pVerts, int count, int nBones)
{
    constexpr int n = sizeof(V::nBones);
    for (int i = 0; i < count; ++i)
        for (int k = 0; k < n; ++k)
            if (pVerts[i].nBones[k] >= nBones)
                return false;
    return true;
}

// The draw sets vertex type 2 for every list of a mesh (eMesh::DrawStatic,
// eModel, eSky) and the arrays of eMesh::DrawVisObjects or DrawVisSkin.
constexpr int kListVertexType = 2;
constexpr int kArrayPos = 0;  // render-state cache array numbers
constexpr int kArrayNrm = 1;
constexpr int kArrayTex0 = 2;
constexpr int kArrayTex1 = 3;

void SetListArray(eRenderStateCache::ListArrays* a, int array, uint32_t stride, int64_t bytes)
{
    a->stride[array] = stride;
    a->bytes[array] = bytes > 0 ? static_cast<uint64_t>(bytes) : 0;
}

// A rigid object's lists index the mesh's own arrays, both coordinate sets
// in the one array.
eRenderStateCache::ListArrays ObjectArrays(const eMeshVisData& d)
{
    eRenderStateCache::ListArrays a;
    SetListArray(&a, kArrayPos, eMeshVisData::kPosStride, int64_t{d.nPositions} * eMeshVisData::kPosStride);
    SetListArray(&a, kArrayNrm, eMeshVisData::kNrmStride, int64_t{d.nNormals} * eMeshVisData::kNrmStride);
    SetListArray(&a, kArrayTex0, eMeshVisData::kTexStride, int64_t{d.nTexCoords} * eMeshVisData::kTexStride);
    SetListArray(&a, kArrayTex1, eMeshVisData::kTexStride, int64_t{d.nTexCoords} * eMeshVisData::kTexStride);
    return a;
}

// A skin's lists index the skinned output, one record a skin vertex
// (positions, and normals kNormalOffset into each), and the skin's
// coordinates.
eRenderStateCache::ListArrays SkinArrays(const eMeshVisData& d)
{
    const int64_t outBytes = int64_t{d.TotalSkinVerts()} * ePhysiqueVert::kBytes;
    eRenderStateCache::ListArrays a;
    SetListArray(&a, kArrayPos, ePhysiqueVert::kBytes, outBytes);
    SetListArray(&a, kArrayNrm, ePhysiqueVert::kBytes, outBytes - ePhysiqueVert::kNormalOffset);
    SetListArray(&a, kArrayTex0, eMeshVisData::kTexStride, int64_t{d.nSkinTexCoords} * eMeshVisData::kTexStride);
    SetListArray(&a, kArrayTex1, eMeshVisData::kTexStride, int64_t{d.nSkinTexCoords} * eMeshVisData::kTexStride);
    return a;
}

bool ListSound(const eMeshVisData& d, uint16_t offset, uint16_t size, const eRenderStateCache::ListArrays& a,
               char* why, size_t whySize)
{
    return eRenderStateCache::CheckDisplayList(d.DisplayList(offset), size, kListVertexType, a, why, whySize);
}

bool TrisValid(const eMeshColTri* pTris, int first, int count, int nVerts)
{
    for (int i = first; i < first + count; ++i)
        for (uint16_t v : pTris[i].v)
            if (v >= nVerts)
                return false;
    return true;
}

}  // namespace

bool eMesh::ReadVisData(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const
{
    eMeshVisData* d = nullptr;
    if (!TakeArray(pPool, 1, &d))
        return false;
    d->nMaterials = rb.ReadInt();
    rb.ReadShorts(d->nSkins, eMeshVisData::kMaxMaterials);
    rb.ReadShorts(d->nObjects, eMeshVisData::kMaxMaterials);
    if (rb.Failed())
        return false;
    if (d->nMaterials < 0 || d->nMaterials > eMeshVisData::kMaxMaterials) {
        rb.m_file.Fail("eMesh \"%s\": %d materials refused (at most %d)", m_name.m_sData, d->nMaterials,
                   eMeshVisData::kMaxMaterials);
        return false;
    }
    for (int m = 0; m < d->nMaterials; ++m)
        if (!ReadRecords(rb, pPool, d->nSkins[m], &d->pSkins[m]) ||
            !ReadRecords(rb, pPool, d->nObjects[m], &d->pObjects[m]))
            return false;
    int16_t counts[5];
    rb.ReadShorts(counts, 5);
    d->nSkinVerts1 = counts[0];
    d->nSkinVerts2 = counts[1];
    d->nSkinVerts3 = counts[2];
    d->nSkinTexCoords = counts[3];
    d->nUnused0 = counts[4];
    if (!ReadVisSkinVerts(rb, pPool, d->nSkinVerts1, &d->pSkinVerts1) ||
        !ReadVisSkinVerts(rb, pPool, d->nSkinVerts2, &d->pSkinVerts2) ||
        !ReadVisSkinVerts(rb, pPool, d->nSkinVerts3, &d->pSkinVerts3) ||
        !ReadRaw(rb, pPool, d->nSkinTexCoords, eMeshVisData::kTexStride, &d->pSkinTexCoords))
        return false;
    rb.ReadShorts(counts, 4);
    d->nPositions = counts[0];
    d->nNormals = counts[1];
    d->nTexCoords = counts[2];
    d->nUnused1 = counts[3];
    if (!ReadRaw(rb, pPool, d->nPositions, eMeshVisData::kPosStride, &d->pPositions) ||
        !ReadRaw(rb, pPool, d->nNormals, eMeshVisData::kNrmStride, &d->pNormals) ||
        !ReadRaw(rb, pPool, d->nTexCoords, eMeshVisData::kTexStride, &d->pTexCoords))
        return false;

    d->nDisplayListBytes = rb.ReadInt();
    if (rb.Failed() || !Fits(rb, d->nDisplayListBytes, 1))
        return false;
    const uint32_t nListBytes = static_cast<uint32_t>(d->nDisplayListBytes);
    const uint32_t nReserved = (nListBytes + kListPad + eMeshVisData::kListAlign - 1) & ~(eMeshVisData::kListAlign - 1u);
    d->pDisplayLists = static_cast<uint8_t*>(pPool ? pPool->Alloc(nReserved, eMeshVisData::kListAlign) : nullptr);
    if (!d->pDisplayLists)
        return false;
    rb.ReadChars(d->pDisplayLists, d->nDisplayListBytes);
    if (rb.Failed() || !ValidateVisData(rb.m_file, *d, *pState))
        return false;
    StoreForGraphics(d->pDisplayLists, d->nDisplayListBytes);
    StoreForGraphics(d->pPositions, int64_t{d->nPositions} * eMeshVisData::kPosStride);
    StoreForGraphics(d->pNormals, int64_t{d->nNormals} * eMeshVisData::kNrmStride);
    StoreForGraphics(d->pTexCoords, int64_t{d->nTexCoords} * eMeshVisData::kTexStride);
    StoreForGraphics(d->pSkinTexCoords, int64_t{d->nSkinTexCoords} * eMeshVisData::kTexStride);
    pState->pVisData = d;
    return true;
}

bool eMesh::ValidateVisData(const cFile& file, const eMeshVisData& d, const ReadState& st) const
{
    const eRenderStateCache::ListArrays objectArrays = ObjectArrays(d);
    const eRenderStateCache::ListArrays skinArrays = SkinArrays(d);
    char why[200];
    int skinned = 0;
    for (int m = 0; m < d.nMaterials; ++m) {
        for (int i = 0; i < d.nObjects[m]; ++i) {
            const eMeshVisObject& o = d.pObjects[m][i];
            if (o.nNode < 0 || o.nNode >= st.nNodes ||
                !ListInBlock(o.nDisplayListOffset, o.nDisplayListSize, d.nDisplayListBytes)) {
                file.Fail("eMesh \"%s\": object %d of material %d names node %d or a display list (%u + %u bytes) "
                           "outside the mesh",
                           m_name.m_sData, i, m, o.nNode, 32u * o.nDisplayListOffset, o.nDisplayListSize);
                return false;
            }
            if (!ListSound(d, o.nDisplayListOffset, o.nDisplayListSize, objectArrays, why, sizeof(why))) {
                file.Fail("eMesh \"%s\": the display list of object %d of material %d has %s; mesh refused",
                          m_name.m_sData, i, m, why);
                return false;
            }
        }
        if (d.nSkins[m] == 0)
            continue;
        // Only the first skin record of a material is ever used.
        const eMeshVisSkin& s = d.pSkins[m][0];
        if (!InRange(s.nFirstVert1, s.nVerts1, d.nSkinVerts1) || !InRange(s.nFirstVert2, s.nVerts2, d.nSkinVerts2) ||
            !InRange(s.nFirstVert3, s.nVerts3, d.nSkinVerts3) ||
            !ListInBlock(s.nDisplayListOffset, s.nDisplayListSize, d.nDisplayListBytes)) {
            file.Fail("eMesh \"%s\": the skin of material %d names vertices or a display list outside the mesh",
                       m_name.m_sData, m);
            return false;
        }
        if (!ListSound(d, s.nDisplayListOffset, s.nDisplayListSize, skinArrays, why, sizeof(why))) {
            file.Fail("eMesh \"%s\": the display list of the skin of material %d has %s; mesh refused",
                      m_name.m_sData, m, why);
            return false;
        }
        skinned += s.nVerts1 + s.nVerts2 + s.nVerts3;
    }
    // The output is sized for every skin vertex once.
    if (skinned > d.TotalSkinVerts()) {
        file.Fail("eMesh \"%s\": the skins use %d vertices of %d", m_name.m_sData, skinned, d.TotalSkinVerts());
        return false;
    }
    const int nBones = st.NumBones();
    if (!BonesValid(d.pSkinVerts1, d.nSkinVerts1, nBones) || !BonesValid(d.pSkinVerts2, d.nSkinVerts2, nBones) ||
        !BonesValid(d.pSkinVerts3, d.nSkinVerts3, nBones)) {
        file.Fail("eMesh \"%s\": a skin vertex names a bone beyond its %d", m_name.m_sData, nBones);
        return false;
    }
    return true;
}

bool eMesh::ReadColData(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const
{
    eMeshColData* d = nullptr;
    if (!TakeArray(pPool, 1, &d))
        return false;
    d->nSurfaces = rb.ReadInt();
    rb.ReadShorts(d->nSkins, eMeshColData::kMaxSurfaces);
    rb.ReadShorts(d->nObjects, eMeshColData::kMaxSurfaces);
    if (rb.Failed())
        return false;
    if (d->nSurfaces < 0 || d->nSurfaces > eMeshColData::kMaxSurfaces) {
        rb.m_file.Fail("eMesh \"%s\": %d collision surfaces refused (at most %d)", m_name.m_sData, d->nSurfaces,
                   eMeshColData::kMaxSurfaces);
        return false;
    }
    for (int s = 0; s < d->nSurfaces; ++s)
        if (!ReadRecords(rb, pPool, d->nSkins[s], &d->pSkins[s]) ||
            !ReadRecords(rb, pPool, d->nObjects[s], &d->pObjects[s]))
            return false;
    d->nSkinVerts1 = rb.ReadShort();
    d->nSkinVerts2 = rb.ReadShort();
    d->nSkinTris = rb.ReadShort();
    if (!ReadColSkinVerts(rb, pPool, d->nSkinVerts1, &d->pSkinVerts1) ||
        !ReadColSkinVerts(rb, pPool, d->nSkinVerts2, &d->pSkinVerts2) ||
        !ReadTris(rb, pPool, d->nSkinTris, &d->pSkinTris))
        return false;
    d->nVerts = rb.ReadShort();
    d->nTris = rb.ReadShort();
    if (rb.Failed() || d->nVerts < 0 || !Fits(rb, d->nVerts, 12) || !TakeArray(pPool, d->nVerts, &d->pVerts))
        return false;
    for (int i = 0; i < d->nVerts; ++i)
        rb.ReadFloats(d->pVerts[i].v, 3);
    if (!ReadTris(rb, pPool, d->nTris, &d->pTris) || !ValidateColData(rb.m_file, *d, *pState))
        return false;
    pState->pColData = d;
    return true;
}

bool eMesh::ValidateColData(const cFile& file, const eMeshColData& d, const ReadState& st) const
{
    for (int s = 0; s < d.nSurfaces; ++s) {
        for (int i = 0; i < d.nObjects[s]; ++i) {
            const eMeshColObject& o = d.pObjects[s][i];
            if (o.nNode < 0 || o.nNode >= st.nNodes || !InRange(o.nFirstTri, o.nTris, d.nTris) ||
                !TrisValid(d.pTris, o.nFirstTri, o.nTris, d.nVerts)) {
                file.Fail("eMesh \"%s\": collision object %d of surface %d names a node, triangle or vertex "
                           "outside the mesh",
                           m_name.m_sData, i, s);
                return false;
            }
        }
        if (d.nSkins[s] == 0)
            continue;
        const eMeshColSkin& k = d.pSkins[s][0];
        const int nVerts = k.nVerts1 + k.nVerts2;
        if (!InRange(k.nFirstTri, k.nTris, d.nSkinTris) || !InRange(k.nFirstVert1, k.nVerts1, d.nSkinVerts1) ||
            !InRange(k.nFirstVert2, k.nVerts2, d.nSkinVerts2) || nVerts > eMeshColData::kMaxSkinVerts ||
            !TrisValid(d.pSkinTris, k.nFirstTri, k.nTris, nVerts)) {
            file.Fail("eMesh \"%s\": the collision skin of surface %d has %d vertices (at most %d) or names "
                       "triangles or vertices outside the mesh",
                       m_name.m_sData, s, nVerts, eMeshColData::kMaxSkinVerts);
            return false;
        }
    }
    if (!BonesValid(d.pSkinVerts1, d.nSkinVerts1, st.NumBones()) ||
        !BonesValid(d.pSkinVerts2, d.nSkinVerts2, st.NumBones())) {
        file.Fail("eMesh \"%s\": a collision skin vertex names a bone beyond its %d", m_name.m_sData,
                   st.NumBones());
        return false;
    }
    return true;
}

bool eMesh::PlatformRead(const cFile& file, cMemPool* pPool, ReadState* pState) const
{
    cReadBlock rb(file, kPlatformVersion);
    if (rb.m_nVersion == 0) {  // no draw or collision data
        rb.SkipToEnd();
        return !rb.Failed();
    }
    const bool bVis = rb.ReadInt() != 0;
    if (rb.Failed() || (bVis && !ReadVisData(rb, pPool, pState)))
        return rb.Reject("eMesh platform block", "draw data");
    const bool bCol = rb.ReadInt() != 0;
    if (rb.Failed() || (bCol && !ReadColData(rb, pPool, pState)))
        return rb.Reject("eMesh platform block", "collision data");
    return !rb.Failed();
}

void eMesh::PlatformFree()
{
    // Every array lives in the pool that read the mesh.
}
