#pragma once
// Test seams of the memory-card library: where the slots' folders are,
// results forced onto requests, a card that stays busy, another sector
// size, and a hook in the middle of a write. For tests only; the program
// never calls these. Main thread.

#include <cstdint>

#include "platform/card.h"

// Keeps the slots' folders below this folder (card-a, card-b) instead of
// the user's data folder; null goes back to it. Unmounts both slots and
// forgets every injection.
void CARDTestSetRoot(const char* dir);
// The host folder of a slot's card.
const char* CARDTestSlotFolder(int32_t chan);

// Requests the library knows; an injection names one.
#define CARD_TEST_OP_LIST(X) \
    X(CARD_TEST_PROBE)       \
    X(CARD_TEST_MOUNT)       \
    X(CARD_TEST_CHECK)       \
    X(CARD_TEST_UNMOUNT)     \
    X(CARD_TEST_FORMAT)      \
    X(CARD_TEST_OPEN)        \
    X(CARD_TEST_CREATE)      \
    X(CARD_TEST_READ)        \
    X(CARD_TEST_WRITE)       \
    X(CARD_TEST_DELETE)      \
    X(CARD_TEST_SET_STATUS)  \
    X(CARD_TEST_GET_STATUS)
#define QM_CARD_TEST_OP_ENTRY(name) name,
enum CARDTestOp { CARD_TEST_OP_LIST(QM_CARD_TEST_OP_ENTRY) CARD_TEST_OP_COUNT };

// The next request of that kind on the slot does nothing and finishes with
// this result.
void CARDTestInjectResult(int32_t chan, CARDTestOp op, int32_t result);
// After each of the next requests on the slot, CARDGetResultCode answers
// CARD_RESULT_BUSY this many times before the result (a negative count:
// busy for ever).
void CARDTestSetBusyPolls(int32_t chan, int32_t polls);
// The sector size the slot's card reports (CARD_SECTOR_SIZE by default).
void CARDTestSetSectorSize(int32_t chan, int32_t sectorSize);

// Called once half of a write's bytes are in the temporary file, before it
// is flushed and renamed (null: none).
typedef void (*CARDTestWriteHook)(int32_t chan);
void CARDTestSetMidWriteHook(CARDTestWriteHook hook);
