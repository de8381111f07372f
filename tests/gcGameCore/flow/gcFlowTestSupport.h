#pragma once
// A data directory with a "Game" folder for the game-flow tests, and the
// loads' global state put back after each test (game, configurations,
// command line, pools).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cCore/cCoreServices.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "datagen/blockWriter.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

class gcFlowTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir.HostPath("Game"));
        gcGameConfig::s_dataPath.Set("%s", "");
    }
    void TearDown() override
    {
        gcGame::Unload();
        gcPlatformConfig::Unload();
        gcGameConfig::Unload();
        cSetCommandLine("");
    }
    std::string GamePath(const char* name) const { return m_dir.HostPath("Game") + "/" + name; }

    gcTestDataDir m_dir;
};

// Gives the file's first event block that holds an action (a type id where
// an empty one ends at once; the action's own block, which looks alike,
// comes after) a version no reader takes. False when there is none.
inline bool BreakFirstEventWithActions(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    const auto word = [&](size_t i, uint32_t v) {
        const uint32_t be = (uint32_t(bytes[i]) << 24) | (bytes[i + 1] << 16) | (bytes[i + 2] << 8) | bytes[i + 3];
        const uint32_t le = (uint32_t(bytes[i + 3]) << 24) | (bytes[i + 2] << 16) | (bytes[i + 1] << 8) | bytes[i];
        return be == v || le == v;
    };
    for (size_t i = 0; i + 32 <= bytes.size(); i += 4) {
        if (word(i, 0xBBBBBBBB) && word(i + 8, 3) && word(i + 12, 0xBBBBBBBB) && word(i + 20, 1) &&
            word(i + 24, 0xBEBEBEBE) && !word(i + 28, 0xFFFFFFFF)) {
            std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(i) + 8, 4, 0xFF);
            return datagen::WriteBytes(path, bytes);
        }
    }
    return false;
}
