#include "gcGameCore/values/gcValCreatureHasTarget.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValCreatureHasTarget, gcValue, 124)

cBase* gcValCreatureHasTarget::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValCreatureHasTarget>(*this) : nullptr;
}

void gcValCreatureHasTarget::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredCreature.Write(wb);
    wb.WriteBool(bSpecific);
    desiredTarget.Write(wb);
}

bool gcValCreatureHasTarget::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity creature;
    creature.Read(rb, pPool);
    bool specific = false;
    gcDesiredEntity target = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    if (rb.m_nVersion >= 2) {
        specific = rb.ReadBool();
        target.Read(rb, pPool);
    }
    if (rb.Failed())
        return false;
    desiredCreature = creature;
    bSpecific = specific;
    desiredTarget = target;
    return true;
}

float gcValCreatureHasTarget::Get(const gcEventParams& params) const
{
    const gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params);
    const gcEntity* pTarget = pCreature ? pCreature->m_pTarget : nullptr;
    // A deactivated or frozen target is held but cannot be fought.
    if (!pTarget || !pTarget->IsActive())
        return 0.0f;
    if (bSpecific && pTarget != desiredTarget.GetEntity(params, nullptr, true))
        return 0.0f;
    return 1.0f;
}

void gcValCreatureHasTarget::GetText(char* pBuf) const
{
    desiredCreature.GetText(pBuf);
    gcScriptText::Append(pBuf, ".HasTarget");
    if (!bSpecific)
        return;
    gcScriptText::Append(pBuf, "( ");
    desiredTarget.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}
