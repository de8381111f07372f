#include "eEngine/eNormalTable.h"

#include <bit>
#include <cmath>

#include <gtest/gtest.h>

#include "platform/ps.h"

namespace {

TEST(eNormalTableTest, EntriesHoldTheExportedBits)
{
    const auto& t = eNormalTable::s_normalTable;
    for (int i = 0; i < eNormalTable::kCount; ++i)
        EXPECT_EQ(eNormalTable::GetIndexFromNormal(t[i]), i);
    EXPECT_EQ(t[0], mVec3(0, 0, 1));
    uint32_t hash = 2166136261u;
    for (int i = 0; i < eNormalTable::kCount; ++i) {
        for (int c = 0; c < 3; ++c) {
            const uint32_t bits = std::bit_cast<uint32_t>(t[i][c]);
            for (int b = 0; b < 4; ++b)
                hash = (hash ^ ((bits >> (8 * b)) & 0xFFu)) * 16777619u;
        }
    }
    EXPECT_EQ(hash, 0xCF66702Cu);
}

TEST(eNormalTableTest, IndexFromNormalTakesTheFirstLargestDot)
{
    const struct { mVec3 n; int index; const char* why; } rows[] = {
        {{0, 0, 5}, 0, "length does not matter"},
        {{0, 0, 0}, 0, "all products 0 beat the start value -1 at entry 0"},
        {{0, 1, 0}, 2, "entries 2 and 157 share y 0.9938773: the first wins"},
        {{0, -1, 0}, 71, "entries 71 and 220 tie the same way"},
        {{1, 0, 0}, 35, "largest x"},
        {{std::nanf(""), 0, 1}, 255, "NaN matches nothing"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(eNormalTable::GetIndexFromNormal(row.n), row.index) << row.why;
}

TEST(eNormalTableTest, GraphicsArrayHoldsTheTableBigEndian)
{
    const uint8_t* p = eNormalTable::GetGXArray();
    ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 32, 0u);
    for (int i = 0; i < eNormalTable::kCount; ++i)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(ps::LoadF32BE(p + i * eNormalTable::kGXStride + 4 * c), eNormalTable::s_normalTable[i][c]);
}

}  // namespace
