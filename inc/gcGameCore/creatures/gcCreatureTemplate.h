#pragma once
// What the creatures of one kind share beyond an entity template: a table
// of 32 attacks (owned; an empty slot is null), the maxima of the nine
// creature stats, ten behaviour values read by scripts and by targeting,
// the targeting, damage and enragement events, and the effects an attack
// shows by default where it hits or is blocked. Abstract: each creature
// kind has its template. Lives in the pool of its group's load with its
// attacks. Main thread. Type id 104.

#include <cstdint>

#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcEntityTemplate.h"

class gcCreatureAttack;

class gcCreatureTemplate : public gcEntityTemplate {
    QM_DECLARE_ABSTRACT_TYPE(gcCreatureTemplate)
public:
    static constexpr uint32_t kVersion = 8;
    static constexpr uint32_t kMinVersion = 2;
    static constexpr int kMaxAttacks = 32;

    enum gcCreatureStat : int32_t {
        STAT_EXPERIENCE = 0,
        STAT_ENERGY = 1,
        STAT_LEVEL = 2,
        STAT_DAMAGE_BASE = 3,
        STAT_DAMAGE_WEAPON = 4,
        STAT_DAMAGE_ITEM_BONUS = 5,
        STAT_DAMAGE_BONUS = 6,
        STAT_ENDURANCE = 7,
        STAT_AGGRORADIUS = 8,
        MAX_STATS = 9,
    };
    enum gcCreatureValue : int32_t {
        VAL_UNUSED = 0,
        VAL_ATTACKRANGE_SHORT = 1,
        VAL_ATTACKRANGE_LONG = 2,
        VAL_AGGRESSIVENESS = 3,
        VAL_PERCEPTION = 4,
        VAL_BLOCKING = 5,
        VAL_DODGING = 6,
        VAL_RESISTANCE_BLIND = 7,
        VAL_RESISTANCE_STUN = 8,
        VAL_TARGETDISTANCE = 9,  // 0: nothing is a target; below 0: any distance
        MAX_VALUES = 10,
    };
    static const char* GetStatText(int32_t stat);    // "Experience"...; "???" outside
    static const char* GetValueText(int32_t value);  // "???", "AttackRangeShort"...
    // Only Energy and Endurance have a maximum that the current value is
    // kept under (saves and item stat modifiers).
    static bool StatHasMax(int32_t stat);
    static Range GetStatRange(int32_t stat);    // 0, 999, 1, 0 outside
    static Range GetValueRange(int32_t value);

    gcCreatureTemplate();
    // The entity template part as its copy makes it; then every attack
    // copied into the pool that holds this template, stats, values, the
    // events deep and the effect handles.
    gcCreatureTemplate(const gcCreatureTemplate& other);
    gcCreatureTemplate& operator=(const gcCreatureTemplate&) = delete;
    // Destroys the attacks.
    ~gcCreatureTemplate() override;

    // Version 8: see Read for the layout.
    void Write(const cFile& file) const override;
    // Versions 2 to 8 (others skipped, false): the entity template record,
    // the attacks (each a polymorphic member; a member that is not an
    // attack is dropped), TargetDistance alone in versions 2 to 4, from 5
    // the stat maxima and values, from 4 the targeting events, from 5
    // CalcDamage, from 7 OnEnraged, from 8 the two effects. Counts beyond
    // the arrays are read up to the array and the rest skipped. Each attack
    // read resolves its helpers in the template's mesh. The template, its
    // entity template part included, is unchanged unless the block was read
    // whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Attack index of the table; null for an empty slot or an index outside.
    gcCreatureAttack* GetAttack(int index) const;

    gcCreatureAttack* pAttacks[kMaxAttacks] = {};  // owned
    float fCreatureStatsMax[MAX_STATS] = {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 100.0f, 1.0f};
    float fCreatureValues[MAX_VALUES] = {0.0f, 0.8f, 2.5f, 1.0f, 0.5f, 1.0f, 1.0f, 0.0f, 0.0f, -1.0f};
    gcEvent onTargetAcquired;
    gcEvent onTargetLost;
    gcEvent calcDamage;
    gcEvent onEnraged;
    gcEffectTemplateHandle hAttackHitEffect;
    gcEffectTemplateHandle hAttackBlockedEffect;

protected:
    // Read with a second step for a derived class whose own part follows
    // the creature template block: readRest() (returning false on failure,
    // logged by it) runs after that block and before anything changes, so
    // that a failure in any part leaves the whole template as it was.
    template <class F>
    bool ReadCreatureThen(const cFile& file, cMemPool* pPool, F& readRest)
    {
        return ReadCreatureThen(file, pPool, [](void* p) { return (*static_cast<F*>(p))(); }, &readRest);
    }

private:
    bool ReadCreatureThen(const cFile& file, cMemPool* pPool, bool (*pReadRest)(void*), void* pContext);
    void DestroyAttacks();
};
