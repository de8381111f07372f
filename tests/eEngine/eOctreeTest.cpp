#include "eEngine/eOctree.h"

#include <cmath>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "mMath/mSphere.h"
#include "worldTestSupport.h"

namespace {

TEST(eOctreeTest, NumberingFollowsFromTheIndex)
{
    const int32_t starts[] = {0, 1, 9, 73, 585, 4681, 37449};
    for (int level = 0; level < 7; ++level)
        EXPECT_EQ(eOctree::LevelStart(level), starts[level]) << level;
    EXPECT_EQ(eOctree::NodeCount(4), 585);
    EXPECT_EQ(eOctree::NodeCount(eOctree::kMaxLevels), 2396745);
    for (int32_t node : {0, 6, 72}) {
        EXPECT_EQ(eOctree::Child(node, 0), 8 * node + 1);
        EXPECT_EQ(eOctree::Child(node, 7), 8 * node + 8);
        EXPECT_EQ(eOctree::Parent(eOctree::Child(node, 7)), node);
    }
    EXPECT_EQ(eOctree::Morton(3, 1, 2), 43u);  // x bits 0,1 -> 0,3; y bit 0 -> 1; z bit 1 -> 5
    EXPECT_EQ(eOctree::Morton(127, 127, 127), 0x1FFFFFu);
}

TEST(eOctreeTest, RadiusPicksTheLevelAndCentreTheCell)
{
    const struct { const char* why; int levels; float x, y, z, r; int32_t node; } rows[] = {
        {"as large as the cube: the root", 5, 0, 0, 0, 100, 0},
        {"q just below 2: level 0", 5, 0, 0, 0, 13, 0},
        {"q 2: level 1, cell (1,1,1)", 5, 0, 0, 0, 12.5f, 1 + 7},
        {"q 8: level 3, cell (4,4,4)", 5, 0, 0, 0, 3.125f, 73 + 448},
        {"q 25: level 4, cell (8,8,8)", 5, 0, 0, 0, 1, 585 + 0xE00},
        {"q 25 in a 3-level tree: level 2", 3, 0, 0, 0, 1, 9 + 56},
        {"radius 0: q infinite, deepest level", 5, 0, 0, 0, 0, 585 + 0xE00},
        {"level 1 off centre: cell (1,0,1)", 5, 30, -20, 10, 12.5f, 1 + 5},
        {"level 2, cell (3,1,2): a child of node 6", 5, 30, -20, 10, 6.25f, 9 + 43},
        {"the positive face is outside", 5, 50, 0, 0, 1, -1},
        {"the negative face is inside, cell 0", 5, -50, 0, 0, 1, 585 + 0xC00},
        {"under a cell below it still truncates to cell 0", 5, 0, -50.5f, 0, 1, 585 + 0xA00},
        {"a cell and more below is outside", 5, 0, 0, -57, 1, -1},
        {"huge but centred outside", 5, 500, 0, 0, 1000, -1},
        {"NaN centre", 5, std::nanf(""), 0, 0, 1, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eOctree t;
        t.m_fSize = 100;
        t.m_fLooseScale = 1.5f;
        t.m_nLevels = row.levels;
        mSphere s;
        s.center.Set(row.x, row.y, row.z);
        s.radius = row.r;
        EXPECT_EQ(t.GetNodeFromSphere(s), row.node);
        mBox flat;  // zero height: the larger of the other two extents decides
        flat.minCorner.Set(row.x - row.r, row.y - row.r / 2, row.z);
        flat.maxCorner.Set(row.x + row.r, row.y + row.r / 2, row.z);
        if (row.r > 0 && row.r < 100 && std::isfinite(row.x) && row.x != 50) {
            EXPECT_EQ(t.GetNodeFromBox(flat), row.node);
        }
    }
    mSphere s;
    s.center.Set(0, 0, 0);
    s.radius = 1;
    EXPECT_EQ(eOctree().GetNodeFromSphere(s), -1);  // no levels
}

class eOctreeFileTest : public testing::Test {
protected:
    static datagen::BlockWriter TreeFile(int32_t levels)
    {
        datagen::BlockWriter w;
        w.Header().Begin(1).Float(100).Float(1.5f).Int(levels);
        return w.Float(-50).Float(-40).Float(-30).Float(50).Float(40).Float(30).End().Trailer();
    }
    bool Read(const std::vector<uint8_t>& bytes, eOctree* pTree)
    {
        EXPECT_TRUE(datagen::WriteBytes(m_data.HostPath("t.dat"), bytes));
        cFile file;
        return file.Open("/t.dat") && pTree->Read(file);
    }
    eTestDataDir m_data;
};

TEST_F(eOctreeFileTest, RoundTripsThirtySixBytesAndRefusesBadDepthsOrShortFiles)
{
    eOctree t;
    ASSERT_TRUE(Read(TreeFile(5).GetBytes(), &t));
    EXPECT_EQ(t.m_fLooseScale, 1.5f);
    EXPECT_EQ(t.m_nLevels, 5);
    EXPECT_EQ(t.m_volume.minCorner, mVec3(-50, -40, -30));
    EXPECT_EQ(t.m_volume.maxCorner, mVec3(50, 40, 30));
    {
        cFile file;
        ASSERT_TRUE(file.Create(m_data.HostPath("w.dat").c_str(), 0, cFile::kPlatformConsole, true));
        t.Write(file);
    }
    EXPECT_EQ(ReadHostFile(m_data.HostPath("w.dat")), TreeFile(5).GetBytes());

    std::vector<std::vector<uint8_t>> bad;
    for (int32_t levels : {0, -1, eOctree::kMaxLevels + 1})
        bad.push_back(TreeFile(levels).GetBytes());
    for (size_t len = 0; len < 8 + 12 + 36; ++len)
        bad.push_back(TreeFile(5).Prefix(len));
    for (const auto& bytes : bad) {
        eOctree kept;
        kept.m_fSize = 64;
        kept.m_nLevels = 3;
        EXPECT_FALSE(Read(bytes, &kept)) << bytes.size();
        EXPECT_EQ(kept.m_fSize, 64.0f);
        EXPECT_EQ(kept.m_nLevels, 3);
    }
}

}  // namespace
