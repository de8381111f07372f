#pragma once
// A zone: one resident piece of the world with its own frame in world space,
// its box, and the loose octrees over which its scene nodes are filed. At
// most five are live, in s_pZones by region slot. This class holds the zone's
// frame, box, octrees and node filing, the position lookups, the light grid,
// the surface table and the two collision triangle caches. Lives in its
// region's pool; main thread only.

#include <cstdint>

#include "cCore/cObject.h"
#include "eEngine/eOctree.h"
#include "eEngine/eSurface.h"
#include "mMath/mOCS.h"

class eCollisionCache;
class eGeom;
class eLightGrid;

// One node of the visibility octree. Counts cover the node's whole subtree,
// so walks skip subtrees whose counts are 0.
struct eZoneVisNode {
    uint16_t nZoneVisCount = 0;   // static strips in the subtree
    uint16_t nZoneVis = 0xFFFF;   // first strip of this node; 0xFFFF = none
    uint16_t nGeomVisCount = 0;   // scene nodes filed in the subtree
    eGeom* pGeomVis = nullptr;    // ring of scene nodes filed in this node
};

// One node of the collision octree; the same for triangle lists.
struct eZoneColNode {
    uint16_t nZoneColCount = 0;
    uint16_t nZoneCol = 0xFFFF;
    uint16_t nGeomColCount = 0;
    eGeom* pGeomCol = nullptr;
};

class eZone : public cObject
{
    QM_DECLARE_TYPE(eZone)
public:
    static constexpr int kMaxZones = 5;
    static constexpr uint16_t kNoIndex = 0xFFFF;
    // Console bytes of the "CollisionCache" pool: exactly the two caches.
    static constexpr uint32_t kCollisionCachePoolSize = 107040;

    // Identity frame, empty boxes and trees, no node arrays, data or tables,
    // not registered (index -1).
    eZone();
    // A new zone that holds none of the source's contents.
    eZone(const eZone&);
    // Unfiles every scene node still filed here and clears their zone pointer
    // (they outlive the zone in other pools), clears its live slot and
    // deletes its light grid.
    ~eZone() override;

    cBase* Copy(cMemPool* pPool) const override;

    // Files a scene node by its zone-frame origin and radii in the trees its
    // kDraw and kCollide bits name; nothing for a node outside every zone. A
    // centre outside the visibility tree leaves the node where it was in both
    // trees. Moving it updates the counts of both branches up to the root.
    void AddGeom(eGeom* pGeom);
    // Unfiles it from the trees of mask (1 visibility, 2 collision).
    void RemoveGeom(eGeom* pGeom, unsigned int mask);

    // The first live zone, in slot order, whose box holds the world point;
    // *pOut gets the point in its space. None: null and the point unchanged.
    static eZone* GetZoneFromWorldPos(const mVec3& worldPos, mVec3* pOut);
    // The zone holding p, given in pZone's space: pZone itself when its box
    // holds p, else the first other live zone in slot order, with *pOut in
    // that zone's space. Without pZone, p is a world position. None: null
    // and *pOut = p.
    static eZone* GetZoneFromPos(const eZone* pZone, const mVec3& p, mVec3* pOut);
    // min <= p < max on every axis, p in the zone's space.
    bool ContainsPos(const mVec3& p) const;

    // Copies the description into the tree and takes its node array of
    // (8^levels - 1) / 7 records from the pool, all empty. False (logged) for
    // a level count outside 1..eOctree::kMaxLevels or a full pool; the tree is
    // then unchanged.
    bool CreateVisOctree(const eOctree& octree, cMemPool* pPool);
    bool CreateColOctree(const eOctree& octree, cMemPool* pPool);

    // Start-up: gives the "CollisionCache" pool its memory and builds the
    // static and the dynamic cache in it. False (logged) when it cannot.
    static bool Initialize();
    static void Uninitialize();  // forgets both caches
    // Every key of the static (zone triangle lists) or the dynamic (model
    // surfaces, once a tick) cache misses afterwards.
    static void InvalidateStaticCollisionCache();
    static void InvalidateDynamicCollisionCache();

    mOCS m_localToWorld;
    mBox m_volume;             // in the zone's own space
    eOctree m_visOctree;
    eZoneVisNode* m_pVisNodes;
    eOctree m_colOctree;
    eZoneColNode* m_pColNodes;
    eLightGrid* m_pLightGrid;
    int32_t m_nZoneIndex;      // slot in s_pZones; -1 when not registered
    int32_t m_nSurfaces;       // collision triangle lists name surfaces by index here
    eSurfaceHandle* m_hSurfaces;

    static eZone* s_pZones[kMaxZones];
    static eCollisionCache* s_pStaticColCache;
    static eCollisionCache* s_pDynamicColCache;

private:
    void UnfileAll();
};
