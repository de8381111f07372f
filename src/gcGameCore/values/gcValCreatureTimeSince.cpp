#include "gcGameCore/values/gcValCreatureTimeSince.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValCreatureTimeSince, gcValue, 139)

cBase* gcValCreatureTimeSince::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValCreatureTimeSince>(*this) : nullptr;
}

void gcValCreatureTimeSince::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredCreature.Write(wb);
    wb.WriteInt(timeSince);
}

bool gcValCreatureTimeSince::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity creature;
    creature.Read(rb, pPool);
    const int32_t which = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredCreature = creature;
    timeSince = which;
    return true;
}

float gcValCreatureTimeSince::Get(const gcEventParams& params) const
{
    const gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params);
    if (!pCreature || timeSince < 0 || timeSince >= gcCreature::MAX_TIMESINCE)
        return 0.0f;
    return pCreature->m_creatureTimeSince[timeSince].GetSeconds();
}

void gcValCreatureTimeSince::GetText(char* pBuf) const
{
    desiredCreature.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetTimeSinceText(timeSince));
}

const char* gcValCreatureTimeSince::GetTimeSinceText(int32_t which)
{
    static const char* const s_texts[gcCreature::MAX_TIMESINCE] = {
        "LastAttacked", "LastHitBoundary", "LastDodged", "LastBlocked",
        "LastHitNeighbor", "LastThrow", "LastStunned", "LastIdled",
    };
    return which >= 0 && which < gcCreature::MAX_TIMESINCE ? s_texts[which] : "???";
}
