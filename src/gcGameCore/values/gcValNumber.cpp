#include "gcGameCore/values/gcValNumber.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValNumber, gcValue, 78)

cBase* gcValNumber::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValNumber>(*this) : nullptr;
}

void gcValNumber::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteFloat(fValue);
}

bool gcValNumber::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const float f = rb.ReadFloat();
    if (rb.Failed())
        return false;
    fValue = f;
    return true;
}

float gcValNumber::Get(const gcEventParams&) const
{
    return fValue;
}

void gcValNumber::GetText(char* pBuf) const
{
    gcScriptText::AppendF(pBuf, "%.3g", fValue);
}
