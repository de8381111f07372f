#include "gcGameCore/actions/gcDoCameraLookAt.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoCameraLookAt, gcAction, 91)

namespace {

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_NUMBER;
    v.fConst = f;
    return v;
}

}  // namespace

gcDoCameraLookAt::gcDoCameraLookAt() : srcOnPath(Number(0.0f)), destOnPath(Number(1.0f)) {}

gcDoCameraLookAt::gcDoCameraLookAt(int32_t type, const gcDesiredEntity& entity, gcRegionPathHandle path,
                                   gcRegionPointHandle point, const gcDesiredValue& src, const gcDesiredValue& dest,
                                   uint32_t flags)
    : lookAtType(type),
      desiredEntity(entity),
      hRegionPath(path),
      hRegionPoint(point),
      srcOnPath(src),
      destOnPath(dest),
      nFlags(flags)
{
}

cBase* gcDoCameraLookAt::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoCameraLookAt>(lookAtType, desiredEntity, hRegionPath, hRegionPoint, srcOnPath,
                                                destOnPath, nFlags)
                 : nullptr;
}

void gcDoCameraLookAt::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(lookAtType);
    desiredEntity.Write(wb);
    hRegionPath.Write(wb);
    hRegionPoint.Write(wb);
    destOnPath.Write(wb);
    srcOnPath.Write(wb);
    wb.WriteInt(nFlags);
}

bool gcDoCameraLookAt::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoCameraLookAt", "version");
    const int32_t type = rb.ReadInt();
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcRegionPathHandle path;
    path.Read(rb, pPool);
    gcRegionPointHandle point;
    point.Read(rb, pPool);
    gcDesiredValue src = srcOnPath, dest;
    uint32_t flags = nFlags;
    if (rb.m_nVersion >= 2) {
        dest.Read(rb, pPool);
        src.Read(rb, pPool);
        flags = rb.ReadUInt();
    } else {
        dest = Number(rb.ReadFloat());
        flags = rb.ReadBool() ? flags | kSnap : flags & ~kSnap;
    }
    if (rb.Failed())
        return false;
    lookAtType = type;
    desiredEntity = entity;
    hRegionPath = path;
    hRegionPoint = point;
    srcOnPath = src;
    destOnPath = dest;
    nFlags = flags;
    return true;
}

const char* gcDoCameraLookAt::GetLookAtText(int32_t type)
{
    static const char* const kTexts[MAX_LOOKATTYPES] = {"Stop", "Point", "Entity", "Path", "ThroughPoint",
                                                        "PathClosest"};
    return type >= 0 && type < MAX_LOOKATTYPES ? kTexts[type] : "???";
}

void gcDoCameraLookAt::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, (nFlags & kSnap) ? "Camera.SnapLook" : "Camera.Look");
    gcScriptText::Append(pBuf, lookAtType == CL_LOOKTHROUGHPOINT ? "Through( " : "At( ");
    switch (lookAtType) {
    case CL_LOOKATNONE: gcScriptText::Append(pBuf, "Stop"); break;
    case CL_LOOKATPOINT:
    case CL_LOOKTHROUGHPOINT: {
        const gcRegionPoint* p = gcRegionPointMgr::GetPtr(hRegionPoint);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
        break;
    }
    case CL_LOOKATENTITY: desiredEntity.GetText(pBuf); break;
    case CL_LOOKATPATH:
    case CL_LOOKATPATHCLOSEST: {
        const gcRegionPath* p = gcRegionPathMgr::GetPtr(hRegionPath);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
        break;
    }
    default: break;
    }
    gcScriptText::Append(pBuf, " )");
}

void gcDoCameraLookAt::DoAction(const gcEventParams& params) const
{
    gcGameCamera* pCamera = gcGameCamera::Get();
    const bool bSnap = (nFlags & kSnap) != 0;
    switch (lookAtType) {
    case CL_LOOKATNONE: pCamera->LookAtNone(bSnap); break;
    case CL_LOOKATPOINT: pCamera->LookAtPoint(hRegionPoint, bSnap); break;
    case CL_LOOKATENTITY: {
        const gcEntity* pEntity = desiredEntity.GetEntity(params, nullptr, true);
        pCamera->LookAtEntity(pEntity ? pEntity->m_handle : gcEntityHandle(), bSnap);
        break;
    }
    case CL_LOOKATPATH:
        pCamera->LookAtPath(hRegionPath, srcOnPath.GetValue(), destOnPath.GetValue(), (nFlags & kStartClosest) != 0,
                            bSnap);
        break;
    case CL_LOOKTHROUGHPOINT: pCamera->LookThroughPoint(hRegionPoint, bSnap); break;
    case CL_LOOKATPATHCLOSEST: pCamera->LookAtPathClosest(hRegionPath, bSnap); break;
    default: break;
    }
}
