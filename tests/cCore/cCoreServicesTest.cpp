#include "cCore/cCoreServices.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "../test/os_test.h"
#include "cCore/cLog.h"
#include "cCore/cResetDisabler.h"
#include "cCore/cSaveRegion.h"
#include "cCore/cStr.h"

TEST(cCoreServices, Crc32OfKnownTexts)
{
    struct Row {
        const char* text;
        uint32_t crc;
    };
    const Row rows[] = {
        {"123456789", 0xCBF43926u},  // the standard check value; 9 = two rounds of 4 and one byte
        {"", 0u},
        {"a", 0xE8B7BE43u},
        {"abc", 0x352441C2u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(cCalcCRC32(row.text, static_cast<uint32_t>(std::strlen(row.text))), row.crc);
    }
    EXPECT_EQ(cCalcCRC32(nullptr, 4), 0u);
}

TEST(cCoreServices, AtoIIsStrictAndWrapsInsteadOfOverflowing)
{
    struct Row {
        const char* text;
        int32_t value;
    };
    const Row rows[] = {
        {"-12", -12}, {"12a", 0}, {"", 0}, {"-", 0}, {" 12", 0}, {"+5", 0}, {"007", 7},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MIN},  // wraps like the console's 32-bit arithmetic
        {"4294967297", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(cAtoI(row.text), row.value);
    }
    EXPECT_EQ(cAtoI(nullptr), 0);
}

TEST(cCoreServices, CommandLineForms)
{
    struct Row {
        const char* line;
        const char* name;
        bool found;
        const char* value;
    };
    const Row rows[] = {
        {"/LEVEL=Map03 /skip", "level", true, "map03"},
        {"/LEVEL=Map03 /skip", "skip", true, ""},
        {"/LEVEL=Map03 /skip", "ski", false, ""},
        {"/LEVEL=Map03 /skip", "LeVeL", true, "map03"},
        {"/act   2 /map 3", "act", true, "2"},
        {"/map= 3", "map", true, "3"},
        {"/title \"Hello World\" /x", "title", true, "hello world"},
        {"/title \"Open ended", "title", true, "open ended"},
        {"act 1", "act", false, ""},
        {"/a /b", "a", true, "/b"},  // a value is taken as it stands
        {"/mapx 1 /map 2", "map", true, "2"},
        {"/xact 1", "act", false, ""},  // inside another word
        {"", "act", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.line) + " | " + row.name);
        cSetCommandLine(row.line);
        cStr value("%s", "stale");
        EXPECT_EQ(cGetCommandLineValue(row.name, &value), row.found);
        EXPECT_STREQ(value, row.value);
    }
    cStr value;
    cSetCommandLine("/ x");
    EXPECT_FALSE(cGetCommandLineValue("", &value));  // an empty name matches nothing
    EXPECT_FALSE(cGetCommandLineValue(nullptr, &value));
    std::string cut(kCommandLineSize - 3, ' ');
    cut += "/ab";  // the buffer keeps "/a"
    cSetCommandLine(cut.c_str());
    EXPECT_TRUE(cGetCommandLineValue("a", &value));
    EXPECT_FALSE(cGetCommandLineValue("ab", &value));
    cSetCommandLine(nullptr);
    EXPECT_FALSE(cGetCommandLineValue("act", &value));
}

static uint32_t RandOf(uint32_t ms, uint32_t counter)
{
    const uint32_t x = ms + (counter + ms) * 59u;
    const uint32_t y = (x << 13) ^ x;
    return 0x5208F10Fu / (((counter + 1) & 0xFFFFFu) | 1u) + y * (y * y * 15731u + 790753u);
}

TEST(cCoreServices, TimeIsTicksOverAQuarterBusClockAndRandHashesTimeAndCounter)
{
    OSSetVirtualClock(TRUE);
    const double t0 = cGetTimeSeconds();
    OSSleepTicks(OS_BUS_CLOCK / 4 / 8);  // an eighth of a second, exactly
    const double t1 = cGetTimeSeconds();
    EXPECT_NEAR(t1 - t0, 0.125, 1e-9);
    OSSleepTicks(OSMillisecondsToTicks(1) * 7 / 10);  // off the millisecond grid: ms truncates
    const uint32_t ms = static_cast<uint32_t>(cGetTimeSeconds() * 1000.0);
    const uint32_t a = cIRand();
    const uint32_t b = cIRand();
    OSSetVirtualClock(FALSE);
    EXPECT_NE(a, b);
    uint32_t counter = 0;
    while (counter < (1u << 22) && RandOf(ms, counter) != a)
        ++counter;
    ASSERT_LT(counter, 1u << 22) << "no counter gives " << a << " at " << ms << " ms";
    EXPECT_EQ(b, RandOf(ms, counter + 1));
}

static int s_nNotified = 0;
static void CountNotify() { ++s_nNotified; }

TEST(cCoreServices, ResetNotifiesFromTheReleaseOnAndDisablerHoldsItOff)
{
    cClearResetState();
    s_nNotified = 0;
    cResetNotifyFunc old = cSetResetNotify(CountNotify);
    EXPECT_TRUE(cUpdateOS());
    OSTestSetResetButton(TRUE);
    cUpdateOS();
    cUpdateOS();
    EXPECT_EQ(s_nNotified, 0) << "held down: not yet";
    EXPECT_FALSE(cCheckResetState());
    OSTestSetResetButton(FALSE);
    {
        cResetDisabler disabler;
        EXPECT_TRUE(cCheckResetState());
        cUpdateOS();
        EXPECT_EQ(s_nNotified, 0) << "a card write is in progress";
    }
    cUpdateOS();
    EXPECT_EQ(s_nNotified, 1);
    cUpdateOS();
    EXPECT_EQ(s_nNotified, 2) << "every later step notifies again";
    EXPECT_EQ(cSetResetNotify(old), CountNotify);
    cClearResetState();
}

TEST(cCoreServices, CheckFileExtComparesTheLastThreeCharacters)
{
    EXPECT_TRUE(cCheckFileExt("Foo.TGA", "tga"));
    EXPECT_FALSE(cCheckFileExt("Foo.tgx", "tga"));
    EXPECT_FALSE(cCheckFileExt("Foo.xga", "tga"));
    EXPECT_FALSE(cCheckFileExt(nullptr, "tga"));
    EXPECT_TRUE(cCheckFileExt("tga", "TGA"));
    EXPECT_FALSE(cCheckFileExt("ga", "ga"));  // shorter than three: never reads before the name
    EXPECT_FALSE(cCheckFileExt("", ""));
    cStr part;
    EXPECT_STREQ(cGetFileExt("Art/Foo.b.tga", &part), "tga");
    EXPECT_STREQ(cGetFileExt("Foo", &part), "");
    EXPECT_EQ(cToLower('Q'), 'q');
    EXPECT_EQ(cToLower('['), '[');
}
