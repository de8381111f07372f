#include "gcGameCore/actions/gcDoCreatureSetTarget.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoCreatureSetTarget, gcAction, 123)

cBase* gcDoCreatureSetTarget::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoCreatureSetTarget>(desiredCreature, selectedTarget, specificTarget) : nullptr;
}

void gcDoCreatureSetTarget::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredCreature.Write(wb);
    wb.WriteInt(selectedTarget);
    specificTarget.Write(wb);
}

bool gcDoCreatureSetTarget::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredEntity creature;
    creature.Read(rb, pPool);
    const int32_t selected = rb.ReadInt();
    gcDesiredEntity specific;
    specific.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredCreature = creature;
    selectedTarget = selected;
    specificTarget = specific;
    return true;
}

void gcDoCreatureSetTarget::GetText(char* pBuf) const
{
    desiredCreature.GetText(pBuf);
    gcScriptText::Append(pBuf, ".SetTarget( ");
    if (selectedTarget == TGT_SPECIFIC)
        specificTarget.GetText(pBuf);
    else
        gcScriptText::Append(pBuf, GetTargetText(selectedTarget));
    gcScriptText::Append(pBuf, " )");
}

void gcDoCreatureSetTarget::DoAction(const gcEventParams& params) const
{
    gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params);
    if (!pCreature)
        return;
    switch (selectedTarget) {
    case TGT_NONE: pCreature->Send(gcMsgSetTarget(gcMsgSetTarget::SPECIFIC, nullptr)); break;
    case TGT_CLOSEST: pCreature->Send(gcMsgSetTarget(gcMsgSetTarget::CLOSEST, nullptr)); break;
    case TGT_NEXT: pCreature->Send(gcMsgSetTarget(gcMsgSetTarget::NEXT, nullptr)); break;
    case TGT_SPECIFIC:
        pCreature->Send(gcMsgSetTarget(gcMsgSetTarget::SPECIFIC, specificTarget.GetEntity(params, nullptr, true)));
        break;
    default: break;
    }
}

const char* gcDoCreatureSetTarget::GetTargetText(int32_t selected)
{
    static const char* const s_texts[MAX_TARGETTYPES] = {"None", "Closest", "Next", "Specific"};
    return selected >= 0 && selected < MAX_TARGETTYPES ? s_texts[selected] : "???";
}
