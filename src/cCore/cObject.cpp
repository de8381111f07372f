#include "cCore/cObject.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_ABSTRACT_TYPE(cObject, cBase, 2)

static constexpr uint32_t kVersion = 1;

void cObject::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    m_name.Write(wb);
}

bool cObject::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("cObject", "version");
    cBase::Read(file, pPool);
    cName name;
    name.Read(rb);
    if (rb.Failed())
        return false;
    m_name = name;
    return true;
}

bool cObject::ReadObjectPart(const cReadBlock& rb, cMemPool* pPool)
{
    if (cObject::Read(rb.m_file, pPool))
        return true;
    if (!rb.Failed())
        rb.SkipToEnd();
    return false;
}

cObject::~cObject() = default;
