#include "gcGameCore/actions/gcDoEntitySendMessage.h"

#include <algorithm>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoEntitySendMessage, gcAction, 255)

namespace {

constexpr const char* kOwnerName = "EntitySendMessage";

}  // namespace

gcDoEntitySendMessage::gcDoEntitySendMessage()
    : validateSend("ValidateSend", kOwnerName), pEntityType(gcCreature::GetStaticType())
{
}

gcDoEntitySendMessage::gcDoEntitySendMessage(const gcDoEntitySendMessage& other)
    : gcAction(), hMessage(other.hMessage), desiredTarget(other.desiredTarget),
      desiredParticipant1(other.desiredParticipant1), desiredParticipant2(other.desiredParticipant2),
      desiredParams{other.desiredParams[0], other.desiredParams[1]}, bSendToAllActive(other.bSendToAllActive),
      validateSend(other.validateSend, kOwnerName), pEntityType(other.pEntityType)
{
}

cBase* gcDoEntitySendMessage::Copy(cMemPool* pPool) const
{
    gcDoEntitySendMessage* pCopy = pPool ? pPool->New<gcDoEntitySendMessage>(*this) : nullptr;
    return gcEvent::KeepWhole(pCopy, *this, &gcDoEntitySendMessage::validateSend);
}

void gcDoEntitySendMessage::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    hMessage.Write(wb);
    desiredTarget.Write(wb);
    desiredParticipant1.Write(wb);
    desiredParticipant2.Write(wb);
    wb.WriteInt(kNumParams);
    for (const gcDesiredValue& v : desiredParams)
        v.Write(wb);
    wb.WriteBool(bSendToAllActive);
    validateSend.Write(file);
    wb.WriteInt(pEntityType ? pEntityType->m_nTypeId : 0u);
}

bool gcDoEntitySendMessage::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcConstantHandle hMsg;
    hMsg.Read(rb, pPool);
    gcDesiredEntity entities[3];
    if (rb.m_nVersion == 1)
        gcDesiredEntity().Read(rb, pPool);  // an entry only version 1 stored
    for (gcDesiredEntity& e : entities)
        e.Read(rb, pPool);
    rb.ReadInt();  // the parameter count: always two
    gcDesiredValue values[kNumParams];
    for (gcDesiredValue& v : values)
        v.Read(rb, pPool);
    bool bAll = false;
    gcEvent validate;
    if (rb.m_nVersion >= 2 && !rb.Failed()) {
        bAll = rb.ReadBool();
        if (!rb.Failed() && !validate.Read(file, pPool))
            return rb.Reject(GetType()->m_sTypeName, "validation event");
    }
    const cType* pType = gcCreature::GetStaticType();
    if (rb.m_nVersion >= 3)
        pType = cType::Find(static_cast<int32_t>(rb.ReadUInt()));
    if (rb.Failed())
        return false;
    hMessage = hMsg;
    desiredTarget = entities[0];
    desiredParticipant1 = entities[1];
    desiredParticipant2 = entities[2];
    std::copy(std::begin(values), std::end(values), desiredParams);
    bSendToAllActive = bAll;
    std::swap(validateSend.pAction, validate.pAction);
    pEntityType = pType;
    return true;
}

void gcDoEntitySendMessage::GetText(char* pBuf) const
{
    desiredParticipant1.GetText(pBuf);
    const char* sType = pEntityType ? pEntityType->GetFriendlyName() : "???";
    gcScriptText::AppendF(pBuf, bSendToAllActive ? ".SendMessageToAll%ss( " : ".SendMessageTo%s( ", sType);
    const gcConstant* pConst = gcConstantMgr::GetPtr(hMessage);
    gcScriptText::AppendF(pBuf, "{%s}", pConst ? pConst->m_name.m_sData : "???");
    if (!bSendToAllActive) {
        gcScriptText::Append(pBuf, ", ");
        desiredTarget.GetText(pBuf);
    }
    const gcDesiredEntity& p2 = desiredParticipant2;
    if (p2.desiredEntity != gcDesiredEntity::SPECIFIC || !p2.hSpecificEntity.IsNull()) {  // not the empty default
        gcScriptText::Append(pBuf, ", ");
        desiredParticipant2.GetText(pBuf);
    }
    for (const gcDesiredValue& v : desiredParams) {
        gcScriptText::Append(pBuf, ", ");
        v.GetText(pBuf);
    }
    gcScriptText::Append(pBuf, " )");
}

void gcDoEntitySendMessage::DoAction(const gcEventParams& params) const
{
    if (bSendToAllActive) {
        SendToAllActive(params);
        return;
    }
    gcEntity* pTarget = desiredTarget.GetEntity(params, gcEntity::GetStaticType(), true);
    if (pTarget && Matches(pTarget))
        SendMessage(pTarget, params);
}

void gcDoEntitySendMessage::SendMessage(gcEntity* pTarget, const gcEventParams& params) const
{
    gcEventStackData frame;
    for (int i = 0; i < kNumParams; ++i)
        frame.fInValues[i] = desiredParams[i].GetValue();
    gcEventParams sent(pTarget, desiredParticipant1.GetEntity(params, gcEntity::GetStaticType(), false),
                       desiredParticipant2.GetEntity(params, gcEntity::GetStaticType(), false), params.pLocalToWorld,
                       params.pObj);
    sent.nMessageId = GetMessageId();
    pTarget->m_stateInfo.Send(gcMsgEvent(gcMsgEvent::ID_ONMESSAGE), sent, frame);
}

int32_t gcDoEntitySendMessage::GetMessageId() const
{
    const gcConstant* p = gcConstantMgr::GetPtr(hMessage);
    return p ? gcValue::TruncToInt(p->m_fValue) : 0;
}

bool gcDoEntitySendMessage::Matches(const gcEntity* pEntity) const
{
    return pEntityType && pEntity->GetType()->IsA(pEntityType);
}

void gcDoEntitySendMessage::SendToAllActive(const gcEventParams& params) const
{
    const gcMap* pMap = gcMap::s_pMap;
    if (!pMap)
        return;
    for (int32_t slot = pMap->m_entities.FirstTableSlot(); slot < pMap->m_entities.EndTableSlot(); ++slot) {
        gcEntity* p = gcEntityMgr::GetPtr(gcEntityMgr::GetHandle(slot));
        if (!p || !p->IsActive() || !Matches(p))
            continue;
        const gcEventParams check(params.pInitiator, p, nullptr, nullptr, nullptr);
        if (validateSend.Apply(check, gcEventStackData()) != 0.0f)
            SendMessage(p, params);
    }
}
