// The render-state cache's send step, per call: nothing dirty (the common
// case between draws of one material), one group dirty, and every group
// dirty. Read against the console's 33.3 ms frame: "calls_per_frame" is how
// many such calls one frame at 30 frames a second could hold.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/gx.h"
#include "platform/os.h"
#include "eEngine/eRenderStateCache.h"

namespace {

std::vector<uint8_t> s_fifo(0x80000);

void StartGX()
{
    OSInit();
    GXInit(s_fifo.data(), static_cast<uint32_t>(s_fifo.size()));
}

// Measures the loop's wall time itself so the count is a plain number.
struct FrameCounter {
    benchmark::State& state;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    ~FrameCounter()
    {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds > 0.0)
            state.counters["calls_per_frame"] = static_cast<double>(state.iterations()) / (seconds * 30.0);
    }
};

// Marks every one of the 41 groups: Reset marks all but the four stage
// orders, which are then changed.
void DirtyAll(eRenderStateCache& cache, uint32_t toggle)
{
    cache.Reset();
    for (int s = 0; s < eRenderStateCache::kNumStages; ++s)
        cache.SetTevOrder(s, GX_TEXCOORD0, toggle, GX_COLOR0A0);
}

}  // namespace

static void BM_ApplyStateClean(benchmark::State& state)
{
    StartGX();
    eRenderStateCache cache;
    cache.Apply();
    FrameCounter counter{state};
    for (auto _ : state)
        cache.Apply();
}
BENCHMARK(BM_ApplyStateClean);

static void BM_ApplyStateOneGroupDirty(benchmark::State& state)
{
    StartGX();
    eRenderStateCache cache;
    cache.Apply();
    uint32_t toggle = 0;
    FrameCounter counter{state};
    for (auto _ : state) {
        toggle ^= 1;
        cache.Set(RS_BLEND_DST, toggle ? GX_BL_ONE : GX_BL_ZERO);
        cache.Apply();
    }
}
BENCHMARK(BM_ApplyStateOneGroupDirty);

static void BM_ApplyStateAllGroupsDirty(benchmark::State& state)
{
    StartGX();
    eRenderStateCache cache;
    cache.Apply();
    uint32_t toggle = 0;
    FrameCounter counter{state};
    for (auto _ : state) {
        toggle ^= 1;
        DirtyAll(cache, toggle);
        cache.Apply();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ApplyStateAllGroupsDirty);

// The marking alone, to subtract from the all-dirty figure.
static void BM_ApplyStateAllGroupsDirtyMarkOnly(benchmark::State& state)
{
    StartGX();
    eRenderStateCache cache;
    uint32_t toggle = 0;
    for (auto _ : state) {
        toggle ^= 1;
        DirtyAll(cache, toggle);
        benchmark::DoNotOptimize(cache.DirtyGroups());
    }
}
BENCHMARK(BM_ApplyStateAllGroupsDirtyMarkOnly);
