#include "eEngine/eTextureProjection.h"

#include "platform/gx.h"
#include "platform/mtx.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"

void eTextureProjection::Load(const mOCS& lightToWorld, const mFrustum& volume)
{
    mOCS worldToLight;
    worldToLight.basis.Inverse(lightToWorld.basis);
    worldToLight.origin.Xform(-lightToWorld.origin, worldToLight.basis);
    // World positions (engine axes) into the light's eye space in the
    // hardware's axes, where the light looks down -z: the engine-to-eye swap
    // of the conversion turns the light's forward axis into the eye's -z, so
    // the frame is used as it is.
    Mtx view;
    eVideoPlatform::OCSTo34Matrix(worldToLight, view);

    float n = 0.0f, f = 0.0f, l = 0.0f, r = 0.0f, t = 0.0f, b = 0.0f;
    Mtx window;
    if (eVideo::IsOrthographic(volume)) {
        volume.GetOrtho(&n, &f, &l, &r, &t, &b);
        C_MTXLightOrtho(window, t, b, l, r, 0.5f, -0.5f, 0.5f, 0.5f);
    } else {
        volume.GetPerspective(&n, &f, &l, &r, &t, &b);
        C_MTXLightFrustum(window, t, b, l, r, n, 0.5f, -0.5f, 0.5f, 0.5f);
    }
    Mtx m;
    PSMTXConcat(window, view, m);
    GXLoadTexMtxImm(m, GX_PTTEXMTX0, GX_MTX3x4);

    // The ramp: s in the middle, t from the depth past the near end.
    const float k = 1.0f / (kRampScale * (f - n));
    const Mtx ramp = {{0.0f, 0.0f, 0.0f, 0.5f}, {0.0f, 0.0f, -k, kRampStart - n * k}, {0.0f, 0.0f, 0.0f, 1.0f}};
    PSMTXConcat(ramp, view, m);
    GXLoadTexMtxImm(m, GX_PTTEXMTX1, GX_MTX3x4);

    GXSetTexCoordGen2(GX_TEXCOORD0, GX_TG_MTX3x4, GX_TG_POS, GX_TEXMTX0, GX_FALSE, GX_PTTEXMTX0);
    GXSetTexCoordGen2(GX_TEXCOORD1, GX_TG_MTX3x4, GX_TG_POS, GX_TEXMTX1, GX_FALSE, GX_PTTEXMTX1);
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.SetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    rs.SetTevOrder(GX_TEVSTAGE1, GX_TEXCOORD1, GX_TEXMAP1, GX_COLOR0A0);
    rs.Set(RS_NUM_TEX_GENS, 2);
}

void eTextureProjection::DrawReceivers(eZone& zone, const eCamera& camera, const mFrustum& zoneVolume)
{
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    // Only surfaces already drawn receive the texture.
    rs.Set(RS_Z_COMPARE, GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_EQUAL);
    rs.Set(RS_Z_UPDATE, GX_FALSE);
    eVideoPlatform::s_bApplyTexMatrix = true;
    zone.DrawContained(camera, zoneVolume, eZone::kDrawSkipNotLit);
    eVideoPlatform::s_bApplyTexMatrix = false;
    rs.Set(RS_Z_COMPARE, GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_LEQUAL);
    rs.Set(RS_Z_UPDATE, GX_TRUE);
    eVideo::SetZoneToWorld(zone.m_localToWorld);
}
