#include <gtest/gtest.h>

#include <cstdint>

#include "../actions/creatureCommandTest.h"
#include "gcGameCore/values/gcValCreatureHasTarget.h"
#include "gcGameCore/values/gcValCreatureStat.h"
#include "gcGameCore/values/gcValCreatureState.h"
#include "gcGameCore/values/gcValCreatureStrafeDir.h"
#include "gcGameCore/values/gcValCreatureTimeSince.h"
#include "gcGameCore/values/gcValCreatureValue.h"

namespace {

using gcValCreatureTest = CreatureCommandTest;
using Stat = gcCreatureTemplate::gcCreatureStat;
const gcDesiredEntity kInitiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
const gcDesiredEntity kParticipant1 = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);


// Energy and Endurance keep their current value within 0..maximum; other
// stats take any value.
TEST_F(gcValCreatureTest, StatAssignmentsClampStatsWithAMaximum)
{
    const struct {
        const char* name;
        int32_t stat;
        bool bMax;
        float set, expMax, expCur;  // from maximum 100, current 50
    } rows[] = {
        {"energy within range", Stat::STAT_ENERGY, false, 70.0f, 100.0f, 70.0f},
        {"energy below 0 gives 0", Stat::STAT_ENERGY, false, -5.0f, 100.0f, 0.0f},
        {"energy past its maximum gives the maximum", Stat::STAT_ENDURANCE, false, 150.0f, 100.0f, 100.0f},
        {"a maximum below the current value lowers it", Stat::STAT_ENERGY, true, 30.0f, 30.0f, 30.0f},
        {"a maximum above keeps it", Stat::STAT_ENERGY, true, 80.0f, 80.0f, 50.0f},
        {"a negative maximum", Stat::STAT_ENDURANCE, true, -10.0f, -10.0f, -10.0f},
        {"a fraction above 0 is kept", Stat::STAT_ENERGY, false, 0.25f, 100.0f, 0.25f},
        {"experience keeps a negative value", Stat::STAT_EXPERIENCE, false, -5.0f, 100.0f, -5.0f},
        {"level past the maximum is kept", Stat::STAT_LEVEL, false, 250.0f, 100.0f, 250.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pCreature->m_fCreatureStatsMax[row.stat] = 100.0f;
        m_pCreature->m_fCreatureStatsCur[row.stat] = 50.0f;
        gcValCreatureStat value(kInitiator, row.stat, row.bMax);
        value.Set(row.set, m_params);
        EXPECT_EQ(m_pCreature->m_fCreatureStatsMax[row.stat], row.expMax);
        EXPECT_EQ(m_pCreature->m_fCreatureStatsCur[row.stat], row.expCur);
        EXPECT_EQ(value.Get(m_params), row.bMax ? row.expMax : row.expCur);
    }
    // A current value at 0 stays there under a negative maximum.
    m_pCreature->m_fCreatureStatsCur[Stat::STAT_ENERGY] = 0.0f;
    gcValCreatureStat(kInitiator, Stat::STAT_ENERGY, true).Set(-10.0f, m_params);
    EXPECT_EQ(m_pCreature->m_fCreatureStatsCur[Stat::STAT_ENERGY], 0.0f);
}

TEST_F(gcValCreatureTest, StatIndicesOutsideTheTableReadZeroAndIgnoreAssignments)
{
    for (float& f : m_pCreature->m_fCreatureStatsCur)
        f = 7.0f;
    for (float& f : m_pCreature->m_fCreatureStatsMax)
        f = 9.0f;
    for (int32_t stat : {-1, 9, 1000}) {
        SCOPED_TRACE(stat);
        for (bool bMax : {false, true}) {
            gcValCreatureStat value(kInitiator, stat, bMax);
            value.Set(3.0f, m_params);
            EXPECT_EQ(value.Get(m_params), 0.0f);
        }
    }
    for (int i = 0; i < gcCreature::kNumStats; ++i) {
        EXPECT_EQ(m_pCreature->m_fCreatureStatsCur[i], 7.0f);
        EXPECT_EQ(m_pCreature->m_fCreatureStatsMax[i], 9.0f);
    }
    EXPECT_EQ(gcValCreatureTimeSince(kInitiator, 8).Get(m_params), 0.0f);
    EXPECT_EQ(gcValCreatureTimeSince(kInitiator, -1).Get(m_params), 0.0f);
    EXPECT_EQ(gcValCreatureValue(kInitiator, 10).Get(m_params), 0.0f);
    EXPECT_EQ(gcValCreatureValue(kInitiator, -1).Get(m_params), 0.0f);
}

TEST_F(gcValCreatureTest, AStoredMaximumFlagIsKeptOnlyForStatsWithAMaximum)
{
    m_pCreature->m_fCreatureStatsMax[Stat::STAT_LEVEL] = 10.0f;
    m_pCreature->m_fCreatureStatsCur[Stat::STAT_LEVEL] = 4.0f;
    const uint32_t nMaxesRead = gcValCreatureStat::s_nMaxesRead;
    gcValCreatureStat::s_nMaxesRead = 0;
    const auto* pLevel = Load<gcValCreatureStat>(1, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(Stat::STAT_LEVEL).Int(1);
    });
    // Only a maximum kept is one the data may set.
    EXPECT_EQ(gcValCreatureStat::s_nMaxesRead, 0u);
    const auto* pEnergy = Load<gcValCreatureStat>(1, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(Stat::STAT_ENERGY).Int(5);
    });
    ASSERT_NE(pLevel, nullptr);
    ASSERT_NE(pEnergy, nullptr);
    EXPECT_FALSE(pLevel->bMax);
    EXPECT_EQ(pLevel->Get(m_params), 4.0f);
    EXPECT_TRUE(pEnergy->bMax);
    EXPECT_EQ(gcValCreatureStat::s_nMaxesRead, 1u << Stat::STAT_ENERGY);
    gcValCreatureStat::s_nMaxesRead = nMaxesRead;
}

TEST_F(gcValCreatureTest, HasTargetNeedsAnActiveTargetAndTheNamedOne)
{
    gcRecordingCreature* pTarget = Recorder();
    gcRecordingCreature* pOther = Recorder();
    const struct {
        const char* name;
        gcEntity* pHeld;
        uint16_t targetFlags;
        bool bSpecific;
        gcGameObject* pNamed;  // participant 1
        float expected;
    } rows[] = {
        {"no target", nullptr, 0, false, nullptr, 0.0f},
        {"an active target", pTarget, 0, false, nullptr, 1.0f},
        {"a deactivated target", pTarget, gcEntity::kDeactivated, false, nullptr, 0.0f},
        {"a frozen target", pTarget, gcEntity::kFrozen, false, nullptr, 0.0f},
        {"the named target", pTarget, 0, true, pTarget, 1.0f},
        {"another than the named one", pTarget, 0, true, pOther, 0.0f},
        {"the name resolving to nothing", pTarget, 0, true, nullptr, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pCreature->m_pTarget = row.pHeld;
        pTarget->m_nEntityFlags = row.targetFlags;
        m_params.pParticipant1 = row.pNamed;
        EXPECT_EQ(gcValCreatureHasTarget(kInitiator, row.bSpecific, kParticipant1).Get(m_params), row.expected);
    }
    // A version-1 block names no target and never compares.
    const auto* pOld = Load<gcValCreatureHasTarget>(1, [](datagen::BlockWriter& w) { w.Int(2).Int(0); });
    ASSERT_NE(pOld, nullptr);
    EXPECT_EQ(pOld->desiredCreature.desiredEntity, gcDesiredEntity::PARTICIPANT1);
    EXPECT_FALSE(pOld->bSpecific);
    m_params.pParticipant1 = m_pCreature;
    EXPECT_EQ(pOld->Get(m_params), 1.0f);
}

TEST_F(gcValCreatureTest, StatesAreTheCreaturesOwnAnswers)
{
    // The test creature stands, attacks while an attack runs, and blocks
    // when told to.
    gcCreatureAttack* pAttack = reinterpret_cast<gcCreatureAttack*>(&m_pool);  // only compared with null
    const struct {
        const char* name;
        int32_t state;
        float health;
        uint16_t creatureFlags;
        gcCreatureAttack* pAttack;
        float expected;
    } rows[] = {
        {"alive", gcValCreatureState::STATE_ALIVE, 0.5f, 0, nullptr, 1.0f},
        {"not alive at exactly 0", gcValCreatureState::STATE_ALIVE, 0.0f, 0, nullptr, 0.0f},
        {"enraged by flag 0x20", gcValCreatureState::STATE_ENRAGED, 1.0f, 0x20, nullptr, 1.0f},
        {"not enraged by other flags", gcValCreatureState::STATE_ENRAGED, 1.0f, 0x1F, nullptr, 0.0f},
        {"standing", gcValCreatureState::STATE_STANDING, 1.0f, 0, nullptr, 1.0f},
        {"attacking", gcValCreatureState::STATE_ATTACKING, 1.0f, 0, pAttack, 1.0f},
        {"not attacking", gcValCreatureState::STATE_ATTACKING, 1.0f, 0, nullptr, 0.0f},
        {"walking", gcValCreatureState::STATE_WALKING, 1.0f, 0, nullptr, 0.0f},
        {"outside the table", gcValCreatureState::MAX_STATES, 1.0f, 0x20, nullptr, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] = row.health;
        m_pCreature->m_nCreatureFlags = row.creatureFlags;
        m_pCreature->m_pAttack = row.pAttack;
        EXPECT_EQ(gcValCreatureState(row.state, kInitiator).Get(m_params), row.expected);
    }
    m_pCreature->m_pAttack = nullptr;
}

TEST_F(gcValCreatureTest, StrafeDirectionIsSentAndReadsZero)
{
    gcValCreatureStrafeDir value(kInitiator);
    value.Set(-45.5f, m_params);
    gcSentMsg expected;
    expected.nId = 121;
    expected.fHeading = -45.5f;
    EXPECT_EQ(m_pCreature->m_sent, std::vector<gcSentMsg>{expected});
    EXPECT_EQ(value.Get(m_params), 0.0f);
}

TEST_F(gcValCreatureTest, TimesAreSecondsAndValuesComeFromTheTemplate)
{
    m_pCreature->m_creatureTimeSince[gcCreature::TIMESINCE_ATTACK] = cTimeValue(60);
    m_pCreature->m_creatureTimeSince[gcCreature::TIMESINCE_DODGE] = cTimeValue(900);
    EXPECT_EQ(gcValCreatureTimeSince(kInitiator, gcCreature::TIMESINCE_ATTACK).Get(m_params), 0.1f);
    m_pCreature->m_creatureTimeSince[gcCreature::TIMESINCE_IDLED] = cTimeValue(gcEntity::kNever);
    EXPECT_EQ(gcValCreatureTimeSince(kInitiator, gcCreature::TIMESINCE_DODGE).Get(m_params), 1.5f);
    EXPECT_NEAR(gcValCreatureTimeSince(kInitiator, gcCreature::TIMESINCE_IDLED).Get(m_params), 3579139.4f, 0.5f);
    m_pTemplate->fCreatureValues[gcCreatureTemplate::VAL_TARGETDISTANCE] = 12.5f;
    EXPECT_EQ(gcValCreatureValue(kInitiator, gcCreatureTemplate::VAL_TARGETDISTANCE).Get(m_params), 12.5f);
    m_pTemplate->fCreatureValues[gcCreatureTemplate::VAL_UNUSED] = 2.0f;  // read like any other
    EXPECT_EQ(gcValCreatureValue(kInitiator, gcCreatureTemplate::VAL_UNUSED).Get(m_params), 2.0f);
    m_pCreature->m_hTemplate = gcEntityTemplateHandle();
    EXPECT_EQ(gcValCreatureValue(kInitiator, gcCreatureTemplate::VAL_TARGETDISTANCE).Get(m_params), 0.0f);
}

// Every class reads 0.0 for an entity that is no creature, and the
// assignable ones change and send nothing.
TEST_F(gcValCreatureTest, AnEntityThatIsNoCreatureReadsZero)
{
    m_params.pInitiator = m_pPlain;
    m_pPlain->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] = 5.0f;
    gcValCreatureStat(kInitiator, Stat::STAT_ENERGY, false).Set(3.0f, m_params);
    gcValCreatureStrafeDir(kInitiator).Set(3.0f, m_params);
    EXPECT_TRUE(EntityLog().empty()) << "nothing was sent";
    EXPECT_EQ(gcValCreatureStat(kInitiator, Stat::STAT_ENERGY, false).Get(m_params), 0.0f);
    EXPECT_EQ(gcValCreatureState(gcValCreatureState::STATE_ALIVE, kInitiator).Get(m_params), 0.0f);
    EXPECT_EQ(gcValCreatureHasTarget().Get(m_params), 0.0f);
    EXPECT_EQ(gcValCreatureTimeSince().Get(m_params), 0.0f);
    EXPECT_EQ(gcValCreatureValue().Get(m_params), 0.0f);
}

TEST_F(gcValCreatureTest, TextNamesTheCreatureAndTheQuery)
{
    const gcDesiredEntity player = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    EXPECT_EQ(Text(gcValCreatureHasTarget(player, false, kInitiator)), "Player.HasTarget");
    EXPECT_EQ(Text(gcValCreatureHasTarget(player, true, kInitiator)), "Player.HasTarget( Initiator )");
    EXPECT_EQ(Text(gcValCreatureStat(kInitiator, Stat::STAT_ENERGY, true)), "Initiator.MaxEnergy");
    EXPECT_EQ(Text(gcValCreatureStat(kInitiator, Stat::STAT_DAMAGE_ITEM_BONUS, false)), "Initiator.DamageItemBonus");
    EXPECT_EQ(Text(gcValCreatureStat(kInitiator, 9, false)), "Initiator.???");
    EXPECT_EQ(Text(gcValCreatureState(gcValCreatureState::STATE_IDLING, kInitiator)), "Initiator.IsIdling");
    EXPECT_EQ(Text(gcValCreatureState(gcValCreatureState::STATE_ALIVE, kInitiator)), "Initiator.IsAlive");
    EXPECT_EQ(Text(gcValCreatureState(15, kInitiator)), "Initiator.???");
    EXPECT_EQ(Text(gcValCreatureStrafeDir(kInitiator)), "Initiator.StrafeDir");
    EXPECT_EQ(Text(gcValCreatureTimeSince(kInitiator, gcCreature::TIMESINCE_HITNEIGHBOR)), "Initiator.LastHitNeighbor");
    EXPECT_EQ(Text(gcValCreatureTimeSince(kInitiator, gcCreature::TIMESINCE_ATTACK)), "Initiator.LastAttacked");
    EXPECT_EQ(Text(gcValCreatureTimeSince(kInitiator, 8)), "Initiator.???");
    EXPECT_EQ(Text(gcValCreatureValue(kInitiator, gcCreatureTemplate::VAL_RESISTANCE_BLIND)),
              "Initiator.Blind Resistance");
    EXPECT_EQ(Text(gcValCreatureValue(kInitiator, 0)), "Initiator.???");
}

}  // namespace
