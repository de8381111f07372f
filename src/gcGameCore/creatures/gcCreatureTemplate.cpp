#include "gcGameCore/creatures/gcCreatureTemplate.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eMesh.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/entities/gcStoredCount.h"

QM_DEFINE_ABSTRACT_TYPE(gcCreatureTemplate, gcEntityTemplate, 104)

const char* gcCreatureTemplate::GetStatText(int32_t stat)
{
    static const char* const kTexts[MAX_STATS] = {"Experience",      "Energy",      "Level",
                                                  "DamageBase",      "DamageWeapon", "DamageItemBonus",
                                                  "DamageBonus",     "Endurance",   "AggroRadius"};
    return (stat >= 0 && stat < MAX_STATS) ? kTexts[stat] : "???";
}

const char* gcCreatureTemplate::GetValueText(int32_t value)
{
    static const char* const kTexts[MAX_VALUES] = {"???",        "AttackRangeShort", "AttackRangeLong",
                                                   "Aggressiveness", "Perception",  "Blocking",
                                                   "Dodging",    "Blind Resistance", "Stun Resistance",
                                                   "TargetDistance"};
    return (value >= 0 && value < MAX_VALUES) ? kTexts[value] : "???";
}

bool gcCreatureTemplate::StatHasMax(int32_t stat)
{
    return stat == STAT_ENERGY || stat == STAT_ENDURANCE;
}

static constexpr gcEntityTemplate::Range kOtherRange = {0.0f, 999.0f, 1.0f, 0};

gcEntityTemplate::Range gcCreatureTemplate::GetStatRange(int32_t stat)
{
    static const Range kRanges[MAX_STATS] = {
        {0.0f, 10000.0f, 10.0f, 0}, {0.0f, 999.0f, 0.001f, 3}, {0.0f, 32.0f, 1.0f, 0},
        {0.0f, 100.0f, 0.1f, 2},    {0.0f, 100.0f, 0.1f, 2},   {0.0f, 100.0f, 0.1f, 2},
        {0.0f, 100.0f, 0.1f, 2},    {0.0f, 999.0f, 1.0f, 0},   {0.0f, 100.0f, 0.1f, 1}};
    return (stat >= 0 && stat < MAX_STATS) ? kRanges[stat] : kOtherRange;
}

gcEntityTemplate::Range gcCreatureTemplate::GetValueRange(int32_t value)
{
    static const Range kRanges[MAX_VALUES] = {
        {0.0f, 0.0f, 0.0f, 0},   {0.0f, 10.0f, 0.1f, 1}, {0.0f, 10.0f, 0.1f, 1}, {0.0f, 1.5f, 0.01f, 2},
        {0.0f, 1.0f, 0.01f, 2},  {0.0f, 1.0f, 0.01f, 2}, {0.0f, 1.0f, 0.01f, 2}, {0.0f, 1.0f, 0.01f, 2},
        {0.0f, 1.0f, 0.01f, 2},  {-100.0f, 100.0f, 0.1f, 1}};
    return (value >= 0 && value < MAX_VALUES) ? kRanges[value] : kOtherRange;
}

gcCreatureTemplate::gcCreatureTemplate()
    : onTargetAcquired("OnTargetAcquired", m_name.m_sData),
      onTargetLost("OnTargetLost", m_name.m_sData),
      calcDamage("CalcDamage", m_name.m_sData),
      onEnraged("OnEnraged", m_name.m_sData)
{
}

gcCreatureTemplate::gcCreatureTemplate(const gcCreatureTemplate& other)
    : gcEntityTemplate(other),
      onTargetAcquired(other.onTargetAcquired, m_name.m_sData),
      onTargetLost(other.onTargetLost, m_name.m_sData),
      calcDamage(other.calcDamage, m_name.m_sData),
      onEnraged(other.onEnraged, m_name.m_sData),
      hAttackHitEffect(other.hAttackHitEffect),
      hAttackBlockedEffect(other.hAttackBlockedEffect)
{
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    for (int i = 0; i < kMaxAttacks; ++i)
        if (other.pAttacks[i] && pPool)
            pAttacks[i] = static_cast<gcCreatureAttack*>(other.pAttacks[i]->Copy(pPool));
    std::copy_n(other.fCreatureStatsMax, MAX_STATS, fCreatureStatsMax);
    std::copy_n(other.fCreatureValues, MAX_VALUES, fCreatureValues);
}

gcCreatureTemplate::~gcCreatureTemplate()
{
    DestroyAttacks();
}

void gcCreatureTemplate::DestroyAttacks()
{
    for (gcCreatureAttack*& p : pAttacks) {
        if (p)
            std::destroy_at(p);
        p = nullptr;
    }
}

gcCreatureAttack* gcCreatureTemplate::GetAttack(int index) const
{
    return (index >= 0 && index < kMaxAttacks) ? pAttacks[index] : nullptr;
}

void gcCreatureTemplate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcEntityTemplate::Write(file);
    wb.WriteInt(kMaxAttacks);
    for (const gcCreatureAttack* p : pAttacks)
        wb.WriteBase(p);
    wb.WriteInt(MAX_STATS);
    wb.WriteFloats(fCreatureStatsMax, MAX_STATS);
    wb.WriteInt(MAX_VALUES);
    wb.WriteFloats(fCreatureValues, MAX_VALUES);
    onTargetAcquired.Write(file);
    onTargetLost.Write(file);
    calcDamage.Write(file);
    onEnraged.Write(file);
    hAttackHitEffect.Write(wb);
    hAttackBlockedEffect.Write(wb);
}

namespace {

// Everything Read takes from the block after the entity template record,
// committed only when the block is whole. Owns the attacks read until then.
struct CreatureData {
    gcCreatureAttack* pAttacks[gcCreatureTemplate::kMaxAttacks] = {};
    float fStats[gcCreatureTemplate::MAX_STATS];
    float fValues[gcCreatureTemplate::MAX_VALUES];
    gcEvent events[4];
    gcEffectTemplateHandle hHit, hBlocked;

    CreatureData() = default;
    CreatureData(const CreatureData&) = delete;
    CreatureData& operator=(const CreatureData&) = delete;
    ~CreatureData()
    {
        for (gcCreatureAttack* p : pAttacks)
            if (p)
                std::destroy_at(p);
    }
};

// A member that is not an attack is dropped (logged); the slot stays empty.
// Helpers are resolved once the template's mesh is known, after the read.
gcCreatureAttack* ReadAttack(const cReadBlock& rb, cMemPool* pPool)
{
    // A member of another class fails the file as a damaged one.
    return static_cast<gcCreatureAttack*>(rb.ReadBase(pPool, gcCreatureAttack::GetStaticType()));
}

void ReadAttacks(const cReadBlock& rb, cMemPool* pPool, CreatureData* d)
{
    const gcStoredCount attacks =
        gcStoredCount::Read(rb, gcCreatureTemplate::kMaxAttacks, "gcCreatureTemplate", "attack count");
    for (int i = 0; i < attacks.m_nRead && !rb.Failed(); ++i)
        d->pAttacks[i] = ReadAttack(rb, pPool);
    for (int i = attacks.m_nRead; i < attacks.m_nStored && !rb.Failed(); ++i)
        rb.SkipBase();
}

void ReadStatsAndValues(const cReadBlock& rb, CreatureData* d)
{
    if (rb.m_nVersion < 5) {
        d->fValues[gcCreatureTemplate::VAL_TARGETDISTANCE] = rb.ReadFloat();
        return;
    }
    const gcStoredCount stats =
        gcStoredCount::Read(rb, gcCreatureTemplate::MAX_STATS, "gcCreatureTemplate", "stat count");
    rb.ReadFloats(d->fStats, stats.m_nRead);
    stats.SkipSurplus(rb, 4);
    const gcStoredCount values =
        gcStoredCount::Read(rb, gcCreatureTemplate::MAX_VALUES, "gcCreatureTemplate", "value count");
    rb.ReadFloats(d->fValues, values.m_nRead);
    values.SkipSurplus(rb, 4);
}

// OnTargetAcquired and OnTargetLost from 4, CalcDamage from 5, OnEnraged
// from 7, in file order.
bool ReadCreatureEvents(const cFile& file, uint32_t v, cMemPool* pPool, gcEvent (&events)[4])
{
    return (v < 4 || (events[0].Read(file, pPool) && events[1].Read(file, pPool))) &&
           (v < 5 || events[2].Read(file, pPool)) && (v < 7 || events[3].Read(file, pPool));
}

// Everything after the entity template record; false when the block came
// short or an event did not read.
bool ReadCreaturePart(const cReadBlock& rb, cMemPool* pPool, CreatureData* d)
{
    const uint32_t v = rb.m_nVersion;
    ReadAttacks(rb, pPool, d);
    // Versions 2 to 4 hold TargetDistance alone where later ones hold every
    // stat maximum and value.
    ReadStatsAndValues(rb, d);
    const bool bEvents = !rb.Failed() && ReadCreatureEvents(rb.m_file, v, pPool, d->events);
    if (bEvents && v >= 8) {
        d->hHit.Read(rb, pPool);
        d->hBlocked.Read(rb, pPool);
    }
    return bEvents && !rb.Failed();
}

}  // namespace

bool gcCreatureTemplate::Read(const cFile& file, cMemPool* pPool)
{
    return ReadCreatureThen(file, pPool, nullptr, nullptr);
}

bool gcCreatureTemplate::ReadCreatureThen(const cFile& file, cMemPool* pPool, bool (*pReadRest)(void*),
                                          void* pContext)
{
    // The block ends before a derived class's part begins: it is closed
    // early, inside the entity template's second step.
    std::optional<cReadBlock> rb(std::in_place, file, kVersion);
    const uint32_t v = rb->m_nVersion;
    if (v < kMinVersion || v > kVersion)
        return rb->Reject("gcCreatureTemplate", "version");
    CreatureData d;
    std::copy_n(fCreatureStatsMax, MAX_STATS, d.fStats);
    std::copy_n(fCreatureValues, MAX_VALUES, d.fValues);
    bool bOwnPart = false;
    auto readRest = [&] {
        bOwnPart = true;
        if (!ReadCreaturePart(*rb, pPool, &d))
            return false;
        rb.reset();
        return !pReadRest || pReadRest(pContext);
    };
    if (!ReadThen(file, pPool, readRest)) {
        if (!rb || rb->Failed())
            return false;  // the derived part failed (and said why), or the block came short
        if (bOwnPart)
            return rb->Reject("gcCreatureTemplate", "event block");
        rb->SkipToEnd();
        return false;
    }
    DestroyAttacks();
    std::swap(pAttacks, d.pAttacks);
    const eMesh* pMesh = eMeshMgr::GetPtr(hMesh);
    for (gcCreatureAttack* p : pAttacks)
        if (p)
            p->ResolveHelpers(pMesh);
    std::copy_n(d.fStats, MAX_STATS, fCreatureStatsMax);
    std::copy_n(d.fValues, MAX_VALUES, fCreatureValues);
    gcEvent* mine[4] = {&onTargetAcquired, &onTargetLost, &calcDamage, &onEnraged};
    for (int i = 0; i < 4; ++i)
        std::swap(mine[i]->pAction, d.events[i].pAction);
    hAttackHitEffect = d.hHit;
    hAttackBlockedEffect = d.hBlocked;
    return true;
}
