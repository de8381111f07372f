#pragma once
// Shared pieces of the collision tests: collision surfaces in the manager,
// zones built from triangles with the zone writer and read back, a model
// with collision triangles of its own, and the movers' collision loop.

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "eEngine/eColliderEllipse.h"
#include "eEngine/eCollisionModel.h"
#include "worldTestSupport.h"

// A triangle counter-clockwise seen from the side it blocks, with its
// surface (an index into CollisionWorld's surfaces).
struct ColTri {
    mVec3 a, b, c;
    int surface = 0;
};

// The two triangles of a quad a-b-c-d (counter-clockwise from the front).
void AddQuad(std::vector<ColTri>* pTris, const mVec3& a, const mVec3& b, const mVec3& c, const mVec3& d,
             int surface = 0);
// The twelve outward-facing triangles of a box.
void AddBox(std::vector<ColTri>* pTris, const mVec3& lo, const mVec3& hi, int surface = 0);
// The same as cache records (world space, planes through MakeNormal).
std::vector<eCollisionCacheTri> ToCacheTris(const std::vector<ColTri>& tris);

// A model with one collision surface of triangles given in its own frame.
class eTestColModel : public eGeom, public eCollisionModel {
public:
    eTestColModel(const std::vector<ColTri>& localTris, eSurfaceHandle hSurface, float colRadius);
    void Cull(const eCamera&, const mFrustum&, unsigned int) override {}
    void CollisionCull(const eCollider& collider, const mSphere& sphere) override;
    void Draw(const eCamera&, const eDrawInfo*) override {}
    int GetCollisionTrisCount(int nSurface) const override;
    void FillCollisionTris(eCollisionCacheTri* pOut, int nSurface, int nFirst, int nCount) const override;
    void IntersectColTris(const mRay& zoneRay, int nSurface, eCollisionRayHit* pHit) const override;
    // Files it in the zone at that zone-space position.
    void Place(eZone* pZone, const mVec3& pos);

    std::vector<ColTri> m_tris;
    eModelColInfo m_colInfo;
};

class CollisionTest : public testing::Test {
protected:
    // Surface 0 blocks everything (mask 0xFFFFFFFF); 1 has mask 0x2; 2 is
    // touch-only; 3 gives resting contacts only.
    static constexpr int kSurfaces = 4;
    static constexpr int kSurfaceSlot = 40;

    void SetUp() override;
    void TearDown() override;

    // Writes the triangles as a zone file (edge 256 trees, 5 levels), reads
    // it into a new zone in the pool and makes it live in that slot at that
    // world position. Null when either step fails.
    eZone* AddZone(int slot, const mVec3& worldPos, const std::vector<ColTri>& tris, uint32_t version = 5);
    eTestColModel* AddModel(eZone* pZone, const std::vector<ColTri>& localTris, const mVec3& pos);
    eSurfaceHandle Surface(int i) const { return m_surfaces[i].m_handle; }

    // As the players move: Set and cull once, then at most 8 rounds of sweep
    // (with the biped's clamp when asked) and slide while more than the
    // tolerance of the move is left. Returns the end position.
    mVec3 Move(eColliderEllipse* pEllipse, const mVec3& from, const mVec3& to, const mVec3& radii,
               bool bClamp = false);

    eTestDataDir m_data;
    cMemPool m_pool{"collisionTest", 0x400000, false};
    eTestSurface m_surfaces[kSurfaces];
    std::vector<eZone*> m_zones;
    std::vector<std::unique_ptr<eTestColModel>> m_models;
    int m_nFiles = 0;
};
