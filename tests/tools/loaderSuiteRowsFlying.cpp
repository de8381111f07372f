// The flying player: its block in an entity group, and a whole player
// configuration holding one, loaded as the game loads it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "datagen/playerWriters.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Path = const std::string&;

const cSlotTable& EntitySlots()
{
    return gcEntityMgr::GetSlotTable();
}

// The configuration is read from the data directory's root, through the
// game's own loader, into its pool.
void StartGame(LoaderEnv& env)
{
    std::filesystem::create_directories(env.HostPath("Game"));
    gcGameConfig::s_dataPath.Set("%s", "");
    UnloadFlowOnDone(env);
}

cBase* LoadAsFirstPlayerConfig(LoaderEnv& env, const char* path)
{
    std::error_code ec;
    std::filesystem::copy_file(env.HostPath(path + 1), env.HostPath("Game/PlayerConfig01.pc"),
                               std::filesystem::copy_options::overwrite_existing, ec);
    return !ec && gcGame::LoadPlayerConfig(0) ? gcPlayerConfig::s_pPlayerConfig : nullptr;
}

}  // namespace

void AddFlyingRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcEntityGroup, gcPlayerFlying v1", {"WritePlayerFlyingGroupFile"},
                    [](LoaderEnv&, Path p) {
                        datagen::CreatureDesc d;
                        d.entity.name = "Flyer";
                        d.entity.hTemplate = 0x01040008;
                        d.entity.regionId = 2;
                        d.entity.statMods = {2, 1, 0.5f, 1};
                        d.mods = {1, 1, 2, 1, 1, 1, 1, 4, 10};
                        return datagen::WritePlayerFlyingGroupFile(p, 18, {d, {}}, gcPlayerFlying::kVersion);
                    },
                    TypeOf<gcEntityGroup>, EntitySlots, true});
    rows.push_back({"gcPlayerConfig v4 with a flying player", {"WriteFlyingPlayerConfigFile"},
                    [](LoaderEnv&, Path p) {
                        datagen::FlyingPlayerDesc d;
                        d.shiftTicks[1] = 900;
                        d.collisionMask = 0x5;
                        return datagen::WriteFlyingPlayerConfigFile(p, d);
                    },
                    // Written back by the engine the groups come out shorter; stable from then on.
                    TypeOf<gcPlayerConfig>, nullptr, false, StartGame, LoadAsFirstPlayerConfig, {},
                    datagen::WriteBodyFile});
}
