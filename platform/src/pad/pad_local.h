#pragma once
// Internals of the controller library shared by its files: the clamp's pure
// functions and the host devices (SDL game controllers and the keyboard).

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "platform/pad.h"

namespace pad {

// The clamp of one stick: per-axis dead zone, then the octagon with flat
// sides at axisLimit and corners at (diagonalLimit, diagonalLimit), reached
// by shrinking the point toward the centre so its direction is kept.
void ClampStick(int8_t* px, int8_t* py, int deadZone, int axisLimit, int diagonalLimit);
// Below the dead zone 0, else min(value, PAD_TRIGGER_LIMIT) - dead zone.
uint8_t ClampTrigger(uint8_t value);

// A host axis (-32768..32767, y growing downward for sticks) in the
// console's signed units, full deflection PAD_HOST_STICK_FULL.
int8_t HostStickToPad(int16_t value);
// A host trigger (0..32767) as 0..255.
uint8_t HostTriggerToPad(int16_t value);

// The keyboard's contribution to port 0 from SDL's key-state array
// (indexed by scancode, numKeys entries). err is PAD_ERR_NONE.
PADStatus KeyboardStatus(const uint8_t* keys, int numKeys);

// Host devices. Start opens SDL's controller subsystem when a window exists
// (never headless); Read fills the four records from the devices that are
// attached, with the keyboard merged into port 0; Rumble switches a motor.
void HostStart();
void HostStop();
void HostRead(PADStatus status[PAD_MAX_CONTROLLERS]);
void HostRumble(int32_t chan, bool on);
void HostForget(uint32_t mask);  // ports to look for again
bool HostResetKeyDown();         // the key that works the reset button, at the last read or poll
// Reads that key again: down now, or pressed since the last poll (a read
// latched it, or its press is still queued), so a tap counts for one poll.
void HostPollResetKey();
// Tests: reads the keyboard and its queued events as with a window (SDL's
// event queue must be running), or nothing (HostStop undoes it).
void HostTestReadKeyboard(bool on);

// A recorded input file (PADLoadReplay): its changes sorted by frame, the
// file's order kept among equal frames, and the ports it names.
struct ReplayLine {
    uint32_t frame = 0;
    int32_t chan = 0;
    PADStatus status;
};
struct Replay {
    std::vector<ReplayLine> lines;
    uint32_t ports = 0;  // PADChanBit of every port the file names
    // Where the last read left off, so that reads in frame order each cost
    // only the lines they pass: the lines before `next` are in `current`.
    size_t next = 0;
    uint64_t lastFrame = 0;
    PADStatus current[PAD_MAX_CONTROLLERS];
};
// Reads a whole input file's text, false (pText left alone) as soon as it
// grows past maxBytes.
bool ReadReplayText(std::istream& in, uint64_t maxBytes, std::string* pText);
// Parses the file's text; false with a message naming the line when a line
// is malformed (pReplay is then left alone).
bool ParseReplay(const std::string& text, Replay* pReplay, std::string* pError);
// What the four ports report at a retrace: each named port's last change at
// or before it (at rest before its first), the others no controller. Reads
// go forward from the last one; an earlier frame starts again from the top.
void ReplayRead(Replay& replay, uint64_t frame, PADStatus status[PAD_MAX_CONTROLLERS]);

}  // namespace pad
