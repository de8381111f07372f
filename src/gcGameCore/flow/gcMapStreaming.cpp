// Region streaming: the camera's region is the current one; when the camera
// leaves it the containing neighbour takes over and the world is re-based
// on it; regions no longer needed are frozen, detached and deleted, and the
// first missing neighbour is loaded on the region loader's thread and
// attached no earlier than 60 steps after it was chosen. Main thread.

#include <memory>

#include "eEngine/eZone.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/flow/gcRegionLoader.h"
#include "gcGameCore/script/gcMsg.h"

namespace {

bool IsAttached(const gcRegion& region)
{
    return region.m_pZone && eZone::s_pZones[region.m_nRegionIndex] == region.m_pZone;
}

bool InsideVisBox(const eZone& zone, const mVec3& p)
{
    const mBox& box = zone.m_visOctree.m_volume;
    return box.minCorner.x <= p.x && p.x < box.maxCorner.x && box.minCorner.y <= p.y && p.y < box.maxCorner.y &&
           box.minCorner.z <= p.z && p.z < box.maxCorner.z;
}

// A region without a zone never counts as attached: the current region and
// its neighbours are kept whatever their zones.
void DeleteDetachedRegions()
{
    const gcRegion* pCurrent = gcRegion::GetResident(gcRegion::s_nCurrentRegion);
    for (gcRegion* p : gcRegion::s_pRegions) {
        if (!p || IsAttached(*p) || p == pCurrent || (pCurrent && pCurrent->HasNeighbor(p->m_nRegionId)))
            continue;
        std::destroy_at(p);
    }
}

}  // namespace

void gcMap::HandleBackgroundLoading()
{
    if (m_nCinematicLoadingFrame >= 0)
        return;
    gcRegionLoader* pLoader = gcRegionLoader::Get();
    if (pLoader->IsRunning()) {
        if (++m_nLoadingFrame >= kRegionAttachFrames)
            pLoader->WaitForFinish();
        return;
    }
    if (!pLoader->m_pLoadedRegion)
        DeleteDetachedRegions();
    if (m_nLoadingRegionId >= 0) {
        StreamRegion();
        return;
    }
    ChangeRegion();
    DropUnneededRegions();
}

// The streamed region's steps: start its load, wait, attach. True when a
// step was taken.
bool gcMap::StreamRegion()
{
    gcRegionLoader* pLoader = gcRegionLoader::Get();
    gcRegion* pLoaded = pLoader->m_pLoadedRegion;
    if (!pLoaded) {
        if (m_nUnloadingRegionIndex >= 0) {
            if (gcRegion* pOld = gcRegion::s_pRegions[m_nUnloadingRegionIndex])
                std::destroy_at(pOld);
            pLoader->Load(m_nLoadingRegionId, m_nUnloadingRegionIndex);
            m_nUnloadingRegionIndex = -1;
        } else {
            m_nLoadingRegionId = -1;  // the load produced nothing; chosen again later
        }
        return true;
    }
    if (m_nLoadingFrame < kRegionAttachFrames) {
        m_nFlags |= kFlagRegionWaiting;
        ++m_nLoadingFrame;
        return true;
    }
    m_nFlags &= ~kFlagRegionWaiting;
    UpdateRegions(false);
    if (pLoaded->m_pZone) {
        eZone::s_pZones[pLoaded->m_nRegionIndex] = pLoaded->m_pZone;
        pLoaded->m_pZone->m_nZoneIndex = pLoaded->m_nRegionIndex;
    }
    eZone::InvalidateStaticCollisionCache();
    const gcMsgUnfreeze unfreeze;
    SendToRegion(m_nLoadingRegionId, unfreeze, false);
    m_nLoadingRegionId = -1;
    pLoader->m_pLoadedRegion = nullptr;
    return true;
}

// When the camera has left the current region's zone, the attached zone
// that holds it becomes current and the world is re-based on it.
void gcMap::ChangeRegion()
{
    gcRegion* pCurrent = gcRegion::GetResident(gcRegion::s_nCurrentRegion);
    if (!pCurrent || !pCurrent->m_pZone)
        return;
    gcGameCamera* pCamera = gcGameCamera::Get();
    mOCS cameraToWorld = pCamera->m_camera.m_cameraToWorld;
    if (InsideVisBox(*pCurrent->m_pZone, cameraToWorld.origin))
        return;
    mVec3 local;
    eZone* pZone = eZone::GetZoneFromPos(pCurrent->m_pZone, cameraToWorld.origin, &local);
    if (!pZone || pZone == pCurrent->m_pZone || pZone->m_nZoneIndex < 0)
        return;  // outside every attached zone: tried again next step
    gcRegion::s_nCurrentRegion = pZone->m_nZoneIndex;
    mOCS shift;
    shift.XformInv(pCurrent->m_pZone->m_localToWorld, pZone->m_localToWorld);
    cameraToWorld.origin = local;
    pCamera->UpdateWorld(cameraToWorld, shift);
    gcRegion* pNew = gcRegion::GetResident(gcRegion::s_nCurrentRegion);
    const gcMsgUnfreeze unfreeze;
    for (int32_t nNeighbor : pNew->m_nNeighbors) {
        const gcRegion* p = nNeighbor < 0 ? nullptr : gcRegion::GetResident(gcRegion::FindSlot(nNeighbor));
        if (p && !IsAttached(*p))
            SendToRegion(nNeighbor, unfreeze, false);
    }
    UpdateRegions(true);
    eZone::InvalidateStaticCollisionCache();
}

// Regions that are neither current nor neighbours are frozen and detached
// (deleted at a later step); the first missing neighbour is chosen to load.
void gcMap::DropUnneededRegions()
{
    int list[gcRegion::kMaxResident];
    const int n = BuildAvailableRegionList(list);
    const gcMsgFreeze freeze;
    for (int i = 0; i < n; ++i) {
        gcRegion* p = gcRegion::s_pRegions[list[i]];
        if (p && IsAttached(*p)) {
            SendToRegion(p->m_nRegionId, freeze, true);
            eZone::s_pZones[list[i]] = nullptr;
        }
    }
    m_nLoadingRegionId = GetRegionToLoad();
    if (m_nLoadingRegionId >= 0) {
        m_nLoadingFrame = 0;
        m_nUnloadingRegionIndex = n > 0 ? list[0] : -1;
    }
}
