#include "eEngine/eLightGrid.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "datagen/blockWriter.h"
#include "datagen/worldWriters.h"
#include "mMath/mVec3.h"
#include "worldTestSupport.h"

namespace {

// Size 16 at resolution 8: level 0 has 9 samples per axis 2 apart from -8
// to +8, level 1 has 5 samples 4 apart; every position below is exact.
class eLightGridTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_grid.CreateLightGrid(2, 8, 16.0f, &m_pool)); }
    // Zone position of level-0 sample (i, j, k).
    static mVec3 At(float i, float j, float k) { return mVec3(i * 2 - 8, j * 2 - 8, k * 2 - 8); }
    void LightCell(int i, int j, int k, int litCorners)
    {
        for (int b = 0; b < 8; ++b)
            m_grid.SetSample(0, i + ((b >> 2) & 1), j + ((b >> 1) & 1), k + (b & 1), b < litCorners);
    }
    cMemPool m_pool{"lightGridTest", 0x10000, false};
    eLightGrid m_grid;
};

TEST_F(eLightGridTest, CreatedLevelsHaveTheirShape)
{
    EXPECT_EQ(eLightGrid::GetStaticType()->m_nTypeId, 41u);
    ASSERT_EQ(m_grid.m_nLevels, 2);
    EXPECT_EQ(m_grid.m_fSize, 16.0f);
    EXPECT_EQ(m_grid.m_fCellSize, 2.0f);
    EXPECT_EQ(m_grid.m_pLevels[0].nSamples, 9);
    EXPECT_EQ(m_grid.m_pLevels[0].nBytes, 92);  // 729 bits
    EXPECT_EQ(m_grid.m_pLevels[0].fCellSize, 2.0f);
    EXPECT_EQ(m_grid.m_pLevels[1].nSamples, 5);
    EXPECT_EQ(m_grid.m_pLevels[1].nBytes, 16);  // 125 bits
    EXPECT_EQ(m_grid.m_pLevels[1].fCellSize, 4.0f);
    for (int i = 0; i < 92; ++i)
        ASSERT_EQ(m_grid.m_pLevels[0].pBits[i], 0) << i;

    // Bit number i + j n + k n^2, least significant bit first.
    m_grid.SetSample(0, 1, 2, 3, true);  // 1 + 18 + 243 = 262: byte 32, bit 6
    EXPECT_EQ(m_grid.m_pLevels[0].pBits[32], 0x40);
    EXPECT_TRUE(m_grid.IsLit(0, 1, 2, 3));
    m_grid.SetSample(0, 9, 0, 0, true);  // out of range: nothing
    EXPECT_FALSE(m_grid.IsLit(0, 9, 0, 0));
}

TEST_F(eLightGridTest, BrightnessInsideOnTheEdgeAndOutside)
{
    const struct { const char* why; int lit; mVec3 pos; int value; } rows[] = {
        {"on a lit sample, dark neighbours", 1, At(2, 3, 4), 255},
        {"on a dark sample, lit neighbours", 7, At(3, 4, 5), 0},
        {"cell centre, four of eight lit (127.5 truncated)", 4, At(2.5f, 3.5f, 4.5f), 127},
        {"cell centre, all eight lit", 8, At(2.5f, 3.5f, 4.5f), 255},
        {"cell centre, all dark", 0, At(2.5f, 3.5f, 4.5f), 0},
        {"cell centre, one lit", 1, At(2.5f, 3.5f, 4.5f), 31},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        for (int i = 0; i < 92; ++i)
            m_grid.m_pLevels[0].pBits[i] = 0;
        if (row.lit == 1)
            m_grid.SetSample(0, 2, 3, 4, true);
        else if (row.lit == 7)
            LightCell(2, 3, 4, 8), m_grid.SetSample(0, 3, 4, 5, false);
        else
            LightCell(2, 3, 4, row.lit);
        EXPECT_EQ(m_grid.GetLightValue(row.pos, 0.0f), row.value);
    }
}

TEST_F(eLightGridTest, PositionsAtAndBeyondTheCubeUseTheNearestCells)
{
    m_grid.SetSample(0, 8, 4, 4, true);  // on the +x face
    m_grid.SetSample(0, 0, 0, 0, true);  // the -x -y -z corner
    const struct { const char* why; mVec3 pos; int value; } rows[] = {
        {"exactly on the last sample", At(8, 4, 4), 255},
        {"past the face, still within a cell", {8.5f, 0, 0}, 255},
        {"far outside: the nearest sample", {100, 0, 0}, 255},
        {"far outside, nearest sample dark", {100, 4, 0}, 0},
        {"below every face: corner sample", {-50, -50, -50}, 255},
        {"in the last layer between two samples", At(7.5f, 4, 4), 127},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(m_grid.GetLightValue(row.pos, 0.0f), row.value);
    }
    const int nanValue = m_grid.GetLightValue(mVec3(std::nanf(""), 0, 0), 0.0f);
    EXPECT_TRUE(nanValue == 0 || nanValue == 255);
}

TEST_F(eLightGridTest, RadiusPicksTheLevel)
{
    for (int k = 0; k < 5; ++k)
        for (int j = 0; j < 5; ++j)
            for (int i = 0; i < 5; ++i)
                m_grid.SetSample(1, i, j, k, true);  // level 1 all lit, level 0 all dark
    const struct { float radius; int value; } rows[] = {
        {0.0f, 0},     // level 0
        {4.0f, 0},     // half the radius equals level 0's cell: still level 0
        {4.1f, 255},   // beyond it: level 1
        {1000.0f, 255},  // the last level is as coarse as it gets
    };
    for (const auto& row : rows)
        EXPECT_EQ(m_grid.GetLightValue(mVec3(1, 1, 1), row.radius), row.value) << row.radius;
}

TEST(eLightGridBasicTest, DegenerateGridsStayInBounds)
{
    cMemPool pool("lightGridSmall", 0x1000, false);
    eLightGrid empty;
    EXPECT_EQ(empty.GetLightValue(mVec3(0, 0, 0), 1.0f), 255);  // no data: fully lit

    eLightGrid single;  // resolution 1 at level 1: one sample per axis
    ASSERT_TRUE(single.CreateLightGrid(2, 1, 10.0f, &pool));
    EXPECT_EQ(single.m_pLevels[1].nSamples, 1);
    single.SetSample(1, 0, 0, 0, true);
    EXPECT_EQ(single.GetLightValue(mVec3(3, 3, 3), 100.0f), 255);
    EXPECT_FALSE(single.CreateLightGrid(-1, 8, 10.0f, &pool));
    EXPECT_FALSE(single.CreateLightGrid(2, 0, 10.0f, &pool));
    EXPECT_EQ(single.m_nLevels, 2);  // refused shapes leave the grid
}

class eLightGridFileTest : public testing::Test {
protected:
    static datagen::BlockWriter OneLevel(int32_t nSamples, int32_t nBytes, size_t bitBytes, uint32_t version = 1)
    {
        datagen::BlockWriter w;
        w.Header().Begin(version).Begin(1).End();
        w.Int(1).Float(4.0f).Float(4.0f);
        w.Int(nSamples).Int(nBytes).Float(4.0f);
        for (size_t i = 0; i < bitBytes; ++i)
            w.Byte(static_cast<uint8_t>(0xA5 + i));
        return w.End().Trailer();
    }
    bool ReadGrid(const datagen::BlockWriter& w, eLightGrid* pGrid)
    {
        EXPECT_TRUE(w.Save(m_data.HostPath("l.dat")));
        cFile file;
        return file.Open("/l.dat") && pGrid->Read(file, &m_pool);
    }
    eTestDataDir m_data;
    cMemPool m_pool{"lightGridFile", 0x40000, false};
};

TEST_F(eLightGridFileTest, WriteLaysOutLevelsAfterTheBaseBlock)
{
    eLightGrid g;
    ASSERT_TRUE(g.CreateLightGrid(1, 1, 4.0f, &m_pool));  // 2 samples per axis: 8 bits, 1 byte
    g.m_pLevels[0].pBits[0] = 0xA5;
    {
        cFile file;
        ASSERT_TRUE(file.Create(m_data.HostPath("w.dat").c_str(), 0, cFile::kPlatformConsole, true));
        g.Write(file);
    }
    EXPECT_EQ(ReadHostFile(m_data.HostPath("w.dat")), OneLevel(2, 1, 1).GetBytes());

    eLightGrid back;
    ASSERT_TRUE(ReadGrid(OneLevel(2, 1, 1), &back));
    ASSERT_EQ(back.m_nLevels, 1);
    EXPECT_EQ(back.m_pLevels[0].pBits[0], 0xA5);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(back.m_pLevels[0].pBits) % 4, 0u);
}

TEST_F(eLightGridFileTest, RoundTripThroughTheDataWriter)
{
    cMemPool build("lightGridBuild", 0x40000, false);
    const eLightGrid* g = datagen::BuildLightGrid(3, 8, 64.0f, &build,
                                                  [](int, const mVec3& p) { return p.z >= 0.0f; });
    ASSERT_NE(g, nullptr);
    ASSERT_TRUE(datagen::WriteLightGridFile(m_data.HostPath("g.dat"), *g));
    auto* loaded = dcast<eLightGrid>(cBase::Load("/g.dat", &m_pool, eLightGrid::GetStaticType()));
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->m_nLevels, 3);
    EXPECT_EQ(loaded->m_fSize, 64.0f);
    EXPECT_EQ(loaded->m_pLevels[2].nSamples, 3);
    EXPECT_EQ(loaded->GetLightValue(mVec3(0, 0, 20), 0.0f), 255);   // above the floor: lit
    EXPECT_EQ(loaded->GetLightValue(mVec3(0, 0, -20), 0.0f), 0);    // below: dark
    EXPECT_EQ(loaded->GetLightValue(mVec3(0, 0, -4), 0.0f), 127);   // halfway between samples
    ASSERT_TRUE(datagen::WriteLightGridFile(m_data.HostPath("again.dat"), *loaded));
    EXPECT_EQ(ReadHostFile(m_data.HostPath("again.dat")), ReadHostFile(m_data.HostPath("g.dat")));
}

TEST_F(eLightGridFileTest, InconsistentLevelsAreRefusedAndTheGridKept)
{
    const struct { const char* why; datagen::BlockWriter w; } rows[] = {
        {"version 0", OneLevel(2, 1, 1, 0)},
        {"too few bytes for 9 samples per axis", OneLevel(9, 91, 91)},
        {"no samples", OneLevel(0, 1, 1)},
        {"negative byte count", OneLevel(2, -4, 1)},
        {"more bytes than the block holds", OneLevel(2, 4000, 1)},
        {"sample count past the limit", OneLevel(eLightGrid::kMaxSamples + 1, 0x7FFFFFFF, 1)},
        {"negative level count",
         datagen::BlockWriter().Header().Begin(1).Begin(1).End().Int(-1).Float(1).Float(1).End().Trailer()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eLightGrid g;
        ASSERT_TRUE(g.CreateLightGrid(1, 2, 8.0f, &m_pool));
        eLightGridLevel* before = g.m_pLevels;
        EXPECT_FALSE(ReadGrid(row.w, &g));
        EXPECT_EQ(g.m_nLevels, 1);
        EXPECT_EQ(g.m_pLevels, before);
        EXPECT_EQ(g.m_fSize, 8.0f);
    }
    eLightGrid ok;  // a byte count above the minimum is fine
    EXPECT_TRUE(ReadGrid(OneLevel(2, 3, 3), &ok));
}

TEST_F(eLightGridFileTest, TruncatedFilesFailAndKeepTheGrid)
{
    const datagen::BlockWriter w = OneLevel(3, 4, 4);
    for (size_t len = 0; len < w.Size() - 8; ++len) {
        SCOPED_TRACE(len);
        ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("t.dat"), w.Prefix(len)));
        eLightGrid g;
        ASSERT_TRUE(g.CreateLightGrid(1, 2, 8.0f, &m_pool));
        eLightGridLevel* before = g.m_pLevels;
        cFile file;
        if (file.Open("/t.dat"))
            EXPECT_FALSE(g.Read(file, &m_pool));
        EXPECT_EQ(g.m_nLevels, 1);
        EXPECT_EQ(g.m_pLevels, before);
    }
}

TEST_F(eLightGridFileTest, TruncatedObjectFilesDoNotLoad)
{
    cMemPool build("lightGridBuild", 0x10000, false);
    const eLightGrid* g = datagen::BuildLightGrid(2, 4, 8.0f, &build, [](int, const mVec3&) { return true; });
    ASSERT_NE(g, nullptr);
    ASSERT_TRUE(datagen::WriteLightGridFile(m_data.HostPath("g.dat"), *g));
    const std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("g.dat"));
    ASSERT_GT(bytes.size(), 12u);
    for (size_t len = 0; len < bytes.size() - 8; ++len) {
        SCOPED_TRACE(len);
        ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("t.dat"),
                                        std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(len))));
        m_pool.Reset();
        EXPECT_EQ(cBase::Load("/t.dat", &m_pool, eLightGrid::GetStaticType()), nullptr);
    }
}

}  // namespace
