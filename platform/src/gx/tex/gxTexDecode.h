#pragma once
// Texture decoding: the graphics chip's tiled texel formats to host RGBA8
// (bytes R, G, B, A; rows top first, no padding), with byte sizes of mipmap
// chains. Pure functions of their arguments: no GL, no globals; any thread.
// A decode that fails logs one line naming the cause and returns false, and
// leaves its output untouched; the caller then draws the texture white.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gx.h"

namespace gxtex {

constexpr uint32_t kMaxDimension = 1024;  // width and height are stored minus one in 10 bits

// Storage block of a format: texels across and down, and its byte size.
struct BlockShape {
    uint32_t width;
    uint32_t height;
    uint32_t bytes;
};

// One palette as loaded into palette memory. Entries are big-endian u16.
struct Palette {
    const uint8_t* data = nullptr;
    size_t bytes = 0;        // bytes readable at data
    GXTlutFmt format = GX_TL_IA8;
    uint32_t entries = 0;    // entries loaded; C4 needs 16, C8 256
};

// Where one decoded level sits in DecodedTexture::rgba.
struct DecodedLevel {
    uint32_t width;
    uint32_t height;
    size_t offset;  // bytes from the start of rgba
};

// All levels of a texture, level 0 first, back to back.
struct DecodedTexture {
    std::vector<uint8_t> rgba;
    std::vector<DecodedLevel> levels;
};

// The block shape of a format this layer decodes; false for any other number.
bool GetBlockShape(GXTexFmt format, BlockShape* shape);

// True for the colour-indexed formats, which need a palette.
bool IsPaletteFormat(GXTexFmt format);

// Bytes of one width x height level in whole blocks; 0 for an unsupported format.
size_t LevelBytes(GXTexFmt format, uint32_t width, uint32_t height);

// Bytes of levels 0 .. levels-1 stored one after another (each level is
// whole 32-byte blocks, so every level starts 32-byte aligned); 0 for an
// unsupported format.
size_t TextureBytes(GXTexFmt format, uint32_t width, uint32_t height, uint32_t levels);

// Levels of a full chain down to 1x1: floor(log2(max(width, height))) + 1;
// 0 when a side is 0.
uint32_t FullChainLevels(uint32_t width, uint32_t height);

// Decodes one level. dst receives width * height * 4 bytes. srcBytes is what
// may be read at src; it must cover LevelBytes. palette is needed for C4 and
// C8 and ignored otherwise. False (logged) on an unsupported format, a size
// outside 1..1024, too few bytes or a missing or short palette.
bool DecodeLevel(const uint8_t* src, size_t srcBytes, GXTexFmt format, uint32_t width,
                 uint32_t height, const Palette* palette, uint8_t* dst);

// Decodes levels 0 .. levels-1 (the texture object's max LOD + 1) of a
// texture stored as TextureBytes lays it out, never reading past them. On
// failure (as DecodeLevel, or a level count outside 1..FullChainLevels) out
// keeps its previous contents; on success its buffer is reused, so a caller
// decoding many textures into one DecodedTexture allocates rarely.
bool DecodeTexture(const uint8_t* src, size_t srcBytes, GXTexFmt format, uint32_t width,
                   uint32_t height, uint32_t levels, const Palette* palette, DecodedTexture* out);

}  // namespace gxtex
