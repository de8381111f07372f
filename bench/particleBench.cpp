// Particles: one system of 5,000 live particles stepped (gravity, wind, a
// speed limit, spin) and drawn (fades, colour ramp, 4 x 4 atlas, camera-
// facing quads through the graphics front end) every frame. "frameShare" is
// the measured time of one such frame over the console's 33.3 ms frame
// (below 1 fits; the figure to read is BM_ParticleFrame5000's);
// "nsPerParticle" the time per particle. No backend is registered, so the
// submitted quads end at the front end's decoded vertex stream.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/gx.h"
#include "platform/os.h"
#include "gx/gxCommand.h"
#include "cCore/cMemPool.h"
#include "eEngine/eCamera.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/eParticleSystem.h"
#include "eEngine/eRenderStateCache.h"
#include "mMath/mRand.h"

namespace {

constexpr int kParticles = 5000;
constexpr double kFrameSeconds = 1.0 / 30.0;
constexpr cTimeValue kFrame(20);

struct Scene {
    Scene() : pool("particleBench", 0x100000, false)
    {
        static std::vector<uint8_t> s_fifo(0x80000);
        OSInit();
        GXInit(s_fifo.data(), static_cast<uint32_t>(s_fifo.size()));
        eRenderStateCache::SendAttributeFormats();
        mRandReset();
        emitter.m_nMaxParticles = kParticles;
        emitter.SetBirthDelay(cTimeValue(0));          // every slot fills on the first step
        emitter.SetLifetime(cTimeValue(6000000));      // and stays live, fading in and out
        emitter.SetFadeInTime(cTimeValue(300));
        emitter.SetFadeOutTime(cTimeValue(300));
        emitter.SetInitialSpeed(0.02f);
        emitter.SetInitialSpeedTolerance(0.5f);
        emitter.m_fMaxSpeed = 0.05f;
        emitter.SetGravityScale(0.5f);
        emitter.SetWindScale(1.0f);
        emitter.m_volumeWDH.Set(4, 4, 4);
        emitter.SetRandomRoll(true);
        emitter.m_rollRate = cTimeValue(600);
        emitter.SetColorStart(1, 0.8f, 0.2f);
        emitter.SetColorEnd(0.2f, 0.2f, 1);
        emitter.SetFramesInX(4);
        emitter.SetFramesInY(4);
        emitter.SetFramesPerSecond(15);
        emitter.SetEndFrame(15);
        emitter.SetEndSize(0.5f);
        eParticleSystem::s_wind.Set(0.0001f, 0, 0);
        sys.m_pParticleEmitter = &emitter;
        sys.Reset(&pool);
        sys.Update(kFrame, 1.0f);
        camera.SetCameraToWorld(cameraFrame());
    }
    static mOCS cameraFrame()
    {
        mOCS o;
        o.MakeIdentity();
        o.origin.Set(0, -20, 0);
        return o;
    }

    cMemPool pool;
    eParticleEmitter emitter;
    eParticleSystem sys;
    eCamera camera;
};

void SetCounters(benchmark::State& state, const Scene& scene, const gxFrontStats& before)
{
    const gxFrontStats after = gxGetFrontStats();
    const double frames = static_cast<double>(state.iterations());
    state.counters["liveParticles"] = scene.sys.m_nCurrentParticles;
    state.counters["verticesPerFrame"] = frames > 0 ? static_cast<double>(after.vertices - before.vertices) / frames : 0;
    // Elapsed time over (frames x 33.3 ms) and per particle in ns: inverted
    // rates, printed with a seconds suffix; the numbers are plain ratios.
    state.counters["frameShare"] =
        benchmark::Counter(frames * kFrameSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["nsPerParticle"] =
        benchmark::Counter(frames * kParticles * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

static void BM_ParticleUpdate5000(benchmark::State& state)
{
    Scene scene;
    const gxFrontStats before = gxGetFrontStats();
    for (auto _ : state) {
        scene.sys.Update(kFrame, 1.0f);
        benchmark::DoNotOptimize(scene.sys.m_fVisRadius);
    }
    SetCounters(state, scene, before);
}
BENCHMARK(BM_ParticleUpdate5000)->Unit(benchmark::kMicrosecond);

static void BM_ParticleDraw5000(benchmark::State& state)
{
    Scene scene;
    const gxFrontStats before = gxGetFrontStats();
    for (auto _ : state)
        scene.sys.Draw(scene.camera, nullptr);
    SetCounters(state, scene, before);
}
BENCHMARK(BM_ParticleDraw5000)->Unit(benchmark::kMicrosecond);

static void BM_ParticleFrame5000(benchmark::State& state)
{
    Scene scene;
    const gxFrontStats before = gxGetFrontStats();
    for (auto _ : state) {
        scene.sys.Update(kFrame, 1.0f);
        scene.sys.Draw(scene.camera, nullptr);
    }
    SetCounters(state, scene, before);
}
BENCHMARK(BM_ParticleFrame5000)->Unit(benchmark::kMicrosecond);
