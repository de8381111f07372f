#include "gcGameCore/actions/gcDoEntityMoveTo.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntityMoveTo, gcAction, 122)

namespace {

const char* const kEventName = "OnCompleted";
const char* const kOwnerName = "EntityMoveToPath";

gcDesiredValue Number(float f)
{
    gcDesiredValue v;  // a number literal by default
    v.fConst = f;
    return v;
}

const char* const kTypeTexts[gcDoEntityMoveTo::MAX_MOVETOTYPES] = {"RegionPoint", "RegionPath", "DetachFromPath"};

// The two path positions as the version stores them, destination first.
void ReadPathValues(const cReadBlock& rb, cMemPool* pPool, gcDesiredValue* pDest, gcDesiredValue* pSrc)
{
    const uint32_t v = rb.m_nVersion;
    if (v == 4) {
        *pDest = Number(rb.ReadFloat());
        *pSrc = Number(rb.ReadFloat());
        rb.ReadFloat();  // a third number no later version kept
        return;
    }
    pDest->Read(rb, pPool);
    pSrc->Read(rb, pPool);
    if (v <= 6) {
        gcDesiredValue dropped;
        dropped.Read(rb, pPool);  // a third value versions 5 and 6 stored
    }
}

}  // namespace

gcDoEntityMoveTo::gcDoEntityMoveTo()
    : srcOnPath(Number(0.0f)), destOnPath(Number(1.0f)), onCompleted(kEventName, kOwnerName)
{
}

gcDoEntityMoveTo::gcDoEntityMoveTo(const gcDoEntityMoveTo& other)
    : gcAction(), nFlags(other.nFlags), moveToType(other.moveToType), desiredEntity(other.desiredEntity),
      hRegionPoint(other.hRegionPoint), hRegionPath(other.hRegionPath), entityPath(other.entityPath),
      srcOnPath(other.srcOnPath), destOnPath(other.destOnPath), onCompleted(other.onCompleted)
{
}

gcDoEntityMoveTo::gcDoEntityMoveTo(int32_t type, const gcDesiredEntity& entity, uint16_t flags)
    : gcDoEntityMoveTo()
{
    moveToType = type;
    desiredEntity = entity;
    nFlags = flags;
}

cBase* gcDoEntityMoveTo::Copy(cMemPool* pPool) const
{
    gcDoEntityMoveTo* pCopy = pPool ? pPool->New<gcDoEntityMoveTo>(*this) : nullptr;
    return gcEvent::KeepWhole(pCopy, *this, &gcDoEntityMoveTo::onCompleted);
}

void gcDoEntityMoveTo::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(moveToType);
    desiredEntity.Write(wb);
    wb.WriteShort(nFlags);
    hRegionPoint.Write(wb);
    hRegionPath.Write(wb);
    wb.WriteInt(entityPath);
    destOnPath.Write(wb);
    srcOnPath.Write(wb);
    onCompleted.Write(file);
}

bool gcDoEntityMoveTo::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < kMinVersion || v > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityMoveTo", "version");
    const int32_t type = rb.ReadInt();
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const uint16_t flags = rb.ReadUShort();
    gcRegionPointHandle point;
    point.Read(rb, pPool);
    gcRegionPathHandle path;
    path.Read(rb, pPool);
    const int32_t nPath = v >= 6 ? rb.ReadInt() : gcEntity::PATH_PATROL;
    gcDesiredValue dest, src;
    ReadPathValues(rb, pPool, &dest, &src);
    if (rb.Failed())
        return false;
    gcEvent completed(kEventName, kOwnerName);
    if (v >= 8 && !completed.Read(file, pPool))
        return rb.Reject("gcDoEntityMoveTo", "completion event");
    moveToType = type;
    desiredEntity = entity;
    nFlags = flags;
    hRegionPoint = point;
    hRegionPath = path;
    entityPath = nPath;
    destOnPath = dest;
    srcOnPath = src;
    std::swap(onCompleted.pAction, completed.pAction);
    return true;
}

void gcDoEntityMoveTo::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    if (moveToType == EMT_DETACHFROMPATH) {
        gcScriptText::Append(pBuf, ".DetachFromPath( )");
        return;
    }
    gcScriptText::Append(pBuf, (nFlags & kSnap) ? ".SnapTo( " : ".MoveTo( ");
    if (moveToType == EMT_REGIONPATH && (nFlags & kEntityPath)) {
        gcScriptText::Append(pBuf, gcEntity::GetInitialPathText(entityPath));
    } else if (moveToType == EMT_REGIONPATH) {
        const gcRegionPath* p = gcRegionPathMgr::GetPtr(hRegionPath);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
    } else if (moveToType == EMT_REGIONPOINT) {
        const gcRegionPoint* p = gcRegionPointMgr::GetPtr(hRegionPoint);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
    } else {
        gcScriptText::Append(pBuf, "???");
    }
    gcScriptText::Append(pBuf, " )");
    if (onCompleted.HasActions())
        gcScriptText::AppendF(pBuf, " {%s}", kEventName);
}

void gcDoEntityMoveTo::DoAction(const gcEventParams& params) const
{
    gcEntity* pEntity = desiredEntity.GetEntity(params, nullptr, true);
    if (!pEntity)
        return;
    const bool bSnap = (nFlags & kSnap) != 0;
    const bool bOffsetHeight = (nFlags & kOffsetHeight) != 0;
    switch (moveToType) {
    case EMT_REGIONPOINT:
        if (gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hRegionPoint))
            pEntity->Send(gcMsgMoveToPoint(pPoint, bSnap, bOffsetHeight));
        break;
    case EMT_REGIONPATH:
        if (gcRegionPath* pPath = GetPath(*pEntity)) {
            const float fDest = destOnPath.GetValue();
            const float fSrc = srcOnPath.GetValue();
            pEntity->Send(gcMsgMoveToPath(pPath, fSrc, fDest, (nFlags & kClosestOnPath) != 0, bSnap, bOffsetHeight,
                                          &onCompleted));
        }
        break;
    case EMT_DETACHFROMPATH: pEntity->Send(gcMsgDetachFromPath()); break;
    default: break;
    }
}

gcRegionPath* gcDoEntityMoveTo::GetPath(const gcEntity& entity) const
{
    if ((nFlags & kEntityPath) && entityPath >= 0 && entityPath < gcEntity::MAX_PATHS)
        if (gcRegionPath* p = gcRegionPathMgr::GetPtr(entity.m_hPaths[entityPath]))
            return p;
    return gcRegionPathMgr::GetPtr(hRegionPath);
}

const char* gcDoEntityMoveTo::GetMoveToTypeText(int32_t type)
{
    return type >= 0 && type < MAX_MOVETOTYPES ? kTypeTexts[type] : "???";
}
