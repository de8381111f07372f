#include "platform/osfont.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/gx.h"

namespace {

const OSFontHeader* Font()
{
    static void* s_pBuffer = std::aligned_alloc(32, 0x20200);
    static const bool s_bOk = OSInitFont(static_cast<OSFontHeader*>(s_pBuffer)) != 0;
    return s_bOk ? static_cast<const OSFontHeader*>(s_pBuffer) : nullptr;
}

struct Glyph {
    const uint8_t* image;
    int32_t s, t, width;
    std::vector<int> texels;  // the cell, row by row, 0-15
};

Glyph GlyphOf(uint8_t c)
{
    const char text[2] = {static_cast<char>(c), 0};
    void* image = nullptr;
    Glyph g{};
    EXPECT_EQ(OSGetFontTexture(text, &image, &g.s, &g.t, &g.width), text + 1);
    g.image = static_cast<const uint8_t*>(image);
    for (int y = g.t; g.image && y < g.t + Font()->cellHeight; ++y)
        for (int x = g.s; x < g.s + Font()->cellWidth; ++x) {
            const int within = (y % 8) * 8 + (x % 8);
            const uint8_t b = g.image[((y / 8) * 32 + x / 8) * 32 + within / 2];
            g.texels.push_back((within & 1) ? (b & 0xF) : (b >> 4));
        }
    return g;
}

TEST(osFontTest, MeasuresCellsAndAdvances)
{
    ASSERT_NE(Font(), nullptr) << "DejaVu Sans is needed";
    const OSFontHeader& f = *Font();
    EXPECT_EQ(OSGetFontEncode(), OS_FONT_ENCODE_ANSI);
    EXPECT_EQ(f.cellWidth, 24);
    EXPECT_EQ(f.cellHeight, 24);
    EXPECT_GT(f.ascent, f.descent);
    EXPECT_LE(f.ascent + f.descent, f.cellHeight);
    EXPECT_EQ(f.sheetFormat, GX_TF_I4);
    EXPECT_EQ(f.sheetSize, 256u * 256u / 2u);
    EXPECT_EQ(f.sheetOffset % 32, 0u);
    EXPECT_EQ(f.numSheets, 3);
    EXPECT_LE(f.sheetOffset + f.numSheets * f.sheetSize, OS_FONT_SIZE_ANSI);
    const uint8_t* sheet0 = reinterpret_cast<const uint8_t*>(&f) + f.sheetOffset;
    const struct { const char* why; uint8_t c; int sheet, s, t; } rows[] = {
        {"the first glyph, top left of sheet 0", ' ', 0, 0, 0},
        {"'A' is glyph 33: row 3, column 3", 'A', 0, 72, 72},
        {"glyph 100 opens sheet 1", 0x84, 1, 0, 0},
        {"the last glyph: 223 is cell 23 of sheet 2", 0xFF, 2, 72, 48},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const Glyph g = GlyphOf(row.c);
        EXPECT_EQ(g.image, sheet0 + row.sheet * f.sheetSize);
        EXPECT_EQ(g.s, row.s);
        EXPECT_EQ(g.t, row.t);
    }
    int32_t wi = 0, ww = 0;
    const char* w = "W";
    OSGetFontWidth("i", &wi);
    EXPECT_EQ(OSGetFontWidth(w, &ww), w + 1);
    EXPECT_GT(wi, 0);
    EXPECT_GT(ww, wi);  // proportional, within the cell
    EXPECT_LE(ww, f.cellWidth);
    EXPECT_EQ(GlyphOf('W').width, ww);
}

}  // namespace
