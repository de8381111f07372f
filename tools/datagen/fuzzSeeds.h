#pragma once
// Seed corpora for the fuzz targets, one folder per target below a root:
// "load" (a file of every registered class with a factory, written by its
// own Write, plus fuller zone, mesh, sound and configuration files), "movie"
// (small movies with and without audio), "card" (a saved image with its
// status text, laid out as the card target reads them), "settings",
// "game" (each sample game file the game target chooses, behind its
// choosing byte) and "save" (the save data of three profiles: new ones,
// played ones and damaged ones).

#include <cstdint>
#include <string>

namespace datagen {

// The files the game target replaces, below a data folder's "Game/"; an
// input's first byte (modulo the count) chooses one.
constexpr int kGameFuzzFileCount = 10;
extern const char* const kGameFuzzFiles[kGameFuzzFileCount];

// The item templates the save target adds to the sample's game state
// (beside the first map's brass key), so that saved items can stack and
// nest: slots in the game state's item-template range, one check for both.
constexpr int kSaveFuzzCoinsSlot = 40;  // stackable, up to 10 to a stack
constexpr int kSaveFuzzGemSlot = 41;    // up to 3 gems
constexpr uint16_t kSaveFuzzCheck = 0x5A;

// False (logged) when a folder or a file cannot be written.
bool WriteFuzzSeeds(const std::string& root);

}  // namespace datagen
