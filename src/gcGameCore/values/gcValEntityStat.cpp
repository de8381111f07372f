#include "gcGameCore/values/gcValEntityStat.h"

#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityStat, gcLValue, 110)

uint32_t gcValEntityStat::s_nMaxesRead = 0;

// v pulled into 0..fMax: at or above the maximum the maximum, then at or
// below 0 gives 0, so a negative maximum leaves 0 rather than a negative
// current value.
static float PullIntoRange(float v, float fMax)
{
    const float f = v >= fMax ? fMax : v;
    return f <= 0.0f ? 0.0f : f;
}

static bool InTable(int32_t stat)
{
    return stat >= 0 && stat < gcEntityTemplate::MAX_STATS;
}

cBase* gcValEntityStat::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityStat>(*this) : nullptr;
}

void gcValEntityStat::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(desiredStat);
    wb.WriteBool(bMax);
}

bool gcValEntityStat::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, kMinVersion, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const int32_t stat = rb.ReadInt();
    const bool max = rb.m_nVersion >= 3 && rb.ReadBool();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    desiredStat = stat;
    bMax = max && gcEntityTemplate::StatHasMax(stat);
    if (bMax)
        s_nMaxesRead |= 1u << stat;
    return true;
}

float gcValEntityStat::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    if (!pEntity || !InTable(desiredStat))
        return 0.0f;
    return bMax ? pEntity->m_fEntityStatsMax[desiredStat] : pEntity->m_fEntityStatsCur[desiredStat];
}

void gcValEntityStat::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, bMax ? ".Max" : ".");
    gcScriptText::Append(pBuf, gcEntityTemplate::GetStatText(desiredStat));
}

void gcValEntityStat::Set(float fValue, const gcEventParams& params)
{
    gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    // NaN compares false with everything: as a health or its maximum it
    // would let the next hit kill without the death's events. It changes
    // nothing.
    if (!pEntity || !InTable(desiredStat) || std::isnan(fValue))
        return;
    float& fMax = pEntity->m_fEntityStatsMax[desiredStat];
    float& fCur = pEntity->m_fEntityStatsCur[desiredStat];
    if (bMax) {
        fMax = fValue;
        fCur = PullIntoRange(fCur, fMax);
    } else if (gcEntityTemplate::StatHasMax(desiredStat)) {
        fCur = PullIntoRange(fValue, fMax);
    } else {
        fCur = fValue;
    }
}
