// The baseline every parsing benchmark is read against: memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

static void BM_MemcpyBaseline(benchmark::State& state)
{
    const size_t size = static_cast<size_t>(state.range(0));
    std::vector<char> src(size, 1), dst(size);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), size);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}
BENCHMARK(BM_MemcpyBaseline)->Arg(1 << 16)->Arg(16 << 20);
