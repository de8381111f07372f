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

TEST_F(gcEntityReadTest, FlagBooleansSetAndClearTheirBits)
{
    datagen::EntityDesc d = Desc();
    d.active = false;
    d.invulnerable = false;
    d.keptAfterDeath = false;
    gcTestEntity* e = NewEntity(nullptr);
    e->m_nEntityFlags = E::kInvulnerable | E::kKeptAfterDeath;
    ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityBlock(w, d, 19); }, e));
    EXPECT_EQ(e->m_nEntityFlags, E::kDeactivated);  // the file's false clears 0x20, true clears 0x100
    d.keptAfterDeath = true;
    ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityBlock(w, d, 19); }, e));
    EXPECT_EQ(e->m_nEntityFlags, E::kDeactivated | E::kKeptAfterDeath);
}

TEST_F(gcEntityReadTest, SurplusPathsAndMultipliersAreSkipped)
{
    gcTestLogCapture log;
    datagen::EntityDesc d = Desc();
    d.pathCount = 3;
    d.paths = {0x1, 0x2, 0x3};
    d.statModCount = 6;
    d.statMods = {0.5f, 2, 1, 0.25f, 9, 9};
    gcTestEntity* e = NewEntity(nullptr);
    ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityBlock(w, d, 19); }, e));
    EXPECT_EQ(e->m_hPaths[1].m_nValue, 0x2u);
    EXPECT_EQ(e->m_nActivationMask, 0x8u);  // after the surplus path
    EXPECT_EQ(e->m_fEntityStatsMod[3], 0.25f);
    EXPECT_EQ(Tags(e->onDeath), std::vector<int32_t>{24});
    d.pathCount = -1;
    d.paths.clear();
    d.statModCount = -4;
    d.statMods.clear();
    ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityBlock(w, d, 19); }, e));
    EXPECT_EQ(e->m_hPaths[1].m_nValue, 0u);
    EXPECT_EQ(e->m_fEntityStatsMod[3], 0.25f);  // none read
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "path count 3"), 1);
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

TEST_F(gcEntityReadTest, ConstructionAndCopy)
{
    gcTestEntity* e = NewEntity(nullptr);
    EXPECT_EQ(e->m_nEntityFlags, 0x43);
    EXPECT_EQ(e->m_nMode, 1);
    EXPECT_EQ(e->m_nEntityInitialState, 31);
    EXPECT_EQ(e->m_team, -1);
    EXPECT_EQ(e->m_entityTimeSince[E::TIMESINCE_INTERACTED].m_nTicks, 0x7FFFFFFF);
    EXPECT_STREQ(e->onCanInteract.sName, "CanInteract");
    ASSERT_TRUE(ReadBlock([](datagen::BlockWriter& w) { datagen::EntityBlock(w, Desc(), 19); }, e));
    e->m_team = 1;
    e->m_entityTimeSince[0] = cTimeValue(5);
    gcEntityMgr::Add(7, e, 0x31);
    auto* c = static_cast<gcTestEntity*>(e->Copy(&m_pool));
    ASSERT_NE(c, nullptr);
    m_entities.push_back(c);
    EXPECT_EQ(c->m_handle.m_nValue, 0u);
    EXPECT_EQ(c->m_team, -1);
    EXPECT_EQ(c->m_hNeighbors[0].m_nValue, 0u);
    EXPECT_EQ(c->m_entityTimeSince[0].m_nTicks, 0x7FFFFFFF);
    EXPECT_EQ(c->m_hTemplate, e->m_hTemplate);
    EXPECT_EQ(c->m_hPaths[1], e->m_hPaths[1]);
    EXPECT_EQ(c->m_fEntityStatsMod[0], 0.5f);
    EXPECT_EQ(c->m_nEntityFlags, e->m_nEntityFlags);
    EXPECT_EQ(c->m_model.m_localToParent.origin.z, 3.0f);
    EXPECT_EQ(Tags(c->onFaded), std::vector<int32_t>{23});
    EXPECT_STREQ(E::GetInitialPathText(E::PATH_INITIAL), "Initial");
    EXPECT_STREQ(E::GetInitialPathText(2), "???");
}

}  // namespace
