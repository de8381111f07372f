#include "eEngine/eROMFont.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/mtx.h"
#include "platform/os.h"
#include "cCore/cLog.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eSprite.h"
#include "eEngine/eTexture.h"
#include "eEngine/eVideoPlatform.h"

OSFontHeader* eROMFont::s_pFontData = nullptr;
int16_t eROMFont::s_nFontSize = 0;
int16_t eROMFont::s_nFontSpace = eROMFont::kSubPixel;
void* eROMFont::s_pLastSheet = nullptr;
uint32_t eROMFont::s_nSheetLoads = 0;

namespace {

constexpr uintptr_t kArenaAlign = 32;

int16_t ClampS16(int v)
{
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

// The width in pixels of one line (up to its '\n' or end).
int LineWidth(const char* p)
{
    int width = 0;
    while (*p && *p != '\n') {
        int32_t w = 0;
        p = OSGetFontWidth(p, &w);
        width += w;
    }
    return width;
}

int CountLines(const char* text)
{
    int lines = 1;
    for (const char* p = text; *p; ++p)
        lines += *p == '\n';
    return lines;
}

// Unlit, textured quads whose colour and alpha are the texture's, with
// coordinates in texels scaled by texture matrix 0.
void SetGlyphState()
{
    eMaterial::ApplyNull();
    eVideoPlatform::SetNoLighting();
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_NUM_TEX_GENS, 1);
    rs.Set(RS_NUM_TEV_STAGES, 1);
    rs.SetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    rs.SetTevColorIn(GX_TEVSTAGE0, GX_CC_TEXC, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO);
    rs.SetTevAlphaIn(GX_TEVSTAGE0, GX_CA_TEXA, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO);
    rs.SetTevColorOp(GX_TEVSTAGE0, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
    rs.SetTevAlphaOp(GX_TEVSTAGE0, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
    GXSetTexCoordGen2(GX_TEXCOORD0, GX_TG_MTX2x4, GX_TG_TEX0, GX_TEXMTX0, GX_FALSE, GX_PTIDENTITY);
}

}  // namespace

bool eROMFont::Initialize()
{
    if (s_pFontData)
        return true;
    const bool bJapanese = OSGetFontEncode() == OS_FONT_ENCODE_SJIS;
    const uint32_t nBytes = bJapanese ? OS_FONT_SIZE_SJIS : OS_FONT_SIZE_ANSI;
    const uintptr_t lo = (reinterpret_cast<uintptr_t>(OSGetArenaLo()) + kArenaAlign - 1) & ~(kArenaAlign - 1);
    const uintptr_t hi = reinterpret_cast<uintptr_t>(OSGetArenaHi());
    if (hi < lo || hi - lo < nBytes) {
        cLogError_("eROMFont: the arena has no room for the font (%u bytes needed)", nBytes);
        return false;
    }
    OSFontHeader* pFont = reinterpret_cast<OSFontHeader*>(lo);
    OSSetArenaLo(reinterpret_cast<void*>(lo + nBytes));
    if (!OSInitFont(pFont)) {
        cLogError_("eROMFont: the boot-ROM font did not start");
        return false;
    }
    s_pFontData = pFont;
    s_nFontSize = static_cast<int16_t>(pFont->cellWidth * kSubPixel);
    s_nFontSpace = kSubPixel;
    s_pLastSheet = nullptr;
    return true;
}

void eROMFont::Uninitalize() {}

void eROMFont::Print(const char* fmt, ...)
{
    if (!s_pFontData || !fmt)
        return;
    char text[kPrintBufferSize];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);

    const int cellWidth = s_pFontData->cellWidth;
    int y = CountLines(text) * cellWidth / 2;
    char line[kPrintBufferSize];
    for (const char* p = text;;) {
        const char* end = std::strchr(p, '\n');
        const size_t n = end ? static_cast<size_t>(end - p) : std::strlen(p);
        std::memcpy(line, p, n);
        line[n] = '\0';
        PrintString(-LineWidth(line) / 2, y, 0, line);
        y -= cellWidth;
        if (!end)
            break;
        p = end + 1;
    }
}

int eROMFont::PrintString(int x, int y, int z, const char* text)
{
    s_pLastSheet = nullptr;
    if (!s_pFontData || !text)
        return 0;
    SetGlyphState();
    eSprite::BeginRender(nullptr);
    eVideoPlatform::SetVertexType(GX_VTXFMT6, false);

    const OSFontHeader& f = *s_pFontData;
    const int x0 = x * kSubPixel;
    int y0 = y * kSubPixel;
    const int z0 = z * kSubPixel;
    int lineOffset = 0;
    for (const char* p = text; *p;) {
        if (*p == '\n') {
            y0 -= f.leading * s_nFontSize / f.cellWidth;
            lineOffset = 0;
            ++p;
            continue;
        }
        void* image = nullptr;
        int32_t s = 0, t = 0, w = 0;
        p = OSGetFontTexture(p, &image, &s, &t, &w);
        if (!image)
            continue;
        LoadSheet(image, GX_TEXMAP0);
        DrawFontChar(x0 + lineOffset, y0, z0, s, t);
        lineOffset += w * kSubPixel;
    }
    return (lineOffset + kSubPixel - 1) / kSubPixel;
}

void eROMFont::LoadSheet(void* image, GXTexMapID map)
{
    if (!s_pFontData || image == s_pLastSheet)
        return;
    const OSFontHeader& f = *s_pFontData;
    GXTexObj obj;
    GXInitTexObj(&obj, image, f.sheetWidth, f.sheetHeight, static_cast<GXTexFmt>(f.sheetFormat), GX_CLAMP,
                 GX_CLAMP, GX_FALSE);
    GXInitTexObjLOD(&obj, GX_LINEAR, GX_LINEAR, 0.0f, 0.0f, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
    GXLoadTexObj(&obj, map);
    // The map no longer holds what the texture code loaded last.
    eTexture::ApplyNull(map - GX_TEXMAP0);
    Mtx m;
    PSMTXScale(m, 1.0f / f.sheetWidth, 1.0f / f.sheetHeight, 1.0f);
    GXLoadTexMtxImm(m, GX_TEXMTX0, GX_MTX2x4);
    s_pLastSheet = image;
    ++s_nSheetLoads;
}

void eROMFont::DrawFontChar(int x, int y, int z, int s, int t)
{
    if (!s_pFontData)
        return;
    const OSFontHeader& f = *s_pFontData;
    const int left = x;
    const int right = left + s_nFontSize;
    // Below and above the pen's line: the cell's top texel row goes up.
    const int low = y - f.ascent * s_nFontSize / f.cellWidth;
    const int high = y + f.descent * s_nFontSize / f.cellWidth;
    const int16_t s1 = ClampS16(s + f.cellWidth);
    const int16_t t1 = ClampS16(t + f.cellHeight);
    auto vertex = [z](int vx, int vy, int16_t u, int16_t v) {
        GXPosition3s16(ClampS16(vx), ClampS16(z), ClampS16(vy));
        GXTexCoord2s16(u, v);
    };
    eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT6, 4);
    vertex(left, low, ClampS16(s), t1);
    vertex(right, low, s1, t1);
    vertex(right, high, s1, ClampS16(t));
    vertex(left, high, ClampS16(s), ClampS16(t));
    GXEnd();
    eVideoPlatform::EndPrimitive();
}

int eROMFont::GetStringWidth(const char* text)
{
    int widest = 0;
    for (const char* p = text; p;) {
        widest = std::max(widest, LineWidth(p));
        p = std::strchr(p, '\n');
        if (p)
            ++p;
    }
    return widest;
}

int eROMFont::GetStringHeight(const char* text)
{
    return s_pFontData && text ? CountLines(text) * s_pFontData->cellWidth : 0;
}

void eROMFont::SetFontSize(int size, int space)
{
    s_nFontSize = static_cast<int16_t>(size * kSubPixel);
    s_nFontSpace = static_cast<int16_t>(space * kSubPixel);
}

void eROMFont::GetFontSize(int* pSize, int* pSpace)
{
    *pSize = s_nFontSize / kSubPixel;
    *pSpace = s_nFontSpace / kSubPixel;
}
