// Per-frame math hot paths, each over a batch of varied inputs: coordinate
// system composition, frustum-sphere culling and ray-box tests. "per_call" is
// the time of one call; the console's frame is 33.3 ms. The baseline copies
// one coordinate system per call, the least a compose must touch.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "mMath/mBox.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"
#include "mMath/mRay.h"
#include "mMath/mSphere.h"

namespace {

constexpr int kBatch = 1024;

void ReportPerCall(benchmark::State& state)
{
    const double calls = static_cast<double>(state.iterations()) * kBatch;
    state.SetItemsProcessed(static_cast<int64_t>(calls));
    state.counters["per_call"] =
        benchmark::Counter(kBatch, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

struct Inputs {
    std::vector<mOCS> frames;
    std::vector<mSphere> spheres;
    std::vector<mRay> rays;

    Inputs() : frames(kBatch), spheres(kBatch), rays(kBatch)
    {
        std::mt19937 rng(77);
        std::uniform_real_distribution<float> u(-1.0f, 1.0f);
        for (int i = 0; i < kBatch; i++) {
            frames[i].origin.Set(50 * u(rng), 50 * u(rng), 50 * u(rng));
            frames[i].basis.SetHPR(180 * u(rng), 89 * u(rng), 180 * u(rng));
            spheres[i].center.Set(60 * u(rng), 60 + 60 * u(rng), 30 * u(rng));
            spheres[i].radius = 1 + 4 * (u(rng) + 1);
            rays[i].origin.Set(10 * u(rng), 10 * u(rng), 10 * u(rng));
            rays[i].dir.Set(u(rng), u(rng), u(rng));
            rays[i].dir.Normalize();
            rays[i].length = 20;
        }
    }
};

const Inputs& GetInputs()
{
    static const Inputs s_inputs;
    return s_inputs;
}

void BM_MathCopyBaseline(benchmark::State& state)
{
    const Inputs& in = GetInputs();
    std::vector<mOCS> out(kBatch);
    for (auto _ : state) {
        std::memcpy(out.data(), in.frames.data(), sizeof(mOCS) * kBatch);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    ReportPerCall(state);
}
BENCHMARK(BM_MathCopyBaseline);

void BM_OCSCompose(benchmark::State& state)
{
    const Inputs& in = GetInputs();
    std::vector<mOCS> out(kBatch);
    const mOCS& parent = in.frames[0];
    for (auto _ : state) {
        for (int i = 0; i < kBatch; i++)
            out[i].Xform(in.frames[i], parent);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    ReportPerCall(state);
}
BENCHMARK(BM_OCSCompose);

void BM_FrustumClipSphere(benchmark::State& state)
{
    const Inputs& in = GetInputs();
    mFrustum camera, world;
    camera.SetFOV(90, 70, 1, 200);
    world.Xform(camera, in.frames[1]);
    std::vector<mSphere> spheres = in.spheres;
    for (mSphere& s : spheres)
        s.center.Xform(s.center, in.frames[1]);  // about half in view
    for (auto _ : state) {
        unsigned int visible = 0;
        for (int i = 0; i < kBatch; i++)
            visible += world.Clip(spheres[i], mFrustum::kMaskStart) != 0;
        benchmark::DoNotOptimize(visible);
    }
    ReportPerCall(state);
}
BENCHMARK(BM_FrustumClipSphere);

void BM_RayBox(benchmark::State& state)
{
    const Inputs& in = GetInputs();
    mBox box;
    box.minCorner.Set(2, -3, -1);
    box.maxCorner.Set(6, 3, 4);
    for (auto _ : state) {
        unsigned int hits = 0;
        for (int i = 0; i < kBatch; i++) {
            mRayVolHit hit;
            bool inside;
            hits += in.rays[i].Intersect(box, &hit, &inside);
        }
        benchmark::DoNotOptimize(hits);
    }
    ReportPerCall(state);
}
BENCHMARK(BM_RayBox);

}  // namespace
