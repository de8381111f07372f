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
    // brackets ("[???]" when the handle is stale); nothing for a selector
    // outside the table.
    void GetText(char* pBuf) const;

    // The event's initiator or participant when it is an item, or the first
    // item of a pending combination; null for SPECIFIC, another selector or
    // an object that is no item. bStrict is taken for the callers' sake and
    // changes nothing.
    gcItem* GetItem(const gcEventParams& params, bool bStrict) const;
    // The template of that item, or for SPECIFIC the template by handle;
    // null when none resolves.
    gcItemTemplate* GetItemTemplate(const gcEventParams& params, bool bStrict) const;
    // The first item of a pending combination, kept by whoever combines
    // items; null (the default) when none is pending.
    static gcItem* (*s_pGetCombineItem)();
    // A reference to the template by handle (SPECIFIC).
    static gcDesiredItem Specific(gcItemTemplateHandle hTemplate)
    {
        gcDesiredItem d;
        d.desiredItem = SPECIFIC;
        d.hSpecificItemTemplate = hTemplate;
        return d;
    }

    int32_t desiredItem = INITIATOR;  // a gcSelection as stored
    gcItemTemplateHandle hSpecificItemTemplate;
};
