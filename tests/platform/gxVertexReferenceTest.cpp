#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "gx/gxVertex.h"
#include "gxFrontTestUtil.h"

namespace {

// A small random source, the same sequence on every run.
struct Random {
    uint32_t state;
    uint32_t Next() { state = state * 1664525u + 1013904223u; return state >> 8; }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

// One attribute of a random vertex format.
struct Attr {
    GXAttrType input = GX_NONE;
    uint32_t cnt = 0, type = 0, frac = 0;
    BeBytes array;
    uint32_t stride = 0, elements = 0;
    bool bounded = false;
};

bool IsMtx(int a) { return a <= GX_VA_TEX7MTXIDX; }
bool IsClr(int a) { return a == GX_VA_CLR0 || a == GX_VA_CLR1; }
uint32_t CompBytes(uint32_t type) { return type <= GX_S8 ? 1 : (type <= GX_S16 ? 2 : 4); }
uint32_t ClrBytes(uint32_t type) { const uint32_t b[6] = {2, 3, 4, 2, 3, 4}; return b[type]; }

// Values per element (the normal's NBT nine); bytes of one element.
uint32_t Comps(int a, const Attr& at)
{
    if (a == GX_VA_POS) return at.cnt ? 3 : 2;
    if (a == GX_VA_NRM) return at.cnt ? 9 : 3;
    return at.cnt ? 2 : 1;
}
uint32_t ElemBytes(int a, const Attr& at)
{
    if (IsClr(a)) return ClrBytes(at.type);
    // Indexed three-index normals name one 3-value group each.
    if (a == GX_VA_NRM && at.cnt == GX_NRM_NBT3 && at.input != GX_DIRECT) return 3 * CompBytes(at.type);
    return Comps(a, at) * CompBytes(at.type);
}

// Element bytes: floats stay finite (a random pattern can be a NaN, whose
// bits would not say anything about the decoder).
void PutElement(int a, const Attr& at, Random& rnd, BeBytes& out)
{
    const uint32_t bytes = ElemBytes(a, at);
    if (!IsClr(a) && at.type == GX_F32) {
        for (uint32_t i = 0; i < bytes / 4; ++i)
            out.F32(static_cast<float>(static_cast<int16_t>(rnd.Next())) / 256.0f);
        return;
    }
    for (uint32_t i = 0; i < bytes; ++i)
        out.U8(rnd.Next());
}

// The vertex format read as the hardware documents it, value by value.
float Value(const uint8_t* p, uint32_t type, float scale)
{
    switch (type) {
    case GX_U8: return p[0] * scale;
    case GX_S8: return static_cast<int8_t>(p[0]) * scale;
    case GX_U16: return ((p[0] << 8) | p[1]) * scale;
    case GX_S16: return static_cast<int16_t>((p[0] << 8) | p[1]) * scale;
    default: {
        const uint32_t bits = (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    }
}

void ReferenceColour(uint32_t type, const uint8_t* p, uint8_t* c)
{
    const auto e = [](uint32_t v, int bits) { return static_cast<uint8_t>((v << (8 - bits)) | (v >> (2 * bits - 8))); };
    // Only the element's own bytes are read: a 16-bit colour may end its array.
    const uint32_t v16 = (p[0] << 8) | p[1];
    const auto v24 = [p] { return (uint32_t(p[0]) << 16) | (p[1] << 8) | p[2]; };
    switch (type) {
    case GX_RGB565: c[0] = e(v16 >> 11, 5); c[1] = e((v16 >> 5) & 63, 6); c[2] = e(v16 & 31, 5); c[3] = 255; break;
    case GX_RGB8: case GX_RGBX8: c[0] = p[0]; c[1] = p[1]; c[2] = p[2]; c[3] = 255; break;
    case GX_RGBA4: for (int i = 0; i < 4; ++i) c[i] = e((v16 >> (12 - 4 * i)) & 15, 4); break;
    case GX_RGBA6: for (int i = 0; i < 4; ++i) c[i] = e((v24() >> (18 - 6 * i)) & 63, 6); break;
    default: std::memcpy(c, p, 4); break;
    }
}

gxVertex ReferenceVertex(const Attr* attrs, const uint8_t*& stream)
{
    gxVertex v{};
    v.pnMtx = GX_PNMTX3;
    for (uint8_t& m : v.texMtx)
        m = GX_IDENTITY;
    for (int a = GX_VA_PNMTXIDX; a <= GX_VA_TEX7; ++a) {
        const Attr& at = attrs[a];
        if (at.input == GX_NONE)
            continue;
        if (IsMtx(a)) {
            (a == GX_VA_PNMTXIDX ? v.pnMtx : v.texMtx[a - GX_VA_TEX0MTXIDX]) = *stream++ & 63;
            continue;
        }
        const uint8_t* src = stream;
        const uint32_t indices = (a == GX_VA_NRM && at.cnt == GX_NRM_NBT3) ? 3 : 1;
        if (at.input == GX_DIRECT) {
            stream += ElemBytes(a, at);
        } else {
            const uint32_t index = at.input == GX_INDEX8 ? stream[0] : (stream[0] << 8) | stream[1];
            src = at.array.data() + index * at.stride;
            stream += (at.input == GX_INDEX8 ? 1 : 2) * indices;
        }
        const float fracScale = std::ldexp(1.0f, -static_cast<int>(at.frac)), cb = CompBytes(at.type);
        if (a == GX_VA_POS) {
            for (uint32_t c = 0; c < Comps(a, at); ++c)
                v.pos[c] = Value(src + c * CompBytes(at.type), at.type, fracScale);
        } else if (a == GX_VA_NRM) {
            const float scales[4] = {1.0f / 128, 1.0f / 64, 1.0f / 32768, 1.0f / 16384};
            for (uint32_t c = 0; c < 3; ++c)
                v.nrm[c] = Value(src + c * CompBytes(at.type), at.type, at.type == GX_F32 ? 1.0f : scales[at.type]);
        } else if (IsClr(a)) {
            ReferenceColour(at.type, src, v.clr[a - GX_VA_CLR0]);
        } else {
            for (uint32_t c = 0; c < Comps(a, at); ++c)
                v.tex[a - GX_VA_TEX0][c] = Value(src + c * static_cast<uint32_t>(cb), at.type, fracScale);
        }
    }
    return v;
}

// Every field's bits, so a mismatch names the word.
std::vector<uint32_t> Words(const gxVertex& v)
{
    std::vector<uint32_t> w(sizeof(gxVertex) / 4);
    std::memcpy(w.data(), &v, sizeof(gxVertex));
    return w;
}

class GxVertexReferenceTest : public GxFrontTest {
protected:
    // A random format on format 7: every attribute absent, inline or
    // indexed at random, with random types, counts and fraction bits.
    void RandomFormat(Random& rnd)
    {
        GXClearVtxDesc();
        GXSetCurrentMtx(GX_PNMTX3);
        for (int a = GX_VA_PNMTXIDX; a <= GX_VA_TEX7; ++a) {
            Attr& at = m_attrs[a];
            at = Attr();
            at.input = static_cast<GXAttrType>(IsMtx(a) ? rnd.Below(2) : rnd.Below(4));
            if (a == GX_VA_POS && at.input == GX_NONE)
                at.input = GX_INDEX16;
            if (at.input == GX_NONE)
                continue;
            at.type = IsClr(a) ? rnd.Below(6) : rnd.Below(5);
            at.cnt = a == GX_VA_NRM ? rnd.Below(3) : rnd.Below(2);
            at.frac = rnd.Below(16);
            GXSetVtxDesc(static_cast<GXAttr>(a == GX_VA_NRM && at.cnt ? GX_VA_NBT : a), at.input);
            if (!IsMtx(a))
                GXSetVtxAttrFmt(GX_VTXFMT7, static_cast<GXAttr>(a == GX_VA_NRM && at.cnt ? GX_VA_NBT : a),
                                static_cast<GXCompCnt>(at.cnt), static_cast<GXCompType>(at.type), at.frac);
            if (at.input == GX_DIRECT || IsMtx(a))
                continue;
            // Elements with 0..3 bytes of gap; the array's bounds end with
            // the last element's bytes, or are left unknown.
            at.elements = 1 + rnd.Below(40);
            const uint32_t elem = a == GX_VA_NRM && at.cnt ? 9 * CompBytes(at.type) : ElemBytes(a, at);
            at.stride = elem + rnd.Below(4);
            for (uint32_t e = 0; e < at.elements; ++e) {
                Attr whole = at;
                whole.input = GX_DIRECT;  // a whole NBT element in the array
                PutElement(a, whole, rnd, at.array);
                for (uint32_t g = elem; g < at.stride; ++g)
                    at.array.U8(rnd.Next());
            }
            at.bounded = rnd.Below(4) != 0;
            GXSetArray(static_cast<GXAttr>(a), at.array.data(), static_cast<uint8_t>(at.stride));
            if (at.bounded)
                GXSetArrayBounds(static_cast<GXAttr>(a), (at.elements - 1) * at.stride + elem);
        }
    }
    // Stream bytes of count random vertices; indices name elements near
    // the arrays' ends more often than others.
    BeBytes RandomVertices(Random& rnd, uint32_t count)
    {
        BeBytes bytes;
        for (uint32_t n = 0; n < count; ++n)
            for (int a = GX_VA_PNMTXIDX; a <= GX_VA_TEX7; ++a) {
                const Attr& at = m_attrs[a];
                if (at.input == GX_NONE)
                    continue;
                if (IsMtx(a)) {
                    bytes.U8(rnd.Next());
                } else if (at.input == GX_DIRECT) {
                    PutElement(a, at, rnd, bytes);
                } else {
                    const uint32_t indices = (a == GX_VA_NRM && at.cnt == GX_NRM_NBT3) ? 3 : 1;
                    for (uint32_t i = 0; i < indices; ++i) {
                        const uint32_t index = rnd.Below(2) ? at.elements - 1 - rnd.Below(std::min(at.elements, 2u))
                                                            : rnd.Below(at.elements);
                        at.input == GX_INDEX8 ? bytes.U8(index) : bytes.U16(index);
                    }
                }
            }
        return bytes;
    }
    // A fixed format on format 7 with random arrays: each attribute given
    // (input, type, count) in `formats`, the rest absent; tight elements,
    // bounds ending with the last element.
    void FixedFormat(Random& rnd, const std::vector<std::array<uint32_t, 4>>& formats, bool bounded = true)
    {
        GXClearVtxDesc();
        GXSetCurrentMtx(GX_PNMTX3);
        for (Attr& at : m_attrs)
            at = Attr();
        for (const auto& [a, input, type, cnt] : formats) {
            Attr& at = m_attrs[a];
            at.input = static_cast<GXAttrType>(input);
            at.type = type;
            at.cnt = cnt;
            at.frac = rnd.Below(16);
            GXSetVtxDesc(static_cast<GXAttr>(a), at.input);
            GXSetVtxAttrFmt(GX_VTXFMT7, static_cast<GXAttr>(a), static_cast<GXCompCnt>(cnt), static_cast<GXCompType>(type), at.frac);
            at.elements = 2 + rnd.Below(39);  // one element has no room for a wide read
            at.stride = ElemBytes(a, at);
            for (uint32_t e = 0; e < at.elements; ++e)
                PutElement(a, at, rnd, at.array);
            at.bounded = bounded;
            GXSetArray(static_cast<GXAttr>(a), at.array.data(), static_cast<uint8_t>(at.stride));
            if (bounded)
                GXSetArrayBounds(static_cast<GXAttr>(a), at.array.size());
        }
    }
    // Format 7's plan, with or without the vector kernels.
    static bool Plan(bool simd, gxVertexPlan* plan)
    {
        gxSetVertexSimd(simd);
        const char* reason = "";
        const bool built = gxBuildVertexPlan(gxGet(), GX_VTXFMT7, &gxArrayLimit, plan, &reason);
        EXPECT_TRUE(built) << reason;
        return built;
    }
    // The first n decoded vertices are the reference decode of the stream.
    void ExpectReference(const gxVertexData& out, const uint8_t* stream, uint32_t n) const
    {
        for (uint32_t v = 0; v < n; ++v)
            ASSERT_EQ(Words(out[v]), Words(ReferenceVertex(m_attrs, stream))) << "vertex " << v;
    }
    Attr m_attrs[GX_VA_TEX7 + 1];
};

// Display-list vertices of random formats, decoded with and without the
// processor's vector extensions, hold every attribute's bits exactly as
// the plain reading of the format gives them.
TEST_F(GxVertexReferenceTest, RandomFormatsMatchTheReferenceDecodeBitForBit)
{
    const bool previous = gxSetVertexSimd(true);
    Random rnd{2024};
    int vertices = 0;
    for (int round = 0; round < 300; ++round) {
        RandomFormat(rnd);
        const uint32_t count = 1 + rnd.Below(12);
        const BeBytes stream = RandomVertices(rnd, count);
        BeBytes list;
        list.U8(static_cast<uint32_t>(GX_POINTS) | GX_VTXFMT7).U16(count);
        list.b.insert(list.b.end(), stream.b.begin(), stream.b.end());
        for (bool simd : {true, false}) {
            SCOPED_TRACE(testing::Message() << "round " << round << (simd ? " vector" : " baseline"));
            gxSetVertexSimd(simd);
            GXCallDisplayList(list.data(), list.size());
            const std::vector<gxCommand> draws = Draws();
            ASSERT_EQ(draws.size(), 1u);
            ASSERT_EQ(draws[0].vertices.size(), count);
            const uint8_t* p = stream.data();
            for (uint32_t n = 0; n < count; ++n) {
                ASSERT_EQ(Words(draws[0].vertices[n]), Words(ReferenceVertex(m_attrs, p))) << "vertex " << n;
                ++vertices;
            }
        }
    }
    gxSetVertexSimd(previous);
    EXPECT_GT(vertices, 2000);
}

// The packed vertex the backend reads: matrix rows first when any is
// carried, then the attributes present in stream order, nothing for the rest.
TEST_F(GxVertexReferenceTest, PackedLayoutHoldsOnlyTheAttributesCarried)
{
    constexpr uint16_t kNo = gxVertexLayout::kAbsent;
    struct Row {
        const char* name;
        std::vector<GXAttr> attrs;
        uint16_t stride, mtx, pos, nrm, clr0, clr1, tex0, tex2;
    };
    const Row rows[] = {
        {"position only", {GX_VA_POS}, 12, kNo, 0, kNo, kNo, kNo, kNo, kNo},
        {"the zone layout", {GX_VA_POS, GX_VA_NRM, GX_VA_TEX0, GX_VA_TEX1}, 40, kNo, 0, 12, kNo, kNo, 24, kNo},
        {"colours and a third coordinate", {GX_VA_POS, GX_VA_CLR0, GX_VA_CLR1, GX_VA_TEX2}, 28, kNo, 0, kNo, 12, 16, kNo, 20},
        {"a texture matrix row adds the block", {GX_VA_TEX5MTXIDX, GX_VA_POS, GX_VA_CLR1}, 28, 0, 12, kNo, kNo, 24, kNo, kNo},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GXClearVtxDesc();
        for (GXAttr a : r.attrs) {
            GXSetVtxDesc(a, GX_DIRECT);
            if (a >= GX_VA_POS)
                GXSetVtxAttrFmt(GX_VTXFMT7, a, GX_POS_XYZ, a == GX_VA_CLR0 || a == GX_VA_CLR1 ? GX_RGBA8 : GX_F32, 0);
        }
        gxVertexPlan plan;
        ASSERT_TRUE(Plan(true, &plan));
        const gxVertexLayout& l = plan.layout;
        EXPECT_EQ(l.stride, r.stride);
        EXPECT_EQ(l.mtx, r.mtx);
        EXPECT_EQ(l.pos, r.pos);
        EXPECT_EQ(l.nrm, r.nrm);
        EXPECT_EQ(l.clr[0], r.clr0);
        EXPECT_EQ(l.clr[1], r.clr1);
        EXPECT_EQ(l.tex[0], r.tex0);
        EXPECT_EQ(l.tex[2], r.tex2);
        EXPECT_EQ(l.tex[7], kNo);
    }
}

// Positions of three s16 components and coordinates of two keep their
// shorts (8 and 4 bytes) with their scales; every other kind stays floats.
TEST_F(GxVertexReferenceTest, PackedLayoutKeepsShortsOfS16PositionsAndCoordinatePairs)
{
    struct Attr { GXAttr attr; GXCompCnt cnt; GXCompType type; };
    struct Row {
        const char* name;
        std::vector<Attr> attrs;
        uint16_t stride, shorts, nrm, tex0, tex1;
        float posScale, tex1Scale;
    };
    const Row rows[] = {
        {"the zone layout",
         {{GX_VA_POS, GX_POS_XYZ, GX_S16}, {GX_VA_NRM, GX_NRM_XYZ, GX_F32}, {GX_VA_TEX0, GX_TEX_ST, GX_S16},
          {GX_VA_TEX1, GX_TEX_ST, GX_S16}},
         28, 7, 8, 20, 24, 1.0f / 32, 1.0f / 32},
        {"an s16 normal stays floats",
         {{GX_VA_POS, GX_POS_XYZ, GX_S16}, {GX_VA_NRM, GX_NRM_XYZ, GX_S16}}, 20, 1, 8, 0xFFFF, 0xFFFF, 1.0f / 32, 1.0f},
        {"two-component s16 positions stay floats",
         {{GX_VA_POS, GX_POS_XY, GX_S16}, {GX_VA_TEX1, GX_TEX_ST, GX_S16}}, 16, 4, 0xFFFF, 0xFFFF, 12, 1.0f, 1.0f / 32},
        {"an s16 coordinate of S alone stays floats",
         {{GX_VA_POS, GX_POS_XYZ, GX_F32}, {GX_VA_TEX1, GX_TEX_S, GX_S16}}, 20, 0, 0xFFFF, 0xFFFF, 12, 1.0f, 1.0f},
        {"u16 and s8 stay floats",
         {{GX_VA_POS, GX_POS_XYZ, GX_U16}, {GX_VA_TEX0, GX_TEX_ST, GX_S8}}, 20, 0, 0xFFFF, 12, 0xFFFF, 1.0f, 1.0f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GXClearVtxDesc();
        for (const Attr& a : r.attrs) {
            GXSetVtxDesc(a.attr, GX_DIRECT);
            GXSetVtxAttrFmt(GX_VTXFMT7, a.attr, a.cnt, a.type, 5);
        }
        gxVertexPlan plan;
        ASSERT_TRUE(Plan(true, &plan));
        const gxVertexLayout& l = plan.layout;
        EXPECT_EQ(l.stride, r.stride);
        EXPECT_EQ(l.shorts, r.shorts);
        EXPECT_EQ(l.pos, 0);
        EXPECT_EQ(l.nrm, r.nrm);
        EXPECT_EQ(l.tex[0], r.tex0);
        EXPECT_EQ(l.tex[1], r.tex1);
        EXPECT_EQ(l.posScale, r.posScale);
        EXPECT_EQ(l.texScale[1], r.tex1Scale);
        EXPECT_EQ(l.texScale[0], (r.shorts & 2) ? 1.0f / 32 : 1.0f);
    }
}

// The kept shorts are the stream's values in native order and a position's
// fourth short is zero, whichever decoder made them: the inline step
// kernels, the indexed ones, the whole-vertex decoder reading wide and
// reading the last position, whose element ends where readable memory does.
TEST_F(GxVertexReferenceTest, KeptShortsAreNativeWithAZeroPad)
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    uint8_t* pages = static_cast<uint8_t*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages + page, page, PROT_NONE), 0);
    // Two positions, the last against the unreadable page: the first has
    // the second's bytes after it, which a wide read takes in.
    const BeBytes positions = BeBytes().U16(0x8001).U16(0x7FFF).U16(0x1234).U16(0xFFFE).U16(0x0002).U16(0xABCD);
    uint8_t* posArray = pages + page - positions.size();
    std::memcpy(posArray, positions.data(), positions.size());
    const BeBytes coords = BeBytes().U16(0xFF80).U16(0x0100).U16(0x4321).U16(0x8000);
    const int16_t want[2][6] = {{-32767, 32767, 0x1234, 0, -128, 256}, {-2, 2, -0x5433, 0, 0x4321, -32768}};
    for (bool indexed : {false, true})
        for (bool simd : {false, true}) {
            SCOPED_TRACE(std::string(indexed ? "indexed" : "inline") + (simd ? ", vector kernels" : ", plain"));
            gxSetVertexSimd(simd);
            GXClearVtxDesc();
            GXSetVtxDesc(GX_VA_POS, indexed ? GX_INDEX16 : GX_DIRECT);
            GXSetVtxDesc(GX_VA_TEX0, indexed ? GX_INDEX16 : GX_DIRECT);
            GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XYZ, GX_S16, 3);
            GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_TEX0, GX_TEX_ST, GX_S16, 7);
            GXSetArray(GX_VA_POS, posArray, 6);
            GXSetArrayBounds(GX_VA_POS, positions.size());
            GXSetArray(GX_VA_TEX0, coords.data(), 4);
            GXSetArrayBounds(GX_VA_TEX0, coords.size());
            BeBytes list;
            list.U8(static_cast<uint32_t>(GX_POINTS) | GX_VTXFMT7).U16(2);
            for (int v = 0; v < 2; ++v) {
                if (indexed) {
                    list.U16(v).U16(v);
                } else {
                    list.b.insert(list.b.end(), positions.b.begin() + 6 * v, positions.b.begin() + 6 * v + 6);
                    list.b.insert(list.b.end(), coords.b.begin() + 4 * v, coords.b.begin() + 4 * v + 4);
                }
            }
            GXCallDisplayList(list.data(), list.size());
            const std::vector<gxCommand> draws = Draws();
            ASSERT_EQ(draws.size(), 1u);
            const gxVertexData& out = draws[0].vertices;
            ASSERT_EQ(out.Layout().stride, 12);
            for (int v = 0; v < 2; ++v) {
                int16_t got[6];
                std::memcpy(got, out.Bytes() + 12 * v, sizeof(got));
                for (int i = 0; i < 6; ++i)
                    EXPECT_EQ(got[i], want[v][i]) << "vertex " << v << " short " << i;
                EXPECT_EQ(out[v].pos[0], want[v][0] / 8.0f);
                EXPECT_EQ(out[v].pos[2], want[v][2] / 8.0f);
                EXPECT_EQ(out[v].tex[0][1], want[v][5] / 128.0f);
            }
        }
    gxSetVertexSimd(true);
    munmap(pages, 2 * page);
}

// An index is taken when its element's bytes end within the array's
// bounds: with no stride every index names the first element; a
// three-index normal needs only its own 3-value group.
TEST_F(GxVertexReferenceTest, IndexIsTakenWhenItsElementEndsWithinTheBounds)
{
    struct Row { const char* name; bool nbt3; uint8_t stride; uint32_t bounds, index; bool taken; };
    const Row rows[] = {
        {"no stride: any index is the first element", false, 0, 2, 500, true},
        {"no stride, element cut", false, 0, 1, 0, false},
        {"stride 1: last whole element", false, 1, 4, 2, true},
        {"stride 1: element cut", false, 1, 4, 3, false},
        {"stride 2: last element", false, 2, 6, 2, true},
        {"stride 2: past the end", false, 2, 6, 3, false},
        {"three-index normal: the group ends at the bounds", true, 18, 24, 1, true},
        {"three-index normal: the group is cut", true, 18, 23, 1, false},
    };
    const BeBytes array = [] { BeBytes b; for (int i = 0; i < 64; ++i) b.U8(i); return b; }();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GXClearVtxDesc();
        BeBytes list;
        list.U8(static_cast<uint32_t>(GX_POINTS) | GX_VTXFMT7).U16(1);
        if (r.nbt3) {
            GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
            GXSetVtxDesc(GX_VA_NBT, GX_INDEX8);
            GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XY, GX_U8, 0);
            GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_NBT, GX_NRM_NBT3, GX_S16, 0);
            GXSetArray(GX_VA_NRM, array.data(), r.stride);
            GXSetArrayBounds(GX_VA_NRM, r.bounds);
            list.U8(0).U8(0).U8(r.index).U8(r.index).U8(r.index);
        } else {
            GXSetVtxDesc(GX_VA_POS, GX_INDEX16);
            GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XY, GX_U8, 0);
            GXSetArray(GX_VA_POS, array.data(), r.stride);
            GXSetArrayBounds(GX_VA_POS, r.bounds);
            list.U16(r.index);
        }
        GXCallDisplayList(list.data(), list.size());
        const std::vector<gxCommand> draws = Draws();
        ASSERT_EQ(draws.size(), r.taken ? 1u : 0u);
        if (r.taken && !r.nbt3) {
            EXPECT_EQ(draws[0].vertices[0].pos[1], static_cast<float>(r.index * r.stride + 1));
        }
    }
}

// The last element of an array that ends where readable memory ends (the
// next page is unmapped) decodes without a read past it: the wide loads of
// the vector kernels take only elements with room after them.
TEST_F(GxVertexReferenceTest, LastElementBeforeUnmappedMemoryIsReadSafely)
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    uint8_t* pages = static_cast<uint8_t*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages + page, page, PROT_NONE), 0);
    struct Row { const char* name; GXCompType type; uint32_t elemBytes; BeBytes last; float first; };
    const Row rows[] = {
        {"s16 positions (8-byte loads)", GX_S16, 6, BeBytes().U16(0x0180).U16(0).U16(0), 1.5f},
        {"f32 positions (16-byte loads)", GX_F32, 12, BeBytes().F32(-2.5f).F32(0).F32(0), -2.5f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        constexpr uint32_t kElements = 4;
        uint8_t* array = pages + page - kElements * r.elemBytes;
        std::memset(array, 0, kElements * r.elemBytes);
        std::memcpy(array + (kElements - 1) * r.elemBytes, r.last.data(), r.elemBytes);
        GXClearVtxDesc();
        GXSetVtxDesc(GX_VA_POS, GX_INDEX8);
        GXSetVtxDesc(GX_VA_CLR0, GX_DIRECT);  // a later slot, so the position may take a 16-byte store
        GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XYZ, r.type, 8);
        GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_CLR0, GX_CLR_RGBA, GX_RGBA8, 0);
        GXSetArray(GX_VA_POS, array, static_cast<uint8_t>(r.elemBytes));
        GXSetArrayBounds(GX_VA_POS, kElements * r.elemBytes);
        BeBytes list;
        list.U8(static_cast<uint32_t>(GX_POINTS) | GX_VTXFMT7).U16(2).U8(kElements - 1).U32(0).U8(kElements - 1).U32(0);
        GXCallDisplayList(list.data(), list.size());
        const std::vector<gxCommand> draws = Draws();
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].vertices[1].pos[0], r.first);
    }
    munmap(pages, 2 * page);
}

// A bad index stops the decode at the first vertex holding one, and of
// that vertex's attributes the first in stream order is named; the
// vertices before it are kept whole.
TEST_F(GxVertexReferenceTest, FirstBadIndexInStreamOrderIsReported)
{
    const BeBytes pos = BeBytes().U16(1).U16(2).U16(3).U16(4).U16(5).U16(6).U16(7).U16(8).U16(9);
    const BeBytes nrm = BeBytes().U8(1).U8(2).U8(3).U8(4).U8(5).U8(6);
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_INDEX16);
    GXSetVtxDesc(GX_VA_NRM, GX_INDEX8);
    GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_POS, GX_POS_XYZ, GX_S16, 0);
    GXSetVtxAttrFmt(GX_VTXFMT7, GX_VA_NRM, GX_NRM_XYZ, GX_S8, 0);
    GXSetArray(GX_VA_POS, pos.data(), 6);
    GXSetArrayBounds(GX_VA_POS, pos.size());  // elements 0..2
    GXSetArray(GX_VA_NRM, nrm.data(), 3);
    GXSetArrayBounds(GX_VA_NRM, nrm.size());  // elements 0, 1
    gxVertexPlan plan;
    const char* reason = "";
    ASSERT_TRUE(gxBuildVertexPlan(gxGet(), GX_VTXFMT7, &gxArrayLimit, &plan, &reason));
    struct Row { const char* name; uint32_t badPos, badNrm; uint32_t vertex; GXAttr attr; uint32_t index; };
    const uint32_t kNone = 99;
    const Row rows[] = {
        {"all good", kNone, kNone, 6, GX_VA_POS, 0},
        {"position of the first vertex", 0, kNone, 0, GX_VA_POS, 3},
        {"normal of the second", kNone, 1, 1, GX_VA_NRM, 2},
        {"position of the fifth, last of a pair", 4, kNone, 4, GX_VA_POS, 3},
        {"position of the sixth, after the pairs", 5, kNone, 5, GX_VA_POS, 3},
        {"a later position and an earlier normal", 3, 2, 2, GX_VA_NRM, 2},
        {"both in one vertex: the position comes first", 2, 2, 2, GX_VA_POS, 3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        BeBytes stream;
        for (uint32_t n = 0; n < 6; ++n)
            stream.U16(n == r.badPos ? 3 : n % 3).U8(n == r.badNrm ? 2 : n % 2);
        gxVertexData out;
        size_t used = 0;
        gxDecodeError err;
        const gxDecodeStatus status = gxDecodeVertices(plan, stream.data(), stream.size(), 6, out, &used, &err);
        ASSERT_EQ(out.size(), r.vertex);
        EXPECT_EQ(used, 3u * r.vertex);
        for (uint32_t n = 0; n < r.vertex; ++n) {
            EXPECT_EQ(out[n].pos[0], static_cast<float>(3 * (n % 3) + 1)) << n;
            EXPECT_EQ(out[n].nrm[2], (3.0f * (n % 2) + 3) / 64) << n;
        }
        if (r.vertex == 6) {
            EXPECT_EQ(status, gxDecodeStatus::kOk);
            continue;
        }
        EXPECT_EQ(status, gxDecodeStatus::kIndexOutOfRange);
        EXPECT_EQ(err.vertex, r.vertex);
        EXPECT_EQ(err.attr, r.attr);
        EXPECT_EQ(err.index, r.index);
    }
}

// The indexed mesh formats have a whole-vertex decoder; runs of vertices
// long enough for its grouped path, with elements at the arrays' ends (no
// room for a wide load) and a bad index anywhere, give the reference
// vertices and the error the step kernels alone give.
TEST_F(GxVertexReferenceTest, IndexedMeshFormatsMatchTheReferenceAndReportTheFirstBadIndex)
{
    using F = std::array<uint32_t, 4>;
    const F pos{GX_VA_POS, GX_INDEX16, GX_S16, GX_POS_XYZ};
    const F t0{GX_VA_TEX0, GX_INDEX16, GX_S16, GX_TEX_ST}, t1{GX_VA_TEX1, GX_INDEX16, GX_S16, GX_TEX_ST};
    const F t2{GX_VA_TEX2, GX_INDEX16, GX_S16, GX_TEX_ST}, t3{GX_VA_TEX3, GX_INDEX16, GX_S16, GX_TEX_ST};
    const auto nrm = [](uint32_t input, uint32_t type) { return F{GX_VA_NRM, input, type, GX_NRM_XYZ}; };
    struct Row { const char* name; std::vector<F> formats; bool whole; bool bounded = true; };
    const Row rows[] = {
        {"position and one coordinate", {pos, t0}, true},
        {"position and two coordinates", {pos, t0, t1}, true},
        {"the zone layout", {pos, nrm(GX_INDEX8, GX_F32), t0, t1}, true},
        {"16-bit indexed s16 normal", {pos, nrm(GX_INDEX16, GX_S16), t0, t1}, true},
        {"8-bit indexed s16 normal, three coordinates", {pos, nrm(GX_INDEX8, GX_S16), t0, t1, t2}, true},
        {"16-bit indexed f32 normal, one coordinate", {pos, nrm(GX_INDEX16, GX_F32), t0}, true},
        {"normal and four coordinates (no grouping)", {pos, nrm(GX_INDEX16, GX_S16), t0, t1, t2, t3}, true},
        {"8-bit position index", {{GX_VA_POS, GX_INDEX8, GX_S16, GX_POS_XYZ}, t0}, false},
        {"f32 coordinates", {pos, {GX_VA_TEX0, GX_INDEX16, GX_F32, GX_TEX_ST}}, false},
        {"a coordinate with one value", {pos, {GX_VA_TEX0, GX_INDEX16, GX_S16, GX_TEX_S}}, false},
        {"inline normal", {pos, nrm(GX_DIRECT, GX_F32), t0}, false},
        {"position only", {pos}, false},
        {"arrays of unknown bounds", {pos, nrm(GX_INDEX8, GX_F32), t0, t1}, false, false},
    };
    const bool previous = gxSetVertexSimd(true);
    Random rnd{77};
    for (const Row& r : rows) {
        for (int round = 0; round < 16; ++round) {
            FixedFormat(rnd, r.formats, r.bounded);
            const uint32_t count = 1 + rnd.Below(70);
            BeBytes stream = RandomVertices(rnd, count);
            // Every other round, one index of one vertex one past its array
            // (with unknown bounds it would be read).
            uint32_t badVertex = count, badAttr = 0;
            if (round % 2 && r.bounded) {
                badVertex = rnd.Below(count);
                const F& f = r.formats[rnd.Below(static_cast<uint32_t>(r.formats.size()))];
                badAttr = f[0];
                uint32_t at = 0;
                for (const F& g : r.formats) {
                    if (g[0] == badAttr)
                        break;
                    at += g[1] == GX_INDEX8 ? 1 : (g[1] == GX_INDEX16 ? 2 : ElemBytes(g[0], m_attrs[g[0]]));
                }
                uint8_t* field = stream.b.data() + stream.size() / count * badVertex + at;
                const uint32_t index = m_attrs[badAttr].elements;
                if (f[1] == GX_INDEX8)
                    field[0] = static_cast<uint8_t>(index);
                else
                    ps::StoreU16BE(field, static_cast<uint16_t>(index));
                if (f[1] == GX_DIRECT || index > (f[1] == GX_INDEX8 ? 255u : 65535u))
                    badVertex = count;
            }
            for (bool simd : {true, false}) {
                SCOPED_TRACE(testing::Message() << r.name << ", round " << round << (simd ? " vector" : " baseline"));
                gxVertexPlan plan;
                ASSERT_TRUE(Plan(simd, &plan));
                EXPECT_EQ(plan.wholeKernel != nullptr, r.whole);
                gxVertexData out;
                size_t used = 0;
                gxDecodeError err;
                const gxDecodeStatus status = gxDecodeVertices(plan, stream.data(), stream.size(), count, out, &used, &err);
                ASSERT_EQ(out.size(), badVertex);
                EXPECT_EQ(used, stream.size() / count * badVertex);
                EXPECT_EQ(status, badVertex < count ? gxDecodeStatus::kIndexOutOfRange : gxDecodeStatus::kOk);
                if (badVertex < count) {
                    EXPECT_EQ(err.vertex, badVertex);
                    EXPECT_EQ(err.attr, badAttr);
                    EXPECT_EQ(err.index, m_attrs[badAttr].elements);
                }
                ExpectReference(out, stream.data(), badVertex);
            }
        }
    }
    gxSetVertexSimd(previous);
}

}  // namespace

namespace {

// Stream vertices that end where readable memory ends (the next page is
// unmapped) decode without a read past the last one: the whole-vertex
// decoder's grouped loads stop short of the end, and its last vertices are
// read from a padded copy.
TEST_F(GxVertexReferenceTest, StreamEndingBeforeUnmappedMemoryIsReadSafely)
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    uint8_t* pages = static_cast<uint8_t*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages + page, page, PROT_NONE), 0);
    using F = std::array<uint32_t, 4>;
    const F pos{GX_VA_POS, GX_INDEX16, GX_S16, GX_POS_XYZ}, t0{GX_VA_TEX0, GX_INDEX16, GX_S16, GX_TEX_ST};
    const F t1{GX_VA_TEX1, GX_INDEX16, GX_S16, GX_TEX_ST};
    struct Row { const char* name; std::vector<F> formats; };
    const Row rows[] = {
        {"4-byte vertices", {pos, t0}},
        {"the zone layout (7 bytes)", {pos, {GX_VA_NRM, GX_INDEX8, GX_F32, GX_NRM_XYZ}, t0, t1}},
        {"8-byte vertices", {pos, {GX_VA_NRM, GX_INDEX16, GX_S16, GX_NRM_XYZ}, t0, t1}},
    };
    Random rnd{5};
    for (const Row& r : rows) {
        for (uint32_t count : {1u, 8u, 9u, 10u, 11u, 12u, 16u, 17u, 23u, 40u, 100u}) {
            FixedFormat(rnd, r.formats);
            const BeBytes stream = RandomVertices(rnd, count);
            uint8_t* at = pages + page - stream.size();
            std::memcpy(at, stream.data(), stream.size());
            for (bool simd : {true, false}) {
                SCOPED_TRACE(testing::Message() << r.name << ", " << count << (simd ? " vector" : " baseline"));
                gxVertexPlan plan;
                ASSERT_TRUE(Plan(simd, &plan));
                gxVertexData out;
                size_t used = 0;
                gxDecodeError err;
                ASSERT_EQ(gxDecodeVertices(plan, at, stream.size(), count, out, &used, &err), gxDecodeStatus::kOk);
                ASSERT_EQ(out.size(), count);
                ExpectReference(out, stream.data(), count);
            }
        }
    }
    gxSetVertexSimd(true);
    munmap(pages, 2 * page);
}

// A draw's vertex store is reused by the next draw only while it still holds
// its storage and the storage is large enough.
TEST(GxVertexDataTest, ReshapeReusesOnlyStorageItStillHoldsAndThatFits)
{
    gxVertexLayout layout;
    layout.stride = 40;
    struct Row { const char* name; bool movedAway; bool records; uint32_t count; bool sameStorage; };
    const Row rows[] = {
        {"fewer vertices keep the storage", false, false, 5, true},
        {"as many keep it", false, false, 10, true},
        {"more take new storage", false, false, 11, false},
        {"storage moved to a draw is not reused", true, false, 5, false},
        {"whole records become packed", false, true, 5, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gxVertexData data = r.records ? gxVertexData(std::vector<gxVertex>(10)) : gxVertexData(layout, 10);
        const uint8_t* before = data.MutableBytes();
        gxVertexData taken;
        if (r.movedAway)
            taken = std::move(data);
        data.Reshape(layout, r.count);
        ASSERT_NE(data.MutableBytes(), nullptr);
        EXPECT_EQ(data.MutableBytes() == before, r.sameStorage);
        EXPECT_EQ(data.size(), r.count);
        EXPECT_EQ(data.ByteSize(), 40u * r.count);
        EXPECT_EQ(data.Bytes(), data.MutableBytes());
        if (r.movedAway) {
            EXPECT_EQ(taken.MutableBytes(), before);
        }
    }
}

// A packed vertex reads back as the whole record: both colours, the matrix
// block's rows, shorts widened by their scale; truncating keeps the first
// vertices and never grows the draw.
TEST(GxVertexDataTest, PackedVerticesReadBackAsRecordsAndTruncate)
{
    gxVertexLayout l;
    l.stride = 32;
    l.mtx = 0;
    l.pos = 12;
    l.nrm = l.tex[0] = gxVertexLayout::kAbsent;
    l.clr[0] = 20;
    l.clr[1] = 24;
    l.tex[1] = 28;
    l.shorts = gxVertexLayout::kPosShorts | gxVertexLayout::TexShorts(1);
    l.posScale = 0.25f;
    l.texScale[1] = 0.5f;
    for (int t = 2; t < 8; ++t)
        l.tex[t] = gxVertexLayout::kAbsent;
    gxVertexData data(l, 3);
    for (uint32_t v = 0; v < 3; ++v) {
        uint8_t* p = data.MutableBytes() + 32 * v;
        const uint8_t rows[12] = {static_cast<uint8_t>(3 * v), 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0};
        const int16_t pos[4] = {static_cast<int16_t>(-4 - static_cast<int>(v)), 8, 12, 0};
        const int16_t st[2] = {-3, static_cast<int16_t>(v)};
        std::memcpy(p, rows, 12);
        std::memcpy(p + 12, pos, 8);
        for (int c = 0; c < 8; ++c)
            p[20 + c] = static_cast<uint8_t>(10 * v + c);
        std::memcpy(p + 28, st, 4);
    }
    const gxVertex v = data[2];
    EXPECT_EQ(v.pnMtx, 6);
    for (int m = 0; m < 8; ++m)
        EXPECT_EQ(v.texMtx[m], m + 1) << "texture matrix " << m;
    EXPECT_EQ(v.pos[0], -1.5f);
    EXPECT_EQ(v.pos[2], 3.0f);
    EXPECT_EQ(v.clr[0][0], 20);
    EXPECT_EQ(v.clr[1][3], 27);
    EXPECT_EQ(v.tex[1][0], -1.5f);
    EXPECT_EQ(v.tex[1][1], 1.0f);
    EXPECT_EQ(v.tex[0][0], 0.0f) << "absent coordinates keep the default";
    data.Truncate(5);
    EXPECT_EQ(data.size(), 3u);
    data.Truncate(2);
    EXPECT_EQ(data.size(), 2u);
    EXPECT_EQ(data.ByteSize(), 64u);
    EXPECT_EQ(data[1].pnMtx, 3);
}

}  // namespace
