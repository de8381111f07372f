#include "eEngine/eROMFont.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/os.h"
#include "eEngine/eVideo.h"
#include "eVideoTestUtil.h"
#include "overlayTestSupport.h"

namespace {

struct eROMFontTest : VideoTest {
    void SetUp() override
    {
        VideoTest::SetUp();
        if (!eROMFont::s_pFontData) {
            std::vector<uint8_t> probe(OS_FONT_SIZE_ANSI + 32);
            auto* pFont = reinterpret_cast<OSFontHeader*>(AlignUp(probe.data()));
            ASSERT_FALSE(OSInitFont(pFont)) << "the video start-up did not load the boot-ROM font";
            GTEST_SKIP() << "no boot-ROM font";
        }
        eROMFont::SetFontSize(eROMFont::s_pFontData->cellWidth, 1);
    }
    int Cell() const { return eROMFont::s_pFontData->cellWidth; }
    static uint8_t* AlignUp(void* p)
    {
        return reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(p) + 31) & ~uintptr_t(31));
    }
    static int TopInkRow(const char* text)
    {
        GXTestClearEfb(GXColor{0, 0, 0, 255}, 0xFFFFFF);
        eROMFont::PrintString(0, 0, 0, text);
        GXDrawDone();
        std::vector<uint8_t> rgba;
        if (!GXTestReadEfb(0, 0, 640, 480, &rgba))
            return -1;
        for (size_t i = 0; i < rgba.size() / 4; ++i)
            if (rgba[i * 4] > 128)
                return static_cast<int>(i / 640);
        return -1;
    }
    static int Width(const char* s)
    {
        int w = 0;
        for (; *s; ++s) {
            int32_t c = 0;
            OSGetFontWidth(s, &c);
            w += c;
        }
        return w;
    }
};

TEST_F(eROMFontTest, StartsWithTheVideoDeviceAtTheCellSize)
{
    const OSFontHeader* pFont = eROMFont::s_pFontData;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(pFont) % 32, 0u);
    EXPECT_LE(reinterpret_cast<const uint8_t*>(pFont) + OS_FONT_SIZE_ANSI, static_cast<uint8_t*>(OSGetArenaLo()));
    EXPECT_TRUE(eROMFont::Initialize());  // a second start keeps the font
    EXPECT_EQ(eROMFont::s_pFontData, pFont);
    eROMFont::SetFontSize(-3, 2);
    EXPECT_EQ(eROMFont::s_nFontSize, -48);
}

TEST_F(eROMFontTest, StartUpNeedsTheFontsRoomInTheArena)
{
    OSFontHeader* const pFont = eROMFont::s_pFontData;
    void* const lo = OSGetArenaLo();
    void* const hi = OSGetArenaHi();
    uint8_t* const start = AlignUp(static_cast<uint8_t*>(lo) + 1);
    for (uint32_t room : {OS_FONT_SIZE_ANSI - 1, OS_FONT_SIZE_ANSI}) {
        SCOPED_TRACE(room);
        const bool bFits = room == OS_FONT_SIZE_ANSI;
        eROMFont::s_pFontData = nullptr;
        OSSetArenaLo(static_cast<uint8_t*>(lo) + 1);
        OSSetArenaHi(start + room);
        EXPECT_EQ(eROMFont::Initialize(), bFits);
        EXPECT_EQ(reinterpret_cast<uint8_t*>(eROMFont::s_pFontData), bFits ? start : nullptr);
        EXPECT_EQ(OSGetArenaLo(), bFits ? static_cast<void*>(start + room) : static_cast<uint8_t*>(lo) + 1);
    }
    eROMFont::s_pFontData = pFont;
    OSSetArenaLo(lo);
    OSSetArenaHi(hi);
}

TEST_F(eROMFontTest, MeasuresLines)
{
    const struct { const char* text; int width; int lines; } rows[] = {
        {"", 0, 1},
        {"Disc", Width("Disc"), 1},
        {"ab\nlonger line", Width("longer line"), 2},
        {"longer line\nab\n", Width("longer line"), 3},
        {"\x99\xE9", Width("\x99\xE9"), 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::string(row.text)));  // escaped: not all are UTF-8
        EXPECT_EQ(eROMFont::GetStringWidth(row.text), row.width);
        EXPECT_EQ(eROMFont::GetStringHeight(row.text), row.lines * Cell());
    }
}

TEST_F(eROMFontTest, LoadsASheetOnlyWhenTheGlyphNeedsAnother)
{
    const struct { const char* text; uint32_t loads; int width; } rows[] = {
        {"AB", 1, Width("AB")},         // both on sheet 0
        {"A\x84" "B", 3, Width("A\x84" "B")},  // 0x84 is the first glyph of sheet 1
        {"x\ny", 1, Width("y")},        // the width of the last line
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::string(row.text)));  // escaped: not all are UTF-8
        const uint32_t before = eROMFont::s_nSheetLoads;
        EXPECT_EQ(eROMFont::PrintString(0, 0, 0, row.text), row.width);
        EXPECT_EQ(eROMFont::s_nSheetLoads - before, row.loads);
    }
}

TEST_F(eROMFontTest, NewLineStepsByTheScaledLeading)
{
    if (!StartVideoOnce().bHaveGL)
        GTEST_SKIP() << "no OpenGL";
    OSFontHeader& font = *eROMFont::s_pFontData;
    const uint16_t leading = font.leading;
    font.leading = static_cast<uint16_t>(font.cellWidth + 6);
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        eROMFont::SetFontSize(scale * Cell(), 1);
        EXPECT_EQ(TopInkRow("\nA") - TopInkRow("A"), scale * (Cell() + 6));
    }
    font.leading = leading;
}

TEST_F(eROMFontTest, LongFormattedTextsAreCut)
{
    if (!StartVideoOnce().bHaveGL)
        GTEST_SKIP() << "no OpenGL";
    const std::string text(3000, 'x');
    GXTestResetDrawStats();
    eROMFont::Print("%s%s", text.c_str(), "tail");
    const GXTestDrawStats stats = GXTestGetDrawStats();
    EXPECT_EQ(stats.vertices, 4u * (eROMFont::kPrintBufferSize - 1));
}

}  // namespace
