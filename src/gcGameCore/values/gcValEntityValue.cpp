#include "gcGameCore/values/gcValEntityValue.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityValue, gcValue, 201)

cBase* gcValEntityValue::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityValue>(*this) : nullptr;
}

void gcValEntityValue::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(desiredValue);
}

bool gcValEntityValue::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const int32_t value = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    desiredValue = value;
    return true;
}

float gcValEntityValue::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    const gcEntityTemplate* pTemplate = pEntity ? pEntity->GetTemplate() : nullptr;
    if (!pTemplate || desiredValue < 0 || desiredValue >= gcEntityTemplate::MAX_VALUES)
        return 0.0f;
    return pTemplate->fEntityValues[desiredValue];
}

void gcValEntityValue::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, gcEntityTemplate::GetValueText(desiredValue));
}
