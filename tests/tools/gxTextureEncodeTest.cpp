#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "datagen/gxTextureEncode.h"

using datagen::GxPalette;
using datagen::RgbaImage;
using Bytes = std::vector<uint8_t>;
using Texel = std::array<uint8_t, 4>;

namespace {

RgbaImage Image(uint32_t w, uint32_t h, const std::vector<Texel>& texels)
{
    RgbaImage image{w, h, {}};
    for (const Texel& t : texels)
        image.rgba.insert(image.rgba.end(), t.begin(), t.end());
    return image;
}

}  // namespace

// The order of a sub-block's end colours selects its mode, so the encoder
// must put them the right way round; a one-colour block cannot be in
// four-colour mode and must then avoid the transparent index 3.
TEST(gxTextureEncode, CmprOrdersEndColoursByMode)
{
    const Texel blue{0, 0, 255, 255}, red{255, 0, 0, 255}, clear{0, 0, 0, 0};
    std::vector<Texel> twoColours(16, blue), withHole, solid(16, Texel{10, 200, 30, 255});
    std::fill(twoColours.begin() + 8, twoColours.end(), red);
    withHole = twoColours;
    withHole[5] = clear;  // row 1, column 1: index bits 5..4 of byte 5
    struct Row {
        const char* name;
        std::vector<Texel> texels;
        uint16_t c0, c1;
        Bytes indices;
    };
    const Row rows[] = {
        {"opaque: colour 0 above colour 1", twoColours, 0xF800, 0x001F, {0x55, 0x55, 0x00, 0x00}},
        {"transparent texel: colour 0 below colour 1", withHole, 0x001F, 0xF800, {0x00, 0x30, 0x55, 0x55}},
        {"one opaque colour: index 0 only", solid, 0x0E24, 0x0E24, {0, 0, 0, 0}},
        {"all transparent: index 3 only", std::vector<Texel>(16, clear), 0, 0, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes out;
        ASSERT_TRUE(datagen::EncodeGxTexture(Image(4, 4, r.texels), GX_TF_CMPR, nullptr, &out));
        ASSERT_EQ(out.size(), 32u);
        EXPECT_EQ(out[0] << 8 | out[1], r.c0);
        EXPECT_EQ(out[2] << 8 | out[3], r.c1);
        EXPECT_EQ(Bytes(out.begin() + 4, out.begin() + 8), r.indices);
    }
}

TEST(gxTextureEncode, PaletteTakesTheMostFrequentColoursFirst)
{
    // Greys 0x80 five times, 0x20 twice, 0xF0 once.
    std::vector<Texel> texels;
    for (uint8_t g : {0x80, 0x20, 0x80, 0x80, 0xF0, 0x20, 0x80, 0x80})
        texels.push_back({g, g, g, 255});
    const RgbaImage image = Image(8, 1, texels);

    GxPalette all;
    ASSERT_TRUE(datagen::BuildGxPalette(image, GX_TL_IA8, 16, &all));
    ASSERT_EQ(all.entries.size(), 32u);
    EXPECT_EQ(Bytes(all.entries.begin(), all.entries.begin() + 8),
              (Bytes{0xFF, 0x80, 0xFF, 0x20, 0xFF, 0xF0, 0, 0}));  // alpha first; unused slots zero

    GxPalette two;  // the rare 0xF0 gets no slot and takes its nearest, 0x80
    ASSERT_TRUE(datagen::BuildGxPalette(image, GX_TL_IA8, 2, &two));
    EXPECT_EQ(two.entries, (Bytes{0xFF, 0x80, 0xFF, 0x20}));
    Bytes out;
    ASSERT_TRUE(datagen::EncodeGxTexture(image, GX_TF_C8, &two, &out));
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), (Bytes{0, 1, 0, 0, 0, 1, 0, 0}));
}

TEST(gxTextureEncode, HalveImageAveragesWithRounding)
{
    // Channel sums 3, 2, 765, 2, each (sum + 2) / 4; a side of 1 averages pairs.
    const RgbaImage half = datagen::HalveImage(Image(2, 2, {{0, 0, 0, 0}, {1, 0, 255, 1}, {1, 0, 255, 0}, {1, 2, 255, 1}}));
    EXPECT_EQ(half.width * half.height, 1u);
    EXPECT_EQ(half.rgba, (Bytes{1, 1, 191, 1}));
    const RgbaImage wide = datagen::HalveImage(Image(2, 1, {{10, 11, 0, 255}, {20, 20, 1, 255}}));
    EXPECT_EQ(wide.width * wide.height, 1u);
    EXPECT_EQ(wide.rgba, (Bytes{15, 16, 1, 255}));
}

TEST(gxTextureEncode, RefusesWhatItCannotEncode)
{
    const RgbaImage black = Image(4, 4, std::vector<Texel>(16, Texel{0, 0, 0, 255}));
    RgbaImage inconsistent = black;
    inconsistent.rgba.pop_back();
    const GxPalette empty;
    struct Row {
        const char* name;
        RgbaImage image;
        GXTexFmt format;
        const GxPalette* palette;
    };
    const Row rows[] = {
        {"C14X2", black, GX_TF_C14X2, nullptr},
        {"a copy-only format", black, GX_CTF_R8, nullptr},
        {"an empty image", RgbaImage{}, GX_TF_I8, nullptr},
        {"pixels short of the size", inconsistent, GX_TF_RGBA8, nullptr},
        {"C8 without a palette", black, GX_TF_C8, nullptr},
        {"C4 with an empty palette", black, GX_TF_C4, &empty},
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
