#pragma once
// The game's audio mixer: 32 channels, each playing one eSoundData on its own
// hardware voice, in four channel groups with fixed ranges. A channel's level
// is the master volume times its 3D attenuation, its own fader and the three
// faders of its group. Callers start sounds with Play, keep the returned
// channel handle and steer the channel through it; Update, once a frame,
// steps fades, starts new voices, sets levels and pan, and ends finished and
// silenced channels. A static class; every call runs on the main thread (the
// voice library's frame callback touches nothing here).

#include <cstdint>

#include "cCore/cTimeValue.h"
#include "eEngine/eAudioFader.h"
#include "mMath/mOCS.h"

class eSoundData;
struct AXVPB;

// One mixer channel. Idle: all flags false, no sound, magic 0, group 4.
struct eAudioChannel {
    bool bIsPlaying = false;
    bool bPaused = false;  // start pending: the next Update programs and starts the voice
    bool bIsLooping = false;
    bool b3D = false;
    mVec3 position = mVec3(0.0f, 0.0f, 0.0f);  // world position of a 3D sound
    float fRadius = 0.0f;                       // audible radius of a 3D sound
    eAudioFader fader;
    const eSoundData* pSound = nullptr;  // not owned
    int nMagicID = 0;                    // check value of the current handle
    cTimeValue playTime;                 // position in the sound
    int nGroup = 4;                      // eAudio::ACG_MAXGROUPS while idle
    AXVPB* pPlatformData = nullptr;      // the channel's voice, fixed at start-up
    bool bFreeOnStop = false;            // free the channel as soon as it is silent
};

struct eAudioChannelGroupInfo {
    int nFirstChannel;
    int nLastChannel;
    bool bPaused;
    eAudioFader faders[3];
};

class eAudio {
public:
    // Stored in data and in the save file.
    enum eAudioChannelGroup : int {
        ACG_BGM = 0,  // "Music", channels 0-3
        ACG_VO = 1,   // "VoiceOver", channels 4-5
        ACG_UI = 2,   // "UI", channels 6-9
        ACG_SFX = 3,  // "SoundEffects", channels 10-31
        ACG_MAXGROUPS = 4,
    };
    enum eAudioOutputMode {
        AOM_MONO = 0,
        AOM_STEREO = 1,
        AOM_SURROUND = 2,
        AOM_DPL2 = 3,
        AOM_DEFAULT = 4,
    };

    static constexpr int kNumChannels = 32;
    static constexpr int kNumGroups = 4;
    static constexpr int kNumGroupFaders = 3;
    // Channel handle: check value << 8 | index. Check values have 22 bits
    // with bit 22 set, so every handle from Play is at least 0x40000000.
    static constexpr int kHandleIndexBits = 8;
    static constexpr int kHandleIndexMask = 0xFF;
    static constexpr int kMagicMask = 0x3FFFFF;
    static constexpr int kMagicFlag = 0x400000;
    static constexpr int kNoChannel = -1;
    // Level curve: input level = truncate(-1000 + 1000 v^e) in 0.1 dB.
    static constexpr float kCurve3D = 0.35f;
    static constexpr float kCurve2D = 0.1f;
    static constexpr float kInnerRadius = 0.3f;  // of the radius: full level inside
    static constexpr int kDefaultSampleRate = 32000;  // for sounds that store none

    static const cTimeValue AUDIO_PLAY_TOL;  // how far past its length a one-shot may run

    // True, and nothing else: the entry point starts eAudioPlatform itself.
    static bool Initialize();
    static void Uninitialize();

    // Groups. A group outside 0..3 or a fader outside 0..2 is ignored (0.0
    // from the getters).
    static const char* GetAudioGroupText(eAudioChannelGroup group);  // "???" outside 0..3
    static void SetGroupVolume(eAudioChannelGroup group, int fader, float fVolume);
    static float GetGroupVolume(eAudioChannelGroup group, int fader);
    static float GetGroupTargetValue(eAudioChannelGroup group, int fader);  // the fader's scale
    static void SetGroupFade(eAudioChannelGroup group, int fader, cTimeValue time, bool bUp, bool bUseTarget,
                             float fTarget);
    // Fader 0 fades fully down over time; every channel of the group gets
    // bFreeOnStop = bFreeOnStop.
    static void StopGroup(eAudioChannelGroup group, cTimeValue time, bool bFreeOnStop);
    // Pausing fades fader 0 down, marks every channel to be freed once
    // silent and stops play time; resuming fades it up and resumes the
    // playing channels.
    static void PauseGroup(bool bPause, eAudioChannelGroup group, cTimeValue time);
    static void ResumeGroup(eAudioChannelGroup group, cTimeValue time);
    static bool IsGroupPaused(eAudioChannelGroup group);
    static void FreeGroup(eAudioChannelGroup group);
    // Ramps every sounding voice down to silence sample by sample over time
    // (at least one sample) and waits until the ramps have played, so that
    // channels freed afterwards stop without a step in the output. Nothing
    // else of the channels changes.
    static void FadeOutAllVoices(cTimeValue time);
    // Waits until the group's one-shots started so far (their voices
    // programmed by an Update) have played to their ends, at most the time
    // given: a sound a screen ends with is heard whole before its fade.
    static void PlayOutGroup(eAudioChannelGroup group, cTimeValue most);
    static eAudioChannelGroup GetGroupFromChannel(int index);  // 0, 1, 2 by range, else 3
    static int FindFreeChannel(eAudioChannelGroup group);      // lowest idle index, or -1
    static int FindLRUChannel(eAudioChannelGroup group);       // -1: no channel is ever taken over

    // Channels. A handle is valid when it is 0..31 (a bare index) or a
    // handle of Play whose check value still matches its channel; every
    // other value, negatives included, is invalid and the calls do nothing.
    static bool IsValidHandle(int handle);
    // Starts the sound on the lowest idle channel of the group; the voice is
    // programmed by the next Update. -1 (and nothing changes) when the group
    // has no idle channel, the group is not 0..3, or the sound is null or has
    // no samples loaded.
    static int Play(eAudioChannelGroup group, const eSoundData* pSound, bool bLooping, cTimeValue startTime,
                    float fVolume, bool b3D, float fRadius, const mVec3& position);
    static void StopChannel(int handle, cTimeValue time, bool bFreeOnStop);
    static void ResumeChannel(int handle, cTimeValue time);
    static void FreeChannel(int handle);
    static void SetChannelVolume(int handle, float fVolume);
    static void SetChannelVolumeScale(int handle, float fScale);
    // Moves a 3D channel and sets its volume; the handle, or -1 when invalid.
    static int Update3DChannel(int handle, const mVec3& position, float fVolume);

    // Once a frame: group faders, then every playing channel (start, fade,
    // attenuation and pan, level, end, silence, play time).
    static void Update(cTimeValue step, const mOCS& listener);

    // Mono and stereo requests apply only when forced; surround and DPL2
    // always.
    static void SetOutputMode(eAudioOutputMode mode, bool bForce);
    static eAudioOutputMode GetOutputMode();

    static eAudioChannel s_channels[kNumChannels];
    static eAudioChannelGroupInfo s_channelGroups[kNumGroups];
    static int s_nMagicNum;         // the last check value handed out
    static float s_fMasterVolume;   // multiplies every channel's level

private:
    static eAudioChannel* ChannelFromHandle(int handle);
    static eAudioChannelGroupInfo* Group(int group);
    static void ResetChannel(eAudioChannel& channel);
    // Attenuation and pans of a channel for the listener.
    static void CalcAttenuationAndPan(const eAudioChannel& channel, const mOCS& listener, bool bSurround,
                                      float* pAttenuation, float* pPan, float* pSurroundPan);
    static bool IsSilent(const eAudioChannel& channel);
    // Audio-memory nibble address at which a sound starts playing from time t.
    static uint32_t CalcStartAddress(const eSoundData& sound, cTimeValue t);
    static void UpdateChannel(int index, cTimeValue step, const mOCS& listener, bool bSurround);

    // The console half (eAudio_gc.cpp): the voice and mixer calls.
    static void PlatformStartVoice(eAudioChannel& channel);
    static void PlatformSetLevels(eAudioChannel& channel, int nInput, int nPan, int nSurroundPan, bool bSurround);
    static void PlatformRunVoice(eAudioChannel& channel);
    static void PlatformStopVoice(eAudioChannel& channel);
    static void PlatformReleaseVoice(eAudioChannel& channel);
    static void PlatformRampDownVoice(eAudioChannel& channel, uint32_t nSamples);
    static void PlatformWait(cTimeValue time);
    static bool PlatformIsSurround();
};
