#include "cCore/cLog.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct Line {
    cLogType type;
    std::string text;
};

struct Capture {
    std::vector<Line> lines;
    void* pSeenUser = nullptr;
    cLogFunc previous;
    Capture() { previous = cLogSetCallback(Record, this); }
    ~Capture() { cLogSetCallback(previous, nullptr); }
    static void Record(void* user, cLogType type, const char* text)
    {
        Capture* c = static_cast<Capture*>(user);
        c->pSeenUser = user;
        c->lines.push_back({type, text});
    }
};

}  // namespace

TEST(cLog, EntryPointsPassTheirKindAndFormattedText)
{
    Capture capture;
    cLogInfo_("a %d", 1);
    cLogWarn_("b %s", "x");
    cLogError_("c");
    cLogRaw_("d%c", '!');
    ASSERT_EQ(capture.lines.size(), 4u);
    EXPECT_EQ(capture.pSeenUser, &capture);
    const Line expected[] = {
        {LOGTYPE_INFO, "a 1"}, {LOGTYPE_WARNING, "b x"}, {LOGTYPE_ERROR, "c"}, {LOGTYPE_RAW, "d!"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(capture.lines[i].type, expected[i].type);
        EXPECT_EQ(capture.lines[i].text, expected[i].text);
    }
}

TEST(cLog, LongMessageIsCutTo511Characters)
{
    Capture capture;
    const std::string text(600, 'x');
    cLogInfo_("%s", text.c_str());
    ASSERT_EQ(capture.lines.size(), 1u);
    EXPECT_EQ(capture.lines[0].text, std::string(511, 'x'));
}

TEST(cLog, DefaultOutputPrefixesEachKindAndKeepsALongMessageWhole)
{
    cLogFunc previous = cLogSetCallback(cLogDefaultCallback, nullptr);
    testing::internal::CaptureStderr();
    cLogInfo_("i");
    cLogWarn_("w");
    cLogError_("e");
    cLogRaw_("r");
    cLogError_("%s", std::string(700, 'y').c_str());
    const std::string out = testing::internal::GetCapturedStderr();
    cLogSetCallback(previous, nullptr);
    EXPECT_EQ(out, "[Info   ] i\n[Warning] w\n[Error]   e\nr\n[Error]   " + std::string(511, 'y') + "\n");
}

// A quiet scope drops the warnings and errors of its own thread only, while
// it lives (nested ones too); info and raw lines, and every line of another
// thread, still pass.
TEST(cLog, QuietScopeDropsOnlyItsThreadsWarningsAndErrors)
{
    Capture capture;
    {
        const cLogQuietScope quiet;
        {
            const cLogQuietScope inner;
            cLogWarn_("w1");
        }
        cLogError_("e1");
        cLogInfo_("i1");
        cLogRaw_("r1");
        std::thread([] {
            cLogWarn_("w2");
            cLogError_("e2");
        }).join();
    }
    cLogError_("e3");
    const Line expected[] = {{LOGTYPE_INFO, "i1"},
                             {LOGTYPE_RAW, "r1"},
                             {LOGTYPE_WARNING, "w2"},
                             {LOGTYPE_ERROR, "e2"},
                             {LOGTYPE_ERROR, "e3"}};
    ASSERT_EQ(capture.lines.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(capture.lines[i].type, expected[i].type);
        EXPECT_EQ(capture.lines[i].text, expected[i].text);
    }
}
