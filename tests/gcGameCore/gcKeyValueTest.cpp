#include "gcGameCore/gcKeyValue.h"

#include <gtest/gtest.h>

#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/gcConstantGroup.h"
#include "gcGameCore/gcKeyValueGroup.h"
#include "gcScriptTestObjects.h"

namespace {

class gcKeyValueTest : public testing::Test {
protected:
    cMemPool m_pool{"gcKeyValueTest", 0x10000, false};
    gcTestDataDir m_dir;
};

TEST_F(gcKeyValueTest, OnlyVersionThreeIsAcceptedAndRefusalsSkipTheBlock)
{
    struct Row {
        const char* name;
        uint32_t version;
        bool bAccepted;
    };
    const Row rows[] = {{"version 3", 3, true}, {"version 2", 2, false}, {"version 0", 0, false}, {"version 4", 4, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        datagen::BlockWriter w;
        w.Header().Begin(row.version).Begin(1).Begin(1).End().Name("Coins").End().Float(12.5f).End();
        w.Word(0xC0DEC0DE).Trailer();
        ASSERT_TRUE(w.Save(m_dir.HostPath("kv.dat")));
        gcTestLogCapture log;
        gcKeyValue kv;
        kv.m_fValue = -1.0f;
        cFile file;
        ASSERT_TRUE(file.Open("/kv.dat"));
        EXPECT_EQ(kv.Read(file, &m_pool), row.bAccepted);
        uint8_t after[4] = {};
        file.Read(after, 4);
        EXPECT_EQ(after[0], 0xC0);
        file.Close();
        EXPECT_FALSE(file.Failed());
        EXPECT_EQ(kv.m_fValue, row.bAccepted ? 12.5f : -1.0f);
        EXPECT_EQ(kv.m_name == "Coins", row.bAccepted);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "gcKeyValue: version not accepted"), row.bAccepted ? 0 : 1);
    }
}

TEST_F(gcKeyValueTest, GroupsPlaceKeyValuesAndConstantsUnderTheirChecks)
{
    gcKeyValue* kv = datagen::NewKeyValue(&m_pool, "Coins", 3.0f);
    gcConstant* c = datagen::NewConstant(&m_pool, "Gravity", -9.8f);
    ASSERT_TRUE(datagen::WriteKeyValueGroupFile(m_dir.HostPath("kv.grp"), 199, {{kv, 0x4242}}));
    ASSERT_TRUE(datagen::WriteConstantGroupFile(m_dir.HostPath("c.grp"), 0, {{nullptr, 0}, {c, 0x0077}}));
    cBase* pKeyValues = cBase::Load("/kv.grp", &m_pool, gcKeyValueGroup::GetStaticType());
    cBase* pConstants = cBase::Load("/c.grp", &m_pool, gcConstantGroup::GetStaticType());
    ASSERT_NE(pKeyValues, nullptr);
    ASSERT_NE(pConstants, nullptr);
    gcKeyValue* pKv = gcKeyValueMgr::GetPtr(gcKeyValueHandle(0x424200C7));
    ASSERT_NE(pKv, nullptr);
    EXPECT_EQ(pKv->m_fValue, 3.0f);
    EXPECT_EQ(gcKeyValueMgr::GetPtr(gcKeyValueHandle(0x424300C7)), nullptr);  // another check
    const gcConstant* pC = gcConstantMgr::GetPtr(gcConstantHandle(0x00770001));
    ASSERT_NE(pC, nullptr);
    EXPECT_EQ(pC->m_fValue, -9.8f);
    EXPECT_TRUE(pC->m_name == "Gravity");

    // A key value assigned at run time writes its new value back.
    pKv->m_fValue = 4.0f;
    ASSERT_TRUE(datagen::WriteKeyValueGroupFile(m_dir.HostPath("kv2.grp"), 199, {{pKv, 0x4242}}));
    std::destroy_at(pKeyValues);
    EXPECT_EQ(gcKeyValueMgr::s_pInstances[199], nullptr);
    ASSERT_NE(cBase::Load("/kv2.grp", &m_pool, gcKeyValueGroup::GetStaticType()), nullptr);
    EXPECT_EQ(gcKeyValueMgr::GetPtr(gcKeyValueHandle(0x424200C7))->m_fValue, 4.0f);
    std::destroy_at(pConstants);
    gcKeyValueMgr::Remove(199);
}

TEST_F(gcKeyValueTest, ManagerSizesAndGroupIdsAreFixed)
{
    EXPECT_EQ(gcKeyValueMgr::kSlots, 200);
    EXPECT_EQ(gcConstantMgr::kSlots, 500);
    EXPECT_EQ(gcKeyValue::GetStaticType()->m_nTypeId, 65u);
    EXPECT_EQ(gcKeyValueGroup::GetStaticType()->m_nTypeId, 66u);
    EXPECT_EQ(gcConstant::GetStaticType()->m_nTypeId, 251u);
    EXPECT_EQ(gcConstantGroup::GetStaticType()->m_nTypeId, 252u);
}

}  // namespace
