#pragma once
// What a zone read gathers before it commits: everything comes from the
// pool passed to Read, checked, and only then becomes the zone's. Shared by
// the zone block reader and the platform block reader.

#include <cstddef>
#include <cstdint>
#include <new>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "eEngine/eZone.h"
#include "eBlockArrays.h"

struct eZone::ReadState {
    uint32_t nVersion = 0;
    mBox volume;
    mVec3 exportOffset{0.0f, 0.0f, 0.0f};
    eOctree visOctree;
    eZoneVisNode* pVisNodes = nullptr;
    eOctree colOctree;
    eZoneColNode* pColNodes = nullptr;
    eLightGrid* pLightGrid = nullptr;
    int32_t nMaterials = 0;
    eMaterialHandle* hMaterials = nullptr;
    eDrawInfo** pOpaqueBins = nullptr;
    eDrawInfo** pBlendedBins = nullptr;
    int32_t nSurfaces = 0;
    eSurfaceHandle* hSurfaces = nullptr;
    eZoneVisData* pVisData = nullptr;
    eZoneColData* pColData = nullptr;
    int32_t nPlacedLightmaps = 0;  // texture slots taken from m_nLightmapStartIndex on
};

namespace eZoneRead {

// count value-initialised records from the pool at their exact size. True
// with null for 0; false (the pool logs) when it is full.
template <class T>
bool NewArray(cMemPool* pPool, int64_t count, T** ppOut)
{
    return eBlockArrays::TakeArray(pPool, count, ppOut, 1);
}

}  // namespace eZoneRead
