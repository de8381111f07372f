#include "eEngine/eMaterial.h"

#include "platform/gx.h"
#include "platform/mtx.h"
#include "mMath/mFrustum.h"
#include "eEngine/eCamera.h"
#include "eEngine/eColorBytes.h"
#include "eEngine/eLight.h"
#include "eEngine/eLightmap.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"

namespace {

struct BlendSetup {
    uint32_t type, src, dst;
};
const BlendSetup kBlends[eMaterial::NUM_BLEND_MODES] = {
    {GX_BM_NONE, GX_BL_ONE, GX_BL_ZERO},
    {GX_BM_BLEND, GX_BL_SRCALPHA, GX_BL_INVSRCALPHA},
    {GX_BM_BLEND, GX_BL_SRCALPHA, GX_BL_ONE},
    {GX_BM_BLEND, GX_BL_DSTCLR, GX_BL_SRCCLR},
    {GX_BM_BLEND, GX_BL_ZERO, GX_BL_INVSRCALPHA},
    {GX_BM_BLEND, GX_BL_DSTCLR, GX_BL_ZERO},
    {GX_BM_SUBTRACT, GX_BL_ONE, GX_BL_ZERO},
};

constexpr GXColor kBlack = {0, 0, 0, 0};

GXColor FogColor(const mVec3& c)
{
    return GXColor{eColorByte(c.x), eColorByte(c.y), eColorByte(c.z), 255};
}

void SetFogOff()
{
    GXSetFog(GX_FOG_NONE, 0.0f, 1.0f, 0.0f, 1.0f, kBlack);
}

void SetFogOn()
{
    const eFogParams& f = eMaterial::s_fogParams;
    GXSetFog(GX_FOG_PERSP_LIN, f.fNear, f.fFar, eMaterial::s_fFogCameraNear, eMaterial::s_fFogCameraFar,
             FogColor(f.color));
}

// The projection matrix eVideo::SetProjection builds for a frustum.
void BuildProjection(const mFrustum& f, Mtx44 m, GXProjectionType* pType)
{
    float n = 0.0f, fa = 0.0f, l = 0.0f, r = 0.0f, t = 0.0f, b = 0.0f;
    if (eVideo::IsOrthographic(f)) {
        f.GetOrtho(&n, &fa, &l, &r, &t, &b);
        C_MTXOrtho(m, t, b, l, r, n, fa);
        *pType = GX_ORTHOGRAPHIC;
    } else {
        f.GetPerspective(&n, &fa, &l, &r, &t, &b);
        C_MTXFrustum(m, t, b, l, r, n, fa);
        *pType = GX_PERSPECTIVE;
    }
}

}  // namespace

void eMaterial::ForgetLast()
{
    s_pLastMaterial = nullptr;
    s_pLastLightmap = nullptr;
    s_lastState = eMaterialState{0, 0};
}

// The same material, lightmap and state as last time: only the lightmap may
// have moved on, so it alone is loaded again. False when the full apply is
// needed.
bool eMaterial::ApplyLightmapOnly(const eLightmap* pLightmap) const
{
    if (!pLightmap)
        return true;
    const eMaterialPass* pPass = m_pPasses[s_currentPass];
    for (int i = 0; i < pPass->m_nStages; ++i) {
        const int map = pPass->m_pStages[i]->GetTextureIndex();
        const eTextureHandle h = pPass->GetTextureHandle(map);
        if (map >= 0 && !h.IsNull() && h == s_hLightmapTex) {
            pLightmap->Apply(map);
            return true;
        }
    }
    return false;
}

void eMaterial::ApplyDepthAndAlpha() const
{
    if (eVideoPlatform::s_bNoZWrite)
        return;
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_Z_COMPARE, (m_nFlags & FLAG_NO_Z_COMPARE) ? GX_FALSE : GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_LEQUAL);
    rs.Set(RS_Z_UPDATE, (m_nFlags & FLAG_NO_Z_UPDATE) ? GX_FALSE : GX_TRUE);
    if (m_nFlags & FLAG_ALPHA_TEST) {
        // Discarded pixels must not write depth, so depth waits for the texture.
        rs.Set(RS_Z_COMP_BEFORE_TEX, GX_FALSE);
        rs.Set(RS_ALPHA_COMPARE_FUNC, GX_GEQUAL);
        rs.Set(RS_ALPHA_COMPARE_REF, kAlphaTestRef);
    } else {
        rs.Set(RS_Z_COMP_BEFORE_TEX, GX_TRUE);
        rs.Set(RS_ALPHA_COMPARE_FUNC, GX_ALWAYS);
        rs.Set(RS_ALPHA_COMPARE_REF, 0);
    }
}

void eMaterial::ApplyFog() const
{
    if (!s_bFogEnabled)
        return;
    if (m_nFlags & FLAG_NO_FOG)
        SetFogOff();
    else
        SetFogOn();
}

void eMaterial::ApplyDepthBias() const
{
    const bool bBias = (m_nFlags & FLAG_DEPTH_BIAS) != 0;
    if (bBias == eVideoPlatform::s_bDepthBiased)
        return;
    mFrustum f;
    eVideoPlatform::GetProjection(&f);
    if (bBias) {
        Mtx44 m;
        GXProjectionType type;
        BuildProjection(f, m, &type);
        m[2][2] *= kDepthBiasScale;
        GXSetProjection(m, type);
    } else {
        eVideo::SetProjection(f);
    }
    eVideoPlatform::s_bDepthBiased = bBias;
}

eMaterial::eBlendMode eMaterial::ApplyBlend(const eMaterialState* pState) const
{
    eBlendMode mode = m_blendMode;
    if (pState && eColorChannel(pState->m_nColor, 24) != 255 && mode == BLEND_NONE)
        mode = BLEND_TRANSPARENT;
    if (s_currentPass == PASS_DIFFUSE && m_pPasses[PASS_LIGHTING] && m_pPasses[PASS_DIFFUSE])
        mode = BLEND_MODULATELIGHT;
    if (mode < 0 || mode >= NUM_BLEND_MODES)
        return mode;  // the blend state stays as it was
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_BLEND_TYPE, kBlends[mode].type);
    rs.Set(RS_BLEND_SRC, kBlends[mode].src);
    rs.Set(RS_BLEND_DST, kBlends[mode].dst);
    return mode;
}

uint32_t eMaterial::MaterialColor(const eMaterialState* pState, eBlendMode mode) const
{
    const uint32_t r = eColorByte(m_diffuseColor.x);
    const uint32_t g = eColorByte(m_diffuseColor.y);
    const uint32_t b = eColorByte(m_diffuseColor.z);
    const uint32_t a = eColorByte(m_fOpacity);
    if (!pState)
        return ePackColor(a, r, g, b);
    const uint32_t c = pState->m_nColor;
    const uint32_t ca = eColorChannel(c, 24);
    const uint32_t tr = eMulColorChannel(r, eColorChannel(c, 16));
    const uint32_t tg = eMulColorChannel(g, eColorChannel(c, 8));
    const uint32_t tb = eMulColorChannel(b, eColorChannel(c, 0));
    return ePackColor(mode == BLEND_NONE ? ca : eMulColorChannel(a, ca), tr, tg, tb);
}

void eMaterial::ApplyLighting(unsigned int flags, uint32_t materialColor) const
{
    const bool bTwoPassDiffuse =
        s_currentPass == PASS_DIFFUSE && m_pPasses[PASS_LIGHTING] && m_pPasses[PASS_DIFFUSE];
    if (flags & APPLY_VERTEX_COLOR)
        eVideoPlatform::SetVertexColorLighting();
    else if ((m_nFlags & FLAG_UNLIT) || bTwoPassDiffuse)
        eVideoPlatform::SetNoLighting();
    else
        eLight::ApplyDirectional();
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_AMBIENT_COLOR, 0);
    rs.Set(RS_MATERIAL_COLOR, materialColor);
}

void eMaterial::Apply(const eCamera* pCamera, const eLightmap* pLightmap, const eMaterialState* pState,
                      unsigned int flags) const
{
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    const eMaterialPass* pPass = m_pPasses[s_currentPass];
    if (!pPass) {
        rs.Set(RS_NUM_TEV_STAGES, 1);
        rs.Set(RS_NUM_TEX_GENS, 1);
        ForgetLast();
        return;
    }
    const eMaterialState state = pState ? *pState : eMaterialState{0, 0};
    if (s_pLastMaterial == this && s_pLastLightmap == pLightmap && state == s_lastState) {
        if (ApplyLightmapOnly(pLightmap))
            return;
    } else {
        s_pLastMaterial = this;
        s_pLastLightmap = pLightmap;
        s_lastState = state;
    }

    // Register 1: diffuse x global ambient, alpha the blend factor.
    const uint32_t amb = s_nGlobalAmbient;
    const uint32_t reg1 = ePackColor(pState ? state.m_nTextureBlendFactor : eColorChannel(amb, 24),
                                     eMulColorChannel(eColorByte(m_diffuseColor.x), eColorChannel(amb, 16)),
                                     eMulColorChannel(eColorByte(m_diffuseColor.y), eColorChannel(amb, 8)),
                                     eMulColorChannel(eColorByte(m_diffuseColor.z), eColorChannel(amb, 0)));
    rs.Set(RS_TEV_REG1_COLOR, reg1);
    ApplyDepthAndAlpha();
    ApplyFog();
    rs.Set(RS_CULL_MODE, (m_nFlags & FLAG_TWO_SIDED) ? GX_CULL_NONE : GX_CULL_FRONT);
    ApplyDepthBias();
    const eBlendMode mode = ApplyBlend(pState);
    ApplyLighting(flags, MaterialColor(pState, mode));
    pPass->Apply(pCamera, pLightmap);
}

void eMaterial::ApplyNull()
{
    eVideoPlatform::SetNoLighting();
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_NUM_CHANS, 1);
    rs.Set(RS_AMBIENT_COLOR, 0);
    rs.Set(RS_MATERIAL_COLOR, kNullMaterialColor);
    rs.Set(RS_BLEND_TYPE, GX_BM_NONE);
    rs.Set(RS_BLEND_SRC, GX_BL_ONE);
    rs.Set(RS_BLEND_DST, GX_BL_ZERO);
    rs.Set(RS_NUM_TEV_STAGES, 1);
    for (int stage = 0; stage < eTextureStage::kMaxStages; ++stage)
        rs.SetTevOrder(stage, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR0A0);
    rs.Set(RS_TEV_REG1_COLOR, s_nGlobalAmbient);
    if (!eVideoPlatform::s_bNoZWrite) {
        rs.Set(RS_ALPHA_COMPARE_FUNC, GX_ALWAYS);
        rs.Set(RS_ALPHA_COMPARE_REF, 0);
        rs.Set(RS_Z_COMP_BEFORE_TEX, GX_TRUE);
        rs.Set(RS_Z_COMPARE, GX_TRUE);
        rs.Set(RS_Z_FUNC, GX_LEQUAL);
        rs.Set(RS_Z_UPDATE, GX_TRUE);
    }
    rs.Set(RS_CULL_MODE, GX_CULL_FRONT);
    eVideoPlatform::SetPassColor(GX_TEVSTAGE0);
    rs.Set(RS_NUM_TEX_GENS, 1);
    ForgetLast();
}

void eMaterial::SetGlobalFog(bool bOn, const eCamera* pCamera, const mVec3& color, float start, float end)
{
    s_bFogEnabled = bOn;
    s_fogParams.fNear = start;
    s_fogParams.fFar = end;
    s_fogParams.color = color;
    if (pCamera) {
        s_fFogCameraNear = pCamera->m_frustum.planes[mFrustum::kNear].offset;
        s_fFogCameraFar = pCamera->m_fFarClip;
    }
    if (bOn)
        SetFogOn();
    else
        GXSetFog(GX_FOG_NONE, start, end, s_fFogCameraNear, s_fFogCameraFar, kBlack);
}

void eMaterial::SetGlobalAmbient(uint32_t color)
{
    s_nGlobalAmbient = color;
    s_pLastMaterial = nullptr;
}

void eMaterial::SetGlobalAmbient(const mVec3& color)
{
    SetGlobalAmbient(ePackColor(255, eColorByte(color.x), eColorByte(color.y), eColorByte(color.z)));
}
