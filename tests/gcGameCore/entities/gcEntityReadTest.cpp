#include "gcGameCore/entities/gcEntity.h"

#include <gtest/gtest.h>

#include "entityTestObjects.h"

namespace {

using gcEntityReadTest = EntityTest;
using E = gcEntity;

datagen::EntityDesc Desc()
{
    datagen::EntityDesc d;
    d.name = "Barrel";
    d.hTemplate = 0x00770003;
    d.regionId = 4;
    d.skin = 2;
    d.neighbors[0] = 0x00120001;
    d.neighbors[1] = 0x00130002;
    d.paths = {0x00500001, 0x00510002};
    d.active = true;
    d.invulnerable = true;
    d.keptAfterDeath = true;
    const float placement[12] = {1, 2, 3, 0, 1, 0, -1, 0, 0, 0, 0, 1};
    std::copy_n(placement, 12, d.placement);
    d.activationMask = 0x8;
    d.mode = 6;
    d.initialState = 4;
    d.statMods = {0.5f, 2, 1, 0.25f};
    d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, 20 + index); };
    return d;
}

std::vector<int32_t> Tags(const gcEvent& e)
{
    TestLog().clear();
    e.Apply(gcEventParams(), gcEventStackData());
    return TestLogTags();
}

TEST_F(gcEntityReadTest, EachVersionReadsTheFieldsItHolds)
{
    using V = std::vector<int32_t>;
    for (uint32_t v = 5; v <= 19; ++v) {
        SCOPED_TRACE(v);
        gcTestEntity* e = NewEntity(nullptr);
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityBlock(w, Desc(), v); }, e));
        EXPECT_STREQ(e->m_name.m_sData, "Barrel");
        EXPECT_EQ(e->m_hTemplate.m_nValue, 0x00770003u);
        EXPECT_EQ(e->m_nRegionId, 4);
        EXPECT_EQ(e->m_nMaterialSkin, 2);
        EXPECT_EQ(e->m_hNeighbors[1].m_nValue, v >= 9 ? 0x00130002u : 0u);
        EXPECT_EQ(e->m_hPaths[E::PATH_PATROL].m_nValue, v >= 11 ? 0x00500001u : 0u);  // 11-13: the one path
        EXPECT_EQ(e->m_hPaths[E::PATH_INITIAL].m_nValue, v >= 14 ? 0x00510002u : 0u);
        uint16_t flags = E::kFrozen | E::kInitialUpdatePending;  // active: 0x1 cleared
        flags |= v >= 10 ? E::kInvulnerable : 0;
        flags |= v >= 19 ? E::kKeptAfterDeath : 0;
        EXPECT_EQ(e->m_nEntityFlags, flags);
        EXPECT_EQ(e->m_model.m_localToParent.origin.y, 2.0f);
        EXPECT_EQ(e->m_model.m_localToParent.basis.forward.x, -1.0f);
        EXPECT_TRUE(e->m_model.m_nGeomFlags & eGeom::kDirty);
        EXPECT_EQ(e->m_nActivationMask, v >= 6 ? 0x8u : 0u);
        EXPECT_EQ(e->m_nMode, v >= 7 ? 6 : 1);
        EXPECT_EQ(e->m_nEntityInitialState, v >= 15 ? 4 : 31);
        EXPECT_EQ(e->m_fEntityStatsMod[3], v >= 16 ? 0.25f : 1.0f);
        EXPECT_EQ(Tags(e->onInteract), v >= 8 ? V{20} : V{});
        EXPECT_EQ(Tags(e->onCanInteract), v >= 12 ? V{21} : V{});
        EXPECT_EQ(Tags(e->onInitialUpdate), v >= 17 ? V{22} : V{});
        EXPECT_EQ(Tags(e->onFaded), v >= 13 ? V{23} : V{});
        EXPECT_EQ(Tags(e->onDeath), v >= 18 ? V{24} : V{});
    }
}

TEST_F(gcEntityReadTest, RoundTripFreshEntityAndDamagedBlocks)
{
    gcTestEntity* fresh = NewEntity(nullptr);
    ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("f.dat"), *fresh));
    gcTestEntity* e = NewEntity(nullptr);
    ASSERT_TRUE(ReadBlock([](datagen::BlockWriter& w) { datagen::EntityBlock(w, datagen::EntityDesc(), 19); }, e));
    EXPECT_EQ(e->m_nEntityFlags, E::kNewFlags);  // the fresh entity stored "not active"
    datagen::EntityDesc d = Desc();
    ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityBlock(w, d, 19); }, e));
    ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("e.dat"), *e));
    const std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("e.dat"));
    EXPECT_EQ(bytes, ReadHostFile(m_data.HostPath("o.dat")));
    ExpectCutsFail(bytes, gcTestEntity::GetStaticType());

    gcTestLogCapture log;
    datagen::EntityDesc damaged;
    damaged.damagedEvent = 3;  // OnFaded refused: the whole block is
    for (uint32_t v : {4u, 20u, 19u}) {
        EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityBlock(w, damaged, v); }, e));
        EXPECT_STREQ(e->m_name.m_sData, "Barrel");
        EXPECT_EQ(e->m_nRegionId, 4);
        EXPECT_EQ(e->m_model.m_localToParent.origin.x, 1.0f);
        EXPECT_TRUE(e->onDeath.HasActions());
    }
}

}  // namespace
