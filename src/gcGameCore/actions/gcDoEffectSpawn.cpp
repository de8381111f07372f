#include "gcGameCore/actions/gcDoEffectSpawn.h"

#include <algorithm>
#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEffectSpawn, gcAction, 137)

namespace {

constexpr float kDegreesPerRadian = 57.29578f;

// Heading and pitch (degrees) of a direction: heading 0 along +y, positive
// toward -x; pitch positive upwards.
void HeadingPitch(const mVec3& dir, float* pHeading, float* pPitch)
{
    *pHeading = std::atan2(-dir.x, dir.y) * kDegreesPerRadian;
    *pPitch = std::asin(std::clamp(dir.z, -1.0f, 1.0f)) * kDegreesPerRadian;
}

// The change taken the short way round, held within the tolerance (its
// magnitude: a negative tolerance in data must not turn the range inside
// out; one that is not a number turns nothing).
float Turn(float fWanted, float fCurrent, float fTol)
{
    float fChange = fWanted - fCurrent;
    if (std::fabs(fChange) > 180.0f)
        fChange += fChange > 0.0f ? -360.0f : 360.0f;
    const float fLimit = std::isnan(fTol) ? 0.0f : std::fabs(fTol);
    return std::clamp(fChange, -fLimit, fLimit);
}

}  // namespace

gcDoEffectSpawn::gcDoEffectSpawn() = default;

gcDoEffectSpawn::gcDoEffectSpawn(gcEffectTemplateHandle hTemplate, int32_t location, const gcDesiredEntity& entity,
                                 const char* sNode)
    : hEffectTemplate(hTemplate), spawnLocation(location), desiredEntity(entity)
{
    attachName.Set("%s", sNode);
}

gcDoEffectSpawn::gcDoEffectSpawn(gcEffectTemplateHandle hTemplate, gcRegionPointHandle point)
    : hEffectTemplate(hTemplate), spawnLocation(SPAWN_REGIONPOINT), hRegionPoint(point)
{
}

void gcDoEffectSpawn::SetTarget(const gcDesiredEntity& target, const char* sNode, float fHeadingTol, float fPitchTol)
{
    targetEntity = target;
    targetName.Set("%s", sNode);
    headingTol = gcDesiredValue();
    headingTol.fConst = fHeadingTol;
    pitchTol = gcDesiredValue();
    pitchTol.fConst = fPitchTol;
}

cBase* gcDoEffectSpawn::Copy(cMemPool* pPool) const
{
    gcDoEffectSpawn* pCopy = pPool ? pPool->New<gcDoEffectSpawn>() : nullptr;
    if (pCopy) {
        pCopy->hEffectTemplate = hEffectTemplate;
        pCopy->spawnLocation = spawnLocation;
        pCopy->hRegionPoint = hRegionPoint;
        pCopy->desiredEntity = desiredEntity;
        pCopy->attachName = attachName;
        pCopy->nFlags = nFlags;
        pCopy->targetEntity = targetEntity;
        pCopy->targetName = targetName;
        pCopy->headingTol = headingTol;
        pCopy->pitchTol = pitchTol;
    }
    return pCopy;
}

void gcDoEffectSpawn::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    hEffectTemplate.Write(wb);
    wb.WriteInt(spawnLocation);
    hRegionPoint.Write(wb);
    desiredEntity.Write(wb);
    attachName.Write(wb);
    wb.WriteInt(nFlags);
    targetEntity.Write(wb);
    targetName.Write(wb);
    headingTol.Write(wb);
    pitchTol.Write(wb);
}

bool gcDoEffectSpawn::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDoEffectSpawn d;  // the defaults for what older versions lack
    d.hEffectTemplate.Read(rb, pPool);
    d.spawnLocation = rb.ReadInt();
    d.hRegionPoint.Read(rb, pPool);
    d.desiredEntity.Read(rb, pPool);
    d.attachName.Read(rb);
    if (rb.m_nVersion == 2)
        rb.ReadInt();  // a word only this version had
    if (rb.m_nVersion >= 4)
        d.nFlags = rb.ReadUInt();
    if (rb.m_nVersion >= 5) {
        d.targetEntity.Read(rb, pPool);
        d.targetName.Read(rb);
        d.headingTol.Read(rb, pPool);
        d.pitchTol.Read(rb, pPool);
    }
    if (rb.Failed())
        return false;
    hEffectTemplate = d.hEffectTemplate;
    spawnLocation = d.spawnLocation;
    hRegionPoint = d.hRegionPoint;
    desiredEntity = d.desiredEntity;
    attachName = d.attachName;
    nFlags = d.nFlags;
    targetEntity = d.targetEntity;
    targetName = d.targetName;
    headingTol = d.headingTol;
    pitchTol = d.pitchTol;
    return true;
}

void gcDoEffectSpawn::GetText(char* pBuf) const
{
    const gcEffectTemplate* pTemplate = gcEffectTemplateMgr::GetPtr(hEffectTemplate);
    gcScriptText::AppendF(pBuf, "SpawnEffect( [%s]", pTemplate ? pTemplate->m_name.m_sData : "???");
    switch (spawnLocation) {
    case SPAWN_EVENTLOCATION:
        gcScriptText::Append(pBuf, " at EventLocation");
        break;
    case SPAWN_REGIONPOINT: {
        const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hRegionPoint);
        gcScriptText::AppendF(pBuf, " at [%s]", pPoint ? pPoint->m_name.m_sData : "???");
        break;
    }
    case SPAWN_ATTACHTOENTITY:
    case SPAWN_ENTITYHELPER:
        gcScriptText::Append(pBuf, spawnLocation == SPAWN_ATTACHTOENTITY ? " attached to " : " at ");
        desiredEntity.GetText(pBuf);
        if (attachName.m_sData[0])
            gcScriptText::AppendF(pBuf, ".%s", attachName.m_sData);
        break;
    default:
        break;
    }
    gcScriptText::Append(pBuf, " )");
}

void gcDoEffectSpawn::DoAction(const gcEventParams& params) const
{
    gcEffectTemplate* pTemplate = gcEffectTemplateMgr::GetPtr(hEffectTemplate);
    gcEffect* pEffect = pTemplate ? pTemplate->GetInstance() : nullptr;
    // An effect that is not placed goes back at once, so that a spawn with
    // nowhere to go never uses up the pool.
    if (pEffect && !Place(pEffect, params))
        pTemplate->ReleaseInstance(pEffect);
}

bool gcDoEffectSpawn::Place(gcEffect* pEffect, const gcEventParams& params) const
{
    switch (spawnLocation) {
    case SPAWN_EVENTLOCATION:
        if (!params.pLocalToWorld)
            return false;
        pEffect->SpawnAt(*params.pLocalToWorld, nullptr);
        return true;
    case SPAWN_REGIONPOINT:
        return PlaceAtPoint(pEffect);
    case SPAWN_ATTACHTOENTITY:
        return AttachToEntity(pEffect, params);
    case SPAWN_ENTITYHELPER:
        return PlaceAtHelper(pEffect, params);
    default:
        return false;
    }
}

// Placed and woken: the model takes the frame when next updated.
static void Wake(gcEffect* pEffect, const mOCS& frame, int16_t nRegionId)
{
    pEffect->m_model.m_localToParent = frame;
    pEffect->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    pEffect->m_nRegionId = nRegionId;
    pEffect->Send(gcMsgActivate());
    pEffect->Send(gcMsgUnfreeze());
}

bool gcDoEffectSpawn::PlaceAtPoint(gcEffect* pEffect) const
{
    const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hRegionPoint);
    if (!pPoint)
        return false;
    Wake(pEffect, pPoint->m_localToRegion, pPoint->m_nRegionId);
    return true;
}

bool gcDoEffectSpawn::AttachToEntity(gcEffect* pEffect, const gcEventParams& params) const
{
    gcEntity* pEntity = desiredEntity.GetEntity(params, nullptr, true);
    if (!pEntity || !pEntity->IsActive())
        return false;
    if (attachName.m_sData[0] && pEntity->m_model.GetSubObjectIndex(attachName, 0, false) < 0)
        return false;  // a node the model lacks: nothing is attached
    pEntity->AddEffect(pEffect, &attachName);
    return true;
}

bool gcDoEffectSpawn::PlaceAtHelper(gcEffect* pEffect, const gcEventParams& params) const
{
    gcEntity* pEntity = desiredEntity.GetEntity(params, nullptr, true);
    if (!pEntity || !pEntity->IsActive())
        return false;
    if (pEntity->m_model.m_nGeomFlags & eGeom::kDirty)
        pEntity->m_model.UpdateLocalToZone();  // a frame moved since the last update
    const int nNode = pEntity->m_model.GetSubObjectIndex(attachName, 0, false);
    // A missing node (-1) gives the model's own frame.
    mOCS frame = *pEntity->m_model.GetSubObjectToZone(nNode);
    pEffect->m_pSpawnEntity = pEntity;
    pEffect->m_nSpawnNodeIndex = static_cast<int16_t>(nNode);
    Aim(pEntity, params, &frame);
    Wake(pEffect, frame, pEntity->m_nRegionId);
    return true;
}

void gcDoEffectSpawn::Aim(gcEntity* pSpawner, const gcEventParams& params, mOCS* pFrame) const
{
    // No target (the specific selector with a null handle resolves to
    // nothing too): the helper's frame as it is.
    gcEntity* pTarget = targetEntity.GetEntity(params, nullptr, true);
    if (!pTarget)
        return;
    mVec3 dir;
    pSpawner->GetVecToEntityHelper(attachName, pTarget, targetName, &dir);
    dir.Normalize();
    float fHeading, fPitch, fWantHeading, fWantPitch;
    HeadingPitch(pFrame->basis.forward, &fHeading, &fPitch);
    HeadingPitch(dir, &fWantHeading, &fWantPitch);
    fHeading += Turn(fWantHeading, fHeading, headingTol.GetValue());
    fPitch += Turn(fWantPitch, fPitch, pitchTol.GetValue());
    pFrame->basis.SetHP(fHeading, fPitch);
}
