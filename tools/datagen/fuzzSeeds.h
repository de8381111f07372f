#pragma once
// Seed corpora for the fuzz targets, one folder per target below a root:
// "load" (a file of every registered class with a factory, written by its
// own Write, plus fuller zone, mesh, sound and configuration files), "movie"
// (small movies with and without audio), "card" (a saved image with its
// status text, laid out as the card target reads them) and "settings".

#include <string>

namespace datagen {

// False (logged) when a folder or a file cannot be written.
bool WriteFuzzSeeds(const std::string& root);

}  // namespace datagen
