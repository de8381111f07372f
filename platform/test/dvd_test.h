#pragma once
// Test seams of the disc layer: inject drive states, hold the drive, count
// requests. For tests only; the program never calls these.

#include <cstdint>

// Makes DVDGetDriveStatus report this state until cleared.
void DVDTestSetDriveStatus(int32_t state);
void DVDTestClearDriveStatus();

// While held, the drive thread starts no new transfer, so queued requests
// stay pending (to test cancelling). Releasing lets them run.
void DVDTestHoldDrive(bool hold);
// Returns once no request is queued or in transfer (at once while held);
// completion callbacks that queue further reads are waited for as well.
void DVDTestWaitIdle();

// While set, every transfer the drive starts completes with a fatal error,
// as a scratched disc would.
void DVDTestFailTransfers(bool fail);

// Host time added to every transfer from now on, as a slow or loaded
// machine would take; the program's drive starts with the microseconds the
// environment variable QM_TEST_DISC_DELAY_US gives (none when unset).
void DVDTestSetTransferDelay(uint32_t microseconds);

// Number of requests queued with DVDReadAsyncPrio since the last reset.
uint32_t DVDTestGetReadCount();
void DVDTestResetReadCount();
