#include "gcGameCore/script/gcConstant.h"

#include "gcNamedFloat.h"
#include "cCore/cMemPool.h"

QM_DEFINE_TYPE(gcConstant, cObject, 251)

void gcConstant::Write(const cFile& file) const
{
    gcNamedFloat::Write(file, kVersion, *this, m_fValue);
}

bool gcConstant::Read(const cFile& file, cMemPool* pPool)
{
    return gcNamedFloat::Read(file, pPool, kVersion, "gcConstant", &m_name, &m_fValue);
}

QM_DEFINE_GROUP(gcConstantGroup, 252)
