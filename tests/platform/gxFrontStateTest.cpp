#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gxFrontTestUtil.h"
#include "platform/os.h"

namespace {

using GxFrontStateTest = GxFrontTest;

TEST_F(GxFrontStateTest, LightPresetsAndDirection)
{
    GXLightObj l;
    GXInitLightDir(&l, 0.0f, 0.6f, -0.8f);
    EXPECT_EQ(l.dir[1], -0.6f) << "stored towards the light";
    EXPECT_EQ(l.dir[2], 0.8f);

    struct SpotRow { GXSpotFn fn; float a0, a1, a2; };
    const SpotRow spots[] = {
        {GX_SP_OFF, 1, 0, 0}, {GX_SP_FLAT, -500, 1000, 0}, {GX_SP_COS, -1, 2, 0}, {GX_SP_COS2, 0, -1, 2},
        {GX_SP_SHARP, -3, 8, -4}, {GX_SP_RING1, -8, 24, -16}, {GX_SP_RING2, -1, 8, -8},
    };
    for (const SpotRow& r : spots) {
        SCOPED_TRACE(GXSpotFnText(r.fn));
        GXInitLightSpot(&l, 60.0f, r.fn);
        EXPECT_NEAR(l.a[0], r.a0, 1e-3f);
        EXPECT_NEAR(l.a[1], r.a1, 1e-3f);
        EXPECT_NEAR(l.a[2], r.a2, 1e-3f);
    }
    GXInitLightSpot(&l, 95.0f, GX_SP_COS);
    EXPECT_EQ(l.a[0], 1.0f) << "a cutoff over 90 degrees turns the spot off";

    struct DistRow { GXDistAttnFn fn; float k0, k1, k2; };
    const DistRow dists[] = {
        {GX_DA_OFF, 1, 0, 0}, {GX_DA_GENTLE, 1, 0.1f, 0}, {GX_DA_MEDIUM, 1, 0.05f, 0.005f}, {GX_DA_STEEP, 1, 0, 0.01f},
    };
    for (const DistRow& r : dists) {
        SCOPED_TRACE(GXDistAttnFnText(r.fn));
        GXInitLightDistAttn(&l, 10.0f, 0.5f, r.fn);
        EXPECT_FLOAT_EQ(l.k[0], r.k0);
        EXPECT_FLOAT_EQ(l.k[1], r.k1);
        EXPECT_FLOAT_EQ(l.k[2], r.k2);
    }
    GXInitLightDistAttn(&l, 10.0f, 1.0f, GX_DA_STEEP);
    EXPECT_EQ(l.k[2], 0.0f) << "brightness 1 is outside (0, 1): off";

    GXInitLightColor(&l, GXColor{10, 20, 30, 40});
    GXLoadLightObjImm(&l, GX_LIGHT2);
    EXPECT_EQ(gxGet().lights[2].color.g, 20);
    GXLoadLightObjImm(&l, static_cast<GXLightID>(GX_LIGHT0 | GX_LIGHT1));  // not one light: ignored
    EXPECT_EQ(gxGet().lights[0].color.g, 0);
}

TEST_F(GxFrontStateTest, ProjectionAndMatrixMemoryPlacement)
{
    Mtx44 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = static_cast<float>(10 * r + c);
    GXSetProjection(m, GX_PERSPECTIVE);
    const float persp[6] = {0, 2, 11, 12, 22, 23};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(gxGet().projection[i], persp[i]) << i;
    GXSetProjection(m, GX_ORTHOGRAPHIC);
    EXPECT_EQ(gxGet().projection[1], 3.0f);
    EXPECT_EQ(gxGet().projection[3], 13.0f);

    Mtx a;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            a[r][c] = static_cast<float>(r * 4 + c + 1);
    GXLoadTexMtxImm(a, GX_PTTEXMTX1, GX_MTX2x4);  // post matrices are always 3x4
    EXPECT_EQ(gxGet().postMtx[3][0], 1.0f);
    EXPECT_EQ(gxGet().postMtx[5][3], 12.0f);
    GXLoadTexMtxImm(a, GX_TEXMTX0, GX_MTX2x4);
    EXPECT_EQ(gxGet().posTexMtx[31][3], 8.0f);
    EXPECT_EQ(gxGet().posTexMtx[32][0], 0.0f) << "third row untouched by 2x4";
    GXLoadNrmMtxImm(a, GX_PNMTX3);
    EXPECT_EQ(gxGet().nrmMtx[9][0], 1.0f);
    EXPECT_EQ(gxGet().nrmMtx[11][2], 11.0f);
    EXPECT_EQ(gxGet().posTexMtx[GX_IDENTITY + 1][1], 1.0f) << "identity loaded at start-up";
    EXPECT_EQ(gxGet().postMtx[GX_PTIDENTITY - 64 + 2][2], 1.0f);
    GXLoadPosMtxImm(a, 62);  // rows 62..64 would leave the memory
    EXPECT_EQ(gxGet().posTexMtx[62][0], 0.0f) << "ignored: identity row 62 kept";
}

TEST_F(GxFrontStateTest, DrawsShareASnapshotUntilTheStateChanges)
{
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
    auto point = [] {
        GXBegin(GX_POINTS, GX_VTXFMT0, 1);
        GXPosition3f32(0, 0, 0);
        GXEnd();
    };
    point();
    point();
    GXSetCullMode(GX_CULL_NONE);
    point();
    GXSetCopyClear(GXColor{1, 2, 3, 4}, 0x1FFFFFF);
    GXCopyDisp(nullptr, GX_TRUE);
    std::vector<gxCommand> all;
    gxCommand cmd;
    while (Queue().TryPop(cmd))
        all.push_back(std::move(cmd));
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].state, all[1].state);
    EXPECT_NE(all[1].state, all[2].state);
    EXPECT_EQ(all[1].state->cullMode, GX_CULL_BACK);
    EXPECT_EQ(all[2].state->cullMode, GX_CULL_NONE);
    EXPECT_EQ(all[3].kind, gxCommandKind::kCopyDisp);
    EXPECT_TRUE(all[3].clear);
    EXPECT_EQ(all[3].state->copy.clearZ, 0xFFFFFFu) << "24-bit depth";
    EXPECT_EQ(all[3].state->copy.clearColor.b, 3);
    EXPECT_EQ(gxGetFrontStats().draws, 3u);
}

TEST_F(GxFrontStateTest, StoredRangesReachTheBackendAsInvalidations)
{
    static uint8_t block[64];
    DCStoreRangeNoSync(block + 8, 16);
    GXInvalidateTexAll();
    gxCommand a, b;
    ASSERT_TRUE(Queue().TryPop(a));
    ASSERT_TRUE(Queue().TryPop(b));
    EXPECT_EQ(a.kind, gxCommandKind::kInvalidateRange);
    EXPECT_EQ(a.rangeAddr, block + 8);
    EXPECT_EQ(a.rangeBytes, 16u);
    EXPECT_EQ(b.kind, gxCommandKind::kInvalidateTexAll);
    EXPECT_EQ(gxStoredRangeBytesFrom(block + 20), 4u);
    EXPECT_EQ(gxStoredRangeBytesFrom(block + 24), 0u) << "end is exclusive";
}

}  // namespace

// Without a backend a draw is counted and dropped before any command is
// made; attaching one again must deliver the very next draw, and every
// draw's vertices and command are counted either way.
TEST_F(GxFrontStateTest, DrawsWithoutABackendAreCountedAndLaterOnesDelivered)
{
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
    auto triangle = [] {
        GXBegin(GX_TRIANGLES, GX_VTXFMT0, 3);
        for (int i = 0; i < 3; ++i)
            GXPosition3f32(static_cast<float>(i), 0, 0);
        GXEnd();
    };
    struct Row {
        bool bAttached;
        size_t queued;      // commands waiting after the draw
        uint64_t draws, vertices, commands;
    };
    const Row rows[] = {
        {false, 0, 1, 3, 1},
        {false, 0, 2, 6, 2},
        {true, 1, 3, 9, 3},
        {false, 0, 4, 12, 4},
        {true, 1, 5, 15, 5},
    };
    for (const Row& row : rows) {
        const gxBackend* capture = gxSetBackend(nullptr);
        gxSetBackend(row.bAttached ? capture : nullptr);
        triangle();
        EXPECT_EQ(Queue().Size(), row.queued) << row.draws;
        Drain();
        const gxFrontStats stats = gxGetFrontStats();
        EXPECT_EQ(stats.draws, row.draws);
        EXPECT_EQ(stats.vertices, row.vertices);
        EXPECT_EQ(stats.commands, row.commands);
        if (!row.bAttached)
            gxSetBackend(capture);
    }
}
