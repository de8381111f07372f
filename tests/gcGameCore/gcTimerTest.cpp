#include "gcGameCore/gcTimer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/gcTimerGroup.h"
#include "gcScriptTestObjects.h"

namespace {

using Tags = std::vector<int32_t>;

enum : int32_t { kStarted = 1, kUpdated = 2, kStopped = 3, kCompleted = 4 };

class gcTimerTest : public testing::Test {
protected:
    void SetUp() override
    {
        TestLog().clear();
        m_pTimer = datagen::NewTimer(&m_pool, "Clock", 60, 0);
        FillEvent(m_pTimer->onStarted, Record(kStarted));
        FillEvent(m_pTimer->onUpdated, Record(kUpdated));
        FillEvent(m_pTimer->onStopped, Record(kStopped));
    }
    gcDoTestRecord* Record(int32_t tag) { return m_pool.New<gcDoTestRecord>(tag); }
    gcDoTestSetValue* SetVar(gcValTestEventVar::Var var, float f)
    {
        return m_pool.New<gcDoTestSetValue>(m_pool.New<gcValTestEventVar>(var), m_pool.New<gcValTestNumber>(f));
    }
    int Tick(int ticks = 20) { return m_pTimer->Send(gcMsgTick(cTimeValue(ticks))); }

    cMemPool m_pool{"gcTimerTest", 0x20000, false};
    gcTimer* m_pTimer = nullptr;
};

TEST_F(gcTimerTest, NewTimerIsStoppedForOneSecond)
{
    gcTimer timer;
    EXPECT_EQ(timer.m_nCurState, gcTimer::STATE_STOPPED);
    EXPECT_EQ(timer.m_nFlags, 0u);
    EXPECT_EQ(timer.m_length.m_nTicks, 600);
    EXPECT_STREQ(timer.onCompleted.sName, "OnCompleted");
    EXPECT_EQ(timer.GetType()->m_nTypeId, 195u);
    EXPECT_EQ(timer.GetType()->m_pParentType->m_nTypeId, 70u);
}

TEST_F(gcTimerTest, ActivateStartsAndTicksReportElapsedSeconds)
{
    EXPECT_EQ(m_pTimer->Send(gcMsgActivate()), 1);
    EXPECT_EQ(m_pTimer->m_nCurState, gcTimer::STATE_ENABLED);
    EXPECT_EQ(m_pTimer->m_nFlags, gcTimer::kRunning);
    EXPECT_EQ(m_pTimer->m_nextUpdate.m_nTicks, 60);
    Tick();
    ASSERT_EQ(TestLogTags(), (Tags{kStarted, kUpdated}));
    EXPECT_EQ(TestLog()[0].pInitiator, m_pTimer);
    EXPECT_FLOAT_EQ(TestLog()[1].fParam1, 20.0f / 600.0f);
    EXPECT_FLOAT_EQ(TestLog()[1].fParam2, 0.1f);
}

TEST_F(gcTimerTest, ActivatingARunningTimerRestartsIt)
{
    m_pTimer->Send(gcMsgActivate());
    Tick();
    TestLog().clear();
    m_pTimer->Send(gcMsgActivate());
    EXPECT_EQ(TestLogTags(), (Tags{kStopped, kStarted}));
    EXPECT_EQ(m_pTimer->m_nextUpdate.m_nTicks, 60);
    EXPECT_EQ(m_pTimer->m_nFlags, gcTimer::kRunning);
}

TEST_F(gcTimerTest, DeactivateStopsOnceAndAStoppedTimerIgnoresEverything)
{
    m_pTimer->Send(gcMsgActivate());
    TestLog().clear();
    EXPECT_EQ(m_pTimer->Send(gcMsgDeactivate()), 1);
    EXPECT_EQ(TestLogTags(), (Tags{kStopped}));
    EXPECT_EQ(m_pTimer->m_nFlags, 0u);
    EXPECT_EQ(m_pTimer->m_nextUpdate.m_nTicks, 0);
    for (const int32_t id : {MSG_DEACTIVATE, MSG_TICK, MSG_UPDATE, MSG_FREEZE}) {
        SCOPED_TRACE(gcMsgIdText(id));
        const int taken = id == MSG_TICK ? Tick() : m_pTimer->Send(gcMsg(id, nullptr));
        EXPECT_EQ(taken, 0);
    }
    EXPECT_EQ(TestLogTags(), (Tags{kStopped}));
}

TEST_F(gcTimerTest, CompletionStopsUnlessRepeatedOrTheEventAsks)
{
    struct Row {
        const char* name;
        uint32_t flags;
        bool bReturnOne;
        Tags expected;  // after the tick that completes
        int8_t state;
    };
    const Row rows[] = {
        {"once", 0, false, {kCompleted, kStopped}, gcTimer::STATE_STOPPED},
        {"repeat flag", gcTimer::kRepeat, false, {kCompleted, kStopped, kStarted, kUpdated}, gcTimer::STATE_ENABLED},
        {"OnCompleted returns 1", 0, true, {kCompleted, kStopped, kStarted, kUpdated}, gcTimer::STATE_ENABLED},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gcTimer* pTimer = datagen::NewTimer(&m_pool, "T", 20, row.flags);
        FillEvent(pTimer->onStarted, Record(kStarted));
        FillEvent(pTimer->onUpdated, Record(kUpdated));
        FillEvent(pTimer->onStopped, Record(kStopped));
        if (row.bReturnOne)
            FillEvent(pTimer->onCompleted, Record(kCompleted), m_pool.New<gcDoTestReturn>(m_pool.New<gcValTestNumber>(1.0f)));
        else
            FillEvent(pTimer->onCompleted, Record(kCompleted));
        pTimer->Send(gcMsgActivate());
        TestLog().clear();
        // A run of one frame completes on the first tick, before its OnUpdated.
        pTimer->Send(gcMsgTick(cTimeValue(20)));
        EXPECT_EQ(TestLogTags(), row.expected);
        EXPECT_EQ(pTimer->m_nCurState, row.state);
        if (row.state == gcTimer::STATE_ENABLED) {
            EXPECT_EQ(TestLog().back().fParam1, 0.0f);  // the new run's elapsed time
        }
    }
}

TEST_F(gcTimerTest, AssigningParam2InOnCompletedSetsTheNextLength)
{
    m_pTimer->m_nFlags = gcTimer::kRepeat;
    FillEvent(m_pTimer->onCompleted, Record(kCompleted), SetVar(gcValTestEventVar::PARAM2, 2.5f));
    m_pTimer->Send(gcMsgActivate());
    Tick(60);
    EXPECT_EQ(m_pTimer->m_length.m_nTicks, 1500);
    EXPECT_EQ(m_pTimer->m_nextUpdate.m_nTicks, 1500);
    EXPECT_FLOAT_EQ(TestLog()[1].fParam1, 0.0f);  // OnCompleted's Param1
    EXPECT_FLOAT_EQ(TestLog()[1].fParam2, 0.1f);  // the old length in seconds
}

TEST_F(gcTimerTest, RepeatingLengthStaysExactOverAThousandRuns)
{
    for (const int32_t length : {1, 7, 20, 37, 599, 600, 601, 12345, 1000003}) {
        SCOPED_TRACE(length);
        gcTimer* pTimer = datagen::NewTimer(&m_pool, "R", length, gcTimer::kRepeat);
        gcDoTestRecord* pRecord = Record(kCompleted);
        FillEvent(pTimer->onCompleted, pRecord);
        pTimer->Send(gcMsgActivate());
        TestLog().clear();
        for (int run = 0; run < 1000; ++run)
            pTimer->Send(gcMsgTick(pTimer->m_nextUpdate));
        EXPECT_EQ(TestLog().size(), 1000u);
        EXPECT_EQ(pTimer->m_length.m_nTicks, length);
    }
}

TEST_F(gcTimerTest, ScriptRestartDuringCompletionWins)
{
    // OnCompleted activates the timer itself: the countdown is set again,
    // so the completion neither stops nor repeats it.
    FillEvent(m_pTimer->onCompleted, Record(kCompleted),
              m_pool.New<gcDoTestTimerActivate>(gcTimerHandle(), true));
    gcTimerMgr::Add(9, m_pTimer, 0x0909);
    static_cast<gcDoTestTimerActivate*>(m_pTimer->onCompleted.pAction->pNextAction)->m_hTimer = m_pTimer->m_handle;
    m_pTimer->Send(gcMsgActivate());
    TestLog().clear();
    Tick(60);
    EXPECT_EQ(TestLogTags(), (Tags{kCompleted, kStopped, kStarted, kUpdated}));
    EXPECT_EQ(m_pTimer->m_nCurState, gcTimer::STATE_ENABLED);
    gcTimerMgr::Add(9, nullptr, 0);
}

TEST_F(gcTimerTest, NonsenseLengthsAreClampedAndLogged)
{
    struct Row {
        const char* name;
        float fSeconds;
        int32_t ticks;
    };
    const Row rows[] = {{"huge", 1e12f, INT32_MAX}, {"NaN", std::nanf(""), 0}, {"negative", -0.5f, -300}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gcTestLogCapture log;
        gcTimer* pTimer = datagen::NewTimer(&m_pool, "N", 20, gcTimer::kRepeat);
        FillEvent(pTimer->onCompleted, SetVar(gcValTestEventVar::PARAM2, row.fSeconds));
        pTimer->Send(gcMsgActivate());
        pTimer->Send(gcMsgTick(cTimeValue(20)));
        EXPECT_EQ(pTimer->m_length.m_nTicks, row.ticks);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "will not complete again"), row.ticks <= 0 ? 1 : 0);
    }
}

TEST_F(gcTimerTest, EndlessRestartFromOnStartedIsBounded)
{
    // Each restart is a nested Send from inside EnterState, so the event
    // nesting limit is what ends it.
    gcTestLogCapture log;
    gcTimerMgr::Add(9, m_pTimer, 0x0909);
    FillEvent(m_pTimer->onStarted, m_pool.New<gcDoTestTimerActivate>(m_pTimer->m_handle, true));
    EXPECT_EQ(m_pTimer->Send(gcMsgActivate()), 1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "Clock:OnStarted not applied: events nested 64 deep"), 1);
    EXPECT_EQ(m_pTimer->m_nCurState, gcTimer::STATE_ENABLED);
    EXPECT_EQ(m_pTimer->m_nGameObjectFlags, 0);
    gcTimerMgr::Add(9, nullptr, 0);
}

class gcTimerFileTest : public gcTimerTest {
protected:
    gcTestDataDir m_dir;
};

TEST_F(gcTimerFileTest, GroupRoundTripKeepsFlagsLengthAndEvents)
{
    m_pTimer->m_nFlags = gcTimer::kRepeat | 0x80000000;  // unknown bits survive
    FillEvent(m_pTimer->onCompleted, Record(kCompleted));
    ASSERT_TRUE(datagen::WriteTimerGroupFile(m_dir.HostPath("t.grp"), 2, {{nullptr, 0}, {m_pTimer, 0xABCD}}));
    cBase* pGroup = cBase::Load("/t.grp", &m_pool, gcTimerGroup::GetStaticType());
    ASSERT_NE(pGroup, nullptr);
    gcTimer* pRead = gcTimerMgr::GetPtr(gcTimerHandle(0xABCD0003));
    ASSERT_NE(pRead, nullptr);
    EXPECT_TRUE(pRead->m_name == "Clock");
    EXPECT_EQ(pRead->m_nFlags, gcTimer::kRepeat | 0x80000000);
    EXPECT_EQ(pRead->m_length.m_nTicks, 60);
    EXPECT_EQ(pRead->m_nCurState, gcTimer::STATE_STOPPED);
    EXPECT_STREQ(pRead->onStopped.sOwnerName, "Clock");
    ASSERT_TRUE(datagen::WriteTimerGroupFile(m_dir.HostPath("t2.grp"), 2, {{nullptr, 0}, {pRead, 0xABCD}}));
    EXPECT_EQ(ReadHostFile(m_dir.HostPath("t.grp")), ReadHostFile(m_dir.HostPath("t2.grp")));
    std::destroy_at(pGroup);
}

TEST_F(gcTimerFileTest, VersionOneIsRefusedAndTheTimerKept)
{
    ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("t.dat"), *m_pTimer));
    std::vector<uint8_t> bytes = ReadHostFile(m_dir.HostPath("t.dat"));
    bytes[8 + 16 + 11] = 1;  // the timer block's version
    ASSERT_TRUE(datagen::WriteBytes(m_dir.HostPath("t1.dat"), bytes));
    gcTestLogCapture log;
    EXPECT_EQ(cBase::Load("/t1.dat", &m_pool, gcTimer::GetStaticType()), nullptr);
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "gcTimer: version not accepted"), 1);
}

}  // namespace
