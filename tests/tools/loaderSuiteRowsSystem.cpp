// Loader-suite rows of the save, memory-card, language and pause actions and
// of the system, audio and save values: the newest block of each written by
// the engine, and every older block version they read laid by hand.
#include <functional>
#include <string>
#include <vector>

#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/actions/gcDoMemCardOp.h"
#include "gcGameCore/actions/gcDoPauseGame.h"
#include "gcGameCore/actions/gcDoSaveGameOp.h"
#include "gcGameCore/actions/gcDoSetLanguage.h"
#include "gcGameCore/values/gcValAudioVolume.h"
#include "gcGameCore/values/gcValCinematicPlaying.h"
#include "gcGameCore/values/gcValConsoleInfo.h"
#include "gcGameCore/values/gcValLanguage.h"
#include "gcGameCore/values/gcValMemCardStatus.h"
#include "gcGameCore/values/gcValRumbleEnabled.h"
#include "gcGameCore/values/gcValSaveGameOption.h"
#include "gcGameCore/values/gcValSaveGameVar.h"
#include "loaderSuite.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Path = const std::string&;

template <class T>
std::function<bool(LoaderEnv&, Path)> Action(T action)
{
    return [action](LoaderEnv&, Path p) { return datagen::WriteObjectFile(p, action); };
}

template <class T>
std::function<bool(LoaderEnv&, Path)> Value(T value)
{
    return [value](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, value); };
}

void AddActionRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcDoSaveGameOp v2", {"WriteObjectFile"},
                    Action(gcDoSaveGameOp(gcDoSaveGameOp::OP_SETCURPROFILE, Temp(1))), TypeOf<gcDoSaveGameOp>});
    rows.push_back({"gcDoSaveGameOp v1", {"ActionBlock"},
                    ActionFields<gcDoSaveGameOp>(1, [](datagen::BlockWriter& w) { w.Int(11).Int(2); }),
                    TypeOf<gcDoSaveGameOp>, nullptr, false});
    rows.push_back({"gcDoMemCardOp v2", {"WriteObjectFile"}, Action(gcDoMemCardOp(gcDoMemCardOp::OP_DELETE)),
                    TypeOf<gcDoMemCardOp>});
    rows.push_back({"gcDoSetLanguage v2", {"WriteObjectFile"}, Action(gcDoSetLanguage(1, 3)), TypeOf<gcDoSetLanguage>});
    rows.push_back({"gcDoSetLanguage v1", {"ActionBlock"},
                    ActionFields<gcDoSetLanguage>(1, [](datagen::BlockWriter& w) { w.Int(4); }),
                    TypeOf<gcDoSetLanguage>, nullptr, false});
    rows.push_back({"gcDoPauseGame v1", {"WriteObjectFile"}, Action(gcDoPauseGame(false)), TypeOf<gcDoPauseGame>});
}

void AddValueRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcValAudioVolume v2", {"WriteValueFile"}, Value(gcValAudioVolume(2, eAudio::ACG_BGM)),
                    TypeOf<gcValAudioVolume>});
    rows.push_back({"gcValAudioVolume v1", {"ValueBlock"},
                    ValueFields<gcValAudioVolume>(1, [](datagen::BlockWriter& w) { w.Int(eAudio::ACG_UI); }),
                    TypeOf<gcValAudioVolume>, nullptr, false});
    rows.push_back({"gcValCinematicPlaying v1", {"WriteValueFile"}, Value(gcValCinematicPlaying()),
                    TypeOf<gcValCinematicPlaying>});
    rows.push_back({"gcValConsoleInfo v1", {"WriteValueFile"},
                    Value(gcValConsoleInfo(gcValConsoleInfo::INFO_CARDPRESENT)), TypeOf<gcValConsoleInfo>});
    rows.push_back({"gcValLanguage v1", {"WriteValueFile"}, Value(gcValLanguage(1, 5)), TypeOf<gcValLanguage>});
    rows.push_back({"gcValMemCardStatus v1", {"WriteValueFile"},
                    Value(gcValMemCardStatus(eMemCard::STATUS_NO_CARD)), TypeOf<gcValMemCardStatus>});
    rows.push_back({"gcValRumbleEnabled v1", {"WriteValueFile"}, Value(gcValRumbleEnabled()),
                    TypeOf<gcValRumbleEnabled>});
    rows.push_back({"gcValSaveGameOption v1", {"WriteValueFile"}, Value(gcValSaveGameOption(1, 0.25f)),
                    TypeOf<gcValSaveGameOption>});
    gcValSaveGameVar var(gcValSaveGameVar::VAR_TIMEPLAYED, 0, 0);
    var.profile = Temp(0);
    rows.push_back({"gcValSaveGameVar v2", {"WriteValueFile"}, Value(var), TypeOf<gcValSaveGameVar>});
    rows.push_back({"gcValSaveGameVar v1", {"ValueBlock"},
                    ValueFields<gcValSaveGameVar>(1, [](datagen::BlockWriter& w) { w.Int(2).Int(1); }),
                    TypeOf<gcValSaveGameVar>, nullptr, false});
}

}  // namespace

void AddSystemRows(std::vector<LoaderRow>& rows)
{
    AddActionRows(rows);
    AddValueRows(rows);
}
