#pragma once
// A data directory with a "Game" folder for the game-flow tests, and the
// loads' global state put back after each test (game, configurations,
// command line, pools).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cCore/cCoreServices.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
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
