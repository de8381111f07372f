#pragma once
// A script timer named relative to the running event: the event's initiator
// or a specific timer by handle. Stored inline in the blocks of actions as
// the selector and the handle, two 32-bit words; a plain value embedded in
// its owner. Main thread.

#include <cstdint>

#include "gcGameCore/script/gcTimer.h"

class cReadBlock;
class cType;
class cWriteBlock;
struct gcEventParams;

struct gcDesiredTimer {
    // Stored in data files.
    enum gcSelection : int32_t { INITIATOR = 0, SPECIFIC = 1 };

    // A reference by this selector, with a timer for SPECIFIC.
    static gcDesiredTimer Selecting(int32_t selection, gcTimerHandle hTimer = gcTimerHandle())
    {
        gcDesiredTimer d;
        d.desiredTimer = selection;
        d.hSpecificTimer = hTimer;
        return d;
    }

    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;
    // The initiator or the specific timer; null when nothing is named or it
    // does not derive from pType (gcTimer when null).
    gcTimer* GetTimer(const gcEventParams& params, const cType* pType) const;
    // "Initiator" or "[name]" ("???" when the handle is stale); nothing for a
    // selector outside the table.
    void GetText(char* pBuf) const;

    int32_t desiredTimer = SPECIFIC;  // a gcSelection as stored
    gcTimerHandle hSpecificTimer;
};
