#pragma once
// An entity named relative to the running event: the player, one of the
// event's objects, a specific entity by handle, or a leader, neighbour or
// target of one of them. Stored inline in the blocks of actions and values
// as the selector and the handle, two 32-bit words; a plain value embedded in
// its owner. Main thread.

#include <cstdint>

#include "gcGameCore/entities/gcEntity.h"

class cReadBlock;
class cWriteBlock;

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

    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;
    // "Player", "Initiator.Leader", "[name]" for SPECIFIC ("???" when the
    // handle is stale); nothing for a selector outside the table.
    void GetText(char* pBuf) const;

    int32_t desiredEntity = PLAYER;  // a gcSelection as stored
    gcEntityHandle hSpecificEntity;
};
