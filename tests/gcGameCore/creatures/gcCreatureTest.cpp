#include <gtest/gtest.h>

#include "creatureTestFixture.h"
#include "datagen/creatureWriters.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"

namespace {

using C = gcCreature;
using CT = gcCreatureTemplate;

// Stats are the template's maxima times the multipliers; a new creature's
// multipliers are 1 but the aggro radius's 10, and its counters never run.
TEST_F(CreatureTest, StatsAreTemplateMaximaTimesMultipliers)
{
    gcTestCreatureTemplate* t = PlaceCreatureTemplate();
    t->fCreatureStatsMax[CT::STAT_ENERGY] = 4.0f;
    t->fCreatureStatsMax[CT::STAT_EXPERIENCE] = 3.0f;
    gcTestCreature* c = PlacedCreature(t, {0, 0, 0});
    EXPECT_EQ(c->GetCreatureStat(CT::STAT_EXPERIENCE), 3.0f);
    EXPECT_EQ(c->GetCreatureStat(-1), 0.0f);
    for (const cTimeValue& tv : c->m_creatureTimeSince)
        EXPECT_EQ(tv.m_nTicks, C::kNever);
    EXPECT_EQ(c->m_fCreatureStatsMax[CT::STAT_AGGRORADIUS], 10.0f);
    EXPECT_EQ(c->m_fCreatureStatsCur[CT::STAT_ENDURANCE], 100.0f);
    c->m_fCreatureStatsMod[CT::STAT_ENERGY] = 2.5f;
    c->ResetStats();
    EXPECT_EQ(c->m_fCreatureStatsMax[CT::STAT_ENERGY], 10.0f);
    EXPECT_EQ(c->GetCreatureStat(CT::STAT_ENERGY), 10.0f);
    EXPECT_EQ(c->GetStat(gcEntityTemplate::STAT_HEALTH), 100.0f);  // the entity's stats too
    // A copy keeps the multipliers only.
    c->m_creatureTimeSince[0] = cTimeValue(5);
    gcTestCreature copy(*c);
    EXPECT_EQ(copy.m_fCreatureStatsMod[CT::STAT_ENERGY], 2.5f);
    EXPECT_EQ(copy.m_fCreatureStatsMax[CT::STAT_ENERGY], 0.0f);
    EXPECT_EQ(copy.m_creatureTimeSince[0].m_nTicks, C::kNever);
}

// Item modifiers move the maximum of Energy and Endurance and keep the
// current value under it; other stats move their current value.
TEST_F(CreatureTest, AddingToAStatMovesTheMaximumOnlyWhereThereIsOne)
{
    struct Row {
        const char* name;
        int32_t stat;
        float fAdd;
        float fMax, fCur;
    } rows[] = {
        {"energy grows", CT::STAT_ENERGY, 5.0f, 15.0f, 8.0f},
        {"energy shrinks under the current value", CT::STAT_ENDURANCE, -4.0f, 6.0f, 6.0f},
        {"below zero", CT::STAT_ENERGY, -12.0f, -2.0f, 0.0f},
        {"level has no maximum", CT::STAT_LEVEL, 5.0f, 10.0f, 13.0f},
        {"outside the stats", CT::MAX_STATS, 5.0f, 0.0f, 0.0f},
    };
    gcTestCreature c;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::fill_n(c.m_fCreatureStatsMax, C::kNumStats, 10.0f);
        std::fill_n(c.m_fCreatureStatsCur, C::kNumStats, 8.0f);
        c.AddToCreatureStat(r.stat, r.fAdd);
        if (r.stat == CT::MAX_STATS)
            continue;
        EXPECT_EQ(c.m_fCreatureStatsMax[r.stat], r.fMax);
        EXPECT_EQ(c.m_fCreatureStatsCur[r.stat], r.fCur);
    }
}

// An item's creature modifier reaches a carrier that is a creature: while
// equipped its energy maximum is 5 higher.
TEST_F(CreatureTest, ItemsModifyTheStatsOfCreaturesThatCarryThem)
{
    gcTestCreature* c = PlacedCreature(PlaceCreatureTemplate(), {0, 0, 0});
    gcItemTemplate* t = m_pool.New<gcItemTemplate>();
    gcItemTemplateMgr::Add(5, t, 0x31);
    t->m_nMaxCount = 1;
    t->m_statModifiers[0] = {gcItemStatModifier::MOD_EQUIP, gcItemStatModifier::MOD_CREATURE, CT::STAT_ENERGY, 5.0f};
    t->SetMaxInstances(1, &m_pool);
    t->ResetInstances();
    gcItem* item = t->GetInstance();
    ASSERT_NE(item, nullptr);
    const float fMax = c->m_fCreatureStatsMax[CT::STAT_ENERGY];
    c->AddItem(item, 1);
    item->Equip();
    EXPECT_EQ(c->m_fCreatureStatsMax[CT::STAT_ENERGY], fMax + 5.0f);
    item->Detach();
    EXPECT_EQ(c->m_fCreatureStatsMax[CT::STAT_ENERGY], fMax);
    gcItemTemplateMgr::Remove(5);
}

TEST_F(CreatureTest, CountersAdvanceAndStopAtTheLargestCount)
{
    struct Row {
        const char* name;
        int32_t nStart, nStep, nAfter;
    } rows[] = {
        {"running", 100, 20, 120},
        {"never stays never", C::kNever, 20, C::kNever},
        {"past the largest count", C::kNever - 10, 20, C::kNever},
        {"up to the largest count", C::kNever - 20, 20, C::kNever},
        {"below zero", 5, -10, C::kNever},
    };
    gcTestCreature c;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        c.m_creatureTimeSince[C::TIMESINCE_IDLED] = cTimeValue(r.nStart);
        c.m_entityTimeSince[gcEntity::TIMESINCE_INTERACTED] = cTimeValue(r.nStart);
        c.HandleTimeSince(cTimeValue(r.nStep));
        EXPECT_EQ(c.m_creatureTimeSince[C::TIMESINCE_IDLED].m_nTicks, r.nAfter);
        EXPECT_EQ(c.m_entityTimeSince[gcEntity::TIMESINCE_INTERACTED].m_nTicks, r.nAfter);
    }
}

// Sixteen creatures are enabled; the seventeenth stays out of the world
// until one leaves, and then takes the freed slot. Enabling twice takes one
// slot; a destroyed creature frees its own.
TEST_F(CreatureTest, SixteenCreaturesAreActiveAtMost)
{
    gcTestCreatureTemplate* t = PlaceCreatureTemplate();
    std::vector<gcTestCreature*> cs;
    for (int i = 0; i < C::kMaxActive + 1; ++i)
        cs.push_back(PlacedCreature(t, {static_cast<float>(i), 0, 0}));
    for (int i = 0; i < C::kMaxActive; ++i)
        ASSERT_TRUE(cs[i]->Enable());
    EXPECT_TRUE(cs[0]->Enable());
    EXPECT_EQ(C::s_nActiveCreatures, C::kMaxActive);
    EXPECT_FALSE(cs[16]->Enable());
    EXPECT_EQ(cs[16]->m_model.m_pZone, nullptr);
    cs[3]->Disable();
    EXPECT_EQ(C::s_pActiveCreatures[3], nullptr);
    EXPECT_EQ(cs[3]->m_model.m_pZone, nullptr);
    ASSERT_TRUE(cs[16]->Enable());
    EXPECT_EQ(C::s_pActiveCreatures[3], cs[16]);
    EXPECT_EQ(cs[16]->m_model.m_pZone, &m_a);
    // Out of the table again when the entity cannot be enabled.
    cs[3]->m_nRegionId = 7;
    cs[16]->Disable();
    EXPECT_FALSE(cs[3]->Enable());
    EXPECT_EQ(C::s_nActiveCreatures, C::kMaxActive - 1);
    C::RemoveFromActiveList(nullptr);
    EXPECT_EQ(C::s_nActiveCreatures, C::kMaxActive - 1);
    std::destroy_at(cs[5]);
    std::erase(m_entities, cs[5]);
    EXPECT_EQ(C::s_pActiveCreatures[5], nullptr);
    EXPECT_EQ(C::s_nActiveCreatures, C::kMaxActive - 2);
}

// Version 1 holds no multipliers; more than nine are read up to nine.
TEST_F(CreatureTest, MultipliersAreReadUpToNine)
{
    struct Row {
        const char* name;
        uint32_t version;
        int32_t count;
        std::vector<float> mods;
        float fFirst, fAggro;
    } rows[] = {
        {"version 1", 1, 9, {}, 1.0f, 10.0f},
        {"eleven", 2, 11, {2, 1, 1, 1, 1, 1, 1, 1, 3, 4, 5}, 2.0f, 3.0f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestLogCapture quiet;
        gcTestCreature c;
        datagen::CreatureDesc d;
        d.modCount = r.count;
        d.mods = r.mods;
        d.entity.name = "Grunt";
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::CreatureBlock(w, d, r.version); }, &c));
        EXPECT_EQ(c.m_fCreatureStatsMod[0], r.fFirst);
        EXPECT_EQ(c.m_fCreatureStatsMod[CT::STAT_AGGRORADIUS], r.fAggro);
        EXPECT_EQ(c.m_name, "Grunt");
    }
    // No writer writes a negative count: the file fails with one error.
    gcTestLogCapture log;
    gcTestCreature c;
    datagen::CreatureDesc d;
    d.modCount = -1;
    EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::CreatureBlock(w, d, 2); }, &c));
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcCreature: stat multiplier count not accepted"), 1);
}

}  // namespace
