#pragma once
// The parameter set of a particle effect: slot count, spawn rate and span,
// launch cone, speed and spread, movement (speed profile and limit, jitter,
// spin, wind, gravity, attractor, pull back), look (material, flip-book
// atlas, colour and size ramps, fades, blinking) and the placement of the
// system under its parent. Systems hold it by pointer, so several may share
// one. Setters keep the derived values (reciprocals, blink breakpoints,
// radius) in step; change parameters through them. Lives in the pool of the
// effect template that owns it; main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cTimeValue.h"
#include "eEngine/eMaterial.h"
#include "mMath/mOCS.h"
#include "mMath/mPlane.h"
#include "mMath/mVec2.h"

struct eParticle;

class eParticleEmitter : public cBase
{
    QM_DECLARE_TYPE(eParticleEmitter)
public:
    // How each quad is turned; stored in files, so the numbers are fixed.
    enum eOrientation : int32_t {
        BILLBOARD = 0,   // faces the camera
        HORIZONTAL = 1,  // lies in the world X-Y plane
        VERTICAL = 2,    // stands on world Z, turned about it toward the camera
        WORLD = 3,       // fixed by m_worldAlignment
        NUM_ORIENTATIONS = 4,
    };
    static const char* OrientationText(int orientation);  // "???" outside the enumeration

    static constexpr uint32_t kVersion = 17;
    static constexpr uint32_t kMinVersion = 14;
    static constexpr uint32_t kLifetimeVersion = 15;       // adds m_emitterLifetime
    static constexpr uint32_t kWorldAlignVersion = 16;     // adds m_worldAlignment
    static constexpr uint32_t kEmitterInfluenceVersion = 17;
    static constexpr int kPayloadBytes = 348;              // version 17, after the base block
    static constexpr float kRadiusScale = 1.414f;          // as stored, not sqrt(2)
    static constexpr float kToleranceRadiusScale = 0.99f;
    static constexpr float kSuggestScale = 0.99f;          // GetSuggestedMaxParticles' margin

    // The defaults of a new emitter.
    eParticleEmitter();

    cBase* Copy(cMemPool* pPool) const override;
    // Version 17, every field; the orientation as a short.
    void Write(const cFile& file) const override;
    // Versions 14 to 17; fields a version lacks keep their values. Older,
    // newer or short blocks: skipped, false, the emitter unchanged. Rebuilds
    // every derived value.
    bool Read(const cFile& file, cMemPool* pPool) override;

    void SetOrientation(eOrientation orientation);  // VERTICAL clears random roll and velocity alignment
    void SetOrientAlongVelocity(bool b);            // true clears random roll
    void SetRandomRoll(bool b) { m_bRandomRoll = b; }
    void SetColorStart(float r, float g, float b);
    void SetColorEnd(float r, float g, float b);
    void SetStartSize(float f);
    void SetEndSize(float f);
    void SetSizeTolerance(float f);
    void UpdateMaxParticleRadius();
    void SetFramesInX(int16_t n);
    void SetFramesInY(int16_t n);
    void SetFramesPerSecond(int16_t n);
    void SetFadeInTime(cTimeValue t);
    void SetFadeOutTime(cTimeValue t);
    void SetBlinkFadePercent(float f);
    void SetMaterial(eMaterialHandle h) { m_hMaterial = h; }
    void SetStartFrame(int16_t n) { m_nStartFrame = n; }
    void SetEndFrame(int16_t n) { m_nEndFrame = n; }
    void SetLifetime(cTimeValue t) { m_lifetime = t; }
    void SetBirthDelay(cTimeValue t) { m_birthDelay = t; }
    void SetLifetimeTolerance(float f) { m_fLifetimeTolerance = f; }
    void SetBirthDelayTolerance(float f) { m_fBirthDelayTolerance = f; }
    void SetInitialSpeed(float f) { m_fInitialSpeed = f; }
    void SetInitialSpeedTolerance(float f) { m_fInitialSpeedTolerance = f; }
    void SetHeadingAngleTolerance(float f) { m_fHeadingAngleTolerance = f; }
    void SetPitchAngleTolerance(float f) { m_fPitchAngleTolerance = f; }
    void SetWindScale(float f) { m_fWindScale = f; }
    void SetGravityScale(float f) { m_fGravityScale = f; }

    // Wind and gravity of the particle systems, weighted by this emitter.
    void ComputeAcceleration(mVec3& out) const;
    // Slots enough for a lifetime's particles at the birth rate, with margin;
    // m_nMaxParticles when either time is not positive.
    int GetSuggestedMaxParticles() const;
    // Edge length of the particle's quad at its age.
    float GetCurrentParticleSize(const eParticle* pParticle) const;
    // Texture corners of the particle's atlas frame at its age. Atlases
    // without columns or rows, or frames too fast to last a tick, show
    // frame 0 (the whole texture without an atlas).
    void GetCurrentParticleAnimUVs(const eParticle* pParticle, mVec2& first, mVec2& second) const;

    int16_t m_nMaxParticles;
    cTimeValue m_emitterLifetime;   // spawning stops at this system age; 0 = never
    eOrientation m_orientation;
    bool m_bOrientAlongVelocity;
    bool m_bRandomStartFrame;
    cTimeValue m_lifetime;          // 0 = particles never expire
    float m_fLifetimeTolerance;
    cTimeValue m_birthDelay;
    float m_fBirthDelayTolerance;
    float m_fHeadingAngleTolerance;  // degrees away from the emission axis
    float m_fPitchAngleTolerance;    // degrees around it
    float m_fInitialSpeed;           // units per tick; <= 0 = at rest
    float m_fInitialSpeedTolerance;
    float m_fEndSpeed;               // < 0 = no speed profile
    float m_fMaxSpeed;               // <= 0 = no limit
    int16_t m_nStartFrame;
    int16_t m_nEndFrame;
    cTimeValue m_jitterRate;         // 0 = no jitter kicks
    mVec3 m_jitter;
    cTimeValue m_rollRate;           // ticks of one full spin
    float m_fRollRateTolerance;
    cTimeValue m_blinkRate;          // 0 = no blinking
    float m_fBlinkFadePercent;       // 0-1
    mVec3 m_colorStart;              // 0-1
    mVec3 m_colorEnd;
    mVec3 m_volumeWDH;               // spawn box along right, forward, up
    float m_fStartSize;
    float m_fSizeTolerance;
    float m_fEndSize;                // 0 = size stays constant
    int16_t m_nFramesInX;
    int16_t m_nFramesInY;
    int16_t m_nFramesPerSecond;      // <= 0 = no animation
    int16_t m_nMaximumTurnRate;      // degrees per drawn frame; 0 = at once
    eMaterialHandle m_hMaterial;
    cTimeValue m_fadeInTime;
    cTimeValue m_fadeOutTime;
    bool m_bRandomRoll;
    float m_fWindScale;
    float m_fGravityScale;
    float m_fAttractorInfluence;     // 0 = off
    float m_fEmitterInfluence;       // 0-1 pull back per step; <= 0 = off
    mVec3 m_attractorInitialOffset;  // in the system's frame
    mOCS m_worldAlignment;
    mOCS m_localToParent;
    bool m_bInterpolateColor;        // derived
    float m_fOneOverFramesInX;       // derived
    float m_fOneOverFramesInY;       // derived
    float m_fOneOverFadeInTime;      // derived
    float m_fOneOverFadeOutTime;     // derived
    int32_t m_nMillisecondsPerFrame; // derived: ticks per atlas frame
    float m_fMaxParticleRadius;      // derived
    float m_fDegreesPerMillisecond;  // carried only
    float m_fAlphaZeroEnd;           // derived blink breakpoints
    float m_fAlphaFullEnd;
    float m_fAlphaUpEnd;
    mPlane m_collisionPlane;         // collision data: read, written and copied only
    mVec3 m_rectW;
    mVec3 m_rectH;
    mVec3 m_collisionRectOrigin;
    bool m_bDoCollision;
    float m_fCollisionElasticity;
    float m_fOOSlopeLength;          // derived
    mVec3 m_particleMinMax[2];       // derived

private:
    void UpdateInterpolateColor();
    void UpdateMinMax();
    void UpdateBlink();
    void UpdateDerived();
};
