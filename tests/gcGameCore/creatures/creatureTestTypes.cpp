#include "creatureTestTypes.h"

#include "cCore/cMemPool.h"

QM_DEFINE_TYPE(gcTestCreatureTemplate, gcCreatureTemplate, kTestCreatureTemplateId)
QM_DEFINE_TYPE(gcTestCreature, gcCreature, kTestCreatureId)

cBase* gcTestCreatureTemplate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcTestCreatureTemplate>(*this) : nullptr;
}

const cType* gcTestCreatureTemplate::GetEntityType() const
{
    return gcTestCreature::GetStaticType();
}

cBase* gcTestCreature::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcTestCreature>(*this) : nullptr;
}

std::vector<gcDamageLogEntry>& DamageLog()
{
    static std::vector<gcDamageLogEntry> log;
    return log;
}

int gcTestCreature::Send(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_ACTIVATE: m_nEntityFlags &= static_cast<uint16_t>(~kDeactivated); break;
    case MSG_DEACTIVATE: m_nEntityFlags |= kDeactivated; break;
    case MSG_FREEZE: m_nEntityFlags |= kFrozen; break;
    case MSG_UNFREEZE: m_nEntityFlags &= static_cast<uint16_t>(~kFrozen); break;
    case MSG_DEALDAMAGE: {
        const auto& d = static_cast<const gcMsgDealDamage&>(msg);
        DamageLog().push_back({this, d.pFrom, d.nFlags, d.fAmount, d.dir, d.duration.m_nTicks});
        if (m_bBlock) {
            d.fAmount = 0.0f;
            d.bBlocked = true;
        }
        break;
    }
    default: return 0;
    }
    return 1;
}
