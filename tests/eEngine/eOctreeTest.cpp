#include "eEngine/eOctree.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "mMath/mSphere.h"
#include "worldTestSupport.h"

namespace {

eOctree MakeTree(float size, float loose, int levels)
{
    eOctree t;
    t.m_fSize = size;
    t.m_fLooseScale = loose;
    t.m_nLevels = levels;
    t.m_volume.minCorner.Set(-size / 2, -size / 2, -size / 2);
    t.m_volume.maxCorner.Set(size / 2, size / 2, size / 2);
    return t;
}

mSphere Sphere(float x, float y, float z, float r)
{
    mSphere s;
    s.center.Set(x, y, z);
    s.radius = r;
    return s;
}

TEST(eOctreeTest, NumberingFollowsFromTheIndex)
{
    const int32_t starts[] = {0, 1, 9, 73, 585, 4681, 37449};
    for (int level = 0; level < 7; ++level)
        EXPECT_EQ(eOctree::LevelStart(level), starts[level]) << "level " << level;
    for (int levels = 1; levels < 7; ++levels)
        EXPECT_EQ(eOctree::NodeCount(levels), starts[levels]) << "levels " << levels;
    EXPECT_EQ(eOctree::NodeCount(eOctree::kMaxLevels), 2396745);
    // Children of i are 8i+1 .. 8i+8 and lead back to i.
    for (int32_t node : {0, 1, 6, 8, 72, 584}) {
        for (int k = 0; k < 8; ++k) {
            EXPECT_EQ(eOctree::Child(node, k), 8 * node + 1 + k);
            EXPECT_EQ(eOctree::Parent(eOctree::Child(node, k)), node);
        }
    }
    EXPECT_EQ(eOctree::Parent(9), 1);
    EXPECT_EQ(eOctree::Parent(72), 8);
    EXPECT_EQ(eOctree::Parent(73), 9);
}

TEST(eOctreeTest, MortonInterleavesXYZ)
{
    const struct { uint32_t x, y, z, code; } rows[] = {
        {0, 0, 0, 0}, {1, 0, 0, 1}, {0, 1, 0, 2}, {0, 0, 1, 4},
        {3, 1, 2, 43},  // x bits 0,1 -> 0,3; y bit 0 -> 1; z bit 1 -> 5
        {8, 8, 8, 0xE00}, {15, 0, 0, 0x249}, {127, 127, 127, 0x1FFFFF},
    };
    for (const auto& row : rows)
        EXPECT_EQ(eOctree::Morton(row.x, row.y, row.z), row.code) << row.x << "," << row.y << "," << row.z;
}

TEST(eOctreeTest, SphereChoosesLevelByRadiusAndCellByCentre)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct { const char* why; int levels; mSphere s; int32_t node; } rows[] = {
        // Size 100, loose scale 1.5: q = 25 / r and the level is floor(log2 q).
        {"as large as the cube: root", 5, Sphere(0, 0, 0, 100), 0},
        {"q exactly 1: level 0", 5, Sphere(0, 0, 0, 25), 0},
        {"q just below 2: still level 0", 5, Sphere(0, 0, 0, 13), 0},
        {"q 2: level 1, cell (1,1,1)", 5, Sphere(0, 0, 0, 12.5f), 1 + 7},
        {"q 4: level 2, cell (2,2,2)", 5, Sphere(0, 0, 0, 6.25f), 9 + 56},
        {"q 8: level 3, cell (4,4,4)", 5, Sphere(0, 0, 0, 3.125f), 73 + 448},
        {"q 25: level 4, cell (8,8,8)", 5, Sphere(0, 0, 0, 1), 585 + 0xE00},
        {"q 25 in a 3-level tree: clamped to level 2", 3, Sphere(0, 0, 0, 1), 9 + 56},
        {"radius 0: q infinite, deepest level", 5, Sphere(0, 0, 0, 0), 585 + 0xE00},
        {"tiny radius: deepest level", 5, Sphere(0, 0, 0, 1e-6f), 585 + 0xE00},
        {"level 1 off centre: cell (1,0,1)", 5, Sphere(30, -20, 10, 12.5f), 1 + 5},
        {"level 2 off centre: cell (3,1,2), a child of node 6", 5, Sphere(30, -20, 10, 6.25f), 9 + 43},
        {"positive face is outside", 5, Sphere(50, 0, 0, 1), -1},
        {"negative face is inside, cell 0", 5, Sphere(-50, 0, 0, 1), 585 + 0xC00},
        {"under a cell below the negative face still truncates to cell 0", 5, Sphere(0, -50.5f, 0, 1),
         585 + 0xA00},
        {"more than a cell below the negative face is outside", 5, Sphere(0, 0, -57, 1), -1},
        {"far outside but huge: still outside", 5, Sphere(500, 0, 0, 1000), -1},
        {"infinite centre is outside", 5, Sphere(inf, 0, 0, 1), -1},
        {"NaN centre is outside", 5, Sphere(std::nanf(""), 0, 0, 1), -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(MakeTree(100, 1.5f, row.levels).GetNodeFromSphere(row.s), row.node);
    }
    EXPECT_EQ(eOctree::Parent(9 + 43), 1 + 5);
    EXPECT_EQ(eOctree().GetNodeFromSphere(Sphere(0, 0, 0, 1)), -1);  // a tree without levels
}

TEST(eOctreeTest, BoxUsesHalfItsLargestExtent)
{
    const eOctree t = MakeTree(100, 1.5f, 5);
    const struct { const char* why; mVec3 lo, hi; int32_t node; } rows[] = {
        {"flat box: the larger of the other two extents (radius 10, level 1)", {-10, -4, 0}, {10, 4, 0}, 1 + 7},
        {"tallest on z (radius 6.25, level 2)", {-1, -1, -6.25f}, {1, 1, 6.25f}, 9 + 56},
        {"point box: deepest level", {-50, -50, -50}, {-50, -50, -50}, 585},
        {"centre at the positive face: outside", {40, 0, 0}, {60, 1, 1}, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        mBox b;
        b.minCorner = row.lo;
        b.maxCorner = row.hi;
        EXPECT_EQ(t.GetNodeFromBox(b), row.node);
    }
}

class eOctreeFileTest : public testing::Test {
protected:
    static datagen::BlockWriter TreeFile(int32_t levels)
    {
        datagen::BlockWriter w;
        w.Header().Begin(1).Float(100).Float(1.5f).Int(levels);
        w.Float(-50).Float(-40).Float(-30).Float(50).Float(40).Float(30);
        return w.End().Trailer();
    }
    bool ReadTree(const char* name, eOctree* pTree)
    {
        cFile file;
        if (!file.Open(eTestDataDir::ConsolePath(name).c_str()))
            return false;
        return pTree->Read(file);
    }
    eTestDataDir m_data;
};

TEST_F(eOctreeFileTest, WritesThirtySixBytesInOrderAndReadsThemBack)
{
    eOctree t = MakeTree(100, 1.5f, 5);
    t.m_volume.minCorner.Set(-50, -40, -30);
    t.m_volume.maxCorner.Set(50, 40, 30);
    {
        cFile file;
        ASSERT_TRUE(file.Create(m_data.HostPath("t.dat").c_str(), 0, cFile::kPlatformConsole, true));
        t.Write(file);
    }
    const std::vector<uint8_t> expected = TreeFile(5).GetBytes();
    ASSERT_EQ(expected.size(), 8u + 12u + 36u + 4u + 4u);
    EXPECT_EQ(ReadHostFile(m_data.HostPath("t.dat")), expected);

    eOctree back;
    ASSERT_TRUE(ReadTree("t.dat", &back));
    EXPECT_EQ(back.m_fSize, 100.0f);
    EXPECT_EQ(back.m_fLooseScale, 1.5f);
    EXPECT_EQ(back.m_nLevels, 5);
    EXPECT_EQ(back.m_volume.minCorner, mVec3(-50, -40, -30));
    EXPECT_EQ(back.m_volume.maxCorner, mVec3(50, 40, 30));
}

TEST_F(eOctreeFileTest, LevelCountsThatCannotSizeANodeArrayAreRefused)
{
    for (int32_t levels : {0, -1, eOctree::kMaxLevels + 1, 0x7FFFFFFF}) {
        SCOPED_TRACE(levels);
        ASSERT_TRUE(TreeFile(levels).Save(m_data.HostPath("t.dat")));
        eOctree t = MakeTree(64, 2, 3);
        EXPECT_FALSE(ReadTree("t.dat", &t));
        EXPECT_EQ(t.m_fSize, 64.0f);
        EXPECT_EQ(t.m_nLevels, 3);
    }
    ASSERT_TRUE(TreeFile(eOctree::kMaxLevels).Save(m_data.HostPath("t.dat")));
    eOctree t;
    EXPECT_TRUE(ReadTree("t.dat", &t));
}

TEST_F(eOctreeFileTest, TruncatedFilesFailAndKeepTheTree)
{
    const datagen::BlockWriter w = TreeFile(5);
    const size_t payloadEnd = 8 + 12 + 36;
    for (size_t len = 0; len < payloadEnd; ++len) {
        SCOPED_TRACE(len);
        ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("t.dat"), w.Prefix(len)));
        eOctree t = MakeTree(64, 2, 3);
        EXPECT_FALSE(ReadTree("t.dat", &t));
        EXPECT_EQ(t.m_fSize, 64.0f);
        EXPECT_EQ(t.m_fLooseScale, 2.0f);
        EXPECT_EQ(t.m_nLevels, 3);
    }
}

}  // namespace
