#include "gcGameCore/flow/gcVoiceOver.h"

#include <gtest/gtest.h>

#include "datagen/cinematicWriters.h"
#include "gcGameCore/script/gcCinematic.h"
#include "gcGameCore/script/gcCinematicEntry.h"
#include "voiceOverTestSupport.h"

namespace {

class gcVoiceOverTest : public gcVoiceOverTestBase {};

// The line plays once on the voice-over group; its text goes to the game's
// control, whose dialog opens with the length in seconds. Without a control
// that resolves only the sound plays.
TEST_F(gcVoiceOverTest, PlayShowsTheTextForTheLengthOfTheSound)
{
    const struct {
        const char* name;
        bool bWidget;
        int32_t length;
        float fInParam;
    } rows[] = {
        {"900 ticks are 1.5 seconds", true, 900, 1.5f},
        {"a tick short of a second", true, 599, 599.0f / 600.0f},
        {"no voice-over control: the sound alone", false, 900, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcUI::Get()->CloseAllDialogs(false);
        m_pControl->m_hText = gcStringHandle();
        m_pDialog->m_fInParam = 0.0f;
        const gcDesiredWidget widget = m_pGame->m_voDesiredWidget;
        if (!row.bWidget)
            m_pGame->m_voDesiredWidget.hControl = 0;
        const gcVoiceOver* p = MakeVoiceOver(static_cast<int>(m_slots.size()) + 10, row.length);
        p->Play();
        EXPECT_EQ(SoundsOf(eAudio::ACG_VO), std::vector<const eSoundData*>{&p->m_soundData});
        EXPECT_EQ(eAudio::s_channels[eAudio::s_channelGroups[eAudio::ACG_VO].nFirstChannel].bIsLooping, false);
        EXPECT_EQ(DialogOpen(), row.bWidget);
        EXPECT_EQ(m_pControl->m_hText.m_nValue, row.bWidget ? p->m_hString.m_nValue : 0u);
        EXPECT_FLOAT_EQ(m_pDialog->m_fInParam, row.fInParam);
        m_pGame->m_voDesiredWidget = widget;
        eAudio::FreeGroup(eAudio::ACG_VO);
    }
}

// A cinematic clears the subtitle once its voice-over has run out, and its
// end stops the voice-over.
TEST_F(gcVoiceOverTest, CinematicsClearTheSubtitleAndStopTheLineWhenTheyEnd)
{
    const gcVoiceOver* pVO = MakeVoiceOver(12, 50);
    gcCinematic* pScene = datagen::NewCinematic(&m_ui, "Scene", 0);
    datagen::AddCinematicEntry(*pScene, &m_ui, "Speak", 0, pVO->m_handle.m_nValue);
    datagen::AddCinematicEntry(*pScene, &m_ui, "Wait", 200, 0);
    pScene->Play();
    const gcMsgTick tick(cTimeValue(20));
    pScene->Send(tick);  // 20: the line starts, its end at 70
    EXPECT_TRUE(DialogOpen());
    EXPECT_EQ(pScene->m_voEndTime.m_nTicks, 70);
    pScene->Send(tick);  // 40
    pScene->Send(tick);  // 60
    EXPECT_TRUE(DialogOpen()) << "the line still runs";
    pScene->Send(tick);  // 80: past its end
    EXPECT_FALSE(DialogOpen());
    EXPECT_FALSE(SoundsOf(eAudio::ACG_VO).empty()) << "the sound is left to the mixer";
    pScene->Stop(false);
    EXPECT_TRUE(SoundsOf(eAudio::ACG_VO).empty());
    EXPECT_EQ(gcCinematic::s_pCinematic, nullptr);
    std::destroy_at(pScene);
}

// Version 1 stored each slot's check in the high half of a 32-bit word;
// both versions give the same voice-overs in the same slots.
TEST_F(gcVoiceOverTest, VersionOneFilesReadLikeVersionTwo)
{
    gcTestDataDir dir;
    datagen::SoundRecord sound = datagen::MakeSoundRecord("sm_Line", datagen::MakeSineTone(300.0, 8000.0, 960), false);
    const std::vector<datagen::VoiceOverRecord> records = {
        {"First", sound, 0x00440022, 0x0707}, {"", {}, 0, 0}, {"Third", sound, 0x00450022, 0x0909}};
    struct Seen {
        std::string name;
        uint32_t handle, text;
        int32_t length;
        bool operator==(const Seen&) const = default;
    };
    std::vector<std::vector<Seen>> seen;
    for (uint32_t version : {1u, 2u}) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(datagen::WriteVoiceOverGroupFile(dir.HostPath("vo.vo"), version, 20, records));
        gcVoiceOverGroup* pGroup =
            static_cast<gcVoiceOverGroup*>(cBase::Load("/vo.vo", &m_ui, gcVoiceOverGroup::GetStaticType()));
        ASSERT_NE(pGroup, nullptr);
        std::vector<Seen> s;
        for (int slot = 20; slot < 23; ++slot)
            if (const gcVoiceOver* p = gcVoiceOverMgr::s_pInstances[slot])
                s.push_back({p->m_name.m_sData, p->m_handle.m_nValue, p->m_hString.m_nValue, p->m_soundData.m_length});
        seen.push_back(s);
        std::destroy_at(pGroup);
    }
    ASSERT_EQ(seen[0].size(), 2u);
    EXPECT_EQ(seen[0][0], (Seen{"First", 0x07070014, 0x00440022, sound.nLengthTicks}));
    EXPECT_EQ(seen[0], seen[1]);
}

}  // namespace
