#pragma once
// The kind of the flying player: a creature template with 13 animation
// configurations (braking, the hit and death, coasting and flapping in four
// gears, the boost), the three gear-shift times and the collision mask (0:
// no collision at all). Creates the flying player, whose class registers
// under kFlyingTypeId. Lives in the pool of its group's load. Main thread.
// Type id 141.

#include <cstdint>

#include "cCore/cTimeValue.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/script/gcAnimationConfig.h"

class gcPlayerFlyingTemplate : public gcCreatureTemplate {
    QM_DECLARE_TYPE(gcPlayerFlyingTemplate)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kFlyingTypeId = 142;  // the class GetEntityType names
    static constexpr int kNumShiftTimes = 3;
    static constexpr int32_t kDefaultShiftTicks = 2100;  // 3.5 seconds

    enum gcAnimations : int32_t {
        ANIM_BRAKE = 0,
        ANIM_HIT_FRONT = 1,
        ANIM_DYING = 2,
        ANIM_DEAD = 3,
        ANIM_COAST_1 = 4,  // gear g coasting: 4 + 2g, flapping 5 + 2g
        ANIM_FLAP_1 = 5,
        ANIM_COAST_2 = 6,
        ANIM_FLAP_2 = 7,
        ANIM_COAST_3 = 8,
        ANIM_FLAP_3 = 9,
        ANIM_COAST_4 = 10,
        ANIM_FLAP_4 = 11,
        ANIM_BOOST = 12,
        MAX_ANIMATIONS = 13,
    };

    // The creature template's defaults, default configurations, every shift
    // time 3.5 seconds, mask 0.
    gcPlayerFlyingTemplate();
    // The creature template part as its copy makes it, every configuration
    // deep, the shift times and the mask.
    gcPlayerFlyingTemplate(const gcPlayerFlyingTemplate& other);
    gcPlayerFlyingTemplate& operator=(const gcPlayerFlyingTemplate&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 4: the creature template record, 13 and the configurations,
    // 4 (the shift times plus one) and the three times, the mask.
    void Write(const cFile& file) const override;
    // Version 4 and above (lower skipped, false). The stored shift count c is
    // followed by c - 1 times; times beyond three are read and dropped, as
    // are configurations beyond 13. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // The flying player's type record; null while no class is registered
    // under its id.
    const cType* GetEntityType() const override;

    gcAnimationConfig animationConfigs[MAX_ANIMATIONS];
    cTimeValue timesToShift[kNumShiftTimes];
    uint32_t nCollisionMask = 0;
};
