// The per-tick physics of an effect: motion, its collision test, the rumble
// it adds by distance and where its particle systems are pulled to. Steps
// are counts of ticks; velocities are units per tick.

#include <algorithm>
#include <cmath>

#include "cCore/cLog.h"
#include "eEngine/eColliderEllipse.h"
#include "eEngine/eInput.h"
#include "eEngine/eMesh.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/eParticleSystem.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/flow/gcRumbleConfig.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"
#include "mMath/mQuat.h"

bool (*gcEffect::s_pGetRumbleListener)(int* pController, mVec3* pWorldPos) = nullptr;

namespace {

// The root motion of the animation's node 0 over the step, applied to the
// frame in place.
void ApplyRootMotion(const eModel& model, cTimeValue step, mOCS* pFrame)
{
    mVec3 delta(0.0f, 0.0f, 0.0f);
    mQuat rot(0.0f, 0.0f, 0.0f, 1.0f);
    model.CalcNodeDelta(step, 0, &delta, &rot);
    mVec3 moved;
    moved.Xform(delta, pFrame->basis);
    pFrame->origin += moved;
    mQuat current;
    pFrame->basis.GetQuat(&current);
    mQuat turned;
    turned.Mult(current, rot);
    const float fLen = std::sqrt(turned.x * turned.x + turned.y * turned.y + turned.z * turned.z +
                                 turned.w * turned.w);
    if (fLen != 0.0f) {
        const float k = 1.0f / fLen;
        pFrame->basis.SetQuat(mQuat(turned.x * k, turned.y * k, turned.z * k, turned.w * k));
    }
}

}  // namespace

void gcEffect::Move(cTimeValue step)
{
    const gcEffectTemplate* pTemplate = GetTemplate();
    mOCS frame = m_model.m_localToParent;
    const mOCS start = frame;
    if (step > cTimeValue() && pTemplate) {
        if (eAnimationMgr::GetPtr(pTemplate->hAnimation))
            ApplyRootMotion(m_model, step, &frame);
        mVec3 accel(0.0f, 0.0f, 0.0f);
        if (!(m_nFlags & kNoGravity) && pTemplate->fGravityScalar != 0.0f)
            accel += s_gravity * pTemplate->fGravityScalar;
        if (!(m_nFlags & kNoWind) && pTemplate->fWindScalar != 0.0f)
            accel += s_wind * pTemplate->fWindScalar;
        const float fStep = static_cast<float>(step.m_nTicks);
        m_currentVelocity += accel * fStep;
        frame.origin += m_currentVelocity * fStep;
        if (m_fadeOutTime == cTimeValue() && Collide(step, start) && m_fadeOutTime == cTimeValue())
            FadeOut(pTemplate->fadeOutTime);
        m_model.m_localToParent = frame;
        m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    }
    if (!IsRunning())
        return;
    m_model.Update(step);
    const int nRegion = gcEntityWorld::GetZoneRegionId(m_model.m_pZone);
    if (nRegion >= 0)
        m_nRegionId = static_cast<int16_t>(nRegion);
}

// The sweep of this step's movement from the frame the step started at.
// The effect's own model and its spawner's are ignored. An effect without a
// mesh (particles only) has no collider size and never sweeps.
bool gcEffect::Collide(cTimeValue step, const mOCS& start)
{
    const gcEffectTemplate* pTemplate = GetTemplate();
    if (!pTemplate || pTemplate->nCollisionMask == 0 || m_currentVelocity == mVec3(0.0f, 0.0f, 0.0f))
        return false;
    const eMesh* pMesh = eMeshMgr::GetPtr(m_model.m_hMesh);
    const eZone* pZone = m_model.m_pZone;
    if (!pMesh || !pZone)
        return false;
    mVec3 worldStart;
    worldStart.Xform(start.origin, pZone->m_localToWorld);
    const mVec3 move = m_currentVelocity * static_cast<float>(step.m_nTicks);
    const float fDist = move.Length();
    const mVec3 dir = fDist != 0.0f ? move * (1.0f / fDist) : mVec3(0.0f, 0.0f, 0.0f);
    eColliderEllipse collider;
    collider.AddIgnore(&m_model, true);
    if (m_pSpawnEntity)
        collider.AddIgnore(&m_pSpawnEntity->m_model, true);
    collider.Set(worldStart, fDist, dir, pMesh->m_colliderSize);
    collider.m_nCollisionMask = pTemplate->nCollisionMask;
    eZone::CollisionCullAll(collider);
    eZone::CollideAll(&collider);
    const eColliderEllipse::eContactType type =
        collider.m_nContacts[eColliderEllipse::CT_NORMAL] > 0 ? eColliderEllipse::CT_NORMAL
                                                               : eColliderEllipse::CT_TOUCH;
    if (collider.m_nContacts[type] == 0)
        return false;
    eCollisionContact contact;
    collider.GetWorldContact(type, 0, &contact);
    const eGeom* pGeom = dcast<eGeom>(contact.pContactObject);
    gcGameObject* pHit = pGeom ? dcast<gcGameObject>(pGeom->m_pOwner) : nullptr;
    mOCS where;
    where.origin = contact.position;
    where.basis.SetDir(contact.normal);
    gcEventParams params(this, pHit, m_pSpawnEntity, &where, nullptr);
    pTemplate->onCollided.Apply(params, gcEventStackData());
    return true;
}

float gcEffect::CalcRumbleIntensity(const gcRumbleConfig& config, float fDistance) const
{
    float fIntensity = std::clamp(config.fStartIntensity, 0.0f, 1.0f);
    if (config.lifeTime != cTimeValue()) {
        const gcEffectTemplate* pTemplate = GetTemplate();
        const cTimeValue delay = pTemplate ? pTemplate->startDelayRumble : cTimeValue();
        const float t = std::clamp(static_cast<float>((m_timeAlive - delay).m_nTicks) /
                                       static_cast<float>(config.lifeTime.m_nTicks),
                                   0.0f, 1.0f);
        fIntensity = config.fStartIntensity + t * (config.fEndIntensity - config.fStartIntensity);
    }
    // A falloff distance of 0 or less is felt nowhere but on the spot.
    const float fFalloff = config.fFalloffDistance > 0.0f
                               ? std::clamp(fDistance / config.fFalloffDistance, 0.0f, 1.0f)
                               : (fDistance > 0.0f ? 1.0f : 0.0f);
    return fIntensity * (1.0f - fFalloff);
}

void gcEffect::CalcRumble(const gcRumbleConfig* pConfig)
{
    int nController = -1;
    mVec3 listener;
    if (!pConfig || !s_pGetRumbleListener || !s_pGetRumbleListener(&nController, &listener))
        return;
    if (nController < 0 || nController >= eInput::kMaxControllers)
        return;
    if (pConfig->lifeTime != cTimeValue() && m_timeAlive > pConfig->lifeTime)
        return;
    const eZone* pZone = m_model.m_pZone;
    if (!pZone)
        return;
    if (m_model.m_nGeomFlags & eGeom::kDirty)
        m_model.UpdateLocalToZone();
    mVec3 pos;
    pos.Xform(m_model.m_localToZone.origin, pZone->m_localToWorld);
    eInput::s_joyState[nController].fRumble += CalcRumbleIntensity(*pConfig, (pos - listener).Length());
}

// The point the particles of a slot are pulled to, in the zone of the
// particle system. A deactivated entity keeps the previous point; a region
// point whose region is not resident stands at the identity frame.
void gcEffect::UpdateParticleAttractors(int slot)
{
    eParticleSystem* pSystem = m_pParticleSystem[slot];
    if (!pSystem || !pSystem->m_pParticleEmitter || pSystem->m_pParticleEmitter->m_fAttractorInfluence == 0.0f)
        return;
    if (!m_pAttractorEntity && !m_pAttractorRegionPoint) {
        pSystem->m_attractorPoint.Xform(pSystem->m_pParticleEmitter->m_attractorInitialOffset,
                                        pSystem->m_localToZone);
        return;
    }
    mVec3 world(0.0f, 0.0f, 0.0f);
    if (m_pAttractorRegionPoint) {
        mOCS frame;
        if (!gcEntityWorld::RegionToWorld(m_pAttractorRegionPoint->m_nRegionId,
                                          m_pAttractorRegionPoint->m_localToRegion, &frame))
            frame.MakeIdentity();
        world = frame.origin;
    } else {
        const gcEntity* pEntity = m_pAttractorEntity;
        const eZone* pZone = pEntity->m_model.m_pZone;
        if (!pEntity->IsActive() || !pZone)
            return;
        const mOCS* pNode = m_nAttractorNodeIndex >= 0 ? pEntity->m_model.GetSubObjectToZone(m_nAttractorNodeIndex)
                                                       : &pEntity->m_model.m_localToZone;
        if (!pNode)
            return;
        world.Xform(pNode->origin, pZone->m_localToWorld);
    }
    if (pSystem->m_pZone)
        pSystem->m_attractorPoint.XformInv(world, pSystem->m_pZone->m_localToWorld);
}
