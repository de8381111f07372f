#include "eEngine/eAudio.h"

#include <algorithm>
#include <cmath>

#include "eEngine/eAudioPlatform.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSoundWaveData.h"

namespace {

constexpr const char* kGroupTexts[eAudio::kNumGroups] = {"Music", "VoiceOver", "UI", "SoundEffects"};

// Pan positions of the mixer library: 64 + 63 x pan.
constexpr int kPanCentre = 64;
constexpr float kPanRange = 63.0f;
constexpr float kLevelRange = 1000.0f;  // 0.1 dB: full gain 0, silence -1000

}  // namespace

const cTimeValue eAudio::AUDIO_PLAY_TOL = cTimeValue(0);

eAudioChannel eAudio::s_channels[eAudio::kNumChannels];
eAudioChannelGroupInfo eAudio::s_channelGroups[eAudio::kNumGroups] = {
    {0, 3, false, {}},
    {4, 5, false, {}},
    {6, 9, false, {}},
    {10, 31, false, {}},
};
int eAudio::s_nMagicNum = 0;
float eAudio::s_fMasterVolume = 1.0f;

bool eAudio::Initialize()
{
    return true;
}

void eAudio::Uninitialize() {}

const char* eAudio::GetAudioGroupText(eAudioChannelGroup group)
{
    return (group >= 0 && group < kNumGroups) ? kGroupTexts[group] : "???";
}

eAudioChannelGroupInfo* eAudio::Group(int group)
{
    return (group >= 0 && group < kNumGroups) ? &s_channelGroups[group] : nullptr;
}

void eAudio::SetGroupVolume(eAudioChannelGroup group, int fader, float fVolume)
{
    if (eAudioChannelGroupInfo* g = Group(group); g && fader >= 0 && fader < kNumGroupFaders)
        g->faders[fader].m_fVolume = fVolume;
}

float eAudio::GetGroupVolume(eAudioChannelGroup group, int fader)
{
    const eAudioChannelGroupInfo* g = Group(group);
    return (g && fader >= 0 && fader < kNumGroupFaders) ? g->faders[fader].m_fVolume : 0.0f;
}

float eAudio::GetGroupTargetValue(eAudioChannelGroup group, int fader)
{
    const eAudioChannelGroupInfo* g = Group(group);
    return (g && fader >= 0 && fader < kNumGroupFaders) ? g->faders[fader].m_fVolScale : 0.0f;
}

void eAudio::SetGroupFade(eAudioChannelGroup group, int fader, cTimeValue time, bool bUp, bool bUseTarget,
                          float fTarget)
{
    eAudioChannelGroupInfo* g = Group(group);
    if (!g || fader < 0 || fader >= kNumGroupFaders)
        return;
    if (bUseTarget)
        g->faders[fader].FadeToTarget(time, fTarget);
    else
        g->faders[fader].Fade(time, bUp);
}

// Stopping, pausing and resuming fade fader 0 over the whole range: a target
// left by an earlier ducking fade would keep a stopped group audible and its
// channels would never be freed.
void eAudio::StopGroup(eAudioChannelGroup group, cTimeValue time, bool bFreeOnStop)
{
    eAudioChannelGroupInfo* g = Group(group);
    if (!g)
        return;
    g->faders[0].FadeFull(time, false);
    for (int i = g->nFirstChannel; i <= g->nLastChannel; ++i)
        s_channels[i].bFreeOnStop = bFreeOnStop;
}

void eAudio::PauseGroup(bool bPause, eAudioChannelGroup group, cTimeValue time)
{
    eAudioChannelGroupInfo* g = Group(group);
    if (!g)
        return;
    if (bPause) {
        g->faders[0].FadeFull(time, false);
        for (int i = g->nFirstChannel; i <= g->nLastChannel; ++i)
            s_channels[i].bFreeOnStop = true;
        g->bPaused = true;
        return;
    }
    g->faders[0].FadeFull(time, true);
    for (int i = g->nFirstChannel; i <= g->nLastChannel; ++i) {
        if (s_channels[i].bIsPlaying)
            ResumeChannel(i, time);
    }
    g->bPaused = false;
}

void eAudio::ResumeGroup(eAudioChannelGroup group, cTimeValue time)
{
    eAudioChannelGroupInfo* g = Group(group);
    if (!g)
        return;
    g->faders[0].FadeFull(time, true);
    for (int i = g->nFirstChannel; i <= g->nLastChannel; ++i) {
        if (s_channels[i].bIsPlaying)
            ResumeChannel(i, time);
    }
}

bool eAudio::IsGroupPaused(eAudioChannelGroup group)
{
    const eAudioChannelGroupInfo* g = Group(group);
    return g && g->bPaused;
}

void eAudio::FreeGroup(eAudioChannelGroup group)
{
    const eAudioChannelGroupInfo* g = Group(group);
    if (!g)
        return;
    for (int i = g->nFirstChannel; i <= g->nLastChannel; ++i)
        FreeChannel(i);
}

void eAudio::FadeOutAllVoices(cTimeValue time)
{
    const int64_t nSamples = static_cast<int64_t>(time.m_nTicks) * kDefaultSampleRate / cTimeValue::TICKS_PER_SECOND;
    const uint32_t n = static_cast<uint32_t>(std::clamp<int64_t>(nSamples, 1, kDefaultSampleRate));
    bool bAny = false;
    for (eAudioChannel& c : s_channels) {
        if (c.bIsPlaying && !c.bPaused) {
            PlatformRampDownVoice(c, n);
            bAny = true;
        }
    }
    if (bAny)
        PlatformWait(time);
}

void eAudio::PlayOutGroup(eAudioChannelGroup group, cTimeValue most)
{
    const eAudioChannelGroupInfo* g = Group(group);
    if (!g)
        return;
    cTimeValue left(0);
    for (int i = g->nFirstChannel; i <= g->nLastChannel; ++i) {
        const eAudioChannel& c = s_channels[i];
        if (c.bIsPlaying && !c.bPaused && !c.bIsLooping && c.pSound)
            left = std::max(left, cTimeValue(c.pSound->m_length) - c.playTime);
    }
    if (left.m_nTicks > 0)
        PlatformWait(std::min(left, most));
}

eAudio::eAudioChannelGroup eAudio::GetGroupFromChannel(int index)
{
    for (int group = ACG_BGM; group < ACG_SFX; ++group) {
        if (index >= s_channelGroups[group].nFirstChannel && index <= s_channelGroups[group].nLastChannel)
            return static_cast<eAudioChannelGroup>(group);
    }
    return ACG_SFX;
}

int eAudio::FindFreeChannel(eAudioChannelGroup group)
{
    const eAudioChannelGroupInfo* g = Group(group);
    if (!g)
        return kNoChannel;
    for (int i = g->nFirstChannel; i <= g->nLastChannel; ++i) {
        if (!s_channels[i].bIsPlaying)
            return i;
    }
    return kNoChannel;
}

int eAudio::FindLRUChannel(eAudioChannelGroup /*group*/)
{
    return kNoChannel;
}

bool eAudio::IsValidHandle(int handle)
{
    return ChannelFromHandle(handle) != nullptr;
}

// Only 0..31 are bare indices: any other negative value would index before
// the table.
eAudioChannel* eAudio::ChannelFromHandle(int handle)
{
    if (handle < 0)
        return nullptr;
    if (handle < kNumChannels)
        return &s_channels[handle];
    const int index = handle & kHandleIndexMask;
    if (index >= kNumChannels || (handle >> kHandleIndexBits) != s_channels[index].nMagicID)
        return nullptr;
    return &s_channels[index];
}

void eAudio::ResetChannel(eAudioChannel& channel)
{
    AXVPB* const pVoice = channel.pPlatformData;
    channel = eAudioChannel();
    channel.pPlatformData = pVoice;
}

// A sound whose samples did not load has nothing to program into a voice.
int eAudio::Play(eAudioChannelGroup group, const eSoundData* pSound, bool bLooping, cTimeValue startTime,
                 float fVolume, bool b3D, float fRadius, const mVec3& position)
{
    if (!pSound || !pSound->m_pWaveData || !pSound->m_pWaveData->HoldsMemory())
        return kNoChannel;
    const int index = FindFreeChannel(group);
    if (index == kNoChannel)
        return kNoChannel;
    s_nMagicNum = ((s_nMagicNum + 1) & kMagicMask) | kMagicFlag;
    eAudioChannel& c = s_channels[index];
    c.bIsPlaying = true;
    c.bPaused = true;
    c.bIsLooping = bLooping;
    c.b3D = b3D;
    c.pSound = pSound;
    c.nGroup = group;
    c.nMagicID = s_nMagicNum;
    c.playTime = startTime;
    c.fRadius = fRadius;
    c.position = position;
    c.fader = eAudioFader();
    c.fader.m_fVolume = fVolume;
    c.bFreeOnStop = false;
    return (s_nMagicNum << kHandleIndexBits) | index;
}

void eAudio::StopChannel(int handle, cTimeValue time, bool bFreeOnStop)
{
    if (eAudioChannel* c = ChannelFromHandle(handle)) {
        c->fader.Fade(time, false);
        c->bFreeOnStop = bFreeOnStop;
    }
}

void eAudio::ResumeChannel(int handle, cTimeValue time)
{
    eAudioChannel* c = ChannelFromHandle(handle);
    if (!c)
        return;
    c->fader.Fade(time, true);
    if (!c->bPaused)
        PlatformRunVoice(*c);
}

void eAudio::FreeChannel(int handle)
{
    eAudioChannel* c = ChannelFromHandle(handle);
    if (!c)
        return;
    PlatformReleaseVoice(*c);
    ResetChannel(*c);
}

void eAudio::SetChannelVolume(int handle, float fVolume)
{
    if (eAudioChannel* c = ChannelFromHandle(handle))
        c->fader.m_fVolume = fVolume;
}

void eAudio::SetChannelVolumeScale(int handle, float fScale)
{
    if (eAudioChannel* c = ChannelFromHandle(handle))
        c->fader.m_fVolScale = fScale;
}

int eAudio::Update3DChannel(int handle, const mVec3& position, float fVolume)
{
    eAudioChannel* c = ChannelFromHandle(handle);
    if (!c)
        return kNoChannel;
    c->position = position;
    c->fader.m_fVolume = fVolume;
    return handle;
}

void eAudio::CalcAttenuationAndPan(const eAudioChannel& channel, const mOCS& listener, bool bSurround,
                                   float* pAttenuation, float* pPan, float* pSurroundPan)
{
    *pPan = 0.0f;
    *pSurroundPan = (bSurround && !channel.b3D) ? 0.0f : 1.0f;
    *pAttenuation = 1.0f;
    if (!channel.b3D)
        return;
    mVec3 d = channel.position - listener.origin;
    const float fDistance = d.Normalize();
    const float fRadius = channel.fRadius;
    const float fInner = kInnerRadius * fRadius;
    if (fDistance > fRadius)
        *pAttenuation = 0.0f;
    else if (fDistance < fInner)
        *pAttenuation = 1.0f;
    else if (fRadius - fInner > 0.0f)
        *pAttenuation = 1.0f - (fDistance - fInner) / (fRadius - fInner);
    else
        *pAttenuation = 1.0f;  // radius 0 heard only at distance 0: no 0/0
    if (!eAudioPlatform::s_bStereo)
        return;
    mVec3 local;
    local.XformInv(d, listener.basis);
    *pPan = std::clamp(local.x, -1.0f, 1.0f);
    *pSurroundPan = std::clamp(local.y, -1.0f, 1.0f);
}

bool eAudio::IsSilent(const eAudioChannel& channel)
{
    if (channel.fader.m_fadeDir != eAudioFader::FADE_UP && channel.fader.GetGain() == 0.0f)
        return true;
    const eAudioFader& groupFader = s_channelGroups[channel.nGroup].faders[0];
    return groupFader.m_fadeDir != eAudioFader::FADE_UP && groupFader.GetGain() == 0.0f;
}

void eAudio::UpdateChannel(int index, cTimeValue step, const mOCS& listener, bool bSurround)
{
    eAudioChannel& c = s_channels[index];
    const bool bStarting = c.bPaused;
    if (bStarting)
        PlatformStartVoice(c);
    c.fader.Step(step);

    float fAttenuation, fPan, fSurroundPan;
    CalcAttenuationAndPan(c, listener, bSurround, &fAttenuation, &fPan, &fSurroundPan);
    const eAudioChannelGroupInfo& g = s_channelGroups[c.nGroup];
    const float fGroupGain = g.faders[0].GetGain() * g.faders[1].GetGain() * g.faders[2].GetGain();
    float v = s_fMasterVolume * fAttenuation * c.fader.GetGain() * fGroupGain;
    v = std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f);
    const float fCurve = c.b3D ? kCurve3D : kCurve2D;
    const int nInput = static_cast<int>(-kLevelRange + kLevelRange * std::pow(v, fCurve));
    const int nPan = kPanCentre + static_cast<int>(kPanRange * fPan);
    const int nSurroundPan = kPanCentre + static_cast<int>(kPanRange * fSurroundPan);
    PlatformSetLevels(c, nInput, nPan, nSurroundPan, bSurround);

    if (bStarting) {
        PlatformRunVoice(c);
        c.bPaused = false;
    }
    if (!c.bIsLooping && c.playTime > cTimeValue(c.pSound->m_length) + AUDIO_PLAY_TOL) {
        FreeChannel(index);
        return;
    }
    if (IsSilent(c)) {
        if (c.b3D || c.bFreeOnStop)
            PlatformStopVoice(c);
        if (c.bFreeOnStop) {
            FreeChannel(index);
            return;
        }
    }
    if (!g.bPaused)
        c.playTime += step;
}

void eAudio::Update(cTimeValue step, const mOCS& listener)
{
    for (eAudioChannelGroupInfo& g : s_channelGroups) {
        for (eAudioFader& f : g.faders)
            f.Step(step);
    }
    const bool bSurround = PlatformIsSurround();
    for (int i = 0; i < kNumChannels; ++i) {
        if (s_channels[i].bIsPlaying)
            UpdateChannel(i, step, listener, bSurround);
    }
}
