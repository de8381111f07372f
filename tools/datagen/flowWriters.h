#pragma once
// Writers for the game flow's files: the game configuration
// ("Game/GameConfig.gc"), the platform configuration
// ("Game/PlatformConfig_gc.plc", its resources and events empty) and the
// game file ("Game/Game.gam"), through the engine's own Write code; and the
// game block of any version the game reads, laid out by hand. Offline tools
// and test fixtures; main thread, before the configuration is loaded: the
// configuration object made for writing resets the Textures pool and holds
// texture slots 0 and 1 while it lives (their contents come back).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/materialWriters.h"
#include "cCore/cMemPool.h"

class cBase;
class cMemPool;
class cName;
class gcGame;
class gcGameState;
class gcPlatformConfig;

namespace datagen {

// Texture configurations placed from slot beginSlot (empty records keep
// check 0); every other group of the configuration is empty.
bool WriteGameConfigFile(const std::string& path, int beginSlot, const std::vector<TextureConfigRecord>& records);

// Every group empty unless fill, when given, puts objects in it.
bool WritePlatformConfigFile(const std::string& path, const char* name,
                             const std::function<void(gcPlatformConfig&)>& fill = nullptr);

// What a game file names; every group is empty.
struct GameFileDesc {
    std::string name = "Game";
    std::vector<std::string> actNames;           // at most 12 kept
    std::vector<std::string> playerConfigNames;  // at most 8
    std::vector<std::string> loadingScreenNames; // at most 48
    std::vector<std::string> musicNames;         // at most 48
    std::vector<int32_t> musicSizes;             // by music name
    int32_t gameTracks[4] = {-1, -1, -1, -1};
    uint32_t voDialog = 0;  // the voice-over widget's dialog and control handles
    uint32_t voControl = 0;
    uint32_t cameraCollisionMask = 0;
};

// The game through gcGame::Write (version 18). fill, when given, changes the
// object before it is written (events, say); the object lives in pPool.
bool WriteGameFile(const std::string& path, const GameFileDesc& desc, cMemPool* pPool,
                   const std::function<void(gcGame&)>& fill = nullptr);

// The fields of desc in a game, every group emptied at its own begin.
void FillGame(gcGame& game, const GameFileDesc& desc);
// The game through gcGame::Write, the game camera's collision mask set to
// cameraCollisionMask while it is written.
bool WriteGameBody(const std::string& path, const gcGame& game, uint32_t cameraCollisionMask);

// The game block of a version from 4 to 18, as that version stored it, with
// empty groups and events.
BlockWriter& GameBlock(BlockWriter& w, uint32_t version, const GameFileDesc& desc);

// The platform configuration block of a version from 1 to 7 with empty
// groups and events and, from version 5, iconBytes icon bytes after the
// size word iconSize (as given, so bad sizes can be written too).
BlockWriter& PlatformConfigBlock(BlockWriter& w, uint32_t version, int32_t iconSize, size_t iconBytes);

// A key value of the game state, the slots counted from 50.
struct KeyValueRecord {
    std::string name;
    float value = 0.0f;
};

// The game state ("Game/GameState.gs") through gcGameState::Write (version
// 4): the key values in slots 50 on, template groups empty.
bool WriteGameStateFile(const std::string& path, const std::vector<KeyValueRecord>& keyValues);
// A game state through gcGameState::Write with the key values from slot 50
// (placed in their slots while it is written) and its template groups
// empty.
bool WriteGameStateBody(const std::string& path, gcGameState& state, const std::vector<KeyValueRecord>& keyValues);
// The game-state block of version 3 or 4 as that version stored it
// (version 3 puts the item templates before the effect templates), with
// the key values from slot 50 and empty template groups.
BlockWriter& GameStateBlock(BlockWriter& w, uint32_t version, const std::vector<KeyValueRecord>& keyValues);

// Writes the group of a hand-laid block at this index (the block's own
// numbering) and returns true, or returns false to have it written empty.
using GroupBlockFunc = std::function<bool(BlockWriter& w, int index)>;

// A player configuration ("Game/PlayerConfig%02i.pc") through
// gcPlayerConfig::Write (version 4), every group and event empty.
bool WritePlayerConfigFile(const std::string& path, const char* name);
// The groups of a player-configuration block in their order.
enum PlayerConfigGroup : int {
    kPlayerTextures,
    kPlayerMaterials,
    kPlayerMeshes,
    kPlayerAnimations,
    kPlayerSurfaces,
    kPlayerEntityTemplates,
};
// The player-configuration block of version 3 or 4; groups empty (the
// entity templates from slot 0) unless groups writes them.
BlockWriter& PlayerConfigBlock(BlockWriter& w, uint32_t version, const char* name,
                               const GroupBlockFunc& groups = nullptr);

// Platform strings ("Game/PlatformStrings_%s_%s.str"): a string group from
// slot 850, its block alone as the game reads it.
bool WritePlatformStringsFile(const std::string& path, const std::vector<std::pair<std::string, std::string>>& strings);

// A music track ("Game/Music/Music%02i.mus"): a looping tone of the given
// pitch and length.
bool WriteToneMusicFile(const std::string& path, double hz, int nSamples);
// A music track of a looping tune: the notes in turn, nNoteSamples each.
bool WriteTuneMusicFile(const std::string& path, const std::vector<double>& notesHz, int nNoteSamples);

// Groups written with nothing in them: each range ends where it begins.
template <class... Groups>
void EmptyRanges(Groups&... groups)
{
    ((groups.m_nEnd = groups.m_nBegin), ...);
}
// The first names of a fixed table (the rest stay empty).
void SetNames(cName* pNames, int nCapacity, const std::vector<std::string>& names);

// Writes the block of an object of a game-flow class that registers itself
// as the resident one while it lives: made in the pool with args, changed
// by fill, written as a body file, destroyed, and the resident pointer put
// back as it was.
template <class T, class... Args>
bool WriteResidentBody(const std::string& path, cMemPool* pPool, T*& rResident, const std::function<void(T&)>& fill,
                       Args&&... args)
{
    T* const pResident = rResident;
    T* p = pPool ? pPool->template New<T>(std::forward<Args>(args)...) : nullptr;
    bool ok = p != nullptr;
    if (ok) {
        fill(*p);
        ok = WriteBodyFile(path, *p);
        std::destroy_at(p);
    }
    rResident = pResident;
    return ok;
}

// The block shapes the game-flow files are made of.
BlockWriter& ObjectBlock(BlockWriter& w, const char* name);
BlockWriter& EmptyGroupBlock(BlockWriter& w, int32_t beginSlot);
BlockWriter& EmptyEventBlock(BlockWriter& w);
// A group block from beginSlot over the key values, each a check 0xFFFF,
// the type id and a version-3 block.
BlockWriter& KeyValueGroupBlock(BlockWriter& w, int32_t beginSlot, const std::vector<KeyValueRecord>& keyValues);

}  // namespace datagen
