#pragma once
// Decides once a frame which zone sounds play: the zones offer the sounds the
// listener can hear (at most 32 a frame), the listener starts them and stops
// those of the previous frame that are now beyond their radius. A static
// class; main thread.

#include "mMath/mOCS.h"

class eSound;

class eListener {
public:
    static constexpr int kMaxSounds = 32;

    // The zones' walk over their sound trees: calls AddSoundToPlayList for
    // every sound whose radius reaches the listener's position. The zone
    // system installs it (its CullAllSounds); until then nothing is offered.
    typedef void (*CullAllSoundsFunc)(const mOCS& listener);
    static CullAllSoundsFunc SetCullAllSounds(CullAllSoundsFunc func);  // returns the previous one

    static void Initialize();    // empties both lists
    static void Uninitialize();  // empties both lists

    // Appends to this frame's offers; an offer past the 32nd is ignored.
    static void AddSoundToPlayList(eSound* pSound);
    // Offers, stops last frame's sounds now out of range, starts this frame's.
    static void Update(const mOCS& listener);
    // Drops a sound from both lists (a sound being destroyed).
    static void Forget(const eSound* pSound);

    static eSound* s_pNeedsPlaying[kMaxSounds];
    static int s_nNeedPlaying;
    static eSound* s_pPlayingLastUpdate[kMaxSounds];
    static int s_nNumPlaying;
};
