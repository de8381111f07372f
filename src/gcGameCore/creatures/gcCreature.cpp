#include "gcGameCore/creatures/gcCreature.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/entities/gcStoredCount.h"

QM_DEFINE_ABSTRACT_TYPE(gcCreature, gcEntity, 103)

static_assert(gcCreature::kNumStats == gcCreatureTemplate::MAX_STATS);

gcCreature* gcCreature::s_pActiveCreatures[kMaxActive] = {};
int32_t gcCreature::s_nActiveCreatures = 0;

// Every multiplier 1 but the aggro radius's, which scales the template's
// radius into the distance the creature notices from.
static void SetDefaultMods(float (&mods)[gcCreature::kNumStats])
{
    std::fill_n(mods, gcCreature::kNumStats, 1.0f);
    mods[gcCreatureTemplate::STAT_AGGRORADIUS] = gcCreature::kAggroRadiusMod;
}

gcCreature::gcCreature()
{
    for (cTimeValue& t : m_creatureTimeSince)
        t = cTimeValue(kNever);
    SetDefaultMods(m_fCreatureStatsMod);
}

gcCreature::gcCreature(const gcCreature& other) : gcEntity(other)
{
    for (cTimeValue& t : m_creatureTimeSince)
        t = cTimeValue(kNever);
    std::copy_n(other.m_fCreatureStatsMod, kNumStats, m_fCreatureStatsMod);
}

// A creature destroyed while enabled must not stay in the table.
gcCreature::~gcCreature()
{
    RemoveFromActiveList(this);
}

void gcCreature::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcEntity::Write(file);
    wb.WriteInt(kNumStats);
    wb.WriteFloats(m_fCreatureStatsMod, kNumStats);
}

bool gcCreature::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("gcCreature", "version");
    if (!gcEntity::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    float mods[kNumStats];
    std::copy_n(m_fCreatureStatsMod, kNumStats, mods);
    if (rb.m_nVersion >= 2) {
        const gcStoredCount count = gcStoredCount::Read(rb, kNumStats, "gcCreature", "stat multiplier count");
        rb.ReadFloats(mods, count.m_nRead);
        count.SkipSurplus(rb, 4);
    }
    if (rb.Failed())
        return false;
    std::copy_n(mods, kNumStats, m_fCreatureStatsMod);
    return true;
}

void gcCreature::OnMemPoolReset(const cMemPool* pPool)
{
    gcEntity::OnMemPoolReset(pPool);
    if (pPool->Contains(m_pTarget))
        m_pTarget = nullptr;
    if (pPool->Contains(m_pLastHit))
        m_pLastHit = nullptr;
    for (gcCreatureAttack** pp : {&m_pAttack, &m_pNextAttackA, &m_pNextAttackB})
        if (pPool->Contains(*pp))
            *pp = nullptr;
}

bool gcCreature::Reset(cMemPool* pPool)
{
    gcEntity::Reset(pPool);
    return true;
}

gcCreatureTemplate* gcCreature::GetCreatureTemplate() const
{
    return dcast<gcCreatureTemplate>(GetTemplate());
}

void gcCreature::ResetStats()
{
    gcEntity::ResetStats();
    const gcCreatureTemplate* pTemplate = GetCreatureTemplate();
    if (!pTemplate)
        return;
    for (int i = 0; i < kNumStats; ++i) {
        m_fCreatureStatsMax[i] = pTemplate->fCreatureStatsMax[i] * m_fCreatureStatsMod[i];
        m_fCreatureStatsCur[i] = m_fCreatureStatsMax[i];
    }
}

float gcCreature::GetCreatureStat(int32_t stat) const
{
    return (stat >= 0 && stat < kNumStats) ? m_fCreatureStatsCur[stat] : 0.0f;
}

void gcCreature::SetCreatureStat(int32_t stat, float fValue)
{
    if (stat >= 0 && stat < kNumStats)
        m_fCreatureStatsCur[stat] = fValue;
}

void gcCreature::AddToCreatureStat(int32_t stat, float fAmount)
{
    if (stat < 0 || stat >= kNumStats)
        return;
    if (!gcCreatureTemplate::StatHasMax(stat)) {
        m_fCreatureStatsCur[stat] += fAmount;
        return;
    }
    m_fCreatureStatsMax[stat] += fAmount;
    m_fCreatureStatsCur[stat] = std::clamp(m_fCreatureStatsCur[stat], 0.0f, std::max(m_fCreatureStatsMax[stat], 0.0f));
}

void gcCreature::HandleTimeSince(cTimeValue dt)
{
    gcEntity::HandleTimeSince(dt);
    for (cTimeValue& t : m_creatureTimeSince) {
        if (t.m_nTicks == kNever)
            continue;
        const int64_t sum = static_cast<int64_t>(t.m_nTicks) + dt.m_nTicks;
        t.m_nTicks = (sum < 0 || sum > kNever) ? kNever : static_cast<int32_t>(sum);
    }
}

bool gcCreature::Enable()
{
    if (!AddToActiveList(this)) {
        cLogWarn_("gcCreature: \"%s\" cannot be enabled: %d creatures are active", m_name.m_sData, kMaxActive);
        return false;
    }
    if (gcEntity::Enable())
        return true;
    RemoveFromActiveList(this);
    return false;
}

void gcCreature::Disable()
{
    RemoveFromActiveList(this);
    gcEntity::Disable();
}

// A creature already in the table keeps its one slot: a second would
// outlive the single removal that disabling makes.
bool gcCreature::AddToActiveList(gcCreature* pCreature)
{
    if (!pCreature)
        return false;
    if (std::find(std::begin(s_pActiveCreatures), std::end(s_pActiveCreatures), pCreature) !=
        std::end(s_pActiveCreatures))
        return true;
    if (s_nActiveCreatures + 1 > kMaxActive)
        return false;
    for (gcCreature*& p : s_pActiveCreatures) {
        if (!p) {
            p = pCreature;
            ++s_nActiveCreatures;
            return true;
        }
    }
    return false;
}

void gcCreature::RemoveFromActiveList(gcCreature* pCreature)
{
    if (!pCreature)
        return;  // would free a free slot
    for (gcCreature*& p : s_pActiveCreatures) {
        if (p == pCreature) {
            p = nullptr;
            --s_nActiveCreatures;
            return;
        }
    }
}
