#include "gcGameCore/flow/gcGameSave.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cStr.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAudio.h"
#include "eEngine/eInput.h"
#include "eEngine/eMemCard.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/values/gcValCreatureStat.h"
#include "gcGameCore/values/gcValEntityStat.h"

QM_DEFINE_TYPE(gcGameSave, cBase, 229)

gcGameSave::gcGameData gcGameSave::s_gameData;
int32_t gcGameSave::s_nCurProfile = -1;
float gcGameSave::s_fOptionValues[MAX_OPTIONVALUES] = {1.0f, 1.0f};

namespace {

// Offsets of a profile's fields on the card.
constexpr int kOffFlags = 0;
constexpr int kOffTime = 4;
constexpr int kOffAct = 8;
constexpr int kOffMap = 12;
constexpr int kOffLoadingScreen = 16;
constexpr int kOffOptions = 20;
constexpr int kOffKeyValues = 28;
constexpr int kOffNumItems = 428;
constexpr int kOffItems = 432;
constexpr int kOffCounts = 560;
constexpr int kOffItemFlags = 688;
constexpr int kOffParents = 816;
constexpr int kOffEntityStats = 944;
constexpr int kOffCreatureStats = 960;
constexpr int kOffSoundVolume = 996;
constexpr int kOffMusicVolume = 1000;
constexpr int kOffAudioMode = 1004;
constexpr int kOffRumble = 1008;

void PutWord(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

uint32_t GetWord(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void PutFloat(uint8_t* p, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    PutWord(p, v);
}

float GetFloat(const uint8_t* p)
{
    const uint32_t v = GetWord(p);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

template <class T>
void PutWords(uint8_t* p, const T* pValues, int n)
{
    for (int i = 0; i < n; ++i)
        PutWord(p + 4 * i, static_cast<uint32_t>(pValues[i]));
}

template <class T>
void GetWords(const uint8_t* p, T* pValues, int n)
{
    for (int i = 0; i < n; ++i)
        pValues[i] = static_cast<T>(GetWord(p + 4 * i));
}

void PutFloats(uint8_t* p, const float* pValues, int n)
{
    for (int i = 0; i < n; ++i)
        PutFloat(p + 4 * i, pValues[i]);
}

void GetFloats(const uint8_t* p, float* pValues, int n)
{
    for (int i = 0; i < n; ++i)
        pValues[i] = GetFloat(p + 4 * i);
}

bool IsProfileIndex(int32_t n)
{
    return n >= 0 && n < gcGameSave::kNumProfiles;
}

gcCreature* PlayerCreature()
{
    return dcast<gcCreature>(gcPlayer::Get()->m_pEntity);
}

// The children of an item in ring order; the ring is walked from its first
// member until it comes round again.
template <class F>
void ForEachInRing(gcItem* pFirst, F&& f)
{
    gcItem* p = pFirst;
    while (p) {
        gcItem* pNext = p->m_pNextSiblingItem;  // f may not unlink p, but read ahead all the same
        f(p);
        if (pNext == pFirst)
            break;
        p = pNext;
    }
}

// An entry's recorded equip state onto its item. Equipping an item equips
// everything nested in it, so a nested entry must be set after its parent's.
void SetEquipped(gcItem* pItem, uint32_t nFlags)
{
    if (nFlags & gcItem::kEquipped)
        pItem->Equip();
    else
        pItem->Unequip();
}

// The slots of the game state's key values that lie in the manager's table;
// begin == end when there is no game state.
void KeyValueSlots(int32_t* pBegin, int32_t* pEnd)
{
    const gcGameState* pState = gcGameState::s_pGameState;
    *pBegin = pState ? pState->m_keyValues.FirstTableSlot() : 0;
    *pEnd = pState ? pState->m_keyValues.EndTableSlot() : 0;
}

}  // namespace

void gcGameSave::gcGameProfile::Reset()
{
    nFlags = kNewProfile;
    timePlayed = cTimeValue(0);
    nAct = nMap = nLoadingScreen = -1;
    fOptionValues[OV_CAMERA_INVERT_X] = fOptionValues[OV_CAMERA_INVERT_Y] = 1.0f;
    for (float& f : fGameStateKeyValues)
        f = 0.0f;
    nPlayerItems = 0;
    for (int i = 0; i < kMaxItems; ++i) {
        hPlayerItems[i] = 0;
        nPlayerItemCounts[i] = 0;
        nPlayerItemFlags[i] = 0;
        nPlayerItemParent[i] = -1;
    }
    for (float& f : fPlayerEntityStat)
        f = 0.0f;
    for (float& f : fPlayerCreatureStat)
        f = 0.0f;
    fSoundVolume = fMusicVolume = 1.0f;
    bRumble = true;
}

void gcGameSave::gcGameProfile::Encode(uint8_t* pOut) const
{
    std::memset(pOut, 0, kProfileSize);
    PutWord(pOut + kOffFlags, nFlags);
    PutWord(pOut + kOffTime, static_cast<uint32_t>(timePlayed.m_nTicks));
    PutWord(pOut + kOffAct, static_cast<uint32_t>(nAct));
    PutWord(pOut + kOffMap, static_cast<uint32_t>(nMap));
    PutWord(pOut + kOffLoadingScreen, static_cast<uint32_t>(nLoadingScreen));
    PutFloats(pOut + kOffOptions, fOptionValues, MAX_OPTIONVALUES);
    PutFloats(pOut + kOffKeyValues, fGameStateKeyValues, kNumKeyValues);
    PutWord(pOut + kOffNumItems, static_cast<uint32_t>(nPlayerItems));
    PutWords(pOut + kOffItems, hPlayerItems, kMaxItems);
    PutWords(pOut + kOffCounts, nPlayerItemCounts, kMaxItems);
    PutWords(pOut + kOffItemFlags, nPlayerItemFlags, kMaxItems);
    PutWords(pOut + kOffParents, nPlayerItemParent, kMaxItems);
    PutFloats(pOut + kOffEntityStats, fPlayerEntityStat, kNumEntityStats);
    PutFloats(pOut + kOffCreatureStats, fPlayerCreatureStat, kNumCreatureStats);
    PutFloat(pOut + kOffSoundVolume, fSoundVolume);
    PutFloat(pOut + kOffMusicVolume, fMusicVolume);
    PutWord(pOut + kOffAudioMode, static_cast<uint32_t>(audioMode));
    pOut[kOffRumble] = bRumble ? 1 : 0;
}

void gcGameSave::gcGameProfile::Decode(const uint8_t* pIn)
{
    nFlags = GetWord(pIn + kOffFlags);
    timePlayed = cTimeValue(static_cast<int32_t>(GetWord(pIn + kOffTime)));
    nAct = static_cast<int32_t>(GetWord(pIn + kOffAct));
    nMap = static_cast<int32_t>(GetWord(pIn + kOffMap));
    nLoadingScreen = static_cast<int32_t>(GetWord(pIn + kOffLoadingScreen));
    GetFloats(pIn + kOffOptions, fOptionValues, MAX_OPTIONVALUES);
    GetFloats(pIn + kOffKeyValues, fGameStateKeyValues, kNumKeyValues);
    nPlayerItems = static_cast<int32_t>(GetWord(pIn + kOffNumItems));
    GetWords(pIn + kOffItems, hPlayerItems, kMaxItems);
    GetWords(pIn + kOffCounts, nPlayerItemCounts, kMaxItems);
    GetWords(pIn + kOffItemFlags, nPlayerItemFlags, kMaxItems);
    GetWords(pIn + kOffParents, nPlayerItemParent, kMaxItems);
    GetFloats(pIn + kOffEntityStats, fPlayerEntityStat, kNumEntityStats);
    GetFloats(pIn + kOffCreatureStats, fPlayerCreatureStat, kNumCreatureStats);
    fSoundVolume = GetFloat(pIn + kOffSoundVolume);
    fMusicVolume = GetFloat(pIn + kOffMusicVolume);
    audioMode = static_cast<int32_t>(GetWord(pIn + kOffAudioMode));
    bRumble = pIn[kOffRumble] != 0;
}

void gcGameSave::gcGameData::Encode(uint8_t* pOut) const
{
    PutWord(pOut, static_cast<uint32_t>(nLastUsedProfile));
    for (int i = 0; i < kNumProfiles; ++i)
        profiles[i].Encode(pOut + 4 + i * kProfileSize);
}

void gcGameSave::gcGameData::Decode(const uint8_t* pIn)
{
    nLastUsedProfile = static_cast<int32_t>(GetWord(pIn));
    for (int i = 0; i < kNumProfiles; ++i)
        profiles[i].Decode(pIn + 4 + i * kProfileSize);
}

void gcGameSave::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
}

bool gcGameSave::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || !cBase::Read(file, pPool))
        return rb.Reject("gcGameSave", "version");
    return !rb.Failed();
}

gcGameSave::gcGameProfile* gcGameSave::GetCurProfile()
{
    return IsProfileIndex(s_nCurProfile) ? &s_gameData.profiles[s_nCurProfile] : nullptr;
}

const char* gcGameSave::GetSaveName()
{
    const gcGame* pGame = gcGame::s_pGame;
    if (pGame && pGame->m_name.m_sData[0])
        return pGame->m_name.m_sData;
    // Scripts learn how a save or load went from the card's status alone: a
    // request that never reaches the card must fail there too.
    cLogError_("gcGameSave: no game object names the save file");
    eMemCard::s_status = eMemCard::STATUS_FATAL_ERROR;
    return nullptr;
}

void gcGameSave::UpdateKeyValues(gcGameProfile& p)
{
    int32_t nBegin, nEnd;
    KeyValueSlots(&nBegin, &nEnd);
    if (!gcGameState::s_pGameState)
        return;
    for (int i = 0; i < kNumKeyValues; ++i) {
        const int32_t slot = nBegin + i;
        const gcKeyValue* pValue = slot < nEnd ? gcKeyValueMgr::s_pInstances[slot] : nullptr;
        p.fGameStateKeyValues[i] = pValue ? pValue->m_fValue : 0.0f;
    }
}

void gcGameSave::ApplyKeyValues(const gcGameProfile& p)
{
    int32_t nBegin, nEnd;
    KeyValueSlots(&nBegin, &nEnd);
    for (int i = 0; i < kNumKeyValues && nBegin + i < nEnd; ++i) {
        if (gcKeyValue* pValue = gcKeyValueMgr::s_pInstances[nBegin + i])
            pValue->m_fValue = p.fGameStateKeyValues[i];
    }
}

// Items outside the Game State pool (and everything past the table's 32
// entries) are neither recorded nor unequipped. Taking a container off or
// putting it on does the same to everything it holds, so the walk also
// keeps the equip state of every item it passes, recorded or not, and puts
// each item back as it was, a nested one after its container.
struct gcGameSave::ItemWalk {
    static constexpr int kMaxKept = 256;
    int nEntry = 0;    // the next profile entry
    int nVisited = 0;  // items passed, in walk order
    bool bKept[kMaxKept] = {};
};

bool gcGameSave::IsRecorded(const gcItem* pItem, const ItemWalk& walk, bool bParentRecorded)
{
    return bParentRecorded && walk.nEntry < kMaxItems && gcGame::GetGameStatePool()->Contains(pItem);
}

void gcGameSave::UpdateProfileItem(gcGameProfile& p, gcItem* pItem, ItemWalk& walk, int parent, bool bParentRecorded)
{
    const int v = walk.nVisited++;
    if (v < ItemWalk::kMaxKept)
        walk.bKept[v] = pItem->IsEquipped();
    else if (v == ItemWalk::kMaxKept)
        cLogWarn_("gcGameSave: more than %d items on the player; the rest are put on as their containers",
                  ItemWalk::kMaxKept);
    const bool bRecorded = IsRecorded(pItem, walk, bParentRecorded);
    const int e = bRecorded ? walk.nEntry++ : -1;
    if (bRecorded) {
        p.hPlayerItems[e] = pItem->m_hTemplate.m_nValue;
        p.nPlayerItemCounts[e] = pItem->m_nCount;
        p.nPlayerItemFlags[e] = pItem->m_nFlags;
        p.nPlayerItemParent[e] = parent;
    }
    ForEachInRing(pItem->m_pFirstChildItem,
                  [&](gcItem* pChild) { UpdateProfileItem(p, pChild, walk, e, bRecorded); });
    // Children were recorded while still equipped; the stats are saved bare.
    if (bRecorded && pItem->IsEquipped())
        pItem->Unequip();
}

void gcGameSave::ReEquipItem(const gcGameProfile& p, gcItem* pItem, ItemWalk& walk, bool bParentRecorded)
{
    const int v = walk.nVisited++;
    const bool bRecorded = IsRecorded(pItem, walk, bParentRecorded);
    if (bRecorded)
        SetEquipped(pItem, p.nPlayerItemFlags[walk.nEntry++]);
    else if (v < ItemWalk::kMaxKept)
        SetEquipped(pItem, walk.bKept[v] ? gcItem::kEquipped : 0u);
    ForEachInRing(pItem->m_pFirstChildItem, [&](gcItem* pChild) { ReEquipItem(p, pChild, walk, bRecorded); });
}

void gcGameSave::UpdatePlayer(gcGameProfile& p, gcCreature* pCreature)
{
    // Items of the map are taken off first so that they are never saved.
    pCreature->RemoveItems(&gcGame::s_mapPool);
    ItemWalk walk;
    ForEachInRing(pCreature->m_pItems, [&](gcItem* pItem) { UpdateProfileItem(p, pItem, walk, -1, true); });
    p.nPlayerItems = walk.nEntry;
    for (int i = walk.nEntry; i < kMaxItems; ++i) {
        p.hPlayerItems[i] = 0;
        p.nPlayerItemCounts[i] = 0;
        p.nPlayerItemFlags[i] = 0;
        p.nPlayerItemParent[i] = -1;
    }
    // Recorded whether the player lives or not: health goes in as its
    // maximum, so a fallen player's record still holds a living health, and
    // scripts read what was gained before the fall.
    RecordStats(p, *pCreature);
    walk.nEntry = walk.nVisited = 0;
    ForEachInRing(pCreature->m_pItems, [&](gcItem* pItem) { ReEquipItem(p, pItem, walk, true); });
}

void gcGameSave::RecordStats(gcGameProfile& p, const gcCreature& creature)
{
    for (int i = 0; i < kNumEntityStats; ++i)
        p.fPlayerEntityStat[i] = gcEntityTemplate::StatHasMax(i) ? creature.m_fEntityStatsMax[i]
                                                                 : creature.m_fEntityStatsCur[i];
    for (int i = 0; i < kNumCreatureStats; ++i)
        p.fPlayerCreatureStat[i] = gcCreatureTemplate::StatHasMax(i) ? creature.m_fCreatureStatsMax[i]
                                                                     : creature.m_fCreatureStatsCur[i];
}

bool gcGameSave::HoldsPlayerStats(const gcGameProfile& p)
{
    // Health is recorded as its maximum: a profile without health holds no
    // player's stats (a new one, or one recorded before any player lived).
    return p.fPlayerEntityStat[gcEntityTemplate::STAT_HEALTH] > 0.0f;
}

void gcGameSave::UpdateCurProfile(bool bOptionsOnly)
{
    gcGameProfile* p = GetCurProfile();
    if (!p)
        return;
    s_gameData.nLastUsedProfile = s_nCurProfile;
    p->fSoundVolume = eAudio::GetGroupVolume(eAudio::ACG_SFX, 0);
    p->fMusicVolume = eAudio::GetGroupVolume(eAudio::ACG_BGM, 0);
    p->audioMode = eAudio::GetOutputMode();
    p->bRumble = eInput::s_bRumble;
    p->fOptionValues[OV_CAMERA_INVERT_X] = s_fOptionValues[OV_CAMERA_INVERT_X];
    p->fOptionValues[OV_CAMERA_INVERT_Y] = s_fOptionValues[OV_CAMERA_INVERT_Y];
    if (bOptionsOnly)
        return;
    // A save made while a map change is requested continues at that map.
    if (const gcGame* pGame = gcGame::s_pGame; pGame && pGame->IsMapRequested()) {
        p->nAct = pGame->m_nActToLoad;
        p->nMap = pGame->m_nMapToLoad;
        p->nLoadingScreen = pGame->m_nLoadingScreenToLoad;
    }
    UpdateKeyValues(*p);
    p->timePlayed = gcPlayer::s_timePlayed;
    if (gcCreature* pCreature = PlayerCreature())
        UpdatePlayer(*p, pCreature);
}

void gcGameSave::ApplyOptions(const gcGameProfile& p)
{
    eAudio::SetGroupVolume(eAudio::ACG_SFX, 0, p.fSoundVolume);
    eAudio::SetGroupVolume(eAudio::ACG_BGM, 0, p.fMusicVolume);
    // A mode the game never records was refused with the profile already.
    eAudio::SetOutputMode(static_cast<eAudio::eAudioOutputMode>(p.audioMode), false);
    if (p.bRumble != eInput::s_bRumble)
        eInput::StopRumble();
    eInput::s_bRumble = p.bRumble;
    s_fOptionValues[OV_CAMERA_INVERT_X] = p.fOptionValues[OV_CAMERA_INVERT_X];
    s_fOptionValues[OV_CAMERA_INVERT_Y] = p.fOptionValues[OV_CAMERA_INVERT_Y];
}

namespace {

// A stat with a maximum takes the saved value as its maximum and keeps its
// current value within 0..maximum; any other stat takes it as it is.
void ApplyStat(bool bHasMax, float fSaved, float& fMax, float& fCur)
{
    if (!bHasMax) {
        fCur = fSaved;
        return;
    }
    fMax = fSaved;
    fCur = fSaved <= 0.0f ? 0.0f : fSaved;
}

}  // namespace

void gcGameSave::ApplyStats(const gcGameProfile& p, gcCreature* pCreature)
{
    for (int i = 0; i < kNumEntityStats; ++i)
        ApplyStat(gcEntityTemplate::StatHasMax(i), p.fPlayerEntityStat[i], pCreature->m_fEntityStatsMax[i],
                  pCreature->m_fEntityStatsCur[i]);
    for (int i = 0; i < kNumCreatureStats; ++i)
        ApplyStat(gcCreatureTemplate::StatHasMax(i), p.fPlayerCreatureStat[i], pCreature->m_fCreatureStatsMax[i],
                  pCreature->m_fCreatureStatsCur[i]);
}

void gcGameSave::ApplyItems(const gcGameProfile& p, gcCreature* pCreature)
{
    // The count and every parent were held within what the game records
    // (HoldsValuesInBounds) before anything was applied.
    gcItem* pMade[kMaxItems] = {};
    for (int e = 0; e < p.nPlayerItems && e < kMaxItems; ++e) {
        if (p.hPlayerItems[e] == 0)
            continue;
        const int32_t parent = p.nPlayerItemParent[e];
        // The parent's item may not have been given: its template gone.
        if (parent != -1 && !pMade[parent]) {
            cLogWarn_("gcGameSave: item entry %d with parent %d skipped", e, parent);
            continue;
        }
        gcItemTemplate* pTemplate = gcItemTemplateMgr::GetPtr(gcItemTemplateHandle(p.hPlayerItems[e]));
        // A stack holds at least one; other items are one whatever the count.
        if (pTemplate && pTemplate->IsStackable() && p.nPlayerItemCounts[e] <= 0) {
            cLogWarn_("gcGameSave: item entry %d with count %d skipped", e, p.nPlayerItemCounts[e]);
            continue;
        }
        gcItem* pItem = pTemplate ? pTemplate->GetInstance() : nullptr;
        if (!pItem)
            continue;
        pCreature->AddItem(pItem, p.nPlayerItemCounts[e]);
        if (pItem->m_pParentEntity != pCreature)
            continue;  // merged into a stack already held
        if (parent != -1)
            pMade[parent]->AddChild(pItem);
        SetEquipped(pItem, p.nPlayerItemFlags[e]);
        pMade[e] = pItem;
    }
}

void gcGameSave::ApplyCurProfile()
{
    gcGameProfile* p = GetCurProfile();
    if (!p)
        return;
    s_gameData.nLastUsedProfile = s_nCurProfile;
    gcCreature* pCreature = PlayerCreature();
    // A profile a script loaded and applied without a Continue was never
    // held within bounds: a word the game never records is damage here too.
    cStr why;
    if (!HoldsValuesInBounds(*p, &why)) {
        RefuseCurProfile(why, true);
        return;
    }
    // A profile started while a map ran, or holding items of the map's own
    // templates, was not held against its map's player at Continue: a
    // record that player could never have held is damage, and nothing of
    // the profile is given (its position is the map being started).
    if (!(p->nFlags & kNewProfile) && pCreature && HoldsPlayerStats(*p) &&
        !HoldsStatsWithinPlayer(*p, *pCreature, &why)) {
        RefuseCurProfile(why, true);
        return;
    }
    ApplyOptions(*p);
    ApplyKeyValues(*p);
    gcPlayer::s_timePlayed = p->timePlayed;
    if (!(p->nFlags & kNewProfile) && pCreature) {
        if (HoldsPlayerStats(*p))
            ApplyStats(*p, pCreature);
        ApplyItems(*p, pCreature);
    }
    p->nFlags &= ~kNewProfile;
}

void gcGameSave::ResetCurProfile()
{
    gcGameProfile* p = GetCurProfile();
    if (!p)
        return;
    p->Reset();
    UpdateCurProfile(false);
}

void gcGameSave::ResetAllProfiles()
{
    for (gcGameProfile& p : s_gameData.profiles)
        p.Reset();
}

namespace {

// An act or map id a profile may hold: its 1-based number must fit as well.
bool IsPositionId(int32_t n)
{
    return n >= 0 && n < INT32_MAX;
}

// Whether the game data holds the act and map of a position: ids within
// the game's and the act's tables, and both files there. A card's words are
// not trusted to name a map the loader can start; pWhy says what is missing.
bool HoldsPosition(int32_t nAct, int32_t nMap, cStr* pWhy)
{
    if (nAct >= gcGame::kMaxActs || nMap >= gcAct::kMaxMaps) {
        pWhy->Set("acts are 1 to %d, maps 1 to %d", gcGame::kMaxActs, gcAct::kMaxMaps);
        return false;
    }
    cStr name;
    gcAct::GetFilename(nAct, &name);
    if (cFile::Exists(name.m_sData)) {
        gcMap::GetFilename(nAct, nMap, &name);
        if (cFile::Exists(name.m_sData))
            return true;
    }
    pWhy->Set("no file \"%s\"", name.m_sData);
    return false;
}

// A stat from the card must be a number. A stat with a maximum is saved as
// it: no template may make it larger than its editing range's maximum (a
// health of inf or 1e30 would make the player unfellable and draw the
// health bar across the screen), nor smaller than its range's minimum, zero
// for every one of them. Stats without one (Armor) have no bound: items add
// to them while owned, and scripts set them freely.
bool IsStatInBounds(float fValue, bool bHasMax, const gcEntityTemplate::Range& range, const char* sName,
                    cStr* pWhy)
{
    if (!std::isfinite(fValue)) {
        pWhy->Set("its %s %g is not a finite number", sName, static_cast<double>(fValue));
        return false;
    }
    if (bHasMax && fValue < range.fMin) {
        pWhy->Set("its %s %g lies below %g", sName, static_cast<double>(fValue), static_cast<double>(range.fMin));
        return false;
    }
    if (bHasMax && fValue > range.fMax) {
        pWhy->Set("its %s %g lies beyond %g", sName, static_cast<double>(fValue), static_cast<double>(range.fMax));
        return false;
    }
    return true;
}

// A volume is a share of the full one: a number from 0 to 1. NaN or one
// below 0 would silence its group for good, one above 1 clip it.
bool IsVolume(float fValue, const char* sName, cStr* pWhy)
{
    if (fValue >= 0.0f && fValue <= 1.0f)
        return true;
    pWhy->Set("its %s volume %g lies outside 0 to 1", sName, static_cast<double>(fValue));
    return false;
}

// What the item templates in memory can add to a stat with a maximum of
// their carrier: every bonus of every instance, owned and equipped at once.
float ItemBonus(gcItemStatModifier::gcEntityType entityType, int stat)
{
    float fBonus = 0.0f;
    for (const gcItemTemplate* pTemplate : gcItemTemplateMgr::s_pInstances) {
        if (!pTemplate)
            continue;
        const float fInstances = static_cast<float>(pTemplate->GetNumInstances());
        for (const gcItemStatModifier& mod : pTemplate->m_statModifiers)
            if ((mod.type == gcItemStatModifier::MOD_POSESS || mod.type == gcItemStatModifier::MOD_EQUIP) &&
                mod.entityType == entityType && mod.nStat == static_cast<uint32_t>(stat) && mod.fValue > 0.0f)
                fBonus += mod.fValue * fInstances;
    }
    return fBonus;
}

// Whether a stat's saved maximum is bounded by the player: one without a
// maximum is not, nor one that scripts of the data read so far may set
// (its editing range bounds it).
bool IsBoundByPlayer(bool bHasMax, uint32_t nMaxesRead, int stat)
{
    return bHasMax && (nMaxesRead & (1u << stat)) == 0;
}

// A saved maximum the player can hold: at most what its template gives it
// (times the player's own multiplier) with every bonus the items can add.
bool IsWithinPlayer(float fValue, float fPlayerMax, float fBonus, const char* sName, cStr* pWhy)
{
    const float fBound = fPlayerMax + fBonus;
    if (fValue <= fBound)
        return true;
    pWhy->Set("its %s %g lies beyond the player's %g", sName, static_cast<double>(fValue),
              static_cast<double>(fBound));
    return false;
}

// Whether every item entry the profile records is of a template in memory,
// and no held item may have gone unrecorded. The bonuses of a map's own
// item templates, read only with the map, are unknown before it loads.
bool RecordsOnlyItemsInMemory(const gcGameSave::gcGameProfile& p)
{
    if (p.nPlayerItems >= gcGameSave::kMaxItems)
        return false;  // recording stops at the last entry
    for (int e = 0; e < p.nPlayerItems; ++e)
        if (p.hPlayerItems[e] != 0 && !gcItemTemplateMgr::GetPtr(gcItemTemplateHandle(p.hPlayerItems[e])))
            return false;
    return true;
}

// A saved number the game records must be one: the option values are what
// scripts set, the key values what they and the files give.
bool AreFinite(const float* pValues, int n, const char* sName, cStr* pWhy)
{
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(pValues[i])) {
            pWhy->Set("its %s %d %g is not a finite number", sName, i + 1, static_cast<double>(pValues[i]));
            return false;
        }
    return true;
}

// Every item entry's parent as the recording writes it: -1 (the player) or
// an earlier entry.
bool HoldsItemParents(const gcGameSave::gcGameProfile& p, cStr* pWhy)
{
    for (int e = 0; e < p.nPlayerItems; ++e) {
        const int32_t parent = p.nPlayerItemParent[e];
        if (parent != -1 && (parent < 0 || parent >= e)) {
            pWhy->Set("its item entry %d names entry %lld as its parent", e + 1, parent + 1LL);
            return false;
        }
    }
    return true;
}

}  // namespace

bool gcGameSave::HoldsWordsInBounds(const gcGameProfile& p, cStr* pWhy)
{
    if (p.timePlayed.m_nTicks < 0) {
        pWhy->Set("its time played %d ticks lies below 0", p.timePlayed.m_nTicks);
        return false;
    }
    if (p.nLoadingScreen < -1 || p.nLoadingScreen >= gcGame::kMaxLoadingScreens) {
        pWhy->Set("its loading screen %lld lies outside 1 to %d", p.nLoadingScreen + 1LL, gcGame::kMaxLoadingScreens);
        return false;
    }
    if (p.nPlayerItems < 0 || p.nPlayerItems > kMaxItems) {
        pWhy->Set("its item count %d lies outside 0 to %d", p.nPlayerItems, kMaxItems);
        return false;
    }
    // What eAudio::GetOutputMode gives; AOM_DEFAULT is never recorded.
    if (p.audioMode < eAudio::AOM_MONO || p.audioMode > eAudio::AOM_DPL2) {
        pWhy->Set("its audio mode %d lies outside %d to %d", p.audioMode, eAudio::AOM_MONO, eAudio::AOM_DPL2);
        return false;
    }
    return HoldsItemParents(p, pWhy) && AreFinite(p.fOptionValues, MAX_OPTIONVALUES, "option value", pWhy) &&
           AreFinite(p.fGameStateKeyValues, kNumKeyValues, "key value", pWhy);
}

// Whether the profile's position can be started: two ids that fit, of an
// act and a map the game data holds. pWhy says what is wrong.
bool gcGameSave::HoldsStartablePosition(const gcGameProfile& p, cStr* pWhy)
{
    if (!IsPositionId(p.nAct) || !IsPositionId(p.nMap)) {
        pWhy->Set("act %d, map %d cannot be started", p.nAct, p.nMap);
        return false;
    }
    cStr missing;
    if (!HoldsPosition(p.nAct, p.nMap, &missing)) {
        pWhy->Set("the game data holds no act %lld, map %lld (%s)", p.nAct + 1LL, p.nMap + 1LL, missing.m_sData);
        return false;
    }
    return true;
}

bool gcGameSave::HoldsValuesInBounds(const gcGameProfile& p, cStr* pWhy)
{
    using E = gcEntityTemplate;
    using C = gcCreatureTemplate;
    if (!HoldsWordsInBounds(p, pWhy))
        return false;
    for (int i = 0; i < kNumEntityStats; ++i)
        if (!IsStatInBounds(p.fPlayerEntityStat[i], E::StatHasMax(i), E::GetStatRange(i), E::GetStatText(i), pWhy))
            return false;
    for (int i = 0; i < kNumCreatureStats; ++i)
        if (!IsStatInBounds(p.fPlayerCreatureStat[i], C::StatHasMax(i), C::GetStatRange(i), C::GetStatText(i), pWhy))
            return false;
    return IsVolume(p.fSoundVolume, "sound", pWhy) && IsVolume(p.fMusicVolume, "music", pWhy);
}

bool gcGameSave::HoldsStatsWithinPlayer(const gcGameProfile& p, const gcCreature& creature, cStr* pWhy)
{
    using E = gcEntityTemplate;
    using C = gcCreatureTemplate;
    using M = gcItemStatModifier;
    const E* pEntityTemplate = creature.GetTemplate();
    const C* pCreatureTemplate = creature.GetCreatureTemplate();
    for (int i = 0; pEntityTemplate && i < kNumEntityStats; ++i)
        if (IsBoundByPlayer(E::StatHasMax(i), gcValEntityStat::s_nMaxesRead, i) &&
            !IsWithinPlayer(p.fPlayerEntityStat[i], pEntityTemplate->fEntityStatsMax[i] * creature.m_fEntityStatsMod[i],
                            ItemBonus(M::MOD_ENTITY, i), E::GetStatText(i), pWhy))
            return false;
    for (int i = 0; pCreatureTemplate && i < kNumCreatureStats; ++i)
        if (IsBoundByPlayer(C::StatHasMax(i), gcValCreatureStat::s_nMaxesRead, i) &&
            !IsWithinPlayer(p.fPlayerCreatureStat[i],
                            pCreatureTemplate->fCreatureStatsMax[i] * creature.m_fCreatureStatsMod[i],
                            ItemBonus(M::MOD_CREATURE, i), C::GetStatText(i), pWhy))
            return false;
    return true;
}

bool gcGameSave::ReadMapPlayerQuietly(const gcGameProfile& p)
{
    const cLogQuietScope quiet;
    int32_t nId = -1;
    if (!gcMap::ReadPlayerConfigId(p.nAct, p.nMap, &nId) || nId < 0 || nId >= gcGame::kMaxPlayerConfigs)
        return false;
    cStr name;
    gcPlayerConfig::GetFilename(nId, &name);
    return cFile::Exists(name.m_sData) && gcGame::LoadPlayerConfig(nId);
}

bool gcGameSave::HoldsStatsWithinMapPlayer(const gcGameProfile& p, cStr* pWhy)
{
    // While a map runs, its player configuration stays as it is and the
    // loader may hold the one open file; items of the map's own templates
    // may have given bonuses: the map's start decides then.
    if ((p.nFlags & kNewProfile) || !HoldsPlayerStats(p) || gcMap::s_pMap || gcPlayerConfig::s_pPlayerConfig ||
        !RecordsOnlyItemsInMemory(p))
        return true;
    // A map or configuration the files do not give cannot be started: the
    // map's loading reports that, not the save. It reads the same map head
    // and configuration again, so this read is quiet: their damage is
    // logged once, by the loading.
    if (!ReadMapPlayerQuietly(p))
        return true;
    const gcCreature* pCreature = dcast<gcCreature>(gcPlayerConfig::s_pPlayerConfig->m_pEntity);
    const bool bHolds = !pCreature || HoldsStatsWithinPlayer(p, *pCreature, pWhy);
    // Released: the map's loading reads it again in its turn, as for a new game.
    std::destroy_at(gcPlayerConfig::s_pPlayerConfig);
    gcPlayer::FreePlayerConfigMemory();
    return bHolds;
}

void gcGameSave::RefuseCurProfile(const cStr& why, bool bKeepPosition)
{
    gcGameProfile* p = GetCurProfile();
    cLogWarn_("gcGameSave: profile %d is damaged: %s", s_nCurProfile + 1, why.m_sData);
    const int32_t nAct = p->nAct, nMap = p->nMap, nLoadingScreen = p->nLoadingScreen;
    // Nothing of it is kept to be applied later: a new profile holding the
    // running game's options.
    p->Reset();
    UpdateCurProfile(true);
    if (bKeepPosition) {
        p->nAct = nAct;
        p->nMap = nMap;
        p->nLoadingScreen = nLoadingScreen;
    }
    eMemCard::s_status = eMemCard::STATUS_CORRUPTED_SAVEFILE;
}

void gcGameSave::StartCurProfile()
{
    gcGameProfile* p = GetCurProfile();
    if (!p || (p->nAct == -1 && p->nMap == -1))
        return;  // no position: nothing to start
    cStr why;
    if (!HoldsStartablePosition(*p, &why) || !HoldsValuesInBounds(*p, &why) ||
        !HoldsStatsWithinMapPlayer(*p, &why)) {
        // Scripts read the card's status and the profile's map: both say
        // that there is nothing to continue.
        RefuseCurProfile(why, false);
        return;
    }
    if (gcGame::s_pGame)
        gcGame::s_pGame->SetNextMapToLoad(p->nLoadingScreen, p->nAct, p->nMap);
}

bool gcGameSave::HasCurProfileForCard(const char* op)
{
    if (GetCurProfile())
        return true;
    // Scripts learn how a save or load went from the card's status alone.
    cLogWarn_("gcGameSave: no profile is selected to %s", op);
    eMemCard::s_status = eMemCard::STATUS_FATAL_ERROR;
    return false;
}

void gcGameSave::SaveCurProfile(bool bOverwrite, bool bOptionsOnly)
{
    if (!HasCurProfileForCard("save"))
        return;
    UpdateCurProfile(bOptionsOnly);
    s_gameData.nLastUsedProfile = s_nCurProfile;
    uint8_t bytes[kDataSize];
    s_gameData.Encode(bytes);
    const char* name = GetSaveName();
    if (!name)
        return;
    eMemCard::Save(name, kCardVersion, bytes, kDataSize, bOverwrite);
}

void gcGameSave::UpdateLastUsedProfile()
{
    const char* name = GetSaveName();
    if (!name)
        return;
    // The card fills the buffer only when the file is whole and of this
    // version; the save data is replaced only then.
    uint8_t bytes[kDataSize];
    eMemCard::Load(name, kCardVersion, bytes, kDataSize);
    if (eMemCard::s_status != eMemCard::STATUS_READY)
        return;
    // Every save records the profile it was made from: another word is
    // damage, and none of the data is taken.
    gcGameData data;
    data.Decode(bytes);
    if (!IsProfileIndex(data.nLastUsedProfile)) {
        cLogWarn_("gcGameSave: the save data is damaged: its last-used profile %lld lies outside 1 to %d",
                  data.nLastUsedProfile + 1LL, kNumProfiles);
        eMemCard::s_status = eMemCard::STATUS_CORRUPTED_SAVEFILE;
        return;
    }
    s_gameData = data;
}

void gcGameSave::LoadCurProfile()
{
    if (!HasCurProfileForCard("load"))
        return;
    ResetCurProfile();
    UpdateLastUsedProfile();
}
