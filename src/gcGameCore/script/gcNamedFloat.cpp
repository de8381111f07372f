#include "gcNamedFloat.h"

#include "cCore/cFile.h"
#include "cCore/cObject.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

void gcNamedFloat::Write(const cFile& file, uint32_t version, const cObject& object, float fValue)
{
    cWriteBlock wb(file, version);
    object.cObject::Write(file);
    wb.WriteFloat(fValue);
}

bool gcNamedFloat::Read(const cFile& file, cMemPool* pPool, uint32_t version, const char* sClass, cName* pName,
                        float* pfValue)
{
    cReadBlock rb(file, version);
    if (rb.m_nVersion != version)
        return rb.Reject(sClass, "version");
    cObject name;
    if (!name.Read(file, pPool))
        return rb.Reject(sClass, "name block");
    const float fValue = rb.ReadFloat();
    if (rb.Failed())
        return false;
    *pName = name.m_name;
    *pfValue = fValue;
    return true;
}
