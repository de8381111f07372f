#pragma once
// The player on foot: a creature whose message handler runs 32 states
// (standing, idling, walking, running, strafing around a target, the jumps
// and landings, attacking, blocking, dodging, recoil, pain, falling,
// sliding, dying and disabled). Its decisions come from the data's script
// state machine as creature commands (100 to 130); this class turns them
// into states and animations, moves by the root motion of what it plays
// through the world's collider with a separate fall step, and takes damage
// by the player's rules. The player configuration makes the one instance,
// which the player record points to. Lives in the configuration's pool;
// main thread. Type id 75.

#include <cstdint>

#include "gcGameCore/creatures/gcCreature.h"

class eColliderEllipse;
class gcPlayerBipedTemplate;
class gcSurface;

class gcPlayerBiped : public gcCreature {
    QM_DECLARE_TYPE(gcPlayerBiped)
public:
    static constexpr uint32_t kVersion = 1;

    enum gcState : int8_t {
        ST_UNKNOWN = 0,
        ST_STANDING = 1,
        ST_IDLING = 2,
        ST_ANIM_LOW = 3,
        ST_TGT_F = 4,
        ST_TGT_B = 5,
        ST_TGT_L = 6,
        ST_TGT_R = 7,
        ST_WALKING = 8,
        ST_RUNNING = 9,
        ST_ANIM_MEDIUM = 10,
        ST_SJUMP_UP = 11,
        ST_SJUMP_DOWN = 12,
        ST_RJUMP_UP = 13,
        ST_RJUMP_DOWN = 14,
        ST_DJUMP = 15,
        ST_DJUMP_DOWN = 16,
        ST_SLAND = 17,
        ST_RLAND = 18,
        ST_ATTACKING = 19,
        ST_BLOCKING = 20,
        ST_DODGING = 21,
        ST_ANIM_HIGH = 22,
        ST_RECOIL = 23,
        ST_PAIN = 24,
        ST_FALLING = 25,
        ST_SLIDING = 26,
        ST_ANIM_VERYHIGH = 27,
        ST_DYING = 28,
        ST_DEAD = 29,
        ST_DEATH_END = 30,
        ST_DISABLED = 31,
    };

    // m_nFlags: the ground flags of the fall step.
    static constexpr uint32_t kInAir = 0x1;       // a fall step found no contact
    static constexpr uint32_t kOnSteep = 0x2;     // only too steep or sliding surfaces were touched
    static constexpr uint32_t kGroundFlags = kInAir | kOnSteep;
    // nFlags of the current animation configuration read by the movement.
    static constexpr uint32_t kConfigNoFall = 0x1;
    static constexpr uint32_t kConfigNoCollision = 0x2;
    // Surface flags read by the movement.
    static constexpr uint32_t kSurfTouch = 0x1;
    static constexpr uint32_t kSurfSliding = 0x20;
    // Movement constants (units and ticks; 600 ticks a second).
    static constexpr float kGravity = -25.0f;          // units per second squared
    static constexpr float kFallSpeed = -15.0f;        // units per second
    static constexpr float kSlideSpeed = -7.5f;
    static constexpr int32_t kAirborneTicks = 300;     // half a second
    static constexpr int32_t kDodgeImmuneTicks = 300;  // after a dodge ends
    static constexpr float kVelocityTol = 1e-05f;
    static constexpr float kTargetTurnWeight = 0.75f;
    static constexpr int kNumIdles = 6;

    gcPlayerBiped();
    // The creature part; the rest as constructed (Copy then resets it in
    // the pool that holds the copy).
    gcPlayerBiped(const gcPlayerBiped& other);
    ~gcPlayerBiped() override;
    gcPlayerBiped& operator=(const gcPlayerBiped&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the creature record.
    void Write(const cFile& file) const override;
    // Any version from 1; false (block skipped) when the creature block fails.
    bool Read(const cFile& file, cMemPool* pPool) override;

    int Send(const gcMsg& msg) override;
    const cType* GetTemplateType() const override;
    // The creature's reset, then the template (a gcPlayerBipedTemplate) and
    // the movement state; the safe placement starts where the biped is.
    bool Reset(cMemPool* pPool) override;

    bool IsDying() const override { return m_nCurState == ST_DYING; }
    bool IsIdling() const override { return m_nCurState == ST_IDLING; }
    bool IsStanding() const override { return m_nCurState == ST_STANDING; }
    bool IsWalking() const override { return m_nCurState == ST_WALKING; }
    bool IsRunning() const override { return m_nCurState == ST_RUNNING; }
    bool IsJumping() const override { return m_nCurState >= ST_SJUMP_UP && m_nCurState <= ST_RLAND; }
    bool IsAttacking() const override { return m_nCurState == ST_ATTACKING; }
    bool IsDodging() const override { return m_nCurState == ST_DODGING; }
    bool IsBlocking() const override { return m_nCurState == ST_BLOCKING; }
    bool IsFalling() const override { return m_nCurState == ST_FALLING; }
    bool IsBlinded() const override;
    bool IsStunned() const override { return m_nCurState == ST_PAIN && m_stunLength.m_nTicks > 0; }

    // The per-tick work of a taken tick (gcPlayerBipedStates.cpp).
    void OnTick(const gcMsgTick& msg);
    // One movement step (gcPlayerBipedMove.cpp).
    void Move(cTimeValue step);
    // Sweeps the ellipsoid from the frame's origin along the unit direction
    // for the distance, as the walking pass or (bFall) the fall pass, which
    // sets the ground flags. The frame's origin and the touch surface out.
    void Collide(const mVec3& dir, float fDist, bool bFall, mOCS* pFrame, gcSurface** ppTouch);
    // Pushes the biped out of models it overlaps.
    void Unembed(mOCS* pFrame, gcSurface** ppTouch);
    // Fires the touched surfaces' OnTouched and tells touched objects.
    void HandleContacts(const eColliderEllipse& collider, gcSurface** ppTouch);

    const gcPlayerBipedTemplate* m_pTemplate = nullptr;
    uint32_t m_nFlags = 0;
    mVec3 m_gravityVelocity{0.0f, 0.0f, 0.0f};  // units per tick
    cTimeValue m_fallingTime;
    mOCS m_safeLocalToParent;  // the last placement standing on ground
    int16_t m_nSafeRegionId = -1;
    gcSurface* m_pPrevTouchSurface = nullptr;

private:
    enum class Handled { kPass, kTaken, kRefused };

    bool Dispatch(const gcMsg& msg);
    Handled HandleStateMessage(const gcMsg& msg);
    Handled HandleJumpStates(const gcMsg& msg);
    Handled HandleCombatStates(const gcMsg& msg);
    Handled HandleLateStates(const gcMsg& msg);
    bool HandleCommon(const gcMsg& msg);
    bool HandleCommands(const gcMsg& msg);
    bool HandleMoves(const gcMsg& msg);
    bool HandleDisabled(const gcMsg& msg);
    void OnAttackingTick(const gcMsgTick& msg);
    void OnAttackingUpdate();
    void OnSetTarget(const gcMsg& msg);
    bool OnIdle(const gcMsg& msg);
    void OnRevive();
    void OnPainUpdate();
    bool OnTakeDamage(const gcMsgDealDamage& msg);
    float ApplyDamage(float fAmount, gcEntity* pAttacker);
    void OnInteract();

    // Request state n with next update 0, unless already in it.
    void To(int n);
    // Plays the template's configuration (nothing without a template) and
    // returns its play time.
    cTimeValue Play(int nAnim);
    // Plays it and times the state by it.
    void PlayTimed(int nAnim);
    void ClearTarget();

    // Movement parts (gcPlayerBipedMove.cpp).
    mVec3 RootMotion(cTimeValue step, float* pLength);
    void FallStep(cTimeValue step, mOCS* pFrame, gcSurface** ppTouch);
    void FallStateChanges();
    void LeaveWorld();
    bool SetUpCollider(eColliderEllipse* pCollider, const mOCS& frame, const mVec3& dir, float fDist) const;
    bool FallPassRound(eColliderEllipse* pCollider);

    bool m_bLeavingWorld = false;  // inside LeaveWorld's snap back
};
