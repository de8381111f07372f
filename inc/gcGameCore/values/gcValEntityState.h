#pragma once
// Whether an entity is in one of six states: alive (health above 0), dying,
// on a path, leading its group, invulnerable, idling. Read with its owner
// into its pool; main thread. Type id 220.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityState : public gcValue {
    QM_DECLARE_TYPE(gcValEntityState)
public:
    static constexpr uint32_t kVersion = 1;

    // Stored in data files.
    enum gcState : int32_t {
        STATE_ALIVE = 0,
        STATE_DYING = 1,
        STATE_ONPATH = 2,
        STATE_LEADER = 3,
        STATE_INVULNERABLE = 4,
        STATE_IDLING = 5,
        MAX_STATES = 6,
    };

    gcValEntityState() = default;
    gcValEntityState(int32_t s, const gcDesiredEntity& entity) : state(s), desiredEntity(entity) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity, then the state.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 for a state outside the table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.IsAlive"

    static const char* GetStateText(int32_t s);  // "IsAlive"...; "???" outside

    int32_t state = STATE_ALIVE;  // a gcState as stored
    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
