#pragma once
// One attack of a creature kind: the animation it plays, the window of that
// animation during which it deals damage, the damage handed to the damage
// script, the sweep's collision mask, two model helpers swept as damage
// points, the hit script events and the effects shown where it hits. Owned
// by its creature template's 32-slot table and read with it; lives in the
// template's pool. Main thread. Type id 96.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cName.h"
#include "cCore/cObject.h"
#include "cCore/cTimeValue.h"
#include "gcGameCore/script/gcAnimationConfig.h"
#include "gcGameCore/script/gcEvent.h"

class eMesh;
class gcEffectTemplate;
using gcEffectTemplateHandle = cHandle<gcEffectTemplate>;

class gcCreatureAttack : public cObject {
    QM_DECLARE_TYPE(gcCreatureAttack)
public:
    static constexpr uint32_t kVersion = 7;
    static constexpr uint32_t kMinVersion = 4;
    static constexpr int kNumHelpers = 2;

    // nFlags
    static constexpr uint32_t kHardHit = 0x1;
    static constexpr uint32_t kThrow = 0x2;
    static constexpr uint32_t kBlinding = 0x4;
    static constexpr uint32_t kStunning = 0x8;
    static constexpr uint32_t kForced = 0x10;        // ignores dodge and block
    static constexpr uint32_t kInvulnerable = 0x20;  // the attacker cannot be damaged while it runs
    static constexpr uint32_t kBlockable = 0x40;     // may be turned into a block while it runs

    gcCreatureAttack();
    // Every field, the events and the configuration deep, the helpers'
    // resolved indices too.
    gcCreatureAttack(const gcCreatureAttack& other);
    gcCreatureAttack& operator=(const gcCreatureAttack&) = delete;

    // A copy holding every action of its two events and its animation's four, or null.
    cBase* Copy(cMemPool* pPool) const override;
    // Version 7: see Read for the layout.
    void Write(const cFile& file) const override;
    // Versions 4 to 7 (others skipped, false): the object, the animation
    // configuration, the window (ticks), damage, mask, flags, each helper's
    // name and radius; from 5 OnAttackHit, from 6 CalcDuration, from 7 the
    // hit and blocked effects. Unchanged unless the block was read whole;
    // the helper indices are left to ResolveHelpers.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Each named helper's node index in the mesh; -1 for an empty name, a
    // name the mesh lacks, or no mesh.
    void ResolveHelpers(const eMesh* pMesh);
    // The animation time (ticks) lies in the damage window, both ends in.
    bool InDamageWindow(cTimeValue time) const { return damageStart <= time && time <= damageStop; }
    // Exchanges the contents of two configurations (events by their action
    // lists), so a configuration read aside can be committed whole.
    static void SwapAnimationConfig(gcAnimationConfig& a, gcAnimationConfig& b);

    gcAnimationConfig animationConfig;
    cTimeValue damageStart{0};
    cTimeValue damageStop{600};  // inclusive
    float fDamage = 0.0f;        // Param1 of the damage script
    uint32_t nCollisionMask = 0;
    uint32_t nFlags = 0;
    cName helperName[kNumHelpers];
    float fRadius[kNumHelpers] = {0.25f, 0.25f};
    int16_t nHelperId[kNumHelpers] = {-1, -1};  // not stored
    gcEvent onAttackHit;
    gcEvent calcDuration;  // seconds
    gcEffectTemplateHandle hAttackHitEffect;
    gcEffectTemplateHandle hAttackBlockedEffect;
};
