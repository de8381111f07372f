// Numbers, constants, key values and event ids.

#include "datagen/scriptWriters.h"
#include "gcGameCore/values/gcValConstant.h"
#include "gcGameCore/values/gcValEventId.h"
#include "gcGameCore/values/gcValKeyValue.h"
#include "valueTestSupport.h"

namespace {

class gcValLiteralsTest : public gcValueTest {
protected:
    void TearDown() override
    {
        gcConstantMgr::Add(3, nullptr, 0);
        gcKeyValueMgr::Add(3, nullptr, 0);
    }
};

TEST_F(gcValLiteralsTest, NumbersShowThreeSignificantDigits)
{
    const struct {
        float f;
        const char* text;
    } rows[] = {{0, "0"}, {-0.0f, "-0"}, {0.1f, "0.1"}, {1234.5f, "1.23e+03"}, {-2.5f, "-2.5"}, {0.00001f, "1e-05"}};
    for (const auto& r : rows) {
        const gcValNumber v(r.f);
        EXPECT_EQ(Text(v), r.text);
        EXPECT_EQ(v.Get(m_params), r.f);
    }
}

TEST_F(gcValLiteralsTest, ConstantsAndKeyValuesReadByHandleAndZeroWhenStale)
{
    const gcConstantHandle hConst = gcConstantMgr::Add(3, datagen::NewConstant(&m_pool, "Gravity", -9.5f), 0x0303);
    gcKeyValueHandle hKey = gcKeyValueMgr::Add(3, datagen::NewKeyValue(&m_pool, "Lives", 3.0f), 0x0303);
    const gcValConstant constant(hConst);
    const gcValConstant staleConstant(gcConstantHandle(0x04040003));
    EXPECT_EQ(constant.Get(m_params), -9.5f);
    EXPECT_EQ(Text(constant), "{Gravity}");
    EXPECT_EQ(staleConstant.Get(m_params), 0.0f);
    EXPECT_EQ(Text(staleConstant), "{???}");

    gcValKeyValue key(hKey);
    key.Set(4.5f, m_params);
    EXPECT_EQ(key.Get(m_params), 4.5f);
    EXPECT_EQ(gcKeyValueMgr::GetPtr(hKey)->m_fValue, 4.5f);
    EXPECT_EQ(Text(key), "[Lives]");
    gcValKeyValue stale(gcKeyValueHandle(0x04040003));
    stale.Set(7.0f, m_params);  // nothing to write
    EXPECT_EQ(stale.Get(m_params), 0.0f);
    EXPECT_EQ(Text(stale), "[???]");
    EXPECT_EQ(gcKeyValueMgr::GetPtr(hKey)->m_fValue, 4.5f);
}

TEST_F(gcValLiteralsTest, EventIdsReadAsTheirNumbers)
{
    const struct {
        int32_t id;
        const char* text;
    } rows[] = {{gcMsgEvent::ID_ONINTERACT, "[OnInteract]"},
                {gcMsgEvent::ID_CALCDAMAGE, "[Calcdamage]"},
                {gcMsgEvent::ID_ONMESSAGE, "[OnMessage]"},
                {0, "[???]"},
                {15, "[???]"},
                {-3, "[???]"}};
    for (const auto& r : rows) {
        const gcValEventId v(static_cast<gcMsgEvent::gcEventId>(r.id));
        EXPECT_EQ(v.Get(m_params), static_cast<float>(r.id));
        EXPECT_EQ(Text(v), r.text);
    }
    EXPECT_EQ(gcValEventId().eventId, gcMsgEvent::ID_ONINITIALUPDATE);
}

}  // namespace
