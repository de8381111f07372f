#include "cCore/cManager.h"

#include <gtest/gtest.h>

#include "cTestObjects.h"

namespace {

class cManagerTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (auto& p : cTestThingMgr::s_pInstances)
            p = nullptr;
    }
    cTestThing m_a, m_b;
};

TEST(cManagerBaseTest, RandomChecksFoldAndNeverGiveZero)
{
    const struct { uint32_t random; uint16_t check; } rows[] = {
        {0x00000000, 0x1234},  // folds to 0
        {0x12341234, 0x1234},  // folds to 0 as well: halves equal
        {0x00010001, 0x1234},
        {0xABCD0000, 0xABCD},
        {0x0000FFFF, 0xFFFF},
        {0xFF00F0F0, 0x0FF0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(cManagerBase::CheckFromRandom(row.random), row.check) << std::hex << row.random;
    for (int i = 0; i < 1000; ++i)
        ASSERT_NE(cManagerBase::MakeCheck(0), 0);
    EXPECT_EQ(cManagerBase::MakeCheck(0x77), 0x77);
}

TEST_F(cManagerTest, HandlesResolveOnlyToTheObjectTheyWereMadeFor)
{
    const cTestThingMgr::Handle h = cTestThingMgr::Add(3, &m_a, 0xBEEF);
    EXPECT_EQ(h.m_nValue, 0xBEEF0003u);
    EXPECT_EQ(m_a.m_handle, h);
    EXPECT_EQ(cTestThingMgr::GetPtr(h), &m_a);
    EXPECT_EQ(cTestThingMgr::GetHandle(3), h);
    EXPECT_EQ(cTestThingMgr::GetPtr(cTestThingMgr::Handle()), nullptr);
    EXPECT_EQ(cTestThingMgr::GetPtr(cTestThingMgr::Handle(0xBEEE0003)), nullptr);  // other check
    EXPECT_EQ(cTestThingMgr::GetPtr(cTestThingMgr::Handle(0xBEEF0004)), nullptr);  // empty slot
    EXPECT_EQ(cTestThingMgr::GetHandle(4).m_nValue, 0u);

    const cTestThingMgr::Handle hb = cTestThingMgr::Add(3, &m_b, 0);  // refills the slot
    EXPECT_NE(hb.GetCheck(), 0);
    EXPECT_EQ(hb.GetSlot(), 3);
    EXPECT_EQ(cTestThingMgr::GetPtr(h), hb == h ? &m_b : nullptr);
    EXPECT_EQ(cTestThingMgr::GetPtr(hb), &m_b);
}

TEST_F(cManagerTest, ReplaceKeepsTheHandleAndRemoveDestroys)
{
    cMemPool pool("mgr", 0x1000, false);
    cTestThing* first = pool.New<cTestThing>();
    cTestThing* second = pool.New<cTestThing>();
    const cTestThingMgr::Handle h = cTestThingMgr::Add(0, first, 0xFFFF);
    EXPECT_EQ(h.m_nValue, 0xFFFF0000u);
    const int destroyed = cTestThing::s_nDestroyed;
    cTestThingMgr::Replace(h, second);
    EXPECT_EQ(cTestThing::s_nDestroyed, destroyed + 1);
    EXPECT_EQ(cTestThingMgr::GetPtr(h), second);
    EXPECT_EQ(second->m_handle, h);
    cTestThingMgr::Remove(cTestThingMgr::Handle(0x12340000));  // the check is not compared
    EXPECT_EQ(cTestThing::s_nDestroyed, destroyed + 2);
    EXPECT_EQ(cTestThingMgr::s_pInstances[0], nullptr);
}

}  // namespace
