#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "datagen/gxTextureEncode.h"

using datagen::GxPalette;
using datagen::RgbaImage;
using Bytes = std::vector<uint8_t>;

namespace {

RgbaImage Image(uint32_t w, uint32_t h, const std::vector<std::array<uint8_t, 4>>& texels)
{
    RgbaImage image;
    image.width = w;
    image.height = h;
    for (const auto& t : texels)
        image.rgba.insert(image.rgba.end(), t.begin(), t.end());
    return image;
}

RgbaImage Solid(uint32_t w, uint32_t h, std::array<uint8_t, 4> texel)
{
    return Image(w, h, std::vector<std::array<uint8_t, 4>>(static_cast<size_t>(w) * h, texel));
}

Bytes Encode(const RgbaImage& image, GXTexFmt format, const GxPalette* palette = nullptr)
{
    Bytes out;
    EXPECT_TRUE(datagen::EncodeGxTexture(image, format, palette, &out));
    return out;
}

}  // namespace

// The bytes of the first texels of a block, written out by hand.
TEST(gxTextureEncode, WritesEachFormatsTexelBytes)
{
    struct Row {
        const char* name;
        GXTexFmt format;
        std::vector<std::array<uint8_t, 4>> texels;  // a 2x1 image
        Bytes expected;                              // the block's first bytes
    };
    const Row rows[] = {
        {"I4 left texel in the high nibble", GX_TF_I4, {{0x77, 0x77, 0x77, 0}, {0xCC, 0xCC, 0xCC, 0}}, {0x7C}},
        {"I8 keeps a grey value", GX_TF_I8, {{0x5A, 0x5A, 0x5A, 0}, {1, 1, 1, 0}}, {0x5A, 0x01}},
        {"I8 weighs red by 77/256", GX_TF_I8, {{255, 0, 0, 255}, {0, 0, 255, 255}}, {77, 29}},
        {"IA4 alpha in the high nibble", GX_TF_IA4, {{0xCC, 0xCC, 0xCC, 0x33}, {0, 0, 0, 0xFF}}, {0x3C, 0xF0}},
        {"IA8 alpha byte first", GX_TF_IA8, {{0xB0, 0xB0, 0xB0, 0x40}, {0, 0, 0, 0}}, {0x40, 0xB0, 0, 0}},
        {"RGB565 big-endian", GX_TF_RGB565, {{255, 0, 0, 255}, {0, 255, 0, 255}}, {0xF8, 0x00, 0x07, 0xE0}},
        {"RGB565 rounds to the nearest step", GX_TF_RGB565, {{4, 0, 5, 255}, {0, 3, 0, 255}}, {0x00, 0x01, 0x00, 0x20}},
        {"RGB5A3 opaque at full alpha", GX_TF_RGB5A3, {{82, 165, 41, 255}, {0, 0, 0, 237}}, {0xAA, 0x85, 0x80, 0x00}},
        {"RGB5A3 translucent below 237", GX_TF_RGB5A3, {{0xAA, 0x55, 0xFF, 109}, {0xFF, 0xFF, 0xFF, 236}}, {0x3A, 0x5F, 0x6F, 0xFF}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const Bytes out = Encode(Image(2, 1, r.texels), r.format);
        ASSERT_GE(out.size(), r.expected.size());
        EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(r.expected.size())), r.expected);
    }
}

TEST(gxTextureEncode, RGBA8WritesARPairsThenGBPairs)
{
    const Bytes out = Encode(Image(2, 1, {{0x22, 0x33, 0x44, 0x11}, {0x66, 0x77, 0x88, 0x55}}), GX_TF_RGBA8);
    ASSERT_EQ(out.size(), 64u);
    EXPECT_EQ((Bytes{out[0], out[1], out[2], out[3]}), (Bytes{0x11, 0x22, 0x55, 0x66}));
    EXPECT_EQ((Bytes{out[32], out[33], out[34], out[35]}), (Bytes{0x33, 0x44, 0x77, 0x88}));
}

// Padding texels of edge blocks repeat the last column and row.
TEST(gxTextureEncode, PaddingRepeatsTheEdge)
{
    std::vector<std::array<uint8_t, 4>> texels;
    for (uint8_t x = 1; x <= 5; ++x)
        texels.push_back({x, x, x, 255});
    const Bytes out = Encode(Image(5, 1, texels), GX_TF_I8);
    ASSERT_EQ(out.size(), 32u);  // one 8x4 block
    const Bytes row = {1, 2, 3, 4, 5, 5, 5, 5};
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(Bytes(out.begin() + r * 8, out.begin() + r * 8 + 8), row) << "row " << r;
}

// The order of a sub-block's end colours selects its mode, so the encoder
// must put them the right way round.
TEST(gxTextureEncode, CmprOrdersEndColoursByMode)
{
    struct Row {
        const char* name;
        RgbaImage image;
        bool fourColour;
    };
    std::vector<std::array<uint8_t, 4>> twoColours, withHole;
    for (int i = 0; i < 16; ++i) {
        twoColours.push_back(i < 8 ? std::array<uint8_t, 4>{0, 0, 255, 255} : std::array<uint8_t, 4>{255, 0, 0, 255});
        withHole.push_back(i == 5 ? std::array<uint8_t, 4>{0, 0, 0, 0} : twoColours.back());
    }
    const Row rows[] = {
        {"opaque: colour 0 above colour 1", Image(4, 4, twoColours), true},
        {"a transparent texel: colour 0 not above colour 1", Image(4, 4, withHole), false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const Bytes out = Encode(r.image, GX_TF_CMPR);
        ASSERT_EQ(out.size(), 32u);
        const uint16_t c0 = static_cast<uint16_t>(out[0] << 8 | out[1]);
        const uint16_t c1 = static_cast<uint16_t>(out[2] << 8 | out[3]);
        EXPECT_EQ(c0 > c1, r.fourColour);
        EXPECT_TRUE((c0 == 0xF800 && c1 == 0x001F) || (c0 == 0x001F && c1 == 0xF800));
        if (!r.fourColour) {  // texel 5 is row 1, column 1: index 3 in bits 5..4
            EXPECT_EQ((out[5] >> 4) & 3, 3);
        }
    }
}

// A one-colour opaque block cannot have colour 0 above colour 1; its texels
// must then all use index 0, never the transparent index 3.
TEST(gxTextureEncode, CmprSolidBlockUsesIndexZero)
{
    const Bytes out = Encode(Solid(4, 4, {10, 200, 30, 255}), GX_TF_CMPR);
    ASSERT_EQ(out.size(), 32u);
    EXPECT_EQ(out[0] << 8 | out[1], out[2] << 8 | out[3]);
    EXPECT_EQ((Bytes{out[4], out[5], out[6], out[7]}), (Bytes{0, 0, 0, 0}));
}

TEST(gxTextureEncode, CmprFullyTransparentBlockUsesIndexThree)
{
    const Bytes out = Encode(Solid(4, 4, {10, 200, 30, 0}), GX_TF_CMPR);
    ASSERT_EQ(out.size(), 32u);
    EXPECT_LE(out[0] << 8 | out[1], out[2] << 8 | out[3]);
    EXPECT_EQ((Bytes{out[4], out[5], out[6], out[7]}), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(gxTextureEncode, PaletteTakesTheMostFrequentColoursFirst)
{
    // Three greys: 0x80 five times, 0x20 twice, 0xF0 once; alpha 255.
    std::vector<std::array<uint8_t, 4>> texels;
    const uint8_t greys[] = {0x80, 0x20, 0x80, 0x80, 0xF0, 0x20, 0x80, 0x80};
    for (uint8_t g : greys)
        texels.push_back({g, g, g, 255});
    const RgbaImage image = Image(8, 1, texels);

    GxPalette all;
    ASSERT_TRUE(datagen::BuildGxPalette(image, GX_TL_IA8, 16, &all));
    ASSERT_EQ(all.entries.size(), 32u);
    EXPECT_EQ(Bytes(all.entries.begin(), all.entries.begin() + 8),
              (Bytes{0xFF, 0x80, 0xFF, 0x20, 0xFF, 0xF0, 0, 0}));  // alpha first; unused slots zero

    GxPalette two;  // the rare 0xF0 has no slot and maps to its nearest, 0x80
    ASSERT_TRUE(datagen::BuildGxPalette(image, GX_TL_IA8, 2, &two));
    EXPECT_EQ(two.entries, (Bytes{0xFF, 0x80, 0xFF, 0x20}));
    const Bytes out = Encode(image, GX_TF_C8, &two);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), (Bytes{0, 1, 0, 0, 0, 1, 0, 0}));
}

TEST(gxTextureEncode, HalveImageAveragesWithRounding)
{
    // 2x2 -> 1x1: channel sums 3, 2, 765, 2, each (sum + 2) / 4; 2x1 -> 1x1 averages a pair.
    const RgbaImage square = Image(2, 2, {{0, 0, 0, 0}, {1, 0, 255, 1}, {1, 0, 255, 0}, {1, 2, 255, 1}});
    const RgbaImage half = datagen::HalveImage(square);
    ASSERT_EQ(half.width, 1u);
    ASSERT_EQ(half.height, 1u);
    EXPECT_EQ(half.rgba, (Bytes{1, 1, 191, 1}));

    const RgbaImage wide = datagen::HalveImage(Image(2, 1, {{10, 11, 0, 255}, {20, 20, 1, 255}}));
    ASSERT_EQ(wide.width, 1u);
    ASSERT_EQ(wide.height, 1u);
    EXPECT_EQ(wide.rgba, (Bytes{15, 16, 1, 255}));
}

TEST(gxTextureEncode, RefusesWhatItCannotEncode)
{
    RgbaImage inconsistent = Solid(4, 4, {1, 2, 3, 4});
    inconsistent.rgba.pop_back();
    const GxPalette empty;
    struct Row {
        const char* name;
        RgbaImage image;
        GXTexFmt format;
        const GxPalette* palette;
    };
    const Row rows[] = {
        {"C14X2", Solid(4, 4, {0, 0, 0, 0}), GX_TF_C14X2, nullptr},
        {"a copy-only format", Solid(4, 4, {0, 0, 0, 0}), GX_CTF_R8, nullptr},
        {"an empty image", RgbaImage{}, GX_TF_I8, nullptr},
        {"pixels short of the size", inconsistent, GX_TF_RGBA8, nullptr},
        {"C8 without a palette", Solid(4, 4, {0, 0, 0, 0}), GX_TF_C8, nullptr},
        {"C4 with an empty palette", Solid(4, 4, {0, 0, 0, 0}), GX_TF_C4, &empty},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes out = {9};
        testing::internal::CaptureStderr();
        EXPECT_FALSE(datagen::EncodeGxTexture(r.image, r.format, r.palette, &out));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(out, Bytes{9});
    }
}
