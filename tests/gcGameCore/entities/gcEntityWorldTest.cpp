#include "gcGameCore/entities/gcEntityWorld.h"

#include <gtest/gtest.h>

#include "entityTestObjects.h"

namespace {

using W = gcEntityWorld;
using gcEntityWorldTest = EntityTest;

TEST_F(gcEntityWorldTest, RegionsAreFoundByIdInTheFirstSlotHoldingIt)
{
    eZone zones[W::kMaxRegions];
    for (int i = 0; i < W::kMaxRegions; ++i) {
        zones[i].m_nZoneIndex = i;
        eZone::s_pZones[i] = i == 3 ? nullptr : &zones[i];  // slot 3 has no zone yet
    }
    const int ids[W::kMaxRegions] = {-1, 7, 4, 9, 7};
    std::copy_n(ids, W::kMaxRegions, s_regionIds);
    struct Row {
        int id, slot;
        const eZone* zone;
    };
    const Row rows[] = {{7, 1, &zones[1]}, {4, 2, &zones[2]}, {9, 3, nullptr}, {5, -1, nullptr}, {-1, -1, nullptr}};
    for (const Row& r : rows) {
        EXPECT_EQ(W::FindRegionSlot(r.id), r.slot) << r.id;  // -1 never finds the empty slot
        EXPECT_EQ(W::GetRegionZone(r.id), r.zone) << r.id;
    }
    EXPECT_EQ(W::GetZoneRegionId(&zones[4]), 7);
    EXPECT_EQ(W::GetZoneRegionId(nullptr), -1);
    eZone loose;
    loose.m_nZoneIndex = W::kMaxRegions;  // not a region slot
    EXPECT_EQ(W::GetZoneRegionId(&loose), -1);
    loose.m_nZoneIndex = -1;
    EXPECT_EQ(W::GetZoneRegionId(&loose), -1);
    for (eZone*& z : eZone::s_pZones)
        z = nullptr;
}

}  // namespace
