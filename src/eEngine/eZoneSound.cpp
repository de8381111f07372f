// Positional sounds in the zone's sound tree, and the walk that offers the
// audible ones to the listener once a frame.
#include "eEngine/eZone.h"

#include "eEngine/eListener.h"
#include "eEngine/eSound.h"
#include "eEngine/eSoundData.h"
#include "mMath/mSphere.h"
#include "eZoneCell.h"
#include "eZoneRing.h"

using eZoneCell::ValidNode;

void eZone::AddSound(eSound* s)
{
    if (!s->m_pSoundData || !(s->m_nFlags & eSound::kFlagActive) || s->m_fRadius < 0.0f || !m_pSndNodes)
        return;
    // A one-shot that has played to its end is not filed again.
    if (!s->m_bLooping && s->m_timeAlive >= cTimeValue(s->m_pSoundData->m_length))
        return;
    mSphere sphere;
    sphere.center = s->m_localToZone.origin;
    sphere.radius = s->m_fRadius;
    const int32_t node = m_sndOctree.GetNodeFromSphere(sphere);
    if (node == s->m_nSndNodeIndex)
        return;
    if (s->m_nSndNodeIndex >= 0 && ValidNode(s->m_nSndNodeIndex, m_sndOctree))
        eZoneRing::Unfile(m_pSndNodes, s->m_nSndNodeIndex, &eZoneSoundNode::pSound, &eZoneSoundNode::nSoundCount, s,
                          &eSound::m_pSndPrev, &eSound::m_pSndNext);
    s->m_nSndNodeIndex = -1;
    if (node < 0)
        return;  // the centre lies outside the tree: not filed
    s->m_nSndNodeIndex = static_cast<int16_t>(node);
    eZoneRing::File(m_pSndNodes, node, &eZoneSoundNode::pSound, &eZoneSoundNode::nSoundCount, s, &eSound::m_pSndPrev,
                    &eSound::m_pSndNext);
}

void eZone::RemoveSound(eSound* s)
{
    if (!(s->m_nFlags & eSound::kFlagActive) || s->m_nSndNodeIndex < 0)
        return;
    if (m_pSndNodes && ValidNode(s->m_nSndNodeIndex, m_sndOctree))
        eZoneRing::Unfile(m_pSndNodes, s->m_nSndNodeIndex, &eZoneSoundNode::pSound, &eZoneSoundNode::nSoundCount, s,
                          &eSound::m_pSndPrev, &eSound::m_pSndNext);
    s->m_nSndNodeIndex = -1;
}

void eZone::UnfileSounds()
{
    eZoneRing::DropAll(m_pSndNodes, eOctree::NodeCount(m_sndOctree.m_nLevels), &eZoneSoundNode::pSound,
                       &eSound::m_pSndNext, [](eSound* s) {
                           s->m_pSndPrev = s->m_pSndNext = nullptr;
                           s->m_nSndNodeIndex = -1;
                       });
}

void eZone::CullAllSounds(const mOCS& listener)
{
    for (eZone* z : s_pZones)
        if (z)
            z->CullSounds(listener);
}

void eZone::CullSounds(const mOCS& listener)
{
    if (!m_pSndNodes || m_pSndNodes[0].nSoundCount == 0)
        return;
    mVec3 pos;
    pos.XformInv(listener.origin, m_localToWorld);
    CullSoundNode(pos, 0, 0, mVec3(0.0f, 0.0f, 0.0f), m_sndOctree.m_fSize);
}

void eZone::CullSoundNode(const mVec3& pos, int level, int node, const mVec3& centre, float edge)
{
    if (!eZoneCell::Holds(eZoneCell::LooseBox(centre, edge, m_sndOctree.m_fLooseScale), pos))
        return;
    eSound* const head = m_pSndNodes[node].pSound;
    for (eSound* s = head; s;) {
        eSound* next = s->m_pSndNext;
        if (pos.DistSq(s->m_localToZone.origin) <= s->m_fRadius * s->m_fRadius)
            eListener::AddSoundToPlayList(s);
        s = next == head ? nullptr : next;
    }
    if (level + 1 >= m_sndOctree.m_nLevels)
        return;
    for (int k = 0; k < eOctree::kChildren; ++k) {
        const int32_t child = eOctree::Child(node, k);
        if (m_pSndNodes[child].nSoundCount != 0)
            CullSoundNode(pos, level + 1, child, eZoneCell::ChildCentre(centre, edge, k), 0.5f * edge);
    }
}

