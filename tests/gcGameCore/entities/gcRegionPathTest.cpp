// A region path follows its region's zone when the world is re-based.
#include "gcGameCore/entities/gcRegionPath.h"

#include <gtest/gtest.h>

#include "entityTestObjects.h"

namespace {

using gcRegionPathTest = EntityWorldTest;

TEST_F(gcRegionPathTest, ReBasingMovesThePathByTheZonesShift)
{
    gcRegionPath* p = NewRegionPath(&m_pool, 2, {{0, 0, 0}, {4, 0, 0}});
    p->m_localToRegion = MakeFrame(1, 2, 3, 90.0f);  // the path runs along the region's +y
    mVec3 local, before, after;
    p->m_path.GetPosOnPath(0.5f, &local);
    mOCS world;
    ASSERT_TRUE(p->GetLocalToWorld(&world));
    before.Xform(local, world);
    EXPECT_EQ(before, mVec3(101, 4, 3));
    m_b.m_localToWorld = MakeFrame(-50, 20, 0);  // region 2 became current: the world moves
    ASSERT_TRUE(p->GetLocalToWorld(&world));
    after.Xform(local, world);
    EXPECT_EQ(after - before, mVec3(-150, 20, 0));
    s_regionIds[1] = -1;  // dropped: no world frame
    EXPECT_FALSE(p->GetLocalToWorld(&world));
    EXPECT_EQ(world.origin, mVec3(0, 0, 0));
    std::destroy_at(p);
}

}  // namespace
