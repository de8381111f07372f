// The ellipsoid collider against blocks of world-space triangles: resting,
// swept and embedded contacts.
#include "eEngine/eColliderEllipse.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "eEngine/eCollisionCache.h"
#include "eEngine/eCollisionMath.h"
#include "eEngine/eSurface.h"
#include "mMath/mPlane.h"
#include "mMath/mRay.h"
#include "mMath/mSphere.h"

using TP = eCollisionContact::eColTriPos;

// The two edge vectors from p[0] and the terms of the barycentric solve that
// the face test and the closest-point search share.
struct eColTriFrame {
    mVec3 e1, e2;
    float d00, d11, d01, den;

    eColTriFrame() = default;

    explicit eColTriFrame(const mVec3* p)
        : e1(p[1] - p[0]), e2(p[2] - p[0]), d00(eColMath::Dot(e1, e1)), d11(eColMath::Dot(e2, e2)),
          d01(eColMath::Dot(e1, e2)),
          den(d00 * d11 - d01 * d01)
    {
    }
    // Weights of p[1] and p[2] for a point q (relative to p[0]) in the plane.
    void Weights(const mVec3& q, float* pW1, float* pW2) const
    {
        const float qe1 = eColMath::Dot(q, e1), qe2 = eColMath::Dot(q, e2);
        *pW1 = (d11 * qe1 - d01 * qe2) / den;
        *pW2 = (d00 * qe2 - d01 * qe1) / den;
    }
};

namespace {

// A triangle in the collider's scaled space, with its frame: the face and
// closest-point tests read the same terms the area check worked out.
struct ScaledTri {
    mVec3 p[3];
    mPlane plane;
    eColTriFrame frame;
};

// The region a sweep can touch: the box around its start and end, grown by
// the unit radius and the tolerance. Every contact point lies within that
// reach of the swept centre, so a triangle wholly outside the box gives no
// contact of any kind and is skipped before its plane is worked out.
//
// Most triangles of a gathered list lie far outside, so they are first
// tested unscaled against the box taken back to world space, widened by far
// more than the rounding of the scaling: that test never drops a triangle
// the scaled test would keep, and the scaled test still decides the rest.
struct Reach {
    mVec3 lo, hi;
    mVec3 worldLo, worldHi;
#if defined(__SSE2__)
    __m128 lanesLo, lanesHi, lanesWorldLo, lanesWorldHi;  // the same, one axis per lane
#endif

    Reach(const mVec3& start, const mVec3& end, float grow, const mVec3& radii)
    {
        constexpr float kSlack = 1.0e-5f;  // relative; the scaling rounds by about 2e-7
        constexpr float kFloor = 1.0e-30f;
        for (int a = 0; a < 3; ++a) {
            lo[a] = (start[a] < end[a] ? start[a] : end[a]) - grow;
            hi[a] = (start[a] > end[a] ? start[a] : end[a]) + grow;
            const float wlo = lo[a] * radii[a], whi = hi[a] * radii[a];
            worldLo[a] = wlo - (std::fabs(wlo) * kSlack + kFloor);
            worldHi[a] = whi + (std::fabs(whi) * kSlack + kFloor);
        }
#if defined(__SSE2__)
        lanesLo = _mm_setr_ps(lo.x, lo.y, lo.z, 0.0f);
        lanesHi = _mm_setr_ps(hi.x, hi.y, hi.z, 0.0f);
        lanesWorldLo = _mm_setr_ps(worldLo.x, worldLo.y, worldLo.z, 0.0f);
        lanesWorldHi = _mm_setr_ps(worldHi.x, worldHi.y, worldHi.z, 0.0f);
#endif
    }
    static bool Outside(const mVec3& p0, const mVec3& p1, const mVec3& p2, const mVec3& lo, const mVec3& hi)
    {
        for (int a = 0; a < 3; ++a) {
            if (p0[a] < lo[a] && p1[a] < lo[a] && p2[a] < lo[a])
                return true;
            if (p0[a] > hi[a] && p1[a] > hi[a] && p2[a] > hi[a])
                return true;
        }
        return false;
    }
    bool MissesWorld(const eCollisionCacheTri& tri) const;
    bool Misses(const mVec3* p) const { return Outside(p[0], p[1], p[2], lo, hi); }
};

#if defined(__SSE2__)

// A vector as lanes x, y, z and whatever float follows it in its record
// (a triangle's corners are followed by its plane), which no test reads.
inline __m128 Lanes(const mVec3& v) { return _mm_loadu_ps(&v.x); }

// Reach::Outside with one axis per lane: the same nine comparisons a side,
// with no branch (a gathered list's triangles fall on either side of the
// box at random).
inline bool OutsideLanes(__m128 p0, __m128 p1, __m128 p2, __m128 lo, __m128 hi)
{
    const __m128 below = _mm_and_ps(_mm_and_ps(_mm_cmplt_ps(p0, lo), _mm_cmplt_ps(p1, lo)), _mm_cmplt_ps(p2, lo));
    const __m128 above = _mm_and_ps(_mm_and_ps(_mm_cmpgt_ps(p0, hi), _mm_cmpgt_ps(p1, hi)), _mm_cmpgt_ps(p2, hi));
    return (_mm_movemask_ps(_mm_or_ps(below, above)) & 7) != 0;
}

inline bool Reach::MissesWorld(const eCollisionCacheTri& tri) const
{
    return OutsideLanes(Lanes(tri.v1), Lanes(tri.v2), Lanes(tri.v3), lanesWorldLo, lanesWorldHi);
}

#else

inline bool Reach::MissesWorld(const eCollisionCacheTri& tri) const
{
    return Outside(tri.v1, tri.v2, tri.v3, worldLo, worldHi);
}

#endif

// The corners and plane taken into scaled space: the normal goes through the
// radii (the inverse transpose of the scaling) and is renormalised. False
// for a triangle out of reach (most of a gathered list, dropped before they
// are scaled), and for one of no area, whose normal or barycentric
// denominator is 0 (small triangles collapse that way when their corners are
// quantised): it would give NaN contacts that pass every later test.
// Scaled triangles are not kept for the later rounds of a query: looking one
// up and checking it is still the same triangle costs as much as scaling it
// again.
bool ScaleNearTri(const eCollisionCacheTri& tri, const mVec3& radii, const mVec3& ooRadii, const Reach& reach,
                  ScaledTri* pOut)
{
#if defined(__SSE2__)
    // CompMult lane by lane; each store's fourth lane is overwritten by the
    // next (the plane follows the corners).
    const __m128 oo = _mm_setr_ps(ooRadii.x, ooRadii.y, ooRadii.z, 0.0f);
    const __m128 p0 = _mm_mul_ps(Lanes(tri.v1), oo), p1 = _mm_mul_ps(Lanes(tri.v2), oo),
                 p2 = _mm_mul_ps(Lanes(tri.v3), oo);
    if (OutsideLanes(p0, p1, p2, reach.lanesLo, reach.lanesHi))
        return false;
    _mm_storeu_ps(&pOut->p[0].x, p0);
    _mm_storeu_ps(&pOut->p[1].x, p1);
    _mm_storeu_ps(&pOut->p[2].x, p2);
#else
    pOut->p[0].CompMult(tri.v1, ooRadii);
    pOut->p[1].CompMult(tri.v2, ooRadii);
    pOut->p[2].CompMult(tri.v3, ooRadii);
    if (reach.Misses(pOut->p))
        return false;
#endif
    mVec3 n;
    n.CompMult(tri.plane.normal, radii);
    const float len = eColMath::Length(n);
    if (!(len > 0.0f))
        return false;
    pOut->plane.normal = n * (1.0f / len);
    pOut->plane.offset = tri.plane.offset / len;
    pOut->frame = eColTriFrame(pOut->p);
    return pOut->frame.den > 0.0f;
}

// The world-space test, which drops most triangles, stays in the caller's
// loop; the rest of the work is ScaleNearTri's.
inline bool ScaleTri(const eCollisionCacheTri& tri, const mVec3& radii, const mVec3& ooRadii, const Reach& reach,
                     ScaledTri* pOut)
{
    return !reach.MissesWorld(tri) && ScaleNearTri(tri, radii, ooRadii, reach, pOut);
}

TP EdgeCode(int from) { return from == 0 ? TP::TP_ONEDGE0_1 : (from == 1 ? TP::TP_ONEDGE1_2 : TP::TP_ONEDGE2_0); }
TP CornerCode(int k) { return k == 0 ? TP::TP_ONPOINT0 : (k == 1 ? TP::TP_ONPOINT1 : TP::TP_ONPOINT2); }

// The point of segment a-b nearest to centre and its feature code.
TP ClosestOnEdge(const mVec3& centre, const mVec3* p, int from, mVec3* pClosest)
{
    const int to = (from + 1) % 3;
    const mVec3& a = p[from];
    const mVec3& b = p[to];
    mVec3 u = b - a;
    const float len = eColMath::Normalize(u);
    const float t = eColMath::Dot(centre - a, u);
    if (t <= 0.0f) {
        *pClosest = a;
        return CornerCode(from);
    }
    if (t >= len) {
        *pClosest = b;
        return CornerCode(to);
    }
    *pClosest = eColMath::AddScaled(a, u, t);
    return EdgeCode(from);
}

// FindClosestPointOnTri for a triangle of some area, its frame given.
TP ClosestPointOnTri(const eColTriFrame& f, const mVec3& centre, const mVec3& foot, const mVec3* p, mVec3* pClosest)
{
    float w2, w3;
    f.Weights(foot - p[0], &w2, &w3);
    float w1 = 1.0f - w2 - w3;
    // Beyond exactly one edge: the nearest point lies on that edge's segment.
    if (w2 < 0.0f && w1 > 0.0f && w3 > 0.0f)
        return ClosestOnEdge(centre, p, 2, pClosest);
    if (w1 < 0.0f && w2 > 0.0f && w3 > 0.0f)
        return ClosestOnEdge(centre, p, 1, pClosest);
    if (w3 < 0.0f && w1 > 0.0f && w2 > 0.0f)
        return ClosestOnEdge(centre, p, 0, pClosest);
    if (w1 < 0.0f || w2 < 0.0f || w3 < 0.0f) {
        // Outside across a corner. Clamping the weights would give the corner,
        // yet beyond an obtuse corner a point of an edge lies nearer, and a
        // body resting there would find no contact: take the nearest of the
        // three edges' nearest points.
        TP best = TP::TP_NONE;
        float bestDistSq = 0.0f;
        for (int from = 0; from < 3; ++from) {
            mVec3 point;
            const TP pos = ClosestOnEdge(centre, p, from, &point);
            const float d = eColMath::DistSq(point, centre);
            if (best == TP::TP_NONE || d < bestDistSq) {
                best = pos;
                bestDistSq = d;
                *pClosest = point;
            }
        }
        return best;
    }
    const float inv = 1.0f / (w1 + w2 + w3);
    w1 *= inv;
    w2 *= inv;
    w3 *= inv;
    *pClosest = p[0] * w1 + p[1] * w2 + p[2] * w3;
    const bool z1 = w1 == 0.0f, z2 = w2 == 0.0f, z3 = w3 == 0.0f;
    if (z2 && z3)
        return TP::TP_ONPOINT0;
    if (z1 && z3)
        return TP::TP_ONPOINT1;
    if (z1 && z2)
        return TP::TP_ONPOINT2;
    if (z1)
        return TP::TP_ONEDGE1_2;
    if (z2)
        return TP::TP_ONEDGE2_0;
    if (z3)
        return TP::TP_ONEDGE0_1;
    return TP::TP_ONTRI;
}

// PointInTri for a triangle of some area, its frame given.
inline bool InTri(const eColTriFrame& f, const mVec3* p, const mVec3& point)
{
    float b, g;
    f.Weights(point - p[0], &b, &g);
    return 1.0f - b - g >= 0.0f && b >= 0.0f && g >= 0.0f;
}

// The triangle's point nearest a centre that lies s in front of its plane,
// with the unit direction from it to the centre and the distance.
struct NearestOnTri {
    mVec3 point, dir;
    float len = 0.0f;
    TP pos{};
};
void FindNearestOnTri(const mVec3& centre, const ScaledTri& tri, float s, NearestOnTri* pOut)
{
    const mVec3 foot = eColMath::AddScaled(centre, tri.plane.normal, -s);
    pOut->pos = ClosestPointOnTri(tri.frame, centre, foot, tri.p, &pOut->point);
    pOut->dir = centre - pOut->point;
    pOut->len = eColMath::Length(pOut->dir);
    if (pOut->len > 0.0f)
        pOut->dir *= 1.0f / pOut->len;
}

}  // namespace

TP FindClosestPointOnTri(const mVec3& centre, const mVec3& foot, const mVec3* p, mVec3* pClosest, bool* pDegenerate)
{
    *pDegenerate = false;
    const eColTriFrame f(p);
    if (f.den == 0.0f) {
        *pDegenerate = true;
        return TP::TP_DEGENERATE;
    }
    return ClosestPointOnTri(f, centre, foot, p, pClosest);
}

bool PointInTri(const mVec3* p, const mVec3& point, bool* pDegenerate)
{
    *pDegenerate = false;
    const eColTriFrame f(p);
    if (f.den == 0.0f) {
        *pDegenerate = true;
        return true;
    }
    return InTri(f, p, point);
}

void eColliderEllipse::MakeContactPoints(const eCollisionCacheTri* pTris, int nTris, cBase* pObject,
                                         eSurface* pSurface)
{
    const float tol = m_fColZeroTol;
    const bool bTouchOnly = (pSurface->m_flags & kSurfTouchOnly) != 0;
    const bool bNoSweep = (pSurface->m_flags & kSurfNoSweep) != 0;
    const eContactType list = bTouchOnly ? CT_TOUCH : CT_NORMAL;
    mSphere sphere;
    sphere.center = m_position;
    sphere.radius = 1.0f;
    mVec3 end;
    end.AddScaled(m_position, m_moveDir, m_fMoveDist);
    const Reach reach(m_position, end, 1.0f + tol, m_radii);
    for (int i = 0; i < nTris; ++i) {
        ScaledTri tri;
        if (!ScaleTri(pTris[i], m_radii, m_ooRadii, reach, &tri))
            continue;
        const mVec3& normal = tri.plane.normal;
        // Only triangles facing against the move can stop it, resting ones too.
        if (eColMath::Dot(m_moveDir, normal) >= kFacingTolerance)
            continue;
        const float s = eColMath::Dot(normal, m_position) - tri.plane.offset;
        if (s < 0.0f || m_fMoveDist < s - 1.0f)
            continue;  // centre behind the plane, or the plane out of reach
        if (s <= 1.0f + tol) {
            NearestOnTri n;
            FindNearestOnTri(m_position, tri, s, &n);
            const mVec3& closest = n.point;
            const mVec3& d = n.dir;
            const float len = n.len;
            const TP pos = n.pos;
            if (len <= 1.0f + tol) {
                AddContactPoint(list, closest, d, normal, 0.0f, pObject, pSurface, pos, tri.p, false);
                continue;
            }
        }
        if (bNoSweep || (!bTouchOnly && BeyondNearestContact(s, -eColMath::Dot(m_moveDir, normal), tri.plane)))
            continue;
        CheckForHit(sphere, pObject, pSurface, tri.p, tri.plane, tri.frame);
    }
}

// A blocking contact farther than the nearest one found so far is dropped
// (only the nearest stop the sweep), so a triangle the sphere cannot touch
// before then is passed over. Every point of the triangle lies in its plane,
// which the unit sphere, s in front of it and closing at speed f, reaches no
// sooner than (s - 1) / f along the move; the margin is far wider than the
// rounding of the distances the full test would work out.
bool eColliderEllipse::BeyondNearestContact(float s, float f, const mPlane& plane) const
{
    // Relative; a near-grazing edge's quadratic root may be off by about the
    // square root of the float epsilon (2.4e-4) of its terms.
    constexpr float kSlack = 1.0e-3f;
    if (m_nContacts[CT_NORMAL] == 0)
        return false;
    const float nearest = m_pContacts[CT_NORMAL][0].fDistanceToContact;
    const float margin = kSlack * (std::fabs(plane.offset) + s + nearest + 1.0f);
    return (s - 1.0f) - f * nearest > margin;
}

void eColliderEllipse::GetWorldReach(mVec3* pLo, mVec3* pHi) const
{
    // The resting-contact reach lies inside the sweep's, so the sweep's
    // decides for both kinds of contact.
    mVec3 end;
    end.AddScaled(m_position, m_moveDir, m_fMoveDist);
    const Reach reach(m_position, end, 1.0f + m_fColZeroTol, m_radii);
    *pLo = reach.worldLo;
    *pHi = reach.worldHi;
}

void eColliderEllipse::CheckForHit(const mSphere& sphere, cBase* pObject, eSurface* pSurface, const mVec3* pVerts,
                                   const mPlane& plane, const eColTriFrame& frame)
{
    const eContactType list = (pSurface->m_flags & kSurfTouchOnly) ? CT_TOUCH : CT_NORMAL;
    const float r = sphere.radius;
    const mVec3& c = sphere.center;
    const mVec3& normal = plane.normal;

    // The face: the sphere's point nearest the plane runs along the move.
    mRay ray;
    ray.origin = eColMath::AddScaled(c, normal, -r);
    ray.dir = m_moveDir;
    ray.length = m_fMoveDist;
    mRayVolHit planeHit;
    if (ray.Intersect(plane, &planeHit, false, false) && InTri(frame, pVerts, planeHit.pos)) {
        AddContactPoint(list, planeHit.pos, normal, normal, planeHit.distance, pObject, pSurface, TP::TP_ONTRI,
                        pVerts, false);
        return;
    }

    // The edges and the corners: the nearest first touch of any of them. A
    // corner can come first even where an edge is met later on, so both are
    // searched.
    const mVec3 dest = eColMath::AddScaled(c, m_moveDir, m_fMoveDist);
    const mVec3 v = dest - c;
    float best = m_fMoveDist;
    TP bestPos = TP::TP_NONE;
    mVec3 bestPoint, bestNormal;
    for (int k = 0; k < 3; ++k) {
        const mVec3& a = pVerts[k];
        const mVec3& b = pVerts[(k + 1) % 3];
        // A sphere that already reaches the edge's line beyond its ends can
        // only meet the edge at a corner first; the segment sweep would
        // report the moment it leaves the line instead.
        const mVec3 e = b - a;
        const float lenSq = eColMath::LengthSq(e);
        if (!(lenSq > 0.0f))
            continue;
        const mVec3 w = c - a;
        const float we = eColMath::Dot(w, e);
        if (eColMath::LengthSq(eColMath::AddScaled(w, e, -we / lenSq)) < r * r)
            continue;
        float t, at;
        if (mSweepSphereToSegment(w, v, e, lenSq, we, r, &t, &at)) {
            const mVec3 centreAt = c + v * t;
            const float dist = eColMath::Length(centreAt - c);
            if (dist < best) {
                best = dist;
                bestPos = EdgeCode(k);
                bestPoint = a + e * at;
                bestNormal = centreAt - bestPoint;
            }
        }
    }
    const mVec3 back = -m_moveDir;
    const float rSq = r * r;
    for (int k = 0; k < 3; ++k) {
        // Most corners lie outside the sphere and behind or beside its path:
        // the ray test below would miss them by these same sums, so it is
        // passed over for them.
        const mVec3 m = c - pVerts[k];
        const float mSq = eColMath::Dot(m, m);
        const float along = eColMath::Dot(m, back);
        if (mSq > rSq && (along < 0.0f || mSq - along * along > rSq))
            continue;
        // Where the corner would enter the sphere, seen from the sphere.
        mRay toSphere;
        toSphere.origin = pVerts[k];
        toSphere.dir = back;
        toSphere.length = m_fMoveDist;
        mRayVolHit hit;
        bool bInside;
        const bool bHit = toSphere.Intersect(sphere, &hit, &bInside);
        if (bInside) {
            // Already inside: the ray test would report where it leaves.
            mVec3 n = c - pVerts[k];
            eColMath::Normalize(n);
            AddContactPoint(list, pVerts[k], n, normal, 0.0f, pObject, pSurface, CornerCode(k), pVerts, false);
            return;
        }
        if (bHit && hit.distance < best) {
            best = hit.distance;
            bestPos = CornerCode(k);
            bestPoint = pVerts[k];
            bestNormal = eColMath::AddScaled(c, m_moveDir, best);
            bestNormal -= pVerts[k];
        }
    }
    if (bestPos != TP::TP_NONE) {
        eColMath::Normalize(bestNormal);
        AddContactPoint(list, bestPoint, bestNormal, normal, best, pObject, pSurface, bestPos, pVerts, false);
    }
}

void eColliderEllipse::MakeEmbedContacts(const eCollisionCacheTri* pTris, int nTris, cBase* pObject,
                                         eSurface* pSurface)
{
    const eContactType list = (pSurface->m_flags & kSurfTouchOnly) ? CT_TOUCH : CT_EMBED;
    const Reach reach(m_position, m_position, 1.0f + m_fColZeroTol, m_radii);
    for (int i = 0; i < nTris; ++i) {
        ScaledTri tri;
        if (!ScaleTri(pTris[i], m_radii, m_ooRadii, reach, &tri))
            continue;
        const mVec3& normal = tri.plane.normal;
        const float s = eColMath::Dot(normal, m_position) - tri.plane.offset;
        if (s < 0.0f || s >= 1.0f)
            continue;
        NearestOnTri n;
        FindNearestOnTri(m_position, tri, s, &n);
        if (n.len < 1.0f + m_fColZeroTol)
            AddContactPoint(list, n.point, n.dir, normal, n.len, pObject, pSurface, n.pos, tri.p, false);
    }
}
