#include "gcGameCore/script/gcDesiredEntity.h"

#include <gtest/gtest.h>

#include "../actions/creatureCommandTest.h"
#include "gcGameCore/creatures/gcPlayer.h"

namespace {

class gcDesiredEntityTest : public CreatureCommandTest {
protected:
    void TearDown() override
    {
        gcPlayer::Get()->m_pEntity = nullptr;
        gcPlayer::Get()->m_pInteractTarget = nullptr;
        CreatureCommandTest::TearDown();
    }
};

// The initiator is a creature whose target is frozen, participant 1 a
// plain entity; each has one neighbour, which leads their group; the
// player is a creature holding that frozen target too.
TEST_F(gcDesiredEntityTest, SelectorsResolveAgainstTheEvent)
{
    gcRecordingCreature* pPlayer = Recorder();
    gcRecordingCreature* pFrozen = Recorder();
    gcTestEntity* pNeighbor = NewEntity(nullptr);
    gcTestEntity* pInteract = NewEntity(nullptr);
    pFrozen->m_nEntityFlags = gcEntity::kFrozen;
    m_pCreature->m_pTarget = pFrozen;
    pPlayer->m_pTarget = pFrozen;
    gcPlayer::Get()->m_pEntity = pPlayer;
    gcPlayer::Get()->m_pInteractTarget = pInteract;
    const gcEntityHandle hNeighbor = gcEntityMgr::Add(5, pNeighbor, 0x55);
    m_pPlain->m_hNeighbors[1] = hNeighbor;
    m_pCreature->m_hNeighbors[0] = hNeighbor;
    pNeighbor->m_nEntityFlags = gcEntity::kGroupLeader;
    m_params.pParticipant1 = m_pPlain;
    m_params.pParticipant2 = m_pCreature;

    const struct {
        int32_t selector;
        const gcEntity* expected;
    } rows[] = {
        {gcDesiredEntity::PLAYER, pPlayer},
        {gcDesiredEntity::INITIATOR, m_pCreature},
        {gcDesiredEntity::PARTICIPANT1, m_pPlain},
        {gcDesiredEntity::PARTICIPANT2, m_pCreature},
        {gcDesiredEntity::SPECIFIC, pNeighbor},
        {gcDesiredEntity::INITIATOR_LEADER, pNeighbor},
        {gcDesiredEntity::INITIATOR_NEIGHBOR1, pNeighbor},
        {gcDesiredEntity::INITIATOR_NEIGHBOR2, nullptr},
        {gcDesiredEntity::PARTICIPANT1_LEADER, pNeighbor},
        {gcDesiredEntity::PARTICIPANT1_NEIGHBOR1, nullptr},
        {gcDesiredEntity::PARTICIPANT1_NEIGHBOR2, pNeighbor},
        {gcDesiredEntity::PLAYER_INTERACT_TARGET, pInteract},
        {gcDesiredEntity::PLAYER_TARGET, pFrozen},  // the player's is kept while frozen
        {gcDesiredEntity::INITATOR_TARGET, nullptr},
        {gcDesiredEntity::PARTICIPANT1_TARGET, nullptr},  // no creature
        {16, nullptr},
        {-1, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.selector);
        gcDesiredEntity d = gcDesiredEntity::Selecting(row.selector);
        d.hSpecificEntity = hNeighbor;
        EXPECT_EQ(d.GetEntity(m_params, nullptr, false), row.expected);
    }
    pFrozen->m_nEntityFlags = 0;
    EXPECT_EQ(gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT2_TARGET).GetEntity(m_params, nullptr, true),
              pFrozen);
    // Strict resolution needs the type (any entity when none is given).
    const gcDesiredEntity plain = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);
    EXPECT_EQ(gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR).GetEntityAs<gcCreature>(m_params), m_pCreature);
    EXPECT_EQ(plain.GetEntityAs<gcCreature>(m_params), nullptr);
    EXPECT_EQ(plain.GetEntity(m_params, gcCreature::GetStaticType(), false), m_pPlain);
    EXPECT_EQ(plain.GetEntity(m_params, nullptr, true), m_pPlain);
}

// Strictly, the object a selector goes through must be of the type as well:
// a plain entity has no creature leader or neighbour, though its leader is
// a creature.
TEST_F(gcDesiredEntityTest, StrictLookupsCastTheObjectsTheyGoThrough)
{
    gcRecordingCreature* pLeader = Recorder();
    pLeader->m_nEntityFlags = gcEntity::kGroupLeader;
    const gcEntityHandle hLeader = gcEntityMgr::Add(5, pLeader, 0x55);
    m_pPlain->m_hNeighbors[0] = hLeader;
    m_pCreature->m_hNeighbors[0] = hLeader;
    const struct {
        const char* name;
        int32_t selector;
        gcEntity* pInitiator;
        bool bStrict;
        const gcEntity* expected;
    } rows[] = {
        {"a plain initiator's leader", gcDesiredEntity::INITIATOR_LEADER, m_pPlain, true, nullptr},
        {"a plain initiator's neighbour", gcDesiredEntity::INITIATOR_NEIGHBOR1, m_pPlain, true, nullptr},
        {"a plain first participant's leader", gcDesiredEntity::PARTICIPANT1_LEADER, m_pCreature, true, nullptr},
        {"a creature initiator's leader", gcDesiredEntity::INITIATOR_LEADER, m_pCreature, true, pLeader},
        {"not strict: any entity goes through", gcDesiredEntity::INITIATOR_LEADER, m_pPlain, false, pLeader},
    };
    m_params.pParticipant1 = m_pPlain;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_params.pInitiator = row.pInitiator;
        const gcDesiredEntity d = gcDesiredEntity::Selecting(row.selector);
        EXPECT_EQ(d.GetEntity(m_params, gcCreature::GetStaticType(), row.bStrict), row.expected);
    }
}

}  // namespace
