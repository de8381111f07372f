// The loader suite's drivers and the check that every datagen writer has a
// row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <set>

#include <unistd.h>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/soundWriters.h"
#include "datagen/zoneWriter.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "eEngine/eZone.h"
#include "loaderSuite.h"
#include "platform/dvd.h"

// The sweeps write thousands of files: in memory when the machine allows
// and no other folder is asked for.
LoaderEnv::LoaderEnv() : m_dir("qm_loaders", access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp")
{
    DVDSetDataDirectory(m_dir.c_str());
}

LoaderEnv::~LoaderEnv()
{
    for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it)
        (*it)();
    DVDSetDataDirectory("");
}

void LoaderEnv::FreePoolsOnDone(const std::vector<cMemPool*>& pools)
{
    std::vector<cMemPool*> empty;
    for (cMemPool* pPool : pools)
        if (!pPool->HasMemory())
            empty.push_back(pPool);
    OnDone([empty] {
        for (cMemPool* pPool : empty)
            pPool->FreePoolMemory();
    });
}

namespace {

using Bytes = std::vector<uint8_t>;

// In one read: the sweeps read back a file for every load, and byte by byte
// that is most of their time in a build without optimisation.
Bytes ReadHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return Bytes();
    Bytes bytes(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return in ? bytes : Bytes();
}

// The sweeps make thousands of refusals; their log lines are counted, not shown.
class QuietLog {
public:
    QuietLog() : m_old(cLogSetCallback(&Count, this)) {}
    ~QuietLog() { cLogSetCallback(m_old, nullptr); }
    int m_nErrors = 0;
    std::string m_sLast;  // the last error

private:
    static void Count(void* p, cLogType type, const char* s)
    {
        if (type == LOGTYPE_ERROR) {
            ++static_cast<QuietLog*>(p)->m_nErrors;
            static_cast<QuietLog*>(p)->m_sLast = s;
        }
    }
    cLogFunc m_old;
};

// The lengths a cut sweep tries and the bytes a flip sweep inverts, in
// increasing order.
struct SweepPositions {
    std::vector<size_t> cuts;
    std::vector<size_t> flips;
};

// Every length short of the whole file, and every byte.
SweepPositions EveryPosition(size_t size)
{
    SweepPositions out;
    for (size_t i = 0; i < size; ++i) {
        out.cuts.push_back(i);
        out.flips.push_back(i);
    }
    return out;
}

uint32_t WordAt(const Bytes& bytes, size_t at)
{
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

// A seed of the row's own: its name's FNV-1a hash.
uint32_t RowSeed(const std::string& name)
{
    uint32_t h = 2166136261u;
    for (char c : name)
        h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    return h;
}

// The share of the other positions that a sampled sweep tries.
constexpr uint32_t kSampleStride = 8;

// Where a loader's memory faults are found: where it reads the file's
// structure and sizes what it reads next by it. Cuts: every length inside
// the file's header and last two words, and at each block's start, the end
// of its header (start marker, end offset, version), its end marker and its
// end; flips: every byte of the file's header and last two words, of each
// block's end offset, and the highest and lowest byte of its version and of
// each word that can be a count, a size or an offset (1 up to the file's
// size or 0xFFFF, whichever is more). A block whose bytes repeat an earlier
// block's (its end offsets taken from its start) is read by the same code
// the same way: its flips are left to the sample. Of the other positions,
// every kSampleStride-th length is cut and a seeded draw of one byte in
// kSampleStride flipped. Blocks start on multiples of 4, as written.
SweepPositions StructuralPositions(const Bytes& sample, uint32_t seed)
{
    constexpr size_t kFileHeader = 16;  // magic, platform id, type id, a block's start
    constexpr size_t kFileEnd = 8;      // the outer end marker and the trailer
    const size_t size = sample.size();
    std::vector<bool> cut(size + 1, false);
    std::vector<bool> flip(size + 1, false);
    auto mark = [size](std::vector<bool>& set, size_t from, size_t to) {
        for (size_t i = from; i < to && i < size; ++i)
            set[i] = true;
    };
    mark(cut, 0, kFileHeader + 1);
    mark(flip, 0, kFileHeader);
    mark(cut, size > kFileEnd ? size - kFileEnd : 0, size);
    mark(flip, size > kFileEnd ? size - kFileEnd : 0, size);

    // A block's bytes with the end offsets in it made relative to their
    // blocks' starts: equal for blocks that repeat one another.
    auto blockKey = [&sample](size_t start, size_t end) {
        Bytes key(sample.begin() + static_cast<std::ptrdiff_t>(start),
                  sample.begin() + static_cast<std::ptrdiff_t>(end));
        for (size_t at = 0; at + 8 <= key.size(); at += 4)
            if (WordAt(key, at) == cFile::kBlockStart) {
                const uint32_t relative = WordAt(key, at + 4) - static_cast<uint32_t>(start + at);
                for (int i = 0; i < 4; ++i)
                    key[at + 4 + i] = static_cast<uint8_t>(relative >> (24 - 8 * i));
            }
        return key;
    };
    std::set<Bytes> seen;
    struct Open {
        size_t end;     // its end marker's offset
        bool bRepeat;   // its bytes repeat an earlier block's
    };
    std::vector<Open> open;
    const uint32_t largestCount = std::max<uint32_t>(0xFFFF, static_cast<uint32_t>(size));
    for (size_t at = 0; at + 4 <= size; at += 4) {
        const uint32_t word = WordAt(sample, at);
        if (word == cFile::kBlockStart && at + 12 <= size) {
            const size_t end = WordAt(sample, at + 4);
            const bool bWhole = end > at && end % 4 == 0 && end + 4 <= size;
            const bool bRepeat = (!open.empty() && open.back().bRepeat) ||
                                 (bWhole && !seen.insert(blockKey(at, end + 4)).second);
            open.push_back({bWhole ? end : size, bRepeat});
            cut[at] = cut[at + 12] = true;
            if (!bRepeat) {
                mark(flip, at + 4, at + 8);
                flip[at + 8] = flip[at + 11] = true;
            }
            at += 8;  // past the end offset and the version
        } else if (word == cFile::kBlockEnd) {
            cut[at] = cut[at + 4] = true;
            if (!open.empty() && open.back().end == at)
                open.pop_back();
        } else if (word >= 1 && word <= largestCount && (open.empty() || !open.back().bRepeat)) {
            flip[at] = flip[at + 3] = true;
        }
    }

    SweepPositions out;
    std::mt19937 draw(seed);
    for (size_t i = 0; i < size; ++i) {
        if (cut[i] || i % kSampleStride == seed % kSampleStride)
            out.cuts.push_back(i);
        if (draw() % kSampleStride == 0 || flip[i])
            out.flips.push_back(i);
    }
    return out;
}

// The sweeps of a plain build try every position. A sanitizer makes each
// load tens of times slower, and the sweeps of the largest rows would take
// most of an hour: they try the structural positions and a sample.
SweepPositions SweepPlan(const Bytes& sample, const std::string& rowName)
{
#if defined(QM_SAMPLED_SWEEPS)
    return StructuralPositions(sample, RowSeed(rowName));
#else
    (void)rowName;
    return EveryPosition(sample.size());
#endif
}

struct Slot {
    cBase* pObject;
    uint32_t handle;
    bool operator==(const Slot&) const = default;
};

class LoaderSuite : public testing::TestWithParam<size_t> {
protected:
    void SetUp() override
    {
        // Objects that keep their data in a platform's form are written back
        // through the console writers.
        eMesh::s_platformWrite[cFile::kPlatformConsole] = &datagen::WriteConsoleMeshPlatform;
        eAnimation::s_platformWrite[cFile::kPlatformConsole] = &datagen::WriteConsoleAnimationPlatform;
        eZone::s_platformWrite[cFile::kPlatformConsole] = &datagen::WriteConsoleZonePlatform;
        if (m_row.setup)
            m_row.setup(m_env);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_row.write(m_env, m_env.HostPath("sample.dat")));
        m_sample = ReadHostFile(m_env.HostPath("sample.dat"));
        ASSERT_GT(m_sample.size(), 16u);
        m_positions = SweepPlan(m_sample, m_row.name);
    }
    void TearDown() override
    {
        eMesh::s_platformWrite[cFile::kPlatformConsole] = nullptr;
        eAnimation::s_platformWrite[cFile::kPlatformConsole] = nullptr;
        eZone::s_platformWrite[cFile::kPlatformConsole] = nullptr;
    }

    cBase* Load(const Bytes& bytes)
    {
        if (!datagen::WriteBytes(m_env.HostPath("load.dat"), bytes))
            return nullptr;
        return m_row.load ? m_row.load(m_env, "/load.dat") : cBase::Load("/load.dat", &m_env.m_loads, m_row.type());
    }
    // The object written again as a file of its own: empty when it cannot be.
    Bytes Rewrite(const cBase& object)
    {
        const std::string path = m_env.HostPath("again.dat");
        std::filesystem::remove(path);
        const bool ok = m_row.rewrite ? m_row.rewrite(path, object) : datagen::WriteObjectFile(path, object);
        return ok ? ReadHostFile(path) : Bytes();
    }
    void Release(cBase* pObject)
    {
        if (pObject)
            std::destroy_at(pObject);
        m_env.m_loads.Reset();
    }
    std::vector<Slot> Slots() const
    {
        std::vector<Slot> out;
        if (m_row.slots) {
            const cSlotTable& t = m_row.slots();
            for (int i = 0; i < t.m_nSlots; ++i)
                out.push_back({t.m_pGet(i), t.m_pGetHandle(i)});
        }
        return out;
    }
    // Loads damaged bytes: a refusal leaves the slots as they were and logs
    // one error (the damage's, not one from its reader and another from the
    // file); an object read is sound: written again, it loads again.
    void ExpectCleanLoad(const Bytes& bytes, bool bMustRefuse)
    {
        if (m_row.play) {
            EXPECT_TRUE(datagen::WriteBytes(m_env.HostPath("load.dat"), bytes));
            m_row.play(m_env, "/load.dat");
            return;
        }
        const std::vector<Slot> before = Slots();
        const int errorsBefore = m_log.m_nErrors;
        cBase* p = Load(bytes);
        if (p) {
            EXPECT_FALSE(bMustRefuse) << "a file cut short of its end loaded";
            const Bytes again = Rewrite(*p);
            Release(p);
            p = nullptr;
            ASSERT_FALSE(again.empty());
            p = Load(again);
            EXPECT_NE(p, nullptr) << "what was read writes a file that does not load";
        } else {
            EXPECT_TRUE(Slots() == before) << "a refused load changed the manager's slots";
            EXPECT_EQ(m_log.m_nErrors, errorsBefore + 1) << "a refused load logs exactly one error; the last: "
                                                          << m_log.m_sLast;
        }
        Release(p);
    }

    // A damaged sample: refused, one error holding each of the row's texts,
    // the slots as they were.
    void Refused()
    {
        const std::vector<Slot> before = Slots();
        const int errorsBefore = m_log.m_nErrors;
        cBase* p = Load(m_sample);
        EXPECT_EQ(p, nullptr) << "a damaged file loaded";
        EXPECT_TRUE(Slots() == before) << "a refused load changed the manager's slots";
        EXPECT_EQ(m_log.m_nErrors, errorsBefore + 1) << "the last error: " << m_log.m_sLast;
        for (const std::string& text : m_row.refused)
            EXPECT_NE(m_log.m_sLast.find(text), std::string::npos) << text << " in " << m_log.m_sLast;
        Release(p);
    }

    // Read and written again: the same bytes (an older version: the newest
    // one's, which then stay the same).
    void RoundTrip()
    {
        if (m_row.play) {
            EXPECT_TRUE(m_row.play(m_env, "/sample.dat"));
            return;
        }
        cBase* p = Load(m_sample);
        ASSERT_NE(p, nullptr);
        const Bytes once = Rewrite(*p);
        Release(p);
        ASSERT_FALSE(once.empty());
        if (m_row.bNewest) {
            EXPECT_EQ(once, m_sample);
        } else {
            EXPECT_NE(once, m_sample) << "an older version written as it was read";
        }
        p = Load(once);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(Rewrite(*p), once);
        Release(p);
    }
    // Every cut short of the top-level end marker is refused; cutting only
    // the trailer loads.
    void Cuts()
    {
        for (size_t len : m_positions.cuts) {
            if (HasFailure())
                break;
            SCOPED_TRACE(len);
            ExpectCleanLoad(Bytes(m_sample.begin(), m_sample.begin() + static_cast<std::ptrdiff_t>(len)),
                            len + 4 < m_sample.size());
        }
    }
    // A byte inverted at a time: refused or read soundly.
    void Flips()
    {
        Bytes bytes = m_sample;
        for (size_t i : m_positions.flips) {
            if (HasFailure())
                break;
            SCOPED_TRACE(i);
            bytes[i] ^= 0xFF;
            ExpectCleanLoad(bytes, false);
            bytes[i] ^= 0xFF;
        }
    }

    const LoaderRow& m_row = LoaderRows()[GetParam()];
    LoaderEnv m_env;
    Bytes m_sample;
    SweepPositions m_positions;
    QuietLog m_log;
};

// One test a row: a test process costs more than a small row's sweeps.
TEST_P(LoaderSuite, RoundTripCutsAndFlips)
{
    if (!m_row.refused.empty()) {
        Refused();
        return;
    }
    {
        SCOPED_TRACE("round trip");
        RoundTrip();
    }
    if (HasFailure())
        return;
    {
        SCOPED_TRACE("cut short");
        Cuts();
    }
    SCOPED_TRACE("a byte flipped");
    Flips();
}

std::string RowName(const testing::TestParamInfo<size_t>& info)
{
    std::string name = LoaderRows()[info.param].name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, LoaderSuite, testing::Range<size_t>(0, LoaderRows().size()), RowName);

// The heap's bytes in use: pools are the only users of the start-up heap.
size_t PoolBytes()
{
    size_t n = 0;
    const cMemPool* pFirst = cMemPool::s_pPoolList;
    for (const cMemPool* p = pFirst; p; p = p->GetNext() == pFirst ? nullptr : p->GetNext())
        n += p->Capacity();
    return n;
}

const LoaderRow* FindRow(const std::string& name)
{
    for (const LoaderRow& row : LoaderRows())
        if (row.name == name)
            return &row;
    return nullptr;
}

// Every row runs in one process: a game-flow row that keeps the memory of the
// pools it filled leaves too little heap for the "Map" pool of a later row.
// Loading the same file again takes nothing more from the heap (the pools
// are reset and reused), and the row's end gives all of it back.
TEST(LoaderSuiteHeap, FlowRowsLeaveTheHeapAsTheyFoundIt)
{
    QuietLog quiet;
    for (const char* name : {"gcGameConfig v1", "gcPlatformConfig v7", "gcGame v18", "gcGameState v4",
                             "gcPlayerConfig v4", "gcPlayerConfig v4 with a flying player", "gcAct v3", "gcMap v27",
                             "gcLoadingScreen v2", "gcMainMenu v5"}) {
        SCOPED_TRACE(name);
        const LoaderRow* pRow = FindRow(name);
        ASSERT_NE(pRow, nullptr);
        const size_t nBefore = PoolBytes();
        {
            LoaderEnv env;
            if (pRow->setup)
                pRow->setup(env);
            ASSERT_TRUE(pRow->write(env, env.HostPath("load.dat")));
            size_t nAfterFirst = 0;
            for (int i = 0; i < 2; ++i) {
                cBase* p = pRow->load(env, "/load.dat");
                ASSERT_NE(p, nullptr);
                std::destroy_at(p);
                env.m_loads.Reset();
                if (i == 0)
                    nAfterFirst = PoolBytes();
            }
            EXPECT_EQ(PoolBytes(), nAfterFirst) << "a second load took more of the heap";
        }
        EXPECT_EQ(PoolBytes(), nBefore) << "the row kept heap memory after its end";
    }
}

// A file of a count and two equal blocks between filler words, and where
// its parts lie.
struct PlanSample {
    Bytes bytes;
    size_t count = 0, first = 0, firstEnd = 0, second = 0;
};
PlanSample MakePlanSample()
{
    PlanSample s;
    datagen::BlockWriter w;
    w.Header().Word(7).Begin(3);
    for (int i = 0; i < 8; ++i)
        w.Float(1.5f);
    s.count = w.Size();
    w.Word(2);
    for (size_t* pAt : {&s.first, &s.second}) {
        *pAt = w.Size();
        w.Begin(1).Float(2.5f).Float(3.5f);
        if (pAt == &s.first)
            s.firstEnd = w.Size();
        w.End();
    }
    for (int i = 0; i < 8; ++i)
        w.Float(1.5f);
    w.End().Trailer();
    s.bytes = w.GetBytes();
    return s;
}

bool Has(const std::vector<size_t>& positions, size_t at)
{
    return std::binary_search(positions.begin(), positions.end(), at);
}

// A sanitizer build's sweeps keep the positions that find memory faults.
TEST(LoaderSuitePlan, SampledSweepsKeepTheStructure)
{
    const PlanSample s = MakePlanSample();
    const SweepPositions plan = StructuralPositions(s.bytes, RowSeed("a row"));
    struct Row {
        const char* what;
        size_t at;
        bool bCut;  // else a flip
    };
    const Row rows[] = {
        {"cut at a block's start", s.first, true},
        {"cut after its header", s.first + 12, true},
        {"cut at its end marker", s.firstEnd, true},
        {"cut after its end marker", s.firstEnd + 4, true},
        {"cut at a repeated block's start", s.second, true},
        {"cut inside the file's header", 5, true},
        {"cut before the trailer", s.bytes.size() - 3, true},
        {"flip of an end offset's highest byte", s.first + 4, false},
        {"flip of an end offset's lowest byte", s.first + 7, false},
        {"flip of a version's highest byte", s.first + 8, false},
        {"flip of a version's lowest byte", s.first + 11, false},
        {"flip of a count's highest byte", s.count, false},
        {"flip of a count's lowest byte", s.count + 3, false},
        {"flip in the type id", 10, false},
        {"flip in the trailer", s.bytes.size() - 1, false},
    };
    for (const Row& row : rows)
        EXPECT_TRUE(Has(row.bCut ? plan.cuts : plan.flips, row.at)) << row.what;
    int repeatedOffsetFlips = 0;
    for (size_t at = s.second + 4; at < s.second + 8; ++at)
        repeatedOffsetFlips += Has(plan.flips, at);
    EXPECT_LT(repeatedOffsetFlips, 4) << "a repeated block's end offset was flipped whole";
    EXPECT_TRUE(std::is_sorted(plan.cuts.begin(), plan.cuts.end()));
    EXPECT_TRUE(std::is_sorted(plan.flips.begin(), plan.flips.end()));
    EXPECT_EQ(StructuralPositions(s.bytes, RowSeed("a row")).flips, plan.flips) << "the sample is not the seed's";
    EXPECT_NE(StructuralPositions(s.bytes, RowSeed("another row")).flips, plan.flips) << "the sample ignores the seed";
}

// Many equal blocks: a sampled sweep tries a small share of the positions;
// a plain one tries every one.
TEST(LoaderSuitePlan, RepeatsAreSampledAndPlainSweepsTakeEverything)
{
    datagen::BlockWriter w;
    w.Header().Word(7).Begin(3).Word(200);
    for (int i = 0; i < 200; ++i)
        w.Begin(1).Float(2.5f).Word(0x12345678).End();
    w.End().Trailer();
    const Bytes& bytes = w.GetBytes();
    const SweepPositions sampled = StructuralPositions(bytes, 5);
    EXPECT_LT(sampled.flips.size(), bytes.size() / 5);
    EXPECT_LT(sampled.cuts.size(), bytes.size() / 2);
    const SweepPositions every = EveryPosition(bytes.size());
    ASSERT_EQ(every.cuts.size(), bytes.size());
    ASSERT_EQ(every.flips.size(), bytes.size());
    EXPECT_EQ(every.cuts.back(), bytes.size() - 1);
    EXPECT_EQ(every.flips.front(), 0u);
}

// The public writers of tools/datagen: files of a class and blocks of one.
std::set<std::string> DatagenWriters()
{
    const std::regex file(R"(\bbool\s+(Write\w+File)\s*\()");
    const std::regex block(R"(BlockWriter&\s+(\w+Block)\s*\(\s*BlockWriter&)");
    std::set<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(QM_SOURCE_DIR "/tools/datagen")) {
        if (entry.path().extension() != ".h")
            continue;
        std::ifstream in(entry.path());
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (const std::regex* re : {&file, &block})
            for (std::sregex_iterator it(text.begin(), text.end(), *re), end; it != end; ++it)
                out.insert((*it)[1]);
    }
    return out;
}

// Writers of no class of their own: any object, or raw bytes.
const std::set<std::string> kGenericWriters = {"WriteObjectFile", "WriteObjectBlocksFile", "WriteBodyFile"};
TEST(LoaderSuiteRegistry, EveryDatagenWriterHasARow)
{
    const std::set<std::string> writers = DatagenWriters();
    ASSERT_GT(writers.size(), 20u) << "no writers found below " QM_SOURCE_DIR "/tools/datagen";
    std::set<std::string> covered = kGenericWriters;
    for (const LoaderRow& row : LoaderRows())
        for (const std::string& w : row.writers) {
            EXPECT_TRUE(writers.count(w)) << row.name << " names " << w << ", which tools/datagen does not declare";
            covered.insert(w);
        }
    for (const std::string& w : writers)
        EXPECT_TRUE(covered.count(w)) << "datagen writer " << w << " has no row in the loader suite";
}

}  // namespace
