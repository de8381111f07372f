#include "eEngine/eVideo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/vi.h"
#include "gx/gxFront_local.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"
#include "eEngine/eViewport.h"
#include "eVideoTestUtil.h"

namespace {

constexpr OSTime kSecond = OS_TIMER_CLOCK;
constexpr OSTime kRetrace = VI_RETRACE_TICKS;

mOCS Identity()
{
    mOCS ocs;
    ocs.MakeIdentity();
    return ocs;
}

// Rows of a matrix in matrix memory, starting at the given row id.
void ExpectRows(int firstRow, const float expected[3][4], float tol = 0.0f)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(gxGet().posTexMtx[firstRow + r][c], expected[r][c], tol) << "row " << r << " column " << c;
}

TEST(eVideo, OrthographicWhenSidePlanesAreOppositeWithinTolerance)
{
    struct Row {
        const char* name;
        float dot;  // of the left and right plane normals
        bool ortho;
    };
    const Row rows[] = {
        {"exactly opposite", -1.0f, true},
        {"inside the tolerance", -0.999995f, true},
        {"past -1 inside the tolerance", -1.000005f, true},
        {"outside the tolerance", -0.9999f, false},
        {"perpendicular, a 90-degree perspective", 0.0f, false},
        {"parallel, same side", 1.0f, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mFrustum f;
        f.SetOrtho(1.0f, 10.0f, -1.0f, 1.0f, 1.0f, -1.0f);
        // Only the dot product matters: (1, 0, 0) . (dot, 0, 0).
        f.planes[mFrustum::kLeft].normal.Set(1.0f, 0.0f, 0.0f);
        f.planes[mFrustum::kRight].normal.Set(row.dot, 0.0f, 0.0f);
        EXPECT_EQ(eVideo::IsOrthographic(f), row.ortho);
    }
}

TEST_F(VideoTest, SetProjectionPicksTheProjectionType)
{
    mFrustum ortho;
    ortho.SetOrtho(1.0f, 100.0f, -4.0f, 4.0f, 3.0f, -3.0f);
    eVideo::SetProjection(ortho);
    EXPECT_EQ(gxGet().projectionType, GX_ORTHOGRAPHIC);
    mFrustum perspective;
    perspective.SetFOV(90.0f, 90.0f, 1.0f, 100.0f);
    eVideo::SetProjection(perspective);
    EXPECT_EQ(gxGet().projectionType, GX_PERSPECTIVE);
    mFrustum back;
    eVideoPlatform::GetProjection(&back);
    for (int i = 0; i < mFrustum::kNumPlanes; ++i)
        EXPECT_EQ(back.planes[i].offset, perspective.planes[i].offset);
}

TEST_F(VideoTest, SetCameraToWorldLoadsTheInverse)
{
    mOCS camera = Identity();
    camera.basis.SetH(90.0f);  // looking along -X
    camera.origin.Set(1.0f, 2.0f, 3.0f);
    eVideo::SetCameraToWorld(camera);
    // World to camera: rotate by -90 about Z after moving by -origin; then
    // (x, y, z) to (x, z, -y).
    const float expected[3][4] = {{0, 1, 0, -2}, {0, 0, 1, -3}, {1, 0, 0, -1}};
    ExpectRows(0, expected, 1e-6f);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(gxGet().nrmMtx[r][c], expected[r][c], 1e-6f);
}

TEST_F(VideoTest, ScaleReachesOnlyThePositionAndNormalMatrices)
{
    mOCS local = Identity();
    local.origin.Set(1.0f, 2.0f, 3.0f);
    eVideo::SetCameraToWorldIdentity();
    eVideo::SetZoneToWorldIdentity();

    eVideo::SetLocalToZone(local, 1.0f);
    const float pos1[3][4] = {{1, 0, 0, 1}, {0, 0, 1, 3}, {0, -1, 0, -2}};
    const float tex2[3][4] = {{1, 0, 0, 1}, {0, 0, 1, 3}, {0, -1, 0, -2}};
    const float tex3[3][4] = {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}};
    ExpectRows(GX_PNMTX0, pos1);
    ExpectRows(GX_TEXMTX2, tex2);
    ExpectRows(GX_TEXMTX3, tex3);

    eVideo::SetLocalToZone(local, 2.0f);
    const float pos2[3][4] = {{2, 0, 0, 1}, {0, 0, 2, 3}, {0, -2, 0, -2}};
    ExpectRows(GX_PNMTX0, pos2);
    ExpectRows(GX_TEXMTX2, tex2);
    ExpectRows(GX_TEXMTX3, tex3);
    EXPECT_EQ(gxGet().nrmMtx[0][0], 2.0f);  // the normal matrix keeps the scale
}

TEST_F(VideoTest, TextureMatricesZeroAndOneInEngineAxesOnRequest)
{
    mOCS zone = Identity();
    zone.origin.Set(100.0f, 0.0f, 0.0f);
    mOCS local = Identity();
    local.basis.SetH(90.0f);
    local.origin.Set(1.0f, 2.0f, 3.0f);
    eVideo::SetZoneToWorld(zone);
    Mtx sevens = {{7, 7, 7, 7}, {7, 7, 7, 7}, {7, 7, 7, 7}};
    GXLoadTexMtxImm(sevens, GX_TEXMTX0, GX_MTX3x4);
    eVideo::SetLocalToZone(local, 1.0f);
    EXPECT_EQ(gxGet().posTexMtx[GX_TEXMTX0][0], 7.0f);  // left alone while not asked

    eVideoPlatform::s_bApplyTexMatrix = true;
    eVideo::SetLocalToZone(local, 3.0f);
    eVideoPlatform::s_bApplyTexMatrix = false;
    // Columns are the local axes in the world, then the world position; no swap, no scale.
    const float expected[3][4] = {{0, -1, 0, 101}, {1, 0, 0, 2}, {0, 0, 1, 3}};
    ExpectRows(GX_TEXMTX0, expected, 1e-6f);
    ExpectRows(GX_TEXMTX1, expected, 1e-6f);
}

TEST_F(VideoTest, ViewportAndScissor)
{
    struct Row {
        const char* name;
        bool bNull;
        eViewport vp;
        uint32_t left, top, wd, ht;
    };
    const Row rows[] = {
        {"rectangle", false, {10, 20, 300, 200}, 10, 20, 300, 200},
        {"null is the full screen", true, {}, 0, 0, 640, 480},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        eVideo::SetViewport(row.bNull ? nullptr : &row.vp);
        const gxState& s = gxGet();
        EXPECT_EQ(s.scissor.left, row.left);
        EXPECT_EQ(s.scissor.top, row.top);
        EXPECT_EQ(s.scissor.wd, row.wd);
        EXPECT_EQ(s.scissor.ht, row.ht);
        EXPECT_EQ(s.viewport.left, static_cast<float>(row.left));
        EXPECT_EQ(s.viewport.wd, static_cast<float>(row.wd));
        EXPECT_EQ(s.viewport.nearZ, 0.0f);
        EXPECT_EQ(s.viewport.farZ, 1.0f);
    }
}

TEST_F(VideoTest, ClearOnlySetsTheCopyColour)
{
    const eViewport vp = {1, 2, 3, 4};
    eVideo::Clear(false, false, 0x80112233u, 0.25f, &vp);
    const gxState& s = gxGet();
    EXPECT_EQ(s.copy.clearColor.r, 0x11);
    EXPECT_EQ(s.copy.clearColor.g, 0x22);
    EXPECT_EQ(s.copy.clearColor.b, 0x33);
    EXPECT_EQ(s.copy.clearColor.a, 0x80);
    EXPECT_EQ(s.copy.clearZ, 0xFFFFFFu);  // the depth argument is ignored
    EXPECT_EQ(s.scissor.wd, 640u);        // and so is the viewport
}

TEST_F(VideoTest, FifoUsageIsZeroWhenNothingWasWritten)
{
    eVideoPlatform::s_fFifoUsage = 0.5f;
    eVideo::BeginRender();
    eVideo::EndRender();
    EXPECT_EQ(eVideoPlatform::s_fFifoUsage, 0.0f);
}

// Records what the flip asks of the render state.
struct FlipRecorder : eRenderStateCache {
    std::vector<std::string> sent;
    uintptr_t alphaUpdateSent = 99;
    void Send(int group) override
    {
        sent.push_back(eStateGroupText(group));
        if (group == SG_ALPHA_UPDATE)
            alphaUpdateSent = Get(RS_ALPHA_UPDATE);
        eRenderStateCache::Send(group);
    }
};

TEST_F(VideoTest, FlipSendsAlphaUpdateOnAndLeavesItOff)
{
    FlipRecorder recorder;
    recorder.Apply();
    recorder.sent.clear();
    recorder.Set(RS_Z_FUNC, GX_ALWAYS);
    recorder.Set(RS_Z_UPDATE, GX_FALSE);
    eVideoPlatform::SetRenderStateCache(&recorder);
    eVideo::Flip();
    eVideoPlatform::SetRenderStateCache(nullptr);
    EXPECT_EQ(recorder.sent, (std::vector<std::string>{"Z_MODE", "ALPHA_UPDATE"}));
    EXPECT_EQ(recorder.alphaUpdateSent, 1u);
    EXPECT_EQ(recorder.Get(RS_Z_COMPARE), 1u);
    EXPECT_EQ(recorder.Get(RS_Z_FUNC), static_cast<uintptr_t>(GX_LEQUAL));
    EXPECT_EQ(recorder.Get(RS_Z_UPDATE), 1u);
    EXPECT_EQ(recorder.Get(RS_ALPHA_UPDATE), 0u);
    EXPECT_FALSE(recorder.IsClean());  // alpha update off goes with the next draw
}

TEST_F(VideoTest, ThirtyFramesInEverySecondNeverMore)
{
    std::vector<OSTime> flips;
    eVideo::Flip();
    for (int i = 0; i < 100; ++i) {
        eVideo::Flip();
        flips.push_back(OSGetTime());
    }
    for (size_t i = 1; i < flips.size(); ++i)
        ASSERT_GE(flips[i] - flips[i - 1], 2 * kRetrace) << "flip " << i;
    for (size_t i = 0; i + 31 < flips.size(); ++i) {
        int n = 0;
        for (OSTime t : flips)
            n += t >= flips[i] && t < flips[i] + kSecond;
        ASSERT_EQ(n, 30) << "second from flip " << i;
    }
}

TEST_F(VideoTest, FastFramesAreHeldSlowOnesAreNot)
{
    // A 10 ms frame shows two retraces after the last one.
    eVideo::Flip();
    OSTime last = OSGetTime();
    OSSleepTicks(OS_TIMER_CLOCK / 100);
    eVideo::Flip();
    EXPECT_EQ(OSGetTime() - last, 2 * kRetrace);
    // A 50 ms frame shows at the first retrace after it ends.
    last = OSGetTime();
    OSSleepTicks(OS_TIMER_CLOCK / 20);
    const OSTime workEnd = OSGetTime();
    ASSERT_GE(workEnd - last, OS_TIMER_CLOCK / 20);
    eVideo::Flip();
    EXPECT_GT(OSGetTime(), workEnd);
    EXPECT_LE(OSGetTime() - workEnd, kRetrace);
}

TEST_F(VideoTest, ProgressiveSwitchIsRememberedAndReported)
{
    EXPECT_TRUE(eVideo::CanDisplayProgressive());
    eVideo::SetProgressiveMode(true);
    EXPECT_EQ(eVideoPlatform::s_pRenderMode, &GXNtsc480Prog);
    EXPECT_EQ(cSaveRegion::GetSaveRegionData(cSaveRegion::kProgressiveWord), 1u);
    EXPECT_TRUE(eVideo::AlwaysPromptProgressive());
    eVideo::SetProgressiveMode(false);
    EXPECT_EQ(eVideoPlatform::s_pRenderMode, &GXNtsc480IntDf);
    EXPECT_FALSE(eVideo::AlwaysPromptProgressive());
}

TEST_F(VideoTest, HeadlessFramesShowTheClearColour)
{
    if (!StartVideoOnce().bHaveGL)
        GTEST_SKIP() << "no OpenGL";
    eVideo::Clear(true, true, 0xFF3366CCu, 1.0f, nullptr);
    for (int i = 0; i < 10; ++i) {
        eVideo::BeginRender();
        eVideo::EndRender();
        eVideo::Flip();
    }
    std::vector<uint8_t> rgba;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
    ASSERT_EQ(width, 640);
    ASSERT_EQ(height, 480);
    ASSERT_EQ(rgba.size(), 640u * 480u * 4u);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{639, 479}, std::pair{320, 240}}) {
        SCOPED_TRACE(::testing::Message() << x << ", " << y);
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * 640 + x) * 4];
        EXPECT_EQ(p[0], 0x33);
        EXPECT_EQ(p[1], 0x66);
        EXPECT_EQ(p[2], 0xCC);
    }
    const std::string path = StartVideoOnce().settingsDir + "/frame.png";
    ASSERT_TRUE(VIWriteScreenshotPNG(path.c_str()));
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    uint8_t signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, 8, f), 8u);
    std::fclose(f);
    EXPECT_EQ(signature[1], 'P');
    EXPECT_EQ(signature[2], 'N');
    EXPECT_EQ(signature[3], 'G');
}

}  // namespace
