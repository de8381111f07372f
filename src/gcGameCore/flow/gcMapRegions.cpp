// The map's resident regions: loading them into their slots, and placing
// and attaching their zones around the current one.

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGamePools.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegion.h"

namespace {

void DeleteRegion(int slot)
{
    if (gcRegion* p = gcRegion::s_pRegions[slot])
        std::destroy_at(p);
    gcRegion::s_pRegions[slot] = nullptr;
}

void Attach(gcRegion& region)
{
    if (!region.m_pZone)
        return;
    eZone::s_pZones[region.m_nRegionIndex] = region.m_pZone;
    region.m_pZone->m_nZoneIndex = region.m_nRegionIndex;
}

void PlaceAt(gcRegion& region, const mVec3& origin)
{
    if (!region.m_pZone)
        return;
    region.m_pZone->m_localToWorld.MakeIdentity();
    region.m_pZone->m_localToWorld.origin = origin;
}

gcRegion* Current()
{
    return gcRegion::GetResident(gcRegion::s_nCurrentRegion);
}

// What the region's load and creator share: the slot's region goes and an
// empty one of that id is made in the slot's readied pool (not yet in the
// slot's entry).
gcRegion* NewRegion(int nRegionId, int slot)
{
    DeleteRegion(slot);
    gcRegion* p = gcGamePools::Renew<gcRegion>(nullptr, gcGame::s_regionPools[slot], gcGameConfig::GetRegionPoolSize());
    if (p) {
        p->m_nRegionIndex = slot;
        p->m_nRegionId = nRegionId;
    }
    return p;
}

// Where a region that is not resident goes to become the current one: the
// lowest empty slot (slot 0 for a map's first region), else the highest slot
// but the current one. Never the current slot: a load that fails empties
// its slot, and the current region must survive that.
int SlotForNewCurrent()
{
    for (int slot = 0; slot < gcRegion::kMaxResident; ++slot) {
        if (!gcRegion::s_pRegions[slot])
            return slot;
    }
    const int last = gcRegion::kMaxResident - 1;
    return gcRegion::s_nCurrentRegion == last ? last - 1 : last;
}

}  // namespace

void gcMap::InstallEntityWorldFuncs()
{
    gcEntityWorld::Funcs funcs = gcEntityWorld::Set(gcEntityWorld::Funcs{});
    static_assert(gcEntityWorld::kMaxRegions == gcRegion::kMaxResident, "entity region slots are resident slots");
    funcs.pGetRegionId = &gcRegion::GetSlotRegionId;
    funcs.pGetMapLight = [](float* pHeading, float* pPitch) {
        if (!s_pMap)
            return false;
        *pHeading = s_pMap->m_fLightHeading;
        *pPitch = s_pMap->m_fLightPitch;
        return true;
    };
    gcEntityWorld::Set(funcs);
}

bool gcMap::LoadRegion(int nRegionId, int slot)
{
    if (slot < 0 || slot >= gcRegion::kMaxResident || nRegionId < 0 || nRegionId >= kMaxRegionNames)
        return false;
    cStr name;
    gcRegion::GetFilename(gcAct::s_pAct ? gcAct::s_pAct->m_nActId : -1, m_nMapId, nRegionId, &name);
    // A neighbour whose file is missing or damaged is chosen again at every
    // step: it is logged once, not read again at every try.
    static_assert(kMaxRegionNames <= 32, "a bit per region id");
    const uint32_t nBit = 1u << nRegionId;
    if (m_nUnusableRegionFiles & nBit)
        return false;
    if (!cFile::Exists(name)) {
        cLogWarn_("gcMap: no file \"%s\" for region %d; it stays unloaded", name.m_sData, nRegionId + 1);
        m_nUnusableRegionFiles |= nBit;
        return false;
    }
    // A file that is there and cannot be read is damaged: the map cannot
    // be played with a hole where the region should be.
    cFile file;
    if (!file.Open(name)) {
        m_nUnusableRegionFiles |= nBit;
        m_nDamagedRegionId = nRegionId;
        return false;
    }
    cMemPool& pool = gcGame::s_regionPools[slot];
    gcRegion* pRegion = NewRegion(nRegionId, slot);
    if (!pRegion)
        return false;
    if (!file.ReadObject(*pRegion, &pool)) {
        m_nUnusableRegionFiles |= nBit;
        m_nDamagedRegionId = nRegionId;
        std::destroy_at(pRegion);
        pool.Reset();
        // The slot is empty now: it can no longer be the current one.
        if (gcRegion::s_nCurrentRegion == slot)
            gcRegion::s_nCurrentRegion = -1;
        return false;
    }
    gcRegion::s_pRegions[slot] = pRegion;
    file.Close();
    return true;
}

bool gcMap::LoadRegions(int nRegionId)
{
    gcRegion* pCurrent = Current();
    if (pCurrent && pCurrent->m_nRegionId == nRegionId)
        return true;
    int slot = gcRegion::FindSlot(nRegionId);
    if (slot < 0) {
        // A failed load leaves the current region as it was.
        slot = SlotForNewCurrent();
        if (!LoadRegion(nRegionId, slot))
            return false;
    }
    gcRegion::s_nCurrentRegion = slot;
    pCurrent = gcRegion::s_pRegions[slot];
    for (int other = 0; other < gcRegion::kMaxResident; ++other) {
        const gcRegion* p = gcRegion::s_pRegions[other];
        if (other != slot && p && !pCurrent->HasNeighbor(p->m_nRegionId))
            DeleteRegion(other);
    }
    for (int32_t nNeighbor : pCurrent->m_nNeighbors) {
        if (nNeighbor < 0 || gcRegion::FindSlot(nNeighbor) >= 0)
            continue;
        int free = -1;
        for (int s = gcRegion::kMaxResident - 1; s >= 0 && free < 0; --s) {
            if (s != slot && !gcRegion::s_pRegions[s])
                free = s;
        }
        if (free < 0 || !LoadRegion(nNeighbor, free))
            return false;
    }
    return true;
}

void gcMap::UpdateRegions(bool bAttach)
{
    gcRegion* pCurrent = Current();
    if (!pCurrent)
        return;
    PlaceAt(*pCurrent, mVec3{0.0f, 0.0f, 0.0f});
    if (bAttach)
        Attach(*pCurrent);
    for (int k = 0; k < gcRegion::kMaxNeighbors; ++k) {
        const int32_t nNeighbor = pCurrent->m_nNeighbors[k];
        gcRegion* p = nNeighbor < 0 ? nullptr : gcRegion::GetResident(gcRegion::FindSlot(nNeighbor));
        if (!p)
            continue;
        if (bAttach)
            Attach(*p);
        PlaceAt(*p, pCurrent->m_neighborOffsets[k]);
    }
}

int gcMap::GetRegionToLoad() const
{
    const gcRegion* pCurrent = Current();
    if (!pCurrent)
        return -1;
    for (int32_t nNeighbor : pCurrent->m_nNeighbors) {
        if (nNeighbor >= 0 && gcRegion::FindSlot(nNeighbor) < 0)
            return nNeighbor;
    }
    return -1;
}

int gcMap::BuildAvailableRegionList(int* pList) const
{
    const gcRegion* pCurrent = Current();
    int n = 0;
    for (int slot = 0; slot < gcRegion::kMaxResident; ++slot) {
        if (slot == gcRegion::s_nCurrentRegion)
            continue;
        const gcRegion* p = gcRegion::s_pRegions[slot];
        if (!p || !pCurrent || !pCurrent->HasNeighbor(p->m_nRegionId))
            pList[n++] = slot;
    }
    return n;
}

void gcMap::CreateRegion(int nRegionId, const cName& name)
{
    if (nRegionId < 0 || nRegionId >= kMaxRegionNames) {
        cLogError_("gcMap: region %lld refused: regions are 1 to %d", nRegionId + 1LL, kMaxRegionNames);
        return;
    }
    for (int slot = 0; slot < gcRegion::kMaxResident; ++slot)
        DeleteRegion(slot);
    gcRegion::s_nCurrentRegion = -1;
    gcRegion* p = NewRegion(nRegionId, 0);
    if (!p)
        return;
    gcRegion::s_pRegions[0] = p;
    m_regionNames[nRegionId] = name;
    gcRegion::s_nCurrentRegion = 0;
}
