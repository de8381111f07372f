// The loader suite's drivers and the check that every datagen writer has a
// row.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

Bytes ReadHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The sweeps make thousands of refusals; their log lines are counted, not shown.
class QuietLog {
public:
    QuietLog() : m_old(cLogSetCallback(&Count, this)) {}
    ~QuietLog() { cLogSetCallback(m_old, nullptr); }
    int m_nErrors = 0;

private:
    static void Count(void* p, cLogType type, const char*)
    {
        if (type == LOGTYPE_ERROR)
            ++static_cast<QuietLog*>(p)->m_nErrors;
    }
    cLogFunc m_old;
};

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
    // Loads damaged bytes: a refusal leaves the slots as they were; an
    // object read is sound: written again, it loads again.
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
            EXPECT_GT(m_log.m_nErrors, errorsBefore) << "a load was refused without a logged error";
        }
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
    void EveryCut()
    {
        for (size_t len = 0; len < m_sample.size() && !HasFailure(); ++len) {
            SCOPED_TRACE(len);
            ExpectCleanLoad(Bytes(m_sample.begin(), m_sample.begin() + static_cast<std::ptrdiff_t>(len)),
                            len + 4 < m_sample.size());
        }
    }
    // Every byte inverted in turn: refused or read soundly.
    void EveryFlip()
    {
        Bytes bytes = m_sample;
        for (size_t i = 0; i < bytes.size() && !HasFailure(); ++i) {
            SCOPED_TRACE(i);
            bytes[i] ^= 0xFF;
            ExpectCleanLoad(bytes, false);
            bytes[i] ^= 0xFF;
        }
    }

    const LoaderRow& m_row = LoaderRows()[GetParam()];
    LoaderEnv m_env;
    Bytes m_sample;
    QuietLog m_log;
};

// One test a row: a test process costs more than a small row's sweeps.
TEST_P(LoaderSuite, RoundTripCutsAndFlips)
{
    {
        SCOPED_TRACE("round trip");
        RoundTrip();
    }
    if (HasFailure())
        return;
    {
        SCOPED_TRACE("cut at every length");
        EveryCut();
    }
    SCOPED_TRACE("every byte flipped");
    EveryFlip();
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
