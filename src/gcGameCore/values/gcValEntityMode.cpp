#include "gcGameCore/values/gcValEntityMode.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityMode, gcLValue, 176)

cBase* gcValEntityMode::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityMode>(*this) : nullptr;
}

void gcValEntityMode::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredEntity.Write(wb);
}

bool gcValEntityMode::Read(const cFile& file, cMemPool* pPool)
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

float gcValEntityMode::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    return pEntity ? static_cast<float>(pEntity->m_nMode) : 0.0f;
}

void gcValEntityMode::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".Mode");
}

void gcValEntityMode::Set(float fValue, const gcEventParams& params)
{
    if (gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params))
        pEntity->SetMode(static_cast<int16_t>(TruncToInt(fValue)));
}
