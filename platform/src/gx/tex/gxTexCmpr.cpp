// The compressed format: 8x8 tiles of four 4x4 sub-blocks, each two RGB565
// end colours and 2-bit indices. Close to the PC's first block-compression
// format, but its interpolated colours differ (see SubBlockColours).
#include "gx/tex/gxTexDecode_local.h"

#include <bit>
#include <cstring>

#include "platform/ps.h"

namespace gxtex::detail {

// A texel as one word whose memory bytes are R, G, B, A. Built in registers
// and stored whole: byte-wise stores read back as words stall the CPU.
static uint32_t Pack(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    if constexpr (std::endian::native == std::endian::little)
        return r | (g << 8) | (b << 16) | (a << 24);
    else
        return (r << 24) | (g << 16) | (b << 8) | a;
}

// The four colours a sub-block's indices select.
static void SubBlockColours(uint16_t raw0, uint16_t raw1, uint32_t colours[4])
{
    const uint32_t r0 = Expand5(raw0 >> 11), g0 = Expand6((raw0 >> 5) & 0x3F), b0 = Expand5(raw0 & 0x1F);
    const uint32_t r1 = Expand5(raw1 >> 11), g1 = Expand6((raw1 >> 5) & 0x3F), b1 = Expand5(raw1 & 0x1F);
    colours[0] = Pack(r0, g0, b0, 0xFF);
    colours[1] = Pack(r1, g1, b1, 0xFF);
    if (raw0 > raw1) {
        // The console weights the in-between colours 5/8 and 3/8, not the
        // PC format's thirds.
        colours[2] = Pack((5 * r0 + 3 * r1) >> 3, (5 * g0 + 3 * g1) >> 3, (5 * b0 + 3 * b1) >> 3, 0xFF);
        colours[3] = Pack((3 * r0 + 5 * r1) >> 3, (3 * g0 + 5 * g1) >> 3, (3 * b0 + 5 * b1) >> 3, 0xFF);
    } else {
        // Three-colour mode (colour 0 <= colour 1, so also when they are equal).
        // The transparent entry keeps the average colour, where the PC format
        // gives transparent black.
        const uint32_t r = (r0 + r1) >> 1, g = (g0 + g1) >> 1, b = (b0 + b1) >> 1;
        colours[2] = Pack(r, g, b, 0xFF);
        colours[3] = Pack(r, g, b, 0x00);
    }
}

// Sub-block of 8 bytes into 4x4 texels at out, rows `stride` bytes apart.
static void DecodeSubBlock(const uint8_t* src, uint8_t* out, size_t stride)
{
    uint32_t colours[4];
    SubBlockColours(ps::LoadU16BE(src), ps::LoadU16BE(src + 2), colours);
    for (uint32_t row = 0; row < 4; ++row) {
        const uint8_t bits = src[4 + row];
        uint8_t* dst = out + row * stride;
        // The leftmost texel takes the top two bits.
        std::memcpy(dst, &colours[(bits >> 6) & 3], 4);
        std::memcpy(dst + 4, &colours[(bits >> 4) & 3], 4);
        std::memcpy(dst + 8, &colours[(bits >> 2) & 3], 4);
        std::memcpy(dst + 12, &colours[bits & 3], 4);
    }
}

// Sub-blocks: top-left, top-right, bottom-left, bottom-right.
static void DecodeTile(const uint8_t* src, uint8_t* out, size_t stride)
{
    DecodeSubBlock(src, out, stride);
    DecodeSubBlock(src + 8, out + 16, stride);
    DecodeSubBlock(src + 16, out + 4 * stride, stride);
    DecodeSubBlock(src + 24, out + 4 * stride + 16, stride);
}

void DecodeCmprLevel(const uint8_t* src, uint32_t width, uint32_t height, const Rgba*, uint8_t* dst)
{
    const uint32_t tilesX = (width + 7) / 8;
    const uint32_t tilesY = (height + 7) / 8;
    const size_t stride = static_cast<size_t>(width) * 4;
    Rgba tile[64];
    for (uint32_t ty = 0; ty < tilesY; ++ty) {
        for (uint32_t tx = 0; tx < tilesX; ++tx, src += 32) {
            if ((tx + 1) * 8 <= width && (ty + 1) * 8 <= height) {
                DecodeTile(src, dst + ty * 8 * stride + tx * 32, stride);
            } else {  // an edge tile: decoded whole, its padding texels dropped
                DecodeTile(src, reinterpret_cast<uint8_t*>(tile), 8 * sizeof(Rgba));
                StoreBlock(tile, 8, 8, tx, ty, width, height, dst);
            }
        }
    }
}

}  // namespace gxtex::detail
