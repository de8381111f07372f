#include "eEngine/eNormalTable.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "platform/ps.h"

namespace {

float AngleDegrees(const mVec3& a, const mVec3& b)
{
    double d = static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
    d = d > 1.0 ? 1.0 : (d < -1.0 ? -1.0 : d);
    return static_cast<float>(std::acos(d) * 180.0 / 3.14159265358979323846);
}

TEST(eNormalTableTest, EveryEntryIsUnitLength)
{
    for (int i = 0; i < eNormalTable::kCount; ++i) {
        const mVec3& n = eNormalTable::s_normalTable[i];
        const double len = std::sqrt(static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y +
                                     static_cast<double>(n.z) * n.z);
        EXPECT_NEAR(len, 1.0, 1e-6) << "entry " << i;
    }
}

// A mistyped digit moves an entry off the subdivided icosahedron: every entry
// then no longer has its nearest neighbour 12.7 to 13.5 degrees away.
TEST(eNormalTableTest, NearestNeighboursAreEvenlySpaced)
{
    for (int i = 0; i < eNormalTable::kCount; ++i) {
        float nearest = 180.0f;
        for (int j = 0; j < eNormalTable::kCount; ++j)
            if (j != i)
                nearest = std::fmin(nearest, AngleDegrees(eNormalTable::s_normalTable[i], eNormalTable::s_normalTable[j]));
        EXPECT_GE(nearest, 12.6f) << "entry " << i;
        EXPECT_LE(nearest, 13.6f) << "entry " << i;
    }
}

TEST(eNormalTableTest, SpotValuesAreExactFloats)
{
    const struct { int index; float x, y, z; const char* why; } rows[] = {
        {0, 0.0f, 0.0f, 1.0f, "straight up comes first"},
        {1, 0.011249278f, 0.72289485f, 0.69086653f, "46 degrees from entry 0: the order is not spatial"},
        {10, 0.27639318f, 0.85065085f, 0.4472136f, "a vertex of the underlying icosahedron"},
        {35, 0.9952728f, 6.1130585e-08f, 0.09711867f, "tiny y kept as stored"},
        {36, 0.0f, 0.0f, -1.0f, "straight down"},
        {127, -0.046848103f, 0.5431534f, 0.83832544f, "first entry with negative x"},
        {224, -0.21962467f, -1.9200199e-08f, -0.97558445f, "negative tiny y"},
        {251, -0.9952728f, -1.06978504e-07f, -0.09711868f, "last entry"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const mVec3& n = eNormalTable::s_normalTable[row.index];
        EXPECT_EQ(n.x, row.x);
        EXPECT_EQ(n.y, row.y);
        EXPECT_EQ(n.z, row.z);
    }
    EXPECT_NEAR(AngleDegrees(eNormalTable::s_normalTable[0], eNormalTable::s_normalTable[1]), 46.3f, 0.1f);
}

TEST(eNormalTableTest, IndexFromNormalTakesTheLargestDotFirstOnTies)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct { mVec3 n; int index; const char* why; } rows[] = {
        {{0.0f, 0.0f, 1.0f}, 0, "exact entry"},
        {{0.0f, 0.0f, 5.0f}, 0, "length does not matter"},
        {{0.0f, 0.0f, 0.0f}, 0, "all products 0 beat the start value -1 at entry 0"},
        {{0.0f, 0.0f, -1.0f}, 36, "exact entry"},
        {{0.0f, 1.0f, 0.0f}, 2, "entries 2 and 157 share y 0.9938773: the first wins"},
        {{0.0f, -1.0f, 0.0f}, 71, "entries 71 and 220 share y -0.9938773: the first wins"},
        {{1.0f, 0.0f, 0.0f}, 35, "largest x"},
        {{0.27639318f, 0.85065085f, 0.4472136f}, 10, "exact entry away from the poles"},
        {{nan, 0.0f, 1.0f}, 255, "NaN matches nothing"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(eNormalTable::GetIndexFromNormal(row.n), row.index);
    }
}

TEST(eNormalTableTest, EveryEntryMapsBackToItself)
{
    for (int i = 0; i < eNormalTable::kCount; ++i)
        EXPECT_EQ(eNormalTable::GetIndexFromNormal(eNormalTable::s_normalTable[i]), i);
}

TEST(eNormalTableTest, GraphicsArrayHoldsTheTableBigEndian)
{
    const uint8_t* p = eNormalTable::GetGXArray();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 32, 0u);
    EXPECT_EQ(eNormalTable::GetGXArray(), p);  // built once
    // Entry 0 is (0, 0, 1): 1.0f is 0x3F800000, stored high byte first.
    const uint8_t first[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0x3F, 0x80, 0, 0};
    EXPECT_EQ(std::memcmp(p, first, 12), 0);
    // Entry 36 is (0, 0, -1): 0xBF800000.
    EXPECT_EQ(ps::LoadU32BE(p + 36 * 12 + 8), 0xBF800000u);
    for (int i = 0; i < eNormalTable::kCount; ++i) {
        const mVec3& n = eNormalTable::s_normalTable[i];
        EXPECT_EQ(ps::LoadF32BE(p + i * eNormalTable::kGXStride + 0), n.x);
        EXPECT_EQ(ps::LoadF32BE(p + i * eNormalTable::kGXStride + 4), n.y);
        EXPECT_EQ(ps::LoadF32BE(p + i * eNormalTable::kGXStride + 8), n.z);
    }
}

}  // namespace
