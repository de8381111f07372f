#include "eEngine/ePalette.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(ePalette, cBase, 12)

namespace {

constexpr uint32_t kBaseVersion = 1;

}  // namespace

ePalette::~ePalette()
{
    PlatformFree();
}

cBase* ePalette::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<ePalette>(*this) : nullptr;
}

void ePalette::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    PlatformWrite(file);
}

bool ePalette::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("ePalette", "version");
    { cReadBlock base(file, kBaseVersion); }
    if (rb.Failed())
        return false;
    return PlatformRead(file, pPool);
}
