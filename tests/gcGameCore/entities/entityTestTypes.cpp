#include "entityTestTypes.h"

QM_DEFINE_TYPE(gcTestEntityTemplate, gcEntityTemplate, kTestEntityTemplateId)
QM_DEFINE_TYPE(gcTestEntity, gcEntity, kTestEntityId)

const cType* gcTestEntityTemplate::GetEntityType() const
{
    return gcTestEntity::GetStaticType();
}

cBase* gcTestEntity::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcTestEntity>(*this) : nullptr;
}

std::vector<gcEntityLogEntry>& EntityLog()
{
    static std::vector<gcEntityLogEntry> log;
    return log;
}

int gcTestEntity::Send(const gcMsg& msg)
{
    const int32_t ticks = msg.nMsgId == MSG_FADEOUT ? static_cast<const gcMsgFadeOut&>(msg).fadeOutTime.m_nTicks : 0;
    EntityLog().push_back({this, msg.nMsgId, ticks});
    switch (msg.nMsgId) {
    case MSG_ACTIVATE: m_nEntityFlags &= static_cast<uint16_t>(~kDeactivated); break;
    case MSG_DEACTIVATE: m_nEntityFlags |= kDeactivated; break;
    case MSG_FREEZE: m_nEntityFlags |= kFrozen; break;
    case MSG_UNFREEZE: m_nEntityFlags &= static_cast<uint16_t>(~kFrozen); break;
    case MSG_TICK: m_model.Update(static_cast<const gcMsgTick&>(msg).dT); break;
    default: return 0;
    }
    return 1;
}
