#include "gcGameCore/flow/gcAct.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGamePools.h"
#include "gcGameCore/flow/gcMap.h"

QM_DEFINE_TYPE(gcAct, cObject, 67)

gcAct* gcAct::s_pAct = nullptr;

gcAct::gcAct()
{
    gcGameConfig::SetGroupRange(m_keyValues, 0, 0);
    s_pAct = this;
}

gcAct::gcAct(const gcAct& other) : cObject(other)
{
    m_keyValues.m_bDeleteContained = true;
    s_pAct = this;
}

gcAct::~gcAct()
{
    if (gcMap::s_pMap)
        std::destroy_at(gcMap::s_pMap);
    if (s_pAct == this)
        s_pAct = nullptr;
}

cBase* gcAct::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcAct>(*this) : nullptr;
}

void gcAct::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    gcGameConfig::WriteNames(wb, m_mapNames, kMaxMaps);
    m_keyValues.Write(file);
}

bool gcAct::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0 || rb.m_nVersion > kVersion)
        return rb.Reject("gcAct", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    bool bOk = gcGameConfig::ReadNameRun(rb, rb.ReadInt(), m_mapNames, kMaxMaps) &&
               m_keyValues.Read(file, pPool);  // its own range: empty unless copied
    // Version 2 stored a list of integers nothing uses.
    if (bOk && rb.m_nVersion == 2) {
        const int32_t nCount = rb.ReadInt();
        bOk = gcGameConfig::ReadIntRun(rb, nCount, nullptr, 0);
    }
    if (!bOk || rb.Failed())
        return rb.Reject("gcAct", "block");
    return true;
}

void gcAct::GetFilename(int nAct, cStr* pName)
{
    pName->Set("%s/Game/Act%02i/Act%02i.act", gcGameConfig::s_dataPath.m_sData, nAct + 1, nAct + 1);
}

bool gcAct::LoadMap(int nMap)
{
    if (gcMap::s_pMap && gcMap::s_pMap->m_nMapId == nMap)
        return true;
    if (nMap < 0 || nMap >= kMaxMaps) {
        cLogError_("gcAct: map %lld refused: maps are 1 to %d", static_cast<long long>(nMap) + 1, kMaxMaps);
        return false;
    }
    cStr name;
    gcMap::GetFilename(m_nActId, nMap, &name);
    cFile file;
    if (!file.Open(name))
        return false;  // logged by the file, naming it
    PreCreateMap(nMap, m_mapNames[nMap]);
    gcMap* pMap = gcMap::s_pMap;
    if (!pMap)
        return false;
    if (!file.ReadObject(*pMap, &gcGame::s_mapPool)) {
        std::destroy_at(pMap);
        return false;
    }
    file.Close();
    pMap->LoadSoundData();
    pMap->LoadVoiceOvers();
    pMap->LoadStringTable();
    pMap->Reset(&gcGame::s_mapPool);
    return true;
}

void gcAct::PreCreateMap(int nMap, const cName& name)
{
    if (nMap < 0 || nMap >= kMaxMaps) {
        cLogError_("gcAct: map %lld refused: maps are 1 to %d", nMap + 1LL, kMaxMaps);
        return;
    }
    // The old map frees its regions, music, side groups and streamed
    // cinematic before its pools are reset.
    gcGamePools::Delete(gcMap::s_pMap);
    gcGameConfig::PrepPool(gcGame::s_mapMusicPool, gcGameConfig::GetMapMusicPoolSize());
    gcMap* pMap = gcGamePools::Renew<gcMap>(nullptr, gcGame::s_mapPool, gcGameConfig::GetMapPoolSize());
    if (!pMap)
        return;
    pMap->m_nMapId = nMap;
    pMap->m_name.Set("%s", name.m_sData);  // a name, never a format
}

void gcAct::CreateMap(int nMap, const cName& name)
{
    PreCreateMap(nMap, name);
    gcMap* pMap = gcMap::s_pMap;
    if (!pMap || pMap->m_nMapId != nMap)
        return;
    pMap->CreateSoundData();
    pMap->CreateVoiceOvers();
    pMap->CreateStringTable();
    m_mapNames[nMap] = name;
}
