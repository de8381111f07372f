#pragma once
// The run-time record of one object running a script state machine: the
// machine, the current and pending state, flags and a timer countdown. The
// owner forwards its ticks, timer runs and script events (128) to Send and
// changes state through ChangeState; handlers may do both re-entrantly.
// Embedded in its owner; main thread. Without a machine every call does
// nothing.

#include <cstdint>

#include "cCore/cTimeValue.h"

class gcEvent;
class gcMsg;
class gcStateMachine;
struct gcEventParams;
struct gcEventStackData;

struct gcStateInfo {
    static constexpr uint16_t kExiting = 0x1;        // an ExitState handler runs
    static constexpr uint16_t kChangePending = 0x2;
    static constexpr uint16_t kInHandler = 0x4;      // changes wait for the running Send
    // Changes carried out by one change loop before the rest is dropped:
    // data whose enter handlers keep changing state would hang the frame.
    static constexpr int kMaxChanges = 64;

    // Delivers one message: 0 EnterState, 1 ExitState, 2 Tick (counting the
    // timer down first and delivering 3 when it runs out), 3 the timer, 128 a
    // script event. The current state's handler runs, falling back to the
    // same state of the parent machines, then to the machine-wide events; a
    // pending change is carried out afterwards. Returns the last handler's
    // result (0.0 for EnterState and ExitState). params and frame are the
    // caller's: the handlers, and the states entered by the change that
    // follows, write the event id, the handled flag, RetVal and the Temps
    // there, and the caller reads them afterwards.
    float Send(const gcMsg& msg, const gcEventParams& params, gcEventStackData& frame);
    // The same on a copy of the frame, for callers that only want the result.
    float Send(const gcMsg& msg, const gcEventParams& params, const gcEventStackData& frame);
    // Requests state nState with this timer countdown; a request for the
    // current state changes nothing unless bForce. Outside a handler the
    // change is carried out at once; inside, after the handlers.
    void ChangeState(int nState, const gcEventParams& params, const gcEventStackData& frame, cTimeValue timer,
                     bool bForce);
    // Carries out a pending change.
    void HandleChangeState(const gcEventParams& params, const gcEventStackData& frame);

    gcStateMachine* m_pStateMachine = nullptr;  // null: none
    int8_t m_nCurState = -1;                    // negative: none
    int8_t m_nNextState = -1;
    uint16_t m_nFlags = 0;
    cTimeValue m_nextUpdate;                    // 0 or less: not counting

private:
    // Runs the handler picked from one machine or state; true when it took
    // the message (it has actions and left bHandled set).
    bool RunHandler(const gcEvent* pEvent, const gcEventParams& params, gcEventStackData& frame, float* pResult);
    void RunChangeLoop(const gcEventParams& params, gcEventStackData& frame);
};
