#include "gxDrawFixture.h"

TEST_F(GxDrawTest, TriangleInterpolatesVertexColours)
{
    GXBegin(GX_TRIANGLES, GX_VTXFMT0, 3);
    GXPosition3f32(100.0f, 100.0f, -0.5f);
    GXColor4u8(255, 0, 0, 255);
    GXPosition3f32(500.0f, 100.0f, -0.5f);
    GXColor4u8(0, 255, 0, 255);
    GXPosition3f32(100.0f, 400.0f, -0.5f);
    GXColor4u8(0, 0, 255, 255);
    GXEnd();

    EXPECT_TRUE(ColorNear(Pixel(102, 102), GXColor{252, 1, 2, 255}, 3));  // next to the red corner
    EXPECT_TRUE(ColorNear(Pixel(496, 101), GXColor{2, 252, 0, 255}, 4));
    EXPECT_TRUE(ColorNear(Pixel(101, 396), GXColor{1, 2, 252, 255}, 4));
    EXPECT_TRUE(ColorNear(Pixel(500, 400), GXColor{0, 0, 0, 0}));  // outside stays clear
    EXPECT_TRUE(ColorNear(Pixel(300, 101), GXColor{128, 127, 0, 255}, 3));
    const GXTestDrawStats stats = GXTestGetDrawStats();
    EXPECT_EQ(stats.draws, 1u);
    EXPECT_EQ(stats.vertices, 3u);
}
