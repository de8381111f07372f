#include "eEngine/eGeomTrailConfig.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(eGeomTrailConfig, cBase, 34)

const char* eGeomTrailConfig::OrientationText(int orientation)
{
    static const char* const kNames[NUM_ORIENTATIONS] = {"ORIENTATION_CAMERA", "ORIENTATION_TWO_POINTS"};
    return orientation >= 0 && orientation < NUM_ORIENTATIONS ? kNames[orientation] : "???";
}

eGeomTrailConfig::eGeomTrailConfig()
    : hMaterial(),
      orientation(ORIENTATION_TWO_POINTS),
      nMaxSegments(3),
      nSubdivisions(1),
      fWidth(1.0f),
      fFadeStart(1.0f),
      bTextureTiled(false)
{
}

cBase* eGeomTrailConfig::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eGeomTrailConfig>(*this) : nullptr;
}

void eGeomTrailConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    hMaterial.Write(wb);
    wb.WriteInt(static_cast<int32_t>(orientation));
    wb.WriteInt(nMaxSegments);
    wb.WriteInt(nSubdivisions);
    wb.WriteFloat(fFadeStart);
    wb.WriteFloat(fWidth);
    wb.WriteBool(bTextureTiled);
}

bool eGeomTrailConfig::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("eGeomTrailConfig", "version");
    cBase::Read(file, pPool);
    eMaterialHandle hMat;
    hMat.Read(rb, pPool);
    const int32_t nOrientation = rb.ReadInt();
    const int32_t nSegments = rb.ReadInt();
    const int32_t nSteps = rb.ReadInt();
    const float fFade = rb.ReadFloat();
    const float fW = rb.ReadFloat();
    const bool bTiled = rb.ReadBool();
    if (rb.Failed())
        return false;
    // No segment would leave the trail without a texture step (1 / 0) and
    // its sample array without room; more than the array holds the writer
    // never writes.
    if (nSegments < kMinSegments || nSegments > kMaxSegments)
        return rb.Reject("eGeomTrailConfig", "maximum segments");
    // Fewer than one step is raised silently: stored data rely on it.
    if (nSteps > kMaxSubdivisions)
        return rb.Reject("eGeomTrailConfig", "subdivisions");
    hMaterial = hMat;
    orientation = static_cast<eOrientation>(nOrientation);
    nMaxSegments = nSegments;
    nSubdivisions = nSteps < kMinSubdivisions ? kMinSubdivisions : nSteps;
    fFadeStart = fFade;
    fWidth = fW;
    bTextureTiled = bTiled;
    return true;
}
