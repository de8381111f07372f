#include "gcGameCore/script/gcFunction.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcFunction.h"
#include "gcScriptTestObjects.h"

namespace {

class gcFunctionTest : public testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }
    void TearDown() override { gcFunctionMgr::Add(4, nullptr, 0); }
    gcFunction* Sum()
    {
        gcFunction* f = datagen::NewFunction(&m_pool, "Sum");
        FillEvent(f->onCalled, b.Record(1),
                  b.Return(b.Add(b.Add(b.Var(gcValTest::PARAM1), b.Var(gcValTest::PARAM2)), b.Var(gcValTest::TEMP1))));
        return f;
    }
    cMemPool m_pool{"gcFunctionTest", 0x10000, false};
    gcTestBuilder b{m_pool};
};

TEST_F(gcFunctionTest, CallPassesTheArgumentsInAFreshFrameWithTheCallersParameters)
{
    const gcFunctionHandle h = gcFunctionMgr::Add(4, Sum(), 0x0404);
    gcTestActor caller;
    gcEvent outer("OnCaller", "Test");  // leaves Temp1 = 10 in the caller's frame
    FillEvent(outer, b.Set(gcValTest::TEMP1, 10.0f));
    gcEventStackData frame;
    outer.Apply(gcEventParams(), frame);
    EXPECT_EQ(gcFunction::Call(h, gcEventParams(&caller, nullptr, nullptr, nullptr, nullptr), 1.5f, 2.0f), 3.5f);
    ASSERT_EQ(TestLog().size(), 1u);
    EXPECT_EQ(TestLog()[0].pInitiator, &caller);
    EXPECT_EQ(TestLog()[0].fParam1, 1.5f);
    EXPECT_EQ(TestLog()[0].fParam2, 2.0f);
    EXPECT_EQ(frame.fTemps[0], 10.0f);
    EXPECT_EQ(datagen::NewFunction(&m_pool, "Nop")->Call(gcEventParams(), 3.0f, 4.0f), 0.0f);
}

}  // namespace
