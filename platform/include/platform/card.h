#pragma once
// The memory-card library: two slots, each a card of 8192-byte sectors
// holding named files with a status (icon, comments, their formats). Here
// each slot is a folder in the user's data folder
// ($XDG_DATA_HOME/quillmere/card-a and card-b, default ~/.local/share/...);
// every file is one host file there with its status in a small file beside
// it. Slot A's folder is made by CARDInit, so a card is always in slot A;
// slot B holds a card once its folder exists.
//
// Requests finish before the call returns, but are reported as the console
// reports them: the call answers its result and CARDGetResultCode(chan)
// answers it afterwards (CARD_RESULT_BUSY while a request is pending, which
// only a test can make last). A callback given to an ...Async call runs on
// the calling thread before the call returns. Writes are crash-safe: the
// new contents go to a temporary file that is flushed and renamed over the
// old one, so a crash leaves the old file or the new one, never a mix. A
// created file takes its place on the card with its first write, so a crash
// between the two leaves no file rather than an empty one.
// Main thread only.

#include <cstdint>

#include "platform/os.h"

constexpr int32_t CARD_SLOT_A = 0;
constexpr int32_t CARD_SLOT_B = 1;
constexpr int32_t CARD_NUM_SLOTS = 2;

#define CARD_RESULT_LIST(X)                                                   \
    X(CARD_RESULT_READY, 0, "done")                                           \
    X(CARD_RESULT_BUSY, -1, "the request is still running")                   \
    X(CARD_RESULT_WRONGDEVICE, -2, "the slot holds something else")           \
    X(CARD_RESULT_NOCARD, -3, "no card, or the card is not mounted")          \
    X(CARD_RESULT_NOFILE, -4, "no file of that name")                         \
    X(CARD_RESULT_IOERROR, -5, "the card could not be read or written")       \
    X(CARD_RESULT_BROKEN, -6, "the card's file system is damaged")            \
    X(CARD_RESULT_EXIST, -7, "a file of that name exists already")            \
    X(CARD_RESULT_NOENT, -8, "no free directory entry")                       \
    X(CARD_RESULT_INSSPACE, -9, "not enough free blocks")                     \
    X(CARD_RESULT_NOPERM, -10, "the file belongs to another program")         \
    X(CARD_RESULT_LIMIT, -11, "outside the file")                             \
    X(CARD_RESULT_NAMETOOLONG, -12, "file name longer than 32 bytes")         \
    X(CARD_RESULT_ENCODING, -13, "the card was formatted for another market") \
    X(CARD_RESULT_CANCELED, -14, "")                                          \
    X(CARD_RESULT_FATAL_ERROR, -128, "")
#define QM_CARD_ENUM_ENTRY(name, value, note) name = value,
enum CARDResult : int32_t { CARD_RESULT_LIST(QM_CARD_ENUM_ENTRY) };
const char* CARDResultText(int value);

constexpr uint32_t CARD_WORKAREA_SIZE = 40960;  // bytes the program lends a mounted card
constexpr int32_t CARD_SECTOR_SIZE = 8192;      // bytes per block on a standard card
constexpr int32_t CARD_MEM_SIZE_MBITS = 4;      // a 4-megabit card
constexpr int32_t CARD_USER_BLOCKS = 59;        // blocks left for files on a 4-megabit card
constexpr int32_t CARD_MAX_FILE = 127;          // directory entries
constexpr int32_t CARD_FILENAME_MAX = 32;       // bytes, no terminator needed at full length
constexpr uint32_t CARD_COMMENT_SIZE = 64;      // two 32-byte lines
constexpr int32_t CARD_ICON_MAX = 8;

// Status fields: icon formats and speeds are 2 bits per icon, icon 0 in the
// lowest bits.
constexpr uint8_t CARD_STAT_BANNER_NONE = 0;
constexpr uint16_t CARD_STAT_ICON_NONE = 0;
constexpr uint16_t CARD_STAT_ICON_C8 = 1;
constexpr uint16_t CARD_STAT_ICON_RGB5A3 = 2;
constexpr uint16_t CARD_STAT_SPEED_END = 0;   // no further icon
constexpr uint16_t CARD_STAT_SPEED_FAST = 1;  // 4 frames an icon
constexpr uint16_t CARD_STAT_SPEED_MIDDLE = 2;
constexpr uint16_t CARD_STAT_SPEED_SLOW = 3;  // 12 frames an icon
constexpr uint32_t CARD_STAT_ICON_BITS = 2;
constexpr uint16_t CARD_STAT_ICON_MASK = 3;

inline uint16_t CARDPackIconField(uint16_t field, int32_t icon, uint16_t value)
{
    const uint32_t shift = CARD_STAT_ICON_BITS * static_cast<uint32_t>(icon);
    return static_cast<uint16_t>((field & ~(CARD_STAT_ICON_MASK << shift)) | ((value & CARD_STAT_ICON_MASK) << shift));
}
inline uint16_t CARDUnpackIconField(uint16_t field, int32_t icon)
{
    return static_cast<uint16_t>((field >> (CARD_STAT_ICON_BITS * static_cast<uint32_t>(icon))) & CARD_STAT_ICON_MASK);
}

// A file's status. Offsets point into the file's own bytes.
struct CARDStat {
    char fileName[CARD_FILENAME_MAX] = {};  // read only
    uint32_t length = 0;                    // bytes; read only
    uint32_t time = 0;                      // seconds since 2000-01-01; set by writes
    uint8_t bannerFormat = CARD_STAT_BANNER_NONE;
    uint32_t iconAddr = 0;     // offset of the first icon
    uint16_t iconFormat = 0;   // CARD_STAT_ICON_* per icon
    uint16_t iconSpeed = 0;    // CARD_STAT_SPEED_* per icon
    uint32_t commentAddr = 0;  // offset of the two comment lines
};

// An open file; filled by CARDOpen or CARDCreateAsync.
struct CARDFileInfo {
    int32_t chan = -1;
    int32_t fileNo = -1;  // directory entry
    int32_t length = 0;   // bytes
};

// Runs before the request's call returns, with the slot and the result.
typedef void (*CARDCallback)(int32_t chan, int32_t result);

// Starts the library and makes slot A's folder; idempotent.
void CARDInit();

// The result of the slot's last request, or CARD_RESULT_BUSY while it runs.
// CARD_RESULT_FATAL_ERROR for a slot out of range.
int32_t CARDGetResultCode(int32_t chan);

// Whether a card is in the slot and what it is: READY with its size in
// megabits and its sector size in bytes, NOCARD, WRONGDEVICE or BUSY. Cheap.
int32_t CARDProbeEx(int32_t chan, int32_t* memSize, int32_t* sectorSize);

// Mounts the card (the work area must stay with the card until unmounted)
// and reads its directory. The detach callback, when given, runs if the card
// is taken out while mounted; it is never called here. BROKEN when a file of
// the card is damaged (the card is mounted all the same, so it can be
// checked or formatted).
int32_t CARDMountAsync(int32_t chan, void* workArea, CARDCallback detachCallback, CARDCallback attachCallback);
// Checks the mounted card: removes temporary files a crash left behind;
// BROKEN while a file stays damaged.
int32_t CARDCheckAsync(int32_t chan, CARDCallback callback);
int32_t CARDUnmount(int32_t chan);
// Erases every file. Needs a card, not a mount.
int32_t CARDFormatAsync(int32_t chan, CARDCallback callback);

int32_t CARDOpen(int32_t chan, const char* fileName, CARDFileInfo* fileInfo);
int32_t CARDClose(CARDFileInfo* fileInfo);
// A new file of size bytes (rounded up to whole sectors), zero-filled. It
// stays on the card after a crash or a remount only once written.
int32_t CARDCreateAsync(int32_t chan, const char* fileName, uint32_t size, CARDFileInfo* fileInfo,
                        CARDCallback callback);
// Whole-file or partial transfers; LIMIT for a range outside the file.
int32_t CARDReadAsync(CARDFileInfo* fileInfo, void* buf, int32_t length, int32_t offset, CARDCallback callback);
int32_t CARDWriteAsync(CARDFileInfo* fileInfo, const void* buf, int32_t length, int32_t offset,
                       CARDCallback callback);
int32_t CARDDeleteAsync(int32_t chan, const char* fileName, CARDCallback callback);
int32_t CARDGetStatus(int32_t chan, int32_t fileNo, CARDStat* stat);
// Stores the status's banner, icon and comment fields (name, length and
// time are the card's).
int32_t CARDSetStatus(int32_t chan, int32_t fileNo, const CARDStat* stat);
