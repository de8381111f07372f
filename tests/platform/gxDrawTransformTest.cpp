#include "gxDrawFixture.h"

#include "datagen/gxTextureEncode.h"

namespace {

void UsePerspective()
{
    const float n = 1.0f, f = 100.0f;
    const Mtx44 proj = {{0.75f, 0.0f, 0.0f, 0.0f},
                        {0.0f, 1.0f, 0.0f, 0.0f},
                        {0.0f, 0.0f, -n / (f - n), -f * n / (f - n)},
                        {0.0f, 0.0f, -1.0f, 0.0f}};
    GXSetProjection(proj, GX_PERSPECTIVE);
}

void DrawViewQuad(float cx, float cy, float half, float z, GXColor c, float nx = 0, float ny = 0, float nz = 1)
{
    GXBegin(GX_QUADS, GX_VTXFMT2, 4);
    const float xs[4] = {cx - half, cx + half, cx + half, cx - half};
    const float ys[4] = {cy + half, cy + half, cy - half, cy - half};
    for (int i = 0; i < 4; ++i) {
        GXPosition3f32(xs[i], ys[i], z);
        GXNormal3f32(nx, ny, nz);
        GXColor4u8(c.r, c.g, c.b, c.a);
    }
    GXEnd();
}

void SetUpLitFormat()
{
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxDesc(GX_VA_NRM, GX_DIRECT);
    GXSetVtxDesc(GX_VA_CLR0, GX_DIRECT);
    GXSetVtxAttrFmt(GX_VTXFMT2, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
    GXSetVtxAttrFmt(GX_VTXFMT2, GX_VA_NRM, GX_NRM_XYZ, GX_F32, 0);
    GXSetVtxAttrFmt(GX_VTXFMT2, GX_VA_CLR0, GX_CLR_RGBA, GX_RGBA8, 0);
}

int ScreenX(float x, float z) { return static_cast<int>(320.0f + 0.75f * x / -z * 320.0f); }

}  // namespace

class GxDrawTransformTest : public GxDrawTest {
protected:
    void SetUp() override
    {
        GxDrawTest::SetUp();
        if (IsSkipped())
            return;
        UsePerspective();
        SetUpLitFormat();
    }

    static void UseLighting(uint32_t mask, GXColor amb, GXColor mat = GXColor{255, 255, 255, 255})
    {
        GXSetChanCtrl(GX_COLOR0, GX_TRUE, GX_SRC_REG, GX_SRC_REG, mask, GX_DF_CLAMP, GX_AF_SPOT);
        GXSetChanCtrl(GX_ALPHA0, GX_FALSE, GX_SRC_REG, GX_SRC_REG, 0, GX_DF_NONE, GX_AF_NONE);
        GXSetChanAmbColor(GX_COLOR0A0, amb);
        GXSetChanMatColor(GX_COLOR0A0, mat);
    }
};

TEST_F(GxDrawTransformTest, LinearFogAtNearMiddleAndFarDistances)
{
    GXSetFog(GX_FOG_PERSP_LIN, 10.0f, 20.0f, 1.0f, 100.0f, GXColor{0, 0, 255, 255});
    const float depths[3] = {5.0f, 15.0f, 25.0f};
    const float xs[3] = {-0.6f, 0.0f, 0.6f};
    for (int i = 0; i < 3; ++i)
        DrawViewQuad(xs[i] * depths[i], 0.0f, 0.1f * depths[i], -depths[i], GXColor{255, 0, 0, 255});
    EXPECT_TRUE(ColorNear(Pixel(ScreenX(-0.6f * 5, -5), 240), GXColor{255, 0, 0, 255}, 0));
    EXPECT_TRUE(ColorNear(Pixel(320, 240), GXColor{127, 0, 127, 255}, 1));
    EXPECT_TRUE(ColorNear(Pixel(ScreenX(0.6f * 25, -25), 240), GXColor{0, 0, 255, 255}, 0));

    GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
    UseScreenSpace();
    GXSetFog(GX_FOG_ORTHO_LIN, 0.0f, 1.0f, 0.0f, 1.0f, GXColor{0, 0, 255, 255});
    DrawRect(10, 10, 50, 50, GXColor{255, 0, 0, 255}, -0.25f);
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{191, 0, 63, 255}, 1));
    GXSetFog(GX_FOG_NONE, 0.0f, 0.0f, 0.0f, 0.0f, GXColor{0, 0, 0, 0});
    DrawRect(10, 10, 50, 50, GXColor{255, 0, 0, 255}, -0.25f);
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{255, 0, 0, 255}, 0));
}

// The exponential kinds at a quarter of the fog range (the orthographic
// range 0..1 at depth 0.25), worked by hand: EXP 1 - 2^-2, EXP2 1 - 2^-0.5,
// REVEXP 2^-6, REVEXP2 2^-4.5, each taken to 1/256 (floor) and blending red
// into blue with the hardware's >> 8.
TEST_F(GxDrawTransformTest, ExponentialFogKindsAtAQuarterOfTheRange)
{
    struct Row {
        GXFogType type;
        GXColor expected;
    };
    const Row rows[] = {
        {GX_FOG_ORTHO_EXP, GXColor{63, 0, 191, 255}},      // 192/256 fog
        {GX_FOG_ORTHO_EXP2, GXColor{181, 0, 73, 255}},     // 74/256
        {GX_FOG_ORTHO_REVEXP, GXColor{251, 0, 3, 255}},    // 4/256
        {GX_FOG_ORTHO_REVEXP2, GXColor{244, 0, 10, 255}},  // 11/256
    };
    UseScreenSpace();
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.type));
        GXSetFog(row.type, 0.0f, 1.0f, 0.0f, 1.0f, GXColor{0, 0, 255, 255});
        DrawRect(10, 10, 50, 50, GXColor{255, 0, 0, 255}, -0.25f);
        EXPECT_TRUE(ColorNear(Pixel(30, 30), row.expected, 1));
    }
    GXSetFog(GX_FOG_NONE, 0.0f, 0.0f, 0.0f, 0.0f, GXColor{0, 0, 0, 0});
}

TEST_F(GxDrawTransformTest, AttenuatedOmniLight)
{
    GXLightObj light;
    GXInitLightPos(&light, 0.0f, 0.0f, -3.0f);
    GXInitLightDir(&light, 0.0f, 0.0f, -1.0f);
    GXInitLightAttn(&light, 1.0f, 0.0f, 0.0f, 0.0f, 6.6666665f / 10.0f, 0.0f);
    GXInitLightColor(&light, GXColor{200, 100, 40, 255});
    GXLoadLightObjImm(&light, GX_LIGHT1);
    UseLighting(GX_LIGHT1, GXColor{0, 0, 0, 255});
    DrawViewQuad(0.0f, 0.0f, 1.0f, -5.0f, GXColor{0, 0, 0, 255});
    EXPECT_TRUE(ColorNear(Pixel(320, 240), GXColor{99, 49, 19, 255}, 1));

    GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
    GXInitLightPos(&light, -1.0f, 1.0f, -5.0f);
    GXLoadLightObjImm(&light, GX_LIGHT1);
    UseLighting(GX_LIGHT1, GXColor{30, 60, 90, 255});
    DrawViewQuad(0.0f, 0.0f, 1.0f, -5.0f, GXColor{0, 0, 0, 255});
    const int left = ScreenX(-1.0f, -5.0f);
    EXPECT_TRUE(ColorNear(Pixel(left + 2, 194), GXColor{29, 59, 89, 255}, 1));  // by the light's corner
    EXPECT_TRUE(ColorNear(Pixel(320, 240), GXColor{29, 59, 89, 255}, 1));
}
