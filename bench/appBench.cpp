// The sample game's map of three regions. BM_SampleMapFrame: one map frame
// in this process (Update, Cull and Draw through the graphics front end; no
// backend is registered, so drawing ends at the front end), "frame_share"
// being its time over the console's 33.3 ms frame.
//
// BM_HeadlessSampleMapRun runs the program itself, headless, on the sample
// map: a short and a long run, each the best of three (the machine may be
// shared). The extra frames of the long run over the extra wall time give
// "x_real_time", the map loop's speed as a multiple of real time (each frame
// is two retraces of game time). A headless run that captures no frame draws
// nothing (the graphics front end still decodes every command), so this is
// the game's own pace; "x_real_time_drawn" is the same with a capture, every
// frame drawn by the OpenGL backend (a shorter long run: drawing on the
// software rasteriser is slow). "waits_per_frame" counts the times a thread
// of the undrawn run gave up the CPU to wait, per frame the long run adds: a
// scheduler that woke every waiting thread at each step of the clock would
// show here. "short_run_ms" is the whole 60-frame run:
// start-up, the start-up notice's frames, the map's loading, its first
// frames and the shut-down. "cold_start_ms" is the time from starting the
// process to its log saying the map's first frame is shown: start-up, the
// start-up notice, the loading and that frame.
// QM_BENCH_PROGRAM names another build's program to run instead, to compare
// two builds in one sitting.
//
// This file's name sorts first, so its benchmarks are registered and run
// first: loading the map needs several MB of the console heap, which some
// later benchmarks keep for the whole run.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "../test/audio_test.h"
#include "../test/os_test.h"
#include "platform/ar.h"
#include "platform/dvd.h"
#include "platform/gx.h"
#include "platform/os.h"
#include "platform/vi.h"
#include "cCore/cCoreServices.h"
#include "cCore/cMemPool.h"
#include "datagen/datagen.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eRenderStateCache.h"
#include "eEngine/eVideoPlatform.h"
#include "gx/gxCommand.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/flow/gcRegionLoader.h"
#include "gcGameCore/script/gcMsg.h"

namespace {

constexpr double kFrameSeconds = 1.0 / 30.0;
constexpr double kRetraceSeconds = 1001.0 / 60000.0;  // 59.94 retraces a second
constexpr long kShortRun = 60;   // frames: the map is running by then
constexpr long kLongRun = 960;
constexpr long kLongDrawnRun = 360;
constexpr int kRounds = 3;

// The sample map loaded as the map loop finds it, in a scratch directory.
class SampleMap {
public:
    SampleMap()
    {
        OSInit();
        GXInit(m_fifo.data(), static_cast<uint32_t>(m_fifo.size()));
        eRenderStateCache::SendAttributeFormats();
        // The render state as the video start-up leaves it: the vertex type
        // sent, not only the cache cleared (the ambient pass draws first).
        eVideoPlatform::ResetState();
        m_poolsWithMemory = PoolsWithMemory();
        std::error_code ec;
        m_dir = (std::filesystem::temp_directory_path(ec) / ("qm_appBench_" + std::to_string(getpid()))).string();
        if (!datagen::WriteSampleGame(m_dir))
            return;
        DVDSetDataDirectory(m_dir.c_str());
        gcGameConfig::s_dataPath.Set("%s", "");
        StartAudio();
        // As the program starts: the game configuration (the texture
        // configurations the map's textures fill), the platform
        // configuration and the game, then the act and the map.
        if (!gcGame::LoadBackground() || !gcGame::LoadAct(0) || !gcAct::s_pAct->LoadMap(0))
            return;
        m_pMap = gcMap::s_pMap;
        if (!m_pMap->LoadRegions(m_pMap->m_nInitialRegionId)) {
            m_pMap = nullptr;
            return;
        }
        m_pMap->UpdateRegions(true);
        PlaceCamera();
    }
    ~SampleMap()
    {
        gcRegionLoader::Get()->WaitForFinish();
        gcRegionLoader::Get()->Clear();
        // The regions' pools, as leaving the map gives them back.
        if (gcMap::s_pMap)
            gcMap::s_pMap->FreeMapAllocatedMemory();
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        gcGame::Unload();
        gcPlatformConfig::Unload();
        gcGameConfig::Unload();
        DVDSetDataDirectory("");
        if (m_bStartedAudio)
            eAudioPlatform::Uninitialize();
        OSTestSetSettingsDir(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
        FreeNewPoolMemory();
    }
    gcMap* Map() const { return m_pMap; }

private:
    // The program's audio start-up, unless an earlier benchmark made it: the
    // map's sounds and music go into audio memory. Frames are mixed only
    // when asked (nobody listens), and the sound mode it sets is kept in the
    // scratch directory, not the user's settings.
    void StartAudio()
    {
        if (ARCheckInit())
            return;
        OSTestSetSettingsDir(m_dir.c_str());
        AITestSetManualFrames(TRUE);
        m_bStartedAudio = eAudioPlatform::Initialize();
    }

    static std::set<cMemPool*> PoolsWithMemory()
    {
        std::set<cMemPool*> pools;
        cMemPool* const pFirst = cMemPool::s_pPoolList;
        for (cMemPool* p = pFirst; p; p = p->GetNext() == pFirst ? nullptr : p->GetNext()) {
            if (p->HasMemory())
                pools.insert(p);
        }
        return pools;
    }
    // The game keeps its long-lived pools' memory (textures, the map) after
    // unloading; given back here, so the benchmarks after this one find the
    // console heap as it was.
    void FreeNewPoolMemory() const
    {
        for (cMemPool* p : PoolsWithMemory()) {
            if (!m_poolsWithMemory.count(p))
                p->FreePoolMemory();
        }
    }

    // The camera as the map's start sets it up (its clip planes), standing
    // in the west region looking over it.
    void PlaceCamera()
    {
        gcGameCamera* pCamera = gcGameCamera::Get();
        eCamera& camera = pCamera->m_camera;
        mFrustum frustum = camera.m_frustum;
        frustum.planes[mFrustum::kNear].offset = 0.1f;
        frustum.planes[mFrustum::kFar].offset = -m_pMap->m_fFarClip;
        camera.m_fFarClip = 512.0f;
        camera.SetFrustum(frustum);
        pCamera->Reset(false);
        mOCS view;
        view.LookAt(mVec3{-8.0f, -12.0f, 6.0f}, mVec3{8.0f, 0.0f, 0.0f}, mVec3{0.0f, 0.0f, 1.0f});
        camera.SetCameraToWorld(view);
    }

    std::vector<uint8_t> m_fifo = std::vector<uint8_t>(0x80000);
    std::string m_dir;
    gcMap* m_pMap = nullptr;
    std::set<cMemPool*> m_poolsWithMemory;  // before the load
    bool m_bStartedAudio = false;
};

// The program to run: this build's, or another build's.
std::string Program()
{
    const char* other = std::getenv("QM_BENCH_PROGRAM");
    return other && *other ? other : QM_QUILLMERE;
}

// Times the program's threads gave up the CPU to wait, over every child
// process waited for so far.
long ChildWaits()
{
    rusage use = {};
    getrusage(RUSAGE_CHILDREN, &use);
    return use.ru_nvcsw;
}

// Wall seconds of a headless run of the sample map, its frames drawn or not;
// negative when it failed. pWaits, when given, gets the run's waits.
double RunSeconds(long nFrames, bool bDrawn = false, long* pWaits = nullptr)
{
    const std::string cmd = Program() + " --headless --frames " + std::to_string(nFrames) +
                            (bDrawn ? " --capture /dev/null" : "") + " /act 1 /map 1 >/dev/null 2>&1";
    const long waits = ChildWaits();
    const auto t0 = std::chrono::steady_clock::now();
    const int status = std::system(cmd.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (pWaits)
        *pWaits = ChildWaits() - waits;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1.0;
}

// Wall seconds from starting a headless run of the sample map to its log
// saying the map's first frame is shown; negative when it never did or the
// run failed.
double ColdStartSeconds()
{
    const std::string cmd = "exec " + Program() + " --headless --frames " + std::to_string(kShortRun) +
                            " /act 1 /map 1 2>&1";
    const auto t0 = std::chrono::steady_clock::now();
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe)
        return -1.0;
    double seconds = -1.0;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        if (seconds < 0.0 && std::strstr(line, "its first frame is shown"))
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1.0;
}

}  // namespace

static void BM_SampleMapFrame(benchmark::State& state)
{
    SampleMap sample;
    gcMap* pMap = sample.Map();
    if (!pMap) {
        state.SkipWithError("the sample map could not be loaded");
        return;
    }
    const gcMsgTick tick(cTimeValue(cTimeValue::TICKS_PER_SECOND / 30));
    const gxFrontStats before = gxGetFrontStats();
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) {
        pMap->Draw();
        pMap->Update(tick);
        pMap->Cull();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (state.iterations() == 0)
        return;
    const double frames = static_cast<double>(state.iterations());
    state.counters["frame_share"] = seconds / frames / kFrameSeconds;
    state.counters["vertices_per_frame"] = static_cast<double>(gxGetFrontStats().vertices - before.vertices) / frames;
    state.counters["draws_per_frame"] = static_cast<double>(gxGetFrontStats().draws - before.draws) / frames;
}
BENCHMARK(BM_SampleMapFrame)->Unit(benchmark::kMicrosecond);

// Game time over wall time of the frames a long run adds to a short one.
double TimesRealTime(double shortRun, double longRun, long nExtraFrames)
{
    return 2.0 * kRetraceSeconds * static_cast<double>(nExtraFrames) / (longRun - shortRun);
}

static void BM_HeadlessSampleMapRun(benchmark::State& state)
{
    double shortRun = 1e30, longRun = 1e30, coldStart = 1e30, shortDrawn = 1e30, longDrawn = 1e30;
    long shortWaits = 0, longWaits = 0;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            const double s = RunSeconds(kShortRun, false, &shortWaits), l = RunSeconds(kLongRun, false, &longWaits);
            const double c = ColdStartSeconds();
            const double sd = RunSeconds(kShortRun, true), ld = RunSeconds(kLongDrawnRun, true);
            if (s < 0.0 || l < 0.0 || c < 0.0 || sd < 0.0 || ld < 0.0) {
                state.SkipWithError("the headless run failed");
                return;
            }
            shortRun = std::min(shortRun, s);
            longRun = std::min(longRun, l);
            coldStart = std::min(coldStart, c);
            shortDrawn = std::min(shortDrawn, sd);
            longDrawn = std::min(longDrawn, ld);
        }
    }
    state.counters["x_real_time"] = TimesRealTime(shortRun, longRun, kLongRun - kShortRun);
    state.counters["x_real_time_drawn"] = TimesRealTime(shortDrawn, longDrawn, kLongDrawnRun - kShortRun);
    state.counters["waits_per_frame"] =
        static_cast<double>(longWaits - shortWaits) / static_cast<double>(kLongRun - kShortRun);
    state.counters["short_run_ms"] = shortRun * 1000.0;
    state.counters["cold_start_ms"] = coldStart * 1000.0;
}
BENCHMARK(BM_HeadlessSampleMapRun)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
