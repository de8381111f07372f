#pragma once
// What the tests of the creature actions and values share: the creature
// fixture with a creature that records every message it is sent (id and
// payload), a plain entity that is no creature, and the event parameters
// naming the creature as initiator.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../creatures/creatureTestFixture.h"
#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcLValue.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

// One message a recording creature was sent; payload fields not in the
// message stay 0.
struct gcSentMsg {
    int32_t nId = 0;
    int32_t nAttack = 0;  // 105
    bool bChain = false;  // 105
    int32_t nBranch = 0;  // 105, 106
    int32_t nKind = 0;    // 116 target kind, 127 animation
    const gcEntity* pTarget = nullptr;  // 116
    float fHeading = 0.0f;              // 121
    bool operator==(const gcSentMsg&) const = default;
};

class gcRecordingCreature : public gcTestCreature {
public:
    int Send(const gcMsg& msg) override
    {
        gcSentMsg m;
        m.nId = msg.nMsgId;
        switch (msg.nMsgId) {
        case MSG_ATTACK: {
            const auto& a = static_cast<const gcMsgAttack&>(msg);
            m.nAttack = a.nAttack, m.bChain = a.bChain, m.nBranch = a.nBranch;
            break;
        }
        case MSG_CANCELATTACK: m.nBranch = static_cast<const gcMsgCancelAttack&>(msg).nBranch; break;
        case MSG_SETTARGET: {
            const auto& t = static_cast<const gcMsgSetTarget&>(msg);
            m.nKind = t.target, m.pTarget = t.pTarget;
            break;
        }
        case MSG_STRAFEDIR: m.fHeading = static_cast<const gcMsgStrafeDir&>(msg).fHeading; break;
        case MSG_IDLE: m.nKind = static_cast<const gcMsgIdle&>(msg).nAnim; break;
        default: break;
        }
        m_sent.push_back(m);
        return gcTestCreature::Send(msg);
    }
    bool IsWalking() const override { return m_bWalking; }

    std::vector<gcSentMsg> m_sent;
    bool m_bWalking = false;
};

class CreatureCommandTest : public CreatureTest {
protected:
    void SetUp() override
    {
        CreatureTest::SetUp();
        m_pTemplate = PlaceCreatureTemplate();
        m_pCreature = Recorder();
        m_pPlain = NewEntity(nullptr);
        m_params.pInitiator = m_pCreature;
    }

    // A recording creature of the fixture's creature template.
    gcRecordingCreature* Recorder()
    {
        gcRecordingCreature* p = m_pool.New<gcRecordingCreature>();
        m_entities.push_back(p);
        p->m_hTemplate = gcEntityTemplateMgr::GetHandle(kTemplateSlot);
        return p;
    }

    // The file holds one action or value T whose block is fields after the
    // base block.
    template <class T>
    T* Load(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        const cType* pType = T::GetStaticType();
        const bool bSaved = datagen::WriteObjectBlocksFile(m_data.HostPath("o.dat"), pType->m_nTypeId,
                                                           [&](datagen::BlockWriter& w) {
                                                               if (pType->IsA(gcAction::GetStaticType()))
                                                                   datagen::ActionBlock(w, version);
                                                               else
                                                                   datagen::ValueBlock(w, version, pType->IsA(gcLValue::GetStaticType()));
                                                               fields(w);
                                                               w.End();
                                                           });
        return bSaved ? dcast<T>(cBase::Load("/o.dat", &m_pool, pType)) : nullptr;
    }

    static std::string Text(const auto& object)
    {
        char buf[gcScriptText::kSize] = {};
        object.GetText(buf);
        return buf;
    }

    gcTestCreatureTemplate* m_pTemplate = nullptr;
    gcRecordingCreature* m_pCreature = nullptr;
    gcTestEntity* m_pPlain = nullptr;  // an entity that is no creature
    gcEventParams m_params;

};
