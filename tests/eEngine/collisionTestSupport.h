#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "eEngine/eColliderEllipse.h"
#include "eEngine/eCollisionModel.h"
#include "worldTestSupport.h"

struct ColTri { mVec3 a, b, c; int surface = 0; };

void AddQuad(std::vector<ColTri>* pTris, const mVec3& a, const mVec3& b, const mVec3& c, const mVec3& d,
             int surface = 0);
void AddBox(std::vector<ColTri>* pTris, const mVec3& lo, const mVec3& hi, int surface = 0);
std::vector<eCollisionCacheTri> ToCacheTris(const std::vector<ColTri>& tris);

class eTestColModel : public eGeom, public eCollisionModel {
public:
    eTestColModel(const std::vector<ColTri>& localTris, eSurfaceHandle hSurface, float colRadius);
    void Cull(const eCamera&, const mFrustum&, unsigned int) override {}
    void CollisionCull(const eCollider& collider, const mSphere& sphere) override;
    void Draw(const eCamera&, const eDrawInfo*) override {}
    int GetCollisionTrisCount(int nSurface) const override;
    void FillCollisionTris(eCollisionCacheTri* pOut, int nSurface, int nFirst, int nCount) const override;
    void IntersectColTris(const mRay& zoneRay, int nSurface, eCollisionRayHit* pHit) const override;
    void Place(eZone* pZone, const mVec3& pos);

    std::vector<ColTri> m_tris;
    eModelColInfo m_colInfo;
};

class CollisionTest : public testing::Test {
protected:
    static constexpr int kSurfaces = 4;
    static constexpr int kSurfaceSlot = 40;

    void SetUp() override;
    void TearDown() override;

    eZone* AddZone(int slot, const mVec3& worldPos, const std::vector<ColTri>& tris, uint32_t version = 5);
    eTestColModel* AddModel(eZone* pZone, const std::vector<ColTri>& localTris, const mVec3& pos);
    eSurfaceHandle Surface(int i) const { return m_surfaces[i].m_handle; }

    mVec3 Move(eColliderEllipse* pEllipse, const mVec3& from, const mVec3& to, const mVec3& radii,
               bool bClamp = false);

    eTestDataDir m_data;
    cMemPool m_pool{"collisionTest", 0x400000, false};
    eTestSurface m_surfaces[kSurfaces];
    std::vector<eZone*> m_zones;
    std::vector<std::unique_ptr<eTestColModel>> m_models;
    int m_nFiles = 0;
};
