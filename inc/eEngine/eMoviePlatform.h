#pragma once
// The console half of movie playback: the movie pool, whose memory is taken
// when a movie opens and given back when it closes. Main thread only.

#include "cCore/cMemPool.h"

class eMoviePlatform {
public:
    static void Initialize() {}
    static void Uninitialize() {}
    // The player's read callback: passes a bad disc status to the file
    // layer's error notification while a movie read waits.
    static void ReadCallback();

    static cMemPool s_moviePool;  // no name, no size of its own
};
