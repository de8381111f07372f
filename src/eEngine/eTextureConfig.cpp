#include "eEngine/eTextureConfig.h"

#include "platform/gx.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTextureData.h"

QM_DEFINE_TYPE(eTextureConfig, cBase, 21)
QM_DEFINE_GROUP(eTextureConfigGroup, 22)

const GXTexFmt eTextureConfig::s_gxFormats[6] = {GX_TF_CMPR, GX_TF_RGBA8, GX_TF_RGB5A3,
                                                 GX_TF_CMPR, GX_TF_I8,    GX_TF_I4};
const GXTexWrapMode eTextureConfig::s_gxWrapMode[4] = {GX_REPEAT, GX_CLAMP, GX_MIRROR, GX_CLAMP};

namespace {

constexpr uint32_t kBaseVersion = 1;
// Each reservation is the texels plus 4 bytes, rounded up to 32: the layout
// the "Textures" pool size of the game configuration was worked out for.
constexpr uint32_t kTexelSlack = 4;

}  // namespace

const char* eTextureConfig::FormatText(int format)
{
    switch (format) {
    case FORMAT_CMPR: return "FORMAT_CMPR";
    case FORMAT_RGBA8: return "FORMAT_RGBA8";
    case FORMAT_RGB5A3: return "FORMAT_RGB5A3";
    case FORMAT_CMPR_ALPHA: return "FORMAT_CMPR_ALPHA";
    case FORMAT_C8: return "FORMAT_C8";
    case FORMAT_I4: return "FORMAT_I4";
    case FORMAT_UNSET: return "FORMAT_UNSET";
    default: return "???";
    }
}

eTextureConfig::eTextureConfig()
    : m_format(FORMAT_UNSET),
      m_nWidth(0),
      m_nHeight(0),
      m_bMipmaps(false),
      m_bRenderTarget(false),
      m_bHasData(false),
      m_pTextureData(nullptr)
{
}

eTextureConfig::eTextureConfig(const eTextureConfig&) : eTextureConfig() {}

cBase* eTextureConfig::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eTextureConfig>(*this) : nullptr;
}

void eTextureConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    wb.WriteInt(static_cast<int32_t>(m_format));
    wb.WriteInt(m_nWidth);
    wb.WriteInt(m_nHeight);
    wb.WriteBool(m_bMipmaps);
    wb.WriteBool(m_bRenderTarget);
}

bool eTextureConfig::Read(const cFile& file, cMemPool*)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eTextureConfig", "version");
    { cReadBlock base(file, kBaseVersion); }
    const int32_t format = rb.ReadInt();
    const uint32_t width = rb.ReadUInt();
    const uint32_t height = rb.ReadUInt();
    const bool bMipmaps = rb.ReadBool();
    const bool bRenderTarget = rb.ReadBool();
    if (rb.Failed())
        return false;
    m_format = static_cast<eFormat>(format);
    m_nWidth = width;
    m_nHeight = height;
    m_bMipmaps = bMipmaps;
    m_bRenderTarget = bRenderTarget;
    return true;
}

int eTextureConfig::BitsPerTexel(int32_t format)
{
    switch (format) {
    case FORMAT_CMPR:
    case FORMAT_CMPR_ALPHA: return 4;
    case FORMAT_RGBA8: return 32;
    case FORMAT_RGB5A3: return 16;
    case FORMAT_C8: return 8;
    default: return 0;
    }
}

uint32_t eTextureConfig::CalcByteCount(int32_t format, uint32_t width, uint32_t height, bool bMipmaps, int* pLevels)
{
    const int bits = BitsPerTexel(format);
    int nLevels = 0;
    uint64_t nBytes = 0;
    if (bits != 0) {
        const int nLimit = bMipmaps ? kMaxLevels : 1;
        // 16- and 32-bit tiles are 4 x 4, so their chain reaches 4 x 4; the
        // compressed and 8-bit tiles are 8 texels wide, and levels of 4 or
        // less are not reserved.
        const bool bDownToFour = format == FORMAT_RGBA8 || format == FORMAT_RGB5A3;
        uint64_t w = width;
        uint64_t h = height;
        while (nLevels < nLimit && (bDownToFour ? (w >= 4 && h >= 4) : (w > 4 && h > 4))) {
            nBytes += (w * static_cast<uint64_t>(bits) * h) >> 3;
            ++nLevels;
            w >>= 1;
            h >>= 1;
        }
    }
    if (pLevels)
        *pLevels = nLevels;
    return nBytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(nBytes);
}

void eTextureConfig::Create(cMemPool* pPool, eFormat format, uint32_t width, uint32_t height, bool bMipmaps,
                            bool bRenderTarget)
{
    eTextureData* pData = pPool ? pPool->New<eTextureData>() : nullptr;
    if (!pData) {
        cLogError_("eTextureConfig: slot %d has no memory for its texture data", m_handle.GetSlot());
        return;
    }
    m_pTextureData = pData;
    if (BitsPerTexel(format) == 0)
        return;  // a format without memory: the fields stay as read
    if (width > kMaxSide || height > kMaxSide) {
        cLogError_("eTextureConfig: slot %d is %u x %u; the hardware takes at most %u per side",
                   m_handle.GetSlot(), width, height, kMaxSide);
        return;
    }

    int nLevels = 0;
    const uint32_t nBytes = CalcByteCount(format, width, height, bMipmaps, &nLevels);
    void* pTexels = nullptr;
    if (nBytes > 0) {
        const uint32_t nReserve = (nBytes + kTexelSlack + kTexelAlign - 1) & ~(kTexelAlign - 1);
        pTexels = pPool->Alloc(nReserve, kTexelAlign);
        if (!pTexels) {
            cLogError_("eTextureConfig: slot %d cannot reserve %u texel bytes", m_handle.GetSlot(), nReserve);
            return;
        }
    }
    pData->m_nBytes = pTexels ? nBytes : 0;
    pData->m_pTexels = pTexels;

    const GXTexWrapMode wrap = bRenderTarget ? GX_CLAMP : GX_REPEAT;
    const GXBool mip = bMipmaps ? GX_TRUE : GX_FALSE;
    // Width and height go to the hardware as stored: the texel data of a
    // non-square texture is laid out width texels across.
    const uint16_t w = static_cast<uint16_t>(width);
    const uint16_t h = static_cast<uint16_t>(height);
    if (format == FORMAT_C8)
        GXInitTexObjCI(&pData->m_texObj, pTexels, w, h, GX_TF_C8, wrap, wrap, mip, GX_TLUT0);
    else
        GXInitTexObj(&pData->m_texObj, pTexels, w, h, s_gxFormats[format], wrap, wrap, mip);
    const float fMaxLod = nLevels > 0 ? static_cast<float>(nLevels - 1) : 0.0f;
    GXInitTexObjLOD(&pData->m_texObj, bMipmaps ? GX_LIN_MIP_LIN : GX_LINEAR, GX_LINEAR, 0.0f, fMaxLod, 0.0f,
                    GX_FALSE, GX_FALSE, GX_ANISO_1);

    m_format = format;
    m_nWidth = width;
    m_nHeight = height;
    m_bMipmaps = bMipmaps;
    m_bRenderTarget = bRenderTarget;
    m_bHasData = false;
}
