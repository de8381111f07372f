#include "gcGameCore/actions/gcDoFogSet.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eFog.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoFogSet, gcAction, 182)

cBase* gcDoFogSet::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoFogSet>(bOff, fNear, fFar, nColor, transitionTime) : nullptr;
}

void gcDoFogSet::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteBool(bOff);
    wb.WriteFloat(fNear);
    wb.WriteFloat(fFar);
    wb.WriteInt(transitionTime.m_nTicks);
    wb.WriteInt(nColor);
}

bool gcDoFogSet::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    const bool off = rb.ReadBool();
    const float fNearDist = rb.ReadFloat();
    const float fFarDist = rb.ReadFloat();
    const int32_t nTicks = rb.ReadInt();
    const uint32_t color = rb.ReadUInt();
    if (rb.Failed())
        return false;
    bOff = off;
    fNear = fNearDist;
    fFar = fFarDist;
    transitionTime = cTimeValue(nTicks);
    nColor = color;
    return true;
}

void gcDoFogSet::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "FogSet( )");
}

void gcDoFogSet::DoAction(const gcEventParams&) const
{
    eFog::SetFog(gcGameCamera::Get()->m_camera, !bOff, fNear, fFar, nColor, transitionTime);
}
