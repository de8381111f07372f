// The save, memory-card, language and pause actions and the system, audio
// and save values against the save-game fixture.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cCore/cCoreServices.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "gcGameCore/actions/gcDoMemCardOp.h"
#include "gcGameCore/actions/gcDoPauseGame.h"
#include "gcGameCore/actions/gcDoSaveGameOp.h"
#include "gcGameCore/actions/gcDoSetLanguage.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/values/gcValAudioVolume.h"
#include "gcGameCore/values/gcValConsoleInfo.h"
#include "gcGameCore/values/gcValLanguage.h"
#include "gcGameCore/values/gcValMemCardStatus.h"
#include "gcGameCore/values/gcValRumbleEnabled.h"
#include "gcGameCore/values/gcValSaveGameOption.h"
#include "gcGameCore/values/gcValSaveGameVar.h"
#include "../script/gcScriptTestObjects.h"
#include "datagen/actionWriters.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "eEngine/modelTestSupport.h"
#include "saveTestFixture.h"
#include "platform/os.h"
#include "platform/pad.h"
#include "../test/pad_test.h"
#include "testDeadline.h"

namespace {

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.fConst = f;
    return v;
}

template <class T>
std::string Text(const T& o)
{
    char buf[gcScriptText::kSize] = {};
    o.GetText(buf);
    return buf;
}

class gcSaveScriptTest : public SaveTest {
protected:
    void Op(int32_t op, float profile = 1.0f) { gcDoSaveGameOp(op, Number(profile)).Apply(m_params); }
    // An object of the class from a hand-laid block; null when refused.
    template <class T>
    T* LoadLaid(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        const uint32_t id = T::GetStaticType()->m_nTypeId;
        const bool bAction = T::GetStaticType()->IsA(gcAction::GetStaticType());
        const bool bSaved = datagen::WriteObjectBlocksFile(m_data.HostPath("laid.dat"), id, [&](datagen::BlockWriter& w) {
            if (bAction)
                datagen::ActionBlock(w, version);
            else
                datagen::ValueBlock(w, version, T::GetStaticType()->IsA(gcLValue::GetStaticType()));
            fields(w);
            w.End();
        });
        return bSaved ? dcast<T>(cBase::Load("/laid.dat", &m_pool, T::GetStaticType())) : nullptr;
    }
    gcEventParams m_params;
    gcTestDataDir m_data;
};

TEST_F(gcSaveScriptTest, SetCurProfileTakesOnlyNumbersOneToThree)
{
    const struct {
        float number;
        int32_t nAfter;  // from profile index 1
    } rows[] = {{0.0f, 1}, {4.0f, 1}, {-1.0f, 1}, {3.7f, 2}, {1.0f, 0}, {0.9f, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        gcGameSave::s_nCurProfile = 1;
        Op(gcDoSaveGameOp::OP_SETCURPROFILE, row.number);
        EXPECT_EQ(gcGameSave::s_nCurProfile, row.nAfter);
    }
}

// Operations 3 and 4 run the platform's events and leave the card alone;
// 5, 8, 9 and 12 read or write it.
TEST_F(gcSaveScriptTest, OnlyTheCommitOperationsTouchTheCard)
{
    SetUpRunningGame();
    auto* pPlatform = m_pool.New<gcPlatformConfig>();
    pPlatform->onGameLoaded.pAction = m_pool.New<gcDoTestStep>(gcDoTestStep::RECORD, 3, 0, nullptr);
    pPlatform->onGameSaved.pAction = m_pool.New<gcDoTestStep>(gcDoTestStep::RECORD, 4, 0, nullptr);
    const struct {
        int32_t op;
        bool bWrites;   // a file appears on an empty card
        int32_t nTag;   // the platform event run, 0 none
    } rows[] = {
        {gcDoSaveGameOp::OP_LOADALLPROFILES, false, 0}, {gcDoSaveGameOp::OP_SAVEALLPROFILES, false, 0},
        {gcDoSaveGameOp::OP_LOADPROFILE, false, 3},     {gcDoSaveGameOp::OP_SAVEPROFILE, false, 4},
        {gcDoSaveGameOp::OP_SAVEOVERWRITEPROFILE_COMMIT, true, 0},
        {gcDoSaveGameOp::OP_SAVEPROFILE_COMMIT, true, 0},
        {gcDoSaveGameOp::OP_SAVEPROFILEOPTIONS_COMMIT, true, 0}, {13, false, 0}, {-1, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.op);
        std::remove(CardPath().c_str());
        TestLog().clear();
        Op(row.op);
        EXPECT_EQ(!CardFile().empty(), row.bWrites);
        EXPECT_EQ(TestLogTags(), row.nTag ? std::vector<int32_t>{row.nTag} : std::vector<int32_t>{});
    }
    // A load reads the card: the profile saved above comes back.
    gcGameSave::s_gameData.profiles[1].nMap = 30;
    Op(gcDoSaveGameOp::OP_LOADPROFILE_COMMIT);
    EXPECT_EQ(gcGameSave::s_gameData.profiles[1].nMap, 3);
    pPlatform->onGameLoaded.pAction = pPlatform->onGameSaved.pAction = nullptr;
    std::destroy_at(pPlatform);
}

// A map change with saving records the requested map in the current
// profile; without saving the profile keeps its position.
TEST_F(gcSaveScriptTest, LoadingAMapWithSavingRecordsItsPosition)
{
    SetUpRunningGame();
    m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = m_pGame->m_nLoadingScreenToLoad = -1;
    const gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
    gcDoLoadMap(1, 0, 2, false, false, false).Apply(m_params);
    EXPECT_EQ(p.nMap, -1);
    EXPECT_EQ(p.nPlayerItems, 0);
    gcDoLoadMap(5, 3, 4, false, true, false).Apply(m_params);
    EXPECT_EQ(p.nAct, 3);
    EXPECT_EQ(p.nMap, 4);
    EXPECT_EQ(p.nLoadingScreen, 5);
    EXPECT_EQ(p.nPlayerItems, 3);
    EXPECT_TRUE(CardFile().empty());  // the card is the saved event's business
}

TEST_F(gcSaveScriptTest, MemCardActionsSelectSlotAAndDeleteTheGamesFile)
{
    SetUpRunningGame();
    gcGameSave::SaveCurProfile(false, false);
    eMemCard::SetSlot(1);
    eMemCard::s_status = eMemCard::STATUS_FATAL_ERROR;
    gcDoMemCardOp(gcDoMemCardOp::OP_SAVE).Apply(m_params);
    EXPECT_EQ(eMemCard::s_nSlot, 0);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_FATAL_ERROR);  // nothing asked of the card
    EXPECT_FALSE(CardFile().empty());

    // No name (or no game object), no delete: a failure scripts can read.
    for (const bool bNoGame : {false, true}) {
        SCOPED_TRACE(bNoGame ? "no game object" : "no name");
        m_pGame->m_name.Set("%s", bNoGame ? "SaveTest" : "");
        gcGame::s_pGame = bNoGame ? nullptr : m_pGame;
        eMemCard::s_status = eMemCard::STATUS_READY;
        gcTestLogCapture log;
        gcDoMemCardOp(gcDoMemCardOp::OP_DELETE).Apply(m_params);
        EXPECT_FALSE(CardFile().empty());
        EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_FATAL_ERROR);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "gcDoMemCardOp: no game object names the save file to delete"), 1);
    }
    m_pGame->m_name.Set("SaveTest");
    gcGame::s_pGame = m_pGame;
    gcDoMemCardOp(gcDoMemCardOp::OP_DELETE).Apply(m_params);
    EXPECT_TRUE(CardFile().empty());
    EXPECT_EQ(gcValMemCardStatus(eMemCard::STATUS_READY).Get(m_params), 1.0f);

    CARDTestInjectResult(CARD_SLOT_A, CARD_TEST_PROBE, CARD_RESULT_NOCARD);  // the card taken out
    gcGameSave::UpdateLastUsedProfile();
    EXPECT_EQ(gcValMemCardStatus(eMemCard::STATUS_READY).Get(m_params), 0.0f);
    EXPECT_EQ(gcValMemCardStatus(eMemCard::STATUS_NO_CARD).Get(m_params), 1.0f);
}

TEST_F(gcSaveScriptTest, SaveGameVariablesReadTheCurrentProfile)
{
    SetUpRunningGame();
    gcGameSave::UpdateCurProfile(false);
    gcGameSave::s_gameData.nLastUsedProfile = 2;
    gcPlayer::s_timePlayed = cTimeValue(1800);
    const struct {
        const char* name;
        int32_t var, kind, stat;
        bool bPlayer;  // the player controls an entity
        float fValue;
        float fWithoutProfile;
    } rows[] = {
        {"act, 1-based", gcValSaveGameVar::VAR_ACT, 0, 0, true, 2.0f, 0.0f},
        {"map, 1-based", gcValSaveGameVar::VAR_MAP, 0, 0, true, 4.0f, 0.0f},
        {"items", gcValSaveGameVar::VAR_NUMPLAYERITEMS, 0, 0, true, 3.0f, 0.0f},
        {"health", gcValSaveGameVar::VAR_PLAYERSTAT, 0, 0, true, 80.0f, 0.0f},
        {"energy", gcValSaveGameVar::VAR_PLAYERSTAT, 1, 1, true, 40.0f, 0.0f},
        {"stat of another kind", gcValSaveGameVar::VAR_PLAYERSTAT, 2, 1, true, 0.0f, 0.0f},
        {"stat past the table", gcValSaveGameVar::VAR_PLAYERSTAT, 0, 4, true, 0.0f, 0.0f},
        {"time while playing: the running total", gcValSaveGameVar::VAR_TIMEPLAYED, 0, 0, true, 3.0f, 0.0f},
        {"time in the menus: the saved one", gcValSaveGameVar::VAR_TIMEPLAYED, 0, 0, false, 1234.0f / 600.0f, 0.0f},
        {"last used", gcValSaveGameVar::VAR_LASTUSEDPROFILE, 0, 0, true, 3.0f, 3.0f},
        {"current", gcValSaveGameVar::VAR_CURRENTPROFILE, 0, 0, true, 2.0f, 0.0f},
        {"no such variable", 7, 0, 0, true, 0.0f, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcPlayer::Get()->m_pEntity = row.bPlayer ? m_pCreature : nullptr;
        const gcValSaveGameVar v(row.var, row.kind, row.stat);
        gcGameSave::s_nCurProfile = 1;
        EXPECT_FLOAT_EQ(v.Get(m_params), row.fValue);
        gcGameSave::s_nCurProfile = -1;
        EXPECT_EQ(v.Get(m_params), row.fWithoutProfile);
    }
    gcPlayer::Get()->m_pEntity = m_pCreature;
}

// A card may hold the largest int as an id: one more, not the smallest int.
TEST_F(gcSaveScriptTest, SaveGameVariablesOfTheLargestIdsCountOnPastIt)
{
    gcGameSave::GetCurProfile()->nAct = INT32_MAX;
    gcGameSave::GetCurProfile()->nMap = INT32_MAX;
    gcGameSave::s_gameData.nLastUsedProfile = INT32_MAX;
    for (int32_t var : {gcValSaveGameVar::VAR_ACT, gcValSaveGameVar::VAR_MAP, gcValSaveGameVar::VAR_LASTUSEDPROFILE}) {
        SCOPED_TRACE(var);
        EXPECT_EQ(gcValSaveGameVar(var, 0, 0).Get(m_params), 2147483648.0f);
    }
}

TEST_F(gcSaveScriptTest, VolumesAreClampedTheMainFaderAtOnceOthersFadeOverASecond)
{
    const struct {
        int32_t fader;
        float set;
        float fAfter;  // the volume of the main fader, the target of the others
    } rows[] = {
        {0, -2.0f, 0.0f}, {0, 0.4f, 0.4f}, {0, 7.0f, 1.0f}, {1, 1.5f, 1.0f}, {2, 0.25f, 0.25f}, {1, -1.0f, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fader);
        gcValAudioVolume v(row.fader, eAudio::ACG_UI);
        v.Set(row.set, m_params);
        eAudioFader& f = eAudio::s_channelGroups[eAudio::ACG_UI].faders[row.fader];
        if (row.fader != 0) {
            EXPECT_EQ(f.m_fadeTime, cTimeValue(600));  // a whole fade takes a second
            f.Step(cTimeValue(600));
        }
        EXPECT_FLOAT_EQ(v.Get(m_params), row.fAfter);
    }
    gcValAudioVolume bad(3, eAudio::ACG_UI);
    bad.Set(0.5f, m_params);
    EXPECT_EQ(bad.Get(m_params), 0.0f);
}

TEST_F(gcSaveScriptTest, RumbleSwitchesAndGivesFeedback)
{
    gcValRumbleEnabled v;
    eInput::s_bRumble = false;
    const double t0 = cGetTimeSeconds();
    v.Set(0.0f, m_params);
    EXPECT_LT(cGetTimeSeconds() - t0, 0.1);  // off stays off at once
    EXPECT_EQ(v.Get(m_params), 0.0f);
    gcPlayer::Get()->m_nControllerId = 0;
    PADTestSetScripted(true);
    PADTestSetStatus(0, PADTestIdleStatus());
    eInput::Update(cTimeValue(0), true);
    PADTestClearMotorCommands();
    const double t1 = cGetTimeSeconds();
    v.Set(1.0f, m_params);
    EXPECT_GE(cGetTimeSeconds() - t1, 0.2);
    EXPECT_EQ(v.Get(m_params), 1.0f);
    const std::vector<uint32_t> commands = PADTestMotorCommands(0);
    EXPECT_NE(std::find(commands.begin(), commands.end(), uint32_t(PAD_MOTOR_RUMBLE)), commands.end());
    PADTestSetScripted(false);
    gcPlayer::Get()->m_nControllerId = -1;
}

// A headless run's clock moves only while every thread waits: the feedback
// must wait too, or it never ends.
TEST_F(gcSaveScriptTest, RumbleFeedbackEndsOnTheVirtualClock)
{
    gcValRumbleEnabled v;
    eInput::s_bRumble = true;
    gcPlayer::Get()->m_nControllerId = 0;
    PADTestSetScripted(true);
    PADTestSetStatus(0, PADTestIdleStatus());
    OSSetVirtualClock(TRUE);
    const double t0 = cGetTimeSeconds();
    WithinDeadline("the rumble feedback", [&] { v.Set(1.0f, m_params); });
    const double fTaken = cGetTimeSeconds() - t0;
    OSSetVirtualClock(FALSE);
    EXPECT_GE(fTaken, 0.2 - 1e-9);  // the clock's seconds are rounded
    EXPECT_LT(fTaken, 0.21);
    PADTestSetScripted(false);
    gcPlayer::Get()->m_nControllerId = -1;
}

TEST_F(gcSaveScriptTest, OptionsLanguageAndConsoleInfo)
{
    gcValSaveGameOption y(gcGameSave::OV_CAMERA_INVERT_Y, 0.0f);
    y.Set(-1.0f, m_params);
    EXPECT_EQ(gcGameSave::s_fOptionValues[1], -1.0f);
    EXPECT_EQ(y.Get(m_params), -1.0f);
    gcValSaveGameOption bad(2, 0.0f);
    bad.Set(5.0f, m_params);
    EXPECT_EQ(bad.Get(m_params), 0.0f);

    gcGameConfig::s_languages[gcGameConfig::LANGUAGE_VO] = gcGameConfig::LANGUAGE_GERMAN;
    EXPECT_EQ(gcValLanguage(1, 3).Get(m_params), 1.0f);
    EXPECT_EQ(gcValLanguage(0, 3).Get(m_params), gcGameConfig::s_languages[0] == 3 ? 1.0f : 0.0f);
    EXPECT_EQ(gcValLanguage(2, 3).Get(m_params), 0.0f);
    gcGameConfig::s_languages[gcGameConfig::LANGUAGE_VO] = gcGameConfig::LANGUAGE_ENGLISH;

    EXPECT_EQ(gcValConsoleInfo(gcValConsoleInfo::INFO_SAVEGAME_SIZE).Get(m_params), 1.0f);
    EXPECT_EQ(gcValConsoleInfo(gcValConsoleInfo::INFO_CARDPRESENT).Get(m_params), 1.0f);
    EXPECT_EQ(gcValConsoleInfo(gcValConsoleInfo::INFO_MEMCARD_FREESPACE).Get(m_params), 0.0f);
    const int mode = eAudio::GetOutputMode();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(gcValConsoleInfo(gcValConsoleInfo::INFO_IS_AUDIO_MODE_MONO + i).Get(m_params), mode == i ? 1.0f : 0.0f);
}

// Older blocks: a 0-based profile index becomes the 1-based number, a
// volume without a fader addresses the main one, a language without a type
// is the text language. Versions the classes do not know are refused.
TEST_F(gcSaveScriptTest, OlderBlocksReadAsTheirNewestFormsAndUnknownVersionsAreRefused)
{
    gcTestLogCapture log;
    const auto* pOp = LoadLaid<gcDoSaveGameOp>(1, [](datagen::BlockWriter& w) { w.Int(11).Int(2); });
    ASSERT_NE(pOp, nullptr);
    EXPECT_EQ(pOp->profile.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_EQ(pOp->profile.GetValue(), 3.0f);
    const auto* pVar = LoadLaid<gcValSaveGameVar>(1, [](datagen::BlockWriter& w) { w.Int(0).Int(1); });
    ASSERT_NE(pVar, nullptr);
    EXPECT_EQ(pVar->profile.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_EQ(pVar->profile.GetValue(), 1.0f);
    EXPECT_EQ(pVar->var, gcValSaveGameVar::VAR_MAP);
    const auto* pVolume = LoadLaid<gcValAudioVolume>(1, [](datagen::BlockWriter& w) { w.Int(eAudio::ACG_BGM); });
    ASSERT_NE(pVolume, nullptr);
    EXPECT_EQ(pVolume->audioGroup, eAudio::ACG_BGM);
    EXPECT_EQ(pVolume->nFaderId, 0);
    const auto* pLanguage = LoadLaid<gcDoSetLanguage>(1, [](datagen::BlockWriter& w) { w.Int(4); });
    ASSERT_NE(pLanguage, nullptr);
    EXPECT_EQ(pLanguage->languageType, gcGameConfig::LANGUAGE_TEXT);
    EXPECT_EQ(pLanguage->language, gcGameConfig::LANGUAGE_ITALIAN);

    const auto word = [](datagen::BlockWriter& w) { w.Int(1).Int(1).Int(1); };
    EXPECT_EQ(LoadLaid<gcDoSaveGameOp>(3, word), nullptr);
    EXPECT_EQ(LoadLaid<gcDoMemCardOp>(1, word), nullptr);
    EXPECT_EQ(LoadLaid<gcDoMemCardOp>(3, word), nullptr);
    EXPECT_EQ(LoadLaid<gcDoSetLanguage>(3, word), nullptr);
    EXPECT_EQ(LoadLaid<gcDoPauseGame>(2, word), nullptr);
    EXPECT_EQ(LoadLaid<gcValAudioVolume>(3, word), nullptr);
    EXPECT_EQ(LoadLaid<gcValSaveGameVar>(3, word), nullptr);
    EXPECT_EQ(LoadLaid<gcValSaveGameOption>(2, word), nullptr);
}

// The newest blocks (version 2) hold the profile as a reference: the
// value's before its variable, the operation's after its operation.
TEST_F(gcSaveScriptTest, Version2BlocksHoldTheProfileAsAReference)
{
    const auto temp = [](datagen::BlockWriter& w) { w.Int(gcDesiredValue::VAL_TEMP).Word(0x00330002).Int(1); };
    const auto* pVar = LoadLaid<gcValSaveGameVar>(2, [&](datagen::BlockWriter& w) { temp(w), w.Int(gcValSaveGameVar::VAR_TIMEPLAYED); });
    ASSERT_NE(pVar, nullptr);
    EXPECT_EQ(pVar->profile.desiredValue, gcDesiredValue::VAL_TEMP);
    EXPECT_EQ(pVar->profile.hSpecificKeyValue.m_nValue, 0x00330002u);
    EXPECT_EQ(pVar->profile.nParamIndex, 1);
    EXPECT_EQ(pVar->var, gcValSaveGameVar::VAR_TIMEPLAYED);
    const auto* pOp = LoadLaid<gcDoSaveGameOp>(2, [&](datagen::BlockWriter& w) { temp(w.Int(gcDoSaveGameOp::OP_STARTPROFILE)); });
    ASSERT_NE(pOp, nullptr);
    EXPECT_EQ(pOp->op, gcDoSaveGameOp::OP_STARTPROFILE);
    EXPECT_EQ(pOp->profile.desiredValue, gcDesiredValue::VAL_TEMP);
    EXPECT_EQ(pOp->profile.hSpecificKeyValue.m_nValue, 0x00330002u);
    EXPECT_EQ(pOp->profile.nParamIndex, 1);
}

// A save-value block cut short anywhere is refused and the value keeps its
// fields; a rumble block of a version other than 1 is refused.
TEST_F(gcSaveScriptTest, DamagedSaveValueAndRumbleBlocksAreRefused)
{
    gcTestLogCapture quiet;
    const std::vector<std::function<void(datagen::BlockWriter&)>> cuts = {
        [](datagen::BlockWriter&) {},
        [](datagen::BlockWriter& w) { w.Int(gcDesiredValue::VAL_NUMBER).Float(3.0f); },
        [](datagen::BlockWriter& w) { w.Int(gcDesiredValue::VAL_NUMBER).Float(3.0f).Word(0).Int(0); },
    };
    for (size_t i = 0; i < cuts.size(); ++i) {
        SCOPED_TRACE(i);
        gcValSaveGameVar v(gcValSaveGameVar::VAR_PLAYERSTAT, gcValSaveGameVar::STAT_CREATURE, 2);
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("cut.dat"), v.GetType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       datagen::ValueBlock(w, 2, false);
                                                       cuts[i](w);
                                                       w.End();
                                                   }));
        EXPECT_FALSE(ReadObjectAnswer("cut.dat", &v, &m_pool));
        EXPECT_EQ(v.var, gcValSaveGameVar::VAR_PLAYERSTAT);
        EXPECT_EQ(v.profile.fConst, 1.0f);
    }
    for (uint32_t version : {0u, 2u}) {
        SCOPED_TRACE(version);
        EXPECT_EQ(LoadLaid<gcValRumbleEnabled>(version, [](datagen::BlockWriter&) {}), nullptr);
    }
    EXPECT_NE(LoadLaid<gcValRumbleEnabled>(1, [](datagen::BlockWriter&) {}), nullptr);
}

// Each step of the feedback asks for the full strength, so the motor runs
// throughout: it is switched on once and never off while the pulse lasts.
TEST_F(gcSaveScriptTest, RumbleFeedbackKeepsTheMotorOnThroughout)
{
    gcPlayer::Get()->m_nControllerId = 0;
    PADTestSetScripted(true);
    PADTestSetStatus(0, PADTestIdleStatus());
    eInput::Update(cTimeValue(0), true);
    eInput::StopRumble();
    eInput::s_bRumble = true;  // already on: no stop before the feedback
    PADTestClearMotorCommands();
    gcValRumbleEnabled().Set(1.0f, m_params);
    EXPECT_EQ(PADTestMotorCommands(0), std::vector<uint32_t>{uint32_t(PAD_MOTOR_RUMBLE)});
    eInput::StopRumble();
    PADTestSetScripted(false);
    gcPlayer::Get()->m_nControllerId = -1;
}

// Groups and faders outside the mixer read 0 and take nothing.
TEST_F(gcSaveScriptTest, VolumesOutsideTheMixerAreIgnored)
{
    const struct {
        int32_t fader, group;
    } rows[] = {{3, eAudio::ACG_UI}, {-1, eAudio::ACG_UI}, {0, 4}, {0, -1}};
    eAudio::SetGroupVolume(eAudio::ACG_UI, 0, 0.75f);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fader * 10 + row.group);
        gcValAudioVolume v(row.fader, row.group);
        v.Set(0.5f, m_params);
        EXPECT_EQ(v.Get(m_params), 0.0f);
        EXPECT_EQ(eAudio::GetGroupVolume(eAudio::ACG_UI, 0), 0.75f);
    }
}

TEST_F(gcSaveScriptTest, Texts)
{
    gcValSaveGameVar stat(gcValSaveGameVar::VAR_PLAYERSTAT, 1, 7);
    const struct {
        std::string text, expected;
    } rows[] = {
        {Text(gcDoSaveGameOp(gcDoSaveGameOp::OP_SETCURPROFILE, Number(2.0f))), "SetCurProfile( 2 )"},
        {Text(gcDoSaveGameOp(gcDoSaveGameOp::OP_SAVEPROFILEOPTIONS_COMMIT, Number(1.0f))), "SaveGameOp.SaveProfileOptions"},
        {Text(gcDoSaveGameOp(13, Number(1.0f))), "SaveGameOp.???"},
        {Text(gcDoMemCardOp(gcDoMemCardOp::OP_SAVEOVERWRITE)), "MemCard.SaveOverwrite"},
        {Text(gcDoSetLanguage(1, 2)), "SetVoiceOverLanguage( French )"},
        {Text(gcDoSetLanguage(2, 6)), "Set???Language( ??? )"},
        {Text(gcDoPauseGame(false)), "UnpauseGame"},
        {Text(gcValAudioVolume(1, eAudio::ACG_BGM)), "Music.User1.Volume"},
        {Text(gcValAudioVolume(0, eAudio::ACG_UI)), "UI.Main.Volume"},
        {Text(gcValAudioVolume(5, eAudio::ACG_SFX)), "SoundEffects..Volume"},
        {Text(gcValConsoleInfo(9)), "ConsoleInfo( MemCardFreeSpace )"},
        {Text(gcValLanguage(0, 5)), "( TextLanguage == Dutch )"},
        {Text(gcValMemCardStatus(12)), "MemCard.Status == [Old Save-File]"},
        {Text(gcValSaveGameOption(1, 0.0f)), "SaveGameOption[Camera InvertY]"},
        {Text(stat), "SaveGame.PlayerStat.Endurance"},
        {Text(gcValSaveGameVar(gcValSaveGameVar::VAR_PLAYERSTAT, 0, 1)), "SaveGame.PlayerStat.Armor"},
        {Text(gcValSaveGameVar(gcValSaveGameVar::VAR_PLAYERSTAT, 3, 1)), "SaveGame.PlayerStat.???"},
        {Text(gcValSaveGameVar(gcValSaveGameVar::VAR_TIMEPLAYED, 0, 0)), "SaveGame.TimePlayed"},
        {Text(gcValSaveGameVar(9, 0, 0)), "SaveGame."},
        {Text(gcValSaveGameVar(7, 0, 0)), "SaveGame."},
        {Text(gcValSaveGameVar(0, 0, 0)), "SaveGame.Act"},
        {Text(gcValSaveGameVar(-1, 0, 0)), "SaveGame."},
        {Text(gcDoSaveGameOp(0, Number(1.0f))), "SaveGameOp.LoadAllProfiles"},
        {Text(gcDoSaveGameOp(-1, Number(1.0f))), "SaveGameOp.???"},
        {Text(gcDoMemCardOp(0)), "MemCard.Format"},
        {Text(gcDoMemCardOp(5)), "MemCard.???"},
        {Text(gcDoMemCardOp(-1)), "MemCard.???"},
        {Text(gcValAudioVolume(-1, eAudio::ACG_VO)), "VoiceOver..Volume"},
        {Text(gcValAudioVolume(2, 7)), "???.User2.Volume"},
        {gcValSaveGameVar::GetVarText(-1), "???"},
        {gcValSaveGameVar::GetVarText(7), "???"},
        {gcValSaveGameVar::GetVarText(6), "CurrentProfile"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text, row.expected);
}

}  // namespace
