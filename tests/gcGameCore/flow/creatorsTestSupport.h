#pragma once
// What the creators' tests check alike: where an object was made and how a
// side group was left.

#include <gtest/gtest.h>

#include "cCore/cGroup.h"
#include "cCore/cMemPool.h"
#include "cCore/cObject.h"

inline cName Name(const char* text)
{
    cName name;
    name.Set("%s", text);
    return name;
}

inline bool InPool(const void* p, const cMemPool& pool)
{
    return p && cMemPool::GetPoolFromPtr(p) == &pool;
}

// A group made empty in its pool over [begin, end), owning what it will hold.
inline void ExpectGroup(const cGroup* p, const cMemPool& pool, int32_t begin, int32_t end)
{
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(InPool(p, pool));
    EXPECT_EQ(p->m_nBegin, begin);
    EXPECT_EQ(p->m_nEnd, end);
    EXPECT_TRUE(p->m_bDeleteContained);
}
