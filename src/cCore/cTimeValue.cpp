#include "cCore/cTimeValue.h"

cTimeValue cTimeValue::FromSeconds(float fSeconds)
{
    return cTimeValue(static_cast<int32_t>(fSeconds * static_cast<float>(TICKS_PER_SECOND)));
}
