#pragma once
// The script's blow: works out an amount (calcDamage) and a reaction time
// (calcDuration) with its two events and sends DealDamage (107) to one
// target, or to every active entity of the map and the player whose
// collider box a sphere around the origin touches. The receiver decides
// what the damage does. Lives in its event's pool; main thread. Type id 223.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcMsg.h"

struct mOCS;

class gcDoEntityDamage : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityDamage)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kOldHardHit = 0x1;  // the flag an old block's boolean stands for

    gcDoEntityDamage() = default;
    // Damage from the attacker to the target (single) or around the origin
    // within fRadius metres (area). The events start empty: the amount and
    // the duration are 0 until the caller fills them.
    gcDoEntityDamage(const gcDesiredEntity& target, const gcDesiredEntity& attacker, uint32_t flags,
                     int32_t dir, bool eventLocationDir, bool areaEffect, float radius)
        : desiredTarget(target), desiredAttacker(attacker), nFlags(flags), desiredDir(dir),
          bEventLocationDir(eventLocationDir), bAreaEffect(areaEffect), fRadius(radius) {}
    // Every field; both events deep-copied into the pool that holds this one.
    gcDoEntityDamage(const gcDoEntityDamage& other);
    gcDoEntityDamage& operator=(const gcDoEntityDamage&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the base block, target, attacker, calcDamage, calcDuration,
    // flags, direction, event-location flag, area flag, radius.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (others skipped, false). Version 1 has no calcDuration
    // and a boolean in place of the flags (set: flag 0x1); version 2 has no
    // area and radius. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Participant2.DealDamage( Participant1 )",
    // "Participant2.DealAreaDamage( 2.5m )"
    void GetText(char* pBuf) const override;
    // The amount from calcDamage with the event's parameters, then the
    // damage to the target, or to the area around the event's location (or
    // the attacker's position without bEventLocationDir; neither: nothing).
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredTarget = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);
    gcDesiredEntity desiredAttacker = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT2);
    uint32_t nFlags = 0;  // passed on in the message
    gcEvent calcDamage{"CalcDamage", "DoEntityDamage"};
    gcEvent calcDuration;
    int32_t desiredDir = gcMsgDealDamage::DD_NONE;  // a gcDamageDir as stored
    bool bEventLocationDir = true;
    bool bAreaEffect = false;
    float fRadius = 0.0f;  // metres

private:
    // One target hit from the origin (null: no location). Nothing without an
    // origin while the direction comes from the event's location; an area
    // target whose box the sphere misses takes nothing. Otherwise the
    // direction is worked out from the origin (with either flag), the
    // duration comes from calcDuration, and the message is sent.
    void ApplyDamage(gcEntity* pAttacker, gcEntity* pTarget, float fAmount, const mOCS* pOrigin) const;
    // Whether the area sphere around the origin touches the target's box.
    bool AreaTouches(gcEntity* pTarget, const mOCS& targetToWorld, const mOCS& origin) const;
    // The seconds calcDuration returns for this attacker, target and amount,
    // as ticks.
    cTimeValue CalcDuration(gcEntity* pAttacker, gcEntity* pTarget, float fAmount) const;
    // The area's centre: the event's location, or the attacker's world frame.
    static const mOCS* GetAreaOrigin(const gcEventParams& params, gcEntity* pAttacker, bool bEventLocation,
                                     mOCS* pStore);
};
