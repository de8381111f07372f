#pragma once
// Internals shared by the front end's files: the live state, snapshots for
// commands, submission to the backend, the data-cache range registry that
// bounds vertex arrays, and rate-limited logging. Main thread (the thread
// holding the OS layer's CPU), except where noted.

#include <cstdint>
#include <memory>
#include <vector>

#include "gx/gxCommand.h"
#include "gx/gxState.h"

// Read access to the live state.
const gxState& gxGet();
// Write access; marks the state changed so the next command takes a new snapshot.
gxState& gxMut();
// The state as it is now, shared with earlier commands when nothing changed.
std::shared_ptr<const gxState> gxSnapshot();

// Hands a command to the backend (or counts and drops it without one). Any thread.
void gxSubmit(gxCommand&& cmd);
// A draw of decoded vertices with the state as it is now.
void gxSubmitDraw(GXPrimitive primitive, GXVtxFmt fmt, uint32_t attrMask, gxVertexData&& vertices);
// gxSubmitDraw without the counting, for a caller that hands over many draws
// and counts them once with gxCountDraws (each count is an atomic operation,
// which waits for the decoder's pending stores).
void gxHandOverDraw(GXPrimitive primitive, GXVtxFmt fmt, uint32_t attrMask, gxVertexData&& vertices);
// Adds draws (one command each) and their vertices to the front-end counters.
void gxCountDraws(uint64_t draws, uint64_t vertices);
void gxCountRejectedList();
// Display copies (GXCopyDisp) since start: one per frame the program showed.
uint64_t gxDisplayCopyCount();

// Ranges the CPU announced with DCStoreRangeNoSync. Any thread.
void gxStoredRangesAdd(const void* addr, uint32_t len);
// Takes [addr, addr + len) out of the announced ranges (memory freed or
// about to be filled anew); the parts of a range outside it stay.
void gxStoredRangesRemove(const void* addr, uint64_t len);
void gxStoredRangesClear();
// Bytes from addr to the end of the announced range holding it, or 0 when no
// announced range holds it.
uint64_t gxStoredRangeBytesFrom(const void* addr);

// Readable bytes of an array: its declared length, else the announced range
// around its base, else unbounded (UINT64_MAX).
uint64_t gxArrayLimit(const gxArray& array);

// Logs through OSReport with the "GX: " prefix at most kGxLogBudget times per
// key, so a bad list drawn every frame does not flood the log.
constexpr int kGxLogBudget = 1;
void gxLogOnce(const void* key, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
// Whether a report keyed so may be made now (then it counts as made).
bool gxTakeLogKey(const void* key);
void gxLog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void gxLogResetKeys();

// Index of the lowest set light bit of a GXLightID, or -1 for none or a bad id.
int gxLightIndex(uint32_t id);
