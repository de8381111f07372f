#pragma once
// A scene node that leaves a ribbon behind it: each update with time it
// records where it is (in zone space), keeps the most recent samples in a
// shift register and draws a smooth, textured strip through them that fades
// toward its tail. Its shape comes from an eGeomTrailConfig it does not own.
// Owned by an effect, which moves the node; the sample array is carved from
// the trail's own pool. Main thread only.

#include <cstdint>

#include "eEngine/eDrawInfo.h"
#include "eEngine/eGeom.h"
#include "mMath/mBox.h"
#include "mMath/mVec2.h"
#include "mMath/mVec3.h"

class eGeomTrailConfig;

// One recorded place: two edge points, or (facing the camera) the centre
// in the first. Stored 24 bytes apart, the spline's stride.
struct eGeomTrailSample {
    mVec3 first;
    mVec3 second;
};
static_assert(sizeof(eGeomTrailSample) == 24, "the spline reads samples 24 bytes apart");

// One strip vertex as it goes to the graphics pipe.
struct eGeomTrailVertex {
    mVec3 pos;        // zone space
    uint8_t rgba[4];  // red, green, blue, alpha
    mVec2 uv0;        // u along the trail, v across
    mVec2 uv1;        // (0, 1) on the first edge, (0, 0) on the second
};

class eGeomTrail : public eGeom
{
    QM_DECLARE_TYPE(eGeomTrail)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr int kMinDrawSamples = 4;  // fewer are not drawn
    static constexpr int kMinCullSamples = 2;  // fewer are not filed for drawing
    static constexpr int kMaxPairsPerBatch = 0xFFFF / 2;  // the vertex count is 16-bit

    // Receives the strip's vertex pairs in drawing order.
    class PairSink {
    public:
        virtual void Pair(const eGeomTrailVertex& first, const eGeomTrailVertex& second) = 0;

    protected:
        ~PairSink() = default;
    };

    // No material in its draw record, no samples, no configuration, alpha 1.
    eGeomTrail();
    // A copy of the node and the trail whose samples live in its own array
    // (carved from its pool), so the two never record into one buffer.
    eGeomTrail(const eGeomTrail& other);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1 holding the node block.
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Records a sample when time passed (the trail's length counts updates).
    void Update(cTimeValue dt) override;
    void Cull(const eCamera& camera, const mFrustum& frustum, unsigned int clip) override;
    void CollisionCull(const eCollider&, const mSphere&) override {}
    void Draw(const eCamera& camera, const eDrawInfo* pInfo) override;
    // Moves every recorded sample by the offset between the zones.
    void OnZoneChange(const mVec3& delta) override;

    // Attaches a configuration (not owned) and restarts the trail: identity
    // frames, no samples, alpha 1; a new sample array when the segment count
    // changes (the old one stays in the pool). Null detaches.
    void SetGeomTrailConfig(const eGeomTrailConfig* pConfig);

    // The strip through the recorded samples as vertex pairs: the head pair,
    // then subdivisions x (samples + 1) more. rgb and baseAlpha come from the
    // material (or white and m_fAlpha). Nothing with fewer than
    // kMinDrawSamples samples.
    void BuildStrip(const eCamera& camera, const uint8_t rgb[3], float baseAlpha, PairSink& sink) const;
    // Pairs BuildStrip gives for the current samples; 0 when it gives none.
    int CountStripPairs() const;

    eDrawInfo m_drawInfo;
    mBox m_box;                            // bounds of the samples, zone space
    eGeomTrailSample* m_pParticleList;     // segments + 1 samples; 0 the newest
    int32_t m_nParticles;                  // samples recorded, up to segments + 1
    float m_fAlpha;                        // set by the owner
    const eGeomTrailConfig* m_pConfig;

private:
    // Segments the array can serve: the configuration's, bounded by the
    // array this trail carved for it.
    int Segments() const;
    void Record(const eGeomTrailSample& sample);
    void UpdateBox();

    int32_t m_nSampleSlots;  // samples the array holds
};
