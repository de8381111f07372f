#include "eEngine/eNormalTable.h"

#include <bit>
#include <cmath>

#include <gtest/gtest.h>

#include "platform/ps.h"

namespace {

double Dot(const mVec3& a, const mVec3& b)
{
    return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

// A mistyped digit takes an entry off the unit sphere or off the subdivided
// icosahedron, whose vertices all have their nearest neighbour 12.7 to 13.5
// degrees away.
TEST(eNormalTableTest, EntriesAreUnitAndEvenlySpaced)
{
    const auto& t = eNormalTable::s_normalTable;
    for (int i = 0; i < eNormalTable::kCount; ++i) {
        EXPECT_NEAR(Dot(t[i], t[i]), 1.0, 2e-6) << i;
        double nearest = -1.0;
        for (int j = 0; j < eNormalTable::kCount; ++j)
            if (j != i)
                nearest = std::fmax(nearest, Dot(t[i], t[j]));
        const double degrees = std::acos(std::fmin(nearest, 1.0)) * 57.29577951308232;
        EXPECT_TRUE(degrees > 12.6 && degrees < 13.6) << i << ": " << degrees;
        EXPECT_EQ(eNormalTable::GetIndexFromNormal(t[i]), i);
    }
    EXPECT_EQ(t[0], mVec3(0, 0, 1));
    // Every bit of every entry, in order: FNV-1a over the floats' bits, low
    // byte first, as computed from the exported table.
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
