#include "eEngine/eParticleSystem.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "mMath/mBox.h"
#include "mMath/mRand.h"
#include "mMath/mScalar.h"
#include "eEngine/eParticleEmitter.h"

QM_DEFINE_TYPE(eParticleSystem, eGeom, 30)

mVec3 eParticleSystem::s_wind(0.0f, 0.0f, 0.0f);
mVec3 eParticleSystem::s_gravity(0.0f, 0.0f, -9.8f * cTimeValue::SECONDS_PER_TICK * cTimeValue::SECONDS_PER_TICK);

// The integer part of a float tick count or angle, saturated to 32 bits so
// that no drawn value makes the conversion undefined; NaN gives 0.
static int32_t TruncToInt(float f)
{
    if (f != f)
        return 0;
    if (f >= 2147483648.0f)
        return INT32_MAX;
    if (f < -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(f);
}

// v spread by the relative tolerance t: v + v t r with r from the main
// stream in (-1, 1]. Nothing is drawn when v t is 0, which keeps the stream
// in step with the data.
static float WithTolerance(float v, float t)
{
    const float vt = v * t;
    if (vt == 0.0f)
        return v;
    return v + vt * mRandTol();
}

// Slot arrays are carved in whole words, as the console's reader took them.
static eParticle* AllocParticles(cMemPool* pPool, int count)
{
    if (!pPool || count <= 0)
        return nullptr;
    const size_t bytes = (static_cast<size_t>(count) * sizeof(eParticle) + 3u) & ~size_t{3};
    return static_cast<eParticle*>(pPool->Alloc(bytes, alignof(eParticle)));
}

eParticleSystem::eParticleSystem()
    : m_attractorPoint(0.0f, 0.0f, 0.0f),
      m_pParticleEmitter(nullptr),
      m_fAlphaMod(1.0f),
      m_nLastFreeParticleSlot(0),
      m_nMaxParticles(0),
      m_nCurrentParticles(0),
      m_pParticleList(nullptr)
{
}

eParticleSystem::eParticleSystem(const eParticleSystem& other)
    : eGeom(other),
      m_attractorPoint(other.m_attractorPoint),
      m_pParticleEmitter(other.m_pParticleEmitter),
      m_fAlphaMod(other.m_fAlphaMod),
      m_timeToNextParticleSpawn(other.m_timeToNextParticleSpawn),
      m_particleSystemLifetime(other.m_particleSystemLifetime),
      m_nLastFreeParticleSlot(other.m_nLastFreeParticleSlot),
      m_timeOfLastParticleSpawn(other.m_timeOfLastParticleSpawn),
      m_timeOfLastParticleJitter(other.m_timeOfLastParticleJitter),
      m_nMaxParticles(0),
      m_nCurrentParticles(0),
      m_pParticleList(nullptr)
{
    m_drawInfo.hMaterial = other.m_drawInfo.hMaterial;
    m_drawInfo.fDistance = other.m_drawInfo.fDistance;
    if (other.m_nMaxParticles <= 0 || !other.m_pParticleList)
        return;
    m_pParticleList = AllocParticles(cMemPool::GetPoolFromPtr(this), other.m_nMaxParticles);
    if (!m_pParticleList) {
        // The pool reported it (failing the file being read, if any).
        return;
    }
    std::memcpy(m_pParticleList, other.m_pParticleList,
                static_cast<size_t>(other.m_nMaxParticles) * sizeof(eParticle));
    m_nMaxParticles = other.m_nMaxParticles;
    m_nCurrentParticles = other.m_nCurrentParticles;
}

cBase* eParticleSystem::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eParticleSystem>(*this) : nullptr;
}

void eParticleSystem::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    eGeom::Write(file);
}

bool eParticleSystem::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kVersion)
        return rb.Reject("eParticleSystem", "version");
    if (!eGeom::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    return !rb.Failed();
}

void eParticleSystem::Reset(cMemPool* pPool)
{
    const eParticleEmitter* pEmitter = m_pParticleEmitter;
    if (!pEmitter) {
        cLogError_("eParticleSystem::Reset: no emitter; the system stays as it was");
        return;
    }
    if (m_nMaxParticles != pEmitter->m_nMaxParticles) {
        const int count = pEmitter->m_nMaxParticles > 0 ? pEmitter->m_nMaxParticles : 0;
        eParticle* pList = AllocParticles(pPool, count);
        if (count > 0 && !pList) {
            // The pool reported it (failing the file being read, if any).
            m_pParticleList = nullptr;
            m_nMaxParticles = 0;
        } else {
            // The old array stays in its pool until that pool is reset.
            m_pParticleList = pList;
            m_nMaxParticles = static_cast<int16_t>(count);
        }
    }
    for (int i = 0; i < m_nMaxParticles; ++i)
        m_pParticleList[i].timeAlive = cTimeValue(-1);
    m_localToParent = pEmitter->m_localToParent;
    SetGeomFlagsOnOff(kDirty, 0);
    m_particleSystemLifetime = cTimeValue(0);
    m_timeOfLastParticleSpawn = cTimeValue(0);
    m_timeOfLastParticleJitter = cTimeValue(0);
    m_timeToNextParticleSpawn = cTimeValue(0);
    m_nCurrentParticles = 0;
    m_nLastFreeParticleSlot = 0;
}

int eParticleSystem::FindFreeParticleSlot(int& cursor)
{
    if (m_nCurrentParticles >= m_nMaxParticles)
        return -1;
    int slot = cursor >= 0 && cursor < m_nMaxParticles ? cursor : 0;
    for (int looked = 0; looked < m_nMaxParticles; ++looked) {
        if (m_pParticleList[slot].IsFree()) {
            cursor = slot + 1 < m_nMaxParticles ? slot + 1 : 0;
            return slot;
        }
        slot = slot + 1 < m_nMaxParticles ? slot + 1 : 0;
    }
    return -1;
}

void eParticleSystem::Update(cTimeValue dt, float speedScale)
{
    const eParticleEmitter* pEmitter = m_pParticleEmitter;
    if (!pEmitter)
        return;
    m_localToParent = pEmitter->m_localToParent;
    SetGeomFlagsOnOff(kDirty, 0);
    if (m_nGeomFlags & kDirty)
        UpdateLocalToZone();
    // The walk covers this system's own slots: an emitter shared with other
    // systems may have changed its count since this one was reset.
    if (pEmitter->m_nMaxParticles == 0 || m_nMaxParticles <= 0 || !m_pParticleList)
        return;
    if (dt.m_nTicks == 0)
        return;
    mBox box;
    box.MakeEmpty();
    m_particleSystemLifetime += dt;
    SpawnParticles();
    const cTimeValue age = m_particleSystemLifetime;
    const bool bJitterNow =
        pEmitter->m_jitterRate.m_nTicks > 0 && age - m_timeOfLastParticleJitter > pEmitter->m_jitterRate;
    if (bJitterNow)
        m_timeOfLastParticleJitter = age;
    if (m_nCurrentParticles > 0)
        StepParticles(dt, bJitterNow, speedScale, &box);
    UpdateVisRadius(box);
    if (m_nGeomFlags & kDirty)
        UpdateLocalToZone();
}

void eParticleSystem::SpawnParticles()
{
    const eParticleEmitter& e = *m_pParticleEmitter;
    const cTimeValue age = m_particleSystemLifetime;
    if (e.m_emitterLifetime.m_nTicks != 0 && age >= e.m_emitterLifetime)
        return;
    cTimeValue elapsed = age - m_timeOfLastParticleSpawn;
    while (elapsed >= m_timeToNextParticleSpawn) {
        const int slot = FindFreeParticleSlot(m_nLastFreeParticleSlot);
        if (slot < 0)
            break;  // full: the delay is not drawn again
        GenerateParticle(&m_pParticleList[slot]);
        ++m_nCurrentParticles;
        const float delay = WithTolerance(static_cast<float>(e.m_birthDelay.m_nTicks), e.m_fBirthDelayTolerance);
        m_timeToNextParticleSpawn = cTimeValue(TruncToInt(delay));
        elapsed -= m_timeToNextParticleSpawn;
        m_timeOfLastParticleSpawn = age;
    }
}

// Spins a particle by its rate; the sign of the roll chosen at birth keeps
// the direction, and whole turns are folded away.
static void Spin(eParticle* p, cTimeValue dt)
{
    const int64_t k = TruncToInt(p->fDegreesPer * static_cast<float>(dt.m_nTicks));
    if (p->nRoll >= 0) {
        int r = static_cast<int16_t>(p->nRoll + k);  // the sum is kept in 16 bits
        if (r > 360)
            r %= 360;
        p->nRoll = static_cast<int16_t>(r);
    } else {
        int r = static_cast<int16_t>(p->nRoll - k);
        if (r < -360)
            r = -((-r) % 360);
        p->nRoll = static_cast<int16_t>(r);
    }
}

void eParticleSystem::StepParticles(cTimeValue dt, bool bJitterNow, float speedScale, mBox* pBox)
{
    const eParticleEmitter& e = *m_pParticleEmitter;
    mVec3 accel;
    e.ComputeAcceleration(accel);
    const bool bSpin = !(e.m_orientation == eParticleEmitter::VERTICAL || e.m_bOrientAlongVelocity);
    for (int i = 0; i < m_nMaxParticles; ++i) {
        eParticle* p = &m_pParticleList[i];
        if (p->IsFree())
            continue;
        p->timeAlive += dt;
        if (p->lifetime.m_nTicks != 0 && p->timeAlive > p->lifetime) {
            m_nLastFreeParticleSlot = i;
            p->timeAlive = cTimeValue(-1);
            --m_nCurrentParticles;
        } else {
            if (bSpin)
                Spin(p, dt);
            DoParticleMovement(p, bJitterNow, accel, dt, p->timeAlive, speedScale);
        }
        pBox->Extend(1, &p->position, sizeof(mVec3));
    }
}

void eParticleSystem::UpdateVisRadius(const mBox& particles)
{
    const mVec3 origin = m_localToZone.origin;
    mBox box = particles;
    box.Extend(1, &origin, sizeof(mVec3));
    const float grow = m_pParticleEmitter->m_fMaxParticleRadius;
    box.minCorner -= mVec3(grow, grow, grow);
    box.maxCorner += mVec3(grow, grow, grow);
    mVec3 corners[8];
    box.GetCorners(corners);
    float radiusSq = 0.0f;
    for (const mVec3& c : corners) {
        const float d = c.DistSq(origin);
        if (d > radiusSq)
            radiusSq = d;
    }
    const float radius = mSqrt(radiusSq);
    if (radius != m_fVisRadius) {
        m_fVisRadius = radius;
        SetGeomFlagsOnOff(kDirty, 0);
    }
}

void eParticleSystem::GenerateParticle(eParticle* p)
{
    const eParticleEmitter& e = *m_pParticleEmitter;
    const mBasis& basis = m_localToZone.basis;
    p->fStartSize = WithTolerance(e.m_fStartSize, e.m_fSizeTolerance);

    const float rollRate = static_cast<float>(e.m_rollRate.m_nTicks);
    const float rollTime = e.m_fRollRateTolerance > 0.0f ? WithTolerance(rollRate, e.m_fRollRateTolerance) : rollRate;
    p->fDegreesPer = rollTime != 0.0f ? 360.0f / rollTime : 0.0f;

    mVec3 dir(0.0f, 1.0f, 0.0f);
    if (e.m_fHeadingAngleTolerance > 0.0f || e.m_fPitchAngleTolerance > 0.0f) {
        // The pitch (around the emission axis) is drawn before the heading.
        const float pitch = e.m_fPitchAngleTolerance * mRandTol();
        const float heading = e.m_fHeadingAngleTolerance * mRandTol();
        float sp, cp, sh, ch;
        mSinCos(pitch, &sp, &cp);
        mSinCos(heading, &sh, &ch);
        dir.Set(cp * sh, ch, sp * sh);
    }
    dir.Xform(dir, basis);
    if (e.m_fInitialSpeed > 0.0f)
        p->velocity = dir * WithTolerance(e.m_fInitialSpeed, e.m_fInitialSpeedTolerance);
    else
        p->velocity.Set(0.0f, 0.0f, 0.0f);

    const float rw = 0.5f * mRandTol() * e.m_volumeWDH.x;
    const float rd = 0.5f * mRandTol() * e.m_volumeWDH.y;
    const float rh = 0.5f * mRandTol() * e.m_volumeWDH.z;
    p->position = m_localToZone.origin + basis.right * rw + basis.forward * rd + basis.up * rh;

    p->lifetime = e.m_lifetime.m_nTicks == 0
                      ? cTimeValue(0)
                      : cTimeValue(TruncToInt(WithTolerance(static_cast<float>(e.m_lifetime.m_nTicks),
                                                            e.m_fLifetimeTolerance)));
    p->timeAlive = cTimeValue(0);

    if (e.m_bRandomRoll)
        p->nRoll = static_cast<int16_t>(TruncToInt(360.0f * mRandTol()));
    else
        p->nRoll = e.m_bOrientAlongVelocity ? eParticle::kRollUnaligned : 0;

    p->nStartFrame = 0;
    if (e.m_bRandomStartFrame) {
        const int s = e.m_nStartFrame;
        const int end = e.m_nEndFrame;
        const int n = end > s ? end - s + 1 : s - end + 1;
        const int base = end > s ? s : end;
        p->nStartFrame = static_cast<uint8_t>(base + TruncToInt(static_cast<float>(n) * mRand()));
    }
}

void eParticleSystem::DoParticleMovement(eParticle* p, bool bJitterNow, const mVec3& accel, cTimeValue dt,
                                         cTimeValue age, float speedScale)
{
    const eParticleEmitter& e = *m_pParticleEmitter;
    const float step = static_cast<float>(dt.m_nTicks);
    const float t = p->lifetime.m_nTicks > 0
                        ? static_cast<float>(age.m_nTicks) / static_cast<float>(p->lifetime.m_nTicks)
                        : 0.0f;
    p->velocity += accel * step;

    if (e.m_fAttractorInfluence != 0.0f) {
        const float speed = p->velocity.Length();
        mVec3 toward = m_attractorPoint - p->position;
        toward.Normalize();
        p->velocity += toward * (speed * e.m_fAttractorInfluence * step * kAttractorScale);
        if (e.m_jitterRate.m_nTicks == 0 && !bJitterNow) {
            // Restless kicks keep particles from settling on the point; the
            // first number drawn goes to z.
            const float kz = kRestlessKick * mRandTol();
            const float ky = kRestlessKick * mRandTol();
            const float kx = kRestlessKick * mRandTol();
            p->velocity += mVec3(kx, ky, kz);
        }
    }

    const bool bProfile = e.m_fEndSpeed >= 0.0f && p->lifetime.m_nTicks != 0;
    float k = 1.0f;
    if (bProfile) {
        const float v = e.m_fInitialSpeed + t * (e.m_fEndSpeed - e.m_fInitialSpeed);
        p->velocity.Normalize();
        p->velocity *= v;
        if (bJitterNow) {
            if (e.m_fInitialSpeed > 0.0f)
                k = v / e.m_fInitialSpeed;
            else if (e.m_fEndSpeed != 0.0f)
                k = v - v / e.m_fEndSpeed;
            // At rest from start to end there is no speed to scale by: k 1.
        }
    }

    if (bJitterNow) {
        const float jz = mRandTol() * e.m_jitter.z;
        const float jy = mRandTol() * e.m_jitter.y;
        const float jx = mRandTol() * e.m_jitter.x;
        p->velocity += bProfile ? mVec3(jx * k, jy * k, jz * k) : mVec3(jx, jy, jz);
    }

    if (e.m_fMaxSpeed > 0.0f) {
        const float limit = e.m_fMaxSpeed * speedScale;
        const float speed = p->velocity.Length();
        if (speed > limit)
            p->velocity *= limit / speed;
    }

    p->position += p->velocity * step;

    if (e.m_fEmitterInfluence > 0.0f) {
        const mVec3& o = m_localToZone.origin;
        p->position = o + (p->position - o) * (1.0f - e.m_fEmitterInfluence);
    }
}

void eParticleSystem::OnZoneChange(const mVec3& delta)
{
    for (int i = 0; i < m_nMaxParticles; ++i)
        m_pParticleList[i].position += delta;
}

bool eParticleSystem::PointInRectangle(const mVec3& p, const mVec3& w, const mVec3& h, const mVec3& origin)
{
    const mVec3 d = p - origin;
    const float s = d.Dot(w) / w.Dot(w);
    const float t = d.Dot(h) / h.Dot(h);
    return s >= 0.0f && s <= 1.0f && t >= 0.0f && t <= 1.0f;
}
