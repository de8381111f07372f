// Loader-suite rows of damaged display lists, one of each fault in each kind
// of file that holds lists: a mesh in a player configuration's group, a mesh
// in a map's group, and a region's zone. Each is refused with one error that
// names the file, the record and the fault.
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/flowWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/modelWriters.h"
#include "eEngine/eMesh.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/flow/gcRegion.h"
#include "loaderSuiteRowsDisplayLists.h"

namespace {

using Path = const std::string&;

// The fault laid in the first list's first draw: its op, count (u16) and
// first vertex's position index (u16) are bytes 0, 1-2 and 3-4.
struct ListFault {
    const char* name;
    void (*damage)(std::vector<uint8_t>& lists);
    const char* says;
};

const ListFault kFaults[] = {
    {"an index past its array", [](std::vector<uint8_t>& l) { l[3] = l[4] = 0xFF; }, "GX_VA_POS index 65535 beyond"},
    {"a vertex count past the list", [](std::vector<uint8_t>& l) { l[1] = l[2] = 0xFF; }, "cut by the list's end"},
    {"an unknown command", [](std::vector<uint8_t>& l) { l[0] = 0x18; }, "unknown command 0x18 at byte 0"},
};

// A rigid triangle on a node of its own.
datagen::MeshDesc Figure()
{
    datagen::MeshDesc d;
    d.name = "figure";
    d.nodes = {{"root", -1, datagen::MeshNodeDesc::Identity()}, {"bone", 0, datagen::MeshNodeDesc::Identity()}};
    d.bonesStart = 1;
    d.nBones = 1;
    datagen::MeshObjectDesc object;
    object.node = 1;
    for (int i = 0; i < 3; ++i) {
        datagen::MeshVertex v;
        v.pos.Set(0, static_cast<float>(i), 0);
        object.corners.push_back(v);
    }
    d.objects.push_back(object);
    return d;
}

// A group from begin whose one mesh has the fault.
bool DamagedMeshGroup(datagen::BlockWriter& w, int32_t begin, const ListFault& fault)
{
    const datagen::MeshDesc desc = Figure();
    datagen::MeshData data;
    if (!datagen::BuildMesh(desc, &data))
        return false;
    fault.damage(data.displayLists);
    datagen::GroupBlock(w, begin, {{0x100, [desc, data](datagen::BlockWriter& b) {
                                        b.Int(static_cast<int32_t>(eMesh::GetStaticType()->m_nTypeId));
                                        datagen::MeshBlock(b, desc, data);
                                    }}});
    return true;
}

constexpr int32_t kPlayerMeshBegin = 100;  // the player configuration's mesh group
constexpr int32_t kMapMeshBegin = 120;     // the map's

}  // namespace

void AddDisplayListRows(std::vector<LoaderRow>& rows, const DisplayListRowLoaders& loaders)
{
    for (const ListFault& fault : kFaults) {
        LoaderRow player;
        player.name = std::string("gcPlayerConfig v4, its mesh's list with ") + fault.name;
        player.writers = {"PlayerConfigBlock", "MeshBlock"};
        player.write = [&fault](LoaderEnv&, Path p) {
            datagen::BlockWriter w;
            datagen::PlayerConfigBlock(w.Header(), gcPlayerConfig::kVersion, "Hero", [&fault](datagen::BlockWriter& b, int i) {
                return i == datagen::kPlayerMeshes && DamagedMeshGroup(b, kPlayerMeshBegin, fault);
            }).Trailer();
            return w.Save(p);
        };
        player.type = [] { return gcPlayerConfig::GetStaticType(); };
        player.bNewest = false;
        player.setup = loaders.playerSetup;
        player.load = loaders.playerLoad;
        player.refusal = {"PlayerConfig01.pc\": eMeshGroup: record 0 (slot 100): eMesh \"figure\": the display list of "
                          "object 0 of material 0 has ",
                          fault.says};
        rows.push_back(player);

        LoaderRow map = player;
        map.name = "gcMap v" + std::to_string(gcMap::kVersion);
        map.name.append(", its mesh's list with ").append(fault.name);
        map.writers = {"MapBlock", "MeshBlock"};
        map.write = [&fault](LoaderEnv&, Path p) {
            datagen::MapDesc desc;
            desc.name = "Meadow";
            desc.regionNames = {"West"};
            datagen::BlockWriter w;
            datagen::MapBlock(w.Header(), gcMap::kVersion, desc, [&fault](datagen::BlockWriter& b, int i) {
                return i == datagen::kMapMeshes && DamagedMeshGroup(b, kMapMeshBegin, fault);
            }).Trailer();
            return w.Save(p);
        };
        map.type = [] { return gcMap::GetStaticType(); };
        map.setup = loaders.mapSetup;
        map.load = loaders.mapLoad;
        map.refusal = {"Map01.map\": eMeshGroup: record 0 (slot 120): eMesh \"figure\": the display list of object 0 "
                       "of material 0 has ",
                       fault.says};
        rows.push_back(map);

        LoaderRow region = player;
        region.name = std::string("gcRegion v2, its zone's list with ") + fault.name;
        region.writers = {"RegionBlock"};
        region.write = [&fault, regionDesc = loaders.regionDesc](LoaderEnv& env, Path p) {
            const datagen::RegionDesc desc = regionDesc(env);
            datagen::ZoneData zone;
            if (!datagen::BuildZone(desc.zone, &zone))
                return false;
            fault.damage(zone.displayLists);
            datagen::BlockWriter w;
            return datagen::RegionBlock(w.Header(), 2, desc, zone).Trailer().Save(p);
        };
        region.type = [] { return gcRegion::GetStaticType(); };
        region.setup = loaders.regionSetup;
        region.load = loaders.regionLoad;
        region.refusal = {"load.dat\": ", "eZone \"room\": strip ", " has a display list with ", fault.says};
        rows.push_back(region);
    }
}
