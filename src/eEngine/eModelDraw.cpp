// Culling, skinning and drawing a model: its draw records in the zone's bins,
// its skin once a frame, and its materials under per-model lighting.
#include "eEngine/eModel.h"

#include <algorithm>

#include "platform/gx.h"
#include "eEngine/eCamera.h"
#include "eEngine/eColorBytes.h"
#include "eEngine/eLight.h"
#include "eEngine/eLightGrid.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"
#include "mMath/mFrustum.h"
#include "mMath/mSphere.h"
#include "mMath/mVec4.h"

namespace {

// The directional light and ambient the model's lighting replaces for one
// draw, and puts back afterwards.
struct KeptLighting {
    mVec3 dir;
    mVec4 color;
    uint32_t ambient;
};

// Bright places dim only the directional light; dark places hold it at 64
// and dim the ambient instead.
void SetModelLighting(const KeptLighting& kept, int brightness)
{
    const uint32_t a = static_cast<uint32_t>(std::max(brightness, eModel::kMinDirectionalScale));
    const uint32_t b = a == eModel::kMinDirectionalScale ? static_cast<uint32_t>(brightness) + 191u : 255u;
    const mVec4 zero(0.0f, 0.0f, 0.0f, 0.0f);
    auto scaled = [a](float component) { return static_cast<float>(eColorByte(component) * a / 255u) / 255.0f; };
    const mVec4 color(scaled(kept.color.x), scaled(kept.color.y), scaled(kept.color.z),
                      static_cast<float>(eColorByte(kept.color.w)) / 255.0f);
    eLight::SetDirectional(kept.dir, zero, color, zero);
    const uint32_t amb = kept.ambient;
    eMaterial::SetGlobalAmbient(ePackColor(eColorChannel(amb, 24), eColorChannel(amb, 16) * b / 255u,
                                           eColorChannel(amb, 8) * b / 255u, eColorChannel(amb, 0) * b / 255u));
}

void RestoreLighting(const KeptLighting& kept)
{
    for (int i = 0; i < eLight::kNumOmni; ++i)
        eLight::EnableOmni(i, false);
    const mVec4 zero(0.0f, 0.0f, 0.0f, 0.0f);
    eLight::SetDirectional(kept.dir, zero, kept.color, zero);
    eMaterial::SetGlobalAmbient(kept.ambient);
}

}  // namespace

void eModel::Cull(const eCamera& camera, const mFrustum& frustum, unsigned int clip)
{
    if (clip == 0 || !m_pZone || !GetMatchingMesh())
        return;
    const mVec3& origin = m_localToZone.origin;
    const int brightness =
        m_pZone->m_pLightGrid ? m_pZone->m_pLightGrid->GetLightValue(origin, m_fVisRadius) : eLightGrid::kLit;
    const mPlane& nearPlane = frustum.planes[mFrustum::kNear];
    const float distance = nearPlane.normal.Dot(origin) - nearPlane.offset;
    for (int i = 0; i < m_nDrawInfos; ++i) {
        eModelDrawInfo& info = m_pDrawInfos[i];
        info.fDistance = distance;
        info.pDrawable = this;
        info.nMaterial = static_cast<uint8_t>(i);
        info.nLightIntensity = static_cast<uint8_t>(std::clamp(brightness, 0, 255));
        m_pZone->AddDrawInfo(&info, &info.materialState);
    }
    PostCullUpdate(camera);
}

void eModel::PostCullUpdate(const eCamera&)
{
    // Skinned at most once a frame, however many zones cull the model.
    if (eVideoPlatform::PhysiqueVertsValid(m_nPhysiqueVertsHandle))
        return;
    const eMesh* pMesh = GetMatchingMesh();
    if (!pMesh || !pMesh->m_pMeshVisData)
        return;
    void* pVerts = eVideoPlatform::AllocPhysiqueVerts(pMesh->GetNumSkinVerts(), &m_nPhysiqueVertsHandle);
    if (!pVerts)
        return;  // the cache is full: the skin is not drawn this frame
    mOCS bones[eMesh::kMaxBones];
    pMesh->CalcBoneFrames(m_pNodeToZone, &m_localToZone, bones);
    pMesh->FillPhysiqueVerts(pVerts, bones);
}

void eModel::DrawParts(const eMesh& mesh, int material) const
{
    const eMeshVisData* d = mesh.m_pMeshVisData;
    if (d->nSkins[material] > 0) {
        const auto* pVerts =
            static_cast<const ePhysiqueVert*>(eVideoPlatform::GetPhysiqueCacheVerts(m_nPhysiqueVertsHandle));
        eMesh::DrawVisSkin(material, d, m_localToZone, pVerts, m_fScale);
    }
    if (d->nObjects[material] > 0)
        eMesh::DrawVisObjects(material, d, m_pNodeToZone, m_fScale);
}

void eModel::Draw(const eCamera& camera, const eDrawInfo* pInfo)
{
    const eMesh* pMesh = GetMatchingMesh();
    if (!pMesh || !pMesh->m_pMeshVisData || !pInfo)
        return;
    const eModelDrawInfo& info = *static_cast<const eModelDrawInfo*>(pInfo);
    if (info.nMaterial >= m_nDrawInfos)
        return;
    eVideoPlatform::SetVertexType(GX_VTXFMT2, false);
    const eMaterial* pMaterial = eMaterialMgr::GetPtr(info.hMaterial);
    const bool bLit = !(pMaterial && (pMaterial->m_nFlags & eMaterial::FLAG_UNLIT));
    const KeptLighting kept{eLight::s_directionalDir, eLight::s_directionalColor, eMaterial::s_nGlobalAmbient};
    if (bLit) {
        SetModelLighting(kept, info.nLightIntensity);
        mSphere sphere;
        sphere.center = m_localToZone.origin;  // the lights are in world space
        if (m_pZone)
            sphere.center.Xform(m_localToZone.origin, m_pZone->m_localToWorld);
        sphere.radius = m_fVisRadius;
        eLight::EnableLightsInRange(sphere);
    }
    info.materialState.Apply(info.hMaterial, &camera, nullptr, 0);
    DrawParts(*pMesh, info.nMaterial);
    if (bLit)
        RestoreLighting(kept);
}

void eModel::DrawImmediate(const eCamera& camera, unsigned int flags) const
{
    if (const eMesh* pMesh = GetMatchingMesh(); pMesh && pMesh->m_pMeshVisData) {
        eVideoPlatform::SetVertexType(GX_VTXFMT2, false);
        const eMaterial::ePassID oldPass = eMaterial::s_currentPass;
        if (flags & kDrawApplyStates)
            eMaterial::s_currentPass = eMaterial::PASS_DIFFUSE;
        for (int i = 0; i < m_nDrawInfos; ++i) {
            const eModelDrawInfo& info = m_pDrawInfos[i];
            const eMaterial* pMaterial = eMaterialMgr::GetPtr(info.hMaterial);
            const uint32_t matFlags = pMaterial ? pMaterial->m_nFlags : 0;
            if ((matFlags & eZone::kMatNeverDrawn) || ((flags & kDrawSkipMarked) && (matFlags & kMatNotInProjections)))
                continue;
            if (flags & kDrawApplyStates)
                info.materialState.Apply(info.hMaterial, &camera, nullptr, 0);
            DrawParts(*pMesh, i);
        }
        eMaterial::s_currentPass = oldPass;
    }
    eGeom::DrawImmediate(camera, flags);
}

void eModel::DrawStatic(const eCamera& camera, const mOCS& frame, float alpha) const
{
    const eMesh* pMesh = GetMatchingMesh();
    if (!pMesh || m_nDrawInfos <= 0)
        return;
    eMaterialHandle materials[eMeshVisData::kMaxMaterials];
    eMaterialState states[eMeshVisData::kMaxMaterials];
    const int n = std::min<int>(m_nDrawInfos, eMeshVisData::kMaxMaterials);
    for (int i = 0; i < n; ++i) {
        materials[i] = m_pDrawInfos[i].hMaterial;
        states[i] = m_pDrawInfos[i].materialState;
    }
    pMesh->DrawStatic(camera, frame, n, materials, states, m_fScale, alpha);
}
