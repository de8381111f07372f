#pragma once
// Writers for sample and test data: every data file the engine reads can be
// produced here, with the engine's own Write code where it has one.

#include <string>

namespace datagen {

// Writes the small sample game below dir. Returns false (and logs) on failure.
bool WriteSampleGame(const std::string& dir);

}  // namespace datagen
