#pragma once
// The shared settings of projected shadows: the material that draws the
// shadow onto the zone (its first pass carries the shadow texture and the
// fade ramp), the material the caster is drawn with into that texture, the
// silhouette switch and the depth of the shadow box. Lives in the pool of
// the data that holds it (an entity template); shadows copy what they need.
// Main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "eEngine/eMaterial.h"

class eShadowConfig : public cBase {
    QM_DECLARE_TYPE(eShadowConfig)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr float kDefaultFar = 5.0f;

    eShadowConfig() = default;
    eShadowConfig(const eShadowConfig&) = default;

    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;  // version 2
    // Versions 1 and 2 (others: skipped, false); version 1 carries unused
    // words around the same settings. A short block changes nothing.
    bool Read(const cFile& file, cMemPool* pPool) override;

    eMaterialHandle hBlendMaterial;
    eMaterialHandle hFillMaterial;
    bool bRenderToTexture = false;
    float fFar = kDefaultFar;  // zone units below the node
};
