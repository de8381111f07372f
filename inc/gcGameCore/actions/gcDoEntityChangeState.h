#pragma once
// Moves an entity's script state machine to a state; the entity changes it
// only when its template has a state machine, and to the state it is in
// only when forced. The machine handle serves the text alone. Lives in its
// event's pool; main thread. Type id 247.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcStateMachine.h"

class gcDoEntityChangeState : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityChangeState)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoEntityChangeState() = default;
    gcDoEntityChangeState(const gcDesiredEntity& entity, gcStateMachineHandle machine, int32_t state, bool force)
        : desiredEntity(entity), hStateMachine(machine), nState(state), bForce(force) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the entity, the machine, the state, the
    // force switch.
    void Write(const cFile& file) const override;
    // Versions 1 (not forced) and 2; others skipped, false. Unchanged
    // unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.ForceChangeState( [Guard].[Alert] )".
    void GetText(char* pBuf) const override;
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcStateMachineHandle hStateMachine;
    int32_t nState = 0;
    bool bForce = false;
};
