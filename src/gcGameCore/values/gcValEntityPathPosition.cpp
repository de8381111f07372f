#include "gcGameCore/values/gcValEntityPathPosition.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityPathPosition, gcValue, 171)

cBase* gcValEntityPathPosition::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityPathPosition>(*this) : nullptr;
}

void gcValEntityPathPosition::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
}

bool gcValEntityPathPosition::Read(const cFile& file, cMemPool* pPool)
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

float gcValEntityPathPosition::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    return pEntity ? pEntity->GetCurPathT(true) : 0.0f;
}

void gcValEntityPathPosition::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".PathPosition");
}
