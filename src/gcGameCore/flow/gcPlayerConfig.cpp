#include "gcGameCore/flow/gcPlayerConfig.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eSoundData.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"

QM_DEFINE_TYPE(gcPlayerConfig, cObject, 89)

gcPlayerConfig* gcPlayerConfig::s_pPlayerConfig = nullptr;

namespace {

constexpr int32_t kEntityTemplatesBegin = 0;
constexpr int32_t kEntityTemplatesEnd = 1;
constexpr int32_t kSoundBegin = 500;
constexpr int32_t kSoundEnd = 700;

}  // namespace

gcPlayerConfig::gcPlayerConfig()
    : onMapStarted("OnMapStarted", m_name.m_sData), onMapEnded("OnMapEnded", m_name.m_sData)
{
    gcGameConfig::SetGroupRange(m_textures, 120, 150);
    gcGameConfig::SetGroupRange(m_materials, 220, 300);
    gcGameConfig::SetGroupRange(m_meshes, 100, 120);
    gcGameConfig::SetGroupRange(m_animations, 100, 250);
    gcGameConfig::SetGroupRange(m_surfaces, 220, 300);
    gcGameConfig::SetGroupRange(m_entityTemplates, kEntityTemplatesBegin, kEntityTemplatesEnd);
    s_pPlayerConfig = this;
}

gcPlayerConfig::~gcPlayerConfig()
{
    // The entity goes before the template it was made from.
    RemovePlayerEntity();
    DeleteSoundData();
    if (s_pPlayerConfig == this)
        s_pPlayerConfig = nullptr;
}

void gcPlayerConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    m_textures.Write(file);
    m_materials.Write(file);
    m_meshes.Write(file);
    m_animations.Write(file);
    m_surfaces.Write(file);
    m_entityTemplates.Write(file);
    onMapStarted.Write(file);
    onMapEnded.Write(file);
}

bool gcPlayerConfig::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("gcPlayerConfig", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    using G = gcGameConfig;
    bool bOk = G::ReadGroup(m_textures, file, pPool) && G::ReadGroup(m_materials, file, pPool) &&
               G::ReadGroup(m_meshes, file, pPool) && G::ReadGroup(m_animations, file, pPool) &&
               G::ReadGroup(m_surfaces, file, pPool) && G::ReadGroup(m_entityTemplates, file, pPool);
    if (bOk && rb.m_nVersion >= 4)
        bOk = onMapStarted.Read(file, pPool) && onMapEnded.Read(file, pPool);
    // A record refused in any group (the player's template, its mesh) has
    // failed the file: the player would be one of defaults.
    if (!bOk || rb.Failed()) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    CreatePlayerEntity(pPool);
    return true;
}

void gcPlayerConfig::CreatePlayerEntity(cMemPool* pPool)
{
    RemovePlayerEntity();
    // An empty range holds no template of this configuration, whatever sits in its begin slot.
    if (m_entityTemplates.m_nBegin >= m_entityTemplates.m_nEnd)
        return;
    const gcEntityTemplate* pTemplate =
        gcEntityTemplateMgr::GetPtr(gcEntityTemplateMgr::GetHandle(m_entityTemplates.m_nBegin));
    if (!pTemplate)
        return;
    m_pEntity = pTemplate->CreateInstance(pPool);
    if (!m_pEntity)
        return;
    gcEntityMgr::Add(0, m_pEntity, kPlayerEntityCheck);
    if (!m_pEntity->Reset(pPool))
        cLogWarn_("gcPlayerConfig: the player's entity of \"%s\" could not be reset", m_name.m_sData);
}

void gcPlayerConfig::RemovePlayerEntity()
{
    if (!m_pEntity)
        return;
    // Slot 0 is the player's: anything else there is not this configuration's to destroy.
    if (gcEntityMgr::GetPtr(gcEntityMgr::GetHandle(0)) == m_pEntity)
        gcEntityMgr::Remove(0);
    else
        std::destroy_at(m_pEntity);
    m_pEntity = nullptr;
}

void gcPlayerConfig::GetFilename(int nId, cStr* pName)
{
    pName->Set("%s/Game/PlayerConfig%02i.pc", gcGameConfig::s_dataPath.m_sData, nId + 1);
}

void gcPlayerConfig::GetSoundFilename(int nId, cStr* pName)
{
    pName->Set("%s/Game/PlayerConfig%02iSound.snd", gcGameConfig::s_dataPath.m_sData, nId + 1);
}

void gcPlayerConfig::DeleteSoundData()
{
    if (m_pSoundData)
        std::destroy_at(m_pSoundData);
    m_pSoundData = nullptr;
}

void gcPlayerConfig::CreateSoundData()
{
    DeleteSoundData();
    cMemPool& pool = gcGame::s_playerConfigSoundPool;
    gcGameConfig::PrepPool(pool, gcGameConfig::GetPlayerConfigSoundPoolSize());
    eSoundDataGroup* pGroup = pool.New<eSoundDataGroup>();
    if (!pGroup)
        return;
    gcGameConfig::SetGroupRange(*pGroup, kSoundBegin, kSoundEnd);
    pGroup->m_nMemSize = static_cast<int32_t>(gcGameConfig::GetPlayerConfigSoundDataSize());
    m_pSoundData = pGroup;
}

bool gcPlayerConfig::LoadSoundData(int nId)
{
    CreateSoundData();
    cStr name;
    GetSoundFilename(nId, &name);
    cFile file;
    if (!m_pSoundData || !file.OpenOptional(name))
        return false;
    file.ReadObject(*m_pSoundData, &gcGame::s_playerConfigSoundPool);
    file.Close();
    return true;
}
