#pragma once
// Two live zones side by side for the scene-node and zone tests: zone A at
// the world origin in slot 0 and zone B 100 units along +x in slot 1, each a
// cube of edge 100 with visibility and collision trees of edge 100, loose
// scale 2 and 4 levels. A node of radius 1 files at level 3 (cells of 12.5),
// one of radius 20 at level 1.

#include <gtest/gtest.h>

#include "cCore/cMemPool.h"
#include "eEngine/eZone.h"

class WorldZoneTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetUpZone(&m_a, 0, 0.0f);
        SetUpZone(&m_b, 1, 100.0f);
    }
    void TearDown() override
    {
        for (eZone*& z : eZone::s_pZones)
            z = nullptr;
    }
    void SetUpZone(eZone* pZone, int slot, float worldX)
    {
        pZone->m_localToWorld.MakeIdentity();
        pZone->m_localToWorld.origin.Set(worldX, 0.0f, 0.0f);
        pZone->m_volume.minCorner.Set(-50.0f, -50.0f, -50.0f);
        pZone->m_volume.maxCorner.Set(50.0f, 50.0f, 50.0f);
        eOctree tree;
        tree.m_fSize = 100.0f;
        tree.m_fLooseScale = 2.0f;
        tree.m_nLevels = 4;
        tree.m_volume = pZone->m_volume;
        ASSERT_TRUE(pZone->CreateVisOctree(tree, &m_pool));
        ASSERT_TRUE(pZone->CreateColOctree(tree, &m_pool));
        pZone->m_nZoneIndex = slot;
        eZone::s_pZones[slot] = pZone;
    }

    cMemPool m_pool{"worldZones", 0x100000, false};
    eZone m_a;
    eZone m_b;
};
