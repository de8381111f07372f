#include "gcGameCore/actions/gcDoSetValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "actionTestSupport.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

class gcDoSetValueTest : public testing::Test {
protected:
    cMemPool m_pool{"gcDoSetValueTest", 0x20000, false};
    gcTestBuilder b{m_pool};
    gcTestDataDir m_dir;
};

// Temp1 starts at c; the action combines it with s.
TEST_F(gcDoSetValueTest, OperationsCombineTheDestinationWithTheSource)
{
    const struct {
        const char* name;
        int32_t op;
        float c, s, expected;
    } rows[] = {
        {"assign", gcDoSetValue::OP_ASSIGN, 3.0f, 2.0f, 2.0f},
        {"increment", gcDoSetValue::OP_ASSIGN_INC, 3.0f, 2.0f, 5.0f},
        {"decrement: destination minus source", gcDoSetValue::OP_ASSIGN_DEC, 3.0f, 2.0f, 1.0f},
        {"multiply", gcDoSetValue::OP_ASSIGN_MUL, 3.0f, 2.0f, 6.0f},
        {"divide: destination by source", gcDoSetValue::OP_ASSIGN_DIV, 3.0f, 2.0f, 1.5f},
        {"divide by zero is unguarded", gcDoSetValue::OP_ASSIGN_DIV, -3.0f, 0.0f, -kInf},
        {"operation past the table assigns nothing", gcDoSetValue::MAX_OPS, 3.0f, 2.0f, 3.0f},
        {"negative operation assigns nothing", -1, 3.0f, 2.0f, 3.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcEvent event("OnTest", "Owner");
        FillEvent(event, datagen::NewSetValue(&m_pool, row.op, b.Var(gcValTest::TEMP1), b.Num(row.s)));
        gcEventStackData frame;
        frame.fTemps[0] = row.c;
        event.Apply(gcEventParams(), frame);
        EXPECT_EQ(frame.fTemps[0], row.expected);
    }
    gcEvent event("OnTest", "Owner");
    FillEvent(event, datagen::NewSetValue(&m_pool, gcDoSetValue::OP_ASSIGN_DIV, b.Var(gcValTest::TEMP1), b.Num(0.0f)));
    gcEventStackData frame;
    event.Apply(gcEventParams(), frame);
    EXPECT_TRUE(std::isnan(frame.fTemps[0])) << "0 / 0";
}

TEST_F(gcDoSetValueTest, MissingOperandsAssignNothing)
{
    gcEvent event("OnTest", "Owner");
    FillEvent(event, datagen::NewSetValue(&m_pool, gcDoSetValue::OP_ASSIGN, nullptr, b.Num(1.0f)),
              datagen::NewSetValue(&m_pool, gcDoSetValue::OP_ASSIGN, b.Var(gcValTest::TEMP2), nullptr));
    gcEventStackData frame;
    frame.fTemps[1] = 4.0f;
    event.Apply(gcEventParams(), frame);
    EXPECT_EQ(frame.fTemps[1], 4.0f);
}

TEST_F(gcDoSetValueTest, VersionOneReadsAsAnAssignment)
{
    gcEvent* pEvent = LoadHandLaidEvent(m_dir, m_pool, [](datagen::BlockWriter& w) {
        w.Int(127);
        datagen::ActionBlock(w, 1);
        w.Int(kTestValueId).Begin(1).Begin(1).Begin(1).Begin(1).End().End().End();
        w.Int(gcValTest::TEMP1).Float(0.0f).Int(-1).Int(-1).End();
        ValTestMember(w, 9.0f).End();
    });
    ASSERT_NE(pEvent, nullptr);
    const auto* pSet = static_cast<const gcDoSetValue*>(pEvent->pAction);
    ASSERT_NE(pSet, nullptr);
    EXPECT_EQ(pSet->operation, gcDoSetValue::OP_ASSIGN);
    gcEventStackData frame;
    frame.fTemps[0] = 1.0f;
    pEvent->Apply(gcEventParams(), frame);
    EXPECT_EQ(frame.fTemps[0], 9.0f);
}

}  // namespace
