#pragma once
// The controller service: once a frame it reads the four ports and turns
// each into 40 logical buttons with raw and normalised values, press,
// release and double-press events, press and hold times, stick magnitudes,
// headings and rotation gestures, an idle time per controller, and drives
// the rumble motors by pulse width from a per-frame request. A static class;
// main thread only. The console half (eInput_gc.cpp) reads the pads and runs
// the motors.

#include <cstdint>

#include "cCore/cTimeValue.h"

class eInput {
public:
    // Logical buttons; the values are stored in data.
#define EINPUT_BUTTON_LIST(X)                                                        \
    X(JOYBTN_LTHUMBX, 0, "LThumbX", "main stick X")                                  \
    X(JOYBTN_RTHUMBX, 1, "RThumbX", "C-stick X")                                     \
    X(JOYBTN_LTHUMBY, 2, "LThumbY", "main stick Y, up is larger")                    \
    X(JOYBTN_RTHUMBY, 3, "RThumbY", "C-stick Y")                                     \
    X(JOYBTN_LTHUMBZ, 4, "LThumbZ", "never set: raw 0")                              \
    X(JOYBTN_RTHUMBZ, 5, "RThumbZ", "never set: raw 0")                              \
    X(JOYBTN_DPAD_UP, 6, "DPadUp", "")                                               \
    X(JOYBTN_DPAD_DOWN, 7, "DPadDown", "")                                           \
    X(JOYBTN_DPAD_LEFT, 8, "DPadLeft", "")                                           \
    X(JOYBTN_DPAD_RIGHT, 9, "DPadRight", "")                                         \
    X(JOYBTN_LEFT1, 10, "L1", "left trigger, analogue")                              \
    X(JOYBTN_LEFT2, 11, "L2", "never set")                                           \
    X(JOYBTN_RIGHT1, 12, "R1", "right trigger, analogue")                            \
    X(JOYBTN_RIGHT2, 13, "R2", "never set")                                          \
    X(JOYBTN_1, 14, "Button1", "A")                                                  \
    X(JOYBTN_2, 15, "Button2", "B")                                                  \
    X(JOYBTN_3, 16, "Button3", "X")                                                  \
    X(JOYBTN_4, 17, "Button4", "Y")                                                  \
    X(JOYBTN_5, 18, "Button5", "Z")                                                  \
    X(JOYBTN_6, 19, "Button6", "never set")                                          \
    X(JOYBTN_START1, 20, "Start", "START")                                           \
    X(JOYBTN_START2, 21, "Select", "never set")                                      \
    X(JOYBTN_LTHUMB_360CW, 22, "LThumb360CW", "main stick turned clockwise")         \
    X(JOYBTN_LTHUMB_360CCW, 23, "LThumb360CCW", "main stick turned counter-clockwise") \
    X(JOYBTN_RTHUMB_360CW, 24, "RThumb360CW", "")                                    \
    X(JOYBTN_RTHUMB_360CCW, 25, "RThumb360CCW", "")                                  \
    X(JOYBTN_LTHUMB_MAG, 26, "LThumbMag", "deflection 0..1")                         \
    X(JOYBTN_RTHUMB_MAG, 27, "RThumbMag", "")                                        \
    X(JOYBTN_LTHUMB_HEADING, 28, "LThumbHeading", "degrees, 0 up, left positive")    \
    X(JOYBTN_RTHUMB_HEADING, 29, "RThumbHeading", "")                                \
    X(JOYBTN_UI_CONFIRM, 30, "UIConfirm", "copy of button 14")                       \
    X(JOYBTN_UI_BACK, 31, "UIBack", "copy of button 15")                             \
    X(JOYBTN_UI_START, 32, "UIStart", "copy of button 20")                           \
    X(JOYBTN_UI_CINEMATICSKIP, 33, "UICinematicSkip", "button 20 or 14 past half")   \
    X(JOYBTN_UI_PREVPAGE, 34, "UIPrevpage", "copy of the left trigger")              \
    X(JOYBTN_UI_NEXTPAGE, 35, "UINextpage", "copy of the right trigger")             \
    X(JOYBTN_UI_LEFT, 36, "UILeft", "pad left or stick left")                        \
    X(JOYBTN_UI_RIGHT, 37, "UIRight", "")                                            \
    X(JOYBTN_UI_UP, 38, "UIUp", "")                                                  \
    X(JOYBTN_UI_DOWN, 39, "UIDown", "")
#define EINPUT_ENUM_ENTRY(name, value, text, note) name = value,
    enum eButton { EINPUT_BUTTON_LIST(EINPUT_ENUM_ENTRY) JOYBTN_COUNT = 40 };
#undef EINPUT_ENUM_ENTRY
    static const char* GetButtonText(int button);  // "???" outside 0..39

    static constexpr int kMaxControllers = 4;
    static constexpr uint8_t kRawCentre = 128;     // sticks at rest, once in the dead zone
    static constexpr uint8_t kRawHeld = 255;       // digital buttons held
    static constexpr float kMainStickRadius = 59.0f;  // pad units reaching full deflection
    static constexpr float kCStickRadius = 39.0f;
    static constexpr uint8_t kUILowThreshold = 96;    // raw stick value below: UI left / down
    static constexpr uint8_t kUIHighThreshold = 160;  // above: UI right / up
    static constexpr uint8_t kCinematicSkipThreshold = 128;
    static constexpr float kGestureDegrees = 270.0f;  // rotation that fires a gesture
    static constexpr float kRumbleOn = 0.95f;         // pulse accumulator thresholds
    static constexpr float kRumbleOff = 0.095f;
    static constexpr cTimeValue kDefaultDoubleTapTime{150};  // a quarter of a second

    struct eInputState {
        uint8_t nPreviousState[JOYBTN_COUNT];
        uint8_t nCurrentState[JOYBTN_COUNT];
        float fPreviousState[JOYBTN_COUNT];
        float fCurrentState[JOYBTN_COUNT];
        bool bButtonPressed[JOYBTN_COUNT];
        bool bButtonReleased[JOYBTN_COUNT];
        bool bButtonDblPressed[JOYBTN_COUNT];
        cTimeValue buttonLastPressed[JOYBTN_COUNT];  // input time of the last press
        cTimeValue buttonDownTime[JOYBTN_COUNT];     // how long it has been held
        float fLThumb360Deg;  // rotation the gestures have counted, degrees
        float fRThumb360Deg;
        float fRumble;        // this frame's request 0..1; callers write, Update clears
        cTimeValue idleTime;  // since the raw values last changed
        bool bPresent;
        bool bChanged;        // presence changed this frame
    };

    // Starts the pads, clears all state, reads them once and stops rumble.
    static void Initialize();
    static void Uninitialize();  // motors off
    // The clearing, first read and rumble stop of Initialize, without
    // starting the pads again.
    static void Reset();
    // Advances the input clock by step and evaluates every controller. With
    // bReadPads false the stored raw values are evaluated again with the
    // sticks centred.
    static void Update(cTimeValue step, bool bReadPads);
    static void SetDeadzone(int nThumb, int nAnalog);  // raw units
    static void SetDoubleTapTime(cTimeValue time);
    static void SaveState();
    static void RestoreState();
    static bool IsControllerPresent(int nController);
    static void StopRumble();  // hard stop of every motor
    // The per-button step of Update for one digital or UI button: dead zone,
    // normalised value, press, release, double press and hold time.
    static void HandleDigitalButton(int nController, int nButton);

    static eInputState s_joyState[kMaxControllers];
    static cTimeValue s_curTime;
    static int s_lastButtonPressed[kMaxControllers];
    static eInputState s_savedJoyState[kMaxControllers];
    static int s_savedLastButtonPressed[kMaxControllers];
    static cTimeValue s_savedCurTime;
    static bool s_bStateSaved;
    static int s_nThumbDeadZone;
    static int s_nAnalogDeadZone;
    static cTimeValue s_doubleTapTime;
    static bool s_bRumble;

private:
    static void ClearState();
    static void UpdateController(int nController, cTimeValue step, bool bReadPads);
    static void HandleAxis(int nController, int nButton);
    static void HandleEvents(int nController, int nButton, bool bPressed, bool bReleased);

    // Console half.
    static void PlatformInitialize();
    static void PlatformUninitialize();
    static void PreJoystickUpdate();
    static bool PlatformIsControllerPresent(int nController);
    static void PlatformReadPad(int nController);
    static void PlatformUpdateRumble();
    static void PlatformStopRumble();
};
