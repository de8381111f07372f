// The host's devices behind the four ports: SDL game controllers in the
// order they are found, and the keyboard merged into port 0 while a window
// is open. SDL's events are pumped by the video interface on this same
// thread; here only device state is read, and the queued input events are
// dropped so they do not pile up.

#include "pad/pad_local.h"

#include <algorithm>
#include <iterator>

#include <SDL2/SDL.h>

#include "platform/vi.h"

namespace pad {
namespace {

// Motors are switched on and off by the program; SDL wants a duration, so a
// running motor is renewed before it would run out.
constexpr Uint32 kRumbleMs = 2000;
constexpr Uint32 kRumbleRenewMs = 1000;
constexpr Uint16 kRumbleStrength = 0xC000;

struct Host {
    bool started = false;
    bool keyboard = false;  // a window takes keys
    SDL_GameController* controllers[PAD_MAX_CONTROLLERS] = {};
    bool resetKey = false;
    bool resetSincePoll = false;  // a read saw the key down since the last poll
    bool motorOn[PAD_MAX_CONTROLLERS] = {};
    Uint32 motorSince[PAD_MAX_CONTROLLERS] = {};
};

Host s_host;

struct KeyBinding {
    SDL_Scancode key;
    uint16_t button;
};

const KeyBinding kKeyButtons[] = {
    {SDL_SCANCODE_SPACE, PAD_BUTTON_A},     {SDL_SCANCODE_LSHIFT, PAD_BUTTON_B},
    {SDL_SCANCODE_ESCAPE, PAD_BUTTON_B},    {SDL_SCANCODE_F, PAD_BUTTON_X},
    {SDL_SCANCODE_R, PAD_BUTTON_Y},         {SDL_SCANCODE_TAB, PAD_TRIGGER_Z},
    {SDL_SCANCODE_RETURN, PAD_BUTTON_START}, {SDL_SCANCODE_UP, PAD_BUTTON_UP},
    {SDL_SCANCODE_DOWN, PAD_BUTTON_DOWN},   {SDL_SCANCODE_LEFT, PAD_BUTTON_LEFT},
    {SDL_SCANCODE_RIGHT, PAD_BUTTON_RIGHT},
};

constexpr SDL_Scancode kResetKey = SDL_SCANCODE_F12;

bool Key(const uint8_t* keys, int numKeys, SDL_Scancode code)
{
    return code < numKeys && keys[code] != 0;
}

// -full, 0 or +full from a pair of opposing keys.
int8_t KeyAxis(const uint8_t* keys, int numKeys, SDL_Scancode minus, SDL_Scancode plus)
{
    return static_cast<int8_t>((Key(keys, numKeys, plus) ? PAD_HOST_STICK_FULL : 0) -
                               (Key(keys, numKeys, minus) ? PAD_HOST_STICK_FULL : 0));
}

bool Attached(int chan)
{
    return s_host.controllers[chan] && SDL_GameControllerGetAttached(s_host.controllers[chan]);
}

void CloseController(int chan)
{
    if (s_host.controllers[chan])
        SDL_GameControllerClose(s_host.controllers[chan]);
    s_host.controllers[chan] = nullptr;
    s_host.motorOn[chan] = false;
}

bool IsOpen(SDL_JoystickID id)
{
    for (SDL_GameController* gc : s_host.controllers) {
        if (gc && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(gc)) == id)
            return true;
    }
    return false;
}

// Drops pulled controllers and gives new ones the free ports, lowest first.
void ScanControllers()
{
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
        if (s_host.controllers[chan] && !Attached(chan))
            CloseController(chan);
    }
    const int count = SDL_NumJoysticks();
    for (int device = 0; device < count; ++device) {
        if (!SDL_IsGameController(device) || IsOpen(SDL_JoystickGetDeviceInstanceID(device)))
            continue;
        SDL_GameController** free = std::find(std::begin(s_host.controllers), std::end(s_host.controllers), nullptr);
        if (free == std::end(s_host.controllers))
            return;
        *free = SDL_GameControllerOpen(device);
    }
}

PADStatus ControllerStatus(SDL_GameController* gc)
{
    static const struct {
        SDL_GameControllerButton sdl;
        uint16_t button;
    } kButtons[] = {
        {SDL_CONTROLLER_BUTTON_A, PAD_BUTTON_A},
        {SDL_CONTROLLER_BUTTON_B, PAD_BUTTON_B},
        {SDL_CONTROLLER_BUTTON_X, PAD_BUTTON_X},
        {SDL_CONTROLLER_BUTTON_Y, PAD_BUTTON_Y},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PAD_TRIGGER_Z},
        {SDL_CONTROLLER_BUTTON_START, PAD_BUTTON_START},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, PAD_BUTTON_UP},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PAD_BUTTON_DOWN},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PAD_BUTTON_LEFT},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PAD_BUTTON_RIGHT},
    };
    PADStatus s;
    s.err = PAD_ERR_NONE;
    for (const auto& b : kButtons) {
        if (SDL_GameControllerGetButton(gc, b.sdl))
            s.button |= b.button;
    }
    // SDL's y axes grow downward; the console's grow upward.
    s.stickX = HostStickToPad(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTX));
    s.stickY = HostStickToPad(static_cast<int16_t>(-std::max<int>(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTY), -32767)));
    s.substickX = HostStickToPad(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_RIGHTX));
    s.substickY = HostStickToPad(static_cast<int16_t>(-std::max<int>(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_RIGHTY), -32767)));
    s.triggerLeft = HostTriggerToPad(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
    s.triggerRight = HostTriggerToPad(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    // The digital trigger bits close only at the end of the travel.
    if (s.triggerLeft >= 250)
        s.button |= PAD_TRIGGER_L;
    if (s.triggerRight >= 250)
        s.button |= PAD_TRIGGER_R;
    return s;
}

// Keys add to what a controller on port 0 reports; a stick held on the keys
// wins over the controller's stick.
void MergeKeyboard(PADStatus* pStatus, const PADStatus& keys)
{
    pStatus->err = PAD_ERR_NONE;
    pStatus->button |= keys.button;
    if (keys.stickX || keys.stickY) {
        pStatus->stickX = keys.stickX;
        pStatus->stickY = keys.stickY;
    }
    if (keys.substickX || keys.substickY) {
        pStatus->substickX = keys.substickX;
        pStatus->substickY = keys.substickY;
    }
    pStatus->triggerLeft = std::max(pStatus->triggerLeft, keys.triggerLeft);
    pStatus->triggerRight = std::max(pStatus->triggerRight, keys.triggerRight);
}

// The keys down now, and every key pressed since the last read though
// released again: a tap shorter than a frame counts as held for this one
// frame. Its press is still queued (the window takes only its own events);
// the queued input events are dropped here, so they do not pile up.
void KeysSinceLastRead(uint8_t keys[SDL_NUM_SCANCODES])
{
    int numKeys = 0;
    const uint8_t* now = SDL_GetKeyboardState(&numKeys);
    std::fill(keys, keys + SDL_NUM_SCANCODES, 0);
    std::copy(now, now + std::min<int>(numKeys, SDL_NUM_SCANCODES), keys);
    SDL_Event events[32];
    int n;
    while ((n = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_KEYDOWN, SDL_KEYDOWN)) > 0) {
        for (int i = 0; i < n; ++i) {
            const SDL_Scancode code = events[i].key.keysym.scancode;
            if (code >= 0 && code < SDL_NUM_SCANCODES)
                keys[code] = 1;
        }
    }
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MULTIGESTURE);
}

// Drops the reset key's queued presses, noting that there was one.
int TakeResetPress(void* pFound, SDL_Event* pEvent)
{
    if (pEvent->type != SDL_KEYDOWN || pEvent->key.keysym.scancode != kResetKey)
        return 1;
    *static_cast<bool*>(pFound) = true;
    return 0;
}

void RenewMotors()
{
    const Uint32 now = SDL_GetTicks();
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
        if (s_host.motorOn[chan] && s_host.controllers[chan] && now - s_host.motorSince[chan] >= kRumbleRenewMs)
            HostRumble(chan, true);
    }
}

}  // namespace

PADStatus KeyboardStatus(const uint8_t* keys, int numKeys)
{
    PADStatus s;
    s.err = PAD_ERR_NONE;
    for (const KeyBinding& b : kKeyButtons) {
        if (Key(keys, numKeys, b.key))
            s.button |= b.button;
    }
    s.stickX = KeyAxis(keys, numKeys, SDL_SCANCODE_A, SDL_SCANCODE_D);
    s.stickY = KeyAxis(keys, numKeys, SDL_SCANCODE_S, SDL_SCANCODE_W);
    // A key is all or nothing: Left Ctrl halves the main stick, so that a
    // keyboard player can walk as well as run.
    if (Key(keys, numKeys, SDL_SCANCODE_LCTRL)) {
        s.stickX = static_cast<int8_t>(s.stickX / 2);
        s.stickY = static_cast<int8_t>(s.stickY / 2);
    }
    s.substickX = KeyAxis(keys, numKeys, SDL_SCANCODE_J, SDL_SCANCODE_L);
    s.substickY = KeyAxis(keys, numKeys, SDL_SCANCODE_K, SDL_SCANCODE_I);
    if (Key(keys, numKeys, SDL_SCANCODE_Q)) {
        s.triggerLeft = 255;
        s.button |= PAD_TRIGGER_L;
    }
    if (Key(keys, numKeys, SDL_SCANCODE_E)) {
        s.triggerRight = 255;
        s.button |= PAD_TRIGGER_R;
    }
    return s;
}

void HostStart()
{
    if (s_host.started)
        return;
    s_host.started = true;
    // Without a window there is nothing to read from: headless runs stay
    // deterministic whatever is plugged in.
    if (VIIsHeadless() || !SDL_WasInit(SDL_INIT_VIDEO))
        return;
    s_host.keyboard = true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        OSReport("PAD: no game controllers: %s\n", SDL_GetError());
        return;
    }
}

void HostStop()
{
    if (!s_host.started)
        return;
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan)
        CloseController(chan);
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER))
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    s_host = Host();
}

void HostRead(PADStatus status[PAD_MAX_CONTROLLERS])
{
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan)
        status[chan] = PADStatus();
    if (!s_host.keyboard)
        return;
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) {
        ScanControllers();
        for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
            if (Attached(chan))
                status[chan] = ControllerStatus(s_host.controllers[chan]);
        }
        RenewMotors();
    }
    uint8_t keys[SDL_NUM_SCANCODES];
    KeysSinceLastRead(keys);
    MergeKeyboard(&status[0], KeyboardStatus(keys, SDL_NUM_SCANCODES));
    s_host.resetKey = Key(keys, SDL_NUM_SCANCODES, kResetKey);
    s_host.resetSincePoll = s_host.resetSincePoll || s_host.resetKey;
}

void HostRumble(int32_t chan, bool on)
{
    s_host.motorOn[chan] = on;
    s_host.motorSince[chan] = SDL_GetTicks();
    if (s_host.controllers[chan]) {
        const Uint16 strength = on ? kRumbleStrength : 0;
        SDL_GameControllerRumble(s_host.controllers[chan], strength, strength, on ? kRumbleMs : 0);
    }
}

void HostForget(uint32_t mask)
{
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
        if ((mask & PADChanBit(chan)) && s_host.controllers[chan] && !Attached(chan))
            CloseController(chan);
    }
}

// The key down now, or pressed since the last poll: latched by a read, or
// still queued (taken from the queue here, so that the next poll does not
// see the same press). A tap between two polls is down for one poll.
void HostPollResetKey()
{
    if (!s_host.keyboard)
        return;
    int numKeys = 0;
    const uint8_t* keys = SDL_GetKeyboardState(&numKeys);
    bool bQueued = false;
    SDL_FilterEvents(TakeResetPress, &bQueued);
    s_host.resetKey = Key(keys, numKeys, kResetKey) || bQueued || s_host.resetSincePoll;
    s_host.resetSincePoll = false;
}

void HostTestReadKeyboard(bool on)
{
    s_host.started = true;
    s_host.keyboard = on;
}

bool HostResetKeyDown()
{
    return s_host.resetKey;
}

}  // namespace pad
