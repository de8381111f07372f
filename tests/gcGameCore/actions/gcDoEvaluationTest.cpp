#include "gcGameCore/actions/gcDoEvaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <memory>

#include "actionTestSupport.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "gcGameCore/actions/gcDoSetValue.h"
#include "gcGameCore/values/gcValBinaryOp.h"
#include "gcGameCore/values/gcValEventVar.h"
#include "gcGameCore/values/gcValNumber.h"
#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"

namespace {

using Tags = std::vector<int32_t>;
using Ids = std::vector<uint32_t>;

class gcDoEvaluationTest : public testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }
    cMemPool m_pool{"gcDoEvaluationTest", 0x40000, false};
    gcTestBuilder b{m_pool};
    gcTestDataDir m_dir;
};

TEST_F(gcDoEvaluationTest, OnlyExactlyZeroSelectsTheFalseList)
{
    const struct {
        const char* name;
        float fCondition;
        Tags tags;
    } rows[] = {
        {"zero", 0.0f, {2}},
        {"negative zero compares equal", -0.0f, {2}},
        {"NaN is unequal to everything", std::numeric_limits<float>::quiet_NaN(), {1}},
        {"smallest denormal", std::numeric_limits<float>::denorm_min(), {1}},
        {"negative", -1.0f, {1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestLog().clear();
        gcEvent event("OnTest", "Owner");
        FillEvent(event, datagen::NewEvaluation(&m_pool, b.Num(row.fCondition), {b.Record(1)}, {b.Record(2)}));
        event.Apply(gcEventParams(), gcEventStackData());
        EXPECT_EQ(TestLogTags(), row.tags);
    }
}

TEST_F(gcDoEvaluationTest, WithoutAConditionOrAFalseListNothingRuns)
{
    gcEvent event("OnTest", "Owner");
    FillEvent(event, datagen::NewEvaluation(&m_pool, nullptr, {b.Record(1)}, {b.Record(2)}),
              datagen::NewEvaluation(&m_pool, b.Num(0.0f), {b.Record(3)}, {}), b.Record(4));
    event.Apply(gcEventParams(), gcEventStackData());
    EXPECT_EQ(TestLogTags(), Tags{4});
}

// Temp1 = Param1 + Param1; if Temp1 { Temp2 -= 5; if Param2 { record 1;
// return Temp1 + Temp2; record 2 } else { record 3 }; record 4 } else
// { record 5 }; record 6.
gcEvent* WriteAndLoadNestedEvent(cMemPool& pool, gcTestBuilder& b, const gcTestDataDir& dir)
{
    gcEvent event("OnNested", "Owner");
    datagen::AppendAction(event, datagen::NewSetValue(&pool, gcDoSetValue::OP_ASSIGN, b.Var(gcValTest::TEMP1),
                                                      b.Add(b.Var(gcValTest::PARAM1), b.Var(gcValTest::PARAM1))));
    gcAction* pInner = datagen::NewEvaluation(
        &pool, b.Var(gcValTest::PARAM2),
        {b.Record(1), datagen::NewReturn(&pool, b.Add(b.Var(gcValTest::TEMP1), b.Var(gcValTest::TEMP2))), b.Record(2)},
        {b.Record(3)});
    datagen::AppendAction(
        event, datagen::NewEvaluation(&pool, b.Var(gcValTest::TEMP1),
                                      {datagen::NewSetValue(&pool, gcDoSetValue::OP_ASSIGN_DEC, b.Var(gcValTest::TEMP2),
                                                            b.Num(5.0f)),
                                       pInner, b.Record(4)},
                                      {b.Record(5)}));
    datagen::AppendAction(event, b.Record(6));
    if (!datagen::WriteEventFile(dir.HostPath("nested.dat"), event))
        return nullptr;
    return static_cast<gcEvent*>(cBase::Load("/nested.dat", &pool, gcEvent::GetStaticType()));
}

TEST_F(gcDoEvaluationTest, WrittenEventWithNestedFlowControlRunsAsWrittenAndAsCopied)
{
    gcEvent* pLoaded = WriteAndLoadNestedEvent(m_pool, b, m_dir);
    ASSERT_NE(pLoaded, nullptr);
    gcEvent* pCopy = m_pool.New<gcEvent>(*pLoaded, "Copy");
    std::destroy_at(pLoaded);  // the copy shares nothing with it
    const struct {
        const char* name;
        float fParam1, fParam2;
        Tags tags;
        float fRetVal, fTemp1, fTemp2;
    } rows[] = {
        {"the return ends the inner list, the outer list and the event", 3.0f, 1.0f, {1}, 1.0f, 6.0f, -5.0f},
        {"inner false list, then the rest of both lists", 3.0f, 0.0f, {3, 4, 6}, 0.0f, 6.0f, -5.0f},
        {"outer false list", 0.0f, 1.0f, {5, 6}, 0.0f, 0.0f, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestLog().clear();
        gcEventStackData frame(row.fParam1, row.fParam2);
        EXPECT_EQ(pCopy->Apply(gcEventParams(), frame), row.fRetVal);
        EXPECT_EQ(TestLogTags(), row.tags);
        EXPECT_EQ(frame.fTemps[0], row.fTemp1);
        EXPECT_EQ(frame.fTemps[1], row.fTemp2);
    }
}

// An unknown id or a member of another kind in any list is a damaged file:
// the event is refused.
TEST_F(gcDoEvaluationTest, UnknownIdsAndMembersOfOtherKindsAreReadOverInEveryList)
{
    using Lists = void (*)(datagen::BlockWriter&);
    const Lists rows[] = {
        [](datagen::BlockWriter& w) { UnknownMember(w); },
        [](datagen::BlockWriter& w) {
            w.Int(86);
            datagen::ActionBlock(w, gcDoEvaluation::kVersion);
            ValTestMember(w, 1.0f);
            UnknownMember(w);
            RecordMember(w, 7).Int(-1).Int(-1);
            w.End();
        },
        [](datagen::BlockWriter& w) {
            w.Int(86);
            datagen::ActionBlock(w, gcDoEvaluation::kVersion);
            ValTestMember(w, 1.0f);
            RecordMember(w, 7).Int(-1);
            ValTestMember(w, 2.0f);  // a value where an action belongs
            w.Int(-1);
            w.End();
        },
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        m_pool.Reset();
        EXPECT_EQ(LoadHandLaidEvent(m_dir, m_pool, [&](datagen::BlockWriter& w) {
                      rows[i](w);
                      RecordMember(w, 9);
                  }),
                  nullptr);
    }
}

// Each flow-control class at each version: accepted ones are read, refused
// ones refuse the event as a damaged file.
TEST_F(gcDoEvaluationTest, EveryFlowControlClassReadsOnlyItsVersions)
{
    using Fields = void (*)(datagen::BlockWriter&, uint32_t);
    const Fields none = [](datagen::BlockWriter& w, uint32_t) { w.Int(-1); };
    const Fields evaluation = [](datagen::BlockWriter& w, uint32_t) { w.Int(-1).Int(-1).Int(-1); };
    const Fields setValue = [](datagen::BlockWriter& w, uint32_t v) {
        if (v >= 2)
            w.Int(gcDoSetValue::OP_ASSIGN_MUL);
        w.Int(-1).Int(-1);
    };
    const Fields log = [](datagen::BlockWriter& w, uint32_t v) {
        w.Int(0).Int(1);
        if (v >= 3)
            w.Int(0);
    };
    const struct {
        uint32_t nId;
        Fields fields;
        std::vector<uint32_t> accepted, refused;
    } rows[] = {
        {86, evaluation, {3}, {0, 1, 2, 4}},
        {148, none, {2}, {0, 1, 3}},
        {178, none, {1}, {0, 2}},
        {127, setValue, {1, 2}, {0, 3}},
        {192, log, {2, 3, 4}, {0, 1, 5}},
    };
    for (const auto& row : rows)
        for (const bool bAccepted : {true, false})
            for (const uint32_t version : bAccepted ? row.accepted : row.refused) {
                SCOPED_TRACE(testing::Message() << "type " << row.nId << " v" << version);
                m_pool.Reset();
                gcEvent* pEvent = LoadHandLaidEvent(m_dir, m_pool, [&](datagen::BlockWriter& w) {
                    w.Int(static_cast<int32_t>(row.nId));
                    datagen::ActionBlock(w, version);
                    row.fields(w, version);
                    w.End();
                    RecordMember(w, 1);
                });
                ASSERT_EQ(pEvent != nullptr, bAccepted);
                if (pEvent) {
                    EXPECT_EQ(TypeIds(pEvent->pAction), (Ids{row.nId, kTestStepId}));
                }
            }
}

TEST_F(gcDoEvaluationTest, LogTextIndentsEachNestedList)
{
    gcEvent event("OnTest", "Owner");
    gcAction* pInner = datagen::NewEvaluation(&m_pool, b.Num(1.0f), {}, {b.Record(1)});
    FillEvent(event, datagen::NewEvaluation(&m_pool, b.Num(1.0f), {pInner, b.Record(2)},
                                            {datagen::NewReturn(&m_pool, nullptr)}));
    gcTestLogCapture log;
    event.LogText();
    std::vector<std::string> lines;
    for (const auto& line : log.m_lines)
        lines.push_back(line.second);
    const std::vector<std::string> expected = {
        "Event [ Owner:OnTest ]", "if Test", "{", "\tif Test", "\t<none>", "\telse", "\t{", "\t\tTestStep", "\t}",
        "\tTestStep", "}", "else", "{", "\treturn", "}",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(gcAction::s_nLogRecurseDepth, 0);
}

// A pool of 4 KiB with only nRoom bytes left.
struct TightPool {
    explicit TightPool(size_t nRoom) { EXPECT_NE(pool.Alloc(pool.Capacity() - pool.BytesTaken() - nRoom, 1), nullptr); }
    cMemPool pool{"tight", 0x1000, false};
};

// Reads the action a file written by WriteObjectFile holds into pAction.
bool ReadInto(const char* path, gcAction* pAction, cMemPool* pPool)
{
    cFile file;
    if (!file.Open(path))
        return false;
    cReadBlock top(file, 1);
    top.ReadInt();  // the type id
    return pAction->Read(file, pPool);
}

// Tags an event holding only this action records.
Tags RunAlone(gcAction* pAction, gcEventStackData* pFrame = nullptr)
{
    gcEvent event("OnTest", "Owner");
    FillEvent(event, pAction);
    TestLog().clear();
    gcEventStackData frame;
    event.Apply(gcEventParams(), pFrame ? *pFrame : frame);
    event.pAction = nullptr;  // the caller owns the action
    return TestLogTags();
}

size_t ListLength(const gcAction* p)
{
    size_t n = 0;
    for (; p; p = p->pNextAction)
        ++n;
    return n;
}

// Into a pool with any amount of room left, an if-action's copy is whole
// (its condition and both lists' actions, and it runs as its original) or
// there is none: a branch never loses an action.
TEST_F(gcDoEvaluationTest, CopyIntoANearlyFullPoolIsWholeOrNothing)
{
    const struct {
        const char* why;
        bool bCondition;
        float fCondition;
        int nTrue, nFalse;
        Tags tags;
    } rows[] = {
        {"true", true, 1.0f, 3, 2, {1, 2, 3}},
        {"false", true, 0.0f, 3, 2, {11, 12}},
        {"no condition, only a true list", false, 0.0f, 3, 0, {}},
        {"no condition, only a false list", false, 0.0f, 0, 3, {}},
    };
    gcTestLogCapture quiet;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        std::vector<gcAction*> lists[2];
        for (int i = 0; i < row.nTrue; ++i)
            lists[0].push_back(b.Record(1 + i));
        for (int i = 0; i < row.nFalse; ++i)
            lists[1].push_back(b.Record(11 + i));
        auto* pIf = static_cast<gcDoEvaluation*>(
            datagen::NewEvaluation(&m_pool, row.bCondition ? b.Num(row.fCondition) : nullptr, lists[0], lists[1]));
        ASSERT_EQ(RunAlone(pIf), row.tags);
        int nWhole = 0, nNone = 0;
        for (size_t nRoom = 0; nRoom <= 1024; nRoom += 4) {
            TightPool tight(nRoom);
            auto* pCopy = static_cast<gcDoEvaluation*>(pIf->Copy(&tight.pool));
            if (!pCopy) {
                ++nNone;
                continue;
            }
            ++nWhole;
            EXPECT_EQ(ListLength(pCopy->pTrueAction), lists[0].size()) << nRoom << " bytes of room";
            EXPECT_EQ(ListLength(pCopy->pFalseAction), lists[1].size()) << nRoom << " bytes of room";
            EXPECT_EQ(pCopy->pEvaluation != nullptr, row.bCondition) << nRoom << " bytes of room";
            EXPECT_EQ(RunAlone(pCopy), row.tags) << nRoom << " bytes of room";
            std::destroy_at(pCopy);
        }
        EXPECT_GT(nWhole, 0);
        EXPECT_GT(nNone, 0);
    }
}

// Read into a pool too small for its values or its lists (also when an
// operator's operand finds no room), an if-action or an assignment is
// refused and keeps what it held; read whole it runs as written.
TEST_F(gcDoEvaluationTest, ReadsIntoANearlyFullPoolAreWholeOrKeepTheOldAction)
{
    gcTestLogCapture quiet;
    auto* pZero = m_pool.New<gcValBinaryOp>(gcValBinaryOp::OP_SUB, m_pool.New<gcValNumber>(2.0f),
                                            m_pool.New<gcValNumber>(2.0f));
    gcAction* pWrittenIf = datagen::NewEvaluation(&m_pool, pZero, {b.Record(4)}, {b.Record(5), b.Record(6)});
    ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("if.dat"), *pWrittenIf));
    auto* pDifference = m_pool.New<gcValBinaryOp>(gcValBinaryOp::OP_SUB, m_pool.New<gcValNumber>(5.0f),
                                                  m_pool.New<gcValNumber>(2.0f));
    auto* pSum = m_pool.New<gcValBinaryOp>(gcValBinaryOp::OP_ADD, m_pool.New<gcValNumber>(2.0f), pDifference);
    gcAction* pWrittenSet = datagen::NewSetValue(&m_pool, gcDoSetValue::OP_ASSIGN,
                                                 m_pool.New<gcValEventVar>(gcValEventVar::VAR_TEMP, 0), pSum);
    ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("set.dat"), *pWrittenSet));
    int nRead[2] = {}, nRefused[2] = {};
    for (size_t nRoom = 0; nRoom <= 1024; nRoom += 4) {
        SCOPED_TRACE(testing::Message() << nRoom << " bytes of room");
        TightPool tight(nRoom);
        gcAction* pIf = datagen::NewEvaluation(&m_pool, b.Num(1.0f), {b.Record(9)}, {});
        const bool bIf = ReadInto("/if.dat", pIf, &tight.pool);
        EXPECT_EQ(RunAlone(pIf), (bIf ? Tags{5, 6} : Tags{9}));
        ++(bIf ? nRead : nRefused)[0];
        std::destroy_at(pIf);

        gcAction* pSet = datagen::NewSetValue(&m_pool, gcDoSetValue::OP_ASSIGN,
                                              m_pool.New<gcValEventVar>(gcValEventVar::VAR_TEMP, 1), b.Num(7.0f));
        const bool bSet = ReadInto("/set.dat", pSet, &tight.pool);
        gcEventStackData frame;
        RunAlone(pSet, &frame);
        EXPECT_EQ(frame.fTemps[0], bSet ? 5.0f : 0.0f);
        EXPECT_EQ(frame.fTemps[1], bSet ? 0.0f : 7.0f);
        ++(bSet ? nRead : nRefused)[1];
        std::destroy_at(pSet);
    }
    for (int i = 0; i < 2; ++i) {
        EXPECT_GT(nRead[i], 0);
        EXPECT_GT(nRefused[i], 0);
    }
}

}  // namespace
