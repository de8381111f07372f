#pragma once
// Writers for the rendering resources: texture configuration groups,
// textures (alone, in groups and in lightmap blocks) with their texels
// encoded in the hardware's formats, palettes, and material groups with
// their passes and stages. Materials and configurations go through the
// engine's own Write code; textures and palettes, whose texels the console
// never writes, are laid out here byte by byte. Offline tools and test
// fixtures; main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/gxTextureEncode.h"

class eMaterial;

namespace datagen {

// One texture as stored: its name, wrap mode and, with texels, the
// description its slot must match and the texels themselves (their size is
// the stored byte count).
struct TextureFileDesc {
    std::string name;
    int32_t wrap = 0;          // eTexture::eWrapMode
    bool bHasTexels = true;
    int32_t format = 0;        // eTextureConfig::eFormat
    uint32_t width = 0;
    uint32_t height = 0;
    bool bMipmaps = false;
    bool bRenderTarget = false;
    std::vector<uint8_t> texels;
};

// The texels a slot of this description holds, encoded from the image (the
// mipmap levels halved from it): CMPR for formats 0 and 3, RGBA8, RGB5A3, and
// C8 with the palette for format 4. False (logged) for another format, an
// image of another size, or a missing palette.
bool EncodeSlotTexels(const RgbaImage& image, int32_t format, bool bMipmaps, const GxPalette* pPalette,
                      std::vector<uint8_t>* pOut);
// The image with its alpha carried in green and opaque alpha: what a format-3
// texture stores, since drawing takes its alpha from green.
RgbaImage AlphaInGreen(const RgbaImage& image);
// A texture description with texels encoded from the image, sized by it.
bool MakeTextureDesc(const std::string& name, int32_t wrap, int32_t format, bool bMipmaps, const RgbaImage& image,
                     const GxPalette* pPalette, TextureFileDesc* pDesc);

// An eTexture block (version 5, with the console block of texels).
BlockWriter& TextureBlock(BlockWriter& w, const TextureFileDesc& desc);
// An eLightmap block (version 2) holding its textures.
BlockWriter& LightmapBlock(BlockWriter& w, const std::vector<TextureFileDesc>& textures);
// An ePalette block with 512 bytes of entries.
BlockWriter& PaletteBlock(BlockWriter& w, const std::vector<uint8_t>& entries);

// One record of a texture group: the texture and the check its handle gets
// (0: an empty record).
struct TextureRecord {
    TextureFileDesc texture;
    uint16_t check;
};
// An eTextureGroup over beginSlot .. beginSlot + records - 1 as a console
// data file at a host path.
bool WriteTextureGroupFile(const std::string& path, int beginSlot, const std::vector<TextureRecord>& records);
// A palette (256 IA8 entries) as a console data file.
bool WritePaletteFile(const std::string& path, const GxPalette& palette);

// One texture configuration of a group; check 0 is an empty record.
struct TextureConfigRecord {
    int32_t format;
    uint32_t width;
    uint32_t height;
    bool bMipmaps;
    bool bRenderTarget;
    uint16_t check;
};
// An eTextureConfigGroup over beginSlot .. as a console data file, through
// the engine's Write. The manager's slots get their old contents back.
bool WriteTextureConfigGroupFile(const std::string& path, int beginSlot,
                                 const std::vector<TextureConfigRecord>& records);

// One material of a group (null: an empty record).
struct MaterialRecord {
    eMaterial* pMaterial;
    uint16_t check;
};
// An eMaterialGroup over beginSlot .. as a console data file, through the
// engine's Write. The manager's slots get their old contents back.
bool WriteMaterialGroupFile(const std::string& path, int beginSlot, const std::vector<MaterialRecord>& records);

}  // namespace datagen
