#include "datagen/datagen.h"

#include "datagen/menuWriters.h"
#include "datagen/sampleWriters.h"

#include <filesystem>
#include <system_error>

namespace datagen {

bool WriteSampleGame(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(dir) / "Game", ec);
    return !ec && WriteSampleFlowFiles(dir) && WriteSampleMapFiles(dir) && WriteSampleMainMenu(dir) &&
           WriteSampleInput(dir);
}

}  // namespace datagen
