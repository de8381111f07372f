#include "gcGameCore/script/gcStateMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcState.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcScriptTestObjects.h"

namespace {

using Tags = std::vector<int32_t>;

class gcStateMachineTest : public testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }
    void TearDown() override
    {
        for (auto& p : gcStateMachineMgr::s_pInstances)
            p = nullptr;
    }
    gcStateMachine* Machine(int slot, gcStateMachineHandle hParent = gcStateMachineHandle(), const char* name = "M")
    {
        gcStateMachine* p = datagen::NewStateMachine(&m_pool, name, hParent);
        gcStateMachineMgr::Add(slot, p, static_cast<uint16_t>(0x100 + slot));
        return p;
    }
    gcState* State(gcStateMachine* p, int index, const char* name = "S")
    {
        return datagen::AddState(*p, index, name, &m_pool);
    }
    gcEventParams Params() { return gcEventParams(&m_actor, nullptr, nullptr, nullptr, nullptr); }
    void ChangeState(int state, bool force = false, int timer = 0)
    {
        m_actor.m_stateInfo.ChangeState(state, Params(), gcEventStackData(), cTimeValue(timer), force);
    }
    float Send(const gcMsg& msg) { return m_actor.m_stateInfo.Send(msg, Params(), gcEventStackData()); }
    float Tick() { return Send(gcMsgTick(cTimeValue(20))); }
    void Run(gcStateMachine* p) { m_actor.m_stateInfo.m_pStateMachine = p; }

    cMemPool m_pool{"gcStateMachineTest", 0x40000, false};
    gcTestBuilder b{m_pool};
    gcTestActor m_actor;
};

TEST_F(gcStateMachineTest, ChildInheritsMissingStatesAndEmptyHandlersFromItsParent)
{
    gcStateMachine* pParent = Machine(1);
    for (int i = 0; i < 4; ++i) {
        FillEvent(State(pParent, i)->onEnterState, b.Record(10 + i));
        FillEvent(pParent->m_pStates[i]->onUpdate, b.Record(20 + i));
    }
    gcStateMachine* pChild = Machine(2, pParent->m_handle);
    FillEvent(State(pChild, 3)->onEnterState, b.Record(103));  // its OnUpdate stays empty
    Run(pChild);
    ChangeState(1);
    Tick();
    ChangeState(3);
    Tick();
    EXPECT_EQ(TestLogTags(), (Tags{11, 21, 103, 23}));
}

TEST_F(gcStateMachineTest, ClearedHandledFlagPassesTheMessageToParentsThenMachineEvents)
{
    gcStateMachine* pParent = Machine(1);
    gcStateMachine* pChild = Machine(2, pParent->m_handle);
    FillEvent(State(pChild, 0)->onEvent, b.Record(1), b.Set(gcValTest::HANDLED, 0.0f));
    FillEvent(State(pParent, 0)->onEvent, b.Record(2), b.Set(gcValTest::HANDLED, 0.0f));
    FillEvent(pChild->onEvent, b.Record(3));
    FillEvent(pParent->onEvent, b.Record(4));
    FillEvent(pChild->onTimer, b.Record(5));  // machine events never take EnterState
    Run(pChild);
    ChangeState(0);
    Send(gcMsgEvent(gcMsgEvent::ID_ONMESSAGE));
    EXPECT_EQ(TestLogTags(), (Tags{1, 2, 3}));
    for (const gcTestLogEntry& e : TestLog())
        EXPECT_EQ(e.nEventId, gcMsgEvent::ID_ONMESSAGE);
}

TEST_F(gcStateMachineTest, TimerRunningOutDeliversOnTimerBeforeOnUpdate)
{
    gcStateMachine* p = Machine(1);
    FillEvent(State(p, 0)->onTimer, b.Record(30));
    FillEvent(p->m_pStates[0]->onUpdate, b.Record(20));
    Run(p);
    ChangeState(0, false, 30);
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ(TestLogTags(), (Tags{20, 30, 20, 20}));  // a spent timer stays quiet
    EXPECT_EQ(TestLog()[1].nEventId, 0);
}

TEST_F(gcStateMachineTest, ChangeToTheCurrentStateNeedsForceAndForceRestartsTheTimer)
{
    for (const bool bForce : {false, true}) {
        SCOPED_TRACE(bForce);
        gcStateMachine* p = Machine(1);
        FillEvent(State(p, 0)->onEnterState, b.Record(1));
        FillEvent(p->m_pStates[0]->onExitState, b.Record(2));
        m_actor.m_stateInfo = gcStateInfo();
        Run(p);
        ChangeState(0, false, 40);
        TestLog().clear();
        ChangeState(0, bForce, 99);
        EXPECT_EQ(TestLogTags(), bForce ? (Tags{2, 1}) : Tags{});
        EXPECT_EQ(m_actor.m_stateInfo.m_nextUpdate.m_nTicks, bForce ? 99 : 40);
    }
}

TEST_F(gcStateMachineTest, ChangesFromHandlersWaitForTheHandlerAndRunInOneLoop)
{
    gcStateMachine* p = Machine(1);
    for (int i = 0; i < 4; ++i) {
        FillEvent(State(p, i)->onEnterState, b.Record(10 + i));
        FillEvent(p->m_pStates[i]->onExitState, b.Record(20 + i));
    }
    FillEvent(p->m_pStates[0]->onUpdate, b.Change(1), b.Record(1));         // waits for the handler's end
    FillEvent(p->m_pStates[1]->onEnterState, b.Record(11), b.Change(2));    // taken by the same loop
    FillEvent(p->m_pStates[2]->onExitState, b.Record(22), b.Change(0));     // redirects the change in progress
    Run(p);
    ChangeState(0);  // the first change sends no ExitState
    Tick();
    ChangeState(3);
    EXPECT_EQ(TestLogTags(), (Tags{10, 1, 20, 11, 21, 12, 22, 10}));
    EXPECT_EQ(m_actor.m_stateInfo.m_nCurState, 0);
    EXPECT_EQ(m_actor.m_stateInfo.m_nFlags, 0);
}

TEST_F(gcStateMachineTest, EndlessSelfChangesAreBoundedAndLogged)
{
    gcTestLogCapture log;
    gcStateMachine* p = Machine(1, gcStateMachineHandle(), "Spinner");
    FillEvent(State(p, 0)->onEnterState, b.Record(1), b.Change(0, 0, true));
    Run(p);
    ChangeState(0);
    EXPECT_EQ(TestLog().size(), static_cast<size_t>(gcStateInfo::kMaxChanges));
    EXPECT_EQ(m_actor.m_stateInfo.m_nFlags, 0);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "\"Spinner\" changed state 64 times"), 1);
}

TEST_F(gcStateMachineTest, ParentChainsEndAtStaleHandlesAndLoops)
{
    gcStateMachine* root = Machine(1, gcStateMachineHandle(), "Root");
    gcStateMachine* mid = Machine(2, root->m_handle);
    gcStateMachine* leaf = Machine(3, mid->m_handle);
    EXPECT_TRUE(leaf->IsA(leaf));
    EXPECT_TRUE(leaf->IsA(root));
    EXPECT_FALSE(root->IsA(leaf));
    root->hParent = leaf->m_handle;  // a loop in the data
    EXPECT_FALSE(leaf->IsA(Machine(4)));
    Run(leaf);
    m_actor.m_stateInfo.m_nCurState = 0;
    EXPECT_EQ(Tick(), 0.0f);
    gcStateMachineMgr::Add(2, nullptr, 0);  // a stale parent
    EXPECT_FALSE(leaf->IsA(root));
}

class gcStateMachineFileTest : public gcStateMachineTest {
protected:
    gcTestDataDir m_dir;
};

TEST_F(gcStateMachineTest, SendReturnsTheLastHandlerTriedAndNothingWhenUnresolved)
{
    EXPECT_EQ(Tick(), 0.0f);  // no machine
    gcStateMachine* p = Machine(1);
    FillEvent(State(p, 0)->onEnterState, b.Return(b.Num(5.0f)));
    FillEvent(p->m_pStates[0]->onUpdate, b.Return(b.Num(7.0f)));
    Run(p);
    m_actor.m_stateInfo.m_nCurState = 0;
    EXPECT_EQ(Send(gcMsgEnterState()), 0.0f);
    EXPECT_EQ(Tick(), 7.0f);
    EXPECT_EQ(Send(gcMsgEvent(gcMsgEvent::ID_ONDEATH)), 0.0f);  // an empty handler
    for (const int state : {-1, 5, 40, 127}) {
        m_actor.m_stateInfo.m_nCurState = static_cast<int8_t>(state);
        EXPECT_EQ(Tick(), 0.0f);
    }
}

TEST_F(gcStateMachineTest, StateTextNamesOwnAndInheritedStates)
{
    gcStateMachine* root = Machine(1);
    State(root, 1, "Walk");
    State(root, 2, "Fall");
    gcStateMachine* leaf = Machine(2, root->m_handle);
    State(leaf, 1, "Run");
    State(leaf, 3, "Swim");
    struct Row {
        const gcStateMachine* pMachine;
        int state;
        const char* expected;
    };
    const Row rows[] = {{leaf, 1, "[Run]->[Walk]"}, {leaf, 2, "[none]->[Fall]"}, {leaf, 3, "[Swim]"},
                        {leaf, 4, "[none]"},        {leaf, 32, "[none]"},         {nullptr, 1, "[???]"}};
    for (const Row& row : rows) {
        char text[gcScriptText::kSize] = "";
        gcStateMachine::GetStateText(row.pMachine, text, row.state);
        EXPECT_STREQ(text, row.expected);
    }
}

TEST_F(gcStateMachineFileTest, StateTableCountsAndMembersThatAreNoStates)
{
    gcStateMachine* p = datagen::NewStateMachine(&m_pool, "Table", gcStateMachineHandle());
    State(p, 0, "Idle");
    ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("m.dat"), *p));
    const std::vector<uint8_t> good = ReadHostFile(m_dir.HostPath("m.dat"));
    const std::vector<uint8_t> table = {0, 0, 0, gcStateMachine::kMaxStates, 0, 0, 0, 246};  // count, a gcState
    const size_t count = std::search(good.begin(), good.end(), table.begin(), table.end()) - good.begin();
    ASSERT_LT(count, good.size());
    struct Row {
        const char* why;
        size_t offset;
        uint8_t byte;
        bool bState;
        int errors;  // a damaged file: the machine is not loaded
    };
    // A count the writer never writes (below 0, past the table) is damage.
    const Row rows[] = {
        {"as written", 0, good[0], true, 0},
        {"no states", count + 3, 0, false, 0},
        {"a negative count", count, 0xFF, false, 1},
        {"one past the table", count + 3, gcStateMachine::kMaxStates + 1, false, 1},
        {"a timer in the state slot", count + 7, 195, false, 1},
        {"a state refusing its block", count + 8 + 11, 0, false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        std::vector<uint8_t> bytes = good;
        bytes[row.offset] = row.byte;
        ASSERT_TRUE(datagen::WriteBytes(m_dir.HostPath("m.dat"), bytes));
        gcTestLogCapture log;
        cBase* pRead = cBase::Load("/m.dat", &m_pool, gcStateMachine::GetStaticType());
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, ""), 0);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cFile: \"/m.dat\": "), row.errors);
        if (row.errors && row.offset <= count + 3) {
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcStateMachine: state count not accepted"), 1);
        }
        ASSERT_EQ(pRead != nullptr, row.errors == 0);
        if (!pRead)
            continue;
        EXPECT_EQ(static_cast<gcStateMachine*>(pRead)->GetState(0) != nullptr, row.bState);
        std::destroy_at(pRead);
    }
}

// A member of another class in a state slot is skipped without being
// built: the load takes no more of its pool than a machine whose slot is
// empty, and fails as a damaged file.
TEST_F(gcStateMachineFileTest, AForeignStateIsNeverBuilt)
{
    gcStateMachine* p = datagen::NewStateMachine(&m_pool, "Table", gcStateMachineHandle());
    ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("empty.dat"), *p));
    State(p, 0, "Idle");
    ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("m.dat"), *p));
    std::vector<uint8_t> bytes = ReadHostFile(m_dir.HostPath("m.dat"));
    const std::vector<uint8_t> table = {0, 0, 0, gcStateMachine::kMaxStates, 0, 0, 0, 246};  // count, a gcState
    const size_t count = std::search(bytes.begin(), bytes.end(), table.begin(), table.end()) - bytes.begin();
    ASSERT_LT(count, bytes.size());
    bytes[count + 7] = 195;  // a timer
    ASSERT_TRUE(datagen::WriteBytes(m_dir.HostPath("m.dat"), bytes));
    size_t taken[2] = {};
    const char* names[2] = {"/empty.dat", "/m.dat"};
    gcTestLogCapture log;
    for (int i = 0; i < 2; ++i) {
        cMemPool pool("gcStateMachineLoad", 0x10000, false);
        auto* pRead = static_cast<gcStateMachine*>(cBase::Load(names[i], &pool, gcStateMachine::GetStaticType()));
        ASSERT_EQ(pRead != nullptr, i == 0);
        taken[i] = pool.BytesTaken();
        if (pRead) {
            EXPECT_EQ(pRead->GetState(0), nullptr);
            std::destroy_at(pRead);
        }
    }
    EXPECT_LE(taken[1], taken[0]);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "a gcTimer before"), 1);
}

TEST_F(gcStateMachineFileTest, GroupRoundTripKeepsHandlesAndBytes)
{
    gcStateMachine* parent = datagen::NewStateMachine(&m_pool, "Parent", gcStateMachineHandle());
    gcStateMachine* child = datagen::NewStateMachine(&m_pool, "Child", gcStateMachineHandle(0x22220005));
    gcState* idle = datagen::AddState(*child, 2, "Idle", &m_pool);
    FillEvent(idle->onTimer, b.Record(0x11111111));
    FillEvent(idle->onUpdate, b.Record(0x22222222));
    ASSERT_TRUE(datagen::WriteStateMachineGroupFile(m_dir.HostPath("sm.grp"), 5, {{parent, 0x2222}, {child, 0x3333}}));
    const std::vector<uint8_t> bytes = ReadHostFile(m_dir.HostPath("sm.grp"));
    const std::vector<uint8_t> timerTag = {0x11, 0x11, 0x11, 0x11}, updateTag = {0x22, 0x22, 0x22, 0x22};
    EXPECT_LT(std::search(bytes.begin(), bytes.end(), timerTag.begin(), timerTag.end()),
              std::search(bytes.begin(), bytes.end(), updateTag.begin(), updateTag.end()));  // OnTimer first

    cBase* pGroup = cBase::Load("/sm.grp", &m_pool, gcStateMachineGroup::GetStaticType());
    ASSERT_NE(pGroup, nullptr);
    const gcStateMachine* pChild = gcStateMachineMgr::GetPtr(gcStateMachineHandle(0x33330006));
    ASSERT_NE(pChild, nullptr);
    EXPECT_EQ(pChild->GetParent(), gcStateMachineMgr::s_pInstances[5]);
    ASSERT_NE(pChild->GetState(2), nullptr);
    EXPECT_STREQ(pChild->GetState(2)->onTimer.sOwnerName, "Idle");
    ASSERT_TRUE(datagen::WriteStateMachineGroupFile(m_dir.HostPath("sm2.grp"), 5,
                                                    {{gcStateMachineMgr::s_pInstances[5], 0x2222},
                                                     {gcStateMachineMgr::s_pInstances[6], 0x3333}}));
    EXPECT_EQ(bytes, ReadHostFile(m_dir.HostPath("sm2.grp")));
    std::destroy_at(pGroup);  // destroys the machines and their states
    EXPECT_EQ(gcStateMachineMgr::s_pInstances[6], nullptr);
}

}  // namespace
