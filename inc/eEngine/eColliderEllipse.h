#pragma once
// The swept-ellipsoid collider through which every mover collides. It works
// in scaled space (world coordinates times the reciprocal radii), where the
// ellipsoid is the unit sphere: positions, directions, distances and contacts
// inside are scaled; Set takes world values and GetWorldContact gives them
// back. It keeps four contact lists of 32 (blocking, embedded, touch-only and
// the previous pass's blocking ones) and the free distance of the sweep.
// Lives on its caller's stack for one query (about 12 KB); main thread only.

#include <cstdint>

#include "eEngine/eCollider.h"
#include "eEngine/eCollisionContact.h"
#include "mMath/mVec3.h"

class cBase;
class eSurface;
struct eCollisionCacheTri;
struct eColTriFrame;
struct mPlane;
struct mSphere;

class eColliderEllipse : public eCollider
{
public:
    enum eContactType : int32_t {
        CT_NORMAL = 0,  // blocking contacts found by the sweep
        CT_EMBED = 1,   // triangles of models the body already overlaps
        CT_TOUCH = 2,   // contacts with touch-only surfaces; they never block
        CT_SAVED = 3,   // the previous pass's blocking contacts
        CT_MAXTYPES = 4,
    };
    using eColTriPos = eCollisionContact::eColTriPos;

    static constexpr int kMaxContacts = 32;  // per list
    static constexpr float fColZeroTol = 0.001f;  // world units
    // A blocking contact counts only when the move enters it: move . normal
    // below this.
    static constexpr float kFacingTolerance = -0.0001f;
    // Surface flag bits (eSurface::m_flags) read by the contact makers.
    static constexpr uint32_t kSurfTouchOnly = 0x1;  // contacts go to CT_TOUCH, never block
    static constexpr uint32_t kSurfNoSweep = 0x2;    // resting contacts only, no swept hits
    // Radii are kept at least this large (world units), so that a collider of
    // no size sweeps as a point instead of dividing by zero.
    static constexpr float kMinRadius = 0.0001f;

    eColliderEllipse();

    // Sets up a sweep from world values: start, move length, unit move
    // direction and the ellipsoid's semi-axes. Clears m_bSlid; the tolerance
    // becomes fColZeroTol in the scaled units of the narrowest axis.
    void Set(const mVec3& position, float fMoveDist, const mVec3& moveDir, const mVec3& radii);
    // Re-aims the sweep from scaled values, keeping the world copies in step.
    // Leaves m_prevGoodDir, m_bSlid, the tolerance and the contacts alone.
    void SetScaled(const mVec3& position, float fMoveDist, const mVec3& moveDir);

    void ClearContacts(eContactType t) { m_nContacts[t] = 0; }
    // Admits one contact to list t. CT_NORMAL keeps the nearest contacts only,
    // sorted, with features shared by neighbouring triangles counted once
    // (a face beats an edge beats a corner), and sets m_fTravel; the other
    // lists append while they have room.
    void AddContactPoint(eContactType t, const mVec3& position, const mVec3& normal, const mVec3& triNormal,
                         float fDistance, cBase* pObject, eSurface* pSurface, eColTriPos triPos,
                         const mVec3* pVerts, bool bKeepFarther);
    // Drops the touch contacts beyond the first blocking one.
    void VerifyTouchContacts();
    void SaveContacts();       // CT_NORMAL appended to CT_SAVED while it has room
    void AddSavedContacts();   // CT_SAVED appended to CT_NORMAL while it has room
    bool IsGeomEmbedded(const cBase* pObject) const;
    // Contact i of list t in world space: normals through the reciprocal radii
    // and renormalised, the position through the radii; distance and corners
    // as stored (scaled). i must be below m_nContacts[t].
    void GetWorldContact(eContactType t, int i, eCollisionContact* pOut) const;
    // The largest part of the scaled move v that enters no CT_NORMAL contact.
    void FindSlideDirection(mVec3* pV) const;
    // For each blocking contact whose world normal rises between minPitch and
    // maxPitch degrees, appends a copy whose normal rises exactly pitch
    // degrees under the same heading (with bFacesOnly, face contacts only).
    // True when any contact qualified.
    bool ClampContactNormals(float minPitch, float maxPitch, float pitch, bool bFacesOnly);

    // The sweep against a block of world-space triangles owned by one object
    // and surface: resting and swept contacts of the move.
    void MakeContactPoints(const eCollisionCacheTri* pTris, int nTris, cBase* pObject, eSurface* pSurface);
    // Contacts with triangles the body already overlaps (CT_EMBED).
    void MakeEmbedContacts(const eCollisionCacheTri* pTris, int nTris, cBase* pObject, eSurface* pSurface);
    // The world-space box the sweep reaches: no triangle whose corners lie in
    // a box wholly outside it can give either of the above a contact, so a
    // block inside such a box can be passed over.
    void GetWorldReach(mVec3* pLo, mVec3* pHi) const;
    // The swept sphere against one scaled triangle of some area: its face,
    // then its edges, then its corners; at most one contact. The frame holds
    // the triangle's edge and barycentric terms.
    void CheckForHit(const mSphere& sphere, cBase* pObject, eSurface* pSurface, const mVec3* pVerts,
                     const mPlane& plane, const eColTriFrame& frame);

    mVec3 m_position;            // sweep start, scaled
    mVec3 m_radii;               // semi-axes, world units
    mVec3 m_ooRadii;             // 1 / m_radii per component
    mVec3 m_moveDir;             // unit, scaled; zero for no move
    float m_fMoveDist;           // scaled
    mVec3 m_nonScaledPosition;   // sweep start, world: where the mover ends up
    mVec3 m_nonScaledMoveDir;
    float m_fNonScaledMoveDist;
    float m_fTravel;             // free distance before the nearest blocking contact, scaled
    eCollisionContact m_pContacts[CT_MAXTYPES][kMaxContacts];
    int32_t m_nContacts[CT_MAXTYPES];
    bool m_bEmbedded;            // the last embedding pass re-aimed the sweep to push out
    mVec3 m_embeddedMoveDist;    // zeroed by every collision pass
    float m_fColZeroTol;         // this sweep's zero tolerance, scaled
    bool m_bSlid;                // cleared by Set
    mVec3 m_prevGoodDir;         // direction of the last Set, scaled

private:
    // Whether a triangle whose plane lies s in front of the centre, the move
    // closing on it at speed f, can give no contact nearer than the nearest
    // blocking one so far.
    bool BeyondNearestContact(float s, float f, const mPlane& plane) const;

    void MergeNormalContact(const eCollisionContact& candidate, bool bKeepFarther);
    void AppendContact(eContactType t, const eCollisionContact& contact);
};

// The point of the triangle p[0..2] nearest to centre, whose foot on the
// triangle's plane is given, and which feature it lies on. A triangle of no
// area sets *pDegenerate, returns TP_DEGENERATE and leaves *pClosest alone.
eCollisionContact::eColTriPos FindClosestPointOnTri(const mVec3& centre, const mVec3& foot, const mVec3* p,
                                                    mVec3* pClosest, bool* pDegenerate);
// Whether a point in the triangle's plane lies inside it (edges included). A
// triangle of no area sets *pDegenerate and counts the point as inside.
bool PointInTri(const mVec3* p, const mVec3& point, bool* pDegenerate);
