#include "gcGameCore/actions/gcDoEntityFace.h"

#include <algorithm>
#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eGeom.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"
#include "mMath/mOCS.h"

QM_DEFINE_TYPE(gcDoEntityFace, gcAction, 121)

namespace {

constexpr float kDegreesPerRadian = 57.29578f;

// From the entity to the point, both carried into the world through the
// zones of their regions; false when either region is not resident.
bool VecToPoint(gcEntity& entity, const gcRegionPoint& point, mVec3* pOut)
{
    mOCS pointToWorld, entityToWorld;
    if (!point.GetLocalToWorld(&pointToWorld))
        return false;
    if (entity.m_model.m_nGeomFlags & eGeom::kDirty)
        entity.m_model.UpdateLocalToZone();
    if (!gcEntityWorld::RegionToWorld(entity.m_nRegionId, entity.m_model.m_localToZone, &entityToWorld))
        return false;
    *pOut = pointToWorld.origin - entityToWorld.origin;
    return true;
}

}  // namespace

cBase* gcDoEntityFace::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityFace>(faceType, desiredEntity, desiredTarget, hRegionPoint) : nullptr;
}

void gcDoEntityFace::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(faceType);
    desiredEntity.Write(wb);
    desiredTarget.Write(wb);
    hRegionPoint.Write(wb);
}

bool gcDoEntityFace::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityFace", "version");
    const int32_t type = rb.ReadInt();
    gcDesiredEntity entity, target;
    entity.Read(rb, pPool);
    target.Read(rb, pPool);
    gcRegionPointHandle point;
    point.Read(rb, pPool);
    if (rb.Failed())
        return false;
    faceType = type;
    desiredEntity = entity;
    desiredTarget = target;
    hRegionPoint = point;
    return true;
}

void gcDoEntityFace::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".Face( ");
    if (faceType == EF_ENTITY) {
        desiredTarget.GetText(pBuf);
    } else if (faceType == EF_REGIONPOINT) {
        const gcRegionPoint* p = gcRegionPointMgr::GetPtr(hRegionPoint);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
    } else {
        gcScriptText::Append(pBuf, "???");
    }
    gcScriptText::Append(pBuf, " )");
}

void gcDoEntityFace::DoAction(const gcEventParams& params) const
{
    gcEntity* pEntity = desiredEntity.GetEntity(params, nullptr, true);
    if (!pEntity || !pEntity->IsActive())
        return;
    const float fRoll = pEntity->m_desiredHPR[2];
    mVec3 dir{0.0f, 0.0f, 0.0f};
    if (faceType == EF_ENTITY) {
        gcEntity* pTarget = desiredTarget.GetEntity(params, nullptr, true);
        if (!pTarget || !pTarget->IsActive())
            return;
        pEntity->GetVecToEntity(pTarget, &dir);
    } else if (faceType == EF_REGIONPOINT) {
        const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hRegionPoint);
        if (!pPoint || !VecToPoint(*pEntity, *pPoint, &dir))
            return;
    } else {
        return;
    }
    float fHeading, fPitch;
    GetFacing(dir, &fHeading, &fPitch);
    pEntity->Send(gcMsgFaceDir(mVec3{fHeading, fPitch, fRoll}));
}

void gcDoEntityFace::GetFacing(mVec3 dir, float* pHeading, float* pPitch)
{
    dir.Normalize();  // leaves a zero direction as it is: heading and pitch 0
    *pHeading = std::atan2(-dir.x, dir.y) * kDegreesPerRadian;
    *pPitch = std::asin(std::clamp(dir.z, -1.0f, 1.0f)) * kDegreesPerRadian;
}
