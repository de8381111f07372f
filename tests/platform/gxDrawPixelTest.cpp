#include "gxDrawFixture.h"

namespace {

constexpr GXColor kDst{100, 150, 200, 255};
constexpr GXColor kSrc{200, 100, 50, 128};

}  // namespace

TEST_F(GxDrawTest, BlendModesCombineSourceAndDestination)
{
    struct Row {
        const char* name;
        GXBlendMode mode;
        GXBlendFactor src, dst;
        GXColor want;
    } rows[] = {
        {"one, zero", GX_BM_BLEND, GX_BL_ONE, GX_BL_ZERO, {200, 100, 50, 128}},
        {"alpha blend", GX_BM_BLEND, GX_BL_SRCALPHA, GX_BL_INVSRCALPHA, {150, 125, 125, 191}},
        {"additive by alpha", GX_BM_BLEND, GX_BL_SRCALPHA, GX_BL_ONE, {200, 200, 225, 255}},
        {"modulate 2x", GX_BM_BLEND, GX_BL_DSTCLR, GX_BL_SRCCLR, {157, 118, 78, 255}},
        {"darken by alpha", GX_BM_BLEND, GX_BL_ZERO, GX_BL_INVSRCALPHA, {50, 75, 100, 127}},
        {"modulate light", GX_BM_BLEND, GX_BL_DSTCLR, GX_BL_ZERO, {78, 59, 39, 128}},
        {"subtract", GX_BM_SUBTRACT, GX_BL_ONE, GX_BL_ONE, {0, 50, 150, 127}},
        {"none writes the source", GX_BM_NONE, GX_BL_ZERO, GX_BL_ZERO, {200, 100, 50, 128}},
    };
    GXSetAlphaUpdate(GX_TRUE);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GXTestClearEfb(kDst, 0xFFFFFF);
        GXSetBlendMode(row.mode, row.src, row.dst, GX_LO_CLEAR);
        DrawRect(10, 10, 50, 50, kSrc);
        EXPECT_TRUE(ColorNear(Pixel(30, 30), row.want, 1));
    }
}

TEST_F(GxDrawTest, LogicOpCombinesBits)
{
    GXTestClearEfb(GXColor{0xF0, 0x0F, 0xAA, 0xFF}, 0xFFFFFF);
    GXSetBlendMode(GX_BM_LOGIC, GX_BL_ONE, GX_BL_ZERO, GX_LO_XOR);
    DrawRect(10, 10, 50, 50, GXColor{0xFF, 0xFF, 0x0F, 0x00});
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{0x0F, 0xF0, 0xA5, 0xFF}, 0));
}

TEST_F(GxDrawTest, AlphaCompareDiscardsBelowTwo)
{
    GXSetAlphaCompare(GX_GEQUAL, 2, GX_AOP_AND, GX_ALWAYS, 0);
    const uint8_t alphas[] = {0, 1, 2, 255};
    for (int i = 0; i < 4; ++i)
        DrawRect(10.0f + 40 * i, 10, 40.0f + 40 * i, 40, GXColor{255, 255, 255, alphas[i]});
    EXPECT_TRUE(ColorNear(Pixel(25, 25), GXColor{0, 0, 0, 0}, 0));
    EXPECT_TRUE(ColorNear(Pixel(65, 25), GXColor{0, 0, 0, 0}, 0));
    EXPECT_TRUE(ColorNear(Pixel(105, 25), GXColor{255, 255, 255, 2}, 0));
    EXPECT_TRUE(ColorNear(Pixel(145, 25), GXColor{255, 255, 255, 255}, 0));

    GXSetAlphaCompare(GX_GREATER, 100, GX_AOP_AND, GX_LESS, 200);
    const uint8_t more[] = {100, 150, 200};
    for (int i = 0; i < 3; ++i)
        DrawRect(10.0f + 40 * i, 60, 40.0f + 40 * i, 90, GXColor{255, 255, 255, more[i]});
    EXPECT_EQ(Pixel(25, 75).r, 0);
    EXPECT_EQ(Pixel(65, 75).r, 255);
    EXPECT_EQ(Pixel(105, 75).r, 0);
}

// The two comparisons (alpha above 100, alpha above 200) joined by each
// operation, over alphas where neither, the first only and both pass.
TEST_F(GxDrawTest, AlphaCompareJoinsItsTwoComparisons)
{
    struct Row {
        GXAlphaOp op;
        bool drawn[3];  // alpha 50, 150, 250
    };
    const Row rows[] = {
        {GX_AOP_AND, {false, false, true}},
        {GX_AOP_OR, {false, true, true}},
        {GX_AOP_XOR, {false, true, false}},
        {GX_AOP_XNOR, {true, false, true}},
    };
    const uint8_t alphas[3] = {50, 150, 250};
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.op));
        GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
        GXSetAlphaCompare(GX_GREATER, 100, row.op, GX_GREATER, 200);
        for (int i = 0; i < 3; ++i)
            DrawRect(10.0f + 40 * i, 10, 40.0f + 40 * i, 40, GXColor{255, 255, 255, alphas[i]});
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Pixel(25 + 40 * i, 25).r, row.drawn[i] ? 255 : 0) << "alpha " << int(alphas[i]);
    }
}

TEST_F(GxDrawTest, DepthModesCompareAndUpdate)
{
    GXSetZMode(GX_TRUE, GX_LEQUAL, GX_TRUE);
    DrawRect(10, 10, 50, 50, GXColor{255, 0, 0, 255}, -0.5f);
    DrawRect(10, 10, 50, 50, GXColor{0, 255, 0, 255}, -0.7f);  // farther: hidden
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{255, 0, 0, 255}, 0));
    DrawRect(10, 10, 50, 50, GXColor{0, 0, 255, 255}, -0.5f);  // equal depth passes LEQUAL
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{0, 0, 255, 255}, 0));

    GXSetZMode(GX_TRUE, GX_EQUAL, GX_FALSE);
    DrawRect(10, 10, 50, 50, GXColor{9, 9, 9, 255}, -0.3f);
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{0, 0, 255, 255}, 0));
    DrawRect(10, 10, 50, 50, GXColor{7, 7, 7, 255}, -0.5f);
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{7, 7, 7, 255}, 0));

    GXSetZMode(GX_TRUE, GX_LEQUAL, GX_FALSE);
    DrawRect(60, 10, 100, 50, GXColor{255, 0, 0, 255}, -0.2f);
    DrawRect(60, 10, 100, 50, GXColor{0, 255, 0, 255}, -0.4f);
    EXPECT_TRUE(ColorNear(Pixel(80, 30), GXColor{0, 255, 0, 255}, 0));

    GXSetZMode(GX_FALSE, GX_NEVER, GX_TRUE);
    DrawRect(10, 10, 50, 50, GXColor{1, 2, 3, 255}, -0.9f);
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{1, 2, 3, 255}, 0));
}

TEST_F(GxDrawTest, CullModesFollowOnScreenWinding)
{
    auto triangle = [](const float (&xy)[6], GXColor c) {
        GXBegin(GX_TRIANGLES, GX_VTXFMT0, 3);
        for (int i = 0; i < 6; i += 2) {
            GXPosition3f32(xy[i], xy[i + 1], -0.5f);
            GXColor4u8(c.r, c.g, c.b, c.a);
        }
        GXEnd();
    };
    struct Row {
        GXCullMode mode;
        bool aDrawn, bDrawn;
    } rows[] = {
        {GX_CULL_NONE, true, true},
        {GX_CULL_FRONT, false, true},
        {GX_CULL_BACK, true, false},
        {GX_CULL_ALL, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(GXCullModeText(row.mode));
        GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
        GXSetCullMode(row.mode);
        triangle({10, 10, 60, 10, 10, 60}, GXColor{255, 0, 0, 255});
        triangle({110, 10, 110, 60, 160, 10}, GXColor{0, 255, 0, 255});
        EXPECT_EQ(Pixel(20, 20).r == 255, row.aDrawn);
        EXPECT_EQ(Pixel(120, 20).g == 255, row.bDrawn);
    }
}

TEST_F(GxDrawTest, ScissorViewportAndWriteMasks)
{
    GXSetScissor(20, 20, 10, 10);
    DrawRect(0, 0, 100, 100, GXColor{255, 255, 255, 255});
    EXPECT_EQ(Pixel(25, 25).r, 255);
    EXPECT_EQ(Pixel(19, 25).r, 0);
    EXPECT_EQ(Pixel(25, 30).r, 0);  // the scissor's height ends at row 29
    GXSetScissor(0, 0, 640, 480);

    GXSetViewport(320, 240, 320, 240, 0.0f, 1.0f);
    DrawRect(0, 0, 640, 480, GXColor{0, 0, 255, 255});
    EXPECT_EQ(Pixel(330, 250).b, 255);
    EXPECT_EQ(Pixel(310, 250).b, 0);
    EXPECT_EQ(Pixel(330, 230).b, 0);
    GXSetViewport(0, 0, 640, 480, 0.0f, 1.0f);

    GXTestClearEfb(GXColor{10, 20, 30, 40}, 0xFFFFFF);
    GXSetColorUpdate(GX_FALSE);
    GXSetAlphaUpdate(GX_TRUE);
    DrawRect(0, 0, 50, 50, GXColor{200, 200, 200, 99});
    EXPECT_TRUE(ColorNear(Pixel(10, 10), GXColor{10, 20, 30, 99}, 0));
    GXSetColorUpdate(GX_TRUE);
    GXSetAlphaUpdate(GX_FALSE);
    DrawRect(0, 0, 50, 50, GXColor{200, 200, 200, 11});
    EXPECT_TRUE(ColorNear(Pixel(10, 10), GXColor{200, 200, 200, 99}, 0));
}
