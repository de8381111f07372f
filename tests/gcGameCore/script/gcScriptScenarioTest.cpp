// A guard's behaviour as data: a state machine of three states and a timer,
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <vector>

#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcState.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/script/gcTimer.h"
#include "gcScriptTestObjects.h"

namespace {

using Tags = std::vector<int32_t>;

// to the guard when it completes.
void WriteGuardFiles(const gcTestDataDir& dir)
{
    cMemPool pool("gcScenarioBuild", 0x20000, false);
    gcTestBuilder b{pool};
    gcStateMachine* m = datagen::NewStateMachine(&pool, "Guard", gcStateMachineHandle());
    gcState* idle = datagen::AddState(*m, 0, "Idle", &pool);
    gcState* alert = datagen::AddState(*m, 1, "Alert", &pool);
    gcState* chase = datagen::AddState(*m, 2, "Chase", &pool);
    FillEvent(idle->onEnterState, b.Record(100));
    FillEvent(idle->onUpdate, b.Record(101), b.Change(1, 40));
    FillEvent(alert->onEnterState, b.Record(110), b.Step(gcDoTestStep::TIMER, 0x77770003));
    FillEvent(alert->onExitState, b.Record(111));
    FillEvent(alert->onTimer, b.Record(112), b.Change(2));
    FillEvent(alert->onUpdate, b.Record(113));
    FillEvent(chase->onEnterState, b.Record(120));
    FillEvent(chase->onEvent, b.Record(121), b.Change(0));
    gcTimer* t = datagen::NewTimer(&pool, "Clock", 60, 0);
    FillEvent(t->onStarted, b.Record(200));
    FillEvent(t->onCompleted, b.Record(201), b.Step(gcDoTestStep::ACTOREVENT, 0, gcMsgEvent::ID_ONMESSAGE));
    FillEvent(t->onStopped, b.Record(202));
    FillEvent(t->onUpdated, b.Record(203));
    ASSERT_TRUE(datagen::WriteStateMachineGroupFile(dir.HostPath("Guard.sm"), 7, {{m, 0x0707}}));
    ASSERT_TRUE(datagen::WriteTimerGroupFile(dir.HostPath("Clock.tm"), 3, {{t, 0x7777}}));
}  // the pool goes: only the files remain

TEST(gcScriptScenarioTest, GuardCyclesThroughItsStatesDrivenByTheClock)
{
    gcTestDataDir dir;
    WriteGuardFiles(dir);
    cMemPool pool("gcScenarioLoad", 0x20000, false);
    cBase* pMachines = cBase::Load("/Guard.sm", &pool, gcStateMachineGroup::GetStaticType());
    cBase* pTimers = cBase::Load("/Clock.tm", &pool, gcTimerGroup::GetStaticType());
    ASSERT_NE(pMachines, nullptr);
    ASSERT_NE(pTimers, nullptr);
    gcTimer* pClock = gcTimerMgr::GetPtr(gcTimerHandle(0x77770003));
    ASSERT_NE(pClock, nullptr);
    gcTestActor guard;
    gcTestActor::s_pActors[0] = &guard;
    TestLog().clear();
    guard.Start(gcStateMachineMgr::GetPtr(gcStateMachineHandle(0x07070007)));
    EXPECT_EQ(TestLogTags(), Tags{100});

    struct Frame {
        Tags tags;
        int guardState;
        bool bClockRunning;
    };
    const Frame frames[] = {
        {{101, 110, 200, 203}, 1, true},                  // Idle turns Alert, which starts the clock
        {{113, 203}, 1, true},                            // Alert waits
        {{112, 111, 120, 201, 121, 100, 202}, 0, false},  // state timer: Chase; the clock's event: Idle
        {{101, 110, 200, 203}, 1, true},                  // and round again
    };
    for (size_t i = 0; i < std::size(frames); ++i) {
        SCOPED_TRACE(i + 1);
        TestLog().clear();
        // One frame as the map runs it: the guard, then every running timer.
        guard.Send(gcMsgTick(cTimeValue(20)));
        if (pClock->m_nFlags & gcTimer::kRunning)
            pClock->Send(gcMsgTick(cTimeValue(20)));
        EXPECT_EQ(TestLogTags(), frames[i].tags);
        EXPECT_EQ(guard.m_stateInfo.m_nCurState, frames[i].guardState);
        EXPECT_EQ((pClock->m_nFlags & gcTimer::kRunning) != 0, frames[i].bClockRunning);
        for (const gcTestLogEntry& e : TestLog()) {
            EXPECT_EQ(e.pInitiator, e.nTag >= 200 ? static_cast<gcGameObject*>(pClock) : &guard);
            EXPECT_EQ(e.nEventId, e.nTag == 121 ? gcMsgEvent::ID_ONMESSAGE : 0);
        }
    }
    gcTestActor::s_pActors[0] = nullptr;
    std::destroy_at(pTimers);
    std::destroy_at(pMachines);
}

}  // namespace
