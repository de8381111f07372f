#include "gcGameCore/values/gcValEffectValue.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEffectValue, gcValue, 205)

cBase* gcValEffectValue::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEffectValue>(desiredEffect, desiredValue) : nullptr;
}

void gcValEffectValue::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEffect.Write(wb);
    wb.WriteInt(desiredValue);
}

bool gcValEffectValue::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, kVersion, kVersion))
        return false;
    gcDesiredEffect effect;
    effect.Read(rb, pPool);
    const int32_t value = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEffect = effect;
    desiredValue = value;
    return true;
}

float gcValEffectValue::Get(const gcEventParams& params) const
{
    const gcEffect* pEffect = desiredEffect.GetEffect(params, nullptr);
    const gcEffectTemplate* pTemplate = pEffect ? pEffect->GetTemplate() : nullptr;
    if (!pTemplate || desiredValue < 0 || desiredValue >= gcEffectTemplate::MAX_VALUES)
        return 0.0f;
    return pTemplate->fValues[desiredValue];
}

void gcValEffectValue::GetText(char* pBuf) const
{
    desiredEffect.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, gcEffectTemplate::GetValueText(desiredValue));
}
