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
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/materialWriters.h"

class cBase;
class cMemPool;
class gcGame;

namespace datagen {

// Texture configurations placed from slot beginSlot (empty records keep
// check 0); every other group of the configuration is empty.
bool WriteGameConfigFile(const std::string& path, int beginSlot, const std::vector<TextureConfigRecord>& records);

bool WritePlatformConfigFile(const std::string& path, const char* name);

// Any game-flow object as its file holds it: the object's block directly,
// without the type id of a polymorphic member.
bool WriteBodyFile(const std::string& path, const cBase& object);

// What a game file names; every group is empty.
struct GameFileSpec {
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
bool WriteGameFile(const std::string& path, const GameFileSpec& spec, cMemPool* pPool,
                   const std::function<void(gcGame&)>& fill = nullptr);

// The game block of a version from 4 to 18, as that version stored it, with
// empty groups and events.
BlockWriter& GameBlock(BlockWriter& w, uint32_t version, const GameFileSpec& spec);

// The platform configuration block of a version from 1 to 7 with empty
// groups and events and, from version 5, iconBytes icon bytes after the
// size word iconSize (as given, so bad sizes can be written too).
BlockWriter& PlatformConfigBlock(BlockWriter& w, uint32_t version, int32_t iconSize, size_t iconBytes);

// The block shapes the game-flow files are made of.
BlockWriter& ObjectBlock(BlockWriter& w, const char* name);
BlockWriter& EmptyGroupBlock(BlockWriter& w, int32_t beginSlot);
BlockWriter& EmptyEventBlock(BlockWriter& w);

// The sample game's flow files below dir/Game.
bool WriteSampleFlowFiles(const std::string& dir);

}  // namespace datagen
