// A guard's behaviour as data: a state machine of three states and a timer,
// written by datagen, loaded back and run over simulated frames.
#include <gtest/gtest.h>

#include <vector>

#include "datagen/scriptWriters.h"
#include "gcGameCore/gcState.h"
#include "gcGameCore/gcStateMachineGroup.h"
#include "gcGameCore/gcTimerGroup.h"
#include "gcScriptTestObjects.h"

namespace {

using Tags = std::vector<int32_t>;

constexpr uint32_t kMachineHandle = 0x07070007;
constexpr uint32_t kTimerHandle = 0x77770003;

class gcScriptScenarioTest : public testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }
    void TearDown() override
    {
        gcTestActor::s_pActors[0] = nullptr;
        gcStateMachineMgr::s_pInstances[7] = nullptr;
        gcTimerMgr::s_pInstances[3] = nullptr;
    }

    template <class T, class... Args>
    T* Make(Args&&... args)
    {
        return m_build.New<T>(std::forward<Args>(args)...);
    }
    gcDoTestRecord* Record(int32_t tag) { return Make<gcDoTestRecord>(tag); }

    // Idle (0) turns Alert on the first tick with a 40-tick state timer;
    // Alert (1) starts the clock and turns Chase when its state timer runs
    // out; Chase (2) goes back to Idle on a script event. The clock (60
    // ticks) sends that event to the guard when it completes.
    void WriteFiles()
    {
        gcStateMachine* m = datagen::NewStateMachine(&m_build, "Guard", gcStateMachineHandle());
        gcState* idle = datagen::AddState(*m, 0, "Idle", &m_build);
        gcState* alert = datagen::AddState(*m, 1, "Alert", &m_build);
        gcState* chase = datagen::AddState(*m, 2, "Chase", &m_build);
        FillEvent(idle->onEnterState, Record(100));
        FillEvent(idle->onUpdate, Record(101), Make<gcDoTestChangeState>(1, false, 40));
        FillEvent(alert->onEnterState, Record(110), Make<gcDoTestTimerActivate>(gcTimerHandle(kTimerHandle), true));
        FillEvent(alert->onExitState, Record(111));
        FillEvent(alert->onTimer, Record(112), Make<gcDoTestChangeState>(2, false, 0));
        FillEvent(alert->onUpdate, Record(113));
        FillEvent(chase->onEnterState, Record(120));
        FillEvent(chase->onEvent, Record(121), Make<gcDoTestChangeState>(0, false, 0));

        gcTimer* t = datagen::NewTimer(&m_build, "Clock", 60, 0);
        FillEvent(t->onStarted, Record(200));
        FillEvent(t->onCompleted, Record(201), Make<gcDoTestActorEvent>(0, gcMsgEvent::ID_ONMESSAGE));
        FillEvent(t->onStopped, Record(202));
        FillEvent(t->onUpdated, Record(203));

        ASSERT_TRUE(datagen::WriteStateMachineGroupFile(m_dir.HostPath("Guard.sm"), 7, {{m, 0x0707}}));
        ASSERT_TRUE(datagen::WriteTimerGroupFile(m_dir.HostPath("Clock.tm"), 3, {{t, 0x7777}}));
    }

    // One frame as the map runs it: the guard, then every running timer.
    void Frame(gcTimer* pTimer)
    {
        m_guard.Send(gcMsgTick(cTimeValue(20)));
        if (pTimer->m_nFlags & gcTimer::kRunning)
            pTimer->Send(gcMsgTick(cTimeValue(20)));
    }

    cMemPool m_build{"gcScenarioBuild", 0x20000, false};
    cMemPool m_load{"gcScenarioLoad", 0x20000, false};
    gcTestDataDir m_dir;
    gcTestActor m_guard;
};

TEST_F(gcScriptScenarioTest, GuardCyclesThroughItsStatesDrivenByTheClock)
{
    WriteFiles();
    m_build.Reset();  // only the files remain
    cBase* pMachines = cBase::Load("/Guard.sm", &m_load, gcStateMachineGroup::GetStaticType());
    cBase* pTimers = cBase::Load("/Clock.tm", &m_load, gcTimerGroup::GetStaticType());
    ASSERT_NE(pMachines, nullptr);
    ASSERT_NE(pTimers, nullptr);
    gcStateMachine* pMachine = gcStateMachineMgr::GetPtr(gcStateMachineHandle(kMachineHandle));
    gcTimer* pTimer = gcTimerMgr::GetPtr(gcTimerHandle(kTimerHandle));
    ASSERT_NE(pMachine, nullptr);
    ASSERT_NE(pTimer, nullptr);

    m_guard.m_name.Set("Guard01");
    gcTestActor::s_pActors[0] = &m_guard;
    m_guard.Start(pMachine);
    EXPECT_EQ(TestLogTags(), (Tags{100}));

    struct Step {
        Tags tags;
        int guardState;
        bool bClockRunning;
    };
    const Step frames[] = {
        {{101, 110, 200, 203}, 1, true},                  // Idle turns Alert, which starts the clock
        {{113, 203}, 1, true},                            // Alert waits
        {{112, 111, 120, 201, 121, 100, 202}, 0, false},  // state timer: Chase; clock done: its event sends Idle
        {{101, 110, 200, 203}, 1, true},                  // and round again
    };
    for (size_t i = 0; i < std::size(frames); ++i) {
        SCOPED_TRACE(i + 1);
        TestLog().clear();
        Frame(pTimer);
        EXPECT_EQ(TestLogTags(), frames[i].tags);
        EXPECT_EQ(m_guard.m_stateInfo.m_nCurState, frames[i].guardState);
        EXPECT_EQ((pTimer->m_nFlags & gcTimer::kRunning) != 0, frames[i].bClockRunning);
    }

    // Who each event ran for, and with what.
    TestLog().clear();
    Frame(pTimer);
    Frame(pTimer);
    Frame(pTimer);
    for (const gcTestLogEntry& e : TestLog()) {
        SCOPED_TRACE(e.nTag);
        EXPECT_EQ(e.pInitiator, e.nTag >= 200 ? static_cast<gcGameObject*>(pTimer) : &m_guard);
        if (e.nTag == 121) {
            EXPECT_EQ(e.nEventId, gcMsgEvent::ID_ONMESSAGE);
        }
        if (e.nTag == 203) {
            EXPECT_GT(e.fParam1, 0.0f);  // elapsed seconds of the run
            EXPECT_FLOAT_EQ(e.fParam2, 0.1f);
        }
    }
    std::destroy_at(pTimers);
    std::destroy_at(pMachines);
}

}  // namespace
