#pragma once
// A shadow of its parent node laid onto the static zone geometry below it:
// a texture projected down from the node over an orthographic box, either
// the blend material's fixed texture (a blob) or a silhouette of the parent
// rendered into that texture the same frame. Attached as a child of the
// caster, culled by distance from the camera, drawn in its blend material's
// bin. Lives in its owner's pool; main thread.

#include <cstdint>

#include "eEngine/eDrawInfo.h"
#include "eEngine/eGeom.h"

class eShadowConfig;
class eTexture;

class eShadow : public eGeom
{
    QM_DECLARE_TYPE(eShadow)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr int kSilhouetteBorder = 2;  // empty texels around the silhouette, at twice the size
    static constexpr unsigned int kDrawCaster = 0x7;  // the parent's immediate draw: children, states, marked skipped

    // No materials, no silhouette, the default depth.
    eShadow();
    // Takes nothing of the source's settings (as a node made in zeroed pool
    // memory): the owner calls Set.
    eShadow(const eShadow&);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1 holding the scene-node block; the settings are not stored.
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Files the shadow for drawing unless it is farther than s_fShadowClip
    // (less the caster's radius) from the camera, and asks the caster to
    // pose itself for the silhouette.
    void Cull(const eCamera& camera, const mFrustum& frustum, unsigned int clip) override;
    void CollisionCull(const eCollider&, const mSphere&) override {}
    // Without a parent, or with a blend material that has no pass for the
    // sweep, nothing. Otherwise the silhouette pass (when asked for) and the
    // projection onto the zone geometry in the box.
    void Draw(const eCamera& camera, const eDrawInfo* pInfo) override;

    // Takes the config's settings and builds the box for a caster of that
    // half-size; the visibility radius follows (dirty when it changes).
    void Set(const eShadowConfig& config, float halfSize);
    // The opacity for the current distance: 1 up to the clip distance less
    // the caster's radius, falling to 0 at the clip distance.
    float GetFade() const;

    float m_fFar;
    eMaterialHandle m_hFillMaterial;
    bool m_bRenderToTexture;
    eDrawInfo m_drawInfo;  // its material is the blend material
    float m_fDistance;     // camera distance less the caster's radius, from the last cull

    static float s_fShadowClip;  // shadows farther than this are not drawn; set by the map

private:
    float CasterRadius() const;
    // Renders the caster's alpha into the blend material's first texture.
    void DrawSilhouette(const eCamera& camera, const eMaterial& blend, const mOCS& lightToZone, float radius);
};
