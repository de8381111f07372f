#include "gcGameCore/flow/gcMap.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eShadow.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eZone.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcEntitySeam.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGamePools.h"
#include "gcGameCore/flow/gcMapCinematics.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcString.h"

QM_DEFINE_TYPE(gcMap, cObject, 68)

gcMap* gcMap::s_pMap = nullptr;

namespace {

constexpr float kRadToDeg = 57.29578f;

// Slot ranges of the map's own groups (those the type registry makes are
// given theirs where they are made).
constexpr int32_t kTriggersBegin = 5, kTriggersEnd = 200;
constexpr int32_t kCinematicsBegin = 5, kCinematicsEnd = 100;
constexpr int32_t kItemTemplatesBegin = 50, kItemTemplatesEnd = 100;
constexpr int32_t kSoundBegin = 250, kSoundEnd = 450;
constexpr int32_t kVoiceOversBegin = 0, kVoiceOversEnd = 100;
constexpr int32_t kStringsBegin = 550, kStringsEnd = 800;

// An old file's direction vector as heading and pitch in degrees.
void VectorToAngles(const mVec3& v, float* pHeading, float* pPitch)
{
    *pHeading = kRadToDeg * std::atan2(-v.x, v.y);
    *pPitch = kRadToDeg * std::asin(std::clamp(v.z, -1.0f, 1.0f));
}

void ReadVec3(const cReadBlock& rb, mVec3* pOut)
{
    pOut->x = rb.ReadFloat();
    pOut->y = rb.ReadFloat();
    pOut->z = rb.ReadFloat();
}

void WriteVec3(const cWriteBlock& wb, const mVec3& v)
{
    wb.WriteFloat(v.x);
    wb.WriteFloat(v.y);
    wb.WriteFloat(v.z);
}

// A group the type registry makes: read when this build has its class,
// otherwise skipped with a warning.
bool ReadSeamGroup(cGroup* pGroup, const char* sWhat, const cFile& file, cMemPool* pPool)
{
    return gcEntitySeam::ReadGroup(pGroup, sWhat, file, pPool);
}

template <class Mgr, class T>
void ResetRange(const cGroup& group, cMemPool* pPool)
{
    for (int32_t slot = group.FirstTableSlot(); slot < group.EndTableSlot(); ++slot) {
        if (T* p = Mgr::GetPtr(Mgr::GetHandle(slot)))
            p->Reset(pPool);
    }
}

template <class Mgr>
void RemoveRangeBackwards(const cGroup& group)
{
    for (int32_t slot = group.EndTableSlot() - 1; slot >= group.FirstTableSlot(); --slot)
        Mgr::Remove(slot);
}

}  // namespace

gcMap::gcMap() : m_onMapStarted("OnMapStarted", m_name.m_sData), m_onMapEnded("OnMapEnded", m_name.m_sData)
{
    std::fill(std::begin(m_nMapTracks), std::end(m_nMapTracks), -1);
    std::fill(std::begin(m_nMapTrackIndex), std::end(m_nMapTrackIndex), -1);
    m_gustIntervalStart = cTimeValue(300);
    m_gustIntervalEnd = cTimeValue(600);
    SetDefaultRanges();
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    m_pRegionTriggers = gcEntitySeam::NewGroup(kRegionTriggerGroupId, pPool, kTriggersBegin, kTriggersEnd);
    m_pCinematics = gcEntitySeam::NewGroup(kCinematicGroupId, pPool, kCinematicsBegin, kCinematicsEnd);
    m_pItemTemplates =
        gcEntitySeam::NewGroup(gcEntitySeam::kItemTemplateGroupId, pPool, kItemTemplatesBegin, kItemTemplatesEnd);
    s_pMap = this;
    eZone::s_pSky = &m_sky;
    gcEffect::SetForces(mVec3{0.0f, 1.0f, 0.0f}, m_gravity);
}

// A copy takes its ranges from the file it is read from.
gcMap::gcMap(const gcMap& other)
    : cObject(other), m_onMapStarted("OnMapStarted", m_name.m_sData), m_onMapEnded("OnMapEnded", m_name.m_sData)
{
    std::fill(std::begin(m_nMapTracks), std::end(m_nMapTracks), -1);
    std::fill(std::begin(m_nMapTrackIndex), std::end(m_nMapTrackIndex), -1);
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    m_pRegionTriggers = gcEntitySeam::NewGroup(kRegionTriggerGroupId, pPool, -1, -1);
    m_pCinematics = gcEntitySeam::NewGroup(kCinematicGroupId, pPool, -1, -1);
    m_pItemTemplates = gcEntitySeam::NewGroup(gcEntitySeam::kItemTemplateGroupId, pPool, -1, -1);
    s_pMap = this;
    eZone::s_pSky = &m_sky;
}

void gcMap::SetDefaultRanges()
{
    using G = gcGameConfig;
    G::SetGroupRange(m_textures, 150, 350);
    G::SetGroupRange(m_materials, 300, 600);
    G::SetGroupRange(m_surfaces, 300, 600);
    G::SetGroupRange(m_meshes, 120, 250);
    G::SetGroupRange(m_animations, 250, 700);
    G::SetGroupRange(m_keyValues, 150, 200);
    G::SetGroupRange(m_functions, 200, 300);
    G::SetGroupRange(m_entityTemplates, 5, 50);
    G::SetGroupRange(m_entities, 5, 150);
    G::SetGroupRange(m_regionPaths, 5, 150);
    G::SetGroupRange(m_regionPoints, 5, 200);
    G::SetGroupRange(m_effects, 5, 150);
    G::SetGroupRange(m_effectTemplates, 100, 200);
    G::SetGroupRange(m_boundaries, 5, 200);
    G::SetGroupRange(m_UIDialogs, 100, 200);
    G::SetGroupRange(m_timers, 50, 100);
    G::SetGroupRange(m_sprites, 200, 300);
    G::SetGroupRange(m_stateMachines, 150, 250);
}

gcMap::~gcMap()
{
    DeletePlacedObjects();
    FreeMapAllocatedMemory();
    gcGamePools::Delete(m_pItemTemplates);
    gcGamePools::Delete(m_pCinematics);
    gcGamePools::Delete(m_pRegionTriggers);
    if (s_pMap == this)
        s_pMap = nullptr;
    if (eZone::s_pSky == &m_sky)
        eZone::s_pSky = nullptr;
}

// Effects go before the entities they may be attached to.
void gcMap::DeletePlacedObjects()
{
    RemoveRangeBackwards<gcEffectMgr>(m_effects);
    RemoveRangeBackwards<gcEntityMgr>(m_entities);
}

cBase* gcMap::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcMap>(*this) : nullptr;
}

void gcMap::GetFilename(int nAct, int nMap, cStr* pName)
{
    pName->Set("%s/Game/Act%02i/Map%02i/Map%02i.map", gcGameConfig::s_dataPath.m_sData, nAct + 1, nMap + 1,
               nMap + 1);
}

void gcMap::GetSoundFilename(int nAct, int nMap, cStr* pName)
{
    pName->Set("%s/Game/Act%02i/Map%02i/Map%02iSound.snd", gcGameConfig::s_dataPath.m_sData, nAct + 1, nMap + 1,
               nMap + 1);
}

void gcMap::GetStringsFilename(int nAct, int nMap, cStr* pName)
{
    pName->Set("%s/Game/Act%02i/Map%02i/Map%02iStrings_%s.str", gcGameConfig::s_dataPath.m_sData, nAct + 1,
               nMap + 1, nMap + 1,
               gcGameConfig::GetLanguageShortName(gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT]));
}

void gcMap::GetVoiceOversFilename(int nAct, int nMap, cStr* pName)
{
    pName->Set("%s/Game/Act%02i/Map%02i/Map%02i_%s.vo", gcGameConfig::s_dataPath.m_sData, nAct + 1, nMap + 1,
               nMap + 1, gcGameConfig::GetLanguageShortName(gcGameConfig::s_languages[gcGameConfig::LANGUAGE_VO]));
}

void gcMap::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    gcGameConfig::WriteNames(wb, m_regionNames, kMaxRegionNames);
    gcGameConfig::WriteNames(wb, m_streamedCinematicNames, kMaxStreamedCinematics);
    wb.WriteInt(m_nInitialRegionId);
    wb.WriteInt(m_nPlayerConfigId);
    for (const cGroup* p : {static_cast<const cGroup*>(&m_textures), static_cast<const cGroup*>(&m_materials),
                            static_cast<const cGroup*>(&m_surfaces), static_cast<const cGroup*>(&m_meshes),
                            static_cast<const cGroup*>(&m_animations), static_cast<const cGroup*>(&m_keyValues),
                            static_cast<const cGroup*>(&m_functions), static_cast<const cGroup*>(&m_effectTemplates),
                            static_cast<const cGroup*>(&m_effects), static_cast<const cGroup*>(&m_boundaries),
                            static_cast<const cGroup*>(&m_entityTemplates), static_cast<const cGroup*>(&m_entities),
                            static_cast<const cGroup*>(&m_regionPaths), static_cast<const cGroup*>(&m_regionPoints)})
        p->Write(file);
    gcEntitySeam::WriteGroup(m_pRegionTriggers, kTriggersBegin, file);
    m_UIDialogs.Write(file);
    m_timers.Write(file);
    gcEntitySeam::WriteGroup(m_pCinematics, kCinematicsBegin, file);
    m_sprites.Write(file);
    m_stateMachines.Write(file);
    gcEntitySeam::WriteGroup(m_pItemTemplates, kItemTemplatesBegin, file);
    WriteVec3(wb, m_lightAmbient);
    WriteVec3(wb, m_lightDiffuse);
    wb.WriteFloat(m_fLightHeading);
    wb.WriteFloat(m_fLightPitch);
    m_sky.Write(file);
    m_onMapStarted.Write(file);
    m_onMapEnded.Write(file);
    wb.WriteInt(kMaxMapTracks);
    wb.WriteInts(m_nMapTracks, kMaxMapTracks);
    wb.WriteFloat(m_fWindHeading);
    wb.WriteFloat(m_fWindPitch);
    wb.WriteFloat(m_fWindSpeed);
    wb.WriteInt(m_gustIntervalStart.m_nTicks);
    wb.WriteInt(m_gustIntervalEnd.m_nTicks);
    wb.WriteFloat(m_fFarClip);
    wb.WriteFloat(m_fShadowClip);
}

bool gcMap::ReadHead(const cReadBlock& rb, cName* pRegionNames, cName* pCinematicNames, int32_t* pInitialRegion,
                     int32_t* pPlayerConfig)
{
    using G = gcGameConfig;
    if (!G::ReadNameRun(rb, rb.ReadInt(), pRegionNames, pRegionNames ? kMaxRegionNames : 0))
        return false;
    if (rb.m_nVersion >= 22 &&
        !G::ReadNameRun(rb, rb.ReadInt(), pCinematicNames, pCinematicNames ? kMaxStreamedCinematics : 0))
        return false;
    *pInitialRegion = rb.ReadInt();
    *pPlayerConfig = rb.ReadInt();
    if (rb.Failed())
        return false;
    if (*pInitialRegion < 0 || *pInitialRegion >= kMaxRegionNames) {
        rb.m_file.Fail("gcMap: initial region %lld outside 1..%d", *pInitialRegion + 1LL, kMaxRegionNames);
        return false;
    }
    if (*pPlayerConfig < -1 || *pPlayerConfig >= gcGame::kMaxPlayerConfigs) {
        rb.m_file.Fail("gcMap: player configuration %lld outside 1..%d", *pPlayerConfig + 1LL,
                       gcGame::kMaxPlayerConfigs);
        return false;
    }
    return true;
}

bool gcMap::ReadNames(const cReadBlock& rb)
{
    return ReadHead(rb, m_regionNames, m_streamedCinematicNames, &m_nInitialRegionId, &m_nPlayerConfigId);
}

bool gcMap::ReadPlayerConfigId(int nAct, int nMap, int32_t* pId)
{
    cStr name;
    GetFilename(nAct, nMap, &name);
    cFile file;
    if (!file.Open(name))
        return false;
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("gcMap", "version");
    {
        cReadBlock object(file, 1);  // the cObject part: only the map's name, not wanted
        object.SkipToEnd();
    }
    int32_t nInitialRegion = 0, nPlayerConfig = -1;
    if (!ReadHead(rb, nullptr, nullptr, &nInitialRegion, &nPlayerConfig) || rb.Failed())
        return rb.Reject("gcMap", "head");
    rb.SkipToEnd();  // the rest of the map is not read
    *pId = nPlayerConfig;
    return true;
}

bool gcMap::ReadGroups(const cFile& file, cMemPool* pPool, uint32_t version)
{
    using G = gcGameConfig;
    bool bOk = G::ReadGroup(m_textures, file, pPool) && G::ReadGroup(m_materials, file, pPool) &&
               G::ReadGroup(m_surfaces, file, pPool) && G::ReadGroup(m_meshes, file, pPool) &&
               G::ReadGroup(m_animations, file, pPool) && G::ReadGroup(m_keyValues, file, pPool) &&
               G::ReadGroup(m_functions, file, pPool) && G::ReadGroup(m_effectTemplates, file, pPool) &&
               G::ReadGroup(m_effects, file, pPool) && G::ReadGroup(m_boundaries, file, pPool) &&
               G::ReadGroup(m_entityTemplates, file, pPool) && G::ReadGroup(m_entities, file, pPool) &&
               G::ReadGroup(m_regionPaths, file, pPool) && G::ReadGroup(m_regionPoints, file, pPool) &&
               ReadSeamGroup(m_pRegionTriggers, "region trigger", file, pPool);
    if (bOk && version >= 14)
        bOk = G::ReadGroup(m_UIDialogs, file, pPool);
    if (bOk && version >= 19)
        bOk = G::ReadGroup(m_timers, file, pPool);
    if (bOk && version >= 21)
        bOk = ReadSeamGroup(m_pCinematics, "cinematic", file, pPool);
    if (bOk && version >= 22)
        bOk = G::ReadGroup(m_sprites, file, pPool);
    if (bOk && version >= 24)
        bOk = G::ReadGroup(m_stateMachines, file, pPool);
    if (bOk && version >= 25)
        bOk = ReadSeamGroup(m_pItemTemplates, "item template", file, pPool);
    return bOk;
}

void gcMap::ReadLightAndSky(const cReadBlock& rb, cMemPool* pPool, uint32_t version)
{
    ReadVec3(rb, &m_lightAmbient);
    ReadVec3(rb, &m_lightDiffuse);
    m_originalLightAmbient = m_lightAmbient;
    m_originalLightDiffuse = m_lightDiffuse;
    if (version >= 23) {
        m_fLightHeading = rb.ReadFloat();
        m_fLightPitch = rb.ReadFloat();
    } else {
        mVec3 dir;
        ReadVec3(rb, &dir);
        VectorToAngles(dir, &m_fLightHeading, &m_fLightPitch);
    }
    if (!rb.Failed() && !m_sky.Read(rb.m_file, pPool))
        rb.m_file.Fail("gcMap: the sky of \"%s\" was refused", m_name.m_sData);
}

// The events, map tracks, wind and clip distances.
bool gcMap::ReadTail(const cReadBlock& rb, cMemPool* pPool, uint32_t version)
{
    if (!m_onMapStarted.Read(rb.m_file, pPool))
        return false;
    if (version >= 18 && !m_onMapEnded.Read(rb.m_file, pPool))
        return false;
    if (version >= 15 && !gcGameConfig::ReadIntRun(rb, rb.ReadInt(), m_nMapTracks, kMaxMapTracks))
        return false;
    for (int i = 0; i < kMaxMapTracks; ++i) {
        if (m_nMapTracks[i] < -1 || m_nMapTracks[i] >= gcMusic::kMaxMusicIds) {
            rb.m_file.Fail("gcMap: map track %d names music %d: ids are 0 to %d (-1 for none)", i, m_nMapTracks[i],
                           gcMusic::kMaxMusicIds - 1);
            return false;
        }
    }
    if (version >= 23) {
        m_fWindHeading = rb.ReadFloat();
        m_fWindPitch = rb.ReadFloat();
    } else {
        mVec3 dir;
        ReadVec3(rb, &dir);
        VectorToAngles(dir, &m_fWindHeading, &m_fWindPitch);
    }
    if (version >= 20) {
        m_fWindSpeed = rb.ReadFloat();
        m_gustIntervalStart = cTimeValue(rb.ReadInt());
        m_gustIntervalEnd = cTimeValue(rb.ReadInt());
    } else {
        for (int i = 0; i < 3; ++i)
            rb.ReadInt();
    }
    // Maps older than 27 were made before the wind blew.
    if (version < 27)
        m_fWindSpeed = 0.0f;
    if (version >= 17)
        m_fFarClip = rb.ReadFloat();
    if (version >= 26)
        m_fShadowClip = rb.ReadFloat();
    return !rb.Failed();
}

bool gcMap::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("gcMap", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    const uint32_t version = rb.m_nVersion;
    bool bOk = ReadNames(rb) && ReadGroups(file, pPool, version) && CheckTemplates(file);
    if (bOk) {
        ReadLightAndSky(rb, pPool, version);
        bOk = ReadTail(rb, pPool, version);
    }
    if (!bOk || rb.Failed())
        return rb.Reject("gcMap", "block");
    eShadow::s_fShadowClip = m_fShadowClip;
    return true;
}

namespace {

// The objects of a group's range, in slot order, with their records.
template <class Mgr, class F>
bool EachPlaced(const cGroup& group, F holds)
{
    const int nFirst = std::max(group.m_nBegin, 0);
    const int nEnd = std::min(group.m_nEnd, Mgr::kSlots);
    for (int slot = nFirst; slot < nEnd; ++slot) {
        const auto* p = Mgr::GetPtr(Mgr::GetHandle(slot));
        if (p && !holds(*p, slot - group.m_nBegin, slot))
            return false;
    }
    return true;
}

}  // namespace

// Checked once both groups are read: the templates come before what they
// make in the file. The error names the placed object's record.
bool gcMap::CheckTemplates(const cFile& file) const
{
    const auto refuse = [&file](const cGroup& group, int index, int slot, const char* sWhat, const char* sName,
                                uint32_t hTemplate, const char* sWhy) {
        const cFile::RecordNote note = {group.GetType()->m_sTypeName, index, slot};
        const cFile::RecordNote* pOuter = file.m_pRecord;
        file.m_pRecord = &note;
        file.Fail("%s \"%s\": its template %#x %s", sWhat, sName, hTemplate, sWhy);
        file.m_pRecord = pOuter;
        return false;
    };
    return EachPlaced<gcEntityMgr>(m_entities,
                                   [&](const gcEntity& e, int index, int slot) {
                                       return e.IsValid() ||
                                              refuse(m_entities, index, slot, "gcEntity", e.m_name.m_sData,
                                                     e.m_hTemplate.m_nValue,
                                                     e.GetTemplate() ? "makes another kind of entity"
                                                                     : "does not resolve");
                                   }) &&
           EachPlaced<gcEffectMgr>(m_effects, [&](const gcEffect& e, int index, int slot) {
               return e.IsValid() || refuse(m_effects, index, slot, "gcEffect", e.m_name.m_sData,
                                            e.m_hTemplate.m_nValue, "does not resolve");
           });
}

void gcMap::Reset(cMemPool* pPool)
{
    ResetRange<gcEntityMgr, gcEntity>(m_entities, pPool);
    ResetRange<gcEffectMgr, gcEffect>(m_effects, pPool);
    gcEntitySeam::ResetTemplateInstances(m_pItemTemplates, &m_effectTemplates);
}

void gcMap::DeleteSideGroups()
{
    gcGamePools::Delete(m_pSoundData);
    gcGamePools::Delete(m_pVoiceOvers);
    gcGamePools::Delete(m_pStrings);
}

namespace {

// Reads a side file into its group; a missing file leaves the group empty.
bool ReadSideFile(cBase* pGroup, const cStr& name, cMemPool* pPool)
{
    cFile file;
    if (!file.OpenOptional(name))
        return false;
    if (pGroup)
        file.ReadObject(*pGroup, pPool);
    file.Close();
    return true;
}

// The resident act's id, which every map file name carries.
int ActId()
{
    return gcAct::s_pAct ? gcAct::s_pAct->m_nActId : -1;
}

}  // namespace

void gcMap::CreateSoundData()
{
    const uint32_t size = gcGameConfig::GetMapSoundPoolSize();
    if (gcGamePools::RenewGroup(m_pSoundData, gcGame::s_mapSoundPool, size, kSoundBegin, kSoundEnd))
        m_pSoundData->m_nMemSize = static_cast<int32_t>(gcGameConfig::GetMapSoundDataSize());
}

void gcMap::CreateVoiceOvers()
{
    gcGamePools::Delete(m_pVoiceOvers);
    cMemPool& pool = gcGame::s_mapVoiceOversPool;
    gcGameConfig::PrepPool(pool, gcGameConfig::GetMapVoiceOversPoolSize());
    m_pVoiceOvers = gcEntitySeam::NewGroup(kVoiceOverGroupId, &pool, kVoiceOversBegin, kVoiceOversEnd);
    if (gcVoiceOverGroup* p = dcast<gcVoiceOverGroup>(m_pVoiceOvers))
        p->m_nMemSize = static_cast<int32_t>(gcGameConfig::GetMapVoiceOversSize());
}

void gcMap::CreateStringTable()
{
    const uint32_t size = gcGameConfig::GetMapStringsPoolSize();
    gcGamePools::RenewGroup(m_pStrings, gcGame::s_mapStringsPool, size, kStringsBegin, kStringsEnd);
}

bool gcMap::LoadSoundData()
{
    CreateSoundData();
    if (!m_pSoundData)
        return true;
    cStr name;
    GetSoundFilename(ActId(), m_nMapId, &name);
    ReadSideFile(m_pSoundData, name, &gcGame::s_mapSoundPool);
    return true;
}

bool gcMap::LoadVoiceOvers()
{
    CreateVoiceOvers();
    if (!m_pVoiceOvers)
        return true;  // this build plays no voice-overs
    cStr name;
    GetVoiceOversFilename(ActId(), m_nMapId, &name);
    ReadSideFile(m_pVoiceOvers, name, &gcGame::s_mapVoiceOversPool);
    return true;
}

bool gcMap::LoadStringTable()
{
    CreateStringTable();
    if (!m_pStrings)
        return false;
    cStr name;
    GetStringsFilename(ActId(), m_nMapId, &name);
    return ReadSideFile(m_pStrings, name, &gcGame::s_mapStringsPool);
}

bool gcMap::LoadMusic()
{
    for (int i = 0; i < kMaxMapTracks; ++i) {
        if (m_nMapTracks[i] == -1)
            continue;
        m_nMapTrackIndex[i] = gcMusic::LoadMusic(m_nMapTracks[i], &gcGame::s_mapMusicPool);
        if (m_nMapTrackIndex[i] == -1) {
            // The music's file has said why, naming itself.
            cLogInfo_("gcMap: map track %d (music %d) could not be loaded", i, m_nMapTracks[i]);
            return false;
        }
    }
    return true;
}

void gcMap::SetMusicIndex(int index, int nTrack)
{
    if (index >= 0 && index < kMaxMapTracks)
        m_nMapTracks[index] = nTrack;
}

void gcMap::SetForces(const mVec3& wind, const mVec3& gravity)
{
    gcEffect::SetForces(wind, gravity);
}

void gcMap::FreeMapAllocatedMemory()
{
    for (int i = kMaxMapTracks - 1; i >= 0; --i) {
        if (m_nMapTrackIndex[i] != -1)
            gcMusic::FreeMusic(m_nMapTrackIndex[i]);
        m_nMapTrackIndex[i] = -1;
    }
    DeleteSideGroups();
    for (int slot = 0; slot < gcRegion::kMaxResident; ++slot) {
        if (gcRegion::s_pRegions[slot])
            std::destroy_at(gcRegion::s_pRegions[slot]);
        gcGame::s_regionPools[slot].FreePoolMemory();
    }
    gcRegion::s_nCurrentRegion = -1;
    // The resident streamed cinematic goes before its pool's block.
    if (gcMapCinematics* p = gcMapCinematics::s_pCinematics; p && p->GetResidentStreamedPool())
        p->DeleteResidentStreamed();
    gcGame::s_mapCinematicPool.FreePoolMemory();
    gcGame::s_mapCinematicVOPool.FreePoolMemory();
}
