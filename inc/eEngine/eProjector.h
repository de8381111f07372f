#pragma once
// Projects the texture of a blend material onto the static zone geometry
// inside a perspective or orthographic volume: light pools, decals,
// caustics. Made by an effect for a template with a projector config,
// placed and faded by it, culled and drawn by the zone. Lives in its owner's
// pool; the config must outlive it. Main thread.

#include <cstdint>

#include "eEngine/eDrawInfo.h"
#include "eEngine/eGeom.h"
#include "mMath/mFrustum.h"

class eProjectorConfig;

class eProjector : public eGeom
{
    QM_DECLARE_TYPE(eProjector)
public:
    static constexpr uint32_t kVersion = 1;

    // The config's default volume, no material, intensity 1.
    eProjector();
    // Takes nothing of the source's config, material or volume.
    eProjector(const eProjector&);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1 holding the scene-node block; version 0 is skipped (false).
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Refiles when dirty and follows the config's placement.
    void Update(cTimeValue dt) override;
    void Cull(const eCamera& camera, const mFrustum& frustum, unsigned int clip) override;
    void CollisionCull(const eCollider&, const mSphere&) override {}
    // Redraws the zone geometry in the volume with the blend material and
    // the projected texture. Nothing when the material has no pass for the
    // sweep; the null material without a material.
    void Draw(const eCamera& camera, const eDrawInfo* pInfo) override;

    // Takes the material and the volume of the config and keeps the config.
    void SetConfig(const eProjectorConfig& config);
    // Takes a ready volume (the node's space); config and material stay.
    void SetFrustum(const mFrustum& frustum);

    mFrustum m_frustum;  // looking along +y of the node turned to look down
    eDrawInfo m_drawInfo;
    float m_fIntensity;  // opacity 0-1, written by the owner
    const eProjectorConfig* m_pConfig;
};
