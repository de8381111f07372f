#include "gcGameCore/values/gcValCreatureStat.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValCreatureStat, gcLValue, 203)

uint32_t gcValCreatureStat::s_nMaxesRead = 0;

// v pulled into 0..fMax: at or below 0 gives 0, at or above the maximum the
// maximum (0 wins when the maximum is negative and v is too).
static float PullIntoRange(float v, float fMax)
{
    if (v <= 0.0f)
        return 0.0f;
    return v >= fMax ? fMax : v;
}

cBase* gcValCreatureStat::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValCreatureStat>(*this) : nullptr;
}

void gcValCreatureStat::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredCreature.Write(wb);
    wb.WriteInt(desiredStat);
    wb.WriteBool(bMax);
}

bool gcValCreatureStat::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity creature;
    creature.Read(rb, pPool);
    const int32_t stat = rb.ReadInt();
    const bool max = rb.ReadBool();
    if (rb.Failed())
        return false;
    desiredCreature = creature;
    desiredStat = stat;
    bMax = max && gcCreatureTemplate::StatHasMax(stat);
    if (bMax)
        s_nMaxesRead |= 1u << stat;
    return true;
}

float gcValCreatureStat::Get(const gcEventParams& params) const
{
    const gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params);
    if (!pCreature || desiredStat < 0 || desiredStat >= gcCreature::kNumStats)
        return 0.0f;
    return bMax ? pCreature->m_fCreatureStatsMax[desiredStat] : pCreature->m_fCreatureStatsCur[desiredStat];
}

void gcValCreatureStat::GetText(char* pBuf) const
{
    desiredCreature.GetText(pBuf);
    gcScriptText::Append(pBuf, bMax ? ".Max" : ".");
    gcScriptText::Append(pBuf, gcCreatureTemplate::GetStatText(desiredStat));
}

void gcValCreatureStat::Set(float fValue, const gcEventParams& params)
{
    gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params);
    if (!pCreature || desiredStat < 0 || desiredStat >= gcCreature::kNumStats)
        return;
    float& fMax = pCreature->m_fCreatureStatsMax[desiredStat];
    float& fCur = pCreature->m_fCreatureStatsCur[desiredStat];
    if (bMax) {
        fMax = fValue;
        fCur = PullIntoRange(fCur, fMax);
    } else if (gcCreatureTemplate::StatHasMax(desiredStat)) {
        fCur = PullIntoRange(fValue, fMax);
    } else {
        fCur = fValue;
    }
}
