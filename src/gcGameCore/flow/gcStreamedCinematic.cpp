#include "gcGameCore/flow/gcStreamedCinematic.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGamePools.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcVoiceOver.h"

QM_DEFINE_TYPE(gcStreamedCinematic, cObject, 227)

gcStreamedCinematic* gcStreamedCinematic::s_pStreamedCinematic = nullptr;

gcStreamedCinematic::gcStreamedCinematic()
{
    gcGameConfig::SetGroupRange(m_animations, kAnimationsBegin, kAnimationsEnd);
    s_pStreamedCinematic = this;
}

gcStreamedCinematic::~gcStreamedCinematic()
{
    gcGamePools::Delete(m_pVoiceOvers);
    if (s_pStreamedCinematic == this)
        s_pStreamedCinematic = nullptr;
}

void gcStreamedCinematic::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    m_cinematic.Write(file);
    m_animations.Write(file);
}

bool gcStreamedCinematic::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion)
        return rb.Reject("gcStreamedCinematic", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    if (!m_cinematic.Read(file, pPool))
        return rb.Reject("gcStreamedCinematic", "cinematic");
    // A version-1 file has no animations of its own.
    if (rb.m_nVersion >= 2 && !m_animations.Read(file, pPool))
        return rb.Reject("gcStreamedCinematic", "animations");
    return !rb.Failed();
}

void gcStreamedCinematic::GetCinematicFilename(int nAct, int nMap, int nCinematic, cStr* pName)
{
    pName->Set("%s/Game/Act%02i/Map%02i/Cinematic/Cinematic%02i.cin", gcGameConfig::s_dataPath.m_sData, nAct + 1,
               nMap + 1, nCinematic + 1);
}

void gcStreamedCinematic::GetCinematicVoiceOversFilename(int nAct, int nMap, int nCinematic, cStr* pName)
{
    pName->Set("%s/Game/Act%02i/Map%02i/Cinematic/Cinematic%02i_%s.vo", gcGameConfig::s_dataPath.m_sData, nAct + 1,
               nMap + 1, nCinematic + 1,
               gcGameConfig::GetLanguageShortName(gcGameConfig::s_languages[gcGameConfig::LANGUAGE_VO]));
}

bool gcStreamedCinematic::Load(int nId)
{
    gcMap* pMap = gcMap::s_pMap;
    // The id indexes the map's name table: one outside it fails like a
    // missing file.
    if (!pMap) {
        cLogError_("gcStreamedCinematic: cinematic %lld refused: no map is loaded", nId + 1LL);
        return false;
    }
    if (nId < 0 || nId >= gcMap::kMaxStreamedCinematics) {
        // Numbered from 1, as the files are.
        cLogError_("gcStreamedCinematic: cinematic %lld refused: cinematics are 1 to %d", nId + 1LL,
                   gcMap::kMaxStreamedCinematics);
        return false;
    }
    if (s_pStreamedCinematic && s_pStreamedCinematic->m_nCinematicId == nId)
        return true;
    cStr name;
    GetCinematicFilename(gcAct::s_pAct ? gcAct::s_pAct->m_nActId : -1, pMap->m_nMapId, nId, &name);
    cFile file;
    if (!file.Open(name))
        return false;  // logged by the file, naming it
    pMap->PreCreateStreamedCinematic(nId, pMap->m_streamedCinematicNames[nId]);
    gcStreamedCinematic* pNew = s_pStreamedCinematic;
    if (!pNew) {
        // The pool reported it (failing the file being read, if any).
        return false;
    }
    const bool bRead = file.ReadObject(*pNew, &gcGame::s_mapCinematicPool);
    file.Close();
    // A refused block would leave a half-read cinematic that reports success.
    if (!bRead) {
        std::destroy_at(pNew);
        return false;
    }
    pNew->LoadVoiceOvers();
    return true;
}

void gcStreamedCinematic::CreateVoiceOvers()
{
    const uint32_t size = gcGameConfig::GetMapCinematicVOPoolSize();
    if (gcGamePools::RenewGroup(m_pVoiceOvers, gcGame::s_mapCinematicVOPool, size, kVoiceOversBegin, kVoiceOversEnd))
        m_pVoiceOvers->m_nMemSize = static_cast<int32_t>(gcGameConfig::GetMapStreamedVoiceOverSize());
}

void gcMap::PreCreateStreamedCinematic(int nId, const cName& name)
{
    if (nId < 0 || nId >= kMaxStreamedCinematics) {
        cLogError_("gcMap: streamed cinematic %lld refused: streamed cinematics are 1 to %d", nId + 1LL,
                   kMaxStreamedCinematics);
        return;
    }
    gcStreamedCinematic* p = gcGamePools::Renew(gcStreamedCinematic::s_pStreamedCinematic, gcGame::s_mapCinematicPool,
                                                gcGameConfig::GetMapCinematicPoolSize());
    if (!p)
        return;
    p->m_nCinematicId = nId;
    p->m_name.Set("%s", name.m_sData);  // a name, never a format
}

void gcMap::CreateStreamedCinematic(int nId, const cName& name)
{
    PreCreateStreamedCinematic(nId, name);
    gcStreamedCinematic* p = gcStreamedCinematic::s_pStreamedCinematic;
    if (!p || p->m_nCinematicId != nId)
        return;
    p->CreateVoiceOvers();
    m_streamedCinematicNames[nId] = name;
}

bool gcStreamedCinematic::LoadVoiceOvers()
{
    CreateVoiceOvers();
    if (!m_pVoiceOvers) {
        // The pool reported it (failing the file being read, if any).
        return false;
    }
    const gcAct* pAct = gcAct::s_pAct;
    const gcMap* pMap = gcMap::s_pMap;
    cStr name;
    GetCinematicVoiceOversFilename(pAct ? pAct->m_nActId : -1, pMap ? pMap->m_nMapId : -1, m_nCinematicId, &name);
    cFile file;
    if (!file.Open(name))
        return false;
    file.ReadObject(*m_pVoiceOvers, &gcGame::s_mapCinematicVOPool);
    file.Close();
    return true;
}
