#include "cCore/cType.h"

#include <gtest/gtest.h>

#include <cstring>

#include "cCore/cBase.h"
#include "cCore/cObject.h"
#include "cTestObjects.h"

namespace {

TEST(cTypeTest, FriendlyNameDropsTheLeadingLowercaseRun)
{
    const struct { const char* name; const char* friendly; } rows[] = {
        {"eFont", "Font"},
        {"gcEntityGroup", "EntityGroup"},
        {"cBase", "Base"},
        {"lowercase", ""},     // nothing left
        {"Upper", "Upper"},    // nothing to drop
        {"x9y", "9y"},         // only 'a' to 'z' count
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        cType t;
        t.Initialize(row.name, 1, nullptr, nullptr);
        EXPECT_STREQ(t.GetFriendlyName(), row.friendly);
        EXPECT_EQ(t.GetFriendlyName(), row.name + (std::strlen(row.name) - std::strlen(row.friendly)));
    }
}

TEST(cTypeTest, ChildrenFormARingInRegistrationOrder)
{
    cType parent, a, b, c;
    parent.Initialize("parent", 1, nullptr, nullptr);
    a.Initialize("a", 2, &parent, nullptr);
    EXPECT_EQ(parent.m_pFirstChildType, &a);
    EXPECT_EQ(a.m_pNextSiblingType, &a);  // alone: a ring of one
    b.Initialize("b", 3, &parent, nullptr);
    c.Initialize("c", 4, &parent, nullptr);
    EXPECT_EQ(parent.m_pFirstChildType, &a);
    EXPECT_EQ(a.m_pNextSiblingType, &b);
    EXPECT_EQ(b.m_pNextSiblingType, &c);
    EXPECT_EQ(c.m_pNextSiblingType, &a);
    EXPECT_EQ(a.m_pPrevSiblingType, &c);
    EXPECT_EQ(c.m_pPrevSiblingType, &b);
    EXPECT_TRUE(c.IsA(&parent));
    EXPECT_FALSE(parent.IsA(&c));
}

TEST(cTypeTest, RegisteredClassesCarryTheirIdsAndParents)
{
    EXPECT_EQ(cBase::GetStaticType()->m_nTypeId, 1u);
    EXPECT_EQ(cBase::GetStaticType()->m_pParentType, nullptr);
    EXPECT_EQ(cObject::GetStaticType()->m_nTypeId, 2u);
    EXPECT_EQ(cObject::GetStaticType()->m_pParentType, cBase::GetStaticType());
    EXPECT_EQ(cObject::GetStaticType()->m_pNewFunc, nullptr);
    EXPECT_EQ(cType::s_types, cType::s_typesList);
    EXPECT_EQ(cType::Find(60), cTestThing::GetStaticType());
    EXPECT_NE(cType::Find(60)->m_pNewFunc, nullptr);
    for (int32_t id : {-1, 0, 50, 300, 1 << 20})
        EXPECT_EQ(cType::Find(id), nullptr) << id;
}

TEST(cTypeTest, RegistrationRefusesBadIdsAndKeepsTheFirstClassOfAnId)
{
    EXPECT_EQ(cType::InitializeType("cTooHigh", 300, cBase::GetStaticType(), nullptr), nullptr);
    EXPECT_EQ(cType::InitializeType("cZero", 0, cBase::GetStaticType(), nullptr), nullptr);
    const cType* again = cType::InitializeType("cImpostor", kTestThingId, cBase::GetStaticType(), nullptr);
    EXPECT_EQ(again, cTestThing::GetStaticType());
    EXPECT_STREQ(again->m_sTypeName, "cTestThing");
    EXPECT_EQ(again->m_pParentType, cObject::GetStaticType());
}

TEST(cTypeTest, DcastFollowsTheParentChain)
{
    cTestThing thing;
    cTestHolder holder;
    cBase* pThing = &thing;
    EXPECT_EQ(dcast<cTestThing>(pThing), &thing);
    EXPECT_EQ(dcast<cObject>(pThing), &thing);
    EXPECT_EQ(dcast<const cObject>(static_cast<const cBase*>(pThing)), &thing);
    EXPECT_EQ(dcast<cTestHolder>(pThing), nullptr);
    EXPECT_EQ(dcast<cTestThing>(static_cast<cBase*>(&holder)), nullptr);
    EXPECT_EQ(dcast<cTestThing>(static_cast<cBase*>(nullptr)), nullptr);
}

}  // namespace
