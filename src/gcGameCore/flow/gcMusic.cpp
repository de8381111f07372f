#include "gcGameCore/flow/gcMusic.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "eEngine/eAudio.h"
#include "eEngine/eSoundData.h"
#include "gcGameCore/flow/gcGameConfig.h"

eSoundData* gcMusic::s_pMusic[kMaxSlots] = {};
int32_t gcMusic::s_nChannel[kMaxSlots];
float gcMusic::s_fVolumes[kMaxSlots];
bool gcMusic::s_bIsPlaying[kMaxSlots] = {};
bool gcMusic::s_bIsSFX[kMaxSlots] = {};
bool gcMusic::s_bIsLooping[kMaxSlots] = {};

void gcMusic::Initialize()
{
    for (int i = 0; i < kMaxSlots; ++i) {
        s_pMusic[i] = nullptr;
        s_nChannel[i] = eAudio::kNoChannel;
        s_fVolumes[i] = 1.0f;
        s_bIsPlaying[i] = false;
        s_bIsSFX[i] = false;
        s_bIsLooping[i] = false;
    }
}

void gcMusic::Uninitialize()
{
    for (int i = 0; i < kMaxSlots; ++i) {
        if (s_pMusic[i])
            FreeMusic(i);
    }
}

int gcMusic::FindFreeSlot()
{
    for (int i = 0; i < kMaxSlots; ++i) {
        if (!s_pMusic[i])
            return i;
    }
    return -1;
}

void gcMusic::GetMusicFilename(int nMusicId, cStr* pName)
{
    pName->Set("%s/Game/Music/Music%02i.mus", gcGameConfig::s_dataPath.m_sData, nMusicId);
}

int gcMusic::LoadMusic(int nMusicId, cMemPool* pPool)
{
    if (nMusicId < 0 || nMusicId >= kMaxMusicIds) {
        cLogError_("gcMusic: music %d refused: ids are 0 to %d", nMusicId, kMaxMusicIds - 1);
        return -1;
    }
    const int nSlot = FindFreeSlot();
    if (nSlot == -1) {
        cLogError_("gcMusic: music %d refused: all %d music slots hold a track", nMusicId, kMaxSlots);
        return -1;
    }
    cStr name;
    GetMusicFilename(nMusicId, &name);
    cFile file;
    if (!file.Open(name))
        return -1;  // logged by the file, naming it
    eSoundData* pMusic = pPool ? pPool->New<eSoundData>() : nullptr;
    if (!pMusic) {
        // The pool reported it (failing the file being read, if any).
        return -1;
    }
    // A damaged track is not kept: playing it would read whatever it holds.
    if (!file.ReadObject(*pMusic, pPool)) {
        std::destroy_at(pMusic);
        return -1;
    }
    file.Close();
    s_pMusic[nSlot] = pMusic;
    return nSlot;
}

void gcMusic::FreeMusic(int nSlot)
{
    if (nSlot < 0 || nSlot >= kMaxSlots)
        return;
    if (s_nChannel[nSlot] != eAudio::kNoChannel)
        eAudio::FreeChannel(s_nChannel[nSlot]);
    s_nChannel[nSlot] = eAudio::kNoChannel;
    if (s_pMusic[nSlot])
        std::destroy_at(s_pMusic[nSlot]);
    s_pMusic[nSlot] = nullptr;
}

bool gcMusic::IsLoadedSlot(int nSlot)
{
    return nSlot >= 0 && nSlot < kMaxSlots && s_pMusic[nSlot];
}

bool gcMusic::StartChannel(int nSlot, cTimeValue fade, float fVolume, bool bLoop, bool bSFX)
{
    const int nChannel = eAudio::Play(bSFX ? eAudio::ACG_SFX : eAudio::ACG_BGM, s_pMusic[nSlot], bLoop, cTimeValue(0),
                                      fVolume, false, 0.0f, mVec3(0.0f, 0.0f, 0.0f));
    s_nChannel[nSlot] = nChannel;
    if (nChannel == eAudio::kNoChannel)
        return false;
    eAudio::SetChannelVolumeScale(nChannel, 0.0f);
    eAudio::ResumeChannel(nChannel, fade);
    s_bIsSFX[nSlot] = bSFX;
    s_bIsPlaying[nSlot] = true;
    s_fVolumes[nSlot] = fVolume;
    s_bIsLooping[nSlot] = bLoop;
    return true;
}

void gcMusic::PlayMusic(int nSlot, cTimeValue fade, float fVolume, bool bLoop, bool bSFX)
{
    if (!IsLoadedSlot(nSlot))
        return;
    if (s_nChannel[nSlot] == eAudio::kNoChannel)
        StartChannel(nSlot, fade, fVolume, bLoop, bSFX);
    else
        eAudio::ResumeChannel(s_nChannel[nSlot], fade);
}

void gcMusic::StopMusic(int nSlot, cTimeValue fade)
{
    if (!IsLoadedSlot(nSlot) || s_nChannel[nSlot] == eAudio::kNoChannel)
        return;
    eAudio::StopChannel(s_nChannel[nSlot], fade, true);
    s_bIsPlaying[nSlot] = false;
    s_bIsSFX[nSlot] = false;
}

void gcMusic::StopAllMusic()
{
    for (int i = 0; i < kMaxSlots; ++i) {
        if (s_nChannel[i] == eAudio::kNoChannel)
            continue;
        if (s_pMusic[i]) {
            eAudio::StopChannel(s_nChannel[i], cTimeValue(0), false);
            s_bIsPlaying[i] = false;
            s_bIsSFX[i] = false;
        }
        eAudio::FreeChannel(s_nChannel[i]);
        s_nChannel[i] = eAudio::kNoChannel;
    }
}

void gcMusic::Update()
{
    for (int i = 0; i < kMaxSlots; ++i) {
        if (s_nChannel[i] == eAudio::kNoChannel || eAudio::IsValidHandle(s_nChannel[i]))
            continue;
        // The channel ended or was taken away: a looping track comes back.
        s_nChannel[i] = eAudio::kNoChannel;
        if (s_bIsPlaying[i] && s_bIsLooping[i] && s_pMusic[i])
            StartChannel(i, cTimeValue::FromSeconds(kRestartFadeSeconds), s_fVolumes[i], true, s_bIsSFX[i]);
    }
}
