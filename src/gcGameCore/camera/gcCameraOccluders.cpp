// Creatures between the game camera and the entity it follows, or next to
// the camera, drawn see-through: see the header for why.
#include "gcGameCore/camera/gcCameraOccluders.h"

#include <algorithm>
#include <cmath>

#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEntityWorld.h"

namespace {

// Corners nearer the eye plane than this (or behind it) are taken at it:
// their box grows towards the screen's edges instead of flipping.
constexpr float kNearestDepth = 0.05f;

// The entity's frame in the world; false when its region is not resident.
bool WorldFrame(gcEntity& entity, mOCS* pOut)
{
    const eZone* pZone = gcEntityWorld::GetRegionZone(entity.m_nRegionId);
    if (!pZone)
        return false;
    if (entity.m_model.m_nGeomFlags & eGeom::kDirty)
        entity.m_model.UpdateLocalToZone();
    pOut->Xform(entity.m_model.m_localToZone, pZone->m_localToWorld);
    return true;
}

using ScreenBox = gcCameraOccluders::ScreenBox;

float Width(const ScreenBox& b) { return b.x1 - b.x0; }
float Height(const ScreenBox& b) { return b.y1 - b.y0; }

// Where a value is heading: now, moved on by its change since the last
// look, k times over.
float Ahead(float fNow, float fLast, float k) { return fNow + (fNow - fLast) * k; }

// The box ahead along its motion relative to the followed box's centre
// (both move on the screen: the creature, the followed entity and the
// camera), k times its change since the last look.
ScreenBox BoxAhead(const gcCameraOccluders::Sight& now, const gcCameraOccluders::Sight& last, float k)
{
    const float cx = 0.5f * (now.followed.x0 + now.followed.x1), cy = 0.5f * (now.followed.y0 + now.followed.y1);
    const float lx = 0.5f * (last.followed.x0 + last.followed.x1), ly = 0.5f * (last.followed.y0 + last.followed.y1);
    return {cx + Ahead(now.box.x0 - cx, last.box.x0 - lx, k), cy + Ahead(now.box.y0 - cy, last.box.y0 - ly, k),
            cx + Ahead(now.box.x1 - cx, last.box.x1 - lx, k), cy + Ahead(now.box.y1 - cy, last.box.y1 - ly, k)};
}

// The box watched for a creature: where it is and where it is heading,
// grown by the margin.
ScreenBox Watched(const ScreenBox& now, const ScreenBox& ahead, const ScreenBox& followed)
{
    const float mx = 0.5f * gcCameraOccluders::kMargin * Width(followed);
    const float my = 0.5f * gcCameraOccluders::kMargin * Height(followed);
    return {std::min(now.x0, ahead.x0) - mx, std::min(now.y0, ahead.y0) - my, std::max(now.x1, ahead.x1) + mx,
            std::max(now.y1, ahead.y1) + my};
}

}  // namespace

bool gcCameraOccluders::Project(const mOCS& eye, const mOCS& body, const mVec3& halfSize, ScreenBox* pOut)
{
    ScreenBox box = {1e30f, 1e30f, -1e30f, -1e30f};
    bool bInFront = false;
    for (int i = 0; i < 8; ++i) {
        const mVec3 d = body.origin - eye.origin + body.basis.right * ((i & 1) ? halfSize.x : -halfSize.x) +
                        body.basis.forward * ((i & 2) ? halfSize.y : -halfSize.y) +
                        body.basis.up * ((i & 4) ? halfSize.z : -halfSize.z);
        bInFront = bInFront || d.Dot(eye.basis.forward) > 0.0f;
        const float fDepth = std::max(d.Dot(eye.basis.forward), kNearestDepth);
        const float x = d.Dot(eye.basis.right) / fDepth, y = d.Dot(eye.basis.up) / fDepth;
        box = {std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x), std::max(box.y1, y)};
    }
    *pOut = box;
    return bInFront;
}

float gcCameraOccluders::CoveredShare(const ScreenBox& box, const ScreenBox& followed)
{
    const float fAcross = std::max(std::min(box.x1, followed.x1) - std::max(box.x0, followed.x0), 0.0f);
    const float fUp = std::max(std::min(box.y1, followed.y1) - std::max(box.y0, followed.y0), 0.0f);
    const float fArea = Width(followed) * Height(followed);
    return fArea > 0.0f ? fAcross * fUp / fArea : 0.0f;
}

float gcCameraOccluders::FollowedShare(const mOCS& eye, const ScreenBox& screen, gcEntity& followed)
{
    mOCS body;
    ScreenBox box;
    if (!WorldFrame(followed, &body) || !Project(eye, body, followed.GetColliderSize(), &box))
        return 0.0f;
    return CoveredShare(box, screen);
}

gcCameraOccluders::Sight gcCameraOccluders::Look(const mOCS& eye, const mOCS& body, const mVec3& halfSize,
                                                 const mOCS& followed, const mVec3& followedHalfSize)
{
    const mVec3& centre = body.origin;
    // Nearer than the followed entity's far side: a creature that the
    // followed one runs into or through covers it.
    const float fFarSide = (followed.origin - eye.origin).Dot(eye.basis.forward) +
                           std::max(followedHalfSize.x, followedHalfSize.y);
    Sight sight;
    sight.bInView = Project(eye, body, halfSize, &sight.box);
    Project(eye, followed, followedHalfSize, &sight.followed);
    sight.fNearer = fFarSide - (centre - eye.origin).Dot(eye.basis.forward);
    sight.fEyeGap = (centre - eye.origin).Length() - halfSize.Length();
    return sight;
}

float gcCameraOccluders::TargetAlpha(const Sight& sight, float fDt, Track* pTrack)
{
    // How many times its change since the last look the sight moves on in
    // the look-ahead time; a first look sees no motion.
    const Sight& last = pTrack->bLooked ? pTrack->last : sight;
    const float k = fDt > 0.0f ? kLookAhead / fDt : 0.0f;
    const bool bNearer =
        sight.bInView && (sight.fNearer > 0.0f || Ahead(sight.fNearer, last.fNearer, k) > 0.0f);
    const ScreenBox watched = Watched(sight.box, BoxAhead(sight, last, k), sight.followed);
    if (bNearer && CoveredShare(watched, sight.followed) >= kWatchShare)
        pTrack->fHold = kHoldTime;
    else
        pTrack->fHold = std::max(pTrack->fHold - fDt, 0.0f);
    // Near the camera: fading out towards nothing as its body reaches it,
    // whether or not it stands in front of the followed entity.
    const float fGap = std::min(sight.fEyeGap, Ahead(sight.fEyeGap, last.fEyeGap, k));
    const float fNear = std::clamp(fGap / kHideDistance, 0.0f, 1.0f);
    return pTrack->fHold > 0.0f ? kSeeThrough * fNear : fNear;
}

void gcCameraOccluders::Step(const Sight& sight, float fDt, Track* pTrack)
{
    const float fWanted = TargetAlpha(sight, fDt, pTrack);
    const float fStep = std::min(kAlphaPerSecond * fDt, kMaxStep);
    const float fFrom = pTrack->fAlpha;
    pTrack->fAlpha = fWanted < fFrom ? std::max(fFrom - fStep, fWanted) : std::min(fFrom + fStep, fWanted);
    pTrack->last = sight;
    pTrack->bLooked = true;
}

void gcCameraOccluders::Update(const mOCS& eye, gcEntity& followed, cTimeValue dT)
{
    mOCS target;
    if (!WorldFrame(followed, &target)) {
        Clear();
        return;
    }
    const mVec3 targetHalf = followed.GetColliderSize();
    const float fDt = static_cast<float>(dT.m_nTicks) / static_cast<float>(cTimeValue::TICKS_PER_SECOND);
    for (int i = 0; i < m_nEntries; ++i)
        m_entries[i].bSeen = false;
    for (gcCreature* p : gcCreature::s_pActiveCreatures) {
        mOCS body;
        if (!p || p == &followed || !WorldFrame(*p, &body))
            continue;
        Entry* pEntry = Find(*p);
        if (!pEntry)
            continue;
        const float fFrom = pEntry->track.fAlpha;
        Step(Look(eye, body, p->GetColliderSize(), target, targetHalf), fDt, &pEntry->track);
        pEntry->bSeen = true;
        if (pEntry->track.fAlpha < 1.0f || fFrom < 1.0f)
            Apply(*p, pEntry->track.fAlpha);
    }
    // Let go of those no longer active in the world, made solid at once.
    int n = 0;
    for (int i = 0; i < m_nEntries; ++i) {
        gcEntity* p = gcEntityMgr::GetPtr(m_entries[i].hEntity);
        if (p && m_entries[i].bSeen)
            m_entries[n++] = m_entries[i];
        else if (p && m_entries[i].track.fAlpha < 1.0f)
            Apply(*p, 1.0f);
    }
    m_nEntries = n;
}

void gcCameraOccluders::LetGoFollowed()
{
    if (gcEntity* p = gcEntityMgr::GetPtr(m_hFollowed); p && m_fFollowedAlpha < 1.0f)
        Apply(*p, 1.0f);
    m_hFollowed = gcEntityHandle();
    m_fFollowedAlpha = 1.0f;
    m_fShareAlpha = 1.0f;
}

void gcCameraOccluders::ShowFollowed(gcEntity& followed, float fAlpha, float fShareAlpha)
{
    if (m_hFollowed != followed.m_handle) {
        LetGoFollowed();
        m_hFollowed = followed.m_handle;
    }
    m_fShareAlpha = std::clamp(fShareAlpha, m_fShareAlpha - kMaxStep, m_fShareAlpha + kMaxStep);
    fAlpha = std::min(fAlpha, m_fShareAlpha);
    if (fAlpha < 1.0f || m_fFollowedAlpha < 1.0f)
        Apply(followed, fAlpha);
    m_fFollowedAlpha = fAlpha;
}

void gcCameraOccluders::Clear()
{
    LetGoFollowed();
    for (int i = 0; i < m_nEntries; ++i)
        if (gcEntity* p = gcEntityMgr::GetPtr(m_entries[i].hEntity); p && m_entries[i].track.fAlpha < 1.0f)
            Apply(*p, 1.0f);
    m_nEntries = 0;
}

int gcCameraOccluders::Count() const
{
    int n = 0;
    for (int i = 0; i < m_nEntries; ++i)
        n += m_entries[i].track.fAlpha < 1.0f || m_entries[i].track.fHold > 0.0f;
    return n;
}

gcCameraOccluders::Entry* gcCameraOccluders::Find(const gcEntity& creature)
{
    for (int i = 0; i < m_nEntries; ++i)
        if (m_entries[i].hEntity == creature.m_handle)
            return &m_entries[i];
    if (m_nEntries == kMaxEntries)
        return nullptr;
    m_entries[m_nEntries] = {creature.m_handle, Track(), false};
    return &m_entries[m_nEntries++];
}

void gcCameraOccluders::Apply(gcEntity& creature, float fAlpha)
{
    creature.m_model.SetAlpha(std::min(creature.m_fOpacity, fAlpha));
}
