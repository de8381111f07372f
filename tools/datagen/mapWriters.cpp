#include "datagen/mapWriters.h"

#include <memory>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/modelWriters.h"
#include "eEngine/eShadow.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcMap.h"

namespace datagen {
namespace {

// The empty groups of a map file in its order, each at its default first slot.
constexpr int32_t kFirstGroups[] = {150, 300, 300, 120, 250, 150, 200, 100, 5, 5, 5, 5, 5, 5, 5};

BlockWriter& Names(BlockWriter& w, const std::vector<std::string>& names, size_t count)
{
    w.Int(static_cast<int32_t>(count));
    for (size_t i = 0; i < count; ++i)
        w.Name(i < names.size() ? names[i].c_str() : "");
    return w;
}

BlockWriter& Vec3(BlockWriter& w, const mVec3& v)
{
    return w.Float(v.x).Float(v.y).Float(v.z);
}

void EmptyRange(cGroup* pGroup)
{
    if (pGroup)
        pGroup->m_nEnd = pGroup->m_nBegin;
}

}  // namespace

void FillMap(gcMap& map, const MapDesc& desc)
{
    map.m_name.Set("%s", desc.name.c_str());
    SetNames(map.m_regionNames, gcMap::kMaxRegionNames, desc.regionNames);
    SetNames(map.m_streamedCinematicNames, gcMap::kMaxStreamedCinematics, desc.cinematicNames);
    map.m_nInitialRegionId = desc.initialRegion;
    map.m_nPlayerConfigId = desc.playerConfig;
    map.m_lightAmbient = desc.ambient;
    map.m_lightDiffuse = desc.diffuse;
    map.m_fLightHeading = desc.lightHeading;
    map.m_fLightPitch = desc.lightPitch;
    for (size_t i = 0; i < desc.tracks.size() && i < static_cast<size_t>(gcMap::kMaxMapTracks); ++i)
        map.m_nMapTracks[i] = desc.tracks[i];
    map.m_fWindHeading = desc.windHeading;
    map.m_fWindPitch = desc.windPitch;
    map.m_fWindSpeed = desc.windSpeed;
    map.m_gustIntervalStart = cTimeValue(desc.gustStart);
    map.m_gustIntervalEnd = cTimeValue(desc.gustEnd);
    map.m_fFarClip = desc.farClip;
    map.m_fShadowClip = desc.shadowClip;
    EmptyRanges(map.m_textures, map.m_materials, map.m_surfaces, map.m_meshes, map.m_animations, map.m_keyValues,
                map.m_functions, map.m_entityTemplates, map.m_entities, map.m_regionPaths, map.m_regionPoints,
                map.m_effects, map.m_effectTemplates, map.m_boundaries, map.m_UIDialogs, map.m_timers,
                map.m_sprites, map.m_stateMachines);
    EmptyRange(map.m_pRegionTriggers);
    EmptyRange(map.m_pCinematics);
    EmptyRange(map.m_pItemTemplates);
}

bool WriteActFile(const std::string& path, const ActDesc& desc)
{
    cMemPool pool("datagen Act", 0x8000, false);
    return WriteResidentBody<gcAct>(path, &pool, gcAct::s_pAct, [&](gcAct& act) {
        act.m_name.Set("%s", desc.name.c_str());
        SetNames(act.m_mapNames, gcAct::kMaxMaps, desc.mapNames);
    });
}

BlockWriter& ActBlock(BlockWriter& w, uint32_t version, const ActDesc& desc)
{
    ObjectBlock(w.Begin(version), desc.name.c_str());
    Names(w, desc.mapNames, gcAct::kMaxMaps);
    KeyValueGroupBlock(w, 0, desc.keyValues);
    if (version == 2) {
        w.Int(static_cast<int32_t>(desc.version2Ints.size()));
        for (int32_t v : desc.version2Ints)
            w.Int(v);
    }
    return w.End();
}

bool WriteMapFile(const std::string& path, const MapDesc& desc, cMemPool* pPool,
                  const std::function<void(gcMap&)>& fill)
{
    eSky* const pSky = eZone::s_pSky;
    const float fShadowClip = eShadow::s_fShadowClip;
    const bool ok = WriteResidentBody<gcMap>(path, pPool, gcMap::s_pMap, [&](gcMap& map) {
        FillMap(map, desc);
        if (fill)
            fill(map);
    });
    eZone::s_pSky = pSky;
    eShadow::s_fShadowClip = fShadowClip;
    return ok;
}

BlockWriter& MapBlock(BlockWriter& w, uint32_t version, const MapDesc& desc, const GroupBlockFunc& groups)
{
    const auto group = [&](int index, int32_t begin) {
        if (!groups || !groups(w, index))
            EmptyGroupBlock(w, begin);
    };
    ObjectBlock(w.Begin(version), desc.name.c_str());
    Names(w, desc.regionNames, gcMap::kMaxRegionNames);
    if (version >= 22)
        Names(w, desc.cinematicNames, gcMap::kMaxStreamedCinematics);
    w.Int(desc.initialRegion).Int(desc.playerConfig);
    int index = 0;
    for (int32_t begin : kFirstGroups)
        group(index++, begin);
    // Dialogs, timers, cinematics, sprites, state machines, item templates.
    const struct {
        uint32_t since;
        int32_t begin;
    } kLaterGroups[] = {{14, 100}, {19, 50}, {21, 5}, {22, 200}, {24, 150}, {25, 50}};
    for (const auto& g : kLaterGroups) {
        if (version >= g.since)
            group(index, g.begin);
        ++index;
    }
    Vec3(w, desc.ambient);
    Vec3(w, desc.diffuse);
    if (version >= 23)
        w.Float(desc.lightHeading).Float(desc.lightPitch);
    else
        Vec3(w, desc.lightVector);
    SkyBlock(w, SkyDesc{});
    const int nEvents = version >= 18 ? 2 : 1;
    for (int i = 0; i < nEvents; ++i) {
        w.Begin(3).Begin(1).End();
        if (desc.eventActions)
            desc.eventActions(w, i);
        w.Int(-1).End();
    }
    if (version >= 15) {
        w.Int(gcMap::kMaxMapTracks);
        for (size_t i = 0; i < static_cast<size_t>(gcMap::kMaxMapTracks); ++i)
            w.Int(i < desc.tracks.size() ? desc.tracks[i] : -1);
    }
    if (version >= 23)
        w.Float(desc.windHeading).Float(desc.windPitch);
    else
        Vec3(w, desc.windVector);
    if (version >= 20)
        w.Float(desc.windSpeed).Int(desc.gustStart).Int(desc.gustEnd);
    else
        w.Int(0).Int(0).Int(0);
    if (version >= 17)
        w.Float(desc.farClip);
    if (version >= 26)
        w.Float(desc.shadowClip);
    return w.End();
}

BlockWriter& RegionBlock(BlockWriter& w, uint32_t version, const RegionDesc& desc, const ZoneData& zone)
{
    const int nCount = version == 1 ? 3 : 4;
    const auto offsets = [&] {
        for (int i = 0; i < nCount; ++i)
            Vec3(w, desc.offsets[i]);
    };
    ObjectBlock(w.Begin(version), desc.name.c_str());
    for (int i = 0; i < nCount; ++i)
        w.Int(desc.neighbors[i]);
    offsets();
    w.Int(desc.bZone ? 1 : 0);
    if (desc.bZone)
        ZoneBlock(w, desc.zone, zone);
    offsets();
    return w.End();
}

bool WriteRegionFile(const std::string& path, const RegionDesc& desc)
{
    ZoneData zone;
    if (desc.bZone && !BuildZone(desc.zone, &zone))
        return false;
    BlockWriter w;
    return RegionBlock(w.Header(), 2, desc, zone).Trailer().Save(path);
}

bool WriteLoadingScreenFile(const std::string& path, const char* name, cMemPool* pPool,
                            const std::function<void(gcLoadingScreen&)>& fill)
{
    return WriteResidentBody<gcLoadingScreen>(
        path, pPool, gcLoadingScreen::s_pLoadingScreen,
        [&](gcLoadingScreen& screen) {
            screen.m_name.Set("%s", name);
            EmptyRanges(screen.m_textures, screen.m_materials, screen.m_sprites, screen.m_UIDialogs);
            if (fill)
                fill(screen);
        },
        0);
}

BlockWriter& LoadingScreenBlock(BlockWriter& w, uint32_t version, const char* name)
{
    ObjectBlock(w.Begin(version), name);
    EmptyGroupBlock(w, 400);
    EmptyGroupBlock(w, 600);
    if (version >= 2)
        EmptyGroupBlock(w, 500);
    return EmptyGroupBlock(w, 20).End();
}

}  // namespace datagen
