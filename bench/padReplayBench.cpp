// What one frame of a recorded input file costs the controller layer: the
// read of the four ports at a retrace, frame after frame, half way through
// files from 1 Ki to 4 Mi changes (the largest about 64 MiB of text, the
// most an input file may hold). The time a frame should not grow with the
// file's length.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "pad/pad_local.h"

namespace {

// One change a frame, the port alternating between two states.
pad::Replay MakeReplay(uint32_t nLines)
{
    std::string text;
    text.reserve(static_cast<size_t>(nLines) * 18);
    for (uint32_t frame = 0; frame < nLines; ++frame)
        text += std::to_string(frame) + (frame % 2 ? " 0 A 0 72\n" : " 0 - 0 -72\n");
    pad::Replay replay;
    std::string error;
    if (!pad::ParseReplay(text, &replay, &error))
        replay.lines.clear();
    return replay;
}

void BM_ReplayReadPerFrame(benchmark::State& state)
{
    const uint32_t nLines = static_cast<uint32_t>(state.range(0));
    pad::Replay replay = MakeReplay(nLines);
    if (replay.lines.size() != nLines) {
        state.SkipWithError("the input did not parse");
        return;
    }
    const uint64_t first = nLines / 2;
    uint64_t frame = first;
    PADStatus status[PAD_MAX_CONTROLLERS];
    pad::ReplayRead(replay, frame, status);  // the way to the middle, once
    for (auto _ : state) {
        if (++frame == nLines) {
            // Back to the middle, outside the timing.
            state.PauseTiming();
            frame = first;
            pad::ReplayRead(replay, 0, status);
            pad::ReplayRead(replay, frame, status);
            state.ResumeTiming();
        }
        pad::ReplayRead(replay, frame, status);
        benchmark::DoNotOptimize(status);
    }
    state.counters["lines"] = nLines;
}
BENCHMARK(BM_ReplayReadPerFrame)->RangeMultiplier(16)->Range(1 << 10, 1 << 22);

}  // namespace
