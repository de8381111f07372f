// Mixing cost: 32 looping DSP-ADPCM voices (every mixer channel busy) mixed
// for one second of output (200 frames of 5 ms), read as a share of one
// second of real time, at the output rate and resampled. Frames run by hand,
// so no device or timer competes.
#include <benchmark/benchmark.h>

#include <vector>

#include "../test/audio_test.h"
#include "datagen/soundWriters.h"
#include "platform/ai.h"
#include "platform/ar.h"
#include "platform/ax.h"
#include "platform/mix.h"

namespace {

constexpr int kVoices = 32;
constexpr int kFramesPerSecond = 200;

// One second of a 440 Hz tone in audio memory, looping, on every voice at a
// different pan so both sides are mixed, played at the 16.16 ratio.
std::vector<AXVPB*> StartVoices(uint32_t ratio, uint32_t* pAddress)
{
    AITestSetManualFrames(TRUE);
    AXInit();
    static uint32_t s_table[64];
    ARInit(s_table, 64);
    ARQInit();
    MIXInit();
    const datagen::AdpcmSound s = datagen::EncodeDspAdpcm(datagen::MakeSineTone(440.0, 8000.0, 32000));
    std::vector<uint8_t> bytes(s.bytes);
    bytes.resize((bytes.size() + 31) & ~size_t(31));
    const uint32_t address = ARAlloc(static_cast<uint32_t>(bytes.size()));
    ARQRequest request;
    ARQPostRequest(&request, 0, ARQ_TYPE_MRAM_TO_ARAM, ARQ_PRIORITY_HIGH, reinterpret_cast<uintptr_t>(bytes.data()),
                   address, static_cast<uint32_t>(bytes.size()), nullptr);
    AXRegisterCallback(MIXUpdateSettings);
    std::vector<AXVPB*> voices;
    for (int i = 0; i < kVoices; ++i) {
        AXVPB* v = AXAcquireVoice(1, nullptr, 0);
        AXSetVoiceAdpcm(v, s.header);
        AXPBADDR addr;
        addr.loopFlag = 1;
        addr.loopAddress = address * 2;
        addr.endAddress = address * 2 + s.nEndOffset;
        addr.currentAddress = address * 2 + 2 + static_cast<uint32_t>(i);  // staggered starts
        AXSetVoiceAddr(v, &addr);
        const AXPBSRC src{static_cast<uint16_t>(ratio >> 16), static_cast<uint16_t>(ratio), 0};
        AXSetVoiceSrc(v, &src);
        MIXInitChannel(v, 0, -120, MIX_LEVEL_SILENT, MIX_LEVEL_SILENT, 4 * i, MIX_SPAN_FRONT, 0);
        AXSetVoiceState(v, AX_PB_STATE_RUN);
        voices.push_back(v);
    }
    *pAddress = address;
    return voices;
}

void MixOneSecond(benchmark::State& state, uint32_t ratio)
{
    uint32_t address = 0;
    const std::vector<AXVPB*> voices = StartVoices(ratio, &address);
    std::vector<int16_t> out(static_cast<size_t>(kFramesPerSecond) * AI_DMA_FRAME_BYTES / 2);
    for (auto _ : state) {
        AITestRunFrames(kFramesPerSecond, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    // Seconds of work per second of sound: below 1 keeps up with the output.
    state.counters["realTimeShare"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    for (AXVPB* v : voices) {
        MIXReleaseChannel(v);
        AXFreeVoice(v);
    }
    AXRegisterCallback(nullptr);
    ARFree(address, nullptr);
}

void BM_Mix32AdpcmVoicesOneSecond(benchmark::State& state) { MixOneSecond(state, 0x10000); }
BENCHMARK(BM_Mix32AdpcmVoicesOneSecond)->Unit(benchmark::kMillisecond);

// The same voices as 22.05 kHz sounds: the converter interpolates every
// output between inputs it steps through unevenly.
void BM_Mix32AdpcmVoicesResampledOneSecond(benchmark::State& state) { MixOneSecond(state, 0xB066); }
BENCHMARK(BM_Mix32AdpcmVoicesResampledOneSecond)->Unit(benchmark::kMillisecond);

}  // namespace
