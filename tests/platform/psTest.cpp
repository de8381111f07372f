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
