#pragma once
// Encoders from RGBA8 images to the graphics chip's texture formats (tiled,
// big-endian, as the texture decoders read them), mipmap chains and palette
// builders, for test fixtures and the sample game. Plain functions; any thread.

#include <cstdint>
#include <vector>

#include "platform/gx.h"

namespace datagen {

// An image as bytes R, G, B, A per texel, rows top first, no padding.
struct RgbaImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

// A palette: entries as big-endian u16 in the palette format, two bytes each.
struct GxPalette {
    GXTlutFmt format = GX_TL_IA8;
    std::vector<uint8_t> entries;
};

// Builds a palette of exactly `entries` slots (16 for C4, 256 for C8) for the
// image. Exact when the image has no more distinct colours (after conversion
// to the palette format) than slots; otherwise the most frequent colours.
// Unused slots are zero. False on a bad palette format or an empty image.
bool BuildGxPalette(const RgbaImage& image, GXTlutFmt tlutFormat, uint32_t entries,
                    GxPalette* palette);

// Encodes one level. Texels of the padding blocks repeat the image's edge.
// C4 and C8 need a palette (each texel takes its nearest entry). False on an
// format this layer cannot encode (C14X2, copy-only formats), an empty or
// inconsistent image, or a missing palette.
bool EncodeGxTexture(const RgbaImage& image, GXTexFmt format, const GxPalette* palette,
                     std::vector<uint8_t>* out);

// The image at half size (each side halved, at least 1), each texel the
// rounded average of the 2x2 (or 2x1 at a side of 1) texels it covers.
RgbaImage HalveImage(const RgbaImage& image);

// Encodes levels 0 .. levels-1, each a halved copy of the one before, stored
// one after another as the hardware reads a mipmap chain.
bool EncodeGxTextureChain(const RgbaImage& image, GXTexFmt format, uint32_t levels,
                          const GxPalette* palette, std::vector<uint8_t>* out);

}  // namespace datagen
