#pragma once
// The game camera's tuning values: speed limits, smoothing poles and the
// offsets of the follow-entity and look-at controllers. The camera holds one
// set (back to the defaults at each camera reset); the camera-parameters
// action holds its own, read with the map into the map's pool, and copies it
// in with Set. Main thread. Type id 181.

#include <cstdint>

#include "cCore/cBase.h"

class gcGameCameraParams : public cBase {
    QM_DECLARE_TYPE(gcGameCameraParams)
public:
    static constexpr uint32_t kVersion = 2;
    // Version 1 stored the movement and look-at speeds in units the camera
    // no longer uses; they read back as the defaults.
    static constexpr uint32_t kMinVersion = 1;
    static constexpr float kMaxMovementPole = 0.9f;

    enum gcGameCameraSpeed : int32_t {
        SPD_MOVEMENT = 0,
        SPD_FOLLOWENTITY_H = 1,
        SPD_FOLLOWENTITY_P = 2,
        SPD_FOLLOWENTITY_DIST = 3,
        SPD_LOOKAT = 4,
        MAX_SPEEDTYPES = 5,
    };
    enum gcGameCameraOffset : int32_t {
        OFF_HEADING = 0,          // degrees added to the followed entity's heading
        OFF_PITCH = 1,            // degrees; the desired pitch is its negation
        OFF_MINDIST = 2,          // distance kept from the followed entity
        OFF_ROTATETHRESHOLD = 3,  // degrees
        OFF_ENTITY = 4,           // height above an entity's origin that is looked at
        MAX_OFFSETTYPES = 5,
    };

    // The defaults.
    gcGameCameraParams();

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: an empty cBase block, 5 (speed, pole) pairs, 5 offsets,
    // each run after its count.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false). Entries past the fifth are
    // skipped; a negative count or a short block fails and keeps the old
    // values, as does a kept value that is not finite (refused, logged).
    // The movement pole is clamped into [0, 0.9].
    bool Read(const cFile& file, cMemPool* pPool) override;

    void Set(const gcGameCameraParams& other);
    // Every speed, pole and offset is a finite number.
    bool AllFinite() const;

    float m_fMaxVels[MAX_SPEEDTYPES];
    float m_fMaxTimes[MAX_SPEEDTYPES];  // poles: 0 follows at once, near 1 slowly
    float m_fOffsets[MAX_OFFSETTYPES];
};
