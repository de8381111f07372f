#include "gcGameCore/flow/gcRegion.h"

#include <algorithm>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eZone.h"
#include "gcGameCore/flow/gcGameConfig.h"

QM_DEFINE_TYPE(gcRegion, cObject, 69)

gcRegion* gcRegion::s_pRegions[kMaxResident] = {};
int gcRegion::s_nCurrentRegion = -1;

namespace {

// Version 1 stored three neighbours; the fourth stays -1 and at the origin.
int NeighborCount(uint32_t version)
{
    return version == 1 ? 3 : gcRegion::kMaxNeighbors;
}

void ReadOffsets(const cReadBlock& rb, int nCount, mVec3* pOffsets)
{
    for (int i = 0; i < nCount; ++i) {
        pOffsets[i].x = rb.ReadFloat();
        pOffsets[i].y = rb.ReadFloat();
        pOffsets[i].z = rb.ReadFloat();
    }
}

void WriteOffsets(const cWriteBlock& wb, const mVec3* pOffsets)
{
    for (int i = 0; i < gcRegion::kMaxNeighbors; ++i) {
        wb.WriteFloat(pOffsets[i].x);
        wb.WriteFloat(pOffsets[i].y);
        wb.WriteFloat(pOffsets[i].z);
    }
}

}  // namespace

gcRegion::gcRegion() = default;

gcRegion::gcRegion(const gcRegion& other) : cObject(other)
{
}

gcRegion::~gcRegion()
{
    if (m_pZone)
        std::destroy_at(m_pZone);
    m_pZone = nullptr;
    for (gcRegion*& pSlot : s_pRegions) {
        if (pSlot == this)
            pSlot = nullptr;
    }
}

cBase* gcRegion::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcRegion>(*this) : nullptr;
}

void gcRegion::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInts(m_nNeighbors, kMaxNeighbors);
    WriteOffsets(wb, m_neighborOffsets);
    wb.WriteBool(m_pZone != nullptr);
    if (m_pZone)
        m_pZone->Write(file);
    WriteOffsets(wb, m_neighborOffsets);
}

bool gcRegion::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcRegion", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    const int nCount = NeighborCount(rb.m_nVersion);
    int32_t neighbors[kMaxNeighbors] = {-1, -1, -1, -1};
    mVec3 offsets[kMaxNeighbors] = {};
    rb.ReadInts(neighbors, nCount);
    ReadOffsets(rb, nCount, offsets);
    const bool bHasZone = rb.ReadBool();
    if (!rb.Failed() && bHasZone && !ReadZone(rb, pPool)) {
        rb.SkipToEnd();
        return false;
    }
    ReadOffsets(rb, nCount, offsets);
    if (rb.Failed())
        return false;  // the file has said so, naming itself
    std::copy(neighbors, neighbors + kMaxNeighbors, m_nNeighbors);
    std::copy(offsets, offsets + kMaxNeighbors, m_neighborOffsets);
    return true;
}

bool gcRegion::ReadZone(const cReadBlock& rb, cMemPool* pPool)
{
    if (m_pZone)
        std::destroy_at(m_pZone);
    m_pZone = pPool ? pPool->New<eZone>() : nullptr;
    if (!m_pZone) {
        // The pool reported it (failing the file being read, if any).
        return false;
    }
    m_pZone->m_nLightmapStartIndex = kLightmapSlotBase + m_nRegionIndex;
    m_pZone->m_nLightmapTextures = 1;
    if (m_pZone->Read(rb.m_file, pPool))
        return true;
    std::destroy_at(m_pZone);
    m_pZone = nullptr;
    // A zone refused is a damaged file; one refused by a failure inside has
    // said so already.
    rb.m_file.Fail("gcRegion: the zone of \"%s\" was refused", m_name.m_sData);
    return false;
}

void gcRegion::GetFilename(int nAct, int nMap, int nRegion, cStr* pName)
{
    pName->Set("%s/Game/Act%02i/Map%02i/Region%02i.rgn", gcGameConfig::s_dataPath.m_sData, nAct + 1, nMap + 1,
               nRegion + 1);
}

gcRegion* gcRegion::GetResident(int slot)
{
    return slot >= 0 && slot < kMaxResident ? s_pRegions[slot] : nullptr;
}

int gcRegion::FindSlot(int nRegionId)
{
    for (int slot = 0; slot < kMaxResident; ++slot) {
        if (s_pRegions[slot] && s_pRegions[slot]->m_nRegionId == nRegionId)
            return slot;
    }
    return -1;
}

int gcRegion::GetSlotRegionId(int slot)
{
    const gcRegion* p = GetResident(slot);
    return p ? p->m_nRegionId : -1;
}

bool gcRegion::HasNeighbor(int nRegionId) const
{
    return nRegionId >= 0 && std::find(m_nNeighbors, m_nNeighbors + kMaxNeighbors, nRegionId) !=
                                 m_nNeighbors + kMaxNeighbors;
}

