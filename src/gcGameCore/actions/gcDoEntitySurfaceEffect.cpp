#include "gcGameCore/actions/gcDoEntitySurfaceEffect.h"

#include <algorithm>
#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eColliderRay.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/script/gcScriptText.h"
#include "mMath/mOCS.h"

QM_DEFINE_TYPE(gcDoEntitySurfaceEffect, gcAction, 235)

namespace {

constexpr float kDegrees = 57.29578f;
constexpr float kStillSpeed = 0.00001f;  // slower counts as standing

// The frame the ray starts from, in the world, and its length.
void GetRayStart(gcEntity& entity, const cName& helper, mOCS* pStart, float* pLength)
{
    mOCS zoneToWorld;
    zoneToWorld.MakeIdentity();
    const eZone* pZone = gcEntityWorld::GetRegionZone(entity.m_nRegionId);
    if (pZone)
        zoneToWorld = pZone->m_localToWorld;
    pStart->MakeIdentity();
    if (pZone)
        pStart->Xform(entity.m_model.m_localToZone, zoneToWorld);
    *pLength = gcDoEntitySurfaceEffect::kRayScale * entity.GetColliderSize().z;
    if (helper == "")
        return;
    const int index = entity.m_model.GetSubObjectIndex(helper, 0, false);
    const mOCS* pNode = index >= 0 ? entity.m_model.GetSubObjectToZone(index) : nullptr;
    if (!pNode)
        return;
    pStart->Xform(*pNode, zoneToWorld);
    pStart->origin.z += gcDoEntitySurfaceEffect::kHelperRaise;
    *pLength = gcDoEntitySurfaceEffect::kHelperRayLength;
}

// The effect template the surface gives the entity; null outside the table.
gcEffectTemplateHandle GetEffectTemplate(const gcSurface& surface, int32_t nSize, uint32_t nType)
{
    if (nSize < 0 || nSize >= gcSurface::MAX_SIZES || nType >= static_cast<uint32_t>(gcSurface::MAX_TYPES))
        return gcEffectTemplateHandle();
    return surface.m_hEffects[nSize][nType];
}

}  // namespace

cBase* gcDoEntitySurfaceEffect::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntitySurfaceEffect>(nType, desiredEntity, helperName) : nullptr;
}

void gcDoEntitySurfaceEffect::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(nType);
    desiredEntity.Write(wb);
    helperName.Write(wb);
}

bool gcDoEntitySurfaceEffect::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    const uint32_t type = rb.ReadUInt();
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    cName helper;
    if (rb.m_nVersion >= 2)
        helper.Read(rb);
    if (rb.Failed())
        return false;
    nType = type;
    desiredEntity = entity;
    helperName = helper;
    return true;
}

void gcDoEntitySurfaceEffect::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "EntitySurfaceEffect( ");
    desiredEntity.GetText(pBuf);
    if (!(helperName == ""))
        gcScriptText::AppendF(pBuf, " at %s", helperName.m_sData);
    gcScriptText::AppendF(pBuf, ", %i )", static_cast<int>(nType + 1));
}

void gcDoEntitySurfaceEffect::GetOrientation(const mVec3& velocity, const mVec3& facing, const mVec3& normal,
                                             mBasis* pOut)
{
    const float fPitch = std::clamp(std::asin(std::clamp(normal.z, -1.0f, 1.0f)) * kDegrees, -kMaxPitch, kMaxPitch);
    const mVec3& dir = velocity.Length() > kStillSpeed ? velocity : facing;
    pOut->SetHP(std::atan2(-dir.x, dir.y) * kDegrees, fPitch);
}

void gcDoEntitySurfaceEffect::DoAction(const gcEventParams& params) const
{
    gcEntity* pEntity = desiredEntity.GetEntity(params, gcEntity::GetStaticType(), true);
    const gcEntityTemplate* pTemplate = pEntity ? pEntity->GetTemplate() : nullptr;
    if (!pTemplate)
        return;
    mOCS start;
    eColliderRay ray;
    GetRayStart(*pEntity, helperName, &start, &ray.m_ray.length);
    ray.m_ray.origin = start.origin;
    ray.m_ray.dir = mVec3(0.0f, 0.0f, -1.0f);
    ray.m_nCollisionMask = pTemplate->nSurfaceCollisionMask;
    ray.ClearHit();
    eZone::CollisionCullAll(ray);
    if (!eZone::CollideAllRay(&ray))
        return;
    const gcSurface* pSurface = dcast<gcSurface>(ray.m_rayHit.pSurface);
    if (!pSurface)
        return;
    const gcEffectTemplateHandle hTemplate = GetEffectTemplate(*pSurface, pTemplate->entitySize, nType);
    mOCS frame;
    eZone* pZone = eZone::GetZoneFromWorldPos(ray.m_rayHit.position, &frame.origin);
    if (hTemplate.IsNull() || !pZone)
        return;
    gcEffect* pEffect = gcEffectTemplate::GetInstance(hTemplate);
    if (!pEffect)
        return;
    GetOrientation(pEntity->m_velocity, pEntity->m_model.m_localToParent.basis.forward, ray.m_rayHit.normal,
                   &frame.basis);
    pEffect->m_model.m_localToParent = frame;
    pEffect->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    pEffect->m_nRegionId = static_cast<int16_t>(gcEntityWorld::GetZoneRegionId(pZone));
    pEffect->Send(gcMsgActivate());
    pEffect->Send(gcMsgUnfreeze());
}
