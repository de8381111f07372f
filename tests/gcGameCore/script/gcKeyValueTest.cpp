#include "gcGameCore/script/gcKeyValue.h"

#include <gtest/gtest.h>

#include <memory>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "gcScriptTestObjects.h"

namespace {

TEST(gcKeyValueTest, OnlyVersionThreeIsAcceptedAndRefusalsSkipTheBlock)
{
    gcTestDataDir dir;
    for (const uint32_t version : {3u, 2u, 0u, 4u}) {
        SCOPED_TRACE(version);
        datagen::BlockWriter w;
        w.Header().Begin(version).Begin(1).Begin(1).End().Name("Coins").End().Float(12.5f).End();
        ASSERT_TRUE(w.Word(0xC0DEC0DE).Trailer().Save(dir.HostPath("kv.dat")));
        gcTestLogCapture log;
        gcKeyValue kv;
        kv.m_fValue = -1.0f;
        cFile file;
        ASSERT_TRUE(file.Open("/kv.dat"));
        EXPECT_EQ(kv.Read(file, nullptr), version == 3);
        uint8_t after[4] = {};
        file.Read(after, 4);
        EXPECT_EQ(after[0], 0xC0);
        EXPECT_EQ(kv.m_fValue, version == 3 ? 12.5f : -1.0f);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "gcKeyValue: version not accepted"), version == 3 ? 0 : 1);
    }
}

TEST(gcKeyValueTest, GroupsPlaceKeyValuesAndConstantsUnderTheirChecks)
{
    gcTestDataDir dir;
    cMemPool pool("gcKeyValueTest", 0x10000, false);
    ASSERT_TRUE(datagen::WriteKeyValueGroupFile(dir.HostPath("kv.grp"), 199,
                                                {{datagen::NewKeyValue(&pool, "Coins", 3.0f), 0x4242}}));
    ASSERT_TRUE(datagen::WriteConstantGroupFile(dir.HostPath("c.grp"), 0,
                                                {{nullptr, 0}, {datagen::NewConstant(&pool, "Gravity", -9.8f), 0x0077}}));
    cBase* pKeyValues = cBase::Load("/kv.grp", &pool, gcKeyValueGroup::GetStaticType());
    cBase* pConstants = cBase::Load("/c.grp", &pool, gcConstantGroup::GetStaticType());
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
    std::destroy_at(pKeyValues);
    std::destroy_at(pConstants);
    EXPECT_EQ(gcKeyValueMgr::s_pInstances[199], nullptr);
}

}  // namespace
