#pragma once
// The shared settings of projectors: where the projector sits under its
// parent, the material drawn onto the receivers (texture 0 the projected
// image, texture 1 the depth ramp) and the projection volume, perspective by
// angle or orthographic by width and height. Lives in the pool of the data
// that holds it (an effect template); projectors point at it and do not own
// it. Main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "eEngine/eMaterial.h"
#include "mMath/mOCS.h"

class eProjectorConfig : public cBase {
    QM_DECLARE_TYPE(eProjectorConfig)
public:
    static constexpr uint32_t kVersion = 1;

    // Identity placement, perspective 90 degrees from 0.5 to 4, box 2 x 2.
    eProjectorConfig();
    eProjectorConfig(const eProjectorConfig&) = default;

    cBase* Copy(cMemPool* pPool) const override;  // every member
    void Write(const cFile& file) const override;  // version 1
    // Version 1 and later (0: skipped, false). A short block changes nothing.
    bool Read(const cFile& file, cMemPool* pPool) override;

    mOCS localToParent;
    eMaterialHandle hBlendMaterial;
    bool bIsOrtho = false;
    float fNear = 0.5f;
    float fFar = 4.0f;
    float fAngle = 90.0f;  // degrees, both directions (perspective)
    float fWidth = 2.0f;   // orthographic box
    float fHeight = 2.0f;
};
