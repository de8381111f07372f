#pragma once
// Internals of the disc layer shared by its files.

#include <string>

#include "platform/dvd.h"

namespace dvd {

// Maps a console path below the data directory to a host path, matching each
// component without regard to ASCII case (an exact match wins). Empty when
// nothing matches or the path climbs out of the directory ("..").
std::string ResolvePath(const std::string& dataDir, const char* consolePath);

// The drive thread: queue, transfer, completion.
void DriveStart();
void DriveQueue(DVDCommandBlock* block);
// Removes a queued block or marks a busy one cancelled. Caller holds the
// interrupt lock.
void DriveCancel(DVDCommandBlock* block);
int32_t DriveState(const DVDCommandBlock* block);
// DVDServeNow.
void DriveServeNow(DVDCommandBlock* block);
// The state once the block's transfer and its completion callback have run,
// on the virtual clock (or at once while the drive is held or the caller has
// interrupts disabled); the state as it is otherwise.
int32_t DriveSettledState(const DVDCommandBlock* block);
bool DriveHasPending(const DVDCommandBlock* block);

}  // namespace dvd
