#include <gtest/gtest.h>

#include <array>
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

Bytes Decode(const Bytes& src, GXTexFmt format, uint32_t w, uint32_t h, const Palette* palette = nullptr)
{
    Bytes out(static_cast<size_t>(w) * h * 4, 0xCD);
    EXPECT_TRUE(DecodeLevel(src.data(), src.size(), format, w, h, palette, out.data()));
    return out;
}

const Bytes kRamp = [] {
    Bytes e(512);
    for (int i = 0; i < 256; ++i) {
        e[2 * i] = static_cast<uint8_t>(i);
        e[2 * i + 1] = static_cast<uint8_t>(255 - i);
    }
    return e;
}();
const Palette kRampPalette{kRamp.data(), kRamp.size(), GX_TL_IA8, 256};

}  // namespace

TEST(gxTexDecode, DecodesEachTexelLayout)
{
    struct Row {
        const char* name;
        GXTexFmt format;
        std::vector<std::pair<size_t, uint8_t>> bytes;  // (offset, value)
        uint32_t x, y;
        Rgba expected;
    };
    const Row rows[] = {
        {"I4 high nibble is the left texel", GX_TF_I4, {{0, 0x7C}}, 0, 0, {0x77, 0x77, 0x77, 0x77}},
        {"I8 alpha equals intensity", GX_TF_I8, {{0, 0x5A}}, 0, 0, {0x5A, 0x5A, 0x5A, 0x5A}},
        {"IA4 alpha in the high nibble", GX_TF_IA4, {{0, 0x3C}}, 0, 0, {0xCC, 0xCC, 0xCC, 0x33}},
        {"IA8 alpha byte first", GX_TF_IA8, {{0, 0x40}, {1, 0xB0}}, 0, 0, {0xB0, 0xB0, 0xB0, 0x40}},
        {"RGB565 replicates top bits", GX_TF_RGB565, {{2, 0x84}, {3, 0x10}}, 1, 0, {132, 130, 132, 255}},
        {"RGB5A3 opaque 10/20/5", GX_TF_RGB5A3, {{0, 0xAA}, {1, 0x85}}, 0, 0, {82, 165, 41, 255}},
        {"RGB5A3 translucent A3 R4 G4 B4", GX_TF_RGB5A3, {{0, 0x3A}, {1, 0x5F}}, 0, 0, {0xAA, 0x55, 0xFF, 109}},
        {"RGB5A3 top translucent alpha is 255", GX_TF_RGB5A3, {{0, 0x70}}, 0, 0, {0, 0, 0, 255}},
        {"RGBA8 AR pairs then GB pairs", GX_TF_RGBA8, {{0, 0x11}, {1, 0x22}, {32, 0x33}, {33, 0x44}}, 0, 0, {0x22, 0x33, 0x44, 0x11}},
        {"RGBA8 last texel of a block", GX_TF_RGBA8, {{30, 0x55}, {63, 0x66}}, 3, 3, {0, 0, 0x66, 0x55}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes src(LevelBytes(r.format, 8, 8), 0);
        for (const auto& [offset, value] : r.bytes)
            src[offset] = value;
        EXPECT_EQ(TexelAt(Decode(src, r.format, 8, 8).data(), 8, r.x, r.y), r.expected);
    }
}

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
        {"I8 last row of a block", GX_TF_I8, 10, 5, 27, 0xFF, 3, 3},
        {"I8 next block is to the right", GX_TF_I8, 10, 5, 32, 0xFF, 8, 0},
        {"I8 padded corner block", GX_TF_I8, 10, 5, 97, 0xFF, 9, 4},
        {"IA4 and C8 share the 8x4 tiling", GX_TF_C8, 10, 5, 65, 0xFF, 1, 4},
        {"I4 row 2 of a block", GX_TF_I4, 9, 9, 9, 0x0F, 3, 2},
        {"C4 padded corner block", GX_TF_C4, 9, 9, 96, 0xF0, 8, 8},
        {"IA8 padded corner block", GX_TF_IA8, 5, 5, 96, 0xFF, 4, 4},
        {"RGB565 second block of a row", GX_TF_RGB565, 6, 3, 50, 0xFF, 5, 2},
        {"RGBA8 blue in the second half", GX_TF_RGBA8, 5, 5, 51, 0xFF, 1, 2},
        {"RGBA8 blocks are 64 bytes", GX_TF_RGBA8, 5, 5, 193, 0xFF, 4, 4},
        {"CMPR top-right sub-block", GX_TF_CMPR, 12, 12, 13, 0x30, 5, 1},
        {"CMPR bottom-left sub-block", GX_TF_CMPR, 12, 12, 22, 0x0C, 2, 6},
        {"CMPR second tile", GX_TF_CMPR, 12, 12, 52, 0xC0, 8, 4},
        {"CMPR corner tile shows its first sub-block only", GX_TF_CMPR, 12, 12, 103, 0x03, 11, 11},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes src(LevelBytes(r.format, r.w, r.h), 0);
        const Bytes background = Decode(src, r.format, r.w, r.h, &kRampPalette);
        src.at(r.offset) = r.marker;
        const Bytes marked = Decode(src, r.format, r.w, r.h, &kRampPalette);
        int changed = 0;
        for (uint32_t y = 0; y < r.h; ++y)
            for (uint32_t x = 0; x < r.w; ++x)
                if (TexelAt(marked.data(), r.w, x, y) != TexelAt(background.data(), r.w, x, y)) {
                    ++changed;
                    EXPECT_TRUE(x == r.x && y == r.y) << "changed " << x << "," << y;
                }
        EXPECT_EQ(changed, 1);
    }
}

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

// Whole tiles decode a sub-block at a time in both colour modes; every
// texel of a 24x16 level (6 tiles, each of its four sub-blocks random) is
// checked against the format worked out texel by texel.
TEST(gxTexDecode, CmprWholeTilesMatchTheTexelRule)
{
    constexpr uint32_t kW = 24, kH = 16;
    Bytes src(LevelBytes(GX_TF_CMPR, kW, kH));
    uint32_t seed = 99;
    for (uint8_t& b : src) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    src[2] = src[0];  // one sub-block with equal end colours
    src[3] = src[1];
    const Bytes out = Decode(src, GX_TF_CMPR, kW, kH);
    const auto widen = [](uint32_t v, int bits) { return (v << (8 - bits)) | (v >> (2 * bits - 8)); };
    int fourColourTexels = 0, transparentTexels = 0;
    for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW; ++x) {
            const uint8_t* block = &src[32 * ((y / 8) * (kW / 8) + x / 8) + 8 * (((y % 8) / 4) * 2 + (x % 8) / 4)];
            const uint32_t c0 = (block[0] << 8) | block[1], c1 = (block[2] << 8) | block[3];
            const uint32_t index = (block[4 + y % 4] >> (6 - 2 * (x % 4))) & 3;
            const uint32_t e0[3] = {widen(c0 >> 11, 5), widen((c0 >> 5) & 63, 6), widen(c0 & 31, 5)};
            const uint32_t e1[3] = {widen(c1 >> 11, 5), widen((c1 >> 5) & 63, 6), widen(c1 & 31, 5)};
            Rgba want{0, 0, 0, 255};
            for (int ch = 0; ch < 3; ++ch) {
                const uint32_t mix = c0 > c1 ? (index == 2 ? (5 * e0[ch] + 3 * e1[ch]) >> 3 : (3 * e0[ch] + 5 * e1[ch]) >> 3)
                                             : (e0[ch] + e1[ch]) >> 1;
                want[ch] = static_cast<uint8_t>(index == 0 ? e0[ch] : (index == 1 ? e1[ch] : mix));
            }
            if (c0 <= c1 && index == 3)
                want[3] = 0;
            fourColourTexels += c0 > c1;
            transparentTexels += want[3] == 0;
            ASSERT_EQ(TexelAt(out.data(), kW, x, y), want) << x << "," << y;
        }
    EXPECT_GT(fourColourTexels, 0);
    EXPECT_GT(transparentTexels, 0);
}

TEST(gxTexDecode, LooksUpPaletteInEachEntryFormat)
{
    struct Row {
        const char* name;
        GXTexFmt format;
        GXTlutFmt tlutFormat;
        uint8_t byte;  // the first texel byte
        uint32_t slot;
        uint16_t entry;
        Rgba expected;
    };
    const Row rows[] = {
        {"C8 with IA8 entries, alpha byte first", GX_TF_C8, GX_TL_IA8, 200, 200, 0x80C0, {0xC0, 0xC0, 0xC0, 0x80}},
        {"C8 with RGB565 entries", GX_TF_C8, GX_TL_RGB565, 255, 255, 0xF800, {255, 0, 0, 255}},
        {"C8 with RGB5A3 entries", GX_TF_C8, GX_TL_RGB5A3, 1, 1, 0x3A5F, {0xAA, 0x55, 0xFF, 109}},
        {"C4 indexes with the high nibble", GX_TF_C4, GX_TL_RGB565, 0xF0, 15, 0x001F, {0, 0, 255, 255}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Bytes entries(512, 0);
        entries[2 * r.slot] = static_cast<uint8_t>(r.entry >> 8);
        entries[2 * r.slot + 1] = static_cast<uint8_t>(r.entry);
        const Palette palette{entries.data(), entries.size(), r.tlutFormat, 256};
        Bytes src(32, 0);
        src[0] = r.byte;
        EXPECT_EQ(TexelAt(Decode(src, r.format, 8, 4, &palette).data(), 8, 0, 0), r.expected);
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
        {"CMPR 64x64 full chain: small levels take a whole tile", GX_TF_CMPR, 64, 64, 7, 2816},
        {"CMPR 64x64 as the engine reserves it", GX_TF_CMPR, 64, 64, 4, 2720},
        {"CMPR 256x256 with six levels", GX_TF_CMPR, 256, 256, 6, 43680},
        {"RGBA8 64x64 down to 4x4", GX_TF_RGBA8, 64, 64, 5, 21824},
        {"RGBA8 1x1 is one 64-byte block", GX_TF_RGBA8, 1, 1, 1, 64},
        {"I8 9x5 pads to 2x2 blocks", GX_TF_I8, 9, 5, 1, 128},
        {"RGB565 16x4 chain keeps halving the long side", GX_TF_RGB565, 16, 4, 5, 288},
        {"CMPR 1024 full chain", GX_TF_CMPR, 1024, 1024, 11, 699136},
        {"unsupported format", static_cast<GXTexFmt>(7), 64, 64, 1, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(TextureBytes(r.format, r.w, r.h, r.levels), r.expected) << r.name;

    const uint32_t chains[][3] = {{1, 1, 1}, {64, 64, 7}, {1024, 1, 11}, {16, 4, 5}, {3, 5, 3}, {0, 4, 0}};
    for (const auto& c : chains)
        EXPECT_EQ(FullChainLevels(c[0], c[1]), c[2]) << c[0] << "x" << c[1];
}

TEST(gxTexDecode, DecodesEveryMipLevelAtItsOffset)
{
    Bytes src(160, 0);
    const size_t start[] = {0, 64, 96, 128};
    const uint16_t colour[] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    const Rgba expected[] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    const uint32_t w[] = {8, 4, 2, 1}, h[] = {4, 2, 1, 1};
    const size_t outStart[] = {0, 128, 160, 168};
    for (int i = 0; i < 4; ++i) {
        src[start[i]] = static_cast<uint8_t>(colour[i] >> 8);
        src[start[i] + 1] = static_cast<uint8_t>(colour[i]);
    }
    DecodedTexture tex;
    ASSERT_TRUE(DecodeTexture(src.data(), src.size(), GX_TF_RGB565, 8, 4, 4, nullptr, &tex));
    ASSERT_EQ(tex.levels.size(), 4u);
    ASSERT_EQ(tex.rgba.size(), (32u + 8 + 2 + 1) * 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(tex.levels[i].width, w[i]);
        EXPECT_EQ(tex.levels[i].height, h[i]);
        EXPECT_EQ(tex.levels[i].offset, outStart[i]);
        EXPECT_EQ(TexelAt(tex.rgba.data() + outStart[i], w[i], 0, 0), expected[i]);
        EXPECT_EQ(TexelAt(tex.rgba.data() + outStart[i], w[i], w[i] - 1, h[i] - 1)[0], i == 3 ? 255 : 0);
    }
}

TEST(gxTexDecode, RejectsBadArgumentsWithALogLine)
{
    const Bytes big(1 << 16, 0);
    const Palette sixteen{kRamp.data(), 32, GX_TL_IA8, 16};
    const Palette badFormat{kRamp.data(), kRamp.size(), static_cast<GXTlutFmt>(3), 256};
    const Palette shortBytes{kRamp.data(), 100, GX_TL_IA8, 256};
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
        {"C14X2 is not decoded", GX_TF_C14X2, 8, 8, 1, big.size(), &kRampPalette, "format 10"},
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

TEST(gxTexDecode, EveryTruncatedTextureFailsCleanly)
{
    const GXTexFmt formats[] = {GX_TF_I4, GX_TF_I8, GX_TF_IA4, GX_TF_IA8, GX_TF_RGB565,
                                GX_TF_RGB5A3, GX_TF_RGBA8, GX_TF_C4, GX_TF_C8, GX_TF_CMPR};
    const uint32_t w = 12, h = 10, levels = 4;
    for (GXTexFmt format : formats) {
        SCOPED_TRACE(static_cast<int>(format));
        const size_t full = TextureBytes(format, w, h, levels);
        DecodedTexture tex;
        Bytes level(w * h * 4, 0xEE);
        testing::internal::CaptureStderr();
        for (size_t len = 0; len < full; ++len) {
            const Bytes cut(len, 0x5A);
            if (DecodeTexture(cut.data(), cut.size(), format, w, h, levels, &kRampPalette, &tex))
                ADD_FAILURE() << "accepted " << len << " of " << full << " bytes";
            if (len < LevelBytes(format, w, h) &&
                DecodeLevel(cut.data(), cut.size(), format, w, h, &kRampPalette, level.data()))
                ADD_FAILURE() << "level accepted " << len << " bytes";
        }
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(tex.levels.empty());
        EXPECT_EQ(level, Bytes(w * h * 4, 0xEE));
        const Bytes exact(full, 0x5A);
        EXPECT_TRUE(DecodeTexture(exact.data(), exact.size(), format, w, h, levels, &kRampPalette, &tex));
    }
}

namespace {

}  // namespace
