#pragma once
// The base of every message-driven game object. Messages arrive through the
// virtual Send; on top of it every object runs one state-change protocol: a
// handler requests a change (RequestState), and the change is carried out at
// the end of that message as ExitState, the switch, PostExitState,
// EnterState and PostEnterState sent to the object itself. A tick first
// counts the next-update countdown down and sends Update (3) when it runs
// out. Subclasses implement Send as RunProtocol around their own dispatch.
// Lives in its pool; main thread. Type id 70, abstract.

#include <cstdint>

#include "cCore/cObject.h"
#include "cCore/cTimeValue.h"
#include "gcGameCore/script/gcMsg.h"

class gcGameObject : public cObject {
    QM_DECLARE_ABSTRACT_TYPE(gcGameObject)
public:
    static constexpr uint32_t kVersion = 1;

    // m_nGameObjectFlags.
    static constexpr uint8_t kTransitioning = 0x1;  // set while the ExitState message runs
    static constexpr uint8_t kChangePending = 0x2;  // m_nNextState and the countdown were requested
    static constexpr uint8_t kSkipExit = 0x4;       // the next transition sends no ExitState (suspend)
    static constexpr uint8_t kSkipEnter = 0x8;      // ... no PostExitState, EnterState, PostEnterState (resume)

    // Transitions carried out for one message before the rest is dropped:
    // data whose enter handlers keep requesting changes would otherwise hang
    // the frame.
    static constexpr int kMaxTransitions = 64;

    gcGameObject() = default;

    // A block of version 1 holding the cObject block; states, flags and the
    // countdown are run-time only.
    void Write(const cFile& file) const override;
    // Accepts version 1; others are skipped whole (false). The object is
    // unchanged unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Non-zero when the message was taken.
    virtual int Send(const gcMsg& msg) = 0;

    // A change request: carried out by the running message's transition loop.
    void RequestState(int nState, cTimeValue countdown)
    {
        m_nGameObjectFlags |= kChangePending;
        m_nNextState = static_cast<int8_t>(nState);
        m_nextUpdate = countdown;
    }

    int8_t m_nCurState = -1;   // -1: none
    int8_t m_nNextState = -1;  // the state of the pending change
    int8_t m_nPrevState = -1;  // the state the last change left
    uint8_t m_nGameObjectFlags = 0;
    cTimeValue m_nextUpdate;   // countdown in ticks; 0 or less: not counting

protected:
    // The protocol around a subclass's dispatch (a callable taking the
    // message and answering whether a handler took it): countdown, dispatch,
    // then the transition loop. Returns what Send returns.
    template <class Dispatch>
    int RunProtocol(const gcMsg& msg, Dispatch&& dispatch)
    {
        CountDown(msg);
        if (!dispatch(msg))
            return 0;
        return FinishMessage(msg.nMsgId);
    }

private:
    void CountDown(const gcMsg& msg);
    int FinishMessage(int32_t nMsgId);
};
