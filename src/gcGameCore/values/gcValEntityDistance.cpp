#include "gcGameCore/values/gcValEntityDistance.h"

#include <algorithm>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/script/gcScriptText.h"
#include "mMath/mScalar.h"

QM_DEFINE_TYPE(gcValEntityDistance, gcValue, 132)

// The entity named, unless it is deactivated or frozen: such an entity is
// out of play and has no distance to anything.
static gcEntity* ActiveEntity(const gcDesiredEntity& desired, const gcEventParams& params)
{
    gcEntity* p = desired.GetEntityAs<gcEntity>(params);
    return p && p->IsActive() ? p : nullptr;
}

// The larger horizontal half-extent of the collision outline; 0 for a model
// whose mesh does not resolve.
static float HorizontalRadius(const gcEntity& entity)
{
    const mVec3 size = entity.GetColliderSize();
    return std::max(size.x, size.y);
}

static float HorizontalLength(float x, float y)
{
    return mSqrt(x * x + y * y);
}

cBase* gcValEntityDistance::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityDistance>(*this) : nullptr;
}

void gcValEntityDistance::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(targetType);
    desiredTarget.Write(wb);
    hRegionPoint.Write(wb);
}

bool gcValEntityDistance::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const int32_t type = rb.ReadInt();
    gcDesiredEntity target;
    target.Read(rb, pPool);
    gcRegionPointHandle point;
    point.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    targetType = type;
    desiredTarget = target;
    hRegionPoint = point;
    return true;
}

float gcValEntityDistance::Get(const gcEventParams& params) const
{
    gcEntity* pEntity = ActiveEntity(desiredEntity, params);
    if (!pEntity)
        return 0.0f;
    if (targetType == TARGET_ENTITY) {
        gcEntity* pTarget = ActiveEntity(desiredTarget, params);
        if (!pTarget)
            return 0.0f;
        mVec3 v;
        pEntity->GetVecToEntity(pTarget, &v);
        // Height is ignored: one standing on the other still overlaps it.
        return HorizontalLength(v.x, v.y) - (HorizontalRadius(*pEntity) + HorizontalRadius(*pTarget));
    }
    if (targetType != TARGET_REGIONPOINT)
        return 0.0f;
    const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hRegionPoint);
    mOCS pointToWorld, entityToWorld;
    if (!pPoint || !pPoint->GetLocalToWorld(&pointToWorld) ||
        !gcEntityWorld::RegionToWorld(pEntity->m_nRegionId, pEntity->m_model.m_localToZone, &entityToWorld))
        return 0.0f;
    const mVec3 d = pointToWorld.origin - entityToWorld.origin;
    return HorizontalLength(d.x, d.y);
}

void gcValEntityDistance::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".DistanceTo( ");
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
