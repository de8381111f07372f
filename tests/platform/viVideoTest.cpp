#include "gxDrawFixture.h"

#include <cstdio>
#include <string>

#include <png.h>

#include "platform/vi.h"
#include "tempDir.h"

namespace {

GXColor PresentedPixel(int x, int y)
{
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    if (!GXTestReadPresented(&rgba, &w, &h) || x >= w || y >= h)
        return GXColor{0, 0, 0, 0};
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
    return GXColor{p[0], p[1], p[2], 255};
}

}  // namespace

class ViVideoTest : public GxDrawTest {
protected:
    void SetUp() override
    {
        GxDrawTest::SetUp();
        if (IsSkipped())
            return;
        VIConfigure(&GXNtsc480IntDf);
        VISetNextFrameBuffer(m_xfb.data());
        VISetBlack(FALSE);
        VIFlush();
    }

    void MakeFrame(GXColor clear)
    {
        GXSetCopyClear(clear, 0xFFFFFF);
        GXTestClearEfb(clear, 0xFFFFFF);
        DrawRect(100, 100, 200, 200, GXColor{255, 0, 0, 255});
        GXCopyDisp(m_xfb.data(), GX_TRUE);
        GXDrawDone();
    }

    std::vector<uint8_t> m_xfb = std::vector<uint8_t>(640 * 480 * 2);
};

TEST_F(ViVideoTest, DisplayCopyIsShownAtTheNextRetraceAndClearsTheFrameBuffer)
{
    MakeFrame(GXColor{0, 0, 64, 255});
    EXPECT_TRUE(ColorNear(GXTestEfbPixel(150, 150), GXColor{0, 0, 64, 255}, 0));  // cleared by the copy
    VIWaitForRetrace();
    EXPECT_TRUE(ColorNear(PresentedPixel(150, 150), GXColor{255, 0, 0, 255}, 0));
    EXPECT_TRUE(ColorNear(PresentedPixel(10, 10), GXColor{0, 0, 64, 255}, 0));

    VISetBlack(TRUE);
    VIWaitForRetrace();
    EXPECT_TRUE(ColorNear(PresentedPixel(150, 150), GXColor{255, 0, 0, 255}, 0));
    VIFlush();
    VIWaitForRetrace();
    EXPECT_TRUE(ColorNear(PresentedPixel(150, 150), GXColor{0, 0, 0, 255}, 0));
    VISetBlack(FALSE);
    VIFlush();
    VIWaitForRetrace();
    EXPECT_TRUE(ColorNear(PresentedPixel(150, 150), GXColor{255, 0, 0, 255}, 0));
}

// Without a window a retrace only notes its frame, composed when read. A
// display copy into the shown frame buffer before the read leaves what the
// retrace showed (the copy gets other storage), and so does the next one,
// which reuses the storage the first frame gave up.
TEST_F(ViVideoTest, HeadlessFramesAreComposedOnlyWhenRead)
{
    const GXColor kFrames[3] = {{0, 0, 64, 255}, {0, 64, 0, 255}, {64, 0, 0, 255}};
    MakeFrame(kFrames[0]);
    const uint64_t composed = GXTestComposedFrames();
    for (int i = 0; i < 5; ++i)
        VIWaitForRetrace();
    EXPECT_EQ(GXTestComposedFrames(), composed);
    for (int i = 1; i < 3; ++i) {
        SCOPED_TRACE(i);
        MakeFrame(kFrames[i]);
        EXPECT_TRUE(ColorNear(PresentedPixel(10, 10), kFrames[i - 1], 0));
        EXPECT_TRUE(ColorNear(PresentedPixel(150, 150), GXColor{255, 0, 0, 255}, 0));
        EXPECT_EQ(GXTestComposedFrames(), composed + static_cast<uint64_t>(i)) << "composed once per retrace read";
        VIWaitForRetrace();
    }
    EXPECT_TRUE(ColorNear(PresentedPixel(10, 10), kFrames[2], 0));
}

TEST_F(ViVideoTest, FieldsRetracesAndCable)
{
    EXPECT_NE(VIGetDTVStatus(), 0u);
    VIWaitForRetrace();
    const uint32_t count = VIGetRetraceCount();
    const uint32_t field = VIGetNextField();
    const OSTime before = OSGetTime();
    VIWaitForRetrace();
    const OSTime after = OSGetTime();
    EXPECT_EQ(VIGetRetraceCount(), count + 1);
    EXPECT_EQ(VIGetNextField(), field ^ 1u);  // interlaced: fields alternate
    EXPECT_GE(after - before, VI_RETRACE_TICKS / 2);

    VIConfigure(&GXNtsc480Prog);
    VIFlush();
    VIWaitForRetrace();
    EXPECT_EQ(VIGetNextField(), 0u);
    VIWaitForRetrace();
    EXPECT_EQ(VIGetNextField(), 0u);
    VIConfigure(&GXNtsc480IntDf);
    VIFlush();
    VIWaitForRetrace();
}

// The wait ends at the first retrace due later than both the time given and
// now, and returns when that retrace was due. Each row starts on a retrace.
TEST_F(ViVideoTest, WaitForRetraceAfterWaitsForTheFirstRetraceLaterThanBoth)
{
    constexpr OSTime T = VI_RETRACE_TICKS;
    const struct {
        const char* name;
        OSTime after;  // from now
        OSTime due;    // from now
    } rows[] = {
        {"before now: the next retrace", -5 * T, T},
        {"now, a retrace: the next one", 0, T},
        {"just before a retrace", T - 1, T},
        {"exactly a retrace: not later than it", T, 2 * T},
        {"a thirtieth of a second: the second retrace", OS_TIMER_CLOCK / 30, 2 * T},
        {"just after two retraces: the third", 2 * T + 1, 3 * T},
    };
    OSSetVirtualClock(TRUE);
    VIWaitForRetrace();  // now on a retrace
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const OSTime now = OSGetTime();
        const uint32_t count = VIGetRetraceCount();
        EXPECT_EQ(VIWaitForRetraceAfter(now + row.after), now + row.due);
        EXPECT_EQ(OSGetTime(), now + row.due);
        EXPECT_EQ(VIGetRetraceCount(), count + 1);
    }
    OSSetVirtualClock(FALSE);
}
