#pragma once
// The controller library: four ports, each read as one status record per
// call (buttons, two sticks, two analogue triggers, an error code), the
// library's clamp of the analogue values, port resets and the rumble motors.
// Here the ports are SDL game controllers (SDL's mapping database), the first
// one found on port 0 and so on, and the keyboard on port 0 while a window
// is open. Headless runs see no devices; tests script the ports through
// platform/test/pad_test.h.
//
// Threads: the main OS thread calls these, the same thread that pumps the
// window's events in VIWaitForRetrace.

#include <cstdint>

#include "platform/os.h"

constexpr int PAD_MAX_CONTROLLERS = 4;
constexpr int32_t PAD_CHAN0 = 0;
constexpr int32_t PAD_CHAN1 = 1;
constexpr int32_t PAD_CHAN2 = 2;
constexpr int32_t PAD_CHAN3 = 3;

// A port's bit in the mask PADReset takes: port 0 is the top bit.
constexpr uint32_t PADChanBit(int32_t chan) { return 0x80000000u >> chan; }

// Button bits of PADStatus::button.
constexpr uint16_t PAD_BUTTON_LEFT = 0x0001;
constexpr uint16_t PAD_BUTTON_RIGHT = 0x0002;
constexpr uint16_t PAD_BUTTON_DOWN = 0x0004;
constexpr uint16_t PAD_BUTTON_UP = 0x0008;
constexpr uint16_t PAD_TRIGGER_Z = 0x0010;
constexpr uint16_t PAD_TRIGGER_R = 0x0020;  // right trigger pressed fully (digital)
constexpr uint16_t PAD_TRIGGER_L = 0x0040;  // left trigger pressed fully (digital)
constexpr uint16_t PAD_USE_ORIGIN = 0x0080; // hardware status bit; never set here
constexpr uint16_t PAD_BUTTON_A = 0x0100;
constexpr uint16_t PAD_BUTTON_B = 0x0200;
constexpr uint16_t PAD_BUTTON_X = 0x0400;
constexpr uint16_t PAD_BUTTON_Y = 0x0800;
constexpr uint16_t PAD_BUTTON_START = 0x1000;

// PADStatus::err.
#define PAD_ERR_LIST(X)                                              \
    X(PAD_ERR_NONE, 0, "the record holds a fresh reading")           \
    X(PAD_ERR_NO_CONTROLLER, -1, "nothing in the port")              \
    X(PAD_ERR_NOT_READY, -2, "a controller is being identified")    \
    X(PAD_ERR_TRANSFER, -3, "the reading failed; try again")
#define QM_PAD_ENUM_ENTRY(name, value, note) name = value,
enum PADError : int8_t { PAD_ERR_LIST(QM_PAD_ENUM_ENTRY) };
const char* PADErrorText(int value);

// PADControlMotor commands.
#define PAD_MOTOR_LIST(X)                                         \
    X(PAD_MOTOR_STOP, 0, "motor off; it runs down")               \
    X(PAD_MOTOR_RUMBLE, 1, "motor on")                            \
    X(PAD_MOTOR_STOP_HARD, 2, "motor off at once")
enum PADMotorCommand : uint32_t { PAD_MOTOR_LIST(QM_PAD_ENUM_ENTRY) };
const char* PADMotorCommandText(int value);

constexpr uint32_t PAD_SPEC_5 = 5;  // the reading format the program asks for

// One reading of a port. Sticks are signed, centred on 0, up and right
// positive; triggers 0 (released) to 255.
struct PADStatus {
    uint16_t button = 0;  // PAD_BUTTON_* and PAD_TRIGGER_* bits
    int8_t stickX = 0, stickY = 0;
    int8_t substickX = 0, substickY = 0;
    uint8_t triggerLeft = 0, triggerRight = 0;
    uint8_t analogA = 0, analogB = 0;  // not pressure-sensitive here: always 0
    int8_t err = PAD_ERR_NO_CONTROLLER;
};

// PADClamp's region: a dead zone per axis, then an octagon whose flat sides
// lie at the axis limit and whose corners lie at the diagonal limit on both
// axes. The corners sit far enough out that full deflection reaches the
// engine's radii (59 for the stick, 39 for the C-stick) in every direction.
constexpr int PAD_STICK_DEAD_ZONE = 15;
constexpr int PAD_STICK_AXIS_LIMIT = 72;
constexpr int PAD_STICK_DIAGONAL_LIMIT = 52;
constexpr int PAD_SUBSTICK_DEAD_ZONE = 15;
constexpr int PAD_SUBSTICK_AXIS_LIMIT = 59;
constexpr int PAD_SUBSTICK_DIAGONAL_LIMIT = 42;
constexpr int PAD_TRIGGER_DEAD_ZONE = 30;   // below: 0
constexpr int PAD_TRIGGER_LIMIT = 180;      // above: full; the clamped range is 0..150

// Host devices are scaled so that a fully deflected stick reads this before
// the clamp (a little past the axis limit, so worn sticks still reach it).
constexpr int PAD_HOST_STICK_FULL = 80;

// Chooses the reading format; accepted and ignored (there is one).
void PADSetSpec(uint32_t model);
// Starts the library; idempotent. TRUE.
BOOL PADInit();
// Reads all four ports into status[0..3]. A port without a controller reads
// PAD_ERR_NO_CONTROLLER with the other fields zero. Returns a mask
// (PADChanBit) of the ports that have a controller.
uint32_t PADRead(PADStatus status[PAD_MAX_CONTROLLERS]);
// Resets the ports in the mask (PADChanBit): their motors stop and the
// devices are looked for again at the next read. TRUE.
BOOL PADReset(uint32_t mask);
// Applies the clamp region above to every record without an error; records
// with an error are left alone.
void PADClamp(PADStatus status[PAD_MAX_CONTROLLERS]);
// Switches a port's rumble motor; commands outside the list and ports out of
// range are ignored.
void PADControlMotor(int32_t chan, uint32_t command);

// Host extension: reads the ports from a recorded input file instead of the
// host's devices, so headless runs and tests can play. The text format, one
// change a line ('#' starts a comment):
//   FRAME PORT BUTTONS [STICKX STICKY [SUBSTICKX SUBSTICKY [TRIGGERL TRIGGERR]]]
// From retrace FRAME on, PORT (0-3) reports exactly that: BUTTONS are names
// joined by '+' (A B X Y Z L R START UP DOWN LEFT RIGHT) or '-' for none;
// sticks are -128..127 before the clamp, triggers 0..255; left-out values
// are 0. A port named anywhere in the file has a controller from frame 0 on,
// at rest until its first line; the others report no controller. False,
// with the reason and line number reported, when the file cannot be read, is
// not a regular file (a folder, a device, a pipe), is larger than
// PAD_REPLAY_MAX_BYTES or has a malformed line; the previous replay (or
// none) stays in force. After a soft reset the restarted program goes on
// from the retrace after the reset.
constexpr uint64_t PAD_REPLAY_MAX_BYTES = 64u << 20;  // an input file's largest size: 64 MiB
BOOL PADLoadReplay(const char* path);
