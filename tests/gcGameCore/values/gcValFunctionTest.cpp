#include "gcGameCore/values/gcValFunction.h"

#include <vector>

#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcEvent.h"
#include "valueTestSupport.h"

namespace {

using F = gcValFunction;

// Function "Sum" in slot 4 returns Param1 + Param2 + Temp1 of its own
// frame and records that it ran.
class gcValFunctionTest : public gcValueTest {
protected:
    void SetUp() override
    {
        TestLog().clear();
        gcFunction* f = datagen::NewFunction(&m_pool, "Sum");
        FillEvent(f->onCalled, b.Record(1),
                  b.Return(b.Add(b.Add(b.Var(gcValTest::PARAM1), b.Var(gcValTest::PARAM2)), b.Var(gcValTest::TEMP1))));
        m_hSum = gcFunctionMgr::Add(4, f, 0x0404);
    }
    void TearDown() override { gcFunctionMgr::Add(4, nullptr, 0); }

    F* Call(gcFunctionHandle h, gcValue* p1, gcValue* p2)
    {
        F* p = m_pool.New<F>(h);
        p->pParams[0] = p1;
        p->pParams[1] = p2;
        return p;
    }

    gcTestBuilder b{m_pool};
    gcFunctionHandle m_hSum;
};

TEST_F(gcValFunctionTest, RunsInAFrameOfItsOwnWithTheCallersParameters)
{
    gcTestActor caller;
    const gcEventParams params(&caller, nullptr, nullptr, nullptr, nullptr);
    // The caller's own Temp1 is 10 while it evaluates the call.
    gcEventStackData frame(0.0f, 0.0f);
    frame.fTemps[0] = 10;
    gcEvent outer("OnOuter", "Test");
    FillEvent(outer, b.Step(gcDoTestStep::SET, gcValTest::RETVAL, 0,
                            Call(m_hSum, b.Var(gcValTest::TEMP1), N(2.5f))));
    EXPECT_EQ(outer.Apply(params, frame), 12.5f);  // 10 + 2.5 + the callee's Temp1 0
    ASSERT_EQ(TestLog().size(), 1u);
    EXPECT_EQ(TestLog()[0].pInitiator, &caller);
    EXPECT_EQ(TestLog()[0].fParam1, 10.0f);
    EXPECT_EQ(frame.fTemps[0], 10.0f);
    EXPECT_EQ(frame.fInValues[0], 0.0f);
}

TEST_F(gcValFunctionTest, ResultsAndTextsOfCalls)
{
    const struct {
        const char* why;
        F* pCall;
        float fResult;
        std::vector<int32_t> ran;
        const char* text;
    } rows[] = {
        {"two parameters", Call(m_hSum, N(1), N(2)), 3, {1}, "[Sum]( 1, 2 )"},
        {"an empty second slot passes 0.0", Call(m_hSum, N(1), nullptr), 1, {1}, "[Sum]( 1 )"},
        {"an empty first slot still puts the comma", Call(m_hSum, nullptr, N(2)), 2, {1}, "[Sum]( , 2 )"},
        {"no parameters", Call(m_hSum, nullptr, nullptr), 0, {1}, "[Sum]( )"},
        {"a call as a parameter runs first", Call(m_hSum, Call(m_hSum, N(1), N(2)), N(4)), 7, {1, 1},
         "[Sum]( [Sum]( 1, 2 ), 4 )"},
        // A stale handle evaluates neither parameter: the inner call does not run.
        {"stale", Call(gcFunctionHandle(0x04050004), Call(m_hSum, N(1), N(2)), nullptr), 0, {}, "[???]( [Sum]( 1, 2 ) )"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        TestLog().clear();
        EXPECT_EQ(r.pCall->Get(m_params), r.fResult);
        EXPECT_EQ(TestLogTags(), r.ran);
        EXPECT_EQ(Text(*r.pCall), r.text);
    }
}

TEST_F(gcValFunctionTest, AddParamFillsTheFirstEmptySlot)
{
    F* p = Call(m_hSum, nullptr, N(2));
    EXPECT_TRUE(p->AddParam(N(1)));
    EXPECT_FALSE(p->AddParam(N(3)));
    EXPECT_EQ(Text(*p), "[Sum]( 1, 2 )");
    EXPECT_EQ(p->GetChildByIndex(2), nullptr);
    EXPECT_EQ(p->GetChildByIndex(-1), nullptr);
}

TEST_F(gcValFunctionTest, ReadsAtMostTwoParameters)
{
    const struct {
        const char* why;
        uint32_t version;
        int32_t count;    // version 2 only
        int members;      // numbers 1, 2, ... written
        const char* text;
    } rows[] = {
        {"version 1 has one parameter", 1, 0, 1, "[Sum]( 1 )"},
        {"two", 2, 2, 2, "[Sum]( 1, 2 )"},
        {"one", 2, 1, 1, "[Sum]( 1 )"},
        {"none", 2, 0, 0, "[Sum]( )"},
        // Counts the writer never writes (it writes two) fail the file.
        {"three", 2, 3, 3, nullptr},
        {"a negative count", 2, -1, 0, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        const F* p = LoadFields<F>(r.version, [&](datagen::BlockWriter& w) {
            w.Int(static_cast<int32_t>(m_hSum.m_nValue));
            if (r.version >= 2)
                w.Int(r.count);
            for (int i = 1; i <= r.members; ++i)
                datagen::NumberMember(w, static_cast<float>(i));
        });
        ASSERT_EQ(p != nullptr, r.text != nullptr);
        if (p) {
            EXPECT_EQ(Text(*p), r.text);
        }
    }
}

}  // namespace
