#include "gcGameCore/actions/gcDoCreatureAction.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "creatureCommandTest.h"
#include "datagen/creatureScriptWriters.h"
#include "gcGameCore/actions/gcDoCreatureAttack.h"
#include "gcGameCore/actions/gcDoCreatureSetTarget.h"
#include "gcGameCore/actions/gcDoNPCAction.h"
#include "eEngine/eInput.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/script/gcStateMachine.h"

namespace {

const gcDesiredEntity kInitiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);

gcSentMsg Msg(int32_t id)
{
    gcSentMsg m;
    m.nId = id;
    return m;
}

gcSentMsg Idle(int32_t anim)
{
    gcSentMsg m = Msg(MSG_IDLE);
    m.nKind = anim;
    return m;
}

gcSentMsg Attack(int32_t index, bool chain, int32_t branch)
{
    gcSentMsg m = Msg(MSG_ATTACK);
    m.nAttack = index, m.bChain = chain, m.nBranch = branch;
    return m;
}

gcSentMsg Target(int32_t kind, const gcEntity* p)
{
    gcSentMsg m = Msg(MSG_SETTARGET);
    m.nKind = kind, m.pTarget = p;
    return m;
}

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.fConst = f;
    return v;
}

class gcDoCreatureActionTest : public CreatureCommandTest {
protected:
    std::vector<gcSentMsg> Run(const gcAction& action)
    {
        m_pCreature->m_sent.clear();
        action.Apply(m_params);
        return m_pCreature->m_sent;
    }
};

// The target-relative walks run F, B, L, R as types but F 112, L 113, R 114,
// B 115 as messages.
TEST_F(gcDoCreatureActionTest, EachActionTypeSendsItsMessage)
{
    const struct {
        int32_t type;
        std::vector<gcSentMsg> sent;
    } rows[] = {
        {0, {Msg(100)}},  {1, {Msg(101)}},  {2, {Msg(102)}},  {3, {Msg(103)}},  {4, {Msg(110)}},
        {5, {Msg(112)}},  {6, {Msg(115)}},  {7, {Msg(113)}},  {8, {Msg(114)}},  {9, {Msg(108)}},
        {10, {Msg(109)}}, {11, {Msg(111)}}, {12, {}},         {13, {Msg(125)}}, {14, {Idle(0)}},
        {16, {Idle(2)}},  {19, {Idle(5)}},  {20, {Msg(130)}}, {21, {}},         {-1, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        EXPECT_EQ(Run(gcDoCreatureAction(row.type, kInitiator)), row.sent);
    }
}

// The attack number is 1-based; the index sent is number - 1 truncated
// toward zero, held within 16 bits.
TEST_F(gcDoCreatureActionTest, AttacksSendTheIndexTheChainAndTheBranch)
{
    const struct {
        const char* name;
        uint16_t flags;
        int16_t branch;
        float number;
        gcSentMsg sent;
    } rows[] = {
        {"first attack", 0, 0, 1.0f, Attack(0, false, 0)},
        {"2.9 truncates to index 1", 0, 0, 2.9f, Attack(1, false, 0)},
        {"0.5 gives -0.5, truncated to 0", 0, 0, 0.5f, Attack(0, false, 0)},
        {"0 gives -1", 0, 0, 0.0f, Attack(-1, false, 0)},
        {"chained, branch sign-extended", 0x2, -3, 3.0f, Attack(2, true, -3)},
        {"past 16 bits is held, not wrapped", 0, 0, 65538.0f, Attack(32767, false, 0)},
        {"cancel carries the branch only", 0x3, -2, 5.0f, [] { gcSentMsg m = Msg(106); m.nBranch = -2; return m; }()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Run(gcDoCreatureAttack(kInitiator, row.flags, row.branch, Number(row.number))),
                  std::vector<gcSentMsg>{row.sent});
    }
}

TEST_F(gcDoCreatureActionTest, SetTargetSendsTheKindOfTheSelection)
{
    gcRecordingCreature* pOther = Recorder();
    m_params.pParticipant1 = pOther;
    const gcDesiredEntity participant = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);
    const gcDesiredEntity nobody = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT2);
    const struct {
        const char* name;
        int32_t selected;
        gcDesiredEntity specific;
        std::vector<gcSentMsg> sent;
    } rows[] = {
        {"none is the specific kind without entity", 0, participant, {Target(gcMsgSetTarget::SPECIFIC, nullptr)}},
        {"closest", 1, participant, {Target(gcMsgSetTarget::CLOSEST, nullptr)}},
        {"next", 2, participant, {Target(gcMsgSetTarget::NEXT, nullptr)}},
        {"specific", 3, participant, {Target(gcMsgSetTarget::SPECIFIC, pOther)}},
        {"specific naming nothing", 3, nobody, {Target(gcMsgSetTarget::SPECIFIC, nullptr)}},
        {"outside the table", 4, participant, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Run(gcDoCreatureSetTarget(kInitiator, row.selected, row.specific)), row.sent);
    }
}

// A reference to an entity that is no creature (or to nothing) makes every
// command do nothing.
TEST_F(gcDoCreatureActionTest, CommandsToNoCreatureDoNothing)
{
    for (gcGameObject* pInitiator : {static_cast<gcGameObject*>(m_pPlain), static_cast<gcGameObject*>(nullptr)}) {
        m_params.pInitiator = pInitiator;
        EXPECT_TRUE(Run(gcDoCreatureAction(gcDoCreatureAction::CA_WALK, kInitiator)).empty());
        EXPECT_TRUE(Run(gcDoCreatureAttack(kInitiator, 0, 0, Number(1.0f))).empty());
        EXPECT_TRUE(Run(gcDoCreatureSetTarget(kInitiator, 1, kInitiator)).empty());
    }
}

TEST_F(gcDoCreatureActionTest, FindBoundaryGoesThroughTheInstalledHook)
{
    static std::vector<gcEntity*> s_found;
    s_found.clear();
    const auto previous = gcDoNPCAction::s_pFindBoundary;
    gcDoNPCAction::s_pFindBoundary = [](gcEntity* p) { s_found.push_back(p); };
    gcDoNPCAction(gcDoNPCAction::NA_FINDBOUNDARY, kInitiator).Apply(m_params);
    gcDoNPCAction(1, kInitiator).Apply(m_params);  // no such action
    gcDoNPCAction(0, gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT2)).Apply(m_params);  // nobody
    gcDoNPCAction::s_pFindBoundary = previous;
    gcDoNPCAction(0, kInitiator).Apply(m_params);  // no hook installed
    EXPECT_EQ(s_found, std::vector<gcEntity*>{m_pCreature});
}

TEST_F(gcDoCreatureActionTest, OldAttackBlocksStoreA16BitIndex)
{
    // Version 2: selector, handle, flags, index 3, branch -4, each 16-bit
    // field two bytes with nothing between.
    const auto* p2 = Load<gcDoCreatureAttack>(2, [](datagen::BlockWriter& w) {
        w.Int(gcDesiredEntity::PARTICIPANT1).Int(0).Half(0x2).Half(3).Half(0xFFFC);
    });
    ASSERT_NE(p2, nullptr);
    EXPECT_EQ(p2->desiredCreature.desiredEntity, gcDesiredEntity::PARTICIPANT1);
    EXPECT_EQ(p2->nFlags, 0x2);
    EXPECT_EQ(p2->attack.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_EQ(p2->attack.fConst, 4.0f);
    EXPECT_EQ(p2->nBranch, -4);
    // Version 1 has no branch.
    const auto* p1 = Load<gcDoCreatureAttack>(1, [](datagen::BlockWriter& w) { w.Int(1).Int(0).Half(0).Half(0); });
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(p1->attack.fConst, 1.0f);
    EXPECT_EQ(p1->nBranch, 0);
    // From version 3 the attack is a number reference.
    const auto* p3 = Load<gcDoCreatureAttack>(3, [](datagen::BlockWriter& w) {
        w.Int(1).Int(0).Half(0).Int(gcDesiredValue::VAL_TEMP).Int(0).Int(1).Half(7);
    });
    ASSERT_NE(p3, nullptr);
    EXPECT_EQ(p3->attack.desiredValue, gcDesiredValue::VAL_TEMP);
    EXPECT_EQ(p3->attack.nParamIndex, 1);
    EXPECT_EQ(p3->nBranch, 7);
}

// Fields a version stored and later ones dropped are read over, so the
// block reads whole and the fields after them are the right ones.
TEST_F(gcDoCreatureActionTest, OldBlocksReadOverTheirDroppedFields)
{
    const auto* pNPC1 = Load<gcDoNPCAction>(1, [](datagen::BlockWriter& w) { w.Int(3).Int(0).Int(0x00400002); });
    const auto* pNPC2 = Load<gcDoNPCAction>(2, [](datagen::BlockWriter& w) { w.Int(2).Int(0).Int(0x00400002).Int(9); });
    const auto* pAct2 = Load<gcDoCreatureAction>(2, [](datagen::BlockWriter& w) { w.Int(9).Int(0).Int(0).Int(7); });
    ASSERT_NE(pNPC1, nullptr);
    ASSERT_NE(pNPC2, nullptr);
    ASSERT_NE(pAct2, nullptr);
    EXPECT_EQ(pNPC1->actionType, gcDoNPCAction::NA_FINDBOUNDARY);
    EXPECT_EQ(pNPC1->desiredNPC.desiredEntity, gcDesiredEntity::PARTICIPANT2);
    EXPECT_EQ(pNPC2->desiredNPC.desiredEntity, gcDesiredEntity::PARTICIPANT1);
    EXPECT_EQ(pAct2->actionType, gcDoCreatureAction::CA_DODGE_L);
    EXPECT_EQ(pAct2->desiredCreature.desiredEntity, gcDesiredEntity::PLAYER);
}

TEST_F(gcDoCreatureActionTest, TextNamesTheCreatureAndTheCommand)
{
    gcDesiredValue temp;
    temp.desiredValue = gcDesiredValue::VAL_TEMP;
    const gcDesiredEntity player = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    EXPECT_EQ(Text(gcDoCreatureAction(gcDoCreatureAction::CA_STAND, kInitiator)), "Initiator.Stand");
    EXPECT_EQ(Text(gcDoCreatureAction(gcDoCreatureAction::CA_TGT_B, kInitiator)), "Initiator.TgtB");
    EXPECT_EQ(Text(gcDoCreatureAction(-1, kInitiator)), "Initiator.???");
    EXPECT_EQ(Text(gcDoCreatureAction(16, player)), "Player.Idle3");
    EXPECT_EQ(Text(gcDoCreatureAction(12, player)), "Player.???");
    EXPECT_EQ(Text(gcDoCreatureAction(21, player)), "Player.???");
    EXPECT_EQ(Text(gcDoCreatureAttack(kInitiator, 0x3, 0, temp)), "Initiator.CancelAttack");
    EXPECT_EQ(Text(gcDoCreatureAttack(kInitiator, 0x2, 0, Number(2.0f))), "Initiator.ChainAttack( 2 )");
    EXPECT_EQ(Text(gcDoCreatureAttack(kInitiator, 0, 0, temp)), "Initiator.Attack( [Temp1] )");
    EXPECT_EQ(Text(gcDoCreatureSetTarget(kInitiator, 0, player)), "Initiator.SetTarget( None )");
    EXPECT_EQ(Text(gcDoCreatureSetTarget(kInitiator, 2, player)), "Initiator.SetTarget( Next )");
    EXPECT_EQ(Text(gcDoCreatureSetTarget(kInitiator, 3, player)), "Initiator.SetTarget( Player )");
    EXPECT_EQ(Text(gcDoCreatureSetTarget(kInitiator, 7, player)), "Initiator.SetTarget( ??? )");
    EXPECT_EQ(Text(gcDoNPCAction(0, kInitiator)), "Initiator.FindBoundary");
    EXPECT_EQ(Text(gcDoNPCAction(1, kInitiator)), "Initiator.???");
    EXPECT_EQ(Text(gcDoNPCAction(-1, kInitiator)), "Initiator.???");
}

// The player's control machine, run by the creature's ticks with the
// stick and the buttons of the player's port set as the rows say.
TEST_F(gcDoCreatureActionTest, ThePlayersControlScriptTurnsInputIntoCommands)
{
    gcStateMachine* pMachine = datagen::NewPlayerControlStateMachine(&m_pool, "PlayerControl");
    ASSERT_NE(pMachine, nullptr);
    m_pCreature->m_stateInfo.m_pStateMachine = pMachine;
    gcPlayer::Get()->m_nControllerId = 0;
    const struct {
        const char* name;
        float stick;
        bool bWalking, bJump, bAttack;
        std::vector<gcSentMsg> sent;
        float speed = 0.0f;  // units a tick, along x
    } rows[] = {
        {"at rest", 0.0f, false, false, false, {}},
        {"just below walking", 0.19f, false, false, false, {}},
        {"walking deflection", 0.2f, false, false, false, {Msg(MSG_WALK)}},
        {"just below running", 0.69f, false, false, false, {Msg(MSG_WALK)}},
        {"running deflection", 0.7f, false, false, false, {Msg(MSG_RUN)}},
        {"let go while walking", 0.1f, true, false, false, {Msg(MSG_STAND)}},
        {"let go while moving, not walking (a flyer)", 0.1f, false, false, false, {Msg(MSG_STAND)}, 1e-4f},
        {"moving backwards, let go", 0.0f, false, false, false, {Msg(MSG_STAND)}, -1e-4f},
        {"moving, stick at walking", 0.2f, false, false, false, {Msg(MSG_WALK)}, 1e-4f},
        {"jump while walking", 0.5f, true, true, false, {Msg(MSG_WALK), Msg(MSG_JUMP)}},
        {"attack 1 standing", 0.0f, false, false, true, {Attack(0, false, 0)}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        eInput::eInputState& pad = eInput::s_joyState[0];
        pad = eInput::eInputState{};
        pad.fCurrentState[eInput::JOYBTN_LTHUMB_MAG] = row.stick;
        pad.bButtonPressed[eInput::JOYBTN_1] = row.bJump;
        pad.bButtonPressed[eInput::JOYBTN_2] = row.bAttack;
        m_pCreature->m_bWalking = row.bWalking;
        m_pCreature->m_velocity.Set(row.speed, 0.0f, 0.0f);
        m_pCreature->m_sent.clear();
        gcEventStackData frame;
        m_pCreature->m_stateInfo.Send(gcMsgTick(cTimeValue(20)), m_params, frame);
        EXPECT_EQ(m_pCreature->m_sent, row.sent);
    }
    eInput::s_joyState[0] = eInput::eInputState{};
    gcPlayer::Get()->m_nControllerId = -1;
    m_pCreature->m_velocity.Set(0.0f, 0.0f, 0.0f);
    m_pCreature->m_stateInfo.m_pStateMachine = nullptr;
}

}  // namespace
