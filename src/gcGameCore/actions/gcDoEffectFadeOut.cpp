#include "gcGameCore/actions/gcDoEffectFadeOut.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cTimeValue.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEffectFadeOut, gcAction, 224)

cBase* gcDoEffectFadeOut::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEffectFadeOut>(desiredEffect, fadeOutTime, bStop, bDisableGravity) : nullptr;
}

void gcDoEffectFadeOut::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEffect.Write(wb);
    fadeOutTime.Write(wb);
    wb.WriteBool(bStop);
    wb.WriteBool(bDisableGravity);
}

bool gcDoEffectFadeOut::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredEffect effect;
    effect.Read(rb, pPool);
    gcDesiredValue time;
    if (rb.m_nVersion >= 2)
        time.Read(rb, pPool);
    else
        time.fConst = static_cast<float>(rb.ReadInt()) * cTimeValue::SECONDS_PER_TICK;  // stored as ticks
    const bool stop = rb.ReadBool();
    const bool noGravity = rb.ReadBool();
    if (rb.Failed())
        return false;
    desiredEffect = effect;
    fadeOutTime = time;
    bStop = stop;
    bDisableGravity = noGravity;
    return true;
}

void gcDoEffectFadeOut::GetText(char* pBuf) const
{
    desiredEffect.GetText(pBuf);
    gcScriptText::Append(pBuf, bStop ? ".StopAndFadeOut( " : ".FadeOut( ");
    fadeOutTime.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoEffectFadeOut::DoAction(const gcEventParams& params) const
{
    gcEffect* pEffect = desiredEffect.GetEffect(params);
    if (!pEffect)
        return;
    pEffect->FadeOut(cTimeValue::FromSeconds(fadeOutTime.GetValue()));
    if (bStop)
        pEffect->m_currentVelocity.Set(0.0f, 0.0f, 0.0f);
    if (bDisableGravity)
        pEffect->m_nFlags |= gcEffect::kNoGravity;
}
