#include "gcGameCore/values/gcValLoading.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcMapLoader.h"

QM_DEFINE_TYPE(gcValLoading, gcValue, 114)

cBase* gcValLoading::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValLoading>() : nullptr;
}

void gcValLoading::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
}

bool gcValLoading::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    return ReadFrame(rb, pPool, 1, kVersion) && !rb.Failed();
}

float gcValLoading::Get(const gcEventParams&) const
{
    return gcMapLoader::Get()->IsRunning() ? 1.0f : 0.0f;
}
