// The drawing side of eParticleSystem: culling into the zone's bins and the
// quads of the live particles, evaluated at draw time from each particle's
// age and the emitter.

#include "eEngine/eParticleSystem.h"

#include "platform/gx.h"
#include "mMath/mFrustum.h"
#include "mMath/mScalar.h"
#include "eEngine/eCamera.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"

namespace {

// A colour or alpha component as a byte: clamped first, so a value outside
// 0-1 saturates instead of wrapping.
uint8_t ToByte(float f)
{
    if (!(f > 0.0f))
        return 0;
    if (f >= 1.0f)
        return 255;
    return static_cast<uint8_t>(static_cast<int>(255.0f * f));
}

// Whole degrees of an angle in radians, truncated toward zero.
int WholeDegrees(float radians)
{
    return static_cast<int>(radians * kRadToDeg);
}

mVec3 CameraToWorld(const mVec3& v, const mBasis& camera)
{
    mVec3 out;
    out.Xform(v, camera);
    return out;
}

mVec3 Normalized(mVec3 v)
{
    v.Normalize();
    return v;
}

// Axes of a quad turned by roll degrees: about the camera's forward axis
// for billboards, about world Z for horizontal quads.
void RollAxes(int roll, bool bBillboard, const mBasis& camera, mVec3* pA, mVec3* pB)
{
    float s, c;
    mSinCos(static_cast<float>(roll), &s, &c);
    if (bBillboard) {
        *pB = CameraToWorld(mVec3(c, 0.0f, -s), camera);
        *pA = CameraToWorld(mVec3(s, 0.0f, c), camera);
    } else {
        pB->Set(c, s, 0.0f);
        pA->Set(-s, c, 0.0f);
    }
}

// Turns the particle's roll toward target by at most rate degrees, folded
// back into [-180, 180]; an unaligned particle snaps first.
void ChaseRoll(eParticle* p, int target, int rate)
{
    int roll = p->nRoll == eParticle::kRollUnaligned ? target : p->nRoll;
    const float d = mDeltaHeading(static_cast<float>(roll), static_cast<float>(target));
    if (static_cast<float>(-rate) <= d && d <= static_cast<float>(rate)) {
        roll = target;
    } else {
        roll += d > 0.0f ? rate : -rate;
        if (roll > 180)
            roll -= 360;
        else if (roll < -180)
            roll += 360;
    }
    p->nRoll = static_cast<int16_t>(roll);
}

}  // namespace

void eParticleSystem::Cull(const eCamera&, const mFrustum& frustum, unsigned int)
{
    if (!m_pZone || !m_pParticleEmitter)
        return;
    const mPlane& nearPlane = frustum.planes[mFrustum::kNear];
    m_drawInfo.fDistance = nearPlane.normal.Dot(m_localToZone.origin) - nearPlane.offset;
    m_drawInfo.hMaterial = m_pParticleEmitter->m_hMaterial;
    m_drawInfo.pDrawable = this;
    m_pZone->AddDrawInfo(&m_drawInfo, nullptr);
}

int eParticleSystem::GetCurrentParticleAlpha(const eParticle* p, float fOpacity) const
{
    const eParticleEmitter& e = *m_pParticleEmitter;
    const int32_t age = p->timeAlive.m_nTicks;
    float a = 1.0f;
    if (e.m_fadeInTime.m_nTicks > 0 && age < e.m_fadeInTime.m_nTicks)
        a *= static_cast<float>(age) / static_cast<float>(e.m_fadeInTime.m_nTicks);
    if (p->lifetime.m_nTicks > 0 && e.m_fadeOutTime.m_nTicks > 0) {
        // All 32 bits: a life with more than 32,767 ticks left is not yet fading.
        const int32_t remaining = p->lifetime.m_nTicks - age;
        if (remaining < e.m_fadeOutTime.m_nTicks)
            a *= static_cast<float>(remaining) * e.m_fOneOverFadeOutTime;
    }
    if (e.m_blinkRate.m_nTicks > 0) {
        const int32_t rate = e.m_blinkRate.m_nTicks;
        const float phase = static_cast<float>(age % rate) / static_cast<float>(rate);
        if (phase < e.m_fAlphaZeroEnd)
            a = 0.0f;
        else if (phase <= e.m_fAlphaUpEnd)
            a *= e.m_fOOSlopeLength * (phase - e.m_fAlphaZeroEnd);
        else if (phase > e.m_fAlphaFullEnd)
            a *= 1.0f - e.m_fOOSlopeLength * (phase - e.m_fAlphaFullEnd);
    }
    return ToByte(fOpacity * m_fAlphaMod * a);
}

void eParticleSystem::ParticleColor(const eParticle* p, const eParticleDrawSetup& setup, uint8_t rgba[4]) const
{
    const eParticleEmitter& e = *m_pParticleEmitter;
    mVec3 c = e.m_colorStart;
    if (e.m_bInterpolateColor && e.m_lifetime.m_nTicks > 0 && p->lifetime.m_nTicks > 0) {
        const float f = static_cast<float>(p->timeAlive.m_nTicks) / static_cast<float>(p->lifetime.m_nTicks);
        c = e.m_colorStart + (e.m_colorEnd - e.m_colorStart) * f;
    }
    rgba[0] = ToByte(setup.baseColor.x * c.x);
    rgba[1] = ToByte(setup.baseColor.y * c.y);
    rgba[2] = ToByte(setup.baseColor.z * c.z);
    rgba[3] = static_cast<uint8_t>(GetCurrentParticleAlpha(p, setup.fOpacity));
}

bool eParticleSystem::QuadAxes(eParticle* p, const eParticleDrawSetup& setup, mVec3* pA, mVec3* pB) const
{
    const eParticleEmitter& e = *m_pParticleEmitter;
    const mBasis& cam = setup.camera;
    const bool bAligned = e.m_bOrientAlongVelocity;
    switch (e.m_orientation) {
    case eParticleEmitter::VERTICAL:
        if (bAligned || p->nRoll != 0)
            return false;
        pA->Set(0.0f, 0.0f, 1.0f);
        *pB = cam.right;
        return true;
    case eParticleEmitter::WORLD:
        if (bAligned || p->nRoll != 0)
            return false;
        *pA = setup.world.up;
        *pB = setup.world.right;
        return true;
    case eParticleEmitter::BILLBOARD:
    case eParticleEmitter::HORIZONTAL:
        break;
    default:
        return false;  // an orientation this engine does not know
    }
    const bool bBillboard = e.m_orientation == eParticleEmitter::BILLBOARD;
    if (bAligned) {
        const mVec3 dir = p->velocity.LengthSq() == 0.0f ? mVec3(0.0f, 1.0f, 0.0f) : p->velocity;
        // Billboards measure the direction in camera coordinates (x right,
        // z up), horizontal quads in the world's X-Y plane.
        const float x = bBillboard ? dir.Dot(cam.right) : dir.x;
        const float y = bBillboard ? dir.Dot(cam.up) : dir.y;
        if (e.m_nMaximumTurnRate == 0) {
            if (bBillboard) {
                *pA = CameraToWorld(Normalized(mVec3(x, 0.0f, y)), cam);
                *pB = CameraToWorld(Normalized(mVec3(y, 0.0f, -x)), cam);
            } else {
                *pA = Normalized(mVec3(x, y, 0.0f));
                *pB = Normalized(mVec3(y, -x, 0.0f));
            }
            return true;
        }
        const int target = bBillboard ? WholeDegrees(mAtan2(x, y)) : WholeDegrees(mAtan2(-x, y));
        ChaseRoll(p, target, e.m_nMaximumTurnRate);
    } else if (p->nRoll == 0) {
        if (bBillboard) {
            *pA = cam.up;
            *pB = cam.right;
        } else {
            pA->Set(0.0f, 1.0f, 0.0f);
            pB->Set(1.0f, 0.0f, 0.0f);
        }
        return true;
    }
    RollAxes(p->nRoll, bBillboard, cam, pA, pB);
    return true;
}

void eParticleSystem::BuildParticleQuad(eParticle* p, const eParticleDrawSetup& setup,
                                        eParticleVertex out[kQuadVertices]) const
{
    const eParticleEmitter& e = *m_pParticleEmitter;
    mVec3 a, b;
    mVec3 c1(0.0f, 0.0f, 0.0f), c2 = c1, c3 = c1, c4 = c1;  // no quad: all at the zone origin
    if (QuadAxes(p, setup, &a, &b)) {
        const float size = e.GetCurrentParticleSize(p);
        const float half = 0.5f * size;
        c1 = p->position - a * half - b * half;
        c2 = c1 + b * size;
        c3 = c2 + a * size;
        c4 = c1 + a * size;
    }
    uint8_t rgba[4];
    ParticleColor(p, setup, rgba);
    mVec2 first, second;
    e.GetCurrentParticleAnimUVs(p, first, second);
    out[0] = {c1, {rgba[0], rgba[1], rgba[2], rgba[3]}, mVec2(first.x, second.y), mVec2(0.0f, 1.0f)};
    out[1] = {c2, {rgba[0], rgba[1], rgba[2], rgba[3]}, mVec2(second.x, second.y), mVec2(1.0f, 1.0f)};
    out[2] = {c3, {rgba[0], rgba[1], rgba[2], rgba[3]}, mVec2(second.x, first.y), mVec2(1.0f, 0.0f)};
    out[3] = {c4, {rgba[0], rgba[1], rgba[2], rgba[3]}, mVec2(first.x, first.y), mVec2(0.0f, 0.0f)};
}

void eParticleSystem::Draw(const eCamera& camera, const eDrawInfo*)
{
    const eParticleEmitter* pEmitter = m_pParticleEmitter;
    if (!pEmitter || m_nCurrentParticles <= 0 || !m_pParticleList)
        return;
    eParticleDrawSetup setup;
    if (const eMaterial* pMaterial = eMaterialMgr::GetPtr(pEmitter->m_hMaterial)) {
        pMaterial->Apply(&camera, nullptr, nullptr, eMaterial::APPLY_VERTEX_COLOR);
        setup.baseColor = pMaterial->m_diffuseColor;
        setup.fOpacity = pMaterial->m_fOpacity;
    } else {
        eMaterial::ApplyNull();
        setup.baseColor.Set(1.0f, 1.0f, 1.0f);
        setup.fOpacity = 1.0f;
    }
    setup.camera = camera.m_cameraToWorld.basis;
    setup.world.Xform(pEmitter->m_worldAlignment.basis, m_localToZone.basis);
    eVideo::SetLocalToZoneIdentity();
    eVideoPlatform::SetVertexType(GX_VTXFMT3, true);
    SubmitQuads(setup);
}

void eParticleSystem::SubmitQuads(const eParticleDrawSetup& setup)
{
    int live = 0;
    for (int i = 0; i < m_nMaxParticles; ++i)
        live += m_pParticleList[i].IsFree() ? 0 : 1;
    // The vertex count of a primitive is 16-bit: a large system goes out in
    // several batches of whole quads.
    int slot = 0;
    while (live > 0) {
        const int batch = live < kMaxQuadsPerBatch ? live : kMaxQuadsPerBatch;
        eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT3, static_cast<uint16_t>(batch * kQuadVertices));
        eVideo::s_nRenderedDynamicTris += static_cast<uint32_t>(2 * batch);
        for (int sent = 0; sent < batch; ++slot) {
            eParticle* p = &m_pParticleList[slot];
            if (p->IsFree())
                continue;
            eParticleVertex quad[kQuadVertices];
            BuildParticleQuad(p, setup, quad);
            for (const eParticleVertex& v : quad) {
                GXPosition3f32(v.pos.x, v.pos.y, v.pos.z);
                GXColor4u8(v.rgba[0], v.rgba[1], v.rgba[2], v.rgba[3]);
                GXTexCoord2f32(v.uv0.x, v.uv0.y);
                GXTexCoord2f32(v.uv1.x, v.uv1.y);
            }
            ++sent;
        }
        GXEnd();
        eVideoPlatform::EndPrimitive();
        live -= batch;
    }
}
