// gcCreature: choosing targets among the map's entities and the player's.
#include "gcGameCore/creatures/gcCreature.h"

#include <algorithm>

#include "eEngine/eZone.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcMsg.h"

namespace {

// The model's position in its zone, its frame brought up to date first.
mVec3 ZonePos(const gcEntity& e)
{
    if (e.m_model.m_nGeomFlags & eGeom::kDirty)
        const_cast<eModel&>(e.m_model).UpdateLocalToZone();
    return e.m_model.m_localToZone.origin;
}

// The entity's radius: the larger of its collider's x and y.
float Radius(const gcEntity& e)
{
    const mVec3 size = e.GetColliderSize();
    return std::max(size.x, size.y);
}

}  // namespace

mVec3 gcCreature::GetVecToEntity(const gcEntity& other) const
{
    const eZone* pMine = m_model.m_pZone;
    const eZone* pTheirs = other.m_model.m_pZone;
    if (!pMine || !pTheirs)
        return m_model.m_localToParent.basis.forward;
    mVec3 world, there;
    world.Xform(ZonePos(other), pTheirs->m_localToWorld);
    there.XformInv(world, pMine->m_localToWorld);
    return there - ZonePos(*this);
}

bool gcCreature::IsValidTarget(gcEntity* pEntity, bool) const
{
    if (!pEntity || !pEntity->IsActive())
        return false;
    const gcEntityTemplate* pTheirs = pEntity->GetTemplate();
    if (!pTheirs || !(pTheirs->nEntityTemplateFlags & gcEntityTemplate::kTargetable))
        return false;
    if (pEntity->GetStat(gcEntityTemplate::STAT_HEALTH) <= 0.0f || m_team * pEntity->m_team >= 0)
        return false;
    const gcCreatureTemplate* pMine = GetCreatureTemplate();
    const float fMaxDist = pMine ? pMine->fCreatureValues[gcCreatureTemplate::VAL_TARGETDISTANCE] : 0.0f;
    if (fMaxDist < 0.0f)
        return true;
    if (fMaxDist == 0.0f)
        return false;
    return GetVecToEntity(*pEntity).Length() - Radius(*this) - Radius(*pEntity) <= fMaxDist;
}

void gcCreature::SetTarget(gcEntity* pEntity)
{
    if (pEntity == m_pTarget)
        return;
    const gcCreatureTemplate* pTemplate = GetCreatureTemplate();
    gcEventParams params;
    GetEventParams(&params);
    if (m_pTarget) {
        gcEventStackData frame;
        RaiseEvent(gcMsgEvent::ID_ONTARGETLOST, pTemplate ? &pTemplate->onTargetLost : nullptr, params, frame);
    }
    m_pTarget = pEntity;
    if (pEntity) {
        gcEventStackData frame;
        RaiseEvent(gcMsgEvent::ID_ONTARGETACQUIRED, pTemplate ? &pTemplate->onTargetAcquired : nullptr, params,
                   frame);
    }
}

// The map's entities in slot order, then the player's; never this creature.
template <class Func>
void gcCreature::ForEachCandidate(Func func) const
{
    if (const gcMap* pMap = gcMap::s_pMap) {
        for (int32_t i = pMap->m_entities.FirstTableSlot(); i < pMap->m_entities.EndTableSlot(); ++i) {
            gcEntity* p = gcEntityMgr::s_pInstances[i];
            if (p && p != this)
                func(p);
        }
    }
    gcEntity* pPlayer = gcPlayer::Get()->m_pEntity;
    if (pPlayer && pPlayer != this)
        func(pPlayer);
}

void gcCreature::SetClosestTarget()
{
    gcEntity* pBest = nullptr;
    float fBest = 0.0f;
    ForEachCandidate([&](gcEntity* p) {
        if (!IsValidTarget(p, false))
            return;
        const float fDist = GetVecToEntity(*p).LengthSq();
        if (!pBest || fDist < fBest) {
            pBest = p;
            fBest = fDist;
        }
    });
    SetTarget(pBest);
}

void gcCreature::SetNextTarget()
{
    gcEntity* pFirst = nullptr;
    gcEntity* pNext = nullptr;
    bool bPassed = false;
    ForEachCandidate([&](gcEntity* p) {
        if (pNext || !IsValidTarget(p, false))
            return;
        if (!pFirst)
            pFirst = p;
        if (!m_pTarget || bPassed)
            pNext = p;
        else if (p == m_pTarget)
            bPassed = true;
    });
    // Without a choice after the current target, the scan wraps to the
    // first; a target that is the only valid one stays, firing nothing.
    SetTarget(pNext ? pNext : pFirst);
}
