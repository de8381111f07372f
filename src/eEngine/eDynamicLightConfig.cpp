#include "eEngine/eDynamicLightConfig.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(eDynamicLightConfig, cBase, 36)

cBase* eDynamicLightConfig::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eDynamicLightConfig>(*this) : nullptr;
}

void eDynamicLightConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    hMaterial.Write(wb);
    wb.WriteInt(color);
    wb.WriteFloat(fRadius);
    wb.WriteFloat(fFlicker);
    wb.WriteFloat(fDamping);
}

bool eDynamicLightConfig::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eDynamicLightConfig", "version");
    cBase::Read(file, pPool);
    eMaterialHandle hNewMaterial;
    hNewMaterial.Read(rb, pPool);
    const uint32_t nColor = rb.ReadUInt();
    const float fNewRadius = rb.ReadFloat();
    const float fNewFlicker = rb.m_nVersion >= 2 ? rb.ReadFloat() : kDefaultFlicker;
    const float fNewDamping = rb.m_nVersion >= 3 ? rb.ReadFloat() : kDefaultDamping;
    if (rb.Failed())
        return false;
    hMaterial = hNewMaterial;
    color = nColor;
    fRadius = fNewRadius;
    fFlicker = fNewFlicker;
    fDamping = fNewDamping;
    return true;
}
