#pragma once
// Writers for the world's data: collision surface groups and light grids,
// written through the engine's own Write code. Offline tools and test
// fixtures; main thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class cMemPool;
class eLightGrid;
class eSurface;
struct mVec3;

namespace datagen {

// One record of a surface group: the surface (null for an empty record) and
// the check value its handle gets.
struct SurfaceRecord {
    eSurface* pSurface;
    uint16_t check;
};

// Writes an eSurfaceGroup over slots beginSlot .. beginSlot + records - 1 as
// a console data file at a host path. The surfaces are placed in the surface
// manager only while the group is written; the slots get their old contents
// back. The surfaces must be of a class with a factory for the file to load.
// False (logged) for a range outside the manager or a failed write.
bool WriteSurfaceGroupFile(const std::string& path, int beginSlot, const std::vector<SurfaceRecord>& records);

// Builds a light grid of that shape in the pool and lights every sample for
// which lit(level, sample position in zone space) holds. Null (logged) for a
// shape the engine refuses or a full pool.
eLightGrid* BuildLightGrid(int levels, int resolution, float size, cMemPool* pPool,
                           const std::function<bool(int level, const mVec3& pos)>& lit);

// Saves a light grid as a console data file at a host path.
bool WriteLightGridFile(const std::string& path, const eLightGrid& grid);

}  // namespace datagen
