#pragma once
// Test injection for the OS layer: the reset button, the reset itself, the
// save region handed over by a soft reset and the settings folder.

#include <cstdint>

#include "platform/os.h"

// Presses (TRUE) or releases the reset button.
void OSTestSetResetButton(BOOL down);

// While a handler is installed, OSResetSystem calls it with the bytes it
// would hand over and returns instead of restarting or quitting.
typedef void (*OSTestResetHandler)(int reset, uint32_t resetCode, BOOL forceMenu, const uint8_t* savedRegion);
OSTestResetHandler OSTestSetResetHandler(OSTestResetHandler handler);  // returns the previous one

// Sets what OSGetSavedRegionContents returns, as if a soft reset had handed
// these 128 bytes over (null: zeros).
void OSTestSetSavedRegion(const uint8_t* bytes);

// Keeps the settings file in this folder (null: the user's data folder).
void OSTestSetSettingsDir(const char* dir);

// Timed waits not yet woken (OSWaitUntil, OSSleepTicks), of OS and platform
// threads: lets a test see that a thread has started waiting on time.
int OSTestPendingTimedWaits();

// Timed waits on the virtual clock end this many ticks after their deadline,
// as a host's wake-ups come late (0, the default: on time).
void OSTestSetWakeLatency(OSTime ticks);
