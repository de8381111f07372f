#pragma once
// Test seams of the controller library: script what each port reports per
// frame in place of the host's devices, and see what the library was asked
// to do (resets, motor commands). For tests only; the program never calls
// these. Main thread.

#include <cstdint>
#include <vector>

#include "platform/pad.h"

// While scripted, PADRead reports the scripted records (holding the reset
// combination works as on a controller) and the host's devices are left alone. Switching it on clears every port to "no
// controller" and forgets the recorded calls; either way a replay loaded
// with PADLoadReplay is dropped.
void PADTestSetScripted(bool scripted);

// What the port reports from the next PADRead on (kept until changed).
void PADTestSetStatus(int32_t chan, const PADStatus& status);
// A port with a controller at rest: err 0, sticks centred, nothing pressed.
PADStatus PADTestIdleStatus();

// The PADControlMotor commands a port received, oldest first, and clearing
// them.
std::vector<uint32_t> PADTestMotorCommands(int32_t chan);
void PADTestClearMotorCommands();

// Every mask PADReset was given, oldest first.
std::vector<uint32_t> PADTestResetMasks();
