// A region path in the world, and the copy that carries its points.
#include "gcGameCore/entities/gcRegionPath.h"

#include <gtest/gtest.h>

#include "datagen/particleWriters.h"
#include "entityTestObjects.h"

namespace {

using gcRegionPathTest = EntityWorldTest;

TEST_F(gcRegionPathTest, ReBasingMovesThePathByTheZonesShift)
{
    gcRegionPath* p = m_pool.New<gcRegionPath>();
    ePath* built = datagen::BuildPath("p", {{0, 0, 0}, {4, 0, 0}}, &m_pool);
    ASSERT_NE(built, nullptr);
    p->m_path.m_nPoints = built->m_nPoints;
    p->m_path.m_pPoints = built->m_pPoints;
    p->m_path.m_fLength = built->m_fLength;
    p->m_localToRegion = MakeFrame(1, 2, 3, 90.0f);  // the path runs along the region's +y
    p->m_nRegionId = 2;
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
    s_regionIds[1] = -1;
    EXPECT_FALSE(p->GetLocalToWorld(&world));
    EXPECT_EQ(world.origin, mVec3(0, 0, 0));

    // The copy's points are its own, carved from the pool it lives in.
    gcRegionPath* c = static_cast<gcRegionPath*>(p->Copy(&m_pool));
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c->m_path.m_pPoints, p->m_path.m_pPoints);
    EXPECT_EQ(c->m_path.m_pPoints[1].pos, mVec3(4, 0, 0));
    EXPECT_EQ(c->m_nRegionId, 2);
    EXPECT_TRUE(c->m_handle.IsNull());
    std::destroy_at(c);
    std::destroy_at(p);
}

}  // namespace
