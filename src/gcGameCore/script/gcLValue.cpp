#include "gcGameCore/script/gcLValue.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_ABSTRACT_TYPE(gcLValue, gcValue, 143)

void gcLValue::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
}

bool gcLValue::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcLValue", "version");
    if (!gcValue::Read(file, pPool))
        return rb.Reject("gcLValue", "value block");
    return !rb.Failed();
}
