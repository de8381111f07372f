#include "gxDrawFixture.h"

#include "gxFrontTestUtil.h"

#include "datagen/gxTextureEncode.h"

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

// Lists keep s16 positions and coordinates as shorts that the backend
// scales: through the step kernels (inline), the whole-vertex decoder
// (16-bit indices) and immediate mode after them in the same state (whose
// floats must not be scaled again), the pixels are those of the floats.
TEST_F(GxTextureDrawTest, ShortPositionsAndCoordinatesDrawAsTheirFloats)
{
    datagen::RgbaImage img{8, 8, {}};
    for (uint8_t y = 0; y < 8; ++y)
        for (uint8_t x = 0; x < 8; ++x)
            img.rgba.insert(img.rgba.end(), {static_cast<uint8_t>(x * 32), static_cast<uint8_t>(y * 32), 200, 255});
    std::vector<uint8_t> encoded;
    ASSERT_TRUE(datagen::EncodeGxTexture(img, GX_TF_RGBA8, nullptr, &encoded));
    const AlignedBytes texels(encoded);
    GXTexObj obj;
    GXInitTexObj(&obj, texels.data(), 8, 8, GX_TF_RGBA8, GX_REPEAT, GX_REPEAT, GX_FALSE);
    GXInitTexObjLOD(&obj, GX_NEAR, GX_NEAR, 0.0f, 0.0f, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
    GXLoadTexObj(&obj, GX_TEXMAP0);

    // Quarter pixels and 1/256 texture steps: exact as floats and as shorts.
    const int16_t pos[3][2] = {{401, 398}, {2003, 482}, {561, 1602}};
    const int16_t st[3][2] = {{-37, 64}, {700, 3}, {129, -515}};
    GXBegin(GX_TRIANGLES, GX_VTXFMT1, 3);
    for (int v = 0; v < 3; ++v) {
        GXPosition3f32(pos[v][0] / 4.0f, pos[v][1] / 4.0f, -0.5f);
        GXColor1u32(0xFFFFFFFFu);
        GXTexCoord2f32(st[v][0] / 256.0f, st[v][1] / 256.0f);
    }
    GXEnd();
    const std::vector<uint32_t> floats = Grid();
    const int16_t z = -2;  // -0.5 at 2 fraction bits

    GXSetVtxAttrFmt(GX_VTXFMT1, GX_VA_POS, GX_POS_XYZ, GX_S16, 2);
    GXSetVtxAttrFmt(GX_VTXFMT1, GX_VA_TEX0, GX_TEX_ST, GX_S16, 8);
    GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
    BeBytes inlineList;
    inlineList.U8(static_cast<uint32_t>(GX_TRIANGLES) | GX_VTXFMT1).U16(3);
    for (int v = 0; v < 3; ++v)
        inlineList.U16(pos[v][0]).U16(pos[v][1]).U16(z & 0xFFFF).U32(0xFFFFFFFFu).U16(st[v][0]).U16(st[v][1]);
    inlineList.Pad32();
    GXCallDisplayList(inlineList.data(), inlineList.size());
    EXPECT_EQ(Grid(), floats) << "inline shorts";

    BeBytes positions, coords;
    for (int v = 0; v < 3; ++v) {
        positions.U16(pos[v][0]).U16(pos[v][1]).U16(z & 0xFFFF);
        coords.U16(st[v][0]).U16(st[v][1]);
    }
    positions.U16(0).U16(0);  // room for reading the last position wide
    const AlignedBytes posArray(positions.b), coordArray(coords.b);
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_INDEX16);
    GXSetVtxDesc(GX_VA_TEX0, GX_INDEX16);
    GXSetArray(GX_VA_POS, posArray.data(), 6);
    GXSetArray(GX_VA_TEX0, coordArray.data(), 4);
    GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
    BeBytes indexedList;
    indexedList.U8(static_cast<uint32_t>(GX_TRIANGLES) | GX_VTXFMT1).U16(3);
    for (uint32_t v = 0; v < 3; ++v)
        indexedList.U16(v).U16(v);
    indexedList.Pad32();
    GXCallDisplayList(indexedList.data(), indexedList.size());
    // Without a colour the replaced texel is all that is drawn.
    EXPECT_EQ(Grid(), floats) << "indexed shorts";

    GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
    GXBegin(GX_TRIANGLES, GX_VTXFMT1, 3);
    for (int v = 0; v < 3; ++v) {
        GXPosition1x16(static_cast<uint16_t>(v));
        GXTexCoord1x16(static_cast<uint16_t>(v));
    }
    GXEnd();
    EXPECT_EQ(Grid(), floats) << "immediate after the lists";
}
