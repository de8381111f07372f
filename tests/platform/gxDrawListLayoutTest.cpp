#include "gxDrawFixture.h"

#include "gxFrontTestUtil.h"

namespace {

// Pixels of a grid over the area the triangles below cover.
std::vector<uint32_t> Grid()
{
    GXDrawDone();
    std::vector<uint32_t> pixels;
    for (int y = 90; y < 420; y += 11)
        for (int x = 90; x < 520; x += 13) {
            const GXColor c = GXTestEfbPixel(x, y);
            pixels.push_back((uint32_t(c.r) << 24) | (c.g << 16) | (c.b << 8) | c.a);
        }
    return pixels;
}

const float kCorners[3][2] = {{100.0f, 100.0f}, {500.0f, 120.0f}, {140.0f, 400.0f}};
const uint32_t kColours[3] = {0xFF2010FFu, 0x10FF20C0u, 0x2010FF80u};

}  // namespace

// A display list's vertices reach the backend packed with only the
// attributes they carry; they draw the same pixels as the whole records
// immediate mode makes: with and without a matrix index in the vertex.
TEST_F(GxDrawTest, PackedListVerticesDrawAsImmediateOnes)
{
    const Mtx shifted = {{1, 0, 0, 7}, {0, 1, 0, 5}, {0, 0, 1, 0}};
    GXLoadPosMtxImm(shifted, GX_PNMTX1);
    for (bool matrixIndex : {false, true}) {
        SCOPED_TRACE(matrixIndex ? "with a matrix index" : "position and colour");
        GXClearVtxDesc();
        if (matrixIndex)
            GXSetVtxDesc(GX_VA_PNMTXIDX, GX_DIRECT);
        GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
        GXSetVtxDesc(GX_VA_CLR0, GX_DIRECT);

        GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
        GXBegin(GX_TRIANGLES, GX_VTXFMT0, 3);
        for (int v = 0; v < 3; ++v) {
            if (matrixIndex)
                GXMatrixIndex1u8(GX_PNMTX1);
            GXPosition3f32(kCorners[v][0], kCorners[v][1], -0.5f);
            GXColor1u32(kColours[v]);
        }
        GXEnd();
        const std::vector<uint32_t> immediate = Grid();

        GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
        BeBytes list;
        list.U8(static_cast<uint32_t>(GX_TRIANGLES) | GX_VTXFMT0).U16(3);
        for (int v = 0; v < 3; ++v) {
            if (matrixIndex)
                list.U8(GX_PNMTX1);
            list.F32(kCorners[v][0]).F32(kCorners[v][1]).F32(-0.5f).U32(kColours[v]);
        }
        list.Pad32();
        GXCallDisplayList(list.data(), list.size());
        EXPECT_EQ(Grid(), immediate);
        // The shifted triangle covers its corner's neighbourhood moved by (7, 5).
        const GXColor corner = Pixel(matrixIndex ? 109 : 102, matrixIndex ? 107 : 102);
        EXPECT_TRUE(ColorNear(corner, GXColor{0xFF, 0x20, 0x10, 0xFF}, 12));
    }
}
