// Level decoders of the uncompressed formats: the block walk shared by all of
// them and one texel function per format.
#include "gx/tex/gxTexDecode_local.h"

#include <algorithm>
#include <cstring>

#include "platform/ps.h"

namespace gxtex::detail {

Rgba DecodeIA8(uint16_t v)
{
    const uint8_t i = static_cast<uint8_t>(v & 0xFF);
    return {i, i, i, static_cast<uint8_t>(v >> 8)};
}

Rgba DecodeRGB565(uint16_t v)
{
    return {Expand5(v >> 11), Expand6((v >> 5) & 0x3F), Expand5(v & 0x1F), 0xFF};
}

Rgba DecodeRGB5A3(uint16_t v)
{
    if (v & 0x8000)  // opaque: 1 RRRRR GGGGG BBBBB
        return {Expand5((v >> 10) & 0x1F), Expand5((v >> 5) & 0x1F), Expand5(v & 0x1F), 0xFF};
    // translucent: 0 AAA RRRR GGGG BBBB
    return {Expand4((v >> 8) & 0xF), Expand4((v >> 4) & 0xF), Expand4(v & 0xF),
            Expand3((v >> 12) & 0x7)};
}

void StoreBlock(const Rgba* block, uint32_t blockW, uint32_t blockH, uint32_t bx, uint32_t by,
                uint32_t width, uint32_t height, uint8_t* dst)
{
    const uint32_t x0 = bx * blockW;
    const uint32_t y0 = by * blockH;
    const uint32_t cols = std::min(blockW, width - x0);
    const uint32_t rows = std::min(blockH, height - y0);
    for (uint32_t r = 0; r < rows; ++r)
        std::memcpy(dst + (static_cast<size_t>(y0 + r) * width + x0) * 4, block + r * blockW,
                    cols * sizeof(Rgba));
}

// Walks the level's blocks left to right, then top to bottom; texel(block, i)
// gives texel i of a block in its row-major order.
template <uint32_t kBlockW, uint32_t kBlockH, uint32_t kBlockBytes, class TexelFn>
static void DecodeBlocks(const uint8_t* src, uint32_t width, uint32_t height, uint8_t* dst,
                         TexelFn texel)
{
    const uint32_t blocksX = (width + kBlockW - 1) / kBlockW;
    const uint32_t blocksY = (height + kBlockH - 1) / kBlockH;
    Rgba block[kBlockW * kBlockH];
    for (uint32_t by = 0; by < blocksY; ++by) {
        for (uint32_t bx = 0; bx < blocksX; ++bx, src += kBlockBytes) {
            for (uint32_t i = 0; i < kBlockW * kBlockH; ++i)
                block[i] = texel(src, i);
            StoreBlock(block, kBlockW, kBlockH, bx, by, width, height, dst);
        }
    }
}

// The left texel of a pair is the high nibble.
static uint32_t Nibble(const uint8_t* block, uint32_t i)
{
    const uint8_t b = block[i >> 1];
    return (i & 1) ? (b & 0xF) : (b >> 4);
}

static void DecodeI4(const uint8_t* src, uint32_t w, uint32_t h, const Rgba*, uint8_t* dst)
{
    DecodeBlocks<8, 8, 32>(src, w, h, dst, [](const uint8_t* b, uint32_t i) {
        const uint8_t v = Expand4(Nibble(b, i));
        return Rgba{v, v, v, v};
    });
}

static void DecodeI8(const uint8_t* src, uint32_t w, uint32_t h, const Rgba*, uint8_t* dst)
{
    DecodeBlocks<8, 4, 32>(src, w, h, dst, [](const uint8_t* b, uint32_t i) {
        return Rgba{b[i], b[i], b[i], b[i]};
    });
}

static void DecodeIA4(const uint8_t* src, uint32_t w, uint32_t h, const Rgba*, uint8_t* dst)
{
    DecodeBlocks<8, 4, 32>(src, w, h, dst, [](const uint8_t* b, uint32_t i) {
        const uint8_t v = Expand4(b[i] & 0xF);
        return Rgba{v, v, v, Expand4(b[i] >> 4)};
    });
}

static void DecodeIA8Level(const uint8_t* src, uint32_t w, uint32_t h, const Rgba*, uint8_t* dst)
{
    DecodeBlocks<4, 4, 32>(src, w, h, dst, [](const uint8_t* b, uint32_t i) {
        return DecodeIA8(ps::LoadU16BE(b + 2 * i));
    });
}

static void DecodeRGB565Level(const uint8_t* src, uint32_t w, uint32_t h, const Rgba*,
                              uint8_t* dst)
{
    DecodeBlocks<4, 4, 32>(src, w, h, dst, [](const uint8_t* b, uint32_t i) {
        return DecodeRGB565(ps::LoadU16BE(b + 2 * i));
    });
}

static void DecodeRGB5A3Level(const uint8_t* src, uint32_t w, uint32_t h, const Rgba*,
                              uint8_t* dst)
{
    DecodeBlocks<4, 4, 32>(src, w, h, dst, [](const uint8_t* b, uint32_t i) {
        return DecodeRGB5A3(ps::LoadU16BE(b + 2 * i));
    });
}

// A block is two 32-byte halves: (A, R) pairs, then (G, B) pairs.
static void DecodeRGBA8(const uint8_t* src, uint32_t w, uint32_t h, const Rgba*, uint8_t* dst)
{
    DecodeBlocks<4, 4, 64>(src, w, h, dst, [](const uint8_t* b, uint32_t i) {
        return Rgba{b[2 * i + 1], b[32 + 2 * i], b[33 + 2 * i], b[2 * i]};
    });
}

static void DecodeC4(const uint8_t* src, uint32_t w, uint32_t h, const Rgba* palette, uint8_t* dst)
{
    DecodeBlocks<8, 8, 32>(src, w, h, dst, [palette](const uint8_t* b, uint32_t i) {
        return palette[Nibble(b, i)];
    });
}

static void DecodeC8(const uint8_t* src, uint32_t w, uint32_t h, const Rgba* palette, uint8_t* dst)
{
    DecodeBlocks<8, 4, 32>(src, w, h, dst, [palette](const uint8_t* b, uint32_t i) {
        return palette[b[i]];
    });
}

LevelDecoder GetLevelDecoder(GXTexFmt format)
{
    switch (format) {
    case GX_TF_I4: return DecodeI4;
    case GX_TF_I8: return DecodeI8;
    case GX_TF_IA4: return DecodeIA4;
    case GX_TF_IA8: return DecodeIA8Level;
    case GX_TF_RGB565: return DecodeRGB565Level;
    case GX_TF_RGB5A3: return DecodeRGB5A3Level;
    case GX_TF_RGBA8: return DecodeRGBA8;
    case GX_TF_C4: return DecodeC4;
    case GX_TF_C8: return DecodeC8;
    case GX_TF_CMPR: return DecodeCmprLevel;
    default: return nullptr;  // C14X2, copy-only and invalid numbers
    }
}

}  // namespace gxtex::detail
