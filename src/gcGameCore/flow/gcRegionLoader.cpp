#include "gcGameCore/flow/gcRegionLoader.h"

#include "cCore/cLog.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegion.h"

gcRegionLoader* gcRegionLoader::Get()
{
    static gcRegionLoader s_loader;
    return &s_loader;
}

gcRegionLoader::~gcRegionLoader()
{
    WaitForFinish();
}

bool gcRegionLoader::Load(int nRegionId, int slot)
{
    m_nRegionId = nRegionId;
    m_nRegionIndex = slot;
    m_pLoadedRegion = nullptr;
    if (Start())
        return true;
    cLogError_("gcRegionLoader: the loader thread did not start");
    return false;
}

bool gcRegionLoader::Run()
{
    if (gcMap::s_pMap && gcMap::s_pMap->LoadRegion(m_nRegionId, m_nRegionIndex))
        m_pLoadedRegion = gcRegion::GetResident(m_nRegionIndex);
    return m_pLoadedRegion != nullptr;
}

void gcRegionLoader::Clear()
{
    m_nRegionId = -1;
    m_nRegionIndex = -1;
    m_pLoadedRegion = nullptr;
}
