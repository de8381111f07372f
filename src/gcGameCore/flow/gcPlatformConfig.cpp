#include "gcGameCore/flow/gcPlatformConfig.h"

#include <cstring>
#include <memory>

#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eMemCard.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGamePools.h"
#include "gcGameCore/script/gcString.h"

QM_DEFINE_TYPE(gcPlatformConfig, cObject, 215)

gcPlatformConfig* gcPlatformConfig::s_pPlatformConfig = nullptr;
cMemPool gcPlatformConfig::s_platformConfigPool("Platform Config", 0, true);
cMemPool gcPlatformConfig::s_platformConfigStringsPool("Platform Config Strings", 0, true);

namespace {

constexpr int32_t kStringsBegin = 850;
constexpr int32_t kStringsEnd = 1000;

constexpr const char* kPlatformNames[gcPlatformConfig::kPlatforms] = {"pc", "gc", "xbox", "ps2"};

}  // namespace

gcPlatformConfig::gcPlatformConfig()
    : onPreGameStarted("OnPreGameStarted", m_name.m_sData),
      onGameSaved("OnGameSaved", m_name.m_sData),
      onGameLoaded("OnGameLoaded", m_name.m_sData),
      onControllerChanged("OnControllerChanged", m_name.m_sData),
      onMainMenuStarted("OnMainMenuStarted", m_name.m_sData)
{
    s_pPlatformConfig = this;
    gcGameConfig::SetGroupRange(m_textures, 420, 450);
    gcGameConfig::SetGroupRange(m_materials, 620, 630);
    gcGameConfig::SetGroupRange(m_functions, 350, 400);
    gcGameConfig::SetGroupRange(m_UIDialogs, 250, 300);
    gcGameConfig::SetGroupRange(m_sprites, 400, 500);
    gcGameConfig::SetGroupRange(m_constants, 400, 500);
}

gcPlatformConfig::~gcPlatformConfig()
{
    DeleteStrings();
    if (s_pPlatformConfig == this)
        s_pPlatformConfig = nullptr;
}

void gcPlatformConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    m_textures.Write(file);
    m_materials.Write(file);
    m_functions.Write(file);
    m_UIDialogs.Write(file);
    m_sprites.Write(file);
    m_constants.Write(file);
    onPreGameStarted.Write(file);
    onGameSaved.Write(file);
    onGameLoaded.Write(file);
    onControllerChanged.Write(file);
    onMainMenuStarted.Write(file);
    wb.WriteInt(m_nIconDataSize);
    if (m_nIconDataSize > 0 && m_pIconData)
        wb.WriteChars(m_pIconData, m_nIconDataSize);
    wb.End();
}

// The icon's bytes go to a 32-byte aligned block of the reading pool and
// then to the memory card.
bool gcPlatformConfig::ReadIconData(const cReadBlock& rb, cMemPool* pPool)
{
    const int32_t n = rb.ReadInt();
    if (rb.Failed())
        return false;
    const size_t nFree = pPool ? pPool->Capacity() - pPool->BytesTaken() : 0;
    if (n < 0 || static_cast<size_t>(n) > nFree || static_cast<size_t>(n) > rb.m_nEndOffset - rb.m_file.GetCurrentPos()) {
        rb.m_file.Fail("gcPlatformConfig: icon size %d refused (pool has %zu bytes free)", n, nFree);
        return false;
    }
    uint8_t* pData = n > 0 ? static_cast<uint8_t*>(pPool->Alloc(static_cast<size_t>(n), 32)) : nullptr;
    if (n > 0 && !pData)
        return false;
    if (pData)
        rb.ReadChars(pData, n);
    if (rb.Failed())
        return false;
    m_nIconDataSize = n;
    m_pIconData = pData;
    eMemCard::SetIconData(m_pIconData, m_nIconDataSize);
    return true;
}

bool gcPlatformConfig::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1)
        return rb.Reject("gcPlatformConfig", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    using G = gcGameConfig;
    bool bOk = G::ReadGroup(m_textures, file, pPool) && G::ReadGroup(m_materials, file, pPool) &&
               G::ReadGroup(m_functions, file, pPool) && G::ReadGroup(m_UIDialogs, file, pPool);
    if (bOk && rb.m_nVersion >= 2)
        bOk = G::ReadGroup(m_sprites, file, pPool);
    if (bOk && rb.m_nVersion >= 4)
        bOk = G::ReadGroup(m_constants, file, pPool);
    bOk = bOk && onPreGameStarted.Read(file, pPool);
    if (bOk && rb.m_nVersion >= 3)
        bOk = onGameSaved.Read(file, pPool) && onGameLoaded.Read(file, pPool);
    if (bOk && rb.m_nVersion >= 6)
        bOk = onControllerChanged.Read(file, pPool);
    if (bOk && rb.m_nVersion >= 7)
        bOk = onMainMenuStarted.Read(file, pPool);
    if (bOk && rb.m_nVersion >= 5)
        bOk = ReadIconData(rb, pPool);
    if (!bOk || rb.Failed())
        return rb.Reject("gcPlatformConfig", "block");
    return true;
}

int gcPlatformConfig::GetCurrentPlatformId()
{
    cStr value;
    if (!cGetCommandLineValue("platform", &value))
        return kConsolePlatform;
    for (int i = 0; i < kPlatforms; ++i) {
        if (std::strstr(value.m_sData, kPlatformNames[i]))
            return i;
    }
    return kConsolePlatform;
}

const char* gcPlatformConfig::GetPlatformName(int platform)
{
    return platform >= 0 && platform < kPlatforms ? kPlatformNames[platform] : nullptr;
}

void gcPlatformConfig::GetFilename(cStr* pName, int platform)
{
    const char* sName = GetPlatformName(platform < 0 ? GetCurrentPlatformId() : platform);
    pName->Set("%s/Game/PlatformConfig_%s.plc", gcGameConfig::s_dataPath.m_sData, sName ? sName : "");
}

bool gcPlatformConfig::Load(int platform)
{
    if (s_pPlatformConfig)
        std::destroy_at(s_pPlatformConfig);
    gcGameConfig::PrepPool(s_platformConfigPool, gcGameConfig::GetPlatformConfigPoolSize());
    cStr name;
    GetFilename(&name, platform);
    cFile file;
    if (!file.Open(name))
        return false;  // logged by the file, naming it
    gcPlatformConfig* p = s_platformConfigPool.New<gcPlatformConfig>();
    if (!p)
        return false;
    if (!file.ReadObject(*p, &s_platformConfigPool)) {
        std::destroy_at(p);
        return false;
    }
    file.Close();
    p->LoadStringTable(platform);
    return true;
}

void gcPlatformConfig::GetStringsFilename(cStr* pName, int platform)
{
    const char* sName = GetPlatformName(platform < 0 ? GetCurrentPlatformId() : platform);
    pName->Set("%s/Game/PlatformStrings_%s_%s.str", gcGameConfig::s_dataPath.m_sData, sName ? sName : "",
               gcGameConfig::GetLanguageShortName(gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT]));
}

void gcPlatformConfig::DeleteStrings()
{
    if (m_pStrings)
        std::destroy_at(m_pStrings);
    m_pStrings = nullptr;
}

void gcPlatformConfig::CreateStringTable()
{
    DeleteStrings();
    gcGameConfig::PrepPool(s_platformConfigStringsPool, gcGameConfig::GetPlatformConfigStringsPoolSize());
    gcStringGroup* pGroup = s_platformConfigStringsPool.New<gcStringGroup>();
    if (!pGroup)
        return;
    gcGameConfig::SetGroupRange(*pGroup, kStringsBegin, kStringsEnd);
    m_pStrings = pGroup;
}

bool gcPlatformConfig::LoadStringTable(int platform)
{
    CreateStringTable();
    cStr name;
    GetStringsFilename(&name, platform);
    cFile file;
    if (!m_pStrings || !file.OpenOptional(name))
        return false;
    // Refused strings leave an empty table, not what was read before the damage.
    if (!file.ReadObject(*m_pStrings, &s_platformConfigStringsPool)) {
        CreateStringTable();
        return false;
    }
    file.Close();
    return true;
}

void gcPlatformConfig::Create()
{
    if (s_pPlatformConfig)
        std::destroy_at(s_pPlatformConfig);
    gcGameConfig::PrepPool(s_platformConfigPool, gcGameConfig::GetPlatformConfigPoolSize());
    gcPlatformConfig* p = s_platformConfigPool.New<gcPlatformConfig>();
    if (!p)
        return;
    p->m_name.Set("%s", "PlatformConfig");
    p->CreateStringTable();
}

bool gcPlatformConfig::SetIconData(int size, const void* pData)
{
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    if (size < 0 || (size > 0 && !pData) || !pPool) {
        cLogError_("gcPlatformConfig: icon of %d bytes refused", size);
        return false;
    }
    uint8_t* pCopy = size > 0 ? static_cast<uint8_t*>(pPool->Alloc(static_cast<size_t>(size), 32)) : nullptr;
    if (size > 0 && !pCopy) {
        // The pool reported it (failing the file being read, if any).
        return false;
    }
    if (pCopy)
        std::memcpy(pCopy, pData, static_cast<size_t>(size));
    m_nIconDataSize = size;
    m_pIconData = pCopy;
    return true;
}

void gcPlatformConfig::Unload()
{
    if (s_pPlatformConfig)
        std::destroy_at(s_pPlatformConfig);
    if (s_platformConfigPool.HasMemory())
        s_platformConfigPool.Reset();
}
