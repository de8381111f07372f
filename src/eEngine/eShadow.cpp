#include "eEngine/eShadow.h"

#include <algorithm>
#include <cmath>

#include "platform/gx.h"
#include "platform/ps.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eCamera.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eShadowConfig.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTextureData.h"
#include "eEngine/eTexture.h"
#include "eEngine/eTextureProjection.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"
#include "mMath/mFrustum.h"

QM_DEFINE_TYPE(eShadow, eGeom, 33)

float eShadow::s_fShadowClip = 100.0f;

namespace {

constexpr int kPosFrac = 4;  // vertex format 4

// The greatest distance of a box's corners from its frame's origin.
float CornerRadius(const mFrustum& box)
{
    mVec3 corners[8];
    box.GetCorners(corners);
    float r = 0.0f;
    for (const mVec3& c : corners)
        r = std::max(r, c.Length());
    return r;
}

// The texture the silhouette is copied into: the first texture of the
// material's first pass, when its slot reserved texels.
eTextureData* SilhouetteTarget(const eMaterial& blend, uint32_t* pSize)
{
    const eMaterialPass* pPass = blend.m_pPasses[eMaterial::PASS_LIGHTING];
    if (!pPass)
        pPass = blend.m_pPasses[eMaterial::PASS_DIFFUSE];
    const eTexture* pTexture = pPass ? eTextureMgr::GetPtr(pPass->GetTextureHandle(0)) : nullptr;
    const eTextureConfig* pConfig = pTexture ? pTexture->GetConfig() : nullptr;
    if (!pConfig || !pConfig->m_pTextureData || !pConfig->m_pTextureData->m_pTexels)
        return nullptr;
    *pSize = pConfig->m_nWidth;
    return pConfig->m_pTextureData;
}

// Sets the alpha of the square's pixels to 0, leaving colour and depth: the
// silhouette is drawn over a clean alpha channel and nothing the frame
// shows changes.
void ClearSquareAlpha(int size)
{
    mFrustum ortho;
    ortho.SetOrtho(-1.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f);
    eVideo::SetProjection(ortho);
    eVideo::SetCameraToWorldIdentity();
    eVideo::SetZoneToWorldIdentity();
    eVideo::SetLocalToZoneIdentity();
    GXSetViewport(0.0f, 0.0f, static_cast<float>(size), static_cast<float>(size), 0.0f, 0.0f);
    GXSetScissor(0, 0, static_cast<uint32_t>(size), static_cast<uint32_t>(size));
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    eVideoPlatform::SetVertexColorLighting();
    rs.Set(RS_NUM_TEX_GENS, 0);
    rs.Set(RS_NUM_TEV_STAGES, 1);
    rs.SetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR0A0);
    eVideoPlatform::SetPassColor(GX_TEVSTAGE0);
    rs.Set(RS_BLEND_TYPE, GX_BM_NONE);
    rs.Set(RS_ALPHA_COMPARE_FUNC, GX_ALWAYS);
    rs.Set(RS_Z_COMPARE, GX_FALSE);
    rs.Set(RS_Z_UPDATE, GX_FALSE);
    rs.Set(RS_ALPHA_UPDATE, GX_TRUE);
    rs.Set(RS_COLOR_UPDATE, GX_FALSE);
    eVideoPlatform::SetVertexType(GX_VTXFMT4, false);
    eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT4, 4);
    const int16_t lo = ps::QuantS16(-1.0f, kPosFrac);
    const int16_t hi = ps::QuantS16(2.0f, kPosFrac);
    const int16_t corners[4][2] = {{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}};
    for (const auto& c : corners) {
        GXPosition3s16(c[0], 0, c[1]);
        GXColor1u32(0);
        GXTexCoord2s16(0, 0);
        GXTexCoord2s16(0, 0);
    }
    GXEnd();
    eVideoPlatform::EndPrimitive();
    eMaterial::ApplyNull();  // the material memory no longer matches the state
}

}  // namespace

eShadow::eShadow()
    : m_fFar(eShadowConfig::kDefaultFar), m_bRenderToTexture(false), m_fDistance(0.0f)
{
}

eShadow::eShadow(const eShadow& other)
    : eGeom(other), m_fFar(0.0f), m_bRenderToTexture(false), m_fDistance(0.0f)
{
}

cBase* eShadow::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eShadow>(*this) : nullptr;
}

void eShadow::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    eGeom::Write(file);
}

bool eShadow::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eShadow", "version");
    return eGeom::Read(file, pPool) && !rb.Failed();
}

void eShadow::Set(const eShadowConfig& config, float halfSize)
{
    m_drawInfo.hMaterial = config.hBlendMaterial;
    m_hFillMaterial = config.hFillMaterial;
    m_bRenderToTexture = config.bRenderToTexture;
    m_fFar = config.fFar;
    mFrustum box;
    box.SetOrtho(0.0f, m_fFar, -halfSize, halfSize, halfSize, -halfSize);
    const float radius = CornerRadius(box);
    if (radius != m_fVisRadius) {
        m_fVisRadius = radius;
        m_nGeomFlags |= kDirty;
    }
}

float eShadow::CasterRadius() const
{
    // A parentless shadow draws nothing, and its distance is its own.
    return m_pParent ? m_pParent->m_fVisRadius : 0.0f;
}

float eShadow::GetFade() const
{
    const float r = CasterRadius();
    if (!(r > 0.0f))
        return m_fDistance <= s_fShadowClip ? 1.0f : 0.0f;
    return std::clamp((s_fShadowClip - m_fDistance) / r, 0.0f, 1.0f);
}

void eShadow::Cull(const eCamera& camera, const mFrustum& frustum, unsigned int)
{
    if (!m_pZone)
        return;
    const mPlane& nearPlane = frustum.planes[mFrustum::kNear];
    m_drawInfo.fDistance = nearPlane.normal.Dot(m_localToZone.origin) - nearPlane.offset;
    m_drawInfo.pDrawable = this;
    mVec3 world;
    world.Xform(m_localToZone.origin, m_pZone->m_localToWorld);
    m_fDistance = (world - camera.m_cameraToWorld.origin).Length() - CasterRadius();
    if (m_fDistance > s_fShadowClip)
        return;
    m_pZone->AddDrawInfo(&m_drawInfo, nullptr);
    if (m_pParent)
        m_pParent->PostCullUpdate(camera);
}

void eShadow::DrawSilhouette(const eCamera& camera, const eMaterial& blend, const mOCS& lightToZone, float radius)
{
    uint32_t s = 0;
    eTextureData* pTarget = SilhouetteTarget(blend, &s);
    if (!pTarget)
        return;
    const int size = 2 * static_cast<int>(s);
    if (s <= 2 * kSilhouetteBorder || size > eVideo::kMaxHeight) {
        cLogWarn_("eShadow: a %u-texel shadow texture cannot hold a silhouette (up to %d)", s, eVideo::kMaxHeight / 2);
        return;
    }
    // The silhouette goes into the alpha channel of the frame's corner: the
    // colour and depth there stay as drawn, so the frame is not disturbed.
    ClearSquareAlpha(size);
    GXSetViewport(0.0f, 0.0f, static_cast<float>(size - 1), static_cast<float>(size - 1), 0.0f, 0.0f);
    GXSetScissor(kSilhouetteBorder, kSilhouetteBorder, size - 2 * kSilhouetteBorder, size - 2 * kSilhouetteBorder);

    eVideoPlatform::s_bNoZWrite = true;
    const eMaterial* pFill = eMaterialMgr::GetPtr(m_hFillMaterial);
    if (pFill)
        pFill->Apply(&camera, nullptr, nullptr, 0);
    else
        eMaterial::ApplyNull();

    // Looking along the shadow's forward axis from the caster's origin, the
    // box as wide as the caster.
    mOCS view;
    view.basis = lightToZone.basis;
    view.origin = m_pParent->m_localToZone.origin;
    if (m_pParent->m_pZone && m_pParent->m_pZone != m_pZone) {
        mVec3 world;
        world.Xform(view.origin, m_pParent->m_pZone->m_localToWorld);
        view.origin.XformInv(world, m_pZone->m_localToWorld);
    }
    mFrustum ortho;
    ortho.SetOrtho(-radius, radius, -radius, radius, radius, -radius);
    eVideo::SetProjection(ortho);
    eVideo::SetCameraToWorld(view);
    eVideo::SetZoneToWorldIdentity();
    eVideo::SetLocalToZoneIdentity();
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_Z_COMPARE, GX_FALSE);
    rs.Set(RS_Z_FUNC, GX_ALWAYS);
    rs.Set(RS_Z_UPDATE, GX_FALSE);
    rs.Set(RS_ALPHA_UPDATE, GX_TRUE);
    rs.Set(RS_COLOR_UPDATE, GX_FALSE);
    m_pParent->DrawImmediate(camera, kDrawCaster);

    // Halved by the copy's box filter into the texture's S x S texels.
    GXSetTexCopySrc(0, 0, static_cast<uint16_t>(size), static_cast<uint16_t>(size));
    GXSetTexCopyDst(static_cast<uint16_t>(s), static_cast<uint16_t>(s), GX_TF_RGB5A3, GX_TRUE);
    GXCopyTex(pTarget->m_pTexels, GX_FALSE);
    GXPixModeSync();
    GXInvalidateTexAll();

    rs.Set(RS_ALPHA_UPDATE, GX_FALSE);
    rs.Set(RS_COLOR_UPDATE, GX_TRUE);
    eVideoPlatform::s_bNoZWrite = false;
    eVideoPlatform::RestoreViewport();
    camera.Apply();
    eMaterial::ApplyNull();
}

void eShadow::Draw(const eCamera& camera, const eDrawInfo* pInfo)
{
    if (!m_pParent || !m_pZone)
        return;
    const eMaterialHandle hBlend = pInfo ? pInfo->hMaterial : m_drawInfo.hMaterial;
    const eMaterial* pBlend = eMaterialMgr::GetPtr(hBlend);
    if (pBlend && !pBlend->PassIsValid())
        return;
    // The caster's size, not the half-size given to Set, fixes the width.
    const float radius = CasterRadius();
    // The shadow projects along the node's forward axis (its owner aims it
    // along the light), through the node's own frame.
    const mOCS& lightToZone = m_localToZone;
    mFrustum box;
    box.SetOrtho(0.0f, m_fFar, -radius, radius, radius, -radius);
    if (m_bRenderToTexture && pBlend)
        DrawSilhouette(camera, *pBlend, lightToZone, radius);

    mFrustum zoneBox;
    zoneBox.Xform(box, lightToZone);
    mOCS lightToWorld;
    lightToWorld.Xform(lightToZone, m_pZone->m_localToWorld);
    if (pBlend) {
        const uint32_t alpha = static_cast<uint32_t>(255.0f * GetFade());
        const eMaterialState state{alpha << 24 | 0x00FFFFFFu, 255};
        state.Apply(hBlend, &camera, nullptr, 0);
    } else {
        eMaterial::ApplyNull();
    }
    eTextureProjection::Load(lightToWorld, box);
    if (m_bRenderToTexture) {
        // The silhouette is in alpha: both stages read it in every channel.
        GXSetTevSwapMode(GX_TEVSTAGE0, GX_TEV_SWAP0, GX_TEV_SWAP0);
        GXSetTevSwapMode(GX_TEVSTAGE1, GX_TEV_SWAP0, GX_TEV_SWAP0);
        GXSetTevSwapModeTable(GX_TEV_SWAP0, GX_CH_ALPHA, GX_CH_ALPHA, GX_CH_ALPHA, GX_CH_ALPHA);
    }
    eTextureProjection::DrawReceivers(*m_pZone, camera, zoneBox);
    if (m_bRenderToTexture)
        GXSetTevSwapModeTable(GX_TEV_SWAP0, GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_ALPHA);
}
