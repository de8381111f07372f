#include <gtest/gtest.h>

#include "platform/ps.h"

TEST(ps, QuantisedStoresSaturateAndTruncate)
{
    struct Row { const char* name; float value; int frac; int16_t expected; };
    const Row rows[] = {
        {"one at 10 bits", 1.0f, 10, 1024},
        {"truncates toward zero", -1.5f / 1024.0f, 10, -1},
        {"saturates high", 40.0f, 10, 32767},
        {"saturates low", -40.0f, 10, -32768},
        {"NaN stores zero", NAN, 14, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(ps::QuantS16(r.value, r.frac), r.expected);
    }
}

TEST(ps, BigEndianRoundTrip)
{
    uint8_t b[4];
    ps::StoreU32BE(b, 0x11223344u);
    EXPECT_EQ(b[0], 0x11);
    EXPECT_EQ(b[3], 0x44);
    EXPECT_EQ(ps::LoadU32BE(b), 0x11223344u);
    ps::StoreF32BE(b, 1.0f);
    EXPECT_EQ(b[0], 0x3F);
    EXPECT_EQ(b[1], 0x80);
    EXPECT_EQ(ps::LoadF32BE(b), 1.0f);
}
