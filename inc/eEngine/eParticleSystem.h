#pragma once
// A scene node that owns a fixed array of particles: it spawns them at its
// emitter's rate, moves them under wind, gravity, an attractor point, jitter
// and a speed profile, keeps its bounding radius up to date, and draws every
// live particle as one textured, coloured quad in a single batch. The owner
// (an effect) sets the emitter, the attractor point and the alpha factor,
// re-arms the system with Reset and steps it with Update(time, scale). The
// slot array is carved from a pool at Reset and never freed by the system.
// Main thread only.

#include <cstdint>

#include "cCore/cTimeValue.h"
#include "eEngine/eDrawInfo.h"
#include "eEngine/eGeom.h"
#include "mMath/mBasis.h"
#include "mMath/mVec2.h"
#include "mMath/mVec3.h"

class eParticleEmitter;
struct mBox;

// One slot of the particle array.
struct eParticle {
    static constexpr int16_t kRollUnaligned = -999;  // velocity-aligned, not yet turned

    float fStartSize;      // edge length at birth
    mVec3 position;        // zone space
    mVec3 velocity;        // units per tick, zone space
    cTimeValue timeAlive;  // age; -1 marks a free slot
    float fDegreesPer;     // spin per tick
    cTimeValue lifetime;   // 0 = never expires
    int16_t nRoll;         // degrees
    uint8_t nStartFrame;   // atlas frame offset chosen at birth

    bool IsFree() const { return timeAlive.m_nTicks < 0; }
};

// One corner of a particle quad as it goes to the graphics pipe.
struct eParticleVertex {
    mVec3 pos;         // zone space
    uint8_t rgba[4];   // red, green, blue, alpha
    mVec2 uv0;         // atlas frame corner
    mVec2 uv1;         // the quad's own corner, 0 or 1
};

// What every quad of one draw shares.
struct eParticleDrawSetup {
    mVec3 baseColor;  // the material's diffuse colour, or white
    float fOpacity;   // the material's opacity, or 1
    mBasis camera;    // rows: camera right, forward, up
    mBasis world;     // the WORLD orientation's frame
};

class eParticleSystem : public eGeom
{
    QM_DECLARE_TYPE(eParticleSystem)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr float kAttractorScale = 0.001f;  // of speed x influence x step
    static constexpr float kRestlessKick = 1e-5f;     // the tiny kicks near an attractor
    static constexpr int kQuadVertices = 4;
    static constexpr int kMaxQuadsPerBatch = 0xFFFF / kQuadVertices;  // the vertex count is 16-bit

    // The global forces every system reads in its next step, units per tick
    // per tick: no wind; gravity 9.8 units per second squared down world Z.
    static mVec3 s_wind;
    static mVec3 s_gravity;

    // No emitter, no particles, alpha factor 1, every timer and count 0.
    eParticleSystem();
    // A copy of the node and its state whose particles live in its own array
    // (carved from its pool), so the two never step the same particles.
    eParticleSystem(const eParticleSystem& other);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2 holding the node block; the emitter is not stored.
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    using eGeom::Update;
    // Files the single draw record in the zone's bins; no visibility test.
    void Cull(const eCamera& camera, const mFrustum& frustum, unsigned int clip) override;
    void CollisionCull(const eCollider&, const mSphere&) override {}
    // Every live particle as one quad; nothing without live particles.
    void Draw(const eCamera& camera, const eDrawInfo* pInfo) override;
    // Moves every slot, live or free, by the offset between the zones.
    void OnZoneChange(const mVec3& delta) override;

    // Re-arms the system for m_pParticleEmitter: a slot array of the
    // emitter's count when it changed (from pPool), every slot free, the
    // emitter's placement, every timer zero. A count the pool cannot supply
    // leaves the system without slots (logged).
    void Reset(cMemPool* pPool);
    // One simulation step; speedScale multiplies the emitter's speed limit.
    void Update(cTimeValue dt, float speedScale);
    void GenerateParticle(eParticle* pParticle);
    // The first free slot from the cursor on (wrapping), moving the cursor
    // past it; -1 when every slot is live.
    int FindFreeParticleSlot(int& cursor);
    void DoParticleMovement(eParticle* pParticle, bool bJitterNow, const mVec3& accel, cTimeValue dt,
                            cTimeValue age, float speedScale);
    static bool PointInRectangle(const mVec3& p, const mVec3& w, const mVec3& h, const mVec3& origin);

    // 0-255: fades, blinking, the opacity and the alpha factor.
    int GetCurrentParticleAlpha(const eParticle* pParticle, float fOpacity) const;
    // The four corners of a live particle's quad in drawing order. A
    // velocity-aligned quad with a turn rate turns its roll here.
    void BuildParticleQuad(eParticle* pParticle, const eParticleDrawSetup& setup,
                           eParticleVertex out[kQuadVertices]) const;

    mVec3 m_attractorPoint;                  // zone space; set by the owner
    eParticleEmitter* m_pParticleEmitter;    // not owned; set before Reset
    eDrawInfo m_drawInfo;
    float m_fAlphaMod;                       // set by the owner
    cTimeValue m_timeToNextParticleSpawn;
    cTimeValue m_particleSystemLifetime;     // age of the system
    int32_t m_nLastFreeParticleSlot;         // where the free-slot search starts
    cTimeValue m_timeOfLastParticleSpawn;
    cTimeValue m_timeOfLastParticleJitter;
    int16_t m_nMaxParticles;                 // slots in m_pParticleList
    int16_t m_nCurrentParticles;             // live ones
    eParticle* m_pParticleList;

private:
    void SpawnParticles();
    void StepParticles(cTimeValue dt, bool bJitterNow, float speedScale, mBox* pBox);
    void UpdateVisRadius(const mBox& box);
    // The quad's up (A) and across (B) axes; false when the orientation
    // gives no quad for this particle.
    bool QuadAxes(eParticle* pParticle, const eParticleDrawSetup& setup, mVec3* pA, mVec3* pB) const;
    void ParticleColor(const eParticle* pParticle, const eParticleDrawSetup& setup, uint8_t rgba[4]) const;
    // Draw's work once the material is applied: the quads in batches.
    void SubmitQuads(const eParticleDrawSetup& setup);
};
