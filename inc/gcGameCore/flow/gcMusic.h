#pragma once
// Music: a static table of sixteen slots. The game, the main menu and each
// map load the tracks they name ("%s/Game/Music/Music%02i.mus", numbered by
// the music id itself) into free slots and free them when they go; the
// play-music action starts and stops slots with a fade; Update, once a
// frame, restarts a looping track whose channel was lost. Tracks play on
// the mixer's music group, or on the sound-effects group when asked.
// Main thread; LoadMusic also on a loader thread while the main thread
// plays nothing.

#include <cstdint>

#include "cCore/cStr.h"
#include "cCore/cTimeValue.h"

class cMemPool;
class eSoundData;

class gcMusic {
public:
    static constexpr int kMaxSlots = 16;
    static constexpr int kMaxMusicIds = 48;  // the game's table of music names
    // The fade-in of a looping track restarted by Update: 0.33 s.
    static constexpr float kRestartFadeSeconds = 0.33f;
    // How long every sound fades out when a map or the menu ends: short
    // enough to pass unnoticed, long enough not to click.
    static constexpr float kEndFadeSeconds = 0.04f;

    // Every slot empty: no track, no channel, volume 1, no flags.
    static void Initialize();
    // Frees every loaded slot's channel and deletes its track.
    static void Uninitialize();
    // The lowest slot without a track; -1 when all sixteen hold one.
    static int FindFreeSlot();
    static void GetMusicFilename(int nMusicId, cStr* pName);
    // Reads the track into the pool and returns its slot; -1 (logged) when
    // no slot is free (the file system is not touched), the file does not
    // open, or the track is refused; an id outside the game's 48 music
    // names is refused the same way.
    static int LoadMusic(int nMusicId, cMemPool* pPool);
    // Frees the slot's channel and deletes its track; the playing, SFX and
    // looping flags stay as they were.
    static void FreeMusic(int nSlot);
    // Starts the slot's track fading in from silence, or fades a track
    // that is still sounding (fading out, say) back in. Nothing for an
    // empty slot, and nothing is recorded when the group has no idle
    // channel.
    static void PlayMusic(int nSlot, cTimeValue fade, float fVolume, bool bLoop, bool bSFX);
    // Fades the slot out, its channel freed once silent; Update clears the
    // handle when the channel is gone and does not restart it.
    static void StopMusic(int nSlot, cTimeValue fade);
    // Stops and frees every channel at once.
    static void StopAllMusic();
    static void Update();

    static eSoundData* s_pMusic[kMaxSlots];
    static int32_t s_nChannel[kMaxSlots];
    static float s_fVolumes[kMaxSlots];
    static bool s_bIsPlaying[kMaxSlots];
    static bool s_bIsSFX[kMaxSlots];
    static bool s_bIsLooping[kMaxSlots];

private:
    static bool IsLoadedSlot(int nSlot);
    // Starts the track silent and fades it in; true when a channel was had.
    static bool StartChannel(int nSlot, cTimeValue fade, float fVolume, bool bLoop, bool bSFX);
};
