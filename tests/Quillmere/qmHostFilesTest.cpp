// The program with things in its folders that are not the files they are
// named for: a pipe or an endless device in the data folder or as the
// settings file. Each run ends by itself, in bounded time, with its exit
// code (the bound is generous: a run that hangs fails the row instead of
// stopping the suite).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "qmChild.h"
#include "tempDir.h"

namespace {

constexpr double kBound = 60.0;

void MakePipe(const std::string& path)
{
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
}

void LinkToZero(const std::string& path)
{
    std::filesystem::remove(path);
    std::filesystem::create_symlink("/dev/zero", path);
}

struct HostFileRow {
    const char* sName;
    std::vector<std::string> args;  // after --data DIR --headless
    std::function<void(const std::string& data, const std::string& user)> prepare;
    int nExit;
    const char* sMessage;  // in the output
};

const HostFileRow kRows[] = {
    {"the game configuration a pipe", {"--frames", "300"},
     [](const std::string& data, const std::string&) { MakePipe(data + "/Game/GameConfig.gc"); }, 254,
     "cFile: cannot open \"/Game/GameConfig.gc\""},
    {"the map a pipe", {"--frames", "300", "/act", "1", "/map", "1"},
     [](const std::string& data, const std::string&) { MakePipe(data + "/Game/Act01/Map01/Map01.map"); }, 3,
     "gcMapLoader: act 1, map 1 could not be loaded"},
    {"the settings a pipe", {"--frames", "30"},
     [](const std::string&, const std::string& user) { MakePipe(user + "/quillmere/settings"); }, 0,
     "the defaults are used"},
    {"the settings an endless device", {"--frames", "30"},
     [](const std::string&, const std::string& user) { LinkToZero(user + "/quillmere/settings"); }, 0,
     "the defaults are used"},
};

TEST(qmHostFilesTest, PipesAndDevicesUnderFileNamesEndTheRunInTime)
{
    for (const HostFileRow& row : kRows) {
        SCOPED_TRACE(row.sName);
        TempDir data("qm_hostfiles");
        TempDir user("qm_hostuser");
        ASSERT_TRUE(datagen::WriteSampleGame(data.Path()));
        std::filesystem::create_directories(user.Path() + "/quillmere");
        row.prepare(data.Path(), user.Path());
        const char* old = std::getenv("XDG_DATA_HOME");
        const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("XDG_DATA_HOME", user.c_str(), 1);
        std::vector<std::string> args = {QM_QUILLMERE, "--data", data.Path(), "--headless"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const qmtest::ChildResult r = qmtest::RunChild(args, kBound);
        if (saved)
            setenv("XDG_DATA_HOME", saved->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        EXPECT_FALSE(r.bTimedOut) << r.log;
        EXPECT_EQ(r.nExit, row.nExit) << r.log;
        EXPECT_NE(r.log.find(row.sMessage), std::string::npos) << r.log;
    }
}

}  // namespace
