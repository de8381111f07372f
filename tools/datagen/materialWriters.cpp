#include "datagen/materialWriters.h"

#include <memory>

#include "cCore/cLog.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eTextureGroup.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/ePalette.h"
#include "datagen/slotLease.h"

namespace datagen {

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kGroupVersion = 2;
constexpr uint32_t kTopLevelVersion = 1;
constexpr uint32_t kObjectVersion = 1;

bool GxFormatOf(int32_t format, GXTexFmt* pFmt)
{
    switch (format) {
    case eTextureConfig::FORMAT_CMPR:
    case eTextureConfig::FORMAT_CMPR_ALPHA: *pFmt = GX_TF_CMPR; return true;
    case eTextureConfig::FORMAT_RGBA8: *pFmt = GX_TF_RGBA8; return true;
    case eTextureConfig::FORMAT_RGB5A3: *pFmt = GX_TF_RGB5A3; return true;
    case eTextureConfig::FORMAT_C8: *pFmt = GX_TF_C8; return true;
    default: return false;
    }
}

}  // namespace

bool EncodeSlotTexels(const RgbaImage& image, int32_t format, bool bMipmaps, const GxPalette* pPalette,
                      std::vector<uint8_t>* pOut)
{
    GXTexFmt fmt;
    if (!GxFormatOf(format, &fmt)) {
        cLogError_("datagen: texture format %d has no texels", format);
        return false;
    }
    int nLevels = 0;
    const uint32_t nBytes = eTextureConfig::CalcByteCount(format, image.width, image.height, bMipmaps, &nLevels);
    if (nLevels == 0) {
        cLogError_("datagen: a %u x %u image holds no level of format %d", image.width, image.height, format);
        return false;
    }
    if (!EncodeGxTextureChain(image, fmt, static_cast<uint32_t>(nLevels), pPalette, pOut))
        return false;
    if (pOut->size() != nBytes) {
        cLogError_("datagen: %zu texel bytes encoded where the slot holds %u", pOut->size(), nBytes);
        return false;
    }
    return true;
}

RgbaImage AlphaInGreen(const RgbaImage& image)
{
    RgbaImage out = image;
    for (size_t i = 0; i + 3 < out.rgba.size(); i += 4) {
        out.rgba[i + 1] = image.rgba[i + 3];
        out.rgba[i + 3] = 255;
    }
    return out;
}

bool MakeTextureDesc(const std::string& name, int32_t wrap, int32_t format, bool bMipmaps, const RgbaImage& image,
                     const GxPalette* pPalette, TextureFileDesc* pDesc)
{
    TextureFileDesc desc;
    desc.name = name;
    desc.wrap = wrap;
    desc.format = format;
    desc.width = image.width;
    desc.height = image.height;
    desc.bMipmaps = bMipmaps;
    if (!EncodeSlotTexels(image, format, bMipmaps, pPalette, &desc.texels))
        return false;
    *pDesc = std::move(desc);
    return true;
}

BlockWriter& TextureBlock(BlockWriter& w, const TextureFileDesc& desc)
{
    w.Begin(eTexture::kVersion);
    w.Begin(kObjectVersion).Begin(kBaseVersion).End().Name(desc.name.c_str()).End();
    w.Int(desc.wrap).Int(desc.bHasTexels ? 1 : 0);
    if (desc.bHasTexels) {
        w.Int(desc.format).Word(desc.width).Word(desc.height);
        w.Word(desc.bMipmaps ? 1 : 0).Word(desc.bRenderTarget ? 1 : 0);
        w.Begin(eTexture::kPlatformVersion).Int(0).Int(0).Word(static_cast<uint32_t>(desc.texels.size()));
        w.Bytes(desc.texels.data(), desc.texels.size()).End();
    }
    return w.End();
}

BlockWriter& LightmapBlock(BlockWriter& w, const std::vector<TextureFileDesc>& textures)
{
    w.Begin(2).Int(static_cast<int32_t>(textures.size()));
    for (const TextureFileDesc& t : textures)
        TextureBlock(w, t);
    return w.End();
}

BlockWriter& PaletteBlock(BlockWriter& w, const std::vector<uint8_t>& entries)
{
    w.Begin(ePalette::kVersion).Begin(kBaseVersion).End();
    w.Begin(ePalette::kPlatformVersion).Bytes(entries.data(), entries.size()).End();
    return w.End();
}

bool WriteTextureGroupFile(const std::string& path, int beginSlot, const std::vector<TextureRecord>& records)
{
    if (!CheckSlotRange("texture", beginSlot, records.size(), eTextureMgr::kSlots))
        return false;
    BlockWriter w;
    w.Header().Begin(kTopLevelVersion).Word(eTextureGroup::GetStaticType()->m_nTypeId);
    w.Begin(kGroupVersion).Begin(kBaseVersion).End();
    w.Int(beginSlot).Int(beginSlot + static_cast<int32_t>(records.size()));
    for (const TextureRecord& r : records) {
        w.Half(r.check);
        if (r.check != 0)
            TextureBlock(w.Word(eTexture::GetStaticType()->m_nTypeId), r.texture);
    }
    w.End().End().Trailer();
    return w.Save(path);
}

bool WritePaletteFile(const std::string& path, const GxPalette& palette)
{
    if (palette.format != GX_TL_IA8 || palette.entries.size() != ePaletteData::kEntryBytes) {
        cLogError_("datagen: a palette file holds 256 IA8 entries, not %zu bytes of format %d",
                   palette.entries.size(), palette.format);
        return false;
    }
    BlockWriter w;
    w.Header().Begin(kTopLevelVersion).Word(ePalette::GetStaticType()->m_nTypeId);
    PaletteBlock(w, palette.entries).End().Trailer();
    return w.Save(path);
}

bool WriteTextureConfigGroupFile(const std::string& path, int beginSlot,
                                 const std::vector<TextureConfigRecord>& records)
{
    if (!CheckSlotRange("texture configuration", beginSlot, records.size(), eTextureConfigMgr::kSlots))
        return false;
    std::vector<eTextureConfig> configs(records.size());
    SlotLease<eTextureConfigMgr, eTextureConfig> lease(beginSlot, static_cast<int>(records.size()));
    for (size_t i = 0; i < records.size(); ++i) {
        const TextureConfigRecord& r = records[i];
        eTextureConfig& c = configs[i];
        c.m_format = static_cast<eTextureConfig::eFormat>(r.format);
        c.m_nWidth = r.width;
        c.m_nHeight = r.height;
        c.m_bMipmaps = r.bMipmaps;
        c.m_bRenderTarget = r.bRenderTarget;
        lease.Place(static_cast<int>(i), &c, r.check);
    }
    eTextureConfigGroup group;  // not made by the factory: it destroys nothing
    group.m_nBegin = beginSlot;
    group.m_nEnd = beginSlot + static_cast<int>(records.size());
    return WriteObjectFile(path, group);
}

bool WriteMaterialGroupFile(const std::string& path, int beginSlot, const std::vector<MaterialRecord>& records)
{
    return WriteSlotGroup<eMaterialGroup, eMaterialMgr>("material", path, beginSlot, records, &MaterialRecord::pMaterial);
}

}  // namespace datagen
