#pragma once
// Internals of the texture decoders: the per-format level decoders behind
// DecodeLevel. They trust their arguments: the caller has checked the format,
// the size (1..1024) and that src holds the level's whole blocks.

#include <cstdint>

#include "platform/gx.h"

namespace gxtex::detail {

// One decoded texel, laid out as the output bytes (copied there with memcpy).
struct Rgba {
    uint8_t r, g, b, a;
};
static_assert(sizeof(Rgba) == 4);

// Bit replication of an n-bit channel to 8 bits, as the texture unit expands it.
inline uint8_t Expand3(uint32_t v) { return static_cast<uint8_t>((v << 5) | (v << 2) | (v >> 1)); }
inline uint8_t Expand4(uint32_t v) { return static_cast<uint8_t>((v << 4) | v); }
inline uint8_t Expand5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
inline uint8_t Expand6(uint32_t v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }

// The 16-bit texel and palette layouts.
Rgba DecodeIA8(uint16_t v);     // alpha in the high byte, intensity in the low
Rgba DecodeRGB565(uint16_t v);
Rgba DecodeRGB5A3(uint16_t v);

// Decodes one level into width * height texels (dst is their bytes).
// palette: the decoded entries (16 for C4, 256 for C8), null for other formats.
using LevelDecoder = void (*)(const uint8_t* src, uint32_t width, uint32_t height,
                              const Rgba* palette, uint8_t* dst);

// The decoder of a supported format, null for any other.
LevelDecoder GetLevelDecoder(GXTexFmt format);

// The CMPR level decoder (its own file: the one format with a colour model).
void DecodeCmprLevel(const uint8_t* src, uint32_t width, uint32_t height, const Rgba* palette,
                     uint8_t* dst);

// The ways a CMPR level can be decoded, by the instructions they need; the
// level decoder uses the best one the processor runs. Tests compare them.
enum class CmprPath : uint8_t { kAvx512, kAvx2, kSsse3, kScalar };
// DecodeCmprLevel on one path; false (nothing written) when the processor
// cannot run it.
bool DecodeCmprLevelOn(CmprPath path, const uint8_t* src, uint32_t width, uint32_t height, uint8_t* dst);

// Copies one decoded block of blockW x blockH texels into the level at block
// position (bx, by), dropping the texels of the padding beyond the level's edge.
void StoreBlock(const Rgba* block, uint32_t blockW, uint32_t blockH, uint32_t bx, uint32_t by,
                uint32_t width, uint32_t height, uint8_t* dst);

}  // namespace gxtex::detail
