#pragma once
// Whether a creature is in one of fifteen movement and condition states,
// as its own kind answers (alive and enraged are read from its stats and
// flags). Read with its owner into its pool; main thread. Type id 134.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValCreatureState : public gcValue {
    QM_DECLARE_TYPE(gcValCreatureState)
public:
    static constexpr uint32_t kVersion = 1;

#define QM_CREATURE_STATES(X)            \
    X(STATE_ALIVE, 0, "IsAlive")         \
    X(STATE_DYING, 1, "IsDying")         \
    X(STATE_WALKING, 2, "IsWalking")     \
    X(STATE_RUNNING, 3, "IsRunning")     \
    X(STATE_JUMPING, 4, "IsJumping")     \
    X(STATE_ATTACKING, 5, "IsAttacking") \
    X(STATE_DODGING, 6, "IsDodging")     \
    X(STATE_BLOCKING, 7, "IsBlocking")   \
    X(STATE_FALLING, 8, "IsFalling")     \
    X(STATE_ONPATH, 9, "IsOnPath")       \
    X(STATE_BLINDED, 10, "IsBlinded")    \
    X(STATE_STUNNED, 11, "IsStunned")    \
    X(STATE_ENRAGED, 12, "IsEnraged")    \
    X(STATE_STANDING, 13, "IsStanding")  \
    X(STATE_IDLING, 14, "IsIdling")
#define QM_CREATURE_STATE_ENUM(name, value, text) name = value,
    // Stored in data files.
    enum gcState : int32_t { QM_CREATURE_STATES(QM_CREATURE_STATE_ENUM) MAX_STATES = 15 };
#undef QM_CREATURE_STATE_ENUM

    gcValCreatureState() = default;
    gcValCreatureState(int32_t s, const gcDesiredEntity& creature) : state(s), desiredCreature(creature) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the creature, then the state.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 1.0 when the creature is in the state; 0.0 for a state outside the
    // table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.IsWalking"

    static const char* GetStateText(int32_t s);  // "IsAlive"...; "???" outside

    int32_t state = STATE_ALIVE;  // a gcState as stored
    gcDesiredEntity desiredCreature = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
