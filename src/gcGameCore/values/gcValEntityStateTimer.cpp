#include "gcGameCore/values/gcValEntityStateTimer.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cTimeValue.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityStateTimer, gcLValue, 249)

cBase* gcValEntityStateTimer::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityStateTimer>(*this) : nullptr;
}

void gcValEntityStateTimer::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredEntity.Write(wb);
}

bool gcValEntityStateTimer::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    return true;
}

float gcValEntityStateTimer::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    return pEntity ? pEntity->m_stateInfo.m_nextUpdate.GetSeconds() : 0.0f;
}

void gcValEntityStateTimer::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".StateTimer");
}

void gcValEntityStateTimer::Set(float fValue, const gcEventParams& params)
{
    if (gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params))
        pEntity->m_stateInfo.m_nextUpdate = cTimeValue::FromSeconds(fValue);
}
