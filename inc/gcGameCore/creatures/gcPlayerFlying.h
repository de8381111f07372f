#pragma once
// The player in flight: a creature always moving forward along its heading
// and pitch at one of four speed gears, each with a coasting and a flapping
// animation whose root motion is the speed. Flapping climbs a gear after a
// time, coasting drops one, Jump boosts to the top gear, Stand brakes to
// gear 0, and flying head-on into a wall knocks it back to gear 0. Its
// decisions come from the data's script state machine as creature commands;
// this class maps them to 13 states, runs the gears and moves as a sphere
// through the world's collider, gliding along surfaces whose touch event
// answers non-zero. Takes no damage. The player configuration makes the one
// instance. Lives in the configuration's pool; main thread. Type id 142.

#include <cstdint>

#include "gcGameCore/creatures/gcCreature.h"

class eColliderEllipse;
class gcPlayerFlyingTemplate;

class gcPlayerFlying : public gcCreature {
    QM_DECLARE_TYPE(gcPlayerFlying)
public:
    static constexpr uint32_t kVersion = 1;

    enum gcState : int8_t {
        ST_UNKNOWN = 0,
        ST_BRAKING = 1,
        ST_ANIM_LOW = 2,
        ST_FLYING = 3,
        ST_ANIM_MEDIUM = 4,
        ST_BOOSTING = 5,
        ST_HIT_FRONT = 6,
        ST_ANIM_HIGH = 7,
        ST_DYING = 8,
        ST_DEAD = 9,
        ST_DEATH_END = 10,
        ST_ANIM_VERYHIGH = 11,
        ST_DISABLED = 12,
    };

    static constexpr uint32_t kFlapping = 0x1;  // m_nFlags
    static constexpr int32_t kNumGears = 4;     // 0 to 3
    static constexpr int32_t kTopGear = kNumGears - 1;
    // Flying into a surface within 37.5 degrees of head-on knocks back: the
    // cosine of that angle is the threshold.
    static constexpr float kKnockbackCos = 0.79335334f;

    gcPlayerFlying();
    // The creature part, the flags, the gear and the accel time; it starts
    // disabled outside the world and is reset in the pool holding it.
    gcPlayerFlying(const gcPlayerFlying& other);
    ~gcPlayerFlying() override;
    gcPlayerFlying& operator=(const gcPlayerFlying&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the creature record.
    void Write(const cFile& file) const override;
    // Any version from 1; false (block skipped) when the creature block fails.
    bool Read(const cFile& file, cMemPool* pPool) override;

    int Send(const gcMsg& msg) override;
    const cType* GetTemplateType() const override;
    // The creature's reset, then the template (a gcPlayerFlyingTemplate);
    // flags and accel time 0. The gear is kept.
    bool Reset(cMemPool* pPool) override;

    bool IsDying() const override { return m_nCurState == ST_DYING; }
    bool IsIdling() const override { return false; }
    bool IsStanding() const override { return false; }
    bool IsWalking() const override { return false; }
    bool IsRunning() const override { return false; }
    bool IsJumping() const override { return false; }
    bool IsAttacking() const override { return false; }
    bool IsDodging() const override { return false; }
    bool IsBlocking() const override { return false; }
    bool IsFalling() const override { return false; }
    bool IsBlinded() const override { return false; }
    bool IsStunned() const override { return false; }

    // The gears over one step (times in ticks, the template's shift times):
    // flapping climbs a gear once the accel time reaches the gear's shift
    // time, coasting drops one once it has counted down to 0.
    void HandleAccel(cTimeValue step);

    // Movement (gcPlayerFlyingMove.cpp). One movement step: turn toward the
    // desired heading, pitch and roll, fly the animation's root motion
    // through the collider (straight through with collision mask 0).
    void Move(cTimeValue step);
    // Sweeps the sphere from the frame's origin along the unit direction for
    // the distance; the flag is not read. The frame's origin out.
    void Collide(const mVec3& dir, float fDist, bool bUnused, mOCS* pFrame);
    // Pushes the sphere out of models it overlaps.
    void Unembed(mOCS* pFrame);
    // Fires the touched surfaces' OnTouched and tells touched objects; with
    // bGlide, a surface whose event answers non-zero and which the move
    // enters turns the desired heading and pitch along it. True when one did.
    bool HandleContacts(const eColliderEllipse& collider, const mVec3& dir, bool bGlide);
    // A blocking contact met within 37.5 degrees of head-on knocks back.
    void HandleKnockback(const eColliderEllipse& collider, const mVec3& dir);

    const gcPlayerFlyingTemplate* m_pTemplate = nullptr;
    uint32_t m_nFlags = 0;
    int32_t m_nCurFlySpeed = 0;  // the gear, 0 to 3
    cTimeValue m_accelTime;      // flapped toward the next gear, or left before coasting drops one

private:
    bool Dispatch(const gcMsg& msg);
    // The states' own handlers: true when taken; *pDone false passes the
    // message on to the common handlers.
    bool HandleStateMessage(const gcMsg& msg, bool* pDone);
    bool HandleCommon(const gcMsg& msg);
    bool HandleCommands(const gcMsg& msg);
    bool HandleDisabled(const gcMsg& msg);
    void OnTick(const gcMsgTick& msg);
    bool OnPlayFlyingAnimation(const gcMsgPlayFlyingAnimation& msg);
    // Gear 0, accel time 0, not flapping: braking and being knocked back.
    void StopFlying();
    void EnterBoost();

    void To(int n);
    cTimeValue Play(int nAnim);
    bool SetUpCollider(eColliderEllipse* pCollider, const mOCS& frame, const mVec3& dir, float fDist) const;
    // Turns the desired heading and pitch along a surface of this normal
    // (zone space).
    void Glide(const mVec3& normal);
};
