#include "gcGameCore/values/gcValEntityValid.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityValid, gcValue, 221)

cBase* gcValEntityValid::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityValid>(*this) : nullptr;
}

void gcValEntityValid::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
}

bool gcValEntityValid::Read(const cFile& file, cMemPool* pPool)
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

float gcValEntityValid::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    return pEntity && pEntity->IsActive() ? 1.0f : 0.0f;
}

void gcValEntityValid::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".IsValid");
}
