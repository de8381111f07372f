#include "gxDrawFixture.h"

#include "datagen/gxTextureEncode.h"
#include "platform/ps.h"

namespace {

}  // namespace

class GxDrawCopyTest : public GxDrawTest {
protected:
    void DrawPattern()
    {
        datagen::RgbaImage image;
        image.width = image.height = 8;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                image.rgba.push_back(static_cast<uint8_t>((x % 2) * 40 + (y % 2) * 80 + 16 * (x / 2)));
                image.rgba.push_back(static_cast<uint8_t>(100 + (y / 2) * 20 + (x % 2) * 4));
                image.rgba.push_back(static_cast<uint8_t>(200 - (x / 2) * 10 - (y % 2) * 8));
                image.rgba.push_back(255);
            }
        }
        std::vector<uint8_t> encoded;
        ASSERT_TRUE(datagen::EncodeGxTexture(image, GX_TF_RGBA8, nullptr, &encoded));
        m_pattern = std::make_unique<AlignedBytes>(encoded);
        SetUpTexturedFormat();
        GXTexObj obj;
        GXInitTexObj(&obj, m_pattern->data(), 8, 8, GX_TF_RGBA8, GX_CLAMP, GX_CLAMP, GX_FALSE);
        GXInitTexObjLOD(&obj, GX_NEAR, GX_NEAR, 0.0f, 0.0f, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
        GXLoadTexObj(&obj, GX_TEXMAP0);
        GXSetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
        GXSetTevOp(GX_TEVSTAGE0, GX_REPLACE);
        DrawTexturedRect(0, 0, 8, 8);
    }

    static void DrawCopy(void* dest, GXTexFmt format)
    {
        GXTexObj obj;
        GXInitTexObj(&obj, dest, 4, 4, format, GX_CLAMP, GX_CLAMP, GX_FALSE);
        GXInitTexObjLOD(&obj, GX_NEAR, GX_NEAR, 0.0f, 0.0f, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
        GXLoadTexObj(&obj, GX_TEXMAP0);
        DrawTexturedRect(100, 100, 164, 164);
    }

    std::unique_ptr<AlignedBytes> m_pattern;
};

TEST_F(GxDrawCopyTest, BoxFilteredHalvingIsSampledFromTheDestination)
{
    DrawPattern();
    const AlignedBytes dest(std::vector<uint8_t>(64, 0));
    GXSetTexCopySrc(0, 0, 8, 8);
    GXSetTexCopyDst(4, 4, GX_TF_RGBA8, GX_TRUE);
    GXCopyTex(dest.data(), GX_FALSE);
    GXInvalidateTexAll();  // as the engine does after a copy; copies survive it
    DrawCopy(dest.data(), GX_TF_RGBA8);
    for (int by = 0; by < 4; ++by) {
        for (int bx = 0; bx < 4; ++bx) {
            SCOPED_TRACE(testing::Message() << "block " << bx << "," << by);
            const GXColor want{static_cast<uint8_t>(60 + 16 * bx), static_cast<uint8_t>(102 + 20 * by),
                               static_cast<uint8_t>(196 - 10 * bx), 255};
            EXPECT_TRUE(ColorNear(Pixel(100 + bx * 16 + 8, 100 + by * 16 + 8), want, 0));
        }
    }
    EXPECT_TRUE(ColorNear(Pixel(0, 0), GXColor{0, 100, 200, 255}, 0));
}

TEST_F(GxDrawCopyTest, CopyKeepsTheStoredFormatsPrecisionAndClears)
{
    DrawPattern();
    const AlignedBytes dest(std::vector<uint8_t>(64, 0));
    GXSetTexCopySrc(0, 0, 8, 8);
    GXSetTexCopyDst(4, 4, GX_TF_RGB5A3, GX_TRUE);
    GXSetCopyClear(GXColor{9, 8, 7, 6}, 0xFFFFFF);
    GXCopyTex(dest.data(), GX_TRUE);
    DrawCopy(dest.data(), GX_TF_RGB5A3);
    EXPECT_TRUE(ColorNear(Pixel(108, 108), GXColor{57, 99, 198, 255}, 0));
    EXPECT_TRUE(ColorNear(Pixel(3, 3), GXColor{9, 8, 7, 6}, 0));
    EXPECT_TRUE(ColorNear(Pixel(9, 3), GXColor{0, 0, 0, 0}, 0));

    DCStoreRangeNoSync(dest.data(), static_cast<uint32_t>(dest.size()));
    DrawCopy(dest.data(), GX_TF_RGB5A3);
    EXPECT_TRUE(ColorNear(Pixel(108, 108), GXColor{0, 0, 0, 0}, 0));  // zero bytes: 4-bit black, alpha 0
}
