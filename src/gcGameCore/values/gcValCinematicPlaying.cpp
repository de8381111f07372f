#include "gcGameCore/values/gcValCinematicPlaying.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValCinematicPlaying, gcValue, 169)

cBase* gcValCinematicPlaying::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValCinematicPlaying>() : nullptr;
}

void gcValCinematicPlaying::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
}

bool gcValCinematicPlaying::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    return ReadFrame(rb, pPool, 1, kVersion) && !rb.Failed();
}

float gcValCinematicPlaying::Get(const gcEventParams&) const
{
    return gcMap::s_pMap && gcMap::s_pMap->IsCinematicPlaying() ? 1.0f : 0.0f;
}

void gcValCinematicPlaying::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "IsCinematicPlaying");
}
