#pragma once
// A flickering point light placed in a zone as a scene node (torches, fires,
// glowing effects). Each update computes this frame's colour; culled, it
// files itself for the post-shadow pass, where it lights the zone geometry
// inside its cube by drawing it once more with its material projected from
// two directions, and fills one of the three omni light slots so nearby
// models are lit by it too. Owned by an effect, in that effect's pool; the
// config is shared and not owned. Main thread.

#include <cstdint>

#include "eEngine/eDrawInfo.h"
#include "eEngine/eGeom.h"
#include "mMath/mVec4.h"

class eDynamicLightConfig;

class eDynamicLight : public eGeom
{
    QM_DECLARE_TYPE(eDynamicLight)
public:
    static constexpr uint32_t kVersion = 1;
    // An untextured light's strength on the surfaces: 1 / (1 + this (d / r)^2),
    // a sixteenth at its radius and under one colour step from about four
    // radii on.
    static constexpr float kUntexturedFalloff = 15.0f;

    // No config, intensity 1, no flicker yet.
    eDynamicLight();
    // Takes nothing from the source: no config or material, zero colour and
    // intensity 0 until the owner sets it (as copies made in zeroed pool
    // memory are).
    eDynamicLight(const eDynamicLight&);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1 holding the scene-node block; version 0 is skipped (false).
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Refiles when dirty, then smooths fresh noise into the flicker and
    // computes this frame's colour. Needs a config (without one only the
    // refiling is done).
    void Update(cTimeValue dt) override;
    // Files the light for the post-shadow pass of its zone.
    void Cull(const eCamera& camera, const mFrustum& frustum, unsigned int clip) override;
    void CollisionCull(const eCollider&, const mSphere&) override {}
    // Relights the zone geometry inside its cube with its material (an
    // unresolved material or one without a pass for the sweep draws nothing),
    // adding its light to what is drawn (an opaque material is drawn
    // additively), and takes the next free omni slot; with all three taken
    // it still lights the geometry. Without a material it adds its colour,
    // falling off with distance.
    void Draw(const eCamera& camera, const eDrawInfo* pInfo) override;

    // Keeps the config; takes its material and, when it differs, its radius
    // (and becomes dirty so it is refiled).
    void SetConfig(const eDynamicLightConfig& config);

    eDrawInfo m_drawInfo;
    mVec4 m_drawColor;      // this frame's colour, r g b a
    float m_fPrevFlicker;   // smoothed noise
    float m_fIntensity;     // the owner's fade, scales the colour
    const eDynamicLightConfig* m_pLightConfig;

private:
    void LoadProjection() const;
};
