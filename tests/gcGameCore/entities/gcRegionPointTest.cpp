// A region point's world frame, through the zone of its region's slot.
#include "gcGameCore/entities/gcRegionPoint.h"

#include <gtest/gtest.h>

#include "entityTestObjects.h"

namespace {

using gcRegionPointTest = EntityWorldTest;

TEST_F(gcRegionPointTest, WorldFrameGoesThroughTheRegionsZone)
{
    eZone::s_pZones[2] = nullptr;
    s_regionIds[2] = 6;  // resident, its zone not attached yet
    struct Row {
        const char* name;
        int16_t regionId;
        bool ok;
        mVec3 origin, forward;
    };
    // The point sits at (1, 2, 3) of its region, facing its region's -x.
    const Row rows[] = {
        {"region 1, zone at the origin", 1, true, mVec3(1, 2, 3), mVec3(-1, 0, 0)},
        {"region 2, zone 100 along x", 2, true, mVec3(101, 2, 3), mVec3(-1, 0, 0)},
        {"not resident", 9, false, mVec3(0, 0, 0), mVec3(0, 1, 0)},
        {"no zone yet", 6, false, mVec3(0, 0, 0), mVec3(0, 1, 0)},
        {"no region", -1, false, mVec3(0, 0, 0), mVec3(0, 1, 0)},
    };
    gcRegionPoint p;
    p.m_localToRegion = MakeFrame(1, 2, 3, 90.0f);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        p.m_nRegionId = row.regionId;
        mOCS world = MakeFrame(7, 7, 7, 45.0f);
        EXPECT_EQ(p.GetLocalToWorld(&world), row.ok);
        EXPECT_EQ(world.origin, row.origin);
        EXPECT_NEAR(world.basis.forward.x, row.forward.x, 1e-6f);
        EXPECT_NEAR(world.basis.forward.y, row.forward.y, 1e-6f);
    }
}

}  // namespace
