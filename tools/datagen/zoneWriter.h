#pragma once
// Builds zones from triangles and writes them as the console stores them:
// positions and coordinates quantised to the stored formats, triangles
// filed in the visibility and collision octrees by their bounding spheres,
// grouped per material and lightmap into triangle strips and display lists,
// collision triangles into lists per surface, plus the material and surface
// tables, an optional light grid and lightmap textures. Also the console
// platform-block writer that eZone::Write uses on this host. Offline tools
// and test fixtures; main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/materialWriters.h"
#include "mMath/mVec3.h"

class cFile;
class eLightGrid;
class eZone;

namespace datagen {

struct ZoneVertex {
    mVec3 pos;           // zone space; stored in 1/256 units, so within +-128
    mVec3 normal;        // any length; stored as the nearest of the 252 table normals
    float u = 0, v = 0;  // the first coordinate set (the material's textures)
    float lu = 0, lv = 0;  // the second set (the lightmap's)
};

// Corners counter-clockwise seen from the side that is drawn.
struct ZoneTriangle {
    ZoneVertex v[3];
    uint8_t material = 0;  // index into ZoneDesc::materials
    uint8_t lightmap = 0;  // which lightmap texture
    uint8_t surface = 0;   // index into ZoneDesc::surfaces
    bool bDraw = true;
    bool bCollide = true;
};

struct ZoneDesc {
    std::string name = "zone";
    uint32_t version = 5;          // 2 to 5
    mVec3 boxMin{-64, -64, -64};   // the zone's box
    mVec3 boxMax{64, 64, 64};
    mVec3 exportOffset{0, 0, 0};   // version 4 and later
    float treeSize = 128;          // both trees: edge of the root cube
    float looseScale = 2;
    int visLevels = 4;
    int colLevels = 4;
    std::vector<uint32_t> materials;  // handle values
    std::vector<uint32_t> surfaces;   // handle values (not stored before version 3)
    std::vector<ZoneTriangle> triangles;
    bool bFourCoordSets = false;      // vertex format 1 strips instead of 0
    const eLightGrid* pLightGrid = nullptr;  // version 5
    bool bLightmap = false;
    std::vector<TextureFileDesc> lightmaps;
};

// The stored form of a built zone, open for tests to inspect or damage.
struct ZoneData {
    struct Strip {
        uint16_t next, flags, tris, offset, size;
        uint8_t material, lightmap;
    };
    struct TriList {
        uint16_t next, first, count;
        uint8_t surface;
    };
    std::vector<uint16_t> visNodes;  // count, first per node
    std::vector<uint16_t> colNodes;
    std::vector<Strip> strips;
    std::vector<uint8_t> displayLists;  // 32-byte aligned lists, as stored
    std::vector<uint8_t> positions;     // big-endian, 6 bytes each
    std::vector<uint8_t> texCoords[2];  // big-endian, 4 bytes each: [0] first set, [1] second
    std::vector<TriList> triLists;
    std::vector<uint16_t> colTris;      // 3 vertex indices each
    std::vector<int16_t> colVerts;      // 3 each, 1/256 units
    int nStripPrimitives = 0;           // triangle strips in all display lists
};

// Adds a quad with corners counter-clockwise as two triangles facing +z
// shading, coordinates 0..1 in both sets, of that material.
void AddQuad(ZoneDesc* pDesc, const mVec3 (&c)[4], uint8_t material);

// False (logged) when a triangle lies outside the trees, a table index is
// out of range, or the zone outgrows the stored formats' 16-bit indices.
bool BuildZone(const ZoneDesc& desc, ZoneData* pData);
// The zone block of that version, with its platform block.
BlockWriter& ZoneBlock(BlockWriter& w, const ZoneDesc& desc, const ZoneData& data);
// Builds and writes a file holding one zone.
bool WriteZoneFile(const std::string& path, const ZoneDesc& desc);
bool WriteZoneFile(const std::string& path, const ZoneDesc& desc, const ZoneData& data);

// The console platform block of a zone in memory, for eZone::Write; install
// it as eZone::s_platformWrite[cFile::kPlatformConsole].
void WriteConsoleZonePlatform(const eZone& zone, const cFile& file);

}  // namespace datagen
