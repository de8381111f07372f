#include "gcGameCore/actions/gcDoEffectActivate.h"

#include <string>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEffectActivate, gcAction, 135)

const char* gcDoEffectActivate::GetActionText(int32_t act)
{
    switch (act) {
    case ACTION_ACTIVATE: return "Activate";
    case ACTION_ACTIVATERESET: return "ActivateAndReset";
    default: return "Deactivate";
    }
}

cBase* gcDoEffectActivate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEffectActivate>(action, bUseMask, desiredEffect, nActivationMask) : nullptr;
}

void gcDoEffectActivate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(action);
    desiredEffect.Write(wb);
    wb.WriteBool(bUseMask);
    wb.WriteInt(nActivationMask);
}

bool gcDoEffectActivate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    int32_t act = 0;
    if (rb.m_nVersion >= 4)
        act = rb.ReadInt();
    else
        act = rb.ReadBool() ? ACTION_ACTIVATE : ACTION_DEACTIVATE;
    gcDesiredEffect effect;
    effect.Read(rb, pPool);
    bool useMask = false;  // version 2 names one effect
    uint32_t mask = 0;
    if (rb.m_nVersion >= 3) {
        useMask = rb.ReadBool();
        mask = rb.ReadUInt();
    }
    if (rb.Failed())
        return false;
    action = act;
    desiredEffect = effect;
    bUseMask = useMask;
    nActivationMask = mask;
    return true;
}

void gcDoEffectActivate::GetText(char* pBuf) const
{
    if (!bUseMask) {
        desiredEffect.GetText(pBuf);
        gcScriptText::Append(pBuf, ".");
        gcScriptText::Append(pBuf, GetActionText(action));
        return;
    }
    // The groups are the mask's set bits, 1-based. The line may hold 255
    // characters; with every bit set it holds 150.
    std::string line = std::string("Effect") + GetActionText(action) + "Groups( ";
    if (nActivationMask == 0)
        line += "---";
    for (int bit = 0; bit < 32; ++bit) {
        if (!(nActivationMask & (1u << bit)))
            continue;
        line += std::to_string(bit + 1);
        if ((nActivationMask >> bit) > 1)
            line += ", ";
    }
    line += " )";
    gcScriptText::Append(pBuf, line.c_str());
}

void gcDoEffectActivate::ApplyTo(gcEffect* pEffect) const
{
    switch (action) {
    case ACTION_ACTIVATE:
        pEffect->Send(gcMsgActivate());
        break;
    case ACTION_ACTIVATERESET:
        pEffect->Send(gcMsgDeactivate());
        pEffect->Reset(nullptr);
        pEffect->Send(gcMsgActivate());
        break;
    default:
        pEffect->Send(gcMsgDeactivate());
        break;
    }
}

void gcDoEffectActivate::DoAction(const gcEventParams& params) const
{
    if (!bUseMask) {
        if (gcEffect* pEffect = desiredEffect.GetEffect(params))
            ApplyTo(pEffect);
        return;
    }
    const gcMap* pMap = gcMap::s_pMap;
    if (!pMap || nActivationMask == 0)
        return;
    for (int32_t slot = pMap->m_effects.FirstTableSlot(); slot < pMap->m_effects.EndTableSlot(); ++slot) {
        gcEffect* pEffect = gcEffectMgr::GetPtr(gcEffectMgr::GetHandle(slot));
        if (pEffect && (pEffect->m_nActivationMask & nActivationMask))
            ApplyTo(pEffect);
    }
}
