#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "creatureTestFixture.h"
#include "datagen/creatureWriters.h"
#include "datagen/playerWriters.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"

namespace {

using CT = gcCreatureTemplate;

TEST(gcCreatureTemplateTexts, TextsRangesAndMaxima)
{
    EXPECT_STREQ(CT::GetStatText(CT::STAT_AGGRORADIUS), "AggroRadius");
    EXPECT_STREQ(CT::GetValueText(CT::VAL_UNUSED), "???");
    EXPECT_STREQ(CT::GetValueText(CT::VAL_RESISTANCE_BLIND), "Blind Resistance");
    for (int32_t stat = -1; stat <= CT::MAX_STATS; ++stat)
        EXPECT_EQ(CT::StatHasMax(stat), stat == CT::STAT_ENERGY || stat == CT::STAT_ENDURANCE) << stat;
    EXPECT_EQ(CT::GetStatRange(CT::STAT_ENERGY).fStep, 0.001f);
    EXPECT_EQ(CT::GetValueRange(CT::VAL_TARGETDISTANCE).fMin, -100.0f);
    EXPECT_EQ(CT::GetValueRange(CT::MAX_VALUES).fMax, 999.0f);
}

class gcCreatureTemplateTest : public CreatureTest {
protected:
    bool Read(const datagen::CreatureTemplateDesc& d, uint32_t version, gcCreatureTemplate* t)
    {
        return ReadBlock([&](datagen::BlockWriter& w) { datagen::CreatureTemplateBlock(w, d, version); }, t);
    }
};

// Versions 3 and 4 hold TargetDistance alone: every other stat and value
// keeps its default.
TEST_F(gcCreatureTemplateTest, OldVersionsHoldOnlyTheTargetDistance)
{
    datagen::CreatureTemplateDesc d;
    d.stats.assign(9, 7.0f);
    d.values.assign(10, 3.0f);
    d.values[CT::VAL_TARGETDISTANCE] = 12.0f;
    d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, 20 + index); };
    for (uint32_t version : {3u, 4u, 5u}) {
        SCOPED_TRACE(version);
        gcTestCreatureTemplate t;
        ASSERT_TRUE(Read(d, version, &t));
        EXPECT_EQ(t.fCreatureValues[CT::VAL_TARGETDISTANCE], 12.0f);
        EXPECT_EQ(t.fCreatureValues[CT::VAL_ATTACKRANGE_SHORT], version >= 5 ? 3.0f : 0.8f);
        EXPECT_EQ(t.fCreatureStatsMax[CT::STAT_ENDURANCE], version >= 5 ? 7.0f : 100.0f);
        EXPECT_EQ(t.onTargetLost.HasActions(), version >= 4);
        EXPECT_EQ(t.calcDamage.HasActions(), version >= 5);
    }
}

// Attacks resolve their helper names to the nodes of the template's mesh;
// empty names, unknown names and a template without mesh give -1. An empty
// slot stays empty, and so does anything outside the table.
TEST_F(gcCreatureTemplateTest, HelpersResolveToMeshNodes)
{
    ASSERT_NE(PlaceMesh(m_data, &m_pool, 5, FigureDesc()), nullptr);
    datagen::CreatureTemplateDesc d;
    datagen::CreatureAttackDesc a;
    a.helpers[0] = "leftLeg";
    datagen::CreatureAttackDesc b;
    b.helpers[0] = "tail";
    b.helpers[1] = "hips";
    d.attacks = {a, std::nullopt, b};
    for (bool bMesh : {true, false}) {
        SCOPED_TRACE(bMesh);
        d.base.hMesh = bMesh ? eMeshMgr::GetHandle(5).m_nValue : 0;
        gcTestCreatureTemplate t;
        ASSERT_TRUE(Read(d, CT::kVersion, &t));
        ASSERT_NE(t.GetAttack(0), nullptr);
        ASSERT_NE(t.GetAttack(2), nullptr);
        EXPECT_EQ(t.GetAttack(1), nullptr);
        EXPECT_EQ(t.GetAttack(CT::kMaxAttacks), nullptr);
        EXPECT_EQ(t.GetAttack(-1), nullptr);
        EXPECT_EQ(t.GetAttack(0)->nHelperId[0], bMesh ? 2 : -1);
        EXPECT_EQ(t.GetAttack(0)->nHelperId[1], -1);
        EXPECT_EQ(t.GetAttack(2)->nHelperId[0], -1);
        EXPECT_EQ(t.GetAttack(2)->nHelperId[1], bMesh ? 1 : -1);
    }
}

// Counts beyond the tables are read up to them and the rest skipped, so
// what follows is still read in its place; negative counts read nothing.
TEST_F(gcCreatureTemplateTest, CountsBeyondTheTablesAreSkipped)
{
    struct Row {
        const char* name;
        int32_t nAttacks, nStats, nValues;
        bool bRead;  // a negative count is never written: the file fails
    } rows[] = {
        {"one over each", 33, 10, 11, true},
        {"negative attacks", -1, 9, 10, false},
        {"negative stats", 32, -1, 10, false},
        {"negative values", 32, 9, -1, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestLogCapture quiet;
        datagen::CreatureTemplateDesc d;
        d.attackCount = r.nAttacks;
        d.attacks.resize(33);
        d.attacks[0] = datagen::CreatureAttackDesc();
        d.attacks[32] = datagen::CreatureAttackDesc();
        d.statCount = r.nStats;
        d.stats.assign(std::max(r.nStats, 0), 5.0f);
        d.valueCount = r.nValues;
        d.values.assign(std::max(r.nValues, 0), 6.0f);
        d.hitEffect = 0x00C80003;
        d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, 20 + index); };
        gcTestCreatureTemplate t;
        ASSERT_EQ(Read(d, CT::kVersion, &t), r.bRead);
        if (!r.bRead) {
            EXPECT_EQ(quiet.Count(LOGTYPE_ERROR, "count not accepted"), 1);
            continue;
        }
        EXPECT_EQ(t.GetAttack(0) != nullptr, r.nAttacks > 0);
        EXPECT_EQ(t.fCreatureStatsMax[CT::STAT_AGGRORADIUS], r.nStats > 0 ? 5.0f : 1.0f);
        EXPECT_EQ(t.fCreatureValues[CT::VAL_TARGETDISTANCE], r.nValues > 0 ? 6.0f : -1.0f);
        EXPECT_TRUE(t.onEnraged.HasActions());
        EXPECT_EQ(t.hAttackHitEffect.m_nValue, 0x00C80003u);
    }
}

// A non-player character's template: configurations beyond 33 are
// skipped; version 3 ends after them. It creates the class registered
// under the character's id, none in this build.
TEST_F(gcCreatureTemplateTest, NPCTemplatesReadTheirConfigurationsAndEvents)
{
    for (uint32_t version : {3u, 5u}) {
        SCOPED_TRACE(version);
        gcTestLogCapture quiet;
        datagen::NPCTemplateDesc d;
        d.configCount = 34;
        d.configs.resize(34);
        d.configs[gcNPCTemplate::ANIM_IDLE_1 + 5].hAnimation = 0x00030005;
        d.configs[33].hAnimation = 0x00030006;
        d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, 30 + index); };
        gcNPCTemplate t;
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::NPCTemplateBlock(w, d, version); }, &t));
        EXPECT_EQ(t.animationConfigs[gcNPCTemplate::MAX_ANIMATIONS - 1].hAnimation.m_nValue, 0x00030005u);
        EXPECT_EQ(t.onHitBoundary.HasActions(), version >= 4);
        EXPECT_EQ(t.onHitNeighbor.HasActions(), version >= 5);
        EXPECT_EQ(t.GetEntityType(), gcNPC::GetStaticType());
    }
    gcNPCTemplate t;
    datagen::NPCTemplateDesc d;
    EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::NPCTemplateBlock(w, d, 2); }, &t));
}

// A template that fails in its creature part, or in the part of its own
// class after it, changes nothing: not the entity template part (name,
// team, stats), nor the creature part, nor its own.
TEST_F(gcCreatureTemplateTest, ATemplateFailingInAnyPartChangesNothing)
{
    datagen::CreatureTemplateDesc sound;
    sound.base.name = "after";
    sound.base.team = gcEntityTemplate::TEAM_FRIENDLY;
    sound.base.stats = {5, 0, 1, 1};
    sound.attacks = {datagen::CreatureAttackDesc()};
    sound.values[CT::VAL_TARGETDISTANCE] = 7.0f;
    datagen::CreatureTemplateDesc damaged = sound;
    damaged.damagedEvent = 2;
    std::vector<datagen::AnimationConfigDesc> configs(4);
    configs[0].hAnimation = 0x00700000;
    configs[3].damagedEvent = 1;
    using Block = std::function<void(datagen::BlockWriter&)>;
    struct Row {
        const char* name;
        std::function<CT*()> make;
        Block block;
    } rows[] = {
        {"creature: its CalcDamage", [] { return new gcTestCreatureTemplate; },
         [&](datagen::BlockWriter& w) { datagen::CreatureTemplateBlock(w, damaged, CT::kVersion); }},
        {"NPC: its creature part", [] { return new gcNPCTemplate; },
         [&](datagen::BlockWriter& w) {
             datagen::NPCTemplateDesc d;
             d.creature = damaged;
             datagen::NPCTemplateBlock(w, d, gcNPCTemplate::kVersion);
         }},
        {"NPC: a configuration", [] { return new gcNPCTemplate; },
         [&](datagen::BlockWriter& w) {
             datagen::NPCTemplateDesc d;
             d.creature = sound;
             d.configs = configs;
             datagen::NPCTemplateBlock(w, d, gcNPCTemplate::kVersion);
         }},
        {"NPC: its OnHitNeighbor", [] { return new gcNPCTemplate; },
         [&](datagen::BlockWriter& w) {
             datagen::NPCTemplateDesc d;
             d.creature = sound;
             d.damagedEvent = 1;
             datagen::NPCTemplateBlock(w, d, gcNPCTemplate::kVersion);
         }},
        {"biped: a configuration", [] { return new gcPlayerBipedTemplate; },
         [&](datagen::BlockWriter& w) {
             datagen::PlayerBipedTemplateDesc d;
             d.creature = sound;
             d.configs = configs;
             d.collisionMask = 0xA5;
             datagen::PlayerBipedTemplateBlock(w, d, gcPlayerBipedTemplate::kVersion);
         }},
        {"flyer: a configuration", [] { return new gcPlayerFlyingTemplate; },
         [&](datagen::BlockWriter& w) {
             datagen::PlayerFlyingTemplateDesc d;
             d.creature = sound;
             d.configs = configs;
             d.shiftTicks = {10, 20, 30};
             datagen::PlayerFlyingTemplateBlock(w, d, gcPlayerFlyingTemplate::kVersion);
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestLogCapture quiet;
        std::unique_ptr<CT> t(r.make());
        t->m_name.Set("before");
        EXPECT_FALSE(ReadBlock(r.block, t.get()));
        EXPECT_STREQ(t->m_name.m_sData, "before");
        EXPECT_EQ(t->team, gcEntityTemplate::TEAM_UNFRIENDLY);
        EXPECT_EQ(t->fEntityStatsMax[gcEntityTemplate::STAT_HEALTH], 100.0f);
        EXPECT_EQ(t->GetAttack(0), nullptr);
        EXPECT_EQ(t->fCreatureValues[CT::VAL_TARGETDISTANCE], -1.0f);
        if (auto* p = dcast<gcNPCTemplate>(t.get())) {
            EXPECT_EQ(p->animationConfigs[0].hAnimation.m_nValue, 0u);
        }
        if (auto* p = dcast<gcPlayerBipedTemplate>(t.get())) {
            EXPECT_EQ(p->nCollisionMask, 0u);
        }
        if (auto* p = dcast<gcPlayerFlyingTemplate>(t.get())) {
            EXPECT_EQ(p->timesToShift[0].m_nTicks, 2100);
        }
        EXPECT_EQ(quiet.Count(LOGTYPE_ERROR, ""), 1) << "the damaged file's one error";
    }
}

}  // namespace
