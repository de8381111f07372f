#pragma once
// A zone: one resident piece of the world with its own frame in world space,
// its box, its static geometry (draw strips with display lists, collision
// triangle lists, lightmaps) and four loose octrees over which everything in
// it is filed: visibility, collision, trigger volumes and positional sounds.
// At most five are live, in s_pZones by region slot; every per-frame pass
// (culling and drawing, volume queries, sounds, collision) walks them all.
// Lives in its region's pool with all its arrays; main thread only.

#include <cstdint>

#include "cCore/cObject.h"
#include "eEngine/eCollisionInfo.h"
#include "eEngine/eDrawInfo.h"
#include "eEngine/eOctree.h"
#include "eEngine/eSurface.h"
#include "mMath/mOCS.h"

class cReadBlock;
class eCamera;
class eCollider;
class eColliderEllipse;
class eColliderRay;
class eCollisionCache;
struct eCollisionCacheTri;
struct eCollisionRayHit;
class eGeom;
class eLightGrid;
class eLightmap;
class eSky;
class eSound;
class eVolume;
struct eMaterialState;
struct eVolumeQuery;
struct mFrustum;
struct mRay;
struct mRayTriHit;
struct mSphere;
struct mVec2;

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

struct eZoneVolNode {
    uint16_t nVolCount = 0;   // trigger volumes filed in the subtree
    eVolume* pVol = nullptr;  // ring of the volumes filed in this node
};

struct eZoneSoundNode {
    eSound* pSound = nullptr;  // ring of the sounds filed in this node
    uint16_t nSoundCount = 0;  // sounds filed in the subtree
};

// One draw call of static geometry. Its draw record comes first: the bins
// link strips through it and reach the strip back from the record.
struct eZoneVisStrip {
    static constexpr uint16_t kFourCoordSets = 0x8000;  // vertex format 1, else 0
    static constexpr int kFileBytes = 12;

    eDrawInfo drawInfo;
    uint16_t nNext = 0xFFFF;       // next strip of the same octree node; 0xFFFF = last
    uint8_t nMaterial = 0;         // into the zone's m_hMaterials
    uint8_t nLightmap = 0;         // which of the zone's lightmap textures
    uint16_t nFlags = 0;
    uint16_t nTris = 0;            // counted into the rendered-triangle statistics
    uint16_t nDisplayListOffset = 0;  // 32-byte units from the start of the list block
    uint16_t nDisplayListSize = 0;    // bytes
};

// The zone's static draw data. Every array is raw graphics data exactly as
// stored (big-endian), read by the graphics layer through the display lists.
struct eZoneVisData {
    static constexpr int kPosFracBits = 8;   // positions: 3 x s16, 1/256 units
    static constexpr int kTexFracBits = 10;  // coordinates: 2 x s16, 1/1024
    static constexpr int kPosStride = 6;
    static constexpr int kTexStride = 4;

    eLightmap* pLightmap = nullptr;  // null when the zone has none
    int32_t nStrips = 0;
    eZoneVisStrip* pStrips = nullptr;
    int32_t nDisplayListBytes = 0;
    uint8_t* pDisplayLists = nullptr;  // 32-byte aligned
    int32_t nPositions = 0;
    uint8_t* pPositions = nullptr;
    // [0] the first coordinate set (bound to coordinates 1-3), [1] the second
    // (bound to coordinate 0, the lightmap's).
    int32_t nTexCoords[2] = {0, 0};
    uint8_t* pTexCoords[2] = {nullptr, nullptr};
};

// A run of collision triangles filed in one collision octree node. Its
// candidate record comes first, so a collidable ring reaches the list.
struct eZoneColTriList {
    static constexpr int kFileBytes = 7;

    eCollisionInfo colInfo;
    uint16_t nNext = 0xFFFF;   // next list of the same node; 0xFFFF = last
    uint8_t nSurface = 0;      // into the zone's m_hSurfaces
    uint16_t nFirstTri = 0;
    uint16_t nTris = 0;
    uint32_t nColCacheKey = 0; // its run in the static collision cache; 0 = none
    // The box of its triangles' quantised corners (triangles outside the data
    // left out), worked out by the first sweep that gathers the list, so
    // later sweeps pass over a list out of their reach without decoding it.
    int16_t boxLo[3] = {0, 0, 0};
    int16_t boxHi[3] = {0, 0, 0};
    uint8_t nBoxState = kBoxUnknown;
    static constexpr uint8_t kBoxUnknown = 0;
    static constexpr uint8_t kBoxSet = 1;
    static constexpr uint8_t kBoxEmpty = 2;  // no triangle inside the data
    // That box taken to world space, kept for the rounds of one query: the
    // cull it was worked out in (0 = none).
    float worldLo[3] = {0.0f, 0.0f, 0.0f};
    float worldHi[3] = {0.0f, 0.0f, 0.0f};
    uint32_t nWorldBoxCull = 0;
};

// The zone's static collision data, decoded by the processor: kept in host
// byte order.
struct eZoneColData {
    static constexpr int kVertFracBits = 8;  // 3 x s16 per vertex, 1/256 units

    int32_t nTriLists = 0;
    eZoneColTriList* pTriLists = nullptr;
    int32_t nTris = 0;
    uint16_t* pTris = nullptr;  // 3 vertex indices per triangle
    int32_t nVerts = 0;
    int16_t* pVerts = nullptr;
    void Free() {}  // the arrays belong to the zone's pool
};

class eZone : public cObject
{
    QM_DECLARE_TYPE(eZone)
public:
    enum eSortBy : int32_t { SB_MATERIAL = 0, SB_DISTANCE = 1 };

    static constexpr int kMaxZones = 5;
    static constexpr uint16_t kNoIndex = 0xFFFF;
    // Console bytes of the "CollisionCache" pool: exactly the two caches.
    static constexpr uint32_t kCollisionCachePoolSize = 107040;
    static constexpr uint32_t kVersion = 5;
    static constexpr uint32_t kMinVersion = 2;
    static constexpr uint32_t kPlatformVersion = 2;
    static constexpr int kNumPlatforms = 4;  // target platform ids of the file header
    // The trigger-volume and sound trees are built, not read: the visibility
    // tree's size, this loose scale and depth.
    static constexpr float kBuiltLooseScale = 1.5f;
    static constexpr int kBuiltLevels = 3;
    // Material flags the draw routing reads (the materials' own switches).
    static constexpr uint32_t kMatZSorted = 0x40000;       // drawn far to near after everything
    static constexpr uint32_t kMatNeverDrawn = 0x200000;   // never filed
    static constexpr uint32_t kMatNotLit = 0x80000000;     // skipped by kDrawSkipNotLit walks
    // Flags of DrawContained.
    static constexpr unsigned int kDrawSkipNotLit = 0x8;

    // Writes the platform block of a zone for one target platform.
    typedef void (*PlatformWriteFunc)(const eZone& zone, const cFile& file);

    // Identity frame, empty boxes and trees, no node arrays, data or tables,
    // not registered (index -1), lightmap slots unset (-1).
    eZone();
    // A new zone that holds none of the source's contents.
    eZone(const eZone&);
    // Unfiles every scene node, volume and sound still filed here (they
    // outlive the zone in other pools), clears its live slot, deletes its
    // light grid and lightmap and removes its lightmap texture slots.
    ~eZone() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5, then the platform block through s_platformWrite of the
    // file's target platform (nothing when that entry is empty).
    void Write(const cFile& file) const override;
    // Versions 2 to 5 with the console platform block. Everything the data
    // indexes is checked (tree depths, strip, material, lightmap, surface,
    // list, triangle and vertex indices, display lists and their indices,
    // the lightmap count against the reserved slots); a zone failing any is
    // refused: false, logged, the zone and the texture slots as they were.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // ---- filing and lookups ----
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

    // Ray queries against the static strips of every live zone, through the
    // visibility trees: the nearest triangle hit, back faces counted when
    // asked. The hit's distance starts at the ray's reach and stays there
    // when nothing is hit. The first takes a world ray, gives the hit in
    // world space and returns the zone hit, or null. The second takes a ray
    // in this zone's space reaching fLength (negative: unbounded), gives the
    // hit in this zone's space with, where asked, the material of its strip
    // and the texture coordinate of the material's set at the hit point, and
    // returns whether anything was hit.
    static eZone* Intersect(const mRay& ray, bool bBackFaces, mRayTriHit* pHit);
    bool Intersect(const mRay& ray, float fLength, bool bBackFaces, mRayTriHit* pHit, eMaterialHandle* pMaterial,
                   mVec2* pTexCoord) const;

    // Copies the description into the tree and takes its node array of
    // (8^levels - 1) / 7 records from the pool, all empty. False (logged) for
    // a level count outside 1..eOctree::kMaxLevels or a full pool; the tree is
    // then unchanged.
    bool CreateVisOctree(const eOctree& octree, cMemPool* pPool);
    bool CreateColOctree(const eOctree& octree, cMemPool* pPool);
    bool CreateVolOctree(const eOctree& octree, cMemPool* pPool);
    bool CreateSndOctree(const eOctree& octree, cMemPool* pPool);

    // Start-up: gives the "CollisionCache" pool its memory and builds the
    // static and the dynamic cache in it. False (logged) when it cannot.
    static bool Initialize();
    static void Uninitialize();  // forgets both caches
    // Every key of the static (zone triangle lists) or the dynamic (model
    // surfaces, once a tick) cache misses afterwards.
    static void InvalidateStaticCollisionCache();
    static void InvalidateDynamicCollisionCache();

    // ---- culling and drawing ----
    // Walks every live zone that has draw data with the camera's frustum and
    // files what is visible in the zones' bins (cleared first).
    static void CullAll(const eCamera& camera);
    void Cull(const eCamera& camera);  // the same for this zone, draw data or not
    // Files a record: a material flagged never-drawn is dropped; z-sorted
    // materials go to the z-sorted bin; a state whose alpha is below 255 to
    // the pre-blended bin; blending materials to the blended bins, the rest
    // (and records without a material) to the opaque ones. Strip records use
    // their material's ring, scene-node records the geom bins.
    void AddDrawInfo(eDrawInfo* pInfo, const eMaterialState* pState);
    void AddPostShadowDrawInfo(eDrawInfo* pInfo);
    void ResetVisBins();
    // Bottom-up merge sort of a ring; returns its new head (null stays null).
    // Distance: far to near; material: ascending handles. On a tie the
    // element of the later run goes first.
    static eDrawInfo* SortBin(eDrawInfo* pHead, eSortBy sortBy);
    // The frame's passes over the bins CullAll filled: the first sweep
    // (lighting pass), post-shadow lights, blended, ambient, then the second
    // sweep and the z-sorted bins of all zones, farthest zone first.
    // bNoSky suppresses the sky.
    static void DrawAll(const eCamera& camera, bool bNoSky);
    void DrawOpaque(const eCamera& camera);
    void DrawPostShadow(const eCamera& camera);
    void DrawBlended(const eCamera& camera);
    void DrawPreBlended(const eCamera& camera);
    void DrawZSorted(const eCamera& camera);
    // Adds the global ambient colour over the whole screen.
    static void DrawAmbient(const eCamera& camera);
    // Draws one static strip's record as the bins do.
    void Draw(const eCamera& camera, eDrawInfo* pInfo);
    // Draws at once what lies inside a frustum given in this zone's space,
    // in every live zone, with the caller's material already applied.
    void DrawContained(const eCamera& camera, const mFrustum& frustum, unsigned int flags);
    // Points the position, normal and coordinate arrays at a zone's data.
    static void SetZoneVAPointers(const eZoneVisData* pData);
    void DrawCollision(const eCamera&) const {}  // draws nothing on this platform

    // ---- trigger volumes ----
    // Files a volume by its bounding sphere; a centre outside the tree, or the
    // node it is in already, changes nothing.
    void AddVolume(eVolume* pVolume);
    void RemoveVolume(eVolume* pVolume);
    // Runs a query given in this zone's space against every live zone's
    // volumes near its culling sphere; sets the query's done flag.
    void VolumeQuery(eVolumeQuery* pQuery, const cBase* pQuerier) const;

    // ---- positional sounds ----
    // Files a positional, unfinished sound by its audible sphere.
    void AddSound(eSound* pSound);
    void RemoveSound(eSound* pSound);
    // Offers every sound audible at the listener's position, in every live
    // zone (slot order), to the listener's play list.
    static void CullAllSounds(const mOCS& listener);
    void CullSounds(const mOCS& listener);

    // ---- collision queries (added with the colliders) ----
    // Collision queries. A query culls once (CollisionCullAll strings the
    // candidates near it, zone triangle lists and model surfaces, into each
    // live zone's ring) and then sweeps, slides and pushes out against them
    // any number of times, before any scene node moves or zone changes.
    // Contacts and the free distance end up in the collider.
    static void CollisionCullAll(const eColliderEllipse& ellipse);
    static void CollisionCullAll(const eColliderRay& ray);
    // The same for this zone alone, with a world sphere.
    void CollisionCull(const eCollider& collider, const mSphere& worldSphere);
    // Appends a candidate to this zone's ring: a list's record, or a model's
    // eModelColInfo (models call it from their eGeom::CollisionCull).
    void AddCollisionInfo(eCollisionInfo* pInfo);
    // One sweep: blocking and touch contacts, m_fTravel the free distance.
    // A sweep stuck where it stands takes the previous pass's contacts in.
    static void CollideAll(eColliderEllipse* pEllipse);
    // Advances to the first contact and aims the rest of the move the
    // original way, or, when blocked at once, turns it into a slide.
    static void CollideSlide(eColliderEllipse* pEllipse);
    // Finds the models the body overlaps and aims the sweep out of the
    // deepest one; zone triangles never embed.
    static void CollideEmbed(eColliderEllipse* pEllipse);
    // The nearest front-facing hit over all candidates, in the ray's hit
    // record; false when nothing was hit.
    static bool CollideAllRay(eColliderRay* pRay);
    // The ray (zone space) against one list's triangles.
    void IntersectColTris(const mRay& zoneRay, const eZoneColTriList* pList, eSurface* pSurface,
                          eCollisionRayHit* pHit);
    // Triangles nFirst .. nFirst + nCount - 1 of a list in world space.
    void FillCollisionTris(eCollisionCacheTri* pOut, const eZoneColTriList* pList, int nFirst, int nCount) const;

    mOCS m_localToWorld;
    mBox m_volume;             // in the zone's own space
    eOctree m_visOctree;
    eZoneVisNode* m_pVisNodes;
    eOctree m_colOctree;
    eZoneColNode* m_pColNodes;
    eOctree m_volOctree;
    eZoneVolNode* m_pVolNodes;
    eOctree m_sndOctree;
    eZoneSoundNode* m_pSndNodes;
    eLightGrid* m_pLightGrid;
    eGeom* m_pResidents = nullptr;  // every node whose zone this is (eGeom::ChangeZone)
    int32_t m_nZoneIndex;      // slot in s_pZones; -1 when not registered
    mVec3 m_exportOffset;      // stored with the zone; unused at run time
    eDrawInfo** m_pZoneOpaqueBin;   // one ring per material
    eDrawInfo** m_pZoneBlendedBin;
    eDrawInfo* m_pGeomOpaqueBin;
    eDrawInfo* m_pGeomBlendedBin;
    eDrawInfo* m_pZSortedBin;
    eDrawInfo* m_pPostShadowBin;
    eDrawInfo* m_pPreBlendedBin;
    eCollisionInfo* m_pCollidableBin;
    int32_t m_nMaterials;      // strips name materials by index here
    eMaterialHandle* m_hMaterials;
    int32_t m_nSurfaces;       // collision triangle lists name surfaces by index here
    eSurfaceHandle* m_hSurfaces;
    eZoneVisData* m_pVisData;
    eZoneColData* m_pColData;
    int32_t m_nLightmapStartIndex;  // first texture slot of the lightmaps; -1 until set
    int32_t m_nLightmapTextures;    // texture slots reserved for (and released with) the zone

    static eZone* s_pZones[kMaxZones];
    static eSky* s_pSky;
    static eCollisionCache* s_pStaticColCache;
    static eCollisionCache* s_pDynamicColCache;
    static PlatformWriteFunc s_platformWrite[kNumPlatforms];

private:
    struct ReadState;

    bool ReadNodes(const cReadBlock& rb, ReadState* pState, cMemPool* pPool) const;
    bool PlatformRead(const cFile& file, cMemPool* pPool, ReadState* pState);
    bool ReadVisData(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const;
    bool ReadLightmap(const cFile& file, int32_t nLightmaps, cMemPool* pPool, ReadState* pState);
    bool ReadColData(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const;
    bool ValidateVisData(const cFile& file, const ReadState& state, int32_t nLightmaps) const;
    bool ValidateColData(const cFile& file, const ReadState& state) const;
    void RemoveLightmapSlots(int32_t first, int32_t count) const;
    void PlatformFree();
    void UnfileAll();
    void UnfileVolumes();
    void UnfileSounds();

    void CullNode(const eCamera& camera, const mFrustum& frustum, int level, int node, const mVec3& centre,
                  float edge, unsigned int mask);
    void AddVisNode(const eCamera& camera, const mFrustum& frustum, int node, unsigned int mask, float distance);
    void CullNodeDrawImmediate(const eCamera& camera, const mFrustum& frustum, int level, int node,
                               const mVec3& centre, float edge, unsigned int mask, unsigned int flags);
    void DrawVisNode(const eCamera& camera, const mFrustum& frustum, int node, unsigned int mask,
                     unsigned int flags);
    bool DrawStrip(const eCamera& camera, eZoneVisStrip& strip);
    void CallStrip(const eZoneVisStrip& strip) const;
    void DrawStripRings(const eCamera& camera, eDrawInfo** pRings);
    void DrawGeomBin(const eCamera& camera, eDrawInfo* pHead, bool bFirstSweepRule);
    bool IsStripRecord(const eDrawInfo* pInfo) const;
    void SetZoneFrames() const;

    // The nearest hit over every live zone of a ray given in pCaller's space
    // (world space without one), the hit taken back into that space.
    static eZone* IntersectAll(const eZone* pCaller, const mRay& ray, bool bBackFaces, mRayTriHit* pHit,
                               eMaterialHandle* pMaterial, mVec2* pTexCoord);
    // Walks the visibility tree with a ray in this zone's space; pHit's
    // distance bounds the hits and is lowered by each nearer one.
    bool IntersectNode(const mRay& ray, int level, int node, const mVec3& centre, float edge, bool bBackFaces,
                       mRayTriHit* pHit, eMaterialHandle* pMaterial, mVec2* pTexCoord) const;
    // The triangles of the strips filed in one node.
    bool IntersectVisNode(const mRay& ray, int node, bool bBackFaces, mRayTriHit* pHit, eMaterialHandle* pMaterial,
                          mVec2* pTexCoord) const;
    bool IntersectStrip(const mRay& ray, const eZoneVisStrip& strip, bool bBackFaces, mRayTriHit* pHit,
                        mVec2* pTexCoord) const;

    void VolumeQueryNode(eVolumeQuery* pQuery, const cBase* pQuerier, const mSphere& sphere, int level,
                         int node, const mVec3& centre, float edge) const;
    void AddVolumeNode(eVolumeQuery* pQuery, const cBase* pQuerier, const mSphere& sphere, int node) const;
    void CullSoundNode(const mVec3& pos, int level, int node, const mVec3& centre, float edge);
};
