#pragma once
// A variable of the save game: the current profile's act, map, item count,
// a player stat or time played, or the last-used and current profile
// numbers (all 1-based). The profile reference is carried but every
// variable reads the current profile. Read with its owner into its pool;
// main thread. Type id 211.

#include <cstdint>

#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcValue.h"

class gcValSaveGameVar : public gcValue {
    QM_DECLARE_TYPE(gcValSaveGameVar)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kMinVersion = 1;

    // Stored in data files.
    enum gcVar : int32_t {
        VAR_ACT = 0,
        VAR_MAP = 1,
        VAR_NUMPLAYERITEMS = 2,
        VAR_PLAYERSTAT = 3,
        VAR_TIMEPLAYED = 4,
        VAR_LASTUSEDPROFILE = 5,
        VAR_CURRENTPROFILE = 6,
        MAX_VARS = 7,
    };
    enum gcStatKind : int32_t { STAT_ENTITY = 0, STAT_CREATURE = 1 };

    // The act of profile 1.
    gcValSaveGameVar();
    gcValSaveGameVar(int32_t v, int32_t kind, int32_t stat);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcValue block, the profile, the variable (the stat
    // selection is not stored).
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false). Version 1 holds a 0-based
    // profile index n, read as the number n + 1. Unchanged unless read
    // whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "SaveGame.PlayerStat.Health"

    static const char* GetVarText(int32_t var);  // "???" outside 0..6

    gcDesiredValue profile;  // 1-based; carried, not consulted
    int32_t var = VAR_ACT;   // a gcVar as stored
    int32_t entityType = STAT_ENTITY;
    int32_t nPlayerStat = 0;

private:
    float GetPlayerStat() const;
};
