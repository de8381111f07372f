#include "eEngine/eTexture.h"

#include <cstring>

#include "cCore/cCoreServices.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cStr.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eTextureConfig.h"

QM_DEFINE_TYPE(eTexture, cObject, 3)

namespace {

// A texture's description as stored after its has-texels word.
struct TextureDesc {
    int32_t format;
    uint32_t width;
    uint32_t height;
    bool bMipmaps;
    bool bRenderTarget;
};

bool DescMatches(const TextureDesc& d, const eTextureConfig& c)
{
    return d.format == c.m_format && d.width == c.m_nWidth && d.height == c.m_nHeight &&
           d.bMipmaps == c.m_bMipmaps && d.bRenderTarget == c.m_bRenderTarget;
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

const char* eTexture::WrapModeText(int wrap)
{
    switch (wrap) {
    case WRAP_REPEAT: return "WRAP_REPEAT";
    case WRAP_CLAMP: return "WRAP_CLAMP";
    case WRAP_CLAMP_S: return "WRAP_CLAMP_S";
    case WRAP_CLAMP_T: return "WRAP_CLAMP_T";
    default: return "???";
    }
}

GXTexWrapMode eTexture::WrapS(int32_t wrap)
{
    return wrap == WRAP_CLAMP || wrap == WRAP_CLAMP_S ? GX_CLAMP : GX_REPEAT;
}

GXTexWrapMode eTexture::WrapT(int32_t wrap)
{
    return wrap == WRAP_CLAMP || wrap == WRAP_CLAMP_T ? GX_CLAMP : GX_REPEAT;
}

eTexture::eTexture() : m_bHasData(false), m_nModCount(0), m_wrapMode(WRAP_REPEAT) {}

eTexture::eTexture(const eTexture&) : eTexture() {}

cBase* eTexture::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eTexture>(*this) : nullptr;
}

eTextureConfig* eTexture::GetConfig() const
{
    const int slot = m_handle.GetSlot();
    return slot < eTextureConfigMgr::kSlots ? eTextureConfigMgr::s_pInstances[slot] : nullptr;
}

void eTexture::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(static_cast<int32_t>(m_wrapMode));
    const eTextureConfig* pConfig = GetConfig();
    const bool bTexels = m_bHasData && pConfig && pConfig->m_pTextureData;
    wb.WriteInt(bTexels ? 1 : 0);
    if (!bTexels)
        return;
    wb.WriteInt(static_cast<int32_t>(pConfig->m_format));
    wb.WriteInt(pConfig->m_nWidth);
    wb.WriteInt(pConfig->m_nHeight);
    wb.WriteBool(pConfig->m_bMipmaps);
    wb.WriteBool(pConfig->m_bRenderTarget);
    PlatformWrite(file, *pConfig);
}

bool eTexture::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kVersion)
        return rb.Reject("eTexture", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    const int32_t wrap = rb.ReadInt();
    const bool bTexels = rb.ReadInt() != 0;
    TextureDesc desc = {eTextureConfig::FORMAT_UNSET, 0, 0, false, false};
    if (bTexels) {
        desc.format = rb.ReadInt();
        desc.width = rb.ReadUInt();
        desc.height = rb.ReadUInt();
        desc.bMipmaps = rb.ReadBool();
        desc.bRenderTarget = rb.ReadBool();
    }
    if (rb.Failed()) {
        m_name = oldName;
        return false;
    }

    eTextureConfig* pConfig = GetConfig();
    if (!pConfig || !pConfig->m_pTextureData) {
        // Nothing to fill: no memory was reserved for this slot.
        cLogError_("eTexture \"%s\" in \"%s\": slot %d has no texture configuration; skipped", m_name.m_sData,
                   file.m_filename.m_sData, m_handle.GetSlot());
        if (bTexels)
            SkipDataRead(file);
        m_wrapMode = static_cast<eWrapMode>(wrap);
        m_bHasData = false;
        return !rb.Failed();
    }
    if (bTexels && DescMatches(desc, *pConfig)) {
        if (!PlatformRead(file, pConfig, wrap)) {
            m_name = oldName;
            return false;
        }
        m_wrapMode = static_cast<eWrapMode>(wrap);
        return true;
    }
    if (bTexels) {
        cLogWarn_("eTexture \"%s\" in \"%s\": %s %u x %u%s does not fit slot %d (%s %u x %u%s); drawn white",
                  m_name.m_sData, file.m_filename.m_sData, eTextureConfig::FormatText(desc.format), desc.width,
                  desc.height,
                  desc.bMipmaps ? " with mipmaps" : "", m_handle.GetSlot(),
                  eTextureConfig::FormatText(pConfig->m_format), pConfig->m_nWidth, pConfig->m_nHeight,
                  pConfig->m_bMipmaps ? " with mipmaps" : "");
        SkipDataRead(file);
    }
    m_wrapMode = static_cast<eWrapMode>(wrap);
    NullData();
    return !rb.Failed();
}

bool eTexture::GetSettingsFromFilename(const char* path, int* pSize, eTextureConfig::eFormat* pFormat,
                                       eWrapMode* pWrap, bool* pFlag)
{
    int size = 0;
    eTextureConfig::eFormat format = eTextureConfig::FORMAT_UNSET;
    eWrapMode wrap = WRAP_REPEAT;
    bool bFlag = false;
    auto store = [&](bool ok) {
        if (pSize) *pSize = size;
        if (pFormat) *pFormat = format;
        if (pWrap) *pWrap = wrap;
        if (pFlag) *pFlag = bFlag;
        return ok;
    };

    cStr nameStr;
    cGetFilename(path, &nameStr);
    const char* name = nameStr;
    const size_t len = std::strlen(name);
    size_t i = 0;
    if (std::strncmp(name, "64", 2) == 0) {
        size = 64;
        i = 2;
    } else if (std::strncmp(name, "128", 3) == 0) {
        size = 128;
        i = 3;
    } else if (std::strncmp(name, "256", 3) == 0) {
        size = 256;
        i = 3;
    } else {
        return store(false);
    }
    if (i + 3 > len)
        return store(false);
    switch (cToLower(name[i])) {
    case 'a': format = eTextureConfig::FORMAT_CMPR_ALPHA; break;
    case 'c': format = eTextureConfig::FORMAT_CMPR; break;
    case 'd': format = eTextureConfig::FORMAT_CMPR; bFlag = true; break;
    case 'f': format = eTextureConfig::FORMAT_I4; break;
    case 'h': format = eTextureConfig::FORMAT_RGB5A3; break;
    default: return store(false);
    }
    switch (cToLower(name[i + 1])) {
    case 'r': wrap = WRAP_REPEAT; break;
    case 'c': wrap = WRAP_CLAMP; break;
    case 'y': wrap = WRAP_CLAMP_S; break;
    case 'x': wrap = WRAP_CLAMP_T; break;
    default: return store(false);
    }
    if (name[i + 2] != '_')
        return store(false);
    for (size_t k = i + 3; k < len; ++k)
        if (!IsNameChar(name[k]))
            return store(false);
    return store(len <= static_cast<size_t>(kMaxFilenameLength));
}
