// Filing moving scene nodes in a zone's loose octrees: 10,000 nodes move every
// frame and are refiled by their update; the cost per node and the share of
// the console's 33.3 ms frame that one such frame takes.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "cCore/cMemPool.h"
#include "eEngine/eGeom.h"
#include "eEngine/eZone.h"

namespace {

constexpr int kNodes = 10000;
constexpr double kFrameSeconds = 1.0 / 30.0;

class BenchGeom : public eGeom {
public:
    void Cull(const eCamera&, const mFrustum&, unsigned int) override {}
    void CollisionCull(const eCollider&, const mSphere&) override {}
    void Draw(const eCamera&, const eDrawInfo*) override {}
    mVec3 m_velocity{0.0f, 0.0f, 0.0f};
};

// One zone of edge 1000 with 5-level trees, and nodes of radii 0.5 to 8
// scattered over it with small per-frame velocities (a fixed sequence).
struct World {
    World() : pool("octreeBench", 0x400000, false)
    {
        zone.m_localToWorld.MakeIdentity();
        zone.m_volume.minCorner.Set(-500, -500, -500);
        zone.m_volume.maxCorner.Set(500, 500, 500);
        eOctree tree;
        tree.m_fSize = 1000;
        tree.m_fLooseScale = 2;
        tree.m_nLevels = 5;
        tree.m_volume = zone.m_volume;
        zone.CreateVisOctree(tree, &pool);
        zone.CreateColOctree(tree, &pool);
        zone.m_nZoneIndex = 0;
        eZone::s_pZones[0] = &zone;

        uint32_t seed = 12345;
        auto next = [&seed](float lo, float hi) {
            seed = seed * 1664525u + 1013904223u;
            return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
        };
        nodes.reserve(kNodes);
        for (int i = 0; i < kNodes; ++i) {
            auto g = std::make_unique<BenchGeom>();
            g->m_fVisRadius = next(0.5f, 8.0f);
            g->m_fColRadius = g->m_fVisRadius;
            g->m_localToParent.origin.Set(next(-450, 450), next(-450, 450), next(-450, 450));
            g->m_velocity.Set(next(-3, 3), next(-3, 3), next(-3, 3));
            g->m_nGeomFlags = eGeom::kDraw | eGeom::kCollide | eGeom::kDirty;
            g->SetZone(&zone);
            g->Update(cTimeValue(20));
            nodes.push_back(std::move(g));
        }
    }
    ~World()
    {
        nodes.clear();
        eZone::s_pZones[0] = nullptr;
    }
    void Move()
    {
        for (auto& g : nodes) {
            mVec3& p = g->m_localToParent.origin;
            p += g->m_velocity;
            for (int a = 0; a < 3; ++a)
                if (p[a] > 450.0f || p[a] < -450.0f)
                    g->m_velocity[a] = -g->m_velocity[a];
            g->m_nGeomFlags |= eGeom::kDirty;
        }
    }

    cMemPool pool;
    eZone zone;
    std::vector<std::unique_ptr<BenchGeom>> nodes;
};

void SetCounters(benchmark::State& state)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kNodes);
    // Elapsed time over (frames x 33.3 ms): the share of a console frame, and
    // elapsed time per node in ns. Both are inverted rates, so the report
    // prints them with a seconds suffix; the numbers are plain ratios.
    state.counters["frameShare"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrameSeconds,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["nsPerNode"] = benchmark::Counter(static_cast<double>(state.iterations()) * kNodes * 1e-9,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A frame of movement: every node moves and its update recomputes its frame
// and refiles it in both trees where its cell changed.
void BM_OctreeMoveAndUpdate(benchmark::State& state)
{
    World world;
    for (auto _ : state) {
        world.Move();
        for (auto& g : world.nodes)
            g->Update(cTimeValue(20));
        benchmark::DoNotOptimize(world.zone.m_pVisNodes[0].nGeomVisCount);
    }
    SetCounters(state);
}
BENCHMARK(BM_OctreeMoveAndUpdate)->Unit(benchmark::kMicrosecond);

// Unfiling and filing every node from scratch each frame: the worst case,
// where every node changes cell.
void BM_OctreeUnfileAndFile(benchmark::State& state)
{
    World world;
    for (auto _ : state) {
        world.Move();
        for (auto& g : world.nodes) {
            world.zone.RemoveGeom(g.get(), eGeom::kFiledMask);
            g->m_localToZone.origin = g->m_localToParent.origin;
            world.zone.AddGeom(g.get());
        }
        benchmark::DoNotOptimize(world.zone.m_pVisNodes[0].nGeomVisCount);
    }
    SetCounters(state);
}
BENCHMARK(BM_OctreeUnfileAndFile)->Unit(benchmark::kMicrosecond);

}  // namespace
