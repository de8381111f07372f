// The console half of the controller service: reading the four pads through
// the controller library and running the rumble motors by pulse width.

#include "eEngine/eInput.h"

#include <cmath>

#include "platform/pad.h"

namespace {

// The last good reading of each port. A port that reports no controller
// gets a record with that error, so its presence turns false.
PADStatus s_padStatus[eInput::kMaxControllers];

enum eMotorState { MOTOR_OFF = 0, MOTOR_ON = 1 };

struct RumbleController {
    float fAccumulator = 0.0f;
    int nMotor = MOTOR_OFF;
};
RumbleController s_rumbleController[eInput::kMaxControllers];

constexpr uint8_t kRawStickRest = 127;  // a centred stick as read, before the dead zone

// A stick reading scaled into the raw range 0..254: first limited to the
// radius that counts as full deflection, then stretched so the radius
// reaches 127 either side of the rest value.
void StickToRaw(int8_t padX, int8_t padY, float fRadius, uint8_t* pRawX, uint8_t* pRawY)
{
    float x = padX;
    float y = padY;
    const float len = std::sqrt(x * x + y * y);
    if (len > fRadius) {
        x = x * fRadius / len;
        y = y * fRadius / len;
    }
    *pRawX = static_cast<uint8_t>(static_cast<int>(x * 127.0f / fRadius) + kRawStickRest);
    *pRawY = static_cast<uint8_t>(static_cast<int>(y * 127.0f / fRadius) + kRawStickRest);
}

uint8_t Digital(const PADStatus& status, uint16_t bit)
{
    return (status.button & bit) ? eInput::kRawHeld : 0;
}

void SwitchMotor(int nController, int nState)
{
    RumbleController& rumble = s_rumbleController[nController];
    if (rumble.nMotor == nState)
        return;
    rumble.nMotor = nState;
    PADControlMotor(nController, nState == MOTOR_ON ? PAD_MOTOR_RUMBLE : PAD_MOTOR_STOP);
}

}  // namespace

void eInput::PlatformInitialize()
{
    PADSetSpec(PAD_SPEC_5);
    PADInit();
    for (int c = 0; c < kMaxControllers; ++c) {
        s_padStatus[c] = PADStatus();
        s_rumbleController[c] = RumbleController();
    }
}

void eInput::PlatformUninitialize()
{
    for (int c = 0; c < kMaxControllers; ++c) {
        PADControlMotor(c, PAD_MOTOR_STOP);
        s_rumbleController[c].nMotor = MOTOR_OFF;
    }
}

void eInput::PreJoystickUpdate()
{
    PADStatus fresh[kMaxControllers];
    PADRead(fresh);
    uint32_t resetMask = 0;
    for (int c = 0; c < kMaxControllers; ++c) {
        if (fresh[c].err == PAD_ERR_NO_CONTROLLER) {
            resetMask |= PADChanBit(c);
            s_padStatus[c] = PADStatus();
        } else if (fresh[c].err == PAD_ERR_NONE) {
            s_padStatus[c] = fresh[c];
        }
    }
    if (resetMask)
        PADReset(resetMask);
    PADClamp(s_padStatus);
}

bool eInput::PlatformIsControllerPresent(int nController)
{
    return s_padStatus[nController].err == PAD_ERR_NONE;
}

void eInput::PlatformReadPad(int nController)
{
    const PADStatus& pad = s_padStatus[nController];
    if (pad.err != PAD_ERR_NONE)
        return;
    uint8_t* raw = s_joyState[nController].nCurrentState;
    StickToRaw(pad.stickX, pad.stickY, kMainStickRadius, &raw[JOYBTN_LTHUMBX], &raw[JOYBTN_LTHUMBY]);
    StickToRaw(pad.substickX, pad.substickY, kCStickRadius, &raw[JOYBTN_RTHUMBX], &raw[JOYBTN_RTHUMBY]);
    raw[JOYBTN_LEFT1] = pad.triggerLeft;
    raw[JOYBTN_RIGHT1] = pad.triggerRight;
    raw[JOYBTN_1] = Digital(pad, PAD_BUTTON_A);
    raw[JOYBTN_2] = Digital(pad, PAD_BUTTON_B);
    raw[JOYBTN_3] = Digital(pad, PAD_BUTTON_X);
    raw[JOYBTN_4] = Digital(pad, PAD_BUTTON_Y);
    raw[JOYBTN_5] = Digital(pad, PAD_TRIGGER_Z);
    raw[JOYBTN_START1] = Digital(pad, PAD_BUTTON_START);
    raw[JOYBTN_DPAD_UP] = Digital(pad, PAD_BUTTON_UP);
    raw[JOYBTN_DPAD_DOWN] = Digital(pad, PAD_BUTTON_DOWN);
    raw[JOYBTN_DPAD_LEFT] = Digital(pad, PAD_BUTTON_LEFT);
    raw[JOYBTN_DPAD_RIGHT] = Digital(pad, PAD_BUTTON_RIGHT);

    raw[JOYBTN_UI_CONFIRM] = raw[JOYBTN_1];
    raw[JOYBTN_UI_BACK] = raw[JOYBTN_2];
    raw[JOYBTN_UI_START] = raw[JOYBTN_START1];
    const bool bSkip = raw[JOYBTN_START1] > kCinematicSkipThreshold || raw[JOYBTN_1] > kCinematicSkipThreshold;
    raw[JOYBTN_UI_CINEMATICSKIP] = bSkip ? kRawHeld : 0;
    raw[JOYBTN_UI_PREVPAGE] = raw[JOYBTN_LEFT1];
    // The second left trigger is never read; the right trigger turns the
    // page the other way, mirroring the left one.
    raw[JOYBTN_UI_NEXTPAGE] = raw[JOYBTN_RIGHT1];
    const uint8_t x = raw[JOYBTN_LTHUMBX];
    const uint8_t y = raw[JOYBTN_LTHUMBY];
    raw[JOYBTN_UI_LEFT] = (raw[JOYBTN_DPAD_LEFT] || x < kUILowThreshold) ? kRawHeld : 0;
    raw[JOYBTN_UI_RIGHT] = (raw[JOYBTN_DPAD_RIGHT] || x > kUIHighThreshold) ? kRawHeld : 0;
    raw[JOYBTN_UI_UP] = (raw[JOYBTN_DPAD_UP] || y > kUIHighThreshold) ? kRawHeld : 0;
    raw[JOYBTN_UI_DOWN] = (raw[JOYBTN_DPAD_DOWN] || y < kUILowThreshold) ? kRawHeld : 0;
}

// Pulse-width rumble: the request is added up each frame, and each time the
// sum passes the on threshold the motor runs for that frame. A request of
// 1.0 keeps it on; 0.5 runs it every other frame.
void eInput::PlatformUpdateRumble()
{
    for (int c = 0; c < kMaxControllers; ++c) {
        RumbleController& rumble = s_rumbleController[c];
        if (rumble.fAccumulator >= kRumbleOn && rumble.nMotor != MOTOR_ON) {
            SwitchMotor(c, MOTOR_ON);
        } else if (rumble.fAccumulator < kRumbleOff && rumble.nMotor != MOTOR_OFF) {
            SwitchMotor(c, MOTOR_OFF);
        } else {
            rumble.fAccumulator += s_joyState[c].fRumble;
            if (rumble.fAccumulator >= kRumbleOn) {
                rumble.fAccumulator = kRumbleOff;
                SwitchMotor(c, MOTOR_ON);
            } else {
                SwitchMotor(c, MOTOR_OFF);
            }
        }
        s_joyState[c].fRumble = 0.0f;
    }
}

void eInput::PlatformStopRumble()
{
    for (int c = 0; c < kMaxControllers; ++c) {
        PADControlMotor(c, PAD_MOTOR_STOP_HARD);
        s_rumbleController[c].nMotor = MOTOR_OFF;
    }
}
