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

// Best of seven runs of nCopies copies of src, in nanoseconds per copy.
inline double MemcpyNanos(const std::vector<uint8_t>& src, int nCopies)
{
    std::vector<uint8_t> dst(src.size());
    double best = 1e30;
    for (int run = 0; run < 7; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < nCopies; ++i) {
            std::memcpy(dst.data(), src.data(), src.size());
            benchmark::DoNotOptimize(dst.data());
            benchmark::ClobberMemory();
        }
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::nano>(t1 - t0).count() / nCopies);
    }
    return best;
}

}  // namespace bench
