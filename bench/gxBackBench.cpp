// The OpenGL backend on the headless driver: a frame of N lit, textured
// quads, each with its own model matrix (so every draw carries a new state
// snapshot), replayed and finished with GXDrawDone. Read against the
// console's 33.3 ms frame: "share_of_frame" is the measured frame time over
// 33.3 ms (below 1 fits the budget of a 30 fps frame).
//
// Starting video registers the backend with the front end; it stays
// registered only while this benchmark runs, so the benchmarks after it
// measure the front end alone, as they expect.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "datagen/gxTextureEncode.h"
#include "gx/gxCommand.h"
#include "platform/gx.h"
#include "platform/os.h"
#include "platform/vi.h"

namespace {

std::vector<uint8_t> s_fifo(0x80000);
std::vector<uint8_t> s_texels;
const gxBackend* s_pGlBackend = nullptr;  // what VIInit registered, held while detached

bool StartVideo()
{
    static bool s_bStarted = false;
    static bool s_bOk = false;
    if (!s_bStarted) {
        OSInit();
        VISetHeadless(TRUE);
        const gxBackend* before = gxSetBackend(nullptr);
        VIInit();
        s_pGlBackend = gxSetBackend(before);
        s_bStarted = true;
        s_bOk = s_pGlBackend && VIWriteScreenshotPNG("/dev/null") != FALSE;  // true once frames can be read
    }
    return s_bOk;
}

void SetUpScene()
{
    const float n = 1.0f, f = 100.0f;
    const Mtx44 proj = {{0.75f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -n / (f - n), -f * n / (f - n)}, {0, 0, -1, 0}};
    GXSetProjection(proj, GX_PERSPECTIVE);
    GXSetViewport(0, 0, 640, 480, 0, 1);
    GXSetScissor(0, 0, 640, 480);
    GXSetZMode(GX_TRUE, GX_LEQUAL, GX_TRUE);
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxDesc(GX_VA_NRM, GX_DIRECT);
    GXSetVtxDesc(GX_VA_TEX0, GX_DIRECT);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_NRM, GX_NRM_XYZ, GX_F32, 0);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_TEX0, GX_TEX_ST, GX_F32, 0);
    GXSetNumTexGens(1);
    GXSetTexCoordGen2(GX_TEXCOORD0, GX_TG_MTX2x4, GX_TG_TEX0, GX_IDENTITY, GX_FALSE, GX_PTIDENTITY);
    GXSetNumTevStages(1);
    GXSetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    GXSetTevOp(GX_TEVSTAGE0, GX_MODULATE);
    GXLightObj light;
    GXInitLightPos(&light, 0, 0, 1048576.0f);
    GXInitLightDir(&light, 0, 0, -1);
    GXInitLightAttn(&light, 1, 0, 0, 1, 0, 0);
    GXInitLightColor(&light, GXColor{255, 255, 255, 255});
    GXLoadLightObjImm(&light, GX_LIGHT0);
    GXSetNumChans(1);
    GXSetChanCtrl(GX_COLOR0A0, GX_TRUE, GX_SRC_REG, GX_SRC_REG, GX_LIGHT0, GX_DF_CLAMP, GX_AF_SPOT);
    datagen::RgbaImage img;
    img.width = img.height = 64;
    img.rgba.assign(64 * 64 * 4, 200);
    s_texels.clear();
    datagen::EncodeGxTexture(img, GX_TF_CMPR, nullptr, &s_texels);
    static GXTexObj tex;
    GXInitTexObj(&tex, s_texels.data(), 64, 64, GX_TF_CMPR, GX_REPEAT, GX_REPEAT, GX_FALSE);
    GXLoadTexObj(&tex, GX_TEXMAP0);
}

// Starts the GL backend for a frame benchmark and sets up the scene; false
// (the benchmark skipped) when the machine has no OpenGL 3.3 context.
// `before` gets the backend to put back once the benchmark is done.
bool StartScene(benchmark::State& state, const gxBackend** before)
{
    if (!StartVideo()) {
        state.SkipWithError("no OpenGL 3.3 context");
        return false;
    }
    GXInit(s_fifo.data(), static_cast<uint32_t>(s_fifo.size()));
    *before = gxSetBackend(s_pGlBackend);
    SetUpScene();
    return true;
}

// One unit quad facing the viewer, placed by `m`, with its normal and a
// texture coordinate spanning the texture once.
void DrawQuad(const Mtx m)
{
    GXLoadPosMtxImm(m, GX_PNMTX0);
    GXLoadNrmMtxImm(m, GX_PNMTX0);
    GXBegin(GX_QUADS, GX_VTXFMT0, 4);
    const float xs[4] = {-0.5f, 0.5f, 0.5f, -0.5f}, ys[4] = {0.5f, 0.5f, -0.5f, -0.5f};
    for (int v = 0; v < 4; ++v) {
        GXPosition3f32(xs[v], ys[v], 0);
        GXNormal3f32(0, 0, 1);
        GXTexCoord2f32(xs[v] + 0.5f, ys[v] + 0.5f);
    }
    GXEnd();
}

void DrawFrame(int quads)
{
    for (int i = 0; i < quads; ++i) {
        const float x = static_cast<float>(i % 32) - 16.0f, y = static_cast<float>(i / 32 % 24) - 12.0f;
        const Mtx m = {{1, 0, 0, x}, {0, 1, 0, y}, {0, 0, 1, -30.0f - static_cast<float>(i % 7)}};
        DrawQuad(m);
    }
}

}  // namespace

static void BM_BackendFrameOfQuads(benchmark::State& state)
{
    const gxBackend* before = nullptr;
    if (!StartScene(state, &before))
        return;
    std::vector<uint8_t> xfb(640 * 480 * 2);
    const int quads = static_cast<int>(state.range(0));
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        DrawFrame(quads);
        GXCopyDisp(xfb.data(), GX_TRUE);
        GXDrawDone();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Everything drawn has been replayed (GXDrawDone); later benchmarks run
    // without a backend again.
    gxSetBackend(before);
    if (state.iterations() > 0)
        state.counters["share_of_frame"] = seconds / static_cast<double>(state.iterations()) / 0.0333667;
}
BENCHMARK(BM_BackendFrameOfQuads)->Arg(100)->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond);

namespace {

// The combiner of the stage-count frames: stage 0 modulates the texture by
// the lit colour, every later stage multiplies the previous result by a
// konst colour (the shape of a tint stage) and passes alpha on.
void SetUpStages(int stages)
{
    GXSetNumTevStages(static_cast<uint8_t>(stages));
    GXSetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    GXSetTevOp(GX_TEVSTAGE0, GX_MODULATE);
    GXSetTevKColor(GX_KCOLOR0, GXColor{250, 240, 230, 255});
    for (int s = 1; s < stages; ++s) {
        const auto stage = static_cast<GXTevStageID>(s);
        GXSetTevOrder(stage, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR_NULL);
        GXSetTevKColorSel(stage, GX_TEV_KCSEL_K0);
        GXSetTevColorIn(stage, GX_CC_ZERO, GX_CC_CPREV, GX_CC_KONST, GX_CC_ZERO);
        GXSetTevColorOp(stage, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
        GXSetTevAlphaIn(stage, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_APREV);
        GXSetTevAlphaOp(stage, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    }
}

// Layers of quads that each cover the whole 640x480 view (every pixel drawn
// `layers` times), so the frame's cost is the fragment program's.
void DrawLayers(int layers)
{
    for (int i = 0; i < layers; ++i) {
        const Mtx m = {{90, 0, 0, 0}, {0, 90, 0, 0}, {0, 0, 1, -30.0f}};
        DrawQuad(m);
    }
}

double FrameOfStagesNs(int stages, std::vector<uint8_t>* xfb)
{
    SetUpStages(stages);
    const auto start = std::chrono::steady_clock::now();
    DrawLayers(4);
    GXCopyDisp(xfb->data(), GX_TRUE);
    GXDrawDone();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// The same fill drawn with 1 to 4 combiner stages. Each round also draws the
// one- and two-stage frames, so "x_one_stage" and "x_two_stages" (this
// frame's time over theirs) see the same clock and the same neighbours on a
// shared machine. A renderer whose cost grows steeply with the stage count
// may do so between one stage and two: the one-stage ratio sees that too.
static void BM_BackendFrameOfTevStages(benchmark::State& state)
{
    const gxBackend* before = nullptr;
    if (!StartScene(state, &before))
        return;
    std::vector<uint8_t> xfb(640 * 480 * 2);
    const int stages = static_cast<int>(state.range(0));
    FrameOfStagesNs(stages, &xfb);  // the programs built before the timing
    FrameOfStagesNs(1, &xfb);
    FrameOfStagesNs(2, &xfb);
    double stagesNs = 0, oneNs = 0, twoNs = 0;
    for (auto _ : state) {
        const double ns = FrameOfStagesNs(stages, &xfb);
        state.SetIterationTime(ns * 1e-9);
        stagesNs += ns;
        oneNs += FrameOfStagesNs(1, &xfb);
        twoNs += FrameOfStagesNs(2, &xfb);
    }
    gxSetBackend(before);
    if (oneNs > 0)
        state.counters["x_one_stage"] = stagesNs / oneNs;
    if (twoNs > 0)
        state.counters["x_two_stages"] = stagesNs / twoNs;
}
BENCHMARK(BM_BackendFrameOfTevStages)->DenseRange(1, 4)->UseManualTime()->Unit(benchmark::kMillisecond);
