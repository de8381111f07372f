// Drawing a mesh: its rigid objects at their nodes' frames, its skins from
// skinned vertices, and the whole mesh at once outside the zone bins.
#include "eEngine/eMesh.h"

#include <algorithm>

#include "platform/gx.h"
#include "eEngine/eColorBytes.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"

namespace {

constexpr int kArrayPos = 0;  // render-state cache array numbers
constexpr int kArrayNrm = 1;
constexpr int kArrayTex0 = 2;
constexpr int kArrayTex1 = 3;

void CallList(const eMeshVisData* pData, uint16_t offset, uint16_t size, int16_t nTris)
{
    eVideoPlatform::CallDisplayList(const_cast<uint8_t*>(pData->DisplayList(offset)), size);
    eVideo::s_nRenderedDynamicTris += static_cast<uint32_t>(nTris > 0 ? nTris : 0);
}

}  // namespace

void eMesh::DrawVisObjects(int material, const eMeshVisData* pData, const mOCS* pNodeFrames, float scale)
{
    if (!pData || material < 0 || material >= pData->nMaterials)
        return;
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.SetArray(kArrayPos, pData->pPositions, eMeshVisData::kPosStride);
    rs.SetArray(kArrayNrm, pData->pNormals, eMeshVisData::kNrmStride);
    rs.SetArray(kArrayTex0, pData->pTexCoords, eMeshVisData::kTexStride);
    rs.SetArray(kArrayTex1, pData->pTexCoords, eMeshVisData::kTexStride);
    for (int i = 0; i < pData->nObjects[material]; ++i) {
        const eMeshVisObject& o = pData->pObjects[material][i];
        mOCS frame = pNodeFrames[o.nNode];
        // A scaled mesh spreads its objects from node 0 as well as growing them.
        if (scale != 1.0f)
            frame.origin = pNodeFrames[0].origin + (frame.origin - pNodeFrames[0].origin) * scale;
        eVideo::SetLocalToZone(frame, scale);
        CallList(pData, o.nDisplayListOffset, o.nDisplayListSize, o.nTris);
    }
}

void eMesh::DrawVisSkin(int material, const eMeshVisData* pData, const mOCS& frame, const ePhysiqueVert* pVerts,
                        float scale)
{
    if (!pVerts || !pData || material < 0 || material >= pData->nMaterials || pData->nSkins[material] <= 0)
        return;
    eVideo::SetLocalToZone(frame, scale);
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    const uint8_t* pBytes = pVerts->be;
    rs.SetArray(kArrayPos, pBytes, ePhysiqueVert::kBytes);
    rs.SetArray(kArrayNrm, pBytes + ePhysiqueVert::kNormalOffset, ePhysiqueVert::kBytes);
    rs.SetArray(kArrayTex0, pData->pSkinTexCoords, eMeshVisData::kTexStride);
    rs.SetArray(kArrayTex1, pData->pSkinTexCoords, eMeshVisData::kTexStride);
    const eMeshVisSkin& s = pData->pSkins[material][0];
    CallList(pData, s.nDisplayListOffset, s.nDisplayListSize, s.nTris);
}

void eMesh::DrawStatic(const eCamera& camera, const mOCS& frame, int nMaterials, const eMaterialHandle* pMaterials,
                       const eMaterialState* pStates, float scale, float alpha) const
{
    const eMeshVisData* d = m_pMeshVisData;
    if (!d || m_nNodes < 1)
        return;
    eVideoPlatform::SetVertexType(GX_VTXFMT2, false);
    mOCS nodes[kMaxNodes];
    CalcRestFrames(frame, nodes);
    // Bones relative to the frame: the skin is drawn at it.
    mOCS bones[kMaxBones];
    CalcBoneFrames(nodes, &frame, bones);
    uint32_t id = 0;
    void* pVerts = eVideoPlatform::AllocPhysiqueVerts(d->TotalSkinVerts(), &id);
    if (!pVerts)
        return;
    FillPhysiqueVerts(pVerts, bones);

    const uint32_t alphaByte = eColorByte(alpha);
    eMaterialState defaultState;
    defaultState.m_nColor = alphaByte << 24 | 0xFFFFFFu;
    defaultState.m_nTextureBlendFactor = 255;
    // The caller's count may exceed the mesh's eight material slots.
    const int n = std::min(nMaterials, d->nMaterials);
    for (int i = 0; i < n; ++i) {
        const eMaterialHandle h = pMaterials ? pMaterials[i] : eMaterialHandle();
        const eMaterial* pMaterial = eMaterialMgr::GetPtr(h);
        if (pMaterial && (pMaterial->m_nFlags & eZone::kMatNeverDrawn))
            continue;
        eMaterialState state = defaultState;
        if (pStates) {
            state = pStates[i];
            const uint32_t a = (state.m_nColor >> 24) * alphaByte / 255u;
            state.m_nColor = (state.m_nColor & 0xFFFFFFu) | a << 24;
        }
        state.Apply(h, &camera, nullptr, 0);
        if (d->nSkins[i] > 0)
            DrawVisSkin(i, d, frame, static_cast<const ePhysiqueVert*>(pVerts), scale);
        if (d->nObjects[i] > 0)
            DrawVisObjects(i, d, nodes, scale);
    }
}
