#include "gxDrawFixture.h"

#include "datagen/gxTextureEncode.h"
#include "platform/ps.h"

namespace {

void LightFromViewer(GXColor material)
{
    GXLightObj light;
    GXInitLightPos(&light, 0.0f, 0.0f, 1048576.0f);
    GXInitLightDir(&light, 0.0f, 0.0f, -1.0f);
    GXInitLightAttn(&light, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    GXInitLightColor(&light, GXColor{255, 255, 255, 255});
    GXLoadLightObjImm(&light, GX_LIGHT0);
    GXSetChanCtrl(GX_COLOR0, GX_TRUE, GX_SRC_REG, GX_SRC_REG, GX_LIGHT0, GX_DF_CLAMP, GX_AF_SPOT);
    GXSetChanCtrl(GX_ALPHA0, GX_FALSE, GX_SRC_REG, GX_SRC_REG, 0, GX_DF_NONE, GX_AF_NONE);
    GXSetChanAmbColor(GX_COLOR0A0, GXColor{0, 0, 0, 255});
    GXSetChanMatColor(GX_COLOR0A0, material);
}

}  // namespace

TEST_F(GxDrawTest, DisplayListWithIndexedFixedPointPositionsAndNormals)
{
    const float pos[6][3] = {{-4, -2, 0}, {-1, -2, 0}, {-4, 2, 0}, {1, -2, 0}, {4, -2, 0}, {1, 2, 0}};
    std::vector<uint8_t> posBytes(6 * 6);
    for (int v = 0; v < 6; ++v)
        for (int k = 0; k < 3; ++k)
            ps::StoreS16BE(&posBytes[(v * 3 + k) * 2], static_cast<int16_t>(pos[v][k] * 256));
    const float nrm[2][3] = {{0.0f, 0.0f, 1.0f}, {0.0f, 0.6f, 0.8f}};
    std::vector<uint8_t> nrmBytes(2 * 12);
    for (int v = 0; v < 2; ++v)
        for (int k = 0; k < 3; ++k)
            ps::StoreF32BE(&nrmBytes[(v * 3 + k) * 4], nrm[v][k]);
    std::vector<uint8_t> list = {static_cast<uint8_t>(GX_TRIANGLES | static_cast<int>(GX_VTXFMT0)), 0, 6};
    const uint8_t normalOf[6] = {0, 0, 0, 1, 1, 1};
    for (uint8_t v = 0; v < 6; ++v)
        list.insert(list.end(), {0, v, normalOf[v]});
    list.resize(32, 0);
    const AlignedBytes positions(posBytes), normals(nrmBytes), dl(list);

    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_INDEX16);
    GXSetVtxDesc(GX_VA_NRM, GX_INDEX8);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_POS, GX_POS_XYZ, GX_S16, 8);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_NRM, GX_NRM_XYZ, GX_F32, 0);
    GXSetArray(GX_VA_POS, positions.data(), 6);
    GXSetArray(GX_VA_NRM, normals.data(), 12);
    const Mtx toScreen = {{32, 0, 0, 320}, {0, 32, 0, 240}, {0, 0, 1, -0.5f}};
    const Mtx id = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    GXLoadPosMtxImm(toScreen, GX_PNMTX0);
    GXLoadNrmMtxImm(id, GX_PNMTX0);
    LightFromViewer(GXColor{200, 100, 50, 255});

    GXCallDisplayList(dl.data(), static_cast<uint32_t>(dl.size()));
    EXPECT_TRUE(ColorNear(Pixel(320 - 3 * 32, 240 - 32), GXColor{200, 100, 50, 255}, 1));
    EXPECT_TRUE(ColorNear(Pixel(320 + 2 * 32, 240 - 32), GXColor{160, 80, 40, 255}, 1));
    EXPECT_TRUE(ColorNear(Pixel(320, 240), GXColor{0, 0, 0, 0}, 0));  // between the triangles
    const GXTestLastDraw last = GXTestGetLastDraw();
    EXPECT_EQ(last.primitive, GX_TRIANGLES);
    EXPECT_EQ(last.vertexCount, 6u);
    EXPECT_EQ(GXTestGetDrawStats().draws, 1u);
}

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
