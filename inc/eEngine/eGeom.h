#pragma once
// The scene node: the base of everything placed in a zone and culled, drawn
// or collided with (models, particle systems, trails, dynamic lights, shadows,
// projectors). It carries a local-to-parent and a local-to-zone frame, flag
// bits, its place in a parent/child ring and its filing in its zone's
// visibility and collision octrees, which it keeps up to date as it moves.
// Lives in the pool of its owner; main thread only.

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cTimeValue.h"
#include "mMath/mOCS.h"

class cName;
class eCamera;
class eCollider;
class eZone;
struct eDrawInfo;
struct mFrustum;
struct mSphere;

class eGeom : public cBase
{
    QM_DECLARE_ABSTRACT_TYPE(eGeom)
public:
    static constexpr uint32_t kVersion = 1;

    // Bits of m_nGeomFlags.
    static constexpr uint16_t kDraw = 0x1;               // filed in the visibility octree
    static constexpr uint16_t kCollide = 0x2;            // filed in the collision octree
    static constexpr uint16_t kDirty = 0x4;              // m_localToZone must be recomputed
    static constexpr uint16_t kBothSweeps = 0x10;        // drawn in both sweeps and by immediate walks
    static constexpr uint16_t kNoInheritDraw = 0x100;    // keeps its own kDraw whatever the parent does
    static constexpr uint16_t kNoInheritCollide = 0x200; // keeps its own kCollide
    static constexpr uint16_t kAttachPosOnly = 0x400;    // follows only the parent's attach position
    static constexpr uint16_t kNotInherited = 0xF00;     // never passed from parent to child
    static constexpr uint16_t kOutsideZones = 0x8000;    // last position lay in no live zone
    static constexpr unsigned int kFiledMask = kDraw | kCollide;

    // Unfiled, no zone, owner, parent or children; identity frames; radii -1.
    eGeom();
    // Takes nothing from the source: an unfiled node with zero frames, flags
    // and radii, as copies made in zeroed pool memory are.
    eGeom(const eGeom&);
    // Leaves its parent, frees its children (they keep their placement) and
    // unfiles itself from its zone.
    ~eGeom() override;

    // Block version 1 holding an empty base block; nothing of the node's state
    // is stored. Version 0 is skipped (false).
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The frame of a sub-object (bone, helper) in zone space, or the node's
    // own frame below 0; null when the node has none (the base class).
    virtual const mOCS* GetSubObjectToZone(int index) const;
    // The first sub-object index at or after start that bears the name; -1.
    virtual int GetSubObjectIndex(const cName& name, int start, bool flag) const;
    virtual void PostCullUpdate(const eCamera& camera);
    // With bit 0x1 of the draw flags, passes the call on to every child.
    virtual void DrawImmediate(const eCamera& camera, unsigned int flags) const;
    virtual void DrawCollisionHull(const eCamera& camera) const;
    // Recomputes the zone frame (and refiles) when dirty.
    virtual void Update(cTimeValue dt);
    virtual void Cull(const eCamera& camera, const mFrustum& frustum, unsigned int clip) = 0;
    virtual void CollisionCull(const eCollider& collider, const mSphere& sphere) = 0;
    virtual void Draw(const eCamera& camera, const eDrawInfo* pInfo) = 0;
    // After a move to another zone, with the position in the new zone's space
    // minus the position in the old one's.
    virtual void OnZoneChange(const mVec3& delta);

    // Hangs a child at the end of the ring from the given attach index; the
    // child takes this node's zone and its flags (minus the bits it opts out
    // of) and becomes dirty. A child already under this node is left as it is.
    void AddChild(eGeom* pChild, int subIndex);
    // Leaves the parent, keeping the place in the zone: m_localToParent
    // becomes the last m_localToZone. Zone and flags are unchanged.
    void Detach();
    void DetachChildren();
    eGeom* GetChild(int subIndex) const;  // first child at that index, or null
    // The first sub-object of that name no child hangs from; when every one is
    // taken, the first; -1 when there is none.
    int FindAttachNode(const cName& name) const;
    // Moves the node and its subtree to another zone's octrees (by the current
    // zone frame) and marks it dirty. Nothing when already in that zone.
    void SetZone(eZone* pZone);
    // new = (old | on) & ~off; files or unfiles the node as kDraw and kCollide
    // change, and passes the change on to the children.
    void SetGeomFlagsOnOff(unsigned int on, unsigned int off);
    void UpdateChildFlags(eGeom* pChild, unsigned int on, unsigned int off);
    // Composes the zone frame from the parent's attach frame (or the node's
    // own frame), finds the live zone holding the position and refiles.
    void UpdateLocalToZone();

    eZone* m_pZone;
    cBase* m_pOwner;          // passed on, never used here
    mOCS m_localToParent;     // relative to the parent's attach frame, or the zone
    mOCS m_localToZone;       // valid while kDirty is clear
    uint16_t m_nGeomFlags;
    int16_t m_nSubIndex;      // parent's sub-object the node hangs from; -1 = its own frame
    eGeom* m_pVisPrev;        // ring of one visibility-octree node
    eGeom* m_pVisNext;
    eGeom* m_pColPrev;        // ring of one collision-octree node
    eGeom* m_pColNext;
    int16_t m_nVisNodeIndex;  // -1 = not filed
    int16_t m_nColNodeIndex;
    eGeom* m_pParent;
    eGeom* m_pFirstChild;     // entry into the ring of children
    eGeom* m_pPrevSibling;    // a lone child links to itself
    eGeom* m_pNextSibling;
    float m_fVisRadius;       // filing sphere around the zone-frame origin; < 0 = never
    float m_fColRadius;
    // Every node whose m_pZone is a zone is on that zone's list of residents,
    // filed or not, so a dying zone can make each one forget it.
    eZone* m_pResidentOf;     // the zone whose list holds the node
    eGeom* m_pResidentPrev;
    eGeom* m_pResidentNext;

    // Sets m_pZone, moving the node between the zones' resident lists.
    void ChangeZone(eZone* pZone);
    // Takes the node off the list it is on, if any.
    void LeaveResidents();

private:
    bool IsAncestorOrSelf(const eGeom* pNode) const;
};
