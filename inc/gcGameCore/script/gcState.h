#pragma once
// One state of a script state machine: its name and five handler events.
// Read with its machine into the machine's pool and never changed; the
// machine destroys it. Main thread. Type id 246.

#include "cCore/cObject.h"
#include "gcGameCore/script/gcEvent.h"

class gcState : public cObject {
    QM_DECLARE_TYPE(gcState)
public:
    static constexpr uint32_t kVersion = 1;

    gcState();

    // Version 1: the cObject block, then the events in the order enter,
    // exit, timer, update, event (timer before update, unlike the fields).
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); the state is unchanged unless
    // the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The handler of a state-machine message: EnterState, ExitState, Tick,
    // the timer (3) or a script event (128); null for other ids.
    const gcEvent* GetHandler(int32_t nMsgId) const;

    gcEvent onEnterState;
    gcEvent onExitState;
    gcEvent onUpdate;
    gcEvent onTimer;
    gcEvent onEvent;
};
