// Creatures that hide the entity the game camera follows drawn see-through,
// and the followed entity softened: see the header for why.
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
using Outline = gcCameraOccluders::Outline;

float Width(const ScreenBox& b) { return b.x1 - b.x0; }
float Height(const ScreenBox& b) { return b.y1 - b.y0; }

// Where a value is heading: now, moved on by its change since the last
// look, k times over.
float Ahead(float fNow, float fLast, float k) { return fNow + (fNow - fLast) * k; }

struct Point {
    float x, y;
};

// The eight corners of a body's box seen from the eye, as tangents of the
// view; those nearer than kNearestDepth taken at it. False when all are
// behind the eye.
bool Corners(const mOCS& eye, const mOCS& body, const mVec3& halfSize, Point corners[8])
{
    bool bInFront = false;
    for (int i = 0; i < 8; ++i) {
        const mVec3 d = body.origin - eye.origin + body.basis.right * ((i & 1) ? halfSize.x : -halfSize.x) +
                        body.basis.forward * ((i & 2) ? halfSize.y : -halfSize.y) +
                        body.basis.up * ((i & 4) ? halfSize.z : -halfSize.z);
        bInFront = bInFront || d.Dot(eye.basis.forward) > 0.0f;
        const float fDepth = std::max(d.Dot(eye.basis.forward), kNearestDepth);
        corners[i] = {d.Dot(eye.basis.right) / fDepth, d.Dot(eye.basis.up) / fDepth};
    }
    return bInFront;
}

// Twice the signed area of the triangle o, a, b: above 0 when it turns left.
float Turn(const Point& o, const Point& a, const Point& b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// A convex polygon of up to kMax corners, counter-clockwise: an outline
// clipped by another gains at most one corner per clipping edge.
struct Polygon {
    static constexpr int kMax = 2 * Outline::kMaxPoints;
    Point p[kMax];
    int n = 0;
};

// The part of the polygon on the left of the line from e0 to e1.
Polygon ClipBy(const Polygon& in, const Point& e0, const Point& e1)
{
    Polygon out;
    for (int i = 0; i < in.n && out.n + 2 <= Polygon::kMax; ++i) {
        const Point& a = in.p[i];
        const Point& b = in.p[(i + 1) % in.n];
        const float da = Turn(e0, e1, a), db = Turn(e0, e1, b);
        if (da >= 0.0f)
            out.p[out.n++] = a;
        if ((da >= 0.0f) != (db >= 0.0f)) {
            const float t = da / (da - db);
            out.p[out.n++] = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
        }
    }
    return out;
}

float Area(const Polygon& poly)
{
    float f = 0.0f;
    for (int i = 0; i < poly.n; ++i)
        f += Turn({0.0f, 0.0f}, poly.p[i], poly.p[(i + 1) % poly.n]);
    return 0.5f * f;
}

Polygon ToPolygon(const Outline& outline, float dx = 0.0f, float dy = 0.0f)
{
    Polygon poly;
    for (int i = 0; i < outline.n; ++i)
        poly.p[poly.n++] = {outline.x[i] + dx, outline.y[i] + dy};
    return poly;
}

// The share of the followed outline the other, moved by dx, dy, lies over.
float HiddenMoved(const Outline& outline, float dx, float dy, const Outline& followed)
{
    const Polygon covered = ToPolygon(followed);
    const float fArea = Area(covered);
    if (fArea <= 0.0f)
        return 0.0f;
    Polygon part = ToPolygon(outline, dx, dy);
    for (int i = 0; i < covered.n && part.n > 0; ++i)
        part = ClipBy(part, covered.p[i], covered.p[(i + 1) % covered.n]);
    return std::clamp(Area(part) / fArea, 0.0f, 1.0f);
}

float CentreX(const ScreenBox& b) { return 0.5f * (b.x0 + b.x1); }
float CentreY(const ScreenBox& b) { return 0.5f * (b.y0 + b.y1); }

}  // namespace

bool gcCameraOccluders::Project(const mOCS& eye, const mOCS& body, const mVec3& halfSize, ScreenBox* pOut)
{
    Point corners[8];
    const bool bInFront = Corners(eye, body, halfSize, corners);
    ScreenBox box = {1e30f, 1e30f, -1e30f, -1e30f};
    for (const Point& c : corners)
        box = {std::min(box.x0, c.x), std::min(box.y0, c.y), std::max(box.x1, c.x), std::max(box.y1, c.y)};
    *pOut = box;
    return bInFront;
}

bool gcCameraOccluders::ProjectOutline(const mOCS& eye, const mOCS& body, const mVec3& halfSize, Outline* pOut)
{
    Point p[8];
    const bool bInFront = Corners(eye, body, halfSize, p);
    std::sort(p, p + 8, [](const Point& a, const Point& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    // The lower chain left to right, then the upper one back; points that
    // do not turn left are dropped.
    Point hull[16];
    int n = 0;
    for (int i = 0; i < 8; ++i) {
        while (n >= 2 && Turn(hull[n - 2], hull[n - 1], p[i]) <= 0.0f)
            --n;
        hull[n++] = p[i];
    }
    for (int i = 6, nLower = n + 1; i >= 0; --i) {
        while (n >= nLower && Turn(hull[n - 2], hull[n - 1], p[i]) <= 0.0f)
            --n;
        hull[n++] = p[i];
    }
    // The last point is the first again; fewer than three left: no area.
    pOut->n = n - 1 >= 3 ? n - 1 : 0;
    for (int i = 0; i < pOut->n; ++i) {
        pOut->x[i] = hull[i].x;
        pOut->y[i] = hull[i].y;
    }
    return bInFront;
}

float gcCameraOccluders::CoveredShare(const ScreenBox& box, const ScreenBox& followed)
{
    const float fAcross = std::max(std::min(box.x1, followed.x1) - std::max(box.x0, followed.x0), 0.0f);
    const float fUp = std::max(std::min(box.y1, followed.y1) - std::max(box.y0, followed.y0), 0.0f);
    const float fArea = Width(followed) * Height(followed);
    return fArea > 0.0f ? fAcross * fUp / fArea : 0.0f;
}

float gcCameraOccluders::HiddenShare(const Outline& outline, const Outline& followed)
{
    return HiddenMoved(outline, 0.0f, 0.0f, followed);
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
    ProjectOutline(eye, body, halfSize, &sight.outline);
    Project(eye, followed, followedHalfSize, &sight.followed);
    ProjectOutline(eye, followed, followedHalfSize, &sight.followedOutline);
    sight.fNearer = fFarSide - (centre - eye.origin).Dot(eye.basis.forward);
    sight.fEyeGap = (centre - eye.origin).Length() - halfSize.Length();
    return sight;
}

float gcCameraOccluders::CoverAlpha(float fHidden)
{
    const float t = std::clamp((fHidden - kFadeFrom) / (kFadeFull - kFadeFrom), 0.0f, 1.0f);
    return 1.0f - (1.0f - kSeeThrough) * t;
}

float gcCameraOccluders::TargetAlpha(const Sight& sight, float fDt, Track* pTrack)
{
    // How many times its change since the last look the sight moves on in
    // the look-ahead time; a first look sees no motion.
    const Sight& last = pTrack->bLooked ? pTrack->last : sight;
    const float k = fDt > 0.0f ? kLookAhead / fDt : 0.0f;
    float fHidden = 0.0f;
    if (sight.bInView && (sight.fNearer > 0.0f || Ahead(sight.fNearer, last.fNearer, k) > 0.0f)) {
        // Ahead: its outline moved on as it moved across the screen
        // relative to the followed one (both move: the creature, the
        // followed entity and the camera).
        const float dx = k * (CentreX(sight.box) - CentreX(sight.followed) - CentreX(last.box) + CentreX(last.followed));
        const float dy = k * (CentreY(sight.box) - CentreY(sight.followed) - CentreY(last.box) + CentreY(last.followed));
        fHidden = std::max(HiddenShare(sight.outline, sight.followedOutline),
                           HiddenMoved(sight.outline, dx, dy, sight.followedOutline));
    }
    // The lowest ask is held kHoldTime; a hold within half a tick of its end
    // is over (the ticks' sum is not exact).
    const float fAsked = CoverAlpha(fHidden);
    pTrack->fHold -= fDt;
    if (fAsked <= pTrack->fHeld || pTrack->fHold < 0.5f * fDt) {
        pTrack->fHeld = fAsked;
        pTrack->fHold = kHoldTime;
    }
    // Near the camera: fading out towards nothing as its body reaches it,
    // whether or not it stands in front of the followed entity.
    const float kNear = fDt > 0.0f ? kNearLookAhead / fDt : 0.0f;
    const float fGap = std::min(sight.fEyeGap, Ahead(sight.fEyeGap, last.fEyeGap, kNear));
    return pTrack->fHeld * std::clamp(fGap / kHideDistance, 0.0f, 1.0f);
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
    m_fFollowedAlpha = m_fFollowedHeld = 1.0f;
    m_nFollowedHold = m_nFollowedAsks = 0;
}

void gcCameraOccluders::ShowFollowed(gcEntity& followed, float fAlpha, float fShareAlpha)
{
    if (m_hFollowed != followed.m_handle) {
        LetGoFollowed();
        m_hFollowed = followed.m_handle;
    }
    float fAsked = std::min(fAlpha, fShareAlpha);
    m_nFollowedAsks = fAsked < 1.0f ? m_nFollowedAsks + 1 : 0;
    if (m_fFollowedAlpha >= 1.0f && m_nFollowedAsks < kFollowedAsks)
        fAsked = 1.0f;
    if (fAsked <= m_fFollowedHeld || m_nFollowedHold == 0) {
        m_fFollowedHeld = fAsked;
        m_nFollowedHold = kFollowedHold;
    } else {
        --m_nFollowedHold;
    }
    const float fFrom = m_fFollowedAlpha;
    m_fFollowedAlpha = std::clamp(m_fFollowedHeld, fFrom - kMaxStep, fFrom + kMaxStep);
    if (m_fFollowedAlpha < 1.0f || fFrom < 1.0f)
        Apply(followed, m_fFollowedAlpha);
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
        n += m_entries[i].track.fAlpha < 1.0f || m_entries[i].track.fHeld < 1.0f;
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
