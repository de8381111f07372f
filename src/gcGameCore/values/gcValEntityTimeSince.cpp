#include "gcGameCore/values/gcValEntityTimeSince.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityTimeSince, gcValue, 225)

cBase* gcValEntityTimeSince::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityTimeSince>(*this) : nullptr;
}

void gcValEntityTimeSince::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(timeSince);
}

bool gcValEntityTimeSince::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const int32_t which = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    timeSince = which;
    return true;
}

float gcValEntityTimeSince::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    if (!pEntity || timeSince < 0 || timeSince >= gcEntity::MAX_TIMESINCE)
        return 0.0f;
    return pEntity->m_entityTimeSince[timeSince].GetSeconds();
}

void gcValEntityTimeSince::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetTimeSinceText(timeSince));
}

const char* gcValEntityTimeSince::GetTimeSinceText(int32_t which)
{
    static const char* const s_texts[gcEntity::MAX_TIMESINCE] = {
        "LastTookDamage", "LastEnteredMode", "LastChangedState", "LastInteract"};
    return which >= 0 && which < gcEntity::MAX_TIMESINCE ? s_texts[which] : "???";
}
