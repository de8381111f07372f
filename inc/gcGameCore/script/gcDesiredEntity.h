#pragma once
// An entity named relative to the running event: the player, one of the
// event's objects, a specific entity by handle, or a leader, neighbour or
// target of one of them. Stored inline in the blocks of actions and values
// as the selector and the handle, two 32-bit words; a plain value embedded in
// its owner. Main thread.

#include <cstdint>

#include "gcGameCore/entities/gcEntity.h"

class cReadBlock;
class cType;
class cWriteBlock;
struct gcEventParams;

struct gcDesiredEntity {
    // Stored in data files.
    enum gcSelection : int32_t {
        PLAYER = 0,
        INITIATOR = 1,
        PARTICIPANT1 = 2,
        PARTICIPANT2 = 3,
        SPECIFIC = 4,
        INITIATOR_LEADER = 5,
        INITIATOR_NEIGHBOR1 = 6,
        INITIATOR_NEIGHBOR2 = 7,
        PARTICIPANT1_LEADER = 8,
        PARTICIPANT1_NEIGHBOR1 = 9,
        PARTICIPANT1_NEIGHBOR2 = 10,
        PLAYER_INTERACT_TARGET = 11,
        PLAYER_TARGET = 12,
        INITATOR_TARGET = 13,
        PARTICIPANT1_TARGET = 14,
        PARTICIPANT2_TARGET = 15,
    };

    // A reference by this selector alone (no specific entity).
    static gcDesiredEntity Selecting(int32_t selection)
    {
        gcDesiredEntity d;
        d.desiredEntity = selection;
        return d;
    }

    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;
    // The entity the selector names for the running event: the player's,
    // an event object, the specific one, a leader or neighbour of an event
    // object, the player's interaction target, or the target of the player
    // or of an event object (the latter only while that target is neither
    // deactivated nor frozen). With bStrict the result, and the object whose
    // leader, neighbour or target it is, must derive from pType (gcEntity
    // when null), else null; null when nothing is named.
    gcEntity* GetEntity(const gcEventParams& params, const cType* pType, bool bStrict) const;
    // The entity as a T (of class T or derived from it), or null.
    template <class T>
    T* GetEntityAs(const gcEventParams& params) const
    {
        return static_cast<T*>(GetEntity(params, T::GetStaticType(), true));
    }
    // "Player", "Initiator.Leader", "[name]" for SPECIFIC ("???" when the
    // handle is stale); nothing for a selector outside the table.
    void GetText(char* pBuf) const;

    int32_t desiredEntity = PLAYER;  // a gcSelection as stored
    gcEntityHandle hSpecificEntity;
};
