#include "gcGameCore/values/gcValCreatureValue.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValCreatureValue, gcValue, 204)

cBase* gcValCreatureValue::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValCreatureValue>(*this) : nullptr;
}

void gcValCreatureValue::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredCreature.Write(wb);
    wb.WriteInt(desiredValue);
}

bool gcValCreatureValue::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity creature;
    creature.Read(rb, pPool);
    const int32_t value = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredCreature = creature;
    desiredValue = value;
    return true;
}

float gcValCreatureValue::Get(const gcEventParams& params) const
{
    const gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params);
    const gcCreatureTemplate* pTemplate = pCreature ? pCreature->GetCreatureTemplate() : nullptr;
    if (!pTemplate || desiredValue < 0 || desiredValue >= gcCreatureTemplate::MAX_VALUES)
        return 0.0f;
    return pTemplate->fCreatureValues[desiredValue];
}

void gcValCreatureValue::GetText(char* pBuf) const
{
    desiredCreature.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, gcCreatureTemplate::GetValueText(desiredValue));
}
