#include "gcGameCore/flow/gcGameSave.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <climits>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../creatures/creatureTestFixture.h"
#include "../test/card_test.h"
#include "eEngine/eAudio.h"
#include "eEngine/eInput.h"
#include "eEngine/eMemCard.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "gcGameCore/script/gcScriptTestObjects.h"
#include "gcGameCore/values/gcValCreatureStat.h"
#include "gcGameCore/values/gcValEntityStat.h"
#include "saveTestFixture.h"

namespace {

// A word of the card's big-endian layout.
void PutBE(std::vector<uint8_t>& v, size_t off, uint32_t w)
{
    v[off] = uint8_t(w >> 24);
    v[off + 1] = uint8_t(w >> 16);
    v[off + 2] = uint8_t(w >> 8);
    v[off + 3] = uint8_t(w);
}

void PutF(std::vector<uint8_t>& v, size_t off, float f)
{
    uint32_t w;
    std::memcpy(&w, &f, 4);
    PutBE(v, off, w);
}

class gcGameSaveTest : public SaveTest {
protected:
    // The player's template's maxima of health, energy and endurance.
    void SetPlayerMaxes(float fHealth, float fEnergy, float fEndurance)
    {
        auto* pTemplate = static_cast<gcCreatureTemplate*>(m_pCreature->GetTemplate());
        pTemplate->fEntityStatsMax[gcEntityTemplate::STAT_HEALTH] = fHealth;
        pTemplate->fCreatureStatsMax[gcCreatureTemplate::STAT_ENERGY] = fEnergy;
        pTemplate->fCreatureStatsMax[gcCreatureTemplate::STAT_ENDURANCE] = fEndurance;
    }
    // Puts an act's file and one of its maps' files (empty: only their being
    // there is asked) into the data directory; ids 0-based.
    void HoldMap(int nAct, int nMap)
    {
        gcGameConfig::s_dataPath.Set("%s", "");
        char dir[48], act[64], map[64];
        std::snprintf(dir, sizeof dir, "Game/Act%02d", nAct + 1);
        std::snprintf(act, sizeof act, "%s/Act%02d.act", dir, nAct + 1);
        std::snprintf(map, sizeof map, "%s/Map%02d/Map%02d.map", dir, nMap + 1, nMap + 1);
        std::filesystem::create_directories(std::filesystem::path(m_data.HostPath(map)).parent_path());
        std::ofstream(m_data.HostPath(act)).put('\0');
        std::ofstream(m_data.HostPath(map)).put('\0');
    }

    gcTestDataDir m_data;
};

// The running game of SaveTest::SetUpRunningGame saved into profile 2,
// against the layout laid out field by field.
TEST_F(gcGameSaveTest, ASavedProfileIsByteExactOnTheCard)
{
    SetUpRunningGame();
    gcGameSave::SaveCurProfile(false, false);
    ASSERT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    const std::vector<uint8_t> payload = CardPayload();
    ASSERT_EQ(payload.size(), 3040u);

    std::vector<uint8_t> expected(1012, 0);
    PutBE(expected, 0, 1);            // still new: never applied
    PutBE(expected, 4, 1234);         // ticks played
    PutBE(expected, 8, 1);            // act
    PutBE(expected, 12, 3);           // map
    PutBE(expected, 16, 2);           // loading screen
    PutF(expected, 20, -1.0f);        // invert x
    PutF(expected, 24, 1.0f);         // invert y
    PutF(expected, 28 + 0 * 4, 7.5f);   // key value slot 50
    PutF(expected, 28 + 2 * 4, -2.0f);  // slot 52
    PutBE(expected, 428, 3);          // sword, its gem, coins; the key stays out
    const uint32_t handles[3] = {0x00450005, 0x00480008, 0x00460006};
    const uint32_t counts[3] = {1, 0, 4};  // a nested item keeps no count
    const uint32_t flags[3] = {1, 1, 0};
    const uint32_t parents[3] = {0xFFFFFFFF, 0, 0xFFFFFFFF};
    for (int e = 0; e < 32; ++e) {
        PutBE(expected, 432 + 4 * e, e < 3 ? handles[e] : 0);
        PutBE(expected, 560 + 4 * e, e < 3 ? counts[e] : 0);
        PutBE(expected, 688 + 4 * e, e < 3 ? flags[e] : 0);
        PutBE(expected, 816 + 4 * e, e < 3 ? parents[e] : 0xFFFFFFFF);
    }
    const float entityStats[4] = {80.0f, 12.0f, 0.5f, 1.25f};  // health as its maximum
    for (int i = 0; i < 4; ++i)
        PutF(expected, 944 + 4 * i, entityStats[i]);
    const float creatureStats[9] = {150.0f, 40.0f, 3.0f, 2.0f, 6.0f, 0.0f, 0.0f, 90.0f, 12.0f};
    for (int i = 0; i < 9; ++i)
        PutF(expected, 960 + 4 * i, creatureStats[i]);
    PutF(expected, 996, 0.5f);
    PutF(expected, 1000, 0.25f);
    PutBE(expected, 1004, static_cast<uint32_t>(eAudio::GetOutputMode()));
    expected[1008] = 1;  // rumble on

    const std::vector<uint8_t> profile(payload.begin() + 4 + 1012, payload.begin() + 4 + 2 * 1012);
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(profile[i], expected[i]) << "profile byte " << i;
    EXPECT_EQ(std::vector<uint8_t>(payload.begin(), payload.begin() + 4), (std::vector<uint8_t>{0, 0, 0, 1}));

    // The map's key was taken off; the saved items are equipped again.
    EXPECT_EQ(m_pKey->m_pParentEntity, nullptr);
    EXPECT_TRUE(m_pSword->IsEquipped());
    EXPECT_TRUE(m_pGem->IsEquipped());
    EXPECT_EQ(m_pGem->m_pParentItem, m_pSword);
}

// The first apply of a profile leaves the map's stats and items; later ones
// restore the nested item inside a new instance of its container.
TEST_F(gcGameSaveTest, ApplyRestoresStatsAndNestedItemsFromTheSecondApplyOn)
{
    SetUpRunningGame();
    gcGameSave::UpdateCurProfile(false);
    StripPlayer();
    m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] = 5.0f;

    gcGameSave::ApplyCurProfile();  // first: the map's state stays
    EXPECT_EQ(gcGameSave::GetCurProfile()->nFlags & gcGameSave::kNewProfile, 0u);
    EXPECT_EQ(m_pCreature->m_pItems, nullptr);
    EXPECT_EQ(m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH], 5.0f);

    // The running game moves on; the profile's endurance is spent (a stat
    // below 0, damage, is refused: AWordTheGameNeverRecordsIsDamage).
    m_pCreature->m_fEntityStatsMax[gcEntityTemplate::STAT_HEALTH] = 50.0f;
    m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_ARMOR] = 0.0f;
    m_pCreature->m_fEntityStatsMax[gcEntityTemplate::STAT_ARMOR] = 3.0f;
    m_pCreature->m_fCreatureStatsMax[gcCreatureTemplate::STAT_ENERGY] = 1.0f;
    gcGameSave::GetCurProfile()->fPlayerCreatureStat[gcCreatureTemplate::STAT_ENDURANCE] = 0.0f;
    eInput::s_bRumble = false;
    gcGameSave::ApplyCurProfile();
    EXPECT_EQ(m_pCreature->m_fEntityStatsMax[gcEntityTemplate::STAT_HEALTH], 80.0f);
    EXPECT_EQ(m_pCreature->m_fEntityStatsMax[gcEntityTemplate::STAT_ARMOR], 3.0f);  // no maximum: kept
    EXPECT_EQ(m_pCreature->m_fCreatureStatsMax[gcCreatureTemplate::STAT_ENDURANCE], 0.0f);
    EXPECT_EQ(m_pCreature->m_fCreatureStatsCur[gcCreatureTemplate::STAT_ENDURANCE], 0.0f);
    EXPECT_EQ(m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH], 80.0f);  // full health
    EXPECT_EQ(m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_ARMOR], 12.0f);
    EXPECT_EQ(m_pCreature->m_fCreatureStatsMax[gcCreatureTemplate::STAT_ENERGY], 40.0f);
    EXPECT_EQ(m_pCreature->m_fCreatureStatsCur[gcCreatureTemplate::STAT_EXPERIENCE], 150.0f);
    gcItem* pSword = m_pCreature->HasItem(m_pSwordTemplate->m_handle, false);
    ASSERT_NE(pSword, nullptr);
    EXPECT_TRUE(pSword->IsEquipped());
    ASSERT_NE(pSword->m_pFirstChildItem, nullptr);
    EXPECT_EQ(pSword->m_pFirstChildItem->m_hTemplate, m_pGemTemplate->m_handle);
    EXPECT_TRUE(pSword->m_pFirstChildItem->IsEquipped());
    EXPECT_EQ(m_pCreature->GetItemCount(m_pCoinTemplate->m_handle, true, false, 0xFFFFFFFF, nullptr), 4);
    EXPECT_EQ(m_pCreature->HasItem(m_pKeyTemplate->m_handle, true), nullptr);
    // Options and the rest of the running game.
    EXPECT_EQ(gcGameSave::s_fOptionValues[0], -1.0f);
    EXPECT_TRUE(eInput::s_bRumble);
    EXPECT_EQ(gcPlayer::s_timePlayed, cTimeValue(1234));
    EXPECT_EQ(gcKeyValueMgr::s_pInstances[50]->m_fValue, 7.5f);
}

// Equipping a container equips what it holds: a nested item a script took
// off stays off through a save, and through restoring the save.
TEST_F(gcGameSaveTest, ANestedItemKeepsItsOwnEquipState)
{
    SetUpRunningGame();
    m_pGem->Unequip();
    gcGameSave::SaveCurProfile(false, false);
    const gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
    EXPECT_EQ(p.nPlayerItemFlags[0], 1u);  // the sword
    EXPECT_EQ(p.nPlayerItemFlags[1], 0u);  // the gem in it
    EXPECT_TRUE(m_pSword->IsEquipped());
    EXPECT_FALSE(m_pGem->IsEquipped());

    StripPlayer();
    gcGameSave::GetCurProfile()->nFlags = 0;
    gcGameSave::ApplyCurProfile();
    const gcItem* pSword = m_pCreature->HasItem(m_pSwordTemplate->m_handle, false);
    ASSERT_NE(pSword, nullptr);
    ASSERT_NE(pSword->m_pFirstChildItem, nullptr);
    EXPECT_TRUE(pSword->IsEquipped());
    EXPECT_FALSE(pSword->m_pFirstChildItem->IsEquipped());
}

// Every word of a profile is one the game records; any other is damage, as
// a stat past its bound is. At Continue: one warning naming it, nothing
// started ("No saved game"); at a map's start (a profile a script loaded):
// one warning, nothing of it applied.
TEST_F(gcGameSaveTest, AWordTheGameNeverRecordsIsDamage)
{
    HoldMap(0, 1);
    SetUpRunningGame();
    using P = gcGameSave::gcGameProfile;
    const float kNaN = std::numeric_limits<float>::quiet_NaN();
    const float kInf = std::numeric_limits<float>::infinity();
    const struct {
        const char* sWarning;  // null: the profile starts and is applied
        std::function<void(P&)> set;
        int nSwords;  // held once applied: entries 0, 2 and 3 are swords, entry 1 a gem in entry 0
    } rows[] = {
        {nullptr, [](P& p) { p.timePlayed = cTimeValue(INT32_MAX); }, 3},
        {"its time played -1 ticks lies below 0", [](P& p) { p.timePlayed = cTimeValue(-1); }, 0},
        {"its time played -2147483648 ticks lies below 0", [](P& p) { p.timePlayed = cTimeValue(INT32_MIN); }, 0},
        {nullptr, [](P& p) { p.nLoadingScreen = -1; }, 3},
        {nullptr, [](P& p) { p.nLoadingScreen = 47; }, 3},
        {"its loading screen 49 lies outside 1 to 48", [](P& p) { p.nLoadingScreen = 48; }, 0},
        {"its loading screen -1 lies outside 1 to 48", [](P& p) { p.nLoadingScreen = -2; }, 0},
        {"its loading screen 2143289345 lies outside 1 to 48", [](P& p) { p.nLoadingScreen = 0x7FC00000; }, 0},
        {nullptr, [](P& p) { p.nPlayerItems = 0; }, 0},
        {nullptr, [](P& p) { p.nPlayerItems = 32; }, 3},
        {"its item count 33 lies outside 0 to 32", [](P& p) { p.nPlayerItems = 33; }, 0},
        {"its item count -1 lies outside 0 to 32", [](P& p) { p.nPlayerItems = -1; }, 0},
        {nullptr, [](P& p) { p.nPlayerItemParent[3] = 2; }, 3},
        {"its item entry 4 names entry 8 as its parent", [](P& p) { p.nPlayerItemParent[3] = 7; }, 0},
        {"its item entry 4 names entry 4 as its parent", [](P& p) { p.nPlayerItemParent[3] = 3; }, 0},
        {"its item entry 4 names entry -4 as its parent", [](P& p) { p.nPlayerItemParent[3] = -5; }, 0},
        {nullptr, [](P& p) { p.nPlayerItemParent[4] = 9; }, 3},  // past the count: not read
        {nullptr, [](P& p) { p.audioMode = eAudio::AOM_MONO; }, 3},
        {nullptr, [](P& p) { p.audioMode = eAudio::AOM_DPL2; }, 3},
        {"its audio mode 4 lies outside 0 to 3", [](P& p) { p.audioMode = eAudio::AOM_DEFAULT; }, 0},
        {"its audio mode -1 lies outside 0 to 3", [](P& p) { p.audioMode = -1; }, 0},
        {nullptr, [](P& p) { p.fOptionValues[1] = -1e30f; }, 3},
        {"its option value 1 nan is not a finite number", [&](P& p) { p.fOptionValues[0] = kNaN; }, 0},
        {"its option value 2 inf is not a finite number", [&](P& p) { p.fOptionValues[1] = kInf; }, 0},
        {nullptr, [](P& p) { p.fGameStateKeyValues[99] = 1e30f; }, 3},
        {"its key value 1 nan is not a finite number", [&](P& p) { p.fGameStateKeyValues[0] = kNaN; }, 0},
        {"its key value 100 -inf is not a finite number", [&](P& p) { p.fGameStateKeyValues[99] = -kInf; }, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sWarning ? row.sWarning : "in bounds");
        P saved;
        saved.nFlags = 0;
        saved.nAct = 0;
        saved.nMap = 1;
        saved.nPlayerItems = 4;
        const uint32_t h[4] = {m_pSwordTemplate->m_handle.m_nValue, m_pGemTemplate->m_handle.m_nValue,
                               m_pSwordTemplate->m_handle.m_nValue, m_pSwordTemplate->m_handle.m_nValue};
        const int32_t parent[4] = {-1, 0, -1, -1};
        for (int e = 0; e < 4; ++e) {
            saved.hPlayerItems[e] = h[e];
            saved.nPlayerItemCounts[e] = 1;
            saved.nPlayerItemParent[e] = parent[e];
        }
        row.set(saved);
        const bool bDamaged = row.sWarning != nullptr;
        const std::string line = std::string("gcGameSave: profile 2 is damaged: ") + (bDamaged ? row.sWarning : "");

        // Continue.
        gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
        p = saved;
        m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = -1;
        eMemCard::s_status = eMemCard::STATUS_READY;
        {
            gcTestLogCapture log;
            gcGameSave::StartCurProfile();
            EXPECT_EQ(m_pGame->m_nMapToLoad, bDamaged ? -1 : 1);
            EXPECT_EQ(p.nMap, bDamaged ? -1 : 1);
            EXPECT_EQ(log.Count(LOGTYPE_WARNING, ""), bDamaged ? 1 : 0);
            EXPECT_EQ(log.Count(LOGTYPE_WARNING, line.c_str()), bDamaged ? 1 : 0);
            EXPECT_EQ(eMemCard::s_status, bDamaged ? eMemCard::STATUS_CORRUPTED_SAVEFILE : eMemCard::STATUS_READY);
        }

        // A map's start.
        p = saved;
        StripPlayer();
        gcPlayer::s_timePlayed = cTimeValue(1234);
        gcGameSave::s_fOptionValues[0] = 0.5f;
        eMemCard::s_status = eMemCard::STATUS_READY;
        gcTestLogCapture log;
        gcGameSave::ApplyCurProfile();
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, ""), bDamaged ? 1 : 0);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, line.c_str()), bDamaged ? 1 : 0);
        EXPECT_EQ(m_pCreature->GetItemCount(m_pSwordTemplate->m_handle, true, true, 0xFFFFFFFF, nullptr), row.nSwords);
        EXPECT_EQ(gcPlayer::s_timePlayed.m_nTicks, bDamaged ? 1234 : saved.timePlayed.m_nTicks);
        if (bDamaged) {
            EXPECT_EQ(gcGameSave::s_fOptionValues[0], 0.5f) << "the running game's";
            EXPECT_EQ(p.nMap, 1) << "the map being started";
            EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_CORRUPTED_SAVEFILE);
        }
    }
}

// The save data's first word names the profile saved last: every save
// writes one of the three. Another is damage: one warning, none of the data
// taken, so Continue finds nothing to start.
TEST_F(gcGameSaveTest, ALastUsedProfileNotOneOfTheThreeIsDamage)
{
    for (const int32_t nLast : {0, 2, 3, -1, INT32_MAX}) {
        SCOPED_TRACE(nLast);
        const bool bDamaged = nLast < 0 || nLast > 2;
        gcGameSave::gcGameData data;
        data.profiles[1].nAct = 0;
        data.profiles[1].nMap = 4;
        data.nLastUsedProfile = nLast;
        uint8_t bytes[gcGameSave::kDataSize];
        data.Encode(bytes);
        eMemCard::Save("SaveTest", gcGameSave::kCardVersion, bytes, gcGameSave::kDataSize, true);
        ASSERT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
        gcGameSave::ResetAllProfiles();
        gcGameSave::s_gameData.profiles[0].nMap = 7;
        gcGameSave::s_gameData.nLastUsedProfile = 1;
        gcTestLogCapture log;
        gcGameSave::LoadCurProfile();
        EXPECT_EQ(eMemCard::s_status, bDamaged ? eMemCard::STATUS_CORRUPTED_SAVEFILE : eMemCard::STATUS_READY);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, ""), bDamaged ? 1 : 0);
        const std::string line = "gcGameSave: the save data is damaged: its last-used profile " +
                                 std::to_string(nLast + 1LL) + " lies outside 1 to 3";
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, line.c_str()), bDamaged ? 1 : 0);
        EXPECT_EQ(gcGameSave::s_gameData.nLastUsedProfile, bDamaged ? 1 : nLast);
        EXPECT_EQ(gcGameSave::s_gameData.profiles[0].nMap, bDamaged ? 7 : -1);
        EXPECT_EQ(gcGameSave::GetCurProfile()->nMap, bDamaged ? -1 : 4) << "nothing to continue when damaged";
    }
}

// A stack of coins from the card holds at least one: entries with a count
// of 0 or less give nothing (and take nothing from a stack already given);
// an item that does not stack is one whatever its entry's count.
TEST_F(gcGameSaveTest, StackEntriesWithNoCountGiveNothing)
{
    SetUpRunningGame();
    const struct {
        const char* name;
        std::vector<int32_t> coins;  // the counts of coin entries in order
        int nHeld;                   // -1: no stack held
        int nWarnings;
    } rows[] = {
        {"4", {4}, 4, 0},
        {"0", {0}, -1, 1},
        {"-2", {-2}, -1, 1},
        {"4, -2, 0", {4, -2, 0}, 4, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        StripPlayer();
        gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
        p.Reset();
        p.nFlags = 0;
        p.nPlayerItems = static_cast<int32_t>(row.coins.size()) + 1;
        for (size_t e = 0; e < row.coins.size(); ++e) {
            p.hPlayerItems[e] = m_pCoinTemplate->m_handle.m_nValue;
            p.nPlayerItemCounts[e] = row.coins[e];
        }
        p.hPlayerItems[row.coins.size()] = m_pSwordTemplate->m_handle.m_nValue;  // count 0: one sword
        gcTestLogCapture log;
        gcGameSave::ApplyCurProfile();
        const gcItem* pStack = m_pCreature->HasItem(m_pCoinTemplate->m_handle, true);
        EXPECT_EQ(pStack ? pStack->m_nCount : -1, row.nHeld);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "gcGameSave: item entry"), row.nWarnings);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "with count"), row.nWarnings);
        EXPECT_NE(m_pCreature->HasItem(m_pSwordTemplate->m_handle, false), nullptr);
    }
}

// An entry nested in an entry that gave nothing (an empty handle, a
// template that no longer exists) is skipped with a warning; an entry
// nested in a given one is nested again.
TEST_F(gcGameSaveTest, EntriesNestedInASkippedEntryAreSkipped)
{
    SetUpRunningGame();
    StripPlayer();
    const uint32_t sword = m_pSwordTemplate->m_handle.m_nValue, gem = m_pGemTemplate->m_handle.m_nValue;
    const uint32_t h[6] = {0, gem, 0x12340031, gem, sword, gem};
    const int32_t parent[6] = {-1, 0, -1, 2, -1, 4};
    gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
    p.Reset();
    p.nFlags = 0;
    p.nPlayerItems = 6;
    for (int e = 0; e < 6; ++e) {
        p.hPlayerItems[e] = h[e];
        p.nPlayerItemCounts[e] = 1;
        p.nPlayerItemParent[e] = parent[e];
    }
    gcTestLogCapture log;
    gcGameSave::ApplyCurProfile();
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "gcGameSave: "), 2);
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "item entry 1 with parent 0 skipped"), 1);
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "item entry 3 with parent 2 skipped"), 1);
    EXPECT_EQ(m_pCreature->GetItemCount(m_pGemTemplate->m_handle, false, true, 0xFFFFFFFF, nullptr), 0);
    EXPECT_EQ(m_pCreature->GetItemCount(m_pSwordTemplate->m_handle, false, true, 0xFFFFFFFF, nullptr), 1);
    EXPECT_EQ(m_pCreature->GetAttachedItemCount(m_pGemTemplate->m_handle, m_pSwordTemplate->m_handle), 1);
}

// With no profile selected only the two whole-buffer operations act.
TEST_F(gcGameSaveTest, WithoutAProfileOnlyResetAllAndLastUsedAct)
{
    SetUpRunningGame();
    gcGameSave::SaveCurProfile(false, false);  // a file on the card with profile 2 filled
    const std::vector<uint8_t> card = CardPayload();
    const struct {
        const char* name;
        std::function<void()> op;
        bool bChanges;
    } rows[] = {
        {"update", [] { gcGameSave::UpdateCurProfile(false); }, false},
        {"apply", [] { gcGameSave::ApplyCurProfile(); }, false},
        {"reset", [] { gcGameSave::ResetCurProfile(); }, false},
        {"save", [] { gcGameSave::SaveCurProfile(true, false); }, false},
        {"load", [] { gcGameSave::LoadCurProfile(); }, false},
        {"start", [] { gcGameSave::StartCurProfile(); }, false},
        {"reset all", [] { gcGameSave::ResetAllProfiles(); }, true},
        {"last used", [] { gcGameSave::UpdateLastUsedProfile(); }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcGameSave::s_nCurProfile = 1;
        gcGameSave::s_gameData.nLastUsedProfile = 0;
        gcGameSave::ResetAllProfiles();
        gcGameSave::s_gameData.profiles[0].nMap = 9;  // differs from both the card and a reset
        m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = -1;
        gcGameSave::s_nCurProfile = -1;
        uint8_t before[gcGameSave::kDataSize];
        gcGameSave::s_gameData.Encode(before);
        row.op();
        uint8_t after[gcGameSave::kDataSize];
        gcGameSave::s_gameData.Encode(after);
        EXPECT_EQ(std::memcmp(before, after, sizeof(before)) != 0, row.bChanges);
        EXPECT_EQ(CardPayload(), card);
        EXPECT_EQ(m_pGame->m_nMapToLoad, -1);
    }
}

// Without a profile a save or a load does nothing and scripts read a
// failure, not the status of the card's last answer.
TEST_F(gcGameSaveTest, WithoutAProfileSavesAndLoadsFail)
{
    const struct {
        const char* name;
        std::function<void()> op;
    } rows[] = {
        {"save", [] { gcGameSave::SaveCurProfile(true, false); }},
        {"load", [] { gcGameSave::LoadCurProfile(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcGameSave::s_nCurProfile = -1;
        eMemCard::s_status = eMemCard::STATUS_READY;
        gcTestLogCapture log;
        row.op();
        EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_FATAL_ERROR);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, (std::string("gcGameSave: no profile is selected to ") + row.name).c_str()), 1);
        EXPECT_TRUE(CardFile().empty());
    }
}

// Without a name for the save file nothing reaches the card, and scripts
// read a failure instead of the status of the card's last answer.
TEST_F(gcGameSaveTest, WithoutASaveFileNameSavesAndLoadsFail)
{
    const struct {
        const char* name;
        std::function<void()> op;
    } rows[] = {
        {"save", [] { gcGameSave::SaveCurProfile(true, false); }},
        {"load", [] { gcGameSave::LoadCurProfile(); }},
        {"last used", [] { gcGameSave::UpdateLastUsedProfile(); }},
    };
    m_pGame->m_name.Set("%s", "");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        eMemCard::s_status = eMemCard::STATUS_READY;
        gcTestLogCapture log;
        row.op();
        EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_FATAL_ERROR);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcGameSave: no game object names the save file"), 1);
        EXPECT_TRUE(CardFile().empty());
    }
}

// Saving the options writes volumes, mode, rumble and option values and
// leaves the rest of the stored profile.
TEST_F(gcGameSaveTest, SavingOptionsOnlyKeepsTheRestOfTheProfile)
{
    SetUpRunningGame();
    gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
    p.nAct = 4;
    p.nMap = 5;
    p.fGameStateKeyValues[0] = 99.0f;
    p.nPlayerItems = 0;
    p.bRumble = false;
    gcGameSave::SaveCurProfile(false, true);
    EXPECT_EQ(p.nAct, 4);
    EXPECT_EQ(p.nMap, 5);
    EXPECT_EQ(p.fGameStateKeyValues[0], 99.0f);
    EXPECT_EQ(p.nPlayerItems, 0);
    EXPECT_EQ(p.fSoundVolume, 0.5f);
    EXPECT_EQ(p.fOptionValues[0], -1.0f);
    EXPECT_TRUE(p.bRumble);
    EXPECT_EQ(m_pKey->m_pParentEntity, m_pCreature);  // nothing taken off the player
    gcGameSave::gcGameData back;
    back.Decode(CardPayload().data());
    EXPECT_EQ(back.profiles[1].nMap, 5);
    EXPECT_EQ(back.profiles[1].fMusicVolume, 0.25f);
    EXPECT_EQ(back.nLastUsedProfile, 1);
}

// The position follows a pending map change only; a profile without one
// starts nothing.
TEST_F(gcGameSaveTest, ThePositionChangesOnlyWhileAMapChangeIsPending)
{
    SetUpRunningGame();
    m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = m_pGame->m_nLoadingScreenToLoad = -1;
    gcGameSave::ResetCurProfile();  // a new profile from a dialog
    const gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
    EXPECT_EQ(p.nAct, -1);
    EXPECT_EQ(p.nMap, -1);
    gcGameSave::StartCurProfile();
    EXPECT_FALSE(m_pGame->IsMapRequested());

    m_pGame->SetNextMapToLoad(0, 2, -1);  // only half a request
    gcGameSave::UpdateCurProfile(false);
    EXPECT_EQ(p.nAct, -1);
    m_pGame->SetNextMapToLoad(4, 2, 0);
    gcGameSave::UpdateCurProfile(false);
    m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = m_pGame->m_nLoadingScreenToLoad = -1;
    gcGameSave::UpdateCurProfile(false);  // kept after the request is gone
    EXPECT_EQ(p.nAct, 2);
    EXPECT_EQ(p.nMap, 0);
    EXPECT_EQ(p.nLoadingScreen, 4);
    HoldMap(2, 0);
    gcGameSave::StartCurProfile();
    EXPECT_EQ(m_pGame->m_nActToLoad, 2);
    EXPECT_EQ(m_pGame->m_nMapToLoad, 0);
    EXPECT_EQ(m_pGame->m_nLoadingScreenToLoad, 4);
    gcGameSave::s_nCurProfile = 0;  // the first profile is one too
    gcGameSave::UpdateCurProfile(false);
    EXPECT_EQ(gcGameSave::s_gameData.profiles[0].nAct, 2);
}

// Loading replaces the whole buffer only when the card answers with a good
// file; a reset fills the current profile anew meanwhile.
TEST_F(gcGameSaveTest, LoadReplacesTheBufferOnlyFromAGoodFile)
{
    SetUpRunningGame();
    gcGameSave::SaveCurProfile(false, false);
    gcGameSave::ResetAllProfiles();
    gcGameSave::s_gameData.nLastUsedProfile = 0;
    // The running game moves on, so the reset before the read fills the
    // profile with other values.
    m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = m_pGame->m_nLoadingScreenToLoad = -1;
    eAudio::SetGroupVolume(eAudio::ACG_SFX, 0, 0.125f);
    StripPlayer();
    gcGameSave::LoadCurProfile();
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    EXPECT_EQ(gcGameSave::s_gameData.nLastUsedProfile, 1);
    EXPECT_EQ(gcGameSave::s_gameData.profiles[1].nPlayerItems, 3);
    std::vector<uint8_t> again(gcGameSave::kDataSize);
    gcGameSave::s_gameData.Encode(again.data());
    EXPECT_EQ(again, CardPayload());  // every field read back where it was written

    std::vector<uint8_t> file = CardFile();
    file[0x850 + 4 + 1012 + 428 + 3] ^= 0x40;  // the item count, CRC left stale
    WriteCardFile(file);
    gcGameSave::s_gameData.profiles[0].nMap = 7;
    gcGameSave::UpdateLastUsedProfile();
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_CORRUPTED_SAVEFILE);
    EXPECT_EQ(gcGameSave::s_gameData.profiles[0].nMap, 7);
    EXPECT_EQ(gcGameSave::s_gameData.profiles[1].nPlayerItems, 3);
}

// More than 32 items: the first 32 are recorded, the rest neither recorded
// nor unequipped.
TEST_F(gcGameSaveTest, RecordingStopsAt32Entries)
{
    SetUpRunningGame();
    StripPlayer();
    gcItemTemplate* pMany = MakeTemplate("ring", 9, 40, 0, gcGame::GetGameStatePool());
    for (int i = 0; i < 34; ++i) {
        gcItem* pItem = pMany->GetInstance();
        ASSERT_NE(pItem, nullptr);
        m_pCreature->AddItem(pItem, 1);
        pItem->Equip();
    }
    gcGameSave::UpdateCurProfile(false);
    const gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
    EXPECT_EQ(p.nPlayerItems, 32);
    EXPECT_EQ(p.nPlayerItemFlags[31], 1u);
    int nEquipped = 0;
    for (int i = 0; i < 34; ++i)
        nEquipped += pMany->GetInstanceAt(i)->IsEquipped() ? 1 : 0;
    EXPECT_EQ(nEquipped, 34);
}

// A container past the first 31 entries: the item nested in it, past the
// 32nd, is not recorded, but taking its container off and on again for the
// stats leaves it as it was: off stays off, on stays on.
TEST_F(gcGameSaveTest, ANestedItemPastThe32ndEntryKeepsItsEquipState)
{
    SetUpRunningGame();
    StripPlayer();
    gcItemTemplate* pMany = MakeTemplate("ring", 9, 40, 0, gcGame::GetGameStatePool());
    for (int i = 0; i < 31; ++i)
        m_pCreature->AddItem(pMany->GetInstance(), 1);
    m_pCreature->AddItem(m_pSword, 1);
    m_pSword->Equip();
    gcItem* pGems[2];
    for (gcItem*& pGem : pGems) {
        pGem = m_pGemTemplate->GetInstance();
        ASSERT_NE(pGem, nullptr);
        m_pCreature->AddItem(pGem, 1);
        m_pSword->AddChild(pGem);
    }
    gcItem* const pOff = pGems[0];
    gcItem* const pOn = pGems[1];
    pOff->Unequip();
    ASSERT_TRUE(pOn->IsEquipped());
    gcGameSave::UpdateCurProfile(false);
    const gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
    EXPECT_EQ(p.nPlayerItems, 32);
    EXPECT_EQ(p.hPlayerItems[31], m_pSwordTemplate->m_handle.m_nValue);
    EXPECT_TRUE(m_pSword->IsEquipped());
    EXPECT_FALSE(pOff->IsEquipped()) << "taken off, and kept off";
    EXPECT_TRUE(pOn->IsEquipped());
}

// A profile's stats are those of a living player: a new profile, or one
// whose health was never recorded, leaves the map's stats on every map
// start; a fallen player's are recorded with health as its maximum.
TEST_F(gcGameSaveTest, AMapStartGivesOnlyStatsRecordedFromALivingPlayer)
{
    SetUpRunningGame();
    gcPlayer::Get()->m_pEntity = nullptr;  // New Game in the menu: no player yet
    gcGameSave::ResetCurProfile();
    gcPlayer::Get()->m_pEntity = m_pCreature;
    const auto health = [this] {
        return std::pair(m_pCreature->m_fEntityStatsMax[gcEntityTemplate::STAT_HEALTH],
                         m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH]);
    };
    for (const char* start : {"the first map start", "the restart"}) {
        SCOPED_TRACE(start);
        gcGameSave::ApplyCurProfile();
        EXPECT_EQ(health(), std::pair(80.0f, 30.0f)) << "the map's";
        EXPECT_EQ(m_pCreature->m_fCreatureStatsMax[gcCreatureTemplate::STAT_ENERGY], 40.0f);
    }
    // Fallen: recorded all the same, health as its living maximum; then
    // alive again and recorded.
    m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] = 0.0f;
    gcGameSave::UpdateCurProfile(false);
    EXPECT_EQ(gcGameSave::GetCurProfile()->fPlayerEntityStat[gcEntityTemplate::STAT_HEALTH], 80.0f);
    gcGameSave::ApplyCurProfile();
    EXPECT_EQ(health(), std::pair(80.0f, 80.0f));
    m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] = 1.0f;
    gcGameSave::UpdateCurProfile(false);
    m_pCreature->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] = 0.0f;
    gcGameSave::ApplyCurProfile();
    EXPECT_EQ(health(), std::pair(80.0f, 80.0f)) << "full health from the recorded maximum";
}

// What the player gained before a fall is in the profile when it is
// refreshed while the player lies fallen: scripts read it there.
TEST_F(gcGameSaveTest, StatsGainedBeforeAFallAreRecordedWhileFallen)
{
    SetUpRunningGame();
    gcCreature& c = *m_pCreature;
    c.m_fCreatureStatsCur[gcCreatureTemplate::STAT_EXPERIENCE] = 420.0f;  // gained: 150 before
    c.m_fCreatureStatsCur[gcCreatureTemplate::STAT_LEVEL] = 4.0f;
    c.m_fCreatureStatsMax[gcCreatureTemplate::STAT_ENERGY] = 55.0f;
    c.m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] = 0.0f;  // then fell
    gcGameSave::UpdateCurProfile(false);
    const gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
    const struct {
        const float& fRecorded;
        float fExpected;
    } rows[] = {
        {p.fPlayerCreatureStat[gcCreatureTemplate::STAT_EXPERIENCE], 420.0f},
        {p.fPlayerCreatureStat[gcCreatureTemplate::STAT_LEVEL], 4.0f},
        {p.fPlayerCreatureStat[gcCreatureTemplate::STAT_ENERGY], 55.0f},   // its maximum
        {p.fPlayerEntityStat[gcEntityTemplate::STAT_HEALTH], 80.0f},       // its maximum: a living health
        {p.fPlayerCreatureStat[gcCreatureTemplate::STAT_ENDURANCE], 90.0f},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(rows[i].fRecorded, rows[i].fExpected) << "row " << i;
}

// The time played from a save may lie next to the largest count of ticks;
// playing on stops there.
TEST_F(gcGameSaveTest, TimePlayedFromASaveStopsAtTheLargestCount)
{
    for (const int32_t saved : {INT32_MAX, INT32_MAX - 5, 1000}) {
        SCOPED_TRACE(saved);
        gcGameSave::GetCurProfile()->timePlayed = cTimeValue(saved);
        gcGameSave::ApplyCurProfile();
        gcPlayer::UpdateTimePlayed(cTimeValue(20));
        EXPECT_EQ(gcPlayer::s_timePlayed.m_nTicks, saved == 1000 ? 1020 : INT32_MAX);
    }
}

// Continue starts the saved position only when it names an act and a map
// that the game data holds; any other but "none" is damaged: logged,
// cleared, and the card's status says so.
TEST_F(gcGameSaveTest, ADamagedPositionIsRefusedWithAWarning)
{
    HoldMap(0, 1);   // act 1, map 2
    HoldMap(11, 31);  // the last act's last map
    const char* kNoAct2 = "the game data holds no act 2, map 1 (no file \"/Game/Act02/Act02.act\")";
    const char* kTables = "acts are 1 to 12, maps 1 to 32)";
    const struct {
        int32_t nAct, nMap;
        bool bStarts, bDamaged;
        const char* sWhy;  // the warning's end
    } rows[] = {
        {0, 1, true, false, nullptr},
        {11, 31, true, false, nullptr},
        {-1, -1, false, false, nullptr},
        {-1, 0, false, true, "act -1, map 0 cannot be started"},
        {0, -1, false, true, "act 0, map -1 cannot be started"},
        {INT32_MIN, 0, false, true, "act -2147483648, map 0 cannot be started"},
        {0, INT32_MIN, false, true, "act 0, map -2147483648 cannot be started"},
        {INT32_MAX, 1, false, true, "act 2147483647, map 1 cannot be started"},
        {0, INT32_MAX, false, true, "act 0, map 2147483647 cannot be started"},
        {2147483646, 2147483646, false, true, "the game data holds no act 2147483647, map 2147483647 (" },
        {1, 0, false, true, kNoAct2},
        {0, 0, false, true, "no act 1, map 1 (no file \"/Game/Act01/Map01/Map01.map\")"},
        {0, 5, false, true, "no act 1, map 6 (no file \"/Game/Act01/Map06/Map06.map\")"},
        {0, 50, false, true, kTables},  // map 51: past the act's 32
        {12, 0, false, true, kTables},  // act 13: past the game's 12
        {11, 32, false, true, "no act 12, map 33 (acts"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.nAct << ", " << row.nMap);
        gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
        p.nAct = row.nAct;
        p.nMap = row.nMap;
        p.nLoadingScreen = 2;
        m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = -1;
        eMemCard::s_status = eMemCard::STATUS_READY;
        gcTestLogCapture log;
        gcGameSave::StartCurProfile();
        EXPECT_EQ(m_pGame->m_nActToLoad, row.bStarts ? row.nAct : -1);
        EXPECT_EQ(m_pGame->m_nMapToLoad, row.bStarts ? row.nMap : -1);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "gcGameSave: profile 2 is damaged"), row.bDamaged ? 1 : 0);
        if (row.sWhy) {
            EXPECT_EQ(log.Count(LOGTYPE_WARNING, row.sWhy), 1);
        }
        EXPECT_EQ(eMemCard::s_status,
                  row.bDamaged ? eMemCard::STATUS_CORRUPTED_SAVEFILE : eMemCard::STATUS_READY);
        if (row.bDamaged) {
            EXPECT_EQ(p.nAct, -1) << "nothing to continue";
            EXPECT_EQ(p.nMap, -1);
        }
    }
}

// The values a profile holds, each set by a route of its own.
enum ProfileValue { ENTITY_STAT, CREATURE_STAT, SOUND_VOLUME, MUSIC_VOLUME };

float& ValueOf(gcGameSave::gcGameProfile& p, ProfileValue value, int stat)
{
    switch (value) {
    case ENTITY_STAT: return p.fPlayerEntityStat[stat];
    case CREATURE_STAT: return p.fPlayerCreatureStat[stat];
    case SOUND_VOLUME: return p.fSoundVolume;
    default: return p.fMusicVolume;
    }
}

// A stat from the card must be finite, and one with a maximum within its
// editing range: 0 up to the largest any template may give it; a volume a
// number from 0 to 1. A profile with one that is not is damaged as a
// position the data lacks: one warning naming the value, nothing started,
// and nothing of it applied at a map's start. Stats without a maximum take
// any finite value (owned items add to them).
TEST_F(gcGameSaveTest, AValueBeyondItsBoundsIsDamage)
{
    HoldMap(0, 1);
    using E = gcEntityTemplate;
    using C = gcCreatureTemplate;
    // A player that may hold all a template may give: the map's start
    // refuses nothing these rows start.
    SetPlayerMaxes(999.0f, 999.0f, 999.0f);
    const float kInf = std::numeric_limits<float>::infinity();
    const float kNaN = std::numeric_limits<float>::quiet_NaN();
    const struct {
        ProfileValue value;
        int stat;
        float fValue;
        const char* sWarning;  // null: the profile starts
    } rows[] = {
        {ENTITY_STAT, E::STAT_HEALTH, 999.0f, nullptr},
        {ENTITY_STAT, E::STAT_HEALTH, 0.0f, nullptr},  // no living player's stats: not applied, not damage
        {ENTITY_STAT, E::STAT_HEALTH, -5.0f, "its Health -5 lies below 0"},
        {ENTITY_STAT, E::STAT_HEALTH, -std::numeric_limits<float>::denorm_min(), "its Health -1.4013e-45 lies below 0"},
        {ENTITY_STAT, E::STAT_HEALTH, std::nextafter(999.0f, 1000.0f), "its Health 999 lies beyond 999"},
        {ENTITY_STAT, E::STAT_HEALTH, 1e30f, "its Health 1e+30 lies beyond 999"},
        {ENTITY_STAT, E::STAT_HEALTH, kInf, "its Health inf is not a finite number"},
        {ENTITY_STAT, E::STAT_HEALTH, -kInf, "its Health -inf is not a finite number"},
        {ENTITY_STAT, E::STAT_HEALTH, kNaN, "its Health nan is not a finite number"},
        {ENTITY_STAT, E::STAT_ARMOR, 1e30f, nullptr},
        {ENTITY_STAT, E::STAT_ARMOR, -1e30f, nullptr},
        {ENTITY_STAT, E::STAT_ARMOR, kInf, "its Armor inf is not a finite number"},
        {ENTITY_STAT, E::STAT_MOVEMENT_SCALE, kNaN, "its MovementScale nan is not a finite number"},
        {CREATURE_STAT, C::STAT_EXPERIENCE, 20000.0f, nullptr},
        {CREATURE_STAT, C::STAT_EXPERIENCE, -kInf, "its Experience -inf is not a finite number"},
        {CREATURE_STAT, C::STAT_ENERGY, 999.0f, nullptr},
        {CREATURE_STAT, C::STAT_ENERGY, 0.0f, nullptr},
        {CREATURE_STAT, C::STAT_ENERGY, 1000.0f, "its Energy 1000 lies beyond 999"},
        {CREATURE_STAT, C::STAT_ENERGY, -1e30f, "its Energy -1e+30 lies below 0"},
        {CREATURE_STAT, C::STAT_ENDURANCE, 999.5f, "its Endurance 999.5 lies beyond 999"},
        {CREATURE_STAT, C::STAT_ENDURANCE, -1e30f, "its Endurance -1e+30 lies below 0"},
        {CREATURE_STAT, C::STAT_ENDURANCE, -0.5f, "its Endurance -0.5 lies below 0"},
        {CREATURE_STAT, C::STAT_AGGRORADIUS, 5000.0f, nullptr},
        {CREATURE_STAT, C::STAT_AGGRORADIUS, kNaN, "its AggroRadius nan is not a finite number"},
        {SOUND_VOLUME, 0, 0.0f, nullptr},
        {SOUND_VOLUME, 0, 1.0f, nullptr},
        {SOUND_VOLUME, 0, 1.5f, "its sound volume 1.5 lies outside 0 to 1"},
        {SOUND_VOLUME, 0, -1.0f, "its sound volume -1 lies outside 0 to 1"},
        {SOUND_VOLUME, 0, kNaN, "its sound volume nan lies outside 0 to 1"},
        {MUSIC_VOLUME, 0, 0.0f, nullptr},
        {MUSIC_VOLUME, 0, 1.0f, nullptr},
        {MUSIC_VOLUME, 0, std::nextafter(1.0f, 2.0f), "its music volume 1 lies outside 0 to 1"},
        {MUSIC_VOLUME, 0, 1.5f, "its music volume 1.5 lies outside 0 to 1"},
        {MUSIC_VOLUME, 0, -1.0f, "its music volume -1 lies outside 0 to 1"},
        {MUSIC_VOLUME, 0, kNaN, "its music volume nan lies outside 0 to 1"},
        {MUSIC_VOLUME, 0, -kInf, "its music volume -inf lies outside 0 to 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.value << " " << row.stat << " " << row.fValue);
        gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
        p.Reset();
        p.nFlags = 0;
        p.nAct = 0;
        p.nMap = 1;
        p.fPlayerEntityStat[E::STAT_HEALTH] = 50.0f;
        ValueOf(p, row.value, row.stat) = row.fValue;
        m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = -1;
        eMemCard::s_status = eMemCard::STATUS_READY;
        eAudio::SetGroupVolume(eAudio::ACG_BGM, 0, 0.25f);  // the running game's
        gcTestLogCapture log;
        gcGameSave::StartCurProfile();
        const bool bDamaged = row.sWarning != nullptr;
        EXPECT_EQ(m_pGame->m_nMapToLoad, bDamaged ? -1 : 1);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, ""), bDamaged ? 1 : 0);
        if (bDamaged) {
            const std::string line = std::string("gcGameSave: profile 2 is damaged: ") + row.sWarning;
            EXPECT_EQ(log.Count(LOGTYPE_WARNING, line.c_str()), 1);
            EXPECT_EQ(p.nMap, -1) << "nothing to continue";
        }
        EXPECT_EQ(eMemCard::s_status, bDamaged ? eMemCard::STATUS_CORRUPTED_SAVEFILE : eMemCard::STATUS_READY);
        // A map started all the same gives the player none of it.
        // Map starts after it give the player none of it: a damaged profile
        // holds the running game's options and no stats (the first start of
        // a new profile applies none, the second would).
        const float fSaved = p.fPlayerEntityStat[E::STAT_HEALTH];
        const float fMusic = p.fMusicVolume;
        if (bDamaged) {
            EXPECT_EQ(fMusic, 0.25f) << "the running game's";
        }
        m_pCreature->m_fEntityStatsMax[E::STAT_HEALTH] = m_pCreature->m_fEntityStatsCur[E::STAT_HEALTH] = 7.0f;
        gcGameSave::ApplyCurProfile();
        gcGameSave::ApplyCurProfile();
        EXPECT_EQ(m_pCreature->m_fEntityStatsMax[E::STAT_HEALTH], bDamaged || fSaved <= 0.0f ? 7.0f : fSaved);
        EXPECT_EQ(eAudio::GetGroupVolume(eAudio::ACG_BGM, 0), fMusic);
    }
}

// The player the record is for is known at its map's start: a stat with a
// maximum may be no larger than the player's template gives it (times the
// player's multiplier), with every bonus the items in memory can add, unless
// data read so far may set that maximum in play. Beyond: one warning,
// nothing of the profile applied, the record dropped so that a restart
// neither warns nor gives it.
TEST_F(gcGameSaveTest, AStatBeyondWhatThePlayerCanHoldIsRefusedAtTheMapsStart)
{
    using E = gcEntityTemplate;
    using C = gcCreatureTemplate;
    using M = gcItemStatModifier;
    SetPlayerMaxes(100.0f, 20.0f, 50.0f);
    m_pCreature->m_fCreatureStatsMod[C::STAT_ENDURANCE] = 2.0f;  // the player's own: 100
    const uint32_t nEntityMaxes = gcValEntityStat::s_nMaxesRead;
    const uint32_t nCreatureMaxes = gcValCreatureStat::s_nMaxesRead;
    const struct {
        const char* sName;
        bool bCreature;
        int stat;
        float fValue;
        int nRings;            // items of a ring that adds 5 to Energy while owned
        uint32_t nMaxesRead;   // of the stat's kind
        const char* sWarning;  // null: applied
    } rows[] = {
        {"health at the template's", false, E::STAT_HEALTH, 100.0f, 0, 0, nullptr},
        {"health past it", false, E::STAT_HEALTH, std::nextafter(100.0f, 101.0f), 0, 0,
         "its Health 100 lies beyond the player's 100"},
        {"health 999", false, E::STAT_HEALTH, 999.0f, 0, 0, "its Health 999 lies beyond the player's 100"},
        {"health 999, scripts may set it", false, E::STAT_HEALTH, 999.0f, 0, 1u << E::STAT_HEALTH, nullptr},
        {"health 999, scripts may set another", false, E::STAT_HEALTH, 999.0f, 0, 1u << E::STAT_ARMOR,
         "its Health 999 lies beyond the player's 100"},
        {"energy past the template's", true, C::STAT_ENERGY, 21.0f, 0, 0, "its Energy 21 lies beyond the player's 20"},
        {"energy with two rings", true, C::STAT_ENERGY, 30.0f, 2, 0, nullptr},
        {"energy past two rings", true, C::STAT_ENERGY, 31.0f, 2, 0, "its Energy 31 lies beyond the player's 30"},
        {"energy, scripts may set it", true, C::STAT_ENERGY, 500.0f, 0, 1u << C::STAT_ENERGY, nullptr},
        {"endurance at the player's", true, C::STAT_ENDURANCE, 100.0f, 0, 0, nullptr},
        {"endurance past it", true, C::STAT_ENDURANCE, 101.0f, 0, 0,
         "its Endurance 101 lies beyond the player's 100"},
        {"armor has no maximum", false, E::STAT_ARMOR, 500.0f, 0, 0, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        for (int i = 0; i < gcItemTemplateMgr::kSlots; ++i)
            gcItemTemplateMgr::Remove(i);
        if (row.nRings > 0) {
            gcItemTemplate* pRing = MakeTemplate("ring", 9, row.nRings, 0, gcGame::GetGameStatePool());
            pRing->m_statModifiers[0] = {M::MOD_POSESS, M::MOD_CREATURE, C::STAT_ENERGY, 5.0f};
            pRing->m_statModifiers[1] = {M::MOD_EQUIP, M::MOD_CREATURE, C::STAT_ENDURANCE, 7.0f};  // another stat
            pRing->m_statModifiers[2] = {M::MOD_EQUIP, M::MOD_CREATURE, C::STAT_ENERGY, -50.0f};   // takes away
            pRing->m_statModifiers[3] = {M::MOD_EQUIP, M::MOD_ENTITY, C::STAT_ENERGY, 9.0f};       // an entity stat
            // Modifiers that never apply.
            gcItemTemplate* pAmulet = MakeTemplate("amulet", 10, 1, 0, gcGame::GetGameStatePool());
            pAmulet->m_statModifiers[0] = {M::MOD_NONE, M::MOD_CREATURE, C::STAT_ENERGY, 100.0f};
            pAmulet->m_statModifiers[1] = {static_cast<M::gcModifierType>(3), M::MOD_CREATURE, C::STAT_ENERGY, 100.0f};
            pAmulet->m_statModifiers[2] = {M::MOD_EQUIP, static_cast<M::gcEntityType>(2), C::STAT_ENERGY, 100.0f};
        }
        (row.bCreature ? gcValCreatureStat::s_nMaxesRead : gcValEntityStat::s_nMaxesRead) = row.nMaxesRead;
        gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
        p.Reset();
        p.nFlags = 0;
        p.nAct = 0;
        p.nMap = 1;
        p.nLoadingScreen = 2;
        p.fPlayerEntityStat[E::STAT_HEALTH] = 60.0f;
        p.fPlayerCreatureStat[C::STAT_ENDURANCE] = 40.0f;
        p.fSoundVolume = 0.75f;
        (row.bCreature ? p.fPlayerCreatureStat : p.fPlayerEntityStat)[row.stat] = row.fValue;
        p.nPlayerItems = 1;
        p.hPlayerItems[0] = 0x12345;  // no such template: given as nothing
        m_pCreature->m_fEntityStatsMax[E::STAT_HEALTH] = 7.0f;
        eAudio::SetGroupVolume(eAudio::ACG_SFX, 0, 0.25f);
        eMemCard::s_status = eMemCard::STATUS_READY;
        gcTestLogCapture log;
        gcGameSave::ApplyCurProfile();
        const bool bRefused = row.sWarning != nullptr;
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, ""), bRefused ? 1 : 0);
        if (bRefused) {
            const std::string line = std::string("gcGameSave: profile 2 is damaged: ") + row.sWarning;
            EXPECT_EQ(log.Count(LOGTYPE_WARNING, line.c_str()), 1);
        }
        EXPECT_EQ(eMemCard::s_status, bRefused ? eMemCard::STATUS_CORRUPTED_SAVEFILE : eMemCard::STATUS_READY);
        EXPECT_EQ(m_pCreature->m_fEntityStatsMax[E::STAT_HEALTH], bRefused ? 7.0f : p.fPlayerEntityStat[0]);
        EXPECT_EQ(eAudio::GetGroupVolume(eAudio::ACG_SFX, 0), bRefused ? 0.25f : 0.75f) << "nothing applied";
        EXPECT_EQ(p.nMap, 1) << "the position is the map being started";
        EXPECT_EQ(p.nAct, 0);
        EXPECT_EQ(p.nLoadingScreen, 2);
        // Restarts: no second warning, and the record is not given.
        gcTestLogCapture again;
        gcGameSave::ApplyCurProfile();
        gcGameSave::ApplyCurProfile();
        gcValEntityStat::s_nMaxesRead = nEntityMaxes;
        gcValCreatureStat::s_nMaxesRead = nCreatureMaxes;
        EXPECT_EQ(again.Count(LOGTYPE_WARNING, ""), 0);
        EXPECT_EQ(m_pCreature->m_fEntityStatsMax[E::STAT_HEALTH], bRefused ? 7.0f : p.fPlayerEntityStat[0]);
        EXPECT_EQ(p.nPlayerItems, bRefused ? 0 : 1);
        EXPECT_EQ(p.nMap, 1);
    }
}

// The header words of a profile's bytes (flags, time played, act, map) are
// decoded: a reset profile takes them and encodes them back as they were.
TEST_F(gcGameSaveTest, AProfileDecodesEveryFieldItsBytesHold)
{
    std::vector<uint8_t> bytes(gcGameSave::kProfileSize, 0);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i % 4 == 3 ? i / 4 : 0);  // word n holds n: the flags word 0
    gcGameSave::gcGameProfile p;
    p.Reset();
    p.Decode(bytes.data());
    std::vector<uint8_t> again(gcGameSave::kProfileSize, 0xEE);
    p.Encode(again.data());
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(again[i], bytes[i]) << "byte " << i;
}

// A reset gives a new profile whatever the profile held, the audio mode
// apart.
TEST_F(gcGameSaveTest, AResetProfileHoldsTheNewProfileValues)
{
    const std::vector<uint8_t> garbage(1012, 0x5A);
    gcGameSave::gcGameProfile p;
    p.Decode(garbage.data());
    p.Reset();
    std::vector<uint8_t> bytes(1012);
    p.Encode(bytes.data());
    std::vector<uint8_t> expected(1012, 0);
    PutBE(expected, 0, 1);
    PutBE(expected, 8, 0xFFFFFFFF);
    PutBE(expected, 12, 0xFFFFFFFF);
    PutBE(expected, 16, 0xFFFFFFFF);
    PutF(expected, 20, 1.0f);
    PutF(expected, 24, 1.0f);
    for (int e = 0; e < 32; ++e)
        PutBE(expected, 816 + 4 * e, 0xFFFFFFFF);
    PutF(expected, 996, 1.0f);
    PutF(expected, 1000, 1.0f);
    PutBE(expected, 1004, 0x5A5A5A5A);
    expected[1008] = 1;
    EXPECT_EQ(bytes, expected);
}

// Slots past the game state's key-value group are neither read nor written.
TEST_F(gcGameSaveTest, KeyValuesOutsideTheGroupAreLeftAlone)
{
    SetUpRunningGame();
    gcGameConfig::SetGroupRange(m_pState->m_keyValues, 50, 52);
    gcGameSave::UpdateCurProfile(false);
    const gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
    EXPECT_EQ(p.fGameStateKeyValues[0], 7.5f);
    EXPECT_EQ(p.fGameStateKeyValues[2], 0.0f);  // slot 52 lies outside
    gcGameSave::GetCurProfile()->nFlags = 0;
    gcGameSave::GetCurProfile()->fGameStateKeyValues[0] = 1.0f;
    gcGameSave::GetCurProfile()->fGameStateKeyValues[2] = 9.0f;
    gcGameSave::ApplyCurProfile();
    EXPECT_EQ(gcKeyValueMgr::s_pInstances[50]->m_fValue, 1.0f);
    EXPECT_EQ(gcKeyValueMgr::s_pInstances[52]->m_fValue, -2.0f);
}

}  // namespace
