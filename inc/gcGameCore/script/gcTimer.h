#pragma once
// A script timer: a game object that counts a length of time and fires its
// events when it starts, on every tick while it runs, when it stops and when
// it completes; it may repeat, and its completion event may change the next
// run's length by assigning Param2 (seconds). Activate (10) starts or
// restarts it, Deactivate (11) stops it; the map ticks it while its running
// bit is set. Found by handle through gcTimerMgr; lives in the pool of its
// group's load; main thread. Type id 195.

#include <cstdint>

#include "cCore/cHandle.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcGameObject.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class gcTimer;
using gcTimerHandle = cHandle<gcTimer>;

class gcTimer : public gcGameObject {
    QM_DECLARE_TYPE(gcTimer)
public:
    static constexpr uint32_t kVersion = 2;

    enum gcTimerState : int8_t {
        STATE_ENABLED = 0,  // running
        STATE_STOPPED = 1,
    };

    // m_nFlags; the other bits are stored and written back unchanged.
    static constexpr uint32_t kRepeat = 0x2;   // from data
    static constexpr uint32_t kRunning = 0x4;  // set while in STATE_ENABLED

    static constexpr int32_t kDefaultLength = 600;  // ticks: one second

    gcTimer();

    // Version 2: the gcGameObject block, the four events, the flags and the
    // length in ticks.
    void Write(const cFile& file) const override;
    // Version 2 only (older skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    int Send(const gcMsg& msg) override;

    gcTimerHandle m_handle;
    gcEvent onStarted;
    gcEvent onUpdated;
    gcEvent onStopped;
    gcEvent onCompleted;
    uint32_t m_nFlags = 0;
    cTimeValue m_length{kDefaultLength};  // one run

private:
    bool Dispatch(const gcMsg& msg);
    bool DispatchEnabled(const gcMsg& msg);
    void Complete();
    // Applies an event with the timer as initiator and a frame of the two
    // parameters; returns the frame's RetVal and leaves Param2 in *pParam2.
    float ApplyEvent(const gcEvent& event, float fParam1, float fParam2, float* pParam2 = nullptr);
};

// The slot table of script timers: 100 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.
class gcTimerMgr : public cManager<gcTimer, 100> {};

// The file block that fills a range of gcTimerMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.
class gcTimerGroup : public cGroup {
    QM_DECLARE_GROUP(gcTimerGroup, gcTimerMgr)
};
