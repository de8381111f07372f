// Texture decoding entry points: checks every argument against the formats'
// limits and the bytes given, logs the first failure, then runs the level
// decoders.
#include "gx/tex/gxTexDecode.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "gx/tex/gxTexDecode_local.h"
#include "platform/os.h"
#include "platform/ps.h"

namespace gxtex {

using detail::Rgba;

bool GetBlockShape(GXTexFmt format, BlockShape* shape)
{
    BlockShape s;
    switch (format) {
    case GX_TF_I4:
    case GX_TF_C4:
    case GX_TF_CMPR: s = {8, 8, 32}; break;
    case GX_TF_I8:
    case GX_TF_IA4:
    case GX_TF_C8: s = {8, 4, 32}; break;
    case GX_TF_IA8:
    case GX_TF_RGB565:
    case GX_TF_RGB5A3: s = {4, 4, 32}; break;
    case GX_TF_RGBA8: s = {4, 4, 64}; break;
    default: return false;
    }
    *shape = s;
    return true;
}

bool IsPaletteFormat(GXTexFmt format)
{
    return format == GX_TF_C4 || format == GX_TF_C8;
}

size_t LevelBytes(GXTexFmt format, uint32_t width, uint32_t height)
{
    BlockShape s;
    if (!GetBlockShape(format, &s))
        return 0;
    const size_t blocksX = (static_cast<size_t>(width) + s.width - 1) / s.width;
    const size_t blocksY = (static_cast<size_t>(height) + s.height - 1) / s.height;
    return blocksX * blocksY * s.bytes;
}

static uint32_t LevelSide(uint32_t side, uint32_t level)
{
    return level >= 32 ? 1u : std::max(1u, side >> level);
}

size_t TextureBytes(GXTexFmt format, uint32_t width, uint32_t height, uint32_t levels)
{
    size_t total = 0;
    for (uint32_t i = 0; i < levels; ++i) {
        const uint32_t w = LevelSide(width, i);
        const uint32_t h = LevelSide(height, i);
        if (w == 1 && h == 1) {  // every further level is one block as well
            total += static_cast<size_t>(levels - i) * LevelBytes(format, 1, 1);
            break;
        }
        total += LevelBytes(format, w, h);
    }
    return total;
}

uint32_t FullChainLevels(uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0)
        return 0;
    uint32_t side = std::max(width, height);
    uint32_t levels = 1;
    while (side > 1) {
        side >>= 1;
        ++levels;
    }
    return levels;
}

static bool CheckFormatAndSize(GXTexFmt format, uint32_t width, uint32_t height)
{
    if (detail::GetLevelDecoder(format) == nullptr) {
        OSReport("GX texture: format %u (%s) is not supported\n", static_cast<uint32_t>(format),
                 GXTexFmtText(format));
        return false;
    }
    if (width < 1 || width > kMaxDimension || height < 1 || height > kMaxDimension) {
        OSReport("GX texture: %s size %ux%u is outside 1..%u\n", GXTexFmtText(format), width, height,
                 kMaxDimension);
        return false;
    }
    return true;
}

static bool CheckBytes(const uint8_t* src, size_t srcBytes, size_t needed, GXTexFmt format,
                       uint32_t width, uint32_t height, uint32_t levels)
{
    if (src == nullptr || srcBytes < needed) {
        OSReport("GX texture: %s %ux%u with %u level(s) needs %zu bytes, %zu given\n",
                 GXTexFmtText(format), width, height, levels, needed, src ? srcBytes : 0);
        return false;
    }
    return true;
}

// Decodes the entries a colour-indexed format can address.
static bool DecodePalette(const Palette* palette, GXTexFmt format, Rgba out[256])
{
    const uint32_t needed = format == GX_TF_C4 ? 16 : 256;
    if (palette == nullptr || palette->data == nullptr) {
        OSReport("GX texture: %s needs a palette and none is loaded\n", GXTexFmtText(format));
        return false;
    }
    if (static_cast<uint32_t>(palette->format) > GX_TL_RGB5A3) {
        OSReport("GX texture: palette format %u is not supported (0..2)\n",
                 static_cast<uint32_t>(palette->format));
        return false;
    }
    if (palette->entries < needed) {
        OSReport("GX texture: %s needs %u palette entries, %u loaded\n", GXTexFmtText(format),
                 needed, palette->entries);
        return false;
    }
    if (palette->bytes < needed * 2u) {
        OSReport("GX texture: %s palette needs %u bytes, %zu given\n", GXTexFmtText(format),
                 needed * 2u, palette->bytes);
        return false;
    }
    Rgba (*const decode)(uint16_t) = palette->format == GX_TL_IA8      ? detail::DecodeIA8
                                     : palette->format == GX_TL_RGB565 ? detail::DecodeRGB565
                                                                      : detail::DecodeRGB5A3;
    for (uint32_t i = 0; i < needed; ++i)
        out[i] = decode(ps::LoadU16BE(palette->data + 2 * i));
    return true;
}

bool DecodeLevel(const uint8_t* src, size_t srcBytes, GXTexFmt format, uint32_t width,
                 uint32_t height, const Palette* palette, uint8_t* dst)
{
    if (!CheckFormatAndSize(format, width, height))
        return false;
    if (!CheckBytes(src, srcBytes, LevelBytes(format, width, height), format, width, height, 1))
        return false;
    Rgba entries[256];
    if (IsPaletteFormat(format) && !DecodePalette(palette, format, entries))
        return false;
    if (dst == nullptr) {
        OSReport("GX texture: no output buffer for %s %ux%u\n", GXTexFmtText(format), width, height);
        return false;
    }
    detail::GetLevelDecoder(format)(src, width, height, entries, dst);
    return true;
}

bool DecodeTexture(const uint8_t* src, size_t srcBytes, GXTexFmt format, uint32_t width,
                   uint32_t height, uint32_t levels, const Palette* palette, DecodedTexture* out)
{
    if (!CheckFormatAndSize(format, width, height))
        return false;
    const uint32_t maxLevels = FullChainLevels(width, height);
    if (levels < 1 || levels > maxLevels) {
        OSReport("GX texture: %s %ux%u has 1..%u levels, %u asked\n", GXTexFmtText(format), width,
                 height, maxLevels, levels);
        return false;
    }
    if (!CheckBytes(src, srcBytes, TextureBytes(format, width, height, levels), format, width,
                    height, levels))
        return false;
    Rgba entries[256];
    if (IsPaletteFormat(format) && !DecodePalette(palette, format, entries))
        return false;

    if (out == nullptr) {
        OSReport("GX texture: no output for %s %ux%u\n", GXTexFmtText(format), width, height);
        return false;
    }
    // Nothing fails past this point, so the output's buffer is reused in place.
    std::vector<DecodedLevel> layout;
    layout.reserve(levels);
    size_t texels = 0;
    for (uint32_t i = 0; i < levels; ++i) {
        const uint32_t w = LevelSide(width, i);
        const uint32_t h = LevelSide(height, i);
        layout.push_back({w, h, texels * 4});
        texels += static_cast<size_t>(w) * h;
    }
    out->rgba.resize(texels * 4);
    out->levels = std::move(layout);
    const detail::LevelDecoder decode = detail::GetLevelDecoder(format);
    for (const DecodedLevel& level : out->levels) {
        decode(src, level.width, level.height, entries, out->rgba.data() + level.offset);
        src += LevelBytes(format, level.width, level.height);
    }
    return true;
}

}  // namespace gxtex
