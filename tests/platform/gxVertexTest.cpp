#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gx/gxVertex.h"
#include "gxFrontTestUtil.h"

namespace {

struct Arrays {
    BeBytes pos = BeBytes().U16(0).U16(0).U16(0).U16(0x0180).U16(0xFF00).U16(0x0040);
    BeBytes nrmF32 = BeBytes().F32(9).F32(9).F32(9).F32(9).F32(9).F32(9).F32(0).F32(1).F32(-0.5f);
    BeBytes nrmS16 = BeBytes().U16(0).U16(0).U16(0).U16(0x4000).U16(0xC000).U16(0x2000);
    BeBytes tex0 = BeBytes().U16(0).U16(0).U16(0x0400).U16(0xFE00);
    BeBytes tex1 = BeBytes().U16(0x0200).U16(0x0600);
};

void SetFmt(GXVtxFmt f, GXAttr a, GXCompCnt c, GXCompType t, uint8_t frac) { GXSetVtxAttrFmt(f, a, c, t, frac); }

void SetUpEngineFormats()
{
    for (int f = GX_VTXFMT0; f <= GX_VTXFMT1; ++f) {
        const GXVtxFmt v = static_cast<GXVtxFmt>(f);
        SetFmt(v, GX_VA_POS, GX_POS_XYZ, GX_S16, 8);
        SetFmt(v, GX_VA_NRM, GX_NRM_XYZ, GX_F32, 0);
        for (int t = 0; t < (f == 0 ? 2 : 4); ++t)
            SetFmt(v, static_cast<GXAttr>(GX_VA_TEX0 + t), GX_TEX_ST, GX_S16, 10);
    }
    SetFmt(GX_VTXFMT2, GX_VA_POS, GX_POS_XYZ, GX_S16, 10);
    SetFmt(GX_VTXFMT2, GX_VA_NRM, GX_NRM_XYZ, GX_S16, 14);
    SetFmt(GX_VTXFMT2, GX_VA_TEX0, GX_TEX_ST, GX_S16, 10);
    SetFmt(GX_VTXFMT2, GX_VA_TEX1, GX_TEX_ST, GX_S16, 10);
    for (int f = GX_VTXFMT3; f <= GX_VTXFMT4; ++f) {
        const GXVtxFmt v = static_cast<GXVtxFmt>(f);
        SetFmt(v, GX_VA_POS, GX_POS_XYZ, GX_S16, f == 3 ? 8 : 4);
        SetFmt(v, GX_VA_CLR0, GX_CLR_RGBA, GX_RGBA8, 0);
        SetFmt(v, GX_VA_TEX0, GX_TEX_ST, GX_S16, 10);
        SetFmt(v, GX_VA_TEX1, GX_TEX_ST, GX_S16, 10);
    }
    SetFmt(GX_VTXFMT5, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
    SetFmt(GX_VTXFMT5, GX_VA_CLR0, GX_CLR_RGBA, GX_RGBA8, 0);
    SetFmt(GX_VTXFMT6, GX_VA_POS, GX_POS_XYZ, GX_S16, 4);
    SetFmt(GX_VTXFMT6, GX_VA_TEX0, GX_TEX_ST, GX_S16, 0);
}

void Desc(std::initializer_list<std::pair<GXAttr, GXAttrType>> attrs)
{
    GXClearVtxDesc();
    for (const auto& a : attrs)
        GXSetVtxDesc(a.first, a.second);
}

struct FormatRow {
    const char* name;
    GXVtxFmt fmt;
    void (*desc)();
    BeBytes vertex;
    uint32_t vertexBytes;
    float pos[3];
    float nrm[3];
    float tex[4][2];
    uint8_t clr[4];
};

class GxVertexTest : public GxFrontTest {
protected:
    void BindArrays()
    {
        GXSetArray(GX_VA_POS, m_arrays.pos.data(), 6);
        GXSetArray(GX_VA_TEX0, m_arrays.tex0.data(), 4);
        for (int t = 1; t < 4; ++t)
            GXSetArray(static_cast<GXAttr>(GX_VA_TEX0 + t), m_arrays.tex1.data(), 4);
    }
    bool DecodeOne(GXVtxFmt fmt, const BeBytes& vertex, gxVertex* out, uint32_t* attrMask = nullptr)
    {
        BeBytes list;
        list.U8(static_cast<uint32_t>(GX_TRIANGLES) | fmt).U16(1);
        list.b.insert(list.b.end(), vertex.b.begin(), vertex.b.end());
        GXCallDisplayList(list.data(), list.size());
        std::vector<gxCommand> draws = Draws();
        if (draws.size() != 1 || draws[0].vertices.size() != 1)
            return false;
        *out = draws[0].vertices[0];
        if (attrMask)
            *attrMask = draws[0].attrMask;
        return true;
    }
    Arrays m_arrays;
};

TEST_F(GxVertexTest, DecodesEachEngineFormatFromBigEndianBytes)
{
    const FormatRow rows[] = {
        {"0: idx16 s16/8, idx8 f32 normal, 2 idx16 s16/10 coordinates", GX_VTXFMT0,
         [] { Desc({{GX_VA_POS, GX_INDEX16}, {GX_VA_NRM, GX_INDEX8}, {GX_VA_TEX0, GX_INDEX16}, {GX_VA_TEX1, GX_INDEX16}}); },
         BeBytes().U16(1).U8(2).U16(1).U16(0), 7,
         {1.5f, -1.0f, 0.25f}, {0.0f, 1.0f, -0.5f}, {{1.0f, -0.5f}, {0.5f, 1.5f}}, {0, 0, 0, 0}},
        {"1: as 0 with four coordinates", GX_VTXFMT1,
         [] { Desc({{GX_VA_POS, GX_INDEX16}, {GX_VA_NRM, GX_INDEX8}, {GX_VA_TEX0, GX_INDEX16}, {GX_VA_TEX1, GX_INDEX16},
                    {GX_VA_TEX2, GX_INDEX16}, {GX_VA_TEX3, GX_INDEX16}}); },
         BeBytes().U16(1).U8(2).U16(1).U16(0).U16(0).U16(0), 11,
         {1.5f, -1.0f, 0.25f}, {0.0f, 1.0f, -0.5f}, {{1.0f, -0.5f}, {0.5f, 1.5f}, {0.5f, 1.5f}, {0.5f, 1.5f}}, {0, 0, 0, 0}},
        {"2: idx16 s16/10, idx16 s16/14 normal", GX_VTXFMT2,
         [] { Desc({{GX_VA_POS, GX_INDEX16}, {GX_VA_NRM, GX_INDEX16}, {GX_VA_TEX0, GX_INDEX16}, {GX_VA_TEX1, GX_INDEX16}}); },
         BeBytes().U16(1).U16(1).U16(1).U16(0), 8,
         {0.375f, -0.25f, 0.0625f}, {1.0f, -1.0f, 0.5f}, {{1.0f, -0.5f}, {0.5f, 1.5f}}, {0, 0, 0, 0}},
        {"3: direct s16/8, RGBA8, s16/10", GX_VTXFMT3,
         [] { Desc({{GX_VA_POS, GX_DIRECT}, {GX_VA_CLR0, GX_DIRECT}, {GX_VA_TEX0, GX_DIRECT}, {GX_VA_TEX1, GX_DIRECT}}); },
         BeBytes().U16(0x0180).U16(0xFF00).U16(0x0040).U32(0x11223344).U16(0x0400).U16(0xFE00).U16(0x0200).U16(0x0600), 18,
         {1.5f, -1.0f, 0.25f}, {0, 0, 0}, {{1.0f, -0.5f}, {0.5f, 1.5f}}, {0x11, 0x22, 0x33, 0x44}},
        {"4: direct s16/4", GX_VTXFMT4,
         [] { Desc({{GX_VA_POS, GX_DIRECT}, {GX_VA_CLR0, GX_DIRECT}, {GX_VA_TEX0, GX_DIRECT}, {GX_VA_TEX1, GX_DIRECT}}); },
         BeBytes().U16(0x0018).U16(0xFFF0).U16(0x0004).U32(0xFF000080).U16(0x0400).U16(0xFE00).U16(0x0200).U16(0x0600), 18,
         {1.5f, -1.0f, 0.25f}, {0, 0, 0}, {{1.0f, -0.5f}, {0.5f, 1.5f}}, {0xFF, 0x00, 0x00, 0x80}},
        {"5: direct f32", GX_VTXFMT5,
         [] { Desc({{GX_VA_POS, GX_DIRECT}, {GX_VA_CLR0, GX_DIRECT}}); },
         BeBytes().U32(0x3FC00000).U32(0xBF800000).U32(0x40490FDB).U32(0x01020304), 16,
         {1.5f, -1.0f, 3.14159274f}, {0, 0, 0}, {{0, 0}}, {1, 2, 3, 4}},
        {"6: direct s16/4, texel coordinates s16/0", GX_VTXFMT6,
         [] { Desc({{GX_VA_POS, GX_DIRECT}, {GX_VA_TEX0, GX_DIRECT}}); },
         BeBytes().U16(0x0018).U16(0xFFF0).U16(0x0004).U16(0x0007).U16(0xFFFF), 10,
         {1.5f, -1.0f, 0.25f}, {0, 0, 0}, {{7.0f, -1.0f}}, {0, 0, 0, 0}},
    };
    SetUpEngineFormats();
    BindArrays();
    for (const FormatRow& r : rows) {
        SCOPED_TRACE(r.name);
        GXSetArray(GX_VA_NRM, r.fmt == GX_VTXFMT2 ? m_arrays.nrmS16.data() : m_arrays.nrmF32.data(),
                   r.fmt == GX_VTXFMT2 ? 6 : 12);
        r.desc();
        ASSERT_EQ(r.vertex.size(), r.vertexBytes);
        gxVertex v;
        ASSERT_TRUE(DecodeOne(r.fmt, r.vertex, &v));
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(v.pos[c], r.pos[c]) << "position " << c;
            EXPECT_EQ(v.nrm[c], r.nrm[c]) << "normal " << c;
        }
        for (int t = 0; t < 4; ++t)
            for (int c = 0; c < 2; ++c)
                EXPECT_EQ(v.tex[t][c], r.tex[t][c]) << "coordinate " << t << "." << c;
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(v.clr[0][c], r.clr[c]) << "colour " << c;
    }
}

TEST_F(GxVertexTest, ComponentTypesAndFractionBits)
{
    struct Row { const char* name; GXCompType type; uint8_t frac; BeBytes bytes; float expected; };
    const Row rows[] = {
        {"u8 max with 4 fraction bits", GX_U8, 4, BeBytes().U8(0xFF), 15.9375f},
        {"s8 sign bit, no fraction", GX_S8, 0, BeBytes().U8(0x80), -128.0f},
        {"u16 max with 8 bits", GX_U16, 8, BeBytes().U16(0xFFFF), 255.99609375f},
        {"s16 minimum with 14 bits", GX_S16, 14, BeBytes().U16(0x8000), -2.0f},
        {"s16 one lsb with 10 bits", GX_S16, 10, BeBytes().U16(0x0001), 1.0f / 1024.0f},
        {"f32 ignores the fraction field", GX_F32, 8, BeBytes().F32(-0.0f), -0.0f},
        {"f32 is taken as it is", GX_F32, 8, BeBytes().F32(-2.5f), -2.5f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GXClearVtxDesc();
        GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
        GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XY, r.type, r.frac);
        BeBytes vertex;
        for (int c = 0; c < 2; ++c)
            vertex.b.insert(vertex.b.end(), r.bytes.b.begin(), r.bytes.b.end());
        gxVertex v;
        ASSERT_TRUE(DecodeOne(GX_VTXFMT7, vertex, &v));
        EXPECT_EQ(v.pos[0], r.expected);
        EXPECT_EQ(std::signbit(v.pos[0]), std::signbit(r.expected));
        EXPECT_EQ(v.pos[1], r.expected);
        EXPECT_EQ(v.pos[2], 0.0f) << "two-component positions have z = 0";
    }
}

TEST_F(GxVertexTest, ColourTypesWidenByBitReplication)
{
    struct Row { const char* name; GXCompType type; BeBytes bytes; uint8_t rgba[4]; };
    const Row rows[] = {
        {"RGB565 red", GX_RGB565, BeBytes().U16(0xF800), {255, 0, 0, 255}},
        {"RGB565 mid grey", GX_RGB565, BeBytes().U16(0x8410), {132, 130, 132, 255}},
        {"RGB8 opaque", GX_RGB8, BeBytes().U8(0x12).U8(0x34).U8(0x56), {0x12, 0x34, 0x56, 255}},
        {"RGBX8 ignores the pad byte", GX_RGBX8, BeBytes().U32(0x01020399), {1, 2, 3, 255}},
        {"RGBA4 nibbles", GX_RGBA4, BeBytes().U16(0x1234), {0x11, 0x22, 0x33, 0x44}},
        {"RGBA6 fields", GX_RGBA6, BeBytes().U8(0x80).U8(0x1F).U8(0xD5), {130, 4, 255, 85}},
        {"RGBA8 bytes in order", GX_RGBA8, BeBytes().U32(0x01020304), {1, 2, 3, 4}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GXClearVtxDesc();
        GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
        GXSetVtxDesc(GX_VA_CLR1, GX_DIRECT);
        GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XYZ, GX_S8, 0);
        GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_CLR1, GX_CLR_RGBA, r.type, 0);
        BeBytes vertex = BeBytes().U8(1).U8(2).U8(3);
        vertex.b.insert(vertex.b.end(), r.bytes.b.begin(), r.bytes.b.end());
        gxVertex v;
        ASSERT_TRUE(DecodeOne(GX_VTXFMT7, vertex, &v));
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(v.clr[1][c], r.rgba[c]) << "channel " << c;
        EXPECT_EQ(v.clr[0][3], 0) << "colour 0 absent";
    }
}

TEST_F(GxVertexTest, NormalsUseFixedScalesNotTheFractionField)
{
    struct Row { const char* name; GXCompType type; BeBytes bytes; float first; };
    const Row rows[] = {
        {"s8: 64 is 1.0", GX_S8, BeBytes().U8(0x40).U8(0xC0).U8(0x20), 1.0f},
        {"s16: 16384 is 1.0", GX_S16, BeBytes().U16(0xC000).U16(0x4000).U16(0x2000), -1.0f},
        {"u8: 128 is 1.0", GX_U8, BeBytes().U8(0x80).U8(0).U8(0), 1.0f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GXClearVtxDesc();
        GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
        GXSetVtxDesc(GX_VA_NRM, GX_DIRECT);
        GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XY, GX_U8, 0);
        GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_NRM, GX_NRM_XYZ, r.type, 5);  // frac must not matter
        BeBytes vertex = BeBytes().U8(0).U8(0);
        vertex.b.insert(vertex.b.end(), r.bytes.b.begin(), r.bytes.b.end());
        gxVertex v;
        ASSERT_TRUE(DecodeOne(GX_VTXFMT7, vertex, &v));
        EXPECT_EQ(v.nrm[0], r.first);
    }
}

TEST_F(GxVertexTest, ThreeIndexNormalsReadTheNormalGroupOfTheFirstIndex)
{
    const BeBytes nrm = BeBytes().U16(0).U16(0).U16(0).U16(0x4000).U16(0).U16(0).U16(0).U16(0x4000).U16(0);
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxDesc(GX_VA_NBT, GX_INDEX8);
    GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XY, GX_U8, 0);
    GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_NBT, GX_NRM_NBT3, GX_S16, 0);
    GXSetArray(GX_VA_NRM, nrm.data(), 6);
    GXSetArrayBounds(GX_VA_NRM, nrm.size());
    gxVertex v;
    ASSERT_TRUE(DecodeOne(GX_VTXFMT7, BeBytes().U8(0).U8(0).U8(2).U8(1).U8(0), &v));
    EXPECT_EQ(v.nrm[0], 0.0f);
    EXPECT_EQ(v.nrm[1], 1.0f) << "element 2";
    EXPECT_EQ(v.nrm[2], 0.0f);
}

TEST_F(GxVertexTest, MatrixIndicesUseLowSixBitsElseTheCurrentMatrices)
{
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_PNMTXIDX, GX_DIRECT);
    GXSetVtxDesc(GX_VA_TEX1MTXIDX, GX_INDEX16);  // matrix indices are always one byte
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XY, GX_U8, 0);
    GXSetCurrentMtx(GX_PNMTX2);
    GXSetTexCoordGen(GX_TEXCOORD0, GX_TG_MTX2x4, GX_TG_TEX0, GX_TEXMTX3);
    gxVertex v;
    uint32_t mask = 0;
    ASSERT_TRUE(DecodeOne(GX_VTXFMT7, BeBytes().U8(0xC3).U8(33).U8(5).U8(6), &v, &mask));
    EXPECT_EQ(v.pnMtx, 3) << "0xC3 & 63";
    EXPECT_EQ(v.texMtx[1], 33);
    EXPECT_EQ(v.texMtx[0], GX_TEXMTX3) << "from the generator's matrix register";
    EXPECT_EQ(v.pos[0], 5.0f);
    EXPECT_EQ(mask, (1u << GX_VA_PNMTXIDX) | (1u << GX_VA_TEX1MTXIDX) | (1u << GX_VA_POS));

    GXSetVtxDesc(GX_VA_PNMTXIDX, GX_NONE);
    GXSetVtxDesc(GX_VA_TEX1MTXIDX, GX_NONE);
    ASSERT_TRUE(DecodeOne(GX_VTXFMT7, BeBytes().U8(5).U8(6), &v));
    EXPECT_EQ(v.pnMtx, GX_PNMTX2);
    EXPECT_EQ(v.texMtx[1], GX_IDENTITY);
}

TEST_F(GxVertexTest, PlanRefusesFormatsTheHardwareCannotDecode)
{
    struct Row { const char* name; void (*setup)(); };
    const Row rows[] = {
        {"format never set up", [] { GXSetVtxDesc(GX_VA_POS, GX_DIRECT); }},
        {"no position", [] { GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XYZ, GX_F32, 0); GXSetVtxDesc(GX_VA_CLR0, GX_DIRECT); }},
        {"component type 5 for a position",
         [] { GXSetVtxDesc(GX_VA_POS, GX_DIRECT); GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XYZ, GX_RGBA8, 0); }},
        {"colour type 6", [] {
             GXSetVtxDesc(GX_VA_POS, GX_DIRECT); GXSetVtxDesc(GX_VA_CLR0, GX_DIRECT);
             GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
             GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_CLR0, GX_CLR_RGBA, static_cast<GXCompType>(6), 0); }},
        {"indexed without an array",
         [] { GXSetVtxDesc(GX_VA_POS, GX_INDEX8); GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XYZ, GX_F32, 0); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GXInit(m_fifo, sizeof(m_fifo));
        r.setup();
        gxVertexPlan plan;
        const char* reason = nullptr;
        EXPECT_FALSE(gxBuildVertexPlan(gxGet(), GX_VTXFMT7, &gxArrayLimit, &plan, &reason));
        ASSERT_NE(reason, nullptr);
        EXPECT_GT(std::strlen(reason), 0u);
    }
    gxVertexPlan plan;
    const char* reason = nullptr;
    EXPECT_FALSE(gxBuildVertexPlan(gxGet(), static_cast<GXVtxFmt>(8), &gxArrayLimit, &plan, &reason));
}

// Immediate mode's indexed elements read each component at its own offset
// in every integer type, and a coordinate of S alone has T = 0 even where
// the element's next bytes say otherwise.
TEST_F(GxVertexTest, ImmediateIndexedElementsReadEveryComponent)
{
    struct Row { const char* name; GXCompType type; uint8_t frac; BeBytes element; float pos[3]; };
    const Row rows[] = {
        {"u8 with 1 fraction bit", GX_U8, 1, BeBytes().U8(1).U8(2).U8(255), {0.5f, 1.0f, 127.5f}},
        {"s8", GX_S8, 0, BeBytes().U8(0x80).U8(0x7F).U8(0x01), {-128.0f, 127.0f, 1.0f}},
        {"u16 with 4 fraction bits", GX_U16, 4, BeBytes().U16(0x0001).U16(0x8000).U16(0xFFFF),
         {1.0f / 16, 2048.0f, 4095.9375f}},
        {"s16 with 2 fraction bits", GX_S16, 2, BeBytes().U16(0xFFFF).U16(0x0006).U16(0x8000),
         {-0.25f, 1.5f, -8192.0f}},
    };
    const BeBytes coord = BeBytes().U16(0xFF00).U16(0x4000);  // S = -1.0; the T after it is not read
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GXClearVtxDesc();
        GXSetVtxDesc(GX_VA_POS, GX_INDEX8);
        GXSetVtxDesc(GX_VA_TEX0, GX_INDEX16);
        GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XYZ, r.type, r.frac);
        GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_TEX0, GX_TEX_S, GX_S16, 8);
        BeBytes array;  // element 0 zeros, element 1 the row's
        array.b.assign(r.element.size(), 0);
        array.b.insert(array.b.end(), r.element.b.begin(), r.element.b.end());
        GXSetArray(GX_VA_POS, array.data(), static_cast<uint8_t>(r.element.size()));
        GXSetArray(GX_VA_TEX0, coord.data(), 4);
        GXBegin(GX_POINTS, GX_VTXFMT7, 1);
        GXPosition1x8(1);
        GXTexCoord1x16(0);
        GXEnd();
        const std::vector<gxCommand> draws = Draws();
        ASSERT_EQ(draws.size(), 1u);
        const gxVertex v = draws[0].vertices[0];
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(v.pos[c], r.pos[c]) << "component " << c;
        EXPECT_EQ(v.tex[0][0], -1.0f);
        EXPECT_EQ(v.tex[0][1], 0.0f);
    }
}

TEST_F(GxVertexTest, ImmediateModeDrawsOnlyWholeVerticesBeforeAMistake)
{
    SetUpEngineFormats();
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxDesc(GX_VA_CLR0, GX_DIRECT);
    struct Row { const char* name; void (*calls)(); size_t drawn; };
    const Row rows[] = {
        {"order broken in the second vertex", [] {
             GXBegin(GX_TRIANGLES, GX_VTXFMT5, 3);
             GXPosition3f32(1, 2, 3); GXColor1u32(0);
             GXColor1u32(0); GXPosition3f32(1, 2, 3);
             GXPosition3f32(1, 2, 3); GXColor1u32(0);
             GXEnd(); }, 1},
        {"last vertex incomplete", [] {
             GXBegin(GX_TRIANGLES, GX_VTXFMT5, 3);
             for (int i = 0; i < 2; ++i) { GXPosition3f32(1, 2, 3); GXColor1u32(0); }
             GXPosition3f32(1, 2, 3);
             GXEnd(); }, 2},
        {"more vertices than announced", [] {
             GXBegin(GX_POINTS, GX_VTXFMT5, 1);
             for (int i = 0; i < 3; ++i) { GXPosition3f32(1, 2, 3); GXColor1u32(0); }
             GXEnd(); }, 1},
        {"index call for a direct position", [] {
             GXBegin(GX_POINTS, GX_VTXFMT5, 1);
             GXPosition1x16(0); GXColor1u32(0);
             GXEnd(); }, 0},
        {"format not set up", [] {
             GXBegin(GX_POINTS, GX_VTXFMT7, 1);
             GXPosition3f32(1, 2, 3); GXColor1u32(0);
             GXEnd(); }, 0},
        {"data outside a primitive", [] { GXPosition3f32(1, 2, 3); GXEnd(); }, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        r.calls();
        std::vector<gxCommand> draws = Draws();
        size_t drawn = draws.empty() ? 0 : draws[0].vertices.size();
        EXPECT_LE(draws.size(), 1u);
        EXPECT_EQ(drawn, r.drawn);
    }
}

TEST(gxQuadIndices, SplitsWholeQuadsAndDropsATrailingPart)
{
    uint32_t idx[12];
    ASSERT_EQ(gxQuadIndices(9, idx), 12u);
    const uint32_t expected[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(idx[i], expected[i]) << i;
    EXPECT_EQ(gxQuadIndices(3, idx), 0u);
}

}  // namespace
