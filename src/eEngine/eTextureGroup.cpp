#include "eEngine/eTextureGroup.h"

#include <cstring>

#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cName.h"
#include "cCore/cStr.h"
#include "eEngine/eTextureConfig.h"

QM_DEFINE_GROUP(eTextureGroup, 4)

namespace {

// The file name without folder and extension, lower-cased, as texture names are.
cName LowerFileName(const char* path)
{
    cStr file;
    cGetFilename(path, &file);
    for (char* c = file.m_sData; *c; ++c)
        *c = cToLower(*c);
    cName name;
    name.Set("%s", file.m_sData);
    return name;
}

}  // namespace

int eTextureGroup::FindEmptySlot(const cName& name) const
{
    int size = 0;
    eTextureConfig::eFormat format;
    if (!eTexture::GetSettingsFromFilename(name.m_sData, &size, &format, nullptr, nullptr))
        return -1;
    for (int slot = m_nBegin; slot >= 0 && slot < m_nEnd && slot < eTextureMgr::kSlots; ++slot) {
        const eTexture* pTexture = eTextureMgr::s_pInstances[slot];
        const eTextureConfig* pConfig = eTextureConfigMgr::s_pInstances[slot];
        if ((!pTexture || !pTexture->m_bHasData) && pConfig && pConfig->m_format == format &&
            pConfig->m_nHeight == static_cast<uint32_t>(size))
            return slot;
    }
    return -1;
}

eTexture* eTextureGroup::ImportTexture(int index, const char* path)
{
    const int slot = m_nBegin + index;
    if (index < 0 || slot >= m_nEnd || slot >= eTextureMgr::kSlots)
        return nullptr;
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    eTexture* pTexture = pPool ? pPool->New<eTexture>() : nullptr;
    if (!pTexture) {
        // The pool reported it (failing the file being read, if any).
        return nullptr;
    }
    pTexture->m_name = LowerFileName(path);
    if (eTextureMgr::s_pInstances[slot])
        eTextureMgr::Replace(eTextureMgr::GetHandle(slot), pTexture);
    else
        eTextureMgr::Add(slot, pTexture, 0);
    pTexture->ImportData(path);
    eTexture::eWrapMode wrap = eTexture::WRAP_REPEAT;
    eTexture::GetSettingsFromFilename(path, nullptr, nullptr, &wrap, nullptr);
    pTexture->m_wrapMode = wrap;
    return pTexture;
}

bool eTextureGroup::Import(const char* path)
{
    const cName name = LowerFileName(path);
    eTextureConfig::eFormat format;
    if (eTexture::GetSettingsFromFilename(path, nullptr, &format, nullptr, nullptr) &&
        format == eTextureConfig::FORMAT_I4) {
        // The letter after the size prefix ("64" or three digits).
        cStr split("%s", path);
        char* file = std::strrchr(split.m_sData, '/');
        file = file ? file + 1 : split.m_sData;
        const size_t at = (file[0] == '6' && file[1] == '4') ? 2 : 3;
        file[at] = 'a';
        const bool bAlpha = Import(split);
        file[at] = 'c';
        return Import(split) && bAlpha;
    }
    int slot = -1;
    for (int s = m_nBegin; s >= 0 && s < m_nEnd && s < eTextureMgr::kSlots && slot < 0; ++s)
        if (eTextureMgr::s_pInstances[s] && eTextureMgr::s_pInstances[s]->m_name == name)
            slot = s;
    if (slot < 0)
        slot = FindEmptySlot(name);
    return slot >= 0 && ImportTexture(slot - m_nBegin, path) != nullptr;
}
