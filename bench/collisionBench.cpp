// Collision queries against a zone of 20,000 triangles (a rolling terrain of
// 100 x 100 quads of edge 2 read from a zone file, collision tree of 6 levels:
// cells of 8 units): one mover's swept-ellipsoid query with up to 8 rounds of
// sweep and slide, and a batch of 10,000 downward rays as the
// surface-below-a-point queries cast them. Each reports its share of the
// console's 33.3 ms frame; the query's figure to read is the median. With
// cells twice as large a query gathers more than the static cache's 1024
// triangles and decodes them again every round (about 4 times slower).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "cCore/cBase.h"
#include "cCore/cMemPool.h"
#include "datagen/zoneWriter.h"
#include "eEngine/eColliderEllipse.h"
#include "eEngine/eColliderRay.h"
#include "eEngine/eSurface.h"
#include "eEngine/eZone.h"
#include "platform/dvd.h"
#include "platform/os.h"

namespace {

constexpr int kGrid = 100;       // quads per side: 2 x 100 x 100 triangles
constexpr float kSpacing = 2.0f;
constexpr int kRays = 10000;
constexpr double kFrameSeconds = 1.0 / 30.0;
constexpr int kSurfaceSlot = 1;

float Height(float x, float y)
{
    return 3.0f * std::sin(x / 7.0f) * std::cos(y / 9.0f);
}

struct World {
    World()
    {
        OSInit();
        eZone::Initialize();
        surface.m_nCollisionMask = 0xFFFFFFFF;
        eSurfaceMgr::Add(kSurfaceSlot, &surface, 0x4321);

        char tmpl[] = "/tmp/qm_collisionBenchXXXXXX";
        dir = mkdtemp(tmpl) ? tmpl : "/tmp";
        const std::string previousDir = DVDGetDataDirectory();
        DVDSetDataDirectory(dir.c_str());
        datagen::ZoneDesc desc;
        desc.boxMin.Set(-128, -128, -128);
        desc.boxMax.Set(128, 128, 128);
        desc.treeSize = 256;
        desc.colLevels = 6;
        desc.visLevels = 1;
        desc.surfaces = {surface.m_handle.m_nValue};
        const float h = 0.5f * kGrid * kSpacing;
        for (int i = 0; i < kGrid; ++i) {
            for (int j = 0; j < kGrid; ++j) {
                mVec3 p[4];
                for (int k = 0; k < 4; ++k) {
                    const float x = -h + kSpacing * static_cast<float>(i + (k == 1 || k == 2));
                    const float y = -h + kSpacing * static_cast<float>(j + (k >= 2));
                    p[k].Set(x, y, Height(x, y));
                }
                const int order[2][3] = {{0, 1, 2}, {0, 2, 3}};
                for (const auto& o : order) {
                    datagen::ZoneTriangle t;
                    for (int k = 0; k < 3; ++k)
                        t.v[k].pos = p[o[k]];
                    t.bDraw = false;
                    desc.triangles.push_back(t);
                }
            }
        }
        datagen::WriteZoneFile(dir + "/Terrain.zon", desc);
        pZone = static_cast<eZone*>(cBase::Load("/Terrain.zon", &pool, eZone::GetStaticType()));
        DVDSetDataDirectory(previousDir.c_str());
        if (pZone)
            pZone->m_nZoneIndex = 0;
    }

    // A fixed sequence of uniform numbers.
    float Rand(float lo, float hi)
    {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
    }

    cMemPool pool{"collisionBench", 0x800000, false};
    eSurface surface;
    std::string dir;
    eZone* pZone = nullptr;
    uint32_t seed = 4711;
};

World& TheWorld()
{
    static World world;
    return world;
}

// The terrain is the world's zone for one benchmark run; the zone slot is
// given back afterwards, so later benchmarks find it as they left it.
struct TerrainInSlot {
    explicit TerrainInSlot(eZone* pZone) : pPrevious(eZone::s_pZones[0]) { eZone::s_pZones[0] = pZone; }
    ~TerrainInSlot() { eZone::s_pZones[0] = pPrevious; }
    eZone* pPrevious;
};

void SetFrameShare(benchmark::State& state)
{
    // Elapsed time over (iterations x 33.3 ms): printed as an inverted rate,
    // the number is the plain share of a console frame.
    state.counters["frameShare"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrameSeconds,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One mover's query, as the players make it: from a point just above the
// ground, a step of 1 to 6 units across it and down, radii of a person.
void BM_SweptEllipsoidWithSlide(benchmark::State& state)
{
    World& w = TheWorld();
    if (!w.pZone) {
        state.SkipWithError("the terrain zone did not load");
        return;
    }
    const TerrainInSlot slot(w.pZone);
    const mVec3 radii(0.5f, 0.5f, 1.0f);
    for (auto _ : state) {
        const float x = w.Rand(-90, 90), y = w.Rand(-90, 90);
        const mVec3 from(x, y, Height(x, y) + 1.2f);
        mVec3 dir(w.Rand(-1, 1), w.Rand(-1, 1), -0.5f);
        dir.Normalize();
        eColliderEllipse e;
        e.Set(from, w.Rand(1, 6), dir, radii);
        eZone::CollisionCullAll(e);
        for (int round = 0; round < 8 && e.m_fNonScaledMoveDist > eColliderEllipse::fColZeroTol; ++round) {
            eZone::CollideAll(&e);
            e.ClampContactNormals(0.0f, 30.0f, 0.0f, false);
            eZone::CollideSlide(&e);
        }
        benchmark::DoNotOptimize(e.m_nonScaledPosition);
    }
    SetFrameShare(state);
}
BENCHMARK(BM_SweptEllipsoidWithSlide)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

// 10,000 rays straight down from random points above the terrain.
void BM_DownwardRays(benchmark::State& state)
{
    World& w = TheWorld();
    if (!w.pZone) {
        state.SkipWithError("the terrain zone did not load");
        return;
    }
    const TerrainInSlot slot(w.pZone);
    int64_t hits = 0;
    for (auto _ : state) {
        for (int i = 0; i < kRays; ++i) {
            eColliderRay ray;
            ray.m_ray.origin.Set(w.Rand(-95, 95), w.Rand(-95, 95), 10.0f);
            ray.m_ray.dir.Set(0, 0, -1);
            ray.m_ray.length = 20.0f;
            eZone::CollisionCullAll(ray);
            hits += eZone::CollideAllRay(&ray);
        }
    }
    state.counters["hitShare"] = static_cast<double>(hits) / (static_cast<double>(state.iterations()) * kRays);
    state.counters["nsPerRay"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRays * 1e-9,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    SetFrameShare(state);
}
BENCHMARK(BM_DownwardRays)->Unit(benchmark::kMillisecond);

}  // namespace
