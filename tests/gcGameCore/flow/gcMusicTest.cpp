#include "gcGameCore/flow/gcMusic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "datagen/flowWriters.h"
#include "eEngine/eAudioTestUtil.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/script/gcScriptTestObjects.h"
#include "platform/ai.h"

namespace {

constexpr int kAxFrameTicks = 3;  // one 5 ms voice frame

class gcMusicTest : public eAudioTest {
protected:
    void SetUp() override
    {
        eAudioTest::SetUp();
        std::filesystem::create_directories(m_dir.HostPath("Game/Music"));
        gcGameConfig::s_dataPath.Set("%s", "");
        gcMusic::Initialize();
    }
    void TearDown() override
    {
        gcMusic::Uninitialize();
        eAudioTest::TearDown();
    }
    std::string MusicPath(int id) const
    {
        char name[32];
        std::snprintf(name, sizeof(name), "Game/Music/Music%02i.mus", id);
        return m_dir.HostPath(name);
    }
    // A one-second looping 1 kHz track as music id, loaded into a slot.
    int LoadTone(int id)
    {
        EXPECT_TRUE(datagen::WriteToneMusicFile(MusicPath(id), 1000.0, 32000));
        return gcMusic::LoadMusic(id, &m_pool);
    }
    static eAudioChannel& Channel(int slot) { return ChannelOf(gcMusic::s_nChannel[slot]); }

    gcTestDataDir m_dir;
};

TEST_F(gcMusicTest, FileNamedByTheIdItself)
{
    cStr name;
    gcMusic::GetMusicFilename(5, &name);
    EXPECT_STREQ(name.m_sData, "/Game/Music/Music05.mus");
}

TEST_F(gcMusicTest, SeventeenthTrackAndMissingFilesAreRefusedAndLogged)
{
    for (int slot = 0; slot < gcMusic::kMaxSlots; ++slot)
        ASSERT_EQ(LoadTone(slot), slot);
    gcTestLogCapture log;
    // Music16.mus exists: a refusal for want of a slot never opens it.
    ASSERT_TRUE(datagen::WriteToneMusicFile(MusicPath(16), 440.0, 3200));
    EXPECT_EQ(gcMusic::LoadMusic(16, &m_pool), -1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "all 16 music slots"), 1);
    gcMusic::FreeMusic(9);
    EXPECT_EQ(gcMusic::FindFreeSlot(), 9);
    EXPECT_EQ(gcMusic::LoadMusic(40, &m_pool), -1);  // no such file
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cFile: cannot open \"/Game/Music/Music40.mus\""), 1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cannot open"), 1) << "written once, by the file";
    EXPECT_EQ(gcMusic::s_pMusic[9], nullptr);
    ASSERT_TRUE(datagen::WriteBytes(MusicPath(41), {0xFB, 0xBF, 0xFB, 0xBF, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(gcMusic::LoadMusic(41, &m_pool), -1);  // damaged
    EXPECT_EQ(gcMusic::s_pMusic[9], nullptr);
    for (int id : {-2, gcMusic::kMaxMusicIds}) {  // ids outside the game's music names
        EXPECT_EQ(gcMusic::LoadMusic(id, &m_pool), -1);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, (" " + std::to_string(id) + " refused: ids").c_str()), 1) << id;
    }
    ASSERT_TRUE(datagen::WriteToneMusicFile(MusicPath(47), 440.0, 3200));
    EXPECT_EQ(gcMusic::LoadMusic(47, &m_pool), 9) << "the last id";
}

TEST_F(gcMusicTest, PlayStartsSilentAndFadesInOnTheChosenGroup)
{
    const int slot = LoadTone(0);
    ASSERT_EQ(slot, 0);
    gcMusic::PlayMusic(slot, cTimeValue(120), 0.75f, true, false);
    const int h = gcMusic::s_nChannel[slot];
    ASSERT_TRUE(eAudio::IsValidHandle(h));
    EXPECT_EQ(ChannelOf(h).nGroup, eAudio::ACG_BGM);
    EXPECT_FLOAT_EQ(ChannelOf(h).fader.m_fVolScale, 0.0f);
    EXPECT_EQ(ChannelOf(h).fader.m_fadeDir, eAudioFader::FADE_UP);
    EXPECT_EQ(ChannelOf(h).fader.m_fadeTime, cTimeValue(120));
    EXPECT_TRUE(ChannelOf(h).bIsLooping);
    EXPECT_TRUE(gcMusic::s_bIsPlaying[slot] && gcMusic::s_bIsLooping[slot] && !gcMusic::s_bIsSFX[slot]);
    EXPECT_FLOAT_EQ(gcMusic::s_fVolumes[slot], 0.75f);

    const int sfx = LoadTone(1);
    gcMusic::PlayMusic(sfx, cTimeValue(0), 0.5f, false, true);
    EXPECT_EQ(Channel(sfx).nGroup, eAudio::ACG_SFX);
    EXPECT_TRUE(gcMusic::s_bIsSFX[sfx]);
    gcMusic::PlayMusic(5, cTimeValue(0), 1.0f, false, false);  // an empty slot: nothing
    gcMusic::PlayMusic(-1, cTimeValue(0), 1.0f, false, false);
    gcMusic::PlayMusic(gcMusic::kMaxSlots, cTimeValue(0), 1.0f, false, false);
    EXPECT_EQ(gcMusic::s_nChannel[5], -1);
}

TEST_F(gcMusicTest, NoIdleMusicChannelRecordsNothing)
{
    eSoundData* pOther = MakeSound(600);
    for (int i = 0; i < 4; ++i)  // the music group's four channels
        ASSERT_NE(eAudio::Play(eAudio::ACG_BGM, pOther, true, cTimeValue(0), 1.0f, false, 0.0f, mVec3(0, 0, 0)), -1);
    const int slot = LoadTone(0);
    gcMusic::PlayMusic(slot, cTimeValue(60), 0.5f, true, false);
    EXPECT_EQ(gcMusic::s_nChannel[slot], -1);
    EXPECT_FALSE(gcMusic::s_bIsPlaying[slot]);
    EXPECT_FALSE(gcMusic::s_bIsLooping[slot]);
    EXPECT_FLOAT_EQ(gcMusic::s_fVolumes[slot], 1.0f);
}

TEST_F(gcMusicTest, LostLoopingChannelRestartsWithA198TickFadeAtItsVolume)
{
    const int looping = LoadTone(0);
    const int once = LoadTone(1);
    gcMusic::PlayMusic(looping, cTimeValue(0), 0.6f, true, false);
    gcMusic::PlayMusic(once, cTimeValue(0), 0.9f, false, false);
    const int hOld = gcMusic::s_nChannel[looping];
    eAudio::FreeGroup(eAudio::ACG_BGM);
    gcMusic::Update();
    const int hNew = gcMusic::s_nChannel[looping];
    ASSERT_NE(hNew, -1);
    EXPECT_NE(hNew, hOld);
    EXPECT_TRUE(eAudio::IsValidHandle(hNew));
    EXPECT_EQ(Channel(looping).fader.m_fadeTime, cTimeValue(198));
    EXPECT_EQ(Channel(looping).fader.m_fadeDir, eAudioFader::FADE_UP);
    EXPECT_FLOAT_EQ(Channel(looping).fader.m_fVolume, 0.6f);
    // A track that does not loop stays silent but still counts as playing.
    EXPECT_EQ(gcMusic::s_nChannel[once], -1);
    EXPECT_TRUE(gcMusic::s_bIsPlaying[once]);
    gcMusic::StopMusic(once, cTimeValue(0));  // no channel: nothing to stop
    EXPECT_TRUE(gcMusic::s_bIsPlaying[once]);
}

TEST_F(gcMusicTest, StoppedTrackIsClearedAndNeverRestarted)
{
    const int slot = LoadTone(0);
    gcMusic::PlayMusic(slot, cTimeValue(0), 1.0f, true, true);
    Tick(1, kAxFrameTicks);
    gcMusic::StopMusic(slot, cTimeValue(60));
    const int h = gcMusic::s_nChannel[slot];
    EXPECT_FALSE(gcMusic::s_bIsPlaying[slot] || gcMusic::s_bIsSFX[slot]);
    EXPECT_EQ(h, gcMusic::s_nChannel[slot]) << "the handle stays while the fade runs";
    // Faded back in while it still sounds: the same channel.
    gcMusic::PlayMusic(slot, cTimeValue(30), 1.0f, true, true);
    EXPECT_EQ(gcMusic::s_nChannel[slot], h);
    EXPECT_EQ(ChannelOf(h).fader.m_fadeDir, eAudioFader::FADE_UP);
    EXPECT_EQ(ChannelOf(h).fader.m_fadeTime, cTimeValue(30));

    gcMusic::StopMusic(slot, cTimeValue(60));
    Tick(30, kAxFrameTicks);  // past the fade: the channel frees itself
    ASSERT_FALSE(eAudio::IsValidHandle(h));
    gcMusic::Update();
    EXPECT_EQ(gcMusic::s_nChannel[slot], -1);
    gcMusic::Update();
    EXPECT_EQ(gcMusic::s_nChannel[slot], -1);
}

TEST_F(gcMusicTest, FreeReleasesTheChannelAndKeepsTheFlags)
{
    const int slot = LoadTone(0);
    gcMusic::PlayMusic(slot, cTimeValue(0), 0.5f, true, true);
    const int h = gcMusic::s_nChannel[slot];
    gcMusic::FreeMusic(slot);
    EXPECT_FALSE(ChannelOf(h).bIsPlaying);
    EXPECT_EQ(gcMusic::s_nChannel[slot], -1);
    EXPECT_EQ(gcMusic::s_pMusic[slot], nullptr);
    EXPECT_TRUE(gcMusic::s_bIsPlaying[slot] && gcMusic::s_bIsSFX[slot] && gcMusic::s_bIsLooping[slot]);
    for (int bad : {-1, gcMusic::kMaxSlots})
        gcMusic::FreeMusic(bad);  // nothing
    gcMusic::Initialize();
    EXPECT_FALSE(gcMusic::s_bIsPlaying[slot] || gcMusic::s_bIsSFX[slot] || gcMusic::s_bIsLooping[slot]);
    EXPECT_FLOAT_EQ(gcMusic::s_fVolumes[slot], 1.0f);
}

TEST_F(gcMusicTest, StopAllFreesEveryChannel)
{
    const int a = LoadTone(0);
    const int b = LoadTone(1);
    gcMusic::PlayMusic(a, cTimeValue(0), 1.0f, true, false);
    gcMusic::PlayMusic(b, cTimeValue(0), 1.0f, true, true);
    const int ha = gcMusic::s_nChannel[a];
    gcMusic::StopAllMusic();
    EXPECT_EQ(gcMusic::s_nChannel[a], -1);
    EXPECT_EQ(gcMusic::s_nChannel[b], -1);
    EXPECT_FALSE(gcMusic::s_bIsPlaying[a] || gcMusic::s_bIsSFX[b]);
    EXPECT_FALSE(ChannelOf(ha).bIsPlaying);
    gcMusic::Update();
    EXPECT_EQ(gcMusic::s_nChannel[a], -1) << "a stopped track does not come back";
}

// The track played through the mixer into the WAV sink, then stopped with a
// half-second fade: full level before, falling linearly, silent after.
TEST_F(gcMusicTest, DatagenTrackPlaysAndFadesOutOverTheRequestedTime)
{
    const int slot = LoadTone(0);
    ASSERT_EQ(slot, 0);
    gcMusic::PlayMusic(slot, cTimeValue(0), 1.0f, true, false);
    const std::string path = m_dir.HostPath("music.wav");
    ASSERT_TRUE(AISetWavOutput(path.c_str()));
    constexpr int kBefore = 40, kFadeFrames = 100, kAfter = 20;  // 5 ms voice frames
    for (int i = 0; i < kBefore + kFadeFrames + kAfter; ++i) {
        if (i == kBefore)
            gcMusic::StopMusic(slot, cTimeValue(kFadeFrames * kAxFrameTicks));
        Tick(1, kAxFrameTicks);
        gcMusic::Update();
        AITestRunFrames(1, nullptr);
    }
    ASSERT_TRUE(AISetWavOutput(nullptr));
    const std::vector<uint8_t> bytes = ReadHostFile(path);
    ASSERT_EQ(bytes.size(), 44u + size_t(kBefore + kFadeFrames + kAfter) * AX_FRAME_SAMPLES * 4);
    // The left channel's level in each voice frame.
    std::vector<double> rms;
    for (size_t frame = 0; 44 + (frame + 1) * AX_FRAME_SAMPLES * 4 <= bytes.size(); ++frame) {
        double sum = 0;
        for (size_t s = 0; s < AX_FRAME_SAMPLES; ++s) {
            const size_t at = 44 + (frame * AX_FRAME_SAMPLES + s) * 4;
            const double v = static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
            sum += v * v;
        }
        rms.push_back(std::sqrt(sum / AX_FRAME_SAMPLES));
    }
    const double full = rms[kBefore - 5];
    ASSERT_GT(full, 1000.0) << "the track sounds";
    EXPECT_NEAR(rms[kBefore + kFadeFrames / 2] / full, 0.5, 0.08) << "half-way through the fade";
    EXPECT_NEAR(rms[kBefore + kFadeFrames / 4] / full, 0.75, 0.08);
    EXPECT_LT(rms[kBefore + kFadeFrames + 2], 1.0) << "silent once the fade is over";
    EXPECT_EQ(gcMusic::s_nChannel[slot], -1) << "cleared by the update, not restarted";
}

}  // namespace
