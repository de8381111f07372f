#include "gcGameCore/script/gcTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcTimer.h"
#include "eEngine/modelTestSupport.h"
#include "gcScriptTestObjects.h"

namespace {

using Tags = std::vector<int32_t>;
enum : int32_t { kStarted = 1, kUpdated = 2, kStopped = 3, kCompleted = 4 };

class gcTimerTest : public testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }
    void TearDown() override { gcTimerMgr::Add(9, nullptr, 0); }
    gcTimer* Timer(int32_t length, uint32_t flags, gcAction* completed = nullptr)
    {
        gcTimer* t = datagen::NewTimer(&m_pool, "Clock", length, flags);
        FillEvent(t->onStarted, b.Record(kStarted));
        FillEvent(t->onUpdated, b.Record(kUpdated));
        FillEvent(t->onStopped, b.Record(kStopped));
        FillEvent(t->onCompleted, b.Record(kCompleted));
        t->onCompleted.pAction->pNextAction = completed;
        return t;
    }
    static void Tick(gcTimer* t, int ticks = 20) { t->Send(gcMsgTick(cTimeValue(ticks))); }

    cMemPool m_pool{"gcTimerTest", 0x20000, false};
    gcTestBuilder b{m_pool};
};

TEST_F(gcTimerTest, StartRestartAndStopFireTheirEvents)
{
    gcTimer* t = Timer(60, 0);
    EXPECT_EQ(t->m_nCurState, gcTimer::STATE_STOPPED);
    EXPECT_EQ(gcTimer().m_length.m_nTicks, 600);
    EXPECT_EQ(t->Send(gcMsgActivate()), 1);
    EXPECT_EQ(t->m_nFlags, gcTimer::kRunning);
    Tick(t);
    ASSERT_EQ(TestLogTags(), (Tags{kStarted, kUpdated}));
    EXPECT_EQ(TestLog()[0].pInitiator, t);
    EXPECT_EQ(TestLog()[1].fParam1, 20 * cTimeValue::SECONDS_PER_TICK);  // elapsed seconds
    EXPECT_EQ(TestLog()[1].fParam2, 60 * cTimeValue::SECONDS_PER_TICK);  // the length in seconds
    EXPECT_EQ(t->Send(gcMsgFreeze()), 0);  // a running timer takes no message it has no use for
    t->Send(gcMsgActivate());  // a running timer restarts from zero
    EXPECT_EQ(m_pool.New<gcTimer>()->Send(gcMsgDeactivate()), 0);  // a stopped one takes nothing
    t->Send(gcMsgDeactivate());
    t->Send(gcMsgDeactivate());
    Tick(t);
    EXPECT_EQ(TestLogTags(), (Tags{kStarted, kUpdated, kStopped, kStarted, kStopped}));
    EXPECT_EQ(t->m_nFlags, 0u);
    EXPECT_EQ(t->m_nextUpdate.m_nTicks, 0);
}

TEST_F(gcTimerTest, OneFrameRunCompletesBeforeItsTickAndRepeatsOnlyWhenAsked)
{
    struct Row {
        const char* name;
        uint32_t flags;
        bool bReturnOne;
        Tags expected;
    };
    const Row rows[] = {
        {"once", 0, false, {kCompleted, kStopped}},
        {"repeat flag", gcTimer::kRepeat, false, {kCompleted, kStopped, kStarted, kUpdated}},
        {"OnCompleted returns 1", 0, true, {kCompleted, kStopped, kStarted, kUpdated}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gcTimer* t = Timer(20, row.flags, row.bReturnOne ? b.Return(b.Num(1.0f)) : nullptr);
        t->Send(gcMsgActivate());
        TestLog().clear();
        Tick(t);
        EXPECT_EQ(TestLogTags(), row.expected);
        EXPECT_EQ(t->m_nCurState, row.expected.size() > 2 ? gcTimer::STATE_ENABLED : gcTimer::STATE_STOPPED);
        EXPECT_EQ(t->m_nextUpdate.m_nTicks, row.expected.size() > 2 ? 20 : 0);  // stopped: not counting
        EXPECT_EQ(TestLog()[0].fParam1, 0.0f);
        EXPECT_EQ(TestLog().back().fParam1, 0.0f);  // after a repeat: the new run's elapsed time
    }
}

TEST_F(gcTimerTest, Param2OfOnCompletedSetsTheNextLength)
{
    struct Row {
        float fSeconds;
        int32_t ticks;
        int warnings;
    };
    const Row rows[] = {{2.5f, 1500, 0}, {1e12f, INT32_MAX, 0}, {std::nanf(""), 0, 1}, {-0.5f, -300, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fSeconds);
        gcTestLogCapture log;
        gcTimer* t = Timer(60, gcTimer::kRepeat, b.Set(gcValTest::PARAM2, row.fSeconds));
        t->Send(gcMsgActivate());
        Tick(t, 60);
        EXPECT_EQ(t->m_length.m_nTicks, row.ticks);
        EXPECT_EQ(t->m_nextUpdate.m_nTicks, row.ticks);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "will not complete again"), row.warnings);
    }
}

TEST_F(gcTimerTest, RepeatingLengthStaysExactOverAThousandRuns)
{
    for (const int32_t length : {1, 20, 49, 63, 177, 599, 600, 601, 12345, 1000003}) {  // 49, 63, 177 drift by division
        SCOPED_TRACE(length);
        gcTimer* t = Timer(length, gcTimer::kRepeat);
        t->Send(gcMsgActivate());
        TestLog().clear();
        for (int run = 0; run < 1000; ++run)
            Tick(t, t->m_nextUpdate.m_nTicks);
        const Tags tags = TestLogTags();
        EXPECT_EQ(std::count(tags.begin(), tags.end(), kCompleted), 1000);
        EXPECT_EQ(t->m_length.m_nTicks, length);
    }
}

TEST_F(gcTimerTest, RestartsFromScriptsWinOverCompletionAndEndlessOnesAreBounded)
{
    gcTimer* t = Timer(60, 0, b.Step(gcDoTestStep::TIMER, 0x09090009));
    gcTimerMgr::Add(9, t, 0x0909);
    t->Send(gcMsgActivate());
    TestLog().clear();
    Tick(t, 60);  // OnCompleted restarts it: neither stopped nor repeated by the completion
    EXPECT_EQ(TestLogTags(), (Tags{kCompleted, kStopped, kStarted, kUpdated}));
    t->m_length = cTimeValue(1);  // restarted with a single tick to go
    t->Send(gcMsgActivate());
    Tick(t, 1);
    EXPECT_EQ(t->m_nCurState, gcTimer::STATE_ENABLED);
    EXPECT_EQ(t->m_nextUpdate.m_nTicks, 1);

    gcTestLogCapture log;
    t->onStarted.pAction->pNextAction = b.Step(gcDoTestStep::TIMER, 0x09090009);
    t->Send(gcMsgActivate());
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "Clock:OnStarted not applied: events nested 64 deep"), 1);
    EXPECT_EQ(t->m_nCurState, gcTimer::STATE_ENABLED);
    EXPECT_EQ(t->m_nGameObjectFlags, 0);
}

TEST_F(gcTimerTest, GroupRoundTripKeepsFlagsLengthAndEventsAndRefusesVersionOne)
{
    gcTestDataDir dir;
    gcTimer* t = Timer(60, gcTimer::kRepeat | 0x80000000);  // unknown bits survive
    ASSERT_TRUE(datagen::WriteTimerGroupFile(dir.HostPath("t.grp"), 2, {{nullptr, 0}, {t, 0xABCD}}));
    cBase* pGroup = cBase::Load("/t.grp", &m_pool, gcTimerGroup::GetStaticType());
    ASSERT_NE(pGroup, nullptr);
    gcTimer* pRead = gcTimerMgr::GetPtr(gcTimerHandle(0xABCD0003));
    ASSERT_NE(pRead, nullptr);
    EXPECT_EQ(pRead->m_nFlags, gcTimer::kRepeat | 0x80000000);
    EXPECT_EQ(pRead->m_length.m_nTicks, 60);
    EXPECT_STREQ(pRead->onStopped.sOwnerName, "Clock");
    ASSERT_TRUE(datagen::WriteTimerGroupFile(dir.HostPath("t2.grp"), 2, {{nullptr, 0}, {pRead, 0xABCD}}));
    EXPECT_EQ(ReadHostFile(dir.HostPath("t.grp")), ReadHostFile(dir.HostPath("t2.grp")));
    std::destroy_at(pGroup);

    ASSERT_TRUE(datagen::WriteObjectFile(dir.HostPath("t.dat"), *t));
    std::vector<uint8_t> bytes = ReadHostFile(dir.HostPath("t.dat"));
    gcTimer kept;
    int nRefused = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {  // a refused read leaves the timer as it was
        std::vector<uint8_t> flipped = bytes;
        flipped[i] ^= 0xFF;
        ASSERT_TRUE(datagen::WriteBytes(dir.HostPath("bad.dat"), flipped));
        kept.m_name.Set("Keep");
        if (ReadObjectFile("bad.dat", &kept, &m_pool))
            continue;
        ++nRefused;
        ASSERT_STREQ(kept.m_name.m_sData, "Keep") << i;
    }
    EXPECT_GT(nRefused, 0);
    for (const int32_t length : {1, 0}) {
        gcTestLogCapture log;
        t->m_length = cTimeValue(length);
        ASSERT_TRUE(datagen::WriteObjectFile(dir.HostPath("l.dat"), *t));
        ASSERT_TRUE(ReadObjectFile("l.dat", &kept, &m_pool));
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "once started it never completes"), length == 0) << length;
    }
    bytes[8 + 16 + 11] = 1;  // the timer block's version
    ASSERT_TRUE(datagen::WriteBytes(dir.HostPath("t.dat"), bytes));
    gcTestLogCapture log;
    EXPECT_EQ(cBase::Load("/t.dat", &m_pool, gcTimer::GetStaticType()), nullptr);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcTimer: version not accepted"), 1);
}

}  // namespace
