#include "gcGameCore/values/gcValEntityFacing.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityFacing, gcValue, 131)

// The entity named, unless it is deactivated or frozen (out of play).
static gcEntity* ActiveEntity(const gcDesiredEntity& desired, const gcEventParams& params)
{
    gcEntity* p = desired.GetEntityAs<gcEntity>(params);
    return p && p->IsActive() ? p : nullptr;
}

cBase* gcValEntityFacing::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityFacing>(*this) : nullptr;
}

void gcValEntityFacing::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(targetType);
    desiredTarget.Write(wb);
    hRegionPoint.Write(wb);
}

bool gcValEntityFacing::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, kMinVersion, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    int32_t type = rb.ReadInt();
    gcDesiredEntity target;
    target.Read(rb, pPool);
    gcRegionPointHandle point;
    point.Read(rb, pPool);
    if (rb.m_nVersion == 2) {
        // The old layout's last word has no meaning now; its values were
        // cut loose from their entities.
        rb.ReadInt();
        entity = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
        type = TARGET_ENTITY;
        target = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
        point = gcRegionPointHandle();
    }
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    targetType = type;
    desiredTarget = target;
    hRegionPoint = point;
    return true;
}

float gcValEntityFacing::Get(const gcEventParams& params) const
{
    gcEntity* pEntity = ActiveEntity(desiredEntity, params);
    if (!pEntity)
        return 0.0f;
    mVec3 v;
    if (targetType == TARGET_ENTITY) {
        gcEntity* pTarget = ActiveEntity(desiredTarget, params);
        if (!pTarget)
            return 0.0f;
        pEntity->GetVecToEntity(pTarget, &v);
    } else if (targetType == TARGET_REGIONPOINT) {
        const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hRegionPoint);
        mOCS pointToWorld, entityToWorld;
        if (!pPoint || !pPoint->GetLocalToWorld(&pointToWorld) ||
            !gcEntityWorld::RegionToWorld(pEntity->m_nRegionId, pEntity->m_model.m_localToZone, &entityToWorld))
            return 0.0f;
        v = pointToWorld.origin - entityToWorld.origin;
    } else {
        return 0.0f;
    }
    // Into the entity's own axes (rotation only); the heading does not
    // depend on the length, so the direction is not normalised.
    mVec3 local;
    local.XformVecInv(v, pEntity->m_model.m_localToZone);
    return gcEntity::GetHeading(local);
}

void gcValEntityFacing::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".Facing( ");
    if (targetType == TARGET_ENTITY) {
        desiredTarget.GetText(pBuf);
    } else if (targetType == TARGET_REGIONPOINT) {
        const gcRegionPoint* p = gcRegionPointMgr::GetPtr(hRegionPoint);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
    } else {
        gcScriptText::Append(pBuf, "???");
    }
    gcScriptText::Append(pBuf, " )");
}
