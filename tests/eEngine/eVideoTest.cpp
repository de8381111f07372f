#include "eEngine/eVideo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vi.h"
#include "gx/gxFront_local.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"
#include "eEngine/eViewport.h"
#include "eVideoTestUtil.h"

namespace {

constexpr OSTime kRetrace = VI_RETRACE_TICKS;

void ExpectRows(int firstRow, const float expected[3][4], float tol = 0.0f)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(gxGet().posTexMtx[firstRow + r][c], expected[r][c], tol) << "row " << firstRow + r << ", " << c;
}

TEST_F(VideoTest, SetProjectionIsOrthographicWhenSidePlanesAreOpposite)
{
    const struct { float dot; bool ortho; } rows[] = {{-1.0f, true}, {-0.999995f, true}, {-1.000005f, true},
                                                      {-0.9999f, false}, {0.0f, false}, {1.0f, false}};
    for (const auto& row : rows) {
        mFrustum f;
        f.SetOrtho(1.0f, 10.0f, -1.0f, 1.0f, 1.0f, -1.0f);
        f.planes[mFrustum::kRight].normal.Set(row.dot, 0.0f, 0.0f);  // left is (1, 0, 0)
        eVideo::SetProjection(f);
        EXPECT_EQ(gxGet().projectionType, row.ortho ? GX_ORTHOGRAPHIC : GX_PERSPECTIVE) << row.dot;
    }
}

TEST_F(VideoTest, SetCameraToWorldLoadsTheInverse)
{
    mOCS camera;
    camera.basis.SetH(90.0f);  // looking along -X
    camera.origin.Set(1.0f, 2.0f, 3.0f);
    eVideo::SetCameraToWorld(camera);
    const float expected[3][4] = {{0, 1, 0, -2}, {0, 0, 1, -3}, {1, 0, 0, -1}};
    ExpectRows(GX_PNMTX0, expected, 1e-6f);
    EXPECT_NEAR(gxGet().nrmMtx[2][0], 1.0f, 1e-6f);
}

TEST_F(VideoTest, ScaleReachesOnlyThePositionAndNormalMatrices)
{
    mOCS local;
    local.MakeIdentity();
    local.origin.Set(1.0f, 2.0f, 3.0f);
    const float pos1[3][4] = {{1, 0, 0, 1}, {0, 0, 1, 3}, {0, -1, 0, -2}};
    const float pos2[3][4] = {{2, 0, 0, 1}, {0, 0, 2, 3}, {0, -2, 0, -2}};
    const float rotation[3][4] = {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}};
    for (float scale : {1.0f, 2.0f}) {
        SCOPED_TRACE(scale);
        eVideo::SetLocalToZone(local, scale);
        ExpectRows(GX_PNMTX0, scale == 1.0f ? pos1 : pos2);
        EXPECT_EQ(gxGet().nrmMtx[0][0], scale);
        ExpectRows(GX_TEXMTX2, pos1);
        ExpectRows(GX_TEXMTX3, rotation);
    }
    mOCS zone;
    zone.MakeIdentity();
    zone.origin.Set(100.0f, 0.0f, 0.0f);
    eVideo::SetZoneToWorld(zone);
    eVideoPlatform::s_bApplyTexMatrix = true;
    eVideo::SetLocalToZone(local, 3.0f);
    eVideoPlatform::s_bApplyTexMatrix = false;
    const float world[3][4] = {{1, 0, 0, 101}, {0, 1, 0, 2}, {0, 0, 1, 3}};
    ExpectRows(GX_TEXMTX0, world);
    ExpectRows(GX_TEXMTX1, world);
}

TEST_F(VideoTest, ViewportClearAndFifoUsage)
{
    const eViewport vp = {10, 20, 300, 200};
    eVideo::SetViewport(&vp);
    EXPECT_EQ(gxGet().scissor.top, 20u);
    EXPECT_EQ(gxGet().viewport.wd, 300.0f);
    EXPECT_EQ(gxGet().viewport.farZ, 1.0f);
    eVideo::SetViewport(nullptr);
    EXPECT_EQ(gxGet().scissor.left + gxGet().scissor.top, 0u);
    EXPECT_EQ(gxGet().scissor.wd, 640u);
    EXPECT_EQ(gxGet().viewport.ht, 480.0f);

    eVideo::Clear(false, false, 0x80112233u, 0.25f, &vp);  // only the colour counts
    const GXColor c = gxGet().copy.clearColor;
    EXPECT_EQ(c.r << 24 | c.g << 16 | c.b << 8 | c.a, 0x11223380);
    EXPECT_EQ(gxGet().copy.clearZ, 0xFFFFFFu);

    eVideo::BeginRender();
    eVideo::EndRender();
    EXPECT_EQ(eVideoPlatform::s_fFifoUsage, 0.0f);  // nothing written is not a full ring
}

TEST_F(VideoTest, FlipTurnsAlphaUpdateOnForTheCopyOnly)
{
    struct Recorder : eRenderStateCache {
        std::vector<std::string> sent;
        void Send(int group) override
        {
            sent.push_back(std::string(eStateGroupText(group)) + "=" + std::to_string(Get(RS_ALPHA_UPDATE)));
        }
    } recorder;
    recorder.Apply();
    recorder.sent.clear();
    recorder.Set(RS_Z_UPDATE, GX_FALSE);
    eVideoPlatform::SetRenderStateCache(&recorder);
    eVideo::Flip();
    eVideoPlatform::SetRenderStateCache(nullptr);
    EXPECT_EQ(recorder.sent, (std::vector<std::string>{"Z_MODE=1", "ALPHA_UPDATE=1"}));
    EXPECT_EQ(recorder.Get(RS_Z_UPDATE), 1u);
    EXPECT_EQ(recorder.Get(RS_ALPHA_UPDATE), 0u);  // sent with the next draw
}

TEST_F(VideoTest, FastFramesAreHeldSlowOnesAreNot)
{
    eVideo::Flip();
    OSTime last = OSGetTime();
    OSSleepTicks(OS_TIMER_CLOCK / 100);  // a 10 ms frame
    eVideo::Flip();
    EXPECT_EQ(OSGetTime() - last, 2 * kRetrace);
    OSSleepTicks(OS_TIMER_CLOCK / 20);  // a 50 ms frame shows at the next retrace
    const OSTime workEnd = OSGetTime();
    eVideo::Flip();
    EXPECT_GT(OSGetTime(), workEnd);
    EXPECT_LE(OSGetTime() - workEnd, kRetrace);
}

// Frames done at once are shown two retraces apart and each waits for one
// retrace only: the hold counts from the last flip's retrace, so it never
// drifts into ending just before a retrace (600 frames pass the point where
// a hold counted from its own end would).
TEST_F(VideoTest, HeldFramesStayInStepWithTheRetrace)
{
    eVideo::Flip();
    const OSTime start = OSGetTime();
    const uint32_t retraces = VIGetRetraceCount();
    constexpr int kFrames = 600;
    for (int i = 0; i < kFrames; ++i)
        eVideo::Flip();
    EXPECT_EQ(OSGetTime() - start, kFrames * 2 * kRetrace);
    EXPECT_EQ(VIGetRetraceCount() - retraces, static_cast<uint32_t>(kFrames));
}

// A host wakes a waiting thread late. Counted from the wake-up instead of
// from when the retrace was due, the hold would end past the second retrace
// (two are only 34 us longer than 1/30 s) and show every frame on the third.
TEST_F(VideoTest, LateWakeUpsStillShowFramesTwoRetracesApart)
{
    OSTestSetWakeLatency(OS_TIMER_CLOCK / 10000);  // 100 us
    eVideo::Flip();
    const OSTime start = OSGetTime();
    const uint64_t shown = eVideo::FrameTimes().nFrames;
    constexpr int kFrames = 30;
    for (int i = 0; i < kFrames; ++i)
        eVideo::Flip();
    const OSTime end = OSGetTime();
    OSTestSetWakeLatency(0);
    EXPECT_EQ(end - start, kFrames * 2 * kRetrace);
    EXPECT_EQ(eVideo::FrameTimes().nFrames - shown, static_cast<uint64_t>(kFrames));
    EXPECT_EQ(eVideo::FrameTimes().last, end);
}

TEST(eFrameTimes, DescribesFramesSecondsRateAndTheSlowest)
{
    constexpr int64_t kSecond = OS_TIMER_CLOCK;
    std::vector<int64_t> thirty(601);
    for (size_t i = 0; i < thirty.size(); ++i)
        thirty[i] = kSecond + static_cast<int64_t>(i) * 2 * kRetrace;
    const struct {
        const char* name;
        std::vector<int64_t> shownAt;
        const char* text;
    } rows[] = {
        {"none", {}, "0 frames shown in 0.00 s, 0.00 a second; the slowest took 0.0 ms"},
        {"one: no time between frames", {5000}, "1 frame shown in 0.00 s, 0.00 a second; the slowest took 0.0 ms"},
        {"two retraces, then four; counted from the first",
         {kSecond, kSecond + 2 * kRetrace, kSecond + 6 * kRetrace},
         "3 frames shown in 0.10 s, 19.98 a second; the slowest took 66.7 ms"},
        {"600 frame times of two retraces", thirty,
         "601 frames shown in 20.02 s, 29.97 a second; the slowest took 33.4 ms"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        eFrameTimes times;
        for (int64_t t : row.shownAt)
            times.Add(t);
        char text[128];
        times.Describe(text, sizeof text);
        EXPECT_STREQ(text, row.text);
    }
}

TEST_F(VideoTest, FlipShowsTheClearColour)
{
    if (!StartVideoOnce().bHaveGL)
        GTEST_SKIP() << "no OpenGL";
    eVideo::Clear(true, true, 0xFF3366CCu, 1.0f, nullptr);
    eVideo::Flip();
    eVideo::Flip();
    VIWaitForRetrace();  // the copy goes out at the next retrace
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
    ASSERT_EQ(rgba.size(), 640u * 480u * 4u);
    const size_t centre = (240 * 640 + 320) * 4;
    EXPECT_EQ(rgba[centre] << 16 | rgba[centre + 1] << 8 | rgba[centre + 2], 0x3366CC);
}

}  // namespace
