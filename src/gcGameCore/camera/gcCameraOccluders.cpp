// Creatures between the game camera and the entity it follows, or next to
// the camera, drawn see-through: see the header for why.
#include "gcGameCore/camera/gcCameraOccluders.h"

#include <algorithm>
#include <cmath>

#include "eEngine/eMesh.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEntityWorld.h"

namespace {

// The body's half sizes: the mesh's collider box, or none.
mVec3 HalfSize(const gcEntity& entity)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(entity.m_model.m_hMesh);
    return pMesh ? pMesh->m_colliderSize : mVec3(0.0f, 0.0f, 0.0f);
}

// The entity's centre in the world; false when its region is not resident.
bool WorldCentre(gcEntity& entity, mVec3* pOut)
{
    const eZone* pZone = gcEntityWorld::GetRegionZone(entity.m_nRegionId);
    if (!pZone)
        return false;
    if (entity.m_model.m_nGeomFlags & eGeom::kDirty)
        entity.m_model.UpdateLocalToZone();
    pOut->Xform(entity.m_model.m_localToZone.origin, pZone->m_localToWorld);
    return true;
}

// Where a body lies on the screen, as tangents of the view: centre (x
// right, y up) and half extents. Only for a depth above 0.
struct Extent {
    float x, y, w, h;
};

Extent Project(const mOCS& eye, const mVec3& d, float depth, const mVec3& halfSize)
{
    const float across = std::max(halfSize.x, halfSize.y);
    return {d.Dot(eye.basis.right) / depth, d.Dot(eye.basis.up) / depth, across / depth, halfSize.z / depth};
}

}  // namespace

float gcCameraOccluders::TargetAlpha(const mOCS& eye, const mVec3& centre, const mVec3& halfSize,
                                     const mVec3& followed, const mVec3& followedHalfSize)
{
    // Near the camera: fading out towards nothing as its body reaches it,
    // whether or not it stands in front of the followed entity.
    const mVec3 dc = centre - eye.origin, df = followed - eye.origin;
    const float fGap = dc.Length() - halfSize.Length();
    const float fAlpha = std::clamp(fGap / kHideDistance, 0.0f, 1.0f);
    // Nearer than the followed entity's far side (a creature that the
    // followed one runs into or through covers it), and over a good share
    // of it on the screen: one beside it, overlapping its edge, stays solid.
    const float fDepth = dc.Dot(eye.basis.forward);
    const float fFollowedDepth = df.Dot(eye.basis.forward);
    if (fDepth <= 0.0f || fFollowedDepth <= 0.0f ||
        fDepth >= fFollowedDepth + std::max(followedHalfSize.x, followedHalfSize.y))
        return fAlpha;
    const Extent c = Project(eye, dc, fDepth, halfSize);
    const Extent f = Project(eye, df, fFollowedDepth, followedHalfSize);
    const float fAcross = std::min(c.x + c.w, f.x + f.w) - std::max(c.x - c.w, f.x - f.w);
    const float fUp = std::min(c.y + c.h, f.y + f.h) - std::max(c.y - c.h, f.y - f.h);
    const bool bOver = fAcross > 0.0f && fUp > 0.0f && fAcross * fUp > kHiddenShare * (4.0f * f.w * f.h);
    return bOver ? kSeeThrough * fAlpha : fAlpha;
}

void gcCameraOccluders::Update(const mOCS& eye, gcEntity& followed, cTimeValue dT)
{
    mVec3 target;
    if (!WorldCentre(followed, &target)) {
        Clear();
        return;
    }
    const mVec3 targetHalf = HalfSize(followed);
    const float fStep = kAlphaPerSecond * static_cast<float>(dT.m_nTicks) /
                        static_cast<float>(cTimeValue::TICKS_PER_SECOND);
    for (int i = 0; i < m_nEntries; ++i)
        m_entries[i].bSeen = false;
    for (gcCreature* p : gcCreature::s_pActiveCreatures) {
        mVec3 centre;
        if (!p || p == &followed || !WorldCentre(*p, &centre))
            continue;
        const float fWanted = TargetAlpha(eye, centre, HalfSize(*p), target, targetHalf);
        Entry* pEntry = Find(*p, fWanted < 1.0f);
        if (!pEntry)
            continue;
        const float fFrom = pEntry->fAlpha;
        pEntry->fAlpha = fWanted < fFrom ? std::max(fFrom - fStep, fWanted) : std::min(fFrom + fStep, fWanted);
        pEntry->bSeen = true;
        Apply(*p, pEntry->fAlpha);
    }
    // Let go of the solid ones; one no longer active in the world is made
    // solid at once.
    int n = 0;
    for (int i = 0; i < m_nEntries; ++i) {
        gcEntity* p = gcEntityMgr::GetPtr(m_entries[i].hEntity);
        if (p && !m_entries[i].bSeen)
            Apply(*p, 1.0f);
        else if (p && m_entries[i].fAlpha < 1.0f)
            m_entries[n++] = m_entries[i];
    }
    m_nEntries = n;
}

void gcCameraOccluders::Clear()
{
    for (int i = 0; i < m_nEntries; ++i)
        if (gcEntity* p = gcEntityMgr::GetPtr(m_entries[i].hEntity))
            Apply(*p, 1.0f);
    m_nEntries = 0;
}

gcCameraOccluders::Entry* gcCameraOccluders::Find(const gcEntity& creature, bool bMake)
{
    for (int i = 0; i < m_nEntries; ++i)
        if (m_entries[i].hEntity == creature.m_handle)
            return &m_entries[i];
    if (!bMake || m_nEntries == kMaxEntries)
        return nullptr;
    m_entries[m_nEntries] = {creature.m_handle, 1.0f, false};
    return &m_entries[m_nEntries++];
}

void gcCameraOccluders::Apply(gcEntity& creature, float fAlpha)
{
    creature.m_model.SetAlpha(std::min(creature.m_fOpacity, fAlpha));
}
