#include "eEngine/eFont.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/gx.h"
#include "platform/ps.h"
#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eVideoPlatform.h"
#include "cCore/cMemPool.h"

QM_DEFINE_TYPE(eFont, cObject, 11)

namespace {

constexpr int kPosFrac = 4;   // vertex format 4
constexpr int kTexFrac = 10;
constexpr int kTagChars = 32;  // room for one value printed with "%g"

// The glyph batch in progress; one at a time on the main thread.
struct GlyphBatch {
    uint32_t rgba = 0xFFFFFFFF;  // vertex colour, 0xRRGGBBAA
    bool bPointSample = false;   // the material asks for point filtering
    bool bMaterial = false;      // BeginPrint found the material
    int nLeft = 0;               // glyphs announced and not yet sent
    int nInPrimitive = 0;        // glyphs still to come in the open primitive
};
GlyphBatch s_batch;

// One unit of text after escapes: what the layout and the drawing see.
enum class eToken { kSkip, kLineEnd, kBreak, kTag, kChar };
struct Token {
    eToken kind;
    uint8_t c;  // the character drawn or measured (' ' for backslash-t)
    int length;  // bytes of the text it takes
};

Token NextToken(const char* s, int i, int end, bool bTags, bool bTagsLeft)
{
    const uint8_t c = static_cast<uint8_t>(s[i]);
    if (c == '\r')
        return {eToken::kSkip, c, 1};
    if (c == '\n')
        return {eToken::kLineEnd, c, 1};
    if (c == ' ' || c == '\t')
        return {eToken::kBreak, c, 1};
    if (c == '\\' && i + 1 < end) {
        switch (s[i + 1]) {
        case 'n': return {eToken::kLineEnd, '\n', 2};
        case '\\': return {eToken::kChar, '\\', 2};
        case 't': return {eToken::kBreak, ' ', 2};
        default: break;
        }
    }
    if (c == '^' && bTags && bTagsLeft)
        return {eToken::kTag, c, 1};
    return {eToken::kChar, c, 1};
}

// The text's length without trailing spaces.
int TrimmedLength(const char* s)
{
    int n = static_cast<int>(std::strlen(s));
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return n;
}

int FormatTag(const eFontDraw& d, int index, char out[kTagChars])
{
    const int n = std::snprintf(out, kTagChars, "%g", static_cast<double>(d.fValueTags[index]));
    return std::clamp(n, 0, kTagChars - 1);
}

// Advances of one character: where the glyph sits after the pen (x) and
// how far the pen moves, both scaled; raw is the layout's unscaled width
// between break points.
struct Advance {
    float offset;
    float advance;   // without the right offset
    float right;     // the right offset, scaled
    float raw;
};

Advance CharAdvance(const eFont& f, uint8_t c, bool bKerning, bool bLineStart, const eFontDraw& d)
{
    Advance a;
    if (bKerning) {
        const eFontCharKern& k = f.m_kernTable[c];
        const float left = bLineStart ? 0.0f : static_cast<float>(k.nLeftOffset);
        a.offset = left * f.m_fScale;
        a.advance = (left + static_cast<float>(k.nWidth)) * f.m_fScale;
        a.right = static_cast<float>(k.nRightOffset) * f.m_fScale;
        a.raw = left + static_cast<float>(k.nWidth);
    } else {
        a.offset = 0.0f;
        a.advance = f.m_fWidth * f.m_fScale;
        a.right = 0.0f;
        a.raw = a.advance;
    }
    if (c == '\t' && (d.nFlags & eFontDraw::kTabs)) {
        const float n = static_cast<float>(d.nTabSize);
        a.advance *= n;
        a.right *= n;
    }
    return a;
}

// The layout PrintEx draws from.
struct Layout {
    int breaks[eFont::kMaxBreaks];
    int nBreaks = eFont::kMaxBreaks;
    float widths[eFont::kMaxLines];
    int nLines = eFont::kMaxLines;
    int nVisible = 0;

    float Width(int line) const { return line >= 0 && line < eFont::kMaxLines ? widths[line] : 0.0f; }
};

enum class eColumn { kLeft, kCentre, kRight };

eColumn ColumnOf(eSprite::eSpriteOrigin origin)
{
    switch (origin) {
    case eSprite::SO_UPPERCENTER:
    case eSprite::SO_MIDCENTER:
    case eSprite::SO_LOWERCENTER: return eColumn::kCentre;
    case eSprite::SO_UPPERRIGHT:
    case eSprite::SO_MIDRIGHT:
    case eSprite::SO_LOWERRIGHT: return eColumn::kRight;
    default: return eColumn::kLeft;
    }
}

// The drawing walk of a laid-out text: calls emit(c, x, y, size) for each
// glyph and, measuring, keeps textRect's width. Counting and drawing walk
// the same way, so a batch is sized by exactly the glyphs it gets.
template <class Emit>
void WalkText(const eFont& f, eFontDraw* d, const Layout& L, Emit emit)
{
    const bool bMeasure = (d->nFlags & eFontDraw::kMeasure) != 0;
    const bool bWrap = (d->nFlags & eFontDraw::kWordWrap) != 0;
    const bool bKerning = (d->nFlags & eFontDraw::kKerning) && (f.m_nFlags & eFont::kFlagKerning);
    const bool bTags = (d->nFlags & eFontDraw::kValueTags) && d->fValueTags;
    const eColumn column = ColumnOf(d->textJustify);
    const float lineH = f.m_fWidth * f.m_fScale;
    const float destW = d->destRect.size.x;
    const float* m = d->textMargins;

    mVec2 start;
    eSprite::GetScreenPos(d->textJustify, mVec2(m[eFontDraw::kLeft], m[eFontDraw::kBottom]), d->textRect.size,
                          &start, &d->destRect);
    float y = start.y + static_cast<float>(L.nLines - 1) * lineH;
    // The first line starts at the left margin (left and centre columns)
    // and its justification within destRect, measured or drawn; a
    // measurement keeps how far the pen got from textRect's x, and the
    // margins are added to that at the end, so callers sizing a box get the
    // first line's margin twice. Later lines start the same way when drawn,
    // and at textRect's x when measured.
    auto lineStartX = [&](int line) {
        float lx = d->textRect.pos.x;
        if (bMeasure && line > 0)
            return lx;
        if (column != eColumn::kRight)
            lx += m[eFontDraw::kLeft];
        if (column == eColumn::kCentre)
            lx += (destW - L.Width(line)) / 2.0f;
        else if (column == eColumn::kRight)
            lx += destW - L.Width(line) - m[eFontDraw::kRight];
        return lx;
    };
    float x = lineStartX(0);

    int line = 0;
    int nextBreak = 0;
    int nTag = 0;
    bool bLineStart = true;
    auto newLine = [&] {
        ++line;
        y -= lineH;
        x = lineStartX(line);
        bLineStart = true;
    };
    auto glyph = [&](uint8_t c) {
        const Advance a = CharAdvance(f, c, bKerning, bLineStart, *d);
        if (bKerning) {
            const float gy = y + (f.m_fBaseLine + static_cast<float>(f.m_kernTable[c].nBaseLine)) * f.m_fScale;
            emit(c, x + a.offset, gy, lineH);
        } else {
            emit(c, x, y, lineH);
        }
        x = std::ceil(x + a.advance + a.right);
        bLineStart = false;
    };

    const char* s = d->sText;
    const int end = TrimmedLength(s);
    for (int i = 0; i < end;) {
        Token t = NextToken(s, i, end, bTags, nTag < d->nMaxValueTags);
        if (bWrap && nextBreak < L.nBreaks && i == L.breaks[nextBreak]) {
            ++nextBreak;
            if (t.kind == eToken::kBreak) {  // the break's space is dropped
                i += t.length;
                if (i >= end)
                    break;
                t = NextToken(s, i, end, bTags, nTag < d->nMaxValueTags);
            }
            newLine();
        }
        i += t.length;
        switch (t.kind) {
        case eToken::kSkip: break;
        case eToken::kLineEnd: newLine(); break;
        case eToken::kBreak: {
            const Advance a = CharAdvance(f, t.c, bKerning, bLineStart, *d);
            x = std::ceil(x + a.advance + a.right);
            bLineStart = false;
            break;
        }
        case eToken::kTag: {
            char tag[kTagChars];
            const int n = FormatTag(*d, nTag++, tag);
            for (int k = 0; k < n; ++k)
                glyph(static_cast<uint8_t>(tag[k]));
            break;
        }
        case eToken::kChar: glyph(t.c); break;
        }
        if (bMeasure)
            d->textRect.size.x = std::max(d->textRect.size.x, std::fabs(x - d->textRect.pos.x));
    }
}

}  // namespace

void eFontCharKern::Read(const cReadBlock& rb)
{
    nBaseLine = rb.ReadChar();
    nLeftOffset = rb.ReadChar();
    nWidth = rb.ReadChar();
    nRightOffset = rb.ReadChar();
}

void eFontCharKern::Write(const cWriteBlock& wb) const
{
    wb.WriteChar(nBaseLine);
    wb.WriteChar(nLeftOffset);
    wb.WriteChar(nWidth);
    wb.WriteChar(nRightOffset);
}

eFont::eFont() : m_nFlags(0), m_fScale(1.0f), m_fWidth(16.0f), m_fBaseLine(0.0f) {}

eFont::eFont(const eFont& other)
    : cObject(other), m_handle(other.m_handle), m_nFlags(other.m_nFlags), m_hMaterial(other.m_hMaterial),
      m_fScale(other.m_fScale), m_fWidth(other.m_fWidth), m_fBaseLine(other.m_fBaseLine)
{
    std::copy(std::begin(other.m_kernTable), std::end(other.m_kernTable), m_kernTable);
}

cBase* eFont::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eFont>(*this) : nullptr;
}

void eFont::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    m_hMaterial.Write(wb);
    wb.WriteFloat(m_fScale);
    wb.WriteFloat(m_fWidth);
    wb.WriteInt(m_nFlags);
    wb.WriteFloat(m_fBaseLine);
    for (const eFontCharKern& k : m_kernTable)
        k.Write(wb);
}

bool eFont::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0 || rb.m_nVersion > kVersion)
        return rb.Reject("eFont", "version");
    if (!cObject::Read(file, pPool))
        return rb.Reject("eFont", "name");
    eMaterialHandle hMaterial;
    hMaterial.Read(rb, pPool);
    if (rb.m_nVersion < 3) {
        uint32_t old[3];  // an older second material and two words
        rb.ReadInts(old, 3);
    }
    const float fScale = rb.ReadFloat();
    const float fWidth = rb.ReadFloat();
    uint32_t nFlags = 0;
    float fBaseLine = 0.0f;
    eFontCharKern table[kNumChars];
    const bool bTable = rb.m_nVersion >= 2;
    if (bTable) {
        nFlags = rb.ReadUInt();
        fBaseLine = rb.ReadFloat();
        for (eFontCharKern& k : table)
            k.Read(rb);
    }
    if (rb.Failed())
        return false;
    m_hMaterial = hMaterial;
    m_fScale = fScale;
    m_fWidth = fWidth;
    if (bTable) {
        m_nFlags = nFlags;
        m_fBaseLine = fBaseLine;
        std::copy(std::begin(table), std::end(table), m_kernTable);
    }
    return true;
}

void eFont::ResetKerningTable()
{
    const int8_t width = static_cast<int8_t>(static_cast<int>(m_fWidth));
    for (eFontCharKern& k : m_kernTable)
        k = eFontCharKern{0, 0, width, 0};
}

int eFont::ComputeWordBreaksAndLineWidths(const eFontDraw& d, int* pBreaks, int* pnBreaks, float* pLineWidths,
                                          int* pnLines) const
{
    const int breakCapacity = *pnBreaks;
    const int lineCapacity = *pnLines;
    *pnBreaks = 0;
    *pnLines = 0;
    if (!d.sText || !d.sText[0])
        return 0;
    const bool bWrap = (d.nFlags & eFontDraw::kWordWrap) != 0;
    const bool bKerning = (d.nFlags & eFontDraw::kKerning) && (m_nFlags & kFlagKerning);
    const bool bTags = (d.nFlags & eFontDraw::kValueTags) && d.fValueTags;
    const int end = TrimmedLength(d.sText);
    if (!bKerning && !bWrap)
        return end;

    float width = 0.0f;         // the current line's
    int breakAt = -1;           // index of the line's last space or tab
    float widthAtBreak = 0.0f;  // the line's width up to it
    float sinceBreak = 0.0f;    // the text's width after it
    int nBreaks = 0;
    int nLines = 1;
    int nVisible = 0;
    int nTag = 0;
    bool bLineStart = true;
    auto storeLine = [&](float w) {
        if (nLines - 1 < lineCapacity)
            pLineWidths[nLines - 1] = w;
    };
    auto full = [&] { return nBreaks + 1 >= breakCapacity; };
    // A character of the text proper: measured against the wrap width.
    auto addChar = [&](uint8_t c) {
        ++nVisible;
        if (full())
            return;
        const Advance a = CharAdvance(*this, c, bKerning, bLineStart, d);
        if (breakAt >= 0)
            sinceBreak += a.raw;
        if (bWrap && width + a.advance > d.fMaxWidth && breakAt >= 0) {
            pBreaks[nBreaks++] = breakAt;
            storeLine(widthAtBreak);
            ++nLines;
            width = sinceBreak;
            breakAt = -1;
            sinceBreak = 0.0f;
        } else {
            width += a.advance;
        }
        width = std::ceil(width + a.right);
        bLineStart = false;
    };

    for (int i = 0; i < end;) {
        const Token t = NextToken(d.sText, i, end, bTags, nTag < d.nMaxValueTags);
        const int at = i;
        i += t.length;
        switch (t.kind) {
        case eToken::kSkip: break;
        case eToken::kLineEnd:
            storeLine(width);
            ++nLines;
            width = 0.0f;
            breakAt = -1;
            sinceBreak = 0.0f;
            bLineStart = true;
            break;
        case eToken::kBreak: {
            breakAt = at;
            widthAtBreak = width;
            sinceBreak = 0.0f;
            if (full())
                break;
            const Advance a = CharAdvance(*this, t.c, bKerning, bLineStart, d);
            width = std::ceil(width + a.advance + a.right);
            bLineStart = false;
            break;
        }
        case eToken::kTag: {
            char tag[kTagChars];
            const int n = FormatTag(d, nTag++, tag);
            for (int k = 0; k < n; ++k) {
                ++nVisible;
                if (full())
                    continue;
                const Advance a = CharAdvance(*this, static_cast<uint8_t>(tag[k]), bKerning, bLineStart, d);
                width = std::ceil(width + a.advance + a.right);
                bLineStart = false;
            }
            break;
        }
        case eToken::kChar: addChar(t.c); break;
        }
    }
    storeLine(width);
    *pnBreaks = nBreaks;
    *pnLines = nLines;
    return nVisible;
}

void eFont::PrintEx(eFontDraw* d) const
{
    const bool bMeasure = (d->nFlags & eFontDraw::kMeasure) != 0;
    if (bMeasure)
        d->textRect = eRect{{0.0f, 0.0f}, {0.0f, 0.0f}};
    Layout L;
    L.nVisible = ComputeWordBreaksAndLineWidths(*d, L.breaks, &L.nBreaks, L.widths, &L.nLines);
    if (L.nVisible == 0)
        return;
    const float lineH = m_fWidth * m_fScale;
    const bool bWrap = (d->nFlags & eFontDraw::kWordWrap) != 0;
    const bool bKerning = (d->nFlags & eFontDraw::kKerning) && (m_nFlags & kFlagKerning);
    if (!bWrap && !bKerning) {
        // The plain path: every byte a glyph at the nominal advance.
        const int length = L.nVisible;
        if (bMeasure) {
            d->textRect.size.Set(static_cast<float>(length) * lineH, lineH);
            return;
        }
        mVec2 pen;
        eSprite::GetScreenPos(d->textJustify,
                              mVec2(d->textMargins[eFontDraw::kLeft], d->textMargins[eFontDraw::kBottom]),
                              d->textRect.size, &pen, &d->destRect);
        BeginPrint(length, d->nColor);
        for (int i = 0; i < length; ++i) {
            PrintChar(static_cast<uint8_t>(d->sText[i]), pen.x, pen.y, lineH);
            pen.x = std::ceil(pen.x + lineH);
        }
        EndPrint(length);
        return;
    }
    if (bMeasure) {
        WalkText(*this, d, L, [](uint8_t, float, float, float) {});
        d->textRect.size.y = m_fBaseLine + static_cast<float>(L.nLines) * lineH;
        d->textRect.size.x += d->textMargins[eFontDraw::kLeft] + d->textMargins[eFontDraw::kRight];
        d->textRect.size.y += d->textMargins[eFontDraw::kTop] + d->textMargins[eFontDraw::kBottom];
        return;
    }
    int nGlyphs = 0;
    WalkText(*this, d, L, [&](uint8_t, float, float, float) { ++nGlyphs; });
    BeginPrint(nGlyphs, d->nColor);
    WalkText(*this, d, L, [this](uint8_t c, float x, float y, float size) { PrintChar(c, x, y, size); });
    EndPrint(nGlyphs);
}

void eFont::Print(const char* sText, float x, float y, uint32_t colour) const
{
    if (!sText || !sText[0])
        return;
    const int length = static_cast<int>(std::strlen(sText));
    const float advance = m_fWidth * m_fScale;
    BeginPrint(length, colour);
    for (int i = 0; i < length; ++i) {
        PrintChar(static_cast<uint8_t>(sText[i]), x, y, advance);
        x = std::ceil(x + advance);
    }
    EndPrint(length);
}

void eFont::BeginRender(const eCamera* pCamera)
{
    eSprite::BeginRender(pCamera);
}

void eFont::EndRender()
{
    eSprite::EndRender();
}

void eFont::BeginPrint(int count, uint32_t colour) const
{
    s_batch = GlyphBatch{};
    s_batch.rgba = colour << 8 | colour >> 24;
    const eMaterial* pMaterial = eMaterialMgr::GetPtr(m_hMaterial);
    if (!pMaterial) {
        eMaterial::ApplyNull();
        return;
    }
    pMaterial->Apply(nullptr, nullptr, nullptr, eMaterial::APPLY_VERTEX_COLOR);
    s_batch.bPointSample = (pMaterial->m_nFlags & kMatPointSample) != 0;
    s_batch.bMaterial = true;
    s_batch.nLeft = std::max(count, 0);
    // Glyphs are drawn over what is there, as sprites are: the depth test
    // always passes while the batch draws.
    eVideoPlatform::RenderState().Set(RS_Z_FUNC, GX_ALWAYS);
    eVideoPlatform::SetVertexType(GX_VTXFMT4, false);
}

void eFont::GetCellBounds(uint8_t c, float* pLeft, float* pTop, float* pRight, float* pBottom)
{
    constexpr float kCell = 1.0f / kGridSize;
    *pLeft = static_cast<float>(c % kGridSize) * kCell;
    *pTop = static_cast<float>(c / kGridSize) * kCell;
    *pRight = *pLeft + kCell;
    *pBottom = *pTop + kCell;
}

void eFont::PrintChar(uint8_t c, float x, float y, float size) const
{
    if (!s_batch.bMaterial)
        return;
    if (s_batch.nInPrimitive == 0) {
        if (s_batch.nLeft <= 0)
            return;  // more glyphs than announced: nothing was opened for them
        s_batch.nInPrimitive = std::min(s_batch.nLeft, kMaxQuadsPerBatch);
        eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT4, static_cast<uint16_t>(4 * s_batch.nInPrimitive));
    }
    float l, t, r, b;
    GetCellBounds(c, &l, &t, &r, &b);
    auto vertex = [](float vx, float vy, float u, float v) {
        GXPosition3s16(ps::QuantS16(vx, kPosFrac), 0, ps::QuantS16(vy, kPosFrac));
        GXColor1u32(s_batch.rgba);
        const int16_t su = ps::QuantS16(u, kTexFrac);
        const int16_t sv = ps::QuantS16(v, kTexFrac);
        GXTexCoord2s16(su, sv);
        GXTexCoord2s16(su, sv);
    };
    vertex(x, y, l, b);
    vertex(x + size, y, r, b);
    vertex(x + size, y + size, r, t);
    vertex(x, y + size, l, t);
    --s_batch.nLeft;
    if (--s_batch.nInPrimitive == 0) {
        GXEnd();
        eVideoPlatform::EndPrimitive();
    }
}

void eFont::EndPrint(int) const
{
    if (s_batch.bMaterial && s_batch.nInPrimitive > 0) {
        // Fewer glyphs than announced: the primitive is cut short and the
        // graphics layer drops the incomplete part.
        GXEnd();
        eVideoPlatform::EndPrimitive();
    }
    s_batch = GlyphBatch{};
    eVideoPlatform::RenderState().Set(RS_Z_FUNC, GX_LEQUAL);
}

QM_DEFINE_GROUP(eFontGroup, 19)
