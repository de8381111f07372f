#pragma once
// The kind of the player on foot: a creature template with the 46
// animation configurations the biped's states and reactions play and the
// collision mask of its collider. Read from the player configuration's
// entity templates; creates gcPlayerBiped. Lives in the pool of its group's
// load. Main thread. Type id 76.

#include <cstdint>

#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/script/gcAnimationConfig.h"

class cReadBlock;

class gcPlayerBipedTemplate : public gcCreatureTemplate {
    QM_DECLARE_TYPE(gcPlayerBipedTemplate)
public:
    static constexpr uint32_t kVersion = 5;
    static constexpr uint32_t kMinVersion = 4;
    static constexpr uint32_t kMaskVersion = 5;  // the collision mask is stored from here
    static constexpr float kTurningRate = 0.8f;

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
        ANIM_HIT = 10,  // plus the hit direction, to ANIM_HIT_FRONT
        ANIM_HIT_LR = 11,
        ANIM_HIT_RL = 12,
        ANIM_HIT_BT = 13,
        ANIM_HIT_TB = 14,
        ANIM_HIT_FRONT = 15,
        ANIM_HIT_INAIR = 16,
        ANIM_HIT_BLOCK = 17,
        ANIM_DYING = 18,
        ANIM_DEAD = 19,
        ANIM_SJUMPUP = 20,
        ANIM_RJUMPUP = 21,
        ANIM_FALLING = 22,
        ANIM_BLOCK = 23,
        ANIM_DODGE_L = 24,
        ANIM_DODGE_R = 25,
        ANIM_CLIMB = 26,
        ANIM_STUNNED = 27,
        ANIM_PUSH = 28,
        ANIM_PULL = 29,
        ANIM_HIT_HARD = 30,
        ANIM_RECOIL = 31,
        ANIM_BLINDED = 32,
        ANIM_ENRAGED = 33,
        ANIM_SJUMPDOWN = 34,
        ANIM_RJUMPDOWN = 35,
        ANIM_SLAND = 36,
        ANIM_RLAND = 37,
        ANIM_IDLE_1 = 38,  // to ANIM_IDLE_6 = 43
        ANIM_IDLE_2 = 39,
        ANIM_IDLE_3 = 40,
        ANIM_IDLE_4 = 41,
        ANIM_IDLE_5 = 42,
        ANIM_IDLE_6 = 43,
        ANIM_SLIDE = 44,
        ANIM_DJUMP = 45,
        MAX_ANIMATIONS = 46,
    };

    // The creature template's defaults, default configurations, mask 0 and
    // a turning rate of 0.8.
    gcPlayerBipedTemplate();
    // The creature template part as its copy makes it, every configuration
    // deep, and the mask.
    gcPlayerBipedTemplate(const gcPlayerBipedTemplate& other);
    gcPlayerBipedTemplate& operator=(const gcPlayerBipedTemplate&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5: the creature template record, 46 and the configurations,
    // the collision mask.
    void Write(const cFile& file) const override;
    // Versions 4 and 5 (others skipped, false); the mask from 5 (4 leaves it
    // 0). Configurations beyond 46 are read and dropped; fewer leave the rest
    // at their defaults. Unchanged unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    const cType* GetEntityType() const override;

    // Reads a stored count and that many configurations into pOut (nMax of
    // them, defaults before the read); those beyond nMax are read and
    // dropped. False on a failed configuration; a negative count reads none.
    static bool ReadConfigs(const cReadBlock& rb, cMemPool* pPool, gcAnimationConfig* pOut, int nMax,
                            const char* sClass);

    gcAnimationConfig animationConfigs[MAX_ANIMATIONS];
    uint32_t nCollisionMask = 0;
};
