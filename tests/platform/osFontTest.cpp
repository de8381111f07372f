#include "platform/osfont.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/gx.h"
#include "platform/os.h"

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// One font for the whole suite, rasterised once into a buffer of the size
// the engine reserves.
const OSFontHeader* Font()
{
    static std::unique_ptr<void, FreeDeleter> s_buffer(std::aligned_alloc(32, 0x20200));
    static const bool s_bOk = OSInitFont(static_cast<OSFontHeader*>(s_buffer.get())) != 0;
    return s_bOk ? static_cast<const OSFontHeader*>(s_buffer.get()) : nullptr;
}

struct Glyph {
    const uint8_t* image;
    int32_t s, t, width;
};

Glyph GlyphOf(uint8_t c)
{
    const char text[2] = {static_cast<char>(c), 0};
    void* image = nullptr;
    Glyph g{};
    const char* next = OSGetFontTexture(text, &image, &g.s, &g.t, &g.width);
    EXPECT_EQ(next, text + 1);
    g.image = static_cast<const uint8_t*>(image);
    return g;
}

// The I4 texel at (x, y) of a 256-wide sheet: 8 x 8 blocks, high nibble first.
int Texel(const uint8_t* sheet, int x, int y)
{
    const int within = (y % 8) * 8 + (x % 8);
    const uint8_t b = sheet[((y / 8) * 32 + x / 8) * 32 + within / 2];
    return (within & 1) ? (b & 0xF) : (b >> 4);
}

// The cell's texels, row by row.
std::vector<int> CellTexels(const OSFontHeader& f, const Glyph& g)
{
    std::vector<int> texels;
    for (int y = 0; y < f.cellHeight; ++y)
        for (int x = 0; x < f.cellWidth; ++x)
            texels.push_back(Texel(g.image, g.s + x, g.t + y));
    return texels;
}

int InkOf(const std::vector<int>& texels)
{
    int ink = 0;
    for (int v : texels)
        ink += v;
    return ink;
}

TEST(osFontTest, MeasuresFitTheCellAndTheBuffer)
{
    ASSERT_NE(Font(), nullptr) << "DejaVu Sans is needed";
    const OSFontHeader& f = *Font();
    EXPECT_EQ(OSGetFontEncode(), OS_FONT_ENCODE_ANSI);
    EXPECT_EQ(f.cellWidth, 24);
    EXPECT_EQ(f.cellHeight, 24);
    EXPECT_GT(f.ascent, f.descent);
    EXPECT_LE(f.ascent + f.descent, f.cellHeight);
    EXPECT_EQ(f.sheetFormat, GX_TF_I4);
    EXPECT_EQ(f.sheetWidth, 256);
    EXPECT_EQ(f.sheetSize, 256u * 256u / 2u);
    EXPECT_EQ(f.sheetOffset % 32, 0u);
    // 224 glyphs from 0x20, ten by ten to a sheet.
    EXPECT_EQ(f.firstChar, 0x20);
    EXPECT_EQ(f.lastChar, 0xFF);
    EXPECT_EQ(f.numSheets, 3);
    EXPECT_LE(f.sheetOffset + f.numSheets * f.sheetSize, OS_FONT_SIZE_ANSI);
}

TEST(osFontTest, GlyphCellsAndAdvances)
{
    ASSERT_NE(Font(), nullptr);
    const uint8_t* sheet0 = reinterpret_cast<const uint8_t*>(Font()) + Font()->sheetOffset;
    const struct { const char* why; uint8_t c; int sheet, s, t; } rows[] = {
        {"the first glyph, top left of sheet 0", ' ', 0, 0, 0},
        {"'A' is glyph 33: row 3, column 3", 'A', 0, 72, 72},
        {"glyph 100 opens sheet 1", 0x84, 1, 0, 0},
        {"the last glyph: 223 is cell 23 of sheet 2", 0xFF, 2, 72, 48},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const Glyph g = GlyphOf(row.c);
        EXPECT_EQ(g.image, sheet0 + row.sheet * Font()->sheetSize);
        EXPECT_EQ(g.s, row.s);
        EXPECT_EQ(g.t, row.t);
    }
    // Proportional advances within the cell.
    int32_t wi = 0, ww = 0, wsp = 0;
    const char* text = "iW ";
    text = OSGetFontWidth(text, &wi);
    text = OSGetFontWidth(text, &ww);
    OSGetFontWidth(text, &wsp);
    EXPECT_GT(wi, 0);
    EXPECT_GT(ww, wi);
    EXPECT_GT(wsp, 0);
    EXPECT_LE(ww, Font()->cellWidth);
    EXPECT_EQ(GlyphOf('W').width, ww);
}

TEST(osFontTest, WindowsCharactersHaveTheirOwnGlyphs)
{
    ASSERT_NE(Font(), nullptr);
    const OSFontHeader& f = *Font();
    EXPECT_EQ(InkOf(CellTexels(f, GlyphOf(' '))), 0);
    // Accented letters of the six languages differ from their base letter
    // and carry more ink; 0x80 and 0x99 are the euro and trade-mark signs.
    const struct { uint8_t accented, base; } rows[] = {
        {0xE9, 'e'}, {0xE8, 'e'}, {0xE0, 'a'}, {0xE7, 'c'}, {0xF1, 'n'}, {0xFC, 'u'},
        {0xF6, 'o'}, {0xC9, 'E'}, {0xEF, 'i'}, {0xDF, 'B'}, {0xD6, 'O'},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.accented);
        const auto accented = CellTexels(f, GlyphOf(row.accented));
        const auto base = CellTexels(f, GlyphOf(row.base));
        EXPECT_NE(accented, base);
        EXPECT_GT(InkOf(accented), 0);
    }
    for (uint8_t c : {0x80, 0x99, 0x9C, 0x8A}) {
        SCOPED_TRACE(c);
        EXPECT_GT(InkOf(CellTexels(f, GlyphOf(c))), 40);
        EXPECT_GT(GlyphOf(c).width, 0);
    }
    // The trade-mark sign sits high: its ink lies above the baseline.
    const auto tm = CellTexels(f, GlyphOf(0x99));
    int below = 0;
    for (int y = f.ascent; y < f.cellHeight; ++y)
        for (int x = 0; x < f.cellWidth; ++x)
            below += tm[y * f.cellWidth + x];
    EXPECT_EQ(below, 0);
}

TEST(osFontTest, CodesWithoutAGlyphDrawTheInvalidCharacter)
{
    ASSERT_NE(Font(), nullptr);
    const Glyph q = GlyphOf(Font()->invalidChar);
    for (uint8_t c : {0x81, 0x8D, 0x8F, 0x90, 0x9D, 0x09, 0x01}) {
        SCOPED_TRACE(c);
        const Glyph g = GlyphOf(c);
        EXPECT_EQ(g.image, q.image);
        EXPECT_EQ(g.s, q.s);
        EXPECT_EQ(g.t, q.t);
        EXPECT_EQ(g.width, q.width);
    }
    // The end of the string is not a character.
    void* image = reinterpret_cast<void*>(1);
    int32_t s = 5, t = 5, w = 5;
    const char* empty = "";
    EXPECT_EQ(OSGetFontTexture(empty, &image, &s, &t, &w), empty);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(w, 0);
}

}  // namespace
