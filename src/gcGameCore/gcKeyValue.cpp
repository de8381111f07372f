#include "gcGameCore/gcKeyValue.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(gcKeyValue, cObject, 65)

void gcKeyValue::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteFloat(m_fValue);
}

bool gcKeyValue::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcKeyValue", "version");
    cObject name;
    if (!name.Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcKeyValue", "name block");
    const float fValue = rb.ReadFloat();
    if (rb.Failed())
        return false;
    m_name = name.m_name;
    m_fValue = fValue;
    return true;
}
