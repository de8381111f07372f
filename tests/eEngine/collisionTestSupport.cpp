#include "collisionTestSupport.h"

#include "datagen/zoneWriter.h"
#include "eEngine/eColliderRay.h"
#include "eEngine/eCollisionCache.h"

void AddQuad(std::vector<ColTri>* pTris, const mVec3& a, const mVec3& b, const mVec3& c, const mVec3& d, int surface)
{
    pTris->push_back({a, b, c, surface});
    pTris->push_back({a, c, d, surface});
}

void AddBox(std::vector<ColTri>* pTris, const mVec3& lo, const mVec3& hi, int surface)
{
    const float x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
    AddQuad(pTris, {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, surface);  // top
    AddQuad(pTris, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}, surface);  // bottom
    AddQuad(pTris, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}, surface);  // +x
    AddQuad(pTris, {x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, surface);  // -x
    AddQuad(pTris, {x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, surface);  // +y
    AddQuad(pTris, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, surface);  // -y
}

static eCollisionCacheTri MakeCacheTri(const mVec3& a, const mVec3& b, const mVec3& c)
{
    eCollisionCacheTri t;
    t.v1 = a;
    t.v2 = b;
    t.v3 = c;
    t.plane.normal.MakeNormal(a, b, c);
    t.plane.offset = t.plane.normal.Dot(a);
    return t;
}

std::vector<eCollisionCacheTri> ToCacheTris(const std::vector<ColTri>& tris)
{
    std::vector<eCollisionCacheTri> out;
    for (const ColTri& t : tris)
        out.push_back(MakeCacheTri(t.a, t.b, t.c));
    return out;
}

eTestColModel::eTestColModel(const std::vector<ColTri>& localTris, eSurfaceHandle hSurface, float colRadius)
    : m_tris(localTris)
{
    m_colInfo.pModel = this;
    m_colInfo.hSurface = hSurface;
    m_fColRadius = colRadius;
    m_nGeomFlags = kCollide | kDirty;
}

void eTestColModel::CollisionCull(const eCollider& collider, const mSphere&)
{
    m_colInfo.pCollidable = this;
    m_colInfo.nSurfaceID = 0;
    const eSurface* pSurface = eSurfaceMgr::GetPtr(m_colInfo.hSurface);
    if (pSurface && (pSurface->m_nCollisionMask & collider.m_nCollisionMask) && !collider.IsIgnored(this))
        m_pZone->AddCollisionInfo(&m_colInfo);
}

int eTestColModel::GetCollisionTrisCount(int nSurface) const
{
    return nSurface == 0 ? static_cast<int>(m_tris.size()) : 0;
}

void eTestColModel::FillCollisionTris(eCollisionCacheTri* pOut, int, int nFirst, int nCount) const
{
    for (int i = 0; i < nCount; ++i) {
        const ColTri& t = m_tris[nFirst + i];
        mVec3 w[3];
        const mVec3* local[3] = {&t.a, &t.b, &t.c};
        for (int k = 0; k < 3; ++k) {
            w[k].Xform(*local[k], m_localToZone);
            w[k].Xform(w[k], m_pZone->m_localToWorld);
        }
        pOut[i] = MakeCacheTri(w[0], w[1], w[2]);
    }
}

void eTestColModel::IntersectColTris(const mRay& zoneRay, int, eCollisionRayHit* pHit) const
{
    mRay local;
    local.origin.XformInv(zoneRay.origin, m_localToZone);
    local.dir.XformVecInv(zoneRay.dir, m_localToZone);
    local.length = zoneRay.length;
    static const unsigned short kIndices[3] = {0, 1, 2};
    for (const ColTri& t : m_tris) {
        const mVec3 corners[3] = {t.a, t.b, t.c};
        mRayTriHit hit;
        if (local.Intersect(corners, kIndices, 1, false, &hit) && hit.distance < pHit->fDistance) {
            pHit->fDistance = hit.distance;
            pHit->normal = hit.normal;
            mVec3 zonePos;
            zonePos.Xform(hit.pos, m_localToZone);
            pHit->position.Xform(zonePos, m_pZone->m_localToWorld);
            pHit->pSurface = eSurfaceMgr::GetPtr(m_colInfo.hSurface);
            pHit->pObj = const_cast<eTestColModel*>(this);
        }
    }
}

void eTestColModel::Place(eZone* pZone, const mVec3& pos)
{
    m_localToParent.MakeIdentity();
    m_localToParent.origin = pos;
    SetZone(pZone);
    m_nGeomFlags |= kDirty;
    Update(cTimeValue(20));
}

void CollisionTest::SetUp()
{
    ASSERT_TRUE(eZone::Initialize());
    eZone::InvalidateStaticCollisionCache();
    eZone::InvalidateDynamicCollisionCache();
    const uint32_t masks[kSurfaces] = {0xFFFFFFFF, 0x2, 0xFFFFFFFF, 0xFFFFFFFF};
    const uint32_t flags[kSurfaces] = {0, 0, eColliderEllipse::kSurfTouchOnly, eColliderEllipse::kSurfNoSweep};
    for (int i = 0; i < kSurfaces; ++i) {
        m_surfaces[i].m_nCollisionMask = masks[i];
        m_surfaces[i].m_flags = flags[i];
        eSurfaceMgr::Add(kSurfaceSlot + i, &m_surfaces[i], static_cast<uint16_t>(0x100 + i));
    }
}

void CollisionTest::TearDown()
{
    m_models.clear();
    for (eZone* z : m_zones)
        std::destroy_at(z);
    for (eZone*& z : eZone::s_pZones)
        z = nullptr;
    for (int i = 0; i < kSurfaces; ++i)
        eSurfaceMgr::s_pInstances[kSurfaceSlot + i] = nullptr;
}

eZone* CollisionTest::AddZone(int slot, const mVec3& worldPos, const std::vector<ColTri>& tris, uint32_t version)
{
    datagen::ZoneDesc desc;
    desc.version = version;
    desc.boxMin.Set(-128, -128, -128);
    desc.boxMax.Set(128, 128, 128);
    desc.treeSize = 256;
    desc.colLevels = 5;
    desc.visLevels = 1;
    for (const eTestSurface& s : m_surfaces)
        desc.surfaces.push_back(s.m_handle.m_nValue);
    for (const ColTri& t : tris) {
        datagen::ZoneTriangle z;
        z.v[0].pos = t.a;
        z.v[1].pos = t.b;
        z.v[2].pos = t.c;
        z.surface = static_cast<uint8_t>(t.surface);
        z.bDraw = false;
        desc.triangles.push_back(z);
    }
    const std::string name = "zone" + std::to_string(m_nFiles++) + ".zon";
    if (!datagen::WriteZoneFile(m_data.HostPath(name.c_str()), desc))
        return nullptr;
    eZone* pZone = static_cast<eZone*>(cBase::Load(("/" + name).c_str(), &m_pool, eZone::GetStaticType()));
    if (!pZone)
        return nullptr;
    m_zones.push_back(pZone);
    pZone->m_localToWorld.MakeIdentity();
    pZone->m_localToWorld.origin = worldPos;
    pZone->m_nZoneIndex = slot;
    eZone::s_pZones[slot] = pZone;
    return pZone;
}

eTestColModel* CollisionTest::AddModel(eZone* pZone, const std::vector<ColTri>& localTris, const mVec3& pos)
{
    m_models.push_back(std::make_unique<eTestColModel>(localTris, Surface(0), 20.0f));
    m_models.back()->Place(pZone, pos);
    return m_models.back().get();
}

mVec3 CollisionTest::Move(eColliderEllipse* pEllipse, const mVec3& from, const mVec3& to, const mVec3& radii,
                          bool bClamp)
{
    mVec3 dir = to - from;
    const float dist = dir.Normalize();
    pEllipse->Set(from, dist, dir, radii);
    eZone::CollisionCullAll(*pEllipse);
    for (int round = 0; round < 8 && pEllipse->m_fNonScaledMoveDist > eColliderEllipse::fColZeroTol; ++round) {
        eZone::CollideAll(pEllipse);
        if (bClamp)
            pEllipse->ClampContactNormals(0.0f, 30.0f, 0.0f, false);
        eZone::CollideSlide(pEllipse);
    }
    return pEllipse->m_nonScaledPosition;
}
