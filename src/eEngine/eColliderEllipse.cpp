#include "eEngine/eColliderEllipse.h"

#include <cmath>

#include "eEngine/eContactForceSolver.h"
#include "mMath/mScalar.h"

using TP = eCollisionContact::eColTriPos;

namespace {

bool IsFace(TP pos) { return pos != TP::TP_DEGENERATE && (pos & TP::TP_ONTRI); }
bool IsEdge(TP pos) { return pos != TP::TP_DEGENERATE && (pos & TP::TP_ONEDGE); }
bool IsCorner(TP pos) { return pos != TP::TP_DEGENERATE && (pos & TP::TP_ONPOINT); }

// The corners an edge or corner contact names; a face names none.
bool EdgeEnds(const eCollisionContact& c, mVec3* pA, mVec3* pB)
{
    int from, to;
    if (!eColTriPosEdge(c.trianglePos, &from, &to))
        return false;
    *pA = c.verts[from];
    *pB = c.verts[to];
    return true;
}

bool SameEdge(const mVec3& a, const mVec3& b, const mVec3& c, const mVec3& d, float tol)
{
    return (a.ApproxEqual(c, tol) && b.ApproxEqual(d, tol)) || (a.ApproxEqual(d, tol) && b.ApproxEqual(c, tol));
}

// A corner already counted by an earlier corner contact, or lying on any
// edge or face contact of the list, is the same physical feature.
bool ValidatePoint(const eCollisionContact* pList, int n, int i, float tol)
{
    const int k = eColTriPosCorner(pList[i].trianglePos);
    if (k < 0)
        return true;
    const mVec3& corner = pList[i].verts[k];
    for (int j = 0; j < n; ++j) {
        const eCollisionContact& o = pList[j];
        if (j < i && IsCorner(o.trianglePos)) {
            const int ok = eColTriPosCorner(o.trianglePos);
            if (ok >= 0 && o.verts[ok].ApproxEqual(corner, tol))
                return false;
        }
        mVec3 a, b;
        if (IsEdge(o.trianglePos) && EdgeEnds(o, &a, &b) && (a.ApproxEqual(corner, tol) || b.ApproxEqual(corner, tol)))
            return false;
        if (IsFace(o.trianglePos))
            for (const mVec3& v : o.verts)
                if (v.ApproxEqual(corner, tol))
                    return false;
    }
    return true;
}

// An edge counted by an earlier edge contact, or belonging to any face
// contact of the list, in either direction.
bool ValidateEdge(const eCollisionContact* pList, int n, int i, float tol)
{
    mVec3 a, b;
    if (!EdgeEnds(pList[i], &a, &b))
        return true;
    for (int j = 0; j < n; ++j) {
        const eCollisionContact& o = pList[j];
        mVec3 c, d;
        if (j < i && IsEdge(o.trianglePos) && EdgeEnds(o, &c, &d) && SameEdge(a, b, c, d, tol))
            return false;
        if (IsFace(o.trianglePos))
            for (int e = 0; e < 3; ++e)
                if (SameEdge(a, b, o.verts[e], o.verts[(e + 1) % 3], tol))
                    return false;
    }
    return true;
}

// A face counted by an earlier face contact with the same corners in order.
bool ValidateTri(const eCollisionContact* pList, int i, float tol)
{
    for (int j = 0; j < i; ++j) {
        const eCollisionContact& o = pList[j];
        if (IsFace(o.trianglePos) && o.verts[0].ApproxEqual(pList[i].verts[0], tol) &&
            o.verts[1].ApproxEqual(pList[i].verts[1], tol) && o.verts[2].ApproxEqual(pList[i].verts[2], tol))
            return false;
    }
    return true;
}

bool IsNewFeature(const eCollisionContact* pList, int n, int i, float tol)
{
    const TP pos = pList[i].trianglePos;
    if (IsCorner(pos))
        return ValidatePoint(pList, n, i, tol);
    if (IsEdge(pos))
        return ValidateEdge(pList, n, i, tol);
    if (IsFace(pos))
        return ValidateTri(pList, i, tol);
    return true;
}

}  // namespace

eColliderEllipse::eColliderEllipse()
    : m_position(0.0f, 0.0f, 0.0f), m_radii(1.0f, 1.0f, 1.0f), m_ooRadii(1.0f, 1.0f, 1.0f),
      m_moveDir(0.0f, 0.0f, 0.0f), m_fMoveDist(0.0f), m_nonScaledPosition(0.0f, 0.0f, 0.0f),
      m_nonScaledMoveDir(0.0f, 0.0f, 0.0f), m_fNonScaledMoveDist(0.0f), m_fTravel(0.0f), m_nContacts{0, 0, 0, 0},
      m_bEmbedded(false), m_embeddedMoveDist(0.0f, 0.0f, 0.0f), m_fColZeroTol(fColZeroTol), m_bSlid(false),
      m_prevGoodDir(0.0f, 0.0f, 0.0f)
{
}

void eColliderEllipse::Set(const mVec3& position, float fMoveDist, const mVec3& moveDir, const mVec3& radii)
{
    for (int i = 0; i < 3; ++i) {
        // A body of no size (or a bad one) would divide by zero; it sweeps as
        // a tiny ellipsoid instead.
        m_radii[i] = radii[i] >= kMinRadius ? radii[i] : kMinRadius;
        m_ooRadii[i] = 1.0f / m_radii[i];
    }
    m_position.CompMult(position, m_ooRadii);
    mVec3 end;
    end.AddScaled(position, moveDir, fMoveDist);
    end.CompMult(end, m_ooRadii);
    mVec3 d = end - m_position;
    const float len = d.Length();
    m_fMoveDist = len;
    if (len > 0.0f)
        d *= 1.0f / len;
    m_moveDir = d;
    m_nonScaledPosition = position;
    m_nonScaledMoveDir = moveDir;
    m_fNonScaledMoveDist = fMoveDist;
    m_bSlid = false;
    m_prevGoodDir = m_moveDir;
    // 0.001 world units in the scaled units of the narrowest axis.
    m_fColZeroTol = fColZeroTol * std::fmax(m_ooRadii.x, std::fmax(m_ooRadii.y, m_ooRadii.z));
}

void eColliderEllipse::SetScaled(const mVec3& position, float fMoveDist, const mVec3& moveDir)
{
    m_position = position;
    m_moveDir = moveDir;
    m_fMoveDist = fMoveDist;
    m_nonScaledPosition.CompMult(position, m_radii);
    m_nonScaledMoveDir.CompMult(moveDir, m_radii);
    m_nonScaledMoveDir.Normalize();
    mVec3 end;
    end.AddScaled(position, moveDir, fMoveDist);
    end.CompMult(end, m_radii);
    m_fNonScaledMoveDist = m_nonScaledPosition.Dist(end);
}

void eColliderEllipse::AppendContact(eContactType t, const eCollisionContact& contact)
{
    if (m_nContacts[t] < kMaxContacts)
        m_pContacts[t][m_nContacts[t]++] = contact;
}

void eColliderEllipse::AddContactPoint(eContactType t, const mVec3& position, const mVec3& normal,
                                       const mVec3& triNormal, float fDistance, cBase* pObject,
                                       eSurface* pSurface, eColTriPos triPos, const mVec3* pVerts,
                                       bool bKeepFarther)
{
    eCollisionContact c;
    c.normal = (triPos & TP::TP_ONTRI) ? triNormal : normal;
    c.triNormal = triNormal;
    c.position = position;
    c.fDistanceToContact = fDistance;
    c.pContactObject = pObject;
    c.pSurface = pSurface;
    c.trianglePos = triPos;
    for (int k = 0; k < 3; ++k)
        c.verts[k] = pVerts[k];

    if (t != CT_NORMAL) {
        AppendContact(t, c);
        return;
    }
    // Judged by the normal given: for a face the direction from the touched
    // point to the centre, not the plane normal that is stored.
    if (m_moveDir.Dot(normal) >= kFacingTolerance)
        return;
    if (m_nContacts[CT_NORMAL] == 0) {
        m_pContacts[CT_NORMAL][0] = c;
        m_nContacts[CT_NORMAL] = 1;
        m_fTravel = fDistance;
        return;
    }
    MergeNormalContact(c, bKeepFarther);
}

void eColliderEllipse::MergeNormalContact(const eCollisionContact& candidate, bool bKeepFarther)
{
    // Sorted by distance; of equal distances the older contact stays first.
    eCollisionContact merged[kMaxContacts + 1];
    int n = 0;
    bool bInserted = false;
    for (int i = 0; i < m_nContacts[CT_NORMAL]; ++i) {
        const eCollisionContact& old = m_pContacts[CT_NORMAL][i];
        if (!bInserted && old.fDistanceToContact > candidate.fDistanceToContact) {
            merged[n++] = candidate;
            bInserted = true;
        }
        merged[n++] = old;
    }
    if (!bInserted)
        merged[n++] = candidate;
    // Only the nearest contacts stop the sweep.
    if (!bKeepFarther) {
        for (int i = 1; i < n; ++i) {
            if (merged[i].fDistanceToContact - merged[0].fDistanceToContact > 0.0f) {
                n = i;
                break;
            }
        }
    }
    if (n > kMaxContacts)
        n = kMaxContacts;
    // Each entry is judged against the whole merged list, so a feature shared
    // by neighbouring triangles gives one contact: face over edge over corner.
    int kept = 0;
    for (int i = 0; i < n; ++i)
        if (IsNewFeature(merged, n, i, m_fColZeroTol))
            m_pContacts[CT_NORMAL][kept++] = merged[i];
    m_nContacts[CT_NORMAL] = kept;
    m_fTravel = m_pContacts[CT_NORMAL][0].fDistanceToContact;
}

void eColliderEllipse::VerifyTouchContacts()
{
    int kept = 0;
    for (int i = 0; i < m_nContacts[CT_TOUCH]; ++i)
        if (m_pContacts[CT_TOUCH][i].fDistanceToContact <= m_fTravel)
            m_pContacts[CT_TOUCH][kept++] = m_pContacts[CT_TOUCH][i];
    m_nContacts[CT_TOUCH] = kept;
}

void eColliderEllipse::SaveContacts()
{
    for (int i = 0; i < m_nContacts[CT_NORMAL]; ++i)
        AppendContact(CT_SAVED, m_pContacts[CT_NORMAL][i]);
}

void eColliderEllipse::AddSavedContacts()
{
    for (int i = 0; i < m_nContacts[CT_SAVED]; ++i)
        AppendContact(CT_NORMAL, m_pContacts[CT_SAVED][i]);
}

bool eColliderEllipse::IsGeomEmbedded(const cBase* pObject) const
{
    for (int i = 0; i < m_nContacts[CT_EMBED]; ++i)
        if (m_pContacts[CT_EMBED][i].pContactObject == pObject)
            return true;
    return false;
}

void eColliderEllipse::GetWorldContact(eContactType t, int i, eCollisionContact* pOut) const
{
    *pOut = m_pContacts[t][i];
    // Normals go through the inverse transpose of the scaling.
    pOut->normal.CompMult(pOut->normal, m_ooRadii);
    pOut->normal.Normalize();
    pOut->triNormal.CompMult(pOut->triNormal, m_ooRadii);
    pOut->triNormal.Normalize();
    pOut->position.CompMult(pOut->position, m_radii);
}

void eColliderEllipse::FindSlideDirection(mVec3* pV) const
{
    const int n = m_nContacts[CT_NORMAL];
    if (n == 0)
        return;
    if (n == 1) {
        const mVec3& normal = m_pContacts[CT_NORMAL][0].normal;
        pV->AddScaled(*pV, normal, -pV->Dot(normal));
        return;
    }
    eContactForceSolver solver;
    solver.ComputeForces(pV, m_pContacts[CT_NORMAL], n);
}

bool eColliderEllipse::ClampContactNormals(float minPitch, float maxPitch, float pitch, bool bFacesOnly)
{
    const int n = m_nContacts[CT_NORMAL];
    const float p = pitch * kDegToRad;
    float cosP = 0.0f, sinP = 0.0f;  // of p, once a contact qualifies
    bool bAny = false;
    for (int i = 0; i < n; ++i) {
        const eCollisionContact& c = m_pContacts[CT_NORMAL][i];
        mVec3 w;
        w.CompMult(c.normal, m_ooRadii);
        w.Normalize();
        const float elevation = mAsin(w.z < -1.0f ? -1.0f : (w.z > 1.0f ? 1.0f : w.z)) * kRadToDeg;
        if (elevation < minPitch || elevation > maxPitch)
            continue;
        if (bFacesOnly && (c.trianglePos & (TP::TP_ONEDGE | TP::TP_ONPOINT)))
            continue;
        if (!bAny) {
            cosP = mCos(p);
            sinP = mSin(p);
        }
        // The heading only for a contact that qualifies (most do not).
        const float heading = mAtan2(-w.x, w.y) * kRadToDeg;
        const float h = heading * kDegToRad;
        mVec3 clamped(-cosP * mSin(h), cosP * mCos(h), sinP);
        clamped.CompMult(clamped, m_radii);
        clamped.Normalize();
        eCollisionContact copy = c;
        copy.normal = clamped;
        AppendContact(CT_NORMAL, copy);
        bAny = true;
    }
    return bAny;
}
