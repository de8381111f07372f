#include "gxDrawFixture.h"

#include <string>

#include "datagen/gxTextureEncode.h"

namespace {

struct Rgba {
    uint8_t r, g, b, a;
};

struct Probe {
    int x, y;  // texel
    GXColor want;
};

struct TextureCase {
    const char* name;
    GXTexFmt format;
    Rgba texels[4][4];  // the 8x8 image as 2x2 texel cells per entry: [row][column]
    std::vector<Probe> probes;
};

datagen::RgbaImage MakeImage(const TextureCase& c)
{
    datagen::RgbaImage img{8, 8, {}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const Rgba& t = c.texels[y / 2][x / 2];
            img.rgba.insert(img.rgba.end(), {t.r, t.g, t.b, t.a});
        }
    return img;
}

std::vector<uint8_t> EncodeSolid(uint32_t size, Rgba c, GXTexFmt format = GX_TF_RGBA8)
{
    datagen::RgbaImage img{size, size, {}};
    for (uint32_t i = 0; i < size * size; ++i)
        img.rgba.insert(img.rgba.end(), {c.r, c.g, c.b, c.a});
    std::vector<uint8_t> out;
    EXPECT_TRUE(datagen::EncodeGxTexture(img, format, nullptr, &out));
    return out;
}

constexpr Rgba W{255, 255, 255, 255}, K{0, 0, 0, 255}, R{255, 0, 0, 255}, G{0, 255, 0, 255}, B{0, 0, 255, 255};
constexpr Rgba T{0, 0, 0, 0};  // transparent

constexpr Rgba G159{159, 159, 159, 255}, G95{95, 95, 95, 255};
constexpr Rgba P{128, 0, 128, 255};

std::vector<TextureCase> Cases()
{
    return {
        {"CMPR_FourColour", GX_TF_CMPR,
         {{W, G159, W, G159}, {G95, K, G95, K}, {W, G159, W, G159}, {G95, K, G95, K}},
         {{0, 0, {255, 255, 255, 255}}, {2, 0, {159, 159, 159, 255}}, {0, 2, {95, 95, 95, 255}},
          {3, 3, {0, 0, 0, 255}}, {4, 6, {95, 95, 95, 255}}}},
        {"CMPR_ThreeColourTransparent", GX_TF_CMPR,
         {{R, B, R, B}, {P, T, P, T}, {R, B, R, B}, {P, T, P, T}},
         {{0, 0, {255, 0, 0, 255}}, {2, 0, {0, 0, 255, 255}}, {0, 2, {127, 0, 127, 255}}, {7, 7, {127, 0, 127, 0}}}},
        {"C8_PaletteIA8", GX_TF_C8,
         {{{200, 200, 200, 100}, {200, 200, 200, 100}, {50, 50, 50, 255}, {50, 50, 50, 255}},
          {{200, 200, 200, 100}, {200, 200, 200, 100}, {50, 50, 50, 255}, {50, 50, 50, 255}},
          {{255, 255, 255, 0}, {255, 255, 255, 0}, K, K},
          {{255, 255, 255, 0}, {255, 255, 255, 0}, K, K}},
         {{1, 1, {200, 200, 200, 100}}, {6, 1, {50, 50, 50, 255}}, {1, 6, {255, 255, 255, 0}}, {6, 6, {0, 0, 0, 255}}}},
    };
}

class GxDrawTextureTest : public GxTextureDrawTest {
protected:
    static void LoadNearest(GXTexObj* obj, const AlignedBytes& texels, GXTexFmt format, GXTexWrapMode wrap = GX_CLAMP,
                            GXTexMapID map = GX_TEXMAP0)
    {
        GXInitTexObj(obj, texels.data(), 8, 8, format, wrap, wrap, GX_FALSE);
        GXInitTexObjLOD(obj, GX_NEAR, GX_NEAR, 0.0f, 0.0f, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
        GXLoadTexObj(obj, map);
    }

    static GXColor TexelPixel(int tx, int ty) { return Pixel(100 + tx * 8 + 4, 100 + ty * 8 + 4); }
};

}  // namespace

TEST_F(GxDrawTextureTest, EachFormatDecodesToItsHardwareColours)
{
    for (const TextureCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const datagen::RgbaImage image = MakeImage(c);
        datagen::GxPalette palette;
        const bool indexed = c.format == GX_TF_C8;
        if (indexed) {
            ASSERT_TRUE(datagen::BuildGxPalette(image, GX_TL_IA8, 256, &palette));
        }
        std::vector<uint8_t> encoded;
        ASSERT_TRUE(datagen::EncodeGxTexture(image, c.format, indexed ? &palette : nullptr, &encoded));
        const AlignedBytes texels(encoded);
        const AlignedBytes lut(indexed ? palette.entries : std::vector<uint8_t>(32));
        GXTexObj obj;
        if (indexed) {
            GXTlutObj tlut;
            GXInitTlutObj(&tlut, lut.data(), GX_TL_IA8, 256);
            GXLoadTlut(&tlut, GX_TLUT0);
            GXInitTexObjCI(&obj, texels.data(), 8, 8, GX_TF_C8, GX_CLAMP, GX_CLAMP, GX_FALSE, GX_TLUT0);
            GXInitTexObjLOD(&obj, GX_NEAR, GX_NEAR, 0.0f, 0.0f, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
            GXLoadTexObj(&obj, GX_TEXMAP0);
        } else {
            LoadNearest(&obj, texels, c.format);
        }
        DrawTexturedRect(100, 100, 164, 164);
        for (const Probe& p : c.probes) {
            SCOPED_TRACE("texel " + std::to_string(p.x) + "," + std::to_string(p.y));
            EXPECT_TRUE(ColorNear(TexelPixel(p.x, p.y), p.want, 0));
        }
        GXDrawDone();  // the texel memory goes away with this iteration
    }
}

TEST_F(GxDrawTextureTest, RepeatAndMirrorWrapTheCoordinates)
{
    const TextureCase c{"", GX_TF_RGBA8, {{R, R, B, B}, {R, R, B, B}, {R, R, B, B}, {R, R, B, B}}, {}};
    std::vector<uint8_t> encoded;
    ASSERT_TRUE(datagen::EncodeGxTexture(MakeImage(c), GX_TF_RGBA8, nullptr, &encoded));
    const AlignedBytes texels(encoded);
    struct Row {
        GXTexWrapMode wrap;
        GXColor secondLeft;   // texel 0 of the second copy
        GXColor secondRight;  // texel 7 of the second copy
    } rows[] = {
        {GX_REPEAT, {255, 0, 0, 255}, {0, 0, 255, 255}},
        {GX_MIRROR, {0, 0, 255, 255}, {255, 0, 0, 255}},
        {GX_CLAMP, {0, 0, 255, 255}, {0, 0, 255, 255}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(GXTexWrapModeText(row.wrap));
        GXTexObj obj;
        LoadNearest(&obj, texels, GX_TF_RGBA8, row.wrap);
        DrawTexturedRect(0, 0, 512, 32, GXColor{255, 255, 255, 255}, 0.0f, 0.0f, 2.0f, 1.0f);
        EXPECT_TRUE(ColorNear(Pixel(16, 16), GXColor{255, 0, 0, 255}));
        EXPECT_TRUE(ColorNear(Pixel(256 + 16, 16), row.secondLeft));
        EXPECT_TRUE(ColorNear(Pixel(512 - 16, 16), row.secondRight));
    }
}

TEST_F(GxDrawTextureTest, UnsupportedTexturesDrawWhite)
{
    std::vector<uint8_t> bytes(256, 0);
    const AlignedBytes texels(bytes);
    struct Row {
        const char* name;
        GXTexFmt format;
        uint16_t w, h;
    } rows[] = {
        {"invalid format 7", static_cast<GXTexFmt>(7), 8, 8},
        {"zero width", GX_TF_RGBA8, 0, 8},
        {"wider than 1024", GX_TF_I8, 2048, 1},
        {"depth copy format", GX_TF_Z24X8, 8, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GXTexObj obj;
        GXInitTexObj(&obj, texels.data(), row.w, row.h, row.format, GX_CLAMP, GX_CLAMP, GX_FALSE);
        GXLoadTexObj(&obj, GX_TEXMAP0);
        GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
        DrawTexturedRect(100, 100, 164, 164);
        EXPECT_TRUE(ColorNear(TexelPixel(3, 3), GXColor{255, 255, 255, 255}));
    }
}

TEST_F(GxDrawTextureTest, MipLevelsAreChosenByMinificationWithinTheLodRange)
{
    std::vector<uint8_t> chain = EncodeSolid(16, R, GX_TF_RGB5A3);
    const std::vector<uint8_t> level1 = EncodeSolid(8, G, GX_TF_RGB5A3);
    chain.insert(chain.end(), level1.begin(), level1.end());
    const AlignedBytes texels(chain);
    struct Row {
        const char* name;
        float size;    // pixels the 16x16 texture is drawn over
        float maxLod;  // levels 0..maxLod are read
        GXColor want;
    } rows[] = {
        {"full size reads level 0", 16, 1, {255, 0, 0, 255}},
        {"half size reads level 1", 8, 1, {0, 255, 0, 255}},
        {"max LOD 0 keeps level 0", 8, 0, {255, 0, 0, 255}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GXTexObj obj;
        GXInitTexObj(&obj, texels.data(), 16, 16, GX_TF_RGB5A3, GX_CLAMP, GX_CLAMP, GX_TRUE);
        GXInitTexObjLOD(&obj, GX_NEAR_MIP_NEAR, GX_NEAR, 0.0f, row.maxLod, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
        GXLoadTexObj(&obj, GX_TEXMAP0);
        DrawTexturedRect(100, 100, 100 + row.size, 100 + row.size);
        EXPECT_TRUE(ColorNear(Pixel(100 + static_cast<int>(row.size) / 2, 102), row.want, 0));
    }
}
