#pragma once
// The player's progress: three profiles kept together in one 3040-byte block
// of save data that the memory card writes to and reads from a single save
// file named after the game object. A profile holds the position to resume
// at, the option values, the game state's key values, the player's items and
// stats, the audio settings and rumble. Scripts select a profile and drive
// the operations; the map loop applies the current profile when a map
// starts. All state is static; main thread. Type id 229 (registered only so
// that the type table knows the class: the object has no fields).

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cStr.h"
#include "cCore/cTimeValue.h"

class gcItem;
class gcEntity;
class gcCreature;

class gcGameSave : public cBase {
    QM_DECLARE_TYPE(gcGameSave)
public:
    static constexpr uint32_t kVersion = 1;  // the block holds the cBase block only
    static constexpr int kNumProfiles = 3;
    static constexpr int kMaxItems = 32;
    static constexpr int kNumKeyValues = 100;
    static constexpr int kNumEntityStats = 4;    // gcEntityTemplate::MAX_STATS
    static constexpr int kNumCreatureStats = 9;  // gcCreatureTemplate::MAX_STATS
    static constexpr int kProfileSize = 1012;
    static constexpr int kDataSize = 4 + kNumProfiles * kProfileSize;  // 3040
    static constexpr int kCardVersion = 16;  // the save file's version word
    static constexpr uint32_t kNewProfile = 0x1;  // nFlags: stats and items never applied

    enum gcOptionValue : int32_t { OV_CAMERA_INVERT_X = 0, OV_CAMERA_INVERT_Y = 1, MAX_OPTIONVALUES = 2 };

    // One profile as held in memory; Encode and Decode give the card's
    // big-endian 1012-byte form.
    struct gcGameProfile {
        uint32_t nFlags = kNewProfile;
        cTimeValue timePlayed;
        int32_t nAct = -1;  // -1: no position
        int32_t nMap = -1;
        int32_t nLoadingScreen = -1;
        float fOptionValues[MAX_OPTIONVALUES] = {1.0f, 1.0f};
        float fGameStateKeyValues[kNumKeyValues] = {};
        int32_t nPlayerItems = 0;
        uint32_t hPlayerItems[kMaxItems] = {};  // item template handles; 0 empty
        int32_t nPlayerItemCounts[kMaxItems] = {};
        uint32_t nPlayerItemFlags[kMaxItems] = {};
        int32_t nPlayerItemParent[kMaxItems];  // entry of the containing item; -1 the player
        float fPlayerEntityStat[kNumEntityStats] = {};
        float fPlayerCreatureStat[kNumCreatureStats] = {};
        float fSoundVolume = 1.0f;
        float fMusicVolume = 1.0f;
        int32_t audioMode = 0;  // an eAudio::eAudioOutputMode; a reset keeps it
        bool bRumble = true;

        gcGameProfile() { Reset(); }
        // The values of a new profile; the audio mode stays.
        void Reset();
        void Encode(uint8_t* pOut) const;  // kProfileSize bytes
        void Decode(const uint8_t* pIn);
    };

    struct gcGameData {
        int32_t nLastUsedProfile = 0;
        gcGameProfile profiles[kNumProfiles];

        void Encode(uint8_t* pOut) const;  // kDataSize bytes
        void Decode(const uint8_t* pIn);
    };

    void Write(const cFile& file) const override;
    // Version 1 and later; version 0 is skipped and refused.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The profile operations below, except ResetAllProfiles and
    // UpdateLastUsedProfile, do nothing while no profile is current; a save
    // or load then also leaves a failing card status.

    // The running game into the current profile: the options always, the
    // rest unless bOptionsOnly. The position changes only while a map
    // change is requested.
    static void UpdateCurProfile(bool bOptionsOnly);
    // The current profile into the running game. Card data is not trusted:
    // a profile whose values are out of bounds (HoldsValuesInBounds) is
    // refused as StartCurProfile refuses it, nothing applied; an entry whose
    // parent's item was not given is skipped.
    // The stats and items of a new profile stay as the map made them, and
    // so do the stats while the profile holds none recorded from a living
    // player; an item entry with a count below 1 is skipped.
    static void ApplyCurProfile();
    static void ResetCurProfile();
    static void ResetAllProfiles();
    // Requests the saved act and map when the profile has both. A position
    // of neither (-1, -1) starts nothing. A profile is damaged when its
    // position is not two ids of 0 to 2147483646 or one the game data does
    // not hold (an act or map past the tables, or its file missing), when
    // its values are out of bounds (HoldsValuesInBounds), or when its stats
    // are more than the saved map's player could hold (HoldsStatsWithinPlayer,
    // that player read from the map's configuration while no map runs):
    // one warning, the profile reset to a new one without a position that
    // holds the running game's options (nothing of it is applied later)
    // and the card's status STATUS_CORRUPTED_SAVEFILE.
    static void StartCurProfile();
    // Whether every word of the profile is one the game records
    // (HoldsWordsInBounds), every stat finite, every one with a maximum
    // within its editing range (0 to the largest a template may give it;
    // health 999), and the sound and music volumes within 0 to 1; else pWhy
    // names the first that is not.
    static bool HoldsValuesInBounds(const gcGameProfile& p, cStr* pWhy);
    // Whether every stat with a maximum the profile records is one the
    // player could hold: at most its template's maximum times the player's
    // multiplier, plus every bonus the item templates in memory can add;
    // else pWhy names the first that is not. StartCurProfile asks it of the
    // saved map's player; ApplyCurProfile asks it again of the player the
    // map made (a profile started while a map ran, or holding items of the
    // map's own templates, was not asked), and refuses a profile that fails
    // as StartCurProfile does, nothing applied, but its position kept (the
    // map being started).
    static bool HoldsStatsWithinPlayer(const gcGameProfile& p, const gcCreature& creature, cStr* pWhy);
    static void SaveCurProfile(bool bOverwrite, bool bOptionsOnly);
    // Resets the current profile, then reads the save data from the card;
    // the buffer changes only when the card read succeeds and its last-used
    // profile is one of the three (else one warning and the card's status
    // STATUS_CORRUPTED_SAVEFILE; UpdateLastUsedProfile likewise).
    static void LoadCurProfile();
    static void UpdateLastUsedProfile();

    static gcGameProfile* GetCurProfile();  // null while none is current

    static gcGameData s_gameData;
    static int32_t s_nCurProfile;  // 0..2; -1 none
    static float s_fOptionValues[MAX_OPTIONVALUES];

private:
    // The depth-first walk of recordable items shared by the recording and
    // the re-equipping, so both see the same entries in the same order.
    // The walk also keeps every item's equip state and puts it back, so that
    // an item's own state survives its container being taken off and put on.
    struct ItemWalk;
    static void UpdateProfileItem(gcGameProfile& p, gcItem* pItem, ItemWalk& walk, int parent, bool bParentRecorded);
    static void ReEquipItem(const gcGameProfile& p, gcItem* pItem, ItemWalk& walk, bool bParentRecorded);
    static bool IsRecorded(const gcItem* pItem, const ItemWalk& walk, bool bParentRecorded);
    // The player's stats into the profile: a stat with a maximum as it.
    static void RecordStats(gcGameProfile& p, const gcCreature& creature);
    // Whether the profile's words are ones the game records: a time played
    // of 0 or more, a loading screen of -1 (none) to 47, 0 to 32 item
    // entries each with a parent of -1 or an earlier entry, an audio mode
    // eAudio::GetOutputMode gives (0 to 3), finite option and key values;
    // else pWhy names the first that is not.
    static bool HoldsWordsInBounds(const gcGameProfile& p, cStr* pWhy);
    // Whether the position names ids and files the game holds; else pWhy
    // says what is wrong.
    static bool HoldsStartablePosition(const gcGameProfile& p, cStr* pWhy);
    // HoldsStatsWithinPlayer for the player of the profile's map, its
    // configuration read into the empty Player Config pool and released
    // again. True without a player's stats, while a map runs or with items
    // of templates not in memory (the map's start decides), and when the
    // map's files give no player (their loading reports that).
    static bool HoldsStatsWithinMapPlayer(const gcGameProfile& p, cStr* pWhy);
    // The player configuration of the profile's map read into the empty
    // Player Config pool, its warnings and errors not logged; false when
    // the map's head or the configuration cannot be read.
    static bool ReadMapPlayerQuietly(const gcGameProfile& p);
    // The damage warning; the profile reset to a new one holding the
    // running game's options (its position kept when bKeepPosition), so
    // that nothing of it is ever applied; the card's status
    // STATUS_CORRUPTED_SAVEFILE.
    static void RefuseCurProfile(const cStr& why, bool bKeepPosition);
    // Whether the profile holds stats recorded from a living player.
    static bool HoldsPlayerStats(const gcGameProfile& p);
    // True with a current profile; otherwise logged, the card's status a
    // failure, so that a script's save or load does not read as done.
    static bool HasCurProfileForCard(const char* op);
    static void UpdateKeyValues(gcGameProfile& p);
    static void ApplyKeyValues(const gcGameProfile& p);
    static void UpdatePlayer(gcGameProfile& p, gcCreature* pCreature);
    static void ApplyStats(const gcGameProfile& p, gcCreature* pCreature);
    static void ApplyItems(const gcGameProfile& p, gcCreature* pCreature);
    static void ApplyOptions(const gcGameProfile& p);
    // The game object's name; null without one (logged, and the card's
    // status set to a failure).
    static const char* GetSaveName();
};
