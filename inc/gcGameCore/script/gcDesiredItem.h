#pragma once
// An item named relative to the running event: one of the event's objects,
// the first item of a pending combination, or a specific item template by
// handle. Stored inline in the blocks of actions and values as the selector
// and the template handle, two 32-bit words; a plain value embedded in its
// owner. Main thread.

#include <cstdint>

#include "cCore/cHandle.h"

class cReadBlock;
class cWriteBlock;
class gcItem;
class gcItemTemplate;
struct gcEventParams;
using gcItemTemplateHandle = cHandle<gcItemTemplate>;

struct gcDesiredItem {
    // Stored in data files.
    enum gcSelection : int32_t {
        INITIATOR = 0,
        PARTICIPANT1 = 1,
        PARTICIPANT2 = 2,
        COMBINE_ITEM = 3,
        SPECIFIC = 32768,
    };

    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;
    // "Initiator", "Participant1", "Participant2", "CombineItem1", or for
    // SPECIFIC "[none]" with handle 0 and otherwise the template's name in
    // brackets; nothing for a selector outside the table. Item templates
    // have no manager yet, so every other handle shows "[???]".
    void GetText(char* pBuf) const;
    // The event's initiator or participant when it is an item; null for
    // SPECIFIC, for an object that is no item and for the combine item while
    // no combination is pending. The flag has no effect.
    gcItem* GetItem(const gcEventParams& params, bool bValidate) const;

    int32_t desiredItem = INITIATOR;  // a gcSelection as stored
    gcItemTemplateHandle hSpecificItemTemplate;
};
