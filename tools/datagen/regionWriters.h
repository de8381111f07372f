#pragma once
// Writers for the objects a map places relative to its regions: region
// points, region paths and boundaries, their blocks laid out field by field
// (so that the engine's round trip checks the layout, the unpadded 16-bit
// region id among it) and their groups. Offline tools and test fixtures;
// main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/entityWriters.h"
#include "datagen/particleWriters.h"

namespace datagen {

// A frame as stored: origin, then the basis rows right, forward, up.
using FrameFloats = std::vector<float>;
inline const FrameFloats kIdentityFrame = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};

struct RegionPointDesc {
    std::string name = "point";
    int16_t regionId = -1;
    FrameFloats frame = kIdentityFrame;  // 12 floats
};

struct RegionPathDesc {
    std::string name = "path";
    int16_t regionId = -1;
    FrameFloats frame = kIdentityFrame;
    // The path's points in its own frame; distances are the running sums of
    // the segment lengths.
    std::vector<PathPointDesc> points;
};

struct BoundaryDesc {
    std::string name = "boundary";
    int16_t regionId = -1;
    FrameFloats frame = kIdentityFrame;
    float width = 1.0f;
    float depth = 1.0f;
    bool circular = false;              // version 2 on, with radius and neighbours
    float radius = 1.0f;
    uint32_t neighbors[2] = {0, 0};
};

struct VolumeDesc {
    int32_t type = 1;                 // 0 sphere, 1 box, 2 plane
    float radius = 0.8660254f;        // sphere radius, else the bounding radius
    float boxSize[3] = {1, 1, 1};     // box: full size; plane: width, height, 0
    FrameFloats frame = kIdentityFrame;
};

struct RegionTriggerDesc {
    std::string name = "trigger";
    bool active = true;
    int16_t regionId = -1;
    VolumeDesc volume;
    int32_t respondTo = 2;            // version 3 on
    uint32_t hEntity = 0;             // version 3 on
    // Event indices in the order the block stores them: OnEnter, OnInside,
    // OnExit (a plane's in versions 2 and 3: OnExit, OnInside, OnEnter).
    EventActionsFunc actions;
    int damagedEvent = -1;            // this event's block gets a version events refuse
};

// A frame at (x, y, z) with the identity basis.
FrameFloats FrameAt(float x, float y, float z);
// A trigger in region regionId whose volume is a box of full size x, y, z
// at frame (its bounding radius half the box's diagonal), with no actions.
RegionTriggerDesc BoxTrigger(const char* name, int16_t regionId, float x, float y, float z, const FrameFloats& frame);

// One block (region points and paths: version 1; boundaries: 1 or 2).
BlockWriter& RegionPointBlock(BlockWriter& w, const RegionPointDesc& desc);
BlockWriter& RegionPathBlock(BlockWriter& w, const RegionPathDesc& desc);
BlockWriter& BoundaryBlock(BlockWriter& w, const BoundaryDesc& desc, uint32_t version);
// A trigger volume's own block (version 1).
BlockWriter& VolumeBlock(BlockWriter& w, const VolumeDesc& desc);
// A region trigger block of version 2 to 4.
BlockWriter& RegionTriggerBlock(BlockWriter& w, const RegionTriggerDesc& desc, uint32_t version);

// A group over slots beginSlot.. with one record per desc (check 0x100 +
// slot), as a data file at a host path. False (logged) for slots outside the
// manager or a failed write.
bool WriteRegionPointGroupFile(const std::string& path, int beginSlot, const std::vector<RegionPointDesc>& points);
bool WriteRegionPathGroupFile(const std::string& path, int beginSlot, const std::vector<RegionPathDesc>& paths);
bool WriteBoundaryGroupFile(const std::string& path, int beginSlot, const std::vector<BoundaryDesc>& boundaries,
                            uint32_t version);
bool WriteRegionTriggerGroupFile(const std::string& path, int beginSlot, const std::vector<RegionTriggerDesc>& triggers,
                                 uint32_t version);

}  // namespace datagen
