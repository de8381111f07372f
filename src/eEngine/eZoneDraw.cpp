// Culling the live zones into their draw bins and drawing the bins in the
// frame's fixed order of passes, plus the immediate walk for lights.
#include "eEngine/eZone.h"

#include <algorithm>
#include <cstddef>

#include "platform/gx.h"
#include "platform/ps.h"
#include "eEngine/eCamera.h"
#include "eEngine/eGeom.h"
#include "eEngine/eLight.h"
#include "eEngine/eLightmap.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eNormalTable.h"
#include "eEngine/eSky.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "mMath/mBox.h"
#include "mMath/mFrustum.h"
#include "mMath/mSphere.h"
#include "eZoneCell.h"

using eZoneCell::ChildCentre;
using eZoneCell::LooseBox;

namespace {

constexpr int kArrayPos = 0;  // render-state cache array numbers
constexpr int kArrayNrm = 1;
constexpr int kArrayTex0 = 2;
constexpr int kAmbientPosFrac = 4;  // vertex format 4: s16 positions with 4 fraction bits

// A scene node's visibility against the frustum, planes already known to
// hold the cell skipped; 0 = outside.
unsigned int ClipNode(const mFrustum& frustum, const eGeom& g, unsigned int mask)
{
    if (mask == mFrustum::kMaskAllInside)
        return mask;
    mSphere s;
    s.center = g.m_localToZone.origin;
    s.radius = g.m_fVisRadius;
    return frustum.Clip(s, mask);
}

void AppendToRing(eDrawInfo*& head, eDrawInfo* pInfo)
{
    if (!head) {
        pInfo->pNext = pInfo->pPrev = pInfo;
        head = pInfo;
        return;
    }
    eDrawInfo* last = head->pPrev;
    pInfo->pPrev = last;
    pInfo->pNext = head;
    last->pNext = pInfo;
    head->pPrev = pInfo;
}

// Calls f on every record of a ring, in order, reading each link before f
// runs.
template <class F>
void ForEachInRing(eDrawInfo* head, F f)
{
    eDrawInfo* p = head;
    while (p) {
        eDrawInfo* next = p->pNext;
        f(p);
        p = next == head ? nullptr : next;
    }
}

eZoneVisStrip& StripOf(eDrawInfo* pInfo)
{
    return *reinterpret_cast<eZoneVisStrip*>(pInfo);  // the record heads its strip
}

void AmbientVertex(float x, float y, uint32_t rgba)
{
    // Engine camera space: screen x along x, screen y along z, depth along y.
    GXPosition3s16(ps::QuantS16(x, kAmbientPosFrac), 0, ps::QuantS16(y, kAmbientPosFrac));
    GXColor1u32(rgba);
    GXTexCoord2s16(0, 0);
    GXTexCoord2s16(0, 0);
}

}  // namespace

static_assert(offsetof(eZoneVisStrip, drawInfo) == 0, "a strip is reached from its draw record");

void eZone::SetZoneVAPointers(const eZoneVisData* pData)
{
    if (!pData)
        return;
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.SetArray(kArrayPos, pData->pPositions, eZoneVisData::kPosStride);
    rs.SetArray(kArrayNrm, eNormalTable::GetGXArray(), eNormalTable::kGXStride);
    // Coordinate 0 (the lightmap's) is the second set; 1-3 the first.
    rs.SetArray(kArrayTex0, pData->pTexCoords[1], eZoneVisData::kTexStride);
    for (int i = 1; i < 4; ++i)
        rs.SetArray(kArrayTex0 + i, pData->pTexCoords[0], eZoneVisData::kTexStride);
}

// ---- culling ----

void eZone::CullAll(const eCamera& camera)
{
    for (eZone* z : s_pZones)
        if (z && z->m_pVisData)
            z->Cull(camera);
}

void eZone::Cull(const eCamera& camera)
{
    mFrustum frustum;
    frustum.XformInv(camera.m_worldFrustum, m_localToWorld);
    ResetVisBins();
    if (!m_pVisNodes)
        return;
    const eZoneVisNode& root = m_pVisNodes[0];
    if (root.nZoneVisCount != 0 || root.nGeomVisCount != 0)
        CullNode(camera, frustum, 0, 0, mVec3(0.0f, 0.0f, 0.0f), m_visOctree.m_fSize, mFrustum::kMaskStart);
}

void eZone::ResetVisBins()
{
    for (int32_t i = 0; i < m_nMaterials; ++i) {
        m_pZoneOpaqueBin[i] = nullptr;
        m_pZoneBlendedBin[i] = nullptr;
    }
    m_pGeomOpaqueBin = m_pGeomBlendedBin = m_pZSortedBin = m_pPostShadowBin = m_pPreBlendedBin = nullptr;
}

void eZone::CullNode(const eCamera& camera, const mFrustum& frustum, int level, int node, const mVec3& centre,
                     float edge, unsigned int mask)
{
    if (mask != mFrustum::kMaskAllInside) {
        mask = frustum.Clip(LooseBox(centre, edge, m_visOctree.m_fLooseScale), mask);
        if (mask == 0)
            return;
    }
    const eZoneVisNode& n = m_pVisNodes[node];
    if (n.nZoneVis != kNoIndex || n.pGeomVis) {
        const mPlane& nearPlane = frustum.planes[mFrustum::kNear];
        AddVisNode(camera, frustum, node, mask, nearPlane.normal.Dot(centre) - nearPlane.offset);
    }
    if (level + 1 >= m_visOctree.m_nLevels)
        return;
    for (int k = 0; k < eOctree::kChildren; ++k) {
        const int32_t child = eOctree::Child(node, k);
        const eZoneVisNode& c = m_pVisNodes[child];
        if (c.nZoneVisCount != 0 || c.nGeomVisCount != 0)
            CullNode(camera, frustum, level + 1, child, ChildCentre(centre, edge, k), 0.5f * edge, mask);
    }
}

void eZone::AddVisNode(const eCamera& camera, const mFrustum& frustum, int node, unsigned int mask, float distance)
{
    const eZoneVisNode& n = m_pVisNodes[node];
    if (m_pVisData) {
        for (uint16_t i = n.nZoneVis; i != kNoIndex; i = m_pVisData->pStrips[i].nNext) {
            eZoneVisStrip& s = m_pVisData->pStrips[i];
            s.drawInfo.hMaterial = m_hMaterials[s.nMaterial];
            s.drawInfo.fDistance = distance;
            s.drawInfo.pDrawable = this;
            AddDrawInfo(&s.drawInfo, nullptr);
        }
    }
    eGeom* const head = n.pGeomVis;
    for (eGeom* g = head; g;) {
        eGeom* next = g->m_pVisNext;
        if (g->m_fVisRadius > 0.0f)
            if (const unsigned int clip = ClipNode(frustum, *g, mask))
                g->Cull(camera, frustum, clip);
        g = next == head ? nullptr : next;
    }
}

bool eZone::IsStripRecord(const eDrawInfo* pInfo) const
{
    return pInfo->pDrawable && pInfo->pDrawable->GetType() == GetStaticType();
}

void eZone::AddDrawInfo(eDrawInfo* pInfo, const eMaterialState* pState)
{
    const bool bStrip = IsStripRecord(pInfo);
    const eMaterial* pMaterial = eMaterialMgr::GetPtr(pInfo->hMaterial);
    const uint32_t flags = pMaterial ? pMaterial->m_nFlags : 0;
    if (flags & kMatNeverDrawn)
        return;
    if (flags & kMatZSorted) {
        AppendToRing(m_pZSortedBin, pInfo);
        return;
    }
    if (pState && (pState->m_nColor >> 24) != 0xFF) {
        AppendToRing(m_pPreBlendedBin, pInfo);
        return;
    }
    const bool bBlended = pMaterial && pMaterial->m_blendMode != eMaterial::BLEND_NONE;
    if (!bStrip) {
        AppendToRing(bBlended ? m_pGeomBlendedBin : m_pGeomOpaqueBin, pInfo);
        return;
    }
    // A strip of this zone: its material index was checked when it was read.
    const uint8_t index = StripOf(pInfo).nMaterial;
    if (pInfo->pDrawable != this || index >= m_nMaterials)
        return;
    AppendToRing(bBlended ? m_pZoneBlendedBin[index] : m_pZoneOpaqueBin[index], pInfo);
}

void eZone::AddPostShadowDrawInfo(eDrawInfo* pInfo)
{
    AppendToRing(m_pPostShadowBin, pInfo);
}

eDrawInfo* eZone::SortBin(eDrawInfo* pHead, eSortBy sortBy)
{
    if (!pHead)
        return nullptr;
    auto firstGoesFirst = [sortBy](const eDrawInfo* a, const eDrawInfo* b) {
        return sortBy == SB_DISTANCE ? a->fDistance > b->fDistance : a->hMaterial.m_nValue < b->hMaterial.m_nValue;
    };
    eDrawInfo* list = pHead;
    pHead->pPrev->pNext = nullptr;  // the ring as a plain list while sorting
    for (size_t run = 1;; run *= 2) {
        eDrawInfo* p = list;
        eDrawInfo* tail = nullptr;
        list = nullptr;
        int nMerges = 0;
        while (p) {
            ++nMerges;
            eDrawInfo* q = p;
            size_t nP = 0;
            while (nP < run && q) {
                ++nP;
                q = q->pNext;
            }
            size_t nQ = run;
            while (nP > 0 || (nQ > 0 && q)) {
                eDrawInfo* e;
                const bool bTakeP = nP > 0 && (nQ == 0 || !q || firstGoesFirst(p, q));
                if (bTakeP) {
                    e = p;
                    p = p->pNext;
                    --nP;
                } else {
                    e = q;
                    q = q->pNext;
                    --nQ;
                }
                (tail ? tail->pNext : list) = e;
                tail = e;
            }
            p = q;
        }
        tail->pNext = nullptr;
        if (nMerges <= 1)
            break;
    }
    eDrawInfo* prev = nullptr;
    for (eDrawInfo* e = list; e; e = e->pNext) {
        e->pPrev = prev;
        prev = e;
    }
    list->pPrev = prev;
    prev->pNext = list;
    return list;
}

// ---- drawing ----

void eZone::SetZoneFrames() const
{
    eVideo::SetZoneToWorld(m_localToWorld);
    eVideo::SetLocalToZoneIdentity();
}

void eZone::CallStrip(const eZoneVisStrip& strip) const
{
    const GXVtxFmt format = (strip.nFlags & eZoneVisStrip::kFourCoordSets) ? GX_VTXFMT1 : GX_VTXFMT0;
    eVideoPlatform::SetVertexType(format, false);
    eVideoPlatform::CallDisplayList(m_pVisData->pDisplayLists + 32u * strip.nDisplayListOffset,
                                    strip.nDisplayListSize);
}

bool eZone::DrawStrip(const eCamera& camera, eZoneVisStrip& strip)
{
    eLightmap* pLightmap = m_pVisData->pLightmap;
    if (pLightmap)
        pLightmap->m_nCurrentIndex = strip.nLightmap;
    const eMaterial* pMaterial = eMaterialMgr::GetPtr(strip.drawInfo.hMaterial);
    if (!pMaterial) {
        eMaterial::ApplyNull();
    } else if (pMaterial->PassIsValid()) {
        pMaterial->Apply(&camera, pLightmap, nullptr, 0);
    } else if (!pMaterial->m_pPasses[eMaterial::PASS_LIGHTING] && !pMaterial->m_pPasses[eMaterial::PASS_DIFFUSE]) {
        eMaterial::ApplyNull();
    } else {
        return false;  // it has passes, but none for this sweep
    }
    CallStrip(strip);
    eVideo::s_nRenderedStaticTris += strip.nTris;
    return true;
}

void eZone::Draw(const eCamera& camera, eDrawInfo* pInfo)
{
    if (m_pVisData && IsStripRecord(pInfo) && pInfo->pDrawable == this)
        DrawStrip(camera, StripOf(pInfo));
}

void eZone::DrawStripRings(const eCamera& camera, eDrawInfo** pRings)
{
    if (!m_pVisData || !pRings)
        return;
    SetZoneVAPointers(m_pVisData);
    for (int32_t m = 0; m < m_nMaterials; ++m)
        ForEachInRing(pRings[m], [&](eDrawInfo* p) { DrawStrip(camera, StripOf(p)); });
}

// Scene-node records; in the first sweep only nodes drawn in both sweeps.
void eZone::DrawGeomBin(const eCamera& camera, eDrawInfo* pHead, bool bFirstSweepRule)
{
    const bool bFirstSweep = eMaterial::s_currentPass == eMaterial::PASS_LIGHTING;
    ForEachInRing(pHead, [&](eDrawInfo* p) {
        if (IsStripRecord(p)) {
            SetZoneVAPointers(m_pVisData);
            Draw(camera, p);
            return;
        }
        eGeom* g = dcast<eGeom>(p->pDrawable);
        if (!g || (bFirstSweepRule && bFirstSweep && !(g->m_nGeomFlags & eGeom::kBothSweeps)))
            return;
        g->Draw(camera, p);
    });
}

void eZone::DrawOpaque(const eCamera& camera)
{
    SetZoneFrames();
    DrawStripRings(camera, m_pZoneOpaqueBin);
    m_pGeomOpaqueBin = SortBin(m_pGeomOpaqueBin, SB_MATERIAL);
    DrawGeomBin(camera, m_pGeomOpaqueBin, true);
}

void eZone::DrawBlended(const eCamera& camera)
{
    SetZoneFrames();
    DrawStripRings(camera, m_pZoneBlendedBin);
    m_pGeomBlendedBin = SortBin(m_pGeomBlendedBin, SB_MATERIAL);
    DrawGeomBin(camera, m_pGeomBlendedBin, true);
}

void eZone::DrawPreBlended(const eCamera& camera)
{
    SetZoneFrames();
    m_pPreBlendedBin = SortBin(m_pPreBlendedBin, SB_MATERIAL);
    DrawGeomBin(camera, m_pPreBlendedBin, false);
}

void eZone::DrawPostShadow(const eCamera& camera)
{
    DrawGeomBin(camera, m_pPostShadowBin, false);
}

void eZone::DrawZSorted(const eCamera& camera)
{
    SetZoneFrames();
    m_pZSortedBin = SortBin(m_pZSortedBin, SB_DISTANCE);
    bool bNodeBefore = false;
    ForEachInRing(m_pZSortedBin, [&](eDrawInfo* p) {
        if (IsStripRecord(p)) {
            if (bNodeBefore)
                eVideo::SetLocalToZoneIdentity();  // the node drew with its own frame
            SetZoneVAPointers(m_pVisData);
            Draw(camera, p);
            bNodeBefore = false;
        } else if (eGeom* g = dcast<eGeom>(p->pDrawable)) {
            g->Draw(camera, p);
            bNodeBefore = true;
        }
    });
}

void eZone::DrawAmbient(const eCamera& camera)
{
    int width = 0;
    int height = 0;
    eVideo::GetMaxWidthHeight(&width, &height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    mFrustum ortho;
    ortho.SetOrtho(-1.0f, 1.0f, 0.0f, w, 0.0f, h);
    eVideo::SetScreenColorState(ortho, false);
    // The quad is wound the way front-face culling removes, and culling is
    // whatever the last material left: without this the ambient would be
    // dropped whenever that material culls front faces (the default).
    eVideoPlatform::RenderState().Set(RS_CULL_MODE, GX_CULL_NONE);

    // The ambient colour is added over the whole screen, fully weighted.
    const uint32_t argb = eMaterial::s_nGlobalAmbient | 0xFF000000u;
    const uint32_t rgba = argb << 8 | argb >> 24;
    eVideoPlatform::SetVertexType(GX_VTXFMT4, false);
    eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT4, 4);
    AmbientVertex(0.0f, 0.0f, rgba);
    AmbientVertex(w, 0.0f, rgba);
    AmbientVertex(w, h, rgba);
    AmbientVertex(0.0f, h, rgba);
    GXEnd();
    eVideoPlatform::EndPrimitive();

    camera.Apply();
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_Z_COMPARE, GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_LEQUAL);
    rs.Set(RS_Z_UPDATE, GX_TRUE);
}

void eZone::DrawAll(const eCamera& camera, bool bNoSky)
{
    eLight::s_nOpenOmniLight = 0;
    for (int i = 0; i < eLight::kNumOmni; ++i)
        eLight::EnableOmni(i, false);
    eMaterial::s_currentPass = eMaterial::PASS_LIGHTING;

    // The first sweep fogs towards the light's colour (it accumulates light);
    // the second towards the fog's own.
    const bool bFog = eMaterial::s_bFogEnabled;
    const eFogParams fog = eMaterial::s_fogParams;
    const mVec3 lightColor(eLight::s_directionalColor.x, eLight::s_directionalColor.y, eLight::s_directionalColor.z);
    if (bFog)
        eMaterial::SetGlobalFog(true, &camera, lightColor, fog.fNear, fog.fFar);
    for (eZone* z : s_pZones)
        if (z)
            z->DrawOpaque(camera);
    if (bFog)
        eMaterial::SetGlobalFog(false, &camera, mVec3(0.0f, 0.0f, 0.0f), 0.0f, 1.0f);
    for (eZone* z : s_pZones)
        if (z)
            z->DrawPostShadow(camera);
    for (eZone* z : s_pZones)
        if (z)
            z->DrawBlended(camera);
    DrawAmbient(camera);
    eMaterial::ApplyNull();
    eMaterial::s_currentPass = eMaterial::PASS_DIFFUSE;

    if (s_pSky && !bNoSky && eMeshMgr::GetPtr(s_pSky->m_hMesh))
        s_pSky->Draw(camera);

    if (bFog)
        eMaterial::SetGlobalFog(true, &camera, fog.color, fog.fNear, fog.fFar);
    for (eZone* z : s_pZones)
        if (z)
            z->DrawOpaque(camera);
    for (eZone* z : s_pZones)
        if (z)
            z->DrawPreBlended(camera);
    for (eZone* z : s_pZones)
        if (z)
            z->DrawBlended(camera);

    // Z-sorted records across zones: the zone whose origin lies deepest
    // along the camera's forward axis first; equal depths keep slot order.
    eZone* order[kMaxZones];
    float depth[kMaxZones];
    int n = 0;
    for (eZone* z : s_pZones) {
        if (!z)
            continue;
        mVec3 p;
        p.XformInv(z->m_localToWorld.origin, camera.m_cameraToWorld);
        order[n] = z;
        depth[n] = p.y;
        ++n;
    }
    for (bool bSwapped = true; bSwapped;) {
        bSwapped = false;
        for (int i = 0; i + 1 < n; ++i) {
            if (depth[i] < depth[i + 1]) {
                std::swap(depth[i], depth[i + 1]);
                std::swap(order[i], order[i + 1]);
                bSwapped = true;
            }
        }
    }
    for (int i = 0; i < n; ++i)
        order[i]->DrawZSorted(camera);
    for (eZone* z : s_pZones)
        if (z)
            z->DrawCollision(camera);
}

// ---- immediate drawing ----

void eZone::DrawContained(const eCamera& camera, const mFrustum& frustum, unsigned int flags)
{
    for (eZone* z : s_pZones) {
        if (!z || !z->m_pVisNodes)
            continue;
        mOCS toZone;  // this zone's space into z's
        if (z == this)
            toZone.MakeIdentity();
        else
            toZone.XformInv(m_localToWorld, z->m_localToWorld);
        mFrustum f;
        f.Xform(frustum, toZone);
        eVideo::SetZoneToWorld(z->m_localToWorld);
        eVideo::SetLocalToZoneIdentity();
        z->CullNodeDrawImmediate(camera, f, 0, 0, mVec3(0.0f, 0.0f, 0.0f), z->m_visOctree.m_fSize,
                                 mFrustum::kMaskStart, flags);
    }
    eVideo::SetZoneToWorld(m_localToWorld);
}

void eZone::CullNodeDrawImmediate(const eCamera& camera, const mFrustum& frustum, int level, int node,
                                  const mVec3& centre, float edge, unsigned int mask, unsigned int flags)
{
    if (mask != mFrustum::kMaskAllInside) {
        mask = frustum.Clip(LooseBox(centre, edge, m_visOctree.m_fLooseScale), mask);
        if (mask == 0)
            return;
    }
    const eZoneVisNode& n = m_pVisNodes[node];
    if (n.nZoneVis != kNoIndex || n.pGeomVis)
        DrawVisNode(camera, frustum, node, mask, flags);
    if (level + 1 >= m_visOctree.m_nLevels)
        return;
    for (int k = 0; k < eOctree::kChildren; ++k) {
        const int32_t child = eOctree::Child(node, k);
        const eZoneVisNode& c = m_pVisNodes[child];
        if (c.nZoneVisCount != 0 || c.nGeomVisCount != 0)
            CullNodeDrawImmediate(camera, frustum, level + 1, child, ChildCentre(centre, edge, k), 0.5f * edge,
                                  mask, flags);
    }
}

void eZone::DrawVisNode(const eCamera& camera, const mFrustum& frustum, int node, unsigned int mask,
                        unsigned int flags)
{
    const eZoneVisNode& n = m_pVisNodes[node];
    if (n.nZoneVis != kNoIndex && m_pVisData) {
        eVideo::SetLocalToZoneIdentity();
        SetZoneVAPointers(m_pVisData);
        // The caller has applied its own material.
        for (uint16_t i = n.nZoneVis; i != kNoIndex; i = m_pVisData->pStrips[i].nNext) {
            const eZoneVisStrip& s = m_pVisData->pStrips[i];
            const eMaterial* pMaterial = eMaterialMgr::GetPtr(m_hMaterials[s.nMaterial]);
            if ((flags & kDrawSkipNotLit) && pMaterial && (pMaterial->m_nFlags & kMatNotLit))
                continue;
            CallStrip(s);
            eVideo::s_nRenderedDynamicTris += s.nTris;
        }
    }
    const bool bFirstSweep = eMaterial::s_currentPass == eMaterial::PASS_LIGHTING;
    eGeom* const head = n.pGeomVis;
    for (eGeom* g = head; g;) {
        eGeom* next = g->m_pVisNext;
        if (g->m_fVisRadius > 0.0f && bFirstSweep && (g->m_nGeomFlags & eGeom::kBothSweeps) &&
            ClipNode(frustum, *g, mask) != 0)
            g->DrawImmediate(camera, 0);
        g = next == head ? nullptr : next;
    }
}
