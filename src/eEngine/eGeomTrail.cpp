#include "eEngine/eGeomTrail.h"

#include <cstring>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "mMath/mFrustum.h"
#include "mMath/mScalar.h"
#include "eEngine/eGeomTrailConfig.h"
#include "eEngine/eZone.h"

QM_DEFINE_TYPE(eGeomTrail, eGeom, 31)

static eGeomTrailSample* AllocSamples(cMemPool* pPool, int count)
{
    if (!pPool || count <= 0)
        return nullptr;
    return static_cast<eGeomTrailSample*>(
        pPool->Alloc(static_cast<size_t>(count) * sizeof(eGeomTrailSample), alignof(eGeomTrailSample)));
}

eGeomTrail::eGeomTrail()
    : m_pParticleList(nullptr), m_nParticles(0), m_fAlpha(1.0f), m_pConfig(nullptr), m_nSampleSlots(0)
{
    m_box.MakeEmpty();
}

eGeomTrail::eGeomTrail(const eGeomTrail& other)
    : eGeom(other),
      m_box(other.m_box),
      m_pParticleList(nullptr),
      m_nParticles(0),
      m_fAlpha(other.m_fAlpha),
      m_pConfig(other.m_pConfig),
      m_nSampleSlots(0)
{
    m_drawInfo.hMaterial = other.m_drawInfo.hMaterial;
    m_drawInfo.fDistance = other.m_drawInfo.fDistance;
    if (other.m_nSampleSlots <= 0 || !other.m_pParticleList)
        return;
    m_pParticleList = AllocSamples(cMemPool::GetPoolFromPtr(this), other.m_nSampleSlots);
    if (!m_pParticleList) {
        // The pool reported it (failing the file being read, if any).
        return;
    }
    std::memcpy(m_pParticleList, other.m_pParticleList,
                static_cast<size_t>(other.m_nSampleSlots) * sizeof(eGeomTrailSample));
    m_nSampleSlots = other.m_nSampleSlots;
    m_nParticles = other.m_nParticles;
}

cBase* eGeomTrail::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eGeomTrail>(*this) : nullptr;
}

void eGeomTrail::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    eGeom::Write(file);
}

bool eGeomTrail::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eGeomTrail", "version");
    if (!eGeom::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    return !rb.Failed();
}

int eGeomTrail::Segments() const
{
    if (!m_pConfig || m_nSampleSlots < 2)
        return 0;
    return m_pConfig->nMaxSegments < m_nSampleSlots - 1 ? m_pConfig->nMaxSegments : m_nSampleSlots - 1;
}

void eGeomTrail::SetGeomTrailConfig(const eGeomTrailConfig* pConfig)
{
    const int segments = pConfig ? pConfig->nMaxSegments : 0;
    if (pConfig && (!m_pConfig || m_pConfig->nMaxSegments != segments || m_nSampleSlots < segments + 1)) {
        // A configuration made in code may carry any count: at least one segment.
        const int slots = (segments > 0 ? segments : 0) + 1;
        cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
        m_pParticleList = AllocSamples(pPool, slots);
        m_nSampleSlots = m_pParticleList ? slots : 0;
        if (!m_pParticleList)
            cLogError_("eGeomTrail: %s for %d samples; the trail records nothing",
                       pPool ? "no pool room" : "the trail lies in no pool", slots);
    }
    m_pConfig = pConfig;
    m_localToParent.MakeIdentity();
    m_localToZone.MakeIdentity();
    m_nParticles = 0;
    m_box.MakeEmpty();
    m_fAlpha = 1.0f;
}

void eGeomTrail::Update(cTimeValue dt)
{
    if (m_nGeomFlags & kDirty)
        UpdateLocalToZone();
    const int segments = Segments();
    if (dt.m_nTicks == 0 || segments < 1)
        return;
    m_box.MakeEmpty();
    eGeomTrailSample sample;
    const mVec3& origin = m_localToZone.origin;
    if (m_pConfig->orientation == eGeomTrailConfig::ORIENTATION_CAMERA) {
        // The second point is unused facing the camera; keep it defined.
        sample.first = origin;
        sample.second = origin;
    } else {
        const mVec3 half = m_localToZone.basis.up * (0.5f * m_pConfig->fWidth);
        sample.first = origin + half;
        sample.second = origin - half;
    }
    Record(sample);
    UpdateBox();
    const float radius = m_box.IsEmpty() ? -1.0f : 0.5f * m_box.maxCorner.Dist(m_box.minCorner);
    if (radius != m_fVisRadius) {
        m_fVisRadius = radius;
        SetGeomFlagsOnOff(kDirty, 0);
    }
    if (m_nGeomFlags & kDirty)
        UpdateLocalToZone();
}

void eGeomTrail::Record(const eGeomTrailSample& sample)
{
    const int segments = Segments();
    if (m_nParticles == 0) {
        // The first sample stands in for the whole trail, so the ribbon grows
        // out of the node instead of from wherever the slots last were.
        for (int i = 0; i <= segments; ++i)
            m_pParticleList[i] = sample;
        m_nParticles = 1;
        return;
    }
    for (int i = segments - 1; i >= 0; --i)
        m_pParticleList[i + 1] = m_pParticleList[i];
    m_pParticleList[0] = sample;
    m_nParticles = m_nParticles + 1 < segments + 1 ? m_nParticles + 1 : segments + 1;
}

void eGeomTrail::UpdateBox()
{
    const int slots = Segments() + 1;
    m_box.Extend(slots, &m_pParticleList[0].first, sizeof(eGeomTrailSample));
    if (m_pConfig->orientation == eGeomTrailConfig::ORIENTATION_TWO_POINTS) {
        m_box.Extend(slots, &m_pParticleList[0].second, sizeof(eGeomTrailSample));
    } else {
        const float w = m_pConfig->fWidth;
        m_box.minCorner -= mVec3(w, w, w);
        m_box.maxCorner += mVec3(w, w, w);
    }
}

void eGeomTrail::Cull(const eCamera&, const mFrustum& frustum, unsigned int)
{
    if (m_nParticles < kMinCullSamples || !m_pZone || !m_pConfig)
        return;
    const mPlane& nearPlane = frustum.planes[mFrustum::kNear];
    m_drawInfo.fDistance = nearPlane.normal.Dot(m_localToZone.origin) - nearPlane.offset;
    m_drawInfo.hMaterial = m_pConfig->hMaterial;
    m_drawInfo.pDrawable = this;
    m_pZone->AddDrawInfo(&m_drawInfo, nullptr);
}

void eGeomTrail::OnZoneChange(const mVec3& delta)
{
    // Every slot, not only the recorded ones: the spare slots hold the first
    // sample and still count in the bounds until they drop out.
    for (int i = 0; i < m_nSampleSlots; ++i) {
        m_pParticleList[i].first += delta;
        m_pParticleList[i].second += delta;
    }
}
