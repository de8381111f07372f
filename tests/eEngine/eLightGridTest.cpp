#include "eEngine/eLightGrid.h"

#include <cmath>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/worldWriters.h"
#include "worldTestSupport.h"

namespace {

class eLightGridTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_grid.CreateLightGrid(2, 8, 16.0f, &m_pool)); }
    static mVec3 At(float i, float j, float k) { return mVec3(i * 2 - 8, j * 2 - 8, k * 2 - 8); }
    void Clear(int level) { std::fill_n(m_grid.m_pLevels[level].pBits, m_grid.m_pLevels[level].nBytes, 0); }
    cMemPool m_pool{"lightGridTest", 0x40000, false};
    eLightGrid m_grid;
};

TEST_F(eLightGridTest, LevelsHaveTheirShapeAndBitOrder)
{
    const struct { int n, bytes; float cell; } levels[] = {{9, 92, 2.0f}, {5, 16, 4.0f}};
    for (int l = 0; l < 2; ++l) {
        EXPECT_EQ(m_grid.m_pLevels[l].nSamples, levels[l].n);
        EXPECT_EQ(m_grid.m_pLevels[l].nBytes, levels[l].bytes);
        EXPECT_EQ(m_grid.m_pLevels[l].fCellSize, levels[l].cell);
    }
    m_grid.SetSample(0, 1, 2, 3, true);  // number 1 + 2*9 + 3*81 = 262: byte 32, bit 6
    EXPECT_EQ(m_grid.m_pLevels[0].pBits[32], 0x40);
    m_grid.SetSample(0, 9, 0, 0, true);  // out of range: nothing
    EXPECT_FALSE(m_grid.IsLit(0, 9, 0, 0));
}

TEST_F(eLightGridTest, BrightnessInsideOnTheEdgeAndOutside)
{
    const struct { const char* why; int litCorners; mVec3 pos; int value; } rows[] = {
        {"cell centre, all eight lit", 8, At(2.5f, 3.5f, 4.5f), 255},
        {"cell centre, four lit (127.5 truncated)", 4, At(2.5f, 3.5f, 4.5f), 127},
        {"cell centre, one lit", 1, At(2.5f, 3.5f, 4.5f), 31}, {"cell centre, all dark", 0, At(2.5f, 3.5f, 4.5f), 0},
        {"on the one lit sample", 1, At(2, 3, 4), 255},
        {"on a dark sample, the other seven lit", 7, At(3, 4, 5), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        Clear(0);
        for (int b = 0; b < row.litCorners; ++b)  // corner b: x from bit 2, y bit 1, z bit 0
            m_grid.SetSample(0, 2 + ((b >> 2) & 1), 3 + ((b >> 1) & 1), 4 + (b & 1), true);
        EXPECT_EQ(m_grid.GetLightValue(row.pos, 0.0f), row.value);
    }

    Clear(0);
    m_grid.SetSample(0, 8, 4, 4, true);  // on the +x face
    m_grid.SetSample(0, 0, 0, 0, true);  // the -x -y -z corner
    const struct { const char* why; mVec3 pos; int value; } edges[] = {
        {"exactly on the last sample", At(8, 4, 4), 255},
        {"in the last layer, between two samples", At(7.5f, 4, 4), 127}, {"just past the face", {8.5f, 0, 0}, 255},
        {"far outside: the nearest sample", {100, 0, 0}, 255}, {"far outside, nearest sample dark", {100, 4, 0}, 0},
        {"below every face: the corner sample", {-50, -50, -50}, 255},
    };
    for (const auto& row : edges)
        EXPECT_EQ(m_grid.GetLightValue(row.pos, 0.0f), row.value) << row.why;
    const int nanValue = m_grid.GetLightValue(mVec3(std::nanf(""), 0, 0), 0.0f);
    EXPECT_TRUE(nanValue == 0 || nanValue == 255);
}

TEST_F(eLightGridTest, EveryPositionOfAFullyLitGridIs255)
{
    std::fill_n(m_grid.m_pLevels[0].pBits, m_grid.m_pLevels[0].nBytes, 0xFF);
    int nShort = 0;
    for (float x = -7.9f; x < 8.0f; x += 0.37f)
        for (float y = -7.9f; y < 8.0f; y += 0.41f)
            nShort += m_grid.GetLightValue(mVec3(x, y, 0.3f * x - 0.7f), 0.0f) != 255;
    EXPECT_EQ(nShort, 0);
}

TEST_F(eLightGridTest, RadiusPicksTheLevel)
{
    std::fill_n(m_grid.m_pLevels[1].pBits, 16, 0xFF);  // level 1 lit, level 0 dark
    const struct { float radius; int value; } rows[] = {{0, 0}, {4.0f, 0}, {4.1f, 255}, {1000, 255}};
    for (const auto& row : rows)
        EXPECT_EQ(m_grid.GetLightValue(mVec3(1, 1, 1), row.radius), row.value) << row.radius;
    eLightGrid empty;
    EXPECT_EQ(empty.GetLightValue(mVec3(0, 0, 0), 1.0f), 255);  // no data: fully lit
    ASSERT_TRUE(empty.CreateLightGrid(2, 1, 10.0f, &m_pool));   // level 1: one sample
    empty.SetSample(1, 0, 0, 0, true);
    EXPECT_EQ(empty.GetLightValue(mVec3(3, 3, 3), 100.0f), 255);
    EXPECT_FALSE(empty.CreateLightGrid(2, 0, 10.0f, &m_pool));
}

class eLightGridFileTest : public testing::Test {
protected:
    static datagen::BlockWriter OneLevel(int32_t nSamples, int32_t nBytes, int bitBytes, uint32_t version = 1)
    {
        datagen::BlockWriter w;
        w.Header().Begin(version).Begin(1).End().Int(1).Float(4.0f).Float(4.0f);
        w.Int(nSamples).Int(nBytes).Float(4.0f);
        for (int i = 0; i < bitBytes; ++i)
            w.Byte(static_cast<uint8_t>(0xA5 + i));
        return w.End().Trailer();
    }
    bool Read(const std::vector<uint8_t>& bytes, eLightGrid* pGrid)
    {
        EXPECT_TRUE(datagen::WriteBytes(m_data.HostPath("l.dat"), bytes));
        cFile file;
        return file.Open("/l.dat") && pGrid->Read(file, &m_pool);
    }
    eTestDataDir m_data;
    cMemPool m_pool{"lightGridFile", 0x40000, false};
};

TEST_F(eLightGridFileTest, LayoutAndLoadThroughTheDataWriter)
{
    eLightGrid one;
    ASSERT_TRUE(one.CreateLightGrid(1, 1, 4.0f, &m_pool));  // 2 samples per axis: one byte
    one.m_pLevels[0].pBits[0] = 0xA5;
    {
        cFile file;
        ASSERT_TRUE(file.Create(m_data.HostPath("one.dat").c_str(), 0, cFile::kPlatformConsole, true));
        one.Write(file);
    }
    EXPECT_EQ(ReadHostFile(m_data.HostPath("one.dat")), OneLevel(2, 1, 1).GetBytes());

    const eLightGrid* g = datagen::BuildLightGrid(3, 8, 64.0f, &m_pool, [](int, const mVec3& p) { return p.z >= 0; });
    ASSERT_NE(g, nullptr);
    ASSERT_TRUE(datagen::WriteLightGridFile(m_data.HostPath("g.dat"), *g));
    auto* loaded = dcast<eLightGrid>(cBase::Load("/g.dat", &m_pool, eLightGrid::GetStaticType()));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->m_pLevels[2].nSamples, 3);
    EXPECT_EQ(loaded->GetLightValue(mVec3(0, 0, 20), 0.0f), 255);  // above the floor
    EXPECT_EQ(loaded->GetLightValue(mVec3(0, 0, -4), 0.0f), 127);  // halfway down a cell of 8
}

TEST_F(eLightGridFileTest, InconsistentOrShortLevelsAreRefusedAndTheGridKept)
{
    std::vector<std::vector<uint8_t>> bad = {
        OneLevel(2, 1, 1, 0).GetBytes(),    // version 0
        OneLevel(9, 91, 91).GetBytes(),     // too few bytes for 9^3 samples
        OneLevel(0, 1, 1).GetBytes(),       // no samples
        OneLevel(2, -4, 1).GetBytes(),      // negative byte count
        OneLevel(2, 4000, 1).GetBytes(),    // more bytes than the block holds
        OneLevel(eLightGrid::kMaxSamples + 1, 0x7FFFFFFF, 1).GetBytes(),
        datagen::BlockWriter().Header().Begin(1).Begin(1).End().Int(-1).Float(1).Float(1).End().Trailer().GetBytes(),
    };
    for (const auto& bytes : bad) {
        eLightGrid g;
        ASSERT_TRUE(g.CreateLightGrid(1, 2, 8.0f, &m_pool));
        eLightGridLevel* before = g.m_pLevels;
        EXPECT_FALSE(Read(bytes, &g)) << bytes.size();
        EXPECT_EQ(g.m_nLevels, 1);
        EXPECT_EQ(g.m_pLevels, before);
        EXPECT_EQ(g.m_fSize, 8.0f);
    }
    eLightGrid spare;  // more bytes than the samples need is fine
    EXPECT_TRUE(Read(OneLevel(2, 3, 3).GetBytes(), &spare));
}

}  // namespace
