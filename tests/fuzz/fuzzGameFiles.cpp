// Feeds arbitrary bytes to the game's own file loads, as the game reads its
// files (no leading type id): the first byte chooses the file, the rest
// replaces it in a copy of the sample game, and the load that reads it runs
// with the sample's game configuration, platform configuration and game
// loaded, as they are when the game reaches that load, and with audio
// memory started, so the sounds the files name are read. Every input must
// load or fail cleanly and leave the sample loadable: no crash, no read
// outside the buffers, no sanitizer report, no audio memory kept.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "cCore/cLog.h"
#include "datagen/datagen.h"
#include "datagen/fuzzSeeds.h"
#include "fuzzAudio.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/flow/gcRegion.h"
#include "platform/dvd.h"
#include "platform/os.h"
#include "tempDir.h"

namespace {

constexpr int kConsolePlatform = 1;  // "gc"

// The files, in datagen::kGameFuzzFiles's order.
enum GameFile {
    GF_GAME,
    GF_GAMECONFIG,
    GF_PLATFORMCONFIG,
    GF_GAMESTATE,
    GF_ACT,
    GF_MAP,
    GF_REGION,
    GF_PLAYERCONFIG,
    GF_MAINMENU,
    GF_LOADINGSCREEN,
    GF_COUNT
};
static_assert(GF_COUNT == datagen::kGameFuzzFileCount);

TempDir* g_pDir = nullptr;
std::string g_sample;  // the untouched sample game, copied back after each input

std::string GamePath(const std::string& root, int file)
{
    return root + "/Game/" + datagen::kGameFuzzFiles[file];
}

bool WriteInput(const std::string& path, const uint8_t* data, size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    return ok;
}

void Restore(int file)
{
    std::error_code ec;
    const std::string to = GamePath(g_pDir->c_str(), file);
    // The platform layer's timer signals can interrupt the copy: try again.
    do {
        ec.clear();
        std::filesystem::copy_file(GamePath(g_sample, file), to, std::filesystem::copy_options::overwrite_existing,
                                   ec);
    } while (ec == std::errc::interrupted);
    if (ec) {
        std::fprintf(stderr, "fuzzGameFiles: cannot put back %s: %s\n", to.c_str(), ec.message().c_str());
        std::abort();
    }
}

// What the game has loaded when it reaches a map: the two configurations and
// the game.
bool LoadResident()
{
    return gcGameConfig::Load() && gcPlatformConfig::Load(kConsolePlatform) && gcGame::Load();
}

void UnloadResident()
{
    gcGame::Unload();
    gcPlatformConfig::Unload();
    gcGameConfig::Unload();
}

template <class T>
void Destroy(T*& p)
{
    if (p)
        std::destroy_at(p);
}

// The load that reads the file, then what the game does when it leaves it.
void LoadFile(int file)
{
    switch (file) {
    case GF_GAME:
    case GF_GAMECONFIG:
    case GF_PLATFORMCONFIG:
        UnloadResident();
        LoadResident();
        UnloadResident();
        break;
    case GF_GAMESTATE:
        gcGame::LoadGameState();
        Destroy(gcGameState::s_pGameState);
        break;
    case GF_ACT:
    case GF_MAP:
        if (gcGame::LoadAct(0))
            gcAct::s_pAct->LoadMap(0);
        Destroy(gcAct::s_pAct);
        break;
    case GF_REGION:
        if (gcGame::LoadAct(0) && gcAct::s_pAct->LoadMap(0) && gcMap::s_pMap->LoadRegions(0))
            gcMap::s_pMap->UpdateRegions(true);
        Destroy(gcAct::s_pAct);
        break;
    case GF_PLAYERCONFIG:
        gcGame::LoadPlayerConfig(0);
        gcPlayer::Get()->UpdatePlayerConfig(-1);
        Destroy(gcPlayerConfig::s_pPlayerConfig);
        break;
    case GF_MAINMENU:
        gcMainMenu::Load();
        Destroy(gcMainMenu::s_pMainMenu);
        break;
    case GF_LOADINGSCREEN:
        gcGame::LoadLoadingScreen(0);
        Destroy(gcLoadingScreen::s_pLoadingScreen);
        break;
    default:
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    OSInit();
    cLogSetCallback(nullptr, nullptr);  // thousands of damaged files a second
    fuzzAudio::Start();  // the game's sounds are read into audio memory
    g_pDir = new TempDir("qm_fuzz_game");
    static TempDir sample("qm_fuzz_sample");
    g_sample = sample.c_str();
    if (!datagen::WriteSampleGame(g_sample) || !datagen::WriteSampleGame(g_pDir->c_str()))
        std::abort();
    DVDSetDataDirectory(g_pDir->c_str());
    if (!LoadResident())
        std::abort();
    fuzzAudio::Mark();  // the resident game's sounds
    std::atexit([] {
        UnloadResident();
        delete g_pDir;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int file = data[0] % GF_COUNT;
    if (!WriteInput(GamePath(g_pDir->c_str(), file), data + 1, size - 1))
        std::abort();
    LoadFile(file);
    Restore(file);
    // The damaged configuration or game is replaced by the sample's, which
    // must load again.
    if (file <= GF_PLATFORMCONFIG && !LoadResident())
        std::abort();
    fuzzAudio::CheckNothingKept();
    return 0;
}
