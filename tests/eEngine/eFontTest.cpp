#include "eEngine/eFont.h"

#include <algorithm>
#include <cmath>

#include "datagen/overlayWriters.h"
#include "overlayTestSupport.h"

namespace {

constexpr uint32_t kWrap = eFontDraw::kWordWrap;
constexpr uint32_t kKern = eFontDraw::kKerning;
constexpr uint32_t kTags = eFontDraw::kValueTags;
constexpr uint32_t kMeasure = eFontDraw::kMeasure;

eFont TestFont(bool bKerning)
{
    eFont f;
    f.m_fWidth = 10;
    f.ResetKerningTable();
    f.m_kernTable[int{'a'}] = {0, 1, 5, 2};
    f.m_kernTable[int{'b'}] = {0, 3, 6, 0};
    f.m_nFlags = bKerning ? eFont::kFlagKerning : 0;
    return f;
}

struct LayoutResult { int visible; std::vector<int> breaks; std::vector<float> widths; int nLines; };

LayoutResult Layout(const eFont& f, const char* text, uint32_t flags, float maxWidth,
                    const std::vector<float>& tags = {}, int breakCapacity = eFont::kMaxBreaks)
{
    eFontDraw d;
    d.sText = text;
    d.nFlags = flags;
    d.fMaxWidth = maxWidth;
    d.fValueTags = tags.empty() ? nullptr : tags.data();
    d.nMaxValueTags = static_cast<int>(tags.size());
    int breaks[eFont::kMaxBreaks];
    float widths[eFont::kMaxLines];
    int nBreaks = breakCapacity;
    int nLines = eFont::kMaxLines;
    LayoutResult r;
    r.visible = f.ComputeWordBreaksAndLineWidths(d, breaks, &nBreaks, widths, &nLines);
    r.breaks.assign(breaks, breaks + nBreaks);
    r.widths.assign(widths, widths + std::min(nLines, eFont::kMaxLines));
    r.nLines = nLines;
    return r;
}

TEST(eFontTest, LayoutBreaksWordsAndMeasuresLines)
{
    const eFont plain = TestFont(false);
    const eFont kerned = TestFont(true);
    using V = std::vector<int>;
    using W = std::vector<float>;
    const struct { const char* why; const eFont* font; const char* text; uint32_t flags; float max;
                   std::vector<float> tags; int visible; V breaks; W widths; } rows[] = {
        {"empty", &plain, "", kWrap, 35, {}, 0, {}, {}},
        {"spaces only lay out as nothing", &plain, "    ", kWrap, 35, {}, 0, {}, {0}},
        {"wraps at the last space that fits", &plain, "aa bb cc", kWrap, 35, {}, 6, {2, 5}, {20, 20, 20}},
        {"trailing spaces are ignored", &plain, "aa bb   ", kWrap, 100, {}, 4, {}, {50}},
        {"a long word is not broken", &plain, "abcdefgh", kWrap, 35, {}, 8, {}, {80}},
        {"a line feed ends the line", &plain, "ab\ncde", kWrap, 100, {}, 5, {}, {20, 30}},
        {"backslash-n ends the line", &plain, "ab\\ncde", kWrap, 100, {}, 5, {}, {20, 30}},
        {"carriage returns are skipped", &plain, "a\r\nb", kWrap, 100, {}, 2, {}, {10, 10}},
        {"double backslash is one character", &plain, "a\\\\b", kWrap, 100, {}, 3, {}, {30}},
        {"other escapes are a plain backslash", &plain, "a\\qb", kWrap, 100, {}, 4, {}, {40}},
        {"backslash-t is a break point", &plain, "aa\\tbb", kWrap, 35, {}, 4, {2}, {20, 20}},
        {"value tags while values remain", &plain, "x^y^z^", kWrap | kTags, 1000, {1.5f, 42}, 9, {}, {90}},
        {"tags off: '^' is a character", &plain, "x^", kWrap, 1000, {1.5f}, 2, {}, {20}},
        {"kerning", &kerned, "ab", kKern, 0, {}, 2, {}, {16}},
        {"kerning after a space", &kerned, "a a", kKern, 0, {}, 2, {}, {25}},
        {"kerning needs the font's flag", &plain, "ab", kKern, 0, {}, 2, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const LayoutResult r = Layout(*row.font, row.text, row.flags, row.max, row.tags);
        EXPECT_EQ(r.visible, row.visible);
        EXPECT_EQ(r.breaks, row.breaks);
        if (!row.widths.empty()) {
            EXPECT_EQ(r.widths, row.widths);
        }
    }
}

TEST(eFontTest, LayoutCapacities)
{
    const eFont f = TestFont(false);
    const LayoutResult full = Layout(f, "aa bb cc dd", kWrap, 35, {}, 2);
    EXPECT_EQ(full.breaks, std::vector<int>({2}));
    EXPECT_EQ(full.nLines, 2);
    EXPECT_EQ(full.widths, std::vector<float>({20, 10}));
    EXPECT_EQ(full.visible, 8);

    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "ab\n";
    many += "abc";
    const LayoutResult lines = Layout(f, many.c_str(), kWrap, 1000);
    EXPECT_EQ(lines.nLines, 301);
    ASSERT_EQ(lines.widths.size(), 256u);
    EXPECT_EQ(lines.widths[255], 20.0f);
    EXPECT_EQ(lines.visible, 603);

    EXPECT_EQ(Layout(f, "ab  ", 0, 0).visible, 2);
    EXPECT_EQ(Layout(f, "   ", 0, 0).visible, 0);
}

TEST(eFontTest, MeasuringGivesTheTextRectangle)
{
    eFont f = TestFont(false);
    f.m_fBaseLine = 5;
    const struct { const char* why; const char* text; uint32_t flags; mVec2 size; } rows[] = {
        {"two lines", "ab\ncde", kWrap, {34, 31}}, {"one line", "abc", kWrap, {35, 21}},
        {"a wide first line", "abcde\nab", kWrap, {55, 31}}, {"nothing visible leaves zero", "   ", kWrap, {0, 0}},
        {"the plain path: length by line height", "abc", 0, {30, 10}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eFontDraw d;
        d.sText = row.text;
        d.nFlags = row.flags | kMeasure;
        d.fMaxWidth = 1000;
        const float margins[4] = {1, 2, 3, 4};
        std::copy(margins, margins + 4, d.textMargins);
        d.textRect = {{7, 7}, {9, 9}};
        f.PrintEx(&d);
        EXPECT_EQ(d.textRect.size, row.size) << d.textRect.size.x << " x " << d.textRect.size.y;
        EXPECT_EQ(d.textRect.pos, mVec2(0, 0));
    }
}

TEST(eFontTest, CopiesKerningResetAndCells)
{
    eFont f = TestFont(true);
    f.m_name.Set("small");
    f.m_fBaseLine = 3;
    cMemPool pool("fontCopy", 0x2000, false);
    const eFont* copy = static_cast<eFont*>(f.Copy(&pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->m_name.m_sData, "small");
    EXPECT_EQ(copy->m_fBaseLine, 3.0f);
    EXPECT_EQ(copy->m_kernTable[int{'a'}], f.m_kernTable[int{'a'}]);
    f.m_fWidth = 16.9f;
    f.ResetKerningTable();  // the width truncated
    EXPECT_EQ(f.m_kernTable[int{'a'}], (eFontCharKern{0, 0, 16, 0}));
    float l, t, r, b;
    eFont::GetCellBounds(0x41, &l, &t, &r, &b);  // row 4, column 1
    EXPECT_TRUE(l == 0.0625f && t == 0.25f && r == 0.125f && b == 0.3125f);
}

class eFontBatchTest : public DrawingTest<MaterialTest> {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        if (IsSkipped())
            return;
        m_font = TestFont(true);
        eMaterial* m = datagen::MakeOverlayMaterial(&m_pool, eTextureHandle());
        ASSERT_NE(m, nullptr);
        m_materials.push_back(m);
        m_font.m_hMaterial = eMaterialMgr::Add(3, m, 0x33);
        eFont::BeginRender(nullptr);
    }
    void TearDown() override
    {
        eFont::EndRender();
        DrawingTest::TearDown();
    }
    GXTestDrawStats Draw(const char* text, uint32_t flags, std::vector<float> tags = {})
    {
        eFontDraw d;
        d.sText = text;
        d.nFlags = flags;
        d.fMaxWidth = 100;
        d.fValueTags = tags.empty() ? nullptr : tags.data();
        d.nMaxValueTags = static_cast<int>(tags.size());
        GXTestResetDrawStats();
        m_font.PrintEx(&d);
        return GXTestGetDrawStats();
    }
    eFont m_font;
};

TEST_F(eFontBatchTest, OneQuadPerDrawnGlyph)
{
    const std::string longText(20000, 'x');
    const struct { const char* why; std::string text; uint32_t flags; std::vector<float> tags; uint64_t draws, glyphs; }
        rows[] = {
        {"spaces and breaks draw nothing", "a b\\nc  ", kWrap, {}, 1, 3},
        {"value tags draw their digits", "v=^ ^ ^", kWrap | kTags, {1.5f, -2}, 1, 2 + 3 + 2 + 1},
        {"escapes: one backslash", "a\\\\b\r", kWrap | kKern, {}, 1, 3},
        {"the plain path draws every byte", "a\\nb", 0, {}, 1, 4},
        {"long texts take several batches", longText, kWrap, {}, 2, 20000},
        {"nothing visible draws nothing", "   ", kWrap, {}, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const GXTestDrawStats stats = Draw(row.text.c_str(), row.flags, row.tags);
        EXPECT_EQ(stats.draws, row.draws);
        EXPECT_EQ(stats.vertices, 4 * row.glyphs);
    }
    m_font.m_hMaterial = eMaterialHandle();
    EXPECT_EQ(Draw("abc", kWrap).vertices, 0u);
}

TEST_F(eFontBatchTest, GlyphsTakeTheColourWordsChannelsInOrder)
{
    eTexture* pWhite = MakeTexture(43, eTextureConfig::FORMAT_RGBA8, SolidImage(64, 255, 255, 255));
    ASSERT_NE(pWhite, nullptr);
    eMaterial* m = datagen::MakeOverlayMaterial(&m_pool, pWhite->m_handle);
    m_materials.push_back(m);
    m_font.m_hMaterial = eMaterialMgr::Add(13, m, 0x413);
    eFont::EndRender();
    eVideo::Clear(true, true, 0xFF000000u, 1.0f, nullptr);
    eVideo::Flip();
    eSprite::BeginRender(nullptr);
    m_font.Print("aaaa", 0, 0, 0xFF2060A0u);  // 0xAARRGGBB; glyph cells 10 wide from the middle
    eFontDraw d;
    d.sText = "aa";
    d.nFlags = eFontDraw::kWordWrap;
    d.fMaxWidth = 200;
    d.textJustify = eSprite::SO_MIDRIGHT;
    d.nColor = 0xFF2060A0u;
    d.textMargins[eFontDraw::kLeft] = 8;
    d.textMargins[eFontDraw::kRight] = 4;
    d.destRect = {{-100, -50}, {200, 100}};
    d.textRect = {{-100, -50}, {20, 10}};
    m_font.PrintEx(&d);
    eSprite::EndRender();
    eVideo::Flip();
    PresentedFrame frame;
    ASSERT_TRUE(frame.Read());
    EXPECT_NEAR(frame.At(325, 235, 0), 0x20, 3);
    EXPECT_NEAR(frame.At(325, 235, 1), 0x60, 3);
    EXPECT_NEAR(frame.At(325, 235, 2), 0xA0, 3);
    EXPECT_NEAR(frame.At(355, 235, 2), 0xA0, 3);  // the fourth glyph, 30 along
    EXPECT_EQ(frame.At(365, 235, 2), 0);          // past the last
    const struct { int x; bool bLit; } right[] = {{72, false}, {80, true}, {93, true}, {98, false}};
    for (const auto& probe : right)
        EXPECT_EQ(frame.At(320 + probe.x, 240, 2) > 100, probe.bLit) << probe.x;
}

}  // namespace
