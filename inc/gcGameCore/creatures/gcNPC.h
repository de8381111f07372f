#pragma once
// A computer-controlled creature: a fixed state machine of 23 states over
// the game-object protocol. Commands (messages 100 to 130) from script
// actions and the template's script state machine are accepted or refused
// by the current state, play the template's animation configurations and
// time the state with the next-update countdown; damage reactions, death
// and fading follow. Moves by root motion inside its boundary, sliding
// along the boundary's walls and around the other active creatures. Its
// decisions are data (the template's state machine); this class supplies
// the states. Lives in the pool of its load; main thread. Type id 129.

#include <cstdint>

#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/entities/gcBoundary.h"

class gcNPCTemplate;

class gcNPC : public gcCreature {
    QM_DECLARE_TYPE(gcNPC)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kMinVersion = 1;
    static constexpr uint32_t kBoundaryVersion = 2;  // the one version that stored a boundary handle

    enum gcState : int8_t {
        STATE_UNKNOWN = 0,
        STATE_STANDING = 1,
        STATE_IDLING = 2,
        STATE_PLAYINGLOW = 3,
        STATE_TGTWALKING = 4,
        STATE_TGTWALKINGBACK = 5,
        STATE_TGTWALKINGLEFT = 6,
        STATE_TGTWALKINGRIGHT = 7,
        STATE_WALKING = 8,
        STATE_RUNNING = 9,
        STATE_PLAYINGMEDIUM = 10,
        STATE_ATTACKING = 11,
        STATE_DODGING = 12,
        STATE_BLOCKING = 13,
        STATE_PLAYINGHIGH = 14,
        STATE_RECOILING = 15,
        STATE_PAIN = 16,
        STATE_PLAYINGVERYHIGH = 17,
        STATE_DYING = 18,
        STATE_DEAD = 19,
        STATE_FADING = 20,
        STATE_DISABLED = 21,
        STATE_FADED = 22,
        MAX_STATES = 23,
    };
    static const char* GetStateText(int32_t state);  // "Unknown"...; "???" outside

    static constexpr cTimeValue kFadeTime{600};        // the fade after death
    // How long pain and dying last when their animation gives no play time
    // (none that ends: a looping one, or none shorter than its ease-out).
    static constexpr cTimeValue kPainTime{300};
    static constexpr cTimeValue kDyingTime{600};
    static constexpr cTimeValue kDodgeTurnTime{150};   // a target dodged this recently is turned to slowly
    static constexpr float kDodgeTurnRate = 0.95f;     // share of the turn left per tick then
    static constexpr float kHitHeadingWeight = 0.25f;  // desired heading's share of own movement after a hit
    static constexpr float kMinMove = 1e-5f;           // shorter movements are none
    static constexpr int kMaxSlidePasses = 3;
    static constexpr float kBlockedShare = 0.25f;      // less of a step made than this is being blocked

    // Disabled (state 21, current and next), no template, no boundary.
    gcNPC();
    // The creature part as its copy makes it, NPC fields cleared, reset from
    // the template with the pool holding the copy.
    gcNPC(const gcNPC& other);
    gcNPC& operator=(const gcNPC&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the creature record alone.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (others skipped, false); the boundary handle of a
    // version-2 block is read and dropped.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The countdown, then the current state's own handling, then the
    // handling common to the states up to each message's bound. 0 when
    // nobody took the message.
    int Send(const gcMsg& msg) override;
    const cType* GetTemplateType() const override;
    // The creature's reset, then the template as an NPC template; false
    // without one (the NPC then never enables).
    bool Reset(cMemPool* pPool) override;
    bool IsDying() const override { return m_nCurState == STATE_DYING; }
    bool IsIdling() const override { return m_nCurState == STATE_IDLING; }
    bool IsStanding() const override { return m_nCurState == STATE_STANDING; }
    bool IsWalking() const override { return m_nCurState == STATE_WALKING; }
    bool IsRunning() const override { return m_nCurState == STATE_RUNNING; }
    bool IsJumping() const override { return false; }
    bool IsAttacking() const override { return m_nCurState == STATE_ATTACKING; }
    bool IsDodging() const override { return m_nCurState == STATE_DODGING; }
    bool IsBlocking() const override { return m_nCurState == STATE_BLOCKING; }
    bool IsFalling() const override { return false; }
    // The model plays the animation of the blinded configuration.
    bool IsBlinded() const override;
    bool IsStunned() const override { return m_nCurState == STATE_PAIN && m_stunLength.m_nTicks > 0; }

    // Damage (gcNPCDamage.cpp): message 107 below the dying state. Writes
    // the amount taken (0 when refused, dodged or blocked) and the blocked
    // flag back into the message.
    void OnTakeDamage(const gcMsgDealDamage& msg);

    // Movement (gcNPCMove.cpp). Positions are in the zone of the NPC's model.

    // The boundary that holds the NPC: among the map's boundaries whose
    // region is resident and that contain its world position, the highest
    // not above it; none lower than twice the collider height. Taking one
    // leaves any path. False (boundary kept) when none is found, or the NPC
    // is inactive, no map is loaded or its region is not resident.
    bool FindBoundary();
    // One step of root motion (along the strafe heading in the
    // target-relative walks), turned toward the desired heading, kept in
    // the boundary and clear of neighbours; then the model, shadow and
    // region id. A step of 0 only updates.
    void Move(cTimeValue step);
    // The slide loop from..*pTo (at most three passes); *pTo becomes the
    // last accepted position. Raises OnHitBoundary when blocked at once.
    // True when a wall or a creature other than the target was hit. Nothing
    // (false) without a boundary or on a path.
    bool HandleCollision(const mVec3& from, float fColliderHeight, mVec3* pTo);
    // The NPC as a sphere moving start..*pEnd against the other active
    // creatures at its own height: the first met shortens *pEnd to the
    // contact and raises OnHitNeighbor; *pSlide is where sliding round it
    // leads (*pEnd when nothing is met). The creature met, or null.
    gcCreature* Collide(const mVec3& start, mVec3* pEnd, mVec3* pSlide);

    const gcNPCTemplate* m_pTemplate = nullptr;
    uint32_t m_nFlags = 0;
    gcBoundaryHandle m_hBoundary;  // 0: moves freely

private:
    // What a state's own handling did with a message.
    enum class Handled { NotMine, Taken, Refused };

    // States (gcNPCStates.cpp).
    Handled HandleStateMessage(const gcMsg& msg);
    Handled HandleDisabled(const gcMsg& msg);
    Handled HandleAttacking(const gcMsg& msg);
    void EnterState();
    void ExitState();
    void UpdatePain();
    void Resume(uint16_t nBit, const gcMsg& msg);
    // Messages (gcNPC.cpp).
    bool HandleCommonMessage(const gcMsg& msg);
    bool HandleCommand(const gcMsg& msg);
    bool HandleAnimationCommand(const gcMsg& msg);
    void Suspend(uint16_t nBit, const gcMsg& msg);
    void OnTick(const gcMsgTick& tick);
    void AttackTick(const gcMsgTick& tick);
    // Requests the state with next update 0 unless already in it.
    void GoTo(int nState);
    // Requests the state, the countdown left as it runs.
    void RequestKeepingCountdown(int nState);
    // The template's configuration (null outside the table or without one)
    // queued to play; its play time.
    cTimeValue PlayNPCAnimation(int nAnim);
    // The same for a state that has to end: fallback when the play time is
    // 0, since a countdown of 0 never runs out.
    cTimeValue PlayNPCAnimationFor(int nAnim, cTimeValue fallback);
    float CurrentHeading() const;
    // Damage.
    void ApplyHealthLoss(float fAmount, const gcEventParams& params);
    // Movement.
    float TurnRate() const;
    void StoreFrame(const mOCS& frame);
    void RaiseHitBoundary(const mVec3& dir);
};
