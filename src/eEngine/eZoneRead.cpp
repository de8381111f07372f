// Reading, checking and writing the zone block. Everything a zone file
// indexes is checked before the zone takes it, so no later walk can leave
// its arrays.
#include "eZoneRead.h"

#include <memory>
#include <vector>

#include "platform/gx.h"
#include "platform/ps.h"
#include "cCore/cLog.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eLightGrid.h"
#include "eEngine/eLightmap.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eNormalTable.h"
#include "eEngine/eRenderStateCache.h"
#include "eEngine/eSurface.h"

using eBlockArrays::Fits;
using eZoneRead::NewArray;

namespace {

constexpr int kMaxMaterials = eMaterialMgr::kSlots;
constexpr int kMaxSurfaces = eSurfaceMgr::kSlots;
constexpr int kNodeBytes = 4;        // two u16 per node
constexpr int kOldVisNodeBytes = 6;  // before version 5: one more u16, dropped

// Reads one tree's description and its node records (count, first index).
template <class Node>
bool ReadTree(const cReadBlock& rb, int extraShorts, const char* sWhich, cMemPool* pPool, eOctree* pTree,
              Node** ppNodes, uint16_t Node::*pCount, uint16_t Node::*pFirst)
{
    if (!pTree->Read(rb.m_file))
        return false;
    const int32_t nNodes = eOctree::NodeCount(pTree->m_nLevels);
    if (!Fits(rb, nNodes, kNodeBytes + 2 * extraShorts)) {
        rb.m_file.Fail("eZone: %d %s nodes do not fit in the block", nNodes, sWhich);
        return false;
    }
    if (!NewArray(pPool, nNodes, ppNodes))
        return false;
    for (int32_t i = 0; i < nNodes; ++i) {
        (*ppNodes)[i].*pCount = rb.ReadUShort();
        (*ppNodes)[i].*pFirst = rb.ReadUShort();
        for (int k = 0; k < extraShorts; ++k)
            rb.ReadUShort();
    }
    return !rb.Failed();
}

}  // namespace

bool eZone::ReadNodes(const cReadBlock& rb, ReadState* pState, cMemPool* pPool) const
{
    const int extra = pState->nVersion < 5 ? (kOldVisNodeBytes - kNodeBytes) / 2 : 0;
    return ReadTree(rb, extra, "visibility", pPool, &pState->visOctree, &pState->pVisNodes,
                    &eZoneVisNode::nZoneVisCount, &eZoneVisNode::nZoneVis) &&
           ReadTree(rb, 0, "collision", pPool, &pState->colOctree, &pState->pColNodes, &eZoneColNode::nZoneColCount,
                    &eZoneColNode::nZoneCol);
}

bool eZone::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("eZone", "version");
    const cName oldName = m_name;
    ReadState st;
    auto fail = [&](const char* sWhat) {
        m_name = oldName;
        if (st.pLightGrid)
            std::destroy_at(st.pLightGrid);
        RemoveLightmapSlots(m_nLightmapStartIndex, st.nPlacedLightmaps);
        return sWhat ? rb.Reject("eZone", sWhat) : (rb.SkipToEnd(), false);
    };
    if (!ReadObjectPart(rb, pPool))
        return false;
    st.nVersion = rb.m_nVersion;
    rb.ReadFloats(st.volume.minCorner.v, 3);
    rb.ReadFloats(st.volume.maxCorner.v, 3);
    if (st.nVersion >= 4)
        rb.ReadFloats(st.exportOffset.v, 3);
    if (rb.Failed() || !ReadNodes(rb, &st, pPool))
        return fail(nullptr);

    if (st.nVersion >= 5) {
        // A member of another class, or a grid that refuses its data, fails
        // the file as a damaged one.
        st.pLightGrid = static_cast<eLightGrid*>(rb.CreateBase(pPool, eLightGrid::GetStaticType()));
        if (st.pLightGrid && !st.pLightGrid->Read(file, pPool)) {
            file.Fail("eZone: its light grid refused its data");
            std::destroy_at(st.pLightGrid);
            st.pLightGrid = nullptr;
        }
    }

    st.nMaterials = rb.ReadInt();
    if (rb.Failed() || st.nMaterials < 0 || st.nMaterials > kMaxMaterials || !Fits(rb, st.nMaterials, 4))
        return fail("material count");
    if (!NewArray(pPool, st.nMaterials, &st.hMaterials) || !NewArray(pPool, st.nMaterials, &st.pOpaqueBins) ||
        !NewArray(pPool, st.nMaterials, &st.pBlendedBins))
        return fail(nullptr);
    for (int32_t i = 0; i < st.nMaterials; ++i)
        st.hMaterials[i].Read(rb, pPool);

    // Before version 3 the handles are not stored: every surface reads as
    // none, and collision skips lists whose surface does not resolve.
    st.nSurfaces = rb.ReadInt();
    const bool bSurfaceHandles = st.nVersion >= 3;
    if (rb.Failed() || st.nSurfaces < 0 || st.nSurfaces > kMaxSurfaces ||
        (bSurfaceHandles && !Fits(rb, st.nSurfaces, 4)))
        return fail("surface count");
    if (!NewArray(pPool, st.nSurfaces, &st.hSurfaces))
        return fail(nullptr);
    for (int32_t i = 0; bSurfaceHandles && i < st.nSurfaces; ++i)
        st.hSurfaces[i].Read(rb, pPool);
    if (rb.Failed())
        return fail(nullptr);

    if (!PlatformRead(file, pPool, &st))
        return fail(nullptr);

    // The trigger-volume and sound trees span the visibility tree's cube.
    eOctree built;
    built.m_fSize = st.visOctree.m_fSize;
    built.m_fLooseScale = kBuiltLooseScale;
    built.m_nLevels = kBuiltLevels;
    built.m_volume.minCorner.Set(-0.5f * built.m_fSize, -0.5f * built.m_fSize, -0.5f * built.m_fSize);
    built.m_volume.maxCorner.Set(0.5f * built.m_fSize, 0.5f * built.m_fSize, 0.5f * built.m_fSize);
    const int32_t nBuilt = eOctree::NodeCount(kBuiltLevels);
    eZoneVolNode* pVolNodes = nullptr;
    eZoneSoundNode* pSndNodes = nullptr;
    if (!NewArray(pPool, nBuilt, &pVolNodes) || !NewArray(pPool, nBuilt, &pSndNodes) || rb.Failed())
        return fail(nullptr);

    // Committed: the old contents go (their memory stays in its pool).
    UnfileAll();
    if (m_pLightGrid)
        std::destroy_at(m_pLightGrid);
    PlatformFree();
    m_volume = st.volume;
    m_exportOffset = st.exportOffset;
    m_visOctree = st.visOctree;
    m_pVisNodes = st.pVisNodes;
    m_colOctree = st.colOctree;
    m_pColNodes = st.pColNodes;
    m_volOctree = built;
    m_pVolNodes = pVolNodes;
    m_sndOctree = built;
    m_pSndNodes = pSndNodes;
    m_pLightGrid = st.pLightGrid;
    m_nMaterials = st.nMaterials;
    m_hMaterials = st.hMaterials;
    m_pZoneOpaqueBin = st.pOpaqueBins;
    m_pZoneBlendedBin = st.pBlendedBins;
    m_pGeomOpaqueBin = m_pGeomBlendedBin = m_pZSortedBin = m_pPostShadowBin = m_pPreBlendedBin = nullptr;
    m_pCollidableBin = nullptr;
    m_nSurfaces = st.nSurfaces;
    m_hSurfaces = st.hSurfaces;
    m_pVisData = st.pVisData;
    m_pColData = st.pColData;
    return true;
}

void eZone::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteFloats(m_volume.minCorner.v, 3);
    wb.WriteFloats(m_volume.maxCorner.v, 3);
    wb.WriteFloats(m_exportOffset.v, 3);
    m_visOctree.Write(file);
    const int32_t nVis = eOctree::NodeCount(m_visOctree.m_nLevels);
    for (int32_t i = 0; i < nVis; ++i) {
        const eZoneVisNode n = m_pVisNodes ? m_pVisNodes[i] : eZoneVisNode();
        wb.WriteShort(n.nZoneVisCount);
        wb.WriteShort(n.nZoneVis);
    }
    m_colOctree.Write(file);
    const int32_t nCol = eOctree::NodeCount(m_colOctree.m_nLevels);
    for (int32_t i = 0; i < nCol; ++i) {
        const eZoneColNode n = m_pColNodes ? m_pColNodes[i] : eZoneColNode();
        wb.WriteShort(n.nZoneColCount);
        wb.WriteShort(n.nZoneCol);
    }
    wb.WriteBase(m_pLightGrid);
    wb.WriteInt(m_nMaterials);
    for (int32_t i = 0; i < m_nMaterials; ++i)
        m_hMaterials[i].Write(wb);
    wb.WriteInt(m_nSurfaces);
    for (int32_t i = 0; i < m_nSurfaces; ++i)
        wb.WriteInt(m_hSurfaces ? m_hSurfaces[i].m_nValue : 0u);
    const int32_t id = file.m_nTargetPlatformId;
    if (id >= 0 && id < kNumPlatforms && s_platformWrite[id])
        s_platformWrite[id](*this, file);
}

namespace {

// The arrays eZone::SetZoneVAPointers gives a zone's draws: positions, the
// normal table, coordinate 0 from the second set (the lightmap's) and 1-3
// from the first.
eRenderStateCache::ListArrays ListArraysOf(const eZoneVisData& d)
{
    eRenderStateCache::ListArrays a;
    auto set = [&a](int array, uint32_t stride, int32_t count) {
        a.stride[array] = stride;
        a.bytes[array] = count > 0 ? uint64_t{stride} * static_cast<uint32_t>(count) : 0;
    };
    set(0, eZoneVisData::kPosStride, d.nPositions);
    set(1, eNormalTable::kGXStride, eNormalTable::kCount);
    set(2, eZoneVisData::kTexStride, d.nTexCoords[1]);
    for (int k = 3; k < 6; ++k)
        set(k, eZoneVisData::kTexStride, d.nTexCoords[0]);
    return a;
}

// Follows every node's chain of first index and next indices: each index
// must lie inside the records and no record may be reached twice (a chain
// that loops or two nodes sharing records would corrupt the walks).
template <class Node, class Rec>
bool CheckChains(const Node* pNodes, int32_t nNodes, uint16_t Node::*pFirst, const Rec* pRecs, int32_t nRecs,
                 const cFile& file, const char* sZone, const char* sWhat)
{
    std::vector<uint8_t> seen(static_cast<size_t>(nRecs), 0);
    for (int32_t i = 0; i < nNodes; ++i) {
        for (uint32_t r = pNodes[i].*pFirst; r != eZone::kNoIndex; r = pRecs[r].nNext) {
            if (static_cast<int32_t>(r) >= nRecs || seen[r]) {
                file.Fail("eZone \"%s\": node %d reaches %s %u of %d%s", sZone, i, sWhat, r, nRecs,
                          static_cast<int32_t>(r) < nRecs ? " a second time" : "");
                return false;
            }
            seen[r] = 1;
        }
    }
    return true;
}

}  // namespace

bool eZone::ValidateVisData(const cFile& file, const ReadState& st, int32_t nLightmaps) const
{
    const eZoneVisData empty;
    const eZoneVisData& d = st.pVisData ? *st.pVisData : empty;
    if (!CheckChains(st.pVisNodes, eOctree::NodeCount(st.visOctree.m_nLevels), &eZoneVisNode::nZoneVis, d.pStrips,
                     d.nStrips, file, m_name.m_sData, "strip"))
        return false;
    const eRenderStateCache::ListArrays arrays = ListArraysOf(d);
    char why[200];
    for (int32_t i = 0; i < d.nStrips; ++i) {
        const eZoneVisStrip& s = d.pStrips[i];
        const uint32_t first = 32u * s.nDisplayListOffset;
        const char* sFault = nullptr;
        if (s.nMaterial >= st.nMaterials)
            sFault = "a material index past the zone's materials";
        else if (nLightmaps > 0 && s.nLightmap >= nLightmaps)
            sFault = "a lightmap index past the zone's lightmaps";
        else if (first + s.nDisplayListSize > static_cast<uint32_t>(d.nDisplayListBytes))
            sFault = "a display list outside the list block";
        else if (!eRenderStateCache::CheckDisplayList(d.pDisplayLists + first, s.nDisplayListSize,
                                                      (s.nFlags & eZoneVisStrip::kFourCoordSets) ? 1 : 0, arrays,
                                                      why, sizeof(why)))
            sFault = why;
        if (sFault) {
            file.Fail("eZone \"%s\": strip %d has %s%s; zone refused", m_name.m_sData, i,
                      sFault == why ? "a display list with " : "", sFault);
            return false;
        }
    }
    return true;
}

bool eZone::ValidateColData(const cFile& file, const ReadState& st) const
{
    const eZoneColData empty;
    const eZoneColData& d = st.pColData ? *st.pColData : empty;
    if (!CheckChains(st.pColNodes, eOctree::NodeCount(st.colOctree.m_nLevels), &eZoneColNode::nZoneCol, d.pTriLists,
                     d.nTriLists, file, m_name.m_sData, "triangle list"))
        return false;
    for (int32_t i = 0; i < d.nTriLists; ++i) {
        const eZoneColTriList& l = d.pTriLists[i];
        const char* sFault = nullptr;
        if (l.nSurface >= st.nSurfaces)
            sFault = "a surface index past the zone's surfaces";
        else if (static_cast<int32_t>(l.nFirstTri) + l.nTris > d.nTris)
            sFault = "triangles past the triangle array";
        if (sFault) {
            file.Fail("eZone \"%s\": triangle list %d has %s; zone refused", m_name.m_sData, i, sFault);
            return false;
        }
    }
    for (int32_t i = 0; i < 3 * d.nTris; ++i) {
        if (d.pTris[i] >= d.nVerts) {
            file.Fail("eZone \"%s\": triangle %d names vertex %u of %d; zone refused", m_name.m_sData, i / 3,
                      d.pTris[i], d.nVerts);
            return false;
        }
    }
    return true;
}
