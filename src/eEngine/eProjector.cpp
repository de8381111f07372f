#include "eEngine/eProjector.h"

#include <algorithm>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eProjectorConfig.h"
#include "eEngine/eTextureProjection.h"
#include "eEngine/eZone.h"

QM_DEFINE_TYPE(eProjector, eGeom, 42)

namespace {

float CornerRadius(const mFrustum& f)
{
    mVec3 corners[8];
    f.GetCorners(corners);
    float r = 0.0f;
    for (const mVec3& c : corners)
        r = std::max(r, c.Length());
    return r;
}

mFrustum DefaultVolume()
{
    const eProjectorConfig defaults;
    mFrustum f;
    f.SetFOV(defaults.fAngle, defaults.fAngle, defaults.fNear, defaults.fFar);
    return f;
}

}  // namespace

eProjector::eProjector() : m_frustum(DefaultVolume()), m_fIntensity(1.0f), m_pConfig(nullptr) {}

eProjector::eProjector(const eProjector& other)
    : eGeom(other), m_frustum(DefaultVolume()), m_fIntensity(1.0f), m_pConfig(nullptr)
{
}

cBase* eProjector::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eProjector>(*this) : nullptr;
}

void eProjector::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    eGeom::Write(file);
}

bool eProjector::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eProjector", "version");
    return eGeom::Read(file, pPool) && !rb.Failed();
}

void eProjector::SetFrustum(const mFrustum& frustum)
{
    m_frustum.Set(frustum);
    const float radius = CornerRadius(m_frustum);
    if (radius != m_fVisRadius) {
        m_fVisRadius = radius;
        m_nGeomFlags |= kDirty;
    }
}

void eProjector::SetConfig(const eProjectorConfig& config)
{
    m_drawInfo.hMaterial = config.hBlendMaterial;
    mFrustum f;
    if (config.bIsOrtho) {
        const float w = 0.5f * config.fWidth;
        const float h = 0.5f * config.fHeight;
        f.SetOrtho(config.fNear, config.fFar, -w, w, h, -h);
    } else {
        f.SetFOV(config.fAngle, config.fAngle, config.fNear, config.fFar);
    }
    SetFrustum(f);
    m_pConfig = &config;
}

void eProjector::Update(cTimeValue)
{
    if (m_nGeomFlags & kDirty)
        UpdateLocalToZone();
    if (!m_pConfig)
        return;
    m_localToParent = m_pConfig->localToParent;
    m_nGeomFlags |= kDirty;
    UpdateLocalToZone();
}

void eProjector::Cull(const eCamera&, const mFrustum& frustum, unsigned int)
{
    if (!m_pZone)
        return;
    const mPlane& nearPlane = frustum.planes[mFrustum::kNear];
    m_drawInfo.fDistance = nearPlane.normal.Dot(m_localToZone.origin) - nearPlane.offset;
    m_drawInfo.pDrawable = this;
    m_pZone->AddDrawInfo(&m_drawInfo, nullptr);
}

void eProjector::Draw(const eCamera& camera, const eDrawInfo* pInfo)
{
    if (!m_pZone)
        return;
    const eMaterialHandle hBlend = pInfo ? pInfo->hMaterial : m_drawInfo.hMaterial;
    const eMaterial* pBlend = eMaterialMgr::GetPtr(hBlend);
    if (pBlend && !pBlend->PassIsValid())
        return;
    // The volume and the texture both follow the node's own frame, looking
    // along its forward axis, so what is drawn is what the texture covers.
    const mOCS& lightToZone = m_localToZone;
    mFrustum zoneVolume;
    zoneVolume.Xform(m_frustum, lightToZone);
    mOCS lightToWorld;
    lightToWorld.Xform(lightToZone, m_pZone->m_localToWorld);
    if (pBlend) {
        const uint32_t alpha = static_cast<uint32_t>(255.0f * std::clamp(m_fIntensity, 0.0f, 1.0f));
        const eMaterialState state{alpha << 24 | 0x00FFFFFFu, 255};
        state.Apply(hBlend, &camera, nullptr, 0);
    } else {
        eMaterial::ApplyNull();
    }
    eTextureProjection::Load(lightToWorld, m_frustum);
    eTextureProjection::DrawReceivers(*m_pZone, camera, zoneVolume);
}
