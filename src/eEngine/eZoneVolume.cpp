// Trigger volumes in the zone's volume tree and the volume query over every
// live zone.
#include "eEngine/eZone.h"

#include "eEngine/eVolume.h"
#include "eEngine/eVolumeQuery.h"
#include "mMath/mSphere.h"
#include "eZoneCell.h"
#include "eZoneRing.h"

using eZoneCell::ValidNode;

void eZone::AddVolume(eVolume* v)
{
    if (v->m_pZone && v->m_pZone != this)
        v->m_pZone->RemoveVolume(v);  // its node index belongs to the other zone's tree
    v->m_pZone = this;
    if (!m_pVolNodes)
        return;
    // A radius below 0 marks a volume that is never filed (nor tested).
    if (v->m_fRadius < 0.0f) {
        if (v->m_nVolNodeIndex >= 0 && ValidNode(v->m_nVolNodeIndex, m_volOctree))
            eZoneRing::Unfile(m_pVolNodes, v->m_nVolNodeIndex, &eZoneVolNode::pVol, &eZoneVolNode::nVolCount, v,
                              &eVolume::m_pVolPrev, &eVolume::m_pVolNext);
        v->m_nVolNodeIndex = -1;
        return;
    }
    mSphere s;
    s.center = v->m_localToZone.origin;
    s.radius = v->m_fRadius;
    const int32_t node = m_volOctree.GetNodeFromSphere(s);
    if (node < 0 || node == v->m_nVolNodeIndex)
        return;
    if (v->m_nVolNodeIndex >= 0 && ValidNode(v->m_nVolNodeIndex, m_volOctree))
        eZoneRing::Unfile(m_pVolNodes, v->m_nVolNodeIndex, &eZoneVolNode::pVol, &eZoneVolNode::nVolCount, v,
                          &eVolume::m_pVolPrev, &eVolume::m_pVolNext);
    v->m_nVolNodeIndex = static_cast<int16_t>(node);
    eZoneRing::File(m_pVolNodes, node, &eZoneVolNode::pVol, &eZoneVolNode::nVolCount, v, &eVolume::m_pVolPrev,
                    &eVolume::m_pVolNext);
}

void eZone::RemoveVolume(eVolume* v)
{
    if (v->m_pZone != this)
        return;
    if (v->m_nVolNodeIndex >= 0 && m_pVolNodes && ValidNode(v->m_nVolNodeIndex, m_volOctree))
        eZoneRing::Unfile(m_pVolNodes, v->m_nVolNodeIndex, &eZoneVolNode::pVol, &eZoneVolNode::nVolCount, v,
                          &eVolume::m_pVolPrev, &eVolume::m_pVolNext);
    v->m_nVolNodeIndex = -1;
    v->m_pZone = nullptr;
}

void eZone::UnfileVolumes()
{
    eZoneRing::DropAll(m_pVolNodes, eOctree::NodeCount(m_volOctree.m_nLevels), &eZoneVolNode::pVol,
                       &eVolume::m_pVolNext, [](eVolume* v) {
                           v->m_pVolPrev = v->m_pVolNext = nullptr;
                           v->m_nVolNodeIndex = -1;
                           v->m_pZone = nullptr;
                       });
}

void eZone::VolumeQuery(eVolumeQuery* pQuery, const cBase* pQuerier) const
{
    for (const eZone* z : s_pZones) {
        if (!z)
            continue;
        if (z == this)
            pQuery->m_zoneToWorld.MakeIdentity();
        else
            pQuery->m_zoneToWorld.XformInv(m_localToWorld, z->m_localToWorld);
        if (!z->m_pVolNodes || z->m_pVolNodes[0].nVolCount == 0)
            continue;
        mSphere sphere;
        sphere.center.Xform(pQuery->m_cullVol.center, pQuery->m_zoneToWorld);
        sphere.radius = pQuery->m_cullVol.radius;
        z->VolumeQueryNode(pQuery, pQuerier, sphere, 0, 0, mVec3(0.0f, 0.0f, 0.0f), z->m_volOctree.m_fSize);
    }
    pQuery->m_nFlags |= eVolumeQuery::kDone;
}

void eZone::VolumeQueryNode(eVolumeQuery* pQuery, const cBase* pQuerier, const mSphere& sphere, int level, int node,
                            const mVec3& centre, float edge) const
{
    if (!eZoneCell::LooseBox(centre, edge, m_volOctree.m_fLooseScale).Contains(sphere))
        return;
    AddVolumeNode(pQuery, pQuerier, sphere, node);
    if (level + 1 >= m_volOctree.m_nLevels)
        return;
    for (int k = 0; k < eOctree::kChildren; ++k) {
        const int32_t child = eOctree::Child(node, k);
        if (m_pVolNodes[child].nVolCount != 0)
            VolumeQueryNode(pQuery, pQuerier, sphere, level + 1, child, eZoneCell::ChildCentre(centre, edge, k), 0.5f * edge);
    }
}

void eZone::AddVolumeNode(eVolumeQuery* pQuery, const cBase* pQuerier, const mSphere& sphere, int node) const
{
    eVolume* const head = m_pVolNodes[node].pVol;
    eVolume* v = head;
    while (v) {
        eVolume* next = v->m_pVolNext;
        if (v->m_fRadius > 0.0f) {
            const float reach = v->m_fRadius + sphere.radius;
            if (v->m_localToZone.origin.DistSq(sphere.center) <= reach * reach)
                v->VolumeQuery(pQuery, pQuerier);
        }
        v = next == head ? nullptr : next;
    }
}
