#include "cCore/cType.h"

#include <gtest/gtest.h>

#include <cstring>

#include "cCore/cBase.h"
#include "cCore/cObject.h"
#include "cTestObjects.h"

namespace {

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
