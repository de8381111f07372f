#pragma once
// The shape of a geometry trail: its material, how the ribbon is turned
// (across the node's up axis, or facing the camera), how many segments it
// keeps and how finely each is drawn, its width, where the fade toward the
// tail begins and whether the texture repeats per segment. Owned by an effect
// template in its pool; trails hold it by pointer. Main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "eEngine/eMaterial.h"

class eGeomTrailConfig : public cBase
{
    QM_DECLARE_TYPE(eGeomTrailConfig)
public:
    // Stored in files, so the numbers are fixed.
    enum eOrientation : int32_t {
        ORIENTATION_CAMERA = 0,      // centred on the node's path, facing the camera
        ORIENTATION_TWO_POINTS = 1,  // between two points across the node's up axis
        NUM_ORIENTATIONS = 2,
    };
    static const char* OrientationText(int orientation);  // "???" outside the enumeration

    static constexpr uint32_t kVersion = 5;
    static constexpr uint32_t kMinVersion = 5;
    // Read raises smaller values to these and lowers larger ones: a trail
    // needs one segment and one step per segment, and the limits keep a
    // damaged file from asking for a sample array or a strip without end.
    static constexpr int32_t kMinSegments = 1;
    static constexpr int32_t kMaxSegments = 1024;
    static constexpr int32_t kMinSubdivisions = 1;
    static constexpr int32_t kMaxSubdivisions = 256;

    // Two points, 3 segments, 1 step, width 1, fade over the whole strip,
    // stretched texture, no material.
    eGeomTrailConfig();

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5, fields in the stored order (fade start before width).
    void Write(const cFile& file) const override;
    // Versions 5 and later; older ones are skipped (false) and the fields
    // kept. Counts outside their limits are brought within them (logged).
    bool Read(const cFile& file, cMemPool* pPool) override;

    eMaterialHandle hMaterial;
    eOrientation orientation;
    int32_t nMaxSegments;   // the trail keeps this plus 1 samples
    int32_t nSubdivisions;  // strip steps per segment
    float fWidth;
    float fFadeStart;       // share of the strip, from its tail, that fades
    bool bTextureTiled;     // repeat once per segment, else stretch over the trail
};
