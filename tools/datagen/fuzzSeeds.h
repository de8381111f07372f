#pragma once
// Seed corpora for the fuzz targets, one folder per target below a root:
// "load" (a file of every registered class with a factory, written by its
// own Write, plus fuller zone, mesh, sound and configuration files), "movie"
// (small movies with and without audio), "card" (a saved image with its
// status text, laid out as the card target reads them), "settings" and
// "game" (each sample game file the game target chooses, behind its
// choosing byte).

#include <string>

namespace datagen {

// The files the game target replaces, below a data folder's "Game/"; an
// input's first byte (modulo the count) chooses one.
constexpr int kGameFuzzFileCount = 10;
extern const char* const kGameFuzzFiles[kGameFuzzFileCount];

// False (logged) when a folder or a file cannot be written.
bool WriteFuzzSeeds(const std::string& root);

}  // namespace datagen
