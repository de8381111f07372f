#include "eEngine/eShadowConfig.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(eShadowConfig, cBase, 35)

cBase* eShadowConfig::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eShadowConfig>(*this) : nullptr;
}

void eShadowConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    hBlendMaterial.Write(wb);
    hFillMaterial.Write(wb);
    wb.WriteBool(bRenderToTexture);
    wb.WriteFloat(fFar);
}

bool eShadowConfig::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0 || rb.m_nVersion > kVersion)
        return rb.Reject("eShadowConfig", "version");
    cBase::Read(file, pPool);
    eMaterialHandle hBlend, hFill;
    hBlend.Read(rb, pPool);
    hFill.Read(rb, pPool);
    const bool bRender = rb.ReadBool();
    uint32_t unused[8];
    if (rb.m_nVersion == 1)
        rb.ReadInts(unused, 2);
    const float fNewFar = rb.ReadFloat();
    if (rb.m_nVersion == 1)
        rb.ReadInts(unused, 3 + 3 + 1);  // three words, a triple, one word
    if (rb.Failed())
        return false;
    hBlendMaterial = hBlend;
    hFillMaterial = hFill;
    bRenderToTexture = bRender;
    fFar = fNewFar;
    return true;
}
