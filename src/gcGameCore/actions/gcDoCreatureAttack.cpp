#include "gcGameCore/actions/gcDoCreatureAttack.h"

#include <algorithm>
#include <cstdint>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoCreatureAttack, gcAction, 125)

cBase* gcDoCreatureAttack::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoCreatureAttack>(desiredCreature, nFlags, nBranch, attack) : nullptr;
}

void gcDoCreatureAttack::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredCreature.Write(wb);
    wb.WriteShort(nFlags);
    attack.Write(wb);
    wb.WriteShort(nBranch);
}

bool gcDoCreatureAttack::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredEntity creature;
    creature.Read(rb, pPool);
    const uint16_t flags = rb.ReadUShort();
    gcDesiredValue number;
    if (rb.m_nVersion >= 3) {
        number.Read(rb, pPool);
    } else {
        number.desiredValue = gcDesiredValue::VAL_NUMBER;
        number.fConst = static_cast<float>(rb.ReadShort()) + 1.0f;  // stored 0-based
    }
    const int16_t branch = rb.m_nVersion >= 2 ? rb.ReadShort() : 0;
    if (rb.Failed())
        return false;
    desiredCreature = creature;
    nFlags = flags;
    attack = number;
    nBranch = branch;
    return true;
}

void gcDoCreatureAttack::GetText(char* pBuf) const
{
    desiredCreature.GetText(pBuf);
    if (nFlags & kCancel) {
        gcScriptText::Append(pBuf, ".CancelAttack");
        return;
    }
    gcScriptText::Append(pBuf, (nFlags & kChain) ? ".ChainAttack( " : ".Attack( ");
    attack.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoCreatureAttack::DoAction(const gcEventParams& params) const
{
    gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params);
    if (!pCreature)
        return;
    if (nFlags & kCancel) {
        pCreature->Send(gcMsgCancelAttack(nBranch));
        return;
    }
    const int32_t index = gcValue::TruncToInt(attack.GetValue() - 1.0f);
    const auto nAttack = static_cast<int16_t>(std::clamp<int32_t>(index, INT16_MIN, INT16_MAX));
    pCreature->Send(gcMsgAttack(nAttack, (nFlags & kChain) != 0, nBranch));
}
