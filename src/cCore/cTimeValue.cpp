#include "cCore/cTimeValue.h"

#include <cstdint>

cTimeValue cTimeValue::FromSeconds(float fSeconds)
{
    // Out-of-range and NaN seconds saturate instead of overflowing the cast.
    const float fTicks = fSeconds * static_cast<float>(TICKS_PER_SECOND);
    if (!(fTicks == fTicks))
        return cTimeValue(0);
    if (fTicks >= 2147483520.0f)  // the largest float below 2^31
        return cTimeValue(INT32_MAX);
    if (fTicks <= -2147483648.0f)
        return cTimeValue(INT32_MIN);
    return cTimeValue(static_cast<int32_t>(fTicks));
}
