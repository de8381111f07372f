#include "gcGameCore/gcFunction.h"

#include <gtest/gtest.h>

#include <vector>

#include "datagen/scriptWriters.h"
#include "gcGameCore/gcFunctionGroup.h"
#include "gcScriptTestObjects.h"

namespace {

class gcFunctionTest : public testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }
    void TearDown() override
    {
        for (auto& p : gcFunctionMgr::s_pInstances)
            p = nullptr;
    }
    template <class T, class... Args>
    T* Make(Args&&... args)
    {
        return m_pool.New<T>(std::forward<Args>(args)...);
    }
    // RetVal = Param1 + Param2 + Temp1 (Temp1 must start at 0).
    gcFunction* SumFunction()
    {
        gcFunction* f = datagen::NewFunction(&m_pool, "Sum");
        FillEvent(f->onCalled, Make<gcDoTestRecord>(1),
                  Make<gcDoTestReturn>(Make<gcValTestAdd>(
                      Make<gcValTestAdd>(Make<gcValTestEventVar>(gcValTestEventVar::PARAM1),
                                         Make<gcValTestEventVar>(gcValTestEventVar::PARAM2)),
                      Make<gcValTestEventVar>(gcValTestEventVar::TEMP1))));
        return f;
    }

    cMemPool m_pool{"gcFunctionTest", 0x10000, false};
};

TEST_F(gcFunctionTest, CallPassesTheArgumentsInAFreshFrameAndTheCallersParameters)
{
    gcFunction* f = SumFunction();
    gcFunctionMgr::Add(4, f, 0x0404);
    gcTestActor caller;
    const gcEventParams params(&caller, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(gcFunction::Call(f->m_handle, params, 1.5f, 2.0f), 3.5f);
    ASSERT_EQ(TestLog().size(), 1u);
    EXPECT_EQ(TestLog()[0].pInitiator, &caller);
    EXPECT_EQ(TestLog()[0].fParam1, 1.5f);
    EXPECT_EQ(TestLog()[0].fParam2, 2.0f);
}

TEST_F(gcFunctionTest, CallInsideAnEventLeavesTheCallersFrame)
{
    gcFunction* f = SumFunction();
    gcFunctionMgr::Add(4, f, 0x0404);
    // A caller's event: Temp1 = 10, then return the frame's Temp1.
    gcEvent caller("OnCaller", "Test");
    FillEvent(caller,
              Make<gcDoTestSetValue>(Make<gcValTestEventVar>(gcValTestEventVar::TEMP1), Make<gcValTestNumber>(10.0f)));
    gcEventStackData frame(5.0f, 6.0f);
    caller.Apply(gcEventParams(), frame);
    EXPECT_EQ(gcFunction::Call(f->m_handle, gcEventParams(), 1.0f, 1.0f), 2.0f);  // not 12: a fresh frame
    EXPECT_EQ(frame.fTemps[0], 10.0f);
}

TEST_F(gcFunctionTest, StaleOrEmptySlotGivesZeroAndRunsNothing)
{
    gcFunction* f = SumFunction();
    const gcFunctionHandle h = gcFunctionMgr::Add(4, f, 0x0404);
    gcFunctionMgr::Add(4, nullptr, 0);  // the slot emptied
    EXPECT_EQ(gcFunction::Call(h, gcEventParams(), 1.0f, 2.0f), 0.0f);
    gcFunctionMgr::Add(4, datagen::NewFunction(&m_pool, "Other"), 0x0505);  // refilled
    EXPECT_EQ(gcFunction::Call(h, gcEventParams(), 1.0f, 2.0f), 0.0f);
    EXPECT_EQ(gcFunction::Call(gcFunctionHandle(), gcEventParams(), 1.0f, 2.0f), 0.0f);
    EXPECT_TRUE(TestLog().empty());
}

TEST_F(gcFunctionTest, FunctionWithoutActionsReturnsZero)
{
    gcFunction* f = datagen::NewFunction(&m_pool, "Nop");
    EXPECT_EQ(f->Call(gcEventParams(), 3.0f, 4.0f), 0.0f);
    EXPECT_STREQ(f->onCalled.sName, "OnCalled");
    EXPECT_STREQ(f->onCalled.sOwnerName, "Nop");
}

TEST_F(gcFunctionTest, GroupRoundTripCallsTheReadFunction)
{
    gcTestDataDir dir;
    ASSERT_TRUE(datagen::WriteFunctionGroupFile(dir.HostPath("f.grp"), 0, {{SumFunction(), 0x0BAD}}));
    cBase* pGroup = cBase::Load("/f.grp", &m_pool, gcFunctionGroup::GetStaticType());
    ASSERT_NE(pGroup, nullptr);
    EXPECT_EQ(gcFunction::Call(gcFunctionHandle(0x0BAD0000), gcEventParams(), 2.0f, 0.25f), 2.25f);
    EXPECT_EQ(gcFunctionGroup::GetStaticType()->m_nTypeId, 147u);
    EXPECT_EQ(gcFunction::GetStaticType()->m_nTypeId, 146u);
    std::destroy_at(pGroup);
}

}  // namespace
