#pragma once
// The script's movement and stance command to a creature: sends it the
// creature message of the action type (stand, walk, run, jump, block,
// dodge, walk around the target, interact, idle, force stand); the creature
// decides what the message does in its state. Lives in its event's pool;
// main thread. Type id 120.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoCreatureAction : public gcAction {
    QM_DECLARE_TYPE(gcDoCreatureAction)
public:
    static constexpr uint32_t kVersion = 3;

    // Stored in data files. The target-relative walks run F, B, L, R here
    // while their message ids run F, L, R, B.
    enum gcCreatureAction : int32_t {
        CA_STAND = 0,
        CA_WALK = 1,
        CA_RUN = 2,
        CA_JUMP = 3,
        CA_BLOCK = 4,
        CA_TGT_F = 5,
        CA_TGT_B = 6,
        CA_TGT_L = 7,
        CA_TGT_R = 8,
        CA_DODGE_L = 9,
        CA_DODGE_R = 10,
        CA_UNBLOCK = 11,
        CA_UNUSED = 12,  // sends nothing
        CA_INTERACT = 13,
        CA_IDLE_1 = 14,  // to CA_IDLE_6 = 19
        CA_IDLE_6 = 19,
        CA_FORCESTAND = 20,
        MAX_ACTIONTYPES = 21,
    };

    gcDoCreatureAction() = default;
    gcDoCreatureAction(int32_t type, const gcDesiredEntity& creature) : actionType(type), desiredCreature(creature) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the base block, the action type, the creature.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (others skipped, false); version 2 holds one more
    // word, read over. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "Initiator.Walk"
    // Nothing when the reference names no creature or the type sends nothing.
    void DoAction(const gcEventParams& params) const override;

    // The message id the type sends; -1 for none (CA_UNUSED, outside 0..20).
    static int32_t GetMessageId(int32_t type);
    static const char* GetActionTypeText(int32_t type);  // "Walk", "Idle3"; "???" for 12 and outside

    int32_t actionType = CA_STAND;  // a gcCreatureAction as stored
    gcDesiredEntity desiredCreature = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
