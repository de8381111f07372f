// Texture decoding cost: a 256x256 compressed texture with the six mipmap
// levels the engine reserves for it (43,680 bytes), decoded to RGBA8, read
// against memcpy of the same bytes timed in the same run ("x_memcpy").
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "datagen/gxTextureEncode.h"
#include "gx/tex/gxTexDecode.h"
#include "benchUtil.h"

namespace {

constexpr uint32_t kSide = 256;
constexpr uint32_t kLevels = 6;

// A picture with both smooth and busy areas and some transparent texels, so
// every block kind occurs.
std::vector<uint8_t> MakeCmprTexture()
{
    datagen::RgbaImage image;
    image.width = image.height = kSide;
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            const uint32_t noise = (x * 2654435761u) ^ (y * 40503u);
            image.rgba.push_back(static_cast<uint8_t>(x));
            image.rgba.push_back(static_cast<uint8_t>(y));
            image.rgba.push_back(static_cast<uint8_t>(y < 128 ? noise >> 7 : 255 - x));
            image.rgba.push_back((x / 32 + y / 32) % 5 == 0 && (noise & 1) ? 0 : 255);
        }
    std::vector<uint8_t> bytes;
    datagen::EncodeGxTextureChain(image, GX_TF_CMPR, kLevels, nullptr, &bytes);
    return bytes;
}

}  // namespace

static void BM_GxTexDecodeCmpr256Mipmapped(benchmark::State& state)
{
    const std::vector<uint8_t> src = MakeCmprTexture();
    if (src.size() != gxtex::TextureBytes(GX_TF_CMPR, kSide, kSide, kLevels)) {
        state.SkipWithError("encoder produced the wrong size");
        return;
    }
    gxtex::DecodedTexture tex;
    bench::TimeAgainstMemcpy(state, src, [&] {
        gxtex::DecodeTexture(src.data(), src.size(), GX_TF_CMPR, kSide, kSide, kLevels, nullptr, &tex);
        benchmark::DoNotOptimize(tex.rgba.data());
    });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
}
BENCHMARK(BM_GxTexDecodeCmpr256Mipmapped)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
