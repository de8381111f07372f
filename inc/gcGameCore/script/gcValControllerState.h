#pragma once
// How data and code ask about the controllers: one button state of one
// logical button, on the player's port or summed over the four ports while
// the player has none. Today the game flow builds it on the stack (the
// movie skip); its type record, file block and texts come with the script
// values. Main thread.

#include <cstdint>

#include "eEngine/eInput.h"

struct gcEventParams;

class gcValControllerState {
public:
    enum gcState : int32_t {
        STATE_PRESSED = 0,      // 1 when the button went down this frame
        STATE_DOWN = 1,         // its normalised value
        STATE_RELEASED = 2,     // 1 when it went up this frame
        STATE_DBLPRESSED = 3,   // 1 when it was double-pressed this frame
        STATE_LASTPRESSED = 4,  // 1 when it is the port's last pressed button
        STATE_VALUE = 5,        // its normalised value
        STATE_DOWNTIME = 6,     // seconds held
        STATE_IDLETIME = 7,     // seconds the port has been idle
        STATE_PRESENT = 8,      // 1 when a controller is in the port
        STATE_CHANGED = 9,      // 1 when the port's presence changed this frame
        STATE_PLAYERCONTROLLER = 10,  // the player's port plus one; 0 without
        MAX_STATES = 11,
    };

    gcValControllerState() = default;
    gcValControllerState(gcState s, eInput::eButton b) : state(s), button(b) {}

    // The parameters are not used. 0.0 for a state or button outside its
    // table.
    float Get(const gcEventParams& params) const;

    gcState state = STATE_PRESSED;
    eInput::eButton button = eInput::JOYBTN_1;

private:
    float GetOnPort(int port) const;
};
