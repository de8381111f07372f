#include "gcGameCore/values/gcValEntityCompare.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityCompare, gcValue, 194)

cBase* gcValEntityCompare::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityCompare>(*this) : nullptr;
}

void gcValEntityCompare::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    desiredTarget.Write(wb);
}

bool gcValEntityCompare::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, kVersion, kVersion))
        return false;
    gcDesiredEntity entity, target;
    entity.Read(rb, pPool);
    target.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    desiredTarget = target;
    return true;
}

float gcValEntityCompare::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    return pEntity && pEntity == desiredTarget.GetEntityAs<gcEntity>(params) ? 1.0f : 0.0f;
}

void gcValEntityCompare::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "( ");
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, " == ");
    desiredTarget.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}
