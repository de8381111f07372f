// The library's clamp of the analogue values, and the scaling of host axes
// into the console's units. Pure functions.

#include "pad/pad_local.h"

#include <algorithm>
#include <cstdlib>

namespace pad {

void ClampStick(int8_t* px, int8_t* py, int deadZone, int axisLimit, int diagonalLimit)
{
    int x = *px;
    int y = *py;
    if (std::abs(x) < deadZone)
        x = 0;
    if (std::abs(y) < deadZone)
        y = 0;
    const int ax = std::abs(x);
    const int ay = std::abs(y);
    // The largest shrink any side of the octagon asks for; shrinking both
    // axes alike keeps the stick's direction.
    float scale = 1.0f;
    if (ax > axisLimit)
        scale = std::min(scale, static_cast<float>(axisLimit) / static_cast<float>(ax));
    if (ay > axisLimit)
        scale = std::min(scale, static_cast<float>(axisLimit) / static_cast<float>(ay));
    if (ax + ay > 2 * diagonalLimit)
        scale = std::min(scale, static_cast<float>(2 * diagonalLimit) / static_cast<float>(ax + ay));
    *px = static_cast<int8_t>(static_cast<float>(x) * scale);
    *py = static_cast<int8_t>(static_cast<float>(y) * scale);
}

uint8_t ClampTrigger(uint8_t value)
{
    if (value < PAD_TRIGGER_DEAD_ZONE)
        return 0;
    return static_cast<uint8_t>(std::min<int>(value, PAD_TRIGGER_LIMIT) - PAD_TRIGGER_DEAD_ZONE);
}

int8_t HostStickToPad(int16_t value)
{
    const int scaled = value * PAD_HOST_STICK_FULL / 32767;
    return static_cast<int8_t>(std::clamp(scaled, -128, 127));
}

uint8_t HostTriggerToPad(int16_t value)
{
    const int scaled = std::max<int>(value, 0) * 255 / 32767;
    return static_cast<uint8_t>(std::min(scaled, 255));
}

}  // namespace pad

void PADClamp(PADStatus status[PAD_MAX_CONTROLLERS])
{
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
        PADStatus& s = status[chan];
        if (s.err != PAD_ERR_NONE)
            continue;
        pad::ClampStick(&s.stickX, &s.stickY, PAD_STICK_DEAD_ZONE, PAD_STICK_AXIS_LIMIT, PAD_STICK_DIAGONAL_LIMIT);
        pad::ClampStick(&s.substickX, &s.substickY, PAD_SUBSTICK_DEAD_ZONE, PAD_SUBSTICK_AXIS_LIMIT,
                        PAD_SUBSTICK_DIAGONAL_LIMIT);
        s.triggerLeft = pad::ClampTrigger(s.triggerLeft);
        s.triggerRight = pad::ClampTrigger(s.triggerRight);
    }
}
