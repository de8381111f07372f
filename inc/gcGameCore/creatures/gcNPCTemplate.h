#pragma once
// The kind of a non-player character: a creature template with the events
// raised when the character runs into its boundary or a neighbour and the
// 33 animation configurations its states and reactions play. Creates
// non-player characters (gcNPC, registered under kNPCTypeId). Lives in the
// pool of its group's load. Main thread. Type id 130.

#include <cstdint>

#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/script/gcAnimationConfig.h"

class gcNPCTemplate : public gcCreatureTemplate {
    QM_DECLARE_TYPE(gcNPCTemplate)
public:
    static constexpr uint32_t kVersion = 5;
    static constexpr uint32_t kMinVersion = 3;
    static constexpr uint32_t kNPCTypeId = 129;  // the class GetEntityType names

    enum gcAnimations : int32_t {
        ANIM_STAND = 0,
        ANIM_TGT_STAND = 1,
        ANIM_TURN_L = 2,
        ANIM_TURN_R = 3,
        ANIM_WALK = 4,
        ANIM_TGT_F = 5,
        ANIM_TGT_B = 6,
        ANIM_TGT_L = 7,
        ANIM_TGT_R = 8,
        ANIM_RUN = 9,
        ANIM_HIT = 10,
        ANIM_HIT_LR = 11,
        ANIM_HIT_RL = 12,
        ANIM_HIT_BT = 13,
        ANIM_HIT_TB = 14,
        ANIM_HIT_FRONT = 15,
        ANIM_HIT_BLOCK = 16,
        ANIM_DYING = 17,
        ANIM_DEAD = 18,
        ANIM_BLOCK = 19,
        ANIM_DODGE_L = 20,
        ANIM_DODGE_R = 21,
        ANIM_STUNNED = 22,
        ANIM_HIT_HARD = 23,
        ANIM_RECOIL = 24,
        ANIM_BLINDED = 25,
        ANIM_ENRAGED = 26,
        ANIM_IDLE_1 = 27,  // to ANIM_IDLE_6 = 32
        MAX_ANIMATIONS = 33,
    };

    gcNPCTemplate();
    // The creature template part as its copy makes it, then both events and
    // every configuration deep.
    gcNPCTemplate(const gcNPCTemplate& other);
    gcNPCTemplate& operator=(const gcNPCTemplate&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5: the creature template record, 33 and the configurations,
    // OnHitBoundary, OnHitNeighbor.
    void Write(const cFile& file) const override;
    // Versions 3 to 5 (others skipped, false); OnHitBoundary from 4,
    // OnHitNeighbor from 5. A configuration count beyond 33 is read up to 33
    // and the rest skipped. The part added here is unchanged unless the
    // block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The non-player character's type record.
    const cType* GetEntityType() const override;

    gcEvent onHitBoundary;
    gcEvent onHitNeighbor;
    gcAnimationConfig animationConfigs[MAX_ANIMATIONS];
};
