#include "eEngine/eDynamicLight.h"

#include "platform/gx.h"
#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eCamera.h"
#include "eEngine/eDynamicLightConfig.h"
#include "eEngine/eLight.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"
#include "mMath/mFrustum.h"
#include "mMath/mRand.h"

QM_DEFINE_TYPE(eDynamicLight, eGeom, 32)

namespace {

// An affine map as three rows (x, y, z outputs) of (x, y, z, 1) inputs.
struct Affine {
    float m[3][4];
};

// A frame as the map from its local space to its parent's.
Affine FromOCS(const mOCS& o)
{
    const mBasis& b = o.basis;
    return {{{b.right.x, b.forward.x, b.up.x, o.origin.x},
             {b.right.y, b.forward.y, b.up.y, o.origin.y},
             {b.right.z, b.forward.z, b.up.z, o.origin.z}}};
}

// second after first.
Affine Then(const Affine& first, const Affine& second)
{
    Affine r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            float v = j == 3 ? second.m[i][3] : 0.0f;
            for (int k = 0; k < 3; ++k)
                v += second.m[i][k] * first.m[k][j];
            r.m[i][j] = v;
        }
    }
    return r;
}

// The hardware's post-transform: the first two rows, then (0, 0, 0, 1), so
// the coordinates are a planar projection.
void LoadPostMatrix(const Affine& a, uint32_t id)
{
    Mtx m = {{a.m[0][0], a.m[0][1], a.m[0][2], a.m[0][3]},
             {a.m[1][0], a.m[1][1], a.m[1][2], a.m[1][3]},
             {0.0f, 0.0f, 0.0f, 1.0f}};
    GXLoadTexMtxImm(m, id, GX_MTX3x4);
}

}  // namespace

eDynamicLight::eDynamicLight()
    : m_drawColor(0.0f, 0.0f, 0.0f, 0.0f), m_fPrevFlicker(0.0f), m_fIntensity(1.0f), m_pLightConfig(nullptr)
{
}

eDynamicLight::eDynamicLight(const eDynamicLight& other)
    : eGeom(other), m_drawColor(0.0f, 0.0f, 0.0f, 0.0f), m_fPrevFlicker(0.0f), m_fIntensity(0.0f),
      m_pLightConfig(nullptr)
{
}

cBase* eDynamicLight::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eDynamicLight>(*this) : nullptr;
}

void eDynamicLight::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    eGeom::Write(file);
}

bool eDynamicLight::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eDynamicLight", "version");
    return eGeom::Read(file, pPool) && !rb.Failed();
}

void eDynamicLight::SetConfig(const eDynamicLightConfig& config)
{
    m_pLightConfig = &config;
    m_drawInfo.hMaterial = config.hMaterial;
    if (m_fVisRadius != config.fRadius) {
        m_fVisRadius = config.fRadius;
        m_nGeomFlags |= kDirty;
    }
}

void eDynamicLight::Update(cTimeValue)
{
    if (m_nGeomFlags & kDirty)
        UpdateLocalToZone();
    if (!m_pLightConfig)
        return;
    const eDynamicLightConfig& c = *m_pLightConfig;
    m_fPrevFlicker = c.fDamping * m_fPrevFlicker + (1.0f - c.fDamping) * mRand();
    const float drop = -m_fPrevFlicker * c.fFlicker;
    auto channel = [&](int shift) {
        return (static_cast<float>((c.color >> shift) & 0xFFu) / 255.0f + drop) * m_fIntensity;
    };
    // Components may leave 0-1 here; the light's bytes saturate.
    m_drawColor.Set(channel(16), channel(8), channel(0), channel(24));
}

void eDynamicLight::Cull(const eCamera&, const mFrustum& frustum, unsigned int)
{
    if (!m_pZone)
        return;
    const mPlane& nearPlane = frustum.planes[mFrustum::kNear];
    m_drawInfo.fDistance = nearPlane.normal.Dot(m_localToZone.origin) - nearPlane.offset;
    m_drawInfo.pDrawable = this;
    m_pZone->AddPostShadowDrawInfo(&m_drawInfo);
}

// Coordinates 0 and 1 from positions through texture matrices 0 and 1 (each
// drawn object's local to world) and post-transforms that carry the world
// into the light's unit cube and on to texture space: set 0 projects along
// the light's up axis, set 1 along an axis turned a quarter about forward.
void eDynamicLight::LoadProjection() const
{
    mOCS light = m_localToZone;
    light.basis.MakeIdentity();
    mOCS lightToWorld;
    lightToWorld.Xform(light, m_pZone->m_localToWorld);
    mOCS worldToLight;
    worldToLight.basis.Inverse(lightToWorld.basis);
    worldToLight.origin.Xform(-lightToWorld.origin, worldToLight.basis);

    Affine toCube = FromOCS(worldToLight);
    const float scale = 1.0f / m_fVisRadius;
    for (auto& row : toCube.m)
        for (float& v : row)
            v *= scale;
    const Affine toTexture = {{{0.5f, 0.0f, 0.0f, 0.5f}, {0.0f, -0.5f, 0.0f, 0.5f}, {0.0f, 0.0f, 1.0f, 0.0f}}};
    mOCS roll;
    roll.basis.SetHPR(0.0f, 0.0f, 90.0f);
    roll.origin.Set(0.0f, 0.0f, 0.0f);

    LoadPostMatrix(Then(toCube, toTexture), GX_PTTEXMTX0);
    LoadPostMatrix(Then(Then(toCube, FromOCS(roll)), toTexture), GX_PTTEXMTX1);
    GXSetTexCoordGen2(GX_TEXCOORD0, GX_TG_MTX3x4, GX_TG_POS, GX_TEXMTX0, GX_FALSE, GX_PTTEXMTX0);
    GXSetTexCoordGen2(GX_TEXCOORD1, GX_TG_MTX3x4, GX_TG_POS, GX_TEXMTX1, GX_FALSE, GX_PTTEXMTX1);
}

void eDynamicLight::Draw(const eCamera& camera, const eDrawInfo*)
{
    if (!m_pZone || !(m_fVisRadius > 0.0f))
        return;
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    const bool bUntextured = m_drawInfo.hMaterial.IsNull();
    if (bUntextured) {
        eMaterial::ApplyNull();
        // The surfaces take the light's own colour, not the fallback's.
        rs.Set(RS_MATERIAL_COLOR, 0xFFFFFFFFu);
    } else {
        const eMaterial* pMaterial = eMaterialMgr::GetPtr(m_drawInfo.hMaterial);
        if (!pMaterial || !pMaterial->PassIsValid())
            return;
        pMaterial->Apply(&camera, nullptr, nullptr, 0);
    }
    // The surfaces already hold their light: this one is added to it. An
    // opaque draw would put the light alone in its place, darkening all
    // that the redrawn nodes hold.
    if (rs.Get(RS_BLEND_TYPE) == GX_BM_NONE) {
        rs.Set(RS_BLEND_TYPE, GX_BM_BLEND);
        rs.Set(RS_BLEND_SRC, GX_BL_ONE);
        rs.Set(RS_BLEND_DST, GX_BL_ONE);
    }
    LoadProjection();
    rs.SetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    rs.SetTevOrder(GX_TEVSTAGE1, GX_TEXCOORD1, GX_TEXMAP1, GX_COLOR0A0);
    rs.Set(RS_NUM_TEX_GENS, 2);

    const float r = m_fVisRadius;
    mFrustum cube;
    cube.SetOrtho(-r, r, -r, r, r, -r);
    cube.Xform(cube, m_localToZone);

    for (int i = 0; i < eLight::kNumOmni; ++i)
        eLight::EnableOmni(i, false);
    // Only three omni slots exist: a fourth light in a frame lights the
    // geometry but no models.
    const int slot = eLight::s_nOpenOmniLight < eLight::kNumOmni ? eLight::s_nOpenOmniLight++ : -1;
    if (slot >= 0) {
        mVec3 worldPos;
        worldPos.Xform(m_localToZone.origin, m_pZone->m_localToWorld);
        const mVec4 zero(0.0f, 0.0f, 0.0f, 0.0f);
        eLight::SetOmni(slot, worldPos, r, zero, m_drawColor, zero);
        // Without a texture to shape it, the light's reach on the surfaces
        // comes from distance alone (the nodes redrawn reach past the cube).
        if (bUntextured)
            eLight::AttenuateOmni(slot, 1.0f, 0.0f, kUntexturedFalloff / (r * r));
    }
    eLight::EnableDirectional(false);
    if (slot >= 0)
        eLight::EnableOmni(slot, true);

    // Only surfaces already drawn are lit again.
    rs.Set(RS_Z_COMPARE, GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_EQUAL);
    rs.Set(RS_Z_UPDATE, GX_FALSE);
    eVideoPlatform::s_bApplyTexMatrix = true;
    m_pZone->DrawContained(camera, cube, 0);
    eVideoPlatform::s_bApplyTexMatrix = false;

    rs.Set(RS_Z_COMPARE, GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_LEQUAL);
    rs.Set(RS_Z_UPDATE, GX_TRUE);
    if (slot >= 0)
        eLight::EnableOmni(slot, false);
    eLight::EnableDirectional(true);
}
