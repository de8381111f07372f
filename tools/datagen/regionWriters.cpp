#include "datagen/regionWriters.h"

#include <cmath>
#include <functional>

#include "cCore/cLog.h"
#include "eEngine/ePath.h"
#include "gcGameCore/entities/gcBoundary.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/entities/gcRegionTrigger.h"

namespace datagen {

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kObjectVersion = 1;
constexpr uint32_t kGroupVersion = 2;
constexpr uint32_t kTopLevelVersion = 1;

// The cObject block, then the region id (no padding follows) and the frame.
void PlacedObject(BlockWriter& w, const std::string& name, int16_t regionId, const FrameFloats& frame)
{
    w.Begin(kObjectVersion).Begin(kBaseVersion).End().Name(name.c_str()).End();
    w.Half(static_cast<uint16_t>(regionId));
    for (float f : frame)
        w.Float(f);
}

// One record per index, each of the object type id, in a group block.
bool WriteGroup(const std::string& path, const cType* pGroupType, const cType* pType, int beginSlot, size_t count,
                int nSlots, const std::function<void(BlockWriter&, size_t)>& record)
{
    if (beginSlot < 0 || beginSlot + static_cast<int64_t>(count) > nSlots) {
        cLogError_("datagen: %s slots %d to %zu outside the manager's %d", pType->m_sTypeName, beginSlot,
                   beginSlot + count, nSlots);
        return false;
    }
    BlockWriter w;
    w.Header().Begin(kTopLevelVersion).Word(pGroupType->m_nTypeId);
    w.Begin(kGroupVersion).Begin(kBaseVersion).End();
    w.Int(beginSlot).Int(beginSlot + static_cast<int32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        w.Half(static_cast<uint16_t>(0x100 + beginSlot + static_cast<int>(i))).Word(pType->m_nTypeId);
        record(w, i);
    }
    w.End().End().Trailer();
    return w.Save(path);
}

}  // namespace

FrameFloats FrameAt(float x, float y, float z)
{
    FrameFloats f = kIdentityFrame;
    f[0] = x;
    f[1] = y;
    f[2] = z;
    return f;
}

RegionTriggerDesc BoxTrigger(const char* name, int16_t regionId, float x, float y, float z, const FrameFloats& frame)
{
    RegionTriggerDesc t;
    t.name = name;
    t.regionId = regionId;
    t.volume.type = 1;
    t.volume.boxSize[0] = x;
    t.volume.boxSize[1] = y;
    t.volume.boxSize[2] = z;
    t.volume.radius = std::sqrt(x * x + y * y + z * z) / 2;
    t.volume.frame = frame;
    return t;
}

BlockWriter& RegionPointBlock(BlockWriter& w, const RegionPointDesc& d)
{
    w.Begin(gcRegionPoint::kVersion);
    PlacedObject(w, d.name, d.regionId, d.frame);
    return w.End();
}

BlockWriter& RegionPathBlock(BlockWriter& w, const RegionPathDesc& d)
{
    w.Begin(gcRegionPath::kVersion);
    PlacedObject(w, d.name, d.regionId, d.frame);
    w.Begin(ePath::kVersion).Begin(kObjectVersion).Begin(kBaseVersion).End().Name(d.name.c_str()).End();
    std::vector<float> dist(d.points.size(), 0.0f);
    for (size_t i = 1; i < d.points.size(); ++i) {
        const PathPointDesc& a = d.points[i - 1];
        const PathPointDesc& b = d.points[i];
        dist[i] = dist[i - 1] + std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
    }
    w.Int(static_cast<int32_t>(d.points.size())).Float(dist.empty() ? 0.0f : dist.back());
    for (size_t i = 0; i < d.points.size(); ++i)
        w.Float(d.points[i].x).Float(d.points[i].y).Float(d.points[i].z).Float(d.points[i].roll).Float(dist[i]);
    return w.End().End();
}

BlockWriter& BoundaryBlock(BlockWriter& w, const BoundaryDesc& d, uint32_t version)
{
    w.Begin(version);
    PlacedObject(w, d.name, d.regionId, d.frame);
    w.Float(d.width).Float(d.depth);
    if (version >= 2)
        w.Int(d.circular).Float(d.radius).Word(d.neighbors[0]).Word(d.neighbors[1]);
    return w.End();
}

BlockWriter& VolumeBlock(BlockWriter& w, const VolumeDesc& d)
{
    w.Begin(eVolume::kVersion).Begin(kBaseVersion).End();
    w.Int(d.type).Float(d.radius).Float(d.boxSize[0]).Float(d.boxSize[1]).Float(d.boxSize[2]);
    for (float f : d.frame)
        w.Float(f);
    return w.End();
}

BlockWriter& RegionTriggerBlock(BlockWriter& w, const RegionTriggerDesc& d, uint32_t version)
{
    w.Begin(version);
    w.Begin(gcGameObject::kVersion).Begin(kObjectVersion).Begin(kBaseVersion).End().Name(d.name.c_str()).End().End();
    w.Int(d.active).Half(static_cast<uint16_t>(d.regionId));
    VolumeBlock(w, d.volume);
    if (version >= 3)
        w.Int(d.respondTo).Word(d.hEntity);
    for (int i = 0; i < 3; ++i) {
        w.Begin(i == d.damagedEvent ? gcEvent::kVersion - 1 : gcEvent::kVersion).Begin(kBaseVersion).End();
        if (d.actions)
            d.actions(w, i);
        w.Int(-1).End();
    }
    return w.End();
}

bool WriteRegionPointGroupFile(const std::string& path, int beginSlot, const std::vector<RegionPointDesc>& points)
{
    return WriteGroup(path, gcRegionPointGroup::GetStaticType(), gcRegionPoint::GetStaticType(), beginSlot,
                      points.size(), gcRegionPointMgr::kSlots,
                      [&](BlockWriter& w, size_t i) { RegionPointBlock(w, points[i]); });
}

bool WriteRegionPathGroupFile(const std::string& path, int beginSlot, const std::vector<RegionPathDesc>& paths)
{
    return WriteGroup(path, gcRegionPathGroup::GetStaticType(), gcRegionPath::GetStaticType(), beginSlot,
                      paths.size(), gcRegionPathMgr::kSlots,
                      [&](BlockWriter& w, size_t i) { RegionPathBlock(w, paths[i]); });
}

bool WriteBoundaryGroupFile(const std::string& path, int beginSlot, const std::vector<BoundaryDesc>& boundaries,
                            uint32_t version)
{
    return WriteGroup(path, gcBoundaryGroup::GetStaticType(), gcBoundary::GetStaticType(), beginSlot,
                      boundaries.size(), gcBoundaryMgr::kSlots,
                      [&](BlockWriter& w, size_t i) { BoundaryBlock(w, boundaries[i], version); });
}

bool WriteRegionTriggerGroupFile(const std::string& path, int beginSlot, const std::vector<RegionTriggerDesc>& triggers,
                                 uint32_t version)
{
    return WriteGroup(path, gcRegionTriggerGroup::GetStaticType(), gcRegionTrigger::GetStaticType(), beginSlot,
                      triggers.size(), gcRegionTriggerMgr::kSlots,
                      [&](BlockWriter& w, size_t i) { RegionTriggerBlock(w, triggers[i], version); });
}

}  // namespace datagen
