#include "gcGameCore/values/gcValCreatureStrafeDir.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValCreatureStrafeDir, gcLValue, 202)

cBase* gcValCreatureStrafeDir::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValCreatureStrafeDir>(*this) : nullptr;
}

void gcValCreatureStrafeDir::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredCreature.Write(wb);
}

bool gcValCreatureStrafeDir::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity creature;
    creature.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredCreature = creature;
    return true;
}

void gcValCreatureStrafeDir::GetText(char* pBuf) const
{
    desiredCreature.GetText(pBuf);
    gcScriptText::Append(pBuf, ".StrafeDir");
}

void gcValCreatureStrafeDir::Set(float fValue, const gcEventParams& params)
{
    if (gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params))
        pCreature->Send(gcMsgStrafeDir(fValue));
}
