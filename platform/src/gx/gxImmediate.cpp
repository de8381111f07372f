// Immediate mode: GXBegin, one call per enabled attribute of each vertex in
// descriptor order, GXEnd. Values are converted as the call's own type says
// (floats as they are, integers by the format's fraction bits), so a float
// call under a fixed-point format still gives the intended value. Indices
// are looked up in the arrays at once.

#include "gx/gxFront_local.h"
#include "gx/gxVertex.h"

#include <cmath>

namespace {

enum class Kind : uint8_t { kMtxIdx, kPos, kNrm, kClr, kTex };

struct Immediate {
    bool active = false;
    bool failed = false;  // a call broke the order; the rest up to GXEnd is ignored
    GXPrimitive primitive = GX_TRIANGLES;
    GXVtxFmt fmt = GX_VTXFMT0;
    uint32_t expected = 0;
    gxVertexPlan plan;
    float fracScale[kGxNumAttrs] = {};
    uint32_t cursor = 0;  // step the next call fills
    bool open = false;    // the last vertex in vertices is still being filled
    gxVertex defaults{};
    std::vector<gxVertex> vertices;
};

Immediate s_imm;

Kind KindOf(uint8_t attr)
{
    if (attr <= GX_VA_TEX7MTXIDX) return Kind::kMtxIdx;
    if (attr == GX_VA_POS) return Kind::kPos;
    if (attr == GX_VA_NRM) return Kind::kNrm;
    if (attr == GX_VA_CLR0 || attr == GX_VA_CLR1) return Kind::kClr;
    return Kind::kTex;
}

void Fail(const char* reason)
{
    gxLogOnce(reason, "immediate primitive (%s, format %d): %s; the rest is not drawn",
              GXPrimitiveText(s_imm.primitive), s_imm.fmt, reason);
    s_imm.failed = true;
    if (s_imm.open) {
        s_imm.vertices.pop_back();  // an incomplete vertex is never drawn
        s_imm.open = false;
    }
}

// The step the next call fills, when it is of kind k and input kind wanted
// (direct data or an index); null after a failure.
const gxAttrStep* Next(Kind k, bool indexed)
{
    static const char kOutside[] = "vertex data outside GXBegin/GXEnd";
    if (!s_imm.active) {
        gxLogOnce(kOutside, "%s; ignored", kOutside);
        return nullptr;
    }
    if (s_imm.failed)
        return nullptr;
    const gxAttrStep& st = s_imm.plan.steps[s_imm.cursor];
    if (KindOf(st.attr) != k) {
        Fail("attribute call out of the descriptor's order");
        return nullptr;
    }
    if ((st.input != GX_DIRECT) != indexed) {
        Fail(indexed ? "index given for a direct attribute" : "direct data given for an indexed attribute");
        return nullptr;
    }
    if (!s_imm.open) {
        if (s_imm.vertices.size() >= s_imm.expected) {
            Fail("more vertices than GXBegin announced");
            return nullptr;
        }
        s_imm.vertices.push_back(s_imm.defaults);
        s_imm.open = true;
    }
    return &st;
}

void Advance()
{
    if (++s_imm.cursor == s_imm.plan.numSteps) {
        s_imm.cursor = 0;
        s_imm.open = false;
    }
}

gxVertex& Current() { return s_imm.vertices.back(); }

void Indexed(Kind k, uint32_t index)
{
    const gxAttrStep* st = Next(k, true);
    if (!st)
        return;
    const uint8_t* src = gxIndexedElement(*st, index);
    if (!src) {
        Fail("index beyond its array");
        return;
    }
    gxDecodeElement(*st, src, Current());
    Advance();
}

void Position(float x, float y, float z, bool integer)
{
    const gxAttrStep* st = Next(Kind::kPos, false);
    if (!st)
        return;
    const float s = integer ? s_imm.fracScale[GX_VA_POS] : 1.0f;
    gxVertex& v = Current();
    v.pos[0] = x * s;
    v.pos[1] = y * s;
    v.pos[2] = z * s;
    Advance();
}

void Normal(float x, float y, float z, float scale)
{
    if (!Next(Kind::kNrm, false))
        return;
    gxVertex& v = Current();
    v.nrm[0] = x * scale;
    v.nrm[1] = y * scale;
    v.nrm[2] = z * scale;
    Advance();
}

void Color(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    const gxAttrStep* st = Next(Kind::kClr, false);
    if (!st)
        return;
    uint8_t* c = Current().clr[st->attr - GX_VA_CLR0];
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
    Advance();
}

void TexCoord(float s, float t, bool integer)
{
    const gxAttrStep* st = Next(Kind::kTex, false);
    if (!st)
        return;
    const float k = integer ? s_imm.fracScale[st->attr] : 1.0f;
    float* tc = Current().tex[st->attr - GX_VA_TEX0];
    tc[0] = s * k;
    tc[1] = t * k;
    Advance();
}

}  // namespace

void GXBegin(GXPrimitive type, GXVtxFmt fmt, uint16_t count)
{
    if (s_imm.active) {
        static const char kNested[] = "GXBegin inside a primitive; the open one is dropped";
        gxLogOnce(kNested, "%s", kNested);
    }
    s_imm.active = true;
    s_imm.failed = false;
    s_imm.primitive = type;
    s_imm.fmt = fmt;
    s_imm.expected = count;
    s_imm.cursor = 0;
    s_imm.open = false;
    s_imm.vertices.clear();
    const char* reason = "";
    if ((type & 0x07) != 0 || type < GX_QUADS || type > GX_POINTS) {
        Fail("not a primitive");
        return;
    }
    if (!gxBuildVertexPlan(gxGet(), fmt, &gxArrayLimit, &s_imm.plan, &reason)) {
        Fail(reason);
        return;
    }
    const gxVtxFmt& vf = gxGet().vtxFmt[fmt];
    for (int a = GX_VA_POS; a <= GX_VA_TEX7; ++a)
        s_imm.fracScale[a] = std::ldexp(1.0f, -static_cast<int>(vf.attr[a].frac));
    s_imm.defaults = gxDefaultVertex(s_imm.plan);
    s_imm.vertices.reserve(count);
}

void GXEnd()
{
    if (!s_imm.active) {
        static const char kEnd[] = "GXEnd without GXBegin";
        gxLogOnce(kEnd, "%s", kEnd);
        return;
    }
    if (s_imm.open)
        Fail("the last vertex is incomplete");
    s_imm.active = false;
    s_imm.cursor = 0;
    if (!s_imm.failed && s_imm.vertices.size() != s_imm.expected)
        Fail("fewer vertices than GXBegin announced");
    if (!s_imm.vertices.empty())
        gxSubmitDraw(s_imm.primitive, s_imm.fmt, s_imm.plan.attrMask, gxVertexData(std::move(s_imm.vertices)));
    s_imm.vertices = std::vector<gxVertex>();
}

void GXMatrixIndex1u8(uint8_t index)
{
    const gxAttrStep* st = Next(Kind::kMtxIdx, false);
    if (!st)
        return;
    gxVertex& v = Current();
    if (st->attr == GX_VA_PNMTXIDX)
        v.pnMtx = index & 63;
    else
        v.texMtx[st->attr - GX_VA_TEX0MTXIDX] = index & 63;
    Advance();
}

void GXPosition3f32(float x, float y, float z) { Position(x, y, z, false); }
void GXPosition3u16(uint16_t x, uint16_t y, uint16_t z) { Position(x, y, z, true); }
void GXPosition3s16(int16_t x, int16_t y, int16_t z) { Position(x, y, z, true); }
void GXPosition3u8(uint8_t x, uint8_t y, uint8_t z) { Position(x, y, z, true); }
void GXPosition3s8(int8_t x, int8_t y, int8_t z) { Position(x, y, z, true); }
void GXPosition2f32(float x, float y) { Position(x, y, 0.0f, false); }
void GXPosition2u16(uint16_t x, uint16_t y) { Position(x, y, 0.0f, true); }
void GXPosition2s16(int16_t x, int16_t y) { Position(x, y, 0.0f, true); }
void GXPosition2u8(uint8_t x, uint8_t y) { Position(x, y, 0.0f, true); }
void GXPosition2s8(int8_t x, int8_t y) { Position(x, y, 0.0f, true); }
void GXPosition1x16(uint16_t index) { Indexed(Kind::kPos, index); }
void GXPosition1x8(uint8_t index) { Indexed(Kind::kPos, index); }

// Fixed-point normals put 1.0 at 2^14 (s16) and 2^6 (s8).
void GXNormal3f32(float x, float y, float z) { Normal(x, y, z, 1.0f); }
void GXNormal3s16(int16_t x, int16_t y, int16_t z) { Normal(x, y, z, 1.0f / 16384.0f); }
void GXNormal3s8(int8_t x, int8_t y, int8_t z) { Normal(x, y, z, 1.0f / 64.0f); }
void GXNormal1x16(uint16_t index) { Indexed(Kind::kNrm, index); }
void GXNormal1x8(uint8_t index) { Indexed(Kind::kNrm, index); }

void GXColor4u8(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { Color(r, g, b, a); }
void GXColor3u8(uint8_t r, uint8_t g, uint8_t b) { Color(r, g, b, 255); }
void GXColor1u32(uint32_t rgba) { Color(rgba >> 24, (rgba >> 16) & 0xFF, (rgba >> 8) & 0xFF, rgba & 0xFF); }

void GXColor1u16(uint16_t packed)
{
    // A 16-bit colour is RGBA4 under an RGBA4 format, else RGB565.
    const gxAttrStep* peek = (s_imm.active && !s_imm.failed) ? &s_imm.plan.steps[s_imm.cursor] : nullptr;
    const uint8_t type = (peek && peek->type == GX_RGBA4) ? static_cast<uint8_t>(GX_RGBA4)
                                                           : static_cast<uint8_t>(GX_RGB565);
    uint8_t bytes[2] = {static_cast<uint8_t>(packed >> 8), static_cast<uint8_t>(packed)};
    uint8_t c[4];
    gxDecodeColor(type, bytes, c);
    Color(c[0], c[1], c[2], c[3]);
}

void GXColor1x16(uint16_t index) { Indexed(Kind::kClr, index); }
void GXColor1x8(uint8_t index) { Indexed(Kind::kClr, index); }

void GXTexCoord2f32(float s, float t) { TexCoord(s, t, false); }
void GXTexCoord2u16(uint16_t s, uint16_t t) { TexCoord(s, t, true); }
void GXTexCoord2s16(int16_t s, int16_t t) { TexCoord(s, t, true); }
void GXTexCoord2u8(uint8_t s, uint8_t t) { TexCoord(s, t, true); }
void GXTexCoord2s8(int8_t s, int8_t t) { TexCoord(s, t, true); }
void GXTexCoord1f32(float s) { TexCoord(s, 0.0f, false); }
void GXTexCoord1s16(int16_t s) { TexCoord(s, 0.0f, true); }
void GXTexCoord1x16(uint16_t index) { Indexed(Kind::kTex, index); }
void GXTexCoord1x8(uint8_t index) { Indexed(Kind::kTex, index); }
