#include "eEngine/eParticleEmitter.h"

#include <cstdint>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eParticleSystem.h"

QM_DEFINE_TYPE(eParticleEmitter, cBase, 29)

const char* eParticleEmitter::OrientationText(int orientation)
{
    static const char* const kNames[NUM_ORIENTATIONS] = {"BILLBOARD", "HORIZONTAL", "VERTICAL", "WORLD"};
    return orientation >= 0 && orientation < NUM_ORIENTATIONS ? kNames[orientation] : "???";
}

eParticleEmitter::eParticleEmitter()
    : m_nMaxParticles(0),
      m_emitterLifetime(0),
      m_orientation(BILLBOARD),
      m_bOrientAlongVelocity(false),
      m_bRandomStartFrame(false),
      m_lifetime(1000),
      m_fLifetimeTolerance(0.0f),
      m_birthDelay(100),
      m_fBirthDelayTolerance(0.0f),
      m_fHeadingAngleTolerance(30.0f),
      m_fPitchAngleTolerance(30.0f),
      m_fInitialSpeed(0.006f),
      m_fInitialSpeedTolerance(0.0f),
      m_fEndSpeed(-1.0f),
      m_fMaxSpeed(0.0f),
      m_nStartFrame(0),
      m_nEndFrame(0),
      m_jitterRate(0),
      m_jitter(0.0f, 0.0f, 0.0f),
      m_rollRate(0),
      m_fRollRateTolerance(0.0f),
      m_blinkRate(0),
      m_fBlinkFadePercent(0.0f),
      m_colorStart(1.0f, 1.0f, 1.0f),
      m_colorEnd(1.0f, 1.0f, 1.0f),
      m_volumeWDH(0.0f, 0.0f, 0.0f),
      m_fStartSize(0.2f),
      m_fSizeTolerance(0.0f),
      m_fEndSize(0.2f),
      m_nFramesInX(0),
      m_nFramesInY(0),
      m_nFramesPerSecond(0),
      m_nMaximumTurnRate(0),
      m_hMaterial(),
      m_fadeInTime(500),
      m_fadeOutTime(500),
      m_bRandomRoll(false),
      m_fWindScale(0.0f),
      m_fGravityScale(0.0f),
      m_fAttractorInfluence(0.0f),
      m_fEmitterInfluence(0.0f),
      m_attractorInitialOffset(0.0f, 0.0f, 0.0f),
      m_bInterpolateColor(false),
      m_fOneOverFramesInX(0.0f),
      m_fOneOverFramesInY(0.0f),
      m_fOneOverFadeInTime(0.0f),
      m_fOneOverFadeOutTime(0.0f),
      m_nMillisecondsPerFrame(0),
      m_fMaxParticleRadius(0.0f),
      m_fDegreesPerMillisecond(0.0f),
      m_fAlphaZeroEnd(0.0f),
      m_fAlphaFullEnd(0.0f),
      m_fAlphaUpEnd(0.0f),
      m_rectW(1.0f, 0.0f, 0.0f),
      m_rectH(0.0f, 1.0f, 0.0f),
      m_collisionRectOrigin(0.0f, 0.0f, 0.0f),
      m_bDoCollision(false),
      m_fCollisionElasticity(1.0f),
      m_fOOSlopeLength(0.0f)
{
    m_worldAlignment.MakeIdentity();
    m_localToParent.MakeIdentity();
    m_collisionPlane.normal.Set(0.0f, 0.0f, -1.0f);
    m_collisionPlane.offset = 0.0f;
    UpdateDerived();
}

cBase* eParticleEmitter::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eParticleEmitter>(*this) : nullptr;
}

static void WriteOCS(const cWriteBlock& wb, const mOCS& o)
{
    wb.WriteFloats(o.origin.v, 3);
    wb.WriteFloats(o.basis.right.v, 3);
    wb.WriteFloats(o.basis.forward.v, 3);
    wb.WriteFloats(o.basis.up.v, 3);
}

static void ReadOCS(const cReadBlock& rb, mOCS* pOut)
{
    rb.ReadFloats(pOut->origin.v, 3);
    rb.ReadFloats(pOut->basis.right.v, 3);
    rb.ReadFloats(pOut->basis.forward.v, 3);
    rb.ReadFloats(pOut->basis.up.v, 3);
}

void eParticleEmitter::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    wb.WriteShort(m_nMaxParticles);
    wb.WriteInt(m_emitterLifetime.m_nTicks);
    wb.WriteShort(static_cast<int16_t>(m_orientation));
    wb.WriteBool(m_bOrientAlongVelocity);
    wb.WriteBool(m_bRandomStartFrame);
    wb.WriteInt(m_lifetime.m_nTicks);
    wb.WriteFloat(m_fLifetimeTolerance);
    wb.WriteInt(m_birthDelay.m_nTicks);
    wb.WriteFloat(m_fBirthDelayTolerance);
    wb.WriteFloat(m_fHeadingAngleTolerance);
    wb.WriteFloat(m_fPitchAngleTolerance);
    wb.WriteFloat(m_fInitialSpeed);
    wb.WriteFloat(m_fInitialSpeedTolerance);
    wb.WriteFloat(m_fEndSpeed);
    wb.WriteFloat(m_fMaxSpeed);
    wb.WriteShort(m_nStartFrame);
    wb.WriteShort(m_nEndFrame);
    wb.WriteInt(m_jitterRate.m_nTicks);
    wb.WriteFloats(m_jitter.v, 3);
    wb.WriteInt(m_rollRate.m_nTicks);
    wb.WriteFloat(m_fRollRateTolerance);
    wb.WriteInt(m_blinkRate.m_nTicks);
    wb.WriteFloat(m_fBlinkFadePercent);
    wb.WriteFloats(m_colorStart.v, 3);
    wb.WriteFloats(m_colorEnd.v, 3);
    wb.WriteFloats(m_volumeWDH.v, 3);
    wb.WriteFloat(m_fStartSize);
    wb.WriteFloat(m_fSizeTolerance);
    wb.WriteFloat(m_fEndSize);
    wb.WriteShort(m_nFramesInX);
    wb.WriteShort(m_nFramesInY);
    wb.WriteShort(m_nFramesPerSecond);
    m_hMaterial.Write(wb);
    wb.WriteInt(m_fadeInTime.m_nTicks);
    wb.WriteInt(m_fadeOutTime.m_nTicks);
    wb.WriteBool(m_bRandomRoll);
    wb.WriteFloat(m_fWindScale);
    wb.WriteFloat(m_fGravityScale);
    wb.WriteFloat(m_fAttractorInfluence);
    wb.WriteFloat(m_fEmitterInfluence);
    WriteOCS(wb, m_worldAlignment);
    WriteOCS(wb, m_localToParent);
    wb.WriteFloats(m_attractorInitialOffset.v, 3);
    wb.WriteShort(m_nMaximumTurnRate);
    wb.WriteBool(m_bDoCollision);
    wb.WriteFloats(m_collisionRectOrigin.v, 3);
    wb.WriteFloats(m_rectW.v, 3);
    wb.WriteFloats(m_rectH.v, 3);
    wb.WriteFloats(m_collisionPlane.normal.v, 3);
    wb.WriteFloat(m_collisionPlane.offset);
    wb.WriteFloat(m_fCollisionElasticity);
}

static cTimeValue ReadTime(const cReadBlock& rb)
{
    return cTimeValue(rb.ReadInt());
}

// The fields of the block in their stored order into e; fields the version
// lacks keep what e holds.
static void ReadFields(const cReadBlock& rb, cMemPool* pPool, eParticleEmitter& e)
{
    const uint32_t v = rb.m_nVersion;
    e.m_nMaxParticles = rb.ReadShort();
    if (v >= eParticleEmitter::kLifetimeVersion)
        e.m_emitterLifetime = ReadTime(rb);
    e.m_orientation = static_cast<eParticleEmitter::eOrientation>(rb.ReadShort());
    e.m_bOrientAlongVelocity = rb.ReadBool();
    e.m_bRandomStartFrame = rb.ReadBool();
    e.m_lifetime = ReadTime(rb);
    e.m_fLifetimeTolerance = rb.ReadFloat();
    e.m_birthDelay = ReadTime(rb);
    e.m_fBirthDelayTolerance = rb.ReadFloat();
    e.m_fHeadingAngleTolerance = rb.ReadFloat();
    e.m_fPitchAngleTolerance = rb.ReadFloat();
    e.m_fInitialSpeed = rb.ReadFloat();
    e.m_fInitialSpeedTolerance = rb.ReadFloat();
    e.m_fEndSpeed = rb.ReadFloat();
    e.m_fMaxSpeed = rb.ReadFloat();
    e.m_nStartFrame = rb.ReadShort();
    e.m_nEndFrame = rb.ReadShort();
    e.m_jitterRate = ReadTime(rb);
    rb.ReadFloats(e.m_jitter.v, 3);
    e.m_rollRate = ReadTime(rb);
    e.m_fRollRateTolerance = rb.ReadFloat();
    e.m_blinkRate = ReadTime(rb);
    e.m_fBlinkFadePercent = rb.ReadFloat();
    rb.ReadFloats(e.m_colorStart.v, 3);
    rb.ReadFloats(e.m_colorEnd.v, 3);
    rb.ReadFloats(e.m_volumeWDH.v, 3);
    e.m_fStartSize = rb.ReadFloat();
    e.m_fSizeTolerance = rb.ReadFloat();
    e.m_fEndSize = rb.ReadFloat();
    e.m_nFramesInX = rb.ReadShort();
    e.m_nFramesInY = rb.ReadShort();
    e.m_nFramesPerSecond = rb.ReadShort();
    e.m_hMaterial.Read(rb, pPool);
    e.m_fadeInTime = ReadTime(rb);
    e.m_fadeOutTime = ReadTime(rb);
    e.m_bRandomRoll = rb.ReadBool();
    e.m_fWindScale = rb.ReadFloat();
    e.m_fGravityScale = rb.ReadFloat();
    e.m_fAttractorInfluence = rb.ReadFloat();
    if (v >= eParticleEmitter::kEmitterInfluenceVersion)
        e.m_fEmitterInfluence = rb.ReadFloat();
    if (v >= eParticleEmitter::kWorldAlignVersion)
        ReadOCS(rb, &e.m_worldAlignment);
    ReadOCS(rb, &e.m_localToParent);
    rb.ReadFloats(e.m_attractorInitialOffset.v, 3);
    e.m_nMaximumTurnRate = rb.ReadShort();
    e.m_bDoCollision = rb.ReadBool();
    rb.ReadFloats(e.m_collisionRectOrigin.v, 3);
    rb.ReadFloats(e.m_rectW.v, 3);
    rb.ReadFloats(e.m_rectH.v, 3);
    rb.ReadFloats(e.m_collisionPlane.normal.v, 3);
    e.m_collisionPlane.offset = rb.ReadFloat();
    e.m_fCollisionElasticity = rb.ReadFloat();
}

bool eParticleEmitter::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("eParticleEmitter", "version");
    cBase::Read(file, pPool);
    eParticleEmitter e(*this);
    ReadFields(rb, pPool, e);
    if (rb.Failed())
        return false;
    *this = e;
    UpdateDerived();
    return true;
}

void eParticleEmitter::UpdateDerived()
{
    UpdateInterpolateColor();
    SetFramesInX(m_nFramesInX);
    SetFramesInY(m_nFramesInY);
    SetFramesPerSecond(m_nFramesPerSecond);
    SetStartSize(m_fStartSize);
    SetEndSize(m_fEndSize);
    SetSizeTolerance(m_fSizeTolerance);
    SetFadeInTime(m_fadeInTime);
    SetFadeOutTime(m_fadeOutTime);
    SetBlinkFadePercent(m_fBlinkFadePercent);
}

void eParticleEmitter::SetOrientation(eOrientation orientation)
{
    m_orientation = orientation;
    if (orientation == VERTICAL) {
        // Upright quads turn only to face the camera: no spin, no alignment.
        m_bRandomRoll = false;
        m_bOrientAlongVelocity = false;
    }
}

void eParticleEmitter::SetOrientAlongVelocity(bool b)
{
    m_bOrientAlongVelocity = b;
    if (b)
        m_bRandomRoll = false;
}

void eParticleEmitter::UpdateInterpolateColor()
{
    m_bInterpolateColor = !(m_colorStart.x == m_colorEnd.x && m_colorStart.y == m_colorEnd.y &&
                            m_colorStart.z == m_colorEnd.z);
}

void eParticleEmitter::SetColorStart(float r, float g, float b)
{
    m_colorStart.Set(r, g, b);
    UpdateInterpolateColor();
}

void eParticleEmitter::SetColorEnd(float r, float g, float b)
{
    m_colorEnd.Set(r, g, b);
    UpdateInterpolateColor();
}

void eParticleEmitter::UpdateMaxParticleRadius()
{
    const float larger = m_fStartSize > m_fEndSize ? m_fStartSize : m_fEndSize;
    m_fMaxParticleRadius = kRadiusScale * (larger + kToleranceRadiusScale * m_fSizeTolerance);
}

void eParticleEmitter::UpdateMinMax()
{
    const float e = m_fEndSize;
    m_particleMinMax[0].Set(-e, -e, -e);
    m_particleMinMax[1].Set(e, e, e);
}

void eParticleEmitter::SetStartSize(float f)
{
    m_fStartSize = f;
    UpdateMaxParticleRadius();
}

void eParticleEmitter::SetEndSize(float f)
{
    m_fEndSize = f;
    UpdateMinMax();
    UpdateMaxParticleRadius();
}

void eParticleEmitter::SetSizeTolerance(float f)
{
    m_fSizeTolerance = f;
    UpdateMaxParticleRadius();
}

void eParticleEmitter::SetFramesInX(int16_t n)
{
    m_nFramesInX = n;
    m_fOneOverFramesInX = n > 0 ? 1.0f / static_cast<float>(n) : 0.0f;
}

void eParticleEmitter::SetFramesInY(int16_t n)
{
    // Unlike the columns, a negative row count keeps its (negative) reciprocal.
    m_nFramesInY = n;
    m_fOneOverFramesInY = n != 0 ? 1.0f / static_cast<float>(n) : 0.0f;
}

void eParticleEmitter::SetFramesPerSecond(int16_t n)
{
    m_nFramesPerSecond = n;
    // The atlas clock runs on particle age in ticks: one frame lasts this many.
    m_nMillisecondsPerFrame = n >= 1 ? 1000 / n : 0;
}

void eParticleEmitter::SetFadeInTime(cTimeValue t)
{
    m_fadeInTime = t;
    m_fOneOverFadeInTime = t.m_nTicks > 0 ? 1.0f / static_cast<float>(t.m_nTicks) : 0.0f;
}

void eParticleEmitter::SetFadeOutTime(cTimeValue t)
{
    m_fadeOutTime = t;
    m_fOneOverFadeOutTime = t.m_nTicks > 0 ? 1.0f / static_cast<float>(t.m_nTicks) : 0.0f;
}

void eParticleEmitter::SetBlinkFadePercent(float f)
{
    m_fBlinkFadePercent = f;
    UpdateBlink();
}

void eParticleEmitter::UpdateBlink()
{
    // A blink period: dark up to ZeroEnd, rising to UpEnd (the middle), full
    // to FullEnd, then falling; the rise and the fall each take h.
    const float h = 0.5f * m_fBlinkFadePercent;
    m_fAlphaZeroEnd = 0.5f - h;
    m_fAlphaUpEnd = m_fAlphaZeroEnd + h;
    m_fAlphaFullEnd = m_fAlphaUpEnd + m_fAlphaZeroEnd;
    m_fOOSlopeLength = h > 0.0f ? 1.0f / h : 0.0f;
}

void eParticleEmitter::ComputeAcceleration(mVec3& out) const
{
    const mVec3& wind = eParticleSystem::s_wind;
    const mVec3& gravity = eParticleSystem::s_gravity;
    out.Set(wind.x * m_fWindScale + gravity.x * m_fGravityScale, wind.y * m_fWindScale + gravity.y * m_fGravityScale,
            wind.z * m_fWindScale + gravity.z * m_fGravityScale);
}

// The integer part of a sum of two tick counts: within 64 bits for any
// 32-bit count, so the conversion is always defined.
static int64_t TruncTo64(float f)
{
    return static_cast<int64_t>(f);
}

int eParticleEmitter::GetSuggestedMaxParticles() const
{
    const float lifetime = static_cast<float>(m_lifetime.m_nTicks);
    const float delay = static_cast<float>(m_birthDelay.m_nTicks);
    const int64_t a = TruncTo64(lifetime + kSuggestScale * lifetime);
    const int64_t b = TruncTo64(delay + kSuggestScale * delay);
    if (a > 0 && b > 0) {
        const int64_t n = (a + b - 1) / b;
        return n < INT32_MAX ? static_cast<int>(n) : INT32_MAX;
    }
    return m_nMaxParticles;
}

float eParticleEmitter::GetCurrentParticleSize(const eParticle* p) const
{
    if (p->lifetime.m_nTicks < 1 || m_fEndSize == 0.0f)
        return p->fStartSize;
    return p->fStartSize + (m_fEndSize - p->fStartSize) * static_cast<float>(p->timeAlive.m_nTicks) /
                               static_cast<float>(p->lifetime.m_nTicks);
}

// The atlas frame the particle shows at its age: counted up from the start
// frame, or down from it when the end frame lies below.
static int AtlasFrame(const eParticleEmitter& e, const eParticle* p)
{
    const int s = e.m_nStartFrame;
    const int end = e.m_nEndFrame;
    if (e.m_nFramesPerSecond < 1)
        return e.m_bRandomStartFrame ? p->nStartFrame : s;
    const int ticksPerFrame = e.m_nMillisecondsPerFrame;
    if (ticksPerFrame <= 0)
        return 0;  // faster than a frame a tick: no clock to count by
    if (end > s)
        return s + (p->nStartFrame + p->timeAlive.m_nTicks / ticksPerFrame) % (end - s + 1);
    const int remaining = p->lifetime.m_nTicks - p->timeAlive.m_nTicks;
    return end + (p->nStartFrame + remaining / ticksPerFrame) % (s - end + 1);
}

void eParticleEmitter::GetCurrentParticleAnimUVs(const eParticle* p, mVec2& first, mVec2& second) const
{
    const int columns = m_nFramesInX;
    const int rows = m_nFramesInY;
    if (columns < 2 && rows < 2) {
        first.Set(0.0f, 0.0f);
        second.Set(1.0f, 1.0f);
        return;
    }
    if (columns < 1) {
        // A sheet of rows without columns has no frame arithmetic (the frame
        // is divided by the columns): frame 0, across the whole width.
        first.Set(0.0f, 0.0f);
        second.Set(1.0f, m_fOneOverFramesInY);
        return;
    }
    // Rows of 0 or less are only a reciprocal: the stored one scales the row.
    const int f = AtlasFrame(*this, p);
    const int column = f % columns;
    const int row = f / columns;
    first.Set(static_cast<float>(column) * m_fOneOverFramesInX, static_cast<float>(row) * m_fOneOverFramesInY);
    second.Set(static_cast<float>(column + 1) * m_fOneOverFramesInX, static_cast<float>(row + 1) * m_fOneOverFramesInY);
}
