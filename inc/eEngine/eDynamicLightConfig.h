#pragma once
// The shared settings of flickering dynamic lights: the material projected
// onto the geometry the light reaches, base colour, reach, flicker depth and
// damping. Lives in the pool of the data that holds it (an effect template);
// lights point at it and do not own it. Main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "eEngine/eMaterial.h"

class eDynamicLightConfig : public cBase
{
    QM_DECLARE_TYPE(eDynamicLightConfig)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kDefaultColor = 0xFFFFFFFF;
    static constexpr float kDefaultRadius = 8.0f;
    static constexpr float kDefaultFlicker = 0.0f;
    static constexpr float kDefaultDamping = 0.75f;

    eDynamicLightConfig() = default;
    eDynamicLightConfig(const eDynamicLightConfig&) = default;

    cBase* Copy(cMemPool* pPool) const override;  // all five settings
    void Write(const cFile& file) const override;  // version 3
    // Versions 1 and later (0: skipped, false); fields an older version lacks
    // keep their defaults. A short block fails and changes nothing.
    bool Read(const cFile& file, cMemPool* pPool) override;

    eMaterialHandle hMaterial;
    uint32_t color = kDefaultColor;    // 0xAARRGGBB
    float fRadius = kDefaultRadius;    // zone units
    float fFlicker = kDefaultFlicker;  // how far the colour drops at full noise
    float fDamping = kDefaultDamping;  // smoothing of the noise per update, 0-1
};
