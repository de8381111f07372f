// The drawing side of eGeomTrail: a uniform B-spline strip through the
// recorded samples, fading toward the tail, streamed as triangle strips of
// quantised vertices (positions with 8 fraction bits, texture coordinates
// with 10).

#include "eEngine/eGeomTrail.h"

#include <cstdint>

#include "platform/gx.h"
#include "platform/ps.h"
#include "mMath/mBSpline.h"
#include "eEngine/eCamera.h"
#include "eEngine/eGeomTrailConfig.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"

namespace {

constexpr int kPosFracBits = 8;
constexpr int kTexFracBits = 10;

// A byte from a value already scaled to 0-255, saturated instead of wrapped.
uint8_t SaturatedByte(float f)
{
    if (!(f > 0.0f))
        return 0;
    if (f >= 255.0f)
        return 255;
    return static_cast<uint8_t>(static_cast<int>(f));
}

// The fade of the strip, pair by pair from the head: the first pairs keep
// the head's alpha, the share nearest the tail steps down to transparent.
class FadeRamp {
public:
    FadeRamp(int n, int segments, int steps, float fadeStart)
        : m_a(static_cast<float>(n) / static_cast<float>(segments + 1)),
          m_fadeStep(-1.0f / (static_cast<float>(segments) * fadeStart * static_cast<float>(steps))),
          m_pairStep(1.0f / (static_cast<float>(n - 1) * static_cast<float>(steps))),
          m_fadeStart(fadeStart)
    {
    }
    // The head's alpha; facing the camera with the fade over the whole strip
    // the head already steps down.
    float Head(bool bCamera)
    {
        const float used = m_a;
        if (bCamera && m_fadeStart >= 1.0f)
            m_a += m_fadeStep;
        return used;
    }
    // The alpha of the k-th pair after the head.
    float Next(int k)
    {
        const float r = 1.0f - static_cast<float>(k) * m_pairStep;
        if (r > m_fadeStart)
            return m_a;
        m_a = m_a < 0.0f ? 0.0f : (m_a > 1.0f ? 1.0f : m_a);
        const float used = m_a;
        m_a += m_fadeStep;
        return used;
    }

private:
    float m_a;
    float m_fadeStep;
    float m_pairStep;
    float m_fadeStart;
};

// Sends pairs as triangle strips. A strip longer than the 16-bit vertex
// count allows goes out in several, each repeating the previous one's last
// pair so that no triangle is lost and the winding stays.
class GxStripSink final : public eGeomTrail::PairSink {
public:
    explicit GxStripSink(int totalPairs) : m_nLeft(totalPairs) { Begin(totalPairs); }
    ~GxStripSink() { GXEnd(); eVideoPlatform::EndPrimitive(); }

    void Pair(const eGeomTrailVertex& first, const eGeomTrailVertex& second) override
    {
        if (m_nInBatch == m_nBatch) {
            GXEnd();
            Begin(m_nLeft + 1);
            Emit(m_last[0]);
            Emit(m_last[1]);
            m_nInBatch = 1;
        }
        Emit(first);
        Emit(second);
        m_last[0] = first;
        m_last[1] = second;
        ++m_nInBatch;
        --m_nLeft;
    }

private:
    void Begin(int pairs)
    {
        m_nBatch = pairs < eGeomTrail::kMaxPairsPerBatch ? pairs : eGeomTrail::kMaxPairsPerBatch;
        m_nInBatch = 0;
        eVideoPlatform::BeginPrimitive(GX_TRIANGLESTRIP, GX_VTXFMT3, static_cast<uint16_t>(2 * m_nBatch));
    }
    static void Emit(const eGeomTrailVertex& v)
    {
        GXPosition3s16(ps::QuantS16(v.pos.x, kPosFracBits), ps::QuantS16(v.pos.y, kPosFracBits),
                       ps::QuantS16(v.pos.z, kPosFracBits));
        GXColor4u8(v.rgba[0], v.rgba[1], v.rgba[2], v.rgba[3]);
        GXTexCoord2s16(ps::QuantS16(v.uv0.x, kTexFracBits), ps::QuantS16(v.uv0.y, kTexFracBits));
        GXTexCoord2s16(ps::QuantS16(v.uv1.x, kTexFracBits), ps::QuantS16(v.uv1.y, kTexFracBits));
    }

    int m_nLeft;
    int m_nBatch = 0;
    int m_nInBatch = 0;
    eGeomTrailVertex m_last[2] = {};
};

}  // namespace

int eGeomTrail::CountStripPairs() const
{
    if (!m_pConfig || m_nParticles < kMinDrawSamples || Segments() < 1)
        return 0;
    const int64_t steps = m_pConfig->nSubdivisions > 0 ? m_pConfig->nSubdivisions : 1;
    const int64_t pairs = steps * (m_nParticles + 1) + 1;
    return pairs < INT32_MAX ? static_cast<int>(pairs) : INT32_MAX;
}

void eGeomTrail::BuildStrip(const eCamera& camera, const uint8_t rgb[3], float baseAlpha, PairSink& sink) const
{
    if (CountStripPairs() == 0)
        return;
    const eGeomTrailConfig& cfg = *m_pConfig;
    const int n = m_nParticles;
    const int segments = Segments();
    const int steps = cfg.nSubdivisions > 0 ? cfg.nSubdivisions : 1;
    const bool bCamera = cfg.orientation == eGeomTrailConfig::ORIENTATION_CAMERA;
    const float uStep = (cfg.bTextureTiled ? 1.0f : 1.0f / static_cast<float>(segments)) / static_cast<float>(steps);
    float u = cfg.bTextureTiled ? 0.0f : 1.0f - static_cast<float>(n) / static_cast<float>(segments + 1);
    FadeRamp fade(n, segments, steps, cfg.fFadeStart);
    const float halfWidth = 0.5f * cfg.fWidth;
    const mVec3& forward = camera.m_cameraToWorld.basis.forward;
    const int stride = static_cast<int>(sizeof(eGeomTrailSample));

    mVec3 prevCentre(0.0f, 0.0f, 0.0f);
    auto emitPair = [&](int segment, float t, float alpha, bool bHead) {
        eGeomTrailVertex v[2];
        mVec3 p0;
        mBSpline::Interpolate(segment, t, &m_pParticleList[0].first, n, stride, &p0);
        if (bCamera) {
            mVec3 d = bHead ? m_pParticleList[1].first - m_pParticleList[0].first : p0 - prevCentre;
            if (d.LengthSq() != 0.0f)
                d.Normalize();
            mVec3 side;
            side.Cross(forward, d);
            v[0].pos = p0 - side * halfWidth;
            v[1].pos = p0 + side * halfWidth;
            prevCentre = p0;
        } else {
            v[0].pos = p0;
            mBSpline::Interpolate(segment, t, &m_pParticleList[0].second, n, stride, &v[1].pos);
        }
        const uint8_t a = SaturatedByte(255.0f * alpha * baseAlpha);
        for (eGeomTrailVertex& vert : v) {
            vert.rgba[0] = rgb[0];
            vert.rgba[1] = rgb[1];
            vert.rgba[2] = rgb[2];
            vert.rgba[3] = a;
        }
        v[0].uv0.Set(u, 0.0f);
        v[0].uv1.Set(0.0f, 1.0f);
        v[1].uv0.Set(u, 1.0f);
        v[1].uv1.Set(0.0f, 0.0f);
        sink.Pair(v[0], v[1]);
        u += uStep;
    };

    emitPair(0, 0.0f, fade.Head(bCamera), true);
    int k = 0;
    // The spline clamps its control points to the samples, so the segments
    // past the oldest sample gather toward it.
    for (int s = 0; s <= n; ++s)
        for (int j = 1; j <= steps; ++j)
            emitPair(s, static_cast<float>(j) / static_cast<float>(steps), fade.Next(++k), false);
}

void eGeomTrail::Draw(const eCamera& camera, const eDrawInfo* pInfo)
{
    const int pairs = CountStripPairs();
    if (pairs == 0)
        return;
    eVideoPlatform::SetVertexType(GX_VTXFMT3, false);
    eVideo::SetLocalToZoneIdentity();
    uint8_t rgb[3] = {255, 255, 255};
    float baseAlpha = m_fAlpha;
    const eMaterial* pMaterial = eMaterialMgr::GetPtr(pInfo ? pInfo->hMaterial : m_drawInfo.hMaterial);
    if (pMaterial) {
        for (int i = 0; i < 3; ++i)
            rgb[i] = SaturatedByte(255.0f * pMaterial->m_diffuseColor[i]);
        baseAlpha = m_fAlpha * pMaterial->m_fOpacity;
        pMaterial->Apply(&camera, nullptr, nullptr, eMaterial::APPLY_VERTEX_COLOR);
    } else {
        eMaterial::ApplyNull();
    }
    eVideo::s_nRenderedDynamicTris += static_cast<uint32_t>(2 * (pairs - 1));
    GxStripSink sink(pairs);
    BuildStrip(camera, rgb, baseAlpha, sink);
}
