#include "gcGameCore/actions/gcDoEntityDamage.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eGeom.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptText.h"
#include "mMath/mBox.h"
#include "mMath/mOCS.h"
#include "mMath/mSphere.h"

QM_DEFINE_TYPE(gcDoEntityDamage, gcAction, 223)

namespace {

// The entity's model frame in the world: through the zone of its region,
// or the identity when that region is not resident.
mOCS WorldFrameOf(gcEntity* pEntity)
{
    if (pEntity->m_model.m_nGeomFlags & eGeom::kDirty)
        pEntity->m_model.UpdateLocalToZone();
    mOCS world;
    gcEntityWorld::RegionToWorld(pEntity->m_nRegionId, pEntity->m_model.m_localToZone, &world);
    return world;
}

// Deactivated and frozen entities, and the attacker itself, are spared.
bool IsAreaTarget(const gcEntity* pEntity, const gcEntity* pAttacker)
{
    return pEntity && pEntity != pAttacker && pEntity->IsActive();
}

}  // namespace

gcDoEntityDamage::gcDoEntityDamage(const gcDoEntityDamage& other)
    : gcAction(), desiredTarget(other.desiredTarget), desiredAttacker(other.desiredAttacker), nFlags(other.nFlags),
      calcDamage(other.calcDamage), calcDuration(other.calcDuration), desiredDir(other.desiredDir),
      bEventLocationDir(other.bEventLocationDir), bAreaEffect(other.bAreaEffect), fRadius(other.fRadius)
{
}

cBase* gcDoEntityDamage::Copy(cMemPool* pPool) const
{
    gcDoEntityDamage* pCopy = pPool ? pPool->New<gcDoEntityDamage>(*this) : nullptr;
    return gcEvent::KeepWhole(pCopy, *this, &gcDoEntityDamage::calcDamage, &gcDoEntityDamage::calcDuration);
}

void gcDoEntityDamage::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredTarget.Write(wb);
    desiredAttacker.Write(wb);
    calcDamage.Write(file);
    calcDuration.Write(file);
    wb.WriteInt(nFlags);
    wb.WriteInt(desiredDir);
    wb.WriteBool(bEventLocationDir);
    wb.WriteBool(bAreaEffect);
    wb.WriteFloat(fRadius);
}

bool gcDoEntityDamage::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < 1 || v > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityDamage", "version");
    gcDesiredEntity target, attacker;
    target.Read(rb, pPool);
    attacker.Read(rb, pPool);
    // Read into events of their own, so a damaged block leaves the old lists.
    gcEvent damage, duration;
    if (rb.Failed() || !damage.Read(file, pPool) || (v >= 2 && !duration.Read(file, pPool)))
        return rb.Reject("gcDoEntityDamage", "event block");
    uint32_t flags = 0;
    if (v >= 2)
        flags = rb.ReadUInt();
    else if (rb.ReadBool())
        flags = kOldHardHit;
    const int32_t dir = rb.ReadInt();
    const bool bEventLocation = rb.ReadBool();
    const bool bArea = v >= 3 ? rb.ReadBool() : false;
    const float radius = v >= 3 ? rb.ReadFloat() : 0.0f;
    if (rb.Failed())
        return false;
    desiredTarget = target;
    desiredAttacker = attacker;
    std::swap(calcDamage.pAction, damage.pAction);
    std::swap(calcDuration.pAction, duration.pAction);
    nFlags = flags;
    desiredDir = dir;
    bEventLocationDir = bEventLocation;
    bAreaEffect = bArea;
    fRadius = radius;
    return true;
}

void gcDoEntityDamage::GetText(char* pBuf) const
{
    desiredAttacker.GetText(pBuf);
    if (bAreaEffect) {
        gcScriptText::AppendF(pBuf, ".DealAreaDamage( %gm )", static_cast<double>(fRadius));
        return;
    }
    gcScriptText::Append(pBuf, ".DealDamage( ");
    desiredTarget.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoEntityDamage::DoAction(const gcEventParams& params) const
{
    gcEntity* pAttacker = desiredAttacker.GetEntity(params, nullptr, false);
    const float fAmount = calcDamage.Apply(params, gcEventStackData());
    if (!bAreaEffect) {
        if (gcEntity* pTarget = desiredTarget.GetEntity(params, nullptr, true))
            ApplyDamage(pAttacker, pTarget, fAmount, params.pLocalToWorld);
        return;
    }
    mOCS origin;
    const mOCS* pOrigin = GetAreaOrigin(params, pAttacker, bEventLocationDir, &origin);
    if (!pOrigin)
        return;
    if (const gcMap* pMap = gcMap::s_pMap) {
        const int32_t begin = std::max(pMap->m_entities.m_nBegin, 0);
        const int32_t end = std::min(pMap->m_entities.m_nEnd, static_cast<int32_t>(gcEntityMgr::kSlots));
        for (int32_t slot = begin; slot < end; ++slot) {
            gcEntity* p = gcEntityMgr::s_pInstances[slot];
            if (IsAreaTarget(p, pAttacker))
                ApplyDamage(pAttacker, p, fAmount, pOrigin);
        }
    }
    gcEntity* pPlayer = gcPlayer::Get()->m_pEntity;
    if (IsAreaTarget(pPlayer, pAttacker))
        ApplyDamage(pAttacker, pPlayer, fAmount, pOrigin);
}

const mOCS* gcDoEntityDamage::GetAreaOrigin(const gcEventParams& params, gcEntity* pAttacker, bool bEventLocation,
                                            mOCS* pStore)
{
    if (bEventLocation)
        return params.pLocalToWorld;
    if (!pAttacker)
        return nullptr;
    *pStore = WorldFrameOf(pAttacker);
    return pStore;
}

void gcDoEntityDamage::ApplyDamage(gcEntity* pAttacker, gcEntity* pTarget, float fAmount, const mOCS* pOrigin) const
{
    if (!pOrigin && bEventLocationDir)
        return;
    auto dir = static_cast<gcMsgDealDamage::gcDamageDir>(desiredDir);
    if ((bEventLocationDir || bAreaEffect) && pOrigin) {
        const mOCS targetToWorld = WorldFrameOf(pTarget);
        if (bAreaEffect && !AreaTouches(pTarget, targetToWorld, *pOrigin))
            return;
        mVec3 toTarget = targetToWorld.origin - pOrigin->origin;
        if (toTarget.LengthSq() > 0.0f)
            toTarget.Normalize();
        dir = gcEntity::DetermineHitDir(pOrigin->origin, pTarget, toTarget);
    }
    const cTimeValue duration = CalcDuration(pAttacker, pTarget, fAmount);
    pTarget->Send(gcMsgDealDamage(pAttacker, nFlags, fAmount, dir, duration));
}

bool gcDoEntityDamage::AreaTouches(gcEntity* pTarget, const mOCS& targetToWorld, const mOCS& origin) const
{
    // A target whose mesh does not resolve has no size: a point box.
    const mVec3 size = pTarget->GetColliderSize();
    mBox box;
    box.minCorner = mVec3(-size.x, -size.y, -size.z);
    box.maxCorner = size;
    mSphere sphere;
    sphere.center.XformInv(origin.origin, targetToWorld);
    sphere.radius = std::isnan(fRadius) ? 0.0f : fRadius;  // NaN would touch every box
    return sphere.Contains(box) != mContainment::NONE;
}

cTimeValue gcDoEntityDamage::CalcDuration(gcEntity* pAttacker, gcEntity* pTarget, float fAmount) const
{
    const gcEventParams params(pAttacker, pTarget, nullptr, nullptr, nullptr);
    const float fSeconds = calcDuration.Apply(params, gcEventStackData(fAmount, 0.0f));
    return cTimeValue::FromSeconds(fSeconds);
}
