#include "eEngine/eAudio.h"

#include <climits>
#include <cstring>
#include <vector>

#include "eAudioTestUtil.h"

namespace {

const mVec3 kOrigin(0.0f, 0.0f, 0.0f);

TEST_F(eAudioTest, HandlesCarryTheirCheckValueAndGoStale)
{
    const eSoundData* s = MakeSound(600);
    const int h = eAudio::Play(eAudio::ACG_SFX, s, false, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    EXPECT_EQ(h, 0x4000010A) << "check 0x400001, first sound-effect channel 10";
    EXPECT_TRUE(eAudio::IsValidHandle(h));
    eAudio::FreeChannel(h);
    EXPECT_FALSE(eAudio::IsValidHandle(h));
    const int again = eAudio::Play(eAudio::ACG_SFX, s, false, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    EXPECT_EQ(again & 0xFF, 10) << "the same channel is re-used";
    EXPECT_FALSE(eAudio::IsValidHandle(h)) << "with another check value";
    eAudio::SetChannelVolume(h, 0.25f);
    EXPECT_EQ(ChannelOf(again).fader.m_fVolume, 1.0f) << "a stale handle changes nothing";

    const struct { const char* name; int handle; bool valid; } rows[] = {
        {"bare index 0", 0, true}, {"bare index 31 of an idle channel", 31, true}, {"32 is neither", 32, false},
        {"-1", -1, false},
        {"other negatives never index before the table", -2, false}, {"INT_MIN", INT_MIN, false},
        {"index bits past the table", (0x400002 << 8) | 40, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(eAudio::IsValidHandle(r.handle), r.valid);
        eAudio::StopChannel(r.handle, cTimeValue(0), true);  // must not touch memory for invalid ones
        EXPECT_EQ(eAudio::Update3DChannel(r.handle, kOrigin, 1.0f), r.valid ? r.handle : -1);
    }
    eAudio::s_nMagicNum = 0x7FFFFF;
    EXPECT_EQ(eAudio::Play(eAudio::ACG_BGM, s, true, cTimeValue(0), 1.0f, false, 0.0f, kOrigin), 0x40000000)
        << "check values wrap in 22 bits and keep bit 22: (0x7FFFFF + 1) & 0x3FFFFF | 0x400000, channel 0";
}

TEST_F(eAudioTest, FullGroupAndUnplayableSoundsAnswerMinusOne)
{
    const eSoundData* s = MakeSound(600);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(eAudio::Play(eAudio::ACG_BGM, s, true, cTimeValue(0), 1.0f, false, 0.0f, kOrigin) & 0xFF, i);
    const int magic = eAudio::s_nMagicNum;
    EXPECT_EQ(eAudio::Play(eAudio::ACG_BGM, s, true, cTimeValue(0), 1.0f, false, 0.0f, kOrigin), -1);
    EXPECT_EQ(eAudio::s_nMagicNum, magic) << "a refused play changes nothing";
    EXPECT_FALSE(eAudio::s_channels[4].bIsPlaying) << "the voice-over group's channel stays idle";

    eSoundData* unloaded = m_pool.New<eSoundData>();
    EXPECT_EQ(eAudio::Play(eAudio::ACG_UI, nullptr, false, cTimeValue(0), 1.0f, false, 0.0f, kOrigin), -1);
    EXPECT_EQ(eAudio::Play(eAudio::ACG_UI, unloaded, false, cTimeValue(0), 1.0f, false, 0.0f, kOrigin), -1);
    EXPECT_EQ(eAudio::Play(eAudio::ACG_MAXGROUPS, s, false, cTimeValue(0), 1.0f, false, 0.0f, kOrigin), -1);
    std::destroy_at(unloaded);
}

TEST_F(eAudioTest, GroupTextsAndRanges)
{
    const char* texts[] = {"Music", "VoiceOver", "UI", "SoundEffects", "???"};
    for (int g = -1; g <= 4; ++g)
        EXPECT_STREQ(eAudio::GetAudioGroupText(static_cast<eAudio::eAudioChannelGroup>(g)), texts[g < 0 ? 4 : g]);
    const std::vector<uint8_t> after(reinterpret_cast<const uint8_t*>(&eAudio::s_channelGroups[eAudio::ACG_VO]),
                                     reinterpret_cast<const uint8_t*>(&eAudio::s_channelGroups[eAudio::ACG_VO + 1]));
    for (int fader : {-1, 3}) {  // no such fader: nothing changes, nothing past the three is written
        eAudio::SetGroupVolume(eAudio::ACG_BGM, fader, 0.5f);
        eAudio::SetGroupFade(eAudio::ACG_BGM, fader, cTimeValue(0), false, true, 0.5f);
        EXPECT_EQ(eAudio::GetGroupVolume(eAudio::ACG_BGM, fader), 0.0f);
        EXPECT_EQ(eAudio::GetGroupTargetValue(eAudio::ACG_BGM, fader), 0.0f);
    }
    EXPECT_EQ(std::memcmp(after.data(), &eAudio::s_channelGroups[eAudio::ACG_VO], after.size()), 0);
    const int expected[] = {3, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 3};  // channels -1 to 10; anything else is 3
    for (int i = -1; i <= 10; ++i)
        EXPECT_EQ(eAudio::GetGroupFromChannel(i), expected[i + 1]) << i;
}

TEST_F(eAudioTest, LevelsInTenthsOfADecibelAndPan)
{
    const eSoundData* s = MakeSound(6000, 32000, true);
    mOCS turned;  // facing +x: its right is -y
    turned.MakeIdentity();
    turned.basis.right = mVec3(0.0f, -1.0f, 0.0f);
    turned.basis.forward = mVec3(1.0f, 0.0f, 0.0f);
    struct Row { const char* name; eAudio::eAudioOutputMode mode; bool b3D; float volume, master, groupFader0;
                 mVec3 pos; const mOCS* pListener; int input, pan, span; };
    mOCS identity;
    identity.MakeIdentity();
    constexpr auto kSt = eAudio::AOM_STEREO;
    const Row rows[] = {
        {"2D full", eAudio::AOM_STEREO, false, 1.0f, 1.0f, 1.0f, kOrigin, &identity, 0, 64, 127},
        {"2D half: -1000 + 1000 x 0.5^0.1", kSt, false, 0.5f, 1.0f, 1.0f, kOrigin, &identity, -66, 64, 127},
        {"master and group fader multiply", kSt, false, 1.0f, 0.5f, 0.5f, kOrigin, &identity, -129, 64, 127},
        {"silence is -1000", eAudio::AOM_STEREO, false, 0.0f, 1.0f, 1.0f, kOrigin, &identity, -1000, 64, 127},
        {"above 1 is clamped", eAudio::AOM_STEREO, false, 2.0f, 1.0f, 1.0f, kOrigin, &identity, 0, 64, 127},
        {"3D half: 0.5^0.35", eAudio::AOM_STEREO, true, 0.5f, 1.0f, 1.0f, mVec3(1, 0, 0), &identity, -215, 127, 127},
        {"3D on the left", eAudio::AOM_STEREO, true, 1.0f, 1.0f, 1.0f, mVec3(-2, 0, 0), &identity, 0, 1, 127},
        {"3D ahead in surround", eAudio::AOM_SURROUND, true, 1.0f, 1.0f, 1.0f, mVec3(0, 2, 0), &identity, 0, 64, 127},
        {"3D behind in surround", eAudio::AOM_SURROUND, true, 1.0f, 1.0f, 1.0f, mVec3(0, -2, 0), &identity, 0, 64, 1},
        {"2D in surround is centred", eAudio::AOM_DPL2, false, 1.0f, 1.0f, 1.0f, kOrigin, &identity, 0, 64, 64},
        {"3D in mono is not panned", eAudio::AOM_MONO, true, 1.0f, 1.0f, 1.0f, mVec3(-2, 0, 0), &identity, 0, 64, 127},
        {"the listener's axes decide", kSt, true, 1.0f, 1.0f, 1.0f, mVec3(0, -2, 0), &turned, 0, 127, 127},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        eAudio::SetOutputMode(r.mode, true);
        eAudio::s_fMasterVolume = r.master;
        eAudio::SetGroupVolume(eAudio::ACG_SFX, 0, r.groupFader0);
        const int h = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(0), r.volume, r.b3D, 10.0f, r.pos);
        eAudio::Update(cTimeValue(1), *r.pListener);
        EXPECT_EQ(MIXGetInput(VoiceOf(h)), r.input);
        EXPECT_EQ(MIXGetPan(VoiceOf(h)), r.pan);
        EXPECT_EQ(MIXGetSPan(VoiceOf(h)), r.span);
        eAudio::FreeChannel(h);
    }
    const int h = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    eAudio::SetChannelVolumeScale(h, 0.5f);
    Tick(1);
    EXPECT_EQ(MIXGetInput(VoiceOf(h)), -66) << "the scale counts as the volume does";
}

TEST_F(eAudioTest, AttenuationOverTheRadius)
{
    const eSoundData* s = MakeSound(6000, 32000, true);
    const struct { const char* name; float radius, distance; int input; } rows[] = {
        {"inside 0.3 x radius: full", 100.0f, 29.0f, 0}, {"at 0.3 x radius: full", 100.0f, 30.0f, 0},
        {"halfway along the ramp", 100.0f, 65.0f, -215}, {"just inside the radius", 100.0f, 99.0f, -773},
        {"at the radius the ramp reaches 0", 100.0f, 100.0f, -1000}, {"beyond the radius", 100.0f, 150.0f, -1000},
        {"radius 0 at distance 0: full, not NaN", 0.0f, 0.0f, 0}, {"radius 0 elsewhere: silent", 0.0f, 1.0f, -1000},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const int h = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(0), 1.0f, true, r.radius,
                                   mVec3(r.distance, 0.0f, 0.0f));
        Tick(1);
        EXPECT_EQ(MIXGetInput(VoiceOf(h)), r.input);
        EXPECT_TRUE(ChannelOf(h).bIsPlaying) << "attenuation alone never ends a channel";
        EXPECT_EQ(VoiceOf(h)->state, AX_PB_STATE_RUN);
        eAudio::FreeChannel(h);
    }
}

TEST_F(eAudioTest, OneShotIsFreedOneTickAfterItsLength)
{
    const eSoundData* s = MakeSound(10);
    const int h = eAudio::Play(eAudio::ACG_UI, s, false, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    Tick(11);
    EXPECT_TRUE(eAudio::IsValidHandle(h)) << "play time 10, its length: still playing";
    EXPECT_EQ(ChannelOf(h).playTime, cTimeValue(11));
    Tick(1);
    EXPECT_FALSE(eAudio::IsValidHandle(h));
    EXPECT_FALSE(eAudio::s_channels[6].bIsPlaying);
    EXPECT_EQ(eAudio::s_channels[6].nGroup, eAudio::ACG_MAXGROUPS);
}

TEST_F(eAudioTest, StartAddressFromThePlayTime)
{
    struct Row { const char* name; int frequency, length, startTicks; uint32_t offset; };
    const Row rows[] = {
        {"time 0: the first sample", 32000, 600, 0, 2},
        {"1/30 s: sample 1066 = frame 76, sample 2", 32000, 600, 20, 16 * 76 + 2 + 2},
        {"no rate stored: 32000", 0, 600, 20, 16 * 76 + 2 + 2},
        {"16 kHz: sample 533 = frame 38, sample 1", 16000, 600, 20, 16 * 38 + 2 + 1},
        {"modulo the length", 16000, 600, 620, 16 * 38 + 2 + 1}, {"length 0: the first sample", 32000, 0, 20, 2},
        {"negative time: the first sample", 32000, 600, -20, 2},
        {"past the samples: the first sample", 32000, 600, 300, 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const eSoundData* s = MakeSound(r.length, r.frequency, true, 4096);
        const int h = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(r.startTicks), 1.0f, false, 0.0f, kOrigin);
        Tick(1);
        const AXVPB* v = VoiceOf(h);
        EXPECT_EQ(v->addr.currentAddress, s->m_pWaveData->m_nStartAddress + r.offset);
        EXPECT_EQ(v->addr.loopAddress, s->m_pWaveData->m_nStartAddress);
        EXPECT_EQ(v->addr.endAddress, s->m_pWaveData->m_nEndAddress);
        EXPECT_EQ(v->addr.loopFlag, 1);
        EXPECT_EQ(v->state, AX_PB_STATE_RUN);
        eAudio::FreeChannel(h);
    }
    eSoundData* shot = MakeSound(600);
    for (int i = 0; i < 40; ++i)  // the decoder's parameters reach the voice as stored
        shot->m_pWaveData->m_adpcmHeader[i] = static_cast<uint8_t>(7 * i + 1);
    AXPBADPCM want;
    AXReadAdpcmHeader(shot->m_pWaveData->m_adpcmHeader, &want);
    const int h = eAudio::Play(eAudio::ACG_SFX, shot, false, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    Tick(1);
    EXPECT_EQ(std::memcmp(VoiceOf(h)->adpcm.coef, want.coef, sizeof(want.coef)), 0);
    EXPECT_EQ(VoiceOf(h)->adpcm.predScale, want.predScale);
    EXPECT_EQ(VoiceOf(h)->addr.loopAddress, eAudioPlatform::s_nZeroBuffer * 2) << "one-shots loop to silence";
    EXPECT_EQ(VoiceOf(h)->addr.loopFlag, 0);
}

TEST_F(eAudioTest, PausedGroupFadesOutStandsStillAndIsFreed)
{
    const eSoundData* s = MakeSound(6000, 32000, true);
    const int a = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    const int b = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(0), 1.0f, true, 50.0f, kOrigin);
    const int music = eAudio::Play(eAudio::ACG_BGM, s, true, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    Tick(3);
    eAudio::PauseGroup(true, eAudio::ACG_SFX, cTimeValue(16));  // 1/16 a tick: exact in floats
    EXPECT_TRUE(eAudio::IsGroupPaused(eAudio::ACG_SFX));
    EXPECT_TRUE(eAudio::s_channels[31].bFreeOnStop) << "every channel of the group, to the last";
    Tick(15);
    EXPECT_TRUE(eAudio::IsValidHandle(a));
    EXPECT_EQ(ChannelOf(a).playTime, cTimeValue(3)) << "a paused group's play time stands still";
    EXPECT_EQ(ChannelOf(b).playTime, cTimeValue(3));
    EXPECT_EQ(ChannelOf(music).playTime, cTimeValue(18));
    Tick(1);
    EXPECT_FALSE(eAudio::IsValidHandle(a)) << "freed once the fader reaches 0";
    EXPECT_FALSE(eAudio::IsValidHandle(b));
    EXPECT_TRUE(eAudio::IsValidHandle(music));
    eAudio::PauseGroup(false, eAudio::ACG_SFX, cTimeValue(20));
    EXPECT_FALSE(eAudio::IsGroupPaused(eAudio::ACG_SFX));
    EXPECT_EQ(eAudio::s_channelGroups[eAudio::ACG_SFX].faders[0].m_fadeDir, eAudioFader::FADE_UP);
    AXSetVoiceState(VoiceOf(music), AX_PB_STATE_STOP);
    eAudio::ResumeGroup(eAudio::ACG_BGM, cTimeValue(20));
    EXPECT_EQ(VoiceOf(music)->state, AX_PB_STATE_RUN) << "resuming a group runs its voices again";
}

TEST_F(eAudioTest, StoppedChannelsFreeOrWaitForResume)
{
    const eSoundData* s = MakeSound(6000, 32000, true);
    const int free2D = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    const int kept3D = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(0), 1.0f, true, 50.0f, kOrigin);
    const int kept2D = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    Tick(1);
    eAudio::StopChannel(free2D, cTimeValue(0), true);
    eAudio::StopChannel(kept3D, cTimeValue(0), false);
    eAudio::StopChannel(kept2D, cTimeValue(0), false);
    Tick(1);
    EXPECT_FALSE(eAudio::IsValidHandle(free2D));
    EXPECT_EQ(eAudio::s_channels[10].pPlatformData->addr.currentAddress, 0u) << "its voice was released";
    EXPECT_TRUE(eAudio::IsValidHandle(kept3D));
    EXPECT_EQ(VoiceOf(kept3D)->state, AX_PB_STATE_STOP) << "a silent 3D channel stops its voice";
    EXPECT_EQ(VoiceOf(kept2D)->state, AX_PB_STATE_RUN) << "a silent 2D channel keeps running";
    eAudio::ResumeChannel(kept3D, cTimeValue(0));
    EXPECT_EQ(VoiceOf(kept3D)->state, AX_PB_STATE_RUN);
    const int pending = eAudio::Play(eAudio::ACG_SFX, s, true, cTimeValue(0), 1.0f, true, 50.0f, kOrigin);
    eAudio::ResumeChannel(pending, cTimeValue(0));
    EXPECT_EQ(VoiceOf(pending)->state, AX_PB_STATE_STOP);
    Tick(1);
    EXPECT_EQ(ChannelOf(kept3D).fader.m_fVolScale, 1.0f);
    EXPECT_EQ(VoiceOf(pending)->state, AX_PB_STATE_RUN);
    EXPECT_EQ(VoiceOf(pending)->addr.currentAddress, s->m_pWaveData->m_nStartAddress + 2);
}

TEST_F(eAudioTest, StopGroupIgnoresAnEarlierDuckingTarget)
{
    const eSoundData* s = MakeSound(6000, 32000, true);
    const int h = eAudio::Play(eAudio::ACG_BGM, s, true, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
    eAudio::SetGroupFade(eAudio::ACG_BGM, 0, cTimeValue(0), false, true, 0.5f);
    Tick(1);
    EXPECT_EQ(eAudio::GetGroupTargetValue(eAudio::ACG_BGM, 0), 0.5f);
    eAudio::StopGroup(eAudio::ACG_BGM, cTimeValue(10), true);
    Tick(10);
    EXPECT_FALSE(eAudio::IsValidHandle(h)) << "the stop reaches silence and frees the channel";
}

TEST_F(eAudioTest, OutputModes)
{
    struct Row { const char* name; eAudio::eAudioOutputMode mode; bool bForce; eAudio::eAudioOutputMode got;
                 uint32_t osMode, mixMode, axMode; bool bStereo; };
    const Row rows[] = {
        {"mono needs force", eAudio::AOM_MONO, false, eAudio::AOM_STEREO, 1, 1, 0, true},
        {"forced mono", eAudio::AOM_MONO, true, eAudio::AOM_MONO, 0, 0, 0, false},
        {"stereo needs force", eAudio::AOM_STEREO, false, eAudio::AOM_MONO, 0, 0, 0, false},
        {"surround always applies", eAudio::AOM_SURROUND, false, eAudio::AOM_SURROUND, 1, 2, 1, true},
        {"DPL2 always applies", eAudio::AOM_DPL2, false, eAudio::AOM_DPL2, 1, 3, 2, true},
        {"default is stereo", eAudio::AOM_DEFAULT, true, eAudio::AOM_STEREO, 1, 1, 0, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        eAudio::SetOutputMode(r.mode, r.bForce);
        EXPECT_EQ(eAudio::GetOutputMode(), r.got);
        EXPECT_EQ(OSGetSoundMode(), r.osMode);
        EXPECT_EQ(MIXGetSoundMode(), r.mixMode);
        EXPECT_EQ(AXGetMode(), r.axMode);
        EXPECT_EQ(eAudioPlatform::s_bStereo, r.bStereo);
    }
}

}  // namespace

// The sound a screen ends with is heard whole: PlayOutGroup waits for what
// is left of the group's longest one-shot (its length less its play time),
// at most the time given. A loop, a start still pending (no voice yet) and
// another group's sound hold nothing up.
TEST_F(eAudioTest, PlayOutGroupWaitsForTheRestOfTheGroupsLongestOneShot)
{
    struct Row {
        const char* name;
        eAudio::eAudioChannelGroup group;
        bool bLooping, bStarted;
        int mostTicks;
        int waitedMs;  // -1: no wait at all
    };
    const Row rows[] = {
        {"the rest of the longest", eAudio::ACG_UI, false, true, 600, 150},
        {"at most the time given", eAudio::ACG_UI, false, true, 30, 50},
        {"a loop", eAudio::ACG_UI, true, true, 600, -1},
        {"not yet started", eAudio::ACG_UI, false, false, 600, -1},
        {"another group's", eAudio::ACG_SFX, false, true, 600, -1},
    };
    OSSetVirtualClock(TRUE);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const eSoundData* shorter = MakeSound(60, 32000, r.bLooping);
        const eSoundData* longer = MakeSound(120, 32000, r.bLooping);
        const int a = eAudio::Play(r.group, shorter, r.bLooping, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
        const int b = eAudio::Play(r.group, longer, r.bLooping, cTimeValue(0), 1.0f, false, 0.0f, kOrigin);
        if (r.bStarted)
            Tick(30);  // 30 of the longer's 120 ticks played: 90 left, 150 ms
        const OSTime before = OSGetTime();
        eAudio::PlayOutGroup(eAudio::ACG_UI, cTimeValue(r.mostTicks));
        const OSTime waited = OSGetTime() - before;
        if (r.waitedMs < 0)
            EXPECT_EQ(waited, 0);
        else
            EXPECT_EQ(waited, OSMillisecondsToTicks(r.waitedMs) + AX_FRAME_TICKS);
        eAudio::FreeChannel(a);
        eAudio::FreeChannel(b);
    }
    OSSetVirtualClock(FALSE);
}
