#include "gcGameCore/actions/gcDoCameraMovement.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoCameraMovement, gcAction, 90)

namespace {

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_NUMBER;
    v.fConst = f;
    return v;
}

const char* PointName(gcRegionPointHandle h)
{
    const gcRegionPoint* p = gcRegionPointMgr::GetPtr(h);
    return p ? p->m_name.m_sData : "???";
}

const char* PathName(gcRegionPathHandle h)
{
    const gcRegionPath* p = gcRegionPathMgr::GetPtr(h);
    return p ? p->m_name.m_sData : "???";
}

}  // namespace

gcDoCameraMovement::gcDoCameraMovement() : srcOnPath(Number(0.0f)), destOnPath(Number(1.0f)) {}

gcDoCameraMovement::gcDoCameraMovement(int32_t type, const gcDesiredEntity& entity, gcRegionPathHandle path,
                                       gcRegionPointHandle point, float reorientFactor, const gcDesiredValue& src,
                                       const gcDesiredValue& dest, uint32_t flags)
    : moveType(type),
      desiredEntity(entity),
      hRegionPath(path),
      hRegionPoint(point),
      fReorientFactor(reorientFactor),
      srcOnPath(src),
      destOnPath(dest),
      nFlags(flags)
{
}

cBase* gcDoCameraMovement::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoCameraMovement>(moveType, desiredEntity, hRegionPath, hRegionPoint, fReorientFactor,
                                                  srcOnPath, destOnPath, nFlags)
                 : nullptr;
}

void gcDoCameraMovement::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(moveType);
    desiredEntity.Write(wb);
    hRegionPath.Write(wb);
    hRegionPoint.Write(wb);
    destOnPath.Write(wb);
    srcOnPath.Write(wb);
    wb.WriteFloat(fReorientFactor);
    wb.WriteInt(nFlags);
}

bool gcDoCameraMovement::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoCameraMovement", "version");
    const int32_t type = rb.ReadInt();
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcRegionPathHandle path;
    path.Read(rb, pPool);
    gcRegionPointHandle point;
    point.Read(rb, pPool);
    gcDesiredValue src = srcOnPath, dest;
    if (rb.m_nVersion >= 2) {
        dest.Read(rb, pPool);
        src.Read(rb, pPool);
    } else {
        dest = Number(rb.ReadFloat());
    }
    const float factor = rb.ReadFloat();
    uint32_t flags = nFlags;
    if (rb.m_nVersion >= 2)
        flags = rb.ReadUInt();
    else
        flags = rb.ReadBool() ? flags | kSnap : flags & ~kSnap;
    if (rb.Failed())
        return false;
    moveType = type;
    desiredEntity = entity;
    hRegionPath = path;
    hRegionPoint = point;
    fReorientFactor = factor;
    srcOnPath = src;
    destOnPath = dest;
    nFlags = flags;
    return true;
}

const char* gcDoCameraMovement::GetMoveTypeText(int32_t type)
{
    static const char* const kTexts[MAX_MOVETYPES] = {"Stop",       "MoveToPoint", "Reorient",
                                                      "FollowEntity", "FollowPath", "FollowPathAndEntity"};
    return type >= 0 && type < MAX_MOVETYPES ? kTexts[type] : "???";
}

void gcDoCameraMovement::GetText(char* pBuf) const
{
    const bool bSnap = (nFlags & kSnap) != 0;
    gcScriptText::Append(pBuf, "Camera.");
    switch (moveType) {
    case CM_STOP: gcScriptText::Append(pBuf, bSnap ? "SnapStop" : "Stop"); break;
    case CM_MOVETOPOINT:
        gcScriptText::AppendF(pBuf, "%s[%s] )", bSnap ? "SnapTo( " : "MoveTo( ", PointName(hRegionPoint));
        break;
    case CM_REORIENT: gcScriptText::Append(pBuf, "Reorient"); break;
    case CM_FOLLOWENTITY:
        gcScriptText::Append(pBuf, bSnap ? "SnapTo( " : "MoveTo( ");
        desiredEntity.GetText(pBuf);
        gcScriptText::Append(pBuf, " )");
        break;
    case CM_FOLLOWPATH:
        gcScriptText::AppendF(pBuf, "%s[%s] )", bSnap ? "SnapToPath( " : "FollowPath( ", PathName(hRegionPath));
        break;
    case CM_FOLLOWPATHENTITY:
        gcScriptText::AppendF(pBuf, "%s[%s], ", bSnap ? "SnapToPathAndEntity( " : "FollowPathAndEntity( ",
                              PathName(hRegionPath));
        desiredEntity.GetText(pBuf);
        gcScriptText::Append(pBuf, " )");
        break;
    default: break;
    }
}

void gcDoCameraMovement::DoAction(const gcEventParams& params) const
{
    gcGameCamera* pCamera = gcGameCamera::Get();
    const bool bSnap = (nFlags & kSnap) != 0;
    const gcEntity* pEntity = nullptr;
    if (moveType == CM_FOLLOWENTITY || moveType == CM_FOLLOWPATHENTITY)
        pEntity = desiredEntity.GetEntity(params, nullptr, true);
    const gcEntityHandle hEntity = pEntity ? pEntity->m_handle : gcEntityHandle();
    switch (moveType) {
    case CM_STOP: pCamera->FollowNone(bSnap); break;
    case CM_MOVETOPOINT: pCamera->MoveToPoint(hRegionPoint, bSnap); break;
    case CM_REORIENT: pCamera->Reorient(true, fReorientFactor, bSnap); break;
    case CM_FOLLOWENTITY: pCamera->FollowEntity(hEntity, bSnap); break;
    case CM_FOLLOWPATH:
        pCamera->FollowPath(hRegionPath, srcOnPath.GetValue(), destOnPath.GetValue(), (nFlags & kStartClosest) != 0,
                            bSnap);
        break;
    case CM_FOLLOWPATHENTITY: pCamera->FollowPathMinAndEntity(hRegionPath, hEntity, bSnap); break;
    default: break;
    }
}
