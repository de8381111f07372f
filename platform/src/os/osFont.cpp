// The boot-ROM font: the console keeps a bitmap font in ROM; here the same
// kind of font is rasterised from a TrueType file with FreeType into I4
// glyph sheets of fixed cells, with an advance per character.
#include "platform/osfont.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/gx.h"
#include "platform/os.h"

#ifndef QM_FONT_DIR
#define QM_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace {

constexpr const char* kFontFile = QM_FONT_DIR "/DejaVuSans.ttf";
constexpr int kCell = 24;          // texels a side of a glyph cell
constexpr int kPixelSize = 20;     // the face's size: ascent + descent fit the cell
constexpr int kSheetSide = 256;    // texels a side of a sheet
constexpr int kCellsPerRow = kSheetSide / kCell;  // 10
constexpr int kCellsPerSheet = kCellsPerRow * kCellsPerRow;
constexpr int kFirstChar = 0x20;
constexpr int kLastChar = 0xFF;
constexpr int kNumGlyphs = kLastChar - kFirstChar + 1;
constexpr int kNumSheets = (kNumGlyphs + kCellsPerSheet - 1) / kCellsPerSheet;
constexpr uint32_t kSheetBytes = kSheetSide * kSheetSide / 2;  // 4 bits a texel
constexpr uint32_t kWidthTableOffset = 64;
constexpr uint32_t kSheetOffset = 320;  // after the 256-byte table, 32-byte aligned
constexpr uint8_t kInvalidChar = '?';

static_assert(sizeof(OSFontHeader) <= kWidthTableOffset, "the header fits before the width table");
static_assert(kSheetOffset % 32 == 0 && kSheetOffset >= kWidthTableOffset + 256, "sheets follow the table");
static_assert(kSheetOffset + kNumSheets * kSheetBytes <= OS_FONT_SIZE_ANSI, "the font fits its buffer");

// Unicode of the Windows 1252 codes 0x80-0x9F; 0 where the code is unused.
// Codes 0xA0-0xFF are Latin-1 and map to themselves.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

const OSFontHeader* s_pFont = nullptr;

uint32_t UnicodeOf(int code)
{
    if (code >= 0x80 && code < 0xA0)
        return kCp1252High[code - 0x80];
    return static_cast<uint32_t>(code);
}

// The code drawn for a character: itself when the font has a glyph for it.
int GlyphCode(uint8_t c)
{
    if (c < kFirstChar || UnicodeOf(c) == 0)
        return kInvalidChar;
    return c;
}

void CellOf(int code, int* pSheet, int* pS, int* pT)
{
    const int index = code - kFirstChar;
    const int cell = index % kCellsPerSheet;
    *pSheet = index / kCellsPerSheet;
    *pS = (cell % kCellsPerRow) * kCell;
    *pT = (cell / kCellsPerRow) * kCell;
}

// One texel of an I4 sheet: 8 x 8 blocks of 32 bytes, left texel of a pair
// in the high nibble.
void PutI4(uint8_t* sheet, int x, int y, uint8_t value)
{
    const int blocksPerRow = kSheetSide / 8;
    const int block = (y / 8) * blocksPerRow + (x / 8);
    const int within = (y % 8) * 8 + (x % 8);
    uint8_t& b = sheet[block * 32 + within / 2];
    const uint8_t v = static_cast<uint8_t>(value >> 4);
    b = (within & 1) ? static_cast<uint8_t>((b & 0xF0) | v) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
}

// Rasterises one glyph into its cell; its advance into the table.
void RenderGlyph(FT_Face face, int code, int ascent, uint8_t* base, uint8_t* widths)
{
    widths[code] = 0;
    if (FT_Load_Char(face, UnicodeOf(code), FT_LOAD_RENDER) != 0)
        return;
    const FT_GlyphSlot g = face->glyph;
    widths[code] = static_cast<uint8_t>(std::clamp(static_cast<int>(std::lround(g->advance.x / 64.0)), 0, kCell));
    int sheet, s, t;
    CellOf(code, &sheet, &s, &t);
    uint8_t* image = base + kSheetOffset + sheet * kSheetBytes;
    const FT_Bitmap& bm = g->bitmap;
    const int left = std::max(0, static_cast<int>(g->bitmap_left));
    const int top = ascent - static_cast<int>(g->bitmap_top);
    for (unsigned int row = 0; row < bm.rows; ++row) {
        const int y = top + static_cast<int>(row);
        if (y < 0 || y >= kCell)
            continue;
        const uint8_t* src = bm.buffer + static_cast<ptrdiff_t>(row) * bm.pitch;
        for (unsigned int col = 0; col < bm.width; ++col) {
            const int x = left + static_cast<int>(col);
            if (x < kCell)
                PutI4(image, s + x, t + y, src[col]);
        }
    }
}

}  // namespace

uint16_t OSGetFontEncode()
{
    return OS_FONT_ENCODE_ANSI;
}

int OSInitFont(OSFontHeader* fontData)
{
    s_pFont = nullptr;
    if (!fontData)
        return FALSE;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        OSReport("OSInitFont: FreeType does not start\n");
        return FALSE;
    }
    if (FT_New_Face(library, kFontFile, 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, kPixelSize) != 0) {
        OSReport("OSInitFont: cannot read the font \"%s\"\n", kFontFile);
        if (face)
            FT_Done_Face(face);
        FT_Done_FreeType(library);
        return FALSE;
    }
    const int ascent = std::min(kCell, static_cast<int>(std::lround(face->size->metrics.ascender / 64.0)));
    const int descent = std::min(kCell - ascent, static_cast<int>(std::lround(-face->size->metrics.descender / 64.0)));

    uint8_t* base = reinterpret_cast<uint8_t*>(fontData);
    std::memset(base, 0, kSheetOffset + kNumSheets * kSheetBytes);
    uint8_t* widths = base + kWidthTableOffset;
    for (int code = kFirstChar; code <= kLastChar; ++code)
        if (UnicodeOf(code) != 0)
            RenderGlyph(face, code, ascent, base, widths);
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    OSFontHeader h{};
    h.encode = OS_FONT_ENCODE_ANSI;
    h.firstChar = kFirstChar;
    h.lastChar = kLastChar;
    h.invalidChar = kInvalidChar;
    h.ascent = static_cast<uint16_t>(ascent);
    h.descent = static_cast<uint16_t>(descent);
    h.leading = kCell;
    h.cellWidth = kCell;
    h.cellHeight = kCell;
    h.sheetFormat = GX_TF_I4;
    h.sheetColumns = kCellsPerRow;
    h.sheetRows = kCellsPerRow;
    h.sheetWidth = kSheetSide;
    h.sheetHeight = kSheetSide;
    h.numSheets = kNumSheets;
    h.sheetSize = kSheetBytes;
    h.sheetOffset = kSheetOffset;
    h.widthTableOffset = kWidthTableOffset;
    std::memcpy(fontData, &h, sizeof h);
    // The sheets are texture memory now: the graphics layer reads them later.
    DCStoreRangeNoSync(base + kSheetOffset, kNumSheets * kSheetBytes);
    s_pFont = fontData;
    return TRUE;
}

const char* OSGetFontTexture(const char* string, void** image, int32_t* x, int32_t* y, int32_t* width)
{
    *image = nullptr;
    *x = *y = *width = 0;
    if (!string || !*string)
        return string;
    if (s_pFont) {
        const int code = GlyphCode(static_cast<uint8_t>(*string));
        int sheet, s, t;
        CellOf(code, &sheet, &s, &t);
        const uint8_t* base = reinterpret_cast<const uint8_t*>(s_pFont);
        *image = const_cast<uint8_t*>(base + s_pFont->sheetOffset + sheet * s_pFont->sheetSize);
        *x = s;
        *y = t;
        *width = base[s_pFont->widthTableOffset + code];
    }
    return string + 1;
}

const char* OSGetFontWidth(const char* string, int32_t* width)
{
    *width = 0;
    if (!string || !*string)
        return string;
    if (s_pFont) {
        const uint8_t* base = reinterpret_cast<const uint8_t*>(s_pFont);
        *width = base[s_pFont->widthTableOffset + GlyphCode(static_cast<uint8_t>(*string))];
    }
    return string + 1;
}
