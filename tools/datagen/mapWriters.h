#pragma once
// Writers for an act's files: the act ("Game/Act%02i/Act%02i.act"), its maps
// ("Map%02i/Map%02i.map"), their regions ("Region%02i.rgn") and the loading
// screens ("Game/LoadingScreens/LoadingScreen%02i.ls"), through the engine's
// own Write code or, for every version the game reads, laid out by hand.
// Offline tools and test fixtures; main thread, while no map is loaded (a
// map made for writing is the resident one while it lives).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/flowWriters.h"
#include "datagen/zoneWriter.h"
#include "mMath/mVec3.h"

class cMemPool;
class gcLoadingScreen;
class gcMap;

namespace datagen {

struct ActDesc {
    std::string name = "Act";
    std::vector<std::string> mapNames;       // at most 32 kept
    std::vector<KeyValueRecord> keyValues;   // slots from 0; the game drops them
    std::vector<int32_t> version2Ints;       // the list only version 2 stores
};

// The act through gcAct::Write (version 3).
bool WriteActFile(const std::string& path, const ActDesc& desc);
// The act block of version 1 to 3 as that version stored it.
BlockWriter& ActBlock(BlockWriter& w, uint32_t version, const ActDesc& desc);

// What a map file holds besides its groups, which are empty unless fill
// puts objects in them.
struct MapDesc {
    std::string name = "Map";
    std::vector<std::string> regionNames;        // at most 32
    std::vector<std::string> cinematicNames;     // at most 100
    int32_t initialRegion = 0;
    int32_t playerConfig = 0;
    mVec3 ambient{0.5f, 0.5f, 0.5f};
    mVec3 diffuse{0.5f, 0.5f, 0.5f};
    float lightHeading = 0.0f, lightPitch = -75.0f;  // version 23 on
    mVec3 lightVector{0.0f, 1.0f, 0.0f};             // before 23
    std::vector<int32_t> tracks;                     // at most 16; the rest -1
    float windHeading = 0.0f, windPitch = 0.0f;      // version 23 on
    mVec3 windVector{0.0f, 1.0f, 0.0f};              // before 23
    float windSpeed = 1.0f / (600.0f * 600.0f);
    int32_t gustStart = 300, gustEnd = 600;
    float farClip = 100.0f;
    float shadowClip = 100.0f;
    // Action members of MapBlock's events (0 OnMapStarted, 1 OnMapEnded),
    // laid before each list's -1; empty events when null.
    std::function<void(BlockWriter& w, int index)> eventActions;
};

// The fields of desc in a map, its groups emptied at their own begins.
void FillMap(gcMap& map, const MapDesc& desc);
// The map through gcMap::Write (version 27), made in pPool; fill, when
// given, changes it before it is written (its groups' ranges and objects).
bool WriteMapFile(const std::string& path, const MapDesc& desc, cMemPool* pPool,
                  const std::function<void(gcMap&)>& fill = nullptr);
// The groups of a map block in their order (the last six from the versions
// that store them).
enum MapGroup : int {
    kMapTextures,
    kMapMaterials,
    kMapSurfaces,
    kMapMeshes,
    kMapAnimations,
    kMapKeyValues,
    kMapFunctions,
    kMapEffectTemplates,
    kMapEffects,
    kMapBoundaries,
    kMapEntityTemplates,
    kMapEntities,
    kMapRegionPaths,
    kMapRegionPoints,
    kMapRegionTriggers,
    kMapDialogs,
    kMapTimers,
    kMapCinematics,
    kMapSprites,
    kMapStateMachines,
    kMapItemTemplates,
};
// The map block of a version from 13 to 27 as that version stored it, the
// sky without materials, the events empty unless desc.eventActions fills
// them, every group empty unless groups writes it.
BlockWriter& MapBlock(BlockWriter& w, uint32_t version, const MapDesc& desc, const GroupBlockFunc& groups = nullptr);

struct RegionDesc {
    std::string name = "Region";
    int32_t neighbors[4] = {-1, -1, -1, -1};
    mVec3 offsets[4] = {};
    bool bZone = true;
    ZoneDesc zone;
};

// The region block of version 1 (three neighbours) or 2, with the zone
// built from desc.zone (BuildZone) when desc.bZone.
BlockWriter& RegionBlock(BlockWriter& w, uint32_t version, const RegionDesc& desc, const ZoneData& zone);
// A region file of version 2; false (logged) when the zone cannot be built.
bool WriteRegionFile(const std::string& path, const RegionDesc& desc);

// A loading screen through gcLoadingScreen::Write (version 2), its groups
// empty unless fill puts objects in them.
bool WriteLoadingScreenFile(const std::string& path, const char* name, cMemPool* pPool,
                            const std::function<void(gcLoadingScreen&)>& fill = nullptr);
// The loading-screen block of version 1 (no sprites) or 2, groups empty.
BlockWriter& LoadingScreenBlock(BlockWriter& w, uint32_t version, const char* name);

}  // namespace datagen
