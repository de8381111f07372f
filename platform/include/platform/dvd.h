#pragma once
// The disc layer: a read-only file system rooted at the data directory.
// Console paths ("/Game/Act01/Map01/Map01.map") name files below it and are
// matched without regard to ASCII letter case. Reads are asynchronous: one
// drive thread of the layer serves requests in order and completes them at
// interrupt time (under OSDisableInterrupts), where the callback runs.
// Any thread may call these functions; a callback may start another read.

#include <cstdint>

#include "platform/os.h"

// Drive and command-block states. The drive status uses the same numbers.
constexpr int32_t DVD_STATE_FATAL_ERROR = -1;  // unrecoverable; also a failed read
constexpr int32_t DVD_STATE_END = 0;           // request complete / drive ready
constexpr int32_t DVD_STATE_BUSY = 1;          // request being transferred
constexpr int32_t DVD_STATE_WAITING = 2;       // request queued behind others
constexpr int32_t DVD_STATE_NO_DISK = 4;
constexpr int32_t DVD_STATE_COVER_OPEN = 5;
constexpr int32_t DVD_STATE_WRONG_DISK = 6;
constexpr int32_t DVD_STATE_CANCELED = 10;     // request cancelled before it completed
constexpr int32_t DVD_STATE_RETRY = 11;

// Result given to a callback when the transfer failed.
constexpr int32_t DVD_RESULT_FATAL_ERROR = -1;

struct DVDFileInfo;
// Runs at interrupt time on the drive thread. result: bytes transferred, or
// DVD_RESULT_FATAL_ERROR. Never runs for a cancelled request.
typedef void (*DVDCallback)(int32_t result, DVDFileInfo* fileInfo);

// One request. Its fields belong to the layer while the request is queued or
// busy; read its state only through DVDGetCommandBlockStatus.
struct DVDCommandBlock {
    DVDCommandBlock* next = nullptr;  // queue link
    int32_t state = DVD_STATE_END;
    uint32_t offset = 0;              // file offset of the transfer
    uint32_t length = 0;              // bytes asked for
    void* addr = nullptr;             // destination
    int32_t transferredSize = 0;
    uint32_t canceled = 0;            // set by DVDCancel while queued or busy
    DVDFileInfo* fileInfo = nullptr;
};

// An open disc file. One request at a time per file (its command block).
struct DVDFileInfo {
    DVDCommandBlock cb;
    uint32_t length = 0;              // file length in bytes
    DVDCallback callback = nullptr;   // of the current request
    int hostFd = -1;                  // the layer's host descriptor; -1 when closed
};

// Starts the drive thread; idempotent.
void DVDInit();

// Sets the directory the console paths are rooted at (the program's --data).
// A null or empty directory counts as missing.
void DVDSetDataDirectory(const char* dir);
const char* DVDGetDataDirectory();

// Opens a console path. FALSE (and a report) when no file matches.
BOOL DVDOpen(const char* fileName, DVDFileInfo* fileInfo);
// Host extension: TRUE when a console path names a file, without a report;
// for files the game may lack.
BOOL DVDFileExists(const char* fileName);

// Closes the file. A pending request is cancelled first. FALSE for a file
// that is not open.
BOOL DVDClose(DVDFileInfo* fileInfo);

// Queues a read of length bytes at offset into addr. The request may run up
// to 31 bytes past the end of the file (requests are multiples of 32); those
// bytes read as zero. FALSE, with nothing queued, for a closed file, a file
// whose previous request is still queued or busy, a negative length or offset,
// or a range further past the end. prio is accepted and ignored: one drive
// serves requests in order.
BOOL DVDReadAsyncPrio(DVDFileInfo* fileInfo, void* addr, int32_t length, int32_t offset,
                      DVDCallback callback, int32_t prio);

// Host extension, for a reader about to wait for its request: a request
// without callback that is next in line, with the drive idle, is transferred
// on the calling thread at once (a drive thread that is slow to be scheduled
// would otherwise hold the reader up). Anything else is left to the drive.
void DVDServeNow(DVDCommandBlock* block);

// DVD_STATE_END when complete, DVD_STATE_BUSY / WAITING while pending,
// DVD_STATE_CANCELED after a cancel, DVD_STATE_FATAL_ERROR after a failed read.
// On the virtual clock a pending request is waited for, its completion
// callback included (the caller keeping the CPU), so a headless run never
// finds a read still pending.
int32_t DVDGetCommandBlockStatus(const DVDCommandBlock* block);

// Cancels a queued or busy request: its destination is not written after
// this returns and its callback never runs. TRUE also when nothing was pending.
BOOL DVDCancel(DVDCommandBlock* block);

// DVD_STATE_END (ready) while the data directory exists, DVD_STATE_NO_DISK
// otherwise, or the state a test injected (platform/test/dvd_test.h).
int32_t DVDGetDriveStatus();
