#include "gcGameCore/gcStateMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/gcScriptText.h"
#include "gcGameCore/gcState.h"
#include "gcGameCore/gcStateMachineGroup.h"
#include "gcGameCore/gcStateMachineMgr.h"
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

    gcStateMachine* Machine(const char* name, int slot, gcStateMachineHandle hParent = gcStateMachineHandle())
    {
        gcStateMachine* p = datagen::NewStateMachine(&m_pool, name, hParent);
        gcStateMachineMgr::Add(slot, p, static_cast<uint16_t>(0x100 + slot));
        return p;
    }
    gcState* State(gcStateMachine* pMachine, int index, const char* name)
    {
        return datagen::AddState(*pMachine, index, name, &m_pool);
    }
    gcDoTestRecord* Record(int32_t tag) { return m_pool.New<gcDoTestRecord>(tag); }
    gcDoTestChangeState* Change(int32_t state, bool force = false, int32_t timer = 0)
    {
        return m_pool.New<gcDoTestChangeState>(state, force, timer);
    }
    gcDoTestSetValue* Unhandle()
    {
        return m_pool.New<gcDoTestSetValue>(m_pool.New<gcValTestEventVar>(gcValTestEventVar::HANDLED),
                                          m_pool.New<gcValTestNumber>(0.0f));
    }

    gcEventParams Params() { return gcEventParams(&m_actor, nullptr, nullptr, nullptr, nullptr); }
    void ChangeState(int state, bool force = false, int timer = 0)
    {
        m_actor.m_stateInfo.ChangeState(state, Params(), gcEventStackData(), cTimeValue(timer), force);
    }
    float Tick(int ticks = 20)
    {
        return m_actor.m_stateInfo.Send(gcMsgTick(cTimeValue(ticks)), Params(), gcEventStackData());
    }
    float Event(gcMsgEvent::gcEventId id)
    {
        return m_actor.m_stateInfo.Send(gcMsgEvent(id), Params(), gcEventStackData());
    }

    cMemPool m_pool{"gcStateMachineTest", 0x40000, false};
    gcTestActor m_actor;
};

TEST_F(gcStateMachineTest, ChildInheritsMissingStatesAndEmptyHandlersFromItsParent)
{
    gcStateMachine* pParent = Machine("Walker", 1);
    for (int i = 0; i < 4; ++i) {
        gcState* p = State(pParent, i, "P");
        FillEvent(p->onEnterState, Record(10 + i));
        FillEvent(p->onUpdate, Record(20 + i));
    }
    gcStateMachine* pChild = Machine("Runner", 2, pParent->m_handle);
    gcState* pOwn = State(pChild, 3, "Own");
    FillEvent(pOwn->onEnterState, Record(103));
    m_actor.m_stateInfo.m_pStateMachine = pChild;

    ChangeState(1);
    Tick();
    ChangeState(3);
    Tick();
    EXPECT_EQ(TestLogTags(), (Tags{11, 21, 103, 23}));
}

TEST_F(gcStateMachineTest, ClearedHandledFlagPassesTheMessageOnToParentsThenMachineEvents)
{
    gcStateMachine* pParent = Machine("Base", 1);
    gcStateMachine* pChild = Machine("Derived", 2, pParent->m_handle);
    FillEvent(State(pChild, 0, "C")->onEvent, Record(1), Unhandle());
    FillEvent(State(pParent, 0, "P")->onEvent, Record(2), Unhandle());
    FillEvent(pChild->onEvent, Record(3));
    FillEvent(pParent->onEvent, Record(4));
    m_actor.m_stateInfo.m_pStateMachine = pChild;
    ChangeState(0);
    Event(gcMsgEvent::ID_ONMESSAGE);
    EXPECT_EQ(TestLogTags(), (Tags{1, 2, 3}));
    for (const gcTestLogEntry& e : TestLog())
        EXPECT_EQ(e.nEventId, gcMsgEvent::ID_ONMESSAGE);
}

TEST_F(gcStateMachineTest, MachineEventsNeverTakeEnterOrExit)
{
    gcStateMachine* p = Machine("M", 1);
    FillEvent(p->onUpdate, Record(1));
    FillEvent(p->onTimer, Record(2));
    State(p, 0, "Empty");
    m_actor.m_stateInfo.m_pStateMachine = p;
    ChangeState(0, false, 20);
    EXPECT_TRUE(TestLog().empty());
    Tick();
    EXPECT_EQ(TestLogTags(), (Tags{2, 1}));  // the timer before the tick
    EXPECT_EQ(TestLog()[0].nEventId, 0);
}

TEST_F(gcStateMachineTest, TimerRunningOutDeliversOnTimerBeforeOnUpdate)
{
    gcStateMachine* p = Machine("M", 1);
    gcState* s = State(p, 0, "Wait");
    FillEvent(s->onTimer, Record(30));
    FillEvent(s->onUpdate, Record(20));
    m_actor.m_stateInfo.m_pStateMachine = p;
    ChangeState(0, false, 30);
    Tick();
    EXPECT_EQ(TestLogTags(), (Tags{20}));
    EXPECT_EQ(m_actor.m_stateInfo.m_nextUpdate.m_nTicks, 10);
    Tick();
    EXPECT_EQ(TestLogTags(), (Tags{20, 30, 20}));
    Tick();
    EXPECT_EQ(TestLogTags(), (Tags{20, 30, 20, 20}));  // a spent timer stays quiet
}

TEST_F(gcStateMachineTest, ChangeToTheCurrentStateNeedsForce)
{
    struct Row {
        const char* name;
        bool bForce;
        Tags expected;
        int32_t timer;
    };
    const Row rows[] = {{"unforced keeps the timer", false, {}, 40}, {"forced re-enters", true, {2, 1}, 99}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestLog().clear();
        gcStateMachine* p = Machine("M", 1);
        gcState* s = State(p, 0, "S");
        FillEvent(s->onEnterState, Record(1));
        FillEvent(s->onExitState, Record(2));
        m_actor.m_stateInfo = gcStateInfo();
        m_actor.m_stateInfo.m_pStateMachine = p;
        ChangeState(0, false, 40);
        TestLog().clear();
        ChangeState(0, row.bForce, 99);
        EXPECT_EQ(TestLogTags(), row.expected);
        EXPECT_EQ(m_actor.m_stateInfo.m_nextUpdate.m_nTicks, row.timer);
    }
}

TEST_F(gcStateMachineTest, FirstChangeSendsNoExitAndLaterChangesExitFirst)
{
    gcStateMachine* p = Machine("M", 1);
    for (int i = 0; i < 2; ++i) {
        gcState* s = State(p, i, "S");
        FillEvent(s->onEnterState, Record(10 + i));
        FillEvent(s->onExitState, Record(20 + i));
    }
    m_actor.m_stateInfo.m_pStateMachine = p;
    ChangeState(0);
    ChangeState(1);
    EXPECT_EQ(TestLogTags(), (Tags{10, 20, 11}));
    EXPECT_EQ(m_actor.m_stateInfo.m_nFlags, 0);
}

TEST_F(gcStateMachineTest, ChangesFromHandlersWaitForTheHandlerThenRunInOneLoop)
{
    gcStateMachine* p = Machine("M", 1);
    gcState* s0 = State(p, 0, "A");
    gcState* s1 = State(p, 1, "B");
    gcState* s2 = State(p, 2, "C");
    FillEvent(s0->onUpdate, Change(1), Record(1));  // the change waits until the handler is done
    FillEvent(s0->onExitState, Record(2));
    FillEvent(s1->onEnterState, Record(3), Change(2));  // taken by the same loop
    FillEvent(s1->onExitState, Record(4));
    FillEvent(s2->onEnterState, Record(5));
    m_actor.m_stateInfo.m_pStateMachine = p;
    ChangeState(0);
    Tick();
    EXPECT_EQ(TestLogTags(), (Tags{1, 2, 3, 4, 5}));
    EXPECT_EQ(m_actor.m_stateInfo.m_nCurState, 2);
}

TEST_F(gcStateMachineTest, ChangeRequestedInExitBecomesTheDestination)
{
    gcStateMachine* p = Machine("M", 1);
    for (int i = 0; i < 3; ++i)
        FillEvent(State(p, i, "S")->onEnterState, Record(10 + i));
    FillEvent(p->m_pStates[0]->onExitState, Record(20), Change(2));
    m_actor.m_stateInfo.m_pStateMachine = p;
    ChangeState(0);
    ChangeState(1);
    EXPECT_EQ(TestLogTags(), (Tags{10, 20, 12}));
    EXPECT_EQ(m_actor.m_stateInfo.m_nCurState, 2);
}

TEST_F(gcStateMachineTest, EndlessSelfChangesAreBoundedAndLogged)
{
    gcTestLogCapture log;
    gcStateMachine* p = Machine("Spinner", 1);
    FillEvent(State(p, 0, "S")->onEnterState, Record(1), Change(0, true));
    m_actor.m_stateInfo.m_pStateMachine = p;
    ChangeState(0);
    EXPECT_EQ(TestLog().size(), static_cast<size_t>(gcStateInfo::kMaxChanges));
    EXPECT_EQ(m_actor.m_stateInfo.m_nFlags, 0);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "\"Spinner\" changed state 64 times"), 1);
}

TEST_F(gcStateMachineTest, SendReturnsTheLastHandlerTriedAndZeroForEnter)
{
    gcStateMachine* p = Machine("M", 1);
    gcState* s = State(p, 0, "S");
    FillEvent(s->onEnterState, m_pool.New<gcDoTestReturn>(m_pool.New<gcValTestNumber>(5.0f)));
    FillEvent(s->onUpdate, m_pool.New<gcDoTestReturn>(m_pool.New<gcValTestNumber>(7.0f)));
    m_actor.m_stateInfo.m_pStateMachine = p;
    m_actor.m_stateInfo.m_nCurState = 0;
    EXPECT_EQ(m_actor.m_stateInfo.Send(gcMsgEnterState(), Params(), gcEventStackData()), 0.0f);
    EXPECT_EQ(Tick(), 7.0f);
    EXPECT_EQ(Event(gcMsgEvent::ID_ONDEATH), 0.0f);  // an empty handler
}

TEST_F(gcStateMachineTest, MissingMachineOrStateHandlesNothing)
{
    EXPECT_EQ(Tick(), 0.0f);
    ChangeState(3);
    EXPECT_EQ(m_actor.m_stateInfo.m_nCurState, -1);
    gcStateMachine* p = Machine("M", 1);
    m_actor.m_stateInfo.m_pStateMachine = p;
    for (const int state : {-1, 5, 31, 40, 127}) {
        m_actor.m_stateInfo.m_nCurState = static_cast<int8_t>(state);
        EXPECT_EQ(Tick(), 0.0f);
    }
}

TEST_F(gcStateMachineTest, ParentLoopsEndTheSearch)
{
    gcStateMachine* a = Machine("A", 1);
    gcStateMachine* b = Machine("B", 2, a->m_handle);
    a->hParent = b->m_handle;
    gcStateMachine* c = Machine("C", 3);
    m_actor.m_stateInfo.m_pStateMachine = a;
    m_actor.m_stateInfo.m_nCurState = 0;
    EXPECT_EQ(Tick(), 0.0f);
    EXPECT_TRUE(a->IsA(b));
    EXPECT_FALSE(a->IsA(c));
    char text[gcScriptText::kSize] = "";
    gcStateMachine::GetStateText(a, text, 0);
    EXPECT_STREQ(text, "[none]");
}

TEST_F(gcStateMachineTest, IsAWalksTheParentChain)
{
    gcStateMachine* root = Machine("Root", 1);
    gcStateMachine* mid = Machine("Mid", 2, root->m_handle);
    gcStateMachine* leaf = Machine("Leaf", 3, mid->m_handle);
    EXPECT_TRUE(leaf->IsA(leaf));
    EXPECT_TRUE(leaf->IsA(root));
    EXPECT_FALSE(root->IsA(leaf));
    EXPECT_FALSE(leaf->IsA(nullptr));
    gcStateMachineMgr::Add(2, nullptr, 0);  // a stale parent ends the chain
    EXPECT_FALSE(leaf->IsA(root));
}

TEST_F(gcStateMachineTest, StateTextNamesOwnAndInheritedStates)
{
    gcStateMachine* root = Machine("Root", 1);
    State(root, 1, "Walk");
    State(root, 2, "Fall");
    gcStateMachine* leaf = Machine("Leaf", 2, root->m_handle);
    State(leaf, 1, "Run");
    State(leaf, 3, "Swim");
    struct Row {
        const gcStateMachine* pMachine;
        int state;
        const char* expected;
    };
    const Row rows[] = {
        {leaf, 1, "[Run]->[Walk]"}, {leaf, 2, "[none]->[Fall]"}, {leaf, 3, "[Swim]"},
        {leaf, 4, "[none]"},        {leaf, 32, "[none]"},         {nullptr, 1, "[???]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        char text[gcScriptText::kSize] = "";
        gcStateMachine::GetStateText(row.pMachine, text, row.state);
        EXPECT_STREQ(text, row.expected);
    }
}

class gcStateMachineFileTest : public gcStateMachineTest {
protected:
    gcStateMachineGroup* Load(const char* name)
    {
        return static_cast<gcStateMachineGroup*>(cBase::Load(gcTestDataDir::ConsolePath(name).c_str(), &m_pool,
                                                             gcStateMachineGroup::GetStaticType()));
    }
    // A machine block whose count field says count, followed by `written`
    // state members.
    static void WriteMachine(datagen::BlockWriter& w, int32_t count, int written)
    {
        w.Begin(1).Begin(1).Begin(1).End().Name("Hand").End().Int(0);
        for (int e = 0; e < 3; ++e)
            w.Begin(3).Begin(1).End().Int(-1).End();
        w.Int(count);
        for (int i = 0; i < written; ++i) {
            w.Int(246).Begin(1).Begin(1).Begin(1).End().Name("S").End();
            for (int e = 0; e < 5; ++e)
                w.Begin(3).Begin(1).End().Int(-1).End();
            w.End();
        }
        w.End();
    }

    gcTestDataDir m_dir;
};

TEST_F(gcStateMachineFileTest, GroupRoundTripKeepsHandlesAndBytes)
{
    gcStateMachine* parent = datagen::NewStateMachine(&m_pool, "Parent", gcStateMachineHandle());
    gcStateMachine* child = datagen::NewStateMachine(&m_pool, "Child", gcStateMachineHandle(0x22220005));
    FillEvent(datagen::AddState(*child, 2, "Idle", &m_pool)->onTimer, Record(0x11111111));
    FillEvent(child->m_pStates[2]->onUpdate, Record(0x22222222));
    FillEvent(child->onEvent, Record(3));
    ASSERT_TRUE(datagen::WriteStateMachineGroupFile(m_dir.HostPath("sm.grp"), 5, {{parent, 0x2222}, {child, 0x3333}}));
    EXPECT_EQ(gcStateMachineMgr::s_pInstances[5], nullptr);  // the writer put the slots back

    const std::vector<uint8_t> bytes = ReadHostFile(m_dir.HostPath("sm.grp"));
    auto find = [&bytes](uint32_t word) {
        for (size_t i = 0; i + 4 <= bytes.size(); ++i)
            if (bytes[i] == (word >> 24) && bytes[i + 1] == ((word >> 16) & 0xFF) && bytes[i + 2] == ((word >> 8) & 0xFF) &&
                bytes[i + 3] == (word & 0xFF))
                return i;
        return bytes.size();
    };
    EXPECT_LT(find(0x11111111), find(0x22222222));  // OnTimer is stored before OnUpdate

    gcStateMachineGroup* pGroup = Load("sm.grp");
    ASSERT_NE(pGroup, nullptr);
    const gcStateMachine* pChild = gcStateMachineMgr::GetPtr(gcStateMachineHandle(0x33330006));
    ASSERT_NE(pChild, nullptr);
    EXPECT_TRUE(pChild->m_name == "Child");
    EXPECT_EQ(pChild->GetParent(), gcStateMachineMgr::GetPtr(gcStateMachineHandle(0x22220005)));
    ASSERT_NE(pChild->GetState(2), nullptr);
    EXPECT_TRUE(pChild->GetState(2)->m_name == "Idle");
    EXPECT_STREQ(pChild->GetState(2)->onTimer.sOwnerName, "Idle");
    EXPECT_EQ(pChild->GetState(0), nullptr);
    ASSERT_TRUE(datagen::WriteStateMachineGroupFile(m_dir.HostPath("sm2.grp"), 5,
                                                    {{gcStateMachineMgr::s_pInstances[5], 0x2222},
                                                     {gcStateMachineMgr::s_pInstances[6], 0x3333}}));
    EXPECT_EQ(bytes, ReadHostFile(m_dir.HostPath("sm2.grp")));
    std::destroy_at(pGroup);  // destroys the machines and their states
    EXPECT_EQ(gcStateMachineMgr::s_pInstances[6], nullptr);
}

TEST_F(gcStateMachineFileTest, StateCountsBeyondTheTableOrNegativeStayInTheBlock)
{
    struct Row {
        const char* name;
        int32_t count;
        int written;
        int kept;
    };
    const Row rows[] = {{"34 states: two surplus", 34, 34, 32}, {"negative: none", -3, 0, 0}, {"exact", 32, 32, 32}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        datagen::BlockWriter w;
        w.Header();
        WriteMachine(w, row.count, row.written);
        w.Word(0xC0DEC0DE).Trailer();
        ASSERT_TRUE(w.Save(m_dir.HostPath("many.sm")));
        gcTestLogCapture log;
        gcStateMachine* pMachine = m_pool.New<gcStateMachine>();
        cFile file;
        ASSERT_TRUE(file.Open("/many.sm"));
        EXPECT_TRUE(pMachine->Read(file, &m_pool));
        uint8_t after[4] = {};
        file.Read(after, 4);
        EXPECT_EQ(after[0], 0xC0);  // the block ended where it said
        file.Close();
        EXPECT_FALSE(file.Failed());
        int kept = 0;
        for (const gcState* s : pMachine->m_pStates)
            kept += s != nullptr;
        EXPECT_EQ(kept, row.kept);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "the first 32 are kept"), row.count == 32 ? 0 : 1);
    }
}

TEST_F(gcStateMachineFileTest, TruncatedMachineFailsAndKeepsItsStates)
{
    gcStateMachine* source = datagen::NewStateMachine(&m_pool, "Src", gcStateMachineHandle());
    FillEvent(datagen::AddState(*source, 1, "One", &m_pool)->onEnterState, Record(1));
    ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("one.sm"), *source));
    const std::vector<uint8_t> bytes = ReadHostFile(m_dir.HostPath("one.sm"));
    gcTestLogCapture quiet;
    gcStateMachine target;
    gcState* pOld = datagen::AddState(target, 0, "Old", &m_pool);
    target.m_name.Set("Target");
    for (size_t n = 8; n + 8 < bytes.size(); n += 3) {  // short of the machine block's end marker
        SCOPED_TRACE(n);
        ASSERT_TRUE(datagen::WriteBytes(m_dir.HostPath("cut.sm"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + n)));
        cFile file;
        ASSERT_TRUE(file.Open("/cut.sm"));
        file.SetCurrentPos(8 + 12 + 4);
        EXPECT_FALSE(target.Read(file, &m_pool));
        file.Close();
        EXPECT_EQ(target.m_pStates[0], pOld);
        EXPECT_EQ(target.m_pStates[1], nullptr);
        EXPECT_TRUE(target.m_name == "Target");
    }
}

}  // namespace
