#pragma once
// A placed entity that is not a creature (door, lever, platform, trap): a
// fixed state machine of 13 states over the game-object protocol. It plays
// animation configurations on request by priority, idles through its
// template's six idle animations, takes damage unless invulnerable, dies
// through a dying and a dead animation and fades away; it moves only by the
// root motion of what it plays. Deactivating or freezing suspends it in
// state 11 with its state and countdown kept for the resume. Lives in the
// pool of its load; main thread. Type id 218.

#include <cstdint>

#include "gcGameCore/entities/gcEntity.h"

class gcDeviceTemplate;

class gcDevice : public gcEntity {
    QM_DECLARE_TYPE(gcDevice)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kMinVersion = 1;

    // Slots of the template's configuration table.
    enum gcAnimations : int32_t {
        ANIM_HIT = 0,
        ANIM_DYING = 1,
        ANIM_DEAD = 2,
        ANIM_IDLE_1 = 3,
        ANIM_IDLE_2 = 4,
        ANIM_IDLE_3 = 5,
        ANIM_IDLE_4 = 6,
        ANIM_IDLE_5 = 7,
        ANIM_IDLE_6 = 8,
        MAX_ANIMATIONS = 9,
    };
    static constexpr int kNumIdles = MAX_ANIMATIONS - ANIM_IDLE_1;

    // Run-time states (m_nCurState); never stored.
    enum gcState : int8_t {
        STATE_START = 0,        // decides between alive and dying
        STATE_ALIVE = 1,
        STATE_IDLING = 2,
        STATE_PLAYINGLOW = 3,
        STATE_PLAYINGMEDIUM = 4,
        STATE_PLAYINGHIGH = 5,
        STATE_HIT = 6,
        STATE_PLAYINGVERYHIGH = 7,
        STATE_DYING = 8,
        STATE_DEAD = 9,
        STATE_FADING = 10,
        STATE_SUSPENDED = 11,   // deactivated or frozen, out of the world
        STATE_GONE = 12,        // permanently deactivated after death
        MAX_STATES = 13,
    };

    static constexpr cTimeValue kFadeTime{600};  // the fade after death

    // Invulnerable, neutral, suspended (state 11, current and next), no
    // template.
    gcDevice();
    // The entity part as its copy makes it, suspended and inactive like a
    // new device, reset from the template with the pool holding the copy.
    gcDevice(const gcDevice& other);
    gcDevice& operator=(const gcDevice&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the entity block alone.
    void Write(const cFile& file) const override;
    // Version 1 and up (0 skipped, false).
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The countdown, then the current state's handling, then the handling
    // shared by states 0 to 10. 0 when nobody took the message.
    int Send(const gcMsg& msg) override;
    const cType* GetTemplateType() const override;
    // The entity's reset, then the template as a device template; false
    // when either fails (the device then never enables).
    bool Reset(cMemPool* pPool) override;
    bool IsDying() const override { return m_nCurState == STATE_DYING; }
    bool IsIdling() const override { return m_nCurState == STATE_IDLING; }

    // One step of root motion turned toward the desired orientation, then
    // the model, shadow and region id. A step of 0 only updates.
    void Move(cTimeValue step);
    // Message 107: the team test, the damage script and health (unless
    // invulnerable), then the hit or the way to death. Writes the amount
    // taken (0 when refused or invulnerable) back into the message.
    void OnTakeDamage(const gcMsgDealDamage& msg);

    // The handlers the shared dispatch runs.
    void OnTick(const gcMsgTick& tick);
    void OnPostEnterState();
    void OnPostExitState();
    void OnDeactivated(const gcMsg& msg);
    void OnFrozen(const gcMsg& msg);
    // False (logged) for a priority outside the table; false when a state
    // above the priority's plays.
    bool OnPlayAnimation(const gcMsgPlayAnimation& msg);
    void OnUnknownEnterState();

    const gcDeviceTemplate* m_pTemplate = nullptr;  // not owned

private:
    // States (gcDeviceStates.cpp).
    bool HandleStateMessage(const gcMsg& msg, bool* pTaken);
    bool HandleSuspended(const gcMsg& msg);
    void EnterState();
    void Resume(uint16_t nBit, const gcMsg& msg);
    void Suspend(uint16_t nBit, const gcMsg& msg);
    // Shared handling of states 0 to 10 (gcDevice.cpp).
    bool HandleCommonMessage(const gcMsg& msg);
    bool OnIdle(const gcMsgIdle& msg);
    // Requests the state with next update 0 unless already in it.
    void GoTo(int nState);
    // The template's configuration of the slot when its animation resolves,
    // else null.
    const gcAnimationConfig* ResolvedConfig(int nAnim) const;
    // Queues the slot's configuration when its animation resolves and
    // returns its play time; 1 tick when it does not resolve.
    cTimeValue PlayDeviceAnimation(int nAnim);
    // Damage (gcDeviceDamage.cpp).
    void RaiseDeviceEvent(int32_t nEventId, const gcEvent* pTemplateEvent, const gcEventParams& params,
                          gcEventStackData& frame);
    void Die(const gcEventParams& params);
};
