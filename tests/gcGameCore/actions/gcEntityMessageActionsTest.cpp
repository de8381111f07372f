// Messages, sounds, teams and activation masks sent to entities by script.
#include "gcGameCore/actions/gcDoEntitySendMessage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "actionTestSupport.h"
#include "creatureCommandTest.h"
#include "datagen/flowWriters.h"
#include "gcGameCore/actions/gcDoEntityPlaySound.h"
#include "gcGameCore/actions/gcDoEntitySetActivationMask.h"
#include "gcGameCore/actions/gcDoEntitySetTeam.h"
#include "gcGameCore/flow/gcMap.h"
#include "eEngine/eSound.h"
#include "gcGameCore/script/gcStateMachine.h"

namespace {

// What one receiver (or one validation) saw.
struct Seen {
    int32_t nTag;
    const gcGameObject* pInitiator;
    const gcGameObject* pParticipant1;
    const gcGameObject* pParticipant2;
    int32_t nEventId;
    int32_t nMessageId;
    float fParam1;
    float fParam2;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen>& Seens()
{
    static std::vector<Seen> s_seen;
    return s_seen;
}

// Records the running event's parameters and frame.
class CaptureAction : public gcAction {
public:
    explicit CaptureAction(int32_t tag) : m_nTag(tag) {}
    void DoAction(const gcEventParams& p) const override
    {
        const gcEventStackData* f = gcEvent::s_pCurEventStackData;
        Seens().push_back({m_nTag, p.pInitiator, p.pParticipant1, p.pParticipant2, p.nEventId, p.nMessageId,
                           f ? f->fInValues[0] : -1.0f, f ? f->fInValues[1] : -1.0f});
    }
    int32_t m_nTag;
};

constexpr int32_t kReceived = 1;
constexpr int32_t kValidated = 2;
constexpr int kConstantSlot = 9;
constexpr int kFirstEntitySlot = 40;

gcDesiredValue Param(int index)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_INVALUE;
    v.nParamIndex = index;
    return v;
}

class gcEntityMessageTest : public CreatureCommandTest {
protected:
    void SetUp() override
    {
        CreatureCommandTest::SetUp();
        Seens().clear();
        FillEvent(m_machine.onEvent, m_pool.New<CaptureAction>(kReceived));
        m_map.m_entities.m_nBegin = m_map.m_entities.m_nEnd = kFirstEntitySlot;
    }
    void TearDown() override
    {
        for (int slot = kFirstEntitySlot; slot < m_map.m_entities.m_nEnd; ++slot)
            gcEntityMgr::s_pInstances[slot] = nullptr;
        m_map.m_entities.m_nEnd = kFirstEntitySlot;
        gcConstantMgr::s_pInstances[kConstantSlot] = nullptr;
        CreatureCommandTest::TearDown();
    }
    // An entity with the recording machine, active unless told, in the map.
    template <class E>
    E* Receiver(E* p, uint16_t flags = 0)
    {
        p->m_stateInfo.m_pStateMachine = &m_machine;
        p->m_nEntityFlags = flags;
        gcEntityMgr::Add(m_map.m_entities.m_nEnd++, p, 0x31);
        return p;
    }
    gcConstantHandle Constant(float f)
    {
        gcConstant* p = m_pool.New<gcConstant>();
        p->m_fValue = f;
        p->m_name.Set("MsgHello");
        return gcConstantMgr::Add(kConstantSlot, p, 0x12);
    }
    std::vector<Seen> Send(const gcDoEntitySendMessage& action, float fIn1 = 0.0f, float fIn2 = 0.0f)
    {
        Seens().clear();
        gcEventStackData frame(fIn1, fIn2);
        gcEventStackData* pOld = gcEvent::s_pCurEventStackData;
        gcEvent::s_pCurEventStackData = &frame;
        action.Apply(m_params);
        gcEvent::s_pCurEventStackData = pOld;
        return Seens();
    }
    Seen Received(const gcGameObject* to, const gcGameObject* p1, const gcGameObject* p2, int32_t id, float a = 0,
                  float b = 0)
    {
        return {kReceived, to, p1, p2, gcMsgEvent::ID_ONMESSAGE, id, a, b};
    }

    gcStateMachine m_machine;
    gcMap m_map;
};

// The message id is the constant truncated toward zero; an unresolved
// constant still sends, with id 0. Only an entity of (or derived from) the
// type receives it.
TEST_F(gcEntityMessageTest, OneTargetGetsTheConstantsIdTruncated)
{
    gcRecordingCreature* pTarget = Receiver(Recorder());
    gcTestEntity* pPlain = Receiver(m_pPlain);
    m_params.pParticipant1 = pTarget;
    const struct {
        const char* name;
        float fConstant;
        bool bResolves;
        const cType* pType;
        gcGameObject* pTarget;
        std::vector<Seen> seen;
    } rows[] = {
        {"3.7 gives 3", 3.7f, true, gcCreature::GetStaticType(), pTarget, {Received(pTarget, m_pCreature, nullptr, 3)}},
        {"-2.9 gives -2", -2.9f, true, gcCreature::GetStaticType(), pTarget, {Received(pTarget, m_pCreature, nullptr, -2)}},
        {"unresolved gives 0", 5.0f, false, gcCreature::GetStaticType(), pTarget, {Received(pTarget, m_pCreature, nullptr, 0)}},
        {"a base type matches", 1.0f, true, gcEntity::GetStaticType(), pTarget, {Received(pTarget, m_pCreature, nullptr, 1)}},
        {"not a creature", 1.0f, true, gcCreature::GetStaticType(), pPlain, {}},
        {"no type", 1.0f, true, nullptr, pTarget, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_params.pParticipant1 = row.pTarget;
        gcDoEntitySendMessage action;
        const gcConstantHandle h = Constant(row.fConstant);
        action.hMessage = row.bResolves ? h : gcConstantHandle(h.m_nValue ^ 0x10000);
        action.pEntityType = row.pType;
        EXPECT_EQ(Send(action), row.seen);
    }
}

// Sent to all: only active entities of the type in the map's range that
// the validation accepts; the validation runs with the running initiator
// and the candidate, each receiver is the initiator and the parameters and
// participants are evaluated again for it.
TEST_F(gcEntityMessageTest, SendingToAllReachesTheActiveOnesTheValidationAccepts)
{
    gcRecordingCreature* a = Receiver(Recorder());
    Receiver(Recorder(), gcEntity::kFrozen);
    Receiver(Recorder(), gcEntity::kDeactivated);
    Receiver(m_pPlain);
    gcRecordingCreature* d = Receiver(Recorder());
    gcDoEntitySendMessage action;
    action.hMessage = Constant(7.0f);
    action.bSendToAllActive = true;
    action.desiredParticipant1 = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    action.desiredParams[0] = Param(1);
    action.desiredParams[1] = Param(0);
    // The validation changes Param1 of its own frame; the receivers' frames
    // are evaluated from the running one.
    EXPECT_EQ(Send(action, 4.0f, 5.0f), std::vector<Seen>{}) << "an empty validation accepts no one";
    FillEvent(action.validateSend, m_pool.New<CaptureAction>(kValidated), b.Return(b.Num(1.0f)));
    const std::vector<Seen> want = {
        {kValidated, m_pCreature, a, nullptr, 0, 0, 0.0f, 0.0f},
        Received(a, m_pCreature, nullptr, 7, 5.0f, 4.0f),
        {kValidated, m_pCreature, d, nullptr, 0, 0, 0.0f, 0.0f},
        Received(d, m_pCreature, nullptr, 7, 5.0f, 4.0f),
    };
    EXPECT_EQ(Send(action, 4.0f, 5.0f), want);
    FillEvent(action.validateSend, b.Return(b.Num(0.5f)));
    EXPECT_EQ(Send(action).size(), 2u) << "any result but 0 accepts";
    FillEvent(action.validateSend, b.Return(b.Num(0.0f)));
    EXPECT_TRUE(Send(action).empty());
    gcMap::s_pMap = nullptr;
    FillEvent(action.validateSend, b.Return(b.Num(1.0f)));
    EXPECT_TRUE(Send(action).empty()) << "no map";
    gcMap::s_pMap = &m_map;
}

// A version-1 block holds one more entity entry before the target, which is
// dropped; the type stays gcCreature and the message goes to one target.
TEST_F(gcEntityMessageTest, AVersionOneBlockDropsItsFirstEntityEntry)
{
    auto* p = Load<gcDoEntitySendMessage>(1, [](datagen::BlockWriter& w) {
        w.Word(0x00090004).Int(gcDesiredEntity::PLAYER).Int(0);
        w.Int(gcDesiredEntity::PARTICIPANT2).Int(0).Int(gcDesiredEntity::PLAYER).Int(0);
        w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(5);
        w.Int(gcDesiredValue::VAL_NUMBER).Float(1.5f).Int(0).Int(0);
        w.Int(gcDesiredValue::VAL_TEMP).Int(0).Int(1);
    });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->desiredTarget.desiredEntity, gcDesiredEntity::PARTICIPANT2);
    EXPECT_EQ(p->desiredParticipant1.desiredEntity, gcDesiredEntity::PLAYER);
    EXPECT_EQ(p->desiredParticipant2.desiredEntity, gcDesiredEntity::INITIATOR);
    EXPECT_FLOAT_EQ(p->desiredParams[0].fConst, 1.5f);
    EXPECT_EQ(p->desiredParams[1].desiredValue, gcDesiredValue::VAL_TEMP);
    EXPECT_EQ(p->desiredParams[1].nParamIndex, 1);
    EXPECT_FALSE(p->bSendToAllActive);
    EXPECT_EQ(p->pEntityType, gcCreature::GetStaticType());
}

// Version 2 brings send-to-all and the validation; 0 and 4 are refused.
TEST_F(gcEntityMessageTest, BlockVersions)
{
    const auto fields = [](uint32_t version) {
        return [version](datagen::BlockWriter& w) {
            w.Word(0).Int(2).Int(0).Int(1).Int(0).Int(4).Int(0).Int(2);
            for (int i = 0; i < 2; ++i)
                w.Int(gcDesiredValue::VAL_NUMBER).Float(0.0f).Int(0).Int(0);
            w.Int(1).Begin(gcEvent::kVersion).Begin(1).End();
            RecordMember(w, 3).Int(-1).End();
            if (version >= 3)
                w.Word(gcEntity::GetStaticType()->m_nTypeId);
        };
    };
    auto* p = Load<gcDoEntitySendMessage>(2, fields(2));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->bSendToAllActive);
    EXPECT_TRUE(p->validateSend.HasActions());
    EXPECT_EQ(p->pEntityType, gcCreature::GetStaticType());
    gcTestLogCapture log;
    EXPECT_EQ(Load<gcDoEntitySendMessage>(4, fields(4)), nullptr);
    EXPECT_EQ(Load<gcDoEntitySendMessage>(0, fields(0)), nullptr);
}

// A type id that names no registered class leaves no type (nothing is sent).
TEST_F(gcEntityMessageTest, AnUnknownEntityTypeIdLeavesNoType)
{
    for (uint32_t id : {298u, 300u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(id);
        auto* p = Load<gcDoEntitySendMessage>(3, [id](datagen::BlockWriter& w) {
            w.Word(0).Int(2).Int(0).Int(1).Int(0).Int(4).Int(0).Int(2);
            for (int i = 0; i < 2; ++i)
                w.Int(gcDesiredValue::VAL_NUMBER).Float(0.0f).Int(0).Int(0);
            datagen::EmptyEventBlock(w.Int(0));
            w.Word(id);
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->pEntityType, nullptr);
    }
}

TEST_F(gcEntityMessageTest, Texts)
{
    gcDoEntitySendMessage one;
    one.hMessage = Constant(2.0f);
    gcDoEntitySendMessage all;
    all.bSendToAllActive = true;
    all.desiredParticipant2 = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    all.desiredParams[1].fConst = 2.5f;
    all.pEntityType = gcEntity::GetStaticType();
    gcDesiredValue loud;
    loud.fConst = 0.5f;
    gcDoEntitySetActivationMask mask(gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), 0x80000005u);
    const struct {
        std::string text, want;
    } rows[] = {
        {Text(one), "Initiator.SendMessageToCreature( {MsgHello}, Participant1, 0, 0 )"},
        {Text(all), "Initiator.SendMessageToAllEntitys( {???}, Player, 0, 2.5 )"},
        {Text(gcDoEntityPlaySound()), "Initiator.PlaySound( [none], volume = 1 )"},
        {Text(gcDoEntityPlaySound(gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), loud, eSoundDataHandle(),
                                  gcVoiceOverHandle(0x00050001))),
         "Player.PlayVoiceOver( [none], volume = 0.5 )"},
        {Text(gcDoEntitySetTeam()), "Initiator.SetTeam( Unfriendly )"},
        {Text(gcDoEntitySetTeam(gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), 1)), "Player.SetTeam( Friendly )"},
        {Text(gcDoEntitySetTeam(gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), 2)), "Player.SetTeam( ??? )"},
        {Text(mask), "Player.SetActivationMask( 1, 3, 32 )"},
        {Text(gcDoEntitySetActivationMask(gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), 0x3)),
         "Player.SetActivationMask( 1, 2 )"},
        {Text(gcDoEntitySetActivationMask()), "[???].SetActivationMask(  )"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text, row.want);
}

// Team and mask are overwritten whole; the defaults name the initiator
// (team) and a specific entity (mask).
TEST_F(gcEntityMessageTest, TeamAndMaskAreOverwritten)
{
    m_pCreature->m_nActivationMask = 0xF0;
    gcDoEntitySetTeam().Apply(m_params);
    EXPECT_EQ(m_pCreature->m_team, gcEntityTemplate::TEAM_UNFRIENDLY);
    gcDoEntitySetTeam(gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), 1).Apply(m_params);
    EXPECT_EQ(m_pCreature->m_team, gcEntityTemplate::TEAM_FRIENDLY);
    gcDoEntitySetActivationMask().Apply(m_params);
    EXPECT_EQ(m_pCreature->m_nActivationMask, 0xF0u) << "the default names no entity";
    gcDoEntitySetActivationMask(gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), 0x3).Apply(m_params);
    EXPECT_EQ(m_pCreature->m_nActivationMask, 0x3u);
}

// The sound data wins over the voice-over; a set but stale sound data
// handle plays nothing, even with a voice-over.
TEST_F(gcEntityMessageTest, PlaySoundPrefersTheSoundData)
{
    constexpr int kDataSlot = 11, kVOSlot = 12;
    eSoundData* pData = m_pool.New<eSoundData>();
    const eSoundDataHandle hData = eSoundDataMgr::Add(kDataSlot, pData, 0x21);
    gcVoiceOver* pVO = m_pool.New<gcVoiceOver>();
    const gcVoiceOverHandle hVO = gcVoiceOverMgr::Add(kVOSlot, pVO, 0x22);
    const eSoundDataHandle hStale(hData.m_nValue ^ 0x10000);
    m_pCreature->m_pSound = m_pool.New<eSound>();
    gcDesiredValue volume;
    volume.fConst = 0.25f;
    const struct {
        const char* name;
        eSoundDataHandle hData;
        gcVoiceOverHandle hVO;
        const eSoundData* pPlayed;
    } rows[] = {
        {"both: the sound data", hData, hVO, pData},
        {"voice-over alone", {}, hVO, &pVO->m_soundData},
        {"stale sound data, voice-over set", hStale, hVO, nullptr},
        {"neither", {}, {}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pCreature->m_pSound->SetSoundData(nullptr);
        m_pCreature->m_pSound->m_fVolume = 1.0f;
        gcDoEntityPlaySound(gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), volume, row.hData, row.hVO)
            .Apply(m_params);
        EXPECT_EQ(m_pCreature->m_pSound->m_pSoundData, row.pPlayed);
        EXPECT_FLOAT_EQ(m_pCreature->m_pSound->m_fVolume, row.pPlayed ? 0.25f : 1.0f);
    }
    eSoundDataMgr::s_pInstances[kDataSlot] = nullptr;
    gcVoiceOverMgr::s_pInstances[kVOSlot] = nullptr;
}

}  // namespace
