#include "gcGameCore/flow/gcGameConfig.h"

#include <algorithm>
#include <memory>

#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eTexture.h"
#include "gcGameCore/flow/gcGamePools.h"

QM_DEFINE_TYPE(gcGameConfig, cObject, 100)

gcGameConfig* gcGameConfig::s_pGameConfig = nullptr;
cStr gcGameConfig::s_dataPath;
gcGameConfig::gcLanguage gcGameConfig::s_languages[MAX_LANGUAGETYPES] = {LANGUAGE_ENGLISH, LANGUAGE_ENGLISH};
cMemPool gcGameConfig::s_gameConfigPool("Game Config", 0, true);
// The texture cache fills this pool to the byte; a warning near its end
// would only be noise.
cMemPool gcGameConfig::s_texturesPool("Textures", 0, false);

namespace {

struct LanguageNames {
    const char* sShort;
    const char* sLong;
};
constexpr LanguageNames kLanguages[gcGameConfig::MAX_LANGUAGES] = {
    {"eng", "English"}, {"spa", "Spanish"}, {"fre", "French"},
    {"ger", "German"},  {"ita", "Italian"}, {"dut", "Dutch"},
};

bool IsLanguage(int language)
{
    return language >= 0 && language < gcGameConfig::MAX_LANGUAGES;
}

}  // namespace

const char* gcGameConfig::GetLanguageShortName(gcLanguage language)
{
    return IsLanguage(language) ? kLanguages[language].sShort : "???";
}

const char* gcGameConfig::GetLanguageName(gcLanguage language)
{
    return IsLanguage(language) ? kLanguages[language].sLong : "???";
}

const char* gcGameConfig::GetLanguageTypeText(gcLanguageType type)
{
    switch (type) {
    case LANGUAGE_TEXT:
        return "Text";
    case LANGUAGE_VO:
        return "VoiceOver";
    default:
        return "???";
    }
}

void gcGameConfig::PrepPool(cMemPool& pool, uint32_t size)
{
    if (pool.HasMemory())
        pool.Reset();
    else
        pool.AllocPoolMemory(size);
}

void gcGameConfig::SetGroupRange(cGroup& group, int32_t begin, int32_t end)
{
    group.m_nBegin = begin;
    group.m_nEnd = end;
    group.m_bDeleteContained = true;
}

bool gcGameConfig::ReadGroup(cGroup& group, const cFile& file, cMemPool* pPool)
{
    group.m_nBegin = -1;
    group.m_nEnd = -1;
    return group.Read(file, pPool);
}

gcGameConfig::gcGameConfig()
{
    s_pGameConfig = this;
    SetGroupRange(m_textureConfigs, 0, 450);
    SetGroupRange(m_textures, 4, 20);
    SetGroupRange(m_materials, 0, 20);
    SetGroupRange(m_fonts, 0, 4);
    SetGroupRange(m_meshes, 0, 20);
    SetGroupRange(m_animations, 0, 20);
    PrepPool(s_texturesPool, GetTexturesPoolSize());
    // The two placeholders that texture stages replace by the lightmap of the
    // zone drawn and by the copy of the screen.
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    eTexture* pLightmap = pPool ? pPool->New<eTexture>() : nullptr;
    eTexture* pFrameBuffer = pPool ? pPool->New<eTexture>() : nullptr;
    if (!pLightmap || !pFrameBuffer) {
        cLogError_("gcGameConfig: no room for the fixed textures (made outside a pool, or the pool is full)");
        return;
    }
    pLightmap->m_name.Set("%s", "( Lightmap )");
    pFrameBuffer->m_name.Set("%s", "( Framebuffer )");
    eMaterial::s_hLightmapTex = eTextureMgr::Add(eTextureMgr::kLightmapSlot, pLightmap, eTexture::kFixedCheck);
    eMaterial::s_hFrameBufferTex = eTextureMgr::Add(eTextureMgr::kFrameBufferSlot, pFrameBuffer, eTexture::kFixedCheck);
}

gcGameConfig::~gcGameConfig()
{
    eTextureMgr::Remove(eTextureMgr::kLightmapSlot);
    eTextureMgr::Remove(eTextureMgr::kFrameBufferSlot);
    if (s_pGameConfig == this)
        s_pGameConfig = nullptr;
}

void gcGameConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    m_textureConfigs.Write(file);
    m_textures.Write(file);
    m_materials.Write(file);
    m_fonts.Write(file);
    m_meshes.Write(file);
    m_animations.Write(file);
    wb.End();
}

// Every configuration of the group's range carves its texels out of the
// Textures pool once, with its own description.
void gcGameConfig::CreateTextureCache() const
{
    for (int32_t slot = m_textureConfigs.FirstTableSlot(); slot < m_textureConfigs.EndTableSlot(); ++slot) {
        eTextureConfig* p = eTextureConfigMgr::GetPtr(eTextureConfigMgr::GetHandle(slot));
        if (p)
            p->Create(&s_texturesPool, p->m_format, p->m_nWidth, p->m_nHeight, p->m_bMipmaps, p->m_bRenderTarget);
    }
}

bool gcGameConfig::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1)
        return rb.Reject("gcGameConfig", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    if (!ReadGroup(m_textureConfigs, file, pPool))
        return rb.Reject("gcGameConfig", "texture configurations");
    CreateTextureCache();
    const bool bOk = ReadGroup(m_textures, file, pPool) && ReadGroup(m_materials, file, pPool) &&
                     ReadGroup(m_fonts, file, pPool) && ReadGroup(m_meshes, file, pPool) &&
                     ReadGroup(m_animations, file, pPool);
    if (!bOk || rb.Failed())
        return rb.Reject("gcGameConfig", "groups");
    return true;
}

void gcGameConfig::GetFilename(cStr* pName)
{
    pName->Set("%s/Game/GameConfig.gc", s_dataPath.m_sData);
}

bool gcGameConfig::Load()
{
    // A configuration already resident owns texture slots 0 and 1 and lives
    // in the pool about to be emptied.
    if (s_pGameConfig)
        std::destroy_at(s_pGameConfig);
    PrepPool(s_gameConfigPool, GetGameConfigPoolSize());
    cStr name;
    GetFilename(&name);
    cFile file;
    if (!file.Open(name))
        return false;  // logged by the file, naming it
    gcGameConfig* p = s_gameConfigPool.New<gcGameConfig>();
    if (!p)
        return false;
    if (!file.ReadObject(*p, &s_gameConfigPool)) {
        std::destroy_at(p);
        return false;
    }
    file.Close();
    return true;
}

void gcGameConfig::Unload()
{
    if (s_pGameConfig)
        std::destroy_at(s_pGameConfig);
    if (s_gameConfigPool.HasMemory())
        s_gameConfigPool.Reset();
}

void gcGameConfig::Create()
{
    if (s_pGameConfig)
        std::destroy_at(s_pGameConfig);
    PrepPool(s_gameConfigPool, GetGameConfigPoolSize());
    if (gcGameConfig* p = s_gameConfigPool.New<gcGameConfig>())
        p->m_name.Set("%s", "GameConfig");
}

bool gcGameConfig::ReadNameRun(const cReadBlock& rb, int32_t nCount, cName* pNames, int nCapacity)
{
    if (nCount < 0)
        return false;
    cName dropped;
    for (int32_t i = 0; i < nCount && !rb.Failed(); ++i)
        (i < nCapacity ? pNames[i] : dropped).Read(rb);
    return !rb.Failed();
}

bool gcGameConfig::ReadIntRun(const cReadBlock& rb, int32_t nCount, int32_t* pValues, int nCapacity)
{
    if (nCount < 0)
        return false;
    rb.ReadInts(pValues, std::min<int32_t>(nCount, nCapacity));
    for (int32_t i = nCapacity; i < nCount && !rb.Failed(); ++i)
        rb.ReadInt();
    return !rb.Failed();
}

void gcGameConfig::WriteNames(const cWriteBlock& wb, const cName* pNames, int nCount)
{
    wb.WriteInt(nCount);
    for (int i = 0; i < nCount; ++i)
        pNames[i].Write(wb);
}
