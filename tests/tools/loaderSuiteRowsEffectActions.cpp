// The loader suite's rows of the effect actions: each class's newest block
// from the engine's own writer and every older block it reads, laid by hand.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "gcGameCore/actions/gcDoEffectActivate.h"
#include "gcGameCore/actions/gcDoEffectFadeOut.h"
#include "gcGameCore/actions/gcDoEffectSetAttractor.h"
#include "gcGameCore/actions/gcDoEffectSpawn.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Path = const std::string&;

void AddActivateRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcDoEffectActivate v4", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(
                            p, gcDoEffectActivate(gcDoEffectActivate::ACTION_ACTIVATERESET, true,
                                                  SpecificEffect(0x00110004), 0x80000005u));
                    },
                    TypeOf<gcDoEffectActivate>});
    for (uint32_t version : {2u, 3u})
        rows.push_back({Named("gcDoEffectActivate", version), {"ActionBlock"},
                        ActionFields<gcDoEffectActivate>(version,
                                                         [version](datagen::BlockWriter& w) {
                                                             w.Int(7).Int(gcDesiredEffect::PARTICIPANT1).Int(0);
                                                             if (version >= 3)
                                                                 w.Int(1).Word(0x5);
                                                         }),
                        TypeOf<gcDoEffectActivate>, nullptr, false});
}

void AddFadeOutRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcDoEffectFadeOut v2", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoEffectFadeOut(SpecificEffect(0x00110004), Temp(1),
                                                                             false, true));
                    },
                    TypeOf<gcDoEffectFadeOut>});
    rows.push_back({"gcDoEffectFadeOut v1", {"ActionBlock"},
                    ActionFields<gcDoEffectFadeOut>(1,
                                                    [](datagen::BlockWriter& w) {
                                                        w.Int(gcDesiredEffect::PARTICIPANT2).Int(0).Int(450);
                                                        w.Int(0).Int(3);
                                                    }),
                    TypeOf<gcDoEffectFadeOut>, nullptr, false});
}

void AddAttractorRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcDoEffectSetAttractor v3", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) {
                        gcDoEffectSetAttractor a(SpecificEffect(0x00110004), SpecificEntity(0x00070002), "hips");
                        a.hRegionPoint = gcRegionPointHandle(0x00330001);
                        return datagen::WriteObjectFile(p, a);
                    },
                    TypeOf<gcDoEffectSetAttractor>});
}

void AddSpawnRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcDoEffectSpawn v5", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) {
                        gcDoEffectSpawn a(gcEffectTemplateHandle(0x00220003), gcDoEffectSpawn::SPAWN_ENTITYHELPER,
                                          SpecificEntity(0x00070002), "muzzle");
                        a.hRegionPoint = gcRegionPointHandle(0x00330001);
                        a.nFlags = 0x40000001u;
                        a.SetTarget(gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), "head", 30.0f, 12.5f);
                        a.pitchTol = Temp(0);
                        return datagen::WriteObjectFile(p, a);
                    },
                    TypeOf<gcDoEffectSpawn>});
    for (uint32_t version : {1u, 2u, 3u, 4u})
        rows.push_back({Named("gcDoEffectSpawn", version), {"ActionBlock"},
                        ActionFields<gcDoEffectSpawn>(version,
                                                      [version](datagen::BlockWriter& w) {
                                                          w.Word(0x00220003).Int(gcDoEffectSpawn::SPAWN_ATTACHTOENTITY);
                                                          w.Word(0x00330001).Int(gcDesiredEntity::PARTICIPANT1).Int(0);
                                                          w.Name("hand");
                                                          if (version == 2)
                                                              w.Int(-77);
                                                          if (version >= 4)
                                                              w.Word(0x9u);
                                                      }),
                        TypeOf<gcDoEffectSpawn>, nullptr, false});
}

}  // namespace

void AddEffectActionRows(std::vector<LoaderRow>& rows)
{
    AddActivateRows(rows);
    AddFadeOutRows(rows);
    AddAttractorRows(rows);
    AddSpawnRows(rows);
}
