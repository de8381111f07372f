#include "mMath/mWaveGen.h"

#include <gtest/gtest.h>

TEST(mWaveGen, ShapesAtKnownPoints)
{
    struct Row {
        const char* name;
        int32_t type;
        float t, expected;  // base 2, amplitude 3
    } rows[] = {
        {"constant base", 0, 0.3f, 2},          {"constant peak", 1, 0.3f, 5},
        {"sine at a quarter", 2, 0.25f, 5},     {"sine at minus a quarter: p = -0.25", 2, -0.25f, -1},
        {"square just before half", 4, 0.49f, 5}, {"square at half", 4, 0.5f, -1},
        {"triangle at the start", 3, 0, -1},    {"triangle at half", 3, 0.5f, 5},
        {"triangle at three quarters", 3, 0.75f, 2}, {"triangle falls after half", 3, 0.625f, 3.5f},
        {"rising ramp", 5, 1.25f, 2.75f},
        {"falling ramp", 6, 0.25f, 4.25f},      {"type 7 rises too", 7, 0.25f, 2.75f},
        {"type 9 is the base", 9, 0.25f, 2},    {"type -1 is the base", -1, 0.25f, 2},
        {"time beyond the integer range", 5, 3e9f, 2}, {"and below it", 5, -3e9f, 2},
        {"triangle at minus a quarter", 3, -0.25f, -4}, {"square at minus a quarter", 4, -0.25f, 5},
        {"square at minus three quarters", 4, -0.75f, 5}, {"rising ramp at minus a quarter", 5, -0.25f, 1.25f},
        {"falling ramp at minus a quarter", 6, -0.25f, 5.75f},
    };
    for (const Row& row : rows) {
        mWaveGen w;
        w.base = 2.0f;
        w.amplitude = 3.0f;
        w.waveType = row.type;
        EXPECT_FLOAT_EQ(w.Calulate(row.t), row.expected) << row.name;
    }
    mWaveGen w;
    w.waveType = mWaveGen::kRampUp;
    w.frequency = 2.0f;
    w.phase = 0.125f;
    EXPECT_FLOAT_EQ(w.Calulate(0.5f), 0.25f);  // phase before frequency: 2 * 0.625 = 1.25
}
