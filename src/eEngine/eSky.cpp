#include "eEngine/eSky.h"

#include <algorithm>

#include "platform/gx.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eCamera.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"
#include "eBlockArrays.h"

using eBlockArrays::Fits;
using eBlockArrays::TakeArray;

QM_DEFINE_TYPE(eSky, cBase, 20)

namespace {

constexpr int kArrayPos = 0;  // render-state cache array numbers
constexpr int kArrayNrm = 1;
constexpr int kArrayTex0 = 2;
constexpr int kArrayTex1 = 3;
constexpr int kSkyNode = 1;  // the node whose frame places every object of the sky

}  // namespace

eSky::eSky() : m_hMaterials{nullptr, nullptr, nullptr, nullptr}, m_nMaterials(0), m_fScale(1.0f), m_nCurSkin(0) {}

eSky::~eSky()
{
    for (eMaterialHandle*& p : m_hMaterials)
        p = nullptr;
}

cBase* eSky::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eSky>(*this) : nullptr;
}

bool eSky::NewArrays(cMemPool* pPool, int32_t count, eMaterialHandle* (&arrays)[kNumSkins]) const
{
    for (eMaterialHandle*& p : arrays)
        if (!TakeArray(pPool, count, &p))
            return false;
    return true;
}

void eSky::ClearMesh()
{
    m_hMesh = eMeshHandle();
    for (eMaterialHandle*& p : m_hMaterials)
        p = nullptr;
    m_nMaterials = 0;
}

void eSky::SetMesh(eMeshHandle hMesh)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(hMesh);
    if (!pMesh) {
        ClearMesh();
        return;
    }
    const int32_t count = pMesh->GetNumMaterials();
    if (count != m_nMaterials) {
        eMaterialHandle* arrays[kNumSkins];
        if (!NewArrays(cMemPool::GetPoolFromPtr(this), count, arrays)) {
            cLogError_("eSky: no pool holds the sky, or it is full; mesh \"%s\" not taken", pMesh->m_name.m_sData);
            ClearMesh();
            return;
        }
        std::copy_n(arrays, kNumSkins, m_hMaterials);
        m_nMaterials = count;
    }
    m_hMesh = hMesh;
}

void eSky::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    m_hMesh.Write(wb);
    wb.WriteInt(m_nMaterials);
    for (eMaterialHandle* pSkin : m_hMaterials)
        for (int32_t i = 0; i < m_nMaterials; ++i)
            wb.WriteInt(pSkin ? pSkin[i].m_nValue : 0u);
    wb.WriteFloat(m_fScale);
}

bool eSky::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eSky", "version");
    cBase::Read(file, pPool);
    eMeshHandle hMesh;
    hMesh.Read(rb, pPool);
    const int32_t nMaterials = rb.ReadInt();
    const int nSkinsStored = rb.m_nVersion >= 2 ? kNumSkins : 1;
    if (rb.Failed() || nMaterials < 0 || !Fits(rb, int64_t{nMaterials} * nSkinsStored, 4)) {
        rb.m_file.Fail("eSky: %d materials refused", nMaterials);
        return rb.Reject("eSky", "material count");
    }
    eMaterialHandle* arrays[kNumSkins];
    if (!NewArrays(pPool, nMaterials, arrays)) {
        rb.SkipToEnd();
        return false;
    }
    for (int s = 0; s < nSkinsStored; ++s)
        for (int32_t i = 0; i < nMaterials; ++i)
            arrays[s][i].Read(rb, pPool);
    const float fScale = rb.ReadFloat();
    if (rb.Failed())
        return false;

    m_fScale = fScale;
    const eMesh* pMesh = eMeshMgr::GetPtr(hMesh);
    if (!pMesh) {
        ClearMesh();
        return true;
    }
    std::copy_n(arrays, kNumSkins, m_hMaterials);
    m_nMaterials = nMaterials;
    m_hMesh = hMesh;
    const int32_t meshCount = pMesh->GetNumMaterials();
    if (meshCount != nMaterials) {
        // The handles read belong to another mesh: all become 0.
        cMemPool* pOwner = cMemPool::GetPoolFromPtr(this);
        if (!NewArrays(pOwner ? pOwner : pPool, meshCount, arrays)) {
            ClearMesh();
            return true;
        }
        std::copy_n(arrays, kNumSkins, m_hMaterials);
        m_nMaterials = meshCount;
    }
    return true;
}

void eSky::Draw(const eCamera& camera) const
{
    const eMesh* pMesh = eMeshMgr::GetPtr(m_hMesh);
    const eMeshVisData* d = pMesh ? pMesh->m_pMeshVisData : nullptr;
    if (!d)
        return;
    eVideoPlatform::SetVertexType(GX_VTXFMT2, false);
    // Seen from its own origin, with the view rows scaled: a larger scale
    // shows the sky smaller.
    mOCS view = camera.m_cameraToWorld;
    view.basis.right *= m_fScale;
    view.basis.forward *= m_fScale;
    view.basis.up *= m_fScale;
    view.origin.Set(0.0f, 0.0f, 0.0f);
    eVideo::SetCameraToWorld(view);
    eVideo::SetZoneToWorldIdentity();
    eVideo::SetLocalToZoneIdentity();

    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.SetArray(kArrayPos, d->pPositions, eMeshVisData::kPosStride);
    rs.SetArray(kArrayNrm, d->pNormals, eMeshVisData::kNrmStride);
    rs.SetArray(kArrayTex0, d->pTexCoords, eMeshVisData::kTexStride);
    rs.SetArray(kArrayTex1, d->pTexCoords, eMeshVisData::kTexStride);

    mOCS objectFrame;
    if (pMesh->m_nNodes > kSkyNode)
        objectFrame = pMesh->m_pNodes[kSkyNode].localToParent;
    else
        objectFrame.MakeIdentity();  // a one-node sky has no node 1
    // A script may have set any number; the nearest skin is drawn.
    const int skin = std::clamp(m_nCurSkin, 0, kNumSkins - 1);
    const int n = std::min(m_nMaterials, d->nMaterials);
    for (int i = 0; i < n; ++i) {
        const eMaterialHandle h = m_hMaterials[skin] ? m_hMaterials[skin][i] : eMaterialHandle();
        if (const eMaterial* pMaterial = eMaterialMgr::GetPtr(h)) {
            if (pMaterial->m_nFlags & eZone::kMatNeverDrawn)
                continue;
            pMaterial->Apply(&camera, nullptr, nullptr, 0);
        } else {
            eMaterial::ApplyNull();  // still drawn, untextured
        }
        for (int k = 0; k < d->nObjects[i]; ++k) {
            const eMeshVisObject& o = d->pObjects[i][k];
            eVideo::SetLocalToZone(objectFrame, 1.0f);
            eVideoPlatform::CallDisplayList(const_cast<uint8_t*>(d->DisplayList(o.nDisplayListOffset)),
                                            o.nDisplayListSize);
            eVideo::s_nRenderedDynamicTris += static_cast<uint32_t>(o.nTris > 0 ? o.nTris : 0);
        }
    }
    eVideo::SetCameraToWorld(camera.m_cameraToWorld);
}
