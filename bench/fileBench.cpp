// Reading a 16 MiB data file of typed blocks through cFile and cReadBlock
// (disc layer, two 32 KiB buffers, big-endian conversion, bounds checks),
// read against memcpy of the same bytes timed in the same run ("x_memcpy").
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "cCore/cName.h"
#include "cCore/cReadBlock.h"
#include "datagen/blockWriter.h"
#include "platform/dvd.h"
#include "platform/os.h"
#include "benchUtil.h"

namespace {

constexpr size_t kFileSize = 16u << 20;

// A record as resources store them: a name, eight ints, eight floats and
// four shorts in a block of their own (116 bytes with header and marker).
struct DataFile {
    std::string dir;
    std::vector<uint8_t> bytes;
    int nBlocks = 0;
};

const DataFile& TheFile()
{
    static DataFile file = [] {
        OSInit();
        DataFile f;
        char tmpl[] = "/tmp/qm_fileBenchXXXXXX";
        f.dir = mkdtemp(tmpl) ? tmpl : "/tmp";
        datagen::BlockWriter w;
        w.Header();
        while (w.Size() + 128 < kFileSize) {
            w.Begin(1).Name("Texture_0001");
            for (int i = 0; i < 8; ++i)
                w.Int(i * 1000 + f.nBlocks);
            for (int i = 0; i < 8; ++i)
                w.Float(static_cast<float>(i) * 0.25f);
            for (int i = 0; i < 4; ++i)
                w.Half(static_cast<uint16_t>(i));
            w.End();
            ++f.nBlocks;
        }
        w.Trailer();
        w.Save(f.dir + "/Blocks.dat");
        f.bytes = w.GetBytes();
        return f;
    }();
    return file;
}

int64_t ReadAllBlocks(int nBlocks)
{
    cFile file;
    if (!file.Open("/Blocks.dat"))
        return -1;
    int64_t sum = 0;
    int32_t ints[8];
    float floats[8];
    int16_t shorts[4];
    for (int b = 0; b < nBlocks; ++b) {
        cReadBlock rb(file, 1);
        cName name;
        name.Read(rb);
        for (int32_t& v : ints)
            v = rb.ReadInt();
        rb.ReadFloats(floats, 8);
        rb.ReadShorts(shorts, 4);
        sum += ints[7] + static_cast<int64_t>(floats[3]) + shorts[2] + name.m_nLength;
    }
    if (file.Failed())
        sum = -1;
    file.Close();
    return sum;
}

}  // namespace

static void BM_FileReadTypedBlocks16MiB(benchmark::State& state)
{
    const DataFile& f = TheFile();
    // The data directory is this benchmark's only while it runs.
    const std::string previousDir = DVDGetDataDirectory();
    DVDSetDataDirectory(f.dir.c_str());
    // One untimed read first: the file was just written, and the first read
    // of it also pays for settling the page cache.
    bool failed = ReadAllBlocks(f.nBlocks) < 0;
    bench::TimeAgainstMemcpy(state, f.bytes, [&] {
        const int64_t sum = ReadAllBlocks(f.nBlocks);
        failed = failed || sum < 0;
        benchmark::DoNotOptimize(sum);
    });
    if (failed)
        state.SkipWithError("the data file did not read");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.bytes.size()));
    DVDSetDataDirectory(previousDir.c_str());
}
BENCHMARK(BM_FileReadTypedBlocks16MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
