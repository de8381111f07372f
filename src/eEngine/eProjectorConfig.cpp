#include "eEngine/eProjectorConfig.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(eProjectorConfig, cBase, 43)

namespace {

constexpr int kFrameFloats = 12;  // origin, then the right, forward and up rows

}  // namespace

eProjectorConfig::eProjectorConfig()
{
    localToParent.MakeIdentity();
}

cBase* eProjectorConfig::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eProjectorConfig>(*this) : nullptr;
}

void eProjectorConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    const mOCS& o = localToParent;
    const float frame[kFrameFloats] = {o.origin.x,        o.origin.y,        o.origin.z,
                                       o.basis.right.x,   o.basis.right.y,   o.basis.right.z,
                                       o.basis.forward.x, o.basis.forward.y, o.basis.forward.z,
                                       o.basis.up.x,      o.basis.up.y,      o.basis.up.z};
    wb.WriteFloats(frame, kFrameFloats);
    hBlendMaterial.Write(wb);
    wb.WriteBool(bIsOrtho);
    wb.WriteFloat(fNear);
    wb.WriteFloat(fFar);
    wb.WriteFloat(fAngle);
    wb.WriteFloat(fWidth);
    wb.WriteFloat(fHeight);
}

bool eProjectorConfig::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eProjectorConfig", "version");
    cBase::Read(file, pPool);
    float f[kFrameFloats];
    rb.ReadFloats(f, kFrameFloats);
    eMaterialHandle hMaterial;
    hMaterial.Read(rb, pPool);
    const bool bOrtho = rb.ReadBool();
    float v[5];
    rb.ReadFloats(v, 5);
    if (rb.Failed())
        return false;
    localToParent.origin.Set(f[0], f[1], f[2]);
    localToParent.basis.right.Set(f[3], f[4], f[5]);
    localToParent.basis.forward.Set(f[6], f[7], f[8]);
    localToParent.basis.up.Set(f[9], f[10], f[11]);
    hBlendMaterial = hMaterial;
    bIsOrtho = bOrtho;
    fNear = v[0];
    fFar = v[1];
    fAngle = v[2];
    fWidth = v[3];
    fHeight = v[4];
    return true;
}
