#pragma once
// One piece of a map's world: a file of its own, "Region%02i.rgn", holding
// one zone and the ids of up to four neighbouring regions with the origins
// of their zones in this region's frame. At most five regions are resident,
// each in its own "Region" pool and slot; the map places and attaches them
// (gcMap's region members). Loaded on a loader thread into a slot the main
// thread does not touch meanwhile. Type id 69.

#include <cstdint>

#include "cCore/cObject.h"
#include "cCore/cStr.h"
#include "mMath/mVec3.h"

class cReadBlock;
class eZone;

class gcRegion : public cObject {
    QM_DECLARE_TYPE(gcRegion)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int kMaxResident = 5;
    static constexpr int kMaxNeighbors = 4;
    static constexpr int kLightmapSlotBase = 350;  // the zone of slot s uses texture slot 350 + s

    // No slot, no id, no neighbours, no zone.
    gcRegion();
    // An empty region: nothing of the source is copied.
    gcRegion(const gcRegion&);
    gcRegion& operator=(const gcRegion&) = delete;
    // Deletes the zone and clears the region's resident slot.
    ~gcRegion() override;
    cBase* Copy(cMemPool* pPool) const override;

    // Version 2: the cObject block, 4 neighbour ids, 4 offsets, whether a
    // zone follows, the zone, the offsets again.
    void Write(const cFile& file) const override;
    // Versions 1 (three neighbours) and 2. The zone is made in the pool with
    // its lightmap in texture slot 350 + m_nRegionIndex. The offsets stored
    // after the zone are the ones kept. A refused or damaged block leaves
    // the neighbours as they were (a zone already replaced stays).
    bool Read(const cFile& file, cMemPool* pPool) override;
    // Replaces the zone with the one the block holds.
    bool ReadZone(const cReadBlock& rb, cMemPool* pPool);

    // "%s/Game/Act%02i/Map%02i/Region%02i.rgn" with the data path and the
    // 0-based act, map and region ids plus one.
    static void GetFilename(int nAct, int nMap, int nRegion, cStr* pName);
    // The region in a resident slot, or null.
    static gcRegion* GetResident(int slot);
    // The first resident slot holding the region id; -1 when none.
    static int FindSlot(int nRegionId);
    // The id of the region in a resident slot; -1 for an empty slot or one
    // outside 0..kMaxResident-1.
    static int GetSlotRegionId(int slot);
    // Whether the id is one of the region's neighbours (never for -1).
    bool HasNeighbor(int nRegionId) const;

    int32_t m_nRegionIndex = -1;  // resident slot 0..4
    int32_t m_nRegionId = -1;     // index into the map's region names
    int32_t m_nNeighbors[kMaxNeighbors] = {-1, -1, -1, -1};
    mVec3 m_neighborOffsets[kMaxNeighbors] = {};
    eZone* m_pZone = nullptr;     // in the region's pool

    static gcRegion* s_pRegions[kMaxResident];  // by slot; null = empty
    static int s_nCurrentRegion;                // slot of the region the camera is in; -1 none
};
