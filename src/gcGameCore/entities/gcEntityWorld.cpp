#include "gcGameCore/entities/gcEntityWorld.h"

#include "eEngine/eZone.h"

gcEntityWorld::Funcs gcEntityWorld::s_funcs = {nullptr, nullptr, nullptr, nullptr};

gcEntityWorld::Funcs gcEntityWorld::Set(const Funcs& funcs)
{
    const Funcs old = s_funcs;
    s_funcs = funcs;
    return old;
}

int gcEntityWorld::FindRegionSlot(int nRegionId)
{
    if (!s_funcs.pGetRegionId || nRegionId < 0)
        return -1;
    for (int slot = 0; slot < kMaxRegions; ++slot)
        if (s_funcs.pGetRegionId(slot) == nRegionId)
            return slot;
    return -1;
}

eZone* gcEntityWorld::GetRegionZone(int nRegionId)
{
    static_assert(kMaxRegions <= eZone::kMaxZones, "every region slot has a zone slot");
    const int slot = FindRegionSlot(nRegionId);
    return slot >= 0 ? eZone::s_pZones[slot] : nullptr;
}

bool gcEntityWorld::RegionToWorld(int nRegionId, const mOCS& localToRegion, mOCS* pWorld)
{
    const eZone* pZone = GetRegionZone(nRegionId);
    if (!pZone) {
        pWorld->MakeIdentity();
        return false;
    }
    pWorld->Xform(localToRegion, pZone->m_localToWorld);
    return true;
}

int gcEntityWorld::GetZoneRegionId(const eZone* pZone)
{
    if (!pZone || !s_funcs.pGetRegionId || pZone->m_nZoneIndex < 0 || pZone->m_nZoneIndex >= kMaxRegions)
        return -1;
    return s_funcs.pGetRegionId(pZone->m_nZoneIndex);
}

void gcEntityWorld::GetLightDir(float* pHeading, float* pPitch)
{
    if (!s_funcs.pGetMapLight || !s_funcs.pGetMapLight(pHeading, pPitch)) {
        *pHeading = 0.0f;
        *pPitch = -90.0f;
    }
}

void gcEntityWorld::ApplyTriggerEvent(cBase* pVolumeOwner, gcTriggerList list, gcEntity* pEntity)
{
    if (s_funcs.pApplyTriggerEvent && pVolumeOwner)
        s_funcs.pApplyTriggerEvent(pVolumeOwner, list, pEntity);
}

void gcEntityWorld::SendToEffects(gcEffect* pFirst, const gcMsg& msg)
{
    if (s_funcs.pSendToEffects && pFirst)
        s_funcs.pSendToEffects(pFirst, msg);
}
