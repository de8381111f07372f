// Graphics front-end cost. A 10,000-vertex display list in the zone layout
// (16-bit indexed s16 positions, 8-bit indexed float normals, two 16-bit
// indexed coordinates: 7 bytes a vertex) decoded to the packed vertices the
// backend uploads, read against memcpy of the same list bytes timed in turns
// with it ("x_memcpy"); and the front end's cost per 1,000 immediate-mode
// vertices.
// No backend is registered, so only the front end is measured.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/gx.h"
#include "platform/ps.h"
#include "benchUtil.h"

namespace {

constexpr uint32_t kStrips = 100;
constexpr uint32_t kStripVertices = 100;  // 10,000 vertices in all
constexpr uint32_t kArrayElements = 4096;

struct ZoneData {
    std::vector<uint8_t> positions, normals, coords, list;
};

void Put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}

ZoneData MakeZone()
{
    ZoneData z;
    z.positions.resize(kArrayElements * 6);
    z.normals.resize(256 * 12);
    z.coords.resize(kArrayElements * 4);
    for (uint32_t i = 0; i < kArrayElements; ++i) {
        for (int c = 0; c < 3; ++c)
            ps::StoreS16BE(&z.positions[i * 6 + 2 * c], static_cast<int16_t>(i * 7 + c * 131));
        ps::StoreS16BE(&z.coords[i * 4], static_cast<int16_t>(i));
        ps::StoreS16BE(&z.coords[i * 4 + 2], static_cast<int16_t>(-static_cast<int>(i)));
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c)
            ps::StoreF32BE(&z.normals[i * 12 + 4 * c], static_cast<float>(c) * 0.25f);
    uint32_t seed = 12345;
    for (uint32_t s = 0; s < kStrips; ++s) {
        z.list.push_back(static_cast<uint8_t>(GX_TRIANGLESTRIP) | GX_VTXFMT0);
        Put16(z.list, kStripVertices);
        for (uint32_t v = 0; v < kStripVertices; ++v) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t index = (seed >> 8) % kArrayElements;
            Put16(z.list, index);
            z.list.push_back(static_cast<uint8_t>(seed >> 24));
            Put16(z.list, index);
            Put16(z.list, (index * 3) % kArrayElements);
        }
    }
    while (z.list.size() % 32)
        z.list.push_back(0);
    return z;
}

void SetUpZoneFormat(const ZoneData& z)
{
    static uint8_t fifo[256];
    GXInit(fifo, sizeof(fifo));
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_INDEX16);
    GXSetVtxDesc(GX_VA_NRM, GX_INDEX8);
    GXSetVtxDesc(GX_VA_TEX0, GX_INDEX16);
    GXSetVtxDesc(GX_VA_TEX1, GX_INDEX16);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_POS, GX_POS_XYZ, GX_S16, 8);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_NRM, GX_NRM_XYZ, GX_F32, 0);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_TEX0, GX_TEX_ST, GX_S16, 10);
    GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_TEX1, GX_TEX_ST, GX_S16, 10);
    GXSetArray(GX_VA_POS, z.positions.data(), 6);
    GXSetArrayBounds(GX_VA_POS, static_cast<uint32_t>(z.positions.size()));
    GXSetArray(GX_VA_NRM, z.normals.data(), 12);
    GXSetArrayBounds(GX_VA_NRM, static_cast<uint32_t>(z.normals.size()));
    GXSetArray(GX_VA_TEX0, z.coords.data(), 4);
    GXSetArrayBounds(GX_VA_TEX0, static_cast<uint32_t>(z.coords.size()));
    GXSetArray(GX_VA_TEX1, z.coords.data(), 4);
    GXSetArrayBounds(GX_VA_TEX1, static_cast<uint32_t>(z.coords.size()));
}

}  // namespace

static void BM_GxFrontDisplayList10kVertices(benchmark::State& state)
{
    const ZoneData zone = MakeZone();
    SetUpZoneFormat(zone);
    bench::TimeAgainstMemcpy(state, zone.list, [&zone] {
        GXCallDisplayList(zone.list.data(), static_cast<uint32_t>(zone.list.size()));
    });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * zone.list.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kStrips * kStripVertices));
}
BENCHMARK(BM_GxFrontDisplayList10kVertices)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Sprite-style quads: s16/4 position, RGBA8 colour, two s16/10 coordinates.
static void BM_GxFrontImmediate1kVertices(benchmark::State& state)
{
    static uint8_t fifo[256];
    GXInit(fifo, sizeof(fifo));
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxDesc(GX_VA_CLR0, GX_DIRECT);
    GXSetVtxDesc(GX_VA_TEX0, GX_DIRECT);
    GXSetVtxDesc(GX_VA_TEX1, GX_DIRECT);
    GXSetVtxAttrFmt(GX_VTXFMT4, GX_VA_POS, GX_POS_XYZ, GX_S16, 4);
    GXSetVtxAttrFmt(GX_VTXFMT4, GX_VA_CLR0, GX_CLR_RGBA, GX_RGBA8, 0);
    GXSetVtxAttrFmt(GX_VTXFMT4, GX_VA_TEX0, GX_TEX_ST, GX_S16, 10);
    GXSetVtxAttrFmt(GX_VTXFMT4, GX_VA_TEX1, GX_TEX_ST, GX_S16, 10);
    for (auto _ : state) {
        GXBegin(GX_QUADS, GX_VTXFMT4, 1000);
        for (int16_t i = 0; i < 1000; ++i) {
            GXPosition3s16(i, static_cast<int16_t>(i * 2), 0);
            GXColor1u32(0xFF8040C0u);
            GXTexCoord2s16(i, 0);
            GXTexCoord2s16(0, i);
        }
        GXEnd();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 1000));
}
BENCHMARK(BM_GxFrontImmediate1kVertices)->Unit(benchmark::kMicrosecond);
