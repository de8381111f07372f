#pragma once
// Helpers shared by the benchmark programs: the memcpy baseline that
// decoding and reading costs are put against ("x_memcpy").

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

namespace bench {

// Runs subject as the benchmark's loop, each round followed by one memcpy of
// bytes, and reports x_memcpy (the subject's time over the copy's) and
// memcpy_ns. Timing the two in turns lets both see the same clock speed and
// the same neighbours on the machine: a best-of copy taken once against the
// subject's mean moved the ratio by a third from run to run. The benchmark
// must use manual time: the subject's time alone is reported. The shared
// machines these run on have bursts of outside load that last seconds, so
// such benchmarks run five times and the figure to read is the median.
template <class Subject>
void TimeAgainstMemcpy(benchmark::State& state, const std::vector<uint8_t>& bytes, Subject&& subject)
{
    using Clock = std::chrono::steady_clock;
    std::vector<uint8_t> dst(bytes.size());
    double subjectNs = 0, memcpyNs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        subject();
        const auto t1 = Clock::now();
        std::memcpy(dst.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        const double ns = std::chrono::duration<double, std::nano>(t1 - t0).count();
        state.SetIterationTime(ns * 1e-9);
        subjectNs += ns;
        memcpyNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    if (state.iterations() == 0 || memcpyNs <= 0)
        return;
    state.counters["x_memcpy"] = subjectNs / memcpyNs;
    state.counters["memcpy_ns"] = memcpyNs / static_cast<double>(state.iterations());
}

}  // namespace bench
