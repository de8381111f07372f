#include "gcGameCore/values/gcValEventVar.h"

#include <cstring>

#include "gcGameCore/script/gcEvent.h"
#include "valueTestSupport.h"

namespace {

using V = gcValEventVar;

// A running frame with distinct values everywhere; the previous one back
// afterwards.
class gcValEventVarTest : public gcValueTest {
protected:
    void SetUp() override
    {
        m_frame.fRetVal = 7;
        m_frame.fInValues[0] = 1, m_frame.fInValues[1] = 2;
        m_frame.fTemps[0] = 3, m_frame.fTemps[1] = 4;
        m_params.nEventId = -5;
        m_params.nMessageId = 300;
        m_pPrevious = gcEvent::s_pCurEventStackData;
        gcEvent::s_pCurEventStackData = &m_frame;
    }
    void TearDown() override { gcEvent::s_pCurEventStackData = m_pPrevious; }
    static V Var(int type, int32_t index) { return V(static_cast<V::gcEventVarType>(type), index); }

    gcEventStackData m_frame;
    gcEventStackData* m_pPrevious = nullptr;
};

TEST_F(gcValEventVarTest, ReadsAndAssignsTheFrameAndTheParameters)
{
    const struct {
        int type;
        int32_t index;
        float fGet;
        const char* text;
        float* pTarget;  // what an assignment of 9 writes; null: nothing
    } rows[] = {
        {V::VAR_RETVAL, 1, 7, "[RetVal]", &m_frame.fRetVal},  // the index does not matter
        {V::VAR_INVALUE, 0, 1, "[Param1]", &m_frame.fInValues[0]},
        {V::VAR_INVALUE, 1, 2, "[Param2]", &m_frame.fInValues[1]},
        {V::VAR_TEMP, 0, 3, "[Temp1]", &m_frame.fTemps[0]},
        {V::VAR_TEMP, 1, 4, "[Temp2]", &m_frame.fTemps[1]},
        {V::VAR_INVALUE, 2, 0, "[Param3]", nullptr},  // past the two parameters
        {V::VAR_TEMP, -1, 0, "[Temp0]", nullptr},
        {V::VAR_TEMP, INT32_MAX, 0, "[Temp2147483648]", nullptr},
        {V::VAR_EVENTID, 0, -5, "[EventId]", nullptr},  // read-only
        {V::VAR_MESSAGEID, 0, 300, "[MessageId]", nullptr},
        {6, 0, 0, "[???]", nullptr},
        {-1, 0, 0, "[???]", nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        V v = Var(r.type, r.index);
        EXPECT_EQ(v.Get(m_params), r.fGet);
        EXPECT_EQ(Text(v), r.text);
        const gcEventStackData before = m_frame;
        v.Set(9, m_params);
        if (r.pTarget) {
            EXPECT_EQ(*r.pTarget, 9.0f);
            *r.pTarget = r.fGet;  // what it held: then nothing else may differ
        }
        EXPECT_EQ(std::memcmp(&m_frame, &before, sizeof(m_frame)), 0);
        EXPECT_EQ(m_params.nEventId, -5);
        EXPECT_EQ(m_params.nMessageId, 300);
    }
}

TEST_F(gcValEventVarTest, HandledFlagIsWrittenThroughTheConstParameters)
{
    V v(V::VAR_EVENTHANDLED, 0);
    EXPECT_EQ(Text(v), "[EventHandled]");
    EXPECT_EQ(v.Get(m_params), 1.0f);
    const struct {
        float fSet;
        float fRead;
    } rows[] = {{0.0f, 0.0f}, {0.5f, 1.0f}, {-0.0f, 0.0f}, {-2.0f, 1.0f}};
    for (const auto& r : rows) {
        v.Set(r.fSet, m_params);
        EXPECT_EQ(v.Get(m_params), r.fRead) << r.fSet;
    }
}

TEST_F(gcValEventVarTest, FrameVariablesReadZeroAndIgnoreAssignmentsOutsideEvents)
{
    gcEvent::s_pCurEventStackData = nullptr;
    for (int type : {V::VAR_RETVAL, V::VAR_INVALUE, V::VAR_TEMP}) {
        V v = Var(type, 0);
        v.Set(9, m_params);
        EXPECT_EQ(v.Get(m_params), 0.0f) << type;
    }
    EXPECT_EQ(Var(V::VAR_MESSAGEID, 0).Get(m_params), 300.0f);
}

TEST_F(gcValEventVarTest, VersionOneHoldsTheIndexOfAParameter)
{
    const V* p = LoadFields<V>(1, [](datagen::BlockWriter& w) { w.Int(1); });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->varType, V::VAR_INVALUE);
    EXPECT_EQ(p->nIndex, 1);
    const V* pTwo = LoadFields<V>(2, [](datagen::BlockWriter& w) { w.Int(V::VAR_TEMP).Int(1); });
    ASSERT_NE(pTwo, nullptr);
    EXPECT_EQ(Text(*pTwo), "[Temp2]");
}

}  // namespace
