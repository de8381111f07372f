#include "gcGameCore/script/gcEvent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcScriptTestObjects.h"

namespace {

using Tags = std::vector<int32_t>;

class gcEventTest : public testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }
    cMemPool m_pool{"gcEventTest", 0x20000, false};
    gcTestBuilder b{m_pool};
    gcTestDataDir m_dir;
};

TEST_F(gcEventTest, EventWithoutActionsReturnsZeroAndLeavesTheFrame)
{
    gcEvent event("OnNothing", "Owner");
    gcEventStackData frame(1.0f, 2.0f);
    frame.fRetVal = 7.0f;
    frame.nFlags = gcEventStackData::kReturn;
    EXPECT_EQ(event.Apply(gcEventParams(), frame), 0.0f);
    EXPECT_EQ(frame.fRetVal, 7.0f);
    EXPECT_EQ(frame.nFlags, gcEventStackData::kReturn);
}

TEST_F(gcEventTest, ReturnStopsTheEventAndSetsRetValWhenItHasAValue)
{
    for (const bool bValue : {true, false}) {
        SCOPED_TRACE(bValue);
        TestLog().clear();
        gcEvent event("OnTest", "Owner");
        FillEvent(event, b.Record(1), b.Return(bValue ? b.Num(2.5f) : nullptr), b.Record(2));
        gcEventStackData frame;
        frame.fRetVal = 1.0f;
        frame.nFlags = gcEventStackData::kReturn | 0x10;  // a stale stop bit is cleared first
        EXPECT_EQ(event.Apply(gcEventParams(), frame), bValue ? 2.5f : 1.0f);
        EXPECT_EQ(TestLogTags(), Tags{1});
        EXPECT_EQ(frame.nFlags, gcEventStackData::kReturn | 0x10);
    }
}

class gcNestingAction : public gcAction {
public:
    void DoAction(const gcEventParams& params) const override
    {
        const gcEvent* pEvent = gcEvent::s_pCurEvent;
        gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
        gcEventStackData innerFrame(9.0f, 8.0f);
        m_fInner = m_pInner->Apply(gcEventParams(), innerFrame);
        m_bRestored = gcEvent::s_pCurEvent == pEvent && gcEvent::s_pCurEventParams == &params &&
                      gcEvent::s_pCurEventStackData == pFrame && gcAction::s_pCurAction == this;
    }
    const gcEvent* m_pInner = nullptr;
    mutable float m_fInner = 0.0f;
    mutable bool m_bRestored = false;
};

TEST_F(gcEventTest, NestedApplicationRestoresParametersFrameAndAction)
{
    gcEvent inner("OnInner", "Callee");
    FillEvent(inner, b.Record(20), b.Return(b.Num(4.0f)));
    gcEvent outer("OnOuter", "Caller");
    gcNestingAction* pNest = m_pool.New<gcNestingAction>();
    pNest->m_pInner = &inner;
    FillEvent(outer, b.Record(10), pNest, b.Record(11));
    gcEventStackData frame(1.0f, 2.0f);
    EXPECT_EQ(outer.Apply(gcEventParams(), frame), 0.0f);  // the inner return stops only the inner event
    EXPECT_EQ(TestLogTags(), (Tags{10, 20, 11}));
    EXPECT_EQ(TestLog()[1].fParam1, 9.0f);
    EXPECT_EQ(TestLog()[2].fParam1, 1.0f);
    EXPECT_EQ(pNest->m_fInner, 4.0f);
    EXPECT_TRUE(pNest->m_bRestored);
    EXPECT_EQ(gcEvent::s_pCurEvent, nullptr);
    EXPECT_EQ(gcEvent::s_pCurEventParams, nullptr);
    EXPECT_EQ(gcEvent::s_pCurEventStackData, nullptr);
    EXPECT_EQ(gcAction::s_pCurAction, nullptr);
}

TEST_F(gcEventTest, SelfApplyingEventStopsAtTheNestingLimit)
{
    gcTestLogCapture log;
    gcEvent event("OnSelf", "Owner");
    gcNestingAction* pNest = m_pool.New<gcNestingAction>();
    pNest->m_pInner = &event;
    FillEvent(event, b.Record(1), pNest);
    gcEventStackData frame;
    event.Apply(gcEventParams(), frame);
    EXPECT_EQ(TestLog().size(), 64u);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "nested 64 deep"), 1);
    TestLog().clear();
    event.Apply(gcEventParams(), frame);  // the depth was unwound: as deep again
    EXPECT_EQ(TestLog().size(), 64u);
}

TEST_F(gcEventTest, CopyIsDeepIntoThePoolOfTheNewEvent)
{
    gcEvent* pOriginal = m_pool.New<gcEvent>("OnCalled", "Original");
    FillEvent(*pOriginal, b.Record(1), b.Return(b.Num(6.0f)));
    cMemPool other("gcEventCopy", 0x1000, false);
    gcEvent* pCopy = static_cast<gcEvent*>(pOriginal->Copy(&other));
    ASSERT_NE(pCopy, nullptr);
    EXPECT_STREQ(pCopy->sOwnerName, "Original");
    EXPECT_STREQ(m_pool.New<gcEvent>(*pOriginal, "Renamed")->sOwnerName, "Renamed");
    EXPECT_TRUE(other.Contains(pCopy->pAction));
    EXPECT_TRUE(other.Contains(static_cast<gcDoTestStep*>(pCopy->pAction->pNextAction)->m_pValue));
    std::destroy_at(pOriginal);
    EXPECT_EQ(pCopy->Apply(gcEventParams(), gcEventStackData()), 6.0f);
    EXPECT_EQ(TestLogTags(), Tags{1});
}

TEST_F(gcEventTest, FileRoundTripWritesTheSameBytes)
{
    gcEvent event("OnTest", "Owner");
    FillEvent(event, b.Record(5), b.Step(gcDoTestStep::SET, gcValTest::PARAM2, 0, b.Add(b.Num(1.0f), b.Num(2.0f))),
              b.Return());
    ASSERT_TRUE(datagen::WriteEventFile(m_dir.HostPath("ev.dat"), event));
    auto* pRead = static_cast<gcEvent*>(cBase::Load("/ev.dat", &m_pool, gcEvent::GetStaticType()));
    ASSERT_NE(pRead, nullptr);
    ASSERT_TRUE(datagen::WriteEventFile(m_dir.HostPath("ev2.dat"), *pRead));
    EXPECT_EQ(ReadHostFile(m_dir.HostPath("ev.dat")), ReadHostFile(m_dir.HostPath("ev2.dat")));
    gcEventStackData frame;
    pRead->Apply(gcEventParams(), frame);
    EXPECT_EQ(TestLogTags(), Tags{5});
    EXPECT_EQ(frame.fInValues[1], 3.0f);
}

TEST_F(gcEventTest, VersionTwoIsRejectedAndOtherMembersAreSkipped)
{
    auto step = [](datagen::BlockWriter& w, int32_t tag) {  // a RECORD step as stored
        w.Int(kTestStepId).Begin(1).Begin(3).Begin(1).End().End().Int(0).Int(tag).Int(0).Int(-1).End();
    };
    struct Row {
        const char* name;
        uint32_t version;
        bool bRead;
        int warnings;
    };
    const Row rows[] = {{"version 3", 3, true, 2}, {"version 2", 2, false, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        datagen::BlockWriter w;
        w.Header().Begin(row.version).Begin(1).End();
        w.Int(kTestValueId).Begin(1).Begin(1).Begin(1).Begin(1).End().End().End().Int(0).Float(1).Int(-1).Int(-1).End();
        w.Int(299).Begin(1).Int(5).End();  // not registered
        step(w, 42);
        w.Int(-1).End().Word(0xC0DEC0DE).Trailer();
        ASSERT_TRUE(w.Save(m_dir.HostPath("e.dat")));
        gcTestLogCapture log;
        gcEvent event;
        gcDoTestStep* pOld = b.Record(7);
        FillEvent(event, pOld);
        cFile file;
        ASSERT_TRUE(file.Open("/e.dat"));
        EXPECT_EQ(event.Read(file, &m_pool), row.bRead);
        uint8_t after[4] = {};
        file.Read(after, 4);
        EXPECT_EQ(after[0], 0xC0);  // the block was consumed exactly
        file.Close();
        EXPECT_FALSE(file.Failed());
        ASSERT_NE(event.pAction, nullptr);
        EXPECT_EQ(static_cast<gcDoTestStep*>(event.pAction)->m_nA, row.bRead ? 42 : 7);
        EXPECT_EQ(event.pAction->pNextAction, nullptr);
        EXPECT_EQ(log.m_lines.size(), static_cast<size_t>(row.warnings));
    }
}

TEST_F(gcEventTest, TruncatedFileFailsAndKeepsTheOldActions)
{
    gcEvent event("OnTest", "Owner");
    FillEvent(event, b.Record(1), b.Return(b.Num(2.0f)));
    ASSERT_TRUE(datagen::WriteEventFile(m_dir.HostPath("full.dat"), event));
    const std::vector<uint8_t> bytes = ReadHostFile(m_dir.HostPath("full.dat"));
    gcTestLogCapture quiet;
    for (size_t n = 8; n + 8 < bytes.size(); ++n) {  // short of the event block's end marker
        SCOPED_TRACE(n);
        ASSERT_TRUE(datagen::WriteBytes(m_dir.HostPath("cut.dat"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + n)));
        gcEvent target;
        gcDoTestStep* pOld = b.Record(99);
        FillEvent(target, pOld);
        cFile file;
        ASSERT_TRUE(file.Open("/cut.dat"));
        file.SetCurrentPos(8 + 12 + 4);  // after the top-level block's header and type id
        EXPECT_FALSE(target.Read(file, &m_pool));
        file.Close();
        EXPECT_EQ(target.pAction, pOld);
        EXPECT_EQ(pOld->pNextAction, nullptr);
    }
}

TEST_F(gcEventTest, TextFormsFollowTheFlags)
{
    struct Row {
        const cBase* pNode;
        const char* expected;
    };
    const Row rows[] = {
        {b.Record(1), "TestStep"},    // no children: the name only
        {b.Return(), "TestStep( )"},  // function form, the child missing
        {b.Return(b.Add(b.Num(1.5f), b.Num(2.0f))), "TestStep( ( 1.5 + 2 ) )"},
        {b.Add(nullptr, b.Var(gcValTest::TEMP1)), "(  + Test )"},  // infix: the own text follows index 0
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        char text[gcScriptText::kSize] = "";
        if (const gcAction* pAction = dcast<const gcAction>(row.pNode))
            pAction->GetTextRecursive(text);
        else
            static_cast<const gcValue*>(row.pNode)->GetTextRecursive(text);
        EXPECT_STREQ(text, row.expected);
    }
}

class gcReportAction : public gcAction {
public:
    void DoAction(const gcEventParams&) const override { gcEvent::InterceptMsg("Trouble", m_sReport, nullptr); }
    mutable char m_sReport[gcEvent::kReportSize];
};

TEST_F(gcEventTest, InterceptMsgOutsideAnEventStaysWithinItsBuffer)
{
    const auto previous = gcEvent::SetLocationFunc([](int* pAct, int* pMap, int* pRegion) {
        *pAct = 1, *pMap = 0, *pRegion = 0;
        return true;
    });
    std::vector<char> buf(gcEvent::kReportSize + 64, '\xAA');
    gcEvent::InterceptMsg(nullptr, buf.data(), nullptr);
    const std::string report(buf.data());
    EXPECT_TRUE(report.starts_with("Initiator: <none> <<none>>\r\n")) << report;
    EXPECT_TRUE(report.ends_with("RetVal: 0.000000\r\nAct: 2/Map: 1/Region: 1")) << report;
    const std::string title(3000, 't');
    gcEvent::InterceptMsg(title.c_str(), buf.data(), nullptr);
    gcEvent::SetLocationFunc(previous);
    EXPECT_EQ(std::strlen(buf.data()), gcEvent::kReportSize - 1);
    EXPECT_EQ(std::count(buf.begin() + gcEvent::kReportSize, buf.end(), '\xAA'), 64);
}

TEST_F(gcEventTest, InterceptMsgReportsTheRunningScript)
{
    const auto previous = gcEvent::SetLocationFunc([](int* pAct, int* pMap, int* pRegion) {
        *pAct = 0, *pMap = 2, *pRegion = -1;
        return true;
    });
    gcTestActor initiator;
    initiator.m_name.Set("Guard");
    gcEvent event("OnHit", "Guard");
    gcReportAction* pReport = m_pool.New<gcReportAction>();
    FillEvent(event, pReport);
    gcEventStackData frame(1.0f, 0.5f);
    frame.fTemps[1] = -2.0f;
    event.Apply(gcEventParams(&initiator, nullptr, nullptr, nullptr, nullptr), frame);
    gcEvent::SetLocationFunc(previous);
    EXPECT_STREQ(pReport->m_sReport,
                 "Trouble\r\n--------------------\r\nEvent: [ Guard:OnHit ]\r\nAction: [ tion: tion ]\r\n"
                 "Initiator: Guard <gcTestActor>\r\nParticipant1: <none> <<none>>\r\n"
                 "Participant2: <none> <<none>>\r\nParam1: 1.000000\r\nParam2: 0.500000\r\nTemp1: 0.000000\r\n"
                 "Temp2: -2.000000\r\nRetVal: 0.000000\r\nAct: 1/Map: 3/Region: -1");
}

}  // namespace
