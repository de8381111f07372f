#include "gcGameCore/script/gcKeyValue.h"

#include "gcNamedFloat.h"
#include "cCore/cMemPool.h"

QM_DEFINE_TYPE(gcKeyValue, cObject, 65)

void gcKeyValue::Write(const cFile& file) const
{
    gcNamedFloat::Write(file, kVersion, *this, m_fValue);
}

bool gcKeyValue::Read(const cFile& file, cMemPool* pPool)
{
    return gcNamedFloat::Read(file, pPool, kVersion, "gcKeyValue", &m_name, &m_fValue);
}

QM_DEFINE_GROUP(gcKeyValueGroup, 66)
