#pragma once
// The abstract base of every living actor (non-player characters and the
// players): an entity with creature stats and per-instance multipliers,
// eight time-since counters, one target, the attack in progress with two
// queued attacks, the sweep of the attack's helper points that deals
// damage, and a place in the table of at most 16 enabled creatures. It runs
// no states of its own: the derived classes call the operations here. The
// template is a gcCreatureTemplate; the attack pointers point into its
// table. Lives in the pool of its load; main thread. Type id 103.

#include <cstdint>

#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/script/gcMsg.h"

class gcCreatureAttack;
class gcCreatureTemplate;
struct eCollisionContact;

class gcCreature : public gcEntity {
    QM_DECLARE_ABSTRACT_TYPE(gcCreature)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kMinVersion = 1;
    static constexpr int kMaxActive = 16;
    static constexpr int kNumStats = 9;  // gcCreatureTemplate::MAX_STATS
    static constexpr float kAggroRadiusMod = 10.0f;  // the aggro radius multiplier of a new creature

    // m_nCreatureFlags
    static constexpr uint16_t kBranchACancelled = 0x1;
    static constexpr uint16_t kBranchBCancelled = 0x2;
    static constexpr uint16_t kChained = 0x4;   // the running attack came from the queue
    static constexpr uint16_t kEnraged = 0x20;  // already enraged in this life

    enum gcTimeSince : int32_t {
        TIMESINCE_ATTACK = 0,
        TIMESINCE_HITBOUNDARY = 1,
        TIMESINCE_DODGE = 2,
        TIMESINCE_BLOCK = 3,
        TIMESINCE_HITNEIGHBOR = 4,
        TIMESINCE_THROW = 5,
        TIMESINCE_STUNNED = 6,
        TIMESINCE_IDLED = 7,
        MAX_TIMESINCE = 8,
    };

    gcCreature();
    ~gcCreature() override;
    gcCreature& operator=(const gcCreature&) = delete;

    // Version 2: the entity record, 9, the nine stat multipliers.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false). Multipliers beyond nine are
    // read up to nine and the rest skipped. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The entity's, then the target, the object hit last and the attacks
    // (running and queued) when they lie in the pool.
    void OnMemPoolReset(const cMemPool* pPool) override;

    bool Reset(cMemPool* pPool) override;
    // The entity's stats, then each creature stat's maximum and current
    // value = template maximum x multiplier (left alone without a creature
    // template).
    void ResetStats() override;
    // The entity's counters, then every running creature counter; a sum past
    // the largest count stops the counter ("never").
    void HandleTimeSince(cTimeValue dt) override;
    // Takes a place in the active table, then enables the entity; false,
    // and out of the table, when either fails.
    bool Enable() override;
    // Leaves the active table, then disables the entity.
    void Disable() override;

    virtual bool IsStanding() const = 0;
    virtual bool IsWalking() const = 0;
    virtual bool IsRunning() const = 0;
    virtual bool IsJumping() const = 0;
    virtual bool IsAttacking() const = 0;
    virtual bool IsDodging() const = 0;
    virtual bool IsBlocking() const = 0;
    virtual bool IsFalling() const = 0;
    virtual bool IsBlinded() const = 0;
    virtual bool IsStunned() const = 0;

    // The first free slot of the table; false when 16 are taken.
    static bool AddToActiveList(gcCreature* pCreature);
    // Frees the creature's slot; nothing when it has none.
    static void RemoveFromActiveList(gcCreature* pCreature);

    gcCreatureTemplate* GetCreatureTemplate() const;
    // A creature stat's current value; 0 outside the enumeration.
    float GetCreatureStat(int32_t stat) const;
    // Sets a current value; a stat outside the enumeration is ignored.
    void SetCreatureStat(int32_t stat, float fValue);
    // Adds to a stat as item modifiers do: a stat with a maximum
    // (gcCreatureTemplate::StatHasMax) has the maximum moved and the current
    // value kept in 0..maximum; any other has its current value moved. A
    // stat outside the enumeration is ignored.
    void AddToCreatureStat(int32_t stat, float fAmount);

    // Attacks (gcCreatureCombat.cpp).

    // Takes attack index of the template's table: with bChain into the
    // queue of the branch (non-zero B, else A); otherwise it runs when none
    // does. An index outside the table is refused (logged). True when an
    // attack runs afterwards.
    bool Attack(int index, bool bChain, int nBranch);
    // On entering the attacking state: a queued attack (A before B) runs and
    // both queues empty; its animation plays and times the state; the
    // creature faces its current heading; a throw starts TIMESINCE_THROW.
    void HandleAttackStarted();
    // On leaving it: no attack runs; the cancelled branches' queues empty,
    // both unless the attack was chained; nothing was hit; flags 0x1, 0x2
    // and 0x4 cleared; TIMESINCE_ATTACK starts.
    void HandleAttackEnded();
    // Helper i of the running attack in the zone; false without attack, or
    // when the helper has no node.
    bool GetAttackHelperPos(int i, mVec3* pPos) const;
    // Per tick: inside the attack's damage window (the current animation's
    // elapsed time, both ends in) each helper with a position is swept from
    // its earlier one. No current animation, no sweep.
    void UpdateAttack(const mVec3* pPrevPos);
    // Sweeps a sphere of the radius from..to (zone space of the creature's
    // region) and deals the running attack's damage to each game object it
    // meets, once per object and attack.
    void QueryAttackCollisions(const mVec3& from, const mVec3& to, float fRadius);

    // The side a hit at a world position, swung along a world direction,
    // comes from as the entity hit sees it: none without entity or from
    // behind (beyond 120 degrees of its heading); else from the front,
    // left to right (swing yaw -130..-60) or right to left (60..130), and
    // top to bottom (pitch -90..-50) or bottom to top (50..90) over those.
    static gcMsgDealDamage::gcDamageDir DetermineHitDir(const mVec3& worldPos, const gcEntity* pEntity,
                                                        const mVec3& dir);

    // Targeting (gcCreatureTarget.cpp).

    // Active, targetable, alive, of the opposite team and within the
    // template's TargetDistance (0: never; below 0: any distance). The bool
    // is not used.
    bool IsValidTarget(gcEntity* pEntity, bool) const;
    // A new target: OnTargetLost for the old one, OnTargetAcquired for a new
    // one that is not null; nothing when it is the current one.
    void SetTarget(gcEntity* pEntity);
    // The valid candidate nearest by centre (the first of equals); none
    // clears the target.
    void SetClosestTarget();
    // The valid candidate after the current target, wrapping to the first;
    // a lone valid target is kept; none clears the target.
    void SetNextTarget();
    // From this entity's position to the other's in this entity's zone
    // space; this entity's forward axis when either is outside a zone.
    mVec3 GetVecToEntity(const gcEntity& other) const;

    static gcCreature* s_pActiveCreatures[kMaxActive];  // null: a free slot
    static int32_t s_nActiveCreatures;

    uint16_t m_nCreatureFlags = 0;
    cTimeValue m_creatureTimeSince[MAX_TIMESINCE];  // kNever: not running
    float m_fCreatureStatsMax[kNumStats] = {};
    float m_fCreatureStatsCur[kNumStats] = {};
    float m_fCreatureStatsMod[kNumStats];  // stored in the map file
    gcEntity* m_pTarget = nullptr;
    gcGameObject* m_pLastHit = nullptr;  // hit last by the running attack
    gcCreatureAttack* m_pAttack = nullptr;
    gcCreatureAttack* m_pNextAttackA = nullptr;
    gcCreatureAttack* m_pNextAttackB = nullptr;
    float m_fStrafeDir = 0.0f;  // degrees
    cTimeValue m_stunLength;

protected:
    // The entity part and the multipliers; the rest as constructed.
    gcCreature(const gcCreature& other);

    // Script event id in the state machine when there is one, else the
    // template's event (when given); the frame's RetVal.
    float RaiseEvent(int32_t nEventId, const gcEvent* pTemplateEvent, const gcEventParams& params,
                     gcEventStackData& frame);

private:
    void DealDamage(const eCollisionContact& contact, gcGameObject* pHit, const mVec3& dir);
    template <class Func>
    void ForEachCandidate(Func func) const;
};
