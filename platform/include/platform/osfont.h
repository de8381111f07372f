#pragma once
// The boot-ROM font of the operating-system layer: one font of the Windows
// (1252) character set, rasterised once by OSInitFont into glyph sheets in
// the caller's buffer, plus per-character advances. Sheets are intensity
// textures (I4) in the graphics layer's tiled layout; a glyph is a cell of
// cellWidth x cellHeight texels at (s, t) on its sheet, with its baseline
// ascent texels below the cell's top. Main thread; the buffer must stay in
// place while the font is used.

#include <cstdint>

// Encodings OSGetFontEncode answers.
constexpr uint16_t OS_FONT_ENCODE_ANSI = 0;  // one byte a character, Windows 1252
constexpr uint16_t OS_FONT_ENCODE_SJIS = 1;  // two-byte Japanese; never answered here

// Buffer sizes the caller reserves for OSInitFont.
constexpr uint32_t OS_FONT_SIZE_ANSI = 0x20000 + 288;
constexpr uint32_t OS_FONT_SIZE_SJIS = 0x120000 + 3840;

// The font's measures, at the start of the buffer OSInitFont filled. Sheet
// offsets count from the header's own address.
struct OSFontHeader {
    uint16_t encode;       // OS_FONT_ENCODE_*
    uint16_t firstChar;    // first code with a glyph
    uint16_t lastChar;     // last code with a glyph
    uint16_t invalidChar;  // drawn for codes without one
    uint16_t ascent;       // texels above the baseline
    uint16_t descent;      // texels below it
    uint16_t leading;      // texels from one baseline to the next
    uint16_t cellWidth;    // texels of one glyph cell
    uint16_t cellHeight;
    uint16_t sheetFormat;  // GXTexFmt of the sheets (GX_TF_I4)
    uint16_t sheetColumns; // cells per sheet row
    uint16_t sheetRows;    // cell rows per sheet
    uint16_t sheetWidth;   // texels
    uint16_t sheetHeight;
    uint16_t numSheets;
    uint16_t reserved;
    uint32_t sheetSize;        // bytes of one sheet
    uint32_t sheetOffset;      // bytes from the header to the first sheet (32-byte aligned)
    uint32_t widthTableOffset; // bytes from the header to 256 advances, one byte each
};

// The encoding of the console's font: always OS_FONT_ENCODE_ANSI.
uint16_t OSGetFontEncode();
// Rasterises the font into fontData, a 32-byte aligned buffer of at least
// OS_FONT_SIZE_ANSI bytes, and makes it the font the other calls use.
// FALSE (reported) when the font file cannot be read; the buffer is then
// unspecified and no font is current.
int OSInitFont(OSFontHeader* fontData);
// The glyph of the character at string: its sheet image, the texel position
// (s, t) of its cell and its advance in texels. Returns the position after
// the character. Without a current font: null image, zeros.
const char* OSGetFontTexture(const char* string, void** image, int32_t* x, int32_t* y, int32_t* width);
// The advance of the character at string; returns the position after it.
const char* OSGetFontWidth(const char* string, int32_t* width);
