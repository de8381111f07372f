#pragma once
// Audio memory for the fuzz targets, as the game has it once its audio
// platform has started: the sound readers copy their samples into it, so
// without it every sound read stops at its first allocation. Frames are run
// by hand (no device opens) and the console settings go to a temporary
// folder. Every input must give back the blocks its load took.

#include <cstdio>
#include <cstdlib>

#include "../test/audio_test.h"
#include "../test/os_test.h"
#include "eEngine/eAudioPlatform.h"
#include "tempDir.h"

namespace fuzzAudio {

inline int g_nBlocks = 0;  // the blocks in use between inputs

// Starts the audio platform; aborts when it cannot.
inline void Start()
{
    static TempDir s_settings("qm_fuzz_settings");
    OSTestSetSettingsDir(s_settings.c_str());
    AITestSetManualFrames(TRUE);
    if (!eAudioPlatform::Initialize())
        std::abort();
}

// The blocks in use now are those every input must leave behind.
inline void Mark()
{
    g_nBlocks = ARTestLiveBlocks();
}

// A block kept after its sound went would fill audio memory in a long run.
inline void CheckNothingKept()
{
    const int nBlocks = ARTestLiveBlocks();
    if (nBlocks != g_nBlocks) {
        std::fprintf(stderr, "fuzz: %d blocks of audio memory in use after the input, %d before\n", nBlocks,
                     g_nBlocks);
        std::abort();
    }
}

}  // namespace fuzzAudio
