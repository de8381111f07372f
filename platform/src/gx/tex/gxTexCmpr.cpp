// The compressed format: 8x8 tiles of four 4x4 sub-blocks, each two RGB565
// end colours and 2-bit indices. Close to the PC's first block-compression
// format, but its interpolated colours differ (see SubBlockColours).
#include "gx/tex/gxTexDecode_local.h"

#include "platform/ps.h"

namespace gxtex::detail {

static uint8_t Mix(uint32_t c0, uint32_t c1, uint32_t w0, uint32_t w1)
{
    return static_cast<uint8_t>((w0 * c0 + w1 * c1) >> 3);
}

// The four colours a sub-block's indices select.
static void SubBlockColours(uint16_t raw0, uint16_t raw1, Rgba colours[4])
{
    const Rgba c0 = DecodeRGB565(raw0);
    const Rgba c1 = DecodeRGB565(raw1);
    colours[0] = c0;
    colours[1] = c1;
    if (raw0 > raw1) {
        // The console weights the in-between colours 5/8 and 3/8, not the
        // PC format's thirds.
        colours[2] = {Mix(c0.r, c1.r, 5, 3), Mix(c0.g, c1.g, 5, 3), Mix(c0.b, c1.b, 5, 3), 0xFF};
        colours[3] = {Mix(c0.r, c1.r, 3, 5), Mix(c0.g, c1.g, 3, 5), Mix(c0.b, c1.b, 3, 5), 0xFF};
    } else {
        // Three-colour mode (colour 0 <= colour 1, so also when they are equal).
        // The transparent entry keeps the average colour, where the PC format
        // gives transparent black.
        const Rgba mid = {static_cast<uint8_t>((c0.r + c1.r) >> 1),
                          static_cast<uint8_t>((c0.g + c1.g) >> 1),
                          static_cast<uint8_t>((c0.b + c1.b) >> 1), 0xFF};
        colours[2] = mid;
        colours[3] = {mid.r, mid.g, mid.b, 0x00};
    }
}

// Sub-block of 8 bytes into the 4x4 corner of an 8-texel-wide tile at out.
static void DecodeSubBlock(const uint8_t* src, Rgba* out)
{
    Rgba colours[4];
    SubBlockColours(ps::LoadU16BE(src), ps::LoadU16BE(src + 2), colours);
    for (uint32_t row = 0; row < 4; ++row) {
        const uint8_t bits = src[4 + row];
        Rgba* dst = out + row * 8;
        // The leftmost texel takes the top two bits.
        dst[0] = colours[(bits >> 6) & 3];
        dst[1] = colours[(bits >> 4) & 3];
        dst[2] = colours[(bits >> 2) & 3];
        dst[3] = colours[bits & 3];
    }
}

void DecodeCmprLevel(const uint8_t* src, uint32_t width, uint32_t height, const Rgba*, uint8_t* dst)
{
    const uint32_t tilesX = (width + 7) / 8;
    const uint32_t tilesY = (height + 7) / 8;
    Rgba tile[64];
    for (uint32_t ty = 0; ty < tilesY; ++ty) {
        for (uint32_t tx = 0; tx < tilesX; ++tx, src += 32) {
            // Sub-blocks: top-left, top-right, bottom-left, bottom-right.
            DecodeSubBlock(src, tile);
            DecodeSubBlock(src + 8, tile + 4);
            DecodeSubBlock(src + 16, tile + 32);
            DecodeSubBlock(src + 24, tile + 36);
            StoreBlock(tile, 8, 8, tx, ty, width, height, dst);
        }
    }
}

}  // namespace gxtex::detail
