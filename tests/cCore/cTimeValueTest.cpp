#include "cCore/cTimeValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

TEST(cTimeValue, TicksAndSeconds)
{
    EXPECT_EQ(cTimeValue::TICKS_PER_SECOND, 600);
    EXPECT_EQ(cTimeValue().m_nTicks, 0);
    EXPECT_EQ(cTimeValue::FromSeconds(1.0f / 30.0f).m_nTicks, 20);  // one frame
    EXPECT_EQ(cTimeValue::FromSeconds(-0.5f).m_nTicks, -300);
    EXPECT_FLOAT_EQ(cTimeValue(150).GetSeconds(), 0.25f);
    cTimeValue t(80);
    t += cTimeValue(20);
    EXPECT_EQ(t, cTimeValue(100));
    EXPECT_LT(t - cTimeValue(101), cTimeValue());
}

TEST(cTimeValue, SecondsOutsideTheTickRangeSaturate)
{
    EXPECT_EQ(cTimeValue::FromSeconds(1e9f).m_nTicks, INT32_MAX);
    EXPECT_EQ(cTimeValue::FromSeconds(-1e9f).m_nTicks, INT32_MIN);
    EXPECT_EQ(cTimeValue::FromSeconds(NAN).m_nTicks, 0);
    EXPECT_EQ(cTimeValue::FromSeconds(3579139.0f).m_nTicks, 2147483392);  // still exact below 2^31
}
