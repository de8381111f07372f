#pragma once
// Whether an entity's script state machine is in a given state. The state
// number is only meaningful within one family of machines, so a machine
// named here that is neither an ancestor nor a descendant of the one the
// entity's template runs gives false. Read with its owner into its pool;
// main thread. Type id 248.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityStateCompare : public gcValue {
    QM_DECLARE_TYPE(gcValEntityStateCompare)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEntityStateCompare() = default;
    gcValEntityStateCompare(const gcDesiredEntity& entity, gcStateMachineHandle hMachine, int32_t state)
        : desiredEntity(entity), hStateMachine(hMachine), nState(state) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity, the machine, the state.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // No relation is asked for when either machine does not resolve; 0.0
    // without the entity or its template.
    float Get(const gcEventParams& params) const override;
    // "( Initiator.State == [Guard].[Patrol] )"
    void GetText(char* pBuf) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcStateMachineHandle hStateMachine;
    int32_t nState = 0;
};
