#include "cCore/cTimeValue.h"

#include <gtest/gtest.h>

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
