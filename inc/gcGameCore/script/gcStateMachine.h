#pragma once
// A script state machine: a shared, read-only definition of up to 32 states
// with five handler events each, three machine-wide events, and an optional
// parent machine from which missing states and unhandled messages are
// inherited. Entities run it through their gcStateInfo. Lives in the pool of
// its group's load and is found by handle through gcStateMachineMgr; main
// thread. Type id 244.

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "gcGameCore/script/gcEvent.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class gcState;
class gcStateMachine;
using gcStateMachineHandle = cHandle<gcStateMachine>;

class gcStateMachine : public cObject {
    QM_DECLARE_TYPE(gcStateMachine)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr int kMaxStates = 32;
    // Longest parent chain followed: a chain longer than the manager has
    // slots can only be a loop in the data.
    static constexpr int kMaxChain = 250;

    gcStateMachine();
    // Destroys its states.
    ~gcStateMachine() override;

    // Version 1: the cObject block, the parent handle, the three events, the
    // count 32 and the 32 state slots as polymorphic members (-1 for empty).
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). States beyond 32 are read and
    // dropped so the block still ends where it says; a negative count reads
    // none; members that are not states are dropped. The machine is
    // unchanged unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The state defined here under number nState; null outside 0..31.
    const gcState* GetState(int nState) const;
    // The parent machine; null when none or stale.
    const gcStateMachine* GetParent() const;
    // True when pOther is this machine or one of its ancestors.
    bool IsA(const gcStateMachine* pOther) const;
    // Appends "[name]" of the machine's own state nState ("[none]" when it
    // defines none), then "->[name]" of the nearest ancestor that does;
    // "[???]" for a null machine. pBuf holds gcScriptText::kSize bytes.
    static void GetStateText(const gcStateMachine* pMachine, char* pBuf, int nState);

    gcStateMachineHandle m_handle;
    gcStateMachineHandle hParent;  // 0: none
    gcEvent onUpdate;              // machine-wide handler of the tick
    gcEvent onTimer;               // ... of the timer running out
    gcEvent onEvent;               // ... of script events
    gcState* m_pStates[kMaxStates] = {};
};

// The slot table of script state machines: 250 slots, resolved by handle. A
// stale or zero handle gives null. Main thread, or the loader filling a group.
class gcStateMachineMgr : public cManager<gcStateMachine, 250> {};

// The file block that fills a range of gcStateMachineMgr's slots. Lives in
// the pool of its load; one made by the factory destroys its machines with it.
class gcStateMachineGroup : public cGroup {
    QM_DECLARE_GROUP(gcStateMachineGroup, gcStateMachineMgr)
};
