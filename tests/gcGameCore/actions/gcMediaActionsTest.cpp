// The five media actions: what each starts, what each leaves alone, their
// defaults for older blocks and their text forms.
#include <gtest/gtest.h>

#include <string>

#include "../flow/voiceOverTestSupport.h"
#include "actionTestSupport.h"
#include "datagen/flowWriters.h"
#include "gcGameCore/actions/gcDoPlayCinematic.h"
#include "gcGameCore/actions/gcDoPlayMovie.h"
#include "gcGameCore/actions/gcDoPlayMusic.h"
#include "gcGameCore/actions/gcDoPlaySound.h"
#include "gcGameCore/actions/gcDoPlayVoiceOver.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

class gcMediaActionsTest : public gcVoiceOverTestBase {
protected:
    template <class T>
    T* Load(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        gcEvent* pEvent = LoadHandLaidEvent(m_dir, m_ui, [&](datagen::BlockWriter& w) {
            w.Int(static_cast<int32_t>(T::GetStaticType()->m_nTypeId));
            datagen::ActionBlock(w, version);
            fields(w);
            w.End();
        });
        return pEvent ? dcast<T>(pEvent->pAction) : nullptr;
    }
    gcTestDataDir m_dir;
};

// The action's line cuts off the one still speaking and shows no text:
// texts come only with cinematics.
TEST_F(gcMediaActionsTest, VoiceOverActionsPlayOnlyTheSoundAndStopTheLineBefore)
{
    const gcVoiceOver* pFirst = MakeVoiceOver(30, 900);
    const gcVoiceOver* pSecond = MakeVoiceOver(31, 300);
    gcDoPlayVoiceOver first, second, stale;
    first.hVO = pFirst->m_handle;
    second.hVO = pSecond->m_handle;
    stale.hVO = gcVoiceOverHandle(pSecond->m_handle.m_nValue ^ 0x10000);
    first.Apply(gcEventParams());
    EXPECT_EQ(SoundsOf(eAudio::ACG_VO), std::vector<const eSoundData*>{&pFirst->m_soundData});
    second.Apply(gcEventParams());
    EXPECT_EQ(SoundsOf(eAudio::ACG_VO), std::vector<const eSoundData*>{&pSecond->m_soundData});
    stale.Apply(gcEventParams());
    EXPECT_EQ(SoundsOf(eAudio::ACG_VO), std::vector<const eSoundData*>{&pSecond->m_soundData});
    EXPECT_FALSE(DialogOpen());
    EXPECT_EQ(m_pControl->m_hText.m_nValue, 0u);
}

TEST_F(gcMediaActionsTest, SoundsPlayOnceOnTheInterfaceGroup)
{
    eSoundData* pSound = MakeSound(300);
    const eSoundDataHandle h = eSoundDataMgr::Add(40, pSound, 0x2828);
    gcDoPlaySound action;
    action.hSoundData = h;
    action.Apply(gcEventParams());
    action.Apply(gcEventParams());
    EXPECT_EQ(SoundsOf(eAudio::ACG_UI), (std::vector<const eSoundData*>{pSound, pSound}));
    EXPECT_TRUE(SoundsOf(eAudio::ACG_SFX).empty());
    eSoundDataMgr::s_pInstances[40] = nullptr;
}

// Older blocks loop, stay on the music group and play at volume 1.
TEST_F(gcMediaActionsTest, MusicBlocksOfOlderVersionsTakeTheDefaults)
{
    const struct {
        const char* name;
        uint32_t version;
        bool bLooping, bAmbient;
        float fVolume;
    } rows[] = {
        {"version 2", 2, true, false, 1.0f},
        {"version 3 adds the ambient flag", 3, true, true, 1.0f},
        {"version 4 adds the volume", 4, true, true, 0.25f},
        {"version 5 adds the looping flag", 5, false, true, 0.25f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const gcDoPlayMusic* p = Load<gcDoPlayMusic>(row.version, [&](datagen::BlockWriter& w) {
            w.Int(gcDoPlayMusic::LEVEL_MAP).Int(1).Int(0);
            if (row.version >= 5)
                w.Int(0);
            w.Int(300);
            if (row.version >= 3)
                w.Int(1);
            if (row.version >= 4)
                w.Int(gcDesiredValue::VAL_NUMBER).Float(0.25f).Int(0).Int(0);
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->nLevel, gcDoPlayMusic::LEVEL_MAP);
        EXPECT_EQ(p->nIndex, 1);
        EXPECT_EQ(p->fadeTime.m_nTicks, 300);
        EXPECT_EQ(p->bLooping, row.bLooping);
        EXPECT_EQ(p->bPlayAsAmbientSFX, row.bAmbient);
        EXPECT_EQ(p->desiredVolume.GetValue(), row.fVolume);
    }
}

// Each level's table gives the slot; the act level, levels past the menu
// and tracks outside a table give none.
TEST_F(gcMediaActionsTest, MusicTracksAreLookedUpInTheirLevelsTable)
{
    gcMap map;
    gcMainMenu menu;
    m_pGame->m_nGameTrackIndex[3] = 5;
    map.m_nMapTrackIndex[15] = 9;
    menu.m_nMenuTrackIndex[1] = 7;
    const struct {
        const char* name;
        int32_t level, index, slot;
    } rows[] = {
        {"the game's last track", 0, 3, 5},       {"past the game's table", 0, 4, -1},
        {"the map's last track", 2, 15, 9},       {"past the map's table", 2, 16, -1},
        {"a negative track", 2, -1, -1},          {"the act has no tracks", 1, 0, -1},
        {"the menu's last track", 3, 1, 7},       {"past the menu's table", 3, 2, -1},
        {"a level past the menu", 4, 0, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcDoPlayMusic action;
        action.nLevel = row.level;
        action.nIndex = row.index;
        EXPECT_EQ(action.GetSlot(), row.slot);
    }
}

TEST_F(gcMediaActionsTest, AVersionTwoMusicActionLoopsAtFullVolumeOnTheMusicGroup)
{
    gcGameConfig::s_dataPath.Set("%s", "");
    std::filesystem::create_directories(m_dir.HostPath("Game/Music"));
    ASSERT_TRUE(datagen::WriteToneMusicFile(m_dir.HostPath("Game/Music/Music03.mus"), 500.0, 3200));
    const int slot = gcMusic::LoadMusic(3, &m_ui);
    ASSERT_GE(slot, 0);
    m_pGame->m_nGameTrackIndex[0] = slot;
    const gcDoPlayMusic* p =
        Load<gcDoPlayMusic>(2, [](datagen::BlockWriter& w) { w.Int(gcDoPlayMusic::LEVEL_GAME).Int(0).Int(0).Int(0); });
    ASSERT_NE(p, nullptr);
    p->Apply(gcEventParams());
    EXPECT_TRUE(gcMusic::s_bIsLooping[slot]);
    EXPECT_FALSE(gcMusic::s_bIsSFX[slot]);
    EXPECT_EQ(gcMusic::s_fVolumes[slot], 1.0f);
    EXPECT_EQ(SoundsOf(eAudio::ACG_BGM).size(), 1u);
    gcMusic::FreeMusic(slot);
}

// A name stored without its terminator still ends within the buffer.
TEST_F(gcMediaActionsTest, MovieNamesAlwaysEnd)
{
    const std::string full(cStr::kSize, 'm');
    const gcDoPlayMovie* p = Load<gcDoPlayMovie>(1, [&](datagen::BlockWriter& w) { w.Bytes(full.data(), full.size()); });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::string(p->movieName.m_sData), full.substr(0, cStr::kSize - 1));
    EXPECT_TRUE(p->bCanSkip);
}

// A stale map-cinematic handle requests nothing: the map would otherwise
// think a cinematic is coming until it ends.
TEST_F(gcMediaActionsTest, CinematicRequestsNeedAMapAndAResolvingHandle)
{
    gcDoPlayCinematic stale;
    stale.hCinematic = gcCinematicHandle(0x77770003);
    stale.Apply(gcEventParams());  // no map: nothing
    gcMap map;
    stale.Apply(gcEventParams());
    EXPECT_FALSE(map.IsCinematicPlaying());
    gcDoPlayCinematic streamed;
    streamed.bIsMapCinematic = false;
    streamed.nCinematicId = 4;
    streamed.Apply(gcEventParams());
    EXPECT_EQ(map.m_nStreamedCinematicToLoad, 4);
    EXPECT_EQ(map.m_pCinematicToPlay, nullptr);
}

TEST_F(gcMediaActionsTest, TextForms)
{
    gcDoPlayCinematic streamed, unresolved;
    streamed.bIsMapCinematic = false;
    streamed.nCinematicId = 4;
    gcDoPlayMovie movie;
    movie.movieName.Set("Intro");
    gcDoPlayCinematic lastStreamed;
    lastStreamed.bIsMapCinematic = false;
    lastStreamed.nCinematicId = 2147483647;
    gcDoPlayMusic stop, odd, last;
    stop.bStop = true, stop.nLevel = gcDoPlayMusic::LEVEL_MAP, stop.nIndex = 2;
    odd.nLevel = 7;
    last.nLevel = gcDoPlayMusic::LEVEL_MENU, last.nIndex = 2147483647;
    gcDoPlaySound sound;
    gcDoPlayVoiceOver vo;
    vo.hVO = MakeVoiceOver(33, 60)->m_handle;
    gcVoiceOverMgr::s_pInstances[33]->m_name.Set("Hello");
    const struct {
        const char* name;
        const gcAction* pAction;
        const char* text;
    } rows[] = {
        {"a streamed cinematic shows its id + 1", &streamed, "PlayCinematicBackgroundLoad( 5 )"},
        {"the largest id + 1 does not wrap", &lastStreamed, "PlayCinematicBackgroundLoad( 2147483648 )"},
        {"the largest track + 1 does not wrap", &last, "PlayMusic( [Menu:2147483648] )"},
        {"an unresolved map cinematic", &unresolved, "PlayCinematic( [???] )"},
        {"a movie", &movie, "PlayMovie( [Intro] )"},
        {"stopping a map track, 1-based", &stop, "StopMusic( [Map:3] )"},
        {"a level outside the table names none", &odd, "PlayMusic( [] )"},
        {"an unresolved sound", &sound, "PlaySound( [???] )"},
        {"a voice-over by name", &vo, "PlayVoiceOver( [Hello] )"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        char text[gcScriptText::kSize] = "";
        row.pAction->GetTextRecursive(text);
        EXPECT_STREQ(text, row.text);
    }
}

}  // namespace
