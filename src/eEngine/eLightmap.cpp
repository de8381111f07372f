#include "eEngine/eLightmap.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eColorBytes.h"
#include "eEngine/eTexture.h"

uint32_t eLightmap::s_nTint = 0xFFFFFFFFu;

void eLightmap::SetTint(const mVec3& scale)
{
    s_nTint = ePackColor(0xFF, eColorByte(scale.x), eColorByte(scale.y), eColorByte(scale.z));
}

eTexture* eLightmap::GetTexture(int index) const
{
    if (index < 0 || index >= m_nNumTextures)
        return nullptr;
    const int64_t slot = static_cast<int64_t>(m_nStartIndex) + index;
    if (slot < 0 || slot >= eTextureMgr::kSlots)
        return nullptr;
    return eTextureMgr::GetPtr(eTextureMgr::GetHandle(static_cast<int>(slot)));
}

bool eLightmap::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    // An older block is skipped whole: the textures keep their texels and
    // the zone reading it goes on.
    if (rb.m_nVersion < kVersion) {
        rb.ReadOver("eLightmap", "version");
        return !rb.Failed();
    }
    const int32_t nStored = rb.ReadInt();
    if (rb.Failed())
        return false;
    if (nStored != m_nNumTextures)
        cLogWarn_("eLightmap: %d textures stored for %d slots from %d", nStored, m_nNumTextures, m_nStartIndex);
    const int nRead = nStored < m_nNumTextures ? (nStored > 0 ? nStored : 0) : m_nNumTextures;
    bool ok = true;
    for (int i = 0; i < nRead && !rb.Failed(); ++i) {
        if (eTexture* pTexture = GetTexture(i)) {
            ok = pTexture->Read(file, pPool) && ok;
        } else {
            cReadBlock skip(file, eTexture::kVersion);
            skip.SkipToEnd();
        }
    }
    rb.SkipToEnd();  // textures beyond the range
    return ok && !rb.Failed();
}

void eLightmap::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    wb.WriteInt(m_nNumTextures);
    for (int i = 0; i < m_nNumTextures; ++i) {
        if (const eTexture* pTexture = GetTexture(i))
            pTexture->Write(file);
        else
            eTexture().Write(file);
    }
}

void eLightmap::Apply(int map) const
{
    if (const eTexture* pTexture = GetTexture(m_nCurrentIndex))
        pTexture->Apply(map);
}
