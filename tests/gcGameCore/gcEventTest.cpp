#include "gcGameCore/gcEvent.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/gcScriptText.h"
#include "gcScriptTestObjects.h"

namespace {

class gcEventTest : public testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }

    template <class T, class... Args>
    T* Make(Args&&... args)
    {
        return m_pool.New<T>(std::forward<Args>(args)...);
    }
    gcEvent* LoadEvent(const char* name)
    {
        return static_cast<gcEvent*>(cBase::Load(gcTestDataDir::ConsolePath(name).c_str(), &m_pool,
                                                 gcEvent::GetStaticType()));
    }

    cMemPool m_pool{"gcEventTest", 0x20000, false};
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
    EXPECT_EQ(gcEvent::s_pCurEvent, nullptr);
}

TEST_F(gcEventTest, ReturnStopsTheEventAndItsValueIsTheResult)
{
    struct Row {
        const char* name;
        bool bWithValue;
        float expected;
    };
    const Row rows[] = {{"with value", true, 2.5f}, {"without value keeps RetVal", false, 0.0f}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestLog().clear();
        gcEvent event("OnTest", "Owner");
        gcValue* pValue = row.bWithValue ? Make<gcValTestNumber>(2.5f) : nullptr;
        FillEvent(event, Make<gcDoTestRecord>(1), Make<gcDoTestReturn>(pValue), Make<gcDoTestRecord>(2));
        gcEventStackData frame;
        EXPECT_EQ(event.Apply(gcEventParams(), frame), row.expected);
        EXPECT_EQ(TestLogTags(), std::vector<int32_t>{1});
        EXPECT_EQ(frame.fRetVal, row.expected);
        EXPECT_EQ(frame.nFlags & gcEventStackData::kReturn, gcEventStackData::kReturn);
    }
}

TEST_F(gcEventTest, StaleReturnFlagOfTheCallerIsClearedBeforeTheFirstAction)
{
    gcEvent event("OnTest", "Owner");
    FillEvent(event, Make<gcDoTestRecord>(1));
    gcEventStackData frame;
    frame.nFlags = gcEventStackData::kReturn | 0x10;
    event.Apply(gcEventParams(), frame);
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{1});
    EXPECT_EQ(frame.nFlags, 0x10u);  // other bits stay
}

// An action that applies an inner event with its own parameters and frame,
// recording the globals before and after.
class gcNestingAction : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        m_pOuterEvent = gcEvent::s_pCurEvent;
        m_pOuterParams = gcEvent::s_pCurEventParams;
        m_pOuterFrame = gcEvent::s_pCurEventStackData;
        const gcEventParams innerParams(nullptr, nullptr, nullptr, nullptr, nullptr);
        gcEventStackData innerFrame(9.0f, 8.0f);
        m_fInner = m_pInner->Apply(innerParams, innerFrame);
        m_bRestored = gcEvent::s_pCurEvent == m_pOuterEvent && gcEvent::s_pCurEventParams == m_pOuterParams &&
                      gcEvent::s_pCurEventStackData == m_pOuterFrame && gcAction::s_pCurAction == this;
    }
    const gcEvent* m_pInner = nullptr;
    mutable const gcEvent* m_pOuterEvent = nullptr;
    mutable const gcEventParams* m_pOuterParams = nullptr;
    mutable gcEventStackData* m_pOuterFrame = nullptr;
    mutable float m_fInner = 0.0f;
    mutable bool m_bRestored = false;
};

TEST_F(gcEventTest, NestedApplicationRestoresParametersFrameAndAction)
{
    gcEvent inner("OnInner", "Callee");
    FillEvent(inner, Make<gcDoTestRecord>(20), Make<gcDoTestReturn>(Make<gcValTestNumber>(4.0f)));
    gcEvent outer("OnOuter", "Caller");
    gcNestingAction* pNest = Make<gcNestingAction>();
    pNest->m_pInner = &inner;
    FillEvent(outer, Make<gcDoTestRecord>(10), pNest, Make<gcDoTestRecord>(11));

    const gcEventParams params(nullptr, nullptr, nullptr, nullptr, nullptr);
    gcEventStackData frame(1.0f, 2.0f);
    EXPECT_EQ(outer.Apply(params, frame), 0.0f);  // the inner return stops only the inner event
    EXPECT_EQ(TestLogTags(), (std::vector<int32_t>{10, 20, 11}));
    EXPECT_EQ(TestLog()[1].fParam1, 9.0f);  // the inner frame
    EXPECT_EQ(TestLog()[2].fParam1, 1.0f);  // the outer frame again
    EXPECT_EQ(pNest->m_fInner, 4.0f);
    EXPECT_EQ(pNest->m_pOuterEvent, &outer);
    EXPECT_EQ(pNest->m_pOuterParams, &params);
    EXPECT_EQ(pNest->m_pOuterFrame, &frame);
    EXPECT_TRUE(pNest->m_bRestored);
    EXPECT_EQ(gcEvent::s_pCurEvent, nullptr);
    EXPECT_EQ(gcEvent::s_pCurEventParams, nullptr);
    EXPECT_EQ(gcEvent::s_pCurEventStackData, nullptr);
    EXPECT_EQ(gcAction::s_pCurAction, nullptr);
}

// Applies its own event again: data whose events call each other forever.
class gcRecursingAction : public gcAction {
public:
    void DoAction(const gcEventParams& params) const override
    {
        ++m_nCalls;
        gcEvent::s_pCurEvent->Apply(params, gcEventStackData());
    }
    mutable int m_nCalls = 0;
};

TEST_F(gcEventTest, EndlessNestingIsRefusedAndLogged)
{
    gcTestLogCapture log;
    gcEvent event("OnLoop", "Owner");
    gcRecursingAction* pAction = Make<gcRecursingAction>();
    FillEvent(event, pAction);
    event.Apply(gcEventParams(), gcEventStackData());
    EXPECT_EQ(pAction->m_nCalls, gcEvent::kMaxNesting);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "Owner:OnLoop not applied"), 1);
    EXPECT_EQ(gcEvent::s_pCurEvent, nullptr);
}

TEST_F(gcEventTest, ConstFrameIsAppliedOnACopy)
{
    gcEvent event("OnTest", "Owner");
    FillEvent(event, Make<gcDoTestSetValue>(Make<gcValTestEventVar>(gcValTestEventVar::TEMP1), Make<gcValTestNumber>(3.0f)),
              Make<gcDoTestReturn>(Make<gcValTestEventVar>(gcValTestEventVar::TEMP1)));
    const gcEventStackData frame;
    EXPECT_EQ(event.Apply(gcEventParams(), frame), 3.0f);
    EXPECT_EQ(frame.fTemps[0], 0.0f);
}

TEST_F(gcEventTest, CopyIsDeepIntoThePoolOfTheNewEvent)
{
    gcEvent* pOriginal = Make<gcEvent>("OnCalled", "Original");
    FillEvent(*pOriginal, Make<gcDoTestRecord>(1), Make<gcDoTestReturn>(Make<gcValTestNumber>(6.0f)));
    cMemPool other("gcEventCopy", 0x1000, false);
    gcEvent* pCopy = static_cast<gcEvent*>(pOriginal->Copy(&other));
    ASSERT_NE(pCopy, nullptr);
    EXPECT_STREQ(pCopy->sName, "OnCalled");
    EXPECT_STREQ(pCopy->sOwnerName, "Original");
    gcEvent* pRenamed = m_pool.New<gcEvent>(*pOriginal, "Renamed");
    EXPECT_STREQ(pRenamed->sOwnerName, "Renamed");
    for (const gcEvent* p : {pCopy, pRenamed}) {
        ASSERT_NE(p->pAction, nullptr);
        ASSERT_NE(p->pAction->pNextAction, nullptr);
        EXPECT_NE(p->pAction, pOriginal->pAction);
        EXPECT_EQ(p->pAction->pNextAction->pNextAction, nullptr);
    }
    EXPECT_TRUE(other.Contains(pCopy->pAction));
    EXPECT_TRUE(other.Contains(static_cast<gcDoTestReturn*>(pCopy->pAction->pNextAction)->m_pValue));
    std::destroy_at(pOriginal);
    EXPECT_EQ(pCopy->Apply(gcEventParams(), gcEventStackData()), 6.0f);
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{1});
}

TEST_F(gcEventTest, WrittenBlockReadsBackAndWritesTheSameBytes)
{
    gcEvent event("OnTest", "Owner");
    FillEvent(event, Make<gcDoTestRecord>(5),
              Make<gcDoTestSetValue>(Make<gcValTestEventVar>(gcValTestEventVar::PARAM2),
                                   Make<gcValTestAdd>(Make<gcValTestNumber>(1.0f), Make<gcValTestNumber>(2.0f))),
              Make<gcDoTestReturn>(nullptr));
    ASSERT_TRUE(datagen::WriteEventFile(m_dir.HostPath("ev.dat"), event));
    gcEvent* pRead = LoadEvent("ev.dat");
    ASSERT_NE(pRead, nullptr);
    ASSERT_TRUE(datagen::WriteEventFile(m_dir.HostPath("ev2.dat"), *pRead));
    EXPECT_EQ(ReadHostFile(m_dir.HostPath("ev.dat")), ReadHostFile(m_dir.HostPath("ev2.dat")));
    gcEventStackData frame;
    pRead->Apply(gcEventParams(), frame);
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{5});
    EXPECT_EQ(frame.fInValues[1], 3.0f);
}

TEST_F(gcEventTest, EmptyEventIsTheEndMarkerAlone)
{
    gcEvent event;
    ASSERT_TRUE(datagen::WriteEventFile(m_dir.HostPath("empty.dat"), event));
    const std::vector<uint8_t> bytes = ReadHostFile(m_dir.HostPath("empty.dat"));
    // Header, top block (12) with id 83, event block (12) with the base block (16) and -1, end markers, trailer.
    ASSERT_EQ(bytes.size(), 8u + 12 + 4 + 12 + 16 + 4 + 4 + 4 + 4);
    EXPECT_EQ(bytes[8 + 12 + 3], 83);
    EXPECT_EQ(bytes[8 + 16 + 11], 3);  // version 3
    EXPECT_EQ(bytes[8 + 16 + 12 + 16], 0xFF);
}

TEST_F(gcEventTest, VersionTwoIsRejectedWithTheFileAtTheBlockEnd)
{
    datagen::BlockWriter w;
    w.Header().Begin(2).Begin(1).End().Int(kTestRecordId).Begin(1).Begin(3).Begin(1).End().End().Int(1).End()
        .Int(-1).End().Word(0xC0DEC0DE).Trailer();
    ASSERT_TRUE(w.Save(m_dir.HostPath("v2.dat")));
    gcEvent event("OnTest", "Owner");
    gcDoTestRecord* pKept = Make<gcDoTestRecord>(7);
    FillEvent(event, pKept);
    cFile file;
    ASSERT_TRUE(file.Open("/v2.dat"));
    EXPECT_FALSE(event.Read(file, &m_pool));
    uint8_t after[4] = {};
    file.Read(after, 4);
    EXPECT_EQ(after[0], 0xC0);
    EXPECT_EQ(after[3], 0xDE);
    file.Close();
    EXPECT_FALSE(file.Failed());
    EXPECT_EQ(event.pAction, pKept);
}

TEST_F(gcEventTest, MembersThatAreNoActionsAreSkipped)
{
    datagen::BlockWriter w;
    w.Header().Begin(3).Begin(1).End();
    w.Int(kTestNumberId).Begin(1).Begin(1).Begin(1).End().End().Float(1.0f).End();  // a value, not an action
    w.Int(299).Begin(1).Int(5).End();                                                // an unknown type
    w.Int(kTestRecordId).Begin(1).Begin(3).Begin(1).End().End().Int(42).End();
    w.Int(-1).End().Trailer();
    ASSERT_TRUE(w.Save(m_dir.HostPath("mixed.dat")));
    gcTestLogCapture log;
    gcEvent event;
    cFile file;
    ASSERT_TRUE(file.Open("/mixed.dat"));
    EXPECT_TRUE(event.Read(file, &m_pool));
    file.Close();
    EXPECT_FALSE(file.Failed());
    ASSERT_NE(event.pAction, nullptr);
    EXPECT_EQ(static_cast<gcDoTestRecord*>(event.pAction)->m_nTag, 42);
    EXPECT_EQ(event.pAction->pNextAction, nullptr);
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "is no action class"), 2);
}

TEST_F(gcEventTest, TruncatedFileFailsAndKeepsTheOldActions)
{
    gcEvent event("OnTest", "Owner");
    FillEvent(event, Make<gcDoTestRecord>(1), Make<gcDoTestReturn>(Make<gcValTestNumber>(2.0f)));
    ASSERT_TRUE(datagen::WriteEventFile(m_dir.HostPath("full.dat"), event));
    const std::vector<uint8_t> bytes = ReadHostFile(m_dir.HostPath("full.dat"));
    gcTestLogCapture quiet;
    for (size_t n = 8; n + 8 < bytes.size(); ++n) {  // short of the event block's end marker
        SCOPED_TRACE(n);
        ASSERT_TRUE(datagen::WriteBytes(m_dir.HostPath("cut.dat"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + n)));
        gcEvent target;
        gcDoTestRecord* pOld = Make<gcDoTestRecord>(99);
        FillEvent(target, pOld);
        cFile file;
        ASSERT_TRUE(file.Open("/cut.dat"));
        // The event's block starts after the top-level block's header and type id.
        file.SetCurrentPos(8 + 12 + 4);
        EXPECT_FALSE(target.Read(file, &m_pool));
        file.Close();
        EXPECT_EQ(target.pAction, pOld);
        EXPECT_EQ(pOld->pNextAction, nullptr);
    }
}

TEST_F(gcEventTest, TextFormsFollowTheFlags)
{
    struct Row {
        const char* name;
        const gcAction* pAction;
        const char* expected;
    };
    const Row rows[] = {
        {"no children at all", Make<gcDoTestRecord>(1), "TestRecord"},
        {"children all missing", Make<gcDoTestReturn>(nullptr), "TestReturn( )"},
        {"function form with an infix child", Make<gcDoTestReturn>(Make<gcValTestAdd>(Make<gcValTestNumber>(1.5f), Make<gcValTestNumber>(2.0f))),
         "TestReturn( ( 1.5 + 2 ) )"},
        {"infix with a missing first child", Make<gcDoTestReturn>(Make<gcValTestAdd>(nullptr, Make<gcValTestNumber>(3.0f))),
         "TestReturn( (  + 3 ) )"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char text[gcScriptText::kSize] = "";
        row.pAction->GetTextRecursive(text);
        EXPECT_STREQ(text, row.expected);
    }
    char value[gcScriptText::kSize] = "x=";
    gcValTestEventVar var(gcValTestEventVar::TEMP1);
    var.GetText(value);
    EXPECT_STREQ(value, "x=TestEventVar");  // the friendly name less "Val"
}

TEST_F(gcEventTest, TextIsCutAtTheBufferSize)
{
    char text[gcScriptText::kSize] = "";
    const std::string chunk(300, 'a');
    for (int i = 0; i < 5; ++i)
        gcScriptText::Append(text, chunk.c_str());
    EXPECT_EQ(std::strlen(text), gcScriptText::kSize - 1);
}

bool TestLocation(int* pAct, int* pMap, int* pRegion)
{
    *pAct = 0;
    *pMap = 2;
    *pRegion = -1;
    return true;
}

// Writes the report while it runs.
class gcReportAction : public gcAction {
public:
    void DoAction(const gcEventParams&) const override { gcEvent::InterceptMsg("Trouble", m_sReport, nullptr); }
    mutable char m_sReport[gcEvent::kReportSize];
};

TEST_F(gcEventTest, InterceptMsgReportsTheRunningScript)
{
    const gcEvent::LocationFunc previous = gcEvent::SetLocationFunc(&TestLocation);
    gcTestActor initiator;
    initiator.m_name.Set("Guard");
    gcEvent event("OnHit", "Guard");
    gcReportAction* pReport = Make<gcReportAction>();
    FillEvent(event, pReport);
    gcEventStackData frame(1.0f, 0.5f);
    frame.fTemps[1] = -2.0f;
    event.Apply(gcEventParams(&initiator, nullptr, nullptr, nullptr, nullptr), frame);
    gcEvent::SetLocationFunc(previous);
    const std::string expected = std::string("Trouble\r\n--------------------\r\n") +
                                 "Event: [ Guard:OnHit ]\r\n"
                                 "Action: [ tion: tion ]\r\n"  // a class without its own type record shows gcAction's name
                                 "Initiator: Guard <gcTestActor>\r\n"
                                 "Participant1: <none> <<none>>\r\n"
                                 "Participant2: <none> <<none>>\r\n"
                                 "Param1: 1.000000\r\nParam2: 0.500000\r\n"
                                 "Temp1: 0.000000\r\nTemp2: -2.000000\r\n"
                                 "RetVal: 0.000000\r\n"
                                 "Act: 1/Map: 3/Region: -1";
    EXPECT_EQ(std::string(pReport->m_sReport), expected);
}

}  // namespace
