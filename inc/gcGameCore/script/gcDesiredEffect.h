#pragma once
// An effect named relative to the running event: one of the event's
// objects or a specific effect by handle. Stored inline in the blocks of
// actions and values as the selector and the handle, two 32-bit words; a
// plain value embedded in its owner. Main thread.

#include <cstdint>

#include "gcGameCore/entities/gcEffect.h"

class cReadBlock;
class cType;
class cWriteBlock;
struct gcEventParams;

struct gcDesiredEffect {
    // Stored in data files.
    enum gcSelection : int32_t { INITIATOR = 0, PARTICIPANT1 = 1, PARTICIPANT2 = 2, SPECIFIC = 3 };

    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;
    // "Initiator", "Participant1", "Participant2" or "[name]" ("???" when the
    // handle is stale); nothing for a selector outside the table.
    void GetText(char* pBuf) const;
    // The effect the selector names for the running event: one of its
    // objects or the specific one; null unless it derives from pType
    // (gcEffect when null) or when nothing is named.
    gcEffect* GetEffect(const gcEventParams& params, const cType* pType = nullptr) const;

    int32_t desiredEffect = INITIATOR;  // a gcSelection as stored
    gcEffectHandle hSpecificEffect;
};
