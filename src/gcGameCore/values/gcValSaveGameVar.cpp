#include "gcGameCore/values/gcValSaveGameVar.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cTimeValue.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValSaveGameVar, gcValue, 211)

namespace {

constexpr float kSecondsPerTick = 1.0f / 600.0f;

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_NUMBER;
    v.fConst = f;
    return v;
}

// A stored 0-based id as the 1-based number scripts see; widened, as ids
// read from the card may be the largest int.
float OneBased(int32_t n)
{
    return static_cast<float>(static_cast<int64_t>(n) + 1);
}

}  // namespace

gcValSaveGameVar::gcValSaveGameVar() : profile(Number(1.0f)) {}

gcValSaveGameVar::gcValSaveGameVar(int32_t v, int32_t kind, int32_t stat)
    : profile(Number(1.0f)), var(v), entityType(kind), nPlayerStat(stat)
{
}

cBase* gcValSaveGameVar::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValSaveGameVar>(*this) : nullptr;
}

void gcValSaveGameVar::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    profile.Write(wb);
    wb.WriteInt(var);
}

bool gcValSaveGameVar::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, kMinVersion, kVersion))
        return false;
    gcDesiredValue number;
    if (rb.m_nVersion >= 2)
        number.Read(rb, pPool);
    else
        number = Number(static_cast<float>(rb.ReadInt()) + 1.0f);
    const int32_t v = rb.ReadInt();
    if (rb.Failed())
        return false;
    profile = number;
    var = v;
    return true;
}

float gcValSaveGameVar::GetPlayerStat() const
{
    const gcGameSave::gcGameProfile* p = gcGameSave::GetCurProfile();
    if (entityType == STAT_ENTITY && nPlayerStat >= 0 && nPlayerStat < gcGameSave::kNumEntityStats)
        return p->fPlayerEntityStat[nPlayerStat];
    if (entityType == STAT_CREATURE && nPlayerStat >= 0 && nPlayerStat < gcGameSave::kNumCreatureStats)
        return p->fPlayerCreatureStat[nPlayerStat];
    return 0.0f;
}

float gcValSaveGameVar::Get(const gcEventParams&) const
{
    if (var == VAR_LASTUSEDPROFILE)
        return OneBased(gcGameSave::s_gameData.nLastUsedProfile);
    const gcGameSave::gcGameProfile* p = gcGameSave::GetCurProfile();
    if (!p)
        return 0.0f;
    switch (var) {
    case VAR_ACT:
        return OneBased(p->nAct);
    case VAR_MAP:
        return OneBased(p->nMap);
    case VAR_NUMPLAYERITEMS:
        return static_cast<float>(p->nPlayerItems);
    case VAR_PLAYERSTAT:
        return GetPlayerStat();
    case VAR_TIMEPLAYED: {
        // While the player plays, the running total; in the menus the saved one.
        const cTimeValue t = gcPlayer::Get()->m_pEntity ? gcPlayer::s_timePlayed : p->timePlayed;
        return static_cast<float>(t.m_nTicks) * kSecondsPerTick;
    }
    case VAR_CURRENTPROFILE:
        return OneBased(gcGameSave::s_nCurProfile);
    default:
        return 0.0f;
    }
}

const char* gcValSaveGameVar::GetVarText(int32_t v)
{
    static const char* const s_texts[MAX_VARS] = {"Act",        "Map",             "NumPlayerItems", "PlayerStat",
                                                  "TimePlayed", "LastUsedProfile", "CurrentProfile"};
    return v >= 0 && v < MAX_VARS ? s_texts[v] : "???";
}

void gcValSaveGameVar::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "SaveGame.");
    if (var < 0 || var >= MAX_VARS)
        return;
    gcScriptText::Append(pBuf, GetVarText(var));
    if (var != VAR_PLAYERSTAT)
        return;
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, entityType == STAT_ENTITY     ? gcEntityTemplate::GetStatText(nPlayerStat)
                               : entityType == STAT_CREATURE ? gcCreatureTemplate::GetStatText(nPlayerStat)
                                                             : "???");
}
