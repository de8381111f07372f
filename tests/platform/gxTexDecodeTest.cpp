#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "datagen/gxTextureEncode.h"
#include "gx/tex/gxTexDecode.h"

using namespace gxtex;

namespace {

using Rgba = std::array<uint8_t, 4>;
using Bytes = std::vector<uint8_t>;

Rgba TexelAt(const uint8_t* rgba, uint32_t width, uint32_t x, uint32_t y)
{
    const uint8_t* p = rgba + (static_cast<size_t>(y) * width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// Decodes one level, failing the test when the decoder refuses it.
Bytes Decode(const Bytes& src, GXTexFmt format, uint32_t w, uint32_t h,
             const Palette* palette = nullptr)
{
    Bytes out(static_cast<size_t>(w) * h * 4, 0xCD);
    EXPECT_TRUE(DecodeLevel(src.data(), src.size(), format, w, h, palette, out.data()));
    return out;
}

// A palette whose entry i is the IA8 value (alpha i, intensity 255 - i).
Bytes RampPaletteIA8()
{
    Bytes entries(512);
    for (int i = 0; i < 256; ++i) {
        entries[2 * i] = static_cast<uint8_t>(i);
        entries[2 * i + 1] = static_cast<uint8_t>(255 - i);
    }
    return entries;
}

}  // namespace

// Each format's texel layout, with values worked out bit by bit.
TEST(gxTexDecode, DecodesEachTexelLayout)
{
    struct Row {
        const char* name;
        GXTexFmt format;
        Bytes bytes;  // the first bytes of one block; the rest are zero
        uint32_t x;
        Rgba expected;
    };
    const Row rows[] = {
        {"I4 high nibble is the left texel", GX_TF_I4, {0x7C}, 0, {0x77, 0x77, 0x77, 0x77}},
        {"I4 low nibble is the right texel", GX_TF_I4, {0x7C}, 1, {0xCC, 0xCC, 0xCC, 0xCC}},
        {"I8 alpha equals intensity", GX_TF_I8, {0x5A}, 0, {0x5A, 0x5A, 0x5A, 0x5A}},
        {"IA4 alpha in the high nibble", GX_TF_IA4, {0x3C}, 0, {0xCC, 0xCC, 0xCC, 0x33}},
        {"IA8 alpha byte first", GX_TF_IA8, {0x40, 0xB0}, 0, {0xB0, 0xB0, 0xB0, 0x40}},
        {"RGB565 red", GX_TF_RGB565, {0xF8, 0x00}, 0, {0xFF, 0x00, 0x00, 0xFF}},
        {"RGB565 green has six bits", GX_TF_RGB565, {0x07, 0xE0}, 0, {0x00, 0xFF, 0x00, 0xFF}},
        {"RGB565 mid grey replicates top bits", GX_TF_RGB565, {0x84, 0x10}, 0, {132, 130, 132, 255}},
        {"RGB565 second texel", GX_TF_RGB565, {0x00, 0x00, 0x00, 0x1F}, 1, {0, 0, 255, 255}},
        {"RGB5A3 opaque red", GX_TF_RGB5A3, {0xFC, 0x00}, 0, {0xFF, 0x00, 0x00, 0xFF}},
        {"RGB5A3 opaque 10/20/5", GX_TF_RGB5A3, {0xAA, 0x85}, 0, {82, 165, 41, 255}},
        {"RGB5A3 translucent A3 R4 G4 B4", GX_TF_RGB5A3, {0x3A, 0x5F}, 0, {0xAA, 0x55, 0xFF, 109}},
        {"RGB5A3 alpha 0", GX_TF_RGB5A3, {0x0F, 0xFF}, 0, {0xFF, 0xFF, 0xFF, 0x00}},
        {"RGB5A3 top translucent alpha widens to 255", GX_TF_RGB5A3, {0x70, 0x00}, 0, {0, 0, 0, 255}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes src(LevelBytes(r.format, 8, 8), 0);
        std::copy(r.bytes.begin(), r.bytes.end(), src.begin());
        const Bytes out = Decode(src, r.format, 8, 8);
        EXPECT_EQ(TexelAt(out.data(), 8, r.x, 0), r.expected);
    }
}

TEST(gxTexDecode, RGBA8SplitsEachBlockIntoARAndGBHalves)
{
    Bytes src(64, 0);
    src[0] = 0x11;   // A of texel 0
    src[1] = 0x22;   // R
    src[32] = 0x33;  // G
    src[33] = 0x44;  // B
    src[30] = 0x55;  // A of texel 15 (3, 3)
    src[63] = 0x66;  // B of texel 15
    const Bytes out = Decode(src, GX_TF_RGBA8, 4, 4);
    EXPECT_EQ(TexelAt(out.data(), 4, 0, 0), (Rgba{0x22, 0x33, 0x44, 0x11}));
    EXPECT_EQ(TexelAt(out.data(), 4, 3, 3), (Rgba{0x00, 0x00, 0x66, 0x55}));
}

// Where texel (x, y) lives: a marker byte at a hand-computed offset must
// change exactly that texel and no other, including in padded edge blocks.
TEST(gxTexDecode, PlacesTexelsByBlockTiling)
{
    struct Row {
        const char* name;
        GXTexFmt format;
        uint32_t w, h;
        size_t offset;
        uint8_t marker;
        uint32_t x, y;
    };
    const Row rows[] = {
        {"I8 first texel", GX_TF_I8, 10, 5, 0, 0xFF, 0, 0},
        {"I8 end of the first row", GX_TF_I8, 10, 5, 7, 0xFF, 7, 0},
        {"I8 second row of the block", GX_TF_I8, 10, 5, 8, 0xFF, 0, 1},
        {"I8 last row of the block", GX_TF_I8, 10, 5, 27, 0xFF, 3, 3},
        {"I8 second block is to the right", GX_TF_I8, 10, 5, 32, 0xFF, 8, 0},
        {"I8 third block starts the next block row", GX_TF_I8, 10, 5, 65, 0xFF, 1, 4},
        {"I8 padded corner block", GX_TF_I8, 10, 5, 97, 0xFF, 9, 4},
        {"IA4 shares the 8x4 tiling", GX_TF_IA4, 10, 5, 97, 0xF0, 9, 4},
        {"C8 shares the 8x4 tiling", GX_TF_C8, 10, 5, 97, 0xFF, 9, 4},
        {"I4 left texel is the high nibble", GX_TF_I4, 9, 9, 0, 0xF0, 0, 0},
        {"I4 right texel is the low nibble", GX_TF_I4, 9, 9, 0, 0x0F, 1, 0},
        {"I4 row 2 of the block", GX_TF_I4, 9, 9, 9, 0x0F, 3, 2},
        {"I4 last texel of the block", GX_TF_I4, 9, 9, 31, 0x0F, 7, 7},
        {"I4 block to the right", GX_TF_I4, 9, 9, 32, 0xF0, 8, 0},
        {"I4 block below", GX_TF_I4, 9, 9, 64, 0xF0, 0, 8},
        {"I4 padded corner block", GX_TF_I4, 9, 9, 96, 0xF0, 8, 8},
        {"C4 shares the 8x8 tiling", GX_TF_C4, 9, 9, 96, 0xF0, 8, 8},
        {"IA8 within a block", GX_TF_IA8, 5, 5, 14, 0xFF, 3, 1},
        {"IA8 block to the right", GX_TF_IA8, 5, 5, 32, 0xFF, 4, 0},
        {"IA8 padded corner block", GX_TF_IA8, 5, 5, 96, 0xFF, 4, 4},
        {"RGB565 one block row", GX_TF_RGB565, 6, 3, 50, 0xFF, 5, 2},
        {"RGB5A3 4x4 blocks", GX_TF_RGB5A3, 6, 3, 32 + 18, 0xFF, 5, 2},
        {"RGBA8 alpha in the first half", GX_TF_RGBA8, 5, 5, 18, 0xFF, 1, 2},
        {"RGBA8 blue in the second half", GX_TF_RGBA8, 5, 5, 51, 0xFF, 1, 2},
        {"RGBA8 blocks are 64 bytes", GX_TF_RGBA8, 5, 5, 193, 0xFF, 4, 4},
        {"CMPR top-left sub-block", GX_TF_CMPR, 12, 12, 4, 0xC0, 0, 0},
        {"CMPR top-right sub-block", GX_TF_CMPR, 12, 12, 13, 0x30, 5, 1},
        {"CMPR bottom-left sub-block", GX_TF_CMPR, 12, 12, 22, 0x0C, 2, 6},
        {"CMPR second tile, bottom-left", GX_TF_CMPR, 12, 12, 52, 0xC0, 8, 4},
        {"CMPR corner tile, only its top-left sub-block shows", GX_TF_CMPR, 12, 12, 103, 0x03, 11, 11},
    };
    const Bytes entries = RampPaletteIA8();
    const Palette palette{entries.data(), entries.size(), GX_TL_IA8, 256};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes src(LevelBytes(r.format, r.w, r.h), 0);
        ASSERT_LT(r.offset, src.size());
        const Bytes background = Decode(src, r.format, r.w, r.h, &palette);
        src[r.offset] = r.marker;
        const Bytes marked = Decode(src, r.format, r.w, r.h, &palette);
        int changed = 0;
        for (uint32_t y = 0; y < r.h; ++y)
            for (uint32_t x = 0; x < r.w; ++x)
                if (TexelAt(marked.data(), r.w, x, y) != TexelAt(background.data(), r.w, x, y)) {
                    ++changed;
                    EXPECT_EQ(x, r.x);
                    EXPECT_EQ(y, r.y);
                }
        EXPECT_EQ(changed, 1);
    }
}

// One 4x4 sub-block whose first row holds indices 0, 1, 2, 3.
TEST(gxTexDecode, CmprColoursInBothModes)
{
    struct Row {
        const char* name;
        uint16_t c0, c1;
        Rgba expected[4];
    };
    const Row rows[] = {
        {"four colours at 5/8 and 3/8", 0xF800, 0x001F,
         {{255, 0, 0, 255}, {0, 0, 255, 255}, {159, 0, 95, 255}, {95, 0, 159, 255}}},
        {"four colours, weights truncate", 0x8410, 0x0841,
         {{132, 130, 132, 255}, {8, 8, 8, 255}, {85, 84, 85, 255}, {54, 53, 54, 255}}},
        {"four colours, green to black", 0x07E0, 0x0000,
         {{0, 255, 0, 255}, {0, 0, 0, 255}, {0, 159, 0, 255}, {0, 95, 0, 255}}},
        {"three colours: average, then transparent average", 0x001F, 0xF800,
         {{0, 0, 255, 255}, {255, 0, 0, 255}, {127, 0, 127, 255}, {127, 0, 127, 0}}},
        {"three colours, halves truncate", 0x0841, 0x8410,
         {{8, 8, 8, 255}, {132, 130, 132, 255}, {70, 69, 70, 255}, {70, 69, 70, 0}}},
        {"equal colours select three-colour mode", 0xFFFF, 0xFFFF,
         {{255, 255, 255, 255}, {255, 255, 255, 255}, {255, 255, 255, 255}, {255, 255, 255, 0}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes src(32, 0);
        src[0] = static_cast<uint8_t>(r.c0 >> 8);
        src[1] = static_cast<uint8_t>(r.c0);
        src[2] = static_cast<uint8_t>(r.c1 >> 8);
        src[3] = static_cast<uint8_t>(r.c1);
        src[4] = 0x1B;  // 00 01 10 11
        const Bytes out = Decode(src, GX_TF_CMPR, 4, 4);
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(TexelAt(out.data(), 4, x, 0), r.expected[x]) << "index " << x;
    }
}

TEST(gxTexDecode, LooksUpPaletteInEachEntryFormat)
{
    struct Row {
        const char* name;
        GXTexFmt format;
        GXTlutFmt tlutFormat;
        uint8_t index;
        uint16_t entry;
        Rgba expected;
    };
    const Row rows[] = {
        {"C8 with IA8 entries, alpha byte first", GX_TF_C8, GX_TL_IA8, 200, 0x80C0, {0xC0, 0xC0, 0xC0, 0x80}},
        {"C8 with RGB565 entries", GX_TF_C8, GX_TL_RGB565, 255, 0xF800, {255, 0, 0, 255}},
        {"C8 with RGB5A3 entries", GX_TF_C8, GX_TL_RGB5A3, 1, 0x3A5F, {0xAA, 0x55, 0xFF, 109}},
        {"C4 uses the high nibble", GX_TF_C4, GX_TL_RGB565, 0xF0, 0x001F, {0, 0, 255, 255}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes entries(512, 0);
        const uint32_t slot = r.format == GX_TF_C4 ? r.index >> 4 : r.index;
        entries[2 * slot] = static_cast<uint8_t>(r.entry >> 8);
        entries[2 * slot + 1] = static_cast<uint8_t>(r.entry);
        const Palette palette{entries.data(), entries.size(), r.tlutFormat, 256};
        Bytes src(32, 0);
        src[0] = r.index;
        const Bytes out = Decode(src, r.format, 8, 4, &palette);
        EXPECT_EQ(TexelAt(out.data(), 8, 0, 0), r.expected);
    }
}

TEST(gxTexDecode, TextureBytesCountWholeBlocksPerLevel)
{
    struct Row {
        const char* name;
        GXTexFmt format;
        uint32_t w, h, levels;
        size_t expected;
    };
    const Row rows[] = {
        {"RGB5A3 32x32", GX_TF_RGB5A3, 32, 32, 1, 2048},
        {"RGB5A3 128x128 without mipmaps", GX_TF_RGB5A3, 128, 128, 1, 32768},
        {"CMPR 64x64 full chain: small levels take a whole tile", GX_TF_CMPR, 64, 64, 7, 2816},
        {"CMPR 64x64 as the engine reserves it", GX_TF_CMPR, 64, 64, 4, 2720},
        {"CMPR 256x256 with six levels", GX_TF_CMPR, 256, 256, 6, 43680},
        {"RGBA8 64x64 down to 4x4", GX_TF_RGBA8, 64, 64, 5, 21824},
        {"RGBA8 1x1 is one 64-byte block", GX_TF_RGBA8, 1, 1, 1, 64},
        {"I4 1x1 is one block", GX_TF_I4, 1, 1, 1, 32},
        {"I8 9x5 pads to 2x2 blocks", GX_TF_I8, 9, 5, 1, 128},
        {"RGB565 16x4 chain keeps the aspect until a side is 1", GX_TF_RGB565, 16, 4, 5, 288},
        {"CMPR 1024 full chain", GX_TF_CMPR, 1024, 1024, 11, 699136},
        {"unsupported format", static_cast<GXTexFmt>(7), 64, 64, 1, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(TextureBytes(r.format, r.w, r.h, r.levels), r.expected);
    }
}

TEST(gxTexDecode, FullChainLevelsFollowTheLongerSide)
{
    struct Row {
        uint32_t w, h, expected;
    };
    const Row rows[] = {{1, 1, 1}, {64, 64, 7}, {1024, 1, 11}, {16, 4, 5}, {3, 5, 3}, {0, 4, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(FullChainLevels(r.w, r.h), r.expected) << r.w << "x" << r.h;
}

// Levels follow each other without gaps; each is read at its own offset.
TEST(gxTexDecode, DecodesEveryMipLevelAtItsOffset)
{
    // RGB565 8x8, 4 levels: 128 + 32 + 32 + 32 bytes; first texel of each level marked.
    Bytes src(224, 0);
    const size_t levelStart[] = {0, 128, 160, 192};
    const uint16_t colour[] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    const Rgba expected[] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    for (int i = 0; i < 4; ++i) {
        src[levelStart[i]] = static_cast<uint8_t>(colour[i] >> 8);
        src[levelStart[i] + 1] = static_cast<uint8_t>(colour[i]);
    }
    DecodedTexture tex;
    ASSERT_TRUE(DecodeTexture(src.data(), src.size(), GX_TF_RGB565, 8, 8, 4, nullptr, &tex));
    ASSERT_EQ(tex.levels.size(), 4u);
    ASSERT_EQ(tex.rgba.size(), (64u + 16 + 4 + 1) * 4);
    const uint32_t side[] = {8, 4, 2, 1};
    const size_t outStart[] = {0, 256, 320, 336};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(tex.levels[i].width, side[i]);
        EXPECT_EQ(tex.levels[i].height, side[i]);
        EXPECT_EQ(tex.levels[i].offset, outStart[i]);
        EXPECT_EQ(TexelAt(tex.rgba.data() + outStart[i], side[i], 0, 0), expected[i]);
        if (side[i] > 1) {  // the next texel is black: nothing of the next level leaked in
            EXPECT_EQ(TexelAt(tex.rgba.data() + outStart[i], side[i], 1, 0), (Rgba{0, 0, 0, 255}));
        }
    }
}

TEST(gxTexDecode, NonSquareChainHalvesEachSideDownToOne)
{
    Bytes src(TextureBytes(GX_TF_I8, 16, 4, 5), 0);
    DecodedTexture tex;
    ASSERT_TRUE(DecodeTexture(src.data(), src.size(), GX_TF_I8, 16, 4, 5, nullptr, &tex));
    ASSERT_EQ(tex.levels.size(), 5u);
    const uint32_t widths[] = {16, 8, 4, 2, 1};
    const uint32_t heights[] = {4, 2, 1, 1, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(tex.levels[i].width, widths[i]);
        EXPECT_EQ(tex.levels[i].height, heights[i]);
    }
}

// Every refusal returns false, leaves the output as it was and logs its cause.
TEST(gxTexDecode, RejectsBadArgumentsWithALogLine)
{
    const Bytes big(1 << 16, 0);
    const Bytes entries = RampPaletteIA8();
    const Palette ia8{entries.data(), entries.size(), GX_TL_IA8, 256};
    const Palette sixteen{entries.data(), 32, GX_TL_IA8, 16};
    const Palette badFormat{entries.data(), entries.size(), static_cast<GXTlutFmt>(3), 256};
    const Palette shortBytes{entries.data(), 100, GX_TL_IA8, 256};
    struct Row {
        const char* name;
        GXTexFmt format;
        uint32_t w, h, levels;
        size_t bytes;
        const Palette* palette;
        const char* cause;
    };
    const Row rows[] = {
        {"invalid format 7", static_cast<GXTexFmt>(7), 8, 8, 1, big.size(), nullptr, "format 7"},
        {"C14X2 is not decoded", GX_TF_C14X2, 8, 8, 1, big.size(), &ia8, "format 10"},
        {"format beyond four bits", static_cast<GXTexFmt>(16), 8, 8, 1, big.size(), nullptr, "format 16"},
        {"zero width", GX_TF_I8, 0, 8, 1, big.size(), nullptr, "outside 1..1024"},
        {"height over 1024", GX_TF_I8, 8, 1025, 1, big.size(), nullptr, "outside 1..1024"},
        {"no levels", GX_TF_I8, 8, 8, 0, big.size(), nullptr, "levels"},
        {"more levels than the chain has", GX_TF_CMPR, 64, 64, 8, big.size(), nullptr, "1..7 levels"},
        {"too few bytes", GX_TF_CMPR, 64, 64, 4, 2719, nullptr, "needs 2720 bytes, 2719 given"},
        {"C8 without a palette", GX_TF_C8, 8, 4, 1, 32, nullptr, "palette"},
        {"C8 with 16 entries", GX_TF_C8, 8, 4, 1, 32, &sixteen, "256 palette entries, 16"},
        {"unknown palette format", GX_TF_C4, 8, 8, 1, 32, &badFormat, "palette format 3"},
        {"palette bytes short of its entries", GX_TF_C8, 8, 4, 1, 32, &shortBytes, "512 bytes, 100"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        DecodedTexture tex;
        tex.rgba = {1, 2, 3};
        testing::internal::CaptureStderr();
        EXPECT_FALSE(DecodeTexture(big.data(), r.bytes, r.format, r.w, r.h, r.levels, r.palette, &tex));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(r.cause), std::string::npos) << log;
        EXPECT_EQ(tex.rgba, (Bytes{1, 2, 3}));
        EXPECT_TRUE(tex.levels.empty());
    }
}

// A texture cut at any length short of its levels fails without reading past
// the cut (the buffer is exactly the cut length, so ASan sees any overrun).
TEST(gxTexDecode, EveryTruncatedTextureFailsCleanly)
{
    const GXTexFmt formats[] = {GX_TF_I4, GX_TF_I8, GX_TF_IA4, GX_TF_IA8, GX_TF_RGB565,
                                GX_TF_RGB5A3, GX_TF_RGBA8, GX_TF_C4, GX_TF_C8, GX_TF_CMPR};
    const Bytes entries = RampPaletteIA8();
    const Palette palette{entries.data(), entries.size(), GX_TL_IA8, 256};
    for (GXTexFmt format : formats) {
        SCOPED_TRACE(static_cast<int>(format));
        const uint32_t w = 12, h = 10, levels = 4;
        const size_t full = TextureBytes(format, w, h, levels);
        const size_t level0 = LevelBytes(format, w, h);
        DecodedTexture tex;
        testing::internal::CaptureStderr();
        for (size_t len = 0; len < full; ++len) {
            const Bytes cut(len, 0x5A);
            if (DecodeTexture(cut.data(), cut.size(), format, w, h, levels, &palette, &tex))
                ADD_FAILURE() << "accepted " << len << " of " << full << " bytes";
            Bytes level(w * h * 4, 0xEE);
            if (len < level0 &&
                DecodeLevel(cut.data(), cut.size(), format, w, h, &palette, level.data()))
                ADD_FAILURE() << "level accepted " << len << " of " << level0 << " bytes";
            if (level != Bytes(w * h * 4, 0xEE) && len < level0)
                ADD_FAILURE() << "level output written after a refusal at " << len;
        }
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(tex.levels.empty());
        const Bytes exact(full, 0x5A);
        EXPECT_TRUE(DecodeTexture(exact.data(), exact.size(), format, w, h, levels, &palette, &tex));
    }
}

// ---- round trips through the data generator's encoders ----------------------

namespace {

datagen::RgbaImage MakeImage(uint32_t w, uint32_t h, Rgba (*texel)(uint32_t x, uint32_t y))
{
    datagen::RgbaImage image;
    image.width = w;
    image.height = h;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const Rgba t = texel(x, y);
            image.rgba.insert(image.rgba.end(), t.begin(), t.end());
        }
    return image;
}

// Channel values every format keeps exactly: bit-replicated 3/4/5/6-bit values.
uint8_t Rep4(uint32_t v) { return static_cast<uint8_t>(((v & 15) << 4) | (v & 15)); }
uint8_t Rep5(uint32_t v) { v &= 31; return static_cast<uint8_t>((v << 3) | (v >> 2)); }
uint8_t Rep6(uint32_t v) { v &= 63; return static_cast<uint8_t>((v << 2) | (v >> 4)); }
uint8_t Rep3(uint32_t v) { v &= 7; return static_cast<uint8_t>((v << 5) | (v << 2) | (v >> 1)); }

Bytes EncodeAndDecode(const datagen::RgbaImage& image, GXTexFmt format,
                      const datagen::GxPalette* palette, GXTlutFmt tlutFormat)
{
    Bytes encoded;
    EXPECT_TRUE(datagen::EncodeGxTexture(image, format, palette, &encoded));
    EXPECT_EQ(encoded.size(), LevelBytes(format, image.width, image.height));
    Palette p;
    if (palette) {
        p = {palette->entries.data(), palette->entries.size(), tlutFormat,
             static_cast<uint32_t>(palette->entries.size() / 2)};
    }
    return Decode(encoded, format, image.width, image.height, palette ? &p : nullptr);
}

}  // namespace

// Images made of values a format stores exactly come back bit for bit, at a
// size that is not a multiple of any block.
TEST(gxTexDecode, EncoderRoundTripsRepresentableImages)
{
    struct Row {
        const char* name;
        GXTexFmt format;
        Rgba (*texel)(uint32_t x, uint32_t y);
    };
    const Row rows[] = {
        {"I4", GX_TF_I4, [](uint32_t x, uint32_t y) { const uint8_t v = Rep4(x + 3 * y); return Rgba{v, v, v, v}; }},
        {"I8", GX_TF_I8, [](uint32_t x, uint32_t y) { const uint8_t v = static_cast<uint8_t>(x * 19 + y * 7); return Rgba{v, v, v, v}; }},
        {"IA4", GX_TF_IA4, [](uint32_t x, uint32_t y) { const uint8_t v = Rep4(x); return Rgba{v, v, v, Rep4(y + 5)}; }},
        {"IA8", GX_TF_IA8, [](uint32_t x, uint32_t y) { const uint8_t v = static_cast<uint8_t>(x * 21); return Rgba{v, v, v, static_cast<uint8_t>(y * 23 + 1)}; }},
        {"RGB565", GX_TF_RGB565, [](uint32_t x, uint32_t y) { return Rgba{Rep5(x * 3), Rep6(y * 5 + x), Rep5(31 - x), 255}; }},
        {"RGB5A3 opaque", GX_TF_RGB5A3, [](uint32_t x, uint32_t y) { return Rgba{Rep5(x * 3), Rep5(y * 2), Rep5(x + y), 255}; }},
        {"RGB5A3 translucent", GX_TF_RGB5A3, [](uint32_t x, uint32_t y) { return Rgba{Rep4(x), Rep4(y), Rep4(x ^ y), Rep3((x + y) % 7)}; }},
        {"RGBA8", GX_TF_RGBA8, [](uint32_t x, uint32_t y) { return Rgba{static_cast<uint8_t>(x * 17), static_cast<uint8_t>(y * 29), static_cast<uint8_t>(x * y), static_cast<uint8_t>(200 + x)}; }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const datagen::RgbaImage image = MakeImage(13, 7, r.texel);
        EXPECT_EQ(EncodeAndDecode(image, r.format, nullptr, GX_TL_IA8), image.rgba);
    }
}

TEST(gxTexDecode, EncoderRoundTripsPaletteImages)
{
    struct Row {
        const char* name;
        GXTexFmt format;
        GXTlutFmt tlutFormat;
        uint32_t entries;
        Rgba (*texel)(uint32_t x, uint32_t y);
    };
    const Row rows[] = {
        {"C8 with an IA8 palette", GX_TF_C8, GX_TL_IA8, 256,
         [](uint32_t x, uint32_t y) { const uint8_t v = static_cast<uint8_t>(x * 16 + y); return Rgba{v, v, v, static_cast<uint8_t>(255 - y)}; }},
        {"C8 with an RGB565 palette", GX_TF_C8, GX_TL_RGB565, 256,
         [](uint32_t x, uint32_t y) { return Rgba{Rep5(x), Rep6(y * 4), Rep5(x + y), 255}; }},
        {"C4 with an RGB5A3 palette", GX_TF_C4, GX_TL_RGB5A3, 16,
         [](uint32_t x, uint32_t y) {
             return (x + y) % 2 ? Rgba{Rep4(x % 4), Rep4(y % 4), 0, Rep3(2)}
                                : Rgba{Rep5(x % 4 * 8), Rep5(y % 4 * 8), 0, 255};
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const datagen::RgbaImage image = MakeImage(11, 9, r.texel);
        datagen::GxPalette palette;
        ASSERT_TRUE(datagen::BuildGxPalette(image, r.tlutFormat, r.entries, &palette));
        ASSERT_EQ(palette.entries.size(), r.entries * 2);
        EXPECT_EQ(EncodeAndDecode(image, r.format, &palette, r.tlutFormat), image.rgba);
    }
}

// Sub-blocks of at most two RGB565 colours, some with transparent texels,
// come back exactly: four-colour blocks opaque, three-colour blocks with
// alpha 0 exactly where the image had it.
TEST(gxTexDecode, CmprEncoderRoundTripsTwoColourBlocksInBothModes)
{
    const datagen::RgbaImage image = MakeImage(20, 12, [](uint32_t x, uint32_t y) {
        const uint32_t block = (x / 4) + 5 * (y / 4);
        const bool second = (x + y) % 3 == 0;
        const Rgba a{Rep5(block * 2), Rep6(block * 5), Rep5(31 - block), 255};
        const Rgba b{Rep5(block + 7), Rep6(60 - block), Rep5(block * 3), 255};
        Rgba t = second ? b : a;
        if (block % 3 == 1 && x % 4 == 1)  // some blocks carry transparent texels
            t = {0, 0, 0, 0};
        return t;
    });
    const Bytes out = EncodeAndDecode(image, GX_TF_CMPR, nullptr, GX_TL_IA8);
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x) {
            const Rgba want = TexelAt(image.rgba.data(), image.width, x, y);
            const Rgba got = TexelAt(out.data(), image.width, x, y);
            if (want[3] == 0)
                EXPECT_EQ(got[3], 0) << x << "," << y;
            else
                EXPECT_EQ(got, want) << x << "," << y;
        }
}

// A smooth gradient needs the in-between colours; every texel stays close and opaque.
TEST(gxTexDecode, CmprEncoderKeepsGradientsClose)
{
    const datagen::RgbaImage image = MakeImage(32, 8, [](uint32_t x, uint32_t) {
        return Rgba{static_cast<uint8_t>(x * 8), static_cast<uint8_t>(x * 4),
                    static_cast<uint8_t>(255 - x * 6), 255};
    });
    const Bytes out = EncodeAndDecode(image, GX_TF_CMPR, nullptr, GX_TL_IA8);
    int worst = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        if (i % 4 == 3) {
            ASSERT_EQ(out[i], 255) << "texel " << i / 4 << " became transparent";
        }
        worst = std::max(worst, std::abs(out[i] - image.rgba[i]));
    }
    // Half a 5-bit step of the end colours plus the 3/8 weights' offset from
    // the even steps of the gradient.
    EXPECT_LE(worst, 8);
}

// A chain encoded level by level decodes to the box-halved images.
TEST(gxTexDecode, EncodedMipChainDecodesLevelByLevel)
{
    const datagen::RgbaImage image = MakeImage(16, 8, [](uint32_t x, uint32_t y) {
        return Rgba{static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 32), 77, static_cast<uint8_t>(x * y)};
    });
    Bytes encoded;
    ASSERT_TRUE(datagen::EncodeGxTextureChain(image, GX_TF_RGBA8, 5, nullptr, &encoded));
    ASSERT_EQ(encoded.size(), TextureBytes(GX_TF_RGBA8, 16, 8, 5));
    DecodedTexture tex;
    ASSERT_TRUE(DecodeTexture(encoded.data(), encoded.size(), GX_TF_RGBA8, 16, 8, 5, nullptr, &tex));
    datagen::RgbaImage level = image;
    for (const DecodedLevel& l : tex.levels) {
        SCOPED_TRACE(l.width);
        ASSERT_EQ(l.width, level.width);
        ASSERT_EQ(l.height, level.height);
        EXPECT_TRUE(std::equal(level.rgba.begin(), level.rgba.end(), tex.rgba.begin() + l.offset));
        level = datagen::HalveImage(level);
    }
}
