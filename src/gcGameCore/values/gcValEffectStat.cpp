#include "gcGameCore/values/gcValEffectStat.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEffectStat, gcLValue, 231)

cBase* gcValEffectStat::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEffectStat>(desiredEffect, desiredStat) : nullptr;
}

void gcValEffectStat::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredEffect.Write(wb);
    wb.WriteInt(desiredStat);
}

bool gcValEffectStat::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, kVersion, kVersion))
        return false;
    gcDesiredEffect effect;
    effect.Read(rb, pPool);
    const int32_t stat = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEffect = effect;
    desiredStat = stat;
    return true;
}

// The stat's slot in the resolved effect; null when either is missing.
float* gcValEffectStat::Stat(const gcEventParams& params) const
{
    gcEffect* pEffect = desiredEffect.GetEffect(params, nullptr);
    if (!pEffect || desiredStat < 0 || desiredStat >= gcEffectTemplate::MAX_STATS)
        return nullptr;
    return &pEffect->m_fEffectStatsCur[desiredStat];
}

float gcValEffectStat::Get(const gcEventParams& params) const
{
    const float* pStat = Stat(params);
    return pStat ? *pStat : 0.0f;
}

void gcValEffectStat::GetText(char* pBuf) const
{
    desiredEffect.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, gcEffectTemplate::GetStatText(desiredStat));
}

void gcValEffectStat::Set(float fValue, const gcEventParams& params)
{
    if (float* pStat = Stat(params))
        *pStat = fValue;
}
