// One frame of the world on the graphics front end: CullAll and DrawAll of a
// zone of 20,000 triangles (a hilly 100 x 100 grid in eight two-pass
// materials, written by the zone writer and read back) with 200 scene nodes
// that file and draw a quad each, seen from inside the zone. No backend is
// registered, so only submission is measured (display lists decoded, state
// sent). "frame_share" is the frame's time over the console's 33.3 ms.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/dvd.h"
#include "platform/gx.h"
#include "platform/os.h"
#include "platform/ps.h"
#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "datagen/zoneWriter.h"
#include "eEngine/eCamera.h"
#include "eEngine/eDrawInfo.h"
#include "eEngine/eGeom.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"

namespace {

constexpr int kGrid = 100;  // cells per side: 2 x 100 x 100 triangles
constexpr int kNodes = 200;
constexpr int kMaterials = 8;
constexpr double kFrameSeconds = 1.0 / 30.0;

// A scene node that files one record with its material and draws one quad.
class QuadGeom : public eGeom {
public:
    void Cull(const eCamera&, const mFrustum&, unsigned int) override { m_pZone->AddDrawInfo(&m_info, nullptr); }
    void CollisionCull(const eCollider&, const mSphere&) override {}
    void Draw(const eCamera& camera, const eDrawInfo*) override
    {
        if (const eMaterial* m = eMaterialMgr::GetPtr(m_info.hMaterial))
            m->Apply(&camera, nullptr, nullptr, 0);
        eVideo::SetLocalToZone(m_localToZone, 1.0f);
        eVideoPlatform::SetVertexType(GX_VTXFMT3, false);
        eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT3, 4);
        const float c[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& p : c) {
            GXPosition3s16(ps::QuantS16(p[0], 8), 0, ps::QuantS16(p[1], 8));
            GXColor1u32(0xFFFFFFFFu);
            GXTexCoord2s16(0, 0);
            GXTexCoord2s16(0, 0);
        }
        GXEnd();
    }
    eDrawInfo m_info;
};

float Height(float x, float y)
{
    return 3.0f * std::sin(x * 0.15f) * std::cos(y * 0.11f) - 10.0f;
}

struct World {
    World()
    {
        OSInit();
        GXInit(m_fifo.data(), static_cast<uint32_t>(m_fifo.size()));
        eRenderStateCache::SendAttributeFormats();
        eVideoPlatform::RenderState().Reset();
        eVideoPlatform::SetVertexType(GX_VTXFMT0, true);  // as the video start-up's reset does

        for (int i = 0; i < kMaterials; ++i) {
            eMaterial* m = m_pool.New<eMaterial>();
            for (eMaterial::ePassID pass : {eMaterial::PASS_LIGHTING, eMaterial::PASS_DIFFUSE}) {
                eTextureStage* s = m->AddPass(pass)->AddTextureStage();
                s->m_colorIn[0] = eTextureStage::IN_RASTER;
                s->m_alphaIn[0] = eTextureStage::IN_RASTER;
            }
            m->m_diffuseColor.Set(0.5f + 0.05f * static_cast<float>(i), 0.6f, 0.7f);
            eMaterialMgr::Add(100 + i, m, static_cast<uint16_t>(0x700 + i));
            m_materials.push_back(m);
        }

        datagen::ZoneDesc desc;
        desc.name = "bench";
        desc.treeSize = 128;
        desc.visLevels = 5;
        desc.colLevels = 5;
        for (eMaterial* m : m_materials)
            desc.materials.push_back(m->m_handle.m_nValue);
        desc.surfaces = {1};
        const float cell = 120.0f / kGrid;
        for (int j = 0; j < kGrid; ++j) {
            for (int i = 0; i < kGrid; ++i) {
                const float x0 = -60 + cell * static_cast<float>(i), y0 = -60 + cell * static_cast<float>(j);
                const float x1 = x0 + cell, y1 = y0 + cell;
                auto v = [&](float x, float y) {
                    datagen::ZoneVertex r;
                    r.pos.Set(x, y, Height(x, y));
                    r.normal.Set(0, 0, 1);
                    r.u = x * 0.1f;
                    r.v = y * 0.1f;
                    r.lu = (x + 60) / 120;
                    r.lv = (y + 60) / 120;
                    return r;
                };
                datagen::ZoneTriangle t;
                t.material = static_cast<uint8_t>((i / 10 + j / 10) % kMaterials);
                t.v[0] = v(x0, y0), t.v[1] = v(x1, y0), t.v[2] = v(x1, y1);
                desc.triangles.push_back(t);
                t.v[1] = v(x1, y1), t.v[2] = v(x0, y1);
                desc.triangles.push_back(t);
            }
        }
        char dir[] = "/tmp/qm_zonebenchXXXXXX";
        if (mkdtemp(dir)) {
            m_dir = dir;
            DVDSetDataDirectory(dir);
            m_bReady = datagen::WriteZoneFile(m_dir + "/bench.zon", desc) && ReadZone();
        }
        if (!m_bReady)
            return;
        m_zone.m_nZoneIndex = 0;
        eZone::s_pZones[0] = &m_zone;

        uint32_t seed = 4321;
        auto next = [&seed](float lo, float hi) {
            seed = seed * 1664525u + 1013904223u;
            return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
        };
        for (int i = 0; i < kNodes; ++i) {
            auto g = std::make_unique<QuadGeom>();
            g->m_fVisRadius = 1.5f;
            g->m_info.pDrawable = g.get();
            g->m_info.hMaterial = m_materials[static_cast<size_t>(i) % m_materials.size()]->m_handle;
            const float x = next(-55, 55), y = next(-55, 55);
            g->m_localToParent.origin.Set(x, y, Height(x, y) + 1);
            g->m_nGeomFlags = eGeom::kDraw | eGeom::kBothSweeps | eGeom::kDirty;
            g->SetZone(&m_zone);
            g->Update(cTimeValue(20));
            m_nodes.push_back(std::move(g));
        }
        // Standing at one edge, looking across most of the zone.
        mOCS eye;
        eye.basis.SetHP(-30, -12);
        eye.origin.Set(-40, -50, 0);
        m_camera.SetCameraToWorld(eye);
    }
    ~World()
    {
        m_nodes.clear();
        eZone::s_pZones[0] = nullptr;
        DVDSetDataDirectory("");
        std::error_code ec;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ec);
    }
    bool ReadZone()
    {
        cFile file;
        if (!file.Open("/bench.zon"))
            return false;
        bool bRead = false;
        {
            cReadBlock top(file, 1);
            bRead = top.ReadInt() == 7 && m_zone.Read(file, &m_pool);
        }
        file.Close();
        return bRead;
    }

    std::vector<uint8_t> m_fifo = std::vector<uint8_t>(0x80000);
    cMemPool m_pool{"zoneBench", 0x800000, false};
    std::vector<eMaterial*> m_materials;
    eZone m_zone;
    std::vector<std::unique_ptr<QuadGeom>> m_nodes;
    eCamera m_camera;
    std::string m_dir;
    bool m_bReady = false;
};

}  // namespace

static void BM_ZoneCullAndDrawFrame(benchmark::State& state)
{
    static World s_world;
    if (!s_world.m_bReady) {
        state.SkipWithError("the bench zone could not be built");
        return;
    }
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) {
        eVideo::PreCull();
        eZone::CullAll(s_world.m_camera);
        eVideo::s_nRenderedStaticTris = 0;
        eZone::DrawAll(s_world.m_camera, true);
    }
    const auto t1 = std::chrono::steady_clock::now();
    const double frame = std::chrono::duration<double>(t1 - t0).count() / static_cast<double>(state.iterations());
    state.counters["frame_share"] = frame / kFrameSeconds;
    state.counters["static_tris_per_sweep"] = static_cast<double>(eVideo::s_nRenderedStaticTris) / 2.0;
    state.counters["strips"] = static_cast<double>(s_world.m_zone.m_pVisData->nStrips);
}
BENCHMARK(BM_ZoneCullAndDrawFrame)->Unit(benchmark::kMillisecond);
