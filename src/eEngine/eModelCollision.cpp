// What a model offers the zone's collision queries: one candidate per
// collision surface, its triangles in world space, and ray hits on its rigid
// triangles.
#include "eEngine/eModel.h"

#include "eEngine/eCollider.h"
#include "eEngine/eCollisionCache.h"
#include "eEngine/eColliderRay.h"
#include "eEngine/eSurface.h"
#include "eEngine/eZone.h"
#include "mMath/mRay.h"

namespace {

constexpr float kWeightUnit = 255.0f;  // weights are bytes standing for byte / 255

// Writes the triangles whose running number falls in [first, end) and counts
// every triangle offered.
struct TriWindow {
    eCollisionCacheTri* pOut;
    int first;
    int end;
    int index;
    mOCS toWorld;

    bool Wants(int count) const { return index < end && index + count > first; }
    void Skip(int count) { index += count; }
    void Add(const mVec3& a, const mVec3& b, const mVec3& c)
    {
        if (index >= first && index < end) {
            eCollisionCacheTri& t = pOut[index - first];
            t.v1.Xform(a, toWorld);
            t.v2.Xform(b, toWorld);
            t.v3.Xform(c, toWorld);
            t.plane.normal.MakeNormal(t.v1, t.v2, t.v3);
            t.plane.offset = t.plane.normal.Dot(t.v1);
        }
        ++index;
    }
};

mVec3 Carried(const mVec3& p, const mOCS& frame)
{
    mVec3 out;
    out.Xform(p, frame);
    return out;
}

// The skin's own vertices in zone space: one-weight first, then two-weight.
int SkinColVerts(const eMeshColData& d, const eMeshColSkin& skin, const mOCS* pBones, mVec3* pOut)
{
    int n = 0;
    for (int i = skin.nFirstVert1; i < skin.nFirstVert1 + skin.nVerts1; ++i) {
        const eMeshColSkinVert1& v = d.pSkinVerts1[i];
        pOut[n++] = Carried(v.pos, pBones[v.nBones[0]]);
    }
    for (int i = skin.nFirstVert2; i < skin.nFirstVert2 + skin.nVerts2; ++i) {
        const eMeshColSkinVert2& v = d.pSkinVerts2[i];
        const mVec3 sum = Carried(v.pos, pBones[v.nBones[0]]) * static_cast<float>(v.nWeights[0]) +
                          Carried(v.pos, pBones[v.nBones[1]]) * static_cast<float>(v.nWeights[1]);
        pOut[n++] = mVec3(sum.x / kWeightUnit, sum.y / kWeightUnit, sum.z / kWeightUnit);
    }
    return n;
}

}  // namespace

void eModel::CollisionCull(const eCollider& collider, const mSphere&)
{
    if (!m_pZone || !GetMatchingMesh())
        return;
    for (int i = 0; i < m_nColInfos; ++i) {
        eModelColInfo& info = m_pColInfos[i];
        info.pCollidable = this;
        info.pModel = this;
        info.nSurfaceID = i;
        const eSurface* pSurface = eSurfaceMgr::GetPtr(info.hSurface);
        if (pSurface && (collider.m_nCollisionMask & pSurface->m_nCollisionMask) && !collider.IsIgnored(this))
            m_pZone->AddCollisionInfo(&info);
    }
}

int eModel::GetCollisionTrisCount(int nSurface) const
{
    const eMesh* pMesh = GetMatchingMesh();
    const eMeshColData* d = pMesh ? pMesh->m_pMeshColData : nullptr;
    if (!d || nSurface < 0 || nSurface >= d->nSurfaces)
        return 0;
    int count = d->nSkins[nSurface] > 0 ? d->pSkins[nSurface][0].nTris : 0;
    for (int i = 0; i < d->nObjects[nSurface]; ++i)
        count += d->pObjects[nSurface][i].nTris;
    return count;
}

void eModel::FillCollisionTris(eCollisionCacheTri* pOut, int nSurface, int nFirst, int nCount) const
{
    const eMesh* pMesh = GetMatchingMesh();
    const eMeshColData* d = pMesh ? pMesh->m_pMeshColData : nullptr;
    if (!d || !pOut || nSurface < 0 || nSurface >= d->nSurfaces || nCount <= 0)
        return;
    TriWindow w{pOut, nFirst, nFirst + nCount, 0, {}};
    if (m_pZone)
        w.toWorld = m_pZone->m_localToWorld;
    else
        w.toWorld.MakeIdentity();

    if (d->nSkins[nSurface] > 0) {
        const eMeshColSkin& skin = d->pSkins[nSurface][0];
        if (w.Wants(skin.nTris)) {
            mOCS bones[eMesh::kMaxBones];
            pMesh->CalcBoneFrames(m_pNodeToZone, nullptr, bones);
            mVec3 verts[eMeshColData::kMaxSkinVerts];
            SkinColVerts(*d, skin, bones, verts);
            for (int t = skin.nFirstTri; t < skin.nFirstTri + skin.nTris; ++t) {
                const uint16_t* v = d->pSkinTris[t].v;
                w.Add(verts[v[0]], verts[v[1]], verts[v[2]]);
            }
        } else {
            w.Skip(skin.nTris);
        }
    }
    for (int i = 0; i < d->nObjects[nSurface]; ++i) {
        const eMeshColObject& o = d->pObjects[nSurface][i];
        if (!w.Wants(o.nTris)) {
            w.Skip(o.nTris);
            continue;
        }
        const mOCS& frame = m_pNodeToZone[o.nNode];
        for (int t = o.nFirstTri; t < o.nFirstTri + o.nTris; ++t) {
            const uint16_t* v = d->pTris[t].v;
            w.Add(Carried(d->pVerts[v[0]], frame), Carried(d->pVerts[v[1]], frame), Carried(d->pVerts[v[2]], frame));
        }
    }
}

void eModel::IntersectColTris(const mRay& zoneRay, int nSurface, eCollisionRayHit* pHit) const
{
    const eMesh* pMesh = GetMatchingMesh();
    const eMeshColData* d = pMesh ? pMesh->m_pMeshColData : nullptr;
    if (!d || !pHit || nSurface < 0 || nSurface >= d->nSurfaces)
        return;
    mOCS zoneToWorld;
    if (m_pZone)
        zoneToWorld = m_pZone->m_localToWorld;
    else
        zoneToWorld.MakeIdentity();
    static const unsigned short kCorners[3] = {0, 1, 2};
    // Only rigid triangles are tested; skins move too much to be worth it.
    for (int i = 0; i < d->nObjects[nSurface]; ++i) {
        const eMeshColObject& o = d->pObjects[nSurface][i];
        const mOCS& frame = m_pNodeToZone[o.nNode];
        mRay ray;
        ray.origin.XformInv(zoneRay.origin, frame);
        ray.dir.XformVecInv(zoneRay.dir, frame);
        ray.length = zoneRay.length;
        mOCS toWorld;
        toWorld.Xform(frame, zoneToWorld);
        for (int t = o.nFirstTri; t < o.nFirstTri + o.nTris; ++t) {
            const uint16_t* v = d->pTris[t].v;
            const mVec3 corners[3] = {d->pVerts[v[0]], d->pVerts[v[1]], d->pVerts[v[2]]};
            mRayTriHit hit;
            if (!ray.Intersect(corners, kCorners, 1, false, &hit) || !(hit.distance < pHit->fDistance))
                continue;
            pHit->fDistance = hit.distance;
            pHit->normal = hit.normal;
            pHit->position.Xform(hit.pos, toWorld);
            pHit->pSurface = eSurfaceMgr::GetPtr(m_pColInfos[nSurface].hSurface);
            pHit->pObj = const_cast<eModel*>(this);
        }
    }
}
