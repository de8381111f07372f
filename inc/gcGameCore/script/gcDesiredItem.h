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

    // A reference by this selector, with a template for SPECIFIC.
    static gcDesiredItem Selecting(int32_t selection, gcItemTemplateHandle hTemplate = gcItemTemplateHandle())
    {
        gcDesiredItem d;
        d.desiredItem = selection;
        d.hSpecificItemTemplate = hTemplate;
        return d;
    }

    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;
    // "Initiator", "Participant1", "Participant2", "CombineItem1", or for
    // SPECIFIC "[none]" with handle 0 and otherwise the template's name in
    // brackets ("[???]" when the handle is stale); nothing for a selector
    // outside the table.
    void GetText(char* pBuf) const;
    // The item the selector names: the event's object of that role when it
    // is an item, or the first item of a pending combination; null for
    // SPECIFIC (a template names no item) and for anything else.
    gcItem* GetItem(const gcEventParams& params) const;
    // The template of GetItem's item, or for SPECIFIC the template of the
    // handle; null when none resolves.
    gcItemTemplate* GetItemTemplate(const gcEventParams& params) const;

    int32_t desiredItem = INITIATOR;  // a gcSelection as stored
    gcItemTemplateHandle hSpecificItemTemplate;
};
