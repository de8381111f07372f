#include "eEngine/eTexture.h"

#include <algorithm>
#include <cstring>

#include "platform/gx.h"
#include "platform/os.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eTextureData.h"

const eTextureData* eTexture::s_pLastTex[kNumMaps] = {nullptr, nullptr, nullptr, nullptr};

void eTexture::Apply(int map) const
{
    const eTextureConfig* pConfig = GetConfig();
    if (pConfig && pConfig->m_pTextureData)
        pConfig->m_pTextureData->Apply(map);
}

void eTexture::ApplyNull(int map)
{
    if (map >= 0 && map < kNumMaps)
        s_pLastTex[map] = nullptr;
}

void eTexture::SetData(const void* pTexels)
{
    eTextureConfig* pConfig = GetConfig();
    eTextureData* pData = pConfig ? pConfig->m_pTextureData : nullptr;
    if (!pData || !pData->m_pTexels || !pTexels)
        return;
    // Width x height bytes is what callers hand over; the slot holds
    // m_nBytes, and neither side is passed.
    const uint64_t nTexels = static_cast<uint64_t>(pConfig->m_nWidth) * pConfig->m_nHeight;
    const uint32_t nBytes = static_cast<uint32_t>(std::min<uint64_t>(nTexels, pData->m_nBytes));
    std::memcpy(pData->m_pTexels, pTexels, nBytes);
    DCStoreRangeNoSync(pData->m_pTexels, nBytes);
    m_bHasData = true;
}

void eTexture::NullData()
{
    m_bHasData = false;
    eTextureConfig* pConfig = GetConfig();
    eTextureData* pData = pConfig ? pConfig->m_pTextureData : nullptr;
    if (!pData || !pData->m_pTexels || pData->m_nBytes == 0)
        return;
    std::memset(pData->m_pTexels, kNullFill, pData->m_nBytes);
    DCStoreRangeNoSync(pData->m_pTexels, pData->m_nBytes);
}

void eTexture::SkipDataRead(const cFile& file) const
{
    cReadBlock rb(file, kPlatformVersion);
    rb.SkipToEnd();
}

bool eTexture::PlatformRead(const cFile& file, eTextureConfig* pConfig, int32_t wrap)
{
    cReadBlock rb(file, kPlatformVersion);
    if (rb.m_nVersion == 0) {
        rb.SkipToEnd();
        return !rb.Failed();
    }
    // A negative first word says no texels follow: the block may end there.
    const int32_t nPresent = rb.ReadInt();
    if (!rb.Failed() && nPresent < 0) {
        rb.SkipToEnd();
        return !rb.Failed();
    }
    rb.ReadInt();  // not used
    const uint32_t nBytes = rb.ReadUInt();
    if (rb.Failed())
        return false;
    eTextureData& data = *pConfig->m_pTextureData;
    if (nBytes != data.m_nBytes) {
        // The texture keeps whatever texels it had.
        rb.SkipToEnd();
        return !rb.Failed();
    }
    // Checked before the copy, so a damaged block leaves the slot's texels.
    if (static_cast<uint64_t>(file.GetCurrentPos()) + nBytes > rb.m_nEndOffset)
        return rb.Reject("eTexture", "texel count");
    if (nBytes > 0 && !file.Read(data.m_pTexels, nBytes))
        return false;
    GXInitTexObjWrapMode(&data.m_texObj, WrapS(wrap), WrapT(wrap));
    if (nBytes > 0)
        DCStoreRangeNoSync(data.m_pTexels, nBytes);
    m_bHasData = true;
    return true;
}

void eTexture::PlatformWrite(const cFile& file, const eTextureConfig& config) const
{
    const eTextureData& data = *config.m_pTextureData;
    cWriteBlock wb(file, kPlatformVersion);
    wb.WriteInt(static_cast<int32_t>(0));
    wb.WriteInt(static_cast<int32_t>(0));
    wb.WriteInt(data.m_nBytes);
    if (data.m_pTexels && data.m_nBytes > 0)
        wb.WriteChars(data.m_pTexels, static_cast<int>(data.m_nBytes));
}
