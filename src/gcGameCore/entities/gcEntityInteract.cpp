// gcEntity: interaction, hit directions, carried items and attached effects.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "cCore/cMemPool.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcItem.h"

bool (*gcEntity::s_pGetInteractRange)(int* pBegin, int* pEnd) = nullptr;

namespace {

constexpr float kDegreesPerRadian = 57.29578f;

// Hit direction bounds, degrees: behind the entity beyond this bearing.
constexpr float kBehind = 120.0f;
constexpr float kSideMin = 60.0f;
constexpr float kSideMax = 130.0f;
constexpr float kVerticalMin = 50.0f;
constexpr float kVerticalMax = 90.0f;

// A zone-space point of one zone in another zone's space.
mVec3 CarryBetweenZones(const mVec3& p, const eZone& from, const eZone& to)
{
    mVec3 world, there;
    world.Xform(p, from.m_localToWorld);
    there.XformInv(world, to.m_localToWorld);
    return there;
}

// The horizontal reach of a collider: the larger of its first two radii.
float Reach(const gcEntity& e)
{
    const mVec3 size = e.GetColliderSize();
    return std::max(size.x, size.y);
}

// Whether the bearing along dir lies within tol degrees of the heading of
// forward.
bool Faces(const mVec3& forward, const mVec3& dir, float tol)
{
    return std::fabs(gcEntity::WrapDegrees(gcEntity::GetHeading(dir) - gcEntity::GetHeading(forward))) <= tol;
}

// Item counts add up without overflowing: a sum past the int range stays
// at its end.
int SaturatedSum(int64_t a, int64_t b)
{
    return static_cast<int>(std::clamp<int64_t>(a + b, INT32_MIN, INT32_MAX));
}

template <class T, class F>
void ForEachInRing(T* pFirst, T* T::*pNext, F&& f)
{
    for (T* p = pFirst; p;) {
        T* const pFollowing = p->*pNext;
        f(p);
        p = pFollowing == pFirst ? nullptr : pFollowing;
    }
}

// The first item, depth first, whose memory lies in the pool.
gcItem* FindInPool(gcItem* pFirst, const cMemPool* pPool)
{
    gcItem* pFound = nullptr;
    ForEachInRing(pFirst, &gcItem::m_pNextSiblingItem, [&](gcItem* p) {
        if (!pFound)
            pFound = pPool->Contains(p) ? p : FindInPool(p->m_pFirstChildItem, pPool);
    });
    return pFound;
}

// Items of the template at any depth, whatever their categories: a
// template without categories still counts against its maximum.
int CountHeld(gcItem* pFirst, gcItemTemplateHandle hTemplate)
{
    int n = 0;
    ForEachInRing(pFirst, &gcItem::m_pNextSiblingItem, [&](gcItem* p) {
        n += (p->m_hTemplate == hTemplate ? 1 : 0) + CountHeld(p->m_pFirstChildItem, hTemplate);
    });
    return n;
}

int CountItems(gcItem* pFirst, gcItemTemplateHandle hTemplate, bool bNested, bool bCountItems, uint32_t nMask)
{
    int n = 0;
    ForEachInRing(pFirst, &gcItem::m_pNextSiblingItem, [&](gcItem* p) {
        const gcItemTemplate* pTemplate = p->GetTemplate();
        if (!pTemplate || !(pTemplate->m_nCategoryMask & nMask) || (!hTemplate.IsNull() && p->m_hTemplate != hTemplate))
            return;
        n += bCountItems ? 1 : p->m_nCount;
        if (bNested)
            n += CountItems(p->m_pFirstChildItem, hTemplate, bNested, bCountItems, nMask);
    });
    return n;
}

int CountEffects(gcEffect* pFirst, gcEffectTemplateHandle hTemplate, bool bNested)
{
    int n = 0;
    ForEachInRing(pFirst, &gcEffect::m_pNextSiblingEffect, [&](gcEffect* p) {
        if (hTemplate.IsNull() || p->m_hTemplate == hTemplate)
            ++n;
        if (bNested)
            n += CountEffects(p->m_pFirstChildEffect, hTemplate, bNested);
    });
    return n;
}

}  // namespace

// ---- interaction ----

void gcEntity::GetVecToEntityHelper(const cName& node, gcEntity* pOther, const cName& otherNode, mVec3* pOut)
{
    const eZone* pZone = m_model.m_pZone;
    const eZone* pOtherZone = pOther ? pOther->m_model.m_pZone : nullptr;
    if (!pZone || !pOtherZone) {
        *pOut = m_model.m_localToParent.basis.forward;
        return;
    }
    GetZonePos();
    pOther->GetZonePos();
    const mOCS* pFrom = m_model.GetSubObjectToZone(m_model.GetSubObjectIndex(node, 0, false));
    const mOCS* pTo = pOther->m_model.GetSubObjectToZone(pOther->m_model.GetSubObjectIndex(otherNode, 0, false));
    *pOut = CarryBetweenZones(pTo->origin, *pOtherZone, *pZone) - pFrom->origin;
}

void gcEntity::GetVecToEntity(gcEntity* pOther, mVec3* pOut)
{
    const eZone* pZone = m_model.m_pZone;
    const eZone* pOtherZone = pOther ? pOther->m_model.m_pZone : nullptr;
    if (!pZone || !pOtherZone) {
        *pOut = m_model.m_localToParent.basis.forward;
        return;
    }
    *pOut = CarryBetweenZones(pOther->GetZonePos(), *pOtherZone, *pZone) - GetZonePos();
}

// The target's CanInteract: its own event, else its template's (for an
// entity without a state machine), else script event 2 of its state
// machine.
static bool AsksYes(gcEntity& self, gcEntity& target, const gcEntityTemplate& targetTemplate)
{
    gcEventParams params;
    target.GetEventParams(&params);
    params.pParticipant1 = &self;
    const gcEvent* pEvent = nullptr;
    if (target.onCanInteract.HasActions())
        pEvent = &target.onCanInteract;
    else if (targetTemplate.onCanInteract.HasActions() && !self.HasStateMachine())
        pEvent = &targetTemplate.onCanInteract;
    if (pEvent)
        return pEvent->Apply(params, gcEventStackData()) != 0.0f;
    if (!target.HasStateMachine())
        return false;
    return target.m_stateInfo.Send(gcMsgEvent(gcMsgEvent::ID_ONCANINTERACT), params, gcEventStackData()) != 0.0f;
}

bool gcEntity::CanInteract(gcEntity* pTarget)
{
    if (!pTarget || pTarget == this || !pTarget->IsActive() ||
        !(pTarget->GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f))
        return false;
    const gcEntityTemplate* pTemplate = GetTemplate();
    const gcEntityTemplate* pTargetTemplate = pTarget->GetTemplate();
    if (!pTemplate || !pTargetTemplate)
        return false;
    mVec3 toTarget, toSelf;
    GetVecToEntity(pTarget, &toTarget);
    pTarget->GetVecToEntity(this, &toSelf);
    if (toTarget.Length() - (Reach(*this) + Reach(*pTarget)) >
        pTargetTemplate->fEntityValues[gcEntityTemplate::VAL_INTERACTDISTANCE])
        return false;
    if (!Faces(m_model.m_localToParent.basis.forward, toTarget,
               pTemplate->fEntityValues[gcEntityTemplate::VAL_INTERACTTOL]) ||
        !Faces(pTarget->m_model.m_localToParent.basis.forward, toSelf,
               pTargetTemplate->fEntityValues[gcEntityTemplate::VAL_INTERACTTOL]))
        return false;
    return AsksYes(*this, *pTarget, *pTargetTemplate);
}

bool gcEntity::HandleInteract(gcEntity* pTarget)
{
    if (!CanInteract(pTarget))
        return false;
    const gcEntityTemplate* pTargetTemplate = pTarget->GetTemplate();
    gcEventParams params;
    pTarget->GetEventParams(&params);
    params.pParticipant1 = this;
    const gcEvent* pEvent = nullptr;
    if (pTarget->onInteract.HasActions())
        pEvent = &pTarget->onInteract;
    else if (pTargetTemplate->onInteract.HasActions() && !HasStateMachine())
        pEvent = &pTargetTemplate->onInteract;
    if (pEvent)
        pEvent->Apply(params, gcEventStackData());
    else if (pTarget->HasStateMachine())
        pTarget->m_stateInfo.Send(gcMsgEvent(gcMsgEvent::ID_ONINTERACT), params, gcEventStackData());
    pTarget->m_entityTimeSince[TIMESINCE_INTERACTED] = cTimeValue(0);
    return true;
}

gcEntity* gcEntity::FindInteractTarget()
{
    int begin = 0, end = 0;
    if (!s_pGetInteractRange || !s_pGetInteractRange(&begin, &end))
        return nullptr;
    begin = std::max(begin, 0);
    end = std::min(end, gcEntityMgr::kSlots);
    for (int slot = begin; slot < end; ++slot) {
        gcEntity* p = gcEntityMgr::s_pInstances[slot];
        if (p && p != this && CanInteract(p))
            return p;
    }
    return nullptr;
}

gcMsgDealDamage::gcDamageDir gcEntity::DetermineHitDir(const mVec3& position, gcEntity* pEntity,
                                                       const mVec3& direction)
{
    if (!pEntity)
        return gcMsgDealDamage::DD_NONE;
    mOCS frame;
    frame.MakeIdentity();  // an entity whose region is not resident stands at the world origin
    if (const eZone* pZone = gcEntityWorld::GetRegionZone(pEntity->m_nRegionId)) {
        pEntity->GetZonePos();
        frame.Xform(pEntity->m_model.m_localToZone, pZone->m_localToWorld);
    }
    mVec3 at;
    at.XformInv(position, frame);
    at.Normalize();
    const float bearing = GetHeading(at);
    if (bearing > kBehind || bearing < -kBehind)
        return gcMsgDealDamage::DD_NONE;
    mVec3 dir;
    dir.XformInv(direction, frame.basis);
    const float yaw = GetHeading(dir);
    const float pitch = std::asin(std::clamp(dir.z, -1.0f, 1.0f)) * kDegreesPerRadian;
    gcMsgDealDamage::gcDamageDir result = gcMsgDealDamage::DD_F;
    if (yaw >= -kSideMax && yaw <= -kSideMin)
        result = gcMsgDealDamage::DD_LR;
    else if (yaw >= kSideMin && yaw <= kSideMax)
        result = gcMsgDealDamage::DD_RL;
    if (pitch >= -kVerticalMax && pitch <= -kVerticalMin)
        result = gcMsgDealDamage::DD_TB;
    else if (pitch >= kVerticalMin && pitch <= kVerticalMax)
        result = gcMsgDealDamage::DD_BT;
    return result;
}

// ---- items ----

void gcEntity::AddItem(gcItem* pItem, int nCount)
{
    if (!pItem)
        return;
    const gcItemTemplate* pTemplate = pItem->GetTemplate();
    const bool bStackable = pTemplate && pTemplate->IsStackable();
    if (bStackable) {
        if (gcItem* pHeld = HasItem(pItem->m_hTemplate, true)) {
            pHeld->m_nCount = SaturatedSum(pHeld->m_nCount, nCount);
            return;
        }
    }
    pItem->AttachToEntity(this);
    pItem->m_nCount = bStackable ? nCount : 1;
    pItem->OnAddedToEntity();
}

void gcEntity::RemoveItem(gcItem* pItem, int nCount)
{
    if (!pItem || pItem->m_pParentEntity != this)
        return;
    gcItemTemplate* pTemplate = pItem->GetTemplate();
    if (pTemplate && pTemplate->IsStackable()) {
        pItem->m_nCount = SaturatedSum(pItem->m_nCount, -static_cast<int64_t>(nCount));
        if (pItem->m_nCount > 0)
            return;
    }
    pItem->Detach();
    if (pTemplate)
        pTemplate->ReleaseInstance(pItem);
}

void gcEntity::RemoveItems(const cMemPool* pPool)
{
    while (gcItem* p = FindInPool(m_pItems, pPool)) {
        p->Detach();
        if (gcItemTemplate* pTemplate = p->GetTemplate())
            pTemplate->ReleaseInstance(p);
    }
}

bool gcEntity::CanAddItem(gcItemTemplateHandle hTemplate, int nCount)
{
    const gcItemTemplate* pTemplate = gcItemTemplateMgr::GetPtr(hTemplate);
    if (!pTemplate)
        return false;
    const gcItem* pHeld = HasItem(hTemplate, true);
    if (!pHeld)
        return true;
    const int nHeld = pTemplate->IsStackable() ? pHeld->m_nCount : CountHeld(m_pItems, hTemplate);
    return static_cast<int64_t>(nHeld) + nCount <= pTemplate->m_nMaxCount;  // exact: no overflow
}

gcItem* gcEntity::HasItem(gcItemTemplateHandle hTemplate, bool bNested)
{
    gcItem* pFound = nullptr;
    ForEachInRing(m_pItems, &gcItem::m_pNextSiblingItem, [&](gcItem* p) {
        if (!pFound)
            pFound = bNested ? p->FindItem(hTemplate) : (p->m_hTemplate == hTemplate ? p : nullptr);
    });
    return pFound;
}

int gcEntity::GetItemCount(gcItemTemplateHandle hTemplate, bool bNested, bool bCountItems, uint32_t nCategoryMask,
                           gcItem* pUnder)
{
    return CountItems(pUnder ? pUnder->m_pFirstChildItem : m_pItems, hTemplate, bNested, bCountItems, nCategoryMask);
}

int gcEntity::GetAttachedItemCount(gcItemTemplateHandle hChild, gcItemTemplateHandle hParent)
{
    const gcItem* pParent = HasItem(hParent, true);
    if (!pParent)
        return 0;
    int n = 0;
    ForEachInRing(pParent->m_pFirstChildItem, &gcItem::m_pNextSiblingItem, [&](gcItem* p) {
        if (p->m_hTemplate == hChild)
            ++n;
    });
    return n;
}

// ---- effects ----

void gcEntity::AddEffect(gcEffect* pEffect, const cName* pNodeName)
{
    if (!pEffect)
        return;
    pEffect->AttachToEntity(this, pNodeName);
    if (m_nEntityFlags & kDeactivated)
        pEffect->Send(gcMsgDeactivate());
    else
        pEffect->Send(gcMsgActivate());
    if (m_nEntityFlags & kFrozen)
        pEffect->Send(gcMsgFreeze());
    else
        pEffect->Send(gcMsgUnfreeze());
}

gcEffect* gcEntity::HasEffect(gcEffectTemplateHandle hTemplate)
{
    gcEffect* pFound = nullptr;
    ForEachInRing(m_pEffects, &gcEffect::m_pNextSiblingEffect, [&](gcEffect* p) {
        if (!pFound)
            pFound = p->FindEffect(hTemplate);
    });
    return pFound;
}

int gcEntity::GetEffectCount(gcEffectTemplateHandle hTemplate, bool bNested, gcEffect* pUnder)
{
    return CountEffects(pUnder ? pUnder->m_pFirstChildEffect : m_pEffects, hTemplate, bNested);
}
