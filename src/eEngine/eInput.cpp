#include "eEngine/eInput.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>


eInput::eInputState eInput::s_joyState[kMaxControllers];
cTimeValue eInput::s_curTime;
int eInput::s_lastButtonPressed[kMaxControllers];
eInput::eInputState eInput::s_savedJoyState[kMaxControllers];
int eInput::s_savedLastButtonPressed[kMaxControllers];
cTimeValue eInput::s_savedCurTime;
bool eInput::s_bStateSaved = false;
int eInput::s_nThumbDeadZone = 0;
int eInput::s_nAnalogDeadZone = 0;
cTimeValue eInput::s_doubleTapTime = eInput::kDefaultDoubleTapTime;
bool eInput::s_bRumble = true;

namespace {

constexpr float kRadToDeg = 57.29577951308232f;
constexpr float kGestureRestLength = 0.00001f;  // a stick this close to the centre ends a gesture
constexpr int kFirstAxis = eInput::JOYBTN_LTHUMBX;
constexpr int kLastAxis = eInput::JOYBTN_RTHUMBZ;

bool IsDigitalOrUIButton(int nButton)
{
    return (nButton >= eInput::JOYBTN_DPAD_UP && nButton <= eInput::JOYBTN_START2) ||
           (nButton >= eInput::JOYBTN_UI_CONFIRM && nButton <= eInput::JOYBTN_UI_DOWN);
}

struct Vec2 {
    float x, y;
};

Vec2 UnitOrZero(float x, float y)
{
    const float len = std::sqrt(x * x + y * y);
    if (len == 0.0f)
        return {0.0f, 0.0f};
    return {x / len, y / len};
}

// Counts the stick's turning between the previous and this frame. A step
// against the direction counted so far starts the count again from that
// step; a full 270 degrees either way presses the gesture button and starts
// over. Clockwise turning counts negative.
float RotationCheck(float fAccumulator, eInput::eInputState& state, int nAxisX, int nAxisY, int nCWButton,
                    int nCCWButton)
{
    const Vec2 p = UnitOrZero(state.fPreviousState[nAxisX], state.fPreviousState[nAxisY]);
    const float cx = state.fCurrentState[nAxisX];
    const float cy = state.fCurrentState[nAxisY];
    if (std::sqrt(cx * cx + cy * cy) <= kGestureRestLength) {
        fAccumulator = 0.0f;
    } else {
        const Vec2 c = UnitOrZero(cx, cy);
        const float s = std::clamp(c.x * p.y - c.y * p.x, -1.0f, 1.0f);
        const float a = std::asin(s) * kRadToDeg;
        if (s > 0.0f)
            fAccumulator = fAccumulator < 0.0f ? fAccumulator - a : -a;
        else if (s < 0.0f)
            fAccumulator = fAccumulator > 0.0f ? fAccumulator - a : -a;
    }
    if (fAccumulator >= eInput::kGestureDegrees) {
        state.bButtonPressed[nCCWButton] = true;
        fAccumulator = 0.0f;
    } else if (fAccumulator <= -eInput::kGestureDegrees) {
        state.bButtonPressed[nCWButton] = true;
        fAccumulator = 0.0f;
    } else {
        state.bButtonPressed[nCWButton] = false;
        state.bButtonPressed[nCCWButton] = false;
    }
    return fAccumulator;
}

void UpdateGestures(eInput::eInputState& state)
{
    state.fLThumb360Deg = RotationCheck(state.fLThumb360Deg, state, eInput::JOYBTN_LTHUMBX, eInput::JOYBTN_LTHUMBY,
                                        eInput::JOYBTN_LTHUMB_360CW, eInput::JOYBTN_LTHUMB_360CCW);
    state.fRThumb360Deg = RotationCheck(state.fRThumb360Deg, state, eInput::JOYBTN_RTHUMBX, eInput::JOYBTN_RTHUMBY,
                                        eInput::JOYBTN_RTHUMB_360CW, eInput::JOYBTN_RTHUMB_360CCW);
}

// Magnitude 0..1 and heading in degrees (0 pushed up, positive toward the
// left) of one stick.
void UpdateStick(eInput::eInputState& state, int nAxisX, int nAxisY, int nMag, int nHeading)
{
    const float x = state.fCurrentState[nAxisX];
    const float y = state.fCurrentState[nAxisY];
    state.fCurrentState[nMag] = std::min(std::sqrt(x * x + y * y), 1.0f);
    state.fCurrentState[nHeading] = std::atan2(-x, y) * kRadToDeg;
}

void UpdateIdleTime(eInput::eInputState& state, cTimeValue step)
{
    if (std::memcmp(state.nCurrentState, state.nPreviousState, sizeof(state.nCurrentState)) == 0)
        state.idleTime += step;
    else
        state.idleTime = cTimeValue(0);
}

}  // namespace

const char* eInput::GetButtonText(int button)
{
#define EINPUT_TEXT_CASE(name, value, text, note) \
    case value: return text;
    switch (button) {
        EINPUT_BUTTON_LIST(EINPUT_TEXT_CASE)
    default: return "???";
    }
#undef EINPUT_TEXT_CASE
}

void eInput::Initialize()
{
    PlatformInitialize();
    Reset();
}

void eInput::Uninitialize()
{
    PlatformUninitialize();
}

void eInput::Reset()
{
    ClearState();
    Update(cTimeValue(0), true);
    StopRumble();
    s_bStateSaved = false;
}

void eInput::ClearState()
{
    s_curTime = cTimeValue(0);
    for (int c = 0; c < kMaxControllers; ++c) {
        eInputState& state = s_joyState[c];
        state = eInputState{};
        for (int b = JOYBTN_LTHUMBX; b <= JOYBTN_RTHUMBY; ++b)
            state.nCurrentState[b] = kRawCentre;
        // Long ago, so that the first press after start-up is not taken for
        // the second of a double press.
        std::fill(std::begin(state.buttonLastPressed), std::end(state.buttonLastPressed),
                  cTimeValue(0) - s_doubleTapTime);
        s_lastButtonPressed[c] = 0;
    }
}

void eInput::Update(cTimeValue step, bool bReadPads)
{
    s_curTime += step;
    if (bReadPads)
        PreJoystickUpdate();
    for (int c = 0; c < kMaxControllers; ++c)
        UpdateController(c, step, bReadPads);
    if (s_bRumble)
        PlatformUpdateRumble();
}

void eInput::UpdateController(int nController, cTimeValue step, bool bReadPads)
{
    eInputState& state = s_joyState[nController];
    std::memcpy(state.nPreviousState, state.nCurrentState, sizeof(state.nCurrentState));
    std::memcpy(state.fPreviousState, state.fCurrentState, sizeof(state.fCurrentState));
    if (bReadPads) {
        std::fill(std::begin(state.nCurrentState), std::end(state.nCurrentState), 0);
        const bool bWasPresent = state.bPresent;
        state.bPresent = IsControllerPresent(nController);
        state.bChanged = state.bPresent != bWasPresent;
    }
    for (int b = JOYBTN_LTHUMBX; b <= JOYBTN_RTHUMBY; ++b)
        state.nCurrentState[b] = kRawCentre;
    if (bReadPads)
        PlatformReadPad(nController);
    for (int b = kFirstAxis; b <= kLastAxis; ++b)
        HandleAxis(nController, b);
    for (int b = 0; b < JOYBTN_COUNT; ++b) {
        if (IsDigitalOrUIButton(b))
            HandleDigitalButton(nController, b);
    }
    UpdateGestures(state);
    UpdateStick(state, JOYBTN_LTHUMBX, JOYBTN_LTHUMBY, JOYBTN_LTHUMB_MAG, JOYBTN_LTHUMB_HEADING);
    UpdateStick(state, JOYBTN_RTHUMBX, JOYBTN_RTHUMBY, JOYBTN_RTHUMB_MAG, JOYBTN_RTHUMB_HEADING);
    UpdateIdleTime(state, step);
}

void eInput::HandleAxis(int nController, int nButton)
{
    eInputState& state = s_joyState[nController];
    uint8_t& raw = state.nCurrentState[nButton];
    if (raw > kRawCentre - s_nThumbDeadZone && raw < kRawCentre + s_nThumbDeadZone)
        raw = kRawCentre;
    state.fCurrentState[nButton] = std::clamp((static_cast<float>(raw) - kRawCentre) / 127.0f, -1.0f, 1.0f);
    const uint8_t prev = state.nPreviousState[nButton];
    HandleEvents(nController, nButton, prev == kRawCentre && raw != kRawCentre,
                 prev != kRawCentre && raw == kRawCentre);
}

void eInput::HandleDigitalButton(int nController, int nButton)
{
    if (nController < 0 || nController >= kMaxControllers || nButton < 0 || nButton >= JOYBTN_COUNT)
        return;
    eInputState& state = s_joyState[nController];
    uint8_t& raw = state.nCurrentState[nButton];
    if (raw < s_nAnalogDeadZone)
        raw = 0;
    state.fCurrentState[nButton] = static_cast<float>(raw) / 255.0f;
    const uint8_t prev = state.nPreviousState[nButton];
    HandleEvents(nController, nButton, prev == 0 && raw != 0, prev != 0 && raw == 0);
}

// Press, release, double press and hold time of one button this frame.
void eInput::HandleEvents(int nController, int nButton, bool bPressed, bool bReleased)
{
    eInputState& state = s_joyState[nController];
    if (!bPressed && !bReleased && state.nCurrentState[nButton] != 0)
        state.buttonDownTime[nButton] = s_curTime - state.buttonLastPressed[nButton];
    if (bPressed) {
        state.bButtonPressed[nButton] = true;
        state.bButtonDblPressed[nButton] = s_curTime - state.buttonLastPressed[nButton] < s_doubleTapTime;
        state.buttonLastPressed[nButton] = s_curTime;
        s_lastButtonPressed[nController] = nButton;
    } else {
        state.bButtonPressed[nButton] = false;
        state.bButtonDblPressed[nButton] = false;
    }
    if (bReleased)
        state.buttonDownTime[nButton] = cTimeValue(0);
    state.bButtonReleased[nButton] = bReleased;
}

void eInput::SetDeadzone(int nThumb, int nAnalog)
{
    s_nThumbDeadZone = nThumb;
    s_nAnalogDeadZone = nAnalog;
}

void eInput::SetDoubleTapTime(cTimeValue time)
{
    s_doubleTapTime = time;
}

void eInput::SaveState()
{
    std::copy(std::begin(s_joyState), std::end(s_joyState), s_savedJoyState);
    std::copy(std::begin(s_lastButtonPressed), std::end(s_lastButtonPressed), s_savedLastButtonPressed);
    s_savedCurTime = s_curTime;
    s_bStateSaved = true;
}

void eInput::RestoreState()
{
    std::copy(std::begin(s_savedJoyState), std::end(s_savedJoyState), s_joyState);
    std::copy(std::begin(s_savedLastButtonPressed), std::end(s_savedLastButtonPressed), s_lastButtonPressed);
    s_curTime = s_savedCurTime;
    s_bStateSaved = false;
}

bool eInput::IsControllerPresent(int nController)
{
    if (nController < 0 || nController >= kMaxControllers)
        return false;
    return PlatformIsControllerPresent(nController);
}

void eInput::StopRumble()
{
    PlatformStopRumble();
}
